// Instance update, classification and the painter's sort.

#include "sg/render/instsort.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/cull/cull.h"
#include "sg/instance/instance.h"
#include "sg/plume/plume.h"
#include "sg/query/terrainquery.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

// The per-frame bits a plume record starts each frame without (its box stays valid).
constexpr std::uint32_t kPlumeFrameMask = 0x1900EC;

double PeriodsUp(double x, double period) { return ISGWrapPeriodsUp(x, period); }
double PeriodsDown(double x, double period) { return ISGWrapPeriodsDown(x, period); }

// Wraps offset d (position minus eye on one axis) of radius r into the window
// ahead of a viewer looking along v on that axis; returns the periods added.
double WrapAxis(double d, double r, double period, float v) {
  if (!(period > 0.0)) {
    return 0.0;
  }
  double k = 0.0;
  if (v > 0.7f) {
    k += PeriodsUp(d + r, period);
    k -= PeriodsDown(d + k * period - r - period, period);
  } else if (v >= -0.7f) {
    k -= PeriodsDown(d - r - period / 2.0, period);
    k += PeriodsUp(d + k * period + r + period / 2.0, period);
  } else {
    k -= PeriodsDown(d - r, period);
    k += PeriodsUp(d + k * period + r + period, period);
  }
  return k;
}

bool IsModelKind(const SGInstance* inst) {
  return inst->instType == SG_INST_TYPE_MODEL_ONE || inst->instType == SG_INST_TYPE_MODEL_TWO ||
         inst->instType == SG_INST_TYPE_MODEL_COMPLEX;
}

float Reach(const SGInstance* inst) { return std::fmax(inst->instRadius, inst->instReach); }

void WrapInstance(SGRenderer* rend, SGScene* scene, SGInstance* inst) {
  const double r = Reach(inst);
  double shift[2] = {0.0, 0.0};
  for (int a = 0; a < 2; ++a) {
    const double d = inst->instPos[a] - rend->renEye[a];
    shift[a] = WrapAxis(d, r, scene->scnWorldExtent[a], rend->renViewDir[a]) * scene->scnWorldExtent[a];
  }
  if ((inst->instAttributes & SG_ATTR_NO_WRAP) == 0 && (shift[0] != 0.0 || shift[1] != 0.0)) {
    for (int a = 0; a < 2; ++a) {
      inst->instPos[a] += shift[a];
    }
    if (inst->instType == SG_INST_TYPE_MODEL_COMPLEX) {
      // The tree's bounds come through the instance's transform, placed in the world.
      for (int k = 0; k < 3; ++k) {
        inst->instXform.m[3][k] = static_cast<float>(inst->instPos[k]);
      }
      ISGInstanceComplexBounds(inst);
    } else if ((inst->instType == SG_INST_TYPE_MODEL_ONE || inst->instType == SG_INST_TYPE_MODEL_TWO) &&
               inst->instData != nullptr && (inst->instAttributes & SG_ATTR_PREPPED) == 0) {
      // A model instance without its block (a plume's scene record) has no corners to move.
      auto* mi = static_cast<SGModelInst*>(inst->instData);
      for (auto& corner : mi->miCorners) {
        corner[0] += static_cast<float>(shift[0]);
        corner[1] += static_cast<float>(shift[1]);
      }
    }
    inst->instFlags &= ~(SG_INST_BOX_VALID | SG_INST_XFORM_PENDING);
    shift[0] = shift[1] = 0.0;
  }
  for (int k = 0; k < 3; ++k) {
    inst->instXform.m[3][k] = static_cast<float>(inst->instPos[k] + (k < 2 ? shift[k] : 0.0) - rend->renEye[k]);
  }
  ISGInstanceApplyVelocity(inst);
}

void DestroyRemoved(SGInstance** head) {
  SGInstance* inst = *head;
  while (inst != nullptr) {
    SGInstance* next = inst->instScnNext;
    if ((inst->instAttributes & SG_ATTR_REMOVE) != 0) {
      ISGInstanceDestroy(inst);
    }
    inst = next;
  }
}

float Dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool Covered(const SGScene* scene) {
  return scene != nullptr && (scene->scnFlags & SG_SCN_FLAG_COVERED) != 0 && scene->scnSubScene != nullptr;
}

const SGScene* SuperOf(const SGScene* scene) {
  return scene != nullptr && (scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 ? scene->scnSuperScene : nullptr;
}

// Under a cloud cover a scene shows what lies below it and its sub-scene what
// lies above it; seen from above, a cover that hides the ground hides both.
bool CoverAllows(const SGRenderer* rend, const SGScene* scene, const SGInstance* inst) {
  constexpr std::uint32_t kHidesGround = 0x2 | 0x4;
  if (Covered(scene)) {
    const SGCloudCover& cov = scene->scnCover;
    if (inst->instPos[2] > cov.covHeight || (inst->instAttributes & SG_ATTR_HIDE_COVERED) != 0 ||
        (rend->renEye[2] > cov.covHeight && (cov.covFlags & kHidesGround) != 0)) {
      return false;
    }
  }
  if (const SGScene* super = SuperOf(scene); super != nullptr) {
    const SGCloudCover& cov = super->scnCover;
    if (inst->instPos[2] <= cov.covHeight || (inst->instAttributes & SG_ATTR_HIDE_SUB) != 0 ||
        (rend->renEye[2] < 0.0 && (cov.covFlags & kHidesGround) != 0)) {
      return false;
    }
  }
  return true;
}

// In a sub-scene, an instance just above the cover fades in with its height
// over it, measured from the cloud's own ground where that lies under it.
bool FadeUnderCover(SGScene* scene, SGInstance* inst) {
  const SGScene* super = SuperOf(scene);
  if (super == nullptr) {
    return true;
  }
  const SGCloudCover& cov = super->scnCover;
  double h = inst->instPos[2] - cov.covHeight;
  double ground = 0.0;
  if (h < scene->scnCacheCeiling && (scene->scnFlags & SG_SCN_FLAG_TERRAIN) != 0) {
    const double at[3] = {inst->instPos[0], inst->instPos[1], h};
    if (ISGTerrainHeight(scene, at, &ground) == SG_COLLIDE_TERRAIN) {
      h -= ground;
    }
  }
  if (h < 0.0) {
    return false;
  }
  if (h < cov.covThreshold) {
    inst->instFade = static_cast<float>(h / cov.covThreshold);
    inst->instFlags |= SG_INST_FADING;
  }
  return true;
}

// The sort's view of the frame: axis, signs and eye.
struct SortView {
  int axis;
  int sign[2];
  int lateral;
};

SortView ViewSigns(const float* dir) {
  const float x = dir[0];
  const float y = dir[1];
  SortView v{};
  if (x > 0.f && y > 0.f) {
    v = {y >= x ? 1 : 0, {-1, -1}, 0};
  } else if (x <= 0.f && y > 0.f) {
    v = {y >= -x ? 1 : 0, {1, -1}, 0};
  } else if (x <= 0.f && y <= 0.f) {
    v = {-y >= -x ? 1 : 0, {1, 1}, 0};
  } else {
    v = {-y >= x ? 1 : 0, {-1, 1}, 0};
  }
  v.lateral = 1 - v.axis;
  return v;
}

void BoxOffsets(SGInstance* inst, const float box[6], const float eye[3]) {
  for (int k = 0; k < 3; ++k) {
    const float lo = box[k];
    const float hi = box[k + 3];
    const float e = eye[k];
    if (lo > e) {
      inst->instSortNear[k] = lo - e;
      inst->instSortFar[k] = hi - e;
    } else if (hi < e) {
      inst->instSortNear[k] = e - hi;
      inst->instSortFar[k] = e - lo;
    } else {
      inst->instSortNear[k] = 0.f;
      inst->instSortFar[k] = std::fmax(hi - e, e - lo);
    }
  }
  if ((inst->instAttributes & SG_ATTR_FLAT_SORT) != 0) {
    for (int k = 0; k < 3; ++k) {
      inst->instSortFar[k] = inst->instSortNear[k];
    }
  }
}

std::uint32_t BucketOf(float offset, bool reachesEye, float yon) {
  if (reachesEye || offset <= 0.f) {
    return 0;
  }
  const float index = offset / yon * 255.f;
  return index >= 255.f || !(index == index) ? SG_SORT_BUCKETS - 1 : static_cast<std::uint32_t>(index);
}

bool ReachesEye(const float box[6], const SortView& v, const float eye[3]) {
  const int a = v.axis;
  return v.sign[a] > 0 ? box[a + 3] > eye[a] : box[a] < eye[a];
}

// The square of an instance's distance from the eye, for the last of the
// sort's tests.
double EyeDistance2(const SGRenderer* rend, const SGInstance* inst) {
  double d = 0.0;
  for (int k = 0; k < 3; ++k) {
    const double e = inst->instPos[k] - rend->renEye[k];
    d += e * e;
  }
  return d;
}

// Whether a must be drawn after b.
[[gnu::always_inline]] inline bool InFrontOf(const SGRenderer* rend, float priorityA, const float* nearA,
                                             const float* farA, const SGInstance* instA, float priorityB,
                                             const float* nearB, const float* farB, const SGInstance* instB) {
  if (priorityA != priorityB) {
    return priorityA > priorityB;
  }
  for (int k = 0; k < 3; ++k) {
    if (0.99f * farB[k] <= nearA[k]) {
      return false;
    }
  }
  for (int k = 0; k < 3; ++k) {
    if (farA[k] < nearB[k]) {
      return true;
    }
  }
  return EyeDistance2(rend, instA) < EyeDistance2(rend, instB);
}

bool InFrontOf(const SGRenderer* rend, const SGInstance* a, const SGInstance* b) {
  return InFrontOf(rend, a->instSortPriority, a->instSortNear, a->instSortFar, a, b->instSortPriority, b->instSortNear,
                   b->instSortFar, b);
}

// The same on the records, the sort's inner step: each axis's test at once.
//
// In the asteroid view's frame of 200 units (the view's own benchmark, its
// frame as a ratio to a full-viewport fill, alternating pinned runs) the
// sort's pairs of instances were a third of the frame: the comparisons on
// the instances themselves, 2.47 to 2.53; their sort fields and links moved
// side by side in the instance, 2.28 to 2.34; these records, 1.70 to 1.75.
// Measured and not kept: the box tests of the records' comparison written
// without a branch each, all six compares combined, 3.05 to 3.12 against
// 2.28 to 2.34 (which axis decides is predicted well enough, and the
// combined form does every compare); the second pass visiting only the
// buckets that held instances after the first, rather than every bucket
// from the farthest an instance reaches down to its own, the 200-rock
// frame's update and sort 0.0129 to 0.0144 ms against 0.0145 to 0.0149 and
// the one-bucket sort of 200 no faster (0.36 to 0.43 fills against 0.35 to
// 0.36).
[[gnu::always_inline]] inline bool InFrontOf(const SGRenderer* rend, const ISGSortRec* a, const ISGSortRec* b) {
#if defined(__SSE2__)
  if (a->priority != b->priority) {
    return a->priority > b->priority;
  }
  // Lane 3 of each load is the next field's, masked off.
  if ((_mm_movemask_ps(_mm_cmple_ps(_mm_loadu_ps(b->scaledFar), _mm_loadu_ps(a->near))) & 7) != 0) {
    return false;
  }
  if ((_mm_movemask_ps(_mm_cmplt_ps(_mm_loadu_ps(a->far), _mm_loadu_ps(b->near))) & 7) != 0) {
    return true;
  }
  return EyeDistance2(rend, a->inst) < EyeDistance2(rend, b->inst);
#else
  return InFrontOf(rend, a->priority, a->near, a->far, a->inst, b->priority, b->near, b->far, b->inst);
#endif
}

bool Lateral(const ISGSortRec* a, const ISGSortRec* b, int lateral) {
  return a->priority < b->priority || b->scaledFar[lateral] <= a->near[lateral];
}

void Unlink(ISGSortRec* rec) {
  *rec->back = rec->next;
  if (rec->next != nullptr) {
    rec->next->back = rec->back;
  }
  rec->next = nullptr;
  rec->back = nullptr;
}

void LinkAt(ISGSortRec** link, ISGSortRec* rec) {
  rec->next = *link;
  rec->back = link;
  if (*link != nullptr) {
    (*link)->back = &rec->next;
  }
  *link = rec;
}

struct Sorter {
  SGRenderer* rend;
  SortView view;

  bool InFront(const ISGSortRec* a, const ISGSortRec* b) const { return InFrontOf(rend, a, b); }

  void Insert(ISGSortRec** slot, ISGSortRec* inst) const {
    ISGSortRec* head = *slot;
    ISG_ASSERT(inst != head, "instsort.c");
    const int lat = view.lateral;
    if (InFront(head, inst)) {
      LinkAt(slot, inst);
      return;
    }
    if (InFront(inst, head) || inst->near[lat] < head->near[lat]) {
      ISGSortRec* c = head;
      while (c->next != nullptr) {
        ISGSortRec* n = c->next;
        if (InFront(inst, n)) {
          c = n;
        } else if (InFront(n, inst)) {
          break;
        } else if (inst->near[lat] <= c->near[lat]) {
          c = n;
        } else {
          break;
        }
      }
      LinkAt(&c->next, inst);
      return;
    }
    LinkAt(slot, inst);
  }

  // Moves every instance of the buckets from check down to b (in b those
  // before rec, `prefix`) that must be drawn after rec to just after it.
  // Apart from the loop that calls it, so that its walk keeps its registers.
  [[gnu::noinline]] void Revisit(ISGSortRec* const* heads, std::uint32_t check, std::uint32_t b, ISGSortRec* rec,
                                 ISGSortPrefix& prefix) const {
    for (std::int64_t c = check; c > b; --c) {
      for (ISGSortRec* x = heads[c]; x != nullptr;) {
        ISGSortRec* next = x->next;
        if (InFront(x, rec)) {
          Unlink(x);
          Merge(&rec->next, x);
        }
        x = next;
      }
    }
    for (std::uint32_t i = 0; i < prefix.count; i += 4) {
      // Those that may be in front: of a higher priority, or of the same
      // with no axis on which rec's box lies wholly nearer (InFrontOf's
      // first tests, which take most of them out).
      unsigned mask = MayBeInFront(prefix, i, rec);
      if (prefix.count - i < 4) {
        mask &= (1u << (prefix.count - i)) - 1;
      }
      for (; mask != 0; mask &= mask - 1) {
        const std::uint32_t at = i + static_cast<std::uint32_t>(__builtin_ctz(mask));
        ISGSortRec* x = prefix.recs[at];
        if (InFront(x, rec)) {
          prefix.priority[at] = __builtin_nanf("");
          Unlink(x);
          Merge(&rec->next, x);
        }
      }
    }
  }

  // Bit j set for prefix entry i + j that may be in front of rec.
  static unsigned MayBeInFront(const ISGSortPrefix& prefix, std::uint32_t i, const ISGSortRec* rec) {
#if defined(__SSE2__)
    const __m128 priority = _mm_loadu_ps(prefix.priority + i);
    const __m128 own = _mm_set1_ps(rec->priority);
    __m128 near = _mm_cmpnle_ps(_mm_set1_ps(rec->scaledFar[0]), _mm_loadu_ps(prefix.near[0] + i));
    near = _mm_and_ps(near, _mm_cmpnle_ps(_mm_set1_ps(rec->scaledFar[1]), _mm_loadu_ps(prefix.near[1] + i)));
    near = _mm_and_ps(near, _mm_cmpnle_ps(_mm_set1_ps(rec->scaledFar[2]), _mm_loadu_ps(prefix.near[2] + i)));
    const __m128 may = _mm_or_ps(_mm_cmpgt_ps(priority, own), _mm_and_ps(_mm_cmpeq_ps(priority, own), near));
    return static_cast<unsigned>(_mm_movemask_ps(may));
#else
    unsigned mask = 0;
    for (std::uint32_t j = 0; j < 4 && i + j < prefix.count; ++j) {
      const float p = prefix.priority[i + j];
      bool near = true;
      for (int k = 0; k < 3; ++k) {
        near = near && !(rec->scaledFar[k] <= prefix.near[k][i + j]);
      }
      mask |= (p > rec->priority || (p == rec->priority && near)) ? 1u << j : 0u;
    }
    return mask;
#endif
  }

  // Puts inst into the list at *slot before the first element that must follow
  // it, then moves every later element it must follow to just before it.
  void Merge(ISGSortRec** slot, ISGSortRec* inst) const {
    ISGSortRec** link = slot;
    while (*link != nullptr && !InFront(*link, inst) && !Lateral(inst, *link, view.lateral)) {
      link = &(*link)->next;
    }
    LinkAt(link, inst);
    ISGSortRec* c = inst->next;
    while (c != nullptr) {
      ISGSortRec* next = c->next;
      if (InFront(inst, c)) {
        Unlink(c);
        LinkAt(inst->back, c);
      }
      c = next;
    }
  }
};

// Room in the scene's records and key columns for `count` instances.
SGError ReserveSortRecs(SGScene* scene, std::uint32_t count) {
  if (count <= scene->scnSortRecsLen) {
    return SG_ERROR_NONE;
  }
  // Grown to twice its room at least, so that a scene filling up grows it
  // seldom, and to whole fours, so that the columns are read four at a time.
  const std::uint32_t size = ((count > 2 * scene->scnSortRecsLen ? count : 2 * scene->scnSortRecsLen) + 3) & ~3u;
  auto* recs = static_cast<ISGSortRec*>(SGRealloc(scene->scnSortRecs, sizeof(ISGSortRec) * size));
  if (recs == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  scene->scnSortRecs = recs;
  constexpr std::size_t kColumnBytes = 4 * sizeof(float) + sizeof(ISGSortRec*);
  auto* keys = static_cast<float*>(SGRealloc(scene->scnSortKeys, kColumnBytes * size));
  if (keys == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  // The last four of a column are read past the instances in it: all defined.
  std::memset(keys, 0, kColumnBytes * size);
  scene->scnSortKeys = keys;
  scene->scnSortRecsLen = size;
  return SG_ERROR_NONE;
}

ISGSortPrefix PrefixColumns(const SGScene* scene) {
  float* keys = scene->scnSortKeys;
  const std::uint32_t size = scene->scnSortRecsLen;
  return ISGSortPrefix{
      keys, {keys + size, keys + 2 * size, keys + 3 * size}, reinterpret_cast<ISGSortRec**>(keys + 4 * size), 0};
}

// Adds rec at the end of the columns, which hold room for every record. An
// instance passed, taken out and passed again holds two places, so a full
// set of columns first drops the places taken out (and any priority that is
// not a number, which no comparison lets through either); fewer instances
// than records lie before rec.
void Append(ISGSortPrefix& prefix, std::uint32_t room, ISGSortRec* rec) {
  if (prefix.count == room) {
    std::uint32_t kept = 0;
    for (std::uint32_t i = 0; i < prefix.count; ++i) {
      if (prefix.priority[i] == prefix.priority[i]) {
        prefix.priority[kept] = prefix.priority[i];
        for (int k = 0; k < 3; ++k) {
          prefix.near[k][kept] = prefix.near[k][i];
        }
        prefix.recs[kept++] = prefix.recs[i];
      }
    }
    prefix.count = kept;
  }
  const std::uint32_t i = prefix.count++;
  prefix.priority[i] = rec->priority;
  for (int k = 0; k < 3; ++k) {
    prefix.near[k][i] = rec->near[k];
  }
  prefix.recs[i] = rec;
}

// The sorted records' order written into the instances' bucket lists.
void LinkInstances(SGInstance** buckets, ISGSortRec* const* heads, std::uint32_t farthest) {
  for (std::uint32_t b = 0; b <= farthest; ++b) {
    SGInstance** link = &buckets[b];
    for (const ISGSortRec* rec = heads[b]; rec != nullptr; rec = rec->next) {
      SGInstance* inst = rec->inst;
      *link = inst;
      inst->instBack = link;
      inst->instNext = nullptr;
      link = &inst->instNext;
    }
  }
}

}  // namespace

SGScene* ISGSceneListOwner(SGScene* scene) {
  if (scene != nullptr && (scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnSuperScene != nullptr) {
    return scene->scnSuperScene;
  }
  return scene;
}

float ISGSceneEyeLift(const SGScene* scene) {
  if (scene != nullptr && (scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnSuperScene != nullptr) {
    return scene->scnSuperScene->scnCover.covHeight;
  }
  return 0.f;
}

double ISGWrapPeriodsUp(double x, double period) {
  if (x >= 0.0 || !(period > 0.0) || !std::isfinite(x)) {
    return 0.0;
  }
  double k = std::ceil(-x / period);
  // So many periods away that one period more or less is lost in the rounding
  // of k: the estimate stands, as the corrections below would never end.
  if (k >= 4503599627370496.0) {
    return k;
  }
  while (x + k * period < 0.0) {
    k += 1.0;
  }
  while (k > 0.0 && x + (k - 1.0) * period >= 0.0) {
    k -= 1.0;
  }
  return k;
}

double ISGWrapPeriodsDown(double x, double period) { return ISGWrapPeriodsUp(-x, period); }

void ISGInstanceEyeRelative(SGRenderer* rend, SGScene*, SGInstance* inst) {
  for (int k = 0; k < 3; ++k) {
    inst->instXform.m[3][k] = static_cast<float>(inst->instPos[k] - rend->renEye[k]);
  }
}

SGError ISGSceneUpdateInstances(SGRenderer* rend, SGScene* scene) {
  if (scene->scnInstances == nullptr) {
    return SG_ERROR_NONE;
  }
  DestroyRemoved(&scene->scnInstances);
  for (SGInstance* inst = scene->scnInstances; inst != nullptr; inst = inst->instScnNext) {
    inst->instNext = nullptr;
    inst->instFlags &= ~SG_INST_FRAME_MASK;
    inst->instFade = 1.f;
    if ((inst->instAttributes & SG_ATTR_NO_WRAP) != 0) {
      ISGInstanceEyeRelative(rend, scene, inst);
    } else {
      WrapInstance(rend, scene, inst);
    }
    if (inst->instPlume != nullptr) {
      ISGPlumeDraw(rend, scene, inst->instPlume);
    }
  }
  DestroyRemoved(&scene->scnLights);
  for (SGInstance* light = scene->scnLights; light != nullptr; light = light->instScnNext) {
    const auto* data = static_cast<const SGLightData*>(light->instData);
    if ((light->instAttributes & SG_ATTR_HIDDEN) != 0 || data == nullptr || data->ltKind != SG_LIGHT_POSITIONED) {
      continue;
    }
    for (int a = 0; a < 2; ++a) {
      const double period = scene->scnWorldExtent[a];
      double d = light->instPos[a] - rend->renEye[a];
      double k = 0.0;
      if (period > 0.0) {
        k = -PeriodsDown(d - period / 2.0 + period * 1e-9, period);
        k += PeriodsUp(d + k * period + period / 2.0, period);
      }
      d += k * period;
      light->instXform.m[3][a] = static_cast<float>(d);
      if ((light->instAttributes & SG_ATTR_NO_WRAP) == 0) {
        light->instPos[a] += k * period;
      }
    }
    light->instXform.m[3][2] = static_cast<float>(light->instPos[2] - rend->renEye[2]);
  }
  for (SGInstance* light = scene->scnLights; light != nullptr; light = light->instScnNext) {
    if (light->instPlume != nullptr) {
      ISGPlumeDraw(rend, scene, light->instPlume);
    }
  }
  return SG_ERROR_NONE;
}

std::uint32_t ISGInstanceClassify(SGRenderer* rend, SGScene* scene, SGInstance* inst) {
  inst->instFlags &= ~SG_INST_CLASS_MASK;
  if ((inst->instAttributes & SG_ATTR_HIDDEN) != 0) {
    inst->instFlags |= SG_INST_CULLED;
    return 0;
  }
  // A sub-instance has no scene: its place comes through the transform stack.
  const bool detached = inst->instScene == nullptr;
  float savedRow[3] = {};
  double savedPos[3] = {};
  if (detached) {
    SGMatrix* top = nullptr;
    ISGRendererGetModelXform(rend, &top);
    for (int k = 0; k < 3; ++k) {
      savedRow[k] = inst->instXform.m[3][k];
      savedPos[k] = inst->instPos[k];
    }
    float rel[3];
    for (int k = 0; k < 3; ++k) {
      rel[k] = static_cast<float>(savedPos[0]) * top->m[0][k] + static_cast<float>(savedPos[1]) * top->m[1][k] +
               static_cast<float>(savedPos[2]) * top->m[2][k] + top->m[3][k];
    }
    for (int k = 0; k < 3; ++k) {
      inst->instXform.m[3][k] = rel[k];
      inst->instPos[k] = rel[k] + rend->renEye[k];
      inst->instSavedPos[k] = savedPos[k];
    }
    inst->instPos[2] += ISGSceneEyeLift(scene);
  }
  const bool visibleHere = CoverAllows(rend, scene, inst);
  const float* pos = inst->instXform.m[3];
  const float radius = Reach(inst);
  if ((rend->renFlags & SG_REND_FLAG_FOG) != 0 && (inst->instAttributes & SG_ATTR_NO_FOG) == 0) {
    if ((rend->renFlags & SG_REND_FLAG_FOG_OVERRIDE) != 0 ||
        Dot3(pos, rend->renViewDir) + radius > rend->renViewData->viYon - rend->renFogFar) {
      inst->instFlags |= SG_INST_FOGGED;
    }
  }
  bool visible = visibleHere;
  if (visible && inst->instDropShadow == nullptr) {
    if (scene != nullptr && scene->scnCullRoot != nullptr) {
      ISGCullStateClear(inst->instCullState);
      visible = ISGCullTestInstance(scene->scnCullRoot, inst) != 3;
    }
    if (visible) {
      visible = FadeUnderCover(scene, inst);
    }
    const float(*planes)[4] = rend->renClipPlanes;
    if (visible && (inst->instAttributes & SG_ATTR_NO_NEAR) == 0) {
      const float d0 = Dot3(pos, planes[0]) - planes[0][3];
      if (scene != nullptr && (scene->scnFlags & SG_SCN_FLAG_CURVED) != 0) {
        if (d0 > 0.f) {
          inst->instXform.m[3][2] -= 0.1f * d0 * d0;
        }
      } else if (d0 >= radius) {
        visible = false;
      } else if (d0 <= -radius) {
        inst->instFlags |= SG_INST_INSIDE_NEAR;
      }
    }
    if (visible) {
      static constexpr int kPlanes[5] = {0, 2, 3, 4, 5};
      for (const int p : kPlanes) {
        const float d = Dot3(pos, planes[p]) - planes[p][3];
        if (d > radius) {
          visible = false;
          break;
        }
        if (d >= -radius) {
          inst->instFlags |= SG_INST_NEEDS_CLIP;
        }
      }
    }
  }
  if (detached) {
    for (int k = 0; k < 3; ++k) {
      inst->instXform.m[3][k] = savedRow[k];
      inst->instPos[k] = savedPos[k];
    }
  }
  if (visible) {
    inst->instFlags &= ~SG_INST_CULLED;
  } else {
    inst->instFlags |= SG_INST_CULLED;
  }
  return visible ? 1 : 0;
}

bool ISGInstSortInFront(const SGRenderer* rend, const SGInstance* a, const SGInstance* b) {
  return InFrontOf(rend, a, b);
}

SGError ISGSceneBuildInstVector(SGRenderer* rend, SGScene* scene) {
  const Sorter sorter{rend, ViewSigns(rend->renViewDir)};
  const SortView& view = sorter.view;
  for (int k = 0; k < 3; ++k) {
    rend->renSortEye[k] = static_cast<float>(rend->renEye[k]);
  }
  rend->renSortEye[2] += ISGSceneEyeLift(scene);
  SGScene* owner = ISGSceneListOwner(scene);
  if (scene->scnInstVector == nullptr) {
    scene->scnInstVector = static_cast<SGInstance**>(SGCalloc(SG_SORT_BUCKETS, sizeof(SGInstance*)));
    if (scene->scnInstVector == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    scene->scnInstVectorLen = SG_SORT_BUCKETS;
  }
  std::uint32_t listed = 0;
  for (const SGInstance* inst = owner->scnInstances; inst != nullptr; inst = inst->instScnNext) {
    ++listed;
  }
  for (const SGInstance* inst = owner->scnPlumes; inst != nullptr; inst = inst->instScnNext) {
    ++listed;
  }
  if (ReserveSortRecs(scene, listed) != SG_ERROR_NONE) {
    return SG_ERROR_NO_MEMORY;
  }
  SGInstance** buckets = scene->scnInstVector;
  ISGSortRec* heads[SG_SORT_BUCKETS];
  for (std::uint32_t b = 0; b < SG_SORT_BUCKETS; ++b) {
    buckets[b] = nullptr;
    heads[b] = nullptr;
  }
  ISGSortRec* recs = scene->scnSortRecs;
  std::uint32_t placed = 0;
  const float yon = rend->renViewData->viYon;
  std::uint32_t farthest = 0;
  auto place = [&](SGInstance* inst) {
    float box[6];
    if (SGInstanceGetBounds(inst, box) != SG_ERROR_NONE) {
      return;
    }
    BoxOffsets(inst, box, rend->renSortEye);
    const std::uint32_t b = BucketOf(inst->instSortNear[view.axis], ReachesEye(box, view, rend->renSortEye), yon);
    ISGSortRec* rec = &recs[placed++];
    rec->priority = inst->instSortPriority;
    for (int k = 0; k < 3; ++k) {
      rec->near[k] = inst->instSortNear[k];
      rec->far[k] = inst->instSortFar[k];
      rec->scaledFar[k] = 0.99f * inst->instSortFar[k];
    }
    rec->inst = inst;
    rec->next = nullptr;
    if (heads[b] == nullptr) {
      LinkAt(&heads[b], rec);
    } else {
      sorter.Insert(&heads[b], rec);
    }
    farthest = b > farthest ? b : farthest;
  };
  for (SGInstance* inst = owner->scnInstances; inst != nullptr; inst = inst->instScnNext) {
    if (!IsModelKind(inst) || (inst->instAttributes & SG_ATTR_HIDDEN) != 0 || inst->instData == nullptr ||
        ISGInstanceClassify(rend, scene, inst) == 0) {
      continue;
    }
    place(inst);
  }
  // The plumes' segments and caps of this frame sort among the instances by their own boxes.
  for (SGInstance* inst = owner->scnPlumes; inst != nullptr; inst = inst->instScnNext) {
    inst->instFlags &= ~kPlumeFrameMask;
    inst->instFade = 1.f;
    if (ISGInstanceClassify(rend, scene, inst) != 0) {
      place(inst);
    }
  }
  ISG_ASSERT(farthest < scene->scnInstVectorLen, "instsort.c");
  scene->scnSortFarthest = &buckets[farthest];
  // Second pass: an instance that reaches into farther buckets draws after
  // whatever there must be drawn before it.
  ISGSortPrefix prefix = PrefixColumns(scene);
  for (std::uint32_t b = farthest + 1; b-- > 0;) {
    prefix.count = 0;
    for (ISGSortRec* rec = heads[b]; rec != nullptr; rec = rec->next) {
      SGInstance* inst = rec->inst;
      if ((inst->instFlags & SG_INST_REVISITED) != 0) {
        Append(prefix, scene->scnSortRecsLen, rec);
        continue;
      }
      float box[6];
      SGInstanceGetBounds(inst, box);
      std::uint32_t check = BucketOf(rec->far[view.axis], ReachesEye(box, view, rend->renSortEye), yon);
      check = check < b ? b : check;
      ISG_ASSERT(check >= b, "instsort.c");
      while (check > b && heads[check] == nullptr) {
        --check;
      }
      sorter.Revisit(heads, check, b, rec, prefix);
      inst->instFlags |= SG_INST_REVISITED;
      Append(prefix, scene->scnSortRecsLen, rec);
    }
  }
  LinkInstances(buckets, heads, farthest);
  return SG_ERROR_NONE;
}

SGError ISGSceneSortAndDraw(SGRenderer* rend, SGScene* scene) {
  SGError err = ISGSceneBuildInstVector(rend, scene);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  SGInstance** buckets = scene->scnInstVector;
  for (std::uint32_t b = static_cast<std::uint32_t>(scene->scnSortFarthest - buckets) + 1; b-- > 0;) {
    while (buckets[b] != nullptr) {
      SGInstance* inst = buckets[b];
      buckets[b] = inst->instNext;
      err = ISGInstanceDraw(rend, scene, inst);
      if (err != SG_ERROR_NONE) {
        return err;
      }
    }
  }
  return SG_ERROR_NONE;
}
