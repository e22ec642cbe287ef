#pragma once
// The blinking 3D asteroid marker of the local guild: shown and hidden in turn
// on every animation step.

#include "Game/views/world/CVDispObj.h"

class CDispAst3D : public CVDispObj {
 public:
  CDispAst3D(std::uint8_t guild, const DisplayKey& key, CVSgWorld* world);
  std::uint16_t GetType() const override { return DISP_ASTEROID_3D; }
  std::uint32_t Update(std::uint32_t flag) override;

  std::uint8_t guild = 0;
};
