#pragma once
// A block of pixels with a DC drawing into it, and ways to look at the result.

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/pixels.h"

namespace gditest {

using namespace plat;

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
    RECT r{t_.width, t_.height, 0, 0};
    for (int y = 0; y < t_.height; ++y)
      for (int x = 0; x < t_.width; ++x)
        if (At(x, y) == v) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    if (r.right == 0) r = RECT{};
    return r;
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

}  // namespace gditest
