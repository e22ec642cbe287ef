#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/display/screen.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"
#include "platform/user/window_impl.h"

namespace plat {

namespace {

constexpr char kBoxClass[] = "QuenSystemMessageBox";
constexpr int kFontHeight = 13;
constexpr int kMargin = 14;
constexpr int kCaptionHeight = 20;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 8;
constexpr int kMinWidth = 200;
constexpr int kMaxTextWidth = 460;

struct Box {
  std::string text;
  std::string caption;
  bool okCancel = false;
  int result = 0;
  int pressed = 0;  // button held down
  HWND hwnd = nullptr;
  HFONT font = nullptr;
  RECT rect;                // on the screen
  RECT ok, cancel;          // client coordinates
  RECT textRect;            // client coordinates, the text wrapped inside
  std::vector<BYTE> saved;  // the screen under the box

  int EscapeAnswer() const { return okCancel ? IDCANCEL : IDOK; }
};

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// A raised (or, pressed, sunken) edge one pixel wide.
void Bevel(HDC dc, const RECT& r, bool sunken) {
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF tl = sunken ? dark : light, br = sunken ? light : dark;
  Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, tl);
  Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, tl);
  Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, br);
  Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, br);
}

void DrawButton(HDC dc, const Box& b, const RECT& r, const char* label, int id) {
  Fill(dc, RECT{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}, RGB(0, 0, 0));
  Fill(dc, r, GetSysColor(COLOR_BTNFACE));
  const bool down = b.pressed == id;
  Bevel(dc, r, down);
  const int shift = down ? 1 : 0;
  RECT face{r.left + shift, r.top + shift, r.right + shift, r.bottom + shift};
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawText(dc, label, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void Draw(const Box& b) {
  HDC dc = GetDC(b.hwnd);
  if (!dc) return;
  HGDIOBJ oldFont = SelectObject(dc, b.font);
  SetBkMode(dc, TRANSPARENT);
  const RECT all{0, 0, b.rect.right - b.rect.left, b.rect.bottom - b.rect.top};
  Fill(dc, all, RGB(0, 0, 0));
  const RECT inner{1, 1, all.right - 1, all.bottom - 1};
  Fill(dc, inner, GetSysColor(COLOR_BTNFACE));
  Bevel(dc, inner, false);
  RECT caption{inner.left + 2, inner.top + 2, inner.right - 2, inner.top + 2 + kCaptionHeight};
  Fill(dc, caption, GetSysColor(COLOR_ACTIVECAPTION));
  SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
  RECT captionText{caption.left + 4, caption.top, caption.right, caption.bottom};
  DrawText(dc, b.caption.c_str(), -1, &captionText, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  RECT text = b.textRect;
  DrawText(dc, b.text.c_str(), -1, &text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  DrawButton(dc, b, b.ok, "OK", IDOK);
  if (b.okCancel) DrawButton(dc, b, b.cancel, "Cancel", IDCANCEL);
  SelectObject(dc, oldFont);
  ReleaseDC(b.hwnd, dc);
}

int HitButton(const Box& b, LPARAM lParam) {
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (user_impl::Contains(b.ok, p)) return IDOK;
  if (b.okCancel && user_impl::Contains(b.cancel, p)) return IDCANCEL;
  return 0;
}

LRESULT BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Box* b = reinterpret_cast<Box*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
  if (msg == WM_CREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
    SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return 0;
  }
  if (!b) return DefWindowProc(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_PAINT:
      Draw(*b);
      ValidateRect(hwnd, nullptr);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      b->pressed = HitButton(*b, lParam);
      if (b->pressed) SetCapture(hwnd);
      Draw(*b);
      return 0;
    case WM_LBUTTONUP: {
      const int hit = HitButton(*b, lParam);
      if (GetCapture() == hwnd) ReleaseCapture();
      if (hit && hit == b->pressed) b->result = hit;
      b->pressed = 0;
      Draw(*b);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) b->result = IDOK;
      if (wParam == VK_ESCAPE) b->result = b->EscapeAnswer();
      return 0;
    case WM_CLOSE:
      b->result = b->EscapeAnswer();
      return 0;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

void Layout(Box& b) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, b.font);
  RECT text{0, 0, kMaxTextWidth, 0};
  DrawText(dc, b.text.c_str(), -1, &text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  SIZE captionSize{};
  GetTextExtentPoint32(dc, b.caption.c_str(), static_cast<int>(b.caption.size()), &captionSize);
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
  const int textWidth = std::max<int>(captionSize.cx + 8, text.right);
  const int buttons = b.okCancel ? 2 * kButtonWidth + kButtonGap : kButtonWidth;
  const int width = std::max({kMinWidth, textWidth + 2 * kMargin, buttons + 2 * kMargin});
  const int height = 3 + kCaptionHeight + kMargin + text.bottom + kMargin + kButtonHeight + kMargin;
  const int x = (Screen::kWidth - width) / 2, y = (Screen::kHeight - height) / 2;
  b.rect = RECT{x, y, x + width, y + height};
  const int top = 3 + kCaptionHeight + kMargin;
  b.textRect = RECT{kMargin, top, kMargin + kMaxTextWidth, top + text.bottom};
  const int bx = (width - buttons) / 2, by = height - kMargin - kButtonHeight;
  b.ok = RECT{bx, by, bx + kButtonWidth, by + kButtonHeight};
  b.cancel = RECT{bx + kButtonWidth + kButtonGap, by, bx + 2 * kButtonWidth + kButtonGap, by + kButtonHeight};
}

void SaveUnder(Box& b) {
  const Screen& s = GetScreen();
  const RECT& r = b.rect;
  const std::size_t rowBytes = static_cast<std::size_t>(r.right - r.left) * 2;
  b.saved.resize(rowBytes * static_cast<std::size_t>(r.bottom - r.top));
  for (LONG y = r.top; y < r.bottom; ++y)
    std::memcpy(b.saved.data() + static_cast<std::size_t>(y - r.top) * rowBytes,
                s.pixels.data() + static_cast<std::size_t>(y) * Screen::kPitch + static_cast<std::size_t>(r.left) * 2,
                rowBytes);
}

void RestoreUnder(const Box& b) {
  Screen& s = GetScreen();
  const RECT& r = b.rect;
  const std::size_t rowBytes = static_cast<std::size_t>(r.right - r.left) * 2;
  if (b.saved.size() != rowBytes * static_cast<std::size_t>(r.bottom - r.top)) return;
  for (LONG y = r.top; y < r.bottom; ++y)
    std::memcpy(s.pixels.data() + static_cast<std::size_t>(y) * Screen::kPitch + static_cast<std::size_t>(r.left) * 2,
                b.saved.data() + static_cast<std::size_t>(y - r.top) * rowBytes, rowBytes);
}

}  // namespace

std::string MessageBoxText(HWND hwnd) {
  if (!IsWindow(hwnd) || GetWindowLongPtr(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&BoxProc)) return {};
  const Box* b = reinterpret_cast<const Box*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
  return b ? b->text : std::string();
}

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  const UINT kind = type & MB_TYPEMASK;
  if (kind != MB_OK && kind != MB_OKCANCEL) return 0;
  WNDCLASSEX probe;
  if (!GetClassInfoEx(nullptr, kBoxClass, &probe)) {
    WNDCLASSEX wc;
    wc.lpfnWndProc = BoxProc;
    wc.lpszClassName = kBoxClass;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    if (!RegisterClassEx(&wc)) return 0;
  }
  Box box;
  box.text = text ? text : "";
  box.caption = caption ? caption : "Error";
  box.okCancel = kind == MB_OKCANCEL;
  box.font = CreateFont(kFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, "MS Sans Serif");
  Layout(box);

  HWND ownerTop = (owner && IsWindow(owner)) ? user_impl::TopLevelOf(owner) : nullptr;
  const bool disableOwner = ownerTop && IsWindowEnabled(ownerTop);
  if (disableOwner) EnableWindow(ownerTop, FALSE);
  SaveUnder(box);
  HWND hwnd =
      CreateWindowEx(WS_EX_TOPMOST, kBoxClass, box.caption.c_str(), WS_POPUP | WS_VISIBLE, box.rect.left, box.rect.top,
                     box.rect.right - box.rect.left, box.rect.bottom - box.rect.top, ownerTop, nullptr, nullptr, &box);
  box.hwnd = hwnd;
  bool quit = false;
  int quitCode = 0;
  if (hwnd) {
    Draw(box);
    MSG msg;
    while (box.result == 0 && IsWindow(hwnd)) {
      if (!GetMessage(&msg, nullptr, 0, 0)) {
        quit = true;
        quitCode = static_cast<int>(msg.wParam);
        break;
      }
      TranslateMessage(&msg);
      DispatchMessage(&msg);
      // Timers of the windows below may draw over the screen: stay on top.
      if (box.result == 0 && IsWindow(hwnd)) Draw(box);
    }
  }
  if (disableOwner) EnableWindow(ownerTop, TRUE);
  RestoreUnder(box);
  if (IsWindow(hwnd)) {
    // Nothing may reach the box object once this function returns.
    SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
  }
  DeleteObject(box.font);
  if (quit) PostQuitMessage(quitCode);
  return box.result ? box.result : box.EscapeAnswer();
}

}  // namespace plat
