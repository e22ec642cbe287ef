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

// Frees the horizon's materials and ramps and zeroes it.
void ISGRendererFreeHorizon(SGRenderer* rend);
// Draws the background of the open frame: the sky rows cleared to the sky
// colour, then the fade band and the ground as fogged fans through slot 4.
SGError ISGRendererDrawBackground(SGRenderer* rend, SGScene* scene);
