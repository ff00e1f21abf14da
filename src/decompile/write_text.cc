// The map text of a decompiled level: every section in its order with its count, one entry a
// line, as the examples are written.
#include <string_view>

#include "decompile/level_text.h"
#include "model/grammar.h"

namespace ts::decompile {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string token(std::int32_t player) { return std::string(nameOf(kPlayerTokens, player)); }
std::string levelToken(std::int32_t level) { return std::string(nameOf(kLevelTokens, level)); }
std::string number(std::int64_t value) { return std::to_string(value); }

std::string_view terrainName(TerrainCode code) {
  for (const NameValue& t : kTerrainTable) {
    if (t.value == code) return t.name;
  }
  return {};
}

// The two characters of a map-drawing-tool square: an owner character and a terrain character
// that together spell the terrain's name. Empty for a code no pair spells.
std::string guiSquare(TerrainCode code) {
  const std::string_view name = terrainName(code);
  for (std::size_t i = 0; i < kGuiPlainTerrains.size(); ++i) {
    if (kGuiPlainTerrains[i] == name) return {'O', static_cast<char>('a' + i)};
  }
  for (const GuiOwner& owner : kGuiOwners) {
    if (owner.prefix.empty() || !name.starts_with(owner.prefix)) continue;
    for (std::size_t i = 0; i < kGuiOwnedTerrains.size(); ++i) {
      if (kGuiOwnedTerrains[i] == name.substr(owner.prefix.size())) {
        return {owner.character, static_cast<char>('A' + i)};
      }
    }
  }
  return {};
}

void writeGrid(const LevelText& level, std::string& out, Findings& findings) {
  const auto width = static_cast<std::size_t>(level.width);
  if (level.name == kGuiWord) {
    for (std::size_t i = 0; i < level.cells.size(); ++i) {
      std::string square = guiSquare(level.cells[i]);
      if (square.empty()) {
        findings.add(kMapFile, 0,
                     "square (" + number(i % width) + ", " + number(i / width) +
                         ") has no terrain, which a level called " + std::string(kGuiWord) +
                         " cannot draw: its text is in the map-drawing-tool format");
        square = "Ob";
      }
      out += square;
      if ((i + 1) % width == 0) out += '\n';
    }
    return;
  }
  const std::map<TerrainCode, unsigned char> characters = terrainCharacters(level.cells);
  for (std::size_t i = 0; i < level.cells.size(); ++i) {
    out += static_cast<char>(characters.at(level.cells[i]));
    if ((i + 1) % width == 0) out += '\n';
  }
  out += std::string(keywordOf(Section::kMapCodes)) + "\n" +
         number(static_cast<std::int64_t>(characters.size())) + "\n";
  // In the order of the terrain list, the unknown terrain last.
  for (const NameValue& t : kTerrainTable) {
    if (const auto it = characters.find(t.value); it != characters.end()) {
      out += static_cast<char>(it->second);
      out += ' ';
      out += t.name;
      out += '\n';
    }
  }
  if (const auto it = characters.find(kUnknownTerrainCode); it != characters.end()) {
    // No terrain has this name: the compiler warns once and gives the character the code the
    // map file holds.
    out += static_cast<char>(it->second);
    out += " NO_TERRAIN\n";
  }
}

template <typename Entry, typename Line>
void writeCounted(std::string& out, Section section, const std::vector<Entry>& entries, Line line) {
  out += std::string(keywordOf(section)) + "\n" +
         number(static_cast<std::int64_t>(entries.size())) + "\n";
  for (const Entry& e : entries) out += line(e) + "\n";
}

// " x y", the square an entry names.
std::string at(std::int32_t x, std::int32_t y) { return " " + number(x) + " " + number(y); }

void writeHeader(const LevelText& level, std::string& out) {
  // The compiler skips one byte-order mark at the start: a name that starts with one keeps it.
  if (level.name.starts_with(kByteOrderMark)) out += kByteOrderMark;
  if (level.name == kGuiWord) out += std::string(kGuiWord) + " ";
  out += level.name + "\nPlayers " + number(level.players) + "\nSize " + number(level.width) +
         " x " + number(level.height) + "\n";
}

// THINGS, CREATURES, DOORS and TRAPS.
void writePlacements(const LevelText& level, std::string& out) {
  writeCounted(out, Section::kThings, level.objects, [](const ObjectEntry& e) {
    return std::string(nameOf(kObjectTable, e.objectId)) + at(e.x, e.y);
  });
  writeCounted(out, Section::kCreatures, level.creatures, [](const CreatureEntry& e) {
    return std::string(nameOf(kCreatureTable, e.creatureId)) + at(e.x, e.y) + " " +
           levelToken(e.level) + " " + token(e.owner);
  });
  writeCounted(out, Section::kDoors, level.doors, [](const DoorEntry& e) {
    return std::string(nameOf(kDoorTable, e.doorId)) + at(e.x, e.y) + " " + token(e.owner) +
           (e.locked ? " L" : " U");
  });
  writeCounted(out, Section::kTraps, level.traps, [](const TrapEntry& e) {
    return std::string(nameOf(kTrapTable, e.trapId)) + at(e.x, e.y) + " " + token(e.owner);
  });
}

void writeHearts(const LevelText& level, std::string& out) {
  out += std::string(keywordOf(Section::kHearts)) + "\n";
  for (std::size_t k = 0; k < 4; ++k) {
    if (!level.hearts[k]) continue;
    out += std::string(heartsWords()[k].word) + at(level.heartX[k], level.heartY[k]) + "\n" +
           std::string(heartsWords()[4 + k].word) + " " + number(level.gold[k]) + "\n";
  }
}

// HERO_BANDS, AREAS and HERO_GATES; bands, areas and gates are numbered from 1.
void writeHeroSections(const LevelText& level, std::string& out) {
  out += std::string(keywordOf(Section::kBands)) + "\n" +
         number(static_cast<std::int64_t>(level.bands.size())) + "\n";
  for (std::size_t b = 0; b < level.bands.size(); ++b) {
    const TextBand& band = level.bands[b];
    out += "Band" + number(static_cast<std::int64_t>(b) + 1) + " " +
           number(static_cast<std::int64_t>(band.members.size())) + " " + token(band.owner) + "\n";
    for (const BandMember& m : band.members) {
      out += std::string(nameOf(kCreatureTable, m.creatureId)) + " " + levelToken(m.level) + "\n";
    }
  }
  std::int64_t id = 0;
  writeCounted(out, Section::kAreas, level.areas, [&](const EntranceArea& a) {
    return number(++id) + at(a.left, a.top) + at(a.right, a.bottom);
  });
  id = 0;
  writeCounted(out, Section::kGates, level.gates,
               [&](const HeroGate& g) { return number(++id) + at(g.x, g.y); });
}

// TRIGGERS, SCENARIO_DESCRIPTION and the EOF that ends the text.
void writeTriggersAndScenario(const LevelText& level, std::string& out) {
  writeCounted(out, Section::kTriggers, level.triggers, [](const TextTrigger& t) {
    std::string text = t.condition + "\n" + number(static_cast<std::int64_t>(t.actions.size()));
    for (const std::string& action : t.actions) text += "\n" + action;
    return text;
  });
  out += std::string(keywordOf(Section::kScenario)) + "\n";
  for (const std::string& statement : level.scenario) out += statement + "\n";
  out += std::string(kEofWord) + "\n";
}

}  // namespace

std::string writeMapText(const LevelText& level, Findings& findings) {
  std::string out;
  out.reserve(level.cells.size() * 2 + 64 * (level.creatures.size() + level.triggers.size()) +
              4096);
  writeHeader(level, out);
  writeGrid(level, out, findings);
  writePlacements(level, out);
  writeHearts(level, out);
  writeHeroSections(level, out);
  writeTriggersAndScenario(level, out);
  return out;
}

}  // namespace ts::decompile
