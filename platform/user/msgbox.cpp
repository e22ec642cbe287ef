#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/display/screen.h"
#include "platform/user/boxfont.h"
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
  RECT rect;        // on the screen
  RECT ok, cancel;  // client coordinates
  std::vector<std::string> lines;
  std::vector<BYTE> saved;  // the screen under the box
  user_impl::BoxFont font{kFontHeight};

  int EscapeAnswer() const { return okCancel ? IDCANCEL : IDOK; }
};

std::uint16_t Pack(COLORREF c, bool is555) {
  const std::uint32_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  if (is555) return static_cast<std::uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
  return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

void Fill(Screen& s, RECT r, COLORREF colour) {
  r = user_impl::Intersect(r, RECT{0, 0, Screen::kWidth, Screen::kHeight});
  const std::uint16_t p = Pack(colour, s.is555);
  for (LONG y = r.top; y < r.bottom; ++y) {
    BYTE* row = s.pixels.data() + static_cast<std::size_t>(y) * Screen::kPitch;
    for (LONG x = r.left; x < r.right; ++x) {
      row[x * 2] = static_cast<BYTE>(p & 0xFF);
      row[x * 2 + 1] = static_cast<BYTE>(p >> 8);
    }
  }
}

// A raised (or, pressed, sunken) edge one pixel wide.
void Bevel(Screen& s, const RECT& r, bool sunken) {
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF tl = sunken ? dark : light, br = sunken ? light : dark;
  Fill(s, RECT{r.left, r.top, r.right, r.top + 1}, tl);
  Fill(s, RECT{r.left, r.top, r.left + 1, r.bottom}, tl);
  Fill(s, RECT{r.left, r.bottom - 1, r.right, r.bottom}, br);
  Fill(s, RECT{r.right - 1, r.top, r.right, r.bottom}, br);
}

void DrawButton(Box& b, const RECT& local, const char* label, int id) {
  Screen& s = GetScreen();
  const RECT r = user_impl::Offset(local, b.rect.left, b.rect.top);
  Fill(s, r, GetSysColor(COLOR_BTNFACE));
  Fill(s, RECT{r.left - 1, r.top - 1, r.right + 1, r.top}, RGB(0, 0, 0));
  Fill(s, RECT{r.left - 1, r.bottom, r.right + 1, r.bottom + 1}, RGB(0, 0, 0));
  Fill(s, RECT{r.left - 1, r.top, r.left, r.bottom}, RGB(0, 0, 0));
  Fill(s, RECT{r.right, r.top, r.right + 1, r.bottom}, RGB(0, 0, 0));
  const bool down = b.pressed == id;
  Bevel(s, r, down);
  const int shift = down ? 1 : 0;
  const int tx = r.left + (kButtonWidth - b.font.Width(label)) / 2 + shift;
  const int ty = r.top + (kButtonHeight - b.font.LineHeight()) / 2 + shift;
  b.font.Draw(s, tx, ty, label, GetSysColor(COLOR_BTNTEXT), r);
}

void Draw(Box& b) {
  Screen& s = GetScreen();
  const RECT& r = b.rect;
  Fill(s, r, RGB(0, 0, 0));
  const RECT inner{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  Fill(s, inner, GetSysColor(COLOR_BTNFACE));
  Bevel(s, inner, false);
  const RECT caption{inner.left + 2, inner.top + 2, inner.right - 2, inner.top + 2 + kCaptionHeight};
  Fill(s, caption, GetSysColor(COLOR_ACTIVECAPTION));
  b.font.Draw(s, caption.left + 4, caption.top + (kCaptionHeight - b.font.LineHeight()) / 2, b.caption,
              GetSysColor(COLOR_CAPTIONTEXT), caption);
  int y = caption.bottom + kMargin;
  for (const std::string& line : b.lines) {
    b.font.Draw(s, r.left + kMargin, y, line, GetSysColor(COLOR_WINDOWTEXT), inner);
    y += b.font.LineHeight();
  }
  DrawButton(b, b.ok, "OK", IDOK);
  if (b.okCancel) DrawButton(b, b.cancel, "Cancel", IDCANCEL);
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
  b.lines = b.font.Wrap(b.text, kMaxTextWidth);
  int textWidth = b.font.Width(b.caption) + 8;
  for (const std::string& line : b.lines) textWidth = std::max(textWidth, b.font.Width(line));
  const int buttons = b.okCancel ? 2 * kButtonWidth + kButtonGap : kButtonWidth;
  const int width = std::max({kMinWidth, textWidth + 2 * kMargin, buttons + 2 * kMargin});
  const int textHeight = static_cast<int>(b.lines.size()) * b.font.LineHeight();
  const int height = 3 + kCaptionHeight + kMargin + textHeight + kMargin + kButtonHeight + kMargin;
  const int x = (Screen::kWidth - width) / 2, y = (Screen::kHeight - height) / 2;
  b.rect = RECT{x, y, x + width, y + height};
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
  Layout(box);

  HWND ownerTop = (owner && IsWindow(owner)) ? user_impl::TopLevelOf(owner) : nullptr;
  const bool disableOwner = ownerTop && IsWindowEnabled(ownerTop);
  if (disableOwner) EnableWindow(ownerTop, FALSE);
  SaveUnder(box);
  HWND hwnd = CreateWindowEx(WS_EX_TOPMOST, kBoxClass, box.caption.c_str(), WS_POPUP | WS_VISIBLE, box.rect.left,
                             box.rect.top, box.rect.right - box.rect.left, box.rect.bottom - box.rect.top, ownerTop,
                             nullptr, nullptr, &box);
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
  if (quit) PostQuitMessage(quitCode);
  return box.result ? box.result : box.EscapeAnswer();
}

}  // namespace plat
