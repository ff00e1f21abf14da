#include "framing.h"

#include <charconv>

namespace ts::lsp {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

}  // namespace

FrameStatus readFrame(std::istream& in, std::string& body) {
  std::string line;
  bool sawHeader = false;
  bool sawLength = false;
  std::size_t length = 0;
  bool lengthOk = false;
  while (true) {
    if (!std::getline(in, line)) return FrameStatus::kEnd;
    const std::string_view header = trimmed(line);
    if (header.empty()) {
      if (sawHeader) break;
      continue;  // blank lines between messages
    }
    sawHeader = true;
    const std::size_t colon = header.find(':');
    if (colon == std::string_view::npos) continue;
    if (!equalsIgnoringCase(trimmed(header.substr(0, colon)), "Content-Length")) continue;
    const std::string_view value = trimmed(header.substr(colon + 1));
    sawLength = true;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
    lengthOk = error == std::errc() && end == value.data() + value.size() && length <= kMaxBody;
  }
  if (!sawLength || !lengthOk) return FrameStatus::kBadHeader;
  body.resize(length);
  in.read(body.data(), static_cast<std::streamsize>(length));
  if (static_cast<std::size_t>(in.gcount()) != length) return FrameStatus::kEnd;
  return FrameStatus::kMessage;
}

void writeFrame(std::ostream& out, std::string_view body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
  out.flush();
}

}  // namespace ts::lsp
