// Freeing models. Freeing allocates nothing: a shared array is freed once and
// every other reference to it is cleared before any record goes.

#include "sg/core/malloc.h"
#include "sg/model/model.h"

namespace {

// Calls `fn` for every sub-transform of the model: each LOD's root, then the
// type-4 nodes of its tree.
template <class Fn>
void SubTransformsOf(SGGeoNode* node, Fn& fn) {
  for (; node != nullptr; node = node->gdNext) {
    if (node->gdData == nullptr) {
      continue;
    }
    if (node->gdType == SG_GD_TYPE_XFORM) {
      fn(static_cast<SGModelSubTransform*>(node->gdData));
    } else if (node->gdType == SG_GD_TYPE_BSP) {
      auto* split = static_cast<SGGeoSplit*>(node->gdData);
      SubTransformsOf(split->gspFront, fn);
      SubTransformsOf(split->gspBack, fn);
    }
  }
}

template <class Fn>
void SubTransforms(SGModel* model, Fn fn) {
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    fn(&model->modLods[i].mdlRoot);
    SubTransformsOf(model->modLods[i].mdlData, fn);
  }
}

template <class T>
void FreeShared(SGModel* model, T* SGModelSubTransform::*field, SGModelSubTransform* owner) {
  T* array = owner->*field;
  if (array == nullptr) {
    return;
  }
  SubTransforms(model, [field, array](SGModelSubTransform* mst) {
    if (mst->*field == array) {
      mst->*field = nullptr;
    }
  });
  SGFree(array);
}

void FreeData(SGGeoNode* node);

void FreeChain(SGGeoNode* node) {
  while (node != nullptr) {
    SGGeoNode* next = node->gdNext;
    FreeData(node);
    SGFree(node);
    node = next;
  }
}

void FreeData(SGGeoNode* node) {
  if (node->gdData == nullptr) {
    return;
  }
  switch (node->gdType) {
    case SG_GD_TYPE_BSP: {
      auto* d = static_cast<SGGeoSplit*>(node->gdData);
      FreeChain(d->gspFront);
      FreeChain(d->gspBack);
      break;
    }
    case SG_GD_TYPE_FACES:
      SGFree(static_cast<SGFaceList*>(node->gdData)->fclFaces);
      break;
    case SG_GD_TYPE_BILLBOARD:
      SGFree(static_cast<SGBillboard*>(node->gdData)->bilMatIndex);
      break;
    case SG_GD_TYPE_POINTS: {
      auto* d = static_cast<SGPointList*>(node->gdData);
      SGFree(d->ptlVertIndex);
      SGFree(d->ptlNormalIndex);
      SGFree(d->ptlUVs);
      break;
    }
    case SG_GD_TYPE_LINES:
      SGFree(static_cast<SGLineList*>(node->gdData)->linVertIndex);
      break;
    case SG_GD_TYPE_XFORM_END:
      return;
    default:
      break;
  }
  SGFree(node->gdData);
}

}  // namespace

void ISGModelDestroy(SGModel* model) {
  SubTransforms(model, [model](SGModelSubTransform* mst) {
    FreeShared(model, &SGModelSubTransform::mstVerts, mst);
    FreeShared(model, &SGModelSubTransform::mstNormals, mst);
    FreeShared(model, &SGModelSubTransform::mstUVs, mst);
  });
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    FreeChain(model->modLods[i].mdlData);
  }
  SGFree(model->modLods);
  SGFree(model->modXforms);
  SGFree(model);
}

SGError SGModelFree(SGModel* model) {
  if (model == nullptr) {
    return SG_ERROR_NONE;
  }
  if (model->modPackedSize != 0) {
    SGFree(model);
  } else {
    ISGModelDestroy(model);
  }
  return SG_ERROR_NONE;
}
