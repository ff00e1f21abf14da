#include "png_encode.h"

#include <png.h>

namespace ts::preview {

bool encodePng(const Image& image, std::vector<std::uint8_t>& out, std::string& error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width());
  png.height = static_cast<png_uint_32>(image.height());
  png.format = PNG_FORMAT_RGB;
  const auto stride = static_cast<png_int_32>(3 * image.width());

  // The first call only measures; the second writes into a buffer of that size.
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels().data(), stride, nullptr) !=
      0) {
    out.resize(size);
    if (png_image_write_to_memory(&png, out.data(), &size, 0, image.pixels().data(), stride,
                                  nullptr) != 0) {
      out.resize(size);
      return true;
    }
  }
  error = png.message;
  png_image_free(&png);
  out.clear();
  return false;
}

}  // namespace ts::preview
