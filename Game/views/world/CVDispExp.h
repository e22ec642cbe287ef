#pragma once
// A flip-book of numbered materials on a camera-facing billboard (explosions,
// star flares), or a shield effect wrapped around its owner, whose instance
// then hangs on the effect's hard point 0. The animation ends at the first
// frame whose material is missing, unless it loops.

#include "Game/views/world/CVDispObj.h"

class CVDispExp : public CVDispObj {
 public:
  // attached 1: the shield form around the owner, else the billboard form.
  CVDispExp(const char* frameBase, const char* frameDir, const DisplayKey& key, CVSgWorld* world, CVDispObj* owner,
            std::uint32_t attached, std::uint32_t looping, std::uint32_t word);
  ~CVDispExp() override;
  std::uint16_t GetType() const override { return DISP_EXPLOSION; }
  // The next frame; 0 once a finished animation has had its last step.
  std::uint32_t Update(std::uint32_t flag) override;
  void SetMotion(const float vector[3]);
  // One step towards the point one unit in front of the camera.
  void Drift(std::uint32_t* stepsLeft);
  // Loads frames 2, 3, ... into the material cache.
  void PreloadFrames();

  std::uint16_t frame = 0;
  char* frameBase = nullptr;
  char* frameDir = nullptr;
  std::uint32_t& attached = kindWords[0];  // the shield form carries its owner
  std::uint32_t looping = 0;
  float driftStep = 0.f;
  std::uint32_t driftCounter = 0;
  std::uint32_t word = 0;
  float motion[3] = {0.f, 0.f, 0.f};
  std::uint32_t motionFlag = 0;

 private:
  void HangOwner();
  void ReleaseOwner();
  std::uint32_t ownerHung_ = 0;
};
