#include "Game/views/world/CVDispHal.h"

#include <cstdio>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GGameData.h"
#include "Game/setup/GameSetup.h"
#include "Game/views/world/CVSgWorld.h"
#include "sg/instance/instance.h"
#include "sg/model/model.h"
#include "sg/scene/scene.h"

CVDispHal::CVDispHal(const DisplayKey& k, CVSgWorld* world, CVDispObj* ownerObject, std::uint32_t chapterId,
                     std::uint32_t isSelection)
    : CVDispObj(k, world, ownerObject, 0), selection(isSelection) {
  const std::uint32_t perGuild = g_gameData ? g_gameData->chaptersPerGuild : 8;
  const bool none = chapterId >= perGuild + 32;
  chapter = none ? 255 : static_cast<std::uint8_t>(chapterId);
  guild = none ? 255 : static_cast<std::uint8_t>(chapterId >> 3);
  double eye[3] = {0, 0, 0}, at[3] = {0, 0, 0};
  if (g_dispWorld) g_dispWorld->GetCameraPosition(eye);
  if (owner) owner->GetPosition(at);
  const double sq =
      (at[0] - eye[0]) * (at[0] - eye[0]) + (at[1] - eye[1]) * (at[1] - eye[1]) + (at[2] - eye[2]) * (at[2] - eye[2]);
  if (LoadForm(sq <= kCubeDistanceSquared)) SetKey(k);
}

CVDispHal::~CVDispHal() { DetachOwner(); }

std::string CVDispHal::ChapterCube() const {
  char name[32];
  if (chapter == LocalChapterId(kNoChapterChosen))
    std::snprintf(name, sizeof name, "cube%d_me.mat", guild + 1);
  else
    std::snprintf(name, sizeof name, "cube%d.mat", guild + 1);
  return name;
}

std::uint32_t CVDispHal::LoadForm(std::uint32_t wantCube) { return wantCube ? LoadCubeForm() : LoadBillboardForm(); }

std::uint32_t CVDispHal::LoadBillboardForm() {
  if (!model && !LoadBillboard(2)) return 0;
  std::string name;
  switch (key.id & 0xFFFF) {
    case 0:
      name = owner && owner->GetType() == DISP_ASTEROID ? "cubesel.mat" : ChapterCube();
      break;
    case 1:
    case 2:
      name = "FiltHalo.mat";
      break;
    case 3:
      name = "halo.mat";
      break;
    default:
      name = chapter == 255 ? "cubeuns.mat" : ChapterCube();
      break;
  }
  char dir[300];
  std::snprintf(dir, sizeof dir, "%shalos\\", g_instData.Get3DPath());
  if (!LoadMaterial(name.c_str(), dir, 0)) TraceError("CVDispHal - no halo picture", __FILE__, __LINE__);
  SetPickable(1);
  cube = 0;
  orientationDirty = 1;
  return 1;
}

void CVDispHal::AdjustMaterialName(std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return;
  if (chapter == 255) {
    name = name.substr(0, dot - 1) + "uns.mat";
  } else if ((key.id & 0xFFFF) == 0) {
    name = name.substr(0, dot - 1) + "sel.mat";
  } else {
    // The digit before the extension becomes the guild's; the local chapter's own cube is marked.
    char adjusted[40];
    const char* format = chapter == LocalChapterId(kNoChapterChosen) ? "%s%d_me.mat" : "%s%d.mat";
    std::snprintf(adjusted, sizeof adjusted, format, name.substr(0, dot - 1).c_str(), guild + 1);
    name = adjusted;
  }
}

std::uint32_t CVDispHal::LoadCubeForm() {
  if (!owner) {
    TraceError("CVDispHal - a cube without owner", __FILE__, __LINE__);
    return 0;
  }
  char name[300], dir[300];
  std::snprintf(name, sizeof name, "%shalos\\cube.mdl", g_instData.Get3DPath());
  std::snprintf(dir, sizeof dir, "%shalos\\", g_instData.Get3DPath());
  if (!LoadModelAndMaterials(name, dir)) return 0;
  SetPickable(1);
  double at[3];
  owner->GetPosition(at);
  SGInstanceSetPosition(instance, at);
  SGInstanceUpdate(instance);
  const double own = GetExtent();
  const double ownerExtent = owner->GetExtent();
  if (own > 0.0) {
    const double k = owner->GetType() == DISP_ASTEROID ? (ownerExtent + 0.1) / own : ownerExtent / own;
    if (k > 0.0) SGInstanceScale(instance, static_cast<float>(k));
  }
  float forward[3] = {0, 0, -1};
  if (!(selection && owner->GetType() == DISP_ASTEROID) && g_dispWorld) g_dispWorld->GetCameraForward(forward);
  const float up[3] = {0, 1, 0};
  SGInstanceSetOrientation(instance, forward, up);
  orientationDirty = 1;
  cube = 1;
  AttachOwner();
  return 1;
}

std::uint32_t CVDispHal::AttachOwner() {
  if (!cube || attached || !owner || !owner->instance || !instance || !model) return 0;
  if (SGModelCountHardPoints(model) == 0) return 0;
  SGInstanceAllocHardPoints(instance, model, -1);
  const double origin[3] = {0, 0, 0};
  SGInstanceRemove(owner->instance);
  SGInstanceSetPosition(owner->instance, origin);
  SGInstanceUpdate(owner->instance);
  SGInstanceSetHardPoint(instance, reinterpret_cast<std::uintptr_t>(owner->instance), 0);
  attached = 1;
  return 1;
}

void CVDispHal::DetachOwner() {
  if (!attached || !owner || !owner->instance || !instance) return;
  attached = 0;
  if (g_dispWorld && g_dispWorld->currentScene) SGSceneAddInstance(g_dispWorld->currentScene, owner->instance);
  SGInstanceSetHardPoint(instance, 0, 0);
  double at[3];
  SGInstanceGetPosition(instance, at);
  SGInstanceSetPosition(owner->instance, at);
  SGInstanceUpdate(owner->instance);
}

std::uint32_t CVDispHal::Update(std::uint32_t flag) {
  const std::uint32_t wantCube = flag ? 1 : 0;
  if (wantCube != cube) {
    double at[3];
    GetPosition(at);
    DetachOwner();
    DestroyInstance();
    if (LoadForm(wantCube)) SetKey(key);
    if (instance) {
      SGInstanceSetPosition(instance, at);
      positionDirty = 1;
    }
  }
  if (!selection) return 0;
  if (!visible) {
    SetVisible(1, 1);
    AttachOwner();
  } else {
    DetachOwner();
    SetVisible(0, 1);
  }
  return 1;
}
