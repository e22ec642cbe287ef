#include "platform/user/window.h"
#include "tests/platform/ddraw/dd_fixture.h"

namespace {

using namespace ddtest;

class BlitTest : public DisplayTest {};

constexpr std::uint16_t kKey = 0xF81F;  // magenta in 5-6-5

TEST_F(BlitTest, ColourKeyedBlitsSkipTheKeyOnly) {
  IDirectDrawSurface* sprite = Offscreen(4, 4);
  IDirectDrawSurface* dst = Offscreen(10, 10);
  Fill16(sprite, kKey);
  Put16(sprite, 1, 1, 0x07E0);
  Put16(sprite, 2, 2, kKey - 1);
  Fill16(dst, 0x001F);
  DDCOLORKEY key{kKey, kKey};
  ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);

  ASSERT_EQ(dst->BltFast(5, 5, sprite, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  // Key: the destination shows through; one below the key is copied.
  for (auto [x, want] : {std::pair{5, 0x001F}, {6, 0x07E0}, {7, kKey - 1}}) EXPECT_EQ(Get16(dst, x, x), want) << x;

  // Without the key flag every pixel is copied.
  ASSERT_EQ(dst->BltFast(0, 0, sprite, nullptr, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Get16(dst, 0, 0), kKey);

  // Blt with KEYSRC and a source rectangle.
  Fill16(dst, 0);
  RECT srcPart{1, 1, 3, 3}, dstPart{0, 0, 2, 2};
  ASSERT_EQ(dst->Blt(&dstPart, sprite, &srcPart, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get16(dst, 0, 0), 0x07E0);
  EXPECT_EQ(Get16(dst, 1, 0), 0);

  // A key range covers every value within it.
  DDBLTFX fx;
  fx.ddckSrcColorkey = DDCOLORKEY{kKey - 1, kKey};
  Fill16(dst, 0);
  ASSERT_EQ(dst->Blt(nullptr, sprite, nullptr, DDBLT_KEYSRCOVERRIDE, &fx), DD_OK);
  EXPECT_EQ(Get16(dst, 2 * 10 / 4, 2 * 10 / 4), 0);

  IDirectDrawSurface* plain = Offscreen(2, 2);
  EXPECT_EQ(dst->BltFast(0, 0, plain, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
  EXPECT_EQ(dst->BltFast(9, 9, sprite, nullptr, 0), DDERR_INVALIDRECT);  // would reach past the edge
  EXPECT_EQ(dst->BltFast(0xFFFFFFFFu, 0, sprite, nullptr, 0), DDERR_INVALIDRECT);
  for (IDirectDrawSurface* x : {plain, dst, sprite}) x->Release();
}

TEST_F(BlitTest, StretchTakesTheNearestPixel) {
  IDirectDrawSurface* src = Offscreen(2, 2);
  IDirectDrawSurface* dst = Offscreen(8, 6);
  for (int i = 0; i < 4; ++i) Put16(src, i % 2, i / 2, static_cast<std::uint16_t>(i + 1));
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  const struct { int x, y, want; } at[] = {{0, 0, 1}, {3, 2, 1}, {4, 2, 2}, {3, 3, 3}, {7, 5, 4}};
  for (const auto& a : at) EXPECT_EQ(Get16(dst, a.x, a.y), a.want) << a.x << "," << a.y;
  // Shrinking back.
  IDirectDrawSurface* small = Offscreen(2, 2);
  ASSERT_EQ(small->Blt(nullptr, dst, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get16(small, 1, 1), 4);
  for (IDirectDrawSurface* x : {small, dst, src}) x->Release();
}

TEST_F(BlitTest, ColourFillWritesTheValueInEveryFormat) {
  IDirectDrawSurface* s = Offscreen(5, 3);
  DDBLTFX fx;
  fx.dwFillColor = 0xF800;
  fx.dwDDFX = DDBLTFX_NOTEARING;
  RECT r{1, 1, 4, 3};
  ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_WAIT, &fx), DD_OK);
  const struct { int x, y, want; } at[] = {{0, 0, 0}, {1, 1, 0xF800}, {3, 2, 0xF800}, {4, 2, 0}};
  for (const auto& a : at) EXPECT_EQ(Get16(s, a.x, a.y), a.want) << a.x << "," << a.y;
  fx.dwDDFX = 0x2;  // mirroring is not offered
  EXPECT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_DDFX, &fx), DDERR_UNSUPPORTED);
  EXPECT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);

  const DDPIXELFORMAT f8 = Indexed8();
  IDirectDrawSurface* s8 = Offscreen(3, 3, &f8);
  fx.dwFillColor = 0x1AB;
  ASSERT_EQ(s8->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(s8->Pixels().bits[4], 0xAB);
  // Formats do not mix.
  EXPECT_EQ(s->Blt(nullptr, s8, nullptr, 0, nullptr), DDERR_INVALIDPIXELFORMAT);
  s8->Release();
  s->Release();
}

TEST_F(BlitTest, FiveFiveFiveAndFiveSixFiveStayApart) {
  const DDPIXELFORMAT f555 = Rgb16(0x7C00, 0x03E0);
  IDirectDrawSurface* a = Offscreen(4, 4, &f555);
  IDirectDrawSurface* b = Offscreen(4, 4, &f555);
  IDirectDrawSurface* c = Offscreen(4, 4);
  Fill16(a, 0x7C1F);
  ASSERT_EQ(b->BltFast(0, 0, a, nullptr, 0), DD_OK);
  EXPECT_EQ(Get16(b, 2, 2), 0x7C1F);
  EXPECT_EQ(c->BltFast(0, 0, a, nullptr, 0), DDERR_INVALIDPIXELFORMAT);
  for (IDirectDrawSurface* x : {a, b, c}) x->Release();
}

// The keyed copy takes several pixels at a time: at every width and offset it
// must match a plain pixel-by-pixel copy, key range edges included.
TEST_F(BlitTest, KeyedBlitsMatchAPlainLoopAtEveryWidth) {
  constexpr std::uint16_t kLow = 0x1000, kHigh = 0x1003;
  const std::uint16_t values[] = {kLow - 1, kLow, kLow + 1, kHigh, kHigh + 1, 0, 0xFFFF, 0x8000};
  IDirectDrawSurface* sprite = Offscreen(21, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 21; ++x) Put16(sprite, x, y, values[(x * 5 + y * 3) % 8]);
  DDCOLORKEY key{kLow, kHigh};
  sprite->SetColorKey(DDCKEY_SRCBLT, &key);
  IDirectDrawSurface* dst = Offscreen(40, 2);
  for (int width = 1; width <= 21; ++width) {
    for (int at = 0; at < 3; ++at) {
      Fill16(dst, 0x4321);
      RECT part{21 - width, 0, 21, 2};
      ASSERT_EQ(dst->BltFast(static_cast<DWORD>(at), 0, sprite, &part, DDBLTFAST_SRCCOLORKEY), DD_OK);
      for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 40; ++x) {
          const int sx = x - at + part.left;
          std::uint16_t want = 0x4321;
          if (x >= at && x < at + width) {
            const std::uint16_t p = values[(sx * 5 + y * 3) % 8];
            if (p < kLow || p > kHigh) want = p;
          }
          ASSERT_EQ(Get16(dst, x, y), want) << "width " << width << " at " << at << " x " << x;
        }
      }
    }
  }
  dst->Release();
  sprite->Release();
}

TEST_F(BlitTest, OverlappingCopyWithinOneSurface) {
  IDirectDrawSurface* s = Offscreen(6, 1);
  for (int x = 0; x < 6; ++x) Put16(s, x, 0, static_cast<std::uint16_t>(x + 1));
  RECT src{0, 0, 4, 1};
  ASSERT_EQ(s->BltFast(2, 0, s, &src, 0), DD_OK);
  std::vector<int> row;
  for (int x = 0; x < 6; ++x) row.push_back(Get16(s, x, 0));
  EXPECT_EQ(row, (std::vector<int>{1, 2, 1, 2, 3, 4}));
  s->Release();
}

TEST_F(BlitTest, ClipperKeepsBlitsInsideItsWindow) {
  HWND w = PlainWindow(100, 100, 50, 40);
  IDirectDrawSurface* primary = Primary();
  Fill16(primary, 0);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, w), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  clipper->Release();
  IDirectDrawSurface* src = Offscreen(100, 100);
  Fill16(src, 0xFFFF);
  RECT dst{80, 80, 180, 180};
  ASSERT_EQ(primary->Blt(&dst, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  const struct { int x, y, want; } at[] = {{99, 120, 0}, {100, 100, 0xFFFF}, {149, 139, 0xFFFF}, {150, 139, 0}};
  for (const auto& a : at) EXPECT_EQ(GetScreen().At(a.x, a.y), a.want) << a.x << "," << a.y;
  EXPECT_EQ(primary->BltFast(0, 0, src, nullptr, 0), DDERR_BLTFASTCANTCLIP);
  RECT offScreen{-20, -20, 10, 10};  // a clipper also clips to the surface
  EXPECT_EQ(primary->Blt(&offScreen, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  primary->SetClipper(nullptr);
  EXPECT_EQ(primary->Blt(&offScreen, src, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  src->Release();
  primary->Release();
}

// A dialog over the window draws through the window's clipper: where a
// window above covers a child, the child does not show, and its place is the
// dialog's to draw.
TEST_F(BlitTest, ClipperLeavesOutOnlyTheChildrenThatShow) {
  HWND w = PlainWindow(100, 100, 100, 100, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  PlainWindow(10, 60, 80, 20, WS_CHILD | WS_VISIBLE, w);  // half under the dialog
  PlainWindow(0, 0, 150, 170);                            // the dialog
  IDirectDrawSurface* primary = Primary();
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, w), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  clipper->Release();
  Fill16(primary, 0);
  DDBLTFX fx;
  fx.dwFillColor = 0xFFFF;
  ASSERT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  const struct {
    int x, y, want;
  } at[] = {{110, 160, 0xFFFF}, {149, 169, 0xFFFF}, {149, 170, 0},     {150, 160, 0},
            {189, 179, 0},      {150, 185, 0xFFFF}, {195, 170, 0xFFFF}};
  for (const auto& a : at) EXPECT_EQ(GetScreen().At(a.x, a.y), a.want) << a.x << "," << a.y;
  primary->Release();
}

TEST_F(BlitTest, ClipperOfAClipChildrenWindowLeavesTheChildrenAlone) {
  HWND w = PlainWindow(100, 100, 50, 40, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND childWindow = PlainWindow(10, 10, 20, 10, WS_CHILD | WS_VISIBLE, w);
  IDirectDrawSurface* primary = Primary();
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, w), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  IDirectDrawClipper* got = nullptr;
  ASSERT_EQ(primary->GetClipper(&got), DD_OK);
  EXPECT_EQ(got, clipper);
  got->Release();
  clipper->Release();
  IDirectDrawSurface* src = Offscreen(200, 200);
  Fill16(src, 0xFFFF);
  for (const bool fill : {true, false}) {
    Fill16(primary, 0);
    if (fill) {
      DDBLTFX fx;
      fx.dwFillColor = 0xFFFF;
      ASSERT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    } else {
      RECT dst{0, 0, 200, 200};
      ASSERT_EQ(primary->Blt(&dst, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    }
    const struct {
      int x, y, want;
    } at[] = {{109, 115, 0xFFFF}, {110, 110, 0}, {129, 119, 0}, {130, 115, 0xFFFF}, {120, 120, 0xFFFF}, {99, 100, 0}};
    for (const auto& a : at) EXPECT_EQ(GetScreen().At(a.x, a.y), a.want) << fill << " " << a.x << "," << a.y;
  }
  // Moving the window's picture down a row within the surface: every piece
  // reads the rows as they were before any piece was written.
  for (int y = 100; y < 140; ++y)
    for (int x = 100; x < 150; ++x) Put16(primary, x, y, static_cast<std::uint16_t>(y));
  const std::uint16_t child = Get16(primary, 115, 115);
  RECT from{100, 100, 150, 139}, to{100, 101, 150, 140};
  ASSERT_EQ(primary->Blt(&to, primary, &from, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get16(primary, 105, 120), 119);
  EXPECT_EQ(Get16(primary, 140, 111), 110);
  EXPECT_EQ(Get16(primary, 115, 115), child);
  // The clip list is worked out afresh for every blit: a child hidden since
  // the last one no longer keeps its pixels, and a detached clipper none.
  ShowWindow(childWindow, SW_HIDE);
  RECT dst{0, 0, 200, 200};
  ASSERT_EQ(primary->Blt(&dst, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(GetScreen().At(115, 115), 0xFFFF);
  EXPECT_EQ(GetScreen().At(99, 100), 0);
  primary->SetClipper(nullptr);
  ASSERT_EQ(primary->Blt(&dst, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(GetScreen().At(99, 100), 0xFFFF);
  src->Release();
  primary->Release();
}

}  // namespace
