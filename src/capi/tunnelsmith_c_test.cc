// The C interface against the C++ one: each function's JSON document (parsed back) and files
// must say what the C++ interface gives for the same input, and no input, however bad, may
// give NULL or a document that is not JSON.
#include "tunnelsmith/tunnelsmith_c.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/le_encoding.h"
#include "decoding/inspect_test_support.h"
#include "decoding/inspection.h"
#include "render/inspection_json.h"
#include "testing/read_file.h"
#include "tunnelsmith/tunnelsmith.h"

namespace {

using Json = nlohmann::ordered_json;
using Result = std::unique_ptr<tunnelsmith_result, decltype(&tunnelsmith_result_free)>;
using ts::inspect::testing::readExample;

Result owned(tunnelsmith_result* r) { return Result(r, tunnelsmith_result_free); }

Json documentOf(const Result& r) {
  EXPECT_NE(r.get(), nullptr);
  std::size_t size = 0;
  const char* text = tunnelsmith_result_json(r.get(), &size);
  EXPECT_EQ(std::strlen(text), size);
  return Json::parse(std::string(text, size));
}

std::vector<std::uint8_t> fileOf(const Result& r, std::size_t index) {
  std::size_t size = 0;
  const unsigned char* data = tunnelsmith_result_file_data(r.get(), index, &size);
  return data == nullptr ? std::vector<std::uint8_t>()
                         : std::vector<std::uint8_t>(data, data + size);
}

std::string severityWord(tunnelsmith::Severity s) {
  return s == tunnelsmith::Severity::kError     ? "error"
         : s == tunnelsmith::Severity::kWarning ? "warning"
                                                : "note";
}

Json editsJson(const std::vector<tunnelsmith::TextEdit>& edits) {
  Json list = Json::array();
  for (const auto& e : edits) {
    list.push_back({{"start", e.span.start}, {"end", e.span.end}, {"replacement", e.replacement}});
  }
  return list;
}

// Maps to compare on: an example, no text, bytes that are no text, and broken maps.
std::vector<std::string> sampleTexts() {
  std::vector<std::string> texts = {readExample("lair1.txt"), "", "\xFF\xFE garbage\n"};
  const std::filesystem::path broken =
      std::filesystem::path(TUNNELSMITH_SOURCE_DIR) / "tests/golden/check";
  for (const char* name : {"gold-with-comma.txt", "creature-in-rock.txt", "misspelt-keyword.txt",
                           "unknown-creature.txt", "missing-eof.txt"}) {
    texts.push_back(ts::testing::readFile(broken / name));
    EXPECT_FALSE(texts.back().empty()) << name;
  }
  return texts;
}

void expectCompileAgrees(const std::string& text) {
  const tunnelsmith::CompileResult compiled = tunnelsmith::compileMap(text);
  const Result c = owned(tunnelsmith_compile(text.data(), text.size()));
  const Json doc = documentOf(c);
  EXPECT_EQ(doc["console"], compiled.console);
  EXPECT_EQ(doc["valid"], compiled.valid);
  ASSERT_EQ(doc["problems"].size(), compiled.problems.size());
  for (std::size_t i = 0; i < compiled.problems.size(); ++i) {
    const tunnelsmith::Problem& p = compiled.problems[i];
    EXPECT_EQ(doc["problems"][i], (Json{{"name", p.name},
                                        {"severity", severityWord(p.severity)},
                                        {"offset", p.offset ? Json(*p.offset) : Json()},
                                        {"message", p.message}}));
  }
  ASSERT_EQ(tunnelsmith_result_file_count(c.get()), compiled.files.size());
  for (std::size_t f = 0; f < compiled.files.size(); ++f) {
    EXPECT_EQ(tunnelsmith_result_file_name(c.get(), f), compiled.files[f].name);
    EXPECT_EQ(doc["files"][f]["size"], compiled.files[f].bytes.size());
    EXPECT_TRUE(fileOf(c, f) == compiled.files[f].bytes);
  }
  EXPECT_EQ(tunnelsmith_result_file_name(c.get(), compiled.files.size()), nullptr);
}

void expectDiagnosticAgrees(const std::string& text, const tunnelsmith::Diagnostic& d,
                            const Json& j) {
  const tunnelsmith::TextPosition at = tunnelsmith::positionOf(text, d.span.start);
  EXPECT_EQ(j["id"], d.id);
  EXPECT_EQ(j["severity"], severityWord(d.severity));
  EXPECT_EQ(j["message"], d.message);
  EXPECT_EQ(j["start"], d.span.start);
  EXPECT_EQ(j["end"], d.span.end);
  EXPECT_EQ(j["line"], at.line);
  EXPECT_EQ(j["column"], at.column);
  EXPECT_EQ(j["afterFirstError"], d.afterFirstError);
  EXPECT_EQ(j["fixes"], editsJson(d.fixes));
  EXPECT_EQ(j["suggestions"], editsJson(d.suggestions));
  EXPECT_EQ(j.contains("square"), d.square.has_value());
  if (d.square) {
    EXPECT_EQ(j["square"], (Json{{"x", d.square->x}, {"y", d.square->y}}));
  }
  ASSERT_EQ(j["notes"].size(), d.notes.size());
  for (std::size_t n = 0; n < d.notes.size(); ++n) {
    EXPECT_EQ(j["notes"][n]["message"], d.notes[n].message);
    EXPECT_EQ(j["notes"][n]["start"], d.notes[n].span.start);
    EXPECT_EQ(j["notes"][n]["line"], tunnelsmith::positionOf(text, d.notes[n].span.start).line);
    EXPECT_EQ(j["notes"][n].contains("square"), d.notes[n].square.has_value());
  }
}

// Fixes given as check's diagnostics as they are, or as only their fixes arrays.
void expectFixesAgree(const std::string& text, const tunnelsmith::CheckResult& checked,
                      const Json& check) {
  const tunnelsmith::FixResult fixed = tunnelsmith::applyFixes(text, checked.diagnostics);
  Json onlyFixes = Json::array();
  for (const Json& d : check["diagnostics"]) onlyFixes.push_back(d["fixes"]);
  for (const Json& fixes : {check["diagnostics"], onlyFixes}) {
    const std::string given = fixes.dump();
    const Result r =
        owned(tunnelsmith_apply_fixes(text.data(), text.size(), given.data(), given.size()));
    const Json applied = documentOf(r);
    EXPECT_EQ(applied["applied"], fixed.applied);
    EXPECT_EQ(applied["skipped"], fixed.skipped);
    EXPECT_TRUE(applied["problems"].empty());
    const std::vector<std::uint8_t> mended = fileOf(r, 0);
    EXPECT_EQ(std::string(mended.begin(), mended.end()), fixed.text);
  }
}

TEST(CInterface, CompileSaysWhatTheCppInterfaceSays) {
  for (const std::string& text : sampleTexts()) {
    SCOPED_TRACE(text.substr(0, 40));
    expectCompileAgrees(text);
  }
}

TEST(CInterface, CheckAndFixesSayWhatTheCppInterfaceSays) {
  for (const std::string& text : sampleTexts()) {
    SCOPED_TRACE(text.substr(0, 40));
    const tunnelsmith::CheckResult checked = tunnelsmith::checkMap(text);
    const Json check = documentOf(owned(tunnelsmith_check(text.data(), text.size())));
    EXPECT_EQ(check["errors"], checked.errors);
    EXPECT_EQ(check["warnings"], checked.warnings);
    ASSERT_EQ(check["diagnostics"].size(), checked.diagnostics.size());
    for (std::size_t i = 0; i < checked.diagnostics.size(); ++i) {
      expectDiagnosticAgrees(text, checked.diagnostics[i], check["diagnostics"][i]);
    }
    expectFixesAgree(text, checked, check);
  }
  // A fixes document of another shape leaves the text as it was.
  const std::string lair = readExample("lair1.txt");
  for (const std::string fixes : {"{", "{}", "[[{\"start\": 1}]]", "[3]", "[{\"fixes\": 1}]"}) {
    const Result r =
        owned(tunnelsmith_apply_fixes(lair.data(), lair.size(), fixes.data(), fixes.size()));
    const Json applied = documentOf(r);
    ASSERT_EQ(applied["problems"].size(), 1u) << fixes;
    EXPECT_EQ(applied["problems"][0]["name"], "bad-fixes");
    EXPECT_EQ(applied["applied"], 0);
    const std::vector<std::uint8_t> same = fileOf(r, 0);
    EXPECT_EQ(std::string(same.begin(), same.end()), lair);
  }
}

TEST(CInterface, InspectAndDiffSayWhatTheCppInterfaceSays) {
  const tunnelsmith::CompileResult a = tunnelsmith::compileMap(readExample("lair1.txt"));
  ASSERT_EQ(a.files.size(), 6u);
  for (const tunnelsmith::LevelFile& file : a.files) {
    SCOPED_TRACE(file.name);
    const std::vector<std::uint8_t>& bytes = file.bytes;
    // The inspector's own document, and the public values' records.
    const Json inspected = documentOf(owned(tunnelsmith_inspect(bytes.data(), bytes.size())));
    EXPECT_EQ(inspected, ts::inspect::toJson("", ts::inspect::inspect(bytes)));
    EXPECT_EQ(inspected["records"].size(), tunnelsmith::inspectLevelFile(bytes).records.size());

    std::vector<std::uint8_t> flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x5A;
    const std::vector<std::uint8_t>* const others[] = {&bytes, &flipped};
    for (const std::vector<std::uint8_t>* other : others) {
      const Json diff = documentOf(
          owned(tunnelsmith_diff(bytes.data(), bytes.size(), other->data(), other->size())));
      const tunnelsmith::LevelFileDiff expected = tunnelsmith::diffLevelFiles(bytes, *other);
      EXPECT_EQ(diff["identical"], expected.identical);
      EXPECT_EQ(diff["differences"].size(), expected.differences.size());
      EXPECT_EQ(diff["byteRuns"], expected.byteRuns);
      EXPECT_TRUE(diff["problems"].empty());
    }
  }
  const std::vector<std::uint8_t>& map = a.files[0].bytes;
  const std::vector<std::uint8_t>& things = a.files[2].bytes;
  const Json kinds =
      documentOf(owned(tunnelsmith_diff(map.data(), map.size(), things.data(), things.size())));
  EXPECT_EQ(kinds["identical"], false);
  ASSERT_EQ(kinds["problems"].size(), 1u);
  EXPECT_EQ(kinds["problems"][0]["name"], "different-kinds");
}

TEST(CInterface, DecompileSaysWhatTheCppInterfaceSays) {
  const tunnelsmith::CompileResult a = tunnelsmith::compileMap(readExample("lair1.txt"));
  ASSERT_EQ(a.files.size(), 6u);
  std::array<const unsigned char*, 6> data{};
  std::array<std::size_t, 6> sizes{};
  for (std::size_t f = 0; f < 6; ++f) {
    data[f] = a.files[f].bytes.data();
    sizes[f] = a.files[f].bytes.size();
  }
  const tunnelsmith::Decompilation expected = tunnelsmith::decompileLevel(a.files);
  const Result d = owned(tunnelsmith_decompile(data.data(), sizes.data()));
  const Json decompiled = documentOf(d);
  EXPECT_EQ(decompiled, (Json{{"exact", true}, {"damaged", false}, {"findings", Json::array()}}));
  const std::vector<std::uint8_t> text = fileOf(d, 0);
  EXPECT_EQ(std::string(text.begin(), text.end()), expected.text);
  // A missing file is an empty one: damaged, with findings.
  data[3] = nullptr;
  const Json missing = documentOf(owned(tunnelsmith_decompile(data.data(), sizes.data())));
  EXPECT_EQ(missing["damaged"], true);
  EXPECT_FALSE(missing["findings"].empty());
}

TEST(CInterface, VocabularyAndVersionSayWhatTheCppInterfaceSays) {
  const tunnelsmith::Vocabulary v = tunnelsmith::vocabulary();
  const Json vocabulary = documentOf(owned(tunnelsmith_vocabulary()));
  ASSERT_EQ(vocabulary["creatures"].size(), v.creatures.size());
  EXPECT_EQ(vocabulary["creatures"][0],
            (Json{{"name", v.creatures[0].name}, {"value", v.creatures[0].value}}));
  for (const char* list :
       {"terrains", "objects", "doors", "traps", "rooms", "spells", "players", "levels"}) {
    EXPECT_FALSE(vocabulary[list].empty()) << list;
  }
  EXPECT_EQ(vocabulary["sections"].size(), v.sections.size());
  ASSERT_EQ(vocabulary["statements"].size(), v.statements.size());
  EXPECT_EQ(vocabulary["statements"][0]["word"], "KPR1_HEART_CENTER");
  EXPECT_EQ(vocabulary["statements"][0]["operands"], (Json{"<x>", "<y>"}));
  EXPECT_EQ(tunnelsmith_version(), tunnelsmith::version());
}

// No input gives NULL or a document that is not JSON.
TEST(CInterface, NoInputStillGivesADocument) {
  for (tunnelsmith_result* r :
       {tunnelsmith_compile(nullptr, 0), tunnelsmith_check(nullptr, 0),
        tunnelsmith_apply_fixes(nullptr, 0, nullptr, 0), tunnelsmith_inspect(nullptr, 0),
        tunnelsmith_diff(nullptr, 0, nullptr, 0), tunnelsmith_decompile(nullptr, nullptr)}) {
    EXPECT_TRUE(documentOf(owned(r)).is_object());
  }
  EXPECT_EQ(tunnelsmith_result_file_count(nullptr), 0u);
  tunnelsmith_result_free(nullptr);
}

TEST(CInterface, OutlineSaysWhatTheCppInterfaceSaysWithTheTerrainAsAFile) {
  const std::string text = readExample("lair1.txt");
  const tunnelsmith::Outline expected = tunnelsmith::outlineMap(text);
  const Result r = owned(tunnelsmith_outline(text.data(), text.size()));
  const Json outline = documentOf(r);
  EXPECT_EQ(outline["levelName"], "Lair1");
  EXPECT_EQ(outline["entries"].size(), expected.entries.size());
  EXPECT_EQ(outline["sections"].size(), expected.sections.size());
  EXPECT_EQ(outline["references"].size(), expected.references.size());
  EXPECT_EQ(outline["entries"][0]["words"][0]["kind"], "character");
  EXPECT_EQ(outline["grid"]["terrain"], 0);
  const std::vector<std::uint8_t> terrain = fileOf(r, 0);
  ASSERT_EQ(terrain.size(), expected.grid.terrain.size() * 4);
  for (std::size_t i = 0; i < expected.grid.terrain.size(); ++i) {
    ASSERT_EQ(ts::loadU32(terrain.data() + 4 * i), expected.grid.terrain[i]) << i;
  }
  // A text without a grid: no terrain file.
  const Result empty = owned(tunnelsmith_outline(nullptr, 0));
  EXPECT_TRUE(documentOf(empty)["grid"]["terrain"].is_null());
  EXPECT_EQ(tunnelsmith_result_file_count(empty.get()), 0u);
}

}  // namespace
