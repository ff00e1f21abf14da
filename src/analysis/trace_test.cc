// One reading: what the checker's outline holds of a map is exactly what the reader consumed, and
// the fixes it offers for a map the compiler accepts change nothing the compiler read. Over the
// examples, the broken maps of the golden set, the fuzzer's findings and a large generated map.
#include "analysis/trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "analysis/check.h"
#include "analysis/fixes.h"
#include "analysis/grouping.h"
#include "testing/large_map.h"

namespace ts::check {
namespace {

namespace fs = std::filesystem;

std::vector<std::pair<std::string, std::string>> maps() {
  std::vector<std::pair<std::string, std::string>> out;
  // The fuzzer's findings too: each made the checker's reading disagree with the reader's once.
  for (const char* folder : {"examples", "tests/golden/check", "fuzz/regressions/check_fuzzer"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(TUNNELSMITH_SOURCE_DIR) / folder)) {
      if (!entry.is_regular_file()) continue;
      if (entry.path().extension() != ".txt" && entry.path().extension() != "") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      out.emplace_back(entry.path().filename().string(),
                       std::string(std::istreambuf_iterator<char>(in), {}));
    }
  }
  // A band that counts one member more than it lists reads the next keyword as a creature's
  // name, and the reader then finds that keyword in the word it has just read.
  const auto quartet = std::find_if(out.begin(), out.end(),
                                    [](const auto& m) { return m.first == "quartet_gui.txt"; });
  if (quartet != out.end()) {
    std::string text = quartet->second;
    const std::string band = "Raiders 3 PH\nKNIGHT L4\n";
    if (const std::size_t at = text.find(band); at != std::string::npos) {
      out.emplace_back("band-takes-next-keyword", text.replace(at, band.size(), "Raiders 3 L4\n"));
    }
  }
  testing::LargeMapShape shape;
  shape.width = 200;
  shape.height = 150;
  shape.creatures = 3000;
  shape.triggers = 500;
  out.emplace_back("generated", testing::largeMapText(shape));
  return out;
}

TEST(OneReading, TheTraceIsWhatTheReaderReadAndFixesKeepIt) {
  static const NameMaps names;
  std::size_t entries = 0;
  for (const auto& [name, text] : maps()) {
    SCOPED_TRACE(name);
    const MapAnalysis analysis = analyseMap(text, names);
    EXPECT_EQ(traceProblem(text, analysis.trace, analysis.level, names), "");
    entries += analysis.trace.entries.size();
    if (!analysis.level.isValid) continue;
    // A level that is read whole: each counted section's count is what the reader took.
    for (const TraceSection& s : analysis.trace.sections) {
      if (!sectionInfo(s.section).counted || s.countAt == static_cast<std::size_t>(-1)) continue;
      const long count = std::strtol(text.c_str() + s.countAt, nullptr, 0);
      EXPECT_EQ(static_cast<long>(s.entryCount), std::max(count, 0L)) << keywordOf(s.section);
    }
    const FixedText fixed = applyFixes(text, analysis.diagnostics);
    const MapAnalysis after = analyseMap(fixed.text, names);
    EXPECT_EQ(readingChanged(analysis.trace, after.trace, fixed, analysis.diagnostics), "");
  }
  EXPECT_GT(entries, 3000u);
}

TEST(OneReading, AKeywordReadAsAnEntrysWordStandsWhereItIsWritten) {
  static const NameMaps names;
  const auto all = maps();
  const auto it = std::find_if(all.begin(), all.end(),
                               [](const auto& m) { return m.first == "band-takes-next-keyword"; });
  ASSERT_NE(it, all.end());
  const std::string& text = it->second;
  const MapAnalysis analysis = analyseMap(text, names);
  const auto areas =
      std::find_if(analysis.trace.sections.begin(), analysis.trace.sections.end(),
                   [](const TraceSection& s) { return s.section == Section::kAreas; });
  ASSERT_NE(areas, analysis.trace.sections.end());
  EXPECT_EQ(areas->start, text.find("\nAREAS\n") + 1);
  EXPECT_EQ(text.substr(areas->start, areas->end - areas->start), "AREAS");
}

// The property catches a trace that counts what the reader skipped.
TEST(OneReading, ASkippedLineCountedIsCaught) {
  static const NameMaps names;
  const std::string text =
      "L\nPlayers 1\nSize 3 x 3\n###\n#h#\n###\nMAP_CODES\n2\n# SOLID_ROCK\nh KPR1_HEART\n"
      "# a note\nTHINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n"
      "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 1\n";
  MapAnalysis analysis = analyseMap(text, names);
  ASSERT_EQ(traceProblem(text, analysis.trace, analysis.level, names), "");
  // The note's words taken into the legend's last entry, as a line-by-line count would take it.
  TraceEntry& last = analysis.trace.entries[1];
  const std::size_t note = text.find("# a note");
  analysis.trace.words.insert(
      analysis.trace.words.begin() + static_cast<std::ptrdiff_t>(last.firstWord + last.wordCount),
      {WordKind::kCharacter, note, note + 1});
  ++last.wordCount;
  for (std::size_t e = 2; e < analysis.trace.entries.size(); ++e)
    ++analysis.trace.entries[e].firstWord;
  EXPECT_NE(traceProblem(text, analysis.trace, analysis.level, names), "");
}

// An analysis that writes out only the first warnings of a kind shows exactly what the whole one
// shows once grouped: the warnings it keeps brief are never among those shown.
TEST(OneReading, AnAnalysisThatWritesOutOnlyWhatIsShownShowsTheSame) {
  static const NameMaps names;
  std::vector<std::pair<std::string, std::string>> all = maps();
  // A grid turned to rock under 3,000 creatures and a chicken coop.
  testing::LargeMapShape shape;
  shape.width = 120;
  shape.height = 40;
  shape.creatures = 3000;
  shape.triggers = 10;
  std::string rock = testing::largeMapText(shape);
  std::replace(rock.begin(), rock.begin() + static_cast<std::ptrdiff_t>(rock.find("MAP_CODES")),
               '.', '#');
  all.emplace_back("rock", rock);
  // The same with a number that moves every later word of its section one place on, until the
  // reading fails: what was said of the words moved is taken back.
  const std::size_t creatures = rock.find("\nCREATURES\n");
  std::size_t line = creatures;
  for (int i = 0; i < 2500; ++i) line = rock.find('\n', line + 1);
  const std::size_t x = rock.find(' ', line) + 1;
  all.emplace_back("rock-shifted", rock.replace(x, rock.find(' ', x) - x, "09"));
  std::size_t brief = 0;
  for (const auto& [name, text] : all) {
    SCOPED_TRACE(name);
    const std::vector<Diagnostic> whole = grouped(analyseMap(text, names).diagnostics);
    const MapAnalysis few = analyseMap(text, names, {kShownOfOneKind + 1});
    brief += few.brief.size();
    EXPECT_TRUE(std::none_of(few.diagnostics.begin(), few.diagnostics.end(),
                             [](const Diagnostic& d) { return d.text.empty(); }));
    const std::vector<Diagnostic> shown = grouped(few);
    ASSERT_EQ(shown.size(), whole.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(shown[i].text, whole[i].text);
      EXPECT_EQ(shown[i].span.start, whole[i].span.start);
      EXPECT_EQ(shown[i].span.end, whole[i].span.end);
      EXPECT_EQ(shown[i].check, whole[i].check);
      EXPECT_EQ(shown[i].severity, whole[i].severity);
      EXPECT_EQ(shown[i].notes.size(), whole[i].notes.size());
    }
  }
  EXPECT_GT(brief, 2900u);  // the rock map's warnings past the first few
}

}  // namespace
}  // namespace ts::check
