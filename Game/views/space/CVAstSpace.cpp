// The asteroid-space view: scene, camera modes, buttons, saved block.
#include "Game/views/space/CVAstSpace.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/LocalGuildArt.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/SettingsApplication.h"
#include "Game/views/world/CDispLine.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "Game/views/world/ViewScene.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr double kCentre = 1100.0;
constexpr int kFilterCount = 6;

struct ButtonSpec {
  int id, x, y, width, height;
  const char* tooltip;
  const char* normal;
  const char* pressed;
  int help;
};

constexpr const char* kFilterStems[kFilterCount] = {"mine_", "loyal", "rebel", "unclm", "chap_", "guild"};

// The grid and terrain buttons, in creation order: on, off, raise, lower, terrain.
constexpr ButtonSpec kGridButtons[5] = {
    {306, 637, 518, 76, 24, "VAGRIDON", "gridofup", "gridofdn", 279},
    {307, 662, 518, 26, 24, "VAGRDOFF", "gridonup", "gridondn", 280},
    {308, 688, 518, 25, 24, "VAGRIDUP", "gridupup", "gridupdn", 281},
    {309, 637, 518, 25, 24, "VAGRDDWN", "griddnup", "griddndn", 282},
    {311, 713, 518, 77, 24, "VAGTTRRN", "gtterrup", "gtterrdn", 283},
};

// The horizontal distance from the vertical axis through the asteroid.
double AxisDistance(const double p[3]) { return std::hypot(p[0] - kCentre, p[2] - kCentre); }

}  // namespace

// --- construction ---

CVAstSpace::CVAstSpace(HWND window_, HINSTANCE instance_) : CVB3DView(window_, instance_) {
  if (g_gameData && g_gameData->turn == 0) {
    const CGChapter* local = g_gameData->GetLocalChapter();
    CGAsteroid* home = local ? orders::FindAsteroid(local->homeAsteroid) : nullptr;
    if (home) {
      double pos[3];
      float forward[3], up[3];
      home->GetViewCamera(pos, forward, up);
      pos[2] = 1080.0;
      home->SetViewCamera(pos, forward, up);
    }
  }
  window = window_;
  instance = instance_;
  currentAsteroid = pendingAsteroid = orders::SolarSpace();
  cameraMode = 2;
  LoadSceneConfig();
  CreateButtons();
}

CVAstSpace::~CVAstSpace() {
  for (CImageButton*& b : filterButtons) {
    delete b;
    b = nullptr;
  }
  for (CImageButton** b : {&gridOnButton, &gridOffButton, &gridUpButton, &gridDownButton, &terrainButton}) {
    delete *b;
    *b = nullptr;
  }
  // The last 3D view takes the world, and the scene's folder goes with it.
  if (g_live3DViews == 1) ReleaseViewSceneData();
}

void CVAstSpace::CreateButtons() {
  auto make = [&](int id, int x, int y, int w, int h, const char* tipId, const std::string& normal,
                  const std::string& pressed, int help) {
    char tip[256] = {};
    if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(tipId, tip, sizeof tip);
    auto* button = new CImageButton();
    button->Create(SharedScreen().viewDDraw, window, instance, SharedScreen().tooltipWnd, tip, id, x, y, w, h, 0,
                   static_cast<DWORD>(help), LocalGuildArtModule());
    button->SetImages(normal.c_str(), pressed.c_str());
    if (button->window) ShowWindow(button->window, SW_HIDE);
    return button;
  };
  for (int i = 0; i < kFilterCount; ++i) {
    char tipId[24], normal[40], pressed[40];
    std::snprintf(tipId, sizeof tipId, "FILTBTN%d", i);
    std::snprintf(normal, sizeof normal, "solview\\sf%sd.ima", kFilterStems[i]);
    std::snprintf(pressed, sizeof pressed, "solview\\sf%su.ima", kFilterStems[i]);
    filterButtons[static_cast<std::size_t>(i)] = make(300 + i, 637 + 25 * i, 494, 25 + (i % 2), 24, tipId,
                                                      LocalGuildArt(normal), LocalGuildArt(pressed), 284 + i);
  }
  CImageButton** slots[5] = {&gridOnButton, &gridOffButton, &gridUpButton, &gridDownButton, &terrainButton};
  for (int i = 0; i < 5; ++i) {
    const ButtonSpec& s = kGridButtons[i];
    const std::string normal = LocalGuildArt((std::string("solview\\") + s.normal + ".ima").c_str());
    const std::string pressed = LocalGuildArt((std::string("solview\\") + s.pressed + ".ima").c_str());
    *slots[i] = make(s.id, s.x, s.y, s.width, s.height, s.tooltip, normal, pressed, s.help);
  }
}

void CVAstSpace::LoadSceneConfig() {
  CVSgWorld* w = g_sgWorld;
  if (!w || !UseViewScene(&w->asteroidScene, &w->asteroidCamera)) return;
  w->SetCameraOrientationNow(homeForward, homeUp);
  w->SetCameraPosition(homePosition[0], homePosition[1], homePosition[2]);
  UpdateCamera(1);
  // The player may have turned the fog off; the grid is made again under the new fog.
  if (!ApplicationDistanceFogOn()) {
    const bool grid = GridTileCount() != 0;
    if (grid) RebuildGrid();
    SetDistanceFog(0);
    if (grid) RebuildGrid();
  }
}

// --- coordinates ---

void CVAstSpace::LocationToWorld(const Location& l, double out[3]) {
  out[0] = PackedToWorld(l.x);
  out[1] = PackedToWorld(l.y);
  out[2] = PackedToWorld(l.z);
}

void CVAstSpace::WorldToLocation(const double p[3], Location* out) const {
  out->asteroid = currentAsteroid;
  out->x = WorldToPacked(p[0]);
  out->y = WorldToPacked(p[1]);
  out->z = WorldToPacked(p[2]);
}

void CVAstSpace::PositionObject(const Location& location, CVDispObj* object) {
  if (!object) return;
  double at[3];
  LocationToWorld(location, at);
  object->SetPosition(at);
}

// --- camera ---

void CVAstSpace::SetCameraMode(int mode) {
  if (cameraMode == 4) return;
  previousCameraMode = cameraMode;
  cameraMode = static_cast<std::uint8_t>(mode);
}

void CVAstSpace::CycleCameraMode(int direction) {
  cameraMode = static_cast<std::uint8_t>(NextAstCameraMode(cameraMode, direction));
  ApplyCameraMode(cameraMode);
}

void CVAstSpace::ApplyCameraMode(int mode) {
  static constexpr const char* kTexts[5] = {nullptr, "CAMERAPN", "CAMERAAC", "CAMERAFR", "CAMERALK"};
  if (mode < 1 || mode > 4) return;
  orders::Tell(*this, kTexts[mode]);
  CVSgWorld* w = g_sgWorld;
  if (!w) return;
  if (mode == 2) {
    LookAtTarget(0);
    w->OrientStarField(currentAsteroid, nullptr, nullptr, 1);
  } else if (mode == 4) {
    double p[3];
    w->GetCameraPosition(p);
    double r = AxisDistance(p);
    if (r < 20.0) {
      p[0] += 40.0 - r;
      p[2] += 40.0 - r;
      r = AxisDistance(p);
    }
    p[1] = kCentre + 0.375 * r;
    SetCameraPosition(p, 0);
    float forward[3];
    w->GetCameraForward(forward);
    const float up[3] = {0.f, 1.f, 0.f};
    w->SetCameraOrientation(forward, up);
    LookAtTarget(1);
    w->OrientStarField(currentAsteroid, nullptr, nullptr, 1);
    fogUpdatePending = 1;
  }
}

void CVAstSpace::UpdateCamera(int flag) {
  CVSgWorld* w = g_sgWorld;
  if (!w) return;
  w->GetCameraPosition(homePosition);
  w->GetCameraForward(homeForward);
  w->GetCameraUp(homeUp);
  const float forward[3] = {0.f, 0.f, 1.f}, up[3] = {0.f, 1.f, 0.f};
  w->SetCameraOrientationNow(forward, up);
  const double at[3] = {kCentre, cameraMode == 4 ? 1115.0 : kCentre, 1060.0};
  w->SetCameraPosition(at[0], at[1], at[2]);
  LookAtTarget(0);
  RefreshObjects(0);
  fogUpdatePending = 1;
  if (flag) w->OrientStarField(currentAsteroid, nullptr, nullptr, 1);
  glideActive = 0;
}

void CVAstSpace::RestoreAsteroidCamera(std::uint16_t asteroid) {
  CGAsteroid* a = orders::FindAsteroid(asteroid);
  CVSgWorld* w = g_sgWorld;
  if (!a || !w) return;
  double pos[3];
  float forward[3], up[3];
  a->GetViewCamera(pos, forward, up);
  if (cameraMode == 4) {
    double r = AxisDistance(pos);
    if (r < 10.0) {
      double dx = pos[0] - kCentre, dz = pos[2] - kCentre;
      if (r < 1e-9) {
        dx = 0.0;
        dz = -1.0;
        r = 0.0;
      } else {
        dx /= r;
        dz /= r;
      }
      pos[0] = kCentre + dx * 10.0;
      pos[2] = kCentre + dz * 10.0;
      r = 10.0;
    }
    const float lockedUp[3] = {0.f, 1.f, 0.f};
    w->SetCameraOrientationUp(lockedUp, forward);
    pos[1] = kCentre + 0.375 * r;
    SetCameraPosition(pos, 1);
  } else if (cameraMode == 1) {
    if (pos[2] >= 1089.0 || pos[2] <= 920.0) {
      const double start[3] = {kCentre, kCentre, 1060.0};
      SetCameraPosition(start, 0);
    } else {
      SetCameraPosition(pos, 0);
    }
    const float f[3] = {0.f, 0.f, 1.f}, u[3] = {0.f, 1.f, 0.f};
    w->SetCameraOrientationNow(f, u);
  } else {
    w->SetCameraOrientationNow(forward, up);
    SetCameraPosition(pos, cameraMode == 3 ? 0 : 1);
  }
  if (SharedScreen().previousViewType != VIEW_SPACE_REPLAY) w->OrientStarField(asteroid, nullptr, nullptr, 1);
}

void CVAstSpace::RecenterCamera() {
  CGAsteroid* a = orders::FindAsteroid(currentAsteroid);
  if (!a || !g_sgWorld) return;
  double pos[3];
  float forward[3], up[3];
  g_sgWorld->GetCameraPosition(pos);
  g_sgWorld->GetCameraForward(forward);
  g_sgWorld->GetCameraUp(up);
  a->SetViewCamera(pos, forward, up);
}

void CVAstSpace::Jump(int step) {
  const std::uint16_t count = orders::SolarSpace();
  if (count == 0 || !g_gameData) return;
  const std::uint16_t local = LocalChapterId();
  const std::uint16_t start = currentAsteroid < count ? currentAsteroid : 0;
  std::uint16_t cursor = start;
  while (true) {
    cursor = step > 0 ? static_cast<std::uint16_t>((cursor + 1) % count)
                      : static_cast<std::uint16_t>(cursor == 0 ? count - 1 : cursor - 1);
    if (cursor == start) {
      orders::Tell(*this, "JUMPFAIL");
      return;
    }
    CGAsteroid* a = orders::FindAsteroid(cursor);
    if (!a) continue;
    if (g_gameData->pieces.CountUnits(cursor, static_cast<std::int16_t>(local)) > 0 || a->owner == local ||
        a->IsChapterPresent(local))
      break;
  }
  g_jumpAsteroid = cursor;
  GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(cursor | 0xFFFF0000u));
}

// --- showing ---

void CVAstSpace::Render(std::int32_t argument) {
  if (!sceneShown) {
    const auto value = static_cast<std::uint32_t>(argument);
    if ((value >> 16) == 0xFFFF)
      ShowLocation(true, value == 0xFFFFFFFFu ? 0xFFFFFFFFu : (value & 0xFFFF));
    else
      ShowLocation(false, value);
  }
  if (DrawFrame()) FlushScreen();
}

void CVAstSpace::Invalidate() {
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

void CVAstSpace::ShowLocation(bool isAsteroid, std::uint32_t value) {
  const std::uint16_t none = orders::SolarSpace();
  if (isAsteroid && value == 0xFFFFFFFFu) {
    if (pendingAsteroid != none) {
      value = pendingAsteroid;
      pendingAsteroid = none;
    } else {
      value = currentAsteroid;
    }
  }
  sceneShown = 1;
  RefreshDataPanel(1);
  UpdateControlPanel();
  ShowLampFrame8();
  FlushScreen();
  // The replay hid the notification panel.
  if (SharedScreen().notifyPanel && SharedScreen().notifyPanel->Show(1)) SharedScreen().notifyPanel->ResetLines();
  CVSgWorld* w = g_sgWorld;
  if (w && w->asteroidScene && w->GetScene() != w->asteroidScene) {
    w->SetScene(w->asteroidScene);
    if (w->asteroidCamera) w->SetCamera(w->asteroidCamera);
  }
  // Back from this asteroid's replay the sky stays as the replay left it.
  const bool fromReplay =
      SharedScreen().previousViewType == VIEW_SPACE_REPLAY && SharedScreen().previousViewAsteroid == currentAsteroid;
  if (fromReplay && w) w->LockStarField(1);
  ShowPlace(isAsteroid, value);
  if (fromReplay && w) w->LockStarField(0);
}

void CVAstSpace::ShowPlace(bool isAsteroid, std::uint32_t value) {
  const std::uint16_t none = orders::SolarSpace();
  if (isAsteroid) {
    CGAsteroid* a = orders::FindAsteroid(value);
    if (!a) {
      TraceError("CVAstSpace - no such asteroid", __FILE__, __LINE__);
      GoToView(VIEW_SOLAR, static_cast<LPARAM>(-1));
      return;
    }
    const auto index = static_cast<std::uint16_t>(value);
    if (!SharedScreen().infoPanelVisible && g_gameData) {
      const std::uint16_t local = LocalChapterId();
      char text[300] = {};
      const char* name = a->GetName();
      // Read through the model, which brings the scan up to the turn while the
      // chapter has units here or owns the asteroid, as the data panel reads it.
      const std::uint16_t scanned = a->GetLastScanTurn();
      const std::uint32_t age = g_gameData->turn - scanned;
      // The text index puts the name in for %s1 and the age for %n2.
      const char* id = scanned == 0 && !g_gameData->pieces.HasOperationalUnits(index, local) ? "S_UNKNON"
                       : age == 0                                                            ? "S_UPTODT"
                       : age == 1                                                            ? "S_LSTUD1"
                                                                                             : "S_LSTUD2";
      if (g_gameData->textIndex)
        g_gameData->textIndex->GetText(id, text, sizeof text - 1, name ? name : "", static_cast<std::int32_t>(age));
      SetStatusText(text, orders::kStatusTime);
    }
    const bool gridMatches = (GridTileCount() != 0) == (g_gridShown != 0);
    if (index == currentAsteroid && gridMatches) {
      RefreshGridOwnerColour();
      UpdateUnitObjects();
      RestoreAsteroidCamera(index);
    } else {
      ClearDisplayList();
      currentAsteroid = index;
      BuildScene();
      g_jumpAsteroid = index;
      RestoreAsteroidCamera(index);
    }
  } else {
    std::uint16_t at = 0;
    CGUnit* unit = g_gameData ? g_gameData->pieces.FindUnit(value, &at) : nullptr;
    if (!unit) {
      TraceError("CVAstSpace - no such unit", __FILE__, __LINE__);
      at = currentAsteroid < none ? currentAsteroid : 0;
    }
    const bool sameAsteroid = at == currentAsteroid;
    if (sameAsteroid) {
      RefreshGridOwnerColour();
      UpdateUnitObjects();
    } else {
      ClearDisplayList();
      currentAsteroid = at;
      BuildScene();
      g_jumpAsteroid = 1;
      UpdateCamera(1);
    }
    CVDispObj* object = unit ? ObjectOfUnit(unit->id) : nullptr;
    if (unit && !object) TraceError("CVAstSpace - the unit has no object", __FILE__, __LINE__);
    if (object && (!restoreCamera || (sameAsteroid && SharedScreen().previousViewType == VIEW_ASTEROID_SPACE))) {
      FlyTo(object);
      if (cameraMode == 4) FlashUnit(unit->id);
    } else if (unit) {
      RestoreAsteroidCamera(currentAsteroid);
      FlashUnit(unit->id);
    }
  }
  if (stale) {
    stale = 0;
    MoveAllUnitObjects();
  }
  MarkSelection();
  ApplyFilterHighlights();
  Invalidate();
  fogUpdatePending = 1;
  // What now lies under the pointer is read out without waiting for it to move.
  POINT cursor{};
  GetCursorPos(&cursor);
  OnMouseMove(0, MAKELPARAM(static_cast<WORD>(cursor.x), static_cast<WORD>(cursor.y)));
  UpdateCursor();
  RefreshObjects(1);
}

void CVAstSpace::BuildScene() {
  EnsureGrid();
  CGAsteroid* a = orders::FindAsteroid(currentAsteroid);
  if (!a || !CreateAsteroidObject(a)) {
    TraceError("CVAstSpace - the asteroid's object was not made", __FILE__, __LINE__);
    GoToView(VIEW_SOLAR, static_cast<LPARAM>(-1));
    return;
  }
  if (!g_gameData) return;
  double camera[3] = {kCentre, kCentre, 1060.0};
  if (g_sgWorld) g_sgWorld->GetCameraPosition(camera);
  const int chapters = 32 + g_gameData->chaptersPerGuild;
  for (int c = 0; c < chapters; ++c) {
    const std::uint32_t n = g_gameData->pieces.CountUnits(currentAsteroid, static_cast<std::int16_t>(c));
    for (std::uint32_t k = n; k-- > 0;) {
      CGUnit* unit =
          g_gameData->pieces.GetUnitAt(currentAsteroid, static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(k));
      if (!unit) continue;
      double at[3];
      LocationToWorld(unit->location, at);
      if (CVDispUnt* object = CreateUnitObject(unit, at)) static_cast<CVDispObj*>(object)->UpdateMaterials(0);
    }
  }
}

CVDispObj* CVAstSpace::ObjectOfUnit(std::uint32_t unitId) {
  return displayList ? displayList->Find(DISP_UNIT, unitId) : nullptr;
}

void CVAstSpace::RefreshGridOwnerColour() {
  if (!g_gridShown || !displayList) return;
  CGAsteroid* a = orders::FindAsteroid(currentAsteroid);
  CVDispObj* object = displayList->Find(DISP_ASTEROID, currentAsteroid);
  if (!a || !object) return;
  for (CVDispNode* n = object->children; n; n = n->next) {
    if (n->object->GetType() != DISP_LINE) continue;
    if (static_cast<CDispLine*>(n->object)->chapter != a->owner) {
      RebuildGrid();
      RebuildGrid();
    }
    return;
  }
}

void CVAstSpace::GoToView(WPARAM type, LPARAM value) {
  SharedScreen().previousViewType = VIEW_ASTEROID_SPACE;
  SharedScreen().viewType = static_cast<std::uint32_t>(type);
  sceneShown = 0;
  PostMessage(SharedScreen().viewWnd, 0x800, type, value);
  if (g_sgWorld) g_sgWorld->ResetSceneDrawFlag();
  UnmarkAll();
  DrawGotoBar();
  flashCount = 0;
  SharedScreen().previousViewAsteroid = currentAsteroid;
  RecenterCamera();
  ShowButtons(false);
  HideControlButtons();
  if (SharedScreen().pendingOrderOption == 4 || SharedScreen().pendingOrderOption == 5) {
    if (filterMask == 0x10 && filterButtons[4]) filterButtons[4]->Toggle();
    filterMask = 0;
    SharedScreen().pendingOrderOption = 255;
    RefreshDataPanel(0);
  }
  StopCameraMotion();
}

void CVAstSpace::PlayFrameAnimation(std::uint32_t ms) {
  g_animElapsedMs += ms;
  const bool step = g_animElapsedMs >= 75;
  if (flashCount && flashId != 0x7FFFFFFF && step) {
    if (--flashCount == 0) EndFlash();
  } else if (!SharedScreen().infoPanelVisible && SharedScreen().frameAnimationsOn) {
    AnimateFrame(ms);
  }
  // The status line goes after its time, one step at a time; a line shown
  // until it is replaced (the height prompt) stays.
  if (step && CountDownStatusLine() && g_sgWorld) g_sgWorld->redraw = 1;
  if (ms > 0) g_frameRate = ms < 100 ? 1000.0 / ms : 10.0;
  if (targetLineActive) {
    POINT p{};
    GetCursorPos(&p);
    TrackHeightTarget(p.x, p.y);
  }
  ApplyCameraMotion();
  ApplyGridMotion();
  Render(-1);
}

void CVAstSpace::EndFlash() {
  flashCount = 0;
  if (CVDispObj* object = flashId != 0x7FFFFFFF ? ObjectOfUnit(flashId) : nullptr) {
    UnmarkObject(object, 4);
    if (g_gameData && g_gameData->IsSelected(SEL_UNIT, flashId)) MarkObject(object, 0, LocalChapterId());
  }
  ClearOrderTargetMarker(nullptr);
  flashId = 0x7FFFFFFF;
}

void CVAstSpace::FlashUnit(std::uint32_t id) {
  if (!g_gameData || !g_gameData->pieces.FindUnitAt(currentAsteroid, id)) {
    TraceError("CVAstSpace - the flashed unit is not here", __FILE__, __LINE__);
    return;
  }
  if (SharedScreen().infoPanelVisible) return;
  if (flashCount && (flashId != id || flashKind != 2)) EndFlash();
  flashKind = 2;
  flashId = id;
  flashCount = 11;
  if (CVDispObj* object = ObjectOfUnit(id)) {
    if (object->HasHalo()) UnmarkObject(object, 0xFFFF);
    MarkObject(object, 4, LocalChapterId());
  }
}

void CVAstSpace::ShowObject(int kind, std::uint32_t id) {
  ClearOrderTargetMarker(nullptr);
  const int flashAs = kind == 12 ? 0 : kind;
  if (flashCount && flashId == id && flashKind == flashAs) return;
  if (flashCount) EndFlash();
  if (kind == 0 || kind == 12) {
    flashKind = 0;
    ShowAsteroidHover(id);
  } else if (kind == 2) {
    if (g_gameData && g_gameData->pieces.FindUnitAt(currentAsteroid, id)) FlashUnit(id);
    ShowUnitHover(id, 0xFFFF);
  }
}

void CVAstSpace::RebuildDisplay() {
  UpdateUnitObjects();
  MarkSelection();
  RefreshGridOwnerColour();
  Invalidate();
  MoveAllUnitObjects();
  ClearFilterHighlights();
  ApplyFilterHighlights();
  stale = 0;
  RefreshDataPanel(1);
  ForgetCoveredStatusLine();
  if (SharedScreen().statusShown) SharedScreen().statusShown = 1;
}

void CVAstSpace::OnTurnProcessing() {
  ClearOrderTargetMarker(nullptr);
  StopCameraMotion();
  UpdateSelectionDisplay(1);
}

// --- buttons ---

void CVAstSpace::ShowButtons(bool show) {
  auto set = [](CImageButton* b, bool on) {
    if (b && b->window) ShowWindow(b->window, on ? SW_SHOW : SW_HIDE);
  };
  for (CImageButton* b : filterButtons) set(b, show);
  set(gridOnButton, show && !g_gridShown);
  set(gridOffButton, show && g_gridShown);
  set(gridUpButton, show && g_gridShown);
  set(gridDownButton, show && g_gridShown);
  set(terrainButton, show);
}

void CVAstSpace::UpdateControlPanel() {
  CVGeneric::UpdateControlPanel();
  ShowButtons(!SharedScreen().infoPanelVisible);
  if (SharedScreen().infoPanelVisible) return;
  for (CImageButton* b : filterButtons) DrawButton(b);
  DrawGridButtons();
  DrawButton(terrainButton);
  FlushScreen();
}

void CVAstSpace::OnDrawItem(DRAWITEMSTRUCT* item) {
  if (!item) return;
  const int id = static_cast<int>(item->CtlID);
  CImageButton* b = nullptr;
  if (id >= 300 && id <= 305) b = filterButtons[static_cast<std::size_t>(id - 300)];
  if (id == 306 && !g_gridShown) b = gridOnButton;
  if (id == 307 && g_gridShown) b = gridOffButton;
  if (id == 308 && g_gridShown) b = gridUpButton;
  if (id == 309 && g_gridShown) b = gridDownButton;
  if (id == 311) b = terrainButton;
  DrawButtonItem(b, *item);
}

LRESULT CVAstSpace::OnCommand(std::uint32_t id) {
  if (id >= 300 && id <= 305) {
    ToggleFilter(static_cast<int>(id) - 300);
  } else if (id == 306) {
    if (!g_gridShown) RebuildGrid();
  } else if (id == 307) {
    if (g_gridShown) RebuildGrid();
  } else if (id == 308) {
    MoveGrid(1.5);
  } else if (id == 309) {
    MoveGrid(-1.5);
  } else if (id == 311) {
    GoToView(VIEW_TERRAIN, static_cast<LPARAM>(currentAsteroid | 0xFFFF0000u));
  } else {
    return 0;
  }
  SetFocus(SharedScreen().viewWnd);
  return 1;
}

void CVAstSpace::RebuildGrid() {
  CVB3DView::RebuildGrid();
  if (SharedScreen().infoPanelVisible) return;
  ShowButtons(true);
  DrawGridButtons();
  FlushScreen();
}

void CVAstSpace::DrawGridButtons() {
  // The grid-on button shares its place with the lower-grid button.
  if (g_gridShown) {
    for (CImageButton* b : {gridOffButton, gridUpButton, gridDownButton}) DrawButton(b);
  } else {
    DrawButton(gridOnButton);
  }
}

int CVAstSpace::ShowObjectMenu(int x, int y) {
  CGAsteroid* a = orders::FindAsteroid(currentAsteroid);
  const std::uint16_t local = LocalChapterId();
  ClosePopupMenu();
  SharedScreen().popupMenu =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite,
                     static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), 0xFFFF, 0);
  auto add = [](std::uint32_t id, const char* stem) {
    const std::string normal = LocalGuildArt((std::string("pm") + stem + ".ima").c_str());
    const std::string lit = LocalGuildArt((std::string("ph") + stem + ".ima").c_str());
    SharedScreen().popupMenu->AppendItem(id, normal.c_str(), lit.c_str(), LocalGuildArtModule());
  };
  add(506, "transp");
  add(507, "goterr");
  if (a && a->controller == local) add(516, "selvot");
  add(616, "batpln");
  if (a && a->owner == local) add(524, "dstres");
  // The commands reach the framework with the asteroid as the menu's object.
  SharedScreen().menuObjectKind = 0;
  SharedScreen().menuObjectId = currentAsteroid;
  SharedScreen().popupMenu->Track();
  return 1;
}

int CVAstSpace::OnRButtonDown(int x, int y, WPARAM keys) {
  StopCameraMotion();
  if (CVGeneric::OnRButtonDown(x, y, keys)) return 1;
  if ((GetKeyState(VK_MENU) & 0x8000) && x > 28 && x < 615 && y > 97 && y < 466) ShowHelpTopic(305, x, y);
  return 0;
}

// --- the saved block ---

std::vector<std::uint8_t> CVAstSpace::SaveViewBlock() const {
  AstSpaceBlock b;
  b.cameraMode = cameraMode;
  b.asteroid = currentAsteroid;
  b.filterMask = filterMask;
  b.filterChapter = filterChapter;
  b.filterInverted = filterInverted;
  return BuildAstSpaceBlock(b);
}

bool CVAstSpace::LoadViewBlock(std::span<const std::uint8_t> bytes) {
  AstSpaceBlock b;
  if (!ParseAstSpaceBlock(bytes, &b)) return false;
  const std::uint16_t count = orders::SolarSpace();
  sceneShown = 0;
  cameraMode = b.cameraMode;
  // An asteroid past the count: the next show falls back to the solar view.
  pendingAsteroid = b.asteroid < count ? b.asteroid : count;
  currentAsteroid = count;
  if (filterMask && filterButtons[static_cast<std::size_t>(FilterIndex(filterMask))])
    filterButtons[static_cast<std::size_t>(FilterIndex(filterMask))]->Toggle();
  filterMask = b.filterMask;
  filterChapter = b.filterChapter;
  filterInverted = b.filterInverted;
  if (filterMask) {
    const int i = FilterIndex(filterMask);
    if (i >= 0 && filterButtons[static_cast<std::size_t>(i)]) filterButtons[static_cast<std::size_t>(i)]->Toggle();
  }
  return true;
}

int CVAstSpace::SaveState(plat::FILE* file) {
  if (!CVB3DView::SaveState(file)) return 0;
  const std::vector<std::uint8_t> b = SaveViewBlock();
  return plat::fwrite(b.data(), 1, b.size(), file) == b.size() ? 1 : 0;
}

int CVAstSpace::LoadState(plat::FILE* file) {
  if (!CVB3DView::LoadState(file)) return 0;
  std::uint8_t b[kAstSpaceBlockSize] = {};
  if (plat::fread(b, 1, sizeof b, file) != sizeof b) return 0;
  return LoadViewBlock(b) ? 1 : 0;
}

int CVAstSpace::FilterIndex(std::uint16_t mask) {
  std::uint32_t m = mask;
  for (int i = 0; i < 32; ++i) {
    if (m == 1) return i;
    m >>= 1;
  }
  TraceError("CVAstSpace - a filter mask without its bit", __FILE__, __LINE__);
  return -1;
}
