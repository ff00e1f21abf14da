// An RGB picture in memory and the few drawing operations the map preview needs: filled and
// framed rectangles, discs, rings and triangles, all clipped to a rectangle of the picture so
// that marks near the map's edge never spill into the legend.
#pragma once

#include <cstdint>
#include <vector>

namespace ts::preview {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;

  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// `t` of the way from `a` to `b`, t in [0, 1].
[[nodiscard]] Rgb mix(Rgb a, Rgb b, double t);

// A rectangle of pixels: x from `x` to `x + w - 1`, y from `y` to `y + h - 1`.
struct PixelRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

class Image {
 public:
  // REQUIRES: width and height positive. Every pixel starts as `background`.
  Image(int width, int height, Rgb background);

  [[nodiscard]] int width() const { return width_; }
  [[nodiscard]] int height() const { return height_; }
  [[nodiscard]] Rgb at(int x, int y) const;
  // Rows top to bottom, three bytes a pixel (red, green, blue).
  [[nodiscard]] const std::vector<std::uint8_t>& pixels() const { return pixels_; }

  // Drawing outside the clip rectangle (the whole picture at first) is ignored.
  void setClip(PixelRect clip);
  void clearClip();

  void set(int x, int y, Rgb c);
  void fill(PixelRect r, Rgb c);
  // The inner `thickness` pixels of `r`, all four sides.
  void frame(PixelRect r, int thickness, Rgb c);
  // Pixels whose centre lies within `radius` of (cx, cy), in pixel units (centres at +0.5).
  void disc(double cx, double cy, double radius, Rgb c);
  // Pixels whose centre lies between `inner` and `outer` from (cx, cy).
  void ring(double cx, double cy, double inner, double outer, Rgb c);
  // An upward triangle with its apex at the top middle of `r`.
  void triangle(PixelRect r, Rgb c);

 private:
  [[nodiscard]] bool visible(int x, int y) const;

  int width_;
  int height_;
  PixelRect clip_;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace ts::preview
