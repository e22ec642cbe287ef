#pragma once
// Frame buffers: the drawing target of the 3D library, a rectangle of pixels in
// a DirectDraw surface with its pixel format, the colour table that maps the
// library's colour indices to pixel values, and the way a frame is presented.
//
// Every operation takes the frame buffer first and returns a status (0 on
// success); results travel through out-parameters. The caller owns what
// SGFrameBufferCreate hands out and frees it with SGFrameBufferDestroy, after
// the renderer bound to it. Failed DirectDraw calls are reported through the
// device error report (sg/fb/sgerr.h) before the status is returned.
//
// A frame buffer record made by hand over plain memory (fbDDI null, fbPixels,
// fbPitch, size, depth, mode and format set) works too: it is always locked,
// clears write its memory, palettes give it its tables; blits refuse it.
//
// Drawing thread only: nothing here takes a lock, and a frame buffer, its
// surfaces and its window belong to the thread that created it.

#include <cstdint>

#include "platform/core/types.h"
#include "sg/core/sgerror.h"
#include "sg/raster/ddinfo.h"
#include "sg/raster/fill.h"

struct SGContext;
struct SGPalEntry;
struct SGRenderer;
struct SGTextureMap;

// Statuses of the frame buffer and its tables.
constexpr SGError SG_ERROR_FB_PALETTE = 0x109;       // DirectDraw palette not created, attached or set
constexpr SGError SG_ERROR_NO_LUT = 0x117;           // no palette to read (8-bit surface, lookup tables)
constexpr SGError SG_ERROR_FB_BLIT_SURFACE = 0x200;  // a texture's blit surface not created
constexpr SGError SG_ERROR_FB_DDRAW = 0x1001;        // DirectDraw object, caps, mode, level or clipper
constexpr SGError SG_ERROR_FB_WINDOW = 0x1002;       // the library's own window not created
constexpr SGError SG_ERROR_FB_SURFACE = 0x1003;      // a surface or its description
constexpr SGError SG_ERROR_FB_BACKBUFFER = 0x1004;   // no back buffer in the flip chain
constexpr SGError SG_ERROR_FB_SYSBUFFER = 0x1005;    // separate back buffer not created
constexpr SGError SG_ERROR_FB_SWAP = 0x1007;         // presentation failed
constexpr SGError SG_ERROR_FB_ACCESS = 0x1008;       // lock, unlock, restore or blit failed
constexpr SGError SG_ERROR_FB_D3D_CLEAR = 0x1202;    // a Direct3D clear step failed

// Option bits (fboCodes).
constexpr std::uint32_t SG_FB_OPT_WINDOWED = 0x1;
constexpr std::uint32_t SG_FB_OPT_SYSTEM_MEMORY = 0x2;
constexpr std::uint32_t SG_FB_OPT_SIZE_MASK = 0xF0;      // 0: window's client area, or 640 x 480
constexpr std::uint32_t SG_FB_OPT_SIZE_EXPLICIT = 0x10;  // fboWidth x fboHeight
constexpr std::uint32_t SG_FB_OPT_PIXEL_MASK = 0xFF000;  // 0: the desktop's depth
constexpr std::uint32_t SG_FB_OPT_IDX8 = 0x1000;
constexpr std::uint32_t SG_FB_OPT_RGB8 = 0x2000;
constexpr std::uint32_t SG_FB_OPT_RGB16 = 0x4000;
constexpr std::uint32_t SG_FB_OPT_RGB24 = 0x8000;
constexpr std::uint32_t SG_FB_OPT_QUASI_RGB16 = 0x10000;
constexpr std::uint32_t SG_FB_OPT_QUASI_RGB24 = 0x20000;
constexpr std::uint32_t SG_FB_OPT_USER_PALETTE = 0x100000;     // never attach a palette to a surface
constexpr std::uint32_t SG_FB_OPT_CALLER_SURFACES = 0x200000;  // draw into fboFront / fboBack
constexpr std::uint32_t SG_FB_OPT_NO_3D = 0x400000;
constexpr std::uint32_t SG_FB_OPT_EMULATION_CAPS = 0x800000;
constexpr std::uint32_t SG_FB_OPT_OFFSCREEN = 0x1000000;   // no window, no cooperative level
constexpr std::uint32_t SG_FB_OPT_DRAW_FRONT = 0x2000000;  // draw into the front surface
constexpr std::uint32_t SG_FB_OPT_COLOUR_KEY = 0x4000000;  // black source key on own surfaces

// State flags (fbFlags).
constexpr std::uint32_t SG_FB_FLAG_WINDOWED = 0x2;       // swap blits into the window's client area
constexpr std::uint32_t SG_FB_FLAG_CALLER_WINDOW = 0x4;  // destroy leaves the window alone
constexpr std::uint32_t SG_FB_FLAG_USER_PALETTE = 0x8;
constexpr std::uint32_t SG_FB_FLAG_SHARED_DDI = 0x10;  // device information is another's
constexpr std::uint32_t SG_FB_FLAG_NO_3D = 0x20;       // drawn in software
constexpr std::uint32_t SG_FB_FLAG_CALLER_DD = 0x80;
constexpr std::uint32_t SG_FB_FLAG_OFFSCREEN = 0x100;       // the context's ctxDDI is not replaced
constexpr std::uint32_t SG_FB_FLAG_SINGLE_SURFACE = 0x200;  // back is front: swap presents nothing
constexpr std::uint32_t SG_FB_FLAG_NONLOCAL_VIDMEM = 0x800;
constexpr std::uint32_t SG_FB_FLAG_PAGE_LOCK = 0x1000;

// Device information flags (ddiFlags).
constexpr std::uint32_t SG_DDI_LOCKED = 0x1;
constexpr std::uint32_t SG_DDI_SYSTEM_MEMORY = 0x2;
constexpr std::uint32_t SG_DDI_FLIP = 0x4;
constexpr std::uint32_t SG_DDI_EMULATION_CAPS = 0x8;

// Read only during creation.
struct SGFrameBufferOptions {
  std::uint32_t fboCodes;
  std::uint32_t fboWidth;  // with SG_FB_OPT_SIZE_EXPLICIT
  std::uint32_t fboHeight;
  plat::HINSTANCE fboInstance;  // strings 20 (title) and 30 (class) name the library's own window
  std::int32_t fboShowCmd;      // how the library's own window is shown
  plat::HWND fboHWnd;           // the caller's window, or null
  plat::IDirectDraw* fboDD;     // the caller's DirectDraw object, or null
  SGDDInfo* fboDDI;             // another frame buffer's device information to share, or null
  plat::IDirectDrawSurface* fboFront;
  plat::IDirectDrawSurface* fboBack;
};

// Begins with the rasterizer's frame (fbPixels, fbPitch, fbPixelFormat), so a
// frame buffer is handed to the fills as it is.
struct SGFrameBuffer : SGRasterFrame {
  SGPixelFormat fbTexelFormat;  // textures are converted to it; a copy of fbPixelFormat
  SGContext* fbContext;         // not owned
  std::uint32_t fbFlags;
  std::uint32_t fbWidth;
  std::uint32_t fbHeight;
  std::uint32_t fbMode;   // SG_FB_MODE_IDX, SG_FB_MODE_RGB or SG_FB_MODE_QUASI_RGB
  std::uint32_t fbBPP;    // 8, 16 or 24
  SGPalEntry* fbColours;  // the installed colours, 256 entries; owned
  // Per colour index its pixel value: 256 entries, those past fbColourCount 0
  // (16-bit values at 16 bpp, 32-bit at 24 bpp); in SG_FB_MODE_IDX a second copy
  // of the colours (SGPalEntry). Owned; null until a palette is installed.
  void* fbPixelTable;
  std::uint32_t fbColourCount;
  SGRenderer* fbRenderer;  // set by the renderer it is bound to; not owned
  SGDDInfo* fbDDI;         // owned unless SG_FB_FLAG_SHARED_DDI
};

// Creates a frame buffer for the context. On failure *out is null and nothing
// is left behind. Unless off-screen, the context's ctxDDI becomes fbDDI.
SGError SGFrameBufferCreate(SGContext* ctx, SGFrameBuffer** out, const SGFrameBufferOptions* opts);
// Releases the surfaces, palette, clipper and DirectDraw object it holds,
// destroys the library's own window, frees the tables and the record. 0.
SGError SGFrameBufferDestroy(SGFrameBuffer* fb);

// Locks the back surface (nothing to do when already locked) and hands out
// fbPixels. A lost surface is restored and locked again; a surface locked by
// someone else or failing for good gives SG_ERROR_FB_ACCESS, fbPixels unchanged.
SGError SGFrameBufferLock(SGFrameBuffer* fb, void** pixels);
// Restores lost surfaces and unlocks; 0 when not locked. SG_ERROR_FB_ACCESS.
SGError SGFrameBufferUnlock(SGFrameBuffer* fb);
// Unlocks and presents: nothing with SG_FB_FLAG_SINGLE_SURFACE or over plain memory, else a flip,
// a blit into the window's client area, or a blit to the front surface.
// SG_ERROR_FB_SWAP.
SGError SGFrameBufferSwap(SGFrameBuffer* fb);
// Does nothing; the scene draw calls it before drawing. 0.
SGError SGFrameBufferBeginScene(SGFrameBuffer* fb);

// size[0] = fbWidth, size[1] = fbHeight.
SGError SGFrameBufferGetSize(const SGFrameBuffer* fb, std::uint32_t size[2]);
SGError SGFrameBufferGetMode(const SGFrameBuffer* fb, std::uint32_t* mode);
SGError SGFrameBufferGetBPP(const SGFrameBuffer* fb, std::uint32_t* bpp);
SGError SGFrameBufferGetPitch(const SGFrameBuffer* fb, std::int32_t* pitch);

// Installs `count` (at most 256) colours: fbColours, fbPixelTable and
// fbColourCount; in SG_FB_MODE_IDX also the DirectDraw palette and the
// context's ctxPalette. Packed pixel values: entry 0 is 0 and no other entry
// is (a colour that packs to 0 becomes one unit in each channel). 0, 1,
// SG_ERROR_UNSUPPORTED (more than 256 colours, or a depth other than 16 or 24),
// SG_ERROR_FB_PALETTE. Running out of memory keeps the tables installed before.
SGError SGFrameBufferInstallPalette(SGFrameBuffer* fb, const SGPalEntry* colours, std::uint32_t count);

// A colour word: red in bits 24-31, green 16-23, blue 8-15; in SG_FB_MODE_IDX
// the low byte is the palette index instead.
//
// Fills the rectangle (x, y, width, height), clipped to the frame buffer, with
// the colour. A rectangle wholly outside clears nothing and returns 0. A failed
// DirectDraw fill is reported and still returns 0; SG_ERROR_FB_ACCESS when the
// surface cannot be unlocked first.
SGError SGFrameBufferClearRegion(SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::int32_t width,
                                 std::int32_t height, std::uint32_t colour);
// Fills the whole frame buffer with the colour; SG_ERROR_FB_ACCESS when the
// DirectDraw fill fails (the pixels are then zeroed through a lock).
SGError SGFrameBufferClear(SGFrameBuffer* fb, std::uint32_t colour);

// Blits the whole texture map (stretched) into the rectangle, clipped to the
// frame buffer; the texture's blit surface is made on first use and kept in its
// tpiDDInfo. A map with SG_TXM_NO_DRAW is never blitted; SG_TXM_KEYED blits
// with black as source colour key. 0, 1, SG_ERROR_UNSUPPORTED, SG_ERROR_NO_LUT
// (no colour table to convert its texels through yet), SG_ERROR_FB_BLIT_SURFACE,
// SG_ERROR_FB_ACCESS.
SGError SGFrameBufferBlitTextureRegion(SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::int32_t width,
                                       std::int32_t height, SGTextureMap* txm);
// Blits a whole DirectDraw surface into the rectangle as above; flags bit 0x1
// blits with the surface's source colour key. SG_ERROR_FB_ACCESS.
SGError SGFrameBufferBlitSurface(SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::int32_t width,
                                 std::int32_t height, plat::IDirectDrawSurface* surface, std::uint32_t flags);
// Releases a texture's blit surface and its record (tpiDDInfo); 0.
SGError ISGFrameBufferReleaseBlitSurface(SGTextureMap* txm);
