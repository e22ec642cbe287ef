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
