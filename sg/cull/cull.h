#pragma once
// Cull objects: regions of space where nothing is drawn. A plane object cuts
// away what lies beyond (or before) its plane as seen from the eye; an edge
// object is the side plane through the eye and one edge of a polygon. Objects
// are linked into trees: an AND link cuts away only where every member does, an
// OR link wherever any member does. Each frame a tree is prepared for the eye,
// then things are classified against it into 2-bit codes:
//   0 entirely kept, 1 straddles (parts may be cut away), 3 entirely cut away.
// A classification ORs each object's code into the classified thing's
// SGCullState, so a state holds the codes of at most 256 objects.
//
// All walks visit an object, then its AND members in order, then the next
// object of its OR chain. The OR members of an object form a contiguous run of
// that chain directly after it.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGInstance;
struct SGMatrix;

constexpr std::uint32_t SG_CULL_FLAG_BEYOND = 0x8;
constexpr std::uint32_t SG_CULL_FLAG_BEFORE = 0x10;
constexpr std::uint32_t SG_CULL_FLAG_RELATIVE = 0x20;
constexpr std::uint32_t SG_CULL_FLAG_LEAF = 0x40;
constexpr std::uint32_t SG_CULL_FLAG_OFF = 0x80;
constexpr std::uint32_t SG_CULL_FLAG_FOG = 0x100;
constexpr std::uint32_t SG_CULL_FLAG_LINK_AND = 0x200;
constexpr std::uint32_t SG_CULL_FLAG_LINK_OR = 0x400;
constexpr std::uint32_t SG_CULL_FLAG_SKIP = 0x10000;
constexpr std::uint32_t SG_CULL_FLAG_PLANE_READY = 0x20000;
constexpr std::uint32_t SG_CULL_FLAG_GROUP_READY = 0x40000;
constexpr std::uint32_t SG_CULL_FRAME_FLAGS = 0xFFFF0000;

constexpr std::uint32_t SG_CULL_LINK_AND = 0;
constexpr std::uint32_t SG_CULL_LINK_OR = 1;

constexpr std::uint32_t SG_CULL_OPT_BEYOND = 1;
constexpr std::uint32_t SG_CULL_OPT_BEFORE = 2;
constexpr std::uint32_t SG_CULL_OPT_CLOSED = 8;

constexpr std::uint32_t SG_CULL_MAX_OBJECTS = 256;

struct SGCullState {
  std::uint32_t csWords[16];
};

struct SGCullObject {
  std::uint32_t coFlags;
  float coEyePlane[4];  // normal and offset relative to the eye: value = normal . p - offset
  std::uint32_t coIndex;
  std::uint32_t coNumChildren;
  SGCullObject* coParent;
  SGCullObject* coORs;
  SGCullObject** coORsBack;
  SGCullObject** coANDs;
  std::uint32_t coNumANDs;
  std::uint32_t coNumANDsAlloc;
  double coPoints[2][3];
  float coPlane[4];  // normal and offset: value = normal . p - offset
  const SGMatrix* coXform;
  SGInstance* coInst;
  float coFog;  // 1 / fog distance
  double coCenter[3];
  float coRadius;
};

// The code of cull object `index` in a state.
inline std::uint32_t SGCullStateCode(const SGCullState* state, std::uint32_t index) {
  return (state->csWords[index >> 4] >> (2 * (index & 15))) & 3;
}

SGError ISGCullStateCreate(SGCullState** out);
SGError ISGCullStateClear(SGCullState* state);
SGError ISGCullStateFree(SGCullState* state);

// The tree of a polygon lying in `plane`, from `numPts` points of 3 doubles; with
// fewer than 2 points and no option the tree is empty (null). 0 or 1 (nothing
// built stays allocated).
SGError SGCullCreatePolygon(const float plane[4], std::uint32_t numPts, const double (*pts)[3], std::uint32_t options,
                            SGCullObject** out);
SGError ISGCullCreatePlane(const float plane[4], const double centre[3], std::uint32_t options, SGCullObject** out);
SGError ISGCullCreateEdge(const float plane[4], const double p0[3], const double p1[3], std::uint32_t options,
                          SGCullObject** out);
SGError SGCullLink(SGCullObject* a, SGCullObject* b, std::uint32_t type, SGCullObject** out);
SGError ISGCullAddAND(SGCullObject* parent, SGCullObject* member);
SGError ISGCullAddOR(SGCullObject* parent, SGCullObject* member);
SGCullObject* ISGCullLastOR(SGCullObject* co);
// Unlinks `co` (with its OR run) from its parent; a link node left with one
// member is dissolved. Returns the tree's new root (null when `co` was the root).
SGCullObject* SGCullRemove(SGCullObject* tree, SGCullObject* co);
// Frees the object, its AND members and its whole OR chain.
SGError SGCullDestroy(SGCullObject* tree);
// Frees the object and its AND members; its OR chain closes over the gap.
SGError SGCullDestroyOne(SGCullObject* co);
SGError SGCullAttach(SGCullObject* co, SGInstance* inst);
SGError SGCullDetach(SGCullObject* co);
SGError SGCullSetActive(SGCullObject* co, std::uint32_t on);
SGError SGCullSetFogDistance(SGCullObject* tree, float distance);
SGError ISGCullSetFogFlag(SGCullObject* tree);
SGError ISGCullClearFogFlag(SGCullObject* tree);

// Prepares the tree for the eye; returns the next free index.
std::uint32_t ISGCullPrepare(SGCullObject* tree, const double eye[3], std::uint32_t reserved, std::uint32_t firstIndex);
// The same for a subtree given in the frame `xform` (null: the objects' own).
std::uint32_t ISGCullPrepareRelative(SGCullObject* co, const double eye[3], const SGMatrix* xform,
                                     std::uint32_t firstIndex);
// Classifies an instance by its eye-relative position (translation row) and
// reach; stores per-object codes in its cull state and may lower its fade.
std::uint32_t ISGCullTestInstance(SGCullObject* tree, SGInstance* inst);
// Classifies a box by its eight eye-relative corners (the page-box and strip
// classifications build these); with `fog`, fog objects treat a positive value
// below 1 as straddling. Codes are stored in `state` when it is given.
std::uint32_t ISGCullClassifyBox(SGCullObject* tree, const float corners[8][3], bool fog, SGCullState* state);
// Moves the world-fixed objects to the copy of a repeating world nearest the eye.
void ISGCullWrapToEye(SGCullObject* tree, const double eye[3], const float viewDir[2], const float worldSize[2],
                      std::uint32_t reserved);
