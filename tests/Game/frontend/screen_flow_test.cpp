// Ways through the screen flow inside the front end of a real application on
// the headless backend, over a stand-in library; each screen is answered as
// it opens.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "Game/app/CClntApp.h"
#include "Game/app/CDlgBase.h"
#include "Game/frontend/ScreenFlow.h"
#include "Game/net/NetSession.h"
#include "platform/core/clock.h"
#include "platform/user/focus.h"
#include "platform/user/keys.h"
#include "tests/Game/app/shell_fixture.h"
#include "tests/Game/net/fake_multi.h"
#include "tests/support/scratch_drive.h"

namespace {

using namespace plat;

// A library that lists one saved game being continued, named `name`, whose
// host never answers.
class SavedGameOffered : public nettest::FakeMulti {
 public:
  explicit SavedGameOffered(std::string name) : name_(std::move(name)) {}
  int EnumSessions(HvMSessionCallback callback, void* context, std::uint32_t) override {
    HvMSession_Struct session;
    session.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, name_);
    session.SetText(HvMSession_Struct::kDescription, HvMSession_Struct::kDescriptionWidth, "s");
    session.SetU32(HvMSession_Struct::kSessionId, 5);
    callback(&session, context);
    return 0;
  }

 private:
  std::string name_;
};

struct ScreenFlowRun : shelltest::ShellFixture {
  quentest::ScratchDrive drive;
  std::string top;                 // the dialog open last
  HWND topWindow = nullptr;        // and its window
  int okBoxes = 0;
  int joined = 0;
  DWORD firstBoxAt = 0;

  // Answers each screen once as it opens: `press` clicks a point (x, y) or
  // presses a key (x < 0: the key y).
  void Answer(const std::map<std::string, std::pair<int, int>>& press) {
    const auto open = OpenDialogTemplates();
    const std::string now = open.empty() ? "" : open.back();
    if (now == top && GetActiveWindow() == topWindow) return;
    top = now;
    topWindow = GetActiveWindow();
    if (now == "IDD_OK_DLG" && okBoxes++ == 0) firstBoxAt = timeGetTime();
    // The list joins once; shown again, it leads to the title.
    if (now == "IDD_CREATEJOIN" && joined++ > 0) return backend->Click(777, 290, input::Button::Left, 10);
    const auto it = press.find(now);
    if (it == press.end()) return;
    if (it->second.first < 0) backend->PressKey(static_cast<UINT>(it->second.second), 5);
    else backend->Click(it->second.first, it->second.second, input::Button::Left, 10);
  }
};

// Joins the saved game `name` in a new application; what is needed is asked
// for and refused, so the way leads back to the title.
void JoinSavedGame(ScreenFlowRun& t, const std::string& name, DWORD& waited) {
  g_appLinks.runScreenFlow = [&](CClntApp& app, int) {
    g_session->multi = std::make_unique<SavedGameOffered>(name);
    app.m_connection.connectionKind = 1;
    const std::map<std::string, std::pair<int, int>> press{{"IDD_CREATEJOIN", {585, 462}},  // join
                                                           {"IDD_OK_DLG", {-1, VK_RETURN}},
                                                           {"IDD_SERVICE", {-1, VK_ESCAPE}},
                                                           {"IDD_GUILDCHAPTER", {-1, VK_ESCAPE}},
                                                           {"IDD_MAIN", {-1, VK_ESCAPE}}};
    SetIdleHook([&] {
      t.backend->Service();
      t.Answer(press);
    });
    const DWORD started = timeGetTime();
    EXPECT_EQ(RunScreenFlow(app, 9), 0);
    SetIdleHook([&t] { t.backend->Service(); });
    waited = t.firstBoxAt - started;
    return 0;
  };
  CreateClntApp(t.program, SW_SHOW, "");
}

// A saved game's host that does not say within 10 s whether it sends the game
// means the file is needed here; without it the player hears so once, and
// the connection type comes back.
TEST_F(ScreenFlowRun, ASavedGameWhoseHostDoesNotAnswerNeedsItsFileAfterTenSeconds) {
  DWORD waited = 0;
  JoinSavedGame(*this, "old.clt", waited);
  EXPECT_EQ(okBoxes, 1);
  EXPECT_GE(waited, 10000u);
  EXPECT_LT(waited, 12000u);
}

// The host names the file: one outside the save folder is not looked for.
TEST_F(ScreenFlowRun, ASavedGameNamedWithAPathIsNotLookedForOutsideTheSaveFolder) {
  drive.Write("old.clt", "a saved game");
  drive.Write("SAVE/x", "");
  DWORD waited = 0;
  JoinSavedGame(*this, "SAVE\\..\\old.clt", waited);
  EXPECT_EQ(okBoxes, 1);
}

// A progress window left open goes whichever way the configuration leads.
TEST_F(ScreenFlowRun, TheConfigurationClosesAnOpenProgressWindowOnEveryWayOut) {
  int closed = 0;
  g_appLinks.runScreenFlow = [&](CClntApp& app, int) {
    g_appLinks.closeProgress = [&closed] { ++closed; };
    const std::map<std::string, std::pair<int, int>> press{{"IDD_CONFIG", {20, 290}},  // previous
                                                           {"IDD_MAIN", {-1, VK_ESCAPE}}};
    SetIdleHook([&] {
      backend->Service();
      Answer(press);
    });
    EXPECT_EQ(RunScreenFlow(app, 11), 0);
    SetIdleHook([this] { backend->Service(); });
    EXPECT_GE(closed, 1);
    g_appLinks.closeProgress = nullptr;
    return 0;
  };
  CreateClntApp(program, SW_SHOW, "");
}

}  // namespace
