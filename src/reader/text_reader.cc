#include "reader/text_reader.h"

#include <limits>

namespace ts {

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
  std::size_t end = start;  // one past the last stored character
  // A line end is LF or CR LF; CR LF counts as one line end so that a 999-character line
  // written with CR LF is not cut before its line end.
  auto lineEndAt = [&](std::size_t i) -> std::size_t {
    if (text_[i] == '\n') return 1;
    if (text_[i] == '\r' && i + 1 < size && text_[i + 1] == '\n') return 2;
    return 0;
  };
  while (end < size && end - start < kMaxLineLength && lineEndAt(end) == 0) ++end;
  line.assign(text_.data() + start, end - start);
  pos_ = end;
  if (pos_ >= size) {
    eof_ = true;
    return;
  }
  pos_ += lineEndAt(pos_);  // a cut line keeps its remainder for the next read
}

bool TextReader::skipWhitespace() {
  while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
  tokenStart_ = pos_;
  if (pos_ >= text_.size()) {
    eof_ = true;
    failed_ = true;
    return false;
  }
  return true;
}

void TextReader::readWord(std::string& word) {
  if (failed_ || !skipWhitespace()) return;
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !isBlank(text_[pos_])) ++pos_;
  if (pos_ >= text_.size()) eof_ = true;
  word.assign(text_.data() + start, pos_ - start);
}

void TextReader::readChar(char& c) {
  if (failed_ || !skipWhitespace()) return;
  c = text_[pos_++];
}

namespace {

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

void TextReader::readInteger(std::int32_t& value) {
  if (failed_ || !skipWhitespace()) return;
  const std::size_t size = text_.size();
  const std::size_t limit = pos_ + kMaxIntegerLength;
  auto more = [&] { return pos_ < size && pos_ < limit; };

  bool negative = false;
  if (text_[pos_] == '+' || text_[pos_] == '-') {
    negative = text_[pos_] == '-';
    ++pos_;
  }
  int base = 10;
  bool anyDigit = false;
  std::uint64_t magnitude = 0;
  if (more() && text_[pos_] == '0') {
    anyDigit = true;
    ++pos_;
    base = 8;
    if (more() && (text_[pos_] == 'x' || text_[pos_] == 'X')) {
      base = 16;
      ++pos_;
    }
  }
  // At most 15 characters, so the magnitude stays far below 2^64.
  while (more() && digitValue(text_[pos_]) < base) {
    magnitude = magnitude * static_cast<std::uint64_t>(base) +
                static_cast<std::uint64_t>(digitValue(text_[pos_]));
    anyDigit = true;
    ++pos_;
  }
  if (pos_ >= size) eof_ = true;
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
