#pragma once
// Lookup tables of the software renderer, built from the frame buffer's
// palette or pixel format, and nearest-palette searches. The renderer owns the
// tables stored in it (renFogLUT, renShadeLUT, the horizon ramps) and frees
// them with SGFree.
//
// A colour word holds red in bits 24-31, green 16-23, blue 8-15 and a palette
// index in bits 0-7. "The frame buffer's palette" is its fbColours, of
// fbColourCount entries.
//
// Two layouts:
//  - channel table (quasi-RGB, 65,536 bytes): row i (256 bytes) is a level;
//    within it the red values 0 .. 2^r - 1, then the green values, then the
//    blue ones, r, g, b being the pixel format's bit counts;
//  - index table (indexed, 16 rows of 256 bytes): entry [level x 256 + k] is
//    the palette index for index k at that level.
//
// Drawing thread only.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGPalEntry;
struct SGRenderer;
struct SGScene;

// Writes the index of the first entry nearest the word's colour (sum of the
// channel differences) into its low byte. 0.
SGError SGPaletteFindNearest(const SGPalEntry* palette, std::uint32_t count, std::uint32_t* colour);
// The index of the first of 256 entries nearest a 5-6-5 pixel (squared
// distance), 0 when none is nearer than 0x30000.
std::uint32_t ISGPaletteFindNearest565(std::uint16_t pixel, const SGPalEntry* palette);

// The fog table toward `colour` into *table (made when null, else rebuilt in
// place): a channel table blending toward the colour for a quasi-RGB frame
// buffer, an index table of 16 levels otherwise. Nothing with a Direct3D
// device. 0, SG_ERROR_NO_MEMORY, SG_ERROR_NO_LUT (indexed frame buffer without
// a palette), SG_ERROR_NO_FRAME_BUFFER. The second argument is not used.
SGError SGRendererBuildFogLUT(SGRenderer* rend, std::uint32_t unused, std::uint32_t colour, std::uint8_t** table);
// As SGRendererBuildFogLUT, taking nearest entries from `palette` (of the frame
// buffer's palette count) instead.
SGError SGRendererBuildFogLUTPal(SGRenderer* rend, std::uint32_t unused, const SGPalEntry* palette,
                                 std::uint32_t colour, std::uint8_t** table);
// Channel table blending toward the colour: row i takes each value j to
// trunc(c x i/255 + (1 - i/255) x j), c the colour's channel in the format.
// 0, SG_ERROR_NO_MEMORY, SG_ERROR_UNSUPPORTED (channels wider than a row
// holds), SG_ERROR_NO_FRAME_BUFFER.
SGError ISGLutBuildBlendRGB(SGRenderer* rend, std::uint8_t** table, std::uint32_t colour);

// The shade table (renShadeLUT) for the scene's shade factor (scnTerrTexU):
// an index table brightening by up to the factor, or for quasi-RGB a channel
// table scaling by i/255; sets renderer option 0x10. With a Direct3D device
// only the option is set; a factor of 0 or less builds nothing. 0,
// SG_ERROR_NO_MEMORY, SG_ERROR_NO_LUT, SG_ERROR_NO_FRAME_BUFFER.
SGError SGRendererBuildShadeLUT(SGRenderer* rend, const SGScene* scene);
SGError SGRendererBuildShadeLUTPal(SGRenderer* rend, const SGScene* scene, const SGPalEntry* palette);
SGError ISGLutBuildShadeRGB(SGRenderer* rend, const SGScene* scene);

// The tables of the 8-bit alpha fills. The inverse table (renAlphaIndex,
// 65,536 bytes) holds for every 5-6-5 pixel the nearest of the 256 palette
// entries; the palette shade table (renAlphaLUT, 65,536 16-bit pixels) holds
// for level v and index k the colour k times v/256 as a 5-6-5 pixel, level 255
// being the colour itself. SetInverseLUT copies the 65,536 bytes that follow
// a 4-byte header in `block`. Nothing with a Direct3D device. 0,
// SG_ERROR_NO_MEMORY (the old table is kept), SG_ERROR_NO_LUT (no frame buffer
// palette).
SGError SGRendererSetInverseLUT(SGRenderer* rend, const std::uint8_t* block);
SGError SGRendererBuildInverseLUT(SGRenderer* rend);
SGError SGRendererBuildPaletteShadeLUT(SGRenderer* rend);

// Replace the horizon's ground ramp (1) or fade ramp (2) with a copy of
// `count` bytes and one more repeating the last. Nothing with a Direct3D
// device. 0, or SG_ERROR_NO_MEMORY with the count 0.
SGError SGRendererSetHorizonRamp1(SGRenderer* rend, const std::uint8_t* bytes, std::uint32_t count);
SGError SGRendererSetHorizonRamp2(SGRenderer* rend, const std::uint8_t* bytes, std::uint32_t count);
// Build them from the horizon colours: ground to sky (1) and the ground
// material's colour to hzGroundD3DColour (2); 16 palette indices and a 17th
// for an indexed frame buffer, the blend channel table (count 65,536) toward
// the ground colour (1) or hzGroundD3DColour (2) for a quasi-RGB one, nothing
// in the direct RGB mode. 0, SG_ERROR_NO_MEMORY, SG_ERROR_NO_LUT. The second
// argument is not used.
SGError ISGRendererBuildHorizonRamp1(SGRenderer* rend, std::uint32_t unused);
SGError ISGRendererBuildHorizonRamp2(SGRenderer* rend, std::uint32_t unused);
