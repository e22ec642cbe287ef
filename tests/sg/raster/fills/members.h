#pragma once
// A fill under test: its name, entry, the reference mode that must match it
// and its texture size; FILL_SIZES lists the eleven sizes of a family.

#include "reference.h"
#include "sg/raster/fill.h"
#include "sg/raster/fill16.h"

struct FillMember {
  const char* name;
  ISGTriFill fill;
  RefMode mode;
  int w, h;
};

#define FILL_SIZES(prefix, mode)                                                                                  \
  {#prefix "16x16", prefix##16x16, mode, 16, 16}, {#prefix "32x32", prefix##32x32, mode, 32, 32},                 \
      {#prefix "64x64", prefix##64x64, mode, 64, 64}, {#prefix "128x128", prefix##128x128, mode, 128, 128},       \
      {#prefix "256x256", prefix##256x256, mode, 256, 256}, {#prefix "512x512", prefix##512x512, mode, 512, 512}, \
      {#prefix "64x32", prefix##64x32, mode, 64, 32}, {#prefix "128x64", prefix##128x64, mode, 128, 64},          \
      {#prefix "128x32", prefix##128x32, mode, 128, 32}, {#prefix "256x128", prefix##256x128, mode, 256, 128}, {  \
#prefix "256x64", prefix##256x64, mode, 256, 64                                                               \
  }

// Every 16-bit fill, each textured one in every size.
inline const FillMember kFill16Members[] = {
    {"ISGFill16Flat", ISGFill16Flat, RefMode::kFlat, 1, 1},
    {"ISGFill16Shaded", ISGFill16Shaded, RefMode::kShaded, 1, 1},
    {"ISGFill16ShadedTransparent", ISGFill16ShadedTransparent, RefMode::kShadedTransparent, 1, 1},
    FILL_SIZES(ISGFill16Texture, RefMode::kTexture),
    FILL_SIZES(ISGFill16ShadedTexture, RefMode::kShadedTexture),
    FILL_SIZES(ISGFill16TransparentTexture, RefMode::kTransparentTexture),
    FILL_SIZES(ISGFill16ShadedTransparentTexture, RefMode::kShadedTransparentTexture),
    FILL_SIZES(ISGFill16DirectTexture, RefMode::kDirectTexture),
};
