#pragma once
// The frame buffer's device information as the rest of the library reads it:
// the context links it (ctxDDI) and prepares textures by it. The frame-buffer
// module creates and fills it.

#include <cstdint>

// The device objects are the platform's; the rasterizer never touches them, so
// declarations are enough here.
namespace plat {
class IDirectDraw;
class IDirectDrawSurface;
class IDirectDrawPalette;
class IDirectDrawClipper;
struct HWND__;
}  // namespace plat
struct SGPalEntry;

// Frame-buffer modes (fbMode, ddiMode).
constexpr std::uint32_t SG_FB_MODE_IDX = 0;        // 8-bit palette indices
constexpr std::uint32_t SG_FB_MODE_RGB = 1;        // direct colour drawn by a hardware device
constexpr std::uint32_t SG_FB_MODE_QUASI_RGB = 4;  // direct colour drawn in software through colour tables

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
  plat::IDirectDraw* ddiDD;  // one reference held
  char* ddiDevice;           // "driver:::description" of a chosen secondary device, or null
  plat::IDirectDrawSurface* ddiFront;
  plat::IDirectDrawSurface* ddiBack;  // the surface drawn into
  plat::IDirectDrawSurface* ddiZBuffer;
  plat::IDirectDrawPalette* ddiPalette;
  plat::IDirectDrawClipper* ddiClipper;
  plat::HWND__* ddiWindow;
  SGPalEntry* ddiSysColours;  // 256 entries
  std::uint32_t ddiMode;
  std::uint32_t ddiTexPrep;
  std::uint32_t ddiBPP;
  SGPixelFormat* ddiPixelFormat;
  SGPixelFormat* ddiTexelFormat;
};
