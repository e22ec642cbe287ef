#pragma once
// The render tests' scene and renderer over a frame buffer that allows a
// Direct3D device: its surface is made for 3D drawing and the options do not
// forbid hardware 3D, so binding the renderer creates the device.

#include <algorithm>
#include <cstdlib>
#include <string>

#include "../../render/support/renderfixture.h"
#include "sg/core/context.h"
#include "sg/d3d/d3ddevice.h"

namespace d3drendertest {

using namespace plat;
using rendertest::Colours;

class D3DRenderTest : public rendertest::RenderTest {
 protected:
  // A surface of the game's size made for 3D drawing, kept until the test ends.
  IDirectDrawSurface* Surface3D() {
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = fbtest::kGameWidth;
    d.dwHeight = fbtest::kGameHeight;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
    surfaces_.push_back(s);
    return s;
  }

  IDirectDrawSurface* OpenFrame() override {
    IDirectDrawSurface* s = Surface3D();
    SGFrameBufferOptions o = GameOptions(s);
    o.fboCodes &= ~SG_FB_OPT_NO_3D;
    EXPECT_EQ(Open(o), SG_ERROR_NONE);
    return s;
  }

  // A palette of 256 black entries, owned by the texture it is given to.
  static SGTexturePalette* NewPalette() {
    auto* pal = static_cast<SGTexturePalette*>(SGCalloc(1, sizeof(SGTexturePalette)));
    pal->tpColours = static_cast<SGPalEntry*>(SGCalloc(256, sizeof(SGPalEntry)));
    pal->tpNumColours = 256;
    pal->tpRefCnt = 1;
    return pal;
  }

  // Gives every kept material's texture the test colours as its palette and
  // prepares the materials for the context's device. The device modulates a
  // texture by its material's colour, which the software fills leave aside:
  // textured materials are made white.
  void Prepare() {
    for (SGMaterial* m : materials_) {
      SGTextureMap* txm = m->matTexMap;
      if (txm != nullptr) {
        m->matColour = 0xFFFFFF00u | (m->matColour & 0xFF);
      }
      if (txm != nullptr && txm->txmInfo->tpiPal == nullptr) {
        txm->txmInfo->tpiPal = NewPalette();
        const auto colours = Colours();
        std::copy(colours.begin(), colours.end(), txm->txmInfo->tpiPal->tpColours);
      }
      ASSERT_EQ(SGContextPrepareMaterial(ctx_, m), SG_ERROR_NONE);
    }
  }

  // The share of pixels of rows [firstRow, endRow) whose colour differs from
  // the render tests' golden picture `name` by more than `tolerance` in any channel.
  double DifferingShare(const std::string& name, int tolerance, int firstRow = 0, int endRow = 1 << 20) const {
    const auto golden = ReadPng(std::filesystem::path(QUEN_TEST_DATA_DIR).parent_path().parent_path() / "render" /
                                "data" / (name + ".png"));
    EXPECT_TRUE(golden.has_value());
    if (!golden) return 1.0;
    const Image frame = Frame();
    EXPECT_EQ(golden->rgb.size(), frame.rgb.size());
    std::size_t differing = 0;
    const std::size_t first = static_cast<std::size_t>(firstRow) * static_cast<std::size_t>(frame.width);
    const std::size_t end = std::min({golden->rgb.size(), frame.rgb.size(),
                                      static_cast<std::size_t>(endRow) * static_cast<std::size_t>(frame.width)});
    for (std::size_t i = first; i < end; ++i) {
      for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((golden->rgb[i] >> shift) & 0xFF);
        const int b = static_cast<int>((frame.rgb[i] >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance) {
          ++differing;
          break;
        }
      }
    }
    return end > first ? static_cast<double>(differing) / static_cast<double>(end - first) : 1.0;
  }
};

}  // namespace d3drendertest
