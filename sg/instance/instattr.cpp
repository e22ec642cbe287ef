// Instances: attribute bits and the scene lists they govern; plain fields.

#include <cstring>
#include <initializer_list>

#include "sg/core/sgassert.h"
#include "sg/instance/instance.h"
#include "sg/scene/scene.h"

namespace {

constexpr std::uint32_t kSightBits = SG_ATTR_NO_PICK | SG_ATTR_NO_LOS;

enum class AttrOp { Set, Clear, Toggle };

SGError ChangeAttributes(SGInstance* inst, std::uint32_t bits, AttrOp op);

SGError SetOnSub(SGInstance* inst, std::uintptr_t bits) {
  return ChangeAttributes(inst, static_cast<std::uint32_t>(bits), AttrOp::Set);
}
SGError ClearOnSub(SGInstance* inst, std::uintptr_t bits) {
  return ChangeAttributes(inst, static_cast<std::uint32_t>(bits), AttrOp::Clear);
}
SGError ToggleOnSub(SGInstance* inst, std::uintptr_t bits) {
  return ChangeAttributes(inst, static_cast<std::uint32_t>(bits), AttrOp::Toggle);
}

SGError ChangeAttributes(SGInstance* inst, std::uint32_t bits, AttrOp op) {
  const std::uint32_t old = inst->instAttributes;
  std::uint32_t now = old;
  switch (op) {
    case AttrOp::Set:
      now |= bits;
      break;
    case AttrOp::Clear:
      now &= ~bits;
      break;
    case AttrOp::Toggle:
      now ^= bits;
      break;
  }
  inst->instAttributes = now;
  if (inst->instType == SG_INST_TYPE_MODEL_COMPLEX) {
    static constexpr SGBspInstanceFn kSubOp[] = {SetOnSub, ClearOnSub, ToggleOnSub};
    ISGBspForEach(static_cast<SGBsp*>(inst->instData), bits, kSubOp[static_cast<int>(op)]);
  }
  if (inst->instScene == nullptr) {
    return SG_ERROR_NONE;
  }
  const bool collideWas = (old & SG_ATTR_NO_COLLIDE) != 0;
  const bool collideIs = (now & SG_ATTR_NO_COLLIDE) != 0;
  if (!collideWas && collideIs) {
    ISGInstanceUnlinkCollide(inst);
  } else if (collideWas && !collideIs) {
    ISGInstanceLinkCollide(inst);
  }
  if (((old ^ now) & kSightBits) != 0) {
    const bool hiddenWas = (old & kSightBits) == kSightBits;
    const bool hiddenIs = (now & kSightBits) == kSightBits;
    if (!hiddenWas && hiddenIs) {
      ISGInstanceUnlinkLOS(inst);
    } else if (hiddenWas && !hiddenIs) {
      ISGInstanceLinkLOS(inst);
    }
  }
  return SG_ERROR_NONE;
}

// Pushes the instance at the head of a list whose links are `next` and `back`.
void Push(SGInstance** head, SGInstance* inst, SGInstance* SGInstance::*next, SGInstance** SGInstance::*back) {
  inst->*next = *head;
  inst->*back = head;
  if (*head != nullptr) {
    (*head)->*back = &(inst->*next);
  }
  *head = inst;
}

void Unlink(SGInstance* inst, SGInstance* SGInstance::*next, SGInstance** SGInstance::*back) {
  if (inst->*back == nullptr) {
    return;
  }
  *(inst->*back) = inst->*next;
  if (inst->*next != nullptr) {
    (inst->*next)->*back = inst->*back;
  }
  inst->*next = nullptr;
  inst->*back = nullptr;
}

}  // namespace

SGError SGInstanceSetAttributes(SGInstance* inst, std::uint32_t bits) {
  return ChangeAttributes(inst, bits, AttrOp::Set);
}

SGError SGInstanceClearAttributes(SGInstance* inst, std::uint32_t bits) {
  return ChangeAttributes(inst, bits, AttrOp::Clear);
}

SGError SGInstanceToggleAttributes(SGInstance* inst, std::uint32_t bits) {
  return ChangeAttributes(inst, bits, AttrOp::Toggle);
}

SGError SGInstanceGetAttributes(const SGInstance* inst, std::uint32_t* out) {
  if (out != nullptr) {
    *out = inst->instAttributes;
  }
  return SG_ERROR_NONE;
}

void ISGInstanceLinkCollide(SGInstance* inst) {
  Push(&inst->instScene->scnCollide, inst, &SGInstance::instCollNext, &SGInstance::instCollBack);
}

void ISGInstanceLinkLOS(SGInstance* inst) {
  Push(&inst->instScene->scnLOS, inst, &SGInstance::instLOSNext, &SGInstance::instLOSBack);
}

void ISGInstanceUnlinkCollide(SGInstance* inst) {
  if (inst->instScene == nullptr) {
    return;
  }
  if (inst->instCollBack != nullptr) {
    ISG_ASSERT(*inst->instCollBack == inst, "instance");
  }
  if (inst->instCollNext != nullptr) {
    ISG_ASSERT(inst->instCollNext->instCollBack == &inst->instCollNext, "instance");
  }
  Unlink(inst, &SGInstance::instCollNext, &SGInstance::instCollBack);
}

void ISGInstanceUnlinkLOS(SGInstance* inst) {
  if (inst->instScene == nullptr) {
    return;
  }
  if (inst->instLOSBack != nullptr) {
    ISG_ASSERT(*inst->instLOSBack == inst, "instance");
  }
  if (inst->instLOSNext != nullptr) {
    ISG_ASSERT(inst->instLOSNext->instLOSBack == &inst->instLOSNext, "instance");
  }
  Unlink(inst, &SGInstance::instLOSNext, &SGInstance::instLOSBack);
}

SGError SGSceneForEachInstance(SGScene* scene, SGSceneInstanceFn fn, std::uintptr_t arg) {
  for (SGInstance* head : {scene->scnInstances, scene->scnLights}) {
    for (SGInstance* inst = head; inst != nullptr;) {
      SGInstance* next = inst->instScnNext;
      if ((inst->instAttributes & SG_ATTR_NO_WALK) == 0) {
        fn(scene, arg, inst);
      }
      inst = next;
    }
  }
  return SG_ERROR_NONE;
}

SGError SGInstanceSetUserData(SGInstance* inst, std::uintptr_t data) {
  inst->instUserData = data;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetUserData(const SGInstance* inst, std::uintptr_t* out) {
  *out = inst->instUserData;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetCollideGroup(SGInstance* inst, std::uint32_t group) {
  inst->instCollideGroup = group;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetCollideGroup(const SGInstance* inst, std::uint32_t* out) {
  *out = inst->instCollideGroup;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetSortPriority(SGInstance* inst, float priority) {
  inst->instSortPriority = priority;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetSortPriority(const SGInstance* inst, float* out) {
  *out = inst->instSortPriority;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetLODFactor(SGInstance* inst, float factor) {
  inst->instLODFactor = factor;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetLODFactor(const SGInstance* inst, float* out) {
  *out = inst->instLODFactor;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetMinLOD(SGInstance* inst, std::uint32_t lod) {
  inst->instMinLOD = lod;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetMinLOD(const SGInstance* inst, std::uint32_t* out) {
  *out = inst->instMinLOD;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetMotion(SGInstance* inst, const float motion[3]) {
  std::memcpy(inst->instMotion, motion, sizeof(inst->instMotion));
  return SG_ERROR_NONE;
}

SGError SGInstanceGetMotion(const SGInstance* inst, float out[3]) {
  std::memcpy(out, inst->instMotion, sizeof(inst->instMotion));
  return SG_ERROR_NONE;
}

SGError SGInstanceSetVecB(SGInstance* inst, const float v[3]) {
  std::memcpy(inst->instVecB, v, sizeof(inst->instVecB));
  return SG_ERROR_NONE;
}

SGError SGInstanceGetVecB(const SGInstance* inst, float out[3]) {
  std::memcpy(out, inst->instVecB, sizeof(inst->instVecB));
  return SG_ERROR_NONE;
}

SGError SGInstanceGetSavedPos(const SGInstance* inst, double out[3]) {
  std::memcpy(out, inst->instSavedPos, sizeof(inst->instSavedPos));
  return SG_ERROR_NONE;
}

SGError SGInstanceSetCollideMask(SGInstance* inst, std::uint32_t mask) {
  inst->instCollideMask = mask;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetCollideMaskBit(SGInstance* inst, std::uint32_t n) {
  inst->instCollideMask |= 1u << (n & 31);
  return SG_ERROR_NONE;
}

SGError SGInstanceClearCollideMaskBit(SGInstance* inst, std::uint32_t n) {
  inst->instCollideMask &= ~(1u << (n & 31));
  return SG_ERROR_NONE;
}

SGError SGInstanceTestCollideMaskBit(const SGInstance* inst, std::uint32_t n, std::uint32_t* set) {
  *set = (inst->instCollideMask >> (n & 31)) & 1u;
  return SG_ERROR_NONE;
}
