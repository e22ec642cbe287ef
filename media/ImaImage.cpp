#include "media/ImaImage.h"

#include <algorithm>

#include "platform/core/bytes.h"

namespace {

// Width and height as two u16 at `at`, pixels from `pixels`.
std::optional<ImageLayout> SizeAt(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t pixels) {
  plat::ByteReader r(bytes);
  std::uint16_t width = 0, height = 0;
  if (bytes.size() < pixels || !r.Seek(at) || !r.Read(width) || !r.Read(height)) return std::nullopt;
  return ImageLayout{width, height, pixels};
}

}  // namespace

std::optional<ImageLayout> ReadImaHeader(std::span<const std::uint8_t> bytes) { return SizeAt(bytes, 0, 4); }

std::optional<ImageLayout> ReadTga16Header(std::span<const std::uint8_t> bytes) { return SizeAt(bytes, 12, 18); }

bool HoldsAllPixels(const ImageLayout& layout, std::size_t size) {
  const std::uint64_t need = layout.pixelOffset + std::uint64_t{layout.width} * layout.height * 2;
  return need <= size;
}

void CopyImageRows(const ImageLayout& layout, std::span<const std::uint8_t> bytes, std::uint8_t* surface, long pitch,
                   std::uint32_t width, std::uint32_t height, PixelConversion conversion) {
  const std::uint32_t cols = std::min(width, layout.width);
  const std::uint32_t rows = std::min(height, layout.height);
  for (std::uint32_t r = 0; r < rows; ++r) {
    const auto src = bytes.subspan(layout.pixelOffset + std::size_t{r} * layout.width * 2, std::size_t{cols} * 2);
    std::uint8_t* dst = surface + static_cast<std::ptrdiff_t>(height - 1 - r) * pitch;
    for (std::uint32_t c = 0; c < cols; ++c) {
      auto p = plat::DecodeLE<std::uint16_t>(src.subspan(std::size_t{c} * 2).first<2>());
      if (conversion == PixelConversion::To555) p = Pixel565To555(p);
      if (conversion == PixelConversion::To565) p = Pixel555To565(p);
      const auto out = plat::EncodeLE(p);
      std::copy(out.begin(), out.end(), dst + std::size_t{c} * 2);
    }
  }
}
