// The renderer's record and the stages of the primitive pipeline, each driven
// on the game's frame buffer after a frame set the camera up.

#include "sg/raster/fill16.h"
#include "sg/render/primitives.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

// Triangles that reach slot 4, by their screen corners.
std::vector<std::array<float, 2>> g_drawn;

SGError Record(SGRenderer*, SGScene*, SGMaterial*, SGTxVertex** triple) {
  for (int k = 0; k < 3; ++k) {
    g_drawn.push_back({triple[k]->txvLoc[0], triple[k]->txvLoc[1]});
  }
  return SG_ERROR_NONE;
}

int g_fills = 0;
void CountFill(const SGQVert*, const SGQVert*, const SGQVert*, const SGRasterFrame*, const void*, const void*,
               const void*) {
  ++g_fills;
}

class PipelineTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    ASSERT_EQ(Draw(), SG_ERROR_NONE);  // sets the camera and its matrices up
    g_drawn.clear();
    g_fills = 0;
  }

  // A transformed vertex at an eye-relative world position (camera looking along +y).
  SGTxVertex* Vertex(float x, float y, float z) {
    SGTxVertex* v = nullptr;
    EXPECT_EQ(ISGRendererNewTxVert(rend_, &v), SG_ERROR_NONE);
    v->txvPos[0] = x;
    v->txvPos[1] = y;
    v->txvPos[2] = z;
    v->txvShade = 1.f;
    ISGTransformVertex(rend_, v);
    return v;
  }

  std::size_t ClippedTriangles(SGTxVertex* a, SGTxVertex* b, SGTxVertex* c) {
    rend_->renMethods.rmDrawTriangle = Record;
    SGTxVertex* triple[3] = {a, b, c};
    SGMaterial* mat = Flat(5);
    g_drawn.clear();
    EXPECT_EQ(ISGClipTriangle(rend_, scene_, mat, triple, 0), SG_ERROR_NONE);
    return g_drawn.size() / 3;
  }

  // A screen vertex in whole pixels.
  static SGQVert Q(float x, float y, float rhw) {
    return SGQVert{static_cast<int32_t>(x * 32), static_cast<int32_t>(y * 32), rhw, 0, 0, 16, 0};
  }

  int Fills(const SGQVert& a, const SGQVert& b, const SGQVert& c) {
    g_fills = 0;
    ISGTriDrawSubdivided(&a, &b, &c, rend_, CountFill, 0, 0, 0);
    return g_fills;
  }
};

TEST_F(PipelineTest, SixteenSlotsAtMost) {
  std::vector<SGRenderer*> more;
  SGRenderer* r = nullptr;
  while (SGRendererCreate(ctx_, &r) == SG_ERROR_NONE) {
    more.push_back(r);
  }
  EXPECT_EQ(more.size(), 15u);
  EXPECT_EQ(SGRendererCreate(ctx_, &r), SG_ERROR_NO_SLOT);
  SGRendererDestroy(more.back());
  more.pop_back();
  ASSERT_EQ(SGRendererCreate(ctx_, &r), SG_ERROR_NONE);
  EXPECT_EQ(r->renFrameNum >> 24, r->renSlot);
  more.push_back(r);
  for (SGRenderer* m : more) {
    SGRendererDestroy(m);
  }
}

TEST_F(PipelineTest, OptionsTouchOnlyTheLowTwelveBits) {
  const std::uint32_t before = rend_->renFlags;
  SGRendererSetOptions(rend_, 0x7000);
  EXPECT_EQ(rend_->renFlags, before);
  SGRendererClearOptions(rend_, 0x1);
  SGRendererSetOptions(rend_, 0x1001);
  EXPECT_EQ(rend_->renFlags, before);
}

TEST_F(PipelineTest, SoftwareViewportIsInPixelCentredFixedPoint) {
  const SGViewData* vi = rend_->renViewData;
  EXPECT_EQ(vi->viScale[0], 9360.f);
  EXPECT_EQ(vi->viOffset[0], -16.f);
  EXPECT_EQ(vi->viScale[1], 16.f * 367.f);
}

// After a frame that needed several blocks the pool is one block of their
// total size, and the same frame again allocates nothing.
TEST_F(PipelineTest, VertexPoolMergesIntoOneBlock) {
  SGTxVertex* v = nullptr;
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(ISGRendererNewTxVert(rend_, &v), SG_ERROR_NONE);
  }
  ISGRendererResetTxVerts(rend_);
  EXPECT_EQ(rend_->renTxvBlockSize, 6144u);
  const std::uint64_t before = SGMallocCount();
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(ISGRendererNewTxVert(rend_, &v), SG_ERROR_NONE);
  }
  ISGRendererResetTxVerts(rend_);
  EXPECT_EQ(SGMallocCount(), before);
}

TEST_F(PipelineTest, FogOverrideEndsWithTheFrame) {
  std::uint8_t* table = nullptr;
  ASSERT_EQ(ISGLutBuildBlendRGB(rend_, &table, 0x12345600), SG_ERROR_NONE);
  rend_->renFlags |= SG_REND_FLAG_FRAME_OPEN;
  ASSERT_EQ(SGRendererOverrideFog(rend_, scene_, 0x12345600, table, 150.f, 30.f, 0), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renFogLUT, table);
  EXPECT_NE(rend_->renFlags & SG_REND_FLAG_FOG, 0u);
  EXPECT_EQ(rend_->renViewData->viYon, 150.f);
  ISGRendererEndFrame(rend_);
  EXPECT_EQ(rend_->renFogLUT, nullptr);
  EXPECT_EQ(rend_->renFlags & (SG_REND_FLAG_FOG | SG_REND_FLAG_FOG_OVERRIDE), 0u);
  SGFree(table);
}

TEST_F(PipelineTest, TrianglesAreCutAtEachSideOfTheView) {
  // 40 ahead of the eye the view is 26.4 wide each way.
  EXPECT_EQ(ClippedTriangles(Vertex(-2, 40, 0), Vertex(2, 40, 0), Vertex(0, 40, 3)), 1u);
  EXPECT_EQ(ClippedTriangles(Vertex(-40, 40, 0), Vertex(2, 40, 0), Vertex(0, 40, 3)), 2u);
  EXPECT_EQ(ClippedTriangles(Vertex(-40, 40, 0), Vertex(2, 40, 0), Vertex(-40, 40, 3)), 1u);
  EXPECT_EQ(ClippedTriangles(Vertex(-40, 40, 0), Vertex(-45, 40, 0), Vertex(-40, 40, 3)), 0u);
  // Across the near plane (0.5 ahead) and the bottom and right sides at once.
  EXPECT_GE(ClippedTriangles(Vertex(0, -5, -1), Vertex(30, 40, -20), Vertex(0, 40, 3)), 1u);
  for (const auto& corner : g_drawn) {
    EXPECT_GE(corner[0], -16.5f);
    EXPECT_LE(corner[0], 18704.5f);
    EXPECT_GE(corner[1], -16.5f);
    EXPECT_LE(corner[1], 11728.5f);
  }
}

TEST_F(PipelineTest, AVertexMadeOnTheFarPlaneIsWhollyFogged) {
  const std::uint32_t grey = 0;
  SGRendererSetFog(rend_, &grey, 50.f);
  SGTxVertex* inside = Vertex(0, 100, 0);
  SGTxVertex* beyond = Vertex(0, 300, 0);
  ASSERT_NE(beyond->txvFlags & SG_XFORM_FLAG_FAR_CLIP, 0u);
  EXPECT_EQ(beyond->txvFog, 0.f);
  SGTxVertex* made = nullptr;
  ASSERT_EQ(ISGTxVertexInterpolate(rend_, 1, inside, beyond, &made), SG_ERROR_NONE);
  EXPECT_EQ(made->txvFog, 0.f);
  EXPECT_EQ(made->txvFlags & SG_XFORM_FLAG_CLIP_MASK, 0u);
  EXPECT_NEAR(made->txvPos[1], 200.f, 0.01f);  // the far plane
}

TEST_F(PipelineTest, OnlyLongOrSlantedEdgesAreSubdivided) {
  EXPECT_EQ(Fills(Q(10, 10, 0.5f), Q(20, 10, 0.5f), Q(10, 20, 0.5f)), 1);
  // A 100-pixel edge at equal depth is split; two 50-pixel edges no more.
  EXPECT_EQ(Fills(Q(10, 10, 0.5f), Q(110, 10, 0.5f), Q(60, 12, 0.5f)), 2);
  // A 40-pixel edge whose far end has half the q is split; at equal q it is not.
  EXPECT_GT(Fills(Q(10, 10, 0.2f), Q(50, 10, 0.1f), Q(10, 12, 0.2f)), 1);
  EXPECT_EQ(Fills(Q(10, 10, 0.2f), Q(50, 10, 0.2f), Q(10, 12, 0.2f)), 1);
  // Passing every edge as short draws once.
  g_fills = 0;
  const SGQVert a = Q(0, 0, 1.f), b = Q(500, 0, 0.01f), c = Q(0, 300, 1.f);
  ISGTriDrawSubdivided(&a, &b, &c, rend_, CountFill, 1, 1, 1);
  EXPECT_EQ(g_fills, 1);
}

class FillChoiceTest : public PipelineTest {
 protected:
  // A face 10 ahead of the eye (its top `topY` ahead), its vertices flagged `flags`.
  SGTxVertex** Face(std::uint32_t flags = 0, float topY = 10) {
    face_[0] = Vertex(-1, 10, -1);
    face_[1] = Vertex(1, 10, -1);
    face_[2] = Vertex(0, topY, 1);
    for (SGTxVertex* v : face_) {
      v->txvFlags |= flags;
    }
    return face_;
  }
  // Draws the face in `mat` lit (shaded vertices) or not.
  SGError DrawOnce(SGMaterial* mat, bool shaded) {
    return ISGEPDrawTriangle(rend_, scene_, mat, Face(shaded ? SG_TXV_SHADED : 0));
  }
  SGTxVertex* face_[3] = {};
};

TEST_F(FillChoiceTest, ShadedTextureWithoutLightTakesThePlainTextureFill) {
  SGMaterial* mat = Keep(Material(SG_MAT_TYPE_SHADED_TEXTURE, 5, Texture(64, 64, 10, 1)));
  ASSERT_EQ(DrawOnce(mat, false), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renTriFill, &ISGFill16Texture64x64);
  EXPECT_EQ(rend_->renObjMatType, SG_MAT_TYPE_TEXTURE);
}

TEST_F(FillChoiceTest, SizesWithoutAFillDrawNothingAndAskAgain) {
  for (const auto& size : {std::pair<std::uint32_t, std::uint32_t>{48, 48}, {256, 32}}) {
    SGMaterial* mat = Keep(Material(SG_MAT_TYPE_TEXTURE, 5, Texture(size.first, size.second, 10, 1)));
    const std::uint32_t count = rend_->renTriCount;
    Clear();
    ASSERT_EQ(DrawOnce(mat, false), SG_ERROR_NONE);
    EXPECT_NE(rend_->renObjMaterial, mat);
    EXPECT_EQ(rend_->renTriCount, count);
    EXPECT_EQ(Covered(), 0u);
  }
}

TEST_F(FillChoiceTest, NoFillFlagCountsTrianglesAndDrawsNone) {
  SGMaterial* mat = Flat(5);
  ctx_->ctxDebug |= SG_CTX_DEBUG_NO_FILL;
  const std::uint32_t count = rend_->renTriCount;
  Clear();
  ASSERT_EQ(DrawOnce(mat, false), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renTriCount, count + 1);
  EXPECT_EQ(Covered(), 0u);
  ctx_->ctxDebug &= ~SG_CTX_DEBUG_NO_FILL;
  ASSERT_EQ(DrawOnce(mat, false), SG_ERROR_NONE);
  EXPECT_GT(Covered(), 100u);
}

// With textures turned off, textured materials are drawn in the material's
// colour from the buffer's colour table, never with texels read as a colour.
TEST_F(FillChoiceTest, UntexturedDebugDrawsTheMaterialColour) {
  BuildShadeTable();
  ctx_->ctxDebug |= SG_CTX_DEBUG_NO_TEXTURES;
  SGMaterial* shaded = Keep(Material(SG_MAT_TYPE_SHADED_TEXTURE, 77, Texture(64, 64, 10, 1)));
  ASSERT_EQ(DrawOnce(shaded, true), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renTriFill, &ISGFill16Shaded);
  EXPECT_EQ(rend_->renFillColour, static_cast<const std::uint16_t*>(fb_->fbPixelTable) + 77);
  SGMaterial* transparent = Keep(Material(SG_MAT_TYPE_TRANSPARENT_TEXTURE, 78, Texture(64, 64, 10, 1)));
  ASSERT_EQ(DrawOnce(transparent, false), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renTriFill, &ISGFill16Flat);
  EXPECT_EQ(rend_->renFillColour, static_cast<const std::uint16_t*>(fb_->fbPixelTable) + 78);
  Clear();
  SGMaterial* plain = Keep(Material(SG_MAT_TYPE_TEXTURE, 79, Texture(64, 64, 10, 1)));
  ASSERT_EQ(DrawOnce(plain, false), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(292, 183), Colour(79));
}

// The fills do not clip: a triangle that reaches them outside the buffer,
// whatever went wrong before, is dropped.
TEST_F(FillChoiceTest, ATriangleOutsideTheBufferNeverReachesAFill) {
  SGMaterial* mat = Flat(5);
  for (const float x : {-5000.f, 19000.f, 5e9f}) {
    SGTxVertex** t = Face();
    t[1]->txvLoc[0] = x;
    Clear();
    ASSERT_EQ(ISGEPDrawTriangle(rend_, scene_, mat, t), SG_ERROR_NONE);
    EXPECT_EQ(Covered(), 0u) << x;
  }
}

// Trails and clouds fog the rest of a frame with a table of their own: a
// material already drawn takes it too, and the next frame no longer reads it
// (its owner may have freed it by then).
TEST_F(FillChoiceTest, AFogOverrideReachesMaterialsAlreadyDrawn) {
  std::uint8_t* own = nullptr;
  std::uint8_t* cloud = nullptr;
  ASSERT_EQ(ISGLutBuildBlendRGB(rend_, &own, 0x40404000), SG_ERROR_NONE);
  ASSERT_EQ(ISGLutBuildBlendRGB(rend_, &cloud, 0xF0F0F000), SG_ERROR_NONE);
  SGRendererSetFogLUT(rend_, own);  // the renderer frees it
  const std::uint32_t grey = 0x40404000;
  SGRendererSetFog(rend_, &grey, 50.f);
  SGMaterial* mat = Flat(5);
  auto drawFogged = [&] { return ISGEPDrawTriangle(rend_, scene_, mat, Face(SG_TXV_FOGGED)); };
  ASSERT_EQ(drawFogged(), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renFillLUT, own);
  rend_->renFlags |= SG_REND_FLAG_FRAME_OPEN;
  ASSERT_EQ(SGRendererOverrideFog(rend_, scene_, 0xF0F0F000, cloud, 150.f, 30.f, 0), SG_ERROR_NONE);
  ASSERT_EQ(drawFogged(), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renFillLUT, cloud);
  ISGRendererEndFrame(rend_);
  SGFree(cloud);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ASSERT_EQ(drawFogged(), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renFillLUT, own);
}

TEST_F(FillChoiceTest, ATriangleTouchingTheNearPlaneIsDropped) {
  const std::uint32_t count = rend_->renTriCount;
  ASSERT_EQ(ISGEPDrawTriangle(rend_, scene_, Flat(5), Face(0, -30)), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renTriCount, count);
}

}  // namespace
}  // namespace rendertest
