// The renderer's frame through the Direct3D back end (our software rasteriser
// behind the Direct3D role) against the same frame through the software back
// end, measured in the same run: scenes of 10 to 1000 textured, shaded rocks
// in a 585 x 367 5-6-5 frame buffer. Counters: median ms per frame of each
// back end and x_software, the Direct3D median over the software median.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/thread_time.h"
#include "platform/core/dospath.h"
#include "platform/ddraw/ddraw.h"
#include "platform/user/window.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/lut.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

using bench_time::Median;
using bench_time::ThreadSeconds;

using namespace plat;

constexpr DWORD kWidth = 585;
constexpr DWORD kHeight = 367;

float Random(std::uint32_t* seed, float lo, float hi) {
  *seed = *seed * 1103515245u + 12345u;
  return lo + (hi - lo) * static_cast<float>((*seed >> 8) & 0xFFFF) / 65535.f;
}

SGTextureMap* Texture(std::uint8_t first, SGTexturePalette* pal) {
  constexpr std::uint32_t size = 64;
  auto* txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
  txm->txmFormat = SG_TXM_FORMAT_IDX8;
  txm->txmSize = SGVec2u{{size, size}};
  txm->txmPitch = size;
  txm->txmRefCnt = 1;
  txm->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
  txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(std::size_t{size} * size));
  for (std::uint32_t i = 0; i < size * size; ++i) {
    txm->txmInfo->tpiTexels[i] = static_cast<std::uint8_t>(first + ((i % size / 8 + i / size / 8) % 4) * 7);
  }
  ++pal->tpRefCnt;
  txm->txmInfo->tpiPal = pal;
  return txm;
}

// A rock: a jittered sphere of 8 segments and 5 rings (80 triangles).
SGModel* Rock(float radius) {
  constexpr std::uint32_t seg = 8, rings = 5;
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  SGModelSubTransform* mst = &m->modLods[0].mdlRoot;
  const std::uint32_t n = (rings + 1) * (seg + 1);
  mst->mstNumVerts = mst->mstNumNormals = mst->mstNumUVs = n;
  mst->mstVerts = static_cast<SGPoint3s*>(SGCalloc(n, sizeof(SGPoint3s)));
  mst->mstNormals = static_cast<SGPoint3s*>(SGCalloc(n, sizeof(SGPoint3s)));
  mst->mstUVs = static_cast<SGTexCoord*>(SGCalloc(n, sizeof(SGTexCoord)));
  for (std::uint32_t r = 0; r <= rings; ++r) {
    for (std::uint32_t s = 0; s <= seg; ++s) {
      const float lat = 3.14159265f * static_cast<float>(r) / rings;
      const float lon = 6.2831853f * static_cast<float>(s) / seg;
      const float k = radius * (0.85f + 0.15f * std::sin(3.f * lon + 2.f * lat));
      const SGPoint3s d{std::sin(lat) * std::cos(lon), std::sin(lat) * std::sin(lon), std::cos(lat)};
      const std::uint32_t i = r * (seg + 1) + s;
      mst->mstVerts[i] = SGPoint3s{d.x * k, d.y * k, d.z * k};
      mst->mstNormals[i] = d;
      mst->mstUVs[i] = SGTexCoord{static_cast<float>(s) / seg, static_cast<float>(r) / rings};
    }
  }
  SGFaceList* fcl = ISGFaceListCreate();
  fcl->fclFaces = static_cast<SGFace*>(SGCalloc(2 * seg * rings, sizeof(SGFace)));
  for (std::uint32_t r = 0; r < rings; ++r) {
    for (std::uint32_t s = 0; s < seg; ++s) {
      const std::uint32_t a = r * (seg + 1) + s, b = a + seg + 1, c = b + 1, d = a + 1;
      for (const auto& t : {std::array<std::uint32_t, 3>{a, b, c}, std::array<std::uint32_t, 3>{a, c, d}}) {
        SGFace& f = fcl->fclFaces[fcl->fclNumFaces++];
        for (int k = 0; k < 3; ++k) f.facVertIndex[k] = f.facNormalIndex[k] = f.facUVIndex[k] = t[k];
      }
    }
  }
  ISGGeoAppendFaces(&m->modLods[0], fcl);
  SGModelComputeBounds(m);
  return m;
}

// A context, frame buffer, renderer and scene of `count` rocks; the frame
// buffer's surface takes a Direct3D device when `direct3D`.
struct World {
  World(int count, bool direct3D) {
    dir = std::filesystem::temp_directory_path() / ("sgd3dbench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ClearDrives();
    SetDrive('Q', dir);
    std::ofstream(dir / "Quenbar.con") << "START\ncolours.pal 256.0 10.0 17 0.0 16 16\n";
    std::ofstream file(dir / "colours.pal", std::ios::binary);
    file.put(static_cast<char>(255));
    pal = static_cast<SGTexturePalette*>(SGCalloc(1, sizeof(SGTexturePalette)));
    pal->tpColours = static_cast<SGPalEntry*>(SGCalloc(256, sizeof(SGPalEntry)));
    pal->tpNumColours = 256;
    pal->tpRefCnt = 1;
    for (int i = 0; i < 256; ++i) {
      const SGPalEntry c{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                         static_cast<std::uint8_t>(i * 7), 0};
      pal->tpColours[i] = c;
      const char bytes[4] = {static_cast<char>(c.red), static_cast<char>(c.green), static_cast<char>(c.blue), 0};
      file.write(bytes, 4);
    }
    file.close();
    SGContextCreate(&ctx);
    DirectDrawCreate(nullptr, &dd, nullptr);
    WNDCLASSEX wc;
    wc.lpszClassName = "BenchD3D";
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    hwnd = CreateWindowEx(0, "BenchD3D", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = kWidth;
    d.dwHeight = kHeight;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (direct3D ? DDSCAPS_3DDEVICE : 0);
    dd->CreateSurface(&d, &surface, nullptr);
    SGFrameBufferOptions o{};
    o.fboCodes = direct3D ? 0x2304010 : 0x2704010;  // the game's codes, hardware 3D allowed or not
    o.fboWidth = kWidth;
    o.fboHeight = kHeight;
    o.fboHWnd = hwnd;
    o.fboDD = dd;
    o.fboFront = o.fboBack = surface;
    SGFrameBufferCreate(ctx, &fb, &o);
    SGDataPathCreate(ctx, "Q:\\", 0, &dp);
    SGSceneCreate(ctx, &scene);
    SGSceneLoad(scene, dp, "Quenbar.con");
    SGFrameBufferInstallPalette(fb, pal->tpColours, 256);
    SGRendererCreate(ctx, &rend);
    SGRendererSetOptions(rend, 1);
    SGRendererSetFrameBuffer(rend, fb);
    SGRendererEnableSoftwarePrimitives(rend, 1);
    SGRendererBuildShadeLUT(rend, scene);
    SGInstanceCreate(ctx, SG_INST_TYPE_CAMERA, &camera);
    SGInstanceSetCamera(camera, 45.f, static_cast<float>(kWidth) / kHeight, 1.f, 250.f);
    const std::int32_t origin[2] = {0, 0};
    const std::int32_t size[2] = {static_cast<std::int32_t>(kWidth), static_cast<std::int32_t>(kHeight)};
    SGInstanceSetViewport(camera, origin, size);
    const float forward[3] = {0.f, 1.f, 0.f};
    const float up[3] = {0.f, 0.f, 1.f};
    SGInstanceSetOrientation(camera, forward, up);
    SGInstanceUpdate(camera);
    SGSceneAddInstance(scene, camera);
    SGInstance* light = nullptr;
    SGInstanceCreate(ctx, SG_INST_TYPE_LIGHT, &light);
    const float lf[3] = {0.4f, 0.8f, -0.4f};
    SGInstanceSetOrientation(light, lf, up);
    SGSceneAddInstance(scene, light);
    for (int i = 0; i < 8; ++i) {
      models.push_back(Rock(0.8f + 0.5f * static_cast<float>(i)));
      auto* mat = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
      mat->matType = SG_MAT_TYPE_SHADED_TEXTURE;
      mat->matColour = 0xC0C0C000u | 40;
      mat->matTexMap = Texture(static_cast<std::uint8_t>(20 * i), pal);
      mat->matAmbient = 0.2f;
      mat->matDiffuse = 0.8f;
      mat->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
      SGContextPrepareMaterial(ctx, mat);
      materials.push_back(mat);
    }
    std::uint32_t seed = 12345;
    for (int i = 0; i < count; ++i) {
      SGInstance* inst = nullptr;
      SGInstanceCreate(ctx, SG_INST_TYPE_MODEL_ONE, &inst);
      SGInstanceSetModel(inst, models[i % models.size()]);
      SGInstanceSetMaterial(inst, 1, &materials[i % materials.size()]);
      const double pos[3] = {Random(&seed, -70.f, 70.f), Random(&seed, 15.f, 230.f), Random(&seed, -40.f, 40.f)};
      const float angles[3] = {Random(&seed, 0.f, 6.f), Random(&seed, 0.f, 6.f), Random(&seed, 0.f, 6.f)};
      SGInstanceSetPosition(inst, pos);
      SGInstanceSetAngles(inst, angles);
      SGSceneAddInstance(scene, inst);
    }
  }
  ~World() {
    SGSceneDestroy(scene);
    for (SGModel* m : models) SGModelFree(m);
    for (SGMaterial* m : materials) SGMaterialDestroy(m);
    ISGTexturePaletteRelease(pal);
    SGRendererDestroy(rend);
    SGDataPathDestroy(dp);
    SGFrameBufferDestroy(fb);
    surface->Release();
    DestroyWindow(hwnd);
    dd->Release();
    SGContextDestroy(ctx);
    std::filesystem::remove_all(dir);
  }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // Frames are cleared first, as the game does.
  void Frame() {
    SGFrameBufferClear(fb, 0);
    SGSceneDraw(rend, scene, camera);
  }

  std::filesystem::path dir;
  SGTexturePalette* pal = nullptr;
  SGContext* ctx = nullptr;
  IDirectDraw* dd = nullptr;
  HWND hwnd = nullptr;
  IDirectDrawSurface* surface = nullptr;
  SGFrameBuffer* fb = nullptr;
  SGDataPath* dp = nullptr;
  SGScene* scene = nullptr;
  SGRenderer* rend = nullptr;
  SGInstance* camera = nullptr;
  std::vector<SGModel*> models;
  std::vector<SGMaterial*> materials;
};

// The software frame of the same scene, median of 30 (the baseline).
double SoftwareFrame(int count) {
  World w(count, false);
  w.Frame();
  std::vector<double> times;
  for (int i = 0; i < 30; ++i) {
    const double t0 = ThreadSeconds();
    w.Frame();
    times.push_back(ThreadSeconds() - t0);
  }
  return Median(times);
}

void BM_Direct3DFrame(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const double software = SoftwareFrame(count);
  World w(count, true);
  if (w.rend->renD3D == nullptr) {
    state.SkipWithError("no Direct3D device");
    return;
  }
  w.Frame();
  std::vector<double> frames;
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    w.Frame();
    const double t = ThreadSeconds() - t0;
    state.SetIterationTime(t);
    frames.push_back(t);
  }
  const double median = Median(frames);
  state.counters["d3d_ms"] = median * 1e3;
  state.counters["software_ms"] = software * 1e3;
  state.counters["x_software"] = median / software;
}
BENCHMARK(BM_Direct3DFrame)->Arg(10)->Arg(50)->Arg(200)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
