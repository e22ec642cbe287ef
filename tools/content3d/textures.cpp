// Textures and palettes: value noise from a fixed seed, shaded through a
// palette of the look's colours.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "tools/content3d/content3d.h"

namespace content3d {
namespace {

std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  return h ^ (h >> 15);
}

// Smooth noise in [0, 1) over a lattice of `cell` texels that wraps at the
// texture's size, so the texture tiles.
float Noise(std::uint32_t x, std::uint32_t y, std::uint32_t cell, std::uint32_t w, std::uint32_t h,
            std::uint32_t seed) {
  const std::uint32_t cx = w / cell ? w / cell : 1, cy = h / cell ? h / cell : 1;
  const std::uint32_t gx = x / cell, gy = y / cell;
  const float fx = static_cast<float>(x % cell) / static_cast<float>(cell);
  const float fy = static_cast<float>(y % cell) / static_cast<float>(cell);
  auto at = [&](std::uint32_t i, std::uint32_t j) {
    return static_cast<float>(Hash(i % cx, j % cy, seed) & 0xFFFF) / 65536.f;
  };
  const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const float top = at(gx, gy) + (at(gx + 1, gy) - at(gx, gy)) * sx;
  const float bottom = at(gx, gy + 1) + (at(gx + 1, gy + 1) - at(gx, gy + 1)) * sx;
  return top + (bottom - top) * sy;
}

std::uint8_t Channel(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.f, 255.f)); }

}  // namespace

Image MakeTexturePalette(Look look, std::uint32_t seed) {
  std::vector<SGPalEntry> colours(256);
  // A per-seed tint keeps the rocks and suns apart from one another.
  const float tint = static_cast<float>(Hash(seed, 7, 3) % 40) - 20.f;
  for (std::uint32_t i = 0; i < 256; ++i) {
    const float t = static_cast<float>(i) / 255.f;
    switch (look) {
      case Look::kRock:
        colours[i] = SGPalEntry{Channel(40 + 150 * t + tint), Channel(35 + 130 * t), Channel(30 + 110 * t - tint), 0};
        break;
      case Look::kGlow:
        colours[i] = SGPalEntry{Channel(255 * std::sqrt(t)), Channel(230 * t + tint), Channel(160 * t * t), 0};
        break;
      case Look::kSolid:
        colours[i] = SGPalEntry{Channel(255 * t), Channel(255 * t), Channel(255 * t), 0};
        break;
      case Look::kGrid:
        colours[i] = SGPalEntry{Channel(110 * t), Channel(160 * t), Channel(255 * t), 0};
        break;
    }
  }
  return sgdata::MakePalette(colours);
}

Image MakeGlowPalette(std::uint8_t red, std::uint8_t green, std::uint8_t blue, bool whiteCore) {
  std::vector<SGPalEntry> colours(256);
  for (std::uint32_t i = 0; i < 256; ++i) {
    const float t = static_cast<float>(i) / 255.f;
    // The glow's brightness in the colour; a white core, when asked, takes
    // over the brightest quarter.
    const float w = whiteCore ? std::clamp((t - 0.75f) * 4.f, 0.f, 1.f) : 0.f;
    auto channel = [&](std::uint8_t c) { return Channel((c * (1.f - w) + 255.f * w) * std::sqrt(t)); };
    colours[i] = SGPalEntry{channel(red), channel(green), channel(blue), 0};
  }
  return sgdata::MakePalette(colours);
}

Image MakeTexture(Look look, std::uint32_t width, std::uint32_t height, std::uint32_t seed,
                  const std::string& paletteName) {
  Image texels(static_cast<std::size_t>(width) * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      float v = 0.f;
      if (look == Look::kRock) {
        // Three octaves of noise with dark crater rims.
        v = 0.55f * Noise(x, y, std::max(width / 4, 1u), width, height, seed) +
            0.3f * Noise(x, y, std::max(width / 16, 1u), width, height, seed + 1) +
            0.15f * Noise(x, y, 2, width, height, seed + 2);
        v = v < 0.35f ? v * 0.6f : v;
      } else if (look == Look::kGlow) {
        // Bright at the centre, fading to black at the rim: a billboard disc.
        const float dx = (static_cast<float>(x) + 0.5f) / static_cast<float>(width) * 2 - 1;
        const float dy = (static_cast<float>(y) + 0.5f) / static_cast<float>(height) * 2 - 1;
        const float r = std::sqrt(dx * dx + dy * dy);
        v = std::max(0.f, 1.f - r) * (0.8f + 0.2f * Noise(x, y, 4, width, height, seed));
      } else if (look == Look::kGrid) {
        v = x % 8 == 0 || y % 8 == 0 ? 0.9f : 0.f;
      } else {
        v = 0.75f;
      }
      texels[static_cast<std::size_t>(y) * width + x] = Channel(v * 255.f);
    }
  }
  return sgdata::MakePalettedTextureFile(SG_TXM_FORMAT_PAL8 | SG_TXM_PALETTE_FILE, width, height, texels, texels,
                                         paletteName);
}

Image MakeMaterial(std::uint32_t type, std::uint32_t colour, const std::string& texture) {
  SGMaterial mat{};
  mat.matType = type;
  mat.matColour = colour;
  mat.matAmbient = 0.2f;
  mat.matDiffuse = 0.8f;
  return sgdata::MakeMaterialFile(mat, {}, texture);
}

std::string MakeSceneFile() {
  // 16 x 16 pages of 2048 units: the world spans 32768 units a side, wider
  // than any position the solar and asteroid views place objects at.
  return "Quenbar\r\nSTART\r\npalette.dat 2048.0 0.0 17 0.0 16 16\r\n";
}

Image MakeScenePalette() {
  // Ramps of grey and of the five guild colours, 40 shades each, black first.
  static constexpr float kHues[6][3] = {{1, 1, 1},       {1, 0.2f, 0.2f}, {0.2f, 1, 0.3f},
                                        {0.3f, 0.4f, 1}, {1, 1, 0.2f},    {1, 0.3f, 1}};
  std::vector<SGPalEntry> colours(256, SGPalEntry{0, 0, 0, 0});
  for (std::uint32_t i = 1; i < 241; ++i) {
    const std::uint32_t ramp = (i - 1) / 40;
    const float t = static_cast<float>((i - 1) % 40 + 1) / 40.f;
    colours[i] = SGPalEntry{Channel(255 * t * kHues[ramp][0]), Channel(255 * t * kHues[ramp][1]),
                            Channel(255 * t * kHues[ramp][2]), 0};
  }
  for (std::uint32_t i = 241; i < 256; ++i) colours[i] = SGPalEntry{255, 255, 255, 0};
  return sgdata::MakePalette(colours);
}

}  // namespace content3d
