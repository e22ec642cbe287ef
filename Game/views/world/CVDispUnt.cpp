#include "Game/views/world/CVDispUnt.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/model/GVector.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/world/CVSgWorld.h"
#include "platform/core/random.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"

namespace {

constexpr float kEighth = 0.78539f;
constexpr std::uint8_t kFullSizeHull = 20;
constexpr float kSmallHullScale = 0.9f;

void Rotate(float v[3], const float axis[3], float angle) {
  float a[3] = {axis[0], axis[1], axis[2]};
  DispNormalise(a);
  CVector3f r{v[0], v[1], v[2]};
  r.RotateAboutAxis(a[0], a[1], a[2], angle);
  v[0] = r.x;
  v[1] = r.y;
  v[2] = r.z;
}

}  // namespace

CVUnitView CVDispUnt::ViewFor(int row, int sector) {
  if (row <= 0) return {10, false};
  if (row >= 4) return {14, false};
  static constexpr int kFirst[8] = {1, 6, 11, 16, 21, 16, 11, 6};
  return {kFirst[sector & 7] + row - 1, (sector & 7) >= 1 && (sector & 7) <= 3};
}

float CVDispUnt::ScaleOf(const CGUnit* unit) {
  const CGUnitTemplate* design = unit ? unit->GetTemplate() : nullptr;
  if (!design || !design->hull) return 1.f;
  return design->hull->attribute >= kFullSizeHull ? 1.f : kSmallHullScale;
}

CVDispUnt::CVDispUnt(const CGUnit* unit, const DisplayKey& k, CVSgWorld* world)
    : CVDispObj(k, world, nullptr, 0), scale(ScaleOf(unit)) {
  char abbreviation[16] = "genp";
  std::uint32_t id = k.id;
  if (unit) {
    unit->GetClassAbbreviation(abbreviation);
    id = unit->id;
    wreck = unit->IsOperational() ? 0 : 1;
  }
  guild = static_cast<std::uint8_t>(id >> 29);
  Build(abbreviation);
}

CVDispUnt::CVDispUnt(std::uint32_t id, const char* abbreviation, std::uint32_t isWreck, const DisplayKey& k,
                     CVSgWorld* world)
    : CVDispObj(k, world, nullptr, 0),
      wreck(isWreck),
      guild(static_cast<std::uint8_t>(id >> 29)),
      scale(ScaleOf(g_gameData ? g_gameData->pieces.FindUnit(id, nullptr) : nullptr)) {
  Build(abbreviation);
}

CVDispUnt::~CVDispUnt() = default;

void CVDispUnt::Build(const char* abbreviation) {
  baseName = wreck ? "reck" : abbreviation;
  if (!baseName.empty() && baseName.size() <= 5) baseName += std::to_string(guild + 1) + "0";
  if (!LoadBillboard(3)) return;
  SGInstanceScale(instance, scale);
  if (wreck && (plat::rand() & 1)) {
    heading[0] = 0.f;
    heading[2] = 1.f;
  }
  orientationDirty = 1;
  SetKey(key);
  if (wreck) Roll(static_cast<float>(plat::rand() & 1023) * 0.006136f);
}

void CVDispUnt::SetWrecked(std::uint32_t state) {
  if (!wreck) baseName = "reck" + std::to_string(guild + 1) + "0";
  wreck = state;
}

void CVDispUnt::GetMaterialBase(char* out) const { std::strcpy(out, baseName.c_str()); }

std::uint32_t CVDispUnt::SelectViewMaterial(std::uint32_t) {
  if (!g_currentView || !instance || !g_dispWorld) return 0;
  float v[3], camUp[3];
  g_dispWorld->GetCameraForward(v);
  g_dispWorld->GetCameraUp(camUp);
  int row = 2, sector = 6;
  if (!g_unitViewAngles) {
    if (!pictureName.empty() && pictureName.compare(0, 4, baseName, 0, 4) == 0) {
      const float back[3] = {-v[0], -v[1], -v[2]};
      SGInstanceSetOrientation(instance, back, camUp);
      orientationDirty = 1;
      return 0;
    }
  } else {
    GetViewSector(&row, &sector, heading, up);
  }
  const CVUnitView view = ViewFor(row, sector);
  char name[32];
  std::snprintf(name, sizeof name, "%s%02d.mat", baseName.c_str(), view.code);
  const std::uint32_t mirror = view.mirrored ? 1 : 0;
  // Turned to face the camera, upright by the unit's own up.
  const float back[3] = {-v[0], -v[1], -v[2]};
  float billboardUp[3];
  if (row <= 0 || row >= 4) {
    DispCross(heading, up, billboardUp);
    DispNormalise(billboardUp);
    if (row >= 4)
      for (float& c : billboardUp) c = -c;
  } else {
    const float* along = std::fabs(v[0] * up[0] + v[1] * up[1] + v[2] * up[2]) >= 0.98f ? heading : up;
    float side[3];
    DispCross(v, along, side);
    DispCross(side, v, billboardUp);
    DispNormalise(billboardUp);
  }
  SGInstanceSetOrientation(instance, back, billboardUp);
  orientationDirty = 1;
  if (pictureName == name && mirrored == mirror) return 0;
  pictureName = name;
  mirrored = mirror;
  char dir[300];
  std::snprintf(dir, sizeof dir, "%s", g_instData.GetGuild3DPath(guild));
  if (!LoadMaterial(name, dir, mirror)) {
    TraceError("CVDispUnt - no picture", __FILE__, __LINE__);
    return 0;
  }
  materials[0]->matType = SG_MAT_TYPE_TRANSPARENT_TEXTURE;
  return 1;
}

void CVDispUnt::SetHeading(const double point[3]) {
  if (stepLength != 0.f) return;
  double p[3];
  GetPosition(p);
  float h[3] = {static_cast<float>(point[0] - p[0]), static_cast<float>(point[1] - p[1]),
                static_cast<float>(point[2] - p[2])};
  if (h[0] == 0.f && h[1] == 0.f && h[2] == 0.f) return;
  DispNormalise(h);
  float u[3] = {h[1], h[2], h[0]};
  if (h[0] == h[1] && h[1] == h[2]) u[1] = -u[1];
  float side[3];
  DispCross(h, u, side);
  DispNormalise(side);
  DispCross(side, h, u);
  DispNormalise(u);
  std::memcpy(heading, h, sizeof heading);
  std::memcpy(up, u, sizeof up);
}

void CVDispUnt::Put(const double p[3]) { SetPosition(p); }

void CVDispUnt::MoveTo(const double point[3]) {
  double p[3];
  GetPosition(p);
  const double d = std::sqrt((point[0] - p[0]) * (point[0] - p[0]) + (point[1] - p[1]) * (point[1] - p[1]) +
                             (point[2] - p[2]) * (point[2] - p[2]));
  if (d >= 0.0001) {
    SetHeading(point);
    stepsLeft = kSteps;
    stepLength = static_cast<float>(d * 0.125);
    std::memcpy(target, point, sizeof target);
  } else {
    stepLength = 0.f;
    Put(point);
  }
}

std::uint32_t CVDispUnt::Update(std::uint32_t flag) {
  if (stepLength == 0.f) {
    UpdateExplosionChildren(flag);
    return 0;
  }
  if (stepLength > 1000.f) {
    stepLength = 0.f;
    return 0;
  }
  CVDispObj* shield = nullptr;
  for (CVDispNode* n = children; n; n = n->next)
    if (n->object->GetType() == DISP_EXPLOSION && n->object->kindWords[0]) shield = n->object;
  double p[3];
  CVDispObj* mover = shield ? shield : this;
  mover->GetPosition(p);
  double next[3];
  if (shield || freeFlight) {
    for (int k = 0; k < 3; ++k) next[k] = p[k] + heading[k] * stepLength;
  } else {
    const double rest[3] = {target[0] - p[0], target[1] - p[1], target[2] - p[2]};
    const double distance = std::sqrt(rest[0] * rest[0] + rest[1] * rest[1] + rest[2] * rest[2]);
    if (distance < 0.0001) {
      std::memcpy(next, target, sizeof next);
      stepLength = 0.f;
    } else {
      stepLength = static_cast<float>(distance / (stepsLeft ? stepsLeft : 1));
      for (int k = 0; k < 3; ++k) next[k] = p[k] + rest[k] / distance * stepLength;
    }
  }
  if (!shield) {
    for (double& c : next) {
      if (c < 0.0) {
        c = 0.0;
        break;
      }
    }
  }
  mover->SetPosition(next);
  if (stepsLeft) --stepsLeft;
  if (stepsLeft == 0 && !freeFlight) {
    stepLength = 0.f;
    Put(target);
  }
  UpdateExplosionChildren(flag);
  return 1;
}

void CVDispUnt::SetSpeed(float step, std::uint32_t finish) {
  if (finish && stepLength != 0.f && !freeFlight) Put(target);
  stepLength = step;
}

void CVDispUnt::SetMoveTurns(std::uint32_t turns) {
  if (stepLength == 0.f) return;
  const double distance = (stepsLeft + 0.5) * stepLength;
  stepsLeft = static_cast<std::uint16_t>(8 * turns + 8);
  stepLength = static_cast<float>(distance / (8.0 * turns + 6.0));
}

std::uint32_t CVDispUnt::FlyOut() {
  double p[3];
  GetPosition(p);
  const bool inside = p[0] >= 800 && p[0] < 1400 && p[1] >= 800 && p[1] < 1400 && p[2] >= 800 && p[2] < 1400;
  if (!inside) {
    stepLength = 0.f;
    return 1;
  }
  if (stepLength == 0.f) {
    // Out along the axis of the largest coordinate.
    int axis = 0;
    for (int k = 1; k < 3; ++k)
      if (p[k] > p[axis]) axis = k;
    double to[3] = {p[0], p[1], p[2]};
    to[axis] += to[axis] > 0 ? 2600.0 : -2600.0;
    SetHeading(to);
    std::memcpy(target, to, sizeof target);
    freeFlight = 1;
    stepLength = 2.f;
    stepsLeft = 20;
  } else {
    stepLength *= 1.2f;
  }
  return 0;
}

void CVDispUnt::Roll(float angle) {
  float axis[3];
  DispCross(heading, up, axis);
  Rotate(heading, axis, angle);
  Rotate(up, axis, angle);
  orientationDirty = 1;
}

std::uint32_t CVDispUnt::TurnStep(std::uint32_t code) {
  if (!g_dispWorld) return 1;
  float camUp[3], camForward[3], axis[3];
  g_dispWorld->GetCameraUp(camUp);
  g_dispWorld->GetCameraForward(camForward);
  switch (code) {
    case 0:
    case 1:
      Rotate(heading, camUp, code == 0 ? -kEighth : kEighth);
      break;
    case 2:
    case 3:
      DispCross(camForward, camUp, axis);
      Rotate(heading, axis, code == 2 ? -kEighth : kEighth);
      Rotate(up, axis, code == 2 ? -kEighth : kEighth);
      break;
    case 4:
    case 5: {
      double p[3];
      GetPosition(p);
      const double sign = code == 4 ? -1.0 : 1.0;
      const double to[3] = {p[0] + sign * heading[0], p[1] + sign * heading[1], p[2] + sign * heading[2]};
      SetPosition(to);
      break;
    }
    case 6:
    case 7:
      Rotate(up, camForward, code == 6 ? kEighth : -kEighth);
      break;
    default:
      TraceError("CVDispUnt::TurnStep - unknown code", __FILE__, __LINE__);
      break;
  }
  orientationDirty = 1;
  return 1;
}

void CVDispUnt::QueueOrder(const std::uint8_t record[32]) {
  std::array<std::uint8_t, 32> copy;
  std::memcpy(copy.data(), record, 32);
  for (int i = 0; i < 4; ++i) copy[i] = static_cast<std::uint8_t>(key.id >> (8 * i));
  orders.push_back(copy);
  ordersDone = 0;
}

void CVDispUnt::ClearOrders() {
  orders.clear();
  ordersDone = 1;
}

std::int16_t CVDispUnt::GetFirstOrderType() const {
  if (orders.empty()) return -1;
  return static_cast<std::int16_t>(orders.front()[28] | (orders.front()[29] << 8));
}

bool CVDispUnt::TakeFirstOrder(std::array<std::uint8_t, 32>* out) {
  if (orders.empty()) return false;
  *out = orders.front();
  orders.erase(orders.begin());
  return true;
}

void CVDispUnt::SetOrdersDone(std::uint32_t flag) {
  ordersDone = static_cast<std::uint8_t>(flag);
  if (!flag) return;
  if (orders.empty())
    TraceError("CVDispUnt::SetOrdersDone - no order", __FILE__, __LINE__);
  else
    orders.erase(orders.begin());
}
