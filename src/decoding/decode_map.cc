// The map file: width and height, then one terrain code per square. Besides the records, the
// decoder keeps the cells (for --diff) and counts each terrain.
#include <algorithm>
#include <cstdio>
#include <map>

#include "decoding/decoder.h"
#include "decoding/names.h"
#include "format/layouts.h"

namespace ts::inspect {

namespace {

std::string hexCode(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

// The map information chunk: the map's width and height. False when the chunk does not hold
// them.
bool decodeSize(Decoder& d, MapGrid& grid) {
  const Chunk* info = topChunk(d.out(), 1);
  if (info == nullptr) return false;
  const std::size_t at = dataBegin(*info);
  if (!d.has(at, layout::kMapInfoSize, dataEnd(*info, d.size()))) return false;
  grid.width = d.i32(at);
  grid.height = d.i32(at + 4);
  Record& r = d.addRecord("map information", at, layout::kMapInfoSize);
  r.fields.push_back(d.s32("width", at));
  r.fields.push_back(d.s32("height", at + 4));
  if (grid.width < 1) {
    d.problem(at, "the map width " + std::to_string(grid.width) + " is not positive");
  }
  if (grid.height < 1) {
    d.problem(at + 4, "the map height " + std::to_string(grid.height) + " is not positive");
  }
  return true;
}

// Reports a cells chunk whose size is not that of the map's squares.
void checkCellsSize(Decoder& d, const MapGrid& grid, const Chunk& cells) {
  if (grid.width <= 0 || grid.height <= 0) return;
  const auto needed = static_cast<std::uint64_t>(grid.width) *
                      static_cast<std::uint64_t>(grid.height) * layout::kCellSize;
  if (cells.size != needed) {
    d.problem(cells.offset + 4, "the cells chunk announces " + std::to_string(cells.size) +
                                    " bytes; a " + std::to_string(grid.width) + " by " +
                                    std::to_string(grid.height) + " map needs " +
                                    std::to_string(needed));
  }
}

// Keeps each whole cell of [at, end), reports the first square of each unknown terrain, and
// counts the squares of each terrain, the most common first.
void decodeCells(Decoder& d, MapGrid& grid, std::size_t at, std::size_t end) {
  const std::size_t count = (end - at) / layout::kCellSize;
  if (const std::size_t partial = (end - at) % layout::kCellSize; partial != 0) {
    d.problem(at + layout::kCellSize * count,
              "the cells end with a partial cell of " + std::to_string(partial) + " bytes");
  }
  grid.cells.reserve(count);
  std::map<std::uint32_t, std::size_t> counts;
  const auto width = static_cast<std::size_t>(grid.width > 0 ? grid.width : 0);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t cell = at + layout::kCellSize * i;
    const std::uint32_t code = d.u32(cell);
    grid.cells.push_back(code);
    if (++counts[code] == 1 && terrainName(code).empty()) {
      std::string where;
      if (width > 0) {
        where = " at square (" + std::to_string(i % width) + ", " + std::to_string(i / width) + ")";
      }
      d.problem(cell, "unknown terrain code " + hexCode(code) + where);
    }
  }
  for (const auto& [code, n] : counts) grid.terrain.push_back({code, n});
  std::stable_sort(grid.terrain.begin(), grid.terrain.end(),
                   [](const TerrainCount& a, const TerrainCount& b) { return a.count > b.count; });
}

}  // namespace

void decodeMap(Decoder& d) {
  MapGrid& grid = d.out().map;
  const bool sizeKnown = decodeSize(d, grid);
  const Chunk* cells = topChunk(d.out(), 2);
  if (cells == nullptr) return;
  if (sizeKnown) checkCellsSize(d, grid, *cells);
  decodeCells(d, grid, dataBegin(*cells), dataEnd(*cells, d.size()));
}

}  // namespace ts::inspect
