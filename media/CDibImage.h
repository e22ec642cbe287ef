#pragma once
// One device-independent bitmap in memory: its header with colour table and
// its pixel rows (bottom-up, each row padded to 4 bytes). Loads 256-colour
// Windows bitmap files, optionally widened to 16 (5-5-5) or 24 bits per
// pixel, matches an 8-bit image to a logical palette, addresses pixels and
// copies rectangles between images. Game thread only.

#include <vector>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/palette.h"

// Sides of a loaded image are at most this many pixels.
constexpr plat::LONG kMaxDibSide = 16384;

class CDibImage {
 public:
  CDibImage() = default;
  virtual ~CDibImage() = default;
  CDibImage(const CDibImage&) = delete;
  CDibImage& operator=(const CDibImage&) = delete;

  // Loads the BMP file at `file` (DOS path), widened to `targetBits` (8, 16
  // or 24). 1 loaded; 0 failed, the image unchanged. "Not a Windows DIB." is
  // shown for another header than the 40-byte one, "Not a 256 color
  // bitmap." for another depth than 8 bits; other failures (a missing,
  // short or compressed file, sizes the file cannot hold, another target)
  // are silent.
  virtual int LoadFile(plat::DWORD unused, const char* file, int targetBits);
  virtual plat::LONG GetWidth();
  virtual plat::LONG GetHeight();
  // 8-bit images: every pixel becomes the index of its colour's nearest entry
  // in `palette`, and the palette's 256 entries become the colour table. 1,
  // or 0 without palette or image, or for another depth.
  virtual int MatchPalette(plat::HPALETTE palette);
  // (0, 0, width, height).
  virtual void GetRect(plat::RECT* rect);
  // Copies the w x h rectangle at (sx, sy) to (dx, dy) of `dest`, clipped to
  // both images; nothing when their depths differ.
  virtual void CopyTo(CDibImage* dest, int dx, int dy, int w, int h, int sx, int sy);

  // Copies the header and its colour table (the entries GetPaletteSize
  // counts) and uses `pixels` without owning them. 1.
  int SetFormat(const plat::BITMAPINFO* format, plat::BYTE* pixels);
  // The pixel at x, y counted from the top; null outside the image.
  plat::BYTE* GetPixelAddress(int x, int y);
  // Colour-table entries of a header (40-byte or 12-byte core header).
  static plat::DWORD GetPaletteSize(const plat::BITMAPINFOHEADER& header);
  // ((width x bits) / 8 + 3) & ~3.
  static plat::DWORD RowBytes(plat::LONG width, plat::WORD bits);

  plat::BITMAPINFO* info = nullptr;  // 1064 bytes for 8 bits, else 40
  plat::BYTE* bits = nullptr;
  plat::DWORD ownsBits = 1;

 private:
  std::vector<plat::BYTE> infoBlock_;
  std::vector<plat::BYTE> ownedBits_;
};
