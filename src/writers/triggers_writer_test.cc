// Tests of the triggers file: framing and counts, the identifiers of trigger and action nodes,
// the order in which the tree of section triggers, gate releases and automatic gate triggers
// is written, and the identifiers stored back into entrance areas and hero gates.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
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
using testing::u16At;
using testing::u32At;

// The frame in front of the elements, then the size of an element with its chunk header.
constexpr std::size_t kHeaderLength = layout::kFirstTriggerElement;
constexpr std::size_t kElementLength = 24;

// The 16 bytes of a trigger element; param1 is always 1 and param5 always 0.
Bytes triggerElement(std::uint8_t param2, std::uint8_t param3, std::uint8_t param4,
                     std::uint32_t value, std::uint16_t id, std::uint16_t next, std::uint16_t child,
                     std::uint8_t kind) {
  Bytes b;
  putU8(b, param2);
  putU8(b, param3);
  putU8(b, param4);
  putU8(b, 0);
  putU32(b, value);
  putU16(b, id);
  putU16(b, next);
  putU16(b, child);
  putU8(b, kind);
  putU8(b, 1);
  return b;
}

Bytes actionElement(std::uint8_t arg1, std::uint8_t arg2, std::uint8_t arg3, std::uint8_t arg4,
                    std::uint32_t arg5, std::uint16_t id, std::uint16_t next,
                    std::uint8_t actionType) {
  Bytes b = {arg1, arg2, arg3, arg4};
  putU32(b, arg5);
  putU16(b, id);
  putU16(b, next);
  putU8(b, 0);
  putU8(b, 0);
  putU8(b, actionType);
  putU8(b, 1);
  return b;
}

struct Elements {
  std::vector<Bytes> triggers;
  std::vector<Bytes> actions;
};

// Splits the body into its trigger and action records, checking the framing, that every
// element is 16 bytes and that all trigger elements come before the action elements.
Elements elementsOf(const Bytes& file) {
  Elements out;
  std::vector<Chunk> elements;
  EXPECT_EQ(checkFraming(file, nullptr, &elements), "");
  for (const Chunk& c : elements) {
    EXPECT_EQ(c.size, 16u) << "element at " << c.offset;
    const Bytes record = slice(file, c.offset + kChunkHeaderSize, c.size);
    if (c.id == 213) {
      EXPECT_TRUE(out.actions.empty()) << "trigger element after an action element";
      out.triggers.push_back(record);
    } else if (c.id == 214) {
      out.actions.push_back(record);
    } else {
      ADD_FAILURE() << "unexpected element chunk " << c.id;
    }
  }
  return out;
}

void expectRecords(const std::vector<Bytes>& actual, const std::vector<Bytes>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("element " + std::to_string(i));
    EXPECT_EQ(hex(actual[i]), hex(expected[i]));
  }
}

void expectCounts(const Bytes& file, std::uint32_t triggers, std::uint32_t actions) {
  ASSERT_GE(file.size(), kHeaderLength);
  EXPECT_EQ(u32At(file, layout::kInfoChunk), 211u);
  EXPECT_EQ(u32At(file, layout::kInfoChunk + 4), 32u);
  EXPECT_EQ(u32At(file, layout::kTriggerCount), triggers);
  EXPECT_EQ(u32At(file, layout::kActionCount), actions);
  EXPECT_EQ(u32At(file, layout::kTriggersVersion), 1u);
  EXPECT_EQ(u32At(file, layout::kTriggersBodyChunk), 212u);
  EXPECT_EQ(u32At(file, layout::kTriggersBodyChunk + 4), 24u * (triggers + actions));
  EXPECT_EQ(file.size(), kHeaderLength + kElementLength * (triggers + actions));
}

Trigger timeTrigger(std::int32_t value, std::vector<TriggerAction> actions = {}) {
  Trigger t;
  t.kind = kTriggerTime;
  t.value = value;
  t.actions = std::move(actions);
  return t;
}

Trigger controlAreaTrigger(std::int32_t player, std::int32_t areaIndex) {
  Trigger t;
  t.kind = kTriggerControlArea;
  t.param3 = player;
  t.value = areaIndex;
  return t;
}

HeroGate gate(bool autoTrigger, std::int32_t autoValue, GateExtent extent) {
  HeroGate g;
  g.autoTrigger = autoTrigger;
  g.autoTriggerValue = autoValue;
  g.extent = extent;
  return g;
}

// The two actions of a destroyed gate: its inner corner, then the destruction.
std::uint32_t corner(std::uint16_t x, std::uint16_t y) {
  return static_cast<std::uint32_t>(x) | static_cast<std::uint32_t>(y) << 16;
}

TEST(TriggersWriterFile, WorkedExampleByteForByte) {
  LevelDescription level;
  level.playerCount = 1;
  level.triggers.push_back(timeTrigger(100, {{kActionHeroRelease, 0, 0, 0, 0, 1}}));
  const Bytes file = buildTriggersFile(level);
  const Bytes expected = {
      0xD2, 0,    0,    0,    0x04, 0,    0,    0,    0x6C, 0,    0,    0,  // file size 108
      0xD3, 0,    0,    0,    0x20, 0,    0,    0,    0x01, 0,    0,    0,
      0x01, 0,    0,    0,    0x01, 0,    0,    0,    0xCF, 0x07, 0x04, 0x06,
      0x5C, 0x4C, 0x0D, 0x16, 0x2E, 0x6C, 0xCF, 0x07, 0x04, 0x06, 0x69, 0x67,
      0x0D, 0x16, 0x2E, 0x73, 0xD4, 0,    0,    0,    0x30, 0,    0,    0,  // body 48
      0xD5, 0,    0,    0,    0x10, 0,    0,    0,    0x05, 0x00, 0x00, 0x00,
      0x64, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x22, 0x01,
      0xD6, 0,    0,    0,    0x10, 0,    0,    0,    0x00, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x0E, 0x01,
  };
  ASSERT_EQ(expected.size(), 108u);
  EXPECT_EQ(hex(file), hex(expected));
  EXPECT_EQ(checkFraming(file), "");
}

TEST(TriggersWriterFile, NoTriggersGivesEmptyBody) {
  LevelDescription level;
  level.playerCount = 2;
  level.areas.push_back({1, 1, 3, 3});
  level.heroGates.push_back(gate(false, 0, {10, 10, 11, 11}));  // no automatic triggers
  const Bytes file = buildTriggersFile(level);
  EXPECT_EQ(file.size(), 60u);
  EXPECT_EQ(u32At(file, layout::kAnnouncedLength), 60u);
  expectCounts(file, 0, 0);
  EXPECT_EQ(checkFraming(file), "");
  EXPECT_EQ(TriggerPlan(level).gateTrigger(0) % 256, 0);
  EXPECT_EQ(TriggerPlan(level).gateTrigger(0) / 256, 0);
  EXPECT_EQ(TriggerPlan(level).areaTrigger(0) % 256, 0);
}

TEST(TriggersWriterTree, OnlyAutomaticGateTriggers) {
  LevelDescription level;
  level.playerCount = 2;
  level.heroGates.push_back(gate(true, 12, {10, 20, 12, 22}));
  const Bytes file = buildTriggersFile(level);
  expectCounts(file, 2, 4);
  const Elements e = elementsOf(file);
  // One chain per gate: keeper 1's trigger points at keeper 2's, which ends it.
  expectRecords(e.triggers, {triggerElement(5, 3, 0, 12, 1, 2, 65535, 40),
                             triggerElement(5, 4, 0, 12, 2, 0, 65533, 40)});
  expectRecords(e.actions, {actionElement(0, 0, 0, 0, corner(11, 21), 65535, 65534, 32),
                            actionElement(0, 10, 0, 0, 1, 65534, 0, 7),
                            actionElement(0, 0, 0, 0, corner(11, 21), 65533, 65532, 32),
                            actionElement(0, 10, 0, 0, 1, 65532, 0, 7)});
  EXPECT_EQ(TriggerPlan(level).gateTrigger(0) % 256, 1);
  EXPECT_EQ(TriggerPlan(level).gateTrigger(0) / 256, 0);
}

TEST(TriggersWriterTree, GateReleasesChainInAscendingGateOrder) {
  LevelDescription level;
  level.playerCount = 1;
  Trigger first =
      timeTrigger(600, {{kActionHeroRelease, 0, 0, 0, 0, 5}, {kActionHeroRelease, 1, 0, 0, 0, 2}});
  first.releasesAtGate = true;
  first.releaseGates = {4, 1};  // gates 5 and 2
  level.triggers.push_back(first);
  level.triggers.push_back(timeTrigger(900, {{kActionHeroRelease, 2, 0, 0, 0, 7}}));
  const Bytes file = buildTriggersFile(level);
  expectCounts(file, 4, 3);
  const Elements e = elementsOf(file);
  // Section triggers are numbered first (1, 2), the release nodes after them (3, 4); each
  // node is written before the chain below it, that chain before the next node.
  expectRecords(
      e.triggers,
      {triggerElement(5, 0, 0, 600, 1, 2, 3, 34), triggerElement(3, 1, 1, 0, 3, 0, 4, 1),
       triggerElement(3, 4, 1, 0, 4, 0, 65535, 1), triggerElement(5, 0, 0, 900, 2, 0, 65533, 34)});
  // The first trigger's actions hang from its last release node.
  expectRecords(e.actions, {actionElement(0, 0, 0, 0, 5, 65535, 65534, 14),
                            actionElement(1, 0, 0, 0, 2, 65534, 0, 14),
                            actionElement(2, 0, 0, 0, 7, 65533, 0, 14)});
}

TEST(TriggersWriterTree, ControlAreaTriggerCountsSquaresAndMarksItsArea) {
  LevelDescription level;
  level.playerCount = 1;
  level.areas.push_back({1, 1, 1, 1});
  level.areas.push_back({5, 6, 7, 9});  // 3 wide, 4 high
  level.triggers.push_back(timeTrigger(50));
  // A section trigger for the last keeper keeps its link to the next trigger.
  level.triggers.push_back(controlAreaTrigger(3, 1));
  level.triggers.push_back(timeTrigger(70));
  const Bytes file = buildTriggersFile(level);
  expectCounts(file, 3, 0);
  const Elements e = elementsOf(file);
  expectRecords(e.triggers,
                {triggerElement(5, 0, 0, 50, 1, 2, 0, 34), triggerElement(5, 3, 0, 12, 2, 3, 0, 40),
                 triggerElement(5, 0, 0, 70, 3, 0, 0, 34)});
  EXPECT_EQ(TriggerPlan(level).areaTrigger(1) % 256, 2);
  EXPECT_EQ(TriggerPlan(level).areaTrigger(1) / 256, 0);
  EXPECT_EQ(TriggerPlan(level).areaTrigger(0) % 256, 0);
  EXPECT_EQ(TriggerPlan(level).areaTrigger(0) / 256, 0);
}

// Area coordinates are stored as written, so the square count wraps to its 32-bit field.
TEST(TriggersWriterTree, HugeAreaSquareCountWrapsToThirtyTwoBits) {
  LevelDescription level;
  level.playerCount = 1;
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  level.areas.push_back({kMin, kMin, kMax, kMax});  // 2^32 by 2^32 squares
  level.areas.push_back({0, 0, 65535, 65536});      // 65,536 by 65,537 squares
  level.triggers.push_back(controlAreaTrigger(3, 0));
  level.triggers.push_back(controlAreaTrigger(3, 1));
  const Elements e = elementsOf(buildTriggersFile(level));
  ASSERT_EQ(e.triggers.size(), 2u);
  EXPECT_EQ(u32At(e.triggers[0], layout::kTriggerValue), 0u);
  EXPECT_EQ(u32At(e.triggers[1], layout::kTriggerValue), 65536u);
}

TEST(TriggersWriterTree, IdentifierAbove255UsesHighByte) {
  LevelDescription level;
  level.playerCount = 2;
  level.areas.push_back({0, 0, 1, 1});
  for (int i = 0; i < 255; ++i) level.triggers.push_back(timeTrigger(i));
  level.triggers.push_back(controlAreaTrigger(4, 0));  // the 256th node
  const Bytes file = buildTriggersFile(level);
  expectCounts(file, 256, 0);
  const Elements e = elementsOf(file);
  ASSERT_EQ(e.triggers.size(), 256u);
  EXPECT_EQ(hex(slice(e.triggers[254], layout::kTriggerId, 4)), "FF 00 00 01");  // id 255, next 256
  EXPECT_EQ(hex(e.triggers[255]), hex(triggerElement(5, 4, 0, 4, 256, 0, 0, 40)));
  EXPECT_EQ(hex(slice(e.triggers[255], layout::kTriggerId, 2)), "00 01");
  EXPECT_EQ(TriggerPlan(level).areaTrigger(0) % 256, 0);
  EXPECT_EQ(TriggerPlan(level).areaTrigger(0) / 256, 1);
}

TEST(TriggersWriterTree, GateListFollowsMainListAndIsCutPerGate) {
  LevelDescription level;
  level.playerCount = 2;
  Trigger slap;
  slap.kind = kTriggerSlapCount;
  slap.param4 = 1;
  slap.value = 3;
  slap.actions = {{kActionGrant, 4, 1, 3, 1, 0}, {kActionMakeAvailable, 1, 3, 1, 0, 0}};
  level.triggers.push_back(slap);
  level.triggers.push_back(timeTrigger(20, {{kActionHeroRelease, 0, 0, 0, 0, 1}}));
  level.heroGates.push_back(gate(false, 0, {1, 1, 2, 2}));
  level.heroGates.push_back(gate(true, 6, {10, 20, 11, 22}));
  level.heroGates.push_back(gate(true, 12, {30, 40, 32, 42}));
  const Bytes file = buildTriggersFile(level);
  expectCounts(file, 6, 11);
  const Elements e = elementsOf(file);
  expectRecords(e.triggers, {
                                triggerElement(5, 0, 1, 3, 1, 2, 65535, 71),
                                triggerElement(5, 0, 0, 20, 2, 3, 65533,
                                               34),  // last section trigger -> first gate's
                                triggerElement(5, 3, 0, 6, 3, 4, 65532, 40),
                                triggerElement(5, 4, 0, 6, 4, 0, 65530, 40),  // last keeper: cut
                                triggerElement(5, 3, 0, 12, 5, 6, 65528, 40),
                                triggerElement(5, 4, 0, 12, 6, 0, 65526, 40),
                            });
  expectRecords(e.actions, {
                               actionElement(4, 1, 3, 1, 0, 65535, 65534, 6),
                               actionElement(1, 3, 1, 0, 0, 65534, 0, 9),
                               actionElement(0, 0, 0, 0, 1, 65533, 0, 14),
                               actionElement(0, 0, 0, 0, corner(10, 21), 65532, 65531, 32),
                               actionElement(1, 10, 0, 0, 1, 65531, 0, 7),
                               actionElement(0, 0, 0, 0, corner(10, 21), 65530, 65529, 32),
                               actionElement(1, 10, 0, 0, 1, 65529, 0, 7),
                               actionElement(0, 0, 0, 0, corner(31, 41), 65528, 65527, 32),
                               actionElement(2, 10, 0, 0, 1, 65527, 0, 7),
                               actionElement(0, 0, 0, 0, corner(31, 41), 65526, 65525, 32),
                               actionElement(2, 10, 0, 0, 1, 65525, 0, 7),
                           });
  EXPECT_EQ(TriggerPlan(level).gateTrigger(0) % 256, 0);
  EXPECT_EQ(TriggerPlan(level).gateTrigger(1) % 256, 3);
  EXPECT_EQ(TriggerPlan(level).gateTrigger(2) % 256, 5);
  EXPECT_EQ(TriggerPlan(level).gateTrigger(2) / 256, 0);
}

TEST(TriggersWriterTree, GateListLinksFromLastSectionTriggerNotItsReleases) {
  LevelDescription level;
  level.playerCount = 1;
  Trigger t = timeTrigger(10, {{kActionHeroRelease, 0, 0, 0, 0, 1}});
  t.releasesAtGate = true;
  t.releaseGates = {0};
  level.triggers.push_back(t);
  level.heroGates.push_back(gate(true, 4, {5, 5, 6, 6}));
  const Bytes file = buildTriggersFile(level);
  expectCounts(file, 3, 3);
  const Elements e = elementsOf(file);
  expectRecords(e.triggers, {triggerElement(5, 0, 0, 10, 1, 3, 2, 34),
                             triggerElement(3, 0, 1, 0, 2, 0, 65535, 1),
                             triggerElement(5, 3, 0, 4, 3, 0, 65534, 40)});
  expectRecords(e.actions, {actionElement(0, 0, 0, 0, 1, 65535, 0, 14),
                            actionElement(0, 0, 0, 0, corner(5, 5), 65534, 65533, 32),
                            actionElement(0, 10, 0, 0, 1, 65533, 0, 7)});
  EXPECT_EQ(TriggerPlan(level).gateTrigger(0) % 256, 3);
}

TEST(TriggersWriterTree, TensOfThousandsOfTriggers) {
  constexpr std::size_t kTriggers = 30000;
  LevelDescription level;
  level.playerCount = 1;
  level.triggers.reserve(kTriggers);
  for (std::size_t i = 0; i < kTriggers; ++i) {
    const auto n = static_cast<std::int32_t>(i);
    level.triggers.push_back(timeTrigger(n, {{kActionHeroRelease, 0, 0, 0, 0, n}}));
  }
  const Bytes file = buildTriggersFile(level);
  expectCounts(file, kTriggers, kTriggers);
  EXPECT_EQ(u32At(file, layout::kAnnouncedLength), 60u + 24u * 2 * kTriggers);
  EXPECT_EQ(checkFraming(file), "");
  std::size_t wrong = 0;
  for (std::size_t i = 0; i < kTriggers && file.size() >= kHeaderLength + 48 * kTriggers; ++i) {
    const std::size_t t = kHeaderLength + kElementLength * i + kChunkHeaderSize;
    const std::size_t a = kHeaderLength + kElementLength * (kTriggers + i) + kChunkHeaderSize;
    const auto id = static_cast<std::uint16_t>(i + 1);
    const auto next = static_cast<std::uint16_t>(i + 1 < kTriggers ? i + 2 : 0);
    const auto actionId = static_cast<std::uint16_t>(65535 - i);
    if (u32At(file, t + layout::kTriggerValue) != i || u16At(file, t + layout::kTriggerId) != id ||
        u16At(file, t + layout::kTriggerNext) != next ||
        u16At(file, t + layout::kTriggerChild) != actionId ||
        u32At(file, a + layout::kActionArg5) != i ||
        u16At(file, a + layout::kActionId) != actionId ||
        u16At(file, a + layout::kActionNext) != 0) {
      ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0u);
}

TEST(TriggersWriterCounts, CountTriggerElements) {
  const auto autoGate = gate(true, 9, {0, 0, 2, 2});
  const auto plainGate = gate(false, 0, {5, 5, 5, 5});
  Trigger releases =
      timeTrigger(1, {{kActionHeroRelease, 0, 0, 0, 0, 1}, {kActionHeroRelease, 1, 0, 0, 0, 2}});
  releases.releasesAtGate = true;
  releases.releaseGates = {0, 1};
  const struct {
    const char* name;
    std::int32_t players;
    std::vector<Trigger> triggers;
    std::vector<HeroGate> gates;
    std::size_t triggerCount;
    std::size_t actionCount;
  } cases[] = {
      {"empty", 1, {}, {}, 0, 0},
      {"plain gates only", 3, {}, {plainGate, plainGate}, 0, 0},
      {"releases", 1, {releases, timeTrigger(5)}, {}, 4, 2},
      {"automatic gates", 3, {}, {autoGate, plainGate, autoGate}, 6, 12},
      {"everything", 4, {releases}, {autoGate}, 7, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LevelDescription level;
    level.playerCount = c.players;
    level.triggers = c.triggers;
    level.heroGates = c.gates;
    const TriggerFileCounts counts = countTriggerElements(level);
    EXPECT_EQ(counts.triggers, c.triggerCount);
    EXPECT_EQ(counts.actions, c.actionCount);
    const Bytes file = buildTriggersFile(level);
    expectCounts(file, static_cast<std::uint32_t>(c.triggerCount),
                 static_cast<std::uint32_t>(c.actionCount));
    EXPECT_EQ(checkFraming(file), "");
  }
}

}  // namespace
}  // namespace ts
