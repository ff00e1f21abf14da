// Many diagnostics of one kind, as a reader can take them in: the first few of each kind, then one
// line that says how many more there are. A grid shifted by one row can stand 200,000 creatures
// in rock; a designer needs the first warnings and the count, not 200,000 lines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/check.h"

namespace ts::check {

// How many diagnostics of one kind are shown before the rest are summed up.
inline constexpr std::size_t kShownOfOneKind = 20;

// `diagnostics` with, for each kind that has more than `shown` + 1, only its first `shown` and in
// the place of the next one a note "and 199,980 more creature-in-rock warnings" (CheckId
// kMoreOfOneKind) at that next one's place. The order is kept; `shown` 0 keeps everything.
[[nodiscard]] std::vector<Diagnostic> grouped(const std::vector<Diagnostic>& diagnostics,
                                              std::size_t shown = kShownOfOneKind);

// The same of an analysis: its whole diagnostics and its brief ones together.
[[nodiscard]] std::vector<Diagnostic> grouped(const MapAnalysis& analysis,
                                              std::size_t shown = kShownOfOneKind);

// `n` with a comma between each group of three digits: 199,980.
[[nodiscard]] std::string withThousands(std::size_t n);

}  // namespace ts::check
