// Reading a stored model block. The block is trusted for nothing: every record
// must lie inside it exactly where the packer would have put it (so records
// cannot overlap, chains cannot loop and nothing but the vertex, normal and UV
// arrays is shared), every count must fit in the bytes that remain, and every
// vertex, normal and UV index must name an element of the sub-transform that is
// current where it is used.

#include "platform/core/bytes.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/model/model.h"
#include "sg/model/modlist.h"

namespace {

// Nesting of splitting planes beyond this is refused (it bounds the recursion).
constexpr int kMaxDepth = 256;

struct Parser {
  plat::ByteReader r;
  std::uint64_t pos = 0;
  std::uint32_t numXforms = 0;
  ISGArrayLists lists;
  SGError err = SG_ERROR_NONE;

  bool Bad() {
    if (err == SG_ERROR_NONE) {
      err = SG_ERROR_MODEL_FORMAT;
    }
    return false;
  }
  bool NoMemory() {
    err = SG_ERROR_NO_MEMORY;
    return false;
  }
  std::uint32_t U32(std::uint64_t at) {
    std::uint32_t v = 0;
    r.ReadAt(at, v);
    return v;
  }
  float F32(std::uint64_t at) {
    float v = 0.f;
    r.ReadAt(at, v);
    return v;
  }
  void F32s(std::uint64_t at, float* out, int n) { r.ReadAt(at, std::span<float>(out, static_cast<std::size_t>(n))); }

  // Claims `bytes` at the read position for a record that the block says lies at
  // `offset`; the record must be exactly there.
  bool Claim(std::uint64_t offset, std::uint64_t bytes) {
    if (offset != pos || !r.Has(pos, bytes)) {
      return Bad();
    }
    pos += bytes;
    return true;
  }

  template <class T>
  T* Alloc(std::uint64_t count) {
    auto* p = static_cast<T*>(SGCalloc(static_cast<std::size_t>(count == 0 ? 1 : count), sizeof(T)));
    if (p == nullptr) {
      NoMemory();
    }
    return p;
  }

  void Element(std::uint64_t at, SGPoint3s* p) {
    p->x = F32(at);
    p->y = F32(at + 4);
    p->z = F32(at + 8);
  }
  void Element(std::uint64_t at, SGTexCoord* t) {
    t->u = F32(at);
    t->v = F32(at + 4);
  }

  // A vertex or normal array (12 bytes per element) or a UV array (8 bytes).
  template <class T>
  bool Array(ISGAddrList& list, std::uint32_t count, std::uint32_t offset, T** out) {
    *out = nullptr;
    if (count == 0) {
      return offset == 0 || Bad();
    }
    if (const auto* seen = list.Find(static_cast<std::uintptr_t>(offset))) {
      // A shared array serves no user with more elements than were stored.
      if (count > seen->count) {
        return Bad();
      }
      *out = reinterpret_cast<T*>(seen->to);
      return true;
    }
    constexpr std::uint64_t elem = sizeof(T) == sizeof(SGTexCoord) ? 8 : 12;
    const std::uint64_t at = pos;
    if (!Claim(offset, elem * count)) {
      return false;
    }
    T* arr = Alloc<T>(count);
    if (arr == nullptr) {
      return false;
    }
    for (std::uint64_t i = 0; i < count; ++i) {
      Element(at + elem * i, &arr[i]);
    }
    if (!list.Add(static_cast<std::uintptr_t>(offset), reinterpret_cast<std::uintptr_t>(arr), count)) {
      SGFree(arr);
      return NoMemory();
    }
    *out = arr;
    return true;
  }

  bool SubTransform(std::uint64_t at, SGModelSubTransform* mst) {
    mst->mstXformIndex = U32(at);
    mst->mstNumVerts = U32(at + 4);
    mst->mstNumNormals = U32(at + 12);
    mst->mstNumUVs = U32(at + 20);
    return Array(lists.verts, mst->mstNumVerts, U32(at + 8), &mst->mstVerts) &&
           Array(lists.normals, mst->mstNumNormals, U32(at + 16), &mst->mstNormals) &&
           Array(lists.uvs, mst->mstNumUVs, U32(at + 24), &mst->mstUVs);
  }

  // `count` 32-bit words at `offset`.
  bool Words(std::uint32_t offset, std::uint64_t count, std::uint32_t** out) {
    const std::uint64_t at = pos;
    if (!Claim(offset, 4 * count)) {
      return false;
    }
    *out = Alloc<std::uint32_t>(count);
    if (*out == nullptr) {
      return false;
    }
    for (std::uint64_t i = 0; i < count; ++i) {
      (*out)[i] = U32(at + 4 * i);
    }
    return true;
  }

  static bool Below(const std::uint32_t* idx, std::uint64_t n, std::uint32_t limit, bool noneAllowed) {
    for (std::uint64_t i = 0; i < n; ++i) {
      if (idx[i] >= limit && !(noneAllowed && idx[i] == SG_UV_NONE)) {
        return false;
      }
    }
    return true;
  }

  bool Faces(std::uint64_t at, SGFaceList* d, const SGModelSubTransform* cur) {
    d->fclFlags = U32(at);
    d->fclNumFaces = U32(at + 4);
    F32s(at + 12, d->fclMin, 3);
    F32s(at + 24, d->fclMax, 3);
    d->fclRadius = F32(at + 36);
    F32s(at + 40, d->fclCentre, 3);
    const std::uint32_t facesAt = U32(at + 8);
    if (d->fclNumFaces == 0) {
      return facesAt == 0 || Bad();
    }
    const std::uint64_t first = pos;
    if (!Claim(facesAt, 56 * static_cast<std::uint64_t>(d->fclNumFaces))) {
      return false;
    }
    d->fclFaces = Alloc<SGFace>(d->fclNumFaces);
    if (d->fclFaces == nullptr) {
      return false;
    }
    for (std::uint32_t i = 0; i < d->fclNumFaces; ++i) {
      SGFace& f = d->fclFaces[i];
      const std::uint64_t o = first + 56 * static_cast<std::uint64_t>(i);
      for (int k = 0; k < 3; ++k) {
        f.facVertIndex[k] = U32(o + 4 * k);
        f.facNormalIndex[k] = U32(o + 12 + 4 * k);
        f.facUVIndex[k] = U32(o + 24 + 4 * k);
      }
      F32s(o + 36, f.facNormal, 3);
      f.facDist = F32(o + 48);
      f.facMatIndex = U32(o + 52);
      if (!Below(f.facVertIndex, 3, cur->mstNumVerts, false) ||
          !Below(f.facNormalIndex, 3, cur->mstNumNormals, false) || !Below(f.facUVIndex, 3, cur->mstNumUVs, true)) {
        return Bad();
      }
    }
    return true;
  }

  bool Billboard(std::uint64_t at, SGBillboard* d) {
    F32s(at, d->bilPoint, 3);
    F32s(at + 12, d->bilCentre, 3);
    F32s(at + 24, d->bilMin, 3);
    F32s(at + 36, d->bilMax, 3);
    d->bilRadius = F32(at + 48);
    d->bilHalfHeight = F32(at + 52);
    d->bilHalfWidth = F32(at + 56);
    d->bilNumAzimuth = U32(at + 60);
    d->bilNumPolar = U32(at + 64);
    d->bilMirrorMask = U32(at + 72);
    const std::uint64_t n = static_cast<std::uint64_t>(d->bilNumAzimuth) * d->bilNumPolar;
    // Without indices the table word means nothing and is not read.
    return n == 0 || Words(U32(at + 68), n, &d->bilMatIndex);
  }

  bool Points(std::uint64_t at, SGPointList* d, const SGModelSubTransform* cur) {
    d->ptlNumPoints = U32(at);
    d->ptlMatIndex = U32(at + 16);
    const std::uint32_t offsets[3] = {U32(at + 4), U32(at + 8), U32(at + 12)};
    std::uint32_t** arrays[3] = {&d->ptlVertIndex, &d->ptlNormalIndex, &d->ptlUVs};
    for (int k = 0; k < 3; ++k) {
      if (offsets[k] != 0 && !Words(offsets[k], d->ptlNumPoints, arrays[k])) {
        return false;
      }
    }
    if (d->ptlNumPoints != 0 && d->ptlVertIndex == nullptr) {
      return Bad();
    }
    const std::uint64_t n = d->ptlNumPoints;
    if ((d->ptlVertIndex != nullptr && !Below(d->ptlVertIndex, n, cur->mstNumVerts, false)) ||
        (d->ptlNormalIndex != nullptr && !Below(d->ptlNormalIndex, n, cur->mstNumNormals, false)) ||
        (d->ptlUVs != nullptr && !Below(d->ptlUVs, n, cur->mstNumUVs, true))) {
      return Bad();
    }
    return true;
  }

  bool Lines(std::uint64_t at, SGLineList* d, const SGModelSubTransform* cur) {
    d->linNumLines = U32(at);
    d->linMatIndex = U32(at + 8);
    const std::uint32_t arrayAt = U32(at + 4);
    if (d->linNumLines == 0) {
      return arrayAt == 0 || Bad();
    }
    const std::uint64_t n = 2 * static_cast<std::uint64_t>(d->linNumLines);
    return Words(arrayAt, n, &d->linVertIndex) && (Below(d->linVertIndex, n, cur->mstNumVerts, false) || Bad());
  }

  // The data record of one node, placed right behind it.
  bool Data(SGGeoNode* node, std::uint32_t dataAt, SGModelSubTransform** cur, int depth) {
    static constexpr std::uint64_t kRecordSize[] = {24, 52, 76, 4, 32, 0, 20, 12, 16};
    if (node->gdType == SG_GD_TYPE_XFORM_END) {
      *cur = (*cur)->mstParent;
      return true;
    }
    if (node->gdType > SG_GD_TYPE_HARDPOINT) {
      return Bad();
    }
    const std::uint64_t at = pos;
    if (!Claim(dataAt, kRecordSize[node->gdType])) {
      return false;
    }
    switch (node->gdType) {
      case SG_GD_TYPE_BSP: {
        auto* d = Alloc<SGGeoSplit>(1);
        node->gdData = d;
        if (d == nullptr) {
          return false;
        }
        F32s(at, d->gspNormal, 3);
        d->gspDist = F32(at + 12);
        d->gspFront = Chain(U32(at + 16), *cur, depth + 1);
        d->gspBack = Chain(U32(at + 20), *cur, depth + 1);
        return err == SG_ERROR_NONE;
      }
      case SG_GD_TYPE_FACES: {
        auto* d = Alloc<SGFaceList>(1);
        node->gdData = d;
        return d != nullptr && Faces(at, d, *cur);
      }
      case SG_GD_TYPE_BILLBOARD: {
        auto* d = Alloc<SGBillboard>(1);
        node->gdData = d;
        return d != nullptr && Billboard(at, d);
      }
      case SG_GD_TYPE_WORD: {
        auto* d = Alloc<std::uint32_t>(1);
        node->gdData = d;
        if (d != nullptr) {
          *d = U32(at);
        }
        return d != nullptr;
      }
      case SG_GD_TYPE_XFORM: {
        auto* d = Alloc<SGModelSubTransform>(1);
        node->gdData = d;
        if (d == nullptr || !SubTransform(at, d)) {
          return false;
        }
        // Slot numModelXforms is the identity every model instance adds.
        if (d->mstXformIndex > numXforms) {
          return Bad();
        }
        d->mstParent = *cur;
        *cur = d;
        return true;
      }
      case SG_GD_TYPE_POINTS: {
        auto* d = Alloc<SGPointList>(1);
        node->gdData = d;
        return d != nullptr && Points(at, d, *cur);
      }
      case SG_GD_TYPE_LINES: {
        auto* d = Alloc<SGLineList>(1);
        node->gdData = d;
        return d != nullptr && Lines(at, d, *cur);
      }
      default: {
        auto* d = Alloc<SGGeoHardPoint>(1);
        node->gdData = d;
        if (d != nullptr) {
          d->ghpId = U32(at);
          F32s(at + 4, d->ghpPos, 3);
        }
        return d != nullptr;
      }
    }
  }

  // The chain whose first node the block places at `offset` (0: none). Nodes are
  // linked in as they are made, so a refused chain can be freed with the model.
  SGGeoNode* Chain(std::uint32_t offset, SGModelSubTransform* cur, int depth) {
    if (offset == 0) {
      return nullptr;
    }
    if (depth > kMaxDepth) {
      Bad();
      return nullptr;
    }
    SGGeoNode* head = nullptr;
    SGGeoNode** link = &head;
    while (offset != 0 && err == SG_ERROR_NONE) {
      const std::uint64_t at = pos;
      if (!Claim(offset, 12)) {
        break;
      }
      auto* node = Alloc<SGGeoNode>(1);
      if (node == nullptr) {
        break;
      }
      *link = node;
      link = &node->gdNext;
      node->gdType = U32(at);
      if (!Data(node, U32(at + 4), &cur, depth)) {
        break;
      }
      offset = U32(at + 8);
    }
    return head;
  }

  bool Lod(std::uint64_t at, SGModelLod* lod) {
    lod->mdlReserved = U32(at);
    lod->mdlDistance = F32(at + 4);
    lod->mdlRoot.mstParent = &lod->mdlRoot;
    F32s(at + 40, lod->mdlMin, 3);
    F32s(at + 52, lod->mdlMax, 3);
    lod->mdlRadius = F32(at + 64);
    F32s(at + 68, lod->mdlCentre, 3);
    if (!SubTransform(at + 8, &lod->mdlRoot)) {
      return false;
    }
    lod->mdlData = Chain(U32(at + 80), &lod->mdlRoot, 0);
    return err == SG_ERROR_NONE;
  }

  // Builds the model in separate allocations; on failure what was built is
  // left in *out for the caller to free.
  bool Model(SGModel** out) {
    if (r.Size() < 60) {
      return Bad();
    }
    auto* m = Alloc<SGModel>(1);
    *out = m;
    if (m == nullptr) {
      return false;
    }
    const std::uint32_t numLods = U32(4);
    const std::uint32_t lodsAt = U32(8);
    numXforms = U32(12);
    const std::uint32_t xformsAt = U32(16);
    m->modRadius = F32(20);
    F32s(24, m->modMin, 3);
    F32s(36, m->modMax, 3);
    F32s(48, m->modCentre, 3);
    if (U32(0) != r.Size()) {
      return Bad();
    }
    pos = 60;
    if (numXforms != 0) {
      const std::uint64_t at = pos;
      if (!Claim(xformsAt, 64 * static_cast<std::uint64_t>(numXforms))) {
        return false;
      }
      m->modXforms = Alloc<SGModelXform>(numXforms);
      if (m->modXforms == nullptr) {
        return false;
      }
      for (std::uint32_t i = 0; i < numXforms; ++i) {
        r.ReadAt(at + 64 * static_cast<std::uint64_t>(i), std::span<std::uint8_t>(m->modXforms[i].bytes));
      }
      m->modNumXforms = numXforms;
    } else if (xformsAt != 0) {
      return Bad();
    }
    if (numLods == 0) {
      return lodsAt == 0 ? (pos == r.Size() || Bad()) : Bad();
    }
    // The LOD records and their spare bytes must fit before anything is made.
    const std::uint64_t lodBytes = 84 * static_cast<std::uint64_t>(numLods);
    if (!r.Has(pos, lodBytes + 32 * static_cast<std::uint64_t>(numLods))) {
      return Bad();
    }
    const std::uint64_t at = pos;
    if (!Claim(lodsAt, lodBytes)) {
      return false;
    }
    m->modLods = Alloc<SGModelLod>(numLods);
    if (m->modLods == nullptr) {
      return false;
    }
    m->modNumLods = numLods;
    for (std::uint32_t i = 0; i < numLods; ++i) {
      m->modLods[i].mdlRoot.mstParent = &m->modLods[i].mdlRoot;
    }
    for (std::uint32_t i = 0; i < numLods; ++i) {
      if (!Lod(at + 84 * static_cast<std::uint64_t>(i), &m->modLods[i])) {
        return false;
      }
    }
    return pos + 32 * static_cast<std::uint64_t>(numLods) == r.Size() || Bad();
  }
};

}  // namespace

SGError SGModelRelocate(const std::uint8_t* block, std::uint32_t size, SGModel** out) {
  Parser p;
  p.r = plat::ByteReader(std::span<const std::uint8_t>(block, size));
  SGModel* loose = nullptr;
  const bool ok = p.Model(&loose);
  if (!ok) {
    if (loose != nullptr) {
      ISGModelDestroy(loose);
    }
    return p.err;
  }
  SGModel* packed = SGModelPack(loose);
  ISGModelDestroy(loose);
  if (packed == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  ISG_ASSERT(packed->modPackedSize == size, "modreloc");
  *out = packed;
  return SG_ERROR_NONE;
}
