// The map file: its framing and size fields, the choice of a square's terrain code, the hero
// gate markers, squares without a code and the order of the cells.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "format/layouts.h"
#include "model/level_description.h"
#include "model/problems.h"
#include "testing/chunk_walker.h"
#include "writers/writers.h"

namespace ts {
namespace {

using testing::checkFraming;
using testing::hex;
using testing::slice;
using testing::u32At;

LevelDescription mapLevel(std::vector<std::string> rows,
                          std::map<TerrainCode, unsigned char> codes) {
  LevelDescription level;
  level.playerCount = 1;
  level.levelName = "Lv1";
  level.mapHeight = static_cast<std::int32_t>(rows.size());
  level.mapWidth = rows.empty() ? 0 : static_cast<std::int32_t>(rows.front().size());
  level.mapRows = std::move(rows);
  level.mapCodes = std::move(codes);
  level.isValid = true;
  return level;
}

struct Written {
  Bytes file;
  std::string console;
};

Written write(const LevelDescription& level) {
  std::ostringstream text;
  ProblemSink console(&text);
  Written w;
  w.file = buildMapFile(level, console);
  w.console = text.str();
  EXPECT_EQ(checkFraming(w.file), "");
  return w;
}

Bytes cellAt(const Written& w, std::size_t width, std::size_t row, std::size_t col) {
  return slice(w.file, layout::kFirstCell + layout::kCellSize * (row * width + col), 4);
}

TEST(MapWriterTest, OneSquareMapIsFortyBytes) {
  const Written w = write(mapLevel({"#"}, {{0x01010201, '#'}}));
  const Bytes expected = {
      0x64, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00,  // file size
      0x65, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,                          // map info
      0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,                          // 1 x 1
      0x66, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,                          // cells
      0x01, 0x02, 0x01, 0x01,                                                  // SOLID_ROCK
  };
  EXPECT_EQ(hex(w.file), hex(expected));
  EXPECT_EQ(w.console, "");
}

TEST(MapWriterTest, LengthAndSizeFieldsFollowTheMapSize) {
  struct Case {
    std::size_t width;
    std::size_t height;
    Bytes length;
    Bytes cellBytes;
  };
  const Case cases[] = {
      {128, 128, {0x24, 0x00, 0x01, 0x00}, {0x00, 0x00, 0x01, 0x00}},
      {300, 300, {0x64, 0x7E, 0x05, 0x00}, {0x40, 0x7E, 0x05, 0x00}},
      {3, 2, {0x3C, 0x00, 0x00, 0x00}, {0x18, 0x00, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const std::vector<std::string> rows(c.height, std::string(c.width, '.'));
    const Written w = write(mapLevel(rows, {{0x01010203, '.'}}));
    ASSERT_EQ(w.file.size(), 36 + 4 * c.width * c.height);
    EXPECT_EQ(hex(slice(w.file, layout::kAnnouncedLength, 4)), hex(c.length));
    EXPECT_EQ(u32At(w.file, layout::kMapWidth), c.width);
    EXPECT_EQ(u32At(w.file, layout::kMapHeight), c.height);
    EXPECT_EQ(hex(slice(w.file, layout::kMapCellsChunk + 4, 4)), hex(c.cellBytes));
    EXPECT_EQ(hex(slice(w.file, w.file.size() - 4, 4)), "03 02 01 01");
  }
}

TEST(MapWriterTest, SmallestSignedCodeWinsForASharedCharacter) {
  struct Case {
    const char* what;
    std::map<TerrainCode, unsigned char> codes;
    Bytes expected;
  };
  const Case cases[] = {
      {"two ordinary codes", {{0x01010306, 'x'}, {0x01010202, 'x'}}, {0x02, 0x02, 0x01, 0x01}},
      {"a negative code is smaller than any positive one",
       {{0x01010202, 'x'}, {static_cast<TerrainCode>(0xFF010203u), 'x'}},
       {0x03, 0x02, 0x01, 0xFF}},
      {"three codes, the other character's code in between",
       {{0x01010207, 'x'}, {0x01010205, 'y'}, {0x01010206, 'x'}, {0x01010204, 'x'}},
       {0x04, 0x02, 0x01, 0x01}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Written w = write(mapLevel({"xx", "xx"}, c.codes));
    for (std::size_t cell = 0; cell < 4; ++cell) {
      EXPECT_EQ(hex(cellAt(w, 2, cell / 2, cell % 2)), hex(c.expected)) << "cell " << cell;
    }
    EXPECT_EQ(w.console, "");
  }
}

TEST(MapWriterTest, HeroGateMarkersAreWrittenAsHeroGateSix) {
  // HERO_GATE_7 to HERO_GATE_10, then HERO_GATE_6 itself and HERO_GATE_5 for contrast.
  const Written w = write(mapLevel(
      {"789065"},
      {{100, '7'}, {102, '8'}, {104, '9'}, {106, '0'}, {0x01010125, '6'}, {0x01010124, '5'}}));
  for (std::size_t col = 0; col < 5; ++col) {
    EXPECT_EQ(hex(cellAt(w, 6, 0, col)), "25 01 01 01") << "column " << col;
  }
  EXPECT_EQ(hex(cellAt(w, 6, 0, 5)), "24 01 01 01");
  EXPECT_EQ(w.console, "");
}

TEST(MapWriterTest, MarkerCodeSharedWithAnOrdinaryCodeStillWinsAsSmallest) {
  // 100 is smaller than every owned terrain code, so the marker wins and is remapped.
  const Written w = write(mapLevel({"g"}, {{0x01010206, 'g'}, {100, 'g'}}));
  EXPECT_EQ(hex(cellAt(w, 1, 0, 0)), "25 01 01 01");
}

TEST(MapWriterTest, CharacterWithoutCodeIsReportedPerSquareAndWrittenAsFallback) {
  const Written w = write(mapLevel({"Z.Z", ".Z."}, {{0x01010203, '.'}}));
  EXPECT_EQ(w.console,
            "Minor problem with terrain mapping : Z\n"
            "Minor problem with terrain mapping : Z\n"
            "Minor problem with terrain mapping : Z\n");
  ASSERT_EQ(w.file.size(), 36u + 4 * 6);
  const char* const expected[2][3] = {{"01 01 01 01", "03 02 01 01", "01 01 01 01"},
                                      {"03 02 01 01", "01 01 01 01", "03 02 01 01"}};
  for (std::size_t r = 0; r < 2; ++r) {
    for (std::size_t c = 0; c < 3; ++c) {
      EXPECT_EQ(hex(cellAt(w, 3, r, c)), expected[r][c]) << "row " << r << " column " << c;
    }
  }
}

TEST(MapWriterTest, UnknownCharactersAreReportedInRowOrderEachByItself) {
  const Written w = write(mapLevel({"AB", "CA"}, {}));
  EXPECT_EQ(w.console,
            "Minor problem with terrain mapping : A\n"
            "Minor problem with terrain mapping : B\n"
            "Minor problem with terrain mapping : C\n"
            "Minor problem with terrain mapping : A\n");
  for (std::size_t cell = 0; cell < 4; ++cell) {
    EXPECT_EQ(hex(cellAt(w, 2, cell / 2, cell % 2)), "01 01 01 01") << "cell " << cell;
  }
}

TEST(MapWriterTest, CellsAreWrittenRowByRowFromColumnZero) {
  // Width 3 and height 2 so that a column-first order or a swapped stride shows up; the
  // last character has its top bit set.
  const Written w = write(mapLevel({"abc", "de\xE9"}, {{0x01010201, 'a'},
                                                       {0x01010202, 'b'},
                                                       {0x01010203, 'c'},
                                                       {0x0101030B, 'd'},
                                                       {0x0101040A, 'e'},
                                                       {0x01010207, 0xE9}}));
  EXPECT_EQ(u32At(w.file, layout::kMapWidth), 3u);
  EXPECT_EQ(u32At(w.file, layout::kMapHeight), 2u);
  EXPECT_EQ(hex(slice(w.file, layout::kFirstCell, 24)),
            "01 02 01 01 02 02 01 01 03 02 01 01 "
            "0B 03 01 01 0A 04 01 01 07 02 01 01");
  EXPECT_EQ(w.console, "");
}

}  // namespace
}  // namespace ts
