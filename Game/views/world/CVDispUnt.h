#pragma once
// A unit (ship): a camera-facing billboard whose picture is chosen among the
// seventeen pre-rendered views of its class and guild by the angle the camera
// sees its heading and up vectors from; views from its right-hand side are the
// left-hand pictures mirrored. It moves to a target in eight steps, flies out
// of the system, tumbles as a wreck, and keeps a queue of its orders.

#include <array>
#include <cstdint>
#include <vector>

#include "Game/views/world/CVDispObj.h"

class CGUnit;

struct CVUnitView {
  int code;
  bool mirrored;
};

class CVDispUnt : public CVDispObj {
 public:
  static constexpr int kSteps = 8;

  CVDispUnt(const CGUnit* unit, const DisplayKey& key, CVSgWorld* world);
  // Sized by the hull of the game's unit with that id, if there is one.
  CVDispUnt(std::uint32_t id, const char* classAbbreviation, std::uint32_t wreck, const DisplayKey& key,
            CVSgWorld* world);
  ~CVDispUnt() override;
  std::uint16_t GetType() const override { return DISP_UNIT; }
  // One step of a move; 1 while moving.
  std::uint32_t Update(std::uint32_t flag) override;
  void UpdateMaterials(std::uint32_t owner) override { SelectViewMaterial(owner); }
  std::uint32_t FaceParts(std::uint32_t code) override { return TurnStep(code); }

  // Ships of hulls whose size value is below 20 are drawn a tenth smaller;
  // without a unit or a hull, full size.
  static float ScaleOf(const CGUnit* unit);

  // The picture for (row, sector).
  static CVUnitView ViewFor(int row, int sector);

  void SetHeading(const double point[3]);
  void MoveTo(const double point[3]);
  void SetSpeed(float step, std::uint32_t finish);
  void SetMoveTurns(std::uint32_t turns);
  // 1 once the unit has left the space around it (a coordinate outside 800..1400).
  std::uint32_t FlyOut();
  void Roll(float angle);
  std::uint32_t TurnStep(std::uint32_t code);
  void SetWrecked(std::uint32_t state);
  std::uint32_t SelectViewMaterial(std::uint32_t owner);
  void GetMaterialBase(char* out) const;

  // The order queue of 32-byte records.
  void QueueOrder(const std::uint8_t record[32]);
  void ClearOrders();
  std::int16_t GetFirstOrderType() const;
  // The first record, taken off the queue; false when empty.
  bool TakeFirstOrder(std::array<std::uint8_t, 32>* out);
  void SetOrdersDone(std::uint32_t flag);

  float heading[3] = {1.f, 0.f, 0.f};
  float up[3] = {0.f, 1.f, 0.f};
  std::string baseName;
  std::string pictureName;
  std::uint32_t wreck = 0;
  std::uint32_t mirrored = 0;
  std::uint32_t freeFlight = 0;
  std::uint8_t guild = 0;
  std::uint16_t stepsLeft = 0;
  float stepLength = 0.f;
  float scale = 1.f;
  std::uint16_t spareWord = 0xFFFF;
  double target[3] = {0.0, 0.0, 0.0};
  std::uint8_t ordersDone = 1;
  std::vector<std::array<std::uint8_t, 32>> orders;

 private:
  void Build(const char* abbreviation);
  void Put(const double p[3]);
};
