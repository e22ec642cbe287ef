#pragma once
// A rough ball for the renderer's tests and benchmarks: a sphere of `seg`
// segments and `rings` rings whose radius swings by `jitter` of it, its
// triangles counter-clockwise seen from outside. Every corner of a vertex has
// the same texture coordinate and normal, so its faces share it; faces take
// the `materials` materials in runs of seven.

#include <cmath>
#include <cstdint>

#include "sg/core/malloc.h"
#include "sg/model/model.h"

namespace sg_support {

inline void RoughBallLevel(SGModelLod* lod, float radius, std::uint32_t seg, std::uint32_t rings, float jitter,
                           std::uint32_t materials = 1) {
  SGModelSubTransform* mst = &lod->mdlRoot;
  const std::uint32_t numVerts = (rings + 1) * (seg + 1);
  mst->mstNumVerts = mst->mstNumNormals = mst->mstNumUVs = numVerts;
  mst->mstVerts = static_cast<SGPoint3s*>(SGCalloc(numVerts, sizeof(SGPoint3s)));
  mst->mstNormals = static_cast<SGPoint3s*>(SGCalloc(numVerts, sizeof(SGPoint3s)));
  mst->mstUVs = static_cast<SGTexCoord*>(SGCalloc(numVerts, sizeof(SGTexCoord)));
  for (std::uint32_t r = 0; r <= rings; ++r) {
    for (std::uint32_t s = 0; s <= seg; ++s) {
      const float lat = 3.14159265f * static_cast<float>(r) / static_cast<float>(rings);
      const float lon = 2.f * 3.14159265f * static_cast<float>(s) / static_cast<float>(seg);
      const float k = radius * ((1.f - jitter) + jitter * std::sin(3.f * lon + 2.f * lat));
      const SGPoint3s n{std::sin(lat) * std::cos(lon), std::sin(lat) * std::sin(lon), std::cos(lat)};
      const std::uint32_t i = r * (seg + 1) + s;
      mst->mstVerts[i] = SGPoint3s{n.x * k, n.y * k, n.z * k};
      mst->mstNormals[i] = n;
      mst->mstUVs[i] = SGTexCoord{static_cast<float>(s) / static_cast<float>(seg),
                                  static_cast<float>(r) / static_cast<float>(rings)};
    }
  }
  SGFaceList* fcl = ISGFaceListCreate();
  fcl->fclFaces = static_cast<SGFace*>(SGCalloc(2 * seg * rings, sizeof(SGFace)));
  for (std::uint32_t r = 0; r < rings; ++r) {
    for (std::uint32_t s = 0; s < seg; ++s) {
      // Rings run down, segments east.
      const std::uint32_t a = r * (seg + 1) + s, b = a + seg + 1, c = b + 1, d = a + 1;
      const std::uint32_t tris[2][3] = {{a, b, c}, {a, c, d}};
      for (const auto& t : tris) {
        SGFace& f = fcl->fclFaces[fcl->fclNumFaces];
        f.facMatIndex = (fcl->fclNumFaces / 7) % materials;
        ++fcl->fclNumFaces;
        for (int k = 0; k < 3; ++k) {
          f.facVertIndex[k] = f.facNormalIndex[k] = f.facUVIndex[k] = t[k];
        }
      }
    }
  }
  ISGGeoAppendFaces(lod, fcl);
}

}  // namespace sg_support
