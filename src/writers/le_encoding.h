// Little-endian encoders shared by every level file writer. Values are split into bytes by
// shifts, so the files never depend on the host's byte order.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ts {

using Bytes = std::vector<std::uint8_t>;

inline void putU8(Bytes& out, std::uint8_t v) { out.push_back(v); }

inline void putU16(Bytes& out, std::uint16_t v) {
  putU8(out, static_cast<std::uint8_t>(v));
  putU8(out, static_cast<std::uint8_t>(v >> 8));
}

inline void putU32(Bytes& out, std::uint32_t v) {
  putU16(out, static_cast<std::uint16_t>(v));
  putU16(out, static_cast<std::uint16_t>(v >> 16));
}

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

}  // namespace ts
