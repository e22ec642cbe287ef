#pragma once
// A flip-book of numbered materials on a camera-facing billboard (explosions,
// star flares), or a shield effect wrapped around its owner, whose instance
// then hangs on the effect's hard point 0. The animation ends at the first
// frame whose material is missing, unless it loops. A billboard made to rest
// (a star's flare) is kept between its runs: Start and Rest show it again and
// put it away without a heap call.

#include "Game/views/world/CVDispObj.h"

class CVDispExp : public CVDispObj {
 public:
  // attached 1: the shield form around the owner, else the billboard form.
  CVDispExp(const char* frameBase, const char* frameDir, const DisplayKey& key, CVSgWorld* world, CVDispObj* owner,
            std::uint32_t attached, std::uint32_t looping, std::uint32_t word);
  // The billboard form, made resting: out of the scene and hidden, its model
  // scaled as the other constructor scales it, until Start.
  struct Resting {};
  CVDispExp(const char* frameBase, const char* frameDir, const DisplayKey& key, CVSgWorld* world, CVDispObj* owner,
            Resting);
  ~CVDispExp() override;
  // Runs a resting billboard from its first frame, as the billboard form of
  // the other constructor starts (the same draws of the random sequence, the
  // same material look-ups), into the scene it would have been made in.
  void Start();
  // Puts a finished billboard to rest as its owner's RemoveChild would have
  // destroyed it: hidden, out of the scene, its materials released.
  void Rest();
  std::uint16_t GetType() const override { return DISP_EXPLOSION; }
  // The next frame; 0 once a finished animation has had its last step.
  std::uint32_t Update(std::uint32_t flag) override;
  void SetMotion(const float vector[3]);
  // One step towards the point one unit in front of the camera.
  void Drift(std::uint32_t* stepsLeft);
  // Loads frames 2, 3, ... into the material cache.
  void PreloadFrames();

  std::uint16_t frame = 0;
  // The frames' name; null once the animation has had its last frame.
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
  void LoadBillboardForOwner();
  void HangOwner();
  void ReleaseOwner();
  std::uint32_t ownerHung_ = 0;
  // frameBase's storage, kept for a run after the first.
  char* frameBaseStore_ = nullptr;
};
