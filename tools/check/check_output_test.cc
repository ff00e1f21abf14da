// The checker's output: source lines and carets, colour, JSON Lines, SARIF, and --fix.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/fixes.h"
#include "analysis/grouping.h"
#include "check_run.h"
#include "fix.h"
#include "render/diagnostics.h"
#include "testing/read_file.h"
#include "tunnelsmith/version.h"

namespace ts::check {
namespace {

using nlohmann::json;

using ts::testing::readFile;

// The example level with `from` replaced by `to`, written to a file of its own.
std::string exampleMap(const std::string& name, std::string_view from, std::string_view to) {
  std::string text = ts::testing::readExample("lair1.txt");
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// The byte offset of a line and column (both from 1) of `text`.
std::size_t offsetOf(std::string_view text, std::size_t line, std::size_t column) {
  const LineIndex lines(text);
  return lines.lineStart(line - 1) + column - 1;
}

// A diagnostic at a line and column of `text`, ending at `endColumn` of that line (0: a place).
Diagnostic diagnostic(std::string_view text, std::size_t line, std::size_t column,
                      std::size_t endColumn, Severity severity, CheckId check,
                      std::string message) {
  Diagnostic d;
  d.span.start = offsetOf(text, line, column);
  d.span.end = endColumn == 0 ? d.span.start : offsetOf(text, line, endColumn);
  d.severity = severity;
  d.check = check;
  d.text = std::move(message);
  return d;
}

Note noteAt(std::string_view text, std::size_t line, std::size_t column, std::string message) {
  const std::size_t at = offsetOf(text, line, column);
  return {{at, at}, std::move(message), std::nullopt};
}

Diagnostic withFix(std::size_t offset, std::size_t length, std::string replacement) {
  Diagnostic d;
  d.severity = Severity::kError;
  d.check = CheckId::kCountTooSmall;
  d.text = "fix at " + std::to_string(offset);
  d.fixes.push_back({offset, length, std::move(replacement)});
  return d;
}

TEST(CheckOutput, SourceLineAndCaretUnderEachPlace) {
  const std::string text = "CREATURES 12\n\tTROL 1 1\nKNIGHT L2\n";
  std::vector<Diagnostic> diagnostics = {
      diagnostic(text, 1, 11, 0, Severity::kWarning, CheckId::kCountTooSmall, "one byte"),
      diagnostic(text, 1, 1, 10, Severity::kError, CheckId::kCountTooLarge, "a range"),
      diagnostic(text, 2, 2, 6, Severity::kError, CheckId::kUnknownCreature, "after a tab"),
  };
  diagnostics.back().notes.push_back(noteAt(text, 3, 8, "the note"));
  diagnostics.back().afterFirstError = true;
  std::ostringstream out;
  const auto renderer = makeRenderer(OutputFormat::kText, out, false);
  renderer->map("m.txt", text, diagnostics);
  renderer->finish(2, 1);
  EXPECT_EQ(out.str(),
            "m.txt:1:11: warning: one byte\nCREATURES 12\n          ^\n"
            "m.txt:1:1: error: a range\nCREATURES 12\n^~~~~~~~~\n"
            "m.txt:2:2: error: after a tab [after first error]\n\tTROL 1 1\n\t^~~~\n"
            "m.txt:3:8: note: the note\nKNIGHT L2\n       ^\n"
            "2 errors, 1 warning\n");

  // A character of several bytes takes one place; a long line is cut around the column.
  EXPECT_EQ(excerpt("\xC3\xA9t\xC3\xA9 X", 7, 0).caret, "    ^");
  const Excerpt cut = excerpt(std::string(300, '#') + "Z", 301, 0);
  EXPECT_EQ(cut.source.substr(0, 3), "...");
  EXPECT_EQ(cut.source.find('Z') + 1, cut.caret.size());
}

TEST(CheckOutput, ColourOnlyWhenAskedOrOnATerminal) {
  const std::string path = exampleMap("colour_map.txt", "TROLL 3 3", "TROL 3 3");
  const struct {
    std::string option;
    OutputContext context;
    bool color;
  } cases[] = {
      {"--color=auto", {false, false}, false}, {"--color=auto", {true, false}, true},
      {"--color=auto", {true, true}, false},   {"--color=always", {false, true}, true},
      {"--color=never", {true, false}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option + (c.context.terminal ? " terminal" : "") +
                 (c.context.noColor ? " NO_COLOR" : ""));
    std::ostringstream out;
    runChecker({"tunnelsmith-check", c.option, path}, out, c.context);
    EXPECT_EQ(out.str().find("\x1b[1;35mwarning:") != std::string::npos, c.color) << out.str();
  }
  // The program itself, its output a pipe.
  FILE* pipe = ::popen((std::string(TUNNELSMITH_CHECK_EXE) + " " + path).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string piped;
  for (int c; (c = std::fgetc(pipe)) != EOF;) piped += static_cast<char>(c);
  ::pclose(pipe);
  EXPECT_NE(piped.find("warning: "), std::string::npos);
  EXPECT_EQ(piped.find("\x1b["), std::string::npos);
  std::remove(path.c_str());
}

// Many problems of one kind: the text shows the first 20 and a note with the number of the rest;
// --all, JSON and SARIF list every one, and the summary counts every one.
TEST(CheckOutput, ManyOfOneKindAreSummedUpInTheText) {
  const auto made = [](std::size_t i, Severity severity, CheckId check) {
    Diagnostic d;
    d.span = {i, i + 1};
    d.severity = severity;
    d.check = check;
    return d;
  };
  struct Case {
    std::size_t rock, errors, kept;
    std::string notes;
  };
  for (const Case& c : std::vector<Case>{
           {20, 0, 20, ""},
           {21, 0, 21, ""},
           {25, 0, 21, "and 5 more creature-in-rock warnings;"},
           {25, 30, 42,
            "and 10 more count-too-small errors;and 5 more creature-in-rock warnings;"}}) {
    SCOPED_TRACE(c.notes);
    std::vector<Diagnostic> all;
    for (std::size_t i = 0; i < std::max(c.rock, c.errors); ++i) {
      if (i < c.errors) all.push_back(made(i, Severity::kError, CheckId::kCountTooSmall));
      if (i < c.rock) all.push_back(made(i, Severity::kWarning, CheckId::kCreatureInRock));
    }
    const std::vector<Diagnostic> shown = grouped(all);
    EXPECT_EQ(shown.size(), c.kept);
    std::string notes;
    for (const Diagnostic& d : shown) {
      if (d.check == CheckId::kMoreOfOneKind) notes += d.text + ";";
    }
    EXPECT_EQ(notes, c.notes);
    EXPECT_EQ(grouped(all, 0).size(), all.size());
  }
  // Kinds are told apart by their identifiers, so no two kinds may share one.
  std::set<std::string_view> identifiers;
  for (std::size_t i = 1; i < static_cast<std::size_t>(CheckId::kCount); ++i) {
    identifiers.insert(infoOf(static_cast<CheckId>(i)).name);
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(ts::ProblemId::kCount); ++i) {
    identifiers.insert(ts::infoOf(static_cast<ts::ProblemId>(i)).name);
  }
  EXPECT_EQ(identifiers.size(), static_cast<std::size_t>(CheckId::kCount) - 1 +
                                    static_cast<std::size_t>(ts::ProblemId::kCount));
  EXPECT_EQ(identifiers.count(""), 0U);
  EXPECT_EQ(withThousands(199980), "199,980");
  EXPECT_EQ(withThousands(1000000), "1,000,000");
  EXPECT_EQ(withThousands(999), "999");

  std::string creatures = "CREATURES\n25\n";
  for (int i = 0; i < 25; ++i) creatures += "TROLL 0 " + std::to_string(i % 10) + " L4 P1\n";
  const std::string path =
      exampleMap("rock.txt", "CREATURES\n2\nTROLL 3 3 L4 P1\nKNIGHT 9 8 L5 PH\n", creatures);
  const auto count = [](const std::string& out, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = out.find(what); at != std::string::npos; at = out.find(what, at + 1)) ++n;
    return n;
  };
  for (const auto& [option, warnings, more] :
       std::vector<std::tuple<std::string, std::size_t, std::size_t>>{
           {"--color=never", 20, 1}, {"--all", 25, 0}, {"--format=json", 25, 0}}) {
    SCOPED_TRACE(option);
    std::ostringstream out;
    EXPECT_EQ(runChecker({"tunnelsmith-check", option, path}, out), 0);
    const std::string text = out.str();
    EXPECT_EQ(count(text, option == "--format=json" ? "creature-in-rock" : "warning: TROLL"),
              warnings);
    EXPECT_EQ(count(text, "and 5 more creature-in-rock warnings"), more);
    if (option != "--format=json") {
      EXPECT_NE(text.find("0 errors, 25 warnings"), std::string::npos);
    }
  }
}

TEST(CheckOutput, JsonLinesOneObjectPerProblem) {
  const std::string text = "a\nbb gate\n\n\n";
  Diagnostic d = diagnostic(text, 2, 3, 7, Severity::kError, CheckId::kGateSquare, "bad \xFF gate");
  d.notes.push_back(noteAt(text, 4, 1, "a gate is here"));
  d.fixes.push_back({10, 2, "EOF\n"});
  d.afterFirstError = true;
  std::ostringstream out;
  const auto renderer = makeRenderer(OutputFormat::kJson, out, true);
  renderer->map("m.txt", text,
                {d, diagnostic(text, 1, 1, 0, Severity::kNote, CheckId::kNone, "n")});
  renderer->fileError("gone.txt", "unreadable-map", "cannot read the map file");
  renderer->finish(2, 0);

  std::istringstream lines(out.str());
  std::vector<json> objects;
  for (std::string line; std::getline(lines, line);) objects.push_back(json::parse(line));
  ASSERT_EQ(objects.size(), 3U);
  EXPECT_EQ(objects[0], json::parse(R"({"path":"m.txt","line":2,"column":3,"endColumn":7,
      "severity":"error","id":"gate-square","message":"bad \ufffd gate",
      "notes":[{"line":4,"column":1,"message":"a gate is here"}],
      "fixes":[{"offset":10,"length":2,"replacement":"EOF\n"}],"afterFirstError":true})"));
  EXPECT_EQ(objects[1]["endColumn"], 2);
  EXPECT_EQ(objects[1]["severity"], "note");
  EXPECT_TRUE(objects[2]["line"].is_null());
  EXPECT_EQ(objects[2]["id"], "unreadable-map");

  // From the command line: no summary line, every line is an object.
  const std::string path = exampleMap("json_map.txt", "TROLL 3 3", "TROL 3 3");
  std::ostringstream cli;
  EXPECT_EQ(runChecker({"tunnelsmith-check", "--format=json", path}, cli), 0);
  const json warning = json::parse(cli.str());
  EXPECT_EQ(warning["line"], 29);
  EXPECT_EQ(warning["severity"], "warning");
  std::remove(path.c_str());
}

TEST(CheckOutput, SarifLogHasTheRequiredFields) {
  const std::string text = "x\n\xC3\xA9\xC3\xA9 GATE 9\n";
  Diagnostic gate = diagnostic(text, 2, 6, 10, Severity::kError, CheckId::kGateSquare, "gate");
  gate.notes.push_back(noteAt(text, 1, 1, "here"));
  gate.fixes.push_back({2, 4, ""});
  std::ostringstream out;
  const auto renderer = makeRenderer(OutputFormat::kSarif, out, false);
  renderer->map(
      "maps/my map.txt", text,
      {gate, diagnostic(text, 1, 1, 0, Severity::kWarning, CheckId::kCountTooSmall, "w")});
  renderer->finish(1, 1);

  const json log = json::parse(out.str());
  EXPECT_EQ(log["version"], "2.1.0");
  EXPECT_TRUE(log.contains("$schema"));
  const json& run = log["runs"][0];
  EXPECT_EQ(run["tool"]["driver"]["name"], "tunnelsmith-check");
  EXPECT_EQ(run["tool"]["driver"]["version"], tunnelsmith::kVersion);
  EXPECT_EQ(run["tool"]["driver"]["rules"],
            json::parse(R"([{"id":"gate-square"},{"id":"count-too-small"}])"));
  ASSERT_EQ(run["results"].size(), 2U);
  const json& result = run["results"][0];
  EXPECT_EQ(result["ruleId"], "gate-square");
  EXPECT_EQ(result["level"], "error");
  EXPECT_EQ(result["message"]["text"], "gate");
  // Columns count characters: two of two bytes each stand before the word.
  EXPECT_EQ(result["locations"][0], json::parse(R"({"physicalLocation":{
      "artifactLocation":{"uri":"maps/my%20map.txt"},
      "region":{"startLine":2,"startColumn":4,"endColumn":8}}})"));
  EXPECT_EQ(result["relatedLocations"][0]["message"]["text"], "here");
  const json& replacement = result["fixes"][0]["artifactChanges"][0]["replacements"][0];
  EXPECT_EQ(replacement["deletedRegion"], json::parse(R"({"byteOffset":2,"byteLength":4})"));
  EXPECT_EQ(run["results"][1]["level"], "warning");
  EXPECT_EQ(run["results"][1]["ruleIndex"], 1);
}

TEST(CheckFix, AppliesEditsThatDoNotClash) {
  const std::string text = "CREATURES\n3\nTROLL\nDOORS \n";
  const struct {
    std::string name;
    std::vector<Diagnostic> diagnostics;
    std::string fixed;
    std::size_t applied, skipped;
  } cases[] = {
      {"apart", {withFix(10, 1, "1"), withFix(23, 1, "")}, "CREATURES\n1\nTROLL\nDOORS\n", 2, 0},
      {"overlapping",
       {withFix(10, 1, "1"), withFix(9, 2, "")},
       "CREATURES\n1\nTROLL\nDOORS \n",
       1,
       1},
      {"same place",
       {withFix(25, 0, "EOF\n"), withFix(25, 0, "EOF\n")},
       "CREATURES\n3\nTROLL\nDOORS \nEOF\n",
       1,
       1},
      {"past the end", {withFix(25, 1, "")}, text, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const FixedText fixed = applyFixes(text, c.diagnostics);
    EXPECT_EQ(fixed.text, c.fixed);
    EXPECT_EQ(fixed.applied.size(), c.applied);
    EXPECT_EQ(fixed.skipped, c.skipped);
  }
  // A diagnostic's edits go together: one clash keeps them all out.
  Diagnostic both = withFix(0, 1, "c");
  both.fixes.push_back({11, 1, ""});
  const FixedText partial = applyFixes(text, {withFix(10, 2, "1\n"), both});
  EXPECT_EQ(partial.text, "CREATURES\n1\nTROLL\nDOORS \n");
  // Each applied fix is noted where its text now stands.
  const FixedText moved = applyFixes(text, {withFix(0, 0, "#\n"), withFix(25, 0, "EOF\n")});
  const std::vector<Diagnostic> notes =
      fixNotes(moved, {withFix(0, 0, "#\n"), withFix(25, 0, "EOF\n")});
  ASSERT_EQ(notes.size(), 2U);
  const TextPlace at = placeOf(LineIndex(moved.text), notes[1].span.start, notes[1].span.end);
  EXPECT_EQ(at.line, 6U);
  EXPECT_EQ(at.column, 1U);
  EXPECT_EQ(at.endColumn, 4U);
  EXPECT_EQ(notes[1].text, "fixed: fix at 25");
}

TEST(CheckFix, RewritesInPlaceKeepingABackupOnlyOnRequest) {
  namespace fs = std::filesystem;
  const std::string dir = ::testing::TempDir() + "check_fix/";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = dir + "map.txt";
  std::string reason;
  std::ofstream(path) << "old";
  ASSERT_TRUE(rewriteMap(path, "old", "new", false, reason)) << reason;
  EXPECT_EQ(readFile(path), "new");
  EXPECT_FALSE(fs::exists(path + ".orig"));
  ASSERT_TRUE(rewriteMap(path, "new", "newer", true, reason)) << reason;
  EXPECT_EQ(readFile(path + ".orig"), "new");
#ifndef _WIN32
  // A link at the map's name is replaced, never written through. (Wine, which runs the Windows
  // build's tests, cannot make links.)
  std::ofstream(dir + "target") << "kept";
  fs::create_symlink(dir + "target", dir + "link.txt");
  ASSERT_TRUE(rewriteMap(dir + "link.txt", "kept", "fixed", false, reason)) << reason;
  EXPECT_EQ(readFile(dir + "target"), "kept");
  EXPECT_FALSE(fs::is_symlink(dir + "link.txt"));
#endif
  for (const auto& entry : fs::directory_iterator(dir)) {
    EXPECT_EQ(entry.path().string().find(".tunnelsmith-tmp."), std::string::npos);
  }

  // A map with nothing to fix is left alone, down to its time stamp.
  const std::string untouched = exampleMap("check_fix/clean.txt", "TROLL 3 3", "TROL 3 3");
  const std::string before = readFile(untouched);
  ::utimbuf old{1000000000, 1000000000};
  ASSERT_EQ(::utime(untouched.c_str(), &old), 0);
  std::ostringstream out;
  EXPECT_EQ(runChecker({"tunnelsmith-check", "--fix", "--backup", untouched}, out), 0);
  EXPECT_EQ(readFile(untouched), before);
  struct stat after {};
  ASSERT_EQ(::stat(untouched.c_str(), &after), 0);
  EXPECT_EQ(after.st_mtime, old.modtime);
  EXPECT_FALSE(fs::exists(untouched + ".orig"));
  std::ostringstream usage;
  EXPECT_EQ(runChecker({"tunnelsmith-check", "--backup", untouched}, usage), 2);
  fs::remove_all(dir);
}

TEST(CheckFix, AMissingEofIsAddedAndTheMapCheckedAgain) {
  const std::string path = exampleMap("no_eof.txt", "EOF\n", "");
  const std::string original = readFile(path);
  const NameMaps names;
  std::ostringstream out;
  EXPECT_EQ(runChecker({"tunnelsmith-check", "--fix", "--backup", path}, out), 0) << out.str();
  EXPECT_NE(out.str().find(": note: fixed: "), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("0 errors"), std::string::npos) << out.str();
  EXPECT_EQ(readFile(path + ".orig"), original);
  EXPECT_TRUE(checkMap(readFile(path), names).empty());
  std::remove(path.c_str());
  std::remove((path + ".orig").c_str());
}

}  // namespace
}  // namespace ts::check
