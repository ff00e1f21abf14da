// Writing the chunk framing of the level files (format/chunks.h): chunk headers, the file-size
// and information chunks, element records filled field by field, and whole files of the common
// shape.
#pragma once

#include <cassert>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "base/le_encoding.h"
#include "format/chunks.h"

namespace ts {

inline void putChunkHeader(Bytes& out, std::uint32_t id, std::size_t size) {
  putU32(out, id);
  putU32(out, static_cast<std::uint32_t>(size));
}

inline void putFileSizeChunk(Bytes& out, std::uint32_t baseId, std::size_t fileLength) {
  putChunkHeader(out, baseId, 4);
  putU32(out, static_cast<std::uint32_t>(fileLength));
}

// The information chunk: a u32 for each count (the triggers file counts its triggers and its
// actions apart, the other files their elements), the format version, then the stamps.
inline void putFileInfoChunk(Bytes& out, std::uint32_t baseId,
                             std::initializer_list<std::size_t> counts, const StampPair& stamps) {
  putChunkHeader(out, baseId + chunk::kInfoOffset, 4 * counts.size() + 4 + sizeof(StampPair));
  for (std::size_t n : counts) putU32(out, static_cast<std::uint32_t>(n));
  putU32(out, 1);  // format version
  putBytes(out, stamps);
}

// The frame in front of a file's body: file size, information and the body chunk's header;
// kFrameSize bytes with one count, four more for each further count.
inline void putFrame(Bytes& out, std::uint32_t baseId, std::initializer_list<std::size_t> counts,
                     const StampPair& stamps, std::size_t bodySize) {
  const std::size_t frameSize = kFrameSize + 4 * (counts.size() - 1);
  putFileSizeChunk(out, baseId, frameSize + bodySize);
  putFileInfoChunk(out, baseId, counts, stamps);
  putChunkHeader(out, baseId + chunk::kBodyOffset, bodySize);
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

// A file of the common shape: file size, information and body chunks, then the body.
[[nodiscard]] inline Bytes frameFile(std::uint32_t baseId, std::size_t elementCount,
                                     const StampPair& stamps, const Bytes& body) {
  Bytes file;
  file.reserve(kFrameSize + body.size());
  putFrame(file, baseId, {elementCount}, stamps, body.size());
  putBytes(file, body);
  return file;
}

}  // namespace ts
