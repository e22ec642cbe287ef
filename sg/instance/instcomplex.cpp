// Complex models: a tree of sub-instances split by planes, treated as one object.

#include <cmath>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/core/point.h"
#include "sg/core/sgassert.h"
#include "sg/instance/instance.h"

namespace {

constexpr float kFar = 1e33f;

SGBsp* NewNode() { return static_cast<SGBsp*>(SGCalloc(1, sizeof(SGBsp))); }

float Side(const SGBsp* bsp, const double p[3]) {
  const double np =
      bsp->bspPlane.plnNormal[0] * p[0] + bsp->bspPlane.plnNormal[1] * p[1] + bsp->bspPlane.plnNormal[2] * p[2];
  return static_cast<float>(np) + bsp->bspPlane.plnDist;
}

// Inserts `a` at point `p` below `*link`; false when a node cannot be made (the
// tree is then unchanged).
bool AddInstance(SGBsp** link, SGInstance* a, const double p[3]) {
  while (*link != nullptr) {
    SGBsp* bsp = *link;
    const float s = Side(bsp, p);
    if (s > 0.f) {
      link = &bsp->bspFront;
      continue;
    }
    if (s < 0.f) {
      link = &bsp->bspBack;
      continue;
    }
    if (bsp->bspInstance == nullptr) {
      bsp->bspInstance = a;
      return true;
    }
    // Split the held instance and the new one by a plane between them, weighted
    // by their radii. Both leaves are made before the node changes.
    ISG_ASSERT(bsp->bspInstance, "instance");
    SGInstance* b = bsp->bspInstance;
    ISG_ASSERT(a->instRadius + bsp->bspInstance->instRadius > 0.f, "instance");
    SGBsp* back = NewNode();
    SGBsp* front = NewNode();
    if (back == nullptr || front == nullptr) {
      SGFree(back);
      SGFree(front);
      return false;
    }
    const float d[3] = {static_cast<float>(b->instPos[0] - a->instPos[0]),
                        static_cast<float>(b->instPos[1] - a->instPos[1]),
                        static_cast<float>(b->instPos[2] - a->instPos[2])};
    const float f = a->instRadius / (a->instRadius + b->instRadius);
    float dist = 0.f;
    for (int k = 0; k < 3; ++k) {
      bsp->bspPlane.plnNormal[k] = f * d[k];
      dist += (static_cast<float>(a->instPos[k]) + f * d[k]) * bsp->bspPlane.plnNormal[k];
    }
    bsp->bspPlane.plnDist = -dist;
    bsp->bspInstance = nullptr;
    back->bspInstance = a;
    front->bspInstance = b;
    bsp->bspBack = back;
    bsp->bspFront = front;
    return true;
  }
  *link = NewNode();
  if (*link == nullptr) {
    return false;
  }
  (*link)->bspInstance = a;
  return true;
}

// Gives every empty link below `*link` a node with the plane.
bool AddPlane(SGBsp** link, const float normal[3], const double point[3]) {
  if (*link == nullptr) {
    SGBsp* node = NewNode();
    if (node == nullptr) {
      return false;
    }
    std::memcpy(node->bspPlane.plnNormal, normal, sizeof(node->bspPlane.plnNormal));
    node->bspPlane.plnDist = static_cast<float>(-(normal[0] * point[0] + normal[1] * point[1] + normal[2] * point[2]));
    *link = node;
    return true;
  }
  const SGPoint3s n{(*link)->bspPlane.plnNormal[0], (*link)->bspPlane.plnNormal[1], (*link)->bspPlane.plnNormal[2]};
  ISG_ASSERT(SGVector3sLenSq(&n) > 0.f, "instance");
  return AddPlane(&(*link)->bspFront, normal, point) && AddPlane(&(*link)->bspBack, normal, point);
}

void Bounds(const SGBsp* bsp, const SGInstance* complex, float mn[3], float mx[3], float* r2) {
  if (bsp == nullptr) {
    return;
  }
  Bounds(bsp->bspFront, complex, mn, mx, r2);
  Bounds(bsp->bspBack, complex, mn, mx, r2);
  const SGInstance* sub = bsp->bspInstance;
  // Only model kinds carry the eight corners at the start of their block.
  if (sub == nullptr || (sub->instType & SG_INST_TYPE_MODEL) == 0 || sub->instData == nullptr) {
    return;
  }
  const float(*corners)[3] = static_cast<const float(*)[3]>(sub->instData);
  for (int i = 0; i < 8; ++i) {
    const SGPoint3s c{corners[i][0], corners[i][1], corners[i][2]};
    SGPoint3s w;
    SGPoint3sTransform(&w, &complex->instXform, &c);
    const float v[3] = {w.x, w.y, w.z};
    for (int k = 0; k < 3; ++k) {
      mn[k] = v[k] < mn[k] ? v[k] : mn[k];
      mx[k] = v[k] > mx[k] ? v[k] : mx[k];
    }
  }
  const double p2 =
      sub->instPos[0] * sub->instPos[0] + sub->instPos[1] * sub->instPos[1] + sub->instPos[2] * sub->instPos[2];
  const float candidate = static_cast<float>(p2 + static_cast<double>(sub->instReach) * sub->instReach);
  if (candidate > *r2) {
    *r2 = candidate;
  }
}

}  // namespace

SGError SGInstanceAddSubInstance(SGInstance* complex, SGInstance* sub, const double point[3]) {
  auto* root = static_cast<SGBsp*>(complex->instData);
  const bool ok = AddInstance(&root, sub, point);
  complex->instData = root;
  if (ok) {
    SGInstanceSetAttributes(sub, complex->instAttributes);
  }
  return ok && root != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_MEMORY;
}

SGError SGInstanceAddPlane(SGInstance* complex, const float normal[3], const double point[3]) {
  auto* root = static_cast<SGBsp*>(complex->instData);
  const bool ok = AddPlane(&root, normal, point);
  complex->instData = root;
  return ok && root != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_MEMORY;
}

void ISGInstanceComplexBounds(SGInstance* inst) {
  ISG_ASSERT(inst->instType == SG_INST_TYPE_MODEL_COMPLEX, "instance");
  auto* root = static_cast<SGBsp*>(inst->instData);
  float mn[3];
  float mx[3];
  float r2 = 0.f;
  if (root == nullptr) {
    for (int k = 0; k < 3; ++k) {
      mn[k] = mx[k] = static_cast<float>(inst->instPos[k]);
    }
  } else {
    for (int k = 0; k < 3; ++k) {
      mn[k] = kFar;
      mx[k] = -kFar;
    }
    Bounds(root, inst, mn, mx, &r2);
    for (int i = 0; i < 8; ++i) {
      root->bspCorners[i][0] = (i & 1) != 0 ? mx[0] : mn[0];
      root->bspCorners[i][1] = (i & 2) != 0 ? mx[1] : mn[1];
      root->bspCorners[i][2] = (i & 4) != 0 ? mx[2] : mn[2];
    }
  }
  for (int k = 0; k < 3; ++k) {
    inst->instWorldBox[k] = mn[k];
    inst->instWorldBox[k + 3] = mx[k];
  }
  inst->instFlags |= SG_INST_BOX_VALID;
  inst->instReach = std::sqrt(r2);
  inst->instRadius = inst->instReach;
}

SGError ISGBspForEach(SGBsp* node, std::uintptr_t arg, SGBspInstanceFn fn) {
  if (node == nullptr) {
    return SG_ERROR_NONE;
  }
  SGError err = SG_ERROR_NONE;
  if (node->bspInstance != nullptr) {
    err = fn(node->bspInstance, arg);
  }
  if (err == SG_ERROR_NONE) {
    err = ISGBspForEach(node->bspFront, arg, fn);
  }
  if (err == SG_ERROR_NONE) {
    err = ISGBspForEach(node->bspBack, arg, fn);
  }
  return err;
}

void ISGBspFree(SGBsp* node) {
  if (node == nullptr) {
    return;
  }
  ISGBspFree(node->bspFront);
  ISGBspFree(node->bspBack);
  SGFree(node);
}
