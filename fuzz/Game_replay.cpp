// Battle replay files from any bytes, read as the replay view reads them:
// every phase and the battle section end, no more events are queued than the
// file has bytes for, and no read passes the file's end.
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>

#include "Game/net/ReplayFormat.h"
#include "Game/net/ReplayReader.h"
#include "fuzz/scratch.h"
#include "fuzz/seeds.h"

namespace {

constexpr std::uint32_t kOwn = (9u << 26) | 1, kEnemy = (17u << 26) | 2, kLate = (17u << 26) | 9;

class Scene : public replay::ReplaySink {
 public:
  void AddUnit(const replay::UnitRecord& unit, bool) override {
    if (unit.count > replay::kMostAppearanceBytes) __builtin_trap();
    units.insert(unit.id);
  }
  bool HasUnit(std::uint32_t id) override { return units.count(id) != 0; }
  void MoveUnit(std::uint32_t id, const Location&, std::uint32_t) override {
    if (!HasUnit(id)) __builtin_trap();
  }
  std::size_t QueueEvent(const replay::EventRecord& event) override {
    if (!HasUnit(event.U32(replay::EventRecord::kOwner))) return 0;
    return ++events;
  }
  void WreckUnit(std::uint32_t id) override {
    if (!HasUnit(id)) __builtin_trap();
  }
  std::set<std::uint32_t> units;
  std::size_t events = 0;
};

fuzz::Seeds MakeSeeds() {
  replay::ReplayBuilder start;
  start.Participants({9, 17}, 4).Unit(kOwn, {4, 10, 20, 30}, "FF").Unit(kEnemy, {4, 90, 0, 0}, "BB").EndUnits();
  replay::ReplayBuilder battle = start;
  battle.Move(kOwn, {4, 12, 20, 30}).Shot(7, kEnemy, 70, 1).Hit(41, 3).Kill(1253, 5).Hit(1252, 2).End(10);
  battle.Move(kOwn, {4, 14, 20, 30}, 33).Shot(7, kEnemy).Shield(9).Again(8, kEnemy).Miss().End(1);
  battle.Move(kEnemy, {4, 90, 0, 0}).Shot(2, kOwn).Kill(1254, 4).End(1).Code(11);
  battle.Scan(kEnemy, 60, kOwn).Transport(false, kOwn, 61).Transport(true, kOwn, 62);
  battle.AsteroidFire(kEnemy, 0xFFFF0004, 63).Departure(kOwn);
  battle.Destroyed(kEnemy, {{kEnemy, 1}}).Joined(kLate, {4, 1, 2, 3}, "FRIGT").Code(105).U16(1).U16(2).Code(12);
  replay::ReplayBuilder quiet = start;
  quiet.Code(11).Code(12);
  return {battle.bytes(), quiet.bytes(), {0xFF, 0xFF, 0xFF, 0xFF}};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WriteSeedsIfAsked(MakeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plat::FILE* file = fuzz::Scratch::Get().Open("4.rpl", std::span(data, size));
  if (file == nullptr) return 0;
  Scene scene;
  replay::ReplayReader reader(file, scene);
  std::uint16_t asteroid = 0;
  if (reader.ReadPreamble() && reader.ReadAsteroid(asteroid)) {
    reader.ReadStartUnits();
    std::size_t phases = 0;
    while (reader.ReadMovementPhase()) {
      // Each phase takes at least its closing marker and code.
      if (++phases > size / 5) __builtin_trap();
    }
    reader.ReadBattleSection();
  }
  // The smallest shot: a sub-code's marker and code after nine bytes of fields.
  if (scene.events > size / 9 + 1) __builtin_trap();
  plat::fclose(file);
  return 0;
}
