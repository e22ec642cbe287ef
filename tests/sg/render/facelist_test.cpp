// A face list drawn in one call against the same faces drawn one at a time:
// the same triangles in the same order, the same count of faces and the same
// failure; and whole frames of random scenes against single-step frames,
// which draw face by face.

#include <random>
#include <tuple>

#include "sg/render/primitives.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

// What reaches the triangle slot, corner by corner.
using Corner = std::tuple<float, float, float, float, float, std::uint32_t, const SGMaterial*>;
std::vector<Corner> g_corners;

SGError Record(SGRenderer*, SGScene*, SGMaterial* mat, SGTxVertex** triple) {
  for (int k = 0; k < 3; ++k) {
    const SGTxVertex* v = triple[k];
    g_corners.emplace_back(v->txvLoc[0], v->txvLoc[1], v->txvUV[0], v->txvUV[1], v->txvShade, v->txvFlags, mat);
  }
  return SG_ERROR_NONE;
}

constexpr std::uint32_t kVerts = 24;

class FaceListTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    ASSERT_EQ(Draw(), SG_ERROR_NONE);  // the camera and its matrices
    flat_ = Keep(Material(SG_MAT_TYPE_FLAT, 30, nullptr));
    textured_ = Keep(Material(SG_MAT_TYPE_SHADED_TEXTURE, 50, Texture(64, 64, 60, 1)));
    inst_ = Instance(Keep(Box(1.f, 1.f, 1.f, 1)), {flat_, textured_}, 0.0, 10.0, 0.0);
    mst_.mstNumVerts = mst_.mstNumNormals = mst_.mstNumUVs = kVerts;
    mst_.mstVerts = verts_;
    mst_.mstNormals = normals_;
    mst_.mstUVs = uvs_;
  }
  void TearDown() override {
    ISGInstanceDestroy(inst_);
    RenderTest::TearDown();
  }

  // A part of random screen places, clip flags and light values, and `count`
  // random faces over it: some with a corner of another vertex set, some of a
  // material the instance lacks, some without texture coordinates (flat ones
  // only, unless `failing`: then any).
  void MakeRandom(std::uint32_t seed, std::uint32_t count, bool failing) {
    std::mt19937 rng(seed);
    auto real = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    auto below = [&rng](std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng); };
    static constexpr std::uint32_t kFlags[] = {0,
                                               0,
                                               0,
                                               0,
                                               SG_XFORM_FLAG_LEFT_CLIP,
                                               SG_XFORM_FLAG_TOP_CLIP,
                                               SG_XFORM_FLAG_FAR_CLIP,
                                               SG_XFORM_FLAG_NEAR_CLIP,
                                               SG_XFORM_FLAG_LEFT_CLIP | SG_XFORM_FLAG_BOTTOM_CLIP,
                                               SG_TXV_FOGGED};
    for (std::uint32_t i = 0; i < kVerts; ++i) {
      ISGPrepVertex& pv = prep_[i];
      pv = ISGPrepVertex{};
      pv.pvFlags = kFlags[below(sizeof(kFlags) / sizeof(kFlags[0]))];
      pv.pvLoc[0] = real(0.f, 18700.f);
      pv.pvLoc[1] = real(0.f, 11700.f);
      pv.pvLoc[2] = real(0.f, 1.f);
      pv.pvLoc[3] = real(0.01f, 1.f);
      pv.pvFog = real(0.f, 1.f);
      verts_[i] = SGPoint3s{real(-20.f, 20.f), real(-5.f, 40.f), real(-20.f, 20.f)};
      normals_[i] = SGPoint3s{0.f, 0.f, 1.f};
      uvs_[i] = SGTexCoord{real(0.f, 1.f), real(0.f, 1.f)};
      shades_[i] = real(-0.2f, 1.2f);
    }
    inst_->instFlags = (inst_->instFlags & ~SG_INST_LIT) | (below(2) != 0 ? SG_INST_LIT : 0);
    faces_.assign(count, SGFace{});
    for (SGFace& f : faces_) {
      f.facMatIndex = below(10) == 0 ? 2 : below(2);
      for (int k = 0; k < 3; ++k) {
        f.facVertIndex[k] = below(40) == 0 ? kVerts + below(3) : below(kVerts);
        f.facNormalIndex[k] = below(kVerts + 2);
        f.facUVIndex[k] = below(kVerts);
      }
      if (below(8) == 0 && (failing || f.facMatIndex != 1)) {
        f.facUVIndex[0] = SG_UV_NONE;
      }
    }
  }

  struct Outcome {
    SGError err;
    std::uint32_t faces;
    std::vector<Corner> corners;
  };

  // The faces drawn, one call each (up to the first failure) or as a list,
  // from a fresh copy of the part and an empty vertex pool.
  Outcome Run(bool asList) {
    ISGPrepVertex prep[kVerts];
    std::copy(std::begin(prep_), std::end(prep_), prep);
    const ISGPart part{inst_, &mst_, prep, shades_};
    ISGRendererResetTxVerts(rend_);
    rend_->renMethods.rmDrawTriangle = Record;
    rend_->renFaceCount = 0;
    g_corners.clear();
    SGError err = SG_ERROR_NONE;
    if (asList) {
      err = ISGInstDrawFaces(rend_, scene_, &part, faces_.data(), static_cast<std::uint32_t>(faces_.size()));
    } else {
      for (std::size_t i = 0; i < faces_.size() && err == SG_ERROR_NONE; ++i) {
        err = ISGInstDrawFace(rend_, scene_, &part, &faces_[i]);
      }
    }
    return Outcome{err, rend_->renFaceCount, g_corners};
  }

  SGMaterial* flat_ = nullptr;
  SGMaterial* textured_ = nullptr;
  SGInstance* inst_ = nullptr;
  SGModelSubTransform mst_{};
  SGPoint3s verts_[kVerts];
  SGPoint3s normals_[kVerts];
  SGTexCoord uvs_[kVerts];
  float shades_[kVerts];
  ISGPrepVertex prep_[kVerts];
  std::vector<SGFace> faces_;
};

TEST_F(FaceListTest, AListDrawsWhatItsFacesDrawOneByOne) {
  std::size_t drawn = 0;
  std::size_t offered = 0;
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    // Counts below, at and past the sifting's chunk of faces.
    MakeRandom(seed, 40 + seed * 7 % 300, false);
    const Outcome one = Run(false);
    const Outcome list = Run(true);
    ASSERT_EQ(one.err, SG_ERROR_NONE) << "seed " << seed;
    EXPECT_EQ(list.err, one.err) << "seed " << seed;
    EXPECT_EQ(list.faces, one.faces) << "seed " << seed;
    EXPECT_EQ(list.corners, one.corners) << "seed " << seed;
    drawn += one.corners.size() / 3;
    offered += faces_.size();
  }
  // Enough drawn for the comparison to mean something.
  EXPECT_GT(drawn, offered / 5);
}

TEST_F(FaceListTest, AListStopsAtTheSameFailureWithTheSameCount) {
  int failures = 0;
  for (std::uint32_t seed = 100; seed < 130; ++seed) {
    MakeRandom(seed, 200, true);
    const Outcome one = Run(false);
    const Outcome list = Run(true);
    EXPECT_EQ(list.err, one.err) << "seed " << seed;
    EXPECT_EQ(list.faces, one.faces) << "seed " << seed;
    EXPECT_EQ(list.corners, one.corners) << "seed " << seed;
    failures += one.err == SG_ERROR_NO_UVS ? 1 : 0;
  }
  EXPECT_GT(failures, 10);
}

TEST_F(FaceListTest, APartWithoutVerticesCountsItsFacesAndDrawsNone) {
  MakeRandom(7, 50, false);
  mst_.mstNumVerts = 0;
  const Outcome list = Run(true);
  EXPECT_EQ(list.err, SG_ERROR_NONE);
  EXPECT_EQ(list.faces, 50u);
  EXPECT_TRUE(list.corners.empty());
}

// Random boxes, some cut by the sides of the view and some behind the eye, in
// every material type, with and without fog and light: the single-step frame,
// drawn face by face, is the frame.
TEST_F(FaceListTest, RandomScenesMatchTheirSingleStepFrames) {
  PlaceMaterialRow();
  std::mt19937 rng(4242);
  auto real = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  SGModel* box = Keep(Box(1.5f, 1.f, 2.f, 2));
  for (int i = 0; i < 60; ++i) {
    SGMaterial* a = materials_[static_cast<std::size_t>(i) % 7];
    SGMaterial* b = materials_[static_cast<std::size_t>(i + 3) % 7];
    SGInstance* inst = Place(box, {a, b}, real(-30.f, 30.f), real(-25.f, 60.f), real(-12.f, 12.f));
    const float angles[3] = {real(0.f, 6.f), real(0.f, 6.f), real(0.f, 6.f)};
    SGInstanceSetAngles(inst, angles);
    SGInstanceUpdate(inst);
  }
  AddLight(0.3f, 0.8f, -0.5f);
  BuildShadeTable();
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      GreyFog();
    }
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
    const Image listed = Frame();
    const std::size_t covered = Covered();
    rend_->renFlags |= SG_REND_FLAG_SINGLE_STEP;
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
    rend_->renFlags &= ~SG_REND_FLAG_SINGLE_STEP;
    EXPECT_TRUE(Frame().rgb == listed.rgb) << "pass " << pass;
    EXPECT_GT(covered, 20000u);
  }
}

}  // namespace
}  // namespace rendertest
