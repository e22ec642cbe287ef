#include "Game/views/world/CDispModel.h"

#include <cmath>
#include <cstring>

#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/rules/GModuleDB.h"
#include "sg/instance/instance.h"

CDispModel::CDispModel(std::uint32_t a1, std::uint32_t explodeFlag, const DisplayKey& k, CVSgWorld* world,
                       std::uint32_t creatorWord)
    : CVDispObj(k, world, nullptr, 0),
      explode(explodeFlag),
      creatorByte(static_cast<std::uint8_t>(a1)),
      word(creatorWord) {
  const char* explosion = nullptr;
  if (k.id != 0xFFFF && g_gameData && g_gameData->moduleDB)
    explosion = g_gameData->moduleDB->GetExplosionName(static_cast<int>(k.id));
  const bool rapid = explosion && std::strncmp(explosion, "rap", 3) == 0;
  const char* name = rapid ? "dshg3_p.mdl" : "rdml1_p.mdl";
  char path[300], dir[300];
  g_instData.BuildPath(path, name, INSTPATH_PROJECT);
  g_instData.BuildPath(dir, "", INSTPATH_PROJECT);
  if (!LoadModelAndMaterials(path, dir)) return;
  SetPickable(0);
  SGInstanceScale(instance, rapid ? 0.08f : 0.05f);
  const float forward[3] = {1, 0, 0}, up[3] = {0, 1, 0};
  SGInstanceSetOrientation(instance, forward, up);
  orientationDirty = 1;
  SetKey(k);
}

std::uint32_t CDispModel::Update(std::uint32_t) {
  if (speed == 0.f) return 0;
  const double step = speed * 13.333333 / g_frameRate;
  double p[3];
  GetPosition(p);
  bool arrived = true;
  for (int k = 0; k < 3; ++k) {
    const double towards = target[k] - p[k];
    const bool close = std::fabs(towards) <= 0.2;
    const bool away = (towards > 0 && direction[k] < 0) || (towards < 0 && direction[k] > 0);
    if (!close && !away) arrived = false;
  }
  if (arrived) {
    if (!explode) return 0;
    if (++overshoot >= 3) return 0;
  }
  const double next[3] = {p[0] + direction[0] * step, p[1] + direction[1] * step, p[2] + direction[2] * step};
  SetPosition(next);
  return 1;
}

void CDispModel::Aim(const double point[3]) {
  if (!instance) return;
  double p[3];
  GetPosition(p);
  float dir[3] = {static_cast<float>(point[0] - p[0]), static_cast<float>(point[1] - p[1]),
                  static_cast<float>(point[2] - p[2])};
  DispNormalise(dir);
  std::memcpy(direction, dir, sizeof direction);
  float up[3] = {0, 1, 0}, side[3];
  DispCross(dir, up, side);
  DispNormalise(side);
  DispCross(side, dir, up);
  DispNormalise(up);
  SGInstanceSetOrientation(instance, dir, up);
  orientationDirty = 1;
}

void CDispModel::Launch(const double to[3], std::minstd_rand& scatter) {
  double p[3];
  GetPosition(p);
  const double d[3] = {to[0] - p[0], to[1] - p[1], to[2] - p[2]};
  const double distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (distance < 0.001) {
    speed = 0.f;
    return;
  }
  Aim(to);
  std::memcpy(target, to, sizeof target);
  for (int k = 0; k < 3; ++k) direction[k] = static_cast<float>(d[k] / distance);
  if (explode) {
    for (float& c : direction)
      c += static_cast<float>(static_cast<int>(scatter() & 7) - 4) / static_cast<float>(13 * distance);
    DispNormalise(direction);
  }
  speed = 1.f;
}
