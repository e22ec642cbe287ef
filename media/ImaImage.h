#pragma once
// The layouts of the 16-bit image resources: ".ima" (u16 width, u16 height,
// then 5-6-5 pixels, bottom row first) and 16-bit TGA (18-byte header with
// the width at 12 and the height at 14, then 1-5-5-5 pixels, bottom row
// first). Pure functions on bytes; any thread.

#include <cstdint>
#include <optional>
#include <span>

struct ImageLayout {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t pixelOffset = 0;  // where the bottom row starts
};

// The header of an image resource; nothing when it is too short for its header.
std::optional<ImageLayout> ReadImaHeader(std::span<const std::uint8_t> bytes);
std::optional<ImageLayout> ReadTga16Header(std::span<const std::uint8_t> bytes);
// Whether the bytes hold every pixel the header announces.
bool HoldsAllPixels(const ImageLayout& layout, std::size_t size);

// Pixel conversions between the two 16-bit formats.
constexpr std::uint16_t Pixel565To555(std::uint16_t p) {
  return static_cast<std::uint16_t>(((p >> 1) & 0x7FE0) + (p & 0x1F));
}
constexpr std::uint16_t Pixel555To565(std::uint16_t p) {
  return static_cast<std::uint16_t>((p & 0x1F) + ((p & 0x7FE0) << 1));
}

// Copies the image's rows onto a locked 16-bit surface of `width` x `height`
// (first stored row onto the surface's last row), converting 5-6-5 to 5-5-5 or
// 5-5-5 to 5-6-5 as asked. Where the image and surface sizes differ only the
// overlap is written, anchored at the bottom-left corner.
enum class PixelConversion { None, To555, To565 };
void CopyImageRows(const ImageLayout& layout, std::span<const std::uint8_t> bytes, std::uint8_t* surface, long pitch,
                   std::uint32_t width, std::uint32_t height, PixelConversion conversion);
