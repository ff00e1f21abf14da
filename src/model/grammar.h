// The grammar of a map text, in one place: its sections in the order they are read, the words of
// each section's entries, and the words that start a statement inside a section (hearts and
// gold, trigger conditions, actions, scenario statements), with the words that follow them. The
// reader reads by these tables; the checker, the language server, the decompiler's text writer,
// the editor grammar and the guide take their words from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace ts {

// The sections of a map text, in the order they are read.
enum class Section : std::uint8_t {
  kHeader,    // level name, player count, size
  kGrid,      // the map rows, with no keyword before them
  kMapCodes,  // the legend (text maps only)
  kThings,
  kCreatures,
  kDoors,
  kTraps,
  kHearts,
  kBands,
  kAreas,
  kGates,
  kTriggers,
  kScenario,
};
inline constexpr std::size_t kSectionCount = 13;

// What a word of an entry or statement stands for.
enum class WordKind : std::uint8_t {
  kKeyword,    // the word that starts a statement: KPR1_HEART_CENTER, TRIGGER_TIME, NO, ...
  kCount,      // how many entries, members or actions follow
  kCharacter,  // a grid character
  kTerrain,    // a terrain name
  kObject,     // an object or magic item name
  kCreature,   // a creature name
  kDoor,       // a door name
  kTrap,       // a trap name
  kRoom,       // a room name
  kSpell,      // a keeper spell name
  kAvailable,  // a room, door, trap or keeper spell name
  kX,          // a column, from 0
  kY,          // a row, from 0
  kLevel,      // an experience level token, L1 to L10
  kPlayer,     // a player token, P1 to P4, PH or PN
  kLock,       // a door's lock flag, L for locked
  kName,       // a hero band's name
  kBand,       // a hero band's number, from 1
  kArea,       // an entrance area's number, from 1
  kGate,       // a hero gate's number, from 1
  kSwitch,     // G (at a hero gate) or A (at an entrance area)
  kLocation,   // the number of the gate or area the switch names
  kNumber,     // a plain number: a time, a slap count, an amount
};

// How the guide writes a word of a kind: "<x>", "<player>", "G|A".
[[nodiscard]] std::string_view placeholderOf(WordKind kind);

struct SectionInfo {
  Section section;
  std::string_view keyword;          // empty for the header and the grid
  bool counted;                      // the keyword is followed by the number of entries
  std::span<const WordKind> entry;   // the words of every entry, when all have the same
  std::span<const WordKind> member;  // the words of each member that follows an entry's words
  std::string_view what;             // what one entry is, "hero gate"
  std::string_view about;            // what the section holds, for the guide
};

// Every section, in the order of Section.
[[nodiscard]] std::span<const SectionInfo> sections();
[[nodiscard]] const SectionInfo& sectionInfo(Section section);
[[nodiscard]] inline std::string_view keywordOf(Section section) {
  return sectionInfo(section).keyword;
}
// The section whose keyword is exactly `word`.
[[nodiscard]] std::optional<Section> sectionOfKeyword(std::string_view word);

// The words that start a statement inside a section.
enum class Statement : std::uint8_t {
  kHeart1,  // KPR1_HEART_CENTER, and the three others in keeper order
  kHeart2,
  kHeart3,
  kHeart4,
  kGold1,  // GOLD1, and the three others in keeper order
  kGold2,
  kGold3,
  kGold4,
  kTriggerTime,
  kTriggerSlapCount,
  kTriggerControlArea,
  kHeroRelease,
  kAddRoom,
  kAddDoor,
  kAddTrap,
  kAddSpell,
  kDestroyGate,
  kCreatureCount,
  kStartWith,
  kMustResearch,
  kNo,
  kEof,
};
inline constexpr std::size_t kStatementCount = 22;

// A word that starts a statement inside a section, and the words that follow it.
struct StatementInfo {
  Statement id;
  std::string_view word;
  Section section;
  std::span<const WordKind> operands;
  std::string_view summary;  // what it does, as the editor shows it on hover
};

[[nodiscard]] const StatementInfo& statementInfo(Statement id);
[[nodiscard]] inline std::string_view wordOf(Statement id) { return statementInfo(id).word; }
// The statements of one kind, in the order of Statement.
[[nodiscard]] std::span<const StatementInfo> heartsWords();    // KPR1_HEART_CENTER, GOLD1, ...
[[nodiscard]] std::span<const StatementInfo> triggerWords();   // TRIGGER_TIME, ...
[[nodiscard]] std::span<const StatementInfo> actionWords();    // ACTION_HERO_RELEASE, ...
[[nodiscard]] std::span<const StatementInfo> scenarioWords();  // CREATURE_COUNT, ..., EOF
// The statement that `word` starts in `section`, or null.
[[nodiscard]] const StatementInfo* findStatement(Section section, std::string_view word);

// The word before the level name that marks a map written by the map-drawing tool, whose squares
// are two characters each (owner, terrain) and which has no MAP_CODES legend.
inline constexpr std::string_view kGuiWord = "GUI_GENERATED_MAP";
// The word that ends the scenario description and the level.
inline constexpr std::string_view kEofWord = "EOF";

// The map-drawing tool's squares. The owner character gives the prefix of the terrain name:
// 1 to 4 a keeper's (KPR1_ ...), H the heroes' (HERO_), O none; any other character is
// neutral (NEUTRAL_). The terrain character gives the rest of the name.
struct GuiOwner {
  char character;
  std::string_view prefix;
};
inline constexpr std::array<GuiOwner, 7> kGuiOwners = {{{'1', "KPR1_"},
                                                        {'2', "KPR2_"},
                                                        {'3', "KPR3_"},
                                                        {'4', "KPR4_"},
                                                        {'H', "HERO_"},
                                                        {'O', ""},
                                                        {'N', "NEUTRAL_"}}};
// Owned floors and rooms, A to T.
inline constexpr std::array<std::string_view, 20> kGuiOwnedTerrains = {
    "CLAIMED_SQ", "OWNED_ROCK", "TREASURY", "LAIR",       "PORTAL",   "HATCHERY", "HEART",
    "LIBRARY",    "TRAINING",   "WOOD_BR",  "GUARD_RM",   "WORKSHOP", "PRISON",   "TORTURE",
    "TEMPLE",     "GRAVEYARD",  "CASINO",   "COMBAT_PIT", "STONE_BR", "MANA"};
// Terrain without an owner, a to s.
inline constexpr std::array<std::string_view, 19> kGuiPlainTerrains = {
    "MAP_BORDER",  "SOLID_ROCK",  "ROCK",        "UNCLAIMED",   "WATER",
    "LAVA",        "GOLD",        "GEMS",        "HERO_GATE_1", "HERO_GATE_2",
    "HERO_GATE_3", "HERO_GATE_4", "HERO_GATE_5", "HERO_GATE_6", "HERO_REST_AREA",
    "HERO_GATE_7", "HERO_GATE_8", "HERO_GATE_9", "HERO_GATE_10"};

// The part of a terrain name a terrain character gives; any other character is SOLID_ROCK.
[[nodiscard]] constexpr std::string_view guiTerrainSuffix(char c) {
  if (c >= 'A' && c <= 'T') return kGuiOwnedTerrains[static_cast<std::size_t>(c - 'A')];
  if (c >= 'a' && c <= 's') return kGuiPlainTerrains[static_cast<std::size_t>(c - 'a')];
  return "SOLID_ROCK";
}

}  // namespace ts
