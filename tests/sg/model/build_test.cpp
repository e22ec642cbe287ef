// Building models, their geometry operations, hard points and model files.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "../sgtest.h"
#include "sg/core/datapath.h"
#include "sg/model/model.h"

namespace {

// A unit cube from (0,0,0) to (1,1,1) with `faces` faces on LOD `lod` of `model`.
SGModelSubTransform* AddCube(SGModel* model, std::uint32_t lod, std::uint32_t faces) {
  SGModelSubTransform& root = model->modLods[lod].mdlRoot;
  for (int i = 0; i < 8; ++i) {
    const std::uint32_t v = ISGSubTransformAddVertex(&root);
    root.mstVerts[v] =
        SGPoint3s{static_cast<float>(i & 1), static_cast<float>((i >> 1) & 1), static_cast<float>((i >> 2) & 1)};
  }
  root.mstNormals = static_cast<SGPoint3s*>(SGCalloc(1, sizeof(SGPoint3s)));
  root.mstNumNormals = 1;
  SGFaceList* fcl = ISGFaceListCreate();
  fcl->fclNumFaces = faces;
  fcl->fclFaces = static_cast<SGFace*>(SGCalloc(faces, sizeof(SGFace)));
  static constexpr std::uint32_t kTris[][3] = {{0, 1, 2}, {1, 3, 2}, {4, 6, 5}, {5, 6, 7}};
  for (std::uint32_t f = 0; f < faces; ++f) {
    for (int k = 0; k < 3; ++k) {
      fcl->fclFaces[f].facVertIndex[k] = kTris[f % 4][k];
      fcl->fclFaces[f].facUVIndex[k] = SG_UV_NONE;
    }
  }
  EXPECT_EQ(ISGGeoAppendFaces(&model->modLods[lod], fcl), SG_ERROR_NONE);
  return &root;
}

TEST(ModelBuild, LodsStaySortedAndUnique) {
  SGModel* m = SGModelCreate();
  EXPECT_EQ(SGModelAddLod(m, 100.f), 0u);
  EXPECT_EQ(SGModelAddLod(m, 0.f), 0u);
  EXPECT_EQ(SGModelAddLod(m, 50.f), 1u);
  EXPECT_EQ(SGModelAddLod(m, 50.f), 1u);
  ASSERT_EQ(m->modNumLods, 3u);
  EXPECT_EQ(m->modLods[2].mdlDistance, 100.f);
  for (std::uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(m->modLods[i].mdlRoot.mstParent, &m->modLods[i].mdlRoot);
    EXPECT_EQ(m->modLods[i].mdlRoot.mstXformIndex, 0xFFFFFFFFu);
  }
  SGMallocFailAt(1);
  EXPECT_EQ(SGModelAddLod(m, 75.f), 2u);  // cannot grow: the nearest existing one
  EXPECT_EQ(m->modNumLods, 3u);
  SGModelFree(m);
}

TEST(ModelBuild, SharedArraysAreStoredOnceAndLodsAddSpareBytes) {
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  SGModelAddLod(m, 100.f);
  AddCube(m, 0, 4);
  // LOD 1 draws fewer faces from the same vertices.
  SGModelSubTransform& far = m->modLods[1].mdlRoot;
  far = m->modLods[0].mdlRoot;
  far.mstNormals = nullptr;
  far.mstNumNormals = 0;
  far.mstParent = &far;
  SGFaceList* fcl = ISGFaceListCreate();
  ISGGeoAppendFaces(&m->modLods[1], fcl);
  ASSERT_EQ(SGModelComputeBounds(m), SG_ERROR_NONE);

  const std::uint32_t placed = 60 + 2 * 84 + 8 * 12 + 12 + (12 + 52 + 4 * 56) + (12 + 52);
  EXPECT_EQ(SGModelPackedSize(m), placed + 2 * 32);
  SGModel* packed = SGModelPack(m);
  ASSERT_NE(packed, nullptr);
  EXPECT_EQ(packed->modPackedSize, placed + 64);
  EXPECT_EQ(packed->modLods[0].mdlRoot.mstVerts, packed->modLods[1].mdlRoot.mstVerts);
  EXPECT_EQ(packed->modLods[1].mdlRoot.mstParent, &packed->modLods[1].mdlRoot);

  std::vector<std::uint8_t> block(packed->modPackedSize);
  ASSERT_EQ(SGModelUnrelocate(packed, block.data(), packed->modPackedSize), SG_ERROR_NONE);
  EXPECT_EQ(sgtest::U32At(block, 60 + 16), sgtest::U32At(block, 60 + 84 + 16));  // one vertex offset
  SGModel* again = nullptr;
  ASSERT_EQ(SGModelRelocate(block.data(), packed->modPackedSize, &again), SG_ERROR_NONE);
  EXPECT_EQ(again->modLods[1].mdlRoot.mstVerts[7].z, 1.f);
  SGModelFree(again);
  SGModelFree(packed);
  SGModelFree(m);  // frees the shared array once
}

TEST(ModelGeometry, FacePlanesAndBounds) {
  const SGPoint3s verts[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}};
  SGFace face{{0, 1, 2}, {}, {}, {9, 9, 9}, 9, 0};
  ASSERT_EQ(ISGFaceComputePlane(verts, &face), 1);
  EXPECT_FLOAT_EQ(face.facNormal[2], 1.f);
  EXPECT_FLOAT_EQ(face.facDist, 0.f);
  SGFace degenerate{{1, 3, 2}, {}, {}, {9, 9, 9}, 9, 0};
  EXPECT_EQ(ISGFaceComputePlane(verts, &degenerate), 0);
  EXPECT_EQ(degenerate.facNormal[0], 9.f);

  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  AddCube(m, 0, 4);
  ASSERT_EQ(SGModelComputeBounds(m), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(m->modMin[0], m->modMax[2]), std::make_tuple(0.f, 1.f));
  EXPECT_FLOAT_EQ(m->modCentre[1], 0.5f);
  EXPECT_FLOAT_EQ(m->modRadius, std::sqrt(3.f));
  const auto* fcl = static_cast<const SGFaceList*>(m->modLods[0].mdlData->gdData);
  EXPECT_FLOAT_EQ(fcl->fclRadius, std::sqrt(0.75f));
  SGModelFree(m);
}

TEST(ModelGeometry, ScalingAlongAnAxis) {
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  AddCube(m, 0, 4);
  SGModelComputeBounds(m);
  auto* split = static_cast<SGGeoSplit*>(SGCalloc(1, sizeof(SGGeoSplit)));
  split->gspNormal[1] = 1.f;
  split->gspDist = -4.f;
  ISGGeoPrepend(&m->modLods[0], ISGGeoNodeCreate(SG_GD_TYPE_BSP, split));
  const float radius = m->modRadius;

  ASSERT_EQ(SGModelScaleAxis(m, 1, 0.5f), SG_ERROR_NONE);
  EXPECT_FLOAT_EQ(m->modMax[1], 0.5f);
  EXPECT_FLOAT_EQ(m->modMax[0], 1.f);
  EXPECT_FLOAT_EQ(m->modRadius, radius);  // radii never shrink
  EXPECT_FLOAT_EQ(m->modLods[0].mdlRoot.mstVerts[2].y, 0.5f);
  EXPECT_FLOAT_EQ(split->gspDist, -2.f);

  ASSERT_EQ(SGModelScaleAxis(m, 1, 4.f), SG_ERROR_NONE);
  EXPECT_FLOAT_EQ(m->modRadius, radius * 4.f);
  // The plane y = 4 followed its geometry: y = 8 after the two scalings.
  EXPECT_FLOAT_EQ(split->gspNormal[1], 1.f);
  EXPECT_FLOAT_EQ(split->gspDist, -8.f);
  ASSERT_EQ(SGModelScaleAxis(m, 0, 3.f), SG_ERROR_NONE);
  EXPECT_FLOAT_EQ(split->gspDist, -8.f);  // a plane without an x part does not change
  SGModelFree(m);
}

TEST(ModelGeometry, SharedArraysChangeOnce) {
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  SGModelSubTransform* root = AddCube(m, 0, 1);
  // A sub-transform sharing the root's vertices.
  SGModelSubTransform* mst = ISGSubTransformCreate(0);
  mst->mstVerts = root->mstVerts;
  mst->mstNumVerts = root->mstNumVerts;
  m->modLods[0].mdlData = ISGGeoChainAppend(m->modLods[0].mdlData, ISGGeoNodeCreate(SG_GD_TYPE_XFORM, mst));
  ASSERT_EQ(SGModelScale(m, 2.f), SG_ERROR_NONE);
  EXPECT_EQ(root->mstVerts[7].x, 2.f);
  const float t[3] = {1.f, 0.f, 0.f};
  ASSERT_EQ(SGModelTranslate(m, t), SG_ERROR_NONE);
  EXPECT_EQ(root->mstVerts[7].x, 3.f);
  SGModelFree(m);
}

TEST(ModelHardPoints, FindCountAndInsert) {
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  AddCube(m, 0, 1);
  const float p[3] = {1.f, 2.f, 3.f};
  ASSERT_EQ(SGModelAddHardPoint(m, p, 5), m);
  const float near[3] = {1.005f, 2.f, 3.f};
  const float off[3] = {1.02f, 2.f, 3.f};
  EXPECT_EQ(SGModelFindHardPoint(m, near), 5u);
  EXPECT_EQ(SGModelFindHardPoint(m, off), 0xFFFFFFFFu);

  testing::internal::CaptureStderr();
  const float q[3] = {0.f, 0.f, 0.f};
  SGModelAddHardPoint(m, q, 6);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("APPENDING TO EXISTING HARDPOINT"), std::string::npos);
  EXPECT_EQ(SGModelCountHardPoints(m), 2u);

  // A packed model is copied and the copy changed.
  SGModel* packed = SGModelPack(m);
  testing::internal::CaptureStderr();
  SGModel* changed = SGModelAddHardPoint(packed, off, 7);
  testing::internal::GetCapturedStderr();
  ASSERT_NE(changed, packed);
  EXPECT_EQ(changed->modPackedSize, 0u);
  EXPECT_EQ(SGModelCountHardPoints(changed), 3u);
  EXPECT_EQ(SGModelCountHardPoints(packed), 2u);
  SGModelFree(changed);
  SGModelFree(packed);
  SGModelFree(m);
}

TEST(ModelFiles, WriteAndReadBack) {
  sgtest::TempDrive drive;
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  AddCube(m, 0, 2);
  SGModelComputeBounds(m);
  SGModel* packed = SGModelPack(m);
  ASSERT_EQ(SGModelWrite(nullptr, "cube.mdl", packed), SG_ERROR_NONE);
  const std::vector<std::uint8_t> file = drive.Read("cube.mdl");
  ASSERT_EQ(file.size(), 4u + packed->modPackedSize);
  EXPECT_EQ(sgtest::U32At(file, 0), sgtest::U32At(file, 4));

  SGModel* read = nullptr;
  ASSERT_EQ(SGModelRead(nullptr, "CUBE.MDL", &read), SG_ERROR_NONE);
  EXPECT_EQ(read->modPackedSize, packed->modPackedSize);
  ASSERT_EQ(SGModelWrite(nullptr, "again.mdl", read), SG_ERROR_NONE);
  EXPECT_EQ(drive.Read("again.mdl"), file);
  SGModelFree(read);

  EXPECT_EQ(SGModelRead(nullptr, "none.mdl", &read), SG_ERROR_MODEL_OPEN);
  drive.Write("short.mdl", std::vector<std::uint8_t>{1, 2});
  EXPECT_EQ(SGModelRead(nullptr, "short.mdl", &read), SG_ERROR_MODEL_HEADER);
  std::vector<std::uint8_t> cut(file.begin(), file.end() - 1);
  drive.Write("cut.mdl", cut);
  EXPECT_EQ(SGModelRead(nullptr, "cut.mdl", &read), SG_ERROR_MODEL_BODY);
  drive.Write("huge.mdl", std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xF0, 0});
  EXPECT_EQ(SGModelRead(nullptr, "huge.mdl", &read), SG_ERROR_MODEL_BODY);
  EXPECT_EQ(SGModelWrite(nullptr, "x.mdl", nullptr), SG_ERROR_MODEL_HEADER);

  sgtest::ExpectCleanOutOfMemory([] {
    SGModel* model = nullptr;
    const SGError err = SGModelRead(nullptr, "cube.mdl", &model);
    SGModelFree(model);
    return err;
  });
  SGModelFree(packed);
  SGModelFree(m);
}

TEST(ModelWalk, VisitsSplitsBeforeTheirSubtrees) {
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 2.5f);
  auto* split = static_cast<SGGeoSplit*>(SGCalloc(1, sizeof(SGGeoSplit)));
  auto* word = static_cast<std::uint32_t*>(SGCalloc(1, 4));
  split->gspFront = ISGGeoNodeCreate(SG_GD_TYPE_WORD, word);
  split->gspBack = ISGGeoNodeCreate(SG_GD_TYPE_XFORM_END, nullptr);
  m->modLods[0].mdlData = ISGGeoNodeCreate(SG_GD_TYPE_BSP, split);
  m->modLods[0].mdlData->gdNext = ISGGeoNodeCreate(SG_GD_TYPE_HARDPOINT, SGCalloc(1, sizeof(SGGeoHardPoint)));
  static std::string order;
  order.clear();
  SGModelForEachNode(
      m,
      [](SGModel*, std::uintptr_t user, std::uint32_t bits, SGGeoNode* node) {
        EXPECT_EQ(user, 42u);
        EXPECT_EQ(bits, 0x40200000u);
        order += static_cast<char>('0' + node->gdType);
      },
      42);
  EXPECT_EQ(order, "0358");
  SGModelFree(m);
}

TEST(ModelWalk, PruneDropsMarkedListsAndEmptyTransforms) {
  SGFaceList keep{};
  SGFaceList drop{};
  drop.fclFlags = SG_FCL_FLAG_PRUNE;
  SGGeoNode n[5] = {{SG_GD_TYPE_FACES, &keep, &n[1]},
                    {SG_GD_TYPE_FACES, &drop, &n[2]},
                    {SG_GD_TYPE_XFORM, nullptr, &n[3]},
                    {SG_GD_TYPE_XFORM_END, nullptr, &n[4]},
                    {SG_GD_TYPE_XFORM, nullptr, nullptr}};
  SGGeoNode* head = ISGGeoPrune(&n[0]);
  EXPECT_EQ(head, &n[0]);
  EXPECT_EQ(n[0].gdNext, nullptr);
}

}  // namespace
