// The plume's clock-driven steps and its per-frame driver.

#include <cmath>

#include "sg/core/sgassert.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/plume/plume.h"
#include "sg/plume/plumegeom.h"
#include "sg/query/wrap.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

void AssertRing(const SGPlume* plm) {
  const std::ptrdiff_t span = plm->plmHead - plm->plmTail;
  const std::ptrdiff_t live = static_cast<std::ptrdiff_t>(plm->plmCurrLen) - 1;
  ISG_ASSERT((span == live) || (span + static_cast<std::ptrdiff_t>(plm->plmLength) == live) ||
                 (plm->plmCurrLen == 0 && span == 0),
             "plume");
  ISG_ASSERT(plm->plmCurrLen <= plm->plmLength, "plume");
}

std::uint32_t BaseRecords(const SGPlume* plm) { return (plm->plmFlags & SG_PLM_FLAG_DYING) != 0 ? 1 : 0; }

// Whole texture repeats are taken off every node's U so that it stays small.
void RebaseU(SGPlume* plm) {
  if (plm->plmCurrLen > plm->plmDecelSteps + 1) {
    plm->plmUShift = std::trunc(plm->plmTail->pndBaseU);
    SGPlumeNode* node = plm->plmHead;
    for (std::uint32_t i = 0; i < plm->plmCurrLen; ++i) {
      node->pndBaseU -= plm->plmUShift;
      ISG_ASSERT(node->pndBaseU >= 0.f, "plume");
      if (node == plm->plmTail) {
        break;
      }
      node = ISGPlumePrev(plm, node);
    }
    ISG_ASSERT(plm->plmTail->pndBaseU >= 0.f, "plume");
  } else {
    plm->plmUShift = 0.f;
  }
  if (plm->plmCurrLen == plm->plmLength) {
    plm->plmFlags |= SG_PLM_FLAG_FULL;
  } else {
    plm->plmFlags &= ~SG_PLM_FLAG_FULL;
  }
}

void FillHead(SGScene* scene, SGPlume* plm, SGPlumeNode* node, const SGPlumeNode* prev) {
  const SGInstance* owner = plm->plmInstance;
  node->pndTimeStamp = plm->plmTimeStamp;
  SGInstanceGetPosition(owner, node->pndPos);
  ISGInstanceAddVelocity(owner, node->pndPos);
  if ((plm->plmFlags & SG_PLM_FLAG_OFFSET) != 0) {
    for (int k = 0; k < 3; ++k) {
      node->pndPos[k] += plm->plmOffset[0] * owner->instXform.m[0][k] + plm->plmOffset[1] * owner->instXform.m[1][k] +
                         plm->plmOffset[2] * owner->instXform.m[2][k];
    }
  }
  // In a one-slot ring the new node overwrites the previous one: it starts the trail again.
  if (prev != node && prev->pndTimeStamp != 0) {
    ISG_ASSERT(plm->plmCurrLen > 1, "plume");
    float d[3];
    for (int k = 0; k < 3; ++k) {
      d[k] = static_cast<float>(node->pndPos[k] - prev->pndPos[k]);
    }
    if ((plm->plmFlags & SG_PLM_FLAG_NO_WRAP) == 0) {
      // A jump across the world seam is the short step the other way.
      const float origin[2] = {0.f, 0.f};
      ISGWrapPointNear(scene, origin, nullptr, d, 0.f);
    }
    if ((plm->plmFlags & SG_PLM_FLAG_WIND) != 0) {
      for (int k = 0; k < 3; ++k) {
        d[k] -= plm->plmWind[k];
      }
    }
    const float len2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    if (len2 > 1e-8f) {
      const float len = std::sqrt(len2);
      node->pndLenU = plm->plmUPerUnit * len;
      node->pndBaseU = prev->pndBaseU + node->pndLenU;
      for (int k = 0; k < 3; ++k) {
        node->pndDir[k] = d[k] / len;
      }
    } else {
      node->pndTimeStamp = 0;  // the emitter stood still
    }
    return;
  }
  const float* m = owner->instMotion;
  const float len2 = m[0] * m[0] + m[1] * m[1] + m[2] * m[2];
  const bool unit = len2 >= 0.9999f && len2 <= 1.0001f;
  for (int k = 0; k < 3; ++k) {
    node->pndDir[k] = len2 == 0.f || unit ? m[k] : m[k] / std::sqrt(len2);
  }
  node->pndBaseU = 1.f;
}

// One step of the ring: a new head at the owner, or the oldest node dropped.
std::uint32_t Step(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode** out) {
  plm->plmFlags &= ~SG_PLM_FLAG_SKIP_SEGMENT;
  *out = nullptr;
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb != nullptr && (fb->fbFlags & SG_FB_FLAG_OFFSCREEN) != 0) {
    *out = plm->plmHead;
    if (plm->plmCurrLen > 1 && plm->plmTail != plm->plmHead) {
      return ISGPlumeBuildNode(rend, scene, plm, plm->plmHead, nullptr);
    }
    return SG_PLM_NOTHING;
  }
  plm->plmTimeStamp += 1;
  SGPlumeNode* node = nullptr;
  if ((plm->plmFlags & SG_PLM_FLAG_DYING) != 0) {
    if (plm->plmCurrLen < 2) {
      plm->plmHead = plm->plmTail;
      plm->plmCurrLen = 0;
      return SG_PLM_BREAK;
    }
    node = plm->plmHead;
    plm->plmTail = ISGPlumeNext(plm, plm->plmTail);
    plm->plmCurrLen -= 1;
    RebaseU(plm);
  } else {
    SGPlumeNode* prev = plm->plmHead;
    plm->plmHead = ISGPlumeNext(plm, plm->plmHead);
    if (plm->plmHead != plm->plmTail) {
      if (plm->plmCurrLen == 0) {
        plm->plmTail = plm->plmHead;
      }
      plm->plmCurrLen += 1;
    } else {
      plm->plmTail = ISGPlumeNext(plm, plm->plmTail);
      plm->plmCurrLen = plm->plmLength;
    }
    FillHead(scene, plm, plm->plmHead, prev);
    node = plm->plmHead;
    if (node->pndTimeStamp == 0) {
      plm->plmCurrLen -= 1;
      plm->plmHead = prev;
      if (plm->plmCurrLen == 0) {
        plm->plmTail = plm->plmHead;
        return SG_PLM_NOTHING;
      }
      if (plm->plmTail != plm->plmHead) {
        // A standing emitter's trail retracts by one node per step.
        plm->plmTail = ISGPlumeNext(plm, plm->plmTail);
        plm->plmCurrLen -= 1;
      }
      node = prev;
    }
    RebaseU(plm);
    if (plm->plmCurrLen < 2) {
      plm->plmHead = plm->plmTail;
      return SG_PLM_NOTHING;
    }
    if (plm->plmCurrLen == 2) {
      for (int k = 0; k < 3; ++k) {
        prev->pndDir[k] = node->pndDir[k];
      }
    }
  }
  if ((plm->plmFlags & SG_PLM_FLAG_DECEL) != 0) {
    const float steps = static_cast<float>(plm->plmHead->pndTimeStamp - plm->plmTail->pndTimeStamp + 1);
    plm->plmUPerStep = (plm->plmHead->pndBaseU - plm->plmTail->pndBaseU) / steps;
  }
  *out = node;
  AssertRing(plm);
  return ISGPlumeBuildNode(rend, scene, plm, node, nullptr);
}

// A device that cannot blend as the plume's materials ask draws them without
// that blending; only the plume's own copies change.
void FitBlendingToDevice(const SGRenderer* rend, SGPlume* plm) {
  SGPlumeMaterials& trail = plm->plmTrailCopies;
  if (rend->renD3D == nullptr || trail.pmCount == 0 || (trail.pmMats[0].matType & SG_MAT_TYPE_SRC_COLOUR_BLEND) == 0) {
    return;
  }
  if (ISGD3DCanSrcColorBlend(rend->renContext) != SG_ERROR_NONE) {
    for (std::uint32_t i = 0; i < trail.pmCount; ++i) {
      trail.pmMats[i].matType &= ~SG_MAT_TYPE_SRC_COLOUR_BLEND;
    }
    for (std::uint32_t i = 0; i < plm->plmCapCopies.pmCount; ++i) {
      plm->plmCapCopies.pmMats[i].matType &= ~SG_MAT_TYPE_SRC_COLOUR_BLEND;
    }
  }
  if (ISGD3DCanBlend(rend->renContext) != SG_ERROR_NONE) {
    for (std::uint32_t i = 0; i < trail.pmCount; ++i) {
      trail.pmMats[i].matType &= ~SG_MAT_TYPE_ALPHA;
    }
  }
}

}  // namespace

SGError ISGPlumeDraw(SGRenderer* rend, SGScene* scene, SGPlume* plm) {
  // Without a clock or a ring the plume cannot run.
  if (scene->scnPlumeClock == nullptr || plm->plmLength == 0 || plm->plmNodes == nullptr) {
    return SG_ERROR_NONE;
  }
  ISG_ASSERT(plm->plmCurrLen <= plm->plmLength, "plume");
  const std::uint32_t now = scene->scnPlumeClock();
  if (plm->plmLastStep == 0) {
    plm->plmLastStep = now + plm->plmPeriod + plm->plmStepPeriod;
  }
  if ((plm->plmFlags & SG_PLM_FLAG_FULL) != 0) {
    plm->plmPeriod = plm->plmStepPeriod;
  }
  const std::uint32_t period = plm->plmPeriod > 0 ? plm->plmPeriod : 1;
  plm->plmStepFrac = static_cast<float>(static_cast<std::int32_t>(now - plm->plmLastStep)) / static_cast<float>(period);
  if (plm->plmStepFrac >= 1.f) {
    plm->plmStepDue = 1;
    plm->plmLastStep = now;
    plm->plmStepFrac = 0.f;
  } else {
    plm->plmStepDue = 0;
  }
  // The records of the last frame left the scene's list when it ended: the
  // pool starts again every frame, with or without a step.
  plm->plmUsedInsts = BaseRecords(plm);
  if (plm->plmStepDue != 0) {
    SGPlumeNode* head = nullptr;
    plm->plmStepStatus = Step(rend, scene, plm, &head);
    plm->plmDrawHead = head;
  } else if (plm->plmDrawHead != nullptr) {
    ISGPlumeBuildNode(rend, scene, plm, plm->plmDrawHead, nullptr);
  }
  ISG_ASSERT(plm->plmCurrLen <= plm->plmLength, "plume");
  if (plm->plmCurrLen <= 1) {
    if ((plm->plmFlags & SG_PLM_FLAG_DYING) != 0) {
      SGPlumeDestroy(plm);
    }
    return SG_ERROR_NONE;
  }
  SGPlumeNode* newer = plm->plmDrawHead;
  if (plm->plmStepStatus == SG_PLM_NOTHING || plm->plmStepStatus == SG_PLM_BREAK || newer == nullptr) {
    return SG_ERROR_NONE;
  }
  SGPlumeNode* behindTail = ISGPlumePrev(plm, plm->plmTail);
  if (behindTail != plm->plmHead) {
    behindTail->pndTimeStamp = 0;
  }
  // A hidden trail is kept up to date but adds nothing, its head cap included.
  if ((plm->plmFlags & SG_PLM_FLAG_HIDDEN) != 0) {
    return SG_ERROR_NONE;
  }
  if (plm->plmStepStatus == SG_PLM_CAP || plm->plmStepStatus == SG_PLM_SEGMENT_CAP) {
    ISGPlumeAddCap(rend, scene, plm, newer);
  }
  FitBlendingToDevice(rend, plm);
  SGPlumeNode* node = ISGPlumePrev(plm, newer);
  for (std::uint32_t i = 0; i < plm->plmLength && node->pndTimeStamp != 0; ++i) {
    const std::uint32_t status = ISGPlumeBuildNode(rend, scene, plm, node, newer);
    node->pndStatus = status;
    AssertRing(plm);
    switch (status) {
      case SG_PLM_NOTHING:
        break;
      case SG_PLM_CAP:
        ISGPlumeAddCap(rend, scene, plm, node);
        newer = node;
        break;
      case SG_PLM_SEGMENT:
        ISGPlumeAddSegment(rend, scene, plm, node, newer);
        newer = node;
        break;
      case SG_PLM_SEGMENT_CAP:
        ISGPlumeAddSegment(rend, scene, plm, node, newer);
        ISGPlumeAddCap(rend, scene, plm, node);
        newer = node;
        break;
      case SG_PLM_BREAK:
        newer = node;
        break;
      default:
        ISGAssertFailed("TRUE == FALSE", "plume");
    }
    if (node == plm->plmTail) {
      break;
    }
    node = ISGPlumePrev(plm, node);
  }
  ISG_ASSERT(plm->plmCurrLen <= plm->plmLength, "plume");
  return SG_ERROR_NONE;
}
