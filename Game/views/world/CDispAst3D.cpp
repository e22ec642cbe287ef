#include "Game/views/world/CDispAst3D.h"

#include <cstdio>

#include "Game/base/GInstData.h"
#include "sg/instance/instance.h"
#include "sg/model/model.h"

CDispAst3D::CDispAst3D(std::uint8_t forGuild, const DisplayKey& k, CVSgWorld* world)
    : CVDispObj(k, world, nullptr, 0), guild(forGuild) {
  char name[300], dir[300];
  std::snprintf(name, sizeof name, "%sasteroid\\3dAst\\aster4.mdl", g_instData.Get3DPath());
  std::snprintf(dir, sizeof dir, "%sasteroid\\3dAst\\", g_instData.Get3DPath());
  if (!LoadModelAndMaterials(name, dir)) return;
  SGInstanceSetAttributes(instance, SG_ATTR_NO_COLLIDE | SG_ATTR_NO_PICK | SG_ATTR_NO_FOG);
  SGModelScale(model, 0.2f);
  SGInstanceSetModel(instance, model);
  SGInstanceScale(instance, 1.0f);
  const float forward[3] = {1, 0, 0}, up[3] = {0, 1, 0};
  SGInstanceSetOrientation(instance, forward, up);
  orientationDirty = 1;
  SetKey(k);
}

std::uint32_t CDispAst3D::Update(std::uint32_t) {
  if (!visible) {
    SetVisible(1, 0);
    SetPickable(0);
  } else {
    SetVisible(0, 0);
  }
  return 1;
}
