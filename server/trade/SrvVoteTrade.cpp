#include "server/trade/SrvVoteTrade.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/net/TradePackets.h"
#include "Game/rules/GRulesPackets.h"
#include "server/orders/SrvPacketRead.h"
#include "server/trade/SrvBids.h"

namespace {

// The seller may offer the asteroid's vote: it controls the asteroid and has
// not sold its vote already.
bool MaySell(const SrvWorld& world, std::uint16_t seller, std::uint16_t asteroid) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  return a != nullptr && a->controller == seller &&
         std::none_of(world.soldVotes.begin(), world.soldVotes.end(),
                      [&](const SrvSoldVote& s) { return s.asteroid == asteroid; });
}

SrvPacket WithdrawnPacket(std::uint8_t guild, std::uint8_t slot, std::uint8_t asteroid) {
  const auto p = VoteOfferWithdrawnPacket{guild, slot, asteroid}.Build();
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

}  // namespace

SrvOrderVerdict SrvPostVoteOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  VoteOfferPostedPacket offer;
  if (!VoteOfferPostedPacket::Parse(packet, &offer)) return SrvOrderVerdict::kTooShort;
  // The guild's boards read the slot and the asteroid as bytes.
  const auto slot = static_cast<std::uint8_t>(offer.slot);
  const auto asteroid = static_cast<std::uint8_t>(offer.asteroid);
  if (offer.guild != (chapter >> 3) || slot != (chapter & 7) || !world.MayTrade(chapter))
    return SrvOrderVerdict::kNotOwner;
  if (!MaySell(world, chapter, asteroid)) return SrvOrderVerdict::kBadTarget;
  world.guilds->GetGuild(chapter >> 3)->PostVoteOffer(packet);
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict SrvWithdrawVoteOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  VoteOfferWithdrawnPacket withdrawn;
  if (!VoteOfferWithdrawnPacket::Parse(packet, &withdrawn)) return SrvOrderVerdict::kTooShort;
  if (withdrawn.guild != (chapter >> 3) || withdrawn.slot != (chapter & 7)) return SrvOrderVerdict::kNotOwner;
  CGuild* guild = world.guilds->GetGuild(chapter >> 3);
  const std::uint8_t asteroid = withdrawn.asteroid;
  const VoteOffer* offer = guild->FindVoteOffer(asteroid);
  if (offer == nullptr) return SrvOrderVerdict::kBadTarget;
  if (offer->sellerSlot != (chapter & 7)) return SrvOrderVerdict::kNotOwner;
  guild->RemoveVoteOffer(asteroid);
  SrvRejectBids(world, world.voteBids, asteroid, notify::kVoteOfferRescinded, asteroid, 0);
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict SrvBidForVote(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  VoteBidPacket order;
  if (!VoteBidPacket::Parse(packet, &order)) return SrvOrderVerdict::kTooShort;
  if (order.guild != (chapter >> 3) || order.slot != (chapter & 7) || !world.MayTrade(chapter))
    return SrvOrderVerdict::kNotOwner;
  const std::uint16_t asteroid = order.asteroid;
  if (asteroid > 0xFF) return SrvOrderVerdict::kBadTarget;
  SrvVoteBid bid{static_cast<std::uint8_t>(chapter), static_cast<std::uint8_t>(asteroid), order.pool, {}};
  for (int m = 0; m < 4; ++m) bid.bid[m] = order.bid[static_cast<std::size_t>(m)];
  const VoteOffer* offer = world.guilds->GetGuild(chapter >> 3)->FindVoteOffer(bid.asteroid);
  if (offer == nullptr) return SrvOrderVerdict::kBadTarget;
  if (offer->sellerSlot == (chapter & 7)) return SrvOrderVerdict::kBadOrder;
  const CGAsteroid* pool = world.solar.GetAsteroid(bid.pool);
  if (pool == nullptr || pool->owner != chapter) return SrvOrderVerdict::kNotOwner;
  return SrvPlaceBid(world, world.voteBids, bid, offer->terms);
}

void SrvSettleVoteOffers(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  std::erase_if(world.soldVotes, [&](const SrvSoldVote& s) {
    const CGAsteroid* a = world.solar.GetAsteroid(s.asteroid);
    return a == nullptr || a->controller != s.seller;
  });
  for (int g = 0; g < kGuildCount; ++g) {
    CGuild* guild = world.guilds->GetGuild(g);
    for (std::uint32_t i = 0; guild != nullptr && i < guild->voteOffers.count;) {
      const VoteOffer offer = *guild->GetVoteOffer(i);
      const auto best = SrvBestBid(world.voteBids, offer.asteroid);
      const auto seller = static_cast<std::uint16_t>(g * 8 + offer.sellerSlot);
      const bool valid = MaySell(world, seller, offer.asteroid);
      if (valid && best == world.voteBids.end()) {
        ++i;
        continue;
      }
      // The bids outdone are rejected; those on an offer that lapsed find it
      // rescinded.
      std::uint16_t rejected = notify::kVoteOfferRescinded;
      if (valid) {
        const SrvVoteBid won = *best;
        world.voteBids.erase(best);
        world.soldVotes.push_back({offer.asteroid, static_cast<std::uint8_t>(seller), won.bidder});
        if (const CGChapter* c = world.Chapter(seller))
          for (std::uint32_t m = 0; m < 4; ++m) world.poolDB.AddMineral(c->homeAsteroid, m, won.bid[m]);
        world.notices.Add(won.bidder, notify::kTradeEvent, notify::kVoteBought, nullptr, nullptr, offer.asteroid, 0,
                          kSrvTradeNoUnit);
        world.notices.Add(seller, notify::kTradeEvent, notify::kVoteSold, nullptr, nullptr, offer.asteroid, won.bidder,
                          kSrvTradeNoUnit);
        rejected = notify::kVoteBidRejected;
        turn.log.Line("turn %u: chapter %u bought the vote of asteroid %u from chapter %u", world.turn, won.bidder,
                      offer.asteroid, seller);
      }
      SrvRejectBids(world, world.voteBids, offer.asteroid, rejected, offer.asteroid, 0);
      guild->RemoveVoteOffer(offer.asteroid);
      turn.TellGuild(g, WithdrawnPacket(static_cast<std::uint8_t>(g), offer.sellerSlot, offer.asteroid));
    }
  }
  // Bids whose offer left the board (its asteroid changed controller, which
  // takes the offer off at once) go back, the offer rescinded.
  std::erase_if(world.voteBids, [&](const SrvVoteBid& b) {
    if (world.guilds->GetGuild(b.bidder >> 3)->FindVoteOffer(b.asteroid) != nullptr) return false;
    SrvRefundBid(world, b);
    world.notices.Add(b.bidder, notify::kTradeEvent, notify::kVoteOfferRescinded, nullptr, nullptr, b.asteroid, 0,
                      kSrvTradeNoUnit);
    return true;
  });
}
