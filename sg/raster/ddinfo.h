#pragma once
// The frame buffer's device information as the rest of the library reads it:
// the context links it (ctxDDI) and prepares textures by it. The frame-buffer
// module creates and fills it.

#include <cstdint>

// Frame-buffer modes (fbMode, ddiMode).
constexpr std::uint32_t SG_FB_MODE_IDX = 0;  // 8-bit palette indices

// Three words per channel: bits, mask and shift of red, green and blue.
struct SGPixelFormat {
  std::uint32_t pfRedBits;
  std::uint32_t pfRedMask;
  std::uint32_t pfRedShift;
  std::uint32_t pfGreenBits;
  std::uint32_t pfGreenMask;
  std::uint32_t pfGreenShift;
  std::uint32_t pfBlueBits;
  std::uint32_t pfBlueMask;
  std::uint32_t pfBlueShift;
};

// Texture-preparation words (ddiTexPrep).
constexpr std::uint32_t SG_DDI_TEXPREP_PAL8 = 0;
constexpr std::uint32_t SG_DDI_TEXPREP_D3D16 = 1;
constexpr std::uint32_t SG_DDI_TEXPREP_PAL8_B = 4;

struct SGDDInfo {
  std::uint32_t ddiFlags;
  std::uint32_t ddiMode;
  std::uint32_t ddiTexPrep;
  std::uint32_t ddiBPP;
  SGPixelFormat* ddiPixelFormat;
  SGPixelFormat* ddiTexelFormat;
};
