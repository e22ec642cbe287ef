// Terrain scenes drawn: a scene description file whose "HEIGHT" lines may
// name "a.hgt" (17 samples a side) and "b.hgt" (65, reduced), drawn into a
// 585 x 367 frame buffer from a camera placed by the input, every page loaded
// on demand from height index (row + column) % 2 and a texture installed by
// hand. Input: a 16-bit little-endian length, that many bytes of scene file,
// then up to six floats of camera position and direction.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/scratch.h"
#include "fuzz/sg_terrain_files.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/page.h"
#include "tests/support/game_frame_buffer.h"

namespace {

struct Target : quentest::GameFrameBuffer {
  Target() : GameFrameBuffer("FuzzTerrain") {
    std::vector<SGPalEntry> colours(256);
    for (int i = 0; i < 256; ++i) {
      colours[i] = SGPalEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3), 0, 0};
    }
    SGFrameBufferInstallPalette(fb, colours.data(), 256);
    SGRendererCreate(ctx, &rend);
    SGRendererSetOptions(rend, 1);
    SGRendererSetFrameBuffer(rend, fb);
    SGRendererEnableSoftwarePrimitives(rend, 1);
    SGDataPathCreate(ctx, "Q:\\", 0, &dp);
    texture = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
    texture->txmSize = SGVec2u{{64, 64}};
    texture->txmPitch = 64;
    texture->txmRefCnt = 1;
    texture->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
    texture->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGCalloc(64 * 64, 1));
  }
  SGRenderer* rend = nullptr;
  SGDataPath* dp = nullptr;
  SGTextureMap* texture = nullptr;
};

void NeedPage(std::int32_t row, std::int32_t column, std::uintptr_t data) {
  SGSceneLoadPage(reinterpret_cast<SGScene*>(data), static_cast<std::uint32_t>((row + column) % 2), 0, row, column,
                  nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 1 << 14) {
    return 0;
  }
  // Never destroyed: the layers beneath may be gone by the time statics are.
  static Target& t = *new Target;
  const std::size_t textSize = std::min<std::size_t>(data[0] | (static_cast<std::size_t>(data[1]) << 8), size - 2);
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  static const std::vector<std::uint8_t> palette = {0, 1, 2, 3, 0};
  static const std::vector<std::uint8_t> a = fuzz::HeightFile(17);
  static const std::vector<std::uint8_t> b = fuzz::HeightFile(65);
  scratch.Write("p.pal", palette);
  scratch.Write("a.hgt", a);
  scratch.Write("b.hgt", b);
  scratch.Write("s.con", {data + 2, textSize});
  float view[6] = {10.f, -5.f, 30.f, 0.3f, 0.8f, -0.5f};
  const std::size_t rest = std::min(size - 2 - textSize, sizeof(view));
  std::memcpy(view, data + 2 + textSize, rest);
  for (float& v : view) {
    v = std::isfinite(v) ? std::fmin(std::fmax(v, -1e6f), 1e6f) : 0.f;
  }
  SGScene* scene = nullptr;
  if (SGSceneCreate(t.ctx, &scene) != SG_ERROR_NONE) {
    return 0;
  }
  if (SGSceneLoad(scene, t.dp, "s.con") == SG_ERROR_NONE && SGSceneSetTexLOD(scene, t.texture, 0, 0) == SG_ERROR_NONE) {
    SGSceneSetPageCallback(scene, NeedPage, reinterpret_cast<std::uintptr_t>(scene));
    SGInstance* camera = nullptr;
    if (SGInstanceCreate(t.ctx, SG_INST_TYPE_CAMERA, &camera) == SG_ERROR_NONE) {
      SGInstanceSetCamera(camera, 45.f, 585.f / 367.f, 0.5f, 120.f);
      const std::int32_t origin[2] = {0, 0};
      const std::int32_t extent[2] = {585, 367};
      SGInstanceSetViewport(camera, origin, extent);
      const double pos[3] = {view[0], view[1], view[2]};
      const float up[3] = {0.f, 0.f, 1.f};
      SGInstanceSetPosition(camera, pos);
      SGInstanceSetOrientation(camera, view + 3, up);
      SGInstanceUpdate(camera);
      SGSceneAddInstance(scene, camera);
      SGRendererSetLOD(t.rend, 0.f);
      ISGLodDestroy(t.rend);  // each scene its own levels
      SGSceneDraw(t.rend, scene, camera);
    }
  }
  SGSceneDestroy(scene);
  return 0;
}
