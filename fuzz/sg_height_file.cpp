// Terrain height files. The input is the file "h.hgt" of height index 0 in a
// scene of 16-unit pages of 17 samples; a page is loaded from it and, when it
// loads, heights, normals and rays are asked for over it.

#include <cstdint>
#include <vector>

#include "fuzz/scratch.h"
#include "fuzz/sg_terrain_files.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/query/terrainquery.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"

namespace {

const char kScene[] = "terrain\nSTART\np.pal 16.0 51.0 17 0.0 2 2\nHEIGHT 0 h.hgt\n";

void NeedPage(std::int32_t row, std::int32_t column, std::uintptr_t data) {
  SGSceneLoadPage(reinterpret_cast<SGScene*>(data), 0, 0, row, column, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 15) {
    return 0;
  }
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  static const std::vector<std::uint8_t> palette = {0, 1, 2, 3, 0};
  scratch.Write("p.pal", palette);
  scratch.Write("t.con", {reinterpret_cast<const std::uint8_t*>(kScene), sizeof(kScene) - 1});
  scratch.Write("h.hgt", {data, size});
  std::uint32_t n = 0;
  const std::uint8_t* heights = nullptr;
  ISGHeightFileParse(data, size, &n, &heights);
  SGContext* ctx = fuzz::TerrainContext();
  SGDataPath* dp = nullptr;
  SGScene* scene = nullptr;
  if (ctx == nullptr || SGDataPathCreate(ctx, "Q:\\", 0, &dp) != SG_ERROR_NONE ||
      SGSceneCreate(ctx, &scene) != SG_ERROR_NONE) {
    if (dp != nullptr) {
      SGDataPathDestroy(dp);
    }
    return 0;
  }
  if (SGSceneLoad(scene, dp, "t.con") == SG_ERROR_NONE) {
    SGSceneSetPageCallback(scene, NeedPage, reinterpret_cast<std::uintptr_t>(scene));
    const double points[][3] = {{0.0, 0.0, 0.0}, {7.5, 3.25, 0.0}, {15.99, 31.9, 0.0}, {-0.01, 16.0, 0.0}};
    for (const auto& p : points) {
      double h = 0.0;
      float normal[3];
      ISGTerrainHeight(scene, p, &h);
      ISGTerrainNormal(scene, p, normal);
    }
    const double origin[3] = {1.0, 2.0, 60.0};
    const float down[3] = {0.7f, 0.3f, -0.5f};
    float distance = 0.f;
    ISGCollideTerrain(scene, origin, down, 200.f, 0, &distance);
  }
  SGSceneDestroy(scene);
  SGDataPathDestroy(dp);
  return 0;
}
