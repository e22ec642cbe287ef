#pragma once
// The window procedure of the library's own frame-buffer window: the cursor is
// hidden over it, Escape closes it, and its destruction posts the quit message
// (code 0) that ends the application's message loop. Everything else takes the
// default processing. Runs on the thread that created the frame buffer.

#include "platform/core/types.h"

plat::LRESULT SGDefaultWindowProc(plat::HWND hwnd, plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam);
