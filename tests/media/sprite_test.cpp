#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "platform/core/dospath.h"
#include "platform/core/files.h"
#include "platform/gdi/shapes.h"
#include "tests/media/media_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace mediatest;

// 2 x 2 picture, top row first.
const std::vector<std::uint16_t> kPicture{0xFFFF, 0xF800, 0x07E0, 0x001F};

class SpriteTest : public MediaTest {
 protected:
  HMODULE Images() {
    return Module({{"IMA", "pic.ima", rc::kDefaultLanguage, Ima(2, 2, kPicture)},
                   {"IMA", "short.ima", rc::kDefaultLanguage, {4, 0, 4, 0, 1, 2, 3}},
                   {"TGA", "pic.tga", rc::kDefaultLanguage, Tga16(2, 2, {0x7FFF, 0x7C00, 0x03E0, 0x001F})}});
  }
};

TEST_F(SpriteTest, ImaAndTgaLoadOnBothPixelFormatsWithTheirColourKeys) {
  struct Case {
    bool is555;
    const char* name;
    std::vector<std::uint16_t> expect;
    DWORD key;
  };
  const Case cases[] = {
      {false, "C:\\ART\\Pic.IMA", kPicture, 0xF81F},
      {true, "pic.ima", {0x7FFF, 0x7C00, 0x03E0, 0x001F}, 0x7C1F},
      {false, "pic.tga", {0xFFDF, 0xF800, 0x07C0, 0x001F}, 0xF81F},
      {true, "pic.tga", {0x7FFF, 0x7C00, 0x03E0, 0x001F}, 0x7C1F},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetScreenFormat555(c.is555);
    CDDraw& dd = Windowed();
    CSprite s(&dd, 0xFF00FF, Images(), c.name, 5, 6, 0);
    EXPECT_EQ(std::make_tuple(s.width, s.height, s.loaded), std::make_tuple(2u, 2u, 1u));
    EXPECT_EQ(All(s), c.expect);
    DDCOLORKEY key;
    ASSERT_EQ(s.surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, c.key);
    EXPECT_EQ(key.dwColorSpaceHighValue, c.key);
  }
}

TEST_F(SpriteTest, MissingImageCountsAsLoadedButAShortOneFails) {
  CDDraw& dd = Windowed();
  HMODULE m = Images();
  CSprite missing(&dd, "nothere.ima", m, kNoColourKey, 4, 4, 0, 0, 0);
  missing.LoadImage(nullptr);
  EXPECT_EQ(missing.loaded, 1u);
  EXPECT_EQ(All(missing), std::vector<std::uint16_t>(16, 0));

  CSprite broken(&dd, kNoColourKey, m, "short.ima", 0, 0, 0);
  EXPECT_EQ(std::make_tuple(broken.width, broken.loaded), std::make_tuple(4u, 0u));
  EXPECT_EQ(broken.LoadIMAImage(), 1);
  EXPECT_EQ(All(broken), std::vector<std::uint16_t>(16, 0));

  // Sized from a missing image: no surface, and nothing draws.
  CSprite none(&dd, kNoColourKey, m, "gone.ima", 0, 0, 0);
  EXPECT_EQ(none.surface, nullptr);
  EXPECT_EQ(none.loaded, 0u);
  EXPECT_EQ(none.BltToSurface(&missing, 0, 0, nullptr), DDERR_INVALIDOBJECT);
  EXPECT_EQ(missing.BltToSurfaceStretch(&none, 0, 0, nullptr), DDERR_INVALIDOBJECT);
  EXPECT_EQ(none.BltToPrimary(nullptr, nullptr), DDERR_INVALIDOBJECT);
  EXPECT_EQ(none.BltFromSurface(0, 0), DDERR_INVALIDOBJECT);
  EXPECT_EQ(missing.ClipRect(nullptr, 0, 0, nullptr), DDERR_INVALIDOBJECT);
  EXPECT_EQ(none.LoadIMAImage(), 1);
  EXPECT_EQ(none.LoadTGA16Image(), 1);
  EXPECT_EQ(none.FillSurface(0, nullptr), 0u);
  EXPECT_EQ(none.GetDC(), nullptr);
  none.ScrollUp(1);

  // A surface larger than the image takes the image at its bottom-left.
  CSprite big(&dd, "pic.ima", m, kNoColourKey, 3, 3, 0, 0, 0);
  big.LoadImage(nullptr);
  EXPECT_EQ(All(big), (std::vector<std::uint16_t>{0, 0, 0, 0xFFFF, 0xF800, 0, 0x07E0, 0x001F, 0}));
}

TEST_F(SpriteTest, BlitsPlainKeyedClippedStretchedAndWithEffects) {
  CDDraw& dd = Windowed();
  HMODULE m = Images();
  CSprite dest(&dd, nullptr, kNoColourKey, 6, 4, 0, 0, 0);
  CSprite keyed(&dd, 0xFFFFFF, m, "pic.ima", 1, 1, 0);  // white is transparent
  dest.FillSurface(RGB(0, 0, 8), nullptr);              // 0x0001
  ASSERT_EQ(keyed.BltToSurface(&dest, -1, -1, nullptr), 0);
  EXPECT_EQ(All(dest), (std::vector<std::uint16_t>{1, 1,      1,      1, 1, 1,  //
                                                   1, 1,      0xF800, 1, 1, 1,  //
                                                   1, 0x07E0, 0x001F, 1, 1, 1,  //
                                                   1, 1,      1,      1, 1, 1}));

  // Clipped: only the part right of x = 5 and below y = 3 shows, at the clip edge.
  dest.FillSurface(RGB(0, 0, 8), nullptr);
  const RECT clip{5, 3, 6, 4};
  ASSERT_EQ(keyed.ClipRect(&dest, 4, 2, &clip), 0);
  EXPECT_EQ(At(dest, 5, 3), 0x001F);
  EXPECT_EQ(All(dest)[2 * 6 + 4], 1);
  const RECT far{0, 0, 1, 1};
  EXPECT_EQ(keyed.ClipRect(&dest, 3, 3, &far), 0);
  EXPECT_EQ(At(dest, 3, 3), 1);
  // A sprite partly off the left of the destination draws its visible part at 0.
  ASSERT_EQ(keyed.ClipRect(&dest, -1, 0, nullptr), 0);
  EXPECT_EQ(At(dest, 0, 0), 0xF800);
  EXPECT_EQ(At(dest, 0, 1), 0x001F);

  // Stretched over the whole destination: each source pixel covers 3 x 2.
  CSprite plain(&dd, kNoColourKey, m, "pic.ima", 0, 0, 0);
  ASSERT_EQ(plain.BltToSurfaceStretch(&dest, 99, 99, nullptr), 0);
  EXPECT_EQ(At(dest, 2, 1), 0xFFFF);
  EXPECT_EQ(At(dest, 3, 0), 0xF800);
  EXPECT_EQ(At(dest, 0, 3), 0x07E0);
  EXPECT_EQ(At(dest, 5, 2), 0x001F);

  // With effects: a colour fill through the FX record at the given place.
  DDBLTFX fx;
  fx.dwFillColor = 0x1234;
  const RECT src{0, 0, 2, 1};
  ASSERT_EQ(plain.BltToSurfaceFX(&dest, 4, 3, &src, DDBLT_COLORFILL, &fx), 0);
  EXPECT_EQ(At(dest, 4, 3), 0x1234);
  EXPECT_EQ(At(dest, 5, 3), 0x1234);
  EXPECT_EQ(At(dest, 2, 3), 0x07E0);
}

TEST_F(SpriteTest, ScreenBlitsAndALostSurfaceIsReloaded) {
  CDDraw& dd = Windowed();
  HMODULE m = Images();
  CSprite s(&dd, kNoColourKey, m, "pic.ima", 0, 0, 0);
  const RECT to{10, 20, 12, 22};
  ASSERT_EQ(s.BltToPrimary(&to, nullptr), 0);
  EXPECT_EQ(GetScreen().At(11, 20), 0xF800);
  EXPECT_EQ(GetScreen().At(10, 21), 0x07E0);

  CSprite grab(&dd, nullptr, kNoColourKey, 2, 2, 10, 20, 0);
  ASSERT_EQ(grab.BltFromSurface(0xFFFFFFFF, -1), 0);
  EXPECT_EQ(All(grab), kPicture);

  CSprite dest(&dd, nullptr, kNoColourKey, 2, 2, 0, 0, 0);
  s.surface->FailNextAccess(DDERR_SURFACELOST);
  ASSERT_EQ(s.BltToSurface(&dest, 0, 0, nullptr), 0);
  EXPECT_EQ(All(dest), kPicture);
  // A device context on a lost surface comes after a restore.
  dest.surface->FailNextAccess(DDERR_SURFACELOST);
  HDC dc = dest.GetDC();
  ASSERT_NE(dc, nullptr);
  const RECT box{0, 0, 1, 1};
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(dc, &box, green);
  dest.ReleaseDC(dc);
  DeleteObject(green);
  EXPECT_EQ(At(dest, 0, 0), 0x07E0);
  s.surface->FailNextAccess(DDERR_SURFACELOST);
  const RECT again{0, 0, 2, 2};
  ASSERT_EQ(s.BltToPrimary(&again, nullptr), 0);
  EXPECT_EQ(GetScreen().At(1, 0), 0xF800);
}

TEST_F(SpriteTest, FullScreenWithBackBufferFlipsAndRestoresTheDesktopMode) {
  HWND w = Window();
  auto dd = std::make_unique<CDDraw>(w, 800, 600, 16, 1);
  ASSERT_NE(dd->primary, nullptr);
  ASSERT_NE(dd->backBuffer, nullptr);
  EXPECT_EQ(g_savedDisplayMode.dwWidth, 800u);
  CSprite s(dd.get(), kNoColourKey, Images(), "pic.ima", 0, 0, 0);
  const RECT to{0, 0, 2, 2};
  ASSERT_EQ(s.BltToPrimary(&to, nullptr), 0);
  EXPECT_EQ(GetScreen().At(0, 0), 0xFFFF);
  // Minimised, restoring is skipped and everything stays as it was.
  backend_->SetMinimized(true);
  backend_->RunUntilIdle();
  IDirectDrawSurface* before = dd->primary;
  EXPECT_EQ(dd->RestorePrimarySurface(), 1);
  EXPECT_EQ(dd->primary, before);
  EXPECT_EQ(s.RestoreSurface(), 1);
  backend_->SetMinimized(false);
  backend_->RunUntilIdle();
  EXPECT_EQ(dd->RestorePrimarySurface(), 0);
  EXPECT_NE(dd->backBuffer, nullptr);
  dd.reset();
  // A second display can take the exclusive level: the first gave it back.
  CDDraw second(w, 800, 600, 16, 0);
  EXPECT_NE(second.primary, nullptr);
}

TEST_F(SpriteTest, WindowedDisplayWithAClipperRestoresIt) {
  auto windowed = std::make_unique<CDDraw>(Window(), 1);
  CDDraw& dd = *windowed;
  EXPECT_EQ(std::make_tuple(dd.bitsPerPixel, dd.fullScreen), std::make_tuple(16u, 0u));
  ASSERT_NE(dd.clipper, nullptr);
  IDirectDrawClipper* attached = nullptr;
  ASSERT_EQ(dd.primary->GetClipper(&attached), DD_OK);
  EXPECT_EQ(attached, dd.clipper);
  attached->Release();
  EXPECT_EQ(dd.RestorePrimarySurface(), 0);
  ASSERT_NE(dd.clipper, nullptr);
  HWND w = nullptr;
  dd.clipper->GetHWnd(&w);
  EXPECT_EQ(w, dd.window);
  windowed.reset();
  // Full screen without a back buffer: sprites go straight to the primary.
  CDDraw full(Window(), 800, 600, 16, 0);
  CSprite s(&full, nullptr, kNoColourKey, 2, 2, 0, 0, 0);
  s.FillSurface(RGB(255, 0, 0), nullptr);
  const RECT to{5, 5, 7, 7};
  ASSERT_EQ(s.BltToPrimary(&to, nullptr), 0);
  EXPECT_EQ(GetScreen().At(6, 6), 0xF800);
}

TEST_F(SpriteTest, FillsAndFadesInBothFormats) {
  for (bool is555 : {false, true}) {
    SetScreenFormat555(is555);
    CDDraw& dd = Windowed();
    CSprite s(&dd, nullptr, kNoColourKey, 4, 3, 0, 0, 0);
    ASSERT_EQ(s.FillSurface(RGB(255, 0, 0), nullptr), 1u);
    EXPECT_EQ(At(s, 3, 2), is555 ? 0x7C00 : 0xF800);
    const RECT part{1, 1, 3, 2};
    s.FillSurface(RGB(255, 255, 255), &part);
    EXPECT_EQ(At(s, 1, 1), is555 ? 0x7FFF : 0xFFDF);  // green keeps five bits
    EXPECT_EQ(At(s, 3, 1), is555 ? 0x7C00 : 0xF800);
    ASSERT_EQ(s.Fade(100, RGB(0, 0, 0), nullptr), 1u);
    EXPECT_EQ(All(s), std::vector<std::uint16_t>(12, 0));
    ASSERT_EQ(s.Fade(50, RGB(255, 255, 255), nullptr), 1u);
    EXPECT_EQ(At(s, 0, 0), is555 ? 0x3DEF : 0x7BEF);
    // Rectangles reaching past the surface are cut at its edges.
    const RECT over{2, 1, 50, 50};
    s.FillSurface(RGB(0, 0, 255), &over);
    s.Fade(100, RGB(0, 0, 255), &over);
    EXPECT_EQ(At(s, 3, 2), 0x001F);
    EXPECT_EQ(At(s, 1, 2), is555 ? 0x3DEF : 0x7BEF);
  }
}

// The two-entry cache must give what the blend gives pixel by pixel.
TEST_F(SpriteTest, FadeStepsMatchThePerPixelBlend) {
  CDDraw& dd = Windowed();
  CSprite s(&dd, nullptr, kNoColourKey, 16, 1, 0, 0, 0);
  const std::uint16_t in[16] = {0xFFFF, 0x1234, 0xFFFF, 0x1234, 0x8000, 0x8000, 0x0001, 0xFFFF,
                                0x07E0, 0x1234, 0x07E0, 0xF81F, 0x0000, 0x0000, 0xF81F, 0xABCD};
  for (WORD percent : {1, 25, 60, 99, 150}) {
    auto v = s.surface->Pixels();
    for (int i = 0; i < 16; ++i) reinterpret_cast<std::uint16_t*>(v.bits)[i] = in[i];
    s.Fade(percent, RGB(40, 200, 90), nullptr);
    const float f = std::min<WORD>(percent, 100) * 0.01f;
    for (int i = 0; i < 16; ++i) {
      auto ch = [&](int target, int mask) {
        return ((static_cast<int>(static_cast<float>(target - (in[i] & mask)) * f) & mask) + (in[i] & mask)) & mask;
      };
      const int blue = ((in[i] & 0x1F) + (static_cast<int>(static_cast<float>(11 - (in[i] & 0x1F)) * f) & 0xFF)) & 0x1F;
      EXPECT_EQ(At(s, i, 0), ch(5 << 11, 0xF800) + ch(25 << 6, 0x07E0) + blue) << percent << " " << i;
    }
  }
}

// Bitmap files made by an outside tool, as a user's own would be, through the
// 8-bit display's path: sized from the file, then stretched onto the surface.
TEST_F(SpriteTest, ImageMagickBitmapsLoadOnTheEightBitPath) {
  const quentest::TempDir tmp("quen_bmp");
  const auto& dir = tmp.path();
  SetDrive('T', dir);
  for (const char* type : {"-type palette BMP3:", "-type truecolor BMP3:", "-colors 200 -type palette BMP:"}) {
    SCOPED_TRACE(type);
    const std::string cmd = "convert -size 4x2 xc:red -fill blue -draw 'point 0,0' " + std::string(type) + "'" +
                            (dir / "pic.bmp").string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "ImageMagick is needed: scripts/setup installs it";
    CDDraw& dd = Windowed();
    dd.bitsPerPixel = 8;
    CSprite s(&dd, kNoColourKey, nullptr, "T:\\pic.bmp", 0, 0, 0);
    EXPECT_EQ(std::make_tuple(s.width, s.height, s.loaded), std::make_tuple(4u, 2u, 1u));
    EXPECT_EQ(At(s, 0, 0), 0x001F);
    EXPECT_EQ(At(s, 1, 0), 0xF800);
    EXPECT_EQ(At(s, 3, 1), 0xF800);
  }
  // The last picture as a bitmap resource of a module, without its file header.
  const auto file = ReadHostFile(dir / "pic.bmp");
  ASSERT_TRUE(file.has_value());
  HMODULE m = Module({{RT_BITMAP, "magick.bmp", rc::kDefaultLanguage, {file->begin() + 14, file->end()}}});
  {
    CDDraw& dd = Windowed();
    dd.bitsPerPixel = 8;
    CSprite s(&dd, "magick.bmp", kNoColourKey, 4, 2, 0, 0, 0);
    s.LoadImage(m);
    EXPECT_EQ(s.loaded, 1u);
    EXPECT_EQ(At(s, 0, 0), 0x001F);
    EXPECT_EQ(At(s, 2, 1), 0xF800);
  }
  CDDraw& dd = Windowed();
  dd.bitsPerPixel = 8;
  CSprite missing(&dd, "T:\\none.bmp", kNoColourKey, 2, 2, 0, 0, 0);
  EXPECT_EQ(missing.LoadBMP8Image(nullptr), DDERR_GENERIC);
  missing.LoadImage(nullptr);
  EXPECT_EQ(missing.loaded, 0u);
  ClearDrives();
}

TEST_F(SpriteTest, ScrollsMoveAndClear) {
  CDDraw& dd = Windowed();
  CSprite s(&dd, nullptr, kNoColourKey, 3, 3, 0, 0, 0);
  auto set = [&] {
    auto v = s.surface->Pixels();
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x)
        reinterpret_cast<std::uint16_t*>(v.bits + y * v.pitch)[x] = static_cast<std::uint16_t>(y * 3 + x + 1);
  };
  set();
  s.ScrollRight(1);
  EXPECT_EQ(All(s), (std::vector<std::uint16_t>{0, 1, 2, 0, 4, 5, 0, 7, 8}));
  set();
  s.ScrollLeft(2);
  EXPECT_EQ(All(s), (std::vector<std::uint16_t>{3, 0, 0, 6, 0, 0, 9, 0, 0}));
  set();
  s.ScrollDown(1);
  EXPECT_EQ(All(s), (std::vector<std::uint16_t>{0, 0, 0, 1, 2, 3, 4, 5, 6}));
  set();
  s.ScrollUp(1);
  EXPECT_EQ(All(s), (std::vector<std::uint16_t>{4, 5, 6, 7, 8, 9, 0, 0, 0}));
  set();
  s.ScrollUp(0);
  s.ScrollLeft(-3);
  EXPECT_EQ(At(s, 0, 0), 1);
}

}  // namespace
