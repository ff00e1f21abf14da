// THINGS, CREATURES, DOORS and TRAPS entries, the HEARTS_AND_GOLD section with its heart
// check, and the per-keeper default tables installed once the hearts are accepted.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "model/level_description.h"
#include "model/vocabulary.h"
#include "testing/read_map.h"

namespace {

using ts::testing::acceptedQuietly;
using ts::testing::Outcome;
using ts::testing::readMap;

std::string repeatLine(std::string_view line, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out.append(line).append("\n");
  return out;
}

// Header and an 8 x 6 grid of one terrain; the legend ends on the word ROCK.
std::string head(int players) {
  return ts::testing::headerAndRows(players, std::vector<std::string>(6, "........")) +
         "MAP_CODES\n1\n. ROCK\n";
}

constexpr std::string_view kNoPlacements = "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n";
constexpr std::string_view kTwoHearts =
    "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 1\nKPR2_HEART_CENTER 6 4\nHERO_BANDS\n";
constexpr std::string_view kUpToScenario =
    "0\nAREAS\n0\nHERO_GATES\n0\nTRIGGERS\n0\nSCENARIO_DESCRIPTION\n";
constexpr std::string_view kTail =
    "0\nAREAS\n0\nHERO_GATES\n0\nTRIGGERS\n0\nSCENARIO_DESCRIPTION\nEOF\n";

// A two-keeper level with the given placement sections.
std::string withPlacements(std::string_view placements) {
  return head(2) + std::string(placements) + std::string(kTwoHearts) + std::string(kTail);
}

// A two-keeper level with the given HEARTS_AND_GOLD body (the text after the keyword line).
std::string withHearts(std::string_view hearts, int players = 2) {
  return head(players) + std::string(kNoPlacements) + "HEARTS_AND_GOLD\n" + std::string(hearts);
}

// The fields of each entry as a tuple, which a test compares and prints whole: owner, id, x and
// y, then a creature's level or a door's lock.
using Placed = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t>;
using PlacedCreature =
    std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t>;
using PlacedDoor = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, bool>;

Placed fields(const ts::ObjectEntry& e) { return {e.owner, e.objectId, e.x, e.y}; }
Placed fields(const ts::TrapEntry& e) { return {e.owner, e.trapId, e.x, e.y}; }
PlacedCreature fields(const ts::CreatureEntry& e) {
  return {e.owner, e.creatureId, e.x, e.y, e.level};
}
PlacedDoor fields(const ts::DoorEntry& e) { return {e.owner, e.doorId, e.x, e.y, e.locked}; }

template <typename Entry>
auto fieldsOf(const std::vector<Entry>& entries) {
  std::vector<decltype(fields(Entry{}))> out;
  for (const Entry& e : entries) out.push_back(fields(e));
  return out;
}

// The fields of the entries that `member` holds after a reading of the given placement sections,
// which the level must accept without a word.
template <typename Entry>
auto placedBy(std::string_view placements, std::vector<Entry> ts::LevelDescription::*member) {
  const Outcome o = readMap(withPlacements(placements));
  EXPECT_TRUE(acceptedQuietly(o)) << o.console;
  return fieldsOf(o.level.*member);
}

// ---------------------------------------------------------------------------------------------

TEST(Placements, EntryCountsOfZeroOrLessReadNothing) {
  const Outcome o =
      readMap(withPlacements("THINGS\n0\nCREATURES\n-3\nDOORS\n0\nTRAPS\n-1\nTR_GAS 1 1 P1\n"));
  EXPECT_TRUE(acceptedQuietly(o));
  EXPECT_TRUE(o.level.objects.empty());
  EXPECT_TRUE(o.level.creatures.empty());
  EXPECT_TRUE(o.level.doors.empty());
  EXPECT_TRUE(o.level.traps.empty());
}

TEST(Placements, ThingsKeepFileOrderAndDropUnknownNamesSilently) {
  EXPECT_EQ(placedBy("THINGS\n5\nTH_BARREL 10 12\nTH_NOTHING 3 4\nMI_REVEAL_MAP 20 5\n"
                     "th_barrel 7 7 TH_WOOD_DR_CRATE -1 0x10\n"
                     "CREATURES\n0\nDOORS\n0\nTRAPS\n0\n",
                     &ts::LevelDescription::objects),
            (std::vector<Placed>{{2, 59, 10, 12}, {2, 118, 20, 5}, {2, 52, -1, 16}}));
}

TEST(Placements, CreaturesWithBadTokensAreDroppedAndLaterEntriesRead) {
  EXPECT_EQ(placedBy("THINGS\n0\nCREATURES\n8\n"
                     "TROLL 1 1 L11 P1\n"
                     "IMP 2 2 L1 P5\n"
                     "TROLL 30 31 L4 P1\n"
                     "KNIGHT 3 3 L10 PH\n"
                     "NOBODY 4 4 L1 P1\n"
                     "DWARF 5 5\nL2 PN IMP 6 6 L1 p1\n"
                     "PRINCE_BALDER 0 0 L1 P4\n"
                     "DOORS\n0\nTRAPS\n0\n",
                     &ts::LevelDescription::creatures),
            (std::vector<PlacedCreature>{
                {3, 10, 30, 31, 4}, {1, 13, 3, 3, 10}, {2, 14, 5, 5, 2}, {6, 31, 0, 0, 1}}));
}

TEST(Placements, DoorsTakeOwnersAndOnlyUpperCaseLocks) {
  EXPECT_EQ(
      placedBy("THINGS\n0\nCREATURES\n0\nDOORS\n6\n"
               "WOODEN_DOOR 15 16 P2 L\n"
               "GRATED_DOOR 1 2 PH l\n"
               "STEEL_DOOR 3 4 P5 L\n"
               "OAK_DOOR 5 6 P1 L\n"
               "MAGIC_DOOR 7 8 PN L\n"
               "SECRET_DOOR 9 9 P3 U\n"
               "TRAPS\n0\n",
               &ts::LevelDescription::doors),
      (std::vector<PlacedDoor>{
          {4, 1, 15, 16, true}, {1, 8, 1, 2, false}, {2, 4, 7, 8, true}, {5, 5, 9, 9, false}}));
}

TEST(Placements, TrapsTakeOwnersAndDropUnknownTokens) {
  EXPECT_EQ(placedBy("THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n5\n"
                     "TR_BOULDER 17 18 P1\n"
                     "TR_BIG_SENTRY 1 1 PN\n"
                     "TR_NET 2 2 P1\n"
                     "TR_GAS 3 3 p1\n"
                     "TR_GAS 4 4 PH\n",
                     &ts::LevelDescription::traps),
            (std::vector<Placed>{{3, 2, 17, 18}, {2, 14, 1, 1}, {1, 1, 4, 4}}));
}

TEST(Placements, ThingsEntryCutShortFailsTheSection) {
  const struct {
    std::string_view things;
  } cases[] = {
      {"THINGS\n2\nTH_BARREL 1 2\nTH_BARREL 3"},
      {"THINGS\n1\nTH_BARREL x 2\nCREATURES\n0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.things);
    const Outcome o = readMap(head(2) + std::string(c.things));
    EXPECT_EQ(o.console, "error in THINGS section \n");
    EXPECT_FALSE(o.level.isValid);
  }
}

TEST(Placements, MissingSectionsGiveTheirMessages) {
  const struct {
    std::string_view sections;
    std::string_view message;
  } cases[] = {
      {"", "Apparent endless loop while loading things\n"},
      {"THINGS\n0\n", "error in CREATURES section \n"},
      {"THINGS\n0\nCREATURES\n0\n", "error near DOORS section \n"},
      {"THINGS\n0\nCREATURES\n0\nDOORS\n0\n", "error near TRAPS section \n"},
      {kNoPlacements, "error near HEARTS_AND_GOLD section \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sections);
    const Outcome o = readMap(head(2) + std::string(c.sections));
    EXPECT_EQ(o.console, c.message);
    EXPECT_FALSE(o.level.isValid);
  }
}

TEST(Placements, KeywordWithBlanksIsNotRecognised) {
  const std::string filler = repeatLine("junk", 1000);
  const struct {
    std::string placements;
    std::string_view message;
  } cases[] = {
      {"THINGS \n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n",
       "Apparent endless loop while loading things\n"},
      {"THINGS\n0\n CREATURES\n0\n" + filler + "CREATURES\n0\nDOORS\n0\nTRAPS\n0\n",
       "Apparent endless loop while loading creatures\n"},
      {"THINGS\n0\nCREATURES\n0\nDOORS\t\n0\n" + filler + "DOORS\n0\nTRAPS\n0\n",
       "Apparent endless loop while loading doors\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const Outcome o = readMap(withPlacements(c.placements));
    EXPECT_EQ(o.console, c.message);
    EXPECT_FALSE(o.level.isValid);
  }
}

TEST(Placements, SearchesShareOneBudgetOfLines) {
  // Each search reads the rest of the line it starts on, then the unrelated lines, then its
  // keyword line: 2 + n lines. The four searches together may read 1000 lines; the hearts
  // search has a budget of its own.
  const struct {
    int beforeThings, beforeCreatures, beforeDoors, beforeTraps, beforeHearts;
    std::string_view message;
  } cases[] = {
      {0, 0, 0, 992, 0, ""},
      {0, 0, 0, 993, 0, "Apparent endless loop while loading traps\n"},
      {250, 250, 250, 242, 0, ""},
      {250, 250, 250, 243, 0, "Apparent endless loop while loading traps\n"},
      {999, 0, 0, 0, 0, "Apparent endless loop while loading things\n"},
      {998, 0, 0, 0, 0, "Apparent endless loop while loading creatures\n"},
      {990, 6, 0, 0, 0, "Apparent endless loop while loading doors\n"},
      {0, 0, 0, 992, 998, ""},
      {0, 0, 0, 0, 999, "Apparent endless loop while loading hearts\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.beforeThings << " " << c.beforeCreatures << " " << c.beforeDoors << " "
                 << c.beforeTraps << " " << c.beforeHearts);
    const std::string text =
        head(2) + repeatLine("x", c.beforeThings) + "THINGS\n0\n" +
        repeatLine("x", c.beforeCreatures) + "CREATURES\n0\n" + repeatLine("x", c.beforeDoors) +
        "DOORS\n0\n" + repeatLine("x", c.beforeTraps) + "TRAPS\n0\n" +
        repeatLine("x", c.beforeHearts) + std::string(kTwoHearts) + std::string(kTail);
    const Outcome o = readMap(text);
    EXPECT_EQ(o.console, c.message);
    EXPECT_EQ(o.level.isValid, c.message.empty());
  }
}

// The loop stops with the text: no repeated records, and the test finishes at once.
TEST(Placements, HugeCountOnTruncatedTextStopsWithTheText) {
  const Outcome o = readMap(head(2) + "THINGS\n0\nCREATURES\n2000000000\nTROLL 1 1 L1 P1\n");
  EXPECT_EQ(o.console, "error near DOORS section \n");
  EXPECT_FALSE(o.level.isValid);
  EXPECT_EQ(o.level.creatures.size(), 1u);
}

// ---------------------------------------------------------------------------------------------

TEST(Hearts, CountMustMatchThePlayers) {
  const struct {
    std::string_view hearts;
    bool valid;
  } cases[] = {
      {"KPR1_HEART_CENTER 1 1\nHERO_BANDS\n", false},
      {"KPR1_HEART_CENTER 1 1\nKPR4_HEART_CENTER 2 2\nHERO_BANDS\n", true},
      {"KPR2_HEART_CENTER 5 5\nKPR2_HEART_CENTER 7 7\nHERO_BANDS\n", false},
      {"KPR1_HEART_CENTER 1 1\nKPR2_HEART_CENTER 2 2\nKPR3_HEART_CENTER 3 3\nHERO_BANDS\n", false},
      {"HERO_BANDS\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hearts);
    const Outcome o = readMap(withHearts(std::string(c.hearts) + std::string(kTail)));
    EXPECT_EQ(o.console, c.valid ? "" : " Heart Center info not correct!\n");
    EXPECT_EQ(o.level.isValid, c.valid);
  }
}

TEST(Hearts, CentresAndGoldAreStoredPerKeeper) {
  const Outcome o =
      readMap(withHearts("KPR2_HEART_CENTER 80 81\nGOLD1 100\nKPR1_HEART_CENTER 40 41\n"
                         "KPR2_HEART_CENTER 7 7\nGOLD1 250\nGOLD3 9\nHERO_BANDS\n" +
                         std::string(kTail)));
  ASSERT_TRUE(acceptedQuietly(o));
  EXPECT_EQ(o.level.heartCenterSet, (std::array<bool, 4>{true, true, false, false}));
  EXPECT_EQ(o.level.heartCenterX[0], 40);
  EXPECT_EQ(o.level.heartCenterY[0], 41);
  EXPECT_EQ(o.level.heartCenterX[1], 80);  // the repeated keyword keeps the first centre
  EXPECT_EQ(o.level.heartCenterY[1], 81);
  EXPECT_EQ(o.level.keeperGold, (std::array<std::int32_t, 4>{250, 0, 9, 0}));
}

TEST(Hearts, HeroBandsEndsTheSectionWhereverItStands) {
  const Outcome o = readMap(
      withHearts("GOLD2 7 KPR1_HEART_CENTER 3 4 KPR2_HEART_CENTER 5 6 HERO_BANDS 0\nGOLD1 99\n"
                 "AREAS\n0\nHERO_GATES\n0\nTRIGGERS\n0\nSCENARIO_DESCRIPTION\nEOF\n"));
  ASSERT_TRUE(acceptedQuietly(o));
  EXPECT_EQ(o.level.keeperGold, (std::array<std::int32_t, 4>{0, 7, 0, 0}));
  EXPECT_EQ(o.level.heartCenterX[1], 5);
}

TEST(Hearts, MoreThanAThousandWordsWarnsThenTheHeartsDecide) {
  const std::string hearts = "KPR1_HEART_CENTER 1 1\nKPR2_HEART_CENTER 2 2\n";
  const struct {
    std::string body;
    std::string_view console;
    bool valid;
  } cases[] = {
      // 1000 words, HERO_BANDS included: no warning.
      {hearts + repeatLine("w", 997) + "HERO_BANDS\n" + std::string(kTail), "", true},
      // 1001 words: the warning comes with HERO_BANDS itself, and reading goes on.
      {hearts + repeatLine("w", 998) + "HERO_BANDS\n" + std::string(kTail),
       "Did you forget the EOF line?\n", true},
      {"KPR1_HEART_CENTER 1 1\n" + repeatLine("w", 1100) + "HERO_BANDS\n" + std::string(kTail),
       "Did you forget the EOF line?\n Heart Center info not correct!\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.console);
    const Outcome o = readMap(withHearts(c.body));
    EXPECT_EQ(o.console, c.console);
    EXPECT_EQ(o.level.isValid, c.valid);
  }
}

// ---------------------------------------------------------------------------------------------

ts::KeeperTable tableOf(std::initializer_list<std::int32_t> keys, std::int32_t value) {
  ts::KeeperTable t;
  for (std::int32_t k : keys) t[k] = value;
  return t;
}

void expectDefaults(const ts::LevelDescription& level, int players) {
  const ts::KeeperTable creatures = tableOf({3, 4, 5, 6, 7, 10, 11, 12, 22, 23, 24}, 32);
  const ts::KeeperTable traps = tableOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 3);
  const ts::KeeperTable rooms = tableOf({1, 2, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, 3);
  const ts::KeeperTable doors = tableOf({1, 2, 3, 4, 5, 6}, 3);
  const ts::KeeperTable spells = tableOf({4, 2}, 3);
  const auto n = static_cast<std::size_t>(players);
  EXPECT_EQ(level.creatureCounts, std::vector<ts::KeeperTable>(n, creatures));
  EXPECT_EQ(level.trapStates, std::vector<ts::KeeperTable>(n, traps));
  EXPECT_EQ(level.roomStates, std::vector<ts::KeeperTable>(n, rooms));
  EXPECT_EQ(level.doorStates, std::vector<ts::KeeperTable>(n, doors));
  EXPECT_EQ(level.spellStates, std::vector<ts::KeeperTable>(n, spells));
}

TEST(Defaults, EveryKeeperGetsTheDefaultTables) {
  const Outcome o = readMap(withPlacements(kNoPlacements));
  ASSERT_TRUE(o.level.isValid);
  ASSERT_EQ(o.level.roomStates.size(), 2u);
  EXPECT_EQ(o.level.roomStates[0].size(), 15u);
  EXPECT_EQ(o.level.trapStates[0].size(), 11u);
  EXPECT_EQ(o.level.doorStates[0].size(), 6u);
  EXPECT_EQ(o.level.spellStates[0].size(), 2u);
  EXPECT_EQ(o.level.creatureCounts[0].size(), 11u);
  expectDefaults(o.level, 2);
}

TEST(Defaults, OldMapKeepsTheDefaultsForEachKeeper) {
  const Outcome o = readMap(withHearts(
      "KPR1_HEART_CENTER 1 1\nKPR2_HEART_CENTER 2 2\nKPR3_HEART_CENTER 3 3\nGOLD3 10\n", 3));
  EXPECT_EQ(o.console, "assuming no gate, trigger, and scenario info (old map) \n");
  EXPECT_TRUE(o.level.isValid);
  expectDefaults(o.level, 3);
}

TEST(Defaults, KeepersHaveIndependentCopies) {
  const Outcome o =
      readMap(head(2) + std::string(kNoPlacements) + std::string(kTwoHearts) +
              std::string(kUpToScenario) + "NO P1 TREASURY\nCREATURE_COUNT P2 TROLL 1\nEOF\n");
  ASSERT_TRUE(o.level.isValid) << o.console;
  ASSERT_EQ(o.level.roomStates.size(), 2u);
  EXPECT_EQ(o.level.roomStates[0].at(1), 1);
  EXPECT_EQ(o.level.roomStates[1].at(1), 3);
  EXPECT_EQ(o.level.creatureCounts[0].at(10), 32);
  EXPECT_EQ(o.level.creatureCounts[1].at(10), 1);
}

TEST(Defaults, LevelRejectedAtTheHeartCheckHasNoTables) {
  const Outcome o = readMap(withHearts("KPR1_HEART_CENTER 1 1\nHERO_BANDS\n" + std::string(kTail)));
  EXPECT_FALSE(o.level.isValid);
  EXPECT_TRUE(o.level.creatureCounts.empty());
  EXPECT_TRUE(o.level.trapStates.empty());
  EXPECT_TRUE(o.level.roomStates.empty());
  EXPECT_TRUE(o.level.doorStates.empty());
  EXPECT_TRUE(o.level.spellStates.empty());
}

}  // namespace
