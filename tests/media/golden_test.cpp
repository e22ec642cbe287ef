// One screen composed with every kind of sprite drawing, compared whole with
// tests/media/data/sprites.png (QUEN_REFRESH_GOLDEN=1 rewrites it).
#include <filesystem>

#include "tests/media/media_fixture.h"
#include "tests/support/golden.h"

namespace {

using namespace mediatest;

// A 64 x 48 picture: a colour ramp with a magenta (transparent) frame.
std::vector<std::uint16_t> Ramp() {
  std::vector<std::uint16_t> p;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool frame = x < 4 || y < 4 || x >= 60 || y >= 44;
      p.push_back(frame ? 0xF81F : static_cast<std::uint16_t>(((x / 2) << 11) | (y << 5) | (31 - x / 2)));
    }
  return p;
}

class GoldenTest : public MediaTest {};

TEST_F(GoldenTest, EveryBlitKindOnOneScreen) {
  CDDraw& dd = Windowed();
  HMODULE m = Module({{"IMA", "ramp.ima", rc::kDefaultLanguage, Ima(64, 48, Ramp())}});
  CSprite back(&dd, nullptr, kNoColourKey, 800, 600, 0, 0, 0);
  CSprite plain(&dd, kNoColourKey, m, "ramp.ima", 20, 20, 0);
  CSprite keyed(&dd, 0xFF00FF, m, "ramp.ima", 100, 20, 0);
  CSprite wide(&dd, nullptr, kNoColourKey, 200, 100, 0, 0, 0);
  back.FillSurface(RGB(30, 60, 90), nullptr);
  plain.BltToSurface(&back, -1, -1, nullptr);
  keyed.BltToSurface(&back, -1, -1, nullptr);
  const RECT clip{200, 30, 240, 60};
  keyed.ClipRect(&back, 190, 20, &clip);
  const RECT half{4, 4, 32, 24};
  plain.BltToSurfaceStretch(&wide, 0, 0, &half);
  wide.BltToSurface(&back, 300, 20, nullptr);
  DDBLTFX fx;
  fx.dwFillColor = 0x07E0;
  keyed.BltToSurfaceFX(&back, 20, 200, nullptr, DDBLT_COLORFILL, &fx);
  const RECT faded{0, 300, 400, 400};
  back.Fade(50, RGB(255, 255, 255), &faded);
  const RECT filled{400, 300, 500, 400};
  back.FillSurface(RGB(200, 100, 0), &filled);
  back.ScrollDown(5);
  ASSERT_EQ(back.BltToPrimary(nullptr, nullptr), 0);

  EXPECT_TRUE(quentest::MatchesGolden(ScreenImage(), std::filesystem::path(QUEN_TEST_DATA_DIR) / "sprites.png"));
}

}  // namespace
