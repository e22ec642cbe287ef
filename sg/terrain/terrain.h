#pragma once
// Drawing a scene's terrain inside its frame, and the cloud cover of a scene:
// a second scene (the sub-scene, its own paged height field) drawn as a layer
// at a fixed height, as a ceiling from below, as ground from above, and as
// fog from inside. Drawing thread only; the scene draw calls the two frame
// steps, the cover setters may be called at any time outside a draw.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGInstance;
struct SGRenderer;
struct SGScene;

// What the last terrain draw made (drawing thread only; for measurements).
struct SGTerrainStats {
  std::uint32_t tsVertices;  // grid vertices transformed
  std::uint32_t tsRows;      // rows of cells walked (at one level each)
  std::uint32_t tsCells;     // cells handed to the triangle pipeline
};
extern SGTerrainStats g_sgTerrainStats;

// Draws the ground in view back to front in rows from the far edge of the
// view's footprint toward the eye, each row a strip of cells that splits into
// finer cells (through split and merge fans) where it comes nearer the eye;
// cells of different levels meet without cracks. With `instances`, the
// scene's instance vector (built by ISGSceneBuildInstVector) is drawn between
// the rows and emptied.
// 0, 1 (vertex pool), SG_ERROR_PAGE_MISSING (no texture level after asking
// scnNeedPageLOD), SG_ERROR_ABANDONED (the draw was aborted while single-step
// messages were handled).
SGError ISGTerrainDraw(SGRenderer* rend, SGScene* scene, bool instances);
// Frees what the terrain draw keeps in the renderer between frames.
void ISGTerrainDrawDestroy(SGRenderer* rend);

// Frame steps called by the scene draw: before the instances (cloud cover
// from below, the LOD update, the page cache and the terrain with the
// instances between its rows: *instancesDrawn is then true) and after them
// (the cloud cover from above, the LOD stopwatch). 0 or a failing step's status.
SGError ISGTerrainFrameDraw(SGRenderer* rend, SGScene* scene, SGInstance* camera, bool* instancesDrawn);
SGError ISGTerrainFrameEnd(SGRenderer* rend, SGScene* scene, SGInstance* camera);

// The cover.
constexpr std::uint32_t SG_SCN_FLAG_REVERSED = 0x20;  // drawn with reversed winding (a ceiling seen from below)
constexpr std::uint32_t SG_SCN_FLAG_INSIDE = 0x400;   // the camera is inside the layer, seen from above

SGError SGSceneCloudsOn(SGScene* scene);
SGError SGSceneCloudsOff(SGScene* scene);
SGError SGSceneAttachSubScene(SGScene* scene, SGScene* sub);
// Height of the cover and its bottom factor; SG_ERROR_UNSUPPORTED when height < bottom.
SGError SGSceneSetCoverHeight(SGScene* scene, float height, float bottom);
SGError SGSceneSetCoverThreshold(SGScene* scene, float value);
SGError SGSceneSetCoverDepth(SGScene* scene, float value);
SGError SGSceneSetCoverColour(SGScene* scene, std::uint32_t colour);
// The table becomes the scene's (freed with it).
SGError SGSceneSetCoverFogTable(SGScene* scene, std::uint8_t* table);
SGError SGSceneBuildCoverFog(SGRenderer* rend, SGScene* scene);
SGError SGSceneSetCoverScales(SGScene* scene, float a, float b);
SGError SGSceneSetCoverFlag1(SGScene* scene, std::uint32_t on);
SGError SGSceneSetCoverFlag2(SGScene* scene, std::uint32_t on);
SGError SGSceneSetCoverFlag4(SGScene* scene, std::uint32_t on);
SGError ISGCloudDrawBelow(SGRenderer* rend, SGScene* scene, SGInstance* camera);
SGError ISGCloudDrawAbove(SGRenderer* rend, SGScene* scene, SGInstance* camera);
// Fogs the view with the cloud colour, flickering by the scene's random numbers.
SGError ISGCloudFog(SGRenderer* rend, SGScene* scene, float parameter);
// The blend factor of the cloud fog for a parameter and a random number 0..32767.
float ISGCloudFogFactor(float parameter, std::uint32_t random);
