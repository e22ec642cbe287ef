#pragma once
// One help text in a framed window near where the player asked, sized by the
// text's length, word-wrapped under an optional picture, scrolled a line at a
// time by two arrows (held or clicked) and the wheel. In the game the look is
// a guild's; in the front end the front end's. Game thread only.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Game/app/CDlgBase.h"

constexpr int kHelpLineHeight = 18;

// The window for a text of `length` characters asked about at (x, y), with a
// picture `pictureHeight` pixels high (0: none).
plat::RECT HelpWindowRect(std::size_t length, int x, int y, int pictureHeight);
// The text's lines: words (split at blanks and line ends) while a line stays
// shorter than `charsPerLine`; a line end always ends a line, and a word too
// long for any line is broken at the line's width.
std::vector<std::string> WrapHelpText(std::string_view text, int charsPerLine);

class CDHelpDlg : public CDlgBase {
 public:
  // `text` and `picture` stay the caller's and must outlive the dialog.
  CDHelpDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, const char* text, int guild, int x, int y,
            CSprite* picture);
  ~CDHelpDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;
  plat::LRESULT OnDrawItem(plat::DRAWITEMSTRUCT* item, plat::HWND window) override;
  plat::LRESULT OnCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;
  plat::LRESULT OnMouseWheel(plat::HWND window, plat::WPARAM wParam, plat::LPARAM lParam) override;
  plat::LRESULT OnTimer(plat::UINT_PTR timer, plat::LPARAM lParam, plat::HWND window) override;

  plat::RECT m_rect{};
  int m_visibleLines = 0;
  int m_charsPerLine = 0;
  int m_scroll = 0;
  int m_maxScroll = 1000;

 private:
  std::string Art(const char* name) const;
  void Compose();
  void Show();
  // One line up (-1) or down (+1), within the text.
  bool ScrollBy(int lines);
  void TrackHeldArrows(plat::HWND window);

  const char* m_text;
  int m_guild;
  CSprite* m_picture;
  std::vector<std::string> m_lines;
  // Top left, top, top right, right, bottom right, bottom, bottom left, left.
  std::array<std::unique_ptr<CSprite>, 8> m_frame;
  std::unique_ptr<CSprite> m_ok, m_okLit, m_up, m_upPressed, m_down, m_downPressed;
  bool m_okPressed = false, m_upHeld = false, m_downHeld = false;
  plat::HFONT m_textFont = nullptr;
  std::unique_ptr<CSprite> m_canvas;
  // What the screen showed under the window, put back when it closes: the
  // window draws straight onto the screen, and the screen behind it (the
  // game's frame, the goto bar, a dialog) may never be drawn again by itself.
  std::unique_ptr<CSprite> m_under;
};

// Shows `text` in the local guild's look near (x, y).
void RunHelpDialog(const char* text, int x, int y);
