// The order packets the server reads through the client's codecs (ATV moves,
// automanage, cancels, research allocations and bonuses, designs, the order
// menus' requests and offers): any bytes
// either refuse or read within the image, and what reads builds again into
// the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Game/model/GUnit.h"
#include "Game/model/GZonePackets.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GTemplateDB.h"
#include "fuzz/packet_round_trip.h"

namespace {

void Fail() { std::abort(); }

void ZoneMove(std::span<const std::uint8_t> image) {
  ZoneAtvMovePacket move;
  if (!ZoneAtvMovePacket::Parse(image, &move)) {
    if (image.size() >= kZoneAtvMoveSize) Fail();
    return;
  }
  ZoneAtvMovePacket again;
  const auto built = move.Build();
  if (!ZoneAtvMovePacket::Parse(built.bytes, &again) || again.attacking != move.attacking ||
      again.sourceZone != move.sourceZone || again.count != move.count)
    Fail();
}

void Automanage(std::span<const std::uint8_t> image) {
  AutomanagePacket automanage;
  if (!AutomanagePacket::Parse(image, &automanage)) {
    if (image.size() >= kAutomanageSize) Fail();
    return;
  }
  AutomanagePacket again;
  const auto built = automanage.Build();
  if (!AutomanagePacket::Parse(built.bytes, &again) || again.asteroid != automanage.asteroid ||
      again.flag != automanage.flag)
    Fail();
}

void Cancel(std::span<const std::uint8_t> image) {
  CancelOrdersPacket cancel;
  if (!ParseCancelOrdersPacket(image, &cancel)) {
    if (image.size() >= kCancelOrdersSize) Fail();
    return;
  }
  CancelOrdersPacket again;
  const auto built = BuildCancelOrdersPacket(cancel.unitId, cancel.asteroid, cancel.all);
  if (!ParseCancelOrdersPacket(built.bytes, &again) || again.unitId != cancel.unitId || again.all != cancel.all) Fail();
}

void Research(std::span<const std::uint8_t> image) {
  ResearchPacket research;
  if (!ParseResearchPacket(image, &research)) return;
  if (image.size() < ResearchPacketSize(research.type)) Fail();
  ResearchPacket again;
  bool read = false;
  switch (research.type) {
    case PKT_MODULE_ALLOCATION:
      read = ParseResearchPacket(BuildModuleAllocationPacket(research.chapterSlot, research.item, research.value).bytes,
                                 &again);
      break;
    case PKT_HULL_ALLOCATION:
      read = ParseResearchPacket(
          BuildHullAllocationPacket(research.section, research.chapterSlot, research.item, research.value).bytes,
          &again);
      break;
    case PKT_MODULE_SCIENCE_BONUS:
      read = ParseResearchPacket(
          BuildModuleBonusPacket(research.chapterSlot, research.item, research.value, research.pool).bytes, &again);
      break;
    default:
      read = ParseResearchPacket(
          BuildHullBonusPacket(research.section, research.chapterSlot, research.item, research.value, research.pool)
              .bytes,
          &again);
      break;
  }
  if (!read || again.item != research.item || again.value != research.value || again.pool != research.pool) Fail();
}

void Design(std::span<const std::uint8_t> image) {
  TemplatePacket design;
  if (!ParseTemplatePacket(image, &design)) {
    if (image.size() >= kTemplatePacketSize) Fail();
    return;
  }
  if (design.name.size() > 30) Fail();
}

void OrderMenus(std::span<const std::uint8_t> image) {
  RoundTrip<RefuelAtAsteroidPacket>(image, kRefuelAtAsteroidSize, [](const auto& a, const auto& b) {
    return a.unitId == b.unitId && a.asteroid == b.asteroid;
  });
  RoundTrip<ShipOfferWithdrawnPacket>(image, kShipOfferWithdrawnSize, [](const auto& a, const auto& b) {
    return a.guild == b.guild && a.slot == b.slot && a.unitId == b.unitId;
  });
  RoundTrip<DistributeResourcesPacket>(image, kDistributeResourcesSize, [](const auto& a, const auto& b) {
    return a.guild == b.guild && a.slot == b.slot && a.asteroid == b.asteroid;
  });
  RoundTrip<ShipOfferPostedPacket>(image, kShipOfferPostedSize, [](const auto& a, const auto& b) {
    return a.unitId == b.unitId && a.unitClass == b.unitClass && a.prices == b.prices;
  });
  RoundTrip<VoteOfferPostedPacket>(image, kVoteOfferPostedSize, [](const auto& a, const auto& b) {
    return a.asteroid == b.asteroid && a.prices == b.prices;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> image(data, size);
  ZoneMove(image);
  Automanage(image);
  Cancel(image);
  Research(image);
  Design(image);
  OrderMenus(image);
  return 0;
}
