// Drawing one sorted instance: a model at its level of detail (faces, points,
// lines, billboards and hard-point sub-instances, part by part, each part's
// vertices prepared and lit once), a complex model back to front through its
// plane tree, or prepared triangles.

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

#include "platform/user/queue.h"
#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/render/dropshadow.h"
#include "sg/render/instsort.h"
#include "sg/render/prepped.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr std::uint32_t kMaxDrawDepth = 32;

// Per-instance draw state: the current part and the stack of enclosing ones.
struct PartFrame {
  const SGModelSubTransform* mst;
  bool shown;
};

struct Drawer {
  SGRenderer* rend;
  SGScene* scene;
  SGInstance* inst;
  SGModelInst* mi;
  PartFrame part;
  PartFrame stack[16];
  std::uint32_t depth;
};

// Scratch space of the context: offsets, so that growing the block moves nothing.
SGError ScratchReserve(SGRenderer* rend, std::size_t bytes, std::size_t* offset) {
  SGContext* ctx = rend->renContext;
  const std::size_t at = (rend->renScratchUsed + 15) & ~static_cast<std::size_t>(15);
  if (at + bytes > ctx->ctxBufferSize) {
    std::size_t size = ctx->ctxBufferSize == 0 ? 1024 : ctx->ctxBufferSize;
    while (size < at + bytes) {
      size *= 2;
    }
    auto* grown = static_cast<std::uint8_t*>(SGRealloc(ctx->ctxBuffer, size));
    if (grown == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    ctx->ctxBuffer = grown;
    ctx->ctxBufferSize = static_cast<std::uint32_t>(size);
  }
  rend->renScratchUsed = at + bytes;
  *offset = at;
  return SG_ERROR_NONE;
}

// The cache slot of a part: its transform index, the root part last.
std::uint32_t PartSlot(const SGModelInst* mi, const SGModelSubTransform* mst) {
  return mst->mstXformIndex < mi->miNumXforms ? mst->mstXformIndex : mi->miNumXforms;
}

SGError EnsurePartCaches(SGModelInst* mi) {
  const std::uint32_t n = mi->miNumXforms + 1;
  if (mi->miNumPartCacheA != n) {
    SGFree(mi->miPartCacheA);
    SGFree(mi->miPartCacheB);
    mi->miPartCacheA = static_cast<void**>(SGCalloc(n, sizeof(void*)));
    mi->miPartCacheB = static_cast<void**>(SGCalloc(n, sizeof(void*)));
    if (mi->miPartCacheA == nullptr || mi->miPartCacheB == nullptr) {
      SGFree(mi->miPartCacheA);
      SGFree(mi->miPartCacheB);
      mi->miPartCacheA = mi->miPartCacheB = nullptr;
      mi->miNumPartCacheA = mi->miNumPartCacheB = 0;
      return SG_ERROR_NO_MEMORY;
    }
    mi->miNumPartCacheA = mi->miNumPartCacheB = n;
  }
  for (std::uint32_t i = 0; i < n; ++i) {
    mi->miPartCacheA[i] = nullptr;
    mi->miPartCacheB[i] = nullptr;
  }
  return SG_ERROR_NONE;
}

std::size_t CachedOffset(void* slot) { return reinterpret_cast<std::uintptr_t>(slot) - 1; }
void* OffsetSlot(std::size_t offset) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(offset) + 1); }

// What every vertex of a part is prepared with.
struct PrepConstants {
  SGMatrix m;
  float lowX, lowY, hiX, hiY;
  float yon, fogRecip;
  float scaleX, scaleY, offsetX, offsetY;
  bool distanceFog;  // a fog value from each vertex's depth
  float fog;         // else this one for all
  std::uint32_t fogFlag;
};

[[gnu::always_inline]] inline void PrepareVertex(const PrepConstants& c, const SGPoint3s p, ISGPrepVertex* pv) {
  const SGMatrix& m = c.m;
  std::uint32_t flags = c.fogFlag;
  pv->pvKey = 0;
  pv->pvTxv = nullptr;
  const float z = p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2];
  if (c.distanceFog) {
    const float fog = (c.yon - z) * c.fogRecip;
    pv->pvFog = z > c.yon ? 0.f : (fog < 1.f ? fog : 1.f);
  } else {
    pv->pvFog = c.fog;
  }
  if (z < -0.0001f) {
    // No screen place behind the eye; the face tests read something defined.
    pv->pvFlags = flags | SG_XFORM_FLAG_NEAR_CLIP;
    pv->pvLoc[0] = pv->pvLoc[1] = pv->pvLoc[2] = pv->pvLoc[3] = 0.f;
    return;
  }
  const float w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
  if (w > c.yon) {
    flags |= SG_XFORM_FLAG_FAR_CLIP;
  }
  const float q = 1.f / w;
  const float x = (p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0]) * q;
  const float y = (p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1]) * q;
  if (x < c.lowX) {
    flags |= SG_XFORM_FLAG_LEFT_CLIP;
  } else if (x >= c.hiX) {
    flags |= SG_XFORM_FLAG_RIGHT_CLIP;
  }
  if (y < c.lowY) {
    flags |= SG_XFORM_FLAG_BOTTOM_CLIP;
  } else if (y >= c.hiY) {
    flags |= SG_XFORM_FLAG_TOP_CLIP;
  }
  pv->pvFlags = flags;
  pv->pvLoc[0] = (x + 1.f) * c.scaleX + c.offsetX;
  pv->pvLoc[1] = (y + 1.f) * c.scaleY + c.offsetY;
  const float depth = z * q;
  pv->pvLoc[2] = depth >= 0.f ? depth : 0.f;
  pv->pvLoc[3] = q;
}

#if defined(__SSE2__)
// Four vertices at once, each lane the same operations in the same order as
// PrepareVertex (no fused steps), so every value comes out bit for bit the
// same; the branches of the single vertex become masks.
struct Lanes {
  __m128 x, y, z;
};

// Three consecutive loads of four packed points, turned into one register per coordinate.
[[gnu::always_inline]] inline Lanes LoadFour(const SGPoint3s* p) {
  static_assert(sizeof(SGPoint3s) == 3 * sizeof(float));
  const float* f = &p->x;
  const __m128 a = _mm_loadu_ps(f);      // x0 y0 z0 x1
  const __m128 b = _mm_loadu_ps(f + 4);  // y1 z1 x2 y2
  const __m128 c = _mm_loadu_ps(f + 8);  // z2 x3 y3 z3
  const __m128 bc = _mm_shuffle_ps(b, c, _MM_SHUFFLE(1, 1, 2, 2));
  const __m128 y01 = _mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 1, 1));
  const __m128 y23 = _mm_shuffle_ps(b, c, _MM_SHUFFLE(2, 2, 3, 3));
  const __m128 z01 = _mm_shuffle_ps(a, b, _MM_SHUFFLE(1, 1, 2, 2));
  const __m128 z23 = _mm_shuffle_ps(c, c, _MM_SHUFFLE(3, 3, 0, 0));
  return Lanes{_mm_shuffle_ps(a, bc, _MM_SHUFFLE(2, 0, 3, 0)), _mm_shuffle_ps(y01, y23, _MM_SHUFFLE(2, 0, 2, 0)),
               _mm_shuffle_ps(z01, z23, _MM_SHUFFLE(2, 0, 2, 0))};
}

__m128 Column(const Lanes& l, const SGMatrix& m, int c) {
  __m128 r = _mm_mul_ps(l.x, _mm_set1_ps(m.m[0][c]));
  r = _mm_add_ps(r, _mm_mul_ps(l.y, _mm_set1_ps(m.m[1][c])));
  r = _mm_add_ps(r, _mm_mul_ps(l.z, _mm_set1_ps(m.m[2][c])));
  return _mm_add_ps(r, _mm_set1_ps(m.m[3][c]));
}

__m128i Bits(__m128 mask, std::uint32_t bit) {
  return _mm_and_si128(_mm_castps_si128(mask), _mm_set1_epi32(static_cast<std::int32_t>(bit)));
}

void PrepareFour(const PrepConstants& c, const SGPoint3s* p, ISGPrepVertex* out) {
  const Lanes l = LoadFour(p);
  const __m128 zero = _mm_setzero_ps();
  const __m128 one = _mm_set1_ps(1.f);
  const __m128 yon = _mm_set1_ps(c.yon);
  const __m128 z = Column(l, c.m, 2);
  __m128 fog = _mm_set1_ps(c.fog);
  if (c.distanceFog) {
    // min(f, 1) is f < 1 ? f : 1, a NaN included.
    const __m128 f = _mm_min_ps(_mm_mul_ps(_mm_sub_ps(yon, z), _mm_set1_ps(c.fogRecip)), one);
    fog = _mm_andnot_ps(_mm_cmpgt_ps(z, yon), f);
  }
  const __m128 near = _mm_cmplt_ps(z, _mm_set1_ps(-0.0001f));
  const __m128 w = Column(l, c.m, 3);
  const __m128 q = _mm_div_ps(one, w);
  const __m128 x = _mm_mul_ps(Column(l, c.m, 0), q);
  const __m128 y = _mm_mul_ps(Column(l, c.m, 1), q);
  const __m128 left = _mm_cmplt_ps(x, _mm_set1_ps(c.lowX));
  const __m128 right = _mm_andnot_ps(left, _mm_cmpge_ps(x, _mm_set1_ps(c.hiX)));
  const __m128 bottom = _mm_cmplt_ps(y, _mm_set1_ps(c.lowY));
  const __m128 top = _mm_andnot_ps(bottom, _mm_cmpge_ps(y, _mm_set1_ps(c.hiY)));
  __m128i sides =
      _mm_or_si128(Bits(_mm_cmpgt_ps(w, yon), SG_XFORM_FLAG_FAR_CLIP),
                   _mm_or_si128(Bits(left, SG_XFORM_FLAG_LEFT_CLIP), Bits(right, SG_XFORM_FLAG_RIGHT_CLIP)));
  sides = _mm_or_si128(sides, _mm_or_si128(Bits(bottom, SG_XFORM_FLAG_BOTTOM_CLIP), Bits(top, SG_XFORM_FLAG_TOP_CLIP)));
  // A vertex behind the eye has the near bit alone and a zero place.
  const __m128i flags =
      _mm_or_si128(_mm_set1_epi32(static_cast<std::int32_t>(c.fogFlag)),
                   _mm_or_si128(Bits(near, SG_XFORM_FLAG_NEAR_CLIP), _mm_andnot_si128(_mm_castps_si128(near), sides)));
  const __m128 sx = _mm_add_ps(_mm_mul_ps(_mm_add_ps(x, one), _mm_set1_ps(c.scaleX)), _mm_set1_ps(c.offsetX));
  const __m128 sy = _mm_add_ps(_mm_mul_ps(_mm_add_ps(y, one), _mm_set1_ps(c.scaleY)), _mm_set1_ps(c.offsetY));
  const __m128 depth = _mm_mul_ps(z, q);
  // depth >= 0 ? depth : 0 keeps a negative zero, as max would not.
  __m128 loc0 = _mm_andnot_ps(near, sx);
  __m128 loc1 = _mm_andnot_ps(near, sy);
  __m128 loc2 = _mm_andnot_ps(near, _mm_and_ps(_mm_cmpge_ps(depth, zero), depth));
  __m128 loc3 = _mm_andnot_ps(near, q);
  _MM_TRANSPOSE4_PS(loc0, loc1, loc2, loc3);
  const __m128 locs[4] = {loc0, loc1, loc2, loc3};
  alignas(16) std::uint32_t flagOut[4];
  alignas(16) float fogOut[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(flagOut), flags);
  _mm_store_ps(fogOut, fog);
  for (int i = 0; i < 4; ++i) {
    ISGPrepVertex* pv = &out[i];
    pv->pvFlags = flagOut[i];
    _mm_storeu_ps(pv->pvLoc, locs[i]);
    pv->pvFog = fogOut[i];
    pv->pvKey = 0;
    pv->pvTxv = nullptr;
  }
}
#endif

void PrepareVertices(Drawer& d, const SGModelSubTransform* mst, ISGPrepVertex* out) {
  SGRenderer* rend = d.rend;
  const SGViewData* vi = rend->renViewData;
  // Everything the loop reads is copied out first: its stores to the
  // prepared vertices could otherwise alias each of these and force reloads.
  PrepConstants c;
  c.m = rend->renXform;
  const bool window = (vi->viFlags & SG_VI_WINDOW) != 0;
  c.lowX = window ? vi->viWindowLo[0] : -1.0001f;
  c.lowY = window ? vi->viWindowLo[1] : -1.0001f;
  c.hiX = window ? vi->viWindowHi[0] : 1.0001f;
  c.hiY = window ? vi->viWindowHi[1] : 1.0001f;
  c.yon = vi->viYon;
  c.fogRecip = rend->renFogRecip;
  c.scaleX = vi->viScale[0];
  c.scaleY = vi->viScale[1];
  c.offsetX = vi->viOffset[0];
  c.offsetY = vi->viOffset[1];
  const std::uint32_t instFlags = d.inst->instFlags;
  c.distanceFog = false;
  c.fog = 1.f;
  c.fogFlag = SG_TXV_FOGGED;
  if ((instFlags & SG_INST_FADING) != 0) {
    c.fog = d.inst->instFade;
  } else if ((instFlags & SG_INST_FOGGED) != 0) {
    c.distanceFog = true;
  } else if ((rend->renFlags & SG_REND_FLAG_ALL_FOGGED) == 0) {
    c.fogFlag = 0;
  }
  const SGPoint3s* verts = mst->mstVerts;
  const std::uint32_t count = mst->mstNumVerts;
  std::uint32_t i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    PrepareFour(c, &verts[i], &out[i]);
  }
#endif
  for (; i < count; ++i) {
    PrepareVertex(c, verts[i], &out[i]);
  }
}

// A world direction turned into the current part's frame.
void ToPart(const SGMatrix* inverse, const float in[3], float out[3]) {
  for (int j = 0; j < 3; ++j) {
    out[j] = in[0] * inverse->m[0][j] + in[1] * inverse->m[1][j] + in[2] * inverse->m[2][j];
  }
}

#if defined(__SSE2__)
// One light on the normals four at a time, as the loop after it does one at
// a time (the same sums in the same order; a lane the light does not reach
// keeps its value untouched). Leaves *done at the first normal not reached.
bool LightFour(const SGPoint3s* normals, std::uint32_t count, const float l[3], bool clamp, float* shades,
               std::uint32_t* done) {
  int reached = 0;
  const __m128 zero = _mm_setzero_ps();
  const __m128 one = _mm_set1_ps(1.f);
  const __m128 sign = _mm_set1_ps(-0.f);
  std::uint32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const Lanes n = LoadFour(&normals[i]);
    __m128 dot = _mm_mul_ps(n.x, _mm_set1_ps(l[0]));
    dot = _mm_add_ps(dot, _mm_mul_ps(n.y, _mm_set1_ps(l[1])));
    dot = _mm_add_ps(dot, _mm_mul_ps(n.z, _mm_set1_ps(l[2])));
    const __m128 v = _mm_xor_ps(dot, sign);
    const __m128 hit = _mm_cmpgt_ps(v, zero);
    const __m128 old = _mm_loadu_ps(&shades[i]);
    __m128 sum = _mm_add_ps(old, v);
    if (clamp) {
      const __m128 over = _mm_cmpgt_ps(sum, one);
      sum = _mm_or_ps(_mm_and_ps(over, one), _mm_andnot_ps(over, sum));
    }
    _mm_storeu_ps(&shades[i], _mm_or_ps(_mm_and_ps(hit, sum), _mm_andnot_ps(hit, old)));
    reached |= _mm_movemask_ps(hit);
  }
  *done = i;
  return reached != 0;
}
#endif

SGError LightPart(Drawer& d, const SGModelSubTransform* mst, float* shades) {
  for (std::uint32_t i = 0; i < mst->mstNumNormals; ++i) {
    shades[i] = 0.f;
  }
  if ((d.inst->instAttributes & SG_ATTR_UNLIT) != 0 || mst->mstNumNormals == 0) {
    return SG_ERROR_NONE;
  }
  SGMatrix* inverse = nullptr;
  if (SGRendererGetInverseXform(d.rend, &inverse) != SG_ERROR_NONE) {
    return SG_ERROR_NONE;
  }
  bool lit = false;
  for (const SGInstance* light = ISGSceneListOwner(d.scene)->scnLights; light != nullptr; light = light->instScnNext) {
    if ((light->instAttributes & SG_ATTR_HIDDEN) != 0) {
      continue;
    }
    const auto* data = static_cast<const SGLightData*>(light->instData);
    float l[3];
    if (data->ltKind == SG_LIGHT_DIRECTIONAL) {
      ToPart(inverse, light->instForward, l);
    } else if (data->ltKind == SG_LIGHT_POSITIONED) {
      float world[3];
      float len2 = 0.f;
      for (int k = 0; k < 3; ++k) {
        world[k] = d.inst->instXform.m[3][k] - light->instXform.m[3][k];
        len2 += world[k] * world[k];
      }
      ToPart(inverse, world, l);
      const float scale = len2 > 0.f ? data->ltIntensity / len2 : 0.f;
      for (float& c : l) {
        c *= scale;
      }
    } else {
      return SG_ERROR_INST_TYPE;
    }
    const bool clamp = data->ltKind == SG_LIGHT_DIRECTIONAL;
    std::uint32_t i = 0;
#if defined(__SSE2__)
    lit = LightFour(mst->mstNormals, mst->mstNumNormals, l, clamp, shades, &i) || lit;
#endif
    for (; i < mst->mstNumNormals; ++i) {
      const SGPoint3s& n = mst->mstNormals[i];
      const float v = -(n.x * l[0] + n.y * l[1] + n.z * l[2]);
      if (v > 0.f) {
        shades[i] += v;
        if (clamp && shades[i] > 1.f) {
          shades[i] = 1.f;
        }
        lit = true;
      }
    }
  }
  if (lit) {
    d.inst->instFlags |= SG_INST_LIT;
  }
  return SG_ERROR_NONE;
}

void UpdateEyeLocal(Drawer& d) {
  SGMatrix* inverse = nullptr;
  if (SGRendererGetInverseXform(d.rend, &inverse) == SG_ERROR_NONE) {
    for (int k = 0; k < 3; ++k) {
      d.inst->instEyeLocal[k] = inverse->m[3][k];
    }
  }
}

// The prepared vertices and light values of the current part, made once per draw.
SGError CurrentPart(Drawer& d, ISGPart* out) {
  const SGModelSubTransform* mst = d.part.mst;
  const std::uint32_t slot = PartSlot(d.mi, mst);
  std::size_t verts = 0;
  std::size_t shades = 0;
  if (d.mi->miPartCacheA[slot] == nullptr) {
    SGError err = ScratchReserve(d.rend, sizeof(ISGPrepVertex) * mst->mstNumVerts, &verts);
    if (err == SG_ERROR_NONE) {
      err = ScratchReserve(d.rend, sizeof(float) * mst->mstNumNormals, &shades);
    }
    if (err != SG_ERROR_NONE) {
      return err;
    }
    std::uint8_t* base = d.rend->renContext->ctxBuffer;
    d.inst->instFlags &= ~SG_INST_LIT;
    PrepareVertices(d, mst, reinterpret_cast<ISGPrepVertex*>(base + verts));
    err = LightPart(d, mst, reinterpret_cast<float*>(base + shades));
    if (err != SG_ERROR_NONE) {
      return err;
    }
    d.mi->miPartCacheA[slot] = OffsetSlot(verts);
    d.mi->miPartCacheB[slot] = OffsetSlot(shades);
  }
  std::uint8_t* base = d.rend->renContext->ctxBuffer;
  out->inst = d.inst;
  out->mst = mst;
  out->verts = reinterpret_cast<ISGPrepVertex*>(base + CachedOffset(d.mi->miPartCacheA[slot]));
  out->shades = reinterpret_cast<const float*>(base + CachedOffset(d.mi->miPartCacheB[slot]));
  return SG_ERROR_NONE;
}

// In single-step mode the window messages waiting are handled between faces; a
// handler may abandon the draw.
SGError StepMessages(Drawer& d) {
  if ((d.rend->renFlags & SG_REND_FLAG_SINGLE_STEP) == 0) {
    return SG_ERROR_NONE;
  }
  plat::MSG msg;
  while (plat::PeekMessage(&msg, nullptr, 0, 0, plat::PM_REMOVE)) {
    plat::TranslateMessage(&msg);
    plat::DispatchMessage(&msg);
  }
  return (d.scene->scnFlags & SG_SCN_FLAG_DRAWING) == 0 ? SG_ERROR_ABANDONED : SG_ERROR_NONE;
}

SGError DrawFaces(Drawer& d, const SGFaceList* fcl) {
  ISGPart part;
  SGError err = CurrentPart(d, &part);
  if (err == SG_ERROR_NONE && (d.rend->renFlags & SG_REND_FLAG_SINGLE_STEP) == 0) {
    return ISGInstDrawFaces(d.rend, d.scene, &part, fcl->fclFaces, fcl->fclNumFaces);
  }
  for (std::uint32_t i = 0; err == SG_ERROR_NONE && i < fcl->fclNumFaces; ++i) {
    err = ISGInstDrawFace(d.rend, d.scene, &part, &fcl->fclFaces[i]);
    if (err == SG_ERROR_NONE) {
      err = StepMessages(d);
    }
  }
  return err;
}

SGError DrawQuad(SGRenderer* rend, SGScene* scene, const SGInstance* inst, SGMaterial* mat, SGTxVertex* const q[4]) {
  const std::uint32_t andFlags = q[0]->txvFlags & q[1]->txvFlags & q[2]->txvFlags & q[3]->txvFlags;
  const std::uint32_t orFlags = q[0]->txvFlags | q[1]->txvFlags | q[2]->txvFlags | q[3]->txvFlags;
  if ((andFlags & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    return SG_ERROR_NONE;
  }
  SGTxVertex* first[3] = {q[0], q[1], q[2]};
  SGTxVertex* second[3] = {q[0], q[2], q[3]};
  SGError err;
  if ((orFlags & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    err = ISGPolygonClipDraw(rend, scene, inst, mat, first);
    if (err == SG_ERROR_NONE) {
      err = ISGPolygonClipDraw(rend, scene, inst, mat, second);
    }
  } else {
    err = rend->renMethods.rmDrawTriangle(rend, scene, mat, first);
    if (err == SG_ERROR_NONE) {
      err = rend->renMethods.rmDrawTriangle(rend, scene, mat, second);
    }
  }
  return err;
}

SGError DrawBillboard(Drawer& d, const SGBillboard* bil) {
  if (bil->bilNumAzimuth == 0 || bil->bilNumPolar == 0 || bil->bilMatIndex == nullptr) {
    return SG_ERROR_NONE;
  }
  ISGBillboardFrame frame;
  ISGBillboardFrameMake(bil, d.inst->instEyeLocal, &frame);
  SGMaterial* mat =
      ISGPartMaterial(d.scene, d.inst, bil->bilMatIndex[frame.polar * bil->bilNumAzimuth + frame.azimuth]);
  if (mat == nullptr) {
    return SG_ERROR_NONE;
  }
  // Corners in counter-clockwise order as seen from the eye: (+S, -V) is the
  // lower right, since S points to the viewer's left.
  static constexpr float kCorners[4][2] = {{-1.f, -1.f}, {-1.f, 1.f}, {1.f, 1.f}, {1.f, -1.f}};
  SGTxVertex* quad[4];
  bool clipped = false;
  for (int i = 0; i < 4; ++i) {
    SGTxVertex* txv = nullptr;
    const SGError err = ISGRendererNewTxVert(d.rend, &txv);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    const float a = kCorners[i][0];
    const float b = kCorners[i][1];
    for (int k = 0; k < 3; ++k) {
      txv->txvPos[k] = frame.centre[k] + a * frame.side[k] + b * frame.up[k];
    }
    // Pick coordinates run from the (-S, -V) corner; texture rows run down.
    txv->txvUV[0] = 1.f - (a + 1.f) / 2.f;
    txv->txvUV[1] = 1.f - (b + 1.f) / 2.f;
    txv->txvShade = 1.f;
    d.rend->renMethods.rmTransformVertex(d.rend, txv);
    clipped = clipped || (txv->txvFlags & SG_XFORM_FLAG_CLIP_MASK) != 0;
    quad[i] = txv;
  }
  if (clipped) {
    SGMatrix* model = nullptr;
    ISGRendererGetModelXform(d.rend, &model);
    for (SGTxVertex* txv : quad) {
      float p[3];
      for (int k = 0; k < 3; ++k) {
        p[k] = txv->txvPos[0] * model->m[0][k] + txv->txvPos[1] * model->m[1][k] + txv->txvPos[2] * model->m[2][k] +
               model->m[3][k];
      }
      std::memcpy(txv->txvPos, p, sizeof(p));
    }
  }
  return DrawQuad(d.rend, d.scene, d.inst, mat, quad);
}

SGError DrawHardPoint(Drawer& d, const SGGeoHardPoint* hp) {
  if (d.mi->miHardPoints == nullptr || hp->ghpId >= d.mi->miNumHardPoints) {
    return SG_ERROR_NONE;
  }
  auto* sub = reinterpret_cast<SGInstance*>(d.mi->miHardPoints[hp->ghpId]);
  if (sub == nullptr || sub == d.inst || ISGInstanceClassify(d.rend, d.scene, sub) == 0) {
    return SG_ERROR_NONE;
  }
  return ISGInstanceDraw(d.rend, d.scene, sub);
}

bool PartHidden(const Drawer& d, const SGModelSubTransform* mst) {
  return mst->mstXformIndex < d.mi->miNumXforms && d.mi->miXforms[mst->mstXformIndex].m[3][3] <= 0.f;
}

SGError BeginPart(Drawer& d, const SGModelSubTransform* mst) {
  if (d.depth == sizeof(d.stack) / sizeof(d.stack[0])) {
    return SG_ERROR_UNSUPPORTED;
  }
  d.stack[d.depth++] = d.part;
  // A part whose transform index the instance has no slot for is not drawn.
  d.part = PartFrame{mst, mst->mstXformIndex < d.mi->miNumXforms && !PartHidden(d, mst)};
  SGMatrix identity;
  SGMatrixIdentity(&identity);
  const SGMatrix* m =
      d.part.shown && mst->mstXformIndex < d.mi->miNumXforms ? &d.mi->miXforms[mst->mstXformIndex] : &identity;
  const SGError err = SGRendererPushXform(d.rend, m);
  UpdateEyeLocal(d);
  return err;
}

SGError EndPart(Drawer& d) {
  if (d.depth == 0) {
    return SG_ERROR_NONE;
  }
  d.part = d.stack[--d.depth];
  SGRendererPopXform(d.rend);
  UpdateEyeLocal(d);
  return SG_ERROR_NONE;
}

SGError Walk(Drawer& d, const SGGeoNode* node) {
  for (; node != nullptr; node = node->gdNext) {
    SGError err = SG_ERROR_NONE;
    switch (node->gdType) {
      case SG_GD_TYPE_BSP: {
        const auto* split = static_cast<const SGGeoSplit*>(node->gdData);
        const float* e = d.inst->instEyeLocal;
        const float side =
            split->gspNormal[0] * e[0] + split->gspNormal[1] * e[1] + split->gspNormal[2] * e[2] + split->gspDist;
        const SGGeoNode* farSide = side >= 0.f ? split->gspBack : split->gspFront;
        const SGGeoNode* nearSide = side >= 0.f ? split->gspFront : split->gspBack;
        err = Walk(d, farSide);
        if (err == SG_ERROR_NONE) {
          err = Walk(d, node->gdNext);
        }
        if (err == SG_ERROR_NONE) {
          err = Walk(d, nearSide);
        }
        return err;
      }
      case SG_GD_TYPE_FACES:
        if (d.part.shown) {
          err = DrawFaces(d, static_cast<const SGFaceList*>(node->gdData));
        }
        break;
      case SG_GD_TYPE_BILLBOARD:
        if (d.part.shown) {
          err = DrawBillboard(d, static_cast<const SGBillboard*>(node->gdData));
        }
        break;
      case SG_GD_TYPE_WORD:
        break;
      case SG_GD_TYPE_XFORM:
        err = BeginPart(d, static_cast<const SGModelSubTransform*>(node->gdData));
        break;
      case SG_GD_TYPE_XFORM_END:
        err = EndPart(d);
        break;
      case SG_GD_TYPE_POINTS:
      case SG_GD_TYPE_LINES:
        if (d.part.shown) {
          ISGPart part;
          err = CurrentPart(d, &part);
          if (err == SG_ERROR_NONE) {
            err = node->gdType == SG_GD_TYPE_POINTS
                      ? ISGInstDrawPointList(d.rend, d.scene, &part, static_cast<const SGPointList*>(node->gdData))
                      : ISGInstDrawLineList(d.rend, d.scene, &part, static_cast<const SGLineList*>(node->gdData));
          }
        }
        break;
      case SG_GD_TYPE_HARDPOINT:
        err = DrawHardPoint(d, static_cast<const SGGeoHardPoint*>(node->gdData));
        break;
      default:
        return SG_ERROR_UNSUPPORTED;
    }
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  return SG_ERROR_NONE;
}

// The instance's rotation with its translation: eye-relative for a scene
// instance, in the parent's frame for a sub-instance.
void InstanceMatrix(const SGInstance* inst, SGMatrix* out) {
  *out = inst->instXform;
  if (inst->instScene == nullptr) {
    for (int k = 0; k < 3; ++k) {
      out->m[3][k] = static_cast<float>(inst->instPos[k]);
    }
  }
  for (int r = 0; r < 3; ++r) {
    out->m[r][3] = 0.f;
  }
  out->m[3][3] = 1.f;
}

void SetInverseMode(SGRenderer* rend, const SGInstance* inst) {
  rend->renFlags &= ~(SG_REND_FLAG_INVERSE | SG_REND_FLAG_AFFINE_INVERSE);
  rend->renFlags |= (inst->instFlags & SG_INST_MOVING) != 0 ? SG_REND_FLAG_INVERSE : SG_REND_FLAG_AFFINE_INVERSE;
}

SGError DrawModel(SGRenderer* rend, SGScene* scene, SGInstance* inst) {
  auto* mi = static_cast<SGModelInst*>(inst->instData);
  const SGModel* model = mi->miModel;
  if (model->modNumLods == 0) {
    return SG_ERROR_NONE;
  }
  SetInverseMode(rend, inst);
  std::uint32_t lod = 0;
  // A sub-scene is drawn from an eye lowered by its cover's height.
  const double eye[3] = {rend->renEye[0], rend->renEye[1], rend->renEye[2] + ISGSceneEyeLift(scene)};
  rend->renLODSelect(rend, inst, eye, &lod);
  lod = lod < model->modNumLods ? lod : model->modNumLods - 1;
  const SGModelLod& entry = model->modLods[lod];
  if ((inst->instAttributes & SG_ATTR_PRE_DRAW) != 0) {
    ISGInstanceGroundPlane(rend, scene, inst);
  } else {
    inst->instFlags &= ~SG_INST_GROUND_CLIP;
  }
  SGMatrix m;
  InstanceMatrix(inst, &m);
  SGError err = SGRendererPushXform(rend, &m);
  if (err == SG_ERROR_NONE) {
    err = EnsurePartCaches(mi);
  }
  if (err == SG_ERROR_NONE) {
    Drawer d{rend, scene, inst, mi, PartFrame{&entry.mdlRoot, true}, {}, 0};
    UpdateEyeLocal(d);
    err = Walk(d, entry.mdlData);
    while (d.depth > 0) {
      EndPart(d);
    }
  }
  if (err != SG_ERROR_NONE) {
    SGRendererResetXform(rend);
    return err;
  }
  return SGRendererPopXform(rend);
}

SGError DrawBsp(SGRenderer* rend, SGScene* scene, SGBsp* node, const float eye[3]) {
  if (node == nullptr) {
    return SG_ERROR_NONE;
  }
  const float side = node->bspPlane.plnNormal[0] * eye[0] + node->bspPlane.plnNormal[1] * eye[1] +
                     node->bspPlane.plnNormal[2] * eye[2] + node->bspPlane.plnDist;
  SGBsp* first = side <= 0.f ? node->bspFront : node->bspBack;
  SGBsp* last = side <= 0.f ? node->bspBack : node->bspFront;
  SGError err = DrawBsp(rend, scene, first, eye);
  if (err == SG_ERROR_NONE && node->bspInstance != nullptr &&
      ISGInstanceClassify(rend, scene, node->bspInstance) != 0) {
    err = ISGInstanceDraw(rend, scene, node->bspInstance);
  }
  if (err == SG_ERROR_NONE) {
    err = DrawBsp(rend, scene, last, eye);
  }
  return err;
}

SGError DrawComplex(SGRenderer* rend, SGScene* scene, SGInstance* inst) {
  SetInverseMode(rend, inst);
  SGMatrix m;
  InstanceMatrix(inst, &m);
  SGError err = SGRendererPushXform(rend, &m);
  if (err == SG_ERROR_NONE) {
    SGMatrix* inverse = nullptr;
    SGRendererGetInverseXform(rend, &inverse);
    const float eye[3] = {inverse->m[3][0], inverse->m[3][1], inverse->m[3][2]};
    err = DrawBsp(rend, scene, static_cast<SGBsp*>(inst->instData), eye);
  }
  if (err != SG_ERROR_NONE) {
    SGRendererResetXform(rend);
    return err;
  }
  return SGRendererPopXform(rend);
}

}  // namespace

void ISGBillboardFrameMake(const SGBillboard* bil, const float eye[3], ISGBillboardFrame* out) {
  SGPoint3s n{eye[0] - bil->bilCentre[0], eye[1] - bil->bilCentre[1], eye[2] - bil->bilCentre[2]};
  ISGVector3sNormalize(&n);
  const SGPoint3s up{0.f, 1.f, 0.f};
  const SGPoint3s forward{0.f, 0.f, -1.f};
  SGPoint3s s = ISGVector3sCross(n, up);
  SGPoint3s v;
  if (SGVector3sLenSq(&s) <= 1e-6f) {
    v = ISGVector3sCross(ISGVector3sCross(forward, up), n);
    ISGVector3sNormalize(&v);
    s = ISGVector3sCross(n, v);
    ISGVector3sNormalize(&s);
  } else {
    ISGVector3sNormalize(&s);
    v = ISGVector3sCross(s, n);
    ISGVector3sNormalize(&v);
  }
  for (int k = 0; k < 3; ++k) {
    out->centre[k] = bil->bilCentre[k];
  }
  out->side[0] = s.x * bil->bilHalfWidth;
  out->side[1] = s.y * bil->bilHalfWidth;
  out->side[2] = s.z * bil->bilHalfWidth;
  out->up[0] = v.x * bil->bilHalfHeight;
  out->up[1] = v.y * bil->bilHalfHeight;
  out->up[2] = v.z * bil->bilHalfHeight;
  out->azimuth = 0;
  out->polar = 0;
  if (bil->bilNumAzimuth > 1) {
    // The angle about the up axis between the forward axis and the view.
    SGPoint3s flat{n.x, 0.f, n.z};
    float a = 0.f;
    if (SGVector3sLenSq(&flat) > 0.f) {
      ISGVector3sNormalize(&flat);
      a = std::acos(std::fmax(-1.f, std::fmin(1.f, SGPoint3sDot(&forward, &flat))));
      if (flat.x < 0.f) {
        a = 2.f * kPi - a;
      }
    }
    std::uint32_t i = static_cast<std::uint32_t>(a / (2.f * kPi) * static_cast<float>(bil->bilNumAzimuth) + 0.5f);
    out->azimuth = i >= bil->bilNumAzimuth ? 0 : i;
  }
  if (bil->bilNumPolar > 1) {
    const float p = std::acos(std::fmax(-1.f, std::fmin(1.f, SGPoint3sDot(&up, &n))));
    const auto i = static_cast<std::uint32_t>(p / kPi * static_cast<float>(bil->bilNumPolar - 1) + 0.5f);
    out->polar = i >= bil->bilNumPolar ? bil->bilNumPolar - 1 : i;
  }
}

SGError ISGInstanceDraw(SGRenderer* rend, SGScene* scene, SGInstance* inst) {
  ISG_ASSERT(inst != NULL, "instdraw.c");
  if (rend->renDrawDepth == 0) {
    rend->renScratchUsed = 0;
  }
  if (inst->instDropShadow != nullptr) {
    const SGError err = ISGDropShadowDraw(rend, scene, inst);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    if (ISGInstanceClassify(rend, scene, inst) == 0) {
      return SG_ERROR_NONE;
    }
  }
  if ((inst->instFlags & SG_INST_CULLED) != 0 || inst->instData == nullptr) {
    return SG_ERROR_NONE;
  }
  if ((inst->instAttributes & SG_ATTR_PREPPED) != 0) {
    return ISGInstanceDrawPrepped(rend, scene, inst);
  }
  // Sub-instances nest through hard points and complex models; a chain that
  // leads back to itself would never end.
  if (rend->renDrawDepth >= kMaxDrawDepth) {
    return SG_ERROR_UNSUPPORTED;
  }
  SGError err = SG_ERROR_NONE;
  ++rend->renDrawDepth;
  if (inst->instType == SG_INST_TYPE_MODEL_COMPLEX) {
    err = DrawComplex(rend, scene, inst);
  } else if (inst->instType == SG_INST_TYPE_MODEL_ONE || inst->instType == SG_INST_TYPE_MODEL_TWO) {
    if (static_cast<SGModelInst*>(inst->instData)->miModel != nullptr) {
      err = DrawModel(rend, scene, inst);
    }
  }
  --rend->renDrawDepth;
  return err;
}
