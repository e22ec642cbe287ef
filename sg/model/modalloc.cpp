// Building models from separate allocations; hard points.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/model/model.h"

namespace {

constexpr std::uint32_t kGrowStep = 32;

template <class T>
bool Grow(T** array, std::uint32_t capacity) {
  auto* grown = static_cast<T*>(SGRealloc(*array, sizeof(T) * (capacity == 0 ? 1 : capacity)));
  if (grown == nullptr) {
    return false;
  }
  *array = grown;
  return true;
}

template <class T>
std::uint32_t AddElement(T** array, std::uint32_t* count) {
  if (*count % kGrowStep == 0 && !Grow(array, *count + kGrowStep)) {
    return 0xFFFFFFFF;
  }
  return (*count)++;
}

float Side(const SGGeoSplit* split, const float p[3]) {
  return split->gspNormal[0] * p[0] + split->gspNormal[1] * p[1] + split->gspNormal[2] * p[2] + split->gspDist;
}

std::uint32_t CountHardPoints(const SGGeoNode* node) {
  std::uint32_t n = 0;
  for (; node != nullptr; node = node->gdNext) {
    if (node->gdType == SG_GD_TYPE_HARDPOINT) {
      ++n;
    } else if (node->gdType == SG_GD_TYPE_BSP) {
      const auto* split = static_cast<const SGGeoSplit*>(node->gdData);
      n += CountHardPoints(split->gspFront) + CountHardPoints(split->gspBack);
    }
  }
  return n;
}

std::uint32_t FindHardPoint(const SGGeoNode* node, const float p[3]) {
  for (; node != nullptr; node = node->gdNext) {
    if (node->gdType == SG_GD_TYPE_BSP) {
      const auto* split = static_cast<const SGGeoSplit*>(node->gdData);
      const float side = Side(split, p);
      if (side >= 0.f && split->gspFront != nullptr) {
        return FindHardPoint(split->gspFront, p);
      }
      if (side < 0.f && split->gspBack != nullptr) {
        return FindHardPoint(split->gspBack, p);
      }
    } else if (node->gdType == SG_GD_TYPE_HARDPOINT) {
      const auto* hp = static_cast<const SGGeoHardPoint*>(node->gdData);
      if (std::fabs(hp->ghpPos[0] - p[0]) < SG_HARDPOINT_TOLERANCE &&
          std::fabs(hp->ghpPos[1] - p[1]) < SG_HARDPOINT_TOLERANCE &&
          std::fabs(hp->ghpPos[2] - p[2]) < SG_HARDPOINT_TOLERANCE) {
        return hp->ghpId;
      }
    }
  }
  return 0xFFFFFFFF;
}

}  // namespace

SGModel* SGModelCreate() { return static_cast<SGModel*>(SGCalloc(1, sizeof(SGModel))); }

void ISGModelLodInit(SGModelLod* lod) {
  std::memset(lod, 0, sizeof(*lod));
  lod->mdlRoot.mstXformIndex = 0xFFFFFFFF;
  lod->mdlRoot.mstParent = &lod->mdlRoot;
}

std::uint32_t SGModelAddLod(SGModel* model, float distance) {
  std::uint32_t i = 0;
  while (i < model->modNumLods && model->modLods[i].mdlDistance < distance) {
    ++i;
  }
  if (i < model->modNumLods && model->modLods[i].mdlDistance == distance) {
    return i;
  }
  auto* lods = static_cast<SGModelLod*>(SGRealloc(model->modLods, sizeof(SGModelLod) * (model->modNumLods + 1)));
  if (lods == nullptr) {
    return i < model->modNumLods ? i : model->modNumLods - 1;
  }
  model->modLods = lods;
  std::memmove(&lods[i + 1], &lods[i], sizeof(SGModelLod) * (model->modNumLods - i));
  ++model->modNumLods;
  // Moving the records moved the roots that point at themselves.
  for (std::uint32_t k = 0; k < model->modNumLods; ++k) {
    lods[k].mdlRoot.mstParent = &lods[k].mdlRoot;
  }
  ISGModelLodInit(&lods[i]);
  lods[i].mdlDistance = distance;
  return i;
}

SGModelSubTransform* ISGSubTransformCreate(std::uint32_t xformIndex) {
  auto* mst = static_cast<SGModelSubTransform*>(SGCalloc(1, sizeof(SGModelSubTransform)));
  if (mst != nullptr) {
    mst->mstXformIndex = xformIndex;
  }
  return mst;
}

std::uint32_t ISGSubTransformAddVertex(SGModelSubTransform* mst) {
  return AddElement(&mst->mstVerts, &mst->mstNumVerts);
}

std::uint32_t ISGSubTransformAddNormal(SGModelSubTransform* mst) {
  return AddElement(&mst->mstNormals, &mst->mstNumNormals);
}

std::uint32_t ISGSubTransformAddUV(SGModelSubTransform* mst) { return AddElement(&mst->mstUVs, &mst->mstNumUVs); }

SGError ISGSubTransformReserve(SGModelSubTransform* mst) {
  if (!Grow(&mst->mstVerts, mst->mstNumVerts + kGrowStep) || !Grow(&mst->mstNormals, mst->mstNumNormals + kGrowStep) ||
      !Grow(&mst->mstUVs, mst->mstNumUVs + kGrowStep)) {
    return SG_ERROR_NO_MEMORY;
  }
  return SG_ERROR_NONE;
}

SGError ISGSubTransformTrim(SGModelSubTransform* mst) {
  if (!Grow(&mst->mstVerts, mst->mstNumVerts) || !Grow(&mst->mstNormals, mst->mstNumNormals) ||
      !Grow(&mst->mstUVs, mst->mstNumUVs)) {
    return SG_ERROR_NO_MEMORY;
  }
  return SG_ERROR_NONE;
}

SGFaceList* ISGFaceListCreate() { return static_cast<SGFaceList*>(SGCalloc(1, sizeof(SGFaceList))); }

SGBillboard* ISGBillboardCreate() {
  auto* bil = static_cast<SGBillboard*>(SGCalloc(1, sizeof(SGBillboard)));
  if (bil != nullptr) {
    bil->bilNumAzimuth = 1;
    bil->bilNumPolar = 1;
  }
  return bil;
}

SGGeoNode* ISGGeoNodeCreate(std::uint32_t type, void* data) {
  auto* node = static_cast<SGGeoNode*>(SGCalloc(1, sizeof(SGGeoNode)));
  if (node != nullptr) {
    node->gdType = type;
    node->gdData = type != SG_GD_TYPE_XFORM_END ? data : nullptr;
  }
  return node;
}

SGGeoNode* ISGGeoChainAppend(SGGeoNode* chain, SGGeoNode* node) {
  node->gdNext = nullptr;
  if (chain == nullptr) {
    return node;
  }
  SGGeoNode* last = chain;
  while (last->gdNext != nullptr) {
    last = last->gdNext;
  }
  last->gdNext = node;
  return chain;
}

SGError ISGGeoAppendFaces(SGModelLod* lod, SGFaceList* faces) {
  SGGeoNode* node = ISGGeoNodeCreate(SG_GD_TYPE_FACES, faces);
  if (node == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  lod->mdlData = ISGGeoChainAppend(lod->mdlData, node);
  return SG_ERROR_NONE;
}

SGError ISGGeoPrepend(SGModelLod* lod, SGGeoNode* node) {
  node->gdNext = lod->mdlData;
  lod->mdlData = node;
  return SG_ERROR_NONE;
}

SGGeoNode* ISGGeoAddToTree(SGGeoNode* tree, SGGeoNode* node, const float point[3]) {
  ISG_ASSERT(tree, "modalloc");
  // Walks to the end of the chain, descending into the side of each split the
  // point falls on.
  SGGeoNode* t = tree;
  for (;;) {
    SGGeoNode** link = nullptr;
    if (t->gdType == SG_GD_TYPE_BSP) {
      auto* split = static_cast<SGGeoSplit*>(t->gdData);
      link = Side(split, point) >= 0.f ? &split->gspFront : &split->gspBack;
    } else if (t->gdType >= SG_GD_TYPE_FACES && t->gdType <= SG_GD_TYPE_HARDPOINT) {
      if (t->gdType == SG_GD_TYPE_HARDPOINT) {
        std::fputs("ISGGeoAddToTree:  WARNING *** APPENDING TO EXISTING HARDPOINT *** WARNING\n", stderr);
      }
      link = &t->gdNext;
    } else {
      return tree;
    }
    if (*link == nullptr) {
      *link = node;
      return tree;
    }
    t = *link;
  }
}

SGModel* SGModelAddHardPoint(SGModel* model, const float point[3], std::uint32_t id) {
  SGModel* out = model->modPackedSize != 0 ? SGModelCopy(model) : model;
  if (out == nullptr) {
    return nullptr;
  }
  auto* hp = static_cast<SGGeoHardPoint*>(SGMalloc(sizeof(SGGeoHardPoint)));
  SGGeoNode* node = hp != nullptr ? ISGGeoNodeCreate(SG_GD_TYPE_HARDPOINT, hp) : nullptr;
  if (node == nullptr) {
    SGFree(hp);
    if (out != model) {
      ISGModelDestroy(out);
    }
    return nullptr;
  }
  hp->ghpId = id;
  std::memcpy(hp->ghpPos, point, sizeof(hp->ghpPos));
  ISG_ASSERT(out->modNumLods != 0 && out->modLods[0].mdlData, "modalloc");
  ISGGeoAddToTree(out->modLods[0].mdlData, node, point);
  return out;
}

SGGeoNode* ISGGeoPrune(SGGeoNode* chain) {
  SGGeoNode* head = nullptr;
  SGGeoNode** link = &head;
  for (SGGeoNode* n = chain; n != nullptr;) {
    SGGeoNode* next = n->gdNext;
    bool keep = true;
    if (n->gdType == SG_GD_TYPE_BSP) {
      auto* split = static_cast<SGGeoSplit*>(n->gdData);
      split->gspFront = ISGGeoPrune(split->gspFront);
      split->gspBack = ISGGeoPrune(split->gspBack);
    } else if (n->gdType == SG_GD_TYPE_FACES) {
      keep = (static_cast<SGFaceList*>(n->gdData)->fclFlags & SG_FCL_FLAG_PRUNE) == 0;
    } else if (n->gdType == SG_GD_TYPE_XFORM) {
      if (next == nullptr) {
        keep = false;
      } else if (next->gdType == SG_GD_TYPE_XFORM_END) {
        keep = false;
        next = next->gdNext;
      }
    } else if (n->gdType == SG_GD_TYPE_XFORM_END) {
      keep = next != nullptr;
    }
    if (keep) {
      *link = n;
      link = &n->gdNext;
    }
    n = next;
  }
  *link = nullptr;
  return head;
}

std::uint32_t SGModelCountHardPoints(const SGModel* model) {
  if (model->modNumLods == 0) {
    return 0;
  }
  return CountHardPoints(model->modLods[0].mdlData);
}

std::uint32_t SGModelFindHardPoint(const SGModel* model, const float point[3]) {
  ISG_ASSERT(model->modNumLods != 0 && model->modLods[0].mdlData, "modalloc");
  return FindHardPoint(model->modLods[0].mdlData, point);
}
