// The stored model block: reading checks everything, writing gives back the
// same bytes.

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "../sgtest.h"
#include "sg/model/model.h"

namespace {

using sgtest::Bytes;

// A block with every node type, arrays shared between the LOD root and a
// sub-transform, and a split whose back chain returns to the root's vertices.
// `tweak` may change any word before it is used.
Bytes MakeBlock(const std::function<void(Bytes&)>& tweak = nullptr) {
  Bytes b;
  b.U32(720).U32(1).U32(124).U32(1).U32(60).F32(2.f);  // size, LODs, LOD array, xforms
  b.F32(-1).F32(-1).F32(-1).F32(1).F32(1).F32(1).F32(0).F32(0).F32(0);
  for (int i = 0; i < 64; ++i) b.U8(static_cast<std::uint8_t>(i));  // 60: transform record
  // 124: LOD: reserved, distance, root (xform, 3 verts at 208, 1 normal at 244, no UVs, parent),
  // bounds, radius, centre, tree at 256.
  b.U32(0).F32(0.f).U32(0xFFFFFFFF).U32(3).U32(208).U32(1).U32(244).U32(0).U32(0).U32(0);
  b.F32(-1).F32(-1).F32(-1).F32(1).F32(1).F32(1).F32(1.5f).F32(0).F32(0).F32(0).U32(256);
  b.F32(0).F32(0).F32(0).F32(1).F32(0).F32(0).F32(0).F32(1).F32(0);  // 208: vertices
  b.F32(0).F32(0).F32(1);                                            // 244: normal
  b.U32(4).U32(268).U32(316);                                        // 256: sub-transform node
  b.U32(0).U32(3).U32(208).U32(1).U32(244).U32(2).U32(300).U32(0);   // 268: shares root arrays
  b.F32(0).F32(0).F32(1).F32(1);                                     // 300: UVs
  b.U32(1).U32(328).U32(436);                                        // 316: face-list node
  b.U32(0).U32(1).U32(380).F32(0).F32(0).F32(0).F32(1).F32(1).F32(0).F32(0.8f).F32(.5f).F32(.5f).F32(0);
  b.U32(0).U32(1).U32(2).U32(0).U32(0).U32(0).U32(0).U32(1).U32(0xFFFFFFFF);  // 380: face
  b.F32(0).F32(0).F32(1).F32(0).U32(7);
  b.U32(0).U32(448).U32(552);                           // 436: split node
  b.F32(1).F32(0).F32(0).F32(-0.5f).U32(472).U32(500);  // 448
  b.U32(8).U32(484).U32(0);                             // 472: hard point node
  b.U32(3).F32(1).F32(2).F32(3);                        // 484
  b.U32(5).U32(0).U32(512);                             // 500: back to the root
  b.U32(6).U32(524).U32(0);                             // 512: point list
  b.U32(2).U32(544).U32(0).U32(0).U32(4);               // 524: vertex indices only
  b.U32(0).U32(2);                                      // 544
  b.U32(2).U32(564).U32(640);                           // 552: billboard node
  for (int i = 0; i < 15; ++i) b.F32(0.25f * i);        // 564
  b.U32(0).U32(3).U32(0).U32(5);                        // no index table
  b.U32(7).U32(652).U32(672);                           // 640: line list
  b.U32(1).U32(664).U32(9);                             // 652
  b.U32(2).U32(1);                                      // 664
  b.U32(3).U32(684).U32(0);                             // 672: word node
  b.U32(0xC0FFEE);                                      // 684
  b.Fill(32);                                           // 688: spare bytes
  EXPECT_EQ(b.b.size(), 720u);
  if (tweak) tweak(b);
  return b;
}

SGError Relocate(const Bytes& b, SGModel** out) {
  return SGModelRelocate(b.b.data(), static_cast<std::uint32_t>(b.b.size()), out);
}

TEST(ModelBlock, RelocatesIntoNativeRecords) {
  const Bytes b = MakeBlock();
  SGModel* m = nullptr;
  ASSERT_EQ(Relocate(b, &m), SG_ERROR_NONE);
  EXPECT_EQ(m->modPackedSize, 720u);
  ASSERT_EQ(m->modNumLods, 1u);
  EXPECT_EQ(m->modXforms[0].bytes[63], 63);
  const SGModelLod& lod = m->modLods[0];
  EXPECT_EQ(lod.mdlRoot.mstParent, &lod.mdlRoot);
  EXPECT_EQ(lod.mdlRoot.mstVerts[1].x, 1.f);
  EXPECT_EQ(lod.mdlRoot.mstUVs, nullptr);

  const SGGeoNode* n = lod.mdlData;
  ASSERT_EQ(n->gdType, SG_GD_TYPE_XFORM);
  const auto* mst = static_cast<const SGModelSubTransform*>(n->gdData);
  EXPECT_EQ(mst->mstVerts, lod.mdlRoot.mstVerts);  // stored once, shared after relocation
  EXPECT_EQ(std::make_tuple(mst->mstNormals, mst->mstUVs[1].v), std::make_tuple(lod.mdlRoot.mstNormals, 1.f));
  n = n->gdNext;
  const auto* fcl = static_cast<const SGFaceList*>(n->gdData);
  EXPECT_EQ(fcl->fclFaces[0].facUVIndex[2], SG_UV_NONE);
  EXPECT_EQ(fcl->fclFaces[0].facMatIndex, 7u);
  n = n->gdNext;
  ASSERT_EQ(n->gdType, SG_GD_TYPE_BSP);
  const auto* split = static_cast<const SGGeoSplit*>(n->gdData);
  EXPECT_EQ(static_cast<const SGGeoHardPoint*>(split->gspFront->gdData)->ghpId, 3u);
  EXPECT_EQ(split->gspBack->gdData, nullptr);
  const auto* ptl = static_cast<const SGPointList*>(split->gspBack->gdNext->gdData);
  EXPECT_EQ(ptl->ptlVertIndex[1], 2u);
  EXPECT_EQ(ptl->ptlNormalIndex, nullptr);
  EXPECT_EQ(ptl->ptlUVs, nullptr);
  n = n->gdNext;
  EXPECT_EQ(static_cast<const SGBillboard*>(n->gdData)->bilMatIndex, nullptr);
  n = n->gdNext->gdNext;
  EXPECT_EQ(*static_cast<const std::uint32_t*>(n->gdData), 0xC0FFEEu);
  EXPECT_EQ(n->gdNext, nullptr);
  EXPECT_EQ(SGModelCountHardPoints(m), 1u);
  SGModelFree(m);
}

TEST(ModelBlock, WritesBackTheSameBytes) {
  const Bytes b = MakeBlock();
  SGModel* m = nullptr;
  ASSERT_EQ(Relocate(b, &m), SG_ERROR_NONE);
  ASSERT_EQ(SGModelPackedSize(m), 720u);
  std::vector<std::uint8_t> out(720, 0xAA);
  ASSERT_EQ(SGModelUnrelocate(m, out.data(), 720), SG_ERROR_NONE);
  EXPECT_EQ(out, b.b);
  // A copy in separate allocations stores the same block, and packs back to it.
  SGModel* copy = SGModelCopy(m);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->modPackedSize, 0u);
  std::fill(out.begin(), out.end(), 0);
  ASSERT_EQ(SGModelUnrelocate(copy, out.data(), 720), SG_ERROR_NONE);
  EXPECT_EQ(out, b.b);
  SGModel* packed = SGModelPack(copy);
  ASSERT_NE(packed, nullptr);
  EXPECT_EQ(packed->modPackedSize, 720u);
  SGModelFree(copy);
  std::fill(out.begin(), out.end(), 0);
  ASSERT_EQ(SGModelUnrelocate(packed, out.data(), 720), SG_ERROR_NONE);
  EXPECT_EQ(out, b.b);
  SGModelFree(packed);
  SGModelFree(m);
}

TEST(ModelBlock, MeaninglessWordsAreNotTrusted) {
  // The spare bytes, the parent links, a type-5 node's data word and the table
  // word of a billboard without indices carry nothing; a writer stores 0.
  const Bytes b = MakeBlock([](Bytes& x) {
    x.PutU32(700, 0x55555555);
    x.PutU32(160, 0x12345678);
    x.PutU32(504, 0x999);
    x.PutU32(632, 0x4444);
  });
  SGModel* m = nullptr;
  ASSERT_EQ(Relocate(b, &m), SG_ERROR_NONE);
  std::vector<std::uint8_t> out(720);
  SGModelUnrelocate(m, out.data(), 720);
  EXPECT_EQ(out, MakeBlock().b);
  SGModelFree(m);
}

struct BadBlock {
  const char* what;
  std::size_t at;
  std::uint32_t value;
};

TEST(ModelBlock, RefusesMalformedBlocks) {
  const BadBlock cases[] = {
      {"size word differs from the block", 0, 716},
      {"LOD count beyond the block", 4, 1000000},
      {"transform table elsewhere", 16, 64},
      {"node not where the packer puts it", 324, 440},
      {"chain loops back", 680, 256},
      {"face vertex index past the vertices", 388, 3},
      {"face UV index past the UVs", 408, 2},
      {"face normal index past the normals", 392, 1},
      {"shared array used for more elements", 272, 4},
      {"array offset inside another record", 292, 304},
      {"sub-transform slot past the model's", 268, 2},
      {"unknown node type", 672, 9},
      {"count with no array", 528, 0},
      {"line index past the vertices", 668, 3},
      {"face array outside the block", 332, 0x7FFFFFFF},
      {"array offset without a count", 156, 300},
  };
  for (const BadBlock& c : cases) {
    const Bytes b = MakeBlock([&c](Bytes& x) { x.PutU32(c.at, c.value); });
    const std::size_t before = SGMallocLiveBlocks();
    SGModel* m = nullptr;
    EXPECT_EQ(Relocate(b, &m), SG_ERROR_MODEL_FORMAT) << c.what;
    EXPECT_EQ(m, nullptr) << c.what;
    EXPECT_EQ(SGMallocLiveBlocks(), before) << c.what;
  }
  Bytes shortBlock = MakeBlock();
  shortBlock.b.resize(716);
  shortBlock.PutU32(0, 716);
  SGModel* m = nullptr;
  EXPECT_EQ(Relocate(shortBlock, &m), SG_ERROR_MODEL_FORMAT);
  EXPECT_EQ(SGModelRelocate(shortBlock.b.data(), 40, &m), SG_ERROR_MODEL_FORMAT);
}

TEST(ModelBlock, RefusesRunawayNesting) {
  // Splits nested inside each other's front chains, deeper than any model needs.
  const int depth = 300;
  Bytes b;
  b.U32(0).U32(1).U32(60).U32(0).U32(0).Fill(40);
  b.U32(0).F32(0).U32(0).Fill(28).Fill(40).U32(144);
  for (int i = 0; i < depth; ++i) {
    const auto at = static_cast<std::uint32_t>(b.b.size());
    b.U32(0).U32(at + 12).U32(0);
    b.F32(0).F32(0).F32(1).F32(0).U32(i + 1 < depth ? at + 36 : 0).U32(0);
  }
  b.Fill(32);
  b.PutU32(0, static_cast<std::uint32_t>(b.b.size()));
  SGModel* m = nullptr;
  EXPECT_EQ(Relocate(b, &m), SG_ERROR_MODEL_FORMAT);
}

TEST(ModelBlock, OutOfMemoryFreesPartialWork) {
  const Bytes b = MakeBlock();
  sgtest::ExpectCleanOutOfMemory([&b] {
    SGModel* m = nullptr;
    const SGError err = Relocate(b, &m);
    if (err == SG_ERROR_NONE) {
      SGModelFree(m);
    }
    return err;
  });
  SGModel* m = nullptr;
  ASSERT_EQ(Relocate(b, &m), SG_ERROR_NONE);
  sgtest::ExpectCleanOutOfMemory([m] {
    SGModel* copy = SGModelCopy(m);
    SGModelFree(copy);
    return copy != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_MEMORY;
  });
  sgtest::ExpectCleanOutOfMemory([m] {
    SGModel* packed = SGModelPack(m);
    SGModelFree(packed);
    return packed != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_MEMORY;
  });
  SGModelFree(m);
}

TEST(ModelBlock, SwapWordsReversesEachWord) {
  std::uint8_t buf[6] = {1, 2, 3, 4, 5, 6};
  SGSwapWords(buf, 6);
  EXPECT_EQ(std::make_tuple(buf[0], buf[3]), std::make_tuple(4, 1));
  EXPECT_EQ(buf[4], 5);  // the partial word is left
}

}  // namespace
