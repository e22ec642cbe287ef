#pragma once
// Reads a battle replay file back through the client's replay reader,
// keeping what the tests compare with the battle.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "Game/net/ReplayReader.h"
#include "platform/core/files.h"

namespace battle_test {

using ReadPart = replay::ShotPart;
struct ReadShot : replay::ShotRecord {
  std::uint32_t unit = 0;
};
using ReadItem = replay::ItemRecord;
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

// Collects the records into a ReadReplay. A destruction must name a unit on
// the screen (a start unit or one brought in), else the replay is not whole.
class ReplayCollector : public replay::ReplaySink {
 public:
  explicit ReplayCollector(ReadReplay& out) : m_out(out) {}

  void ChapterRead(std::uint8_t chapter) override { m_out.chapters.push_back(chapter); }
  void AddUnit(const replay::UnitRecord& unit, bool joined) override {
    if (joined) {
      m_out.joined.push_back(unit.id);
      m_out.items.push_back({replay::kJoined, {unit.id}, {}});
    } else {
      m_out.units.push_back(unit.id);
    }
  }
  bool HasUnit(std::uint32_t id) override {
    return std::find(m_out.units.begin(), m_out.units.end(), id) != m_out.units.end() ||
           std::find(m_out.joined.begin(), m_out.joined.end(), id) != m_out.joined.end();
  }
  void MoveUnit(std::uint32_t, const Location&, std::uint32_t) override {}
  std::size_t QueueEvent(const replay::EventRecord&) override { return 1; }
  void WreckUnit(std::uint32_t) override {}
  void ShotRead(std::uint32_t unit, const replay::ShotRecord& shot) override {
    ReadShot read;
    static_cast<replay::ShotRecord&>(read) = shot;
    read.unit = unit;
    round.push_back(std::move(read));
  }
  void ItemRead(const replay::ItemRecord& item) override {
    if (item.code == replay::kDeparture) {
      m_out.departures.push_back(item.words[0]);
      return;
    }
    if (item.code == replay::kDestroyed && !HasUnit(item.words[0])) unplacedDestroyed = true;
    m_out.items.push_back(item);
  }

  std::vector<ReadShot> round;  // the shots of the phase being read
  bool unplacedDestroyed = false;

 private:
  ReadReplay& m_out;
};

inline ReadReplay ReadReplayFile(const std::string& dosPath) {
  ReadReplay out;
  plat::FILE* file = plat::fopen(dosPath.c_str(), "rb");
  if (file == nullptr) return out;
  ReplayCollector collector(out);
  replay::ReplayReader reader(file, collector);
  if (reader.ReadPreamble() && reader.ReadAsteroid(out.number)) {
    reader.ReadStartUnits();
    while (reader.ReadMovementPhase()) out.rounds.push_back(std::exchange(collector.round, {}));
    if (reader.lastCode() == replay::kPhasesEnd) {
      reader.ReadBattleSection();
      out.whole = reader.ended() && !reader.refused() && !collector.unplacedDestroyed && plat::fgetc(file) == EOF;
    }
  }
  plat::fclose(file);
  return out;
}

}  // namespace battle_test
