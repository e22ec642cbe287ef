#pragma once
// Device-independent bitmaps as resources hold them: a BITMAPINFOHEADER (or
// a later, longer version), an optional colour table, then the pixel rows.
// Pure functions on the bytes given: may be called from several threads.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "platform/core/types.h"
#include "platform/resource/resname.h"

namespace plat {

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;

struct DibHeader {
  LONG width = 0;
  LONG height = 0;  // as stored: negative for top-down rows; doubled for icons
  WORD planes = 1;
  WORD bitCount = 0;
  DWORD compression = BI_RGB;
  std::array<DWORD, 3> masks{};  // red, green, blue masks of BI_BITFIELDS
  std::vector<DWORD> palette;    // 0x00RRGGBB entries
  std::size_t bitsOffset = 0;    // where the rows start, from the header's start
  std::size_t stride = 0;        // bytes per row, a multiple of 4
  std::size_t rows = 0;          // colour rows (half the stored height of an icon)
};

// Reads and checks a DIB: uncompressed or bit-field rows of 1, 4, 8, 16, 24 or
// 32 bits, every row within the bytes. `withMask`: an icon or cursor image,
// whose stored height covers the colour rows and the 1-bit AND mask after them.
std::optional<DibHeader> ParseDib(std::span<const BYTE> bytes, bool withMask = false);

struct Bitmap {
  DibHeader header;
  std::vector<BYTE> dib;  // the resource's bytes, header first
};

// The RT_BITMAP resource `name`; nothing when missing or malformed.
std::optional<Bitmap> LoadBitmapResource(HMODULE module, const ResName& name);

}  // namespace plat
