#include "Game/net/HostPackets.h"

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

constexpr auto kPlayerIdFields = [](auto& p, auto& io) {
  io.Field(8, p.chapter);
  io.Field(12, p.player);
};

constexpr auto kSaveDoneFields = [](auto& p, auto& io) { io.Field(8, p.saved); };

constexpr auto kLoadReplyFields = [](auto& p, auto& io) {
  io.Field(8, p.loaded);
  io.Field(12, p.lampsLit);
};

constexpr auto kGameStartedFields = [](auto& p, auto& io) { io.Field(8, p.started); };

constexpr auto kTurnLampsFields = [](auto& p, auto& io) {
  io.Field(8, p.chapter);
  io.Field(10, p.lampsLit);
};

constexpr auto kChapterRenamedFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(10, p.slot);
  io.Text(12, ChapterRenamedPacket::kNameWidth, p.name);
};

}  // namespace

PacketImage<kPlayerIdSize> PlayerIdPacket::Build() const {
  return BuildFields<kPlayerIdSize>(PKT_PLAYER_ID, *this, kPlayerIdFields);
}

bool PlayerIdPacket::Parse(std::span<const std::uint8_t> image, PlayerIdPacket* out) {
  return ParseFields<kPlayerIdSize>(image, out, kPlayerIdFields);
}

PacketImage<kSaveDoneSize> SaveDonePacket::Build() const {
  return BuildFields<kSaveDoneSize>(PKT_SAVE_DONE, *this, kSaveDoneFields);
}

bool SaveDonePacket::Parse(std::span<const std::uint8_t> image, SaveDonePacket* out) {
  return ParseFields<kSaveDoneSize>(image, out, kSaveDoneFields);
}

PacketImage<kLoadReplySize> LoadReplyPacket::Build() const {
  return BuildFields<kLoadReplySize>(PKT_LOAD_REPLY, *this, kLoadReplyFields);
}

bool LoadReplyPacket::Parse(std::span<const std::uint8_t> image, LoadReplyPacket* out) {
  return ParseFields<kLoadReplySize>(image, out, kLoadReplyFields);
}

PacketImage<kGameStartedSize> GameStartedPacket::Build() const {
  return BuildFields<kGameStartedSize>(PKT_SETTINGS_QUERY, *this, kGameStartedFields);
}

bool GameStartedPacket::Parse(std::span<const std::uint8_t> image, GameStartedPacket* out) {
  return ParseFields<kGameStartedSize>(image, out, kGameStartedFields);
}

PacketImage<kTurnLampsSize> TurnLampsPacket::Build() const {
  return BuildFields<kTurnLampsSize>(PKT_TURN_LAMPS, *this, kTurnLampsFields);
}

bool TurnLampsPacket::Parse(std::span<const std::uint8_t> image, TurnLampsPacket* out) {
  return ParseFields<kTurnLampsSize>(image, out, kTurnLampsFields);
}

PacketImage<kChapterRenamedSize> ChapterRenamedPacket::Build() const {
  return BuildFields<kChapterRenamedSize>(PKT_CHAPTER_NAME_SET, *this, kChapterRenamedFields);
}

bool ChapterRenamedPacket::Parse(std::span<const std::uint8_t> image, ChapterRenamedPacket* out) {
  return ParseFields<kChapterRenamedSize>(image, out, kChapterRenamedFields);
}
