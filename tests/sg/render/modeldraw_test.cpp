// What instance drawing does with the parts of a model: part transforms and
// hidden parts, hard-point sub-instances, point and line lists, levels of
// detail, and complex models drawn back to front.

#include "support/renderfixture.h"

namespace rendertest {
namespace {

constexpr int kCx = 292;
constexpr int kCy = 183;

class ModelDrawTest : public RenderTest {
 protected:
  // Appends a node to LOD 0's chain.
  static void Append(SGModel* m, std::uint32_t type, void* data) {
    m->modLods[0].mdlData = ISGGeoChainAppend(m->modLods[0].mdlData, ISGGeoNodeCreate(type, data));
  }

  // A small box on part transform 0 (material 1), drawn between XFORM and XFORM_END.
  static void AppendPart(SGModel* m) {
    SGModel* part = Box(0.5f, 0.5f, 0.5f, 1);
    SGModelSubTransform* mst = ISGSubTransformCreate(0);
    *mst = part->modLods[0].mdlRoot;
    mst->mstXformIndex = 0;
    auto* faces = static_cast<SGFaceList*>(part->modLods[0].mdlData->gdData);
    for (std::uint32_t i = 0; i < faces->fclNumFaces; ++i) {
      faces->fclFaces[i].facMatIndex = 1;
    }
    Append(m, SG_GD_TYPE_XFORM, mst);
    Append(m, SG_GD_TYPE_FACES, faces);
    Append(m, SG_GD_TYPE_XFORM_END, nullptr);
    part->modLods[0].mdlRoot = SGModelSubTransform{};
    part->modLods[0].mdlData->gdData = nullptr;
    SGModelFree(part);
    m->modNumXforms = 1;
    m->modXforms = static_cast<SGModelXform*>(SGCalloc(1, sizeof(SGModelXform)));
  }
};

TEST_F(ModelDrawTest, PartTransformsMoveTheirPartAndHideIt) {
  SGModel* m = Keep(Box(1.f, 1.f, 1.f, 1));
  AppendPart(m);
  SGInstance* inst = Place(m, {Flat(40), Flat(90)}, 0.0, 0.0, 0.0);
  SGMatrix shift;
  SGMatrixIdentity(&shift);
  shift.m[3][0] = 4.f;  // the part stands 4 to the right
  ASSERT_EQ(SGInstanceSetXform(inst, 0, &shift), SG_ERROR_NONE);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(kCx, kCy), Colour(40));
  const int right = kCx + PixelsOff(4.0, 19.5);
  EXPECT_EQ(Pixel(right, kCy), Colour(90));
  shift.m[3][3] = 0.f;  // hidden
  SGInstanceSetXform(inst, 0, &shift);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(right, kCy), 0u);
  EXPECT_EQ(Pixel(kCx, kCy), Colour(40));
}

// Faces naming vertices their set does not have, and parts on a transform slot
// the instance lacks, are skipped instead of read past their arrays.
TEST_F(ModelDrawTest, GeometryThatDoesNotFitIsSkipped) {
  SGModel* m = Keep(Box(1.f, 1.f, 1.f, 1));
  AppendPart(m);
  auto* hull = static_cast<SGFaceList*>(m->modLods[0].mdlData->gdData);
  hull->fclFaces[3].facVertIndex[1] = 8;
  SGModelSubTransform* part = static_cast<SGModelSubTransform*>(m->modLods[0].mdlData->gdNext->gdData);
  part->mstXformIndex = 5;
  Place(m, {Flat(40), Flat(90)}, 0.0, 0.0, 0.0);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(kCx, kCy), Colour(40));
}

TEST_F(ModelDrawTest, HardPointSubInstancesFollowTheirParent) {
  SGModel* ship = Keep(Box(1.f, 1.f, 1.f, 1));
  auto* hp = static_cast<SGGeoHardPoint*>(SGCalloc(1, sizeof(SGGeoHardPoint)));
  Append(ship, SG_GD_TYPE_HARDPOINT, hp);
  SGInstance* parent = Place(ship, {Flat(40)}, 0.0, 0.0, 0.0);
  SGInstance* turret = Instance(Keep(Box(0.5f, 0.5f, 0.5f, 1)), {Flat(150)}, 0.0, 0.0, 3.0);
  std::vector<SGMaterial*>& table = tables_.back();
  SGInstanceUpdate(turret);
  ASSERT_EQ(SGInstanceAllocHardPoints(parent, ship, -1), SG_ERROR_NONE);
  SGInstanceSetHardPoint(parent, reinterpret_cast<std::uintptr_t>(turret), 0);
  const double moved[3] = {0.0, 0.0, -2.0};
  SGInstanceSetPosition(parent, moved);
  SGInstanceUpdate(parent);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  const int up = kCy - PixelsOff(1.0, 19.5);
  EXPECT_EQ(Pixel(kCx, up), Colour(150));  // 3 above a parent 2 below the eye
  // A turret that carries its parent would nest for ever: the draw stops.
  SGModel* mount = Keep(Box(0.5f, 0.5f, 0.5f, 1));
  Append(mount, SG_GD_TYPE_HARDPOINT, SGCalloc(1, sizeof(SGGeoHardPoint)));
  SGInstanceSetModel(turret, mount);
  SGInstanceSetMaterial(turret, 1, table.data());
  ASSERT_EQ(SGInstanceAllocHardPoints(turret, mount, 1), SG_ERROR_NONE);
  SGInstanceSetHardPoint(turret, reinterpret_cast<std::uintptr_t>(parent), 0);
  EXPECT_EQ(Draw(), SG_ERROR_UNSUPPORTED);
  SGInstanceSetHardPoint(turret, 0, 0);
  // Replacing the table releases the old one.
  const std::size_t blocks = SGMallocLiveBlocks();
  ASSERT_EQ(SGInstanceAllocHardPoints(parent, ship, 4), SG_ERROR_NONE);
  EXPECT_EQ(SGMallocLiveBlocks(), blocks);
  ISGInstanceDestroy(turret);
}

TEST_F(ModelDrawTest, PointAndLineListsAreDrawnAndClipped) {
  SGModel* m = Keep(Box(1.f, 1.f, 1.f, 1));
  // The faces name a material past the instance's table: they are not drawn.
  auto* faces = static_cast<SGFaceList*>(m->modLods[0].mdlData->gdData);
  for (std::uint32_t i = 0; i < faces->fclNumFaces; ++i) {
    faces->fclFaces[i].facMatIndex = 7;
  }
  SGModelSubTransform* root = &m->modLods[0].mdlRoot;
  root->mstVerts[0] = SGPoint3s{-100.f, 0.f, 0.f};  // far off the view's left side
  auto* lines = static_cast<SGLineList*>(SGCalloc(1, sizeof(SGLineList)));
  lines->linNumLines = 1;
  lines->linVertIndex = static_cast<std::uint32_t*>(SGCalloc(2, sizeof(std::uint32_t)));
  lines->linVertIndex[0] = 0;
  lines->linVertIndex[1] = 7;
  auto* points = static_cast<SGPointList*>(SGCalloc(1, sizeof(SGPointList)));
  points->ptlNumPoints = 2;
  points->ptlVertIndex = static_cast<std::uint32_t*>(SGCalloc(2, sizeof(std::uint32_t)));
  points->ptlVertIndex[0] = 6;
  points->ptlVertIndex[1] = 0;  // outside the view: not drawn
  points->ptlMatIndex = 1;
  Append(m, SG_GD_TYPE_LINES, lines);
  Append(m, SG_GD_TYPE_POINTS, points);
  Place(m, {Flat(40), Flat(150)}, 0.0, 0.0, 0.0);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_GT(CountPixels(Colour(40)), 250u);  // from the corner to the left edge of the frame
  EXPECT_EQ(CountPixels(Colour(150)), 1u);
  bool reachesLeftEdge = false;
  for (int y = 0; y < 367; ++y) {
    reachesLeftEdge = reachesLeftEdge || Pixel(0, y) == Colour(40);
  }
  EXPECT_TRUE(reachesLeftEdge);
}

TEST_F(ModelDrawTest, LevelOfDetailFollowsDistanceAndMinimum) {
  SGModel* m = Keep(Box(1.f, 1.f, 1.f, 1));
  ASSERT_EQ(SGModelAddLod(m, 50.f), 1u);
  ASSERT_EQ(SGModelAddLod(m, 100.f), 2u);
  SGInstance* inst = Place(m, {Flat(40)}, 0.0, 60.0, 0.0);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  std::uint32_t lod = 9;
  EXPECT_EQ(ISGRendererSelectLOD(rend_, inst, rend_->renEye, &lod), 1u);
  SGInstanceSetLODFactor(inst, 2.f);
  EXPECT_EQ(ISGRendererSelectLOD(rend_, inst, rend_->renEye, &lod), 2u);
  SGInstanceSetLODFactor(inst, 0.1f);
  SGInstanceSetMinLOD(inst, 2);
  EXPECT_EQ(ISGRendererSelectLOD(rend_, inst, rend_->renEye, &lod), 0u);
  SGRendererSetOptions(rend_, SG_REND_FLAG_MIN_LOD);
  EXPECT_EQ(ISGRendererSelectLOD(rend_, inst, rend_->renEye, &lod), 2u);
  EXPECT_EQ(lod, 2u);
}

// Two boxes of a complex model, one behind the other: whichever side the eye
// is on, the nearer box covers the farther.
TEST_F(ModelDrawTest, ComplexModelsDrawTheirTreeBackToFront) {
  SGModel* box = Keep(Box(1.f, 1.f, 1.f, 1));
  SGInstance* complex = NewInstance(SG_INST_TYPE_MODEL_COMPLEX);
  SGInstance* subs[2];
  const std::uint8_t colours[2] = {40, 150};
  for (int i = 0; i < 2; ++i) {
    const double pos[3] = {0.0, i == 0 ? -3.0 : 3.0, 0.0};
    subs[i] = Instance(box, {Flat(colours[i])}, pos[0], pos[1], pos[2]);
    SGInstanceUpdate(subs[i]);
    ASSERT_EQ(SGInstanceAddSubInstance(complex, subs[i], pos), SG_ERROR_NONE);
  }
  ASSERT_EQ(SGSceneAddInstance(scene_, complex), SG_ERROR_NONE);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(kCx, kCy), Colour(40));
  LookFrom(0.0, 20.0, 0.0, 0.f, -1.f, 0.f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(kCx, kCy), Colour(150));
  SGSceneDestroy(scene_);
  scene_ = nullptr;
  ISGInstanceDestroy(subs[0]);
  ISGInstanceDestroy(subs[1]);
}

}  // namespace
}  // namespace rendertest
