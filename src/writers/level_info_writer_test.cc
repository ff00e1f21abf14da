// The level-information file: its fixed length and framing, the wide level name and the fixed
// bytes at fixed offsets, the stamp rows, and the fifteen referenced files with their paths.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "format/layouts.h"
#include "model/level_description.h"
#include "testing/chunk_walker.h"
#include "writers/writers.h"

namespace ts {
namespace {

using testing::framed;
using testing::hex;
using testing::slice;
using testing::u32At;

constexpr std::size_t kFileLength = 26887;
constexpr std::size_t kEntrySize = 72;
constexpr std::size_t kPathWidth = 64;
using layout::kClosingListOffset;
using layout::kFirstReferencedFile;
using layout::kLevelNameEnd;
using layout::kLevelNameOffset;
using layout::kPlayerCountOffset;

LevelDescription infoLevel(std::string name, std::int32_t playerCount) {
  LevelDescription level;
  level.levelName = std::move(name);
  level.playerCount = playerCount;
  level.isValid = true;
  return level;
}

Bytes write(const LevelDescription& level) { return framed(buildLevelInfoFile(level)); }

// Offset of the path field of referenced file n (counted from 1).
std::size_t pathOffset(std::size_t n) {
  return kFirstReferencedFile + kEntrySize * (n - 1) + layout::kReferencedFilePath;
}

bool allZero(const Bytes& file, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    if (file.at(i) != 0) {
      ADD_FAILURE() << "byte " << i << " is " << static_cast<int>(file.at(i));
      return false;
    }
  }
  return true;
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(LevelInfoWriterTest, EveryLevelGivesTheSameLengthAndHeader) {
  const std::string names[] = {"", "A", "Lv1", std::string(34, 'n')};
  for (const std::string& name : names) {
    for (std::int32_t players = 1; players <= 4; ++players) {
      SCOPED_TRACE(name + " / " + std::to_string(players));
      const Bytes file = write(infoLevel(name, players));
      ASSERT_EQ(file.size(), kFileLength);
      EXPECT_EQ(hex(slice(file, 0, 12)), "DC 00 00 00 04 00 00 00 07 69 00 00");
      EXPECT_EQ(hex(slice(file, 12, 16)), "DD 00 00 00 1C 00 00 00 0F 00 0F 00 99 29 00 00");
      EXPECT_EQ(u32At(file, layout::kLevelInfoChunk), 223u);
      EXPECT_EQ(u32At(file, layout::kLevelInfoChunk + 4), 25683u);
      EXPECT_EQ(u32At(file, layout::kEndOfLevelInfo), 222u);
      EXPECT_EQ(u32At(file, layout::kEndOfLevelInfo + 4), 1140u);
    }
  }
}

TEST(LevelInfoWriterTest, LevelInformationOfLv1WithTwoKeepers) {
  const Bytes file = write(infoLevel("Lv1", 2));
  ASSERT_EQ(file.size(), kFileLength);
  EXPECT_EQ(hex(slice(file, kLevelNameOffset, 6)), "4C 00 76 00 31 00");
  EXPECT_TRUE(allZero(file, kLevelNameOffset + 6, kLevelNameEnd));
  EXPECT_EQ(file[kLevelNameEnd], 0x04);
  EXPECT_TRUE(allZero(file, kLevelNameEnd + 1, 25540));
  EXPECT_EQ(hex(slice(file, 25540, 2)), "04 0C");
  EXPECT_TRUE(allZero(file, 25542, 25583));
  EXPECT_EQ(hex(slice(file, 25583, 2)), "01 29");
  EXPECT_TRUE(allZero(file, 25585, 25593));
  EXPECT_EQ(hex(slice(file, 25593, 2)), "F7 15");
  EXPECT_TRUE(allZero(file, 25595, kPlayerCountOffset));
  EXPECT_EQ(file[kPlayerCountOffset], 0x02);
  EXPECT_TRUE(allZero(file, kPlayerCountOffset + 1, layout::kEndOfLevelInfo));

  // Entry 11, the map file: 27 characters, then 37 zero bytes.
  const std::string mapPath = "Data\\Editor\\Maps\\Lv1Map.kld";
  ASSERT_EQ(mapPath.size(), 27u);
  EXPECT_EQ(hex(slice(file, pathOffset(11), 27)), hex(text(mapPath)));
  EXPECT_TRUE(allZero(file, pathOffset(11) + 27, pathOffset(11) + kPathWidth));
}

TEST(LevelInfoWriterTest, PlayerCountIsStoredAsItsLowByte) {
  struct Case {
    std::int32_t playerCount;
    std::uint8_t countByte;
  };
  const Case cases[] = {{1, 0x01}, {2, 0x02}, {3, 0x03}, {4, 0x04}, {0, 0x00}, {258, 0x02}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.playerCount);
    const Bytes file = write(infoLevel("Lv1", c.playerCount));
    EXPECT_EQ(file.at(kPlayerCountOffset), c.countByte);
    EXPECT_EQ(file.at(kPlayerCountOffset + 1), 0x00);
  }
}

TEST(LevelInfoWriterTest, ReferencedFilesCarryTheirKindsAndPaths) {
  struct Entry {
    std::uint32_t kind;
    std::string path;
  };
  const Entry entries[] = {
      {110, "Data\\Editor\\Terrain"},
      {240, "Data\\Editor\\Objects"},
      {120, "Data\\Editor\\Rooms"},
      {170, "Data\\Editor\\Creatures"},
      {160, "Data\\Editor\\CreatureSpells"},
      {130, "Data\\Editor\\Traps"},
      {140, "Data\\Editor\\Doors"},
      {260, "Data\\Editor\\Shots"},
      {150, "Data\\Editor\\KeeperSpells"},
      {180, "Data\\Editor\\Maps\\CaveXPlayers.kld"},
      {100, "Data\\Editor\\Maps\\CaveXMap.kld"},
      {210, "Data\\Editor\\Maps\\CaveXTriggers.kld"},
      {230, "Data\\Editor\\GlobalVariables.kwd"},
      {230, "Data\\Editor\\Maps\\CaveXVariables.kld"},
      {190, "Data\\Editor\\Maps\\CaveXThings.kld"},
  };
  const Bytes file = write(infoLevel("CaveX", 3));
  ASSERT_EQ(file.size(), kFileLength);
  for (std::size_t n = 1; n <= 15; ++n) {
    const Entry& e = entries[n - 1];
    SCOPED_TRACE("entry " + std::to_string(n) + " " + e.path);
    const std::size_t at = kFirstReferencedFile + kEntrySize * (n - 1);
    EXPECT_EQ(u32At(file, at), e.kind);
    EXPECT_EQ(u32At(file, at + 4), 0u);
    EXPECT_EQ(hex(slice(file, pathOffset(n), e.path.size())), hex(text(e.path)));
    EXPECT_TRUE(allZero(file, pathOffset(n) + e.path.size(), pathOffset(n) + kPathWidth));
  }
}

TEST(LevelInfoWriterTest, ClosingListEndsTheFile) {
  const Bytes file = write(infoLevel("Lv1", 1));
  ASSERT_EQ(file.size(), kFileLength);
  const std::uint32_t expected[] = {1, 17, 3, 4, 5, 6, 7, 10, 12, 22, 23, 24, 9, 8, 11};
  for (std::size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(u32At(file, kClosingListOffset + 4 * i), expected[i]) << "value " << i;
  }
}

TEST(LevelInfoWriterTest, LongestNameFillsTheVariablesPathExactly) {
  const std::string name = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefgh";
  ASSERT_EQ(name.size(), 34u);
  const Bytes file = write(infoLevel(name, 4));
  ASSERT_EQ(file.size(), kFileLength);

  const std::string variablesPath = "Data\\Editor\\Maps\\" + name + "Variables.kld";
  ASSERT_EQ(variablesPath.size(), kPathWidth);
  EXPECT_EQ(hex(slice(file, pathOffset(14), kPathWidth)), hex(text(variablesPath)));
  // Entry 15 follows at its own place.
  EXPECT_EQ(u32At(file, pathOffset(14) + kPathWidth), 190u);
  EXPECT_EQ(u32At(file, pathOffset(14) + kPathWidth + 4), 0u);

  // The wide name: 68 bytes from offset 56, zeros after it up to the fixed 04.
  Bytes wide;
  for (char c : name) {
    wide.push_back(static_cast<std::uint8_t>(c));
    wide.push_back(0);
  }
  EXPECT_EQ(hex(slice(file, kLevelNameOffset, wide.size())), hex(wide));
  EXPECT_TRUE(allZero(file, kLevelNameOffset + wide.size(), kLevelNameEnd));
  EXPECT_EQ(file[kLevelNameEnd], 0x04);
}

TEST(LevelInfoWriterTest, OverlongNameShiftsNoField) {
  // The reader rejects such names; should one reach the writer, every field stays in place.
  const std::string name(40, 'q');
  const Bytes file = write(infoLevel(name, 2));
  ASSERT_EQ(file.size(), kFileLength);
  EXPECT_EQ(file[kLevelNameEnd], 0x04);
  EXPECT_EQ(file[kPlayerCountOffset], 0x02);
  for (std::size_t n = 10; n <= 15; ++n) {
    SCOPED_TRACE(n);
    const std::uint32_t kinds[] = {180, 100, 210, 230, 230, 190};
    EXPECT_EQ(u32At(file, kFirstReferencedFile + kEntrySize * (n - 1)), kinds[n - 10]);
  }
  EXPECT_EQ(u32At(file, kClosingListOffset), 1u);
  EXPECT_EQ(u32At(file, kFileLength - 4), 11u);
}

}  // namespace
}  // namespace ts
