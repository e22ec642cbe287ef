// The "Edit" class.

#include "platform/dialog/edit.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/editbuffer.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"

namespace plat::dialog_impl {

namespace {

constexpr std::size_t kDefaultLimit = 30000;
constexpr std::size_t kLargestLimit = 0x7FFFFFFE;
constexpr int kMargin = 2;
constexpr int kWheelLines = 3;

struct EditState {
  EditBuffer buffer;
  HFONT font = nullptr;
  std::size_t limit = kDefaultLimit;
  int scrollX = 0;          // single line: pixels scrolled off on the left
  std::size_t topLine = 0;  // multi-line: the first line shown
  bool tracking = false;    // a drag selects
  bool hollow = false;      // the last background brush was the hollow one
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE)); }
bool IsMultiLine(HWND hwnd) { return (StyleOf(hwnd) & ES_MULTILINE) != 0; }

// A DC with the field's font, for measuring outside of painting.
class Measure {
 public:
  explicit Measure(HFONT font) : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_ && font) SelectObject(dc_, font);
    TEXTMETRIC tm;
    if (dc_ && GetTextMetrics(dc_, &tm)) height_ = std::max<int>(1, tm.tmHeight);
  }
  ~Measure() {
    if (dc_) DeleteDC(dc_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  int Width(std::string_view text) const {
    SIZE size{0, 0};
    if (dc_ && !text.empty()) GetTextExtentPoint32(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  int Height() const { return height_; }

 private:
  HDC dc_;
  int height_ = 16;
};

struct Layout {
  RECT area;  // where text goes, client coordinates
  int lineHeight = 16;
  std::vector<EditLine> lines;
  int AreaWidth() const { return std::max<int>(0, area.right - area.left); }
  std::size_t VisibleLines() const {
    return static_cast<std::size_t>(std::max(1, (area.bottom - area.top) / std::max(1, lineHeight)));
  }
};

Layout LayOut(HWND hwnd, const EditState& s, const Measure& m) {
  Layout l;
  RECT client;
  GetClientRect(hwnd, &client);
  l.area = RECT{client.left + kMargin, client.top + 1, client.right - kMargin, client.bottom};
  l.lineHeight = m.Height();
  const std::string& text = s.buffer.Text();
  if (IsMultiLine(hwnd)) {
    l.lines = LayOutLines(text, l.AreaWidth(), [&m](std::string_view piece) { return m.Width(piece); });
  } else {
    l.lines.push_back(EditLine{0, text.size()});
  }
  return l;
}

// Where the first character of a line starts, client coordinates.
int LineX(HWND hwnd, const EditState& s, const Layout& l, const Measure& m, const EditLine& line) {
  if (IsMultiLine(hwnd)) return l.area.left;
  const DWORD align = StyleOf(hwnd) & (ES_CENTER | ES_RIGHT);
  const int width = m.Width(std::string_view(s.buffer.Text()).substr(line.start, line.length));
  if (align && width <= l.AreaWidth()) {
    const int room = l.AreaWidth() - width;
    return l.area.left + (align == ES_CENTER ? room / 2 : room);
  }
  return l.area.left - s.scrollX;
}

int LineY(const EditState& s, const Layout& l, std::size_t line) {
  return l.area.top + (static_cast<int>(line) - static_cast<int>(s.topLine)) * l.lineHeight;
}

// The position in `line` whose caret x (from x0) is nearest to x.
std::size_t NearestInLine(const Measure& m, std::string_view text, const EditLine& line, int x0, int x) {
  std::size_t best = 0;
  int bestDistance = std::abs(x - x0);
  for (std::size_t k = 1; k <= line.length; ++k) {
    const int d = std::abs(x - (x0 + m.Width(text.substr(line.start, k))));
    if (d < bestDistance) {
      bestDistance = d;
      best = k;
    }
  }
  return line.start + best;
}

POINT CaretPoint(HWND hwnd, const EditState& s, const Layout& l, const Measure& m) {
  const std::size_t caret = s.buffer.Caret();
  const std::size_t index = LineOf(l.lines, caret);
  const EditLine& line = l.lines[index];
  const std::size_t inLine = std::min(caret, line.start + line.length) - line.start;
  const int x = LineX(hwnd, s, l, m, line) + m.Width(std::string_view(s.buffer.Text()).substr(line.start, inLine));
  return POINT{x, LineY(s, l, index)};
}

void ScrollToCaret(HWND hwnd, EditState& s) {
  Measure m(s.font);
  Layout l = LayOut(hwnd, s, m);
  if (IsMultiLine(hwnd)) {
    const std::size_t line = LineOf(l.lines, s.buffer.Caret());
    const std::size_t visible = l.VisibleLines();
    if (line < s.topLine) s.topLine = line;
    if (line >= s.topLine + visible) s.topLine = line - visible + 1;
    s.topLine = std::min(s.topLine, l.lines.size() - 1);
    return;
  }
  if (!(StyleOf(hwnd) & ES_AUTOHSCROLL)) {
    s.scrollX = 0;
    return;
  }
  const int width = l.AreaWidth();
  const int caretX = m.Width(std::string_view(s.buffer.Text()).substr(0, s.buffer.Caret()));
  // Jump a quarter of the width at a time, as the classic field did.
  if (caretX - s.scrollX > width) s.scrollX = caretX - width + width / 4;
  if (caretX < s.scrollX) s.scrollX = std::max(0, caretX - width / 4);
  const int textWidth = m.Width(s.buffer.Text());
  if (textWidth - s.scrollX < width) s.scrollX = std::max(0, std::min(s.scrollX, textWidth - width + 1));
}

std::size_t PositionAt(HWND hwnd, const EditState& s, POINT p) {
  Measure m(s.font);
  Layout l = LayOut(hwnd, s, m);
  std::size_t index = 0;
  if (IsMultiLine(hwnd)) {
    const int row = p.y >= l.area.top ? (p.y - l.area.top) / std::max(1, l.lineHeight) : -1;
    const long long wanted = static_cast<long long>(s.topLine) + row;
    index = static_cast<std::size_t>(std::clamp<long long>(wanted, 0, static_cast<long long>(l.lines.size()) - 1));
  }
  const EditLine& line = l.lines[index];
  return NearestInLine(m, s.buffer.Text(), line, LineX(hwnd, s, l, m, line), p.x);
}

void Refresh(HWND hwnd, EditState& s) { RefreshControl(hwnd, s.hollow); }

// After the text changed: the parent hears of it before and after the field
// shows it. The parent may change the field meanwhile, even destroy it.
void Changed(HWND hwnd) {
  if (EditState* s = StateOf<EditState>(hwnd)) ScrollToCaret(hwnd, *s);
  NotifyParent(hwnd, EN_UPDATE);
  if (!IsWindow(hwnd)) return;
  if (EditState* s = StateOf<EditState>(hwnd)) Refresh(hwnd, *s);
  NotifyParent(hwnd, EN_CHANGE);
}

void Refuse(HWND hwnd) {
  MessageBeep(0);
  NotifyParent(hwnd, EN_MAXTEXT);
}

// Typed text in place of the selection, when the field takes it.
void Type(HWND hwnd, EditState& s, std::string_view text) {
  if (StyleOf(hwnd) & ES_READONLY) {
    MessageBeep(0);
    return;
  }
  const std::size_t length = s.buffer.Text().size() - (s.buffer.SelEnd() - s.buffer.SelStart()) + text.size();
  if (length > s.limit) {
    Refuse(hwnd);
    return;
  }
  if (!IsMultiLine(hwnd) && !(StyleOf(hwnd) & ES_AUTOHSCROLL)) {
    EditBuffer trial = s.buffer;
    trial.Replace(text);
    Measure m(s.font);
    if (m.Width(trial.Text()) > LayOut(hwnd, s, m).AreaWidth()) {
      Refuse(hwnd);
      return;
    }
  }
  s.buffer.Replace(text);
  Changed(hwnd);
}

void OnChar(HWND hwnd, EditState& s, char c) {
  if (c == '\b') {
    if (StyleOf(hwnd) & ES_READONLY) {
      MessageBeep(0);
    } else if (s.buffer.DeleteBackward()) {
      Changed(hwnd);
    }
    return;
  }
  if (c == '\r') {
    if (IsMultiLine(hwnd)) Type(hwnd, s, "\r\n");
    return;
  }
  if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return;
  if ((StyleOf(hwnd) & ES_NUMBER) && (c < '0' || c > '9')) {
    MessageBeep(0);
    return;
  }
  Type(hwnd, s, std::string_view(&c, 1));
}

void MoveCaret(HWND hwnd, EditState& s, std::size_t position, bool extend) {
  s.buffer.MoveTo(position, extend);
  ScrollToCaret(hwnd, s);
  Refresh(hwnd, s);
}

// Up and Down in a multi-line field: the same x on the line above / below.
std::size_t VerticalTarget(HWND hwnd, const EditState& s, int lines) {
  Measure m(s.font);
  Layout l = LayOut(hwnd, s, m);
  const std::size_t index = LineOf(l.lines, s.buffer.Caret());
  const long long target = static_cast<long long>(index) + lines;
  if (target < 0 || target >= static_cast<long long>(l.lines.size())) return s.buffer.Caret();
  const POINT caret = CaretPoint(hwnd, s, l, m);
  const EditLine& line = l.lines[static_cast<std::size_t>(target)];
  return NearestInLine(m, s.buffer.Text(), line, LineX(hwnd, s, l, m, line), caret.x);
}

std::size_t LineEdge(HWND hwnd, const EditState& s, bool end) {
  if (!IsMultiLine(hwnd)) return end ? s.buffer.Text().size() : 0;
  Measure m(s.font);
  Layout l = LayOut(hwnd, s, m);
  const EditLine& line = l.lines[LineOf(l.lines, s.buffer.Caret())];
  if (!end) return line.start;
  // A soft-broken line ends before its hanging blanks.
  std::size_t e = line.start + line.length;
  const std::string& text = s.buffer.Text();
  const bool soft = e < text.size() && text[e] != '\r' && text[e] != '\n';
  while (soft && e > line.start && text[e - 1] == ' ') --e;
  return e;
}

void OnKeyDown(HWND hwnd, EditState& s, UINT key) {
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  const bool multi = IsMultiLine(hwnd);
  switch (key) {
    case VK_LEFT:
      MoveCaret(hwnd, s,
                (!shift && s.buffer.HasSelection()) ? s.buffer.SelStart() : s.buffer.Previous(s.buffer.Caret()), shift);
      break;
    case VK_RIGHT:
      MoveCaret(hwnd, s, (!shift && s.buffer.HasSelection()) ? s.buffer.SelEnd() : s.buffer.Next(s.buffer.Caret()),
                shift);
      break;
    case VK_UP:
      MoveCaret(hwnd, s, multi ? VerticalTarget(hwnd, s, -1) : s.buffer.Previous(s.buffer.Caret()), shift);
      break;
    case VK_DOWN:
      MoveCaret(hwnd, s, multi ? VerticalTarget(hwnd, s, 1) : s.buffer.Next(s.buffer.Caret()), shift);
      break;
    case VK_HOME:
      MoveCaret(hwnd, s, LineEdge(hwnd, s, false), shift);
      break;
    case VK_END:
      MoveCaret(hwnd, s, LineEdge(hwnd, s, true), shift);
      break;
    case VK_DELETE:
      if (StyleOf(hwnd) & ES_READONLY) {
        MessageBeep(0);
      } else if (s.buffer.DeleteForward()) {
        Changed(hwnd);
      }
      break;
    default:
      break;
  }
}

void DrawPiece(HDC dc, int* x, int y, const RECT& area, std::string_view piece, bool selected, COLORREF text,
               COLORREF background, int mode) {
  if (piece.empty()) return;
  if (selected) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    SetBkMode(dc, mode);
    SetBkColor(dc, background);
    SetTextColor(dc, text);
  }
  ExtTextOut(dc, *x, y, ETO_CLIPPED, &area, piece.data(), static_cast<UINT>(piece.size()), nullptr);
  SIZE size{0, 0};
  GetTextExtentPoint32(dc, piece.data(), static_cast<int>(piece.size()), &size);
  *x += size.cx;
}

void Paint(HWND hwnd, EditState& s, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  const bool readOnly = (StyleOf(hwnd) & ES_READONLY) != 0;
  HBRUSH brush = ControlColours(hwnd, dc, (readOnly || !enabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  s.hollow = IsHollow(brush);
  FillRect(dc, &client, brush);
  HGDIOBJ oldFont = s.font ? SelectObject(dc, s.font) : nullptr;
  const COLORREF textColour = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  const COLORREF background = GetBkColor(dc);
  const int mode = GetBkMode(dc);

  Measure m(s.font);
  Layout l = LayOut(hwnd, s, m);
  const bool focused = HasFocus(hwnd);
  const std::size_t selStart = focused ? s.buffer.SelStart() : 0;
  const std::size_t selEnd = focused ? s.buffer.SelEnd() : 0;
  const std::string_view text(s.buffer.Text());
  const std::size_t last = std::min(l.lines.size(), s.topLine + l.VisibleLines() + 1);
  for (std::size_t i = s.topLine; i < last; ++i) {
    const EditLine& line = l.lines[i];
    int x = LineX(hwnd, s, l, m, line);
    const int y = LineY(s, l, i);
    const std::size_t end = line.start + line.length;
    const std::size_t a = std::clamp(selStart, line.start, end);
    const std::size_t b = std::clamp(selEnd, line.start, end);
    DrawPiece(dc, &x, y, l.area, text.substr(line.start, a - line.start), false, textColour, background, mode);
    DrawPiece(dc, &x, y, l.area, text.substr(a, b - a), true, textColour, background, mode);
    DrawPiece(dc, &x, y, l.area, text.substr(b, end - b), false, textColour, background, mode);
  }
  if (focused && enabled) {
    const POINT c = CaretPoint(hwnd, s, l, m);
    const RECT caret{std::max(c.x, l.area.left), std::max(c.y, l.area.top), std::min(c.x + 1, l.area.right),
                     std::min(c.y + l.lineHeight, l.area.bottom)};
    FillSolid(dc, caret, textColour);
  }
  if (oldFont) SelectObject(dc, oldFont);
}

LRESULT DialogCode(HWND hwnd, LPARAM lParam) {
  LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN &&
      (StyleOf(hwnd) & (ES_MULTILINE | ES_WANTRETURN)) == (ES_MULTILINE | ES_WANTRETURN))
    code |= DLGC_WANTALLKEYS;
  return code;
}

void SetSelection(HWND hwnd, EditState& s, WPARAM wParam, LPARAM lParam) {
  const int start = static_cast<int>(static_cast<std::intptr_t>(wParam));
  const int end = static_cast<int>(lParam);
  const std::size_t length = s.buffer.Text().size();
  if (start == -1) {
    s.buffer.MoveTo(s.buffer.Caret(), false);
  } else {
    s.buffer.Select(start < 0 ? length : static_cast<std::size_t>(start),
                    end < 0 ? length : static_cast<std::size_t>(end));
  }
  ScrollToCaret(hwnd, s);
  Refresh(hwnd, s);
}

LRESULT GetSelection(const EditState& s, WPARAM wParam, LPARAM lParam) {
  const auto start = static_cast<DWORD>(s.buffer.SelStart());
  const auto end = static_cast<DWORD>(s.buffer.SelEnd());
  if (auto* p = reinterpret_cast<DWORD*>(wParam)) *p = start;
  if (auto* p = reinterpret_cast<DWORD*>(lParam)) *p = end;
  return static_cast<LRESULT>(static_cast<DWORD>(
      MAKELONG(static_cast<WORD>(std::min<DWORD>(start, 0xFFFF)), static_cast<WORD>(std::min<DWORD>(end, 0xFFFF)))));
}

}  // namespace

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    auto state = std::make_unique<EditState>();
    const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
    if (cs && cs->lpszName) state->buffer.SetText(cs->lpszName);
    AttachState(hwnd, std::move(state));
    return 0;
  }
  EditState* s = StateOf<EditState>(hwnd);
  if (!s) return DefWindowProc(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY:
      FreeState<EditState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(
          hwnd, [&](HDC dc) { Paint(hwnd, *s, dc); }, Border::kDraw);
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(lParam);
      s->buffer.SetText(text ? text : "");
      s->scrollX = 0;
      s->topLine = 0;
      if (IsMultiLine(hwnd)) {
        Refresh(hwnd, *s);
      } else {
        Changed(hwnd);
      }
      return TRUE;
    }
    case WM_GETTEXT: {
      char* out = reinterpret_cast<char*>(lParam);
      if (!out || wParam == 0) return 0;
      const std::string& text = s->buffer.Text();
      const std::size_t n = std::min<std::size_t>(text.size(), wParam - 1);
      text.copy(out, n);
      out[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(s->buffer.Text().size());
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      ScrollToCaret(hwnd, *s);
      if (lParam) Refresh(hwnd, *s);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_SIZE:
      ScrollToCaret(hwnd, *s);
      return 0;
    case WM_ENABLE:
      Refresh(hwnd, *s);
      return 0;
    case WM_GETDLGCODE:
      return DialogCode(hwnd, lParam);
    case WM_SETFOCUS:
      Refresh(hwnd, *s);
      NotifyParent(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s->tracking = false;
      Refresh(hwnd, *s);
      NotifyParent(hwnd, EN_KILLFOCUS);
      return 0;
    case WM_CHAR:
      OnChar(hwnd, *s, static_cast<char>(wParam & 0xFF));
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(hwnd, *s, static_cast<UINT>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(hwnd);
      if (!(s = StateOf<EditState>(hwnd))) return 0;
      const bool shift = (wParam & MK_SHIFT) != 0;
      MoveCaret(hwnd, *s, PositionAt(hwnd, *s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}), shift);
      s->tracking = true;
      SetCapture(hwnd);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->tracking && s->buffer.Caret() != PositionAt(hwnd, *s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
        MoveCaret(hwnd, *s, PositionAt(hwnd, *s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}), true);
      return 0;
    case WM_LBUTTONUP:
      if (s->tracking) {
        s->tracking = false;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      s->tracking = false;
      return 0;
    case WM_MOUSEWHEEL:
      if (IsMultiLine(hwnd)) {
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        const long long top = static_cast<long long>(s->topLine) - notches * kWheelLines;
        Measure m(s->font);
        const std::size_t count = LayOut(hwnd, *s, m).lines.size();
        s->topLine = static_cast<std::size_t>(std::clamp<long long>(top, 0, static_cast<long long>(count) - 1));
        Refresh(hwnd, *s);
        return 0;
      }
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case EM_GETSEL:
      return GetSelection(*s, wParam, lParam);
    case EM_SETSEL:
      SetSelection(hwnd, *s, wParam, lParam);
      return 0;
    case EM_REPLACESEL: {
      const char* text = reinterpret_cast<const char*>(lParam);
      std::string_view insert = text ? text : "";
      const std::size_t kept = s->buffer.Text().size() - (s->buffer.SelEnd() - s->buffer.SelStart());
      if (kept + insert.size() > s->limit) {
        insert = insert.substr(0, s->limit > kept ? s->limit - kept : 0);
        NotifyParent(hwnd, EN_MAXTEXT);
        if (!(s = StateOf<EditState>(hwnd))) return 0;
      }
      s->buffer.Replace(insert);
      Changed(hwnd);
      return 0;
    }
    case EM_LIMITTEXT:
      s->limit = wParam ? static_cast<std::size_t>(wParam) : kLargestLimit;
      return 0;
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(s->limit);
    case EM_SETREADONLY: {
      const LONG style = GetWindowLong(hwnd, GWL_STYLE);
      const LONG bit = static_cast<LONG>(ES_READONLY);
      SetWindowLong(hwnd, GWL_STYLE, wParam ? (style | bit) : (style & ~bit));
      Refresh(hwnd, *s);
      return TRUE;
    }
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::dialog_impl
