// Writes the name lists of the map format guide from the compiler's own vocabulary tables.
//   tunnelsmith-docgen         prints every list between its markers
//   tunnelsmith-docgen FILE    rewrites each "<!-- names:KIND -->" ... "<!-- end -->" region
//                              of FILE (normally docs/map-format.md) in place
// Exit status 0 on success, 1 when a region is missing or the file cannot be written, 2 for a
// usage error or a file that cannot be read.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"
#include "model/vocabulary.h"
#include "tool_cli.h"

namespace {

using ts::NameValue;

constexpr std::string_view kEndMarker = "<!-- end -->";

constexpr std::string_view kHelp =
    "Usage: tunnelsmith-docgen [GUIDE]\n"
    "Prints the map format guide's name lists (terrains, objects, creatures, doors, traps,\n"
    "rooms, spells, players, level tokens) from the compiler's own tables, each between its\n"
    "markers; with GUIDE (normally docs/map-format.md), rewrites each\n"
    "\"<!-- names:KIND -->\" ... \"<!-- end -->\" region of that file in place.\n"
    "\n"
    "  --help       this text\n"
    "  --version    the version of Tunnelsmith\n"
    "\n"
    "Exit status: 0 success (printed, rewritten or already up to date); 1 a region is missing\n"
    "or the file cannot be written; 2 usage error or a file that cannot be read.\n";

std::string quoted(std::string_view name) { return "`" + std::string(name) + "`"; }

std::string hex8(std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::string playerName(std::int32_t player) {
  switch (player) {
    case ts::kHeroPlayer:
      return "the heroes (the good player)";
    case ts::kNeutralPlayer:
      return "the neutral player";
    default:
      return "Keeper " + std::to_string(player - ts::kFirstKeeperPlayer + 1);
  }
}

// The owner byte of a terrain code, as a name and its number.
std::string ownerText(std::int32_t player) {
  switch (player) {
    case ts::kHeroPlayer:
      return "hero (1)";
    case ts::kNeutralPlayer:
      return "neutral (2)";
    default:
      return playerName(player) + " (" + std::to_string(player) + ")";
  }
}

// One terrain a row: its code, then the terrain id and the owner the code's bytes hold.
std::string terrains() {
  std::string out = "| Name | Code | Terrain id | Owner |\n|---|---|---|---|\n";
  for (const NameValue& entry : ts::kTerrainTable) {
    const auto code = static_cast<std::uint32_t>(entry.value);
    if ((code >> 24) == 0) {  // the hero gate markers are whole values
      out += "| " + quoted(entry.name) + " | " + std::to_string(entry.value) +
             " | gate marker, written as `HERO_GATE_6` | hero |\n";
      continue;
    }
    out += "| " + quoted(entry.name) + " | " + hex8(entry.value) + " | " +
           std::to_string(ts::terrainIdOf(entry.value)) + " | " +
           ownerText(ts::ownerOf(entry.value)) + " |\n";
  }
  return out;
}

// `columns` (name, value) pairs a row, in the table's stored order.
std::string grid(std::span<const NameValue> table, std::size_t columns, std::string_view name,
                 std::string_view value) {
  std::string out = "|";
  for (std::size_t c = 0; c < columns; ++c) {
    out += " " + std::string(name) + " | " + std::string(value) + " |";
  }
  out += "\n|";
  for (std::size_t c = 0; c < columns; ++c) out += "---|---|";
  out += "\n";
  for (std::size_t row = 0; row * columns < table.size(); ++row) {
    out += "|";
    for (std::size_t c = 0; c < columns; ++c) {
      const std::size_t i = row * columns + c;
      if (i < table.size()) {
        out += " " + quoted(table[i].name) + " | " + std::to_string(table[i].value) + " |";
      } else {
        out += "  |  |";
      }
    }
    out += "\n";
  }
  return out;
}

std::string players() {
  std::string out = "| Token | Player | Meaning |\n|---|---|---|\n";
  for (const NameValue& entry : ts::kPlayerTokens) {
    out += "| " + quoted(entry.name) + " | " + std::to_string(entry.value) + " | " +
           playerName(entry.value) + " |\n";
  }
  return out;
}

struct List {
  std::string_view kind;
  std::string text;
};

std::array<List, 9> lists() {
  return {{
      {"terrains", terrains()},
      {"objects", grid(ts::kObjectTable, 3, "Name", "Id")},
      {"creatures", grid(ts::kCreatureTable, 3, "Name", "Id")},
      {"doors", grid(ts::kDoorTable, 2, "Name", "Id")},
      {"traps", grid(ts::kTrapTable, 2, "Name", "Id")},
      {"rooms", grid(ts::kRoomTable, 3, "Name", "Id")},
      {"spells", grid(ts::kSpellTable, 2, "Name", "Id")},
      {"players", players()},
      {"levels", grid(ts::kLevelTokens, 5, "Token", "Level")},
  }};
}

std::string beginMarker(std::string_view kind) {
  return "<!-- names:" + std::string(kind) + " -->";
}

// Replaces the text between each list's markers; false after saying which region is missing.
bool rewrite(std::string& doc, const std::array<List, 9>& all) {
  for (const List& list : all) {
    const std::string begin = beginMarker(list.kind);
    const std::size_t start = doc.find(begin);
    const std::size_t end =
        start == std::string::npos ? std::string::npos : doc.find(kEndMarker, start);
    if (end == std::string::npos) {
      std::cout << "no region " << begin << " ... " << kEndMarker << "\n";
      return false;
    }
    const std::size_t from = start + begin.size();
    doc.replace(from, end - from, "\n" + list.text);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  if (ts::cli::answersHelpOrVersion(args, "tunnelsmith-docgen", kHelp, std::cout)) {
    return ts::cli::kSuccess;
  }
  const std::array<List, 9> all = lists();
  if (argc == 1) {
    for (const List& list : all) {
      std::cout << beginMarker(list.kind) << "\n" << list.text << kEndMarker << "\n\n";
    }
    return 0;
  }
  if (argc != 2 || (args[1].size() > 1 && args[1][0] == '-')) {
    std::cout << "Syntax is " << argv[0] << " [guide file] (--help explains)\n";
    return ts::cli::kUsage;
  }
  std::string doc;
  if (!ts::readWholeFile(argv[1], doc)) {
    std::cout << "cannot read " << argv[1] << "\n";
    return ts::cli::kUsage;
  }
  const std::string before = doc;
  if (!rewrite(doc, all)) return ts::cli::kProblems;
  if (doc == before) {
    std::cout << argv[1] << " is up to date\n";
    return 0;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << doc;
  out.close();
  if (!out) {
    std::cout << "cannot write " << argv[1] << "\n";
    return ts::cli::kProblems;
  }
  std::cout << "rewrote the name lists of " << argv[1] << "\n";
  return 0;
}
