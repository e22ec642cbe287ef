// The software terrain-tile operation: which cells reach the triangle operation.

#include "support/terrainfixture.h"

#include "sg/render/renderer.h"
#include "sg/terrain/stripoutput.h"

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
    rend_->renMethods.rmTerrainTriangle = CountTriangle;
    ISGTerrainInstallOps(rend_);
    g_triangles = 0;
  }
  void TearDown() override {
    SGSceneDestroy(scene_);
    SGRendererDestroy(rend_);
    SGContextDestroy(ctx_);
  }
  // A unit square on the screen, corners in the given order of (0,0), (1,0), (1,1), (0,1).
  int Draw(const int order[4], std::uint32_t flags = 0, bool reversed = false) {
    const float at[4][2] = {{10.f, 20.f}, {20.f, 20.f}, {20.f, 10.f}, {10.f, 10.f}};
    for (int i = 0; i < 4; ++i) {
      verts_[i] = SGTxVertex{};
      verts_[i].txvLoc[0] = at[order[i]][0];
      verts_[i].txvLoc[1] = at[order[i]][1];
      verts_[i].txvFlags = flags;
      corners_[i] = &verts_[i];
    }
    SGTerrainCellArgs cell{scene_, nullptr, &page_, corners_, 4, reversed};
    g_triangles = 0;
    EXPECT_EQ(rend_->renMethods.rmTerrainTile(rend_, &cell), SG_ERROR_NONE);
    return g_triangles;
  }
  SGContext* ctx_ = nullptr;
  SGRenderer* rend_ = nullptr;
  SGScene* scene_ = nullptr;
  SGPage page_{};
  SGTxVertex verts_[4];
  SGTxVertex* corners_[4];
};

TEST_F(StripOutput, CellsFacingAwayOrBeyondOnePlaneDrawNothing) {
  // The installer keeps an operation already in place.
  EXPECT_EQ(rend_->renMethods.rmTerrainTriangle, &CountTriangle);
  EXPECT_EQ(rend_->renMethods.rmTerrainTile, &ISGEptspStrip);
  const int facing[4] = {0, 1, 2, 3};  // counter-clockwise seen from above: up the screen, then left
  const int away[4] = {0, 3, 2, 1};
  EXPECT_EQ(Draw(facing), 2);
  EXPECT_EQ(Draw(away), 0);
  // A ceiling seen from below turns its corners round.
  EXPECT_EQ(Draw(away, 0, true), 2);
  EXPECT_EQ(Draw(facing, 0, true), 0);
  // All four left of the view: skipped; only some: handed on to be clipped.
  EXPECT_EQ(Draw(facing, SG_XFORM_FLAG_LEFT_CLIP), 0);
  // Before the near limit a vertex has no screen place: all four there share
  // the bit and are skipped; with one there the facing test is left to the clipping.
  EXPECT_EQ(Draw(away, SG_XFORM_FLAG_NEAR_CLIP), 0);
  Draw(away);
  verts_[0].txvFlags = SG_XFORM_FLAG_NEAR_CLIP;
  SGTerrainCellArgs cell{scene_, nullptr, &page_, corners_, 4, false};
  g_triangles = 0;
  EXPECT_EQ(ISGEptspStrip(rend_, &cell), SG_ERROR_NONE);
  EXPECT_EQ(g_triangles, 2);
}

}  // namespace
}  // namespace terraintest
