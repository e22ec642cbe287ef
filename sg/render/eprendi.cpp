// The software triangle slot: effective material type, conversion of
// transformed vertices into screen vertices once per frame, and the choice of
// fill per material, memoised until the material or its type changes.

#include "sg/core/context.h"
#include "sg/core/sgassert.h"
#include "sg/fb/framebuffer.h"
#include "sg/material/material.h"
#include "sg/raster/fill16.h"
#include "sg/render/epvertex.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

using isg_ep::ContextDebug;

constexpr std::uint32_t kNumSizes = ISG_FILL_NUM_SIZES;
constexpr std::uint32_t kSizeKeys[kNumSizes] = {16400, 32800, 65600, 131200, 262400, 524800,
                                                32832, 65664, 32896, 131328, 65792};

constexpr ISGFillFamily kTexture = ISG_FILL_FAMILY(ISGFill16Texture);
constexpr ISGFillFamily kShadedTexture = ISG_FILL_FAMILY(ISGFill16ShadedTexture);
constexpr ISGFillFamily kTransparentTexture = ISG_FILL_FAMILY(ISGFill16TransparentTexture);
constexpr ISGFillFamily kShadedTransparentTexture = ISG_FILL_FAMILY(ISGFill16ShadedTransparentTexture);

bool IsQuasi16(const SGFrameBuffer* fb) { return fb->fbMode == SG_FB_MODE_QUASI_RGB && fb->fbBPP == 16; }

}  // namespace

std::uint32_t ISGFillSizeIndex(const SGTextureMap* txm) {
  const std::uint32_t key = (txm->txmSize.u[1] << 10) | txm->txmSize.u[0];
  std::uint32_t i = 0;
  while (i < kNumSizes && kSizeKeys[i] != key) {
    ++i;
  }
  return i;
}

ISGFillKind ISGFillKindOf(std::uint32_t type, bool noTextures) {
  // A textured type with textures off draws as the colour it falls back to.
  auto textured = [noTextures](ISGFillKind kind, ISGFillKind colour) { return noTextures ? colour : kind; };
  switch (type & SG_MAT_TYPE_MASK) {
    case SG_MAT_TYPE_FLAT:
      return ISGFillKind::Flat;
    case SG_MAT_TYPE_SHADED:
      return ISGFillKind::Shaded;
    case SG_MAT_TYPE_FOG | SG_MAT_TYPE_FLAT:
    case SG_MAT_TYPE_FOG | SG_MAT_TYPE_SHADED:
      return ISGFillKind::FoggedColour;
    case SG_MAT_TYPE_TEXTURE:
      return textured(ISGFillKind::Texture, ISGFillKind::Flat);
    case SG_MAT_TYPE_TRANSPARENT_TEXTURE:
      return textured(ISGFillKind::TransparentTexture, ISGFillKind::Flat);
    case SG_MAT_TYPE_SHADED_TEXTURE:
    case SG_MAT_TYPE_FOG | SG_MAT_TYPE_TEXTURE:
    case SG_MAT_TYPE_FOG | SG_MAT_TYPE_SHADED_TEXTURE:
      return textured(ISGFillKind::ShadedTexture, ISGFillKind::Shaded);
    case SG_MAT_TYPE_SHADED_TRANSPARENT:
    case SG_MAT_TYPE_FOG | 5:
    case SG_MAT_TYPE_FOG | SG_MAT_TYPE_SHADED_TRANSPARENT:
      return ISGFillKind::ShadedTransparent;
    case SG_MAT_TYPE_SHADED_TRANSPARENT_TEXTURE:
    case SG_MAT_TYPE_FOG | SG_MAT_TYPE_TRANSPARENT_TEXTURE:
      return textured(ISGFillKind::ShadedTransparentTexture, ISGFillKind::ShadedTransparent);
    default:
      return ISGFillKind::None;
  }
}

ISGFillChoice ISGFillChoose(ISGFillKind kind, const ISGFillSet& set) {
  auto textured = [&set](const ISGFillFamily* family, bool shaded) {
    if (set.texels == nullptr || set.size >= ISG_FILL_NUM_SIZES) {
      return ISGFillChoice{};
    }
    return ISGFillChoice{(*family)[set.size], set.texels, shaded ? set.lut : nullptr, set.colour, true, shaded};
  };
  switch (kind) {
    case ISGFillKind::Flat:
      return set.flat;
    case ISGFillKind::Shaded:
      return set.shaded;
    case ISGFillKind::ShadedTransparent:
      return set.shadedTransparent;
    case ISGFillKind::FoggedColour:
      return set.foggedColour;
    case ISGFillKind::Texture:
      return textured(set.texture, false);
    case ISGFillKind::TransparentTexture:
      return textured(set.transparentTexture, false);
    case ISGFillKind::ShadedTexture:
      return textured(set.shadedTexture, true);
    case ISGFillKind::ShadedTransparentTexture:
      return textured(set.shadedTransparentTexture, true);
    case ISGFillKind::None:
      break;
  }
  return ISGFillChoice{};
}

SGError ISGEPSetMaterial16(SGRenderer* rend, SGScene*, SGMaterial* mat, std::uint32_t type) {
  ISG_ASSERT((mat != rend->renObjMaterial) || (type != rend->renObjMatType), "eprendi.c");
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  // Without the buffer's colour table no fill has a colour to draw with.
  if (!IsQuasi16(fb) || fb->fbPixelTable == nullptr) {
    return SG_ERROR_UNSUPPORTED;
  }
  const bool noTextures = (ContextDebug(rend) & SG_CTX_DEBUG_NO_TEXTURES) != 0;
  const auto* pixels = static_cast<const std::uint16_t*>(fb->fbPixelTable);
  const void* colourEntry = &pixels[mat->matColour & 0xFF];
  const SGTextureMap* txm = mat->matTexMap;
  const void* colourTable = pixels;
  const void* texels = nullptr;
  std::uint32_t size = kNumSizes;
  if (txm != nullptr && txm->txmInfo != nullptr) {
    texels = txm->txmInfo->tpiTexels;
    size = ISGFillSizeIndex(txm);
    const SGTexturePalette* pal = txm->txmInfo->tpiPal;
    if (pal != nullptr && pal->tpMapped != nullptr) {
      colourTable = pal->tpMapped;
    }
  }
  const bool fogged = (type & SG_MAT_TYPE_FOG) != 0;
  const std::uint8_t* table = fogged ? rend->renFogLUT : rend->renShadeLUT;
  const ISGFillChoice shaded{ISGFill16Shaded, nullptr, table, colourEntry, false, true};
  const ISGFillChoice c =
      ISGFillChoose(ISGFillKindOf(type, noTextures),
                    ISGFillSet{
                        .flat = {ISGFill16Flat, nullptr, nullptr, colourEntry},
                        .shaded = shaded,
                        .shadedTransparent = {ISGFill16ShadedTransparent, nullptr, table, colourEntry, false, true},
                        .foggedColour = shaded,
                        .texture = &kTexture,
                        .transparentTexture = &kTransparentTexture,
                        .shadedTexture = &kShadedTexture,
                        .shadedTransparentTexture = &kShadedTransparentTexture,
                        .texels = texels,
                        .size = size,
                        .lut = table,
                        .colour = colourTable,
                    });
  return ISGEPApplyFill(rend, mat, type, c, ISGFill16Flat);
}

SGError ISGEPApplyFill(SGRenderer* rend, SGMaterial* mat, std::uint32_t type, ISGFillChoice c, ISGTriFill flat) {
  // A shaded fill without its table would read nothing: no fill either.
  if (c.fill == nullptr || (c.needsLut && c.lut == nullptr)) {
    return SG_ERROR_UNSUPPORTED;
  }
  if ((ContextDebug(rend) & SG_CTX_DEBUG_TRI_COLOURS) != 0) {
    c = ISGFillChoice{flat, nullptr, nullptr, &rend->renTriCount};
  }
  if (c.textured) {
    rend->renOptions |= SG_REND_OPT_TEXTURED_FILL;
  } else {
    rend->renOptions &= ~SG_REND_OPT_TEXTURED_FILL;
  }
  rend->renTriFill = c.fill;
  rend->renTriFillList = ISGFill16ListOf(c.fill);
  rend->renFillTexels = c.texels;
  rend->renFillLUT = c.lut;
  rend->renFillColour = c.colour;
  rend->renObjMaterial = mat;
  rend->renObjMatType = type;
  return SG_ERROR_NONE;
}

SGError ISGEPDrawTriangle(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** triple) {
  std::uint32_t andFlags = triple[0]->txvFlags & triple[1]->txvFlags & triple[2]->txvFlags;
  std::uint32_t orFlags = triple[0]->txvFlags | triple[1]->txvFlags | triple[2]->txvFlags;
  if ((andFlags & SG_XFORM_FLAG_CLIP_MASK) != 0 || (orFlags & SG_XFORM_FLAG_NEAR_CLIP) != 0) {
    return SG_ERROR_NONE;
  }
  return isg_ep::DrawAccepted(rend, scene, mat, triple, orFlags);
}

SGError ISGRendererSetTerrainFill(SGRenderer* rend, std::uint32_t on, SGTextureMap* txm) {
  ISG_ASSERT(!rend->renD3D, "renderer.c");
  if (txm == rend->renTerrTexture) {
    return SG_ERROR_NONE;
  }
  rend->renTerrTexture = txm;
  if (on == 0) {
    rend->renFlags &= ~SG_REND_FLAG_TERRAIN_TEX;
    rend->renTerrTexture = nullptr;
    rend->renTerrTextureWidth = 0;
    rend->renTerrWord[0] = rend->renTerrWord[1] = 0;
    return SG_ERROR_NONE;
  }
  if ((rend->renFlags & SG_REND_FLAG_SOFTWARE) == 0) {
    return SG_ERROR_NONE;
  }
  const std::uint32_t width = txm->txmSize.u[0];
  std::uint32_t member = kNumSizes;
  for (std::uint32_t i = 0; i < 6; ++i) {
    if (kSizeKeys[i] == ((width << 10) | width)) {
      member = i;
    }
  }
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  const bool indexed8 = fb->fbMode == SG_FB_MODE_IDX && fb->fbBPP == 8;
  if (member == kNumSizes || (!IsQuasi16(fb) && !indexed8)) {
    return SG_ERROR_UNSUPPORTED;
  }
  const bool keyed = (txm->txmFormat & SG_TXM_KEYED) != 0;
  if (!indexed8) {
    rend->renTerrFill = keyed ? kTransparentTexture[member] : kTexture[member];
    rend->renTerrShadedFill = keyed ? kShadedTransparentTexture[member] : kShadedTexture[member];
  } else {
    ISGTerrainFills8(member, keyed, (rend->renOptions & SG_REND_OPT_DITHER_TERRAIN) != 0, &rend->renTerrFill,
                     &rend->renTerrShadedFill);
  }
  rend->renFlags |= SG_REND_FLAG_TERRAIN_TEX;
  rend->renTerrTextureWidth = width;
  return SG_ERROR_NONE;
}
