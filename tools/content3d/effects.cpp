// Flip-book effects: explosions and debris, shield effects per guild, and the
// suns' flares, each a series of numbered frame materials ("<base>01.mat" on)
// whose glowing ball grows and fades, all frames of a series on one palette.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/content3d/content3d.h"

namespace content3d {
namespace {

constexpr std::uint32_t kFrames = 8;
constexpr std::uint32_t kSide = 32;

Image Frame(std::uint32_t frame, std::uint32_t seed, std::uint32_t side) {
  const float t = static_cast<float>(frame) / static_cast<float>(kFrames - 1);
  const float radius = 0.35f + 0.6f * t;
  const float bright = 1.f - 0.75f * t;
  Image texels(static_cast<std::size_t>(side) * side);
  for (std::uint32_t y = 0; y < side; ++y) {
    for (std::uint32_t x = 0; x < side; ++x) {
      const float dx = (static_cast<float>(x) + 0.5f) / static_cast<float>(side) * 2 - 1;
      const float dy = (static_cast<float>(y) + 0.5f) / static_cast<float>(side) * 2 - 1;
      const float r = std::sqrt(dx * dx + dy * dy) / radius;
      // Ragged edge: a little per-texel noise from the seed.
      const float jitter = static_cast<float>((x * 73856093u ^ y * 19349663u ^ seed * 83492791u) % 100) / 400.f;
      const float v = std::max(0.f, 1.f - r + jitter) * bright;
      texels[static_cast<std::size_t>(y) * side + x] = static_cast<std::uint8_t>(std::clamp(v * 255.f, 0.f, 255.f));
    }
  }
  return texels;
}

void Series(const std::string& dir, const std::string& base, std::uint32_t seed, std::vector<Asset>* out,
            std::uint32_t side = kSide) {
  const std::string palette = dir + base + ".pal";
  out->push_back({palette, kPalette, MakeTexturePalette(Look::kGlow, seed)});
  for (std::uint32_t f = 0; f < kFrames; ++f) {
    char stem[64];
    std::snprintf(stem, sizeof stem, "%s%02u", base.c_str(), f + 1);
    const Image texels = Frame(f, seed, side);
    out->push_back({dir + stem + ".ptx", kTexture,
                    sgdata::MakePalettedTextureFile(SG_TXM_FORMAT_PAL8 | SG_TXM_PALETTE_FILE, side, side, texels,
                                                    texels, "3DDATA\\" + palette)});
    out->push_back({dir + stem + ".mat", kMaterial,
                    MakeMaterial(SG_MAT_TYPE_TRANSPARENT_TEXTURE, 0xFFFFFFFF, "3DDATA\\" + dir + stem + ".ptx")});
  }
}

}  // namespace

std::uint32_t EffectFrameCount() { return kFrames; }

void AddEffects(std::vector<Asset>* out) {
  std::uint32_t seed = 1000;
  for (const char* kind : {"exp", "rap"})
    for (int n = 1; n <= (kind[0] == 'e' ? 9 : 8); ++n)
      Series("explode\\", kind + std::to_string(n) + "00", seed++, out);
  Series("explode\\", "sdbr00", seed++, out);
  for (int g = 1; g <= 5; ++g)
    for (const char* base : {"@shld00", "nxef00"}) Series("g" + std::to_string(g) + "\\shieldfx\\", base, seed++, out);
  // The suns' flares cover much of the solar view: drawn from the glows' size.
  for (int star = 0; star < kFlareStars; ++star)
    Series("sun\\", "sflr" + std::to_string(star) + "0", seed++, out, kGlowSize.first);
  // The leech flash of the battle replays; its seeds come last so the series
  // above keep their pictures.
  for (int g = 1; g <= 5; ++g) Series("g" + std::to_string(g) + "\\shieldfx\\", "rshd00", seed++, out);
}

}  // namespace content3d
