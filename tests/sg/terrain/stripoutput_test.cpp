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

TEST(StripOutput, CellsFacingAwayOrBeyondOnePlaneDrawNothing) {
  SGContext* ctx = nullptr;
  SGRenderer* rend = nullptr;
  ASSERT_EQ(SGContextCreate(&ctx), SG_ERROR_NONE);
  ASSERT_EQ(SGRendererCreate(ctx, &rend), SG_ERROR_NONE);
  rend->renMethods.rmTerrainTriangle = CountTriangle;
  ISGTerrainInstallOps(rend);  // keeps an operation already in place
  EXPECT_EQ(rend->renMethods.rmTerrainTriangle, &CountTriangle);
  SGPage page{};
  SGTxVertex verts[4];
  SGTxVertex* corners[4];
  // A square on the screen, its corners in the given order of lower left, lower right, upper right, upper left.
  auto draw = [&](const int order[4], std::uint32_t flags, bool reversed) {
    const float at[4][2] = {{10.f, 20.f}, {20.f, 20.f}, {20.f, 10.f}, {10.f, 10.f}};
    for (int i = 0; i < 4; ++i) {
      verts[i] = SGTxVertex{};
      verts[i].txvLoc[0] = at[order[i]][0];
      verts[i].txvLoc[1] = at[order[i]][1];
      verts[i].txvFlags = flags;
      corners[i] = &verts[i];
    }
    SGTerrainCellArgs cell{nullptr, nullptr, &page, corners, 4, reversed};
    g_triangles = 0;
    EXPECT_EQ(rend->renMethods.rmTerrainTile(rend, &cell), SG_ERROR_NONE);
    return g_triangles;
  };
  const int facing[4] = {0, 1, 2, 3};
  const int away[4] = {0, 3, 2, 1};
  EXPECT_EQ(draw(facing, 0, false), 2);
  EXPECT_EQ(draw(away, 0, false), 0);
  EXPECT_EQ(draw(away, 0, true), 2);  // a ceiling seen from below turns its corners round
  EXPECT_EQ(draw(facing, SG_XFORM_FLAG_LEFT_CLIP, false), 0);
  EXPECT_EQ(draw(away, SG_XFORM_FLAG_NEAR_CLIP, false), 0);
  // With one vertex before the near limit it has no screen place: the clipping decides, not the facing test.
  verts[0].txvFlags = SG_XFORM_FLAG_NEAR_CLIP;
  for (int i = 1; i < 4; ++i) {
    verts[i].txvFlags = 0;
  }
  SGTerrainCellArgs cell{nullptr, nullptr, &page, corners, 4, false};
  g_triangles = 0;
  EXPECT_EQ(ISGEptspStrip(rend, &cell), SG_ERROR_NONE);
  EXPECT_EQ(g_triangles, 2);
  SGRendererDestroy(rend);
  SGContextDestroy(ctx);
}

}  // namespace
}  // namespace terraintest
