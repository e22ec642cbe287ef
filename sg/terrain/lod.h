#pragma once
// Terrain levels of detail: level L steps over 2^L height samples and grows by
// one each time the horizontal distance from the eye doubles, scaled by the
// renderer's LOD value (renLODValue). The renderer owns its LOD record
// (renLOD), built for the first scene it draws; a scene may own an
// auto-adjuster that scales the LOD distances each frame to hold a frame-time
// or polygon budget. Drawing thread only.

#include <cstdint>

#include "sg/core/sgerror.h"

struct ISGStopwatch;
struct SGRenderer;
struct SGScene;

constexpr std::uint32_t SG_LOD_MAX_LEVELS = 16;
// Most entries of the distance-to-level table (4 MiB); a scene whose pages
// would need more is refused with SG_ERROR_UNSUPPORTED.
constexpr std::uint32_t SG_LOD_MAX_LUT = (1u << 20) + 2;

constexpr std::uint32_t SG_LAJ_FLAG_VALID = 0x1;
constexpr std::uint32_t SG_LAJ_FLAG_TIME_BASE = 0x2;
constexpr std::uint32_t SG_LAJ_FLAG_POLY_BASE = 0x4;
constexpr std::uint32_t SG_LAJ_MAX_HISTORY = 100;

constexpr SGError SG_ERROR_NO_LOD = 0x804;      // renderer without a LOD record
constexpr SGError SG_ERROR_NO_ADJUST = 0x805;   // scene without an auto-adjuster
constexpr SGError SG_ERROR_NO_WEIGHTS = 0x806;  // no blend-weight table

struct SGLODState {
  std::uint32_t* lodLUT;  // squared distance (LOD units) to level; owned
  std::uint32_t lodLUTLen;
  std::uint32_t lodLast;
  std::uint32_t lodFirst;
  float lodDist[SG_LOD_MAX_LEVELS];  // start of each level; -1 unused
  float lodInvDist[SG_LOD_MAX_LEVELS];
  float lodBlendStart[SG_LOD_MAX_LEVELS];
  float lodBlendFrac;
  float lodBlendFracRecip;
  float lodDistScale;      // factor on squared horizontal distance, set each frame
  float lodCeilingFactor;  // largest lodDistScale
  // Optional blend weights by scaled squared distance (SGRendererSetLODWeights):
  // high byte the halvings of the distance below the radius' half, low byte
  // 256 x the weight - 1. Owned, with the 16 x 256 brightness table built with them.
  std::uint16_t* lodWeights;
  std::uint32_t lodWeightsLen;
  float lodWeightScale;  // squared distance x this = index
  std::uint32_t lodWeightWord;
  std::uint32_t lodWeightMode;
  std::uint8_t* lodWeightColours;  // row i: each colour index scaled by 2^((i - 8) / 8)
};

struct SGLODAdjust {
  std::uint32_t lajFlags;
  std::uint32_t lajLowLevel;
  float lajLowYon;
  float lajLowHeight;
  std::uint32_t lajHighLevel;
  float lajHighYon;
  float lajHighHeight;
  std::uint32_t lajTargetMin;
  std::uint32_t lajTargetMax;
  std::uint32_t lajSaneMin;
  std::uint32_t lajSaneMax;
  float lajTargetRecip;
  ISGStopwatch* lajTimer;     // owned
  std::uint32_t* lajHistory;  // owned
  std::uint32_t lajHistoryLen;
  std::uint32_t lajHistoryNext;
  std::uint32_t lajHistoryCount;
  std::uint32_t lajLastStep;  // 0 none, 1 coarser, 2 finer
};

SGError SGRendererSetLOD(SGRenderer* rend, float value);
SGError SGRendererGetLOD(const SGRenderer* rend, float* out);
SGError SGRendererSetLODDistFactor(SGRenderer* rend, float value);
SGError SGRendererGetLODDistFactor(const SGRenderer* rend, float* out);

// Builds renLOD for the scene (renLODValue <= 0 is first derived from the page
// size and resolution): 0, 1, SG_ERROR_UNSUPPORTED when the table cannot be held.
SGError ISGLodCreate(SGRenderer* rend, SGScene* scene);
// Replaces renLOD by one built from the caller's distance-to-level table
// (copied; non-decreasing levels below 16): 0, 1, SG_ERROR_UNSUPPORTED.
SGError SGRendererSetLODTable(SGRenderer* rend, const std::uint32_t* table, std::uint32_t length);
// Replaces renLOD by one whose table gives level (int)sqrt(i) at entry i, up to
// the first entry at the scene's coarsest level and at most
// SG_LOD_SQRT_LUT_LEN entries: as SGRendererSetLODTable (SG_ERROR_UNSUPPORTED
// when the levels would pass 15).
constexpr std::uint32_t SG_LOD_SQRT_LUT_LEN = 1000;
SGError ISGLodBuildLUTSqrt(SGRenderer* rend, const SGScene* scene);
// Frees renLOD; null renderer record accepted.
SGError ISGLodDestroy(SGRenderer* rend);
// Level (and, when `fraction` is given, the blend towards the next) at a horizontal offset from the eye.
SGError ISGLodChoose(const SGRenderer* rend, const SGScene* scene, float x, float y, std::uint32_t* level,
                     float* fraction);
// Level by full squared distance x renLODDistFactor x scnLODDistScale, at most
// scnMaxLOD; the weight comes from the blend-weight table (0..1, 1 past its
// end), 0 without one.
SGError ISGLodForDistance(const SGRenderer* rend, const SGScene* scene, const float offset[3], std::uint32_t* level,
                          float* weight);
// Builds the blend-weight table of radius x radius entries over squared
// distances 0..range (the inner radius is radius x (1 - fraction)) and, the
// first time, the brightness table from the frame buffer's colours. 0, 1,
// SG_ERROR_NO_LOD, SG_ERROR_UNSUPPORTED (radius 0 or above 1024, range <= 0, a
// fraction not above 0), SG_ERROR_NO_LUT (a frame buffer without colours).
SGError SGRendererSetLODWeights(SGRenderer* rend, std::uint32_t word, std::uint32_t mode, std::uint32_t radius,
                                float range, float fraction);
// Frees both tables: 0, SG_ERROR_NO_LOD, SG_ERROR_NO_WEIGHTS.
SGError SGRendererFreeLODWeights(SGRenderer* rend);
void ISGLodFreeWeights(SGLODState* lod);

// The levels a terrain strip meets. The strip runs along x (alongX) or y from
// the eye-relative offset (x, y), the walk going with signs dir[0] along x and
// dir[1] along y (+1 or -1); rows are walked toward the eye, so a row offset
// already past the eye counts as 0. bands[2L], bands[2L + 1]: the first and
// second positions along the strip (eye-relative, in walk order) where level L
// starts, for every level from *top down to *bottom; all other entries 0.
// *level is the level at the offset, *top one coarser (at most `coarsest`),
// *bottom the finest level the row reaches (at least `finest`). 0, SG_ERROR_NO_LOD.
SGError ISGLodStripBands(const SGRenderer* rend, const SGScene* scene, float x, float y, bool alongX, const int dir[2],
                         std::uint32_t finest, std::uint32_t coarsest, float bands[2 * SG_LOD_MAX_LEVELS],
                         std::uint32_t* level, std::uint32_t* top, std::uint32_t* bottom);

// Height of the terrain vertex (u, v) of an n x n grid at level `level`,
// blended by `fraction` towards the next level's surface.
float ISGLodBlendHeight(const SGScene* scene, const std::uint8_t* grid, std::uint32_t u, std::uint32_t v,
                        std::uint32_t level, float fraction);

// Budgets. Time: frames per second; polygons: triangles per frame. Both make
// the adjuster when missing and copy it to the sub- and super-scene.
SGError SGSceneSetLODTimeBudget(SGScene* scene, float framesPerSecond);
SGError SGSceneGetLODTimeBudget(const SGScene* scene, std::int32_t* out);
SGError SGSceneSetLODPolyBudget(SGScene* scene, std::uint32_t polygons);
SGError SGSceneGetLODPolyBudget(const SGScene* scene, std::int32_t* out);
SGError SGSceneStopLODAdjust(SGScene* scene);
SGError SGSceneCopyLODAdjust(SGScene* to, const SGScene* from);
// Camera-height rule, in this order: low level, low height, low yon factor,
// high height, high level, high yon factor.
SGError SGSceneSetLODHeightParams(SGScene* scene, std::uint32_t lowLevel, float lowHeight, float lowYon,
                                  float highHeight, std::uint32_t highLevel, float highYon);
SGError SGSceneGetLODHeightParams(const SGScene* scene, std::uint32_t* lowLevel, float* lowHeight, float* lowYon,
                                  float* highHeight, std::uint32_t* highLevel, float* highYon);
// Resizes the history (at most SG_LAJ_MAX_HISTORY entries) and clears its valid flag.
SGError SGSceneSetLODHistory(SGScene* scene, std::uint32_t length);
// One adjustment from a reading (nanoseconds of the last frame, or its triangles).
void ISGLodAdjustStep(SGScene* scene, std::uint32_t reading);
// The begin of each frame's LOD preparation for the camera's scene: a terrain
// scene gets renLOD when the renderer has none, its level range and (unless a
// frame is already open or the frame buffer is off screen) its adjustment;
// unless a frame is open the renderer's face and triangle counters are
// cleared. 0, or ISGLodCreate's failure.
SGError ISGSceneUpdateLOD(SGRenderer* rend, SGScene* scene);
// Frees the scene's adjuster (scene teardown).
void ISGLodAdjustFree(SGScene* scene);
