// From the decoded level files to the sections of the map text: the header from the
// level-information file, the grid from the map file, the placed things, bands, areas, gates
// and hearts from the things file, the gold from the players file and the scenario statements
// from the variables file. Fields are read at the writers' layout offsets from the records the
// inspector found.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>

#include "decompile/level_text.h"
#include "format/layouts.h"
#include "model/grammar.h"
#include "model/level_description.h"

namespace ts::decompile {

namespace {

using inspect::Record;

bool isBlankByte(std::uint8_t b) {
  return b == ' ' || b == '\t' || b == '\n' || b == '\v' || b == '\f' || b == '\r';
}

void decodeHeader(const DecodedFiles& files, LevelText& level, Findings& findings) {
  const Reader r(files.bytes[kLevelInfoFile]);
  const std::size_t end = std::min(layout::kLevelNameEnd, r.size());
  for (std::size_t at = layout::kLevelNameOffset; at + 1 < end; at += 2) {
    const std::uint16_t unit = r.u16(at);
    if (unit == 0) break;
    const auto byte = static_cast<std::uint8_t>(unit);
    // What the compiler's header check refuses, and what no word of a text holds.
    const bool refused = unit > 0xFF || byte < 0x20 || byte == 0x7F || byte == '/' ||
                         byte == '\\' || isBlankByte(byte);
    if (refused) {
      findings.add(kLevelInfoFile, at,
                   "the level name holds the character " + hex(unit, 4) +
                       ", which no level name of a map text holds; written as _");
    }
    if (level.name.size() == kMaxLevelNameLength) {
      findings.add(kLevelInfoFile, at,
                   "the level name is longer than the 34 characters a map text may give; the rest "
                   "is left out");
      break;
    }
    level.name += refused ? '_' : static_cast<char>(byte);
  }
  if (level.name.empty()) {
    findings.add(kLevelInfoFile, layout::kLevelNameOffset,
                 "the level has no name; the text calls it Level");
    level.name = "Level";
  }
  const std::uint8_t players = r.u8(layout::kPlayerCountOffset);
  level.players = players >= 1 && players <= 4 ? players : 0;  // settled by the hearts below
  if (level.players == 0) {
    findings.add(kLevelInfoFile, layout::kPlayerCountOffset,
                 "player count " + std::to_string(players) + "; a map text gives 1 to 4 keepers");
  }
}

void decodeGrid(const DecodedFiles& files, LevelText& level, Findings& findings) {
  const inspect::MapGrid& grid = files.inspections[kMapFile].map;
  // A text row holds at most 999 squares, and the rows and the empty lines among them are
  // counted up to 1000.
  const std::int64_t width = std::clamp<std::int64_t>(grid.width, 1, kMaxTextWidth);
  const std::int64_t height = std::clamp<std::int64_t>(grid.height, 1, kLoopLimit);
  if (width != grid.width || height != grid.height) {
    findings.add(kMapFile, layout::kMapWidth,
                 "a " + std::to_string(grid.width) + " by " + std::to_string(grid.height) +
                     " map; a map text holds 1 to 999 squares a row and 1 to 1000 rows, so it "
                     "has " +
                     std::to_string(width) + " by " + std::to_string(height));
  }
  level.width = static_cast<std::int32_t>(width);
  level.height = static_cast<std::int32_t>(height);
  level.cells.assign(static_cast<std::size_t>(width * height), kSolidRockCode);
  const auto fileWidth = static_cast<std::size_t>(std::max<std::int64_t>(grid.width, 1));
  std::set<TerrainCode> terrains;
  for (const NameValue& t : kTerrainTable) terrains.insert(t.value);
  for (std::size_t i = 0; i < grid.cells.size(); ++i) {
    const std::size_t x = i % fileWidth;
    const std::size_t y = i / fileWidth;
    if (x >= static_cast<std::size_t>(width) || y >= static_cast<std::size_t>(height)) continue;
    const auto code = static_cast<TerrainCode>(grid.cells[i]);
    const bool known = code == kUnknownTerrainCode || terrains.count(code) != 0;
    // Markers never reach the map file: the compiler writes HERO_GATE_6 for them.
    if (!known || code != mapFileCode(code)) {
      findings.add(kMapFile, layout::kFirstCell + layout::kCellSize * i,
                   "terrain code " + hex(grid.cells[i], 8) + " at square (" + std::to_string(x) +
                       ", " + std::to_string(y) +
                       ") is no terrain of a map text; drawn with the character of no terrain");
      level.cells[y * static_cast<std::size_t>(width) + x] = kUnknownTerrainCode;
      continue;
    }
    level.cells[y * static_cast<std::size_t>(width) + x] = code;
  }
  if (grid.cells.size() <
      static_cast<std::size_t>(grid.width > 0 && grid.height > 0 ? grid.width * grid.height : 0)) {
    findings.add(kMapFile, layout::kFirstCell + layout::kCellSize * grid.cells.size(),
                 "the map file holds " + std::to_string(grid.cells.size()) +
                     " squares of its map; the others are drawn as solid rock");
  }
}

// The things file's records, sorted by kind. Areas and structures are split later.
struct Things {
  std::vector<const Record*> areas;
  std::vector<const Record*> gates;   // structures of the hero player
  std::vector<const Record*> hearts;  // keepers' hearts
};

// One record of the things file with the file's bytes, and where findings about it go.
struct Placed {
  const Reader& r;
  const Record& rec;
  Findings& findings;

  [[nodiscard]] std::uint8_t u8(std::size_t field) const { return r.u8(rec.offset + field); }
  [[nodiscard]] std::int32_t x() const { return r.i32(rec.offset + layout::kThingX); }
  [[nodiscard]] std::int32_t y() const { return r.i32(rec.offset + layout::kThingY); }

  // Reports the field at `field` that a map text cannot give; the entry is left out.
  void drop(std::size_t field, const std::string& what) const {
    findings.add(kThingsFile, rec.offset + field,
                 std::string(rec.kind) + " " + std::to_string(rec.number) + ": " + what +
                     ", which a map text cannot give; the entry is left out");
  }
  // The id at `field` when `table` names it; otherwise the entry is dropped.
  template <std::size_t N>
  [[nodiscard]] std::optional<std::uint8_t> named(std::size_t field,
                                                  const std::array<NameValue, N>& table,
                                                  std::string_view what) const {
    const std::uint8_t id = u8(field);
    if (!nameOf(table, id).empty()) return id;
    drop(field, std::string(what) + " " + std::to_string(id));
    return std::nullopt;
  }
  // The player at `field` when it has a token in the text; otherwise the entry is dropped.
  [[nodiscard]] std::optional<std::int32_t> owner(std::size_t field) const {
    const std::uint8_t player = u8(field);
    if (!nameOf(kPlayerTokens, player).empty()) return player;
    drop(field, "owner " + std::to_string(player));
    return std::nullopt;
  }
};

bool isKeeper(std::uint8_t player) {
  return player >= kFirstKeeperPlayer && player < kFirstKeeperPlayer + 4;
}

void decodeCreature(const Placed& p, LevelText& level) {
  const auto id = p.named(layout::kCreatureId, kCreatureTable, "creature");
  if (!id) return;
  const std::uint8_t lvl = p.u8(layout::kCreatureLevel);
  if (lvl < 1 || lvl > 10) return p.drop(layout::kCreatureLevel, "level " + std::to_string(lvl));
  const auto owner = p.owner(layout::kCreatureOwner);
  if (!owner) return;
  level.creatures.push_back({*owner, *id, p.x(), p.y(), lvl});
}

void decodeObject(const Placed& p, LevelText& level) {
  const auto id = p.named(layout::kObjectId, kObjectTable, "object");
  if (!id) return;
  level.objects.push_back({kNeutralPlayer, *id, p.x(), p.y()});
}

void decodeDoor(const Placed& p, LevelText& level) {
  const auto id = p.named(layout::kDoorId, kDoorTable, "door");
  if (!id) return;
  const auto owner = p.owner(layout::kDoorOwner);
  if (!owner) return;
  level.doors.push_back({*owner, *id, p.x(), p.y(), p.u8(layout::kDoorLocked) == 1});
}

void decodeTrap(const Placed& p, LevelText& level) {
  const auto id = p.named(layout::kTrapId, kTrapTable, "trap");
  if (!id) return;
  const auto owner = p.owner(layout::kTrapOwner);
  if (!owner) return;
  level.traps.push_back({*owner, *id, p.x(), p.y()});
}

// Hero gates and keepers' hearts are kept for later; any other structure is dropped.
void sortStructure(const Placed& p, Things& things) {
  const std::uint8_t owner = p.u8(layout::kStructureOwner);
  const std::uint8_t terrain = p.u8(layout::kStructureTerrain);
  if (owner == kHeroPlayer) {
    things.gates.push_back(&p.rec);
  } else if (isKeeper(owner) && terrain == 14) {
    things.hearts.push_back(&p.rec);
  } else {
    p.drop(layout::kStructureOwner, "a structure of terrain " + std::to_string(terrain) +
                                        " owned by player " + std::to_string(owner));
  }
}

// A band keeps the members a map text can give; its owner is its first member's keeper.
void decodeBand(const Placed& p, LevelText& level) {
  TextBand band;
  for (const Record& m : p.rec.parts) {
    const std::size_t slot = m.offset;
    const std::uint8_t id = p.r.u8(slot + layout::kMemberCreature);
    const std::uint8_t lvl = p.r.u8(slot + layout::kMemberLevel);
    const std::uint8_t owner = p.r.u8(slot + layout::kMemberOwner);
    if (nameOf(kCreatureTable, id).empty() || lvl < 1 || lvl > 10) {
      p.findings.add(kThingsFile, slot,
                     "hero band " + std::to_string(p.rec.number) + ", member " +
                         std::to_string(m.number) +
                         ": no creature and level of a map text; the member is left out");
      continue;
    }
    if (band.members.empty() && isKeeper(owner)) band.owner = owner;
    band.members.push_back({lvl, id, kBandMemberCode, owner});
  }
  level.bands.push_back(std::move(band));
}

void decodePlaced(const Reader& r, const Record& rec, LevelText& level, Things& things,
                  Findings& findings) {
  const Placed p{r, rec, findings};
  if (rec.kind == "creature") {
    decodeCreature(p, level);
  } else if (rec.kind == "object") {
    decodeObject(p, level);
  } else if (rec.kind == "door") {
    decodeDoor(p, level);
  } else if (rec.kind == "trap") {
    decodeTrap(p, level);
  } else if (rec.kind == "area") {
    things.areas.push_back(&rec);
  } else if (rec.kind == "structure") {
    sortStructure(p, things);
  } else if (rec.kind == "hero band") {
    decodeBand(p, level);
  }
}

TerrainCode gateTerrain(const Reader& r, const Record& rec, const LevelText& level,
                        Findings& findings) {
  const std::size_t at = rec.offset;
  const std::uint8_t style = r.u8(at + layout::kStructureTerrain);
  const std::uint8_t variant = r.u8(at + layout::kStructureVariant);
  const std::int32_t x = r.i32(at + layout::kThingX);
  const std::int32_t y = r.i32(at + layout::kThingY);
  const std::string gate = "hero gate " + std::to_string(rec.number);
  if (x < 0 || y < 0 || x >= level.width || y >= level.height) {
    findings.add(kThingsFile, at, gate + " stands outside the map, where no gate can be drawn");
    return 0;
  }
  if (style == kMarkerGateStyle) {
    if (isGateMarker(kHeroGate7Marker + variant)) return kHeroGate7Marker + variant;
    findings.add(kThingsFile, at + layout::kStructureVariant,
                 gate + " has variant " + std::to_string(variant) +
                     "; gate markers give 0, 2, 4 or 6; drawn with HERO_GATE_7");
    return kHeroGate7Marker;
  }
  const TerrainCode square =
      level.cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(level.width) +
                  static_cast<std::size_t>(x)];
  if (style == kGateStyle && isGateTerrain(square) && variant == 0) return square;
  findings.add(kThingsFile, at + layout::kStructureTerrain,
               gate + " of style " + std::to_string(style) + " and variant " +
                   std::to_string(variant) + " stands on terrain " +
                   hex(static_cast<std::uint32_t>(square), 8) +
                   "; no gate terrain of a map text gives that");
  return 0;
}

void decodeThings(const DecodedFiles& files, LevelText& level, std::vector<DrawnGate>& gates,
                  Findings& findings) {
  const Reader r(files.bytes[kThingsFile]);
  Things things;
  for (const Record& rec : files.inspections[kThingsFile].records) {
    decodePlaced(r, rec, level, things, findings);
  }
  // The areas of the hero gates come first, then the entrance areas.
  const std::size_t gateCount = things.gates.size();
  if (things.areas.size() < gateCount) {
    findings.add(kThingsFile, layout::kElementCount,
                 std::to_string(gateCount) + " hero gates but " +
                     std::to_string(things.areas.size()) +
                     " areas; every gate has an area; gates without one are left out");
  }
  for (std::size_t i = 0; i < things.areas.size(); ++i) {
    const std::size_t at = things.areas[i]->offset;
    const GateExtent e{r.i32(at + layout::kAreaLeft), r.i32(at + layout::kAreaTop),
                       r.i32(at + layout::kAreaRight), r.i32(at + layout::kAreaBottom)};
    if (i < gateCount) {
      const Record& s = *things.gates[i];
      DrawnGate g{r.i32(s.offset + layout::kThingX), r.i32(s.offset + layout::kThingY), 0, e};
      g.terrain = gateTerrain(r, s, level, findings);
      if (g.terrain == 0) continue;
      gates.push_back(g);
      level.gates.push_back({g.x, g.y, false, 0, 0, kGateStyle, e});
    } else {
      level.areas.push_back({e.left, e.top, e.right, e.bottom});
      level.areaWatchers.push_back(r.u16(at + layout::kAreaTrigger));
    }
  }
  for (const Record* h : things.hearts) {
    const auto k =
        static_cast<std::size_t>(r.u8(h->offset + layout::kStructureOwner) - kFirstKeeperPlayer);
    if (level.hearts[k]) {
      findings.add(kThingsFile, h->offset,
                   "a second heart of keeper " + std::to_string(k + 1) +
                       "; a map text gives one; it is left out");
      continue;
    }
    level.hearts[k] = true;
    level.heartX[k] = r.i32(h->offset + layout::kThingX);
    level.heartY[k] = r.i32(h->offset + layout::kThingY);
  }
}

void decodeGold(const DecodedFiles& files, LevelText& level, Findings& findings) {
  const Reader r(files.bytes[kPlayersFile]);
  std::array<bool, 4> seen{};
  for (const Record& rec : files.inspections[kPlayersFile].records) {
    if (rec.kind != "player") continue;
    const std::uint16_t keeper = r.u16(rec.offset + layout::kPlayerKeeper);
    if (keeper == 0) continue;  // the good and the neutral player
    const std::size_t k = keeper - 1U;
    if (k >= 4 || !level.hearts[k] || seen[k]) {
      findings.add(kPlayersFile, rec.offset + layout::kPlayerKeeper,
                   "a player record of keeper " + std::to_string(keeper) +
                       ", whose heart the things file does not hold; a map text writes a record "
                       "for each heart only");
      continue;
    }
    seen[k] = true;
    level.gold[k] = r.i32(rec.offset + layout::kPlayerGold);
  }
}

// The tables every keeper starts with; the scenario description only adds and changes entries.
struct KeeperTables {
  std::map<std::int32_t, std::int32_t> creatures;
  std::array<std::map<std::int32_t, std::int32_t>, 4> states;  // rooms, traps, doors, spells
};

KeeperTables defaultTables() {
  KeeperTables t;
  for (std::int32_t id : {3, 4, 5, 6, 7, 10, 11, 12, 22, 23, 24}) t.creatures[id] = 32;
  for (std::int32_t id : {1, 2, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}) {
    t.states[0][id] = kStartWith;
  }
  for (std::int32_t id = 1; id <= 11; ++id) t.states[1][id] = kStartWith;
  for (std::int32_t id = 1; id <= 6; ++id) t.states[2][id] = kStartWith;
  t.states[3] = {{2, kStartWith}, {4, kStartWith}};
  return t;
}

// Availability categories of the variables file, in the order the statements are written, and
// the table each is looked up in.
struct StateKind {
  std::uint16_t category;
  std::string_view (*name)(std::int32_t);
};
constexpr StateKind kStateKinds[] = {
    {layout::kCategoryRoom, [](std::int32_t id) { return nameOf(kRoomTable, id); }},
    {layout::kCategoryTrap, [](std::int32_t id) { return nameOf(kTrapTable, id); }},
    {layout::kCategoryDoor, [](std::int32_t id) { return nameOf(kDoorTable, id); }},
    {layout::kCategorySpell, [](std::int32_t id) { return nameOf(kSpellTable, id); }},
};

std::string_view statementWord(std::int32_t state) {
  switch (state) {
    case kStartWith:
      return wordOf(Statement::kStartWith);
    case kMustResearch:
      return wordOf(Statement::kMustResearch);
    case kNotAvailable:
      return wordOf(Statement::kNo);
    default:
      return {};
  }
}

// The entries of the variables file, in file order.
std::vector<const Record*> variableEntries(const DecodedFiles& files) {
  std::vector<const Record*> entries;
  for (const Record& rec : files.inspections[kVariablesFile].records) {
    if (rec.size == layout::kVariableEntrySize && rec.kind != "information" &&
        rec.kind != "file size") {
      entries.push_back(&rec);
    }
  }
  return entries;
}

// How many of `entries` hold the keepers' tables: behind them the compiler writes 40 entries
// for each heart and the closing entries, which the text gives no say over.
std::size_t keeperTableEntries(std::size_t entries, const LevelText& level) {
  std::size_t hearts = 0;
  for (bool h : level.hearts) hearts += h ? 1 : 0;
  const std::size_t fixedTail = 40 * hearts + 2 + hearts;
  return entries >= fixedTail ? entries - fixedTail : 0;
}

// Adds the entry at `at` to the table of the keeper it is for; what no statement gives goes to
// `findings`.
void readKeeperEntry(const Reader& r, std::size_t at, std::vector<KeeperTables>& found,
                     Findings& findings) {
  const std::uint32_t type = r.u32(at + layout::kEntryType);
  std::size_t player = 0;
  if (type == layout::kEntryCreatureCount) {
    player = r.u32(at + layout::kCountPlayer);
  } else if (type == layout::kEntryAvailability) {
    player = r.u16(at + layout::kAvailabilityPlayer);
  }
  const std::size_t k = player - kFirstKeeperPlayer;
  if (player < kFirstKeeperPlayer || k >= found.size()) {
    findings.add(kVariablesFile, at,
                 "an entry for player " + std::to_string(player) +
                     ", who is no keeper of the level; a map text cannot give it");
    return;
  }
  if (type == layout::kEntryCreatureCount) {
    const std::int32_t id = r.i32(at + layout::kCountCreature);
    if (nameOf(kCreatureTable, id).empty()) {
      findings.add(
          kVariablesFile, at,
          "a creature count of creature " + std::to_string(id) + ", which a map text cannot name");
      return;
    }
    found[k].creatures[id] = r.i32(at + layout::kCountValue);
    return;
  }
  const std::uint16_t category = r.u16(at + layout::kAvailabilityCategory);
  if (category == layout::kCategoryCreature) return;  // follows from the creature counts
  const std::int32_t id = r.i32(at + layout::kAvailabilityItem);
  const std::int32_t state = r.i32(at + layout::kAvailabilityState);
  const auto* kind = std::find_if(std::begin(kStateKinds), std::end(kStateKinds),
                                  [&](const StateKind& s) { return s.category == category; });
  if (kind == std::end(kStateKinds) || kind->name(id).empty() || statementWord(state).empty()) {
    findings.add(kVariablesFile, at,
                 "availability " + std::to_string(state) + " of item " + std::to_string(id) +
                     " in category " + std::to_string(category) +
                     ", which no scenario statement gives");
    return;
  }
  found[k].states[static_cast<std::size_t>(kind - std::begin(kStateKinds))][id] = state;
}

// The statements that turn the default tables into keeper k's `found` ones. A default entry
// the file lacks is reported at `tablesEnd`: no statement removes one.
void writeKeeperStatements(std::size_t k, const KeeperTables& found, const KeeperTables& defaults,
                           std::size_t tablesEnd, LevelText& level, Findings& findings) {
  const std::string player = "P" + std::to_string(k + 1);
  auto missing = [&](std::string_view what) {
    findings.add(kVariablesFile, tablesEnd,
                 "keeper " + std::to_string(k + 1) + " lacks the default entry for " +
                     std::string(what) + ", which no scenario statement removes");
  };
  for (const auto& [id, count] : defaults.creatures) {
    if (found.creatures.count(id) == 0) missing(nameOf(kCreatureTable, id));
  }
  for (const auto& [id, count] : found.creatures) {
    const auto d = defaults.creatures.find(id);
    if (d != defaults.creatures.end() && d->second == count) continue;
    level.scenario.push_back(std::string(wordOf(Statement::kCreatureCount)) + " " + player + " " +
                             std::string(nameOf(kCreatureTable, id)) + " " + std::to_string(count));
  }
  for (std::size_t t = 0; t < std::size(kStateKinds); ++t) {
    for (const auto& [id, state] : defaults.states[t]) {
      if (found.states[t].count(id) == 0) missing(kStateKinds[t].name(id));
    }
    for (const auto& [id, state] : found.states[t]) {
      const auto d = defaults.states[t].find(id);
      if (d != defaults.states[t].end() && d->second == state) continue;
      level.scenario.push_back(std::string(statementWord(state)) + " " + player + " " +
                               std::string(kStateKinds[t].name(id)));
    }
  }
}

void decodeScenario(const DecodedFiles& files, LevelText& level, Findings& findings) {
  const Reader r(files.bytes[kVariablesFile]);
  const std::vector<const Record*> entries = variableEntries(files);
  const std::size_t tables = keeperTableEntries(entries.size(), level);
  std::vector<KeeperTables> found(static_cast<std::size_t>(level.players));
  for (std::size_t i = 0; i < tables; ++i) readKeeperEntry(r, entries[i]->offset, found, findings);
  const std::size_t tablesEnd =
      tables < entries.size() ? entries[tables]->offset : files.bytes[kVariablesFile].size();
  const KeeperTables defaults = defaultTables();
  for (std::size_t k = 0; k < found.size(); ++k) {
    writeKeeperStatements(k, found[k], defaults, tablesEnd, level, findings);
  }
}

}  // namespace

std::string hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
  return text;
}

void Findings::add(LevelFile file, std::size_t offset, std::string message, bool always) {
  if (silenced_[file] && !always) return;
  if (++counted_[file] <= kListedPerFile) {
    list_.push_back({file, offset, std::move(message)});
  }
  lastOffset_[file] = std::max(lastOffset_[file], offset);
}

std::vector<Finding> Findings::take() {
  for (std::size_t f = 0; f < kLevelFileCount; ++f) {
    if (counted_[f] > kListedPerFile) {
      list_.push_back({static_cast<LevelFile>(f), lastOffset_[f],
                       std::to_string(counted_[f] - kListedPerFile) +
                           " further findings in this file are not listed"});
    }
  }
  counted_ = {};
  std::stable_sort(list_.begin(), list_.end(), [](const Finding& a, const Finding& b) {
    return a.file != b.file ? a.file < b.file : a.offset < b.offset;
  });
  return std::move(list_);
}

void decodeLevel(const DecodedFiles& files, LevelText& level, Findings& findings) {
  decodeHeader(files, level, findings);
  decodeGrid(files, level, findings);
  std::vector<DrawnGate> gates;
  decodeThings(files, level, gates, findings);
  std::int32_t hearts = 0;
  for (bool h : level.hearts) hearts += h ? 1 : 0;
  if (hearts != level.players) {
    const std::int32_t players = std::clamp(hearts, 1, 4);
    findings.add(kThingsFile, layout::kElementCount,
                 std::to_string(hearts) + " keepers' hearts for " + std::to_string(level.players) +
                     " keepers; a map text gives one heart a keeper; the text has " +
                     std::to_string(players) + " keepers");
    level.players = players;
    for (std::size_t k = 0; k < 4 && hearts < players; ++k) {
      if (!level.hearts[k]) {
        level.hearts[k] = true;
        ++hearts;
      }
    }
  }
  decodeGold(files, level, findings);
  placeGateMarkers(level, gates);
  decodeTriggers(files, gates, level, findings);
  decodeScenario(files, level, findings);
}

}  // namespace ts::decompile
