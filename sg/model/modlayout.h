#pragma once
// Record sizes of models, in the stored block and in memory, and the measure
// that both packing and copying start from.

#include <cstdint>

#include "sg/model/model.h"
#include "sg/model/modlist.h"

struct ISGModelSizes {
  std::uint64_t model, xform, lod, lodExtra, node, split, faceList, face, billboard, word, subXform, pointList,
      lineList, hardPoint, vert, normal, uv, index, align;
};

// Byte widths of the stored block: 32-bit fields, no padding, 32 spare bytes per
// LOD at the end.
inline constexpr ISGModelSizes kISGDiskSizes = {60, 64, 84, 32, 12, 24, 52, 56, 76, 4, 32, 20, 12, 16, 12, 12, 8, 4, 1};

// Native records, each allocation rounded up for alignment.
inline constexpr ISGModelSizes kISGNativeSizes = {sizeof(SGModel),
                                                  sizeof(SGModelXform),
                                                  sizeof(SGModelLod),
                                                  0,
                                                  sizeof(SGGeoNode),
                                                  sizeof(SGGeoSplit),
                                                  sizeof(SGFaceList),
                                                  sizeof(SGFace),
                                                  sizeof(SGBillboard),
                                                  sizeof(std::uint32_t),
                                                  sizeof(SGModelSubTransform),
                                                  sizeof(SGPointList),
                                                  sizeof(SGLineList),
                                                  sizeof(SGGeoHardPoint),
                                                  sizeof(SGPoint3s),
                                                  sizeof(SGPoint3s),
                                                  sizeof(SGTexCoord),
                                                  sizeof(std::uint32_t),
                                                  16};

// Bytes the model takes in the given widths, counting each shared array once;
// 0 when the lists cannot grow.
std::uint64_t ISGModelMeasure(const SGModel* model, const ISGModelSizes& sizes);

// The number of billboard material indices, which may exceed 32 bits.
inline std::uint64_t ISGBillboardTableSize(const SGBillboard* bil) {
  return static_cast<std::uint64_t>(bil->bilNumAzimuth) * bil->bilNumPolar;
}
