// A scene description file and a stored model block, drawn: the scene is
// loaded, the block relocated and placed three times in the scene, and one
// frame is drawn into a 585 x 367 frame buffer and picked through its centre.
// Input: a 16-bit little-endian length, that many bytes of scene file, then
// the model block. The scene file may name the colour table "p.pal".

#include <cstdint>
#include <vector>

#include "fuzz/scratch.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/query/raypick.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "tests/support/game_frame_buffer.h"

namespace {

using namespace plat;

constexpr std::uint32_t kMaterials = 16;

// The game's frame buffer and renderer, made once.
struct Target : quentest::GameFrameBuffer {
  Target() : GameFrameBuffer("FuzzDraw") {
    std::vector<SGPalEntry> colours(256);
    for (int i = 0; i < 256; ++i) {
      colours[i] = SGPalEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3),
                              static_cast<std::uint8_t>(255 - i), 0};
    }
    SGFrameBufferInstallPalette(fb, colours.data(), 256);
    SGRendererCreate(ctx, &rend);
    SGRendererSetOptions(rend, 1);
    SGRendererSetFrameBuffer(rend, fb);
    SGRendererEnableSoftwarePrimitives(rend, 1);
    SGDataPathCreate(ctx, "Q:\\", 0, &dp);
    // Flat materials and textured ones of a fill size and of none.
    for (std::uint32_t i = 0; i < kMaterials; ++i) {
      auto* mat = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
      mat->matType = i % 3 == 0 ? SG_MAT_TYPE_FLAT : SG_MAT_TYPE_TRANSPARENT_TEXTURE;
      mat->matColour = i * 13;
      mat->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
      if (i % 3 != 0) {
        const std::uint32_t w = i % 3 == 1 ? 16 : 24;
        auto* txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
        txm->txmSize = SGVec2u{{w, w}};
        txm->txmPitch = w;
        txm->txmRefCnt = 1;
        txm->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
        txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGCalloc(w * w, 1));
        for (std::uint32_t t = 0; t < w * w; ++t) {
          txm->txmInfo->tpiTexels[t] = static_cast<std::uint8_t>(t * 7);
        }
        mat->matTexMap = txm;
      }
      materials[i] = mat;
    }
  }

  SGRenderer* rend = nullptr;
  SGDataPath* dp = nullptr;
  SGMaterial* materials[kMaterials] = {};
};

SGInstance* Add(const Target& t, SGScene* scene, std::uint32_t type, double y) {
  SGInstance* inst = nullptr;
  if (SGInstanceCreate(t.ctx, type, &inst) != SG_ERROR_NONE) {
    return nullptr;
  }
  const double pos[3] = {0.0, y, 0.0};
  SGInstanceSetPosition(inst, pos);
  SGSceneAddInstance(scene, inst);  // on the scene whatever its update says
  return inst;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 1 << 16) {
    return 0;
  }
  // Never destroyed: the layers beneath may be gone by the time statics are.
  static Target& t = *new Target;
  const std::size_t textSize = std::min<std::size_t>(data[0] | (static_cast<std::size_t>(data[1]) << 8), size - 2);
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  static const std::vector<std::uint8_t> palette = {1, 10, 20, 30, 0, 200, 100, 50, 0};
  scratch.Write("p.pal", palette);
  scratch.Write("s.con", {data + 2, textSize});
  SGScene* scene = nullptr;
  if (SGSceneCreate(t.ctx, &scene) != SG_ERROR_NONE) {
    return 0;
  }
  SGSceneLoad(scene, t.dp, "s.con");
  SGModel* model = nullptr;
  const std::uint8_t* block = data + 2 + textSize;
  const auto blockSize = static_cast<std::uint32_t>(size - 2 - textSize);
  if (SGModelRelocate(block, blockSize, &model) == SG_ERROR_NONE) {
    for (int i = 0; i < 3; ++i) {
      SGInstance* inst = Add(t, scene, SG_INST_TYPE_MODEL_ONE, 4.0 + 30.0 * i);
      if (inst != nullptr && SGInstanceSetModel(inst, model) == SG_ERROR_NONE) {
        SGInstanceSetMaterial(inst, kMaterials, t.materials);
        SGInstanceUpdate(inst);
      }
    }
  }
  SGInstance* camera = Add(t, scene, SG_INST_TYPE_CAMERA, -10.0);
  if (camera != nullptr) {
    SGInstanceSetCamera(camera, 60.f, 585.f / 367.f, 0.5f, 300.f);
    const float forward[3] = {0.f, 1.f, 0.f};
    const float up[3] = {0.f, 0.f, 1.f};
    SGInstanceSetOrientation(camera, forward, up);
    SGInstanceUpdate(camera);
    SGSceneDraw(t.rend, scene, camera);
    const std::uint32_t centre[2] = {292, 183};
    SGInstance* picked = nullptr;
    double point[3];
    SGCollidePickScreen(t.rend, scene, centre, SG_COLLIDE_PICK_MODE, &picked, point);
    SGCollideFreeHits();
  }
  SGSceneDestroy(scene);
  if (model != nullptr) {
    SGModelFree(model);
  }
  return 0;
}
