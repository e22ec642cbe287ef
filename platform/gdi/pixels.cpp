#include "platform/gdi/pixels.h"

#include <cstring>

namespace plat {

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::kIndexed8:
      return 8;
    case PixelFormat::kRgb555:
    case PixelFormat::kRgb565:
      return 16;
    case PixelFormat::kBgr24:
      return 24;
  }
  return 0;
}

int BytesPerPixel(PixelFormat format) { return BitsPerPixel(format) / 8; }

UINT NearestPaletteIndex(std::span<const PALETTEENTRY> palette, COLORREF colour) {
  const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
  UINT best = 0;
  int bestDistance = 1 << 30;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const int dr = palette[i].peRed - r, dg = palette[i].peGreen - g, db = palette[i].peBlue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<UINT>(i);
      if (d == 0) break;
    }
  }
  return best;
}

DWORD EncodeColour(PixelFormat format, std::span<const PALETTEENTRY> palette, COLORREF colour) {
  const DWORD r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
  switch (format) {
    case PixelFormat::kIndexed8:
      return NearestPaletteIndex(palette, colour);
    case PixelFormat::kRgb555:
      return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case PixelFormat::kRgb565:
      return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    case PixelFormat::kBgr24:
      return (r << 16) | (g << 8) | b;
  }
  return 0;
}

namespace {

BYTE Widen5(DWORD v) { return static_cast<BYTE>((v << 3) | (v >> 2)); }
BYTE Widen6(DWORD v) { return static_cast<BYTE>((v << 2) | (v >> 4)); }

}  // namespace

COLORREF DecodePixel(PixelFormat format, std::span<const PALETTEENTRY> palette, DWORD value) {
  switch (format) {
    case PixelFormat::kIndexed8:
      if (value >= palette.size()) return 0;
      return RGB(palette[value].peRed, palette[value].peGreen, palette[value].peBlue);
    case PixelFormat::kRgb555:
      return RGB(Widen5((value >> 10) & 0x1F), Widen5((value >> 5) & 0x1F), Widen5(value & 0x1F));
    case PixelFormat::kRgb565:
      return RGB(Widen5((value >> 11) & 0x1F), Widen6((value >> 5) & 0x3F), Widen5(value & 0x1F));
    case PixelFormat::kBgr24:
      return RGB(static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value));
  }
  return 0;
}

DWORD ReadPixel(const PixelTarget& target, int x, int y) {
  const BYTE* row = target.Row(y);
  switch (target.format) {
    case PixelFormat::kIndexed8:
      return row[x];
    case PixelFormat::kRgb555:
    case PixelFormat::kRgb565: {
      std::uint16_t v;
      std::memcpy(&v, row + 2 * x, 2);
      return v;
    }
    case PixelFormat::kBgr24: {
      const BYTE* p = row + 3 * x;
      return DWORD{p[0]} | (DWORD{p[1]} << 8) | (DWORD{p[2]} << 16);
    }
  }
  return 0;
}

void FillSpan(const PixelTarget& target, int x, int y, int count, DWORD value) {
  if (count <= 0) return;
  BYTE* row = target.Row(y);
  switch (target.format) {
    case PixelFormat::kIndexed8:
      std::memset(row + x, static_cast<int>(value), static_cast<std::size_t>(count));
      return;
    case PixelFormat::kRgb555:
    case PixelFormat::kRgb565: {
      const auto v = static_cast<std::uint16_t>(value);
      BYTE* p = row + 2 * x;
      for (int i = 0; i < count; ++i, p += 2) std::memcpy(p, &v, 2);
      return;
    }
    case PixelFormat::kBgr24: {
      BYTE* p = row + 3 * x;
      for (int i = 0; i < count; ++i, p += 3) {
        p[0] = static_cast<BYTE>(value);
        p[1] = static_cast<BYTE>(value >> 8);
        p[2] = static_cast<BYTE>(value >> 16);
      }
      return;
    }
  }
}

}  // namespace plat
