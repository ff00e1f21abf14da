// Large map texts for timing the compiler: the widest and tallest grids the format allows, in
// both grid formats, and as many placed entries and trigger elements as wanted. Every text is
// a valid two-keeper level that compiles without a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/level_description.h"
#include "model/trigger_plan.h"

namespace ts::bench {

// The widths are the reader's (kMaxTextWidth, kMaxGuiWidth); its loop guard lets at most this
// many rows through.
inline constexpr std::int32_t kMaxHeight = kLoopLimit;
// Room for the two hero gates, the entrance area and the two hearts drawn on every map.
inline constexpr std::int32_t kMinWidth = 12;
inline constexpr std::int32_t kMinHeight = 8;
// Elements of the automatic triggers of the one self-opening gate (two keepers, one trigger
// and two actions each); a trigger budget below this cannot be met.
inline constexpr std::size_t kGateTriggerElements = 2 * 3;

struct MapShape {
  std::string name = "Bench";
  bool gui = false;  // two characters a square, no MAP_CODES
  std::int32_t width = kMaxTextWidth;
  std::int32_t height = kMaxHeight;
  std::size_t creatures = 0;
  std::size_t objects = 0;
  std::size_t doors = 0;
  std::size_t traps = 0;
  // Trigger and action elements of the triggers file, the gate's automatic ones included;
  // 0 asks for one trigger of each kind.
  std::size_t triggerElements = 0;
  std::uint32_t seed = 1;  // varies the terrain and the coordinates, never the counts
};

// Shares `entries` out over creatures, objects, doors and traps, as evenly as they go.
void setEntries(MapShape& shape, std::size_t entries);

// The shapes the benchmarks share: the largest text grid, the widest drawn grid, and a grid of
// 200 x 200 squares for the maps whose size is in their lists.
[[nodiscard]] MapShape textShape();
[[nodiscard]] MapShape guiShape();
[[nodiscard]] MapShape smallGridShape(const char* name);

// An empty string when the shape can be generated, otherwise why not.
[[nodiscard]] std::string checkShape(const MapShape& shape);

// REQUIRES: checkShape(shape) is empty.
[[nodiscard]] std::string generateMap(const MapShape& shape);

// Lengths of the files that the level of `shape` compiles to.
struct ExpectedFiles {
  std::size_t mapFile = 0;
  std::size_t triggersFile = 0;
  std::size_t thingsFile = 0;
  std::size_t triggerElements = 0;
};
[[nodiscard]] ExpectedFiles expectedFiles(const MapShape& shape);

}  // namespace ts::bench
