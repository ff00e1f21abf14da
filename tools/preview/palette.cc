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
    {4, {30, 80, 180}},     // WATER
    {5, {240, 90, 20}},     // LAVA
    {6, {250, 210, 40}},    // GOLD
    {7, {120, 240, 210}},   // GEMS
    {30, {0, 0, 0}},        // MAP_BORDER
    {35, {200, 225, 250}},  // HERO_REST_AREA
};

// Rooms, by terrain id. Kept muted so that the owner's frame stands out.
constexpr IdColour kRoomColours[] = {
    {10, {180, 150, 60}},   // TREASURY
    {11, {125, 75, 45}},    // LAIR
    {12, {100, 60, 150}},   // PORTAL
    {13, {205, 130, 150}},  // HATCHERY
    {14, {130, 20, 40}},    // HEART
    {15, {60, 80, 150}},    // LIBRARY
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
    {32, {100, 180, 255}},  // MANA
};

constexpr std::int32_t kClaimedFloorId = 8;
constexpr std::int32_t kOwnedRockId = 9;
constexpr Rgb kFloorGround{90, 90, 90};
constexpr Rgb kRockGround{60, 56, 54};
constexpr Rgb kUnknownFill{128, 128, 128};

// Index: PlayerId 1 (hero) to 6 (keeper 4).
constexpr std::array<Rgb, 6> kOwnerHues = {{
    {245, 245, 245},  // hero
    {150, 150, 150},  // neutral
    {220, 40, 40},    // keeper 1
    {40, 90, 235},    // keeper 2
    {40, 180, 70},    // keeper 3
    {165, 80, 230},   // keeper 4
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
  if (isGateTerrain(code)) return {kGateFill, std::nullopt};
  const std::int32_t id = terrainIdOf(code);
  const Rgb hue = ownerHue(ownerOf(code));
  if (id == kClaimedFloorId) return {mix(kFloorGround, hue, 0.55), std::nullopt};
  if (id == kOwnedRockId) return {mix(kRockGround, hue, 0.3), std::nullopt};
  if (const Rgb* room = colourOf(kRoomColours, id)) return {*room, hue};
  if (const Rgb* plain = colourOf(kPlainColours, id)) return {*plain, std::nullopt};
  return {kUnknownFill, std::nullopt};
}

}  // namespace ts::preview
