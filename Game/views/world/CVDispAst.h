#pragma once
// An asteroid: a pre-rendered billboard in the solar view, its 3D model in the
// space around an asteroid (modes 3 and 6). It turns slowly to either side.

#include "Game/views/world/CVDispObj.h"

class CGAsteroid;

class CVDispAst : public CVDispObj {
 public:
  // `mode` 3 or 6: the 3D model; any other: the billboard.
  CVDispAst(const CGAsteroid* asteroid, const DisplayKey& key, CVSgWorld* world, std::uint32_t mode);
  std::uint16_t GetType() const override { return DISP_ASTEROID; }
  std::uint32_t Update(std::uint32_t flag) override { return UpdateExplosionChildren(flag); }
  float GetScale() const override { return scale; }
  // First three characters, two digits (asteroid id modulo 16, plus 1), ".mat".
  void AdjustMaterialName(std::string& name) override;

  // Models loaded for the asteroid views so far.
  static std::uint32_t ModelsLoaded();

  float words[3] = {0.f, 0.f, 0.f};
  float scale = 1.f;

 private:
  std::uint32_t LoadAsteroid(std::uint32_t id, std::uint8_t sizeClass, std::uint32_t mode);
};
