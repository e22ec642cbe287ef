#pragma once
// What the frame-buffer files share: the opening steps, the surface helpers and
// colour packing. Not for callers outside sg/fb/ (and their tests); drawing
// thread only.

#include <cstdint>

#include "platform/ddraw/ddraw.h"
#include "sg/fb/framebuffer.h"

// A DirectDraw call that keeps answering "lost" or "still drawing" is given up
// after this many tries instead of being retried for ever.
constexpr int SG_FB_MAX_TRIES = 8;

// Opening steps, each returning a status; the partly opened frame buffer is
// destroyed by the caller on failure.
SGError ISGFrameBufferOpenCallerSurfaces(SGFrameBuffer* fb, const SGFrameBufferOptions* opts);
SGError ISGFrameBufferOpenDevice(SGFrameBuffer* fb, const SGFrameBufferOptions* opts);
SGError ISGFrameBufferOpenShared(SGFrameBuffer* fb, const SGFrameBufferOptions* opts);
SGError ISGFrameBufferCreateWindow(SGFrameBuffer* fb, const SGFrameBufferOptions* opts);
SGError ISGFrameBufferCreatePalette(SGFrameBuffer* fb);

// Restores the front surface, and the back surface when it is a separate one.
// SG_ERROR_FB_ACCESS.
SGError ISGFrameBufferRestore(SGFrameBuffer* fb);

// Reads a surface's description by locking it (retrying a bounded number of
// times, restoring it when lost) and unlocking it at once; a surface locked by
// someone else is described without its pixels. The last failing result.
plat::HRESULT ISGSurfaceDescribe(plat::IDirectDrawSurface* surface, plat::DDSURFACEDESC* desc);
// Takes capability flags, size, pitch and, unless indexed, the pixel and texel
// formats from a surface's description. SG_ERROR_UNSUPPORTED when the
// surface's depth is not the frame buffer's.
SGError ISGFrameBufferTakeDescription(SGFrameBuffer* fb, const plat::DDSURFACEDESC& desc);
// Allocates ddiSysColours when absent and reads the screen's 256 system
// palette entries into it. SG_ERROR_NO_MEMORY.
SGError ISGFrameBufferReadSystemColours(SGDDInfo* ddi);
// Bits per pixel of the desktop (planes x bits of the screen's DC).
std::uint32_t ISGDesktopDepth();
// Reads the capabilities of ddiDD: the two page flags and, when `judge3D`,
// SG_FB_FLAG_NO_3D (turning RGB into quasi-RGB) without 3D ability.
// SG_ERROR_FB_DDRAW.
SGError ISGFrameBufferReadCaps(SGFrameBuffer* fb, bool judge3D);
void ISGFrameBufferLose3D(SGFrameBuffer* fb);

// The colour's red, green and blue (bits 24-31, 16-23, 8-15) in the format.
std::uint32_t ISGPackColour(const SGPixelFormat& pf, std::uint32_t red, std::uint32_t green, std::uint32_t blue);
std::uint32_t ISGPackColourWord(const SGPixelFormat& pf, std::uint32_t colour);

// Clamps (x, y, width, height) to the frame buffer into a rectangle; false
// when nothing of it lies inside.
bool ISGFrameBufferClipRect(const SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, plat::RECT* out);

// Colour entries to and from the platform's palette entries.
void ISGToPlatformEntries(const SGPalEntry* from, plat::PALETTEENTRY* to, std::uint32_t count);
void ISGFromPlatformEntries(const plat::PALETTEENTRY* from, SGPalEntry* to, std::uint32_t count);
