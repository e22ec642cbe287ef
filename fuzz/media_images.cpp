// ".ima" and 16-bit TGA image resources onto a surface of any size: a header
// is refused or promises pixels that the copy then finds within the bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "media/ImaImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the surface; the rest is the resource.
  const std::uint32_t width = data[0] % 64 + 1, height = data[1] % 64 + 1;
  const std::span<const std::uint8_t> bytes(data + 2, size - 2);
  std::vector<std::uint8_t> surface(static_cast<std::size_t>(width) * height * 2);
  for (auto read : {&ReadImaHeader, &ReadTga16Header}) {
    const auto layout = read(bytes);
    if (!layout || !HoldsAllPixels(*layout, bytes.size())) continue;
    for (auto conversion : {PixelConversion::None, PixelConversion::To555, PixelConversion::To565})
      CopyImageRows(*layout, bytes, surface.data(), static_cast<long>(width * 2), width, height, conversion);
  }
  return 0;
}
