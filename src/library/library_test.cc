// The public library against the engines it wraps: each entry point must hand its users exactly
// what the internal layers find (the compiler's problems and files, the checker's diagnostics
// and fixes, the decoder's records and diffs, the decompiler's text and findings, the reader's
// vocabularies), as plain public values, and never throw.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/check.h"
#include "analysis/fixes.h"
#include "analysis/line_index.h"
#include "decoding/diff.h"
#include "decoding/inspect_test_support.h"
#include "decoding/inspection.h"
#include "decoding/names.h"
#include "decompile/decompile.h"
#include "driver/compile.h"
#include "library/guarded.h"
#include "model/grammar.h"
#include "model/vocabulary.h"
#include "testing/read_file.h"
#include "tunnelsmith/tunnelsmith.h"

namespace tunnelsmith {
namespace {

using ts::inspect::testing::readExample;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The broken maps whose checker output is pinned, and the examples.
std::vector<std::string> mapsToCheck() {
  std::vector<std::string> texts;
  const std::filesystem::path dir =
      std::filesystem::path(TUNNELSMITH_SOURCE_DIR) / "tests/golden/check";
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".txt") continue;
    texts.push_back(ts::testing::readFile(entry.path()));
  }
  for (const std::string& name : ts::inspect::testing::exampleNames()) {
    texts.push_back(readExample(name));
  }
  return texts;
}

TEST(PublicLibrary, CompileGivesTheCompilersProblemsAndFiles) {
  const std::string lair = readExample("lair1.txt");
  ASSERT_FALSE(lair.empty());
  struct Case {
    const char* what;
    std::string text;
    const char* name;
    Severity severity;
    // Where the problem's offset points in `text`, or nothing.
    std::function<std::optional<std::size_t>(const std::string&)> where;
  };
  const auto at = [](const char* word) {
    return
        [word](const std::string& text) -> std::optional<std::size_t> { return text.find(word); };
  };
  const Case cases[] = {
      {"rejected header", replaced(lair, "Players 2", "Players 9"), "bad-player-count",
       Severity::kError, at("9\nSize")},
      {"offsets count the byte-order mark",
       "\xEF\xBB\xBF" + replaced(lair, "Players 2", "Players 9"), "bad-player-count",
       Severity::kError, at("9\nSize")},
      {"unknown terrain name", replaced(lair, "g GOLD\n", "g GOLDX\n"), "map-code-not-found",
       Severity::kWarning, at("GOLDX")},
      {"square without a code", replaced(lair, "#.1111.", "#.11Z1."), "terrain-mapping",
       Severity::kWarning, [](const std::string&) { return std::nullopt; }},
      {"old map", lair.substr(0, lair.find("HERO_BANDS")), "old-map", Severity::kNote,
       [](const std::string& text) { return text.size(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CompileResult result = compileMap(c.text);
    ASSERT_EQ(result.problems.size(), 1u) << result.console;
    const Problem& problem = result.problems[0];
    EXPECT_EQ(problem.name, c.name);
    EXPECT_EQ(problem.severity, c.severity);
    EXPECT_EQ(problem.offset, c.where(c.text));
    EXPECT_EQ(problem.message, result.console);
    EXPECT_EQ(problem.message.back(), '\n');

    const bool accepted = c.severity != Severity::kError;
    EXPECT_EQ(result.valid, accepted);
    // A valid level's files are the driver's, in its order; a rejected one has none.
    const ts::CompileResult internal = ts::compileMap(c.text);
    ASSERT_EQ(result.files.size(), accepted ? 6u : 0u);
    ASSERT_EQ(result.files.size(), internal.files.size());
    for (std::size_t i = 0; i < result.files.size(); ++i) {
      EXPECT_EQ(result.files[i].name, internal.files[i].name);
      EXPECT_TRUE(result.files[i].bytes == internal.files[i].bytes) << result.files[i].name;
    }
  }
  EXPECT_EQ(version(), kVersion);
  EXPECT_EQ(std::string(kVersion),
            std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor));
}

// A diagnostic written out in one line, from the checker's value or from the public one.
std::string squareText(const std::optional<ts::check::Square>& s) {
  return s ? " square " + std::to_string(s->x) + "," + std::to_string(s->y) : "";
}
std::string squareText(const std::optional<Square>& s) {
  return s ? " square " + std::to_string(s->x) + "," + std::to_string(s->y) : "";
}
std::string severityText(ts::Severity s) { return std::to_string(static_cast<int>(s)); }
std::string severityText(Severity s) { return std::to_string(static_cast<int>(s)); }

std::string described(const ts::check::Diagnostic& d) {
  std::ostringstream out;
  out << d.name() << ' ' << severityText(d.severity) << ' ' << d.span.start << '-' << d.span.end
      << ' ' << d.text << squareText(d.square) << (d.afterFirstError ? " after" : "");
  for (const auto& n : d.notes) {
    out << " | note " << n.span.start << '-' << n.span.end << ' ' << n.text << squareText(n.square);
  }
  for (const auto& e : d.fixes)
    out << " | fix " << e.offset << '+' << e.length << ' ' << e.replacement;
  for (const auto& s : d.suggestions) {
    out << " | suggest " << s.span.start << '-' << s.span.end << ' ' << s.replacement;
  }
  return out.str();
}

std::string described(const Diagnostic& d) {
  std::ostringstream out;
  out << d.id << ' ' << severityText(d.severity) << ' ' << d.span.start << '-' << d.span.end << ' '
      << d.message << squareText(d.square) << (d.afterFirstError ? " after" : "");
  for (const auto& n : d.notes) {
    out << " | note " << n.span.start << '-' << n.span.end << ' ' << n.message
        << squareText(n.square);
  }
  for (const auto& e : d.fixes) {
    out << " | fix " << e.span.start << '+' << e.span.end - e.span.start << ' ' << e.replacement;
  }
  for (const auto& s : d.suggestions) {
    out << " | suggest " << s.span.start << '-' << s.span.end << ' ' << s.replacement;
  }
  return out.str();
}

TEST(PublicLibrary, CheckAndFixGiveTheCheckersDiagnosticsAndEdits) {
  const ts::NameMaps names;
  std::size_t withFixes = 0;
  for (const std::string& text : mapsToCheck()) {
    const std::vector<ts::check::Diagnostic> internal = ts::check::checkMap(text, names);
    const CheckResult result = checkMap(text);
    ASSERT_EQ(result.diagnostics.size(), internal.size()) << text;
    std::size_t errors = 0;
    std::size_t warnings = 0;
    const ts::LineIndex lines(text);
    const TextLines publicLines(text);
    for (std::size_t i = 0; i < internal.size(); ++i) {
      EXPECT_EQ(described(result.diagnostics[i]), described(internal[i]));
      errors += internal[i].severity == ts::Severity::kError;
      warnings += internal[i].severity == ts::Severity::kWarning;
      // Positions as the checker's renderings give them.
      for (const std::size_t offset : {internal[i].span.start, internal[i].span.end}) {
        const ts::TextPlace place = ts::placeOf(lines, offset, offset);
        const TextPosition at = publicLines.positionOf(offset);
        const TextPosition once = positionOf(text, offset);
        EXPECT_EQ(at.line, place.line) << offset;
        EXPECT_EQ(at.column, place.column) << offset;
        EXPECT_EQ(once.line, place.line) << offset;
        EXPECT_EQ(once.column, place.column) << offset;
      }
    }
    EXPECT_EQ(result.errors, errors);
    EXPECT_EQ(result.warnings, warnings);

    // The fixes mend the text as --fix does.
    const ts::check::FixedText fixed = ts::check::applyFixes(text, internal);
    const FixResult publicFixed = applyFixes(text, result.diagnostics);
    EXPECT_EQ(publicFixed.text, fixed.text);
    EXPECT_EQ(publicFixed.applied, fixed.applied.size());
    EXPECT_EQ(publicFixed.skipped, fixed.skipped);
    withFixes += fixed.applied.empty() ? 0 : 1;
  }
  EXPECT_GE(withFixes, 5u) << "the broken maps should have fixes to apply";

  // Edits that fit nowhere are skipped, not applied or thrown.
  Diagnostic backwards;
  backwards.fixes.push_back({{5, 2}, "x"});
  Diagnostic pastTheEnd;
  pastTheEnd.fixes.push_back({{3, 99}, ""});
  const FixResult skipped = applyFixes("0123456789", {backwards, pastTheEnd});
  EXPECT_EQ(skipped.text, "0123456789");
  EXPECT_EQ(skipped.applied, 0u);
  EXPECT_EQ(skipped.skipped, 2u);
}

// The records, with their fields and parts, and the problems of a decoded file, a line each:
// the decoder's values and the public ones have the same members.
template <typename Record>
void describeRecord(std::ostream& out, const Record& r) {
  out << r.kind << ' ' << r.number << ' ' << r.offset << ' ' << r.size << ' ' << r.note << '\n';
  for (const auto& f : r.fields) {
    out << "  " << f.name << '=' << f.value << ' ' << f.text << ' ' << f.isText << ' ' << f.offset
        << ' ' << f.width << '\n';
  }
  for (const auto& part : r.parts) describeRecord(out, part);
}

template <typename Inspection>
void describeRecordsAndProblems(std::ostream& out, const Inspection& in) {
  for (const auto& r : in.records) describeRecord(out, r);
  for (const auto& p : in.problems) out << "problem " << p.offset << ' ' << p.message << '\n';
}

// A decoded file written out field by field, from the decoder's value or the public one.
std::string described(const ts::inspect::Inspection& in) {
  std::ostringstream out;
  out << ts::inspect::fileKindName(in.kind) << ' ' << in.length << '\n';
  std::function<void(const ts::inspect::Chunk&)> chunk = [&](const ts::inspect::Chunk& c) {
    out << "chunk " << c.id << ' ' << ts::inspect::chunkName(in.kind, c.id) << ' ' << c.offset
        << ' ' << c.size << '\n';
    for (const auto& child : c.children) chunk(child);
  };
  for (const auto& c : in.chunks) chunk(c);
  describeRecordsAndProblems(out, in);
  if (in.kind == ts::inspect::FileKind::kMap) {
    out << "map " << in.map.width << 'x' << in.map.height << ' ' << in.map.cells.size() << '\n';
    for (const std::uint32_t cell : in.map.cells) out << cell << ' ';
  }
  return out.str();
}

std::string described(const Inspection& in) {
  std::ostringstream out;
  out << fileKindName(in.kind) << ' ' << in.length << '\n';
  std::function<void(const Chunk&)> chunk = [&](const Chunk& c) {
    out << "chunk " << c.id << ' ' << c.name << ' ' << c.offset << ' ' << c.size << '\n';
    for (const auto& child : c.children) chunk(child);
  };
  for (const auto& c : in.chunks) chunk(c);
  describeRecordsAndProblems(out, in);
  if (in.map) {
    out << "map " << in.map->width << 'x' << in.map->height << ' ' << in.map->cells.size() << '\n';
    for (const std::uint32_t cell : in.map->cells) out << cell << ' ';
  }
  return out.str();
}

std::string fieldText(const std::optional<ts::inspect::Field>& f) {
  return f ? f->text + "/" + std::to_string(f->value) : "-";
}
std::string fieldText(const std::optional<Field>& f) {
  return f ? f->text + "/" + std::to_string(f->value) : "-";
}
std::string rangeText(const std::optional<ts::inspect::ByteRange>& r) {
  return r ? std::to_string(r->first) + ".." + std::to_string(r->last) : "-";
}
std::string rangeText(const std::optional<ByteRange>& r) {
  return r ? std::to_string(r->first) + ".." + std::to_string(r->last) : "-";
}
template <typename D>
std::string differenceText(const D& d) {
  return d.label + "|" + d.record + "|" + std::to_string(d.number) + "|" + std::to_string(d.part) +
         "|" + d.field + "|" + d.description + "|" + fieldText(d.a) + "|" + fieldText(d.b) + "|" +
         std::to_string(d.offsetA.value_or(0)) + "|" + std::to_string(d.offsetB.value_or(0)) + "|" +
         rangeText(d.bytesA) + "|" + rangeText(d.bytesB);
}

TEST(PublicLibrary, InspectAndDiffGiveTheDecodersRecordsAndDifferences) {
  const std::string lair = readExample("lair1.txt");
  const CompileResult a = compileMap(lair);
  const CompileResult b = compileMap(replaced(lair, "KNIGHT 9 8 L5 PH", "KNIGHT 9 8 L6 PH"));
  ASSERT_EQ(a.files.size(), 6u);
  ASSERT_EQ(b.files.size(), 6u);
  for (std::size_t f = 0; f < a.files.size(); ++f) {
    SCOPED_TRACE(a.files[f].name);
    const std::vector<std::uint8_t>& bytes = a.files[f].bytes;
    // The file whole, cut short (problems), and one byte changed in its middle.
    std::vector<std::uint8_t> flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x5A;
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + bytes.size() / 3);
    const std::vector<std::uint8_t>* const files[] = {&bytes, &cut, &flipped};
    for (const std::vector<std::uint8_t>* file : files) {
      EXPECT_EQ(described(inspectLevelFile(*file)), described(ts::inspect::inspect(*file)));
    }
    const std::vector<std::uint8_t>* const others[] = {&bytes, &b.files[f].bytes, &flipped};
    for (const std::vector<std::uint8_t>* other : others) {
      const ts::inspect::Inspection inA = ts::inspect::inspect(bytes);
      const ts::inspect::Inspection inB = ts::inspect::inspect(*other);
      const ts::inspect::DiffResult internal = ts::inspect::diff(inA, bytes, inB, *other);
      const LevelFileDiff result = diffLevelFiles(bytes, *other);
      EXPECT_TRUE(result.comparable);
      EXPECT_EQ(result.identical, internal.identical);
      EXPECT_EQ(result.squaresChanged, internal.squaresChanged);
      EXPECT_EQ(result.byteRuns, internal.byteRuns);
      ASSERT_EQ(result.differences.size(), internal.differences.size());
      for (std::size_t i = 0; i < internal.differences.size(); ++i) {
        EXPECT_EQ(differenceText(result.differences[i]), differenceText(internal.differences[i]));
      }
    }
  }
  // Files of two kinds are not compared; nothing at all is a file of no kind.
  const LevelFileDiff kinds = diffLevelFiles(a.files[0].bytes, a.files[2].bytes);
  EXPECT_FALSE(kinds.comparable);
  EXPECT_FALSE(kinds.identical);
  EXPECT_EQ(kinds.kindA, FileKind::kMap);
  EXPECT_EQ(kinds.kindB, FileKind::kThings);
  EXPECT_EQ(kinds.problems.size(), 1u);
  EXPECT_EQ(described(inspectLevelFile({})), described(ts::inspect::inspect({})));
}

TEST(PublicLibrary, DecompileGivesTheDecompilersTextAndFindings) {
  for (const std::string& name : ts::inspect::testing::exampleNames()) {
    SCOPED_TRACE(name);
    const CompileResult compiled = compileMap(readExample(name));
    ASSERT_EQ(compiled.files.size(), 6u);
    std::vector<LevelFile> damaged = compiled.files;
    damaged[2].bytes.resize(damaged[2].bytes.size() - 5);
    const std::vector<LevelFile>* const levels[] = {&compiled.files, &damaged};
    for (const std::vector<LevelFile>* files : levels) {
      ts::decompile::LevelBytes bytes;
      for (std::size_t f = 0; f < 6; ++f) bytes[f] = (*files)[f].bytes;
      const ts::decompile::Decompilation internal = ts::decompile::decompile(bytes);
      const Decompilation result = decompileLevel(*files);
      EXPECT_EQ(result.text, internal.text);
      EXPECT_EQ(result.damaged, internal.damaged);
      EXPECT_EQ(result.exact(), internal.findings.empty());
      ASSERT_EQ(result.findings.size(), internal.findings.size());
      for (std::size_t i = 0; i < internal.findings.size(); ++i) {
        EXPECT_EQ(result.findings[i].file, static_cast<std::size_t>(internal.findings[i].file));
        EXPECT_EQ(result.findings[i].offset, internal.findings[i].offset);
        EXPECT_EQ(result.findings[i].message, internal.findings[i].message);
      }
    }
    // The round trip through the public functions alone.
    const Decompilation exact = decompileLevel(compiled.files);
    EXPECT_TRUE(exact.exact());
    const CompileResult again = compileMap(exact.text);
    ASSERT_EQ(again.files.size(), 6u);
    for (std::size_t f = 0; f < 6; ++f)
      EXPECT_TRUE(again.files[f].bytes == compiled.files[f].bytes);
  }
  const Decompilation five = decompileLevel(std::vector<LevelFile>(5, LevelFile{"x", {1, 2, 3}}));
  EXPECT_FALSE(five.exact());
  EXPECT_TRUE(five.text.empty());
}

TEST(PublicLibrary, VocabularyHoldsTheNamesTheReaderKnows) {
  const Vocabulary v = vocabulary();
  const ts::NameMaps names;
  // The grammar: every section keyword the reader searches for, every statement word it knows.
  ASSERT_EQ(v.sections.size(), ts::kSectionCount - 2);
  for (const std::string& keyword : v.sections) EXPECT_TRUE(ts::sectionOfKeyword(keyword));
  ASSERT_EQ(v.statements.size(), ts::kStatementCount);
  for (const StatementWord& s : v.statements) {
    const ts::StatementInfo* info = ts::findStatement(*ts::sectionOfKeyword(s.section), s.word);
    ASSERT_NE(info, nullptr) << s.word;
    EXPECT_EQ(s.operands.size(), info->operands.size()) << s.word;
  }
  struct List {
    const char* what;
    const std::vector<NamedValue>* names;
    std::size_t tableSize;
    std::function<std::int32_t(const std::string&)> lookup;  // as the reader looks a name up
  };
  const List lists[] = {
      {"terrains", &v.terrains, ts::kTerrainTable.size(),
       [&](const std::string& n) { return names.findTerrainCode(n); }},
      {"creatures", &v.creatures, ts::kCreatureTable.size(),
       [&](const std::string& n) { return names.findCreatureId(n); }},
      {"objects", &v.objects, ts::kObjectTable.size(),
       [&](const std::string& n) { return names.findObjectId(n); }},
      {"doors", &v.doors, ts::kDoorTable.size(),
       [&](const std::string& n) { return names.findDoorId(n); }},
      {"traps", &v.traps, ts::kTrapTable.size(),
       [&](const std::string& n) { return names.findTrapId(n); }},
      {"rooms", &v.rooms, ts::kRoomTable.size(), ts::roomIdOrZero},
      {"spells", &v.spells, ts::kSpellTable.size(), ts::spellIdOrZero},
      {"players", &v.players, ts::kPlayerTokens.size(), ts::parsePlayerToken},
      {"levels", &v.levels, ts::kLevelTokens.size(), ts::parseLevelToken},
  };
  for (const List& list : lists) {
    SCOPED_TRACE(list.what);
    EXPECT_EQ(list.names->size(), list.tableSize);
    for (const NamedValue& n : *list.names) EXPECT_EQ(list.lookup(n.name), n.value) << n.name;
  }
}

// In the WebAssembly module a C++ exception ends the module instead (the JavaScript interface
// reports that), so there is nothing to catch.
#ifndef __EMSCRIPTEN__
TEST(PublicLibrary, NoExceptionLeavesAnEntryPoint) {
  const auto fail = [](std::string message) { return std::vector<std::string>{message}; };
  const auto thrown = detail::guarded(
      []() -> std::vector<std::string> { throw std::length_error("too long"); }, fail);
  EXPECT_EQ(thrown, std::vector<std::string>{"internal error: too long"});
  const auto failingTwice = detail::guarded(
      []() -> std::vector<std::string> { throw 1; },
      [](const std::string&) -> std::vector<std::string> { throw std::bad_alloc(); });
  EXPECT_TRUE(failingTwice.empty());
}
#endif

// The outline is the checker's trace, word by word, with the grid's terrain and the squares and
// entries the words name; on every pinned map and example.
TEST(PublicLibrary, OutlineGivesWhatTheReaderRead) {
  const ts::NameMaps names;
  for (const std::string& text : mapsToCheck()) {
    const ts::check::MapAnalysis analysis = ts::check::analyseMap(text, names);
    const Outline outline = outlineMap(text);
    ASSERT_EQ(outline.sections.size(), analysis.trace.sections.size());
    ASSERT_EQ(outline.entries.size(), analysis.trace.entries.size());
    for (std::size_t e = 0; e < outline.entries.size(); ++e) {
      const ts::check::TraceEntry& read = analysis.trace.entries[e];
      const OutlineEntry& entry = outline.entries[e];
      ASSERT_EQ(entry.words.size(), read.wordCount);
      for (std::size_t w = 0; w < entry.words.size(); ++w) {
        const ts::check::TraceWord& word = analysis.trace.words[read.firstWord + w];
        EXPECT_EQ(entry.words[w].span.start, word.start);
        EXPECT_EQ(static_cast<int>(entry.words[w].kind), static_cast<int>(word.kind));
      }
    }
    for (const CrossReference& r : outline.references) {
      if (!r.entry) continue;
      EXPECT_EQ(outline.entries[*r.entry].section, r.target);
    }
  }
  // What the words name: lair1's first creature stands on (3, 3), gate 1 covers its G squares,
  // square (0, 0) is SOLID_ROCK, and the first release names band 1.
  const Outline lair = outlineMap(readExample("lair1.txt"));
  EXPECT_EQ(lair.levelName, "Lair1");
  ASSERT_EQ(lair.grid.terrain.size(), 12u * 10u);
  EXPECT_EQ(lair.grid.terrain[0],
            static_cast<std::uint32_t>(ts::NameMaps().findTerrainCode("SOLID_ROCK")));
  const auto first = [&](SectionKind section) {
    for (const OutlineEntry& e : lair.entries) {
      if (e.section == section) return e;
    }
    return OutlineEntry{};
  };
  EXPECT_EQ(squareText(first(SectionKind::kCreatures).square), " square 3,3");
  const OutlineEntry gate = first(SectionKind::kGates);
  ASSERT_TRUE(gate.covers);
  EXPECT_EQ((std::array<std::int32_t, 4>{gate.covers->left, gate.covers->top, gate.covers->right,
                                         gate.covers->bottom}),
            (std::array<std::int32_t, 4>{9, 6, 10, 7}));
  ASSERT_FALSE(lair.references.empty());
  EXPECT_EQ(lair.references[0].target, SectionKind::kBands);
  EXPECT_EQ(wordKindName(WordKind::kPlayer), "player");
  EXPECT_EQ(sectionName(SectionKind::kGrid), "grid");
  EXPECT_TRUE(outlineMap("").grid.terrain.empty());
}

}  // namespace
}  // namespace tunnelsmith
