// The main window's procedure: input to the current view, owner drawing,
// the sound player's timer and the private messages of the game.
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <utility>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/app/GameLife.h"
#include "Game/app/SavedGames.h"
#include "Game/app/SettingsFile.h"
#include "Game/base/ClientShell.h"
#include "Game/base/Packets.h"
#include "Game/net/AutosavePacket.h"
#include "Game/net/NetSession.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "media/CSndPlay.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/core/systime.h"
#include "platform/dialog/ownerdraw.h"
#include "platform/sound/mci.h"
#include "platform/user/focus.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

// The game's random seed: the environment's QUENBAR_SEED when it holds a
// number (a scripted run then draws the same pictures every time), else the clock.
std::uint32_t GameRandomSeed() {
  if (const char* text = std::getenv("QUENBAR_SEED")) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(text, &end, 10);
    if (end != text && *end == '\0') return static_cast<std::uint32_t>(v);
  }
  return static_cast<std::uint32_t>(plat::time(nullptr));
}

using Ranges = std::initializer_list<std::pair<UINT, UINT>>;

bool InRanges(UINT id, Ranges ranges) {
  for (const auto& [lo, hi] : ranges)
    if (id >= lo && id <= hi) return true;
  return false;
}

const Ranges kMenuItems{{501, 501}, {505, 508}, {510, 510}, {514, 525}, {601, 605},
                        {607, 607}, {609, 620}, {700, 701}, {800, 807}};
const Ranges kControlButtons{{101, 101}, {131, 132}, {200, 204}, {250, 252}};
const Ranges kRoutedPlain{{105, 111}, {130, 130}, {253, 253}, {260, 271}, {312, 312}};
const Ranges kRoutedFlagged{{114, 125}, {150, 160}, {300, 305}, {450, 455}};
const Ranges kViewDrawn{{103, 104}, {126, 127}, {161, 166}, {205, 208}, {210, 210}, {306, 311}, {456, 456}};
const Ranges kControlCommands{{101, 101}, {105, 111}, {130, 132}, {200, 204}, {250, 253}, {260, 271}};
const Ranges kViewCommands{{114, 127}, {150, 166}, {205, 208}, {210, 210}, {300, 312}, {400, 405}, {450, 456}};

// Player requests for a load are asked again at most this often in a row.
constexpr int kMaxLoadRequests = 1000;
// How long "Game saved" stays in the status line, in the views' status steps
// (as long as their other notices).
constexpr int kSavedStatusTime = 26;

// The OK box during a game; the system box without one, which then also
// leaves the game loop.
void LoadFailure(CClntApp& app, const char* id) {
  if (GameExists()) {
    app.ShowTextBox(id);
    return;
  }
  MessageBox(g_mainWnd, app.Text(id).c_str(), "Quenbar", MB_OK);
  app.ReturnToFrontEnd();
}

void PlayClick() {
  if (g_sndPlay) g_sndPlay->PlayEffect("Click", 1.0f, 0.0f, 0);
}

void SuspendScreenFlush(int suspend) { AppViewNotices().SuspendScreenFlush(suspend); }

void CloseProgress() { ClientShell().CloseProgress(); }

void OpenProgress(const char* id, int animation) { ClientShell().OpenProgress(id, animation); }

// Returns true when the message was drawn by the view.
bool DrawItem(DRAWITEMSTRUCT* item) {
  if (!item || !g_currentView) return false;
  if (item->CtlType == ODT_MENU) {
    if (!InRanges(item->itemID, kMenuItems)) return false;
    g_currentView->DrawMenuItem(item);
    return true;
  }
  const UINT id = item->CtlID;
  if (InRanges(id, kControlButtons))
    g_currentView->DrawControlButton(item);
  else if (InRanges(id, kRoutedPlain))
    g_currentView->RouteDrawItem(item, 0);
  else if (InRanges(id, kRoutedFlagged))
    g_currentView->RouteDrawItem(item, 1);
  else if (InRanges(id, kViewDrawn))
    g_currentView->OnDrawItem(item);
  else
    return false;
  return true;
}

void OnEscape(CClntApp& app) {
  if (g_session && g_session->emailMode) {
    app.ShowTextBox("EMLENDTR");
  } else {
    AppViewNotices().RunOptions(g_ddraw, g_mainWnd, app.m_instance, g_currentView);
  }
}

// A save that could not be written is told over the view drawn whole again,
// so that nothing of the dialogs the save went through stands under the box;
// what the box covered is drawn again once it is closed.
void TellFailedSave(CClntApp& app, const SaveOutcome& outcome) {
  app.RedrawWholeView();
  if (outcome.end == SaveOutcome::End::CannotCreate)
    ClientShell().ShowTextBox("NOCRTFLE", outcome.file.name.c_str());
  else
    app.ShowTextBox("SAVEFAIL");
  app.RequestFullRedraw();
}

// The server's autosave of the game: told only when it fails, on either side
// (the server's failure comes as its request without an identifier).
void WriteAutosave(CClntApp& app, std::uint32_t identifier) {
  SaveOutcome outcome{SaveOutcome::End::Failed, {}};
  if (identifier != kAutosaveFailed) {
    OpenProgress("SAVEGAME", 0);
    app.SetBusy(true);
    if (AutoSave(identifier)) outcome.end = SaveOutcome::End::Written;
    CloseProgress();
    app.SetBusy(false);
  }
  if (!outcome) TellFailedSave(app, outcome);
}

// The autosave kept over a restart, written once its world has come: the
// server's half of that moment has been written already.
void WriteKeptAutosave(CClntApp& app, std::optional<std::uint32_t> kept) {
  if (kept && g_currentView) WriteAutosave(app, *kept);
}

// A restart's wait that ends with no home of the player's: whatever ended it
// (its views, the game-started message, the next turn's results), the world
// did not come, and views would show the empty game the restart left, its
// autosaves taking the place of the player's.
bool RestartWorldMissing(const CClntApp& app) { return app.AwaitsRestartViews() && !LocalChapterHasHome(); }

// The six views made again after a restart, the solar system's current.
void MakeRestartedViews(CClntApp& app) {
  const std::optional<std::uint32_t> kept = app.TakeKeptAutosave();
  app.ReleaseViews();
  app.CreateViews({VIEW_SOLAR, VIEW_DESIGN, VIEW_TERRAIN, VIEW_ASTEROID_SPACE, VIEW_TERRAIN_REPLAY, VIEW_SPACE_REPLAY});
  for (ViewType t : {VIEW_ASTEROID_SPACE, VIEW_SOLAR})
    if (IGameView* v = app.View(t)) v->MarkStale();
  g_currentView = app.View(VIEW_SOLAR);
  if (g_currentView && LocalChapterHasHome()) g_currentView->ResetGotoSlots();
  CloseProgress();
  app.ResumePlay();
  SuspendScreenFlush(0);
  if (g_currentView) g_currentView->OnGameStart();
  WriteKeptAutosave(app, kept);
}

// The messages after which the game, or its views, are no longer those that
// were there before.
bool ReplacesTheGame(UINT message) {
  return message == WM_APP_RESTART || message == WM_APP_RESTART_VIEWS || message == WM_APP_LOAD_REPLY ||
         message == WM_APP_LOAD_PERMISSION || message == WM_APP_LOAD_DATA;
}

LRESULT PrivateMessage(CClntApp& app, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_APP_SWITCH_VIEW:
      app.ShowView(static_cast<ViewType>(wParam), static_cast<std::int32_t>(lParam));
      return 0;
    case WM_APP_GO_TO:
      if (g_currentView) g_currentView->GoToView(wParam, lParam);
      return 0;
    case WM_APP_GAME_STARTED: {
      if (RestartWorldMissing(app)) {
        app.GiveUpRestart();
        return 0;
      }
      const std::optional<std::uint32_t> kept = app.TakeKeptAutosave();
      app.ResumePlay();
      if (!g_currentView && !app.View(VIEW_SOLAR)) {
        app.SeedGameRandom(GameRandomSeed());
        if (!app.LoadedGame()) {
          if (g_sndPlay) g_sndPlay->PlayTrack(static_cast<DWORD>(LocalGuild() + 1));
          app.CreateViews(
              {VIEW_DESIGN, VIEW_TERRAIN, VIEW_ASTEROID_SPACE, VIEW_TERRAIN_REPLAY, VIEW_SPACE_REPLAY, VIEW_SOLAR});
          g_currentView = app.View(VIEW_SOLAR);
        }
      }
      LockWindowUpdate(nullptr);
      if (app.LoadedGame())
        PostMessage(window, WM_APP_LOAD_REQUEST, 0, 0);
      else
        CloseProgress();
      ShowWindow(window, SW_SHOWNORMAL);
      if (g_currentView) SuspendScreenFlush(0);
      WriteKeptAutosave(app, kept);
      return 0;
    }
    case WM_APP_TURN_RESULTS:
      // A restart that its views never followed: over its world the game
      // goes on, and so does the player.
      if (!g_currentView && app.AwaitsRestartViews() && GameExists()) {
        if (RestartWorldMissing(app)) {
          app.GiveUpRestart();
          return 0;
        }
        MakeRestartedViews(app);
      }
      if (!g_currentView) return 0;
      // An e-mail game's turn results come from its input file, whose
      // processing has already moved the model on and told of the new turn:
      // doing it again here would count the turn twice, move the orbits twice
      // and name the player's saved state after a turn that never comes.
      if (!(g_session && g_session->emailMode)) {
        const std::int32_t marker = AppViewNotices().TurnMarker();
        TurnResultsArrived(marker == -1 || marker == static_cast<std::int32_t>(GameTurn()));
      }
      CloseProgress();
      app.CheckDiskSpace(window);
      app.ResumePlay();
      for (ViewType t : {VIEW_SOLAR, VIEW_ASTEROID_SPACE})
        if (IGameView* v = app.View(t)) v->MarkStale();
      if (g_currentView) {
        g_currentView->DrawGotoBar();
        g_currentView->ResetTurnLamps();
        g_currentView->RedrawEndTurnButton();
        g_currentView->RebuildDisplay();
      }
      DeliverMouseMove();
      app.SetBusy(false);
      if (app.TakeDeferredEscape()) {
        PostMessage(window, WM_KEYDOWN, VK_ESCAPE, 0);
      }
      return 0;
    case WM_APP_EMAIL_END_TURN: {
      std::array<std::uint8_t, 16> endTurn{};
      ByteWriter w(endTurn);
      w.WriteAt<std::uint16_t>(0, PKT_END_TURN);
      w.WriteAt<std::uint32_t>(8, GameTurn());
      w.WriteAt<std::uint16_t>(12, static_cast<std::uint16_t>(wParam));
      if (g_session) g_session->Send(kAllPlayersSlot, endTurn.data(), endTurn.size());
      if (!g_session || !g_session->emailMode) return 0;
      const std::string name =
          EmailTurnFileName(g_session->emailGameName, GameTurn(), LocalChapterId(kNoChapterChosen));
      if (!WriteEmailClientFile(name.c_str())) app.ShowTextBox("SAVEFAIL");
      g_currentView = nullptr;
      app.StopGameLoop();
      AppViewNotices().SetTurnMarker(-1);
      return 0;
    }
    case WM_APP_LOAD_REQUEST: {
      // A game that is over has no server left to load another: the request
      // would wait for an answer that never comes, the player locked out.
      if (GameExists() && g_session && g_session->GameEnded()) {
        app.ShowTextBox("LDDENIED");
        g_reloadAfterFailure = 0;
        app.ForgetGameFile();
        return 0;
      }
      app.PausePlay();
      SuspendScreenFlush(1);
      app.SetBusy(true);
      int result = 0;
      for (int i = 0; i < kMaxLoadRequests && result == 0; ++i) {
        DeleteKeptLoader();
        result = ClientShell().AnswerLoadRequest(app.Load().mode);
      }
      app.ResetLoadMode();
      if (result == 1) app.AwaitServerAnswer(ServerAnswer::LoadAnswer);
      if (result != 1) {
        app.ResumePlay();
        SuspendScreenFlush(0);
        app.SetBusy(false);
        CloseProgress();
        DeleteKeptLoader();
        // Without a game (the front end's choice could not be read) nothing
        // is left to play: the player goes back to the front end rather
        // than stay before a screen that never comes, as after a cancelled
        // retry.
        if (g_reloadAfterFailure || !GameExists()) app.StopGameLoop();
      }
      g_reloadAfterFailure = 0;
      app.ForgetGameFile();
      return 0;
    }
    case WM_APP_LOAD_REPLY:
      if (!app.TakeServerAnswer(ServerAnswer::LoadDone, lParam == kAnswerGivenUp).carriedOut) return 0;
      // When this side's own read of the save failed first, the player was
      // told and the game loop is being left: the server's refusal of the
      // same load is neither told again nor answered with the load screen,
      // which would come up over the front end.
      if (wParam == 0 && app.Running()) {
        if (GameExists())
          app.ShowTextBox("INVALIDF");
        else
          MessageBox(g_mainWnd, app.Text("INVALIDF").c_str(), "Quenbar", MB_OK);
        g_reloadAfterFailure = 1;
        PostMessage(window, WM_APP_LOAD_REQUEST, 0, 0);
      }
      app.ResumePlay();
      SuspendScreenFlush(0);
      CloseProgress();
      app.SetBusy(false);
      DeleteKeptLoader();
      return 0;
    case WM_APP_LOAD_PERMISSION:
      if (!app.TakeServerAnswer(ServerAnswer::LoadAnswer, lParam == kAnswerGivenUp).carriedOut || !KeptLoaderExists())
        return 0;
      if (wParam == 1) {
        AppViewNotices().CloseReplayFile();
        app.DeleteReplayFiles();
        if (LoadKeptGame()) {
          app.AwaitServerAnswer(ServerAnswer::LoadDone);
        } else {
          CloseProgress();
          const bool game = GameExists();
          LoadFailure(app, "INVALIDF");
          if (game) {
            PostMessage(window, WM_APP_LOAD_REQUEST, 0, 0);
            g_reloadAfterFailure = 1;
          }
        }
      } else {
        CloseProgress();
        app.SetBusy(false);
        app.ResumePlay();
        // The game goes on as it was: the refusal is told over the view, not
        // over the load screen and a "Loading Game..." that came to nothing.
        if (g_currentView) {
          SuspendScreenFlush(0);
          app.RedrawWholeView();
        }
        LoadFailure(app, "LDDENIED");
      }
      DeleteKeptLoader();
      return 0;
    case WM_APP_LOAD_DATA: {
      bool loaded = false;
      app.PausePlay();
      SuspendScreenFlush(1);
      app.SetBusy(true);
      OpenProgress("LOADGAME", 0);
      loaded = LoadSessionCopy();
      CloseProgress();
      app.SetBusy(false);
      // The server answers the player who asked for the load alone (10), so
      // the other players' loads end here, or their screens would stay held
      // under "Loading Game..." for the rest of the game.
      app.ResumePlay();
      SuspendScreenFlush(0);
      app.RequestFullRedraw();
      // A copy the others loaded that this player cannot: the game stays as
      // it was, and the player is told rather than left silently out of step.
      if (!loaded) app.ShowTextBox("INVALIDF");
      return 0;
    }
    case WM_APP_RESTART: {
      app.PausePlay();
      SuspendScreenFlush(1);
      if (g_currentView) g_currentView->OnTurnProcessing();
      CloseProgress();
      ClearNotifications();
      OpenProgress("RSRTGAME", 1);
      // Nothing of the game screen outlives the game it shows: the views go
      // with their panels, display objects and cached pictures before the
      // game data, while what they release is still there. The restart's
      // views (22) make them again over the new game, as at a game's start;
      // until then the world's packets fill a game no view reads.
      app.ReleaseViews();
      app.AwaitServerAnswer(ServerAnswer::RestartWorld);
      const std::uint16_t chapter = LocalChapterId(kNoChapterChosen);
      const std::string name = LocalChapterName();
      if (GameExists()) DestroyGame();
      CreateGame(chapter, app.Chapter().perGuild);
      SetLocalChapterName(name.c_str());
      ApplyGameSetup(*app.GameSettings(), app.GameConfig(), app.Chapter().id);
      return 0;
    }
    case WM_APP_SAVE: {
      // The player's own save of a game that is over: its server, gone, would
      // never write its half nor answer, leaving a save that cannot load and
      // the player held under "Saving Game...".
      if (lParam == 0 && GameExists() && g_session && g_session->GameEnded()) {
        app.ShowTextBox("SAVEFAIL");
        return 0;
      }
      // A restart whose world has not come yet: the game there is not one to
      // keep, and a save of it would take the place of one that is.
      if (app.AwaitsRestartViews()) {
        if (lParam == 0) app.ShowTextBox("SAVEFAIL");
        return 0;
      }
      // An e-mail game has no server to keep its half of a save, nor to
      // answer one: its turn is kept by End Turn, which the player is told.
      if (lParam == 0 && g_session && g_session->emailMode) {
        app.ShowTextBox("EMLENDTR");
        return 0;
      }
      // A server that answers none of the player's saves has them wait no
      // further; their files stay aside for answers that may yet come.
      if (lParam == 0 && app.OwedOwnSaves() >= ServerWait::kMostOwed) {
        app.ShowTextBox("SAVEFAIL");
        return 0;
      }
      app.PausePlay();
      SuspendScreenFlush(1);
      app.SetBusy(true);
      const SaveOutcome outcome = SaveRequestedGame(reinterpret_cast<const char*>(lParam));
      // Another player's save (lParam its packet) is answered to that player
      // alone (9): this copy is done once written, or every later screen of
      // this player would stay held under "Saving Game...".
      const bool requested = lParam != 0;
      if (outcome && !requested) {
        app.AwaitServerAnswer(ServerAnswer::SaveDone, outcome.file);
        return 0;
      }
      app.ResumePlay();
      SuspendScreenFlush(0);
      CloseProgress();
      app.SetBusy(false);
      if (outcome)
        app.RequestFullRedraw();
      else if (outcome.end != SaveOutcome::End::Cancelled)
        TellFailedSave(app, outcome);
      return 0;
    }
    case WM_APP_AUTOSAVE:
      // The last autosave stays rather than give way to a restart's empty
      // game, and the server's half of this one is matched once the world
      // has come; a game left has none to match.
      if (app.AwaitsRestartViews()) {
        app.KeepAutosave(static_cast<std::uint32_t>(lParam));
        return 0;
      }
      if (g_session && g_session->GameEnded()) return 0;
      WriteAutosave(app, static_cast<std::uint32_t>(lParam));
      return 0;
    case WM_APP_SAVE_FINISHED: {
      // The save the answer is for takes its place or goes, whether or not
      // the player still waits for it.
      const ServerWait::Taken taken = app.TakeServerAnswer(ServerAnswer::SaveDone, lParam == kAnswerGivenUp);
      const bool saved = SettleOwnSave(taken.ownSave, wParam != 0);
      if (!taken.carriedOut) return 0;
      app.ResumePlay();
      SuspendScreenFlush(0);
      CloseProgress();
      app.SetBusy(false);
      // The save dialog and the progress closed while the flush was held, so
      // what they covered was never drawn again.
      app.RequestFullRedraw();
      if (!saved)
        TellFailedSave(app, {SaveOutcome::End::Failed, {}});
      else if (g_currentView)
        g_currentView->SetStatusText(app.Text("GAMESAVD").c_str(), kSavedStatusTime);
      return 0;
    }
    case WM_APP_TURN_PROCESSING:
      // A restart that waits for its views still has its game's turn processed.
      if (!g_currentView && !(app.AwaitsRestartViews() && GameExists())) return 0;
      // The view sees the turn's notifications gone before it leaves the turn.
      ClearNotifications();
      if (g_currentView) g_currentView->OnTurnProcessing();
      app.PausePlay();
      OpenProgress("PROSCTRN", 2);
      app.DeleteReplayFiles();
      TurnProcessingBegins();
      app.SetBusy(true);
      return 0;
    case WM_APP_RESTART_VIEWS:
      if (RestartWorldMissing(app)) {
        app.GiveUpRestart();
        return 0;
      }
      MakeRestartedViews(app);
      return 0;
    case WM_APP_RESTART_REPLY:
      if (wParam == 0) {
        app.ShowTextBox("REDENIED");
        // Nothing else draws the view again: the closed box would stay on it.
        app.RequestFullRedraw();
      }
      return 0;
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
}

}  // namespace

LRESULT MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!g_app) return DefWindowProc(window, message, wParam, lParam);
  CClntApp& app = *g_app;
  const CClntApp::GameCall call(app);
  IGameView* view = g_currentView;
  const bool idle = !app.Busy();
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    case WM_PAINT:
      if (GetFocus() == window && view) view->Render(app.RenderArgument());
      break;
    case WM_ACTIVATEAPP:
      // The flush is not let go here: a save or a load may still hold it, and
      // the game loop lets go of a hold nobody has.
      if (wParam == 1 && view) {
        app.RequestFullRedraw();
        app.ResumePlay();
      } else {
        app.PausePlay();
      }
      break;
    case WM_SETCURSOR:
      if (view) {
        view->SetCursorSet(0xFFFF);
        return 1;
      }
      break;
    case WM_DRAWITEM:
      if (view) {
        if (!DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) break;
        return 1;
      }
      break;
    case WM_MEASUREITEM:
      if (auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)) {
        m->itemWidth = wParam == 0 ? 100 : 595;
        m->itemHeight = wParam == 0 ? 20 : 16;
      }
      return 1;
    case WM_VKEYTOITEM:
      if (idle && LOWORD(wParam) != VK_ESCAPE && view) view->OnKeyDown(wParam, lParam);
      return -1;
    case WM_KEYDOWN:
      if (!idle) break;
      if (wParam == VK_ESCAPE)
        OnEscape(app);
      else if (view)
        view->OnKeyDown(wParam, lParam);
      break;
    case WM_KEYUP:
      if (idle && view) view->OnKeyUp(wParam, lParam);
      break;
    case WM_COMMAND: {
      if (!view || !idle) break;
      const UINT id = LOWORD(wParam);
      if (InRanges(id, kControlCommands)) {
        PlayClick();
        return view->OnControlCommand(id);
      }
      if (InRanges(id, kViewCommands)) {
        PlayClick();
        return view->OnCommand(id);
      }
      if (InRanges(id, kMenuItems)) return view->OnMenuCommand(id);
      break;
    }
    case WM_TIMER:
      if (wParam != kSoundTimer) break;
      if (g_sndPlay) g_sndPlay->OnTimer(timeGetTime());
      app.EndOverdueServerWait();
      break;
    case WM_INITMENUPOPUP:
      if (view) view->OnMenuSelect(reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
      break;
    case WM_MOUSEMOVE: {
      const DWORD now = timeGetTime();
      app.NoteMouseMove(now);
      break;
    }
    case WM_LBUTTONDOWN:
      if (idle && view) view->OnLButtonDown(x, y, wParam);
      break;
    case WM_LBUTTONUP:
      if (idle && view) view->OnLButtonUp(x, y, wParam);
      break;
    case WM_LBUTTONDBLCLK:
      if (idle && view) view->OnLButtonDblClk(x, y);
      break;
    case WM_RBUTTONDOWN:
      if (idle && view) view->OnRButtonDown(x, y, wParam);
      break;
    case WM_RBUTTONUP:
      if (idle && view) view->OnRButtonUp(x, y, wParam);
      break;
    case WM_MBUTTONDOWN:
      if (idle && view) view->OnKeyDown(VK_TAB, 0);
      break;
    case WM_MOUSEWHEEL:
      if (idle && view) view->OnMouseWheel(wParam, lParam);
      break;
    case MM_MCINOTIFY:
      if (wParam == MCI_NOTIFY_SUCCESSFUL && !g_moviePlaying && g_sndPlay) g_sndPlay->ScheduleNextTrack();
      break;
    default:
      if ((message >= WM_APP_SWITCH_VIEW && message <= WM_APP_TURN_RESULTS) ||
          (message >= WM_APP_EMAIL_END_TURN && message <= WM_APP_RESTART_REPLY)) {
        if (ReplacesTheGame(message) && app.InsideAnotherCall()) {
          app.KeepForLater(message, wParam, lParam);
          return 0;
        }
        return PrivateMessage(app, window, message, wParam, lParam);
      }
      break;
  }
  return DefWindowProc(window, message, wParam, lParam);
}
