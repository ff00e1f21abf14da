#include "analysis/line_index.h"

#include <algorithm>
#include <cstring>

namespace ts {

namespace {

bool continuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// UTF-16 code units of the character that starts with byte `lead`: two for the four-byte
// sequences, which lie beyond the basic plane.
std::size_t unitsOf(char lead) { return static_cast<unsigned char>(lead) >= 0xF0 ? 2 : 1; }

}  // namespace

LineIndex::LineIndex(std::string_view text) : text_(text) {
  starts_.push_back(0);
  const char* const begin = text.data();
  const char* p = begin;
  const char* const end = begin + text.size();
  while (p != end) {
    const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    if (found == nullptr) break;
    p = static_cast<const char*>(found) + 1;
    starts_.push_back(static_cast<std::size_t>(p - begin));
  }
}

std::size_t LineIndex::lineStart(std::size_t line) const {
  return line < starts_.size() ? starts_[line] : text_.size();
}

std::size_t LineIndex::lineEnd(std::size_t line) const {
  if (line >= starts_.size()) return text_.size();
  std::size_t end = line + 1 < starts_.size() ? starts_[line + 1] - 1 : text_.size();
  if (end > starts_[line] && text_[end - 1] == '\r') --end;
  return end;
}

std::size_t LineIndex::lineOf(std::size_t offset) const {
  const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
  return static_cast<std::size_t>(it - starts_.begin()) - 1;
}

std::size_t LineIndex::utf16Column(std::size_t offset) const {
  offset = std::min(offset, text_.size());
  std::size_t units = 0;
  for (std::size_t i = starts_[lineOf(offset)]; i < offset; ++i) {
    if (!continuationByte(text_[i])) units += unitsOf(text_[i]);
  }
  return units;
}

std::size_t LineIndex::offsetAt(std::size_t line, std::size_t units) const {
  if (line >= starts_.size()) return text_.size();
  const std::size_t end = lineEnd(line);
  std::size_t i = starts_[line];
  std::size_t counted = 0;
  while (i < end && counted < units) {
    counted += unitsOf(text_[i]);
    ++i;
    while (i < end && continuationByte(text_[i])) ++i;
  }
  return i;
}

TextPlace placeOf(const LineIndex& lines, std::size_t start, std::size_t end) {
  const std::size_t size = lines.text().size();
  start = std::min(start, size);
  const std::size_t line = lines.lineOf(start);
  TextPlace place{line + 1, start - lines.lineStart(line) + 1, 0};
  if (end <= start) return place;
  end = std::min(end, size);
  if (lines.lineOf(end) == line) {
    place.endColumn = end - lines.lineStart(line) + 1;
  } else {
    // Cut at the line's end, a "\r" before its "\n" included.
    place.endColumn = lines.lineStart(line + 1) - 1 - start + place.column;
  }
  return place;
}

}  // namespace ts
