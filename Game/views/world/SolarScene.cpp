#include "Game/views/world/SolarScene.h"

#include <cstdint>
#include <vector>

#include "Game/base/TraceError.h"
#include "Game/views/world/CVSgWorld.h"
#include "sg/core/datapath.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/scene/scene.h"

namespace {

SGDataPath* sceneData = nullptr;

void InstallPalette(CVSgWorld* w, const SGScene* scene) {
  if (!w->frameBuffer || scene->scnPaletteLen == 0 || scene->scnPaletteLen > 256) return;
  std::vector<SGPalEntry> colours(scene->scnPaletteLen);
  for (std::uint32_t i = 0; i < scene->scnPaletteLen; ++i) {
    const std::uint32_t c = scene->scnPalette[i];
    colours[i] = SGPalEntry{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                            static_cast<std::uint8_t>(c >> 16), 0};
  }
  SGFrameBufferInstallPalette(w->frameBuffer, colours.data(), scene->scnPaletteLen);
}

}  // namespace

bool CreateSolarScene(CVSgWorld* w, const char* dataDir) {
  if (!w || !w->context) return false;
  if (!sceneData && SGDataPathCreate(w->context, dataDir, 0, &sceneData) != SG_ERROR_NONE) sceneData = nullptr;
  if (SGSceneCreate(w->context, &w->solarScene) != SG_ERROR_NONE) {
    w->solarScene = nullptr;
    return false;
  }
  SGScene* scene = w->solarScene;
  const std::uint32_t pages[2] = {2, 2};
  SGSceneSetWorldSize(scene, pages);
  if (!sceneData || SGSceneLoad(scene, sceneData, "Quenbar.con") != SG_ERROR_NONE)
    TraceError("SolarScene - the scene description did not load", __FILE__, __LINE__);
  scene->scnPageNumVerts = 3;
  SGInstance* camera = nullptr;
  if (SGInstanceCreate(w->context, SG_INST_TYPE_CAMERA, &camera) == SG_ERROR_NONE) {
    const float aspect = CVSgWorld::GetAspectRatio();
    SGInstanceSetCamera(camera, 40.f / aspect, aspect, 1.f, 400.f);
    const std::int32_t origin[2] = {CVSgWorld::kViewLeft, CVSgWorld::kViewTop};
    const std::int32_t size[2] = {CVSgWorld::kViewWidth, CVSgWorld::kViewHeight};
    SGInstanceSetViewport(camera, origin, size);
    SGInstanceSetAttributes(camera, SG_ATTR_NO_PICK);
    SGSceneAddInstance(scene, camera);
    w->solarCamera = camera;
  }
  InstallPalette(w, scene);
  return true;
}

void ReleaseSolarSceneData() {
  if (sceneData) SGDataPathDestroy(sceneData);
  sceneData = nullptr;
}
