// JSON-RPC messages over a byte stream as the language server protocol frames them: a header of
// "Name: value" lines ended by an empty line, with Content-Length giving the body's bytes.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace ts::lsp {

// No message body is larger than a map text may be.
inline constexpr std::size_t kMaxBody = std::size_t{256} << 20;

enum class FrameStatus {
  kMessage,    // `body` holds the next message
  kBadHeader,  // a header without a usable Content-Length; its body, if any, is lost
  kEnd         // the stream ended (the client is gone), perhaps part way through a message
};

FrameStatus readFrame(std::istream& in, std::string& body);

void writeFrame(std::ostream& out, std::string_view body);

}  // namespace ts::lsp
