// Scene description files, good and bad, and the scene's own settings.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../sgtest.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/core/hash.h"
#include "sg/scene/scene.h"
#include "sg/scene/scenefile.h"

namespace {

std::vector<std::uint8_t> Palette(std::uint32_t count) {
  sgtest::Bytes b;
  b.U8(static_cast<std::uint8_t>(count - 1));
  for (std::uint32_t i = 0; i < count; ++i) {
    b.U32(0x01020300u + i);
  }
  return b.b;
}

class SceneFile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ASSERT_EQ(SGDataPathCreate(ctx_, "Q:\\", 0, &dp_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(ctx_, &scene_), SG_ERROR_NONE);
    drive_.Write("pal.bin", Palette(4));
  }
  void TearDown() override {
    SGSceneDestroy(scene_);
    SGDataPathDestroy(dp_);
    SGContextDestroy(ctx_);
  }

  SGError Load(const std::string& text) {
    drive_.Write("scene.con", text);
    return SGSceneLoad(scene_, dp_, "scene.con");
  }

  sgtest::TempDrive drive_;
  SGContext* ctx_ = nullptr;
  SGDataPath* dp_ = nullptr;
  SGScene* scene_ = nullptr;
};

TEST_F(SceneFile, ReadsEveryFieldAndTheIndexedLists) {
  ASSERT_EQ(Load("a comment\nSTARTING here\npal.bin 8.0 51.0 17 3.5 8 4\n"
                 "HEIGHT 3 h3.raw\nTEXTURE 7 2 fine.bin coarse.bin\nnoise\nHEIGHTS 4 h4.raw\nTEXTURE 8 0\n"),
            SG_ERROR_NONE);
  EXPECT_EQ(scene_->scnFlags & (SG_SCN_FLAG_LOADED | SG_SCN_FLAG_TERRAIN), SG_SCN_FLAG_LOADED | SG_SCN_FLAG_TERRAIN);
  EXPECT_EQ(scene_->scnPaletteLen, 4u);
  EXPECT_EQ(scene_->scnPalette[3], 0x01020303u);
  EXPECT_EQ(scene_->scnPageSize, 8.f);
  EXPECT_EQ(scene_->scnMaxHeight, 51.f);
  EXPECT_EQ(scene_->scnHeightScale, 51.f / 255.f);
  EXPECT_EQ(scene_->scnPageNumVerts, 17u);
  EXPECT_EQ(scene_->scnMaxLOD, 4u);
  EXPECT_EQ(scene_->scnWorldExtent[0], 64.f);
  EXPECT_EQ(scene_->scnWorldExtent[1], 32.f);
  // A 16 x 16 cache shrinks to the world.
  EXPECT_EQ(scene_->scnCacheSize[0], 8u);
  EXPECT_EQ(scene_->scnCacheSize[1], 4u);
  SGHashValue v = 0;
  ASSERT_EQ(SGHashFind(scene_->scnHeightTable, 4, &v), SG_ERROR_NONE);
  EXPECT_STREQ(reinterpret_cast<SGPageHeightInfo*>(v)->phiName, "h4.raw");
  ASSERT_EQ(SGHashFind(scene_->scnTextureTable, 7, &v), SG_ERROR_NONE);
  const auto* pti = reinterpret_cast<SGPageTexInfo*>(v);
  ASSERT_EQ(pti->ptiNumTexLODs, 2u);
  EXPECT_STREQ(pti->ptiNames[1], "coarse.bin");
  ASSERT_EQ(SGHashFind(scene_->scnTextureTable, 8, &v), SG_ERROR_NONE);
  EXPECT_EQ(reinterpret_cast<SGPageTexInfo*>(v)->ptiNumTexLODs, 0u);
  // A second file changes nothing.
  EXPECT_EQ(Load("START\npal.bin 1.0 1.0 0 0 2 2\n"), SG_ERROR_SCENE_LOADED);
  EXPECT_EQ(scene_->scnPageSize, 8.f);
}

TEST_F(SceneFile, DefaultsKeptForNegativeHeightAndZeroVertices) {
  ASSERT_EQ(Load("START\npal.bin 2.0 -5.0 0 0 2 2\n"), SG_ERROR_NONE);
  EXPECT_EQ(scene_->scnMaxHeight, 1.f);
  EXPECT_EQ(scene_->scnHeightScale, 1.f / 256.f);
  EXPECT_EQ(scene_->scnPageNumVerts, 2u);
  EXPECT_EQ(scene_->scnMaxLOD, 4u);
  EXPECT_EQ(scene_->scnFlags & SG_SCN_FLAG_TERRAIN, 0u);
}

// The first entry of an index stays; a later one with the same index is
// dropped without leaking.
TEST_F(SceneFile, DuplicateIndicesKeepTheFirstEntry) {
  const std::size_t before = SGMallocLiveBlocks();
  ASSERT_EQ(Load("START\npal.bin 2.0 1.0 0 0 16 16\nHEIGHT 1 first.raw\nHEIGHT 1 second.raw\n"
                 "TEXTURE 2 1 a.bin\nTEXTURE 2 2 b.bin c.bin\n"),
            SG_ERROR_NONE);
  SGHashValue v = 0;
  ASSERT_EQ(SGHashFind(scene_->scnHeightTable, 1, &v), SG_ERROR_NONE);
  EXPECT_STREQ(reinterpret_cast<SGPageHeightInfo*>(v)->phiName, "first.raw");
  ASSERT_EQ(SGHashFind(scene_->scnTextureTable, 2, &v), SG_ERROR_NONE);
  EXPECT_EQ(reinterpret_cast<SGPageTexInfo*>(v)->ptiNumTexLODs, 1u);
  SGSceneUnload(scene_);
  EXPECT_EQ(SGMallocLiveBlocks(), before);
}

TEST_F(SceneFile, BadFilesAreRefusedAndLeaveTheSceneUnloaded) {
  struct Case {
    const char* text;
    SGError status;
  };
  const Case cases[] = {
      {"no start line\n", SG_ERROR_SCENE_FORMAT},
      {"START\n", SG_ERROR_SCENE_FORMAT},
      {"START\nmissing.pal 2.0 1.0 0 0 2 2\n", SG_ERROR_SCENE_PALETTE},
      {"START\npal.bin 2.0 1.0 0 0 2\n", SG_ERROR_SCENE_FORMAT},
      {"START\npal.bin two 1.0 0 0 2 2\n", SG_ERROR_SCENE_FORMAT},
      {"START\npal.bin 2.0 1.0 18 0 2 2\n", SG_ERROR_SCENE_VERTS},
      {"START\npal.bin 2.0 1.0 0 0 6 6\n", SG_ERROR_CACHE_SIZE},
      {"START\npal.bin 2.0 1.0 0 0 0 4\n", SG_ERROR_CACHE_SIZE},
      {"START\npal.bin 0.0 1.0 0 0 4 4\n", SG_ERROR_SCENE_FORMAT},
      {"START\npal.bin 2.0 1.0 0 0 2 2\nHEIGHT 1\n", SG_ERROR_SCENE_FORMAT},
      {"START\npal.bin 2.0 1.0 0 0 2 2\nTEXTURE 1 3 a.bin b.bin\n", SG_ERROR_SCENE_FORMAT},
      {"START\npal.bin 2.0 1.0 0 0 2 2\nTEXTURE 1 -1\n", SG_ERROR_SCENE_FORMAT},
      {"START\npal.bin 2.0 1.0 0 0 2 2\nTEXTURE 1 100000000\n", SG_ERROR_SCENE_FORMAT},
  };
  const std::size_t before = SGMallocLiveBlocks();
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.text), c.status) << c.text;
    EXPECT_EQ(scene_->scnFlags & SG_SCN_FLAG_LOADED, 0u) << c.text;
    EXPECT_EQ(scene_->scnWorldExtent[0], 1000.f) << c.text;
    EXPECT_EQ(SGMallocLiveBlocks(), before) << c.text;
  }
  drive_.Write("short.pal", std::vector<std::uint8_t>{3, 1, 2, 3});
  EXPECT_EQ(Load("START\nshort.pal 2.0 1.0 0 0 2 2\n"), SG_ERROR_SCENE_PALETTE);
  EXPECT_EQ(SGSceneLoad(scene_, dp_, "absent.con"), SG_ERROR_OPEN);
  // After all that a good file still loads.
  EXPECT_EQ(Load("START\npal.bin 2.0 1.0 0 0 2 2\n"), SG_ERROR_NONE);
}

TEST_F(SceneFile, WorldAndCacheSizes) {
  const std::uint32_t odd[2] = {3, 4};
  EXPECT_EQ(SGSceneSetWorldSize(scene_, odd), SG_ERROR_CACHE_SIZE);
  const std::uint32_t two[2] = {2, 2};
  EXPECT_EQ(SGSceneSetWorldSize(scene_, two), SG_ERROR_NONE);
  ASSERT_EQ(Load("START\npal.bin 2.0 1.0 0 0 16 16\n"), SG_ERROR_NONE);
  const std::uint32_t big[2] = {32, 32};
  EXPECT_EQ(SGSceneSetWorldSize(scene_, big), SG_ERROR_CACHE_SIZE);
}

TEST_F(SceneFile, NormalTableAndOrigin) {
  EXPECT_EQ(scene_->scnNormals[8 * 16 + 8][2], 1.f);
  EXPECT_EQ(scene_->scnNormals[0][0], -0.5f);
  EXPECT_EQ(scene_->scnNormals[0][1], -0.5f);
  EXPECT_EQ(scene_->scnNormals[0][2], 0.f);
  const double origin[3] = {2500.0, -10.0, 4.0};
  SGSceneSetOrigin(scene_, origin);
  EXPECT_EQ(scene_->scnOrigin[0], 500.0);
  EXPECT_NE(scene_->scnFlags & SG_SCN_FLAG_ORIGIN, 0u);
  const double zero[3] = {0.0, 0.0, 0.0};
  SGSceneSetOrigin(scene_, zero);
  EXPECT_EQ(scene_->scnFlags & SG_SCN_FLAG_ORIGIN, 0u);
}

}  // namespace
