// The header (level name, player count, map size) and the terrain grid in both formats: one
// character a square with a MAP_CODES legend, or two characters a square (owner and terrain)
// as the map-drawing tool writes them.
#include <algorithm>
#include <array>
#include <string>

#include "reader/map_reader.h"

namespace ts {

namespace {

// Owner characters, by class: the four keepers, the hero player, no owner; any other is neutral.
constexpr std::size_t kOwnerClasses = kGuiOwners.size();
constexpr std::size_t kNeutralOwnerClass = kOwnerClasses - 1;

std::size_t ownerClass(char c) {
  for (std::size_t k = 0; k < kNeutralOwnerClass; ++k) {
    if (kGuiOwners[k].character == c) return k;
  }
  return kNeutralOwnerClass;
}

// The grid characters of a map-drawing-tool level: every terrain name, in ascending code
// order, gets the character k + 1, and each (owner, terrain) character pair resolves to one of
// them, or to none when the pair spells no terrain name.
struct GuiTerrainTable {
  std::map<TerrainCode, unsigned char> codes;  // code -> internal character
  unsigned char defaultRock = 0;
  // By owner class and terrain character; 0: the pair spells no terrain name.
  std::array<std::array<unsigned char, 256>, kOwnerClasses> bySquare{};

  explicit GuiTerrainTable(const NameMaps& names) {
    std::map<std::string, unsigned char> byName;
    unsigned k = 0;
    for (const auto& [code, name] : names.terrainNames()) {
      const auto c = static_cast<unsigned char>(++k);
      codes.emplace(code, c);
      byName.emplace(name, c);
      if (name == "SOLID_ROCK") defaultRock = c;
    }
    for (std::size_t owner = 0; owner < kOwnerClasses; ++owner) {
      for (std::size_t terrain = 0; terrain < 256; ++terrain) {
        std::string name(kGuiOwners[owner].prefix);
        name += guiTerrainSuffix(static_cast<char>(terrain));
        auto it = byName.find(name);
        bySquare[owner][terrain] = it == byName.end() ? 0 : it->second;
      }
    }
  }
};

const GuiTerrainTable& guiTerrainTable(const NameMaps& names) {
  // The vocabulary is fixed, so one table serves every level of the process.
  static const GuiTerrainTable table(names);
  return table;
}

// Skips empty lines before a map row.
bool skipEmptyLines(ReadState& s) {
  while (s.buffer.empty()) {
    s.in.readLine(s.buffer);
    if (!s.stepTaken(ProblemId::kLoopMapRows, ProblemId::kMapSectionError)) return false;
  }
  return true;
}

bool rowLongEnough(ReadState& s, std::size_t row, std::size_t needed) {
  if (s.buffer.size() >= needed) return true;
  s.report(ProblemId::kMapRowTooShort, row + 1, needed, s.gui ? " (two a square)" : "",
           s.buffer.size());
  return false;
}

// Reads the map's rows of at least `needed` characters each; `storeRow` stores the row in the
// buffer.
template <typename StoreRow>
bool readRows(ReadState& s, std::size_t needed, StoreRow storeRow) {
  for (std::int32_t r = 0; r < s.level.mapHeight; ++r) {
    if (!skipEmptyLines(s)) return false;
    if (!rowLongEnough(s, static_cast<std::size_t>(r), needed)) return false;
    if (r == 0) s.section(Section::kGrid, s.in.tokenStart(), s.in.tokenStart() + s.buffer.size());
    if (s.observer != nullptr) s.observer->rowRead(r, s.in.tokenStart());
    storeRow();
    if (s.guardStep()) {
      s.report(ProblemId::kLoopMap);
      return false;
    }
    s.in.readLine(s.buffer);
  }
  return true;
}

bool readTextRows(ReadState& s) {
  const auto width = static_cast<std::size_t>(s.level.mapWidth);
  return readRows(s, width, [&] { s.level.mapRows.emplace_back(s.buffer, 0, width); });
}

bool readLegend(ReadState& s) {
  s.guard = 0;
  if (!s.searchKeyword(Section::kMapCodes, ProblemId::kLoopMap, ProblemId::kMapCodesError))
    return false;
  std::int32_t count = 0;
  s.readInteger(WordKind::kCount, count);
  char c = ' ';
  for (std::int32_t i = 0; i < count; ++i) {
    s.entry(Section::kMapCodes);
    s.readChar(WordKind::kCharacter, c);
    // Past the end of the text an entry would only repeat the previous one; the THINGS search
    // that follows reports the text as broken.
    if (s.in.failed()) break;
    const std::size_t entryStart = s.in.tokenStart();
    s.readWord(WordKind::kTerrain, s.buffer);
    TerrainCode code = s.names.findTerrainCode(s.buffer);
    if (code < 1) {
      s.report(ProblemId::kMapCodeNotFound, c, s.buffer);
      code = kUnknownTerrainCode;
    }
    if (s.observer != nullptr) s.observer->legendEntry(c, code, entryStart);
    auto [entry, added] = s.level.mapCodes.try_emplace(code, static_cast<unsigned char>(c));
    if (!added) {
      if (s.observer != nullptr && entry->second != static_cast<unsigned char>(c)) {
        s.observer->legendReplaced(code, static_cast<char>(entry->second), c, entryStart);
      }
      entry->second = static_cast<unsigned char>(c);
    }
  }
  return true;
}

bool readGuiRows(ReadState& s) {
  LevelDescription& level = s.level;
  const GuiTerrainTable& table = guiTerrainTable(s.names);
  level.mapCodes = table.codes;
  const auto width = static_cast<std::size_t>(level.mapWidth);
  return readRows(s, 2 * width, [&] {
    const std::size_t lineStart = s.in.tokenStart();
    std::string row(width, '\0');
    for (std::size_t col = 0; col < width; ++col) {
      const std::size_t owner = ownerClass(s.buffer[2 * col]);
      const auto terrain = static_cast<unsigned char>(s.buffer[2 * col + 1]);
      unsigned char c = table.bySquare[owner][terrain];
      if (c == 0) {
        if (s.observer != nullptr) s.observer->unknownSquare(lineStart + 2 * col);
        s.report(ProblemId::kGuiUnknownSquare);
        c = table.defaultRock;
      }
      row[col] = static_cast<char>(c);
    }
    level.mapRows.push_back(std::move(row));
  });
}

constexpr char kHex[] = "0123456789ABCDEF";

// Reports why a level name cannot name the level files, if it cannot; true when it can. The
// files are written into the current folder, so the name must not lead anywhere else, and
// control characters make names that the game never finds.
bool nameAllowed(ReadState& s, std::size_t at, std::string_view name, std::string_view shown) {
  for (char c : name) {
    if (c == '/' || c == '\\') {
      s.reportAt(at, ProblemId::kLevelNameHasSeparator, shown, c);
      return false;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      s.reportAt(at, ProblemId::kLevelNameHasControl, shown,
                 std::string{kHex[byte >> 4], kHex[byte & 15]});
      return false;
    }
  }
  return true;
}

// The name as it can be shown on one line: control characters as \xNN.
std::string printableName(std::string_view name) {
  std::string text;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    } else {
      text += c;
    }
  }
  return text;
}

// The first line: the level's name, behind the map-drawing tool's word when the tool wrote the
// map. Returns where the name starts.
std::size_t readNameLine(ReadState& s) {
  LevelDescription& level = s.level;
  if (s.in.skipByteOrderMark() && s.observer != nullptr) s.observer->byteOrderMark();
  s.in.readWord(level.levelName);
  std::size_t nameAt = s.in.tokenStart();
  if (level.levelName == kGuiWord) {
    s.gui = true;
    s.in.readWord(level.levelName);
    nameAt = s.in.tokenStart();
  }
  s.in.readLine(s.buffer);
  return nameAt;
}

// "Players n" and "Size w x h"; false after reporting a count or a size out of range, or a text
// that ended or failed before them.
bool readCountAndSize(ReadState& s) {
  LevelDescription& level = s.level;
  std::string label;
  s.in.readWord(label);
  s.readInteger(level.playerCount);
  if (level.playerCount < 1 || level.playerCount > 4) {
    s.report(ProblemId::kBadPlayerCount, level.playerCount);
    return false;
  }
  s.in.readWord(label);
  s.readInteger(level.mapWidth);
  char separator = ' ';
  s.in.readChar(separator);
  s.readInteger(level.mapHeight);
  s.in.readLine(s.buffer);
  if (s.in.failed()) {
    s.report(ProblemId::kHeaderError);
    return false;
  }
  if (level.mapHeight < 1 || level.mapWidth < 1) {
    s.report(ProblemId::kBadSize, level.mapWidth, level.mapHeight);
    return false;
  }
  return true;
}

// False after reporting a name that cannot name the level files, or rows too wide to be read.
bool nameAndWidthFit(ReadState& s, std::size_t nameAt) {
  const LevelDescription& level = s.level;
  // Every level file is named after the level, and the level-information file holds those
  // names in 64-byte fields.
  if (level.levelName.size() > kMaxLevelNameLength) {
    s.reportAt(nameAt, ProblemId::kLevelNameTooLong, printableName(level.levelName),
               level.levelName.size(), kMaxLevelNameLength);
    return false;
  }
  if (!nameAllowed(s, nameAt, level.levelName, printableName(level.levelName))) return false;
  // A line read holds at most 999 characters, so wider rows could never be read whole.
  const std::int32_t maxWidth = s.gui ? kMaxGuiWidth : kMaxTextWidth;
  if (level.mapWidth > maxWidth) {
    s.report(ProblemId::kMapTooWide, level.mapWidth, maxWidth,
             s.gui ? "a map-drawing-tool map" : "a text map");
    return false;
  }
  return true;
}

// Skips the empty lines between the header and the map's first row.
bool skipToMap(ReadState& s) {
  s.in.readLine(s.buffer);
  s.guard = 0;
  while (s.buffer.empty()) {
    s.in.readLine(s.buffer);
    if (s.guardStep()) {
      s.report(ProblemId::kLoopBeforeMap);
      return false;
    }
  }
  return true;
}

}  // namespace

bool readHeader(ReadState& s) {
  s.section(Section::kHeader, 0, 0);
  const std::size_t nameAt = readNameLine(s);
  if (!readCountAndSize(s) || !nameAndWidthFit(s, nameAt)) return false;
  // Rows are stored as they are read, so a huge height costs nothing until its rows exist.
  s.level.mapRows.reserve(static_cast<std::size_t>(std::min(s.level.mapHeight, kLoopLimit)));
  return skipToMap(s);
}

bool readLegendSection(ReadState& s) { return readLegend(s); }

bool readGrid(ReadState& s) {
  s.guard = 0;
  if (s.gui) return readGuiRows(s);
  return readTextRows(s) && readLegend(s);
}

}  // namespace ts
