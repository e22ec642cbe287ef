// The unit pictures: per guild and unit class, a hull seen from the seventeen
// view codes the 3D views pick by angle, drawn by the picture maker into a
// 64 x 64 texture. The codes drawn mirrored also get the mirrored texture
// (".xtx") beside the plain one (".ptx").
#include <array>
#include <cmath>
#include <cstdio>

#include "tools/content3d/content3d.h"

namespace content3d {
namespace {

constexpr std::uint32_t kSide = kUnitPictureSide;

}  // namespace

// Stations are squat, warships longer and slimmer the heavier their class,
// each with a bridge and engines; the wreck has lost its bridge and an engine.
Mesh MakeHullMesh(std::uint32_t unitClass) {
  const bool station = unitClass == 1 || unitClass == 2;
  const bool wreck = unitClass == 11;
  const float len = station ? 1.f : 1.2f + 0.14f * static_cast<float>(unitClass % 11);
  const float wid = station ? 1.f : 0.3f + 0.05f * static_cast<float>(unitClass % 5);
  const float high = station ? 0.5f : 0.2f + 0.03f * static_cast<float>(unitClass % 4);
  Mesh m;
  AppendBox(&m, {0, 0, 0}, {len / 2, wid / 2, high / 2});
  if (!wreck) AppendBox(&m, {-len * 0.1f, 0, high * 0.7f}, {len * 0.15f, wid * 0.25f, high * 0.25f});
  const int engines = station ? 0 : 1 + static_cast<int>(unitClass % 3);
  for (int e = 0; e < engines; ++e) {
    if (wreck && e == 0) continue;
    const float y = engines == 1 ? 0.f : wid * (0.8f * static_cast<float>(e) / static_cast<float>(engines - 1) - 0.4f);
    AppendBox(&m, {-len / 2, y, 0}, {0.12f, wid * 0.1f + 0.03f, high * 0.35f});
  }
  return m;
}

// Code 10 from above, 14 from below, else rows of 45 degrees (codes 1-3, 6-8,
// ...) and headings in steps of 45 degrees from the bow (codes 1, 6, 11, ...).
std::array<float, 3> ViewCodeDirection(int code) {
  if (code == 10) return {0, 0, 1};
  if (code == 14) return {0, 0, -1};
  const float elevation = (1 - static_cast<float>((code - 1) % 5)) * 0.785398f;
  const float heading = static_cast<float>((code - 1) / 5) * 0.785398f;
  return {std::cos(elevation) * std::cos(heading), std::cos(elevation) * std::sin(heading), std::sin(elevation)};
}

namespace {

Image Mirrored(const Image& texels) {
  Image out(texels.size());
  for (std::uint32_t y = 0; y < kSide; ++y)
    for (std::uint32_t x = 0; x < kSide; ++x) out[y * kSide + x] = texels[y * kSide + (kSide - 1 - x)];
  return out;
}

Image GuildPalette(std::uint32_t guild) {
  static constexpr float kTint[5][3] = {{1, 0.35f, 0.3f}, {0.35f, 1, 0.4f}, {0.4f, 0.5f, 1}, {1, 1, 0.35f}, {1, 0.4f, 1}};
  std::vector<SGPalEntry> colours(256, SGPalEntry{0, 0, 0, 0});
  for (std::uint32_t i = 1; i < 256; ++i) {
    const float t = static_cast<float>(i) / 255.f;
    // Grey hull plates with the guild's colour mixed in.
    auto ch = [&](int c) { return static_cast<std::uint8_t>(std::min(255.f, 255 * t * (0.55f + 0.45f * kTint[guild][c]))); };
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
      const int dx = static_cast<int>(2 * x + 1) - static_cast<int>(kSide), dy = static_cast<int>(2 * y + 1) - static_cast<int>(kSide);
      if (dx * dx + dy * dy < static_cast<int>(kSide * kSide) / 2) out[y * kSide + x] = 200;
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
  for (std::uint32_t c = 0; c < 12; ++c)
    for (const int code : ViewCodes()) {
      const auto toCamera = ViewCodeDirection(code);
      pictures.push_back(maker(MakeHullMesh(c), toCamera));
      across.push_back(ViewCodeMirrored(code) ? Mirrored(maker(MakeHullMesh(c), {toCamera[0], -toCamera[1], toCamera[2]}))
                                              : Image());
    }
  for (std::uint32_t guild = 0; guild < 5; ++guild) {
    const std::string dir = "GUILD" + std::to_string(guild + 1) + "\\";
    const std::string palette = dir + "units.pal";
    out->push_back({palette, kPalette, GuildPalette(guild)});
    std::size_t at = 0;
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
