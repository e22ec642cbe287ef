// The 3D views' camera: held keys set three rates that move it each frame at
// the speed of 13.33 frames a second, the zoom between the view's distance
// limits, the turns by camera mode, the glide, the grid plane and the fog;
// and the key table that also starts the selection and view commands.
#include <cmath>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"

using namespace plat;

namespace {

constexpr double kReferenceFrameRate = 13.333333333333334;
constexpr float kTurnRate = 0.1f;
constexpr float kSlowTurnRate = 0.0125f;
constexpr float kStarTurnThresholdX = 0.0012f;
constexpr float kStarTurnThresholdY = 0.00188f;
constexpr double kGridReach = 25.0;
constexpr float kGridStep = 1.5f;

bool Shift() { return orders::ShiftHeld(); }

// v rotated by angle about the unit axis k.
void Rotate(const double v[3], const float k[3], double angle, double out[3]) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double kx = k[0], ky = k[1], kz = k[2];
  const double dot = kx * v[0] + ky * v[1] + kz * v[2];
  const double cross[3] = {ky * v[2] - kz * v[1], kz * v[0] - kx * v[2], kx * v[1] - ky * v[0]};
  for (int i = 0; i < 3; ++i) out[i] = v[i] * c + cross[i] * s + (i == 0 ? kx : i == 1 ? ky : kz) * dot * (1 - c);
}

double DistanceSq(const double a[3], const double b[3]) {
  const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return dx * dx + dy * dy + dz * dz;
}

// The scale of a per-frame rate so that it acts per second as at 13.33 frames.
double FrameScale() { return g_frameRate >= 0.5 ? kReferenceFrameRate / g_frameRate : 1.0; }

// Passes a star-field turn on once the turns gathered pass the threshold.
float GatherStarTurn(float angle, float threshold, float& accumulator) {
  if (std::fabs(angle) >= threshold) return angle;
  accumulator += angle;
  if (std::fabs(accumulator) <= threshold) return 0.f;
  const float out = accumulator;
  accumulator = 0.f;
  return out;
}

// "Limit reached", shown only briefly: the zoom key is usually still held.
void TellLimit(CVGeneric& view) {
  char text[orders::kShortTextSize + 1] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("LIMITRCH", text, orders::kShortTextSize);
  view.SetStatusText(text, 2);
}

// The keys the framework's own table answers; they go no further.
bool BaseTakesKey(WPARAM key, bool ctrl) {
  switch (key) {
    case VK_BACK:
    case VK_RETURN:
    case VK_DELETE:
    case 'D':
    case 'S':
      return true;
    case VK_END:
    case 'L':
    case 'R':
      return ctrl;
    default:
      return key >= '0' && key <= '9';
  }
}

}  // namespace

void CVB3DView::SetCameraRate(int axis, float rate) {
  switch (axis) {
    case 0:
      turnRateX = rate;
      break;
    case 1:
      turnRateY = rate;
      break;
    case 2:
      zoomRate = rate;
      break;
    default:
      return;
  }
  if (rate == 0.f && turnRateX == 0.0 && turnRateY == 0.0 && zoomRate == 0.0) {
    cameraMoving = 0;
    mouseRefreshCount = 1;
  } else {
    cameraMoving = 1;
  }
}

void CVB3DView::StopCameraMotion() {
  turnRateX = turnRateY = zoomRate = 0.0;
  cameraMoving = 0;
  glideActive = 0;
}

void CVB3DView::LookAtTarget(int force) {
  if (!g_sgWorld) return;
  if (!force && (IsCameraLinear() || IsCameraFree())) return;
  g_sgWorld->LookAt(target);
}

void CVB3DView::SetCameraPosition(const double point[3], int force) {
  if (!g_sgWorld) return;
  g_sgWorld->SetCameraPosition(point[0], point[1], point[2]);
  LookAtTarget(force);
}

void CVB3DView::RestoreHomePose() {
  if (!g_sgWorld) return;
  g_sgWorld->SetCameraOrientationNow(homeForward, homeUp);
  SetCameraPosition(homePosition, 0);
  RefreshObjects(0);
  fogUpdatePending = 1;
}

std::uint32_t CVB3DView::ApplyCameraMotion() {
  if (!cameraMoving) {
    if (glideActive) GlideStep();
    return 0;
  }
  glideActive = 0;
  if (cameraFrozen || !g_sgWorld) return 0;
  const double scale = FrameScale();
  if (zoomRate != 0.0) Zoom(zoomRate * scale);
  if (turnRateY != 0.0) Turn(1, turnRateY * scale);
  if (turnRateX != 0.0) Turn(0, turnRateX * scale);
  RefreshObjects(0);
  return 1;
}

void CVB3DView::ApplyGridMotion() {
  if (gridRate != 0.f) MoveGrid(gridRate);
}

void CVB3DView::Zoom(double step) {
  if (!g_sgWorld) return;
  g_sgWorld->redraw = 1;
  double p[3];
  g_sgWorld->GetCameraPosition(p);
  const double d = DistanceSq(p, target);
  const double reach = IsSolar() ? 4.0 * step : step;
  double next[3];
  if (IsCameraLinear() || IsCameraFree()) {
    float f[3];
    g_sgWorld->GetCameraForward(f);
    for (int i = 0; i < 3; ++i) next[i] = p[i] + f[i] * reach;
    if (d > GetMaxCameraDistance() && DistanceSq(next, target) > d) {
      TellLimit(*this);
      return;
    }
    RefreshDataPanel(0);
  } else {
    if ((step > 0 && d <= GetMinCameraDistance()) || (step < 0 && d >= GetMaxCameraDistance())) {
      TellLimit(*this);
      return;
    }
    const double length = std::sqrt(d);
    for (int i = 0; i < 3; ++i) next[i] = p[i] + (length > 0 ? (target[i] - p[i]) / length : 0.0) * reach;
  }
  g_sgWorld->SetCameraPosition(next[0], next[1], next[2]);
  fogUpdatePending = 1;
  RefreshObjects(0);
}

void CVB3DView::Turn(int axis, double angle) {
  CVSgWorld* w = g_sgWorld;
  const float a = static_cast<float>(angle);
  if (axis == 0) {
    if (const float s = GatherStarTurn(-a, kStarTurnThresholdX, g_starTurnAccumX)) w->ScrollStarFieldX(s);
  } else {
    if (const float s = GatherStarTurn(-a, kStarTurnThresholdY, g_starTurnAccumY)) w->ScrollStarFieldY(s);
  }
  double p[3];
  float f[3], u[3], r[3];
  w->GetCameraPosition(p);
  w->GetCameraForward(f);
  w->GetCameraUp(u);
  DispCross(u, f, r);
  DispNormalise(r);
  const bool free = IsCameraFree() != 0;
  const bool slide = IsCameraLinear() || (free && Ctrl3DHeld());
  if (slide) {
    const float* along = axis == 0 ? r : u;
    w->SetCameraPosition(p[0] + along[0] * 16.0 * angle, p[1] + along[1] * 16.0 * angle,
                         p[2] + along[2] * 16.0 * angle);
    if (axis == 0)
      w->ScrollStarFieldX(a / 16.f);
    else
      w->ScrollStarFieldY(a / 16.f);
  } else if (free) {
    const double fd[3] = {f[0], f[1], f[2]};
    double nf[3];
    Rotate(fd, axis == 0 ? u : r, angle, nf);
    float forward[3] = {static_cast<float>(nf[0]), static_cast<float>(nf[1]), static_cast<float>(nf[2])};
    float up[3] = {u[0], u[1], u[2]};
    if (axis == 1) {
      const double ud[3] = {u[0], u[1], u[2]};
      double nu[3];
      Rotate(ud, r, angle, nu);
      for (int i = 0; i < 3; ++i) up[i] = static_cast<float>(nu[i]);
    }
    w->SetCameraOrientationNow(forward, up);
  } else if (IsCameraLocked()) {
    if (axis == 1) {
      Zoom(angle > 0 ? 1.0 : -1.0);
    } else {
      const double dx = p[0] - target[0], dz = p[2] - target[2];
      const double c = std::cos(2 * angle), s = std::sin(2 * angle);
      w->SetCameraPosition(target[0] + dx * c - dz * s, p[1], target[2] + dx * s + dz * c);
      w->LookAt(target);
    }
  } else {
    const double offset[3] = {p[0] - target[0], p[1] - target[1], p[2] - target[2]};
    double moved[3];
    Rotate(offset, axis == 0 ? u : r, angle, moved);
    w->SetCameraPosition(target[0] + moved[0], target[1] + moved[1], target[2] + moved[2]);
    w->LookAt(target);
  }
  RefreshDataPanel(0);
  fogUpdatePending = 1;
}

int CVB3DView::FindNearestAndFarthest(const double camera[3], double* nearestSq, double* farthestSq) {
  double nearest = -1.0, farthest = 0.0;
  const bool solar = IsSolar();
  if (displayList) {
    for (CVDispNode* n = displayList->head; n; n = n->next) {
      const std::uint16_t kind = n->object->GetType();
      if (kind != DISP_ASTEROID && (solar || kind != DISP_UNIT)) continue;
      double at[3];
      n->object->GetPosition(at);
      const double d = DistanceSq(at, camera);
      if (kind == DISP_ASTEROID && (nearest < 0 || d < nearest)) nearest = d;
      if (d > farthest) farthest = d;
    }
  }
  if (solar) {
    closeToAsteroid = nearest >= 0 && nearest < 7000.0;
    nearAsteroid = nearest >= 0 && nearest < 5100.0;
  } else {
    nearAsteroid = 0;
  }
  if (nearest < 0) return 0;
  if (nearestSq) *nearestSq = nearest;
  if (farthestSq) *farthestSq = farthest;
  return 1;
}

void CVB3DView::UpdateFogDistances() {
  if (!g_sgWorld || !g_sgWorld->IsDistanceFogOn()) return;
  fogUpdatePending = 0;
  double camera[3], nearest = 0, farthest = 0;
  g_sgWorld->GetCameraPosition(camera);
  if (!FindNearestAndFarthest(camera, &nearest, &farthest)) return;
  if (IsSolar()) {
    // The whole system stays in range: the far plane 50 beyond the farthest
    // asteroid, the fog thickening from the nearest one out to it. (A far
    // plane 50 beyond the nearest asteroid cut away the rest of the system,
    // leaving the view black but for that one.)
    g_sgWorld->fogBaseDistance = std::sqrt(farthest) + 50.0;
    g_sgWorld->UpdateDistanceFog(std::sqrt(nearest) + 1.0);
    return;
  }
  g_sgWorld->fogBaseDistance = std::sqrt(nearest) + 13.0;
  g_sgWorld->UpdateDistanceFog(std::sqrt(farthest) + 1.0);
}

void CVB3DView::MoveGrid(double delta) {
  const double height = GridHeight() + delta;
  if (std::fabs(height - 1100.0) > kGridReach || !displayList) return;
  for (std::uint32_t id = 0;; ++id) {
    CVDispObj* tile = displayList->Find(DISP_GRID, id);
    if (!tile) break;
    double at[3];
    tile->GetPosition(at);
    if (id == 0 && std::fabs(at[1] + delta) > 3600.0) continue;
    at[1] += delta;
    tile->SetPosition(at);
  }
  displayList->UpdateLines(height);
  gridPoint[1] = height;
  mouseRefreshCount = 1;
}

int CVB3DView::StartGlide(CVDispObj* object, const double* point) {
  if (SharedScreen().cameraTravelOff || (!object && !point) || !g_sgWorld) return 0;
  double goal[3];
  if (object) {
    object->GetPosition(goal);
  } else {
    for (int i = 0; i < 3; ++i) goal[i] = point[i];
    for (int i = 0; i < 3; ++i) glidePoint[i] = point[i];
  }
  glideObject = object;
  glideActive = 1;
  goal[2] -= IsSolar() ? 40.0 : 20.0;
  double camera[3];
  g_sgWorld->GetCameraPosition(camera);
  glideDistance = DistanceSq(camera, goal);
  return 1;
}

// --- keys ---

int CVB3DView::OnKeyDown(WPARAM key, LPARAM flags) {
  if (startScreenShown) {
    LeaveStartScreen();
    return 0;
  }
  const bool ctrl = orders::CtrlHeld();
  if (BaseTakesKey(key, ctrl)) return CVGeneric::OnKeyDown(key, flags);
  const std::uint32_t type = GetViewType();
  const bool solar = type == VIEW_SOLAR;
  const bool replay = type == VIEW_SPACE_REPLAY;
  const bool shift = Shift();
  switch (key) {
    case VK_TAB:
      if (!replay) shift ? JumpToPreviousAsteroid() : JumpToNextAsteroid();
      return 0;
    case VK_SHIFT:
      if (std::fabs(std::fabs(turnRateX) - kTurnRate) < 1e-6) turnRateX *= 0.125;
      if (std::fabs(std::fabs(turnRateY) - kTurnRate) < 1e-6) turnRateY *= 0.125;
      if (g_gameData && g_gameData->GetSelectionCount()) SetCursorSet(CURSOR_NORMAL);
      return 0;
    case VK_CONTROL:
      if (!g_3dCtrlHeld && !SharedScreen().infoPanelVisible) {
        g_3dCtrlHeld = 1;
        if (g_sgWorld) g_sgWorld->redraw = 1;
      }
      return 0;
    case VK_SPACE:
      if (shift) {
        RestoreHomePose();
        if (g_sgWorld) g_sgWorld->OrientStarField(0, nullptr, nullptr, 1);
      } else {
        UpdateCamera(1);
      }
      return 0;
    case VK_PRIOR:
    case VK_NEXT:
      TurnUnitPage(key == VK_PRIOR);
      return 0;
    case VK_LEFT:
    case VK_RIGHT: {
      const float rate = shift ? kSlowTurnRate : kTurnRate;
      SetCameraRate(0, key == VK_LEFT ? -rate : rate);
      return 0;
    }
    case VK_UP:
    case VK_DOWN: {
      const float rate = shift ? kSlowTurnRate : kTurnRate;
      SetCameraRate(1, key == VK_UP ? rate : -rate);
      return 0;
    }
    case 'I':
    case VK_ADD:
    case VK_OEM_PLUS:
    case VK_OEM_PERIOD:
      SetCameraRate(2, shift ? 0.125f : 1.f);
      return 0;
    case 'O':
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
    case VK_OEM_COMMA:
      SetCameraRate(2, shift ? -0.125f : -1.f);
      return 0;
    case VK_OEM_1:
      SharedScreen().gotoGroup =
          static_cast<std::uint8_t>(shift ? (SharedScreen().gotoGroup + kGotoGroups - 1) % kGotoGroups
                                          : (SharedScreen().gotoGroup + 1) % kGotoGroups);
      DrawGotoBar();
      return 1;
    case 'A':
    case 'Y':
      if (!replay) shift ? UpdateSelectionDisplay(1) : SelectAll();
      return 0;
    case 'B':
      gridRate = shift ? kGridStep : -kGridStep;
      return 0;
    case 'T':
      gridRate = shift ? -kGridStep : kGridStep;
      return 0;
    case 'C': {
      double at[3] = {target[0], target[1], target[2]};
      if (solar && g_gameData && displayList) {
        const CGChapter* local = g_gameData->GetLocalChapter();
        if (CVDispObj* home = local ? displayList->Find(DISP_ASTEROID, local->homeAsteroid) : nullptr)
          home->GetPosition(at);
      }
      const double place[3] = {at[0], at[1], at[2] - 20.0};
      SetCameraPosition(place, 0);
      if (g_sgWorld) g_sgWorld->SetCameraOrientationXYZ(0.f, 0.f, 1.f, 0.f, 1.f, 0.f);
      fogUpdatePending = 1;
      return 0;
    }
    case 'F':
      if (Ctrl3DHeld() && solar)
        FindAsteroid();
      else
        ShowGuildMenu();
      return 0;
    case 'G':
      if (!solar) RebuildGrid();
      return 0;
    case 'H':
      if (!replay) UpdateSelectionDisplay(1);
      return 0;
    case 'N':
      if (g_sgWorld) {
        g_sgWorld->ToggleStarBackground();
        g_sgWorld->redraw = 1;
      }
      return 0;
    case 'P':
      if (replay) {
        ToggleReplaySpeed();
      } else if (g_sgWorld) {
        if (IsDistanceFogOn()) {
          const bool grid = g_gridShown != 0;
          if (grid) RebuildGrid();
          SetDistanceFog(0);
          if (grid) RebuildGrid();
        } else {
          SetDistanceFog(1);
          fogUpdatePending = 1;
        }
        g_sgWorld->redraw = 1;
      }
      return 0;
    case 'J':
    case 'K':
    case 'L':
    case 'M':
      if (!solar || SharedScreen().infoPanelVisible) return 0;
      if (key == 'M') {
        OnCommand(IsFutureView() ? 161 : 160);
      } else if (key == 'K') {
        FutureViewCommand(4);
      } else {
        if (!IsFutureView()) OnCommand(160);
        FutureViewCommand(key == 'J' ? 3 : 1);
      }
      return 0;
    case 'U':
      shift ? PreviousShip() : NextShip();
      return 0;
    case 'V':
      if (Ctrl3DHeld()) {
        RefreshDataPanel(1);
        ShowVersion();
        FlushScreen();
      } else if (IsCameraFree()) {
        LookAtTarget(1);
        if (g_sgWorld) g_sgWorld->OrientStarField(0, nullptr, nullptr, 1);
      }
      return 0;
    case 'W':
      if (g_gameData && g_gameData->GetSelectionCount())
        FlyToSelection();
      else if (solar && g_highlightAsteroid != 0xFFFF && displayList)
        // Nothing selected: the asteroid the solar view is flashing (the
        // battle just reviewed) is where the player wants to look.
        FlyTo(displayList->Find(DISP_ASTEROID, g_highlightAsteroid));
      return 0;
    case 'Z':
      CycleCameraMode(shift ? 0 : 1);
      return 0;
    case VK_OEM_4:
      orders::Tell(*this, "PROSCCMD", 0, orders::kShortTextSize);
      ToggleUnitHalos();
      return 0;
    default:
      if (key >= VK_F1 && key <= VK_F12) {
        if (!replay) SelectGroup(static_cast<int>(key - VK_F1));
        return 0;
      }
      return 1;
  }
}

int CVB3DView::OnKeyUp(WPARAM key, LPARAM flags) {
  // The base takes no key up while the view has the focus.
  if (CVGeneric::OnKeyUp(key, flags) != 0) return 1;
  switch (key) {
    case VK_SHIFT:
      if (std::fabs(std::fabs(turnRateX) - kSlowTurnRate) < 1e-7) turnRateX *= 8.0;
      if (std::fabs(std::fabs(turnRateY) - kSlowTurnRate) < 1e-7) turnRateY *= 8.0;
      if (g_gameData && g_gameData->GetSelectionCount()) UpdateCursor();
      return 0;
    case VK_CONTROL:
      if (g_3dCtrlHeld) {
        g_3dCtrlHeld = 0;
        if (g_sgWorld) g_sgWorld->redraw = 1;
      }
      return 0;
    case VK_LEFT:
    case VK_RIGHT:
      SetCameraRate(0, 0.f);
      return 0;
    case VK_UP:
    case VK_DOWN:
      SetCameraRate(1, 0.f);
      return 0;
    case 'B':
    case 'T':
      gridRate = 0.f;
      return 0;
    case 'I':
    case 'O':
    case VK_ADD:
    case VK_SUBTRACT:
    case VK_OEM_PLUS:
    case VK_OEM_COMMA:
    case VK_OEM_MINUS:
    case VK_OEM_PERIOD:
      SetCameraRate(2, 0.f);
      return 0;
    case 'V':
      StopCameraMotion();
      return 0;
    default:
      return 1;
  }
}
