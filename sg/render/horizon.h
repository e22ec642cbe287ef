#pragma once
// The horizon: a sky colour above, a ground below and a fade band between the
// horizon line and a fade height, drawn as the frame's background before any
// instance while the renderer's flag SG_REND_FLAG_HORIZON_SHOWN is set. The
// renderer owns the materials and ramps made here; a background material given
// by the caller stays the caller's. Drawing thread only.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGMaterial;
struct SGRenderer;
struct SGScene;

// Colours are colour words: red in bits 24-31, green 16-23, blue 8-15, palette
// index 0-7 (255: the nearest palette entry is looked up). Makes the sky,
// ground and background materials and the two ramps and shows the horizon.
// SG_ERROR_NO_FRAME_BUFFER, or a ramp's failure (the horizon is then zeroed).
SGError SGRendererCreateHorizon(SGRenderer* rend, std::uint32_t fade, const std::uint32_t* sky,
                                const std::uint32_t* ground);
SGError SGRendererSetBackgroundMaterial(SGRenderer* rend, SGMaterial* mat);
// SG_ERROR_NO_HORIZON before SGRendererCreateHorizon.
SGError SGRendererGetHorizonColours(const SGRenderer* rend, std::uint32_t* sky, std::uint32_t* ground);
// A positive angle (radians) gives a fade band of yon x tan(angle) above the horizon.
SGError SGRendererSetHorizonAngle(SGRenderer* rend, float angle, float fade);
SGError SGRendererGetHorizonAngle(const SGRenderer* rend, float* angle, float* fade);
// 1 when the horizon is shown, else 0.
std::uint32_t SGRendererHorizonShown(const SGRenderer* rend);
// SG_ERROR_NO_HORIZON when none was made and it is off.
SGError SGRendererToggleHorizon(SGRenderer* rend);
SGError SGRendererSetHorizonColours(SGRenderer* rend, const std::int32_t* index, const std::int32_t* colour);

// A polygon of the background on the far rectangle of the view, in
// eye-relative world coordinates; `fade` runs 0..1 across the fade band (and
// down the ground).
constexpr std::uint32_t SG_HZ_MAX_POLY = 8;
struct SGHorizonPoly {
  std::uint32_t count = 0;
  float p[SG_HZ_MAX_POLY][3];
  float fade[SG_HZ_MAX_POLY];
};

// What the background draws with, by the mode of ISGRendererHorizonGeometry:
// the sky above and the fade band and ground below.
constexpr std::uint32_t SG_HZ_MODE_OPEN = 0;         // sky and ground
constexpr std::uint32_t SG_HZ_MODE_ABOVE_COVER = 1;  // sky, and the cover below
constexpr std::uint32_t SG_HZ_MODE_UNDER_COVER = 2;  // the cover above, and ground

// The three regions of the far rectangle: above the fade height, between the
// horizon and the fade height, below the ground height (the eye's height
// below the ground plane less 4 x the scene's scnLODDist, never above the
// horizon, then a pixel of the far plane lower). A covered scene with its
// cover at or above the eye gives none (mode 2), else no ground (mode 1). A
// sub-scene with the eye at or below its cover gives none (mode 1), else
// heights over the super-scene and the yon of ISGSubSceneFogYon (mode 2).
// Otherwise mode 0. A null scene is a plain one.
SGError ISGRendererHorizonGeometry(const SGRenderer* rend, const SGScene* scene, SGHorizonPoly* sky,
                                   SGHorizonPoly* fade, SGHorizonPoly* ground, std::uint32_t* mode);
// Makes renCoverMaterial, once, in the cover colour of a covered scene or of
// the super-scene of a sub-scene. SG_ERROR_UNSUPPORTED for any other scene,
// 1 out of memory.
SGError ISGRendererMakeCoverMaterial(SGRenderer* rend, const SGScene* scene);
// The yon of a sub-scene's fog `height` above its cover: viMaxYon scaled by
// the sub-scene's two cover scales, the first at the cover, the second at
// the cover's own height above it and beyond (between them in proportion).
float ISGSubSceneFogYon(const SGRenderer* rend, const SGScene* scene, float height);

// Frees the horizon's materials and ramps and zeroes it.
void ISGRendererFreeHorizon(SGRenderer* rend);
// Draws the background of the open frame: the sky rows cleared to the sky
// colour, then the fade band and the ground as fogged fans through slot 4; a
// covered scene or sub-scene draws with the cover material as its mode says.
SGError ISGRendererDrawBackground(SGRenderer* rend, SGScene* scene);
