// Applying the edits that diagnostics carry to a map text, as --fix and editors do.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/check.h"

namespace ts::check {

// A diagnostic whose edits were applied, and where its first edit stands in the new text.
struct AppliedFix {
  std::size_t diagnostic = 0;  // index in the diagnostics given to applyFixes
  std::size_t offset = 0;      // of the first edit's replacement, in the new text
  std::size_t length = 0;
};

struct FixedText {
  std::string text;
  std::vector<AppliedFix> applied;  // in the order of the diagnostics
  std::size_t skipped = 0;          // diagnostics whose edits clash with earlier ones
};

// Applies the edits of each diagnostic in turn, all of a diagnostic's edits or none: a
// diagnostic is skipped when one of its edits falls outside the text or overlaps an edit
// already taken (two edits at the same offset overlap). Offsets are those of `text`.
[[nodiscard]] FixedText applyFixes(std::string_view text,
                                   const std::vector<Diagnostic>& diagnostics);

// A note "fixed: <message>" for each applied fix, at its place in the new text.
[[nodiscard]] std::vector<Diagnostic> fixNotes(const FixedText& fixed,
                                               const std::vector<Diagnostic>& diagnostics);

// The first word that `before` (the trace of `text`) read outside the edits of the applied fixes
// and that `after` (the trace of the fixed text) does not read alike: at the same place once the
// edits are made, as the same kind of word, in the same section. Empty when every such word is
// read alike: the fixes changed nothing the compiler read before.
[[nodiscard]] std::string readingChanged(const Trace& before, const Trace& after,
                                         const FixedText& fixed,
                                         const std::vector<Diagnostic>& diagnostics);

}  // namespace ts::check
