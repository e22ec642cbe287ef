#include "Game/net/SessionPackets.h"

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

std::string TextAt(std::span<const std::uint8_t> image, std::size_t at, std::size_t width) {
  plat::ByteReader r(image, at);
  std::string text;
  plat::FixedText::Read(r, width, text);
  return text;
}

constexpr auto kEndTurnFields = [](auto& p, auto& io) { io.Field(8, p.turn); };

constexpr auto kStatusFields = [](auto& p, auto& io) {
  io.Field(8, p.chapter);
  io.Field(12, p.sessionOpen);
};

constexpr auto kRemovePlayerFields = [](auto& p, auto& io) { io.Field(8, p.player); };

constexpr auto kChapterReportsFields = [](auto& p, auto& io) { io.Field(8, p.chapters); };

constexpr auto kReadyFields = [](auto& p, auto& io) {
  io.Field(8, p.player);
  io.Field(12, p.state);
};

constexpr auto kChapterClaimFields = [](auto& p, auto& io) {
  io.Field(8, p.chapter);
  io.Text(12, ChapterClaimPacket::kNameWidth, p.name);
  io.Field(44, p.granted);
};

constexpr auto kPlayerNameFields = [](auto& p, auto& io) {
  io.Field(8, p.chapter);
  io.Text(10, PlayerNamePacket::kNameWidth, p.name);
};

constexpr auto kChapterNameFields = [](auto& p, auto& io) {
  io.Field(8, p.chapter);
  io.Field(12, p.taken);
  io.Text(16, ChapterNamePacket::kNameWidth, p.name);
};

}  // namespace

PacketImage<kEndTurnSize> EndTurnPacket::Build() const {
  return BuildFields<kEndTurnSize>(PKT_END_TURN, *this, kEndTurnFields);
}

bool EndTurnPacket::Parse(std::span<const std::uint8_t> image, EndTurnPacket* out) {
  return ParseFields<kEndTurnSize>(image, out, kEndTurnFields);
}

PacketImage<kChapterClaimSize> ChapterClaimPacket::Build() const {
  return BuildFields<kChapterClaimSize>(PKT_CHAPTER_CLAIM, *this, kChapterClaimFields);
}

bool ChapterClaimPacket::Parse(std::span<const std::uint8_t> image, ChapterClaimPacket* out) {
  return ParseFields<kChapterClaimSize>(image, out, kChapterClaimFields);
}

PacketImage<kPlayerNameSize> PlayerNamePacket::Build() const {
  return BuildFields<kPlayerNameSize>(PKT_PLAYER_NAME, *this, kPlayerNameFields);
}

bool PlayerNamePacket::Parse(std::span<const std::uint8_t> image, PlayerNamePacket* out) {
  return ParseFields<kPlayerNameSize>(image, out, kPlayerNameFields);
}

PacketImage<kStatusSize> StatusPacket::Build() const {
  return BuildFields<kStatusSize>(PKT_STATUS, *this, kStatusFields);
}

bool StatusPacket::Parse(std::span<const std::uint8_t> image, StatusPacket* out) {
  return ParseFields<kStatusSize>(image, out, kStatusFields);
}

PacketImage<kChapterNameSize> ChapterNamePacket::Build() const {
  return BuildFields<kChapterNameSize>(PKT_CHAPTER_NAME, *this, kChapterNameFields);
}

bool ChapterNamePacket::Parse(std::span<const std::uint8_t> image, ChapterNamePacket* out) {
  return ParseFields<kChapterNameSize>(image, out, kChapterNameFields);
}

PacketImage<kRemovePlayerSize> RemovePlayerPacket::Build() const {
  return BuildFields<kRemovePlayerSize>(PKT_REMOVE_PLAYER, *this, kRemovePlayerFields);
}

bool RemovePlayerPacket::Parse(std::span<const std::uint8_t> image, RemovePlayerPacket* out) {
  return ParseFields<kRemovePlayerSize>(image, out, kRemovePlayerFields);
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

PacketImage<kRestartRequestSize> QuestionPacket::BuildRestart() const {
  PacketImage<kRestartRequestSize> p(PKT_RESTART_REQUEST);
  p.Put(8, chapter);
  return p;
}

bool QuestionPacket::Parse(std::span<const std::uint8_t> image, QuestionPacket* out) {
  PacketHeader header;
  if (!ReadPacketHeader(image, header)) return false;
  const bool restart = header.type == PKT_RESTART_REQUEST;
  plat::ByteReader r(image);
  if (!r.Has(0, restart ? kRestartRequestSize : kLoadGameSize)) return false;
  out->restart = restart;
  r.ReadAt(restart ? 8 : 268, out->chapter);
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
  return BuildFields<kChapterReportsSize>(PKT_CHAPTER_REPORTS, *this, kChapterReportsFields);
}

bool ChapterReportsPacket::Parse(std::span<const std::uint8_t> image, ChapterReportsPacket* out) {
  return ParseFields<kChapterReportsSize>(image, out, kChapterReportsFields);
}

PacketImage<kReadySize> ReadyPacket::Build() const { return BuildFields<kReadySize>(PKT_READY, *this, kReadyFields); }

bool ReadyPacket::Parse(std::span<const std::uint8_t> image, ReadyPacket* out) {
  return ParseFields<kReadySize>(image, out, kReadyFields);
}
