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

// The marker each square of HERO_GATE_6 gets: the one a gate's cross forces, else the one of a
// gate whose rectangle holds the square, unless that marker is forbidden there because it would
// lengthen another gate's cross. Markers are kept as their index in kSixLike.
class MarkerChoices {
 public:
  explicit MarkerChoices(LevelText& level)
      : level_(level),
        width_(level.width),
        height_(level.height),
        forced_(level.cells.size(), kFree),
        preferred_(level.cells.size(), 0),
        forbidden_(level.cells.size(), 0),
        fillBudget_(level.cells.size()) {}

  // The squares of the gate's rectangle prefer marker k; a square keeps its first preference.
  void prefer(const GateExtent& e, int k) {
    const std::int64_t left = std::max<std::int64_t>(e.left, 0);
    const std::int64_t right = std::min<std::int64_t>(e.right, width_ - 1);
    const std::int64_t top = std::max<std::int64_t>(e.top, 0);
    const std::int64_t bottom = std::min<std::int64_t>(e.bottom, height_ - 1);
    for (std::int64_t y = top; y <= bottom && fillBudget_ > 0; ++y) {
      for (std::int64_t x = left; x <= right && fillBudget_ > 0; ++x, --fillBudget_) {
        if (const std::size_t i = at(x, y); i != SIZE_MAX && preferred_[i] == 0) {
          preferred_[i] = static_cast<std::uint8_t>(k);
        }
      }
    }
  }

  // The squares of the gate's cross take marker k (the first gate to claim a square keeps
  // it), and the square beyond each end of the cross may not.
  void keepCross(const DrawnGate& g, int k) {
    const GateExtent& e = g.extent;
    // Only squares of the map can be drawn.
    const std::int64_t rowEnd = std::min<std::int64_t>(e.right, width_ - 1);
    const std::int64_t columnEnd = std::min<std::int64_t>(e.bottom, height_ - 1);
    for (std::int64_t x = std::max<std::int64_t>(e.left, 0); x <= rowEnd; ++x) force(x, g.y, k);
    for (std::int64_t y = std::max<std::int64_t>(e.top, 0); y <= columnEnd; ++y) force(g.x, y, k);
    forbid(std::int64_t{e.left} - 1, g.y, k);
    forbid(std::int64_t{e.right} + 1, g.y, k);
    forbid(g.x, std::int64_t{e.top} - 1, k);
    forbid(g.x, std::int64_t{e.bottom} + 1, k);
  }

  // Puts the chosen markers into the level's squares.
  void apply() {
    for (std::size_t i = 0; i < level_.cells.size(); ++i) {
      if (level_.cells[i] != kHeroGate6Code) continue;
      std::uint8_t choice = forced_[i];
      if (choice == kFree) {
        choice = preferred_[i];
        for (std::uint8_t k = 0; (forbidden_[i] >> choice & 1U) != 0 && k < kSixLike.size(); ++k) {
          choice = k;
        }
      }
      level_.cells[i] = kSixLike[choice];
    }
  }

 private:
  static constexpr std::uint8_t kFree = 0xFF;

  // The index of square (x, y) when it is on the map and holds HERO_GATE_6, else SIZE_MAX.
  [[nodiscard]] std::size_t at(std::int64_t x, std::int64_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return SIZE_MAX;
    const auto i = static_cast<std::size_t>(y * width_ + x);
    return level_.cells[i] == kHeroGate6Code ? i : SIZE_MAX;
  }
  void force(std::int64_t x, std::int64_t y, int k) {
    if (const std::size_t i = at(x, y); i != SIZE_MAX && forced_[i] == kFree) {
      forced_[i] = static_cast<std::uint8_t>(k);
    }
  }
  void forbid(std::int64_t x, std::int64_t y, int k) {
    if (const std::size_t i = at(x, y); i != SIZE_MAX) forbidden_[i] |= 1U << k;
  }

  LevelText& level_;
  std::int64_t width_;
  std::int64_t height_;
  std::vector<std::uint8_t> forced_;
  std::vector<std::uint8_t> preferred_;
  std::vector<std::uint8_t> forbidden_;
  std::size_t fillBudget_;  // rectangles of a sound file never overlap
};

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
  MarkerChoices choices(level);
  for (const DrawnGate& g : gates) {
    const int k = sixLikeIndex(g.terrain);
    if (k < 0) continue;
    if (k > 0) choices.prefer(g.extent, k);
    choices.keepCross(g, k);
  }
  choices.apply();
}

}  // namespace ts::decompile
