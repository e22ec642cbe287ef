#pragma once
// A block of pixels with a DC drawing into it, and ways to look at the result.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <vector>

#include "platform/display/backend.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pixels.h"

namespace gditest {

using namespace plat;

// A rectangle's edges in one value, so a comparison names all four.
using Edges = std::array<LONG, 4>;
inline Edges EdgesOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

inline bool Within(const RECT& in, const RECT& outer) {
  return in.left >= outer.left && in.top >= outer.top && in.right <= outer.right && in.bottom <= outer.bottom;
}

// The smallest rectangle holding every point of a w x h area where `hit`
// holds (empty when none).
template <typename Hit>
RECT BoundsWhere(int w, int h, Hit hit) {
  RECT r{w, h, 0, 0};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (hit(x, y))
        r = RECT{std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
                 std::max<LONG>(r.bottom, y + 1)};
  return r.right ? r : RECT{};
}

class Target {
 public:
  Target(int width, int height, PixelFormat format, std::vector<PALETTEENTRY> palette = {})
      : palette_(std::move(palette)) {
    t_.width = width;
    t_.height = height;
    t_.format = format;
    t_.pitch = ((width * BytesPerPixel(format)) + 3) & ~3;
    pixels_.assign(static_cast<std::size_t>(t_.pitch) * height, 0);
    t_.bits = pixels_.data();
    t_.palette = palette_;
    dc_ = CreateTargetDC(t_);
  }
  ~Target() { DeleteDC(dc_); }
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  HDC dc() const { return dc_; }
  const PixelTarget& pixels() const { return t_; }
  DWORD At(int x, int y) const { return ReadPixel(t_, x, y); }
  void Fill(DWORD v) {
    for (int y = 0; y < t_.height; ++y) FillSpan(t_, 0, y, t_.width, v);
  }
  DWORD Colour(COLORREF c) const { return EncodeColour(t_, c); }

  // The smallest rectangle holding every pixel of value v (empty when none).
  RECT BoundsOf(DWORD v) const {
    return BoundsWhere(t_.width, t_.height, [&](int x, int y) { return At(x, y) == v; });
  }
  int Count(DWORD v) const {
    int n = 0;
    for (int y = 0; y < t_.height; ++y)
      for (int x = 0; x < t_.width; ++x) n += At(x, y) == v;
    return n;
  }
  std::set<DWORD> Values() const {
    std::set<DWORD> s;
    for (int y = 0; y < t_.height; ++y)
      for (int x = 0; x < t_.width; ++x) s.insert(At(x, y));
    return s;
  }

 private:
  std::vector<BYTE> pixels_;
  std::vector<PALETTEENTRY> palette_;
  PixelTarget t_;
  HDC dc_ = nullptr;
};

// What a target shows, as a picture to compare with a golden one.
inline Image ImageOf(const Target& t) {
  const PixelTarget& p = t.pixels();
  Image out;
  out.width = p.width;
  out.height = p.height;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const COLORREF c = DecodePixel(p.format, p.palette, ReadPixel(p, x, y));
      out.rgb.push_back((static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    }
  return out;
}

inline std::filesystem::path GoldenPath(const char* name) {
  return std::filesystem::path(QUEN_TEST_DATA_DIR) / "golden" / name;
}

}  // namespace gditest
