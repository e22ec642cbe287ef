#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CDlgBase.h"
#include "Game/app/SettingsFile.h"
#include "Game/base/GInstData.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/net/AutosavePacket.h"
#include "Game/net/NetSession.h"
#include "Game/save/SaveGame.h"
#include "media/CDDraw.h"
#include "platform/core/dospath.h"
#include "platform/core/files.h"
#include "platform/ddraw/ddconst.h"
#include "platform/ddraw/ddraw.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/pump.h"
#include "platform/user/queue.h"
#include "shell_fixture.h"
#include "tests/support/app_state.h"
#include "tests/support/build_paths.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/golden.h"

namespace {

using namespace plat;

// Every call a view receives, as "<type>:<operation>".
std::vector<std::string> g_log;

class LoggingView : public IGameView {
 public:
  explicit LoggingView(ViewType type) : type_(type) { Log("made"); }
  ~LoggingView() override { Log("gone"); }
  ViewType GetViewType() const override { return type_; }
  void UpdateCursor() override { Log("UpdateCursor"); }
  void SetCursorSet(std::uint32_t kind) override { Log("SetCursorSet " + std::to_string(kind)); }
  int OnKeyDown(WPARAM key, LPARAM) override {
    Log("KeyDown " + std::to_string(key));
    return 0;
  }
  int OnLButtonDown(int x, int y, WPARAM) override {
    Log("LButtonDown " + std::to_string(x) + "," + std::to_string(y));
    return 0;
  }
  int OnMouseMove(WPARAM, LPARAM) override {
    Log("MouseMove");
    return 0;
  }
  void Render(std::int32_t argument) override { Log("Render " + std::to_string(argument)); }
  void Invalidate() override { Log("Invalidate"); }
  void RedrawBackground() override { Log("RedrawBackground"); }
  void DrawGotoBar() override { Log("DrawGotoBar"); }
  void DrawTurnLamps() override { Log("DrawTurnLamps"); }
  void UpdateControlPanel() override { Log("UpdateControlPanel"); }
  void PlayFrameAnimation(std::uint32_t) override { Log("Frame"); }
  void SetStatusText(const char* text, int time) override {
    Log(std::string("Status ") + text + " " + std::to_string(time));
  }
  void MarkStale() override { Log("MarkStale"); }
  void OnDrawItem(DRAWITEMSTRUCT* d) override { Log("OnDrawItem " + std::to_string(d->CtlID)); }
  void DrawControlButton(DRAWITEMSTRUCT* d) override { Log("ControlButton " + std::to_string(d->CtlID)); }
  void RouteDrawItem(DRAWITEMSTRUCT* d, int flag) override {
    Log("Route " + std::to_string(d->CtlID) + " " + std::to_string(flag));
  }
  void DrawMenuItem(DRAWITEMSTRUCT* d) override { Log("MenuItem " + std::to_string(d->itemID)); }
  void GoToView(WPARAM a, LPARAM b) override {
    Log("GoTo " + std::to_string(a) + " " + std::to_string(static_cast<long>(b)));
  }
  int SaveState(plat::FILE* f) override {
    Log("Save");
    return plat::fputc(static_cast<int>(type_), f) >= 0;
  }
  int LoadState(plat::FILE* f) override {
    Log("Load " + std::to_string(plat::fgetc(f)));
    return 1;
  }
  LRESULT OnControlCommand(std::uint32_t id) override {
    Log("Control " + std::to_string(id));
    return 7;
  }
  LRESULT OnMenuCommand(std::uint32_t id) override {
    Log("Menu " + std::to_string(id));
    return 8;
  }
  void OnTurnProcessing() override { Log("TurnProcessing"); }
  void ResetGotoSlots() override { Log("ResetGoto"); }

 private:
  void Log(const std::string& what) const { g_log.push_back(std::to_string(type_) + ":" + what); }
  ViewType type_;
};

struct App : shelltest::AppFixture {
  int frontEndRuns = 0;
  std::vector<int> frontEndResults{1, 0};
  std::function<void(int pass)> onPacketPass;
  int packetPasses = 0;

  void SetUp() override {
    AppFixture::SetUp();
    g_log.clear();
    screen.createView = [](ViewType type) { return std::make_unique<LoggingView>(type); };
    shell.screenFlow = [this](CClntApp& app, int) {
      ChooseChapter(app);
      const int r = frontEndRuns < static_cast<int>(frontEndResults.size()) ? frontEndResults[frontEndRuns] : 0;
      ++frontEndRuns;
      return r;
    };
  }
  void TearDown() override { AppFixture::TearDown(); }
  CClntApp& Start() {
    CClntApp& app = AppFixture::Start();
    // Each look for messages is one packet pass; nothing ever comes.
    UseRecordingLibrary().onLook = [this] {
      g_log.push_back("packet");
      if (onPacketPass) onPacketPass(++packetPasses);
    };
    return app;
  }
  static std::vector<std::string> Since(std::size_t from) {
    return {g_log.begin() + static_cast<long>(from), g_log.end()};
  }
};

TEST_F(App, LeavingTheFrontEndEndsTheProgramAndADamagedSettingsFileIsWrittenWhole) {
  drive->Write("UserInfo.dat", "PlayerName: Ada\nMusicScale: 9\n\x01\x02garbage Zoom: 0\n");
  frontEndResults = {0};
  EXPECT_EQ(CreateClntApp(program, SW_SHOW, ""), nullptr);
  EXPECT_EQ(g_app, nullptr);
  EXPECT_EQ(g_mainWnd, nullptr);
  EXPECT_EQ(g_session, nullptr);
  EXPECT_EQ(frontEndRuns, 1);
  const std::string text = drive->Read("UserInfo.dat");
  EXPECT_EQ(text.rfind("PlayerName: Ada\nPlayerNicname: Player\n", 0), 0u) << text;
  EXPECT_NE(text.find("\nMusicScale: 1\n"), std::string::npos);
  EXPECT_NE(text.find("\nZoom: 0\n"), std::string::npos);
  EXPECT_EQ(text.find("garbage"), std::string::npos);
}

TEST_F(App, GameStartMakesTheViewsOnceAndTheSolarViewCurrent) {
  CClntApp& app = Start();
  EXPECT_TRUE(GameExists());
  EXPECT_EQ(g_session->notifyWindow, g_mainWnd);
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"0:made", "1:made", "3:made", "7:made", "6:made", "2:made"}));
  EXPECT_EQ(g_currentView, app.View(VIEW_SOLAR));
  EXPECT_TRUE(app.InPlay());
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  EXPECT_EQ(g_log.size(), 6u);
}

TEST_F(App, SwitchViewRendersAndRenderOnceFallsBack) {
  CClntApp& app = Start();
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  std::size_t from = g_log.size();
  SendMessage(g_mainWnd, WM_APP_SWITCH_VIEW, VIEW_DESIGN, 5);
  EXPECT_EQ(Since(from), std::vector<std::string>{"0:Render 5"});
  from = g_log.size();
  SendMessage(g_mainWnd, WM_APP_SWITCH_VIEW, 4, kRenderOnce);  // no view of type 4: the current one stays
  EXPECT_EQ(Since(from), std::vector<std::string>{"0:Render 65534"});
  EXPECT_EQ(app.RenderArgument(), -1);
}

TEST_F(App, BusyIgnoresInputAndTurnResultsRepostAPendingEscape) {
  CClntApp& app = Start();
  int optionsRuns = 0;
  screen.runOptions = [&] { ++optionsRuns; };
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  app.SetBusy(true);
  std::size_t from = g_log.size();
  SendMessage(g_mainWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  SendMessage(g_mainWnd, WM_KEYDOWN, 'A', 0);
  SendMessage(g_mainWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(SendMessage(g_mainWnd, WM_COMMAND, 101, 0), 0);
  EXPECT_TRUE(Since(from).empty());
  EXPECT_EQ(optionsRuns, 0);
  app.DeferEscape();
  SendMessage(g_mainWnd, WM_APP_TURN_RESULTS, 0, 0);
  EXPECT_FALSE(app.Busy());
  EXPECT_FALSE(app.EscapeDeferred());
  PumpUntilIdle();
  EXPECT_EQ(optionsRuns, 1);
  from = g_log.size();
  SendMessage(g_mainWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(SendMessage(g_mainWnd, WM_COMMAND, 101, 0), 7);
  EXPECT_EQ(SendMessage(g_mainWnd, WM_COMMAND, 606, 0), 0);  // not a menu item
  EXPECT_EQ(SendMessage(g_mainWnd, WM_COMMAND, 607, 0), 8);
  SendMessage(g_mainWnd, WM_MBUTTONDOWN, 0, 0);
  EXPECT_EQ(Since(from), (std::vector<std::string>{"2:LButtonDown 5,6", "2:Control 101", "2:Menu 607", "2:KeyDown 9"}));
}

TEST_F(App, EscapeInAChildReachesTheMainWindowOnceAndEmailGamesShowTheHint) {
  CClntApp& app = Start();
  int optionsRuns = 0;
  screen.runOptions = [&] { ++optionsRuns; };
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  HWND child =
      CreateWindowEx(0, "Edit", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, g_mainWnd, nullptr, program, nullptr);
  ASSERT_NE(child, nullptr);
  SetActiveWindow(g_mainWnd);
  SetFocus(child);
  backend->PressKey(VK_ESCAPE);
  PumpUntilIdle();
  EXPECT_EQ(optionsRuns, 1);
  g_session->emailMode = 1;
  backend->PressKey(VK_RETURN, 50);  // answers the hint's OK box
  SendMessage(g_mainWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(optionsRuns, 1);
  g_session->emailMode = 0;
  (void)app;
}

// The turn results of an e-mail game are replayed from its input file after
// the e-mail turn processing has moved the model on: they must not move it
// again, while a connected game's results do.
TEST_F(App, EmailTurnResultsDoNotAdvanceTheModelAgain) {
  CClntApp& app = Start();
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  const std::uint32_t turn = GameTurn();
  g_session->emailMode = 1;
  SendMessage(g_mainWnd, WM_APP_TURN_RESULTS, 0, 0);
  EXPECT_EQ(GameTurn(), turn);
  EXPECT_TRUE(app.InPlay());
  g_session->emailMode = 0;
  SendMessage(g_mainWnd, WM_APP_TURN_RESULTS, 0, 0);
  EXPECT_EQ(GameTurn(), turn + 1);
}

TEST_F(App, MouseMovesAreCoalescedIntoTheIdlePass) {
  CClntApp& app = Start();
  SendMessage(g_mainWnd, WM_MOUSEMOVE, 0, 0);
  EXPECT_TRUE(app.MouseMovePending());
  SendMessage(g_mainWnd, WM_MEASUREITEM, 0, 0);  // no record: nothing written, no crash
}

TEST_F(App, MainLoopOrderOfWorkAndQuitToTheDesktop) {
  CClntApp& app = Start();
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  SetActiveWindow(g_mainWnd);
  input::SetAppActive(true);
  onPacketPass = [&](int pass) {
    if (pass == 3) SendMessage(g_mainWnd, WM_ACTIVATEAPP, 1, 0);  // asks for a full redraw
    if (pass == 200) {
      Answer(true);
      ConfirmQuit(1, nullptr);
    }
  };
  const std::size_t from = g_log.size();
  EXPECT_EQ(app.Run(), 0);
  EXPECT_TRUE(app.QuitRequested());
  const auto log = Since(from);
  ASSERT_GT(log.size(), 20u);
  // The first idle pass sets the view's normal cursor once, then a packet.
  const auto firstPacket = std::find(log.begin(), log.end(), "packet");
  ASSERT_NE(firstPacket, log.begin());
  EXPECT_EQ(*(firstPacket - 1), "2:UpdateCursor");
  EXPECT_EQ(std::count(log.begin(), log.end(), "2:UpdateCursor"), 1);
  // The full redraw, in its order, after the pass that asked for it.
  const std::vector<std::string> redraw{"2:RedrawBackground", "2:DrawGotoBar",        "2:DrawTurnLamps", "2:Invalidate",
                                        "2:Render -1",        "2:UpdateControlPanel", "2:Invalidate",    "2:Render -1"};
  auto at = std::search(log.begin(), log.end(), redraw.begin(), redraw.end());
  EXPECT_NE(at, log.end());
  EXPECT_FALSE(app.FullRedrawRequested());
  // Frames animate between packets, never two without a packet between.
  int frames = 0;
  for (std::size_t i = 1; i < log.size(); ++i) {
    if (log[i] != "2:Frame") continue;
    ++frames;
    EXPECT_EQ(log[i - 1], "packet");
  }
  EXPECT_GT(frames, 2);
  EXPECT_EQ(frontEndRuns, 1);  // to the desktop: the front end does not run again
}

// Another program took the focus and never gave it back: a save finished
// meanwhile still has its dialogs drawn over by the view.
TEST_F(App, AnInactiveButVisibleGameRedrawsWhatItAskedFor) {
  CClntApp& app = Start();
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  SetActiveWindow(g_mainWnd);
  onPacketPass = [&](int pass) {
    if (pass == 3) {
      input::SetAppActive(false);
      SendMessage(g_mainWnd, WM_APP_SAVE_FINISHED, 1, 0);
    }
    if (pass == 20) {
      g_log.push_back("still inactive");
      Answer(true);
      ConfirmQuit(1, nullptr);
    }
  };
  const std::size_t from = g_log.size();
  EXPECT_EQ(app.Run(), 0);
  const auto log = Since(from);
  EXPECT_LT(std::find(log.begin(), log.end(), "2:RedrawBackground"),
            std::find(log.begin(), log.end(), "still inactive"));
  input::SetAppActive(true);
}

// A save holds the flush until the server's answer, through the program
// becoming active again; a hold whose owner is gone (here the busy program
// set free with the flush still held) is let go when the loop comes round.
TEST_F(App, TheLoopLetsGoOfAScreenFlushNothingHolds) {
  CClntApp& app = Start();
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  bool heldThroughActivation = false;
  bool heldWhenForgotten = true;
  onPacketPass = [&](int pass) {
    if (pass == 3) {
      app.SetBusy(true);
      screen.SuspendScreenFlush(1);
      SendMessage(g_mainWnd, WM_ACTIVATEAPP, 1, 0);
    }
    if (pass == 6) {
      heldThroughActivation = screen.flushHeld;
      app.SetBusy(false);
    }
    if (pass == 9) {
      heldWhenForgotten = screen.flushHeld;
      Answer(true);
      ConfirmQuit(1, nullptr);
    }
  };
  EXPECT_EQ(app.Run(), 0);
  EXPECT_TRUE(heldThroughActivation);
  EXPECT_FALSE(heldWhenForgotten);
}

TEST_F(App, AGameThatEndsReturnsToTheFrontEnd) {
  CClntApp& app = Start();
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  onPacketPass = [&](int pass) {
    if (pass == 5) {
      Answer(true);
      ConfirmQuit(0, nullptr);
    }
  };
  EXPECT_EQ(app.Run(), 0);
  EXPECT_FALSE(app.QuitRequested());
  EXPECT_EQ(frontEndRuns, 2);
  EXPECT_EQ(g_currentView, nullptr);
  EXPECT_EQ(app.View(VIEW_SOLAR), nullptr);
}

TEST_F(App, SavedStateRoundTripGoesBackToTheSavedView) {
  CClntApp& app = Start();
  plat::FILE* f = plat::fopen("C:\\app.sav", "w+b");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(app.SaveState(f), 0);  // no view yet: nothing written
  EXPECT_EQ(plat::ftell(f), 0);
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  SendMessage(g_mainWnd, WM_APP_SWITCH_VIEW, VIEW_TERRAIN_REPLAY, 77);
  AppTestState::SetRandomSeed(app, 0x01020304);
  ASSERT_EQ(app.SaveState(f), 1);
  EXPECT_EQ(plat::ftell(f), 4 + 4 + 2 + 4);
  plat::rewind(f);
  AppTestState::SetRandomSeed(app, 0);
  g_log.clear();
  EXPECT_EQ(app.LoadState(f), 1);
  plat::fclose(f);
  EXPECT_EQ(app.RandomSeed(), 0x01020304u);
  EXPECT_EQ(app.RenderArgument(), 77);
  EXPECT_TRUE(app.FullRedrawRequested());
  const std::vector<std::string> loads{"0:Load 0", "1:Load 1", "2:Load 2", "3:Load 3", "2:GoTo 7 77"};
  std::vector<std::string> seen;
  for (const auto& e : g_log)
    if (e.find("Load") != std::string::npos || e.find("GoTo") != std::string::npos) seen.push_back(e);
  EXPECT_EQ(seen, loads);
}

TEST_F(App, SaveLoadAndRestartMessagesBracketTheirWorkWithBusyAndTheProgressDialog) {
  CClntApp& app = Start();
  std::vector<std::string> steps;
  shell.openProgress = [&](const char* text, int animation) {
    steps.push_back(std::string("open ") + text + " " + std::to_string(animation));
  };
  shell.closeProgress = [&] { steps.push_back("close"); };
  screen.suspendScreenFlush = [&](int s) { steps.push_back("flush " + std::to_string(s)); };
  shell.chooseSaveName = [&](std::string*) {
    steps.push_back(std::string("save") + (app.Busy() ? " busy" : ""));
    return false;
  };
  auto take = [&] { return std::exchange(steps, {}); };
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  take();
  SendMessage(g_mainWnd, WM_APP_GO_TO, 4, 5);
  EXPECT_EQ(g_log.back(), "2:GoTo 4 5");

  // A save that fails at once puts everything back.
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
  EXPECT_EQ(take(), (std::vector<std::string>{"flush 1", "save busy", "flush 0", "close"}));
  EXPECT_FALSE(app.Busy());
  EXPECT_TRUE(app.InPlay());

  // Turn processing: busy with its progress dialog until the results come;
  // the view finds the notifications cleared.
  screen.clearNotificationLines = [] { g_log.push_back("clear notes"); };
  g_log.clear();
  SendMessage(g_mainWnd, WM_APP_TURN_PROCESSING, 0, 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"clear notes", "2:TurnProcessing"}));
  EXPECT_EQ(take(), std::vector<std::string>{"open Processing Turn... 2"});
  EXPECT_TRUE(app.Busy());
  EXPECT_FALSE(app.InPlay());
  SendMessage(g_mainWnd, WM_APP_TURN_RESULTS, 0, 0);
  EXPECT_FALSE(app.Busy());
  EXPECT_EQ(take(), std::vector<std::string>{"close"});

  // Failures are told in the OK box, answered here with Enter.
  backend->PressKey(VK_RETURN, 10);
  g_log.clear();
  SendMessage(g_mainWnd, WM_APP_SAVE_FINISHED, 0, 0);
  EXPECT_EQ(take(), (std::vector<std::string>{"flush 0", "close"}));
  EXPECT_TRUE(std::none_of(g_log.begin(), g_log.end(),
                           [](const std::string& s) { return s.find(":Status") != std::string::npos; }));
  // An autosave written is not told; one that cannot be (a folder holds its
  // name) is.
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 5);
  EXPECT_EQ(take(), (std::vector<std::string>{"open Saving Game... 0", "close"}));
  const std::string autosave = std::string(g_instData.GetSavePath()) + "autosave.clt";
  ASSERT_TRUE(plat::GetFileWriteTime(autosave));
  const auto file = plat::ResolveDosPath(autosave);
  ASSERT_TRUE(file);
  std::filesystem::remove(*file);
  std::filesystem::create_directory(*file);
  backend->PressKey(VK_RETURN, 10);
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 5);
  EXPECT_EQ(take(), (std::vector<std::string>{"open Saving Game... 0", "close"}));
  EXPECT_FALSE(app.Busy());
  EXPECT_TRUE(backend->ScriptDone());
  // So is one whose server half could not be written, which the server asks
  // for without an identifier: nothing is written.
  backend->PressKey(VK_RETURN, 10);
  SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, kAutosaveFailed);
  EXPECT_TRUE(take().empty());
  EXPECT_TRUE(backend->ScriptDone());

  // Restarted views: made again, solar first, and the game goes on; the goto
  // bar starts again only for a chapter with a home.
  std::size_t from = g_log.size();
  SendMessage(g_mainWnd, WM_APP_RESTART_VIEWS, 0, 0);
  auto log = Since(from);
  EXPECT_EQ(std::count(log.begin(), log.end(), "2:made"), 1);
  EXPECT_EQ(std::find(log.begin(), log.end(), "2:made") - log.begin(), 6);  // after the six old views went
  EXPECT_EQ(std::count(log.begin(), log.end(), "2:ResetGoto"), 0);
  EXPECT_EQ(g_currentView, app.View(VIEW_SOLAR));
  EXPECT_TRUE(app.InPlay());
  g_gameData->GetLocalChapter()->homeAsteroid = 0;
  from = g_log.size();
  SendMessage(g_mainWnd, WM_APP_RESTART_VIEWS, 0, 0);
  log = Since(from);
  EXPECT_EQ(std::count(log.begin(), log.end(), "2:ResetGoto"), 1);
}

// A save that fails is told over the game screen drawn whole again, the
// progress gone before the box comes, and the screen is drawn whole once
// more after the box: nothing of the save's dialogs or of the box stays.
// So for the player's own file that cannot be written, the server's refusal
// and an autosave that failed.
void NoteOpenBox(HWND, UINT, UINT_PTR, DWORD) {
  const auto open = OpenDialogTemplates();
  if (std::count(open.begin(), open.end(), "IDD_OK_DLG") != 0 && g_log.back() != "box") g_log.push_back("box");
}
TEST_F(App, AFailedSaveIsToldOverTheScreenDrawnWholeAndLeavesNothingBehind) {
  CClntApp& app = Start();
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  shell.chooseSaveName = [](std::string* name) {
    *name = "failing";
    return true;
  };
  shell.closeProgress = [] { g_log.push_back("progress closed"); };
  const UINT_PTR look = SetTimer(nullptr, 0, 100, NoteOpenBox);
  const std::function<void()> failures[] = {
      [] {
        const quentest::FileSizeLimit full(16);
        SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
      },
      [] {
        SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
        SendMessage(g_mainWnd, WM_APP_SAVE_FINISHED, 0, 0);
      },
      [] {
        SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 9);
        const quentest::FileSizeLimit full(16);
        SendMessage(g_mainWnd, WM_APP_AUTOSAVE, 0, 10);
      },
  };
  for (const auto& fail : failures) {
    g_log.assign({"start"});
    backend->PressKey(VK_RETURN, 500);
    fail();
    EXPECT_TRUE(backend->ScriptDone());
    // Where `what` was last, counted from 1; 0 when never.
    const auto at = [](const char* what) {
      return std::find(g_log.rbegin(), g_log.rend(), what).base() - g_log.begin();
    };
    EXPECT_TRUE(0 < at("progress closed") && at("progress closed") < at("box"));
    EXPECT_TRUE(0 < at("2:RedrawBackground") && at("2:RedrawBackground") < at("box"));
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "box"), 1);
    EXPECT_TRUE(app.FullRedrawRequested());
    AppTestState::ClearFullRedraw(app);
  }
  KillTimer(nullptr, look);
}

// The server answers a save or a load only to the player who asked for it:
// the other players' copies must end by themselves, or their screens stay
// held under the progress dialog for the rest of the game.
TEST_F(App, AnotherPlayersSaveAndLoadEndWithoutAnAnswer) {
  CClntApp& app = Start();
  std::vector<std::string> steps;
  shell.openProgress = [&](const char* text, int) { steps.push_back(std::string("open ") + text); };
  shell.closeProgress = [&] { steps.push_back("close"); };
  screen.suspendScreenFlush = [&](int s) { steps.push_back("flush " + std::to_string(s)); };
  shell.chooseSaveName = [&](std::string* name) {
    steps.push_back("save own");
    *name = "own";
    return true;
  };
  auto take = [&] { return std::exchange(steps, {}); };
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  take();
  // Another player's request (6) and load (7) name the same copy.
  std::array<char, kLoadPacketSize> packet{6};
  std::snprintf(packet.data() + 8, kSavePacketNameSize, "%s", "copy.svr");
  const std::uint32_t savedTurn = GameTurn();

  // (The save's own progress dialog comes and goes around its writing.)
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, reinterpret_cast<LPARAM>(packet.data()));
  EXPECT_EQ(take(), (std::vector<std::string>{"flush 1", "open Saving Game...", "close", "flush 0", "close"}));
  EXPECT_TRUE(plat::GetFileWriteTime(std::string(g_instData.GetSavePath()) + "copy.clt"));
  EXPECT_FALSE(app.Busy());
  EXPECT_TRUE(app.InPlay());
  EXPECT_TRUE(app.FullRedrawRequested());

  // The player's own save waits for the server's answer.
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
  EXPECT_EQ(take(), (std::vector<std::string>{"flush 1", "save own", "open Saving Game...", "close"}));
  EXPECT_TRUE(app.Busy());
  g_log.clear();
  SendMessage(g_mainWnd, WM_APP_SAVE_FINISHED, 1, 0);
  take();
  // A save that worked says so in the status line.
  EXPECT_TRUE(std::any_of(g_log.begin(), g_log.end(),
                          [](const std::string& s) { return s.ends_with(":Status Game saved 26"); }));

  AppTestState::ClearFullRedraw(app);
  g_gameData->turn = savedTurn + 5;
  packet[0] = 7;
  g_session->AgreeLoad(0);
  ASSERT_TRUE(
      g_session->KeepAgreedLoad(std::span(reinterpret_cast<const std::uint8_t*>(packet.data()), packet.size())));
  SendMessage(g_mainWnd, WM_APP_LOAD_DATA, 0, 0);
  EXPECT_EQ(take(), (std::vector<std::string>{"flush 1", "open Loading Game...", "close", "flush 0"}));
  EXPECT_EQ(GameTurn(), savedTurn);  // the copy was loaded
  EXPECT_FALSE(app.Busy());
  EXPECT_TRUE(app.InPlay());
  EXPECT_TRUE(app.FullRedrawRequested());
}

TEST_F(App, OwnerDrawnControlsAndMenuItemsGoWhereTheirIdentifiersSay) {
  Start();
  SendMessage(g_mainWnd, WM_APP_GAME_STARTED, 0, 0);
  const std::size_t from = g_log.size();
  for (UINT id : {101u, 252u, 105u, 312u, 114u, 455u, 103u, 456u, 999u}) {
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_BUTTON;
    item.CtlID = id;
    EXPECT_EQ(SendMessage(g_mainWnd, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item)), id == 999u ? 0 : 1) << id;
  }
  for (UINT id : {501u, 502u, 807u}) {
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_MENU;
    item.itemID = id;
    SendMessage(g_mainWnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
  }
  EXPECT_EQ(Since(from),
            (std::vector<std::string>{"2:ControlButton 101", "2:ControlButton 252", "2:Route 105 0", "2:Route 312 0",
                                      "2:Route 114 1", "2:Route 455 1", "2:OnDrawItem 103", "2:OnDrawItem 456",
                                      "2:MenuItem 501", "2:MenuItem 807"}));
  MEASUREITEMSTRUCT menu, line;
  SendMessage(g_mainWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&menu));
  SendMessage(g_mainWnd, WM_MEASUREITEM, 5, reinterpret_cast<LPARAM>(&line));
  EXPECT_EQ(menu.itemWidth * 1000 + menu.itemHeight, 100020u);
  EXPECT_EQ(line.itemWidth * 1000 + line.itemHeight, 595016u);
}

TEST_F(App, EscapeInAListOfTheMainWindowAsksTheQuitQuestion) {
  CClntApp& app = Start();
  HWND list =
      CreateWindowEx(0, "ListBox", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 80, g_mainWnd, nullptr, program, nullptr);
  ASSERT_NE(list, nullptr);
  AppTestState::SetRunning(app, true);
  Answer(true);
  PostMessage(list, WM_VKEYTOITEM, VK_ESCAPE, 0);
  PumpUntilIdle();
  EXPECT_FALSE(app.Running());
  EXPECT_FALSE(app.QuitRequested());  // to the main menu
}

// With no front end the application shows one box that says so, makes no
// game and opens no progress dialog, and leaves.
using NoFrontEnd = shelltest::AppFixture;
TEST_F(NoFrontEnd, APlaceholderBoxSaysSoAndTheApplicationLeaves) {
  backend->PressKey(VK_RETURN, 10);  // the box's OK
  EXPECT_EQ(CreateClntApp(program, SW_SHOW, ""), nullptr);
  EXPECT_TRUE(backend->ScriptDone());
  EXPECT_FALSE(GameExists());
  EXPECT_TRUE(shell.progress.empty());
}

TEST_F(App, JoinByNameKeepsTheBlanksOfAQuotedNameAndStartsAtTheJoinScreen) {
  std::vector<int> starts;
  shell.screenFlow = [&](CClntApp&, int start) {
    starts.push_back(start);
    return 1;
  };
  CreateClntApp(program, SW_SHOW, "-I:\"Deep Field 7\" -x");
  ASSERT_NE(g_session, nullptr);
  EXPECT_EQ(g_session->joinByName, 1);
  EXPECT_STREQ(g_session->joinName.get(), "Deep Field 7");
  DestroyClntApp();
  CreateClntApp(program, SW_SHOW, "-I:Plain rest");
  EXPECT_STREQ(g_session->joinName.get(), "Plain");
  EXPECT_EQ(starts, (std::vector<int>{12, 12}));
}

TEST_F(App, QuitMessageEndsTheLoopAtOnce) {
  CClntApp& app = Start();
  onPacketPass = [&](int pass) {
    if (pass == 2) PostQuitMessage(4);
  };
  EXPECT_EQ(app.Run(), 4);
  EXPECT_EQ(frontEndRuns, 1);
}

TEST_F(App, NoAnswerToTheQuitQuestionChangesNothing) {
  CClntApp& app = Start();
  AppTestState::SetRunning(app, true);
  Answer(false);
  ConfirmQuit(1, nullptr);
  EXPECT_TRUE(app.Running());
  EXPECT_FALSE(app.QuitRequested());
}

}  // namespace

// The film of a game's end plays in a black frame: the screen is cleared
// before it starts, and nothing of the game screen is flushed while it runs.
TEST_F(App, AFilmStartsOnAClearedScreenThatStaysHeldUntilItsEnd) {
  CClntApp& app = Start();
  const std::string film = std::string(g_instData.GetAviPath()) + "loss.avi";
  plat::FILE* file = plat::fopen(film.c_str(), "wb");
  ASSERT_NE(file, nullptr) << film;
  plat::fputc('x', file);
  plat::fclose(file);
  ASSERT_NE(g_ddraw, nullptr);
  plat::DDBLTFX white;
  white.dwFillColor = 0xFFFF;
  g_ddraw->primary->Blt(nullptr, nullptr, nullptr, plat::DDBLT_COLORFILL, &white);
  std::vector<std::string> steps;
  plat::Image frame;
  // The film (one that cannot be read) is over when the flush comes back.
  screen.suspendScreenFlush = [&](int s) {
    steps.push_back("flush " + std::to_string(s));
    if (s == 0) frame = quentest::ScreenArea({0, 0, 800, 600});
  };
  app.PlayMovie("loss.avi");
  EXPECT_EQ(steps, (std::vector<std::string>{"flush 1", "flush 0"}));
  EXPECT_TRUE(quentest::MatchesGolden(frame, std::filesystem::path(QUEN_TEST_DATA_DIR) / "film_frame.png"));
}
