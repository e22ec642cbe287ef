#pragma once
// A windowed display on the headless backend with a resource module of test
// images, for the sprite and button tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/display/screen.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"
#include "tools/rc/moduleimage.h"

namespace mediatest {

using namespace plat;

// An ".ima" image: the pixels given top row first, stored bottom row first.
inline std::vector<std::uint8_t> Ima(std::uint16_t w, std::uint16_t h,
                                     const std::vector<std::uint16_t>& topDown) {
  std::vector<std::uint8_t> b{static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
                              static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(h >> 8)};
  for (int row = h - 1; row >= 0; --row)
    for (int c = 0; c < w; ++c) {
      const std::uint16_t p = topDown[static_cast<std::size_t>(row) * w + c];
      b.push_back(static_cast<std::uint8_t>(p));
      b.push_back(static_cast<std::uint8_t>(p >> 8));
    }
  return b;
}

inline std::vector<std::uint8_t> Tga16(std::uint16_t w, std::uint16_t h,
                                       const std::vector<std::uint16_t>& topDown) {
  std::vector<std::uint8_t> b(18, 0);
  b[2] = 2;
  b[12] = static_cast<std::uint8_t>(w);
  b[13] = static_cast<std::uint8_t>(w >> 8);
  b[14] = static_cast<std::uint8_t>(h);
  b[15] = static_cast<std::uint8_t>(h >> 8);
  b[16] = 16;
  auto ima = Ima(w, h, topDown);
  b.insert(b.end(), ima.begin() + 4, ima.end());
  return b;
}

class MediaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = &StartHeadlessBackend();
    ResetUserLayer();
    SetScreenFormat555(false);
  }
  void TearDown() override {
    ddraw_.reset();
    if (module_) FreeLibrary(module_);
    SetScreenFormat555(false);
    ResetUserLayer();
    StopBackend();
  }

  HWND Window() {
    WNDCLASSEX wc;
    wc.lpszClassName = "MediaPlain";
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    return CreateWindowEx(0, "MediaPlain", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                          nullptr, nullptr);
  }
  CDDraw& Windowed() {
    ddraw_ = std::make_unique<CDDraw>(Window(), 0);
    return *ddraw_;
  }
  HMODULE Module(std::vector<rc::Resource> resources) {
    module_ = LoadLibraryFromMemory(rc::WriteModuleImage(resources));
    return module_;
  }
  static std::uint16_t At(CSprite& s, int x, int y) {
    auto v = s.surface->Pixels();
    const std::uint8_t* p = v.bits + static_cast<std::ptrdiff_t>(y) * v.pitch + x * 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }
  static std::vector<std::uint16_t> All(CSprite& s) {
    std::vector<std::uint16_t> out;
    for (DWORD y = 0; y < s.height; ++y)
      for (DWORD x = 0; x < s.width; ++x) out.push_back(At(s, static_cast<int>(x), static_cast<int>(y)));
    return out;
  }

  HeadlessBackend* backend_ = nullptr;
  std::unique_ptr<CDDraw> ddraw_;
  HMODULE module_ = nullptr;
};

}  // namespace mediatest
