#include "Game/net/NoticePackets.h"

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

constexpr auto kNotificationFields = [](auto& p, auto& io) {
  io.Field(8, p.category);
  io.Field(10, p.code);
  io.Text(12, NotificationPacket::kTextWidth, p.text1);
  io.Text(76, NotificationPacket::kTextWidth, p.text2);
  io.Field(140, p.param1);
  io.Field(144, p.param2);
  io.Field(148, p.param3);
};

}  // namespace

PacketImage<kNotificationSize> NotificationPacket::Build() const {
  return BuildFields<kNotificationSize>(PKT_NOTIFICATION, *this, kNotificationFields);
}

bool NotificationPacket::Parse(std::span<const std::uint8_t> image, NotificationPacket* out) {
  return ParseFields<kNotificationSize>(image, out, kNotificationFields);
}

PacketImage<kResearchDoneSize> ResearchDonePacket::Build() const {
  PacketImage<kResearchDoneSize> p(hull ? PKT_HULL_RESEARCH_DONE : PKT_MODULE_RESEARCH_DONE);
  p.Put(8, index);
  return p;
}

bool ResearchDonePacket::Parse(std::span<const std::uint8_t> image, ResearchDonePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kResearchDoneSize)) return false;
  std::uint16_t type = 0;
  r.ReadAt(0, type);
  out->hull = type == PKT_HULL_RESEARCH_DONE;
  r.ReadAt(8, out->index);
  return true;
}
