#include "sg/scene/scene.h"

#include "sg/instance/instance.h"
#include "sg/core/sgassert.h"

namespace {

void PushScn(SGInstance** head, SGInstance* inst) {
  inst->instScnNext = *head;
  inst->instScnBack = head;
  if (*head != nullptr) {
    (*head)->instScnBack = &inst->instScnNext;
  }
  *head = inst;
}

}  // namespace

SGError SGSceneAddInstance(SGScene* scene, SGInstance* inst) {
  if (inst->instScene != nullptr && inst->instScene != scene) {
    SGInstanceRemove(inst);
  }
  if (inst->instScene == scene) {
    // Already here: only brought up to date.
    return SGInstanceUpdate(inst);
  }
  inst->instScene = scene;
  if (inst->instType == SG_INST_TYPE_LIGHT) {
    PushScn(&scene->scnLights, inst);
  } else {
    for (const SGInstance* tst = scene->scnInstances; tst != nullptr; tst = tst->instScnNext) {
      ISG_ASSERT(tst != inst, "scene");
    }
    PushScn(&scene->scnInstances, inst);
    if ((inst->instAttributes & SG_ATTR_NO_COLLIDE) == 0) {
      ISGInstanceLinkCollide(inst);
    }
    if ((inst->instAttributes & (SG_ATTR_NO_PICK | SG_ATTR_NO_LOS)) != (SG_ATTR_NO_PICK | SG_ATTR_NO_LOS)) {
      ISGInstanceLinkLOS(inst);
    }
  }
  return SGInstanceUpdate(inst);
}
