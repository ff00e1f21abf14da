#include "reader/map_reader.h"

#include <sstream>

namespace ts {

ReadState::ReadState(std::string_view text, LevelDescription& level, const NameMaps& names,
                     ProblemSink& problems, ReaderObserver* observer)
    : in(text), level(level), names(names), problems(problems), observer(observer) {}

bool ReadState::searchKeyword(std::string_view keyword, ProblemId loop,
                              std::optional<ProblemId> fail) {
  int skipped = 0;
  while (buffer != keyword) {
    if (guardStep()) {
      if (observer != nullptr) observer->keywordNotFound(keyword, skipped);
      report(loop);
      return false;
    }
    in.readLine(buffer);
    ++skipped;
    if (fail && in.failed()) {
      if (observer != nullptr) observer->keywordNotFound(keyword, skipped);
      report(*fail);
      return false;
    }
  }
  if (observer != nullptr) observer->sectionFound(keyword, in.tokenStart());
  return true;
}

void readLevel(std::string_view text, LevelDescription& level, const NameMaps& names,
               ProblemSink& problems, ReaderObserver* observer) {
  ReadState s(text, level, names, problems, observer);
  if (!readHeader(s) || !readGrid(s) || !readPlacements(s)) return;
  installKeeperDefaults(level);
  // An older map ends right after its hearts and gold: a complete level without hero
  // sections, triggers or scenario description.
  if (s.in.atEnd()) {
    level.isValid = true;
    s.report(ProblemId::kOldMap);
    return;
  }
  if (!readHeroSections(s) || !readTriggers(s)) return;
  readScenario(s);
}

LevelDescription readLevel(std::string_view text, const NameMaps& names, std::ostream& console) {
  LevelDescription level;
  ProblemSink problems(&console);
  readLevel(text, level, names, problems);
  return level;
}

}  // namespace ts
