#include "Game/views/world/CVDispStr.h"

#include <cstdio>

#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GStar.h"
#include "Game/views/world/CVDispExp.h"
#include "platform/core/random.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"

CVDispStr::CVDispStr(const CGStar* star, const DisplayKey& k, CVSgWorld* world, std::uint32_t /*arg*/)
    : CVDispObj(k, world, nullptr, 0) {
  char modelName[32] = "";
  if (star) star->GetModelName(modelName);
  if (LoadStar(modelName)) SetKey(k);
  std::snprintf(flareNameText_, sizeof flareNameText_, "sflr%u0", key.id);
  char dir[300];
  std::snprintf(dir, sizeof dir, "%ssun\\", g_instData.Get3DPath());
  const DisplayKey flareKey{0, DISP_EXPLOSION, key.id, DISP_STAR};
  flare_ = new CVDispExp(flareNameText_, dir, flareKey, world, this, CVDispExp::Resting{});
  flare_->word = 0xFFFFFFFF;
  flareNode_.object = flare_;
}

CVDispStr::~CVDispStr() {
  UnlinkChild(&flareNode_);
  delete flare_;
}

std::uint32_t CVDispStr::LoadStar(const char* modelName) {
  if (!model && !LoadBillboard(2)) return 0;
  char dir[300], name[64];
  std::snprintf(dir, sizeof dir, "%ssun\\", g_instData.Get3DPath());
  std::snprintf(name, sizeof name, "%s.mat", modelName);
  if (modelName[0] && LoadMaterial(name, dir, 0))
    materials[0]->matType = SG_MAT_TYPE_TRANSPARENT_TEXTURE;
  else
    TraceError("CVDispStr - no sun picture", __FILE__, __LINE__);
  SGInstanceScale(instance, 2.0f);
  SGInstanceSetAttributes(instance, SG_ATTR_NO_FOG);
  return 1;
}

std::uint32_t CVDispStr::Update(std::uint32_t flag) {
  if (!flareName) {
    if ((plat::rand() & 63) != 0) return 0;
    flareName = flareNameText_;
    flare_->Start();
    LinkChild(&flareNode_);
    PlaceInFrontOf(flare_);
    flare_->FaceCamera(static_cast<float>(plat::rand() & 1023) * 0.006136f, 0);
  }
  if (flare_->Update(flag)) return 1;
  UnlinkChild(&flareNode_);
  flare_->Rest();
  flareName = nullptr;
  return 0;
}
