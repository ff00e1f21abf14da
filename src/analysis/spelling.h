// "Did you mean": the name of a list a misspelt word most likely stands for. One helper for every
// suggestion the checker and the editor server make, with its thresholds named.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ts::check {

// A name is a likely typo of a word when it is at most one edit (a letter added, dropped or
// changed) away for every kTypoLettersPerEdit letters of the word, and at least kFewestTypoEdits.
inline constexpr std::size_t kTypoLettersPerEdit = 3;
inline constexpr std::size_t kFewestTypoEdits = 1;
// Words this short are no typo of anything: too many names lie within one edit of them.
inline constexpr std::size_t kShortestTypo = 4;

// The number of letters to add, drop or change to turn `a` into `b`.
[[nodiscard]] std::size_t editDistance(std::string_view a, std::string_view b);

// The name of `candidates` that `word` most likely stands for: the word in upper case, else the
// closest likely typo (of two equally near, the first), else the one name that shares whole
// '_'-separated parts with it (PORTAL for KPR1_PORTAL, MANA_VAULT for MANA). Empty when the word
// is itself a name, or when nothing fits; letter case does not count.
[[nodiscard]] std::string closestName(std::string_view word,
                                      const std::vector<std::string_view>& candidates);

// `word` in upper case, as every name and keyword of a map is written.
[[nodiscard]] std::string upperCase(std::string_view word);

}  // namespace ts::check
