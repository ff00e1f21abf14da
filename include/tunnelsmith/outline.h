// The structure of a map text as the compiler reads it, for editors and level tools: its
// sections, every entry with its words and what each word was read as, the grid with the terrain
// of each square, the squares that placements, gates and areas stand on, and the numbers in
// triggers that name a hero band, an entrance area or a hero gate, with the entry they name.
// Taken from the same reading that checks the map, so it never disagrees with the compiler: a
// text with mistakes gives what was read of it. Nothing here reads or writes a file.
//
// The results are plain values that own their data. Every function may be called from several
// threads at once; none throws (a failure inside the library gives an empty outline).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tunnelsmith/check.h"

namespace tunnelsmith {

// The sections of a map text, in the order they are read.
enum class SectionKind : std::uint8_t {
  kHeader,
  kGrid,
  kMapCodes,
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

// What a word of an entry was read as.
enum class WordKind : std::uint8_t {
  kKeyword,    // the word that starts a statement: KPR1_HEART_CENTER, TRIGGER_TIME, NO, ...
  kCount,      // how many members or actions follow
  kCharacter,  // a grid character (MAP_CODES)
  kTerrain,
  kObject,
  kCreature,
  kDoor,
  kTrap,
  kRoom,
  kSpell,
  kAvailable,  // a room, door, trap or keeper spell name (scenario statements)
  kX,          // a column, from 0
  kY,          // a row, from 0
  kLevel,      // L1 to L10
  kPlayer,     // P1 to P4, PH, PN
  kLock,       // a door's lock flag
  kName,       // a hero band's name
  kBand,       // a hero band's number
  kArea,       // an entrance area's number
  kGate,       // a hero gate's number
  kSwitch,     // G or A
  kLocation,   // the number of the gate or area the switch names
  kNumber,     // a time, a slap count, an amount
};

// "keyword", "x", "player", ...: a word kind's name, as the C interface writes it.
[[nodiscard]] std::string_view wordKindName(WordKind kind);
// "MAP_CODES", ..., and "header" and "grid" for the two sections without a keyword.
[[nodiscard]] std::string_view sectionName(SectionKind kind);

struct OutlineWord {
  WordKind kind;
  Span span;
};

// The squares [left, right] x [top, bottom] an entry covers.
struct SquareRange {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

struct OutlineEntry {
  SectionKind section;
  std::size_t number = 0;  // from 1, within its section
  Span span;               // from its first word to its last
  std::vector<OutlineWord> words;
  // The square a placement, a heart centre or a gate names.
  std::optional<Square> square;
  // The squares an entrance area covers, or a gate's extent on the grid (as the compiler widens
  // a HERO_GATE_3 gate), when the reading found them.
  std::optional<SquareRange> covers;
};

struct OutlineSection {
  SectionKind section;
  Span keyword;                // empty for the header and the grid
  Span span;                   // from its keyword's line to the next section's
  std::optional<Span> count;   // the number of entries, for the counted sections
  std::size_t firstEntry = 0;  // into Outline::entries
  std::size_t entryCount = 0;
};

// A number in a trigger that names an entry: "1" in ACTION_HERO_RELEASE 1 G 2 names hero band 1.
struct CrossReference {
  SectionKind target;  // kBands, kAreas or kGates
  std::int32_t number = 0;
  Span span;
  std::optional<std::size_t> entry;  // into Outline::entries; empty when no such entry was read
};

struct OutlineGrid {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool twoCharacters = false;          // the map-drawing tool's format: two characters a square
  std::vector<std::size_t> rowStarts;  // where each row that was read starts in the text
  // The terrain code the compiler writes for each square, row 0 first; empty unless every row was
  // read. 0x01010101 for a character without terrain.
  std::vector<std::uint32_t> terrain;
};

struct Outline {
  std::string levelName;
  std::int32_t players = 0;
  OutlineGrid grid;
  std::vector<OutlineSection> sections;  // in the order of the text
  std::vector<OutlineEntry> entries;     // grouped by section, in the order of the text
  std::vector<CrossReference> references;
};

// The outline of `mapText` (the whole contents of a map file). Spans count from its first byte.
[[nodiscard]] Outline outlineMap(std::string_view mapText);

}  // namespace tunnelsmith
