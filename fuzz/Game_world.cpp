// The world model's saved blocks (zone, asteroid, star, solar system,
// chapter, guild, guild list, pools, notifications, terrain record) and the
// packets the guilds, chapters and terrain records read, from any bytes. The
// first byte picks the block (low four bits) and whether it is cut short (high
// bits); the rest is laid over a well-formed block of that kind, which stands
// in for a seed corpus. A block that loads saves to bytes that load to the same bytes again;
// a refused block leaves its object as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "fuzz/seeds.h"
#include "tests/Game/model/world/world_generator.h"
#include "tests/support/test_world.h"

namespace {

template <class T>
std::vector<std::uint8_t> Save(const T& object) {
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  if (!object.Save(w)) __builtin_trap();
  return bytes;
}

// Loads `block` into `object`; checks the round trip or the untouched object.
template <class T, class Fresh, class... Extra>
void Check(T& object, Fresh fresh, std::span<const std::uint8_t> block, Extra... extra) {
  const std::vector<std::uint8_t> before = Save(object);
  BlockReader r(block);
  if (object.Load(r, extra...) != LoadStatus::kOk) {
    if (Save(object) != before) __builtin_trap();
    return;
  }
  const std::vector<std::uint8_t> once = Save(object);
  auto again = fresh();
  BlockReader r2(once);
  if (again->Load(r2, extra...) != LoadStatus::kOk || Save(*again) != once) __builtin_trap();
}

// A zone is read in the form its asteroid's version gives but always saved in
// the newest, so the second reading takes the newest version.
void CheckZone(std::span<const std::uint8_t> block, std::uint8_t version) {
  CGZone zone(0, 0);
  const std::vector<std::uint8_t> before = Save(zone);
  BlockReader r(block);
  if (zone.Load(r, version) != LoadStatus::kOk) {
    if (Save(zone) != before) __builtin_trap();
    return;
  }
  const std::vector<std::uint8_t> once = Save(zone);
  CGZone again(0, 0);
  BlockReader r2(once);
  if (again.Load(r2, kAsteroidVersion) != LoadStatus::kOk || Save(again) != once) __builtin_trap();
}

struct FuzzWorld {
  CGSolarDB solar;
  CGuildList guilds{8};
  CGPoolDB pools;
  CGNotificationList notes;
  FuzzWorld() {
    world_test::GenerateSolarSystem(solar, 6, 3);
    world_test::GenerateChapters(guilds, 4);
    pools.SetMineral(5, 2, 400);
    notes.Add(3, 4, 414, "Rock", "Edge", 1, 2, 3);
  }
};

std::vector<std::uint8_t> SeedOf(const FuzzWorld& w, int kind) {
  const CGAsteroid& a = *w.solar.GetAsteroid(4);
  switch (kind) {
    case 0:
      return Save(*a.GetZone(5));
    case 1:
      return Save(a);
    case 2:
      return Save(*w.solar.GetStar(1));
    case 3:
      return Save(w.solar);
    case 4:
      return Save(*w.guilds.GetChapter(9));
    case 5:
      return Save(*w.guilds.GetGuild(2));
    case 6:
      return Save(w.guilds);
    case 7:
      return Save(w.pools);
    case 8:
      return Save(w.notes);
    case 9:
      return Save(static_cast<const CRecorder&>(*w.solar.GetAsteroid(0)));
    default:
      return std::vector<std::uint8_t>(40, 0);  // a packet
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // One seed per kind: its byte, then the well-formed block laid unchanged.
  fuzz::WriteSeedsIfAsked([] {
    const FuzzWorld world;
    fuzz::Seeds seeds;
    for (int kind = 0; kind < 16; ++kind) {
      seeds.emplace_back(1 + SeedOf(world, kind).size(), 0);
      seeds.back()[0] = static_cast<std::uint8_t>(kind);
    }
    return seeds;
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static FuzzWorld world;
  static test_support::TestWorld model;
  model.solar = &world.solar;
  model.guilds = &world.guilds;
  const int kind = data[0] & 0x0F;
  std::vector<std::uint8_t> block = SeedOf(world, kind);
  if (size - 1 > block.size()) block.resize(size - 1);
  for (std::size_t i = 1; i < size; ++i) block[i - 1] ^= data[i];
  if ((data[0] & 0xF0) != 0 && !block.empty()) block.resize(std::min(block.size() - 1, size));

  switch (kind) {
    case 0: {
      CheckZone(block, static_cast<std::uint8_t>(1 + (data[0] >> 4) % 4));
      break;
    }
    case 1: {
      CGAsteroid a(1);
      Check(
          a, [] { return std::make_unique<CGAsteroid>(0); }, block);
      break;
    }
    case 2: {
      CGStar s(0);
      Check(
          s, [] { return std::make_unique<CGStar>(0); }, block);
      break;
    }
    case 3: {
      CGSolarDB db;
      Check(
          db, [] { return std::make_unique<CGSolarDB>(); }, block);
      break;
    }
    case 4: {
      CGChapter c(1, 1);
      Check(
          c, [] { return std::make_unique<CGChapter>(1, 1); }, block);
      break;
    }
    case 5: {
      CGuild g(2, 8);
      Check(
          g, [] { return std::make_unique<CGuild>(2, 8); }, block);
      break;
    }
    case 6: {
      CGuildList list(8);
      Check(
          list, [] { return std::make_unique<CGuildList>(8); }, block);
      break;
    }
    case 7: {
      auto pools = std::make_unique<CGPoolDB>();
      Check(
          *pools, [] { return std::make_unique<CGPoolDB>(); }, block);
      break;
    }
    case 8: {
      CGNotificationList n;
      Check(
          n, [] { return std::make_unique<CGNotificationList>(); }, block);
      break;
    }
    case 9: {
      CRecorder r;
      Check(
          r, [] { return std::make_unique<CRecorder>(); }, block);
      break;
    }
    default: {
      CGuild g(1, 8);
      g.PostMineralOffer(block);
      g.PostVoteOffer(block);
      g.PostShipOffer(block);
      g.BeginInterregnum(block);
      g.GetChapter(0)->AddChatMessage(block);
      CRecorder r;
      r.AddTerrainEventPacket(block);
      break;
    }
  }
  // Solar-system loads set the asteroid count; put back the seed world's.
  g_numAsteroids = world.solar.asteroids.size;
  return 0;
}
