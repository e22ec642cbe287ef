// BMP files and bare DIBs (bitmap resources, icon and cursor images): any
// bytes are refused or become a bitmap whose pixel block matches its size.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/gdi/dibs.h"
#include "platform/resource/dib.h"

namespace {

void CheckBitmap(const plat::gdi_impl::BitmapObject& b) {
  if (b.width <= 0 || b.height <= 0) __builtin_trap();
  if (b.rows.size() != b.stride * static_cast<std::size_t>(b.height)) __builtin_trap();
  volatile plat::BYTE last = b.rows.back();
  (void)last;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const plat::BYTE> bytes(data, size);
  if (auto bitmap = plat::gdi_impl::BitmapFromBmpFile(bytes)) CheckBitmap(*bitmap);
  for (bool withMask : {false, true}) {
    const auto header = plat::ParseDib(bytes, withMask);
    if (!header) continue;
    // A parsed header promises that its colour rows lie within the bytes.
    if (header->bitsOffset > size || (size - header->bitsOffset) < header->stride * header->rows) __builtin_trap();
    if (auto bitmap = plat::gdi_impl::BitmapFromDib(bytes, *header, header->bitsOffset)) CheckBitmap(*bitmap);
  }
  return 0;
}
