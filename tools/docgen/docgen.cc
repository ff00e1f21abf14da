// Writes what the guide and the editor grammar take from the compiler's own tables: the guide's
// name lists and its table of sections, and the editor grammar's keyword patterns.
//   tunnelsmith-docgen                 prints every generated region between its markers
//   tunnelsmith-docgen FILE...         rewrites the generated parts of each FILE in place: the
//                                      "<!-- names:KIND -->" ... "<!-- end -->" regions of the
//                                      guide (docs/map-format.md), the keyword patterns of an
//                                      editor grammar (a .json file)
//   tunnelsmith-docgen --check FILE... says which FILE is out of date, changing nothing
// Exit status 0 on success, 1 when a region is missing, a file cannot be written or (with
// --check) is out of date, 2 for a usage error or a file that cannot be read.
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
#include "model/grammar.h"
#include "model/vocabulary.h"
#include "options.h"
#include "tool_cli.h"

namespace {

using ts::NameValue;

constexpr std::string_view kEndMarker = "<!-- end -->";

constexpr std::string_view kHelp =
    "Usage: tunnelsmith-docgen [--check] [FILE]...\n"
    "Prints the map format guide's generated regions (the sections and their entries; the\n"
    "terrains, objects, creatures, doors, traps, rooms, spells, players and level tokens) from\n"
    "the compiler's own tables, each between its markers. With FILEs, rewrites them in place:\n"
    "a guide (normally docs/map-format.md) region by region, \"<!-- names:KIND -->\" ...\n"
    "\"<!-- end -->\"; an editor grammar (a .json file, normally\n"
    "editors/vscode/syntaxes/tunnelsmith-map.tmLanguage.json) its keyword patterns.\n"
    "\n"
    "  --check      change nothing; say which file is out of date\n"
    "  --help       this text\n"
    "  --version    the version of Tunnelsmith\n"
    "\n"
    "Exit status: 0 success (printed, rewritten or already up to date); 1 a region is missing,\n"
    "a file cannot be written or (with --check) a file is out of date; 2 usage error or a file\n"
    "that cannot be read.\n";

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
  const std::string name = player == ts::kHeroPlayer      ? "hero"
                           : player == ts::kNeutralPlayer ? "neutral"
                                                          : playerName(player);
  return name + " (" + std::to_string(player) + ")";
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

// The sections in the order they are read, with the words of their entries.
std::string sectionTable() {
  std::string out = "| # | Section | Entry | Notes |\n|---|---|---|---|\n";
  std::size_t n = 0;
  for (const ts::SectionInfo& s : ts::sections()) {
    std::string entry;
    for (ts::WordKind w : s.entry)
      entry += (entry.empty() ? "" : " ") + std::string(ts::placeholderOf(w));
    if (!s.member.empty()) {
      entry += ", then per member";
      for (ts::WordKind w : s.member) entry += " " + std::string(ts::placeholderOf(w));
    }
    const std::string name = s.keyword.empty()
                                 ? std::string(s.what == "header" ? "header" : "map rows")
                                 : quoted(s.keyword);
    out += "| " + std::to_string(++n) + " | " + name + " | " +
           (entry.empty() ? "" : "`" + entry + "`") + " | " + std::string(s.about) + " |\n";
  }
  return out;
}

struct List {
  std::string_view kind;
  std::string text;
};

std::vector<List> lists() {
  return {{
      {"sections", sectionTable()},
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
bool rewrite(std::string& doc, const std::vector<List>& all) {
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

// The editor grammar's keyword patterns, each by the scope name it gives its words: the section
// keywords alone on their line, and the words that start a statement as whole words.
struct Pattern {
  std::string_view scope;
  std::string match;
};

std::string alternatives(std::span<const ts::StatementInfo> statements) {
  std::string out;
  for (const ts::StatementInfo& s : statements) {
    if (s.word == ts::kEofWord) continue;
    out += (out.empty() ? "" : "|") + std::string(s.word);
  }
  return out;
}

std::vector<Pattern> patterns() {
  constexpr std::string_view kBefore = "(?<![^\\s])";
  constexpr std::string_view kAfter = "(?![^\\s])";
  std::string sections;
  for (const ts::SectionInfo& s : ts::sections()) {
    if (!s.keyword.empty()) sections += (sections.empty() ? "" : "|") + std::string(s.keyword);
  }
  auto word = [&](const std::string& words) {
    return std::string(kBefore) + "(" + words + ")" + std::string(kAfter);
  };
  return {
      {"keyword.control.section.tunnelsmith-map", "^(" + sections + ")$"},
      {"keyword.control.trigger.tunnelsmith-map", word(alternatives(ts::triggerWords()))},
      {"keyword.control.action.tunnelsmith-map", word(alternatives(ts::actionWords()))},
      {"keyword.other.statement.tunnelsmith-map", word(alternatives(ts::scenarioWords()))},
      {"keyword.control.end.tunnelsmith-map", word(std::string(ts::kEofWord))},
      {"variable.other.property.tunnelsmith-map", word(alternatives(ts::heartsWords()))},
      {"keyword.other.format.tunnelsmith-map",
       "^" + std::string(ts::kGuiWord) + std::string(kAfter)},
  };
}

// Replaces the "match" of each pattern, found as the line before its "name"; false after saying
// which pattern is missing.
bool rewriteGrammar(std::string& json) {
  for (const Pattern& p : patterns()) {
    const std::string name = "\"name\": \"" + std::string(p.scope) + "\"";
    const std::size_t at = json.find(name);
    const std::size_t match = at == std::string::npos ? at : json.rfind("\"match\": \"", at);
    if (match == std::string::npos) {
      std::cout << "no pattern named " << p.scope << "\n";
      return false;
    }
    const std::size_t from = match + 10;
    const std::size_t end = json.find("\",\n", from);
    // In JSON a backslash is written twice.
    std::string escaped;
    for (char c : p.match) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    json.replace(from, end - from, escaped);
  }
  return true;
}

enum class Update {
  kDone,        // up to date, or rewritten
  kOutOfDate,   // with --check
  kUnreadable,  // ends the run
  kFailed,      // a region is missing or the file cannot be written; ends the run
};

// Brings the generated parts of `file` up to date, or with `check` only says whether they are.
Update update(const std::string& file, const std::vector<List>& all, bool check) {
  std::string doc;
  if (!ts::readWholeFile(file, doc)) {
    std::cout << "cannot read " << file << "\n";
    return Update::kUnreadable;
  }
  const std::string before = doc;
  const bool grammar = file.ends_with(".json");
  if (!(grammar ? rewriteGrammar(doc) : rewrite(doc, all))) return Update::kFailed;
  if (doc == before) {
    std::cout << file << " is up to date\n";
    return Update::kDone;
  }
  if (check) {
    std::cout << file << " is out of date: run tunnelsmith-docgen " << file << "\n";
    return Update::kOutOfDate;
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << doc;
  out.close();
  if (!out) {
    std::cout << "cannot write " << file << "\n";
    return Update::kFailed;
  }
  std::cout << "rewrote the generated parts of " << file << "\n";
  return Update::kDone;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  if (ts::cli::answersHelpOrVersion(args, "tunnelsmith-docgen", kHelp, std::cout)) {
    return ts::cli::kSuccess;
  }
  const std::vector<List> all = lists();
  bool check = false;
  std::vector<std::string> files;
  std::string error;
  if (!ts::cli::OptionParser().flag("--check", check).parse(args, files, error)) {
    std::cout << error << "\nSyntax is " << argv[0] << " [--check] [FILE]... (--help explains)\n";
    return ts::cli::kUsage;
  }
  if (files.empty()) {
    if (check) {
      std::cout << "Syntax is " << argv[0] << " [--check] [FILE]... (--help explains)\n";
      return ts::cli::kUsage;
    }
    for (const List& list : all) {
      std::cout << beginMarker(list.kind) << "\n" << list.text << kEndMarker << "\n\n";
    }
    return ts::cli::kSuccess;
  }
  int status = ts::cli::kSuccess;
  for (const std::string& file : files) {
    switch (update(file, all, check)) {
      case Update::kDone:
        break;
      case Update::kOutOfDate:
        status = ts::cli::kProblems;
        break;
      case Update::kUnreadable:
        return ts::cli::kUsage;
      case Update::kFailed:
        return ts::cli::kProblems;
    }
  }
  return status;
}
