// The level-information file, always 26,887 bytes: file size (220), information (221), the
// level information (223: the wide level name and fixed bytes at fixed offsets, the player
// count at 25,660) and the referenced files (222: fifteen 72-byte entries, then fifteen u32).
#include <cassert>
#include <string>

#include "format/layouts.h"
#include "writers/chunk.h"
#include "writers/stamps.h"
#include "writers/writers.h"

namespace ts {

namespace {

constexpr std::size_t kFileLength = layout::kLevelInfoFileLength;
using layout::kEndOfLevelInfo;
using layout::kLevelInfoSize;
using layout::kPathWidth;
using layout::kReferencedFilesSize;
// The wide name holds at most 2,241 characters.
constexpr std::size_t kNameOffset = layout::kLevelNameOffset;
constexpr std::size_t kNameEnd = layout::kLevelNameEnd;

struct FixedField {
  std::size_t offset;
  std::array<std::uint8_t, 2> bytes;
  std::size_t size;
};
constexpr std::array<FixedField, 4> kFixedFields = {{
    {kNameEnd, {0x04, 0x00}, 1},
    {25540, {0x04, 0x0C}, 2},
    {25583, {0x01, 0x29}, 2},
    {25593, {0xF7, 0x15}, 2},
}};
using layout::kPlayerCountOffset;

struct ReferencedFile {
  std::uint32_t kind;
  std::string_view path;  // the game's shared data; the level's own files follow them
};
constexpr std::array<ReferencedFile, 9> kSharedFiles = {{
    {chunk::kDataTerrain, "Data\\Editor\\Terrain"},
    {chunk::kDataObjects, "Data\\Editor\\Objects"},
    {chunk::kDataRooms, "Data\\Editor\\Rooms"},
    {chunk::kDataCreatures, "Data\\Editor\\Creatures"},
    {chunk::kDataCreatureSpells, "Data\\Editor\\CreatureSpells"},
    {chunk::kDataTraps, "Data\\Editor\\Traps"},
    {chunk::kDataDoors, "Data\\Editor\\Doors"},
    {chunk::kDataShots, "Data\\Editor\\Shots"},
    {chunk::kDataKeeperSpells, "Data\\Editor\\KeeperSpells"},
}};
constexpr std::string_view kMapsFolder = "Data\\Editor\\Maps\\";
constexpr std::string_view kGlobalVariables = "Data\\Editor\\GlobalVariables.kwd";
constexpr std::array<std::uint32_t, 15> kClosingList = {1,  17, 3,  4,  5, 6, 7, 10,
                                                        12, 22, 23, 24, 9, 8, 11};

void padTo(Bytes& out, std::size_t offset) {
  if (out.size() < offset) putZeros(out, offset - out.size());
}

void putReferencedFile(Bytes& out, std::uint32_t kind, std::string_view path) {
  putU32(out, kind);
  putU32(out, 0);
  putNarrowText(out, path, kPathWidth);  // a path never runs into the next field
}

}  // namespace

Bytes buildLevelInfoFile(const LevelDescription& level) {
  Bytes out;
  out.reserve(kFileLength);
  putFileSizeChunk(out, chunk::kLevelInfoFile, kFileLength);
  putChunkHeader(out, chunk::kLevelInfoFile + chunk::kInfoOffset, 28);
  putBytes(out, std::array<std::uint8_t, 8>{0x0F, 0x00, 0x0F, 0x00, 0x99, 0x29, 0x00, 0x00});
  putBytes(out, stampRowFor(kLevelInfoStamps, level.playerCount));

  assert(out.size() == layout::kLevelInfoChunk);
  putChunkHeader(out, chunk::kLevelInfo, kLevelInfoSize);
  const std::string_view name = level.levelName;
  putWideText(out, name.substr(0, (kNameEnd - kNameOffset) / 2));
  for (const FixedField& field : kFixedFields) {
    padTo(out, field.offset);
    out.insert(out.end(), field.bytes.begin(),
               field.bytes.begin() + static_cast<std::ptrdiff_t>(field.size));
  }
  padTo(out, kPlayerCountOffset);
  putLow8(out, level.playerCount);
  padTo(out, kEndOfLevelInfo);

  putChunkHeader(out, chunk::kReferencedFiles, kReferencedFilesSize);
  assert(out.size() == layout::kFirstReferencedFile);
  for (const ReferencedFile& file : kSharedFiles) putReferencedFile(out, file.kind, file.path);
  const std::string folder = std::string(kMapsFolder) + level.levelName;
  putReferencedFile(out, chunk::kPlayersFile, folder + std::string(kPlayersSuffix));
  putReferencedFile(out, chunk::kMapFile, folder + std::string(kMapSuffix));
  putReferencedFile(out, chunk::kTriggersFile, folder + std::string(kTriggersSuffix));
  putReferencedFile(out, chunk::kVariablesFile, kGlobalVariables);
  putReferencedFile(out, chunk::kVariablesFile, folder + std::string(kVariablesSuffix));
  putReferencedFile(out, chunk::kThingsFile, folder + std::string(kThingsSuffix));
  assert(out.size() == layout::kClosingListOffset);
  for (std::uint32_t value : kClosingList) putU32(out, value);
  assert(out.size() == kFileLength);
  return out;
}

}  // namespace ts
