// Shared machinery of the file decoders: bounds-checked little-endian reads, the problem list,
// record building, and the walk over a file's top-level chunks. One decode function per file
// kind fills an Inspection from the chunks the walk found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "inspection.h"

namespace ts::inspect {

class Decoder {
 public:
  Decoder(std::span<const std::uint8_t> bytes, Inspection& out) : bytes_(bytes), out_(out) {}

  [[nodiscard]] std::size_t size() const { return bytes_.size(); }
  // Whether `count` bytes from `offset` lie inside [offset, end) and inside the file.
  [[nodiscard]] bool has(std::size_t offset, std::size_t count, std::size_t end = SIZE_MAX) const {
    const std::size_t limit = end < bytes_.size() ? end : bytes_.size();
    return offset <= limit && count <= limit - offset;
  }
  // REQUIRES for the reads: has(offset, width).
  [[nodiscard]] std::uint8_t u8(std::size_t offset) const { return bytes_[offset]; }
  [[nodiscard]] std::uint16_t u16(std::size_t offset) const {
    return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
  }
  [[nodiscard]] std::uint32_t u32(std::size_t offset) const {
    return static_cast<std::uint32_t>(u16(offset)) | static_cast<std::uint32_t>(u16(offset + 2))
                                                         << 16;
  }
  [[nodiscard]] std::int32_t i32(std::size_t offset) const {
    return static_cast<std::int32_t>(u32(offset));
  }
  [[nodiscard]] std::span<const std::uint8_t> span(std::size_t offset, std::size_t count) const {
    return bytes_.subspan(offset, count);
  }

  void problem(std::size_t offset, std::string message);
  // Appends a record of `kind`, numbered after the ones of the same kind before it.
  Record& addRecord(std::string_view kind, std::size_t offset);
  [[nodiscard]] Inspection& out() { return out_; }

  // Field makers. `named` reports an unknown value (an empty `text`) as a problem that says
  // what was expected ("creature", "owner").
  [[nodiscard]] static Field number(std::string_view name, std::int64_t value, std::size_t offset);
  // The same field, marked as one of a record's minor fields.
  [[nodiscard]] static Field minor(Field f) {
    f.minor = true;
    return f;
  }
  [[nodiscard]] static Field text(std::string_view name, std::string text, std::size_t offset);
  Field named(std::string_view name, std::int64_t value, std::string_view text, std::size_t offset,
              std::string_view what);
  // A player byte: 0 is allowed (and named "none") only when `noneAllowed`.
  Field player(std::string_view name, std::int64_t value, std::size_t offset,
               bool noneAllowed = false);
  // A narrow text of at most `width` bytes ending at the first zero byte; other than printable
  // characters are reported.
  Field narrowText(std::string_view name, std::size_t offset, std::size_t width);
  Field stamp(std::string_view name, std::size_t offset);

  // Called once at the end: adds the count of problems left out of the list.
  void finish();

 private:
  std::span<const std::uint8_t> bytes_;
  Inspection& out_;
  std::size_t suppressed_ = 0;
  std::map<std::string, std::size_t, std::less<>> recordsOfKind_;
};

// Data bytes of a chunk that really are in the file: [dataBegin, dataEnd).
[[nodiscard]] inline std::size_t dataBegin(const Chunk& c) { return c.offset + 8; }
[[nodiscard]] std::size_t dataEnd(const Chunk& c, std::size_t fileSize);

// The top-level chunk the walk found at `index` of the file's expected order, or null.
[[nodiscard]] inline const Chunk* topChunk(const Inspection& in, std::size_t index) {
  return index < in.chunks.size() ? &in.chunks[index] : nullptr;
}

// Decodes an information chunk into an "information" record: one u32 count for each of
// `countNames`, the format version, then two stamps. Returns the counts announced, each -1 when
// it is not there.
std::vector<std::int64_t> decodeInformation(Decoder& d, const Chunk* info,
                                            std::span<const std::string_view> countNames);
// The common information chunk, whose only count is the number of elements; -1 when absent.
std::int64_t decodeInformation(Decoder& d, const Chunk* info);
// Reports an announced count that differs from the count found.
void checkCount(Decoder& d, std::int64_t announced, std::size_t found, std::size_t offset,
                std::string_view what);

// An element chunk identifier a body may hold, and the size of its record.
struct ElementKind {
  std::uint32_t id;
  std::size_t size;
  void (*decode)(Decoder& d, std::size_t at);  // REQUIRES: the record's bytes are present
};
// Walks the element chunks of the body chunk at `bodyIndex`, records them as its children and
// decodes each known element of the right size; reports unknown identifiers, wrong sizes and
// elements cut short.
void walkElements(Decoder& d, std::size_t bodyIndex, std::span<const ElementKind> kinds);

void decodeMap(Decoder& d);
void decodeThings(Decoder& d);
void decodeTriggers(Decoder& d);
void decodePlayers(Decoder& d);
void decodeVariables(Decoder& d);
void decodeLevelInfo(Decoder& d);

}  // namespace ts::inspect
