#pragma once
// The movie dialog: a black 800 x 600 window (template 107 of the program's
// resources) over the main window in which a ScreenWindow plays one AVI with
// sound, until it ends or the player presses Enter, Escape or Space. Game
// thread only.

#include <memory>

#include "media/ScreenWindow.h"

class CMovieDlg {
 public:
  CMovieDlg(plat::LONG x, plat::LONG y, plat::HWND owner, plat::HINSTANCE instance);
  ~CMovieDlg();
  CMovieDlg(const CMovieDlg&) = delete;
  CMovieDlg& operator=(const CMovieDlg&) = delete;

  // Opens the dialog and plays `file` modally: 1 when the dialog and its
  // controller existed (whether or not the movie could start), else 0.
  int Play(const char* file, plat::DWORD kept, plat::DWORD centreOnScreen, plat::DWORD centreIn800x600);

  plat::LRESULT OnInitDialog(plat::HWND window);
  plat::LRESULT OnPaint(plat::HWND window);
  plat::LRESULT OnKeyDown(plat::HWND window, plat::WPARAM key, plat::LPARAM keyData);
  plat::LRESULT OnPrivateMessage(plat::WPARAM wParam, plat::LPARAM lParam);

  plat::HWND m_owner = nullptr;
  plat::HINSTANCE m_instance = nullptr;
  plat::HWND m_window = nullptr;
  plat::LONG m_x = 0;
  plat::LONG m_y = 0;
  plat::DWORD m_kept = 0;
  plat::DWORD m_centreOnScreen = 0;
  plat::DWORD m_centreIn800x600 = 0;
  plat::DWORD m_finished = 1;
  char m_file[256] = {};
  std::unique_ptr<ScreenWindow> m_screen;
};
