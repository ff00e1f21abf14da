// The map file: file size (100), map information (101: width, height) and the cells (102),
// one u32 terrain code per square, row 0 first, column 0 first within a row.
#include <cassert>
#include <utility>

#include "format/layouts.h"
#include "writers/chunk.h"
#include "writers/writers.h"

namespace ts {

void buildMapFile(const LevelDescription& level, ProblemSink& problems, FileOutput& file) {
  const auto width = static_cast<std::size_t>(level.mapWidth);
  const auto height = static_cast<std::size_t>(level.mapHeight);
  const std::size_t cellBytes = layout::kCellSize * width * height;
  const std::size_t length = layout::kFirstCell + cellBytes;

  file.expect(length);
  Bytes& out = file.bytes();
  putFileSizeChunk(out, chunk::kMapFile, length);
  putChunkHeader(out, chunk::kMapInfo, layout::kMapInfoSize);
  putI32(out, level.mapWidth);
  putI32(out, level.mapHeight);
  putChunkHeader(out, chunk::kMapCells, cellBytes);
  assert(file.size() == layout::kFirstCell);

  // Each character resolves once to the smallest code that carries it; the hero gate markers
  // are written as HERO_GATE_6, which is what the game draws for them.
  const CharacterCodes codes(level.mapCodes);
  std::array<std::uint32_t, 256> cell{};
  std::array<std::uint8_t, 256> unknown{};
  for (std::size_t c = 0; c < 256; ++c) {
    const auto square = static_cast<unsigned char>(c);
    unknown[c] = codes.has(square) ? 0 : 1;
    cell[c] = static_cast<std::uint32_t>(mapFileCode(codes.terrainOf(square)));
  }
  // Each row takes its room at once and its cells are stored in place, four bytes a square.
  // A row with a character that has no code is walked again for the reports, in column order.
  for (const std::string& row : level.mapRows) {
    std::uint8_t* at = grow(out, layout::kCellSize * width);
    const auto* squares = reinterpret_cast<const unsigned char*>(row.data());
    std::uint8_t anyUnknown = 0;
    for (std::size_t col = 0; col < width; ++col, at += layout::kCellSize) {
      storeU32(at, cell[squares[col]]);
      anyUnknown |= unknown[squares[col]];
    }
    if (anyUnknown != 0) {
      for (std::size_t col = 0; col < width; ++col) {
        if (unknown[squares[col]] != 0) {
          problems.report(ProblemId::kTerrainMapping, Problem::kNowhere,
                          static_cast<char>(squares[col]));
        }
      }
    }
    file.checkpoint();
  }
}

Bytes buildMapFile(const LevelDescription& level, ProblemSink& problems) {
  return wholeFile([&](FileOutput& file) { buildMapFile(level, problems, file); });
}

}  // namespace ts
