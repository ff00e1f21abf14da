// The words a map text may use, each with the value the game knows it by: terrain names with
// their terrain codes, creature, object, door, trap, room and keeper spell names with their
// identifiers, the player (PH, PN, P1..P4) and level (L1..L10) tokens, and the grammar's
// section keywords and statement words. For editors' completion, highlighting, palettes and
// documentation. Link Tunnelsmith::tunnelsmith to use it.
//
// vocabulary() may be called from several threads at once and never throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tunnelsmith {

struct NamedValue {
  std::string name;  // as the map text writes it, upper case: "KNIGHT"
  std::int32_t value = 0;
};

// A word that starts a statement inside a section, with the words that follow it as the guide
// writes them ("<player>", "G|A") and what it does.
struct StatementWord {
  std::string word;     // "ACTION_HERO_RELEASE"
  std::string section;  // the keyword of its section: "TRIGGERS"
  std::vector<std::string> operands;
  std::string summary;
};

// Each list in the compiler's own order.
struct Vocabulary {
  // Terrain codes: the terrain id in the lowest byte, the owner player in the next, two flag
  // bytes set; the hero gate markers are whole values.
  std::vector<NamedValue> terrains;
  std::vector<NamedValue> creatures;
  std::vector<NamedValue> objects;  // TH_ objects, then MI_ magic items
  std::vector<NamedValue> doors;
  std::vector<NamedValue> traps;
  std::vector<NamedValue> rooms;
  std::vector<NamedValue> spells;   // keeper spells
  std::vector<NamedValue> players;  // PH 1 (heroes), PN 2 (neutral), P1..P4 3..6
  std::vector<NamedValue> levels;   // L1..L10 1..10
  // The grammar: the section keywords in the order they are read, and the statement words
  // (hearts and gold, trigger kinds, actions, scenario statements and EOF).
  std::vector<std::string> sections;
  std::vector<StatementWord> statements;
};

[[nodiscard]] Vocabulary vocabulary();

}  // namespace tunnelsmith
