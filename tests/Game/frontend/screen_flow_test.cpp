// Ways through the screen flow inside the front end of a real application on
// the headless backend, over a stand-in library; each screen is answered as
// it opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/CClntApp.h"
#include "Game/app/CDlgBase.h"
#include "Game/frontend/ScreenFlow.h"
#include "Game/net/NetSession.h"
#include "media/CDDraw.h"
#include "platform/core/clock.h"
#include "platform/core/registry.h"
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

// A click at (x, y), or with `key` that key.
struct Press {
  int x = 0, y = 0;
  UINT key = 0;
};
// The presses of a screen, one each time it opens; the last one repeats.
using Answers = std::map<std::string, std::vector<Press>>;

struct ScreenFlowRun : shelltest::ShellFixture {
  quentest::ScratchDrive drive;
  std::string top;           // the dialog open last
  HWND topWindow = nullptr;  // and its window
  std::map<std::string, std::size_t> seen;
  DWORD started = 0, firstBoxAt = 0;

  // Runs the flow from `start` in a new application, `prepare` first and
  // `idle` at every wait; it must end by quitting.
  void Flow(int start, const Answers& answers, const std::function<void(CClntApp&)>& prepare,
            const std::function<void()>& idle = {}) {
    shell.screenFlow = [&](CClntApp& app, int) {
      prepare(app);
      SetIdleHook([&] {
        backend->Service();
        if (idle) idle();
        Answer(answers);
      });
      started = timeGetTime();
      EXPECT_EQ(RunScreenFlow(app, start), 0);
      SetIdleHook([this] { backend->Service(); });
      return 0;
    };
    // Every start but the first finds its settings file; the first plays the intro.
    if (drive.Read("UserInfo.dat").empty()) drive.Write("UserInfo.dat", "PlayerName: Quenbar_Player\n");
    CreateClntApp(program, SW_SHOW, "");
  }
  void Answer(const Answers& answers) {
    // A dialog that ends gives the activation back to the main window first.
    const HWND active = GetActiveWindow();
    const auto open = OpenDialogTemplates();
    if (!active || active == g_mainWnd || open.empty()) return;
    const std::string now = open.back();
    if (now == top && active == topWindow) return;
    top = now;
    topWindow = active;
    const std::size_t times = seen[now]++;
    if (now == "IDD_OK_DLG" && times == 0) firstBoxAt = timeGetTime();
    const auto it = answers.find(now);
    if (it == answers.end() || it->second.empty()) return;
    const Press& p = it->second[std::min(times, it->second.size() - 1)];
    if (p.key)
      backend->PressKey(p.key, 5);
    else
      backend->Click(p.x, p.y, input::Button::Left, 10);
  }
  // Joins the listed saved game `name`; the file is asked for and refused,
  // and the way leads back to the title.
  // The host's silence is timed on `contact`, the virtual clock unless given.
  void JoinSavedGame(const std::string& name, IContactClock& contact = ProgramContactClock()) {
    Flow(9,
         {{"IDD_CREATEJOIN", {{585, 462}, {777, 290}}},  // join; then the title
          {"IDD_OK_DLG", {{0, 0, VK_RETURN}}},
          {"IDD_SERVICE", {{0, 0, VK_ESCAPE}}},
          {"IDD_GUILDCHAPTER", {{0, 0, VK_ESCAPE}}},
          {"IDD_MAIN", {{0, 0, VK_ESCAPE}}}},
         [&](CClntApp& app) {
           g_session->multi = std::make_unique<SavedGameOffered>(name);
           g_session->contactClock = &contact;
           app.ChooseConnection(1);
         });
  }
};

// However the player leaves the waiting room, the others learn it: the
// chapter (6) is given up and the player is no longer ready.
void ExpectLeavingTold(ScreenFlowRun& t, Press leave) {
  std::vector<nettest::Sent> sent;
  nettest::FakeMulti* library = nullptr;
  t.Flow(
      21, {{"IDD_WAIT", {leave}}, {"IDD_SERVICE", {{0, 0, VK_ESCAPE}}}, {"IDD_MAIN", {{0, 0, VK_ESCAPE}}}},
      [&](CClntApp& app) {
        auto fake = std::make_unique<nettest::FakeMulti>();
        library = fake.get();
        library->players = {HvMPlayerInfo{77, false, true, "Me", "Me"}, HvMPlayerInfo{78, false, false, "You", "You"}};
        g_session->player.id = 77;
        g_session->multi = std::move(fake);
        app.ChooseChapter(6, app.Chapter().perGuild);
        app.ChooseToHost();
      },
      [&] { sent = library->sent; });
  std::vector<std::vector<std::uint8_t>> leaves, ready;
  for (const auto& p : sent) {
    if (p.bytes.size() == 48 && p.bytes[0] == 3) leaves.push_back(p.bytes);
    if (p.bytes.size() == 16 && p.bytes[0] == 32) ready.push_back(p.bytes);
  }
  ASSERT_EQ(leaves.size(), 1u);
  EXPECT_EQ(leaves[0][8], 106);
  EXPECT_EQ(leaves[0][10], 6);
  ASSERT_EQ(ready.size(), 2u);  // ready on opening, not ready on leaving
  EXPECT_EQ(ready[0][12], 1);
  EXPECT_EQ(ready[1][12], 0);
}

TEST_F(ScreenFlowRun, LeavingTheWaitingRoomByItsButtonTellsTheOthers) { ExpectLeavingTold(*this, {609, 74}); }

TEST_F(ScreenFlowRun, LeavingTheWaitingRoomByEscapeTellsTheOthers) { ExpectLeavingTold(*this, {0, 0, VK_ESCAPE}); }

// A saved game's host that does not say within 10 s whether it sends the game
// means the file is needed here; without it the player hears so once, and
// the connection type comes back.
TEST_F(ScreenFlowRun, ASavedGameWhoseHostDoesNotAnswerNeedsItsFileAfterTenSeconds) {
  JoinSavedGame("old.clt");
  EXPECT_EQ(seen["IDD_OK_DLG"], 1u);
  EXPECT_GE(firstBoxAt - started, 10000u);
  EXPECT_LT(firstBoxAt - started, 12000u);
}

// The 10 s are the host's time, not this program's: a contact clock that has
// run past them ends the wait however little the program's own clock moved.
TEST_F(ScreenFlowRun, TheHostsSilenceIsTimedOnTheContactClock) {
  struct Racing : IContactClock {
    DWORD ms = 0;
    DWORD Now() override { return ms += 2500; }
    void Pause(DWORD) override {}
  } contact;
  JoinSavedGame("old.clt", contact);
  EXPECT_EQ(seen["IDD_OK_DLG"], 1u);
  EXPECT_GE(contact.ms, 10000u);
  EXPECT_LT(firstBoxAt - started, 5000u);
}

// The host names the file: one outside the save folder is not looked for.
TEST_F(ScreenFlowRun, ASavedGameNamedWithAPathIsNotLookedForOutsideTheSaveFolder) {
  drive.Write("old.clt", "a saved game");
  drive.Write("SAVE/x", "");
  JoinSavedGame("SAVE\\..\\old.clt");
  EXPECT_EQ(seen["IDD_OK_DLG"], 1u);
}

// A progress window left open goes whichever way the configuration leads.
TEST_F(ScreenFlowRun, TheConfigurationClosesAnOpenProgressWindowOnEveryWayOut) {
  int closed = 0;
  Flow(11, {{"IDD_CONFIG", {{20, 290}}}, {"IDD_MAIN", {{0, 0, VK_ESCAPE}}}},  // previous, then quit
       [&](CClntApp&) { shell.closeProgress = [&closed] { ++closed; }; });
  EXPECT_GE(closed, 1);
}

// A full-screen display is given up while the tutorial's launcher runs, so
// that its window can be seen, and taken back when the title returns.
TEST_F(ScreenFlowRun, TheTutorialsLauncherRunsWithTheScreenGivenUp) {
  drive.Write("launcher.sh", "#!/bin/sh\nsleep 0.3\n");
  std::filesystem::permissions(drive.Host("launcher.sh"), std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const std::string launcher = drive.Host("launcher.sh").string();
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Programs", 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueEx(key, "launcher.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(launcher.c_str()),
                static_cast<DWORD>(launcher.size() + 1));
  RegCloseKey(key);
  bool gaveUp = false, exclusiveAfter = false;
  Flow(
      1, {{"IDD_MAIN", {{314, 374}, {0, 0, VK_ESCAPE}}}},  // tutorial, then quit
      [](CClntApp&) {
        g_ddraw->fullScreen = 1;
        g_ddraw->directDraw->SetCooperativeLevel(g_ddraw->window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
      },
      [&] {
        gaveUp = gaveUp || !backend->Exclusive();
        exclusiveAfter = backend->Exclusive();
        // The windowed display it was made as goes as such.
        if (seen["IDD_MAIN"] == 2) g_ddraw->fullScreen = 0;
      });
  EXPECT_TRUE(gaveUp);
  EXPECT_TRUE(exclusiveAfter);
}

}  // namespace
