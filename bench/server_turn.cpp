// One turn of a 40-chapter, 150-asteroid game resolved by the server, as a
// ratio to the client applying the same turn's results (its packets through
// the dispatcher, then its own advance of the model), measured in the same
// run; and the heap the server holds for that game. The game has no units
// yet: the server does not place any. Autosave is off: the disk is not
// measured.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <vector>

#include "Game/model/GGameData.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/Packets.h"
#include "Game/rules/GRulesPackets.h"
#include "server/SrvGame.h"

namespace {

constexpr int kClientRounds = 200;

struct Recorder : SrvOutbox {
  std::vector<SrvPacket> sent;
  bool keep = true;
  void Send(std::uint32_t, const SrvPacket& packet, bool) override {
    if (keep) sent.push_back(packet);
  }
};

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const PacketImage<N>& p) {
  return {p.bytes.begin(), p.bytes.end()};
}

std::vector<std::uint8_t> EndTurn(std::uint32_t turn) {
  PacketImage<16> p(PKT_END_TURN);
  p.Put<std::uint32_t>(8, turn);
  return Bytes(p);
}

// A started game of 8 chapters per guild and 150 asteroids, held by player 1 as chapter 0.
void StartBigGame(SrvGame& game) {
  game.PlayerJoined(1);
  SrvSetup setup;
  setup.config.SetU16(18, 0);
  setup.config.SetU16(34, 1);
  game.Receive(1, Bytes(setup.config));
  game.Receive(1, Bytes(PacketImage<48>(PKT_CHAPTER_CLAIM)));
  game.Receive(1, Bytes(PacketImage<12>(PKT_START)));
  // The turn's resolution is measured, not the disk.
  game.Receive(1, Bytes(PacketImage<12>(PKT_AUTOSAVE)));
}

// Nanoseconds per turn of the client taking the server's results.
double ClientTurnNs() {
  Recorder out;
  SrvLog log;
  std::vector<SrvPacket> start, turn;
  {
    SrvGame game(out, log, nullptr, 7);
    StartBigGame(game);
    start = out.sent;
    out.sent.clear();
    game.Receive(1, EndTurn(0));
    turn = out.sent;
  }
  CGameData data(0, 8);
  g_gameData = &data;
  for (const auto& p : start) HandlePacket(nullptr, p, 1);
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < kClientRounds; ++i) {
    for (const auto& p : turn) HandlePacket(nullptr, p, 1);
    data.AdvanceModelTurn();
  }
  const double ns =
      std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - begin).count() /
      kClientRounds;
  g_gameData = nullptr;
  return ns;
}

void BM_ServerTurn(benchmark::State& state) {
  const double client = ClientTurnNs();
  Recorder out;
  out.keep = false;
  SrvLog log;
  const std::size_t before = mallinfo2().uordblks;
  SrvGame game(out, log, nullptr, 7);
  StartBigGame(game);
  const std::size_t held = mallinfo2().uordblks - before;
  std::uint32_t turn = 0;
  const auto begin = std::chrono::steady_clock::now();
  for (auto _ : state) game.Receive(1, EndTurn(turn++));
  const double each =
      std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - begin).count() /
      static_cast<double>(state.iterations());
  state.counters["x_client"] = each / client;
  state.counters["server_bytes"] = static_cast<double>(held);
}
BENCHMARK(BM_ServerTurn);

}  // namespace
