// Mineral trade inside the guild, from and into the chapter's home pool: a
// chapter with a surplus of one mineral offers part of it on the guild's
// board, one for one against any mineral; a chapter short of a mineral, what
// is on its way home counted, buys it from the guildmate's offer that comes
// soonest, paying with its most plentiful one. A surplus
// past what the chapter's income spends (SrvAiPlentifulMinerals) changes
// hands in lots that match it, so that the guildmate whose builders lack a
// mineral gets it while another's pool fills with it.
#include <algorithm>
#include <array>
#include <optional>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiPlan.h"
#include "server/trade/SrvTransitTurns.h"

namespace {

constexpr std::uint32_t kSurplus = 600;
constexpr std::uint32_t kShort = 150;
constexpr std::uint16_t kLot = 100;
constexpr std::uint16_t kPricePerTen = 10;
constexpr std::uint16_t kUnitsPerPrice = 10;

std::array<std::uint32_t, kMineralTypes> Stock(const SrvWorld& world, std::uint16_t asteroid) {
  std::array<std::uint32_t, kMineralTypes> stock{};
  world.poolDB.GetMinerals(asteroid, stock.data());
  return stock;
}

// What the pool holds and what is on its way to it, bought or sent: a
// purchase takes turns to arrive, and a chapter that judged its need by
// the pool alone would buy the same shortage again every turn it waits.
std::array<std::uint32_t, kMineralTypes> HeldAndComing(const SrvWorld& world, std::uint16_t pool) {
  std::array<std::uint32_t, kMineralTypes> held = Stock(world, pool);
  for (const SrvTransferInTransit& t : world.inTransit)
    if (t.destination == pool && t.mineral < kMineralTypes) held[t.mineral] += t.amount;
  return held;
}

std::uint8_t Most(const std::array<std::uint32_t, kMineralTypes>& stock) {
  return static_cast<std::uint8_t>(std::max_element(stock.begin(), stock.end()) - stock.begin());
}

std::uint8_t Least(const std::array<std::uint32_t, kMineralTypes>& stock) {
  return static_cast<std::uint8_t>(std::min_element(stock.begin(), stock.end()) - stock.begin());
}

SrvAiCost Of(std::uint8_t mineral, std::uint32_t amount) {
  SrvAiCost cost{};
  cost[mineral] = amount;
  return cost;
}

// With its pools past what its income spends, a chapter offers a quarter of
// its home's surplus at once, up to this much.
constexpr std::uint32_t kBigLot = 2000;

std::uint16_t LotOf(const SrvAiPlan& plan, std::uint8_t m, std::uint32_t stock) {
  if (!plan.plenty[m]) return kLot;
  return static_cast<std::uint16_t>(
      std::clamp<std::uint32_t>(stock / 4 / kUnitsPerPrice * kUnitsPerPrice, kLot, kBigLot));
}

void Offer(SrvAiPlan& plan, std::uint16_t home, const std::array<std::uint32_t, kMineralTypes>& stock) {
  const std::uint8_t m = Most(stock);
  if (stock[m] < kSurplus || stock[m] < 2 * stock[Least(stock)]) return;
  const std::uint16_t lot = LotOf(plan, m, stock[m]);
  const CGuild& guild = *plan.world.guilds->GetGuild(plan.chapter >> 3);
  if (guild.FindMineralOffer(static_cast<std::uint8_t>(plan.chapter), static_cast<std::uint8_t>(home), m) != nullptr)
    return;
  if (!plan.budget.Affords(home, Of(m, lot))) return;
  plan.budget.Spend(home, Of(m, lot));
  plan.orders.push_back(SrvAiMineralOffer(plan.chapter, home, m, lot, kPricePerTen));
}

struct Purchase {
  const MineralOffer* offer = nullptr;
  std::uint16_t amount = 0;
  std::uint32_t payment = 0;
};

// Of the guildmates' offers of the wanted mineral the home pool can pay for
// (up to `most` of it), the one whose minerals come soonest, the first on the
// board among equals: an offer on a far asteroid takes many turns to arrive.
std::optional<Purchase> Soonest(SrvAiPlan& plan, std::uint16_t home, std::uint8_t wanted, std::uint8_t paying,
                                std::uint16_t most) {
  const CGuild& guild = *plan.world.guilds->GetGuild(plan.chapter >> 3);
  std::optional<Purchase> best;
  int bestTurns = 0;
  for (std::uint16_t i = 0; const MineralOffer* offer = guild.GetMineralOffer(i); ++i) {
    const std::uint16_t price = offer->terms[1 + paying];
    if (offer->seller == plan.chapter || offer->mineral != wanted || price == 0) continue;
    const auto amount = static_cast<std::uint16_t>(std::min(offer->terms[0], most) / kUnitsPerPrice * kUnitsPerPrice);
    const std::uint32_t payment = std::uint32_t{amount} / kUnitsPerPrice * price;
    if (amount == 0 || !plan.budget.Affords(home, Of(paying, payment))) continue;
    const int turns = SrvPurchaseTurns(plan.world, plan.chapter, offer->asteroid, home);
    if (best && turns >= bestTurns) continue;
    best = Purchase{offer, amount, payment};
    bestTurns = turns;
  }
  return best;
}

void Buy(SrvAiPlan& plan, std::uint16_t home, const std::array<std::uint32_t, kMineralTypes>& stock) {
  const std::uint8_t wanted = Least(stock), paying = Most(stock);
  if (paying == wanted) return;
  // Paying with a mineral past what its income spends for one it is short
  // of, a chapter buys in a big lot (at most half the difference, so that
  // the two do not trade places); otherwise only when nearly out of it.
  const bool big = plan.plenty[paying] && !plan.plenty[wanted] && stock[paying] >= 2 * stock[wanted];
  if (!big && stock[wanted] >= kShort) return;
  const std::uint16_t most =
      big ? static_cast<std::uint16_t>(std::min<std::uint32_t>(kBigLot, (stock[paying] - stock[wanted]) / 2)) : kLot;
  const std::optional<Purchase> p = Soonest(plan, home, wanted, paying, most);
  if (!p) return;
  plan.budget.Spend(home, Of(paying, p->payment));
  plan.orders.push_back(SrvAiMineralPurchase(plan.chapter, *p->offer, home, paying, p->amount));
}

}  // namespace

void SrvAiTrade(SrvAiPlan& plan) {
  const CGChapter* self = plan.world.Chapter(plan.chapter);
  const std::uint16_t home = self->homeAsteroid;
  const CGAsteroid* a = plan.world.solar.GetAsteroid(home);
  if (self->renegade != 0 || a == nullptr || a->owner != plan.chapter) return;
  const auto stock = Stock(plan.world, home);
  Offer(plan, home, stock);
  Buy(plan, home, HeldAndComing(plan.world, home));
}
