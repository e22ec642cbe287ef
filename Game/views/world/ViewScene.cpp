#include "Game/views/world/ViewScene.h"

#include <vector>

#include "Game/base/TraceError.h"
#include "Game/views/world/CVSgWorld.h"
#include "sg/core/datapath.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/scene/scene.h"

namespace {

SGDataPath* g_sceneFolder = nullptr;

}  // namespace

bool CreateViewScene(CVSgWorld* w, const char* folder, const char* file, float fieldOfView, float range,
                     SGScene** sceneOut, SGInstance** cameraOut) {
  if (!w || !w->context || !sceneOut || !cameraOut) return false;
  SGScene* scene = nullptr;
  if (SGSceneCreate(w->context, &scene) != SG_ERROR_NONE) return false;
  const std::uint32_t pages[2] = {2, 2};
  SGSceneSetWorldSize(scene, pages);
  if (!g_sceneFolder) SGDataPathCreate(w->context, folder, 0, &g_sceneFolder);
  if (!g_sceneFolder || SGSceneLoad(scene, g_sceneFolder, file) != SG_ERROR_NONE)
    TraceError("CreateViewScene - the scene file did not load", __FILE__, __LINE__);
  if (w->frameBuffer && scene->scnPaletteLen) {
    std::vector<SGPalEntry> colours(scene->scnPaletteLen);
    for (std::uint32_t i = 0; i < scene->scnPaletteLen; ++i) {
      const std::uint32_t c = scene->scnPalette[i];
      colours[i] = SGPalEntry{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                              static_cast<std::uint8_t>(c >> 16), 0};
    }
    SGFrameBufferInstallPalette(w->frameBuffer, colours.data(), scene->scnPaletteLen);
  }
  SGInstance* camera = nullptr;
  if (SGInstanceCreate(w->context, SG_INST_TYPE_CAMERA, &camera) != SG_ERROR_NONE) return false;
  SGInstanceSetCamera(camera, fieldOfView, CVSgWorld::GetAspectRatio(), 1.f, range);
  const std::int32_t origin[2] = {CVSgWorld::kViewLeft, CVSgWorld::kViewTop};
  const std::int32_t size[2] = {CVSgWorld::kViewWidth, CVSgWorld::kViewHeight};
  SGInstanceSetViewport(camera, origin, size);
  SGInstanceSetAttributes(camera, SG_ATTR_NO_PICK);
  SGSceneAddInstance(scene, camera);
  *sceneOut = scene;
  *cameraOut = camera;
  return true;
}

void ReleaseViewSceneData() {
  if (g_sceneFolder) SGDataPathDestroy(g_sceneFolder);
  g_sceneFolder = nullptr;
}
