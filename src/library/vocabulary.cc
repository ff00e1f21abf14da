// The public vocabularies (include/tunnelsmith/vocabulary.h): the model's name tables, copied.
#include "tunnelsmith/vocabulary.h"

#include <array>
#include <string>

#include "library/guarded.h"
#include "model/vocabulary.h"

namespace tunnelsmith {

namespace {

template <std::size_t N>
std::vector<NamedValue> copied(const std::array<ts::NameValue, N>& table) {
  std::vector<NamedValue> names;
  names.reserve(N);
  for (const ts::NameValue& entry : table) names.push_back({std::string(entry.name), entry.value});
  return names;
}

}  // namespace

Vocabulary vocabulary() {
  return detail::guarded(
      [] {
        return Vocabulary{
            copied(ts::kTerrainTable), copied(ts::kCreatureTable), copied(ts::kObjectTable),
            copied(ts::kDoorTable),    copied(ts::kTrapTable),     copied(ts::kRoomTable),
            copied(ts::kSpellTable),   copied(ts::kPlayerTokens),  copied(ts::kLevelTokens)};
      },
      [](const std::string&) { return Vocabulary{}; });
}

}  // namespace tunnelsmith
