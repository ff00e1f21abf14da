// The preview's colours: one fill per terrain id, one hue per owner, and the fixed colours of
// the map border, outlines and labels. Unowned terrain is drawn flat; claimed floors and owned
// rock are tinted with the owner's hue; rooms keep their own colour and get a frame in the
// owner's hue where the room ends, except the heart, which is a dark shade of its owner's hue.
// Each of the ten hero gate terrains has a fill of its own inside a magenta frame. The four
// keepers' hues (red, blue, green, cyan) are kept for owners: no terrain is drawn in them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image.h"
#include "model/vocabulary.h"

namespace ts::preview {

inline constexpr Rgb kMapBorderFill{0, 0, 0};
inline constexpr Rgb kGateFrame{235, 30, 200};     // around every hero gate terrain
inline constexpr Rgb kGateOutline{255, 255, 255};  // a gate's extent
inline constexpr Rgb kAreaOutline{0, 230, 255};    // a hero entrance area
inline constexpr Rgb kMarkerEdge{0, 0, 0};         // rims markers and outlines against any ground
inline constexpr Rgb kLabelBackground{0, 0, 0};
inline constexpr Rgb kLegendBackground{36, 40, 48};
inline constexpr Rgb kLegendText{235, 235, 235};
inline constexpr Rgb kLegendMarker{225, 225, 225};  // markers drawn in the legend's swatches
inline constexpr Rgb kRulerTick{95, 100, 112};      // from a ruler's label to the map's edge
// What the reader rejected: the square marked on the map and the legend's lines about it.
inline constexpr Rgb kErrorMark{255, 230, 0};
inline constexpr Rgb kErrorText{255, 120, 90};

// Squares of a rejected map's grid that the reader never read: no terrain code is 0.
inline constexpr TerrainCode kNotReadCode = 0;

// Claimed floor, owned rock and the rooms: the terrains that carry an owner.
[[nodiscard]] bool isOwnedTerrain(TerrainCode code);

// Hero (white), neutral (grey) and keepers 1 to 4 each have their own hue; anything else is
// drawn grey.
[[nodiscard]] Rgb ownerHue(std::int32_t player);
// "KEEPER 1" .. "KEEPER 4", "HERO", "NEUTRAL", or "PLAYER <n>".
[[nodiscard]] std::string ownerLabel(std::int32_t player);

struct TileLook {
  Rgb fill;
  std::optional<Rgb> frame;    // rooms: drawn along the sides where the room ends
  std::optional<Rgb> stripes;  // diagonal stripes over the fill, on squares large enough
};

// How one square of the given terrain is drawn. A grid character that no MAP_CODES line gives a
// terrain (the unknown-terrain code) is striped in a warning colour unlike any terrain's, and a
// square the reader never read (kNotReadCode) in the legend's colour with faint stripes. Other
// codes with no colour of their own are drawn by their terrain id.
[[nodiscard]] TileLook tileLook(TerrainCode code);

}  // namespace ts::preview
