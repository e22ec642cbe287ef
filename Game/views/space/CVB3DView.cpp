// The 3D views' shared world and archive, the frame step and the camera block.
#include "Game/views/space/CVB3DView.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GGameData.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/SettingsApplication.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "Game/views/world/ViewScene.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "media/ResourceArchive.h"
#include "platform/user/input.h"

std::uint16_t g_live3DViews = 0;
std::uint32_t g_3dArchiveOpen = 0;
std::uint32_t g_gridShown = 0;
std::uint32_t g_3dCtrlHeld = 0;
float g_starTurnAccumX = 0.f;
float g_starTurnAccumY = 0.f;
std::uint16_t g_jumpAsteroid = 0;
std::uint32_t g_starBackgroundOption = 1;

bool Ctrl3DHeld() {
  if (g_3dCtrlHeld && !orders::CtrlHeld()) {
    g_3dCtrlHeld = 0;
    if (g_sgWorld) g_sgWorld->redraw = 1;
  }
  return g_3dCtrlHeld != 0;
}

namespace {

constexpr std::uint8_t kValidityByte = 0xFE;
// The world's cube, with room for a camera standing off its faces.
constexpr double kCubeLow = 0.0;
constexpr double kCubeHigh = 2200.0;

bool InCube(const double p[3]) {
  for (int i = 0; i < 3; ++i)
    if (!std::isfinite(p[i]) || p[i] < kCubeLow || p[i] > kCubeHigh) return false;
  return true;
}

bool FiniteVector(const float v[3]) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]) &&
         v[0] * v[0] + v[1] * v[1] + v[2] * v[2] > 1e-6f;
}

// A scripted run keeps the world still so that captures taken after waits on
// the server repeat; a battle replay is nothing but its animation, takes no
// such wait once started, and would never end if kept still.
bool InfoPanelCovers() {
  const bool replaying = g_currentView && g_currentView->GetViewType() == VIEW_SPACE_REPLAY;
  return SharedScreen().infoPanelVisible != 0 || (g_stillWorld && !replaying);
}

// Little-endian fields of the camera block.
namespace bytes {
void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutU64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t GetU32(const std::uint8_t* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
std::uint64_t GetU64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
void PutF32(std::uint8_t* p, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  PutU32(p, v);
}
void PutF64(std::uint8_t* p, double d) {
  std::uint64_t v;
  std::memcpy(&v, &d, 8);
  PutU64(p, v);
}
float GetF32(const std::uint8_t* p) {
  const std::uint32_t v = GetU32(p);
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}
double GetF64(const std::uint8_t* p) {
  const std::uint64_t v = GetU64(p);
  double d;
  std::memcpy(&d, &v, 8);
  return d;
}
}  // namespace bytes

}  // namespace

CVB3DView::CVB3DView(plat::HWND window, plat::HINSTANCE instance) : CVGeneric(window, instance) {
  if (!g_sgWorld) {
    g_sgWorld = new CVSgWorld(instance, SharedScreen().viewDDraw, SharedScreen().screenSprite, 0);
    createdWorld_ = 1;
    // A new world's asteroids are not those an earlier game's numbers named.
    g_jumpAsteroid = 0;
  }
  if (!g_3dArchiveOpen) {
    ArchiveSystemInit(nullptr, 0, 16384, 200000);
    char path[300];
    std::snprintf(path, sizeof path, "%s3ddata.nob", g_instData.Get3DPath());
    if (ArchiveOpen(path, 0) == kArchiveOk) {
      g_3dArchiveOpen = 1;
    } else {
      TraceError("CVB3DView - the 3D archive did not open", __FILE__, __LINE__);
      ArchiveSystemShutdown();
    }
  }
  displayList = new DisplayList(g_sgWorld);
  // Nothing animates while the info panel covers the picture (nor in a
  // scripted run, but for a battle replay).
  g_dispAnimationPaused = InfoPanelCovers;
  ++g_live3DViews;
  g_frameRate = 10.0;
  if (g_app) g_starBackgroundOption = ApplicationStarBackgroundOn() ? 1 : 0;
  if (createdWorld_) SetStarBackground(static_cast<int>(g_starBackgroundOption));
}

CVB3DView::~CVB3DView() {
  if (g_live3DViews > 0) --g_live3DViews;
  ClearDisplayList();
  delete displayList;
  displayList = nullptr;
  if (g_live3DViews == 0) {
    delete g_sgWorld;
    g_sgWorld = nullptr;
    g_dispAnimationPaused = nullptr;
    g_gridShown = 0;
    if (g_3dArchiveOpen) ArchiveSystemShutdown();
    g_3dArchiveOpen = 0;
  }
}

void CVB3DView::OnStatusTextChanged() {
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

void CVB3DView::Invalidate() {
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

int CVB3DView::IsRedrawPending() { return g_sgWorld ? static_cast<int>(g_sgWorld->redraw) : 0; }

// --- the frame ---

std::uint32_t CVB3DView::DrawFrame() {
  if (SharedScreen().popupMenu || SharedScreen().flushSuspended) return 0;
  if (!displayList || !g_sgWorld) return 0;
  std::uint32_t changed = 0;
  const bool firstReplayMode = IsReplay() && SharedScreen().replayMode == 1;
  if (!firstReplayMode) changed = displayList->Update(nearAsteroid, closeToAsteroid, GetViewType());
  if (!changed && !g_sgWorld->NeedsRedraw() && !g_sgWorld->redraw) return 0;
  if (fogUpdatePending) UpdateFogDistances();
  if (IsReplay() && g_gridShown) displayList->UpdateLines(GridHeight());
  const std::uint32_t drawn = g_sgWorld->RenderFrame();
  if (drawn) {
    AddDirtyRect(kViewportRect);
    if (mouseRefreshCount) {
      plat::POINT p{};
      plat::GetCursorPos(&p);
      --mouseRefreshCount;
      OnMouseMove(0, static_cast<plat::LPARAM>((p.x & 0xFFFF) | ((p.y & 0xFFFF) << 16)));
    }
    DrawStatusText();
  }
  return drawn;
}

void CVB3DView::RefreshObjects(int force) {
  if (!displayList || !g_sgWorld) return;
  if (!force && (displayList->unitCount == 0 || displayList->unitCount > 100)) return;
  const bool replayStep = IsReplay() && SharedScreen().replayMode == 1;
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    n->object->UpdateMaterials(0);
    if (replayStep) n->object->UpdateExplosionChildren(0);
  }
}

void CVB3DView::DrawPercentBar(int percent, int x, int y, plat::COLORREF full, plat::COLORREF empty) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  int end = x + percent / 2;
  if (percent == 1) end = x + 2;
  if (percent != 0) DrawViewportLine(x, y, end, y, full, 2);
  if (percent != 100) DrawViewportLine(end, y, x + 50, y, empty, 2);
}

// --- the camera block ---

std::vector<std::uint8_t> CVB3DView::SaveCameraBlock() {
  SharedScreen().commandMode = kNoCommandMode;
  SharedScreen().commandUnitId = 0xFFFFFFFF;
  SharedScreen().pendingOrderOption = 0xFF;
  gridRate = 0.f;
  std::vector<std::uint8_t> b(kCameraBlockSize, 0);
  std::uint8_t* p = b.data();
  p[0] = kCameraBlockVersion;
  bytes::PutU32(p + 1, nearAsteroid);
  bytes::PutU32(p + 5, closeToAsteroid);
  bytes::PutU16(p + 9, g_live3DViews);
  bytes::PutU32(p + 11, g_gridShown);
  for (int i = 0; i < 3; ++i) bytes::PutF64(p + 15 + 8 * i, target[i]);
  bytes::PutU16(p + 39, g_jumpAsteroid);
  bytes::PutU16(p + 41, shipCycleIndex);
  for (int i = 0; i < 3; ++i) bytes::PutF64(p + 43 + 8 * i, homePosition[i]);
  for (int i = 0; i < 3; ++i) bytes::PutF32(p + 67 + 4 * i, homeForward[i]);
  for (int i = 0; i < 3; ++i) bytes::PutF32(p + 79 + 4 * i, homeUp[i]);
  bytes::PutU32(p + 91, static_cast<std::uint32_t>(IsDistanceFogOn()));
  bytes::PutU32(p + 95, static_cast<std::uint32_t>(IsStarBackgroundOn()));
  p[99] = kValidityByte;
  return b;
}

bool CVB3DView::LoadCameraBlock(std::span<const std::uint8_t> b) {
  if (b.empty()) return false;
  const std::uint8_t version = b[0];
  if (version == 0 || version > kCameraBlockVersion) return false;
  const std::size_t size = version == 1 ? kCameraBlockSizeV1 : kCameraBlockSize;
  if (b.size() < size || b[size - 1] != kValidityByte) return false;
  const std::uint8_t* p = b.data();
  double newTarget[3], newHome[3];
  float newForward[3], newUp[3];
  for (int i = 0; i < 3; ++i) {
    newTarget[i] = bytes::GetF64(p + 15 + 8 * i);
    newHome[i] = bytes::GetF64(p + 43 + 8 * i);
    newForward[i] = bytes::GetF32(p + 67 + 4 * i);
    newUp[i] = bytes::GetF32(p + 79 + 4 * i);
  }
  if (!InCube(newTarget) || !InCube(newHome) || !FiniteVector(newForward) || !FiniteVector(newUp)) return false;

  SharedScreen().commandMode = kNoCommandMode;
  SharedScreen().commandUnitId = 0xFFFFFFFF;
  SharedScreen().pendingOrderOption = 0xFF;
  targetLine = nullptr;
  targetLineActive = 0;
  StopCameraMotion();
  nearAsteroid = bytes::GetU32(p + 1) ? 1 : 0;
  closeToAsteroid = bytes::GetU32(p + 5) ? 1 : 0;
  // The count of live views at saving time says nothing about the views
  // living now, which keep the shared world by their own count: not applied.
  g_gridShown = bytes::GetU32(p + 11) ? 1 : 0;
  std::memcpy(target, newTarget, sizeof target);
  g_jumpAsteroid = bytes::GetU16(p + 39);
  shipCycleIndex = bytes::GetU16(p + 41);
  std::memcpy(homePosition, newHome, sizeof homePosition);
  std::memcpy(homeForward, newForward, sizeof homeForward);
  std::memcpy(homeUp, newUp, sizeof homeUp);
  UpdateCursor();
  if (version > 1) {
    SetDistanceFog(bytes::GetU32(p + 91) ? 1 : 0);
    SetStarBackground(bytes::GetU32(p + 95) ? 1 : 0);
  }
  RefreshObjects(1);
  return true;
}

int CVB3DView::SaveState(plat::FILE* file) {
  if (!file) return 0;
  const std::vector<std::uint8_t> b = SaveCameraBlock();
  return plat::fwrite(b.data(), 1, b.size(), file) == b.size() ? 1 : 0;
}

int CVB3DView::LoadState(plat::FILE* file) {
  if (!file) return 0;
  std::uint8_t b[kCameraBlockSize] = {};
  if (plat::fread(b, 1, 1, file) != 1) return 0;
  const std::size_t size = b[0] == 1 ? kCameraBlockSizeV1 : kCameraBlockSize;
  if (plat::fread(b + 1, 1, size - 1, file) != size - 1) return 0;
  return LoadCameraBlock(std::span<const std::uint8_t>(b, size)) ? 1 : 0;
}

void CVB3DView::DrawButton(CImageButton* b) {
  if (!b || !b->sprite) return;
  DrawViewSprite(b->sprite.get(), b->x, b->y, nullptr);
  ShowInButtonWindow(*b);
}

void CVB3DView::DrawButtonItem(CImageButton* b, const plat::DRAWITEMSTRUCT& item) {
  if (!b || !b->sprite) return;
  const char* name = b->disabled                             ? b->disabledImage
                     : (item.itemState & plat::ODS_SELECTED) ? b->pressedImage
                                                             : b->normalImage;
  if (!name[0]) return;
  b->sprite->SetImageName(name);
  b->sprite->LoadImage(b->module);
  DrawButton(b);
  FlushScreen();
}

bool CVB3DView::UseViewScene(SGScene** scene, SGInstance** camera) {
  CVSgWorld* w = g_sgWorld;
  if (!w) return false;
  if (*scene) {
    w->SetScene(*scene);
    if (*camera) w->SetCamera(*camera);
    w->fogBaseDistance = 400.0;
    return false;
  }
  if (!CreateViewScene(w, g_instData.Get3DPath(), "Quenbar.con", 40.f / CVSgWorld::GetAspectRatio(), 400.f, scene,
                       camera))
    return false;
  w->SetScene(*scene);
  w->SetCamera(*camera);
  w->SetCameraRange(400.f);
  w->fogBaseDistance = 400.0;
  w->EnableDistanceFog();
  fogUpdatePending = 1;
  return true;
}
