// Terrain vertices and cells on their way to the screen: levels of screen
// vertices, projection and fog at the limits, ghost copies, and which cells
// reach the fills or the clipping.

#include <algorithm>

#include "support/terrainfixture.h"

#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/render/renderer.h"
#include "sg/terrain/page.h"
#include "sg/terrain/strip.h"
#include "sg/terrain/stripoutput.h"
#include "sg/terrain/tsp.h"

namespace terraintest {
namespace {

int g_triangles = 0;

SGError CountTriangle(SGRenderer*, void*) {
  ++g_triangles;
  return SG_ERROR_NONE;
}

class StripOutput : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ASSERT_EQ(SGRendererCreate(ctx_, &rend_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(ctx_, &scene_), SG_ERROR_NONE);
    rend_->renFrameBuffer = &fb_;
    rend_->renShadeScale = 256;
    // Depth is z, w is 1, the screen is 100 x 100 units per unit of x and y.
    SGMatrixIdentity(&rend_->renXform);
    rend_->renCameraXform = rend_->renXform;
    vi_.viYon = 50.f;
    vi_.viScale[0] = vi_.viScale[1] = 100.f;
    rend_->renViewData = &vi_;
    // The near plane keeps z >= -0.0001; the others keep everything.
    for (auto& plane : rend_->renClipPlanes) {
      plane[0] = plane[1] = plane[2] = 0.f;
      plane[3] = 1.f;
    }
    rend_->renClipPlanes[0][2] = -1.f;
    rend_->renClipPlanes[0][3] = 0.0001f;
    rend_->renMethods.rmTerrainTriangle = CountTriangle;
    ISGTerrainInstallOps(rend_);  // keeps an operation already in place
  }
  void TearDown() override {
    rend_->renFrameBuffer = nullptr;
    rend_->renViewData = nullptr;
    SGSceneDestroy(scene_);
    SGRendererDestroy(rend_);
    SGContextDestroy(ctx_);
  }
  SGTxVertex* Made(float x, float y, float z, std::uint32_t pageFlags) {
    page_.pagFlags = pageFlags;
    verts_[used_] = SGTxVertex{};
    verts_[used_].txvPos[0] = x;
    verts_[used_].txvPos[1] = y;
    verts_[used_].txvPos[2] = z;
    ISGTspFinishVert(rend_, scene_, &page_, &verts_[used_], 0, 0);
    return &verts_[used_++];
  }
  SGContext* ctx_ = nullptr;
  SGRenderer* rend_ = nullptr;
  SGScene* scene_ = nullptr;
  SGFrameBuffer fb_{};
  SGViewData vi_{};
  SGPage page_{};
  SGTxVertex verts_[8];
  int used_ = 0;
};

TEST_F(StripOutput, ScreenVertexLevelsFollowShadeAndFog) {
  fb_.fbMode = SG_FB_MODE_RGB;
  SGTxVertex v{};
  v.txvLoc[0] = 100.9f;
  v.txvShade = 2.f;
  const std::uint32_t i = ISGEptspVertex(rend_, scene_, &v, SG_TXV_SHADED);
  ASSERT_NE(i, 0xFFFFFFFFu);
  EXPECT_EQ(rend_->renQVerts[i].x, 100);
  EXPECT_FLOAT_EQ(rend_->renQVerts[i].q, 256.f + 16.f);  // limited to the shade scale
  // The same vertex in a fogged cell takes its fog level, in the same screen vertex.
  v.txvFog = 0.25f;
  EXPECT_EQ(ISGEptspVertex(rend_, scene_, &v, SG_TXV_FOGGED), i);
  EXPECT_FLOAT_EQ(rend_->renQVerts[i].q, 0.75f * 256.f + 16.f);
  // On a 16-bit quasi-RGB buffer unlit ground sits at the middle of the table.
  fb_.fbMode = SG_FB_MODE_QUASI_RGB;
  SGTxVertex lit{};
  lit.txvShade = 0.5f;
  const std::uint32_t k = ISGEptspVertex(rend_, scene_, &lit, SG_TXV_SHADED);
  EXPECT_FLOAT_EQ(rend_->renQVerts[k].q, 0.5f * scene_->scnTerrTexU * 128.f + 128.f + 16.f);
}

TEST_F(StripOutput, VerticesAtTheNearLimitTheFarFogAndTheViewEdges) {
  EXPECT_EQ(Made(0.f, 0.f, -0.0001f, 0)->txvFlags, 0u);
  EXPECT_EQ(Made(0.f, 0.f, -0.00011f, 0)->txvFlags, SG_XFORM_FLAG_NEAR_CLIP);
  // Outcodes only on pages that straddle the view.
  EXPECT_EQ(Made(2.f, -2.f, 1.f, 0)->txvFlags, 0u);
  EXPECT_EQ(Made(2.f, -2.f, 1.f, SG_PAGE_FLAG_CLIP)->txvFlags, SG_XFORM_FLAG_RIGHT_CLIP | SG_XFORM_FLAG_BOTTOM_CLIP);
  rend_->renFlags |= SG_REND_FLAG_FOG;
  rend_->renFogRecip = 0.1f;
  const SGTxVertex* beyond = Made(0.f, 0.f, 60.f, SG_PAGE_FLAG_FOGGED);
  EXPECT_EQ(beyond->txvFog, 0.f);
  EXPECT_EQ(beyond->txvFlags, SG_TXV_FOGGED | SG_XFORM_FLAG_FAR_CLIP);
  EXPECT_FLOAT_EQ(Made(0.f, 0.f, 45.f, SG_PAGE_FLAG_FOGGED)->txvFog, 0.5f);
  // On a page without lights every vertex is unlit.
  EXPECT_EQ(Made(0.f, 0.f, 1.f, 0)->txvShade, 0.f);
}

TEST_F(StripOutput, GhostCopiesMirrorTheirTextureCoordinates) {
  SGTxVertex source{};
  source.txvUV[0] = 0.25f;
  source.txvUV[1] = 1.f;
  source.txvPos[2] = 7.f;
  source.txvConverted = 1;
  SGTerrVertSlot from{&source, 5};
  SGTerrVertSlot to{};
  ASSERT_EQ(ISGTspGhost(rend_, 1, &from, &to, 9), SG_ERROR_NONE);
  EXPECT_EQ(std::tuple(to.tvTimeStamp, to.tvXVert->txvUV[0], to.tvXVert->txvUV[1], to.tvXVert->txvPos[2],
                       to.tvXVert->txvConverted),
            std::tuple(9u, 0.75f, 1.f, 7.f, 0u));
  ASSERT_EQ(ISGTspGhost(rend_, 3, &from, &to, 9), SG_ERROR_NONE);
  EXPECT_EQ(std::tuple(to.tvXVert->txvUV[0], to.tvXVert->txvUV[1]), std::tuple(0.75f, 0.f));
}

TEST_F(StripOutput, CellsFacingAwayOrBeyondOnePlaneDrawNothingAndNearOnesAreClipped) {
  // Lower left, lower right, upper right, upper left on the screen (y grows downward).
  SGTxVertex* c[4] = {Made(-0.5f, 0.5f, 1.f, 0), Made(0.5f, 0.5f, 1.f, 0), Made(0.5f, -0.5f, 1.f, 0),
                      Made(-0.5f, -0.5f, 1.f, 0)};
  SGTxVertex* away[4] = {c[0], c[3], c[2], c[1]};
  std::uint32_t indices[4];
  bool drawn = false;
  SGTerrainCell cell{scene_, &page_, 0, false, nullptr, nullptr, SGTxQuad{0, 4, c}};
  ASSERT_EQ(ISGEptspCell(rend_, &cell, indices, &drawn), SG_ERROR_NONE);
  EXPECT_TRUE(drawn);
  cell.quad.txqVerts = away;
  ASSERT_EQ(ISGEptspCell(rend_, &cell, indices, &drawn), SG_ERROR_NONE);
  EXPECT_FALSE(drawn);
  cell.reversed = true;  // a ceiling seen from below turns its corners round
  ASSERT_EQ(ISGEptspCell(rend_, &cell, indices, &drawn), SG_ERROR_NONE);
  EXPECT_TRUE(drawn);
  // Wholly left of the view: rejected before any clipping or fill.
  page_.pagFlags = SG_PAGE_FLAG_CLIP;
  SGTxVertex* left[4] = {Made(-3.f, 0.5f, 1.f, SG_PAGE_FLAG_CLIP), Made(-2.f, 0.5f, 1.f, SG_PAGE_FLAG_CLIP),
                         Made(-2.f, -0.5f, 1.f, SG_PAGE_FLAG_CLIP), Made(-3.f, -0.5f, 1.f, SG_PAGE_FLAG_CLIP)};
  cell = SGTerrainCell{scene_, &page_, 0, false, nullptr, nullptr, SGTxQuad{0, 4, left}};
  g_triangles = 0;
  EXPECT_EQ(ISGEptspStrip(rend_, &cell), SG_ERROR_NONE);
  EXPECT_NE(cell.quad.txqFlags & SG_STRIP_FLAG_SKIP, 0u);
  EXPECT_EQ(g_triangles, 0);
  // One corner before the near limit has no screen place: the clipping
  // decides, and both fan triangles leave pieces for the triangle operation.
  c[0]->txvPos[2] = -1.f;
  ISGTspFinishVert(rend_, scene_, &page_, c[0], 0, 0);
  cell = SGTerrainCell{scene_, &page_, 0, false, nullptr, nullptr, SGTxQuad{0, 4, away}};
  EXPECT_EQ(ISGEptspStrip(rend_, &cell), SG_ERROR_NONE);
  EXPECT_GE(g_triangles, 2);
}

// Looking along +y with a right-angled view: x within +-y, y at most 100; the
// top plane y + z <= 0 over ground 10 below the eye reaches to y = 10.
TEST_F(StripOutput, RowsKeepToTheViewsFootprintOnTheGround) {
  const float planes[5][4] = {{0.f, 1.f, 0.f, 100.f},
                              {1.f, -1.f, 0.f, 0.f},
                              {0.f, 0.f, 1.f, 0.f},
                              {-1.f, -1.f, 0.f, 0.f},
                              {0.f, 1.f, 1.f, 0.f}};
  for (int p = 0; p < 5; ++p) {
    std::copy(planes[p], planes[p] + 4, rend_->renClipPlanes[p + 1]);
  }
  rend_->renEye[2] = 10.0;
  scene_->scnCacheFloor = 0.f;
  scene_->scnCacheCeiling = 5.f;
  SGTerrainFootprint ft;
  ISGTerrainFootprint(rend_, scene_, &ft);
  float from = 0.f, to = 0.f;
  ASSERT_TRUE(ISGFootprintRowExtent(&ft, true, 8.f, 10.f, &from, &to));
  EXPECT_EQ(std::tuple(from, to), std::tuple(-10.f, 10.f));                 // the band's wider edge
  EXPECT_FALSE(ISGFootprintRowExtent(&ft, true, 10.5f, 12.f, &from, &to));  // beyond the top plane's reach
  EXPECT_FALSE(ISGFootprintRowExtent(&ft, true, -5.f, -3.f, &from, &to));   // behind the eye
  ASSERT_TRUE(ISGFootprintRowExtent(&ft, false, 1.f, 2.f, &from, &to));
  EXPECT_EQ(std::tuple(from, to), std::tuple(1.f, 10.f));
}

}  // namespace
}  // namespace terraintest
