// Drawing a level into a picture. The map sits below and right of two rulers that give its
// coordinates every ten squares: square (x, y) covers the `scale` by `scale` pixels whose
// top-left pixel is mapOrigin() + (x * scale, y * scale). A margin around the map keeps the
// marks on its outermost squares whole. The legend (level name, each terrain on the map with its
// colour, the owners' hues and the markers) is to the right of the map. Gates and entrance areas
// are outlined and labelled with their release location: gates 1 to G in their order, entrance
// areas G + 1 onwards.
#pragma once

#include <cstdint>
#include <optional>

#include "image.h"
#include "model/level_description.h"

namespace ts::preview {

inline constexpr int kMaxScale = 64;
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

// Draws the level's picture, unless it would have more than `maxPixels` pixels; `size` is the
// picture's size either way.
// REQUIRES: a level the reader accepted; 1 <= scale <= kMaxScale.
[[nodiscard]] std::optional<Image> renderLevel(const LevelDescription& level, int scale,
                                               std::int64_t maxPixels, PictureSize& size);

}  // namespace ts::preview
