#pragma once
// A star: a large billboard with the sun's picture that now and then shows a
// flare (about one animation step in 64). The flare is made with the star and
// kept between its runs, so that a flare's start makes no heap call.

#include "Game/views/world/CVDispObj.h"

class CGStar;
class CVDispExp;

class CVDispStr : public CVDispObj {
 public:
  CVDispStr(const CGStar* star, const DisplayKey& key, CVSgWorld* world, std::uint32_t arg);
  ~CVDispStr() override;
  std::uint16_t GetType() const override { return DISP_STAR; }
  // Starts a flare now and then and plays it; 1 while it runs.
  std::uint32_t Update(std::uint32_t flag) override;

  // The flare's frame name while a flare runs, else null.
  char* flareName = nullptr;
  std::uint16_t frame = 0;

 private:
  std::uint32_t LoadStar(const char* modelName);

  char flareNameText_[16] = "";
  CVDispExp* flare_ = nullptr;
  // The flare's place among the children while it runs.
  CVDispNode flareNode_{nullptr, nullptr};
};
