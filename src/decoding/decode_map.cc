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

}  // namespace

void decodeMap(Decoder& d) {
  Inspection& out = d.out();
  MapGrid& grid = out.map;
  bool sizeKnown = false;
  if (const Chunk* info = topChunk(out, 1)) {
    const std::size_t at = dataBegin(*info);
    const std::size_t end = dataEnd(*info, d.size());
    if (d.has(at, layout::kMapInfoSize, end)) {
      grid.width = d.i32(at);
      grid.height = d.i32(at + 4);
      Record& r = d.addRecord("map information", at, layout::kMapInfoSize);
      r.fields.push_back(d.s32("width", at));
      r.fields.push_back(d.s32("height", at + 4));
      sizeKnown = true;
      if (grid.width < 1)
        d.problem(at, "the map width " + std::to_string(grid.width) + " is not positive");
      if (grid.height < 1)
        d.problem(at + 4, "the map height " + std::to_string(grid.height) + " is not positive");
    }
  }
  const Chunk* cells = topChunk(out, 2);
  if (cells == nullptr) return;
  const std::size_t at = dataBegin(*cells);
  const std::size_t end = dataEnd(*cells, d.size());
  if (sizeKnown && grid.width > 0 && grid.height > 0) {
    const auto needed = static_cast<std::uint64_t>(grid.width) *
                        static_cast<std::uint64_t>(grid.height) * layout::kCellSize;
    if (cells->size != needed) {
      d.problem(cells->offset + 4, "the cells chunk announces " + std::to_string(cells->size) +
                                       " bytes; a " + std::to_string(grid.width) + " by " +
                                       std::to_string(grid.height) + " map needs " +
                                       std::to_string(needed));
    }
  }
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

}  // namespace ts::inspect
