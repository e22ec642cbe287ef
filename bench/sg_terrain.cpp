// Terrain frames: SGSceneDraw of a 4 x 4 world of 16-unit pages (17 samples
// a side, rolling hills, a 64 x 64 texture) seen across from above, in the
// game's 585 x 367 5-6-5 frame buffer. Times are ratios (x_instances) to the
// renderer's instance-only frame in the same run: the same scene with its
// terrain switched off and 100 textured boxes in view. Counters: terrain
// vertices, rows and cells per frame, the heap calls of a warm frame
// ("heap_calls", the goal is none), and the frames and time the polygon
// auto-adjuster takes to bring a frame into its budget.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "bench/count_heap_calls.h"
#include "bench/sg_world.h"
#include "bench/thread_time.h"
#include "sg/core/datapath.h"
#include "sg/render/renderer.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/page.h"
#include "sg/terrain/terrain.h"

namespace {

using bench_time::Median;
using bench_time::Seconds;
using bench_time::ThreadSeconds;

using namespace plat;

SGTextureMap* Texture(std::uint32_t size, std::uint8_t first) {
  return sg_bench::Texture(size, [first](std::uint32_t x, std::uint32_t y) { return first + (x / 8 + y / 8) % 2 * 9; });
}

// A box of half size h: six sides of two triangles, counter-clockwise from outside.
SGModel* Box(float h) {
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  SGModelSubTransform* mst = &m->modLods[0].mdlRoot;
  mst->mstNumVerts = 8;
  mst->mstVerts = static_cast<SGPoint3s*>(SGCalloc(8, sizeof(SGPoint3s)));
  for (int i = 0; i < 8; ++i) {
    mst->mstVerts[i] = SGPoint3s{(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? h : -h};
  }
  mst->mstNumNormals = 1;
  mst->mstNormals = static_cast<SGPoint3s*>(SGCalloc(1, sizeof(SGPoint3s)));
  mst->mstNormals[0] = SGPoint3s{0.f, 0.f, 1.f};
  mst->mstNumUVs = 4;
  mst->mstUVs = static_cast<SGTexCoord*>(SGCalloc(4, sizeof(SGTexCoord)));
  mst->mstUVs[1] = SGTexCoord{1.f, 0.f};
  mst->mstUVs[2] = SGTexCoord{1.f, 1.f};
  mst->mstUVs[3] = SGTexCoord{0.f, 1.f};
  static constexpr std::uint32_t kSides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  SGFaceList* fcl = ISGFaceListCreate();
  fcl->fclNumFaces = 12;
  fcl->fclFaces = static_cast<SGFace*>(SGCalloc(12, sizeof(SGFace)));
  for (std::uint32_t s = 0; s < 6; ++s) {
    const std::uint32_t tri[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (int t = 0; t < 2; ++t) {
      SGFace& f = fcl->fclFaces[2 * s + t];
      for (int k = 0; k < 3; ++k) {
        f.facVertIndex[k] = kSides[s][tri[t][k]];
        f.facUVIndex[k] = tri[t][k];
      }
    }
  }
  ISGGeoAppendFaces(&m->modLods[0], fcl);
  SGModelComputeBounds(m);
  return m;
}

std::uint8_t Hill(std::uint32_t gx, std::uint32_t gy) {
  const double x = gx / 64.0 * 2.0 * 3.14159265358979, y = gy / 64.0 * 2.0 * 3.14159265358979;
  return static_cast<std::uint8_t>(60.0 + 45.0 * std::sin(x) * std::cos(2.0 * y) + 30.0 * std::sin(2.0 * y + 1.0));
}

void NeedPage(std::int32_t row, std::int32_t column, std::uintptr_t data) {
  SGSceneLoadPage(reinterpret_cast<SGScene*>(data), static_cast<std::uint32_t>(row * 4 + column), 0, row, column,
                  nullptr);
}

struct World : sg_bench::SceneDrive, quentest::GameFrameBuffer {
  World() : SceneDrive("sgterrain-"), GameFrameBuffer("BenchTerrain") {
    std::ofstream con(dir / "terrain.con");
    con << "START\ncolours.pal 16.0 25.5 17 0.0 4 4\n";
    for (std::uint32_t p = 0; p < 16; ++p) {
      con << "HEIGHT " << p << " h" << p << ".hgt\n";
      std::ofstream h(dir / ("h" + std::to_string(p) + ".hgt"), std::ios::binary);
      h.put(17);
      for (std::uint32_t y = 0; y < 17; ++y) {
        for (std::uint32_t x = 0; x < 17; ++x) {
          h.put(static_cast<char>(Hill((p % 4) * 16 + x, (p / 4) * 16 + y)));
        }
      }
    }
    con.close();
    SGDataPathCreate(ctx, "Q:\\", 0, &dp);
    SGSceneCreate(ctx, &scene);
    SGSceneLoad(scene, dp, "terrain.con");
    const std::vector<SGPalEntry> colours = sg_bench::Colours();
    SGFrameBufferInstallPalette(fb, colours.data(), 256);
    SGTextureMap* ground = Texture(64, 60);
    SGSceneSetTexLOD(scene, ground, 0, 0);
    SGTextureMapRelease(ground);
    SGSceneSetPageCallback(scene, NeedPage, reinterpret_cast<std::uintptr_t>(scene));
    SGRendererCreate(ctx, &rend);
    SGRendererSetOptions(rend, 1);
    SGRendererSetLOD(rend, 0.f);
    SGRendererSetFrameBuffer(rend, fb);
    SGRendererEnableSoftwarePrimitives(rend, 1);
    const double pos[3] = {26.0, -8.0, 30.0};
    const float forward[3] = {0.25f, 0.85f, -0.45f};
    camera = sg_bench::AddCamera(ctx, scene, 0.5f, 120.f, pos, forward, SG_ATTR_NO_PICK | SG_ATTR_NO_LOS);
    box = Box(0.6f);
    boxMat = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
    boxMat->matType = SG_MAT_TYPE_TEXTURE;
    boxMat->matTexMap = Texture(32, 120);
    boxMat->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
  }
  ~World() {
    SGSceneDestroy(scene);
    SGModelFree(box);
    SGMaterialDestroy(boxMat);
    SGRendererDestroy(rend);
    SGDataPathDestroy(dp);
  }

  // 100 boxes spread over the view, 10 to 90 units ahead.
  void AddBoxes() {
    for (int i = 0; i < 100; ++i) {
      SGInstance* inst = nullptr;
      SGInstanceCreate(ctx, SG_INST_TYPE_MODEL_ONE, &inst);
      SGInstanceSetModel(inst, box);
      SGInstanceSetMaterial(inst, 1, &boxMat);
      const double pos[3] = {26.0 + (i % 10 - 4.5) * 4.0, 2.0 + (i / 10) * 9.0, 14.0};
      SGInstanceSetPosition(inst, pos);
      SGSceneAddInstance(scene, inst);
    }
  }

  SGError Frame() { return SGSceneDraw(rend, scene, camera); }

  SGDataPath* dp = nullptr;
  SGScene* scene = nullptr;
  SGRenderer* rend = nullptr;
  SGInstance* camera = nullptr;
  SGModel* box = nullptr;
  SGMaterial* boxMat = nullptr;
};

// The instance-only frame: the boxes, terrain off. Median of 100.
double InstanceFrame() {
  static const double seconds = [] {
    World w;
    w.AddBoxes();
    w.scene->scnFlags &= ~SG_SCN_FLAG_TERRAIN;
    std::vector<double> times;
    for (int i = 0; i < 100; ++i) {
      times.push_back(Seconds([&] { w.Frame(); }));
    }
    return Median(times);
  }();
  return seconds;
}

void BM_TerrainFrame(benchmark::State& state) {
  World w;
  for (int i = 0; i < 3; ++i) {
    w.Frame();
  }
  std::vector<double> frames;
  frames.reserve(100000);
  std::size_t heapCalls = 0;
  for (auto _ : state) {
    const std::size_t before = bench::g_heapCalls.load(std::memory_order_relaxed);
    const double t = Seconds([&] { w.Frame(); });
    heapCalls += bench::g_heapCalls.load(std::memory_order_relaxed) - before;
    state.SetIterationTime(t);
    if (frames.size() < frames.capacity()) frames.push_back(t);
  }
  if (bench::kCountsHeapCalls) {
    state.counters["heap_calls"] = static_cast<double>(heapCalls) / static_cast<double>(state.iterations());
  }
  state.counters["median_ms"] = Median(frames) * 1e3;
  state.counters["x_instances"] = Median(frames) / InstanceFrame();
  state.counters["instances_ms"] = InstanceFrame() * 1e3;
  state.counters["vertices"] = g_sgTerrainStats.tsVertices;
  state.counters["rows"] = g_sgTerrainStats.tsRows;
  state.counters["cells"] = g_sgTerrainStats.tsCells;
}
BENCHMARK(BM_TerrainFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

// A polygon budget of half the frame's triangles (a third lies below what the
// coarsest levels draw): frames until the frame's triangles stay in the band
// three frames running, and their time.
void BM_TerrainAdjustConvergence(benchmark::State& state) {
  std::vector<double> times;
  double frames = 0.0;
  for (auto _ : state) {
    World w;
    w.Frame();
    w.Frame();
    const std::uint32_t full = w.rend->renTriCount;  // each frame starts the count again
    SGSceneSetLODPolyBudget(w.scene, std::max(1u, full / 2));
    int n = 0;
    int inBand = 0;
    const double t = Seconds([&] {
      for (; n < 200 && inBand < 3; ++n) {
        w.Frame();
        const std::uint32_t tris = w.rend->renTriCount;
        const SGLODAdjust* laj = w.scene->scnLODAdjust;
        inBand = tris >= laj->lajTargetMin && tris <= laj->lajTargetMax ? inBand + 1 : 0;
      }
    });
    state.SetIterationTime(t);
    times.push_back(t);
    frames = n;
  }
  state.counters["frames"] = frames;
  state.counters["x_instances"] = Median(times) / InstanceFrame();
}
BENCHMARK(BM_TerrainAdjustConvergence)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
