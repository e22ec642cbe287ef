// Builders change hands in the guild. A chapter whose builders were all
// destroyed can never build again on its own: its pools only grow, and it
// grows no stronger. A guild mate with builders to spare offers one on the
// guild's ship board (460) for half what its design costs, and the chapter
// without one bids that from its home pool (457), so that its idle minerals
// go to a mate that builds and it builds again. The sold builder finds
// itself at the seller's asteroid and goes home as a worker with nothing to
// do there does.
#include <algorithm>
#include <array>
#include <iterator>
#include <optional>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GUnitTem.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiPlan.h"
#include "server/ai/SrvAiSight.h"
#include "server/ai/SrvChapterState.h"

namespace {

// A seller keeps this many builders of its own.
constexpr int kBuildersKept = 1;

bool IsBuilder(const CGUnit& unit) { return unit.IsOperational() && unit.GetConstructionCapacity() > 0; }

// What a builder of the design is offered for: half its minerals.
SrvAiMinerals PriceOf(const CGUnit& unit) {
  SrvAiMinerals price{};
  if (unit.GetTemplate() == nullptr) return price;
  const SrvAiCost cost = SrvAiDesignCost(*unit.GetTemplate());
  for (std::size_t m = 0; m < price.size(); ++m) price[m] = cost[m] / 2;
  return price;
}

bool Covers(const SrvWorld& world, std::uint16_t pool, const SrvAiMinerals& price) {
  std::array<std::uint32_t, kMineralTypes> stock{};
  world.poolDB.GetMinerals(pool, stock.data());
  for (std::size_t m = 0; m < price.size(); ++m)
    if (stock[m] < price[m]) return false;
  return true;
}

bool EnemyAt(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid) {
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (world.HasChapter(c) && !SrvSameSide(world, chapter, c) &&
        world.pieces->CountOperationalUnits(asteroid, static_cast<std::int16_t>(c)) != 0)
      return true;
  return false;
}

// The home the member would pay from: one it holds, as a member that may
// trade; none while an enemy stands there, where a builder would go into the
// battle that destroyed its last one.
std::optional<std::uint16_t> PayingHome(const SrvWorld& world, std::uint16_t member) {
  const CGChapter* c = world.Chapter(member);
  if (!SrvInPlay(c) || !world.MayTrade(member)) return std::nullopt;
  const CGAsteroid* home = world.solar.GetAsteroid(c->homeAsteroid);
  if (home == nullptr || home->owner != member || EnemyAt(world, member, c->homeAsteroid)) return std::nullopt;
  return c->homeAsteroid;
}

std::array<int, 8> BuildersOfGuild(const SrvWorld& world, int guild) {
  std::array<int, 8> builders{};
  world.ForEachUnit([&](const CGUnit& u) {
    if (static_cast<int>(u.GetChapter() >> 3) == guild && u.GetChapter() < kMaxChapters && IsBuilder(u))
      ++builders[u.GetChapter() & 7];
  });
  return builders;
}

// The members without a builder whose home pool pays the price.
int Buyers(const SrvAiPlan& plan, const std::array<int, 8>& builders, const SrvAiMinerals& price) {
  int buyers = 0;
  const auto first = static_cast<std::uint16_t>(plan.chapter & ~7u);
  for (std::uint16_t s = 0; s < 8; ++s) {
    const auto member = static_cast<std::uint16_t>(first + s);
    if (member == plan.chapter || builders[s] != 0) continue;
    const auto home = PayingHome(plan.world, member);
    if (home && Covers(plan.world, *home, price)) ++buyers;
  }
  return buyers;
}

const CGUnit* OfferedUnit(const SrvWorld& world, const ShipOffer& offer, std::uint16_t seller) {
  std::uint16_t at = 0;
  const CGUnit* unit = world.pieces->FindOperationalUnit(offer.unitId, &at);
  return unit != nullptr && unit->GetChapter() == seller ? unit : nullptr;
}

SrvAiMinerals Terms(const ShipOffer& offer) {
  SrvAiMinerals terms{};
  std::copy(std::begin(offer.terms), std::end(offer.terms), terms.begin());
  return terms;
}

// One offer a seller at a time, while a mate lacking a builder could pay
// for it; withdrawn once none could, or when no mate bid on it before the
// seller's next turn (every mate has had a turn since it was posted: a mate
// that does not trade builders, or a player, lets it stand in vain).
void Offer(SrvAiPlan& plan, const std::array<int, 8>& builders) {
  const int guildIndex = plan.chapter >> 3;
  const CGuild& guild = *plan.world.guilds->GetGuild(guildIndex);
  int onOffer = 0;
  for (std::uint32_t i = 0; const ShipOffer* offer = guild.GetShipOffer(i); ++i) {
    const auto seller = static_cast<std::uint16_t>(guildIndex * 8 + offer->sellerSlot);
    const CGUnit* unit = OfferedUnit(plan.world, *offer, seller);
    if (seller != plan.chapter) {
      onOffer += unit != nullptr && IsBuilder(*unit) ? 1 : 0;
      continue;
    }
    const bool bid = std::any_of(plan.world.shipBids.begin(), plan.world.shipBids.end(),
                                 [&](const SrvShipBid& b) { return b.unitId == offer->unitId; });
    if (unit == nullptr || !IsBuilder(*unit) || !bid || Buyers(plan, builders, Terms(*offer)) == 0)
      plan.orders.push_back(SrvAiShipOfferWithdrawn(plan.chapter, offer->unitId));
    else
      plan.offered.push_back(offer->unitId);
    return;
  }
  if (builders[plan.chapter & 7] <= kBuildersKept || !plan.world.MayTrade(plan.chapter)) return;
  const CGAsteroid* home = plan.world.solar.GetAsteroid(plan.world.Chapter(plan.chapter)->homeAsteroid);
  if (home == nullptr || home->owner != plan.chapter) return;
  const CGGamePieceDB& pieces = *plan.world.pieces;
  for (std::uint16_t at = 0; at < CGSolarDB::GetAsteroidCount(); ++at) {
    const CGAsteroid* a = plan.world.solar.GetAsteroid(at);
    if (a == nullptr || a->owner != plan.chapter) continue;
    for (std::uint16_t k = 0; const CGUnit* u = pieces.GetOperationalUnitAt(at, plan.chapter, k); ++k) {
      // An idle builder where no enemy stands: one at work would lose its
      // build, one in a battle would be sold into it.
      if (!IsBuilder(*u) || u->GetOrderCount() != 0 || SrvAiNearestEnemy(plan.world, plan.chapter, *u) != nullptr)
        continue;
      const SrvAiMinerals price = PriceOf(*u);
      if (Buyers(plan, builders, price) <= onOffer) return;
      plan.orders.push_back(SrvAiShipOffer(plan.chapter, *u, price));
      plan.offered.push_back(u->id);
      return;
    }
  }
}

// A member without a builder bids a mate's offer of one, one bid at a time.
void Bid(SrvAiPlan& plan, const std::array<int, 8>& builders) {
  if (builders[plan.chapter & 7] != 0) return;
  const auto home = PayingHome(plan.world, plan.chapter);
  if (!home) return;
  if (std::any_of(plan.world.shipBids.begin(), plan.world.shipBids.end(),
                  [&](const SrvShipBid& b) { return b.bidder == plan.chapter; }))
    return;
  const int guildIndex = plan.chapter >> 3;
  const CGuild& guild = *plan.world.guilds->GetGuild(guildIndex);
  for (std::uint32_t i = 0; const ShipOffer* offer = guild.GetShipOffer(i); ++i) {
    const auto seller = static_cast<std::uint16_t>(guildIndex * 8 + offer->sellerSlot);
    const CGUnit* unit = OfferedUnit(plan.world, *offer, seller);
    if (seller == plan.chapter || unit == nullptr || !IsBuilder(*unit) || !Covers(plan.world, *home, Terms(*offer)))
      continue;
    plan.orders.push_back(SrvAiShipBid(plan.chapter, offer->unitId, *home, Terms(*offer)));
    return;
  }
}

}  // namespace

void SrvAiTradeBuilders(SrvAiPlan& plan) {
  if (!plan.level.tradesBuilders) return;
  const std::array<int, 8> builders = BuildersOfGuild(plan.world, plan.chapter >> 3);
  Offer(plan, builders);
  Bid(plan, builders);
}
