// Freeing models.

#include "sg/malloc.h"
#include "sg/model.h"
#include "sg/modlist.h"

namespace {

struct Destroyer {
  ISGArrayLists freed;

  // Frees a shareable array the first time it is met. An array that cannot be
  // recorded is left allocated rather than risk freeing it twice.
  void Array(ISGAddrList& list, void* array) {
    if (array == nullptr || list.Find(array) != nullptr) {
      return;
    }
    if (list.Add(array, 0)) {
      SGFree(array);
    }
  }

  void Arrays(SGModelSubTransform* mst) {
    Array(freed.verts, mst->mstVerts);
    Array(freed.normals, mst->mstNormals);
    Array(freed.uvs, mst->mstUVs);
  }

  void Data(SGGeoNode* node) {
    if (node->gdData == nullptr) {
      return;
    }
    switch (node->gdType) {
      case SG_GD_TYPE_BSP: {
        auto* d = static_cast<SGGeoSplit*>(node->gdData);
        Chain(d->gspFront);
        Chain(d->gspBack);
        break;
      }
      case SG_GD_TYPE_FACES:
        SGFree(static_cast<SGFaceList*>(node->gdData)->fclFaces);
        break;
      case SG_GD_TYPE_BILLBOARD:
        SGFree(static_cast<SGBillboard*>(node->gdData)->bilMatIndex);
        break;
      case SG_GD_TYPE_XFORM:
        Arrays(static_cast<SGModelSubTransform*>(node->gdData));
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

  void Chain(SGGeoNode* node) {
    while (node != nullptr) {
      SGGeoNode* next = node->gdNext;
      Data(node);
      SGFree(node);
      node = next;
    }
  }
};

}  // namespace

void ISGModelDestroy(SGModel* model) {
  Destroyer d;
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    d.Chain(model->modLods[i].mdlData);
    d.Arrays(&model->modLods[i].mdlRoot);
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
