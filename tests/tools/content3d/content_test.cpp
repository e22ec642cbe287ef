// The generated 3D content: the index is sorted and every entry resolves in
// the archive to a resource the 3D library reads; the names the 3D views ask
// for are all there; generation is deterministic.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
  std::vector<std::string> names = {
      "BBGalaxy.mdl",         "BBHuge.mdl",           "BBLarge.mdl",          "BBMedium.mdl",
      "BBSmall.mdl",          "sun\\sun0.mat",        "sun\\sun1.mat",        "halos\\cube.mdl",
      "halos\\cube.lst",      "halos\\halo.mat",      "halos\\FiltHalo.mat",  "halos\\cubesel.mat",
      "halos\\cubeuns.mat",   "halos\\sel.mat",       "halos\\uns.mat",       "grid\\line.mdl",
      "grid\\line.lst",       "grid\\redogrid.mdl",   "grid\\redogrid.lst",   "effects\\sh-efx.mdl",
      "project\\dshg3_p.mdl", "project\\dshg3_p.lst", "project\\rdml1_p.mdl", "project\\rdml1_p.lst"};
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
  for (const char* base :
       {"genp", "usta", "asta", "usct", "asct", "uasl", "aasl", "cons", "dest", "crus", "batt", "reck"})
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
    series.push_back("g" + std::to_string(g) + "\\shieldfx\\rshd00");
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
  for (std::size_t i = 1; i < index_->entries.size(); ++i)
    EXPECT_LT(index_->entries[i - 1].first, index_->entries[i].first);
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

// A chapter's halo cube glows in its guild's colour (red, green, blue,
// yellow, magenta for guilds 0 to 4); the local chapter's own is whiter.
TEST_F(ContentTest, HaloCubesGlowInTheirGuildsColour) {
  auto brightest = [&](const std::string& path) {
    const auto at = std::find_if(catalog_->begin(), catalog_->end(), [&](const auto& a) { return a.path == path; });
    EXPECT_NE(at, catalog_->end()) << path;
    if (at == catalog_->end() || at->data.size() != 1 + 256 * 4) return std::array<int, 3>{};
    const std::uint8_t* e = at->data.data() + 1 + 255 * 4;
    return std::array<int, 3>{e[0], e[1], e[2]};
  };
  // Which of red, green and blue are lit.
  const std::array<std::array<bool, 3>, 5> lit = {
      {{true, false, false}, {false, true, false}, {false, false, true}, {true, true, false}, {true, false, true}}};
  for (int g = 1; g <= 5; ++g) {
    const auto own = brightest("halos\\cube" + std::to_string(g) + ".pal");
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(own[static_cast<std::size_t>(k)] > 200,
                lit[static_cast<std::size_t>(g - 1)][static_cast<std::size_t>(k)])
          << "guild " << g << " channel " << k;
    const auto me = brightest("halos\\cube" + std::to_string(g) + "_me.pal");
    EXPECT_GT(std::min({me[0], me[1], me[2]}), 200) << g;
  }
}

TEST_F(ContentTest, SunsAndHalosGlowFromALargeSquareTexture) {
  int glows = 0;
  for (const auto& asset : *catalog_) {
    const bool glow = asset.path.rfind("sun\\", 0) == 0 || asset.path.rfind("halos\\", 0) == 0;
    if (!glow || asset.type != content3d::kTexture) continue;
    SGTextureMap txm{};
    ASSERT_EQ(SGTextureHeaderRead(asset.data.data(), asset.data.size(), &txm), SG_ERROR_NONE) << asset.path;
    // A billboard stretches the disc over hundreds of pixels: a smaller one
    // shows its texels as blocks, an oblong one as an ellipse.
    EXPECT_EQ(txm.txmSize.u[0], txm.txmSize.u[1]) << asset.path;
    EXPECT_GE(txm.txmSize.u[0], 128u) << asset.path;
    ++glows;
  }
  EXPECT_GE(glows, 2 + 7 + 10);
}

TEST_F(ContentTest, GenerationIsDeterministic) {
  const auto again = content3d::MakeCatalog(content3d::PlaceholderPicture);
  ASSERT_EQ(again.size(), catalog_->size());
  for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].data, (*catalog_)[i].data) << again[i].path;
  EXPECT_NE(content3d::MakeScenePalette().size(), 0u);
  EXPECT_NE(content3d::MakeSceneFile().find("START"), std::string::npos);
}

// The guilds' hulls, seen from above: a coarse footprint of the faces in the
// x-y plane, over the hull's own bounds (`normalise`) or over a fixed square.
std::vector<bool> Footprint(const content3d::Mesh& m, bool normalise) {
  constexpr int kCells = 32;
  float lo[2] = {-2.5f, -2.5f}, hi[2] = {2.5f, 2.5f};
  if (normalise) {
    lo[0] = lo[1] = 1e9f;
    hi[0] = hi[1] = -1e9f;
    for (const auto& v : m.verts)
      for (int k = 0; k < 2; ++k) lo[k] = std::min(lo[k], v[k]), hi[k] = std::max(hi[k], v[k]);
  }
  std::vector<bool> cells(kCells * kCells, false);
  for (int cy = 0; cy < kCells; ++cy)
    for (int cx = 0; cx < kCells; ++cx) {
      const float px = lo[0] + (hi[0] - lo[0]) * (static_cast<float>(cx) + 0.5f) / kCells;
      const float py = lo[1] + (hi[1] - lo[1]) * (static_cast<float>(cy) + 0.5f) / kCells;
      for (const auto& t : m.tris) {
        float s[3];
        for (int e = 0; e < 3; ++e) {
          const auto& a = m.verts[t.v[e]];
          const auto& b = m.verts[t.v[(e + 1) % 3]];
          s[e] = (b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0]);
        }
        if ((s[0] >= 0 && s[1] >= 0 && s[2] >= 0) || (s[0] <= 0 && s[1] <= 0 && s[2] <= 0)) {
          cells[static_cast<std::size_t>(cy * kCells + cx)] = true;
          break;
        }
      }
    }
  return cells;
}

// Cells covered by one footprint only, against those covered by either.
double Difference(const std::vector<bool>& a, const std::vector<bool>& b) {
  std::size_t either = 0, one = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    either += a[i] || b[i];
    one += a[i] != b[i];
  }
  return either == 0 ? 0.0 : static_cast<double>(one) / static_cast<double>(either);
}

TEST(GuildHulls, EachGuildHasItsOwnOutlinePerClass) {
  for (std::uint32_t c = 0; c < 12; ++c)
    for (std::uint32_t g = 0; g < 5; ++g)
      for (std::uint32_t h = g + 1; h < 5; ++h)
        // Shape, not size: each over its own bounds.
        EXPECT_GT(
            Difference(Footprint(content3d::MakeHullMesh(g, c), true), Footprint(content3d::MakeHullMesh(h, c), true)),
            0.1)
            << "class " << c << " guilds " << g << " and " << h;
}

TEST(GuildHulls, EachClassOfAGuildHasItsOwnHull) {
  for (std::uint32_t g = 0; g < 5; ++g)
    for (std::uint32_t c = 0; c < 12; ++c)
      for (std::uint32_t d = c + 1; d < 12; ++d)
        EXPECT_GT(Difference(Footprint(content3d::MakeHullMesh(g, c), false),
                             Footprint(content3d::MakeHullMesh(g, d), false)),
                  0.03)
            << "guild " << g << " classes " << c << " and " << d;
}

TEST(GuildHulls, HullsCarryPlatesAndTrimOnWholeFaces) {
  for (std::uint32_t g = 0; g < 5; ++g)
    for (std::uint32_t c = 0; c < 12; ++c) {
      const auto m = content3d::MakeHullMesh(g, c);
      std::size_t plates = 0, trim = 0;
      for (const auto& t : m.tris) {
        ASSERT_LE(t.material, 1u);
        (t.material == 0 ? plates : trim) += 1;
        for (const auto i : t.v) ASSERT_LT(i, m.verts.size());
        for (const auto i : t.uv) ASSERT_LT(i, m.uvs.size());
        // No face degenerates to a line: the fans of the outlines stay convex.
        const auto& a = m.verts[t.v[0]];
        const auto& b = m.verts[t.v[1]];
        const auto& d = m.verts[t.v[2]];
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, w[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
        const float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        EXPECT_GT(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1e-12f) << "guild " << g << " class " << c;
      }
      EXPECT_GT(plates, 20u) << "guild " << g << " class " << c;
      // The wreck has lost its engines and most of its trim.
      if (c != 11) {
        EXPECT_GT(trim, 10u) << "guild " << g << " class " << c;
      }
      // The model file packs it as the views' library reads it.
      const auto file = content3d::MakeMeshModelFile(m);
      std::uint32_t size = 0;
      std::memcpy(&size, file.data(), 4);
      SGModel* model = nullptr;
      ASSERT_EQ(SGModelRelocate(file.data() + 4, size, &model), SG_ERROR_NONE);
      SGModelFree(model);
    }
}

}  // namespace
