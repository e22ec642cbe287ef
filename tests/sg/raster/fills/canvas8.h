#pragma once
// An 8-bit test frame inside a guard band, with positive, negative or odd
// pitch (see Canvas in canvas.h).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "canvas.h"

inline constexpr uint8_t kGuardByte = 0xA5;

class Canvas8 {
 public:
  Canvas8(int width, int height, int guard = 8, PitchKind pitch = PitchKind::kPositive)
      : width_(width),
        height_(height),
        stride_(width + 2 * guard + (pitch == PitchKind::kOdd ? 1 : 0)),
        memory_(static_cast<size_t>(stride_) * (height + 2 * guard), kGuardByte) {
    const int firstRow = pitch == PitchKind::kNegative ? guard + height - 1 : guard;
    frame_.fbPixels = &memory_[static_cast<size_t>(firstRow) * stride_ + guard];
    frame_.fbPitch = pitch == PitchKind::kNegative ? -stride_ : stride_;
    Clear(0);
  }
  Canvas8(const Canvas8&) = delete;
  Canvas8& operator=(const Canvas8&) = delete;

  const SGRasterFrame* Frame() const { return &frame_; }
  uint8_t& At(int x, int y) { return static_cast<uint8_t*>(frame_.fbPixels)[Offset(x, y)]; }
  const std::vector<uint8_t>& Memory() const { return memory_; }

  void Clear(uint8_t value) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) At(x, y) = value;
  }

  bool GuardIntact() {
    std::vector<uint8_t> copy = memory_;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) copy[Origin() + Offset(x, y)] = kGuardByte;
    for (uint8_t b : copy)
      if (b != kGuardByte) return false;
    return true;
  }

  int Count(uint8_t value) {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) n += At(x, y) == value;
    return n;
  }

 private:
  ptrdiff_t Offset(int x, int y) const { return static_cast<ptrdiff_t>(frame_.fbPitch) * y + x; }
  ptrdiff_t Origin() const { return static_cast<const uint8_t*>(frame_.fbPixels) - memory_.data(); }

  int width_, height_, stride_;
  std::vector<uint8_t> memory_;
  SGRasterFrame frame_{};
};
