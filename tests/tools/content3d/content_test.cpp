// The generated 3D content: the index is sorted and every entry resolves in
// the archive to a resource the 3D library reads; the names the 3D views ask
// for are all there; generation is deterministic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "media/ResourceArchive.h"
#include "platform/core/bytes.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "tests/support/scratch_drive.h"
#include "tools/content3d/content3d.h"

namespace {

struct Index {
  explicit Index(const content3d::Image& image) {
    plat::ByteReader r(image);
    const std::uint32_t count = r.U32();
    for (std::uint32_t i = 0; i < count && r.Ok(); ++i) {
      const auto name = r.Bytes(content3d::kIndexNameSize);
      const std::uint32_t id = r.U32();
      if (r.Ok()) entries.push_back({std::string(reinterpret_cast<const char*>(name.data())), id});
    }
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.Remaining(), 0u);
  }
  // As the views look names up: a binary search by unsigned bytes; 0 when missing.
  std::uint32_t Find(const std::string& key) const {
    const auto at = std::lower_bound(entries.begin(), entries.end(), key,
                                     [](const auto& entry, const std::string& k) { return entry.first < k; });
    return at != entries.end() && at->first == key ? at->second : 0;
  }
  std::vector<std::pair<std::string, std::uint32_t>> entries;
};

class ContentTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    catalog_ = new std::vector<content3d::Asset>(content3d::MakeCatalog(content3d::PlaceholderPicture));
    index_ = new Index(content3d::MakeIndexTable(*catalog_));
  }
  static void TearDownTestSuite() {
    delete catalog_;
    delete index_;
  }
  static std::vector<content3d::Asset>* catalog_;
  static Index* index_;
};
std::vector<content3d::Asset>* ContentTest::catalog_ = nullptr;
Index* ContentTest::index_ = nullptr;

TEST_F(ContentTest, EveryNameTheViewsAskForResolves) {
  std::vector<std::string> names = {"BBGalaxy.mdl", "BBHuge.mdl", "BBLarge.mdl", "BBMedium.mdl", "BBSmall.mdl",
                                    "sun\\sun0.mat", "sun\\sun1.mat", "halos\\cube.mdl", "halos\\cube.lst",
                                    "halos\\halo.mat", "halos\\FiltHalo.mat", "halos\\cubesel.mat",
                                    "halos\\cubeuns.mat", "halos\\sel.mat", "halos\\uns.mat", "grid\\line.mdl",
                                    "grid\\line.lst", "grid\\redogrid.mdl", "grid\\redogrid.lst",
                                    "effects\\sh-efx.mdl", "project\\dshg3_p.mdl", "project\\dshg3_p.lst",
                                    "project\\rdml1_p.mdl", "project\\rdml1_p.lst"};
  for (const char* c : {"red", "green", "blue", "yellow", "magnta", "white"})
    names.push_back(std::string("grid\\##") + c + ".mat");
  for (int g = 1; g <= 5; ++g) {
    names.push_back("halos\\cube" + std::to_string(g) + ".mat");
    names.push_back("halos\\cube" + std::to_string(g) + "_me.mat");
  }
  for (int i = 1; i <= 15; ++i) {
    names.push_back("asteroid\\3dAst\\aster" + std::to_string(i) + ".mdl");
    names.push_back("asteroid\\3dAst\\aster" + std::to_string(i) + ".lst");
  }
  for (int i = 1; i <= 16; ++i) {
    char stem[16];
    std::snprintf(stem, sizeof stem, "ast%02d", i);
    names.push_back(std::string("asteroid\\3dAst\\") + stem + ".mat");
    names.push_back(std::string("asteroid\\PreRend\\") + stem + "_ds.mat");
  }
  for (const char* base : {"genp", "usta", "asta", "usct", "asct", "uasl", "aasl", "cons", "dest", "crus", "batt", "reck"})
    for (int g = 1; g <= 5; ++g)
      for (const int code : content3d::ViewCodes()) {
        char stem[32];
        std::snprintf(stem, sizeof stem, "GUILD%d\\%s%d0%02d", g, base, g, code);
        names.push_back(std::string(stem) + ".mat");
        names.push_back(std::string(stem) + (content3d::ViewCodeMirrored(code) ? ".xtx" : ".ptx"));
      }
  EXPECT_NE(index_->Find("3ddata_guild1_crus1001_mat"), 0u);
  std::vector<std::string> series = {"explode\\sdbr00", "explode\\exp900"};
  for (int n = 1; n <= 8; ++n) {
    series.push_back("explode\\exp" + std::to_string(n) + "00");
    series.push_back("explode\\rap" + std::to_string(n) + "00");
  }
  for (int g = 1; g <= 5; ++g) {
    series.push_back("g" + std::to_string(g) + "\\shieldfx\\@shld00");
    series.push_back("g" + std::to_string(g) + "\\shieldfx\\nxef00");
  }
  series.push_back("sun\\sflr10");
  for (const auto& base : series) {
    for (std::uint32_t f = 1; f <= content3d::EffectFrameCount(); ++f) {
      char frame[16];
      std::snprintf(frame, sizeof frame, "%02u.mat", f);
      names.push_back(base + frame);
    }
    // The animation ends at the first missing frame.
    char past[16];
    std::snprintf(past, sizeof past, "%02u.mat", content3d::EffectFrameCount() + 1);
    EXPECT_EQ(index_->Find(content3d::Flatten(base + past)), 0u) << base;
  }
  for (const auto& n : names) EXPECT_NE(index_->Find(content3d::Flatten(n)), 0u) << n;
  EXPECT_EQ(content3d::Flatten("asteroid\\3dAst\\ast01.pal"), "3ddata_asteroid_3dast_ast01_pal");
  EXPECT_EQ(index_->Find(""), 0u);
  EXPECT_EQ(index_->Find("~"), 0u);
}

TEST_F(ContentTest, IndexIsSortedAndEveryEntryReadsFromTheArchive) {
  ASSERT_EQ(index_->entries.size(), catalog_->size());
  for (std::size_t i = 1; i < index_->entries.size(); ++i) EXPECT_LT(index_->entries[i - 1].first, index_->entries[i].first);
  quentest::ScratchDrive drive;
  const auto archive = content3d::MakeArchive(*catalog_);
  drive.Write("3ddata.nob", std::string(archive.begin(), archive.end()));
  ASSERT_EQ(ArchiveSystemInit(nullptr, 0, 16384, 200000), 1);
  ASSERT_EQ(ArchiveOpen(drive.Dos("3ddata").c_str(), 1), 0);
  for (const auto& asset : *catalog_) {
    const std::uint32_t id = index_->Find(content3d::Flatten(asset.path));
    ASSERT_GT(id, content3d::kBaseId) << asset.path;
    std::uint8_t* data = ResourceGet(id);
    ASSERT_NE(data, nullptr) << asset.path;
    ASSERT_EQ(ResourceSize(id), asset.data.size());
    EXPECT_EQ(std::memcmp(data, asset.data.data(), asset.data.size()), 0);
    EXPECT_EQ(ResourceGetType(id), asset.type);
    switch (asset.type) {
      case content3d::kModel: {
        std::uint32_t size = 0;
        std::memcpy(&size, data, 4);
        ASSERT_LE(size + 4ull, asset.data.size());
        SGModel* model = nullptr;
        EXPECT_EQ(SGModelRelocate(data + 4, size, &model), SG_ERROR_NONE) << asset.path;
        SGModelFree(model);
        break;
      }
      case content3d::kMaterial: {
        SGMaterial mat{};
        bool hasTexture = false;
        ASSERT_EQ(SGMaterialRecordRead(data, asset.data.size(), &mat, &hasTexture), SG_ERROR_NONE);
        const std::uint32_t base = mat.matType & SG_MAT_TYPE_MASK;
        EXPECT_TRUE(base == SG_MAT_TYPE_FLAT || base == SG_MAT_TYPE_TEXTURE || base == SG_MAT_TYPE_TRANSPARENT_TEXTURE);
        if (hasTexture) {
          const std::string texture(data + SG_RECORD_SIZE, data + asset.data.size());
          EXPECT_NE(index_->Find(content3d::Flatten(texture.substr(7))), 0u) << texture;
        }
        break;
      }
      case content3d::kTexture: {
        SGTextureMap txm{};
        ASSERT_EQ(SGTextureHeaderRead(data, asset.data.size(), &txm), SG_ERROR_NONE);
        bool fillSize = false;
        for (const auto& [w, h] : sgdata::kFillSizes) fillSize |= txm.txmSize.u[0] == w && txm.txmSize.u[1] == h;
        EXPECT_TRUE(fillSize) << asset.path;
        EXPECT_EQ(txm.txmFormat & SG_TXM_FORMAT_MASK, SG_TXM_FORMAT_PAL8);
        break;
      }
      default:
        break;
    }
    ResourceRelease(data);
  }
  ArchiveSystemShutdown();
}

TEST_F(ContentTest, TheModelsThatCarryTheirOwnerHaveAHardPoint) {
  for (const char* path : {"halos\\cube.mdl", "effects\\sh-efx.mdl"}) {
    const auto at = std::find_if(catalog_->begin(), catalog_->end(), [&](const auto& a) { return a.path == path; });
    ASSERT_NE(at, catalog_->end()) << path;
    std::uint32_t size = 0;
    std::memcpy(&size, at->data.data(), 4);
    SGModel* model = nullptr;
    ASSERT_EQ(SGModelRelocate(at->data.data() + 4, size, &model), SG_ERROR_NONE) << path;
    EXPECT_EQ(SGModelCountHardPoints(model), 1u) << path;
    SGModelFree(model);
  }
}

TEST_F(ContentTest, GenerationIsDeterministic) {
  const auto again = content3d::MakeCatalog(content3d::PlaceholderPicture);
  ASSERT_EQ(again.size(), catalog_->size());
  for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].data, (*catalog_)[i].data) << again[i].path;
  EXPECT_NE(content3d::MakeScenePalette().size(), 0u);
  EXPECT_NE(content3d::MakeSceneFile().find("START"), std::string::npos);
}

}  // namespace
