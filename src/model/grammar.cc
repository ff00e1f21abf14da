#include "model/grammar.h"

#include "model/table_order.h"

namespace ts {

namespace {

using W = WordKind;

constexpr std::array<W, 2> kLegendEntry = {W::kCharacter, W::kTerrain};
constexpr std::array<W, 3> kThingEntry = {W::kObject, W::kX, W::kY};
constexpr std::array<W, 5> kCreatureEntry = {W::kCreature, W::kX, W::kY, W::kLevel, W::kPlayer};
constexpr std::array<W, 5> kDoorEntry = {W::kDoor, W::kX, W::kY, W::kPlayer, W::kLock};
constexpr std::array<W, 4> kTrapEntry = {W::kTrap, W::kX, W::kY, W::kPlayer};
// A band's first line; its members follow, each a creature and a level token.
constexpr std::array<W, 3> kBandEntry = {W::kName, W::kCount, W::kPlayer};
constexpr std::array<W, 2> kBandMember = {W::kCreature, W::kLevel};
constexpr std::array<W, 5> kAreaEntry = {W::kArea, W::kX, W::kY, W::kX, W::kY};
constexpr std::array<W, 3> kGateEntry = {W::kGate, W::kX, W::kY};

// In the order of Section.
constexpr std::array<SectionInfo, kSectionCount> kSections = {{
    {Section::kHeader,
     "",
     false,
     {},
     {},
     "header",
     "three lines: level name, player count, map size"},
    {Section::kGrid,
     "",
     false,
     {},
     {},
     "map row",
     "no keyword: the first non-empty line after the header is the first row"},
    {Section::kMapCodes,
     "MAP_CODES",
     true,
     kLegendEntry,
     {},
     "legend entry",
     "the legend of the grid characters; text mode only"},
    {Section::kThings,
     "THINGS",
     true,
     kThingEntry,
     {},
     "thing",
     "objects and magic items lying on the map"},
    {Section::kCreatures,
     "CREATURES",
     true,
     kCreatureEntry,
     {},
     "creature",
     "creatures standing on the map"},
    {Section::kDoors, "DOORS", true, kDoorEntry, {}, "door", ""},
    {Section::kTraps, "TRAPS", true, kTrapEntry, {}, "trap", ""},
    {Section::kHearts,
     "HEARTS_AND_GOLD",
     false,
     {},
     {},
     "heart centre or gold",
     "each keeper's dungeon-heart centre and starting gold"},
    {Section::kBands, "HERO_BANDS", true, kBandEntry, kBandMember, "hero band",
     "groups of heroes that triggers release; the [old layout](#6-the-old-layout) ends before "
     "this"},
    {Section::kAreas, "AREAS", true, kAreaEntry, {}, "entrance area", "hero entrance areas"},
    {Section::kGates, "HERO_GATES", true, kGateEntry, {}, "hero gate", ""},
    {Section::kTriggers, "TRIGGERS", true, {}, {}, "trigger", "conditions with their actions"},
    {Section::kScenario,
     "SCENARIO_DESCRIPTION",
     false,
     {},
     {},
     "statement",
     "per-keeper settings, ended by the word `EOF`"},
}};

constexpr std::array<W, 2> kSquare = {W::kX, W::kY};
constexpr std::array<W, 1> kAmount = {W::kNumber};
constexpr std::array<W, 2> kPlayerArea = {W::kPlayer, W::kArea};
constexpr std::array<W, 3> kRelease = {W::kBand, W::kSwitch, W::kLocation};
constexpr std::array<W, 2> kAddRoom = {W::kPlayer, W::kRoom};
constexpr std::array<W, 2> kAddDoor = {W::kPlayer, W::kDoor};
constexpr std::array<W, 2> kAddTrap = {W::kPlayer, W::kTrap};
constexpr std::array<W, 2> kAddSpell = {W::kPlayer, W::kSpell};
constexpr std::array<W, 1> kGateNumber = {W::kGate};
constexpr std::array<W, 3> kCreatureCount = {W::kPlayer, W::kCreature, W::kNumber};
constexpr std::array<W, 2> kAvailability = {W::kPlayer, W::kAvailable};

using St = Statement;
using Se = Section;

// In the order of Statement.
constexpr std::array<StatementInfo, kStatementCount> kStatements = {{
    {St::kHeart1, "KPR1_HEART_CENTER", Se::kHearts, kSquare,
     "the centre square of keeper 1's dungeon heart"},
    {St::kHeart2, "KPR2_HEART_CENTER", Se::kHearts, kSquare,
     "the centre square of keeper 2's dungeon heart"},
    {St::kHeart3, "KPR3_HEART_CENTER", Se::kHearts, kSquare,
     "the centre square of keeper 3's dungeon heart"},
    {St::kHeart4, "KPR4_HEART_CENTER", Se::kHearts, kSquare,
     "the centre square of keeper 4's dungeon heart"},
    {St::kGold1, "GOLD1", Se::kHearts, kAmount, "keeper 1's starting gold"},
    {St::kGold2, "GOLD2", Se::kHearts, kAmount, "keeper 2's starting gold"},
    {St::kGold3, "GOLD3", Se::kHearts, kAmount, "keeper 3's starting gold"},
    {St::kGold4, "GOLD4", Se::kHearts, kAmount, "keeper 4's starting gold"},
    {St::kTriggerTime, "TRIGGER_TIME", Se::kTriggers, kAmount,
     "trigger: fires when the time has passed; TRIGGER_TIME <time>"},
    {St::kTriggerSlapCount, "TRIGGER_SLAP_COUNT_EQUALS", Se::kTriggers, kAmount,
     "trigger: fires when the slap count equals the number; TRIGGER_SLAP_COUNT_EQUALS <count>"},
    {St::kTriggerControlArea, "TRIGGER_CONTROL_AREA", Se::kTriggers, kPlayerArea,
     "trigger: fires when the player controls the entrance area; TRIGGER_CONTROL_AREA "
     "<player> <area>"},
    {St::kHeroRelease, "ACTION_HERO_RELEASE", Se::kTriggers, kRelease,
     "action: releases a hero band at a hero gate (G) or an entrance area (A); "
     "ACTION_HERO_RELEASE <band> G|A <number>"},
    {St::kAddRoom, "ACTION_ADD_ROOM", Se::kTriggers, kAddRoom,
     "action: gives the player a room; ACTION_ADD_ROOM <player> <room>"},
    {St::kAddDoor, "ACTION_ADD_DOOR", Se::kTriggers, kAddDoor,
     "action: gives the player a door; ACTION_ADD_DOOR <player> <door>"},
    {St::kAddTrap, "ACTION_ADD_TRAP", Se::kTriggers, kAddTrap,
     "action: gives the player a trap; ACTION_ADD_TRAP <player> <trap>"},
    {St::kAddSpell, "ACTION_ADD_SPELL", Se::kTriggers, kAddSpell,
     "action: gives the player a keeper spell; ACTION_ADD_SPELL <player> <spell>"},
    {St::kDestroyGate, "ACTION_DESTROY_HERO_GATE", Se::kTriggers, kGateNumber,
     "action: destroys a hero gate; ACTION_DESTROY_HERO_GATE <gate>"},
    {St::kCreatureCount, "CREATURE_COUNT", Se::kScenario, kCreatureCount,
     "statement: the keeper's pool holds this many creatures; CREATURE_COUNT <player> "
     "<creature> <count>"},
    {St::kStartWith, "START_WITH", Se::kScenario, kAvailability,
     "statement: available from the start; START_WITH <player> <name>"},
    {St::kMustResearch, "MUST_RESEARCH", Se::kScenario, kAvailability,
     "statement: must be researched first; MUST_RESEARCH <player> <name>"},
    {St::kNo, "NO", Se::kScenario, kAvailability, "statement: not available; NO <player> <name>"},
    {St::kEof, kEofWord, Se::kScenario, {}, "the end of the scenario description and of the level"},
}};

constexpr std::span<const StatementInfo> kAll = kStatements;
constexpr std::span<const StatementInfo> kHearts = kAll.subspan(0, 8);
constexpr std::span<const StatementInfo> kTriggers = kAll.subspan(8, 3);
constexpr std::span<const StatementInfo> kActions = kAll.subspan(11, 6);
constexpr std::span<const StatementInfo> kScenario = kAll.subspan(17, 5);

static_assert(rowsInIdOrder(kStatements, &StatementInfo::id),
              "kStatements must list every Statement in order");

static_assert(rowsInIdOrder(kSections, &SectionInfo::section),
              "kSections must list every Section in order");

}  // namespace

std::string_view placeholderOf(WordKind kind) {
  // In the order of WordKind.
  static constexpr std::array<std::string_view, 23> kPlaceholders = {
      "<keyword>", "<count>", "<character>", "<terrain>", "<object>", "<creature>",
      "<door>",    "<trap>",  "<room>",      "<spell>",   "<name>",   "<x>",
      "<y>",       "<level>", "<player>",    "<lock>",    "<name>",   "<band>",
      "<area>",    "<gate>",  "G|A",         "<number>",  "<number>"};
  static_assert(kPlaceholders.size() == static_cast<std::size_t>(WordKind::kNumber) + 1);
  return kPlaceholders[static_cast<std::size_t>(kind)];
}

std::span<const SectionInfo> sections() { return kSections; }

const SectionInfo& sectionInfo(Section section) {
  return kSections[static_cast<std::size_t>(section)];
}

std::optional<Section> sectionOfKeyword(std::string_view word) {
  for (const SectionInfo& s : kSections) {
    if (!s.keyword.empty() && s.keyword == word) return s.section;
  }
  return std::nullopt;
}

const StatementInfo& statementInfo(Statement id) {
  return kStatements[static_cast<std::size_t>(id)];
}

std::span<const StatementInfo> heartsWords() { return kHearts; }
std::span<const StatementInfo> triggerWords() { return kTriggers; }
std::span<const StatementInfo> actionWords() { return kActions; }
std::span<const StatementInfo> scenarioWords() { return kScenario; }

const StatementInfo* findStatement(Section section, std::string_view word) {
  for (const StatementInfo& s : kStatements) {
    if (s.section == section && s.word == word) return &s;
  }
  return nullptr;
}

}  // namespace ts
