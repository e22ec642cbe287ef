#include "Game/net/SessionPackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

namespace {

std::string TextAt(std::span<const std::uint8_t> image, std::size_t at, std::size_t width) {
  plat::ByteReader r(image, at);
  std::string text;
  plat::FixedText::Read(r, width, text);
  return text;
}

}  // namespace

PacketImage<kEndTurnSize> EndTurnPacket::Build() const {
  PacketImage<kEndTurnSize> p(PKT_END_TURN);
  p.Put(8, turn);
  return p;
}

bool EndTurnPacket::Parse(std::span<const std::uint8_t> image, EndTurnPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kEndTurnSize)) return false;
  r.ReadAt(8, out->turn);
  return true;
}

PacketImage<kChapterClaimSize> ChapterClaimPacket::Build() const {
  PacketImage<kChapterClaimSize> p(PKT_CHAPTER_CLAIM);
  p.Put(8, chapter);
  p.SetText(12, kNameWidth, name);
  p.Put(44, granted);
  return p;
}

bool ChapterClaimPacket::Parse(std::span<const std::uint8_t> image, ChapterClaimPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kChapterClaimSize)) return false;
  r.ReadAt(8, out->chapter);
  out->name = TextAt(image, 12, kNameWidth);
  r.ReadAt(44, out->granted);
  return true;
}

PacketImage<kPlayerNameSize> PlayerNamePacket::Build() const {
  PacketImage<kPlayerNameSize> p(PKT_PLAYER_NAME);
  p.Put(8, chapter);
  p.SetText(10, kNameWidth, name);
  return p;
}

bool PlayerNamePacket::Parse(std::span<const std::uint8_t> image, PlayerNamePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kPlayerNameSize)) return false;
  r.ReadAt(8, out->chapter);
  out->name = TextAt(image, 10, kNameWidth);
  return true;
}

PacketImage<kStatusSize> StatusPacket::Build() const {
  PacketImage<kStatusSize> p(PKT_STATUS);
  p.Put(8, chapter);
  p.Put(12, sessionOpen);
  return p;
}

bool StatusPacket::Parse(std::span<const std::uint8_t> image, StatusPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kStatusSize)) return false;
  r.ReadAt(8, out->chapter);
  r.ReadAt(12, out->sessionOpen);
  return true;
}

PacketImage<kChapterNameSize> ChapterNamePacket::Build() const {
  PacketImage<kChapterNameSize> p(PKT_CHAPTER_NAME);
  p.Put(8, chapter);
  p.Put(12, taken);
  p.SetText(16, kNameWidth, name);
  return p;
}

bool ChapterNamePacket::Parse(std::span<const std::uint8_t> image, ChapterNamePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kChapterNameSize)) return false;
  r.ReadAt(8, out->chapter);
  r.ReadAt(12, out->taken);
  out->name = TextAt(image, 16, kNameWidth);
  return true;
}

PacketImage<kRemovePlayerSize> RemovePlayerPacket::Build() const {
  PacketImage<kRemovePlayerSize> p(PKT_REMOVE_PLAYER);
  p.Put(8, player);
  return p;
}

bool RemovePlayerPacket::Parse(std::span<const std::uint8_t> image, RemovePlayerPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kRemovePlayerSize)) return false;
  r.ReadAt(8, out->player);
  return true;
}

bool SaveOrLoadPacket::Parse(std::span<const std::uint8_t> image, SaveOrLoadPacket* out) {
  PacketHeader header;
  if (!ReadPacketHeader(image, header)) return false;
  const bool load = header.type == PKT_LOAD_GAME;
  plat::ByteReader r(image);
  if (!r.Has(0, load ? kLoadGameSize : kSaveGameSize)) return false;
  out->load = load;
  out->name = TextAt(image, 8, kNameWidth);
  r.ReadAt(264, out->identifier);
  r.ReadAt(268, out->chapter);
  out->fromScenarios = 0;
  if (load) r.ReadAt(272, out->fromScenarios);
  return true;
}

PacketImage<kAnswerSize> AnswerPacket::Build() const {
  PacketImage<kAnswerSize> p(restart ? PKT_RESTART_ANSWER : PKT_LOAD_ANSWER);
  p.Put(8, answer);
  p.Put(12, answered);
  return p;
}

bool AnswerPacket::Parse(std::span<const std::uint8_t> image, AnswerPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kAnswerSize)) return false;
  std::uint16_t type = 0;
  r.ReadAt(0, type);
  out->restart = type == PKT_RESTART_ANSWER;
  r.ReadAt(8, out->answer);
  r.ReadAt(12, out->answered);
  return true;
}

PacketImage<kChapterReportsSize> ChapterReportsPacket::Build() const {
  PacketImage<kChapterReportsSize> p(PKT_CHAPTER_REPORTS);
  p.Put(8, chapters);
  return p;
}

bool ChapterReportsPacket::Parse(std::span<const std::uint8_t> image, ChapterReportsPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kChapterReportsSize)) return false;
  r.ReadAt(8, out->chapters);
  return true;
}

PacketImage<kReadySize> ReadyPacket::Build() const {
  PacketImage<kReadySize> p(PKT_READY);
  p.Put(8, player);
  p.Put(12, state);
  return p;
}

bool ReadyPacket::Parse(std::span<const std::uint8_t> image, ReadyPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kReadySize)) return false;
  r.ReadAt(8, out->player);
  r.ReadAt(12, out->state);
  return true;
}
