#pragma once
// Reads a battle replay file back the way the client's replay view and
// review log walk it, keeping what the tests compare with the battle.

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "Game/net/ReplayFormat.h"
#include "platform/core/bytes.h"

namespace battle_test {

struct ReadPart {
  std::uint8_t code = 0;
  std::uint32_t value = 0;
  std::uint16_t amount = 0;
};
struct ReadShot {
  std::uint32_t unit = 0, weapon = 0, target = 0, chance = 0;
  std::uint8_t effective = 0;
  std::vector<ReadPart> parts;
};
// A battle-section item other than a departure: its code and payload words
// in file order (a destruction's wreck list in `wrecks`).
struct ReadItem {
  std::uint8_t code = 0;
  std::vector<std::uint32_t> words;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> wrecks;
};
struct ReadReplay {
  bool whole = false;  // every section read and closed by its code
  std::vector<std::uint8_t> chapters;
  std::uint16_t number = 0;
  std::vector<std::uint32_t> units;
  std::vector<std::vector<ReadShot>> rounds;
  std::vector<std::uint32_t> departures;
  std::vector<ReadItem> items;
  std::vector<std::uint32_t> joined;  // units brought in by item 8
  // The items of one code.
  std::vector<ReadItem> Items(std::uint8_t code) const {
    std::vector<ReadItem> out;
    for (const ReadItem& item : items)
      if (item.code == code) out.push_back(item);
    return out;
  }
  // Every shot, round after round.
  std::vector<ReadShot> Shots() const {
    std::vector<ReadShot> all;
    for (const auto& round : rounds) all.insert(all.end(), round.begin(), round.end());
    return all;
  }
};

inline ReadReplay ReadReplayFile(std::span<const std::uint8_t> bytes) {
  ReadReplay out;
  plat::ByteReader r(bytes);
  auto code = [&r](std::uint8_t& c) {
    std::uint32_t marker = 0;
    return r.Read(marker) && marker == replay::kMarker && r.Read(c);
  };
  std::uint8_t b = 0;
  while (r.Read(b) && b != replay::kPreambleEnd) out.chapters.push_back(b);
  if (!r.Read(out.number)) return out;
  for (;;) {
    replay::UnitRecord unit;
    const replay::UnitRead read = replay::ReadUnitRecord(r, unit);
    if (read == replay::UnitRead::kEnd && unit.id == replay::kMarker) break;
    if (read != replay::UnitRead::kRecord) return out;
    out.units.push_back(unit.id);
  }
  std::vector<ReadShot> round;
  std::uint8_t c = 0;
  for (;;) {
    std::uint32_t id = 0;
    if (!r.Read(id)) return out;
    if (id == replay::kMarker) {
      if (!r.Read(c)) return out;
    } else {
      ReadShot shot;
      shot.unit = id;
      std::uint32_t engine = 0;
      if (!r.Skip(8) || !r.Read(engine) || !code(c) || c != replay::kShot) return out;
      if (!r.Read(shot.weapon) || !r.Read(shot.target) || !r.Read(shot.chance) || !r.Read(shot.effective)) return out;
      while (code(c) && c >= replay::kShot) {
        ReadPart part{c, 0, 0};
        std::uint16_t kind = 0;
        if (c == replay::kShield && !r.Read(part.value)) return out;
        if ((c == replay::kHit || c == replay::kKill) && !(r.Read(kind) && r.Read(part.amount))) return out;
        part.value = c == replay::kShield ? part.value : kind;
        shot.parts.push_back(part);
      }
      round.push_back(std::move(shot));
    }
    if (c == replay::kPhaseEnd) out.rounds.push_back(std::exchange(round, {}));
    if (c == replay::kPhasesEnd) break;
  }
  // The battle section as the replay view reads it: a destruction's wreck
  // list follows only when its unit is on the screen (a start unit or one
  // brought in), and an item the view does not know ends the reading.
  auto known = [&out](std::uint32_t id) {
    return std::find(out.units.begin(), out.units.end(), id) != out.units.end() ||
           std::find(out.joined.begin(), out.joined.end(), id) != out.joined.end();
  };
  auto words = [&r](ReadItem& item, int n) {
    for (int i = 0; i < n; ++i) {
      std::uint32_t v = 0;
      if (!r.Read(v)) return false;
      item.words.push_back(v);
    }
    return true;
  };
  while (code(c) && c != replay::kStop) {
    ReadItem item{c, {}, {}};
    if (c == replay::kDeparture) {
      std::uint32_t id = 0, engine = 0;
      if (!r.Read(id) || !r.Read(engine)) return out;
      out.departures.push_back(id);
      continue;
    }
    if (c == replay::kDestroyed) {
      if (!words(item, 1) || !known(item.words[0])) return out;
      for (;;) {
        std::uint32_t id = 0, flag = 0;
        if (!r.Read(id)) return out;
        if (id == replay::kMarker) break;
        if (!r.Read(flag)) return out;
        item.wrecks.emplace_back(id, flag);
      }
      std::uint8_t end = 0;
      if (!r.Read(end) || end != replay::kStepEnd) return out;
    } else if (c == replay::kScan || c == replay::kAsteroidFire) {
      if (!words(item, 3)) return out;
    } else if (c == replay::kTransportOut || c == replay::kTransportIn) {
      if (!words(item, 2)) return out;
    } else if (c == replay::kJoined) {
      replay::UnitRecord unit;
      if (replay::ReadUnitRecord(r, unit) != replay::UnitRead::kRecord) return out;
      out.joined.push_back(unit.id);
      item.words.push_back(unit.id);
    } else {
      return out;
    }
    out.items.push_back(std::move(item));
  }
  out.whole = c == replay::kStop && r.Remaining() == 0;
  return out;
}

}  // namespace battle_test
