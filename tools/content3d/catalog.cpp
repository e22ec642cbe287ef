// What the 3D views load, by directory below the 3D data path. Every texture
// has its own palette file and takes one of the sizes that have fills.
#include <array>
#include <cstdio>
#include <string>

#include "tools/content3d/content3d.h"

namespace content3d {
namespace {

class Catalog {
 public:
  void Model(const std::string& path, const Mesh& mesh) { Add(path, kModel, MakeMeshModelFile(mesh)); }

  // A material list: one material file name a line, CR LF line ends.
  void List(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    Add(path, kList, Image(text.begin(), text.end()));
  }

  // `dir` + `stem` + ".mat" with its texture ".ptx" and palette ".pal" beside it.
  void Textured(const std::string& dir, const std::string& stem, std::uint32_t type, Look look, std::uint32_t colour) {
    const std::uint32_t seed = seed_++;
    const auto [w, h] = look == Look::kGlow ? kGlowSize : sgdata::kFillSizes[seed % sgdata::kFillSizes.size()];
    const std::string texture = dir + stem + ".ptx";
    const std::string palette = dir + stem + ".pal";
    Add(palette, kPalette, MakeTexturePalette(look, seed));
    Add(texture, kTexture, MakeTexture(look, w, h, seed, "3DDATA\\" + palette));
    Material(dir + stem + ".mat", type, colour, "3DDATA\\" + texture);
  }

  // As Textured with the glow look, in one colour instead of the look's.
  void TintedGlow(const std::string& dir, const std::string& stem, const std::array<std::uint8_t, 3>& rgb,
                  bool whiteCore) {
    const std::uint32_t seed = seed_++;
    const auto [w, h] = kGlowSize;
    const std::string texture = dir + stem + ".ptx";
    const std::string palette = dir + stem + ".pal";
    Add(palette, kPalette, MakeGlowPalette(rgb[0], rgb[1], rgb[2], whiteCore));
    Add(texture, kTexture, MakeTexture(Look::kGlow, w, h, seed, "3DDATA\\" + palette));
    Material(dir + stem + ".mat", SG_MAT_TYPE_TRANSPARENT_TEXTURE, 0, "3DDATA\\" + texture);
  }

  // A rendered picture (kUnitPictureSide squared brightness texels) as
  // `dir` + `stem` + ".mat" with its texture and a rock palette.
  void Picture(const std::string& dir, const std::string& stem, const Image& texels) {
    const std::uint32_t seed = seed_++;
    const std::string texture = dir + stem + ".ptx";
    const std::string palette = dir + stem + ".pal";
    Add(palette, kPalette, MakeTexturePalette(Look::kRock, seed));
    Add(texture, kTexture,
        sgdata::MakePalettedTextureFile(SG_TXM_FORMAT_PAL8 | SG_TXM_PALETTE_FILE, kUnitPictureSide, kUnitPictureSide,
                                        texels, texels, "3DDATA\\" + palette));
    Material(dir + stem + ".mat", SG_MAT_TYPE_TRANSPARENT_TEXTURE, 0xFFFFFFFF, "3DDATA\\" + texture);
  }

  void Material(const std::string& path, std::uint32_t type, std::uint32_t colour, const std::string& texture = "") {
    Add(path, kMaterial, MakeMaterial(type, colour, texture));
  }

  std::vector<Asset> Take() { return std::move(assets_); }

 private:
  void Add(const std::string& path, std::uint32_t type, Image data) {
    assets_.push_back({path, type, std::move(data)});
  }

  std::vector<Asset> assets_;
  std::uint32_t seed_ = 1;
};

// The guilds' colours, guild 0 to 4, as their lines and cursors have them.
constexpr std::array<std::array<std::uint8_t, 3>, 5> kGuildColours = {
    {{255, 40, 40}, {40, 255, 60}, {60, 90, 255}, {255, 255, 40}, {255, 60, 255}}};

std::string Two(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

// Colour words: palette index in byte 0, then blue, green, red.
constexpr std::uint32_t Colour(std::uint8_t index, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return index | (std::uint32_t{b} << 8) | (std::uint32_t{g} << 16) | (std::uint32_t{r} << 24);
}

}  // namespace

std::vector<Asset> MakeCatalog(const PictureMaker& maker) {
  Catalog c;
  // Billboards by size, galaxy to small.
  c.Model("BBGalaxy.mdl", MakeQuad(20.f));
  c.Model("BBHuge.mdl", MakeQuad(4.f));
  c.Model("BBLarge.mdl", MakeQuad(2.f));
  c.Model("BBMedium.mdl", MakeQuad(1.f));
  c.Model("BBSmall.mdl", MakeQuad(0.5f));

  // Asteroids: fifteen models, sixteen rocky materials, sixteen pictures.
  for (int i = 1; i <= 15; ++i) {
    c.Model("asteroid\\3dAst\\aster" + std::to_string(i) + ".mdl", MakeRock(1.f, static_cast<std::uint32_t>(i)));
    c.List("asteroid\\3dAst\\aster" + std::to_string(i) + ".lst", {"ast" + Two((i - 1) % 16 + 1) + ".mat"});
  }
  for (int i = 1; i <= 16; ++i) {
    c.Textured("asteroid\\3dAst\\", "ast" + Two(i), SG_MAT_TYPE_TEXTURE, Look::kRock, Colour(0, 150, 130, 110));
    // The solar view's picture of the asteroid: its model drawn from above the
    // orbit plane, on the rock's colours.
    const Mesh rock = MakeRock(1.f, static_cast<std::uint32_t>((i - 1) % 15 + 1));
    const std::array<float, 3> view = {0.45f, -0.55f, 0.7f};
    c.Picture("asteroid\\PreRend\\", "ast" + Two(i) + "_ds", maker(rock, view));
  }

  // Suns, and the fallback material of every missing list entry.
  c.Textured("sun\\", "sun0", SG_MAT_TYPE_TRANSPARENT_TEXTURE, Look::kGlow, Colour(0, 255, 230, 120));
  c.Textured("sun\\", "sun1", SG_MAT_TYPE_TRANSPARENT_TEXTURE, Look::kGlow, Colour(0, 255, 160, 80));

  // Halos: the cube with its list, and the billboard and cube materials.
  // The cube carries its owner on hard point 0, at its middle.
  Mesh cube = MakeBox(1.f, 1.f, 1.f);
  cube.hardPoints = {{0.f, 0.f, 0.f}};
  c.Model("halos\\cube.mdl", cube);
  c.List("halos\\cube.lst", {"cube0.mat"});
  for (const char* stem : {"halo", "FiltHalo", "cubesel", "cubeuns", "sel", "uns", "cube0"})
    c.Textured("halos\\", stem, SG_MAT_TYPE_TRANSPARENT_TEXTURE, Look::kGlow, Colour(0, 200, 200, 255));
  // A chapter's cube glows in its guild's colour, the local chapter's own
  // with a white core.
  for (int g = 1; g <= 5; ++g) {
    const auto& colour = kGuildColours[g - 1];
    c.TintedGlow("halos\\", "cube" + std::to_string(g), colour, false);
    c.TintedGlow("halos\\", "cube" + std::to_string(g) + "_me", colour, true);
  }

  // Grid and lines, with the guild colours as flat materials.
  c.Model("grid\\redogrid.mdl", MakeBox(4.f, 4.f, 0.01f));
  c.List("grid\\redogrid.lst", {"grid.mat"});
  c.Textured("grid\\", "grid", SG_MAT_TYPE_TRANSPARENT_TEXTURE, Look::kGrid, Colour(0, 60, 90, 160));
  c.Model("grid\\line.mdl", MakeBox(0.5f, 0.01f, 0.01f));
  c.List("grid\\line.lst", {"##white.mat"});
  static constexpr struct {
    const char* name;
    std::uint8_t r, g, b;
    std::uint8_t index;  // the brightest of the colour's ramp in the scene palette
  } kLineColours[] = {{"##red.mat", 255, 40, 40, 80},      {"##green.mat", 40, 255, 60, 120},
                      {"##blue.mat", 60, 90, 255, 160},    {"##yellow.mat", 255, 255, 40, 200},
                      {"##magnta.mat", 255, 60, 255, 240}, {"##white.mat", 255, 255, 255, 40}};
  for (const auto& lc : kLineColours)
    c.Material(std::string("grid\\") + lc.name, SG_MAT_TYPE_FLAT, Colour(lc.index, lc.r, lc.g, lc.b));

  // The shield effect and the two projectiles.
  Mesh shield = MakeBox(1.f, 1.f, 1.f);
  shield.hardPoints = {{0.f, 0.f, 0.f}};
  c.Model("effects\\sh-efx.mdl", shield);
  c.List("effects\\sh-efx.lst", {"shield.mat"});
  c.Textured("effects\\", "shield", SG_MAT_TYPE_TRANSPARENT_TEXTURE, Look::kGlow, 0);
  for (const char* p : {"dshg3_p", "rdml1_p"}) {
    c.Model(std::string("project\\") + p + ".mdl", MakeBox(1.f, 0.2f, 0.2f));
    c.List(std::string("project\\") + p + ".lst", {std::string(p) + ".mat"});
    c.Textured("project\\", p, SG_MAT_TYPE_TEXTURE, Look::kGlow, 0);
  }
  auto assets = c.Take();
  AddUnitPictures(&assets, maker);
  AddEffects(&assets);
  return assets;
}

}  // namespace content3d
