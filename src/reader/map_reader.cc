#include "reader/map_reader.h"

#include <sstream>

namespace ts {

ReadState::ReadState(std::string_view text, LevelDescription& level, const NameMaps& names,
                     std::ostream& console, ReaderObserver* observer)
    : in(text), level(level), names(names), out(console), observer(observer) {
  if (observer != nullptr) {
    out.setHook([this](const std::string& message) {
      this->observer->message(message, about_ != kNowhere ? about_ : in.tokenStart());
    });
  }
}

bool ReadState::searchKeyword(std::string_view keyword, std::string_view loopMessage,
                              std::optional<std::string_view> failMessage) {
  int skipped = 0;
  while (line != keyword) {
    if (guardStep()) {
      if (observer != nullptr) observer->keywordNotFound(keyword, skipped);
      out.line(loopMessage);
      return false;
    }
    in.readLine(line);
    ++skipped;
    if (failMessage && in.failed()) {
      if (observer != nullptr) observer->keywordNotFound(keyword, skipped);
      out.line(*failMessage);
      return false;
    }
  }
  return true;
}

void readLevel(std::string_view text, LevelDescription& level, const NameMaps& names,
               std::ostream& console, ReaderObserver* observer) {
  ReadState s(text, level, names, console, observer);
  if (!readHeader(s) || !readGrid(s) || !readPlacements(s)) return;
  installKeeperDefaults(level);
  // An older map ends right after its hearts and gold: a complete level without hero
  // sections, triggers or scenario description.
  if (s.in.atEnd()) {
    level.isValid = true;
    s.out.line(msg::kOldMap);
    return;
  }
  if (!readHeroSections(s) || !readTriggers(s)) return;
  readScenario(s);
}

LevelDescription readLevel(std::string_view text, const NameMaps& names, std::ostream& console) {
  LevelDescription level;
  readLevel(text, level, names, console);
  return level;
}

}  // namespace ts
