#pragma once
// The 3D view base's tests: the order tests' game of chapter 9 (four
// asteroids, units built from test designs, a session whose packets are
// kept) over the built installation (its 3D archive and name index), and a
// test view derived from the base that sets up a scene as the space views do
// and answers the pure slots simply: camera modes chosen by the test, the
// packed coordinates mapped into the world's cube.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "Game/base/GInstData.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "platform/core/dospath.h"
#include "platform/core/random.h"
#include "platform/core/registry.h"
#include "sg/core/datapath.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/scene/scene.h"
#include "tests/Game/views/frame/order_world.h"

namespace space_test {

// Camera modes of the test view, numbered as the space views number theirs:
// 1 linear, 2 orbit, 3 free, 4 locked.
enum TestMode { kLinear = 1, kOrbit = 2, kFree = 3, kLocked = 4 };

class TestView : public CVB3DView {
 public:
  TestView(ViewType type, plat::HWND window, plat::HINSTANCE instance) : CVB3DView(window, instance), type(type) {
    SetUpScene();
  }
  ~TestView() override {
    // The last view takes the world, and the scene's folder with it.
    if (g_live3DViews == 1 && sceneData) SGDataPathDestroy(sceneData);
    if (g_live3DViews == 1) sceneData = nullptr;
  }
  ViewType GetViewType() const override { return type; }
  std::uint16_t GetCurrentAsteroidId() override { return current; }
  void GoToView(plat::WPARAM a, plat::LPARAM b) override {
    views.push_back({static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b)});
  }
  void HandleObjectPick(CVDispObj* object) override { picked.push_back(object); }
  double GetMaxCameraDistance() override { return maxDistance; }
  int IsCameraFree() override { return mode == kFree; }
  int IsCameraLinear() override { return mode == kLinear; }
  int IsCameraLocked() override { return mode == kLocked; }
  int GetCameraMode() override { return mode; }
  void LocationToWorld(const Location& l, double out[3]) override {
    out[0] = 1000 + (l.x + 32767) * 0.0030518;
    out[1] = 1000 + (l.y + 32767) * 0.0030518;
    out[2] = 1000 + (l.z + 32767) * 0.0030518;
  }
  void PositionObject(const Location& l, CVDispObj* object) override {
    double at[3];
    LocationToWorld(l, at);
    object->SetPosition(at);
  }
  void UpdateCamera(int flag) override { cameraUpdates.push_back(flag); }
  void CycleCameraMode(int direction) override { modeCycles.push_back(direction); }
  void Render(std::int32_t) override {
    ApplyCameraMotion();
    ApplyGridMotion();
    DrawFrame();
  }
  int OnMouseMove(plat::WPARAM keys, plat::LPARAM position) override {
    ++mouseMoves;
    return CVB3DView::OnMouseMove(keys, position);
  }

  // The asteroid-space scene with its camera over the viewport, made by the
  // first view (the world keeps it for the others).
  void SetUpScene() {
    CVSgWorld* w = g_sgWorld;
    if (!w || w->asteroidScene || !w->context) return;
    if (!sceneData && SGDataPathCreate(w->context, "C:\\QUENBAR\\3DDATA\\", 0, &sceneData) != SG_ERROR_NONE) return;
    if (SGSceneCreate(w->context, &w->asteroidScene) != SG_ERROR_NONE) return;
    const std::uint32_t pages[2] = {2, 2};
    SGSceneSetWorldSize(w->asteroidScene, pages);
    if (SGSceneLoad(w->asteroidScene, sceneData, "Quenbar.con") != SG_ERROR_NONE) return;
    SGScene* scene = w->asteroidScene;
    std::vector<SGPalEntry> colours(scene->scnPaletteLen);
    for (std::uint32_t i = 0; i < scene->scnPaletteLen; ++i) {
      const std::uint32_t c = scene->scnPalette[i];
      colours[i] = SGPalEntry{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                              static_cast<std::uint8_t>(c >> 16), 0};
    }
    if (w->frameBuffer) SGFrameBufferInstallPalette(w->frameBuffer, colours.data(), scene->scnPaletteLen);
    SGInstance* camera = nullptr;
    SGInstanceCreate(w->context, SG_INST_TYPE_CAMERA, &camera);
    SGInstanceSetCamera(camera, 50.f, CVSgWorld::GetAspectRatio(), 1.f, 400.f);
    const std::int32_t origin[2] = {CVSgWorld::kViewLeft, CVSgWorld::kViewTop};
    const std::int32_t size[2] = {CVSgWorld::kViewWidth, CVSgWorld::kViewHeight};
    SGInstanceSetViewport(camera, origin, size);
    SGInstanceSetAttributes(camera, SG_ATTR_NO_PICK);
    SGSceneAddInstance(scene, camera);
    SGInstance* light = nullptr;
    SGInstanceCreate(w->context, SG_INST_TYPE_LIGHT, &light);
    const float lf[3] = {0.3f, -0.5f, 0.8f}, lu[3] = {0.f, 1.f, 0.f};
    SGInstanceSetOrientation(light, lf, lu);
    SGSceneAddInstance(scene, light);
    w->asteroidCamera = camera;
    w->SetScene(scene);
    w->SetCamera(camera);
    w->fogBaseDistance = 400.0;
  }

  // The scene's data folder, freed with the world's context.
  static inline SGDataPath* sceneData = nullptr;
  ViewType type;
  std::uint16_t current = 0;
  int mode = kOrbit;
  double maxDistance = 5000.0;
  int mouseMoves = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> views;
  std::vector<CVDispObj*> picked;
  std::vector<int> cameraUpdates;
  std::vector<int> modeCycles;
};

class SpaceWorld : public views_test::OrderWorld {
 protected:
  void SetUp() override {
    OrderWorld::SetUp();
    if (HasFatalFailure()) return;
    const std::filesystem::path build = QUEN_BUILD_DIR;
    plat::SetDrive('C', build / "gamedata/c");
    plat::SetRegistryFile(build / "gamedata/config/registry.reg");
    ReopenInstallation();
    SharedScreen().infoPanelVisible = 0;
    SharedScreen().cameraTravelOff = 0;
    g_gridShown = 0;
    g_3dCtrlHeld = 0;
    g_frameRate = 10.0;
    g_starTurnAccumX = g_starTurnAccumY = 0.f;
    g_animElapsedMs = 0;
    SharedScreen().statusText.clear();
    SharedScreen().statusShown = 0;
    g_highlightAsteroid = 0xFFFF;
    // The star field is drawn at random places: the same ones every test.
    plat::srand(7);
  }
  void TearDown() override {
    views3d.clear();
    OrderWorld::TearDown();
    plat::ResetRegistryFile();
    ReopenInstallation();
  }
  static void ReopenInstallation() {
    g_instData.~CInstData();
    new (&g_instData) CInstData();
  }
  TestView& Make3D(ViewType type = VIEW_ASTEROID_SPACE, std::uint16_t current = 0) {
    views3d.push_back(std::make_unique<TestView>(type, window, program));
    TestView& v = *views3d.back();
    v.current = current;
    SuspendScreenFlush(0);
    return v;
  }
  static void Camera(double out[3]) { g_sgWorld->GetCameraPosition(out); }
  static void Place(const double eye[3], const double at[3]) {
    g_sgWorld->SetCameraPosition(eye[0], eye[1], eye[2]);
    const float forward[3] = {static_cast<float>(at[0] - eye[0]), static_cast<float>(at[1] - eye[1]),
                              static_cast<float>(at[2] - eye[2])};
    const float up[3] = {0.f, 1.f, 0.f};
    g_sgWorld->SetCameraOrientationNow(forward, up);
  }
  static double DistanceSq(const double a[3], const double b[3]) {
    return (a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]);
  }
  std::string Status() const { return SharedScreen().statusText; }

  std::vector<std::unique_ptr<TestView>> views3d;
};

}  // namespace space_test
