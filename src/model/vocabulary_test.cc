// The keyword vocabularies: every name resolves to its game identifier, lookups are exact and
// case-sensitive, unknown names give the lookup's own sentinel, and no table repeats itself.
#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace ts {
namespace {

struct NameCase {
  std::string_view name;
  std::int32_t expected;
};

// "NAME value, NAME value, ..." as the vocabularies are written down for level designers.
std::vector<std::pair<std::string, std::int32_t>> parseList(std::string_view list) {
  std::vector<std::pair<std::string, std::int32_t>> out;
  std::string text(list);
  for (char& c : text) {
    if (c == ',') c = ' ';
  }
  std::istringstream in(text);
  std::string name;
  std::int32_t value = 0;
  while (in >> name >> value) out.emplace_back(name, value);
  return out;
}

constexpr std::string_view kObjectList =
    "TH_TARGET 29, TH_ROULETTE_WHEEL 30, TH_TOMB_STONE1 31, TH_TOMB_STONE2 32, "
    "TH_TOMB_STONE3 33, TH_TOMB_STONE4 34, TH_CHICKEN_COOP 35, TH_BOULDER_TR_CRATE 36, "
    "TH_FEAR_TR_CRATE 37, TH_A_BOX 38, TH_FREEZE_TR_CRATE 39, TH_GAS_TR_CRATE 40, "
    "TH_LIGHTNING_TR_CRATE 41, TH_SENTRY_TR_CRATE 42, TH_SPIKE_TR_CRATE 43, "
    "TH_TRIGGER_TR_CRATE 44, TH_FISH 45, TH_TABLE1 46, TH_VICTIM 48, TH_SKULL 49, TH_BONE1 50, "
    "TH_BOWL 51, TH_WOOD_DR_CRATE 52, TH_BRACED_DR_CRATE 53, TH_MAGIC_DR_CRATE 55, "
    "TH_BARRICADE_CR 56, TH_SECRET_DR_CRATE 57, TH_FLIPPING_BOOK 58, TH_BARREL 59, "
    "TH_IMP_STATUE 60, TH_ELECTRIC_CHAIR 61, TH_FLOOR_FURNACE 62, TH_SPIKE_POOL 63, "
    "TH_CHARTS 64, TH_WEAPONS1 65, TH_HAND 66, TH_TABLE2 67, TH_BARRELS 68, "
    "TH_ONE_ARM_BANDIT 69, TH_WEAPONS2 71, TH_ARCH_WAY 72, TH_BRACED_DOOR_WAY 73, "
    "TH_BOULDER_OF_DEATH 74, TH_COFFIN 75, TH_COLUMN_A 76, TH_COLUMN_B 77, TH_COLUMN_C 78, "
    "TH_COLUMN_D 79, TH_FURNACE 80, TH_SMALL_COLUMN 81, TH_LARGE_COLUMN 82, "
    "TH_MEDIUM_COLUMN 84, TH_TINY_COLUMN 85, TH_HEART_TOP 86, TH_ROULETTE_TABLE 87, "
    "TH_KT1_FLAG 89, TH_HEART_CAP 96, TH_MANA_BURST 101, TH_SWINGING_DOOR 109, "
    "TH_LAMP_LIGHT 110, TH_TABLE3 112, TH_WEAPONS3 113, TH_MAGIC_SPARKLES 114, "
    "TH_DOOR_LOCK1 116, TH_SLOT_MACHINE 130, TH_GEM_VIEWER 131, TH_PENDULUM 132, TH_FLAG1 134, "
    "TH_FLAG2 135, TH_FLAG3 136, "
    "MI_RAISE_LEVEL 117, MI_REVEAL_MAP 118, MI_BUILD_WALLS 119, MI_DESTROY_WALLS 120, "
    "MI_INFLUX_CASH 121, MI_INFLUX_MANA 122, MI_STUN_IMPS 123, MI_MAGIC_DRONES 124, "
    "MI_MAKE_HAPPY 125, MI_MAKE_SAD 126, MI_ASSASINATE 127, MI_RESTORE_HEALTH 128, "
    "MI_SECRET_LEVEL 129";

constexpr std::string_view kCreatureList =
    "IMP 1, PRINCE_TRISTAN 2, BILE_DEMON 3, MISTRESS 4, WARLOCK 5, DARK_ELF 6, GOBLIN 7, "
    "VAMPIRE 8, SKELETON 9, TROLL 10, SALAMANDER 11, FIREFLY 12, KNIGHT 13, DWARF 14, GIANT 15, "
    "WIZARD 16, ELVEN_ARCHER 17, THIEF 18, MONK 19, FAIRY 20, KING_REGINALD 21, BLACK_KNIGHT 22, "
    "DARK_ANGEL 23, ROGUE 24, GUARD 25, PRINCE_FELIX 26, HORNED_REAPER 27, STONE_GIANT 28, "
    "LORD_OF_THE_LAND 29, ROYAL_GUARD 30, PRINCE_BALDER 31";

// Every terrain name with its code, built from the rules: unowned terrain, hero terrain, the
// gate markers, and each owner prefix with each floor or room name.
std::map<std::string, std::int32_t> expectedTerrain() {
  std::map<std::string, std::int32_t> out;
  auto code = [](std::int32_t id, std::int32_t owner) { return 0x01010000 | (owner << 8) | id; };
  for (const auto& [name, id] : parseList("SOLID_ROCK 1, ROCK 2, UNCLAIMED 3, WATER 4, LAVA 5, "
                                          "GOLD 6, GEMS 7, MAP_BORDER 30")) {
    out[name] = code(id, 2);
  }
  for (const auto& [name, id] :
       parseList("HERO_GATE_1 28, HERO_GATE_2 29, HERO_GATE_3 33, HERO_GATE_4 34, "
                 "HERO_REST_AREA 35, HERO_GATE_5 36, HERO_GATE_6 37")) {
    out[name] = code(id, 1);
  }
  for (const auto& [name, value] :
       parseList("HERO_GATE_7 100, HERO_GATE_8 102, HERO_GATE_9 104, HERO_GATE_10 106")) {
    out[name] = value;
  }
  const auto owners = parseList("HERO_ 1, NEUTRAL_ 2, KPR1_ 3, KPR2_ 4, KPR3_ 5, KPR4_ 6");
  const auto bases = parseList(
      "CLAIMED_SQ 8, OWNED_ROCK 9, TREASURY 10, LAIR 11, PORTAL 12, HATCHERY 13, HEART 14, "
      "LIBRARY 15, TRAINING 16, WOOD_BR 17, GUARD_RM 18, WORKSHOP 19, PRISON 20, TORTURE 21, "
      "TEMPLE 22, GRAVEYARD 23, CASINO 24, COMBAT_PIT 25, STONE_BR 26, MANA 32");
  for (const auto& [prefix, owner] : owners) {
    for (const auto& [base, id] : bases) out[prefix + base] = code(id, owner);
  }
  return out;
}

using Lookup = std::int32_t (NameMaps::*)(std::string_view) const;

// Each name of `expected` resolves to its value with `find`.
template <typename NameValues>
void expectEachResolves(const NameMaps& names, Lookup find, const NameValues& expected) {
  for (const auto& [name, value] : expected) {
    SCOPED_TRACE(name);
    EXPECT_EQ((names.*find)(name), value);
  }
}

TEST(VocabularyTerrain, EveryNameResolvesToItsCodeAndNothingElseIsInTheMap) {
  const NameMaps names;
  const auto expected = expectedTerrain();
  ASSERT_EQ(expected.size(), 139u);
  expectEachResolves(names, &NameMaps::findTerrainCode, expected);
  ASSERT_EQ(names.terrainNames().size(), 139u);
  for (const auto& [code, name] : names.terrainNames()) {
    SCOPED_TRACE(name);
    const auto it = expected.find(name);
    ASSERT_NE(it, expected.end());
    EXPECT_EQ(it->second, code);
  }
}

TEST(VocabularyObjects, EveryObjectAndMagicItemResolves) {
  const NameMaps names;
  const auto expected = parseList(kObjectList);
  ASSERT_EQ(expected.size(), 83u);
  expectEachResolves(names, &NameMaps::findObjectId, expected);
  // The table holds these 83 names and no others.
  ASSERT_EQ(kObjectTable.size(), expected.size());
  const std::map<std::string, std::int32_t> byName(expected.begin(), expected.end());
  for (const NameValue& entry : kObjectTable) {
    SCOPED_TRACE(std::string(entry.name));
    EXPECT_EQ(byName.count(std::string(entry.name)), 1u);
  }
}

// Terrain names and object names that stand out, and names that are neither: another case, a
// trailing blank, a room's or a creature's name, a keeper that does not exist.
TEST(VocabularyTerrainAndObjects, SingledOutNamesAndUnknowns) {
  const NameMaps names;
  constexpr auto terrain = &NameMaps::findTerrainCode;
  constexpr auto object = &NameMaps::findObjectId;
  const struct {
    Lookup find;
    std::string_view name;
    std::int32_t expected;
  } cases[] = {
      {terrain, "KPR1_LAIR", 0x0101030B},
      {terrain, "HERO_GATE_7", 100},  // a whole-value marker, no owner or flag bytes
      {terrain, "KPR4_MANA", 0x01010620},
      {terrain, "MANA_VAULT", -1},  // a room, but no terrain: mana floors are KPRn_MANA
      {terrain, "MANA", -1},
      {terrain, "solid_rock", -1},
      {terrain, "Solid_Rock", -1},
      {terrain, "SOLID_ROCK ", -1},
      {terrain, "KPR1_ROCK", -1},
      {terrain, "NEUTRAL_SOLID_ROCK", -1},
      {terrain, "CLAIMED_SQ", -1},
      {terrain, "KPR5_LAIR", -1},
      {terrain, "", -1},
      {object, "TH_WOOD_DR_CRATE", 52},
      {object, "TH_FREEZE_TR_CRATE", 39},
      {object, "MI_SECRET_LEVEL", 129},
      {object, "th_target", -1},
      {object, "TH_TARGET2", -1},
      {object, "MI_SECRET", -1},
      {object, "IMP", -1},
      {object, "", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ((names.*c.find)(c.name), c.expected);
  }
}

TEST(VocabularyCreatures, EveryCreatureResolvesAndLookupIsCaseSensitive) {
  const NameMaps names;
  const auto expected = parseList(kCreatureList);
  ASSERT_EQ(expected.size(), 31u);
  expectEachResolves(names, &NameMaps::findCreatureId, expected);
  EXPECT_EQ(names.creatureNames().size(), 31u);
  EXPECT_EQ(names.findCreatureId("imp"), -1);
  EXPECT_EQ(names.findCreatureId("Troll"), -1);
  EXPECT_EQ(names.findCreatureId("TH_TARGET"), -1);
}

// Doors and traps have two lookups: the name maps give -1 for an unknown name, the counted
// tables 0.
TEST(VocabularyDoorsAndTraps, BothLookupsAgreeOnKnownNamesAndDifferOnUnknowns) {
  const NameMaps names;
  const auto doors = parseList(
      "WOODEN_DOOR 1, STEEL_DOOR 2, BRACED_DOOR 3, MAGIC_DOOR 4, SECRET_DOOR 5, "
      "WOOD_BARRICADE 6, STONE_BARRICADE 7, GRATED_DOOR 8");
  const auto traps = parseList(
      "TR_GAS 1, TR_BOULDER 2, TR_SENTRY 3, TR_ALARM 4, TR_FIREBURST 5, TR_LIGHTNING 6, "
      "TR_FREEZE 7, TR_FEAR 8, TR_TRIGGER 9, TR_SPIKE 10, TR_GUARD_POST 11, TR_BIG_SENTRY 14");
  for (const auto& [name, id] : doors) {
    SCOPED_TRACE(name);
    EXPECT_EQ(names.findDoorId(name), id);
    EXPECT_EQ(doorIdOrZero(name), id);
  }
  for (const auto& [name, id] : traps) {
    SCOPED_TRACE(name);
    EXPECT_EQ(names.findTrapId(name), id);
    EXPECT_EQ(trapIdOrZero(name), id);
  }
  for (std::string_view unknown : {"wooden_door", "DOOR", "TR_GAS ", "TR_BIG", "", "TREASURY"}) {
    SCOPED_TRACE(std::string(unknown));
    EXPECT_EQ(names.findDoorId(unknown), -1);
    EXPECT_EQ(doorIdOrZero(unknown), 0);
    EXPECT_EQ(names.findTrapId(unknown), -1);
    EXPECT_EQ(trapIdOrZero(unknown), 0);
  }
  EXPECT_EQ(trapIdOrZero("TR_GAS"), 1);
  EXPECT_EQ(doorIdOrZero("TR_GAS"), 0);
}

TEST(VocabularyRoomsAndSpells, CountedTablesResolveAndGiveZeroForUnknowns) {
  const auto rooms = parseList(
      "TREASURY 1, LAIR 2, PORTAL 3, HATCHERY 4, HEART 5, LIBRARY 6, TRAINING 7, WOOD_BR 8, "
      "GUARD_RM 9, WORKSHOP 10, PRISON 11, TORTURE 12, TEMPLE 13, GRAVEYARD 14, CASINO 15, "
      "COMBAT_PIT 16, STONE_BR 17, MANA_VAULT 23");
  const auto spells = parseList(
      "CREATE_IMP_SPELL 4, POSESSION_SPELL 2, SIGHT_OF_EVIL_SPELL 1, CALL_TO_ARMS_SPELL 3, "
      "LIGHTNING_SPELL 6, TURNCOAT_SPELL 7, TREMOR_SPELL 8, INFERNO_SPELL 9, HEAL_SPELL 10, "
      "CHICKEN_SPELL 11, CREATE_GOLD_SPELL 13, SUMMON_HORNY_SPELL 5");
  ASSERT_EQ(rooms.size(), 18u);
  ASSERT_EQ(spells.size(), 12u);
  for (const auto& [name, id] : rooms) {
    SCOPED_TRACE(name);
    EXPECT_EQ(roomIdOrZero(name), id);
  }
  for (const auto& [name, id] : spells) {
    SCOPED_TRACE(name);
    EXPECT_EQ(spellIdOrZero(name), id);
  }
  const NameCase unknowns[] = {
      {"treasury", 0}, {"KPR1_TREASURY", 0}, {"MANA", 0}, {"", 0}, {"POSSESSION_SPELL", 0},
  };
  for (const NameCase& c : unknowns) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ(roomIdOrZero(c.name), c.expected);
    EXPECT_EQ(spellIdOrZero(c.name), c.expected);
  }
}

TEST(VocabularyTokens, PlayerAndLevelTokens) {
  const NameCase players[] = {
      {"P1", 3},       {"P2", 4},
      {"P3", 5},       {"P4", 6},
      {"PH", 1},       {"PN", 2},
      {"p1", 0},       {"P5", 0},
      {"P0", 0},       {"P", 0},
      {"ph", 0},       {"P1 ", 0},
      {"", 0},         {std::string_view("P1\0", 3), 0},
      {"P1P1P1P1", 0}, {"PHPHPHP", 0},
  };
  for (const NameCase& c : players) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ(parsePlayerToken(c.name), c.expected);
  }
  for (std::int32_t level = 1; level <= 10; ++level) {
    const std::string token = "L" + std::to_string(level);
    SCOPED_TRACE(token);
    EXPECT_EQ(parseLevelToken(token), level);
  }
  const NameCase badLevels[] = {{"L0", 0}, {"L11", 0}, {"l1", 0}, {"L01", 0}, {"L", 0}, {"", 0}};
  for (const NameCase& c : badLevels) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ(parseLevelToken(c.name), c.expected);
  }
}

template <std::size_t N>
void expectNoRepeats(const std::array<NameValue, N>& table, std::string_view tableName) {
  SCOPED_TRACE(std::string(tableName));
  std::set<std::string_view> seenNames;
  std::set<std::int32_t> seenValues;
  for (const NameValue& entry : table) {
    EXPECT_TRUE(seenNames.insert(entry.name).second) << "repeated name " << entry.name;
    EXPECT_TRUE(seenValues.insert(entry.value).second) << "repeated value " << entry.value;
  }
}

TEST(VocabularyTables, NoTableRepeatsANameOrAValue) {
  expectNoRepeats(kTerrainTable, "terrain");
  expectNoRepeats(kObjectTable, "objects");
  expectNoRepeats(kCreatureTable, "creatures");
  expectNoRepeats(kDoorTable, "doors");
  expectNoRepeats(kTrapTable, "traps");
  expectNoRepeats(kRoomTable, "rooms");
  expectNoRepeats(kSpellTable, "spells");
  expectNoRepeats(kPlayerTokens, "players");
  expectNoRepeats(kLevelTokens, "levels");
}

}  // namespace
}  // namespace ts
