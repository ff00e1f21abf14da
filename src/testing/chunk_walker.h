// Test helpers for level files: little-endian reads at an offset, and a walker that checks the
// chunk framing of a whole file (the file-size chunk's length and every chunk's size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/le_encoding.h"

namespace ts::testing {

std::uint32_t u32At(const Bytes& bytes, std::size_t offset);
std::uint16_t u16At(const Bytes& bytes, std::size_t offset);
Bytes slice(const Bytes& bytes, std::size_t offset, std::size_t count);
// "2C 01 00 00" style text of some bytes, for readable failure messages.
std::string hex(const Bytes& bytes);

struct Chunk {
  std::uint32_t id = 0;
  std::size_t offset = 0;  // of the chunk header
  std::size_t size = 0;    // data bytes after the header
};

// The top-level chunks of a level file and the element chunks inside its body. Returns an
// empty string when the framing holds, or a description of the first fault: the announced
// length differs from the real one, a chunk runs past its parent, or chunks leave a gap.
// Bodies whose records have no headers of their own (players, variables) are not split.
std::string checkFraming(const Bytes& file, std::vector<Chunk>* topLevel = nullptr,
                         std::vector<Chunk>* elements = nullptr);

// A file just written, after failing the test that wrote it when its framing does not hold.
Bytes framed(Bytes file);

}  // namespace ts::testing
