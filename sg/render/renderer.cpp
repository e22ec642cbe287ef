// The renderer record: creation, binding, options, fog, the transform stack
// and the per-frame vertex pools.

#include "sg/render/renderer.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/model/model.h"
#include "sg/render/horizon.h"
#include "sg/render/primitives.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/terrain.h"

std::uint32_t g_sgTriDrawFirst = 0;
std::uint32_t g_sgTriDrawLast = 0xFFFFFFFF;

namespace {

std::uint32_t g_slotMask = 0;

constexpr std::uint32_t kQVertStep = 500;

void ReleaseSlot(std::uint32_t slot) { g_slotMask &= ~(1u << slot); }

void FreePool(SGRenderer* rend) {
  if (rend->renTxvBlocks != nullptr) {
    for (std::uint32_t i = 0; i < rend->renTxvNumBlocks; ++i) {
      SGFree(rend->renTxvBlocks[i]);
    }
  }
  SGFree(rend->renTxvBlocks);
  rend->renTxvBlocks = nullptr;
}

void FreeAll(SGRenderer* rend) {
  ReleaseSlot(rend->renSlot);
  SGFree(rend->renXformStack);
  SGFree(rend->renInverseStack);
  FreePool(rend);
  SGFree(rend->renFogLUT);
  SGFree(rend->renShadeLUT);
  SGFree(rend->renQVerts);
  SGFree(rend->renAlphaIndex);
  SGFree(rend->renAlphaLUT);
  ISGRendererFreeHorizon(rend);
  SGFree(rend);
}

void SetShadeScaleForBuffer(SGRenderer* rend) {
  rend->renShadeScale = rend->renFrameBuffer->fbMode == SG_FB_MODE_IDX ? 480 : 8160;
}

bool ContainsNoCase(const char* text, const char* word) {
  const std::size_t n = std::strlen(word);
  for (; *text != '\0'; ++text) {
    std::size_t i = 0;
    while (i < n && text[i] != '\0' && (text[i] | 0x20) == (word[i] | 0x20)) {
      ++i;
    }
    if (i == n) {
      return true;
    }
  }
  return false;
}

// renXform = top of the stack times the camera matrix (the camera's alone at 0).
void RebuildXform(SGRenderer* rend) {
  if (rend->renXformStackTop == 0) {
    rend->renXform = rend->renCameraXform;
  } else {
    SGMatrixMultAffine(&rend->renXform, &rend->renXformStack[rend->renXformStackTop], &rend->renCameraXform);
  }
}

}  // namespace

SGError SGRendererCreate(SGContext* ctx, SGRenderer** out) {
  std::uint32_t slot = 0;
  while (slot < SG_REND_MAX_SLOTS && (g_slotMask & (1u << slot)) != 0) {
    ++slot;
  }
  if (slot == SG_REND_MAX_SLOTS) {
    return SG_ERROR_NO_SLOT;
  }
  auto* rend = static_cast<SGRenderer*>(SGCalloc(1, sizeof(SGRenderer)));
  if (rend == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  g_slotMask |= 1u << slot;
  rend->renContext = ctx;
  rend->renSlot = slot;
  rend->renTxvBlockSize = 2048;
  rend->renTxvNumBlocks = 4;
  rend->renFrameNum = slot << 24;
  rend->renLODScale = 1.f;
  rend->renShadeScale = 16;
  rend->renLODSelect = ISGRendererSelectLOD;
  rend->renXformStackSize = 8;
  rend->renOptions = SG_REND_OPTIONS_DEFAULT;
  rend->renTxvBlocks = static_cast<SGTxVertex**>(SGCalloc(rend->renTxvNumBlocks, sizeof(SGTxVertex*)));
  if (rend->renTxvBlocks != nullptr) {
    rend->renTxvBlocks[0] = static_cast<SGTxVertex*>(SGCalloc(rend->renTxvBlockSize, sizeof(SGTxVertex)));
  }
  rend->renXformStack = static_cast<SGMatrix*>(SGMalloc(sizeof(SGMatrix) * rend->renXformStackSize));
  rend->renInverseStack = static_cast<SGMatrix*>(SGMalloc(sizeof(SGMatrix) * rend->renXformStackSize));
  if (rend->renTxvBlocks == nullptr || rend->renTxvBlocks[0] == nullptr || rend->renXformStack == nullptr ||
      rend->renInverseStack == nullptr) {
    FreeAll(rend);
    return SG_ERROR_NO_MEMORY;
  }
  SGMatrixIdentity(&rend->renXformStack[0]);
  SGMatrixIdentity(&rend->renInverseStack[0]);
  ISGRendererResetTxVerts(rend);
  *out = rend;
  return SG_ERROR_NONE;
}

SGError SGRendererDestroy(SGRenderer* rend) {
  if (rend->renFrameBuffer != nullptr && rend->renFrameBuffer->fbRenderer == rend) {
    rend->renFrameBuffer->fbRenderer = nullptr;
  }
  ISGLodDestroy(rend);
  ISGTerrainDrawDestroy(rend);
  ISGD3DDestroyDevice(rend);
  FreeAll(rend);
  return SG_ERROR_NONE;
}

SGError SGRendererSetFrameBuffer(SGRenderer* rend, SGFrameBuffer* fb) {
  rend->renFrameBuffer = fb;
  fb->fbRenderer = rend;
  if (fb->fbDDI != nullptr && fb->fbDDI->ddiDevice != nullptr && ContainsNoCase(fb->fbDDI->ddiDevice, "3dfx")) {
    rend->renFlags = (rend->renFlags & ~SG_REND_FLAG_NOT_3DFX) | SG_REND_FLAG_PIXEL_CENTRED;
  }
  if ((fb->fbFlags & SG_FB_FLAG_OFFSCREEN) != 0) {
    rend->renFlags |= SG_REND_FLAG_OFFSCREEN_FB;
  }
  if (fb->fbMode != SG_FB_MODE_IDX) {
    rend->renShadeScale = 256;
  }
  // A frame buffer without hardware 3D leaves the context's device alone: another
  // renderer of the context may be drawing with it.
  if ((fb->fbFlags & SG_FB_FLAG_NO_3D) == 0) {
    if (ISGD3DCreateDevice(rend) != SG_ERROR_NONE) {
      fb->fbFlags |= SG_FB_FLAG_NO_3D;
    }
    if (rend->renContext != nullptr) {
      rend->renContext->ctxD3D = rend->renD3D;
    }
  }
  if (rend->renD3D != nullptr) {
    ISGD3DInstallMethods(rend);
    return SG_ERROR_NONE;
  }
  if ((rend->renFlags & SG_REND_FLAG_SOFTWARE) != 0) {
    ISGRendererInstallSoftware(rend);
    SetShadeScaleForBuffer(rend);
  }
  return SG_ERROR_NONE;
}

SGError SGRendererEnableSoftwarePrimitives(SGRenderer* rend, std::uint32_t on) {
  if (rend->renD3D != nullptr) {
    return SG_ERROR_NONE;
  }
  if ((rend->renFlags & SG_REND_FLAG_FRAME_OPEN) != 0) {
    return SG_ERROR_DRAWING;
  }
  ISG_ASSERT(rend->renFrameBuffer, "renderer.c");
  if (on != 0) {
    rend->renFlags |= SG_REND_FLAG_SOFTWARE;
    ISGRendererInstallSoftware(rend);
    SetShadeScaleForBuffer(rend);
  }
  rend->renCamera = nullptr;
  rend->renViewData = nullptr;
  return SG_ERROR_NONE;
}

SGError SGRendererSetOptions(SGRenderer* rend, std::uint32_t bits) {
  rend->renFlags |= bits & SG_REND_OPTION_MASK;
  return SG_ERROR_NONE;
}

SGError SGRendererClearOptions(SGRenderer* rend, std::uint32_t bits) {
  rend->renFlags &= ~(bits & SG_REND_OPTION_MASK);
  return SG_ERROR_NONE;
}

SGError SGRendererToggleOptions(SGRenderer* rend, std::uint32_t bits) {
  rend->renFlags ^= bits & SG_REND_OPTION_MASK;
  return SG_ERROR_NONE;
}

SGError SGRendererSetRenderOptions(SGRenderer* rend, std::uint32_t bits) {
  rend->renOptions |= bits;
  return SG_ERROR_NONE;
}

SGError SGRendererClearRenderOptions(SGRenderer* rend, std::uint32_t bits) {
  rend->renOptions &= ~bits;
  return SG_ERROR_NONE;
}

SGError SGRendererToggleRenderOptions(SGRenderer* rend, std::uint32_t bits) {
  rend->renOptions ^= bits;
  return SG_ERROR_NONE;
}

SGError SGRendererSetFog(SGRenderer* rend, const std::uint32_t* colour, float far) {
  ISG_ASSERT(far > 0.f, "renderer.c");
  rend->renFogColour = *colour;
  rend->renFogFar = far;
  rend->renFogRecip = 1.f / far;
  rend->renFlags |= SG_REND_FLAG_FOG;
  return ISGRendererApplyD3DFog(rend);
}

SGError SGRendererSetFogLUT(SGRenderer* rend, std::uint8_t* table) {
  rend->renFogLUT = table;
  return SG_ERROR_NONE;
}

SGError SGRendererSetShadeLUT(SGRenderer* rend, std::uint8_t* table) {
  rend->renShadeLUT = table;
  return SG_ERROR_NONE;
}

SGError SGRendererSetAltFog(SGRenderer* rend, const std::uint32_t* colour, float far) {
  rend->renAltFogColour = *colour;
  rend->renAltFogFar = far;
  rend->renFlags |= SG_REND_FLAG_ALT_FOG;
  return SG_ERROR_NONE;
}

SGError ISGRendererSwapFog(SGRenderer* rend) {
  if ((rend->renFlags & (SG_REND_FLAG_FOG_OVERRIDE | SG_REND_FLAG_ALL_FOGGED)) != 0) {
    return SG_ERROR_NONE;
  }
  std::swap(rend->renFogColour, rend->renAltFogColour);
  std::swap(rend->renFogFar, rend->renAltFogFar);
  std::swap(rend->renFogLUT, rend->renAltFogLUT);
  rend->renFogRecip = rend->renFogFar > 0.f ? 1.f / rend->renFogFar : 0.f;
  return ISGRendererApplyD3DFog(rend);
}

SGError ISGRendererApplyD3DFog(SGRenderer* rend) {
  // Only a Direct3D device keeps fog of its own; the software fills read the tables.
  if (rend->renD3D == nullptr || rend->renViewData == nullptr) {
    return SG_ERROR_NONE;
  }
  return (rend->renFlags & SG_REND_FLAG_FRAME_OPEN) != 0 ? ISGD3DSetFogColour(rend) : ISGD3DApplyFog(rend);
}

SGError SGRendererPushXform(SGRenderer* rend, const SGMatrix* m) {
  const std::uint32_t top = rend->renXformStackTop + 1;
  if (top >= rend->renXformStackSize) {
    const std::uint32_t size = rend->renXformStackSize * 2;
    auto* stack = static_cast<SGMatrix*>(SGRealloc(rend->renXformStack, sizeof(SGMatrix) * size));
    if (stack == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    rend->renXformStack = stack;
    auto* inverse = static_cast<SGMatrix*>(SGRealloc(rend->renInverseStack, sizeof(SGMatrix) * size));
    if (inverse == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    rend->renInverseStack = inverse;
    rend->renXformStackSize = size;
  }
  rend->renXformStackTop = top;
  SGMatrixMultiplyAffine(&rend->renXformStack[top], m, &rend->renXformStack[top - 1]);
  RebuildXform(rend);
  if ((rend->renFlags & SG_REND_FLAG_AFFINE_INVERSE) != 0) {
    return SGMatrixInvertAffine(&rend->renInverseStack[top], &rend->renXformStack[top]);
  }
  if ((rend->renFlags & SG_REND_FLAG_INVERSE) != 0) {
    return SGMatrixInvert(&rend->renInverseStack[top], &rend->renXformStack[top]);
  }
  return SG_ERROR_NONE;
}

SGError SGRendererPopXform(SGRenderer* rend) {
  ISG_ASSERT(rend->renXformStackTop != 0, "renderer.c");
  --rend->renXformStackTop;
  RebuildXform(rend);
  return SG_ERROR_NONE;
}

SGError SGRendererResetXform(SGRenderer* rend) {
  rend->renXform = rend->renCameraXform;
  rend->renXformStackTop = 0;
  rend->renFlags &= ~(SG_REND_FLAG_INVERSE | SG_REND_FLAG_AFFINE_INVERSE);
  return SG_ERROR_NONE;
}

SGError SGRendererSetInverseMode(SGRenderer* rend, std::uint32_t mode) {
  if (rend->renXformStackTop != 0) {
    return SG_ERROR_STACK_NOT_EMPTY;
  }
  if (mode == 1) {
    rend->renFlags |= SG_REND_FLAG_INVERSE;
  } else if (mode == 2) {
    rend->renFlags |= SG_REND_FLAG_INVERSE | SG_REND_FLAG_AFFINE_INVERSE;
  } else if (mode == 0) {
    rend->renFlags &= ~SG_REND_FLAG_INVERSE;
  }
  return SG_ERROR_NONE;
}

SGError SGRendererGetCameraXform(SGRenderer* rend, SGMatrix** out) {
  *out = &rend->renCameraXform;
  return SG_ERROR_NONE;
}

SGError SGRendererGetXform(SGRenderer* rend, SGMatrix** out) {
  *out = &rend->renXform;
  return SG_ERROR_NONE;
}

SGError ISGRendererGetModelXform(SGRenderer* rend, SGMatrix** out) {
  *out = &rend->renXformStack[rend->renXformStackTop];
  return SG_ERROR_NONE;
}

SGError SGRendererGetInverseXform(SGRenderer* rend, SGMatrix** out) {
  if ((rend->renFlags & (SG_REND_FLAG_INVERSE | SG_REND_FLAG_AFFINE_INVERSE)) == 0) {
    return SG_ERROR_NO_INVERSE;
  }
  *out = &rend->renInverseStack[rend->renXformStackTop];
  return SG_ERROR_NONE;
}

SGError SGRendererGetTerrainTexture(const SGRenderer* rend, std::uint32_t* on, SGTextureMap** out) {
  const bool set = (rend->renFlags & SG_REND_FLAG_TERRAIN_TEX) != 0;
  *on = set ? 1 : 0;
  *out = set ? rend->renTerrTexture : nullptr;
  return SG_ERROR_NONE;
}

SGError SGRendererSetLODSelect(SGRenderer* rend, SGLODSelectFn fn) {
  rend->renLODSelect = fn;
  return SG_ERROR_NONE;
}

SGError SGRendererSetWord(SGRenderer* rend, std::uint32_t value) {
  rend->renWord = value;
  return SG_ERROR_NONE;
}

SGError SGRendererCopyFrameNum(const SGRenderer* rend, SGRenderer* offscreen) {
  const std::uint32_t frame = rend->renFrameNum & 0xFFFFFF;
  ISG_ASSERT(frame != 0, "renderer.c");
  offscreen->renFrameNum = (offscreen->renSlot << 24) | (frame - 1);
  return SG_ERROR_NONE;
}

SGError ISGRendererNewTxVert(SGRenderer* rend, SGTxVertex** out) {
  SGTxVertex* block = rend->renTxvBlocks[rend->renTxvBlock];
  if (rend->renTxvNext == block + rend->renTxvBlockSize) {
    std::uint32_t next = rend->renTxvBlock + 1;
    if (next >= rend->renTxvNumBlocks) {
      const std::uint32_t count = rend->renTxvNumBlocks * 2;
      auto* table = static_cast<SGTxVertex**>(SGRealloc(rend->renTxvBlocks, sizeof(SGTxVertex*) * count));
      if (table == nullptr) {
        return SG_ERROR_NO_MEMORY;
      }
      for (std::uint32_t i = rend->renTxvNumBlocks; i < count; ++i) {
        table[i] = nullptr;
      }
      rend->renTxvBlocks = table;
      rend->renTxvNumBlocks = count;
    }
    if (rend->renTxvBlocks[next] == nullptr) {
      rend->renTxvBlocks[next] = static_cast<SGTxVertex*>(SGCalloc(rend->renTxvBlockSize, sizeof(SGTxVertex)));
      if (rend->renTxvBlocks[next] == nullptr) {
        return SG_ERROR_NO_MEMORY;
      }
    }
    rend->renTxvBlock = next;
    rend->renTxvNext = rend->renTxvBlocks[next];
  }
  SGTxVertex* txv = rend->renTxvNext++;
  txv->txvFlags = 0;
  txv->txvConverted = 0;
  txv->txvTexture = nullptr;
  std::memset(txv->txvColour, 0, sizeof(txv->txvColour));
  *out = txv;
  return SG_ERROR_NONE;
}

SGError ISGRendererResetTxVerts(SGRenderer* rend) {
  if (rend->renTxvBlock > 0) {
    // Several blocks were needed: one block of their total size takes their
    // place, so that the next frame fits in it and allocates nothing.
    const std::uint32_t used = rend->renTxvBlock + 1;
    auto* merged =
        static_cast<SGTxVertex*>(SGCalloc(static_cast<std::size_t>(rend->renTxvBlockSize) * used, sizeof(SGTxVertex)));
    if (merged != nullptr) {
      for (std::uint32_t i = 0; i < rend->renTxvNumBlocks; ++i) {
        SGFree(rend->renTxvBlocks[i]);
        rend->renTxvBlocks[i] = nullptr;
      }
      rend->renTxvBlocks[0] = merged;
      rend->renTxvBlockSize *= used;
    }
  }
  rend->renTxvBlock = 0;
  rend->renTxvNext = rend->renTxvBlocks[0];
  return SG_ERROR_NONE;
}

std::uint32_t ISGRendererNewQVert(SGRenderer* rend) {
  if (rend->renNextQVert == rend->renNumQVerts) {
    const std::uint32_t count = rend->renNumQVerts + kQVertStep;
    auto* grown = static_cast<SGQVert*>(SGRealloc(rend->renQVerts, sizeof(SGQVert) * count));
    if (grown == nullptr) {
      return 0xFFFFFFFF;
    }
    rend->renQVerts = grown;
    rend->renNumQVerts = count;
  }
  ISG_ASSERT(rend->renQVerts, "renderer.c");
  ISG_ASSERT(rend->renNumQVerts > 0, "renderer.c");
  return rend->renNextQVert++;
}

std::uint32_t ISGRendererSelectLOD(SGRenderer* rend, SGInstance* inst, const double eye[3], std::uint32_t* out) {
  double d[3];
  if (inst->instScene != nullptr) {
    for (int k = 0; k < 3; ++k) {
      d[k] = inst->instPos[k] - eye[k];
    }
  } else {
    const SGMatrix& m = rend->renXformStack[rend->renXformStackTop];
    for (int k = 0; k < 3; ++k) {
      d[k] = inst->instPos[0] * m.m[0][k] + inst->instPos[1] * m.m[1][k] + inst->instPos[2] * m.m[2][k] + m.m[3][k];
    }
  }
  double dist = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  dist *= inst->instLODFactor * rend->renLODScale;
  std::uint32_t index = 0;
  const auto* mi = static_cast<const SGModelInst*>(inst->instData);
  const SGModel* model = mi != nullptr ? mi->miModel : nullptr;
  if (model != nullptr) {
    for (std::uint32_t i = model->modNumLods; i-- > 0;) {
      if (model->modLods[i].mdlDistance <= dist) {
        index = i;
        break;
      }
    }
  }
  if ((rend->renFlags & SG_REND_FLAG_MIN_LOD) != 0 && index < inst->instMinLOD) {
    index = inst->instMinLOD;
  }
  *out = index;
  return index;
}

void ISGRendererInstallSoftware(SGRenderer* rend) {
  rend->renMethods.rmTransformVertex = ISGTransformVertex;
  rend->renMethods.rmDrawPoints = ISGEPDrawPoints;
  rend->renMethods.rmDrawLines = ISGEPDrawLines;
  rend->renMethods.rmClipLine = ISGClipLine;
  rend->renMethods.rmDrawTriangle = ISGEPDrawTriangle;
  rend->renMethods.rmClipTriangle = ISGClipTriangle;
}
