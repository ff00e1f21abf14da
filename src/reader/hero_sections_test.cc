// HERO_BANDS, AREAS and HERO_GATES: band owners and members, entrance area numbering, gate
// extents found on the grid, gate properties by terrain, and the overlap and mapping checks.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/level_description.h"
#include "model/vocabulary.h"
#include "testing/read_map.h"

namespace {

using ts::testing::acceptedQuietly;
using ts::testing::Outcome;
using ts::testing::readMap;

using Rows = std::vector<std::string>;

const Rows kPlain(6, "........");

// A one-keeper level over `rows` (every row as wide as the first), whose legend gives each
// gate terrain a digit (T for HERO_GATE_10) and the full stop ROCK; `x` is left out of it.
// `hero` is the text after the word HERO_BANDS, up to the TRIGGERS section.
std::string heroMap(const Rows& rows, std::string_view hero) {
  std::string t = ts::testing::headerAndRows(1, rows);
  t += "MAP_CODES\n11\n. ROCK\n1 HERO_GATE_1\n2 HERO_GATE_2\n3 HERO_GATE_3\n4 HERO_GATE_4\n"
       "5 HERO_GATE_5\n6 HERO_GATE_6\n7 HERO_GATE_7\n8 HERO_GATE_8\n9 HERO_GATE_9\n"
       "T HERO_GATE_10\n";
  t += "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n"
       "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 0 0\nGOLD1 100\nHERO_BANDS\n";
  t += hero;
  t += "TRIGGERS\n0\nSCENARIO_DESCRIPTION\nEOF\n";
  return t;
}

// No bands; the given AREAS and HERO_GATES bodies (count line first).
std::string areasAndGates(std::string_view areas, std::string_view gates) {
  return "0\nAREAS\n" + std::string(areas) + "HERO_GATES\n" + std::string(gates);
}

constexpr std::string_view kNoAreasOrGates = "AREAS\n0\nHERO_GATES\n0\n";

// AREAS and HERO_GATES over a grid, and what the compiler says of them: nothing for a level it
// accepts.
struct AreasAndGatesCase {
  std::string_view what;
  const Rows& rows;
  std::string areas, gates;
  std::string_view console;
};

void expectConsole(const AreasAndGatesCase& c) {
  SCOPED_TRACE(c.what);
  const Outcome o = readMap(heroMap(c.rows, areasAndGates(c.areas, c.gates)));
  EXPECT_EQ(o.console, c.console);
  EXPECT_EQ(o.level.isValid, c.console.empty());
}

// ---------------------------------------------------------------------------------------------

TEST(HeroSections, TextEndingAfterHeartsIsAnOldMap) {
  const std::string head =
      "Lv\nPlayers 1\nSize 2 x 1\n..\nMAP_CODES\n1\n. ROCK\n"
      "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\nHEARTS_AND_GOLD\n";
  const std::string_view endings[] = {
      "KPR1_HEART_CENTER 1 1\nGOLD1 5000\n",
      "KPR1_HEART_CENTER 1 1\nGOLD1 5000",
      "KPR1_HEART_CENTER 1 1\n\n\n",
      "KPR1_HEART_CENTER 1 1 HERO_BANDS",
  };
  for (std::string_view ending : endings) {
    SCOPED_TRACE(ending);
    const Outcome o = readMap(head + std::string(ending));
    EXPECT_EQ(o.console, "assuming no gate, trigger, and scenario info (old map) \n");
    EXPECT_TRUE(o.level.isValid);
    EXPECT_TRUE(o.level.heroBands.empty());
    EXPECT_TRUE(o.level.areas.empty());
    EXPECT_TRUE(o.level.heroGates.empty());
    EXPECT_TRUE(o.level.triggers.empty());
  }
  // The heart check still comes first.
  const Outcome bad = readMap(head + "GOLD1 5000\n");
  EXPECT_EQ(bad.console, " Heart Center info not correct!\n");
  EXPECT_FALSE(bad.level.isValid);
}

TEST(HeroSections, BandOwnersAndMembers) {
  const Outcome o = readMap(heroMap(kPlain,
                                    "6\n"
                                    "FirstBand 2 PH\nKNIGHT L5\nDWARF L3\n"
                                    "Neutrals 1 PN\nGIANT L1\n"
                                    "Keepers 2 P2 trailing words\nWIZARD L10\nTHIEF L2\n"
                                    "Last 1 P4\nMONK L7\n"
                                    "Odd 1 PX\nFAIRY L1\n"
                                    "Empty 0 P1\n" +
                                        std::string(kNoAreasOrGates)));
  ASSERT_TRUE(acceptedQuietly(o));
  struct Want {
    std::int32_t level, creatureId, owner;
  };
  const std::vector<std::vector<Want>> want = {{{5, 13, 0}, {3, 14, 0}},
                                               {{1, 15, 0}},
                                               {{10, 16, 4}, {2, 18, 4}},
                                               {{7, 19, 6}},
                                               {{1, 20, 0}},
                                               {}};
  ASSERT_EQ(o.level.heroBands.size(), want.size());
  for (std::size_t b = 0; b < want.size(); ++b) {
    const auto& members = o.level.heroBands[b].members;
    ASSERT_EQ(members.size(), want[b].size()) << "band " << b;
    for (std::size_t m = 0; m < members.size(); ++m) {
      SCOPED_TRACE(::testing::Message() << "band " << b << " member " << m);
      EXPECT_EQ(members[m].level, want[b][m].level);
      EXPECT_EQ(members[m].creatureId, want[b][m].creatureId);
      EXPECT_EQ(members[m].memberCode, 45);
      EXPECT_EQ(members[m].owner, want[b][m].owner);
    }
  }
}

TEST(HeroSections, DroppedMembersAndTheSharedLoopBudget) {
  // One band counts one step for itself and one for each member with a valid level token;
  // the AREAS, HERO_GATES and TRIGGERS searches read two lines each plus the lines skipped.
  // With 992 lines skipped the budget of 1000 holds the band's two steps exactly.
  std::string filler;
  for (int i = 0; i < 992; ++i) filler += "junk\n";
  const struct {
    std::string_view members;
    std::string_view console;
    std::size_t kept;
  } cases[] = {
      {"KNIGHT L0\nDWARF L1\n", "", 1},  // the L0 member costs no step
      {"NOBODY L1\nDWARF L1\n", "Apparent endless loop while loading triggers\n", 1},
      {"KNIGHT L1\nDWARF L1\n", "Apparent endless loop while loading triggers\n", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.members);
    const Outcome o = readMap(heroMap(kPlain, "1\nBand 2 PH\n" + std::string(c.members) +
                                                  "AREAS\n0\n" + filler + "HERO_GATES\n0\n"));
    EXPECT_EQ(o.console, c.console);
    EXPECT_EQ(o.level.isValid, c.console.empty());
    ASSERT_EQ(o.level.heroBands.size(), 1u);
    EXPECT_EQ(o.level.heroBands[0].members.size(), c.kept);
    EXPECT_EQ(o.level.heroBands[0].members.back().creatureId, 14);
  }
}

TEST(HeroSections, BandOfMoreThanSixteenKeepsTheFirstSixteen) {
  std::string members;
  for (int i = 0; i < 16; ++i) {
    members += (i % 2 == 0 ? "IMP L" : "TROLL L") + std::to_string(i % 10 + 1) + "\n";
  }
  const Outcome o = readMap(heroMap(kPlain, "3\nBig 18 P1\n" + members +
                                                "GIANT L3\nGIANT L4\n"
                                                "Next 1 P1\nKNIGHT L2\n"
                                                "Full 16 PH\n" +
                                                members + std::string(kNoAreasOrGates)));
  EXPECT_EQ(o.console, "Hero band Big (band 1) declares 18 members; only the first 16 are kept\n");
  ASSERT_TRUE(o.level.isValid);
  ASSERT_EQ(o.level.heroBands.size(), 3u);
  for (std::size_t b : {0u, 2u}) {
    const auto& kept = o.level.heroBands[b].members;
    ASSERT_EQ(kept.size(), 16u);
    for (std::size_t m = 0; m < kept.size(); ++m) {
      SCOPED_TRACE(m);
      EXPECT_EQ(kept[m].creatureId, m % 2 == 0 ? 1 : 10);
      EXPECT_EQ(kept[m].level, static_cast<std::int32_t>(m % 10 + 1));
      EXPECT_EQ(kept[m].owner, b == 0 ? 3 : 0);
    }
  }
  ASSERT_EQ(o.level.heroBands[1].members.size(), 1u);
  EXPECT_EQ(o.level.heroBands[1].members[0].creatureId, 13);
  EXPECT_EQ(o.level.heroBands[1].members[0].level, 2);
}

TEST(HeroSections, AreasAreStoredInOrderAndNumberedFromOne) {
  const Outcome o =
      readMap(heroMap(kPlain, areasAndGates("3\n1 0 0 1 1\n2 2 3 4 5\n3 -1 9 100 0\n", "0\n")));
  ASSERT_TRUE(acceptedQuietly(o));
  ASSERT_EQ(o.level.areas.size(), 3u);
  const ts::EntranceArea& a = o.level.areas[1];
  EXPECT_EQ(a.left, 2);
  EXPECT_EQ(a.top, 3);
  EXPECT_EQ(a.right, 4);
  EXPECT_EQ(a.bottom, 5);
  EXPECT_EQ(o.level.areas[2].left, -1);
  EXPECT_EQ(o.level.areas[2].right, 100);
}

TEST(HeroSections, IdsOutOfOrder) {
  const Rows rows = {"11......", "........", "........", "........", "........", "........"};
  const AreasAndGatesCase cases[] = {
      {"area 3", rows, "3\n1 0 3 1 4\n2 2 3 3 4\n4 4 4 5 5\n", "0\n",
       "ID out of order in Hero Entance # 3 ==> 4\n"},
      {"area 1", rows, "1\n0 0 3 1 4\n", "0\n", "ID out of order in Hero Entance # 1 ==> 0\n"},
      {"gate 1", rows, "0\n", "1\n2 0 0\n", "ID out of order in Hero Gate# 1 ==> 2\n"},
      {"gate 2", rows, "0\n", "2\n1 0 0\n1 1 0\n", "ID out of order in Hero Gate# 2 ==> 1\n"},
  };
  for (const auto& c : cases) expectConsole(c);
}

TEST(HeroSections, GateExtentAndPropertiesComeFromTheGrid) {
  const Rows block3 = {"........", "..333...", "..333...", "..333...", "........", "........"};
  const Rows block4 = {"........", ".44.....", ".44.....", ".44.....", "........", "........"};
  const Rows lShape = {"........", ".1......", ".1......", ".111....", "........", "........"};
  const Rows singles = {"2.....77", "........", "8.......", "........", "..555.99", "T......6"};
  const struct {
    std::string_view what;
    const Rows& rows;
    std::int32_t x, y;
    ts::GateExtent extent;
    bool autoTrigger;
    std::int32_t value, variant, style;
  } cases[] = {
      {"HERO_GATE_3 centre", block3, 3, 2, {1, 0, 5, 4}, true, 12, 0, 33},
      {"HERO_GATE_3 corner", block3, 2, 1, {1, 0, 5, 4}, true, 12, 0, 33},
      {"HERO_GATE_4 2x3", block4, 2, 3, {1, 1, 2, 3}, true, 6, 0, 33},
      {"HERO_GATE_4 top", block4, 1, 1, {1, 1, 2, 3}, true, 6, 0, 33},
      {"L corner", lShape, 1, 3, {1, 1, 3, 3}, false, 0, 0, 33},
      {"L foot end", lShape, 3, 3, {1, 3, 3, 3}, false, 0, 0, 33},
      {"L top end", lShape, 1, 1, {1, 1, 1, 3}, false, 0, 0, 33},
      {"HERO_GATE_2", singles, 0, 0, {0, 0, 0, 0}, false, 0, 0, 33},
      {"HERO_GATE_5", singles, 3, 4, {2, 4, 4, 4}, true, 3, 0, 33},
      {"HERO_GATE_6 at the corner", singles, 7, 5, {7, 5, 7, 5}, true, 1, 0, 33},
      {"HERO_GATE_7", singles, 7, 0, {6, 0, 7, 0}, false, 0, 0, 37},
      {"HERO_GATE_8", singles, 0, 2, {0, 2, 0, 2}, false, 0, 2, 37},
      {"HERO_GATE_9", singles, 6, 4, {6, 4, 7, 4}, false, 0, 4, 37},
      {"HERO_GATE_10", singles, 0, 5, {0, 5, 0, 5}, false, 0, 6, 37},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string gates = "1\n1 " + std::to_string(c.x) + " " + std::to_string(c.y) + "\n";
    const Outcome o = readMap(heroMap(c.rows, areasAndGates("0\n", gates)));
    ASSERT_TRUE(acceptedQuietly(o));
    ASSERT_EQ(o.level.heroGates.size(), 1u);
    const ts::HeroGate& g = o.level.heroGates[0];
    EXPECT_EQ(g.x, c.x);
    EXPECT_EQ(g.y, c.y);
    EXPECT_EQ(g.extent.left, c.extent.left);
    EXPECT_EQ(g.extent.top, c.extent.top);
    EXPECT_EQ(g.extent.right, c.extent.right);
    EXPECT_EQ(g.extent.bottom, c.extent.bottom);
    EXPECT_EQ(g.autoTrigger, c.autoTrigger);
    EXPECT_EQ(g.autoTriggerValue, c.value);
    EXPECT_EQ(g.gateVariant, c.variant);
    EXPECT_EQ(g.gateStyle, c.style);
  }
}

TEST(HeroSections, GatesConflictWhenTheyShareASquare) {
  const Rows cornerPair = {"........", "........", "..3.....", "........", "....3...", "........"};
  const Rows sidePair = {"........", "........", "..3..3..", "........", "........", "........"};
  const Rows diagonalPair = {"........", "..3.....", "........",
                             "........", ".....3..", "........"};
  const Rows lonely = {"........", ".1......", "........", "........", "........", "........"};
  const AreasAndGatesCase cases[] = {
      {"shared corner square", cornerPair, "0\n", "2\n1 2 2\n2 4 4\n",
       "Gate 2 conflicts with Gate 1\n"},
      {"bordering sides", sidePair, "0\n", "2\n1 2 2\n2 5 2\n", ""},
      {"bordering diagonally", diagonalPair, "0\n", "2\n1 2 1\n2 5 4\n", ""},
      {"inside an area", lonely, "1\n1 0 0 1 1\n", "1\n1 1 1\n",
       "Gate 1 conflicts with Entrance Area 1\n"},
      {"second area", lonely, "2\n1 5 5 6 5\n2 1 1 1 1\n", "1\n1 1 1\n",
       "Gate 1 conflicts with Entrance Area 2\n"},
      {"next to an area", lonely, "1\n1 0 0 0 0\n", "1\n1 1 1\n", ""},
      {"area before gate", cornerPair, "1\n1 5 5 5 5\n", "2\n1 2 2\n2 4 4\n",
       "Gate 2 conflicts with Entrance Area 1\n"},
  };
  for (const auto& c : cases) expectConsole(c);
}

TEST(HeroSections, GateSquareWithoutGateTerrain) {
  const Rows rows = {"1x......", "........", "........", "........", "........", "........"};
  const AreasAndGatesCase cases[] = {
      {"ROCK", rows, "0\n", "1\n1 2 0\n",
       "Mapping error uncovered with at gate square (not a gate square)==> .\n"
       "no corresponding Gate Terrain on Map Gate # 1\n"},
      {"not in the legend", rows, "0\n", "2\n1 0 0\n2 1 0\n",
       "Mapping error uncovered with at gate square (not in map)==>>x\n"
       "no corresponding Gate Terrain on Map Gate # 2\n"},
      {"right of the grid", rows, "0\n", "1\n1 8 0\n",
       "no corresponding Gate Terrain on Map Gate # 1\n"},
      {"below the grid", rows, "0\n", "1\n1 0 6\n",
       "no corresponding Gate Terrain on Map Gate # 1\n"},
      {"left of the grid", rows, "0\n", "1\n1 -1 0\n",
       "no corresponding Gate Terrain on Map Gate # 1\n"},
      {"above the grid", rows, "0\n", "1\n1 0 -1\n",
       "no corresponding Gate Terrain on Map Gate # 1\n"},
  };
  for (const auto& c : cases) expectConsole(c);
}

}  // namespace
