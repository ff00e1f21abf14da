// The chunk framing of the level files: every file starts with a file-size chunk, most follow
// it with an information chunk and a body chunk holding the elements.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <string_view>

#include "base/le_encoding.h"

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

inline void putChunkHeader(Bytes& out, std::uint32_t id, std::size_t size) {
  putU32(out, id);
  putU32(out, static_cast<std::uint32_t>(size));
}

inline void putFileSizeChunk(Bytes& out, std::uint32_t baseId, std::size_t fileLength) {
  putChunkHeader(out, baseId, 4);
  putU32(out, static_cast<std::uint32_t>(fileLength));
}

inline void putFileInfoChunk(Bytes& out, std::uint32_t baseId, std::size_t elementCount,
                             const StampPair& stamps) {
  putChunkHeader(out, baseId + chunk::kInfoOffset, 28);
  putU32(out, static_cast<std::uint32_t>(elementCount));
  putU32(out, 1);  // format version
  putBytes(out, stamps);
}

class FieldWriter;
// Starts an element chunk: its header, then room for a record of `size` bytes that the returned
// writer fills (and can tell whether it filled exactly), all appended at once.
[[nodiscard]] inline FieldWriter beginElement(Bytes& out, std::uint32_t id, std::size_t size);

// Fills one fixed record in sequence, as RecordWriter does, and counts the record's bytes so far,
// so that a writer checks the layout's offset of a named field where it stores the field:
// `r.at(layout::kCreatureLevel).low8(level)` asserts that the fields before took 14 bytes.
class FieldWriter {
 public:
  // Room for a record of `size` bytes at the end of `out`, zero until filled.
  FieldWriter(Bytes& out, std::size_t size) : FieldWriter(out, size, 0) {}

  // REQUIRES: the fields stored so far end at `offset`.
  FieldWriter& at([[maybe_unused]] std::size_t offset) {
    assert(offset_ == offset);
    return *this;
  }
  void u8(std::uint8_t v) {
    record_.u8(v);
    offset_ += 1;
  }
  void u16(std::uint16_t v) {
    record_.u16(v);
    offset_ += 2;
  }
  void u32(std::uint32_t v) {
    record_.u32(v);
    offset_ += 4;
  }
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  void low8(std::int32_t v) { u8(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v))); }
  void zeros(std::size_t count) {
    record_.zeros(count);
    offset_ += count;
  }
  template <typename ByteRange>
  void bytes(const ByteRange& range) {
    for (std::uint8_t b : range) u8(b);
  }
  // The text's bytes, no terminator, then zeros up to `width`; a longer text is cut at `width`.
  void text(std::string_view text, std::size_t width) {
    const std::string_view kept = text.substr(0, width);
    for (char c : kept) u8(static_cast<std::uint8_t>(c));
    zeros(width - kept.size());
  }

  // True once every byte of the record has been written or skipped.
  [[nodiscard]] bool complete() const { return offset_ == size_ && record_.complete(); }

 private:
  friend FieldWriter beginElement(Bytes& out, std::uint32_t id, std::size_t size);

  // Room for `header` bytes and the record behind them; offsets count from the record.
  FieldWriter(Bytes& out, std::size_t size, std::size_t header)
      : record_(out, header + size), size_(size) {}

  RecordWriter record_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

inline FieldWriter beginElement(Bytes& out, std::uint32_t id, std::size_t size) {
  FieldWriter element(out, size, kChunkHeaderSize);
  element.record_.u32(id);
  element.record_.u32(static_cast<std::uint32_t>(size));
  return element;
}

// Bytes in front of the body of a file of the common shape: the file size, information and
// body chunk headers.
inline constexpr std::size_t kFrameSize =
    kFileSizeChunkSize + kFileInfoChunkSize + kChunkHeaderSize;

// A file of the common shape: file size, information and body chunks, then the body.
[[nodiscard]] inline Bytes frameFile(std::uint32_t baseId, std::size_t elementCount,
                                     const StampPair& stamps, const Bytes& body) {
  Bytes file;
  file.reserve(kFrameSize + body.size());
  putFileSizeChunk(file, baseId, kFrameSize + body.size());
  putFileInfoChunk(file, baseId, elementCount, stamps);
  putChunkHeader(file, baseId + chunk::kBodyOffset, body.size());
  putBytes(file, body);
  return file;
}

}  // namespace ts
