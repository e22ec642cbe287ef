// DIB sections and bitmaps loaded from modules and files.

#include "platform/gdi/bitmaps.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/core/dospath.h"
#include "platform/gdi/dibs.h"
#include "platform/resource/module.h"

namespace plat {

using namespace gdi_impl;

namespace {

constexpr LONG kMaxSide = 16384;
constexpr std::size_t kInfoHeaderSize = 40;

// The colour table or masks behind the caller's header, read as the caller
// laid them out in memory.
const BYTE* AfterHeader(const BITMAPINFO* info) { return reinterpret_cast<const BYTE*>(info) + info->bmiHeader.biSize; }

DWORD Mask(const BITMAPINFO* info, int i) {
  DWORD m;
  std::memcpy(&m, reinterpret_cast<const BYTE*>(info) + kInfoHeaderSize + 4 * i, 4);
  return m;
}

HBITMAP Adopt(std::unique_ptr<BitmapObject> bitmap) {
  return bitmap ? static_cast<HBITMAP>(Register(std::move(bitmap))) : nullptr;
}

std::unique_ptr<BitmapObject> ReadBmpFile(const char* name) {
  // Host paths are absolute; everything else is a DOS path.
  std::optional<std::filesystem::path> path;
  if (name[0] == '/')
    path = std::filesystem::path(name);
  else
    path = ResolveDosPath(name);
  if (!path) return nullptr;
  std::ifstream in(*path, std::ios::binary);
  if (!in) return nullptr;
  const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return BitmapFromBmpFile(bytes);
}

}  // namespace

HBITMAP CreateDIBSection(HDC /*hdc*/, const BITMAPINFO* info, UINT usage, void** bits, HANDLE /*section*/,
                         DWORD /*offset*/) {
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const LONG height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (h.biSize < kInfoHeaderSize || h.biWidth <= 0 || h.biWidth > kMaxSide || height == 0 || height > kMaxSide)
    return nullptr;
  PixelFormat format;
  if (h.biBitCount == 8 && h.biCompression == BI_RGB) {
    format = PixelFormat::kIndexed8;
  } else if (h.biBitCount == 16 && h.biCompression == BI_RGB) {
    format = PixelFormat::kRgb555;
  } else if (h.biBitCount == 16 && h.biCompression == BI_BITFIELDS) {
    const DWORD r = Mask(info, 0), g = Mask(info, 1), b = Mask(info, 2);
    if (r == 0xF800 && g == 0x07E0 && b == 0x001F) {
      format = PixelFormat::kRgb565;
    } else if (r == 0x7C00 && g == 0x03E0 && b == 0x001F) {
      format = PixelFormat::kRgb555;
    } else {
      return nullptr;
    }
  } else if (h.biBitCount == 24 && h.biCompression == BI_RGB) {
    format = PixelFormat::kBgr24;
  } else {
    return nullptr;
  }
  auto bitmap = NewBitmap(h.biWidth, height, format, h.biHeight > 0);
  if (format == PixelFormat::kIndexed8) {
    const DWORD count = h.biClrUsed ? h.biClrUsed : 256;
    if (count > 256) return nullptr;
    const BYTE* table = AfterHeader(info);
    for (DWORD i = 0; i < count; ++i) {
      RGBQUAD q;
      std::memcpy(&q, table + 4 * i, 4);
      bitmap->colours.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
    }
  }
  if (bits) *bits = bitmap->rows.data();
  return Adopt(std::move(bitmap));
}

HBITMAP LoadBitmap(HINSTANCE module, const ResName& name) {
  auto resource = LoadBitmapResource(module, name);
  if (!resource) return nullptr;
  return Adopt(BitmapFromDib(resource->dib, resource->header, resource->header.bitsOffset));
}

HBITMAP LoadImage(HINSTANCE module, const ResName& name, UINT type, int /*cx*/, int /*cy*/, UINT flags) {
  if (type != IMAGE_BITMAP) return nullptr;
  if (flags & LR_LOADFROMFILE) return name.IsId() ? nullptr : Adopt(ReadBmpFile(name.Name().c_str()));
  return LoadBitmap(module, name);
}

}  // namespace plat
