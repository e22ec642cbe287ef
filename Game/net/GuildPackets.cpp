#include "Game/net/GuildPackets.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

PacketImage<kMineralOfferSize> MineralOfferPacket::Build() const {
  PacketImage<kMineralOfferSize> p(PKT_MINERAL_OFFER_POSTED);
  p.Put(8, seller);
  p.Put(9, asteroid);
  p.Put(10, mineral);
  p.Put(12, amount);
  for (int k = 0; k < 4; ++k) p.Put<std::uint16_t>(14 + 2 * k, price[k]);
  return p;
}

bool MineralOfferPacket::Parse(std::span<const std::uint8_t> image, MineralOfferPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kMineralOfferSize)) return false;
  r.ReadAt(8, out->seller);
  r.ReadAt(9, out->asteroid);
  r.ReadAt(10, out->mineral);
  r.ReadAt(12, out->amount);
  for (int k = 0; k < 4; ++k) r.ReadAt(14 + 2 * k, out->price[k]);
  return true;
}

PacketImage<kMineralPurchaseSize> MineralPurchasePacket::Build() const {
  PacketImage<kMineralPurchaseSize> p(PKT_MINERAL_TRADE);
  p.Put(8, seller);
  p.Put(9, asteroid);
  p.Put(10, mineral);
  p.Put(11, buyer);
  p.Put(12, pool);
  p.Put(13, paidWith);
  p.Put(14, amount);
  return p;
}

bool MineralPurchasePacket::Parse(std::span<const std::uint8_t> image, MineralPurchasePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kMineralPurchaseSize)) return false;
  r.ReadAt(8, out->seller);
  r.ReadAt(9, out->asteroid);
  r.ReadAt(10, out->mineral);
  r.ReadAt(11, out->buyer);
  r.ReadAt(12, out->pool);
  r.ReadAt(13, out->paidWith);
  r.ReadAt(14, out->amount);
  return true;
}

std::vector<std::uint8_t> ChatPacket::Build() const {
  const std::size_t length = std::min(text.size(), kMaxChatText);
  std::vector<std::uint8_t> p(kChatTextOffset + length + 1, 0);
  plat::ByteWriter w(p);
  WritePacketHeader(p, PacketHeader{PKT_CHAT, 0, 0});
  w.WriteAt<std::uint8_t>(8, sender);
  w.WriteAt<std::uint8_t>(9, target);
  w.WriteAt<std::uint32_t>(12, intercepted);
  std::copy_n(text.begin(), length, p.begin() + kChatTextOffset);
  return p;
}

bool ChatPacket::SetIntercepted(std::span<std::uint8_t> image, std::uint32_t intercepted) {
  if (image.size() < kChatTextOffset) return false;
  return plat::ByteWriter(image).WriteAt<std::uint32_t>(12, intercepted);
}

bool ChatPacket::Parse(std::span<const std::uint8_t> image, ChatPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kChatTextOffset)) return false;
  r.ReadAt(8, out->sender);
  r.ReadAt(9, out->target);
  r.ReadAt(12, out->intercepted);
  const auto rest = image.subspan(kChatTextOffset);
  const auto end = std::find(rest.begin(), rest.begin() + std::min(rest.size(), kMaxChatText), std::uint8_t{0});
  out->text.assign(rest.begin(), end);
  return true;
}
