// Lines of a document and the editor's positions in them. Editors count a position's character in
// UTF-16 code units; the map text and the checker count bytes.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace ts::lsp {

struct Position {
  std::size_t line = 0;       // from 0
  std::size_t character = 0;  // from 0, in UTF-16 code units
};

class LineIndex {
 public:
  explicit LineIndex(std::string_view text);

  [[nodiscard]] std::size_t lineCount() const { return starts_.size(); }
  [[nodiscard]] std::size_t lineStart(std::size_t line) const;
  // The end of the line's content, before its "\n" or "\r\n".
  [[nodiscard]] std::size_t lineEnd(std::size_t line) const;
  [[nodiscard]] std::size_t lineOf(std::size_t offset) const;

  // The position of a byte offset; an offset inside a character counts as the character's start.
  [[nodiscard]] Position position(std::size_t offset) const;
  // The byte offset of a position; a position past its line's end is the line's end, a line past
  // the last is the text's end.
  [[nodiscard]] std::size_t offset(Position p) const;

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
};

}  // namespace ts::lsp
