#include "Game/net/NoticePackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

PacketImage<kNotificationSize> NotificationPacket::Build() const {
  PacketImage<kNotificationSize> p(PKT_NOTIFICATION);
  p.Put(8, category);
  p.Put(10, code);
  p.SetText(12, kTextWidth, text1);
  p.SetText(76, kTextWidth, text2);
  p.Put(140, param1);
  p.Put(144, param2);
  p.Put(148, param3);
  return p;
}

bool NotificationPacket::Parse(std::span<const std::uint8_t> image, NotificationPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kNotificationSize)) return false;
  r.ReadAt(8, out->category);
  r.ReadAt(10, out->code);
  plat::ByteReader first(image, 12), second(image, 76);
  plat::FixedText::Read(first, kTextWidth, out->text1);
  plat::FixedText::Read(second, kTextWidth, out->text2);
  r.ReadAt(140, out->param1);
  r.ReadAt(144, out->param2);
  r.ReadAt(148, out->param3);
  return true;
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
