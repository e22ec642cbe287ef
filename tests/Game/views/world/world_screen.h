#pragma once
// What the 3D world's tests share: a headless screen on the virtual clock with
// the 800 x 600 composition sprite, the built installation as drive C with its
// registry, the program's module (the name index 202), the archive
// "3ddata.nob" open, game data for chapter 9, the world, and a scene set up as
// a view sets up its own: "Quenbar.con" with its colours installed and a
// camera over the view's rectangle (29, 98, 585, 367).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/CVStarField.h"
#include "Game/views/world/DisplayList.h"
#include "Game/views/world/WorldMessage.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "media/ResourceArchive.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/core/dospath.h"
#include "platform/core/random.h"
#include "platform/core/registry.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"
#include "sg/core/datapath.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/scene/scene.h"
#include "tests/support/golden.h"
#include "tests/support/plain_window.h"

namespace world_test {

inline std::vector<std::string>& Messages() {
  static std::vector<std::string> messages;
  return messages;
}

inline void NoteMessage(const char* text) { Messages().push_back(text); }

// The composition sprite's pixels (5-6-5) as a picture, or the part `area`.
inline plat::Image SpriteImage(CSprite* sprite, const plat::RECT& area) {
  plat::Image img;
  img.width = area.right - area.left;
  img.height = area.bottom - area.top;
  img.rgb.resize(static_cast<std::size_t>(img.width) * img.height);
  plat::DDSURFACEDESC desc{};
  if (sprite->surface->Lock(nullptr, &desc, 0, nullptr) != 0) return img;
  const auto* bits = static_cast<const std::uint8_t*>(desc.lpSurface);
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const std::uint8_t* at = bits + static_cast<std::size_t>(y + area.top) * desc.lPitch + (x + area.left) * 2;
      const std::uint32_t p = at[0] | (static_cast<std::uint32_t>(at[1]) << 8);
      const std::uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
      img.rgb[static_cast<std::size_t>(y) * img.width + x] =
          (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
    }
  }
  sprite->surface->Unlock(nullptr);
  return img;
}

inline std::uint16_t Pixel(CSprite* sprite, int x, int y) {
  plat::DDSURFACEDESC desc{};
  if (sprite->surface->Lock(nullptr, &desc, 0, nullptr) != 0) return 0;
  const auto* bits = static_cast<const std::uint8_t*>(desc.lpSurface);
  const std::uint8_t* at = bits + static_cast<std::size_t>(y) * desc.lPitch + x * 2;
  const std::uint16_t p = static_cast<std::uint16_t>(at[0] | (at[1] << 8));
  sprite->surface->Unlock(nullptr);
  return p;
}

inline std::filesystem::path Golden(const std::string& name) {
  return std::filesystem::path(QUEN_SOURCE_DIR) / "tests/Game/views/world/data" / (name + ".png");
}

class WorldScreen : public ::testing::Test {
 protected:
  static constexpr std::uint16_t kLocal = 9;

  void SetUp() override {
    using namespace plat;
    const std::filesystem::path build = QUEN_BUILD_DIR;
    backend = &StartHeadlessBackend();
    UseVirtualClock(1000);
    ResetUserLayer();
    SetProgramModulePath(build / "Game/quenbar.dll");
    ClearDrives();
    SetDrive('C', build / "gamedata/c");
    SetRegistryFile(build / "gamedata/config/registry.reg");
    ReopenInstallation();
    window = quentest::PlainWindow("WorldTestMain", 0, 0, 800, 600, WS_POPUP | WS_VISIBLE);
    g_ddraw = new CDDraw(window, 1);
    g_mainWnd = window;
    screen = new CSprite(g_ddraw, nullptr, kNoColourKey, 800, 600, 0, 0, 0);
    g_gameData = new CGameData(kLocal, 8);
    ArchiveSystemInit(nullptr, 0, 0x10000, 0);
    ASSERT_EQ(ArchiveOpen("C:\\QUENBAR\\3DDATA\\3ddata.nob", 0), kArchiveOk);
    Messages().clear();
    SetWorldMessageReceiver(NoteMessage);
    plat::srand(7);
  }

  void TearDown() override {
    using namespace plat;
    list.reset();
    if (dataPath) SGDataPathDestroy(dataPath);
    dataPath = nullptr;
    delete world;
    world = nullptr;
    ArchiveSystemShutdown();
    SetWorldMessageReceiver(nullptr);
    delete g_gameData;
    g_gameData = nullptr;
    delete screen;
    delete g_ddraw;
    g_ddraw = nullptr;
    g_mainWnd = nullptr;
    ResetUserLayer();
    ResetRegistryFile();
    ReopenInstallation();
    ClearDrives();
    StopBackend();
    UseRealClock();
  }

  // The installation settings open their registry keys when they are made,
  // before any test chose its registry: made again over the one chosen now.
  static void ReopenInstallation() {
    g_instData.~CInstData();
    new (&g_instData) CInstData();
  }

  // The world and the solar scene with its camera, as the solar view makes them.
  void MakeWorld() {
    world = new CVSgWorld(nullptr, g_ddraw, screen, 0);
    ASSERT_NE(world->frameBuffer, nullptr);
    ASSERT_EQ(SGDataPathCreate(world->context, "C:\\QUENBAR\\3DDATA\\", 0, &dataPath), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(world->context, &world->solarScene), SG_ERROR_NONE);
    const std::uint32_t pages[2] = {2, 2};
    SGSceneSetWorldSize(world->solarScene, pages);
    ASSERT_EQ(SGSceneLoad(world->solarScene, dataPath, "Quenbar.con"), SG_ERROR_NONE);
    SGScene* scene = world->solarScene;
    std::vector<SGPalEntry> colours(scene->scnPaletteLen);
    for (std::uint32_t i = 0; i < scene->scnPaletteLen; ++i) {
      const std::uint32_t w = scene->scnPalette[i];
      colours[i] = SGPalEntry{static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
                              static_cast<std::uint8_t>(w >> 16), 0};
    }
    ASSERT_EQ(SGFrameBufferInstallPalette(world->frameBuffer, colours.data(), scene->scnPaletteLen), SG_ERROR_NONE);
    SGInstance* camera = nullptr;
    ASSERT_EQ(SGInstanceCreate(world->context, SG_INST_TYPE_CAMERA, &camera), SG_ERROR_NONE);
    SGInstanceSetCamera(camera, 50.f, CVSgWorld::GetAspectRatio(), 1.f, 400.f);
    const std::int32_t origin[2] = {CVSgWorld::kViewLeft, CVSgWorld::kViewTop};
    const std::int32_t size[2] = {CVSgWorld::kViewWidth, CVSgWorld::kViewHeight};
    SGInstanceSetViewport(camera, origin, size);
    SGInstanceSetAttributes(camera, SG_ATTR_NO_PICK);
    SGSceneAddInstance(scene, camera);
    // A light from over the viewer's shoulder.
    SGInstance* light = nullptr;
    SGInstanceCreate(world->context, SG_INST_TYPE_LIGHT, &light);
    const float lf[3] = {0.3f, -0.5f, 0.8f}, lu[3] = {0.f, 1.f, 0.f};
    SGInstanceSetOrientation(light, lf, lu);
    SGSceneAddInstance(scene, light);
    world->solarCamera = camera;
    world->SetScene(scene);
    world->SetCamera(camera);
    world->fogBaseDistance = 400.0;
  }

  // The camera at `eye` looking at `at`, y up.
  void Look(const double eye[3], const double at[3]) {
    world->SetCameraPosition(eye[0], eye[1], eye[2]);
    const float forward[3] = {static_cast<float>(at[0] - eye[0]), static_cast<float>(at[1] - eye[1]),
                              static_cast<float>(at[2] - eye[2])};
    const float up[3] = {0.f, 1.f, 0.f};
    world->SetCameraOrientationNow(forward, up);
    world->LookAt(at);
  }

  plat::Image View() {
    const plat::RECT area{CVSgWorld::kViewLeft, CVSgWorld::kViewTop, CVSgWorld::kViewLeft + CVSgWorld::kViewWidth,
                          CVSgWorld::kViewTop + CVSgWorld::kViewHeight};
    return SpriteImage(screen, area);
  }

  plat::HeadlessBackend* backend = nullptr;
  plat::HWND window = nullptr;
  CSprite* screen = nullptr;
  CVSgWorld* world = nullptr;
  SGDataPath* dataPath = nullptr;
  std::unique_ptr<DisplayList> list;
};

}  // namespace world_test
