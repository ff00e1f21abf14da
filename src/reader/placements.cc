// THINGS, CREATURES, DOORS and TRAPS (counted entries; an entry with an unknown name or token
// is dropped silently), HEARTS_AND_GOLD with its heart-count check, and the per-keeper
// default tables installed once the hearts are known.
#include <string>

#include "reader/map_reader.h"

namespace ts {

namespace {

// The fewest characters a placed entry takes, separators included.
constexpr std::size_t kShortestEntry = 6;

bool readThings(ReadState& s) {
  s.guard = 0;
  if (!s.searchKeyword("THINGS", ProblemId::kLoopThings, std::nullopt)) return false;
  std::int32_t count = 0;
  s.in.readInteger(count);
  s.level.things.reserve(s.reserveFor(count, kShortestEntry));
  std::int32_t x = 0;
  std::int32_t y = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    s.in.readWord(s.line);
    const std::size_t at = s.in.tokenStart();
    s.in.readInteger(x);
    s.in.readInteger(y);
    const std::int32_t id = s.names.findObjectId(s.line);
    if (id >= 1) s.level.things.push_back({kNeutralPlayer, id, x, y});
    if (s.observer != nullptr && !s.in.failed()) {
      if (id >= 1) {
        s.observer->placed("thing", x, y, at);
      } else {
        s.observer->entryDropped("THINGS", ExpectedWord::kObjectName, s.line, at);
      }
    }
    if (s.in.failed()) {
      s.report(ProblemId::kThingsError);
      return false;
    }
  }
  return true;
}

// In the loops below an entry cut short by the end of the text is not kept, and no further
// entry is read: the next keyword search reports the broken text.

bool readCreatures(ReadState& s) {
  if (!s.searchKeyword("CREATURES", ProblemId::kLoopCreatures, ProblemId::kCreaturesError))
    return false;
  std::int32_t count = 0;
  s.in.readInteger(count);
  s.level.creatures.reserve(s.reserveFor(count, kShortestEntry));
  std::string levelToken;
  std::string playerToken;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::array<std::size_t, 3> at{};  // name, level token, player token
  for (std::int32_t i = 0; i < count; ++i) {
    s.in.readWord(s.line);
    at[0] = s.in.tokenStart();
    s.in.readInteger(x);
    s.in.readInteger(y);
    s.in.readWord(levelToken);
    at[1] = s.in.tokenStart();
    s.in.readWord(playerToken);
    at[2] = s.in.tokenStart();
    if (s.in.failed()) break;
    const std::int32_t level = parseLevelToken(levelToken);
    if (level == 0) {
      if (s.observer)
        s.observer->entryDropped("CREATURES", ExpectedWord::kLevelToken, levelToken, at[1]);
      continue;
    }
    const std::int32_t owner = parsePlayerToken(playerToken);
    if (owner == kNoPlayer) {
      if (s.observer)
        s.observer->entryDropped("CREATURES", ExpectedWord::kPlayerToken, playerToken, at[2]);
      continue;
    }
    const std::int32_t id = s.names.findCreatureId(s.line);
    if (id >= 1) {
      s.level.creatures.push_back({owner, id, x, y, level});
      if (s.observer) s.observer->placed("creature", x, y, at[0]);
    } else if (s.observer) {
      s.observer->entryDropped("CREATURES", ExpectedWord::kCreatureName, s.line, at[0]);
    }
  }
  return true;
}

bool readDoors(ReadState& s) {
  if (!s.searchKeyword("DOORS", ProblemId::kLoopDoors, ProblemId::kDoorsError)) return false;
  std::int32_t count = 0;
  s.in.readInteger(count);
  s.level.doors.reserve(s.reserveFor(count, kShortestEntry));
  std::string playerToken;
  std::int32_t x = 0;
  std::int32_t y = 0;
  char lock = ' ';
  std::array<std::size_t, 2> at{};  // name, player token
  for (std::int32_t i = 0; i < count; ++i) {
    s.in.readWord(s.line);
    at[0] = s.in.tokenStart();
    s.in.readInteger(x);
    s.in.readInteger(y);
    s.in.readWord(playerToken);
    at[1] = s.in.tokenStart();
    s.in.readChar(lock);
    if (s.in.failed()) break;
    const std::int32_t owner = parsePlayerToken(playerToken);
    if (owner == kNoPlayer) {
      if (s.observer)
        s.observer->entryDropped("DOORS", ExpectedWord::kPlayerToken, playerToken, at[1]);
      continue;
    }
    const std::int32_t id = s.names.findDoorId(s.line);
    if (id >= 1) {
      s.level.doors.push_back({owner, id, x, y, lock == 'L'});
      if (s.observer) s.observer->placed("door", x, y, at[0]);
    } else if (s.observer) {
      s.observer->entryDropped("DOORS", ExpectedWord::kDoorName, s.line, at[0]);
    }
  }
  return true;
}

bool readTraps(ReadState& s) {
  if (!s.searchKeyword("TRAPS", ProblemId::kLoopTraps, ProblemId::kTrapsError)) return false;
  std::int32_t count = 0;
  s.in.readInteger(count);
  s.level.traps.reserve(s.reserveFor(count, kShortestEntry));
  std::string playerToken;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::array<std::size_t, 2> at{};  // name, player token
  for (std::int32_t i = 0; i < count; ++i) {
    s.in.readWord(s.line);
    at[0] = s.in.tokenStart();
    s.in.readInteger(x);
    s.in.readInteger(y);
    s.in.readWord(playerToken);
    at[1] = s.in.tokenStart();
    if (s.in.failed()) break;
    const std::int32_t owner = parsePlayerToken(playerToken);
    if (owner == kNoPlayer) {
      if (s.observer)
        s.observer->entryDropped("TRAPS", ExpectedWord::kPlayerToken, playerToken, at[1]);
      continue;
    }
    const std::int32_t id = s.names.findTrapId(s.line);
    if (id >= 1) {
      s.level.traps.push_back({owner, id, x, y});
      if (s.observer) s.observer->placed("trap", x, y, at[0]);
    } else if (s.observer) {
      s.observer->entryDropped("TRAPS", ExpectedWord::kTrapName, s.line, at[0]);
    }
  }
  return true;
}

bool readHeartsAndGold(ReadState& s) {
  s.guard = 0;
  if (!s.searchKeyword("HEARTS_AND_GOLD", ProblemId::kLoopHearts, ProblemId::kHeartsError))
    return false;
  LevelDescription& level = s.level;
  level.keeperGold = {0, 0, 0, 0};
  int hearts = 0;
  s.guard = 0;
  static constexpr std::array<std::string_view, 4> kHeartWords = {
      "KPR1_HEART_CENTER", "KPR2_HEART_CENTER", "KPR3_HEART_CENTER", "KPR4_HEART_CENTER"};
  static constexpr std::array<std::string_view, 4> kGoldWords = {"GOLD1", "GOLD2", "GOLD3",
                                                                 "GOLD4"};
  // Words, not lines: HERO_BANDS ends the section wherever it stands.
  while (s.line != "HERO_BANDS" && !s.in.atEnd()) {
    s.in.readWord(s.line);
    const std::size_t at = s.in.tokenStart();
    for (std::size_t k = 0; k < 4; ++k) {
      if (s.line == kHeartWords[k] && !level.heartCenterSet[k]) {
        level.heartCenterSet[k] = true;
        s.in.readInteger(level.heartCenterX[k]);
        s.in.readInteger(level.heartCenterY[k]);
        ++hearts;
        if (s.observer)
          s.observer->placed("heart", level.heartCenterX[k], level.heartCenterY[k], at);
        break;
      }
      if (s.line == kGoldWords[k]) {
        s.in.readInteger(level.keeperGold[k]);
        if (s.observer) s.observer->goldRead(k, at);
        break;
      }
    }
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

}  // namespace

bool readPlacements(ReadState& s) {
  return readThings(s) && readCreatures(s) && readDoors(s) && readTraps(s) && readHeartsAndGold(s);
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
