// Pages and rows classified against the view planes, the cull objects and
// the lights, once per frame.

#include "support/terrainfixture.h"

#include "sg/cull/cullterrain.h"
#include "sg/instance/instance.h"
#include "sg/render/renderer.h"
#include "sg/terrain/strip.h"

namespace terraintest {
namespace {

class Classify : public TerrainTest {
 protected:
  void SetUp() override {
    TerrainTest::SetUp();
    World w;
    w.files = {HeightFile(17, Cone(17, 200, 10))};  // heights 0 to 40
    w.size[0] = w.size[1] = 16;
    Open(w);
    ASSERT_EQ(SGRendererCreate(ctx_, &rend_), SG_ERROR_NONE);
    // The eye at (0, 0, 10) looking along +y: near plane at 0.5, far at 100,
    // sides at 45 degrees.
    rend_->renEye[2] = 10.0;
    const float planes[6][4] = {{0, -1, 0, -0.5f},          {0, 1, 0, 100},
                                {-0.7071f, -0.7071f, 0, 0}, {0, -0.7071f, 0.7071f, 0},
                                {0.7071f, -0.7071f, 0, 0},  {0, -0.7071f, -0.7071f, 0}};
    for (int p = 0; p < 6; ++p) {
      for (int k = 0; k < 4; ++k) {
        rend_->renClipPlanes[p][k] = planes[p][k];
      }
    }
    rend_->renTimeStamp = 5;
  }
  void TearDown() override {
    SGRendererDestroy(rend_);
    TerrainTest::TearDown();
  }
  SGPage* Page(std::int32_t column, std::int32_t row) {
    SGPage* page = nullptr;
    const std::int32_t loc[2] = {column, row};
    EXPECT_EQ(SGSceneGetPage(Scene(), &page, loc, 1), SG_ERROR_NONE);
    page->pagNearOrigin[0] = static_cast<float>(column) * 16.f;
    page->pagNearOrigin[1] = static_cast<float>(row) * 16.f;
    ISGPageSetEyeOrigin(rend_, page);
    return page;
  }
  SGRenderer* rend_ = nullptr;
};

TEST_F(Classify, PagesInsideStraddlingAndBeyondTheView) {
  SGPage* inside = Page(0, 2);   // x 0..16, y 32..48: right of the left plane, left of the right one
  SGPage* across = Page(-3, 2);  // x -48..-32: crosses the left plane (x = -y)
  SGPage* beyond = Page(0, 7);   // y 112..128 behind the far plane at 100
  SGPage* behind = Page(0, -2);  // y -32..-16 behind the near plane
  for (SGPage* p : {inside, across, beyond, behind}) {
    p->pagFlags |= 0xFF0000;  // last frame's bits go
    ASSERT_EQ(ISGPageClassify(rend_, Scene(), p), SG_ERROR_NONE);
  }
  EXPECT_EQ(inside->pagFlags & 0xFFFF0000, 0u);
  EXPECT_EQ(across->pagFlags & 0xFFFF0000, SG_PAGE_FLAG_CLIP);
  EXPECT_EQ(beyond->pagFlags & 0xFFFF0000, SG_PAGE_FLAG_CULLED);
  EXPECT_EQ(behind->pagFlags & 0xFFFF0000, SG_PAGE_FLAG_CULLED);
  EXPECT_EQ(inside->pagFlags & SG_PAGE_FLAG_HEIGHTS, SG_PAGE_FLAG_HEIGHTS);
  // A page reaching over the far plane is clipped there too.
  SGPage* far = Page(0, 6);  // y 96..112
  ASSERT_EQ(ISGPageClassify(rend_, Scene(), far), SG_ERROR_NONE);
  EXPECT_EQ(far->pagFlags & 0xFFFF0000, SG_PAGE_FLAG_CLIP | SG_PAGE_FLAG_CLIP_FAR);
  // Classified once per frame: a second call in the same frame changes nothing.
  far->pagFlags &= 0xFFFF;
  ASSERT_EQ(ISGPageClassify(rend_, Scene(), far), SG_ERROR_NONE);
  EXPECT_EQ(far->pagFlags & 0xFFFF0000, 0u);
  rend_->renTimeStamp = 6;
  ASSERT_EQ(ISGPageClassify(rend_, Scene(), far), SG_ERROR_NONE);
  EXPECT_NE(far->pagFlags & SG_PAGE_FLAG_CLIP_FAR, 0u);
}

// With lighting on, a positioned light over the page or strong enough at its
// nearest corner is listed; a weak one far away is not; with lighting off none is.
TEST_F(Classify, LightsReachingThePageAreListed) {
  auto light = [&](double x, double y, double z, float intensity) {
    SGInstance* l = nullptr;
    EXPECT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_LIGHT, &l), SG_ERROR_NONE);
    auto* data = static_cast<SGLightData*>(l->instData);
    data->ltKind = SG_LIGHT_POSITIONED;
    data->ltIntensity = intensity;
    const double pos[3] = {x, y, z};
    SGInstanceSetPosition(l, pos);
    EXPECT_EQ(SGSceneAddInstance(Scene(), l), SG_ERROR_NONE);
    return l;
  };
  SGInstance* over = light(8.0, 40.0, 60.0, 1.f);
  SGInstance* near = light(20.0, 40.0, 10.0, 4.f);  // 4 from the page's edge: (0.5 x 4)^2 / 16 -> 0.5 x 16 = 8
  light(200.0, 40.0, 10.0, 1.f);                    // (0.5)^2 / 184^2 -> nothing
  SGPage* page = Page(0, 2);
  ASSERT_EQ(ISGPageClassify(rend_, Scene(), page), SG_ERROR_NONE);
  EXPECT_EQ(page->pagNumLights, 0u);
  EXPECT_EQ(page->pagFlags & SG_PAGE_FLAG_LIT, 0u);
  rend_->renFlags |= 0x10;
  rend_->renTimeStamp = 9;
  ASSERT_EQ(ISGPageClassify(rend_, Scene(), page), SG_ERROR_NONE);
  ASSERT_EQ(page->pagNumLights, 2u);
  EXPECT_TRUE((page->pagLights[0] == over && page->pagLights[1] == near) ||
              (page->pagLights[0] == near && page->pagLights[1] == over));
  EXPECT_NE(page->pagFlags & SG_PAGE_FLAG_LIT, 0u);
}

TEST_F(Classify, RowsOutsideAreSkippedAndAcrossAreClipped) {
  SGTerrainRow row{};
  row.rowAlongX = 1;
  row.rowStart[0] = -5.f;
  row.rowStart[1] = 20.f;
  row.rowEnd = 5.f;
  row.rowDepth = 4.f;
  ISGStripTestFrustum(rend_, Scene(), &row);
  EXPECT_EQ(row.rowFlags & (SG_STRIP_FLAG_SKIP | SG_STRIP_FLAG_CLIP), SG_STRIP_FLAG_CLIP);  // the heights cross
  row.rowStart[1] = 150.f;
  ISGStripTestFrustum(rend_, Scene(), &row);
  EXPECT_EQ(row.rowFlags & (SG_STRIP_FLAG_SKIP | SG_STRIP_FLAG_CLIP), SG_STRIP_FLAG_SKIP);
}

// A cull plane y = 40 (kept below it) cuts a page across it partly and one
// beyond it wholly; cell vertices beyond it make the cell go.
TEST_F(Classify, CullObjectsCutPagesAndCells) {
  const float plane[4] = {0.f, -1.f, 0.f, -40.f};
  const double centre[3] = {0.0, 40.0, 0.0};
  SGCullObject* tree = nullptr;
  ASSERT_EQ(ISGCullCreatePlane(plane, centre, SG_CULL_OPT_BEYOND, &tree), SG_ERROR_NONE);
  ISGCullPrepare(tree, rend_->renEye, 0, 0);
  Scene()->scnCullRoot = tree;
  SGPage* across = Page(0, 2);  // y 32..48
  SGPage* kept = Page(0, 1);    // y 16..32
  SGPage* cut = Page(0, 3);     // y 48..64
  const std::uint32_t a = ISGCullClassifyPageBox(tree, Scene(), across);
  const std::uint32_t k = ISGCullClassifyPageBox(tree, Scene(), kept);
  const std::uint32_t c = ISGCullClassifyPageBox(tree, Scene(), cut);
  EXPECT_EQ(a, 1u);
  EXPECT_EQ(k, 0u);
  EXPECT_EQ(c, 3u);
  SGTxVertex v[2]{};
  v[0].txvPos[1] = 44.f;
  v[1].txvPos[1] = 46.f;
  SGTxVertex* list[2] = {&v[0], &v[1]};
  EXPECT_EQ(ISGCullTestVertices(tree, across->pagCullState, list, 2), 3u);
  v[0].txvPos[1] = 35.f;
  EXPECT_EQ(ISGCullTestVertices(tree, across->pagCullState, list, 2), 1u);
  EXPECT_EQ(ISGCullTestVertices(tree, kept->pagCullState, list, 2), 0u);  // kept whole: not tested further
  ASSERT_EQ(ISGPageClassify(rend_, Scene(), across), SG_ERROR_NONE);
  EXPECT_NE(across->pagFlags & SG_PAGE_FLAG_CULL_PARTIAL, 0u);
  Scene()->scnCullRoot = nullptr;
  SGCullDestroy(tree);
}

// With a fog distance of 10 on the plane y = 40, a page whose far edge lies
// in the fog band is only partly kept, so its vertices there get fogged; a
// page wholly before the band is kept whole.
TEST_F(Classify, PagesInAFogBandAreTestedVertexByVertex) {
  const float plane[4] = {0.f, -1.f, 0.f, -40.f};
  const double centre[3] = {0.0, 40.0, 0.0};
  SGCullObject* tree = nullptr;
  ASSERT_EQ(ISGCullCreatePlane(plane, centre, SG_CULL_OPT_BEYOND, &tree), SG_ERROR_NONE);
  ASSERT_EQ(SGCullSetFogDistance(tree, 10.f), SG_ERROR_NONE);
  ISGCullPrepare(tree, rend_->renEye, 0, 0);
  SGPage* banded = Page(0, 1);  // y 16..32: values 2.4 down to 0.8
  SGPage* clear = Page(0, 0);   // y 0..16: values 4 down to 2.4
  EXPECT_EQ(ISGCullClassifyPageBox(tree, Scene(), banded), 1u);
  EXPECT_EQ(ISGCullClassifyPageBox(tree, Scene(), clear), 0u);
  SGTxVertex v{};
  v.txvPos[1] = 35.f;
  v.txvFog = 1.f;
  SGTxVertex* list[1] = {&v};
  EXPECT_EQ(ISGCullTestVertices(tree, banded->pagCullState, list, 1), 0u);
  EXPECT_NEAR(v.txvFog, 0.5f, 1e-5);
  EXPECT_NE(v.txvFlags & SG_TXV_FOGGED, 0u);
  SGCullDestroy(tree);
}

}  // namespace
}  // namespace terraintest
