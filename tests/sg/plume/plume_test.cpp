// Plumes in the game's 3D configuration: trails behind moving boxes driven by
// a hand-stepped clock, drawn into golden pictures, and the ring, pool and
// material rules that keep them sound.

#include <gtest/gtest.h>

#include "../d3d/support/d3drender.h"
#include "../render/support/renderfixture.h"
#include "sg/plume/plume.h"
#include "sg/render/prepped.h"
#include "sg/scene/scenerandom.h"

namespace {

using rendertest::RenderTest;

std::uint32_t g_now = 0;
std::uint32_t Clock() { return g_now; }

// Moves the owner by dx and dz and draws one frame per clock tick, `ticks` times.
template <class DrawFrame>
void FlyOwner(DrawFrame draw, SGInstance* owner, int ticks, double dx, double dz = 0.0) {
  for (int i = 0; i < ticks; ++i) {
    double pos[3];
    SGInstanceGetPosition(owner, pos);
    pos[0] += dx;
    pos[2] += dz;
    SGInstanceSetPosition(owner, pos);
    SGInstanceUpdate(owner);
    g_now += 1;
    ASSERT_EQ(draw(), SG_ERROR_NONE);
  }
}

class PlumeTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    g_now = 100;
    SGSceneSetPlumeClock(scene_, Clock);
    SGSceneSetRandomSeed(scene_, 7);
    smoke_ = Keep(rendertest::Material(SG_MAT_TYPE_TRANSPARENT_TEXTURE, 60, rendertest::Texture(32, 32, 150, 0, 4)));
    cap_ = Keep(rendertest::Material(SG_MAT_TYPE_TRANSPARENT_TEXTURE, 0, rendertest::Texture(16, 16, 60, 0, 2)));
  }

  // An owner box at (x, y, z) moving along +x, with a plume of `length` nodes.
  SGPlume* Emitter(double x, double y, double z, std::uint32_t length) {
    SGInstance* owner = Place(Keep(rendertest::Box(0.5f, 0.5f, 0.5f, 1)), {cap_}, x, y, z);
    const float motion[3] = {1.f, 0.f, 0.f};
    SGInstanceSetMotion(owner, motion);
    SGPlume* plm = nullptr;
    EXPECT_EQ(SGPlumeCreate(ctx_, &plm), SG_ERROR_NONE);
    EXPECT_EQ(SGPlumeSetLength(plm, length), SG_ERROR_NONE);
    EXPECT_EQ(SGPlumeSetMaterials(plm, 1, &smoke_), SG_ERROR_NONE);
    EXPECT_EQ(SGPlumeSetCaps(plm, 1, &cap_), SG_ERROR_NONE);
    SGPlumeSetWidth(plm, 1.5f);
    SGPlumeSetWidthGrowth(plm, 0.05f);
    SGPlumeAttach(plm, owner);
    return plm;
  }

  void Fly(SGPlume* plm, int ticks, double dx, double dz = 0.0) {
    FlyOwner([&] { return Draw(); }, plm->plmInstance, ticks, dx, dz);
  }

  // Segments and caps the plume registered in the last frame.
  static std::uint32_t Registered(const SGPlume* plm) { return plm->plmUsedInsts; }

  SGMaterial* smoke_ = nullptr;
  SGMaterial* cap_ = nullptr;
};

TEST_F(PlumeTest, TrailBehindAMovingBoxMatchesItsPicture) {
  LookFrom(0.0, -14.0, 5.0, 0.f, 0.94f, -0.34f);
  SGPlume* plm = Emitter(-8.0, 4.0, 0.0, 24);
  SGPlumeSetFade(plm, 0.25f);
  Fly(plm, 20, 0.6, 0.08);
  EXPECT_GT(plm->plmCurrLen, 10u);
  ExpectGolden("plume_trail");
}

TEST_F(PlumeTest, PlumeSortsBetweenTheBoxesInFrontAndBehind) {
  LookFrom(0.0, -16.0, 0.0, 0.f, 1.f, 0.f);
  SGModel* box = Keep(rendertest::Box(1.2f, 1.2f, 1.2f, 1));
  Place(box, {Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 120, nullptr))}, 0.5, -3.0, 0.0);
  Place(box, {Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 200, nullptr))}, -4.5, 6.0, 0.5);
  SGPlume* plm = Emitter(-7.0, 1.5, 0.0, 32);
  Fly(plm, 24, 0.6);
  ExpectGolden("plume_overlaps");
}

TEST_F(PlumeTest, FramesWithoutAStepReuseThePoolAndAllocateNothing) {
  LookFrom(0.0, -14.0, 5.0, 0.f, 0.94f, -0.34f);
  SGPlume* plm = Emitter(-8.0, 4.0, 0.0, 16);
  SGPlumeSetStepPeriod(plm, 5);
  Fly(plm, 40, 0.5);  // fills the ring; from then on a step comes every fifth tick
  const std::uint32_t pool = plm->plmNumInsts;
  const std::size_t registered = Registered(plm);
  const std::uint64_t before = SGMallocCount();
  for (int i = 0; i < 60; ++i) {
    ASSERT_EQ(Draw(), SG_ERROR_NONE);  // the clock stands: no step
  }
  EXPECT_EQ(SGMallocCount(), before);
  EXPECT_EQ(plm->plmNumInsts, pool);
  EXPECT_LE(plm->plmUsedInsts, pool);
  // Steps come and go with the clock; warm frames still allocate nothing.
  Fly(plm, 10, 0.5);
  const std::uint64_t warm = SGMallocCount();
  Fly(plm, 10, 0.5);
  EXPECT_EQ(SGMallocCount(), warm);
  EXPECT_EQ(plm->plmNumInsts, pool);
  EXPECT_GT(registered, 0u);
}

TEST_F(PlumeTest, TheCallersMaterialsAreLeftAsTheyWere) {
  const std::uint32_t smokeType = smoke_->matType;
  const std::uint32_t capType = cap_->matType;
  smoke_->matInfo->maiScale = 3.f;
  LookFrom(0.0, -14.0, 5.0, 0.f, 0.94f, -0.34f);
  SGPlume* plm = Emitter(-8.0, 4.0, 0.0, 16);
  Fly(plm, 10, 0.6);
  EXPECT_EQ(smoke_->matType, smokeType);
  EXPECT_EQ(cap_->matType, capType);
  EXPECT_EQ(smoke_->matInfo->maiScale, 3.f);
  // The plume draws with its own copies, which carry the blending flags.
  const SGMaterial* drawn = ISGPlumeTrailMaterial(plm, 0);
  EXPECT_EQ(drawn->matType, smokeType | SG_MAT_TYPE_ALPHA | SG_MAT_TYPE_VERTEX_COLOUR | SG_MAT_TYPE_SRC_COLOUR_BLEND);
  EXPECT_EQ(drawn->matInfo->maiScale, 1.f);
  EXPECT_EQ(drawn->matTexMap, smoke_->matTexMap);
}

TEST_F(PlumeTest, MaterialsWithoutASquareTextureAreRefused) {
  SGPlume* plm = nullptr;
  ASSERT_EQ(SGPlumeCreate(ctx_, &plm), SG_ERROR_NONE);
  SGMaterial* wide = Keep(rendertest::Material(SG_MAT_TYPE_TEXTURE, 0, rendertest::Texture(64, 32, 10, 0)));
  SGMaterial* bare = Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 5, nullptr));
  EXPECT_EQ(SGPlumeSetMaterials(plm, 1, &wide), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(SGPlumeSetCaps(plm, 1, &bare), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(SGPlumeSetMaterials(plm, 2, nullptr), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(plm->plmNumMats, 0u);
  EXPECT_EQ(plm->plmNumCaps, 0u);
  SGPlumeDestroy(plm);
}

TEST_F(PlumeTest, ANarrowingTrailOrBackwardRepeatKeepsItsTextureRunningForward) {
  LookFrom(0.0, -14.0, 5.0, 0.f, 0.94f, -0.34f);
  SGPlume* plm = Emitter(-8.0, 4.0, 0.0, 24);
  SGPlumeSetWidth(plm, 2.f);
  SGPlumeSetWidthGrowth(plm, -0.2f);  // would reach a negative width before the old end
  EXPECT_FLOAT_EQ(plm->plmUPerUnit, 0.5f);
  Fly(plm, 30, 0.6);
  EXPECT_GT(Covered(), 500u);
  SGPlumeSetTexRepeat(plm, -1.f);
  EXPECT_EQ(plm->plmUPerUnit, 0.f);
  Fly(plm, 5, 0.6);
}

TEST_F(PlumeTest, AStandingEmitterRetractsItsTrailToOneNode) {
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 16);
  Fly(plm, 8, 0.5);
  const std::uint32_t grown = plm->plmCurrLen;
  ASSERT_GT(grown, 3u);
  Fly(plm, 1, 0.0);
  EXPECT_EQ(plm->plmCurrLen, grown - 1);
  Fly(plm, 20, 0.0);
  EXPECT_EQ(plm->plmCurrLen, 1u);
  EXPECT_EQ(Registered(plm), 0u);
}

TEST_F(PlumeTest, AFullRingOverwritesItsOldestNodeAndSlowsToItsPeriod) {
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 8);
  SGPlumeSetStepPeriod(plm, 3);
  Fly(plm, 14, 0.5);  // the first step comes at the fifth tick
  EXPECT_EQ(plm->plmCurrLen, 8u);
  EXPECT_NE(plm->plmFlags & SG_PLM_FLAG_FULL, 0u);
  const std::uint32_t stamp = plm->plmTimeStamp;
  Fly(plm, 3, 0.5);
  EXPECT_EQ(plm->plmPeriod, 3u);
  EXPECT_EQ(plm->plmTimeStamp, stamp + 1);
  EXPECT_EQ(plm->plmCurrLen, 8u);
}

TEST_F(PlumeTest, TheFirstNodeTakesTheDirectionOfTheFirstStep) {
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 8);
  const float up[3] = {0.f, 0.f, 1.f};
  SGInstanceSetMotion(plm->plmInstance, up);
  Fly(plm, 5, 0.0, 0.5);  // the first update only sets the clock stamp; steps come from the fourth tick
  ASSERT_EQ(plm->plmCurrLen, 2u);
  EXPECT_FLOAT_EQ(plm->plmTail->pndDir[2], 1.f);
  EXPECT_FLOAT_EQ(plm->plmTail->pndDir[0], 0.f);
}

TEST_F(PlumeTest, AnExhaustedVertexPoolSkipsTheNodeAndItsSegments) {
  LookFrom(0.0, -14.0, 5.0, 0.f, 0.94f, -0.34f);
  SGPlume* plm = Emitter(-8.0, 4.0, 0.0, 16);
  Fly(plm, 10, 0.6);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);  // no step: the head is rebuilt first, then the walk
  const std::uint32_t whole = Registered(plm);
  // The head's vertices need a new block of the pool, and that allocation fails.
  rend_->renTxvNext = rend_->renTxvBlocks[0] + rend_->renTxvBlockSize;
  SGMallocFailAt(1);
  EXPECT_EQ(Draw(), SG_ERROR_NONE);
  SGMallocFailAt(0);
  // Only the segment to the head is missing; none joins vertices of an earlier frame.
  EXPECT_EQ(Registered(plm), whole - 1);
  for (std::uint32_t r = 0; r < Registered(plm); ++r) {
    const auto* prep = static_cast<const SGPrepTris*>(plm->plmInsts[r]->instData);
    for (std::uint32_t i = 0; i < 3 * prep->ptrNumTris; ++i) {
      EXPECT_NE(prep->ptrVerts[i], nullptr);
    }
  }
}

TEST_F(PlumeTest, ADestroyedOwnerLeavesTheTrailToShrinkAwayInTheScene) {
  const std::size_t live = SGMallocLiveBlocks();
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 12);
  Fly(plm, 10, 0.5);
  SGInstance* owner = plm->plmInstance;
  SGInstanceDelete(owner);
  Fly(plm, 1, 0.0);  // the owner goes; the plume takes its first record into the scene
  EXPECT_NE(plm->plmFlags & SG_PLM_FLAG_DYING, 0u);
  EXPECT_EQ(scene_->scnInstances->instPlume, plm);
  // Seen from across the world, the plume's record is wrapped like any instance.
  LookFrom(700.0, -20.0, 0.0, 0.f, 1.f, 0.f);
  for (int i = 0; i < 20; ++i) {
    g_now += 1;
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
  }
  for (const SGInstance* inst = scene_->scnInstances; inst != nullptr; inst = inst->instScnNext) {
    EXPECT_EQ(inst->instPlume, nullptr);
  }
  EXPECT_LE(SGMallocLiveBlocks(), live + 16);  // the box model, its table and material only
}

TEST_F(PlumeTest, ASceneDestroyedWithALivingPlumeFreesIt) {
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 12);
  Fly(plm, 6, 0.5);
  SGSceneDestroy(scene_);
  scene_ = nullptr;  // the plume went with its owner's scene record; ASan finds a leak otherwise
}

TEST_F(PlumeTest, ARunningPlumeResizedStartsItsTrailAgain) {
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 8);
  Fly(plm, 12, 0.5);  // full; drawn from a head in the old ring
  ASSERT_EQ(SGPlumeSetLength(plm, 40), SG_ERROR_NONE);
  EXPECT_EQ(plm->plmCurrLen, 0u);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);  // a frame without a step
  Fly(plm, 30, 0.5);
  EXPECT_GT(plm->plmCurrLen, 8u);
  ASSERT_EQ(SGPlumeSetLength(plm, 4), SG_ERROR_NONE);
  Fly(plm, 10, 0.5);
  EXPECT_EQ(plm->plmCurrLen, 4u);
}

TEST_F(PlumeTest, AOneSlotRingKeepsOnlyItsNewestNodeAndDrawsNothing) {
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 1);
  Fly(plm, 8, 0.5);
  EXPECT_EQ(plm->plmCurrLen, 1u);
  EXPECT_EQ(plm->plmHead->pndTimeStamp, plm->plmTimeStamp);
  EXPECT_EQ(Registered(plm), 0u);
}

TEST_F(PlumeTest, APlumeAttachedToANewOwnerLeavesTheOldOne) {
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 12);
  Fly(plm, 6, 0.5);
  SGInstance* old = plm->plmInstance;
  SGInstance* next = Place(Keep(rendertest::Box(0.5f, 0.5f, 0.5f, 1)), {cap_}, 0.0, 12.0, 0.0);
  SGPlumeAttach(plm, next);
  // Driven through both owners, the plume would take its records twice in one
  // frame and list them on the scene's plume list twice, which then never ends.
  ASSERT_EQ(old->instPlume, nullptr);
  Fly(plm, 6, 0.5);
  EXPECT_GT(Registered(plm), 0u);
}

TEST_F(PlumeTest, AHiddenPlumeAddsNothing) {
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 12);
  SGPlumeHide(plm);
  Fly(plm, 8, 0.5);
  EXPECT_GT(plm->plmCurrLen, 4u);
  EXPECT_EQ(Registered(plm), 0u);
  SGPlumeShow(plm);
  Fly(plm, 1, 0.5);
  EXPECT_GT(Registered(plm), 0u);
}

TEST_F(PlumeTest, WindCarriesOlderNodesFurther) {
  SGPlume* plm = Emitter(0.0, 10.0, 0.0, 16);
  const float wind[3] = {0.f, 0.f, 0.1f};
  SGPlumeSetWind(plm, wind);
  Fly(plm, 12, 0.5);
  ASSERT_GT(plm->plmCurrLen, 4u);
  for (SGPlumeNode* node = plm->plmHead; node != plm->plmTail; node = ISGPlumePrev(plm, node)) {
    const float age = static_cast<float>(plm->plmTimeStamp - node->pndTimeStamp);
    EXPECT_NEAR(node->pndPos[2], 0.1 * age, 1e-4) << age;
  }
}

TEST_F(PlumeTest, OlderSegmentsTakeLaterMaterialsPastTheMaximumAge) {
  SGMaterial* mats[3] = {smoke_, Keep(rendertest::Material(SG_MAT_TYPE_TEXTURE, 0, rendertest::Texture(32, 32, 80, 9))),
                         Keep(rendertest::Material(SG_MAT_TYPE_TEXTURE, 0, rendertest::Texture(32, 32, 20, 9)))};
  LookFrom(0.0, -14.0, 5.0, 0.f, 0.94f, -0.34f);
  SGPlume* plm = Emitter(-8.0, 4.0, 0.0, 16);
  SGPlumeSetMaxAge(plm, 4);
  ASSERT_EQ(SGPlumeSetMaterials(plm, 3, mats), SG_ERROR_NONE);
  Fly(plm, 20, 0.6);
  std::vector<int> used(3, 0);
  for (std::uint32_t r = 0; r < Registered(plm); ++r) {
    const auto* prep = static_cast<const SGPrepTris*>(plm->plmInsts[r]->instData);
    for (std::uint32_t i = 0; i < 3; ++i) {
      used[i] += prep->ptrMaterial == ISGPlumeTrailMaterial(plm, i) ? 1 : 0;
    }
  }
  EXPECT_GT(used[0], 0);
  EXPECT_GT(used[1], 0);
  EXPECT_GT(used[2], 0);
}

TEST_F(PlumeTest, TheEyeInsideTheTrailFogsTheFrameInItsColour) {
  std::vector<std::uint8_t> table(4096);
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = static_cast<std::uint8_t>(i >> 4);
  }
  SGPlume* plm = Emitter(-6.0, 0.0, 0.0, 16);
  SGPlumeSetFogLUT(plm, table.data());
  LookFrom(0.0, -20.0, 0.0, 0.f, 1.f, 0.f);
  Fly(plm, 8, 0.5);
  ASSERT_LT(Covered(), 585u * 367u);
  // The camera moves into the trail, between two of its nodes.
  LookFrom(-3.2, -0.05, 0.5, 0.f, 1.f, 0.f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Covered(), 585u * 367u);  // cleared in the fog colour
  const std::uint32_t first = Pixel(5, 5);
  // The flicker comes from the scene's own sequence: the same seed gives the same frame.
  SGSceneSetRandomSeed(scene_, 7);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  const auto seeded = Frame();
  ExpectGolden("plume_inside_fog");
  SGSceneSetRandomSeed(scene_, 7);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_TRUE(Frame().rgb == seeded.rgb);
  SGSceneSetRandomSeed(scene_, 20000);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_FALSE(Frame().rgb == seeded.rgb);
  EXPECT_NE(first, 0u);
  EXPECT_EQ(rend_->renFlags & SG_REND_FLAG_FOG_OVERRIDE, 0u);  // the frame's end takes the override back
  // Without wrapping, the same.
  SGPlumeSetWrap(plm, 0);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Covered(), 585u * 367u);
}

using namespace plat;

// On an 8-bit indexed buffer the ribbon blends by its vertex alpha: soft
// outer edges, a denser ridge.
class IndexedPlumeTest : public PlumeTest {
 protected:
  IDirectDrawSurface* OpenFrame() override { return OpenIndexedFrame(); }
};

TEST_F(IndexedPlumeTest, TrailBlendsOverWhatIsBehindIt) {
  ASSERT_EQ(SGRendererBuildInverseLUT(rend_), SG_ERROR_NONE);
  ASSERT_EQ(SGRendererBuildPaletteShadeLUT(rend_), SG_ERROR_NONE);
  LookFrom(0.0, -14.0, 5.0, 0.f, 0.94f, -0.34f);
  Place(Keep(rendertest::Box(3.f, 0.5f, 3.f, 1)), {Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 180, nullptr))}, 0.0,
        9.0, 0.0);
  SGPlume* plm = Emitter(-8.0, 4.0, 0.0, 24);
  Fly(plm, 20, 0.6, 0.08);
  EXPECT_GT(Covered(), 3000u);
  ExpectGolden("plume_indexed");
}

// A device that lost its alpha shades to the environment: the plume draws its
// own copies of the trail materials without alpha blending, and the caller's
// materials, which other instances share, keep their types.
class PlumeOnDeviceTest : public d3drendertest::D3DRenderTest {
 protected:
  void SetUp() override {
    ::setenv("hvnv3", "", 1);
    D3DRenderTest::SetUp();
    ::unsetenv("hvnv3");
    g_now = 100;
    SGSceneSetPlumeClock(scene_, Clock);
  }
};

TEST_F(PlumeOnDeviceTest, ADeviceThatCannotBlendChangesOnlyThePlumesCopies) {
  ASSERT_NE(rend_->renD3D, nullptr);
  ASSERT_NE(ISGD3DCanBlend(ctx_), SG_ERROR_NONE);
  SGMaterial* smoke =
      Keep(rendertest::Material(SG_MAT_TYPE_TRANSPARENT_TEXTURE, 60, rendertest::Texture(32, 32, 150, 0)));
  const std::uint32_t type = smoke->matType;
  SGInstance* owner = Place(Keep(rendertest::Box(0.5f, 0.5f, 0.5f, 1)), {smoke}, -6.0, 6.0, 0.0);
  Prepare();
  SGPlume* plm = nullptr;
  ASSERT_EQ(SGPlumeCreate(ctx_, &plm), SG_ERROR_NONE);
  ASSERT_EQ(SGPlumeSetLength(plm, 16), SG_ERROR_NONE);
  ASSERT_EQ(SGPlumeSetMaterials(plm, 1, &smoke), SG_ERROR_NONE);
  SGPlumeSetWidth(plm, 1.5f);
  SGPlumeAttach(plm, owner);
  FlyOwner([&] { return Draw(); }, owner, 8, 0.6);
  ASSERT_GT(plm->plmCurrLen, 2u);
  const std::uint32_t drawn = ISGPlumeTrailMaterial(plm, 0)->matType;
  EXPECT_EQ(drawn & SG_MAT_TYPE_ALPHA, 0u);
  EXPECT_NE(drawn & SG_MAT_TYPE_VERTEX_COLOUR, 0u);
  EXPECT_EQ(smoke->matType, type);
}

}  // namespace
