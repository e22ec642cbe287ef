#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "d3d_fixture.h"

namespace d3dtest {
namespace {

constexpr WORD kBlack = 0x0000;
constexpr WORD kGrey = 0x8410;

TEST_F(D3DTest, DepthTestKeepsTheNearerOfTwoCrossingTriangles) {
  IDirect3DViewport2* vp = nullptr;
  ASSERT_EQ(d3d_->CreateViewport(&vp, nullptr), D3D_OK);
  ASSERT_EQ(device_->AddViewport(vp), D3D_OK);
  D3DVIEWPORT2 data;
  data.dwWidth = data.dwHeight = kSize;
  vp->SetViewport2(&data);
  device_->SetCurrentViewport(vp);
  const D3DRECT all{0, 0, static_cast<LONG>(kSize), static_cast<LONG>(kSize)};
  ASSERT_EQ(vp->Clear(1, &all, D3DCLEAR_ZBUFFER), D3D_OK);
  device_->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  device_->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  device_->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
  // Red leans back to the right, blue to the left: they cross in the middle.
  ASSERT_EQ(List({V(4, 8, 0.1f, 0xFFFF0000), V(60, 20, 0.9f, 0xFFFF0000), V(4, 56, 0.1f, 0xFFFF0000),
                  V(60, 8, 0.1f, 0xFF0000FF), V(60, 56, 0.1f, 0xFF0000FF), V(4, 40, 0.9f, 0xFF0000FF)}),
            D3D_OK);
  ExpectGolden("depth");
  EXPECT_EQ(At(10, 30), 0xF800);  // red is nearer on the left
  EXPECT_EQ(At(54, 30), 0x001F);  // blue on the right
  vp->Release();
}

TEST_F(D3DTest, GouraudBlendsTheCornerColoursAndFlatTakesTheFirst) {
  ASSERT_EQ(List({V(2, 2, 0.5f, 0xFFFF0000), V(62, 2, 0.5f, 0xFF00FF00), V(2, 62, 0.5f, 0xFF0000FF)}), D3D_OK);
  device_->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT);
  ASSERT_EQ(List({V(62, 8, 0.5f, 0xFFFFFF00), V(62, 62, 0.5f, 0xFF00FFFF), V(8, 62, 0.5f, 0xFFFF00FF)}), D3D_OK);
  ExpectGolden("gouraud");
  EXPECT_EQ(At(60, 40), 0xFFE0);  // the flat triangle is all yellow
}

TEST_F(D3DTest, PerspectiveTexturingFollowsTheDepthOfAReceedingQuad) {
  D3DTEXTUREHANDLE h = 0;
  IDirect3DTexture2* tex = Checker(16, 4, 0xFFFF, 0xF800, &h);
  device_->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
  device_->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
  // The top edge is four times as far as the bottom one.
  const D3DTLVERTEX quad[4] = {V(24, 4, 0.8f, 0xFFFFFFFF, 0, 0, 0.25f), V(40, 4, 0.8f, 0xFFFFFFFF, 1, 0, 0.25f),
                               V(62, 60, 0.2f, 0xFFFFFFFF, 1, 1, 1.f), V(2, 60, 0.2f, 0xFFFFFFFF, 0, 1, 1.f)};
  ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, quad, 4, 0), D3D_OK);
  ExpectGolden("perspective");
  // Halfway up the screen is far less than halfway into the texture: the
  // first checker row (v < 1/4) reaches past the middle row of pixels.
  const WORD mid = At(32, 40);
  EXPECT_TRUE(mid == 0xFFFF || mid == 0xF800);
  tex->Release();
}

TEST_F(D3DTest, ColourKeyedTexelsLeaveTheTargetAsItWas) {
  Fill(kGrey);
  D3DTEXTUREHANDLE h = 0;
  IDirect3DTexture2* tex = Checker(8, 2, 0x0000, 0x07E0, &h);
  DDCOLORKEY key;
  ASSERT_EQ(tex->Surface()->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  device_->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
  device_->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  const D3DTLVERTEX quad[4] = {V(8, 8, 0.5f, 0xFFFFFFFF, 0, 0), V(56, 8, 0.5f, 0xFFFFFFFF, 1, 0),
                               V(56, 56, 0.5f, 0xFFFFFFFF, 1, 1), V(8, 56, 0.5f, 0xFFFFFFFF, 0, 1)};
  ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, quad, 4, 0), D3D_OK);
  ExpectGolden("colourkey");
  EXPECT_EQ(At(12, 12), kGrey);
  EXPECT_EQ(At(40, 12), 0x07E0);
  // Without the key state the black texels are drawn.
  device_->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  device_->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, quad, 4, 0);
  EXPECT_EQ(At(12, 12), kBlack);
  tex->Release();
}

TEST_F(D3DTest, TrianglesSharingAnEdgeCoverEachPixelOnce) {
  device_->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
  device_->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
  const D3DCOLOR c = 0xFF404040;
  // A fan of thin slivers around a centre at a pixel corner and one at a pixel centre.
  for (float centre : {32.f, 32.5f}) {
    Fill(kBlack);
    std::vector<D3DTLVERTEX> fan{V(centre, centre, 0.5f, c)};
    for (int k = 0; k <= 16; ++k) {
      const float a = static_cast<float>(k) * 6.2831853f / 16.f;
      fan.push_back(V(centre + 20.f * std::cos(a), centre + 20.f * std::sin(a), 0.5f, c));
    }
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, fan.data(), 18, 0), D3D_OK);
    for (DWORD y = 0; y < kSize; ++y) {
      for (DWORD x = 0; x < kSize; ++x) {
        const WORD p = At(static_cast<int>(x), static_cast<int>(y));
        ASSERT_TRUE(p == kBlack || p == 0x4208) << x << "," << y << " drawn twice: " << std::hex << p;
      }
    }
  }
}

TEST_F(D3DTest, CullingDropsTheWindingItIsAskedTo) {
  const std::vector<D3DTLVERTEX> clockwise{V(8, 8, 0.5f, 0xFFFFFFFF), V(56, 8, 0.5f, 0xFFFFFFFF),
                                           V(8, 56, 0.5f, 0xFFFFFFFF)};
  device_->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
  List(clockwise);
  EXPECT_EQ(At(16, 16), kBlack);
  device_->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
  List(clockwise);
  EXPECT_EQ(At(16, 16), 0xFFFF);
}

TEST_F(D3DTest, BadBatchesAreRefusedWholeAndWildVerticesStayInside) {
  const D3DTLVERTEX v[3] = {V(0, 0, 0.5f, 0xFFFFFFFF), V(60, 0, 0.5f, 0xFFFFFFFF), V(0, 60, 0.5f, 0xFFFFFFFF)};
  const WORD past[3] = {0, 1, 3};
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 3, past, 3, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 2, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<D3DVERTEXTYPE>(1), v, 3, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(At(5, 5), kBlack);

  // A viewport of the left half: nothing of a huge triangle, nor of one with
  // a NaN or infinite corner, lands outside it.
  IDirect3DViewport2* vp = nullptr;
  d3d_->CreateViewport(&vp, nullptr);
  device_->AddViewport(vp);
  D3DVIEWPORT2 data;
  data.dwWidth = kSize / 2;
  data.dwHeight = kSize;
  vp->SetViewport2(&data);
  device_->SetCurrentViewport(vp);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(List({V(-1e6f, -1e6f, 0.5f, 0xFFFFFFFF), V(1e6f, -1e5f, 0.5f, 0xFFFFFFFF), V(0, 1e6f, 0.5f, 0xFFFFFFFF),
                  V(nan, 3, 0.5f, 0xFFFF0000), V(50, 3, 0.5f, 0xFFFF0000), V(3, 50, 0.5f, 0xFFFF0000),
                  V(inf, 3, 0.5f, 0xFFFF0000), V(50, 3, 0.5f, 0xFFFF0000), V(3, 50, 0.5f, 0xFFFF0000)}),
            D3D_OK);
  for (DWORD y = 0; y < kSize; ++y) {
    for (DWORD x = 0; x < kSize; ++x) {
      ASSERT_EQ(At(static_cast<int>(x), static_cast<int>(y)), x < kSize / 2 ? 0xFFFF : kBlack) << x << "," << y;
    }
  }
  vp->Release();
}

TEST_F(D3DTest, AReleasedTexturesHandleDrawsUntexturedAndNeverReachesAnother) {
  D3DTEXTUREHANDLE h = 0;
  IDirect3DTexture2* tex = Checker(8, 1, 0x001F, 0x001F, &h);
  tex->Release();
  device_->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
  IDirect3DMaterial2* mat = nullptr;
  ASSERT_EQ(d3d_->CreateMaterial(&mat, nullptr), D3D_OK);
  D3DMATERIALHANDLE mh = 0;
  mat->GetHandle(device_, &mh);
  EXPECT_NE(mh, h);  // handles are never handed out twice
  ASSERT_EQ(List({V(0, 0, 0.5f, 0xFFFFFFFF), V(60, 0, 0.5f, 0xFFFFFFFF), V(0, 60, 0.5f, 0xFFFFFFFF)}), D3D_OK);
  EXPECT_EQ(At(5, 5), 0xFFFF);
  mat->Release();
}

TEST_F(D3DTest, TheDirect3DObjectAndTexturesKeepWhatTheyCameFromAlive) {
  void* iface = nullptr;
  EXPECT_EQ(dd_->QueryInterface(IID_IDirect3DTexture2, &iface), E_NOINTERFACE);
  EXPECT_EQ(target_->QueryInterface(IID_IDirect3D2, &iface), E_NOINTERFACE);
  IDirectDrawSurface* s = Surface(4, 4, DDSCAPS_TEXTURE);
  ASSERT_EQ(s->QueryInterface(IID_IDirect3DTexture2, &iface), DD_OK);
  EXPECT_EQ(s->Release(), 1u);  // the texture's reference remains
  static_cast<IDirect3DTexture2*>(iface)->Release();
  IDirect3DDevice2* ramp = nullptr;
  EXPECT_EQ(d3d_->CreateDevice(IID_IDirect3DRampDevice, target_, &ramp), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(ramp, nullptr);
}

TEST_F(D3DTest, ViewportClearFillsWithTheBackgroundInsideTheViewportOnly) {
  IDirect3DViewport2* vp = nullptr;
  d3d_->CreateViewport(&vp, nullptr);
  const D3DRECT all{0, 0, 64, 64};
  EXPECT_EQ(vp->Clear(1, &all, D3DCLEAR_TARGET), D3DERR_VIEWPORTHASNODEVICE);
  device_->AddViewport(vp);
  D3DVIEWPORT2 data;
  data.dwX = 8;
  data.dwY = 8;
  data.dwWidth = data.dwHeight = 16;
  vp->SetViewport2(&data);
  IDirect3DMaterial2* mat = nullptr;
  d3d_->CreateMaterial(&mat, nullptr);
  D3DMATERIAL m;
  m.diffuse = {0.f, 1.f, 0.f, 1.f};
  mat->SetMaterial(&m);
  D3DMATERIALHANDLE mh = 0;
  mat->GetHandle(device_, &mh);
  ASSERT_EQ(vp->SetBackground(mh), D3D_OK);
  ASSERT_EQ(vp->Clear(1, &all, D3DCLEAR_TARGET), D3D_OK);
  EXPECT_EQ(At(8, 8), 0x07E0);
  EXPECT_EQ(At(23, 23), 0x07E0);
  EXPECT_EQ(At(24, 24), kBlack);
  EXPECT_EQ(At(7, 7), kBlack);
  // A fill of two equal bytes, over a part of the viewport.
  m.diffuse = {1.f, 1.f, 1.f, 1.f};
  mat->SetMaterial(&m);
  const D3DRECT part{10, 12, 20, 30};
  ASSERT_EQ(vp->Clear(1, &part, D3DCLEAR_TARGET), D3D_OK);
  EXPECT_EQ(At(10, 12), 0xFFFF);
  EXPECT_EQ(At(19, 23), 0xFFFF);
  EXPECT_EQ(At(20, 23), 0x07E0);
  EXPECT_EQ(At(9, 12), 0x07E0);
  EXPECT_EQ(At(10, 11), 0x07E0);
  EXPECT_EQ(At(10, 24), kBlack);
  mat->Release();
  vp->Release();
}

// Rows a clear covers from edge to edge go as one fill: from the first of
// them to the last, and none where a viewport keeps a side out.
TEST_F(D3DTest, ViewportClearOfWholeRowsFillsThoseRowsOnly) {
  IDirect3DViewport2* vp = nullptr;
  d3d_->CreateViewport(&vp, nullptr);
  device_->AddViewport(vp);
  D3DVIEWPORT2 data;
  data.dwWidth = data.dwHeight = kSize;
  vp->SetViewport2(&data);
  const LONG side = static_cast<LONG>(kSize);
  const D3DRECT rows{-5, 10, side + 5, 20};  // clipped to whole rows
  Fill(0xFFFF);
  ASSERT_EQ(vp->Clear(1, &rows, D3DCLEAR_TARGET), D3D_OK);  // black, with no background
  for (const int x : {0, static_cast<int>(side) - 1}) {
    EXPECT_EQ(At(x, 9), 0xFFFF);
    EXPECT_EQ(At(x, 10), kBlack);
    EXPECT_EQ(At(x, 19), kBlack);
    EXPECT_EQ(At(x, 20), 0xFFFF);
  }
  data.dwX = 8;
  data.dwWidth = kSize - 8;
  vp->SetViewport2(&data);
  Fill(0xFFFF);
  ASSERT_EQ(vp->Clear(1, &rows, D3DCLEAR_TARGET), D3D_OK);
  EXPECT_EQ(At(7, 15), 0xFFFF);
  EXPECT_EQ(At(8, 15), kBlack);
  vp->Release();
}

TEST_F(D3DTest, DevicesAreListedAndScenesDoNotNest) {
  std::vector<std::string> names;
  ASSERT_EQ(d3d_->EnumDevices(
                [](GUID*, const char*, const char* name, D3DDEVICEDESC* hal, D3DDEVICEDESC*, void* context) {
                  static_cast<std::vector<std::string>*>(context)->push_back(name);
                  // Only the hardware kind describes perspective-correct texturing as its own.
                  return (hal->dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_PERSPECTIVE) != 0 ? D3DENUMRET_OK
                                                                                            : D3DENUMRET_CANCEL;
                },
                &names),
            D3D_OK);
  EXPECT_EQ(names, (std::vector<std::string>{"Direct3D HAL", "MMX Emulation"}));
  EXPECT_EQ(device_->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
  EXPECT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_SCENE_IN_SCENE);
  EXPECT_EQ(device_->EndScene(), D3D_OK);
}

TEST_F(D3DTest, WireframeDrawsOnlyTheEdges) {
  device_->SetRenderState(D3DRENDERSTATE_FILLMODE, D3DFILL_WIREFRAME);
  ASSERT_EQ(List({V(8, 8, 0.5f, 0xFFFFFFFF), V(56, 8, 0.5f, 0xFFFFFFFF), V(8, 56, 0.5f, 0xFFFFFFFF)}), D3D_OK);
  EXPECT_EQ(At(20, 8), 0xFFFF);
  EXPECT_EQ(At(8, 20), 0xFFFF);
  EXPECT_EQ(At(16, 16), kBlack);
}

}  // namespace
}  // namespace d3dtest
