// The things file: file size (190), information (191) and the body (192) of element chunks,
// in this order: creatures (200), objects (194), doors (196), traps (195), the areas of hero
// gates then of entrance areas (197), hero bands (201), then the structures (204) of hero
// gates and of keeper hearts.
#include <cassert>

#include "writers/chunk.h"
#include "writers/layouts.h"
#include "writers/writers.h"

namespace ts {

namespace {

constexpr StampTable kThingsStamps = {{
    {0xCF, 0x07, 0x04, 0x06, 0xA0, 0xF0, 0x0D, 0x16, 0x2F, 0x98,
     0xCF, 0x07, 0x04, 0x06, 0x00, 0x00, 0x0D, 0x16, 0x2F, 0x00},
    {0xCF, 0x07, 0x06, 0x06, 0x18, 0xF2, 0x0C, 0x35, 0x2E, 0x98,
     0xCF, 0x07, 0x06, 0x06, 0x00, 0x00, 0x0C, 0x35, 0x2E, 0x00},
    {0xCF, 0x07, 0x08, 0x06, 0x9C, 0xF0, 0x0F, 0x05, 0x09, 0x98,
     0xCF, 0x07, 0x08, 0x06, 0x00, 0x00, 0x0F, 0x05, 0x09, 0x00},
    {0xCF, 0x07, 0x0E, 0x07, 0x1C, 0xF2, 0x0D, 0x0F, 0x05, 0x98,
     0xCF, 0x07, 0x0E, 0x07, 0x00, 0x00, 0x0D, 0x0F, 0x05, 0x00},
}};

using layout::kAreaRecordSize;
using layout::kBandMemberSlotSize;
using layout::kBandRecordSize;
using layout::kCreatureRecordSize;
using layout::kDoorRecordSize;
using layout::kObjectRecordSize;
using layout::kStructureRecordSize;
using layout::kTrapRecordSize;

constexpr std::array<std::uint8_t, 4> kAreaTail = {0xEC, 0xF9, 0x16, 0x01};
constexpr std::uint8_t kHeartTerrainId = 14;

// Starts an element chunk; the returned offset lets the record check its own size.
std::size_t beginElement(Bytes& out, std::uint32_t id, std::size_t size) {
  putChunkHeader(out, id, size);
  return out.size();
}

void putCreature(Bytes& out, const CreatureEntry& c) {
  [[maybe_unused]] const std::size_t start =
      beginElement(out, chunk::kThingCreature, kCreatureRecordSize);
  putI32(out, c.x);
  putI32(out, c.y);
  putU32(out, 0);
  putU16(out, 0);
  putLow8(out, c.level);
  putU8(out, 9);
  putU32(out, 100);
  putU32(out, 0);
  putU16(out, 0);
  putLow8(out, c.creatureId);
  putLow8(out, c.owner);
  assert(out.size() - start == kCreatureRecordSize);
}

void putObject(Bytes& out, const ThingEntry& t) {
  [[maybe_unused]] const std::size_t start =
      beginElement(out, chunk::kThingObject, kObjectRecordSize);
  putI32(out, t.x);
  putI32(out, t.y);
  putZeros(out, 12);
  putU16(out, 0);
  putLow8(out, t.objectId);
  putLow8(out, kNeutralPlayer);
  assert(out.size() - start == kObjectRecordSize);
}

void putDoor(Bytes& out, const DoorEntry& d) {
  [[maybe_unused]] const std::size_t start = beginElement(out, chunk::kThingDoor, kDoorRecordSize);
  putI32(out, d.x);
  putI32(out, d.y);
  putU32(out, 0);
  putU16(out, 0);
  putLow8(out, d.doorId);
  putLow8(out, d.owner);
  putU8(out, d.locked ? 1 : 0);
  putU8(out, 0x63);
  putU8(out, 0x5F);
  putU8(out, 0);
  assert(out.size() - start == kDoorRecordSize);
}

void putTrap(Bytes& out, const TrapEntry& t) {
  [[maybe_unused]] const std::size_t start = beginElement(out, chunk::kThingTrap, kTrapRecordSize);
  putI32(out, t.x);
  putI32(out, t.y);
  putU32(out, 0);
  putU8(out, 4);
  putLow8(out, t.trapId);
  putLow8(out, t.owner);
  putU8(out, 0x73);
  assert(out.size() - start == kTrapRecordSize);
}

void putArea(Bytes& out, std::int32_t left, std::int32_t top, std::int32_t right,
             std::int32_t bottom, std::int32_t triggerId, std::int32_t triggerAux,
             std::size_t number) {
  [[maybe_unused]] const std::size_t start = beginElement(out, chunk::kThingArea, kAreaRecordSize);
  putI32(out, left);
  putI32(out, top);
  putI32(out, right);
  putI32(out, bottom);
  putU16(out, 0);
  putU8(out, 8);
  putU8(out, 0);
  putLow8(out, triggerId);
  putLow8(out, triggerAux);
  putU8(out, static_cast<std::uint8_t>(number));
  putZeros(out, 25);
  putBytes(out, kAreaTail);
  putU32(out, 18);
  assert(out.size() - start == kAreaRecordSize);
}

void putBand(Bytes& out, const HeroBand& band, std::size_t number) {
  [[maybe_unused]] const std::size_t start =
      beginElement(out, chunk::kThingHeroBand, kBandRecordSize);
  const auto bandNumber = static_cast<std::uint8_t>(number);
  putU32(out, 9);
  putBytes(out, std::array<std::uint8_t, 12>{0xA0, 0x45, 0x8E, 0x01, 0xA0, 0xEE, 0x15, 0x01, 0x7E,
                                             0x2E, 0x58, 0x00});
  putU32(out, 273);
  putU32(out, 0);
  putU32(out, 1);
  putBytes(out, std::array<std::uint8_t, 4>{0xE0, 0x72, 0xE8, 0x00});
  putU16(out, 0);
  putU8(out, bandNumber);
  putU8(out, 0);
  putBytes(out, std::array<std::uint8_t, 7>{0x0C, 0xF7, 0x15, 0x01, 0x0C, 0xF7, 0x15});
  for (std::size_t j = 0; j < kMaxBandMembers; ++j) {
    if (j >= band.members.size()) {
      putZeros(out, kBandMemberSlotSize);
      continue;
    }
    const BandMember& m = band.members[j];
    putZeros(out, 12);
    putU8(out, 10);
    putU8(out, 0);
    putLow8(out, m.level);
    // The first member is marked as the band's leader.
    putU8(out, static_cast<std::uint8_t>(j == 0 ? m.memberCode - 2 : m.memberCode));
    putU32(out, 0);
    putU8(out, 100);
    putZeros(out, 5);
    putLow8(out, m.owner);
    putU8(out, 19);
    putLow8(out, m.creatureId);
    putU8(out, 0);
    putU8(out, bandNumber);
    putU8(out, 1);
  }
  assert(out.size() - start == kBandRecordSize);
}

void putStructure(Bytes& out, std::int32_t x, std::int32_t y, std::int32_t variant,
                  std::uint8_t flag, std::int32_t terrain, std::int32_t player) {
  [[maybe_unused]] const std::size_t start =
      beginElement(out, chunk::kThingStructure, kStructureRecordSize);
  putI32(out, x);
  putI32(out, y);
  putU32(out, 0);
  putU16(out, 0);
  putLow8(out, variant);
  putU8(out, flag);
  putU8(out, 100);
  putU8(out, 0);
  putLow8(out, terrain);
  putLow8(out, player);
  assert(out.size() - start == kStructureRecordSize);
}

}  // namespace

Bytes writeThingsFile(const LevelDescription& level) {
  Bytes body;
  std::size_t elements = 0;
  body.reserve(36 * level.creatures.size() + 32 * level.things.size() + 28 * level.doors.size() +
               24 * level.traps.size() + 92 * level.heroGates.size() + 64 * level.areas.size() +
               563 * level.heroBands.size() + 28 * 4);
  for (const CreatureEntry& c : level.creatures) putCreature(body, c);
  for (const ThingEntry& t : level.things) putObject(body, t);
  for (const DoorEntry& d : level.doors) putDoor(body, d);
  for (const TrapEntry& t : level.traps) putTrap(body, t);
  elements +=
      level.creatures.size() + level.things.size() + level.doors.size() + level.traps.size();
  // Area numbers count the hero gates first, then the entrance areas, as hero releases do.
  std::size_t areaNumber = 0;
  for (const HeroGate& g : level.heroGates) {
    const GateExtent& e = g.extent;
    putArea(body, e.left, e.top, e.right, e.bottom, g.triggerId, g.triggerAux, ++areaNumber);
  }
  for (const EntranceArea& a : level.areas) {
    putArea(body, a.left, a.top, a.right, a.bottom, a.triggerId, a.triggerAux, ++areaNumber);
  }
  for (std::size_t b = 0; b < level.heroBands.size(); ++b) putBand(body, level.heroBands[b], b);
  for (const HeroGate& g : level.heroGates) {
    putStructure(body, g.x, g.y, g.gateVariant, 1, g.gateStyle, kHeroPlayer);
  }
  elements += areaNumber + level.heroBands.size() + level.heroGates.size();
  for (std::size_t k = 0; k < 4; ++k) {
    if (!level.heartCenterSet[k]) continue;
    putStructure(body, level.heartCenterX[k], level.heartCenterY[k], 0, 0, kHeartTerrainId,
                 static_cast<std::int32_t>(k) + kFirstKeeperPlayer);
    ++elements;
  }
  return frameFile(chunk::kThingsFile, elements, stampRowFor(kThingsStamps, level.playerCount),
                   body);
}

}  // namespace ts
