// The chunk framing of the level files, as the game reads it: every file starts with a file-size
// chunk, most follow it with an information chunk and a body chunk holding the elements. The
// writers write by these constants and the decoder reads by them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ts {

// Chunk identifiers. They are part of the file formats the game reads and never change.
namespace chunk {
inline constexpr std::uint32_t kMapFile = 100;
inline constexpr std::uint32_t kMapInfo = 101;
inline constexpr std::uint32_t kMapCells = 102;
inline constexpr std::uint32_t kDataTerrain = 110;
inline constexpr std::uint32_t kDataRooms = 120;
inline constexpr std::uint32_t kDataTraps = 130;
inline constexpr std::uint32_t kDataDoors = 140;
inline constexpr std::uint32_t kDataKeeperSpells = 150;
inline constexpr std::uint32_t kDataCreatureSpells = 160;
inline constexpr std::uint32_t kDataCreatures = 170;
inline constexpr std::uint32_t kPlayersFile = 180;
inline constexpr std::uint32_t kThingsFile = 190;
inline constexpr std::uint32_t kThingObject = 194;
inline constexpr std::uint32_t kThingTrap = 195;
inline constexpr std::uint32_t kThingDoor = 196;
inline constexpr std::uint32_t kThingArea = 197;
inline constexpr std::uint32_t kThingCreature = 200;
inline constexpr std::uint32_t kThingHeroBand = 201;
inline constexpr std::uint32_t kThingStructure = 204;
inline constexpr std::uint32_t kTriggersFile = 210;
inline constexpr std::uint32_t kTriggerElement = 213;
inline constexpr std::uint32_t kActionElement = 214;
inline constexpr std::uint32_t kLevelInfoFile = 220;
inline constexpr std::uint32_t kReferencedFiles = 222;
inline constexpr std::uint32_t kLevelInfo = 223;
inline constexpr std::uint32_t kVariablesFile = 230;
inline constexpr std::uint32_t kDataObjects = 240;
inline constexpr std::uint32_t kDataShots = 260;
// A file's information chunk and body chunk follow its base identifier.
inline constexpr std::uint32_t kInfoOffset = 1;
inline constexpr std::uint32_t kBodyOffset = 2;
}  // namespace chunk

inline constexpr std::size_t kChunkHeaderSize = 4 + 4;
inline constexpr std::size_t kFileSizeChunkSize = kChunkHeaderSize + 4;
inline constexpr std::size_t kFileInfoChunkSize = kChunkHeaderSize + 4 + 4 + 10 + 10;

// Two date stamps (year, day, month, filler, hour, minute, second, filler), copied verbatim:
// the filler bytes differ between files, so every file keeps its own rows.
using StampPair = std::array<std::uint8_t, 20>;
using StampTable = std::array<StampPair, 4>;

// The row for 1, 2 or 3 keepers; the last row serves any other count.
[[nodiscard]] inline const StampPair& stampRowFor(const StampTable& table,
                                                  std::int32_t playerCount) {
  if (playerCount >= 1 && playerCount <= 3) return table[static_cast<std::size_t>(playerCount - 1)];
  return table[3];
}

// Bytes in front of the body of a file of the common shape: the file size, information and
// body chunk headers.
inline constexpr std::size_t kFrameSize =
    kFileSizeChunkSize + kFileInfoChunkSize + kChunkHeaderSize;

}  // namespace ts
