#pragma once
// A fresh user layer on the headless backend for each test, a window class
// whose procedure records what it receives, and helpers to make windows.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <vector>

#include "platform/backend/headless.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

namespace usertest {

struct Seen {
  plat::HWND hwnd;
  plat::UINT msg;
  plat::WPARAM wParam;
  plat::LPARAM lParam;
};

// A rectangle's edges in one value, so a comparison names all four.
using Edges = std::array<plat::LONG, 4>;
inline Edges EdgesOf(const plat::RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Everything the recording procedure received, and per-window reactions.
inline std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}
using Reaction = std::function<plat::LRESULT(plat::HWND, plat::UINT, plat::WPARAM, plat::LPARAM, bool* handled)>;
inline std::map<plat::HWND, Reaction>& Reactions() {
  static std::map<plat::HWND, Reaction> r;
  return r;
}

inline plat::LRESULT RecordingProc(plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) {
  Log().push_back({h, m, w, l});
  if (auto it = Reactions().find(h); it != Reactions().end()) {
    bool handled = false;
    plat::LRESULT r = it->second(h, m, w, l, &handled);
    if (handled) return r;
  }
  return plat::DefWindowProc(h, m, w, l);
}

// The messages of `kind` in `log` (the recording procedure's by default), in order.
inline std::vector<Seen> OnlyOf(const std::vector<Seen>& log, plat::UINT kind) {
  std::vector<Seen> out;
  for (const Seen& s : log)
    if (s.msg == kind) out.push_back(s);
  return out;
}
inline std::vector<Seen> Only(plat::UINT kind) { return OnlyOf(Log(), kind); }

inline std::vector<plat::UINT> MessagesOf(plat::HWND h, std::initializer_list<plat::UINT> kinds) {
  std::vector<plat::UINT> out;
  for (const Seen& s : Log())
    if (s.hwnd == h && std::find(kinds.begin(), kinds.end(), s.msg) != kinds.end()) out.push_back(s.msg);
  return out;
}

class UserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = &plat::StartHeadlessBackend();
    plat::ResetUserLayer();
    Log().clear();
    Reactions().clear();
    plat::WNDCLASSEX wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "Recorder";
    wc.cbWndExtra = 16;
    ASSERT_NE(plat::RegisterClassEx(&wc), 0);
    wc.style = plat::CS_DBLCLKS;
    wc.lpszClassName = "DoubleClicker";
    ASSERT_NE(plat::RegisterClassEx(&wc), 0);
  }
  void TearDown() override {
    plat::ResetUserLayer();
    plat::StopBackend();
  }

  plat::HWND Popup(int x, int y, int w, int h, plat::HWND owner = nullptr, const char* cls = "Recorder") {
    return plat::CreateWindowEx(0, cls, "popup", plat::WS_POPUP | plat::WS_VISIBLE, x, y, w, h, owner, nullptr, nullptr,
                                nullptr);
  }
  plat::HWND Child(plat::HWND parent, int id, int x, int y, int w, int h, plat::DWORD extraStyle = 0) {
    return plat::CreateWindowEx(0, "Recorder", "child", plat::WS_CHILD | plat::WS_VISIBLE | extraStyle, x, y, w, h,
                                parent, reinterpret_cast<plat::HMENU>(static_cast<std::intptr_t>(id)), nullptr,
                                nullptr);
  }

  plat::HeadlessBackend* backend_ = nullptr;
};

}  // namespace usertest
