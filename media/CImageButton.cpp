#include "media/CImageButton.h"

#include <cstdio>
#include <utility>

#include "platform/dialog/button.h"
#include "platform/dialog/commctrl.h"
#include "platform/dialog/tooltip.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

ButtonHelpFn g_buttonShowHelp = nullptr;
CDDraw* g_buttonDDraw = nullptr;
HINSTANCE g_buttonInstance = nullptr;
WNDPROC g_buttonBaseProc = nullptr;

namespace {

void CopyName(char (&to)[kImageNameSize], const char* from) { std::snprintf(to, kImageNameSize, "%s", from); }

TOOLINFO Tool(const CImageButton& b) {
  TOOLINFO ti;
  ti.cbSize = TTTOOLINFO_V1_SIZE;
  ti.hwnd = b.parent;
  ti.uId = reinterpret_cast<UINT_PTR>(b.window);
  return ti;
}

}  // namespace

void CImageButton::Create(CDDraw* ddraw, HWND parent_, HINSTANCE instance, HWND tooltip, const char* text,
                          int controlId, int x_, int y_, int width_, int height_, DWORD colourKey, DWORD helpId_,
                          HMODULE module_) {
  x = x_;
  y = y_;
  width = width_;
  height = height_;
  helpId = helpId_;
  module = module_;
  parent = parent_;
  normalImage[0] = pressedImage[0] = disabledImage[0] = 0;
  tooltipAdded = 0;
  disabled = 0;
  normalShown = 1;
  g_buttonDDraw = ddraw;
  g_buttonInstance = instance;
  InitCommonControls();
  window = CreateWindowEx(0, WC_BUTTON, "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, y, width, height, parent,
                          reinterpret_cast<HMENU>(static_cast<std::intptr_t>(controlId)), instance, nullptr);
  if (window) {
    SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    g_buttonBaseProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ImageButtonProc)));
  }
  sprite = std::make_unique<CSprite>(ddraw, nullptr, module, colourKey, static_cast<DWORD>(width),
                                     static_cast<DWORD>(height), x, y, 0);
  if (tooltip && text) {
    tooltipWindow = tooltip;
    CopyName(tooltipText, text);
    TOOLINFO ti = Tool(*this);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.rect = {x, y, x + width, y + height};
    ti.hinst = instance;
    ti.lpszText = tooltipText;
    SendMessage(tooltip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti));
    tooltipAdded = 1;
  }
}

void CImageButton::Destroy() {
  if (!sprite) return;
  ShowWindow(window, SW_HIDE);
  if (tooltipAdded) {
    TOOLINFO ti = Tool(*this);
    SendMessage(tooltipWindow, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&ti));
    tooltipAdded = 0;
  }
  sprite.reset();
}

void CImageButton::Show(const char* name) {
  if (!sprite) return;
  sprite->SetImageName(name);
  sprite->LoadImage(nullptr);
}

void CImageButton::SetImages(const char* normal, const char* pressed) {
  normalShown = 1;
  if (normal) {
    CopyName(normalImage, normal);
    Show(normalImage);
  }
  if (pressed) CopyName(pressedImage, pressed);
}

void CImageButton::SetDisabledImage(const char* name) { CopyName(disabledImage, name ? name : ""); }

void CImageButton::SetDisabled(DWORD flag) {
  if (flag == 1 && disabledImage[0] == 0) {
    EnableWindow(window, FALSE);
    disabled = 1;
    return;
  }
  Show(flag ? disabledImage : normalImage);
  EnableWindow(window, flag ? FALSE : TRUE);
  disabled = flag;
}

void CImageButton::Toggle() {
  std::swap(normalImage, pressedImage);
  normalShown = normalShown ? 0 : 1;
  Show(normalImage);
}

LRESULT ImageButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_RBUTTONDOWN && GetKeyState(VK_MENU) < 0) {
    auto* self = reinterpret_cast<CImageButton*>(GetWindowLongPtr(window, GWLP_USERDATA));
    if (g_buttonShowHelp && self)
      g_buttonShowHelp(g_buttonDDraw, self->parent, g_buttonInstance, self->helpId,
                       static_cast<short>(self->x + static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam)))),
                       static_cast<short>(self->y + static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)))),
                       0);
    return 1;
  }
  return CallWindowProc(g_buttonBaseProc, window, message, wParam, lParam);
}
