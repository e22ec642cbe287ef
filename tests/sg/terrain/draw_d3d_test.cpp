// The terrain drawn through a Direct3D device: the device's pair of terrain
// operations queue the same ground the software pair fills.

#include "support/terraindrawfixture.h"

#include <algorithm>

#include "sg/core/malloc.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/material/material.h"
#include "sg/terrain/page.h"
#include "sg/terrain/terrain.h"

namespace terraintest {
namespace {

class TerrainDrawD3D : public TerrainDraw {
 protected:
  plat::IDirectDrawSurface* OpenFrame() override {
    plat::DDSURFACEDESC d;
    d.dwFlags = plat::DDSD_CAPS | plat::DDSD_WIDTH | plat::DDSD_HEIGHT;
    d.dwWidth = fbtest::kGameWidth;
    d.dwHeight = fbtest::kGameHeight;
    d.ddsCaps.dwCaps = plat::DDSCAPS_OFFSCREENPLAIN | plat::DDSCAPS_3DDEVICE;
    plat::IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), plat::DD_OK);
    surfaces_.push_back(s);
    SGFrameBufferOptions o = GameOptions(s);
    o.fboCodes &= ~SG_FB_OPT_NO_3D;
    EXPECT_EQ(Open(o), SG_ERROR_NONE);
    return s;
  }

  // The device converts a texture through its own palette: the pages' textures get the test colours.
  void GivePalettes() {
    for (SGPage* row = scene_->scnPages; row != nullptr; row = row->pagYNext) {
      for (SGPage* page = row; page != nullptr; page = page->pagXNext) {
        const SGPageTexInfo* pti = page->pagTextureInfo;
        for (std::uint32_t i = 0; pti != nullptr && i < pti->ptiNumTexLODs; ++i) {
          SGTextureInfo* info = pti->ptiTexLODs[i] != nullptr ? pti->ptiTexLODs[i]->txmInfo : nullptr;
          if (info != nullptr && info->tpiPal == nullptr) {
            auto* pal = static_cast<SGTexturePalette*>(SGCalloc(1, sizeof(SGTexturePalette)));
            pal->tpColours = static_cast<SGPalEntry*>(SGCalloc(256, sizeof(SGPalEntry)));
            const auto colours = rendertest::Colours();
            std::copy(colours.begin(), colours.end(), pal->tpColours);
            pal->tpNumColours = 256;
            pal->tpRefCnt = 1;
            info->tpiPal = pal;
          }
        }
      }
    }
  }
};

TEST_F(TerrainDrawD3D, HillsAreQueuedThroughTheDevice) {
  ASSERT_NE(rend_->renD3D, nullptr);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  GivePalettes();
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_GT(g_sgTerrainStats.tsCells, 100u);
  EXPECT_GT(rend_->renTriCount, 100u);
  // The software fills cover 190323 pixels of this view; texel sampling differs, the ground does not.
  EXPECT_NEAR(static_cast<double>(Covered()), 190323.0, 500.0);
  // The walk's material lived on its stack: the device no longer holds it.
  EXPECT_EQ(rend_->renD3D->d3dCurrMaterial, nullptr);
}

}  // namespace
}  // namespace terraintest
