// The settings dialog as the control panel opens it: the view framework's
// switches and the view's fog and stars copied in, and on Save taken back,
// the ones left alone unchanged. Without an application the player may not
// switch the autosave.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Game/model/GGameData.h"
#include "Game/views/frame/CVGeneric.h"
#include "platform/user/queue.h"
#include "tests/Game/views/frame/view_screen.h"

namespace {

using namespace plat;

class SwitchView : public CVGeneric {
 public:
  SwitchView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
  int IsStarBackgroundOn() override { return stars; }
  void SetStarBackground(int on) override { starsSet.push_back(on); }
  int IsDistanceFogOn() override { return fog; }
  void SetDistanceFog(int on) override { fogSet.push_back(on); }
  int stars = 0, fog = 0;
  std::vector<int> starsSet, fogSet;
};

class SettingsLink : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override { OpenViewScreen("SettingsLinkMain"); }
  void TearDown() override {
    view.reset();
    CloseViewScreen();
  }
  void ClickButton(int x, int y, int w, int h, DWORD after) {
    backend->Click(25 + x + w / 2, 96 + y + h / 2, input::Button::Left, after);
  }
  std::unique_ptr<SwitchView> view;
};

TEST_F(SettingsLink, SaveGivesBackWhatWasSwitchedAndKeepsTheRest) {
  view = std::make_unique<SwitchView>(window, program);
  SharedScreen().shipFacingOff = 0;
  SharedScreen().cameraTravelOff = 1;
  SharedScreen().frameAnimationsOn = 0;
  g_gameData->inGameSwitch = 1;
  ClickButton(159, 72, 106, 26, 300);   // ship facing off
  ClickButton(51, 189, 98, 26, 150);    // distance fog on
  ClickButton(438, 281, 111, 27, 150);  // autosave off: not there
  ClickButton(326, 323, 103, 37, 300);  // Save
  RunInGameSettingsDialog(g_ddraw, window, program, view.get());
  EXPECT_EQ(SharedScreen().shipFacingOff, 1u);
  EXPECT_EQ(view->fogSet, std::vector<int>{1});
  EXPECT_EQ(SharedScreen().cameraTravelOff, 1u);
  EXPECT_EQ(SharedScreen().frameAnimationsOn, 0u);
  EXPECT_EQ(view->starsSet, std::vector<int>{0});
  EXPECT_EQ(g_gameData->inGameSwitch, 1u);
}

}  // namespace
