#include "Game/net/ReplayReader.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"

namespace replay {

namespace {
constexpr const char* kSource = "ReplayReader.cpp";
}  // namespace

void EventRecord::Reset() {
  bytes.fill(0xFF);
  for (std::size_t i = kHull; i < kNumber; ++i) bytes[i] = 0;
}

std::uint16_t EventRecord::U16(std::size_t at) const {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t EventRecord::U32(std::size_t at) const { return U16(at) | (std::uint32_t{U16(at + 2)} << 16); }

void EventRecord::SetU16(std::size_t at, std::uint16_t v) {
  bytes[at] = static_cast<std::uint8_t>(v);
  bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void EventRecord::SetU32(std::size_t at, std::uint32_t v) {
  SetU16(at, static_cast<std::uint16_t>(v));
  SetU16(at + 2, static_cast<std::uint16_t>(v >> 16));
}

bool ReplayReader::ReadPreamble() {
  for (std::uint8_t byte = 0;;) {
    if (!m_in.Read(byte)) {
      TraceError("A replay file has no end to its preamble", kSource, __LINE__);
      return false;
    }
    if (byte == kPreambleEnd) return true;
    m_sink.ChapterRead(byte);
  }
}

bool ReplayReader::ReadAsteroid(std::uint16_t& asteroid) {
  if (m_in.Read(asteroid)) return true;
  TraceError("A replay file ends before its asteroid", kSource, __LINE__);
  return false;
}

bool ReplayReader::ReadUnitRecord(UnitRecord& out) {
  switch (replay::ReadUnitRecord(m_in, out)) {
    case UnitRead::kRecord:
      return true;
    case UnitRead::kEnd:
      return false;
    case UnitRead::kCutShort:
      TraceError("A replay's unit record is cut short", kSource, __LINE__);
      return false;
    case UnitRead::kTooLong:
      TraceError("A replay's unit record has too many appearance bytes", kSource, __LINE__);
      return false;
  }
  return false;
}

void ReplayReader::Refuse(const char* why) {
  if (!m_refused) TraceError(why, kSource, __LINE__);
  m_refused = true;
}

bool ReplayReader::PlaceUnit(const UnitRecord& unit, bool joined) {
  if (m_units >= kMostBattleUnits) {
    Refuse("A replay places more units than a battle holds");
    return false;
  }
  ++m_units;
  m_sink.AddUnit(unit, joined);
  return true;
}

void ReplayReader::ReadStartUnits() {
  UnitRecord unit;
  while (!m_refused && ReadUnitRecord(unit)) PlaceUnit(unit, false);
}

bool ReplayReader::ReadCode(std::uint8_t& code) {
  if (m_in.Read(code)) return true;
  TraceError("A replay file ends before a code", kSource, __LINE__);
  return false;
}

bool ReplayReader::ReadMovementPhase() {
  if (m_refused) return false;
  m_counters = {};
  std::uint8_t code = 0xFF;
  while (!m_refused && code != kPhaseEnd && code != kPhasesEnd && code != kStop) {
    std::uint32_t id = 0;
    if (!m_in.Read(id)) {
      TraceError("A replay file ends inside a movement phase", kSource, __LINE__);
      code = kStop;
    } else if (id == kMarker) {
      if (!ReadCode(code)) code = kStop;
    } else {
      Location to;
      std::uint32_t engine = kNoEngine;
      // A move cut short leaves nothing sound to read after it.
      if (!m_in.Read(to.asteroid) || !m_in.Read(to.x) || !m_in.Read(to.y) || !m_in.Read(to.z) || !m_in.Read(engine)) {
        TraceError("A replay's move record is cut short", kSource, __LINE__);
        code = kStop;
      } else if (!m_sink.HasUnit(id)) {
        TraceError("A replay moves a unit it never placed", kSource, __LINE__);
        code = kStop;
      } else {
        code = ReadShotEvents(id);
        m_sink.MoveUnit(id, to, engine);
      }
    }
    if (code == kStepEnd) code = kReadOn;
  }
  if (code == kPhaseEnd && ++m_phases > kMostMovementPhases)
    Refuse("A replay has more movement phases than a battle has rounds");
  if (m_refused) code = kStop;
  m_lastCode = code;
  return code == kPhaseEnd;
}

std::uint8_t ReplayReader::ReadShotEvents(std::uint32_t unit) {
  std::uint32_t marker = 0;
  std::uint8_t code = 0;
  if (!m_in.Read(marker) || !ReadCode(code)) return kStop;
  if (marker != kMarker) TraceError("A replay's move record lacks its marker", kSource, __LINE__);
  if (code != kShot) return code;
  return ReadShotChain(unit);
}

void ReplayReader::Queue(EventRecord& event, std::uint32_t owner) {
  if (m_counters.next >= kMostEventsPerPhase) {
    Refuse("A replay has more events in one phase than can be numbered");
    return;
  }
  event.SetU32(EventRecord::kOwner, owner);
  event.SetU16(EventRecord::kNumber, static_cast<std::uint16_t>(m_counters.next));
  const std::size_t length = m_sink.QueueEvent(event);
  if (length == 0) {
    TraceError("A replay's event names a unit it never placed", kSource, __LINE__);
    return;
  }
  ++m_counters.next;
  if (length > m_counters.mostOfOneUnit) m_counters.mostOfOneUnit = static_cast<std::uint32_t>(length);
}

void ReplayReader::DropChain() {
  m_chain.clear();
  m_shots.clear();
}

void ReplayReader::QueueChain(std::uint32_t unit) {
  // The innermost shot was read last from the file but goes first in the queue.
  for (std::size_t i = m_chain.size(); i-- > 0;) {
    Queue(m_chain[i], unit);
    if (!m_refused && !m_shots[i].parts.empty()) m_sink.ShotRead(unit, m_shots[i]);
  }
  DropChain();
}

std::uint8_t ReplayReader::ReadShotChain(std::uint32_t unit) {
  // A shot may nest further shots of the same unit among its sub-codes; the
  // nested ones are queued first. The chain lives on the heap so that a file
  // of nothing but nested shots costs memory in step with its size, not stack.
  DropChain();
  for (;;) {
    EventRecord& event = m_chain.emplace_back();
    ShotRecord& shot = m_shots.emplace_back();
    std::uint32_t weapon = 0, target = 0, extra = 0, marker = 0;
    std::uint8_t extraByte = 0, code = 0;
    if (!m_in.Read(weapon)) {
      TraceError("A replay's shot is cut short", kSource, __LINE__);
      DropChain();
      return kStop;
    }
    if (weapon == kMarker) {
      TraceError("A replay's shot starts with a marker", kSource, __LINE__);
      DropChain();
      return ReadCode(code) ? code : std::uint8_t{kStop};
    }
    if (!m_in.Read(target) || !m_in.Read(extra) || !m_in.Read(extraByte) || !m_in.Read(marker) || !ReadCode(code)) {
      TraceError("A replay's shot is cut short", kSource, __LINE__);
      DropChain();
      return kShot;
    }
    if (marker != kMarker) {
      // Nothing after a broken frame can be trusted: stop reading.
      TraceError("A replay's shot lacks its marker", kSource, __LINE__);
      DropChain();
      return kStop;
    }
    event.SetU32(EventRecord::kModule, weapon);
    event.SetU32(EventRecord::kTarget, target);
    event.SetU16(EventRecord::kExtraValue, static_cast<std::uint16_t>(extra));
    event.SetU8(EventRecord::kExtraByte, extraByte);
    shot.weapon = weapon;
    shot.target = target;
    shot.chance = extra;
    shot.effective = extraByte;
    if (code < kShot) {
      // No sub-code at all (10 ends the step): there is nothing to play.
      m_chain.pop_back();
      m_shots.pop_back();
      QueueChain(unit);
      return code;
    }
    event.SetU8(EventRecord::kKind, code);
    bool nested = false;
    while (code >= kShot && !nested) {
      switch (code) {
        case kShot:
          nested = true;
          continue;
        case kMiss:
          shot.parts.push_back({code, 0, 0});
          break;
        case kShield: {
          std::uint32_t shield = 0;
          if (!m_in.Read(shield)) {
            DropChain();
            return kStop;
          }
          shot.parts.push_back({code, shield, 0});
          event.SetU16(EventRecord::kSecondModule, static_cast<std::uint16_t>(shield));
          event.SetU8(EventRecord::kKind, kShield);
          break;
        }
        case kHit:
        case kKill: {
          std::uint16_t module = 0, amount = 0;
          if (!m_in.Read(module) || !m_in.Read(amount)) {
            DropChain();
            return kStop;
          }
          shot.parts.push_back({code, module, amount});
          if (code == kKill) event.SetU8(EventRecord::kKind, kKill);
          if (module == kLeechModule) {
            event.SetU16(EventRecord::kLeech, static_cast<std::uint16_t>(event.U16(EventRecord::kLeech) + amount));
          } else if (module == kHullModule) {
            event.SetU8(EventRecord::kHull, static_cast<std::uint8_t>(event.U8(EventRecord::kHull) + amount));
          } else if (module == kLifeModule) {
            event.SetU8(EventRecord::kLife, static_cast<std::uint8_t>(event.U8(EventRecord::kLife) + amount));
          } else {
            if (event.U16(EventRecord::kFirstModule) != 0xFFFF) {
              if (event.U16(EventRecord::kSecondModule) != 0xFFFF) {
                TraceError("A replay's shot damages more than two modules", kSource, __LINE__);
              }
              event.SetU16(EventRecord::kSecondModule, event.U16(EventRecord::kFirstModule));
              event.SetU8(EventRecord::kSecondDamage, event.U8(EventRecord::kFirstDamage));
            }
            event.SetU16(EventRecord::kFirstModule, module);
            event.SetU8(EventRecord::kFirstDamage, static_cast<std::uint8_t>(amount));
          }
          break;
        }
        default:
          shot.parts.push_back({code, 0, 0});
          TraceError("A replay's shot has an unknown part", kSource, __LINE__);
          break;
      }
      if (!m_in.Read(marker) || !ReadCode(code)) {
        TraceError("A replay's shot is cut short", kSource, __LINE__);
        DropChain();
        return kStop;
      }
      if (marker != kMarker) TraceError("A replay's shot part lacks its marker", kSource, __LINE__);
    }
    if (nested) continue;
    QueueChain(unit);
    return code;
  }
}

bool ReplayReader::ReadWreckList(std::vector<std::pair<std::uint32_t, std::uint32_t>>& wrecks) {
  for (std::uint32_t listed = 0;; ++listed) {
    std::uint32_t id = 0, flag = 0;
    if (!m_in.Read(id)) {
      TraceError("A replay's wreck list is cut short", kSource, __LINE__);
      return false;
    }
    if (id == kMarker) {
      std::uint8_t code = 0;
      if (!ReadCode(code)) return false;
      if (code != kStepEnd) TraceError("A replay's wreck list ends oddly", kSource, __LINE__);
      return true;
    }
    if (listed == kMostBattleUnits) {
      Refuse("A replay's wreck list is longer than a battle's units");
      return false;
    }
    if (!m_in.Read(flag)) {
      TraceError("A replay's wreck list is cut short", kSource, __LINE__);
      return false;
    }
    wrecks.emplace_back(id, flag);
    // A unit without a display object is skipped, not taken for the list's end,
    // so the rest of the list is never read as battle items.
    if (flag != 0 && m_sink.HasUnit(id)) m_sink.WreckUnit(id);
  }
}

bool ReplayReader::ReadBattleSection() {
  if (m_refused) return false;
  m_counters = {};
  bool result = false;
  for (bool more = true; more && !m_refused;) {
    std::uint32_t marker = 0;
    if (!m_in.Read(marker) || marker != kMarker) {
      TraceError("A replay's battle item lacks its marker", kSource, __LINE__);
      more = false;
    }
    std::uint8_t code = 0;
    if (!ReadCode(code)) break;
    EventRecord event;
    ItemRecord item{code, {}, {}};
    bool read = true;
    std::uint32_t owner = 0;
    switch (code) {
      case kDestroyed: {
        std::uint32_t id = 0;
        read = m_in.Read(id);
        if (!read) break;
        event.SetU32(EventRecord::kTarget, id);
        event.SetU8(EventRecord::kKind, code);
        result = true;
        Queue(event, id);
        item.words.push_back(id);
        if (ReadWreckList(item.wrecks)) {
          m_sink.ItemRead(item);
        } else {
          more = false;
        }
        continue;
      }
      case kScan: {
        std::uint32_t first = 0, module = 0;
        read = m_in.Read(first) && m_in.Read(module) && m_in.Read(owner);
        item.words = {first, module, owner};
        event.SetU32(EventRecord::kModule, module);
        event.SetU32(EventRecord::kTarget, owner);
        break;
      }
      case kTransportOut:
      case kTransportIn: {
        std::uint32_t module = 0;
        read = m_in.Read(owner) && m_in.Read(module);
        item.words = {owner, module};
        event.SetU32(EventRecord::kModule, module);
        break;
      }
      case kDeparture: {
        std::uint32_t engine = 0;
        read = m_in.Read(owner) && m_in.Read(engine);
        item.words = {owner, engine};
        event.SetU32(EventRecord::kTarget, owner);
        event.SetU16(EventRecord::kFirstModule, static_cast<std::uint16_t>(engine));
        break;
      }
      case kAsteroidFire: {
        std::uint32_t target = 0, module = 0;
        read = m_in.Read(owner) && m_in.Read(target) && m_in.Read(module);
        item.words = {owner, target, module};
        event.SetU32(EventRecord::kTarget, target);
        event.SetU32(EventRecord::kModule, module);
        break;
      }
      case kJoined: {
        UnitRecord unit;
        if (ReadUnitRecord(unit)) {
          PlaceUnit(unit, true);
        } else {
          TraceError("A replay's joining unit is unreadable", kSource, __LINE__);
        }
        continue;
      }
      case kStop:
        m_ended = more;
        more = false;
        continue;
      case kHit: {
        std::uint16_t ignored = 0;
        if (!m_in.Read(ignored) || !m_in.Read(ignored)) more = false;
        continue;
      }
      default:
        TraceError("A replay's battle section has an unknown item", kSource, __LINE__);
        more = false;
        continue;
    }
    if (!read) {
      TraceError("A replay's battle item is cut short", kSource, __LINE__);
      break;
    }
    event.SetU8(EventRecord::kKind, code);
    result = true;
    Queue(event, owner);
    m_sink.ItemRead(item);
  }
  return result && !m_refused;
}

bool ReplayFileSizeAllowed(plat::FILE* file) {
  if (plat::fseek(file, 0, SEEK_END) != 0) return false;
  const long size = plat::ftell(file);
  if (plat::fseek(file, 0, SEEK_SET) != 0 || size < 0) return false;
  if (static_cast<unsigned long>(size) <= kMostReplayBytes) return true;
  TraceError("A replay file is longer than any battle's replay", kSource, __LINE__);
  return false;
}

double TruncateToHundredths(double v) { return std::trunc(v * 100.0) * 0.01; }

plat::FILE* OpenReplayFileOf(std::uint16_t asteroid, std::uintptr_t instance) {
  const std::string path = g_instData.GetSavePath();
  if (plat::FILE* f = plat::fopen((path + std::to_string(asteroid) + ".rpl").c_str(), "rb")) return f;
  char name[32];
  std::snprintf(name, sizeof name, "%llXrplyS.dat", static_cast<unsigned long long>(instance));
  return plat::fopen((path + name).c_str(), "rb");
}

}  // namespace replay
