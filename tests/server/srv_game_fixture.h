#pragma once
// The server's game without a network, for its tests: packets built field by
// field, every packet the game sends recorded with its addressee, and a game
// of the test rules started with players holding their chapters.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "Game/model/GUnitOrder.h"
#include "server/SrvGame.h"
#include "tests/server/srv_packets.h"
#include "tests/server/srv_test_rules.h"
#include "tests/support/temp_dir.h"

namespace {

struct Sent {
  std::uint32_t to;
  SrvPacket packet;
  bool sequenced;
  std::uint16_t Type() const { return ReadU16(packet, 0); }
};

struct RecordingOutbox : SrvOutbox {
  std::vector<Sent> sent;
  void Send(std::uint32_t player, const SrvPacket& packet, bool sequenced) override {
    sent.push_back({player, packet, sequenced});
  }
  std::vector<Sent> To(std::uint32_t player) const {
    std::vector<Sent> out;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(out), [&](const Sent& s) { return s.to == player; });
    return out;
  }
  // The packets of `type` sent to `player`.
  std::vector<SrvPacket> Of(std::uint32_t player, std::uint16_t type) const {
    std::vector<SrvPacket> out;
    for (const Sent& s : sent)
      if (s.to == player && s.Type() == type) out.push_back(s.packet);
    return out;
  }
  std::size_t Count(std::uint16_t type) const {
    return static_cast<std::size_t>(
        std::count_if(sent.begin(), sent.end(), [&](const Sent& s) { return s.Type() == type; }));
  }
  // The first packet of `type` sent to anyone (nullptr: none).
  const SrvPacket* First(std::uint16_t type) const {
    const auto it = std::find_if(sent.begin(), sent.end(), [&](const Sent& s) { return s.Type() == type; });
    return it == sent.end() ? nullptr : &it->packet;
  }
};

// `dir` as the game takes a folder: its files are named after it.
inline std::string FolderPath(const quentest::TempDir& dir) { return dir.path().string() + "/"; }

// A case with a game of its own (seeded with `Seed`, saving into a folder of
// the case's own, removed after it: suites of two builds run side by side
// would otherwise overwrite each other's saves and autosaves) and a record of
// what it sends.
template <std::uint32_t Seed>
struct SrvGameCase : testing::Test {
  RecordingOutbox out;
  SrvLog log;
  quentest::TempDir dir{"quen_srv_case"};
  SrvGame game{out, log, nullptr, Seed, FolderPath(dir)};
  const SrvWorld& World() const { return game.World(); }
  std::string Folder() const { return FolderPath(dir); }
};

// A unit order of `type` whose first words are `words`.
inline UnitOrder Ordered(std::uint32_t type, std::initializer_list<std::uint32_t> words = {}) {
  UnitOrder order;
  order.type = type;
  int n = 0;
  for (std::uint32_t w : words) order.SetWord(n++, w);
  return order;
}

using Seats = std::initializer_list<std::pair<std::uint32_t, std::uint16_t>>;

// Starts a game of the test rules, `perGuild` chapters a guild on 20
// asteroids: every player of `seats` joins and claims its chapter; the first
// sets the game up (with `settings`, when given) and starts it. A session's
// host (SrvGame::SetHost) announces its chapters per guild and gives the
// configuration when the start asks for it.
inline void StartTestGame(SrvGame& game, Seats seats, std::uint16_t perGuild, const SrvSetup* settings = nullptr) {
  const auto [hulls, modules] = SrvTestRules();
  ASSERT_TRUE(game.UseRules(hulls, modules));
  for (const auto& [player, chapter] : seats) game.PlayerJoined(player);
  const std::uint32_t host = seats.begin()->first;
  const std::vector<std::uint8_t> config = Pkt<40>(PKT_GAME_CONFIG).U16(14, perGuild).U16(16, 20);
  ASSERT_TRUE(game.Receive(host, Pkt<12>(PKT_CHAPTER_REPORTS).U16(8, static_cast<std::uint16_t>(100 + perGuild))));
  if (!game.Hosted()) {
    ASSERT_TRUE(game.Receive(host, config));
  }
  if (settings != nullptr) {
    ASSERT_TRUE(game.Receive(host, Bytes(settings->settings)));
  }
  for (const auto& [player, chapter] : seats)
    ASSERT_TRUE(game.Receive(player, Pkt<48>(PKT_CHAPTER_CLAIM).U16(8, chapter)));
  ASSERT_TRUE(game.Receive(host, Pkt<12>(PKT_START)));
  if (game.Hosted()) {
    ASSERT_TRUE(game.Receive(host, config));
  }
}

// Every player of `seats` ends the running turn.
inline void EndTestTurn(SrvGame& game, Seats seats) {
  const std::uint32_t turn = game.World().turn;
  for (const auto& [player, chapter] : seats) ASSERT_TRUE(game.Receive(player, Pkt<16>(PKT_END_TURN).U32(8, turn)));
}

}  // namespace
