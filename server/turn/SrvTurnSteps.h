#pragma once
// The steps of a turn's resolution after every order of the turn is in, in
// the order SrvGame runs them (server/README.md gives the rules of each):
//   1. the computer chapters choose their orders;
//   2. the orders are carried out: movement, construction, research, mining,
//      power, trade, transfers;
//   3. hostile units that meet fight;
//   4. votes and the interregnum are settled, then the victory conditions
//      are checked.
// Each step reads and changes the world and queues what each chapter must be
// told; SrvGame sends the queues after the turn's own packets.
//
// One thread only.

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "Game/model/GTerrainRec.h"
#include "Game/model/GWorldTypes.h"
#include "server/SrvLog.h"
#include "server/world/SrvRandom.h"
#include "server/world/SrvSetup.h"
#include "server/world/SrvStartPackets.h"
#include "server/world/SrvWorld.h"

// What happened on an asteroid's surface in the turn outside its zone fights
// (landings, pick-ups, moves, falls), for the terrain replay, and the
// chapters it concerns.
struct SrvSurfaceRecord {
  std::vector<TerrainEvent> events;
  std::vector<std::uint8_t> chapters;
  void Add(const TerrainEvent& e, std::uint8_t chapter) {
    events.push_back(e);
    Concerns(chapter);
  }
  void Concerns(std::uint8_t chapter) {
    if (std::find(chapters.begin(), chapters.end(), chapter) == chapters.end()) chapters.push_back(chapter);
  }
};

struct SrvTurnContext {
  SrvWorld& world;
  const SrvSetup& setup;
  SrvLog& log;
  // The turn's own random numbers (seeded from the world's seed and turn, so
  // a game replays the same for the same orders).
  SrvRandom& random;
  // Chapters a human player holds; the others are played by the server.
  std::array<bool, kMaxChapters> human{};
  // Packets for each chapter, sent in order after the turn's results.
  std::array<std::vector<SrvPacket>, kMaxChapters> toChapter{};
  // Units whose trip to an asteroid ended this turn: they come upon a
  // battle there as it is fought (SrvResolveBattles).
  std::vector<std::uint32_t> arrivals{};
  // Units whose stun ran out this turn: no mind weapon stuns them again
  // before their players could order them (SrvResolveBattles).
  std::vector<std::uint32_t> released{};
  // By asteroid: sent with the asteroid's terrain battles (SrvResolveBattles).
  std::map<std::uint16_t, SrvSurfaceRecord> surface{};

  void Tell(std::uint16_t chapter, SrvPacket packet) {
    if (chapter < kMaxChapters) toChapter[chapter].push_back(std::move(packet));
  }
  void TellAll(const SrvPacket& packet) {
    for (auto& queue : toChapter) queue.push_back(packet);
  }
  void TellGuild(int guild, const SrvPacket& packet) {
    for (int slot = 0; slot < kMaxChaptersPerGuild; ++slot)
      if (const auto c = static_cast<std::uint16_t>(guild * 8 + slot); world.HasChapter(c)) Tell(c, packet);
  }
};

// How a game ended: the winners' chapters and the condition that ended it.
struct SrvGameEnd {
  std::uint8_t condition = 0;
  std::vector<std::uint16_t> winners;
};

// Turns every entry of the world's notification list into a packet 1500
// for its chapter, then empties the list.
void SrvDrainNotifications(SrvTurnContext& turn);

void SrvPlayComputerChapters(SrvTurnContext& turn);
void SrvResolveOrders(SrvTurnContext& turn);
void SrvResolveBattles(SrvTurnContext& turn);
void SrvResolvePolitics(SrvTurnContext& turn);
std::optional<SrvGameEnd> SrvCheckGameEnd(SrvTurnContext& turn);
