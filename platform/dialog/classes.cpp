#include "platform/dialog/classic.h"
#include "platform/dialog/commctrl.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/dialog_impl.h"
#include "platform/gdi/text.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"

namespace plat {
namespace dialog_impl {

namespace {

struct ClassEntry {
  const char* name;
  WNDPROC proc;
  UINT style;
  int extra;
};

}  // namespace

void RegisterControlClasses() {
  const ClassEntry entries[] = {
      {WC_BUTTON, ButtonProc, CS_DBLCLKS, kControlExtra},
      {WC_STATIC, StaticProc, 0, kControlExtra},
      {WC_EDIT, EditProc, CS_DBLCLKS, kControlExtra},
      {WC_LISTBOX, ListBoxProc, CS_DBLCLKS, kControlExtra},
      {WC_COMBOBOX, ComboBoxProc, CS_DBLCLKS, kControlExtra},
      {kComboListClass, ComboListProc, 0, kControlExtra},
      {WC_SCROLLBAR, ScrollBarProc, CS_DBLCLKS, kControlExtra},
      {UPDOWN_CLASS, UpDownProc, 0, kControlExtra},
      {TOOLTIPS_CLASS, TooltipProc, 0, kControlExtra},
      {kMenuClass, MenuPopupProc, 0, kControlExtra},
      {kDialogClass, DialogWndProc, CS_DBLCLKS, DLGWINDOWEXTRA},
  };
  for (const ClassEntry& entry : entries) {
    WNDCLASSEX probe;
    if (GetClassInfoEx(nullptr, entry.name, &probe)) continue;
    WNDCLASSEX wc;
    wc.style = entry.style;
    wc.lpfnWndProc = entry.proc;
    wc.cbWndExtra = entry.extra;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = entry.name;
    RegisterClassEx(&wc);
  }
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (!parent) return;
  SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
              reinterpret_cast<LPARAM>(control));
}

HBRUSH ControlColours(HWND control, HDC dc, UINT msg) {
  HWND parent = GetParent(control);
  if (parent) {
    const LRESULT r = SendMessage(parent, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    if (r) return reinterpret_cast<HBRUSH>(r);
  }
  const bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  const int background = field ? COLOR_WINDOW : COLOR_BTNFACE;
  SetTextColor(dc, GetSysColor(msg == WM_CTLCOLORBTN ? COLOR_BTNTEXT : COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(background));
  return SysBrush(background);
}

bool IsHollow(HBRUSH brush) { return brush == static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH)); }

void RefreshControl(HWND control, bool hollowBackground) {
  if (!IsWindow(control)) return;
  HWND parent = GetParent(control);
  if (hollowBackground && parent && (GetWindowLong(control, GWL_STYLE) & static_cast<LONG>(WS_CHILD))) {
    RECT r;
    GetWindowRect(control, &r);
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    MapWindowPoints(nullptr, parent, corners, 2);
    r = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    InvalidateRect(parent, &r, TRUE);
  }
  InvalidateRect(control, nullptr, TRUE);
}

bool HasFocus(HWND hwnd) { return hwnd && GetFocus() == hwnd; }

}  // namespace dialog_impl

void InitCommonControls() { dialog_impl::RegisterControlClasses(); }

}  // namespace plat
