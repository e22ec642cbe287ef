#pragma once
// Defines the eleven members of a textured fill family, one per texture size,
// each a call of impl<width, height> with the fill's arguments. Internal.

#include "sg/raster/fill.h"

#define ISG_FILL16_MEMBER(prefix, w, h, impl)                                                  \
  void prefix##w##x##h(const SGQVert* first, const SGQVert* second, const SGQVert* third,      \
                       const SGRasterFrame* frame, const void* texels, const void* shadeTable, \
                       const void* colourTable) {                                              \
    impl<w, h>(first, second, third, frame, texels, shadeTable, colourTable);                  \
  }

#define ISG_FILL16_FAMILY(prefix, impl)     \
  ISG_FILL16_MEMBER(prefix, 16, 16, impl)   \
  ISG_FILL16_MEMBER(prefix, 32, 32, impl)   \
  ISG_FILL16_MEMBER(prefix, 64, 64, impl)   \
  ISG_FILL16_MEMBER(prefix, 128, 128, impl) \
  ISG_FILL16_MEMBER(prefix, 256, 256, impl) \
  ISG_FILL16_MEMBER(prefix, 512, 512, impl) \
  ISG_FILL16_MEMBER(prefix, 64, 32, impl)   \
  ISG_FILL16_MEMBER(prefix, 128, 64, impl)  \
  ISG_FILL16_MEMBER(prefix, 128, 32, impl)  \
  ISG_FILL16_MEMBER(prefix, 256, 128, impl) \
  ISG_FILL16_MEMBER(prefix, 256, 64, impl)
