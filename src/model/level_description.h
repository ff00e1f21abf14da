// The level read from one map file. Constructing it from a map text runs the whole reader;
// the writers then read it (and the triggers writer stores trigger identifiers into the
// entrance areas and hero gates).
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "model/vocabulary.h"

namespace ts {

// Longest level name: every level file path written into the level-information file,
// "Data\Editor\Maps\" + name + "Variables.kld", must fit its 64-byte field.
inline constexpr std::size_t kMaxLevelNameLength = 34;

// Searches and long loops stop the reading once their step count passes this.
inline constexpr int kLoopLimit = 1000;

// Widest rows a line read can hold: one character per square in text mode, two in GUI mode.
inline constexpr std::int32_t kMaxTextWidth = 999;
inline constexpr std::int32_t kMaxGuiWidth = 499;

class LevelDescription {
 public:
  // An empty, invalid level; the reader fills it (readLevel), and tests and tools by hand.
  std::int32_t playerCount = 0;
  std::vector<std::string> mapRows;  // row 0 first, each exactly mapWidth characters
  std::int32_t mapWidth = 0;
  std::int32_t mapHeight = 0;
  std::map<TerrainCode, unsigned char> mapCodes;  // the legend
  std::string levelName;
  bool isValid = false;
  std::array<bool, 4> heartCenterSet{};
  std::array<std::int32_t, 4> heartCenterX{};
  std::array<std::int32_t, 4> heartCenterY{};
  std::array<std::int32_t, 4> keeperGold{};
  std::vector<ObjectEntry> objects;  // objects and magic items lying on the map
  std::vector<CreatureEntry> creatures;
  std::vector<DoorEntry> doors;
  std::vector<TrapEntry> traps;
  std::vector<EntranceArea> areas;
  std::vector<Trigger> triggers;
  std::vector<HeroBand> heroBands;
  std::vector<HeroGate> heroGates;
  std::vector<KeeperTable> creatureCounts;  // one per keeper: creature id -> count
  std::vector<KeeperTable> trapStates;      // trap id -> Availability
  std::vector<KeeperTable> doorStates;      // door id -> Availability
  std::vector<KeeperTable> spellStates;     // keeper spell id -> Availability
  std::vector<KeeperTable> roomStates;      // room id -> Availability
};

// For every map character, the smallest terrain code that carries it in the legend.
class CharacterCodes {
 public:
  explicit CharacterCodes(const std::map<TerrainCode, unsigned char>& mapCodes);
  [[nodiscard]] bool has(unsigned char c) const { return present_[c]; }
  // REQUIRES: has(c).
  [[nodiscard]] TerrainCode code(unsigned char c) const { return codes_[c]; }
  // The terrain a square drawn with `c` has: its code, or the fallback code the compiler
  // writes for a character without one.
  [[nodiscard]] TerrainCode terrainOf(unsigned char c) const {
    return present_[c] ? codes_[c] : kUnknownTerrainCode;
  }

 private:
  std::array<TerrainCode, 256> codes_{};
  std::array<bool, 256> present_{};
};

}  // namespace ts
