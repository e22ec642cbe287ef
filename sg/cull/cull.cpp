// Cull objects: building, linking, unlinking and freeing trees.

#include "sg/cull/cull.h"

#include <cmath>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/instance/instance.h"

namespace {

constexpr std::uint32_t kLinkFlags = SG_CULL_FLAG_LINK_AND | SG_CULL_FLAG_LINK_OR;

bool IsLeafEdge(const SGCullObject* co) {
  return (co->coFlags & SG_CULL_FLAG_LEAF) != 0 && (co->coFlags & (SG_CULL_FLAG_BEYOND | SG_CULL_FLAG_BEFORE)) == 0;
}

// Whether `co` lies below `ancestor` through parent links.
bool IsBelow(const SGCullObject* co, const SGCullObject* ancestor) {
  for (const SGCullObject* p = co->coParent; p != nullptr; p = p->coParent) {
    if (p == ancestor) {
      return true;
    }
  }
  return false;
}

SGCullObject* NewObject() { return static_cast<SGCullObject*>(SGCalloc(1, sizeof(SGCullObject))); }

void FreeObject(SGCullObject* co) {
  if (co->coInst != nullptr && co->coInst->instCullObject == co) {
    co->coInst->instCullObject = nullptr;
  }
  SGFree(co->coANDs);
  SGFree(co);
}

template <class Fn>
void Walk(SGCullObject* co, Fn fn) {
  for (; co != nullptr; co = co->coORs) {
    fn(co);
    for (std::uint32_t i = 0; i < co->coNumANDs; ++i) {
      Walk(co->coANDs[i], fn);
    }
  }
}

void Sub3(double out[3], const double a[3], const double b[3]) {
  for (int k = 0; k < 3; ++k) {
    out[k] = a[k] - b[k];
  }
}

// Joins a new edge object to the polygon's tree by the turn of its corner.
SGError AddCorner(SGCullObject** root, SGCullObject* edge, double s) {
  if (!(s > 0.0)) {
    if ((*root)->coORs != nullptr) {
      SGCullObject* link = nullptr;
      const SGError err = SGCullLink(*root, edge, SG_CULL_LINK_AND, &link);
      if (err == SG_ERROR_NONE) {
        *root = link;
      }
      return err;
    }
    return ISGCullAddAND(*root, edge);
  }
  if ((*root)->coNumANDs != 0) {
    return ISGCullAddOR((*root)->coANDs[(*root)->coNumANDs - 1], edge);
  }
  ISGCullAddOR(edge, *root);
  *root = edge;
  return SG_ERROR_NONE;
}

// Stores the bounding sphere of the tree's edge objects in each of them; the
// centre is also handed back.
void BoundingSphere(SGCullObject* root, double centre[3]) {
  centre[0] = centre[1] = centre[2] = 0.0;
  std::uint32_t points = 0;
  Walk(root, [&](SGCullObject* co) {
    if (IsLeafEdge(co) && (co->coFlags & SG_CULL_FLAG_RELATIVE) == 0) {
      for (const auto& p : co->coPoints) {
        for (int k = 0; k < 3; ++k) {
          centre[k] += p[k];
        }
        ++points;
      }
    }
  });
  if (points == 0) {
    return;
  }
  for (int k = 0; k < 3; ++k) {
    centre[k] /= points;
  }
  double r2 = 0.0;
  Walk(root, [&](SGCullObject* co) {
    if (IsLeafEdge(co) && (co->coFlags & SG_CULL_FLAG_RELATIVE) == 0) {
      for (const auto& p : co->coPoints) {
        double d[3];
        Sub3(d, p, centre);
        const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        if (dd > r2) {
          r2 = dd;
        }
      }
    }
  });
  const float radius = static_cast<float>(std::sqrt(r2));
  Walk(root, [&](SGCullObject* co) {
    if (IsLeafEdge(co) && (co->coFlags & SG_CULL_FLAG_RELATIVE) == 0) {
      std::memcpy(co->coCenter, centre, sizeof(co->coCenter));
      co->coRadius = radius;
    }
  });
}

// Puts `survivor` in the place of its dissolved parent `node`.
SGCullObject* Dissolve(SGCullObject* tree, SGCullObject* node) {
  SGCullObject* survivor = node->coNumANDs != 0 ? node->coANDs[0] : node->coORs;
  const bool wasOR = (survivor->coFlags & SG_CULL_FLAG_LINK_OR) != 0;
  SGCullObject* survivorLast = ISGCullLastOR(survivor);
  // The chain that followed the node's own run.
  SGCullObject* after = wasOR ? survivorLast->coORs : node->coORs;
  SGCullObject* grand = node->coParent;
  survivor->coParent = grand;
  survivor->coFlags &= ~kLinkFlags;
  if (grand != nullptr && (node->coFlags & SG_CULL_FLAG_LINK_AND) != 0) {
    for (std::uint32_t i = 0; i < grand->coNumANDs; ++i) {
      if (grand->coANDs[i] == node) {
        grand->coANDs[i] = survivor;
      }
    }
    survivor->coFlags |= SG_CULL_FLAG_LINK_AND;
    survivor->coORsBack = nullptr;
    survivorLast->coORs = nullptr;
  } else {
    // In the OR chain (or the root): the survivor's run takes the node's place.
    if (grand != nullptr) {
      survivor->coFlags |= SG_CULL_FLAG_LINK_OR;
    }
    survivor->coORsBack = node->coORsBack;
    if (node->coORsBack != nullptr) {
      *node->coORsBack = survivor;
    }
    survivorLast->coORs = grand != nullptr ? after : nullptr;
    if (survivorLast->coORs != nullptr) {
      survivorLast->coORs->coORsBack = &survivorLast->coORs;
    }
  }
  SGFree(node->coANDs);
  SGFree(node);
  return node == tree ? survivor : tree;
}

}  // namespace

SGError ISGCullStateCreate(SGCullState** out) {
  auto* state = static_cast<SGCullState*>(SGCalloc(1, sizeof(SGCullState)));
  if (state == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  *out = state;
  return SG_ERROR_NONE;
}

SGError ISGCullStateClear(SGCullState* state) {
  std::memset(state, 0, sizeof(*state));
  return SG_ERROR_NONE;
}

SGError ISGCullStateFree(SGCullState* state) {
  SGFree(state);
  return SG_ERROR_NONE;
}

SGError ISGCullCreatePlane(const float plane[4], const double centre[3], std::uint32_t options, SGCullObject** out) {
  SGCullObject* co = NewObject();
  if (co == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  std::memcpy(co->coPlane, plane, sizeof(co->coPlane));
  std::memcpy(co->coCenter, centre, sizeof(co->coCenter));
  co->coFlags = SG_CULL_FLAG_LEAF;
  if ((options & SG_CULL_OPT_BEYOND) != 0) {
    co->coFlags |= SG_CULL_FLAG_BEYOND;
  }
  if ((options & SG_CULL_OPT_BEFORE) != 0) {
    co->coFlags |= SG_CULL_FLAG_BEFORE;
  }
  *out = co;
  return SG_ERROR_NONE;
}

SGError ISGCullCreateEdge(const float plane[4], const double p0[3], const double p1[3], std::uint32_t,
                          SGCullObject** out) {
  SGCullObject* co = NewObject();
  if (co == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  std::memcpy(co->coPlane, plane, sizeof(co->coPlane));
  std::memcpy(co->coPoints[0], p0, sizeof(co->coPoints[0]));
  std::memcpy(co->coPoints[1], p1, sizeof(co->coPoints[1]));
  co->coFlags = SG_CULL_FLAG_LEAF;
  *out = co;
  return SG_ERROR_NONE;
}

SGError ISGCullAddAND(SGCullObject* parent, SGCullObject* member) {
  if (parent->coNumANDs == parent->coNumANDsAlloc) {
    const std::uint32_t room = parent->coNumANDsAlloc == 0 ? 1 : parent->coNumANDsAlloc * 2;
    auto* grown = static_cast<SGCullObject**>(SGRealloc(parent->coANDs, sizeof(SGCullObject*) * room));
    if (grown == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    parent->coANDs = grown;
    parent->coNumANDsAlloc = room;
  }
  ISG_ASSERT(parent->coNumANDsAlloc, "cull");
  parent->coANDs[parent->coNumANDs++] = member;
  member->coParent = parent;
  member->coFlags = (member->coFlags & ~kLinkFlags) | SG_CULL_FLAG_LINK_AND;
  ++parent->coNumChildren;
  return SG_ERROR_NONE;
}

SGCullObject* ISGCullLastOR(SGCullObject* co) {
  SGCullObject* last = co;
  while (last->coORs != nullptr && IsBelow(last->coORs, co)) {
    last = last->coORs;
  }
  return last;
}

SGError ISGCullAddOR(SGCullObject* parent, SGCullObject* member) {
  SGCullObject* last = ISGCullLastOR(parent);
  SGCullObject* memberLast = ISGCullLastOR(member);
  ISG_ASSERT(!memberLast->coORs, "cull");
  memberLast->coORs = last->coORs;
  if (memberLast->coORs != nullptr) {
    memberLast->coORs->coORsBack = &memberLast->coORs;
  }
  last->coORs = member;
  member->coORsBack = &last->coORs;
  member->coParent = parent;
  member->coFlags = (member->coFlags & ~kLinkFlags) | SG_CULL_FLAG_LINK_OR;
  ++parent->coNumChildren;
  return SG_ERROR_NONE;
}

SGError SGCullLink(SGCullObject* a, SGCullObject* b, std::uint32_t type, SGCullObject** out) {
  SGCullObject* link = NewObject();
  if (link == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  if (type == SG_CULL_LINK_AND) {
    if (ISGCullAddAND(link, a) != SG_ERROR_NONE || ISGCullAddAND(link, b) != SG_ERROR_NONE) {
      // Nothing else points at the new node yet; its members are let go again.
      for (std::uint32_t i = 0; i < link->coNumANDs; ++i) {
        link->coANDs[i]->coParent = nullptr;
        link->coANDs[i]->coFlags &= ~kLinkFlags;
      }
      FreeObject(link);
      return SG_ERROR_NO_MEMORY;
    }
  } else {
    ISG_ASSERT(SG_CULL_LINK_OR == type, "cull");
    ISGCullAddOR(link, a);
    ISGCullAddOR(link, b);
  }
  *out = link;
  return SG_ERROR_NONE;
}

SGError SGCullCreatePolygon(const float plane[4], std::uint32_t numPts, const double (*pts)[3], std::uint32_t options,
                            SGCullObject** out) {
  ISG_ASSERT(numPts > 0, "cull");
  ISG_ASSERT((options & (SG_CULL_OPT_BEYOND | SG_CULL_OPT_BEFORE)) != (SG_CULL_OPT_BEYOND | SG_CULL_OPT_BEFORE),
             "cull");
  SGCullObject* root = nullptr;
  SGError err = SG_ERROR_NONE;
  // The plane object sits at the polygon's centre (its first point when there are
  // no edges). A root that turned into a link node has no centre of its own, and
  // wrapping the world sets a plane's offset from its centre.
  double centre[3] = {pts[0][0], pts[0][1], pts[0][2]};
  if (numPts >= 2) {
    err = ISGCullCreateEdge(plane, pts[0], pts[1], options, &root);
    double e0[3];
    Sub3(e0, pts[1], pts[0]);
    const std::uint32_t corners = numPts - 1 + ((options & SG_CULL_OPT_CLOSED) != 0 ? 1 : 0);
    for (std::uint32_t i = 1; i < corners && err == SG_ERROR_NONE; ++i) {
      const double* from = pts[i];
      const double* to = pts[(i + 1) % numPts];
      SGCullObject* edge = nullptr;
      err = ISGCullCreateEdge(plane, from, to, options, &edge);
      if (err != SG_ERROR_NONE) {
        break;
      }
      double e1[3];
      Sub3(e1, to, from);
      const double c[3] = {e1[1] * e0[2] - e1[2] * e0[1], e1[2] * e0[0] - e1[0] * e0[2], e1[0] * e0[1] - e1[1] * e0[0]};
      const double s = c[0] * plane[0] + c[1] * plane[1] + c[2] * plane[2];
      err = AddCorner(&root, edge, s);
      if (err != SG_ERROR_NONE) {
        FreeObject(edge);
        break;
      }
      std::memcpy(e0, e1, sizeof(e0));
    }
    if (err == SG_ERROR_NONE) {
      BoundingSphere(root, centre);
    }
  }
  if (err == SG_ERROR_NONE && (options & (SG_CULL_OPT_BEYOND | SG_CULL_OPT_BEFORE)) != 0) {
    SGCullObject* planeObject = nullptr;
    err = ISGCullCreatePlane(plane, centre, options, &planeObject);
    if (err == SG_ERROR_NONE && root != nullptr) {
      SGCullObject* link = nullptr;
      err = SGCullLink(planeObject, root, SG_CULL_LINK_AND, &link);
      if (err != SG_ERROR_NONE) {
        FreeObject(planeObject);
      } else {
        root = link;
      }
    } else if (err == SG_ERROR_NONE) {
      root = planeObject;
    }
  }
  if (err != SG_ERROR_NONE) {
    if (root != nullptr) {
      SGCullDestroy(root);
    }
    return err;
  }
  *out = root;
  return SG_ERROR_NONE;
}

SGCullObject* SGCullRemove(SGCullObject* tree, SGCullObject* co) {
  SGCullObject* parent = co->coParent;
  if (parent == nullptr) {
    return nullptr;
  }
  if ((co->coFlags & SG_CULL_FLAG_LINK_OR) != 0) {
    SGCullObject* last = ISGCullLastOR(co);
    ISG_ASSERT(*co->coORsBack == co, "cull");
    *co->coORsBack = last->coORs;
    if (last->coORs != nullptr) {
      last->coORs->coORsBack = co->coORsBack;
    }
    last->coORs = nullptr;
    co->coORsBack = nullptr;
  } else {
    ISG_ASSERT((co->coFlags & SG_CULL_FLAG_LINK_AND) != 0, "cull");
    std::uint32_t i = 0;
    while (i < parent->coNumANDs && parent->coANDs[i] != co) {
      ++i;
    }
    ISG_ASSERT(i < parent->coNumANDs, "cull");
    std::memmove(&parent->coANDs[i], &parent->coANDs[i + 1], sizeof(SGCullObject*) * (parent->coNumANDs - i - 1));
    --parent->coNumANDs;
  }
  ISG_ASSERT(parent->coNumChildren > 0, "cull");
  --parent->coNumChildren;
  co->coParent = nullptr;
  co->coFlags &= ~kLinkFlags;
  // A pure link node left with one member has nothing to link any more.
  if (parent->coNumChildren == 1 && (parent->coFlags & SG_CULL_FLAG_LEAF) == 0) {
    return Dissolve(tree, parent);
  }
  return tree;
}

SGError SGCullDestroy(SGCullObject* tree) {
  while (tree != nullptr) {
    SGCullObject* next = tree->coORs;
    for (std::uint32_t i = 0; i < tree->coNumANDs; ++i) {
      SGCullDestroy(tree->coANDs[i]);
    }
    FreeObject(tree);
    tree = next;
  }
  return SG_ERROR_NONE;
}

SGError SGCullDestroyOne(SGCullObject* co) {
  for (std::uint32_t i = 0; i < co->coNumANDs; ++i) {
    SGCullDestroy(co->coANDs[i]);
  }
  co->coNumANDs = 0;
  // The chain closes over the gap, and the object's OR members move up to its parent.
  for (SGCullObject* o = co->coORs; o != nullptr; o = o->coORs) {
    if (o->coParent == co) {
      o->coParent = co->coParent;
    }
  }
  if (co->coORsBack != nullptr) {
    *co->coORsBack = co->coORs;
  }
  if (co->coORs != nullptr) {
    co->coORs->coORsBack = co->coORsBack;
  }
  SGCullObject* parent = co->coParent;
  if (parent != nullptr && (co->coFlags & SG_CULL_FLAG_LINK_AND) != 0) {
    std::uint32_t i = 0;
    while (i < parent->coNumANDs && parent->coANDs[i] != co) {
      ++i;
    }
    if (i < parent->coNumANDs) {
      std::memmove(&parent->coANDs[i], &parent->coANDs[i + 1], sizeof(SGCullObject*) * (parent->coNumANDs - i - 1));
      --parent->coNumANDs;
      --parent->coNumChildren;
    }
  } else if (parent != nullptr) {
    --parent->coNumChildren;
  }
  FreeObject(co);
  return SG_ERROR_NONE;
}

SGError SGCullAttach(SGCullObject* co, SGInstance* inst) {
  SGCullObject* last = ISGCullLastOR(co);
  for (SGCullObject* o = co;; o = o->coORs) {
    o->coInst = inst;
    o->coXform = &inst->instXform;
    o->coFlags |= SG_CULL_FLAG_RELATIVE;
    if (o == last) {
      break;
    }
  }
  inst->instCullObject = co;
  return SG_ERROR_NONE;
}

SGError SGCullDetach(SGCullObject* co) {
  SGInstance* inst = co->coInst;
  ISG_ASSERT(inst, "cull");
  SGCullObject* last = ISGCullLastOR(co);
  for (SGCullObject* o = co;; o = o->coORs) {
    ISG_ASSERT(o->coInst == inst, "cull");
    o->coInst = nullptr;
    o->coXform = nullptr;
    o->coFlags &= ~SG_CULL_FLAG_RELATIVE;
    if (o == last) {
      break;
    }
  }
  inst->instCullObject = nullptr;
  return SG_ERROR_NONE;
}

SGError SGCullSetActive(SGCullObject* co, std::uint32_t on) {
  if (on != 0) {
    co->coFlags &= ~SG_CULL_FLAG_OFF;
  } else {
    co->coFlags |= SG_CULL_FLAG_OFF;
  }
  return SG_ERROR_NONE;
}

SGError SGCullSetFogDistance(SGCullObject* tree, float distance) {
  Walk(tree, [distance](SGCullObject* co) {
    co->coFog = 1.f / distance;
    co->coFlags |= SG_CULL_FLAG_FOG;
  });
  return SG_ERROR_NONE;
}

SGError ISGCullSetFogFlag(SGCullObject* tree) {
  Walk(tree, [](SGCullObject* co) {
    if (co->coFog >= 0.f) {
      co->coFlags |= SG_CULL_FLAG_FOG;
    }
  });
  return SG_ERROR_NONE;
}

SGError ISGCullClearFogFlag(SGCullObject* tree) {
  Walk(tree, [](SGCullObject* co) { co->coFlags &= ~SG_CULL_FLAG_FOG; });
  return SG_ERROR_NONE;
}
