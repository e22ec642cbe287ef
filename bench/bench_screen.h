#pragma once
// What the screen benchmarks share: the installation as the build lays it
// out, an 800 x 600 main window with its display, the art modules, the blit
// the flat views are timed against, and a scene of the 3D world made as a
// view makes its own.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/views/world/CVSgWorld.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/core/dospath.h"
#include "platform/core/registry.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"
#include "sg/core/datapath.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/scene/scene.h"

namespace bench {

// The headless backend over the build folder's program module, drive C and
// registry, with the installation data read again from them.
inline void UseBuiltInstallation() {
  const std::filesystem::path build = QUEN_BUILD_DIR;
  plat::StartHeadlessBackend();
  plat::SetProgramModulePath(build / "Game/quenbar.dll");
  plat::SetDrive('C', build / "gamedata/c");
  plat::SetRegistryFile(build / "gamedata/config/registry.reg");
  g_instData.~CInstData();
  new (&g_instData) CInstData();
}

// A shown 800 x 600 popup of its own class `name` (`style` added), with
// g_ddraw made on it.
inline plat::HWND OpenMainWindow(const char* name, plat::DWORD style = 0) {
  plat::WNDCLASSEX wc;
  wc.lpszClassName = name;
  wc.lpfnWndProc = plat::DefWindowProc;
  plat::RegisterClassEx(&wc);
  const plat::HWND window = plat::CreateWindowEx(0, name, "", plat::WS_POPUP | plat::WS_VISIBLE | style, 0, 0, 800, 600,
                                                 nullptr, nullptr, nullptr, nullptr);
  g_ddraw = new CDDraw(window, 1);
  return window;
}

// A game seen by chapter `local` of one asteroid, numbered `id`: "Bench", of
// size class 4, with its zones.
inline void MakeOneAsteroidGame(std::uint8_t local, std::uint16_t id) {
  g_gameData = new CGameData(local, 8);
  g_gameData->solarDB.CreateAsteroidArray(1);
  auto a = std::make_unique<CGAsteroid>(id);
  a->SetName("Bench");
  a->sizeClass = 4;
  a->CreateZones();
  g_gameData->solarDB.SetAsteroid(std::move(a));
}

// The game data, the display and the backend go, in that order.
inline void CloseScreen() {
  delete g_gameData;
  g_gameData = nullptr;
  delete g_ddraw;
  g_ddraw = nullptr;
  plat::StopBackend();
}

// The built installation's common pictures and those of guild `guild`
// (counted from 0) loaded into g_gameData.
inline void LoadArt(int guild) {
  const std::string art = std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/";
  g_gameData->imageModule = plat::LoadLibrary((art + "ima.dll").c_str());
  g_gameData->guildModules[guild] =
      plat::LoadLibrary((art + "GUILD" + std::to_string(guild + 1) + "/guild.dll").c_str());
}

// The flat views' baseline: one blit of a picture the size of their viewport
// into another. Made after g_ddraw, gone before it.
struct ViewportBlit {
  void Draw() { from->BltToSurface(to.get(), 0, 0, nullptr); }
  std::unique_ptr<CSprite> from = std::make_unique<CSprite>(g_ddraw, nullptr, kNoColourKey, 585, 367, 0, 0, 0);
  std::unique_ptr<CSprite> to = std::make_unique<CSprite>(g_ddraw, nullptr, kNoColourKey, 585, 367, 0, 0, 0);
};

// A scene of "Quenbar.con" with its colours and a camera over the view.
inline SGInstance* MakeViewScene(CVSgWorld* world, SGDataPath* dataPath, SGScene** out) {
  SGSceneCreate(world->context, out);
  SGScene* scene = *out;
  const std::uint32_t pages[2] = {2, 2};
  SGSceneSetWorldSize(scene, pages);
  SGSceneLoad(scene, dataPath, "Quenbar.con");
  std::vector<SGPalEntry> colours(scene->scnPaletteLen);
  for (std::uint32_t i = 0; i < scene->scnPaletteLen; ++i) {
    const std::uint32_t w = scene->scnPalette[i];
    colours[i] = SGPalEntry{static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
                            static_cast<std::uint8_t>(w >> 16), 0};
  }
  SGFrameBufferInstallPalette(world->frameBuffer, colours.data(), scene->scnPaletteLen);
  SGInstance* camera = nullptr;
  SGInstanceCreate(world->context, SG_INST_TYPE_CAMERA, &camera);
  SGInstanceSetCamera(camera, 50.f, CVSgWorld::GetAspectRatio(), 1.f, 400.f);
  const std::int32_t origin[2] = {CVSgWorld::kViewLeft, CVSgWorld::kViewTop};
  const std::int32_t size[2] = {CVSgWorld::kViewWidth, CVSgWorld::kViewHeight};
  SGInstanceSetViewport(camera, origin, size);
  SGInstanceSetAttributes(camera, SG_ATTR_NO_PICK);
  SGSceneAddInstance(scene, camera);
  return camera;
}

}  // namespace bench
