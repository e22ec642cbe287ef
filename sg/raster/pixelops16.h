#pragma once
// Per-pixel operations of the 16-bpp fills, for the walk of triwalk.h.
// Attribute values arrive in 16.16: u, v, q in that order.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "sg/raster/fill.h"

// Texel index of a width x height texture: row (v >> 16) mod height times
// width, plus column (u >> 16) mod width, with the shift and masks constant.
template <int W, int H>
struct ISGTexelAddress {
  static_assert(std::has_single_bit(static_cast<unsigned>(W)) && std::has_single_bit(static_cast<unsigned>(H)));
  static constexpr int kLog2W = std::countr_zero(static_cast<unsigned>(W));
  static constexpr uint32_t kVShift = 16 - kLog2W;
  static constexpr uint32_t kVMask = static_cast<uint32_t>(H - 1) << kLog2W;
  static constexpr uint32_t kUMask = W - 1;

  // For one pixel's uint32_t coordinates or for ISGLanes.
  template <class T>
  static T Of(T u, T v) {
    return ((v >> kVShift) & kVMask) | ((u >> 16) & kUMask);
  }
};

// Replaces the three channels of a pixel through one shade-table row. The
// format's masks, shifts and segment offsets are taken once per triangle.
struct ISGShader {
  const uint8_t* table;
  uint32_t redMask, redShift;
  uint32_t greenMask, greenShift, greenOffset;
  uint32_t blueMask, blueShift, blueOffset;

  ISGShader(const void* shadeTable, const SGPixelFormat& format)
      : table(static_cast<const uint8_t*>(shadeTable)),
        redMask(format.pfRedMask),
        redShift(format.pfRedShift),
        greenMask(format.pfGreenMask),
        greenShift(format.pfGreenShift),
        greenOffset(1u << format.pfRedBits),
        blueMask(format.pfBlueMask),
        blueShift(format.pfBlueShift),
        blueOffset((1u << format.pfRedBits) + (1u << format.pfGreenBits)) {}

  // The offset in the table of the row of level (q >> 16) & 0xFF.
  template <class T>
  static T RowOffset(T q) {
    return (q >> 8) & 0xFF00;
  }

  uint16_t Apply(const uint8_t* row, uint32_t colour) const {
    const uint32_t r = row[(colour & redMask) >> redShift];
    const uint32_t g = row[greenOffset + ((colour & greenMask) >> greenShift)];
    const uint32_t b = row[blueOffset + ((colour & blueMask) >> blueShift)];
    return static_cast<uint16_t>((r << redShift) | (g << greenShift) | (b << blueShift));
  }

  // True when the row sends the full value of every channel to 0, so that
  // any colour would come out black at that level.
  bool Blackens(const uint8_t* row) const {
    return (row[redMask >> redShift] | row[greenOffset + (greenMask >> greenShift)] |
            row[blueOffset + (blueMask >> blueShift)]) == 0;
  }
};

// ISGShader with the channel layout a compile-time constant, so that the
// per-pixel masks and shifts are immediates rather than loads.
template <uint32_t kRedBits, uint32_t kGreenBits, uint32_t kBlueBits, uint32_t kRedShift, uint32_t kGreenShift,
          uint32_t kBlueShift>
struct ISGShaderFixed {
  static constexpr uint32_t kRedMask = ((1u << kRedBits) - 1) << kRedShift;
  static constexpr uint32_t kGreenMask = ((1u << kGreenBits) - 1) << kGreenShift;
  static constexpr uint32_t kBlueMask = ((1u << kBlueBits) - 1) << kBlueShift;
  static constexpr uint32_t kGreenOffset = 1u << kRedBits;
  static constexpr uint32_t kBlueOffset = kGreenOffset + (1u << kGreenBits);
  static constexpr SGPixelFormat kFormat = {kRedBits,    kRedMask,  kRedShift, kGreenBits, kGreenMask,
                                            kGreenShift, kBlueBits, kBlueMask, kBlueShift};
  const uint8_t* table;

  uint16_t Apply(const uint8_t* row, uint32_t colour) const {
    const uint32_t r = row[(colour & kRedMask) >> kRedShift];
    const uint32_t g = row[kGreenOffset + ((colour & kGreenMask) >> kGreenShift)];
    const uint32_t b = row[kBlueOffset + ((colour & kBlueMask) >> kBlueShift)];
    return static_cast<uint16_t>((r << kRedShift) | (g << kGreenShift) | (b << kBlueShift));
  }
  // The colour's indices in a row, one a byte: red, green, blue from the
  // low byte up (every index of these layouts is below 256).
  static_assert(kBlueOffset + (1u << kBlueBits) <= 256);
  static uint32_t Split(uint32_t colour) {
    return (colour & kRedMask) >> kRedShift | (kGreenOffset + ((colour & kGreenMask) >> kGreenShift)) << 8 |
           (kBlueOffset + ((colour & kBlueMask) >> kBlueShift)) << 16;
  }
  // Apply for a colour given by its Split.
  uint16_t ApplySplit(const uint8_t* row, uint32_t split) const {
    return static_cast<uint16_t>(row[split & 0xFF] << kRedShift | row[(split >> 8) & 0xFF] << kGreenShift |
                                 row[split >> 16] << kBlueShift);
  }
  bool Blackens(const uint8_t* row) const {
    return (row[kRedMask >> kRedShift] | row[kGreenOffset + (kGreenMask >> kGreenShift)] |
            row[kBlueOffset + (kBlueMask >> kBlueShift)]) == 0;
  }
};

using ISGShader565 = ISGShaderFixed<5, 6, 5, 11, 5, 0>;
using ISGShader555 = ISGShaderFixed<5, 5, 5, 10, 5, 0>;

// Nine words without padding, compared at once: every triangle of a shaded
// fill asks this before it draws.
static_assert(sizeof(SGPixelFormat) == 9 * sizeof(uint32_t));
inline bool ISGSameFormat(const SGPixelFormat& a, const SGPixelFormat& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Calls walk(shader) with a fixed-layout shader for the two common formats
// and the run-time one for any other.
template <class Walk>
void ISGWithShader(const void* shadeTable, const SGPixelFormat& format, const Walk& walk) {
  const auto* table = static_cast<const uint8_t*>(shadeTable);
  if (ISGSameFormat(format, ISGShader565::kFormat))
    walk(ISGShader565{table});
  else if (ISGSameFormat(format, ISGShader555::kFormat))
    walk(ISGShader555{table});
  else
    walk(ISGShader(shadeTable, format));
}

// Reads the 16-bit colour an untextured fill is given: two bytes, so the
// caller may point at any object whose first two bytes hold the colour.
inline uint16_t ISGReadColour16(const void* colour) {
  uint16_t value;
  std::memcpy(&value, colour, sizeof value);
  return value;
}

// Keys of the textured operations: the texel index from (u, v) and, for the
// shaded ones, the offset of the shade-table row from q.
template <int W, int H>
struct ISGKeysTexel {
  static constexpr std::size_t kKeys = 1;
  template <class T>
  static std::array<T, 1> Keys(const std::array<T, 2>& a) {
    return {ISGTexelAddress<W, H>::Of(a[0], a[1])};
  }
};

template <int W, int H>
struct ISGKeysTexelRow {
  static constexpr std::size_t kKeys = 2;
  static constexpr bool kPixelTail = true;  // a texel and three shade-row reads
  template <class T>
  static std::array<T, 2> Keys(const std::array<T, 3>& a) {
    return {ISGTexelAddress<W, H>::Of(a[0], a[1]), ISGShader::RowOffset(a[2])};
  }
};

struct ISGKeysRow {
  static constexpr std::size_t kKeys = 1;
  template <class T>
  static std::array<T, 1> Keys(const std::array<T, 1>& a) {
    return {ISGShader::RowOffset(a[0])};
  }
};

// Stores colour unless keep, without a branch: transparent texels scattered
// through a texture would make every few pixels a mispredicted one.
inline void ISGStoreUnless(uint16_t& pixel, bool keep, uint16_t colour) {
  const uint32_t mask = 0u - static_cast<uint32_t>(keep);
  pixel = static_cast<uint16_t>((colour & ~mask) | (pixel & mask));
}

template <int W, int H>
struct ISGOpTexture : ISGKeysTexel<W, H> {
  const uint8_t* texels;
  const uint16_t* colours;
  void Put(uint16_t& pixel, const std::array<uint32_t, 1>& keys) const { pixel = colours[texels[keys[0]]]; }
};

template <int W, int H, class Shader = ISGShader>
struct ISGOpShadedTexture : ISGKeysTexelRow<W, H> {
  const uint8_t* texels;
  const uint16_t* colours;
  Shader shader;
  void Put(uint16_t& pixel, const std::array<uint32_t, 2>& keys) const {
    pixel = shader.Apply(shader.table + keys[1], colours[texels[keys[0]]]);
  }
};

template <int W, int H>
struct ISGOpTransparentTexture : ISGKeysTexel<W, H> {
  const uint8_t* texels;
  const uint16_t* colours;
  void Put(uint16_t& pixel, const std::array<uint32_t, 1>& keys) const {
    const uint8_t texel = texels[keys[0]];
    ISGStoreUnless(pixel, texel == 0, colours[texel]);
  }
};

template <int W, int H, class Shader = ISGShader>
struct ISGOpShadedTransparentTexture : ISGKeysTexelRow<W, H> {
  const uint8_t* texels;
  const uint16_t* colours;
  Shader shader;
  void Put(uint16_t& pixel, const std::array<uint32_t, 2>& keys) const {
    const uint8_t texel = texels[keys[0]];
    ISGStoreUnless(pixel, texel == 0, shader.Apply(shader.table + keys[1], colours[texel]));
  }
};

// The shaded textured fills for a triangle of many pixels in a fixed-layout
// format: the colour table split once into row indices (ISGShaderFixed::Split),
// so that a pixel's channels need no masks or shifts to find.
using ISGColourSplits = std::array<uint32_t, 256>;

template <int W, int H, bool kTransparent, class Shader>
struct ISGOpShadedTextureSplit : ISGKeysTexelRow<W, H> {
  const uint8_t* texels;
  const ISGColourSplits* splits;
  Shader shader;
  void Put(uint16_t& pixel, const std::array<uint32_t, 2>& keys) const {
    const uint8_t texel = texels[keys[0]];
    const uint16_t colour = shader.ApplySplit(shader.table + keys[1], (*splits)[texel]);
    if constexpr (kTransparent)
      ISGStoreUnless(pixel, texel == 0, colour);
    else
      pixel = colour;
  }
};

template <int W, int H>
struct ISGOpDirectTexture : ISGKeysTexel<W, H> {
  const uint16_t* texels;
  void Put(uint16_t& pixel, const std::array<uint32_t, 1>& keys) const { pixel = texels[keys[0]]; }
};

template <class Shader = ISGShader>
struct ISGOpShaded : ISGKeysRow {
  uint16_t colour;
  Shader shader;
  void Put(uint16_t& pixel, const std::array<uint32_t, 1>& keys) const {
    pixel = shader.Apply(shader.table + keys[0], colour);
  }
};

template <class Shader = ISGShader>
struct ISGOpShadedTransparent : ISGKeysRow {
  static constexpr bool kPixelTail = true;  // a branch a pixel, not to be taken twice
  uint16_t colour;
  Shader shader;
  void Put(uint16_t& pixel, const std::array<uint32_t, 1>& keys) const {
    const uint8_t* row = shader.table + keys[0];
    if (!shader.Blackens(row)) pixel = shader.Apply(row, colour);
  }
};

// From about this many pixels a shaded triangle works out per-triangle
// tables (ISGLevelColours, ISGColourSplits): making one costs about as much
// as shading a few hundred pixels one by one. In the 200-rock scene frame
// the threshold hardly counts: 512 or 8192 pixels gave 7.03 and 7.01
// full-viewport fills against 7.04 (medians of six alternating pinned runs).
inline constexpr int64_t kISGTablePixels = 2048;
inline constexpr int64_t kISGTableCross = kISGTablePixels * 2048;

// True when the triangle covers about kISGTablePixels or more.
inline bool ISGManyPixels(const SGQVert* a, const SGQVert* b, const SGQVert* c) {
  // Twice the area in 27.5 units is 2048 times the area in pixels.
  // Products of 64-bit differences, wrapping only for vertices far outside
  // any frame, which the fills are not given.
  const auto product = [](int64_t p, int64_t q) { return static_cast<uint64_t>(p) * static_cast<uint64_t>(q); };
  const auto cross = static_cast<int64_t>(product(int64_t{b->x} - a->x, int64_t{c->y} - a->y) -
                                          product(int64_t{c->x} - a->x, int64_t{b->y} - a->y));
  return cross >= kISGTableCross || cross <= -kISGTableCross;
}

// The shaded fills' one colour through the row of each level, with bit 16
// set at the levels whose row blackens: worked out once for a triangle of
// many pixels, so that each of its pixels is one lookup by level.
using ISGLevelColours = std::array<uint32_t, 256>;

template <class Shader>
void ISGShadeLevels(const Shader& shader, uint16_t colour, ISGLevelColours& levels) {
  for (uint32_t level = 0; level < levels.size(); ++level) {
    const uint8_t* row = shader.table + (level << 8);
    levels[level] = shader.Apply(row, colour) | static_cast<uint32_t>(shader.Blackens(row)) << 16;
  }
}

// The shaded (kTransparent: shaded transparent) fill by its level colours.
template <bool kTransparent>
struct ISGOpByLevel {
  static constexpr std::size_t kKeys = 1;
  template <class T>
  static std::array<T, 1> Keys(const std::array<T, 1>& a) {
    return {(a[0] >> 16) & 0xFF};
  }
  const ISGLevelColours* levels;
  void Put(uint16_t& pixel, const std::array<uint32_t, 1>& keys) const {
    // Levels that blacken are few and seldom mixed with others, so a branch
    // predicts well.
    const uint32_t entry = (*levels)[keys[0]];
    if (!kTransparent || (entry >> 16) == 0) pixel = static_cast<uint16_t>(entry);
  }
};

// Writes whole rows. Rows of up to eight pixels, most rows of small
// triangles, take a fixed number of overlapping stores, so that their length
// costs no loop exit to predict; longer ones eight pixels a store from the
// left, the last eight overlapping the store before them.
struct ISGOpFlat {
  static constexpr bool kWholeSpans = true;
  using Pixels8 = uint16_t __attribute__((vector_size(16)));
  Pixels8 eight;
  uint64_t four;
  uint16_t colour;

  explicit ISGOpFlat(uint16_t c) : eight(Pixels8{} + c), four(c * 0x0001000100010001u), colour(c) {}

  void Span(uint16_t* left, uint16_t* right) const {
    const int64_t count = right - left + 1;
    if (count <= 4) {
      const int64_t half = count >> 1;  // 1 to 4 pixels: both ends and their inner neighbours
      left[0] = colour;
      left[half] = colour;
      right[-half] = colour;
      right[0] = colour;
      return;
    }
    if (count <= 8) {
      std::memcpy(left, &four, sizeof four);
      std::memcpy(right - 3, &four, sizeof four);
      return;
    }
    uint16_t* const last = right - 7;
    for (; left + 8 < last; left += 16) {
      std::memcpy(left, &eight, sizeof eight);
      std::memcpy(left + 8, &eight, sizeof eight);
    }
    if (left < last) std::memcpy(left, &eight, sizeof eight);
    std::memcpy(last, &eight, sizeof eight);
  }
};
