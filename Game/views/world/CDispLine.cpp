#include "Game/views/world/CDispLine.h"

#include <cmath>
#include <cstdio>

#include "Game/base/GInstData.h"
#include "Game/views/world/CVSgWorld.h"
#include "sg/instance/instance.h"
#include "sg/model/model.h"

CDispLine::CDispLine(const DisplayKey& k, CVSgWorld* world, CVDispObj* ownerObject, std::uint32_t chapterId,
                     std::uint32_t blinking)
    : CVDispObj(k, world, ownerObject, 0), blink(blinking), chapter(static_cast<std::uint16_t>(chapterId)) {
  char name[300], dir[300];
  std::snprintf(name, sizeof name, "%sgrid\\line.mdl", g_instData.Get3DPath());
  std::snprintf(dir, sizeof dir, "%sgrid\\", g_instData.Get3DPath());
  if (!LoadModelAndMaterials(name, dir)) return;
  SGInstanceSetAttributes(instance, SG_ATTR_NO_COLLIDE | SG_ATTR_NO_PICK);
  // The model lies along its x axis, which this orientation stands up.
  const float forward[3] = {0, 0, 1}, up[3] = {1, 0, 0};
  SGInstanceSetOrientation(instance, forward, up);
  orientationDirty = 1;
  SetKey(k);
}

void CDispLine::AdjustMaterialName(std::string& name) {
  static const char* const kColours[5] = {"##red.mat", "##green.mat", "##blue.mat", "##yellow.mat", "##magnta.mat"};
  const std::uint32_t guild = chapter >> 3;
  name = chapter != 0xFFFF && guild < 5 ? kColours[guild] : "##white.mat";
}

void CDispLine::SetSpan(double y, double h) {
  const double d = y - h;
  if (std::fabs(d) < 0.5) {
    SetVisible(0, owner != nullptr);
    return;
  }
  double at[3];
  GetPosition(at);
  double foot, length;
  if (d >= 0) {
    foot = h + 0.01;
    length = y - (foot + 0.5);
    if (length < 0) length = 0.1;
  } else {
    foot = h - 0.01;
    length = y - (foot - 0.5);
  }
  // The model is centred on its position: its middle goes half way up.
  at[1] = foot + length / 2;
  SetPosition(at);
  SetLength(static_cast<float>(length), 0);
}

void CDispLine::SetLength(float length, std::uint32_t keepDirection) {
  if (!instance || !model) return;
  if (owner && owner->GetType() == DISP_ASTEROID) {
    const float cut = static_cast<float>(owner->GetExtent() - 0.5);
    length = length > 0 ? std::fmax(0.f, length - cut) : std::fmin(0.f, length + cut);
  }
  if (std::fabs(length) < 0.1f) {
    SetVisible(0, owner != nullptr);
    return;
  }
  SetVisible(1, owner != nullptr);
  if (!keepDirection) {
    pointsDown_ = length < 0 ? 1 : 0;
    const float forward[3] = {0, 0, pointsDown_ ? -1.f : 1.f};
    const float up[3] = {1, 0, 0};
    SGInstanceSetOrientation(instance, forward, up);
  }
  length = std::fabs(length);
  // Stretching changes the model itself, so the factor is taken from its
  // present length.
  const float extent = model->modMax[0] - model->modMin[0];
  const float factor = extent <= 0.001f ? 1.f : length / extent;
  SGInstanceScaleAxis(instance, 0, factor);
  if (g_dispWorld) g_dispWorld->redraw = 1;
  SGInstanceUpdate(instance);
}

double CDispLine::GetLength() {
  if (!model) return 0.0;
  const double extent = model->modMax[0] - model->modMin[0];
  return pointsDown_ ? -extent : extent;
}

std::uint32_t CDispLine::Update(std::uint32_t) {
  if (!blink) return 0;
  if (!visible) {
    SetVisible(1, 1);
    SetPickable(0);
  } else {
    SetVisible(0, 1);
  }
  return 1;
}
