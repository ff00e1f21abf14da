// Byte order of the level file encoders and of the reads that undo them, text fields, and the
// choice of a date stamp row.
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

TEST(EncodingTest, FieldsAreLeastSignificantByteFirstBothWays) {
  struct Case {
    std::uint32_t value;
    Bytes bytes;  // four for a 32-bit field, two for a 16-bit one
  };
  const Case cases[] = {
      {300, {0x2C, 0x01, 0x00, 0x00}},
      {0, {0x00, 0x00, 0x00, 0x00}},
      {0x01010125, {0x25, 0x01, 0x01, 0x01}},
      {65572, {0x24, 0x00, 0x01, 0x00}},
      {0xA1B2C3D4, {0xD4, 0xC3, 0xB2, 0xA1}},
      {300, {0x2C, 0x01}},
      {26, {0x1A, 0x00}},
      {0xFFFF, {0xFF, 0xFF}},
      {0x1234, {0x34, 0x12}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(hex(c.bytes));
    Bytes out;
    if (c.bytes.size() == 4) {
      putU32(out, c.value);
      EXPECT_EQ(loadU32(c.bytes.data()), c.value);
      EXPECT_EQ(readU32(c.bytes, 0), c.value);
    } else {
      putU16(out, static_cast<std::uint16_t>(c.value));
      EXPECT_EQ(loadU16(c.bytes.data()), c.value);
      EXPECT_EQ(readU16(c.bytes, 0), c.value);
    }
    EXPECT_EQ(hex(out), hex(c.bytes));
  }
}

TEST(EncodingTest, CheckedReadsStopAtTheEndAndPaddedReadsGoOnWithZeros) {
  const Bytes bytes = {0x2C, 0x01, 0x00, 0x00, 0x7F};
  EXPECT_EQ(readU32(bytes, 1), 0x7F000001U);
  EXPECT_EQ(readU16(bytes, 3), 0x7F00U);
  EXPECT_EQ(readU8(bytes, 4), 0x7FU);
  EXPECT_FALSE(readU32(bytes, 2));
  EXPECT_FALSE(readU16(bytes, 4));
  EXPECT_FALSE(readU8(bytes, 5));
  // An offset near the top of the range must not wrap around into the buffer.
  EXPECT_FALSE(readU32(bytes, SIZE_MAX - 1));
  EXPECT_FALSE(fitsIn(bytes.size(), 1, SIZE_MAX));

  EXPECT_EQ(loadU32(padded<4>(bytes, 3).data()), 0x7F00U);
  EXPECT_EQ(loadU32(padded<4>(bytes, 0).data()), 300U);
  EXPECT_EQ(loadU16(padded<2>(bytes, 5).data()), 0U);
  EXPECT_EQ(loadU16(padded<2>(bytes, SIZE_MAX).data()), 0U);
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
    EXPECT_EQ(loadI32(c.asU32.data()), c.value);
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
