// Where units, asteroids, asteroids' zones and the elements of the model's
// lists (messages, notes, transfers, ATV moves and counts, asteroid and
// terrain events) live. A saved game brings thousands of units and zones, and
// a turn makes and destroys many units: each object takes a slot of its size
// from blocks that double as the game grows (64 objects, then 128, and so on
// up to 4,096 a block; an asteroid's zones take one slot holding them all,
// from blocks of 16 such runs and up), and a destroyed object's slot serves
// the next one made. The blocks stay for the program's life, so a load after
// a game has ended takes its objects from the slots the old game left; the
// memory held is that of the most objects alive at one time.
//
// Under AddressSanitizer each object (each run of zones) is a heap block of
// its own, so that one used after its destruction is still reported.
#include <cstddef>
#include <memory>
#include <new>

#include "Game/arrayman/SlotBlocks.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GTerrainRec.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitMaker.h"
#include "Game/model/GZone.h"

namespace {

#ifndef QUEN_SLOTS_FROM_HEAP

// The slots of objects of type T. Never destroyed: an object may outlive
// every other static object.
template <class T>
SlotBlocks& SlotsOf() {
  static_assert(alignof(T) <= SlotBlocks::kAlign);
  static SlotBlocks* const slots = new SlotBlocks(sizeof(T), 64);
  return *slots;
}

// The slots of runs of `n` zones (1 to ZoneRun::kMostZones), in blocks of 16
// runs to begin with: a game has a few hundred asteroids, spread over the
// size classes.
SlotBlocks& ZoneRunSlots(int n) {
  static_assert(alignof(CGZone) <= SlotBlocks::kAlign);
  static SlotBlocks* const* const runs = [] {
    auto* table = new SlotBlocks*[ZoneRun::kMostZones + 1];
    for (int k = 0; k <= ZoneRun::kMostZones; ++k)
      table[k] = new SlotBlocks(std::size_t(k == 0 ? 1 : k) * sizeof(CGZone), 16);
    return table;
  }();
  return *runs[n];
}

#endif

// Both classes are final: every size asked for is the object's own. Kept out
// of line so that the compiler pairs a unit's class delete with its class new,
// not with the global new it would see inlined in the sanitizer build.
template <class T>
[[gnu::noinline]] void* TakeSlot([[maybe_unused]] std::size_t size) {
#ifdef QUEN_SLOTS_FROM_HEAP
  return ::operator new(size);
#else
  return SlotsOf<T>().Take();
#endif
}

template <class T>
void GiveSlot(void* p) noexcept {
  if (p == nullptr) return;
#ifdef QUEN_SLOTS_FROM_HEAP
  ::operator delete(p);
#else
  SlotsOf<T>().Give(p);
#endif
}

// The list elements of the model: a type of another size (one derived from
// it) comes from the heap.
template <class T>
void* TakeElement(std::size_t size) {
  return size == sizeof(T) ? TakeSlot<T>(size) : ::operator new(size);
}

template <class T>
void GiveElement(void* p, std::size_t size) noexcept {
  if (size == sizeof(T))
    GiveSlot<T>(p);
  else
    ::operator delete(p);
}

}  // namespace

void* CGUnit::operator new(std::size_t size) { return TakeSlot<CGUnit>(size); }
void CGUnit::operator delete(void* p) noexcept { GiveSlot<CGUnit>(p); }

#ifdef QUEN_SLOTS_FROM_HEAP

UnitMaker::~UnitMaker() = default;

std::unique_ptr<CGUnit> UnitMaker::Make() { return std::make_unique<CGUnit>(); }

UnitBreaker::~UnitBreaker() = default;

void UnitBreaker::Destroy(CGUnit* unit) noexcept { delete unit; }

#else

UnitMaker::~UnitMaker() {
  SlotsOf<CGUnit>().GiveChain(static_cast<SlotBlocks::FreeSlot*>(m_next), static_cast<SlotBlocks::FreeSlot*>(m_last));
}

std::unique_ptr<CGUnit> UnitMaker::Make() {
  auto* slot = static_cast<SlotBlocks::FreeSlot*>(m_next);
  if (slot == nullptr) {
    SlotBlocks::FreeSlot* last = nullptr;
    slot = SlotsOf<CGUnit>().TakeAll(&last);
    m_last = last;
  }
  m_next = slot->next;
  // The next unit's slot is on its way in while this one is filled. Asking
  // for slots further ahead as well (six units on, through the links or by
  // address) was measured and left out: the load benchmark could not tell it
  // from its noise.
  if (m_next != nullptr) {
    const auto* next = static_cast<const char*>(m_next);
    for (std::size_t at = 0; at < sizeof(CGUnit); at += 64) __builtin_prefetch(next + at, 1);
  }
  // Its own operator delete gives the slot back, as for a unit made by new.
  return std::unique_ptr<CGUnit>(::new (static_cast<void*>(slot)) CGUnit());
}

UnitBreaker::~UnitBreaker() {
  SlotsOf<CGUnit>().GiveChain(static_cast<SlotBlocks::FreeSlot*>(m_first), static_cast<SlotBlocks::FreeSlot*>(m_last));
}

void UnitBreaker::Destroy(CGUnit* unit) noexcept {
  if (unit == nullptr) return;
  // CGUnit is final: its own destructor is the whole object's.
  unit->~CGUnit();
  auto* slot = ::new (static_cast<void*>(unit)) SlotBlocks::FreeSlot{static_cast<SlotBlocks::FreeSlot*>(m_first)};
  if (m_last == nullptr) m_last = slot;
  m_first = slot;
}

#endif
void* CGAsteroid::operator new(std::size_t size) { return TakeSlot<CGAsteroid>(size); }
void CGAsteroid::operator delete(void* p) noexcept { GiveSlot<CGAsteroid>(p); }

namespace {

// Room for a run of `n` zones (1 to ZoneRun::kMostZones), holding none yet.
CGZone* TakeZoneRun(int n) {
#ifdef QUEN_SLOTS_FROM_HEAP
  return static_cast<CGZone*>(::operator new(static_cast<std::size_t>(n) * sizeof(CGZone)));
#else
  return static_cast<CGZone*>(ZoneRunSlots(n).Take());
#endif
}

// Destroys the first `made` zones of a run of `n` and gives its room back.
void GiveZoneRun(CGZone* zones, int n, int made) noexcept {
  for (int i = made; i-- > 0;) zones[i].~CGZone();
#ifdef QUEN_SLOTS_FROM_HEAP
  (void)n;
  ::operator delete(zones);
#else
  ZoneRunSlots(n).Give(zones);
#endif
}

}  // namespace

void ZoneRun::Make(int n, std::uint16_t asteroid, std::uint8_t owner) {
  Clear();
  if (n <= 0 || n > kMostZones) return;
  CGZone* zones = TakeZoneRun(n);
  for (int i = 0; i < n; ++i) ::new (zones + i) CGZone(static_cast<std::uint8_t>(i), asteroid, owner);
  m_zones = zones;
  m_count = n;
}

LoadStatus ZoneRun::Load(int n, std::uint8_t version, BlockReader& r) {
  Clear();
  if (n <= 0 || n > kMostZones) return n == 0 ? LoadStatus::kOk : LoadStatus::kBadCount;
  CGZone* zones = TakeZoneRun(n);
  for (int i = 0; i < n; ++i) {
    const LoadStatus s = CGZone::MakeFromBlock(zones + i, r, version);
    if (s != LoadStatus::kOk) {
      GiveZoneRun(zones, n, i);
      return s;
    }
  }
  m_zones = zones;
  m_count = n;
  return LoadStatus::kOk;
}

void ZoneRun::Clear() noexcept {
  if (m_zones == nullptr) return;
  GiveZoneRun(m_zones, m_count, m_count);
  m_zones = nullptr;
  m_count = 0;
}

void* ChatMessage::operator new(std::size_t size) { return TakeElement<ChatMessage>(size); }
void ChatMessage::operator delete(void* p, std::size_t size) noexcept { GiveElement<ChatMessage>(p, size); }
void* PlayerNote::operator new(std::size_t size) { return TakeElement<PlayerNote>(size); }
void PlayerNote::operator delete(void* p, std::size_t size) noexcept { GiveElement<PlayerNote>(p, size); }
void* AutoTransfer::operator new(std::size_t size) { return TakeElement<AutoTransfer>(size); }
void AutoTransfer::operator delete(void* p, std::size_t size) noexcept { GiveElement<AutoTransfer>(p, size); }
void* ZoneAtvMove::operator new(std::size_t size) { return TakeElement<ZoneAtvMove>(size); }
void ZoneAtvMove::operator delete(void* p, std::size_t size) noexcept { GiveElement<ZoneAtvMove>(p, size); }
void* ZoneAtvCount::operator new(std::size_t size) { return TakeElement<ZoneAtvCount>(size); }
void ZoneAtvCount::operator delete(void* p, std::size_t size) noexcept { GiveElement<ZoneAtvCount>(p, size); }
void* AsteroidEvent::operator new(std::size_t size) { return TakeElement<AsteroidEvent>(size); }
void AsteroidEvent::operator delete(void* p, std::size_t size) noexcept { GiveElement<AsteroidEvent>(p, size); }
void* TerrainEvent::operator new(std::size_t size) { return TakeElement<TerrainEvent>(size); }
void TerrainEvent::operator delete(void* p, std::size_t size) noexcept { GiveElement<TerrainEvent>(p, size); }
