#include "Game/dialogs/CDHelpDlg.h"

#include <algorithm>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameLife.h"
#include "Game/base/GInstData.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/dialogs/HelpIds.h"
#include "media/CSprite.h"
#include "platform/dialog/button.h"
#include "platform/dialog/dialog.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/cursor.h"
#include "platform/user/messages.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kGuilds = 5;
// While an arrow is held, one line per tick.
constexpr UINT_PTR kHeldArrowTimer = 1271;
constexpr UINT kHeldArrowMs = 100;
constexpr COLORREF kHelpTextColour = RGB(0, 255, 0);

enum Frame { kTopLeft, kTop, kTopRight, kRight, kBottomRight, kBottom, kBottomLeft, kLeft };
const char* const kFrameNames[8] = {"helptplt.ima", "helptop.ima", "helptprt.ima", "helprght.ima",
                                    "helpbtrt.ima", "helpbot.ima", "helpbtlt.ima", "helpleft.ima"};

SIZE SizeOf(CSprite* sprite) {
  SIZE size{0, 0};
  if (sprite) sprite->GetIMASize(&size);
  return size;
}

void Put(CSprite* piece, CSprite* canvas, LONG x, LONG y) {
  if (piece && canvas) piece->BltToSurface(canvas, x, y, nullptr);
}

}  // namespace

RECT HelpWindowRect(std::size_t length, int x, int y, int pictureHeight) {
  x = static_cast<std::int16_t>(x);
  y = static_cast<std::int16_t>(y);
  if (pictureHeight > 0) length += 60 * static_cast<std::size_t>(pictureHeight / kHelpLineHeight);
  const int left = x < 544 ? x : 540;
  if (length < 100) {
    const int top = y < 160 ? y + 20 : y - 150;
    return {left, top, left + 256, top + 128};
  }
  if (length < 1000) {
    const int top = y < 280 ? y + 20 : y - 270;
    return {left, top, left + 256, top + 256};
  }
  const int top = y < 80 ? y + 7 : y >= 521 ? y - 519 : 0;
  const int wide = x < 280 ? x + 7 : x >= 521 ? x - 519 : 0;
  return {wide, top, wide + 512, top + 512};
}

std::vector<std::string> WrapHelpText(std::string_view text, int charsPerLine) {
  std::vector<std::string> lines;
  const std::size_t width = static_cast<std::size_t>(std::max(charsPerLine, 2));
  std::string line;
  bool open = false;  // a line is begun, even an empty one after a line end
  const auto flush = [&] {
    lines.push_back(line);
    line.clear();
    open = false;
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\n') {
      flush();
      ++i;
      continue;
    }
    if (c == ' ' || c == '\r' || c == '\t') {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && text[end] != ' ' && text[end] != '\n' && text[end] != '\r' && text[end] != '\t') ++end;
    std::string_view word = text.substr(i, end - i);
    i = end;
    // A word no line can hold goes in pieces of a full line each.
    while (word.size() >= width) {
      if (open || !line.empty()) flush();
      lines.emplace_back(word.substr(0, width - 1));
      word.remove_prefix(width - 1);
    }
    if (word.empty()) continue;
    const std::size_t grown = line.empty() ? word.size() : line.size() + 1 + word.size();
    if (grown >= width) flush();
    if (!line.empty()) line += ' ';
    line += word;
    open = true;
  }
  if (open || !line.empty()) flush();
  return lines;
}

CDHelpDlg::CDHelpDlg(CDDraw* display, HWND parent, HINSTANCE instance, const char* text, int guild, int x, int y,
                     CSprite* picture)
    : CDlgBase(display, parent, instance, 0, nullptr),
      m_text(text ? text : ""),
      m_guild(guild >= 0 && guild < kGuilds ? guild : 0),
      m_picture(picture) {
  const bool frontEnd = m_ownModule != 0;
  if (!frontEnd) {
    HMODULE module = GameGuildModule(m_guild);
    if (!module) module = GameImageModule();
    if (module) TakeModule(module, false);
  }
  const int pictureHeight = m_picture ? static_cast<int>(SizeOf(m_picture).cy) : 0;
  m_rect = HelpWindowRect(std::string_view(m_text).size(), x, y, pictureHeight);
  const int w = m_rect.right - m_rect.left, h = m_rect.bottom - m_rect.top;
  m_visibleLines = (h - 68) / kHelpLineHeight - 1;
  m_charsPerLine = (w - 64) / 6;
  m_lines = WrapHelpText(m_text, m_charsPerLine);
  for (int i = 0; i < 8; ++i) m_frame[i] = LoadImage(Art(kFrameNames[i]).c_str(), 0, 0);
  m_ok = LoadImage(Art(frontEnd ? "okbtn.ima" : "ok.ima").c_str(), 0, 0);
  m_okLit = LoadImage(Art(frontEnd ? "okbtnlit.ima" : "oklit.ima").c_str(), 0, 0);
  m_up = LoadImage(Art("upnotup.ima").c_str(), 0, 0);
  m_upPressed = LoadImage(Art("upnotdn.ima").c_str(), 0, 0);
  m_down = LoadImage(Art("dnnotup.ima").c_str(), 0, 0);
  m_downPressed = LoadImage(Art("dnnotdn.ima").c_str(), 0, 0);
  m_textFont = CreateFont(16, 0, 0, 0, 600, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman Bold");
  m_canvas = std::make_unique<CSprite>(m_display, nullptr, kNoColourKey, static_cast<DWORD>(w), static_cast<DWORD>(h),
                                       0, 0, 0);
  m_under = std::make_unique<CSprite>(m_display, nullptr, kNoColourKey, static_cast<DWORD>(w), static_cast<DWORD>(h), 0,
                                      0, 0);
  ShowCursor(FALSE);
  if (m_under->BltFromSurface(m_rect.left, m_rect.top) != 0) m_under.reset();
  ShowCursor(TRUE);
  DoModal("IDD_HELP_DLG");
  if (m_under) {
    const RECT source{0, 0, w, h};
    ShowCursor(FALSE);
    m_under->BltToPrimary(&m_rect, &source);
    ShowCursor(TRUE);
  }
}

CDHelpDlg::~CDHelpDlg() {
  if (m_textFont) DeleteObject(m_textFont);
}

std::string CDHelpDlg::Art(const char* name) const {
  if (m_ownModule) return std::string(g_instData.GetFrontEndArtPath()).append(name);
  return std::string(g_instData.GetGuildPath(m_guild)).append(name);
}

LRESULT CDHelpDlg::OnInitDialog(HWND window) {
  CDlgBase::OnInitDialog(window);
  const int w = m_rect.right - m_rect.left, h = m_rect.bottom - m_rect.top;
  MoveWindow(window, m_rect.left, m_rect.top, w, h, FALSE);
  MoveWindow(GetDlgItem(window, IDOK), w / 2 - 35, h - 36, 70, 36, FALSE);
  MoveWindow(GetDlgItem(window, IDC_HELP_UP), w - 16, 0, 16, 48, FALSE);
  MoveWindow(GetDlgItem(window, IDC_HELP_DOWN), w - 16, h - 48, 16, 48, FALSE);
  return 0;
}

void CDHelpDlg::Compose() {
  if (!m_canvas) return;
  const int w = m_rect.right - m_rect.left, h = m_rect.bottom - m_rect.top;
  m_canvas->FillSurface(RGB(0, 0, 0), nullptr);
  CSprite* canvas = m_canvas.get();
  const SIZE tl = SizeOf(m_frame[kTopLeft].get()), tr = SizeOf(m_frame[kTopRight].get());
  const SIZE bl = SizeOf(m_frame[kBottomLeft].get()), br = SizeOf(m_frame[kBottomRight].get());
  const SIZE top = SizeOf(m_frame[kTop].get()), bottom = SizeOf(m_frame[kBottom].get());
  const SIZE left = SizeOf(m_frame[kLeft].get()), right = SizeOf(m_frame[kRight].get());
  Put(m_frame[kTopLeft].get(), canvas, 0, 0);
  if (top.cx > 0) {
    const int tiles = (w - tr.cx - tl.cx) / top.cx;
    for (int i = 0; i < tiles; ++i) {
      Put(m_frame[kTop].get(), canvas, tl.cx + i * top.cx, 0);
      Put(m_frame[kBottom].get(), canvas, bl.cx + i * bottom.cx, h - bottom.cy);
    }
  }
  Put(m_frame[kTopRight].get(), canvas, w - tr.cx, 0);
  if (left.cy > 0) {
    const int tiles = (h - bl.cy - tl.cy) / left.cy;
    for (int i = 0; i < tiles; ++i) {
      Put(m_frame[kLeft].get(), canvas, 0, tl.cy + i * left.cy);
      Put(m_frame[kRight].get(), canvas, w - right.cx, tr.cy + i * right.cy);
    }
  }
  Put(m_frame[kBottomLeft].get(), canvas, 0, h - bl.cy);
  Put(m_frame[kBottomRight].get(), canvas, w - br.cx, h - br.cy);

  // The picture takes its rows as lines, then one empty line.
  int row = 0;
  if (m_picture) {
    const SIZE size = SizeOf(m_picture);
    const int rows = static_cast<int>(size.cy) / kHelpLineHeight;
    if (m_scroll < rows) {
      RECT part{0, m_scroll * kHelpLineHeight, size.cx, size.cy};
      m_picture->BltToSurface(canvas, (w - size.cx) / 2, 38, &part);
      row = rows - m_scroll + 1;
    }
  }
  const int skipped =
      m_picture ? std::max(0, m_scroll - static_cast<int>(SizeOf(m_picture).cy) / kHelpLineHeight - 1) : m_scroll;
  if (const HDC dc = canvas->GetDC()) {
    const HGDIOBJ old = SelectObject(dc, m_textFont ? m_textFont : m_font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kHelpTextColour);
    std::size_t line = static_cast<std::size_t>(skipped);
    for (; row < m_visibleLines && line < m_lines.size(); ++row, ++line) {
      RECT box{32, 38 + kHelpLineHeight * row, w - 32, h - 30};
      DrawText(dc, m_lines[line].c_str(), static_cast<int>(m_lines[line].size()), &box, DT_CENTER | DT_NOCLIP);
    }
    // The end of the text is in view: scrolling further down stops here.
    if (line >= m_lines.size()) m_maxScroll = m_scroll;
    SelectObject(dc, old);
    canvas->ReleaseDC(dc);
  }
  Put(m_okPressed ? m_okLit.get() : m_ok.get(), canvas, w / 2 - 35, h - 36);
  Put(m_upHeld ? m_upPressed.get() : m_up.get(), canvas, w - 16, 0);
  Put(m_downHeld ? m_downPressed.get() : m_down.get(), canvas, w - 16, h - 48);
}

void CDHelpDlg::Show() {
  Compose();
  if (!m_canvas) return;
  RECT source{0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top};
  ShowCursor(FALSE);
  m_canvas->BltToPrimary(&m_rect, &source);
  ShowCursor(TRUE);
}

LRESULT CDHelpDlg::OnPaint(HWND window) {
  PAINTSTRUCT ps;
  BeginPaint(window, &ps);
  EndPaint(window, &ps);
  Show();
  for (int id : {IDOK, IDC_HELP_UP, IDC_HELP_DOWN}) ValidateRect(GetDlgItem(window, id), nullptr);
  return 0;
}

bool CDHelpDlg::ScrollBy(int lines) {
  const int next = m_scroll + lines;
  if (next < 0 || (lines > 0 && m_scroll >= m_maxScroll)) return false;
  m_scroll = next;
  return true;
}

void CDHelpDlg::TrackHeldArrows(HWND window) {
  const auto pushed = [&](int id) { return (SendDlgItemMessage(window, id, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; };
  m_upHeld = pushed(IDC_HELP_UP);
  m_downHeld = pushed(IDC_HELP_DOWN);
  if (m_upHeld || m_downHeld)
    SetTimer(window, kHeldArrowTimer, kHeldArrowMs, nullptr);
  else
    KillTimer(window, kHeldArrowTimer);
}

LRESULT CDHelpDlg::OnDrawItem(DRAWITEMSTRUCT* item, HWND window) {
  if (item && item->CtlID == IDOK) m_okPressed = (item->itemState & ODS_SELECTED) != 0;
  if (item && (item->CtlID == IDC_HELP_UP || item->CtlID == IDC_HELP_DOWN)) TrackHeldArrows(window);
  Show();
  return 1;
}

LRESULT CDHelpDlg::OnTimer(UINT_PTR timer, LPARAM lParam, HWND window) {
  if (timer != kHeldArrowTimer) return CDlgBase::OnTimer(timer, lParam, window);
  // A held arrow goes on a line each tick until it is let go; the release
  // itself comes as the click below.
  TrackHeldArrows(window);
  if (m_upHeld) ScrollBy(-1);
  if (m_downHeld) ScrollBy(1);
  Show();
  return 0;
}

LRESULT CDHelpDlg::OnCommand(WPARAM wParam, LPARAM, HWND window) {
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:
      PlayDialogClick();
      KillTimer(window, kHeldArrowTimer);
      EndDialog(window, 0);
      return 1;
    case IDC_HELP_UP:
    case IDC_HELP_DOWN:
      PlayDialogClick();
      ScrollBy(LOWORD(wParam) == IDC_HELP_UP ? -1 : 1);
      TrackHeldArrows(window);
      Show();
      return 1;
    default:
      return 0;
  }
}

LRESULT CDHelpDlg::OnMouseWheel(HWND, WPARAM wParam, LPARAM) {
  const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
  if (delta == 0) return 0;
  // Towards the player (a negative turn) reads on down the text.
  if (ScrollBy(delta < 0 ? 1 : -1)) Show();
  return 0;
}

void RunHelpDialog(const char* text, int x, int y) {
  CDHelpDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), text, LocalGuildIndex(), x, y, nullptr);
}
