#pragma once
// A coloured line: from an object down or up to the horizontal grid plane
// (a height line), or towards a target. Its colour is the owning chapter's
// guild's, white without one.

#include "Game/views/world/CVDispObj.h"

class CDispLine : public CVDispObj {
 public:
  CDispLine(const DisplayKey& key, CVSgWorld* world, CVDispObj* owner, std::uint32_t chapter, std::uint32_t blink);
  std::uint16_t GetType() const override { return DISP_LINE; }
  std::uint32_t Update(std::uint32_t flag) override;
  // "##red.mat" .. "##magnta.mat" by guild 0 to 4, else "##white.mat".
  void AdjustMaterialName(std::string& name) override;
  // From height y to the plane at height h; hidden when they lie within 0.5.
  void SetSpan(double y, double h);
  void SetLength(float length, std::uint32_t keepDirection);
  double GetLength();

  std::uint32_t blink = 0;
  std::uint16_t chapter = 0xFFFF;

 private:
  std::uint32_t pointsDown_ = 0;
};
