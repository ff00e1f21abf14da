#include "model/vocabulary.h"

namespace ts {

// Unowned terrain (owner 2), hero terrain (owner 1), the four hero gate markers, then every
// owner prefix combined with every floor and room name.
const std::array<NameValue, 139> kTerrainTable = {{
    {"SOLID_ROCK", 0x01010201},
    {"ROCK", 0x01010202},
    {"UNCLAIMED", 0x01010203},
    {"WATER", 0x01010204},
    {"LAVA", 0x01010205},
    {"GOLD", 0x01010206},
    {"GEMS", 0x01010207},
    {"MAP_BORDER", 0x0101021E},
    {"HERO_GATE_1", 0x0101011C},
    {"HERO_GATE_2", 0x0101011D},
    {"HERO_GATE_3", 0x01010121},
    {"HERO_GATE_4", 0x01010122},
    {"HERO_REST_AREA", 0x01010123},
    {"HERO_GATE_5", 0x01010124},
    {"HERO_GATE_6", 0x01010125},
    {"HERO_GATE_7", 100},
    {"HERO_GATE_8", 102},
    {"HERO_GATE_9", 104},
    {"HERO_GATE_10", 106},
    {"HERO_CLAIMED_SQ", 0x01010108},
    {"HERO_OWNED_ROCK", 0x01010109},
    {"HERO_TREASURY", 0x0101010A},
    {"HERO_LAIR", 0x0101010B},
    {"HERO_PORTAL", 0x0101010C},
    {"HERO_HATCHERY", 0x0101010D},
    {"HERO_HEART", 0x0101010E},
    {"HERO_LIBRARY", 0x0101010F},
    {"HERO_TRAINING", 0x01010110},
    {"HERO_WOOD_BR", 0x01010111},
    {"HERO_GUARD_RM", 0x01010112},
    {"HERO_WORKSHOP", 0x01010113},
    {"HERO_PRISON", 0x01010114},
    {"HERO_TORTURE", 0x01010115},
    {"HERO_TEMPLE", 0x01010116},
    {"HERO_GRAVEYARD", 0x01010117},
    {"HERO_CASINO", 0x01010118},
    {"HERO_COMBAT_PIT", 0x01010119},
    {"HERO_STONE_BR", 0x0101011A},
    {"HERO_MANA", 0x01010120},
    {"NEUTRAL_CLAIMED_SQ", 0x01010208},
    {"NEUTRAL_OWNED_ROCK", 0x01010209},
    {"NEUTRAL_TREASURY", 0x0101020A},
    {"NEUTRAL_LAIR", 0x0101020B},
    {"NEUTRAL_PORTAL", 0x0101020C},
    {"NEUTRAL_HATCHERY", 0x0101020D},
    {"NEUTRAL_HEART", 0x0101020E},
    {"NEUTRAL_LIBRARY", 0x0101020F},
    {"NEUTRAL_TRAINING", 0x01010210},
    {"NEUTRAL_WOOD_BR", 0x01010211},
    {"NEUTRAL_GUARD_RM", 0x01010212},
    {"NEUTRAL_WORKSHOP", 0x01010213},
    {"NEUTRAL_PRISON", 0x01010214},
    {"NEUTRAL_TORTURE", 0x01010215},
    {"NEUTRAL_TEMPLE", 0x01010216},
    {"NEUTRAL_GRAVEYARD", 0x01010217},
    {"NEUTRAL_CASINO", 0x01010218},
    {"NEUTRAL_COMBAT_PIT", 0x01010219},
    {"NEUTRAL_STONE_BR", 0x0101021A},
    {"NEUTRAL_MANA", 0x01010220},
    {"KPR1_CLAIMED_SQ", 0x01010308},
    {"KPR1_OWNED_ROCK", 0x01010309},
    {"KPR1_TREASURY", 0x0101030A},
    {"KPR1_LAIR", 0x0101030B},
    {"KPR1_PORTAL", 0x0101030C},
    {"KPR1_HATCHERY", 0x0101030D},
    {"KPR1_HEART", 0x0101030E},
    {"KPR1_LIBRARY", 0x0101030F},
    {"KPR1_TRAINING", 0x01010310},
    {"KPR1_WOOD_BR", 0x01010311},
    {"KPR1_GUARD_RM", 0x01010312},
    {"KPR1_WORKSHOP", 0x01010313},
    {"KPR1_PRISON", 0x01010314},
    {"KPR1_TORTURE", 0x01010315},
    {"KPR1_TEMPLE", 0x01010316},
    {"KPR1_GRAVEYARD", 0x01010317},
    {"KPR1_CASINO", 0x01010318},
    {"KPR1_COMBAT_PIT", 0x01010319},
    {"KPR1_STONE_BR", 0x0101031A},
    {"KPR1_MANA", 0x01010320},
    {"KPR2_CLAIMED_SQ", 0x01010408},
    {"KPR2_OWNED_ROCK", 0x01010409},
    {"KPR2_TREASURY", 0x0101040A},
    {"KPR2_LAIR", 0x0101040B},
    {"KPR2_PORTAL", 0x0101040C},
    {"KPR2_HATCHERY", 0x0101040D},
    {"KPR2_HEART", 0x0101040E},
    {"KPR2_LIBRARY", 0x0101040F},
    {"KPR2_TRAINING", 0x01010410},
    {"KPR2_WOOD_BR", 0x01010411},
    {"KPR2_GUARD_RM", 0x01010412},
    {"KPR2_WORKSHOP", 0x01010413},
    {"KPR2_PRISON", 0x01010414},
    {"KPR2_TORTURE", 0x01010415},
    {"KPR2_TEMPLE", 0x01010416},
    {"KPR2_GRAVEYARD", 0x01010417},
    {"KPR2_CASINO", 0x01010418},
    {"KPR2_COMBAT_PIT", 0x01010419},
    {"KPR2_STONE_BR", 0x0101041A},
    {"KPR2_MANA", 0x01010420},
    {"KPR3_CLAIMED_SQ", 0x01010508},
    {"KPR3_OWNED_ROCK", 0x01010509},
    {"KPR3_TREASURY", 0x0101050A},
    {"KPR3_LAIR", 0x0101050B},
    {"KPR3_PORTAL", 0x0101050C},
    {"KPR3_HATCHERY", 0x0101050D},
    {"KPR3_HEART", 0x0101050E},
    {"KPR3_LIBRARY", 0x0101050F},
    {"KPR3_TRAINING", 0x01010510},
    {"KPR3_WOOD_BR", 0x01010511},
    {"KPR3_GUARD_RM", 0x01010512},
    {"KPR3_WORKSHOP", 0x01010513},
    {"KPR3_PRISON", 0x01010514},
    {"KPR3_TORTURE", 0x01010515},
    {"KPR3_TEMPLE", 0x01010516},
    {"KPR3_GRAVEYARD", 0x01010517},
    {"KPR3_CASINO", 0x01010518},
    {"KPR3_COMBAT_PIT", 0x01010519},
    {"KPR3_STONE_BR", 0x0101051A},
    {"KPR3_MANA", 0x01010520},
    {"KPR4_CLAIMED_SQ", 0x01010608},
    {"KPR4_OWNED_ROCK", 0x01010609},
    {"KPR4_TREASURY", 0x0101060A},
    {"KPR4_LAIR", 0x0101060B},
    {"KPR4_PORTAL", 0x0101060C},
    {"KPR4_HATCHERY", 0x0101060D},
    {"KPR4_HEART", 0x0101060E},
    {"KPR4_LIBRARY", 0x0101060F},
    {"KPR4_TRAINING", 0x01010610},
    {"KPR4_WOOD_BR", 0x01010611},
    {"KPR4_GUARD_RM", 0x01010612},
    {"KPR4_WORKSHOP", 0x01010613},
    {"KPR4_PRISON", 0x01010614},
    {"KPR4_TORTURE", 0x01010615},
    {"KPR4_TEMPLE", 0x01010616},
    {"KPR4_GRAVEYARD", 0x01010617},
    {"KPR4_CASINO", 0x01010618},
    {"KPR4_COMBAT_PIT", 0x01010619},
    {"KPR4_STONE_BR", 0x0101061A},
    {"KPR4_MANA", 0x01010620},
}};

const std::array<NameValue, 83> kObjectTable = {{
    {"TH_TARGET", 29},
    {"TH_ROULETTE_WHEEL", 30},
    {"TH_TOMB_STONE1", 31},
    {"TH_TOMB_STONE2", 32},
    {"TH_TOMB_STONE3", 33},
    {"TH_TOMB_STONE4", 34},
    {"TH_CHICKEN_COOP", 35},
    {"TH_BOULDER_TR_CRATE", 36},
    {"TH_FEAR_TR_CRATE", 37},
    {"TH_A_BOX", 38},
    {"TH_FREEZE_TR_CRATE", 39},
    {"TH_GAS_TR_CRATE", 40},
    {"TH_LIGHTNING_TR_CRATE", 41},
    {"TH_SENTRY_TR_CRATE", 42},
    {"TH_SPIKE_TR_CRATE", 43},
    {"TH_TRIGGER_TR_CRATE", 44},
    {"TH_FISH", 45},
    {"TH_TABLE1", 46},
    {"TH_VICTIM", 48},
    {"TH_SKULL", 49},
    {"TH_BONE1", 50},
    {"TH_BOWL", 51},
    {"TH_WOOD_DR_CRATE", 52},
    {"TH_BRACED_DR_CRATE", 53},
    {"TH_MAGIC_DR_CRATE", 55},
    {"TH_BARRICADE_CR", 56},
    {"TH_SECRET_DR_CRATE", 57},
    {"TH_FLIPPING_BOOK", 58},
    {"TH_BARREL", 59},
    {"TH_IMP_STATUE", 60},
    {"TH_ELECTRIC_CHAIR", 61},
    {"TH_FLOOR_FURNACE", 62},
    {"TH_SPIKE_POOL", 63},
    {"TH_CHARTS", 64},
    {"TH_WEAPONS1", 65},
    {"TH_HAND", 66},
    {"TH_TABLE2", 67},
    {"TH_BARRELS", 68},
    {"TH_ONE_ARM_BANDIT", 69},
    {"TH_WEAPONS2", 71},
    {"TH_ARCH_WAY", 72},
    {"TH_BRACED_DOOR_WAY", 73},
    {"TH_BOULDER_OF_DEATH", 74},
    {"TH_COFFIN", 75},
    {"TH_COLUMN_A", 76},
    {"TH_COLUMN_B", 77},
    {"TH_COLUMN_C", 78},
    {"TH_COLUMN_D", 79},
    {"TH_FURNACE", 80},
    {"TH_SMALL_COLUMN", 81},
    {"TH_LARGE_COLUMN", 82},
    {"TH_MEDIUM_COLUMN", 84},
    {"TH_TINY_COLUMN", 85},
    {"TH_HEART_TOP", 86},
    {"TH_ROULETTE_TABLE", 87},
    {"TH_KT1_FLAG", 89},
    {"TH_HEART_CAP", 96},
    {"TH_MANA_BURST", 101},
    {"TH_SWINGING_DOOR", 109},
    {"TH_LAMP_LIGHT", 110},
    {"TH_TABLE3", 112},
    {"TH_WEAPONS3", 113},
    {"TH_MAGIC_SPARKLES", 114},
    {"TH_DOOR_LOCK1", 116},
    {"TH_SLOT_MACHINE", 130},
    {"TH_GEM_VIEWER", 131},
    {"TH_PENDULUM", 132},
    {"TH_FLAG1", 134},
    {"TH_FLAG2", 135},
    {"TH_FLAG3", 136},
    {"MI_RAISE_LEVEL", 117},
    {"MI_REVEAL_MAP", 118},
    {"MI_BUILD_WALLS", 119},
    {"MI_DESTROY_WALLS", 120},
    {"MI_INFLUX_CASH", 121},
    {"MI_INFLUX_MANA", 122},
    {"MI_STUN_IMPS", 123},
    {"MI_MAGIC_DRONES", 124},
    {"MI_MAKE_HAPPY", 125},
    {"MI_MAKE_SAD", 126},
    {"MI_ASSASINATE", 127},
    {"MI_RESTORE_HEALTH", 128},
    {"MI_SECRET_LEVEL", 129},
}};

const std::array<NameValue, 31> kCreatureTable = {{
    {"IMP", 1},
    {"PRINCE_TRISTAN", 2},
    {"BILE_DEMON", 3},
    {"MISTRESS", 4},
    {"WARLOCK", 5},
    {"DARK_ELF", 6},
    {"GOBLIN", 7},
    {"VAMPIRE", 8},
    {"SKELETON", 9},
    {"TROLL", 10},
    {"SALAMANDER", 11},
    {"FIREFLY", 12},
    {"KNIGHT", 13},
    {"DWARF", 14},
    {"GIANT", 15},
    {"WIZARD", 16},
    {"ELVEN_ARCHER", 17},
    {"THIEF", 18},
    {"MONK", 19},
    {"FAIRY", 20},
    {"KING_REGINALD", 21},
    {"BLACK_KNIGHT", 22},
    {"DARK_ANGEL", 23},
    {"ROGUE", 24},
    {"GUARD", 25},
    {"PRINCE_FELIX", 26},
    {"HORNED_REAPER", 27},
    {"STONE_GIANT", 28},
    {"LORD_OF_THE_LAND", 29},
    {"ROYAL_GUARD", 30},
    {"PRINCE_BALDER", 31},
}};

const std::array<NameValue, 8> kDoorTable = {{
    {"WOODEN_DOOR", 1},
    {"STEEL_DOOR", 2},
    {"BRACED_DOOR", 3},
    {"MAGIC_DOOR", 4},
    {"SECRET_DOOR", 5},
    {"WOOD_BARRICADE", 6},
    {"STONE_BARRICADE", 7},
    {"GRATED_DOOR", 8},
}};

const std::array<NameValue, 12> kTrapTable = {{
    {"TR_GAS", 1},
    {"TR_BOULDER", 2},
    {"TR_SENTRY", 3},
    {"TR_ALARM", 4},
    {"TR_FIREBURST", 5},
    {"TR_LIGHTNING", 6},
    {"TR_FREEZE", 7},
    {"TR_FEAR", 8},
    {"TR_TRIGGER", 9},
    {"TR_SPIKE", 10},
    {"TR_GUARD_POST", 11},
    {"TR_BIG_SENTRY", 14},
}};

const std::array<NameValue, 18> kRoomTable = {{
    {"TREASURY", 1},
    {"LAIR", 2},
    {"PORTAL", 3},
    {"HATCHERY", 4},
    {"HEART", 5},
    {"LIBRARY", 6},
    {"TRAINING", 7},
    {"WOOD_BR", 8},
    {"GUARD_RM", 9},
    {"WORKSHOP", 10},
    {"PRISON", 11},
    {"TORTURE", 12},
    {"TEMPLE", 13},
    {"GRAVEYARD", 14},
    {"CASINO", 15},
    {"COMBAT_PIT", 16},
    {"STONE_BR", 17},
    {"MANA_VAULT", 23},
}};

const std::array<NameValue, 12> kSpellTable = {{
    {"CREATE_IMP_SPELL", 4},
    {"POSESSION_SPELL", 2},
    {"SIGHT_OF_EVIL_SPELL", 1},
    {"CALL_TO_ARMS_SPELL", 3},
    {"LIGHTNING_SPELL", 6},
    {"TURNCOAT_SPELL", 7},
    {"TREMOR_SPELL", 8},
    {"INFERNO_SPELL", 9},
    {"HEAL_SPELL", 10},
    {"CHICKEN_SPELL", 11},
    {"CREATE_GOLD_SPELL", 13},
    {"SUMMON_HORNY_SPELL", 5},
}};

const std::array<NameValue, 6> kPlayerTokens = {{
    {"P1", 3},
    {"P2", 4},
    {"P3", 5},
    {"P4", 6},
    {"PH", 1},
    {"PN", 2},
}};

const std::array<NameValue, 10> kLevelTokens = {{
    {"L1", 1},
    {"L2", 2},
    {"L3", 3},
    {"L4", 4},
    {"L5", 5},
    {"L6", 6},
    {"L7", 7},
    {"L8", 8},
    {"L9", 9},
    {"L10", 10},
}};

namespace {

template <std::size_t N>
std::int32_t findInTable(const std::array<NameValue, N>& table, std::string_view name,
                         std::int32_t unknown) {
  // The names are short: comparing them here is cheaper than a library call per entry.
  auto same = [](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  };
  for (const NameValue& entry : table) {
    if (same(entry.name, name)) return entry.value;
  }
  return unknown;
}

// A token of at most seven characters as one number: its characters and its length. Two tokens
// are the same exactly when their numbers are.
constexpr std::size_t kLongestPacked = 7;
constexpr std::uint64_t packed(std::string_view token) {
  std::uint64_t key = static_cast<std::uint64_t>(token.size()) << 56;
  for (std::size_t i = 0; i < token.size(); ++i) {
    key |= static_cast<std::uint64_t>(static_cast<unsigned char>(token[i])) << (8 * i);
  }
  return key;
}

// A table of short tokens looked up by their numbers: a player or level token is read for
// every entry of a large map.
template <std::size_t N>
struct PackedTable {
  explicit PackedTable(const std::array<NameValue, N>& table) {
    for (std::size_t i = 0; i < N; ++i) {
      keys[i] = table[i].name.size() <= kLongestPacked ? packed(table[i].name) : kNever;
      values[i] = table[i].value;
    }
  }
  [[nodiscard]] std::int32_t find(std::string_view token, std::int32_t unknown) const {
    if (token.size() > kLongestPacked) return unknown;
    const std::uint64_t key = packed(token);
    for (std::size_t i = 0; i < N; ++i) {
      if (keys[i] == key) return values[i];
    }
    return unknown;
  }
  static constexpr std::uint64_t kNever = ~std::uint64_t{0};  // no token packs to it
  std::array<std::uint64_t, N> keys{};
  std::array<std::int32_t, N> values{};
};

// FNV-1a: names are short, and this spreads them well enough for a table kept half empty.
std::size_t hashName(std::string_view name) {
  std::uint32_t h = 2166136261U;
  for (char c : name) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619U;
  }
  return h;
}

}  // namespace

template <std::size_t N>
NameMaps::Map NameMaps::build(const std::array<NameValue, N>& table) {
  Map map;
  std::size_t size = 16;
  while (size < 2 * N) size *= 2;
  map.slots.assign(size, NameValue{{}, 0});
  for (const NameValue& entry : table) {
    map.byValue.emplace(entry.value, std::string(entry.name));
    // A name that is already there keeps its first value.
    for (std::size_t i = hashName(entry.name) & (size - 1);; i = (i + 1) & (size - 1)) {
      if (map.slots[i].name.empty()) {
        map.slots[i] = entry;
        break;
      }
      if (map.slots[i].name == entry.name) break;
    }
  }
  return map;
}

NameMaps::NameMaps()
    : terrain_(build(kTerrainTable)),
      objects_(build(kObjectTable)),
      creatures_(build(kCreatureTable)),
      doors_(build(kDoorTable)),
      traps_(build(kTrapTable)) {}

std::int32_t NameMaps::find(const Map& map, std::string_view name) {
  // Names are unique within a table, so the index by name gives the same value as a walk in
  // ascending value order would.
  const std::size_t mask = map.slots.size() - 1;
  for (std::size_t i = hashName(name) & mask;; i = (i + 1) & mask) {
    const NameValue& slot = map.slots[i];
    if (slot.name.empty()) return -1;
    if (slot.name == name) return slot.value;
  }
}

std::int32_t NameMaps::findTerrainCode(std::string_view name) const { return find(terrain_, name); }
std::int32_t NameMaps::findObjectId(std::string_view name) const { return find(objects_, name); }
std::int32_t NameMaps::findCreatureId(std::string_view name) const {
  return find(creatures_, name);
}
std::int32_t NameMaps::findDoorId(std::string_view name) const { return find(doors_, name); }
std::int32_t NameMaps::findTrapId(std::string_view name) const { return find(traps_, name); }

std::int32_t roomIdOrZero(std::string_view name) { return findInTable(kRoomTable, name, 0); }
std::int32_t doorIdOrZero(std::string_view name) { return findInTable(kDoorTable, name, 0); }
std::int32_t trapIdOrZero(std::string_view name) { return findInTable(kTrapTable, name, 0); }
std::int32_t spellIdOrZero(std::string_view name) { return findInTable(kSpellTable, name, 0); }

std::int32_t parsePlayerToken(std::string_view token) {
  static const PackedTable players(kPlayerTokens);
  return players.find(token, kNoPlayer);
}
std::int32_t parseLevelToken(std::string_view token) {
  static const PackedTable levels(kLevelTokens);
  return levels.find(token, 0);
}

}  // namespace ts
