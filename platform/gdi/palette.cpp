#include "platform/gdi/palette.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/gdi/gdi_impl.h"

namespace plat {
namespace {

using namespace gdi_impl;

constexpr UINT kEntries = 256;
constexpr UINT kEndFree = 246;  // the high static colours start here

// The system palette: the 20 static colours, black between them.
std::array<PALETTEENTRY, kEntries>& SystemPalette() {
  static std::array<PALETTEENTRY, kEntries> palette = [] {
    std::array<PALETTEENTRY, kEntries> p{};
    const BYTE low[10][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
                             {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
    const BYTE high[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
                              {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 10; ++i) {
      p[i] = PALETTEENTRY{low[i][0], low[i][1], low[i][2], 0};
      p[kEndFree + i] = PALETTEENTRY{high[i][0], high[i][1], high[i][2], 0};
    }
    return p;
  }();
  return palette;
}

}  // namespace

HPALETTE CreatePalette(const LOGPALETTE* logPalette) {
  if (!logPalette || logPalette->palVersion != 0x300 || logPalette->palNumEntries == 0 ||
      logPalette->palNumEntries > kEntries)
    return nullptr;
  auto palette = std::make_unique<PaletteObject>();
  palette->entries.resize(logPalette->palNumEntries);
  // The entries run on past the declared one, in the caller's block.
  std::memcpy(palette->entries.data(), logPalette->palPalEntry, palette->entries.size() * sizeof(PALETTEENTRY));
  return static_cast<HPALETTE>(Register(std::move(palette)));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL /*forceBackground*/) {
  HDC__* dc = FindDC(hdc);
  if (!dc || !FindPalette(palette)) return nullptr;
  const HPALETTE previous = dc->palette;
  if (previous) Release(previous);
  dc->palette = palette;
  Hold(palette);
  return previous;
}

UINT RealizePalette(HDC hdc) {
  HDC__* dc = FindDC(hdc);
  if (!dc) return GDI_ERROR;
  return 0;
}

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour) {
  PaletteObject* p = FindPalette(palette);
  return p ? NearestPaletteIndex(p->entries, colour) : CLR_INVALID;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  PaletteObject* p = FindPalette(palette);
  if (!p) return 0;
  const auto size = static_cast<UINT>(p->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(p->entries.begin() + start, n, entries);
  return n;
}

UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries) {
  PaletteObject* p = FindPalette(palette);
  if (!p || !entries) return 0;
  const auto size = static_cast<UINT>(p->entries.size());
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(entries, n, p->entries.begin() + start);
  return n;
}

UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, PALETTEENTRY* entries) {
  if (!FindDC(hdc) || !entries || start >= kEntries) return 0;
  const UINT n = std::min(count, kEntries - start);
  std::copy_n(SystemPalette().begin() + start, n, entries);
  return n;
}

}  // namespace plat
