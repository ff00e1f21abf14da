#include "reader/text_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace ts {

namespace {

// The whitespace that separates words: what isBlank() accepts, as a table.
constexpr std::array<bool, 256> kBlank = [] {
  std::array<bool, 256> blank{};
  for (std::size_t c = 0; c < blank.size(); ++c) blank[c] = isBlank(static_cast<char>(c));
  return blank;
}();

}  // namespace

void TextReader::readLine(std::string& line) {
  line.clear();
  tokenStart_ = pos_;
  if (failed_) return;
  if (pos_ >= text_.size()) {
    eof_ = true;
    failed_ = true;
    return;
  }
  const std::size_t start = pos_;
  const std::size_t size = text_.size();
  const char* data = text_.data();
  // A line end is LF or CR LF; CR LF counts as one line end so that a 999-character line
  // written with CR LF is not cut before its line end. The LF is looked for among the
  // characters a line holds and the one after them.
  const std::size_t reach = std::min(size - start, kMaxLineLength + 1);
  if (const void* found = std::memchr(data + start, '\n', reach); found != nullptr) {
    const auto lf = static_cast<std::size_t>(static_cast<const char*>(found) - data);
    const std::size_t end = lf > start && data[lf - 1] == '\r' ? lf - 1 : lf;
    line.assign(data + start, end - start);
    pos_ = lf + 1;
    return;
  }
  const std::size_t end = std::min(size, start + kMaxLineLength);
  line.assign(data + start, end - start);
  pos_ = end;
  if (pos_ >= size) {
    eof_ = true;
    return;
  }
  // A cut line keeps its remainder for the next read, unless only its line end is left.
  if (data[pos_] == '\r' && pos_ + 1 < size && data[pos_ + 1] == '\n') pos_ += 2;
}

bool TextReader::skipWhitespace() {
  const char* data = text_.data();
  const std::size_t size = text_.size();
  std::size_t pos = pos_;
  while (pos < size && kBlank[static_cast<unsigned char>(data[pos])]) ++pos;
  pos_ = pos;
  tokenStart_ = pos;
  if (pos >= size) {
    eof_ = true;
    failed_ = true;
    return false;
  }
  return true;
}

void TextReader::readWord(std::string& word) {
  if (failed_ || !skipWhitespace()) return;
  const char* data = text_.data();
  const std::size_t size = text_.size();
  const std::size_t start = pos_;
  std::size_t pos = start;
  while (pos < size && !kBlank[static_cast<unsigned char>(data[pos])]) ++pos;
  pos_ = pos;
  if (pos >= size) eof_ = true;
  // Appending to the emptied buffer copies without the checks an assignment makes for a source
  // inside the buffer itself.
  word.clear();
  word.append(data + start, pos - start);
}

void TextReader::readChar(char& c) {
  if (failed_ || !skipWhitespace()) return;
  c = text_[pos_++];
}

bool TextReader::skipByteOrderMark() {
  if (pos_ != 0 || text_.substr(0, 3) != "\xEF\xBB\xBF") return false;
  pos_ = 3;
  tokenStart_ = 3;
  return true;
}

namespace {

// Digit values in every base up to 16; 99 for a character that is no digit.
constexpr std::array<std::uint8_t, 256> kDigitValues = [] {
  std::array<std::uint8_t, 256> values{};
  for (std::size_t c = 0; c < values.size(); ++c) values[c] = 99;
  for (std::uint8_t d = 0; d < 10; ++d) values['0' + d] = d;
  for (std::uint8_t d = 0; d < 6; ++d) {
    values['a' + d] = static_cast<std::uint8_t>(10 + d);
    values['A' + d] = static_cast<std::uint8_t>(10 + d);
  }
  return values;
}();

}  // namespace

void TextReader::readInteger(std::int32_t& value) {
  if (failed_ || !skipWhitespace()) return;
  const char* data = text_.data();
  const std::size_t size = text_.size();
  std::size_t pos = pos_;
  // The characters an integer read may take, sign and prefix included.
  const std::size_t limit = std::min(size, pos + kMaxIntegerLength);

  bool negative = false;
  if (data[pos] == '+' || data[pos] == '-') {
    negative = data[pos] == '-';
    ++pos;
  }
  unsigned base = 10;
  bool anyDigit = false;
  std::uint64_t magnitude = 0;
  if (pos < limit && data[pos] == '0') {
    anyDigit = true;
    ++pos;
    base = 8;
    if (pos < limit && (data[pos] == 'x' || data[pos] == 'X')) {
      base = 16;
      ++pos;
    }
  }
  // At most 15 characters, so the magnitude stays far below 2^64.
  while (pos < limit) {
    const unsigned digit = kDigitValues[static_cast<unsigned char>(data[pos])];
    if (digit >= base) break;
    magnitude = magnitude * base + digit;
    anyDigit = true;
    ++pos;
  }
  pos_ = pos;
  if (pos >= size) eof_ = true;
  if (!anyDigit) {
    value = 0;
    failed_ = true;
    return;
  }
  constexpr std::uint64_t kMax = std::numeric_limits<std::int32_t>::max();
  if (negative) {
    if (magnitude > kMax + 1) {
      value = std::numeric_limits<std::int32_t>::min();
      failed_ = true;
    } else {
      value = static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    }
  } else if (magnitude > kMax) {
    value = std::numeric_limits<std::int32_t>::max();
    failed_ = true;
  } else {
    value = static_cast<std::int32_t>(magnitude);
  }
}

}  // namespace ts
