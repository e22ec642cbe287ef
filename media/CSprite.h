#pragma once
// One 2D image on a DirectDraw off-screen surface, and every way the screens
// draw with it: blits to the screen and to other sprites (plain, clipped,
// stretched, with effects), fills, fades, scrolls and a GDI device context.
// Images come from resources: ".ima" (16-bit 5-6-5, see ImaImage.h), 16-bit
// TGA and 8-bit bitmaps. A blit that meets a lost surface restores it and
// reloads the image. Game thread only.

#include <string>

#include "platform/ddraw/ddraw.h"
#include "platform/gdi/objects.h"

class CDDraw;

constexpr plat::DWORD kNoColourKey = 0xFFFFFFFF;

class CSprite {
 public:
  // Stores the fields and creates the surface; does not load the image.
  CSprite(CDDraw* owner, const char* imageName, plat::DWORD colourKey, plat::DWORD width, plat::DWORD height,
          plat::LONG x, plat::LONG y, plat::DWORD systemMemory);
  CSprite(CDDraw* owner, const char* imageName, plat::HMODULE module, plat::DWORD colourKey, plat::DWORD width,
          plat::DWORD height, plat::LONG x, plat::LONG y, plat::DWORD systemMemory);
  // Sized from the image, then created and loaded.
  CSprite(CDDraw* owner, plat::DWORD colourKey, plat::HMODULE module, const char* imageName, plat::LONG x, plat::LONG y,
          plat::DWORD systemMemory);
  ~CSprite();
  CSprite(const CSprite&) = delete;
  CSprite& operator=(const CSprite&) = delete;

  // DirectDraw result of creating the surface (surface stays null on failure).
  plat::HRESULT CreateSpriteSurface(plat::DWORD colourKey, plat::DWORD systemMemory);
  // Replaces the image name with a lower-cased copy; null clears it.
  void SetImageName(const char* name);
  // Loads the image named into the surface (module: the 8-bit path's only).
  // loaded becomes 1 when the reader reported no failure; a missing resource
  // is no failure and leaves the surface as it was.
  void LoadImage(plat::HMODULE module);
  // The image's size without loading it; out untouched when it is missing.
  void GetIMASize(plat::SIZE* size);
  void GetTGA16Size(plat::SIZE* size);
  void GetBMP8Size(plat::SIZE* size);
  // 0 when nothing failed (also for a missing resource); 1 when there is no
  // surface, it cannot be described or locked, or the image is malformed
  // (shorter than its header says). LoadBMP8Image: E_FAIL when neither
  // resource nor file exists.
  plat::HRESULT LoadIMAImage();
  plat::HRESULT LoadTGA16Image();
  plat::HRESULT LoadBMP8Image(plat::HMODULE module);
  // Stretch-copies a GDI bitmap (source size 0 = the bitmap's) onto the
  // destination rectangle (null = whole surface). E_FAIL without bitmap or
  // surface or when the copy fails.
  plat::HRESULT CopyBitmapToSurface(plat::HBITMAP bitmap, int srcX, int srcY, int srcWidth, int srcHeight,
                                    const plat::RECT* destRect);
  // Sets the source colour key from 0x00RRGGBB in the 5-6-5 or 5-5-5 encoding.
  void ResetColorKey(plat::DWORD key, plat::DWORD is565);
  void ClearError() { loaded = 0; }

  // Drawing: 0 or the DirectDraw failure code unless stated; a sprite without
  // a surface (its creation failed, or its image was missing when sized from
  // it) draws nothing and reports DDERR_INVALIDOBJECT.
  plat::HRESULT BltToPrimary(const plat::RECT* destRect, const plat::RECT* srcRect);
  plat::HRESULT BltDirectlyToPrimary(const plat::RECT* destRect, const plat::RECT* srcRect);
  // Copies the primary's rectangle at (x, y) of this sprite's size into it;
  // x 0xFFFFFFFF and y -1 take the sprite's own position.
  plat::HRESULT BltFromSurface(plat::LONG x, plat::LONG y);
  // At (x, y) on dest (-1: own x or y), srcRect null = whole sprite.
  plat::HRESULT BltToSurface(CSprite* dest, plat::LONG x, plat::LONG y, const plat::RECT* srcRect);
  // BltToSurface limited to `clip` (null = whole destination); draws nothing
  // when the sprite lies outside it.
  plat::HRESULT ClipRect(CSprite* dest, plat::LONG x, plat::LONG y, const plat::RECT* clip);
  // Stretches srcRect (null = whole sprite) over the whole destination; the
  // two middle values are not read.
  plat::HRESULT BltToSurfaceStretch(CSprite* dest, plat::LONG unusedX, plat::LONG unusedY, const plat::RECT* srcRect);
  plat::HRESULT BltToSurfaceFX(CSprite* dest, plat::LONG x, plat::LONG y, const plat::RECT* srcRect, plat::DWORD flags,
                               plat::DDBLTFX* fx);
  // 1 done, 0 when the surface cannot be locked. COLORREF colours.
  plat::DWORD FillSurface(plat::COLORREF colour, const plat::RECT* rect);
  plat::DWORD Fade(plat::WORD percent, plat::COLORREF colour, const plat::RECT* rect);
  // Move the contents by n > 0 pixels or rows and clear what was uncovered.
  void ScrollRight(plat::SHORT n);
  void ScrollLeft(plat::SHORT n);
  void ScrollDown(plat::SHORT n);
  void ScrollUp(plat::SHORT n);
  plat::HDC GetDC();
  void ReleaseDC(plat::HDC hdc);
  // 1 when skipped (full screen, minimised), else the DirectDraw result.
  plat::HRESULT RestoreSurface();
  // 1 when the surface (or the description given) is 5-6-5.
  plat::DWORD IsVideoIn565Format(const plat::DDSURFACEDESC* desc);

  CDDraw* owner = nullptr;
  plat::IDirectDrawSurface* surface = nullptr;
  plat::DWORD loaded = 0;
  plat::DWORD height = 0;
  plat::DWORD width = 0;
  plat::LONG x = 0;
  plat::LONG y = 0;
  plat::DWORD colourKey = kNoColourKey;
  std::string imageName;  // lower case; empty when none was given
  plat::HMODULE module = nullptr;

 private:
  enum class Kind { Ima, Tga, Other };
  Kind ImageKind() const;
  std::string ResourceName() const;
  plat::HRESULT Load16(Kind kind);
  // Locks the whole surface, restoring it once when lost; null on failure.
  void* LockWhole(plat::DDSURFACEDESC& desc);
  plat::DWORD BlitFlags() const;
  // Moves the contents n pixels along x (dx) or y (dy), clearing what was uncovered.
  void Scroll(plat::SHORT n, int dx, int dy);
};
