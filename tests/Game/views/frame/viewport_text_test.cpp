// Viewport texts drawn again from their kept pixels show exactly what the
// text strip showed the first time: over a background, clipped at the
// viewport's left and bottom edges, in both fonts and upper-cased.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Game/views/frame/CVGeneric.h"
#include "media/CSprite.h"
#include "platform/gdi/text.h"
#include "tests/Game/views/frame/view_screen.h"

namespace {

using namespace plat;

class PlainView : public CVGeneric {
 public:
  using CVGeneric::CVGeneric;
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

class ViewportText : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override {
    OpenViewScreen("ViewportTextMain");
    view = std::make_unique<PlainView>(window, program);
    SuspendScreenFlush(0);
  }
  void TearDown() override {
    view.reset();
    CloseViewScreen();
  }
  // The viewport's pixels.
  std::vector<std::uint16_t> Viewport() {
    std::vector<std::uint16_t> out;
    DDSURFACEDESC desc;
    EXPECT_EQ(SharedScreen().screenSprite->surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    for (LONG y = kViewportRect.top; y < kViewportRect.bottom; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(desc.lpSurface) + y * desc.lPitch;
      for (LONG x = kViewportRect.left; x < kViewportRect.right; ++x)
        out.push_back(static_cast<std::uint16_t>(row[2 * x] | (row[2 * x + 1] << 8)));
    }
    SharedScreen().screenSprite->surface->Unlock(nullptr);
    return out;
  }
  // A background with no black in it, so that every letter pixel shows.
  void Background() {
    SharedScreen().screenSprite->FillSurface(RGB(40, 60, 90), &kViewportRect);
    const RECT band{kViewportRect.left, kViewportRect.top + 100, kViewportRect.right, kViewportRect.top + 104};
    SharedScreen().screenSprite->FillSurface(RGB(200, 30, 30), &band);
  }
  std::unique_ptr<PlainView> view;
};

struct Case {
  const char* text;
  int x, y, width, bold, upperCase;
  COLORREF colour;
};

TEST_F(ViewportText, DrawnAgainFromKeptPixelsAsTheStripDrewIt) {
  const Case cases[] = {
      {"Scout 7", 40, 98, 56, 0, 0, RGB(255, 215, 215)},
      {"Battleship Aurora", 120, 101, 136, 1, 0, RGB(0, 180, 0)},
      {"edge left", -20, 50, 72, 0, 1, RGB(255, 255, 0)},       // starts left of the viewport
      {"edge bottom", 300, 358, 88, 0, 0, RGB(0, 200, 255)},    // its lower rows past the bottom
      {"bold bottom", 400, 345, 88, 1, 0, RGB(255, 255, 255)},  // the bold font's lowest row allowed
  };
  for (const Case& c : cases) {
    Background();
    const int firstHeight = DrawViewportText(c.text, c.x, c.y, c.width, c.colour, DT_LEFT, c.bold, c.upperCase);
    const std::vector<std::uint16_t> first = Viewport();
    EXPECT_EQ(SharedScreen().textStripWidth, c.width) << c.text;
    // Another text goes through the strip between the two.
    DrawViewportText(c.text, 5, 5, 40, RGB(255, 255, 255), DT_LEFT, 0, 0);
    Background();
    const int again = DrawViewportText(c.text, c.x, c.y, c.width, c.colour, DT_LEFT, c.bold, c.upperCase);
    EXPECT_EQ(again, firstHeight) << c.text;
    EXPECT_EQ(SharedScreen().textStripWidth, 40) << c.text << ": drawn through the strip again";
    EXPECT_TRUE(Viewport() == first) << c.text;
  }
}

// A new screen (its fonts made again) starts without kept texts.
TEST_F(ViewportText, ANewScreenDrawsThroughTheStripFirst) {
  DrawViewportText("Scout 7", 40, 98, 56, RGB(255, 0, 0), DT_LEFT, 0, 0);
  DrawViewportText("other", 5, 5, 40, RGB(255, 255, 255), DT_LEFT, 0, 0);
  view.reset();
  view = std::make_unique<PlainView>(window, program);
  SuspendScreenFlush(0);
  DrawViewportText("other", 5, 5, 40, RGB(255, 255, 255), DT_LEFT, 0, 0);
  DrawViewportText("Scout 7", 40, 98, 56, RGB(255, 0, 0), DT_LEFT, 0, 0);
  EXPECT_EQ(SharedScreen().textStripWidth, 56);
}

}  // namespace
