// Whole frames drawn on an 8-bit indexed frame buffer through the palette
// fills each material type chooses, compared with golden pictures.

#include <set>
#include <utility>

#include "sg/fb/lut.h"
#include "sg/raster/fill8.h"
#include "sg/render/primitives.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

class IndexedDrawTest : public RenderTest {
 protected:
  IDirectDrawSurface* OpenFrame() override { return OpenIndexedFrame(); }

  // The material's own colours: a 16-entry ramp of its hue, black at level 0,
  // for the untextured types; for textured ones a 16 x 256 table that darkens
  // each texel towards its hue's dimmest entry.
  static void GiveRamp(SGMaterial* mat) {
    const bool textured = mat->matTexMap != nullptr;
    auto* lut = static_cast<std::uint8_t*>(SGMalloc(textured ? 16 * 256 : 16));
    const std::uint32_t hue = mat->matColour & 15;
    for (std::uint32_t level = 0; level < 16; ++level) {
      if (!textured) {
        lut[level] = static_cast<std::uint8_t>(level == 0 ? 0 : hue + 16 * level);
        continue;
      }
      for (std::uint32_t k = 0; k < 256; ++k) {
        lut[level * 256 + k] = static_cast<std::uint8_t>(k == 0 ? 0 : k % 16 + 16 * ((k / 16) * level / 15));
      }
    }
    mat->matInfo->maiLUT = lut;
  }

  void ExpectIndexedGolden(const std::string& name) const {
    // A frame left black would match a golden refreshed from it.
    EXPECT_GT(Covered(), 5000u);
    ExpectGolden(name);
  }
};

TEST_F(IndexedDrawTest, EachMaterialTypeLitAndUnlit) {
  PlaceMaterialRow(0, GiveRamp);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectIndexedGolden("indexed_unlit");
  AddLight(0.3f, 1.f, -0.6f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectIndexedGolden("indexed_lit");
}

TEST_F(IndexedDrawTest, FogTakesUntexturedAndTexturedTypesThroughTheFogTable) {
  PlaceFogRow();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectIndexedGolden("indexed_fog");
}

// A fogged flat material that carries a texture shows only its own colour's
// fog rows, whatever texture coordinates its vertices take from the texture.
TEST_F(IndexedDrawTest, FoggedColourIgnoresTextureCoordinates) {
  GreyFog();
  Place(Keep(Box(3.f, 3.f, 3.f, 1)), {Keep(Material(SG_MAT_TYPE_FLAT, 200, Texture(64, 64, 180, 7)))}, 0.0, 100.0, 0.0);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  std::set<std::uint32_t> rows;
  for (int level = 0; level < 16; ++level) {
    rows.insert(rend_->renFogLUT[level * 256 + 200]);
  }
  std::size_t drawn = 0;
  for (int y = 0; y < static_cast<int>(fbtest::kGameHeight); ++y) {
    for (int x = 0; x < static_cast<int>(fbtest::kGameWidth); ++x) {
      if (Pixel(x, y) != 0) {
        ++drawn;
        ASSERT_EQ(rows.count(Pixel(x, y)), 1u) << x << "," << y;
      }
    }
  }
  EXPECT_GT(drawn, 300u);
}

// Alpha materials take their weight from the vertex colour and their level
// from the shade: over a painted frame each triangle mixes its colour or
// texels with the index beneath.
TEST_F(IndexedDrawTest, AlphaTrianglesBlendWithWhatIsBeneath) {
  ASSERT_EQ(SGRendererBuildInverseLUT(rend_), SG_ERROR_NONE);
  ASSERT_EQ(SGRendererBuildPaletteShadeLUT(rend_), SG_ERROR_NONE);
  SGMaterial* flat = Keep(Material(SG_MAT_TYPE_FLAT | SG_MAT_TYPE_ALPHA, 70, nullptr));
  SGMaterial* textured = Keep(Material(SG_MAT_TYPE_TEXTURE | SG_MAT_TYPE_ALPHA, 0, Texture(64, 64, 40, 0)));
  Paint(surface_, 180);
  auto triangle = [&](SGMaterial* mat, float left, std::uint8_t alpha) {
    SGTxVertex v[3]{};
    const float corners[3][4] = {
        {left + 100.f, 40.f, 0.f, 0.f}, {left, 320.f, 0.f, 1.f}, {left + 200.f, 320.f, 1.f, 1.f}};
    for (int k = 0; k < 3; ++k) {
      v[k].txvLoc[0] = corners[k][0] * 32.f;
      v[k].txvLoc[1] = corners[k][1] * 32.f;
      v[k].txvLoc[3] = 1.f;
      v[k].txvUV[0] = corners[k][2];
      v[k].txvUV[1] = corners[k][3];
      v[k].txvFlags = SG_TXV_SHADED;
      v[k].txvShade = 0.5f + 0.25f * static_cast<float>(k);
      v[k].txvColour[0] = alpha;
    }
    SGTxVertex* triple[3] = {&v[0], &v[1], &v[2]};
    EXPECT_EQ(ISGEPDrawTriangle(rend_, scene_, mat, triple), SG_ERROR_NONE);
  };
  triangle(flat, 40.f, 128);
  triangle(textured, 320.f, 200);
  EXPECT_NE(Pixel(140, 250), 180u);
  EXPECT_NE(Pixel(140, 250), 70u);
  ExpectGolden("indexed_alpha");
}

// On an indexed buffer the fade band and the ground are ramp polygons, the
// fade band only while the fade ramp is chosen.
TEST_F(IndexedDrawTest, HorizonBandsAreRampPolygons) {
  PlaceHorizonScene();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectIndexedGolden("indexed_horizon_ground");
  rend_->renHorizon.hzFlags |= SG_HZ_RAMP_FADE;
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectIndexedGolden("indexed_horizon_fade");
  // Outlined, the bands' fan triangles show their edges in colour 127.
  auto outlinePixels = [&] {
    std::size_t n = 0;
    for (int y = 0; y < static_cast<int>(fbtest::kGameHeight); ++y) {
      for (int x = 0; x < static_cast<int>(fbtest::kGameWidth); ++x) {
        n += Pixel(x, y) == 127u ? 1 : 0;
      }
    }
    return n;
  };
  const std::size_t plain = outlinePixels();
  ctx_->ctxDebug |= SG_CTX_DEBUG_DRAW;
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ctx_->ctxDebug &= ~SG_CTX_DEBUG_DRAW;
  EXPECT_GT(outlinePixels(), plain + 1000);
}

// Outlines on an indexed buffer draw the colour index and stay inside it.
TEST_F(IndexedDrawTest, OutlinesDrawTheIndexInsideTheBuffer) {
  Clear();
  OutlinePastTheRightEdge();
  EXPECT_EQ(Pixel(520, 10), 127u);
  EXPECT_EQ(Pixel(583, 10), 127u);
  EXPECT_EQ(Pixel(500, 15), 127u);
  for (int x = 0; x < 60; ++x) {
    EXPECT_EQ(Pixel(x, 11), 0u) << x;
  }
}

// Points and lines write palette indices; shaded, the index goes through the
// table row of its level.
TEST_F(IndexedDrawTest, PointsAndLinesWriteIndices) {
  Clear();
  SGMaterial mat{};
  mat.matColour = 77;
  SGTxVertex a{}, b{}, c{};
  a.txvLoc[0] = 3 * 32.f;
  a.txvLoc[1] = 4 * 32.f;
  SGTxVertex* one = &a;
  ISGEPDrawPoints(rend_, nullptr, &mat, &one);
  EXPECT_EQ(Pixel(3, 4), 77u);
  std::vector<std::uint8_t> shades(16 * 256);
  for (std::size_t i = 0; i < shades.size(); ++i) {
    shades[i] = static_cast<std::uint8_t>(i / 256 + 100);
  }
  std::uint8_t* const own = std::exchange(rend_->renShadeLUT, shades.data());
  mat.matAmbient = 1.f;
  a.txvFlags = SG_TXV_SHADED;
  a.txvLoc[0] = 5 * 32.f;
  ISGEPDrawPoints(rend_, nullptr, &mat, &one);
  EXPECT_EQ(Pixel(5, 4), 114u);  // the last of 15 levels
  rend_->renShadeLUT = own;
  b.txvLoc[0] = -10 * 32.f;
  b.txvLoc[1] = c.txvLoc[1] = 10 * 32.f;
  c.txvLoc[0] = 600 * 32.f;
  SGTxVertex* pair[2] = {&b, &c};
  ISGEPDrawLines(rend_, nullptr, &mat, pair);
  for (int x = 0; x < 584; ++x) {
    EXPECT_EQ(Pixel(x, 10), 77u) << x;
  }
  EXPECT_EQ(Pixel(10, 9), 0u);
}

// A missing table or an unfilled size refuses the choice and keeps the memo,
// so the next triangle of the material asks again.
TEST_F(IndexedDrawTest, ChoiceRefusedWithoutItsTableOrSize) {
  SGMaterial* shaded = Keep(Material(SG_MAT_TYPE_SHADED, 70, nullptr));
  SGMaterial* wide = Keep(Material(SG_MAT_TYPE_TEXTURE, 70, Texture(256, 32, 40, 0)));
  SGMaterial* alpha = Keep(Material(SG_MAT_TYPE_FLAT | SG_MAT_TYPE_ALPHA, 70, nullptr));
  EXPECT_EQ(ISGEPSetMaterial8(rend_, scene_, shaded, SG_MAT_TYPE_SHADED), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(ISGEPSetMaterial8(rend_, scene_, wide, SG_MAT_TYPE_TEXTURE), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(ISGEPSetMaterial8(rend_, scene_, alpha, alpha->matType), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(rend_->renObjMaterial, nullptr);
  GiveRamp(shaded);
  EXPECT_EQ(ISGEPSetMaterial8(rend_, scene_, shaded, SG_MAT_TYPE_SHADED), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renObjMaterial, shaded);
  EXPECT_EQ(rend_->renFillLUT, shaded->matInfo->maiLUT);
}

TEST_F(IndexedDrawTest, TerrainDithersOnlyUnkeyedSizesThatHaveADitheredFill) {
  SGTextureMap* plain = Texture(128, 128, 40, 7);
  SGTextureMap* keyed = Texture(128, 128, 40, 0);
  keyed->txmFormat |= SG_TXM_KEYED;
  SGTextureMap* small = Texture(64, 64, 40, 7);
  Keep(Material(SG_MAT_TYPE_TEXTURE, 0, plain));
  Keep(Material(SG_MAT_TYPE_TEXTURE, 0, keyed));
  Keep(Material(SG_MAT_TYPE_TEXTURE, 0, small));
  SGRendererSetRenderOptions(rend_, SG_REND_OPT_DITHER_TERRAIN);
  ASSERT_EQ(ISGRendererSetTerrainFill(rend_, 1, plain), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renTerrFill, &ISGFill8DitheredTexture128x128);
  EXPECT_EQ(rend_->renTerrShadedFill, &ISGFill8DitheredTexture128x128);
  ASSERT_EQ(ISGRendererSetTerrainFill(rend_, 1, keyed), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renTerrFill, &ISGFill8TransparentTexture128x128);
  ASSERT_EQ(ISGRendererSetTerrainFill(rend_, 1, small), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renTerrShadedFill, &ISGFill8ShadedTexture64x64);
}

}  // namespace
}  // namespace rendertest
