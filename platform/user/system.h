#pragma once
// System metrics, system colours, system parameters and the beep. Called from the program's thread only.

#include <string>

#include "platform/core/types.h"

namespace plat {

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_MOUSEPRESENT = 19;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CMOUSEBUTTONS = 43;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_MOUSEWHEELPRESENT = 75;
// 0 for an index not listed.
int GetSystemMetrics(int index);

constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;  // tooltip text
constexpr int COLOR_INFOBK = 24;    // tooltip background
// The colour of a system element (classic defaults until changed); 0 for an
// index out of range.
COLORREF GetSysColor(int index);
// Changes `count` elements and sends WM_SYSCOLORCHANGE to every top-level
// window. FALSE (nothing changed) when an index is out of range.
BOOL SetSysColors(int count, const int* indexes, const COLORREF* colours);

constexpr UINT SPI_GETSCREENSAVEACTIVE = 0x0010;
constexpr UINT SPI_SETSCREENSAVEACTIVE = 0x0011;
constexpr UINT SPI_GETMENUANIMATION = 0x1002;
constexpr UINT SPI_SETMENUANIMATION = 0x1003;
constexpr UINT SPIF_UPDATEINIFILE = 0x0001;
constexpr UINT SPIF_SENDCHANGE = 0x0002;
// The screen-saver switch (SET: uiParam is the new state; the backend lets the
// host's screen saver run or holds it off) and the menu-animation switch (SET:
// pvParam is the new state cast to a pointer). GET writes a BOOL through
// pvParam. SPIF_SENDCHANGE sends WM_SETTINGCHANGE (wParam = action) to every
// top-level window. FALSE for other actions.
BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pvParam, UINT winIni);

// Message box and beep types.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_TYPEMASK = 0x0000000F;

// Registers the common control classes (tooltips, up-down). Defined by the
// dialog layer (platform/dialog/), which owns the controls.
void InitCommonControls();

// Hands the beep to the backend (the headless one counts them).
BOOL MessageBeep(UINT type);

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
// The system message box, drawn by this layer over the screen: the caption,
// the text word-wrapped, and OK (MB_OK) or OK and Cancel (MB_OKCANCEL). Modal:
// the owner is disabled while it runs; timers and posted messages keep flowing.
// Enter answers OK, Escape answers Cancel (OK when there is no Cancel).
// Returns IDOK or IDCANCEL; 0 for other types. A WM_QUIT ends it with the
// Escape answer and is posted again for the outer loop.
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
// The text a message box of MessageBox shows; empty for any other window
// (a script waits on it: the box's window text is its caption).
std::string MessageBoxText(HWND hwnd);

}  // namespace plat
