// Test helper for the golden tests: compares an output with the file that pins it, or rewrites
// that file when TUNNELSMITH_UPDATE_GOLDEN is set, so that an intended change shows in review
// as a diff of the pinned files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "testing/read_file.h"

namespace ts::testing {

// Success when `actual` is the content of `pinned`, byte for byte; otherwise a failure that
// names the first line that differs rather than showing two whole documents.
inline ::testing::AssertionResult matchesPinnedFile(const std::filesystem::path& pinned,
                                                    const std::string& actual) {
  if (std::getenv("TUNNELSMITH_UPDATE_GOLDEN") != nullptr) {
    std::filesystem::create_directories(pinned.parent_path());
    std::ofstream(pinned, std::ios::binary) << actual;
    return ::testing::AssertionSuccess() << "rewrote " << pinned;
  }
  const std::string expected = readFile(pinned);
  if (expected == actual) return ::testing::AssertionSuccess();
  std::istringstream a(expected);
  std::istringstream b(actual);
  std::string lineA;
  std::string lineB;
  for (int line = 1;; ++line) {
    const bool moreA = static_cast<bool>(std::getline(a, lineA));
    const bool moreB = static_cast<bool>(std::getline(b, lineB));
    if (!moreA && !moreB) break;
    if (lineA != lineB || moreA != moreB) {
      return ::testing::AssertionFailure() << pinned.filename() << " line " << line
                                           << "\n  pinned: " << lineA << "\n  now:    " << lineB;
    }
  }
  return ::testing::AssertionFailure() << pinned.filename() << " differs in its last line end";
}

}  // namespace ts::testing
