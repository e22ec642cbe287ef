// Fog, shade, blend and horizon tables of the software renderer.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/lut.h"
#include "sg/material/material.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

constexpr std::size_t kChannelTableSize = 256 * 256;
constexpr std::uint32_t kLevels = 16;
constexpr std::size_t kIndexTableSize = kLevels * 256;
constexpr std::uint32_t kRampCount = 16;
constexpr std::uint32_t kShadeOption = 0x10;

struct Rgb {
  double red, green, blue;
};

Rgb WordColour(std::uint32_t colour) {
  return Rgb{static_cast<double>(colour >> 24), static_cast<double>((colour >> 16) & 0xFF),
             static_cast<double>((colour >> 8) & 0xFF)};
}

Rgb EntryColour(const SGPalEntry& e) { return Rgb{double(e.red), double(e.green), double(e.blue)}; }

std::uint32_t Word(int red, int green, int blue) {
  return (static_cast<std::uint32_t>(red) << 24) | (static_cast<std::uint32_t>(green) << 16) |
         (static_cast<std::uint32_t>(blue) << 8);
}

std::uint8_t Nearest(const SGPalEntry* palette, std::uint32_t count, std::uint32_t word) {
  SGPaletteFindNearest(palette, count, &word);
  return static_cast<std::uint8_t>(word & 0xFF);
}

// Each channel of `from` moved toward `to` by step / steps, rounded half up.
std::uint32_t Between(const Rgb& from, const Rgb& to, double step, double steps) {
  auto channel = [&](double f, double t) { return static_cast<int>(f + std::trunc((t - f) * step / steps + 0.5)); };
  return Word(channel(from.red, to.red), channel(from.green, to.green), channel(from.blue, to.blue));
}

// The block behind *table, made zeroed when there is none yet.
bool Table(std::uint8_t** table, std::size_t size) {
  if (*table == nullptr) {
    *table = static_cast<std::uint8_t*>(SGCalloc(size, 1));
  }
  return *table != nullptr;
}

SGError FogIndexed(SGRenderer* rend, const SGPalEntry* search, std::uint32_t colour, std::uint8_t** table) {
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb->fbColours == nullptr) {
    return SG_ERROR_NO_LUT;
  }
  if (!Table(table, kIndexTableSize)) {
    return SG_ERROR_NO_MEMORY;
  }
  const std::uint32_t count = fb->fbColourCount;
  const Rgb fog = EntryColour(fb->fbColours[colour & 0xFF]);
  for (std::uint32_t level = 0; level < kLevels; ++level) {
    for (std::uint32_t k = 0; k < count; ++k) {
      const std::uint32_t word = Between(EntryColour(fb->fbColours[k]), fog, level, kLevels - 1.0);
      (*table)[level * 256 + k] = Nearest(search, count, word);
    }
  }
  return SG_ERROR_NONE;
}

SGError Fog(SGRenderer* rend, const SGPalEntry* search, std::uint32_t colour, std::uint8_t** table) {
  if (rend->renD3D != nullptr) {
    return SG_ERROR_NONE;
  }
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb == nullptr) {
    return SG_ERROR_NO_FRAME_BUFFER;
  }
  // The channel table needs only the pixel format, so fog works before the
  // first colour table is installed.
  if (fb->fbMode == SG_FB_MODE_QUASI_RGB) {
    return ISGLutBuildBlendRGB(rend, table, colour);
  }
  return FogIndexed(rend, search != nullptr ? search : fb->fbColours, colour, table);
}

SGError ShadeIndexed(SGRenderer* rend, const SGScene* scene, const SGPalEntry* search) {
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb->fbColours == nullptr) {
    return SG_ERROR_NO_LUT;
  }
  const double factor = scene->scnTerrTexU;
  if (!(factor > 0.0)) {
    return SG_ERROR_NONE;
  }
  if (!Table(&rend->renShadeLUT, kIndexTableSize)) {
    return SG_ERROR_NO_MEMORY;
  }
  const std::uint32_t count = fb->fbColourCount;
  for (std::uint32_t level = 0; level < kLevels; ++level) {
    const double scale = level * factor / 15.0 + 1.0;
    for (std::uint32_t k = 0; k < count; ++k) {
      const SGPalEntry& c = fb->fbColours[k];
      auto channel = [&](std::uint8_t v) { return std::min(static_cast<int>(v * scale), 255); };
      rend->renShadeLUT[level * 256 + k] = Nearest(search != nullptr ? search : fb->fbColours, count,
                                                   Word(channel(c.red), channel(c.green), channel(c.blue)));
    }
  }
  SGRendererSetOptions(rend, kShadeOption);
  return SG_ERROR_NONE;
}

SGError Shade(SGRenderer* rend, const SGScene* scene, const SGPalEntry* search) {
  if (rend->renD3D != nullptr) {
    SGRendererSetOptions(rend, kShadeOption);
    return SG_ERROR_NONE;
  }
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb == nullptr) {
    return SG_ERROR_NO_FRAME_BUFFER;
  }
  switch (fb->fbMode) {
    case SG_FB_MODE_RGB:
      return SG_ERROR_NONE;
    case SG_FB_MODE_QUASI_RGB:
      return ISGLutBuildShadeRGB(rend, scene);
    default:
      return ShadeIndexed(rend, scene, search);
  }
}

SGError SetRamp(SGRenderer* rend, std::uint8_t** ramp, std::uint32_t* rampCount, const std::uint8_t* bytes,
                std::uint32_t count) {
  if (rend->renD3D != nullptr) {
    return SG_ERROR_NONE;
  }
  SGFree(*ramp);
  *ramp = nullptr;
  *rampCount = 0;
  if (count == 0) {
    return SG_ERROR_NONE;
  }
  *ramp = static_cast<std::uint8_t*>(SGMalloc(count + 1));
  if (*ramp == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  std::copy_n(bytes, count, *ramp);
  (*ramp)[count] = bytes[count - 1];
  *rampCount = count;
  return SG_ERROR_NONE;
}

// A ramp of 16 palette indices from `start` to `end`, whose index byte names
// the last entry.
SGError BuildRamp(SGRenderer* rend, std::uint8_t** ramp, std::uint32_t* rampCount, std::uint32_t start,
                  std::uint32_t end, std::uint32_t blendTo) {
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  ISG_ASSERT(rend->renFrameBuffer, "lutinit");
  if (fb->fbMode == SG_FB_MODE_RGB) {
    return SG_ERROR_NONE;
  }
  SGFree(*ramp);
  *ramp = nullptr;
  *rampCount = 0;
  if (fb->fbMode == SG_FB_MODE_QUASI_RGB) {
    if (const SGError err = ISGLutBuildBlendRGB(rend, ramp, blendTo); err != SG_ERROR_NONE) {
      return err;
    }
    *rampCount = kChannelTableSize;
    return SG_ERROR_NONE;
  }
  ISG_ASSERT(SG_FB_MODE_IDX == rend->renFrameBuffer->fbMode, "lutinit");
  if (fb->fbColours == nullptr) {
    return SG_ERROR_NO_LUT;
  }
  *ramp = static_cast<std::uint8_t*>(SGMalloc(kRampCount + 1));
  if (*ramp == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  const Rgb from = WordColour(start);
  const Rgb to = WordColour(end);
  for (std::uint32_t i = 0; i < kRampCount; ++i) {
    (*ramp)[i] = Nearest(fb->fbColours, fb->fbColourCount, Between(from, to, i, kRampCount - 1.0));
  }
  (*ramp)[kRampCount - 1] = static_cast<std::uint8_t>(end & 0xFF);
  (*ramp)[kRampCount] = static_cast<std::uint8_t>(end & 0xFF);
  *rampCount = kRampCount;
  return SG_ERROR_NONE;
}

}  // namespace

SGError SGPaletteFindNearest(const SGPalEntry* palette, std::uint32_t count, std::uint32_t* colour) {
  const Rgb want = WordColour(*colour);
  double best = 4294967295.0;
  std::uint32_t index = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const Rgb c = EntryColour(palette[i]);
    const double d = std::abs(c.red - want.red) + std::abs(c.green - want.green) + std::abs(c.blue - want.blue);
    if (d < best) {
      best = d;
      index = i;
      if (d == 0.0) {
        break;
      }
    }
  }
  *colour = (*colour & ~0xFFu) | (index & 0xFF);
  return SG_ERROR_NONE;
}

std::uint32_t ISGPaletteFindNearest565(std::uint16_t pixel, const SGPalEntry* palette) {
  const int red = (pixel & 0xF800) >> 8;
  const int green = (pixel & 0x7E0) >> 3;
  const int blue = (pixel & 31) * 8;
  int best = 0x30000;
  std::uint32_t index = 0;
  for (std::uint32_t i = 0; i < 256; ++i) {
    const int dr = red - palette[i].red;
    const int dg = green - palette[i].green;
    const int db = blue - palette[i].blue;
    const int d = dr * dr + dg * dg + db * db;
    if (d < best) {
      best = d;
      index = i;
    }
  }
  return index;
}

SGError SGRendererBuildFogLUT(SGRenderer* rend, std::uint32_t, std::uint32_t colour, std::uint8_t** table) {
  return Fog(rend, nullptr, colour, table);
}

SGError SGRendererBuildFogLUTPal(SGRenderer* rend, std::uint32_t, const SGPalEntry* palette, std::uint32_t colour,
                                 std::uint8_t** table) {
  return Fog(rend, palette, colour, table);
}

SGError ISGLutBuildBlendRGB(SGRenderer* rend, std::uint8_t** table, std::uint32_t colour) {
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb == nullptr) {
    return SG_ERROR_NO_FRAME_BUFFER;
  }
  const SGPixelFormat& pf = fb->fbPixelFormat;
  const std::uint32_t bits[3] = {pf.pfRedBits, pf.pfGreenBits, pf.pfBlueBits};
  const std::uint32_t channels[3] = {colour >> 24, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF};
  std::uint32_t rowUsed = 0;
  for (std::uint32_t n : bits) {
    if (n > 8) {
      return SG_ERROR_UNSUPPORTED;
    }
    rowUsed += 1u << n;
  }
  if (rowUsed > 256) {
    return SG_ERROR_UNSUPPORTED;
  }
  if (!Table(table, kChannelTableSize)) {
    return SG_ERROR_NO_MEMORY;
  }
  for (std::uint32_t i = 0; i < 256; ++i) {
    const float a = static_cast<float>(i) / 255.f;
    ISG_ASSERT(a <= 1.f, "lutinit");
    std::uint8_t* slut = *table + i * 256;
    for (int c = 0; c < 3; ++c) {
      const float target = static_cast<float>(channels[c] >> (8 - bits[c]));
      for (std::uint32_t j = 0; j < (1u << bits[c]); ++j) {
        slut[j] = static_cast<std::uint8_t>(target * a + (1.f - a) * static_cast<float>(j));
      }
      slut += 1u << bits[c];
    }
  }
  return SG_ERROR_NONE;
}

SGError SGRendererBuildShadeLUT(SGRenderer* rend, const SGScene* scene) { return Shade(rend, scene, nullptr); }

SGError SGRendererBuildShadeLUTPal(SGRenderer* rend, const SGScene* scene, const SGPalEntry* palette) {
  return Shade(rend, scene, palette);
}

SGError ISGLutBuildShadeRGB(SGRenderer* rend, const SGScene*) {
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb == nullptr) {
    return SG_ERROR_NO_FRAME_BUFFER;
  }
  const SGPixelFormat& pf = fb->fbPixelFormat;
  if (pf.pfRedBits > 7 || pf.pfGreenBits > 7 || pf.pfBlueBits > 5 ||
      (1u << pf.pfRedBits) + (1u << pf.pfGreenBits) + 32 > 256) {
    return SG_ERROR_UNSUPPORTED;
  }
  if (!Table(&rend->renShadeLUT, kChannelTableSize)) {
    return SG_ERROR_NO_MEMORY;
  }
  // Always 32 blue entries, whatever the blue bit count.
  const std::uint32_t sizes[3] = {1u << pf.pfRedBits, 1u << pf.pfGreenBits, 32};
  const std::uint32_t limits[3] = {(1u << pf.pfRedBits) - 1, (1u << pf.pfGreenBits) - 1, (1u << pf.pfBlueBits) - 1};
  for (std::uint32_t i = 0; i < 256; ++i) {
    const float s = static_cast<float>(i * 1.0 / 255.0);
    std::uint8_t* row = rend->renShadeLUT + i * 256;
    for (int c = 0; c < 3; ++c) {
      for (std::uint32_t j = 0; j < sizes[c]; ++j) {
        row[j] = static_cast<std::uint8_t>(std::min(static_cast<std::uint32_t>(static_cast<float>(j) * s), limits[c]));
      }
      row += sizes[c];
    }
  }
  SGRendererSetOptions(rend, kShadeOption);
  return SG_ERROR_NONE;
}

namespace {

// With a palette to build from, a fresh table replaces the renderer's.
template <class Build>
SGError ReplaceAlphaTable(SGRenderer* rend, std::uint8_t** field, std::size_t size, Build build) {
  if (rend->renD3D != nullptr) {
    return SG_ERROR_NONE;
  }
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb == nullptr || fb->fbColours == nullptr) {
    return SG_ERROR_NO_LUT;
  }
  auto* table = static_cast<std::uint8_t*>(SGMalloc(size));
  if (table == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  build(fb->fbColours, table);
  SGFree(*field);
  *field = table;
  return SG_ERROR_NONE;
}

constexpr std::size_t kInverseHeader = 4;

}  // namespace

SGError SGRendererSetInverseLUT(SGRenderer* rend, const std::uint8_t* block) {
  return ReplaceAlphaTable(rend, &rend->renAlphaIndex, kChannelTableSize, [&](const SGPalEntry*, std::uint8_t* t) {
    std::copy_n(block + kInverseHeader, kChannelTableSize, t);
  });
}

SGError SGRendererBuildInverseLUT(SGRenderer* rend) {
  return ReplaceAlphaTable(
      rend, &rend->renAlphaIndex, kChannelTableSize, [](const SGPalEntry* palette, std::uint8_t* t) {
        for (std::uint32_t p = 0; p < kChannelTableSize; ++p) {
          t[p] = static_cast<std::uint8_t>(ISGPaletteFindNearest565(static_cast<std::uint16_t>(p), palette));
        }
      });
}

SGError SGRendererBuildPaletteShadeLUT(SGRenderer* rend) {
  return ReplaceAlphaTable(rend, &rend->renAlphaLUT, kChannelTableSize * sizeof(std::uint16_t),
                           [](const SGPalEntry* palette, std::uint8_t* t) {
                             for (std::uint32_t k = 0; k < 256; ++k) {
                               const std::uint32_t r = palette[k].red;
                               const std::uint32_t g = palette[k].green;
                               const std::uint32_t b = palette[k].blue;
                               for (std::uint32_t v = 0; v < 256; ++v) {
                                 const std::uint32_t pixel =
                                     v < 255 ? ((r * v) & 0xF800) | ((g * v) & 0xFC00) >> 5 | (b * v) >> 11
                                             : (r & 248) << 8 | (g & 252) << 3 | (b & 248) >> 3;
                                 const auto value = static_cast<std::uint16_t>(pixel);
                                 std::memcpy(t + 2 * (v * 256 + k), &value, sizeof value);
                               }
                             }
                           });
}

SGError SGRendererSetHorizonRamp1(SGRenderer* rend, const std::uint8_t* bytes, std::uint32_t count) {
  return SetRamp(rend, &rend->renHorizon.hzGroundRamp, &rend->renHorizon.hzGroundRampCount, bytes, count);
}

SGError SGRendererSetHorizonRamp2(SGRenderer* rend, const std::uint8_t* bytes, std::uint32_t count) {
  return SetRamp(rend, &rend->renHorizon.hzFadeRamp, &rend->renHorizon.hzFadeRampCount, bytes, count);
}

SGError ISGRendererBuildHorizonRamp1(SGRenderer* rend, std::uint32_t) {
  SGHorizon& hz = rend->renHorizon;
  return BuildRamp(rend, &hz.hzGroundRamp, &hz.hzGroundRampCount, hz.hzGroundColour, hz.hzSkyColour, hz.hzGroundColour);
}

SGError ISGRendererBuildHorizonRamp2(SGRenderer* rend, std::uint32_t) {
  SGHorizon& hz = rend->renHorizon;
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  auto end = static_cast<std::uint32_t>(hz.hzGroundD3DColour);
  if (fb != nullptr && fb->fbMode == SG_FB_MODE_IDX && fb->fbColours != nullptr) {
    SGPaletteFindNearest(fb->fbColours, fb->fbColourCount, &end);
  }
  const std::uint32_t start = hz.hzGroundMaterial != nullptr ? hz.hzGroundMaterial->matColour : 0;
  return BuildRamp(rend, &hz.hzFadeRamp, &hz.hzFadeRampCount, start, end,
                   static_cast<std::uint32_t>(hz.hzGroundD3DColour));
}
