#include "analysis/spelling.h"

#include <algorithm>

namespace ts::check {

std::size_t editDistance(std::string_view a, std::string_view b) {
  // One row of the table at a time: the distances of a's prefixes to b's prefix so far.
  std::vector<std::size_t> previous(b.size() + 1);
  std::vector<std::size_t> current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, change});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

namespace {

// `name` is `word` with a part of its own added or dropped at either end, the parts split at '_':
// KPR1_PORTAL for PORTAL, MANA for MANA_VAULT.
bool sharesWholeParts(std::string_view word, std::string_view name) {
  const auto within = [](std::string_view shorter, std::string_view longer) {
    if (shorter.size() >= longer.size()) return false;
    return (longer.starts_with(shorter) && longer[shorter.size()] == '_') ||
           (longer.ends_with(shorter) && longer[longer.size() - shorter.size() - 1] == '_');
  };
  return within(word, name) || within(name, word);
}

}  // namespace

std::string closestName(std::string_view word, const std::vector<std::string_view>& candidates) {
  // A name written as it stands is no typo, whatever else is near it.
  if (std::find(candidates.begin(), candidates.end(), word) != candidates.end()) return {};
  const std::string upper = upperCase(word);
  if (std::find(candidates.begin(), candidates.end(), upper) != candidates.end()) return upper;
  std::string best;
  std::size_t bestDistance = std::max(kFewestTypoEdits, word.size() / kTypoLettersPerEdit) + 1;
  for (std::string_view candidate : candidates) {
    const std::size_t distance = editDistance(upper, candidate);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = std::string(candidate);
    }
  }
  if (!best.empty() || upper.size() < kShortestTypo) return best;
  // No typo is near: a name that shares whole parts with the word, when only one does.
  for (std::string_view candidate : candidates) {
    if (!sharesWholeParts(upper, candidate)) continue;
    if (!best.empty()) return {};
    best = std::string(candidate);
  }
  return best;
}

std::string upperCase(std::string_view word) {
  std::string text(word);
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace ts::check
