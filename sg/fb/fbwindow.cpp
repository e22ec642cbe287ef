// The library's own window, made when the caller gives none.

#include "sg/fb/fbwindow.h"
#include "platform/resource/module.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "sg/fb/fb_impl.h"

using namespace plat;

namespace {

constexpr UINT kTitleString = 20;
constexpr UINT kClassString = 30;
constexpr int kStringSize = 20;

}  // namespace

LRESULT SGDefaultWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return TRUE;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        PostMessage(hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    default:
      break;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

SGError ISGFrameBufferCreateWindow(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  char title[kStringSize];
  char className[kStringSize];
  LoadString(opts->fboInstance, kTitleString, title, kStringSize);
  LoadString(opts->fboInstance, kClassString, className, kStringSize);
  WNDCLASSEX wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = SGDefaultWindowProc;
  wc.hInstance = opts->fboInstance;
  wc.lpszClassName = className;
  RegisterClassEx(&wc);  // a class registered by an earlier frame buffer serves as well
  HWND hwnd = CreateWindowEx(0, className, title, WS_POPUP | WS_SYSMENU, 0, 0, static_cast<int>(fb->fbWidth),
                             static_cast<int>(fb->fbHeight), nullptr, nullptr, opts->fboInstance, nullptr);
  if (hwnd == nullptr) {
    return SG_ERROR_FB_WINDOW;
  }
  fb->fbDDI->ddiWindow = hwnd;
  ShowWindow(hwnd, opts->fboShowCmd);
  UpdateWindow(hwnd);
  SetFocus(hwnd);
  if (opts->fboCodes & SG_FB_OPT_WINDOWED) {
    const DWORD style =
        (static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE)) & ~WS_POPUP) | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX;
    SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG>(style));
    RECT outer{0, 0, static_cast<LONG>(fb->fbWidth), static_cast<LONG>(fb->fbHeight)};
    AdjustWindowRectEx(&outer, style, FALSE, static_cast<DWORD>(GetWindowLong(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOACTIVATE);
  }
  return SG_ERROR_NONE;
}
