// Test helper: reads a map text into a level and keeps the reader's console text.
#pragma once

#include <gtest/gtest.h>

#include <string>

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

// Success when the reader accepted the level without printing anything; otherwise what it
// printed.
::testing::AssertionResult acceptedQuietly(const Outcome& o);

}  // namespace ts::testing
