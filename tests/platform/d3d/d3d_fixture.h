#pragma once
// A Direct3D device over a small 5-6-5 surface on the headless backend, with
// helpers for vertices, textures and pictures of the target.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/backend/headless.h"
#include "platform/d3d/d3d.h"
#include "platform/d3d/d3draster.h"
#include "platform/display/screen.h"
#include "platform/user/window.h"
#include "tests/support/golden.h"

namespace d3dtest {

using namespace plat;

constexpr DWORD kSize = 64;

inline D3DTLVERTEX V(float x, float y, float z, D3DCOLOR c, float u = 0, float v = 0, float rhw = 1) {
  return D3DTLVERTEX{x, y, z, rhw, c, 0xFF000000u, u, v};
}

class D3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartHeadlessBackend();
    ResetUserLayer();
    SetScreenFormat555(false);
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
    target_ = Surface(kSize, kSize, DDSCAPS_3DDEVICE);
    void* iface = nullptr;
    ASSERT_EQ(dd_->QueryInterface(IID_IDirect3D2, &iface), DD_OK);
    d3d_ = static_cast<IDirect3D2*>(iface);
    ASSERT_EQ(d3d_->CreateDevice(IID_IDirect3DHALDevice, target_, &device_), D3D_OK);
    device_->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    Fill(0);
  }
  void TearDown() override {
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
    if (target_) target_->Release();
    if (dd_) dd_->Release();
    ResetUserLayer();
    StopBackend();
  }

  IDirectDrawSurface* Surface(DWORD w, DWORD h, DWORD caps = 0, bool r555 = false) {
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = w;
    d.dwHeight = h;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | caps;
    d.ddpfPixelFormat.dwFlags = DDPF_RGB;
    d.ddpfPixelFormat.dwRGBBitCount = 16;
    d.ddpfPixelFormat.dwRBitMask = r555 ? 0x7C00 : 0xF800;
    d.ddpfPixelFormat.dwGBitMask = r555 ? 0x03E0 : 0x07E0;
    d.ddpfPixelFormat.dwBBitMask = 0x001F;
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  // A checker texture of `cells` squares a side in two 5-6-5 colours, with
  // its texture interface and handle; the caller releases the texture.
  IDirect3DTexture2* Checker(DWORD size, DWORD cells, WORD a, WORD b, D3DTEXTUREHANDLE* handle) {
    IDirectDrawSurface* s = Surface(size, size, DDSCAPS_TEXTURE);
    const auto px = s->Pixels();
    for (DWORD y = 0; y < size; ++y) {
      for (DWORD x = 0; x < size; ++x) {
        const WORD w = ((x * cells / size + y * cells / size) % 2) ? b : a;
        std::memcpy(px.bits + y * px.pitch + 2 * x, &w, 2);
      }
    }
    void* iface = nullptr;
    EXPECT_EQ(s->QueryInterface(IID_IDirect3DTexture2, &iface), DD_OK);
    s->Release();
    auto* t = static_cast<IDirect3DTexture2*>(iface);
    EXPECT_EQ(t->GetHandle(device_, handle), D3D_OK);
    return t;
  }

  void Fill(WORD value) {
    DDBLTFX fx;
    fx.dwFillColor = value;
    ASSERT_EQ(target_->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }

  WORD At(int x, int y) const {
    const auto px = target_->Pixels();
    WORD w;
    std::memcpy(&w, px.bits + y * px.pitch + 2 * x, 2);
    return w;
  }

  Image Picture() const {
    Image img;
    img.width = img.height = static_cast<int>(kSize);
    img.rgb.resize(kSize * kSize);
    for (DWORD y = 0; y < kSize; ++y) {
      for (DWORD x = 0; x < kSize; ++x) {
        int r, g, b;
        d3d_impl::UnpackPixel(false, At(static_cast<int>(x), static_cast<int>(y)), &r, &g, &b);
        img.rgb[y * kSize + x] = static_cast<std::uint32_t>(r << 16 | g << 8 | b);
      }
    }
    return img;
  }

  void ExpectGolden(const std::string& name) const {
    EXPECT_TRUE(quentest::MatchesGolden(Picture(), std::filesystem::path(QUEN_TEST_DATA_DIR) / (name + ".png")));
  }

  HRESULT List(std::vector<D3DTLVERTEX> v) {
    return device_->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v.data(), static_cast<DWORD>(v.size()), 0);
  }

  IDirectDraw* dd_ = nullptr;
  IDirectDrawSurface* target_ = nullptr;
  IDirect3D2* d3d_ = nullptr;
  IDirect3DDevice2* device_ = nullptr;
};

}  // namespace d3dtest
