// The window procedure of the dialog class: the dialog procedure first, then
// the dialog manager's defaults.

#include "platform/dialog/button.h"
#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/dialog_impl.h"
#include "platform/dialog/edit.h"
#include "platform/gdi/shapes.h"
#include "platform/user/focus.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"

namespace plat::dialog_impl {

namespace {

// Messages whose result is the dialog procedure's return value itself.
bool ReturnsDirectly(UINT msg) {
  constexpr UINT kCompareItem = 0x0039, kQueryDragIcon = 0x0037;
  return msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_VKEYTOITEM ||
         msg == WM_CHARTOITEM || msg == kCompareItem || msg == kQueryDragIcon;
}

bool IsDescendant(HWND dialog, HWND w) { return w && IsChild(dialog, w); }

void EraseBackground(HWND hwnd, HDC dc) {
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      SendMessage(hwnd, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
  if (!brush) brush = SysBrush(COLOR_BTNFACE);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, brush);
}

void OnActivate(HWND hwnd, DialogData& d, bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (IsDescendant(hwnd, focus)) d.savedFocus = focus;
    return;
  }
  if (d.ended || IsIconic(hwnd)) return;
  HWND target = d.savedFocus;
  d.savedFocus = nullptr;
  if (IsDescendant(hwnd, target) && IsWindowEnabled(target)) {
    SetFocus(target);
  } else if (!IsDescendant(hwnd, GetFocus())) {
    SetFocus(hwnd);  // WM_SETFOCUS below passes it on to the first tab stop
  }
}

void OnSetFocus(HWND hwnd, const DialogData& d) {
  if (d.ended) return;
  if (HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE)) FocusControl(hwnd, first);
}

void SetDefaultId(HWND hwnd, DialogData& d, WORD id) {
  if (d.hasDefId && d.defId != id) {
    HWND old = GetDlgItem(hwnd, d.defId);
    if (old && (SendMessage(old, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
      SendMessage(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
  d.defId = id;
  d.hasDefId = true;
  HWND now = GetDlgItem(hwnd, id);
  if (now && (SendMessage(now, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
    SendMessage(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

LRESULT Default(HWND hwnd, DialogData& d, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_ACTIVATE:
      OnActivate(hwnd, d, LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_SETFOCUS:
      OnSetFocus(hwnd, d);
      return 0;
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(hwnd, IDCANCEL);
      if (!cancel || IsWindowEnabled(cancel))
        PostMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d.font);
    case DM_GETDEFID:
      return d.hasDefId ? MAKELONG(d.defId, DC_HASDEFID) : 0;
    case DM_SETDEFID:
      SetDefaultId(hwnd, d, static_cast<WORD>(wParam));
      return TRUE;
    case WM_NEXTDLGCTL: {
      HWND target = nullptr;
      if (lParam) {
        target = reinterpret_cast<HWND>(wParam);
      } else {
        HWND focus = GetFocus();
        target = GetNextDlgTabItem(hwnd, IsDescendant(hwnd, focus) ? focus : nullptr, wParam != 0);
      }
      if (IsDescendant(hwnd, target)) FocusControl(hwnd, target);
      return 0;
    }
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

void Release(HWND hwnd, DialogData* d) {
  if (d->disabledOwner && IsWindow(d->disabledOwner)) EnableWindow(d->disabledOwner, TRUE);
  if (d->ownsFont && d->font) DeleteObject(d->font);
  delete d;
  SetWindowLongPtr(hwnd, kDialogDataIndex, 0);
}

}  // namespace

DialogData* DialogOf(HWND hwnd) {
  if (!IsWindow(hwnd) || GetClassLongPtr(hwnd, GCLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&DialogWndProc))
    return nullptr;
  return reinterpret_cast<DialogData*>(GetWindowLongPtr(hwnd, kDialogDataIndex));
}

void FocusControl(HWND dialog, HWND control) {
  if (!IsChild(dialog, control)) return;
  SetFocus(control);
  if (GetFocus() == control && (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
    SendMessage(control, EM_SETSEL, 0, -1);
}

int ScaleX(const DialogData& d, int units) {
  const long long v = static_cast<long long>(units) * d.baseUnits.cx;
  return static_cast<int>(v >= 0 ? (v + 2) / 4 : -((-v + 2) / 4));
}

int ScaleY(const DialogData& d, int units) {
  const long long v = static_cast<long long>(units) * d.baseUnits.cy;
  return static_cast<int>(v >= 0 ? (v + 4) / 8 : -((-v + 4) / 8));
}

LRESULT DialogWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
    SetWindowLongPtr(hwnd, kDialogDataIndex, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return 0;
  }
  auto* d = reinterpret_cast<DialogData*>(GetWindowLongPtr(hwnd, kDialogDataIndex));
  if (!d) return DefWindowProc(hwnd, msg, wParam, lParam);

  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtr(hwnd, DWLP_DLGPROC));
  SetWindowLongPtr(hwnd, DWLP_MSGRESULT, 0);
  const LRESULT handled = proc ? proc(hwnd, msg, wParam, lParam) : 0;
  if (msg == WM_NCDESTROY) {
    Release(hwnd, d);
    return DefWindowProc(hwnd, msg, wParam, lParam);
  }
  if (!IsWindow(hwnd)) return handled;
  if (!handled) return Default(hwnd, *d, msg, wParam, lParam);
  // A procedure that takes WM_PAINT without painting would otherwise be handed
  // the same WM_PAINT again at once, and a modal loop would never wait.
  if (msg == WM_PAINT) ValidateRect(hwnd, nullptr);
  if (ReturnsDirectly(msg)) return handled;
  return GetWindowLongPtr(hwnd, DWLP_MSGRESULT);
}

}  // namespace plat::dialog_impl
