// Test helper: texts of valid levels large enough that their level files span many blocks.
#pragma once

#include <cstddef>
#include <string>

namespace ts::testing {

struct LargeMapShape {
  std::string name = "Big";
  std::size_t width = 320;  // the map file takes 4 bytes a square
  std::size_t height = 300;
  std::size_t creatures = 12000;  // 36 bytes each in the things file
  std::size_t triggers = 6000;    // 3 elements of 24 bytes each in the triggers file
};

// One keeper with a heart, a rock border, `creatures` imps of changing levels, and `triggers`
// time triggers that each give a room (one trigger and two action elements).
std::string largeMapText(const LargeMapShape& shape);

}  // namespace ts::testing
