// A tiny built-in bitmap font, five by seven dots a glyph, for the release-location numbers on
// the map and the legend's labels. It knows digits, upper-case letters and a little punctuation;
// lower-case letters are drawn as upper case and anything else as '?'.
#pragma once

#include <string_view>

#include "image.h"

namespace ts::preview {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;  // one dot between glyphs

// True when `c` has a glyph of its own (lower-case letters count, through their capitals).
[[nodiscard]] bool hasGlyph(char c);

// Width in pixels of `text` drawn with dots of `dot` by `dot` pixels (no trailing gap).
[[nodiscard]] int textWidth(std::string_view text, int dot);

// Draws `text` with its top-left corner at (x, y); only the glyphs' dots are painted.
void drawText(Image& image, int x, int y, std::string_view text, int dot, Rgb colour);

}  // namespace ts::preview
