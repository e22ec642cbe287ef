#include "tools/art/imagefiles.h"

#include <stdexcept>
#include <utility>

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

namespace {

// The DIB of one icon or cursor picture: a BITMAPINFOHEADER with the height
// doubled for the mask, 32-bit rows bottom first, then the AND mask (set where
// alpha is below half).
std::vector<std::uint8_t> IconPicture(const Pixels& image) {
  const std::size_t maskStride = ((static_cast<std::size_t>(image.width) + 31) / 32) * 4;
  const auto colourBytes = static_cast<std::uint32_t>(image.width * image.height * 4);
  const auto maskBytes = static_cast<std::uint32_t>(maskStride * image.height);
  plat::ByteWriter w;
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

void CheckSize(const Pixels& image, int limit) {
  if (image.width <= 0 || image.height <= 0 || image.width > limit || image.height > limit ||
      image.argb.size() != static_cast<std::size_t>(image.width) * image.height) {
    throw std::invalid_argument("icon or cursor size does not match its pixels");
  }
}

// The file: header, one directory entry per picture (the two u16 fields are the
// hot spot of a cursor, planes and bit count of an icon), then the pictures.
std::vector<std::uint8_t> IconFile(std::uint16_t type, const std::vector<Pixels>& images,
                                   const std::vector<std::pair<std::uint16_t, std::uint16_t>>& fields) {
  plat::ByteWriter w;
  w.U16(0);
  w.U16(type);
  w.U16(static_cast<std::uint16_t>(images.size()));
  std::vector<std::vector<std::uint8_t>> pictures;
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    pictures.push_back(IconPicture(images[i]));
    w.U8(static_cast<std::uint8_t>(images[i].width));  // 256 is stored as 0
    w.U8(static_cast<std::uint8_t>(images[i].height));
    w.U8(0);
    w.U8(0);
    w.U16(fields[i].first);
    w.U16(fields[i].second);
    w.U32(static_cast<std::uint32_t>(pictures.back().size()));
    w.U32(offset);
    offset += static_cast<std::uint32_t>(pictures.back().size());
  }
  for (const auto& p : pictures) w.WriteBytes(p);
  return w.Take();
}

}  // namespace

std::vector<std::uint8_t> EncodeCursor(const Pixels& image, int hotX, int hotY) {
  CheckSize(image, 255);
  if (hotX < 0 || hotY < 0 || hotX >= image.width || hotY >= image.height) {
    throw std::invalid_argument("cursor hot spot outside the picture");
  }
  return IconFile(2, {image}, {{static_cast<std::uint16_t>(hotX), static_cast<std::uint16_t>(hotY)}});
}

std::vector<std::uint8_t> EncodeIcon(const std::vector<Pixels>& sizes) {
  if (sizes.empty()) throw std::invalid_argument("an icon needs a picture");
  for (const Pixels& p : sizes) CheckSize(p, 256);
  return IconFile(1, sizes, std::vector<std::pair<std::uint16_t, std::uint16_t>>(sizes.size(), {1, 32}));
}

std::string ResourceLine(const std::string& name, const std::string& type, const std::string& file) {
  auto quoted = [](const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
      if (c == '"')
        q += "\"\"";
      else if (c == '\\')
        q += "\\\\";
      else
        q += c;
    }
    return q + "\"";
  };
  return quoted(name) + " " + type + " " + quoted(file) + "\n";
}

}  // namespace art
