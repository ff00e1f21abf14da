// PNG encoding of a picture, through libpng's simplified interface: 8-bit RGB, no alpha.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace ts::preview {

// The PNG file's bytes; false with libpng's reason in `error` when encoding fails.
[[nodiscard]] bool encodePng(const Image& image, std::vector<std::uint8_t>& out,
                             std::string& error);

}  // namespace ts::preview
