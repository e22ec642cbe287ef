#pragma once
// Further frame-buffer operations that the drawing road does not need:
// re-targeting onto another surface, a texture surface's palette, and two
// debugging drawings. Drawing thread only.

#include <cstdint>

#include "sg/fb/framebuffer.h"

struct SGTexDDInfo;

// Gives the texture record's surface an 8-bit palette made from the system
// colours. SG_ERROR_FB_BLIT_SURFACE.
SGError ISGFrameBufferCreateSurfacePalette(SGFrameBuffer* fb, SGTexDDInfo* tdi);

// The record SGFrameBufferSetSurface takes.
struct SGFrameBufferTarget {
  SGFrameBuffer* fb;
  SGRenderer* renderer;
  plat::IDirectDrawSurface* surface;
};
// Re-targets the frame buffer onto another surface (and its attached back
// buffer, if it has one): size, pitch, formats, palette and clipper are taken
// from it; the frame buffer then holds references on the new surfaces instead
// of the old. 0, SG_ERROR_NO_MEMORY, SG_ERROR_UNSUPPORTED (another depth),
// SG_ERROR_NO_LUT (8-bit surface without palette), SG_ERROR_FB_SURFACE.
SGError SGFrameBufferSetSurface(const SGFrameBufferTarget* target);

// Draws the text at (x, y) in 8 x 8 characters of the colour word, clipped to
// the frame buffer; locks and unlocks it. SG_ERROR_UNSUPPORTED for depths
// other than 8, 16 and 24.
SGError SGFrameBufferDrawText(SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::uint32_t colour,
                              const char* text);
// Draws the 256 installed system colours as 16 x 16 cells of 8 x 8 pixels at
// the top right corner. 0, SG_ERROR_UNSUPPORTED.
SGError SGFrameBufferDrawPaletteChart(SGFrameBuffer* fb);

// Table fillers for operations a frame buffer does not offer: the first
// returns SG_ERROR_UNSUPPORTED, the second does nothing and returns 0.
SGError SGFrameBufferUnsupported();
SGError SGFrameBufferNoOp(SGFrameBuffer* fb, std::uint32_t word);
