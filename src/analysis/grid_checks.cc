// What the grid says otherwise than its designer meant, though the compiler takes it without a
// word: a row longer than the width loses its last squares; a gate whose squares are no rectangle
// gets the rectangle through its listed square; gate squares that no entry lists are no gate; an
// owner letter the map-drawing tool does not know makes the square neutral; and terrain of a
// keeper who does not play.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "analysis/analysis.h"

namespace ts::check {

namespace {

std::string squareText(std::int64_t x, std::int64_t y) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

std::string plural(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

void add(std::vector<Located>& out, std::size_t from, std::size_t to, Located l) {
  if (l.offset != kNoOffset && l.offset >= from && l.offset < to) out.push_back(std::move(l));
}

// Rows with more characters than the width: the squares after the width are never read.
void longRows(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  if (r.rows == nullptr || r.start != 0) return;
  const std::size_t width =
      static_cast<std::size_t>(std::max(0, r.level.mapWidth)) * (r.gui ? 2 : 1);
  std::size_t first = kNoOffset;
  std::size_t firstRow = 0;
  std::size_t longer = 0;
  for (std::size_t row = 0; row < r.rows->size(); ++row) {
    const std::size_t start = (*r.rows)[row];
    std::size_t end = r.view.lineEnd(start);
    while (end > start + width && isBlank(r.view.text[end - 1])) --end;
    if (end <= start + width) continue;
    if (longer++ == 0) {
      first = start;
      firstRow = row;
    }
  }
  if (longer == 0) return;
  const std::size_t end = r.view.lineEnd(first);
  std::string text = "row " + std::to_string(firstRow + 1) + " has " +
                     plural(end - first, "character", "characters") + " but the map is " +
                     std::to_string(r.level.mapWidth) + " squares wide" +
                     (r.gui ? " (two characters a square)" : "") +
                     ": what stands after the width is not read";
  if (longer > 1) text += " (" + plural(longer, "row is", "rows are") + " longer)";
  Located l{first + width, Severity::kWarning, std::move(text), CheckId::kRowTooLong, end};
  l.square = Square{r.level.mapWidth, static_cast<std::int32_t>(firstRow)};
  add(out, from, to, std::move(l));
}

// Rows after the last one the height gives, before MAP_CODES: the reader skips them looking for
// the keyword, so a row pasted twice moves every row after it down one and loses the last.
void extraRows(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  if (r.rows == nullptr || r.start != 0 || r.gui || r.rows->empty() ||
      r.rows->size() != static_cast<std::size_t>(std::max(0, r.level.mapHeight))) {
    return;
  }
  const KeywordLine* codes = r.outline.find(Stage::kGrid, r.rows->back());
  if (codes == nullptr || codes->kind != KeywordLine::kExact) return;
  const auto width = static_cast<std::size_t>(std::max(0, r.level.mapWidth));
  const auto rowLength = [&](std::size_t line) {
    std::size_t end = r.view.lineEnd(line);
    while (end > line && isBlank(r.view.text[end - 1])) --end;
    return end - line;
  };
  std::size_t first = kNoOffset;
  std::size_t extra = 0;
  for (std::size_t line = r.view.nextLine(r.rows->back()); line < codes->line;
       line = r.view.nextLine(line)) {
    if (width == 0 || rowLength(line) != width) continue;
    if (extra++ == 0) first = line;
  }
  if (extra == 0) return;
  Located l{first, Severity::kWarning,
            "the grid has " + plural(r.rows->size() + extra, "row", "rows") +
                " but the size gives " + std::to_string(r.level.mapHeight) + ": " +
                (extra == 1 ? std::string("this row is")
                            : plural(extra, "row", "rows") + " from here are") +
                " never read",
            CheckId::kHeightSmallerThanRows, r.view.lineEnd(first)};
  if (const TextView::Repeat copy = r.view.repeatedLines(r.rows->front(), first);
      copy.line != kNoOffset && copy.lines == 1) {
    l.notes.emplace_back(copy.line,
                         "this row repeats the row before it: if it was pasted twice, remove it");
  }
  add(out, from, to, std::move(l));
}

}  // namespace

std::set<std::pair<std::int32_t, std::int32_t>> regionOf(const LevelDescription& level, char c,
                                                         std::int32_t x, std::int32_t y) {
  std::set<std::pair<std::int32_t, std::int32_t>> region;
  std::vector<std::pair<std::int32_t, std::int32_t>> todo = {{x, y}};
  while (!todo.empty() && region.size() <= kLargestGate) {
    const auto [cx, cy] = todo.back();
    todo.pop_back();
    if (cx < 0 || cy < 0 || cx >= level.mapWidth || cy >= level.mapHeight ||
        level.mapRows[static_cast<std::size_t>(cy)][static_cast<std::size_t>(cx)] != c ||
        !region.insert({cx, cy}).second) {
      continue;
    }
    todo.insert(todo.end(), {{cx + 1, cy}, {cx - 1, cy}, {cx, cy + 1}, {cx, cy - 1}});
  }
  return region;
}

namespace {

// Gates whose squares are no rectangle, and gate squares no listed gate covers.
void gates(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  const LevelDescription& level = r.level;
  const GridTerrain grid(level, r.names);
  const TraceSection* section = r.seen.trace().find(Section::kGates);
  if (!grid.whole() || section == nullptr) return;
  const Trace& trace = r.seen.trace();
  std::vector<GateExtent> listed;
  for (std::size_t g = 0; g < level.heroGates.size() && g < section->entryCount; ++g) {
    const HeroGate& gate = level.heroGates[g];
    GateExtent e = gate.extent;
    const TerrainCode code = grid.at(gate.x, gate.y);
    if (code == kHeroGate3Code) {  // the compiler grows it by one square on every side
      e = {e.left + 1, e.top + 1, e.right - 1, e.bottom - 1};
    }
    listed.push_back(e);
    const char c =
        level.mapRows[static_cast<std::size_t>(gate.y)][static_cast<std::size_t>(gate.x)];
    const auto region = regionOf(level, c, gate.x, gate.y);
    if (region.size() > kLargestGate) continue;  // a painted field, not a gate's squares
    std::vector<std::pair<std::int32_t, std::int32_t>> left;  // drawn, not taken
    for (const auto& [x, y] : region) {
      if (x < e.left || x > e.right || y < e.top || y > e.bottom) left.emplace_back(x, y);
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> taken;  // taken, not drawn
    for (std::int32_t y = e.top; y <= e.bottom; ++y) {
      for (std::int32_t x = e.left; x <= e.right; ++x) {
        if (!region.count({x, y})) taken.emplace_back(x, y);
      }
    }
    if (left.empty() && taken.empty()) continue;
    const TraceEntry& entry = trace.entries[section->firstEntry + g];
    std::string text = "the squares of hero gate " + std::to_string(g + 1) +
                       " are no rectangle: the compiler takes " + squareText(e.left, e.top) +
                       " to " + squareText(e.right, e.bottom);
    if (!taken.empty()) {
      text += ", which takes in " + squareText(taken[0].first, taken[0].second) + " (" +
              grid.name(grid.at(taken[0].first, taken[0].second)) + ")";
    }
    if (!left.empty()) {
      text += (taken.empty() ? ", which" : " and") + std::string(" leaves out ") +
              squareText(left[0].first, left[0].second) + ", drawn as the gate";
    }
    Located l{trace.entryStart(entry), Severity::kWarning, std::move(text),
              CheckId::kGateNotRectangle, trace.entryEnd(entry)};
    const auto& odd = taken.empty() ? left[0] : taken[0];
    l.notes.emplace_back(r.squareOffset(odd.first, odd.second), "this square",
                         Square{odd.first, odd.second});
    add(out, from, to, std::move(l));
  }
  // Gate squares outside every listed gate: one warning a region; only once every gate was read.
  if (!level.isValid && trace.find(Section::kTriggers) == nullptr) return;
  std::set<std::pair<std::int32_t, std::int32_t>> seen;
  for (std::int32_t y = 0; y < level.mapHeight; ++y) {
    for (std::int32_t x = 0; x < level.mapWidth; ++x) {
      if (!isGateTerrain(grid.at(x, y)) || seen.count({x, y})) continue;
      const bool covered = std::any_of(listed.begin(), listed.end(), [&](const GateExtent& e) {
        return x >= e.left && x <= e.right && y >= e.top && y <= e.bottom;
      });
      const char c = level.mapRows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      const auto region = regionOf(level, c, x, y);
      seen.insert(region.begin(), region.end());
      if (covered) continue;
      Located l{r.squareOffset(x, y), Severity::kWarning,
                "these " + grid.name(grid.at(x, y)) + " squares from " + squareText(x, y) +
                    " are no hero gate: no HERO_GATES entry lists them",
                CheckId::kGateNotListed, r.squareOffset(x, y) + (r.gui ? 2 : 1)};
      l.square = Square{x, y};
      add(out, from, to, std::move(l));
    }
  }
}

// Map-drawing-tool squares whose owner letter reads otherwise than it looks: a lower-case letter
// or a zero for an owner letter is neutral ground, or no terrain at all.
void ownerLetters(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  if (!r.gui || r.rows == nullptr || r.start != 0) return;
  for (std::size_t row = 0; row < r.rows->size(); ++row) {
    const std::size_t start = (*r.rows)[row];
    for (std::int32_t x = 0; x < r.level.mapWidth; ++x) {
      const std::size_t at = start + 2 * static_cast<std::size_t>(x);
      if (at >= r.view.text.size()) break;
      const char owner = r.view.text[at];
      const char meant = owner == '0' ? 'O' : owner == 'h' ? 'H' : owner == 'o' ? 'O' : owner;
      // With a terrain letter of unowned terrain the pair names nothing, which is said of the
      // square itself; with a room's letter it names the neutral room.
      const char terrain = at + 1 < r.view.text.size() ? r.view.text[at + 1] : ' ';
      // A keeper number past 4 is no owner either, and nothing says which was meant.
      const bool pastKeepers = owner >= '5' && owner <= '9';
      if ((meant == owner && !pastKeepers) || terrain < 'A' || terrain > 'T') continue;
      Located l{at, Severity::kWarning,
                std::string("'") + owner + "' is no owner letter: the square is read as " +
                    "neutral; " +
                    (pastKeepers ? std::string("keepers are 1 to 4, H the heroes, O nobody")
                                 : "did you mean '" + std::string(1, meant) + "'?"),
                CheckId::kGuiOwnerLetter, at + 1};
      l.square = Square{x, static_cast<std::int32_t>(row)};
      if (!pastKeepers) l.suggestions.push_back({{at, at + 1}, std::string(1, meant)});
      add(out, from, to, std::move(l));
      return;  // the first one: a tool that writes one writes them all
    }
  }
}

// Terrain of a keeper who does not play, drawn on the grid.
void absentKeepersTerrain(const Reading& r, std::size_t from, std::size_t to,
                          std::vector<Located>& out) {
  const LevelDescription& level = r.level;
  const GridTerrain grid(level, r.names);
  if (!grid.whole() || r.start != 0 || !r.keepersKnown) return;
  std::set<TerrainCode> said;
  for (std::int32_t y = 0; y < level.mapHeight; ++y) {
    for (std::int32_t x = 0; x < level.mapWidth; ++x) {
      const TerrainCode code = grid.at(x, y);
      const std::int32_t owner = ownerOf(code);
      if (owner < kFirstKeeperPlayer || owner - kFirstKeeperPlayer < level.playerCount ||
          code == kUnknownTerrainCode || !said.insert(code).second) {
        continue;
      }
      Located l{r.squareOffset(x, y), Severity::kWarning,
                grid.name(code) + " at " + squareText(x, y) + " belongs to keeper " +
                    std::to_string(owner - kFirstKeeperPlayer + 1) +
                    ", who does not play in a level of " +
                    plural(static_cast<std::size_t>(level.playerCount), "keeper", "keepers"),
                CheckId::kKeeperNotPlaying, r.squareOffset(x, y) + (r.gui ? 2 : 1)};
      l.square = Square{x, y};
      // In a text map, the legend entry that gives a character this terrain is the line to edit.
      for (const Seen::Legend& entry : r.seen.legend) {
        if (entry.code != code) continue;
        l.notes.emplace_back(entry.offset, "MAP_CODES gives '" + std::string(1, entry.c) + "' " +
                                               grid.name(code) + " here");
        break;
      }
      add(out, from, to, std::move(l));
    }
  }
}

}  // namespace

const std::array<SilentCheck, 5> kGridChecks = {longRows, extraRows, gates, ownerLetters,
                                                absentKeepersTerrain};

}  // namespace ts::check
