#pragma once
// The screen: the 800 x 600, 16-bit picture the player sees. The DirectDraw
// primary surface draws straight into it and the backend presents it. It is
// 5-6-5 unless a test asks for a 5-5-5 display, as some display cards had.
// Called from the program's thread only.

#include <cstdint>
#include <vector>

#include "platform/core/types.h"
#include "platform/display/backend.h"

namespace plat {

struct Screen {
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 600;
  static constexpr LONG kPitch = kWidth * 2;
  bool is555 = false;
  std::vector<BYTE> pixels = std::vector<BYTE>(static_cast<std::size_t>(kPitch) * kHeight);

  std::uint16_t At(int x, int y) const {
    const BYTE* p = pixels.data() + static_cast<std::size_t>(y) * kPitch + static_cast<std::size_t>(x) * 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }
};

Screen& GetScreen();
// Test hook: makes the display 5-5-5 (or 5-6-5 again) and clears the screen.
// Surfaces created afterwards take the new format.
void SetScreenFormat555(bool is555);

// 16-bit pixel to 0x00RRGGBB, each channel widened by repeating its high bits.
std::uint32_t Pixel16ToRgb(std::uint16_t pixel, bool is555);
Image ScreenImage();

}  // namespace plat
