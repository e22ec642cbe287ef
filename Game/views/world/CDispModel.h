#pragma once
// A projectile: a small model flying along a direction each animation step;
// on arrival it is removed, or (with the explode flag) flies on two more steps
// and is replaced by an explosion by the display list.

#include <random>

#include "Game/views/world/CVDispObj.h"

class CDispModel : public CVDispObj {
 public:
  CDispModel(std::uint32_t a1, std::uint32_t explode, const DisplayKey& key, CVSgWorld* world, std::uint32_t word);
  std::uint16_t GetType() const override { return DISP_MODEL; }
  // One flight step; 0 when it stands or has arrived.
  std::uint32_t Update(std::uint32_t flag) override;
  void Aim(const double point[3]);
  // Sets off toward `target`; with the explode flag the direction strays by
  // three draws of `scatter`, so a seeded generator flies the misses of a
  // battle the same way every time it is played.
  void Launch(const double target[3], std::minstd_rand& scatter);

  float speed = 0.f;
  float direction[3] = {0.f, 0.f, 0.f};
  double target[3] = {0.0, 0.0, 0.0};
  std::uint32_t explode = 0;
  std::uint8_t overshoot = 0;
  std::uint8_t creatorByte = 0;
  std::uint32_t word = 0;
};
