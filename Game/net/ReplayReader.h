#pragma once
// The reading side of a space battle's replay file (".rpl", laid out in
// ReplayFormat.h), as the replay view, the review log and the battle tests
// consume it: the movement phases' shots become queued events, as do the
// battle section's items (a hit item there, 105, is read and passed over).
//
// The reader only parses and counts; what a record does to the scene (unit
// objects, their moves, queued events, wrecks) or to a log is the sink's
// business, so the format can be read and checked without a view. Every read is checked: a
// short or damaged file ends the phase or section it is in (code 12), never
// loops, and nesting is kept on the heap, so the file's size bounds the work;
// a file past what a battle holds is refused (refused()).
//
// The thread of its sink (the replay view reads inside its per-frame tick).

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/Packets.h"
#include "Game/model/GLocation.h"
#include "Game/net/ReplayFormat.h"
#include "platform/core/files.h"

namespace replay {

// What one battle's replay can hold; a file past any of these (or past
// kMostReplayBytes) is refused whole, as a missing one is.
// A battle is fought in at most ten rounds, a movement phase each.
constexpr std::uint32_t kMostMovementPhases = 10;
// Units placed, start units and joiners together: far above the battles of
// a 40-chapter game, and few enough that every frame of the scene stays
// quick (its instance sort grows with the square of the units).
constexpr std::uint32_t kMostBattleUnits = 2048;
// Events of one phase or of the battle section: they are numbered in 16 bits.
constexpr std::uint32_t kMostEventsPerPhase = 0xFFFF;

// The 32-byte record one event is queued as on its unit's display object.
class EventRecord {
 public:
  static constexpr std::size_t kOwner = 0, kModule = 4, kTarget = 8, kKind = 12, kFirstModule = 14, kFirstDamage = 16,
                               kSecondModule = 18, kSecondDamage = 20, kExtraByte = 21, kExtraValue = 22, kHull = 24,
                               kLife = 25, kLeech = 26, kNumber = 28;
  EventRecord() { Reset(); }
  // Unread fields stay 0xFF, but the three damage counters start from 0.
  void Reset();
  std::uint8_t U8(std::size_t at) const { return bytes[at]; }
  std::uint16_t U16(std::size_t at) const;
  std::uint32_t U32(std::size_t at) const;
  void SetU8(std::size_t at, std::uint8_t v) { bytes[at] = v; }
  void SetU16(std::size_t at, std::uint16_t v);
  void SetU32(std::size_t at, std::uint32_t v);

  std::array<std::uint8_t, 32> bytes{};
};

// A shot as the file has it: its fields and its parts in file order (a
// part's value is the shield module of 103, the kind of 105 and 106, else 0).
struct ShotPart {
  std::uint8_t code = 0;
  std::uint32_t value = 0;
  std::uint16_t amount = 0;
};
struct ShotRecord {
  std::uint32_t weapon = 0, target = 0, chance = 0;
  std::uint8_t effective = 0;
  std::vector<ShotPart> parts;
};
// A battle-section item other than a joining unit: its code and payload words
// in file order (a destruction's id, with its wreck list in `wrecks`).
struct ItemRecord {
  std::uint8_t code = 0;
  std::vector<std::uint32_t> words;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> wrecks;
};

// What the records do to the scene.
class ReplaySink {
 public:
  virtual ~ReplaySink() = default;
  // A start unit, or one that joined during the battle (`joined`).
  virtual void AddUnit(const UnitRecord& unit, bool joined) = 0;
  virtual bool HasUnit(std::uint32_t id) = 0;
  // A move record of a unit that has a display object, after its shots were queued.
  virtual void MoveUnit(std::uint32_t id, const Location& to, std::uint32_t engine) = 0;
  // Queues the event on the unit named at offset 0; returns the length of that
  // unit's queue afterwards, or 0 when the unit has no display object.
  virtual std::size_t QueueEvent(const EventRecord& event) = 0;
  virtual void WreckUnit(std::uint32_t id) = 0;

  // The records as read, for sinks that tell or check a battle rather than
  // play it; the scene has what it needs from the calls above.
  // A chapter of the preamble.
  virtual void ChapterRead(std::uint8_t /*chapter*/) {}
  // A shot with at least one part, handed over when it is queued (a nested
  // shot before the shot it is nested in).
  virtual void ShotRead(std::uint32_t /*unit*/, const ShotRecord& /*shot*/) {}
  // A battle-section item read whole (a joining unit comes as AddUnit).
  virtual void ItemRead(const ItemRecord& /*item*/) {}
};

// The replay view's event counters; each movement phase and the battle section starts them at 0.
struct EventCounters {
  std::uint32_t next = 0;  // the number the next queued event gets
  std::uint32_t mostOfOneUnit = 0;
  std::uint32_t started = 0;  // advanced by the playback
};

class ReplayReader {
 public:
  // `file` stays owned by the caller.
  ReplayReader(plat::FILE* file, ReplaySink& sink) : m_in(file), m_sink(sink) {}

  // The preamble, each chapter to the sink: false when the file ends before its 0xFF.
  bool ReadPreamble();
  bool ReadAsteroid(std::uint16_t& asteroid);
  // Start units until the terminator, handed to the sink; true also for none.
  // A damaged record ends the list.
  void ReadStartUnits();
  // The file went past what a battle holds (the bounds above): nothing more
  // is read from it, and the view leaves it as it leaves a missing file.
  bool refused() const { return m_refused; }
  // One unit record; false at the terminator or a read failure (or n above 5).
  bool ReadUnitRecord(UnitRecord& out);
  // One movement phase; false when the phases are over (code 11) or reading failed (code 12).
  bool ReadMovementPhase();
  // The shot events after one move record; returns the code that ends them.
  std::uint8_t ReadShotEvents(std::uint32_t unit);
  // The battle section; true when it met at least one event item.
  bool ReadBattleSection();
  // The (id, flag) pairs after a destruction and their closing code, kept in `wrecks`.
  bool ReadWreckList(std::vector<std::pair<std::uint32_t, std::uint32_t>>& wrecks);

  // The battle section was read to its code 12.
  bool ended() const { return m_ended; }
  // The code that ended the last movement phase read.
  std::uint8_t lastCode() const { return m_lastCode; }
  EventCounters& counters() { return m_counters; }
  const EventCounters& counters() const { return m_counters; }

 private:
  bool ReadCode(std::uint8_t& code);
  // The fields of one shot after its 'e', then its sub-codes; nested shots of
  // the same unit are collected before it. Returns the code ending them all.
  std::uint8_t ReadShotChain(std::uint32_t unit);
  void Queue(EventRecord& event, std::uint32_t owner);
  // Queues the chain read, innermost shot first, and empties it.
  void QueueChain(std::uint32_t unit);
  void DropChain();
  // Hands a unit to the sink while the battle's units are within their bound.
  bool PlaceUnit(const UnitRecord& unit, bool joined);
  void Refuse(const char* why);

  FileReader m_in;
  ReplaySink& m_sink;
  EventCounters m_counters;
  std::uint8_t m_lastCode = 0;
  std::vector<EventRecord> m_chain;  // shots read but not yet queued, outermost first
  std::vector<ShotRecord> m_shots;   // the same shots as the file has them
  std::uint32_t m_units = 0;
  std::uint32_t m_phases = 0;
  bool m_refused = false;
  bool m_ended = false;
};

// False (traced) for a file longer than any replay a battle makes.
bool ReplayFileSizeAllowed(plat::FILE* file);

// A coordinate cut (not rounded) to hundredths, as moves compare positions.
double TruncateToHundredths(double v);

// The replay file of a battle place: "<save path><asteroid>.rpl", else
// "<save path><instance handle in upper-case hex>rplyS.dat"; nullptr when
// neither opens.
plat::FILE* OpenReplayFileOf(std::uint16_t asteroid, std::uintptr_t instance);

}  // namespace replay
