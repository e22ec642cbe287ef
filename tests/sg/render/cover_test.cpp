// Instances prepared ahead, the cull tree's debugging display, and a scene
// under a cloud cover with its sub-scene, drawn into the game's frame buffer.

#include "sg/core/context.h"
#include "sg/cull/cull.h"
#include "sg/render/prepped.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

using CoverTest = RenderTest;

// The faces of a box instance turned towards the eye, as prepared triangles of
// eye-relative vertices with the model's texture coordinates.
struct PreparedBox {
  std::vector<SGTxVertex> verts;
  std::vector<SGTxVertex*> tris;
  SGPrepTris prep{};
  SGInstance inst{};

  PreparedBox(const SGModel* model, const SGInstance* placed, SGMaterial* mat, const double eye[3]) {
    const SGModelSubTransform& mst = model->modLods[0].mdlRoot;
    const SGFaceList* fcl = static_cast<const SGFaceList*>(model->modLods[0].mdlData->gdData);
    const SGMatrix& m = placed->instXform;
    verts.resize(fcl->fclNumFaces * 3);
    std::size_t used = 0;
    for (std::uint32_t f = 0; f < fcl->fclNumFaces; ++f) {
      const SGFace& face = fcl->fclFaces[f];
      float world[3][3];
      for (int k = 0; k < 3; ++k) {
        const SGPoint3s& p = mst.mstVerts[face.facVertIndex[k]];
        for (int c = 0; c < 3; ++c) {
          world[k][c] =
              static_cast<float>(p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c] + placed->instPos[c] - eye[c]);
        }
      }
      const SGPoint3s n =
          ISGVector3sCross(SGPoint3s{world[1][0] - world[0][0], world[1][1] - world[0][1], world[1][2] - world[0][2]},
                           SGPoint3s{world[2][0] - world[0][0], world[2][1] - world[0][1], world[2][2] - world[0][2]});
      if (n.x * world[0][0] + n.y * world[0][1] + n.z * world[0][2] >= 0.f) {
        continue;  // faces away from the eye
      }
      for (int k = 0; k < 3; ++k) {
        SGTxVertex& v = verts[used++];
        std::memcpy(v.txvPos, world[k], sizeof(v.txvPos));
        v.txvUV[0] = mst.mstUVs[face.facUVIndex[k]].u;
        v.txvUV[1] = mst.mstUVs[face.facUVIndex[k]].v;
        tris.push_back(&v);
      }
    }
    prep.ptrNumTris = static_cast<std::uint32_t>(tris.size() / 3);
    prep.ptrVerts = tris.data();
    prep.ptrMaterial = mat;
    inst.instType = SG_INST_TYPE_MODEL_TWO;
    inst.instAttributes = SG_ATTR_PREPPED | SG_ATTR_NO_WRAP;
    inst.instSortPriority = 1.f;
    inst.instData = &prep;
    inst.instReach = 2.f;
    for (int k = 0; k < 3; ++k) {
      inst.instPos[k] = placed->instPos[k];
      inst.instXform.m[3][k] = static_cast<float>(placed->instPos[k] - eye[k]);
      inst.instWorldBox[k] = static_cast<float>(placed->instPos[k]) - 1.f;
      inst.instWorldBox[k + 3] = static_cast<float>(placed->instPos[k]) + 1.f;
    }
    inst.instFlags = SG_INST_BOX_VALID;
  }

  // Registers the instance for the next frame with its vertices not yet transformed.
  void Register(SGScene* scene) {
    for (SGTxVertex& v : verts) {
      v.txvFlags = SG_TXV_UNTRANSFORMED;
      v.txvConverted = 0;
      v.txvShade = 1.f;
      v.txvFog = 1.f;
    }
    inst.instScene = scene;
    inst.instScnNext = nullptr;
    scene->scnPlumes = &inst;
  }
};

TEST_F(CoverTest, PreparedTrianglesDrawTheSamePixelsAsTheirModel) {
  SGModel* box = Keep(Box(2.f, 2.f, 2.f, 1));
  SGMaterial* mat = Keep(Material(SG_MAT_TYPE_TEXTURE, 0, Texture(64, 64, 120, 9)));
  SGInstance* inst = Place(box, {mat}, 1.0, 6.0, 1.0);
  const float angles[3] = {0.4f, 0.7f, 0.2f};
  SGInstanceSetAngles(inst, angles);
  SGInstanceUpdate(inst);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  const Image model = Frame();
  ASSERT_GT(Covered(), 1000u);
  const double eye[3] = {0.0, -20.0, 0.0};
  PreparedBox prepared(box, inst, mat, eye);
  EXPECT_EQ(prepared.prep.ptrNumTris, 6u);  // three sides seen
  SGInstanceSetAttributes(inst, SG_ATTR_HIDDEN);
  prepared.Register(scene_);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(scene_->scnPlumes, nullptr);  // the frame's prepared list ends with it
  EXPECT_TRUE(Frame().rgb == model.rgb);
}

TEST_F(CoverTest, CullTreeEdgesAreDrawnUnderTheDrawingDebugFlag) {
  SGModel* box = Keep(Box(1.f, 1.f, 1.f, 1));
  Place(box, {Flat(90)}, 0.0, 10.0, 0.0);
  Place(box, {Flat(150)}, 9.0, 10.0, 0.0);
  // A window in the plane y = 4: what it does not show is cut away.
  const float plane[4] = {0.f, 1.f, 0.f, 4.f};
  const double corners[4][3] = {{-3.0, 4.0, -2.0}, {-3.0, 4.0, 2.0}, {3.0, 4.0, 2.0}, {3.0, 4.0, -2.0}};
  SGCullObject* tree = nullptr;
  ASSERT_EQ(SGCullCreatePolygon(plane, 4, corners, SG_CULL_OPT_CLOSED, &tree), SG_ERROR_NONE);
  scene_->scnCullRoot = tree;
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  const std::size_t plain = Covered();
  ctx_->ctxDebug |= SG_CTX_DEBUG_DRAW;
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ctx_->ctxDebug &= ~SG_CTX_DEBUG_DRAW;
  EXPECT_GT(Covered(), plain);
  ExpectGolden("cull_display");
  scene_->scnCullRoot = nullptr;
  SGCullDestroy(tree);
}

// Under a cover at height 3 the scene shows what lies below it and its
// sub-scene, drawn from the eye lowered by the cover's height, what lies
// above, fading in over the threshold above the cover.
TEST_F(CoverTest, ACloudCoverSplitsTheSceneAtItsHeight) {
  GreyFog();
  SGScene* sub = nullptr;
  ASSERT_EQ(SGSceneCreate(ctx_, &sub), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneLoad(sub, dp_, "Quenbar.con"), SG_ERROR_NONE);
  scene_->scnSubScene = sub;
  sub->scnSuperScene = scene_;
  sub->scnFlags |= SG_SCN_FLAG_SUB_SCENE;
  scene_->scnFlags |= SG_SCN_FLAG_COVERED;
  scene_->scnCover.covHeight = 3.f;
  scene_->scnCover.covBot = 1.f;
  scene_->scnCover.covThreshold = 2.f;
  SGModel* box = Keep(Box(0.8f, 0.8f, 0.8f, 1));
  SGMaterial* mat = Keep(Material(SG_MAT_TYPE_TEXTURE, 0, Texture(32, 32, 100, 9)));
  Place(box, {mat}, -4.0, 12.0, 0.0);                                                 // below
  Place(box, {mat}, 0.0, 12.0, 4.0);                                                  // just above: half faded
  Place(box, {mat}, 4.0, 12.0, 7.0);                                                  // well above
  SGInstanceSetAttributes(Place(box, {mat}, -8.0, 12.0, 0.5), SG_ATTR_HIDE_COVERED);  // hidden under a cover
  LookFrom(0.0, -6.0, 2.0, 0.f, 0.97f, 0.24f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("cloud_cover");
  const std::size_t covered = Covered();
  double pos[3];
  SGInstanceGetPosition(camera_, pos);
  EXPECT_EQ(pos[2], 2.0);  // the eye is back where it was
  // Without the cover the scene draws all four itself, none faded.
  scene_->scnFlags &= ~SG_SCN_FLAG_COVERED;
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_GT(Covered(), covered);
  scene_->scnFlags |= SG_SCN_FLAG_COVERED;  // a covered scene takes its sub-scene with it
}

}  // namespace
}  // namespace rendertest
