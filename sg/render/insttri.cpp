// Vertex transform, clipping against the renderer's planes, and the point,
// line and face stages of a drawn model.

#include <cmath>
#include <cstring>

#include "sg/core/sgassert.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/render/epvertex.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"

namespace {

constexpr float kNearZ = -0.0001f;
constexpr float kEdge = 1.0001f;

bool NotReady(const SGMaterial* mat) {
  return mat == nullptr || (mat->matTexMap != nullptr && (mat->matTexMap->txmFormat & SG_TXM_NO_DRAW) != 0);
}

struct Bounds {
  float lowX, lowY, hiX, hiY;
};

Bounds WindowBounds(const SGViewData* vi) {
  if ((vi->viFlags & SG_VI_WINDOW) != 0) {
    return {vi->viWindowLo[0], vi->viWindowLo[1], vi->viWindowHi[0], vi->viWindowHi[1]};
  }
  return {-kEdge, -kEdge, kEdge, kEdge};
}

std::uint32_t SideOutcodes(const Bounds& b, float x, float y) {
  std::uint32_t flags = 0;
  if (x < b.lowX) {
    flags |= SG_XFORM_FLAG_LEFT_CLIP;
  } else if (x >= b.hiX) {
    flags |= SG_XFORM_FLAG_RIGHT_CLIP;
  }
  if (y < b.lowY) {
    flags |= SG_XFORM_FLAG_BOTTOM_CLIP;
  } else if (y >= b.hiY) {
    flags |= SG_XFORM_FLAG_TOP_CLIP;
  }
  return flags;
}

float PlaneDot(const float* plane, const float* p) { return plane[0] * p[0] + plane[1] * p[1] + plane[2] * p[2]; }

// The outcodes a made vertex may gain after clipping against `plane`.
std::uint32_t OutcodesAfter(std::uint32_t plane) {
  switch (plane) {
    case 0:
    case 1:
      return SG_XFORM_FLAG_LEFT_CLIP | SG_XFORM_FLAG_BOTTOM_CLIP | SG_XFORM_FLAG_RIGHT_CLIP | SG_XFORM_FLAG_TOP_CLIP;
    case 2:
      return SG_XFORM_FLAG_BOTTOM_CLIP | SG_XFORM_FLAG_RIGHT_CLIP | SG_XFORM_FLAG_TOP_CLIP;
    case 3:
      return SG_XFORM_FLAG_RIGHT_CLIP | SG_XFORM_FLAG_TOP_CLIP;
    case 4:
      return SG_XFORM_FLAG_TOP_CLIP;
    default:
      return 0;
  }
}

std::uint32_t PlaneBit(std::uint32_t plane) { return plane < 6 ? SG_XFORM_FLAG_NEAR_CLIP << plane : 0; }

SGError NextLinePlane(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** pair, std::uint32_t plane) {
  if (plane < 5) {
    return ISGClipLine(rend, scene, mat, pair, plane + 1);
  }
  return rend->renMethods.rmDrawLines(rend, scene, mat, pair);
}

SGError NextTrianglePlane(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** triple, std::uint32_t plane) {
  if (plane < 5) {
    return ISGClipTriangle(rend, scene, mat, triple, plane + 1);
  }
  return rend->renMethods.rmDrawTriangle(rend, scene, mat, triple);
}

bool OutsidePlane(const SGRenderer* rend, std::uint32_t plane, const SGTxVertex* v) {
  if (plane < 6) {
    return (v->txvFlags & PlaneBit(plane)) != 0;
  }
  return PlaneDot(rend->renClipPlanes[plane], v->txvPos) > rend->renClipPlanes[plane][3];
}

// A face corner's prepared vertex turned into a pool vertex.
[[gnu::always_inline]] inline SGError MakeCorner(SGRenderer* rend, const ISGPrepVertex* pv, SGTxVertex** out) {
  SGTxVertex* txv = nullptr;
  // Room in the current block nearly always: the pool's call only to move on.
  if (rend->renTxvNext != rend->renTxvBlocks[rend->renTxvBlock] + rend->renTxvBlockSize) {
    txv = rend->renTxvNext++;
    txv->txvConverted = 0;
    txv->txvTexture = nullptr;
    std::memset(txv->txvColour, 0, sizeof(txv->txvColour));
  } else {
    const SGError err = ISGRendererNewTxVert(rend, &txv);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  txv->txvFlags = pv->pvFlags;
  for (int k = 0; k < 4; ++k) {
    txv->txvLoc[k] = pv->pvLoc[k];
  }
  txv->txvFog = pv->pvFog;
  *out = txv;
  return SG_ERROR_NONE;
}

// The model vertex through the top model matrix: eye-relative world coordinates.
void WorldPosition(SGRenderer* rend, const SGPoint3s& v, SGTxVertex* txv) {
  SGMatrix* m = nullptr;
  ISGRendererGetModelXform(rend, &m);
  const float p[3] = {v.x, v.y, v.z};
  for (int k = 0; k < 3; ++k) {
    txv->txvPos[k] = p[0] * m->m[0][k] + p[1] * m->m[1][k] + p[2] * m->m[2][k] + m->m[3][k];
  }
}

float Shade(const ISGPart* part, std::uint32_t normal) {
  const float s = part->shades != nullptr ? part->shades[normal] : 1.f;
  return s > 0.f ? s : 0.f;
}

}  // namespace

SGError ISGTransformVertex(SGRenderer* rend, SGTxVertex* txv) {
  const SGViewData* vi = rend->renViewData;
  ISG_ASSERT(vi, "insttri.c");
  txv->txvFlags &= ~(SG_TXV_UNTRANSFORMED | SG_XFORM_FLAG_CLIP_MASK);
  const SGMatrix& m = rend->renXform;
  const float* p = txv->txvPos;
  float col[4];
  for (int c = 0; c < 4; ++c) {
    col[c] = p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c];
  }
  const float z = col[2];
  if (z <= kNearZ) {
    txv->txvFlags |= SG_XFORM_FLAG_NEAR_CLIP;
    return SG_ERROR_NONE;
  }
  if ((rend->renFlags & SG_REND_FLAG_FOG) != 0) {
    if (z >= vi->viYon) {
      txv->txvFog = 0.f;
      txv->txvFlags |= SG_TXV_FOGGED;
    } else {
      const float fog = (vi->viYon - z) * rend->renFogRecip;
      if (fog < 1.f) {
        txv->txvFog = fog;
        txv->txvFlags |= SG_TXV_FOGGED;
      } else {
        txv->txvFog = 1.f;
      }
    }
  } else {
    txv->txvFog = 1.f;
  }
  const float w = col[3];
  if (w > vi->viYon) {
    txv->txvFlags |= SG_XFORM_FLAG_FAR_CLIP;
  }
  const float q = 1.f / w;
  const float x = col[0] * q;
  const float y = col[1] * q;
  txv->txvFlags |= SideOutcodes(WindowBounds(vi), x, y);
  txv->txvLoc[0] = (x + 1.f) * vi->viScale[0] + vi->viOffset[0];
  txv->txvLoc[1] = (y + 1.f) * vi->viScale[1] + vi->viOffset[1];
  txv->txvLoc[2] = std::fmax(0.f, z * q);
  txv->txvLoc[3] = q;
  if ((rend->renFlags & SG_REND_FLAG_ALL_FOGGED) != 0) {
    txv->txvFlags |= SG_TXV_FOGGED;
  }
  return SG_ERROR_NONE;
}

SGError ISGTxVertexInterpolate(SGRenderer* rend, std::uint32_t plane, const SGTxVertex* from, const SGTxVertex* to,
                               SGTxVertex** out) {
  SGTxVertex* v = nullptr;
  const SGError err = ISGRendererNewTxVert(rend, &v);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  const float* n = rend->renClipPlanes[plane];
  float delta[3];
  for (int k = 0; k < 3; ++k) {
    delta[k] = to->txvPos[k] - from->txvPos[k];
  }
  float t = (n[3] - PlaneDot(n, from->txvPos)) / PlaneDot(n, delta);
  if (!(t <= 1.f)) {
    t = 1.f;
  }
  if (t < 0.f) {
    t = 0.f;
  }
  *v = *from;
  v->txvFlags = (from->txvFlags | to->txvFlags) & ~SG_XFORM_FLAG_CLIP_MASK;
  v->txvConverted = 0;
  for (int k = 0; k < 3; ++k) {
    v->txvPos[k] = from->txvPos[k] + t * delta[k];
  }
  for (int k = 0; k < 2; ++k) {
    v->txvUV[k] = from->txvUV[k] + t * (to->txvUV[k] - from->txvUV[k]);
  }
  for (int k = 0; k < 4; ++k) {
    const float c = static_cast<float>(from->txvColour[k]) +
                    t * (static_cast<float>(to->txvColour[k]) - static_cast<float>(from->txvColour[k]));
    v->txvColour[k] = static_cast<std::uint8_t>(std::lround(c));
  }
  if ((v->txvFlags & SG_TXV_SHADED) != 0) {
    v->txvShade = std::fmax(0.f, from->txvShade + t * (to->txvShade - from->txvShade));
  }
  if ((v->txvFlags & SG_TXV_FOGGED) != 0) {
    if (plane == 1) {
      v->txvFog = 0.f;
    } else {
      const float f0 = (from->txvFlags & SG_TXV_FOGGED) != 0 ? from->txvFog : 1.f;
      const float f1 = (to->txvFlags & SG_TXV_FOGGED) != 0 ? to->txvFog : 1.f;
      v->txvFog = std::fmax(0.f, f0 + t * (f1 - f0));
    }
  }
  const SGMatrix& m = rend->renCameraXform;
  const float* p = v->txvPos;
  float col[4];
  for (int c = 0; c < 4; ++c) {
    col[c] = p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c];
  }
  const SGViewData* vi = rend->renViewData;
  const float q = 1.f / col[3];
  const float x = col[0] * q;
  const float y = col[1] * q;
  v->txvLoc[0] = (x + 1.f) * vi->viScale[0] + vi->viOffset[0];
  v->txvLoc[1] = (y + 1.f) * vi->viScale[1] + vi->viOffset[1];
  v->txvLoc[2] = std::fmax(0.f, col[2] * q);
  v->txvLoc[3] = q;
  v->txvFlags |= SideOutcodes(WindowBounds(vi), x, y) & OutcodesAfter(plane);
  *out = v;
  return SG_ERROR_NONE;
}

SGError ISGClipLine(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** pair, std::uint32_t plane) {
  if (NotReady(mat)) {
    return SG_ERROR_NONE;
  }
  const float* n = rend->renClipPlanes[plane];
  const bool out0 = PlaneDot(n, pair[0]->txvPos) > n[3];
  const bool out1 = PlaneDot(n, pair[1]->txvPos) > n[3];
  if (out0 && out1) {
    return SG_ERROR_NONE;
  }
  if (!out0 && !out1) {
    return NextLinePlane(rend, scene, mat, pair, plane);
  }
  SGTxVertex* inside = out0 ? pair[1] : pair[0];
  SGTxVertex* outside = out0 ? pair[0] : pair[1];
  SGTxVertex* made = nullptr;
  const SGError err = ISGTxVertexInterpolate(rend, plane, inside, outside, &made);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  SGTxVertex* clipped[2] = {inside, made};
  return NextLinePlane(rend, scene, mat, clipped, plane);
}

SGError ISGClipTriangle(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** triple, std::uint32_t plane) {
  if (NotReady(mat)) {
    return SG_ERROR_NONE;
  }
  if ((triple[0]->txvFlags & triple[1]->txvFlags & triple[2]->txvFlags & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    return SG_ERROR_NONE;
  }
  const std::uint32_t bit = PlaneBit(plane);
  std::uint32_t outside = 0;
  int k = 0;
  int j = 0;
  for (int i = 0; i < 3; ++i) {
    if ((triple[i]->txvFlags & bit) != 0) {
      ++outside;
      k = i;
    } else {
      j = i;
    }
  }
  if (outside == 0) {
    return NextTrianglePlane(rend, scene, mat, triple, plane);
  }
  if (outside == 3) {
    return SG_ERROR_NONE;
  }
  SGError err = SG_ERROR_NONE;
  if (outside == 1) {
    SGTxVertex* vk = triple[k];
    SGTxVertex* v1 = triple[(k + 1) % 3];
    SGTxVertex* v2 = triple[(k + 2) % 3];
    SGTxVertex* a = nullptr;
    SGTxVertex* b = nullptr;
    err = ISGTxVertexInterpolate(rend, plane, v1, vk, &a);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    SGTxVertex* first[3] = {v1, v2, a};
    err = NextTrianglePlane(rend, scene, mat, first, plane);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    err = ISGTxVertexInterpolate(rend, plane, v2, vk, &b);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    SGTxVertex* second[3] = {v2, b, a};
    return NextTrianglePlane(rend, scene, mat, second, plane);
  }
  SGTxVertex* vj = triple[j];
  SGTxVertex* a = nullptr;
  SGTxVertex* b = nullptr;
  err = ISGTxVertexInterpolate(rend, plane, vj, triple[(j + 1) % 3], &a);
  if (err == SG_ERROR_NONE) {
    err = ISGTxVertexInterpolate(rend, plane, vj, triple[(j + 2) % 3], &b);
  }
  if (err != SG_ERROR_NONE) {
    return err;
  }
  SGTxVertex* kept[3] = {vj, a, b};
  return NextTrianglePlane(rend, scene, mat, kept, plane);
}

SGError ISGPolygonClipPlane(SGRenderer* rend, ISGPolygon* poly, std::uint32_t plane) {
  const std::uint32_t n = poly->count;
  bool out[10];
  std::uint32_t numOut = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    out[i] = OutsidePlane(rend, plane, poly->verts[i]);
    numOut += out[i] ? 1 : 0;
  }
  if (numOut == 0) {
    return SG_ERROR_NONE;
  }
  if (numOut == n) {
    poly->count = 0;
    return SG_ERROR_NONE;
  }
  // The outside vertices of a convex polygon form one cyclic run: it starts
  // after the last inside vertex i and ends before the first inside one.
  std::uint32_t start = 0;
  while (!(out[start] && !out[(start + n - 1) % n])) {
    ++start;
  }
  const std::uint32_t i = (start + n - 1) % n;
  const std::uint32_t o = (start + numOut - 1) % n;
  const std::uint32_t after = (o + 1) % n;
  SGTxVertex* a = nullptr;
  SGTxVertex* b = nullptr;
  SGError err = ISGTxVertexInterpolate(rend, plane, poly->verts[i], poly->verts[start], &a);
  if (err == SG_ERROR_NONE) {
    err = ISGTxVertexInterpolate(rend, plane, poly->verts[after], poly->verts[o], &b);
  }
  if (err != SG_ERROR_NONE) {
    return err;
  }
  if (plane == 6) {
    // The ground plane has no outcode: made vertices lie on it.
    a->txvFlags &= ~SG_XFORM_FLAG_CLIP_MASK;
    b->txvFlags &= ~SG_XFORM_FLAG_CLIP_MASK;
  }
  ISGPolygon result{};
  for (std::uint32_t s = after;; s = (s + 1) % n) {
    result.verts[result.count++] = poly->verts[s];
    if (s == i) {
      break;
    }
  }
  result.verts[result.count++] = a;
  result.verts[result.count++] = b;
  *poly = result;
  return SG_ERROR_NONE;
}

SGError ISGPolygonClipDraw(SGRenderer* rend, SGScene* scene, const SGInstance* inst, SGMaterial* mat,
                           SGTxVertex** triple) {
  if (NotReady(mat)) {
    return SG_ERROR_NONE;
  }
  ISGPolygon poly{3, {triple[0], triple[1], triple[2]}};
  const std::uint32_t last = (inst->instFlags & SG_INST_GROUND_CLIP) != 0 ? 6 : 5;
  for (std::uint32_t p = 0; p <= last; ++p) {
    if (p == 1 && (inst->instAttributes & SG_ATTR_NO_NEAR) != 0) {
      continue;
    }
    const SGError err = ISGPolygonClipPlane(rend, &poly, p);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    if (poly.count == 0) {
      return SG_ERROR_NONE;
    }
  }
  for (std::uint32_t i = 2; i < poly.count; ++i) {
    SGTxVertex* fan[3] = {poly.verts[0], poly.verts[i - 1], poly.verts[i]};
    const SGError err = rend->renMethods.rmDrawTriangle(rend, scene, mat, fan);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  return SG_ERROR_NONE;
}

SGMaterial* ISGPartMaterial(const SGScene*, const SGInstance* inst, std::uint32_t index) {
  const auto* mi = static_cast<const SGModelInst*>(inst->instData);
  // An index past the table comes from a model that does not fit the
  // instance's materials: it is drawn as having none.
  if (mi == nullptr || mi->miMatTable == nullptr || index >= mi->miNumMaterials) {
    return nullptr;
  }
  return mi->miMatTable[index];
}

SGError ISGInstDrawPointList(SGRenderer* rend, SGScene* scene, const ISGPart* part, const SGPointList* ptl) {
  if (rend->renMethods.rmDrawPoints == nullptr) {
    return SG_ERROR_UNSUPPORTED;
  }
  SGMaterial* mat = ISGPartMaterial(scene, part->inst, ptl->ptlMatIndex);
  if (NotReady(mat)) {
    return SG_ERROR_NONE;
  }
  const SGModelSubTransform* mst = part->mst;
  if (mat->matTexMap != nullptr && (ptl->ptlUVs == nullptr || mst->mstUVs == nullptr || ptl->ptlUVs[0] == SG_UV_NONE)) {
    return SG_ERROR_NO_UVS;
  }
  for (std::uint32_t i = 0; i < ptl->ptlNumPoints; ++i) {
    if (ptl->ptlVertIndex[i] >= mst->mstNumVerts) {
      continue;
    }
    const ISGPrepVertex* pv = &part->verts[ptl->ptlVertIndex[i]];
    if ((pv->pvFlags & SG_XFORM_FLAG_CLIP_MASK) != 0) {
      continue;
    }
    SGTxVertex* txv = nullptr;
    SGError err = MakeCorner(rend, pv, &txv);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    const bool normal = ptl->ptlNormalIndex != nullptr && ptl->ptlNormalIndex[i] < mst->mstNumNormals;
    txv->txvShade = normal ? Shade(part, ptl->ptlNormalIndex[i]) : 1.f;
    if (ptl->ptlUVs != nullptr && mst->mstUVs != nullptr && ptl->ptlUVs[i] < mst->mstNumUVs) {
      txv->txvUV[0] = mst->mstUVs[ptl->ptlUVs[i]].u;
      txv->txvUV[1] = mst->mstUVs[ptl->ptlUVs[i]].v;
    }
    err = rend->renMethods.rmDrawPoints(rend, scene, mat, &txv);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  return SG_ERROR_NONE;
}

SGError ISGInstDrawLineList(SGRenderer* rend, SGScene* scene, const ISGPart* part, const SGLineList* lin) {
  SGMaterial* mat = ISGPartMaterial(scene, part->inst, lin->linMatIndex);
  if (NotReady(mat)) {
    return SG_ERROR_NONE;
  }
  for (std::uint32_t i = 0; i < lin->linNumLines; ++i) {
    if (lin->linVertIndex[2 * i] >= part->mst->mstNumVerts || lin->linVertIndex[2 * i + 1] >= part->mst->mstNumVerts) {
      continue;
    }
    SGTxVertex* pair[2] = {};
    std::uint32_t flags = 0;
    for (int e = 0; e < 2; ++e) {
      const ISGPrepVertex* pv = &part->verts[lin->linVertIndex[2 * i + e]];
      const SGError err = MakeCorner(rend, pv, &pair[e]);
      if (err != SG_ERROR_NONE) {
        return err;
      }
      pair[e]->txvShade = 1.f;
      pair[e]->txvUV[0] = pair[e]->txvUV[1] = 0.f;
      flags |= pair[e]->txvFlags;
    }
    SGError err;
    if ((flags & SG_XFORM_FLAG_CLIP_MASK) != 0) {
      for (int e = 0; e < 2; ++e) {
        WorldPosition(rend, part->mst->mstVerts[lin->linVertIndex[2 * i + e]], pair[e]);
      }
      err = rend->renMethods.rmClipLine(rend, scene, mat, pair, 0);
    } else {
      err = rend->renMethods.rmDrawLines(rend, scene, mat, pair);
    }
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  return SG_ERROR_NONE;
}

namespace {

// Whether a face can show at all: its corners are of the part's vertex set,
// not all outside one plane, and it faces the eye (a corner behind the eye
// leaves that to the clipping). Branch-free, since which faces turn away is
// as good as random: a face list is first sifted with it.
[[gnu::always_inline]] inline bool FaceMayShow(const ISGPrepVertex* verts, std::uint32_t numVerts, const SGFace& face) {
  const std::uint32_t i0 = face.facVertIndex[0], i1 = face.facVertIndex[1], i2 = face.facVertIndex[2];
  const std::uint32_t inRange = static_cast<std::uint32_t>(i0 < numVerts) & static_cast<std::uint32_t>(i1 < numVerts) &
                                static_cast<std::uint32_t>(i2 < numVerts);
  // Vertex 0 stands in for a corner out of range (the caller has one): its
  // values are read, and the face is refused anyway.
  const ISGPrepVertex& a = verts[i0 < numVerts ? i0 : 0];
  const ISGPrepVertex& b = verts[i1 < numVerts ? i1 : 0];
  const ISGPrepVertex& c = verts[i2 < numVerts ? i2 : 0];
  const std::uint32_t andFlags = a.pvFlags & b.pvFlags & c.pvFlags;
  const std::uint32_t orFlags = a.pvFlags | b.pvFlags | c.pvFlags;
  const float x0 = a.pvLoc[0], y0 = a.pvLoc[1];
  const std::uint32_t back =
      static_cast<std::uint32_t>((b.pvLoc[0] - x0) * (c.pvLoc[1] - y0) >= (c.pvLoc[0] - x0) * (b.pvLoc[1] - y0));
  const std::uint32_t near = static_cast<std::uint32_t>((orFlags & SG_XFORM_FLAG_NEAR_CLIP) != 0);
  const std::uint32_t clipped = static_cast<std::uint32_t>((andFlags & SG_XFORM_FLAG_CLIP_MASK) != 0);
  return (inRange & (clipped ^ 1u) & (near | (back ^ 1u))) != 0;
}

// What the faces of one part share while they are drawn: nothing a face's
// drawing changes. The material is looked up again only when the index
// changes, which in a face list it rarely does.
struct FaceRun {
  explicit FaceRun(const ISGPart* part)
      : inst(part->inst),
        mst(part->mst),
        shaded((part->inst->instFlags & SG_INST_LIT) != 0 ? SG_TXV_SHADED : 0),
        groundClip((part->inst->instFlags & SG_INST_GROUND_CLIP) != 0) {}

  SGMaterial* Material(const SGScene* scene, std::uint32_t index) {
    if (index != matIndex || !matKnown) {
      mat = ISGPartMaterial(scene, inst, index);
      matIndex = index;
      matKnown = true;
    }
    return mat;
  }

  SGInstance* inst;
  const SGModelSubTransform* mst;
  std::uint32_t shaded;
  bool groundClip;
  bool matKnown = false;
  std::uint32_t matIndex = 0;
  SGMaterial* mat = nullptr;
};

// A face corner's key: its texture coordinate and normal indices, with the
// top bit set so that no key is the 0 of a vertex not yet used.
std::uint32_t CornerKey(std::uint32_t uv, std::uint32_t normal) {
  return 0x80000000u | ((uv & 0x7FFF) << 16) | (normal & 0xFFFF);
}

const float kNoUV[2] = {0.f, 0.f};

// The texture coordinates a corner reads: none past the table.
const float* CornerUV(const SGModelSubTransform* mst, bool hasUVs, std::uint32_t uv) {
  return hasUVs && uv < mst->mstNumUVs ? &mst->mstUVs[uv].u : kNoUV;
}

float CornerShade(const ISGPart* part, std::uint32_t normal) {
  return normal < part->mst->mstNumNormals ? Shade(part, normal) : 1.f;
}

// The transformed vertex of a face corner, made once per vertex and key. One
// whose screen vertex was made already (by DirectCorner) shares it, so the
// faces around the vertex draw it alike.
SGError TransformedCorner(SGRenderer* rend, const ISGPart* part, const FaceRun& run, ISGPrepVertex* pv, bool hasUVs,
                          std::uint32_t uv, std::uint32_t normal, SGTxVertex** out) {
  const std::uint32_t key = CornerKey(uv, normal);
  if (pv->pvKey == key && pv->pvTxv != nullptr) {
    *out = pv->pvTxv;
    return SG_ERROR_NONE;
  }
  SGTxVertex* txv = nullptr;
  const SGError err = MakeCorner(rend, pv, &txv);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  const float* uvs = CornerUV(run.mst, hasUVs, uv);
  txv->txvUV[0] = uvs[0];
  txv->txvUV[1] = uvs[1];
  txv->txvShade = CornerShade(part, normal);
  txv->txvFlags |= run.shaded;
  if (pv->pvKey == key && rend->renD3D != nullptr) {
    // Its batch entry, made by ISGD3DDrawPreparedFace.
    txv->txvConverted = pv->pvD3DTag;
    txv->txvQIndex = pv->pvQIndex;
  } else if (pv->pvKey == key) {
    txv->txvConverted = 1;
    txv->txvQIndex = pv->pvQIndex;
    txv->txvTexture = pv->pvQTexture;
  }
  pv->pvKey = key;
  pv->pvTxv = txv;
  *out = txv;
  return SG_ERROR_NONE;
}

// The screen vertex of a corner of a face wholly inside the view, made once
// per vertex and key straight from the prepared vertex, with no transformed
// vertex between (0xFFFFFFFF when the array cannot grow). Its values are a
// transformed vertex's, made and converted, to the bit.
[[gnu::always_inline]] inline std::uint32_t DirectCorner(SGRenderer* rend, const ISGPart* part, const FaceRun& run,
                                                         const SGMaterial* mat, ISGPrepVertex* pv, bool hasUVs,
                                                         std::uint32_t uv, std::uint32_t normal, std::uint32_t orFlags,
                                                         bool indexed) {
  const std::uint32_t key = CornerKey(uv, normal);
  const SGTextureMap* txm = mat->matTexMap;
  if (pv->pvKey == key) {
    if (pv->pvTxv != nullptr) {
      return isg_ep::ConvertVertex(rend, mat, pv->pvTxv, orFlags, indexed);
    }
    if (pv->pvQTexture != txm) {
      isg_ep::MakeUV(&rend->renQVerts[pv->pvQIndex], CornerUV(run.mst, hasUVs, uv), txm);
      pv->pvQTexture = txm;
    }
    return pv->pvQIndex;
  }
  const std::uint32_t index = isg_ep::NextQVert(rend);
  if (index == 0xFFFFFFFF) {
    return index;
  }
  // A transformed vertex starts with colour 0.
  isg_ep::MakeQVert(
      rend, mat,
      isg_ep::CornerValues{pv->pvLoc, CornerUV(run.mst, hasUVs, uv), 0, CornerShade(part, normal), pv->pvFog}, orFlags,
      indexed, &rend->renQVerts[index]);
  pv->pvKey = key;
  pv->pvTxv = nullptr;
  pv->pvQIndex = index;
  pv->pvQTexture = txm;
  return index;
}

// How a face wholly inside the view is drawn: through transformed vertices
// and the renderer's triangle slot; or, with the software slot installed,
// from screen vertices made straight from the prepared ones; or, with the
// Direct3D slot installed, from batch entries made straight from them.
enum class FacePath { kTransformed, kScreen, kDevice };

// A face that FaceMayShow let through: its material, corners and triangle.
// On the screen path a face wholly inside the view goes to the software
// slot's drawing without the call through the table and the slot's clip
// test, which such a face passes, and may wait in `batch` for its fill; a
// face that is clipped draws at once, after those. `setting` is the
// renderer's for the run, read on the screen path only. On the device path
// such a face goes to the Direct3D batch as the slot would send it, without
// transformed vertices between.
template <FacePath path>
[[gnu::always_inline]] inline SGError DrawShownFace(SGRenderer* rend, SGScene* scene, const ISGPart* part, FaceRun& run,
                                                    const SGFace* face, const isg_ep::DrawSetting* setting = nullptr,
                                                    isg_ep::TriBatch* batch = nullptr) {
  ISGPrepVertex* pv[3];
  std::uint32_t orFlags = 0;
  for (int k = 0; k < 3; ++k) {
    pv[k] = &part->verts[face->facVertIndex[k]];
    orFlags |= pv[k]->pvFlags;
  }
  SGMaterial* mat = run.Material(scene, face->facMatIndex);
  if (NotReady(mat)) {
    return SG_ERROR_NONE;
  }
  const SGModelSubTransform* mst = run.mst;
  const bool hasUVs = mst->mstUVs != nullptr && face->facUVIndex[0] != SG_UV_NONE;
  if (mat->matTexMap != nullptr && !hasUVs) {
    return SG_ERROR_NO_UVS;
  }
  const bool clipped = (orFlags & SG_XFORM_FLAG_CLIP_MASK) != 0 || run.groundClip;
  if constexpr (path == FacePath::kDevice) {
    if (!clipped) {
      ISGD3DCorner corners[3];
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t uv = hasUVs ? face->facUVIndex[k] : 0xFFFF;
        const std::uint32_t normal = face->facNormalIndex[k];
        corners[k] = {pv[k], CornerKey(uv, normal), CornerUV(mst, hasUVs, uv), CornerShade(part, normal)};
      }
      return ISGD3DDrawPreparedFace(rend, mat, corners, run.shaded);
    }
  }
  if constexpr (path == FacePath::kScreen) {
    if (!clipped) {
      isg_ep::FlushForMaterial(rend, batch, mat);
      orFlags |= run.shaded;
      std::uint32_t index[3];
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t uv = hasUVs ? face->facUVIndex[k] : 0xFFFF;
        index[k] =
            DirectCorner(rend, part, run, mat, pv[k], hasUVs, uv, face->facNormalIndex[k], orFlags, setting->indexed);
        if (index[k] == 0xFFFFFFFF) {
          return SG_ERROR_NO_MEMORY;
        }
      }
      return isg_ep::DrawConverted(rend, scene, mat, *setting, index, orFlags, batch);
    }
  }
  SGTxVertex* triple[3];
  for (int k = 0; k < 3; ++k) {
    const std::uint32_t uv = hasUVs ? face->facUVIndex[k] : 0xFFFF;
    const SGError err = TransformedCorner(rend, part, run, pv[k], hasUVs, uv, face->facNormalIndex[k], &triple[k]);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  if (clipped) {
    if (batch != nullptr) {
      isg_ep::Flush(rend, *batch);
    }
    for (int k = 0; k < 3; ++k) {
      WorldPosition(rend, mst->mstVerts[face->facVertIndex[k]], triple[k]);
    }
    return ISGPolygonClipDraw(rend, scene, run.inst, mat, triple);
  }
  return rend->renMethods.rmDrawTriangle(rend, scene, mat, triple);
}

// The sifting and drawing of a face list, up to the first failure.
template <FacePath path>
SGError DrawFaceList(SGRenderer* rend, SGScene* scene, const ISGPart* part, const SGFace* faces, std::uint32_t count) {
  const std::uint32_t numVerts = part->mst->mstNumVerts;
  // Sifted a chunk at a time (drawing a face changes nothing the sifting
  // reads), then the faces that may show drawn in their order.
  constexpr std::uint32_t kChunk = 128;
  std::uint32_t shown[kChunk];
  FaceRun run(part);
  isg_ep::TriBatch batch;
  isg_ep::TriBatch* waiting = path == FacePath::kScreen ? &batch : nullptr;
  isg_ep::DrawSetting setting{};
  if constexpr (path == FacePath::kScreen) {
    setting = isg_ep::SettingOf(rend);
  }
  for (std::uint32_t first = 0; first < count; first += kChunk) {
    const std::uint32_t end = count - first > kChunk ? first + kChunk : count;
    std::uint32_t n = 0;
    for (std::uint32_t i = first; i < end; ++i) {
      shown[n] = i;
      n += FaceMayShow(part->verts, numVerts, faces[i]) ? 1 : 0;
    }
    rend->renFaceCount += end - first;
    for (std::uint32_t j = 0; j < n; ++j) {
      const SGError err = DrawShownFace<path>(rend, scene, part, run, &faces[shown[j]], &setting, waiting);
      if (err != SG_ERROR_NONE) {
        isg_ep::Flush(rend, batch);
        rend->renFaceCount -= end - 1 - shown[j];  // the faces after it were not reached
        return err;
      }
    }
  }
  isg_ep::Flush(rend, batch);
  return SG_ERROR_NONE;
}

}  // namespace

SGError ISGInstDrawFace(SGRenderer* rend, SGScene* scene, const ISGPart* part, const SGFace* face) {
  ++rend->renFaceCount;
  if (part->mst->mstNumVerts == 0 || !FaceMayShow(part->verts, part->mst->mstNumVerts, *face)) {
    return SG_ERROR_NONE;
  }
  FaceRun run(part);
  return DrawShownFace<FacePath::kTransformed>(rend, scene, part, run, face);
}

SGError ISGInstDrawFaces(SGRenderer* rend, SGScene* scene, const ISGPart* part, const SGFace* faces,
                         std::uint32_t count) {
  if (part->mst->mstNumVerts == 0) {
    rend->renFaceCount += count;
    return SG_ERROR_NONE;
  }
  if (rend->renMethods.rmDrawTriangle == ISGEPDrawTriangle) {
    return DrawFaceList<FacePath::kScreen>(rend, scene, part, faces, count);
  }
  if (rend->renMethods.rmDrawTriangle == ISGD3DDrawTriangle) {
    return DrawFaceList<FacePath::kDevice>(rend, scene, part, faces, count);
  }
  return DrawFaceList<FacePath::kTransformed>(rend, scene, part, faces, count);
}
