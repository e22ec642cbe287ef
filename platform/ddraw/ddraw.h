#pragma once
// The DirectDraw role: a display object, surfaces in memory, clippers and
// palettes, with the classic calls, flags and result codes.
//
// The display is the 800 x 600, 16-bit screen of the backend: the primary
// surface draws straight into it. Off-screen surfaces are 16-bit in the
// screen's format (5-6-5 unless a test made the display 5-5-5) unless their
// description asks for 5-6-5, 5-5-5 or 8-bit palettised pixels. Objects are
// reference counted: Release frees an object when its count reaches 0. A
// surface keeps its display object alive; a primary with a back buffer keeps
// the back buffer.
//
// Blits copy between surfaces of the same pixel format, stretching (nearest
// pixel) when the rectangles differ in size, and skip source pixels within the
// source colour key. A destination rectangle must lie inside the destination
// surface (DDERR_INVALIDRECT otherwise) unless a clipper is attached, which
// clips it to the clipper window's client area on the screen. Called from the program's thread only.

#include <array>
#include <span>
#include <vector>

#include "platform/core/types.h"
#include "platform/ddraw/ddconst.h"

namespace plat {

class IDirectDraw;
class IDirectDrawSurface;
class IDirectDrawClipper;
class IDirectDrawPalette;
// The second surface interface is the same object.
using IDirectDrawSurface2 = IDirectDrawSurface;
using LPDIRECTDRAW = IDirectDraw*;
using LPDIRECTDRAWSURFACE = IDirectDrawSurface*;
using LPDIRECTDRAWCLIPPER = IDirectDrawClipper*;
using LPDIRECTDRAWPALETTE = IDirectDrawPalette*;

extern const GUID IID_IDirectDraw;
extern const GUID IID_IDirectDraw2;
extern const GUID IID_IDirectDrawSurface;
extern const GUID IID_IDirectDrawSurface2;

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue = 0;
  DWORD dwColorSpaceHighValue = 0;
};

struct DDSCAPS {
  DWORD dwCaps = 0;
};

struct DDPIXELFORMAT {
  DWORD dwSize = sizeof(DDPIXELFORMAT);
  DWORD dwFlags = 0;
  DWORD dwFourCC = 0;
  DWORD dwRGBBitCount = 0;
  DWORD dwRBitMask = 0;
  DWORD dwGBitMask = 0;
  DWORD dwBBitMask = 0;
  DWORD dwRGBAlphaBitMask = 0;
};

// dwSize must be sizeof(DDSURFACEDESC): the record is laid out for this
// layer, not as the classic 108 bytes.
struct DDSURFACEDESC {
  DWORD dwSize = sizeof(DDSURFACEDESC);
  DWORD dwFlags = 0;
  DWORD dwHeight = 0;
  DWORD dwWidth = 0;
  LONG lPitch = 0;
  DWORD dwBackBufferCount = 0;
  DWORD dwRefreshRate = 0;
  void* lpSurface = nullptr;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
};

struct DDBLTFX {
  DWORD dwSize = sizeof(DDBLTFX);
  DWORD dwDDFX = 0;
  DWORD dwFillColor = 0;  // pixel value (palette index on 8-bit surfaces)
  DDCOLORKEY ddckSrcColorkey;
};

struct DDCAPS {
  DWORD dwSize = sizeof(DDCAPS);
  DWORD dwCaps = 0;
  DWORD dwCaps2 = 0;
  DWORD dwCKeyCaps = 0;
  DWORD dwFXCaps = 0;
  DWORD dwPalCaps = 0;
  DWORD dwVidMemTotal = 0;
  DWORD dwVidMemFree = 0;
  DDSCAPS ddsCaps;
};

// Reference counting shared by the DirectDraw objects.
class DDObject {
 public:
  DDObject(const DDObject&) = delete;
  DDObject& operator=(const DDObject&) = delete;
  ULONG AddRef() { return ++refs_; }
  // Returns the count left; 0 means the object is gone.
  ULONG Release();

 protected:
  DDObject() = default;
  virtual ~DDObject() = default;

 private:
  ULONG refs_ = 1;
};

class IDirectDrawPalette : public DDObject {
 public:
  HRESULT GetCaps(DWORD* caps);
  HRESULT GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries);
  HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, const PALETTEENTRY* entries);
  const std::array<PALETTEENTRY, 256>& Entries() const { return entries_; }

 private:
  friend class IDirectDraw;
  explicit IDirectDrawPalette(DWORD caps) : caps_(caps) {}
  DWORD caps_;
  std::array<PALETTEENTRY, 256> entries_{};
};

class IDirectDrawClipper : public DDObject {
 public:
  // Clips blits to the window's client area on the screen.
  HRESULT SetHWnd(DWORD flags, HWND hwnd);
  HRESULT GetHWnd(HWND* hwnd);

 private:
  friend class IDirectDraw;
  IDirectDrawClipper() = default;
  HWND hwnd_ = nullptr;
};

class IDirectDrawSurface : public DDObject {
 public:
  HRESULT QueryInterface(REFIID iid, void** out);
  HRESULT GetSurfaceDesc(DDSURFACEDESC* desc);
  HRESULT GetCaps(DDSCAPS* caps);
  HRESULT GetPixelFormat(DDPIXELFORMAT* format);
  // Locks the whole surface (rect null) or a rectangle inside it: lpSurface
  // points at its top-left pixel, lPitch bytes apart row by row. A second lock
  // before Unlock is refused with DDERR_SURFACEBUSY.
  HRESULT Lock(const RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event);
  HRESULT Unlock(void* surfaceData);
  HRESULT IsLost();
  // Brings a lost surface back, blank. DDERR_WRONGMODE while the exclusive
  // display is minimised.
  HRESULT Restore();
  // DDCKEY_SRCBLT only; null removes the key.
  HRESULT SetColorKey(DWORD flags, const DDCOLORKEY* key);
  HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key);
  // DDBLT_WAIT, DDBLT_ASYNC, DDBLT_KEYSRC, DDBLT_KEYSRCOVERRIDE, DDBLT_COLORFILL
  // and DDBLT_DDFX with DDBLTFX_NOTEARING; other flags give DDERR_UNSUPPORTED.
  HRESULT Blt(const RECT* dstRect, IDirectDrawSurface* src, const RECT* srcRect, DWORD flags, const DDBLTFX* fx);
  // No stretching and no clipper (DDERR_BLTFASTCANTCLIP).
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* src, const RECT* srcRect, DWORD trans);
  // The primary of a flip chain trades pictures with its back buffer.
  HRESULT Flip(IDirectDrawSurface* target, DWORD flags);
  // DDSCAPS_BACKBUFFER of a flip chain; DDERR_NOTFOUND for anything else.
  HRESULT GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** out);
  // 8-bit surfaces only; null detaches.
  HRESULT SetPalette(IDirectDrawPalette* palette);
  HRESULT GetPalette(IDirectDrawPalette** out);
  HRESULT SetClipper(IDirectDrawClipper* clipper);
  HRESULT GetClipper(IDirectDrawClipper** out);
  // The display object (an IDirectDraw*, with a reference taken).
  HRESULT GetDDInterface(void** out);
  // Memory is never paged out: both only succeed.
  HRESULT PageLock(DWORD flags);
  HRESULT PageUnlock(DWORD flags);

  // A GDI device context on the surface and its return; defined by the GDI
  // layer (platform/gdi/), which keeps the DC handed out in dc_. While a DC is
  // out, locks and blits report DDERR_SURFACEBUSY.
  HRESULT GetDC(HDC* out);
  HRESULT ReleaseDC(HDC hdc);

  // Test hook: the next Lock, Blt, BltFast (as destination or source) or Flip
  // reports `result`: DDERR_SURFACELOST (the surface is then lost until
  // Restore), DDERR_SURFACEBUSY or DDERR_WASSTILLDRAWING, whatever wait flag
  // the call carries.
  void FailNextAccess(HRESULT result);

  // The pixels without locking, for the platform layer (the GDI layer draws
  // through it): 8 or 16 bits per pixel; an 8-bit surface carries its palette.
  struct PixelView {
    BYTE* bits = nullptr;
    LONG pitch = 0;
    DWORD width = 0;
    DWORD height = 0;
    DWORD bitCount = 0;
    DWORD redMask = 0, greenMask = 0, blueMask = 0;
    const IDirectDrawPalette* palette = nullptr;
  };
  PixelView Pixels();

 private:
  friend class IDirectDraw;
  friend void SetDisplayDeactivated(bool);
  IDirectDrawSurface(IDirectDraw* owner, DWORD width, DWORD height, const DDPIXELFORMAT& format, DWORD caps,
                     bool primary);
  ~IDirectDrawSurface() override;

  BYTE* Bits();
  HRESULT Access();  // lost, busy or an injected failure
  // Copies srcRect onto dst (stretching when the sizes differ), writing only
  // the parts of dst inside `clips`; a copy within the surface reads the
  // pixels as they were before any of it.
  HRESULT CopyFrom(IDirectDrawSurface* src, const RECT& dst, const RECT& srcRect, std::span<const RECT> clips,
                   const DDCOLORKEY* key);
  void Fill(const RECT& r, DWORD value);
  bool SameFormat(const IDirectDrawSurface& other) const;
  bool Inside(const RECT& r) const;
  // The rectangles a blit may write with the clipper attached: the clipper
  // window's client area on the surface, less its clipped children. Into
  // clips_, whose room (and that of the other scratch lists below) stays
  // from one blit to the next, so a warm frame's blits make no heap call.
  void ClipList();
  void Blank();

  IDirectDraw* owner_;
  DWORD width_, height_;
  LONG pitch_;
  DDPIXELFORMAT format_;
  DWORD caps_;
  bool primary_;
  std::vector<BYTE> own_;  // the pixels, except for the primary's (the screen)
  bool locked_ = false;
  bool lost_ = false;
  HRESULT pendingFailure_ = DD_OK;
  bool hasSrcKey_ = false;
  DDCOLORKEY srcKey_;
  IDirectDrawSurface* backBuffer_ = nullptr;  // owned reference
  IDirectDrawPalette* palette_ = nullptr;     // owned reference
  IDirectDrawClipper* clipper_ = nullptr;     // owned reference
  HDC dc_ = nullptr;                          // the GDI layer's
  std::vector<RECT> clips_, clipsRest_, children_, covering_;
  std::vector<std::size_t> columns_;  // source column of each destination column of a stretch
  std::vector<BYTE> snapshot_;        // the pixels of a copy within the surface
};

class IDirectDraw : public DDObject {
 public:
  HRESULT QueryInterface(REFIID iid, void** out);
  // A primary (DDSCAPS_PRIMARYSURFACE; with DDSD_BACKBUFFERCOUNT 1, FLIP and
  // COMPLEX a flip chain, only in exclusive mode) or an off-screen surface
  // (DDSD_WIDTH and DDSD_HEIGHT needed; DDSD_PIXELFORMAT optional;
  // DDSCAPS_SYSTEMMEMORY for system memory, else video memory).
  HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** out, void* outer);
  HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, void* outer);
  // DDPCAPS_8BIT palettes of 256 entries, initialised from `entries`.
  HRESULT CreatePalette(DWORD flags, const PALETTEENTRY* entries, IDirectDrawPalette** out, void* outer);
  HRESULT GetDisplayMode(DDSURFACEDESC* desc);
  // The display runs at 800 x 600 x 16 only; other modes give DDERR_INVALIDMODE.
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel);
  HRESULT RestoreDisplayMode();
  // DDSCL_NORMAL, or DDSCL_EXCLUSIVE with DDSCL_FULLSCREEN (the backend then
  // shows the screen full screen). One display object at a time is exclusive.
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags);
  HRESULT GetCaps(DDCAPS* driver, DDCAPS* emulation);
  HRESULT GetAvailableVidMem(const DDSCAPS* caps, DWORD* total, DWORD* free);

 private:
  friend HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** out, void* outer);
  friend class IDirectDrawSurface;
  IDirectDraw() = default;
  ~IDirectDraw() override;
  bool exclusive_ = false;
};

// The display object of the one display driver (driver null); any other GUID
// gives DDERR_INVALIDDIRECTDRAWGUID.
HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** out, void* outer);
// Calls back once, for the primary display driver (GUID null). The callback
// returns FALSE to stop.
using LPDDENUMCALLBACK = BOOL (*)(GUID* guid, const char* description, const char* name, void* context);
HRESULT DirectDrawEnumerate(LPDDENUMCALLBACK callback, void* context);

// Defined by the Direct3D role (platform/d3d/), which answers the interface
// ids DirectDraw does not know: IID_IDirect3D2 of a display object and
// IID_IDirect3DTexture2 of a surface, each a new object holding a reference on
// what it came from; E_NOINTERFACE for any other id.
HRESULT Direct3DQueryDisplay(IDirectDraw* dd, REFIID iid, void** out);
HRESULT Direct3DQuerySurface(IDirectDrawSurface* surface, REFIID iid, void** out);

}  // namespace plat
