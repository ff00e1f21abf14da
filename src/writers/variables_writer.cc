// The variables file: file size (230), information (231) and the body (232) of 16-byte
// entries without headers of their own: creature counts of every keeper, each keeper's
// availabilities, 40 defaults for each keeper with a heart, and the closing entries.
#include <algorithm>
#include <cassert>

#include "format/layouts.h"
#include "writers/chunk.h"
#include "writers/stamps.h"
#include "writers/writers.h"

namespace ts {

namespace {

using layout::kCategoryCreature;
using layout::kCategoryDoor;
using layout::kCategoryRoom;
using layout::kCategorySpell;
using layout::kCategoryTrap;
using layout::kEntryAvailability;
using layout::kEntryCreatureCount;
using layout::kEntryGlobal;
using layout::kEntryPlayer;

struct DefaultEntry {
  std::uint16_t category;
  std::uint16_t id;
};

// Written, in this order, for every keeper whose heart is on the map, all available.
constexpr std::array<DefaultEntry, 40> kDefaultAvailability = {{
    {kCategoryRoom, 7},      {kCategoryRoom, 8},      {kCategoryRoom, 9},
    {kCategoryRoom, 10},     {kCategoryRoom, 11},     {kCategoryRoom, 12},
    {kCategoryRoom, 13},     {kCategoryRoom, 14},     {kCategoryRoom, 15},
    {kCategoryRoom, 16},     {kCategoryRoom, 17},     {kCategoryCreature, 3},
    {kCategoryCreature, 4},  {kCategoryCreature, 5},  {kCategoryCreature, 6},
    {kCategoryCreature, 7},  {kCategoryCreature, 10}, {kCategoryCreature, 12},
    {kCategoryCreature, 22}, {kCategoryCreature, 23}, {kCategoryCreature, 24},
    {kCategoryDoor, 1},      {kCategoryDoor, 2},      {kCategoryDoor, 3},
    {kCategoryDoor, 4},      {kCategoryDoor, 5},      {kCategoryDoor, 6},
    {kCategoryTrap, 1},      {kCategoryTrap, 2},      {kCategoryTrap, 3},
    {kCategoryTrap, 4},      {kCategoryTrap, 5},      {kCategoryTrap, 6},
    {kCategoryTrap, 7},      {kCategoryTrap, 8},      {kCategoryTrap, 9},
    {kCategoryTrap, 10},     {kCategoryTrap, 11},     {kCategorySpell, 2},
    {kCategorySpell, 4},
}};

constexpr std::size_t kEntrySize = layout::kVariableEntrySize;

void putEntry(Bytes& out, std::uint32_t type, std::uint32_t second, std::uint32_t third,
              std::uint32_t fourth) {
  putU32(out, type);
  putU32(out, second);
  putU32(out, third);
  putU32(out, fourth);
}

void putAvailability(Bytes& out, std::uint16_t category, std::int32_t player, std::int32_t id,
                     std::int32_t state) {
  FieldWriter r(out, kEntrySize);
  r.at(layout::kEntryType).u32(kEntryAvailability);
  r.at(layout::kAvailabilityCategory).u16(category);
  r.at(layout::kAvailabilityPlayer).u16(static_cast<std::uint16_t>(player));
  r.at(layout::kAvailabilityItem).i32(id);
  r.at(layout::kAvailabilityState).i32(state);
  assert(r.complete());
}

void putStates(Bytes& out, std::uint16_t category, std::int32_t player, const KeeperTable& table) {
  for (const auto& [id, state] : table) putAvailability(out, category, player, id, state);
}

}  // namespace

Bytes buildVariablesFile(const LevelDescription& level) {
  Bytes body;
  const auto keepers = static_cast<std::size_t>(std::max(level.playerCount, 0));
  auto table = [](const std::vector<KeeperTable>& tables, std::size_t p) -> const KeeperTable& {
    static const KeeperTable kEmpty;
    return p < tables.size() ? tables[p] : kEmpty;
  };
  // Creature counts of every keeper come first.
  for (std::size_t p = 0; p < keepers; ++p) {
    const auto player = static_cast<std::uint32_t>(p) + kFirstKeeperPlayer;
    for (const auto& [id, count] : table(level.creatureCounts, p)) {
      putEntry(body, kEntryCreatureCount, static_cast<std::uint32_t>(id),
               static_cast<std::uint32_t>(count), player);
    }
  }
  // Then each keeper's availabilities: rooms, creatures, doors, traps, spells.
  for (std::size_t p = 0; p < keepers; ++p) {
    const auto player = static_cast<std::int32_t>(p) + kFirstKeeperPlayer;
    putStates(body, kCategoryRoom, player, table(level.roomStates, p));
    for (const auto& entry : table(level.creatureCounts, p)) {
      putAvailability(body, kCategoryCreature, player, entry.first, kStartWith);
    }
    putStates(body, kCategoryDoor, player, table(level.doorStates, p));
    putStates(body, kCategoryTrap, player, table(level.trapStates, p));
    putStates(body, kCategorySpell, player, table(level.spellStates, p));
  }
  for (std::size_t k = 0; k < 4; ++k) {
    if (!level.heartCenterSet[k]) continue;
    for (const DefaultEntry& entry : kDefaultAvailability) {
      putAvailability(body, entry.category, static_cast<std::int32_t>(k) + kFirstKeeperPlayer,
                      entry.id, kStartWith);
    }
  }
  putEntry(body, kEntryGlobal, 340, 0, 0);
  putEntry(body, kEntryPlayer, kNeutralPlayer, 1, 0);
  for (std::size_t k = 0; k < 4; ++k) {
    if (level.heartCenterSet[k]) {
      putEntry(body, kEntryPlayer, static_cast<std::uint32_t>(k) + kFirstKeeperPlayer, 2, 0);
    }
  }
  return frameFile(chunk::kVariablesFile, body.size() / kEntrySize,
                   stampRowFor(kVariablesStamps, level.playerCount), body);
}

}  // namespace ts
