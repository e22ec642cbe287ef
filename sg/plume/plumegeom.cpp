// A plume's segments and caps as prepared instances on the scene's per-frame
// list, and the pool of records they take.

#include "sg/plume/plumegeom.h"

#include <cmath>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/cull/cull.h"
#include "sg/instance/instance.h"
#include "sg/plume/plume.h"
#include "sg/plume/plumeshared.h"
#include "sg/render/prepped.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

constexpr std::uint32_t kRecordAttributes =
    SG_ATTR_PREPPED | SG_ATTR_NO_WRAP | SG_ATTR_NO_LOS | SG_ATTR_NO_PICK | SG_ATTR_NO_WALK | SG_ATTR_NO_COLLIDE;

// The next record of the pool, prepared for triangles; null with status 0 when
// the pool cannot grow (the existing records stay usable), or with 1 when the
// record cannot be prepared.
SGInstance* TakeRecord(SGPlume* plm, SGError* status) {
  *status = SG_ERROR_NONE;
  if (plm->plmUsedInsts == plm->plmNumInsts) {
    const std::uint32_t grown = plm->plmNumInsts > 0 ? plm->plmNumInsts * 2 : 1;
    auto* pool = static_cast<SGInstance**>(SGRealloc(plm->plmInsts, sizeof(SGInstance*) * grown));
    if (pool == nullptr) {
      return nullptr;
    }
    plm->plmInsts = pool;
    for (std::uint32_t i = plm->plmNumInsts; i < grown; ++i) {
      pool[i] = static_cast<SGInstance*>(SGCalloc(1, sizeof(SGInstance)));
      if (pool[i] == nullptr) {
        break;
      }
      plm->plmNumInsts = i + 1;
    }
    if (plm->plmUsedInsts == plm->plmNumInsts) {
      return nullptr;
    }
  }
  SGInstance* rec = plm->plmInsts[plm->plmUsedInsts];
  if (rec->instData == nullptr) {
    auto* prep = static_cast<SGPrepTris*>(SGCalloc(1, sizeof(SGPrepTris)));
    if (prep == nullptr) {
      *status = SG_ERROR_NO_MEMORY;
      return nullptr;
    }
    if (ISGCullStateCreate(&rec->instCullState) != SG_ERROR_NONE) {
      SGFree(prep);
      *status = SG_ERROR_NO_MEMORY;
      return nullptr;
    }
    rec->instFlags = 0;
    rec->instType = SG_INST_TYPE_MODEL_TWO;
    rec->instAttributes = kRecordAttributes;
    rec->instRadius = 0.f;
    rec->instSortPriority = 1.f;
    SGMatrixIdentity(&rec->instXform);
    rec->instData = prep;
  }
  auto* prep = static_cast<SGPrepTris*>(rec->instData);
  if (prep->ptrVerts == nullptr) {
    prep->ptrVerts = static_cast<SGTxVertex**>(SGCalloc(3 * SG_PREP_MAX_TRIS, sizeof(SGTxVertex*)));
    if (prep->ptrVerts == nullptr) {
      *status = SG_ERROR_NO_MEMORY;
      return nullptr;
    }
  }
  ++plm->plmUsedInsts;
  return rec;
}

// Puts a prepared record on the scene's list for this frame, centred at `centre` (eye-relative).
void Register(SGRenderer* rend, SGScene* scene, SGInstance* rec, const float centre[3], float reach,
              const float box[6]) {
  for (int k = 0; k < 3; ++k) {
    rec->instXform.m[3][k] = centre[k];
    rec->instPos[k] = centre[k] + rend->renEye[k];
    rec->instSavedPos[k] = rec->instPos[k];
    rec->instWorldBox[k] = static_cast<float>(box[k] + rend->renEye[k]);
    rec->instWorldBox[k + 3] = static_cast<float>(box[k + 3] + rend->renEye[k]);
  }
  rec->instReach = reach;
  rec->instFlags |= SG_INST_BOX_VALID;
  rec->instNext = nullptr;
  rec->instBack = nullptr;
  rec->instScene = scene;
  rec->instScnNext = scene->scnPlumes;
  scene->scnPlumes = rec;
}

float Distance(const float* a, const float* b) {
  const float d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  return std::sqrt(ISGPlumeDot(d, d));
}

SGMaterial* SegmentMaterial(const SGPlume* plm, std::int64_t age) {
  const std::uint32_t last = plm->plmNumMats - 1;
  if ((plm->plmFlags & SG_PLM_FLAG_MAX_AGE) == 0) {
    return ISGPlumeTrailMaterial(plm, 0);
  }
  std::uint32_t base = 0;
  if ((plm->plmFlags & SG_PLM_FLAG_DYING) != 0 && plm->plmLength > 0) {
    base = static_cast<std::uint32_t>((1.f - static_cast<float>(plm->plmCurrLen) / static_cast<float>(plm->plmLength)) *
                                      static_cast<float>(last));
  }
  if (age <= plm->plmMaxAge) {
    return ISGPlumeTrailMaterial(plm, base);
  }
  if (age < plm->plmLength) {
    const auto over = static_cast<std::uint32_t>(age - plm->plmMaxAge);
    std::uint32_t i = over * last / (plm->plmLength - plm->plmMaxAge) + 1;
    i = i < last ? i : last;
    ISG_ASSERT(i < plm->plmNumMats, "plume");
    return ISGPlumeTrailMaterial(plm, i > base ? i : base);
  }
  return ISGPlumeTrailMaterial(plm, last);
}

}  // namespace

void ISGPlumeClearRecord(SGInstance* inst) {
  if (inst == nullptr) {
    return;
  }
  auto* prep = static_cast<SGPrepTris*>(inst->instData);
  if (prep != nullptr) {
    SGFree(prep->ptrVerts);
    SGFree(prep);
  }
  ISGCullStateFree(inst->instCullState);
  std::memset(static_cast<void*>(inst), 0, sizeof(SGInstance));
}

void ISGPlumeFreeRecord(SGInstance* inst) {
  ISGPlumeClearRecord(inst);
  SGFree(inst);
}

SGError ISGPlumeAddSegment(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node, SGPlumeNode* newer) {
  if (ISGPlumeFogOverride(rend)) {
    return SG_ERROR_NONE;
  }
  if ((plm->plmFlags & SG_PLM_FLAG_SKIP_SEGMENT) != 0) {
    plm->plmFlags &= ~SG_PLM_FLAG_SKIP_SEGMENT;
    return SG_ERROR_NONE;
  }
  ISG_ASSERT(node->pndTimeStamp, "plume");
  ISG_ASSERT(newer->pndTimeStamp, "plume");
  ISG_ASSERT(node->pndTimeStamp < newer->pndTimeStamp, "plume");
  // A node built only as a cap, or skipped for want of vertices, has no cross-section to join.
  if (node->pndVerts[0] == nullptr || newer->pndVerts[0] == nullptr || plm->plmNumMats == 0) {
    return SG_ERROR_NONE;
  }
  SGError status = SG_ERROR_NONE;
  SGInstance* rec = TakeRecord(plm, &status);
  if (rec == nullptr) {
    return status;
  }
  auto* prep = static_cast<SGPrepTris*>(rec->instData);
  SGTxVertex* const* n = node->pndVerts;
  SGTxVertex* const* w = newer->pndVerts;
  SGTxVertex* const tris[18] = {n[0], n[1], w[0], n[1], w[1], w[0], n[1], n[2], w[1],
                                n[2], w[2], w[1], n[2], n[3], w[2], n[3], w[3], w[2]};
  std::memcpy(prep->ptrVerts, tris, sizeof(tris));
  prep->ptrNumTris = 6;
  prep->ptrMaterial = SegmentMaterial(plm, ISGPlumeAge(plm, node));
  float centre[3];
  for (int k = 0; k < 3; ++k) {
    centre[k] = (n[1]->txvPos[k] + w[2]->txvPos[k]) / 2.f;
  }
  const float box[6] = {centre[0], centre[1], centre[2], centre[0], centre[1], centre[2]};
  Register(rend, scene, rec, centre, Distance(centre, n[0]->txvPos), box);
  return SG_ERROR_NONE;
}

SGError ISGPlumeAddCap(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node) {
  if (ISGPlumeFogOverride(rend) || plm->plmNumCaps == 0) {
    return SG_ERROR_NONE;
  }
  ISG_ASSERT(plm->plmCaps[plm->plmCurrCap], "plume");
  ISG_ASSERT(plm->plmCaps[0], "plume");
  float s[3];
  float u[3];
  std::memcpy(s, node->pndSide, sizeof(s));
  std::memcpy(u, node->pndLift, sizeof(u));
  float scale = 1.f;
  const std::int64_t age = ISGPlumeAge(plm, node);
  if (ISGPlumeDot(s, s) < 1e-8f) {
    // Seen straight along the trail: a square facing the camera.
    SGInstanceGetUp(rend->renCamera, s);
    ISGPlumeCross(s, node->pndDir, u);
    scale = ISGPlumeHalfWidth(plm, age);
  }
  scale *= 1.05f;
  float c[3];
  for (int k = 0; k < 3; ++k) {
    s[k] *= scale;
    u[k] *= scale;
    c[k] = static_cast<float>(node->pndPos[k] - rend->renEye[k]);
  }
  SGTxVertex* v[4];
  for (SGTxVertex*& x : v) {
    if (ISGRendererNewTxVert(rend, &x) != SG_ERROR_NONE) {
      return SG_ERROR_NONE;  // the frame's pool is exhausted: no cap this frame
    }
  }
  static constexpr float kCorner[4][2] = {{-1.f, -1.f}, {-1.f, 1.f}, {1.f, -1.f}, {1.f, 1.f}};
  static constexpr float kUV[4][2] = {{0.f, 0.f}, {1.f, 0.f}, {0.f, 1.f}, {1.f, 1.f}};
  float box[6] = {c[0], c[1], c[2], c[0], c[1], c[2]};
  for (int i = 0; i < 4; ++i) {
    float p[3];
    for (int k = 0; k < 3; ++k) {
      p[k] = c[k] + kCorner[i][0] * s[k] + kCorner[i][1] * u[k];
      box[k] = std::fmin(box[k], p[k]);
      box[k + 3] = std::fmax(box[k + 3], p[k]);
    }
    ISGPlumeSetVertex(v[i], p, kUV[i][0], kUV[i][1]);
  }
  SGError status = SG_ERROR_NONE;
  SGInstance* rec = TakeRecord(plm, &status);
  if (rec == nullptr) {
    return status;
  }
  auto* prep = static_cast<SGPrepTris*>(rec->instData);
  // A, B, C, D = v[0..3]; the newest node's cap faces the other way.
  SGTxVertex* const older[6] = {v[0], v[1], v[3], v[0], v[3], v[2]};
  SGTxVertex* const newest[6] = {v[0], v[3], v[1], v[0], v[2], v[3]};
  std::memcpy(prep->ptrVerts, age > 0 ? older : newest, sizeof(older));
  prep->ptrNumTris = 2;
  ISG_ASSERT(plm->plmCurrCap < plm->plmNumCaps, "plume");
  prep->ptrMaterial = ISGPlumeCapMaterial(plm, plm->plmCurrCap);
  plm->plmCurrCap = plm->plmCurrCap + 1 == plm->plmNumCaps ? 0 : plm->plmCurrCap + 1;
  // The reach covers the cap's own corners: the node's vertices may be of another frame.
  Register(rend, scene, rec, c, Distance(c, v[0]->txvPos), box);
  return SG_ERROR_NONE;
}
