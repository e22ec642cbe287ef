#pragma once
// What the guild boards' sealed bids share, for ships (SrvShipBid) and
// asteroid votes (SrvVoteBid): four minerals held from the bidder's pool
// until the offer the bid's Key() names is settled.
//
// One thread only.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Game/model/GNotifyCodes.h"
#include "server/orders/SrvOrders.h"
#include "server/trade/SrvTradeNotices.h"
#include "server/world/SrvWorld.h"

// Far above 40 chapters bidding on every offer of a board.
inline constexpr std::size_t kSrvMaxBids = 40 * 1000;

template <class Bid>
void SrvRefundBid(SrvWorld& world, const Bid& bid) {
  for (std::uint32_t m = 0; m < 4; ++m) world.poolDB.AddMineral(bid.pool, m, bid.bid[m]);
}

// Gives back every bid on the offer and drops them.
template <class Bid>
void SrvRefundBids(SrvWorld& world, std::vector<Bid>& bids, std::uint32_t key) {
  std::erase_if(bids, [&](const Bid& b) {
    if (b.Key() != key) return false;
    SrvRefundBid(world, b);
    return true;
  });
}

// Gives back every bid on the offer and drops them, each bidder sent the
// trade notice `code` with the parameters given.
template <class Bid>
void SrvRejectBids(SrvWorld& world, std::vector<Bid>& bids, std::uint32_t key, std::uint16_t code, std::uint16_t param1,
                   std::uint32_t param2) {
  std::erase_if(bids, [&](const Bid& b) {
    if (b.Key() != key) return false;
    SrvRefundBid(world, b);
    world.notices.Add(b.bidder, notify::kTradeEvent, code, nullptr, nullptr, param1, param2, kSrvTradeNoUnit);
    return true;
  });
}

// The highest bid on the offer by the sum of its minerals (the earliest on a
// tie); bids.end() when there is none.
template <class Bid>
typename std::vector<Bid>::iterator SrvBestBid(std::vector<Bid>& bids, std::uint32_t key) {
  auto total = [](const Bid& b) { return std::uint64_t{b.bid[0]} + b.bid[1] + b.bid[2] + b.bid[3]; };
  auto best = bids.end();
  for (auto b = bids.begin(); b != bids.end(); ++b)
    if (b->Key() == key && (best == bids.end() || total(*b) > total(*best))) best = b;
  return best;
}

// Takes the bid from its pool when it reaches the offer's least bid in every
// mineral, the bidder's earlier bid on the offer going back first.
template <class Bid>
SrvOrderVerdict SrvPlaceBid(SrvWorld& world, std::vector<Bid>& bids, const Bid& bid, const std::uint32_t (&least)[4]) {
  for (int m = 0; m < 4; ++m)
    if (bid.bid[m] < least[m]) return SrvOrderVerdict::kBadOrder;
  if (bids.size() >= kSrvMaxBids) return SrvOrderVerdict::kBadOrder;
  const auto earlier = std::find_if(bids.begin(), bids.end(),
                                    [&](const Bid& b) { return b.Key() == bid.Key() && b.bidder == bid.bidder; });
  if (earlier != bids.end()) {
    SrvRefundBid(world, *earlier);
    bids.erase(earlier);
  }
  if (world.poolDB.TakeMinerals(bid.pool, bid.bid) == 0) return SrvOrderVerdict::kCannotAfford;
  bids.push_back(bid);
  return SrvOrderVerdict::kAccepted;
}
