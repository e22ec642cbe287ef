#pragma once
// The software triangle slot's work after its clip test, shared by the slot
// and by the face lists' path for faces wholly inside the view, which calls
// it straight from the prepared corners: both draw a triangle by the same
// code, so they cannot come to differ. Drawing thread only, inside a frame.

#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "sg/core/context.h"
#include "sg/fb/framebuffer.h"
#include "sg/material/material.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/render/subdivpiece.h"

namespace isg_ep {

// How far (27.5) a clipped vertex may stray outside the buffer: half a pixel and rounding.
constexpr std::int64_t kSlack = 32;

inline std::uint32_t ContextDebug(const SGRenderer* rend) {
  return rend->renContext != nullptr ? rend->renContext->ctxDebug : 0;
}

inline std::uint32_t EffectiveType(std::uint32_t debug, const SGMaterial* mat, std::uint32_t orFlags) {
  std::uint32_t type = mat->matType;
  if ((orFlags & SG_TXV_FOGGED) != 0) {
    type += SG_MAT_TYPE_FOG;
  }
  const std::uint32_t base = type & SG_MAT_TYPE_MASK;
  if ((orFlags & (SG_TXV_FOGGED | SG_TXV_SHADED)) == 0) {
    std::uint32_t lit = base;
    if (base == SG_MAT_TYPE_SHADED) {
      lit = SG_MAT_TYPE_FLAT;
    } else if (base == SG_MAT_TYPE_SHADED_TEXTURE) {
      lit = SG_MAT_TYPE_TEXTURE;
    } else if (base == SG_MAT_TYPE_SHADED_TRANSPARENT_TEXTURE) {
      lit = SG_MAT_TYPE_TRANSPARENT_TEXTURE;
    }
    type = (type & ~SG_MAT_TYPE_MASK) | lit;
  }
  if ((type & SG_MAT_TYPE_MASK) == SG_MAT_TYPE_TEXTURE && (debug & SG_CTX_DEBUG_NO_TEXTURES) != 0) {
    type = (type & ~SG_MAT_TYPE_MASK) | SG_MAT_TYPE_FLAT;
  }
  return type;
}

// A 27.5 screen coordinate rounded to an integer; a value out of any buffer's
// range (or not a number) becomes INT32_MIN, which the range check refuses.
// Rounded in the current rounding mode, as lrint does, without its library call.
inline std::int32_t RoundScreen(float value) {
  if (!(value > -1073741824.f && value < 1073741824.f)) {
    return INT32_MIN;
  }
#if defined(__SSE2__)
  return _mm_cvtss_si32(_mm_set_ss(value));
#else
  return static_cast<std::int32_t>(std::lrint(value));
#endif
}

inline void MakeUV(SGQVert* q, const float uv[2], const SGTextureMap* txm) {
  if (txm == nullptr) {
    q->u = q->v = 0.5f;
    return;
  }
  q->u = (uv[0] * static_cast<float>(txm->txmSize.u[0] - 1) + 0.5f) * 32.f;
  q->v = (uv[1] * static_cast<float>(txm->txmSize.u[1] - 1) + 0.5f) * 32.f;
}

// The next free screen vertex; 0xFFFFFFFF when the array cannot grow.
inline std::uint32_t NextQVert(SGRenderer* rend) {
  // The array has room nearly always: the call only when it must grow.
  return rend->renNextQVert < rend->renNumQVerts ? rend->renNextQVert++ : ISGRendererNewQVert(rend);
}

// What a screen vertex is made from: a transformed vertex's values, or a
// prepared vertex's with its corner's texture coordinates and shade.
struct CornerValues {
  const float* loc;  // screen x, y, z/w, q
  const float* uv;
  std::uint8_t colour;
  float shade;
  float fog;
};

// Writes the screen vertex of a corner drawn in a triangle whose corners'
// flags together are `orFlags`. On an indexed buffer the material's own ramp
// carries its lighting, so the shade goes in unweighted. Measured and not
// kept: the shade scale, the texture's size less one and the material's
// weights read once for a face list's run of a material rather than for each
// corner: the 200-rock scene frame 7.08 full-viewport fills against 7.06
// (medians of eight alternating pinned runs).
[[gnu::always_inline]] inline void MakeQVert(const SGRenderer* rend, const SGMaterial* mat, const CornerValues& in,
                                             std::uint32_t orFlags, bool indexed, SGQVert* q) {
  q->x = RoundScreen(in.loc[0]);
  q->y = RoundScreen(in.loc[1]);
  q->rhw = in.loc[3];
  MakeUV(q, in.uv, mat->matTexMap);
  q->col = static_cast<float>(in.colour) * 32.f;
  const float scale = static_cast<float>(rend->renShadeScale);
  float intensity = 0.f;
  if ((orFlags & SG_TXV_FOGGED) != 0) {
    intensity = (1.f - in.fog) * scale;
  } else if ((orFlags & SG_TXV_SHADED) != 0) {
    intensity = indexed ? in.shade * scale : (in.shade * mat->matDiffuse + mat->matAmbient) * scale;
  }
  // Clamped to 0..scale, a NaN to 0 (the library's fmax and fmin, inline).
  intensity = intensity > 0.f ? intensity : 0.f;
  intensity = intensity < scale ? intensity : scale;
  q->q = intensity + 16.f;
}

// The vertex's screen vertex, made once per frame; 0xFFFFFFFF when the array cannot grow.
[[gnu::always_inline]] inline std::uint32_t ConvertVertex(SGRenderer* rend, const SGMaterial* mat, SGTxVertex* txv,
                                                          std::uint32_t orFlags, bool indexed) {
  const SGTextureMap* txm = mat->matTexMap;
  if (txv->txvConverted != 0) {
    if (txv->txvTexture != txm) {
      MakeUV(&rend->renQVerts[txv->txvQIndex], txv->txvUV, txm);
      txv->txvTexture = txm;
    }
    return txv->txvQIndex;
  }
  const std::uint32_t index = NextQVert(rend);
  if (index == 0xFFFFFFFF) {
    return index;
  }
  MakeQVert(rend, mat, CornerValues{txv->txvLoc, txv->txvUV, txv->txvColour[0], txv->txvShade, txv->txvFog}, orFlags,
            indexed, &rend->renQVerts[index]);
  txv->txvConverted = 1;
  txv->txvQIndex = index;
  txv->txvTexture = txm;
  return index;
}

// Triangles waiting for one fill, in their order: each its screen vertices'
// indices (the array may move as it grows), in the fill's clockwise order.
// Measured and not kept: room for 128 triangles, the 200-rock scene frame
// 6.99 full-viewport fills as with 64; for 32, 7.03 (medians of six
// alternating pinned runs).
struct TriBatch {
  static constexpr std::uint32_t kMax = 64;
  std::uint32_t count = 0;
  ISGTriFill fill = nullptr;
  ISGTriFillList list = nullptr;  // the fill's list entry, if it has one
  const SGMaterial* mat = nullptr;
  std::uint32_t corners[kMax][3];
};

// Fills the waiting triangles with the renderer's fill arguments, which stay
// as they were while triangles wait (a change of material flushes first).
inline void Flush(SGRenderer* rend, TriBatch& batch) {
  const SGQVert* q = rend->renQVerts;
  SGFrameBuffer* fb = rend->renFrameBuffer;
  if (batch.list != nullptr) {
    if (batch.count != 0) {
      batch.list(q, batch.corners, batch.count, fb, rend->renFillTexels, rend->renFillLUT, rend->renFillColour);
    }
    batch.count = 0;
    return;
  }
  for (std::uint32_t i = 0; i < batch.count; ++i) {
    const std::uint32_t* c = batch.corners[i];
    batch.fill(&q[c[0]], &q[c[1]], &q[c[2]], fb, rend->renFillTexels, rend->renFillLUT, rend->renFillColour);
  }
  batch.count = 0;
}

// What the drawing of a triangle reads of the renderer and its buffer that
// no triangle's drawing changes: looked up once for a run of faces.
struct DrawSetting {
  bool indexed;
  std::int64_t maxX, maxY;  // the largest screen x and y (27.5) inside the buffer
  std::uint32_t debug;
  bool held;  // drawn within a scene draw, not single-stepping, the buffer held
};

inline DrawSetting SettingOf(const SGRenderer* rend) {
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  return DrawSetting{
      fb->fbMode != SG_FB_MODE_QUASI_RGB, static_cast<std::int64_t>(fb->fbWidth) * 32 + kSlack,
      static_cast<std::int64_t>(fb->fbHeight) * 32 + kSlack, ContextDebug(rend),
      rend->renHoldFrameLock != 0 && (rend->renFlags & SG_REND_FLAG_SINGLE_STEP) == 0 && isg_subdiv::FrameHeld(fb)};
}

// Flushes the waiting triangles before screen vertices are made for a
// material other than theirs.
inline void FlushForMaterial(SGRenderer* rend, TriBatch* batch, const SGMaterial* mat) {
  if (batch != nullptr && batch->count != 0 && mat != batch->mat) {
    Flush(rend, *batch);
  }
}

// A triangle the clip test let through, its corners' flags together in
// `orFlags` and its screen vertices made (`index`): its material's fill
// chosen, then drawn and counted. A triangle outside the buffer or of a
// material without a fill is dropped uncounted.
//
// With a batch (a face list's faces wholly inside the view), a triangle that
// needs no subdivision waits in it for its fill with those before it: the
// conversions of a run of faces, then their fills one after another, each
// stage finding its own tables still in the cache. Whatever else draws, or
// changes the fill or a waiting triangle's screen vertices, flushes it first;
// the caller flushes before making screen vertices for another material
// (FlushForMaterial), since a texture of another size would remake the u, v
// of shared ones.
[[gnu::always_inline]] inline SGError DrawConverted(SGRenderer* rend, SGScene* scene, SGMaterial* mat,
                                                    const DrawSetting& setting, const std::uint32_t (&index)[3],
                                                    std::uint32_t orFlags, TriBatch* batch = nullptr) {
  const std::uint32_t type = EffectiveType(setting.debug, mat, orFlags);
  const bool indexed = setting.indexed;
  // Clipped triangles lie inside the buffer; one that does not (a camera whose
  // matrices came out of range) is dropped, since the fills do not clip.
  // Measured and not kept: this test and the edges' below made from one
  // bounding box of the corners, no edge measured when the box is within
  // kShortEdge's side: the 200-rock scene frame 7.31 full-viewport fills
  // against 6.94 (medians of five alternating pinned runs); each coordinate's
  // two bounds as one unsigned comparison and one branch for the three
  // corners: 7.02 against 6.99 (medians of eight).
  for (const std::uint32_t i : index) {
    const SGQVert& q = rend->renQVerts[i];
    if (q.x < -kSlack || q.x > setting.maxX || q.y < -kSlack || q.y > setting.maxY) {
      return SG_ERROR_NONE;
    }
  }
  if (mat != rend->renObjMaterial || type != rend->renObjMatType) {
    if (batch != nullptr) {
      Flush(rend, *batch);
    }
    if ((indexed ? ISGEPSetMaterial8 : ISGEPSetMaterial16)(rend, scene, mat, type) != SG_ERROR_NONE) {
      return SG_ERROR_NONE;
    }
  }
  // Measured and not kept: the window read once for a face list's run (in
  // DrawSetting): the 200-rock scene frame 7.02 full-viewport fills against
  // 7.00 (medians of eight alternating pinned runs).
  const bool inWindow = rend->renTriCount >= g_sgTriDrawFirst && rend->renTriCount <= g_sgTriDrawLast;
  const ISGTriFill fill = (setting.debug & SG_CTX_DEBUG_NO_FILL) == 0 && inWindow ? rend->renTriFill : nullptr;
  const std::uint32_t length = (rend->renOptions & (SG_REND_OPT_PERSPECTIVE | SG_REND_OPT_TEXTURED_FILL)) ==
                                       (SG_REND_OPT_PERSPECTIVE | SG_REND_OPT_TEXTURED_FILL)
                                   ? 0
                                   : 1;
  const SGQVert* q = rend->renQVerts;
  // Model triangles run counter-clockwise on the screen; the fills draw clockwise ones.
  const SGQVert* a = &q[index[2]];
  const SGQVert* b = &q[index[1]];
  const SGQVert* c = &q[index[0]];
  // The usual triangle within a scene draw: the buffer held since the one
  // before and no edge to split, so what the subdivision would do, here.
  // Counted after its fill, which under the triangle-colour debugging reads the count.
  SGError err = SG_ERROR_NONE;
  if (setting.held) {
    const std::uint32_t ab = length != 0 ? length : isg_subdiv::Dist2(a, b);
    const std::uint32_t bc = length != 0 ? length : isg_subdiv::Dist2(b, c);
    const std::uint32_t ca = length != 0 ? length : isg_subdiv::Dist2(c, a);
    // Measured and not kept: the three edges passed by one test of the longest
    // against kShortEdge before their own: the 200-rock scene frame 7.09
    // full-viewport fills as without it (medians of eight alternating pinned runs).
    const bool whole =
        isg_subdiv::Acceptable(ab, a, b) && isg_subdiv::Acceptable(bc, b, c) && isg_subdiv::Acceptable(ca, c, a);
    // The outlines and the numbered colours are drawn as each triangle comes.
    if (whole && batch != nullptr && fill != nullptr &&
        (setting.debug & (SG_CTX_DEBUG_DRAW | SG_CTX_DEBUG_TRI_COLOURS)) == 0) {
      // A triangle joining waiting ones has their material (FlushForMaterial)
      // and, unless it flushes them here, their fill and so their list entry:
      // set once as a batch starts (set for every triangle, the 200-rock scene
      // frame 7.07 full-viewport fills against 6.99, medians of sixteen
      // alternating pinned runs). Measured and not kept: a triangle whose
      // corners span no pixel row's centre, which the 16-bpp fills' walk
      // draws nothing of, left out here rather than batched: 7.23 against
      // 7.13 (medians of six).
      if (batch->count != 0 && fill != batch->fill) {
        Flush(rend, *batch);
      }
      if (batch->count == 0) {
        batch->fill = fill;
        batch->list = rend->renTriFillList;
        batch->mat = mat;
      }
      std::uint32_t* corners = batch->corners[batch->count];
      corners[0] = index[2];
      corners[1] = index[1];
      corners[2] = index[0];
      if (++batch->count == TriBatch::kMax) {
        Flush(rend, *batch);
      }
    } else {
      if (batch != nullptr) {
        Flush(rend, *batch);
      }
      if (whole) {
        isg_subdiv::DrawPiece(rend, fill, a, b, c);
      } else {
        err = ISGTriDrawSubdivided(a, b, c, rend, fill, ab, bc, ca);
      }
    }
  } else {
    if (batch != nullptr) {
      Flush(rend, *batch);
    }
    err = ISGTriDrawSubdivided(a, b, c, rend, fill, length, length, length);
  }
  ++rend->renTriCount;
  return err;
}

// DrawConverted, unbatched, of a triangle of transformed vertices, their
// screen vertices made first (once a frame each).
inline SGError DrawAccepted(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex* const* triple,
                            std::uint32_t orFlags) {
  const DrawSetting setting = SettingOf(rend);
  std::uint32_t index[3];
  for (int k = 0; k < 3; ++k) {
    index[k] = ConvertVertex(rend, mat, triple[k], orFlags, setting.indexed);
    if (index[k] == 0xFFFFFFFF) {
      return SG_ERROR_NO_MEMORY;
    }
  }
  return DrawConverted(rend, scene, mat, setting, index, orFlags);
}

}  // namespace isg_ep
