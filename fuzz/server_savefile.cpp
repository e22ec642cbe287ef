// A server's saved game of any bytes loaded into a running game: a damaged or
// hostile file is refused and the running game kept, or it loads whole; the
// server never crashes and never reads past what it holds.
//
// The seeds are whole saved games of the test rules, made by the server's own
// writer: one at the start and one a turn later.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "fuzz/scratch.h"
#include "fuzz/seeds.h"
#include "server/SrvDurableFile.h"
#include "server/SrvGame.h"
#include "tests/server/srv_packets.h"
#include "tests/server/srv_test_rules.h"

namespace {

constexpr std::uint32_t kIdentifier = 0x10001;
constexpr std::uint32_t kHost = 7;

struct Silent : SrvOutbox {
  void Send(std::uint32_t, const SrvPacket&, bool) override {}
};

// A started game of the test rules: one player, one chapter a guild on 12 asteroids.
struct Running {
  Silent out;
  SrvLog log;
  SrvGame game{out, log, nullptr, 41, fuzz::Scratch::Get().dir().string() + "/"};
  bool started = false;

  Running() {
    SrvSetSyncedWrites(false);
    const auto [hulls, modules] = SrvTestRules();
    if (!game.UseRules(hulls, modules)) return;
    game.PlayerJoined(kHost);
    game.Receive(kHost, Pkt<12>(PKT_CHAPTER_REPORTS).U16(8, 101));
    game.Receive(kHost, Pkt<40>(PKT_GAME_CONFIG).U16(14, 1).U16(16, 12));
    game.Receive(kHost, Pkt<48>(PKT_CHAPTER_CLAIM).U16(8, 0));
    game.Receive(kHost, Pkt<12>(PKT_START));
    started = game.World().turn == 0 && game.World().Chapter(0) != nullptr;
  }
  void EndTurn() { game.Receive(kHost, Pkt<16>(PKT_END_TURN).U32(8, game.World().turn)); }
  std::vector<std::uint8_t> Saved(const std::string& name) {
    const std::string path = fuzz::Scratch::Get().dir().string() + "/" + name;
    if (!game.Save(path, kIdentifier)) return {};
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

Running& Game() {
  static Running running;
  return running;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WriteSeedsIfAsked([] {
    Running& r = Game();
    fuzz::Seeds seeds;
    if (!r.started) return seeds;
    seeds.push_back(r.Saved("start.svr"));
    r.EndTurn();
    seeds.push_back(r.Saved("turn1.svr"));
    return seeds;
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Running& r = Game();
  if (!r.started) return 0;
  fuzz::Scratch::Get().Write("input.svr", std::span(data, size));
  r.game.Load(fuzz::Scratch::Get().dir().string() + "/input.svr", kIdentifier);
  return 0;
}
