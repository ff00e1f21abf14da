// The editor's positions in a document: a line from 0 and a character counted in UTF-16 code
// units, converted with the library's index of the document's lines (the map text and the
// checker count bytes).
#pragma once

#include <algorithm>
#include <cstddef>

#include "analysis/line_index.h"

namespace ts::lsp {

using ts::LineIndex;

struct Position {
  std::size_t line = 0;       // from 0
  std::size_t character = 0;  // from 0, in UTF-16 code units
};

// The position of a byte offset; an offset inside a character counts as the character's start.
[[nodiscard]] inline Position positionOf(const LineIndex& lines, std::size_t offset) {
  offset = std::min(offset, lines.text().size());
  return {lines.lineOf(offset), lines.utf16Column(offset)};
}

// The byte offset of a position; a position past its line's end is the line's end, a line past
// the last is the text's end.
[[nodiscard]] inline std::size_t offsetOf(const LineIndex& lines, Position p) {
  return lines.offsetAt(p.line, p.character);
}

}  // namespace ts::lsp
