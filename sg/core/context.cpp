#include "sg/core/context.h"

#include <cstring>

#include "sg/core/apphooks.h"
#include "sg/core/datapath.h"
#include "sg/core/hash.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/d3d/sgd3d.h"
#include "sg/fb/framebuffer.h"
#include "sg/material/material.h"
#include "sg/raster/ddinfo.h"

SGHashTable* g_sgColourIndexTable = nullptr;

namespace {

const SGD3DEntryPoints* g_d3dEntry = nullptr;
std::uint32_t g_liveContexts = 0;

bool D3DUsable(const SGContext* ctx) {
  if (ctx->ctxD3D == nullptr) {
    return false;
  }
  ISG_ASSERT(g_d3dEntry, "context");
  return g_d3dEntry->usable(ctx->ctxD3D);
}

// Rewrites a 32-bit texture in place as one palette index per texel, giving each
// colour not seen before the next free palette entry (index 0 once all are used).
SGError IndexTrueColour(SGContext* ctx, SGTextureMap* txm) {
  ISG_ASSERT(ctx->ctxPalette, "context");
  if (g_sgColourIndexTable == nullptr) {
    const SGError err = SGHashCreate(&g_sgColourIndexTable, 256, SG_HASH_KEY_INT);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  std::uint8_t* texels = txm->txmInfo->tpiTexels;
  const std::size_t count = static_cast<std::size_t>(txm->txmSize.u[0]) * txm->txmSize.u[1];
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* t = texels + 4 * i;
    t[3] = 0;
    const std::uint32_t word =
        t[0] | (static_cast<std::uint32_t>(t[1]) << 8) | (static_cast<std::uint32_t>(t[2]) << 16);
    SGHashValue index = 0;
    const SGError err = SGHashFind(g_sgColourIndexTable, word, &index);
    if (err == SG_ERROR_HASH_NOT_FOUND) {
      index = 0;
      if (ctx->ctxPaletteUsed < 256) {
        index = ctx->ctxPaletteUsed++;
        SGPalEntry& e = ctx->ctxPalette[index];
        e.red = t[0];
        e.green = t[1];
        e.blue = t[2];
        const SGError ins = SGHashInsert(g_sgColourIndexTable, word, index);
        if (ins != SG_ERROR_NONE) {
          return ins;
        }
      }
    } else if (err != SG_ERROR_NONE) {
      return err;
    }
    ISG_ASSERT(index == 0 || (ctx->ctxPalette[index].red == t[0] && ctx->ctxPalette[index].green == t[1] &&
                              ctx->ctxPalette[index].blue == t[2]),
               "context");
    texels[i] = static_cast<std::uint8_t>(index);
  }
  return SG_ERROR_NONE;
}

// Keeps the index of each (index, alpha) texel whose alpha is at least 128 and 0
// otherwise, one byte per texel from the start of the block.
void CompactIndexAlpha(SGTextureMap* txm) {
  std::uint8_t* texels = txm->txmInfo->tpiTexels;
  std::uint8_t* dst = texels;
  for (std::uint32_t row = 0; row < txm->txmSize.u[1]; ++row) {
    const std::uint8_t* src = texels + static_cast<std::size_t>(row) * txm->txmPitch;
    for (std::uint32_t col = 0; col < txm->txmSize.u[0]; ++col) {
      *dst++ = src[2 * col + 1] >= 128 ? src[2 * col] : 0;
    }
  }
  txm->txmFormat = (txm->txmFormat & ~1u) | 2u | SG_TXM_KEYED;
}

SGError Prepare8(SGContext* ctx, SGTextureMap* txm) {
  const bool d3d = D3DUsable(ctx);
  switch (txm->txmFormat & SG_TXM_FORMAT_MASK) {
    case SG_TXM_FORMAT_RGBA32: {
      const SGError err = IndexTrueColour(ctx, txm);
      if (err != SG_ERROR_NONE) {
        return err;
      }
      if (d3d) {
        g_d3dEntry->createTexture8(ctx, txm);
      }
      return SG_ERROR_NONE;
    }
    case SG_TXM_FORMAT_IDX8:
    case SG_TXM_FORMAT_IDX8_B:
    case SG_TXM_FORMAT_IDX8_KEYED:
    case SG_TXM_FORMAT_PAL8:
    case SG_TXM_FORMAT_PAL8_B:
    case SG_TXM_FORMAT_PAL8_KEYED:
      if (txm->txmInfo->tpiPal != nullptr) {
        if (d3d) {
          // The mapped table stays the software fills' own, for what they
          // draw beside the device; the device reads the palette's colours.
          ISGContextMapPalette(ctx, txm);
          g_d3dEntry->createTexture8(ctx, txm);
        } else {
          // A palette that cannot be mapped would leave the fills without colours.
          return ISGContextMapPalette(ctx, txm);
        }
      } else if (d3d) {
        g_d3dEntry->createTexture8(ctx, txm);
      }
      return SG_ERROR_NONE;
    case SG_TXM_FORMAT_IDX8_ALPHA:
      if (ctx->ctxD3D != nullptr) {
        ISG_ASSERT(g_d3dEntry, "context");
        g_d3dEntry->createTexture16(ctx, txm);
      } else {
        CompactIndexAlpha(txm);
      }
      return SG_ERROR_NONE;
    default:
      return SG_ERROR_UNSUPPORTED;
  }
}

SGError Prepare16(SGContext* ctx, SGTextureMap* txm) {
  const bool d3d = D3DUsable(ctx);
  switch (txm->txmFormat & SG_TXM_FORMAT_MASK) {
    case SG_TXM_FORMAT_RGBA32:
      return SG_ERROR_NONE;
    case SG_TXM_FORMAT_IDX8:
    case SG_TXM_FORMAT_IDX8_ALPHA:
    case SG_TXM_FORMAT_IDX8_B:
    case SG_TXM_FORMAT_IDX8_KEYED:
    case SG_TXM_FORMAT_PAL8:
    case SG_TXM_FORMAT_PAL8_B:
    case SG_TXM_FORMAT_PAL8_KEYED:
      if (d3d) {
        if (txm->txmInfo->tpiPal != nullptr) {
          const SGError err = ISGContextMapPalette(ctx, txm);
          if (err != SG_ERROR_NONE) {
            return err;
          }
        }
        return g_d3dEntry->createTexture16(ctx, txm);
      }
      // Without a usable device the texture is drawn through its own palette.
      if (txm->txmInfo->tpiPal == nullptr) {
        return SG_ERROR_UNSUPPORTED;
      }
      return ISGContextMapPalette(ctx, txm);
    default:
      return SG_ERROR_UNSUPPORTED;
  }
}

}  // namespace

void ISGD3DSetEntryPoints(const SGD3DEntryPoints* entry) { g_d3dEntry = entry; }

const SGD3DEntryPoints* ISGD3DEntry() { return g_d3dEntry; }

SGError SGContextCreate(SGContext** out) {
  auto* ctx = static_cast<SGContext*>(SGCalloc(1, sizeof(SGContext)));
  if (ctx == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  ctx->ctxBufferSize = 1024;
  ctx->ctxBuffer = static_cast<std::uint8_t*>(SGMalloc(ctx->ctxBufferSize));
  if (ctx->ctxBuffer == nullptr) {
    SGFree(ctx);
    return SG_ERROR_NO_MEMORY;
  }
  // The buffer starts empty and keeps its last byte a terminator, so a hook that
  // writes nothing (or too much) still leaves a bounded name.
  char name[SG_CONTEXT_NAME_MAX + 1] = {};
  if (ISGCallContextNameHook(name, sizeof(name)) == nullptr) {
    SGFree(ctx->ctxBuffer);
    SGFree(ctx);
    return SG_ERROR_CONTEXT_NAME;
  }
  name[SG_CONTEXT_NAME_MAX] = '\0';
  const std::size_t len = std::strlen(name) + 1;
  ctx->ctxName = static_cast<char*>(SGMalloc(len));
  if (ctx->ctxName == nullptr) {
    SGFree(ctx->ctxBuffer);
    SGFree(ctx);
    return SG_ERROR_NO_MEMORY;
  }
  std::memcpy(ctx->ctxName, name, len);
  ++g_liveContexts;
  *out = ctx;
  return SG_ERROR_NONE;
}

SGError SGContextDestroy(SGContext* ctx) {
  SGFree(ctx->ctxBuffer);
  SGFree(ctx->ctxName);
  SGFree(ctx);
  if (--g_liveContexts == 0 && g_sgColourIndexTable != nullptr) {
    SGHashDestroy(g_sgColourIndexTable);
    g_sgColourIndexTable = nullptr;
  }
  return SG_ERROR_NONE;
}

SGError SGContextSetParam(SGContext* ctx, std::uint32_t param) {
  ctx->ctxParam = param;
  return SG_ERROR_NONE;
}

SGError SGContextSetParamPair(SGContext* ctx, const std::uint32_t pair[2]) {
  ctx->ctxParamPair[0] = pair[0];
  ctx->ctxParamPair[1] = pair[1];
  return SG_ERROR_NONE;
}

SGError SGContextSetDebug(SGContext* ctx, std::uint32_t flags) {
  ctx->ctxDebug = flags;
  if ((flags & SG_CTX_DEBUG_LOG) != 0) {
    if (ctx->ctxDebugLog == nullptr) {
      ctx->ctxDebugLog = ISGFileOpen("debug.log", "w+");
      if (ctx->ctxDebugLog == nullptr) {
        ctx->ctxDebug &= ~SG_CTX_DEBUG_LOG;
      }
    }
  } else if (ctx->ctxDebugLog != nullptr) {
    std::fclose(ctx->ctxDebugLog);
    ctx->ctxDebugLog = nullptr;
  }
  return SG_ERROR_NONE;
}

SGError SGContextSetMaxTextureSize(SGContext* ctx, std::uint32_t width, std::uint32_t height) {
  if (ctx->ctxD3D != nullptr) {
    ISG_ASSERT(g_d3dEntry, "context");
    g_d3dEntry->setMaxTextureSize(ctx, width, height);
  }
  return SG_ERROR_NONE;
}

SGError SGContextPrepareTexture(SGContext* ctx, SGTextureMap* txm) {
  const std::uint32_t prep = ctx->ctxDDI != nullptr ? ctx->ctxDDI->ddiTexPrep : SG_DDI_TEXPREP_PAL8;
  SGError err = SG_ERROR_UNSUPPORTED;
  if (prep == SG_DDI_TEXPREP_PAL8 || prep == SG_DDI_TEXPREP_PAL8_B) {
    err = Prepare8(ctx, txm);
  } else if (prep == SG_DDI_TEXPREP_D3D16) {
    err = Prepare16(ctx, txm);
  }
  if (err == SG_ERROR_NONE) {
    txm->txmContext = ctx;
  }
  return err;
}

SGError ISGContextReleaseTexture(SGTextureMap* txm) {
  // Without a Direct3D layer the device record can only be a frame buffer's
  // blit surface, made whether or not the texture was prepared.
  if (g_d3dEntry == nullptr && txm->txmInfo != nullptr) {
    ISGFrameBufferReleaseBlitSurface(txm);
  }
  if (txm->txmContext == nullptr) {
    return SG_ERROR_NONE;
  }
  if (txm->txmInfo != nullptr && txm->txmInfo->tpiDDInfo != nullptr) {
    ISG_ASSERT(g_d3dEntry, "context");
    g_d3dEntry->freeTexture(txm);
  }
  txm->txmContext = nullptr;
  return SG_ERROR_NONE;
}

SGError SGContextPrepareMaterial(SGContext* ctx, SGMaterial* mat) {
  ISG_ASSERT(mat && mat->matInfo, "context");
  if (mat->matInfo->maiScale == 0.f) {
    mat->matInfo->maiScale = 1.f;
  }
  if (ctx->ctxD3D != nullptr && !D3DUsable(ctx)) {
    // The texture is simply not drawn; the material keeps no claim on it, but its
    // reference is not released here.
    mat->matTexMap = nullptr;
  }
  if (mat->matTexMap != nullptr) {
    const SGError err = SGContextPrepareTexture(ctx, mat->matTexMap);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  if (ctx->ctxD3D != nullptr) {
    g_d3dEntry->createMaterial(ctx, mat);
  }
  return SG_ERROR_NONE;
}

SGError ISGContextReleaseMaterial(SGMaterial* mat) {
  if (mat->matTexMap != nullptr) {
    ISGContextReleaseTexture(mat->matTexMap);
  }
  if (mat->matInfo != nullptr && mat->matInfo->maiD3D != nullptr) {
    ISG_ASSERT(g_d3dEntry, "context");
    // The device material must not take the texture down with it.
    SGTextureMap* kept = mat->matTexMap;
    mat->matTexMap = nullptr;
    g_d3dEntry->freeMaterial(mat);
    mat->matTexMap = kept;
  }
  return SG_ERROR_NONE;
}

SGError ISGContextMapPalette(SGContext* ctx, SGTextureMap* txm) {
  SGTextureInfo* tpi = txm->txmInfo;
  ISG_ASSERT(tpi && tpi->tpiPal, "context");
  SGTexturePalette* pal = tpi->tpiPal;
  if (pal->tpMapped != nullptr) {
    return SG_ERROR_NONE;
  }
  const SGPixelFormat* pf = ctx->ctxDDI != nullptr ? ctx->ctxDDI->ddiPixelFormat : nullptr;
  ISG_ASSERT(pal && pf, "context");
  const bool wide = ctx->ctxDDI->ddiBPP != 16;
  // 256 entries whatever the palette's count, so any texel value maps to a pixel.
  void* table = SGCalloc(256, wide ? 4 : 2);
  if (table == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  for (std::uint32_t i = 0; i < pal->tpNumColours; ++i) {
    const SGPalEntry& c = pal->tpColours[i];
    const std::uint32_t pixel = ((static_cast<std::uint32_t>(c.red) >> (8 - pf->pfRedBits)) << pf->pfRedShift) |
                                ((static_cast<std::uint32_t>(c.green) >> (8 - pf->pfGreenBits)) << pf->pfGreenShift) |
                                ((static_cast<std::uint32_t>(c.blue) >> (8 - pf->pfBlueBits)) << pf->pfBlueShift);
    if (wide) {
      static_cast<std::uint32_t*>(table)[i] = pixel;
    } else {
      static_cast<std::uint16_t*>(table)[i] = static_cast<std::uint16_t>(pixel);
    }
  }
  pal->tpMapped = table;
  return SG_ERROR_NONE;
}

SGError ISGTextureExpandIndexed(const SGTextureMap* txm, const std::uint32_t* table, std::uint32_t* out) {
  const std::uint8_t* texels = txm->txmInfo->tpiTexels;
  for (std::uint32_t row = 0; row < txm->txmSize.u[1]; ++row) {
    const std::uint8_t* src = texels + static_cast<std::size_t>(row) * txm->txmPitch;
    for (std::uint32_t col = 0; col < txm->txmSize.u[0]; ++col) {
      *out++ = table[src[col]];
    }
  }
  return SG_ERROR_NONE;
}
