#pragma once
// Plumes: trails of smoke or exhaust behind an instance (the owner). At a
// fixed pace, measured by the scene's plume clock, the plume samples the
// owner's position into a ring of nodes; every frame the scene's instance
// pass has it turn the live nodes into a camera-facing ribbon with caps,
// registered on the scene's per-frame list as prepared instances that are
// sorted and drawn with the others. When the owner is destroyed the plume is
// handed to its scene and shrinks away by itself.
//
// The plume keeps its own copies of the trail and cap materials it is given:
// the flags it needs for drawing are set on the copies, never on the caller's
// shared materials. Drawing thread only; nothing here locks.

#include <cstdint>

#include "sg/core/sgerror.h"
#include "sg/material/material.h"

struct SGContext;
struct SGInstance;
struct SGRenderer;
struct SGScene;
struct SGTxVertex;

constexpr std::uint32_t SG_PLM_FLAG_HIDDEN = 0x1;
constexpr std::uint32_t SG_PLM_FLAG_DRIFT = 0x2;
constexpr std::uint32_t SG_PLM_FLAG_GROW = 0x4;
constexpr std::uint32_t SG_PLM_FLAG_OFFSET = 0x8;
constexpr std::uint32_t SG_PLM_FLAG_MAX_AGE = 0x10;
constexpr std::uint32_t SG_PLM_FLAG_DECEL = 0x20;
constexpr std::uint32_t SG_PLM_FLAG_FULL = 0x40;
constexpr std::uint32_t SG_PLM_FLAG_RELEASED = 0x80;
constexpr std::uint32_t SG_PLM_FLAG_DYING = 0x100;
constexpr std::uint32_t SG_PLM_FLAG_SKIP_SEGMENT = 0x200;
constexpr std::uint32_t SG_PLM_FLAG_NO_WRAP = 0x400;
constexpr std::uint32_t SG_PLM_FLAG_WIND = 0x800;

// Build results of a node for the frame.
constexpr std::uint32_t SG_PLM_NOTHING = 0;
constexpr std::uint32_t SG_PLM_CAP = 1;
constexpr std::uint32_t SG_PLM_SEGMENT = 2;
constexpr std::uint32_t SG_PLM_SEGMENT_CAP = 3;
constexpr std::uint32_t SG_PLM_BREAK = 4;

struct SGPlumeNode {
  std::uint32_t pndTimeStamp;  // 0 = empty slot
  float pndLenU;
  float pndBaseU;
  double pndPos[3];
  float pndDir[3];
  float pndSide[3];
  float pndLift[3];
  std::uint32_t pndStatus;
  // This frame's cross-section (outer +side, inner +side, inner -side, outer
  // -side); null when the node was not built this frame.
  SGTxVertex* pndVerts[4];
};

// A plume's private copies of the materials it was given.
struct SGPlumeMaterials {
  std::uint32_t pmCount;
  SGMaterial* pmMats;
  SGMaterialInfo* pmInfos;
};

struct SGPlume {
  std::uint32_t plmFlags;
  std::uint32_t plmTimeStamp;
  float plmStepFrac;
  std::uint32_t plmStepPeriod;
  std::uint32_t plmPeriod;
  std::uint32_t plmStepDue;
  std::uint32_t plmLastStep;  // 0 = never run
  SGPlumeNode* plmDrawHead;
  std::uint32_t plmStepStatus;
  float plmDrift[3];
  float plmWind[3];
  float plmOffset[3];
  float plmHalfWidth;
  float plmTexRepeat;
  float plmUPerUnit;
  float plmWidthGrowth;
  float plmUPerStep;
  float plmTaper;
  std::uint32_t plmDriftRamp;
  std::uint32_t plmDecelSteps;
  std::uint32_t plmMaxAge;
  std::uint32_t plmLength;
  std::uint32_t plmCurrLen;
  std::uint32_t plmNumInsts;
  std::uint32_t plmUsedInsts;
  float plmFade;
  float plmLODScale;
  std::uint32_t plmCurrCap;
  std::uint32_t plmNumCaps;
  SGMaterial** plmCaps;  // the caller's array: not copied, not freed
  std::uint32_t plmNumMats;
  SGMaterial** plmMats;     // the caller's array, youngest first: not copied, not freed
  SGInstance* plmInstance;  // the owner; after the hand-over the plume's own scene record
  std::uint8_t* plmFogLUT;
  float plmUShift;
  SGPlumeNode* plmHead;
  SGPlumeNode* plmTail;
  SGPlumeNode* plmNodes;            // plmLength slots, owned
  SGInstance** plmInsts;            // plmNumInsts zero-allocated records, owned
  SGPlumeMaterials plmTrailCopies;  // drawn in place of plmMats, owned
  SGPlumeMaterials plmCapCopies;    // drawn in place of plmCaps, owned
};

// Life and attachment. Create: 0, or 1 (out untouched). Destroy frees the
// ring, the pool and the material copies; a plume handed to its scene leaves
// its scene record to the scene's removal. 0.
SGError SGPlumeCreate(SGContext* ctx, SGPlume** out);
SGError SGPlumeDestroy(SGPlume* plm);
// Sizes the ring to n slots and the record pool to n / 4 records, emptying the
// ring (a running plume starts its trail again). 1 when out of memory (the
// ring is then empty and plmLength 0).
SGError SGPlumeSetLength(SGPlume* plm, std::uint32_t n);
// Attach gives the plume to the instance; a previous owner no longer carries it.
SGError SGPlumeAttach(SGPlume* plm, SGInstance* inst);
SGError SGPlumeGetInstance(const SGPlume* plm, SGInstance** out);
SGError SGInstanceGetPlume(const SGInstance* inst, SGPlume** out);

// Setters; each returns 0.
SGError SGPlumeSetWidth(SGPlume* plm, float width);
SGError SGPlumeSetWidthGrowth(SGPlume* plm, float growth);
SGError SGPlumeSetTexRepeat(SGPlume* plm, float factor);
SGError SGPlumeSetTaper(SGPlume* plm, float rate);
SGError SGPlumeSetFade(SGPlume* plm, float fraction);
SGError SGPlumeSetLODScale(SGPlume* plm, float factor);
SGError SGPlumeSetMaxAge(SGPlume* plm, std::uint32_t steps);  // before width, growth or repeat
SGError SGPlumeSetDecelSteps(SGPlume* plm, std::uint32_t steps);
SGError SGPlumeSetDriftRamp(SGPlume* plm, std::uint32_t steps);
SGError SGPlumeSetStepPeriod(SGPlume* plm, std::uint32_t period);
SGError SGPlumeSetDrift(SGPlume* plm, const float drift[3]);
SGError SGPlumeSetWind(SGPlume* plm, const float wind[3]);
SGError SGPlumeSetOffset(SGPlume* plm, const float offset[3]);
SGError SGPlumeSetFogLUT(SGPlume* plm, std::uint8_t* table);
SGError SGPlumeGetFogLUT(const SGPlume* plm, std::uint8_t** out);
SGError SGPlumeHide(SGPlume* plm);
SGError SGPlumeShow(SGPlume* plm);
SGError SGPlumeSetWrap(SGPlume* plm, std::uint32_t on);
// The trail materials (youngest first) and the cap materials. Each needs a
// square texture map: SG_ERROR_UNSUPPORTED otherwise, nothing changed. The
// plume copies them (1 when out of memory, nothing changed); the caller's
// materials are left as they are and must outlive the plume's use of them.
SGError SGPlumeSetMaterials(SGPlume* plm, std::uint32_t count, SGMaterial** mats);
SGError SGPlumeSetCaps(SGPlume* plm, std::uint32_t count, SGMaterial** caps);

// Called by the instance's destruction for its plume: a plume whose owner
// lies in a scene lives on there until its trail is gone.
SGError ISGPlumeRelease(SGPlume* plm);
// The per-frame update and draw, called by the scene's instance pass for
// every instance and light with a plume. 0.
SGError ISGPlumeDraw(SGRenderer* rend, SGScene* scene, SGPlume* plm);

// Ring steps, used by the driver and the geometry.
SGPlumeNode* ISGPlumeNext(const SGPlume* plm, SGPlumeNode* node);
SGPlumeNode* ISGPlumePrev(const SGPlume* plm, SGPlumeNode* node);
// The plume's drawing copy of trail material i, or of cap material i.
SGMaterial* ISGPlumeTrailMaterial(const SGPlume* plm, std::uint32_t i);
SGMaterial* ISGPlumeCapMaterial(const SGPlume* plm, std::uint32_t i);
