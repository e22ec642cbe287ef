#include <cstring>
#include <stdexcept>

#include "platform/core/bytes.h"
#include "sg/core/malloc.h"
#include "sg/model/model.h"
#include "tools/sgdata/sgdata.h"

namespace sgdata {
namespace {

template <class T>
T* Alloc(std::size_t count) {
  auto* p = static_cast<T*>(SGCalloc(count, sizeof(T)));
  if (p == nullptr) {
    throw std::bad_alloc();
  }
  return p;
}

// Box corner i takes the + side of x, y, z by bits 1, 2, 4.
void BoxVertices(SGModelSubTransform* mst, float hx, float hy, float hz, float cx) {
  mst->mstNumVerts = 8;
  mst->mstVerts = Alloc<SGPoint3s>(8);
  for (int i = 0; i < 8; ++i) {
    mst->mstVerts[i] = SGPoint3s{cx + ((i & 1) != 0 ? hx : -hx), (i & 2) != 0 ? hy : -hy, (i & 4) != 0 ? hz : -hz};
  }
}

// The twelve triangles of a box, wound outwards, with one normal per side.
SGFaceList* BoxFaces(std::uint32_t firstMaterial, bool uvs) {
  static constexpr std::uint32_t kQuads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  SGFaceList* fcl = ISGFaceListCreate();
  if (fcl == nullptr) {
    throw std::bad_alloc();
  }
  fcl->fclNumFaces = 12;
  fcl->fclFaces = Alloc<SGFace>(12);
  for (std::uint32_t q = 0; q < 6; ++q) {
    const std::uint32_t tri[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (int t = 0; t < 2; ++t) {
      SGFace& f = fcl->fclFaces[2 * q + t];
      for (int k = 0; k < 3; ++k) {
        f.facVertIndex[k] = kQuads[q][tri[t][k]];
        f.facNormalIndex[k] = q;
        f.facUVIndex[k] = uvs ? tri[t][k] : SG_UV_NONE;
      }
      f.facMatIndex = firstMaterial + q % 2;
    }
  }
  return fcl;
}

void SideNormals(SGModelSubTransform* mst) {
  static constexpr float kNormals[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
  mst->mstNumNormals = 6;
  mst->mstNormals = Alloc<SGPoint3s>(6);
  for (int i = 0; i < 6; ++i) {
    mst->mstNormals[i] = SGPoint3s{kNormals[i][0], kNormals[i][1], kNormals[i][2]};
  }
}

void Append(SGModelLod* lod, std::uint32_t type, void* data) {
  SGGeoNode* node = ISGGeoNodeCreate(type, data);
  if (node == nullptr) {
    throw std::bad_alloc();
  }
  lod->mdlData = ISGGeoChainAppend(lod->mdlData, node);
}

SGModel* BuildShip(const ShipShape& shape) {
  SGModel* m = SGModelCreate();
  if (m == nullptr) {
    throw std::bad_alloc();
  }
  try {
    m->modNumXforms = 1;
    m->modXforms = Alloc<SGModelXform>(1);
    SGModelAddLod(m, 0.f);
    SGModelAddLod(m, 60.f);
    if (shape.billboard) {
      SGModelAddLod(m, 200.f);
    }
    // LOD 0: the hull, then the turret on slot 0, back to the hull's frame.
    SGModelLod* near = &m->modLods[0];
    BoxVertices(&near->mdlRoot, shape.length / 2, shape.width / 2, shape.height / 2, 0.f);
    SideNormals(&near->mdlRoot);
    near->mdlRoot.mstNumUVs = 4;
    near->mdlRoot.mstUVs = Alloc<SGTexCoord>(4);
    near->mdlRoot.mstUVs[1] = SGTexCoord{1.f, 0.f};
    near->mdlRoot.mstUVs[2] = SGTexCoord{1.f, 1.f};
    near->mdlRoot.mstUVs[3] = SGTexCoord{0.f, 1.f};
    Append(near, SG_GD_TYPE_FACES, BoxFaces(0, true));
    SGModelSubTransform* turret = ISGSubTransformCreate(0);
    if (turret == nullptr) {
      throw std::bad_alloc();
    }
    Append(near, SG_GD_TYPE_XFORM, turret);
    BoxVertices(turret, shape.width / 4, shape.width / 4, shape.height / 4, shape.length / 4);
    for (int i = 0; i < 8; ++i) {
      turret->mstVerts[i].z += shape.height * 0.75f;
    }
    SideNormals(turret);
    Append(near, SG_GD_TYPE_FACES, BoxFaces(2, false));
    Append(near, SG_GD_TYPE_XFORM_END, nullptr);
    // LOD 1 draws the same hull vertices, stored once.
    SGModelLod* mid = &m->modLods[1];
    mid->mdlRoot.mstNumVerts = near->mdlRoot.mstNumVerts;
    mid->mdlRoot.mstVerts = near->mdlRoot.mstVerts;
    mid->mdlRoot.mstNumNormals = near->mdlRoot.mstNumNormals;
    mid->mdlRoot.mstNormals = near->mdlRoot.mstNormals;
    Append(mid, SG_GD_TYPE_FACES, BoxFaces(0, false));
    if (shape.billboard) {
      SGBillboard* bil = ISGBillboardCreate();
      if (bil == nullptr) {
        throw std::bad_alloc();
      }
      bil->bilHalfWidth = shape.length / 2;
      bil->bilHalfHeight = shape.height / 2;
      bil->bilNumAzimuth = 8;
      bil->bilNumPolar = 2;
      bil->bilMatIndex = Alloc<std::uint32_t>(16);
      for (std::uint32_t i = 0; i < 16; ++i) {
        bil->bilMatIndex[i] = 4 + i % 8;
      }
      bil->bilMirrorMask = 0xF0;
      Append(&m->modLods[2], SG_GD_TYPE_BILLBOARD, bil);
    }
    SGModelComputeBounds(m);
    AppendHardPoints(m, shape.hardPoints);
  } catch (...) {
    SGModelFree(m);
    throw;
  }
  return m;
}

}  // namespace

void AppendHardPoints(SGModel* model, const std::vector<std::array<float, 3>>& points) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    auto* hp = Alloc<SGGeoHardPoint>(1);
    hp->ghpId = static_cast<std::uint32_t>(i);
    std::memcpy(hp->ghpPos, points[i].data(), sizeof(hp->ghpPos));
    SGGeoNode* node = ISGGeoNodeCreate(SG_GD_TYPE_HARDPOINT, hp);
    if (node == nullptr) {
      SGFree(hp);
      throw std::bad_alloc();
    }
    model->modLods[0].mdlData = ISGGeoChainAppend(model->modLods[0].mdlData, node);
  }
}

Image PackModelBlock(SGModel* model) {
  const std::uint32_t size = SGModelPackedSize(model);
  Image block(size);
  const SGError err = size != 0 ? SGModelUnrelocate(model, block.data(), size) : SG_ERROR_NO_MEMORY;
  SGModelFree(model);
  if (err != SG_ERROR_NONE) {
    throw std::bad_alloc();
  }
  return block;
}

Image ModelFile(const Image& block) {
  plat::ByteWriter file;
  file.U32(static_cast<std::uint32_t>(block.size()));
  file.WriteBytes(block);
  return file.Take();
}

Image MakeShipBlock(const ShipShape& shape) { return PackModelBlock(BuildShip(shape)); }

Image MakeShipModelFile(const ShipShape& shape) { return ModelFile(MakeShipBlock(shape)); }

}  // namespace sgdata
