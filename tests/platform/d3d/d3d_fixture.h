#pragma once
// A Direct3D device over a small 5-6-5 surface on the headless backend, with
// helpers for vertices, textures and pictures of the target.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/d3d/d3d.h"
#include "platform/d3d/d3draster.h"
#include "tests/platform/ddraw/dd_fixture.h"
#include "tests/support/golden.h"

namespace d3dtest {

using namespace plat;

constexpr DWORD kSize = 64;

inline D3DTLVERTEX V(float x, float y, float z, D3DCOLOR c, float u = 0, float v = 0, float rhw = 1) {
  return D3DTLVERTEX{x, y, z, rhw, c, 0xFF000000u, u, v};
}

// The display object is the DirectDraw tests' fixture's; the target and
// textures are 5-6-5 surfaces of it.
class D3DTest : public ddtest::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
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
    DisplayTest::TearDown();
  }

  IDirectDrawSurface* Surface(DWORD w, DWORD h, DWORD caps = 0) {
    const DDPIXELFORMAT f565 = ddtest::Rgb16(0xF800, 0x07E0);
    return Offscreen(w, h, &f565, caps);
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

  void Fill(WORD value) { ddtest::Fill16(target_, value); }

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

  IDirectDrawSurface* target_ = nullptr;
  IDirect3D2* d3d_ = nullptr;
  IDirect3DDevice2* device_ = nullptr;
};

}  // namespace d3dtest
