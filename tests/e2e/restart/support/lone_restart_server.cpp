// The game server with one difference, for the runs that restart a game: a
// restart reaches each player as its answer and packet 21 alone. The new
// world's packets and the views' restart (22) that follow it are held back,
// and in their place the player is sent an autosave request (8), a notice
// (1500: an asteroid's control gained, as the turn's end tells it) and
// another player's save request (6): what a client may meet between a
// restart and the new world, with nothing of the new world to show yet.
// Then the game goes on as if a turn had ended: its processing (14), its
// results (2) and the turn's autosave request again. With
// QUEN_LONE_RESTART_SILENT set, nothing at all follows the restart: a world
// that never comes.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/net/AutosavePacket.h"
#include "Game/net/NoticePackets.h"
#include "Game/net/SessionPackets.h"
#include "server/SrvGame.h"
#include "server/SrvProgram.h"

namespace {

// The save the request names; the client writes it as lonerestart.clt.
constexpr char kSaveName[] = "lonerestart.svr";
// Turn 0's, as the server numbers an autosave; the client only keeps it.
constexpr std::uint32_t kIdentifier = 1u << 16;
// The asteroid the notice names: the first, which every world has.
constexpr std::uint32_t kAsteroid = 0;

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& image) {
  return SrvPacket(image.bytes.begin(), image.bytes.end());
}

SrvPacket SaveRequest() {
  PacketImage<kSaveGameSize> p(PKT_SAVE_GAME);
  p.PutBytes(8, std::span(reinterpret_cast<const std::uint8_t*>(kSaveName), sizeof kSaveName));
  p.Put<std::uint32_t>(264, kIdentifier);
  return Bytes(p);
}

class LoneRestartOutbox : public SrvOutbox {
 public:
  explicit LoneRestartOutbox(SrvOutbox& link) : m_link(link) {}

  void Send(std::uint32_t player, const SrvPacket& packet, bool sequenced) override {
    PacketHeader header;
    ReadPacketHeader(packet, header);
    if (m_holding.contains(player)) {
      if (header.type == PKT_RESTART_VIEWS && !m_silent) m_holding.erase(player);
      return;
    }
    m_link.Send(player, packet, sequenced);
    if (header.type != PKT_RESTART) return;
    m_holding.insert(player);
    if (m_silent) return;
    m_link.Send(player, Bytes(BuildAutosaveRequestPacket(kIdentifier)), true);
    const NotificationPacket notice{notify::kGameEvent, notify::kControlGained, {}, {}, 0, kAsteroid, 0xFFFFFFFFu};
    m_link.Send(player, Bytes(notice.Build()), true);
    m_link.Send(player, SaveRequest(), true);
    m_link.Send(player, Bytes(PacketImage<12>(PKT_TURN_PROCESSING)), true);
    m_link.Send(player, Bytes(PacketImage<12>(PKT_TURN_RESULTS)), true);
    m_link.Send(player, Bytes(BuildAutosaveRequestPacket(kIdentifier)), true);
  }

 private:
  SrvOutbox& m_link;
  const bool m_silent = std::getenv("QUEN_LONE_RESTART_SILENT") != nullptr;
  // Players whose restart is under way: what the server sends them up to its
  // views' restart (silent: from then on) is dropped.
  std::set<std::uint32_t> m_holding;
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::optional<LoneRestartOutbox> outbox;
  return RunServerProgram(args, [&outbox](SrvOutbox& link) -> SrvOutbox& { return outbox.emplace(link); });
}
