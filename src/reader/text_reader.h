// The reading primitives of the map text: line, word, integer and character reads sharing one
// position and one fail state, with the semantics of formatted stream extraction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ts {

class TextReader {
 public:
  // Longest line a line read stores; the rest of a longer line comes back as the next line.
  static constexpr std::size_t kMaxLineLength = 999;
  // Most characters an integer read takes, sign and base prefix included.
  static constexpr std::size_t kMaxIntegerLength = 15;

  explicit TextReader(std::string_view text) : text_(text) {}

  // Reads up to the next line end (LF, or CR LF) into `line`; the line end is consumed.
  // After a failure, or at the end of the text, `line` is left empty.
  void readLine(std::string& line);
  // Skips whitespace and reads one word into `word`; finding nothing leaves `word` unchanged.
  void readWord(std::string& word);
  // Skips whitespace and reads an optional sign and digits in the base its prefix gives
  // (0x hexadecimal, 0 octal, else decimal). No digit: stores 0 and fails. A value outside
  // 32 bits: stores the nearest limit and fails.
  void readInteger(std::int32_t& value);
  // Skips whitespace and reads one character.
  void readChar(char& c);
  // At the start of the text, skips a UTF-8 byte-order mark (which some editors put at the start
  // of every file): it is no part of the text. True when there was one.
  bool skipByteOrderMark();

  [[nodiscard]] bool failed() const { return failed_; }
  [[nodiscard]] bool atEnd() const { return eof_; }
  // Offset of the next character to be read.
  [[nodiscard]] std::size_t position() const { return pos_; }
  // Offset where the last read began: the first character of its line or token (after the
  // skipped whitespace), or the end of the text when it found nothing.
  [[nodiscard]] std::size_t tokenStart() const { return tokenStart_; }
  [[nodiscard]] std::string_view text() const { return text_; }

 private:
  // Skips whitespace; false (and the fail state) when the text ends first.
  bool skipWhitespace();

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t tokenStart_ = 0;
  bool failed_ = false;
  bool eof_ = false;
};

[[nodiscard]] constexpr bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace ts
