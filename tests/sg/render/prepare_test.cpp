// A part's vertices prepared once per draw (screen place, clip flags and fog,
// several at a time) against ISGTransformVertex, the one-vertex transform,
// for vertices on every side of the view: in it, behind the eye, past the
// yon, beyond each edge, and a count that leaves some over after the groups;
// and the part's light values, also made several at a time.

#include <cmath>
#include <random>

#include "sg/core/context.h"
#include "sg/render/primitives.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

constexpr std::uint32_t kVerts = 23;

class PrepareTest : public RenderTest {
 protected:
  // A box whose vertex set is replaced by kVerts ones (its faces still name
  // the first eight), placed in front of the camera once scattered, so that
  // it takes its reach from them.
  SGInstance* PlaceCloud(std::uint32_t seed) {
    model_ = Keep(Box(1.f, 1.f, 1.f, 1));
    SGModelSubTransform* mst = &model_->modLods[0].mdlRoot;
    SGFree(mst->mstVerts);
    mst->mstVerts = static_cast<SGPoint3s*>(SGCalloc(kVerts, sizeof(SGPoint3s)));
    mst->mstNumVerts = kVerts;
    Scatter(seed);
    return Place(model_, {Flat(40)}, 0.0, 20.0, 0.0);
  }

  // The cloud's vertices scattered afresh.
  void Scatter(std::uint32_t seed) {
    SGModelSubTransform* mst = &model_->modLods[0].mdlRoot;
    std::mt19937 rng(seed);
    auto real = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    for (std::uint32_t i = 0; i < kVerts; ++i) {
      // From behind the eye (20 back) to past the yon (200 ahead), and far
      // enough sideways at every depth to leave the view on each side.
      const float y = real(-45.f, 230.f);
      const float reach = 0.9f * (y + 25.f) + 5.f;
      mst->mstVerts[i] = SGPoint3s{real(-reach, reach), y, real(-reach, reach)};
    }
    SGModelComputeBounds(model_);
  }

  // The prepared vertices of the instance's root part, from the last draw.
  static const ISGPrepVertex* Prepared(const SGRenderer* rend, const SGInstance* inst) {
    const auto* mi = static_cast<const SGModelInst*>(inst->instData);
    const std::uintptr_t slot = reinterpret_cast<std::uintptr_t>(mi->miPartCacheA[mi->miNumXforms]);
    EXPECT_NE(slot, 0u);
    return reinterpret_cast<const ISGPrepVertex*>(rend->renContext->ctxBuffer + (slot - 1));
  }

  SGModel* model_ = nullptr;

  // The light values of the instance's root part, from the last draw.
  static const float* Shades(const SGRenderer* rend, const SGInstance* inst) {
    const auto* mi = static_cast<const SGModelInst*>(inst->instData);
    const std::uintptr_t slot = reinterpret_cast<std::uintptr_t>(mi->miPartCacheB[mi->miNumXforms]);
    EXPECT_NE(slot, 0u);
    return reinterpret_cast<const float*>(rend->renContext->ctxBuffer + (slot - 1));
  }

  struct Seen {
    std::uint32_t near = 0, far = 0, inside = 0;
    std::uint32_t sides = 0;  // every side outcode met
  };

  // Each prepared vertex against the one-vertex transform through the
  // instance's own matrix (the renderer's, pushed again).
  void Compare(SGInstance* inst, bool fogged, Seen* seen) {
    const ISGPrepVertex* pv = Prepared(rend_, inst);
    SGMatrix m = inst->instXform;
    for (int r = 0; r < 3; ++r) {
      m.m[r][3] = 0.f;
    }
    m.m[3][3] = 1.f;
    ASSERT_EQ(SGRendererPushXform(rend_, &m), SG_ERROR_NONE);
    const SGModelSubTransform& mst = static_cast<const SGModelInst*>(inst->instData)->miModel->modLods[0].mdlRoot;
    for (std::uint32_t i = 0; i < kVerts; ++i) {
      SGTxVertex ref{};
      ref.txvPos[0] = mst.mstVerts[i].x;
      ref.txvPos[1] = mst.mstVerts[i].y;
      ref.txvPos[2] = mst.mstVerts[i].z;
      ISGTransformVertex(rend_, &ref);
      const std::uint32_t clip = ref.txvFlags & SG_XFORM_FLAG_CLIP_MASK;
      EXPECT_EQ(pv[i].pvFlags & SG_XFORM_FLAG_CLIP_MASK, clip) << "vertex " << i;
      EXPECT_EQ(pv[i].pvFlags & SG_TXV_FOGGED, fogged ? SG_TXV_FOGGED : 0u) << "vertex " << i;
      if ((clip & SG_XFORM_FLAG_NEAR_CLIP) != 0) {
        ++seen->near;
        for (const float v : pv[i].pvLoc) {
          EXPECT_EQ(v, 0.f) << "vertex " << i;
        }
        continue;
      }
      // Behind the eye the one-vertex transform leaves the fog unset.
      if (fogged) {
        EXPECT_EQ(pv[i].pvFog, ref.txvFog) << "vertex " << i;
      } else {
        EXPECT_EQ(pv[i].pvFog, 1.f) << "vertex " << i;
      }
      seen->far += (clip & SG_XFORM_FLAG_FAR_CLIP) != 0 ? 1 : 0;
      seen->sides |= clip & ~(SG_XFORM_FLAG_NEAR_CLIP | SG_XFORM_FLAG_FAR_CLIP);
      seen->inside += clip == 0 ? 1 : 0;
      for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(pv[i].pvLoc[k], ref.txvLoc[k]) << "vertex " << i << " value " << k;
      }
    }
    SGRendererPopXform(rend_);
  }
};

TEST_F(PrepareTest, PreparedVerticesMatchTheOneVertexTransformOnEverySideOfTheView) {
  Seen seen;
  SGInstance* inst = PlaceCloud(1);
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    Scatter(seed);
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
    ASSERT_EQ(inst->instFlags & SG_INST_FOGGED, 0u);
    Compare(inst, false, &seen);
  }
  EXPECT_GT(seen.near, 0u);
  EXPECT_GT(seen.far, 0u);
  EXPECT_EQ(seen.sides,
            SG_XFORM_FLAG_LEFT_CLIP | SG_XFORM_FLAG_RIGHT_CLIP | SG_XFORM_FLAG_BOTTOM_CLIP | SG_XFORM_FLAG_TOP_CLIP);
  EXPECT_GT(seen.inside, 0u);
}

TEST_F(PrepareTest, FoggedVerticesTakeTheirFogFromTheirDepth) {
  GreyFog();
  Seen seen;
  SGInstance* inst = PlaceCloud(11);
  for (std::uint32_t seed = 11; seed <= 14; ++seed) {
    Scatter(seed);
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
    ASSERT_NE(inst->instFlags & SG_INST_FOGGED, 0u);
    Compare(inst, true, &seen);
  }
  EXPECT_GT(seen.inside, 0u);
}

// Two sunlights on normals pointing every way: a normal either light misses
// keeps what the other gave, and one both reach stops at full light.
TEST_F(PrepareTest, EachNormalSumsTheSunlightsThatReachItUpToFullLight) {
  SGInstance* inst = PlaceCloud(21);
  SGModelSubTransform* mst = &static_cast<SGModelInst*>(inst->instData)->miModel->modLods[0].mdlRoot;
  SGFree(mst->mstNormals);
  mst->mstNormals = static_cast<SGPoint3s*>(SGCalloc(kVerts, sizeof(SGPoint3s)));
  mst->mstNumNormals = kVerts;
  for (std::uint32_t i = 0; i < kVerts; ++i) {
    const float a = 0.5f * static_cast<float>(i);
    mst->mstNormals[i] = SGPoint3s{std::cos(a), std::sin(a), 0.f};
  }
  const SGInstance* lights[2] = {AddLight(0.f, 1.f, 0.f), AddLight(0.6f, 0.8f, 0.f)};
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  const float* shades = Shades(rend_, inst);
  std::uint32_t dark = 0, partly = 0, full = 0;
  for (std::uint32_t i = 0; i < kVerts; ++i) {
    const SGPoint3s& n = mst->mstNormals[i];
    float expected = 0.f;
    for (const SGInstance* light : lights) {
      const float* f = light->instForward;
      expected = std::fmin(1.f, expected + std::fmax(0.f, -(n.x * f[0] + n.y * f[1] + n.z * f[2])));
    }
    EXPECT_NEAR(shades[i], expected, 1e-6f) << "normal " << i;
    dark += expected == 0.f ? 1 : 0;
    full += expected == 1.f ? 1 : 0;
    partly += expected > 0.f && expected < 1.f ? 1 : 0;
  }
  EXPECT_GT(dark, 0u);
  EXPECT_GT(partly, 0u);
  EXPECT_GT(full, 0u);
}

}  // namespace
}  // namespace rendertest
