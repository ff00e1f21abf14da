// Byte order and text fields of the level file encoders, and the choice of a date stamp row.
#include "base/le_encoding.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "format/chunks.h"
#include "testing/chunk_walker.h"

namespace ts {
namespace {

using testing::hex;

TEST(EncodingTest, U32IsLeastSignificantByteFirst) {
  struct Case {
    std::uint32_t value;
    Bytes expected;
  };
  const Case cases[] = {
      {300, {0x2C, 0x01, 0x00, 0x00}},        {0, {0x00, 0x00, 0x00, 0x00}},
      {0x01010125, {0x25, 0x01, 0x01, 0x01}}, {65572, {0x24, 0x00, 0x01, 0x00}},
      {0xA1B2C3D4, {0xD4, 0xC3, 0xB2, 0xA1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Bytes out;
    putU32(out, c.value);
    EXPECT_EQ(hex(out), hex(c.expected));
  }
}

TEST(EncodingTest, U16IsLeastSignificantByteFirst) {
  struct Case {
    std::uint16_t value;
    Bytes expected;
  };
  const Case cases[] = {
      {300, {0x2C, 0x01}},
      {26, {0x1A, 0x00}},
      {0xFFFF, {0xFF, 0xFF}},
      {0x1234, {0x34, 0x12}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Bytes out;
    putU16(out, c.value);
    EXPECT_EQ(hex(out), hex(c.expected));
  }
}

TEST(EncodingTest, LevelValuesKeepAllThirtyTwoBitsAndNarrowToTheLowByte) {
  struct Case {
    std::int32_t value;
    Bytes asU32;
    std::uint8_t asU8;
  };
  const Case cases[] = {
      {300, {0x2C, 0x01, 0x00, 0x00}, 0x2C},     {-1, {0xFF, 0xFF, 0xFF, 0xFF}, 0xFF},
      {-2, {0xFE, 0xFF, 0xFF, 0xFF}, 0xFE},      {-300, {0xD4, 0xFE, 0xFF, 0xFF}, 0xD4},
      {INT_MIN, {0x00, 0x00, 0x00, 0x80}, 0x00}, {INT_MAX, {0xFF, 0xFF, 0xFF, 0x7F}, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Bytes wide;
    putI32(wide, c.value);
    EXPECT_EQ(hex(wide), hex(c.asU32));
    Bytes narrow;
    putLow8(narrow, c.value);
    EXPECT_EQ(hex(narrow), hex(Bytes{c.asU8}));
  }
}

TEST(EncodingTest, NarrowTextIsPaddedWithZerosToItsWidth) {
  Bytes out;
  putNarrowText(out, "Keeper 1", 32);
  Bytes expected = {'K', 'e', 'e', 'p', 'e', 'r', ' ', '1'};
  expected.resize(32, 0);
  EXPECT_EQ(hex(out), hex(expected));

  // A text exactly as wide as its field gets no terminator.
  Bytes full;
  putNarrowText(full, "ABCD", 4);
  EXPECT_EQ(hex(full), hex(Bytes{'A', 'B', 'C', 'D'}));

  // Appending keeps what the buffer already holds.
  Bytes after = {0xEE};
  putNarrowText(after, "", 3);
  EXPECT_EQ(hex(after), hex(Bytes{0xEE, 0x00, 0x00, 0x00}));
}

TEST(EncodingTest, WideTextIsTwoBytesPerCharacterWithoutTerminator) {
  Bytes out;
  putWideText(out, "Lv1");
  EXPECT_EQ(hex(out), hex(Bytes{0x4C, 0x00, 0x76, 0x00, 0x31, 0x00}));

  // An 8-bit character keeps its byte; the high byte stays zero.
  Bytes high;
  putWideText(high, "\xE9");
  EXPECT_EQ(hex(high), hex(Bytes{0xE9, 0x00}));

  Bytes empty;
  putWideText(empty, "");
  EXPECT_TRUE(empty.empty());
}

TEST(EncodingTest, StampRowFollowsThePlayerCountAndFallsBackToTheLastRow) {
  StampTable table{};
  for (std::size_t row = 0; row < table.size(); ++row) {
    table[row].fill(static_cast<std::uint8_t>(0xA0 + row));
  }
  struct Case {
    std::int32_t playerCount;
    std::uint8_t rowMark;
  };
  const Case cases[] = {
      {1, 0xA0}, {2, 0xA1},  {3, 0xA2},       {4, 0xA3},       {0, 0xA3},
      {5, 0xA3}, {-1, 0xA3}, {INT_MAX, 0xA3}, {INT_MIN, 0xA3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.playerCount);
    const StampPair& row = stampRowFor(table, c.playerCount);
    EXPECT_EQ(row.front(), c.rowMark);
    EXPECT_EQ(row.back(), c.rowMark);
  }
}

}  // namespace
}  // namespace ts
