#include "Game/views/world/CDispGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Game/base/GInstData.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"

CDispGrid::CDispGrid(const DisplayKey& k, CVSgWorld* world) : CVDispObj(k, world, nullptr, 0) {
  char name[300], dir[300];
  std::snprintf(name, sizeof name, "%sgrid\\redogrid.mdl", g_instData.Get3DPath());
  std::snprintf(dir, sizeof dir, "%sgrid\\", g_instData.Get3DPath());
  if (!LoadModelAndMaterials(name, dir)) return;
  SGInstanceSetAttributes(instance, SG_ATTR_NO_NEAR);
  SGInstanceClearAttributes(instance, SG_ATTR_NO_PICK);
  float extent[3];
  for (int i = 0; i < 3; ++i) extent[i] = model->modMax[i] - model->modMin[i];
  const float largest = std::max({extent[0], extent[1], extent[2]});
  if (largest > 0.001f) SGInstanceScale(instance, 6.25f / largest);
  // Flat: the model's thinnest axis stands up.
  if (extent[2] <= extent[1]) {
    const float forward[3] = {0, 1, 0}, up[3] = {1, 0, 0};
    SGInstanceSetOrientation(instance, forward, up);
  } else {
    const float forward[3] = {0, 0, 1}, up[3] = {0, 1, 0};
    SGInstanceSetOrientation(instance, forward, up);
  }
  orientationDirty = 1;
  SetKey(k);
}

SGTextureMap* CDispGrid::Texture() const {
  if (materialCount == 0 || !materials[0] || !materials[0]->matTexMap) return nullptr;
  SGTextureMap* txm = materials[0]->matTexMap;
  return txm->txmInfo && txm->txmInfo->tpiTexels ? txm : nullptr;
}

std::uint32_t CDispGrid::MarkCursor(const double point[3]) {
  const SGTextureMap* txm = Texture();
  if (!txm) return 1;
  const double u = point[0] * txm->txmSize.u[0] * 0.04;
  const double v = point[2] * txm->txmSize.u[1] * 0.04;
  const int col = static_cast<int>(u) - kWindow / 2, row = static_cast<int>(v) - kWindow / 2;
  // The part cut off at the left or top edge is remembered for painting.
  const int clipX = col < 0 ? -col : 0, clipY = row < 0 ? -row : 0;
  RestoreCursorBlock();
  left = static_cast<std::uint8_t>(std::clamp(col, 0, 255));
  top = static_cast<std::uint8_t>(std::clamp(row, 0, 255));
  PaintCursor(clipX, clipY);
  return 1;
}

void CDispGrid::SaveCursorBlock() {
  const SGTextureMap* txm = Texture();
  if (!txm) return;
  for (int y = 0; y < kWindow; ++y)
    for (int x = 0; x < kWindow; ++x) {
      const std::uint32_t tx = left + x, ty = top + y;
      if (tx < txm->txmSize.u[0] && ty < txm->txmSize.u[1])
        saved[y][x] = txm->txmInfo->tpiTexels[ty * txm->txmPitch + tx];
    }
  savedValid_ = 1;
}

void CDispGrid::PaintCursor(int clipX, int clipY) {
  SGTextureMap* txm = Texture();
  if (!txm) return;
  clipX_ = clipX;
  clipY_ = clipY;
  SaveCursorBlock();
  const std::uint32_t w = txm->txmSize.u[0], h = txm->txmSize.u[1];
  std::uint8_t* texels = txm->txmInfo->tpiTexels;
  // The top row and the fifth column, each shortened where the window was cut.
  if (clipY == 0)
    for (int x = 0; x < kWindow - clipX; ++x)
      if (left + x < static_cast<int>(w) && top < static_cast<int>(h))
        texels[top * txm->txmPitch + left + x] = kCursorIndex;
  const int column = kWindow / 2 - clipX;
  if (column >= 0)
    for (int y = 0; y < kWindow - clipY; ++y)
      if (left + column < static_cast<int>(w) && top + y < static_cast<int>(h))
        texels[(top + y) * txm->txmPitch + left + column] = kCursorIndex;
  HandMaterialsToInstance();
}

void CDispGrid::RestoreCursorBlock() {
  SGTextureMap* txm = Texture();
  if (!txm || !savedValid_) return;
  for (int y = 0; y < kWindow; ++y)
    for (int x = 0; x < kWindow; ++x) {
      const std::uint32_t tx = left + x, ty = top + y;
      if (tx < txm->txmSize.u[0] && ty < txm->txmSize.u[1])
        txm->txmInfo->tpiTexels[ty * txm->txmPitch + tx] = saved[y][x];
    }
  savedValid_ = 0;
  HandMaterialsToInstance();
}
