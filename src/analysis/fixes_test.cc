// --fix never changes a level the compiler accepts: a designer's note line before any section
// keyword of any example is text the compiler skips, and the fixes the checker offers for the
// noted map must leave the compiled level byte for byte as it was.
#include "analysis/fixes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "analysis/check.h"
#include "driver/compile.h"
#include "model/grammar.h"

namespace ts::check {
namespace {

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The six files, concatenated with their names.
std::string levelBytes(const std::string& text) {
  const CompileResult result = compileMap(text);
  std::string bytes = result.valid ? "" : "rejected: " + result.console;
  for (const LevelFile& file : result.files) {
    bytes += file.name + ":";
    bytes.append(file.bytes.begin(), file.bytes.end());
  }
  return bytes;
}

TEST(CheckFixes, ANoteBeforeAnySectionKeywordLeavesTheFixedLevelAsItWas) {
  static const NameMaps names;
  int noted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(TUNNELSMITH_SOURCE_DIR) / "examples")) {
    const std::string text = readAll(entry.path());
    const std::string level = levelBytes(text);
    for (const SectionInfo& section : sections()) {
      if (section.keyword.empty()) continue;
      const std::size_t at = text.find("\n" + std::string(section.keyword) + "\n");
      if (at == std::string::npos) continue;
      SCOPED_TRACE(entry.path().filename().string() + " before " + std::string(section.keyword));
      const std::string withNote = text.substr(0, at + 1) + "# objects\n" + text.substr(at + 1);
      ASSERT_EQ(levelBytes(withNote), level) << "the note itself changes the level";
      const FixedText fixed = applyFixes(withNote, checkMap(withNote, names));
      EXPECT_EQ(levelBytes(fixed.text), level) << fixed.text;
      ++noted;
    }
  }
  EXPECT_GT(noted, 30);
}

}  // namespace
}  // namespace ts::check
