#pragma once
// Test frame buffers with guard bands, vertex makers and the renderer's two
// kinds of shade table.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "sg/raster/fill.h"

inline constexpr SGPixelFormat kFormat565 = {5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x001F, 0};
inline constexpr SGPixelFormat kFormat555 = {5, 0x7C00, 10, 5, 0x03E0, 5, 5, 0x001F, 0};

inline constexpr uint16_t kGuardValue = 0xA5C3;
inline constexpr uint8_t kGuardByte = 0xA5;

enum class PitchKind { kPositive, kNegative, kOdd };

// A width x height frame of 16-bit or 8-bit pixels inside a guard band of
// `guard` pixels on every side. With a negative pitch row 0 is the last row in
// memory; with an odd pitch the byte pitch is one more than the rows' true
// length in bytes (for 8-bit pixels, one more pixel than the guarded row).
template <class Pixel, Pixel kGuard>
class CanvasOf {
 public:
  CanvasOf(int width, int height, int guard = 8, PitchKind pitch = PitchKind::kPositive,
           const SGPixelFormat& format = kFormat565)
      : width_(width),
        height_(height),
        stride_(width + 2 * guard + (pitch == PitchKind::kOdd && sizeof(Pixel) == 1 ? 1 : 0)),
        memory_(static_cast<size_t>(stride_) * (height + 2 * guard), kGuard) {
    const int firstRow = pitch == PitchKind::kNegative ? guard + height - 1 : guard;
    frame_.fbPixels = &memory_[static_cast<size_t>(firstRow) * stride_ + guard];
    frame_.fbPitch = stride_ * static_cast<int>(sizeof(Pixel)) * (pitch == PitchKind::kNegative ? -1 : 1) +
                     (pitch == PitchKind::kOdd && sizeof(Pixel) == 2 ? 1 : 0);
    frame_.fbPixelFormat = format;
    Clear(0);
  }
  CanvasOf(const CanvasOf&) = delete;
  CanvasOf& operator=(const CanvasOf&) = delete;

  const SGRasterFrame* Frame() const { return &frame_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  Pixel& At(int x, int y) { return static_cast<Pixel*>(frame_.fbPixels)[Offset(x, y)]; }
  Pixel At(int x, int y) const { return static_cast<const Pixel*>(frame_.fbPixels)[Offset(x, y)]; }

  void Clear(Pixel value) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) At(x, y) = value;
  }

  // Every pixel outside the frame still holds the guard value.
  bool GuardIntact() const {
    std::vector<bool> inside(memory_.size(), false);
    const ptrdiff_t origin = static_cast<const Pixel*>(frame_.fbPixels) - memory_.data();
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) inside[origin + Offset(x, y)] = true;
    for (size_t i = 0; i < memory_.size(); ++i)
      if (!inside[i] && memory_[i] != kGuard) return false;
    return true;
  }

  const std::vector<Pixel>& Memory() const { return memory_; }

  int Count(Pixel value) const {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) n += At(x, y) == value;
    return n;
  }

 private:
  ptrdiff_t Offset(int x, int y) const { return static_cast<ptrdiff_t>(frame_.fbPitch >> (sizeof(Pixel) - 1)) * y + x; }

  int width_, height_, stride_;
  std::vector<Pixel> memory_;
  SGRasterFrame frame_{};
};

using Canvas = CanvasOf<uint16_t, kGuardValue>;
using Canvas8 = CanvasOf<uint8_t, kGuardByte>;

// A vertex at 27.5 coordinates with raw attribute fields.
inline SGQVert Vert(int32_t x, int32_t y, float u = 0.5f, float v = 0.5f, float q = 16.0f) {
  return SGQVert{x, y, 1.0f, u, v, q, 0.0f};
}

// A vertex at pixel coordinates with texture coordinates (U, V) on a w x h
// texture and an intensity level, made as the pipeline makes them.
inline SGQVert TexVert(double px, double py, double U, double V, int w, int h, double level = 0) {
  return SGQVert{static_cast<int32_t>(std::lround(px * 32)),
                 static_cast<int32_t>(std::lround(py * 32)),
                 1.0f,
                 static_cast<float>(((w - 1) * U + 0.5) * 32),
                 static_cast<float>(((h - 1) * V + 0.5) * 32),
                 static_cast<float>(level * 32 + 16),
                 0.0f};
}

// Shade table toward black: entry j of row L is j x L / 255 in every segment.
inline std::vector<uint8_t> ShadeTable(const SGPixelFormat& pf) {
  std::vector<uint8_t> table(65536, 0);
  const uint32_t bits[3] = {pf.pfRedBits, pf.pfGreenBits, pf.pfBlueBits};
  for (int level = 0; level < 256; ++level) {
    uint32_t offset = 0;
    for (uint32_t b : bits) {
      for (uint32_t j = 0; j < (1u << b); ++j) table[level * 256 + offset + j] = static_cast<uint8_t>(j * level / 255);
      offset += 1u << b;
    }
  }
  return table;
}

// Fog table toward the channel values fog[3]: row 0 unchanged, row 255 the fog.
inline std::vector<uint8_t> FogTable(const SGPixelFormat& pf, const int fog[3]) {
  std::vector<uint8_t> table(65536, 0);
  const uint32_t bits[3] = {pf.pfRedBits, pf.pfGreenBits, pf.pfBlueBits};
  for (int level = 0; level < 256; ++level) {
    uint32_t offset = 0;
    for (int c = 0; c < 3; ++c) {
      for (int j = 0; j < (1 << bits[c]); ++j)
        table[level * 256 + offset + j] = static_cast<uint8_t>(j + (fog[c] - j) * level / 255);
      offset += 1u << bits[c];
    }
  }
  return table;
}

// The vertices reordered, if needed, so that they run clockwise on the screen.
inline void MakeClockwise(SGQVert& a, SGQVert& b, SGQVert& c) {
  const int64_t cross = static_cast<int64_t>(b.x - a.x) * (c.y - a.y) - static_cast<int64_t>(b.y - a.y) * (c.x - a.x);
  if (cross < 0) std::swap(b, c);
}
