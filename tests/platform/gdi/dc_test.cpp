// DCs on windows, surfaces and memory; object selection and deletion.

#include <gtest/gtest.h>

#include <tuple>

#include "platform/display/screen.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/paint.h"
#include "tests/platform/ddraw/dd_fixture.h"
#include "tests/platform/gdi/gdi_fixture.h"

namespace gditest {
namespace {

TEST(Objects, NewDcsHoldTheStockObjects) {
  Target t(4, 4, PixelFormat::kRgb565);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  HBRUSH brush = CreateSolidBrush(0);
  EXPECT_EQ(SelectObject(t.dc(), pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(t.dc(), brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(t.dc(), GetStockObject(DEFAULT_GUI_FONT)), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(SelectObject(t.dc(), pen), pen);
  EXPECT_EQ(GetTextColor(t.dc()), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(t.dc()), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(t.dc()), OPAQUE);
  EXPECT_EQ(SetBkMode(t.dc(), 7), 0);
  EXPECT_EQ(SetTextAlign(t.dc(), TA_BOTTOM), TA_TOP | TA_LEFT);
  // Stock objects survive deletion; bitmaps go only into memory DCs.
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
  EXPECT_NE(SelectObject(t.dc(), GetStockObject(BLACK_BRUSH)), nullptr);
  EXPECT_EQ(GetStockObject(99), nullptr);
  EXPECT_EQ(SelectObject(t.dc(), nullptr), nullptr);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));
}

// A font deleted while selected keeps drawing for that DC and is gone for
// everyone else.
TEST(Objects, DeletingASelectedObjectWaitsForTheDc) {
  Target t(80, 20, PixelFormat::kRgb565);
  HFONT font = CreateFont(16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  SelectObject(t.dc(), font);
  EXPECT_TRUE(DeleteObject(font));
  Target other(4, 4, PixelFormat::kRgb565);
  EXPECT_EQ(SelectObject(other.dc(), font), nullptr);
  SetTextColor(t.dc(), RGB(255, 255, 255));
  EXPECT_TRUE(TextOut(t.dc(), 0, 0, "Still", 5));
  TEXTMETRIC tm;
  GetTextMetrics(t.dc(), &tm);
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_GT(t.Count(0xFFFF), 0);
}

TEST(DeviceContexts, CapsAndMemoryDcs) {
  Target t(4, 4, PixelFormat::kRgb555);
  EXPECT_EQ(GetDeviceCaps(t.dc(), BITSPIXEL), 16);
  EXPECT_EQ(GetDeviceCaps(t.dc(), PLANES), 1);
  EXPECT_FALSE(GetDeviceCaps(t.dc(), RASTERCAPS) & RC_PALETTE);
  EXPECT_TRUE(GetDeviceCaps(t.dc(), RASTERCAPS) & RC_STRETCHBLT);
  EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
  HDC memory = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(memory, BITSPIXEL), 16);
  POINT origin{9, 9};
  EXPECT_TRUE(GetDCOrgEx(memory, &origin));
  EXPECT_EQ(origin.x, 0);
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_FALSE(DeleteDC(memory));
  EXPECT_FALSE(ReleaseDC(nullptr, t.dc()));
}

class WindowDcTest : public ddtest::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    std::fill(GetScreen().pixels.begin(), GetScreen().pixels.end(), BYTE{0});
  }
  static void FillAll(HDC dc) {
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT huge{-1000, -1000, 1000, 1000};
    FillRect(dc, &huge, red);
    DeleteObject(red);
  }
  // The screen's red pixels.
  static RECT RedOnScreen() {
    return BoundsWhere(800, 600, [](int x, int y) { return GetScreen().At(x, y) == 0xF800; });
  }
};

TEST_F(WindowDcTest, DrawsOntoTheScreenInsideTheClientArea) {
  HWND w = PlainWindow(100, 50, 200, 120);
  HDC dc = GetDC(w);
  ASSERT_NE(dc, nullptr);
  POINT origin;
  ASSERT_TRUE(GetDCOrgEx(dc, &origin));
  EXPECT_EQ(std::make_tuple(origin.x, origin.y), std::make_tuple(100, 50));
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  SelectObject(dc, pen);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 5, 0);
  EXPECT_EQ(GetScreen().At(100, 50), 0xFFFF);
  EXPECT_EQ(GetScreen().At(104, 50), 0xFFFF);
  FillAll(dc);
  EXPECT_EQ(EdgesOf(RedOnScreen()), (Edges{100, 50, 300, 170}));
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);  // not that window's
  EXPECT_EQ(ReleaseDC(w, dc), 1);
  EXPECT_EQ(DeleteObject(pen), TRUE);

  // The whole screen.
  HDC screen = GetDC(nullptr);
  FillAll(screen);
  EXPECT_EQ(RedOnScreen().right, 800);
  ReleaseDC(nullptr, screen);
}

TEST_F(WindowDcTest, ChildrenAreClippedByTheirParentAndHiddenOrLockedWindowsDrawNothing) {
  HWND parent = PlainWindow(100, 100, 50, 50);
  HWND child = PlainWindow(30, 30, 100, 100, WS_CHILD | WS_VISIBLE, parent);
  HDC dc = GetDC(child);
  FillAll(dc);
  EXPECT_EQ(EdgesOf(RedOnScreen()), (Edges{130, 130, 150, 150}));
  ReleaseDC(child, dc);

  std::fill(GetScreen().pixels.begin(), GetScreen().pixels.end(), BYTE{0});
  HWND hidden = PlainWindow(0, 0, 50, 50, WS_POPUP);
  dc = GetDC(hidden);
  FillAll(dc);
  EXPECT_EQ(RedOnScreen().right, 0);
  ReleaseDC(hidden, dc);

  ASSERT_TRUE(LockWindowUpdate(parent));
  dc = GetDC(child);
  FillAll(dc);
  EXPECT_EQ(RedOnScreen().right, 0);
  ReleaseDC(child, dc);
  LockWindowUpdate(nullptr);
}

TEST_F(WindowDcTest, ClipChildrenLeavesTheChildrenAlone) {
  HWND parent = PlainWindow(100, 100, 50, 50, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  PlainWindow(10, 10, 20, 20, WS_CHILD | WS_VISIBLE, parent);
  PlainWindow(0, 40, 10, 10, WS_CHILD, parent);  // hidden: drawn over
  HDC dc = GetDC(parent);
  FillAll(dc);
  HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  SelectObject(dc, white);
  MoveToEx(dc, 0, 20, nullptr);
  LineTo(dc, 50, 20);  // crosses the child
  ReleaseDC(parent, dc);
  DeleteObject(white);
  const struct {
    int x, y, want;
  } at[] = {{109, 120, 0xFFFF}, {110, 120, 0},      {129, 129, 0},     {130, 120, 0xFFFF},
            {105, 105, 0xF800}, {105, 145, 0xF800}, {131, 131, 0xF800}};
  for (const auto& a : at) EXPECT_EQ(GetScreen().At(a.x, a.y), a.want) << a.x << "," << a.y;
}

// A window under another (the main window under a full-screen modal dialog)
// may still be asked to paint: it draws only where it shows, children and
// erasing included.
TEST_F(WindowDcTest, WindowsAboveAreLeftAlone) {
  HWND under = PlainWindow(100, 100, 100, 100);
  HWND child = PlainWindow(10, 10, 30, 30, WS_CHILD | WS_VISIBLE, under);
  HWND above = PlainWindow(120, 100, 100, 20);
  HWND hiddenAbove = PlainWindow(100, 150, 100, 50, WS_POPUP);
  for (HWND w : {under, child}) {
    std::fill(GetScreen().pixels.begin(), GetScreen().pixels.end(), BYTE{0});
    HDC dc = GetDC(w);
    FillAll(dc);
    ReleaseDC(w, dc);
    const struct {
      int x, y, want;
    } at[] = {
        {115, 115, 0xF800}, {120, 115, 0}, {139, 119, 0}, {125, 120, 0xF800}, {105, 160, w == under ? 0xF800 : 0}};
    for (const auto& a : at) EXPECT_EQ(GetScreen().At(a.x, a.y), a.want) << a.x << "," << a.y;
  }
  // The window above draws over the one below as before.
  std::fill(GetScreen().pixels.begin(), GetScreen().pixels.end(), BYTE{0});
  HDC dc = GetDC(above);
  FillAll(dc);
  ReleaseDC(above, dc);
  EXPECT_EQ(EdgesOf(RedOnScreen()), (Edges{120, 100, 220, 120}));
  DestroyWindow(hiddenAbove);
}

TEST_F(WindowDcTest, PaintDcsKeepToTheUpdateRectangle) {
  HWND w = PlainWindow(200, 200, 100, 100);
  ValidateRect(w, nullptr);
  RECT part{10, 20, 30, 40};
  InvalidateRect(w, &part, FALSE);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  ASSERT_NE(dc, nullptr);
  FillAll(dc);
  EndPaint(w, &ps);
  EXPECT_EQ(EdgesOf(RedOnScreen()), (Edges{210, 220, 230, 240}));
}

TEST_F(WindowDcTest, SurfaceDcsDrawIntoTheSurfaceWhichIsBusyMeanwhile) {
  for (bool is555 : {false, true}) {
    SetScreenFormat555(is555);
    IDirectDrawSurface* s = Offscreen(40, 20);
    ddtest::Fill16(s, 0);
    HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    ASSERT_NE(dc, nullptr);
    DDSURFACEDESC d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    HDC again = nullptr;
    EXPECT_EQ(s->GetDC(&again), DDERR_SURFACEBUSY);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    RECT r{2, 3, 4, 5};
    FillRect(dc, &r, green);
    EXPECT_EQ(s->ReleaseDC(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(ddtest::Get16(s, 2, 3), is555 ? 0x03E0 : 0x07E0);
    EXPECT_EQ(ddtest::Get16(s, 4, 3), 0);
    DeleteObject(green);
    s->Release();
  }
  // A lost surface gives no DC.
  IDirectDrawSurface* lost = Offscreen(8, 8);
  lost->FailNextAccess(DDERR_SURFACELOST);
  HDC dc = nullptr;
  EXPECT_EQ(lost->GetDC(&dc), DDERR_SURFACELOST);
  EXPECT_EQ(dc, nullptr);
  lost->Release();
}

TEST_F(WindowDcTest, EightBitSurfacesDrawInTheirPalette) {
  const DDPIXELFORMAT f8 = ddtest::Indexed8();
  IDirectDrawSurface* s = Offscreen(8, 8, &f8);
  PALETTEENTRY colours[256] = {};
  colours[7] = PALETTEENTRY{0, 0, 255, 0};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT, colours, &palette, nullptr), DD_OK);
  ASSERT_EQ(s->SetPalette(palette), DD_OK);
  palette->Release();
  HDC dc = nullptr;
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 8);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 230));
  RECT r{0, 0, 1, 1};
  FillRect(dc, &r, blue);
  s->ReleaseDC(dc);
  DDSURFACEDESC d;
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(static_cast<BYTE*>(d.lpSurface)[0], 7);
  s->Unlock(nullptr);
  DeleteObject(blue);
  s->Release();
}

}  // namespace
}  // namespace gditest
