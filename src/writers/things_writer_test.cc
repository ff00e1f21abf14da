// Tests of the things file: the layout of every record kind, the order of the elements, the
// announced length and element count, and the trigger identifiers that the triggers writer
// leaves in areas and gates.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "format/layouts.h"
#include "testing/chunk_walker.h"
#include "writers/writers.h"

namespace ts {
namespace {

using testing::checkFraming;
using testing::Chunk;
using testing::hex;
using testing::slice;
using testing::u32At;

// Where an element's record starts behind its chunk header.
constexpr std::size_t kRecord = kChunkHeaderSize;

// A level with `keepers` players, each with a heart; nothing else.
LevelDescription keepersOnly(std::int32_t keepers) {
  LevelDescription level;
  level.playerCount = keepers;
  for (std::size_t k = 0; k < static_cast<std::size_t>(keepers) && k < 4; ++k) {
    level.heartCenterSet[k] = true;
    level.heartCenterX[k] = static_cast<std::int32_t>(10 * (k + 1));
    level.heartCenterY[k] = static_cast<std::int32_t>(20 * (k + 1));
  }
  return level;
}

// The element chunks of the body, each as its header plus record; the framing is checked.
std::vector<Bytes> elementsOf(const Bytes& file, std::vector<Chunk>* chunks = nullptr) {
  std::vector<Chunk> elements;
  EXPECT_EQ(checkFraming(file, nullptr, &elements), "");
  std::vector<Bytes> out;
  for (const Chunk& c : elements) out.push_back(slice(file, c.offset, kChunkHeaderSize + c.size));
  if (chunks != nullptr) *chunks = elements;
  return out;
}

std::vector<std::uint32_t> idsOf(const std::vector<Chunk>& chunks) {
  std::vector<std::uint32_t> ids;
  for (const Chunk& c : chunks) ids.push_back(c.id);
  return ids;
}

// The band record as laid out for the game: a 43-byte head, then 16 member slots.
Bytes expectedBand(std::uint8_t number, const std::vector<BandMember>& members) {
  Bytes b = {9,    0,      0,    0,    0xA0, 0x45, 0x8E, 0x01, 0xA0, 0xEE, 0x15,
             0x01, 0x7E,   0x2E, 0x58, 0x00, 0x11, 0x01, 0,    0,    0,    0,
             0,    0,      1,    0,    0,    0,    0xE0, 0x72, 0xE8, 0x00, 0,
             0,    number, 0,    0x0C, 0xF7, 0x15, 0x01, 0x0C, 0xF7, 0x15};
  for (std::size_t j = 0; j < 16; ++j) {
    if (j >= members.size()) {
      putZeros(b, 32);
      continue;
    }
    const BandMember& m = members[j];
    putZeros(b, 12);
    const auto code = static_cast<std::uint8_t>(j == 0 ? 43 : 45);
    putBytes(b, Bytes{10, 0, static_cast<std::uint8_t>(m.level), code, 0, 0, 0, 0, 100});
    putZeros(b, 5);
    putBytes(b, Bytes{static_cast<std::uint8_t>(m.owner), 19,
                      static_cast<std::uint8_t>(m.creatureId), 0, number, 1});
  }
  return b;
}

TEST(ThingsWriterRecords, Creature) {
  LevelDescription level = keepersOnly(1);
  level.creatures.push_back({3, 7, 10, 12, 4});
  const std::vector<Bytes> e = elementsOf(buildThingsFile(level));
  ASSERT_EQ(e.size(), 2u);
  const Bytes expected = {0xC8, 0, 0, 0, 0x1C, 0, 0, 0, 0x0A, 0, 0,    0,
                          0x0C, 0, 0, 0, 0,    0, 0, 0, 0,    0, 0x04, 0x09,
                          0x64, 0, 0, 0, 0,    0, 0, 0, 0,    0, 0x07, 0x03};
  EXPECT_EQ(hex(e[0]), hex(expected));
}

TEST(ThingsWriterRecords, ObjectDoorAndTrap) {
  LevelDescription level = keepersOnly(1);
  level.objects.push_back({2, 5, 300, 8});
  level.doors.push_back({4, 2, 3, 4, true});
  level.doors.push_back({5, 8, 6, 7, false});
  level.traps.push_back({5, 11, 20, 21});
  const std::vector<Bytes> e = elementsOf(buildThingsFile(level));
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(hex(e[0]), hex(Bytes{0xC2, 0, 0, 0, 0x18, 0, 0, 0, 0x2C, 0x01, 0, 0, 8, 0,    0,   0, 0,
                                 0,    0, 0, 0, 0,    0, 0, 0, 0,    0,    0, 0, 0, 0x05, 0x02}));
  EXPECT_EQ(hex(e[1]), hex(Bytes{0xC4, 0, 0, 0, 0x14, 0, 0, 0,    3,    0,    0,    0,    4,   0, 0,
                                 0,    0, 0, 0, 0,    0, 0, 0x02, 0x04, 0x01, 0x63, 0x5F, 0x00}));
  EXPECT_EQ(hex(e[2]), hex(Bytes{0xC4, 0, 0, 0, 0x14, 0, 0, 0,    6,    0,    0,    0,    7,   0, 0,
                                 0,    0, 0, 0, 0,    0, 0, 0x08, 0x05, 0x00, 0x63, 0x5F, 0x00}));
  EXPECT_EQ(hex(e[3]), hex(Bytes{0xC3, 0, 0, 0, 0x10, 0, 0, 0, 0x14, 0,    0,    0,
                                 0x15, 0, 0, 0, 0,    0, 0, 0, 0x04, 0x0B, 0x05, 0x73}));
}

TEST(ThingsWriterRecords, EntranceAreaWatchedByTrigger3) {
  LevelDescription level = keepersOnly(1);
  level.areas.push_back({5, 6, 10, 12});
  Trigger time;
  time.kind = kTriggerTime;
  time.value = 10;
  Trigger control;
  control.kind = kTriggerControlArea;
  control.param3 = 3;
  control.value = 0;
  level.triggers = {time, time, control};  // the control-area trigger gets identifier 3
  (void)buildTriggersFile(level);
  const std::vector<Bytes> e = elementsOf(buildThingsFile(level));
  ASSERT_EQ(e.size(), 2u);
  Bytes expected = {0xC5, 0, 0, 0, 0x38, 0, 0, 0, 5, 0, 0,    0, 6,    0,    0,   0,
                    0x0A, 0, 0, 0, 0x0C, 0, 0, 0, 0, 0, 0x08, 0, 0x03, 0x00, 0x01};
  putZeros(expected, 25);
  putBytes(expected, Bytes{0xEC, 0xF9, 0x16, 0x01, 0x12, 0, 0, 0});
  EXPECT_EQ(hex(e[0]), hex(expected));
}

TEST(ThingsWriterRecords, AreaCarriesHighByteOfTriggerId) {
  LevelDescription level = keepersOnly(1);
  level.areas.push_back({0, 0, 1, 1});
  Trigger time;
  time.kind = kTriggerTime;
  Trigger control;
  control.kind = kTriggerControlArea;
  control.param3 = 3;
  level.triggers.assign(255, time);
  level.triggers.push_back(control);  // identifier 256 watches the area
  const std::vector<Bytes> e = elementsOf(buildThingsFile(level));
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(hex(slice(e[0], kRecord + layout::kAreaTrigger, 3)), "00 01 01");
}

TEST(ThingsWriterRecords, HeroBands) {
  LevelDescription level = keepersOnly(1);
  const std::vector<BandMember> members = {
      {5, 12, kBandMemberCode, 3}, {3, 8, kBandMemberCode, 3}, {10, 1, kBandMemberCode, 3}};
  level.heroBands.push_back({members});
  level.heroBands.push_back({});
  const std::vector<Bytes> e = elementsOf(buildThingsFile(level));
  ASSERT_EQ(e.size(), 3u);
  ASSERT_EQ(e[0].size(), 8u + 555u);
  EXPECT_EQ(u32At(e[0], 0), 201u);
  EXPECT_EQ(u32At(e[0], 4), 555u);
  const Bytes first = slice(e[0], kRecord, 555);
  EXPECT_EQ(hex(first), hex(expectedBand(0, members)));
  // The first member is marked 43, the others keep 45; unused slots are zero.
  for (std::size_t j = 0; j < 3; ++j) {
    EXPECT_EQ(first[layout::kBandHeadSize + j * layout::kBandMemberSlotSize + layout::kMemberCode],
              j == 0 ? 43 : 45)
        << "member " << j;
  }
  EXPECT_EQ(hex(slice(e[1], kRecord, 555)), hex(expectedBand(1, {})));
}

TEST(ThingsWriterRecords, GateAndHeartStructures) {
  LevelDescription level;
  level.playerCount = 2;
  level.heartCenterSet = {true, false, true, false};
  level.heartCenterX = {300, 0, 7, 0};
  level.heartCenterY = {200, 0, 8, 0};
  HeroGate g;
  g.x = 50;
  g.y = 60;
  g.gateVariant = 2;
  g.gateStyle = 37;
  g.extent = {49, 59, 51, 61};
  level.heroGates.push_back(g);
  const std::vector<Bytes> e = elementsOf(buildThingsFile(level));
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(hex(e[1]),
            hex(Bytes{0xCC, 0, 0, 0, 0x14, 0, 0, 0, 0x32, 0,    0,    0,    0x3C, 0,
                      0,    0, 0, 0, 0,    0, 0, 0, 0x02, 0x01, 0x64, 0x00, 0x25, 0x01}));
  EXPECT_EQ(hex(e[2]),
            hex(Bytes{0xCC, 0, 0, 0, 0x14, 0, 0, 0, 0x2C, 0x01, 0,    0,    0xC8, 0,
                      0,    0, 0, 0, 0,    0, 0, 0, 0x00, 0x00, 0x64, 0x00, 0x0E, 0x03}));
  // Keeper 3's heart carries that keeper's player.
  EXPECT_EQ(hex(e[3]), hex(Bytes{0xCC, 0, 0, 0, 0x14, 0, 0, 0,    7,    0,    0,    0,    8,   0, 0,
                                 0,    0, 0, 0, 0,    0, 0, 0x00, 0x00, 0x64, 0x00, 0x0E, 0x05}));
}

TEST(ThingsWriterFile, OneKeeperAndNothingElse) {
  LevelDescription level = keepersOnly(1);
  const Bytes file = buildThingsFile(level);
  EXPECT_EQ(file.size(), 84u);
  EXPECT_EQ(u32At(file, 0), 190u);
  EXPECT_EQ(u32At(file, layout::kAnnouncedLength), 84u);
  EXPECT_EQ(u32At(file, layout::kInfoChunk), 191u);
  EXPECT_EQ(u32At(file, layout::kInfoChunk + 4), 28u);
  EXPECT_EQ(u32At(file, layout::kElementCount), 1u);
  EXPECT_EQ(u32At(file, layout::kFormatVersion), 1u);
  EXPECT_EQ(u32At(file, layout::kBodyChunk), 192u);
  EXPECT_EQ(u32At(file, layout::kAnnouncedBodySize), 28u);
  std::vector<Chunk> chunks;
  elementsOf(file, &chunks);
  EXPECT_EQ(idsOf(chunks), (std::vector<std::uint32_t>{204}));
}

TEST(ThingsWriterFile, GateAreasComeFirstAndGateStructuresBeforeHearts) {
  LevelDescription level = keepersOnly(2);
  for (std::int32_t i = 0; i < 2; ++i) {
    HeroGate g;
    g.x = 100 + i;
    g.extent = {10 * i, 1, 10 * i + 2, 3};
    level.heroGates.push_back(g);
  }
  for (std::int32_t i = 0; i < 3; ++i) level.areas.push_back({50 + i, 5, 55 + i, 9});
  level.heroBands.push_back({});
  std::vector<Chunk> chunks;
  const std::vector<Bytes> e = elementsOf(buildThingsFile(level), &chunks);
  EXPECT_EQ(idsOf(chunks),
            (std::vector<std::uint32_t>{197, 197, 197, 197, 197, 201, 204, 204, 204, 204}));
  ASSERT_EQ(e.size(), 10u);
  const std::int32_t lefts[] = {0, 10, 50, 51, 52};
  for (std::size_t n = 0; n < 5; ++n) {
    SCOPED_TRACE("area record " + std::to_string(n));
    EXPECT_EQ(u32At(e[n], kRecord + layout::kAreaLeft), static_cast<std::uint32_t>(lefts[n]));
    EXPECT_EQ(e[n][kRecord + layout::kAreaNumber], n + 1);
  }
  EXPECT_EQ(u32At(e[6], kRecord + layout::kThingX), 100u);  // first gate structure
  EXPECT_EQ(u32At(e[7], kRecord + layout::kThingX), 101u);
  EXPECT_EQ(e[8][kRecord + layout::kStructureOwner], 3);  // hearts of keepers 1 and 2
  EXPECT_EQ(e[9][kRecord + layout::kStructureOwner], 4);
}

TEST(ThingsWriterFile, LengthAndCountOfAFullLevel) {
  LevelDescription level = keepersOnly(3);
  const std::size_t C = 2, T = 3, D = 2, R = 1, G = 2, A = 3, B = 2, P = 3;
  level.creatures.assign(C, {4, 10, 1, 1, 2});
  level.objects.assign(T, {2, 3, 2, 2});
  level.doors.assign(D, {3, 1, 3, 3, false});
  level.traps.assign(R, {3, 1, 4, 4});
  for (std::size_t i = 0; i < G; ++i) {
    HeroGate g;
    g.extent = {static_cast<std::int32_t>(5 * i), 0, static_cast<std::int32_t>(5 * i + 1), 1};
    level.heroGates.push_back(g);
  }
  level.areas.assign(A, {20, 20, 22, 22});
  level.heroBands.assign(B, HeroBand{{{1, 2, kBandMemberCode, 0}}});
  const Bytes file = buildThingsFile(level);
  const std::size_t length =
      56 + 36 * C + 32 * T + 28 * P + 28 * D + 24 * R + 92 * G + 563 * B + 64 * A;
  EXPECT_EQ(file.size(), length);
  EXPECT_EQ(u32At(file, layout::kAnnouncedLength), length);
  EXPECT_EQ(u32At(file, layout::kElementCount), C + T + P + D + R + B + A + 2 * G);
  EXPECT_EQ(u32At(file, layout::kAnnouncedBodySize), length - 56);
  std::vector<Chunk> chunks;
  elementsOf(file, &chunks);
  EXPECT_EQ(idsOf(chunks),
            (std::vector<std::uint32_t>{200, 200, 194, 194, 194, 196, 196, 195, 197, 197,
                                        197, 197, 197, 201, 201, 204, 204, 204, 204, 204}));
}

TEST(ThingsWriterFile, GateAreaHoldsItsAutomaticTriggerOnly) {
  LevelDescription level = keepersOnly(1);
  Trigger time;
  time.kind = kTriggerTime;
  level.triggers.push_back(time);
  HeroGate plain;
  plain.extent = {1, 1, 2, 2};
  HeroGate automatic;
  automatic.autoTrigger = true;
  automatic.autoTriggerValue = 4;
  automatic.extent = {5, 5, 6, 6};
  level.heroGates = {plain, automatic};
  (void)buildTriggersFile(level);
  const std::vector<Bytes> e = elementsOf(buildThingsFile(level));
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(hex(slice(e[0], kRecord + layout::kAreaTrigger, 3)), "00 00 01");
  EXPECT_EQ(hex(slice(e[1], kRecord + layout::kAreaTrigger, 3)),
            "02 00 02");  // the time trigger took identifier 1
}

}  // namespace
}  // namespace ts
