#include <cmath>
#include <stdexcept>

#include "tools/sgdata/sgdata.h"

namespace sgdata {
namespace {

std::uint8_t Log2(std::uint32_t v) {
  std::uint8_t n = 0;
  while ((1u << n) < v) {
    ++n;
  }
  if ((1u << n) != v) {
    throw std::invalid_argument("texture sizes must be powers of two");
  }
  return n;
}

}  // namespace

Image MakeBinTexture(std::uint32_t width, std::uint32_t height, std::uint8_t firstIndex) {
  Image out = {Log2(width), Log2(height)};
  out.reserve(2 + static_cast<std::size_t>(width) * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const bool odd = ((x / 4) ^ (y / 4)) & 1;
      out.push_back(static_cast<std::uint8_t>(firstIndex + (odd ? 1 : 0)));
    }
  }
  return out;
}

Image MakePalette(const std::vector<SGPalEntry>& colours) {
  if (colours.empty() || colours.size() > 256) {
    throw std::invalid_argument("a palette holds 1 to 256 colours");
  }
  Image out = {static_cast<std::uint8_t>(colours.size() - 1)};
  for (const SGPalEntry& c : colours) {
    out.insert(out.end(), {c.red, c.green, c.blue, c.spare});
  }
  return out;
}

std::vector<SGPalEntry> Spectrum(std::uint32_t count) {
  std::vector<SGPalEntry> out(count, SGPalEntry{0, 0, 0, 0});
  for (std::uint32_t i = 1; i < count; ++i) {
    const double h = 6.0 * i / count;
    const auto channel = [h](double centre) {
      const double d = std::fabs(std::fmod(h - centre + 9.0, 6.0) - 3.0);
      return static_cast<std::uint8_t>(d >= 2.0 ? 255 : (d <= 1.0 ? 0 : 255 * (d - 1.0)));
    };
    out[i] = SGPalEntry{channel(3.0), channel(1.0), channel(5.0), 0};
  }
  return out;
}

Image MakePalettedTextureFile(std::uint32_t format, std::uint32_t width, std::uint32_t height,
                              const Image& frameIndices, const Image& ownIndices, const std::string& paletteName) {
  const std::size_t texels = static_cast<std::size_t>(width) * height;
  if (frameIndices.size() != texels || ownIndices.size() != texels) {
    throw std::invalid_argument("each texel block holds width x height indices");
  }
  SGTextureMap header{};
  header.txmFormat = format;
  header.txmSize.u[0] = width;
  header.txmSize.u[1] = height;
  header.txmPitch = width;
  Image out(SG_RECORD_SIZE);
  SGTextureHeaderWrite(&header, out.data());
  out.insert(out.end(), frameIndices.begin(), frameIndices.end());
  out.insert(out.end(), ownIndices.begin(), ownIndices.end());
  out.push_back('\n');
  out.insert(out.end(), paletteName.begin(), paletteName.end());
  out.push_back('\n');
  return out;
}

Image MakeMaterialFile(const SGMaterial& mat, const Image& shadeTable, const std::string& textureName) {
  if (shadeTable.size() != static_cast<std::size_t>(mat.matNumShades) * mat.matShadeRowSize) {
    throw std::invalid_argument("the shade table holds numShades x rowSize bytes");
  }
  Image out(SG_RECORD_SIZE);
  SGMaterialRecordWrite(&mat, !textureName.empty(), out.data());
  out.insert(out.end(), shadeTable.begin(), shadeTable.end());
  // The name runs to the end of the file: no line end follows it.
  out.insert(out.end(), textureName.begin(), textureName.end());
  return out;
}

}  // namespace sgdata
