// In-memory compilation: what a map text turns into (the level's members, the six files and
// their names), the limit on trigger elements, and whole levels compiled end to end.
#include "driver/compile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "format/layouts.h"
#include "model/level_description.h"
#include "reader/map_reader.h"
#include "testing/chunk_walker.h"
#include "testing/read_file.h"

namespace ts {
namespace {

using ts::testing::checkFraming;
using ts::testing::Chunk;
using ts::testing::u16At;
using ts::testing::u32At;

// Where record n (counted from 0) starts in a players file: the good player's is 0, the
// neutral player's 1, then the keepers with hearts.
constexpr std::size_t playerRecord(std::size_t n) {
  return layout::kFirstPlayerRecord + n * layout::kPlayerRecordSize;
}
// Where element i's record starts in a triggers file.
constexpr std::size_t triggersRecord(std::size_t i) {
  return layout::kFirstTriggerElement + i * (kChunkHeaderSize + layout::kTriggerElementSize) +
         kChunkHeaderSize;
}

// A small text-mode level, section by section; tests replace the sections they are about.
struct MapText {
  std::string header = "Lv1\nPlayers 1\nSize 4 x 3\n";
  std::string grid = "bbbb\nb..b\nbbbb\nMAP_CODES\n2\nb SOLID_ROCK\n. KPR1_CLAIMED_SQ\n";
  std::string things = "0\n";
  std::string creatures = "0\n";
  std::string doors = "0\n";
  std::string traps = "0\n";
  std::string hearts = "KPR1_HEART_CENTER 1 1\nGOLD1 5000\n";
  std::string bands = "0\n";
  std::string areas = "0\n";
  std::string gates = "0\n";
  std::string triggers = "0\n";
  std::string scenario = "";

  [[nodiscard]] std::string text() const {
    return header + grid + "THINGS\n" + things + "CREATURES\n" + creatures + "DOORS\n" + doors +
           "TRAPS\n" + traps + "HEARTS_AND_GOLD\n" + hearts + "HERO_BANDS\n" + bands + "AREAS\n" +
           areas + "HERO_GATES\n" + gates + "TRIGGERS\n" + triggers + "SCENARIO_DESCRIPTION\n" +
           scenario + "EOF\n";
  }
};

LevelDescription readLevel(const std::string& text, std::string* console = nullptr) {
  const NameMaps names;
  std::ostringstream out;
  LevelDescription level = ts::readLevel(text, names, out);
  if (console != nullptr) *console = out.str();
  return level;
}

// The level of a map that the reader accepts; a failure shows the console.
LevelDescription acceptedLevel(const MapText& map) {
  std::string console;
  LevelDescription level = readLevel(map.text(), &console);
  EXPECT_TRUE(level.isValid) << console;
  return level;
}

TEST(CompileMap, ValidLevelGivesSixFilesInWritingOrder) {
  const CompileResult result = compileMap(MapText().text());
  ASSERT_TRUE(result.valid) << result.console;
  EXPECT_EQ(result.console, "");
  struct Expected {
    const char* name;
    std::uint32_t fileSizeChunkId;
  };
  const Expected expected[] = {{"Lv1Map.kld", 100},       {"Lv1Triggers.kld", 210},
                               {"Lv1Things.kld", 190},    {"Lv1Players.kld", 180},
                               {"Lv1Variables.kld", 230}, {"Lv1.kwd", 220}};
  ASSERT_EQ(result.files.size(), std::size(expected));
  for (std::size_t i = 0; i < result.files.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(result.files[i].name, expected[i].name);
    EXPECT_EQ(u32At(result.files[i].bytes, 0), expected[i].fileSizeChunkId);
    EXPECT_EQ(checkFraming(result.files[i].bytes), "");
  }
}

TEST(CompileLevel, HeaderRejectionLeavesEverythingEmpty) {
  struct Case {
    std::string text;
    std::string console;
  };
  const std::string longName(35, 'N');
  const Case cases[] = {
      {"", "Bad number of players : 0\n"},
      {"Lair1\nPlayers 5\nSize 4 x 3\nbbbb\n", "Bad number of players : 5\n"},
      {"Lair1\nPlayers 1\nSize 0 x 3\nbbbb\n", " bad width/heigth : 0 3\n"},
      {"Lair1\nPlayers 1\nSize 4 x", "error with beginning file data section \n"},
      {longName + "\nPlayers 1\nSize 4 x 3\nbbbb\n",
       "Level name too long: " + longName +
           " has 35 characters; at most 34 fit the level file names\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string console;
    const LevelDescription level = readLevel(c.text, &console);
    EXPECT_FALSE(level.isValid);
    EXPECT_EQ(console, c.console);
    EXPECT_TRUE(level.mapCodes.empty());
    EXPECT_TRUE(level.objects.empty());
    EXPECT_TRUE(level.creatures.empty());
    EXPECT_TRUE(level.doors.empty());
    EXPECT_TRUE(level.traps.empty());
    EXPECT_TRUE(level.areas.empty());
    EXPECT_TRUE(level.triggers.empty());
    EXPECT_TRUE(level.heroBands.empty());
    EXPECT_TRUE(level.heroGates.empty());
    EXPECT_TRUE(level.creatureCounts.empty());
    EXPECT_TRUE(level.trapStates.empty());
    EXPECT_TRUE(level.doorStates.empty());
    EXPECT_TRUE(level.spellStates.empty());
    EXPECT_TRUE(level.roomStates.empty());
    for (bool set : level.heartCenterSet) EXPECT_FALSE(set);

    const CompileResult result = compileMap(c.text);
    EXPECT_FALSE(result.valid);
    EXPECT_TRUE(result.files.empty());
    EXPECT_EQ(result.console, c.console);
  }
}

TEST(CompileLevel, EachKeeperHasItsOwnTables) {
  MapText map;
  map.header = "Lv2\nPlayers 2\nSize 4 x 3\n";
  map.hearts = "KPR1_HEART_CENTER 1 1\nKPR2_HEART_CENTER 2 1\n";
  map.scenario = "NO P2 CASINO\nCREATURE_COUNT P1 TROLL 7\n";
  const LevelDescription level = acceptedLevel(map);
  ASSERT_TRUE(level.isValid);
  EXPECT_EQ(level.creatureCounts.size(), 2u);
  EXPECT_EQ(level.trapStates.size(), 2u);
  EXPECT_EQ(level.doorStates.size(), 2u);
  EXPECT_EQ(level.spellStates.size(), 2u);
  EXPECT_EQ(level.roomStates.size(), 2u);
  // A statement for one keeper leaves the other keeper's copy of the defaults alone.
  EXPECT_EQ(level.roomStates[1].at(15), kNotAvailable);
  EXPECT_EQ(level.roomStates[0].at(15), kStartWith);
  EXPECT_EQ(level.creatureCounts[0].at(10), 7);
  EXPECT_EQ(level.creatureCounts[1].at(10), 32);
}

TEST(CompileLevel, RecordsKeepFileOrderAndDroppedEntriesLeaveNoGap) {
  MapText map;
  map.things = "3\nTH_BARREL 1 1\nTH_NO_SUCH_THING 2 2\nMI_REVEAL_MAP 3 1\n";
  map.creatures = "4\nTROLL 1 2 L4 P1\nTROLL 5 5 L11 P1\nNOBODY 6 6 L1 P1\nKNIGHT 3 4 L5 PH\n";
  map.doors = "2\nWOODEN_DOOR 1 1 P5 L\nSTEEL_DOOR 2 1 PN L\n";
  map.traps = "3\nTR_GAS 1 1 P1\nTR_NO_SUCH_TRAP 1 2 P1\nTR_BOULDER 2 2 P1\n";
  map.bands = "2\nFirst 2 PH\nKNIGHT L5\nDWARF L3\nSecond 2 P1\nNOBODY L2\nWIZARD L2\n";
  map.triggers = "2\nTRIGGER_TIME 600\n0\nTRIGGER_SLAP_COUNT_EQUALS 5\n0\n";
  const LevelDescription level = acceptedLevel(map);
  ASSERT_TRUE(level.isValid);

  ASSERT_EQ(level.objects.size(), 2u);
  EXPECT_EQ(level.objects[0].objectId, 59);
  EXPECT_EQ(level.objects[1].objectId, 118);
  EXPECT_EQ(level.objects[1].x, 3);

  ASSERT_EQ(level.creatures.size(), 2u);
  EXPECT_EQ(level.creatures[0].creatureId, 10);
  EXPECT_EQ(level.creatures[0].level, 4);
  EXPECT_EQ(level.creatures[0].owner, 3);
  EXPECT_EQ(level.creatures[1].creatureId, 13);
  EXPECT_EQ(level.creatures[1].x, 3);
  EXPECT_EQ(level.creatures[1].owner, 1);

  ASSERT_EQ(level.doors.size(), 1u);
  EXPECT_EQ(level.doors[0].doorId, 2);
  EXPECT_EQ(level.doors[0].owner, 2);

  ASSERT_EQ(level.traps.size(), 2u);
  EXPECT_EQ(level.traps[0].trapId, 1);
  EXPECT_EQ(level.traps[1].trapId, 2);

  ASSERT_EQ(level.heroBands.size(), 2u);
  ASSERT_EQ(level.heroBands[0].members.size(), 2u);
  EXPECT_EQ(level.heroBands[0].members[0].creatureId, 13);
  EXPECT_EQ(level.heroBands[0].members[1].creatureId, 14);
  ASSERT_EQ(level.heroBands[1].members.size(), 1u);
  EXPECT_EQ(level.heroBands[1].members[0].creatureId, 16);

  ASSERT_EQ(level.triggers.size(), 2u);
  EXPECT_EQ(level.triggers[0].kind, kTriggerTime);
  EXPECT_EQ(level.triggers[1].kind, kTriggerSlapCount);

  // The things file counts only the kept records: 2 creatures, 2 things, 1 door, 2 traps,
  // 2 bands and 1 heart.
  const CompileResult result = compileMap(map.text());
  ASSERT_TRUE(result.valid);
  EXPECT_EQ(u32At(result.files[2].bytes, layout::kElementCount), 10u);
}

TEST(CompileLevel, KeeperWithoutHeartEntriesHasNoHeartAndNoGold) {
  MapText map;
  map.header = "Lv2\nPlayers 2\nSize 4 x 3\n";
  map.hearts = "GOLD1 5000\nKPR1_HEART_CENTER 1 1\nKPR4_HEART_CENTER 2 1\n";
  const LevelDescription level = acceptedLevel(map);
  ASSERT_TRUE(level.isValid);
  const std::array<bool, 4> hearts = {true, false, false, true};
  EXPECT_EQ(level.heartCenterSet, hearts);
  const std::array<std::int32_t, 4> gold = {5000, 0, 0, 0};
  EXPECT_EQ(level.keeperGold, gold);

  // The players file: good, neutral, Keeper 1 and Keeper 4, the last with no gold.
  const CompileResult result = compileMap(map.text());
  ASSERT_TRUE(result.valid);
  const Bytes& players = result.files[3].bytes;
  ASSERT_EQ(players.size(), 56u + 205u * 4u);
  const std::size_t keeper4 = playerRecord(3);
  EXPECT_EQ(u32At(players, keeper4 + layout::kPlayerGold), 0u);
  EXPECT_EQ(u16At(players, keeper4 + layout::kPlayerKeeper), 4u);
  EXPECT_EQ(players[keeper4 + layout::kPlayerId], 6u);
  EXPECT_EQ(u32At(players, playerRecord(2) + layout::kPlayerGold), 5000u);
}

TEST(CompileTriggers, AtMost65535TriggerAndActionElements) {
  struct Case {
    std::size_t timeTriggers;
    bool autoGate;  // one HERO_GATE_4 gate: one automatic trigger and two actions
    std::size_t elements;
    bool valid;
  };
  const Case cases[] = {
      {65535, false, 65535, true},
      {65536, false, 65536, false},
      {65532, true, 65535, true},
      {65533, true, 65536, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.timeTriggers) + (c.autoGate ? " with a gate" : ""));
    MapText map;
    if (c.autoGate) {
      map.grid = "bbbb\nbG.b\nbbbb\nMAP_CODES\n3\nb SOLID_ROCK\n. KPR1_CLAIMED_SQ\nG HERO_GATE_4\n";
      map.gates = "1\n1 1 1\n";
    }
    map.triggers = std::to_string(c.timeTriggers) + "\n";
    map.triggers.reserve(map.triggers.size() + c.timeTriggers * 17);
    for (std::size_t i = 0; i < c.timeTriggers; ++i) map.triggers += "TRIGGER_TIME 1\n0\n";

    const CompileResult result = compileMap(map.text());
    EXPECT_EQ(result.valid, c.valid);
    if (c.valid) {
      EXPECT_EQ(result.console, "");
      ASSERT_EQ(result.files.size(), 6u);
      const Bytes& triggers = result.files[1].bytes;
      EXPECT_EQ(triggers.size(), 60 + 24 * c.elements);
      EXPECT_EQ(u32At(triggers, layout::kTriggerCount) + u32At(triggers, layout::kActionCount),
                c.elements);
    } else {
      EXPECT_EQ(result.console, "Too many triggers: the level needs " + std::to_string(c.elements) +
                                    " trigger and action elements, at most 65535 fit the "
                                    "triggers file\n");
      EXPECT_TRUE(result.files.empty());
    }
  }
}

std::vector<std::uint32_t> chunkIds(const std::vector<Chunk>& chunks) {
  std::vector<std::uint32_t> ids;
  for (const Chunk& c : chunks) ids.push_back(c.id);
  return ids;
}

// The map cell of row r, column c.
std::uint32_t cellAt(const Bytes& map, std::uint32_t width, std::uint32_t r, std::uint32_t c) {
  return u32At(map, layout::kFirstCell + layout::kCellSize * (r * width + c));
}

// The lair1 example, compiled once; each test looks into one of its files.
class Lair1Example : public ::testing::Test {
 protected:
  static const CompileResult& result() {
    static const CompileResult compiled = compileMap(testing::readExample("lair1.txt"));
    return compiled;
  }
  static const Bytes& file(std::size_t index) { return result().files.at(index).bytes; }
};

TEST_F(Lair1Example, CompilesCleanlyIntoSixFramedFiles) {
  ASSERT_TRUE(result().valid) << result().console;
  EXPECT_EQ(result().console, "");
  ASSERT_EQ(result().files.size(), 6u);
  for (const LevelFile& f : result().files) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(checkFraming(f.bytes), "");
  }
}

// 12 x 10 squares.
TEST_F(Lair1Example, MapHoldsTheCodesOfTheLegend) {
  const Bytes& map = file(0);
  EXPECT_EQ(map.size(), 36u + 4u * 12u * 10u);
  EXPECT_EQ(cellAt(map, 12, 0, 0), 0x01010201u);   // # SOLID_ROCK
  EXPECT_EQ(cellAt(map, 12, 2, 2), 0x0101030Bu);   // 1 KPR1_LAIR
  EXPECT_EQ(cellAt(map, 12, 3, 8), 0x0101040Au);   // 2 KPR2_TREASURY
  EXPECT_EQ(cellAt(map, 12, 7, 10), 0x01010122u);  // G HERO_GATE_4
}

// 3 section triggers, 1 gate-release node and 2 automatic triggers (one HERO_GATE_4 gate, two
// keepers); 3 + 2 + 1 actions from the text and 2 per automatic trigger.
TEST_F(Lair1Example, TriggersCountTheAddedElements) {
  const Bytes& triggers = file(1);
  EXPECT_EQ(triggers.size(), 60u + 24u * (6u + 10u));
  EXPECT_EQ(u32At(triggers, layout::kTriggerCount), 6u);
  EXPECT_EQ(u32At(triggers, layout::kActionCount), 10u);
  // The first element: TRIGGER_TIME 600, identifier 1, next 2, child its gate-release node 4.
  EXPECT_EQ(u32At(triggers, layout::kFirstTriggerElement), 213u);
  const std::size_t first = triggersRecord(0);
  EXPECT_EQ(u32At(triggers, first + layout::kTriggerValue), 600u);
  EXPECT_EQ(u16At(triggers, first + layout::kTriggerId), 1u);
  EXPECT_EQ(u16At(triggers, first + layout::kTriggerNext), 2u);
  EXPECT_EQ(u16At(triggers, first + layout::kTriggerChild), 4u);
  EXPECT_EQ(triggers.at(first + layout::kTriggerKind), 34u);
}

// 2 creatures, 2 things, 1 door, 1 trap, 2 gates, 1 area, 2 bands, 2 keepers.
TEST_F(Lair1Example, ThingsHoldTheElementsInOrderWithTheirTriggers) {
  const Bytes& things = file(2);
  EXPECT_EQ(things.size(),
            56u + 36u * 2 + 32u * 2 + 28u * 2 + 28u * 1 + 24u * 1 + 92u * 2 + 563u * 2 + 64u * 1);
  EXPECT_EQ(u32At(things, layout::kElementCount), 2u + 2 + 2 + 1 + 1 + 2 + 1 + 2 * 2);
  std::vector<Chunk> elements;
  ASSERT_EQ(checkFraming(things, nullptr, &elements), "");
  const std::vector<std::uint32_t> expectedIds = {200, 200, 194, 194, 196, 195, 197, 197,
                                                  197, 201, 201, 204, 204, 204, 204};
  ASSERT_EQ(chunkIds(elements), expectedIds);
  // Area records: gate 1 carries its first automatic trigger (identifier 5), gate 2 none, the
  // entrance area its control-area trigger (identifier 2); numbers 1, 2, 3.
  struct AreaBytes {
    std::uint8_t low, high, number;
  };
  const AreaBytes areas[] = {{5, 0, 1}, {0, 0, 2}, {2, 0, 3}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE("area record " + std::to_string(i));
    const std::size_t record = elements[6 + i].offset + kChunkHeaderSize;
    EXPECT_EQ(things[record + layout::kAreaTrigger], areas[i].low);
    EXPECT_EQ(things[record + layout::kAreaTrigger + 1], areas[i].high);
    EXPECT_EQ(things[record + layout::kAreaNumber], areas[i].number);
  }
}

// Good, neutral and two keepers with their gold.
TEST_F(Lair1Example, PlayersHoldEachKeepersGold) {
  const Bytes& players = file(3);
  EXPECT_EQ(players.size(), 56u + 205u * (2 + 2));
  EXPECT_EQ(u32At(players, layout::kElementCount), 4u);
  EXPECT_EQ(u32At(players, playerRecord(0) + layout::kPlayerGold), 3000u);
  EXPECT_EQ(u32At(players, playerRecord(2) + layout::kPlayerGold), 5000u);
  EXPECT_EQ(u32At(players, playerRecord(3) + layout::kPlayerGold), 7000u);
}

// Keeper 1 has 11 creatures, 16 rooms (PORTAL added), 11 traps, 6 doors and 3 spells
// (CREATE_GOLD_SPELL added); keeper 2 the defaults; 41 per heart and 2 closing.
TEST_F(Lair1Example, VariablesHoldEachKeepersTables) {
  const std::uint32_t entries =
      (2 * 11 + 16 + 11 + 6 + 3) + (2 * 11 + 15 + 11 + 6 + 2) + 2 * 41 + 2;
  const Bytes& variables = file(4);
  EXPECT_EQ(variables.size(), 56u + 16u * entries);
  EXPECT_EQ(u32At(variables, layout::kElementCount), entries);
  // TROLL (id 10) is keeper 1's sixth creature and counts 5.
  const std::size_t troll = layout::kFirstVariableEntry + 5 * layout::kVariableEntrySize;
  EXPECT_EQ(u32At(variables, troll + layout::kEntryType), 1u);
  EXPECT_EQ(u32At(variables, troll + layout::kCountCreature), 10u);
  EXPECT_EQ(u32At(variables, troll + layout::kCountValue), 5u);
  EXPECT_EQ(u32At(variables, troll + layout::kCountPlayer), 3u);
}

// Fixed length, the name as wide text, the player count.
TEST_F(Lair1Example, LevelInformationHoldsTheNameAndPlayerCount) {
  const Bytes& info = file(5);
  EXPECT_EQ(info.size(), 26887u);
  const std::size_t name = layout::kLevelNameOffset;
  EXPECT_EQ(info.at(name), 'L');
  EXPECT_EQ(info.at(name + 1), 0u);
  EXPECT_EQ(info.at(name + 8), '1');
  EXPECT_EQ(info.at(name + 10), 0u);
  EXPECT_EQ(info.at(layout::kPlayerCountOffset), 2u);
}

TEST(EndToEnd, GuiGeneratedMap) {
  const CompileResult result = compileMap(testing::readSourceFile("tests/data/gui_small.txt"));
  ASSERT_TRUE(result.valid) << result.console;
  // The square "1c" spells KPR1_ROCK, which is no terrain.
  EXPECT_EQ(result.console, "Cellwright Internal Error 1\n");
  ASSERT_EQ(result.files.size(), 6u);
  EXPECT_EQ(result.files[0].name, "Gui1Map.kld");
  for (const LevelFile& file : result.files) {
    SCOPED_TRACE(file.name);
    EXPECT_EQ(checkFraming(file.bytes), "");
  }

  const Bytes& map = result.files[0].bytes;
  ASSERT_EQ(map.size(), 36u + 4u * 4u * 3u);
  EXPECT_EQ(cellAt(map, 4, 0, 0), 0x01010201u);  // Ob SOLID_ROCK
  EXPECT_EQ(cellAt(map, 4, 0, 3), 0x01010201u);  // 1c: unknown, solid rock
  EXPECT_EQ(cellAt(map, 4, 1, 1), 0x01010308u);  // 1A KPR1_CLAIMED_SQ
  EXPECT_EQ(cellAt(map, 4, 1, 2), 0x0101030Eu);  // 1G KPR1_HEART
  EXPECT_EQ(cellAt(map, 4, 2, 1), 0x0101011Cu);  // Oi HERO_GATE_1
  EXPECT_EQ(cellAt(map, 4, 2, 3), 0x01010125u);  // Op HERO_GATE_7, written as HERO_GATE_6

  // One section trigger whose gate destruction gives two actions; HERO_GATE_1 has no
  // automatic triggers.
  const Bytes& triggers = result.files[1].bytes;
  EXPECT_EQ(triggers.size(), 60u + 24u * (1u + 2u));
  // The second action element (after 1 trigger element and 1 action element): destroy gate
  // index 0.
  const std::size_t destroy = triggersRecord(2);
  EXPECT_EQ(triggers[destroy + layout::kActionArg1], 0u);
  EXPECT_EQ(triggers[destroy + layout::kActionArg1 + 1], 10u);
  EXPECT_EQ(triggers[destroy + layout::kActionType], 7u);
  // The location action before it: the gate spans columns 1 to 2 of row 2, so (1, 1).
  EXPECT_EQ(u32At(triggers, triggersRecord(1) + layout::kActionArg5), 0x00010001u);

  // Things: 1 creature, 1 thing, 1 gate, 1 keeper.
  const Bytes& things = result.files[2].bytes;
  EXPECT_EQ(things.size(), 56u + 36u + 32u + 92u + 28u);
  EXPECT_EQ(u32At(things, layout::kElementCount), 1u + 1 + 2 + 1);

  const Bytes& players = result.files[3].bytes;
  EXPECT_EQ(players.size(), 56u + 205u * 3);
  EXPECT_EQ(u32At(players, playerRecord(2) + layout::kPlayerGold), 2500u);

  // One keeper with its heart and the default tables.
  EXPECT_EQ(result.files[4].bytes.size(), 1640u);
  EXPECT_EQ(result.files[5].bytes.size(), 26887u);
  EXPECT_EQ(result.files[5].bytes[layout::kPlayerCountOffset], 1u);
}

// The compiler's console text is a rendering of the problems it reports as values: each has
// its identifier, where in the text it lies, and its arguments.
TEST(CompileMap, ProblemsAreValuesThatRenderAsTheConsole) {
  const std::string grid = "Lv\nPlayers 1\nSize 4 x 3\nbbbb\nbZ.b\nbbbb\nMAP_CODES\n3\n";
  struct Case {
    std::string text;
    std::vector<ProblemId> ids;
    std::string firstAt;  // the text the first problem points at
  };
  const Case cases[] = {
      {"Lv\nPlayers 7\n", {ProblemId::kBadPlayerCount}, "7"},
      {"x/y\nPlayers 1\nSize 4 x 3\n", {ProblemId::kLevelNameHasSeparator}, "x/y"},
      {grid + "b SOLID_ROCK\n. KPR1_CLAIMED_SQ\nq NO_SUCH\nTHINGS\n0\nCREATURES\n0\nDOORS\n0\n"
              "TRAPS\n0\nHEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 1\n",
       {ProblemId::kMapCodeNotFound, ProblemId::kOldMap, ProblemId::kTerrainMapping},
       "NO_SUCH"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const CompileResult result = compileMap(c.text);
    std::string rendered;
    std::vector<ProblemId> ids;
    for (const Problem& p : result.problems) {
      rendered += consoleText(p);
      ids.push_back(p.id);
    }
    EXPECT_EQ(rendered, result.console);
    EXPECT_EQ(ids, c.ids);
    ASSERT_FALSE(result.problems.empty());
    EXPECT_EQ(result.problems[0].offset, c.text.find(c.firstAt));
    EXPECT_EQ(result.valid, result.problems[0].severity() != Severity::kError);
  }
}

}  // namespace
}  // namespace ts
