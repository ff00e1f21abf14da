// SCENARIO_DESCRIPTION: statements that change a keeper's creature pool and availability
// tables, the operands they report and skip, the word budget, and the EOF word.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/compile.h"
#include "model/level_description.h"
#include "model/vocabulary.h"
#include "testing/read_map.h"

namespace {

using ts::testing::acceptedQuietly;
using ts::testing::Outcome;
using ts::testing::readMap;

// A two-keeper level up to and including its (empty) TRIGGERS section.
std::string upToTriggers() {
  std::string t = "Lv\nPlayers 2\nSize 8 x 6\n";
  for (int r = 0; r < 6; ++r) t += "........\n";
  t += "MAP_CODES\n1\n. ROCK\nTHINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n"
       "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 1\nKPR2_HEART_CENTER 6 4\nHERO_BANDS\n0\n"
       "AREAS\n0\nHERO_GATES\n0\nTRIGGERS\n0\n";
  return t;
}

std::string upToScenario() { return upToTriggers() + "SCENARIO_DESCRIPTION\n"; }

Outcome readScenario(std::string_view description) {
  return readMap(upToScenario() + std::string(description));
}

std::string words(std::string_view word, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out.append(word).append(i % 10 == 9 ? "\n" : " ");
  return out;
}

using Tables = std::vector<ts::KeeperTable> ts::LevelDescription::*;

constexpr Tables kAllTables[] = {
    &ts::LevelDescription::creatureCounts, &ts::LevelDescription::trapStates,
    &ts::LevelDescription::doorStates, &ts::LevelDescription::spellStates,
    &ts::LevelDescription::roomStates};

// The tables of a level whose description holds nothing but EOF.
const ts::LevelDescription& baseline() {
  static const Outcome base = readScenario("EOF\n");
  return base.level;
}

void expectTablesUnchanged(const ts::LevelDescription& level) {
  for (Tables t : kAllTables) EXPECT_EQ(level.*t, baseline().*t);
}

// ---------------------------------------------------------------------------------------------

TEST(Scenario, StatementsChangeOneEntryOfOneKeeper) {
  ASSERT_TRUE(baseline().isValid);
  const struct {
    std::string_view statements;
    Tables table;
    std::size_t keeper;
    std::int32_t id, value;
  } cases[] = {
      {"NO P1 TREASURY", &ts::LevelDescription::roomStates, 0, 1, 1},
      {"START_WITH P1 PORTAL", &ts::LevelDescription::roomStates, 0, 3, 3},
      {"NO P2 MANA_VAULT", &ts::LevelDescription::roomStates, 1, 23, 1},
      {"START_WITH P1 CASINO NO P1 CASINO", &ts::LevelDescription::roomStates, 0, 15, 1},
      {"MUST_RESEARCH P2 CREATE_IMP_SPELL", &ts::LevelDescription::spellStates, 1, 4, 2},
      {"START_WITH P1 SUMMON_HORNY_SPELL", &ts::LevelDescription::spellStates, 0, 5, 3},
      {"MUST_RESEARCH P1 TR_BIG_SENTRY", &ts::LevelDescription::trapStates, 0, 14, 2},
      {"NO P2 TR_GAS", &ts::LevelDescription::trapStates, 1, 1, 1},
      {"START_WITH P2 GRATED_DOOR", &ts::LevelDescription::doorStates, 1, 8, 3},
      {"NO P1 WOODEN_DOOR", &ts::LevelDescription::doorStates, 0, 1, 1},
      {"CREATURE_COUNT P1 IMP 5", &ts::LevelDescription::creatureCounts, 0, 1, 5},
      {"CREATURE_COUNT P1 TROLL 0", &ts::LevelDescription::creatureCounts, 0, 10, 0},
      {"CREATURE_COUNT P2 TROLL 7\nCREATURE_COUNT P2 TROLL 9",
       &ts::LevelDescription::creatureCounts, 1, 10, 9},
      {"CREATURE_COUNT P2 ROGUE 0x10", &ts::LevelDescription::creatureCounts, 1, 24, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statements);
    const Outcome o = readScenario(std::string(c.statements) + "\nEOF\n");
    ASSERT_TRUE(acceptedQuietly(o));
    for (Tables t : kAllTables) {
      std::vector<ts::KeeperTable> want = baseline().*t;
      if (t == c.table) want[c.keeper][c.id] = c.value;
      EXPECT_EQ(o.level.*t, want);
    }
  }
}

TEST(Scenario, BadOperandsAreReportedAndSkipped) {
  const struct {
    std::string_view statement;
    std::string_view console;
  } cases[] = {
      {"CREATURE_COUNT PH IMP 5", "Scenario Description:Invalid Player: PH\n"},
      {"NO PN CASINO", "Scenario Description:Invalid Player: PN\n"},
      {"START_WITH p1 PORTAL", "Scenario Description:Invalid Player: p1\n"},
      {"CREATURE_COUNT P3 IMP 5", "Scenario Description:Invalid Player: P3\n"},
      {"START_WITH P4 PORTAL", "Scenario Description:Invalid Player: P4\n"},
      {"CREATURE_COUNT P9 NOBODY 5", "Scenario Description:Invalid Creature Name: NOBODY\n"},
      {"CREATURE_COUNT P1 imp 5", "Scenario Description:Invalid Creature Name: imp\n"},
      {"CREATURE_COUNT P1 EOF 5", "Scenario Description:Invalid Creature Name: EOF\n"},
      {"START_WITH P1 DRAGON", "invalid object in description: DRAGON\n"},
      {"MUST_RESEARCH P2 HEART_SPELL", "invalid object in description: HEART_SPELL\n"},
      {"NO P1 EOF", "invalid object in description: EOF\n"},
      {"START_WITH P9 DRAGON", "Scenario Description:Invalid Player: P9\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statement);
    const Outcome o = readScenario(std::string(c.statement) + "\nEOF\n");
    EXPECT_EQ(o.console, c.console);
    EXPECT_TRUE(o.level.isValid);
    expectTablesUnchanged(o.level);
  }
}

TEST(Scenario, ReadingGoesOnAfterAReportedStatement) {
  const Outcome o = readScenario(
      "START_WITH P3 PORTAL START_WITH P1 PORTAL\nCREATURE_COUNT PH IMP 5 "
      "CREATURE_COUNT P2 IMP 6\nEOF\n");
  EXPECT_EQ(o.console,
            "Scenario Description:Invalid Player: P3\n"
            "Scenario Description:Invalid Player: PH\n");
  ASSERT_TRUE(o.level.isValid);
  EXPECT_EQ(o.level.roomStates[0].at(3), 3);
  EXPECT_EQ(o.level.roomStates[1].count(3), 0u);
  EXPECT_EQ(o.level.creatureCounts[1].at(1), 6);
  EXPECT_EQ(o.level.creatureCounts[0].count(1), 0u);
}

TEST(Scenario, NothingAfterEofIsRead) {
  const std::string_view descriptions[] = {
      "EOF",
      "EOF\n)( garbage CREATURE_COUNT P1 IMP 99\nSCENARIO_DESCRIPTION\n",
      "this is a comment EOF CREATURE_COUNT P1 IMP 99",
  };
  for (std::string_view d : descriptions) {
    SCOPED_TRACE(d);
    const Outcome o = readScenario(d);
    EXPECT_TRUE(acceptedQuietly(o));
    expectTablesUnchanged(o.level);
  }
}

TEST(Scenario, TextEndingBeforeEofIsRejected) {
  const struct {
    std::string text;
    std::string_view console;
  } cases[] = {
      {upToScenario() + "NO P1 CASINO\n", "error near SCENARIO_DESCRIPTION section \n"},
      {upToScenario() + "EOF_\n", "error near SCENARIO_DESCRIPTION section \n"},
      {upToScenario(), "error near SCENARIO_DESCRIPTION section \n"},
      // Operands cut short keep what the statement before read: nothing else is reported.
      {upToScenario() + "START_WITH P1 PORTAL\nNO P1",
       "error near SCENARIO_DESCRIPTION section \n"},
      {upToScenario() + "CREATURE_COUNT P1 TROLL 5\nCREATURE_COUNT P1",
       "error near SCENARIO_DESCRIPTION section \n"},
      {upToTriggers(), "error before SCENARIO_DESCRIPTION section \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(c.text.size() - 30));
    const ts::CompileResult r = ts::compileMap(c.text);
    EXPECT_EQ(r.console, c.console);
    EXPECT_FALSE(r.valid);
    EXPECT_TRUE(r.files.empty());
  }
}

TEST(Scenario, AtMostOneThousandWordsEofIncluded) {
  const struct {
    std::string description;
    std::string_view console;
  } cases[] = {
      {words("comment", 999) + "EOF\n", ""},
      {words("comment", 1000) + "EOF\n",
       "Apparent endless loop while loading scenario description\n"},
      // Operands are not statement words: 998 comments and one statement fit with EOF.
      {words("comment", 998) + "CREATURE_COUNT P1 IMP 5\nEOF\n", ""},
      {words("comment", 999) + "CREATURE_COUNT P1 IMP 5\nEOF\n",
       "Apparent endless loop while loading scenario description\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description.substr(c.description.size() - 30));
    const Outcome o = readScenario(c.description);
    EXPECT_EQ(o.console, c.console);
    EXPECT_EQ(o.level.isValid, c.console.empty());
  }
}

}  // namespace
