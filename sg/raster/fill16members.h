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

// The list entries of a family: prefix##w##x##h##List for each member,
// calling listImpl<width, height>, and a table pairing each member with its
// list entry.
#define ISG_FILL16_LIST_MEMBER(prefix, w, h, listImpl)                                               \
  void prefix##w##x##h##List(const SGQVert* verts, const uint32_t(*corners)[3], uint32_t count,      \
                             const SGRasterFrame* frame, const void* texels, const void* shadeTable, \
                             const void* colourTable) {                                              \
    listImpl<w, h>(verts, corners, count, frame, texels, shadeTable, colourTable);                   \
  }

#define ISG_FILL16_LIST_FAMILY(prefix, listImpl)     \
  ISG_FILL16_LIST_MEMBER(prefix, 16, 16, listImpl)   \
  ISG_FILL16_LIST_MEMBER(prefix, 32, 32, listImpl)   \
  ISG_FILL16_LIST_MEMBER(prefix, 64, 64, listImpl)   \
  ISG_FILL16_LIST_MEMBER(prefix, 128, 128, listImpl) \
  ISG_FILL16_LIST_MEMBER(prefix, 256, 256, listImpl) \
  ISG_FILL16_LIST_MEMBER(prefix, 512, 512, listImpl) \
  ISG_FILL16_LIST_MEMBER(prefix, 64, 32, listImpl)   \
  ISG_FILL16_LIST_MEMBER(prefix, 128, 64, listImpl)  \
  ISG_FILL16_LIST_MEMBER(prefix, 128, 32, listImpl)  \
  ISG_FILL16_LIST_MEMBER(prefix, 256, 128, listImpl) \
  ISG_FILL16_LIST_MEMBER(prefix, 256, 64, listImpl)

#define ISG_FILL16_LIST_PAIR(prefix, w, h) \
  { prefix##w##x##h, prefix##w##x##h##List }
#define ISG_FILL16_LIST_PAIRS(prefix)                                                 \
  ISG_FILL16_LIST_PAIR(prefix, 16, 16), ISG_FILL16_LIST_PAIR(prefix, 32, 32),         \
      ISG_FILL16_LIST_PAIR(prefix, 64, 64), ISG_FILL16_LIST_PAIR(prefix, 128, 128),   \
      ISG_FILL16_LIST_PAIR(prefix, 256, 256), ISG_FILL16_LIST_PAIR(prefix, 512, 512), \
      ISG_FILL16_LIST_PAIR(prefix, 64, 32), ISG_FILL16_LIST_PAIR(prefix, 128, 64),    \
      ISG_FILL16_LIST_PAIR(prefix, 128, 32), ISG_FILL16_LIST_PAIR(prefix, 256, 128),  \
      ISG_FILL16_LIST_PAIR(prefix, 256, 64)
