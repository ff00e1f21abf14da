// The map format guide (docs/map-format.md) against the program: its name lists against the
// vocabulary tables, its message table against the console messages, its map-drawing-tool
// character tables against the grid reader, and its complete example against the compiler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/compile.h"
#include "driver/run.h"
#include "format/layouts.h"
#include "model/grammar.h"
#include "model/problems.h"
#include "model/vocabulary.h"
#include "testing/chunk_walker.h"
#include "testing/read_file.h"

namespace ts {
namespace {

constexpr std::string_view kEndMarker = "<!-- end -->";

const std::string& guide() {
  static const std::string text = testing::readSourceFile("docs/map-format.md");
  EXPECT_FALSE(text.empty()) << "docs/map-format.md";
  return text;
}

// The text between `begin` and the next end marker; a test failure when the region is missing
// or opens twice.
std::string region(const std::string& begin) {
  const std::string& doc = guide();
  const std::size_t start = doc.find(begin);
  const std::size_t end = start == std::string::npos ? start : doc.find(kEndMarker, start);
  if (end == std::string::npos) {
    ADD_FAILURE() << "the guide has no region " << begin << " ... " << kEndMarker;
    return {};
  }
  EXPECT_EQ(doc.find(begin, start + 1), std::string::npos) << begin << " opens twice";
  return doc.substr(start + begin.size(), end - start - begin.size());
}

// The trimmed cells of every table row ("| a | b |") of `text`.
std::vector<std::vector<std::string>> tableRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] != '|') continue;
    std::vector<std::string> cells;
    for (std::size_t pos = 1; pos < line.size();) {
      std::size_t bar = line.find('|', pos);
      if (bar == std::string::npos) bar = line.size();
      std::string cell = line.substr(pos, bar - pos);
      cell.erase(0, cell.find_first_not_of(' '));
      cell.erase(cell.find_last_not_of(' ') + 1);
      cells.push_back(cell);
      pos = bar + 1;
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

// The name inside a cell that is exactly one code span.
std::optional<std::string> quoted(const std::string& cell) {
  if (cell.size() < 3 || cell.front() != '`' || cell.back() != '`') return std::nullopt;
  std::string name = cell.substr(1, cell.size() - 2);
  if (name.find('`') != std::string::npos) return std::nullopt;
  return name;
}

// A cell holding exactly one number (decimal or 0x hexadecimal).
std::optional<std::int64_t> number(const std::string& cell) {
  if (cell.empty()) return std::nullopt;
  char* end = nullptr;
  const long long value = std::strtoll(cell.c_str(), &end, 0);
  if (end != cell.c_str() + cell.size()) return std::nullopt;
  return value;
}

// Every (quoted name, number) pair of adjacent cells: one or several entries a row.
std::vector<std::pair<std::string, std::int64_t>> nameEntries(const std::string& text) {
  std::vector<std::pair<std::string, std::int64_t>> entries;
  for (const std::vector<std::string>& cells : tableRows(text)) {
    for (std::size_t i = 0; i + 1 < cells.size(); ++i) {
      const auto name = quoted(cells[i]);
      const auto value = number(cells[i + 1]);
      if (name && value) entries.emplace_back(*name, *value);
    }
  }
  return entries;
}

TEST(MapFormatGuide, NameListsMatchTheVocabularyTables) {
  struct NameList {
    std::string kind;
    std::span<const NameValue> table;
  };
  const NameList lists[] = {
      {"terrains", kTerrainTable}, {"objects", kObjectTable},  {"creatures", kCreatureTable},
      {"doors", kDoorTable},       {"traps", kTrapTable},      {"rooms", kRoomTable},
      {"spells", kSpellTable},     {"players", kPlayerTokens}, {"levels", kLevelTokens},
  };
  for (const NameList& list : lists) {
    SCOPED_TRACE(list.kind + " (regenerate with tunnelsmith-docgen docs/map-format.md)");
    std::map<std::string, std::int64_t> documented;
    for (const auto& [name, value] : nameEntries(region("<!-- names:" + list.kind + " -->"))) {
      EXPECT_TRUE(documented.emplace(name, value).second) << name << " is listed twice";
    }
    for (const NameValue& entry : list.table) {
      const auto it = documented.find(std::string(entry.name));
      if (it == documented.end()) {
        ADD_FAILURE() << entry.name << " is missing from the guide";
      } else {
        EXPECT_EQ(it->second, entry.value) << entry.name;
      }
    }
    for (const auto& entry : documented) {
      const std::string& name = entry.first;
      const bool known = std::any_of(list.table.begin(), list.table.end(),
                                     [&](const NameValue& e) { return e.name == name; });
      EXPECT_TRUE(known) << name << " is in the guide but not in the program";
    }
  }
}

// The guide's tables of trigger kinds, actions and scenario statements name exactly the words the
// grammar has, each with as many operands (written as `<...>` or a switch such as G) as it takes.
TEST(MapFormatGuide, StatementTablesMatchTheGrammar) {
  const struct {
    std::string_view heading;
    std::span<const StatementInfo> words;
  } tables[] = {{"| Trigger | Operands |", triggerWords()},
                {"| Action | Operands |", actionWords()},
                {"| Statement | Effect |", scenarioWords()}};
  const std::string& doc = guide();
  for (const auto& t : tables) {
    SCOPED_TRACE(std::string(t.heading));
    const std::size_t at = doc.find(t.heading);
    ASSERT_NE(at, std::string::npos);
    std::set<std::string> documented;
    for (const std::vector<std::string>& cells :
         tableRows(doc.substr(at, doc.find("\n\n", at) - at))) {
      if (cells.size() < 2 || cells[0].empty() || cells[0][0] != '`') continue;  // the heading
      // The first cell is `WORD` or `WORD <operand> ...`; a second cell of operands may follow.
      std::istringstream words(
          cells[0] + (t.heading.find("Operands") != std::string_view::npos ? " " + cells[1] : ""));
      std::string word;
      words >> word;
      word.erase(std::remove(word.begin(), word.end(), '`'), word.end());
      std::size_t operands = 0;
      for (std::string operand; words >> operand;) ++operands;
      const StatementInfo* info = findStatement(t.words.front().section, word);
      ASSERT_NE(info, nullptr) << word << " is in the guide but not in the grammar";
      // A release is written with its switch and number as one operand pair: G <gate>.
      EXPECT_EQ(operands, info->operands.size()) << word;
      documented.insert(word);
    }
    for (const StatementInfo& s : t.words) {
      if (s.word == kEofWord) continue;
      EXPECT_TRUE(documented.count(std::string(s.word))) << s.word;
    }
  }
}

// Every problem the compiler can print is in the guide's message table: each literal piece of
// its console text (what stands between the arguments) appears there.
TEST(MapFormatGuide, MessageTableHoldsEveryConsoleMessage) {
  const std::string table = region("<!-- messages -->");
  ASSERT_EQ(allProblems().size(), static_cast<std::size_t>(ProblemId::kCount));
  for (const ProblemInfo& info : allProblems()) {
    SCOPED_TRACE(std::string(info.name));
    std::string_view format = info.format;
    // Texts are shown without their line end.
    ASSERT_FALSE(format.empty());
    ASSERT_EQ(format.back(), '\n');
    format.remove_suffix(1);
    for (std::size_t from = 0; from <= format.size();) {
      const std::size_t to = std::min(format.find("{}", from), format.size());
      const std::string piece(format.substr(from, to - from));
      if (!piece.empty()) {
        EXPECT_NE(table.find(piece), std::string::npos)
            << "\"" << piece << "\" is not in the guide";
      }
      from = to + 2;
    }
  }
}

// A level around the given hero bands and triggers; everything else empty.
std::string levelWith(const std::string& bands, const std::string& triggers) {
  return "Lv\nPlayers 1\nSize 4 x 3\nbbbb\nb..b\nbbbb\nMAP_CODES\n2\nb SOLID_ROCK\n"
         ". KPR1_CLAIMED_SQ\nTHINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\nHEARTS_AND_GOLD\n"
         "KPR1_HEART_CENTER 1 1\nHERO_BANDS\n" +
         bands + "AREAS\n0\nHERO_GATES\n0\nTRIGGERS\n" + triggers + "SCENARIO_DESCRIPTION\nEOF\n";
}

std::string repeated(const std::string& text, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

// A documented message text as a pattern: `<...>` in lower case stands for any text.
std::regex messagePattern(const std::string& documented) {
  static const std::regex placeholder("<[a-z][a-z ]*>");
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  std::string pattern;
  std::size_t from = 0;
  for (std::sregex_iterator it(documented.begin(), documented.end(), placeholder), end; it != end;
       ++it) {
    const std::string literal =
        documented.substr(from, static_cast<std::size_t>(it->position()) - from);
    pattern += std::regex_replace(literal, special, R"(\$&)") + ".+";
    from = static_cast<std::size_t>(it->position() + it->length());
  }
  return std::regex(pattern + std::regex_replace(documented.substr(from), special, R"(\$&)"));
}

// One line of a console text without its line end: `index` from the start, or the last line.
std::string consoleLine(const std::string& console, std::size_t index = std::string::npos) {
  std::vector<std::string> lines;
  std::istringstream in(console);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (lines.empty()) return {};
  return lines.at(index == std::string::npos ? lines.size() - 1 : index);
}

std::string compiled(const std::string& map) { return consoleLine(compileMap(map).console); }

std::string ran(const std::vector<std::string>& args, std::size_t index = std::string::npos) {
  std::ostringstream console;
  (void)run(args, console);
  return consoleLine(console.str(), index);
}

// The messages the program spells out itself, outside the message constants.
TEST(MapFormatGuide, ProjectMessagesAreDocumentedAsPrinted) {
  struct Case {
    std::string documented;
    std::string printed;
  };
  const std::string grid = "\nbbbb\nb..b\nbbbb\n";
  const Case cases[] = {
      {"Tunnelsmith version: 1.2", ran({"tunnelsmith"}, 0)},
      {"Syntax is <program> <Map File Name> ", ran({"tunnelsmith"})},
      {"Opening of Map File Failed: <path>", ran({"tunnelsmith", "/nonexistent/map.txt"})},
      {"Level name too long: <name> has <count> characters; at most 34 fit the level file names",
       compiled(std::string(35, 'N') + "\nPlayers 1\nSize 4 x 3" + grid)},
      {"Level name not allowed: <name> holds the character '<character>'; the level files are "
       "named after the level and written into the current folder, so a level name cannot hold "
       "/ or \\",
       compiled("../up\nPlayers 1\nSize 4 x 3" + grid)},
      {"Level name not allowed: <name> holds the control character 0x<hex>; the level files are "
       "named after the level, and a file name with a control character is one the game never "
       "finds",
       compiled("A\x1b\nPlayers 1\nSize 4 x 3" + grid)},
      {"Map too wide: width <width> is above the limit of 999 squares a row for a text map",
       compiled("Lv\nPlayers 1\nSize 1000 x 3" + grid)},
      {"Map too wide: width <width> is above the limit of 499 squares a row for a "
       "map-drawing-tool map",
       compiled("GUI_GENERATED_MAP Lv\nPlayers 1\nSize 500 x 3" + grid)},
      {"Map row <row> is too short: expected <count> characters, found <found>",
       compiled("Lv\nPlayers 1\nSize 4 x 3\nbbbb\nbb\nbbbb\n")},
      {"Map row <row> is too short: expected <count> characters (two a square), found <found>",
       compiled("GUI_GENERATED_MAP Lv\nPlayers 1\nSize 2 x 1\nObO\n")},
      {"Hero band <name> (band <number>) declares <count> members; only the first 16 are kept",
       compiled(levelWith("1\nBig 17 PH\n" + repeated("IMP L1\n", 17), "0\n"))},
      {"Too many triggers: the level needs <count> trigger and action elements, at most 65535 "
       "fit the triggers file",
       compiled(levelWith(
           "0\n", "1\nTRIGGER_TIME 1\n32768\n" + repeated("ACTION_ADD_ROOM P1 LAIR\n", 32768)))},
  };
  const std::string table = region("<!-- messages -->");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.documented);
    EXPECT_NE(table.find("`" + c.documented + "`"), std::string::npos) << "not in the guide";
    EXPECT_TRUE(std::regex_match(c.printed, messagePattern(c.documented))) << c.printed;
  }
}

// The guide's owner and terrain characters, compiled as one map-drawing-tool map with a row per
// owner and a column per terrain character, give the terrain their names spell.
TEST(MapFormatGuide, MapDrawingToolCharactersMatchTheReader) {
  std::vector<std::pair<char, std::string>> owners;
  for (const std::vector<std::string>& cells : tableRows(region("<!-- gui:owners -->"))) {
    const auto c = cells.size() >= 2 ? quoted(cells[0]) : std::nullopt;
    if (!c || c->size() != 1) continue;
    owners.emplace_back((*c)[0], cells[1] == "(none)" ? "" : quoted(cells[1]).value_or("?"));
  }
  std::vector<std::pair<char, std::string>> terrains;
  for (const std::vector<std::string>& cells : tableRows(region("<!-- gui:terrains -->"))) {
    for (std::size_t i = 0; i + 1 < cells.size(); i += 2) {
      const auto c = quoted(cells[i]);
      const auto suffix = quoted(cells[i + 1]);
      if (c && c->size() == 1 && suffix) terrains.emplace_back((*c)[0], *suffix);
    }
  }
  // Keepers 1 to 4, heroes and no owner; the twenty floor and room names and nineteen others.
  ASSERT_EQ(owners.size(), 6u);
  ASSERT_EQ(terrains.size(), 39u);
  owners.emplace_back('N', "NEUTRAL_");      // "any other character"
  terrains.emplace_back('z', "SOLID_ROCK");  // "any character not listed"

  std::string text = "GUI_GENERATED_MAP Gui\nPlayers 1\nSize " + std::to_string(terrains.size()) +
                     " x " + std::to_string(owners.size()) + "\n";
  for (const auto& owner : owners) {
    for (const auto& terrain : terrains) text += std::string{owner.first, terrain.first};
    text += "\n";
  }
  text += "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\nHEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 1\n";
  const CompileResult result = compileMap(text);
  ASSERT_TRUE(result.valid) << result.console;

  const NameMaps names;
  std::string unknownSquares;
  const Bytes& map = result.files[0].bytes;
  for (std::size_t r = 0; r < owners.size(); ++r) {
    for (std::size_t c = 0; c < terrains.size(); ++c) {
      const std::string name = owners[r].second + terrains[c].second;
      const std::string square{owners[r].first, terrains[c].first};
      SCOPED_TRACE(square + " spells " + name);
      std::int32_t code = names.findTerrainCode(name);
      if (code < 0) {
        code = kSolidRockCode;
        unknownSquares += consoleText(Problem{ProblemId::kGuiUnknownSquare, Problem::kNowhere, {}});
      } else {
        code = mapFileCode(code);  // the map file holds markers as HERO_GATE_6
      }
      EXPECT_EQ(ts::testing::u32At(
                    map, layout::kFirstCell + layout::kCellSize * (r * terrains.size() + c)),
                static_cast<std::uint32_t>(code));
    }
  }
  EXPECT_EQ(result.console,
            unknownSquares + consoleText(Problem{ProblemId::kOldMap, Problem::kNowhere, {}}));
}

// The map text of an example region: its lines without the code fences.
std::string exampleText(const std::string& name) {
  std::istringstream in(region("<!-- example:" + name + " -->"));
  std::string text;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("```", 0) != 0) text += line + "\n";
  }
  return text;
}

TEST(MapFormatGuide, CompleteExampleCompilesWithoutMessages) {
  const CompileResult result = compileMap(exampleText("complete"));
  EXPECT_TRUE(result.valid);
  EXPECT_EQ(result.console, "");
}

// A band's name, count and owner are words like any others: spread over lines, or followed by
// a note on the owner's line, the example map's bands give the same level.
TEST(MapFormatGuide, BandsSpreadOverLinesGiveTheSameLevel) {
  std::string map = testing::readExample("lair1.txt");
  const std::string bands = exampleText("bands");
  const std::size_t at = map.find(bands);
  ASSERT_NE(at, std::string::npos) << "the guide's bands are those of lair1.txt";
  const CompileResult written = compileMap(map);
  const CompileResult spread =
      compileMap(map.replace(at, bands.size(), exampleText("bands-spread")));
  ASSERT_TRUE(written.valid);
  EXPECT_TRUE(spread.valid);
  EXPECT_EQ(spread.console, written.console);
  ASSERT_EQ(spread.files.size(), written.files.size());
  for (std::size_t i = 0; i < written.files.size(); ++i) {
    EXPECT_EQ(spread.files[i].bytes, written.files[i].bytes) << written.files[i].name;
  }
}

}  // namespace
}  // namespace ts
