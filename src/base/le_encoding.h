// Little-endian encoders shared by every level file writer, and the matching reads the
// decoders and the tests use. Values are split into bytes and joined again by shifts, so the
// files never depend on the host's byte order.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace ts {

using Bytes = std::vector<std::uint8_t>;

// Stores into room that is already part of a buffer, least significant byte first.
inline void storeU16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void storeU32(std::uint8_t* at, std::uint32_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
  at[2] = static_cast<std::uint8_t>(v >> 16);
  at[3] = static_cast<std::uint8_t>(v >> 24);
}

// Appends `count` zero bytes and returns where they start. The pointer is good until the
// buffer grows again.
inline std::uint8_t* grow(Bytes& out, std::size_t count) {
  const std::size_t at = out.size();
  out.resize(at + count);
  return out.data() + at;
}

inline void putU8(Bytes& out, std::uint8_t v) { out.push_back(v); }

// Wider fields take their room in one step rather than a byte at a time.
inline void putU16(Bytes& out, std::uint16_t v) { storeU16(grow(out, 2), v); }

inline void putU32(Bytes& out, std::uint32_t v) { storeU32(grow(out, 4), v); }

// A level value into a 32-bit field: negative values as their two's complement.
inline void putI32(Bytes& out, std::int32_t v) { putU32(out, static_cast<std::uint32_t>(v)); }

// A level value into a one-byte field: its low byte.
inline void putLow8(Bytes& out, std::int32_t v) {
  putU8(out, static_cast<std::uint8_t>(static_cast<std::uint32_t>(v)));
}

inline void putZeros(Bytes& out, std::size_t count) { out.insert(out.end(), count, 0); }

template <typename ByteRange>
inline void putBytes(Bytes& out, const ByteRange& bytes) {
  out.insert(out.end(), std::begin(bytes), std::end(bytes));
}

// Fills a fixed-size record in place: its room is appended once, then each field is stored
// without a capacity check of its own. Writers of many records use it; the bytes are those the
// put functions above would append. Room that is skipped stays zero.
class RecordWriter {
 public:
  RecordWriter(Bytes& out, std::size_t size) : at_(grow(out, size)), end_(at_ + size) {}

  void u8(std::uint8_t v) {
    assert(end_ - at_ >= 1);
    *at_++ = v;
  }
  void u16(std::uint16_t v) {
    assert(end_ - at_ >= 2);
    storeU16(at_, v);
    at_ += 2;
  }
  void u32(std::uint32_t v) {
    assert(end_ - at_ >= 4);
    storeU32(at_, v);
    at_ += 4;
  }
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  void low8(std::int32_t v) { u8(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v))); }
  void zeros(std::size_t count) {
    assert(static_cast<std::size_t>(end_ - at_) >= count);
    at_ += count;
  }
  template <typename ByteRange>
  void bytes(const ByteRange& range) {
    for (std::uint8_t b : range) u8(b);
  }

  // True once every byte of the record has been written or skipped.
  [[nodiscard]] bool complete() const { return at_ == end_; }

 private:
  std::uint8_t* at_;
  std::uint8_t* end_;
};

// The text's bytes, no terminator, then zeros up to `width`; a longer text is cut at `width`.
inline void putNarrowText(Bytes& out, std::string_view text, std::size_t width) {
  const std::size_t n = text.size() < width ? text.size() : width;
  out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
  putZeros(out, width - n);
}

// Each character as a 16-bit unit whose high byte is zero; no terminator.
inline void putWideText(Bytes& out, std::string_view text) {
  for (char c : text) {
    putU8(out, static_cast<std::uint8_t>(c));
    putU8(out, 0);
  }
}

// Reads from bytes that are known to be there, least significant byte first.
inline std::uint16_t loadU16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(static_cast<std::uint16_t>(at[0]) |
                                    static_cast<std::uint16_t>(at[1]) << 8);
}

inline std::uint32_t loadU32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// A 32-bit field back into a level value: the inverse of putI32.
inline std::int32_t loadI32(const std::uint8_t* at) {
  return static_cast<std::int32_t>(loadU32(at));
}

// Whether `count` bytes from `offset` lie inside `size` bytes; written so that no sum can wrap.
constexpr bool fitsIn(std::size_t size, std::size_t offset, std::size_t count) {
  return offset <= size && count <= size - offset;
}

// The bounds-checked reads: nothing when the field runs past the end of `bytes`.
inline std::optional<std::uint8_t> readU8(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (!fitsIn(bytes.size(), offset, 1)) return std::nullopt;
  return bytes[offset];
}

inline std::optional<std::uint16_t> readU16(std::span<const std::uint8_t> bytes,
                                            std::size_t offset) {
  if (!fitsIn(bytes.size(), offset, 2)) return std::nullopt;
  return loadU16(bytes.data() + offset);
}

inline std::optional<std::uint32_t> readU32(std::span<const std::uint8_t> bytes,
                                            std::size_t offset) {
  if (!fitsIn(bytes.size(), offset, 4)) return std::nullopt;
  return loadU32(bytes.data() + offset);
}

// For readers of files that may be cut short: the bytes of the field that are there, and zero
// for those past the end, as if the file went on with zeros.
template <std::size_t Width>
inline std::array<std::uint8_t, Width> padded(std::span<const std::uint8_t> bytes,
                                              std::size_t offset) {
  std::array<std::uint8_t, Width> field{};
  for (std::size_t i = 0; i < Width && offset < bytes.size() && i < bytes.size() - offset; ++i) {
    field[i] = bytes[offset + i];
  }
  return field;
}

}  // namespace ts
