#pragma once
// Defines the eleven members of a textured fill family, one per texture size,
// each a call of impl<width, height> with the fill's arguments. Internal.

#include "sg/raster/fill.h"

#define ISG_FILL16_MEMBER(prefix, w, h, impl)                                                                         \
  void prefix##w##x##h(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame, \
                       const void* texels, const void* shadeTable, const void* colourTable) {                         \
    impl<w, h>(first, second, third, frame, texels, shadeTable, colourTable);                                         \
  }

// Calls each(prefix, width, height, arg) for each texture size a family has.
#define ISG_FILL16_SIZES(each, prefix, arg)                                                                        \
  each(prefix, 16, 16, arg) each(prefix, 32, 32, arg) each(prefix, 64, 64, arg) each(prefix, 128, 128, arg)        \
      each(prefix, 256, 256, arg) each(prefix, 512, 512, arg) each(prefix, 64, 32, arg) each(prefix, 128, 64, arg) \
          each(prefix, 128, 32, arg) each(prefix, 256, 128, arg) each(prefix, 256, 64, arg)

#define ISG_FILL16_FAMILY(prefix, impl) ISG_FILL16_SIZES(ISG_FILL16_MEMBER, prefix, impl)

// The list entries of a family: prefix##w##x##h##List for each member,
// calling listImpl<width, height>, and a table pairing each member with its
// list entry.
#define ISG_FILL16_LIST_MEMBER(prefix, w, h, listImpl)                                               \
  void prefix##w##x##h##List(const SGQVert* verts, const uint32_t(*corners)[3], uint32_t count,      \
                             const SGRasterFrame* frame, const void* texels, const void* shadeTable, \
                             const void* colourTable) {                                              \
    listImpl<w, h>(verts, corners, count, frame, texels, shadeTable, colourTable);                   \
  }

#define ISG_FILL16_LIST_FAMILY(prefix, listImpl) ISG_FILL16_SIZES(ISG_FILL16_LIST_MEMBER, prefix, listImpl)

#define ISG_FILL16_LIST_PAIR(prefix, w, h, unused) {prefix##w##x##h, prefix##w##x##h##List},
#define ISG_FILL16_LIST_PAIRS(prefix) ISG_FILL16_SIZES(ISG_FILL16_LIST_PAIR, prefix, )
