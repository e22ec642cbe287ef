// The unit pictures: per guild and unit class, the guild's hull seen from the
// seventeen view codes the 3D views pick by angle, drawn by the picture maker
// into a 64 x 64 texture. The codes drawn mirrored also get the mirrored texture
// (".xtx") beside the plain one (".ptx").
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "tools/content3d/content3d.h"

namespace content3d {
namespace {

constexpr std::uint32_t kSide = kUnitPictureSide;

}  // namespace

// Code 10 from above, 14 from below, else rows of 45 degrees (codes 1-3, 6-8,
// ...) and headings in steps of 45 degrees from the bow (codes 1, 6, 11, ...).
// The level row is drawn from a little above: a hull seen exactly edge-on
// shows only its thin profile, and the views show that row whenever the
// camera looks across the plane the ships fly in.
constexpr float kLevelRowElevation = 0.45f;

std::array<float, 3> ViewCodeDirection(int code) {
  if (code == 10) return {0, 0, 1};
  if (code == 14) return {0, 0, -1};
  const int row = (code - 1) % 5;
  const float elevation = row == 1 ? kLevelRowElevation : (1 - static_cast<float>(row)) * 0.785398f;
  const float heading = static_cast<float>((code - 1) / 5) * 0.785398f;
  return {std::cos(elevation) * std::cos(heading), std::cos(elevation) * std::sin(heading), std::sin(elevation)};
}

namespace {

// A rim of dim trim one texel wide around the hull's silhouette, so that a
// ship drawn a few pixels tall still stands out from dark space in its
// guild's glow.
constexpr std::uint8_t kHaloTexel = kTrimTexel + 12;

Image Haloed(const Image& texels) {
  Image out = texels;
  const auto side = static_cast<int>(kSide);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      if (texels[y * side + x] != 0) continue;
      bool edge = false;
      for (int dy = -1; dy <= 1 && !edge; ++dy)
        for (int dx = -1; dx <= 1 && !edge; ++dx) {
          const int nx = x + dx, ny = y + dy;
          edge = nx >= 0 && ny >= 0 && nx < side && ny < side && texels[ny * side + nx] != 0;
        }
      if (edge) out[y * side + x] = kHaloTexel;
    }
  return out;
}

Image Mirrored(const Image& texels) {
  Image out(texels.size());
  for (std::uint32_t y = 0; y < kSide; ++y)
    for (std::uint32_t x = 0; x < kSide; ++x) out[y * kSide + x] = texels[y * kSide + (kSide - 1 - x)];
  return out;
}

// The guilds' plates (their hue over grey) and trim (their glow), as the 2D
// ship pictures colour them.
Image GuildPalette(std::uint32_t guild) {
  static constexpr float kPlate[5][3] = {{0.60f, 0.33f, 0.32f},
                                         {0.31f, 0.52f, 0.40f},
                                         {0.33f, 0.39f, 0.61f},
                                         {0.60f, 0.52f, 0.32f},
                                         {0.54f, 0.34f, 0.54f}};
  static constexpr float kGlow[5][3] = {
      {1, 0.35f, 0.2f}, {0.3f, 0.95f, 0.45f}, {0.35f, 0.55f, 1}, {1, 0.8f, 0.3f}, {0.9f, 0.4f, 0.95f}};
  std::vector<SGPalEntry> colours(256, SGPalEntry{0, 0, 0, 0});
  for (std::uint32_t i = 1; i < 256; ++i) {
    const bool trim = i >= kTrimTexel;
    // Brightness within the band, the plates' lit faces brightened towards white.
    const float t = trim ? 0.35f + 0.65f * static_cast<float>(i - kTrimTexel) / static_cast<float>(255 - kTrimTexel)
                         : static_cast<float>(i) / static_cast<float>(kTrimTexel - 1);
    const float* tint = trim ? kGlow[guild] : kPlate[guild];
    auto ch = [&](int c) {
      const float lit = 1.6f * t * tint[c] + (trim ? 0.25f : 0.2f) * t * t;
      return static_cast<std::uint8_t>(std::min(255.f, 255.f * lit));
    };
    colours[i] = SGPalEntry{ch(0), ch(1), ch(2), 0};
  }
  return sgdata::MakePalette(colours);
}

}  // namespace

const std::array<int, 17>& ViewCodes() {
  static constexpr std::array<int, 17> kCodes = {1, 2, 3, 6, 7, 8, 10, 11, 12, 13, 14, 16, 17, 18, 21, 22, 23};
  return kCodes;
}

bool ViewCodeMirrored(int code) { return code != 10 && code != 14 && (code - 1) / 5 >= 1 && (code - 1) / 5 <= 3; }

Image PlaceholderPicture(const Mesh&, const std::array<float, 3>&) {
  Image out(kSide * kSide, 0);
  for (std::uint32_t y = 0; y < kSide; ++y)
    for (std::uint32_t x = 0; x < kSide; ++x) {
      const int dx = static_cast<int>(2 * x + 1) - static_cast<int>(kSide),
                dy = static_cast<int>(2 * y + 1) - static_cast<int>(kSide);
      if (dx * dx + dy * dy < static_cast<int>(kSide * kSide) / 2) out[y * kSide + x] = 150;
    }
  return out;
}

void AddUnitPictures(std::vector<Asset>* out, const PictureMaker& maker) {
  static constexpr const char* kBases[12] = {"genp", "usta", "asta", "usct", "asct", "uasl",
                                             "aasl", "cons", "dest", "crus", "batt", "reck"};
  // The views show a mirrored code by mirroring its ".xtx" picture: it holds
  // the hull seen from the other side (lit from the same side as every other
  // picture), mirrored, so that mirroring it back shows that side.
  std::vector<Image> pictures, across;
  for (std::uint32_t guild = 0; guild < 5; ++guild)
    for (std::uint32_t c = 0; c < 12; ++c) {
      const Mesh hull = MakeHullMesh(guild, c);
      for (const int code : ViewCodes()) {
        const auto toCamera = ViewCodeDirection(code);
        pictures.push_back(Haloed(maker(hull, toCamera)));
        across.push_back(
            ViewCodeMirrored(code) ? Mirrored(Haloed(maker(hull, {toCamera[0], -toCamera[1], toCamera[2]}))) : Image());
      }
    }
  std::size_t at = 0;
  for (std::uint32_t guild = 0; guild < 5; ++guild) {
    const std::string dir = "GUILD" + std::to_string(guild + 1) + "\\";
    const std::string palette = dir + "units.pal";
    out->push_back({palette, kPalette, GuildPalette(guild)});
    for (std::uint32_t c = 0; c < 12; ++c) {
      for (const int code : ViewCodes()) {
        char stem[16];
        std::snprintf(stem, sizeof stem, "%s%u0%02d", kBases[c], guild + 1, code);
        const Image& texels = pictures[at];
        const Image& other = across[at++];
        auto texture = [&](const Image& t) {
          return sgdata::MakePalettedTextureFile(SG_TXM_FORMAT_PAL8 | SG_TXM_PALETTE_FILE, kSide, kSide, t, t,
                                                 "3DDATA\\" + palette);
        };
        out->push_back({dir + stem + ".ptx", kTexture, texture(texels)});
        if (ViewCodeMirrored(code)) out->push_back({dir + stem + ".xtx", kTexture, texture(other)});
        out->push_back({dir + stem + ".mat", kMaterial,
                        MakeMaterial(SG_MAT_TYPE_TRANSPARENT_TEXTURE, 0xFFFFFFFF, "3DDATA\\" + dir + stem + ".ptx")});
      }
    }
  }
}

}  // namespace content3d
