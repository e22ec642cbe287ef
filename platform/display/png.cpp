#include <png.h>

#include <cstring>

#include "platform/display/backend.h"

namespace plat {

bool WritePng(const std::filesystem::path& path, const Image& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    return false;
  std::vector<png_byte> bytes(image.rgb.size() * 3);
  for (std::size_t i = 0; i < image.rgb.size(); ++i) {
    bytes[i * 3] = static_cast<png_byte>(image.rgb[i] >> 16);
    bytes[i * 3 + 1] = static_cast<png_byte>(image.rgb[i] >> 8);
    bytes[i * 3 + 2] = static_cast<png_byte>(image.rgb[i]);
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  const bool ok = png_image_write_to_file(&png, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
  png_image_free(&png);
  return ok;
}

std::optional<Image> ReadPng(const std::filesystem::path& path) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return std::nullopt;
  png.format = PNG_FORMAT_RGB;
  std::vector<png_byte> bytes(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr)) {
    png_image_free(&png);
    return std::nullopt;
  }
  Image img;
  img.width = static_cast<int>(png.width);
  img.height = static_cast<int>(png.height);
  img.rgb.resize(static_cast<std::size_t>(img.width) * img.height);
  for (std::size_t i = 0; i < img.rgb.size(); ++i)
    img.rgb[i] = (static_cast<std::uint32_t>(bytes[i * 3]) << 16) |
                 (static_cast<std::uint32_t>(bytes[i * 3 + 1]) << 8) | bytes[i * 3 + 2];
  return img;
}

}  // namespace plat
