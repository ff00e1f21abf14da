// Test helper: reads a map text into a level and keeps the reader's console text.
#pragma once

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

}  // namespace ts::testing
