#include "platform/user/system.h"

#include <array>

#include "platform/display/audio.h"
#include "platform/display/backend.h"
#include "platform/display/screen.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "platform/user/window_impl.h"

namespace plat {
namespace user_impl {

namespace {

// The classic default scheme.
constexpr std::array<COLORREF, 25> kDefaultColours = {
    RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(223, 223, 223), RGB(0, 0, 0),       RGB(255, 255, 225),
};

struct SystemState {
  std::array<COLORREF, 25> colours = kDefaultColours;
  bool screenSaverActive = true;
  bool menuAnimation = true;
};

SystemState& Sys() {
  static SystemState s;
  return s;
}

void Broadcast(UINT msg, WPARAM wParam) {
  std::vector<HWND> tops = State().topLevel;
  for (HWND t : tops)
    if (Live(t)) SendMessage(t, msg, wParam, 0);
}

}  // namespace

void ResetSystem() { Sys() = SystemState{}; }

}  // namespace user_impl

using namespace user_impl;

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return Screen::kWidth;
    case SM_CYSCREEN:
      return Screen::kHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return 16;
    case SM_CYCAPTION:
      return 18;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return 4;
    case SM_CMOUSEBUTTONS:
      return 3;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
      return 1;
    default:
      return 0;
  }
}

COLORREF GetSysColor(int index) {
  if (index < 0 || index >= static_cast<int>(Sys().colours.size())) return 0;
  return Sys().colours[static_cast<std::size_t>(index)];
}

BOOL SetSysColors(int count, const int* indexes, const COLORREF* colours) {
  if (count < 0 || (count > 0 && (!indexes || !colours))) return FALSE;
  for (int i = 0; i < count; ++i)
    if (indexes[i] < 0 || indexes[i] >= static_cast<int>(Sys().colours.size())) return FALSE;
  for (int i = 0; i < count; ++i) Sys().colours[static_cast<std::size_t>(indexes[i])] = colours[i];
  Broadcast(WM_SYSCOLORCHANGE, 0);
  return TRUE;
}

BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pvParam, UINT winIni) {
  SystemState& s = Sys();
  switch (action) {
    case SPI_GETSCREENSAVEACTIVE:
    case SPI_GETMENUANIMATION:
      if (!pvParam) return FALSE;
      *static_cast<BOOL*>(pvParam) = (action == SPI_GETSCREENSAVEACTIVE ? s.screenSaverActive : s.menuAnimation);
      return TRUE;
    case SPI_SETSCREENSAVEACTIVE:
      s.screenSaverActive = uiParam != 0;
      if (Backend* b = CurrentBackend()) b->SetScreenSaverAllowed(s.screenSaverActive);
      break;
    case SPI_SETMENUANIMATION:
      s.menuAnimation = pvParam != nullptr;
      break;
    default:
      return FALSE;
  }
  if (winIni & SPIF_SENDCHANGE) Broadcast(WM_SETTINGCHANGE, action);
  return TRUE;
}

BOOL MessageBeep(UINT type) {
  if (Backend* b = CurrentBackend()) b->Beep(type);
  AudioBeep(type);
  return TRUE;
}

}  // namespace plat
