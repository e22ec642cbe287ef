#pragma once
// What the renderer, Direct3D and terrain benchmarks build their worlds from:
// a scratch drive Q: with the scene's colours, square textures of 8-bit
// indices, rough rocks, the camera, the light, a scattering of rocks and the
// scene of rocks they are scattered in. The
// steps are not checked: the benchmarks run on the headless backend, where
// each succeeds. Not for use from several threads.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/dospath.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/fb/lut.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "tests/support/game_frame_buffer.h"
#include "tests/support/rough_ball.h"

namespace sg_bench {

// The benchmarks' colours: index i is red i, green 255 - i, blue 7 i.
inline std::vector<SGPalEntry> Colours() {
  std::vector<SGPalEntry> colours(256);
  for (int i = 0; i < 256; ++i) {
    colours[i] = SGPalEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                            static_cast<std::uint8_t>(i * 7), 0};
  }
  return colours;
}

// A scratch folder of this process, the only drive (Q:), holding Colours() as
// "colours.pal"; removed with everything in it on destruction.
struct SceneDrive {
  explicit SceneDrive(const char* prefix)
      : dir(std::filesystem::temp_directory_path() / (prefix + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir);
    plat::ClearDrives();
    plat::SetDrive('Q', dir);
    std::ofstream pal(dir / "colours.pal", std::ios::binary);
    pal.put(static_cast<char>(255));
    for (const SGPalEntry& c : Colours()) {
      const char bytes[4] = {static_cast<char>(c.red), static_cast<char>(c.green), static_cast<char>(c.blue), 0};
      pal.write(bytes, 4);
    }
  }
  ~SceneDrive() { std::filesystem::remove_all(dir); }
  SceneDrive(const SceneDrive&) = delete;
  SceneDrive& operator=(const SceneDrive&) = delete;

  std::filesystem::path dir;
};

// A square texture of 8-bit indices, `texel(x, y)` at each place, with a
// reference for the caller (SGTextureMapRelease, or its material's destroy).
template <class Texel>
SGTextureMap* Texture(std::uint32_t size, Texel texel) {
  auto* txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
  txm->txmFormat = SG_TXM_FORMAT_IDX8;
  txm->txmSize = SGVec2u{{size, size}};
  txm->txmPitch = size;
  txm->txmRefCnt = 1;
  txm->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
  txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(std::size_t{size} * size));
  for (std::uint32_t i = 0; i < size * size; ++i) {
    txm->txmInfo->tpiTexels[i] = static_cast<std::uint8_t>(texel(i % size, i / size));
  }
  return txm;
}

// A rough rock of the first `levels` (1 to 3) of: 80, 48 and 24 triangles,
// the coarser from 40 and 90 radii away.
inline SGModel* Rock(float radius, int levels) {
  SGModel* m = SGModelCreate();
  const float distances[3] = {0.f, 40.f * radius, 90.f * radius};
  const std::uint32_t shape[3][2] = {{8, 5}, {6, 4}, {4, 3}};
  for (int i = 0; i < levels; ++i) {
    const std::uint32_t lod = SGModelAddLod(m, distances[i]);
    sg_support::RoughBallLevel(&m->modLods[lod], radius, shape[i][0], shape[i][1], 0.15f);
  }
  SGModelComputeBounds(m);
  return m;
}

// The next of a linear-congruential sequence, scaled to lo..hi.
inline float Random(std::uint32_t* seed, float lo, float hi) {
  *seed = *seed * 1103515245u + 12345u;
  return lo + (hi - lo) * static_cast<float>((*seed >> 8) & 0xFFFF) / 65535.f;
}

// The camera of a game frame (45 degrees, from `nearZ` to `farZ`) at `pos`
// (none: the origin) looking along `forward`, z up, with the attribute bits
// `attributes` set; added to the scene.
inline SGInstance* AddCamera(SGContext* ctx, SGScene* scene, float nearZ, float farZ, const double* pos,
                             const float forward[3], std::uint32_t attributes) {
  constexpr auto kWidth = quentest::kGameFrameWidth, kHeight = quentest::kGameFrameHeight;
  SGInstance* camera = nullptr;
  SGInstanceCreate(ctx, SG_INST_TYPE_CAMERA, &camera);
  SGInstanceSetCamera(camera, 45.f, static_cast<float>(kWidth) / kHeight, nearZ, farZ);
  const std::int32_t origin[2] = {0, 0};
  const std::int32_t size[2] = {static_cast<std::int32_t>(kWidth), static_cast<std::int32_t>(kHeight)};
  SGInstanceSetViewport(camera, origin, size);
  if (attributes != 0) {
    SGInstanceSetAttributes(camera, attributes);
  }
  if (pos != nullptr) {
    SGInstanceSetPosition(camera, pos);
  }
  const float up[3] = {0.f, 0.f, 1.f};
  SGInstanceSetOrientation(camera, forward, up);
  SGInstanceUpdate(camera);
  SGSceneAddInstance(scene, camera);
  return camera;
}

// The light of the rock scenes, added to the scene.
inline void AddLight(SGContext* ctx, SGScene* scene) {
  SGInstance* light = nullptr;
  SGInstanceCreate(ctx, SG_INST_TYPE_LIGHT, &light);
  const float forward[3] = {0.4f, 0.8f, -0.4f};
  const float up[3] = {0.f, 0.f, 1.f};
  SGInstanceSetOrientation(light, forward, up);
  SGSceneAddInstance(scene, light);
}

// `count` rocks, models and materials taken in turn, at random places ahead
// (all 60 units ahead when `oneBucket`) and random angles, drawn from `seed`.
inline void ScatterRocks(SGContext* ctx, SGScene* scene, const std::vector<SGModel*>& models,
                         std::vector<SGMaterial*>& materials, int count, std::uint32_t* seed, bool oneBucket) {
  for (int i = 0; i < count; ++i) {
    SGInstance* inst = nullptr;
    SGInstanceCreate(ctx, SG_INST_TYPE_MODEL_ONE, &inst);
    SGInstanceSetModel(inst, models[i % models.size()]);
    SGInstanceSetMaterial(inst, 1, &materials[i % materials.size()]);
    const double pos[3] = {Random(seed, -70.f, 70.f), oneBucket ? 60.0 : Random(seed, 15.f, 230.f),
                           Random(seed, -40.f, 40.f)};
    const float angles[3] = {Random(seed, 0.f, 6.f), Random(seed, 0.f, 6.f), Random(seed, 0.f, 6.f)};
    SGInstanceSetPosition(inst, pos);
    SGInstanceSetAngles(inst, angles);
    SGSceneAddInstance(scene, inst);
  }
}

// The game's frame buffer (its surface with a Direct3D device when
// `direct3D`) and a scene of rocks: "Quenbar.con" on the drive, a software
// renderer with its shade table, the camera at the origin looking along y
// with the attribute bits `cameraAttributes`, the light, and eight rock
// models of `levels` levels, 0.8 to 4.3 units in radius. The owner fills
// `materials` (destroyed here) and places the rocks.
struct RockWorld : SceneDrive, quentest::GameFrameBuffer {
  RockWorld(const char* prefix, const char* windowClass, bool direct3D, int levels, std::uint32_t cameraAttributes)
      : SceneDrive(prefix), GameFrameBuffer(windowClass, direct3D) {
    std::ofstream(dir / "Quenbar.con") << "START\ncolours.pal 256.0 10.0 17 0.0 16 16\n";
    SGDataPathCreate(ctx, "Q:\\", 0, &dp);
    SGSceneCreate(ctx, &scene);
    SGSceneLoad(scene, dp, "Quenbar.con");
    const std::vector<SGPalEntry> colours = Colours();
    SGFrameBufferInstallPalette(fb, colours.data(), 256);
    SGRendererCreate(ctx, &rend);
    SGRendererSetOptions(rend, 1);
    SGRendererSetFrameBuffer(rend, fb);
    SGRendererEnableSoftwarePrimitives(rend, 1);
    SGRendererBuildShadeLUT(rend, scene);
    const float forward[3] = {0.f, 1.f, 0.f};
    camera = AddCamera(ctx, scene, 1.f, 250.f, nullptr, forward, cameraAttributes);
    AddLight(ctx, scene);
    for (int i = 0; i < 8; ++i) {
      models.push_back(Rock(0.8f + 0.5f * static_cast<float>(i), levels));
    }
  }
  ~RockWorld() {
    SGSceneDestroy(scene);
    for (SGModel* m : models) {
      SGModelFree(m);
    }
    for (SGMaterial* m : materials) {
      SGMaterialDestroy(m);
    }
    SGRendererDestroy(rend);
    SGDataPathDestroy(dp);
  }

  SGDataPath* dp = nullptr;
  SGScene* scene = nullptr;
  SGRenderer* rend = nullptr;
  SGInstance* camera = nullptr;
  std::vector<SGModel*> models;
  std::vector<SGMaterial*> materials;
};

}  // namespace sg_bench
