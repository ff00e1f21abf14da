// The public library: a map's problems reach its users as public values (stable name, severity,
// offset in the text they were given, console message), and a valid level's six files as the
// driver builds them.
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

#include "driver/compile.h"
#include "tunnelsmith/compile.h"
#include "tunnelsmith/version.h"

namespace tunnelsmith {
namespace {

std::string lair1() {
  std::ifstream in(std::filesystem::path(TUNNELSMITH_SOURCE_DIR) / "examples/lair1.txt",
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(PublicLibrary, ProblemsComeThroughAsPublicValues) {
  const std::string lair = lair1();
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

}  // namespace
}  // namespace tunnelsmith
