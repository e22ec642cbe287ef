#pragma once
// A window of a class named for the caller, registered on first use: the
// window layer refuses a second registration of a name, so one name stands for
// one procedure. Not for use from several threads.

#include "platform/user/window.h"

namespace quentest {

inline plat::HWND PlainWindow(const char* className, int x, int y, int w, int h,
                              plat::DWORD style = plat::WS_POPUP | plat::WS_VISIBLE, plat::HWND parent = nullptr,
                              plat::WNDPROC proc = plat::DefWindowProc) {
  plat::WNDCLASSEX wc;
  wc.lpszClassName = className;
  wc.lpfnWndProc = proc;
  plat::RegisterClassEx(&wc);
  return plat::CreateWindowEx(0, className, "", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
}

}  // namespace quentest
