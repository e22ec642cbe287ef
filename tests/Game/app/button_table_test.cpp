// The table dialog's image buttons: Alt + right click on one during a game
// shows the help of the dialog it lies on.
#include <cstdint>
#include <string>
#include <vector>

#include "Game/app/CButtonTableDlg.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/pump.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "shell_fixture.h"

namespace {

using namespace plat;
using shelltest::ShellFixture;

constexpr ScreenButton kTwoButtons[] = {
    {501, 10, 10, 40, 20, "a.ima", "b.ima", nullptr, 1},
    {502, 60, 10, 40, 20, "a.ima", "b.ima", nullptr, 2},
};

class TwoButtonDlg : public CButtonTableDlg {
 public:
  TwoButtonDlg(HMODULE module, DWORD helpId) : CButtonTableDlg(nullptr, nullptr, module, helpId, kTwoButtons) {}

 protected:
  std::string ImagePath(std::size_t, const char* name) const override { return name; }
  HMODULE ImageModule(std::size_t) const override { return m_instance; }
  void OnButton(HWND, std::size_t) override {}
};

std::vector<DWORD>* g_shownTopics = nullptr;
void RecordTopic(CDDraw*, HWND, HINSTANCE, DWORD topic, short, short, int) {
  if (g_shownTopics) g_shownTopics->push_back(topic);
}

using ButtonTable = ShellFixture;

TEST_F(ButtonTable, AltRightClickOnEveryButtonShowsTheDialogsHelp) {
  std::vector<DWORD> topics;
  g_shownTopics = &topics;
  g_buttonShowHelp = &RecordTopic;
  StartGame(3);
  for (DWORD helpId : {199u, 321u}) {
    topics.clear();
    TwoButtonDlg dialog(program, helpId);
    HWND window = dialog.CreateModeless("IDD_OK_DLG");
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    SetActiveWindow(window);
    input::Key(VK_MENU, true);
    PumpUntilIdle();
    for (int id : {501, 502}) {
      HWND button = GetDlgItem(window, id);
      ASSERT_NE(button, nullptr);
      SendMessage(button, WM_RBUTTONDOWN, 0, 0);
    }
    input::Key(VK_MENU, false);
    PumpUntilIdle();
    // Without Alt the click is the button's own: no help.
    SendMessage(GetDlgItem(window, 501), WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(topics, (std::vector<DWORD>{helpId, helpId}));
    DestroyWindow(window);
  }
  g_buttonShowHelp = nullptr;
  g_shownTopics = nullptr;
}

}  // namespace
