// What the server tells the players of the session itself, besides the
// world: the settings a client is to hold (54), the players' ids (4), the turn
// lamps (31 and the lamps word of 10), keep-alive requests (26), status
// requests (51), and the news of the asteroids and the class stat ranges at
// the end of a turn.
#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/net/HostPackets.h"
#include "platform/core/bytes.h"
#include "server/SrvGame.h"
#include "server/turn/SrvTurnSteps.h"
#include "server/world/SrvDesignPackets.h"
#include "server/world/SrvTraits.h"

namespace {

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

}  // namespace

SrvPacket SrvGame::SettingsStoredPacket(std::uint16_t chapter) const {
  GameSettingsPacket stored = m_setup.Settings();
  stored.type = PKT_GAME_SETTINGS_STORE;
  stored.chapterSlot = chapter;
  if (const CGChapter* own = m_world.Chapter(chapter))
    for (int t = 0; t < kTraitCount; ++t) stored.traits[static_cast<std::size_t>(t)] = own->GetTrait(t);
  const auto image = ToBytes(stored);
  return SrvPacket(image.begin(), image.end());
}

std::vector<SrvPacket> SrvGame::StartSequenceFor(std::uint16_t chapter) const {
  std::vector<std::string> names(kMaxChapters);
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) names[c] = ChapterName(c);
  std::vector<SrvPacket> sequence = BuildStartSequence(m_world, chapter, names);
  // Before the start signal, which opens the game's views.
  std::vector<SrvPacket> session{SettingsStoredPacket(chapter)};
  if (!m_byFiles)
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      if (m_holder[c] != 0) session.push_back(PlayerIdPacket(c));
  sequence.insert(sequence.end() - 1, session.begin(), session.end());
  return sequence;
}

SrvPacket SrvGame::PlayerIdPacket(std::uint16_t chapter) const {
  return Bytes(::PlayerIdPacket{chapter, chapter < kMaxChapters ? m_holder[chapter] : 0}.Build());
}

void SrvGame::SendPlayerId(std::uint16_t chapter) {
  if (m_byFiles || chapter >= kMaxChapters) return;
  const SrvPacket id = PlayerIdPacket(chapter);
  for (std::uint32_t h : m_holder)
    if (h != 0) m_out.Send(h, id, true);
}

void SrvGame::GreetPlayerInPlay(std::uint32_t player) {
  if (m_byFiles) return;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (m_holder[c] != 0) m_out.Send(player, PlayerIdPacket(c), true);
  m_out.Send(player, Bytes(PacketImage<12>(PKT_STATUS_REQUEST)), true);
}

std::uint16_t SrvGame::TurnLampCount() const {
  std::uint16_t lit = 0;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (m_holder[c] != 0 && m_turnDone[c]) ++lit;
  return lit;
}

SrvPacket SrvGame::TurnLampsPacket(std::uint16_t chapter) const {
  return Bytes(::TurnLampsPacket{chapter, TurnLampCount()}.Build());
}

void SrvGame::SendTurnLamps(std::uint16_t chapter) {
  if (m_byFiles) return;
  // A chapter whose state is due gets the lamps as they stand with its state.
  const SrvPacket lamps = TurnLampsPacket(chapter);
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (m_holder[c] != 0 && !m_stateDue[c]) m_out.Send(m_holder[c], lamps, true);
}

void SrvGame::TurnBegins() {
  std::vector<std::uint32_t> holders;
  for (std::uint32_t h : m_holder)
    if (h != 0) holders.push_back(h);
  m_alive.TurnBegins(holders, m_nowMs);
}

void SrvGame::KeepAliveTick() {
  if (m_byFiles || !m_started || m_ended) return;
  if (m_alive.RequestDue(m_nowMs)) {
    const PacketImage<12> request(PKT_KEEPALIVE_REQUEST);
    for (std::uint32_t h : m_holder)
      if (h != 0) m_out.Send(h, Bytes(request), true);
  }
  for (std::uint32_t player : m_alive.Silent(m_nowMs)) {
    if (m_ended) break;
    m_alive.Forget(player);
    if (std::find(m_players.begin(), m_players.end(), player) == m_players.end()) continue;
    m_log.Line("player %u silent for %llu s: dropped", player,
               static_cast<unsigned long long>(kSrvSilenceLimitMs / 1000));
    PlayerLeft(player);
  }
}

void SrvGame::AfterLoad(std::uint32_t loader, bool loaded) {
  m_out.Send(loader, Bytes(LoadReplyPacket{loaded ? 1u : 0u, TurnLampCount()}.Build()), true);
  if (!loaded) return;
  TurnBegins();
  // The file's settings may not be those the clients played with, and each
  // client is asked how it stands after loading its own copy. A chapter
  // taken in play whose state is still due gets the loaded game's whole
  // state (its settings in it) when its front end is done, and no copy to load.
  const PacketImage<12> status(PKT_STATUS_REQUEST);
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (m_holder[c] == 0 || m_stateDue[c]) continue;
    m_out.Send(m_holder[c], SettingsStoredPacket(c), true);
    m_out.Send(m_holder[c], Bytes(status), true);
  }
}

void SrvGame::TurnNews(SrvTurnContext& turn) {
  m_asteroidNews.Append(m_world, turn.toChapter);
  SrvPacket ranges = BuildClassStatRangesPacket(m_world);
  if (ranges != m_classRanges) {
    turn.TellAll(ranges);
    m_classRanges = std::move(ranges);
  }
}
