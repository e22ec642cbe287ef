#include "platform/display/screen.h"

#include <string>
#include <tuple>

#include "platform/user/system.h"
#include "tests/platform/user/user_fixture.h"
#include "tests/support/golden.h"

namespace usertest {
namespace {

using namespace plat;

class SystemTest : public UserTest {};

TEST_F(SystemTest, TooltipColoursChangeAndAreAnnounced) {
  HWND w = Popup(0, 0, 10, 10);
  const COLORREF back = GetSysColor(COLOR_INFOBK);
  EXPECT_EQ(back, RGB(255, 255, 225));
  const int which[] = {COLOR_INFOTEXT, COLOR_INFOBK};
  const COLORREF colours[] = {RGB(1, 2, 3), RGB(4, 5, 6)};
  Log().clear();
  ASSERT_TRUE(SetSysColors(2, which, colours));
  EXPECT_EQ(GetSysColor(COLOR_INFOTEXT), RGB(1, 2, 3));
  EXPECT_EQ(MessagesOf(w, {WM_SYSCOLORCHANGE}).size(), 1u);
  const int bad[] = {COLOR_INFOBK, 99};
  EXPECT_FALSE(SetSysColors(2, bad, colours));
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(4, 5, 6));  // nothing changed by the refused call
  EXPECT_EQ(GetSysColor(99), 0u);
}

TEST_F(SystemTest, ScreenSaverAndMenuAnimationSwitches) {
  HWND w = Popup(0, 0, 10, 10);
  BOOL on = FALSE;
  ASSERT_TRUE(SystemParametersInfo(SPI_GETSCREENSAVEACTIVE, 0, &on, 0));
  EXPECT_TRUE(on);
  Log().clear();
  ASSERT_TRUE(SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_SENDCHANGE));
  EXPECT_FALSE(backend_->ScreenSaverAllowed());
  EXPECT_EQ(MessagesOf(w, {WM_SETTINGCHANGE}).size(), 1u);
  SystemParametersInfo(SPI_GETSCREENSAVEACTIVE, 0, &on, 0);
  EXPECT_FALSE(on);
  ASSERT_TRUE(SystemParametersInfo(SPI_SETMENUANIMATION, 0, nullptr, 0));
  SystemParametersInfo(SPI_GETMENUANIMATION, 0, &on, 0);
  EXPECT_FALSE(on);
  EXPECT_EQ(MessagesOf(w, {WM_SETTINGCHANGE}).size(), 1u);  // no SPIF_SENDCHANGE this time
  EXPECT_FALSE(SystemParametersInfo(0x4242, 0, &on, 0));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  MessageBeep(MB_ICONEXCLAMATION);
  EXPECT_EQ(backend_->Beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
}

TEST_F(SystemTest, MessageBoxAnswersAndLeavesTheScreenAsItWas) {
  HWND main = Popup(0, 0, 800, 600);
  backend_->RunUntilIdle();
  const Image before = ScreenImage();
  static bool ownerWasDisabled = false;
  static Image during;
  static RECT box;
  static std::string shownText, ownerText;
  ownerWasDisabled = false;
  // The check runs inside the box's own loop, at the time the key arrives.
  SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
    ownerWasDisabled = !IsWindowEnabled(GetWindow(GetActiveWindow(), GW_OWNER));
    shownText = MessageBoxText(GetActiveWindow());
    ownerText = MessageBoxText(GetWindow(GetActiveWindow(), GW_OWNER));
    GetWindowRect(GetActiveWindow(), &box);
    during = ScreenImage();
    KillTimer(nullptr, id);
  });
  backend_->PressKey(VK_RETURN, 50);
  EXPECT_EQ(MessageBox(main, "Can't build window!!", "error", MB_OK), IDOK);
  EXPECT_TRUE(ownerWasDisabled);
  EXPECT_EQ(shownText, "Can't build window!!");
  EXPECT_EQ(ownerText, "");
  EXPECT_EQ(MessageBoxText(main), "");
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_TRUE(quentest::MatchesGolden(quentest::Crop(during, box),
                                      std::filesystem::path(QUEN_TEST_DATA_DIR) / "golden" / "msgbox.png"));
  EXPECT_EQ(ScreenImage().rgb, before.rgb);

  backend_->PressKey(VK_ESCAPE, 10);
  EXPECT_EQ(MessageBox(main, "Quit?", "Question", MB_OKCANCEL), IDCANCEL);
  backend_->PressKey(VK_ESCAPE, 10);
  EXPECT_EQ(MessageBox(main, "Only OK", "Note", MB_OK), IDOK);
  EXPECT_EQ(MessageBox(main, "Yes or no", "Note", 4 /* yes/no */), 0);
}

TEST_F(SystemTest, MessageBoxButtonsAnswerToTheMouse) {
  static HeadlessBackend* backend;
  backend = backend_;
  // Once the box is up, aim at its buttons: OK left of the centre, Cancel
  // right of it, in the row along the bottom.
  SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    RECT r;
    GetWindowRect(GetActiveWindow(), &r);
    const int y = r.bottom - 25;
    const int centre = (r.left + r.right) / 2;
    // Pressed on Cancel, let go over OK: no answer.
    backend->MoveMouse(centre + 40, y);
    backend->MouseDown(input::Button::Left);
    backend->MoveMouse(centre - 40, y, 10);
    backend->MouseUp(input::Button::Left);
    backend->Click(centre + 40, y, input::Button::Left, 10);
  });
  EXPECT_EQ(MessageBox(nullptr, "Pick one", "Mouse", MB_OKCANCEL), IDCANCEL);
}

TEST_F(SystemTest, QuitInsideAMessageBoxEndsItAndReachesTheOuterLoop) {
  SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(3);
  });
  EXPECT_EQ(MessageBox(nullptr, "text", "caption", MB_OKCANCEL), IDCANCEL);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(std::make_tuple(m.message, m.wParam), std::make_tuple(WM_QUIT, 3u));
}

}  // namespace
}  // namespace usertest
