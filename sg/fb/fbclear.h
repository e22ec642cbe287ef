#pragma once
// The ways a frame buffer is cleared and blitted into, below the operations
// of framebuffer.h. Drawing thread only.

#include <cstdint>

#include "platform/ddraw/ddraw.h"
#include "sg/fb/framebuffer.h"

// Colour fills try DirectDraw's no-tearing effect until it first fails; 1 at
// start, and once 0 it stays 0 for the rest of the run.
extern std::uint32_t g_sgClearNoTearing;

// A blit into the frame buffer's back surface (or any target), tried again a
// bounded number of times while the target is still drawing, and after
// restoring the frame buffer when its back surface was lost. The last result.
plat::HRESULT ISGFrameBufferBlt(SGFrameBuffer* fb, plat::IDirectDrawSurface* target, const plat::RECT* dst,
                                plat::IDirectDrawSurface* src, const plat::RECT* srcRect, plat::DWORD flags,
                                const plat::DDBLTFX* fx);

// The region clears by DirectDraw colour fill and by writing locked memory;
// `r` is already clipped to the frame buffer.
SGError ISGFrameBufferClearRegionDD(SGFrameBuffer* fb, const plat::RECT& r, std::uint32_t colour);
SGError ISGFrameBufferClearRegionMem(SGFrameBuffer* fb, const plat::RECT& r, std::uint32_t colour);
// The clear through the bound renderer's Direct3D device: its background
// material takes the colour and the viewport clears the rectangle. Queued
// primitives are drawn first. SG_ERROR_FB_D3D_CLEAR when a step fails.
SGError ISGFrameBufferClearRegionD3D(SGFrameBuffer* fb, const plat::RECT& r, std::uint32_t colour);
