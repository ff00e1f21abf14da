// Drawing a level into a picture. The map sits at the top-left corner: square (x, y) covers the
// `scale` by `scale` pixels whose top-left pixel is (x * scale, y * scale). The legend (level
// name, each terrain on the map with its colour, the owners' hues and the markers) is to the
// right of the map. Gates and entrance areas are outlined and labelled with their release
// location: gates 1 to G in their order, entrance areas G + 1 onwards.
#pragma once

#include <cstdint>
#include <optional>

#include "image.h"
#include "model/level_description.h"

namespace ts::preview {

inline constexpr int kDefaultScale = 8;
inline constexpr int kMaxScale = 64;

struct PictureSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// Draws the level's picture, unless it would have more than `maxPixels` pixels; `size` is the
// picture's size either way.
// REQUIRES: a level the reader accepted; 1 <= scale <= kMaxScale.
[[nodiscard]] std::optional<Image> renderLevel(const LevelDescription& level, int scale,
                                               std::int64_t maxPixels, PictureSize& size);

}  // namespace ts::preview
