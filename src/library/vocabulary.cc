// The public vocabularies (include/tunnelsmith/vocabulary.h): the model's name tables, copied.
#include "tunnelsmith/vocabulary.h"

#include <array>
#include <string>

#include "library/guarded.h"
#include "model/grammar.h"
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
        Vocabulary v{copied(ts::kTerrainTable),
                     copied(ts::kCreatureTable),
                     copied(ts::kObjectTable),
                     copied(ts::kDoorTable),
                     copied(ts::kTrapTable),
                     copied(ts::kRoomTable),
                     copied(ts::kSpellTable),
                     copied(ts::kPlayerTokens),
                     copied(ts::kLevelTokens),
                     {},
                     {}};
        for (const ts::SectionInfo& s : ts::sections()) {
          if (!s.keyword.empty()) v.sections.emplace_back(s.keyword);
        }
        for (const auto& table :
             {ts::heartsWords(), ts::triggerWords(), ts::actionWords(), ts::scenarioWords()}) {
          for (const ts::StatementInfo& s : table) {
            StatementWord word{std::string(s.word),
                               std::string(ts::keywordOf(s.section)),
                               {},
                               std::string(s.summary)};
            for (ts::WordKind kind : s.operands)
              word.operands.emplace_back(ts::placeholderOf(kind));
            v.statements.push_back(std::move(word));
          }
        }
        return v;
      },
      [](const std::string&) { return Vocabulary{}; });
}

}  // namespace tunnelsmith
