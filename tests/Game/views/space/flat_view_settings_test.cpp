// The settings dialog opened over a 2D view while the 3D world lives on
// behind it: it shows the world's star background and distance fog as they
// are, and what is switched there reaches the world for the player's return.
#include <gtest/gtest.h>

#include "Game/views/frame/CVGeneric.h"
#include "tests/Game/views/space/space_world.h"

namespace {

using space_test::SpaceWorld;

class FlatView : public CVGeneric {
 public:
  FlatView(plat::HWND window, plat::HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_TERRAIN; }
  std::uint16_t GetCurrentAsteroidId() override { return 0; }
};

// The middle of the settings button at (x, y) of the dialog, w x h.
void ClickSetting(plat::HeadlessBackend* backend, int x, int y, int w, int h, plat::DWORD after) {
  backend->Click(25 + x + w / 2, 96 + y + h / 2, plat::input::Button::Left, after);
}

TEST_F(SpaceWorld, A2DViewShowsAndSetsTheWorldsStarsAndFog) {
  space_test::TestView& space = Make3D();
  space.SetStarBackground(0);
  space.SetDistanceFog(0);
  FlatView flat(window, program);
  EXPECT_EQ(flat.IsStarBackgroundOn(), 0);
  EXPECT_EQ(flat.IsDistanceFogOn(), 0);

  // Stars switched on and saved over the 2D view; the fog left off.
  g_sgWorld->redraw = 0;
  ClickSetting(backend, 51, 319, 98, 26, 300);    // stars on
  ClickSetting(backend, 326, 323, 103, 37, 150);  // Save
  RunInGameSettingsDialog(g_ddraw, window, program, &flat);
  EXPECT_EQ(g_sgWorld->IsStarBackgroundOn(), 1u);
  EXPECT_EQ(g_sgWorld->IsDistanceFogOn(), 0u);
  EXPECT_EQ(g_sgWorld->redraw, 1u);

  // Fog on from the 2D view; its own answer follows.
  flat.SetDistanceFog(1);
  EXPECT_EQ(space.IsDistanceFogOn(), 1);
  EXPECT_EQ(flat.IsDistanceFogOn(), 1);
}

}  // namespace
