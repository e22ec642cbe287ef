#include "media/CDibImage.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "media/MediaMessage.h"
#include "platform/core/bytes.h"
#include "platform/core/files.h"

using namespace plat;

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoBlock = 40 + 256 * 4;

struct FileCloser {
  void operator()(plat::FILE* f) const { plat::fclose(f); }
};

bool ReadExactly(plat::FILE* f, void* to, std::size_t n) { return plat::fread(to, 1, n, f) == n; }

}  // namespace

DWORD CDibImage::RowBytes(LONG width, WORD bitCount) { return (static_cast<DWORD>(width) * bitCount / 8 + 3) & ~3u; }

DWORD CDibImage::GetPaletteSize(const BITMAPINFOHEADER& h) {
  WORD bitCount = h.biBitCount;
  if (h.biSize == 12) {
    // A 12-byte core header's bit count lies in the high half of what reads as biHeight.
    bitCount = static_cast<WORD>(h.biHeight >> 16);
    return bitCount <= 8 ? 1u << bitCount : 0;
  }
  if (bitCount > 8) return 0;
  const DWORD most = bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
  if (most == 0) return h.biClrUsed;
  return h.biClrUsed ? std::min(h.biClrUsed, most) : most;
}

int CDibImage::LoadFile(DWORD, const char* file, int target) {
  if (target != 8 && target != 16 && target != 24) return 0;
  std::unique_ptr<plat::FILE, FileCloser> f(plat::fopen(file, "rb"));
  if (!f) return 0;
  BYTE head[kFileHeader + 40];
  if (!ReadExactly(f.get(), head, sizeof head)) return 0;
  ByteReader r(head);
  if (r.U16() != 0x4D42) return 0;
  const DWORD fileSize = r.U32();
  r.Skip(4);
  const DWORD offset = r.U32();
  BITMAPINFOHEADER h;
  h.biSize = r.U32();
  h.biWidth = r.I32();
  h.biHeight = r.I32();
  h.biPlanes = r.U16();
  h.biBitCount = r.U16();
  h.biCompression = r.U32();
  h.biSizeImage = r.U32();
  h.biXPelsPerMeter = r.I32();
  h.biYPelsPerMeter = r.I32();
  h.biClrUsed = r.U32();
  h.biClrImportant = r.U32();
  if (h.biSize != 40) {
    ShowMediaMessage("Not a Windows DIB.");
    return 0;
  }
  if (h.biBitCount != 8) {
    ShowMediaMessage("Not a 256 color bitmap.");
    return 0;
  }
  // What the file says is checked against itself before anything is sized by it.
  const DWORD entries = GetPaletteSize(h);
  const std::size_t tableEnd = kFileHeader + 40 + entries * 4;
  if (h.biCompression != BI_RGB || h.biWidth <= 0 || h.biWidth > kMaxDibSide || h.biHeight <= 0 ||
      h.biHeight > kMaxDibSide || entries == 0 || offset < tableEnd || fileSize < offset)
    return 0;
  const std::size_t rows = static_cast<std::size_t>(h.biHeight);
  const std::size_t fromRow = RowBytes(h.biWidth, 8);
  const std::size_t pixelBytes = fileSize - offset;
  if (pixelBytes < fromRow * rows) return 0;

  std::vector<BYTE> block(kInfoBlock, 0);
  h.biBitCount = static_cast<WORD>(target);
  std::memcpy(block.data(), &h, 40);
  std::vector<BYTE> pixels(fromRow * rows);
  if (!ReadExactly(f.get(), block.data() + 40, entries * 4) ||
      plat::fseek(f.get(), static_cast<long>(offset), 0) != 0 || !ReadExactly(f.get(), pixels.data(), pixels.size()))
    return 0;
  if (target != 8) {
    const auto* table = reinterpret_cast<const RGBQUAD*>(block.data() + 40);
    const std::size_t toRow = RowBytes(h.biWidth, static_cast<WORD>(target));
    std::vector<BYTE> wide(toRow * rows, 0);
    for (std::size_t y = 0; y < rows; ++y)
      for (std::size_t x = 0; x < static_cast<std::size_t>(h.biWidth); ++x) {
        const BYTE index = pixels[y * fromRow + x];
        const RGBQUAD c = index < entries ? table[index] : RGBQUAD{};
        BYTE* to = wide.data() + y * toRow + x * static_cast<std::size_t>(target / 8);
        if (target == 16) {
          const auto v = static_cast<WORD>((c.rgbRed >> 3) << 10 | (c.rgbGreen >> 3) << 5 | c.rgbBlue >> 3);
          to[0] = static_cast<BYTE>(v);
          to[1] = static_cast<BYTE>(v >> 8);
        } else {
          to[0] = c.rgbBlue;
          to[1] = c.rgbGreen;
          to[2] = c.rgbRed;
        }
      }
    pixels = std::move(wide);
  }
  infoBlock_ = std::move(block);
  ownedBits_ = std::move(pixels);
  info = reinterpret_cast<BITMAPINFO*>(infoBlock_.data());
  bits = ownedBits_.data();
  ownsBits = 1;
  return 1;
}

int CDibImage::SetFormat(const BITMAPINFO* format, BYTE* pixels) {
  if (!format) return 0;
  const BITMAPINFOHEADER& h = format->bmiHeader;
  const std::size_t table = std::min<DWORD>(GetPaletteSize(h), 256) * 4;
  infoBlock_.assign(h.biBitCount == 8 ? kInfoBlock : 40, 0);
  std::memcpy(infoBlock_.data(), format, std::min(infoBlock_.size(), 40 + table));
  info = reinterpret_cast<BITMAPINFO*>(infoBlock_.data());
  ownedBits_.clear();
  bits = pixels;
  ownsBits = 0;
  return 1;
}

LONG CDibImage::GetWidth() { return info ? info->bmiHeader.biWidth : 0; }

LONG CDibImage::GetHeight() { return info ? info->bmiHeader.biHeight : 0; }

void CDibImage::GetRect(RECT* rect) {
  if (rect) *rect = {0, 0, GetWidth(), GetHeight()};
}

BYTE* CDibImage::GetPixelAddress(int x, int y) {
  if (!info || !bits || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return nullptr;
  const WORD bitCount = info->bmiHeader.biBitCount;
  return bits + static_cast<std::size_t>(GetHeight() - y - 1) * RowBytes(GetWidth(), bitCount) +
         static_cast<std::size_t>(x) * bitCount / 8;
}

int CDibImage::MatchPalette(HPALETTE palette) {
  if (!palette || !info || !bits || info->bmiHeader.biBitCount != 8) return 0;
  auto* table = reinterpret_cast<RGBQUAD*>(infoBlock_.data() + 40);
  BYTE map[256];
  for (int i = 0; i < 256; ++i)
    map[i] =
        static_cast<BYTE>(GetNearestPaletteIndex(palette, RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue)));
  const std::size_t count = static_cast<std::size_t>(RowBytes(GetWidth(), 8)) * static_cast<std::size_t>(GetHeight());
  for (std::size_t i = 0; i < count; ++i) bits[i] = map[bits[i]];
  PALETTEENTRY entries[256] = {};
  GetPaletteEntries(palette, 0, 256, entries);
  for (int i = 0; i < 256; ++i) table[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  return 1;
}

void CDibImage::CopyTo(CDibImage* dest, int dx, int dy, int w, int h, int sx, int sy) {
  if (!dest || !info || !bits || !dest->info || !dest->bits ||
      dest->info->bmiHeader.biBitCount != info->bmiHeader.biBitCount)
    return;
  const int sw = GetWidth(), sh = GetHeight(), dw = dest->GetWidth(), dh = dest->GetHeight();
  // One axis: the source start, the destination start and the length, clipped to both sides.
  const auto clip = [](int& s, int& d, int& n, int sourceSize, int destSize) {
    if (s < 0) {
      d -= s;
      n += s;
      s = 0;
    }
    if (s >= sourceSize) n = 0;
    n = std::min(n, sourceSize - s);
    if (d < 0) {
      s -= d;
      n += d;
      d = 0;
    }
    n = std::min(n, destSize - d);
  };
  clip(sx, dx, w, sw, dw);
  clip(sy, dy, h, sh, dh);
  if (w < 1 || h < 1) return;
  const int rows = std::min({h, sh - sy, dh - dy});
  const WORD bitCount = info->bmiHeader.biBitCount;
  const std::size_t bytes = static_cast<std::size_t>(std::min({w, sw - sx, dw - dx})) * bitCount / 8;
  const std::size_t fromPitch = RowBytes(sw, bitCount), toPitch = RowBytes(dw, bitCount);
  BYTE* from = GetPixelAddress(sx, sy + rows - 1);
  BYTE* to = dest->GetPixelAddress(dx, dy + rows - 1);
  for (int row = 0; row < rows; ++row, from += fromPitch, to += toPitch) std::memmove(to, from, bytes);
}
