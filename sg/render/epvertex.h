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

inline std::uint32_t EffectiveType(const SGRenderer* rend, const SGMaterial* mat, std::uint32_t orFlags) {
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
  if ((type & SG_MAT_TYPE_MASK) == SG_MAT_TYPE_TEXTURE &&
      (ContextDebug(rend) & SG_CTX_DEBUG_NO_TEXTURES) != 0) {
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

inline void MakeUV(SGQVert* q, const SGTxVertex* txv, const SGTextureMap* txm) {
  if (txm == nullptr) {
    q->u = q->v = 0.5f;
    return;
  }
  q->u = (txv->txvUV[0] * static_cast<float>(txm->txmSize.u[0] - 1) + 0.5f) * 32.f;
  q->v = (txv->txvUV[1] * static_cast<float>(txm->txmSize.u[1] - 1) + 0.5f) * 32.f;
}

// The vertex's screen vertex, made once per frame; 0xFFFFFFFF when the array cannot grow.
// On an indexed buffer the material's own ramp carries its lighting, so the shade
// goes in unweighted.
[[gnu::always_inline]] inline std::uint32_t ConvertVertex(SGRenderer* rend, const SGMaterial* mat, SGTxVertex* txv, std::uint32_t orFlags,
                            bool indexed) {
  const SGTextureMap* txm = mat->matTexMap;
  if (txv->txvConverted != 0) {
    if (txv->txvTexture != txm) {
      MakeUV(&rend->renQVerts[txv->txvQIndex], txv, txm);
      txv->txvTexture = txm;
    }
    return txv->txvQIndex;
  }
  // The array has room nearly always: the call only when it must grow.
  const std::uint32_t index =
      rend->renNextQVert < rend->renNumQVerts ? rend->renNextQVert++ : ISGRendererNewQVert(rend);
  if (index == 0xFFFFFFFF) {
    return index;
  }
  SGQVert* q = &rend->renQVerts[index];
  q->x = RoundScreen(txv->txvLoc[0]);
  q->y = RoundScreen(txv->txvLoc[1]);
  q->rhw = txv->txvLoc[3];
  MakeUV(q, txv, txm);
  q->col = static_cast<float>(txv->txvColour[0]) * 32.f;
  const float scale = static_cast<float>(rend->renShadeScale);
  float intensity = 0.f;
  if ((orFlags & SG_TXV_FOGGED) != 0) {
    intensity = (1.f - txv->txvFog) * scale;
  } else if ((orFlags & SG_TXV_SHADED) != 0) {
    intensity = indexed ? txv->txvShade * scale : (txv->txvShade * mat->matDiffuse + mat->matAmbient) * scale;
  }
  // Clamped to 0..scale, a NaN to 0 (the library's fmax and fmin, inline).
  intensity = intensity > 0.f ? intensity : 0.f;
  intensity = intensity < scale ? intensity : scale;
  q->q = intensity + 16.f;
  txv->txvConverted = 1;
  txv->txvQIndex = index;
  txv->txvTexture = txm;
  return index;
}

// Triangles waiting for one fill, in their order: each its screen vertices'
// indices (the array may move as it grows), in the fill's clockwise order.
struct TriBatch {
  static constexpr std::uint32_t kMax = 64;
  std::uint32_t count = 0;
  ISGTriFill fill = nullptr;
  const SGMaterial* mat = nullptr;
  std::uint32_t corners[kMax][3];
};

// Fills the waiting triangles with the renderer's fill arguments, which stay
// as they were while triangles wait (a change of material flushes first).
inline void Flush(SGRenderer* rend, TriBatch& batch) {
  const SGQVert* q = rend->renQVerts;
  SGFrameBuffer* fb = rend->renFrameBuffer;
  for (std::uint32_t i = 0; i < batch.count; ++i) {
    const std::uint32_t* c = batch.corners[i];
    batch.fill(&q[c[0]], &q[c[1]], &q[c[2]], fb, rend->renFillTexels, rend->renFillLUT, rend->renFillColour);
  }
  batch.count = 0;
}

// A triangle the clip test let through, its corners' flags together in
// `orFlags`: its screen vertices made (once a frame each), its material's
// fill chosen, then drawn and counted. A triangle outside the buffer or of a
// material without a fill is dropped uncounted.
//
// With a batch (a face list's faces wholly inside the view), a triangle that
// needs no subdivision waits in it for its fill with those before it: the
// conversions of a run of faces, then their fills one after another, each
// stage finding its own tables still in the cache. Whatever else draws, or
// changes the fill or a waiting triangle's screen vertices, flushes it first.
[[gnu::always_inline]] inline SGError DrawAccepted(SGRenderer* rend, SGScene* scene, SGMaterial* mat,
                                                SGTxVertex* const* triple, std::uint32_t orFlags,
                                                TriBatch* batch = nullptr) {
  // A texture of another size would remake the u, v of shared screen vertices.
  if (batch != nullptr && batch->count != 0 && mat != batch->mat) {
    Flush(rend, *batch);
  }
  const std::uint32_t type = EffectiveType(rend, mat, orFlags);
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  const bool indexed = fb->fbMode != SG_FB_MODE_QUASI_RGB;
  std::uint32_t index[3];
  for (int k = 0; k < 3; ++k) {
    index[k] = ConvertVertex(rend, mat, triple[k], orFlags, indexed);
    if (index[k] == 0xFFFFFFFF) {
      return SG_ERROR_NO_MEMORY;
    }
  }
  // Clipped triangles lie inside the buffer; one that does not (a camera whose
  // matrices came out of range) is dropped, since the fills do not clip.
  const std::int64_t maxX = static_cast<std::int64_t>(fb->fbWidth) * 32 + kSlack;
  const std::int64_t maxY = static_cast<std::int64_t>(fb->fbHeight) * 32 + kSlack;
  for (const std::uint32_t i : index) {
    const SGQVert& q = rend->renQVerts[i];
    if (q.x < -kSlack || q.x > maxX || q.y < -kSlack || q.y > maxY) {
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
  const bool inWindow = rend->renTriCount >= g_sgTriDrawFirst && rend->renTriCount <= g_sgTriDrawLast;
  const ISGTriFill fill =
      (ContextDebug(rend) & SG_CTX_DEBUG_NO_FILL) == 0 && inWindow ? rend->renTriFill : nullptr;
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
  if (rend->renHoldFrameLock != 0 && (rend->renFlags & SG_REND_FLAG_SINGLE_STEP) == 0 && isg_subdiv::FrameHeld(fb)) {
    const std::uint32_t ab = length != 0 ? length : isg_subdiv::Dist2(a, b);
    const std::uint32_t bc = length != 0 ? length : isg_subdiv::Dist2(b, c);
    const std::uint32_t ca = length != 0 ? length : isg_subdiv::Dist2(c, a);
    const bool whole =
        isg_subdiv::Acceptable(ab, a, b) && isg_subdiv::Acceptable(bc, b, c) && isg_subdiv::Acceptable(ca, c, a);
    // The outlines and the numbered colours are drawn as each triangle comes.
    if (whole && batch != nullptr && fill != nullptr &&
        (ContextDebug(rend) & (SG_CTX_DEBUG_DRAW | SG_CTX_DEBUG_TRI_COLOURS)) == 0) {
      if (batch->count != 0 && fill != batch->fill) {
        Flush(rend, *batch);
      }
      batch->fill = fill;
      batch->mat = mat;
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

}  // namespace isg_ep
