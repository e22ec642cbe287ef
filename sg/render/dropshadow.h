#pragma once
// Drop shadows: a dark quad laid on the ground under an instance, drawn before
// the instance itself. The record belongs to the instance (SGDropShadowCreate
// and SGDropShadowDestroy); every other operation requires it. Drawing thread only.

#include <cstdint>

#include "sg/core/sgerror.h"
#include "sg/material/material.h"

struct SGInstance;
struct SGRenderer;
struct SGScene;

constexpr std::uint32_t SG_DROPSHADOW_ENABLED = 0x1;
constexpr std::uint32_t SG_DROPSHADOW_FOLLOW_BOUNDS = 0x2;

struct SGDropShadow {
  std::uint32_t dsFlags;
  float dsHalfLength;      // along world x
  float dsHalfWidth;       // along world y
  std::uint32_t dsColour;  // material colour word: index byte, blue, green, red
  float dsOffset[3];
  std::uint8_t dsShade;  // shade 0..127; bit 0x80 a mark
  std::uint8_t dsSpare[2];
  SGMaterial dsMaterial;  // the quad's material, remade for each draw
};

SGError SGDropShadowCreate(SGInstance* inst);
SGError SGDropShadowDestroy(SGInstance* inst);
SGError SGDropShadowSetSize(SGInstance* inst, float length, float width);
SGError SGDropShadowGetSize(const SGInstance* inst, float* length, float* width);
SGError SGDropShadowSetColour(SGInstance* inst, std::uint32_t colour);
SGError SGDropShadowGetColour(const SGInstance* inst, std::uint32_t* colour);
SGError SGDropShadowSetOffset(SGInstance* inst, const float offset[3]);
SGError SGDropShadowGetOffset(const SGInstance* inst, float offset[3]);
SGError SGDropShadowEnable(SGInstance* inst, std::uint32_t on);
SGError SGDropShadowIsEnabled(const SGInstance* inst, std::uint32_t* on);
// Flag 0x2: the quad covers the instance's bounds instead of its own size.
SGError SGDropShadowFollowBounds(SGInstance* inst, std::uint32_t on);
SGError SGDropShadowFollowsBounds(const SGInstance* inst, std::uint32_t* on);
SGError SGDropShadowSetShade(SGInstance* inst, std::uint8_t value, std::uint32_t mark);

// Draws the enabled shadow of an instance on the ground (world z = 0 plus the
// offset; scenes carry no terrain here).
SGError ISGDropShadowDraw(SGRenderer* rend, SGScene* scene, SGInstance* inst);
// With SG_ATTR_PRE_DRAW: the ground plane under the instance becomes clip plane 6
// (state bit 0x20000) while the instance reaches it.
void ISGInstanceGroundPlane(SGRenderer* rend, SGScene* scene, SGInstance* inst);
