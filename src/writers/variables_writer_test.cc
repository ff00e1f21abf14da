// The variables file: its entry count and length, the stamps, and the order and contents of
// the creature-count, availability, default and closing entries.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "format/layouts.h"
#include "model/level_description.h"
#include "reader/map_reader.h"
#include "testing/chunk_walker.h"
#include "writers/writers.h"

namespace ts {
namespace {

using testing::checkFraming;
using testing::hex;
using testing::slice;
using testing::u32At;

constexpr std::size_t kEntrySize = 16;

using Entry = std::array<std::uint32_t, 4>;

Entry count(std::uint32_t creature, std::uint32_t n, std::uint32_t player) {
  return {1, creature, n, player};
}
Entry avail(std::uint32_t category, std::uint32_t player, std::uint32_t id, std::uint32_t state) {
  return {2, category | player << 16, id, state};
}
Entry globalEntry() { return {74, 340, 0, 0}; }
Entry playerEntry(std::uint32_t player, std::uint32_t kind) { return {66, player, kind, 0}; }

// Categories of availability entries in this file.
constexpr std::uint32_t kRoom = 1;
constexpr std::uint32_t kCreature = 2;
constexpr std::uint32_t kTrap = 3;
constexpr std::uint32_t kDoor = 4;
constexpr std::uint32_t kSpell = 5;

// The 40 entries every keeper with a heart gets, all available from the start.
std::vector<Entry> defaultsFor(std::uint32_t player) {
  std::vector<Entry> out;
  for (std::uint32_t id = 7; id <= 17; ++id) out.push_back(avail(kRoom, player, id, 3));
  for (std::uint32_t id : {3, 4, 5, 6, 7, 10, 12, 22, 23, 24}) {
    out.push_back(avail(kCreature, player, id, 3));
  }
  for (std::uint32_t id = 1; id <= 6; ++id) out.push_back(avail(kDoor, player, id, 3));
  for (std::uint32_t id = 1; id <= 11; ++id) out.push_back(avail(kTrap, player, id, 3));
  out.push_back(avail(kSpell, player, 2, 3));
  out.push_back(avail(kSpell, player, 4, 3));
  return out;
}

void append(std::vector<Entry>& to, const std::vector<Entry>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

LevelDescription variablesLevel(std::int32_t playerCount, std::array<bool, 4> hearts) {
  LevelDescription level;
  level.levelName = "Lv1";
  level.playerCount = playerCount;
  level.heartCenterSet = hearts;
  level.isValid = true;
  return level;
}

// One empty table of each kind per keeper.
void emptyTables(LevelDescription& level) {
  const auto keepers = static_cast<std::size_t>(level.playerCount);
  for (auto* tables : {&level.creatureCounts, &level.roomStates, &level.trapStates,
                       &level.doorStates, &level.spellStates}) {
    tables->assign(keepers, KeeperTable{});
  }
}

struct Written {
  Bytes file;
  std::vector<Entry> entries;
};

Written write(const LevelDescription& level) {
  Written w;
  w.file = buildVariablesFile(level);
  EXPECT_EQ(checkFraming(w.file), "");
  for (std::size_t at = layout::kFirstVariableEntry; at + kEntrySize <= w.file.size();
       at += kEntrySize) {
    w.entries.push_back(
        {u32At(w.file, at + layout::kEntryType), u32At(w.file, at + layout::kEntrySecond),
         u32At(w.file, at + layout::kEntryThird), u32At(w.file, at + layout::kEntryFourth)});
  }
  return w;
}

void expectFraming(const Written& w, std::size_t entryCount) {
  const std::size_t length = layout::kFirstVariableEntry + kEntrySize * entryCount;
  EXPECT_EQ(w.file.size(), length);
  EXPECT_EQ(u32At(w.file, 0), 230u);
  EXPECT_EQ(u32At(w.file, layout::kAnnouncedLength), length);
  EXPECT_EQ(u32At(w.file, layout::kInfoChunk), 231u);
  EXPECT_EQ(u32At(w.file, layout::kInfoChunk + 4), 28u);
  EXPECT_EQ(u32At(w.file, layout::kElementCount), entryCount);
  EXPECT_EQ(u32At(w.file, layout::kFormatVersion), 1u);
  EXPECT_EQ(u32At(w.file, layout::kBodyChunk), 232u);
  EXPECT_EQ(u32At(w.file, layout::kAnnouncedBodySize), kEntrySize * entryCount);
}

TEST(VariablesWriterTest, OneKeeperWithDefaultTablesHasNinetyNineEntries) {
  LevelDescription level = variablesLevel(1, {true, false, false, false});
  installKeeperDefaults(level);
  const Written w = write(level);
  expectFraming(w, 99);
  EXPECT_EQ(w.file.size(), 1640u);
  EXPECT_EQ(u32At(w.file, layout::kAnnouncedBodySize), 1584u);
}

TEST(VariablesWriterTest, KeeperWithoutHeartOrTablesLeavesTheClosingPair) {
  LevelDescription level = variablesLevel(1, {false, false, false, false});
  emptyTables(level);
  const Written w = write(level);
  expectFraming(w, 2);
  EXPECT_EQ(w.file.size(), 88u);
  EXPECT_EQ(u32At(w.file, layout::kAnnouncedBodySize), 32u);
  EXPECT_EQ(w.entries, (std::vector<Entry>{globalEntry(), playerEntry(2, 1)}));
}

TEST(VariablesWriterTest, KeeperWithHeartAndEmptyTablesGetsTheDefaults) {
  LevelDescription level = variablesLevel(1, {true, false, false, false});
  emptyTables(level);
  const Written w = write(level);
  expectFraming(w, 43);
  std::vector<Entry> expected = defaultsFor(3);
  append(expected, {globalEntry(), playerEntry(2, 1), playerEntry(3, 2)});
  EXPECT_EQ(w.entries, expected);
}

TEST(VariablesWriterTest, HeartsOfKeepersOneAndThreeInATwoKeeperLevel) {
  LevelDescription level = variablesLevel(2, {true, false, true, false});
  installKeeperDefaults(level);
  const Written w = write(level);

  // The scenario tables cover keeper indices 0 and 1 (players 3 and 4); the defaults and the
  // closing player entries follow the hearts (players 3 and 5).
  const std::uint32_t creatures[] = {3, 4, 5, 6, 7, 10, 11, 12, 22, 23, 24};
  std::vector<Entry> expected;
  for (std::uint32_t player : {3u, 4u}) {
    for (std::uint32_t id : creatures) expected.push_back(count(id, 32, player));
  }
  for (std::uint32_t player : {3u, 4u}) {
    for (std::uint32_t id : {1, 2, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}) {
      expected.push_back(avail(kRoom, player, id, 3));
    }
    for (std::uint32_t id : creatures) expected.push_back(avail(kCreature, player, id, 3));
    for (std::uint32_t id = 1; id <= 6; ++id) expected.push_back(avail(kDoor, player, id, 3));
    for (std::uint32_t id = 1; id <= 11; ++id) expected.push_back(avail(kTrap, player, id, 3));
    expected.push_back(avail(kSpell, player, 2, 3));
    expected.push_back(avail(kSpell, player, 4, 3));
  }
  append(expected, defaultsFor(3));
  append(expected, defaultsFor(5));
  append(expected, {globalEntry(), playerEntry(2, 1), playerEntry(3, 2), playerEntry(5, 2)});

  expectFraming(w, expected.size());
  EXPECT_EQ(expected.size(), 2 * 56 + 2 * 41 + 2u);
  ASSERT_EQ(w.entries.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(w.entries[i], expected[i]) << "entry " << i;
  }
}

TEST(VariablesWriterTest, EntryOrderCountsFirstThenEachKeepersCategories) {
  LevelDescription level = variablesLevel(2, {false, false, false, false});
  level.creatureCounts = {{{10, 300}, {3, 5}}, {{4, 1}}};
  level.roomStates = {{{7, 2}, {1, 3}}, {}};
  level.doorStates = {{{2, 1}}, {{8, 2}}};
  level.trapStates = {{{4, 2}}, {{14, 1}, {5, 3}}};
  level.spellStates = {{{4, 1}, {2, 3}}, {}};
  const Written w = write(level);

  const std::vector<Entry> expected = {
      count(3, 5, 3),
      count(10, 300, 3),
      count(4, 1, 4),
      avail(kRoom, 3, 1, 3),
      avail(kRoom, 3, 7, 2),
      avail(kCreature, 3, 3, 3),
      avail(kCreature, 3, 10, 3),
      avail(kDoor, 3, 2, 1),
      avail(kTrap, 3, 4, 2),
      avail(kSpell, 3, 2, 3),
      avail(kSpell, 3, 4, 1),
      avail(kCreature, 4, 4, 3),
      avail(kDoor, 4, 8, 2),
      avail(kTrap, 4, 5, 3),
      avail(kTrap, 4, 14, 1),
      globalEntry(),
      playerEntry(2, 1),
  };
  expectFraming(w, expected.size());
  ASSERT_EQ(w.entries.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(w.entries[i], expected[i]) << "entry " << i;
  }

  // The count of 300 in full, and keeper 2's first trap byte by byte.
  EXPECT_EQ(hex(slice(w.file, layout::kFirstVariableEntry + kEntrySize * 1, kEntrySize)),
            "01 00 00 00 0A 00 00 00 2C 01 00 00 03 00 00 00");
  EXPECT_EQ(hex(slice(w.file, layout::kFirstVariableEntry + kEntrySize * 13, kEntrySize)),
            "02 00 00 00 03 00 04 00 05 00 00 00 03 00 00 00");
}

TEST(VariablesWriterTest, EmptyTablesLeaveEachHeartsDefaultsAndClosingEntries) {
  for (const std::int32_t playerCount : {3, 4}) {
    SCOPED_TRACE(playerCount);
    LevelDescription level = variablesLevel(playerCount, {true, true, true, playerCount == 4});
    emptyTables(level);
    const Written w = write(level);
    const auto hearts = static_cast<std::size_t>(playerCount);
    expectFraming(w, 41 * hearts + 2);
  }
}

}  // namespace
}  // namespace ts
