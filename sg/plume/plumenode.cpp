// Building a plume's nodes for the frame: drift and wrap, the inside and
// seam tests, thinning, caps wanted at the ends, and the camera-facing
// cross-section of four vertices.

#include <cmath>
#include <cstring>

#include "sg/core/sgassert.h"
#include "sg/plume/plumegeom.h"
#include "sg/plume/plumeshared.h"
#include "sg/query/wrap.h"
#include "sg/scene/scene.h"

namespace {

// Where a node stands in the trail this frame.
struct NodeLife {
  std::int64_t age;
  std::int64_t remaining;  // nodes still to come after it before the trail ends
  bool keep;               // survives thinning
  bool shrink;             // a dying trail shortening from its old end
};

// Nodes near the head, the tail and the end of their life are never thinned.
NodeLife Life(const SGPlume* plm, const SGPlumeNode* node) {
  NodeLife life{ISGPlumeAge(plm, node), 0, node == plm->plmHead, false};
  life.remaining = static_cast<std::int64_t>(plm->plmCurrLen) - life.age - 1;
  if ((plm->plmFlags & SG_PLM_FLAG_DYING) != 0) {
    // The trail shortens from the old end as time passes since its last node was made.
    const std::uint32_t headStamp = plm->plmHead->pndTimeStamp;
    const std::uint32_t r = (headStamp - node->pndTimeStamp) * plm->plmLength / (plm->plmTimeStamp - headStamp + 1);
    if (r < life.remaining) {
      life.remaining = r;
      life.shrink = true;
    }
  }
  if (life.remaining < 2 || plm->plmLODScale <= 0.f ||
      ((plm->plmFlags & SG_PLM_FLAG_MAX_AGE) != 0 && life.age >= plm->plmMaxAge) || node == plm->plmTail) {
    life.keep = true;
  }
  return life;
}

// The node's texture U: scrolling smoothly between steps and, with
// deceleration, lagging behind over the newest nodes as if the smoke slowed.
float NodeU(const SGPlume* plm, const SGPlumeNode* node, std::int64_t age) {
  float u = node->pndLenU * plm->plmStepFrac + node->pndBaseU;
  if ((plm->plmFlags & SG_PLM_FLAG_DECEL) != 0) {
    const std::uint32_t n = plm->plmDecelSteps < plm->plmCurrLen ? plm->plmDecelSteps : plm->plmCurrLen;
    const std::int64_t k = static_cast<std::int64_t>(n) - age;
    if (k > 0) {
      const float t = static_cast<float>(k) / static_cast<float>(n);
      u += static_cast<float>(n) * t * -0.5f * t * plm->plmUPerStep;
    }
  }
  return u < 0.f ? 0.f : u;
}

// At each step every node but the newest moves by the drift (ramping in with
// age) and the wind.
void Drift(const SGPlume* plm, SGPlumeNode* node, std::int64_t age) {
  const bool drift = (plm->plmFlags & SG_PLM_FLAG_DRIFT) != 0;
  const bool wind = (plm->plmFlags & SG_PLM_FLAG_WIND) != 0;
  if (plm->plmStepDue == 0 || age <= 0 || (!drift && !wind)) {
    return;
  }
  float v[3] = {0.f, 0.f, 0.f};
  if (drift) {
    const std::uint32_t ramp = plm->plmDriftRamp != 0 ? plm->plmDriftRamp : plm->plmDecelSteps;
    const float f = age < ramp ? static_cast<float>(age) / static_cast<float>(ramp) : 1.f;
    for (int k = 0; k < 3; ++k) {
      v[k] = plm->plmDrift[k] * f;
    }
  }
  for (int k = 0; k < 3; ++k) {
    node->pndPos[k] += v[k] + (wind ? plm->plmWind[k] : 0.f);
  }
}

// The node moved to the repetition of the world before the eye; its position
// relative to the eye in `rel`.
void WrapNearEye(const SGRenderer* rend, const SGScene* scene, const SGPlume* plm, SGPlumeNode* node, float rel[3]) {
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
}

// The direction to the newer node (into `d`, zero without one).
void AimAtNewer(SGPlumeNode* node, const SGPlumeNode* newer, float d[3]) {
  d[0] = d[1] = d[2] = 0.f;
  if (newer == nullptr) {
    return;
  }
  for (int k = 0; k < 3; ++k) {
    d[k] = static_cast<float>(newer->pndPos[k] - node->pndPos[k]);
  }
  const float len2 = ISGPlumeDot(d, d);
  if (len2 > 0.f) {
    const float len = len2 >= 0.9999f && len2 <= 1.0001f ? 1.f : std::sqrt(len2);
    for (int k = 0; k < 3; ++k) {
      node->pndDir[k] = d[k] / len;
    }
  }
}

constexpr std::uint32_t kGoOn = 0xFFFFFFFF;

// The eye inside the trail, and a segment across the world seam: a break
// (SG_PLM_BREAK), or kGoOn with the node kept and a cap wanted at a seam.
std::uint32_t InsideOrSeam(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node, SGPlumeNode* newer,
                           NodeLife* life, bool* cap) {
  if ((plm->plmFlags & SG_PLM_FLAG_NO_WRAP) != 0) {
    return ISGPlumeEyeInSegment(rend, scene, plm, node, newer) != 0 ? SG_PLM_BREAK : kGoOn;
  }
  float e[3];
  for (int k = 0; k < 3; ++k) {
    e[k] = static_cast<float>(newer->pndPos[k] - node->pndPos[k]);
  }
  if (std::fabs(e[0]) <= 0.5f * scene->scnWorldExtent[0] && std::fabs(e[1]) <= 0.5f * scene->scnWorldExtent[1]) {
    // A wrapping trail is flown through like any other, not only at the seam.
    return ISGPlumeEyeInSegment(rend, scene, plm, node, newer) != 0 ? SG_PLM_BREAK : kGoOn;
  }
  if (ISGPlumeEyeInTube(rend, scene, plm, node) != 0) {
    return SG_PLM_BREAK;
  }
  plm->plmFlags |= SG_PLM_FLAG_SKIP_SEGMENT;
  const float* dir = node->pndDir;
  if (std::fabs(e[0]) * dir[0] + std::fabs(e[1]) * dir[1] + e[2] * dir[2] <= 0.f) {
    if (plm->plmNumCaps > 0) {
      ISGPlumeAddCap(rend, scene, plm, newer);
    }
    return SG_PLM_BREAK;
  }
  life->keep = true;
  *cap = plm->plmNumCaps > 0;
  return kGoOn;
}

// Thinning by fixed ring slots keeps the kept nodes steady as the ring turns.
bool ThinnedOut(SGRenderer* rend, SGPlume* plm, SGPlumeNode* node) {
  std::uint32_t level = 0;
  ISGPlumeNodeLOD(rend, plm, node, &level);
  const auto index = static_cast<std::uint32_t>(node - plm->plmNodes);
  return level > 0 && (index & ((1u << (level < 31 ? level : 31)) - 1)) != 0;
}

// An end of the trail seen along its axis (within 45 degrees) shows a cap.
bool CapAtEnd(const SGPlume* plm, const SGPlumeNode* node, std::int64_t age, const float rel[3]) {
  const std::int64_t lastAge = (plm->plmFlags & SG_PLM_FLAG_MAX_AGE) != 0
                                   ? static_cast<std::int64_t>(plm->plmMaxAge)
                                   : static_cast<std::int64_t>(plm->plmLength) - 1;
  const float along = ISGPlumeDot(rel, node->pndDir);
  const float reach = 0.71f * std::sqrt(ISGPlumeDot(rel, rel));
  return ((age == lastAge || (node == plm->plmTail && age < lastAge)) && along > reach) || (age == 0 && along < -reach);
}

void SetColour(SGTxVertex* v, std::uint8_t alpha, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  v->txvColour[0] = alpha;
  v->txvColour[1] = blue;
  v->txvColour[2] = green;
  v->txvColour[3] = red;
}

// The cross-section: transparent outer edges and a denser ridge raised
// towards the eye, tapering to a point at the old end. SG_PLM_SEGMENT or
// SG_PLM_SEGMENT_CAP, or SG_PLM_NOTHING when the frame's vertex pool is
// exhausted (the node is skipped).
std::uint32_t CrossSection(SGRenderer* rend, SGPlume* plm, SGPlumeNode* node, const NodeLife& life, const float rel[3],
                           const float side0[3], float d[3], float u, bool cap) {
  const float side2 = ISGPlumeDot(side0, side0);
  float t = 1.f - std::fmin(static_cast<float>(life.age + 1) / static_cast<float>(plm->plmLength), 1.f);
  t = t < 0.f ? 0.f : t;
  std::uint8_t green = 255;
  std::uint8_t blue = 255;
  if (plm->plmFade > 0.f && t >= 1.f - plm->plmFade) {
    green = static_cast<std::uint8_t>((1.f - t) / plm->plmFade * 255.f);  // red at the emitter turning yellow
    blue = 0;
  }
  const auto alpha = static_cast<std::uint8_t>(t >= 0.5f ? 200.f : (2.f * t) * (2.f * t) * 200.f);
  const float ridge = (1.f - side2 / ISGPlumeDot(rel, rel)) * 0.66999996f + 0.33f;
  float w = ISGPlumeHalfWidth(plm, life.age);
  float k = 0.f;
  int tip = 0;
  if (life.remaining < 1) {
    k = 1.f / (plm->plmTaper * 0.5f + 1.f);
    tip = 1;
    w = 0.f;
  } else {
    k = 1.f / (static_cast<float>(life.remaining) * plm->plmTaper + 1.f);
    w *= 1.f - k;
    tip = life.remaining == 1 ? 2 : 0;
  }
  if (life.shrink) {
    k = -k;
  }
  const float scale = w / std::sqrt(side2);
  float side[3];
  float lift[3];
  for (int i = 0; i < 3; ++i) {
    d[i] *= k;  // towards the newer node: the tail tapers to a point
    side[i] = side0[i] * scale;
  }
  ISGPlumeCross(node->pndDir, side, lift);
  if (cap && -ISGPlumeDot(lift, rend->renViewDir) > 0.71f * w) {
    cap = false;  // the ribbon faces the eye
  }
  std::memcpy(node->pndSide, side, sizeof(side));
  SGTxVertex* verts[4];
  for (SGTxVertex*& v : verts) {
    if (ISGRendererNewTxVert(rend, &v) != SG_ERROR_NONE) {
      return SG_PLM_NOTHING;
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
  ISGPlumeSetVertex(verts[0], at, u, 0.f);
  SetColour(verts[0], 0, 255, 255, 255);
  for (int i = 0; i < 3; ++i) {
    at[i] = p[i] - side[i];
  }
  ISGPlumeSetVertex(verts[3], at, u, 1.f);
  SetColour(verts[3], 0, 255, 255, 255);
  if (tip == 1) {
    ISGPlumeSetVertex(verts[1], p, u, 0.f);
    ISGPlumeSetVertex(verts[2], p, u, 1.f);
  } else {
    const float edge = tip == 0 ? 0.33f : 0.f;
    for (int i = 0; i < 3; ++i) {
      at[i] = p[i] + node->pndLift[i] + edge * side[i];
    }
    ISGPlumeSetVertex(verts[1], at, u, tip == 2 ? 0.5f : 0.335f);
    for (int i = 0; i < 3; ++i) {
      at[i] = p[i] + node->pndLift[i] - edge * side[i];
    }
    ISGPlumeSetVertex(verts[2], at, u, tip == 2 ? 0.5f : 0.665f);
    SetColour(verts[1], alpha, 255, green, blue);
    SetColour(verts[2], alpha, 255, green, blue);
  }
  std::memcpy(node->pndVerts, verts, sizeof(verts));
  return cap ? SG_PLM_SEGMENT_CAP : SG_PLM_SEGMENT;
}

}  // namespace

std::uint32_t ISGPlumeBuildNode(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node, SGPlumeNode* newer) {
  ISG_ASSERT(node->pndBaseU >= 0.f, "plume");
  // Vertices of an earlier frame went with its pool: none are current until made below.
  for (SGTxVertex*& v : node->pndVerts) {
    v = nullptr;
  }
  if (ISGPlumeFogOverride(rend)) {
    return SG_PLM_NOTHING;
  }
  NodeLife life = Life(plm, node);
  if (ISGPlumeAge(plm, node) > static_cast<std::int64_t>(plm->plmCurrLen) - 1) {
    node->pndTimeStamp = 0;  // older than the trail is long: it leaves the trail
    return SG_PLM_NOTHING;
  }
  const float u = NodeU(plm, node, life.age);
  Drift(plm, node, life.age);
  float rel[3];
  WrapNearEye(rend, scene, plm, node, rel);
  float d[3];
  AimAtNewer(node, newer, d);
  if (!life.keep && ISGPlumeNext(plm, node)->pndTimeStamp == 0) {
    life.keep = true;
  }
  bool cap = false;
  if (newer != nullptr) {
    const std::uint32_t status = InsideOrSeam(rend, scene, plm, node, newer, &life, &cap);
    if (status != kGoOn) {
      return status;
    }
  }
  if (!life.keep && ThinnedOut(rend, plm, node)) {
    return SG_PLM_NOTHING;
  }
  if (!cap && plm->plmNumCaps > 0) {
    cap = CapAtEnd(plm, node, life.age, rel);
  }
  float side0[3];
  ISGPlumeCross(node->pndDir, rel, side0);
  if (ISGPlumeDot(side0, side0) < 1e-8f) {
    // Seen straight along the trail: no ribbon, at most a cap.
    std::memset(node->pndSide, 0, sizeof(node->pndSide));
    std::memset(node->pndLift, 0, sizeof(node->pndLift));
    return cap ? SG_PLM_CAP : SG_PLM_NOTHING;
  }
  return CrossSection(rend, plm, node, life, rel, side0, d, u, cap);
}
