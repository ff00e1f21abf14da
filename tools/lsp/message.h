// Parsing a message body of the protocol. A change or an open of a map carries the whole map
// text, megabytes of it for the largest maps, as one JSON string: the general parser takes a
// while over each of its bytes, so such long strings are decoded here and the rest of the
// message, now small, goes through the general parser.
#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

namespace ts::lsp {

// String values at least this long are decoded on their own.
inline constexpr std::size_t kLongString = 4096;

// The message of `body`, equal to what nlohmann::json::parse(body, nullptr, false) gives: a
// discarded value when the body is not JSON.
[[nodiscard]] nlohmann::json parseMessage(std::string_view body);

}  // namespace ts::lsp
