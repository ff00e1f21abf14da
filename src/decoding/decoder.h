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

#include "base/le_encoding.h"
#include "decoding/inspection.h"

namespace ts::inspect {

class Decoder {
 public:
  // With a sink, completed records go to it instead of staying in `out.records`.
  Decoder(std::span<const std::uint8_t> bytes, Inspection& out, RecordSink* sink = nullptr)
      : bytes_(bytes), out_(out), sink_(sink) {}

  [[nodiscard]] std::size_t size() const { return bytes_.size(); }
  // Whether `count` bytes from `offset` lie inside [offset, end) and inside the file.
  [[nodiscard]] bool has(std::size_t offset, std::size_t count, std::size_t end = SIZE_MAX) const {
    return fitsIn(end < bytes_.size() ? end : bytes_.size(), offset, count);
  }
  // REQUIRES for the reads: has(offset, width).
  [[nodiscard]] std::uint8_t u8(std::size_t offset) const { return bytes_[offset]; }
  [[nodiscard]] std::uint16_t u16(std::size_t offset) const {
    return loadU16(bytes_.data() + offset);
  }
  [[nodiscard]] std::uint32_t u32(std::size_t offset) const {
    return loadU32(bytes_.data() + offset);
  }
  [[nodiscard]] std::int32_t i32(std::size_t offset) const {
    return loadI32(bytes_.data() + offset);
  }
  [[nodiscard]] std::span<const std::uint8_t> span(std::size_t offset, std::size_t count) const {
    return bytes_.subspan(offset, count);
  }

  void problem(std::size_t offset, std::string message);
  // Appends a record of `kind` spanning `size` bytes, numbered after the ones of the same kind
  // before it. `kind` must outlive the Inspection (a literal or a vocabulary name). The
  // reference is valid until the next record is added.
  Record& addRecord(std::string_view kind, std::size_t offset, std::size_t size);
  // Keeps every record until the end even with a sink: the trigger tree links them.
  void holdRecords() { hold_ = true; }
  // Records go to a sink: runs of like element chunks are kept as one (Chunk::repeat).
  [[nodiscard]] bool streaming() const { return sink_ != nullptr; }
  // Tells the sink that a pass without records has read up to `offset` (RecordSink::reached).
  void reached(std::size_t offset) {
    if (sink_ != nullptr) sink_->reached(offset);
  }
  [[nodiscard]] Inspection& out() { return out_; }

  // Field makers; `width` is the number of bytes the field is stored in. `name` must outlive
  // the Inspection, as a record's kind. `named` reports an unknown value (an empty `text`) as
  // a problem that says what was expected ("creature", "owner").
  [[nodiscard]] static Field number(std::string_view name, std::int64_t value, std::size_t offset,
                                    std::size_t width);
  // The unsigned or signed value stored at `offset` in `width` bytes (1, 2 or 4).
  [[nodiscard]] Field u(std::string_view name, std::size_t offset, std::size_t width) const;
  [[nodiscard]] Field s32(std::string_view name, std::size_t offset) const {
    return number(name, i32(offset), offset, 4);
  }
  // The same field, marked as one of a record's minor fields.
  [[nodiscard]] static Field minor(Field f) {
    f.minor = true;
    return f;
  }
  [[nodiscard]] static Field text(std::string_view name, std::string text, std::size_t offset,
                                  std::size_t width);
  Field named(std::string_view name, std::int64_t value, std::string_view text, std::size_t offset,
              std::size_t width, std::string_view what);
  // A player stored in `width` bytes: 0 is allowed (and named "none") only when `noneAllowed`.
  Field player(std::string_view name, std::size_t offset, std::size_t width,
               bool noneAllowed = false);
  // A narrow text of at most `width` bytes ending at the first zero byte; other than printable
  // characters are reported.
  Field narrowText(std::string_view name, std::size_t offset, std::size_t width);
  Field stamp(std::string_view name, std::size_t offset);

  // Called once at the end: adds the count of problems left out of the list and hands the
  // records still kept to the sink.
  void finish();

  // The things file's hero gates (structures owned by the hero player), counted before its
  // elements are decoded: area numbers count the gates first, then the entrance areas.
  std::int64_t heroGates = 0;
  // The hero gates' structures decoded so far.
  std::int64_t gateStructures = 0;

 private:
  // Hands the kept records to the sink, unless they are held.
  void release();

  std::span<const std::uint8_t> bytes_;
  Inspection& out_;
  RecordSink* sink_;
  bool hold_ = false;
  std::size_t suppressed_ = 0;
  std::map<std::string_view, std::size_t, std::less<>> recordsOfKind_;
};

// Whether a byte of a level name or path is a character: not a control byte. Bytes from 0x80
// are characters of the level name as written (Latin-1 as the game reads them), which the
// compiler copies into names and paths as they are.
[[nodiscard]] constexpr bool isTextCharacter(std::uint8_t b) { return b >= 0x20 && b != 0x7F; }
// Appends a Latin-1 character as UTF-8.
inline void appendLatin1(std::string& text, std::uint8_t b) {
  if (b < 0x80) {
    text += static_cast<char>(b);
  } else {
    text += static_cast<char>(0xC0 | (b >> 6));
    text += static_cast<char>(0x80 | (b & 0x3F));
  }
}

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
