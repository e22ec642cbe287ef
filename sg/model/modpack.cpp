// Packing and copying models: measuring, cloning into one block or into
// separate allocations, and writing the stored block.

#include <cstring>
#include <utility>

#include "platform/core/bytes.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/model/modlayout.h"

namespace {

std::uint64_t Round(std::uint64_t bytes, std::uint64_t align) { return (bytes + align - 1) / align * align; }

// ---------------------------------------------------------------- measuring

struct Measure {
  explicit Measure(const ISGModelSizes& sizes) : s(sizes) {}
  const ISGModelSizes& s;
  ISGArrayLists lists;
  bool ok = true;

  std::uint64_t Alloc(std::uint64_t bytes) const { return Round(bytes, s.align); }

  std::uint64_t Array(ISGAddrList& list, const void* array, std::uint32_t count, std::uint64_t elem) {
    if (count == 0 || list.Find(array) != nullptr) {
      return 0;
    }
    ISG_ASSERT(array, "modpack");
    ok = ok && list.Add(array, 0);
    return Alloc(elem * count);
  }

  std::uint64_t Arrays(const SGModelSubTransform* mst) {
    return Array(lists.verts, mst->mstVerts, mst->mstNumVerts, s.vert) +
           Array(lists.normals, mst->mstNormals, mst->mstNumNormals, s.normal) +
           Array(lists.uvs, mst->mstUVs, mst->mstNumUVs, s.uv);
  }

  std::uint64_t Chain(const SGGeoNode* node) {
    std::uint64_t total = 0;
    for (; node != nullptr; node = node->gdNext) {
      total += Alloc(s.node);
      switch (node->gdType) {
        case SG_GD_TYPE_BSP: {
          const auto* split = static_cast<const SGGeoSplit*>(node->gdData);
          total += Alloc(s.split) + Chain(split->gspFront) + Chain(split->gspBack);
          break;
        }
        case SG_GD_TYPE_FACES: {
          const auto* fcl = static_cast<const SGFaceList*>(node->gdData);
          total += Alloc(s.faceList) + (fcl->fclNumFaces != 0 ? Alloc(s.face * fcl->fclNumFaces) : 0);
          break;
        }
        case SG_GD_TYPE_BILLBOARD: {
          const std::uint64_t n = ISGBillboardTableSize(static_cast<const SGBillboard*>(node->gdData));
          total += Alloc(s.billboard) + (n != 0 ? Alloc(s.index * n) : 0);
          break;
        }
        case SG_GD_TYPE_WORD:
          total += Alloc(s.word);
          break;
        case SG_GD_TYPE_XFORM:
          total += Alloc(s.subXform) + Arrays(static_cast<const SGModelSubTransform*>(node->gdData));
          break;
        case SG_GD_TYPE_POINTS: {
          const auto* ptl = static_cast<const SGPointList*>(node->gdData);
          const std::uint64_t arr = Alloc(s.index * ptl->ptlNumPoints);
          total += Alloc(s.pointList) + (ptl->ptlVertIndex != nullptr ? arr : 0) +
                   (ptl->ptlNormalIndex != nullptr ? arr : 0) + (ptl->ptlUVs != nullptr ? arr : 0);
          break;
        }
        case SG_GD_TYPE_LINES: {
          const auto* lin = static_cast<const SGLineList*>(node->gdData);
          total += Alloc(s.lineList) + (lin->linNumLines != 0 ? Alloc(2 * s.index * lin->linNumLines) : 0);
          break;
        }
        case SG_GD_TYPE_HARDPOINT:
          total += Alloc(s.hardPoint);
          break;
        default:
          break;
      }
    }
    return total;
  }
};

// ---------------------------------------------------------------- cloning

// Clones a model through an allocator: `Get(bytes)` gives memory or null.
template <class Allocator>
struct Clone {
  explicit Clone(Allocator& allocator) : mem(allocator) {}
  Allocator& mem;
  ISGArrayLists lists;
  bool ok = true;

  template <class T>
  T* New(std::uint64_t count = 1) {
    auto* p = static_cast<T*>(mem.Get(sizeof(T) * count));
    ok = ok && p != nullptr;
    return p;
  }

  template <class T>
  T* Copy(const T* src, std::uint64_t count) {
    T* p = New<T>(count);
    if (p != nullptr && count != 0) {
      std::memcpy(p, src, sizeof(T) * count);
    }
    return p;
  }

  template <class T>
  T* Shared(ISGAddrList& list, const T* src, std::uint32_t count) {
    if (count == 0 || src == nullptr) {
      return nullptr;
    }
    if (const auto* seen = list.Find(src)) {
      return reinterpret_cast<T*>(seen->to);
    }
    T* p = Copy(src, count);
    if (p != nullptr && !list.Add(src, reinterpret_cast<std::uintptr_t>(p))) {
      // Not recorded, so nothing else would free it.
      mem.Drop(p);
      ok = false;
      return nullptr;
    }
    return p;
  }

  void Arrays(SGModelSubTransform* dst, const SGModelSubTransform* src) {
    dst->mstVerts = Shared(lists.verts, src->mstVerts, src->mstNumVerts);
    dst->mstNormals = Shared(lists.normals, src->mstNormals, src->mstNumNormals);
    dst->mstUVs = Shared(lists.uvs, src->mstUVs, src->mstNumUVs);
  }

  void* Data(const SGGeoNode* node) {
    switch (node->gdType) {
      case SG_GD_TYPE_BSP: {
        const auto* src = static_cast<const SGGeoSplit*>(node->gdData);
        SGGeoSplit* dst = Copy(src, 1);
        if (dst != nullptr) {
          dst->gspFront = Chain(src->gspFront);
          dst->gspBack = Chain(src->gspBack);
        }
        return dst;
      }
      case SG_GD_TYPE_FACES: {
        const auto* src = static_cast<const SGFaceList*>(node->gdData);
        SGFaceList* dst = Copy(src, 1);
        if (dst != nullptr) {
          dst->fclFaces = src->fclNumFaces != 0 ? Copy(src->fclFaces, src->fclNumFaces) : nullptr;
        }
        return dst;
      }
      case SG_GD_TYPE_BILLBOARD: {
        const auto* src = static_cast<const SGBillboard*>(node->gdData);
        SGBillboard* dst = Copy(src, 1);
        if (dst != nullptr) {
          const std::uint64_t n = ISGBillboardTableSize(src);
          dst->bilMatIndex = n != 0 ? Copy(src->bilMatIndex, n) : nullptr;
        }
        return dst;
      }
      case SG_GD_TYPE_WORD:
        return Copy(static_cast<const std::uint32_t*>(node->gdData), 1);
      case SG_GD_TYPE_XFORM: {
        const auto* src = static_cast<const SGModelSubTransform*>(node->gdData);
        SGModelSubTransform* dst = Copy(src, 1);
        if (dst != nullptr) {
          dst->mstParent = nullptr;
          Arrays(dst, src);
        }
        return dst;
      }
      case SG_GD_TYPE_POINTS: {
        const auto* src = static_cast<const SGPointList*>(node->gdData);
        SGPointList* dst = Copy(src, 1);
        if (dst != nullptr) {
          const std::uint32_t n = src->ptlNumPoints;
          dst->ptlVertIndex = src->ptlVertIndex != nullptr ? Copy(src->ptlVertIndex, n) : nullptr;
          dst->ptlNormalIndex = src->ptlNormalIndex != nullptr ? Copy(src->ptlNormalIndex, n) : nullptr;
          dst->ptlUVs = src->ptlUVs != nullptr ? Copy(src->ptlUVs, n) : nullptr;
        }
        return dst;
      }
      case SG_GD_TYPE_LINES: {
        const auto* src = static_cast<const SGLineList*>(node->gdData);
        SGLineList* dst = Copy(src, 1);
        if (dst != nullptr) {
          dst->linVertIndex = src->linNumLines != 0
                                  ? Copy(src->linVertIndex, 2 * static_cast<std::uint64_t>(src->linNumLines))
                                  : nullptr;
        }
        return dst;
      }
      case SG_GD_TYPE_HARDPOINT:
        return Copy(static_cast<const SGGeoHardPoint*>(node->gdData), 1);
      default:
        return nullptr;
    }
  }

  // Each node is linked in before its data is cloned, so that a clone that stops
  // half way can still be taken apart.
  SGGeoNode* Chain(const SGGeoNode* src) {
    SGGeoNode* head = nullptr;
    SGGeoNode** link = &head;
    for (; src != nullptr && ok; src = src->gdNext) {
      SGGeoNode* dst = New<SGGeoNode>();
      if (dst == nullptr) {
        break;
      }
      dst->gdType = src->gdType;
      dst->gdData = nullptr;
      dst->gdNext = nullptr;
      *link = dst;
      link = &dst->gdNext;
      dst->gdData = Data(src);
    }
    return head;
  }

  SGModel* Model(const SGModel* src) {
    SGModel* dst = Copy(src, 1);
    if (dst == nullptr) {
      return nullptr;
    }
    dst->modLods = nullptr;
    dst->modXforms = nullptr;
    const std::uint32_t numLods = dst->modNumLods;
    const std::uint32_t numXforms = dst->modNumXforms;
    dst->modNumLods = 0;
    dst->modNumXforms = 0;
    if (numXforms != 0) {
      dst->modXforms = Copy(src->modXforms, numXforms);
      if (dst->modXforms == nullptr) {
        return dst;
      }
      dst->modNumXforms = numXforms;
    }
    if (numLods == 0) {
      return dst;
    }
    dst->modLods = New<SGModelLod>(numLods);
    if (dst->modLods == nullptr) {
      return dst;
    }
    for (std::uint32_t i = 0; i < numLods; ++i) {
      SGModelLod& lod = dst->modLods[i];
      lod = src->modLods[i];
      lod.mdlRoot.mstVerts = nullptr;
      lod.mdlRoot.mstNormals = nullptr;
      lod.mdlRoot.mstUVs = nullptr;
      lod.mdlRoot.mstParent = &lod.mdlRoot;
      lod.mdlData = nullptr;
    }
    dst->modNumLods = numLods;
    for (std::uint32_t i = 0; i < numLods && ok; ++i) {
      Arrays(&dst->modLods[i].mdlRoot, &src->modLods[i].mdlRoot);
      dst->modLods[i].mdlData = Chain(src->modLods[i].mdlData);
    }
    return dst;
  }
};

struct HeapAllocator {
  void* Get(std::uint64_t bytes) { return SGMalloc(static_cast<std::size_t>(bytes)); }
  void Drop(void* p) { SGFree(p); }
};

// Hands out pieces of one block that was measured to fit them all.
struct ArenaAllocator {
  std::uint8_t* base;
  std::uint64_t used;
  std::uint64_t capacity;

  void* Get(std::uint64_t bytes) {
    const std::uint64_t size = Round(bytes, kISGNativeSizes.align);
    ISG_ASSERT(capacity - used >= size, "modpack");
    void* p = base + used;
    used += size;
    return p;
  }
  void Drop(void*) {}
};

// ---------------------------------------------------------------- writing the block

// Fields go in at their offsets in a block of known size; one outside it is a
// programming error, caught when the block is done.
struct Writer {
  Writer(std::uint8_t* out, std::uint32_t bytes) : w(std::span<std::uint8_t>(out, bytes)), size(bytes) {}
  plat::ByteWriter w;
  std::uint64_t size;
  std::uint64_t pos = 0;
  ISGArrayLists lists;
  bool ok = true;

  std::uint32_t Take(std::uint64_t bytes) {
    const auto at = static_cast<std::uint32_t>(pos);
    pos += bytes;
    ISG_ASSERT(pos <= size, "modpack");
    return at;
  }
  void U32(std::uint64_t at, std::uint32_t v) { w.WriteAt(at, v); }
  void F32(std::uint64_t at, float v) { w.WriteAt(at, v); }
  void F32s(std::uint64_t at, const float* v, int count) {
    w.WriteAt(at, std::span<const float>(v, static_cast<std::size_t>(count)));
  }

  std::uint32_t Points(ISGAddrList& list, const SGPoint3s* arr, std::uint32_t count) {
    if (count == 0) {
      return 0;
    }
    if (const auto* seen = list.Find(arr)) {
      return static_cast<std::uint32_t>(seen->to);
    }
    const std::uint32_t at = Take(12 * static_cast<std::uint64_t>(count));
    for (std::uint32_t i = 0; i < count; ++i) {
      F32(at + 12 * static_cast<std::uint64_t>(i), arr[i].x);
      F32(at + 12 * static_cast<std::uint64_t>(i) + 4, arr[i].y);
      F32(at + 12 * static_cast<std::uint64_t>(i) + 8, arr[i].z);
    }
    ok = ok && list.Add(arr, at);
    return at;
  }

  std::uint32_t UVs(const SGTexCoord* arr, std::uint32_t count) {
    if (count == 0) {
      return 0;
    }
    if (const auto* seen = lists.uvs.Find(arr)) {
      return static_cast<std::uint32_t>(seen->to);
    }
    const std::uint32_t at = Take(8 * static_cast<std::uint64_t>(count));
    for (std::uint32_t i = 0; i < count; ++i) {
      F32(at + 8 * static_cast<std::uint64_t>(i), arr[i].u);
      F32(at + 8 * static_cast<std::uint64_t>(i) + 4, arr[i].v);
    }
    ok = ok && lists.uvs.Add(arr, at);
    return at;
  }

  std::uint32_t Words(const std::uint32_t* arr, std::uint64_t count) {
    const std::uint32_t at = Take(4 * count);
    for (std::uint64_t i = 0; i < count; ++i) {
      U32(at + 4 * i, arr[i]);
    }
    return at;
  }

  // The 32-byte sub-transform at `at`; its arrays are placed at the write position.
  void SubTransform(std::uint32_t at, const SGModelSubTransform* mst) {
    U32(at, mst->mstXformIndex);
    U32(at + 4, mst->mstNumVerts);
    U32(at + 12, mst->mstNumNormals);
    U32(at + 20, mst->mstNumUVs);
    U32(at + 8, Points(lists.verts, mst->mstVerts, mst->mstNumVerts));
    U32(at + 16, Points(lists.normals, mst->mstNormals, mst->mstNumNormals));
    U32(at + 24, UVs(mst->mstUVs, mst->mstNumUVs));
  }

  std::uint32_t Data(const SGGeoNode* node) {
    switch (node->gdType) {
      case SG_GD_TYPE_BSP: {
        const auto* d = static_cast<const SGGeoSplit*>(node->gdData);
        const std::uint32_t at = Take(24);
        F32s(at, d->gspNormal, 3);
        F32(at + 12, d->gspDist);
        U32(at + 16, Chain(d->gspFront));
        U32(at + 20, Chain(d->gspBack));
        return at;
      }
      case SG_GD_TYPE_FACES: {
        const auto* d = static_cast<const SGFaceList*>(node->gdData);
        const std::uint32_t at = Take(52);
        U32(at, d->fclFlags);
        U32(at + 4, d->fclNumFaces);
        F32s(at + 12, d->fclMin, 3);
        F32s(at + 24, d->fclMax, 3);
        F32(at + 36, d->fclRadius);
        F32s(at + 40, d->fclCentre, 3);
        if (d->fclNumFaces != 0) {
          const std::uint32_t faces = Take(56 * static_cast<std::uint64_t>(d->fclNumFaces));
          U32(at + 8, faces);
          for (std::uint32_t i = 0; i < d->fclNumFaces; ++i) {
            const SGFace& f = d->fclFaces[i];
            const std::uint64_t o = faces + 56 * static_cast<std::uint64_t>(i);
            for (int k = 0; k < 3; ++k) {
              U32(o + 4 * k, f.facVertIndex[k]);
              U32(o + 12 + 4 * k, f.facNormalIndex[k]);
              U32(o + 24 + 4 * k, f.facUVIndex[k]);
            }
            F32s(o + 36, f.facNormal, 3);
            F32(o + 48, f.facDist);
            U32(o + 52, f.facMatIndex);
          }
        }
        return at;
      }
      case SG_GD_TYPE_BILLBOARD: {
        const auto* d = static_cast<const SGBillboard*>(node->gdData);
        const std::uint32_t at = Take(76);
        F32s(at, d->bilPoint, 3);
        F32s(at + 12, d->bilCentre, 3);
        F32s(at + 24, d->bilMin, 3);
        F32s(at + 36, d->bilMax, 3);
        F32(at + 48, d->bilRadius);
        F32(at + 52, d->bilHalfHeight);
        F32(at + 56, d->bilHalfWidth);
        U32(at + 60, d->bilNumAzimuth);
        U32(at + 64, d->bilNumPolar);
        U32(at + 72, d->bilMirrorMask);
        const std::uint64_t n = ISGBillboardTableSize(d);
        if (n != 0) {
          U32(at + 68, Words(d->bilMatIndex, n));
        }
        return at;
      }
      case SG_GD_TYPE_WORD: {
        const std::uint32_t at = Take(4);
        U32(at, *static_cast<const std::uint32_t*>(node->gdData));
        return at;
      }
      case SG_GD_TYPE_XFORM: {
        const std::uint32_t at = Take(32);
        SubTransform(at, static_cast<const SGModelSubTransform*>(node->gdData));
        return at;
      }
      case SG_GD_TYPE_POINTS: {
        const auto* d = static_cast<const SGPointList*>(node->gdData);
        const std::uint32_t at = Take(20);
        U32(at, d->ptlNumPoints);
        U32(at + 16, d->ptlMatIndex);
        if (d->ptlVertIndex != nullptr) {
          U32(at + 4, Words(d->ptlVertIndex, d->ptlNumPoints));
        }
        if (d->ptlNormalIndex != nullptr) {
          U32(at + 8, Words(d->ptlNormalIndex, d->ptlNumPoints));
        }
        if (d->ptlUVs != nullptr) {
          U32(at + 12, Words(d->ptlUVs, d->ptlNumPoints));
        }
        return at;
      }
      case SG_GD_TYPE_LINES: {
        const auto* d = static_cast<const SGLineList*>(node->gdData);
        const std::uint32_t at = Take(12);
        U32(at, d->linNumLines);
        U32(at + 8, d->linMatIndex);
        if (d->linNumLines != 0) {
          U32(at + 4, Words(d->linVertIndex, 2 * static_cast<std::uint64_t>(d->linNumLines)));
        }
        return at;
      }
      case SG_GD_TYPE_HARDPOINT: {
        const auto* d = static_cast<const SGGeoHardPoint*>(node->gdData);
        const std::uint32_t at = Take(16);
        U32(at, d->ghpId);
        F32s(at + 4, d->ghpPos, 3);
        return at;
      }
      default:
        return 0;
    }
  }

  // Places a chain node by node; returns the offset of its first node.
  std::uint32_t Chain(const SGGeoNode* node) {
    std::uint32_t first = 0;
    std::uint32_t prev = 0;
    for (; node != nullptr; node = node->gdNext) {
      const std::uint32_t at = Take(12);
      if (prev != 0) {
        U32(prev + 8, at);
      } else {
        first = at;
      }
      U32(at, node->gdType);
      U32(at + 4, Data(node));
      prev = at;
    }
    return first;
  }
};

}  // namespace

std::uint64_t ISGModelMeasure(const SGModel* model, const ISGModelSizes& s) {
  Measure m(s);
  std::uint64_t total = m.Alloc(s.model);
  if (model->modNumXforms != 0) {
    total += m.Alloc(s.xform * model->modNumXforms);
  }
  if (model->modNumLods != 0) {
    total += m.Alloc(s.lod * model->modNumLods) + s.lodExtra * model->modNumLods;
  }
  for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
    total += m.Arrays(&model->modLods[i].mdlRoot);
    total += m.Chain(model->modLods[i].mdlData);
  }
  return m.ok ? total : 0;
}

std::uint32_t SGModelPackedSize(const SGModel* model) {
  const std::uint64_t size = ISGModelMeasure(model, kISGDiskSizes);
  return size <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(size) : 0;
}

SGModel* SGModelPack(const SGModel* model) {
  const std::uint32_t diskSize = SGModelPackedSize(model);
  const std::uint64_t nativeSize = ISGModelMeasure(model, kISGNativeSizes);
  if (diskSize == 0 || nativeSize == 0) {
    return nullptr;
  }
  auto* block = static_cast<std::uint8_t*>(SGMalloc(static_cast<std::size_t>(nativeSize)));
  if (block == nullptr) {
    return nullptr;
  }
  ArenaAllocator arena{block, 0, nativeSize};
  Clone<ArenaAllocator> clone(arena);
  SGModel* packed = clone.Model(model);
  if (!clone.ok) {
    SGFree(block);
    return nullptr;
  }
  packed->modPackedSize = diskSize;
  return packed;
}

SGModel* SGModelCopy(const SGModel* model) {
  HeapAllocator heap;
  Clone<HeapAllocator> clone(heap);
  SGModel* copy = clone.Model(model);
  if (copy == nullptr) {
    return nullptr;
  }
  copy->modPackedSize = 0;
  if (!clone.ok) {
    ISGModelDestroy(copy);
    return nullptr;
  }
  return copy;
}

SGError SGModelUnrelocate(const SGModel* model, std::uint8_t* out, std::uint32_t size) {
  std::memset(out, 0, size);
  Writer wr(out, size);
  wr.Take(60);
  wr.U32(0, size);
  wr.U32(4, model->modNumLods);
  wr.U32(12, model->modNumXforms);
  wr.F32(20, model->modRadius);
  wr.F32s(24, model->modMin, 3);
  wr.F32s(36, model->modMax, 3);
  wr.F32s(48, model->modCentre, 3);
  if (model->modNumXforms != 0) {
    const std::uint32_t at = wr.Take(64 * static_cast<std::uint64_t>(model->modNumXforms));
    for (std::uint32_t i = 0; i < model->modNumXforms; ++i) {
      wr.w.WriteAt(at + 64 * static_cast<std::uint64_t>(i), std::span<const std::uint8_t>(model->modXforms[i].bytes));
    }
    wr.U32(16, at);
  }
  if (model->modNumLods != 0) {
    const std::uint32_t lods = wr.Take(84 * static_cast<std::uint64_t>(model->modNumLods));
    wr.U32(8, lods);
    for (std::uint32_t i = 0; i < model->modNumLods; ++i) {
      const SGModelLod& lod = model->modLods[i];
      const std::uint32_t at = lods + 84 * i;
      wr.U32(at, lod.mdlReserved);
      wr.F32(at + 4, lod.mdlDistance);
      wr.SubTransform(at + 8, &lod.mdlRoot);
      wr.F32s(at + 40, lod.mdlMin, 3);
      wr.F32s(at + 52, lod.mdlMax, 3);
      wr.F32(at + 64, lod.mdlRadius);
      wr.F32s(at + 68, lod.mdlCentre, 3);
      wr.U32(at + 80, wr.Chain(lod.mdlData));
    }
  }
  if (!wr.ok) {
    return SG_ERROR_NO_MEMORY;
  }
  ISG_ASSERT(wr.w.Ok() && wr.pos + 32 * static_cast<std::uint64_t>(model->modNumLods) == size, "modpack");
  return SG_ERROR_NONE;
}

void SGSwapWords(void* buffer, std::uint32_t bytes) {
  auto* p = static_cast<std::uint8_t*>(buffer);
  for (std::uint32_t i = 0; i + 4 <= bytes; i += 4) {
    std::swap(p[i], p[i + 3]);
    std::swap(p[i + 1], p[i + 2]);
  }
}
