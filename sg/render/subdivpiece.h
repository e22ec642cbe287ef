#pragma once
// The pieces of the perspective subdivision that the triangle slot's drawing
// inlines: whether an edge needs no split, and the drawing of a finished
// piece. Drawing thread only, inside a frame.

#include <cstdint>

#include "sg/core/context.h"
#include "sg/fb/framebuffer.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"

namespace isg_subdiv {

constexpr std::uint32_t kShortEdge = 150000;  // about 12 pixels, squared in 27.5
constexpr std::uint32_t kFlatEdge = 3686400;  // 60 pixels
constexpr std::uint32_t kOutlineColour = 127;

// Squared 27.5 length of an edge, at most 0xFFFFFFFF.
inline std::uint32_t Dist2(const SGQVert* a, const SGQVert* b) {
  const std::int64_t dx = static_cast<std::int64_t>(a->x) - b->x;
  const std::int64_t dy = static_cast<std::int64_t>(a->y) - b->y;
  const std::int64_t d = dx * dx + dy * dy;
  return d > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<std::uint32_t>(d);
}

inline float Ratio(const SGQVert* x, const SGQVert* y) {
  const float sum = x->rhw + y->rhw;
  return sum != 0.f ? x->rhw / sum : 0.5f;
}

inline bool Acceptable(std::uint32_t len, const SGQVert* x, const SGQVert* y) {
  if (len <= kShortEdge) {
    return true;
  }
  if (len > kFlatEdge) {
    return false;
  }
  // Taken from the farther end whichever way the edge runs: the two triangles
  // that share an edge must split it alike, or a crack opens between them.
  // Measured and not kept: for two positive ends, the lower bound tested
  // without the division, as a product in double with the point halfway
  // below 0.45f, to the bit the same: the terrain frame 3.92 instance
  // frames against 3.91 (medians of six alternating pinned runs).
  const float r = x->rhw <= y->rhw ? Ratio(x, y) : Ratio(y, x);
  return r >= 0.45f && r <= 0.55f;
}

// The frame buffer is locked while a piece is drawn (ISGTriDrawSubdivided).
[[gnu::always_inline]] inline void DrawPiece(SGRenderer* rend, ISGTriFill fill, const SGQVert* a, const SGQVert* b,
                                             const SGQVert* c) {
  SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fill != nullptr) {
    fill(a, b, c, fb, rend->renFillTexels, rend->renFillLUT, rend->renFillColour);
  }
  if (rend->renContext != nullptr && (rend->renContext->ctxDebug & SG_CTX_DEBUG_DRAW) != 0) {
    ISGTriOutline(a, b, c, fb, kOutlineColour);
  }
}

// Whether locking the buffer would change nothing: plain memory, or locked already.
inline bool FrameHeld(const SGFrameBuffer* fb) {
  const SGDDInfo* ddi = fb->fbDDI;
  return ddi == nullptr || (ddi->ddiFlags & SG_DDI_LOCKED) != 0;
}

}  // namespace isg_subdiv
