// The fixed vocabularies of the map text: terrain, object, creature, door, trap, room and keeper
// spell names, and the player and level tokens, with the lookups the reader uses. Every
// comparison is exact and case-sensitive.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ts {

struct NameValue {
  std::string_view name;
  std::int32_t value;
};

// A 32-bit terrain value: terrain id, owner player, and two flag bytes (both 1), lowest byte
// first. The four hero gate markers 100, 102, 104 and 106 are whole values.
using TerrainCode = std::int32_t;

// The terrain id (lowest byte) and owner (next byte) of a terrain code, and the code of a
// terrain id with an owner (both flag bytes set).
[[nodiscard]] constexpr std::int32_t terrainIdOf(TerrainCode code) { return code & 0xFF; }
[[nodiscard]] constexpr std::int32_t ownerOf(TerrainCode code) { return (code >> 8) & 0xFF; }
[[nodiscard]] constexpr TerrainCode terrainCodeOf(std::uint8_t terrainId, std::uint8_t owner) {
  return static_cast<TerrainCode>(0x01010000U | static_cast<std::uint32_t>(owner) << 8 | terrainId);
}

// Player numbers as the game knows them.
inline constexpr std::int32_t kNoPlayer = 0;
inline constexpr std::int32_t kHeroPlayer = 1;
inline constexpr std::int32_t kNeutralPlayer = 2;
inline constexpr std::int32_t kFirstKeeperPlayer = 3;  // Keeper k is player k + 2

// Terrain codes that the reader and the writers treat specially.
inline constexpr TerrainCode kSolidRockCode = 0x01010201;
inline constexpr TerrainCode kHeroGate1Code = 0x0101011C;
inline constexpr TerrainCode kHeroGate2Code = 0x0101011D;
inline constexpr TerrainCode kHeroGate3Code = 0x01010121;
inline constexpr TerrainCode kHeroGate4Code = 0x01010122;
inline constexpr TerrainCode kHeroGate5Code = 0x01010124;
inline constexpr TerrainCode kHeroGate6Code = 0x01010125;
inline constexpr TerrainCode kHeroGate7Marker = 100;
inline constexpr TerrainCode kHeroGate8Marker = 102;
inline constexpr TerrainCode kHeroGate9Marker = 104;
inline constexpr TerrainCode kHeroGate10Marker = 106;
// The ten hero gate terrains, markers included.
[[nodiscard]] constexpr bool isGateTerrain(TerrainCode code) {
  switch (code) {
    case kHeroGate1Code:
    case kHeroGate2Code:
    case kHeroGate3Code:
    case kHeroGate4Code:
    case kHeroGate5Code:
    case kHeroGate6Code:
    case kHeroGate7Marker:
    case kHeroGate8Marker:
    case kHeroGate9Marker:
    case kHeroGate10Marker:
      return true;
    default:
      return false;
  }
}

// The four hero gate markers, which draw gates of the marker style (kMarkerGateStyle).
[[nodiscard]] constexpr bool isGateMarker(TerrainCode code) {
  return code == kHeroGate7Marker || code == kHeroGate8Marker || code == kHeroGate9Marker ||
         code == kHeroGate10Marker;
}

// The structure variant of a marker's gate: the marker's code less HERO_GATE_7's, so 0, 2, 4
// or 6; HERO_GATE_7's marker plus a variant gives the marker back.
[[nodiscard]] constexpr std::int32_t markerVariant(TerrainCode marker) {
  return marker - kHeroGate7Marker;
}
static_assert(markerVariant(kHeroGate8Marker) == 2 && markerVariant(kHeroGate9Marker) == 4 &&
              markerVariant(kHeroGate10Marker) == 6);

// The code a map file holds for a square of terrain `code`: the hero gate markers are written
// as HERO_GATE_6, which is what the game draws for them.
[[nodiscard]] constexpr TerrainCode mapFileCode(TerrainCode code) {
  return isGateMarker(code) ? kHeroGate6Code : code;
}

// The code a legend entry with an unknown terrain name stands for, and the code the map
// file gets for a character without any code.
inline constexpr TerrainCode kUnknownTerrainCode = 0x01010101;

// Tables feeding the name maps, in their stored order.
extern const std::array<NameValue, 139> kTerrainTable;
extern const std::array<NameValue, 83> kObjectTable;  // TH_ objects, then MI_ magic items
extern const std::array<NameValue, 31> kCreatureTable;
// Counted tables searched directly; the door and trap tables also feed their name maps.
extern const std::array<NameValue, 8> kDoorTable;
extern const std::array<NameValue, 12> kTrapTable;
extern const std::array<NameValue, 18> kRoomTable;
extern const std::array<NameValue, 12> kSpellTable;  // stored order matters for nothing but docs
extern const std::array<NameValue, 6> kPlayerTokens;
extern const std::array<NameValue, 10> kLevelTokens;

// The five name lookup maps (terrain, objects, creatures, doors, traps). Building one fills the
// maps from the tables; destroying it releases them. Lookups give -1 for an unknown name.
class NameMaps {
 public:
  NameMaps();

  [[nodiscard]] std::int32_t findTerrainCode(std::string_view name) const;
  [[nodiscard]] std::int32_t findObjectId(std::string_view name) const;
  [[nodiscard]] std::int32_t findCreatureId(std::string_view name) const;
  [[nodiscard]] std::int32_t findDoorId(std::string_view name) const;
  [[nodiscard]] std::int32_t findTrapId(std::string_view name) const;

  // Terrain names by ascending code (the order the GUI grid numbers its characters in).
  [[nodiscard]] const std::map<std::int32_t, std::string>& terrainNames() const {
    return terrain_.byValue;
  }
  [[nodiscard]] const std::map<std::int32_t, std::string>& creatureNames() const {
    return creatures_.byValue;
  }

 private:
  struct Map {
    std::map<std::int32_t, std::string> byValue;
    // Open addressing on a short hash of the name, at most half full; an empty name marks a
    // free slot. The names are those of the static tables.
    std::vector<NameValue> slots;
  };
  template <std::size_t N>
  static Map build(const std::array<NameValue, N>& table);
  static std::int32_t find(const Map& map, std::string_view name);

  Map terrain_;
  Map objects_;
  Map creatures_;
  Map doors_;
  Map traps_;
};

// Counted-table lookups: 0 for an unknown name.
[[nodiscard]] std::int32_t roomIdOrZero(std::string_view name);
[[nodiscard]] std::int32_t doorIdOrZero(std::string_view name);
[[nodiscard]] std::int32_t trapIdOrZero(std::string_view name);
[[nodiscard]] std::int32_t spellIdOrZero(std::string_view name);

// P1..P4 give 3..6, PH 1, PN 2; anything else 0.
[[nodiscard]] std::int32_t parsePlayerToken(std::string_view token);
// L1..L10 give 1..10; anything else 0.
[[nodiscard]] std::int32_t parseLevelToken(std::string_view token);

// The name of a value in a table, or an empty view when the table has no such value.
template <std::size_t N>
[[nodiscard]] std::string_view nameOf(const std::array<NameValue, N>& table, std::int32_t value) {
  for (const NameValue& entry : table) {
    if (entry.value == value) return entry.name;
  }
  return {};
}

}  // namespace ts
