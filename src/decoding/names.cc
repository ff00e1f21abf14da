#include "decoding/names.h"

#include <array>
#include <cstdio>

#include "format/chunks.h"
#include "format/layouts.h"
#include "format/level_files.h"
#include "model/records.h"
#include "model/vocabulary.h"

namespace ts::inspect {

namespace {

struct IdName {
  std::int64_t id;
  std::string_view name;
};

template <std::size_t N>
std::string_view find(const std::array<IdName, N>& table, std::int64_t id) {
  for (const IdName& entry : table) {
    if (entry.id == id) return entry.name;
  }
  return {};
}

// Vocabulary values are 32-bit; anything wider names nothing.
template <std::size_t N>
std::string_view vocabulary(const std::array<NameValue, N>& table, std::int64_t value) {
  if (value < INT32_MIN || value > INT32_MAX) return {};
  return nameOf(table, static_cast<std::int32_t>(value));
}

constexpr std::array<IdName, 15> kElementChunks = {{
    {chunk::kMapInfo, "map information"},
    {chunk::kMapCells, "cells"},
    {chunk::kThingObject, "object"},
    {chunk::kThingTrap, "trap"},
    {chunk::kThingDoor, "door"},
    {chunk::kThingArea, "area"},
    {chunk::kThingCreature, "creature"},
    {chunk::kThingHeroBand, "hero band"},
    {chunk::kThingStructure, "structure"},
    {chunk::kTriggerElement, "trigger"},
    {chunk::kActionElement, "action"},
    {chunk::kLevelInfo, "level information"},
    {chunk::kReferencedFiles, "referenced files"},
    {chunk::kLevelInfoFile + chunk::kInfoOffset, "information"},
    {chunk::kLevelInfoFile, "file size"},
}};

constexpr std::array<IdName, 15> kReferencedKinds = {{
    {chunk::kMapFile, "map"},
    {chunk::kDataTerrain, "terrain data"},
    {chunk::kDataRooms, "rooms data"},
    {chunk::kDataTraps, "traps data"},
    {chunk::kDataDoors, "doors data"},
    {chunk::kDataKeeperSpells, "keeper spells data"},
    {chunk::kDataCreatureSpells, "creature spells data"},
    {chunk::kDataCreatures, "creatures data"},
    {chunk::kPlayersFile, "players"},
    {chunk::kThingsFile, "things"},
    {chunk::kTriggersFile, "triggers"},
    {chunk::kLevelInfoFile, "level information"},
    {chunk::kVariablesFile, "variables"},
    {chunk::kDataObjects, "objects data"},
    {chunk::kDataShots, "shots data"},
}};

// Gate-release nodes are made by the compiler, not written in map texts; their name says so.
constexpr std::array<IdName, 4> kTriggerKinds = {{
    {kTriggerTime, "TRIGGER_TIME"},
    {kTriggerSlapCount, "TRIGGER_SLAP_COUNT_EQUALS"},
    {kTriggerControlArea, "TRIGGER_CONTROL_AREA"},
    {kTriggerGateRelease, "GATE_RELEASE"},
}};

constexpr std::array<IdName, 5> kActionTypes = {{
    {kActionHeroRelease, "HERO_RELEASE"},
    {kActionGrant, "ADD"},
    {kActionMakeAvailable, "MAKE_AVAILABLE"},
    {kActionGateLocation, "GATE_LOCATION"},
    {kActionDestroyGate, "DESTROY_HERO_GATE"},
}};

constexpr std::array<IdName, 3> kAvailability = {{
    {kNotAvailable, "NO"},
    {kMustResearch, "MUST_RESEARCH"},
    {kStartWith, "START_WITH"},
}};

constexpr std::array<IdName, 4> kActionCategories = {{
    {kActionCategoryRoom, "room"},
    {kActionCategoryDoor, "door"},
    {kActionCategoryTrap, "trap"},
    {kActionCategorySpell, "spell"},
}};

// The variables file's own category numbers (doors and traps the other way round).
constexpr std::array<IdName, 5> kVariablesCategories = {{
    {layout::kCategoryRoom, "room"},
    {layout::kCategoryCreature, "creature"},
    {layout::kCategoryTrap, "trap"},
    {layout::kCategoryDoor, "door"},
    {layout::kCategorySpell, "spell"},
}};

constexpr std::array<IdName, 4> kEntryTypes = {{
    {layout::kEntryCreatureCount, "creature count"},
    {layout::kEntryAvailability, "availability"},
    {layout::kEntryPlayer, "player entry"},
    {layout::kEntryGlobal, "global entry"},
}};

// The kinds after kUnknown stand in the order of the level files.
static_assert(static_cast<std::size_t>(FileKind::kMap) == format::kMapFile + 1);
static_assert(static_cast<std::size_t>(FileKind::kLevelInfo) == format::kLevelInfoFile + 1);

}  // namespace

std::string_view chunkName(FileKind kind, std::uint32_t id) {
  if (kind == FileKind::kUnknown) return {};
  const std::uint32_t base =
      format::fileChunkId(static_cast<format::LevelFile>(static_cast<std::size_t>(kind) - 1));
  if (id == base) return "file size";
  if (kind == FileKind::kMap || kind == FileKind::kLevelInfo) return find(kElementChunks, id);
  if (id == base + chunk::kInfoOffset) return "information";
  if (id == base + chunk::kBodyOffset) return "body";
  return find(kElementChunks, id);
}

std::string_view referencedKindName(std::uint32_t kind) { return find(kReferencedKinds, kind); }
std::string_view playerName(std::int64_t player) { return vocabulary(kPlayerTokens, player); }
std::string playerWords(std::int64_t player) {
  if (player == kHeroPlayer) return "hero player";
  if (player == kNeutralPlayer) return "neutral player";
  if (!playerName(player).empty())
    return "keeper " + std::to_string(player - kFirstKeeperPlayer + 1);
  return "player " + std::to_string(player);
}

std::string_view levelName(std::int64_t level) { return vocabulary(kLevelTokens, level); }
std::string_view creatureName(std::int64_t id) { return vocabulary(kCreatureTable, id); }
std::string_view objectName(std::int64_t id) { return vocabulary(kObjectTable, id); }
std::string_view doorName(std::int64_t id) { return vocabulary(kDoorTable, id); }
std::string_view trapName(std::int64_t id) { return vocabulary(kTrapTable, id); }

std::string_view terrainName(std::uint32_t code) {
  if (code == static_cast<std::uint32_t>(kUnknownTerrainCode)) return "unmapped square";
  return nameOf(kTerrainTable, static_cast<std::int32_t>(code));
}

std::string_view triggerKindName(std::int64_t kind) { return find(kTriggerKinds, kind); }
std::string_view actionTypeName(std::int64_t type) { return find(kActionTypes, type); }
std::string_view availabilityName(std::int64_t state) { return find(kAvailability, state); }
std::string_view actionCategoryName(std::int64_t category) {
  return find(kActionCategories, category);
}

std::string_view actionItemName(std::int64_t category, std::int64_t id) {
  switch (category) {
    case kActionCategoryRoom:
      return vocabulary(kRoomTable, id);
    case kActionCategoryDoor:
      return vocabulary(kDoorTable, id);
    case kActionCategoryTrap:
      return vocabulary(kTrapTable, id);
    case kActionCategorySpell:
      return vocabulary(kSpellTable, id);
    default:
      return {};
  }
}

std::string_view variablesCategoryName(std::int64_t category) {
  return find(kVariablesCategories, category);
}

std::string_view variablesItemName(std::int64_t category, std::int64_t id) {
  switch (category) {
    case layout::kCategoryRoom:
      return vocabulary(kRoomTable, id);
    case layout::kCategoryCreature:
      return vocabulary(kCreatureTable, id);
    case layout::kCategoryTrap:
      return vocabulary(kTrapTable, id);
    case layout::kCategoryDoor:
      return vocabulary(kDoorTable, id);
    case layout::kCategorySpell:
      return vocabulary(kSpellTable, id);
    default:
      return {};
  }
}

std::string_view entryTypeName(std::int64_t type) { return find(kEntryTypes, type); }

std::string formatStamp(std::span<const std::uint8_t> stamp) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u",
                static_cast<unsigned>(stamp[0] | stamp[1] << 8), static_cast<unsigned>(stamp[3]),
                static_cast<unsigned>(stamp[2]), static_cast<unsigned>(stamp[6]),
                static_cast<unsigned>(stamp[7]), static_cast<unsigned>(stamp[8]));
  return text;
}

}  // namespace ts::inspect
