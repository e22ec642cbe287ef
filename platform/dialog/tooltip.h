#pragma once
// The tooltip control ("tooltips_class32"): a small always-on-top window that
// shows a tool's text after the mouse has rested on the tool.
//
// Created without WS_CHILD (as it usually is) the control is an always-on-top
// popup of its owner (the parent given at creation). A tool is a window (TTF_IDISHWND: the
// window uId) or a rectangle of the window hwnd (uId is then the tool's number).
// With TTF_SUBCLASS the control subclasses that window to watch its mouse;
// removing the tool (or destroying the control) takes the subclass off again
// when it is still the window's procedure, and makes it a plain relay
// otherwise. A tool without TTF_SUBCLASS is kept but never shown: nothing
// watches its mouse. The tools of a window that is destroyed go with it.
//
// The tip shows when the mouse has been still over a tool for the hover delay
// (the double-click time), just below the cursor, in the system tooltip colours
// (COLOR_INFOBK background, COLOR_INFOTEXT text and border) and the GUI font;
// it hides when the mouse leaves the tool, on a button press, and after ten
// times the delay. Without TTS_ALWAYSTIP tips show only while the tool's
// top-level window is the active one. Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/user/messages.h"

namespace plat {

constexpr DWORD TTS_ALWAYSTIP = 0x01;

constexpr UINT TTF_IDISHWND = 0x0001;
constexpr UINT TTF_SUBCLASS = 0x0010;

// TTM_ADDTOOL and TTM_DELTOOL take a TOOLINFO (lParam) and return TRUE when done.
constexpr UINT TTM_ADDTOOL = WM_USER + 4;
constexpr UINT TTM_DELTOOL = WM_USER + 5;  // by hwnd and uId
constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;

// The size the classic record had; cbSize must be at least this.
constexpr UINT TTTOOLINFO_V1_SIZE = 44;

struct TOOLINFO {
  UINT cbSize = sizeof(TOOLINFO);
  UINT uFlags = 0;
  HWND hwnd = nullptr;  // the window that owns the tool
  UINT_PTR uId = 0;     // the tool's window (TTF_IDISHWND) or number
  RECT rect;            // the tool's area in hwnd's client coordinates (not TTF_IDISHWND)
  HINSTANCE hinst = nullptr;
  // The text, copied when the tool is added; with hinst set, a value below
  // 0x10000 is the number of a string of hinst's string table.
  const char* lpszText = nullptr;
  LPARAM lParam = 0;
};

}  // namespace plat
