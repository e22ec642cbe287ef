#pragma once
// Units made one after another by one thread, as a load makes thousands of
// them: the maker takes every free slot of the units' pool (GSlotPool.cpp)
// under one lock, rather than one lock for each unit, and the slots no unit
// took go back when it goes. A unit made here is destroyed as any other
// (delete). The breaker is the other way round, for a game's end: the units
// it destroys give their slots back together, under one lock, when it goes.

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

class UnitBreaker {
 public:
  UnitBreaker() = default;
  // The slots of the units destroyed go back, the last one destroyed first
  // in the pool's free list, as deleting them one by one would leave it.
  ~UnitBreaker();
  UnitBreaker(const UnitBreaker&) = delete;
  UnitBreaker& operator=(const UnitBreaker&) = delete;

  // Destroys the unit (made by new or by a UnitMaker); null is ignored.
  void Destroy(CGUnit* unit) noexcept;

 private:
  // The slots of the units destroyed, the last one's first.
  [[maybe_unused]] void* m_first = nullptr;
  [[maybe_unused]] void* m_last = nullptr;
};
