// Test helper: the whole of a file as a string, and the files of the source tree the tests read
// (the examples, the pinned outputs). Header-only, so that test programs outside the unit tests
// need only its folder on their include path.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace ts::testing {

// The bytes of the file as they are, line ends untranslated; empty when it cannot be read,
// which the comparison that follows then shows.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef TUNNELSMITH_SOURCE_DIR
// A file of the source tree, by its path relative to the source folder.
inline std::string readSourceFile(std::string_view relative) {
  return readFile(std::filesystem::path(TUNNELSMITH_SOURCE_DIR) / relative);
}

// One of the example maps, by its file name ("lair1.txt").
inline std::string readExample(std::string_view name) {
  return readFile(std::filesystem::path(TUNNELSMITH_SOURCE_DIR) / "examples" / name);
}
#endif

}  // namespace ts::testing
