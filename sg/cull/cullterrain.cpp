// The terrain's page boxes, row boxes and cell vertices against a prepared cull tree.

#include "sg/cull/cullterrain.h"

#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"
#include "sg/terrain/strip.h"

namespace {

float Value(const SGCullObject* co, const float p[3]) {
  return co->coEyePlane[0] * p[0] + co->coEyePlane[1] * p[1] + co->coEyePlane[2] * p[2] - co->coEyePlane[3];
}

bool Prepared(const SGCullObject* co) {
  return (co->coFlags & (SG_CULL_FLAG_PLANE_READY | SG_CULL_FLAG_GROUP_READY)) != 0;
}

std::uint32_t VertexCode(const SGCullObject* co, SGTxVertex* const* verts, std::uint32_t count) {
  const bool fog = (co->coFlags & SG_CULL_FLAG_FOG) != 0;
  bool positive = false, negative = false;
  for (std::uint32_t i = 0; i < count && (fog || !(positive && negative)); ++i) {
    SGTxVertex* v = verts[i];
    const float value = Value(co, v->txvPos);
    if (value >= 0.f) {
      positive = true;
      if (fog && value < v->txvFog) {
        v->txvFog = value;
        v->txvFlags |= SG_TXV_FOGGED;
      }
    } else {
      negative = true;
      if (fog) {
        v->txvFog = 0.f;
        v->txvFlags |= SG_TXV_FOGGED;
      }
    }
  }
  return !positive ? 3 : (negative ? 1 : 0);
}

}  // namespace

std::uint32_t ISGCullClassifyPageBox(SGCullObject* tree, const SGScene* scene, SGPage* page) {
  const SGPageHeightInfo* phi = page->pagHeightInfo;
  float corners[8][3];
  for (int i = 0; i < 8; ++i) {
    corners[i][0] = page->pagEyeOrigin[0] + ((i & 1) != 0 ? scene->scnPageSize : 0.f);
    corners[i][1] = page->pagEyeOrigin[1] + ((i & 2) != 0 ? scene->scnPageSize : 0.f);
    corners[i][2] = page->pagEyeOrigin[2] + ((i & 4) != 0 ? phi->phiFloor : phi->phiCeiling);
  }
  return ISGCullClassifyBox(tree, corners, true, page->pagCullState);
}

std::uint32_t ISGCullClassifyStrip(SGCullObject* tree, const SGScene* scene, const SGTerrainRow* row) {
  const float z = row->rowStart[2];
  float corners[8][3];
  const float startAlong = row->rowStart[row->rowAlongX != 0 ? 0 : 1];
  const float startAcross = row->rowStart[row->rowAlongX != 0 ? 1 : 0];
  for (int i = 0; i < 8; ++i) {
    const float along = (i & 1) != 0 ? startAlong : row->rowEnd;
    const float across = (i & 2) != 0 ? startAcross : startAcross + row->rowDepth;
    corners[i][0] = row->rowAlongX != 0 ? along : across;
    corners[i][1] = row->rowAlongX != 0 ? across : along;
    corners[i][2] = z + ((i & 4) != 0 ? scene->scnCacheFloor : scene->scnCacheCeiling);
  }
  return ISGCullClassifyBox(tree, corners, false, nullptr);
}

std::uint32_t ISGCullTestVertices(SGCullObject* tree, const SGCullState* state, SGTxVertex* const* verts,
                                  std::uint32_t count) {
  std::uint32_t all = 0;
  for (SGCullObject* co = tree; co != nullptr; co = co->coORs) {
    const std::uint32_t stored = co->coIndex < SG_CULL_MAX_OBJECTS ? SGCullStateCode(state, co->coIndex) : 1;
    std::uint32_t code = 0;
    if (stored == 3) {
      return 3;
    }
    if (stored == 1) {
      if ((co->coFlags & SG_CULL_FLAG_PLANE_READY) != 0) {
        code = VertexCode(co, verts, count);
      } else if ((co->coFlags & SG_CULL_FLAG_GROUP_READY) != 0) {
        code = 3;
      }
      if (Prepared(co)) {
        for (std::uint32_t i = 0; i < co->coNumANDs && code != 0; ++i) {
          code &= ISGCullTestVertices(co->coANDs[i], state, verts, count);
        }
      }
    }
    if (code > 2) {
      return code;
    }
    all |= code;
  }
  return all;
}
