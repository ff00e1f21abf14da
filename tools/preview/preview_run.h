// The preview's command line: tunnelsmith-preview MAPFILE [-o OUT.png] [--scale N]. Reads the
// map with the compiler's reader, prints the reader's messages, and writes the picture.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace ts::preview {

// Pictures above this many pixels are refused rather than drawn (three bytes a pixel).
inline constexpr std::int64_t kMaxPixels = 64LL * 1000 * 1000;

// Exit status as the compiler's: 1 when the picture was written, 0 on every other path
// (help, usage error, unreadable or rejected map, oversized picture, write failure).
int runPreview(const std::vector<std::string>& args, std::ostream& console);

}  // namespace ts::preview
