#include "tools/art/imagefiles.h"

#include <stdexcept>

#include "platform/core/bytes.h"

namespace art {

std::vector<std::uint8_t> EncodeIma(const Pixels& image) {
  if (image.width <= 0 || image.height <= 0 || image.width > 0xFFFF || image.height > 0xFFFF ||
      image.argb.size() != static_cast<std::size_t>(image.width) * image.height) {
    throw std::invalid_argument("image size does not match its pixels");
  }
  plat::ByteWriter w;
  w.U16(static_cast<std::uint16_t>(image.width));
  w.U16(static_cast<std::uint16_t>(image.height));
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      std::uint32_t p = image.argb[static_cast<std::size_t>(y) * image.width + x];
      std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      w.U16(static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)));
    }
  }
  return w.Take();
}

std::vector<std::uint8_t> EncodeCursor(const Pixels& image, int hotX, int hotY) {
  if (image.width <= 0 || image.height <= 0 || image.width > 255 || image.height > 255 ||
      image.argb.size() != static_cast<std::size_t>(image.width) * image.height) {
    throw std::invalid_argument("cursor size does not match its pixels");
  }
  if (hotX < 0 || hotY < 0 || hotX >= image.width || hotY >= image.height) {
    throw std::invalid_argument("cursor hot spot outside the picture");
  }
  const std::size_t maskStride = ((static_cast<std::size_t>(image.width) + 31) / 32) * 4;
  const std::uint32_t colourBytes = static_cast<std::uint32_t>(image.width * image.height * 4);
  const std::uint32_t maskBytes = static_cast<std::uint32_t>(maskStride * image.height);
  const std::uint32_t pictureBytes = 40 + colourBytes + maskBytes;

  plat::ByteWriter w;
  w.U16(0);  // reserved
  w.U16(2);  // cursor
  w.U16(1);  // one picture
  w.U8(static_cast<std::uint8_t>(image.width));
  w.U8(static_cast<std::uint8_t>(image.height));
  w.U8(0);
  w.U8(0);
  w.U16(static_cast<std::uint16_t>(hotX));
  w.U16(static_cast<std::uint16_t>(hotY));
  w.U32(pictureBytes);
  w.U32(22);  // the picture follows the one directory entry
  // BITMAPINFOHEADER with the height doubled for the mask
  w.U32(40);
  w.U32(static_cast<std::uint32_t>(image.width));
  w.U32(static_cast<std::uint32_t>(image.height * 2));
  w.U16(1);
  w.U16(32);
  w.U32(0);
  w.U32(colourBytes + maskBytes);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) w.U32(image.argb[static_cast<std::size_t>(y) * image.width + x]);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskStride, 0);
    for (int x = 0; x < image.width; ++x) {
      if ((image.argb[static_cast<std::size_t>(y) * image.width + x] >> 24) < 0x80) {
        row[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    w.WriteBytes(row);
  }
  return w.Take();
}

std::string ResourceLine(const std::string& name, const std::string& type, const std::string& file) {
  auto quoted = [](const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
      if (c == '"') q += "\"\"";
      else if (c == '\\') q += "\\\\";
      else q += c;
    }
    return q + "\"";
  };
  return quoted(name) + " " + type + " " + quoted(file) + "\n";
}

}  // namespace art
