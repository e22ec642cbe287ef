// Software points and lines: single pixels and lines of a material's colour,
// shaded or fogged through the renderer's tables, straight into the frame buffer.

#include <cmath>

#include "sg/fb/framebuffer.h"
#include "sg/material/material.h"
#include "sg/raster/line.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"

namespace {

// The table row a primitive is drawn with (from its first vertex), or null
// when it is drawn in its own colour.
const std::uint8_t* Row(const SGRenderer* rend, const SGMaterial* mat, const SGTxVertex* txv) {
  const float scale = static_cast<float>(rend->renShadeScale);
  float value;
  const std::uint8_t* table;
  if ((txv->txvFlags & SG_TXV_SHADED) != 0) {
    value = (txv->txvShade * mat->matDiffuse + mat->matAmbient) * scale;
    table = rend->renShadeLUT;
  } else if ((txv->txvFlags & SG_TXV_FOGGED) != 0) {
    value = (1.f - txv->txvFog) * scale;
    table = rend->renFogLUT;
  } else {
    return nullptr;
  }
  if (table == nullptr) {
    return nullptr;
  }
  std::int32_t level = static_cast<std::int32_t>(std::lround(value));
  if (level < 0) {
    level = 0;
  }
  if (level != 0 && level >= rend->renShadeScale) {
    level = rend->renShadeScale - 1;
  }
  return table + static_cast<std::size_t>(level >> 5) * 256;
}

std::uint32_t Pack(const SGPixelFormat& pf, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return ((r >> (8 - pf.pfRedBits)) << pf.pfRedShift) | ((g >> (8 - pf.pfGreenBits)) << pf.pfGreenShift) |
         ((b >> (8 - pf.pfBlueBits)) << pf.pfBlueShift);
}

std::uint32_t MaterialColour16(const SGFrameBuffer* fb, const SGMaterial* mat) {
  const std::uint32_t c = mat->matColour;
  return Pack(fb->fbPixelFormat, (c >> 24) & 0xFF, (c >> 16) & 0xFF, (c >> 8) & 0xFF);
}

// Each channel of a 16-bit colour through the row's channel tables.
std::uint32_t ShadeColour16(const SGPixelFormat& pf, const std::uint8_t* row, std::uint32_t colour) {
  const std::uint32_t r = (colour & pf.pfRedMask) >> pf.pfRedShift;
  const std::uint32_t g = (colour & pf.pfGreenMask) >> pf.pfGreenShift;
  const std::uint32_t b = (colour & pf.pfBlueMask) >> pf.pfBlueShift;
  const std::uint32_t greenAt = 1u << pf.pfRedBits;
  const std::uint32_t blueAt = greenAt + (1u << pf.pfGreenBits);
  return ((row[r] << pf.pfRedShift) & pf.pfRedMask) | ((row[greenAt + g] << pf.pfGreenShift) & pf.pfGreenMask) |
         ((row[blueAt + b] << pf.pfBlueShift) & pf.pfBlueMask);
}

// The texel under a point's UV; textures repeat, so a UV of 1.0 wraps to the first texel.
std::uint8_t Texel(const SGTextureMap* txm, const SGTxVertex* txv) {
  const std::uint32_t w = txm->txmSize.u[0];
  const std::uint32_t h = txm->txmSize.u[1];
  const auto col = static_cast<std::int64_t>(std::lround(static_cast<double>(w) * txv->txvUV[0]));
  const auto row = static_cast<std::int64_t>(std::lround(static_cast<double>(h) * txv->txvUV[1]));
  const std::int64_t c = ((col % w) + w) % w;
  const std::int64_t r = ((row % h) + h) % h;
  return txm->txmInfo->tpiTexels[r * w + c];
}

bool HasTexels(const SGTextureMap* txm) {
  return txm != nullptr && txm->txmInfo != nullptr && txm->txmInfo->tpiTexels != nullptr && txm->txmSize.u[0] != 0 &&
         txm->txmSize.u[1] != 0;
}

}  // namespace

bool ISGClipSegmentToRect(float* x0, float* y0, float* x1, float* y1, float xmin, float ymin, float xmax, float ymax) {
  const float dx = *x1 - *x0;
  const float dy = *y1 - *y0;
  float t0 = 0.f;
  float t1 = 1.f;
  const float p[4] = {-dx, dx, -dy, dy};
  const float q[4] = {*x0 - xmin, xmax - *x0, *y0 - ymin, ymax - *y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.f) {
      if (q[i] < 0.f) {
        return false;
      }
      continue;
    }
    const float t = q[i] / p[i];
    if (p[i] < 0.f) {
      t0 = std::fmax(t0, t);
    } else {
      t1 = std::fmin(t1, t);
    }
  }
  if (t0 > t1) {
    return false;
  }
  const float sx = *x0, sy = *y0;
  *x0 = std::fmin(std::fmax(sx + t0 * dx, xmin), xmax);
  *y0 = std::fmin(std::fmax(sy + t0 * dy, ymin), ymax);
  *x1 = std::fmin(std::fmax(sx + t1 * dx, xmin), xmax);
  *y1 = std::fmin(std::fmax(sy + t1 * dy, ymin), ymax);
  return true;
}

std::int32_t ISGRoundPixel(float value) { return static_cast<std::int32_t>(std::lround(value)); }

SGError ISGEPDrawPoints(SGRenderer* rend, SGScene*, SGMaterial* mat, SGTxVertex** one) {
  SGFrameBuffer* fb = rend->renFrameBuffer;
  const SGTxVertex* txv = one[0];
  const std::int32_t x = static_cast<std::int32_t>(std::lround(txv->txvLoc[0])) >> 5;
  const std::int32_t y = static_cast<std::int32_t>(std::lround(txv->txvLoc[1])) >> 5;
  if (x < 0 || y < 0 || x >= static_cast<std::int32_t>(fb->fbWidth) || y >= static_cast<std::int32_t>(fb->fbHeight)) {
    return SG_ERROR_NONE;
  }
  const std::uint8_t* row = Row(rend, mat, txv);
  const SGTextureMap* txm = HasTexels(mat->matTexMap) ? mat->matTexMap : nullptr;
  void* pixels = nullptr;
  if (fb->fbMode == SG_FB_MODE_QUASI_RGB) {
    std::uint32_t colour;
    if (txm != nullptr) {
      const SGTexturePalette* pal = txm->txmInfo->tpiPal;
      const void* table = pal != nullptr && pal->tpMapped != nullptr ? pal->tpMapped : fb->fbPixelTable;
      if (table == nullptr) {
        return SG_ERROR_NONE;
      }
      colour = static_cast<const std::uint16_t*>(table)[Texel(txm, txv)];
    } else {
      colour = MaterialColour16(fb, mat);
    }
    if (row != nullptr) {
      colour = ShadeColour16(fb->fbPixelFormat, row, colour);
    }
    if (SGFrameBufferLock(fb, &pixels) == SG_ERROR_NONE) {
      auto* base = static_cast<std::uint16_t*>(fb->fbPixels);
      base[static_cast<std::ptrdiff_t>(y) * (fb->fbPitch >> 1) + x] = static_cast<std::uint16_t>(colour);
    }
  } else {
    std::uint8_t index = txm != nullptr ? Texel(txm, txv) : static_cast<std::uint8_t>(mat->matColour & 0xFF);
    if (row != nullptr) {
      index = row[index];
    }
    if (SGFrameBufferLock(fb, &pixels) == SG_ERROR_NONE) {
      static_cast<std::uint8_t*>(fb->fbPixels)[static_cast<std::ptrdiff_t>(y) * fb->fbPitch + x] = index;
    }
  }
  SGFrameBufferUnlock(fb);
  return SG_ERROR_NONE;
}

SGError ISGEPDrawLines(SGRenderer* rend, SGScene*, SGMaterial* mat, SGTxVertex** pair) {
  SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb->fbWidth == 0 || fb->fbHeight == 0) {
    return SG_ERROR_NONE;
  }
  const std::uint8_t* row = Row(rend, mat, pair[0]);
  float x0 = std::floor(std::round(pair[0]->txvLoc[0]) / 32.f);
  float y0 = std::floor(std::round(pair[0]->txvLoc[1]) / 32.f);
  float x1 = std::floor(std::round(pair[1]->txvLoc[0]) / 32.f);
  float y1 = std::floor(std::round(pair[1]->txvLoc[1]) / 32.f);
  // Ends outside the buffer are moved along the line, so its slope stays.
  if (!ISGClipSegmentToRect(&x0, &y0, &x1, &y1, 0.f, 0.f, static_cast<float>(fb->fbWidth - 1),
                            static_cast<float>(fb->fbHeight - 1))) {
    return SG_ERROR_NONE;
  }
  void* pixels = nullptr;
  if (SGFrameBufferLock(fb, &pixels) == SG_ERROR_NONE) {
    if (fb->fbMode == SG_FB_MODE_QUASI_RGB) {
      std::uint32_t colour = MaterialColour16(fb, mat);
      if (row != nullptr) {
        colour = ShadeColour16(fb->fbPixelFormat, row, colour);
      }
      ISGLine16(ISGRoundPixel(x0), ISGRoundPixel(y0), ISGRoundPixel(x1), ISGRoundPixel(y1), colour, fb->fbPixels,
                fb->fbPitch);
    } else {
      std::uint8_t index = static_cast<std::uint8_t>(mat->matColour & 0xFF);
      if (row != nullptr) {
        index = row[index];
      }
      ISGLine8(ISGRoundPixel(x0), ISGRoundPixel(y0), ISGRoundPixel(x1), ISGRoundPixel(y1), index, fb->fbPixels,
               fb->fbPitch);
    }
  }
  SGFrameBufferUnlock(fb);
  return SG_ERROR_NONE;
}
