// The space-battle replay view: scene, start, frame step, status line,
// controls, leaving, camera modes, buttons, filters and labels.
#include "Game/views/replay/CVSReplay.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVData.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/LocalGuildArt.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/SettingsApplication.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVDispExp.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "Game/views/world/ViewScene.h"
#include "media/CImageButton.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr double kCentre = 1100.0;
constexpr int kFilterCount = 6;
constexpr std::uint16_t kFilterMarker = 4;
constexpr COLORREF kBattleColour = 0x00FF00;
constexpr COLORREF kPhaseColour = 0x008000;
constexpr const char* kFilterStems[kFilterCount] = {"mine_", "loyal", "rebel", "unclm", "chap_", "guild"};
constexpr const char* kFilterTips[kFilterCount] = {"My Units",        "Loyal units",      "Rebel Units",
                                                   "Unscanned units", "Units By Chapter", "Units By Guild"};

struct GridButtonSpec {
  int id, x, y, width, height;
  const char* tooltip;
  const char* normal;
  const char* pressed;
  int help;
};
constexpr GridButtonSpec kGridButtons[5] = {
    {205, 637, 518, 76, 24, "VAGRIDON", "gridofup", "gridofdn", 279},
    {206, 662, 518, 26, 24, "VAGRDOFF", "gridonup", "gridondn", 280},
    {207, 688, 518, 25, 24, "VAGRIDUP", "gridupup", "gridupdn", 281},
    {208, 637, 518, 25, 24, "VAGRDDWN", "griddnup", "griddndn", 282},
    {210, 713, 518, 77, 24, "VAGTTRRN", "gtterrup", "gtterrdn", 283},
};
enum GridButton { kGridOn, kGridOff, kGridUp, kGridDown, kTerrain };

std::string GuildArtPath(const std::string& name) {
  const int guild = LocalGuild();
  return std::string(g_instData.GetGuildPath(guild)) + name;
}

// The finished text of an ID with its arguments.
template <class... Args>
std::string Text(const char* id, const Args&... args) {
  char text[orders::kTextSize + 1] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, orders::kTextSize, args...);
  return text;
}

double AxisDistance(const double p[3]) { return std::hypot(p[0] - kCentre, p[2] - kCentre); }

CGChapter* ChapterOf(std::uint32_t chapter) {
  return g_gameData && g_gameData->guildList ? g_gameData->guildList->GetChapter(chapter) : nullptr;
}

CVAstSpace* AsteroidSpaceView() { return ReplayAsteroidSpaceView(); }

}  // namespace

// --- construction ---

CVSReplay::CVSReplay(HWND window_, HINSTANCE instance_)
    : CVB3DView(window_, instance_), ticker(*this), window(window_), instance(instance_) {
  battleAsteroid = orders::SolarSpace();
  closeToAsteroid = 1;
  BuildScene();
  CreateButtons();
}

CVSReplay::~CVSReplay() {
  // A view taken down without leaving first (a load, the end of the game)
  // would leave the ships' engines looping into the next screen.
  StopUnitSounds();
  for (CImageButton*& b : filterButtons) {
    delete b;
    b = nullptr;
  }
  for (CImageButton*& b : gridButtons) {
    delete b;
    b = nullptr;
  }
  CloseReplayFile();
  if (g_live3DViews == 1) ReleaseViewSceneData();
}

void CVSReplay::BuildScene() {
  CVSgWorld* w = g_sgWorld;
  if (!w || !UseViewScene(&w->replayScene, &w->replayCamera)) return;
  // The camera's start pose; the shared star field is left to the view on
  // screen and oriented when a replay starts.
  const float forward[3] = {0.f, 0.f, 1.f}, up[3] = {0.f, 1.f, 0.f};
  w->SetCameraOrientationNow(forward, up);
  w->SetCameraPosition(kCentre, kCentre, 1065.0);
  // The player may have turned the fog off; a shown grid is made again under the new fog.
  if (!ApplicationDistanceFogOn()) {
    const bool grid = g_gridShown != 0;
    if (grid) RebuildGrid();
    SetDistanceFog(0);
    if (grid) RebuildGrid();
  }
}

void CVSReplay::CreateButtons() {
  auto make = [&](int id, int x, int y, int w, int h, const std::string& tip, const std::string& normal,
                  const std::string& pressed, int help) {
    auto* button = new CImageButton();
    button->Create(SharedScreen().viewDDraw, window, instance, SharedScreen().tooltipWnd, tip.c_str(), id, x, y, w, h,
                   0, static_cast<DWORD>(help), LocalGuildArtModule());
    button->SetImages(normal.c_str(), pressed.c_str());
    if (button->window) ShowWindow(button->window, SW_HIDE);
    return button;
  };
  // The same faces as the asteroid-space view's filters, so the buttons read
  // alike in both views: the "d" picture at rest, the "u" one pressed.
  for (int i = 0; i < kFilterCount; ++i) {
    char normal[64];
    char pressed[64];
    std::snprintf(normal, sizeof normal, "solview\\sf%sd.ima", kFilterStems[i]);
    std::snprintf(pressed, sizeof pressed, "solview\\sf%su.ima", kFilterStems[i]);
    filterButtons[static_cast<std::size_t>(i)] = make(400 + i, 637 + 25 * i, 494, 25 + (i % 2), 24, kFilterTips[i],
                                                      GuildArtPath(normal), GuildArtPath(pressed), 228 + i);
  }
  for (int i = 0; i < 5; ++i) {
    const GridButtonSpec& s = kGridButtons[i];
    gridButtons[static_cast<std::size_t>(i)] = make(
        s.id, s.x, s.y, s.width, s.height, Text(s.tooltip), GuildArtPath(std::string("solview\\") + s.normal + ".ima"),
        GuildArtPath(std::string("solview\\") + s.pressed + ".ima"), s.help);
  }
}

void CVSReplay::CloseReplayFile() {
  reader.reset();
  if (replayFile) plat::fclose(replayFile);
  replayFile = nullptr;
}

// --- coordinates ---

void CVSReplay::LocationToWorld(const Location& l, double out[3]) {
  const std::int16_t v[3] = {l.x, l.y, l.z};
  for (int k = 0; k < 3; ++k) out[k] = 1000.0 - (v[k] + 32767) * -0.0030517578;
}

void CVSReplay::PositionObject(const Location& location, CVDispObj* object) {
  if (!object) {
    TraceError("PositionObject", __FILE__, __LINE__);
    return;
  }
  double at[3];
  LocationToWorld(location, at);
  object->SetPosition(at);
}

// --- start ---

void CVSReplay::Render(std::int32_t argument) {
  const auto value = static_cast<std::uint32_t>(argument);
  if (!replayRunning && value != 0xFFFFFFFFu && (value >> 16) == 0xFFFF)
    StartReplay(static_cast<std::uint16_t>(value & 0xFFFF));
  if (DrawFrame()) FlushScreen();
}

void CVSReplay::StartReplay(std::uint16_t asteroid) {
  replayRunning = 1;
  battleAsteroid = asteroid;
  debrisObject = nullptr;
  debrisSteps = 0;
  destructionStage = 0;
  flash.Clear();
  soundsFrozen = false;
  // The effects step on the shared animation clock: from its start, a battle
  // plays the same each time, whatever the view before it left there.
  g_animElapsedMs = 0;
  // The asteroid may have been renamed since the last battle shown.
  battleLineFor = kNoLine;
  ticker.Start();
  if (g_sndPlay) g_sndPlay->PlayBattleMusic();
  overlap.seed(asteroid + 1u);
  EnterReplayMode();
  RefreshDataPanel(1);
  ClearEventBar();
  DrawEventBar(nullptr);
  UpdateControlPanel();
  ShowLampFrame8();
  FlushScreen();
  // The notifications come back if the info panel had them hidden.
  if (SharedScreen().notifyPanel && SharedScreen().notifyPanel->Show(1)) SharedScreen().notifyPanel->ResetLines();
  CVSgWorld* w = g_sgWorld;
  if (w && w->replayScene && w->GetScene() != w->replayScene) {
    w->SetScene(w->replayScene);
    if (w->replayCamera) w->SetCamera(w->replayCamera);
  }
  ClearDisplayList();
  if (!OpenReplayFile(asteroid)) return;
  PlaceStartCamera();
}

void CVSReplay::PlaceStartCamera() {
  CVSgWorld* w = g_sgWorld;
  if (!w) return;
  const bool fromSpace =
      SharedScreen().previousViewType == VIEW_ASTEROID_SPACE && SharedScreen().previousViewAsteroid == battleAsteroid;
  if (fromSpace) w->LockStarField(1);
  if (CGAsteroid* a = orders::FindAsteroid(battleAsteroid)) {
    double pos[3];
    float forward[3], up[3];
    a->GetViewCamera(pos, forward, up);
    if (CVAstSpace* space = AsteroidSpaceView()) cameraMode = static_cast<std::uint8_t>(space->GetCameraMode());
    if (cameraMode < 1 || cameraMode > 4) cameraMode = 2;
    if (cameraMode != 4) {
      SetCameraPosition(pos, cameraMode == 1 || cameraMode == 3 ? 0 : 1);
      w->SetCameraOrientationNow(forward, up);
      if (cameraMode == 2) LookAtTarget(1);
    } else {
      double d[3] = {pos[0] - target[0], pos[1] - target[1], pos[2] - target[2]};
      const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
      for (double& c : d) c = length > 1e-9 ? c / length : 0.0;
      double h = AxisDistance(pos);
      if (h < 10.0) {
        pos[0] += d[0] * (10.0 - h);
        pos[2] += d[2] * (10.0 - h);
        h = AxisDistance(pos);
      }
      pos[1] = kCentre + 0.375 * h;
      SetCameraPosition(pos, 0);
      const float lockedUp[3] = {0.f, 1.f, 0.f};
      w->SetCameraOrientationUp(lockedUp, forward);
      LookAtTarget(1);
    }
  }
  w->OrientStarField(battleAsteroid, nullptr, nullptr, 1);
  fogUpdatePending = 1;
  POINT p{};
  GetCursorPos(&p);
  OnMouseMove(0, static_cast<LPARAM>((p.x & 0xFFFF) | ((p.y & 0xFFFF) << 16)));
  SharedScreen().statusShown = 0;
  FaceUnitsToCamera();
  w->LockStarField(0);
}

void CVSReplay::FaceUnitsToCamera() {
  if (!displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next)
    if (n->object->GetType() == DISP_UNIT) n->object->UpdateMaterials(0);
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

bool CVSReplay::OpenReplayFile(std::uint16_t asteroid) {
  CloseReplayFile();
  replayFile = replay::OpenReplayFileOf(asteroid, reinterpret_cast<std::uintptr_t>(SharedScreen().viewInstance));
  if (!replayFile) {
    TraceError("CVSReplay - no replay file", __FILE__, __LINE__);
    SwitchAwayFrom(asteroid);
    return false;
  }
  if (!replay::ReplayFileSizeAllowed(replayFile)) {
    SwitchAwayFrom(asteroid);
    return false;
  }
  reader.emplace(replayFile, static_cast<replay::ReplaySink&>(*this));
  // Without its 0xFF the file ends at once: no units, and every read after fails.
  if (!reader->ReadPreamble()) return true;
  std::uint16_t inFile = 0;
  if (!reader->ReadAsteroid(inFile) || inFile > orders::SolarSpace()) {
    SwitchAwayFrom(asteroid);
    return false;
  }
  battleAsteroid = inFile;
  EnsureGrid();
  CGAsteroid* a = orders::FindAsteroid(battleAsteroid);
  CVDispObj* object = a ? CreateAsteroidObject(a) : nullptr;
  if (!object) {
    TraceError("CVSReplay - the battle asteroid has no object", __FILE__, __LINE__);
    GoToView(VIEW_SOLAR, static_cast<LPARAM>(-1));
    return false;
  }
  object->SetPosition(target);
  reader->ReadStartUnits();
  if (reader->refused()) {
    SwitchAwayFrom(battleAsteroid);
    return false;
  }
  // A filter chosen before marks the battle's units too.
  MarkFilteredUnits();
  return true;
}

void CVSReplay::SwitchAwayFrom(std::uint16_t asteroid) {
  std::uint16_t to = asteroid;
  if (to >= orders::SolarSpace()) {
    const CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
    to = local ? local->homeAsteroid : 0;
  }
  GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(to | 0xFFFF0000u));
}

// --- the frame step ---

void CVSReplay::PlayFrameAnimation(std::uint32_t ms) {
  if (ticker.phase() == replay::ReplayTicker::kNotStarted && SharedScreen().replayMode == 1 && displayList) {
    if (displayList->Update(nearAsteroid, closeToAsteroid, GetViewType()) && g_sgWorld) g_sgWorld->redraw = 1;
  }
  g_animElapsedMs += ms;
  g_frameRate = replay::EstimateFrameRate(g_frameRate, ms);
  ApplyCameraMotion();
  ApplyGridMotion();
  if (SharedScreen().replayMode != 1 && Tick() && g_sgWorld) g_sgWorld->redraw = 1;
  Render(-1);
  if (CountDownStatusLine() && g_sgWorld) g_sgWorld->redraw = 1;
}

// --- the status line ---

void CVSReplay::DrawStatusText() {
  if (flash.level() != 0.0) {
    // The whole picture (the shading refuses its outermost rows).
    ShadeViewportRect(1, 1, kViewportWidth, kViewportHeight - 1, kFlashColour,
                      static_cast<std::uint8_t>(std::lround(std::min(flash.level(), 100.0))));
    return;
  }
  DrawUnitLabels();
  // The two lines change with the battle and the phase only: a frame does not
  // format them again.
  if (!SharedScreen().statusShown) {
    if (CGAsteroid* a = orders::FindAsteroid(battleAsteroid)) {
      if (battleLineFor != battleAsteroid) {
        battleLine = Text("BATTLEAT", a->GetName());
        battleLineFor = battleAsteroid;
      }
      DrawViewportText(battleLine.c_str(), 0, 3, kViewportWidth, kBattleColour, DT_CENTER, 1, 0);
    }
  }
  const bool paused = SharedScreen().replayMode == 1;
  // Before the first phase is read the number is 0.
  const int phase = ticker.phase() == replay::ReplayTicker::kNotStarted ? 0 : ticker.phase();
  const char* id = ticker.PhaseTextId(paused);
  if (id != phaseLineId || phase != phaseLineNumber) {
    phaseLine = Text(id, phase);
    phaseLineId = id;
    phaseLineNumber = phase;
  }
  const std::string& line = phaseLine;
  // Bold text is refused this low in the viewport.
  DrawViewportText(line.c_str(), 0, 351, kViewportWidth, kPhaseColour, DT_CENTER, 0, 0);
  CVGeneric::DrawStatusText();
}

void CVSReplay::Tell(const char* id) { SetStatusText(Text(id).c_str(), kStatusFrames); }

// --- controls ---

void CVSReplay::OnReplayPause() {
  if (displayList)
    for (CVDispNode* n = displayList->head; n; n = n->next)
      if (n->object->GetType() == DISP_MODEL) n->object->SetVisible(0, 1);
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

void CVSReplay::OnReplayAdvance() {
  if (SharedScreen().replayMode == 2) {
    if (CImageButton* play = ControlButton(control::kReplayPlay)) ShowWindow(play->window, SW_SHOW);
    if (CImageButton* pause = ControlButton(control::kReplayPause)) ShowWindow(pause->window, SW_HIDE);
  }
  SharedScreen().replayMode = 3;
  if (!displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    if (n->object->GetType() != DISP_UNIT) continue;
    auto* unit = static_cast<CVDispUnt*>(n->object);
    replay::EventRecord event;
    if (StateOf(unit) > kDone && CurrentEvent(unit, &event)) {
      ShowEvent(event);
      return;
    }
  }
}

void CVSReplay::PauseBySelf() {
  if (CImageButton* play = ControlButton(control::kReplayPlay)) ShowWindow(play->window, SW_SHOW);
  if (CImageButton* pause = ControlButton(control::kReplayPause)) ShowWindow(pause->window, SW_HIDE);
  SharedScreen().replayMode = 1;
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

void CVSReplay::OnReplayRestart() {
  StopUnitSounds();
  GoToView(VIEW_SPACE_REPLAY, static_cast<LPARAM>(battleAsteroid | 0xFFFF0000u));
}

void CVSReplay::ToggleReplaySpeed() {
  slowReview = slowReview ? 0 : 1;
  Tell(slowReview ? "SLOWREVW" : "FASTREVW");
}

void CVSReplay::LeaveReplayMode(int back) {
  CVGeneric::LeaveReplayMode(0);
  if (back) GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(battleAsteroid | 0xFFFF0000u));
  StopCameraMotion();
}

LRESULT CVSReplay::OnCommand(std::uint32_t id) {
  switch (id) {
    case 205:
      if (!g_gridShown) RebuildGrid();
      break;
    case 206:
      if (g_gridShown) RebuildGrid();
      break;
    case 207:
      MoveGrid(1.5);
      break;
    case 208:
      MoveGrid(-1.5);
      break;
    case 210:
      GoToView(VIEW_TERRAIN, static_cast<LPARAM>(battleAsteroid | 0xFFFF0000u));
      break;
    case 400:
    case 401:
    case 402:
    case 404:
    case 405:
      OnFilterButton(static_cast<int>(id) - 400);
      break;
    case 403:
      Tell("NOTAVAIL");
      break;
    default:
      return 0;
  }
  SetFocus(SharedScreen().viewWnd);
  return 1;
}

// --- leaving ---

void CVSReplay::GoToView(WPARAM type, LPARAM value) {
  SharedScreen().previousViewType = VIEW_SPACE_REPLAY;
  SharedScreen().viewType = static_cast<std::uint32_t>(type);
  const bool wasRunning = replayRunning != 0;
  replayRunning = 0;
  ticker.Stop();
  if (SharedScreen().replayMode == 0)
    StopCameraMotion();
  else
    LeaveReplayMode(0);
  PostMessage(SharedScreen().viewWnd, 0x800, type, value);
  if (g_sgWorld) g_sgWorld->ResetSceneDrawFlag();
  if (g_sndPlay) g_sndPlay->ClearLoopFlags();
  StopUnitSounds();
  ClearDisplayList();
  debrisObject = nullptr;
  flash.Clear();
  CloseReplayFile();
  SharedScreen().previousViewAsteroid = battleAsteroid;
  // The solar view flashes the battle's asteroid next time it opens.
  g_highlightAsteroid = battleAsteroid;
  ShowButtons(false);
  ClearControlArea();
  if (SharedScreen().pendingOrderOption == 4 || SharedScreen().pendingOrderOption == 5) {
    if (const int i = FilterIndex(filterFlags); i >= 0 && filterButtons[static_cast<std::size_t>(i)])
      filterButtons[static_cast<std::size_t>(i)]->Toggle();
    filterFlags = 0;
    SharedScreen().pendingOrderOption = 0xFF;
    RefreshDataPanel(1);
  }
  CGAsteroid* a = orders::FindAsteroid(battleAsteroid);
  CVSgWorld* w = g_sgWorld;
  if (wasRunning && a && w) {
    double pos[3];
    float forward[3], up[3];
    w->GetCameraPosition(pos);
    w->GetCameraForward(forward);
    w->GetCameraUp(up);
    a->SetViewCamera(pos, forward, up);
    if (CVAstSpace* space = AsteroidSpaceView()) HandCameraTo(*space, pos, forward, up);
  }
  CVGeneric::DrawGotoBar();
}

// --- camera ---

void CVSReplay::HandCameraTo(CVAstSpace& space, const double pos[3], const float forward[3], const float up[3]) {
  CVSgWorld* w = g_sgWorld;
  if (!w) return;
  // The asteroid-space camera is current while the mode is applied, or the
  // replay's own camera would be the one moved.
  w->LockStarField(1);
  space.cameraMode = cameraMode;
  if (w->asteroidCamera) {
    w->SetCamera(w->asteroidCamera);
    w->SetCameraPosition(pos[0], pos[1], pos[2]);
    w->SetCameraOrientationNow(forward, up);
    space.ApplyCameraMode(cameraMode);
  }
  if (w->replayCamera) w->SetCamera(w->replayCamera);
  w->LockStarField(0);
}

void CVSReplay::SetCameraMode(int mode) {
  previousCameraMode = cameraMode;
  cameraMode = static_cast<std::uint8_t>(mode);
}

void CVSReplay::RestoreCameraMode() {
  cameraMode = previousCameraMode;
  if (cameraMode == 4 && !g_gridShown) cameraMode = 2;
}

void CVSReplay::CycleCameraMode(int direction) { ApplyCameraMode(NextAstCameraMode(cameraMode, direction)); }

void CVSReplay::ApplyCameraMode(int mode) {
  static constexpr const char* kTexts[5] = {nullptr, "CAMERAPN", "CAMERAAC", "CAMERAFR", "CAMERALK"};
  if (mode < 1 || mode > 4) return;
  cameraMode = static_cast<std::uint8_t>(mode);
  CVSgWorld* w = g_sgWorld;
  if (w && mode == 2) {
    LookAtTarget(0);
    w->OrientStarField(battleAsteroid, nullptr, nullptr, 1);
  } else if (w && mode == 4) {
    SetCameraMode(4);
    double p[3];
    w->GetCameraPosition(p);
    double h = AxisDistance(p);
    if (h < 20.0) {
      p[0] += (p[0] >= 0.0 ? 1.0 : -1.0) * (40.0 - h);
      p[2] += (p[2] >= 0.0 ? 1.0 : -1.0) * (40.0 - h);
      h = AxisDistance(p);
    }
    p[1] = kCentre + 0.375 * h;
    SetCameraPosition(p, 0);
    float forward[3];
    w->GetCameraForward(forward);
    const float up[3] = {0.f, 1.f, 0.f};
    w->SetCameraOrientation(forward, up);
    LookAtTarget(1);
    w->OrientStarField(battleAsteroid, nullptr, nullptr, 1);
    fogUpdatePending = 1;
  }
  Tell(kTexts[mode]);
}

void CVSReplay::UpdateCamera(int) {
  CVSgWorld* w = g_sgWorld;
  if (!w) return;
  const float forward[3] = {0.f, 0.f, 1.f}, up[3] = {0.f, 1.f, 0.f};
  w->SetCameraOrientationNow(forward, up);
  const double at[3] = {kCentre, kCentre, 1065.0};
  SetCameraPosition(at, 0);
  FaceUnitsToCamera();
  fogUpdatePending = 1;
  w->OrientStarField(battleAsteroid, nullptr, nullptr, 1);
}

// --- clicks and the goto bar ---

int CVSReplay::OnLButtonDown(int x, int y, WPARAM keys) {
  if (y < 74) {
    if (g_sndPlay) g_sndPlay->PlayEffect("Click", 1.0f, 0.0f, 0);
    ActivateGotoSlot(x / 80, x, y);
    return 1;
  }
  if (CVGeneric::OnLButtonDown(x, y, keys)) return 1;
  if (x > 637 && y > 98) {
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->OnClick(x, y, 0);
    return 1;
  }
  // A click into the viewport ends the replay and reaches the view after it.
  LeaveReplayMode(1);
  PostMessage(SharedScreen().viewWnd, WM_LBUTTONDOWN, keys, static_cast<LPARAM>((y << 16) | (x & 0xFFFF)));
  return 1;
}

void CVSReplay::ActivateGotoSlot(int slot, int, int) {
  if (slot < 0 || slot >= static_cast<int>(eventBar.size())) return;
  const replay::EventBarEntry& e = eventBar[static_cast<std::size_t>(slot)];
  if (e.kind != replay::kBarUnit) return;
  if (CVDispUnt* object = UnitObject(e.value)) StartGlide(object, nullptr);
}

void CVSReplay::HandleObjectPick(CVDispObj* object) {
  if (!object) {
    TraceError("CVSReplay - no object to mark", __FILE__, __LINE__);
    return;
  }
  if (object->GetType() == DISP_UNIT && !CVAstSpace::labelsOn && PassesFilter(object->key.id))
    MarkObject(object, kFilterMarker, GetChapterFromId(object->key.id));
}

// --- buttons ---

void CVSReplay::ShowButtons(bool show) {
  auto set = [](CImageButton* b, bool on) {
    if (b && b->window) ShowWindow(b->window, on ? SW_SHOW : SW_HIDE);
  };
  for (CImageButton* b : filterButtons) set(b, show);
  set(gridButtons[kGridOn], show && !g_gridShown);
  set(gridButtons[kGridOff], show && g_gridShown);
  set(gridButtons[kGridUp], show && g_gridShown);
  set(gridButtons[kGridDown], show && g_gridShown);
  set(gridButtons[kTerrain], show);
}

void CVSReplay::UpdateControlPanel() {
  // Advancing shows the replay controls as playing does (the pause button).
  const std::uint16_t mode = SharedScreen().replayMode;
  if (mode == 3) SharedScreen().replayMode = 2;
  CVGeneric::UpdateControlPanel();
  SharedScreen().replayMode = mode;
  // Shown before they are drawn: showing a button window paints it afresh.
  if (SharedScreen().infoPanelVisible) {
    for (CImageButton* b : filterButtons)
      if (b && b->window) ShowWindow(b->window, SW_SHOW);
  } else {
    ShowButtons(true);
  }
  for (CImageButton* b : filterButtons) DrawButton(b);
  if (!SharedScreen().infoPanelVisible) {
    if (g_gridShown) {
      for (int i : {kGridOff, kGridUp, kGridDown}) DrawButton(gridButtons[static_cast<std::size_t>(i)]);
    } else {
      DrawButton(gridButtons[kGridOn]);
    }
    DrawButton(gridButtons[kTerrain]);
  }
  FlushScreen();
}

void CVSReplay::OnDrawItem(DRAWITEMSTRUCT* item) {
  if (!item) return;
  const int id = static_cast<int>(item->CtlID);
  CImageButton* b = nullptr;
  if (id >= 400 && id <= 405) b = filterButtons[static_cast<std::size_t>(id - 400)];
  if (id == 205 && !g_gridShown) b = gridButtons[kGridOn];
  if (id == 206 && g_gridShown) b = gridButtons[kGridOff];
  if (id == 207 && g_gridShown) b = gridButtons[kGridUp];
  if (id == 208 && g_gridShown) b = gridButtons[kGridDown];
  if (id == 210) b = gridButtons[kTerrain];
  DrawButtonItem(b, *item);
}

void CVSReplay::RebuildGrid() {
  CVB3DView::RebuildGrid();
  if (SharedScreen().infoPanelVisible) return;
  ShowButtons(true);
  if (g_gridShown) {
    for (int i : {kGridOff, kGridUp, kGridDown}) DrawButton(gridButtons[static_cast<std::size_t>(i)]);
  } else {
    DrawButton(gridButtons[kGridOn]);
  }
  FlushScreen();
}

// --- filters ---

int CVSReplay::FilterIndex(std::uint16_t flags) {
  for (int i = 0; i < kFilterCount; ++i)
    if (flags == (1u << i)) return i;
  return -1;
}

void CVSReplay::OnFilterButton(int i) {
  Tell("PROSCCMD");
  Render(-1);
  UnmarkFilteredUnits();
  filterInverted = orders::ShiftHeld() ? 1 : 0;
  bool same = false;
  if (filterFlags) {
    const int old = FilterIndex(filterFlags);
    if (SharedScreen().pendingOrderOption == 5) filterChapter = 0xFF;
    if (SharedScreen().pendingOrderOption == 4 || SharedScreen().pendingOrderOption == 5) {
      SharedScreen().pendingOrderOption = 0xFF;
      RefreshDataPanel(1);
    }
    if (old >= 0 && filterButtons[static_cast<std::size_t>(old)])
      filterButtons[static_cast<std::size_t>(old)]->Toggle();
    same = old == i;
  }
  if (i < 0 || i >= kFilterCount || same) {
    filterFlags = 0;
  } else {
    filterFlags = static_cast<std::uint16_t>(1u << i);
    if (filterButtons[static_cast<std::size_t>(i)]) filterButtons[static_cast<std::size_t>(i)]->Toggle();
  }
  if (filterFlags == 0x10) {
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->ShowGuildList();
    SharedScreen().pendingOrderOption = 4;
    Tell("SELCTGLD");
    FlushScreen();
    return;
  }
  FlushScreen();
  ShowFilterText();
  MarkFilteredUnits();
}

void CVSReplay::ShowGuildMenu() {
  const int k = filterFlags ? FilterIndex(filterFlags) + 1 : 0;
  // After the last button the filter goes off; this path reaches the unscanned filter too.
  OnFilterButton(k >= kFilterCount ? -1 : k);
}

void CVSReplay::OnSelectGuild(int guild) {
  UnmarkFilteredUnits();
  filterChapter = static_cast<std::uint16_t>(guild * 8);
  if (SharedScreen().dataPanel)
    SharedScreen().pendingOrderOption = static_cast<std::uint8_t>(SharedScreen().dataPanel->ShowGuildMembers(guild));
  Tell("SELCTCHP");
}

void CVSReplay::OnSelectChapter(std::uint32_t slot) {
  filterChapter = static_cast<std::uint16_t>(filterChapter + slot);
  ShowFilterText();
  MarkFilteredUnits();
  SharedScreen().pendingOrderOption = 0xFF;
  RefreshDataPanel(1);
}

bool CVSReplay::PassesFilter(std::uint32_t unitId) {
  CVDispUnt* object = UnitObject(unitId);
  if (!object || object->wreck) return false;
  const std::uint32_t chapter = GetChapterFromId(unitId);
  const std::uint32_t local = LocalChapterId();
  const int localGuild = LocalGuild(-1);
  bool pass = false;
  if (filterFlags & 0x08) {
    CGUnit* unit = g_gameData ? g_gameData->pieces.FindUnitAt(battleAsteroid, unitId) : nullptr;
    pass = chapter != local && unit && !(unit->design && unit->design->visible);
  } else if (filterFlags & 0x20) {
    pass = true;
  } else if (filterFlags & 0x01) {
    pass = chapter == local;
  } else if (filterFlags & 0x06) {
    const CGChapter* c = ChapterOf(chapter);
    // An interregnum camp marks a rebel as surely as a renegade does.
    const bool rebel = c && (c->renegade != 0 || c->camp != 0);
    pass = static_cast<int>(chapter >> 3) == localGuild && c && ((filterFlags & 0x04) ? rebel : !rebel);
  } else if (filterFlags & 0x10) {
    pass = chapter == filterChapter;
  } else {
    return false;
  }
  return filterInverted ? !pass : pass;
}

void CVSReplay::MarkFilteredUnits() {
  if (!filterFlags || CVAstSpace::labelsOn || !displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next)
    if (n->object->GetType() == DISP_UNIT && PassesFilter(n->object->key.id))
      MarkObject(n->object, kFilterMarker, GetChapterFromId(n->object->key.id));
}

void CVSReplay::UnmarkFilteredUnits() {
  if (!filterFlags || CVAstSpace::labelsOn || !displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next)
    if (n->object->GetType() == DISP_UNIT && PassesFilter(n->object->key.id)) UnmarkObject(n->object, kFilterMarker);
}

void CVSReplay::ShowFilterText() { ShowUnitFilterText(filterFlags, filterInverted != 0, filterChapter, kStatusFrames); }

void CVSReplay::ToggleUnitHalos() {
  if (CVAstSpace::labelsOn) {
    CVAstSpace::labelsOn = 0;
    MarkFilteredUnits();
  } else {
    UnmarkFilteredUnits();
    CVAstSpace::labelsOn = 1;
  }
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

// --- labels ---

void CVSReplay::DrawUnitLabels() {
  if (!CVAstSpace::labelsOn || SharedScreen().infoPanelVisible || !displayList || !g_gameData) return;
  bool allVisible = true;
  const std::uint32_t local = LocalChapterId();
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    CVDispObj* object = n->object;
    if (object->GetType() != DISP_UNIT || !PassesFilter(object->key.id)) continue;
    CGUnit* unit = g_gameData->pieces.FindOperationalUnitAt(battleAsteroid, object->key.id);
    if (!unit) continue;
    int sx = 0, sy = 0;
    object->GetScreenPosition(&sx, &sy);
    if (sx == 0x7FFF || sx < 1 || sx > kViewportWidth || sy < 1 || sy > kViewportHeight - 1) {
      allVisible = false;
      if (sx == 0x7FFF) continue;
    }
    const char* name = unit->GetName() ? unit->GetName() : "";
    const COLORREF colour =
        unit->GetChapter() == local ? GetFullColor(unit->GetGuild()) : GetBrightColor(unit->GetGuild());
    DrawViewportText(name, sx, sy, static_cast<int>(std::strlen(name)) * 8, colour, 0, 0, 0);
  }
  if (allVisible)
    ShowLampFrame8();
  else
    ShowLampFrame4();
}
