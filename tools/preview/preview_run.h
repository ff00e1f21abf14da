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

// Exit status 0 when the map was accepted and its picture written (or help or the version was
// asked for), 1 when the map was rejected (its picture of what was read is written all the same)
// or there is no picture (too large, not written), 2 for a usage error or a map file that cannot
// be read.
int runPreview(const std::vector<std::string>& args, std::ostream& console);

}  // namespace ts::preview
