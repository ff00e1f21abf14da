// The lines of a text: where each starts and ends, and the line and column of a byte offset, in
// bytes or in the UTF-16 code units editors count in. Renderers turn the checker's byte spans
// into lines and columns with it; nothing else in the analysis counts lines.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace ts {

class LineIndex {
 public:
  explicit LineIndex(std::string_view text);

  [[nodiscard]] std::string_view text() const { return text_; }
  [[nodiscard]] std::size_t lineCount() const { return starts_.size(); }
  // The first byte of line `line` (from 0); the text's end for a line past the last.
  [[nodiscard]] std::size_t lineStart(std::size_t line) const;
  // The end of the line's content, before its "\n" or "\r\n".
  [[nodiscard]] std::size_t lineEnd(std::size_t line) const;
  // The line (from 0) holding `offset`; the last line for an offset at or past the end.
  [[nodiscard]] std::size_t lineOf(std::size_t offset) const;
  // The line's content, without its line end.
  [[nodiscard]] std::string_view lineText(std::size_t line) const {
    return text_.substr(lineStart(line), lineEnd(line) - lineStart(line));
  }

  // UTF-16 code units from the start of its line to `offset`; an offset inside a character
  // counts as the character's start.
  [[nodiscard]] std::size_t utf16Column(std::size_t offset) const;
  // The byte offset `units` UTF-16 code units into line `line`; past the line's end is its end,
  // a line past the last is the text's end.
  [[nodiscard]] std::size_t offsetAt(std::size_t line, std::size_t units) const;

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
};

// Where a span stands as editors and compilers show it: line and column from 1, columns in bytes,
// and one past the last byte of the range on that line (0 for a place without a range). A range
// that runs on to other lines is cut at the end of its first line.
struct TextPlace {
  std::size_t line = 1;
  std::size_t column = 1;
  std::size_t endColumn = 0;
};
[[nodiscard]] TextPlace placeOf(const LineIndex& lines, std::size_t start, std::size_t end);

}  // namespace ts
