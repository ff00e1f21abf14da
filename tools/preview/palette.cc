#include "palette.h"

#include <array>

namespace ts::preview {

namespace {

struct IdColour {
  std::int32_t terrainId;
  Rgb colour;
};

// Unowned terrain, by terrain id.
constexpr IdColour kPlainColours[] = {
    {1, {74, 72, 82}},      // SOLID_ROCK
    {2, {120, 90, 62}},     // ROCK
    {3, {172, 152, 118}},   // UNCLAIMED
    {4, {15, 85, 105}},     // WATER: dark teal, away from keeper 2's blue
    {5, {255, 120, 0}},     // LAVA
    {6, {250, 210, 40}},    // GOLD
    {7, {170, 250, 240}},   // GEMS
    {30, {0, 0, 0}},        // MAP_BORDER
    {35, {240, 205, 165}},  // HERO_REST_AREA
};

// Rooms, by terrain id. Kept muted so that the owner's frame stands out.
constexpr IdColour kRoomColours[] = {
    {10, {180, 150, 60}},   // TREASURY
    {11, {125, 75, 45}},    // LAIR
    {12, {75, 55, 95}},     // PORTAL
    {13, {205, 130, 150}},  // HATCHERY
    {14, {130, 20, 40}},    // HEART, drawn in its owner's hue instead
    {15, {140, 100, 130}},  // LIBRARY
    {16, {190, 120, 50}},   // TRAINING
    {17, {170, 125, 80}},   // WOOD_BR
    {18, {100, 115, 80}},   // GUARD_RM
    {19, {120, 125, 140}},  // WORKSHOP
    {20, {70, 70, 90}},     // PRISON
    {21, {150, 40, 100}},   // TORTURE
    {22, {225, 225, 190}},  // TEMPLE
    {23, {75, 100, 70}},    // GRAVEYARD
    {24, {235, 150, 200}},  // CASINO
    {25, {175, 70, 40}},    // COMBAT_PIT
    {26, {165, 165, 150}},  // STONE_BR
    {32, {120, 160, 190}},  // MANA
};

constexpr std::int32_t kClaimedFloorId = 8;
constexpr std::int32_t kOwnedRockId = 9;
constexpr std::int32_t kHeartId = 14;
constexpr Rgb kFloorGround{90, 90, 90};
constexpr Rgb kRockGround{60, 56, 54};
constexpr Rgb kUnknownFill{128, 128, 128};
constexpr Rgb kWarningFill{190, 255, 0};  // a yellow-green no terrain or owner comes near
constexpr Rgb kNotReadFill{44, 48, 58};
constexpr Rgb kNotReadStripes{64, 68, 80};

// Index: PlayerId 1 (hero) to 6 (keeper 4).
constexpr std::array<Rgb, 6> kOwnerHues = {{
    {245, 245, 245},  // hero
    {150, 150, 150},  // neutral
    {235, 35, 35},    // keeper 1
    {40, 110, 255},   // keeper 2
    {30, 200, 50},    // keeper 3
    {0, 215, 225},    // keeper 4
}};

// HERO_GATE_1 to HERO_GATE_10 in their order: pinks, purples and violets of differing
// lightness, so that neighbouring numbers never look alike.
constexpr std::array<TerrainCode, 10> kGateCodes = {
    kHeroGate1Code, kHeroGate2Code,   kHeroGate3Code,   kHeroGate4Code,   kHeroGate5Code,
    kHeroGate6Code, kHeroGate7Marker, kHeroGate8Marker, kHeroGate9Marker, kHeroGate10Marker};
constexpr std::array<Rgb, 10> kGateFills = {{
    {255, 175, 235},
    {150, 0, 150},
    {255, 80, 150},
    {235, 30, 200},  // as the frame: the whole square magenta
    {120, 70, 255},
    {175, 0, 255},
    {95, 0, 70},
    {190, 150, 255},
    {200, 0, 90},
    {70, 20, 140},
}};

template <std::size_t N>
const Rgb* colourOf(const IdColour (&table)[N], std::int32_t id) {
  for (const IdColour& entry : table) {
    if (entry.terrainId == id) return &entry.colour;
  }
  return nullptr;
}

}  // namespace

bool isOwnedTerrain(TerrainCode code) {
  const std::int32_t id = terrainIdOf(code);
  return !isGateTerrain(code) &&
         (id == kClaimedFloorId || id == kOwnedRockId || colourOf(kRoomColours, id) != nullptr);
}

Rgb ownerHue(std::int32_t player) {
  if (player < kHeroPlayer || player > kFirstKeeperPlayer + 3) return kUnknownFill;
  return kOwnerHues[static_cast<std::size_t>(player - kHeroPlayer)];
}

std::string ownerLabel(std::int32_t player) {
  if (player == kHeroPlayer) return "HERO";
  if (player == kNeutralPlayer) return "NEUTRAL";
  if (player >= kFirstKeeperPlayer && player <= kFirstKeeperPlayer + 3) {
    return "KEEPER " + std::to_string(player - kFirstKeeperPlayer + 1);
  }
  return "PLAYER " + std::to_string(player);
}

TileLook tileLook(TerrainCode code) {
  if (code == kUnknownTerrainCode) return {kWarningFill, std::nullopt, Rgb{0, 0, 0}};
  if (code == kNotReadCode) return {kNotReadFill, std::nullopt, kNotReadStripes};
  for (std::size_t i = 0; i < kGateCodes.size(); ++i) {
    if (kGateCodes[i] == code) return {kGateFills[i], kGateFrame, std::nullopt};
  }
  const std::int32_t id = terrainIdOf(code);
  const Rgb hue = ownerHue(ownerOf(code));
  if (id == kHeartId) return {mix(hue, kMarkerEdge, 0.35), hue, std::nullopt};
  if (id == kClaimedFloorId) return {mix(kFloorGround, hue, 0.55), std::nullopt, std::nullopt};
  if (id == kOwnedRockId) return {mix(kRockGround, hue, 0.3), std::nullopt, std::nullopt};
  if (const Rgb* room = colourOf(kRoomColours, id)) return {*room, hue, std::nullopt};
  if (const Rgb* plain = colourOf(kPlainColours, id)) return {*plain, std::nullopt, std::nullopt};
  return {kUnknownFill, std::nullopt, std::nullopt};
}

}  // namespace ts::preview
