#pragma once
// The game's 3D configuration for each test: one context, one 585 x 367 5-6-5
// frame buffer over a DirectDraw surface, one software renderer and a scene
// loaded from a generated description file, with a camera. Builders make
// boxes, billboards, textures and materials; frames are captured as pictures
// and compared whole with golden PNGs (QUEN_REFRESH_GOLDEN=1 rewrites them).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../fb/support/fbfixture.h"
#include "platform/display/backend.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/fb/lut.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/render/horizon.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "tests/support/golden.h"

namespace rendertest {

using namespace plat;

// 256 colours: 0 black, then 16 saturated hues (i % 16) in 16 brightnesses (i / 16).
inline std::vector<SGPalEntry> Colours() {
  std::vector<SGPalEntry> c(256);
  for (int i = 1; i < 256; ++i) {
    const float h = static_cast<float>(i % 16) / 16.f * 6.f;
    const float v = 0.35f + 0.65f * static_cast<float>(i / 16) / 15.f;
    const float f = h - std::floor(h);
    const float rgb[6][3] = {{1, f, 0}, {1 - f, 1, 0}, {0, 1, f}, {0, 1 - f, 1}, {f, 0, 1}, {1, 0, 1 - f}};
    const float* k = rgb[static_cast<int>(h) % 6];
    c[i].red = static_cast<std::uint8_t>(255.f * v * k[0]);
    c[i].green = static_cast<std::uint8_t>(255.f * v * k[1]);
    c[i].blue = static_cast<std::uint8_t>(255.f * v * k[2]);
  }
  return c;
}

// A colour table file of the scene description: count - 1, then 32-bit words.
inline std::vector<std::uint8_t> PaletteFile(std::uint32_t count) {
  std::vector<std::uint8_t> b{static_cast<std::uint8_t>(count - 1)};
  const auto colours = Colours();
  for (std::uint32_t i = 0; i < count; ++i) {
    b.push_back(colours[i % 256].red);
    b.push_back(colours[i % 256].green);
    b.push_back(colours[i % 256].blue);
    b.push_back(0);
  }
  return b;
}

inline const char* kSceneFile = "Scene for tests\nSTART\ncolours.pal 64.0 10.0 17 0.0 16 16\n";

// A texture of 8-bit texels: a checker of cells x cells squares in four
// colours (first, first + 9, + 18, + 27) inside a border of `border` (0 gives
// transparent edges to the transparent fills).
inline SGTextureMap* Texture(std::uint32_t w, std::uint32_t h, std::uint8_t first, std::uint8_t border,
                             std::uint32_t cells = 2) {
  auto* txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
  txm->txmFormat = SG_TXM_FORMAT_IDX8;
  txm->txmSize.u[0] = w;
  txm->txmSize.u[1] = h;
  txm->txmPitch = w;
  txm->txmRefCnt = 1;
  txm->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
  txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(static_cast<std::size_t>(w) * h));
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      const bool edge = x < w / 8 || y < h / 8 || x >= w - w / 8 || y >= h - h / 8;
      const auto cell = static_cast<std::uint8_t>((x * cells / w + 2 * (y * cells / h)) % 4);
      txm->txmInfo->tpiTexels[y * w + x] = edge ? border : static_cast<std::uint8_t>(first + cell * 9);
    }
  }
  return txm;
}

// A material of `type`; it takes over the texture's reference.
inline SGMaterial* Material(std::uint32_t type, std::uint8_t index, SGTextureMap* txm) {
  auto* mat = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
  mat->matType = type;
  const SGPalEntry c = Colours()[index];
  mat->matColour = index | (static_cast<std::uint32_t>(c.blue) << 8) | (static_cast<std::uint32_t>(c.green) << 16) |
                   (static_cast<std::uint32_t>(c.red) << 24);
  mat->matTexMap = txm;
  mat->matAmbient = 0.25f;
  mat->matDiffuse = 0.75f;
  mat->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
  return mat;
}

// A box of half extents hx, hy, hz about the origin: six sides of two
// triangles each, wound counter-clockwise seen from outside, side s using
// material s % materials, texture coordinates 0..1 over each side.
inline SGModel* Box(float hx, float hy, float hz, std::uint32_t materials) {
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  SGModelLod* lod = &m->modLods[0];
  SGModelSubTransform* mst = &lod->mdlRoot;
  mst->mstNumVerts = 8;
  mst->mstVerts = static_cast<SGPoint3s*>(SGCalloc(8, sizeof(SGPoint3s)));
  for (int i = 0; i < 8; ++i) {
    mst->mstVerts[i] = SGPoint3s{(i & 1) ? hx : -hx, (i & 2) ? hy : -hy, (i & 4) ? hz : -hz};
  }
  static constexpr std::uint32_t kSides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  static constexpr float kNormals[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
  mst->mstNumNormals = 6;
  mst->mstNormals = static_cast<SGPoint3s*>(SGCalloc(6, sizeof(SGPoint3s)));
  mst->mstNumUVs = 4;
  mst->mstUVs = static_cast<SGTexCoord*>(SGCalloc(4, sizeof(SGTexCoord)));
  mst->mstUVs[1] = SGTexCoord{1.f, 0.f};
  mst->mstUVs[2] = SGTexCoord{1.f, 1.f};
  mst->mstUVs[3] = SGTexCoord{0.f, 1.f};
  SGFaceList* fcl = ISGFaceListCreate();
  fcl->fclNumFaces = 12;
  fcl->fclFaces = static_cast<SGFace*>(SGCalloc(12, sizeof(SGFace)));
  for (std::uint32_t s = 0; s < 6; ++s) {
    mst->mstNormals[s] = SGPoint3s{kNormals[s][0], kNormals[s][1], kNormals[s][2]};
    std::uint32_t quad[4] = {kSides[s][0], kSides[s][1], kSides[s][2], kSides[s][3]};
    const SGPoint3s a = mst->mstVerts[quad[0]], b = mst->mstVerts[quad[1]], c = mst->mstVerts[quad[2]];
    const SGPoint3s n =
        ISGVector3sCross(SGPoint3s{b.x - a.x, b.y - a.y, b.z - a.z}, SGPoint3s{c.x - a.x, c.y - a.y, c.z - a.z});
    if (n.x * kNormals[s][0] + n.y * kNormals[s][1] + n.z * kNormals[s][2] < 0.f) {
      std::swap(quad[1], quad[3]);
    }
    const std::uint32_t tri[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (int t = 0; t < 2; ++t) {
      SGFace& f = fcl->fclFaces[2 * s + t];
      for (int k = 0; k < 3; ++k) {
        f.facVertIndex[k] = quad[tri[t][k]];
        f.facNormalIndex[k] = s;
        f.facUVIndex[k] = tri[t][k];
      }
      f.facMatIndex = s % materials;
    }
  }
  ISGGeoAppendFaces(lod, fcl);
  SGModelComputeBounds(m);
  return m;
}

// A billboard of numAz x numPolar images (material index polar x numAz + azimuth).
inline SGModel* Billboard(float halfWidth, float halfHeight, std::uint32_t numAz, std::uint32_t numPolar) {
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  SGBillboard* bil = ISGBillboardCreate();
  bil->bilHalfWidth = halfWidth;
  bil->bilHalfHeight = halfHeight;
  bil->bilNumAzimuth = numAz;
  bil->bilNumPolar = numPolar;
  bil->bilMatIndex = static_cast<std::uint32_t*>(SGCalloc(numAz * numPolar, sizeof(std::uint32_t)));
  for (std::uint32_t i = 0; i < numAz * numPolar; ++i) {
    bil->bilMatIndex[i] = i;
  }
  m->modLods[0].mdlData = ISGGeoNodeCreate(SG_GD_TYPE_BILLBOARD, bil);
  SGModelComputeBounds(m);
  return m;
}

// A 5-6-5 surface as an RGB picture (channels widened by bit replication); an
// 8-bit one seen through the test colours.
inline Image SurfaceImage(IDirectDrawSurface* surface) {
  const auto view = surface->Pixels();
  const auto colours = Colours();
  Image img;
  img.width = static_cast<int>(fbtest::kGameWidth);
  img.height = static_cast<int>(fbtest::kGameHeight);
  img.rgb.resize(static_cast<std::size_t>(img.width) * img.height);
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      if (view.bitCount == 8) {
        const SGPalEntry c = colours[view.bits[static_cast<std::size_t>(y) * view.pitch + x]];
        img.rgb[static_cast<std::size_t>(y) * img.width + x] =
            (static_cast<std::uint32_t>(c.red) << 16) | (static_cast<std::uint32_t>(c.green) << 8) | c.blue;
        continue;
      }
      const BYTE* at = view.bits + static_cast<std::size_t>(y) * view.pitch + static_cast<std::size_t>(x) * 2;
      const std::uint32_t p = at[0] | (static_cast<std::uint32_t>(at[1]) << 8);
      const std::uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
      img.rgb[static_cast<std::size_t>(y) * img.width + x] =
          (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
    }
  }
  return img;
}

// Compares a picture whole with tests/sg/render/data/<name>.png (refreshed on
// purpose with QUEN_REFRESH_GOLDEN=1, tests/support/refresh-goldens).
inline void ExpectGoldenImage(const std::string& name, const Image& frame) {
  EXPECT_TRUE(quentest::MatchesGolden(frame, std::filesystem::path(QUEN_TEST_DATA_DIR) / (name + ".png")));
}

class RenderTest : public fbtest::FrameBufferTest {
 protected:
  void SetUp() override {
    FrameBufferTest::SetUp();
    surface_ = OpenFrame();
    ASSERT_NE(fb_, nullptr);
    const auto colours = Colours();
    ASSERT_EQ(SGFrameBufferInstallPalette(fb_, colours.data(), 256), SG_ERROR_NONE);
    ASSERT_EQ(SGRendererCreate(ctx_, &rend_), SG_ERROR_NONE);
    SGRendererSetOptions(rend_, 1);
    SGRendererSetFrameBuffer(rend_, fb_);
    ASSERT_EQ(SGRendererEnableSoftwarePrimitives(rend_, 1), SG_ERROR_NONE);
    drive_.Write("colours.pal", PaletteFile(256));
    drive_.Write("Quenbar.con", std::string(kSceneFile));
    ASSERT_EQ(SGDataPathCreate(ctx_, "Q:\\", 0, &dp_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(ctx_, &scene_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneLoad(scene_, dp_, "Quenbar.con"), SG_ERROR_NONE);
    camera_ = NewInstance(SG_INST_TYPE_CAMERA);
    SGInstanceSetCamera(camera_, 45.f, 585.f / 367.f, 0.5f, 200.f);
    const std::int32_t origin[2] = {0, 0};
    const std::int32_t size[2] = {585, 367};
    SGInstanceSetViewport(camera_, origin, size);
    SGInstanceSetAttributes(camera_, SG_ATTR_NO_PICK | SG_ATTR_NO_LOS);
    LookFrom(0.0, -20.0, 0.0, 0.f, 1.f, 0.f);
    SGSceneAddInstance(scene_, camera_);
  }

  void TearDown() override {
    SGSceneDestroy(scene_);
    for (SGModel* m : models_) {
      SGModelFree(m);
    }
    for (SGMaterial* m : materials_) {
      SGMaterialDestroy(m);
    }
    if (rend_ != nullptr) {
      SGRendererDestroy(rend_);
    }
    if (dp_ != nullptr) {
      SGDataPathDestroy(dp_);
    }
    FrameBufferTest::TearDown();
  }

  // The frame buffer the test draws into: the game's 5-6-5 one unless overridden.
  virtual IDirectDrawSurface* OpenFrame() { return OpenGame(); }

  // The game's frame buffer at 8-bit indexed colour, for tests of the 8-bit fills.
  IDirectDrawSurface* OpenIndexedFrame() {
    IDirectDrawSurface* s = IndexedSurface(fbtest::kGameWidth, fbtest::kGameHeight);
    EXPECT_EQ(Open(IndexedOptions(s)), SG_ERROR_NONE);
    return s;
  }

  // The renderer's shade table: each channel scaled by level / 255.
  void BuildShadeTable() { ASSERT_EQ(SGRendererBuildShadeLUT(rend_, scene_), SG_ERROR_NONE); }

  SGInstance* NewInstance(std::uint32_t type) {
    SGInstance* inst = nullptr;
    EXPECT_EQ(SGInstanceCreate(ctx_, type, &inst), SG_ERROR_NONE);
    return inst;
  }

  // Places the camera at (x, y, z) looking along (fx, fy, fz), z up (y up when looking along z).
  void LookFrom(double x, double y, double z, float fx, float fy, float fz) {
    const double pos[3] = {x, y, z};
    const float forward[3] = {fx, fy, fz};
    const float up[3] = {0.f, std::fabs(fz) > 0.9f ? 1.f : 0.f, std::fabs(fz) > 0.9f ? 0.f : 1.f};
    SGInstanceSetPosition(camera_, pos);
    SGInstanceSetOrientation(camera_, forward, up);
    SGInstanceUpdate(camera_);
  }

  SGModel* Keep(SGModel* m) {
    models_.push_back(m);
    return m;
  }
  SGMaterial* Keep(SGMaterial* m) {
    materials_.push_back(m);
    return m;
  }

  // A model instance at (x, y, z) with the given materials, in no scene yet.
  SGInstance* Instance(SGModel* model, const std::vector<SGMaterial*>& mats, double x, double y, double z) {
    SGInstance* inst = NewInstance(SG_INST_TYPE_MODEL_ONE);
    EXPECT_EQ(SGInstanceSetModel(inst, model), SG_ERROR_NONE);
    auto& table = tables_.emplace_back(mats);
    SGInstanceSetMaterial(inst, static_cast<std::uint32_t>(table.size()), table.data());
    const double pos[3] = {x, y, z};
    SGInstanceSetPosition(inst, pos);
    return inst;
  }
  // The same, in the fixture's scene.
  SGInstance* Place(SGModel* model, const std::vector<SGMaterial*>& mats, double x, double y, double z) {
    SGInstance* inst = Instance(model, mats, x, y, z);
    EXPECT_EQ(SGSceneAddInstance(scene_, inst), SG_ERROR_NONE);
    return inst;
  }

  // One box per material type (types | typeFlags) along x, textured where the
  // type is; `prepare` may finish each material.
  void PlaceMaterialRow(std::uint32_t typeFlags = 0, void (*prepare)(SGMaterial*) = nullptr) {
    static constexpr std::uint32_t kTypes[7] = {SG_MAT_TYPE_FLAT,
                                                SG_MAT_TYPE_SHADED,
                                                SG_MAT_TYPE_TEXTURE,
                                                SG_MAT_TYPE_SHADED_TEXTURE,
                                                SG_MAT_TYPE_SHADED_TRANSPARENT,
                                                SG_MAT_TYPE_TRANSPARENT_TEXTURE,
                                                SG_MAT_TYPE_SHADED_TRANSPARENT_TEXTURE};
    SGModel* box = Keep(Box(1.f, 1.f, 1.f, 1));
    for (int i = 0; i < 7; ++i) {
      const std::uint32_t type = kTypes[i];
      const bool textured = type == SG_MAT_TYPE_TEXTURE || type == SG_MAT_TYPE_SHADED_TEXTURE ||
                            type == SG_MAT_TYPE_TRANSPARENT_TEXTURE || type == SG_MAT_TYPE_SHADED_TRANSPARENT_TEXTURE;
      SGTextureMap* txm = textured ? Texture(64, 64, static_cast<std::uint8_t>(40 + 20 * i), 0) : nullptr;
      SGMaterial* mat = Keep(Material(type | typeFlags, static_cast<std::uint8_t>(70 + 20 * i), txm));
      if (prepare != nullptr) {
        prepare(mat);
      }
      SGInstance* inst = Place(box, {mat}, -9.0 + 3.0 * i, 0.0, 0.0);
      const float angles[3] = {0.5f, 0.3f * static_cast<float>(i), 0.2f};
      SGInstanceSetAngles(inst, angles);
      SGInstanceUpdate(inst);
    }
  }

  // A grey fog band ending at 120.
  void GreyFog() {
    const std::uint32_t grey = 0x80808000u;
    ASSERT_EQ(SGRendererBuildFogLUT(rend_, 0, grey, &rend_->renFogLUT), SG_ERROR_NONE);
    SGRendererSetFog(rend_, &grey, 120.f);
  }

  // In grey fog, six boxes ever farther into the band, flat and textured by
  // turns; the last stands beyond the yon.
  void PlaceFogRow() {
    GreyFog();
    SGModel* box = Keep(Box(3.f, 3.f, 3.f, 1));
    SGMaterial* flat = Keep(Material(SG_MAT_TYPE_FLAT, 200, nullptr));
    SGMaterial* textured = Keep(Material(SG_MAT_TYPE_TEXTURE, 0, Texture(64, 64, 180, 7)));
    for (int i = 0; i < 6; ++i) {
      Place(box, {i % 2 == 0 ? flat : textured}, -25.0 + 10.0 * i, 20.0 + 38.0 * i, 0.0);
    }
  }

  // A horizon under fog with a fade angle, and a textured box above the
  // ground seen from above at a slant.
  void PlaceHorizonScene() {
    const std::uint32_t fog = 0x60402000u | 0xFF;
    SGRendererSetFog(rend_, &fog, 60.f);
    const std::int32_t groundIndex = 20;
    const std::int32_t haze = static_cast<std::int32_t>(0xC0C0E000u);
    SGRendererSetHorizonColours(rend_, &groundIndex, &haze);
    const std::uint32_t sky = 0x2040A0FFu;
    const std::uint32_t ground = 0x30502000u;
    ASSERT_EQ(SGRendererCreateHorizon(rend_, 0, &sky, &ground), SG_ERROR_NONE);
    SGRendererSetHorizonAngle(rend_, 0.15f, 100.f);
    SGMaterial* mat = Keep(Material(SG_MAT_TYPE_TEXTURE, 0, Texture(64, 64, 120, 9)));
    Place(Keep(Box(2.f, 2.f, 2.f, 1)), {mat}, 0.0, 10.0, 6.0);
    LookFrom(0.0, -20.0, 8.0, 0.f, 0.98f, -0.2f);
  }

  SGInstance* AddLight(float dx, float dy, float dz) {
    SGInstance* light = NewInstance(SG_INST_TYPE_LIGHT);
    const float forward[3] = {dx, dy, dz};
    const float up[3] = {std::fabs(dz) > 0.9f ? 1.f : 0.f, 0.f, std::fabs(dz) > 0.9f ? 0.f : 1.f};
    SGInstanceSetOrientation(light, forward, up);
    EXPECT_EQ(SGSceneAddInstance(scene_, light), SG_ERROR_NONE);
    return light;
  }

  void Clear() { Paint(surface_, 0); }

  SGError Draw() {
    Clear();
    return SGSceneDraw(rend_, scene_, camera_);
  }

  Image Frame() const { return SurfaceImage(surface_); }

  std::uint32_t Pixel(int x, int y) const { return At(surface_, x, y); }

  // Pixels of the frame of `value`; pixels that are not black.
  std::size_t CountPixels(std::uint32_t value) const {
    std::size_t n = 0;
    for (int y = 0; y < static_cast<int>(fbtest::kGameHeight); ++y) {
      for (int x = 0; x < static_cast<int>(fbtest::kGameWidth); ++x) {
        n += Pixel(x, y) == value ? 1 : 0;
      }
    }
    return n;
  }
  std::size_t Covered() const { return fbtest::kGameWidth * fbtest::kGameHeight - CountPixels(0); }

  // The 5-6-5 pixel of colour `index` once the palette is installed.
  std::uint16_t Colour(std::uint8_t index) const { return static_cast<const std::uint16_t*>(fb_->fbPixelTable)[index]; }
  SGMaterial* Flat(std::uint8_t index) { return Keep(Material(SG_MAT_TYPE_FLAT, index, nullptr)); }

  // Whole pixels from the centre of the frame to a point `units` off the axis
  // `distance` ahead of the fixture's 45-degree camera.
  static int PixelsOff(double units, double distance) {
    return static_cast<int>(units / (std::tan(22.5 * 3.14159265358979 / 180.0) * distance) * 183.5);
  }

  // A triangle outline in colour 127 running from (500, 10) 130 pixels right,
  // past the right edge of the buffer.
  void OutlinePastTheRightEdge() {
    const SGQVert a{500 * 32, 10 * 32, 1.f, 0, 0, 0, 0};
    const SGQVert b{630 * 32, 10 * 32, 1.f, 0, 0, 0, 0};
    const SGQVert c{500 * 32, 20 * 32, 1.f, 0, 0, 0, 0};
    void* pixels = nullptr;
    ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
    ISGTriOutline(&a, &b, &c, fb_, 127);
    SGFrameBufferUnlock(fb_);
  }

  // Compares the frame whole with tests/sg/render/data/<name>.png.
  void ExpectGolden(const std::string& name) const { ExpectGoldenImage(name, Frame()); }

  IDirectDrawSurface* surface_ = nullptr;
  SGRenderer* rend_ = nullptr;
  SGDataPath* dp_ = nullptr;
  SGScene* scene_ = nullptr;
  SGInstance* camera_ = nullptr;
  std::vector<SGModel*> models_;
  std::vector<SGMaterial*> materials_;
  std::vector<std::vector<SGMaterial*>> tables_;
};

}  // namespace rendertest
