// The control panel: 27 image buttons with tooltips at the bottom right,
// their owner drawing and their commands (Game/model/GControlIds.h).
#include <array>
#include <cstdio>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/net/NetSession.h"
#include "Game/net/SessionPackets.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/LocalGuildArt.h"
#include "media/CDDraw.h"
#include "media/CImageButton.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/user/focus.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

// One control button as it is created: tooltip text ID, place and size,
// colour key (none: kNoColourKey), help topic and the picture stem
// ("<stem>up.ima"/"<stem>dn.ima" unless both names are given).
struct ButtonSpec {
  std::uint32_t id;
  const char* tooltip;
  int x, y, width, height;
  DWORD colourKey;
  DWORD help;
  const char* normal;
  const char* pressed;
};

constexpr DWORD kBlackKey = 0;
// In creation order; the first five show at start.
constexpr std::array<ButtonSpec, kControlButtonCount> kButtons{{
    {control::kInfo, "INFOVIEW", 698, 549, 31, 31, kBlackKey, 239, "infbtnup", "infbtndn"},
    {control::kSwitchView, "DESNVIEW", 637, 566, 76, 24, kBlackKey, 240, "switvwup", "switvwdn"},
    {control::kEndTurn, "END_TURN", 713, 566, 76, 24, kBlackKey, 241, "endtrnup", "endtrndn"},
    {control::kOptions, "VGVINGMO", 713, 542, 76, 24, kBlackKey, 242, "optionsu", "optionsd"},
    {control::kSettings, "VGVSTTNG", 637, 542, 76, 24, kBlackKey, 243, "vargopup", "vargopdn"},
    {control::kVotes, "VOTESCRN", 714, 494, 26, 24, kNoColourKey, 244, "votbtnup", "votbtndn"},
    {control::kTrade, "TRADSCRN", 688, 494, 25, 24, kNoColourKey, 245, "trdbtnup", "trdbtndn"},
    // The ship-list button's two pictures are the other way round.
    {control::kShipList, "SHIPLIST", 637, 494, 25, 24, kNoColourKey, 246, "slbtndn", "slbtnup"},
    {control::kAsteroidList, "ASTDLIST", 663, 494, 26, 24, kNoColourKey, 247, "albtnup", "albtndn"},
    {control::kResearch, "RSCHPROG", 765, 494, 26, 24, kNoColourKey, 248, "rchbtnup", "rchbtndn"},
    {control::kGameStatus, "GAMESTAT", 739, 494, 25, 24, kNoColourKey, 249, "stsbtnup", "stsbtndn"},
    {control::kChatLog, "CHAT_LOG", 663, 518, 26, 24, kNoColourKey, 250, "chtbtnup", "chtbtndn"},
    {control::kHistory, "GAMEHIST", 765, 518, 26, 24, kNoColourKey, 251, "hstbtnup", "hstbtndn"},
    {control::kCombatLog, "COMBTLOG", 688, 518, 25, 24, kNoColourKey, 252, "crpbtnup", "crpbtndn"},
    {control::kGameSettings, "GAMESTNG", 714, 518, 26, 24, kNoColourKey, 253, "prmbtnup", "prmbtndn"},
    {control::kPlayerNotes, "PLYRNOTE", 739, 518, 25, 24, kNoColourKey, 254, "pntbtnup", "pntbtndn"},
    {control::kHelp, "GAMEHELP", 637, 518, 25, 24, kNoColourKey, 255, "hlpbtnup", "hlpbtndn"},
    {control::kReplayPlay, "PLAY____", 637, 542, 76, 24, kBlackKey, 256, "plybtnup", "plybtndn"},
    {control::kReplayPause, "PAUSE___", 637, 542, 76, 24, kBlackKey, 257, "psbtnup", "psbtndn"},
    {control::kReplayAdvance, "ADVREPLY", 713, 542, 76, 24, kBlackKey, 258, "advbtnup", "advbtndn"},
    {control::kReplayRestart, "RSETTOBG", 637, 566, 76, 24, kBlackKey, 259, "rstbtnup", "rstbtndn"},
    {control::kReplayExit, "EXITRPLY", 713, 566, 76, 24, kBlackKey, 260, "extbtnup", "extbtndn"},
    {control::kFutureRun, "VSFVRUN_", 637, 542, 76, 24, kBlackKey, 256, "plybtnup", "plybtndn"},
    {control::kFuturePause, "VSFVPAUS", 637, 542, 76, 24, kBlackKey, 257, "psbtnup", "psbtndn"},
    {control::kFutureForward, "VSFVFRWD", 713, 542, 76, 24, kBlackKey, 258, "advbtnup", "advbtndn"},
    {control::kFutureRestart, "VSFVRSTR", 637, 566, 76, 24, kBlackKey, 259, "rstbtnup", "rstbtndn"},
    {control::kFutureBack, "VSFVBACK", 713, 566, 76, 24, kBlackKey, 260, "revbtnup", "revbtndn"},
}};
constexpr int kShownAtStart = 5;
// The notification panel's scroll buttons repeat while held, this often.
constexpr DWORD kScrollRepeatMs = 50;
// A held scroll button is let go after this long in any case.
constexpr DWORD kScrollRepeatLimitMs = 60000;

std::uint32_t GameTurn() { return g_gameData ? g_gameData->turn : 0; }

// A guild picture of the composition surface's set (nothing when absent).
CSprite* LoadGuildSprite(const char* name, DWORD colourKey) {
  const std::string path = LocalGuildArt(name);
  auto* sprite = new CSprite(SharedScreen().viewDDraw, colourKey, LocalGuildArtModule(), path.c_str(), 0, 0, 0);
  return sprite;
}

void PlayClick() {
  if (g_sndPlay) g_sndPlay->PlayEffect("Click", 1.0f, 0.0f, 0);
}

bool Overlap(const CImageButton& a, const CImageButton& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Draws a button's current face onto the composition surface and flushes.
void DrawButtonFace(CImageButton* button) {
  if (!button || !button->sprite) return;
  DrawViewSprite(button->sprite.get(), button->x, button->y, nullptr);
  CVGeneric::KeepInfoButtonOver(*button);
  FlushScreen();
}

}  // namespace

// The wait lets program time pass and the input arrive (Sleep and
// PeekMessage service the display's input), so a scripted run goes on, and a
// lost button-up cannot hold the game.
void RepeatNotificationScroll(HWND button, int direction) {
  const DWORD start = timeGetTime();
  MSG msg;
  do {
    PlayClick();
    if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->ScrollOneLine(direction, 0);
    Sleep(kScrollRepeatMs);
  } while (!PeekMessage(&msg, button, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE) &&
           timeGetTime() - start < kScrollRepeatLimitMs);
}

void CVGeneric::ShowInButtonWindow(const CImageButton& button) {
  if (!button.window || !SharedScreen().screenSprite || SharedScreen().flushSuspended ||
      !IsWindowVisible(button.window))
    return;
  HDC screen = SharedScreen().screenSprite->GetDC();
  if (!screen) return;
  if (HDC dc = GetDC(button.window)) {
    BitBlt(dc, 0, 0, button.width, button.height, screen, button.x, button.y, SRCCOPY);
    ReleaseDC(button.window, dc);
  }
  SharedScreen().screenSprite->ReleaseDC(screen);
}

// The round info button sits over the corners of the four below it and
// stays on top of them.
void CVGeneric::KeepInfoButtonOver(const CImageButton& button) {
  CImageButton* info = ControlButton(control::kInfo);
  if (info && info != &button && info->sprite && IsWindowVisible(info->window) && Overlap(*info, button))
    DrawViewSprite(info->sprite.get(), info->x, info->y, nullptr);
}

CImageButton* CVGeneric::ControlButton(std::uint32_t id) {
  for (std::size_t i = 0; i < kButtons.size(); ++i)
    if (kButtons[i].id == id) return SharedScreen().controlButtons[i];
  return nullptr;
}

void CVGeneric::CreateControlPanel() {
  SharedScreen().tooltipWnd =
      CreateWindowEx(0, "tooltips_class32", "", 1, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                     SharedScreen().viewWnd, nullptr, SharedScreen().viewInstance, nullptr);
  SharedScreen().blackBrush = CreateSolidBrush(RGB(0, 0, 0));
  SharedScreen().viewDDraw = g_ddraw;
  if (!SharedScreen().viewDDraw) return;
  SharedScreen().screenSprite = LoadGuildSprite("frame.ima", kNoColourKey);
  if (!SharedScreen().screenSprite->surface) {
    // Without its picture the screen is a black one of its size, so the game still shows.
    delete SharedScreen().screenSprite;
    const std::string path = LocalGuildArt("frame.ima");
    SharedScreen().screenSprite = new CSprite(SharedScreen().viewDDraw, path.c_str(), LocalGuildArtModule(),
                                              kNoColourKey, kScreenWidth, kScreenHeight, 0, 0, 0);
  }
  char empty[16];
  const int slot = LocalChapterId(0) & 7;
  std::snprintf(empty, sizeof empty, "chap%ds.ima", slot);
  SharedScreen().emptyGotoSprite = LoadGuildSprite(empty, kNoColourKey);
  SharedScreen().gotoTabSprite = LoadGuildSprite("gtgotosu.ima", kNoColourKey);
  SharedScreen().gotoTabCurrentSprite = LoadGuildSprite("gtgotosd.ima", kNoColourKey);
  SharedScreen().turnLampOnSprite = LoadGuildSprite("plrdneon.ima", kBlackKey);
  SharedScreen().turnLampOffSprite = LoadGuildSprite("plrdneof.ima", kBlackKey);
  SharedScreen().gotoSlots.fill(GotoEntry{});
  for (std::size_t i = 0; i < kButtons.size(); ++i) {
    const ButtonSpec& entry = kButtons[i];
    char tip[256] = {};
    if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(entry.tooltip, tip, sizeof tip);
    auto* button = new CImageButton();
    button->Create(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance,
                   SharedScreen().tooltipWnd, tip, static_cast<int>(entry.id), entry.x, entry.y, entry.width,
                   entry.height, entry.colourKey, entry.help, LocalGuildArtModule());
    const std::string normal = LocalGuildArt((std::string(entry.normal) + ".ima").c_str());
    const std::string pressed = LocalGuildArt((std::string(entry.pressed) + ".ima").c_str());
    button->SetImages(normal.c_str(), pressed.c_str());
    if (static_cast<int>(i) >= kShownAtStart) ShowWindow(button->window, SW_HIDE);
    SharedScreen().controlButtons[i] = button;
  }
}

void CVGeneric::RouteDrawItem(DRAWITEMSTRUCT* item, int viewSpecific) {
  if (!item || (item->itemAction & ODA_SELECT) != 0) return;
  if (viewSpecific)
    OnDrawItem(item);
  else
    DrawControlButton(item);
}

void CVGeneric::DrawControlButton(DRAWITEMSTRUCT* item) {
  if (!item) return;
  const std::uint32_t id = item->CtlID;
  CImageButton* button = ControlButton(id);
  if (!button && SharedScreen().notifyPanel) button = SharedScreen().notifyPanel->GetControlButton(id);
  if (!button || !button->sprite) return;
  const char* face = button->disabled                        ? button->disabledImage
                     : (item->itemState & ODS_SELECTED) != 0 ? button->pressedImage
                                                             : button->normalImage;
  button->sprite->SetImageName(face);
  button->sprite->LoadImage(nullptr);
  DrawButtonFace(button);
  if ((id == control::kScrollUp || id == control::kScrollDown) && (item->itemState & ODS_SELECTED) != 0)
    RepeatNotificationScroll(button->window, static_cast<int>(id - control::kScrollUp));
  SetFocus(SharedScreen().viewWnd);
}

void CVGeneric::ShowEndTurnState() {
  CImageButton* button = ControlButton(control::kEndTurn);
  if (!button) return;
  const bool given = SharedScreen().endTurnSentTurn == GameTurn();
  // Toggling swaps the faces: the pressed one is shown while normalShown is 0.
  if ((button->normalShown == 0) != given) button->Toggle();
  DrawButtonFace(button);
}

void CVGeneric::RedrawEndTurnButton() { ShowEndTurnState(); }

void CVGeneric::ClearControlArea() {
  if (!SharedScreen().screenSprite) return;
  if (HDC dc = SharedScreen().screenSprite->GetDC()) {
    FillRect(dc, &kControlArea, SharedScreen().blackBrush);
    SharedScreen().screenSprite->ReleaseDC(dc);
  }
  AddDirtyRect(kControlArea);
}

void CVGeneric::HideControlButtons() {
  for (CImageButton* button : SharedScreen().controlButtons)
    if (button) ShowWindow(button->window, SW_HIDE);
}

void CVGeneric::SelectInfoPanel(std::uint32_t id, int redraw) {
  if (!SharedScreen().infoPanel) return;
  const std::uint8_t previous = SharedScreen().infoPanel->SetType(static_cast<std::uint8_t>(id - control::kFirstPanel));
  CImageButton* now = ControlButton(id);
  CImageButton* before = ControlButton(control::kFirstPanel + previous);
  if (now) now->Toggle();
  if (before) before->Toggle();
  if (!redraw) return;
  if (now && now->sprite) DrawViewSprite(now->sprite.get(), now->x, now->y, nullptr);
  if (before && before->sprite) DrawViewSprite(before->sprite.get(), before->x, before->y, nullptr);
}

void CVGeneric::UpdateSwitchViewButton(std::uint32_t id) {
  ClosePopupMenu();
  CImageButton* button = ControlButton(control::kSwitchView);
  if (SharedScreen().viewType != VIEW_DESIGN) {
    if (button) {
      const std::string up = LocalGuildArt("retrvwup.ima"), down = LocalGuildArt("retrvwdn.ima");
      button->SetImages(up.c_str(), down.c_str());
    }
    if (id == control::kSwitchView) GoToView(VIEW_DESIGN, -1);
  } else {
    if (button) {
      const std::string up = LocalGuildArt("switvwup.ima"), down = LocalGuildArt("switvwdn.ima");
      button->SetImages(up.c_str(), down.c_str());
    }
    GoToView(SharedScreen().previousViewType, -1);
  }
  SetFocus(SharedScreen().viewWnd);
}

LRESULT CVGeneric::OnControlCommand(std::uint32_t id) {
  // A menu left without a choice is let go by the next click, and a button's
  // click is one: held on, it would keep the 3D views from drawing what the
  // button changes (the info panel above all).
  ClosePopupMenu();
  switch (id) {
    case control::kSwitchView:
      if (!IsBusy()) UpdateSwitchViewButton(control::kSwitchView);
      return 1;
    case control::kFilterUnits:
    case control::kFilterTrade:
    case control::kFilterDiplomacy:
    case control::kFilterGame:
    case control::kFilterChat:
    case control::kFilterVotes:
      if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->ToggleCategoryFilter(id);
      FlushScreen();
      SetFocus(SharedScreen().viewWnd);
      return 1;
    case control::kEndTurn: {
      if (IsBusy()) return 1;
      // A game that is over has no server left to resolve a turn: the press
      // would seem dead and the player stuck, so they are told the way out.
      if (g_session && g_session->GameEnded()) {
        char text[256] = {};
        if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("GAMEDONE", text, sizeof text);
        COkDlg box(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, text,
                   static_cast<std::uint32_t>(LocalGuild()));
        return 1;
      }
      if (SharedScreen().endTurnSentTurn == GameTurn()) return 1;
      if (CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr) local->SendAutoTransfers();
      SharedScreen().endTurnSentTurn = GameTurn();
      PostMessage(SharedScreen().viewWnd, WM_APP_EMAIL_END_TURN, LocalChapterId(0), 0);
      ShowEndTurnState();
      return 1;
    }
    case control::kInfo:
      if (IsBusy()) return 1;
      ToggleInfoPanel();
      if (CImageButton* info = ControlButton(control::kInfo)) {
        info->Toggle();
        DrawButtonFace(info);
      }
      if (SharedScreen().replayMode) LeaveReplayMode(1);
      SetFocus(SharedScreen().viewWnd);
      return 1;
    case control::kOptions:
      if (g_session && g_session->emailMode) {
        COkDlg box(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance,
                   "When playing an EMail game, press the END TURN button to save your turn and exit the game.",
                   static_cast<std::uint32_t>(LocalGuild()));
      } else {
        RunInGameOptions();
      }
      return 1;
    case control::kSettings:
      RunInGameSettings();
      return 1;
    case control::kReplayPlay: {
      SharedScreen().replayMode = 2;
      CImageButton* pause = ControlButton(control::kReplayPause);
      if (pause) ShowWindow(pause->window, SW_SHOW);
      if (CImageButton* play = ControlButton(control::kReplayPlay)) ShowWindow(play->window, SW_HIDE);
      DrawButtonFace(pause);
      OnReplayPlay();
      return 1;
    }
    case control::kReplayExit:
      LeaveReplayMode(1);
      return 1;
    case control::kReplayAdvance:
      OnReplayAdvance();
      return 1;
    case control::kReplayRestart:
      OnReplayRestart();
      return 1;
    case control::kReplayPause: {
      if (SharedScreen().replayMode == 2 || SharedScreen().replayMode == 3) SharedScreen().replayMode = 1;
      CImageButton* play = ControlButton(control::kReplayPlay);
      if (play) ShowWindow(play->window, SW_SHOW);
      if (CImageButton* pause = ControlButton(control::kReplayPause)) ShowWindow(pause->window, SW_HIDE);
      DrawButtonFace(play);
      OnReplayPause();
      return 1;
    }
    case control::kScrollUp:
    case control::kScrollDown:
      if (SharedScreen().notifyPanel)
        SharedScreen().notifyPanel->ScrollOneLine(static_cast<int>(id - control::kScrollUp), 0);
      SetFocus(SharedScreen().viewWnd);
      return 1;
    case control::kSingleKind:
      if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->FilterSelectedKind();
      SetFocus(SharedScreen().viewWnd);
      return 1;
    case control::kShowAll:
      if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->ToggleShowAll();
      FlushScreen();
      SetFocus(SharedScreen().viewWnd);
      return 1;
    default:
      if (id >= control::kFirstPanel && id <= control::kLastPanel) {
        SelectInfoPanel(id, 1);
        Invalidate();
        return 1;
      }
      return 0;
  }
}

void CVGeneric::ShowHelpTopic(std::uint32_t topic, int x, int y) {
  ::ShowHelpTopic(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, topic, x, y);
}

void CVGeneric::RunInGameOptions() {
  RunInGameOptionsDialog(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, this);
}

void CVGeneric::RunInGameSettings() {
  RunInGameSettingsDialog(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, this);
}

void AskRestartGame() {
  char text[256] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("RESTARTG", text, sizeof text);
  std::uint32_t yes = 0;
  {
    CYesNoDlg box(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, text,
                  static_cast<std::uint32_t>(LocalGuild()), &yes);
  }
  if (!yes || !g_session) return;
  // A game that is over has no server left to make it again: the request
  // would go unanswered, the button seemingly dead.
  if (g_session->GameEnded()) {
    if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("REDENIED", text, sizeof text);
    COkDlg box(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, text,
               static_cast<std::uint32_t>(LocalGuild()));
    return;
  }
  auto packet = QuestionPacket{true, static_cast<std::uint16_t>(LocalChapterId(0))}.BuildRestart();
  g_session->Send(kAllPlayersSlot, packet.bytes.data(), packet.bytes.size());
}
