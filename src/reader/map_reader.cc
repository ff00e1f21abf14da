#include "reader/map_reader.h"

#include <algorithm>
#include <sstream>

namespace ts {

namespace {

bool isBlankAt(std::string_view text, std::size_t i) {
  return i >= text.size() || isBlank(text[i]);
}

// The start of the last whole word `word` that begins before `before`; `before` when none does.
std::size_t wordBefore(std::string_view text, std::string_view word, std::size_t before) {
  std::size_t from = std::min(before, text.size());
  while (from > 0) {
    const std::size_t at = text.rfind(word, from - 1);
    if (at == std::string_view::npos) break;
    if ((at == 0 || isBlankAt(text, at - 1)) && isBlankAt(text, at + word.size())) return at;
    from = at;
  }
  return before;
}

}  // namespace

ReadState::ReadState(std::string_view text, LevelDescription& level, const NameMaps& names,
                     ProblemSink& problems, ReaderObserver* observer)
    : in(text), level(level), names(names), problems(problems), observer(observer) {}

bool ReadState::searchKeyword(Section section, ProblemId loop, std::optional<ProblemId> fail) {
  const std::string_view keyword = keywordOf(section);
  // The keyword may already be in the buffer, read as a word of the entries before it (a band
  // that counts more members than it lists takes the next keyword as a creature's name).
  const bool readBefore = buffer == keyword;
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
  if (observer != nullptr) {
    const std::size_t at =
        readBefore ? wordBefore(in.text(), keyword, in.tokenStart()) : in.tokenStart();
    observer->sectionFound(keyword, at);
    observer->sectionStarted(section, at, at + keyword.size());
  }
  return true;
}

bool readInOrder(std::span<const SectionReader> readers, ReadState& s) {
  return std::all_of(readers.begin(), readers.end(),
                     [&](const SectionReader& r) { return r.read(s); });
}

bool readOneOf(std::span<const SectionReader> readers, ReadState& s, Section section) {
  const auto found = std::find_if(readers.begin(), readers.end(),
                                  [&](const SectionReader& r) { return r.section == section; });
  return found != readers.end() && found->read(s);
}

bool readSection(ReadState& s, Section section) {
  switch (section) {
    case Section::kMapCodes:
      return readLegendSection(s);
    case Section::kThings:
    case Section::kCreatures:
    case Section::kDoors:
    case Section::kTraps:
      return readPlacedSection(s, section);
    case Section::kBands:
    case Section::kAreas:
    case Section::kGates:
      return readHeroSection(s, section);
    case Section::kTriggers:
      return readTriggers(s);
    case Section::kScenario:
      return readScenario(s);
    case Section::kHeader:
    case Section::kGrid:
    case Section::kHearts:
      break;
  }
  return false;
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
