// Model files from plain meshes: one level of detail, a normal per face,
// texture coordinates on every corner (the game's materials are textured),
// bounds and face planes filled in, hard points last, packed as the library's
// own packer does.
#include <cmath>
#include <new>

#include "sg/core/malloc.h"
#include "sg/model/model.h"
#include "tools/content3d/content3d.h"

namespace content3d {
namespace {

template <class T>
T* Alloc(std::size_t count) {
  auto* p = static_cast<T*>(SGCalloc(count == 0 ? 1 : count, sizeof(T)));
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

SGModel* Build(const Mesh& mesh) {
  SGModel* m = SGModelCreate();
  if (m == nullptr) throw std::bad_alloc();
  try {
    SGModelAddLod(m, 0.f);
    SGModelSubTransform* mst = &m->modLods[0].mdlRoot;
    mst->mstNumVerts = static_cast<std::uint32_t>(mesh.verts.size());
    mst->mstVerts = Alloc<SGPoint3s>(mesh.verts.size());
    for (std::size_t i = 0; i < mesh.verts.size(); ++i)
      mst->mstVerts[i] = SGPoint3s{mesh.verts[i][0], mesh.verts[i][1], mesh.verts[i][2]};
    mst->mstNumUVs = static_cast<std::uint32_t>(mesh.uvs.size());
    mst->mstUVs = Alloc<SGTexCoord>(mesh.uvs.size());
    for (std::size_t i = 0; i < mesh.uvs.size(); ++i) mst->mstUVs[i] = SGTexCoord{mesh.uvs[i][0], mesh.uvs[i][1]};
    mst->mstNumNormals = static_cast<std::uint32_t>(mesh.tris.size());
    mst->mstNormals = Alloc<SGPoint3s>(mesh.tris.size());
    SGFaceList* fcl = ISGFaceListCreate();
    if (fcl == nullptr) throw std::bad_alloc();
    fcl->fclNumFaces = static_cast<std::uint32_t>(mesh.tris.size());
    fcl->fclFaces = Alloc<SGFace>(mesh.tris.size());
    for (std::size_t f = 0; f < mesh.tris.size(); ++f) {
      const MeshTri& t = mesh.tris[f];
      const auto& a = mesh.verts[t.v[0]];
      const auto& b = mesh.verts[t.v[1]];
      const auto& c = mesh.verts[t.v[2]];
      const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      const float w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
      float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
      const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      for (float& x : n) x = len > 0 ? x / len : 0.f;
      mst->mstNormals[f] = SGPoint3s{n[0], n[1], n[2]};
      SGFace& face = fcl->fclFaces[f];
      for (int k = 0; k < 3; ++k) {
        face.facVertIndex[k] = t.v[k];
        face.facUVIndex[k] = t.uv[k];
        face.facNormalIndex[k] = static_cast<std::uint32_t>(f);
      }
      face.facMatIndex = t.material;
    }
    if (ISGGeoAppendFaces(&m->modLods[0], fcl) != SG_ERROR_NONE) throw std::bad_alloc();
    SGModelComputeBounds(m);
    sgdata::AppendHardPoints(m, mesh.hardPoints);
  } catch (...) {
    SGModelFree(m);
    throw;
  }
  return m;
}

std::uint32_t AddUV(Mesh* m, float u, float v) {
  m->uvs.push_back({u, v});
  return static_cast<std::uint32_t>(m->uvs.size() - 1);
}

}  // namespace

Image MakeMeshModelFile(const Mesh& mesh) { return sgdata::ModelFile(sgdata::PackModelBlock(Build(mesh))); }

Mesh MakeQuad(float half) {
  // In the x-y plane (right and up of the model), seen from both sides along
  // z, the model's forward axis, which the views turn to the camera.
  Mesh m;
  m.verts = {{-half, -half, 0}, {half, -half, 0}, {half, half, 0}, {-half, half, 0}};
  const std::uint32_t uv[4] = {AddUV(&m, 0, 1), AddUV(&m, 1, 1), AddUV(&m, 1, 0), AddUV(&m, 0, 0)};
  m.tris = {{{0, 1, 2}, {uv[0], uv[1], uv[2]}, 0},
            {{0, 2, 3}, {uv[0], uv[2], uv[3]}, 0},
            {{0, 2, 1}, {uv[0], uv[2], uv[1]}, 0},
            {{0, 3, 2}, {uv[0], uv[3], uv[2]}, 0}};
  return m;
}

void AppendBox(Mesh* m, const std::array<float, 3>& centre, const std::array<float, 3>& half) {
  const auto first = static_cast<std::uint32_t>(m->verts.size());
  for (int i = 0; i < 8; ++i)
    m->verts.push_back({centre[0] + ((i & 1) ? half[0] : -half[0]), centre[1] + ((i & 2) ? half[1] : -half[1]),
                        centre[2] + ((i & 4) ? half[2] : -half[2])});
  const std::uint32_t uv[4] = {AddUV(m, 0, 0), AddUV(m, 1, 0), AddUV(m, 1, 1), AddUV(m, 0, 1)};
  // Each side wound outwards.
  static constexpr std::uint32_t kSides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& s : kSides) {
    m->tris.push_back({{first + s[0], first + s[1], first + s[2]}, {uv[0], uv[1], uv[2]}, 0});
    m->tris.push_back({{first + s[0], first + s[2], first + s[3]}, {uv[0], uv[2], uv[3]}, 0});
  }
}

Mesh MakeBox(float hx, float hy, float hz) {
  Mesh m;
  AppendBox(&m, {0, 0, 0}, {hx, hy, hz});
  return m;
}

Mesh MakeRock(float radius, std::uint32_t seed) {
  // A sphere of latitude rings with a lumpy radius: low-frequency bulges from
  // the seed, so each of the models has its own outline.
  constexpr int kRings = 8, kSegments = 12;
  Mesh m;
  auto bump = [&](float lat, float lon) {
    float r = 1.f;
    for (std::uint32_t k = 0; k < 4; ++k) {
      const float a = static_cast<float>((seed * 2654435761u + k * 40503u) % 628) / 100.f;
      const float amp = 0.08f + 0.04f * static_cast<float>((seed + k) % 3);
      r += amp * std::sin(static_cast<float>(k + 1) * lon + a) * std::cos(static_cast<float>(k + 2) * lat - a);
    }
    return radius * r;
  };
  for (int i = 0; i <= kRings; ++i) {
    const float lat = -1.5707963f + 3.1415926f * static_cast<float>(i) / kRings;
    for (int j = 0; j <= kSegments; ++j) {
      const float lon = 6.2831853f * static_cast<float>(j) / kSegments;
      const float r = (i == 0 || i == kRings) ? radius : bump(lat, lon);
      m.verts.push_back({r * std::cos(lat) * std::cos(lon), r * std::cos(lat) * std::sin(lon), r * std::sin(lat)});
      AddUV(&m, static_cast<float>(j) / kSegments, static_cast<float>(i) / kRings);
    }
  }
  for (int i = 0; i < kRings; ++i) {
    for (int j = 0; j < kSegments; ++j) {
      const auto a = static_cast<std::uint32_t>(i * (kSegments + 1) + j), b = a + 1;
      const auto c = a + kSegments + 1, d = c + 1;
      if (i != 0) m.tris.push_back({{a, b, d}, {a, b, d}, 0});
      if (i != kRings - 1) m.tris.push_back({{a, d, c}, {a, d, c}, 0});
    }
  }
  // The seam's duplicate corners meet exactly: the ring's last column copies its first.
  for (int i = 0; i <= kRings; ++i)
    m.verts[static_cast<std::size_t>(i * (kSegments + 1) + kSegments)] =
        m.verts[static_cast<std::size_t>(i * (kSegments + 1))];
  return m;
}

}  // namespace content3d
