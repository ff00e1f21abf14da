// Test helper: reads a map text into a level and keeps the reader's console text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/level_description.h"
#include "model/vocabulary.h"

namespace ts::testing {

// The name maps every test shares.
const NameMaps& names();

struct Outcome {
  LevelDescription level;
  std::string console;
};

Outcome readMap(const std::string& text);

// The start of a text-mode map: the header of a level called Lv with `players` keepers, then
// the map rows (each as wide as the first).
std::string headerAndRows(int players, const std::vector<std::string>& rows);

// Success when the reader accepted the level without printing anything; otherwise what it
// printed.
::testing::AssertionResult acceptedQuietly(const Outcome& o);

}  // namespace ts::testing
