#include "media/ImaImage.h"

#include <algorithm>

namespace {

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

}  // namespace

std::optional<ImageLayout> ReadImaHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  return ImageLayout{U16(bytes, 0), U16(bytes, 2), 4};
}

std::optional<ImageLayout> ReadTga16Header(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 18) return std::nullopt;
  return ImageLayout{U16(bytes, 12), U16(bytes, 14), 18};
}

bool HoldsAllPixels(const ImageLayout& layout, std::size_t size) {
  const std::uint64_t need = layout.pixelOffset + std::uint64_t{layout.width} * layout.height * 2;
  return need <= size;
}

void CopyImageRows(const ImageLayout& layout, std::span<const std::uint8_t> bytes, std::uint8_t* surface,
                   long pitch, std::uint32_t width, std::uint32_t height, PixelConversion conversion) {
  const std::uint32_t cols = std::min(width, layout.width);
  const std::uint32_t rows = std::min(height, layout.height);
  for (std::uint32_t r = 0; r < rows; ++r) {
    const std::uint8_t* src = bytes.data() + layout.pixelOffset + std::size_t{r} * layout.width * 2;
    std::uint8_t* dst = surface + static_cast<std::ptrdiff_t>(height - 1 - r) * pitch;
    for (std::uint32_t c = 0; c < cols; ++c) {
      std::uint16_t p = static_cast<std::uint16_t>(src[c * 2] | (src[c * 2 + 1] << 8));
      if (conversion == PixelConversion::To555) p = Pixel565To555(p);
      if (conversion == PixelConversion::To565) p = Pixel555To565(p);
      dst[c * 2] = static_cast<std::uint8_t>(p);
      dst[c * 2 + 1] = static_cast<std::uint8_t>(p >> 8);
    }
  }
}
