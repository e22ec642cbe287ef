#include "platform/resource/dib.h"

#include <cstdint>

#include "platform/core/bytes.h"
#include "platform/resource/module.h"

namespace plat {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::int64_t kMaxDimension = 1 << 16;

std::size_t RowBytes(std::int64_t width, int bits) { return static_cast<std::size_t>(((width * bits + 31) / 32) * 4); }

}  // namespace

std::optional<DibHeader> ParseDib(std::span<const BYTE> bytes, bool withMask) {
  ByteReader r(bytes);
  DibHeader h;
  std::uint32_t headerSize = r.U32();
  h.width = static_cast<LONG>(r.U32());
  h.height = static_cast<LONG>(r.U32());
  h.planes = r.U16();
  h.bitCount = r.U16();
  h.compression = r.U32();
  r.Skip(12);  // image size, resolution
  std::uint32_t colorsUsed = r.U32();
  if (!r.Ok() || headerSize < kInfoHeaderSize || headerSize > bytes.size()) return std::nullopt;
  std::int64_t width = h.width;
  std::int64_t height = h.height < 0 ? -std::int64_t{h.height} : h.height;
  if (width <= 0 || width > kMaxDimension || height == 0 || height > kMaxDimension) return std::nullopt;
  if (withMask && (h.height < 0 || height % 2 != 0)) return std::nullopt;
  switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return std::nullopt;
  }
  if (h.compression == BI_BITFIELDS) {
    if (h.bitCount != 16 && h.bitCount != 32) return std::nullopt;
    // The masks sit in a long header's own fields, or just after a short one.
    r.Seek(kInfoHeaderSize);
    for (DWORD& m : h.masks) m = r.U32();
    if (!r.Ok()) return std::nullopt;
  } else if (h.compression != BI_RGB) {
    return std::nullopt;
  }
  std::size_t tableAt = headerSize;
  if (h.compression == BI_BITFIELDS && headerSize == kInfoHeaderSize) tableAt += 12;
  std::size_t colours = 0;
  if (h.bitCount <= 8) {
    colours = colorsUsed != 0 ? colorsUsed : (std::size_t{1} << h.bitCount);
    if (colours > (std::size_t{1} << h.bitCount)) return std::nullopt;
  }
  r.Seek(tableAt);
  h.palette.reserve(colours);
  for (std::size_t i = 0; i < colours; ++i) {
    BYTE b = r.U8(), g = r.U8(), red = r.U8();
    r.Skip(1);
    h.palette.push_back((DWORD{red} << 16) | (DWORD{g} << 8) | b);
  }
  if (!r.Ok()) return std::nullopt;
  h.bitsOffset = r.Pos();
  h.stride = RowBytes(width, h.bitCount);
  h.rows = static_cast<std::size_t>(withMask ? height / 2 : height);
  std::size_t need = h.stride * h.rows;
  if (withMask) need += RowBytes(width, 1) * h.rows;
  if (need > r.Remaining()) return std::nullopt;
  return h;
}

std::optional<Bitmap> LoadBitmapResource(HMODULE module, const ResName& name) {
  auto bytes = ResourceBytes(module, name, RT_BITMAP);
  auto header = ParseDib(bytes);
  if (!header) return std::nullopt;
  return Bitmap{std::move(*header), std::vector<BYTE>(bytes.begin(), bytes.end())};
}

}  // namespace plat
