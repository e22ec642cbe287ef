#pragma once
// The push button of every screen and panel: an owner-drawn "button" window
// whose face is a sprite loaded from ".ima" images (normal, pressed,
// disabled), with an optional tooltip and, on Alt + right click during a game,
// the button's help topic. The owner draws the sprite on WM_DRAWITEM. Game
// thread only.

#include <memory>

#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/user/window.h"

// Shows help topic `helpId` at (x, y) of `parent`; set by the game while a
// game runs (null outside one, when Alt + right click shows nothing).
using ButtonHelpFn = void (*)(CDDraw* ddraw, plat::HWND parent, plat::HINSTANCE instance, plat::DWORD helpId, short x,
                              short y, int flag);
extern ButtonHelpFn g_buttonShowHelp;

extern CDDraw* g_buttonDDraw;
extern plat::HINSTANCE g_buttonInstance;
extern plat::WNDPROC g_buttonBaseProc;

constexpr int kImageNameSize = 255;

class CImageButton {
 public:
  CImageButton() = default;
  ~CImageButton() { Destroy(); }
  CImageButton(const CImageButton&) = delete;
  CImageButton& operator=(const CImageButton&) = delete;

  // Creates the window, its sprite (width x height, placed at x, y) and the
  // tooltip (when both a tooltip window and a text are given; the text is
  // cut to 254 characters). Images come with SetImages.
  void Create(CDDraw* ddraw, plat::HWND parent, plat::HINSTANCE instance, plat::HWND tooltip, const char* tooltipText,
              int controlId, int x, int y, int width, int height, plat::DWORD colourKey, plat::DWORD helpId,
              plat::HMODULE module);
  // Hides the window, removes the tool and deletes the sprite; nothing the
  // second time. The window goes with its parent.
  void Destroy();
  // Names longer than 254 characters are cut. A normal name is loaded at once.
  void SetImages(const char* normal, const char* pressed);
  void SetDisabledImage(const char* name);
  void SetDisabled(plat::DWORD flag);
  // Swaps the normal and pressed names and shows the new normal one.
  void Toggle();

  std::unique_ptr<CSprite> sprite;
  plat::HMODULE module = nullptr;
  plat::HWND window = nullptr;
  plat::HWND parent = nullptr;
  plat::HWND tooltipWindow = nullptr;
  plat::DWORD tooltipAdded = 0;
  plat::DWORD disabled = 0;
  plat::DWORD normalShown = 1;
  char normalImage[kImageNameSize] = {};
  char pressedImage[kImageNameSize] = {};
  char disabledImage[kImageNameSize] = {};
  int x = 0, y = 0, width = 0, height = 0;
  char tooltipText[kImageNameSize] = {};
  plat::DWORD helpId = 0;

 private:
  void Show(const char* name);
};

plat::LRESULT ImageButtonProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
