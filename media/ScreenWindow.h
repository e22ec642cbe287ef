#pragma once
// The movie controller: opens an AVI for a window, places the window and
// the picture, owns the engine and runs the modal loop in whose idle time the
// frames are drawn. Game thread only.

#include <memory>

#include "media/AviEngine.h"

constexpr plat::UINT kMovieDoneMessage = 0x914;

class ScreenWindow {
 public:
  // status: 0 ready (frame 0 shown), 1 the streams could not be opened, 2
  // the file could not be opened, 3 no engine, 4 the output could not be set up.
  ScreenWindow(plat::HWND window, const char* file, plat::LONG x, plat::LONG y, int zoom, plat::UINT doneMessage,
               plat::HWND notifyWindow, plat::DWORD centreOnScreen, plat::DWORD centreIn800x600);
  virtual ~ScreenWindow();
  ScreenWindow(const ScreenWindow&) = delete;
  ScreenWindow& operator=(const ScreenWindow&) = delete;

  virtual void Play();
  virtual void Stop();
  virtual void ShowFrame(plat::LONG frame);
  virtual plat::LONG GetFrameCount();
  virtual plat::LONG GetCurrentFrame();
  virtual int IsStopped();
  virtual void OnPaletteChanged(plat::HWND changedBy);
  // Plays to the end, a stop, a failed frame or WM_QUIT (which is posted again
  // for the caller's loop). 1.
  int RunModalLoop();

  std::unique_ptr<AviEngine> engine;
  plat::DWORD playing = 0;
  plat::UINT doneMessage = kMovieDoneMessage;
  plat::HWND window = nullptr;
  plat::HDC dc = nullptr;
  int status = 3;

 private:
  plat::PAVIFILE file_ = nullptr;
};
