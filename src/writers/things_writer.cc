// The things file: file size (190), information (191) and the body (192) of element chunks,
// in this order: creatures (200), objects (194), doors (196), traps (195), the areas of hero
// gates then of entrance areas (197), hero bands (201), then the structures (204) of hero
// gates and of keeper hearts.
#include <array>
#include <cassert>
#include <utility>
#include <vector>

#include "format/layouts.h"
#include "writers/chunk.h"
#include "writers/stamps.h"
#include "writers/writers.h"

namespace ts {

namespace {

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

// Creatures, objects, doors, traps and structures start with the square they stand on and
// `zeros` bytes of zeros.
void putPosition(FieldWriter& r, std::int32_t x, std::int32_t y, std::size_t zeros) {
  r.at(layout::kThingX).i32(x);
  r.at(layout::kThingY).i32(y);
  r.zeros(zeros);
}

void putCreature(FieldWriter& r, const CreatureEntry& c) {
  putPosition(r, c.x, c.y, 6);
  r.at(layout::kCreatureLevel).low8(c.level);
  r.u8(9);
  r.u32(100);
  r.u32(0);
  r.u16(0);
  r.at(layout::kCreatureId).low8(c.creatureId);
  r.at(layout::kCreatureOwner).low8(c.owner);
}

void putObject(FieldWriter& r, const ObjectEntry& t) {
  putPosition(r, t.x, t.y, 14);
  r.at(layout::kObjectId).low8(t.objectId);
  r.at(layout::kObjectOwner).low8(kNeutralPlayer);
}

void putDoor(FieldWriter& r, const DoorEntry& d) {
  putPosition(r, d.x, d.y, 6);
  r.at(layout::kDoorId).low8(d.doorId);
  r.at(layout::kDoorOwner).low8(d.owner);
  r.at(layout::kDoorLocked).u8(d.locked ? 1 : 0);
  r.u8(0x63);
  r.u8(0x5F);
  r.u8(0);
}

void putTrap(FieldWriter& r, const TrapEntry& t) {
  putPosition(r, t.x, t.y, 4);
  r.u8(4);
  r.at(layout::kTrapId).low8(t.trapId);
  r.at(layout::kTrapOwner).low8(t.owner);
  r.u8(0x73);
}

void putArea(FieldWriter& r, std::int32_t left, std::int32_t top, std::int32_t right,
             std::int32_t bottom, std::uint16_t trigger, std::size_t number) {
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
}

void putBand(FieldWriter& r, const HeroBand& band, std::size_t number) {
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
}

void putStructure(FieldWriter& r, std::int32_t x, std::int32_t y, std::int32_t variant,
                  std::uint8_t flag, std::int32_t terrain, std::int32_t player) {
  putPosition(r, x, y, 6);
  r.at(layout::kStructureVariant).low8(variant);
  r.at(layout::kStructureFlag).u8(flag);
  r.u8(100);
  r.u8(0);
  r.at(layout::kStructureTerrain).low8(terrain);
  r.at(layout::kStructureOwner).low8(player);
}

// A run of elements of one kind in the body: their chunk identifier, their record size and how
// many the level has.
struct ElementRun {
  std::uint32_t id;
  std::size_t recordSize;
  std::size_t count;
};

// The runs of the body. The announced element count and body size are computed from them, and
// each run's elements are written by its identifier, size and count, so the two cannot differ.
struct ThingsBody {
  ElementRun creatures;
  ElementRun objects;
  ElementRun doors;
  ElementRun traps;
  ElementRun areas;
  ElementRun bands;
  ElementRun structures;

  [[nodiscard]] std::array<ElementRun, 7> runs() const {
    return {creatures, objects, doors, traps, areas, bands, structures};
  }
  [[nodiscard]] std::size_t elements() const {
    std::size_t n = 0;
    for (const ElementRun& run : runs()) n += run.count;
    return n;
  }
  [[nodiscard]] std::size_t size() const {
    std::size_t n = 0;
    for (const ElementRun& run : runs()) n += (kChunkHeaderSize + run.recordSize) * run.count;
    return n;
  }
};

// Hero gates have an area and a structure each; every heart is a structure.
ThingsBody thingsBody(const LevelDescription& level, std::size_t hearts) {
  const std::size_t gates = level.heroGates.size();
  return {
      {chunk::kThingCreature, kCreatureRecordSize, level.creatures.size()},
      {chunk::kThingObject, kObjectRecordSize, level.objects.size()},
      {chunk::kThingDoor, kDoorRecordSize, level.doors.size()},
      {chunk::kThingTrap, kTrapRecordSize, level.traps.size()},
      {chunk::kThingArea, kAreaRecordSize, gates + level.areas.size()},
      {chunk::kThingHeroBand, kBandRecordSize, level.heroBands.size()},
      {chunk::kThingStructure, kStructureRecordSize, gates + hearts},
  };
}

// Writes the run's elements, a chunk each; `fill(record, i)` fills element i's record.
template <typename Fill>
void putRun(FileOutput& file, const ElementRun& run, Fill fill) {
  for (std::size_t i = 0; i < run.count; ++i) {
    FieldWriter record = beginElement(file.bytes(), run.id, run.recordSize);
    fill(record, i);
    assert(record.complete());
    file.checkpoint();
  }
}

// A run with one element per entry of the level.
template <typename Entry, typename Put>
void putEntries(FileOutput& file, const ElementRun& run, const std::vector<Entry>& entries,
                Put put) {
  assert(run.count == entries.size());
  putRun(file, run, [&](FieldWriter& r, std::size_t i) { put(r, entries[i]); });
}

// Area numbers count the hero gates first, then the entrance areas, as hero releases do.
void putAreas(FileOutput& file, const ElementRun& run, const LevelDescription& level,
              const TriggerPlan& plan) {
  const std::size_t gates = level.heroGates.size();
  putRun(file, run, [&](FieldWriter& r, std::size_t i) {
    if (i < gates) {
      const GateExtent& e = level.heroGates[i].extent;
      putArea(r, e.left, e.top, e.right, e.bottom, plan.gateTrigger(i), i + 1);
    } else {
      const EntranceArea& a = level.areas[i - gates];
      putArea(r, a.left, a.top, a.right, a.bottom, plan.areaTrigger(i - gates), i + 1);
    }
  });
}

// The hero gates' structures, then the hearts of `heartKeepers` (keeper indexes from 0).
void putStructures(FileOutput& file, const ElementRun& run, const LevelDescription& level,
                   const std::vector<std::size_t>& heartKeepers) {
  const std::size_t gates = level.heroGates.size();
  putRun(file, run, [&](FieldWriter& r, std::size_t i) {
    if (i < gates) {
      const HeroGate& g = level.heroGates[i];
      putStructure(r, g.x, g.y, g.gateVariant, 1, g.gateStyle, kHeroPlayer);
    } else {
      const std::size_t k = heartKeepers[i - gates];
      putStructure(r, level.heartCenterX[k], level.heartCenterY[k], 0, 0, kHeartTerrainId,
                   static_cast<std::int32_t>(k) + kFirstKeeperPlayer);
    }
  });
}

}  // namespace

void buildThingsFile(const LevelDescription& level, const TriggerPlan& plan, FileOutput& file) {
  std::vector<std::size_t> heartKeepers;
  for (std::size_t k = 0; k < 4; ++k) {
    if (level.heartCenterSet[k]) heartKeepers.push_back(k);
  }
  // Every element chunk has a fixed size, so the frame in front of the body is known before
  // the first record.
  const ThingsBody body = thingsBody(level, heartKeepers.size());
  const std::size_t length = kFrameSize + body.size();
  file.expect(length);
  putFrame(file.bytes(), chunk::kThingsFile, {body.elements()},
           stampRowFor(kThingsStamps, level.playerCount), body.size());

  putEntries(file, body.creatures, level.creatures, putCreature);
  putEntries(file, body.objects, level.objects, putObject);
  putEntries(file, body.doors, level.doors, putDoor);
  putEntries(file, body.traps, level.traps, putTrap);
  putAreas(file, body.areas, level, plan);
  putRun(file, body.bands,
         [&](FieldWriter& r, std::size_t b) { putBand(r, level.heroBands[b], b); });
  putStructures(file, body.structures, level, heartKeepers);
  assert(file.size() == length);
}

Bytes buildThingsFile(const LevelDescription& level) {
  return wholeFile([&](FileOutput& file) { buildThingsFile(level, TriggerPlan(level), file); });
}

}  // namespace ts
