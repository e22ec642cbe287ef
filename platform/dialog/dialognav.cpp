// The tab-order and group walks and the dialog manager's keyboard handling.

#include <vector>

#include "platform/dialog/button.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/dialog_impl.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

namespace plat {

using namespace dialog_impl;

namespace {

DWORD StyleOf(HWND w) { return static_cast<DWORD>(GetWindowLong(w, GWL_STYLE)); }

bool Usable(HWND w) {
  const DWORD s = StyleOf(w);
  return (s & WS_VISIBLE) && !(s & WS_DISABLED);
}

std::vector<HWND> Controls(HWND dialog) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
  return out;
}

// The dialog's direct child that is `control` or holds it.
HWND DirectChild(HWND dialog, HWND control) {
  while (control && GetParent(control) != dialog) {
    if (!(StyleOf(control) & WS_CHILD)) return nullptr;
    control = GetParent(control);
  }
  return control;
}

// The next candidate after position `from` (or before it), wrapping round;
// -1 for `from` starts before the first (after the last).
HWND Walk(const std::vector<HWND>& list, int from, bool previous, bool (*qualifies)(HWND)) {
  const int n = static_cast<int>(list.size());
  if (n == 0) return nullptr;
  for (int step = 1; step <= n; ++step) {
    int i = 0;
    if (from < 0) {
      i = previous ? n - step : step - 1;
    } else {
      i = previous ? ((from - step) % n + n) % n : (from + step) % n;
    }
    if (qualifies(list[static_cast<std::size_t>(i)])) return list[static_cast<std::size_t>(i)];
  }
  return nullptr;
}

int IndexOf(const std::vector<HWND>& list, HWND w) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i] == w) return static_cast<int>(i);
  return -1;
}

bool IsTabStop(HWND w) { return Usable(w) && (StyleOf(w) & WS_TABSTOP); }

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

void SendCommand(HWND dialog, WORD id, HWND control) {
  SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void OnEnter(HWND dialog) {
  HWND focus = GetFocus();
  if (IsChild(dialog, focus) &&
      (SendMessage(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    SendCommand(dialog, static_cast<WORD>(GetDlgCtrlID(focus)), focus);
    return;
  }
  const LRESULT def = SendMessage(dialog, DM_GETDEFID, 0, 0);
  const WORD id = HIWORD(static_cast<std::uintptr_t>(def)) == DC_HASDEFID ? LOWORD(static_cast<std::uintptr_t>(def))
                                                                          : static_cast<WORD>(IDOK);
  HWND control = GetDlgItem(dialog, id);
  if (control && !IsWindowEnabled(control)) {
    MessageBeep(0);
    return;
  }
  SendCommand(dialog, id, control);
}

void OnArrow(HWND dialog, HWND focus, bool previous) {
  HWND next = GetNextDlgGroupItem(dialog, IsChild(dialog, focus) ? focus : nullptr, previous);
  if (!next || next == focus) return;
  SetFocus(next);
  if (GetFocus() == next && (SendMessage(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON))
    SendMessage(next, BM_CLICK, 0, 0);
}

}  // namespace

namespace dialog_impl {

std::vector<HWND> GroupOf(HWND control) {
  HWND parent = GetParent(control);
  if (!parent || !(StyleOf(control) & WS_CHILD)) return {control};
  const std::vector<HWND> list = Controls(parent);
  const int at = IndexOf(list, control);
  if (at < 0) return {control};
  int first = at;
  while (first > 0 && !(StyleOf(list[static_cast<std::size_t>(first)]) & WS_GROUP)) --first;
  int end = at + 1;
  while (end < static_cast<int>(list.size()) && !(StyleOf(list[static_cast<std::size_t>(end)]) & WS_GROUP)) ++end;
  return std::vector<HWND>(list.begin() + first, list.begin() + end);
}

}  // namespace dialog_impl

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  if (!IsWindow(dialog)) return nullptr;
  const std::vector<HWND> list = Controls(dialog);
  HWND start = control ? DirectChild(dialog, control) : nullptr;
  HWND next = Walk(list, IndexOf(list, start), previous != FALSE, IsTabStop);
  return next ? next : control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  if (!IsWindow(dialog)) return nullptr;
  HWND member = control ? DirectChild(dialog, control) : nullptr;
  if (!member) return Walk(Controls(dialog), -1, previous != FALSE, Usable);
  const std::vector<HWND> group = GroupOf(member);
  HWND next = Walk(group, IndexOf(group, member), previous != FALSE, Usable);
  return next ? next : control;
}

BOOL IsDialogMessage(HWND dialog, MSG* msg) {
  if (!msg || !IsWindow(dialog) || !msg->hwnd) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    const LRESULT code = SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    const bool wantsAll = (code & DLGC_WANTALLKEYS) != 0;
    switch (msg->wParam) {
      case VK_TAB: {
        if (wantsAll || (code & DLGC_WANTTAB)) break;
        HWND focus = GetFocus();
        HWND next = GetNextDlgTabItem(dialog, IsChild(dialog, focus) ? focus : nullptr, KeyDown(VK_SHIFT));
        if (next) FocusControl(dialog, next);
        return TRUE;
      }
      case VK_LEFT:
      case VK_UP:
      case VK_RIGHT:
      case VK_DOWN:
        if (wantsAll || (code & DLGC_WANTARROWS)) break;
        OnArrow(dialog, GetFocus(), msg->wParam == VK_LEFT || msg->wParam == VK_UP);
        return TRUE;
      case VK_RETURN:
        if (wantsAll) break;
        OnEnter(dialog);
        return TRUE;
      case VK_ESCAPE:
        if (wantsAll) break;
        SendCommand(dialog, IDCANCEL, GetDlgItem(dialog, IDCANCEL));
        return TRUE;
      default:
        break;
    }
  }
  TranslateMessage(msg);
  DispatchMessage(msg);
  return TRUE;
}

}  // namespace plat
