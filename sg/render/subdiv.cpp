// Perspective subdivision of screen triangles and their debugging outlines.

#include <algorithm>
#include <cstdint>

#include "sg/core/context.h"
#include "sg/fb/framebuffer.h"
#include "sg/raster/line.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/render/subdivpiece.h"

namespace {

using isg_subdiv::Acceptable;
using isg_subdiv::DrawPiece;
using isg_subdiv::Ratio;

struct Piece {
  const SGQVert* v[3];
  std::uint32_t len[3];  // len[i]: edge v[i] -> v[(i + 1) % 3]
};

SGQVert Midpoint(const SGQVert* x, const SGQVert* y) {
  const float r = Ratio(x, y);
  const float s = 1.f - r;
  SGQVert m;
  m.x = static_cast<std::int32_t>((static_cast<std::int64_t>(x->x) + y->x) >> 1);
  m.y = static_cast<std::int32_t>((static_cast<std::int64_t>(x->y) + y->y) >> 1);
  m.rhw = (x->rhw + y->rhw) / 2.f;
  m.u = r * x->u + s * y->u;
  m.v = r * x->v + s * y->v;
  m.q = r * x->q + s * y->q;
  m.col = r * x->col + s * y->col;
  return m;
}

void Subdivide(SGRenderer* rend, ISGTriFill fill, Piece p) {
  bool split[3];
  int count = 0;
  for (int i = 0; i < 3; ++i) {
    if (p.len[i] == 0) {
      p.len[i] = ISGQVertDist2(p.v[i], p.v[(i + 1) % 3]);
    }
    split[i] = !Acceptable(p.len[i], p.v[i], p.v[(i + 1) % 3]);
    count += split[i] ? 1 : 0;
  }
  if (count == 0) {
    DrawPiece(rend, fill, p.v[0], p.v[1], p.v[2]);
    return;
  }
  // Rotate so that the split edges come first (one: edge 0; two: edges 0 and 1).
  int first = 0;
  if (count == 1) {
    while (!split[first]) {
      ++first;
    }
  } else if (count == 2) {
    while (split[(first + 2) % 3]) {
      ++first;
    }
  }
  const SGQVert* v0 = p.v[first];
  const SGQVert* v1 = p.v[(first + 1) % 3];
  const SGQVert* v2 = p.v[(first + 2) % 3];
  const std::uint32_t l0 = p.len[first];
  const std::uint32_t l1 = p.len[(first + 1) % 3];
  const std::uint32_t l2 = p.len[(first + 2) % 3];
  if (count == 1) {
    const SGQVert m = Midpoint(v0, v1);
    Subdivide(rend, fill, Piece{{v0, &m, v2}, {l0 / 4, 0, l2}});
    Subdivide(rend, fill, Piece{{&m, v1, v2}, {l0 / 4, l1, 0}});
    return;
  }
  if (count == 2) {
    const SGQVert m0 = Midpoint(v0, v1);
    const SGQVert m1 = Midpoint(v1, v2);
    Subdivide(rend, fill, Piece{{&m0, v1, &m1}, {l0 / 4, l1 / 4, 0}});
    const std::uint32_t d0 = ISGQVertDist2(v0, &m1);
    const std::uint32_t d1 = ISGQVertDist2(&m0, v2);
    if (d0 < d1) {
      Subdivide(rend, fill, Piece{{v0, &m0, &m1}, {l0 / 4, 0, d0}});
      Subdivide(rend, fill, Piece{{v0, &m1, v2}, {d0, l1 / 4, l2}});
    } else {
      Subdivide(rend, fill, Piece{{v0, &m0, v2}, {l0 / 4, d1, l2}});
      Subdivide(rend, fill, Piece{{&m0, &m1, v2}, {0, l1 / 4, d1}});
    }
    return;
  }
  const SGQVert m01 = Midpoint(v0, v1);
  const SGQVert m12 = Midpoint(v1, v2);
  const SGQVert m20 = Midpoint(v2, v0);
  const Piece pieces[4] = {Piece{{v0, &m01, &m20}, {l0 / 4, 0, l2 / 4}}, Piece{{&m01, v1, &m12}, {l0 / 4, l1 / 4, 0}},
                           Piece{{&m20, &m12, v2}, {0, l1 / 4, l2 / 4}}, Piece{{&m01, &m12, &m20}, {0, 0, 0}}};
  for (const Piece& piece : pieces) {
    Subdivide(rend, fill, piece);
  }
}

}  // namespace

std::uint32_t ISGQVertDist2(const SGQVert* a, const SGQVert* b) { return isg_subdiv::Dist2(a, b); }

SGError ISGTriDrawSubdivided(const SGQVert* a, const SGQVert* b, const SGQVert* c, SGRenderer* rend, ISGTriFill fill,
                             std::uint32_t ab, std::uint32_t bc, std::uint32_t ca) {
  // One lock for all the pieces of a triangle, and within a scene draw for all
  // its triangles: locking costs more than a small piece. In single-step mode
  // the window's handlers show the frame between faces, so each unlocks.
  SGFrameBuffer* fb = rend->renFrameBuffer;
  void* pixels = nullptr;
  if (isg_subdiv::FrameHeld(fb) || SGFrameBufferLock(fb, &pixels) == SG_ERROR_NONE) {
    // Most triangles of a frame are small enough as they are: those go to
    // the fill straight away, the others into the recursion.
    ab = ab != 0 ? ab : ISGQVertDist2(a, b);
    bc = bc != 0 ? bc : ISGQVertDist2(b, c);
    ca = ca != 0 ? ca : ISGQVertDist2(c, a);
    if (Acceptable(ab, a, b) && Acceptable(bc, b, c) && Acceptable(ca, c, a)) {
      DrawPiece(rend, fill, a, b, c);
    } else {
      Subdivide(rend, fill, Piece{{a, b, c}, {ab, bc, ca}});
    }
  }
  if (rend->renHoldFrameLock != 0 && (rend->renFlags & SG_REND_FLAG_SINGLE_STEP) == 0) {
    return SG_ERROR_NONE;
  }
  return SGFrameBufferUnlock(fb);
}

void ISGTriOutline(const SGQVert* a, const SGQVert* b, const SGQVert* c, SGFrameBuffer* fb, std::uint32_t colour) {
  const bool indexed = fb->fbBPP == 8;
  if ((!indexed && fb->fbBPP != 16) || fb->fbWidth == 0 || fb->fbHeight == 0) {
    return;
  }
  // An indexed buffer takes the colour index itself.
  const std::uint32_t pixel = !indexed && fb->fbPixelTable != nullptr
                                  ? static_cast<const std::uint16_t*>(fb->fbPixelTable)[colour & 0xFF]
                                  : colour;
  const std::int32_t xmax = static_cast<std::int32_t>(fb->fbWidth) - 1;
  const std::int32_t ymax = static_cast<std::int32_t>(fb->fbHeight) - 1;
  const SGQVert* v[3] = {a, b, c};
  for (int i = 0; i < 3; ++i) {
    const SGQVert* p = v[i];
    const SGQVert* q = v[(i + 1) % 3];
    if (indexed) {
      ISGLineClip8(p->x, p->y, q->x, q->y, static_cast<std::uint8_t>(pixel), fb->fbPixels, fb->fbPitch, 0, 0, xmax,
                   ymax);
    } else {
      ISGLineClip16(p->x, p->y, q->x, q->y, pixel, fb->fbPixels, fb->fbPitch, 0, 0, xmax, ymax);
    }
  }
}

namespace {

// The 27.5 segment clipped to the pixel rectangle and rounded; false when nothing is left.
bool ClipToPixels(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::int32_t xmin,
                  std::int32_t ymin, std::int32_t xmax, std::int32_t ymax, std::int32_t out[4]) {
  float fx0 = static_cast<float>(x0) / 32.f, fy0 = static_cast<float>(y0) / 32.f;
  float fx1 = static_cast<float>(x1) / 32.f, fy1 = static_cast<float>(y1) / 32.f;
  if (!ISGClipSegmentToRect(&fx0, &fy0, &fx1, &fy1, static_cast<float>(xmin), static_cast<float>(ymin),
                            static_cast<float>(xmax), static_cast<float>(ymax))) {
    return false;
  }
  out[0] = ISGRoundPixel(fx0);
  out[1] = ISGRoundPixel(fy0);
  out[2] = ISGRoundPixel(fx1);
  out[3] = ISGRoundPixel(fy1);
  return true;
}

}  // namespace

void ISGLineClip16(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::uint32_t colour, void* base,
                   std::int32_t pitch, std::int32_t xmin, std::int32_t ymin, std::int32_t xmax, std::int32_t ymax) {
  std::int32_t p[4];
  if (ClipToPixels(x0, y0, x1, y1, xmin, ymin, xmax, ymax, p)) {
    ISGLine16(p[0], p[1], p[2], p[3], colour, base, pitch);
  }
}

void ISGLineClip8(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::uint8_t colour, void* base,
                  std::int32_t pitch, std::int32_t xmin, std::int32_t ymin, std::int32_t xmax, std::int32_t ymax) {
  std::int32_t p[4];
  if (ClipToPixels(x0, y0, x1, y1, xmin, ymin, xmax, ymax, p)) {
    ISGLine8(p[0], p[1], p[2], p[3], colour, base, pitch);
  }
}
