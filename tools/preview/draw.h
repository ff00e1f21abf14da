// Drawing a level into a picture. The map sits below and right of two rulers that give its
// coordinates every square when squares are large (kEverySquare pixels or more), else every five
// or ten: square (x, y) covers the `scale` by `scale` pixels whose top-left pixel is
// mapOrigin() + (x * scale, y * scale). A margin around the map keeps the marks on its outermost
// squares whole. The legend (level name, each terrain on the map with its colour, the owners'
// hues, the markers, a line for each trigger, and for a rejected map what the compiler said) is
// to the right of the map. Gates and entrance areas are outlined and labelled as releases name
// them: "G 1" for hero gate 1, "A 1" for entrance area 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image.h"
#include "model/level_description.h"

namespace ts::preview {

inline constexpr int kMaxScale = 64;
inline constexpr int kEverySquare = 24;       // pixels a square from which rulers name every square
inline constexpr int kDefaultLongSide = 800;  // pixels, for the scale chosen by default

// The scale that makes the map's long side about kDefaultLongSide pixels, 1 to kMaxScale.
[[nodiscard]] int defaultScale(std::int32_t mapWidth, std::int32_t mapHeight);

struct PixelPoint {
  int x = 0;
  int y = 0;
};

// The picture pixel at the top-left corner of the map's square (0, 0).
[[nodiscard]] PixelPoint mapOrigin(std::int32_t mapWidth, std::int32_t mapHeight, int scale);

struct PictureSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// Why the reader rejected a map, for the picture of what it read.
struct Rejection {
  std::string message;   // the compiler's message
  std::size_t line = 0;  // the line of the text the error stands on, from 1; 0: not known
  std::string lineText;  // that line
  std::vector<std::string> explanation;  // what the error means and where its cause is
  std::optional<PixelPoint> square;      // the square it is about, if it names one
};

// Draws the level's picture, unless it would have more than `maxPixels` pixels; `size` is the
// picture's size either way. For a rejected map (`rejection` given) the level is what the
// reader read before it stopped: the squares of rows it did not read are drawn as not read, the
// error's square is marked, and the legend says what the compiler said.
// REQUIRES: 1 <= scale <= kMaxScale.
[[nodiscard]] std::optional<Image> renderLevel(const LevelDescription& level, int scale,
                                               std::int64_t maxPixels, PictureSize& size,
                                               const Rejection* rejection = nullptr);

// One legend line for each trigger of the level: what starts it and what it releases where,
// "TRIGGER 1: AFTER 600 S OF PLAY (10:00): BAND 1 AT G 2, GIVES KEEPER 1 TEMPLE".
[[nodiscard]] std::vector<std::string> triggerLines(const LevelDescription& level);

}  // namespace ts::preview
