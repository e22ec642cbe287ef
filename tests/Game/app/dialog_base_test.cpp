#include <filesystem>
#include <memory>
#include <vector>

#include "Game/app/CDlgBase.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetSession.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/tooltip.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/pump.h"
#include "platform/user/queue.h"
#include "shell_fixture.h"
#include "tests/support/recording_sink.h"
#include "tests/support/scratch_drive.h"

namespace {

using namespace plat;
using shelltest::ShellFixture;

// A session whose packets land in a list (the file-send path).
struct SentPackets {
  quentest::RecordingSink sink;
  std::vector<std::vector<std::uint8_t>>& packets = sink.emailed;
  std::unique_ptr<CNetSession> session;
  SentPackets() {
    session = std::make_unique<CNetSession>();
    session->fileSendMode = 1;
    g_session = session.get();
  }
  ~SentPackets() { g_session = nullptr; }
};

using DialogBase = ShellFixture;

TEST_F(DialogBase, EveryControlTakesTheGuildCursorAndOtherGuildsAreRed) {
  for (std::uint16_t chapter : {17, 60}) {
    StartGame(chapter);
    CDlgBase dialog(nullptr, nullptr, program, 0, program);
    HWND window = dialog.CreateModeless("IDD_YESNO_DLG");
    ASSERT_NE(window, nullptr);
    const HCURSOR expected = LoadCursor(program, chapter == 17 ? "IDC_CURSOR_NORMAL_BLUE" : "IDC_CURSOR_NORMAL_RED");
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(GetClassLongPtr(window, GCLP_HCURSOR), reinterpret_cast<LONG_PTR>(expected));
    for (int id : {1, 2})
      EXPECT_EQ(GetClassLongPtr(GetDlgItem(window, id), GCLP_HCURSOR), reinterpret_cast<LONG_PTR>(expected));
    EXPECT_EQ(OpenDialogTemplates(), std::vector<std::string>{"IDD_YESNO_DLG"});
    DestroyWindow(window);
    EXPECT_TRUE(OpenDialogTemplates().empty());
  }
}

TEST_F(DialogBase, KeepAliveEveryFiveSecondsDuringAGameOnly) {
  SentPackets sent;
  {
    CDlgBase outside(nullptr, nullptr, program, 0, program);
    HWND window = outside.CreateModeless("IDD_OK_DLG");
    PumpFor(12000);
    EXPECT_TRUE(sent.packets.empty());
    EXPECT_EQ(outside.m_window, nullptr);
    DestroyWindow(window);
  }
  StartGame(9);
  CDlgBase dialog(nullptr, nullptr, program, 0, program);
  HWND window = dialog.CreateModeless("IDD_OK_DLG");
  EXPECT_EQ(dialog.m_window, window);
  const DWORD start = timeGetTime();
  PumpFor(20500);
  // Timer ticks each second; a packet only once more than 5 s have passed.
  ASSERT_GE(sent.packets.size(), 3u);
  EXPECT_LE(sent.packets.size(), 4u);
  for (const auto& p : sent.packets) {
    ASSERT_EQ(p.size(), 12u);
    EXPECT_EQ(p[0] | p[1] << 8, 33);
    EXPECT_EQ(p[8] | p[9] << 8, 9);
    EXPECT_EQ(p[2] | p[3] << 8 | p[10] | p[11] << 8, 0);
  }
  EXPECT_GT(dialog.m_lastKeepAlive - start, 15000u);
  sent.session->emailMode = 1;
  const auto before = sent.packets.size();
  PumpFor(12000);
  EXPECT_EQ(sent.packets.size(), before);
  DestroyWindow(window);
}

TEST_F(DialogBase, TooltipWindowGoesWithTheDialogObject) {
  HWND tooltip = nullptr;
  {
    CDlgBase dialog(nullptr, nullptr, program, 0, program);
    HWND window = dialog.CreateModeless("IDD_YESNO_DLG");
    ASSERT_TRUE(dialog.AddTooltip(GetDlgItem(window, 1), "Yes"));
    ASSERT_TRUE(dialog.AddTooltip(GetDlgItem(window, 2), "No"));
    EXPECT_FALSE(dialog.AddTooltip(nullptr, "none"));
    tooltip = dialog.m_tooltip;
    EXPECT_EQ(SendMessage(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
  }
  EXPECT_FALSE(IsWindow(tooltip));
}

TEST_F(DialogBase, AltRightClickShowsHelpOnlyDuringAGame) {
  std::vector<std::uint32_t> topics;
  screen.showHelp = [&](std::uint32_t topic) { topics.push_back(topic); };
  CDlgBase dialog(nullptr, nullptr, program, 321, program);
  HWND window = dialog.CreateModeless("IDD_OK_DLG");
  ShowWindow(window, SW_SHOW);
  SetActiveWindow(window);
  input::Key(VK_MENU, true);
  PumpUntilIdle();
  EXPECT_EQ(SendMessage(window, WM_RBUTTONDOWN, 0, 0), 0);  // the dialog manager's answer to a handled message
  EXPECT_TRUE(topics.empty());
  StartGame(0);
  SendMessage(window, WM_RBUTTONDOWN, 0, 0);
  input::Key(VK_MENU, false);
  PumpUntilIdle();
  SendMessage(window, WM_RBUTTONDOWN, 0, 0);
  EXPECT_EQ(topics, std::vector<std::uint32_t>{321});
  DestroyWindow(window);
}

TEST_F(DialogBase, OwnsTheFrontEndModuleItLoadsButNeverTheGames) {
  quentest::ScratchDrive drive;  // the current folder, where the module is looked for without an art path
  std::filesystem::copy_file(std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/FRONTEND/frontend.dll",
                             drive.Host("frontend.dll"));
  HMODULE mine = LoadLibrary("frontend.dll");
  ASSERT_NE(mine, nullptr);
  {
    CDlgBase dialog(nullptr, nullptr, program, 0, nullptr);
    EXPECT_EQ(dialog.m_module, mine);
    EXPECT_EQ(dialog.m_ownModule, 1u);
  }
  EXPECT_TRUE(FreeLibrary(mine));  // the dialog gave back its own reference: this is the last
  EXPECT_FALSE(FreeLibrary(mine));
  HMODULE game = LoadLibrary("frontend.dll");
  StartGame(0);
  if (g_gameData->imageModule) FreeLibrary(g_gameData->imageModule);
  g_gameData->imageModule = LoadLibrary("frontend.dll");  // the game's own reference, given back with it
  {
    CDlgBase dialog(nullptr, nullptr, program, 0, nullptr);
    EXPECT_EQ(dialog.m_module, game);
    EXPECT_EQ(dialog.m_ownModule, 0u);
  }
  EXPECT_TRUE(FreeLibrary(game));
}

struct CountingPaints : CDlgBase {
  using CDlgBase::CDlgBase;
  int paints = 0;
  LRESULT OnPaint(HWND window) override {
    ++paints;
    return CDlgBase::OnPaint(window);
  }
};

TEST_F(DialogBase, PaintsOnlyWhileActiveAndRepaintsOnActivationOnceFirstPainted) {
  HWND owner =
      CreateWindowEx(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, program, nullptr);
  CDDraw display(owner, 1);
  CountingPaints a(&display, nullptr, program, 0, program);
  CDlgBase b(&display, nullptr, program, 0, program);
  HWND wa = a.CreateModeless("IDD_OK_DLG");
  HWND wb = b.CreateModeless("IDD_OK_DLG");
  a.m_background = std::make_unique<CSprite>(&display, nullptr, kNoColourKey, 20, 20, 0, 0, 1);
  ShowWindow(wa, SW_SHOW);
  ShowWindow(wb, SW_SHOW);
  SetActiveWindow(wb);
  SendMessage(wa, WM_PAINT, 0, 0);
  EXPECT_EQ(a.paints, 0);
  SetActiveWindow(wa);  // never painted: the activation draws nothing
  EXPECT_EQ(a.paints, 0);
  SendMessage(wa, WM_PAINT, 0, 0);
  EXPECT_EQ(a.paints, 1);
  EXPECT_EQ(a.m_painted, 1u);
  SetActiveWindow(wb);
  SetActiveWindow(wa);
  EXPECT_EQ(a.paints, 2);
  DestroyWindow(wa);
  DestroyWindow(wb);
}

// The boxes sit at (263, 229); OK at (103, 108), Yes at (47, 108), No at
// (157, 108) inside, 71 x 35 each.
constexpr int kButtonY = 229 + 108 + 17;

using MessageBoxes = ShellFixture;

TEST_F(MessageBoxes, OkEndsByItsButtonOrEnterButNotByEscape) {
  backend->PressKey(VK_ESCAPE, 10);
  backend->Click(263 + 103 + 35, kButtonY, input::Button::Left, 2000);
  const DWORD start = timeGetTime();
  COkDlg box(nullptr, nullptr, program, std::string(150, 'x').c_str(), 0);
  EXPECT_EQ(box.m_result, 0);
  EXPECT_GE(timeGetTime() - start, 2000u);
  EXPECT_EQ(std::string(box.m_text), std::string(99, 'x'));
  backend->PressKey(VK_RETURN, 10);
  COkDlg byKey(nullptr, nullptr, program, "Done", 3);
  EXPECT_EQ(byKey.m_result, 0);
  EXPECT_TRUE(OpenDialogTemplates().empty());
}

TEST_F(MessageBoxes, YesNoAnswersByMouseAndKeyboard) {
  struct Case {
    const char* name;
    std::function<void()> script;
    std::uint32_t answer;
  };
  const Case cases[] = {
      {"click Yes", [&] { backend->Click(263 + 47 + 35, kButtonY, input::Button::Left, 10); }, 1},
      {"click No", [&] { backend->Click(263 + 157 + 35, kButtonY, input::Button::Left, 10); }, 0},
      {"Escape", [&] { backend->PressKey(VK_ESCAPE, 10); }, 0},
      {"Enter on Yes", [&] { backend->PressKey(VK_RETURN, 10); }, 1},
      {"Tab, Space",
       [&] {
         backend->PressKey(VK_TAB, 10);
         backend->PressKey(VK_SPACE, 10);
       },
       0},
  };
  for (const Case& c : cases) {
    c.script();
    std::uint32_t answer = 7;
    CYesNoDlg box(nullptr, nullptr, program, "Quit?", 2, &answer);
    EXPECT_EQ(answer, c.answer) << c.name;
    EXPECT_EQ(box.m_result, static_cast<LRESULT>(c.answer)) << c.name;
  }
}

}  // namespace
