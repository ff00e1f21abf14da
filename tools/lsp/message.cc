#include "message.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

namespace ts::lsp {

using nlohmann::json;

namespace {

// Stands for a lifted string in the rest of the message: a string value "\u0001<n>". A JSON text
// can only write U+0001 as that escape, so where the rest holds none of its own, no other
// string can look like one.
constexpr std::string_view kMarkEscape = "\\u0001";
constexpr char kMark = '\x01';

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The four hex digits of a \u escape at `at` (after the "\u"), or -1.
std::int32_t codeUnit(std::string_view s, std::size_t at) {
  if (at + 4 > s.size()) return -1;
  std::int32_t unit = 0;
  for (std::size_t i = at; i < at + 4; ++i) {
    const int digit = hexValue(s[i]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

// Writes the UTF-8 bytes of code point `cp` at `out`; the end of what it wrote.
char* writeUtf8(char* out, std::uint32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// The bytes of the well-formed UTF-8 sequence at `at`, or 0.
std::size_t utf8Length(std::string_view s, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return at + i < s.size() ? static_cast<unsigned char>(s[at + i]) : 0;
  };
  const auto in = [](unsigned char b, unsigned char lo, unsigned char hi) {
    return b >= lo && b <= hi;
  };
  const unsigned char lead = byte(0);
  if (in(lead, 0xC2, 0xDF)) return in(byte(1), 0x80, 0xBF) ? 2 : 0;
  if (in(lead, 0xE0, 0xEF)) {
    const unsigned char lo = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned char hi = lead == 0xED ? 0x9F : 0xBF;
    return in(byte(1), lo, hi) && in(byte(2), 0x80, 0xBF) ? 3 : 0;
  }
  if (in(lead, 0xF0, 0xF4)) {
    const unsigned char lo = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = lead == 0xF4 ? 0x8F : 0xBF;
    return in(byte(1), lo, hi) && in(byte(2), 0x80, 0xBF) && in(byte(3), 0x80, 0xBF) ? 4 : 0;
  }
  return 0;
}

// The bytes that stand for themselves in a string: not the control characters, the backslash
// or the quote, nor the bytes of multi-byte UTF-8 sequences, which are checked.
constexpr std::array<bool, 256> kPlain = [] {
  std::array<bool, 256> plain{};
  for (int c = 0x20; c < 0x80; ++c) plain[static_cast<std::size_t>(c)] = c != '\\' && c != '"';
  return plain;
}();

// Decodes the escape at s[i] (a backslash) to `out`; false when it is none.
bool decodeEscape(std::string_view s, std::size_t& i, char*& out) {
  if (i + 1 == s.size()) return false;
  const char escaped = s[i + 1];
  i += 2;
  switch (escaped) {
    case '"':
    case '\\':
    case '/':
      *out++ = escaped;
      return true;
    case 'b':
      *out++ = '\b';
      return true;
    case 'f':
      *out++ = '\f';
      return true;
    case 'n':
      *out++ = '\n';
      return true;
    case 'r':
      *out++ = '\r';
      return true;
    case 't':
      *out++ = '\t';
      return true;
    case 'u':
      break;
    default:
      return false;
  }
  const std::int32_t unit = codeUnit(s, i);
  if (unit < 0) return false;
  i += 4;
  if (unit >= 0xDC00 && unit <= 0xDFFF) return false;  // a low surrogate alone
  if (unit < 0xD800 || unit > 0xDBFF) {
    out = writeUtf8(out, static_cast<std::uint32_t>(unit));
    return true;
  }
  if (s.substr(i, 2) != "\\u") return false;
  const std::int32_t low = codeUnit(s, i + 2);
  if (low < 0xDC00 || low > 0xDFFF) return false;
  i += 6;
  out = writeUtf8(out, 0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) +
                           (static_cast<std::uint32_t>(low) - 0xDC00));
  return true;
}

// The value of the JSON string whose content (between the quotes) is `s`; false where the
// content is no valid string. No escape is shorter than what it stands for, so the value fits
// in the content's bytes.
bool decodeString(std::string_view s, std::string& value) {
  value.resize(s.size());
  char* const begin = value.data();
  char* out = begin;
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (kPlain[c]) {
      *out++ = static_cast<char>(c);
      ++i;
    } else if (c == '\\') {
      if (!decodeEscape(s, i, out)) return false;
    } else {
      const std::size_t n = c >= 0x80 ? utf8Length(s, i) : 0;  // a control character: no
      if (n == 0) return false;
      for (std::size_t k = 0; k < n; ++k) *out++ = s[i + k];
      i += n;
    }
  }
  value.resize(static_cast<std::size_t>(out - begin));
  return true;
}

// The closing quote of the string whose opening quote is at `open`, or npos: the first quote
// after it that an odd run of backslashes does not escape.
std::size_t closingQuote(std::string_view body, std::size_t open) {
  for (std::size_t i = body.find('"', open + 1); i != std::string_view::npos;
       i = body.find('"', i + 1)) {
    std::size_t backslashes = 0;
    while (i - backslashes > open + 1 && body[i - backslashes - 1] == '\\') ++backslashes;
    if (backslashes % 2 == 0) return i;
  }
  return std::string_view::npos;
}

// Whether the string ending at `close` is an object's key.
bool isKey(std::string_view body, std::size_t close) {
  const std::size_t next = body.find_first_not_of(" \t\r\n", close + 1);
  return next != std::string_view::npos && body[next] == ':';
}

// Puts the lifted strings back where their marks are.
void restore(json& j, std::vector<std::string>& lifted) {
  if (j.is_structured()) {
    for (json& element : j) restore(element, lifted);
    return;
  }
  if (!j.is_string()) return;
  std::string& s = j.get_ref<std::string&>();
  if (s.size() < 2 || s[0] != kMark) return;
  std::size_t n = 0;
  const auto [end, error] = std::from_chars(s.data() + 1, s.data() + s.size(), n);
  if (error == std::errc() && end == s.data() + s.size() && n < lifted.size()) {
    s = std::move(lifted[n]);
  }
}

}  // namespace

json parseMessage(std::string_view body) {
  std::string rest;
  std::vector<std::string> lifted;
  // Keeps a part of the body between long strings in the rest; false when it writes the mark.
  const auto keep = [&](std::string_view part) {
    rest += part;
    return part.find(kMarkEscape) == std::string_view::npos;
  };
  // The tokens of a JSON text hold no quote outside their strings: from the first quote on, the
  // strings are found from quote to closing quote.
  std::size_t copied = 0;
  for (std::size_t open = body.find('"'); open != std::string_view::npos;) {
    const std::size_t close = closingQuote(body, open);
    if (close == std::string_view::npos) break;
    if (close - open - 1 >= kLongString && !isKey(body, close)) {
      std::string value;
      // A string this does not decode, or a rest that writes the mark itself, is the general
      // parser's to judge.
      if (!keep(body.substr(copied, open - copied)) ||
          !decodeString(body.substr(open + 1, close - open - 1), value)) {
        return json::parse(body, nullptr, false);
      }
      rest += '"';
      rest += kMarkEscape;
      rest += std::to_string(lifted.size());
      rest += '"';
      lifted.push_back(std::move(value));
      copied = close + 1;
    }
    open = body.find('"', close + 1);
  }
  if (lifted.empty() || !keep(body.substr(copied))) return json::parse(body, nullptr, false);
  // Only strings were exchanged for strings, so the rest is JSON exactly when the body is.
  json message = json::parse(rest, nullptr, false);
  restore(message, lifted);
  return message;
}

}  // namespace ts::lsp
