// Building a plume's nodes for the frame, and its segments and caps as
// prepared instances on the scene's per-frame list.

#include "sg/plume/plumegeom.h"

#include <cmath>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/cull/cull.h"
#include "sg/instance/instance.h"
#include "sg/plume/plume.h"
#include "sg/query/wrap.h"
#include "sg/render/prepped.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

constexpr std::uint32_t kRecordAttributes =
    SG_ATTR_PREPPED | SG_ATTR_NO_WRAP | SG_ATTR_NO_LOS | SG_ATTR_NO_PICK | SG_ATTR_NO_WALK | SG_ATTR_NO_COLLIDE;

float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cross(const float* a, const float* b, float* out) {
  const float x = a[1] * b[2] - a[2] * b[1];
  const float y = a[2] * b[0] - a[0] * b[2];
  const float z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;
  out[1] = y;
  out[2] = z;
}

bool FogOverride(const SGRenderer* rend) { return (rend->renFlags & SG_REND_FLAG_FOG_OVERRIDE) != 0; }

std::int64_t Age(const SGPlume* plm, const SGPlumeNode* node) {
  return static_cast<std::int64_t>(plm->plmTimeStamp) - node->pndTimeStamp;
}

float HalfWidthAt(const SGPlume* plm, std::int64_t age) {
  float w = plm->plmHalfWidth;
  if ((plm->plmFlags & SG_PLM_FLAG_GROW) != 0) {
    w += static_cast<float>(age) * plm->plmWidthGrowth;
  }
  return w;
}

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
  return std::sqrt(Dot(d, d));
}

SGMaterial* SegmentMaterial(const SGPlume* plm, std::int64_t age) {
  const std::uint32_t last = plm->plmNumMats - 1;
  if ((plm->plmFlags & SG_PLM_FLAG_MAX_AGE) == 0) {
    return ISGPlumeTrailMaterial(plm, 0);
  }
  std::uint32_t base = 0;
  if ((plm->plmFlags & SG_PLM_FLAG_DYING) != 0 && plm->plmLength > 0) {
    base = static_cast<std::uint32_t>(
        (1.f - static_cast<float>(plm->plmCurrLen) / static_cast<float>(plm->plmLength)) * static_cast<float>(last));
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

void SetVertex(SGTxVertex* v, const float p[3], float u, float vv) {
  std::memcpy(v->txvPos, p, sizeof(v->txvPos));
  v->txvUV[0] = u;
  v->txvUV[1] = vv;
  // Full light, marked as such: the 8-bit alpha fills take their level from
  // the shade of shaded vertices only, and would draw the smoke black.
  v->txvShade = 1.f;
  v->txvFog = 1.f;
  v->txvFlags |= SG_TXV_UNTRANSFORMED | SG_TXV_SHADED;
}

void SetColour(SGTxVertex* v, std::uint8_t alpha, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  v->txvColour[0] = alpha;
  v->txvColour[1] = blue;
  v->txvColour[2] = green;
  v->txvColour[3] = red;
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

std::uint32_t ISGPlumeBuildNode(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node,
                                SGPlumeNode* newer) {
  ISG_ASSERT(node->pndBaseU >= 0.f, "plume");
  // Vertices of an earlier frame went with its pool: none are current until made below.
  for (SGTxVertex*& v : node->pndVerts) {
    v = nullptr;
  }
  if (FogOverride(rend)) {
    return SG_PLM_NOTHING;
  }
  const std::int64_t age = Age(plm, node);
  std::int64_t remaining = static_cast<std::int64_t>(plm->plmCurrLen) - age - 1;
  if (remaining < 0) {
    node->pndTimeStamp = 0;
    return SG_PLM_NOTHING;
  }
  bool keep = node == plm->plmHead;
  bool shrink = false;
  if ((plm->plmFlags & SG_PLM_FLAG_DYING) != 0) {
    const std::uint32_t headStamp = plm->plmHead->pndTimeStamp;
    const std::uint32_t r =
        (headStamp - node->pndTimeStamp) * plm->plmLength / (plm->plmTimeStamp - headStamp + 1);
    if (r < remaining) {
      remaining = r;
      shrink = true;
    }
  }
  if (remaining < 2 || plm->plmLODScale <= 0.f ||
      ((plm->plmFlags & SG_PLM_FLAG_MAX_AGE) != 0 && age >= plm->plmMaxAge) || node == plm->plmTail) {
    keep = true;
  }
  float u = node->pndLenU * plm->plmStepFrac + node->pndBaseU;
  if ((plm->plmFlags & SG_PLM_FLAG_DECEL) != 0) {
    const std::uint32_t n = plm->plmDecelSteps < plm->plmCurrLen ? plm->plmDecelSteps : plm->plmCurrLen;
    const std::int64_t k = static_cast<std::int64_t>(n) - age;
    if (k > 0) {
      const float t = static_cast<float>(k) / static_cast<float>(n);
      u += static_cast<float>(n) * t * -0.5f * t * plm->plmUPerStep;
    }
  }
  u = u < 0.f ? 0.f : u;
  const bool drift = (plm->plmFlags & SG_PLM_FLAG_DRIFT) != 0;
  const bool wind = (plm->plmFlags & SG_PLM_FLAG_WIND) != 0;
  if (plm->plmStepDue != 0 && age > 0 && (drift || wind)) {
    float v[3] = {0.f, 0.f, 0.f};
    if (drift) {
      const std::uint32_t ramp = plm->plmDriftRamp != 0 ? plm->plmDriftRamp : plm->plmDecelSteps;
      const float f = age < ramp ? static_cast<float>(age) / static_cast<float>(ramp) : 1.f;
      for (int k = 0; k < 3; ++k) {
        v[k] = plm->plmDrift[k] * f;
      }
    }
    if (wind) {
      for (int k = 0; k < 3; ++k) {
        v[k] += plm->plmWind[k];
      }
    }
    for (int k = 0; k < 3; ++k) {
      node->pndPos[k] += v[k];
    }
  }
  float rel[3];
  for (int k = 0; k < 3; ++k) {
    rel[k] = static_cast<float>(node->pndPos[k] - rend->renEye[k]);
  }
  if ((plm->plmFlags & SG_PLM_FLAG_NO_WRAP) == 0) {
    const float origin[2] = {0.f, 0.f};
    ISGWrapPointNear(scene, origin, rend->renViewDir, rel, 0.f);
  }
  for (int k = 0; k < 3; ++k) {
    node->pndPos[k] = rel[k] + rend->renEye[k];
  }
  float d[3] = {0.f, 0.f, 0.f};
  if (newer != nullptr) {
    for (int k = 0; k < 3; ++k) {
      d[k] = static_cast<float>(newer->pndPos[k] - node->pndPos[k]);
    }
    const float len2 = Dot(d, d);
    if (len2 > 0.f) {
      const bool unit = len2 >= 0.9999f && len2 <= 1.0001f;
      const float len = unit ? 1.f : std::sqrt(len2);
      for (int k = 0; k < 3; ++k) {
        node->pndDir[k] = d[k] / len;
      }
    }
  }
  if (!keep && ISGPlumeNext(plm, node)->pndTimeStamp == 0) {
    keep = true;
  }
  const bool haveCaps = plm->plmNumCaps > 0;
  bool cap = false;
  if (newer != nullptr) {
    if ((plm->plmFlags & SG_PLM_FLAG_NO_WRAP) == 0) {
      float e[3];
      for (int k = 0; k < 3; ++k) {
        e[k] = static_cast<float>(newer->pndPos[k] - node->pndPos[k]);
      }
      if (std::fabs(e[0]) > 0.5f * scene->scnWorldExtent[0] || std::fabs(e[1]) > 0.5f * scene->scnWorldExtent[1]) {
        if (ISGPlumeEyeInTube(rend, scene, plm, node) != 0) {
          return SG_PLM_BREAK;
        }
        plm->plmFlags |= SG_PLM_FLAG_SKIP_SEGMENT;
        const float* dir = node->pndDir;
        if (std::fabs(e[0]) * dir[0] + std::fabs(e[1]) * dir[1] + e[2] * dir[2] <= 0.f) {
          if (haveCaps) {
            ISGPlumeAddCap(rend, scene, plm, newer);
          }
          return SG_PLM_BREAK;
        }
        keep = true;
        cap = haveCaps;
      } else if (ISGPlumeEyeInSegment(rend, scene, plm, node, newer) != 0) {
        // A wrapping trail is flown through like any other, not only at the seam.
        return SG_PLM_BREAK;
      }
    } else if (ISGPlumeEyeInSegment(rend, scene, plm, node, newer) != 0) {
      return SG_PLM_BREAK;
    }
  }
  if (!keep) {
    std::uint32_t level = 0;
    ISGPlumeNodeLOD(rend, plm, node, &level);
    const auto index = static_cast<std::uint32_t>(node - plm->plmNodes);
    if (level > 0 && (index & ((1u << (level < 31 ? level : 31)) - 1)) != 0) {
      return SG_PLM_NOTHING;
    }
  }
  if (!cap && haveCaps) {
    // An end of the trail seen along its axis (within 45 degrees) shows a cap.
    const std::int64_t lastAge = (plm->plmFlags & SG_PLM_FLAG_MAX_AGE) != 0
                                     ? static_cast<std::int64_t>(plm->plmMaxAge)
                                     : static_cast<std::int64_t>(plm->plmLength) - 1;
    const float along = Dot(rel, node->pndDir);
    const float reach = 0.71f * std::sqrt(Dot(rel, rel));
    if ((age == lastAge || (node == plm->plmTail && age < lastAge)) && along > reach) {
      cap = true;
    }
    if (age == 0 && along < -reach) {
      cap = true;
    }
  }
  float side0[3];
  Cross(node->pndDir, rel, side0);
  const float side2 = Dot(side0, side0);
  if (side2 < 1e-8f) {
    std::memset(node->pndSide, 0, sizeof(node->pndSide));
    std::memset(node->pndLift, 0, sizeof(node->pndLift));
    return cap ? SG_PLM_CAP : SG_PLM_NOTHING;
  }
  const float length = static_cast<float>(plm->plmLength);
  float t = 1.f - std::fmin(static_cast<float>(age + 1) / length, 1.f);
  t = t < 0.f ? 0.f : t;
  std::uint8_t green = 255;
  std::uint8_t blue = 255;
  if (plm->plmFade > 0.f && t >= 1.f - plm->plmFade) {
    green = static_cast<std::uint8_t>((1.f - t) / plm->plmFade * 255.f);
    blue = 0;
  }
  const auto alpha = static_cast<std::uint8_t>(t >= 0.5f ? 200.f : (2.f * t) * (2.f * t) * 200.f);
  const float ridge = (1.f - side2 / Dot(rel, rel)) * 0.66999996f + 0.33f;
  float w = HalfWidthAt(plm, age);
  float k = 0.f;
  int tip = 0;
  if (remaining < 1) {
    k = 1.f / (plm->plmTaper * 0.5f + 1.f);
    tip = 1;
    w = 0.f;
  } else {
    k = 1.f / (static_cast<float>(remaining) * plm->plmTaper + 1.f);
    w *= 1.f - k;
    tip = remaining == 1 ? 2 : 0;
  }
  if (shrink) {
    k = -k;
  }
  const float scale = w / std::sqrt(side2);
  float side[3];
  float lift[3];
  for (int i = 0; i < 3; ++i) {
    d[i] *= k;
    side[i] = side0[i] * scale;
  }
  Cross(node->pndDir, side, lift);
  if (cap && -Dot(lift, rend->renViewDir) > 0.71f * w) {
    cap = false;  // the ribbon faces the eye
  }
  std::memcpy(node->pndSide, side, sizeof(side));
  SGTxVertex* verts[4];
  for (SGTxVertex*& v : verts) {
    if (ISGRendererNewTxVert(rend, &v) != SG_ERROR_NONE) {
      return SG_PLM_NOTHING;  // the frame's pool is exhausted: the node is skipped
    }
  }
  float p[3];
  float at[3];
  for (int i = 0; i < 3; ++i) {
    p[i] = rel[i] + d[i];
    node->pndLift[i] = lift[i] * ridge;
  }
  for (int i = 0; i < 3; ++i) {
    at[i] = p[i] + side[i];
  }
  SetVertex(verts[0], at, u, 0.f);
  SetColour(verts[0], 0, 255, 255, 255);
  for (int i = 0; i < 3; ++i) {
    at[i] = p[i] - side[i];
  }
  SetVertex(verts[3], at, u, 1.f);
  SetColour(verts[3], 0, 255, 255, 255);
  if (tip == 1) {
    SetVertex(verts[1], p, u, 0.f);
    SetVertex(verts[2], p, u, 1.f);
  } else {
    const float edge = tip == 0 ? 0.33f : 0.f;
    for (int i = 0; i < 3; ++i) {
      at[i] = p[i] + node->pndLift[i] + edge * side[i];
    }
    SetVertex(verts[1], at, u, tip == 2 ? 0.5f : 0.335f);
    for (int i = 0; i < 3; ++i) {
      at[i] = p[i] + node->pndLift[i] - edge * side[i];
    }
    SetVertex(verts[2], at, u, tip == 2 ? 0.5f : 0.665f);
    SetColour(verts[1], alpha, 255, green, blue);
    SetColour(verts[2], alpha, 255, green, blue);
  }
  std::memcpy(node->pndVerts, verts, sizeof(verts));
  return cap ? SG_PLM_SEGMENT_CAP : SG_PLM_SEGMENT;
}

SGError ISGPlumeAddSegment(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node, SGPlumeNode* newer) {
  if (FogOverride(rend)) {
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
  prep->ptrMaterial = SegmentMaterial(plm, Age(plm, node));
  float centre[3];
  for (int k = 0; k < 3; ++k) {
    centre[k] = (n[1]->txvPos[k] + w[2]->txvPos[k]) / 2.f;
  }
  const float box[6] = {centre[0], centre[1], centre[2], centre[0], centre[1], centre[2]};
  Register(rend, scene, rec, centre, Distance(centre, n[0]->txvPos), box);
  return SG_ERROR_NONE;
}

SGError ISGPlumeAddCap(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node) {
  if (FogOverride(rend) || plm->plmNumCaps == 0) {
    return SG_ERROR_NONE;
  }
  ISG_ASSERT(plm->plmCaps[plm->plmCurrCap], "plume");
  ISG_ASSERT(plm->plmCaps[0], "plume");
  float s[3];
  float u[3];
  std::memcpy(s, node->pndSide, sizeof(s));
  std::memcpy(u, node->pndLift, sizeof(u));
  float scale = 1.f;
  const std::int64_t age = Age(plm, node);
  if (Dot(s, s) < 1e-8f) {
    // Seen straight along the trail: a square facing the camera.
    SGInstanceGetUp(rend->renCamera, s);
    Cross(s, node->pndDir, u);
    scale = HalfWidthAt(plm, age);
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
    SetVertex(v[i], p, kUV[i][0], kUV[i][1]);
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
