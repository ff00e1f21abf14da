// THINGS, CREATURES, DOORS and TRAPS (counted entries; an entry with an unknown name or token
// is dropped silently), HEARTS_AND_GOLD with its heart-count check, and the per-keeper
// default tables installed once the hearts are known.
#include <optional>
#include <string>
#include <vector>

#include "reader/map_reader.h"

namespace ts {

namespace {

// The fewest characters a placed entry takes, separators included.
constexpr std::size_t kShortestEntry = 6;

bool readThings(ReadState& s) {
  s.guard = 0;
  if (!s.searchKeyword(Section::kThings, ProblemId::kLoopThings, std::nullopt)) {
    return false;
  }
  std::int32_t count = 0;
  s.readInteger(WordKind::kCount, count);
  s.level.objects.reserve(s.reserveFor(count, kShortestEntry));
  std::int32_t x = 0;
  std::int32_t y = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    s.entry(Section::kThings);
    s.readWord(WordKind::kObject, s.buffer);
    const std::size_t at = s.in.tokenStart();
    s.readInteger(WordKind::kX, x);
    s.readInteger(WordKind::kY, y);
    const std::int32_t id = s.names.findObjectId(s.buffer);
    if (id >= 1) s.level.objects.push_back({kNeutralPlayer, id, x, y});
    if (s.observer != nullptr && !s.in.failed()) {
      if (id >= 1) {
        s.observer->placed("thing", x, y, at);
      } else {
        s.observer->entryDropped(keywordOf(Section::kThings), ExpectedWord::kObjectName, s.buffer,
                                 at);
      }
    }
    if (s.in.failed()) {
      s.report(ProblemId::kThingsError);
      return false;
    }
  }
  return true;
}

// CREATURES, DOORS and TRAPS: a counted list of entries, each a name, coordinates and tokens.
struct PlacedSection {
  Section section;
  ProblemId loop;
  ProblemId fail;
  std::string_view what;  // what the observer is told was placed
  ExpectedWord nameKind;
  WordKind name;    // what the entry's first word is
  bool levelToken;  // a level token before the player token (creatures)
  bool lockFlag;    // a lock character after the player token (doors)
};

constexpr PlacedSection kCreatures = {Section::kCreatures,
                                      ProblemId::kLoopCreatures,
                                      ProblemId::kCreaturesError,
                                      "creature",
                                      ExpectedWord::kCreatureName,
                                      WordKind::kCreature,
                                      true,
                                      false};
constexpr PlacedSection kDoors = {Section::kDoors,
                                  ProblemId::kLoopDoors,
                                  ProblemId::kDoorsError,
                                  "door",
                                  ExpectedWord::kDoorName,
                                  WordKind::kDoor,
                                  false,
                                  true};
constexpr PlacedSection kTraps = {Section::kTraps,
                                  ProblemId::kLoopTraps,
                                  ProblemId::kTrapsError,
                                  "trap",
                                  ExpectedWord::kTrapName,
                                  WordKind::kTrap,
                                  false,
                                  false};

// One entry as read; the name stays in the buffer.
struct PlacedEntry {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t level = 0;  // creatures only
  std::int32_t owner = 0;
  char lock = ' ';  // doors only
};

// Reads the section's entries into `entries`. An entry with an unknown token or name is
// dropped; `make` gives the record of a name it knows. An entry cut short by the end of the
// text is not kept, and no further entry is read: the next keyword search reports the broken
// text.
template <typename Record, typename Make>
bool readPlaced(ReadState& s, const PlacedSection& section, std::vector<Record>& entries,
                Make make) {
  const std::string_view keyword = keywordOf(section.section);
  if (!s.searchKeyword(section.section, section.loop, section.fail)) return false;
  std::int32_t count = 0;
  s.readInteger(WordKind::kCount, count);
  entries.reserve(s.reserveFor(count, kShortestEntry));
  std::string levelToken;
  std::string playerToken;
  PlacedEntry entry;
  for (std::int32_t i = 0; i < count; ++i) {
    s.entry(section.section);
    s.readWord(section.name, s.buffer);
    const std::size_t nameAt = s.in.tokenStart();
    s.readInteger(WordKind::kX, entry.x);
    s.readInteger(WordKind::kY, entry.y);
    std::size_t levelAt = 0;
    if (section.levelToken) {
      s.readWord(WordKind::kLevel, levelToken);
      levelAt = s.in.tokenStart();
    }
    s.readWord(WordKind::kPlayer, playerToken);
    const std::size_t playerAt = s.in.tokenStart();
    if (section.lockFlag) s.readChar(WordKind::kLock, entry.lock);
    if (s.in.failed()) break;
    auto drop = [&](ExpectedWord expected, std::string_view word, std::size_t at) {
      if (s.observer) s.observer->entryDropped(keyword, expected, word, at);
    };
    if (section.levelToken) {
      entry.level = parseLevelToken(levelToken);
      if (entry.level == 0) {
        drop(ExpectedWord::kLevelToken, levelToken, levelAt);
        continue;
      }
    }
    entry.owner = parsePlayerToken(playerToken);
    if (entry.owner == kNoPlayer) {
      drop(ExpectedWord::kPlayerToken, playerToken, playerAt);
      continue;
    }
    if (const std::optional<Record> record = make(entry)) {
      entries.push_back(*record);
      if (s.observer) s.observer->placed(section.what, entry.x, entry.y, nameAt);
    } else {
      drop(section.nameKind, s.buffer, nameAt);
    }
  }
  return true;
}

bool readCreatures(ReadState& s) {
  return readPlaced(s, kCreatures, s.level.creatures,
                    [&](const PlacedEntry& e) -> std::optional<CreatureEntry> {
                      const std::int32_t id = s.names.findCreatureId(s.buffer);
                      if (id < 1) return std::nullopt;
                      return CreatureEntry{e.owner, id, e.x, e.y, e.level};
                    });
}

bool readDoors(ReadState& s) {
  return readPlaced(s, kDoors, s.level.doors,
                    [&](const PlacedEntry& e) -> std::optional<DoorEntry> {
                      const std::int32_t id = s.names.findDoorId(s.buffer);
                      if (id < 1) return std::nullopt;
                      return DoorEntry{e.owner, id, e.x, e.y, e.lock == 'L'};
                    });
}

bool readTraps(ReadState& s) {
  return readPlaced(s, kTraps, s.level.traps,
                    [&](const PlacedEntry& e) -> std::optional<TrapEntry> {
                      const std::int32_t id = s.names.findTrapId(s.buffer);
                      if (id < 1) return std::nullopt;
                      return TrapEntry{e.owner, id, e.x, e.y};
                    });
}

bool readHeartsAndGold(ReadState& s) {
  s.guard = 0;
  if (!s.searchKeyword(Section::kHearts, ProblemId::kLoopHearts, ProblemId::kHeartsError)) {
    return false;
  }
  LevelDescription& level = s.level;
  level.keeperGold = {0, 0, 0, 0};
  int hearts = 0;
  s.guard = 0;
  const std::string_view bands = keywordOf(Section::kBands);
  auto heartWord = [](std::size_t k) {
    return wordOf(static_cast<Statement>(static_cast<std::size_t>(Statement::kHeart1) + k));
  };
  auto goldWord = [](std::size_t k) {
    return wordOf(static_cast<Statement>(static_cast<std::size_t>(Statement::kGold1) + k));
  };
  // Words, not lines: HERO_BANDS ends the section wherever it stands.
  while (s.buffer != bands && !s.in.atEnd()) {
    s.in.readWord(s.buffer);
    const std::size_t at = s.in.tokenStart();
    bool known = s.buffer == bands || s.in.failed();
    if (s.buffer == bands) s.section(Section::kBands, at, s.in.position());
    for (std::size_t k = 0; k < 4; ++k) {
      if (s.buffer == heartWord(k) && !level.heartCenterSet[k]) {
        level.heartCenterSet[k] = true;
        s.entry(Section::kHearts);
        s.told(WordKind::kKeyword);
        s.readInteger(WordKind::kX, level.heartCenterX[k]);
        s.readInteger(WordKind::kY, level.heartCenterY[k]);
        ++hearts;
        if (s.observer)
          s.observer->placed("heart", level.heartCenterX[k], level.heartCenterY[k], at);
        known = true;
        break;
      }
      if (s.buffer == goldWord(k)) {
        s.entry(Section::kHearts);
        s.told(WordKind::kKeyword);
        s.readInteger(WordKind::kNumber, level.keeperGold[k]);
        if (s.observer) s.observer->goldRead(k, at);
        known = true;
        break;
      }
    }
    if (!known && s.observer) s.observer->wordIgnored(keywordOf(Section::kHearts), at);
    if (s.guardStep()) {
      s.report(ProblemId::kForgotEof);  // a warning: the heart check still decides
      break;
    }
  }
  if (hearts != level.playerCount) {
    s.report(ProblemId::kHeartCount);
    return false;
  }
  return true;
}

// The sections read on their own too, in reading order.
constexpr SectionReader kPlacedSections[] = {{Section::kThings, readThings},
                                             {Section::kCreatures, readCreatures},
                                             {Section::kDoors, readDoors},
                                             {Section::kTraps, readTraps}};

}  // namespace

bool readPlacedSection(ReadState& s, Section section) {
  return readOneOf(kPlacedSections, s, section);
}

bool readPlacements(ReadState& s) {
  return readInOrder(kPlacedSections, s) && readHeartsAndGold(s);
}

void installKeeperDefaults(LevelDescription& level) {
  KeeperTable creatures;
  for (std::int32_t id : {3, 4, 5, 6, 7, 10, 11, 12, 22, 23, 24}) creatures[id] = 32;
  KeeperTable traps;
  for (std::int32_t id = 1; id <= 11; ++id) traps[id] = kStartWith;
  KeeperTable rooms;
  for (std::int32_t id : {1, 2, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}) {
    rooms[id] = kStartWith;
  }
  KeeperTable doors;
  for (std::int32_t id = 1; id <= 6; ++id) doors[id] = kStartWith;
  const KeeperTable spells = {{4, kStartWith}, {2, kStartWith}};
  // Each keeper gets copies of its own.
  for (std::int32_t k = 0; k < level.playerCount; ++k) {
    level.creatureCounts.push_back(creatures);
    level.trapStates.push_back(traps);
    level.roomStates.push_back(rooms);
    level.doorStates.push_back(doors);
    level.spellStates.push_back(spells);
  }
}

}  // namespace ts
