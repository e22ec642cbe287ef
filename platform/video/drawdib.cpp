#include "platform/video/drawdib.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gdi/dc.h"

struct plat::HDRAWDIB__ {
  plat::HPALETTE palette = nullptr;
  plat::HDC memory = nullptr;
  plat::HBITMAP section = nullptr;
  plat::HGDIOBJ oldBitmap = nullptr;
  void* sectionBits = nullptr;
  std::vector<plat::BYTE> format;  // the section's BITMAPINFO
};

namespace plat {
namespace {

void FreeSection(HDRAWDIB__& d) {
  if (d.memory) {
    if (d.oldBitmap) SelectObject(d.memory, d.oldBitmap);
    DeleteDC(d.memory);
  }
  if (d.section) DeleteObject(d.section);
  d.memory = nullptr;
  d.section = nullptr;
  d.oldBitmap = nullptr;
  d.format.clear();
}

std::size_t Pitch(LONG width, WORD bits) { return (static_cast<std::size_t>(width) * bits + 31) / 32 * 4; }

// The section's format: 32-bit images are drawn from a 24-bit copy, which
// the display layer's sections can hold.
std::vector<BYTE> SectionFormat(const BITMAPINFOHEADER& bi) {
  BITMAPINFOHEADER h = bi;
  h.biSize = 40;
  std::size_t table = 0;
  if (h.biBitCount == 8) table = (h.biClrUsed && h.biClrUsed <= 256 ? h.biClrUsed : 256) * 4;
  if (h.biBitCount == 16 && h.biCompression == BI_BITFIELDS) table = 12;
  if (h.biBitCount == 32) h.biBitCount = 24;
  h.biCompression = bi.biCompression == BI_BITFIELDS && bi.biBitCount == 16 ? BI_BITFIELDS : BI_RGB;
  std::vector<BYTE> out(sizeof h + table);
  std::memcpy(out.data(), &h, sizeof h);
  if (table) std::memcpy(out.data() + sizeof h, reinterpret_cast<const BYTE*>(&bi) + 40, table);
  return out;
}

bool Prepare(HDRAWDIB__& d, const BITMAPINFOHEADER& bi) {
  std::vector<BYTE> format = SectionFormat(bi);
  if (d.section && format == d.format) return true;
  FreeSection(d);
  d.section = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(format.data()), DIB_RGB_COLORS,
                               &d.sectionBits, nullptr, 0);
  d.memory = d.section ? CreateCompatibleDC(nullptr) : nullptr;
  if (!d.memory) {
    FreeSection(d);
    return false;
  }
  d.oldBitmap = SelectObject(d.memory, d.section);
  d.format = std::move(format);
  return true;
}

void CopyBits(const BITMAPINFOHEADER& bi, const void* bits, void* to) {
  const LONG rows = std::abs(bi.biHeight);
  const std::size_t from = Pitch(bi.biWidth, bi.biBitCount);
  if (bi.biBitCount != 32) {
    std::memcpy(to, bits, from * static_cast<std::size_t>(rows));
    return;
  }
  const std::size_t pitch = Pitch(bi.biWidth, 24);
  for (LONG y = 0; y < rows; ++y) {
    const BYTE* s = static_cast<const BYTE*>(bits) + y * from;
    BYTE* t = static_cast<BYTE*>(to) + y * pitch;
    for (LONG x = 0; x < bi.biWidth; ++x, s += 4, t += 3) std::memcpy(t, s, 3);
  }
}

}  // namespace

HDRAWDIB DrawDibOpen() { return new HDRAWDIB__; }

BOOL DrawDibClose(HDRAWDIB dd) {
  if (!dd) return FALSE;
  FreeSection(*dd);
  delete dd;
  return TRUE;
}

BOOL DrawDibSetPalette(HDRAWDIB dd, HPALETTE palette) {
  if (!dd) return FALSE;
  dd->palette = palette;
  return TRUE;
}

UINT DrawDibRealize(HDRAWDIB dd, HDC hdc, BOOL background) {
  if (!dd || !dd->palette || !hdc) return 0;
  SelectPalette(hdc, dd->palette, background);
  const UINT mapped = RealizePalette(hdc);
  return mapped == GDI_ERROR ? 0 : mapped;
}

BOOL DrawDibDraw(HDRAWDIB dd, HDC hdc, int xDst, int yDst, int dxDst, int dyDst, const BITMAPINFOHEADER* bi,
                 const void* bits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT) {
  if (!dd || !hdc || !bi || !bits || bi->biWidth <= 0 || bi->biHeight == 0) return FALSE;
  const WORD b = bi->biBitCount;
  if (b != 8 && b != 16 && b != 24 && b != 32) return FALSE;
  if (!Prepare(*dd, *bi)) return FALSE;
  CopyBits(*bi, bits, dd->sectionBits);
  if (dxSrc <= 0) dxSrc = bi->biWidth;
  if (dySrc <= 0) dySrc = std::abs(bi->biHeight);
  if (dxDst <= 0) dxDst = dxSrc;
  if (dyDst <= 0) dyDst = dySrc;
  if (dxDst == dxSrc && dyDst == dySrc) return BitBlt(hdc, xDst, yDst, dxDst, dyDst, dd->memory, xSrc, ySrc, SRCCOPY);
  return StretchBlt(hdc, xDst, yDst, dxDst, dyDst, dd->memory, xSrc, ySrc, dxSrc, dySrc, SRCCOPY);
}

BOOL DrawDibEnd(HDRAWDIB dd) {
  if (!dd) return FALSE;
  FreeSection(*dd);
  return TRUE;
}

}  // namespace plat
