#pragma once
// The grid plane of a 3D view, lying flat, with a cursor mark painted into its
// texture: the top row and fifth column of an 8 x 8 texel window in palette
// index 54, the texels under it kept to be written back.

#include <cstdint>

#include "Game/views/world/CVDispObj.h"

class CDispGrid : public CVDispObj {
 public:
  static constexpr std::uint8_t kCursorIndex = 54;
  static constexpr int kWindow = 8;

  CDispGrid(const DisplayKey& key, CVSgWorld* world);
  std::uint16_t GetType() const override { return DISP_GRID; }
  std::uint32_t Update(std::uint32_t) override { return 0; }
  std::uint32_t BuildGrid(const double point[3]) override { return MarkCursor(point); }
  void SetGridFrame() override { RestoreCursorBlock(); }

  // Moves the cursor window to a point of the plane and paints it; 1.
  std::uint32_t MarkCursor(const double point[3]);
  void PaintCursor(int clipX, int clipY);
  void SaveCursorBlock();
  void RestoreCursorBlock();

  std::uint8_t left = 0;
  std::uint8_t top = 0;
  std::uint8_t saved[kWindow][kWindow] = {};

 private:
  SGTextureMap* Texture() const;
  std::uint32_t savedValid_ = 0;
  int clipX_ = 0;
  int clipY_ = 0;
};
