// The players file: its length, stamps and body size by player count, the good and neutral
// records, one record per keeper whose heart is on the map, gold, positions and names.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "driver/compile.h"
#include "format/layouts.h"
#include "model/level_description.h"
#include "testing/chunk_walker.h"
#include "writers/writers.h"

namespace ts {
namespace {

using testing::checkFraming;
using testing::framed;
using testing::hex;
using testing::slice;
using testing::u16At;
using testing::u32At;

constexpr std::size_t kRecordSize = 205;

LevelDescription playersLevel(std::int32_t playerCount, std::array<bool, 4> hearts,
                              std::array<std::int32_t, 4> gold = {}) {
  LevelDescription level;
  level.levelName = "Lv1";
  level.playerCount = playerCount;
  level.heartCenterSet = hearts;
  level.keeperGold = gold;
  level.isValid = true;
  return level;
}

Bytes write(const LevelDescription& level) { return framed(buildPlayersFile(level)); }

Bytes record(const Bytes& file, std::size_t n) {
  return slice(file, layout::kFirstPlayerRecord + kRecordSize * n, kRecordSize);
}

Bytes nameField(const std::string& name) {
  Bytes field(name.begin(), name.end());
  field.resize(32, 0);
  return field;
}

TEST(PlayersWriterTest, OneKeeperGivesThreeRecords) {
  const Bytes file = write(playersLevel(1, {true, false, false, false}, {3000, 0, 0, 0}));
  ASSERT_EQ(file.size(), 671u);
  EXPECT_EQ(hex(slice(file, 0, 12)), "B4 00 00 00 04 00 00 00 9F 02 00 00");
  EXPECT_EQ(hex(slice(file, layout::kInfoChunk, 16)),
            "B5 00 00 00 1C 00 00 00 03 00 00 00 01 00 00 00");
  EXPECT_EQ(hex(slice(file, layout::kBodyChunk, 8)), "B6 00 00 00 67 02 00 00");
  EXPECT_EQ(hex(slice(record(file, 2), layout::kPlayerKeeper, 7)), "01 00 03 1A 00 1A 00");
  EXPECT_EQ(hex(slice(record(file, 2), layout::kPlayerName, 32)), hex(nameField("Keeper 1")));
}

TEST(PlayersWriterTest, RecordCountAndBodySizeFollowThePlayerCount) {
  struct Case {
    std::int32_t playerCount;
    std::array<bool, 4> hearts;
    std::uint32_t bodySize;
  };
  const Case cases[] = {
      {2, {true, true, false, false}, 820},
      {3, {true, true, true, false}, 1025},
      {4, {true, true, true, true}, 1230},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.playerCount);
    const Bytes file = write(playersLevel(c.playerCount, c.hearts));
    const auto records = static_cast<std::size_t>(c.playerCount) + 2;
    ASSERT_EQ(file.size(), layout::kFirstPlayerRecord + kRecordSize * records);
    EXPECT_EQ(u32At(file, layout::kAnnouncedLength), file.size());
    EXPECT_EQ(u32At(file, layout::kElementCount), records);
    EXPECT_EQ(u32At(file, layout::kFormatVersion), 1u);
    EXPECT_EQ(u32At(file, layout::kBodyChunk), 182u);
    EXPECT_EQ(u32At(file, layout::kAnnouncedBodySize), c.bodySize);
  }
}

TEST(PlayersWriterTest, KeepersWithoutHeartGetNoRecordAndOthersKeepTheirNumbers) {
  const Bytes file = write(playersLevel(2, {false, true, false, true}, {111, 2000, 333, 4000}));
  ASSERT_EQ(file.size(), layout::kFirstPlayerRecord + 4 * kRecordSize);

  struct Expected {
    std::uint32_t gold;
    std::uint8_t flag;
    std::uint16_t keeper;
    std::uint8_t playerId;
    std::uint16_t x;
    std::uint16_t y;
    const char* name;
  };
  const Expected expected[] = {
      {3000, 1, 0, 1, 0, 0, "Good Player"},
      {3000, 1, 0, 2, 0, 0, "Neutral Player"},
      {2000, 0, 2, 4, 76, 76, "Keeper 2"},
      {4000, 0, 4, 6, 26, 76, "Keeper 4"},
  };
  for (std::size_t n = 0; n < 4; ++n) {
    const Expected& e = expected[n];
    SCOPED_TRACE(e.name);
    const Bytes r = record(file, n);
    EXPECT_EQ(u32At(r, layout::kPlayerGold), e.gold);
    EXPECT_EQ(r.at(layout::kPlayerFlag), e.flag);
    EXPECT_EQ(u16At(r, layout::kPlayerKeeper), e.keeper);
    EXPECT_EQ(r.at(layout::kPlayerId), e.playerId);
    EXPECT_EQ(u16At(r, layout::kPlayerX), e.x);
    EXPECT_EQ(u16At(r, layout::kPlayerY), e.y);
    EXPECT_EQ(hex(slice(r, layout::kPlayerName, 32)), hex(nameField(e.name)));
  }
}

TEST(PlayersWriterTest, KeeperPositionsAreConstantsOfTheKeeperNumber) {
  LevelDescription level = playersLevel(4, {true, true, true, true});
  level.heartCenterX = {5, 6, 7, 8};  // heart positions play no part
  level.heartCenterY = {9, 10, 11, 12};
  const Bytes file = write(level);
  const char* const tails[] = {"01 00 03 1A 00 1A 00", "02 00 04 4C 00 4C 00",
                               "03 00 05 4C 00 1A 00", "04 00 06 1A 00 4C 00"};
  for (std::size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(k + 1);
    const Bytes r = record(file, k + 2);
    EXPECT_EQ(hex(slice(r, layout::kPlayerKeeper, 7)), tails[k]);
    EXPECT_EQ(hex(slice(r, layout::kPlayerName, 32)),
              hex(nameField("Keeper " + std::to_string(k + 1))));
  }
}

TEST(PlayersWriterTest, KeeperGoldGoesIntoItsRecordInFull) {
  struct Case {
    std::int32_t gold;
    const char* bytes;
  };
  const Case cases[] = {
      {70000, "70 11 01 00"},
      {0, "00 00 00 00"},
      {-1, "FF FF FF FF"},
      {0x12345678, "78 56 34 12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gold);
    const Bytes file = write(playersLevel(1, {true, false, false, false}, {c.gold, 9, 9, 9}));
    EXPECT_EQ(hex(slice(record(file, 0), layout::kPlayerGold, 4)), "B8 0B 00 00");
    EXPECT_EQ(hex(slice(record(file, 1), layout::kPlayerGold, 4)), "B8 0B 00 00");
    EXPECT_EQ(hex(slice(record(file, 2), layout::kPlayerGold, 4)), c.bytes);
  }
}

TEST(PlayersWriterTest, KeeperWithoutGoldLineStartsWithNoGold) {
  const CompileResult result = compileMap(
      "Cavern\nPlayers 1\nSize 10 x 8\n"
      "##########\n#........#\n#..hhh...#\n#..hhh...#\n"
      "#.....$$.#\n#.....$$.#\n#........#\n##########\n"
      "MAP_CODES\n4\n# SOLID_ROCK\n. KPR1_CLAIMED_SQ\nh KPR1_HEART\n$ GOLD\n"
      "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n"
      "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 4 3\n");
  ASSERT_TRUE(result.valid) << result.console;
  ASSERT_EQ(result.files.size(), 6u);
  ASSERT_EQ(result.files[3].name, "CavernPlayers.kld");
  const Bytes& file = result.files[3].bytes;
  EXPECT_EQ(checkFraming(file), "");
  ASSERT_EQ(file.size(), 671u);
  EXPECT_EQ(hex(slice(record(file, 2), layout::kPlayerGold, 4)), "00 00 00 00");
  EXPECT_EQ(hex(slice(record(file, 0), layout::kPlayerGold, 4)), "B8 0B 00 00");
}

TEST(PlayersWriterTest, GoodAndNeutralRecordsAndTheSharedTemplate) {
  const Bytes file = write(playersLevel(1, {true, false, false, false}, {5000, 0, 0, 0}));
  ASSERT_EQ(file.size(), 671u);

  const Bytes good = record(file, 0);
  EXPECT_EQ(hex(slice(good, 0, 16)), "B8 0B 00 00 01 00 00 00 00 01 14 00 00 00 00 00");
  EXPECT_EQ(hex(slice(good, layout::kPlayerKeeper, 7)), "00 00 01 00 00 00 00");
  EXPECT_EQ(hex(slice(good, layout::kPlayerName, 32)), hex(nameField("Good Player")));
  const Bytes neutral = record(file, 1);
  EXPECT_EQ(hex(slice(neutral, 0, 16)), hex(slice(good, 0, 16)));
  EXPECT_EQ(hex(slice(neutral, layout::kPlayerKeeper, 7)), "00 00 02 00 00 00 00");
  EXPECT_EQ(hex(slice(neutral, layout::kPlayerName, 32)), hex(nameField("Neutral Player")));
  const Bytes keeper = record(file, 2);
  EXPECT_EQ(hex(slice(keeper, 0, 16)), "88 13 00 00 00 00 00 00 00 01 14 00 00 00 00 00");

  struct Row {
    std::size_t offset;
    const char* bytes;
  };
  const Row rows[] = {
      {16, "01 00 00 00 01 00 00 00 01 00 00 00 00 19 03 00"},
      {32, "01 00 0F 01 02 03 04 06 07 08 09 0A 0B 0C 0D 0E"},
      {48, "0F 10 00 04 E7 03 01 00 00 00 01 00 00 00 01 02"},
      {64, "00 55 73 00 00 00 00 00 00 00 00 00 00 00 02 00"},
      {96, "64 00 64 00 00 05 01 00 00 00 AF 01 05 0A 64 00"},
      {128, "01 0C 74 03 01 00 00 00 02 00 01 01 00 00 B8 0B"},
      {144, "00 00 64 00 00 00 0A 00 19 00 01 00 01 00 5E 00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.offset);
    EXPECT_EQ(hex(slice(good, row.offset, 16)), row.bytes);
    EXPECT_EQ(hex(slice(neutral, row.offset, 16)), row.bytes);
    EXPECT_EQ(hex(slice(keeper, row.offset, 16)), row.bytes);
  }
  for (const Bytes* r : {&good, &neutral, &keeper}) {
    EXPECT_EQ(hex(slice(*r, 160, 6)), "1E 00 00 01 5A 00");
  }
}

}  // namespace
}  // namespace ts
