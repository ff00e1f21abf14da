#include "map_generator.h"

#include <array>
#include <charconv>
#include <string_view>
#include <vector>

#include "format/chunks.h"
#include "format/layouts.h"

namespace ts::bench {

namespace {

// One terrain of the generated maps: its legend character (text mode), its two grid
// characters (GUI mode: owner, terrain) and its name.
struct Terrain {
  char text;
  char owner;
  char terrain;
  std::string_view name;
};

enum TerrainIndex : std::uint8_t {
  kSolidRock,
  kRock,
  kUnclaimed,
  kGold,
  kGems,
  kWater,
  kLava,
  kClaimed1,
  kClaimed2,
  kTreasury1,
  kLair2,
  kLibraryNeutral,
  kClaimedHero,
  kHeart1,
  kHeart2,
  kGate1,
  kGate4,
  kTerrainCount
};

constexpr std::array<Terrain, kTerrainCount> kTerrains = {{
    {'#', 'O', 'b', "SOLID_ROCK"},
    {'r', 'O', 'c', "ROCK"},
    {'d', 'O', 'd', "UNCLAIMED"},
    {'g', 'O', 'g', "GOLD"},
    {'e', 'O', 'h', "GEMS"},
    {'w', 'O', 'e', "WATER"},
    {'l', 'O', 'f', "LAVA"},
    {'.', '1', 'A', "KPR1_CLAIMED_SQ"},
    {',', '2', 'A', "KPR2_CLAIMED_SQ"},
    {'t', '1', 'C', "KPR1_TREASURY"},
    {'L', '2', 'D', "KPR2_LAIR"},
    {'n', 'N', 'H', "NEUTRAL_LIBRARY"},
    {'c', 'H', 'A', "HERO_CLAIMED_SQ"},
    {'H', '1', 'G', "KPR1_HEART"},
    {'h', '2', 'G', "KPR2_HEART"},
    {'A', 'O', 'i', "HERO_GATE_1"},
    {'G', 'O', 'l', "HERO_GATE_4"},
}};

// The inner squares are drawn from this pool; gates and hearts are drawn on top, so no random
// square can widen a gate.
constexpr std::array<std::uint8_t, 16> kInnerPool = {
    kRock, kRock,  kRock, kClaimedHero, kUnclaimed, kUnclaimed, kGold,  kGold,
    kGems, kWater, kLava, kClaimed1,    kClaimed2,  kTreasury1, kLair2, kLibraryNeutral};

constexpr std::array<std::string_view, 8> kCreatureNames = {
    "IMP", "TROLL", "GOBLIN", "DARK_ELF", "KNIGHT", "DWARF", "BILE_DEMON", "WIZARD"};
constexpr std::array<std::string_view, 6> kObjectNames = {
    "TH_BARREL", "MI_REVEAL_MAP", "TH_CHICKEN_COOP", "TH_FLAG1", "MI_INFLUX_CASH", "TH_SKULL"};
constexpr std::array<std::string_view, 4> kDoorNames = {"WOODEN_DOOR", "STEEL_DOOR", "BRACED_DOOR",
                                                        "MAGIC_DOOR"};
constexpr std::array<std::string_view, 4> kTrapNames = {"TR_BOULDER", "TR_GAS", "TR_SENTRY",
                                                        "TR_LIGHTNING"};
constexpr std::array<std::string_view, 4> kOwners = {"P1", "P2", "PH", "PN"};
constexpr std::array<std::string_view, 10> kLevels = {"L1", "L2", "L3", "L4", "L5",
                                                      "L6", "L7", "L8", "L9", "L10"};

// Drawn squares: gate 1 (HERO_GATE_1, three squares of row 2), gate 2 (HERO_GATE_4, a 2 by 2
// block opening by itself), and the entrance area clear of both.
constexpr std::int32_t kGate1Row = 2;
constexpr std::int32_t kGate1Left = 2;
constexpr std::int32_t kGate1Right = 4;
constexpr std::int32_t kGate2Left = 7;
constexpr std::int32_t kGate2Top = 2;
constexpr std::string_view kArea = "1 2 5 4 6";

// Record sizes of the things file, chunk headers included.
constexpr std::size_t kThingsFrame = kFrameSize;
constexpr std::size_t kCreatureBytes = kChunkHeaderSize + layout::kCreatureRecordSize;
constexpr std::size_t kObjectBytes = kChunkHeaderSize + layout::kObjectRecordSize;
constexpr std::size_t kDoorBytes = kChunkHeaderSize + layout::kDoorRecordSize;
constexpr std::size_t kTrapBytes = kChunkHeaderSize + layout::kTrapRecordSize;
constexpr std::size_t kAreaBytes = kChunkHeaderSize + layout::kAreaRecordSize;
constexpr std::size_t kBandBytes = kChunkHeaderSize + layout::kBandRecordSize;
constexpr std::size_t kStructureBytes = kChunkHeaderSize + layout::kStructureRecordSize;
constexpr std::size_t kGates = 2;
constexpr std::size_t kAreas = 1;
constexpr std::size_t kBands = 2;
constexpr std::size_t kHearts = 2;

class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // A value in [low, high].
  std::int32_t between(std::int32_t low, std::int32_t high) {
    return low + static_cast<std::int32_t>(next() % static_cast<std::uint32_t>(high - low + 1));
  }

 private:
  std::uint32_t state_;
};

class Text {
 public:
  Text& operator<<(std::string_view s) {
    out_.append(s);
    return *this;
  }
  Text& operator<<(char c) {
    out_.push_back(c);
    return *this;
  }
  Text& operator<<(std::int64_t v) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    out_.append(buffer, result.ptr);
    return *this;
  }
  Text& operator<<(std::int32_t v) { return *this << static_cast<std::int64_t>(v); }
  Text& operator<<(std::size_t v) { return *this << static_cast<std::int64_t>(v); }
  std::string& str() { return out_; }

 private:
  std::string out_;
};

using Grid = std::vector<std::uint8_t>;  // terrain indexes, row 0 first

Grid drawGrid(const MapShape& shape, Random& random) {
  const std::int32_t w = shape.width;
  const std::int32_t h = shape.height;
  Grid grid(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  auto at = [&](std::int32_t x, std::int32_t y) -> std::uint8_t& {
    return grid[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                static_cast<std::size_t>(x)];
  };
  for (std::int32_t y = 0; y < h; ++y) {
    for (std::int32_t x = 0; x < w; ++x) {
      const bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      at(x, y) = border ? std::uint8_t{kSolidRock} : kInnerPool[random.next() % kInnerPool.size()];
    }
  }
  for (std::int32_t dy = -1; dy <= 1; ++dy) {
    for (std::int32_t dx = -1; dx <= 1; ++dx) {
      at(w / 4 + dx, h / 2 + dy) = kHeart1;
      at(3 * w / 4 + dx, h / 2 + dy) = kHeart2;
    }
  }
  for (std::int32_t x = kGate1Left; x <= kGate1Right; ++x) at(x, kGate1Row) = kGate1;
  // Gate 1 ends where row 2 meets other terrain.
  at(kGate1Left - 1, kGate1Row) = kRock;
  at(kGate1Right + 1, kGate1Row) = kRock;
  for (std::int32_t y = kGate2Top; y < kGate2Top + 2; ++y) {
    for (std::int32_t x = kGate2Left; x < kGate2Left + 2; ++x) at(x, y) = kGate4;
  }
  for (std::int32_t x = kGate2Left - 1; x <= kGate2Left + 2; ++x) at(x, kGate2Top + 2) = kRock;
  at(kGate2Left - 1, kGate2Top) = kRock;
  at(kGate2Left + 2, kGate2Top) = kRock;
  at(kGate2Left - 1, kGate2Top + 1) = kRock;
  at(kGate2Left + 2, kGate2Top + 1) = kRock;
  return grid;
}

void writeGrid(const MapShape& shape, const Grid& grid, Text& out) {
  std::string& s = out.str();
  const auto w = static_cast<std::size_t>(shape.width);
  for (std::size_t y = 0; y < static_cast<std::size_t>(shape.height); ++y) {
    const std::uint8_t* row = grid.data() + y * w;
    for (std::size_t x = 0; x < w; ++x) {
      const Terrain& t = kTerrains[row[x]];
      if (shape.gui) {
        s.push_back(t.owner);
        s.push_back(t.terrain);
      } else {
        s.push_back(t.text);
      }
    }
    s.push_back('\n');
  }
  if (shape.gui) return;
  out << "MAP_CODES\n" << kTerrains.size() << '\n';
  for (const Terrain& t : kTerrains) out << t.text << ' ' << t.name << '\n';
}

void writeEntries(const MapShape& shape, Random& random, Text& out) {
  const std::int32_t w = shape.width;
  const std::int32_t h = shape.height;
  auto square = [&] { out << ' ' << random.between(1, w - 2) << ' ' << random.between(1, h - 2); };
  out << "THINGS\n" << shape.objects << '\n';
  for (std::size_t i = 0; i < shape.objects; ++i) {
    out << kObjectNames[i % kObjectNames.size()];
    square();
    out << '\n';
  }
  out << "CREATURES\n" << shape.creatures << '\n';
  for (std::size_t i = 0; i < shape.creatures; ++i) {
    out << kCreatureNames[i % kCreatureNames.size()];
    square();
    out << ' ' << kLevels[i % kLevels.size()] << ' ' << kOwners[i % kOwners.size()] << '\n';
  }
  out << "DOORS\n" << shape.doors << '\n';
  for (std::size_t i = 0; i < shape.doors; ++i) {
    out << kDoorNames[i % kDoorNames.size()];
    square();
    out << ' ' << kOwners[i % 2] << ' ' << (i % 3 == 0 ? 'L' : 'U') << '\n';
  }
  out << "TRAPS\n" << shape.traps << '\n';
  for (std::size_t i = 0; i < shape.traps; ++i) {
    out << kTrapNames[i % kTrapNames.size()];
    square();
    out << ' ' << kOwners[i % 2] << '\n';
  }
  out << "HEARTS_AND_GOLD\n"
      << "KPR1_HEART_CENTER " << w / 4 << ' ' << h / 2 << '\n'
      << "GOLD1 5000\n"
      << "KPR2_HEART_CENTER " << 3 * w / 4 << ' ' << h / 2 << '\n'
      << "GOLD2 7000\n";
}

void writeHeroSections(Text& out) {
  out << "HERO_BANDS\n2\n"
      << "FirstBand 3 PH\nKNIGHT L5\nDWARF L3\nWIZARD L4\n"
      << "SecondBand 2 P2\nTROLL L2\nGOBLIN L1\n"
      << "AREAS\n1\n"
      << kArea << '\n'
      << "HERO_GATES\n2\n"
      << "1 " << kGate1Left + 1 << ' ' << kGate1Row << '\n'
      << "2 " << kGate2Left << ' ' << kGate2Top << '\n';
}

// One trigger of three elements (a trigger node and two actions, or a trigger, a gate-release
// node and one action), in four kinds.
void writeTrigger(std::size_t i, Text& out) {
  static constexpr std::array<std::string_view, 4> kGrants = {
      "ACTION_ADD_ROOM P1 TEMPLE", "ACTION_ADD_DOOR P2 BRACED_DOOR", "ACTION_ADD_TRAP P1 TR_SENTRY",
      "ACTION_ADD_SPELL P2 CREATE_GOLD_SPELL"};
  const auto time = static_cast<std::int64_t>(600 + i);
  switch (i % 4) {
    case 0:
      out << "TRIGGER_TIME " << time << "\n1\n" << kGrants[(i / 4) % kGrants.size()] << '\n';
      break;
    case 1:
      out << "TRIGGER_SLAP_COUNT_EQUALS " << static_cast<std::int64_t>(i % 50 + 1)
          << "\n2\nACTION_HERO_RELEASE 1 A 1\nACTION_HERO_RELEASE 2 A 1\n";
      break;
    case 2:
      out << "TRIGGER_CONTROL_AREA P" << static_cast<std::int64_t>(i % 2 + 1)
          << " 1\n1\nACTION_DESTROY_HERO_GATE 1\n";
      break;
    default:
      out << "TRIGGER_TIME " << time << "\n1\nACTION_HERO_RELEASE 2 G 1\n";
      break;
  }
}

void writeTriggers(const MapShape& shape, Text& out) {
  const std::size_t total =
      shape.triggerElements == 0 ? 4 * 3 + kGateTriggerElements : shape.triggerElements;
  const std::size_t own = total - kGateTriggerElements;
  const std::size_t full = own / 3;
  const std::size_t rest = own % 3;
  out << "TRIGGERS\n" << full + (rest > 0 ? 1 : 0) << '\n';
  for (std::size_t i = 0; i < full; ++i) writeTrigger(i, out);
  if (rest == 1) out << "TRIGGER_TIME 1\n0\n";
  if (rest == 2) out << "TRIGGER_TIME 2\n1\nACTION_HERO_RELEASE 1 A 1\n";
}

}  // namespace

void setEntries(MapShape& shape, std::size_t entries) {
  shape.creatures = entries / 4 + (entries % 4 > 0 ? 1 : 0);
  shape.objects = entries / 4 + (entries % 4 > 1 ? 1 : 0);
  shape.doors = entries / 4 + (entries % 4 > 2 ? 1 : 0);
  shape.traps = entries / 4;
}

MapShape textShape() {
  MapShape shape;
  shape.name = "BenchText";
  return shape;
}

MapShape guiShape() {
  MapShape shape;
  shape.name = "BenchGui";
  shape.gui = true;
  shape.width = kMaxGuiWidth;
  return shape;
}

MapShape smallGridShape(const char* name) {
  MapShape shape;
  shape.name = name;
  shape.width = 200;
  shape.height = 200;
  return shape;
}

std::string checkShape(const MapShape& shape) {
  const std::int32_t maxWidth = shape.gui ? kMaxGuiWidth : kMaxTextWidth;
  if (shape.width < kMinWidth || shape.width > maxWidth) {
    return "width must be " + std::to_string(kMinWidth) + " to " + std::to_string(maxWidth);
  }
  if (shape.height < kMinHeight || shape.height > kMaxHeight) {
    return "height must be " + std::to_string(kMinHeight) + " to " + std::to_string(kMaxHeight);
  }
  if (shape.triggerElements != 0 && (shape.triggerElements < kGateTriggerElements ||
                                     shape.triggerElements > kMaxTriggerElements)) {
    return "trigger elements must be 0 or " + std::to_string(kGateTriggerElements) + " to " +
           std::to_string(kMaxTriggerElements);
  }
  if (shape.name.empty() || shape.name.size() > kMaxLevelNameLength ||
      shape.name.find_first_of(" \t\r\n") != std::string::npos) {
    return "the level name must be one word of 1 to " + std::to_string(kMaxLevelNameLength) +
           " characters";
  }
  if (shape.name == "GUI_GENERATED_MAP") return "the level name cannot be GUI_GENERATED_MAP";
  return {};
}

std::string generateMap(const MapShape& shape) {
  Random random(shape.seed);
  Text out;
  const std::size_t rowBytes = static_cast<std::size_t>(shape.width) * (shape.gui ? 2 : 1) + 1;
  const std::size_t entries = shape.creatures + shape.objects + shape.doors + shape.traps;
  out.str().reserve(rowBytes * static_cast<std::size_t>(shape.height) + 24 * entries +
                    40 * (shape.triggerElements / 3) + 4096);
  if (shape.gui) out << "GUI_GENERATED_MAP ";
  out << shape.name << "\nPlayers 2\nSize " << shape.width << " x " << shape.height << '\n';
  const Grid grid = drawGrid(shape, random);
  writeGrid(shape, grid, out);
  writeEntries(shape, random, out);
  writeHeroSections(out);
  writeTriggers(shape, out);
  out << "SCENARIO_DESCRIPTION\n"
      << "CREATURE_COUNT P1 TROLL 5\nSTART_WITH P1 PORTAL\nNO P2 CASINO\n"
      << "MUST_RESEARCH P1 CREATE_GOLD_SPELL\nEOF\n";
  return std::move(out.str());
}

ExpectedFiles expectedFiles(const MapShape& shape) {
  ExpectedFiles files;
  files.mapFile =
      36 + 4 * static_cast<std::size_t>(shape.width) * static_cast<std::size_t>(shape.height);
  files.triggerElements =
      shape.triggerElements == 0 ? 4 * 3 + kGateTriggerElements : shape.triggerElements;
  files.triggersFile = 60 + 24 * files.triggerElements;
  files.thingsFile = kThingsFrame + kCreatureBytes * shape.creatures +
                     kObjectBytes * shape.objects + kDoorBytes * shape.doors +
                     kTrapBytes * shape.traps + kAreaBytes * (kGates + kAreas) +
                     kBandBytes * kBands + kStructureBytes * (kGates + kHearts);
  return files;
}

}  // namespace ts::bench
