#include "Game/net/HostPackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

PacketImage<kPlayerIdSize> PlayerIdPacket::Build() const {
  PacketImage<kPlayerIdSize> p(PKT_PLAYER_ID);
  p.Put(8, chapter);
  p.Put(12, player);
  return p;
}

bool PlayerIdPacket::Parse(std::span<const std::uint8_t> image, PlayerIdPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kPlayerIdSize)) return false;
  r.ReadAt(8, out->chapter);
  r.ReadAt(12, out->player);
  return true;
}

PacketImage<kSaveDoneSize> SaveDonePacket::Build() const {
  PacketImage<kSaveDoneSize> p(PKT_SAVE_DONE);
  p.Put(8, saved);
  return p;
}

bool SaveDonePacket::Parse(std::span<const std::uint8_t> image, SaveDonePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kSaveDoneSize)) return false;
  r.ReadAt(8, out->saved);
  return true;
}

PacketImage<kLoadReplySize> LoadReplyPacket::Build() const {
  PacketImage<kLoadReplySize> p(PKT_LOAD_REPLY);
  p.Put(8, loaded);
  p.Put(12, lampsLit);
  return p;
}

bool LoadReplyPacket::Parse(std::span<const std::uint8_t> image, LoadReplyPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kLoadReplySize)) return false;
  r.ReadAt(8, out->loaded);
  r.ReadAt(12, out->lampsLit);
  return true;
}

PacketImage<kGameStartedSize> GameStartedPacket::Build() const {
  PacketImage<kGameStartedSize> p(PKT_SETTINGS_QUERY);
  p.Put(8, started);
  return p;
}

bool GameStartedPacket::Parse(std::span<const std::uint8_t> image, GameStartedPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kGameStartedSize)) return false;
  r.ReadAt(8, out->started);
  return true;
}

PacketImage<kTurnLampsSize> TurnLampsPacket::Build() const {
  PacketImage<kTurnLampsSize> p(PKT_TURN_LAMPS);
  p.Put(8, chapter);
  p.Put(10, lampsLit);
  return p;
}

bool TurnLampsPacket::Parse(std::span<const std::uint8_t> image, TurnLampsPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kTurnLampsSize)) return false;
  r.ReadAt(8, out->chapter);
  r.ReadAt(10, out->lampsLit);
  return true;
}

PacketImage<kChapterRenamedSize> ChapterRenamedPacket::Build() const {
  PacketImage<kChapterRenamedSize> p(PKT_CHAPTER_NAME_SET);
  p.Put(8, guild);
  p.Put(10, slot);
  p.SetText(12, kNameWidth, name);
  return p;
}

bool ChapterRenamedPacket::Parse(std::span<const std::uint8_t> image, ChapterRenamedPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kChapterRenamedSize)) return false;
  r.ReadAt(8, out->guild);
  r.ReadAt(10, out->slot);
  plat::ByteReader name(image, 12);
  plat::FixedText::Read(name, kNameWidth, out->name);
  return true;
}
