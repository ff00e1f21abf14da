// Pins the checker's whole output, in each of its three formats, on the examples and on a set of
// broken maps (tests/golden/check): moving or reshaping the analysis must leave every line as it
// was. TUNNELSMITH_UPDATE_GOLDEN=1 rewrites the expected files after an intended change; the
// change then shows in review as a diff of those files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "check_run.h"
#include "testing/pinned_file.h"

namespace ts::check {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = TUNNELSMITH_SOURCE_DIR;

// The maps, by their paths relative to the source folder: the examples first, then the broken
// maps, each group in name order.
std::vector<std::string> goldenMaps() {
  std::vector<std::string> maps;
  for (const char* folder : {"examples", "tests/golden/check"}) {
    std::vector<std::string> group;
    for (const auto& entry : fs::directory_iterator(kSource / folder)) {
      if (entry.path().extension() == ".txt") {
        group.push_back(std::string(folder) + "/" + entry.path().filename().string());
      }
    }
    std::sort(group.begin(), group.end());
    maps.insert(maps.end(), group.begin(), group.end());
  }
  return maps;
}

// The checker's output for every map, with the source folder left out of the paths.
std::string checkerOutput(const std::string& format) {
  std::vector<std::string> args = {"tunnelsmith-check", "--format=" + format};
  const std::string prefix = kSource.generic_string() + "/";
  for (const std::string& map : goldenMaps()) args.push_back(prefix + map);
  std::ostringstream out;
  const int status = runChecker(args, out);
  std::string text = out.str();
  for (std::size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at)) {
    text.erase(at, prefix.size());
  }
  return "status " + std::to_string(status) + "\n" + text;
}

TEST(CheckGolden, OutputOfEveryFormatIsPinned) {
  ASSERT_GE(goldenMaps().size(), 50u);
  for (const char* format : {"text", "json", "sarif"}) {
    SCOPED_TRACE(format);
    const std::string actual = checkerOutput(format);
    // Every diagnostic has its stable identifier, in every format.
    EXPECT_EQ(actual.find("\"id\":\"\""), std::string::npos);
    EXPECT_EQ(actual.find("unclassified"), std::string::npos);
    EXPECT_TRUE(ts::testing::matchesPinnedFile(
        kSource / "tests/golden/check/expected" / (std::string(format) + ".out"), actual));
  }
}

}  // namespace
}  // namespace ts::check
