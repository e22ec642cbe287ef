// The fill choice for 8-bit indexed frame buffers: by effective material type,
// fog, texture size, alpha blending and (for terrain) dithering.

#include "sg/core/context.h"
#include "sg/core/sgassert.h"
#include "sg/fb/framebuffer.h"
#include "sg/material/material.h"
#include "sg/raster/fill8.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"

namespace {

constexpr ISGFillFamily kTexture = ISG_FILL_FAMILY(ISGFill8Texture);
constexpr ISGFillFamily kShadedTexture = ISG_FILL_FAMILY(ISGFill8ShadedTexture);
constexpr ISGFillFamily kTransparentTexture = ISG_FILL_FAMILY(ISGFill8TransparentTexture);
constexpr ISGFillFamily kShadedTransparentTexture = ISG_FILL_FAMILY(ISGFill8ShadedTransparentTexture);
constexpr ISGFillFamily kAlphaTexture = ISG_FILL_FAMILY(ISGFill8AlphaTexture);

// Dithered fills by square member (32, 128 and 512 texels have one).
constexpr ISGTriFill kDithered[6] = {nullptr, ISGFill8DitheredTexture32x32,  nullptr, ISGFill8DitheredTexture128x128,
                                     nullptr, ISGFill8DitheredTexture512x512};

// Untextured colours drawn by textured fills (fog, alpha) read a 16 x 16 block
// of their index: whatever u and v the vertices carry, every texel is the colour.
struct SolidTexels {
  std::uint8_t block[256][256];
  constexpr SolidTexels() : block{} {
    for (int c = 0; c < 256; ++c) {
      for (int t = 0; t < 256; ++t) {
        block[c][t] = static_cast<std::uint8_t>(c);
      }
    }
  }
};
constexpr SolidTexels kSolid;

}  // namespace

SGError ISGEPSetMaterial8(SGRenderer* rend, SGScene*, SGMaterial* mat, std::uint32_t type) {
  ISG_ASSERT((mat != rend->renObjMaterial) || (type != rend->renObjMatType), "eprendi.c");
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  // Any other buffer would have one byte written per pixel of a wider frame.
  if (fb->fbMode != SG_FB_MODE_IDX || fb->fbBPP != 8) {
    return SG_ERROR_UNSUPPORTED;
  }
  const bool noTextures = rend->renContext != nullptr && (rend->renContext->ctxDebug & SG_CTX_DEBUG_NO_TEXTURES) != 0;
  // The palette index is the colour word's low byte, its first in memory.
  const void* colourByte = &mat->matColour;
  const void* solid = kSolid.block[mat->matColour & 0xFF];
  const void* texels = nullptr;
  std::uint32_t size = ISG_FILL_NUM_SIZES;
  if (mat->matTexMap != nullptr && mat->matTexMap->txmInfo != nullptr) {
    texels = mat->matTexMap->txmInfo->tpiTexels;
    size = ISGFillSizeIndex(mat->matTexMap);
  }
  const bool hasTexture = texels != nullptr && size < ISG_FILL_NUM_SIZES;
  const std::uint8_t* ramp = mat->matInfo != nullptr ? mat->matInfo->maiLUT : nullptr;
  const std::uint8_t* table = (type & SG_MAT_TYPE_FOG) != 0 ? rend->renFogLUT : ramp;
  const bool blendTables = rend->renAlphaLUT != nullptr && rend->renAlphaIndex != nullptr;
  const std::uint32_t base = type & SG_MAT_TYPE_MASK;
  const std::uint32_t unfogged = base & ~SG_MAT_TYPE_FOG;

  ISGFillChoice c;
  if ((type & SG_MAT_TYPE_ALPHA_STRIP) != 0) {
    if (texels != nullptr) {
      c = ISGFillChoice{ISGFill8AlphaStrip, texels, rend->renAlphaLUT, rend->renAlphaIndex, true};
    }
  } else if ((type & SG_MAT_TYPE_ALPHA) != 0) {
    if (unfogged == SG_MAT_TYPE_FLAT || unfogged == SG_MAT_TYPE_SHADED || unfogged == 5 ||
        unfogged == SG_MAT_TYPE_SHADED_TRANSPARENT) {
      c = ISGFillChoice{ISGFill8AlphaTexture16x16, solid, rend->renAlphaLUT, rend->renAlphaIndex};
    } else if (unfogged == SG_MAT_TYPE_TEXTURE || unfogged == SG_MAT_TYPE_SHADED_TEXTURE ||
               unfogged == SG_MAT_TYPE_TRANSPARENT_TEXTURE || unfogged == SG_MAT_TYPE_SHADED_TRANSPARENT_TEXTURE) {
      if (hasTexture) {
        c = ISGFillChoice{kAlphaTexture[size], texels, rend->renAlphaLUT, rend->renAlphaIndex, true};
      }
    }
    // Without the blend tables the alpha fills have nothing to blend with.
    if (!blendTables) {
      c = ISGFillChoice{};
    }
  } else {
    c = ISGFillChoose(ISGFillKindOf(type, noTextures),
                      ISGFillSet{
                          .flat = {ISGFill8Flat, nullptr, nullptr, colourByte},
                          .shaded = {ISGFill8Shaded, nullptr, table, colourByte, false, true},
                          .shadedTransparent = {ISGFill8ShadedTransparent, nullptr, table, colourByte, false, true},
                          // The colour's fog rows give it at each level.
                          .foggedColour = {ISGFill8ShadedTexture16x16, solid, table, nullptr, false, true},
                          .texture = &kTexture,
                          .transparentTexture = &kTransparentTexture,
                          .shadedTexture = &kShadedTexture,
                          .shadedTransparentTexture = &kShadedTransparentTexture,
                          .texels = texels,
                          .size = size,
                          .lut = table,
                          .colour = nullptr,
                      });
  }
  return ISGEPApplyFill(rend, mat, type, c, ISGFill8Flat);
}

void ISGTerrainFills8(std::uint32_t member, bool keyed, bool dither, ISGTriFill* plain, ISGTriFill* shaded) {
  if (keyed) {
    *plain = kTransparentTexture[member];
    *shaded = kShadedTransparentTexture[member];
  } else if (dither && member < 6 && kDithered[member] != nullptr) {
    *plain = *shaded = kDithered[member];
  } else {
    *plain = kTexture[member];
    *shaded = kShadedTexture[member];
  }
}
