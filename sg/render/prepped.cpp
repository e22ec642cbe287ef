// Drawing an instance whose triangles were made ahead for this frame.

#include "sg/render/prepped.h"

#include "sg/core/sgassert.h"
#include "sg/instance/instance.h"
#include "sg/render/renderer.h"

SGError ISGInstanceDrawPrepped(SGRenderer* rend, SGScene* scene, SGInstance* inst) {
  ISG_ASSERT(inst->instAttributes & SG_ATTR_PREPPED, "instdraw.c");
  const auto* prep = static_cast<const SGPrepTris*>(inst->instData);
  if ((inst->instFlags & SG_INST_CULLED) != 0 || prep == nullptr || prep->ptrMaterial == nullptr ||
      prep->ptrVerts == nullptr) {
    return SG_ERROR_NONE;
  }
  const std::uint32_t count = prep->ptrNumTris < SG_PREP_MAX_TRIS ? prep->ptrNumTris : SG_PREP_MAX_TRIS;
  for (std::uint32_t t = 0; t < count; ++t) {
    SGTxVertex* tri[3];
    std::uint32_t all = SG_XFORM_FLAG_CLIP_MASK;
    std::uint32_t any = 0;
    for (int k = 0; k < 3; ++k) {
      SGTxVertex* txv = prep->ptrVerts[3 * t + k];
      if ((txv->txvFlags & SG_TXV_UNTRANSFORMED) != 0) {
        const SGError err = rend->renMethods.rmTransformVertex(rend, txv);
        if (err != SG_ERROR_NONE) {
          return err;
        }
      }
      all &= txv->txvFlags;
      any |= txv->txvFlags;
      tri[k] = txv;
    }
    if ((all & SG_XFORM_FLAG_CLIP_MASK) != 0) {
      continue;
    }
    const SGError err = (any & SG_XFORM_FLAG_CLIP_MASK) != 0
                            ? rend->renMethods.rmClipTriangle(rend, scene, prep->ptrMaterial, tri, 0)
                            : rend->renMethods.rmDrawTriangle(rend, scene, prep->ptrMaterial, tri);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  return SG_ERROR_NONE;
}
