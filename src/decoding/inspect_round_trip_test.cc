// Round trip: the example maps are compiled in memory, every produced file is inspected, and
// the decoded values are checked against what the map text says.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "decoding/inspect_test_support.h"
#include "decoding/names.h"

namespace ts::inspect {
namespace {

using testing::compiledFile;
using testing::fieldsOf;
using testing::problemsText;
using testing::readExample;
using testing::recordsOf;
using testing::show;

// The entries of a counted section of the map text ("CREATURES", then a count, then one
// entry a line), split into words.
std::vector<std::vector<std::string>> sectionEntries(const std::string& text,
                                                     const std::string& keyword) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line) && line != keyword) {
  }
  std::size_t count = 0;
  in >> count;
  std::getline(in, line);
  std::vector<std::vector<std::string>> entries;
  for (std::size_t i = 0; i < count && std::getline(in, line); ++i) {
    std::istringstream words(line);
    std::vector<std::string> entry;
    for (std::string w; words >> w;) entry.push_back(w);
    entries.push_back(entry);
  }
  return entries;
}

TEST(InspectRoundTripTest, EveryExampleFileIsRecognisedAndWellFormed) {
  ASSERT_GE(testing::exampleNames().size(), 3u);
  // The compiler's file order: map, triggers, things, players, variables, level information.
  const FileKind kinds[] = {FileKind::kMap,     FileKind::kTriggers,  FileKind::kThings,
                            FileKind::kPlayers, FileKind::kVariables, FileKind::kLevelInfo};
  for (const std::string& example : testing::exampleNames()) {
    const CompileResult result = compileMap(readExample(example));
    ASSERT_TRUE(result.valid) << example << result.console;
    SCOPED_TRACE(example);
    ASSERT_EQ(result.files.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
      SCOPED_TRACE(result.files[i].name);
      const Inspection in = inspect(result.files[i].bytes);
      EXPECT_EQ(in.kind, kinds[i]);
      EXPECT_TRUE(in.wellFormed()) << problemsText(in);
      EXPECT_EQ(in.length, result.files[i].bytes.size());
    }
  }
}

TEST(InspectRoundTripTest, PlacementsEqualTheMapText) {
  for (const std::string& example : testing::exampleNames()) {
    SCOPED_TRACE(example);
    const std::string text = readExample(example);
    const Inspection in = inspect(compiledFile(text, "Things.kld"));
    // CREATURES entries: name x y level player.
    const auto creatures = sectionEntries(text, "CREATURES");
    const auto decodedCreatures = recordsOf(in, "creature");
    ASSERT_EQ(decodedCreatures.size(), creatures.size());
    for (std::size_t i = 0; i < creatures.size(); ++i) {
      const auto& e = creatures[i];
      EXPECT_EQ(
          fieldsOf(*decodedCreatures[i], {"creature", "x", "y", "level", "owner"}),
          "creature=" + e[0] + " x=" + e[1] + " y=" + e[2] + " level=" + e[3] + " owner=" + e[4]);
    }
    // THINGS entries: name x y, always owned by the neutral player.
    const auto things = sectionEntries(text, "THINGS");
    const auto decodedThings = recordsOf(in, "object");
    ASSERT_EQ(decodedThings.size(), things.size());
    for (std::size_t i = 0; i < things.size(); ++i) {
      EXPECT_EQ(
          fieldsOf(*decodedThings[i], {"object", "x", "y", "owner"}),
          "object=" + things[i][0] + " x=" + things[i][1] + " y=" + things[i][2] + " owner=PN");
    }
  }
}

TEST(InspectRoundTripTest, Lair1ThingsHoldDoorsTrapsAreasBandsAndStructures) {
  const Inspection in = inspect(compiledFile(readExample("lair1.txt"), "Things.kld"));
  // DOORS: WOODEN_DOOR 6 2 P2 L; TRAPS: TR_BOULDER 7 7 P1.
  ASSERT_EQ(recordsOf(in, "door").size(), 1u);
  EXPECT_EQ(fieldsOf(*recordsOf(in, "door")[0], {"door", "x", "y", "owner", "locked"}),
            "door=WOODEN_DOOR x=6 y=2 owner=P2 locked=yes");
  ASSERT_EQ(recordsOf(in, "trap").size(), 1u);
  EXPECT_EQ(fieldsOf(*recordsOf(in, "trap")[0], {"trap", "x", "y", "owner"}),
            "trap=TR_BOULDER x=7 y=7 owner=P1");

  // Gate 1 at (9, 6) is the 2 by 2 block of G, gate 2 at (3, 8) the row of three A; entrance
  // area 1 is 1 1 2 2. Gates are numbered first, then the areas.
  const auto areas = recordsOf(in, "area");
  ASSERT_EQ(areas.size(), 3u);
  const std::vector<std::string> rect = {"number", "left", "top", "right", "bottom"};
  EXPECT_EQ(fieldsOf(*areas[0], rect), "number=hero gate 1 left=9 top=6 right=10 bottom=7");
  EXPECT_EQ(fieldsOf(*areas[1], rect), "number=hero gate 2 left=2 top=8 right=4 bottom=8");
  EXPECT_EQ(fieldsOf(*areas[2], rect), "number=entrance area 1 left=1 top=1 right=2 bottom=2");
  // HERO_GATE_1 opens only by a trigger; no automatic trigger watches it.
  EXPECT_EQ(show(areas[1]->find("trigger")), "none");

  // FirstBand 2 PH: KNIGHT L5, DWARF L3 (a hero band has no keeper owner); SecondBand 1 P2:
  // WIZARD L2.
  const auto bands = recordsOf(in, "hero band");
  ASSERT_EQ(bands.size(), 2u);
  ASSERT_EQ(bands[0]->parts.size(), 2u);
  ASSERT_EQ(bands[1]->parts.size(), 1u);
  const std::vector<std::string> member = {"creature", "level", "owner", "role"};
  EXPECT_EQ(fieldsOf(bands[0]->parts[0], member),
            "creature=KNIGHT level=L5 owner=none role=leader");
  EXPECT_EQ(fieldsOf(bands[0]->parts[1], member), "creature=DWARF level=L3 owner=none role=member");
  EXPECT_EQ(fieldsOf(bands[1]->parts[0], member), "creature=WIZARD level=L2 owner=P2 role=leader");
  EXPECT_EQ(show(bands[1]->find("index")), "1");

  // Gate structures in gate order, then one heart per keeper from HEARTS_AND_GOLD.
  const auto structures = recordsOf(in, "structure");
  ASSERT_EQ(structures.size(), 4u);
  const std::vector<std::string> place = {"structure", "owner", "x", "y"};
  EXPECT_EQ(fieldsOf(*structures[0], place), "structure=hero gate owner=PH x=9 y=6");
  EXPECT_EQ(fieldsOf(*structures[1], place), "structure=hero gate owner=PH x=3 y=8");
  EXPECT_EQ(fieldsOf(*structures[2], place), "structure=KPR1_HEART owner=P1 x=3 y=3");
  EXPECT_EQ(fieldsOf(*structures[3], place), "structure=KPR2_HEART owner=P2 x=8 y=3");

  // Creatures, objects, door, trap, three areas, two bands and four structures.
  EXPECT_EQ(show(recordsOf(in, "information")[0]->find("elements")), "15");
}

// The fields a line of the trigger tree shows: a trigger's kind, player or gate, value (none
// for a gate release) and links; an action's type, its major fields and its next link.
std::vector<std::string> treeFields(const Record& r) {
  if (r.kind == "trigger") {
    std::vector<std::string> names = {"kind"};
    if (r.find("player") != nullptr) names.push_back("player");
    if (r.find("gate") != nullptr) names.push_back("gate");
    if (show(r.find("kind")) != "GATE_RELEASE") names.push_back("value");
    names.insert(names.end(), {"next", "child"});
    return names;
  }
  std::vector<std::string> names = {"action"};
  for (const Field& f : r.fields) {
    if (!f.minor && f.name != "id" && f.name != "action" && f.name != "next") {
      names.emplace_back(f.name);
    }
  }
  names.push_back("next");
  return names;
}

TEST(InspectRoundTripTest, Lair1TriggerTreeFollowsTheTriggersSection) {
  const std::string text = readExample("lair1.txt");
  const Inspection in = inspect(compiledFile(text, "Triggers.kld"));
  ASSERT_TRUE(in.wellFormed()) << problemsText(in);
  // One line per element, in the compiler's order, from the TRIGGERS section (three triggers)
  // and the automatic triggers of gate 1 (HERO_GATE_4, a 2 by 2 block: one per keeper, each
  // destroying the gate from its corner square (9, 6)).
  const struct {
    std::size_t depth;
    const char* id;
    const char* fields;
  } kTree[] = {
      // TRIGGER_TIME 600
      {0, "1", "kind=TRIGGER_TIME value=600 next=2 child=4"},
      // ACTION_HERO_RELEASE 1 G 2: a gate-release node for gate 2 carries the actions.
      {1, "4", "kind=GATE_RELEASE gate=hero gate 2 next=none child=65535"},
      {2, "65535", "action=HERO_RELEASE band=hero band 1 location=2 next=65534"},
      // ACTION_ADD_ROOM P1 TEMPLE
      {2, "65534", "action=ADD player=P1 category=room item=TEMPLE next=65533"},
      {2, "65533", "action=MAKE_AVAILABLE category=room item=TEMPLE next=none"},
      // TRIGGER_CONTROL_AREA P1 1: area 1 is 2 by 2 squares.
      {0, "2", "kind=TRIGGER_CONTROL_AREA player=P1 value=4 next=3 child=65532"},
      // ACTION_DESTROY_HERO_GATE 2: gate 2 spans (2..4, 8), so its corner is (3, 7).
      {1, "65532", "action=GATE_LOCATION x=3 y=7 next=65531"},
      {1, "65531", "action=DESTROY_HERO_GATE gate=hero gate 2 next=none"},
      // TRIGGER_SLAP_COUNT_EQUALS 5 with ACTION_HERO_RELEASE 2 A 1: area 1 after two gates.
      {0, "3", "kind=TRIGGER_SLAP_COUNT_EQUALS value=5 next=5 child=65530"},
      {1, "65530", "action=HERO_RELEASE band=hero band 2 location=3 next=none"},
      // Gate 1's automatic triggers, one chain ending at the last keeper's.
      {0, "5", "kind=TRIGGER_CONTROL_AREA player=P1 value=4 next=6 child=65529"},
      {1, "65529", "action=GATE_LOCATION x=9 y=6 next=65528"},
      {1, "65528", "action=DESTROY_HERO_GATE gate=hero gate 1 next=none"},
      {0, "6", "kind=TRIGGER_CONTROL_AREA player=P2 value=4 next=none child=65527"},
      {1, "65527", "action=GATE_LOCATION x=9 y=6 next=65526"},
      {1, "65526", "action=DESTROY_HERO_GATE gate=hero gate 1 next=none"},
  };
  ASSERT_EQ(in.triggerTree.size(), std::size(kTree));
  for (std::size_t i = 0; i < std::size(kTree); ++i) {
    SCOPED_TRACE(i);
    const Record& r = in.records[in.triggerTree[i].record];
    EXPECT_EQ(in.triggerTree[i].depth, kTree[i].depth);
    EXPECT_EQ(show(r.find("id")), kTree[i].id);
    EXPECT_EQ(fieldsOf(r, treeFields(r)), kTree[i].fields);
  }
  EXPECT_EQ(fieldsOf(*recordsOf(in, "information")[0], {"triggers", "actions"}),
            "triggers=6 actions=10");

  // The things file's areas name the triggers that watch them: entrance area 1 the control-area
  // trigger of the section, gate 1 its first automatic trigger.
  const Inspection things = inspect(compiledFile(text, "Things.kld"));
  const auto areas = recordsOf(things, "area");
  ASSERT_EQ(areas.size(), 3u);
  EXPECT_EQ(show(areas[0]->find("trigger")), "5");
  EXPECT_EQ(show(areas[2]->find("trigger")), "2");
}

TEST(InspectRoundTripTest, Lair1PlayersVariablesAndLevelInformation) {
  const std::string text = readExample("lair1.txt");
  // GOLD1 5000, GOLD2 7000; the good and neutral players always start with 3000.
  const Inspection players = inspect(compiledFile(text, "Players.kld"));
  const char* kPlayers[] = {"name=Good Player player=PH keeper=0 gold=3000",
                            "name=Neutral Player player=PN keeper=0 gold=3000",
                            "name=Keeper 1 player=P1 keeper=1 gold=5000",
                            "name=Keeper 2 player=P2 keeper=2 gold=7000"};
  const auto records = recordsOf(players, "player");
  ASSERT_EQ(records.size(), std::size(kPlayers));
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(fieldsOf(*records[i], {"name", "player", "keeper", "gold"}), kPlayers[i]);
  }

  // The scenario statements, found among each keeper's entries.
  const Inspection variables = inspect(compiledFile(text, "Variables.kld"));
  auto holds = [&variables](std::string_view kind, const std::string& fields,
                            const std::vector<std::string>& names) {
    for (const Record* r : recordsOf(variables, kind)) {
      if (fieldsOf(*r, names) == fields) return true;
    }
    return false;
  };
  const std::vector<std::string> count = {"player", "creature", "count"};
  const std::vector<std::string> state = {"player", "category", "item", "state"};
  EXPECT_TRUE(holds("creature count", "player=P1 creature=TROLL count=5", count));
  EXPECT_TRUE(holds("availability", "player=P1 category=room item=PORTAL state=START_WITH", state));
  EXPECT_TRUE(holds("availability", "player=P2 category=room item=CASINO state=NO", state));
  EXPECT_TRUE(holds("availability",
                    "player=P1 category=spell item=CREATE_GOLD_SPELL state=MUST_RESEARCH", state));
  const auto entries = recordsOf(variables, "player entry");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(fieldsOf(*entries[0], {"player", "role"}), "player=PN role=neutral");
  EXPECT_EQ(fieldsOf(*entries[2], {"player", "role"}), "player=P2 role=keeper");

  // Lair1, Players 2.
  const Inspection info = inspect(compiledFile(text, ".kwd"));
  ASSERT_EQ(recordsOf(info, "level").size(), 1u);
  EXPECT_EQ(fieldsOf(*recordsOf(info, "level")[0], {"name", "players"}), "name=Lair1 players=2");
  const auto files = recordsOf(info, "referenced file");
  ASSERT_EQ(files.size(), 15u);
  EXPECT_EQ(fieldsOf(*files[10], {"kind", "path"}),
            "kind=map path=Data\\Editor\\Maps\\Lair1Map.kld");
  EXPECT_EQ(fieldsOf(*files[14], {"kind", "path"}),
            "kind=things path=Data\\Editor\\Maps\\Lair1Things.kld");
}

TEST(InspectRoundTripTest, MapTerrainCountsEqualTheGridAndLegend) {
  const std::string text = readExample("lair1.txt");
  const Inspection in = inspect(compiledFile(text, "Map.kld"));
  // "Size 12 x 10", then ten rows, then MAP_CODES with one "character NAME" line each.
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);
  std::getline(lines, line);
  ASSERT_EQ(line, "Size 12 x 10");
  std::map<char, std::size_t> characters;
  for (int row = 0; row < 10 && std::getline(lines, line); ++row) {
    for (char c : line) ++characters[c];
  }
  std::getline(lines, line);
  ASSERT_EQ(line, "MAP_CODES");
  std::size_t codes = 0;
  lines >> codes;
  std::map<std::string, std::size_t> expected;
  for (std::size_t i = 0; i < codes; ++i) {
    char c = 0;
    std::string name;
    lines >> c >> name;
    expected[name] += characters[c];
  }
  EXPECT_EQ(in.map.width, 12);
  EXPECT_EQ(in.map.height, 10);
  EXPECT_EQ(in.map.cells.size(), 120u);
  std::map<std::string, std::size_t> decoded;
  for (const TerrainCount& t : in.map.terrain) decoded[std::string(terrainName(t.code))] = t.count;
  EXPECT_EQ(decoded, expected);
}

}  // namespace
}  // namespace ts::inspect
