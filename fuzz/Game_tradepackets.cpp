// The trade panel's packets as the client and the server read them: any bytes
// either refuse or read within the image, and what reads builds again into
// the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Game/net/TradePackets.h"
#include "fuzz/packet_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> image(data, size);
  RoundTrip<MineralOfferWithdrawnPacket>(image, kMineralOfferWithdrawnSize, [](const auto& a, const auto& b) {
    return a.seller == b.seller && a.asteroid == b.asteroid && a.mineral == b.mineral;
  });
  RoundTrip<MineralTransferPacket>(image, kMineralTransferSize, [](const auto& a, const auto& b) {
    return a.source == b.source && a.destination == b.destination && a.amount == b.amount && a.transit == b.transit &&
           a.standing == b.standing;
  });
  RoundTrip<VoteOfferWithdrawnPacket>(image, kVoteOfferWithdrawnSize,
                                      [](const auto& a, const auto& b) { return a.asteroid == b.asteroid; });
  RoundTrip<ShipBidPacket>(image, kShipBidSize, [](const auto& a, const auto& b) {
    return a.unitId == b.unitId && a.pool == b.pool && a.bid == b.bid;
  });
  RoundTrip<VoteBidPacket>(image, kVoteBidSize, [](const auto& a, const auto& b) {
    return a.asteroid == b.asteroid && a.pool == b.pool && a.bid == b.bid;
  });
  return 0;
}
