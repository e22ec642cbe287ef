#include "platform/gdi/dibs.h"

#include <cstring>

#include "platform/core/bytes.h"

namespace plat::gdi_impl {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

std::size_t Stride(int width, int bits) { return ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4; }

bool Is565(const DibHeader& h) { return h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x001F; }
bool Is555(const DibHeader& h) { return h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x001F; }

// The bitmap's index of pixel x of a 1-, 4- or 8-bit row.
BYTE IndexAt(const BYTE* row, int x, int bits) {
  switch (bits) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default:
      return row[x];
  }
}

}  // namespace

std::unique_ptr<BitmapObject> NewBitmap(int width, int height, PixelFormat format, bool bottomUp) {
  auto b = std::make_unique<BitmapObject>();
  b->width = width;
  b->height = height;
  b->format = format;
  b->bottomUp = bottomUp;
  b->stride = Stride(width, BitsPerPixel(format));
  b->rows.assign(b->stride * static_cast<std::size_t>(height), 0);
  return b;
}

std::unique_ptr<BitmapObject> BitmapFromDib(std::span<const BYTE> bytes, const DibHeader& h, std::size_t rowsOffset) {
  PixelFormat format;
  switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
      format = PixelFormat::kIndexed8;
      break;
    case 16:
      if (h.compression == BI_RGB || Is555(h)) {
        format = PixelFormat::kRgb555;
      } else if (Is565(h)) {
        format = PixelFormat::kRgb565;
      } else {
        return nullptr;
      }
      break;
    case 24:
      format = PixelFormat::kBgr24;
      break;
    case 32:
      if (h.compression != BI_RGB) return nullptr;
      format = PixelFormat::kBgr24;
      break;
    default:
      return nullptr;
  }
  const int width = h.width;
  const int height = static_cast<int>(h.rows);
  auto b = NewBitmap(width, height, format, h.height > 0);
  for (DWORD c : h.palette)
    b->colours.push_back(PALETTEENTRY{static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c), 0});
  // Rows keep their order in memory, so the bitmap's orientation is the DIB's.
  for (int r = 0; r < height; ++r) {
    const BYTE* src = bytes.data() + rowsOffset + static_cast<std::size_t>(r) * h.stride;
    BYTE* dst = b->rows.data() + static_cast<std::size_t>(r) * b->stride;
    switch (h.bitCount) {
      case 1:
      case 4:
        for (int x = 0; x < width; ++x) dst[x] = IndexAt(src, x, h.bitCount);
        break;
      case 32:
        for (int x = 0; x < width; ++x) std::memcpy(dst + 3 * x, src + 4 * x, 3);
        break;
      default:
        std::memcpy(dst, src, b->stride);
        break;
    }
  }
  return b;
}

std::unique_ptr<BitmapObject> BitmapFromBmpFile(std::span<const BYTE> bytes) {
  ByteReader r(bytes);
  const std::uint16_t magic = r.U16();
  r.Skip(8);  // file size and reserved words: not trusted
  const std::uint32_t rowsOffset = r.U32();
  if (!r.Ok() || magic != 0x4D42) return nullptr;
  const auto dib = bytes.subspan(kFileHeaderSize);
  const auto header = ParseDib(dib);
  if (!header) return nullptr;
  // The rows are where the file header says, which may lie past the colour table.
  const std::size_t need = header->stride * header->rows;
  if (rowsOffset < kFileHeaderSize + header->bitsOffset || rowsOffset > bytes.size() ||
      bytes.size() - rowsOffset < need)
    return nullptr;
  return BitmapFromDib(bytes, *header, rowsOffset);
}

}  // namespace plat::gdi_impl
