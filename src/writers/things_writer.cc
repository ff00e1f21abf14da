// The things file: file size (190), information (191) and the body (192) of element chunks,
// in this order: creatures (200), objects (194), doors (196), traps (195), the areas of hero
// gates then of entrance areas (197), hero bands (201), then the structures (204) of hero
// gates and of keeper hearts.
#include <cassert>
#include <utility>

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

void putCreature(Bytes& out, const CreatureEntry& c) {
  FieldWriter r = beginElement(out, chunk::kThingCreature, kCreatureRecordSize);
  r.at(layout::kThingX).i32(c.x);
  r.at(layout::kThingY).i32(c.y);
  r.u32(0);
  r.u16(0);
  r.at(layout::kCreatureLevel).low8(c.level);
  r.u8(9);
  r.u32(100);
  r.u32(0);
  r.u16(0);
  r.at(layout::kCreatureId).low8(c.creatureId);
  r.at(layout::kCreatureOwner).low8(c.owner);
  assert(r.complete());
}

void putObject(Bytes& out, const ThingEntry& t) {
  FieldWriter r = beginElement(out, chunk::kThingObject, kObjectRecordSize);
  r.at(layout::kThingX).i32(t.x);
  r.at(layout::kThingY).i32(t.y);
  r.zeros(12);
  r.u16(0);
  r.at(layout::kObjectId).low8(t.objectId);
  r.at(layout::kObjectOwner).low8(kNeutralPlayer);
  assert(r.complete());
}

void putDoor(Bytes& out, const DoorEntry& d) {
  FieldWriter r = beginElement(out, chunk::kThingDoor, kDoorRecordSize);
  r.at(layout::kThingX).i32(d.x);
  r.at(layout::kThingY).i32(d.y);
  r.u32(0);
  r.u16(0);
  r.at(layout::kDoorId).low8(d.doorId);
  r.at(layout::kDoorOwner).low8(d.owner);
  r.at(layout::kDoorLocked).u8(d.locked ? 1 : 0);
  r.u8(0x63);
  r.u8(0x5F);
  r.u8(0);
  assert(r.complete());
}

void putTrap(Bytes& out, const TrapEntry& t) {
  FieldWriter r = beginElement(out, chunk::kThingTrap, kTrapRecordSize);
  r.at(layout::kThingX).i32(t.x);
  r.at(layout::kThingY).i32(t.y);
  r.u32(0);
  r.u8(4);
  r.at(layout::kTrapId).low8(t.trapId);
  r.at(layout::kTrapOwner).low8(t.owner);
  r.u8(0x73);
  assert(r.complete());
}

void putArea(Bytes& out, std::int32_t left, std::int32_t top, std::int32_t right,
             std::int32_t bottom, std::uint16_t trigger, std::size_t number) {
  FieldWriter r = beginElement(out, chunk::kThingArea, kAreaRecordSize);
  r.at(layout::kAreaLeft).i32(left);
  r.at(layout::kAreaTop).i32(top);
  r.at(layout::kAreaRight).i32(right);
  r.at(layout::kAreaBottom).i32(bottom);
  r.u16(0);
  r.u8(8);
  r.u8(0);
  r.at(layout::kAreaTrigger).u16(trigger);  // the watching trigger's identifier
  r.at(layout::kAreaNumber).u8(static_cast<std::uint8_t>(number));
  r.zeros(25);
  r.bytes(kAreaTail);
  r.u32(18);
  assert(r.complete());
}

void putBand(Bytes& out, const HeroBand& band, std::size_t number) {
  FieldWriter r = beginElement(out, chunk::kThingHeroBand, kBandRecordSize);
  const auto bandNumber = static_cast<std::uint8_t>(number);
  r.u32(9);
  r.bytes(std::array<std::uint8_t, 12>{0xA0, 0x45, 0x8E, 0x01, 0xA0, 0xEE, 0x15, 0x01, 0x7E, 0x2E,
                                       0x58, 0x00});
  r.u32(273);
  r.u32(0);
  r.u32(1);
  r.bytes(std::array<std::uint8_t, 4>{0xE0, 0x72, 0xE8, 0x00});
  r.u16(0);
  r.at(layout::kBandIndex).u8(bandNumber);
  r.u8(0);
  r.bytes(std::array<std::uint8_t, 7>{0x0C, 0xF7, 0x15, 0x01, 0x0C, 0xF7, 0x15});
  for (std::size_t j = 0; j < kMaxBandMembers; ++j) {
    const std::size_t slot = layout::kBandHeadSize + j * kBandMemberSlotSize;
    if (j >= band.members.size()) {
      r.zeros(kBandMemberSlotSize);
      continue;
    }
    const BandMember& m = band.members[j];
    r.zeros(12);
    r.u8(10);
    r.u8(0);
    r.at(slot + layout::kMemberLevel).low8(m.level);
    // The first member is marked as the band's leader.
    r.at(slot + layout::kMemberCode)
        .u8(static_cast<std::uint8_t>(j == 0 ? m.memberCode - 2 : m.memberCode));
    r.u32(0);
    r.u8(100);
    r.zeros(5);
    r.at(slot + layout::kMemberOwner).low8(m.owner);
    r.u8(19);
    r.at(slot + layout::kMemberCreature).low8(m.creatureId);
    r.u8(0);
    r.at(slot + layout::kMemberBandIndex).u8(bandNumber);
    r.u8(1);
  }
  assert(r.complete());
}

void putStructure(Bytes& out, std::int32_t x, std::int32_t y, std::int32_t variant,
                  std::uint8_t flag, std::int32_t terrain, std::int32_t player) {
  FieldWriter r = beginElement(out, chunk::kThingStructure, kStructureRecordSize);
  r.at(layout::kThingX).i32(x);
  r.at(layout::kThingY).i32(y);
  r.u32(0);
  r.u16(0);
  r.at(layout::kStructureVariant).low8(variant);
  r.at(layout::kStructureFlag).u8(flag);
  r.u8(100);
  r.u8(0);
  r.at(layout::kStructureTerrain).low8(terrain);
  r.at(layout::kStructureOwner).low8(player);
  assert(r.complete());
}

}  // namespace

void writeThingsFile(const LevelDescription& level, const TriggerPlan& plan, FileOutput& file) {
  // Every element chunk has a fixed size, so the frame in front of the body is known before
  // the first record.
  std::size_t hearts = 0;
  for (std::size_t k = 0; k < 4; ++k) hearts += level.heartCenterSet[k] ? 1 : 0;
  const std::size_t structures = level.heroGates.size() + hearts;
  const std::size_t areas = level.heroGates.size() + level.areas.size();
  const std::size_t elements = level.creatures.size() + level.things.size() + level.doors.size() +
                               level.traps.size() + areas + level.heroBands.size() + structures;
  const std::size_t bodySize = (kChunkHeaderSize + kCreatureRecordSize) * level.creatures.size() +
                               (kChunkHeaderSize + kObjectRecordSize) * level.things.size() +
                               (kChunkHeaderSize + kDoorRecordSize) * level.doors.size() +
                               (kChunkHeaderSize + kTrapRecordSize) * level.traps.size() +
                               (kChunkHeaderSize + kAreaRecordSize) * areas +
                               (kChunkHeaderSize + kBandRecordSize) * level.heroBands.size() +
                               (kChunkHeaderSize + kStructureRecordSize) * structures;
  const std::size_t length = kFrameSize + bodySize;
  file.expect(length);
  Bytes& out = file.bytes();
  putFileSizeChunk(out, chunk::kThingsFile, length);
  putFileInfoChunk(out, chunk::kThingsFile, elements,
                   stampRowFor(kThingsStamps, level.playerCount));
  putChunkHeader(out, chunk::kThingsFile + chunk::kBodyOffset, bodySize);

  for (const CreatureEntry& c : level.creatures) {
    putCreature(out, c);
    file.checkpoint();
  }
  for (const ThingEntry& t : level.things) {
    putObject(out, t);
    file.checkpoint();
  }
  for (const DoorEntry& d : level.doors) {
    putDoor(out, d);
    file.checkpoint();
  }
  for (const TrapEntry& t : level.traps) {
    putTrap(out, t);
    file.checkpoint();
  }
  // Area numbers count the hero gates first, then the entrance areas, as hero releases do.
  std::size_t areaNumber = 0;
  for (std::size_t j = 0; j < level.heroGates.size(); ++j) {
    const GateExtent& e = level.heroGates[j].extent;
    putArea(out, e.left, e.top, e.right, e.bottom, plan.gateTrigger(j), ++areaNumber);
    file.checkpoint();
  }
  for (std::size_t j = 0; j < level.areas.size(); ++j) {
    const EntranceArea& a = level.areas[j];
    putArea(out, a.left, a.top, a.right, a.bottom, plan.areaTrigger(j), ++areaNumber);
    file.checkpoint();
  }
  for (std::size_t b = 0; b < level.heroBands.size(); ++b) {
    putBand(out, level.heroBands[b], b);
    file.checkpoint();
  }
  for (const HeroGate& g : level.heroGates) {
    putStructure(out, g.x, g.y, g.gateVariant, 1, g.gateStyle, kHeroPlayer);
    file.checkpoint();
  }
  for (std::size_t k = 0; k < 4; ++k) {
    if (!level.heartCenterSet[k]) continue;
    putStructure(out, level.heartCenterX[k], level.heartCenterY[k], 0, 0, kHeartTerrainId,
                 static_cast<std::int32_t>(k) + kFirstKeeperPlayer);
  }
  assert(file.size() == length);
}

Bytes writeThingsFile(const LevelDescription& level) {
  const TriggerPlan plan(level);
  FileOutput file;
  writeThingsFile(level, plan, file);
  return std::move(file.bytes());
}

}  // namespace ts
