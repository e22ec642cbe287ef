#include "tools/lategame/lategame.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <fstream>
#include <memory>
#include <span>
#include <optional>
#include <vector>

#include "Game/app/AppStateBlock.h"
#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotify.h"
#include "Game/net/NetDispatcher.h"
#include "Game/rules/GAstNames.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/save/SaveGame.h"
#include "Game/save/SaveLinks.h"
#include "Game/setup/GameSetup.h"
#include "platform/core/dospath.h"
#include "platform/resource/module.h"
#include "server/SrvGame.h"
#include "server/SrvLog.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"

namespace {

// The default world with no limit on a turn's time; only the last chapter
// standing or the game's length (far beyond the turns played) ends it. The
// seed fixes the game.
constexpr std::uint16_t kChaptersPerGuild = 8;
constexpr std::uint16_t kAsteroids = 150;
constexpr std::uint16_t kNoTurnTimeLimit = 0;
constexpr std::uint32_t kSeed = 11;
constexpr std::uint16_t kPlayerChapter = 0;
constexpr std::uint32_t kPlayer = 1;
constexpr std::uint32_t kIdentifier = 0x4C410001;
// The player's chapter plays as a hard computer chapter would, so that it
// ends with a fleet and land of some size.
constexpr std::uint8_t kPlayerLevel = 2;
constexpr char kOutDrive = 'Q';
constexpr std::uintmax_t kMaxRulesFile = 16u << 20;
constexpr std::int32_t kRenderAtStart = -1;
// Where the server's autosaves of the turns played go; removed at the end.
constexpr char kWorkFolder[] = ".lategame";

std::optional<std::vector<std::uint8_t>> ReadHostFile(const std::filesystem::path& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size == 0 || size > kMaxRulesFile) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
  return bytes;
}

struct PlayerOutbox : SrvOutbox {
  std::vector<SrvPacket> toPlayer;
  void Send(std::uint32_t player, const SrvPacket& packet, bool) override {
    if (player == kPlayer) toPlayer.push_back(packet);
  }
};

template <std::size_t N>
std::vector<std::uint8_t> Packet(const std::array<std::uint8_t, N>& image) {
  return {image.begin(), image.end()};
}

std::uint16_t TypeOf(const SrvPacket& p) { return p.size() >= 2 ? static_cast<std::uint16_t>(p[0] | (p[1] << 8)) : 0xFFFF; }

// The server's game, played for `turns` turns, its file written at the end.
// The packets the player was sent come back.
std::optional<std::vector<SrvPacket>> PlayServerGame(const LateGamePaths& paths, std::span<const std::uint8_t> hulls,
                                                     std::span<const std::uint8_t> modules, std::uint32_t turns,
                                                     std::string* fault) {
  PlayerOutbox out;
  SrvLog log;
  SrvGame game(
      out, log,
      [](unsigned n) -> std::optional<std::string> {
        plat::FILE* fp = plat::fopen("R:\\astnames.dat", "rt");
        if (fp == nullptr) return std::nullopt;
        auto name = ReadAsteroidName(fp, n);
        plat::fclose(fp);
        return name;
      },
      kSeed, (paths.out / kWorkFolder / "").string());
  if (!game.UseRules(hulls, modules)) {
    *fault = "the rules hold no hulls or no modules";
    return std::nullopt;
  }
  GameConfigPacket config;
  config.chapters = kChaptersPerGuild;
  config.asteroids = kAsteroids;
  config.turnTimeLimit = kNoTurnTimeLimit;
  std::array<std::uint8_t, 48> claim{};
  plat::ByteWriter(claim).WriteAt<std::uint16_t>(0, PKT_CHAPTER_CLAIM);
  plat::ByteWriter(claim).WriteAt<std::uint16_t>(8, kPlayerChapter);
  std::array<std::uint8_t, 12> start{};
  plat::ByteWriter(start).WriteAt<std::uint16_t>(0, PKT_START);
  game.PlayerJoined(kPlayer);
  if (!game.Receive(kPlayer, Packet(ToBytes(config))) || !game.Receive(kPlayer, Packet(claim)) ||
      !game.Receive(kPlayer, Packet(start)) || !game.Started()) {
    *fault = "the server did not start the game";
    return std::nullopt;
  }
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
    for (const SrvPacket& order : SrvChooseOrders(world, kPlayerChapter, level, kSeed * 40503u ^ turn))
      game.Receive(kPlayer, order);
    std::array<std::uint8_t, 16> endTurn{};
    plat::ByteWriter(endTurn).WriteAt<std::uint16_t>(0, PKT_END_TURN);
    plat::ByteWriter(endTurn).WriteAt<std::uint32_t>(8, turn);
    if (!game.Receive(kPlayer, Packet(endTurn))) {
      *fault = "the server refused the end of turn " + std::to_string(turn);
      return std::nullopt;
    }
  }
  if (!game.Save((paths.out / kLateGameServerFile).string(), kIdentifier)) {
    *fault = std::string("\"") + kLateGameServerFile + "\" could not be written";
    return std::nullopt;
  }
  return std::move(out.toPlayer);
}

// The player's model, built as the program builds it in play, saved by the
// program's save writer.
bool WriteClientGame(std::span<const std::uint8_t> hulls, std::span<const std::uint8_t> modules,
                     const std::vector<SrvPacket>& packets, std::string* fault) {
  auto game = std::make_unique<CGameData>(kPlayerChapter, static_cast<std::uint8_t>(kChaptersPerGuild));
  g_gameData = game.get();
  bool ok = (game->hullDB->IsLoaded() || game->hullDB->LoadHulls(hulls) != 0) &&
            (game->moduleDB->IsLoaded() || game->moduleDB->LoadModules(modules) != 0);
  if (!ok) *fault = "the client took no rules";
  bool settingsTaken = false;
  std::map<std::uint16_t, unsigned> refused;
  for (const SrvPacket& p : packets) {
    if (!ok) break;
    // The autosave signal would have the program write its own autosave.
    if (TypeOf(p) == PKT_AUTOSAVE) continue;
    // The program goes on past a packet it refuses (its dispatcher says why
    // on the console); so does the scenario, counting them.
    if (!HandlePacket(nullptr, p, 0)) ++refused[TypeOf(p)];
    // What the program's window does on the turn's two signals, which the
    // dispatcher hands to it.
    if (TypeOf(p) == PKT_TURN_PROCESSING) {
      if (game->notifications) game->notifications->Clear(kAllChapters);
      game->pieces.ClearForeignUnitsInSpace();
    }
    if (TypeOf(p) == PKT_TURN_RESULTS) {
      game->AdvanceModelTurn();
      if (game->notifications)
        game->notifications->Add(game->localChapterId, 4, 403, nullptr, nullptr, 0, 0, 0xFFFFFFFFu);
    }
    // The settings as the server holds them (no player gave any), taken as
    // the program takes them when the game starts.
    if (ok && !settingsTaken && TypeOf(p) == PKT_START) {
      std::array<std::uint8_t, kGameSettingsSize> settings{};
      plat::ByteWriter(settings).WriteAt<std::uint16_t>(0, PKT_GAME_SETTINGS);
      game->ApplyGameSetup(settings, kPlayerChapter, {});
      settingsTaken = true;
    }
  }
  for (const auto& [type, count] : refused)
    std::fprintf(stderr, "quenlategame: the client refused %u of packet %u\n", count, type);
  g_saveLinks = SaveLinks{};
  g_saveLinks.saveAppState = [](plat::FILE* fp) {
    return WriteAppStateBlock(fp, kSeed, nullptr, VIEW_SOLAR, kRenderAtStart) ? 1 : 0;
  };
  if (ok && !WriteSaveFileAs(std::string(1, kOutDrive) + ":\\", kLateGameClientFile, kIdentifier, 0, false)) {
    *fault = std::string("\"") + kLateGameClientFile + "\" could not be written";
    ok = false;
  }
  g_saveLinks = SaveLinks{};
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
  // Nothing of the user's own installation may reach the scenario.
  const std::filesystem::path config = paths.out / ".noconfig";
  ::setenv("QUENBAR_CONFIG_DIR", config.c_str(), 1);
  plat::ClearDrives();
  plat::SetDrive(kOutDrive, paths.out);
  plat::SetDrive('R', paths.rules);
  if (!paths.programModule.empty()) plat::SetProgramModulePath(paths.programModule);

  const auto hulls = ReadHostFile(paths.rules / "hulls.dat");
  const auto modules = ReadHostFile(paths.rules / "modules.dat");
  const auto variables = ReadHostFile(paths.rules / "gamevar.dat");
  if (!hulls || !modules || !variables) {
    *fault = std::string("\"") + (!hulls ? "hulls.dat" : !modules ? "modules.dat" : "gamevar.dat") +
             "\" is missing from " + paths.rules.string();
    return false;
  }
  g_gameVariables = CGameVariables(std::string_view(reinterpret_cast<const char*>(variables->data()), variables->size()));
  // The server's world and the client's model share the process's model
  // links: the server's game is gone before the model is made.
  std::error_code ec;
  std::filesystem::create_directories(paths.out / kWorkFolder, ec);
  const auto packets = PlayServerGame(paths, *hulls, *modules, turns, fault);
  std::filesystem::remove_all(paths.out / kWorkFolder, ec);
  return packets && WriteClientGame(*hulls, *modules, *packets, fault);
}
