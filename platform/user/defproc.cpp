#include <algorithm>
#include <cstring>

#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/messages.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "platform/user/window_impl.h"

namespace plat {

using namespace user_impl;

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND__* w = Live(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !w->minimized) SetFocus(hwnd);
      return 0;
    case WM_SETCURSOR:
      // The parent is asked first and may take over by answering TRUE. Its
      // default answer sets its own class cursor but says FALSE, so the window
      // under the mouse (wParam) still sets its class cursor over it: the
      // deepest window with a class cursor decides.
      if (w->parent && SendMessage(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (!Live(hwnd)) return FALSE;
      if (static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lParam))) == HTCLIENT && w->cls->cursor) {
        SetCursor(w->cls->cursor);
        return reinterpret_cast<HWND>(wParam) == hwnd;
      }
      return FALSE;
    case WM_MOUSEWHEEL:
      return w->parent ? SendMessage(w->parent, msg, wParam, lParam) : 0;
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      return TRUE;
    case WM_GETTEXT: {
      char* out = reinterpret_cast<char*>(lParam);
      if (!out || wParam == 0) return 0;
      std::size_t n = std::min<std::size_t>(w->text.size(), wParam - 1);
      std::memcpy(out, w->text.data(), n);
      out[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    default:
      return 0;
  }
}

}  // namespace plat
