#include "server/trade/SrvMineralTrade.h"

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/net/GuildPackets.h"
#include "Game/net/TradePackets.h"
#include "Game/rules/GRulesPackets.h"
#include "server/orders/SrvPacketRead.h"
#include "server/trade/SrvTradeNotices.h"
#include "server/trade/SrvTransitTurns.h"

namespace {

constexpr std::uint32_t kUnitsPerPrice = 10;

CGuild* GuildOf(SrvWorld& world, std::uint16_t chapter) { return world.guilds->GetGuild(chapter >> 3); }

bool OwnsPool(const SrvWorld& world, std::uint16_t chapter, std::uint8_t asteroid) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  return a != nullptr && a->owner == chapter;
}

}  // namespace

SrvOrderVerdict SrvPostMineralOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  MineralOfferPacket post;
  if (!MineralOfferPacket::Parse(packet, &post)) return SrvOrderVerdict::kTooShort;
  const std::uint8_t seller = post.seller, asteroid = post.asteroid, mineral = post.mineral;
  const std::uint16_t amount = post.amount;
  if (seller != chapter || !world.MayTrade(chapter) || !OwnsPool(world, chapter, asteroid))
    return SrvOrderVerdict::kNotOwner;
  bool priced = false;
  for (int k = 0; k < kMineralTypes; ++k) priced = priced || post.price[k] != 0;
  if (mineral >= kMineralTypes || amount == 0 || !priced) return SrvOrderVerdict::kBadOrder;
  CGuild* guild = GuildOf(world, chapter);
  const MineralOffer* standing = guild->FindMineralOffer(seller, asteroid, mineral);
  const std::uint16_t held = standing != nullptr ? standing->terms[0] : 0;
  if (amount > held) {
    if (world.poolDB.TakeMineral(asteroid, mineral, amount - held) == 0) return SrvOrderVerdict::kCannotAfford;
  } else {
    world.poolDB.AddMineral(asteroid, mineral, held - amount);
  }
  guild->PostMineralOffer(packet);
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict SrvWithdrawMineralOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  MineralOfferWithdrawnPacket withdrawn;
  if (!MineralOfferWithdrawnPacket::Parse(packet, &withdrawn)) return SrvOrderVerdict::kTooShort;
  const std::uint8_t seller = withdrawn.seller, asteroid = withdrawn.asteroid, mineral = withdrawn.mineral;
  if (seller != chapter) return SrvOrderVerdict::kNotOwner;
  CGuild* guild = GuildOf(world, chapter);
  const MineralOffer* standing = guild->FindMineralOffer(seller, asteroid, mineral);
  if (standing == nullptr) return SrvOrderVerdict::kBadTarget;
  world.poolDB.AddMineral(asteroid, mineral, standing->terms[0]);
  guild->RemoveMineralOffer(seller, asteroid, mineral);
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict SrvBuyMinerals(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet,
                               SrvPacket& board) {
  MineralPurchasePacket buy;
  if (!MineralPurchasePacket::Parse(packet, &buy)) return SrvOrderVerdict::kTooShort;
  const std::uint8_t seller = buy.seller, asteroid = buy.asteroid, mineral = buy.mineral;
  const std::uint8_t buyer = buy.buyer, pool = buy.pool, paidWith = buy.paidWith;
  const std::uint16_t amount = buy.amount;
  if (buyer != chapter || buyer == seller || !world.MayTrade(chapter) || !OwnsPool(world, chapter, pool))
    return SrvOrderVerdict::kNotOwner;
  if ((seller >> 3) != (chapter >> 3)) return SrvOrderVerdict::kBadTarget;
  CGuild* guild = GuildOf(world, chapter);
  MineralOffer* offer = guild->FindMineralOffer(seller, asteroid, mineral);
  if (offer == nullptr) {
    // Its client showed the offer still standing: withdrawn or sold out
    // since, which the buyer is told with the turn.
    world.notices.Add(buyer, notify::kTradeEvent, notify::kMineralOfferGone, nullptr, nullptr, asteroid, mineral,
                      seller);
    return SrvOrderVerdict::kBadTarget;
  }
  if (paidWith >= kMineralTypes || amount == 0 || amount > offer->terms[0]) return SrvOrderVerdict::kBadOrder;
  // The price is per ten units: only whole tens change hands, and a mineral
  // the seller did not price buys nothing. The full product is charged, not
  // the client's 16-bit one, which wraps to a pittance on large orders.
  const std::uint32_t tens = amount / kUnitsPerPrice;
  const std::uint32_t payment = tens * offer->terms[1 + paidWith];
  if (payment == 0) return SrvOrderVerdict::kBadOrder;
  if (world.poolDB.TakeMineral(pool, paidWith, payment) == 0) return SrvOrderVerdict::kCannotAfford;
  const auto bought = static_cast<std::uint16_t>(tens * kUnitsPerPrice);
  world.poolDB.AddMineral(asteroid, paidWith, payment);
  // They arrive when the buyer's client says, after the time they take from
  // the offer's asteroid; a guild without a drive still gets them next turn.
  // Bought where they lie, they are the pool's this turn, as it is listed.
  const int transit = SrvPurchaseTurns(world, buyer, asteroid, pool);
  if (transit == 0)
    world.poolDB.AddMineral(pool, mineral, bought);
  else
    world.inTransit.push_back(
        {pool, mineral, bought, world.turn + static_cast<std::uint32_t>(transit), kSrvNoSender, 0});
  world.notices.Add(seller, notify::kTradeEvent, notify::kMineralsSold, nullptr, nullptr, bought, mineral,
                    (std::uint32_t{buyer} << 16) | asteroid);
  world.notices.Add(buyer, notify::kTradeEvent, notify::kMineralsBought, nullptr, nullptr, bought, mineral,
                    (std::uint32_t{seller} << 16) | pool);
  offer->terms[0] = static_cast<std::uint16_t>(offer->terms[0] - bought);
  if (offer->terms[0] == 0) {
    guild->RemoveMineralOffer(seller, asteroid, mineral);
    const auto gone = MineralOfferWithdrawnPacket{seller, asteroid, mineral}.Build();
    board.assign(gone.bytes.begin(), gone.bytes.end());
  } else {
    MineralOfferPacket standing{seller,
                                asteroid,
                                mineral,
                                offer->terms[0],
                                {offer->terms[1], offer->terms[2], offer->terms[3], offer->terms[4]}};
    const auto now = standing.Build();
    board.assign(now.bytes.begin(), now.bytes.end());
  }
  return SrvOrderVerdict::kAccepted;
}
