// The checker: each kind of error, warning and note on a small map, at its line and column.
#include "analysis/check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/check_test_support.h"
#include "analysis/line_index.h"
#include "check_run.h"

namespace ts::check {
namespace {

using namespace test_support;  // NOLINT: the tests' shared helpers

// A valid two-keeper map; each case replaces one piece of it.
std::string baseMap() {
  return "Lv\nPlayers 2\nSize 6 x 4\n"
         "######\n#.gg.#\n#....#\n######\n"
         "MAP_CODES\n3\n# SOLID_ROCK\n. KPR1_CLAIMED_SQ\ng GOLD\n"
         "THINGS\n1\nTH_BARREL 2 2\n"
         "CREATURES\n1\nTROLL 1 1 L4 P1\n"
         "DOORS\n0\nTRAPS\n0\n"
         "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 1\nGOLD1 100\nKPR2_HEART_CENTER 4 2\n"
         "HERO_BANDS\n1\nBand 1 PH\nKNIGHT L2\n"
         "AREAS\n1\n1 1 2 2 2\nHERO_GATES\n0\n"
         "TRIGGERS\n1\nTRIGGER_TIME 10\n1\nACTION_HERO_RELEASE 1 A 1\n"
         "SCENARIO_DESCRIPTION\nNO P1 CASINO\nEOF\n";
}

TEST(CheckMap, ACleanMapHasNothingToSay) {
  EXPECT_TRUE(checkMap(baseMap(), names()).empty());
  std::ifstream file(std::string(TUNNELSMITH_SOURCE_DIR) + "/examples/lair1.txt");
  const std::string example{std::istreambuf_iterator<char>(file), {}};
  EXPECT_TRUE(checkMap(example, names()).empty());
}

TEST(CheckMap, EachWarningAtItsLineAndColumn) {
  const struct {
    std::string from, to;  // the change to the base map
    std::string at;        // text at which the warning points
    std::string text;
  } cases[] = {
      {"TROLL 1 1 L4 P1", "TROL 1 1 L4 P1", "TROL 1",
       "CREATURES entry dropped: 'TROL' is not a creature name; did you mean TROLL?"},
      {"TROLL 1 1 L4 P1", "TROLL 1 1 L11 P1", "L11",
       "CREATURES entry dropped: 'L11' is not a level token (L1 to L10); L10 is the highest level"},
      {"TH_BARREL 2 2", "TH_BARRELL 2 2", "TH_BARRELL",
       "THINGS entry dropped: 'TH_BARRELL' is not an object or magic item name; did you mean "
       "TH_BARREL?"},
      {"KNIGHT L2", "KNIGHT L0", "L0",
       "HERO_BANDS entry dropped: 'L0' is not a level token (L1 to L10); did you mean L1?"},
      {"#.gg.#", "#.gZZ#", "ZZ",
       "map character 'Z' has no terrain in MAP_CODES (2 squares); the compiler writes it as "
       "terrain 0x01010101"},
      {"3\n# SOLID_ROCK", "4\nq SOLID_ROCK\n# SOLID_ROCK", "# SOLID_ROCK",
       "this entry gives the terrain of 'q' to '#' (code 0x1010201); squares drawn with 'q' are "
       "left without terrain"},
      {"TH_BARREL 2 2", "TH_BARREL 6 2", "TH_BARREL", "thing at (6, 2) is outside the 6 by 4 map"},
      {"1 1 2 2 2", "1 1 2 9 2", "1 1 2 9",
       "entrance area 1 from (1, 2) to (9, 2) is not a rectangle inside the 6 by 4 map"},
      {"GOLD1 100", "GOLD1 100\nGOLD3 5", "GOLD3",
       "GOLD3 for keeper 3, who has no heart centre: the gold is never used"},
      {"1\nACTION_HERO_RELEASE 1 A 1", "2\nACTION_HERO_RELEASE 1 A 1\nACTION_HERO_RELEASE 2 A 1",
       "ACTION_HERO_RELEASE 2", "hero release names band 2, but the level has 1 band"},
      {"ACTION_HERO_RELEASE 1 A 1", "ACTION_HERO_RELEASE 1 G 1", "ACTION_HERO",
       "hero release names gate 1, but the level has 0 hero gates"},
      {"NO P1 CASINO", "START_WITH P1 CASINO", "START_WITH",
       "START_WITH changes nothing: the keeper already has it so"},
      {"EOF\n", "EOF\nleft over\n", "left over", "text after EOF is never read"},
      {"NO P1 CASINO", "NO P1 DRAGON", "DRAGON", "invalid object in description: DRAGON"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.to);
    const std::string text = replaced(baseMap(), c.from, c.to);
    const std::vector<Diagnostic> found = checkMap(text, names());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].span.start, text.find(c.at));
    EXPECT_EQ(found[0].severity, Severity::kWarning);
    EXPECT_EQ(found[0].text, c.text);
  }
}

TEST(CheckMap, ErrorsKeepTheCompilersTextAtTheMistake) {
  // Only one heart for two keepers: the error points at the player count.
  std::string text = replaced(baseMap(), "KPR2_HEART_CENTER 4 2\n", "");
  std::vector<Diagnostic> found = checkMap(text, names());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].severity, Severity::kError);
  EXPECT_EQ(found[0].text, "Heart Center info not correct!");
  EXPECT_EQ(lineAt(text, found[0].span.start), 2u);
  EXPECT_FALSE(found[0].afterFirstError);

  // A misspelt keyword: the search ran to the end of the text; the error is at the keyword.
  text = replaced(baseMap(), "DOORS\n", "DOOR\n");
  found = checkMap(text, names());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].text, "error near DOORS section");
  EXPECT_EQ(found[0].name(), "misspelt-keyword");
  EXPECT_EQ(lineAt(text, found[0].span.start), where(text, "DOOR\n").first);
}

// A level name that would lead the files elsewhere is an error at the name; a byte-order mark
// is skipped with a note; both on line 1.
TEST(CheckMap, LevelNameAndByteOrderMarkOnTheFirstLine) {
  std::vector<Diagnostic> found = checkMap(replaced(baseMap(), "Lv\n", "x/Lv\n"), names());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].severity, Severity::kError);
  EXPECT_EQ(found[0].span.start, 0u);
  EXPECT_EQ(found[0].text.rfind("Level name not allowed: x/Lv holds the character '/'", 0), 0u);

  found = checkMap("\xEF\xBB\xBF" + baseMap(), names());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].severity, Severity::kNote);
  EXPECT_EQ(found[0].span.start, 0u);
  EXPECT_NE(found[0].text.find("byte-order mark"), std::string::npos);
}

// What a word most likely stands for: a name in the wrong case, a typo, a part added or dropped,
// two words swapped, the gate square with x and y swapped; never the word as it stands.
TEST(CheckMap, SuggestsWhatTheWordMeant) {
  const std::string gates =
      replaced(replaced(replaced(baseMap(), "#....#\n######", "#...G#\n######"), "3\n# SOLID_ROCK",
                        "4\nG HERO_GATE_1\n# SOLID_ROCK"),
               "HERO_GATES\n0", "HERO_GATES\n1\n1 2 4");
  const struct {
    std::string map, from, to;
    std::string at;           // where the suggested text goes
    std::string replacement;  // empty: no suggestion at all
    std::string says;         // in the diagnostic's text or one of its notes
  } cases[] = {
      {baseMap(), "TROLL 1 1 L4 P1", "troll 1 1 L4 P1", "troll", "TROLL", "did you mean TROLL?"},
      {baseMap(), "TROLL 1 1 L4 P1", "TROLL 1 1 P1 L4", "P1 L4", "L4 P1",
       "CREATURES entry dropped: 'P1' and 'L4' are swapped: write L4 P1"},
      {baseMap(), "KNIGHT L2", "L2 KNIGHT", "L2 KNIGHT", "KNIGHT L2", "are swapped"},
      {baseMap(), "g GOLD", "g GOLDD", "GOLDD", "GOLD", "did you mean GOLD?"},
      {baseMap(), "NO P1 CASINO", "NO P1 casino", "casino", "CASINO", "did you mean CASINO?"},
      {baseMap(), "NO P1 CASINO", "NO P1 KPR1_PORTAL", "KPR1_PORTAL", "PORTAL",
       "did you mean PORTAL?"},
      {baseMap(), "ACTION_HERO_RELEASE 1 A 1", "ACTION_ADD_ROOM P1 MANA", "MANA", "MANA_VAULT",
       "did you mean MANA_VAULT?"},
      {baseMap(), "NO P1 CASINO", "NO P3 CASINO", "P3", "",
       "keeper 3 does not play: the level has 2 players"},
      {baseMap(), "NO P1 CASINO", "NO PH CASINO", "PH", "",
       "the statement is about a keeper: P1 to P2"},
      {gates, "1 2 4", "1 2 4", "2 4", "4 2",
       "the square (4, 2) is HERO_GATE_1: x and y are swapped"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.to);
    const std::string text = replaced(c.map, c.from, c.to);
    const std::size_t at = text.find(c.at);
    const std::vector<Diagnostic> found = checkMap(text, names());
    const auto about = std::find_if(found.begin(), found.end(), [&](const Diagnostic& d) {
      return d.text.find(c.says) != std::string::npos ||
             std::any_of(d.notes.begin(), d.notes.end(),
                         [&](const Note& n) { return n.text.find(c.says) != std::string::npos; });
    });
    ASSERT_NE(about, found.end());
    if (c.replacement.empty()) {
      EXPECT_TRUE(about->suggestions.empty());
      continue;
    }
    ASSERT_EQ(about->suggestions.size(), 1u);
    EXPECT_EQ(about->suggestions[0].span.start, at);
    EXPECT_EQ(about->suggestions[0].span.end, at + c.at.size());
    EXPECT_EQ(about->suggestions[0].replacement, c.replacement);
  }
}

TEST(CheckMap, SuggestsOnlyNearNames) {
  const std::vector<std::string_view> creatures = {"TROLL", "IMP", "DWARF"};
  EXPECT_EQ(closestName("TROL", creatures), "TROLL");
  EXPECT_EQ(closestName("IMPS", creatures), "IMP");
  EXPECT_EQ(closestName("DRAGON", creatures), "");
}

// A corpus of realistic designer mistakes, each on a known line: the checker points at every one,
// with a diagnostic or one of its notes.
TEST(CheckMap, LocatesEveryMistakeInTheCorpus) {
  const std::string dir = std::string(TUNNELSMITH_SOURCE_DIR) + "/tests/mistakes/";
  std::ifstream list(dir + "lines.txt");
  ASSERT_TRUE(list) << "the corpus list is missing";
  std::size_t mistakes = 0;
  for (std::string entry; std::getline(list, entry);) {
    if (entry.empty() || entry[0] == '#') continue;
    std::istringstream fields(entry);
    std::string name;
    std::size_t line = 0;
    fields >> name >> line;
    std::ifstream file(dir + name + ".txt");
    ASSERT_TRUE(file) << name;
    const std::string map{std::istreambuf_iterator<char>(file), {}};
    const LineIndex lines(map);
    const std::vector<Diagnostic> found = checkMap(map, names());
    const auto at = [&](const Span& s) { return placeOf(lines, s.start, s.end).line == line; };
    // The diagnostic itself or one of its notes may stand at the mistake.
    const bool located = std::any_of(found.begin(), found.end(), [&](const Diagnostic& d) {
      return at(d.span) ||
             std::any_of(d.notes.begin(), d.notes.end(), [&](const Note& n) { return at(n.span); });
    });
    EXPECT_TRUE(located) << name << ": nothing said at line " << line;
    ++mistakes;
  }
  EXPECT_GE(mistakes, 276U);
}

TEST(CheckRun, SummaryStatusesAndWerror) {
  const std::string path = ::testing::TempDir() + "check_run_map.txt";
  std::ofstream(path) << replaced(baseMap(), "TROLL 1 1", "TROL 1 1");
  std::ostringstream out;
  EXPECT_EQ(runChecker({"tunnelsmith-check", path}, out), 0);
  const auto [line, column] = where(replaced(baseMap(), "TROLL 1 1", "TROL 1 1"), "TROL 1");
  // The caret line under the source line is the output tests' business.
  EXPECT_TRUE(out.str().starts_with(path + ":" + std::to_string(line) + ":" +
                                    std::to_string(column) +
                                    ": warning: CREATURES entry dropped: 'TROL' is not a creature "
                                    "name; did you mean TROLL?\nTROL 1 1 L4 P1\n"))
      << out.str();
  EXPECT_TRUE(out.str().ends_with("\n0 errors, 1 warning\n")) << out.str();
  std::ostringstream strict;
  EXPECT_EQ(runChecker({"tunnelsmith-check", "--werror", path}, strict), 1);
  std::ostringstream usage;
  EXPECT_EQ(runChecker({"tunnelsmith-check"}, usage), 2);
  EXPECT_EQ(runChecker({"tunnelsmith-check", "--bogus", path}, usage), 2);
  std::ostringstream missing;
  EXPECT_EQ(runChecker({"tunnelsmith-check", path + ".absent"}, missing), 2);
  EXPECT_EQ(missing.str(),
            path + ".absent: error: cannot read the map file\n1 error, 0 warnings\n");
  std::remove(path.c_str());
}

// A directory opens like a file but cannot be read: it is reported like a missing file.
TEST(CheckRun, DirectoryIsReportedAsUnreadable) {
  const std::string dir = ::testing::TempDir();
  std::ostringstream out;
  EXPECT_EQ(runChecker({"tunnelsmith-check", dir}, out), 2);
  EXPECT_EQ(out.str(), dir + ": error: cannot read the map file\n1 error, 0 warnings\n");
}

}  // namespace
}  // namespace ts::check
