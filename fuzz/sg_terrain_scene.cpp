// Scene description files with terrain. The input is the file; its "HEIGHT"
// lines may name "a.hgt" (17 samples a side) and "b.hgt" (65, reduced), and
// "TEXTURE" lines anything. Every page location of the first 4 x 4 is loaded
// from height index (row + column) % 3 and texture index 0, then the levels
// of detail are built for the scene and heights asked for.

#include <cstdint>
#include <vector>

#include "fuzz/scratch.h"
#include "fuzz/sg_terrain_files.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/query/terrainquery.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 14) {
    return 0;
  }
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  static const std::vector<std::uint8_t> palette = {0, 1, 2, 3, 0};
  static const std::vector<std::uint8_t> a = fuzz::HeightFile(17);
  static const std::vector<std::uint8_t> b = fuzz::HeightFile(65);
  scratch.Write("p.pal", palette);
  scratch.Write("a.hgt", a);
  scratch.Write("b.hgt", b);
  scratch.Write("s.con", {data, size});
  SGContext* ctx = fuzz::TerrainContext();
  SGDataPath* dp = nullptr;
  SGScene* scene = nullptr;
  SGRenderer* rend = nullptr;
  if (ctx == nullptr || SGDataPathCreate(ctx, "Q:\\", 0, &dp) != SG_ERROR_NONE ||
      SGSceneCreate(ctx, &scene) != SG_ERROR_NONE || SGRendererCreate(ctx, &rend) != SG_ERROR_NONE) {
    SGSceneDestroy(scene);
    if (dp != nullptr) {
      SGDataPathDestroy(dp);
    }
    return 0;
  }
  if (SGSceneLoad(scene, dp, "s.con") == SG_ERROR_NONE) {
    for (std::int32_t r = 0; r < 4; ++r) {
      for (std::int32_t c = 0; c < 4; ++c) {
        SGSceneLoadPage(scene, static_cast<std::uint32_t>((r + c) % 3), 0, r, c, nullptr);
      }
    }
    SGRendererSetLOD(rend, 0.f);
    if (ISGLodCreate(rend, scene) == SG_ERROR_NONE) {
      std::uint32_t level = 0;
      float fraction = 0.f;
      ISGLodChoose(rend, scene, 3.f, 4.f, &level, &fraction);
    }
    const double p[3] = {5.5, 6.25, 0.0};
    double h = 0.0;
    ISGTerrainHeight(scene, p, &h);
    const std::int32_t far[2] = {-7, 9};
    SGPage* page = nullptr;
    SGSceneGetPage(scene, &page, far, 0);
  }
  SGRendererDestroy(rend);
  SGSceneDestroy(scene);
  SGDataPathDestroy(dp);
  return 0;
}
