// A restart replaces the game under the game screen: nothing the screen built
// over the old game may live on to read it, whether or not the restart's
// views follow, and whatever is running when the restart comes. The bound on
// the wait for its world holds the other waits for the server too.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CDlgBase.h"
#include "Game/app/GameLife.h"
#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetSession.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "platform/core/dospath.h"
#include "platform/core/files.h"
#include "platform/user/keys.h"
#include "platform/user/pump.h"
#include "platform/user/queue.h"
#include "shell_fixture.h"

namespace {

using namespace plat;

// What happened to the views, in order: "made over turn N", "gone over turn
// N" (the turn of the game data there then, "none" without one), and what
// a view saw from inside a dialog of its own.
std::vector<std::string> g_events;

std::string GameNow() { return g_gameData ? "turn " + std::to_string(g_gameData->turn) : "none"; }

// A view that, like the real ones, lives on the game it was made over; a key
// opens a "dialog" of its own: a loop that takes the window's messages until
// none is left, as a modal dialog's does, then reads its game again.
class GameView : public IGameView {
 public:
  explicit GameView(ViewType type) : type_(type) { g_events.push_back(Name() + " made over " + GameNow()); }
  ~GameView() override { g_events.push_back(Name() + " gone over " + GameNow()); }
  ViewType GetViewType() const override { return type_; }
  int OnKeyDown(WPARAM, LPARAM) override {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    g_events.push_back(Name() + " dialog closed over " + GameNow());
    return 0;
  }

 private:
  std::string Name() const { return "view " + std::to_string(type_); }
  ViewType type_;
};

struct Restart : shelltest::AppFixture {
  std::vector<std::string> progress;

  void SetUp() override {
    AppFixture::SetUp();
    g_events.clear();
    screen.createView = [](ViewType type) { return std::make_unique<GameView>(type); };
    shell.screenFlow = [this](CClntApp& app, int) {
      ChooseChapter(app);
      return 1;
    };
    shell.openProgress = [this](const char* text, int) { progress.push_back(std::string("open ") + text); };
    shell.closeProgress = [this] { progress.push_back("close"); };
  }
  // A game at turn 12 in play, its six views made.
  CClntApp& Playing() {
    CClntApp& app = Start();
    UseRecordingLibrary();
    g_gameData->turn = 12;
    SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
    g_events.clear();
    progress.clear();
    return app;
  }
  // The restart's world has come: the player's chapter has its home.
  static void WorldCame() { g_gameData->GetLocalChapter()->homeAsteroid = 0; }
  static int Count(const std::string& what) {
    int n = 0;
    for (const std::string& e : g_events) n += e == what ? 1 : 0;
    return n;
  }
};

TEST_F(Restart, TheViewsGoBeforeTheirGameAndComeBackOverTheNewOne) {
  CClntApp& app = Playing();
  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  // All six, each while the game it read was still there.
  ASSERT_EQ(g_events.size(), 6u);
  for (const std::string& e : g_events) EXPECT_NE(e.find("gone over turn 12"), std::string::npos) << e;
  EXPECT_EQ(g_currentView, nullptr);
  for (ViewType t :
       {VIEW_SOLAR, VIEW_DESIGN, VIEW_TERRAIN, VIEW_ASTEROID_SPACE, VIEW_TERRAIN_REPLAY, VIEW_SPACE_REPLAY})
    EXPECT_EQ(app.View(t), nullptr);
  ASSERT_TRUE(GameExists());
  EXPECT_EQ(GameTurn(), 0u);
  EXPECT_FALSE(app.InPlay());
  EXPECT_EQ(progress.back(), "open Restarting Game...");

  // What the old views answered while no view exists is answered by none.
  SendMessage(g_mainWnd, WM_APP_TURN_PROCESSING, 0, 0);
  SendMessage(g_mainWnd, WM_PAINT, 0, 0);
  EXPECT_EQ(g_events.size(), 6u);

  g_events.clear();
  WorldCame();
  SendMessage(g_mainWnd, WM_APP_RESTART_VIEWS, 0, 0);
  EXPECT_EQ(g_events.size(), 6u);
  EXPECT_EQ(Count("view 2 made over turn 0"), 1);
  EXPECT_EQ(g_currentView, app.View(VIEW_SOLAR));
  EXPECT_TRUE(app.InPlay());
  EXPECT_FALSE(app.AwaitsRestartViews());
}

// A server that sends the restart and the new world but not its views: once
// the game goes on, its next turn's results make the views again, rather than
// leave the player before "Restarting Game..." for the rest of the game.
TEST_F(Restart, WithoutItsViewsTheNextTurnsResultsMakeThem) {
  CClntApp& app = Playing();
  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  WorldCame();
  g_events.clear();
  progress.clear();
  SendMessage(g_mainWnd, WM_APP_TURN_RESULTS, 0, 0);
  EXPECT_EQ(Count("view 2 made over turn 0"), 1);
  EXPECT_EQ(g_currentView, app.View(VIEW_SOLAR));
  EXPECT_TRUE(app.InPlay());
  EXPECT_FALSE(app.Busy());
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), "close");
  // Views that are there already are not made again by later results.
  g_events.clear();
  SendMessage(g_mainWnd, WM_APP_TURN_RESULTS, 0, 0);
  EXPECT_TRUE(g_events.empty());
}

// A server that sends the restart right after a turn's processing and then
// the turn's autosave request and its results, its views or the game-started
// message, but nothing of the new world: each ends the wait as a world that
// did not come, the player told and the game left; no autosave of the empty
// game takes the place of the last one.
struct RestartWithoutWorld : Restart, testing::WithParamInterface<UINT> {};
INSTANTIATE_TEST_SUITE_P(Ending, RestartWithoutWorld,
                         testing::Values(WM_APP_TURN_RESULTS, WM_APP_RESTART_VIEWS, WM_APP_GAME_STARTED));
TEST_P(RestartWithoutWorld, EndsTheWaitAndKeepsTheLastAutosave) {
  CClntApp& app = Playing();
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 7);
  const std::string autosave = std::string(g_instData.GetSavePath()) + "autosave.clt";
  const auto whole = plat::ReadWholeFile(autosave);
  ASSERT_TRUE(whole);
  SendMessage(g_mainWnd, WM_APP_TURN_PROCESSING, 0, 0);
  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 8);
  backend->PressKey(VK_RETURN, 10);
  SendMessage(g_mainWnd, GetParam(), 0, 0);
  EXPECT_TRUE(backend->ScriptDone());
  EXPECT_EQ(g_currentView, nullptr);
  EXPECT_FALSE(app.AwaitsRestartViews());
  EXPECT_TRUE(g_session->GameEnded());
  // The next request, that reaches the game left.
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 9);
  EXPECT_EQ(plat::ReadWholeFile(autosave), whole);
  EXPECT_FALSE(plat::ReadWholeFile(std::string(g_instData.GetSavePath()) + "asavebak.clt").has_value());
}

// The restart posted before the player opened a dialog from a view reaches
// the window inside the dialog's loop: it waits until the view's call has
// returned, and is then carried out once, however often it came.
TEST_F(Restart, ARestartInsideAViewsDialogWaitsForTheDialog) {
  CClntApp& app = Playing();
  for (int i = 0; i < 30; ++i) PostMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  {
    // The main loop's own call, as when it hands the key to the window.
    const CClntApp::GameCall loop(app);
    SendMessage(g_mainWnd, WM_KEYDOWN, 'A', 0);
  }
  ASSERT_EQ(g_events.size(), 1u);
  EXPECT_EQ(g_events[0], "view 2 dialog closed over turn 12");
  EXPECT_EQ(GameTurn(), 12u);
  EXPECT_TRUE(progress.empty());

  app.CarryOutKeptMessages();
  EXPECT_EQ(Count("view 2 gone over turn 12"), 1);
  EXPECT_EQ(GameTurn(), 0u);
  EXPECT_EQ(g_currentView, nullptr);
  int restarts = 0;
  for (const std::string& p : progress) restarts += p == "open Restarting Game..." ? 1 : 0;
  EXPECT_EQ(restarts, 1);
  // Nothing is kept twice.
  g_events.clear();
  app.CarryOutKeptMessages();
  EXPECT_TRUE(g_events.empty());
}

// Between the restart and its world the game is nobody's: an autosave or a
// save then would take the place of the player's last one; the save is
// refused, the autosave kept for the world. The turn that the server still
// ends is processed over it, and once the world has come the autosave is
// written.
TEST_F(Restart, WhileItsWorldIsAwaitedNoSaveTakesThePlaceOfTheLastOne) {
  CClntApp& app = Playing();
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 5);
  const std::string autosave = std::string(g_instData.GetSavePath()) + "autosave.clt";
  const auto kept = plat::ReadWholeFile(autosave);
  ASSERT_TRUE(kept);
  int namesAsked = 0;
  shell.chooseSaveName = [&](std::string*) {
    ++namesAsked;
    return false;
  };

  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 5);
  // The refusal is told in the OK box, answered here.
  backend->PressKey(VK_RETURN, 10);
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
  EXPECT_TRUE(backend->ScriptDone());
  EXPECT_EQ(plat::ReadWholeFile(autosave), kept);
  EXPECT_FALSE(plat::ReadWholeFile(std::string(g_instData.GetSavePath()) + "asavebak.clt").has_value());
  EXPECT_EQ(namesAsked, 0);
  EXPECT_FALSE(app.InPlay());

  progress.clear();
  SendMessage(g_mainWnd, WM_APP_TURN_PROCESSING, 0, 0);
  EXPECT_EQ(progress, std::vector<std::string>{"open Processing Turn..."});
  EXPECT_TRUE(app.Busy());
  WorldCame();
  SendMessage(g_mainWnd, WM_APP_TURN_RESULTS, 0, 0);
  EXPECT_FALSE(app.Busy());
  EXPECT_EQ(g_currentView, app.View(VIEW_SOLAR));
  EXPECT_NE(plat::ReadWholeFile(autosave), kept);
}

// The session's contact clock, set by the test.
struct StoppedClock : IContactClock {
  DWORD now = 5000;
  DWORD Now() override { return now; }
  void Pause(DWORD ms) override { now += ms; }
};

// The most OK boxes open at once, seen by a timer while a dialog's loop runs.
std::size_t g_mostBoxes = 0;
void CountBoxes(HWND, UINT, UINT_PTR, DWORD) {
  const auto open = OpenDialogTemplates();
  g_mostBoxes = std::max<std::size_t>(g_mostBoxes, std::count(open.begin(), open.end(), "IDD_OK_DLG"));
}

// A restart whose world never comes and whose game does not go on either
// (a server that waits for this very player) ends its wait by itself, and
// not in an empty game: the player is told, and the game is left.
TEST_F(Restart, AWaitForTheWorldThatNeverComesEnds) {
  CClntApp& app = Playing();
  StoppedClock clock;
  g_session->contactClock = &clock;
  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  clock.now += ServerWait::kBoundMs - 1;
  app.EndOverdueServerWait();
  EXPECT_TRUE(app.AwaitsRestartViews());
  clock.now += 1;
  g_mostBoxes = 0;
  const UINT_PTR counter = SetTimer(nullptr, 0, 100, CountBoxes);
  backend->PressKey(VK_RETURN, 500);
  app.EndOverdueServerWait();
  PumpUntilIdle();
  KillTimer(nullptr, counter);
  EXPECT_TRUE(backend->ScriptDone());
  EXPECT_EQ(g_mostBoxes, 1u);
  EXPECT_FALSE(app.AwaitsRestartViews());
  EXPECT_EQ(app.View(VIEW_SOLAR), nullptr);
  EXPECT_TRUE(g_session->GameEnded());
  g_session->contactClock = &RealContactClock();
}

// The bound holds while the game loop never runs dry of messages: the
// player, told, is taken back to the front end.
TEST_F(Restart, TheWaitsBoundHoldsWhileMessagesKeepComing) {
  CClntApp& app = Playing();
  StoppedClock clock;
  g_session->contactClock = &clock;
  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  int frontEnds = 0;
  shell.screenFlow = [&](CClntApp&, int) {
    ++frontEnds;
    return 0;
  };
  int looks = 0;
  UseRecordingLibrary().onLook = [&] {
    clock.now += 1000;
    // Far past the bound the messages stop and the run ends either way.
    if (++looks > 1500) {
      PostQuitMessage(0);
      return;
    }
    PostMessage(g_mainWnd, WM_MOUSEMOVE, 0, 0);
  };
  backend->PressKey(VK_RETURN, 10);
  app.Run();
  EXPECT_TRUE(backend->ScriptDone());
  EXPECT_LT(looks, 100);
  EXPECT_EQ(frontEnds, 1);
  EXPECT_EQ(g_currentView, nullptr);
  g_session->contactClock = &RealContactClock();
}

// A dialog the player leaves open over the wait (here the refused save's
// box) holds the bound too: its loop ends the wait, the player is told over
// it, and once it is closed the game is left.
TEST_F(Restart, TheWaitsBoundHoldsInADialogsLoop) {
  CClntApp& app = Playing();
  g_session->contactClock = &ProgramContactClock();
  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  g_mostBoxes = 0;
  const UINT_PTR counter = SetTimer(nullptr, 0, 1000, CountBoxes);
  backend->PressKey(VK_RETURN, ServerWait::kBoundMs + 2000);
  backend->PressKey(VK_RETURN, 2000);
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
  KillTimer(nullptr, counter);
  EXPECT_TRUE(backend->ScriptDone());
  // Told over the refusal's box.
  EXPECT_EQ(g_mostBoxes, 2u);
  EXPECT_FALSE(app.AwaitsRestartViews());
  EXPECT_TRUE(g_session->GameEnded());
  g_session->contactClock = &RealContactClock();
}

// A restart followed by the game-started message, not its views: the views
// that message makes end the wait, and the new game saves again.
TEST_F(Restart, TheGameStartedMessageEndsTheWaitToo) {
  CClntApp& app = Playing();
  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  WorldCame();
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  EXPECT_EQ(g_currentView, app.View(VIEW_SOLAR));
  EXPECT_FALSE(app.AwaitsRestartViews());
  // Answers the refusal, should one come.
  backend->PressKey(VK_RETURN, 10);
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 5);
  EXPECT_TRUE(plat::ReadWholeFile(std::string(g_instData.GetSavePath()) + "autosave.clt").has_value());
}

// The restart's views after a restart that had to wait come after it, never
// before: views made over the old game would be deleted with it. (No world
// came between them here, so the views find none and the player is told.)
TEST_F(Restart, TheRestartsViewsWaitBehindTheRestart) {
  CClntApp& app = Playing();
  PostMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  PostMessage(g_mainWnd, WM_APP_RESTART_VIEWS, 0, 0);
  {
    const CClntApp::GameCall loop(app);
    SendMessage(g_mainWnd, WM_KEYDOWN, 'A', 0);
  }
  g_events.clear();
  backend->PressKey(VK_RETURN, 10);
  app.CarryOutKeptMessages();
  ASSERT_EQ(g_events.size(), 6u);
  for (const std::string& e : g_events) EXPECT_NE(e.find("gone over turn 12"), std::string::npos) << e;
  EXPECT_TRUE(backend->ScriptDone());
  EXPECT_FALSE(app.AwaitsRestartViews());
}

// The same bound holds a save or a load the server never answers: each ends
// as refused, told, and the game goes on; the save puts nothing in its place,
// and its answer that comes after all only decides its file.
using AnswerWait = Restart;
TEST_F(AnswerWait, ASaveOrALoadTheServerNeverAnswersEndsToldWithinTheBound) {
  CClntApp& app = Playing();
  StoppedClock clock;
  g_session->contactClock = &clock;
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 5);
  shell.chooseSaveName = [](std::string* name) {
    *name = "unanswered";
    return true;
  };
  shell.loadRequest = [](std::uint32_t) { return RequestLoad("autosave.clt", LoadPlace::SaveDirectory); };
  for (UINT request : {WM_APP_SAVE, WM_APP_LOAD_REQUEST}) {
    SendMessage(g_mainWnd, request, 0, 0);
    ASSERT_TRUE(app.Busy());
    clock.now += ServerWait::kBoundMs - 1;
    app.EndOverdueServerWait();
    PumpUntilIdle();
    EXPECT_TRUE(app.Busy());
    clock.now += 1;
    backend->PressKey(VK_RETURN, 10);
    app.EndOverdueServerWait();
    PumpUntilIdle();
    EXPECT_TRUE(backend->ScriptDone()) << request;
    EXPECT_FALSE(app.Busy()) << request;
    EXPECT_TRUE(app.InPlay()) << request;
    EXPECT_EQ(g_currentView, app.View(VIEW_SOLAR)) << request;
  }
  const std::string save = std::string(g_instData.GetSavePath()) + "unanswered.clt";
  EXPECT_FALSE(plat::GetFileWriteTime(save));
  // An e-mail game has nobody to answer: the player is told of End Turn at
  // once instead of waiting out the bound.
  g_session->emailMode = 1;
  backend->PressKey(VK_RETURN, 10);
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
  EXPECT_TRUE(backend->ScriptDone());
  EXPECT_FALSE(app.Busy());
  g_session->emailMode = 0;
  SendMessage(g_mainWnd, WM_APP_TURN_PROCESSING, 0, 0);
  SendMessage(g_mainWnd, WM_APP_SAVE_FINISHED, 1, 0);
  EXPECT_TRUE(app.Busy());
  EXPECT_TRUE(plat::GetFileWriteTime(save));
  g_session->contactClock = &RealContactClock();
}

// What the server has not answered when it restarts, it answers of its new
// world: the save the game was busy with ends with the restart, and neither
// its answer nor a save's given up before puts a file of the old world in
// place or takes down the restart's progress.
TEST_F(AnswerWait, ARestartEndsTheSavesItsGameWaitedFor) {
  CClntApp& app = Playing();
  StoppedClock clock;
  g_session->contactClock = &clock;
  shell.chooseSaveName = [](std::string* name) {
    *name = "old world";
    return true;
  };
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
  clock.now += ServerWait::kBoundMs;
  backend->PressKey(VK_RETURN, 10);
  app.EndOverdueServerWait();
  PumpUntilIdle();
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  EXPECT_FALSE(app.Busy());
  progress.clear();
  SendMessage(g_mainWnd, WM_APP_SAVE_FINISHED, 1, 0);
  SendMessage(g_mainWnd, WM_APP_SAVE_FINISHED, 1, 0);
  EXPECT_TRUE(progress.empty());
  EXPECT_TRUE(backend->ScriptDone());
  EXPECT_FALSE(plat::GetFileWriteTime(std::string(g_instData.GetSavePath()) + "old world.clt"));
  EXPECT_TRUE(ListSaveFiles(g_instData.GetSavePath(), "tmp", true).empty());
  g_session->contactClock = &RealContactClock();
}

// Answers come in the order of the saves: one that comes after its save was
// given up settles that save alone, never the save that waits now, and a save
// over a name keeps the file of that name whole until its answer decides.
TEST_F(AnswerWait, ALateAnswerSettlesOnlyItsOwnSave) {
  CClntApp& app = Playing();
  StoppedClock clock;
  g_session->contactClock = &clock;
  std::string next;
  shell.chooseSaveName = [&](std::string* name) {
    *name = next;
    return true;
  };
  const auto save = [&](const char* name, std::uint32_t turn) {
    g_gameData->turn = turn;
    next = name;
    SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
  };
  const auto told = [&](auto&& happen) {
    backend->PressKey(VK_RETURN, 10);
    happen();
    PumpUntilIdle();
    EXPECT_TRUE(backend->ScriptDone());
  };
  const auto giveUp = [&] {
    clock.now += ServerWait::kBoundMs;
    told([&] { app.EndOverdueServerWait(); });
  };
  const auto answer = [](WPARAM saved) { SendMessage(g_mainWnd, WM_APP_SAVE_FINISHED, saved, 0); };
  const auto turnOf = [](const char* name) {
    SaveHeader header;
    return ReadSaveHeader(name, &header) ? static_cast<int>(header.turn) : -1;
  };

  save("x", 20);
  answer(1);
  save("x", 21);
  giveUp();
  EXPECT_EQ(turnOf("x.clt"), 20);
  save("b", 22);
  answer(1);  // x's, late
  EXPECT_EQ(turnOf("x.clt"), 21);
  EXPECT_TRUE(app.Busy());
  told([&] { answer(0); });  // b's own
  EXPECT_EQ(turnOf("b.clt"), -1);
  EXPECT_FALSE(app.Busy());

  save("x", 23);
  giveUp();
  save("c", 24);
  answer(0);  // x's, late
  EXPECT_TRUE(app.Busy());
  answer(1);  // c's own
  EXPECT_FALSE(app.Busy());
  EXPECT_EQ(turnOf("x.clt"), 21);
  EXPECT_EQ(turnOf("c.clt"), 24);
  EXPECT_TRUE(ListSaveFiles(g_instData.GetSavePath(), "tmp", true).empty());
  g_session->contactClock = &RealContactClock();
}

}  // namespace
