#include "Game/views/world/CVDispExp.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/views/world/CVSgWorld.h"
#include "platform/core/random.h"
#include "sg/core/context.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/scene/scene.h"

namespace {
char* Copy(const char* s) {
  if (!s) return nullptr;
  char* c = new char[std::strlen(s) + 1];
  std::memcpy(c, s, std::strlen(s) + 1);
  return c;
}
}  // namespace

CVDispExp::CVDispExp(const char* base, const char* dir, const DisplayKey& k, CVSgWorld* world, CVDispObj* ownerObject,
                     std::uint32_t isAttached, std::uint32_t isLooping, std::uint32_t creatorWord)
    : CVDispObj(k, world, ownerObject, 0),
      frameDir(Copy(dir)),
      looping(isLooping),
      word(creatorWord),
      frameBaseStore_(Copy(base)) {
  frameBase = frameBaseStore_;
  attached = isAttached ? 1 : 0;
  std::uint32_t loaded = 0;
  if (attached) {
    char name[300];
    std::snprintf(name, sizeof name, "%seffects\\sh-efx.mdl", g_instData.Get3DPath());
    if (LoadModel(name)) {
      const double ownExtent = GetExtent();
      if (owner && ownExtent > 0.0)
        SGInstanceScale(instance, static_cast<float>((2 * owner->GetExtent() - 0.1) / ownExtent));
      SetPickable(1);
      LoadNumberedMaterial(frameBase, frameDir, 0);
      HangOwner();
      loaded = 1;
    }
  } else {
    std::uint32_t size = 2;
    if (owner) {
      const std::uint16_t t = owner->GetType();
      size = t == DISP_ASTEROID ? 2 : t == DISP_STAR ? 1 : 3;
    }
    if (LoadBillboard(size)) {
      FaceCamera(static_cast<float>(plat::rand() & 1023) * 0.006136f, 0);
      LoadNumberedMaterial(frameBase, frameDir, 0);
      if (owner && owner->GetType() == DISP_STAR) SGInstanceScale(instance, 2.0f);
      loaded = 1;
    }
  }
  if (!loaded) return;
  SetKey(k);
  SetPickable(0);
}

CVDispExp::CVDispExp(const char* base, const char* dir, const DisplayKey& k, CVSgWorld* world, CVDispObj* ownerObject,
                     Resting)
    : CVDispObj(k, world, ownerObject, 0), frameDir(Copy(dir)), frameBaseStore_(Copy(base)) {
  // The size and scale of the billboard form above, by the owner's kind.
  const std::uint16_t ownerKind = owner ? owner->GetType() : std::uint16_t{DISP_EXPLOSION};
  const std::uint32_t size = !owner ? 2 : ownerKind == DISP_ASTEROID ? 2 : ownerKind == DISP_STAR ? 1 : 3;
  if (!LoadBillboard(size)) return;
  if (ownerKind == DISP_STAR) SGInstanceScale(instance, 2.0f);
  SGInstanceRemove(instance);
  SGInstanceSetAttributes(instance, SG_ATTR_HIDDEN | SG_ATTR_NO_PICK);
  visible = 0;
}

CVDispExp::~CVDispExp() {
  ReleaseOwner();
  delete[] frameBaseStore_;
  delete[] frameDir;
}

void CVDispExp::Start() {
  frame = 0;
  frameBase = frameBaseStore_;
  if (!instance) return;
  // As SGInstanceCreate and LoadModel leave a new instance (at the origin,
  // unturned: its first frame's bounds are a new one's), then as the
  // constructor goes on.
  const double origin[3] = {0.0, 0.0, 0.0};
  const float unturned[3] = {0.f, 0.f, 0.f};
  SGInstanceSetPosition(instance, origin);
  SGInstanceSetAngles(instance, unturned);
  positionDirty = orientationDirty = 0;
  if (g_dispWorld && g_dispWorld->currentScene) SGSceneAddInstance(g_dispWorld->currentScene, instance);
  SGInstanceClearAttributes(instance, SG_ATTR_HIDDEN | SG_ATTR_NO_PICK);
  visible = 1;
  FaceCamera(static_cast<float>(plat::rand() & 1023) * 0.006136f, 0);
  LoadNumberedMaterial(frameBase, frameDir, 0);
  SetKey(key);
  SetPickable(0);
}

void CVDispExp::Rest() {
  if (g_dispWorld) g_dispWorld->redraw = 1;
  SetVisible(0, 1);
  if (instance) SGInstanceRemove(instance);
  ReleaseMaterials();
  if (g_dispWorld) g_dispWorld->ResetSceneDrawFlag();
}

void CVDispExp::HangOwner() {
  if (!owner || !owner->instance || !instance || !model) return;
  if (SGModelCountHardPoints(model) == 0) return;
  SGInstanceAllocHardPoints(instance, model, -1);
  const double origin[3] = {0, 0, 0};
  double at[3];
  owner->GetPosition(at);
  SGInstanceSetPosition(instance, at);
  positionDirty = 1;
  SGInstanceRemove(owner->instance);
  SGInstanceSetPosition(owner->instance, origin);
  SGInstanceUpdate(owner->instance);
  SGInstanceSetHardPoint(instance, reinterpret_cast<std::uintptr_t>(owner->instance), 0);
  ownerHung_ = 1;
}

void CVDispExp::ReleaseOwner() {
  if (!ownerHung_ || !owner || !owner->instance || !instance) return;
  ownerHung_ = 0;
  double at[3];
  SGInstanceGetPosition(instance, at);
  SGInstanceSetHardPoint(instance, 0, 0);
  if (g_dispWorld && g_dispWorld->currentScene) SGSceneAddInstance(g_dispWorld->currentScene, owner->instance);
  SGInstanceSetPosition(owner->instance, at);
  SGInstanceUpdate(owner->instance);
}

void CVDispExp::SetMotion(const float vector[3]) {
  std::memcpy(motion, vector, sizeof motion);
  motionFlag = 1;
}

std::uint32_t CVDispExp::Update(std::uint32_t) {
  if (!frameBase) {
    ++frame;
    return 0;
  }
  if (!LoadNumberedMaterial(frameBase, frameDir, frame)) {
    if (!looping) {
      frameBase = nullptr;
      ++frame;
      return 1;
    }
    frame = 0;
    if (!LoadNumberedMaterial(frameBase, frameDir, frame))
      TraceError("CVDispExp::Update - no first frame", __FILE__, __LINE__);
  }
  if (!attached && owner) {
    owner->PlaceInFrontOf(this);
  } else if (!attached && motionFlag) {
    double p[3];
    GetPosition(p);
    const double k = 1.3333334 / g_frameRate;
    const double next[3] = {p[0] + motion[0] * k, p[1] + motion[1] * k, p[2] + motion[2] * k};
    SetPosition(next);
  }
  ++frame;
  orientationDirty = 1;
  return 1;
}

void CVDispExp::Drift(std::uint32_t* stepsLeft) {
  if (driftCounter) --driftCounter;
  double eye[3], p[3];
  float f[3];
  g_dispWorld->GetCameraPosition(eye);
  g_dispWorld->GetCameraForward(f);
  GetPosition(p);
  const double goal[3] = {eye[0] + f[0], eye[1] + f[1], eye[2] + f[2]};
  double d[3] = {goal[0] - p[0], goal[1] - p[1], goal[2] - p[2]};
  const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (driftStep == 0.f) driftCounter = 27;
  driftStep = static_cast<float>(length / (driftCounter + 3));
  if (length > 0.0) {
    const double next[3] = {p[0] + d[0] / length * driftStep, p[1] + d[1] / length * driftStep,
                            p[2] + d[2] / length * driftStep};
    SetPosition(next);
  }
  *stepsLeft = driftCounter;
}

void CVDispExp::PreloadFrames() {
  if (!frameBase) return;
  for (std::uint32_t n = 2;; ++n) {
    char name[300];
    std::snprintf(name, sizeof name, "%s%s%02u.mat", frameDir, frameBase, n);
    if (SGMaterial* cached = CacheFind(name)) {
      CacheRelease(cached);
      continue;
    }
    SGMaterial* mat = nullptr;
    if (LoadMaterialResource("", name, &mat) != kDispOk) break;
    // Prepared as a frame loaded when it is shown: unprepared, its texels
    // would be drawn through the screen's colours instead of its own.
    if (g_dispWorld) SGContextPrepareMaterial(g_dispWorld->context, mat);
    if (mat->matTexMap) mat->matTexMap->txmRefCnt = 1;
    CacheAdd(mat, name, 1);
  }
}
