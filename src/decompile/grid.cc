// The terrain grid: a character for every terrain, and the gate markers, which the map file
// only holds as HERO_GATE_6, put back where the gates need them.
#include <algorithm>
#include <set>
#include <string_view>

#include "decompile/level_text.h"

namespace ts::decompile {

namespace {

struct FixedCharacter {
  std::string_view terrain;
  char c;
};

// Keeper 1's rooms take the upper-case letters and keeper 2's the lower-case ones that the
// map-drawing-tool format gives their terrains; claimed floors are punctuation, gates digits.
constexpr FixedCharacter kFixed[] = {
    {"SOLID_ROCK", '#'},
    {"ROCK", '%'},
    {"UNCLAIMED", '-'},
    {"WATER", '~'},
    {"LAVA", '^'},
    {"GOLD", '$'},
    {"GEMS", '*'},
    {"MAP_BORDER", 'X'},
    {"HERO_REST_AREA", '='},
    {"HERO_GATE_1", '1'},
    {"HERO_GATE_2", '2'},
    {"HERO_GATE_3", '3'},
    {"HERO_GATE_4", '4'},
    {"HERO_GATE_5", '5'},
    {"HERO_GATE_6", '6'},
    {"HERO_GATE_7", '7'},
    {"HERO_GATE_8", '8'},
    {"HERO_GATE_9", '9'},
    {"HERO_GATE_10", '0'},
    {"KPR1_CLAIMED_SQ", '.'},
    {"KPR2_CLAIMED_SQ", ','},
    {"KPR3_CLAIMED_SQ", ';'},
    {"KPR4_CLAIMED_SQ", ':'},
    {"HERO_CLAIMED_SQ", '+'},
    {"NEUTRAL_CLAIMED_SQ", '\''},
};

// The room and rock suffixes in the order of their map-drawing-tool letters, from B.
constexpr std::string_view kKeeperSuffixes[] = {
    "OWNED_ROCK", "TREASURY", "LAIR",       "PORTAL",   "HATCHERY", "HEART",   "LIBRARY",
    "TRAINING",   "WOOD_BR",  "GUARD_RM",   "WORKSHOP", "PRISON",   "TORTURE", "TEMPLE",
    "GRAVEYARD",  "CASINO",   "COMBAT_PIT", "STONE_BR", "MANA"};

constexpr unsigned char kUnknownCharacter = '?';

struct CharacterTable {
  std::map<TerrainCode, unsigned char> fixed;
  std::vector<unsigned char> spare;  // for the other terrains, most readable first

  CharacterTable() {
    auto code = [](std::string_view name) {
      for (const NameValue& t : kTerrainTable) {
        if (t.name == name) return t.value;
      }
      return kUnknownTerrainCode;
    };
    for (const FixedCharacter& f : kFixed) fixed[code(f.terrain)] = static_cast<unsigned char>(f.c);
    for (std::size_t i = 0; i < std::size(kKeeperSuffixes); ++i) {
      const std::string suffix(kKeeperSuffixes[i]);
      fixed[code("KPR1_" + suffix)] = static_cast<unsigned char>('B' + i);
      fixed[code("KPR2_" + suffix)] = static_cast<unsigned char>('b' + i);
    }
    std::set<unsigned char> taken{kUnknownCharacter};
    for (const auto& entry : fixed) taken.insert(entry.second);
    auto offer = [&](unsigned c) {
      if (taken.insert(static_cast<unsigned char>(c)).second) {
        spare.push_back(static_cast<unsigned char>(c));
      }
    };
    for (unsigned c = 'A'; c <= 'Z'; ++c) offer(c);
    for (unsigned c = 'a'; c <= 'z'; ++c) offer(c);
    for (unsigned c = '!'; c <= '~'; ++c) offer(c);
    // Beyond ASCII only when a level uses more terrains than that: any byte but a blank is a
    // legend character.
    for (unsigned c = 0x80; c <= 0xFE; ++c) offer(c);
  }
};

const CharacterTable& characterTable() {
  static const CharacterTable table;
  return table;
}

constexpr std::array<TerrainCode, 5> kSixLike = {kHeroGate6Code, kHeroGate7Marker, kHeroGate8Marker,
                                                 kHeroGate9Marker, kHeroGate10Marker};

int sixLikeIndex(TerrainCode code) {
  const auto* it = std::find(kSixLike.begin(), kSixLike.end(), code);
  return it == kSixLike.end() ? -1 : static_cast<int>(it - kSixLike.begin());
}

}  // namespace

std::map<TerrainCode, unsigned char> terrainCharacters(const std::vector<TerrainCode>& used) {
  const CharacterTable& table = characterTable();
  std::map<TerrainCode, unsigned char> chosen;
  std::size_t nextSpare = 0;
  for (const TerrainCode code : std::set<TerrainCode>(used.begin(), used.end())) {
    if (code == kUnknownTerrainCode) {
      chosen[code] = kUnknownCharacter;
    } else if (const auto it = table.fixed.find(code); it != table.fixed.end()) {
      chosen[code] = it->second;
    } else if (nextSpare < table.spare.size()) {
      chosen[code] = table.spare[nextSpare++];
    }
  }
  return chosen;
}

// Every gate is found again from its square by a scan along its row and its column over squares
// of its character. So the squares of that cross keep its character, and the square beyond
// each end of the cross must not have it. Squares of HERO_GATE_6 that no cross holds take the
// marker of a gate whose rectangle they lie in, so that a gate looks as it was drawn, solid.
void placeGateMarkers(LevelText& level, const std::vector<DrawnGate>& gates) {
  const auto width = static_cast<std::int64_t>(level.width);
  const auto height = static_cast<std::int64_t>(level.height);
  if (width <= 0 || height <= 0 || level.cells.size() != static_cast<std::size_t>(width * height)) {
    return;
  }
  auto at = [&](std::int64_t x, std::int64_t y) -> std::size_t {
    if (x < 0 || y < 0 || x >= width || y >= height) return SIZE_MAX;
    const auto i = static_cast<std::size_t>(y * width + x);
    return level.cells[i] == kHeroGate6Code ? i : SIZE_MAX;
  };
  constexpr std::uint8_t kFree = 0xFF;
  std::vector<std::uint8_t> forced(level.cells.size(), kFree);
  std::vector<std::uint8_t> preferred(level.cells.size(), 0);
  std::vector<std::uint8_t> forbidden(level.cells.size(), 0);
  std::size_t fillBudget = level.cells.size();  // rectangles of a sound file never overlap
  for (const DrawnGate& g : gates) {
    const int k = sixLikeIndex(g.terrain);
    if (k < 0) continue;
    const GateExtent& e = g.extent;
    if (k > 0) {
      const std::int64_t left = std::max<std::int64_t>(e.left, 0);
      const std::int64_t right = std::min<std::int64_t>(e.right, width - 1);
      const std::int64_t top = std::max<std::int64_t>(e.top, 0);
      const std::int64_t bottom = std::min<std::int64_t>(e.bottom, height - 1);
      for (std::int64_t y = top; y <= bottom && fillBudget > 0; ++y) {
        for (std::int64_t x = left; x <= right && fillBudget > 0; ++x, --fillBudget) {
          if (const std::size_t i = at(x, y); i != SIZE_MAX && preferred[i] == 0) {
            preferred[i] = static_cast<std::uint8_t>(k);
          }
        }
      }
    }
    auto force = [&](std::int64_t x, std::int64_t y) {
      if (const std::size_t i = at(x, y); i != SIZE_MAX && forced[i] == kFree) {
        forced[i] = static_cast<std::uint8_t>(k);
      }
    };
    auto forbid = [&](std::int64_t x, std::int64_t y) {
      if (const std::size_t i = at(x, y); i != SIZE_MAX) forbidden[i] |= 1U << k;
    };
    // Only squares of the map can be drawn.
    const std::int64_t rowEnd = std::min<std::int64_t>(e.right, width - 1);
    const std::int64_t columnEnd = std::min<std::int64_t>(e.bottom, height - 1);
    for (std::int64_t x = std::max<std::int64_t>(e.left, 0); x <= rowEnd; ++x) force(x, g.y);
    for (std::int64_t y = std::max<std::int64_t>(e.top, 0); y <= columnEnd; ++y) force(g.x, y);
    forbid(std::int64_t{e.left} - 1, g.y);
    forbid(std::int64_t{e.right} + 1, g.y);
    forbid(g.x, std::int64_t{e.top} - 1);
    forbid(g.x, std::int64_t{e.bottom} + 1);
  }
  for (std::size_t i = 0; i < level.cells.size(); ++i) {
    if (level.cells[i] != kHeroGate6Code) continue;
    std::uint8_t choice = forced[i];
    if (choice == kFree) {
      choice = preferred[i];
      for (std::uint8_t k = 0; (forbidden[i] >> choice & 1U) != 0 && k < kSixLike.size(); ++k) {
        choice = k;
      }
    }
    level.cells[i] = kSixLike[choice];
  }
}

}  // namespace ts::decompile
