#include "media/CImageButton.h"

#include <tuple>

#include "platform/dialog/commctrl.h"
#include "platform/dialog/tooltip.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "tests/media/media_fixture.h"

namespace {

using namespace mediatest;

struct HelpCall {
  HWND parent;
  DWORD helpId;
  short x, y;
};
std::vector<HelpCall> g_help;

void RecordHelp(CDDraw*, HWND parent, HINSTANCE, DWORD helpId, short x, short y, int) {
  g_help.push_back({parent, helpId, x, y});
}

class ButtonTest : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    g_help.clear();
    dd_ = &Windowed();
    parent_ = dd_->window;
    images_ = Module({{"IMA", "up.ima", rc::kDefaultLanguage, Ima(2, 1, {0x1111, 0x1111})},
                      {"IMA", "down.ima", rc::kDefaultLanguage, Ima(2, 1, {0x2222, 0x2222})},
                      {"IMA", "off.ima", rc::kDefaultLanguage, Ima(2, 1, {0x3333, 0x3333})}});
    InitCommonControls();
    tooltip_ = CreateWindowEx(0, TOOLTIPS_CLASS, "", TTS_ALWAYSTIP, 0, 0, 0, 0, parent_, nullptr, nullptr, nullptr);
    button_.Create(dd_, parent_, nullptr, tooltip_, "Build a ship", 42, 100, 50, 2, 1, kNoColourKey, 77, images_);
    button_.SetImages("C:\\ART\\up.ima", "down.ima");
  }
  void TearDown() override {
    g_buttonShowHelp = nullptr;
    button_.Destroy();
    MediaTest::TearDown();
  }
  std::uint16_t Face() { return At(*button_.sprite, 0, 0); }

  CDDraw* dd_ = nullptr;
  HWND parent_ = nullptr;
  HWND tooltip_ = nullptr;
  HMODULE images_ = nullptr;
  CImageButton button_;
};

TEST_F(ButtonTest, ThreeFacesAndTheWindowState) {
  EXPECT_EQ(GetDlgItem(parent_, 42), button_.window);
  EXPECT_EQ(button_.sprite->x, 100);
  EXPECT_EQ(Face(), 0x1111);
  button_.Toggle();
  EXPECT_EQ(Face(), 0x2222);
  EXPECT_EQ(button_.normalShown, 0u);
  button_.Toggle();
  EXPECT_EQ(Face(), 0x1111);
  EXPECT_STREQ(button_.pressedImage, "down.ima");
  EXPECT_EQ(button_.normalShown, 1u);

  button_.SetDisabled(1);  // no disabled face: the face stays
  EXPECT_FALSE(IsWindowEnabled(button_.window));
  EXPECT_EQ(Face(), 0x1111);
  button_.SetDisabledImage("off.ima");
  button_.SetDisabled(1);
  EXPECT_EQ(Face(), 0x3333);
  button_.SetDisabled(0);
  EXPECT_TRUE(IsWindowEnabled(button_.window));
  EXPECT_EQ(Face(), 0x1111);
  EXPECT_EQ(SendMessage(button_.window, WM_ERASEBKGND, 0, 0), 1);

  const std::string longName(400, 'a');
  button_.SetImages(longName.c_str(), nullptr);
  EXPECT_EQ(std::string(button_.normalImage).size(), 254u);
}

TEST_F(ButtonTest, TooltipComesAndGoesWithTheButton) {
  EXPECT_EQ(SendMessage(tooltip_, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_STREQ(button_.tooltipText, "Build a ship");
  backend_->MoveMouse(101, 50);
  backend_->RunFor(1000);
  EXPECT_TRUE(IsWindowVisible(tooltip_));
  button_.Destroy();
  EXPECT_EQ(SendMessage(tooltip_, TTM_GETTOOLCOUNT, 0, 0), 0);
  EXPECT_FALSE(IsWindowVisible(button_.window));
  EXPECT_EQ(button_.sprite, nullptr);
  button_.Destroy();
}

TEST_F(ButtonTest, AltRightClickAsksForTheHelpTopicOnlyInAGame) {
  const LPARAM at = MAKELONG(1, 0);
  backend_->KeyDown(VK_MENU);
  backend_->RunUntilIdle();
  EXPECT_EQ(SendMessage(button_.window, WM_RBUTTONDOWN, 0, at), 1);  // outside a game: swallowed
  EXPECT_TRUE(g_help.empty());
  g_buttonShowHelp = &RecordHelp;
  SendMessage(button_.window, WM_RBUTTONDOWN, 0, at);
  ASSERT_EQ(g_help.size(), 1u);
  EXPECT_EQ(std::make_tuple(g_help[0].parent, g_help[0].helpId, g_help[0].x, g_help[0].y),
            std::make_tuple(parent_, 77u, 101, 50));
  backend_->KeyUp(VK_MENU);
  backend_->RunUntilIdle();
  SendMessage(button_.window, WM_RBUTTONDOWN, 0, at);
  EXPECT_EQ(g_help.size(), 1u);
}

}  // namespace
