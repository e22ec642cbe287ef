// The solar-system view: scene, display objects, start screen, camera modes,
// future view, asteroid jumps and the saved block.
#include "Game/views/space/CVSolar.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/dialogs/CDFindAsteroidDlg.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GStar.h"
#include "Game/model/GUnit.h"
#include "Game/net/NetSession.h"
#include "Game/panels/CVData.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/SettingsApplication.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "Game/views/world/SolarScene.h"
#include "media/CImageButton.h"
#include "platform/user/input.h"

std::uint32_t g_lastCollisionTurns = 0;
std::uint16_t g_highlightAsteroid = 0xFFFF;

namespace {

constexpr std::uint8_t kValidityByte = 0xFE;
constexpr std::uint8_t kSolarBlockVersion = 1;
constexpr float kStartCamera[3] = {1084.5f, 1009.1f, 1049.5f};
// How far the solar system's camera sees.
constexpr double kSolarRange = 400.0;
// Status attributes: shown until replaced, the leave message, the camera modes.
constexpr int kUntilReplaced = -1;
constexpr int kStartMessageTime = 208;
constexpr int kStatusTime = 26;
// A flash or status tick and a future step come every 75 ms of frame time.
constexpr std::uint32_t kTickMs = 75;

std::uint16_t AsteroidCount() { return CGSolarDB::GetAsteroidCount(); }

// Fog of war: asteroids stay hidden until the player's asteroids or ships
// have come in range of them.
bool FogOfWar() { return g_gameData && g_gameData->asteroidsHiddenUntilSeen != 0; }

// Little-endian fields of the block.
struct Writer {
  std::vector<std::uint8_t>& b;
  void U8(std::uint8_t v) { b.push_back(v); }
  void U16(std::uint16_t v) { Raw(&v, 2); }
  void U32(std::uint32_t v) { Raw(&v, 4); }
  void F32(float v) { Raw(&v, 4); }
  void F64(double v) { Raw(&v, 8); }
  // The host is little-endian like the file: bytes as they lie.
  void Raw(const void* p, std::size_t n) {
    const auto* s = static_cast<const std::uint8_t*>(p);
    b.insert(b.end(), s, s + n);
  }
};
struct Reader {
  std::span<const std::uint8_t> b;
  std::size_t at = 0;
  template <class T>
  T Get() {
    T v{};
    std::memcpy(&v, b.data() + at, sizeof v);
    at += sizeof v;
    return v;
  }
};

bool Finite3(const double p[3]) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }
bool Direction(const float v[3]) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]) &&
         v[0] * v[0] + v[1] * v[1] + v[2] * v[2] > 1e-6f;
}

}  // namespace

CVSolar::CVSolar(plat::HWND window, plat::HINSTANCE instance) : CVB3DView(window, instance) {
  SharedScreen().futureView = 0;
  SharedScreen().futureViewState = 0;
  // Made with a new game screen: no battle of this game has sent it here.
  g_highlightAsteroid = 0xFFFF;
  // A world made for this view starts with the player's star background.
  if (g_live3DViews == 1) SetStarBackground(ApplicationStarBackgroundOn() ? 1 : 0);
  SetUpScene();
  CreateButtons(window, instance);
  if (g_session && g_session->loadInProgress) {
    // A resumed game takes its future view from the saved block; the button
    // only looks pressed until the block says otherwise.
    if (futureButton) futureButton->Toggle();
  } else {
    // The orbits turn behind the start screen.
    ToggleFutureView();
    if (futureButton && SharedScreen().futureView) futureButton->Toggle();
  }
}

CVSolar::~CVSolar() {
  for (CImageButton*& b : filterButtons) {
    delete b;
    b = nullptr;
  }
  delete futureButton;
  futureButton = nullptr;
  // The scene's folder goes with the world, which the last 3D view takes.
  if (g_live3DViews == 1) ReleaseSolarSceneData();
}

std::uint16_t CVSolar::SolarLocation() const { return AsteroidCount(); }

std::uint16_t CVSolar::GetCurrentAsteroidId() { return SolarLocation(); }

void CVSolar::ShowText(const char* id, int attribute, const char* argument) {
  char text[512] = {};
  if (g_gameData && g_gameData->textIndex) {
    if (argument)
      g_gameData->textIndex->GetText(id, text, sizeof text, argument);
    else
      g_gameData->textIndex->GetText(id, text, sizeof text);
  }
  SetStatusText(text, attribute);
}

// --- scene and display objects ---

void CVSolar::SetUpScene() {
  CVSgWorld* w = g_sgWorld;
  if (!w || !w->context) return;
  if (w->solarScene) {
    // A previous solar view made the scene: it is kept with the world.
    w->SetScene(w->solarScene);
    w->SetCamera(w->solarCamera);
    w->fogBaseDistance = kSolarRange;
  } else {
    if (!CreateSolarScene(w, g_instData.Get3DPath())) return;
    w->SetScene(w->solarScene);
    w->SetCamera(w->solarCamera);
    w->SetCameraRange(static_cast<float>(kSolarRange));
    w->fogBaseDistance = kSolarRange;
    w->EnableDistanceFog();
    w->redraw = 1;
    w->SetCameraOrientationNow(homeForward, homeUp);
    w->SetCameraPositionF(kStartCamera[0], kStartCamera[1], kStartCamera[2]);
    LookAtTarget(0);
    LookAtTarget(1);
    w->OrientStarField(150, nullptr, nullptr, 0);
    startScreenShown = 1;
    ShowText("PRESSANY", kUntilReplaced);
    if (!ApplicationDistanceFogOn()) {
      const bool grid = displayList && displayList->Find(DISP_GRID, 0);
      if (grid) RebuildGrid();
      w->DisableDistanceFog();
      if (grid) RebuildGrid();
    }
  }
  BuildDisplayObjects();
}

int CVSolar::BuildDisplayObjects() {
  if (!g_gameData || !displayList) return 0;
  CGSolarDB& solar = g_gameData->solarDB;
  for (std::uint32_t i = 0; i < solar.GetStarCount(); ++i) {
    const CGStar* star = solar.GetStar(i);
    CVDispObj* object = star ? CreateStarObject(star, i) : nullptr;
    if (!object) return 0;
    Location at;
    star->GetLocation(&at);
    PositionObject(at, object);
  }
  solar.DetectAsteroids(1);
  const bool fog = FogOfWar();
  for (std::uint32_t i = 0; i < AsteroidCount(); ++i) {
    const CGAsteroid* asteroid = solar.GetAsteroid(i);
    if (asteroid && fog && !asteroid->detected) continue;
    CVDispObj* object = asteroid ? CreateAsteroidObject(asteroid) : nullptr;
    if (!object) return 0;
    Location at;
    asteroid->GetPosition(&at);
    PositionObject(at, object);
  }
  const int owners = 32 + g_gameData->chaptersPerGuild;
  for (int owner = 0; owner < owners; ++owner) {
    const std::uint32_t count = g_gameData->pieces.CountUnits(SolarLocation(), static_cast<std::int16_t>(owner));
    for (std::uint32_t k = 0; k < count; ++k) {
      CGUnit* unit = g_gameData->pieces.GetUnitAt(SolarLocation(), static_cast<std::uint16_t>(owner),
                                                  static_cast<std::uint16_t>(k));
      if (!unit) continue;
      double at[3];
      LocationToWorld(unit->location, at);
      CVDispUnt* object = CreateUnitObject(unit, at);
      if (!object) return 0;
      FaceOrderTarget(object, unit);
      object->UpdateMaterials(0);
    }
  }
  return 1;
}

void CVSolar::AddDetectedAsteroids() {
  if (!g_gameData || !displayList) return;
  const std::uint16_t count = AsteroidCount();
  // One flag per asteroid of this game, however many it has.
  std::vector<std::uint8_t> shown(count, 0);
  for (CVDispNode* n = displayList->head; n; n = n->next)
    if (n->object->GetType() == DISP_ASTEROID && n->object->key.id < count) shown[n->object->key.id] = 1;
  for (std::uint16_t i = 0; i < count; ++i) {
    const CGAsteroid* asteroid = g_gameData->solarDB.GetAsteroid(i);
    if (shown[i] || !asteroid || asteroid->detected != 1) continue;
    CVDispObj* object = CreateAsteroidObject(asteroid);
    if (!object) return;
    Location at;
    asteroid->GetPosition(&at);
    PositionObject(at, object);
  }
}

void CVSolar::RemoveUndetectedAsteroids() {
  if (!g_gameData || !displayList) return;
  for (std::uint16_t i = 0; i < AsteroidCount(); ++i) {
    const CGAsteroid* asteroid = g_gameData->solarDB.GetAsteroid(i);
    CVDispObj* object = asteroid && asteroid->detected == 0 ? displayList->Find(DISP_ASTEROID, i) : nullptr;
    if (!object) continue;
    // A glide towards it ends with it.
    if (glideActive && glideObject == object) glideActive = 0;
    displayList->Remove(DISP_ASTEROID, i);
  }
}

void CVSolar::LocationToWorld(const Location& location, double out[3]) {
  out[0] = 1000.0 - (location.x + 32767) * -0.0030518;
  out[1] = 1000.0 - (location.y + 32767) * -0.0030518;
  out[2] = 1000.0 - (location.z + 32767) * -0.0030518;
}

void CVSolar::PositionObject(const Location& location, CVDispObj* object) {
  if (!object) return;
  double at[3];
  LocationToWorld(location, at);
  object->SetPosition(at);
}

int CVSolar::MoveAsteroidObject(std::uint16_t asteroid, const Location& location) {
  CVDispObj* object = displayList ? displayList->Find(DISP_ASTEROID, asteroid) : nullptr;
  if (!object) return 0;
  PositionObject(location, object);
  return 1;
}

void CVSolar::PlaceAllAsteroids() {
  // One walk of the list: a look-up per asteroid would walk it each time.
  if (!g_gameData || !displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    CVDispObj* object = n->object;
    if (object->GetType() != DISP_ASTEROID) continue;
    const CGAsteroid* asteroid = g_gameData->solarDB.GetAsteroid(object->key.id);
    if (!asteroid) continue;
    Location at;
    asteroid->GetPosition(&at);
    PositionObject(at, object);
  }
}

// --- frame ---

void CVSolar::MakeSolarCurrent() {
  CVSgWorld* w = g_sgWorld;
  if (!w || !w->solarScene || w->GetScene() == w->solarScene) return;
  w->SetScene(w->solarScene);
  w->SetCamera(w->solarCamera);
  w->OrientStarField(SolarLocation(), nullptr, nullptr, 1);
  // The fog of the view left behind was for its own distances: the solar
  // system's range comes back, its fog following the camera. (Fog worked out
  // from the nearest asteroid would bring the far plane in front of the whole
  // system after a load and leave the viewport black.)
  w->fogBaseDistance = kSolarRange;
  w->UpdateDistanceFog(0.0);
  w->redraw = 1;
  if (!startScreenShown) SharedScreen().statusShown = 0;
}

void CVSolar::Activate(std::int32_t argument) {
  activated = 1;
  if (argument != -1 && (static_cast<std::uint32_t>(argument) >> 16) == 0xFFFF) g_highlightAsteroid = 0xFFFF;
  // The by-chapter filter's choice goes on where the panel left it.
  if (SharedScreen().pendingOrderOption == 5 && SharedScreen().dataPanel) {
    SharedScreen().dataPanel->ShowGuildMembers(SharedScreen().chosenGuild);
    ShowText("SELCTCHP", kStatusTime);
  } else if (SharedScreen().pendingOrderOption == 4 && SharedScreen().dataPanel) {
    SharedScreen().dataPanel->ShowGuildList();
    ShowText("SELCTGLD", kStatusTime);
  } else {
    RefreshDataPanel(1);
  }
  if (SharedScreen().notifyPanel && SharedScreen().notifyPanel->Show(1)) SharedScreen().notifyPanel->ResetLines();
  MakeSolarCurrent();
  if (rebuildPending) {
    rebuildPending = 0;
    if (SharedScreen().futureView) {
      OnCommand(kToggleInfoPanelCommand);
      if (g_gameData) g_gameData->solarDB.ResetAsteroidPositions();
      HideUnitObjects(0);
    }
    PlaceAllAsteroids();
    if (FogOfWar()) AddDetectedAsteroids();
    RebuildDisplay();
  }
  UpdateUnitObjects();
  if (g_sgWorld) g_sgWorld->redraw = 1;
  MoveAllUnitObjects();
  ApplyFilterHalos();
  MarkSelection();
  ApplyMarkHalos();
  if (g_highlightAsteroid == 0xFFFF) {
    flashId = 0xFFFF;
  } else {
    flashKind = 0;
    flashId = g_highlightAsteroid;
    StartFlash(ObjectOf(DISP_ASTEROID, g_highlightAsteroid), LocalChapterId(), 11);
  }
  UpdateControlPanel();
  ShowLampFrame8();
  FlushScreen();
  if (argument != -1 && displayList) {
    const auto a = static_cast<std::uint32_t>(argument);
    CVDispObj* object =
        (a >> 16) == 0xFFFF ? displayList->Find(DISP_ASTEROID, a & 0xFFFF) : displayList->Find(DISP_UNIT, a);
    FlyTo(object);
  }
  UpdateCursor();
  g_frameRate = 10.0;
}

void CVSolar::Render(std::int32_t argument) {
  if (!activated) Activate(argument);
  if (DrawFrame()) FlushScreen();
}

void CVSolar::PlayFrameAnimation(std::uint32_t elapsedMs) {
  g_animElapsedMs += elapsedMs;
  if (flashCount && flashId != 0x7FFFFFFF && g_animElapsedMs >= kTickMs) {
    if (--flashCount == 0) EndFlash();
  } else if (!SharedScreen().infoPanelVisible && SharedScreen().frameAnimationsOn) {
    AnimateFrame(elapsedMs);
  }
  if (SharedScreen().statusShown && g_animElapsedMs >= kTickMs &&
      (!SharedScreen().futureView || SharedScreen().futureViewState != 2)) {
    // Shown until replaced: the line never counts down.
    if (CountDownStatusLine() && g_sgWorld) g_sgWorld->redraw = 1;
  }
  if (elapsedMs > 0) g_frameRate = (g_frameRate + (elapsedMs < 100 ? 1000.0 / elapsedMs : 10.0)) * 0.5;
  // While the orbits run ahead the camera moves with their steps only, at
  // the speed of ten steps a second.
  bool cameraTick = true;
  if (SharedScreen().futureView) {
    cameraTick = g_animElapsedMs >= kTickMs;
    if (cameraTick) {
      g_frameRate = 10.0;
      FutureStep(0);
    }
  }
  if (cameraTick) {
    ApplyCameraMotion();
    ApplyGridMotion();
  }
  if (startScreenShown) RunStartScreenScript();
  Render(-1);
}

void CVSolar::CentreOnHome() {
  const CGChapter* chapter = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  if (!chapter || !displayList) return;
  CVDispObj* home = displayList->Find(DISP_ASTEROID, chapter->homeAsteroid);
  if (!home) return;
  FlyTo(home);
  centred = 1;
}

void CVSolar::RunStartScreenScript() {
  const std::int32_t step = futureTurns;
  // Frames come faster than steps: a step's one-off acts run once.
  const bool newStep = step != lastScriptStep;
  lastScriptStep = step;
  if (step == 60 || (step > 60 && step < 230 && !centred)) {
    centred = 0;
    CentreOnHome();
  }
  switch (step) {
    case 80:
    case 100:
      // "Asteroids where I am present" blinks on and off.
      if (!newStep) break;
      SelectFilter(0);
      ShowText("PRESSANY", kUntilReplaced);
      break;
    case 230:
      SetCameraRate(0, 0.05f);
      SetCameraRate(2, -0.1f);
      break;
    case 270:
      SetCameraRate(2, 0.f);
      break;
    case 310:
      SetCameraRate(0, 0.05f);
      SetCameraRate(1, 0.05f);
      break;
    case 350:
      SetCameraRate(0, 0.f);
      SetCameraRate(1, 0.05f);
      break;
    case 430:
      StopCameraMotion();
      centred = 0;
      CentreOnHome();
      break;
    case 600:
      centred = 0;
      break;
    case 660:
      futureTurns = 0;
      break;
    default:
      break;
  }
}

void CVSolar::LeaveStartScreen() {
  if (!activated) return;
  cameraMode = 1;
  if (FogOfWar()) RemoveUndetectedAsteroids();
  UpdateCamera(1);
  startScreenShown = 0;
  if (SharedScreen().futureView) OnCommand(kToggleInfoPanelCommand);
  if (g_sgWorld) g_sgWorld->OrientStarField(SolarLocation(), nullptr, nullptr, 0);
  if (activeFilter == 0) SelectFilter(0);
  const CGChapter* chapter = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  CGAsteroid* home = chapter && g_gameData ? g_gameData->solarDB.GetAsteroid(chapter->homeAsteroid) : nullptr;
  const char* name = home ? home->GetName() : nullptr;
  ShowText("STARTMSG", kStartMessageTime, name ? name : "");
  if (g_sgWorld) g_sgWorld->ResetSceneDrawFlag();
  JumpToNextAsteroid();
}

void CVSolar::DrawStatusText() {
  DrawFilterLabels();
  if (SharedScreen().futureView && !startScreenShown && g_gameData && g_gameData->textIndex) {
    // Fetched again only when the offset or the date moved: a frame of an
    // unchanged line asks nothing of the text index.
    const double date = g_gameData->GetGameDate();
    if (futureLineTurns_ != futureTurns || futureLineDate_ != date) {
      g_gameData->textIndex->GetText("FUTRVIEW", futureLine_, sizeof futureLine_, date, futureTurns);
      futureLineTurns_ = futureTurns;
      futureLineDate_ = date;
    }
    DrawScreenText(futureLine_, 0, 351, CVSgWorld::kViewWidth, 0x008000, 0x11, 0, 1);
  }
  CVGeneric::DrawStatusText();
}

// --- camera ---

void CVSolar::UpdateCamera(int orientStars) {
  StopCameraMotion();
  CVSgWorld* w = g_sgWorld;
  if (!w) return;
  w->GetCameraPosition(homePosition);
  w->GetCameraForward(homeForward);
  w->GetCameraUp(homeUp);
  w->SetCameraOrientationXYZ(0.f, 0.f, 1.f, 0.f, 1.f, 0.f);
  const float z = 1040.0f - static_cast<float>(AsteroidCount()) * 90.0f * 0.0066666668f;
  w->SetCameraPositionF(1100.f, 1100.f, z);
  LookAtTarget(0);
  RefreshObjects(1);
  w->redraw = 1;
  if (orientStars) w->OrientStarField(SolarLocation(), nullptr, nullptr, 0);
  centred = 0;
}

void CVSolar::CycleCameraMode(int forward) {
  static constexpr std::uint8_t kNext[4][2] = {{0, 0}, {3, 2}, {1, 3}, {2, 1}};
  if (cameraMode >= 1 && cameraMode <= 3) cameraMode = kNext[cameraMode][forward ? 1 : 0];
  if (cameraMode == 2) {
    LookAtTarget(1);
    if (g_sgWorld) g_sgWorld->OrientStarField(SolarLocation(), nullptr, nullptr, 0);
    ShowText("CAMERASL", kStatusTime);
  } else {
    ShowText(cameraMode == 1 ? "CAMERAPN" : "CAMERAFR", kStatusTime);
  }
}

// --- future view ---

int CVSolar::IsFutureView() { return static_cast<int>(SharedScreen().futureView); }

void CVSolar::ToggleFutureView() {
  SharedScreen().futureView = 1 - SharedScreen().futureView;
  if (!SharedScreen().futureView) {
    if (g_gameData) g_gameData->solarDB.ResetAsteroidPositions();
    PlaceAllAsteroids();
    HideUnitObjects(0);
  } else {
    futureTurns = 0;
    HideUnitObjects(1);
    SharedScreen().futureViewState = 0;
    if (SharedScreen().statusShown) SharedScreen().statusShown = 0;
  }
  UpdateControlPanel();
}

void CVSolar::FutureViewCommand(int code) {
  switch (code) {
    case 0:
    case 1:
    case 2:
      SharedScreen().futureViewState = static_cast<std::uint8_t>(code);
      break;
    case 3:
      SharedScreen().futureViewState = futureTurns == 0 ? 2 : 3;
      break;
    case 4:
      SharedScreen().futureViewState = SharedScreen().futureViewState == 2 ? 0 : 2;
      UpdateControlPanel();
      break;
    case 5:
      if (g_gameData) {
        g_gameData->solarDB.ResetAsteroidPositions();
        g_gameData->solarDB.MoveAsteroids(0, 0);
        g_gameData->solarDB.MoveAsteroids(0, 1);
      }
      PlaceAllAsteroids();
      futureTurns = 0;
      break;
    default:
      TraceError("CVSolar - unknown future view command", __FILE__, __LINE__);
      break;
  }
}

void CVSolar::FutureStep(int argument) {
  if (SharedScreen().futureView != 1 || !g_gameData) return;
  const int animate = argument == 0 ? 1 : 0;
  switch (SharedScreen().futureViewState) {
    case 0:
    case 1:
      g_gameData->solarDB.MoveAsteroids(animate, 1);
      PlaceAllAsteroids();
      ++futureTurns;
      if (SharedScreen().futureViewState == 1) {
        SharedScreen().futureViewState = 2;
        UpdateControlPanel();
      }
      break;
    case 2:
      break;
    case 3:
      g_gameData->solarDB.MoveAsteroids(animate, 0);
      PlaceAllAsteroids();
      SharedScreen().futureViewState = 2;
      UpdateControlPanel();
      --futureTurns;
      break;
    default:
      TraceError("CVSolar - unknown future view state", __FILE__, __LINE__);
      break;
  }
}

// --- asteroid jumps ---

void CVSolar::JumpToNextAsteroid() { Jump(1); }
void CVSolar::JumpToPreviousAsteroid() { Jump(-1); }

void CVSolar::Jump(int direction) {
  const std::uint16_t count = AsteroidCount();
  if (!g_gameData || count == 0) return;
  const std::uint16_t local = g_gameData->localChapterId;
  auto step = [&](std::uint16_t a) {
    return static_cast<std::uint16_t>(direction > 0 ? (a + 1u) % count : (a == 0 || a >= count ? count - 1u : a - 1u));
  };
  auto qualifies = [&](std::uint16_t a) {
    const CGAsteroid* asteroid = g_gameData->solarDB.GetAsteroid(a);
    if (!asteroid) return false;
    return g_gameData->pieces.CountUnits(a, static_cast<std::int16_t>(local)) != 0 || asteroid->owner == local ||
           asteroid->IsChapterPresent(static_cast<std::uint8_t>(local)) != 0;
  };
  // A saved game may leave a number past the last asteroid, which the walk
  // would never come back to: the search starts at the first (or last) one.
  const std::uint16_t start =
      g_jumpAsteroid < count ? g_jumpAsteroid : static_cast<std::uint16_t>(direction > 0 ? count - 1u : 0u);
  g_jumpAsteroid = step(start);
  while (!qualifies(g_jumpAsteroid)) {
    if (g_jumpAsteroid == start) {
      ShowText("NOASTERD", kStatusTime);
      break;
    }
    g_jumpAsteroid = step(g_jumpAsteroid);
  }
  CVDispObj* object = displayList ? displayList->Find(DISP_ASTEROID, g_jumpAsteroid) : nullptr;
  double at[3] = {target[0], target[1], target[2]};
  if (object) object->GetPosition(at);
  at[2] -= 32.0;
  CVSgWorld* w = g_sgWorld;
  if (!w) return;
  if (!IsCameraLinear() && !IsCameraFree()) {
    centred = 0;
    if (object) {
      FlyTo(object);
      return;
    }
    SetCameraPosition(at, 0);
  } else {
    centred = 0;
    double old[3];
    w->GetCameraPosition(old);
    SetCameraPosition(at, 0);
    w->ScrollStarFieldX(static_cast<float>((old[0] - at[0]) * 0.6249999906867744 * 0.0012));
    w->ScrollStarFieldY(static_cast<float>((old[1] - at[1]) * 0.6249999906867744 * 0.0012));
  }
  const float forward[3] = {0.f, 0.f, 1.f}, up[3] = {0.f, 1.f, 0.f};
  w->SetCameraOrientation(forward, up);
  w->redraw = 1;
}

// --- game and turn ---

void CVSolar::OnGameStart() {
  if (FogOfWar()) {
    g_gameData->solarDB.DetectAsteroids(1);
    RemoveUndetectedAsteroids();
  }
  g_jumpAsteroid = 0;
  LeaveStartScreen();
  if (g_currentView)
    g_currentView->RebuildDisplay();
  else
    RebuildDisplay();
}

void CVSolar::RebuildDisplay() {
  if (startScreenShown) LeaveStartScreen();
  if (rebuildPending) {
    rebuildPending = 0;
    PlaceAllAsteroids();
    MoveAllUnitObjects();
    UpdateUnitObjects();
    if (FogOfWar()) AddDetectedAsteroids();
  }
  MarkSelection();
  if (g_sgWorld) g_sgWorld->redraw = 1;
  ClearFilterHalos();
  ApplyFilterHalos();
  RefreshDataPanel(1);
  ForgetCoveredStatusLine();
  if (SharedScreen().statusShown) SharedScreen().statusShown = 1;
}

void CVSolar::OnTurnProcessing() {
  if (SharedScreen().futureView) OnCommand(kToggleInfoPanelCommand);
  UpdateSelectionDisplay(1);
  ClearOrderTargetMarker(nullptr);
  // Ships shown only in range of the player's own: the turn's results bring
  // the other chapters' ships in space again, so their objects go now.
  if (g_gameData && g_gameData->shipDisplay == 1 && displayList) displayList->RemoveForeignUnits();
  StopCameraMotion();
}

// --- saved state ---

std::vector<std::uint8_t> CVSolar::SaveSolarBlock() {
  std::vector<std::uint8_t> b;
  b.reserve(kSolarBlockSize);
  Writer w{b};
  w.U8(kSolarBlockVersion);
  w.U8(kValidityByte);
  w.U32(SharedScreen().futureView);
  w.U8(cameraMode);
  w.U32(static_cast<std::uint32_t>(futureTurns));
  w.U8(SharedScreen().futureViewState);
  w.U16(activeFilter);
  w.U16(selectedChapter);
  w.U32(filterInverted);
  // The solar camera, whichever scene is current.
  CVSgWorld* world = g_sgWorld;
  double position[3] = {homePosition[0], homePosition[1], homePosition[2]};
  float forward[3] = {homeForward[0], homeForward[1], homeForward[2]};
  float up[3] = {homeUp[0], homeUp[1], homeUp[2]};
  if (world && world->solarScene) {
    SGScene* scene = world->GetScene();
    SGInstance* camera = world->GetCamera();
    world->SetScene(world->solarScene);
    world->SetCamera(world->solarCamera);
    world->GetCameraPosition(position);
    world->GetCameraForward(forward);
    world->GetCameraUp(up);
    world->SetScene(scene);
    world->SetCamera(camera);
  }
  for (double p : position) w.F64(p);
  for (float f : forward) w.F32(f);
  for (float u : up) w.F32(u);
  w.U8(kValidityByte);
  return b;
}

bool CVSolar::LoadSolarBlock(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kSolarBlockSize) return false;
  Reader r{bytes};
  if (r.Get<std::uint8_t>() != kSolarBlockVersion || r.Get<std::uint8_t>() != kValidityByte) return false;
  const auto future = r.Get<std::uint32_t>();
  const auto mode = r.Get<std::uint8_t>();
  const auto turns = static_cast<std::int32_t>(r.Get<std::uint32_t>());
  const auto state = r.Get<std::uint8_t>();
  const auto filter = r.Get<std::uint16_t>();
  const auto chapter = r.Get<std::uint16_t>();
  const auto inverted = r.Get<std::uint32_t>();
  double position[3];
  float forward[3], up[3];
  for (double& p : position) p = r.Get<double>();
  for (float& f : forward) f = r.Get<float>();
  for (float& u : up) u = r.Get<float>();
  if (r.Get<std::uint8_t>() != kValidityByte) return false;
  // A filter above 10 has no status text; a wild offset no orbit to show.
  if (future > 1 || mode < 1 || mode > 3 || turns < 0 || turns > kMaxFutureTurns || state > 3 || filter > 10 ||
      inverted > 1)
    return false;
  if (!Finite3(position) || !Direction(forward) || !Direction(up)) return false;
  for (double p : position)
    if (p < 0.0 || p > 2200.0) return false;

  // The button pressed for the start screen's orbits (run, or held back for a
  // resumed game) comes back up.
  if (startScreenShown) {
    if (SharedScreen().futureView) ToggleFutureView();
    if (futureButton) futureButton->Toggle();
  }
  // The pressed look goes with the filter: off the old one, on the loaded one.
  if (activeFilter >= 1 && activeFilter <= kSolarFilterCount && filterButtons[activeFilter - 1u])
    filterButtons[activeFilter - 1u]->Toggle();
  if (filter >= 1 && filterButtons[filter - 1u]) filterButtons[filter - 1u]->Toggle();
  SharedScreen().futureView = future;
  cameraMode = mode;
  futureTurns = turns;
  SharedScreen().futureViewState = state;
  activeFilter = filter;
  selectedChapter = chapter;
  filterInverted = inverted;
  activated = 0;
  startScreenShown = 0;
  CVSgWorld* world = g_sgWorld;
  if (world && world->solarScene) {
    SGScene* scene = world->GetScene();
    SGInstance* camera = world->GetCamera();
    world->SetScene(world->solarScene);
    world->SetCamera(world->solarCamera);
    SetCameraPosition(position, 0);
    world->SetCameraOrientationNow(forward, up);
    RefreshObjects(1);
    world->redraw = 1;
    world->SetScene(scene);
    world->SetCamera(camera);
  }
  SetStatusText("", kStatusTime);
  return true;
}

int CVSolar::SaveState(plat::FILE* file) {
  if (!CVB3DView::SaveState(file)) return 0;
  const std::vector<std::uint8_t> b = SaveSolarBlock();
  return plat::fwrite(b.data(), 1, b.size(), file) == b.size() ? 1 : 0;
}

int CVSolar::LoadState(plat::FILE* file) {
  std::uint8_t b[kSolarBlockSize];
  const bool loaded = CVB3DView::LoadState(file) && plat::fread(b, 1, sizeof b, file) == sizeof b && LoadSolarBlock(b);
  // A game saved as it begins (a scenario) holds no block of this view: it
  // opens as a new game does, the orbits turning behind the start screen.
  if (!loaded && startScreenShown && !SharedScreen().futureView) ToggleFutureView();
  return loaded ? 1 : 0;
}

// --- flashes and navigation ---

CVDispObj* CVSolar::FlashedObject() const {
  if (flashId == 0x7FFFFFFF || flashId == 0xFFFF) return nullptr;
  return ObjectOf(flashKind == 2 ? DISP_UNIT : DISP_ASTEROID, flashId);
}

void CVSolar::StartFlash(CVDispObj* object, std::uint16_t chapter, std::uint16_t ticks) {
  if (!object) return;
  flashCount = ticks;
  if (object->HasHalo()) UnmarkObject(object, 0xFFFF);
  MarkObject(object, 4, chapter);
}

void CVSolar::EndFlash() {
  flashCount = 0;
  CVDispObj* object = FlashedObject();
  if (object) {
    UnmarkObject(object, 4);
    if (flashKind == 2) {
      if (g_gameData && g_gameData->IsSelected(SEL_UNIT, flashId)) MarkObject(object, 0, LocalChapterId());
    } else {
      HandleObjectPick(object);
    }
  }
  ClearOrderTargetMarker(nullptr);
}

void CVSolar::ShowObject(int kind, std::uint32_t id) {
  if (SharedScreen().infoPanelVisible) return;
  ClearOrderTargetMarker(nullptr);
  const std::uint16_t asKind = kind == 12 ? 0 : static_cast<std::uint16_t>(kind);
  if (flashCount && flashId == id && flashKind == asKind) return;
  if (flashCount) EndFlash();
  std::uint16_t chapter = LocalChapterId();
  if (kind == 0 || kind == 12) {
    flashKind = 0;
    flashId = id;
  } else if (kind == 2) {
    std::uint16_t at = 0;
    CGUnit* unit = g_gameData ? g_gameData->pieces.FindUnit(id, &at) : nullptr;
    if (!unit) return;
    if (unit->location.asteroid >= SolarLocation()) {
      flashKind = 2;
      flashId = id;
    } else {
      flashKind = 0;
      flashId = unit->location.asteroid;
    }
  }
  if (kind == 0 || kind == 12 || kind == 2) StartFlash(FlashedObject(), chapter, 11);
  if (kind == 2)
    ShowUnitHover(id, 0xFFFF);
  else if (kind == 0 || kind == 12)
    ShowAsteroidHover(id);
  else
    RefreshDataPanel(0);
}

void CVSolar::FindAsteroid() {
  const std::uint16_t found = RunFindAsteroidDialog();
  if (found == kNoAsteroid) return;
  GoToAsteroid(found);
  if (CVDispObj* object = ObjectOf(DISP_ASTEROID, found)) FlyTo(object);
}

void CVSolar::GoToAsteroid(std::uint16_t asteroid) {
  CGAsteroid* a = g_gameData ? g_gameData->solarDB.GetAsteroid(asteroid) : nullptr;
  CVDispObj* object = a ? ObjectOf(DISP_ASTEROID, asteroid) : nullptr;
  if (!object) {
    TraceError("CVSolar - no asteroid to go to", __FILE__, __LINE__);
    return;
  }
  if (object->HasHalo()) UnmarkObject(object, 0xFFFF);
  if (flashCount) EndFlash();
  flashKind = 0;
  flashId = asteroid;
  StartFlash(object, a->owner, 22);
}

void CVSolar::OnAsteroidNotice(std::uint16_t a, std::uint16_t b) {
  if (startScreenShown || !g_gameData || g_gameData->turn + static_cast<std::uint32_t>(futureTurns) <= 5) return;
  CGAsteroid* first = g_gameData->solarDB.GetAsteroid(a);
  CGAsteroid* second = g_gameData->solarDB.GetAsteroid(b);
  if (!first || !second || !g_gameData->textIndex) return;
  const std::string nameA = first->GetName() ? first->GetName() : "";
  const std::string nameB = second->GetName() ? second->GetName() : "";
  char warning[512] = {};
  g_gameData->textIndex->GetText("ASTWLLCD", warning, sizeof warning, nameA.c_str(), nameB.c_str(), futureTurns);
  g_lastCollisionTurns = static_cast<std::uint32_t>(futureTurns);
  const bool shown = !SharedScreen().statusText.empty() && SharedScreen().statusShown != 0;
  std::string line;
  if (!MergeCollisionWarning(warning, shown, SharedScreen().statusText, nameA, nameB, &line)) return;
  if (!shown) {
    SetStatusText(line.c_str(), kStatusTime);
  } else {
    SharedScreen().statusShown = kStatusTime;
    SharedScreen().statusText = line;
  }
}
