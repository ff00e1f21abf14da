#include "image.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>

namespace ts::preview {

Rgb mix(Rgb a, Rgb b, double t) {
  auto channel = [t](std::uint8_t from, std::uint8_t to) {
    const double v = from + (to - from) * t;
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
  };
  return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

Image::Image(int width, int height, Rgb background)
    : width_(width), height_(height), clip_{0, 0, width, height} {
  assert(width > 0 && height > 0);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  pixels_.reserve(3 * count);
  for (std::size_t i = 0; i < count; ++i) {
    pixels_.push_back(background.r);
    pixels_.push_back(background.g);
    pixels_.push_back(background.b);
  }
}

Rgb Image::at(int x, int y) const {
  assert(x >= 0 && x < width_ && y >= 0 && y < height_);
  const std::size_t i = 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                             static_cast<std::size_t>(x));
  return {pixels_[i], pixels_[i + 1], pixels_[i + 2]};
}

void Image::setClip(PixelRect clip) {
  const int left = std::max(clip.x, 0);
  const int top = std::max(clip.y, 0);
  const int right = std::min(clip.x + clip.w, width_);
  const int bottom = std::min(clip.y + clip.h, height_);
  clip_ = {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

void Image::clearClip() { clip_ = {0, 0, width_, height_}; }

bool Image::visible(int x, int y) const {
  return x >= clip_.x && x < clip_.x + clip_.w && y >= clip_.y && y < clip_.y + clip_.h;
}

void Image::set(int x, int y, Rgb c) {
  if (!visible(x, y)) return;
  const std::size_t i = 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                             static_cast<std::size_t>(x));
  pixels_[i] = c.r;
  pixels_[i + 1] = c.g;
  pixels_[i + 2] = c.b;
}

void Image::fill(PixelRect r, Rgb c) {
  // Clip first, so that a rectangle far outside the picture costs nothing.
  const int left = std::max(r.x, clip_.x);
  const int top = std::max(r.y, clip_.y);
  const int right = std::min(r.x + r.w, clip_.x + clip_.w);
  const int bottom = std::min(r.y + r.h, clip_.y + clip_.h);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) set(x, y, c);
  }
}

void Image::frame(PixelRect r, int thickness, Rgb c) {
  const int t = std::min({thickness, r.w, r.h});
  if (t <= 0) return;
  fill({r.x, r.y, r.w, t}, c);
  fill({r.x, r.y + r.h - t, r.w, t}, c);
  fill({r.x, r.y, t, r.h}, c);
  fill({r.x + r.w - t, r.y, t, r.h}, c);
}

void Image::ring(double cx, double cy, double inner, double outer, Rgb c) {
  const int left = static_cast<int>(std::floor(cx - outer));
  const int right = static_cast<int>(std::ceil(cx + outer));
  const int top = static_cast<int>(std::floor(cy - outer));
  const int bottom = static_cast<int>(std::ceil(cy + outer));
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const double dx = x + 0.5 - cx;
      const double dy = y + 0.5 - cy;
      const double d2 = dx * dx + dy * dy;
      if (d2 <= outer * outer && d2 >= inner * inner) set(x, y, c);
    }
  }
}

void Image::disc(double cx, double cy, double radius, Rgb c) { ring(cx, cy, 0.0, radius, c); }

void Image::triangle(PixelRect r, Rgb c) {
  for (int row = 0; row < r.h; ++row) {
    // The width grows linearly from the apex row to the full base.
    const double half = r.w * (row + 1) / (2.0 * r.h);
    const double mid = r.x + r.w / 2.0;
    for (int x = r.x; x < r.x + r.w; ++x) {
      if (std::abs(x + 0.5 - mid) <= half) set(x, r.y + row, c);
    }
  }
}

}  // namespace ts::preview
