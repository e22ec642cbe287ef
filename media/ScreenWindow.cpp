#include "media/ScreenWindow.h"

#include "platform/core/clock.h"
#include "platform/gdi/dc.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kMessagesBetweenFrames = 64;

// Origins move right by their remainder modulo 4, sign kept.
LONG Align4(LONG v) { return v + v % 4; }

}  // namespace

ScreenWindow::ScreenWindow(HWND hwnd, const char* name, LONG x, LONG y, int zoom, UINT done, HWND notify,
                           DWORD centreOnScreen, DWORD centreIn800x600)
    : doneMessage(done), window(hwnd) {
  engine = std::make_unique<AviEngine>();
  if (AVIFileOpen(&file_, name, OF_SHARE_DENY_WRITE, nullptr) != AVIERR_OK) {
    status = 2;
    return;
  }
  if (engine->OpenStreams(file_, hwnd, notify) != 0) {
    status = 1;
    return;
  }
  const LONG w = engine->videoFormat.biWidth, h = std::abs(engine->videoFormat.biHeight);
  LONG ox = 0, oy = 0;
  if (centreIn800x600) {
    MoveWindow(hwnd, 0, 0, 800, 600, FALSE);
    ox = Align4(400 - w / 2);
    oy = Align4(300 - h / 2);
  } else if (centreOnScreen) {
    MoveWindow(hwnd, Align4(GetSystemMetrics(SM_CXSCREEN) / 2 - w / 2),
               Align4(GetSystemMetrics(SM_CYSCREEN) / 2 - h / 2), w, h, FALSE);
  } else {
    MoveWindow(hwnd, x, y, w, h, FALSE);
  }
  // On a display of more than 8 bits the picture is decoded at 16 bits: an
  // 8-bit halftone of it would show its dither pattern over every smooth shade.
  HDC windowDc = GetDC(hwnd);
  const int depth = windowDc && GetDeviceCaps(windowDc, BITSPIXEL) > 8 ? 16 : 0;
  if (windowDc) ReleaseDC(hwnd, windowDc);
  if (engine->SetupOutput(static_cast<float>(zoom), depth, 0, 0, 0, ox, oy) != 0) {
    status = 4;
    return;
  }
  if (engine->decoder()->SetPalette(nullptr)) OnPaletteChanged(nullptr);
  status = 0;
  ShowFrame(0);
}

ScreenWindow::~ScreenWindow() {
  engine->Stop();
  if (dc) ReleaseDC(window, dc);
  engine.reset();
  AVIFileRelease(file_);
}

void ScreenWindow::Play() {
  if (status != 0 || playing) return;
  if (!dc) dc = GetDC(window);
  engine->Play(dc);
  playing = 1;
}

void ScreenWindow::Stop() {
  engine->Stop();
  playing = 0;
}

void ScreenWindow::ShowFrame(LONG frame) {
  HDC frameDc = GetDC(window);
  Stop();
  engine->MoveTo(frame);
  if (engine->BeginDrawing(frameDc) == 0) engine->FrameStep();
  engine->EndDrawing();
  ReleaseDC(window, frameDc);
}

LONG ScreenWindow::GetFrameCount() { return engine->lastFrame - engine->firstFrame + 1; }

LONG ScreenWindow::GetCurrentFrame() { return engine->currentFrame; }

int ScreenWindow::IsStopped() { return playing ? 0 : 1; }

void ScreenWindow::OnPaletteChanged(HWND changedBy) {
  if (changedBy == window || !engine->decoder() || !engine->decoder()->palette) return;
  HDC windowDc = GetDC(window);
  HPALETTE old = SelectPalette(windowDc, engine->decoder()->palette, FALSE);
  RealizePalette(windowDc);
  SelectPalette(windowDc, old, FALSE);
  ReleaseDC(window, windowDc);
  if (!playing) InvalidateRect(window, nullptr, FALSE);
}

int ScreenWindow::RunModalLoop() {
  bool quit = false;
  WPARAM quitCode = 0;
  int unbroken = 0;
  while (playing) {
    MSG msg;
    // Frames are drawn when no message waits, and at the latest after a run
    // of messages: a window that never validates cannot hold the movie.
    if (unbroken < kMessagesBetweenFrames && PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      ++unbroken;
      if (!GetMessage(&msg, nullptr, 0, 0)) {
        quit = true;
        quitCode = msg.wParam;
        Stop();
      }
      TranslateMessage(&msg);
      DispatchMessage(&msg);
      continue;
    }
    unbroken = 0;
    if (engine->currentFrame == engine->lastFrame) {
      Stop();
      break;
    }
    const LONG drawn = engine->lastDrawn;
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    const int r = engine->FrameStep();
    EndPaint(window, &ps);
    if (r != 0) {
      Stop();
      break;
    }
    // Nothing new to show yet: wait a little instead of spinning.
    if (engine->lastDrawn == drawn) Sleep(1);
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return 1;
}
