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

// Claimed floor, owned rock and the rooms: the terrains that carry an owner.
[[nodiscard]] bool isOwnedTerrain(TerrainCode code);

// Hero (white), neutral (grey) and keepers 1 to 4 each have their own hue; anything else is
// drawn grey.
[[nodiscard]] Rgb ownerHue(std::int32_t player);
// "KEEPER 1" .. "KEEPER 4", "HERO", "NEUTRAL", or "PLAYER <n>".
[[nodiscard]] std::string ownerLabel(std::int32_t player);

struct TileLook {
  Rgb fill;
  std::optional<Rgb> frame;  // rooms: drawn along the sides where the room ends
};

// How one square of the given terrain is drawn. Codes with no colour of their own (the
// unknown-name code among them) are drawn by their terrain id, as the game would.
[[nodiscard]] TileLook tileLook(TerrainCode code);

}  // namespace ts::preview
