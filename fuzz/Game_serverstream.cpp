// The client's handling of a hostile server, end to end: the host of a session
// on loopback TCP sends whatever packets the input holds (their headers too:
// any type, length and sequence number) to a client that joined it as the
// program does; the client's receive thread, packet queue, dispatcher and
// handlers take them into a running game. Whatever comes, the client neither
// crashes nor hangs: a last unsequenced packet the host sends after the input
// is handed out within a time limit, or the client has given the connection
// up (a queue held back past its bound).
//
// Input: records of a u16 length and that many packet bytes (a length past the
// input takes what is left). Each input meets a new client and a new game.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "Game/net/SessionSink.h"
#include "fuzz/game_start.h"
#include "fuzz/scratch.h"
#include "fuzz/seeds.h"
#include "hvmulti/HvMulti.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "tests/support/recording_shell.h"

namespace {

// The packet that closes each input: unsequenced, of a type no handler takes.
constexpr std::uint16_t kEndType = 0xFFEE;
constexpr std::uint8_t kEndMark[8] = {'e', 'n', 'd', ' ', 'm', 'a', 'r', 'k'};
// What a client is given to take the whole input in; a hang is a failure.
constexpr auto kTimeLimit = std::chrono::seconds(5);

HvMServiceEx_Struct Loopback(const std::string& address) {
  HvMServiceEx_Struct at;
  at.SetText(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth, address);
  return at;
}

// The hostile server: a session host that sends what it is told to.
struct Server {
  Server() {
    const auto at = Loopback("127.0.0.1:0");
    HvMSession_Struct session;
    session.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, "Hostile");
    session.SetU32(HvMSession_Struct::kMaxPlayers, 8);
    if (multi.InitServiceEx(HVM_SERVICEID_TCPIP, kApplicationGuid, &at) != 0 ||
        multi.CreateAndJoin(&session, &me) != HVM_CREATED)
      __builtin_trap();
  }
  // Reads what the clients send (handlers answer some packets).
  void Drain() {
    std::uint8_t buffer[HVM_MAX_PACKET];
    for (;;) {
      std::uint32_t length = sizeof buffer, from = 0;
      if (multi.GetTop(buffer, &length, &from, nullptr, nullptr) == HVM_ERR_NOMESSAGE) return;
    }
  }
  // Sends to every player, waiting out a busy library; false when the client is gone.
  bool Send(std::span<const std::uint8_t> packet) {
    for (;;) {
      const int r =
          multi.Send(me.id, HVM_ID_ALLPLAYERS, packet.data(), static_cast<std::uint32_t>(packet.size()), 1, 1);
      if (r != HVM_ERR_BUSY) return r == 0 || r == HVM_ERR_TOOLARGE;
      Drain();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  bool WaitForPlayers(std::size_t n) {
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    while (multi.GetPlayers().size() != n) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      Drain();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  CHvMulti multi;
  HvMPlayer_Struct me;
};

// A client joined to the server as the program joins a TCP/IP session.
std::unique_ptr<CNetSession> Join(Server& server) {
  static std::uint32_t sessionId = 0;
  auto client = std::make_unique<CNetSession>(std::make_unique<CHvMulti>());
  const auto at = Loopback("127.0.0.1:" + std::to_string(server.multi.GetHostPort()));
  if (client->multi->InitServiceEx(HVM_SERVICEID_TCPIP, kApplicationGuid, &at) != 0) __builtin_trap();
  client->multi->EnumSessions(
      [](const HvMSession_Struct* s, void* id) {
        *static_cast<std::uint32_t*>(id) = s->U32(HvMSession_Struct::kSessionId);
        return 0;
      },
      &sessionId, 3000);
  ConnectionInfo info;
  info.sessionId = sessionId;
  std::strcpy(info.playerName, "Client");
  std::strcpy(info.nickname, "Client");
  if (client->OpenAndJoin(info) != 0) __builtin_trap();
  client->receiveLimitMs = 2000;
  return client;
}

std::vector<std::uint8_t> Record(std::span<const std::uint8_t> packet) {
  std::vector<std::uint8_t> r{static_cast<std::uint8_t>(packet.size()), static_cast<std::uint8_t>(packet.size() >> 8)};
  r.insert(r.end(), packet.begin(), packet.end());
  return r;
}

// The client's program: it hears every packet, and sees the end mark as it
// is about to be handled.
struct EndWatch : quentest::RecordingShell {
  bool ended = false;
  void PacketProcessing(std::span<const std::uint8_t> packet) override {
    PacketHeader h;
    ended = ended || (packet.size() == kPacketHeaderSize + sizeof kEndMark && ReadPacketHeader(packet, h) &&
                      h.type == kEndType && h.sequence == 0 &&
                      std::memcmp(packet.data() + kPacketHeaderSize, kEndMark, sizeof kEndMark) == 0);
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The start of a game as a server sends it, numbered 1, 2, ...; the same
  // with one packet left out (the rest waits for it) and sent twice.
  fuzz::WriteSeedsIfAsked([] {
    fuzz::Seeds seeds(3);
    std::uint32_t sequence = 0;
    for (auto packet : fuzz::StartOfGame()) {
      WritePacketSequence(packet, ++sequence);
      const auto record = Record(packet);
      seeds[0].insert(seeds[0].end(), record.begin(), record.end());
      if (sequence != 2) seeds[1].insert(seeds[1].end(), record.begin(), record.end());
      for (int twice = 0; twice < 2; ++twice) seeds[2].insert(seeds[2].end(), record.begin(), record.end());
    }
    return seeds;
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Scratch::Get();
  // Packet 51 pauses for a second: on the virtual clock that costs nothing.
  if (!plat::IsVirtualClock()) plat::UseVirtualClock();
  static Server& server = *new Server;  // one host for the whole run
  static EndWatch& shell = *new EndWatch;
  static CSessionSink& sink = *new CSessionSink;  // the game's sends reach the client's session
  RegisterPacketSink(&sink);
  shell.posted.clear();  // what one input posts, not the whole run's
  shell.handled.clear();

  auto client = Join(server);
  auto game = std::make_unique<CGameData>(9, 8);
  g_gameData = game.get();
  AttachSessionLinks(client.get());
  if (!server.WaitForPlayers(2)) __builtin_trap();

  std::span<const std::uint8_t> rest(data, size);
  bool connected = true;
  while (connected && rest.size() >= 2) {
    const std::size_t n = std::min<std::size_t>(rest[0] | (rest[1] << 8), rest.size() - 2);
    if (n > 0) connected = server.Send(rest.subspan(2, n));
    rest = rest.subspan(2 + n);
  }
  std::uint8_t end[kPacketHeaderSize + sizeof kEndMark] = {};
  WritePacketHeader(end, PacketHeader{kEndType, 0, 0});
  std::memcpy(end + kPacketHeaderSize, kEndMark, sizeof kEndMark);
  connected = connected && server.Send(end);

  shell.ended = false;
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  while (connected && !shell.ended) {
    if (DispatchPacket(*client) == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    // A sequence that never completes holds the rest back until the queue's
    // bound, where the client gives the connection up.
    if (client->queue && client->queue->Overflowed()) break;
    if (std::chrono::steady_clock::now() > deadline) __builtin_trap();
    server.Drain();
  }

  AttachSessionLinks(nullptr);
  g_gameData = nullptr;
  game.reset();
  client.reset();
  if (!server.WaitForPlayers(1)) __builtin_trap();
  return 0;
}
