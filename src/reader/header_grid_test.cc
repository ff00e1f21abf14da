// The header (name, player count, size) and the terrain grid in both formats: accepted
// spellings, every rejection with its exact console text, the loop guards, and the legend.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/level_description.h"
#include "model/vocabulary.h"
#include "reader/map_reader.h"

namespace ts {
namespace {

constexpr std::string_view kOldMap = "assuming no gate, trigger, and scenario info (old map) \n";
constexpr std::string_view kGuiError = "Cellwright Internal Error 1\n";
constexpr char kLegend[] = "MAP_CODES\n1\nb SOLID_ROCK\n";

// Empty placement sections and one heart per keeper: the shortest end of a complete old map.
std::string tail(int players = 1) {
  std::string text = "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\nHEARTS_AND_GOLD\n";
  for (int k = 1; k <= players; ++k) {
    text += "KPR" + std::to_string(k) + "_HEART_CENTER " + std::to_string(k) + " 1\n";
  }
  return text;
}

std::string rows(int width, int height, char c = 'b') {
  std::string text;
  for (int r = 0; r < height; ++r) text += std::string(static_cast<std::size_t>(width), c) + "\n";
  return text;
}

std::string header(std::string_view name, int players, int width, int height) {
  return std::string(name) + "\nPlayers " + std::to_string(players) + "\nSize " +
         std::to_string(width) + " x " + std::to_string(height) + "\n";
}

struct Read {
  std::string console;
  LevelDescription level;
};

Read readMap(std::string_view text) {
  const NameMaps names;
  std::ostringstream console;
  LevelDescription level = ts::readLevel(text, names, console);
  return {console.str(), std::move(level)};
}

// ---------------------------------------------------------------- header

struct Rejection {
  std::string name;
  std::string text;
  std::string console;
};

void expectRejections(const std::vector<Rejection>& cases) {
  for (const Rejection& c : cases) {
    SCOPED_TRACE(c.name);
    const Read r = readMap(c.text);
    EXPECT_FALSE(r.level.isValid);
    EXPECT_EQ(r.console, c.console);
  }
}

TEST(HeaderRejects, BadPlayerCounts) {
  const std::string size = "\nSize 4 x 1\nbbbb\n";
  expectRejections({
      {"empty file", "", "Bad number of players : 0\n"},
      {"only blanks", " \n\n  \n", "Bad number of players : 0\n"},
      {"text ends before the count", "Lair1\n", "Bad number of players : 0\n"},
      {"text ends after the label", "Lair1\nPlayers", "Bad number of players : 0\n"},
      {"zero", "Lair1\nPlayers 0" + size, "Bad number of players : 0\n"},
      {"five", "Lair1\nPlayers 5" + size, "Bad number of players : 5\n"},
      {"negative", "Lair1\nPlayers -1" + size, "Bad number of players : -1\n"},
      {"hex five", "Lair1\nPlayers 0x5" + size, "Bad number of players : 5\n"},
      {"no digits", "Lair1\nPlayers many" + size, "Bad number of players : 0\n"},
  });
}

TEST(HeaderRejects, BadOrMissingSizes) {
  const std::string start = "Lair1\nPlayers 1\n";
  expectRejections({
      {"zero width", start + "Size 0 x 3\nbbbb\n", " bad width/heigth : 0 3\n"},
      {"negative height", start + "Size 4 x -2\nbbbb\n", " bad width/heigth : 4 -2\n"},
      {"both bad", start + "Size -1 x 0\nbbbb\n", " bad width/heigth : -1 0\n"},
      {"missing height", start + "Size 4 x", "error with beginning file data section \n"},
      {"missing height, line end", start + "Size 4 x\n",
       "error with beginning file data section \n"},
      {"missing separator", start + "Size 4\n", "error with beginning file data section \n"},
      {"missing size line", start, "error with beginning file data section \n"},
      {"no digits in width", start + "Size four x 4\nbbbb\n",
       "error with beginning file data section \n"},
      {"width beyond 32 bits", start + "Size 99999999999 x 3\nbbbb\n",
       "error with beginning file data section \n"},
      // The dimensions line's own line end is missing: the line read after it finds nothing.
      {"text ends on the height", start + "Size 4 x 3",
       "error with beginning file data section \n"},
      {"text ends after the header", start + "Size 4 x 3\n",
       "Apparent endless loop while preparing to load map\n"},
      {"only empty lines after the header", start + "Size 4 x 3\n\n\n\n",
       "Apparent endless loop while preparing to load map\n"},
  });
}

TEST(HeaderRejects, LevelNameAndWidthLimits) {
  const std::string name35(35, 'N');
  const std::string tooLong = "Level name too long: " + name35 +
                              " has 35 characters; at most 34 fit the level file names\n";
  expectRejections({
      {"name of 35", header(name35, 1, 4, 1) + rows(4, 1) + kLegend + tail(), tooLong},
      {"size checked before the name", header(name35, 1, 0, 1), " bad width/heigth : 0 1\n"},
      {"name checked before the width", header(name35, 1, 1000, 1), tooLong},
      {"text width 1000", header("Lair1", 1, 1000, 1) + rows(1000, 1),
       "Map too wide: width 1000 is above the limit of 999 squares a row for a text map\n"},
      {"gui width 500", "GUI_GENERATED_MAP " + header("Lair1", 1, 500, 1) + rows(1000, 1, 'O'),
       "Map too wide: width 500 is above the limit of 499 squares a row for a map-drawing-tool "
       "map\n"},
  });
}

TEST(HeaderAccepts, NameAndSizeSpellings) {
  struct Case {
    std::string name;
    std::string header;
    std::string levelName;
    int players;
    int width;
    int height;
  };
  const std::string name34(34, 'N');
  const Case cases[] = {
      {"plain", "Lair1\nPlayers 1\nSize 4 x 3\n", "Lair1", 1, 4, 3},
      {"gui word after the name", "Lair1 GUI_GENERATED_MAP\nPlayers 1\nSize 4 x 3\n", "Lair1", 1, 4,
       3},
      {"rest of the name line discarded", "Lair1 is the first level\nPlayers 1\nSize 4 x 3\n",
       "Lair1", 1, 4, 3},
      {"count on the next line", "Lair1\nPlayers\n2\nSize 4 x 3\n", "Lair1", 2, 4, 3},
      {"any label word", "Lair1\nKeepers 4\nDimensions 4 x 3\n", "Lair1", 4, 4, 3},
      {"40 x 40", "Lair1\nPlayers 1\nSize 40 x 40\n", "Lair1", 1, 40, 40},
      {"40,40", "Lair1\nPlayers 1\nSize 40,40\n", "Lair1", 1, 40, 40},
      {"40x40", "Lair1\nPlayers 1\nSize 40x40\n", "Lair1", 1, 40, 40},
      {"octal width", "Lair1\nPlayers 1\nSize 010 x 3\n", "Lair1", 1, 8, 3},
      {"hex width", "Lair1\nPlayers 1\nSize 0x10 x 3\n", "Lair1", 1, 16, 3},
      {"rest of the size line discarded", "Lair1\nPlayers 1\nSize 4 x 3 squares\n", "Lair1", 1, 4,
       3},
      {"name of 34", header(name34, 1, 4, 3), name34, 1, 4, 3},
      {"text width 999", header("Lair1", 1, 999, 2), "Lair1", 1, 999, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read r = readMap(c.header + rows(c.width, c.height) + kLegend + tail(c.players));
    EXPECT_TRUE(r.level.isValid);
    EXPECT_EQ(r.console, kOldMap);
    EXPECT_EQ(r.level.levelName, c.levelName);
    EXPECT_EQ(r.level.playerCount, c.players);
    EXPECT_EQ(r.level.mapWidth, c.width);
    EXPECT_EQ(r.level.mapHeight, c.height);
    // Text mode: the legend is the one line given.
    EXPECT_EQ(r.level.mapCodes.size(), 1u);
    ASSERT_EQ(r.level.mapRows.size(), static_cast<std::size_t>(c.height));
    EXPECT_EQ(r.level.mapRows.back(), std::string(static_cast<std::size_t>(c.width), 'b'));
  }
}

TEST(HeaderAccepts, GuiWordBeforeTheNameOnTheSameOrTheNextLine) {
  for (std::string_view first : {"GUI_GENERATED_MAP Lair1\n", "GUI_GENERATED_MAP\nLair1\n"}) {
    SCOPED_TRACE(std::string(first));
    const Read r = readMap(std::string(first) + "Players 1\nSize 2 x 1\nObOb\n" + tail());
    EXPECT_TRUE(r.level.isValid);
    EXPECT_EQ(r.console, kOldMap);
    EXPECT_EQ(r.level.levelName, "Lair1");
    // GUI mode: two characters a square, and the legend is every terrain name.
    EXPECT_EQ(r.level.mapCodes.size(), 139u);
    ASSERT_EQ(r.level.mapRows.size(), 1u);
    EXPECT_EQ(r.level.mapRows[0], std::string(2, static_cast<char>(32)));
  }
}

TEST(HeaderAccepts, GuiWidth499) {
  std::string row;
  for (int i = 0; i < 499; ++i) row += "Oc";
  const Read r = readMap("GUI_GENERATED_MAP " + header("Lair1", 1, 499, 1) + row + "\n" + tail());
  EXPECT_TRUE(r.level.isValid);
  EXPECT_EQ(r.console, kOldMap);
  ASSERT_EQ(r.level.mapRows.size(), 1u);
  EXPECT_EQ(r.level.mapRows[0], std::string(499, static_cast<char>(33)));  // ROCK
}

TEST(HeaderEmptyLines, AtMost1000BeforeTheFirstRow) {
  for (int empty : {0, 1, 1000, 1001}) {
    SCOPED_TRACE(empty);
    const Read r =
        readMap(header("Lair1", 1, 4, 1) + std::string(static_cast<std::size_t>(empty), '\n') +
                rows(4, 1) + kLegend + tail());
    EXPECT_EQ(r.level.isValid, empty <= 1000);
    EXPECT_EQ(r.console, empty <= 1000 ? std::string(kOldMap)
                                       : "Apparent endless loop while preparing to load map\n");
  }
}

TEST(HeaderEmptyLines, ABlankOnlyLineIsTheFirstRow) {
  const Read r = readMap(header("Lair1", 1, 3, 2) + "\n   \nbbb\n" + kLegend + tail());
  EXPECT_TRUE(r.level.isValid);
  EXPECT_EQ(r.console, kOldMap);
  ASSERT_EQ(r.level.mapRows.size(), 2u);
  EXPECT_EQ(r.level.mapRows[0], "   ");
  EXPECT_EQ(r.level.mapRows[1], "bbb");
}

// ---------------------------------------------------------------- text grid and legend

TEST(GridText, ExampleRowsAndLegend) {
  const Read r = readMap(
      "Lair1\nPlayers 1\nSize 4 x 3\nbbbb\nb..b\nbbbb\nMAP_CODES\n2\nb SOLID_ROCK\n"
      ". KPR1_CLAIMED_SQ\n" +
      tail());
  EXPECT_TRUE(r.level.isValid);
  EXPECT_EQ(r.console, kOldMap);
  EXPECT_EQ(r.level.mapRows, (std::vector<std::string>{"bbbb", "b..b", "bbbb"}));
  const std::map<TerrainCode, unsigned char> codes = {{0x01010201, 'b'}, {0x01010308, '.'}};
  EXPECT_EQ(r.level.mapCodes, codes);
}

TEST(GridText, CrLfLineEndsReadLikeLf) {
  std::string text =
      "Lair1\nPlayers 1\nSize 4 x 3\nbbbb\n\nb..b\nbbbb\nMAP_CODES\n2\nb SOLID_ROCK\n"
      ". KPR1_CLAIMED_SQ\n" +
      tail();
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const Read r = readMap(crlf);
  EXPECT_TRUE(r.level.isValid);
  EXPECT_EQ(r.console, kOldMap);
  EXPECT_EQ(r.level.mapRows, (std::vector<std::string>{"bbbb", "b..b", "bbbb"}));
  EXPECT_EQ(r.level.mapCodes.size(), 2u);
}

TEST(GridText, ExtraCharactersIgnoredAndEmptyLinesBetweenRowsSkipped) {
  const Read r = readMap(header("Lair1", 1, 2, 3) + "bbXYZ\n\n\nb.\n\n..\nnotes\n MAP_CODES\n" +
                         "MAP_CODES\n1\nb SOLID_ROCK\n" + tail());
  EXPECT_TRUE(r.level.isValid);
  EXPECT_EQ(r.console, kOldMap);
  EXPECT_EQ(r.level.mapRows, (std::vector<std::string>{"bb", "b.", ".."}));
}

TEST(GridText, AnOverlongLineGivesTwoRows) {
  const Read r = readMap(header("Lair1", 1, 999, 2) + std::string(999, 'a') +
                         std::string(999, 'c') + "\nMAP_CODES\n2\na SOLID_ROCK\nc ROCK\n" + tail());
  EXPECT_TRUE(r.level.isValid);
  EXPECT_EQ(r.console, kOldMap);
  ASSERT_EQ(r.level.mapRows.size(), 2u);
  EXPECT_EQ(r.level.mapRows[0], std::string(999, 'a'));
  EXPECT_EQ(r.level.mapRows[1], std::string(999, 'c'));
}

// One guard counts the rows and the empty lines between them from the first row on.
TEST(GridLoopGuard, RowsAndEmptyLinesShareOneBudget) {
  const std::string loadingMap = "Apparent endless loop while loading map\n";
  const std::string rows500 = rows(1, 500);
  const std::vector<Rejection> cases = {
      {"1000 rows", header("Lair1", 1, 1, 1000) + rows(1, 1000) + kLegend + tail(),
       std::string(kOldMap)},
      {"1001 rows", header("Lair1", 1, 1, 1001) + rows(1, 1001) + kLegend + tail(), loadingMap},
      {"1000 rows and one empty line",
       header("Lair1", 1, 1, 1000) + rows500 + "\n" + rows500 + kLegend + tail(), loadingMap},
      {"998 empty lines between two rows",
       header("Lair1", 1, 1, 2) + "b\n" + std::string(998, '\n') + "b\n" + kLegend + tail(),
       std::string(kOldMap)},
      {"1000 empty lines between two rows",
       header("Lair1", 1, 1, 2) + "b\n" + std::string(1000, '\n') + "b\n" + kLegend + tail(),
       "Apparent endless loop while loading  map rows\n"},
      {"text ends within the rows", header("Lair1", 1, 1, 3) + "b\nb\n", "error in MAP section \n"},
      {"no MAP_CODES", header("Lair1", 1, 1, 1) + "b\n" + tail(), "error in MAP_CODES section \n"},
      {"MAP_CODES after 1001 other lines",
       header("Lair1", 1, 1, 1) + "b\n" + rows(5, 1001, 'x') + kLegend + tail(), loadingMap},
  };
  for (const Rejection& c : cases) {
    SCOPED_TRACE(c.name);
    const Read r = readMap(c.text);
    EXPECT_EQ(r.level.isValid, c.console == kOldMap);
    EXPECT_EQ(r.console, c.console);
  }
}

TEST(GridText, ShortRowsAreRejected) {
  expectRejections({
      {"text row", header("Lair1", 1, 4, 3) + "bbbb\nbb\nbbbb\n" + kLegend + tail(),
       "Map row 2 is too short: expected 4 characters, found 2\n"},
      {"blank-only row", header("Lair1", 1, 4, 1) + "  \n" + kLegend + tail(),
       "Map row 1 is too short: expected 4 characters, found 2\n"},
      {"gui row", "GUI_GENERATED_MAP " + header("Lair1", 1, 4, 1) + "ObObOb\n" + tail(),
       "Map row 1 is too short: expected 8 characters (two a square), found 6\n"},
  });
}

TEST(GridLegend, RepeatedCharactersNamesAndUnknownNames) {
  struct Case {
    std::string name;
    std::string legend;
    std::map<TerrainCode, unsigned char> codes;
    std::string messages;
  };
  const Case cases[] = {
      {"two characters for one name", "2\na SOLID_ROCK\nb SOLID_ROCK\n", {{0x01010201, 'b'}}, ""},
      {"one character for two names",
       "2\nb ROCK\nb SOLID_ROCK\n",
       {{0x01010201, 'b'}, {0x01010202, 'b'}},
       ""},
      {"unknown names",
       "3\nx NOPE\nb SOLID_ROCK\ny solid_rock\n",
       {{0x01010101, 'y'}, {0x01010201, 'b'}},
       "map code not found error --> x : NOPE\nmap code not found error --> y : solid_rock\n"},
      {"entries share a line",
       "2 a ROCK b SOLID_ROCK\n",
       {{0x01010201, 'b'}, {0x01010202, 'a'}},
       ""},
      {"hero gate marker", "2\nb SOLID_ROCK\n7 HERO_GATE_7\n", {{100, '7'}, {0x01010201, 'b'}}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read r = readMap(header("Lair1", 1, 4, 1) + "bbbb\nMAP_CODES\n" + c.legend + tail());
    EXPECT_TRUE(r.level.isValid);
    EXPECT_EQ(r.console, c.messages + std::string(kOldMap));
    EXPECT_EQ(r.level.mapCodes, c.codes);
  }
}

TEST(GridLegend, ACountLargerThanTheEntriesConsumesTheThingsLine) {
  const Read r = readMap(header("Lair1", 1, 4, 1) + "bbbb\nMAP_CODES\n2\nb SOLID_ROCK\n" + tail());
  EXPECT_FALSE(r.level.isValid);
  EXPECT_EQ(r.console,
            "map code not found error --> T : HINGS\n"
            "Apparent endless loop while loading things\n");
}

TEST(GridLegend, ALegendCutShortByTheEndOfTheText) {
  // The name read finds nothing, so the buffer still holds MAP_CODES; an entry with nothing
  // at all is not read.
  const struct {
    std::string text;
    std::string_view console;
  } cases[] = {
      {header("Lair1", 1, 4, 1) + "bbbb\nMAP_CODES\n1\nb",
       "map code not found error --> b : MAP_CODES\n"
       "Apparent endless loop while loading things\n"},
      {header("Lair1", 1, 4, 1) + "bbbb\nMAP_CODES\n5\nb SOLID_ROCK\n",
       "Apparent endless loop while loading things\n"},
  };
  for (const auto& c : cases) {
    const Read r = readMap(c.text);
    EXPECT_EQ(r.console, c.console);
    EXPECT_FALSE(r.level.isValid);
  }
}

// ---------------------------------------------------------------- GUI grid

// Characters of the GUI grid: terrain names numbered from 1 in ascending code order, so the
// four gate markers are 1 to 4, the hero floors and rooms 5 to 23, HERO_GATE_1 24, HERO_MANA
// 26, SOLID_ROCK 32, ROCK 33, the neutral floors and rooms from 39, MAP_BORDER 58, and
// each keeper's 20 floors and rooms from 60, 80, 100 and 120.
TEST(GridGui, SquaresResolveToTheirCharacters) {
  struct Case {
    std::string_view square;
    int character;
    bool reported;
  };
  const Case cases[] = {
      {"Op", 1, false},  {"Oq", 2, false},  {"Or", 3, false},   {"Os", 4, false},
      {"HA", 5, false},  {"Oi", 24, false}, {"HT", 26, false},  {"Ob", 32, false},
      {"Oc", 33, false}, {"ND", 42, false}, {"XD", 42, false},  {"Oa", 58, false},
      {"1A", 60, false}, {"2A", 80, false}, {"3D", 103, false}, {"4T", 139, false},
      {"Oz", 32, false}, {"Ot", 32, false}, {"O ", 32, false},  {"1c", 32, true},
      {"Nb", 32, true},  {"OA", 32, true},  {"Hi", 32, true},   {"1U", 32, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.square));
    const Read r = readMap("GUI_GENERATED_MAP " + header("Lair1", 1, 1, 1) + std::string(c.square) +
                           "\n" + tail());
    EXPECT_TRUE(r.level.isValid);
    EXPECT_EQ(r.console, (c.reported ? std::string(kGuiError) : "") + std::string(kOldMap));
    ASSERT_EQ(r.level.mapRows.size(), 1u);
    EXPECT_EQ(r.level.mapRows[0], std::string(1, static_cast<char>(c.character)));
  }
}

TEST(GridGui, ExampleRowsAndTheLegendOfEveryTerrainName) {
  const Read r = readMap(
      "GUI_GENERATED_MAP Lair1\nPlayers 1\nSize 4 x 3\nObObObOb\nOb1A1AOb\n1cObOAOb\n" + tail());
  EXPECT_TRUE(r.level.isValid);
  EXPECT_EQ(r.console, std::string(kGuiError) + std::string(kGuiError) + std::string(kOldMap));
  const std::string rock(1, static_cast<char>(32));
  const std::string claimed(1, static_cast<char>(60));
  EXPECT_EQ(r.level.mapRows,
            (std::vector<std::string>{rock + rock + rock + rock, rock + claimed + claimed + rock,
                                      rock + rock + rock + rock}));
  EXPECT_EQ(r.level.mapCodes.size(), 139u);
  std::set<int> characters;
  for (const auto& [code, c] : r.level.mapCodes) characters.insert(c);
  EXPECT_EQ(characters.size(), 139u);
  EXPECT_EQ(*characters.begin(), 1);
  EXPECT_EQ(*characters.rbegin(), 139);
  EXPECT_EQ(r.level.mapCodes.at(100), 1);
  EXPECT_EQ(r.level.mapCodes.at(106), 4);
  EXPECT_EQ(r.level.mapCodes.at(0x01010201), 32);
  EXPECT_EQ(r.level.mapCodes.at(0x01010308), 60);
  EXPECT_EQ(r.level.mapCodes.at(0x01010620), 139);
}

TEST(GridGui, AMapCodesSectionIsSkipped) {
  const Read r = readMap("GUI_GENERATED_MAP " + header("Lair1", 1, 2, 1) +
                         "ObOc\nMAP_CODES\n2\nb ROCK\nz NOPE\n" + tail());
  EXPECT_TRUE(r.level.isValid);
  EXPECT_EQ(r.console, kOldMap);
  EXPECT_EQ(r.level.mapCodes.size(), 139u);
  EXPECT_EQ(r.level.mapCodes.at(0x01010202), 33);
  EXPECT_EQ(r.level.mapRows[0], (std::string{static_cast<char>(32), static_cast<char>(33)}));
}

TEST(GridGui, EmptyLinesAndTheLoopGuardAsInTextMode) {
  std::string row1000;
  for (int i = 0; i < 1000; ++i) row1000 += "Ob\n";
  expectRejections({
      {"text ends within the rows", "GUI_GENERATED_MAP " + header("Lair1", 1, 1, 2) + "Ob\n",
       "error in MAP section \n"},
      {"1001 rows", "GUI_GENERATED_MAP " + header("Lair1", 1, 1, 1001) + row1000 + "Ob\n" + tail(),
       "Apparent endless loop while loading map\n"},
  });
  const Read r = readMap("GUI_GENERATED_MAP " + header("Lair1", 1, 1, 1000) + row1000 + tail());
  EXPECT_TRUE(r.level.isValid);
  EXPECT_EQ(r.console, kOldMap);
}

}  // namespace
}  // namespace ts
