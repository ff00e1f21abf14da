// TRIGGERS: the three trigger conditions, the actions and the records each one yields, and the
// messages that reject a trigger or an action.
#include <gtest/gtest.h>

#include <set>
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
using Actions = std::vector<ts::TriggerAction>;

constexpr std::string_view kScenario = "SCENARIO_DESCRIPTION\nEOF\n";

// A two-keeper level over `rows`, with the legend `. ROCK`, `1 HERO_GATE_1`, `3 HERO_GATE_3`,
// the given AREAS and HERO_GATES bodies, and `triggers` (the text after the TRIGGERS line).
std::string levelText(const Rows& rows, std::string_view areas, std::string_view gates,
                      std::string_view triggers) {
  std::string t = ts::testing::headerAndRows(2, rows);
  t += "MAP_CODES\n3\n. ROCK\n1 HERO_GATE_1\n3 HERO_GATE_3\n"
       "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n"
       "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 4\nKPR2_HEART_CENTER 6 4\nHERO_BANDS\n0\n";
  t += "AREAS\n" + std::string(areas) + "HERO_GATES\n" + std::string(gates) + "TRIGGERS\n";
  t += triggers;
  return t;
}

// Three single-square gates on row 1 (at columns 1, 3 and 5) and three entrance areas below.
const Rows kGateRows = {"........", ".1.1.1..", "........", "........", "........", "........"};
constexpr std::string_view kThreeAreas = "3\n1 0 3 1 4\n2 3 3 4 4\n3 6 3 7 4\n";

std::string gatesText(int gates) {
  std::string t = std::to_string(gates) + "\n";
  for (int i = 1; i <= gates; ++i) {
    t += std::to_string(i) + " " + std::to_string(2 * i - 1) + " 1\n";
  }
  return t;
}

// The level with three areas, `gates` gates and the given TRIGGERS body, ended by the
// scenario description.
std::string withTriggers(std::string_view triggers, int gates = 2) {
  return levelText(kGateRows, kThreeAreas, gatesText(gates), triggers) + std::string(kScenario);
}

// ---------------------------------------------------------------------------------------------

TEST(Triggers, ConditionsSetTheirFields) {
  const struct {
    std::string_view text;
    std::int32_t kind, param3, param4, value;
  } cases[] = {
      {"TRIGGER_TIME 600", 34, 0, 0, 600},          {"TRIGGER_TIME -5", 34, 0, 0, -5},
      {"TRIGGER_SLAP_COUNT_EQUALS 7", 71, 0, 1, 7}, {"TRIGGER_CONTROL_AREA P1 1", 40, 3, 0, 0},
      {"TRIGGER_CONTROL_AREA P4 3", 40, 6, 0, 2},   {"TRIGGER_CONTROL_AREA PN 2", 40, 2, 0, 1},
      {"TRIGGER_CONTROL_AREA PH 1", 40, 1, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Outcome o = readMap(withTriggers("1\n" + std::string(c.text) + "\n0\n"));
    ASSERT_TRUE(acceptedQuietly(o));
    ASSERT_EQ(o.level.triggers.size(), 1u);
    const ts::Trigger& t = o.level.triggers[0];
    EXPECT_EQ(t.kind, c.kind);
    EXPECT_EQ(t.param1, 1);
    EXPECT_EQ(t.param2, 5);
    EXPECT_EQ(t.param3, c.param3);
    EXPECT_EQ(t.param4, c.param4);
    EXPECT_EQ(t.param5, 0);
    EXPECT_EQ(t.value, c.value);
    EXPECT_TRUE(t.actions.empty());
    EXPECT_FALSE(t.releasesAtGate);
    EXPECT_TRUE(t.releaseGates.empty());
  }
}

TEST(Triggers, TriggersAndActionsMayBeLaidOutFreely) {
  const Outcome o = readMap(
      withTriggers("3\nTRIGGER_TIME 5\n0\n"
                   "TRIGGER_SLAP_COUNT_EQUALS 2 1 ACTION_ADD_ROOM P1 TEMPLE TRIGGER_TIME\n9\n0\n"));
  ASSERT_TRUE(acceptedQuietly(o));
  ASSERT_EQ(o.level.triggers.size(), 3u);
  EXPECT_EQ(o.level.triggers[0].value, 5);
  EXPECT_TRUE(o.level.triggers[0].actions.empty());
  EXPECT_EQ(o.level.triggers[1].kind, 71);
  EXPECT_EQ(o.level.triggers[1].actions, (Actions{{6, 3, 1, 13, 1, 0}, {9, 1, 13, 1, 0, 0}}));
  EXPECT_EQ(o.level.triggers[2].value, 9);
}

TEST(Triggers, HeroReleaseAtGatesAndAreas) {
  const Outcome o =
      readMap(withTriggers("2\nTRIGGER_TIME 10\n5\n"
                           "ACTION_HERO_RELEASE 1 A 1\n"
                           "ACTION_HERO_RELEASE 3 G 2\n"
                           "ACTION_HERO_RELEASE 2 G 2\n"
                           "ACTION_HERO_RELEASE 1 G1\n"
                           "ACTION_HERO_RELEASE 4 A3\n"
                           "TRIGGER_TIME 20\n1\nACTION_HERO_RELEASE 1 A 2\n"));
  ASSERT_TRUE(acceptedQuietly(o));
  ASSERT_EQ(o.level.triggers.size(), 2u);
  const ts::Trigger& first = o.level.triggers[0];
  EXPECT_EQ(first.actions, (Actions{{14, 0, 0, 0, 0, 3},
                                    {14, 2, 0, 0, 0, 2},
                                    {14, 1, 0, 0, 0, 2},
                                    {14, 0, 0, 0, 0, 1},
                                    {14, 3, 0, 0, 0, 5}}));
  EXPECT_TRUE(first.releasesAtGate);
  EXPECT_EQ(first.releaseGates, (std::set<std::int32_t>{0, 1}));
  const ts::Trigger& second = o.level.triggers[1];
  EXPECT_EQ(second.actions, (Actions{{14, 0, 0, 0, 0, 4}}));
  EXPECT_FALSE(second.releasesAtGate);
  EXPECT_TRUE(second.releaseGates.empty());
}

TEST(Triggers, AreaReleaseCountsAfterTheGates) {
  const Outcome o = readMap(withTriggers("1\nTRIGGER_TIME 1\n1\nACTION_HERO_RELEASE 2 A 1\n", 3));
  ASSERT_TRUE(o.level.isValid) << o.console;
  EXPECT_EQ(o.level.triggers[0].actions, (Actions{{14, 1, 0, 0, 0, 4}}));
}

TEST(Triggers, AddActionsGiveAGrantAndAnAvailability) {
  const struct {
    std::string_view action;
    Actions records;
  } cases[] = {
      {"ACTION_ADD_ROOM P2 PORTAL", {{6, 4, 1, 3, 1, 0}, {9, 1, 3, 1, 0, 0}}},
      {"ACTION_ADD_ROOM P1 MANA_VAULT", {{6, 3, 1, 23, 1, 0}, {9, 1, 23, 1, 0, 0}}},
      {"ACTION_ADD_DOOR PH GRATED_DOOR", {{6, 1, 3, 8, 1, 0}, {9, 3, 8, 1, 0, 0}}},
      {"ACTION_ADD_TRAP PN TR_BIG_SENTRY", {{6, 2, 4, 14, 1, 0}, {9, 4, 14, 1, 0, 0}}},
      {"ACTION_ADD_SPELL P4 SIGHT_OF_EVIL_SPELL", {{6, 6, 5, 1, 1, 0}, {9, 5, 1, 1, 0, 0}}},
      {"ACTION_ADD_SPELL P3 SUMMON_HORNY_SPELL", {{6, 5, 5, 5, 1, 0}, {9, 5, 5, 1, 0, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action);
    const Outcome o =
        readMap(withTriggers("1\nTRIGGER_TIME 1\n1\n" + std::string(c.action) + "\n"));
    ASSERT_TRUE(acceptedQuietly(o));
    ASSERT_EQ(o.level.triggers.size(), 1u);
    EXPECT_EQ(o.level.triggers[0].actions, c.records);
  }
}

TEST(Triggers, DestroyGateCarriesTheGateCorner) {
  const Outcome o =
      readMap(withTriggers("1\nTRIGGER_TIME 1\n2\nACTION_DESTROY_HERO_GATE 3\n"
                           "ACTION_DESTROY_HERO_GATE 1\n",
                           3));
  ASSERT_TRUE(acceptedQuietly(o));
  // Gate 3 is the single square (5, 1): corner 4, 0. Gate 1 is (1, 1): corner 0, 0.
  EXPECT_EQ(
      o.level.triggers[0].actions,
      (Actions{
          {32, 0, 0, 0, 0, 4}, {7, 2, 10, 0, 0, 1}, {32, 0, 0, 0, 0, 0}, {7, 0, 10, 0, 0, 1}}));
}

TEST(Triggers, DestroyGatePacksRightAndBottomLessOne) {
  // A lone HERO_GATE_3 square at (11, 21) widens to the extent 10, 20, 12, 22.
  Rows rows(24, std::string(16, '.'));
  rows[21][11] = '3';
  const Outcome o = readMap(
      levelText(rows, "0\n", "1\n1 11 21\n", "1\nTRIGGER_TIME 1\n1\nACTION_DESTROY_HERO_GATE 1\n") +
      std::string(kScenario));
  ASSERT_TRUE(acceptedQuietly(o));
  ASSERT_EQ(o.level.heroGates.size(), 1u);
  ASSERT_EQ(o.level.heroGates[0].extent.right, 12);
  ASSERT_EQ(o.level.heroGates[0].extent.bottom, 22);
  EXPECT_EQ(o.level.triggers[0].actions,
            (Actions{{32, 0, 0, 0, 0, 11 + (21 << 16)}, {7, 0, 10, 0, 0, 1}}));
}

TEST(Triggers, RejectedTriggersAndActions) {
  const struct {
    std::string_view text;
    int gates;
    std::string_view console;
  } cases[] = {
      {"TRIGGER_CONTROL_AREA P1 0\n0\n", 2, "invalid area in control area trigger: 0\n"},
      {"TRIGGER_CONTROL_AREA P1 4\n0\n", 2, "invalid area in control area trigger: 4\n"},
      {"TRIGGER_CONTROL_AREA P2 -2\n0\n", 2, "invalid area in control area trigger: -2\n"},
      {"TRIGGER_CONTROL_AREA P5 1\n0\n", 2, "invalid player in control area trigger: P5\n"},
      {"TRIGGER_CONTROL_AREA p1 9\n0\n", 2, "invalid player in control area trigger: p1\n"},
      {"TRIGGER_NEVER 5\n0\n", 2, "Invalid trigger: TRIGGER_NEVER\n"},
      {"trigger_time 5\n0\n", 2, "Invalid trigger: trigger_time\n"},
      {"TRIGGER_TIME 1\n1\nACTION_HERO_RELEASE 1 X 1\n", 2,
       "Invalid switch in RELEASE action ==> X\n"},
      {"TRIGGER_TIME 1\n1\nACTION_HERO_RELEASE 1 g 1\n", 2,
       "Invalid switch in RELEASE action ==> g\n"},
      {"TRIGGER_TIME 1\n1\nACTION_ADD_ROOM P1 DUNGEON\n", 2, "Invalid room in action: DUNGEON\n"},
      {"TRIGGER_TIME 1\n1\nACTION_ADD_ROOM P1 TR_GAS\n", 2, "Invalid room in action: TR_GAS\n"},
      {"TRIGGER_TIME 1\n1\nACTION_ADD_DOOR P1 OAK_DOOR\n", 2, "Invalid door in action: OAK_DOOR\n"},
      {"TRIGGER_TIME 1\n1\nACTION_ADD_TRAP P1 TR_NET\n", 2, "Invalid trap in action: TR_NET\n"},
      {"TRIGGER_TIME 1\n1\nACTION_ADD_SPELL P9 FIREBALL_SPELL\n", 2,
       "Invalid spell in action: FIREBALL_SPELL\n"},
      {"TRIGGER_TIME 1\n1\nACTION_ADD_ROOM P7 TEMPLE\n", 2, "Invalid player in description\n"},
      {"TRIGGER_TIME 1\n1\nACTION_ADD_TRAP pn TR_GAS\n", 2, "Invalid player in description\n"},
      {"TRIGGER_TIME 1\n1\nACTION_DESTROY_HERO_GATE 0\n", 2, "Invalid gate id in action: -1\n"},
      {"TRIGGER_TIME 1\n1\nACTION_DESTROY_HERO_GATE 3\n", 2, "Invalid gate id in action: 2\n"},
      {"TRIGGER_TIME 1\n1\nACTION_DESTROY_HERO_GATE 4\n", 3, "Invalid gate id in action: 3\n"},
      {"TRIGGER_TIME 1\n2\nACTION_ADD_ROOM P1 TEMPLE\nACTION_DANCE 1\n", 2,
       "invalid action: ACTION_DANCE\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Outcome o = readMap(withTriggers("1\n" + std::string(c.text), c.gates));
    EXPECT_EQ(o.console, c.console);
    EXPECT_FALSE(o.level.isValid);
    EXPECT_TRUE(o.level.triggers.empty());
  }
}

// A text that ends inside the section or inside an action: the trigger being read keeps the
// actions read before the end, an action's operands keep what the previous action read, and a
// keyword left in the buffer that is no action is reported as one.
TEST(Triggers, TextEndingInsideTheSectionOrAnAction) {
  const struct {
    std::string_view triggers;
    std::string_view console;
    std::size_t kept;     // triggers
    std::size_t actions;  // of the first trigger kept
  } cases[] = {
      {"2\nTRIGGER_TIME 1\n0\n", "error in TRIGGERS section \n", 1, 0},
      {"2000000000\nTRIGGER_TIME 5\n0\n", "error in TRIGGERS section \n", 1, 0},
      // The action loop stops with the text; the trigger keeps the one action read.
      {"1\nTRIGGER_TIME 5\n2000000000\nACTION_ADD_ROOM P1 TEMPLE\n",
       "error before SCENARIO_DESCRIPTION section \n", 1, 2},
      {"1\nTRIGGER_TIME 600\n2\n", "invalid action: TRIGGER_TIME\n", 0, 0},
      {"1\nTRIGGER_TIME 5\n2\nACTION_ADD_ROOM P1 TEMPLE\nACTION_ADD_ROOM P2",
       "error before SCENARIO_DESCRIPTION section \n", 1, 4},
      {"1\nTRIGGER_TIME 5\n2\nACTION_HERO_RELEASE 1 G 1\nACTION_HERO_RELEASE 2",
       "error before SCENARIO_DESCRIPTION section \n", 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.triggers);
    const Outcome o = readMap(levelText(kGateRows, kThreeAreas, gatesText(2), c.triggers));
    EXPECT_EQ(o.console, c.console);
    EXPECT_FALSE(o.level.isValid);
    ASSERT_EQ(o.level.triggers.size(), c.kept);
    if (c.kept > 0) {
      EXPECT_EQ(o.level.triggers[0].actions.size(), c.actions);
    }
  }
}

}  // namespace
