#pragma once
// The program's display: its one DirectDraw object, the primary surface, and
// optionally a back buffer (full screen) or a clipper bound to the window
// (windowed). Sprites read the depth, the full-screen flag and the primary
// from it. Game thread only.

#include "platform/ddraw/ddraw.h"

// The display mode that was current before a full-screen CDDraw changed it.
extern plat::DDSURFACEDESC g_savedDisplayMode;

// Returns `result` when it is a failure code (negative), else 0. The label
// names the failing call for a debugger; it is not shown.
plat::HRESULT CheckDDResult(plat::HRESULT result, const char* label, const void* object);

class CDDraw {
 public:
  // Full screen, exclusive, at width x height x bitsPerPixel. A failing call
  // ends the construction early and leaves the members null.
  CDDraw(plat::HWND window, plat::DWORD width, plat::DWORD height, plat::DWORD bitsPerPixel,
         plat::DWORD wantBackBuffer);
  // Windowed on the desktop's mode.
  CDDraw(plat::HWND window, plat::DWORD wantClipper);
  ~CDDraw();
  CDDraw(const CDDraw&) = delete;
  CDDraw& operator=(const CDDraw&) = delete;

  // DirectDraw results (0 = success).
  plat::HRESULT CreatePrimarySurface();
  plat::HRESULT CreateBackBuffer();
  plat::HRESULT CreateClipper();
  // After a lost surface: 0 on success, 1 when skipped (full screen and
  // minimised), else the failing result.
  plat::HRESULT RestorePrimarySurface();
  // Releases the surfaces; with keepDirectDraw 0 also restores the desktop mode
  // and releases the DirectDraw object.
  void ReleaseSurfaces(plat::DWORD keepDirectDraw);

  plat::IDirectDraw* directDraw = nullptr;
  plat::IDirectDrawSurface* primary = nullptr;
  plat::IDirectDrawSurface* backBuffer = nullptr;
  plat::IDirectDrawClipper* clipper = nullptr;
  plat::HWND window = nullptr;
  plat::DWORD bitsPerPixel = 0;
  plat::DWORD fullScreen = 0;
  plat::DWORD wantBackBuffer = 0;
  plat::DWORD wantClipper = 0;
};
