// The terrain walk seen from many places and directions: every frame is
// pinned by a digest of its pixels and the walk's counts, so a change in how
// the walk finds its pages, copies and vertices that moves one pixel, or
// makes one vertex more or less, shows here. The views cross the world's
// wrap (the eye outside the pages' own period, several copies of a page in
// one view), look steeply down and far across, and are drawn at two LOD
// values and with the levels' flat colours.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/terraindrawfixture.h"

#include "sg/core/context.h"
#include "sg/render/renderer.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/terrain.h"

namespace terraintest {
namespace {

std::uint64_t Digest(const std::vector<std::uint32_t>& rgb) {
  std::uint64_t h = 1469598103934665603ull;
  for (const std::uint32_t p : rgb) {
    for (int k = 0; k < 3; ++k) {
      h = (h ^ ((p >> (8 * k)) & 0xFF)) * 1099511628211ull;
    }
  }
  return h;
}

struct View {
  double x, y, z;
  double yaw;  // degrees from +x
  float down;  // the view direction's fall per unit across
};

// Eyes over the world, beyond its low corner (another world period) and
// beyond its high one; each looks four ways, shallow and steep.
std::vector<View> Views() {
  const double eyes[3][3] = {{26.0, -8.0, 30.0}, {-21.0, -37.0, 22.0}, {75.0, 90.0, 45.0}};
  std::vector<View> views;
  for (const auto& e : eyes) {
    for (const double yaw : {20.0, 110.0, 200.0, 290.0}) {
      for (const float down : {0.35f, 1.1f}) {
        views.push_back(View{e[0], e[1], e[2], yaw, down});
      }
    }
  }
  return views;
}

class TerrainWalkViews : public TerrainDraw {
 protected:
  struct Seen {
    std::uint64_t digest;
    std::uint32_t vertices, cells, rows;
  };

  // Every view drawn at the LOD value; with `flat` the levels show as their colours.
  std::vector<Seen> DrawViews(float lodValue, bool flat, bool hook = true) {
    SGContextSetDebug(ctx_, flat ? SG_CTX_DEBUG_NO_TEXTURES : 0);
    std::vector<Seen> seen;
    for (const View& v : Views()) {
      const double a = v.yaw * 3.14159265358979 / 180.0;
      LookFrom(v.x, v.y, v.z, static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), -v.down);
      ISGLodDestroy(rend_);
      SGRendererSetLOD(rend_, lodValue);
      if (hook) {
        Hook(ground_);
      }
      EXPECT_EQ(Draw(), SG_ERROR_NONE);
      seen.push_back(
          Seen{Digest(Frame().rgb), g_sgTerrainStats.tsVertices, g_sgTerrainStats.tsCells, g_sgTerrainStats.tsRows});
    }
    SGContextSetDebug(ctx_, 0);
    return seen;
  }

  // A 16 x 16 world of 4-unit pages sharing one height set, seen to 150
  // units: some fifty pages across, so several copies of a page and many
  // more pages than the walk keeps near at hand lie in one view.
  void OpenWideWorld() {
    SGSceneDestroy(scene_);
    scene_ = nullptr;
    drive_.Write("wide.hgt", HeightFile(17, Field(17, [](std::uint32_t x, std::uint32_t y) {
                                          const double a = x / 16.0 * 2.0 * 3.14159265358979,
                                                       b = y / 16.0 * 2.0 * 3.14159265358979;
                                          return static_cast<std::uint8_t>(40.0 + 30.0 * std::sin(a) * std::cos(b));
                                        })));
    drive_.Write("wide.con", "wide\nSTART\ncolours.pal 4.0 25.5 17 0.0 16 16\nHEIGHT 0 wide.hgt\n");
    ASSERT_EQ(SGSceneCreate(ctx_, &scene_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneLoad(scene_, dp_, "wide.con"), SG_ERROR_NONE);
    SGTextureMap* txm = Checker(64, 85, 118);
    ASSERT_EQ(SGSceneSetTexLOD(scene_, txm, 0, 0), SG_ERROR_NONE);
    SGTextureMapRelease(txm);
    SGSceneSetPageCallback(
        scene_,
        [](std::int32_t row, std::int32_t column, std::uintptr_t data) {
          SGSceneLoadPage(reinterpret_cast<SGScene*>(data), 0, 0, row, column, nullptr);
        },
        reinterpret_cast<std::uintptr_t>(scene_));
    camera_ = NewInstance(SG_INST_TYPE_CAMERA);
    SGInstanceSetCamera(camera_, 45.f, 585.f / 367.f, 0.5f, 150.f);
    const std::int32_t origin[2] = {0, 0};
    const std::int32_t size[2] = {585, 367};
    SGInstanceSetViewport(camera_, origin, size);
    SGInstanceSetAttributes(camera_, SG_ATTR_NO_PICK | SG_ATTR_NO_LOS);
    ASSERT_EQ(SGSceneAddInstance(scene_, camera_), SG_ERROR_NONE);
  }

  void ExpectPinned(const std::vector<Seen>& seen, const std::vector<Seen>& pinned) {
    std::string table;
    bool same = seen.size() == pinned.size();
    for (std::size_t i = 0; i < seen.size(); ++i) {
      const Seen& s = seen[i];
      const Seen p = i < pinned.size() ? pinned[i] : Seen{};
      same = same && s.digest == p.digest && s.vertices == p.vertices && s.cells == p.cells && s.rows == p.rows;
      char line[96];
      std::snprintf(line, sizeof line, "{0x%016llxull, %u, %u, %u},%s\n", static_cast<unsigned long long>(s.digest),
                    s.vertices, s.cells, s.rows,
                    s.digest == p.digest && s.vertices == p.vertices ? "" : "  // differs");
      table += line;
    }
    EXPECT_TRUE(same) << "frames seen:\n" << table;
  }
};

TEST_F(TerrainWalkViews, TexturedFramesStayAsPinned) {
  const std::vector<Seen> pinned = {
      {0x05923c128ee32d9dull, 126, 74, 8},  {0xc10a2db529cf9088ull, 156, 96, 8},  {0x4a9169e2611f6e06ull, 93, 55, 7},
      {0x530abf5a1b39e88aull, 182, 91, 7},  {0xd4627d15b4df5948ull, 223, 153, 8}, {0x115b42b3661e41f8ull, 205, 128, 8},
      {0xf3e25bfa2a043da3ull, 143, 89, 7},  {0x04a325c622b854d0ull, 119, 65, 7},  {0x956031fa92f7802cull, 113, 76, 11},
      {0xf36aa9f22afcc628ull, 168, 109, 9}, {0x1c89c1c52d14de27ull, 129, 85, 11}, {0x3f3f13cbafba0079ull, 197, 122, 6},
      {0x1233b0037c3c2b6dull, 98, 66, 10},  {0xc1c9173dcee4d038ull, 194, 131, 9}, {0xc5e36bb60addf76bull, 103, 64, 10},
      {0x1d88e685ecfd4488ull, 218, 142, 7}, {0x1d6bcea32dbc1191ull, 66, 40, 6},   {0x9726c41f962ad5faull, 292, 193, 7},
      {0x1da6d64c16272fc4ull, 69, 47, 6},   {0xa7a5db6ab1a39232ull, 134, 81, 7},  {0x980aadcc458fd11dull, 60, 39, 6},
      {0x507a76520fac6c5cull, 241, 155, 7}, {0x3d43e1e2de5a1277ull, 71, 43, 6},   {0xe9700b60e8e78c2aull, 150, 85, 7},
  };
  ExpectPinned(DrawViews(1.f / 32.f, false), pinned);
}

TEST_F(TerrainWalkViews, LevelColoursStayAsPinnedAtAFinerValue) {
  const std::vector<Seen> pinned = {
      {0x31f4920d0f8e6389ull, 716, 585, 24}, {0xb195463bc2ebf670ull, 690, 591, 24},
      {0xf183f6a4e3dd61a3ull, 858, 734, 24}, {0xa9721f141e0f8be1ull, 789, 668, 16},
      {0x1825d1bb51683184ull, 973, 856, 24}, {0xaa61b96b5048d947ull, 687, 588, 24},
      {0x673d20e008d08c5eull, 879, 766, 24}, {0xd1b7c65c304d2c7cull, 739, 624, 16},
      {0x22ab7d368a9d0056ull, 828, 716, 30}, {0x63c84f402b7d714dull, 591, 508, 28},
      {0x3fbe36a1de938e8dull, 832, 721, 30}, {0xe2a33b6c79f5cbb7ull, 686, 580, 18},
      {0x5d517501fcdc4117ull, 723, 607, 31}, {0x17f8539ec3e0579aull, 600, 510, 28},
      {0x3712143dd4cb389dull, 807, 684, 31}, {0xa8357152f8ca63edull, 680, 577, 19},
      {0x621d6a38a9fe19eaull, 466, 371, 15}, {0x97359f8c9b111baeull, 771, 667, 20},
      {0xfeba1b4d5d1de0bcull, 578, 469, 15}, {0xd3f7c1e84ed04f93ull, 797, 676, 13},
      {0x8dde4b62baf7b8f4ull, 376, 303, 16}, {0x23249a428ab75cd0ull, 785, 677, 20},
      {0x5772202caeb583c9ull, 597, 481, 15}, {0x0ca01582836b937dull, 817, 686, 13},
  };
  ExpectPinned(DrawViews(1.f / 512.f, true), pinned);
}

TEST_F(TerrainWalkViews, AWideWorldSeenFarStaysAsPinned) {
  OpenWideWorld();
  const std::vector<Seen> pinned = {
      {0xd1171112d516dd05ull, 869, 758, 36},   {0x9da6aa715a5452d5ull, 1732, 1518, 37},
      {0x88b06177f61811bdull, 874, 764, 36},   {0xf99ee63079ee34d6ull, 1423, 1232, 29},
      {0x102d6c78b4940e76ull, 860, 750, 36},   {0xf80d3718f4396ab0ull, 1732, 1518, 37},
      {0xc066d6e7b55c88f0ull, 840, 732, 35},   {0x40d744e1374b4f8aull, 1421, 1231, 28},
      {0x3bf360a55d06f64bull, 1123, 996, 26},  {0x5b9ae6c7173353a6ull, 1579, 1396, 38},
      {0x4dfc7b4b4217299bull, 1129, 1000, 26}, {0xd32ee86631dfee0cull, 1375, 1194, 23},
      {0x0bded48292853f5eull, 1127, 998, 27},  {0x50f45a3657d9715dull, 1712, 1523, 38},
      {0xeeb9429c7f4f9c3full, 1141, 1015, 27}, {0xa46c8bd4e8b4e705ull, 1368, 1188, 22},
      {0x3c9212ef63189e72ull, 594, 506, 18},   {0x87b5d024ac7a23d7ull, 1638, 1411, 29},
      {0x74426553b1d5f1fcull, 597, 511, 18},   {0xba394e1c24424fdbull, 1098, 961, 23},
      {0x8e637d422e1e1311ull, 601, 516, 18},   {0x0fc6fcc0b4a44e69ull, 1649, 1451, 30},
      {0x0068d81ad0fe2971ull, 588, 504, 18},   {0x553dc3cfd20a318dull, 1118, 978, 23},
  };
  ExpectPinned(DrawViews(1.f / 64.f, false, false), pinned);
}

}  // namespace
}  // namespace terraintest
