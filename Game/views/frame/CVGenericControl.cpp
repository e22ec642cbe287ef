// The control panel: 27 image buttons with tooltips at the bottom right,
// their owner drawing and their commands 101..271.
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
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/net/NetSession.h"
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
    {130, "INFOVIEW", 698, 549, 31, 31, kBlackKey, 239, "infbtnup", "infbtndn"},
    {101, "DESNVIEW", 637, 566, 76, 24, kBlackKey, 240, "switvwup", "switvwdn"},
    {111, "END_TURN", 713, 566, 76, 24, kBlackKey, 241, "endtrnup", "endtrndn"},
    {131, "VGVINGMO", 713, 542, 76, 24, kBlackKey, 242, "optionsu", "optionsd"},
    {132, "VGVSTTNG", 637, 542, 76, 24, kBlackKey, 243, "vargopup", "vargopdn"},
    {260, "VOTESCRN", 714, 494, 26, 24, kNoColourKey, 244, "votbtnup", "votbtndn"},
    {261, "TRADSCRN", 688, 494, 25, 24, kNoColourKey, 245, "trdbtnup", "trdbtndn"},
    // The ship-list button's two pictures are the other way round.
    {262, "SHIPLIST", 637, 494, 25, 24, kNoColourKey, 246, "slbtndn", "slbtnup"},
    {263, "ASTDLIST", 663, 494, 26, 24, kNoColourKey, 247, "albtnup", "albtndn"},
    {264, "RSCHPROG", 765, 494, 26, 24, kNoColourKey, 248, "rchbtnup", "rchbtndn"},
    {265, "GAMESTAT", 739, 494, 25, 24, kNoColourKey, 249, "stsbtnup", "stsbtndn"},
    {266, "CHAT_LOG", 663, 518, 26, 24, kNoColourKey, 250, "chtbtnup", "chtbtndn"},
    {267, "GAMEHIST", 765, 518, 26, 24, kNoColourKey, 251, "hstbtnup", "hstbtndn"},
    {268, "COMBTLOG", 688, 518, 25, 24, kNoColourKey, 252, "crpbtnup", "crpbtndn"},
    {269, "GAMESTNG", 714, 518, 26, 24, kNoColourKey, 253, "prmbtnup", "prmbtndn"},
    {270, "PLYRNOTE", 739, 518, 25, 24, kNoColourKey, 254, "pntbtnup", "pntbtndn"},
    {271, "GAMEHELP", 637, 518, 25, 24, kNoColourKey, 255, "hlpbtnup", "hlpbtndn"},
    {200, "PLAY____", 637, 542, 76, 24, kBlackKey, 256, "plybtnup", "plybtndn"},
    {204, "PAUSE___", 637, 542, 76, 24, kBlackKey, 257, "psbtnup", "psbtndn"},
    {202, "ADVREPLY", 713, 542, 76, 24, kBlackKey, 258, "advbtnup", "advbtndn"},
    {203, "RSETTOBG", 637, 566, 76, 24, kBlackKey, 259, "rstbtnup", "rstbtndn"},
    {201, "EXITRPLY", 713, 566, 76, 24, kBlackKey, 260, "extbtnup", "extbtndn"},
    {162, "VSFVRUN_", 637, 542, 76, 24, kBlackKey, 256, "plybtnup", "plybtndn"},
    {163, "VSFVPAUS", 637, 542, 76, 24, kBlackKey, 257, "psbtnup", "psbtndn"},
    {164, "VSFVFRWD", 713, 542, 76, 24, kBlackKey, 258, "advbtnup", "advbtndn"},
    {166, "VSFVRSTR", 637, 566, 76, 24, kBlackKey, 259, "rstbtnup", "rstbtndn"},
    {165, "VSFVBACK", 713, 566, 76, 24, kBlackKey, 260, "revbtnup", "revbtndn"},
}};
constexpr int kShownAtStart = 5;
constexpr std::uint32_t kEndTurnId = 111;
constexpr std::uint32_t kInfoButtonId = 130;
// The notification panel's scroll buttons repeat while held, this often.
constexpr DWORD kScrollRepeatMs = 50;
// A held scroll button is let go after this long in any case.
constexpr DWORD kScrollRepeatLimitMs = 60000;


std::uint32_t GameTurn() { return g_gameData ? g_gameData->turn : 0; }

// A guild picture of the composition surface's set (nothing when absent).
CSprite* LoadGuildSprite(const char* name, DWORD colourKey) {
  const std::string path = LocalGuildArt(name);
  auto* sprite = new CSprite(g_viewDDraw, colourKey, LocalGuildArtModule(), path.c_str(), 0, 0, 0);
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
    if (g_notifyPanel) g_notifyPanel->ScrollOneLine(direction, 0);
    Sleep(kScrollRepeatMs);
  } while (!PeekMessage(&msg, button, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE) &&
           timeGetTime() - start < kScrollRepeatLimitMs);
}

void CVGeneric::ShowInButtonWindow(const CImageButton& button) {
  if (!button.window || !g_screenSprite || g_flushSuspended || !IsWindowVisible(button.window)) return;
  HDC screen = g_screenSprite->GetDC();
  if (!screen) return;
  if (HDC dc = GetDC(button.window)) {
    BitBlt(dc, 0, 0, button.width, button.height, screen, button.x, button.y, SRCCOPY);
    ReleaseDC(button.window, dc);
  }
  g_screenSprite->ReleaseDC(screen);
}

// The round info button sits over the corners of the four below it and
// stays on top of them.
void CVGeneric::KeepInfoButtonOver(const CImageButton& button) {
  CImageButton* info = ControlButton(kInfoButtonId);
  if (info && info != &button && info->sprite && IsWindowVisible(info->window) && Overlap(*info, button))
    DrawViewSprite(info->sprite.get(), info->x, info->y, nullptr);
}

CImageButton* CVGeneric::ControlButton(std::uint32_t id) {
  for (std::size_t i = 0; i < kButtons.size(); ++i)
    if (kButtons[i].id == id) return g_controlButtons[i];
  return nullptr;
}

void CVGeneric::CreateControlPanel() {
  g_tooltipWnd = CreateWindowEx(0, "tooltips_class32", "", 1, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, g_viewWnd, nullptr, g_viewInstance, nullptr);
  g_blackBrush = CreateSolidBrush(RGB(0, 0, 0));
  g_viewDDraw = g_ddraw;
  if (!g_viewDDraw) return;
  g_screenSprite = LoadGuildSprite("frame.ima", kNoColourKey);
  if (!g_screenSprite->surface) {
    // Without its picture the screen is a black one of its size, so the game still shows.
    delete g_screenSprite;
    const std::string path = LocalGuildArt("frame.ima");
    g_screenSprite =
        new CSprite(g_viewDDraw, path.c_str(), LocalGuildArtModule(), kNoColourKey, kScreenWidth, kScreenHeight, 0, 0, 0);
  }
  char empty[16];
  const int slot = LocalChapterId(0) & 7;
  std::snprintf(empty, sizeof empty, "chap%ds.ima", slot);
  g_emptyGotoSprite = LoadGuildSprite(empty, kNoColourKey);
  g_gotoTabSprite = LoadGuildSprite("gtgotosu.ima", kNoColourKey);
  g_gotoTabCurrentSprite = LoadGuildSprite("gtgotosd.ima", kNoColourKey);
  g_turnLampOnSprite = LoadGuildSprite("plrdneon.ima", kBlackKey);
  g_turnLampOffSprite = LoadGuildSprite("plrdneof.ima", kBlackKey);
  g_gotoSlots.fill(GotoEntry{});
  for (std::size_t i = 0; i < kButtons.size(); ++i) {
    const ButtonSpec& entry = kButtons[i];
    char tip[256] = {};
    if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(entry.tooltip, tip, sizeof tip);
    auto* button = new CImageButton();
    button->Create(g_viewDDraw, g_viewWnd, g_viewInstance, g_tooltipWnd, tip, static_cast<int>(entry.id), entry.x,
                   entry.y, entry.width, entry.height, entry.colourKey, entry.help, LocalGuildArtModule());
    const std::string normal = LocalGuildArt((std::string(entry.normal) + ".ima").c_str());
    const std::string pressed = LocalGuildArt((std::string(entry.pressed) + ".ima").c_str());
    button->SetImages(normal.c_str(), pressed.c_str());
    if (static_cast<int>(i) >= kShownAtStart) ShowWindow(button->window, SW_HIDE);
    g_controlButtons[i] = button;
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
  if (!button && g_notifyPanel) button = g_notifyPanel->GetControlButton(id);
  if (!button || !button->sprite) return;
  const char* face = button->disabled                        ? button->disabledImage
                     : (item->itemState & ODS_SELECTED) != 0 ? button->pressedImage
                                                             : button->normalImage;
  button->sprite->SetImageName(face);
  button->sprite->LoadImage(nullptr);
  DrawButtonFace(button);
  if ((id == 250 || id == 251) && (item->itemState & ODS_SELECTED) != 0)
    RepeatNotificationScroll(button->window, static_cast<int>(id - 250));
  SetFocus(g_viewWnd);
}

void CVGeneric::ShowEndTurnState() {
  CImageButton* button = ControlButton(kEndTurnId);
  if (!button) return;
  const bool given = g_endTurnSentTurn == GameTurn();
  // Toggling swaps the faces: the pressed one is shown while normalShown is 0.
  if ((button->normalShown == 0) != given) button->Toggle();
  DrawButtonFace(button);
}

void CVGeneric::RedrawEndTurnButton() { ShowEndTurnState(); }

void CVGeneric::ClearControlArea() {
  if (!g_screenSprite) return;
  if (HDC dc = g_screenSprite->GetDC()) {
    FillRect(dc, &kControlArea, g_blackBrush);
    g_screenSprite->ReleaseDC(dc);
  }
  AddDirtyRect(kControlArea);
}

void CVGeneric::HideControlButtons() {
  for (CImageButton* button : g_controlButtons)
    if (button) ShowWindow(button->window, SW_HIDE);
}

void CVGeneric::SelectInfoPanel(std::uint32_t id, int redraw) {
  if (!g_infoPanel) return;
  const std::uint8_t previous = g_infoPanel->SetType(static_cast<std::uint8_t>(id - 260));
  CImageButton* now = ControlButton(id);
  CImageButton* before = ControlButton(260u + previous);
  if (now) now->Toggle();
  if (before) before->Toggle();
  if (!redraw) return;
  if (now && now->sprite) DrawViewSprite(now->sprite.get(), now->x, now->y, nullptr);
  if (before && before->sprite) DrawViewSprite(before->sprite.get(), before->x, before->y, nullptr);
}

void CVGeneric::UpdateSwitchViewButton(std::uint32_t id) {
  ClosePopupMenu();
  CImageButton* button = ControlButton(kDesignButtonId);
  if (g_viewType != VIEW_DESIGN) {
    if (button) {
      const std::string up = LocalGuildArt("retrvwup.ima"), down = LocalGuildArt("retrvwdn.ima");
      button->SetImages(up.c_str(), down.c_str());
    }
    if (id == kDesignButtonId) GoToView(VIEW_DESIGN, -1);
  } else {
    if (button) {
      const std::string up = LocalGuildArt("switvwup.ima"), down = LocalGuildArt("switvwdn.ima");
      button->SetImages(up.c_str(), down.c_str());
    }
    GoToView(g_previousViewType, -1);
  }
  SetFocus(g_viewWnd);
}

LRESULT CVGeneric::OnControlCommand(std::uint32_t id) {
  // A menu left without a choice is let go by the next click, and a button's
  // click is one: held on, it would keep the 3D views from drawing what the
  // button changes (the info panel above all).
  ClosePopupMenu();
  switch (id) {
    case kDesignButtonId:
      if (!IsBusy()) UpdateSwitchViewButton(kDesignButtonId);
      return 1;
    case 105: case 106: case 107: case 108: case 109: case 110:
      if (g_notifyPanel) g_notifyPanel->ToggleCategoryFilter(id);
      FlushScreen();
      SetFocus(g_viewWnd);
      return 1;
    case kEndTurnId: {
      if (IsBusy()) return 1;
      // A game that is over has no server left to resolve a turn: the press
      // would seem dead and the player stuck, so they are told the way out.
      if (g_session && g_session->GameEnded()) {
        char text[256] = {};
        if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("GAMEDONE", text, sizeof text);
        COkDlg box(g_viewDDraw, g_viewWnd, g_viewInstance, text, static_cast<std::uint32_t>(LocalGuild()));
        return 1;
      }
      if (g_endTurnSentTurn == GameTurn()) return 1;
      if (CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr) local->SendAutoTransfers();
      g_endTurnSentTurn = GameTurn();
      PostMessage(g_viewWnd, WM_APP_EMAIL_END_TURN, LocalChapterId(0), 0);
      ShowEndTurnState();
      return 1;
    }
    case kInfoButtonId:
      if (IsBusy()) return 1;
      ToggleInfoPanel();
      if (CImageButton* info = ControlButton(kInfoButtonId)) {
        info->Toggle();
        DrawButtonFace(info);
      }
      if (g_replayMode) LeaveReplayMode(1);
      SetFocus(g_viewWnd);
      return 1;
    case 131:
      if (g_session && g_session->emailMode) {
        COkDlg box(g_viewDDraw, g_viewWnd, g_viewInstance,
                   "When playing an EMail game, press the END TURN button to save your turn and exit the game.",
                   static_cast<std::uint32_t>(LocalGuild()));
      } else {
        RunInGameOptions();
      }
      return 1;
    case 132:
      RunInGameSettings();
      return 1;
    case 200: {
      g_replayMode = 2;
      CImageButton* pause = ControlButton(204);
      if (pause) ShowWindow(pause->window, SW_SHOW);
      if (CImageButton* play = ControlButton(200)) ShowWindow(play->window, SW_HIDE);
      DrawButtonFace(pause);
      OnReplayPlay();
      return 1;
    }
    case 201:
      LeaveReplayMode(1);
      return 1;
    case 202:
      OnReplayAdvance();
      return 1;
    case 203:
      OnReplayRestart();
      return 1;
    case 204: {
      if (g_replayMode == 2 || g_replayMode == 3) g_replayMode = 1;
      CImageButton* play = ControlButton(200);
      if (play) ShowWindow(play->window, SW_SHOW);
      if (CImageButton* pause = ControlButton(204)) ShowWindow(pause->window, SW_HIDE);
      DrawButtonFace(play);
      OnReplayPause();
      return 1;
    }
    case 250:
    case 251:
      if (g_notifyPanel) g_notifyPanel->ScrollOneLine(static_cast<int>(id - 250), 0);
      SetFocus(g_viewWnd);
      return 1;
    case 252:
      if (g_notifyPanel) g_notifyPanel->FilterSelectedKind();
      SetFocus(g_viewWnd);
      return 1;
    case 253:
      if (g_notifyPanel) g_notifyPanel->ToggleShowAll();
      FlushScreen();
      SetFocus(g_viewWnd);
      return 1;
    default:
      if (id >= 260 && id <= 271) {
        SelectInfoPanel(id, 1);
        Invalidate();
        return 1;
      }
      return 0;
  }
}

void CVGeneric::ShowHelpTopic(std::uint32_t topic, int x, int y) {
  ::ShowHelpTopic(g_viewDDraw, g_viewWnd, g_viewInstance, topic, x, y);
}

void CVGeneric::RunInGameOptions() { RunInGameOptionsDialog(g_viewDDraw, g_viewWnd, g_viewInstance, this); }

void CVGeneric::RunInGameSettings() { RunInGameSettingsDialog(g_viewDDraw, g_viewWnd, g_viewInstance, this); }

void AskRestartGame() {
  char text[256] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("RESTARTG", text, sizeof text);
  std::uint32_t yes = 0;
  {
    CYesNoDlg box(g_viewDDraw, g_viewWnd, g_viewInstance, text, static_cast<std::uint32_t>(LocalGuild()), &yes);
  }
  if (!yes || !g_session) return;
  // A game that is over has no server left to make it again: the request
  // would go unanswered, the button seemingly dead.
  if (g_session->GameEnded()) {
    if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("REDENIED", text, sizeof text);
    COkDlg box(g_viewDDraw, g_viewWnd, g_viewInstance, text, static_cast<std::uint32_t>(LocalGuild()));
    return;
  }
  std::array<std::uint8_t, 12> packet{};
  ByteWriter w(packet);
  w.WriteAt<std::uint16_t>(0, PKT_RESTART_REQUEST);
  w.WriteAt<std::uint16_t>(8, LocalChapterId(0));
  g_session->Send(kAllPlayersSlot, packet.data(), packet.size());
}
