#pragma once
// Instances: the placed objects of the library (cameras, model instances,
// complex models and lights). An instance holds a double-precision position,
// an orientation (three angles or two vectors) and the transform built from it
// at each update, bounds derived from its model, attribute bits, the links of
// its scene's lists and one pointer-sized word for the caller.

#include <cstdint>

#include "sg/core/matrix.h"
#include "sg/core/sgerror.h"

struct SGContext;
struct SGCullObject;
struct SGCullState;
struct SGDropShadow;
struct SGMaterial;
struct SGModel;
struct SGPlume;
struct SGScene;

// Instance types (instType).
constexpr std::uint32_t SG_INST_TYPE_CAMERA = 0;
constexpr std::uint32_t SG_INST_TYPE_MODEL_ONE = 1;
constexpr std::uint32_t SG_INST_TYPE_MODEL_TWO = 2;
constexpr std::uint32_t SG_INST_TYPE_MODEL_COMPLEX = 4;
constexpr std::uint32_t SG_INST_TYPE_MODEL = 7;
constexpr std::uint32_t SG_INST_TYPE_LIGHT = 8;

// State bits (instFlags).
constexpr std::uint32_t SG_INST_LOCKED = 0x1;
// Per-frame bits written by the renderer's update, classification and drawing.
constexpr std::uint32_t SG_INST_CULLED = 0x4;
constexpr std::uint32_t SG_INST_FOGGED = 0x8;
constexpr std::uint32_t SG_INST_LIT = 0x10;          // some light reached the drawn part
constexpr std::uint32_t SG_INST_INSIDE_NEAR = 0x40;  // wholly on the inner side of the near plane
constexpr std::uint32_t SG_INST_NEEDS_CLIP = 0x80;   // crosses a clip plane
constexpr std::uint32_t SG_INST_REVISITED = 0x10000;
constexpr std::uint32_t SG_INST_GROUND_CLIP = 0x20000;  // clipped by the ground plane (plane 6)
constexpr std::uint32_t SG_INST_CLASS_MASK = 0xFC;
constexpr std::uint32_t SG_INST_FRAME_MASK = 0x1100FC;
constexpr std::uint32_t SG_INST_MODE_ANGLES = 0x100;
constexpr std::uint32_t SG_INST_MODE_FWD_UP = 0x200;
constexpr std::uint32_t SG_INST_MODE_UP_FWD = 0x400;
constexpr std::uint32_t SG_INST_ANGLES_VALID = 0x800;
constexpr std::uint32_t SG_INST_BOX_VALID = 0x2000;
constexpr std::uint32_t SG_INST_XFORM_PENDING = 0x4000;
constexpr std::uint32_t SG_INST_MOVING = 0x40000;
constexpr std::uint32_t SG_INST_FADING = 0x100000;

// Attribute bits (instAttributes).
constexpr std::uint32_t SG_ATTR_NO_COLLIDE = 0x1;
constexpr std::uint32_t SG_ATTR_NO_WALK = 0x2;
constexpr std::uint32_t SG_ATTR_HIDDEN = 0x4;
constexpr std::uint32_t SG_ATTR_NO_PICK = 0x8;
constexpr std::uint32_t SG_ATTR_NO_LOS = 0x10;
constexpr std::uint32_t SG_ATTR_UNLIT = 0x20;
constexpr std::uint32_t SG_ATTR_NO_WRAP = 0x40;
constexpr std::uint32_t SG_ATTR_NO_NEAR = 0x80;
constexpr std::uint32_t SG_ATTR_REMOVE = 0x100;
constexpr std::uint32_t SG_ATTR_PRE_DRAW = 0x200;
constexpr std::uint32_t SG_ATTR_PREPPED = 0x400;
constexpr std::uint32_t SG_ATTR_STATIC = 0x800;
constexpr std::uint32_t SG_ATTR_NO_FOG = 0x1000;
constexpr std::uint32_t SG_ATTR_HIDE_COVERED = 0x2000;
constexpr std::uint32_t SG_ATTR_HIDE_SUB = 0x4000;
constexpr std::uint32_t SG_ATTR_FLAT_SORT = 0x8000;
constexpr std::uint32_t SG_ATTR_DELETE_MASK = 0x12F;

// Light kinds.
constexpr std::uint32_t SG_LIGHT_DIRECTIONAL = 1;
constexpr std::uint32_t SG_LIGHT_POSITIONED = 2;

struct SGInstance {
  std::uint32_t instFlags;
  std::uint32_t instType;
  std::uint32_t instCollideMask;
  std::uint32_t instCollideGroup;
  std::uint32_t instAttributes;
  float instRadius;
  float instReach;  // radius about the position covering the model and its motion
  float instSortPriority;
  float instLODFactor;
  std::uint32_t instMinLOD;
  void* instData;  // the type's block: SGViewData, SGModelInst, SGBsp, SGLightData
  float instEyeLocal[3];
  double instPos[3];
  double instSavedPos[3];
  float instMotion[3];
  float instForward[3];
  float instUp[3];
  float instVelocity[3];
  float instAngles[3];
  float instVecB[3];
  SGMatrix instXform;  // rows 0..2 the axes, row 3 the translation
  float instSortNear[3];
  float instSortFar[3];
  float instFade;
  float instWorldBox[6];
  SGInstance* instNext;
  SGInstance** instBack;
  SGInstance* instScnNext;
  SGInstance** instScnBack;
  SGInstance* instCollNext;
  SGInstance** instCollBack;
  SGInstance* instLOSNext;
  SGInstance** instLOSBack;
  SGScene* instScene;
  SGCullState* instCullState;
  SGCullObject* instCullObject;
  SGPlume* instPlume;
  SGDropShadow* instDropShadow;
  std::uintptr_t instUserData;
};

// The block of model instances (types 1 and 2).
struct SGModelInst {
  float miCorners[8][3];  // world corners of the model's box, corner i max x/y/z by bits 1/2/4
  SGModel* miModel;
  std::uint32_t miNumXforms;
  SGMatrix* miXforms;  // miNumXforms + 1 part transforms
  SGMatrix* miCurXform;
  std::uint32_t miNumPartCacheA;
  void** miPartCacheA;
  std::uint32_t miNumPartCacheB;
  void** miPartCacheB;
  std::uint32_t miNumMaterials;
  SGMaterial** miMatTable;
  std::uint32_t miNumHardPoints;
  std::uintptr_t* miHardPoints;
};

struct SGLightData {
  std::uint32_t ltKind;
  float ltIntensity;
};

// A node of a complex model's tree; the root's corners serve as the model's.
struct SGPlane {
  float plnNormal[3];
  float plnDist;
};

struct SGBsp {
  float bspCorners[8][3];
  SGPlane bspPlane;
  SGBsp* bspFront;
  SGInstance* bspInstance;
  SGBsp* bspBack;
};

// The block of cameras.
constexpr std::uint32_t SG_VI_VIEWPORT = 0x1;
constexpr std::uint32_t SG_VI_SCALED = 0x2;
constexpr std::uint32_t SG_VI_WINDOW = 0x8;

struct SGViewData {
  std::uint32_t viFlags;
  float viFov;
  float viAspect;
  float viHither;
  float viYon;
  float viMaxYon;
  std::int32_t viOrigin[2];
  std::int32_t viReqOrigin[2];
  std::int32_t viSize[2];
  float viScale[2];
  float viOffset[2];
  float viWindowHi[2];
  float viWindowLo[2];
};

// Life cycle.
SGError SGInstanceCreate(SGContext* ctx, std::uint32_t type, SGInstance** out);
// An instance (not a camera) in a scene is only marked for its scene to free;
// any other is destroyed at once.
SGError SGInstanceDelete(SGInstance* inst);
void ISGInstanceDestroy(SGInstance* inst);
SGError SGInstanceRemove(SGInstance* inst);

// Placement and orientation; each takes effect at the next SGInstanceUpdate.
SGError SGInstanceSetPosition(SGInstance* inst, const double pos[3]);
SGError SGInstanceGetPosition(const SGInstance* inst, double out[3]);
SGError SGInstanceSetOrientation(SGInstance* inst, const float forward[3], const float up[3]);
SGError SGInstanceSetOrientationUp(SGInstance* inst, const float up[3], const float forward[3]);
SGError SGInstanceSetAngles(SGInstance* inst, const float angles[3]);
SGError SGInstanceGetAngles(SGInstance* inst, float out[3]);
SGError SGInstanceSetAxes(SGInstance* inst, const float x[3], const float y[3], const float z[3]);
SGError SGInstanceGetForward(const SGInstance* inst, float out[3]);
SGError SGInstanceGetUp(const SGInstance* inst, float out[3]);
SGError SGInstanceSetVelocity(SGInstance* inst, const float velocity[3]);
SGError SGInstanceUpdate(SGInstance* inst);

// Attributes and lists.
SGError SGInstanceSetAttributes(SGInstance* inst, std::uint32_t bits);
SGError SGInstanceClearAttributes(SGInstance* inst, std::uint32_t bits);
SGError SGInstanceToggleAttributes(SGInstance* inst, std::uint32_t bits);
SGError SGInstanceGetAttributes(const SGInstance* inst, std::uint32_t* out);
void ISGInstanceLinkCollide(SGInstance* inst);
void ISGInstanceLinkLOS(SGInstance* inst);
void ISGInstanceUnlinkCollide(SGInstance* inst);
void ISGInstanceUnlinkLOS(SGInstance* inst);
using SGSceneInstanceFn = SGError (*)(SGScene* scene, std::uintptr_t arg, SGInstance* inst);
SGError SGSceneForEachInstance(SGScene* scene, SGSceneInstanceFn fn, std::uintptr_t arg);

// Bounds and radius.
SGError SGInstanceGetBounds(SGInstance* inst, float out[6]);
SGError SGInstanceGetRadius(const SGInstance* inst, float* out);
SGError SGInstanceSetRadius(SGInstance* inst, float radius);
SGError SGInstanceGetCentre(const SGInstance* inst, float out[3]);
SGError SGInstanceScale(SGInstance* inst, float factor);
SGError SGInstanceScaleAxis(SGInstance* inst, std::uint32_t axis, float factor);

// Model instances.
SGError SGInstanceSetModel(SGInstance* inst, SGModel* model);
SGError SGInstanceGetXform(const SGInstance* inst, std::uint32_t k, SGMatrix* out);
SGError SGInstanceSetXform(SGInstance* inst, std::uint32_t k, const SGMatrix* m);
SGError SGInstanceMulXform(SGInstance* inst, std::uint32_t k, const SGMatrix* m);
// A negative count takes the model's hard-point count.
SGError SGInstanceAllocHardPoints(SGInstance* inst, const SGModel* model, std::int32_t count);
SGError SGInstanceSetHardPoint(SGInstance* inst, std::uintptr_t value, std::uint32_t which);
SGError SGInstanceGetHardPoint(const SGInstance* inst, std::uintptr_t* out, std::uint32_t which);
SGError SGInstanceSetMaterial(SGInstance* inst, std::uint32_t count, SGMaterial** table);
SGError SGInstanceGetMaterial(const SGInstance* inst, std::uint32_t* count, SGMaterial*** table);

// Lights.
SGError SGInstanceSetLight(SGInstance* inst, std::uint32_t kind, float intensity);
SGError SGInstanceGetLight(const SGInstance* inst, float* intensity, std::uint32_t* kind);

// Plain fields.
SGError SGInstanceSetUserData(SGInstance* inst, std::uintptr_t data);
SGError SGInstanceGetUserData(const SGInstance* inst, std::uintptr_t* out);
SGError SGInstanceSetCollideGroup(SGInstance* inst, std::uint32_t group);
SGError SGInstanceGetCollideGroup(const SGInstance* inst, std::uint32_t* out);
SGError SGInstanceSetSortPriority(SGInstance* inst, float priority);
SGError SGInstanceGetSortPriority(const SGInstance* inst, float* out);
SGError SGInstanceSetLODFactor(SGInstance* inst, float factor);
SGError SGInstanceGetLODFactor(const SGInstance* inst, float* out);
SGError SGInstanceSetMinLOD(SGInstance* inst, std::uint32_t lod);
SGError SGInstanceGetMinLOD(const SGInstance* inst, std::uint32_t* out);
SGError SGInstanceSetMotion(SGInstance* inst, const float motion[3]);
SGError SGInstanceGetMotion(const SGInstance* inst, float out[3]);
SGError SGInstanceSetVecB(SGInstance* inst, const float v[3]);
SGError SGInstanceGetVecB(const SGInstance* inst, float out[3]);
SGError SGInstanceGetSavedPos(const SGInstance* inst, double out[3]);
SGError SGInstanceSetCollideMask(SGInstance* inst, std::uint32_t mask);
SGError SGInstanceSetCollideMaskBit(SGInstance* inst, std::uint32_t n);
SGError SGInstanceClearCollideMaskBit(SGInstance* inst, std::uint32_t n);
// *set = 1 when bit n & 31 of the collision mask is set, else 0.
SGError SGInstanceTestCollideMaskBit(const SGInstance* inst, std::uint32_t n, std::uint32_t* set);

// Used by the renderer, ray and collision code.
void ISGInstanceWorldToLocal(const SGInstance* inst, const double world[3], float out[3]);
void ISGInstanceApplyVelocity(SGInstance* inst);
void ISGInstanceAddVelocity(const SGInstance* inst, double point[3]);
void ISGInstanceUpdateBounds(SGInstance* inst);

// Cameras.
SGError SGInstanceSetCamera(SGInstance* camera, float fov, float aspect, float hither, float yon);
SGError SGInstanceSetViewport(SGInstance* camera, const std::int32_t origin[2], const std::int32_t size[2]);
SGError SGInstanceGetViewport(const SGInstance* camera, std::int32_t origin[2], std::int32_t size[2]);
// Moves the far plane (the current one and the greatest, both set by
// SGInstanceSetCamera from its last argument). SG_ERROR_INST_TYPE unless a camera.
SGError SGInstanceSetCameraRange(SGInstance* camera, float yon);
// Fractions of the viewport, 0 at its left or top edge; an empty window drops it.
SGError SGInstanceSetViewWindow(SGInstance* camera, float lowX, float hiX, float lowY, float hiY);
SGError SGInstanceGetViewWindow(const SGInstance* camera, float* lowX, float* hiX, float* lowY, float* hiY);

// Complex models.
// 1 while the tree is still empty afterwards (the node could not be made), else 0.
SGError SGInstanceAddSubInstance(SGInstance* complex, SGInstance* sub, const double point[3]);
SGError SGInstanceAddPlane(SGInstance* complex, const float normal[3], const double point[3]);
void ISGInstanceComplexBounds(SGInstance* inst);
using SGBspInstanceFn = SGError (*)(SGInstance* inst, std::uintptr_t arg);
SGError ISGBspForEach(SGBsp* node, std::uintptr_t arg, SGBspInstanceFn fn);
void ISGBspFree(SGBsp* node);
