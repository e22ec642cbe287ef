#include "Game/views/world/CVDispAst.h"

#include <cstdio>

#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "platform/core/random.h"
#include "sg/instance/instance.h"

namespace {
std::uint32_t g_asteroidModels = 0;
}  // namespace

std::uint32_t CVDispAst::ModelsLoaded() { return g_asteroidModels; }

CVDispAst::CVDispAst(const CGAsteroid* asteroid, const DisplayKey& k, CVSgWorld* world, std::uint32_t mode)
    : CVDispObj(k, world, nullptr, 0) {
  key.id = asteroid ? asteroid->id : k.id;
  const std::uint8_t spin = asteroid ? asteroid->spin : 0;
  rollAngle = 0.001f + 0.01f * static_cast<float>(spin);
  if (plat::rand() & 1) rollAngle = -rollAngle;
  if (LoadAsteroid(key.id, asteroid ? asteroid->sizeClass : 0, mode)) SetKey(k);
}

void CVDispAst::AdjustMaterialName(std::string& name) {
  char adjusted[40];
  std::snprintf(adjusted, sizeof adjusted, "%s%02d.mat", name.substr(0, 3).c_str(), static_cast<int>(key.id % 16 + 1));
  name = adjusted;
}

std::uint32_t CVDispAst::LoadAsteroid(std::uint32_t id, std::uint8_t sizeClass, std::uint32_t mode) {
  if (mode == 3 || mode == 6) {
    char modelName[32], path[300];
    std::snprintf(modelName, sizeof modelName, "aster%u.mdl", id % 15 + 1);
    g_instData.BuildPath(path, modelName, INSTPATH_ASTEROID_3D);
    char dir[300];
    g_instData.BuildPath(dir, "", INSTPATH_ASTEROID_3D);
    if (!LoadModelAndMaterials(path, dir)) return 0;
    SGInstanceClearAttributes(instance, SG_ATTR_NO_PICK);
    const float forward[3] = {1, 0, 0}, up[3] = {0, 1, 0};
    SGInstanceSetOrientation(instance, forward, up);
    orientationDirty = 1;
    SGInstanceScale(instance, 0.9f);
    ++g_asteroidModels;
    static constexpr float kScales[5] = {1.0f, 1.1f, 1.3f, 1.4f, 1.6f};
    const float s = sizeClass >= 1 && sizeClass <= 4 ? kScales[sizeClass] : 1.0f;
    const double centre[3] = {1100.0, 1100.0, 1100.0};
    SetPosition(centre);
    SGInstanceScale(instance, s);
    scale = s;
    return 1;
  }
  if (!LoadBillboard(3)) return 0;
  const float forward[3] = {0, 0, 1}, up[3] = {0, 1, 0};
  SGInstanceSetOrientation(instance, forward, up);
  orientationDirty = 1;
  // Any picture's name: its digits become the asteroid's.
  std::string stem = "ast01.mat";
  AdjustMaterialName(stem);
  stem.erase(stem.size() - 4);
  char dir[300], name[64];
  std::snprintf(dir, sizeof dir, "%sasteroid\\PreRend\\", g_instData.Get3DPath());
  std::snprintf(name, sizeof name, "%s_ds.mat", stem.c_str());
  LoadMaterial(name, dir, 0);
  static constexpr float kScales[5] = {1.0f, 1.2f, 1.4f, 1.6f, 1.8f};
  const float s = sizeClass >= 1 && sizeClass <= 4 ? kScales[sizeClass] : 1.0f;
  SGInstanceScale(instance, s);
  scale = s - 0.2f;
  return 1;
}
