#include "tools/lategame/lategame.h"

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotify.h"
#include "Game/net/NetDispatcher.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/setup/GameSetup.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"

namespace {

// The default world; only the last chapter standing or the game's length (far
// beyond the turns played) ends it. The seed fixes the game.
constexpr std::uint16_t kChaptersPerGuild = 8;
constexpr std::uint16_t kAsteroids = 150;
constexpr std::uint32_t kSeed = 11;
constexpr std::uint32_t kIdentifier = 0x4C410001;
// The player's chapter plays as a hard computer chapter would, so that it
// ends with a fleet and land of some size.
constexpr std::uint8_t kPlayerLevel = 2;
// Where the server's autosaves of the turns played go; removed at the end.
constexpr char kWorkFolder[] = ".lategame";

// The server's game, played for `turns` turns, its file written at the end.
// What builds the player's model comes back: the packets the player was
// sent, and in their place the designs its own program stored.
std::optional<std::vector<SrvPacket>> PlayServerGame(const LateGamePaths& paths, const ScenarioRules& rules,
                                                     std::uint32_t turns, std::string* fault) {
  ScenarioServer server(kSeed, (paths.out / kWorkFolder / "").string());
  SrvGame& game = server.game;
  if (!StartScenarioGame(game, rules, kChaptersPerGuild, kAsteroids, fault)) return std::nullopt;
  const SrvAiLevel level = SrvAiLevelOf(kPlayerLevel);
  for (std::uint32_t t = 0; t < turns; ++t) {
    if (game.Ended()) {
      *fault = "the game ended at turn " + std::to_string(game.World().turn);
      return std::nullopt;
    }
    const std::uint32_t turn = game.World().turn;
    // The computer's choice only reads the world; its orders then come in as
    // the player's program would send them.
    SrvWorld& world = const_cast<SrvWorld&>(game.World());
    for (const SrvPacket& order : SrvChooseOrders(world, kScenarioChapter, level, kSeed * 40503u ^ turn)) {
      // The program's design view stores a design in its slot as it sends it,
      // and the server tells the sender only the design's values (unless it
      // gave the design another id, which comes with its own 200 after
      // this): the player's model stores it here, before those values.
      if (ScenarioPacketType(order) == PKT_TEMPLATE) server.out.toPlayer.push_back(order);
      game.Receive(kScenarioPlayer, order);
    }
    std::array<std::uint8_t, 16> endTurn{};
    plat::ByteWriter(endTurn).WriteAt<std::uint16_t>(0, PKT_END_TURN);
    plat::ByteWriter(endTurn).WriteAt<std::uint32_t>(8, turn);
    if (!game.Receive(kScenarioPlayer, std::vector<std::uint8_t>(endTurn.begin(), endTurn.end()))) {
      *fault = "the server refused the end of turn " + std::to_string(turn);
      return std::nullopt;
    }
  }
  if (!game.Save((paths.out / kLateGameServerFile).string(), kIdentifier)) {
    *fault = std::string("\"") + kLateGameServerFile + "\" could not be written";
    return std::nullopt;
  }
  return std::move(server.out.toPlayer);
}

// The player's model, built as the program builds it in play, saved by the
// program's save writer.
bool WriteClientGame(const ScenarioRules& rules, const std::vector<SrvPacket>& packets, std::string* fault) {
  auto game = std::make_unique<CGameData>(kScenarioChapter, static_cast<std::uint8_t>(kChaptersPerGuild));
  g_gameData = game.get();
  bool ok = (game->hullDB->IsLoaded() || game->hullDB->LoadHulls(rules.hulls) != 0) &&
            (game->moduleDB->IsLoaded() || game->moduleDB->LoadModules(rules.modules) != 0);
  if (!ok) *fault = "the client took no rules";
  bool settingsTaken = false;
  std::map<std::uint16_t, unsigned> refused;
  for (const SrvPacket& p : packets) {
    if (!ok) break;
    // The autosave signal would have the program write its own autosave.
    if (ScenarioPacketType(p) == PKT_AUTOSAVE) continue;
    // The program goes on past a packet it refuses (its dispatcher says why
    // on the console); so does the scenario, counting them for the end.
    if (!HandlePacket(nullptr, p, 0)) ++refused[ScenarioPacketType(p)];
    // What the program's window does on the turn's two signals, which the
    // dispatcher hands to it.
    if (ScenarioPacketType(p) == PKT_TURN_PROCESSING) {
      if (game->notifications) game->notifications->Clear(kAllChapters);
      game->pieces.ClearForeignUnitsInSpace();
    }
    if (ScenarioPacketType(p) == PKT_TURN_RESULTS) {
      game->AdvanceModelTurn();
      if (game->notifications)
        game->notifications->Add(game->localChapterId, 4, 403, nullptr, nullptr, 0, 0, 0xFFFFFFFFu);
    }
    // The settings as the server holds them (no player gave any), taken as
    // the program takes them when the game starts.
    if (ok && !settingsTaken && ScenarioPacketType(p) == PKT_START) {
      std::array<std::uint8_t, kGameSettingsSize> settings{};
      plat::ByteWriter(settings).WriteAt<std::uint16_t>(0, PKT_GAME_SETTINGS);
      game->ApplyGameSetup(settings, kScenarioChapter, {});
      settingsTaken = true;
    }
  }
  // A model that missed packets is not the game the server's half holds.
  if (ok && !refused.empty()) {
    *fault = "the client refused";
    const char* separator = " ";
    for (const auto& [type, count] : refused) {
      *fault += separator + std::to_string(count) + " of packet " + std::to_string(type);
      separator = ", ";
    }
    ok = false;
  }
  ok = ok && WriteScenarioClientFiles({kLateGameClientFile}, kSeed, kIdentifier, fault);
  g_gameData = nullptr;
  return ok;
}

}  // namespace

bool WriteLateGameScenario(const LateGamePaths& paths, std::uint32_t turns, std::string* fault) {
  std::string ignored;
  if (fault == nullptr) fault = &ignored;
  if (turns == 0 || turns > kLateGameMaxTurns) {
    *fault = "the turns must be 1 to " + std::to_string(kLateGameMaxTurns);
    return false;
  }
  const auto rules = PrepareScenario(paths, fault);
  if (!rules) return false;
  std::error_code ec;
  std::filesystem::create_directories(paths.out / kWorkFolder, ec);
  const auto packets = PlayServerGame(paths, *rules, turns, fault);
  std::filesystem::remove_all(paths.out / kWorkFolder, ec);
  return packets && WriteClientGame(*rules, *packets, fault);
}
