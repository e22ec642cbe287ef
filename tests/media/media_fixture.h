#pragma once
// A windowed display on the headless backend with a resource module of test
// images, for the sprite and button tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/core/bytes.h"
#include "platform/display/screen.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"
#include "tests/support/plain_window.h"
#include "tools/rc/moduleimage.h"

namespace mediatest {

using namespace plat;

// The rows of a 16-bit picture given top row first, written bottom row first.
inline void BottomUp(ByteWriter& out, std::uint16_t w, std::uint16_t h, const std::vector<std::uint16_t>& topDown) {
  for (int row = h - 1; row >= 0; --row)
    for (int c = 0; c < w; ++c) out.U16(topDown[static_cast<std::size_t>(row) * w + c]);
}

// An ".ima" image: width, height, 5-6-5 rows.
inline std::vector<std::uint8_t> Ima(std::uint16_t w, std::uint16_t h, const std::vector<std::uint16_t>& topDown) {
  ByteWriter out;
  out.U16(w);
  out.U16(h);
  BottomUp(out, w, h, topDown);
  return out.Take();
}

// An uncompressed 16-bit TGA image: the 18-byte header, 1-5-5-5 rows.
inline std::vector<std::uint8_t> Tga16(std::uint16_t w, std::uint16_t h, const std::vector<std::uint16_t>& topDown) {
  ByteWriter out;
  for (std::uint8_t v : {0, 0, 2}) out.U8(v);
  out.Zeros(9);
  out.U16(w);
  out.U16(h);
  out.U8(16);
  out.U8(0);
  BottomUp(out, w, h, topDown);
  return out.Take();
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

  static HWND Window() { return quentest::PlainWindow("MediaPlain", 0, 0, 800, 600); }
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
