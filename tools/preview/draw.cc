#include "draw.h"

#include <algorithm>
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "font.h"
#include "palette.h"

namespace ts::preview {

namespace {

// The terrain code of every square, resolved as the map writer resolves it: the smallest code
// that carries the square's character, or the unknown-terrain code when none does. A rejected
// map's reading may have stopped before the last row (or before the grid): the rows it did not
// read are kNotReadCode, and only the rows read are held.
class TerrainGrid {
 public:
  explicit TerrainGrid(const LevelDescription& level)
      : width_(std::max(level.mapWidth, 0)),
        height_(std::max(level.mapHeight, 0)),
        rows_(static_cast<std::int32_t>(
            std::min(level.mapRows.size(), static_cast<std::size_t>(height_)))) {
    const CharacterCodes codes(level.mapCodes);
    codes_.reserve(static_cast<std::size_t>(width_) * static_cast<std::size_t>(rows_));
    for (std::int32_t y = 0; y < rows_; ++y) {
      const std::string& row = level.mapRows[static_cast<std::size_t>(y)];
      for (std::int32_t x = 0; x < width_; ++x) {
        const auto at = static_cast<std::size_t>(x);
        codes_.push_back(at < row.size() ? codes.terrainOf(static_cast<unsigned char>(row[at]))
                                         : kNotReadCode);
      }
    }
    used_.insert(codes_.begin(), codes_.end());
    if (rows_ < height_ && width_ > 0) used_.insert(kNotReadCode);
  }

  [[nodiscard]] bool inside(std::int32_t x, std::int32_t y) const {
    return x >= 0 && x < width_ && y >= 0 && y < height_;
  }
  [[nodiscard]] TerrainCode at(std::int32_t x, std::int32_t y) const {
    if (y >= rows_) return kNotReadCode;
    return codes_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                  static_cast<std::size_t>(x)];
  }
  // Every code on the map, once.
  [[nodiscard]] const std::set<TerrainCode>& used() const { return used_; }

 private:
  std::int32_t width_;
  std::int32_t height_;
  std::int32_t rows_;  // the rows read
  std::vector<TerrainCode> codes_;
  std::set<TerrainCode> used_;
};

// UNCLAIMED: the ground the legend draws its markers on.
constexpr TerrainCode kUnclaimedCode = 0x01010203;

// Line widths grow with the scale so that marks stay visible on large squares.
int edgeWidth(int scale) { return std::max(1, scale / 12); }
// Below eight pixels a square, outlines keep to one pixel so that the squares they enclose
// still show.
int outlineWidth(int scale) { return scale < 8 ? 1 : std::max(2, scale / 6); }
int labelDot(int scale) { return std::clamp(scale / 8, 1, 4); }

// Where the map lies in the picture: square (x, y) covers the `scale` by `scale` pixels whose
// top-left pixel is (left + x * scale, top + y * scale).
struct MapView {
  int left = 0;
  int top = 0;
  int scale = 1;

  [[nodiscard]] PixelRect square(std::int32_t x, std::int32_t y) const {
    return {left + x * scale, top + y * scale, scale, scale};
  }
};

// ---- Marks shared by the map and the legend's swatches --------------------------------------

struct Sides {
  bool left = true;
  bool top = true;
  bool right = true;
  bool bottom = true;
};

void drawTile(Image& image, PixelRect tile, const TileLook& look, Sides framed) {
  image.fill(tile, look.fill);
  // Stripes need room to read as stripes; a small square keeps its flat colour.
  if (look.stripes && tile.w >= 6) {
    const int period = std::max(4, tile.w / 3);
    for (int y = 0; y < tile.h; ++y) {
      for (int x = 0; x < tile.w; ++x) {
        if ((x + y) % period < period / 3) image.set(tile.x + x, tile.y + y, *look.stripes);
      }
    }
  }
  if (!look.frame) return;
  const int t = std::max(1, tile.w / 8);
  if (framed.left) image.fill({tile.x, tile.y, t, tile.h}, *look.frame);
  if (framed.top) image.fill({tile.x, tile.y, tile.w, t}, *look.frame);
  if (framed.right) image.fill({tile.x + tile.w - t, tile.y, t, tile.h}, *look.frame);
  if (framed.bottom) image.fill({tile.x, tile.y + tile.h - t, tile.w, t}, *look.frame);
}

void drawCreature(Image& image, PixelRect tile, Rgb colour) {
  const double cx = tile.x + tile.w / 2.0;
  const double cy = tile.y + tile.h / 2.0;
  const double r = 0.3 * tile.w;
  image.disc(cx, cy, r + edgeWidth(tile.w), kMarkerEdge);
  image.disc(cx, cy, r, colour);
}

// Objects sit in the square's top-left corner, traps in its bottom-right corner, so that both
// stay visible beside a creature standing on the same square.
int cornerMarkSize(int scale) { return std::max(3, scale * 3 / 8); }

void drawObject(Image& image, PixelRect tile, Rgb colour) {
  const int e = edgeWidth(tile.w);
  const int q = cornerMarkSize(tile.w);
  image.fill({tile.x, tile.y, q + 2 * e, q + 2 * e}, kMarkerEdge);
  image.fill({tile.x + e, tile.y + e, q, q}, colour);
}

void drawTrap(Image& image, PixelRect tile, Rgb colour) {
  const int e = edgeWidth(tile.w);
  const int q = cornerMarkSize(tile.w) + 1;
  const int x = tile.x + tile.w - q - 2 * e;
  const int y = tile.y + tile.h - q - 2 * e;
  image.triangle({x, y, q + 2 * e, q + 2 * e}, kMarkerEdge);
  image.triangle({x + e, y + 2 * e, q, q - e}, colour);
}

void drawDoor(Image& image, PixelRect tile, Rgb colour, bool locked) {
  const int e = edgeWidth(tile.w);
  const int h = std::max(2, tile.h / 4);
  const int y = tile.y + (tile.h - h) / 2;
  image.fill({tile.x, y - e, tile.w, h + 2 * e}, kMarkerEdge);
  image.fill({tile.x, y, tile.w, h}, colour);
  if (locked) {
    const int k = std::max(1, h / 2);
    image.fill({tile.x + (tile.w - k) / 2, tile.y + (tile.h - k) / 2, k, k}, kMarkerEdge);
  }
}

void drawHeart(Image& image, double cx, double cy, double radius, int thickness, int edge,
               Rgb colour) {
  image.ring(cx, cy, radius - thickness - edge, radius + edge, kMarkerEdge);
  image.ring(cx, cy, radius - thickness, radius, colour);
}

void drawOutline(Image& image, PixelRect r, int scale, Rgb colour) {
  const int t = outlineWidth(scale);
  image.frame(r, t, colour);
  if (scale >= 8) {
    image.frame({r.x + t, r.y + t, r.w - 2 * t, r.h - 2 * t}, edgeWidth(scale), kMarkerEdge);
  }
}

// ---- The map -----------------------------------------------------------------------------

// A rectangle of squares, bounds inclusive, in pixels. Entrance areas are not checked against
// the map, so their bounds are first brought to one square beyond it: what shows stays the same
// and the products cannot overflow.
PixelRect squaresRect(const LevelDescription& level, const MapView& view, std::int32_t left,
                      std::int32_t top, std::int32_t right, std::int32_t bottom) {
  const int scale = view.scale;
  auto x = [&](std::int32_t v) { return view.left + std::clamp(v, -1, level.mapWidth) * scale; };
  auto y = [&](std::int32_t v) { return view.top + std::clamp(v, -1, level.mapHeight) * scale; };
  return {x(left), y(top), x(right) - x(left) + scale, y(bottom) - y(top) + scale};
}

// The name a release gives a gate or area ("G 2", "A 1") beside its outlined rectangle: above
// its top-left corner when there is room within `bounds`, else below it, else inside its
// top-left corner.
void drawReleaseLabel(Image& image, PixelRect outlined, const std::string& text, int scale,
                      PixelRect bounds, Rgb colour) {
  const int dot = labelDot(scale);
  const int w = textWidth(text, dot) + 2 * dot + 2;
  const int h = kGlyphHeight * dot + 2 * dot + 2;
  int y = outlined.y - h;
  if (y < bounds.y) y = outlined.y + outlined.h;
  if (y + h > bounds.y + bounds.h) y = outlined.y;
  const PixelRect box{outlined.x, y, w, h};
  image.fill(box, kLabelBackground);
  image.frame(box, 1, colour);
  drawText(image, box.x + 1 + dot, box.y + 1 + dot, text, dot, colour);
}

// Each square in its terrain's look. A room's frame runs only where the room ends, so that
// rooms read as outlined shapes.
void drawTerrain(Image& image, const TerrainGrid& grid, std::int32_t width, std::int32_t height,
                 const MapView& view) {
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const TerrainCode code = grid.at(x, y);
      auto differs = [&](std::int32_t nx, std::int32_t ny) {
        return !grid.inside(nx, ny) || grid.at(nx, ny) != code;
      };
      const Sides ends{differs(x - 1, y), differs(x, y - 1), differs(x + 1, y), differs(x, y + 1)};
      drawTile(image, view.square(x, y), tileLook(code), ends);
    }
  }
}

// Doors, objects, traps and creatures in their owner's hue, creatures on top.
void drawMarkers(Image& image, const LevelDescription& level, const TerrainGrid& grid,
                 const MapView& view) {
  for (const DoorEntry& d : level.doors) {
    if (grid.inside(d.x, d.y)) drawDoor(image, view.square(d.x, d.y), ownerHue(d.owner), d.locked);
  }
  for (const ObjectEntry& t : level.objects) {
    if (grid.inside(t.x, t.y)) drawObject(image, view.square(t.x, t.y), ownerHue(t.owner));
  }
  for (const TrapEntry& t : level.traps) {
    if (grid.inside(t.x, t.y)) drawTrap(image, view.square(t.x, t.y), ownerHue(t.owner));
  }
  for (const CreatureEntry& c : level.creatures) {
    if (grid.inside(c.x, c.y)) drawCreature(image, view.square(c.x, c.y), ownerHue(c.owner));
  }
}

// A ring around each heart's centre, wide enough to enclose the squares next to it.
void drawHearts(Image& image, const LevelDescription& level, const TerrainGrid& grid,
                const MapView& view) {
  const int scale = view.scale;
  for (std::size_t k = 0; k < level.heartCenterSet.size(); ++k) {
    if (!level.heartCenterSet[k]) continue;
    const std::int32_t x = level.heartCenterX[k];
    const std::int32_t y = level.heartCenterY[k];
    if (!grid.inside(x, y)) continue;
    drawHeart(image, view.left + (x + 0.5) * scale, view.top + (y + 0.5) * scale, 1.45 * scale,
              std::max(2, scale / 5), edgeWidth(scale),
              ownerHue(kFirstKeeperPlayer + static_cast<std::int32_t>(k)));
  }
}

// Every gate's extent and entrance area outlined, then labelled as a release names it.
void drawGatesAndAreas(Image& image, const LevelDescription& level, const MapView& view,
                       PixelRect bounds) {
  const int scale = view.scale;
  for (const EntranceArea& a : level.areas) {
    drawOutline(image, squaresRect(level, view, a.left, a.top, a.right, a.bottom), scale,
                kAreaOutline);
  }
  for (const HeroGate& g : level.heroGates) {
    const GateExtent& e = g.extent;
    drawOutline(image, squaresRect(level, view, e.left, e.top, e.right, e.bottom), scale,
                kGateOutline);
  }
  // Labels last, so that no outline crosses a number.
  for (std::size_t i = 0; i < level.areas.size(); ++i) {
    const EntranceArea& a = level.areas[i];
    drawReleaseLabel(image, squaresRect(level, view, a.left, a.top, a.right, a.bottom),
                     "A " + std::to_string(i + 1), scale, bounds, kAreaOutline);
  }
  for (std::size_t i = 0; i < level.heroGates.size(); ++i) {
    const GateExtent& e = level.heroGates[i].extent;
    drawReleaseLabel(image, squaresRect(level, view, e.left, e.top, e.right, e.bottom),
                     "G " + std::to_string(i + 1), scale, bounds, kGateOutline);
  }
}

// The square a rejected map's error is about: a thick frame around it, rimmed on both sides so
// that it shows on any ground, reaching half a square beyond it.
void drawErrorMark(Image& image, const MapView& view, PixelPoint square) {
  const int scale = view.scale;
  const int reach = std::max(2, scale / 2);
  const int t = std::max(2, scale / 5);
  const PixelRect tile = view.square(square.x, square.y);
  const PixelRect outer{tile.x - reach, tile.y - reach, tile.w + 2 * reach, tile.h + 2 * reach};
  image.frame({outer.x - 1, outer.y - 1, outer.w + 2, outer.h + 2}, t + 2, kMarkerEdge);
  image.frame(outer, t, kErrorMark);
}

// ---- Rulers and margins ------------------------------------------------------------------

constexpr int kPicturePad = 4;  // between the picture's edge and the rulers

// Squares between ticks: every square on large squares, else every five or ten.
int tickStep(int scale) { return scale >= kEverySquare ? 1 : scale >= 8 ? 5 : 10; }

// The smallest of 1, 2, 5, 10, 20, 50, ... squares that is a multiple of `step` and leaves `room`
// pixels from one label to the next.
int labelStep(int step, int room, int scale) {
  for (int base = 1;; base *= 10) {
    for (int m : {1, 2, 5}) {
      if (base * m % step == 0 && base * m * scale >= room) return base * m;
    }
  }
}

// Room from one label's start to the next: its width and a gap of four dots, wider than any gap
// inside a label, so that neighbouring labels never run together.
int columnRoom(int labelWidth, int dot) { return labelWidth + 4 * dot; }
int rowRoom(int dot) { return (kGlyphHeight + 3) * dot; }
int releaseLabelHeight(int scale) {
  return kGlyphHeight * labelDot(scale) + 2 * labelDot(scale) + 2;
}

// Everything around the map: the rulers on its top and left, and a margin on all four sides
// wide enough for a heart's ring on the outermost squares and a release label above the top row.
struct Surround {
  int dot = 1;         // the rulers' text dot size
  int labelWidth = 0;  // width of the widest coordinate
  int margin = 0;      // between the map and the rulers, the legend and the picture's edge
  int left = 0;        // the map's left edge in the picture
  int top = 0;         // the map's top edge in the picture
  int tickStep = 0;    // squares between ticks
  int columnStep = 0;  // squares between the top ruler's labels, a multiple of tickStep
  int rowStep = 0;     // squares between the left ruler's labels
};

Surround surroundOf(std::int32_t mapWidth, std::int32_t mapHeight, int scale) {
  Surround s;
  const std::string widest = std::to_string(std::max({mapWidth, mapHeight, 1}) - 1);
  s.tickStep = tickStep(scale);
  // Large text where it still names every tick, else small text.
  s.dot =
      scale >= 16 && labelStep(s.tickStep, columnRoom(textWidth(widest, 2), 2), scale) == s.tickStep
          ? 2
          : 1;
  s.labelWidth = textWidth(widest, s.dot);
  s.margin = std::max(scale + edgeWidth(scale), releaseLabelHeight(scale)) + 2;
  s.left = kPicturePad + s.labelWidth + 2 * s.dot + s.margin;
  s.top = kPicturePad + kGlyphHeight * s.dot + 2 * s.dot + s.margin;
  s.columnStep = labelStep(s.tickStep, columnRoom(s.labelWidth, s.dot), scale);
  s.rowStep = labelStep(s.tickStep, rowRoom(s.dot), scale);
  return s;
}

// A tick every tickStep squares along the top and the left of the map, reaching across the
// margin to the square it names; a coordinate on each tick where labels have room, else on every
// second, fifth or tenth, the others keeping a short tick.
void drawRulers(Image& image, const LevelDescription& level, const MapView& view,
                const Surround& s) {
  const int dot = s.dot;
  const int textHeight = kGlyphHeight * dot;
  for (std::int32_t x = 0; x < level.mapWidth; x += s.tickStep) {
    const int cx = view.left + x * view.scale + view.scale / 2;
    const bool labelled = x % s.columnStep == 0;
    const int tickTop = labelled ? kPicturePad + textHeight + dot : view.top - s.margin / 2;
    image.fill({cx, tickTop, 1, view.top - tickTop}, kRulerTick);
    if (!labelled) continue;
    const std::string text = std::to_string(x);
    const int w = textWidth(text, dot);
    drawText(image, std::max(0, cx - w / 2), kPicturePad, text, dot, kLegendText);
  }
  for (std::int32_t y = 0; y < level.mapHeight; y += s.tickStep) {
    const int cy = view.top + y * view.scale + view.scale / 2;
    const bool labelled = y % s.rowStep == 0;
    const int tickLeft = labelled ? kPicturePad + s.labelWidth + dot : view.left - s.margin / 2;
    image.fill({tickLeft, cy, view.left - tickLeft, 1}, kRulerTick);
    if (!labelled) continue;
    const std::string text = std::to_string(y);
    drawText(image, kPicturePad + s.labelWidth - textWidth(text, dot),
             std::max(0, cy - textHeight / 2), text, dot, kLegendText);
  }
}

// The map and its rulers. Marks near the map's edge may reach into the margin, never beyond it.
void drawMap(Image& image, const LevelDescription& level, const TerrainGrid& grid, int scale,
             const Rejection* rejection) {
  const Surround s = surroundOf(level.mapWidth, level.mapHeight, scale);
  const MapView view{s.left, s.top, scale};
  drawRulers(image, level, view, s);
  const PixelRect bounds{view.left - s.margin, view.top - s.margin,
                         level.mapWidth * scale + 2 * s.margin,
                         level.mapHeight * scale + 2 * s.margin};
  image.setClip(bounds);
  drawTerrain(image, grid, level.mapWidth, level.mapHeight, view);
  drawMarkers(image, level, grid, view);
  drawHearts(image, level, grid, view);
  drawGatesAndAreas(image, level, view, bounds);
  if (rejection != nullptr && rejection->square &&
      grid.inside(rejection->square->x, rejection->square->y)) {
    drawErrorMark(image, view, *rejection->square);
  }
  image.clearClip();
}

// ---- The legend --------------------------------------------------------------------------

enum class Swatch {
  kTerrain,
  kOwner,
  kHeart,
  kCreature,
  kObject,
  kDoor,
  kLockedDoor,
  kTrap,
  kGate,
  kArea,
  kError
};

struct LegendEntry {
  Swatch swatch;
  std::int32_t value;  // the terrain code or the player
  std::string label;
};

// "HERO GATES (G 1-3)": how releases name them.
std::string rangeLabel(const char* one, const char* many, const char* letter, int count) {
  const std::string first = std::string(letter) + " 1";
  if (count == 1) return std::string(one) + " (" + first + ")";
  return std::string(many) + " (" + first + "-" + std::to_string(count) + ")";
}

std::string terrainLabel(TerrainCode code, const LevelDescription& level) {
  if (code == kNotReadCode) return "NOT READ";
  if (code == kUnknownTerrainCode) {
    return level.mapCodes.empty() ? "NO TERRAIN: MAP_CODES NOT READ"
                                  : "UNKNOWN TERRAIN: NO MAP_CODES LINE";
  }
  const std::string_view name = nameOf(kTerrainTable, code);
  return name.empty() ? "UNKNOWN TERRAIN" : std::string(name);
}

std::vector<LegendEntry> legendEntries(const LevelDescription& level, const TerrainGrid& grid) {
  std::vector<LegendEntry> entries;

  // Terrains in the order designers know them from the name table; unnamed codes, then the
  // squares not read, last.
  const std::set<TerrainCode>& used = grid.used();
  auto rank = [](TerrainCode code) {
    for (std::size_t i = 0; i < kTerrainTable.size(); ++i) {
      if (kTerrainTable[i].value == code) return i;
    }
    return kTerrainTable.size() + (code == kNotReadCode ? 1 : 0);
  };
  std::vector<TerrainCode> codes(used.begin(), used.end());
  std::stable_sort(codes.begin(), codes.end(),
                   [&](TerrainCode a, TerrainCode b) { return rank(a) < rank(b); });
  for (TerrainCode code : codes) {
    entries.push_back({Swatch::kTerrain, code, terrainLabel(code, level)});
  }

  // Owners: every keeper of the level, and any other player that owns something on the map.
  std::set<std::int32_t> owners;
  for (std::int32_t k = 0; k < level.playerCount; ++k) owners.insert(kFirstKeeperPlayer + k);
  for (TerrainCode code : used) {
    if (isOwnedTerrain(code)) owners.insert(ownerOf(code));
  }
  for (const ObjectEntry& t : level.objects) owners.insert(t.owner);
  for (const CreatureEntry& c : level.creatures) owners.insert(c.owner);
  for (const DoorEntry& d : level.doors) owners.insert(d.owner);
  for (const TrapEntry& t : level.traps) owners.insert(t.owner);
  for (std::int32_t owner : owners) {
    if (owner >= kFirstKeeperPlayer) entries.push_back({Swatch::kOwner, owner, ownerLabel(owner)});
  }
  for (std::int32_t owner : owners) {
    if (owner < kFirstKeeperPlayer) entries.push_back({Swatch::kOwner, owner, ownerLabel(owner)});
  }

  const bool anyHeart = std::find(level.heartCenterSet.begin(), level.heartCenterSet.end(), true) !=
                        level.heartCenterSet.end();
  const bool anyLocked = std::any_of(level.doors.begin(), level.doors.end(),
                                     [](const DoorEntry& d) { return d.locked; });
  const bool anyOpen = std::any_of(level.doors.begin(), level.doors.end(),
                                   [](const DoorEntry& d) { return !d.locked; });
  if (anyHeart) entries.push_back({Swatch::kHeart, 0, "HEART CENTRE"});
  if (!level.creatures.empty()) entries.push_back({Swatch::kCreature, 0, "CREATURE"});
  if (!level.objects.empty()) entries.push_back({Swatch::kObject, 0, "OBJECT"});
  if (anyOpen) entries.push_back({Swatch::kDoor, 0, "DOOR"});
  if (anyLocked) entries.push_back({Swatch::kLockedDoor, 0, "LOCKED DOOR"});
  if (!level.traps.empty()) entries.push_back({Swatch::kTrap, 0, "TRAP"});
  const auto gates = static_cast<int>(level.heroGates.size());
  const auto areas = static_cast<int>(level.areas.size());
  if (gates > 0) {
    entries.push_back({Swatch::kGate, 0, rangeLabel("HERO GATE", "HERO GATES", "G", gates)});
  }
  if (areas > 0) {
    entries.push_back(
        {Swatch::kArea, 0, rangeLabel("ENTRANCE AREA", "ENTRANCE AREAS", "A", areas)});
  }
  return entries;
}

// Lines of at most `width` characters, broken between words; a line's continuation is indented.
std::vector<std::string> wrapped(const std::string& text, std::size_t width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    std::string word = text.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    // "G 2" and "A 1" name one gate or area: they stay on one line.
    if (word.size() == 1 && word[0] >= 'A' && word[0] <= 'Z' && at < text.size()) {
      const std::size_t next = std::min(text.find(' ', at), text.size());
      word += ' ' + text.substr(at, next - at);
      at = next + 1;
    }
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(line);
      line = "  ";
    }
    // A word longer than a line is cut.
    while (line.size() + word.size() > width && word.size() > width / 2) {
      const std::size_t fits = width - line.size();
      lines.push_back(line + word.substr(0, fits));
      word.erase(0, fits);
      line = "  ";
    }
    if (!line.empty() && line != "  ") line += ' ';
    line += word;
  }
  if (!line.empty() && line != "  ") lines.push_back(line);
  return lines;
}

// A line of text below the title (what the compiler said of a rejected map) or below the
// swatches (the triggers).
struct LegendLine {
  std::string text;
  Rgb colour;
};

constexpr std::size_t kLegendLineWidth = 52;  // characters

std::vector<LegendLine> rejectionLines(const Rejection& r) {
  std::vector<LegendLine> lines;
  auto add = [&lines](const std::string& text) {
    for (std::string& line : wrapped(text, kLegendLineWidth)) {
      lines.push_back({std::move(line), kErrorText});
    }
  };
  add("REJECTED: " + (r.message.empty() ? std::string("THE MAP WAS REJECTED") : r.message));
  if (r.line > 0) add("LINE " + std::to_string(r.line) + ": " + r.lineText);
  for (const std::string& text : r.explanation) add(text);
  add("DRAWN: WHAT WAS READ BEFORE THE ERROR");
  return lines;
}

std::vector<LegendLine> triggerLegend(const LevelDescription& level) {
  std::vector<LegendLine> lines;
  for (const std::string& trigger : triggerLines(level)) {
    for (std::string& line : wrapped(trigger, kLegendLineWidth)) {
      lines.push_back({std::move(line), kLegendText});
    }
  }
  return lines;
}

std::string legendTitle(const LevelDescription& level) {
  return level.levelName + "  " + std::to_string(level.mapWidth) + "X" +
         std::to_string(level.mapHeight) + ", " + std::to_string(level.playerCount) +
         (level.playerCount == 1 ? " KEEPER" : " KEEPERS");
}

struct LegendLayout {
  int swatch = 0;  // side of a swatch
  int dot = 0;     // text dot size
  int gap = 0;
  int pad = 0;
  int rule = 0;  // width of the rule between map and legend
  int rowHeight = 0;
  int titleHeight = 0;
  int columnWidth = 0;
  int columns = 0;
  int rows = 0;
  int lineHeight = 0;  // of a line of text
  int headHeight = 0;  // the lines under the title
  int width = 0;
  int height = 0;
};

LegendLayout layoutLegend(const std::vector<LegendEntry>& entries, const std::string& title,
                          const std::vector<LegendLine>& head, const std::vector<LegendLine>& foot,
                          int mapPixelHeight, int scale) {
  LegendLayout l;
  l.swatch = std::clamp(scale, 12, 20);
  l.dot = l.swatch / 9;
  l.gap = std::max(3, l.swatch / 4);
  l.pad = l.swatch / 2 + 2;
  l.rule = std::max(1, scale / 12);
  l.rowHeight = std::max(l.swatch, kGlyphHeight * l.dot) + l.gap;
  l.titleHeight = kGlyphHeight * l.dot + 2 * l.gap;
  l.lineHeight = (kGlyphHeight + 3) * l.dot;
  l.headHeight = head.empty() ? 0 : static_cast<int>(head.size()) * l.lineHeight + l.gap;
  const int footHeight = foot.empty() ? 0 : static_cast<int>(foot.size()) * l.lineHeight + l.gap;

  int labelWidth = 0;
  for (const LegendEntry& e : entries) labelWidth = std::max(labelWidth, textWidth(e.label, l.dot));
  l.columnWidth = l.swatch + 2 * l.gap + labelWidth;
  int linesWidth = textWidth(title, l.dot);
  for (const std::vector<LegendLine>* lines : {&head, &foot}) {
    for (const LegendLine& line : *lines) {
      linesWidth = std::max(linesWidth, textWidth(line.text, l.dot));
    }
  }

  // Columns as tall as the map (but at least eight rows), so the legend keeps beside it.
  const int available = mapPixelHeight - 2 * l.pad - l.titleHeight - l.headHeight - footHeight;
  const int maxRows = std::max(8, available / l.rowHeight);
  const auto count = static_cast<int>(entries.size());
  l.columns = std::max(1, (count + maxRows - 1) / maxRows);
  l.rows = (count + l.columns - 1) / l.columns;
  l.width = l.rule + 2 * l.pad +
            std::max(l.columns * l.columnWidth + (l.columns - 1) * l.swatch, linesWidth);
  l.height = 2 * l.pad + l.titleHeight + l.headHeight + l.rows * l.rowHeight + footHeight;
  return l;
}

void drawSwatch(Image& image, PixelRect r, const LegendEntry& e) {
  const TileLook ground = tileLook(kUnclaimedCode);
  switch (e.swatch) {
    case Swatch::kTerrain:
      drawTile(image, r, tileLook(e.value), Sides{});
      return;
    case Swatch::kOwner:
      image.fill(r, ownerHue(e.value));
      return;
    case Swatch::kGate:
    case Swatch::kArea:
      image.fill(r, ground.fill);
      drawOutline(image, r, r.w, e.swatch == Swatch::kGate ? kGateOutline : kAreaOutline);
      return;
    case Swatch::kError:
      image.fill(r, ground.fill);
      image.frame(r, std::max(2, r.w / 4), kErrorMark);
      return;
    default:
      break;
  }
  image.fill(r, ground.fill);
  switch (e.swatch) {
    case Swatch::kHeart:
      drawHeart(image, r.x + r.w / 2.0, r.y + r.h / 2.0, 0.48 * r.w, std::max(2, r.w / 6), 1,
                kLegendMarker);
      break;
    case Swatch::kCreature:
      drawCreature(image, r, kLegendMarker);
      break;
    case Swatch::kObject:
      drawObject(image, r, kLegendMarker);
      break;
    case Swatch::kDoor:
    case Swatch::kLockedDoor:
      drawDoor(image, r, kLegendMarker, e.swatch == Swatch::kLockedDoor);
      break;
    case Swatch::kTrap:
      drawTrap(image, r, kLegendMarker);
      break;
    default:
      break;
  }
}

void drawLegend(Image& image, int left, const std::vector<LegendEntry>& entries,
                const std::string& title, const std::vector<LegendLine>& head,
                const std::vector<LegendLine>& foot, const LegendLayout& l) {
  // A rule between map and legend, so that dark squares at the map's edge keep their shape.
  image.fill({left, 0, l.rule, image.height()}, kLegendText);
  left += l.rule;
  drawText(image, left + l.pad, l.pad + l.gap, title, l.dot, kLegendText);
  for (std::size_t i = 0; i < head.size(); ++i) {
    drawText(image, left + l.pad, l.pad + l.titleHeight + static_cast<int>(i) * l.lineHeight,
             head[i].text, l.dot, head[i].colour);
  }
  const int top = l.pad + l.titleHeight + l.headHeight;
  const int footTop = top + l.rows * l.rowHeight;
  for (std::size_t i = 0; i < foot.size(); ++i) {
    drawText(image, left + l.pad, footTop + static_cast<int>(i) * l.lineHeight, foot[i].text, l.dot,
             foot[i].colour);
  }
  const int textOffset = (l.swatch - kGlyphHeight * l.dot) / 2;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int column = static_cast<int>(i) / l.rows;
    const int row = static_cast<int>(i) % l.rows;
    const int x = left + l.pad + column * (l.columnWidth + l.swatch);
    const int y = top + row * l.rowHeight;
    const PixelRect swatch{x, y, l.swatch, l.swatch};
    image.setClip(swatch);
    drawSwatch(image, swatch, entries[i]);
    image.clearClip();
    drawText(image, x + l.swatch + l.gap, y + std::max(0, textOffset), entries[i].label, l.dot,
             kLegendText);
  }
}

}  // namespace

int defaultScale(std::int32_t mapWidth, std::int32_t mapHeight) {
  const std::int32_t longSide = std::max({mapWidth, mapHeight, 1});
  return std::clamp((kDefaultLongSide + longSide / 2) / longSide, 1, kMaxScale);
}

PixelPoint mapOrigin(std::int32_t mapWidth, std::int32_t mapHeight, int scale) {
  const Surround s = surroundOf(mapWidth, mapHeight, scale);
  return {s.left, s.top};
}

std::optional<Image> renderLevel(const LevelDescription& level, int scale, std::int64_t maxPixels,
                                 PictureSize& size, const Rejection* rejection) {
  // A reading that stopped in the header may have left no size, or one the reader would have
  // refused: then there is no grid to draw.
  LevelDescription sized;
  const bool noGrid = level.mapWidth <= 0 || level.mapHeight <= 0;
  if (noGrid) {
    sized = level;
    sized.mapWidth = 0;
    sized.mapHeight = 0;
  }
  const LevelDescription& drawn = noGrid ? sized : level;
  const TerrainGrid grid(drawn);
  std::vector<LegendEntry> entries = legendEntries(drawn, grid);
  if (rejection != nullptr && rejection->square) {
    entries.push_back({Swatch::kError, 0,
                       "ERROR AT (" + std::to_string(rejection->square->x) + ", " +
                           std::to_string(rejection->square->y) + ")"});
  }
  const std::vector<LegendLine> head =
      rejection != nullptr ? rejectionLines(*rejection) : std::vector<LegendLine>();
  const std::vector<LegendLine> foot = triggerLegend(drawn);
  const std::string title = legendTitle(drawn);
  const Surround s = surroundOf(drawn.mapWidth, drawn.mapHeight, scale);
  const std::int64_t mapRight = s.left + std::int64_t{drawn.mapWidth} * scale + s.margin;
  const std::int64_t mapBottom = s.top + std::int64_t{drawn.mapHeight} * scale + s.margin;
  if (mapRight * mapBottom > maxPixels) {
    size = {mapRight, mapBottom};
    return std::nullopt;
  }
  const LegendLayout l =
      layoutLegend(entries, title, head, foot, static_cast<int>(mapBottom), scale);
  size = {mapRight + l.width, std::max<std::int64_t>(mapBottom, l.height)};
  if (size.width * size.height > maxPixels) return std::nullopt;

  Image image(static_cast<int>(size.width), static_cast<int>(size.height), kLegendBackground);
  drawMap(image, drawn, grid, scale, rejection);
  drawLegend(image, static_cast<int>(mapRight), entries, title, head, foot, l);
  return image;
}

std::vector<std::string> triggerLines(const LevelDescription& level) {
  const auto gates = static_cast<std::int64_t>(level.heroGates.size());
  // A release location counts the gates first, then the entrance areas.
  auto location = [gates](std::int64_t n) {
    if (n >= 1 && n <= gates) return "G " + std::to_string(n);
    if (n > gates) return "A " + std::to_string(n - gates);
    return "LOCATION " + std::to_string(n);
  };
  auto item = [](std::int32_t category, std::int32_t id) {
    std::string_view name;
    if (category == kActionCategoryRoom) name = nameOf(kRoomTable, id);
    if (category == kActionCategoryDoor) name = nameOf(kDoorTable, id);
    if (category == kActionCategoryTrap) name = nameOf(kTrapTable, id);
    if (category == kActionCategorySpell) name = nameOf(kSpellTable, id);
    return name.empty() ? "ITEM " + std::to_string(id) : std::string(name);
  };
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < level.triggers.size(); ++i) {
    const Trigger& t = level.triggers[i];
    std::string line = "TRIGGER " + std::to_string(i + 1) + ": ";
    if (t.kind == kTriggerTime) {
      // TRIGGER_TIME counts seconds of play.
      line += "AFTER " + std::to_string(t.value) + " S OF PLAY";
      if (t.value >= 60) {
        const std::string seconds = std::to_string(t.value % 60);
        line += " (" + std::to_string(t.value / 60) + ":" + (seconds.size() == 1 ? "0" : "") +
                seconds + ")";
      }
    } else if (t.kind == kTriggerSlapCount) {
      line += "AT " + std::to_string(t.value) + " SLAPS";
    } else if (t.kind == kTriggerControlArea) {
      line += "WHEN " + ownerLabel(t.param3) + " HOLDS A " + std::to_string(t.value + 1);
    } else {
      line += "KIND " + std::to_string(t.kind);
    }
    std::vector<std::string> does;
    for (const TriggerAction& a : t.actions) {
      if (a.actionType == kActionHeroRelease) {
        does.push_back("BAND " + std::to_string(std::int64_t{a.arg1} + 1) + " AT " +
                       location(a.arg5));
      } else if (a.actionType == kActionGrant) {
        does.push_back("GIVES " + ownerLabel(a.arg1) + " " + item(a.arg2, a.arg3));
      } else if (a.actionType == kActionDestroyGate) {
        does.push_back("DESTROYS G " + std::to_string(std::int64_t{a.arg1} + 1));
      }
    }
    for (std::size_t k = 0; k < does.size(); ++k) line += (k == 0 ? ": " : ", ") + does[k];
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace ts::preview
