#pragma once
// A halo around a unit, asteroid or star: a camera-facing billboard from afar,
// an ownership cube enclosing its owner from near (71 units or less). A
// selection halo blinks once per animation step, and its owner's instance
// hangs on the cube only while the cube is shown.

#include "Game/views/world/CVDispObj.h"

class CVDispHal : public CVDispObj {
 public:
  static constexpr double kCubeDistanceSquared = 5100.0;

  CVDispHal(const DisplayKey& key, CVSgWorld* world, CVDispObj* owner, std::uint32_t chapter, std::uint32_t selection);
  ~CVDispHal() override;
  std::uint16_t GetType() const override { return key.kind; }
  // flag: the cube form is wanted. Switches form when needed; a selection
  // halo then blinks (1).
  std::uint32_t Update(std::uint32_t flag) override;
  void AdjustMaterialName(std::string& name) override;
  std::uint32_t AttachOwner();
  void DetachOwner();

  std::uint8_t chapter = 255;
  std::uint8_t guild = 255;
  std::uint32_t word = 0;
  std::uint32_t selection = 0;
  std::uint32_t& cube = kindWords[0];  // 1 while shown as the cube
  std::uint32_t attached = 0;

 private:
  std::uint32_t LoadForm(std::uint32_t wantCube);
  std::uint32_t LoadBillboardForm();
  std::uint32_t LoadCubeForm();
  std::string ChapterCube() const;
};
