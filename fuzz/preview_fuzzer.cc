// Fuzz target: any bytes as a map text; when the reader accepts it, the preview lays out and
// draws the level's picture in memory, never writing a file. The picture is drawn exactly when
// its size is within the bound, and then has that size. Crashes, hangs, leaks, sanitizer
// reports and disagreements are findings.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string_view>

#include "draw.h"
#include "image.h"
#include "model/level_description.h"
#include "reader/map_reader.h"

namespace {

// Small enough to keep every run fast, large enough for any map of a few hundred squares a side.
constexpr std::int64_t kMaxPixels = 4LL * 1000 * 1000;

// Scales below and above the points where outlines, edges and labels thicken; the input's
// length picks one, so that the same input always draws the same picture.
constexpr std::array<int, 4> kScales = {1, 3, 8, 13};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "preview_fuzzer: %s\n", what);
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ts::NameMaps names;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::ostringstream console;
  const ts::LevelDescription level = ts::readLevel(text, names, console);
  if (!level.isValid) return 0;

  const int scale = kScales[size % kScales.size()];
  ts::preview::PictureSize pictureSize;
  const std::optional<ts::preview::Image> picture =
      ts::preview::renderLevel(level, scale, kMaxPixels, pictureSize);
  if (pictureSize.width < 1 || pictureSize.height < 1) fail("a picture size below one pixel");
  const bool fits = pictureSize.width * pictureSize.height <= kMaxPixels;
  if (picture.has_value() != fits) fail("a picture drawn though too large, or refused though not");
  if (!picture) return 0;
  if (picture->width() != pictureSize.width || picture->height() != pictureSize.height) {
    fail("the picture's dimensions differ from its reported size");
  }
  const auto bytes = static_cast<std::size_t>(pictureSize.width * pictureSize.height * 3);
  if (picture->pixels().size() != bytes) fail("the picture's pixels differ from its dimensions");
  return 0;
}
