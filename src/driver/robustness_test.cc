// Half-written maps: every counted loop of the reader stops once the text has ended, however
// large its count, and the level fails with the message of the check that follows.
#include <gtest/gtest.h>

#include <string>

#include "driver/compile.h"
#include "format/layouts.h"

namespace {

// A one-keeper map with one gate square (G), cut at `section` ("" keeps the whole text).
std::string mapUpTo(std::string_view section) {
  const std::string full =
      "Lv\nPlayers 1\nSize 4 x 3\n####\n#.G#\n####\n"
      "MAP_CODES\n3\n# SOLID_ROCK\n. KPR1_CLAIMED_SQ\nG HERO_GATE_1\n"
      "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n"
      "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 1\n"
      "HERO_BANDS\n0\nAREAS\n0\nHERO_GATES\n0\nTRIGGERS\n0\nSCENARIO_DESCRIPTION\nEOF\n";
  return section.empty() ? full : full.substr(0, full.find(std::string(section) + "\n"));
}

TEST(Robustness, HugeCountsOnCutTextsStopWithTheText) {
  constexpr std::string_view kHuge = "2000000000\n";
  const struct {
    std::string text;
    std::string_view console;
  } cases[] = {
      {mapUpTo("MAP_CODES") + "MAP_CODES\n" + std::string(kHuge) + "# SOLID_ROCK\n",
       "Apparent endless loop while loading things\n"},
      {mapUpTo("THINGS") + "THINGS\n" + std::string(kHuge) + "TH_BARREL 1 1\n",
       "error in THINGS section \n"},
      {mapUpTo("DOORS") + "DOORS\n" + std::string(kHuge) + "WOODEN_DOOR 1 1 P1 L\n",
       "error near TRAPS section \n"},
      {mapUpTo("TRAPS") + "TRAPS\n" + std::string(kHuge) + "TR_GAS 1 1 P1\n",
       "error near HEARTS_AND_GOLD section \n"},
      {mapUpTo("HERO_BANDS") + "HERO_BANDS\n" + std::string(kHuge) + "Band 1 PH\nKNIGHT L2\n",
       "error near HERO_BANDS section \n"},
      {mapUpTo("HERO_BANDS") + "HERO_BANDS\n1\nBand 2000000000 PH\nKNIGHT L2\n",
       "Hero band Band (band 1) declares 2000000000 members; only the first 16 are kept\n"
       "error near HERO_BANDS section \n"},
      {mapUpTo("AREAS") + "AREAS\n" + std::string(kHuge) + "1 1 1 2 1\n",
       "ID out of order in Hero Entance # 2 ==> 1\n"},
      {mapUpTo("HERO_GATES") + "HERO_GATES\n" + std::string(kHuge) + "1 2 1\n",
       "ID out of order in Hero Gate# 2 ==> 1\n"},
      {mapUpTo("TRIGGERS") + "TRIGGERS\n1\nTRIGGER_TIME 5\n" + std::string(kHuge) +
           "ACTION_ADD_TRAP P1 TR_GAS\n",
       "error before SCENARIO_DESCRIPTION section \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const ts::CompileResult result = ts::compileMap(c.text);
    EXPECT_EQ(result.console, c.console);
    EXPECT_FALSE(result.valid);
  }
  ASSERT_TRUE(ts::compileMap(mapUpTo("")).valid);
}

// Words far longer than any name are read whole and behave as unknown names.
TEST(Robustness, OverlongWordsAreUnknownNames) {
  const std::string longName(5000, 'T');
  std::string text = mapUpTo("");
  text.replace(text.find("CREATURES\n0"), 11,
               "CREATURES\n2\n" + longName + " 1 1 L1 P1\nIMP 1 1 L1 " + longName);
  const ts::CompileResult result = ts::compileMap(text);
  EXPECT_EQ(result.console, "");
  ASSERT_TRUE(result.valid);
  // Neither creature is kept: the things file holds only the keeper's heart.
  const ts::Bytes& things = result.files[2].bytes;
  EXPECT_EQ(things[ts::layout::kElementCount], 1);
}

}  // namespace
