// The generated 3D data reads back through the library's own readers.

#include <gtest/gtest.h>

#include <tuple>

#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "tests/sg/sgtest.h"
#include "tools/sgdata/sgdata.h"

namespace {

class Drive : public testing::Test {
 protected:
  void Write(const std::string& name, const sgdata::Image& bytes) { drive_.Write(name, bytes); }
  sgtest::TempDrive drive_;
};

TEST(ShipModel, RelocatesAndPacksBackExactly) {
  const sgdata::Image block = sgdata::MakeShipBlock(sgdata::ShipShape{});
  SGModel* m = nullptr;
  ASSERT_EQ(SGModelRelocate(block.data(), static_cast<std::uint32_t>(block.size()), &m), SG_ERROR_NONE);
  ASSERT_EQ(m->modNumLods, 3u);
  EXPECT_EQ(m->modPackedSize, block.size());
  EXPECT_EQ(sgtest::U32At(block, 0), block.size());
  // The hull vertices of LOD 0 and LOD 1 are one array.
  EXPECT_EQ(m->modLods[0].mdlRoot.mstVerts, m->modLods[1].mdlRoot.mstVerts);
  EXPECT_EQ(sgtest::U32At(block, sgtest::U32At(block, 8) + 16),
            sgtest::U32At(block, sgtest::U32At(block, 8) + 84 + 16));
  // The last 32 bytes of each LOD are spare.
  for (std::size_t i = block.size() - 96; i < block.size(); ++i) {
    ASSERT_EQ(block[i], 0) << i;
  }
  EXPECT_GT(m->modRadius, 2.f);
  EXPECT_EQ(std::make_tuple(m->modMin[0], m->modMax[0]), std::make_tuple(-2.f, 2.f));
  EXPECT_EQ(SGModelCountHardPoints(m), 2u);
  const float p[3] = {1.5f, 0.f, 0.5f};
  EXPECT_EQ(SGModelFindHardPoint(m, p), 1u);
  const auto* bil = static_cast<const SGBillboard*>(m->modLods[2].mdlData->gdData);
  EXPECT_EQ(bil->bilMatIndex[15], 11u);

  sgdata::Image again(block.size());
  ASSERT_EQ(SGModelUnrelocate(m, again.data(), static_cast<std::uint32_t>(again.size())), SG_ERROR_NONE);
  EXPECT_EQ(again, block);
  SGModelFree(m);
}

TEST_F(Drive, ModelFileAndTexturesLoad) {
  const sgdata::Image file = sgdata::MakeShipModelFile(sgdata::ShipShape{});
  EXPECT_EQ(sgtest::U32At(file, 0), file.size() - 4);
  Write("ship.mdl", file);
  SGModel* m = nullptr;
  ASSERT_EQ(SGModelRead(nullptr, "SHIP.MDL", &m), SG_ERROR_NONE);
  SGModelFree(m);

  for (const auto& [w, h] : sgdata::kFillSizes) {
    Write("t.bin", sgdata::MakeBinTexture(w, h, 3));
    SGTextureMap* txm = nullptr;
    ASSERT_EQ(SGTextureMapLoad(nullptr, "t.bin", &txm), SG_ERROR_NONE);
    EXPECT_EQ(std::make_tuple(txm->txmSize.u[0], txm->txmSize.u[1], txm->txmInfo->tpiTexels[4]),
              std::make_tuple(w, h, 4));
    SGTextureMapRelease(txm);
  }
  EXPECT_THROW(sgdata::MakeBinTexture(48, 16, 0), std::invalid_argument);
}

TEST_F(Drive, PalettedTextureAndMaterial) {
  Write("rainbow.pal", sgdata::MakePalette(sgdata::Spectrum(200)));
  sgdata::Image own(16 * 8, 9);
  Write("p.hdr",
        sgdata::MakePalettedTextureFile(SG_TXM_FORMAT_PAL8_KEYED, 16, 8, sgdata::Image(16 * 8, 1), own, "rainbow.pal"));
  Write("wall.bin", sgdata::MakeBinTexture(32, 16, 0));
  SGMaterial wall{};
  wall.matType = 4;
  wall.matNumShades = 2;
  wall.matShadeRowSize = 4;
  Write("wall.mat", sgdata::MakeMaterialFile(wall, {1, 2, 3, 4, 5, 6, 7, 8}, "wall.bin"));

  SGContext* ctx = nullptr;
  ASSERT_EQ(SGContextCreate(&ctx), SG_ERROR_NONE);
  SGDataPath* dp = nullptr;
  ASSERT_EQ(SGDataPathCreate(ctx, "Q:\\", 0, &dp), SG_ERROR_NONE);
  SGTextureMap* txm = nullptr;
  ASSERT_EQ(SGTextureMapLoad(dp, "p.hdr", &txm), SG_ERROR_NONE);
  EXPECT_EQ(txm->txmFormat, SG_TXM_FORMAT_IDX8 | SG_TXM_KEYED);
  ASSERT_NE(txm->txmInfo->tpiPal, nullptr);
  EXPECT_EQ(txm->txmInfo->tpiPal->tpNumColours, 200u);
  EXPECT_EQ(txm->txmInfo->tpiTexels[0], 9);
  SGTextureMapRelease(txm);

  SGMaterial* mat = nullptr;
  ASSERT_EQ(SGMaterialLoad(dp, "wall.mat", &mat), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(mat->matInfo->maiLUT[7], mat->matTexMap->txmSize.u[0]), std::make_tuple(8, 32u));
  SGMaterialDestroy(mat);
  SGDataPathDestroy(dp);
  SGContextDestroy(ctx);
}

}  // namespace
