// Geometry operations on models: face planes, bounds and radii, translation,
// scaling, walking every node. Shared vertex arrays (root arrays included) are
// changed once per operation.

#include <algorithm>
#include <bit>
#include <cmath>

#include "sg/model/model.h"
#include "sg/model/modlist.h"

namespace {

constexpr float kFar = 1e33f;

SGPoint3s Sub(const SGPoint3s& a, const SGPoint3s& b) { return SGPoint3s{a.x - b.x, a.y - b.y, a.z - b.z}; }

void Extend(float mn[3], float mx[3], const float p[3]) {
  for (int k = 0; k < 3; ++k) {
    mn[k] = std::min(mn[k], p[k]);
    mx[k] = std::max(mx[k], p[k]);
  }
}

void Extend(float mn[3], float mx[3], const SGPoint3s& p) {
  const float v[3] = {p.x, p.y, p.z};
  Extend(mn, mx, v);
}

float DistSq(const SGPoint3s& p, const float q[3]) {
  const float dx = p.x - q[0];
  const float dy = p.y - q[1];
  const float dz = p.z - q[2];
  return dx * dx + dy * dy + dz * dz;
}

// The sub-transform that becomes current at a node, given the one current before.
SGModelSubTransform* Step(const SGGeoNode* node, SGModelSubTransform* cur) {
  if (node->gdType == SG_GD_TYPE_XFORM) {
    auto* mst = static_cast<SGModelSubTransform*>(node->gdData);
    mst->mstParent = cur;
    return mst;
  }
  if (node->gdType == SG_GD_TYPE_XFORM_END) {
    return cur->mstParent;
  }
  return cur;
}

void Bounds(SGGeoNode* node, SGModelSubTransform* cur, SGModelLod* lod) {
  for (; node != nullptr; node = node->gdNext) {
    switch (node->gdType) {
      case SG_GD_TYPE_BSP: {
        auto* split = static_cast<SGGeoSplit*>(node->gdData);
        Bounds(split->gspFront, cur, lod);
        Bounds(split->gspBack, cur, lod);
        break;
      }
      case SG_GD_TYPE_FACES: {
        auto* fcl = static_cast<SGFaceList*>(node->gdData);
        ISGFaceListUpdate(cur->mstVerts, fcl);
        float r2 = 0.f;
        for (std::uint32_t i = 0; i < fcl->fclNumFaces; ++i) {
          for (std::uint32_t v : fcl->fclFaces[i].facVertIndex) {
            r2 = std::max(r2, DistSq(cur->mstVerts[v], fcl->fclCentre));
          }
        }
        fcl->fclRadius = std::sqrt(r2);
        if (fcl->fclNumFaces != 0) {
          Extend(lod->mdlMin, lod->mdlMax, fcl->fclMin);
          Extend(lod->mdlMin, lod->mdlMax, fcl->fclMax);
        }
        break;
      }
      case SG_GD_TYPE_BILLBOARD: {
        auto* bil = static_cast<SGBillboard*>(node->gdData);
        bil->bilRadius = std::sqrt(bil->bilHalfHeight * bil->bilHalfHeight + bil->bilHalfWidth * bil->bilHalfWidth);
        const float half[3] = {bil->bilHalfWidth, bil->bilHalfWidth, bil->bilHalfHeight};
        for (int k = 0; k < 3; ++k) {
          bil->bilMin[k] = bil->bilCentre[k] - half[k];
          bil->bilMax[k] = bil->bilCentre[k] + half[k];
        }
        Extend(lod->mdlMin, lod->mdlMax, bil->bilMin);
        Extend(lod->mdlMin, lod->mdlMax, bil->bilMax);
        break;
      }
      case SG_GD_TYPE_POINTS: {
        const auto* ptl = static_cast<const SGPointList*>(node->gdData);
        for (std::uint32_t i = 0; i < ptl->ptlNumPoints; ++i) {
          Extend(lod->mdlMin, lod->mdlMax, cur->mstVerts[ptl->ptlVertIndex[i]]);
        }
        break;
      }
      case SG_GD_TYPE_LINES: {
        const auto* lin = static_cast<const SGLineList*>(node->gdData);
        for (std::uint32_t i = 0; i < 2 * lin->linNumLines; ++i) {
          Extend(lod->mdlMin, lod->mdlMax, cur->mstVerts[lin->linVertIndex[i]]);
        }
        break;
      }
      default:
        cur = Step(node, cur);
        break;
    }
  }
}

// The largest squared distance of the chain's geometry from q.
float RadiusSq(SGGeoNode* node, SGModelSubTransform* cur, const float q[3]) {
  float r2 = 0.f;
  for (; node != nullptr; node = node->gdNext) {
    switch (node->gdType) {
      case SG_GD_TYPE_BSP: {
        auto* split = static_cast<SGGeoSplit*>(node->gdData);
        r2 = std::max({r2, RadiusSq(split->gspFront, cur, q), RadiusSq(split->gspBack, cur, q)});
        break;
      }
      case SG_GD_TYPE_FACES: {
        const auto* fcl = static_cast<const SGFaceList*>(node->gdData);
        for (std::uint32_t i = 0; i < fcl->fclNumFaces; ++i) {
          for (std::uint32_t v : fcl->fclFaces[i].facVertIndex) {
            r2 = std::max(r2, DistSq(cur->mstVerts[v], q));
          }
        }
        break;
      }
      case SG_GD_TYPE_BILLBOARD: {
        const auto* bil = static_cast<const SGBillboard*>(node->gdData);
        for (int c = 0; c < 8; ++c) {
          const SGPoint3s corner{(c & 1) != 0 ? bil->bilMax[0] : bil->bilMin[0],
                                 (c & 2) != 0 ? bil->bilMax[1] : bil->bilMin[1],
                                 (c & 4) != 0 ? bil->bilMax[2] : bil->bilMin[2]};
          r2 = std::max(r2, DistSq(corner, q));
        }
        break;
      }
      case SG_GD_TYPE_POINTS: {
        const auto* ptl = static_cast<const SGPointList*>(node->gdData);
        for (std::uint32_t i = 0; i < ptl->ptlNumPoints; ++i) {
          r2 = std::max(r2, DistSq(cur->mstVerts[ptl->ptlVertIndex[i]], q));
        }
        break;
      }
      case SG_GD_TYPE_LINES: {
        const auto* lin = static_cast<const SGLineList*>(node->gdData);
        for (std::uint32_t i = 0; i < 2 * lin->linNumLines; ++i) {
          r2 = std::max(r2, DistSq(cur->mstVerts[lin->linVertIndex[i]], q));
        }
        break;
      }
      default:
        cur = Step(node, cur);
        break;
    }
  }
  return r2;
}

template <class Fn>
bool VertexArraysOf(SGGeoNode* node, ISGAddrList& seen, Fn fn) {
  for (; node != nullptr; node = node->gdNext) {
    if (node->gdType == SG_GD_TYPE_BSP) {
      auto* split = static_cast<SGGeoSplit*>(node->gdData);
      if (!VertexArraysOf(split->gspFront, seen, fn) || !VertexArraysOf(split->gspBack, seen, fn)) {
        return false;
      }
    } else if (node->gdType == SG_GD_TYPE_XFORM) {
      auto* mst = static_cast<SGModelSubTransform*>(node->gdData);
      if (mst->mstNumVerts != 0 && seen.Find(mst->mstVerts) == nullptr) {
        if (!seen.Add(mst->mstVerts, 0)) {
          return false;
        }
        fn(mst->mstVerts, mst->mstNumVerts);
      }
    }
  }
  return true;
}

// Applies `fn` once to every vertex array of the model, root arrays included;
// false when the list of arrays seen cannot grow.
template <class Fn>
bool ForEachVertexArray(SGModel* model, Fn fn) {
  ISGAddrList seen;
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    SGModelSubTransform& root = model->modLods[i].mdlRoot;
    if (root.mstNumVerts != 0 && seen.Find(root.mstVerts) == nullptr) {
      if (!seen.Add(root.mstVerts, 0)) {
        return false;
      }
      fn(root.mstVerts, root.mstNumVerts);
    }
    if (!VertexArraysOf(model->modLods[i].mdlData, seen, fn)) {
      return false;
    }
  }
  return true;
}

// Applies `fn` to every node of a chain, descending into splits first.
template <class Fn>
void ForEachNode(SGGeoNode* node, Fn fn) {
  for (; node != nullptr; node = node->gdNext) {
    fn(node);
    if (node->gdType == SG_GD_TYPE_BSP) {
      auto* split = static_cast<SGGeoSplit*>(node->gdData);
      ForEachNode(split->gspFront, fn);
      ForEachNode(split->gspBack, fn);
    }
  }
}

// Divides one component of a plane normal by s, renormalises the normal and
// divides the plane constant by the same length.
void ScalePlaneAxis(float normal[3], float* dist, std::uint32_t axis, float s) {
  normal[axis] /= s;
  SGPoint3s n{normal[0], normal[1], normal[2]};
  const float len = ISGVector3sNormalize(&n);
  normal[0] = n.x;
  normal[1] = n.y;
  normal[2] = n.z;
  *dist /= len;
}

}  // namespace

int ISGFaceComputePlane(const SGPoint3s* verts, SGFace* face) {
  const SGPoint3s& a = verts[face->facVertIndex[0]];
  const SGPoint3s& b = verts[face->facVertIndex[1]];
  const SGPoint3s& c = verts[face->facVertIndex[2]];
  const SGPoint3s e[3] = {Sub(a, b), Sub(b, c), Sub(c, a)};
  const float l[3] = {SGVector3sLenSq(&e[0]), SGVector3sLenSq(&e[1]), SGVector3sLenSq(&e[2])};
  if (l[0] <= 0.f || l[1] <= 0.f || l[2] <= 0.f) {
    return 0;
  }
  int k = 0;
  if (l[0] > l[1]) {
    k = l[1] <= l[2] ? 1 : 2;
  } else {
    k = l[0] <= l[2] ? 0 : 2;
  }
  const SGPoint3s& prev = e[(k + 2) % 3];
  SGPoint3s f{-prev.x, -prev.y, -prev.z};
  SGPoint3s s = e[(k + 1) % 3];
  ISGVector3sNormalize(&f);
  ISGVector3sNormalize(&s);
  SGPoint3s n = ISGVector3sCross(f, s);
  ISGVector3sNormalize(&n);
  face->facNormal[0] = n.x;
  face->facNormal[1] = n.y;
  face->facNormal[2] = n.z;
  face->facDist = -SGPoint3sDot(&n, &a);
  return 1;
}

void ISGFaceListUpdate(const SGPoint3s* verts, SGFaceList* fcl) {
  if (fcl->fclNumFaces == 0) {
    return;
  }
  const SGPoint3s& first = verts[fcl->fclFaces[0].facVertIndex[0]];
  const float start[3] = {first.x, first.y, first.z};
  for (int k = 0; k < 3; ++k) {
    fcl->fclMin[k] = fcl->fclMax[k] = start[k];
  }
  for (std::uint32_t i = 0; i < fcl->fclNumFaces; ++i) {
    SGFace& face = fcl->fclFaces[i];
    ISGFaceComputePlane(verts, &face);
    for (std::uint32_t v : face.facVertIndex) {
      Extend(fcl->fclMin, fcl->fclMax, verts[v]);
    }
  }
  for (int k = 0; k < 3; ++k) {
    fcl->fclCentre[k] = (fcl->fclMin[k] + fcl->fclMax[k]) / 2.f;
  }
}

void ISGModelLodBounds(SGModelLod* lod) {
  for (int k = 0; k < 3; ++k) {
    lod->mdlMin[k] = kFar;
    lod->mdlMax[k] = -kFar;
  }
  lod->mdlRoot.mstParent = &lod->mdlRoot;
  Bounds(lod->mdlData, &lod->mdlRoot, lod);
  for (int k = 0; k < 3; ++k) {
    lod->mdlCentre[k] = (lod->mdlMin[k] + lod->mdlMax[k]) / 2.f;
  }
}

float ISGModelRadius(SGModel* model, const float centre[3]) {
  float largest = 0.f;
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    SGModelLod& lod = model->modLods[i];
    lod.mdlRoot.mstParent = &lod.mdlRoot;
    lod.mdlRadius = std::sqrt(RadiusSq(lod.mdlData, &lod.mdlRoot, centre));
    largest = std::max(largest, lod.mdlRadius);
  }
  return largest;
}

SGError SGModelComputeBounds(SGModel* model) {
  if (model->modNumLods == 0) {
    return SG_ERROR_NONE;
  }
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    SGModelLod& lod = model->modLods[i];
    ISGModelLodBounds(&lod);
    for (int k = 0; k < 3; ++k) {
      model->modMin[k] = i == 0 ? lod.mdlMin[k] : std::min(model->modMin[k], lod.mdlMin[k]);
      model->modMax[k] = i == 0 ? lod.mdlMax[k] : std::max(model->modMax[k], lod.mdlMax[k]);
    }
  }
  for (int k = 0; k < 3; ++k) {
    model->modCentre[k] = (model->modMin[k] + model->modMax[k]) / 2.f;
  }
  const float origin[3] = {0.f, 0.f, 0.f};
  model->modRadius = ISGModelRadius(model, origin);
  return SG_ERROR_NONE;
}

SGError SGModelTranslate(SGModel* model, const float t[3]) {
  const bool ok = ForEachVertexArray(model, [t](SGPoint3s* v, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) {
      v[i].x += t[0];
      v[i].y += t[1];
      v[i].z += t[2];
    }
  });
  if (!ok) {
    return SG_ERROR_NO_MEMORY;
  }
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    ForEachNode(model->modLods[i].mdlData, [t](SGGeoNode* node) {
      if (node->gdType == SG_GD_TYPE_BSP) {
        auto* s = static_cast<SGGeoSplit*>(node->gdData);
        s->gspDist -= s->gspNormal[0] * t[0] + s->gspNormal[1] * t[1] + s->gspNormal[2] * t[2];
      } else if (node->gdType == SG_GD_TYPE_FACES) {
        auto* fcl = static_cast<SGFaceList*>(node->gdData);
        for (std::uint32_t f = 0; f < fcl->fclNumFaces; ++f) {
          SGFace& face = fcl->fclFaces[f];
          face.facDist -= face.facNormal[0] * t[0] + face.facNormal[1] * t[1] + face.facNormal[2] * t[2];
        }
      } else if (node->gdType == SG_GD_TYPE_BILLBOARD) {
        auto* bil = static_cast<SGBillboard*>(node->gdData);
        for (int k = 0; k < 3; ++k) {
          bil->bilCentre[k] += t[k];
          bil->bilPoint[k] += t[k];
        }
      }
    });
  }
  return SG_ERROR_NONE;
}

SGError SGModelScale(SGModel* model, float s) {
  const bool ok = ForEachVertexArray(model, [s](SGPoint3s* v, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) {
      v[i].x *= s;
      v[i].y *= s;
      v[i].z *= s;
    }
  });
  if (!ok) {
    return SG_ERROR_NO_MEMORY;
  }
  model->modRadius *= s;
  for (int k = 0; k < 3; ++k) {
    model->modMin[k] *= s;
    model->modMax[k] *= s;
    model->modCentre[k] *= s;
  }
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    SGModelLod& lod = model->modLods[i];
    lod.mdlRadius *= s;
    for (int k = 0; k < 3; ++k) {
      lod.mdlMin[k] *= s;
      lod.mdlMax[k] *= s;
      lod.mdlCentre[k] *= s;
    }
    ForEachNode(lod.mdlData, [s](SGGeoNode* node) {
      if (node->gdType == SG_GD_TYPE_BSP) {
        static_cast<SGGeoSplit*>(node->gdData)->gspDist *= s;
      } else if (node->gdType == SG_GD_TYPE_FACES) {
        auto* fcl = static_cast<SGFaceList*>(node->gdData);
        fcl->fclRadius *= s;
        for (int k = 0; k < 3; ++k) {
          fcl->fclMin[k] *= s;
          fcl->fclMax[k] *= s;
          fcl->fclCentre[k] *= s;
        }
        for (std::uint32_t f = 0; f < fcl->fclNumFaces; ++f) {
          fcl->fclFaces[f].facDist *= s;
        }
      } else if (node->gdType == SG_GD_TYPE_BILLBOARD) {
        auto* bil = static_cast<SGBillboard*>(node->gdData);
        for (int k = 0; k < 3; ++k) {
          bil->bilCentre[k] *= s;
          bil->bilMin[k] *= s;
          bil->bilMax[k] *= s;
        }
        bil->bilRadius *= s;
        bil->bilHalfHeight *= s;
        bil->bilHalfWidth *= s;
      }
    });
  }
  return SG_ERROR_NONE;
}

SGError SGModelScaleAxis(SGModel* model, std::uint32_t axis, float s) {
  const bool ok = ForEachVertexArray(model, [axis, s](SGPoint3s* v, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) {
      float* c[3] = {&v[i].x, &v[i].y, &v[i].z};
      *c[axis] *= s;
    }
  });
  if (!ok) {
    return SG_ERROR_NO_MEMORY;
  }
  // Radii only grow: a factor below 1 keeps them.
  const float radiusFactor = s >= 1.f ? s : 1.f;
  model->modRadius *= radiusFactor;
  model->modMin[axis] *= s;
  model->modMax[axis] *= s;
  model->modCentre[axis] *= s;
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    SGModelLod& lod = model->modLods[i];
    lod.mdlRadius *= radiusFactor;
    lod.mdlMin[axis] *= s;
    lod.mdlMax[axis] *= s;
    lod.mdlCentre[axis] *= s;
    ForEachNode(lod.mdlData, [axis, s, radiusFactor](SGGeoNode* node) {
      if (node->gdType == SG_GD_TYPE_BSP) {
        auto* split = static_cast<SGGeoSplit*>(node->gdData);
        ScalePlaneAxis(split->gspNormal, &split->gspDist, axis, s);
      } else if (node->gdType == SG_GD_TYPE_FACES) {
        auto* fcl = static_cast<SGFaceList*>(node->gdData);
        fcl->fclRadius *= radiusFactor;
        fcl->fclMin[axis] *= s;
        fcl->fclMax[axis] *= s;
        fcl->fclCentre[axis] *= s;
        for (std::uint32_t f = 0; f < fcl->fclNumFaces; ++f) {
          ScalePlaneAxis(fcl->fclFaces[f].facNormal, &fcl->fclFaces[f].facDist, axis, s);
        }
      }
    });
  }
  return SG_ERROR_NONE;
}

SGError SGModelForEachNode(SGModel* model, SGModelNodeFn fn, std::uintptr_t user) {
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    const std::uint32_t distanceBits = std::bit_cast<std::uint32_t>(model->modLods[i].mdlDistance);
    ForEachNode(model->modLods[i].mdlData, [&](SGGeoNode* node) { fn(model, user, distanceBits, node); });
  }
  return SG_ERROR_NONE;
}
