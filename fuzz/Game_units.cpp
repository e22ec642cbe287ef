// The saved game-piece database (every cell's units with their designs and
// order queues) and the unit packets the dispatcher hands to a unit (order,
// battle plan, status record, constructee), from any bytes. The input is laid
// over a well-formed saved database, which stands in for a seed corpus. A
// database that loads whole saves, and what it saves loads again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Game/model/GGamePieceDB.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GUnitTem.h"
#include "fuzz/scratch.h"
#include "fuzz/seeds.h"
#include "tests/support/small_world.h"
#include "tests/support/test_world.h"

namespace {

std::vector<std::uint8_t> ReadBack(plat::FILE* fp) {
  std::vector<std::uint8_t> bytes;
  plat::rewind(fp);
  std::uint8_t buffer[4096];
  for (std::size_t n; (n = plat::fread(buffer, 1, sizeof buffer, fp)) != 0;)
    bytes.insert(bytes.end(), buffer, buffer + n);
  return bytes;
}

std::vector<std::uint8_t> SaveDB(const CGGamePieceDB& db) {
  plat::FILE* out = plat::fopen("Q:\\pieces-out.sav", "w+b");
  if (out == nullptr || db.Save(out) == 0) __builtin_trap();
  auto bytes = ReadBack(out);
  plat::fclose(out);
  return bytes;
}

// One unit in solar space with a design of its own and three orders, filed
// in the world given (one asteroid slot).
const std::vector<std::uint8_t>& Seed(test_support::TestWorld& world) {
  static const std::vector<std::uint8_t> seed = [&world] {
    CGUnitTemplate design(1, static_cast<std::int32_t>((1u << 26) | 77));  // outlives the units
    CGGamePieceDB db;
    world.pieces = &db;
    const Location at{1, 5, 6, 7};
    CGUnit* u = db.CreateUnit(&design, &at, 1, (1u << 26) | 3);
    u->IssueOrder(ORDER_MOVE_TO_ASTEROID, 0, kInsertReplace, nullptr, false);
    std::uint8_t landing[132] = {1, 2, 3};
    u->OrderLandAtvs(landing, kInsertAppend);
    auto build = std::make_unique<UnitOrder>();
    build->type = ORDER_BUILD_SHIP;
    build->construction = std::make_unique<ConstructionBlock>();
    build->construction->words = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    u->InsertOrder(std::move(build), kInsertAppend, false);
    auto bytes = SaveDB(db);
    db.DeleteUnit(u->id);
    world.pieces = nullptr;
    return bytes;
  }();
  return seed;
}

void Packets(std::span<const std::uint8_t> bytes, CGUnit* unit) {
  OrderPacket order;
  if (ParseOrderPacket(bytes, &order)) unit->AddOrderFromPacket(order);
  BattlePlanPacket plan;
  if (BattlePlanPacket::Parse(bytes, &plan)) unit->ApplyBattlePlanPacket(plan);
  unit->ApplyStatusUpdate(bytes);
  unit->BindConstructee(bytes);
  char text[50];
  unit->GetOrderStatusText(0, text, sizeof text);
  unit->GetNumTurnsUntilOrderCompletion(nullptr);
  unit->ClearOrders(true);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The well-formed database as laid (nothing changed), and an order packet
  // for the unit (laid over the database too, which it then damages).
  fuzz::WriteSeedsIfAsked([] {
    fuzz::Scratch::Get();
    test_support::TestWorld world;
    test_support::SmallWorld space(world, 1, {});
    UnitOrder move;
    move.type = ORDER_MOVE_TO_ASTEROID;
    const auto order = BuildOrderPacket(9, move, kInsertAppend);
    return fuzz::Seeds{std::vector<std::uint8_t>(Seed(world).size(), 0),
                       std::vector<std::uint8_t>(order.bytes.begin(), order.bytes.end())};
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();  // drive Q, before the seed is written there
  // One asteroid slot, with no asteroid in it.
  test_support::TestWorld world;
  test_support::SmallWorld space(world, 1, {});
  std::vector<std::uint8_t> laid = Seed(world);
  for (std::size_t i = 0; i < size && i < laid.size(); ++i) laid[i] ^= data[i];
  if (size > laid.size()) laid.insert(laid.end(), data + laid.size(), data + size);

  CGUnitTemplate design(0, 5);  // outlives the units
  CGGamePieceDB db;
  world.pieces = &db;
  plat::FILE* fp = scratch.Open("pieces.sav", laid);
  if (fp == nullptr) __builtin_trap();
  const int loaded = db.Load(fp);
  plat::fclose(fp);
  if (loaded != 0) {
    const auto saved = SaveDB(db);
    CGGamePieceDB again;
    world.pieces = &again;
    plat::FILE* in = scratch.Open("pieces-again.sav", saved);
    if (in == nullptr || again.Load(in) == 0) __builtin_trap();
    plat::fclose(in);
    world.pieces = &db;
  }

  const Location at{0, 0, 0, 0};
  CGUnit* unit = db.CreateUnit(&design, &at, 0, 9);
  if (unit != nullptr) Packets({data, size}, unit);
  world.pieces = nullptr;
  return 0;
}
