#include "testing/chunk_walker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace ts::testing {

namespace {

// A read past the end is a fault of the file under test: it fails the test that made it.
template <typename Value>
Value present(std::optional<Value> value, const Bytes& bytes, std::size_t offset) {
  if (!value) {
    throw std::out_of_range("a field at offset " + std::to_string(offset) + " of " +
                            std::to_string(bytes.size()) + " bytes");
  }
  return *value;
}

}  // namespace

std::uint32_t u32At(const Bytes& bytes, std::size_t offset) {
  return present(readU32(bytes, offset), bytes, offset);
}

std::uint16_t u16At(const Bytes& bytes, std::size_t offset) {
  return present(readU16(bytes, offset), bytes, offset);
}

Bytes slice(const Bytes& bytes, std::size_t offset, std::size_t count) {
  if (offset > bytes.size()) return {};
  const std::size_t end = offset + count < bytes.size() ? offset + count : bytes.size();
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
               bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

std::string hex(const Bytes& bytes) {
  std::string text;
  char buffer[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X", b);
    if (!text.empty()) text += ' ';
    text += buffer;
  }
  return text;
}

namespace {

std::string walk(const Bytes& file, std::size_t begin, std::size_t end, std::vector<Chunk>& out) {
  std::size_t at = begin;
  while (at < end) {
    if (end - at < 8) return "chunk header cut short at offset " + std::to_string(at);
    Chunk c{u32At(file, at), at, u32At(file, at + 4)};
    if (c.size > end - at - 8) {
      return "chunk " + std::to_string(c.id) + " at offset " + std::to_string(at) +
             " runs past its parent";
    }
    out.push_back(c);
    at += 8 + c.size;
  }
  return {};
}

}  // namespace

std::string checkFraming(const Bytes& file, std::vector<Chunk>* topLevel,
                         std::vector<Chunk>* elements) {
  if (file.size() < 12) return "file shorter than its file-size chunk";
  if (u32At(file, 4) != 4) return "file-size chunk size is not 4";
  if (u32At(file, 8) != file.size()) {
    return "announced length " + std::to_string(u32At(file, 8)) + " but the file has " +
           std::to_string(file.size()) + " bytes";
  }
  std::vector<Chunk> top;
  if (std::string fault = walk(file, 0, file.size(), top); !fault.empty()) return fault;
  std::vector<Chunk> inner;
  const std::uint32_t base = top.front().id;
  const bool bodyHasElements = base == 190 || base == 210;
  for (const Chunk& c : top) {
    if (bodyHasElements && c.id == base + 2) {
      if (std::string fault = walk(file, c.offset + 8, c.offset + 8 + c.size, inner);
          !fault.empty()) {
        return fault;
      }
    }
  }
  if (topLevel != nullptr) *topLevel = top;
  if (elements != nullptr) *elements = inner;
  return {};
}

Bytes framed(Bytes file) {
  EXPECT_EQ(checkFraming(file), "");
  return file;
}

}  // namespace ts::testing
