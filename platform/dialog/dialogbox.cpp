// Building dialogs from templates, the modal loop and EndDialog.

#include <memory>
#include <string>

#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/dialog_impl.h"
#include "platform/gdi/text.h"
#include "platform/resource/dialogtemplate.h"
#include "platform/user/focus.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

namespace plat {

using namespace dialog_impl;

namespace {

constexpr int kScreenDpi = 96;
constexpr int kPointsPerInch = 72;

HWND TopLevelOf(HWND w) {
  while (w && (GetWindowLong(w, GWL_STYLE) & static_cast<LONG>(WS_CHILD))) w = GetParent(w);
  return w;
}

// The template's font, or null (the system font) when it names none or none
// can be made.
HFONT MakeTemplateFont(const DialogTemplate& t) {
  if (!t.hasFont || t.faceName.empty()) return nullptr;
  const int height = -((t.pointSize * kScreenDpi + kPointsPerInch / 2) / kPointsPerInch);
  const int weight = (t.extended && t.weight) ? t.weight : FW_NORMAL;
  return CreateFont(height, 0, 0, 0, weight, t.extended && t.italic, 0, 0, t.charset, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, t.faceName.c_str());
}

std::string ClassNameOf(const DialogItem& item) {
  if (!item.windowClass.isOrdinal) return item.windowClass.text;
  const char* name = PredefinedDialogClassName(item.windowClass.ordinal);
  return name ? name : "";
}

// Creates the dialog window and its controls and sends WM_INITDIALOG. A modal
// dialog disables `owner` first. Null when anything fails (the owner is then
// enabled again).
HWND Build(HMODULE module, const ResName& name, HWND owner, DLGPROC proc, LPARAM param, bool modal) {
  RegisterControlClasses();
  std::optional<DialogTemplate> t = LoadDialogTemplate(module, name);
  if (!t) return nullptr;
  if (owner && !IsWindow(owner)) owner = nullptr;
  const bool child = (t->style & WS_CHILD) != 0;
  if (child && !owner) return nullptr;
  if (!child) owner = TopLevelOf(owner);

  auto data = std::make_unique<DialogData>();
  data->modal = modal;
  data->font = MakeTemplateFont(*t);
  data->ownsFont = data->font != nullptr;
  data->baseUnits = FontCharSize(data->font ? data->font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));

  DWORD style = t->style & ~WS_VISIBLE;
  DWORD exStyle = t->exStyle;
  if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  RECT r{ScaleX(*data, t->x), ScaleY(*data, t->y), 0, 0};
  r.right = r.left + ScaleX(*data, t->cx);
  r.bottom = r.top + ScaleY(*data, t->cy);
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const LONG width = r.right - r.left, height = r.bottom - r.top;
  if (style & DS_CENTER) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (child) GetClientRect(owner, &area);
    r.left = area.left + (area.right - area.left - width) / 2;
    r.top = area.top + (area.bottom - area.top - height) / 2;
  } else if (!child && owner && !(style & DS_ABSALIGN)) {
    POINT origin{0, 0};
    ClientToScreen(owner, &origin);
    r.left += origin.x;
    r.top += origin.y;
  }

  DialogData* d = data.get();
  HWND hwnd = CreateWindowEx(exStyle, kDialogClass, t->caption.c_str(), style, r.left, r.top, width, height, owner,
                             nullptr, module, data.release());
  if (!hwnd) {
    delete d;  // WM_CREATE never took it
    return nullptr;
  }
  SetWindowLongPtr(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (modal && owner && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    d->disabledOwner = owner;
  }
  if (d->font) SendMessage(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(d->font), FALSE);

  for (const DialogItem& item : t->items) {
    const std::string cls = ClassNameOf(item);
    const int x = ScaleX(*d, item.x), y = ScaleY(*d, item.y);
    const int w = ScaleX(*d, item.cx), h = ScaleY(*d, item.cy);
    void* creation = item.creationData.empty() ? nullptr : const_cast<BYTE*>(item.creationData.data());
    HWND control =
        CreateWindowEx(item.exStyle | WS_EX_NOPARENTNOTIFY, cls.c_str(), item.text.text.c_str(), item.style | WS_CHILD,
                       x, y, w, h, hwnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), module, creation);
    if (!IsWindow(hwnd)) return nullptr;
    if (!control) {
      if (t->style & DS_NOFAILCREATE) continue;
      DestroyWindow(hwnd);
      return nullptr;
    }
    if (d->font) SendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(d->font), FALSE);
    if (!d->hasDefId && (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
      d->defId = static_cast<WORD>(item.id);
      d->hasDefId = true;
    }
  }

  HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
  const LRESULT focusDefault = SendMessage(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(hwnd)) return nullptr;
  // Otherwise the first activation gives the focus to the first tab stop.
  if (focusDefault && GetActiveWindow() == hwnd) {
    if (HWND tab = GetNextDlgTabItem(hwnd, nullptr, FALSE)) FocusControl(hwnd, tab);
  }
  if ((t->style & WS_VISIBLE) && !d->ended) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
  }
  return hwnd;
}

}  // namespace

LRESULT DialogBoxParam(HMODULE module, const ResName& name, HWND owner, DLGPROC proc, LPARAM param) {
  HWND hwnd = Build(module, name, owner, proc, param, true);
  if (!hwnd) return -1;
  if (!DialogOf(hwnd)->ended && !IsWindowVisible(hwnd)) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
  }
  MSG msg;
  bool quit = false;
  while (IsWindow(hwnd) && !DialogOf(hwnd)->ended) {
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      quit = true;
      break;
    }
    if (!IsDialogMessage(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
  LRESULT result = 0;
  if (IsWindow(hwnd)) {
    DialogData* d = DialogOf(hwnd);
    if (d->ended) result = d->result;
    DestroyWindow(hwnd);
  }
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return result;
}

HWND CreateDialogParam(HMODULE module, const ResName& name, HWND owner, DLGPROC proc, LPARAM param) {
  return Build(module, name, owner, proc, param, false);
}

BOOL EndDialog(HWND dialog, LRESULT result) {
  DialogData* d = DialogOf(dialog);
  if (!d) return FALSE;
  d->ended = true;
  d->result = result;
  if (d->disabledOwner) {
    HWND owner = d->disabledOwner;
    d->disabledOwner = nullptr;
    if (IsWindow(owner)) EnableWindow(owner, TRUE);
  }
  if (IsChild(dialog, GetFocus())) SetFocus(dialog);
  // Hiding hands the activation back to the owner, enabled again above.
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  const DialogData* d = DialogOf(dialog);
  if (!d || !rect) return FALSE;
  *rect = RECT{ScaleX(*d, rect->left), ScaleY(*d, rect->top), ScaleX(*d, rect->right), ScaleY(*d, rect->bottom)};
  return TRUE;
}

}  // namespace plat
