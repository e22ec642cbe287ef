#pragma once
// Units made one after another by one thread, as a load makes thousands of
// them: the maker takes every free slot of the units' pool (GSlotPool.cpp)
// under one lock, rather than one lock for each unit, and the slots no unit
// took go back when it goes. A unit made here is destroyed as any other
// (delete).

#include <memory>

class CGUnit;

class UnitMaker {
 public:
  UnitMaker() = default;
  ~UnitMaker();
  UnitMaker(const UnitMaker&) = delete;
  UnitMaker& operator=(const UnitMaker&) = delete;

  // A unit as its default constructor makes it.
  std::unique_ptr<CGUnit> Make();

 private:
  // The run's slots not taken yet, the last one's link null (none where
  // every unit is a heap block of its own, under AddressSanitizer).
  [[maybe_unused]] void* m_next = nullptr;
  [[maybe_unused]] void* m_last = nullptr;
};
