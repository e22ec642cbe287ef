#include "tools/quickstart/quickstart.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "Game/app/AppStateBlock.h"
#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
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

namespace {

// The game: one chapter a guild, so the player meets four computer chapters,
// on a small field, with no time limit on a turn. The seed fixes the world, so
// every build ships the same scenario.
constexpr std::uint16_t kChaptersPerGuild = 1;
constexpr std::uint16_t kAsteroids = 30;
constexpr std::uint16_t kNoTurnTimeLimit = 0;
constexpr std::uint32_t kSeed = 1;
// The player holds the first chapter: the one the chapter screen claims first
// for a loaded game, so that the server's player and the file's agree.
constexpr std::uint16_t kPlayerChapter = 0;
// The library identifier of the one player of the making session.
constexpr std::uint32_t kPlayer = 1;
// Both halves carry it; the server loads its file only for the same number.
constexpr std::uint32_t kIdentifier = 0x51530001;
// The drive the client's save code writes the scenario through.
constexpr char kOutDrive = 'Q';
constexpr std::uintmax_t kMaxRulesFile = 16u << 20;
// The render argument a game begins with.
constexpr std::int32_t kRenderAtStart = -1;

std::optional<std::vector<std::uint8_t>> ReadHostFile(const std::filesystem::path& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size == 0 || size > kMaxRulesFile) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
  return bytes;
}

// Keeps what the server sends the player; the computer chapters need nothing.
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

struct Rules {
  std::vector<std::uint8_t> hulls, modules;
};

// The server's game: the player joins, sets the game up, takes its chapter
// and starts; the server's file is written at once. The packets the player
// was sent come back.
std::optional<std::vector<SrvPacket>> MakeServerGame(const QuickStartPaths& paths, const Rules& rules,
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
      kSeed, (paths.out / "").string());
  if (!game.UseRules(rules.hulls, rules.modules)) {
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
  for (const char* name : {kQuickStartServerFile, kListedScenarioServerFile}) {
    if (!game.Save((paths.out / name).string(), kIdentifier)) {
      *fault = std::string("\"") + name + "\" could not be written";
      return std::nullopt;
    }
  }
  return std::move(out.toPlayer);
}

// The player's model, built as the client builds it in play, saved by the
// client's save writer.
bool WriteClientGame(const Rules& rules, const std::vector<SrvPacket>& packets, std::string* fault) {
  auto game = std::make_unique<CGameData>(kPlayerChapter, static_cast<std::uint8_t>(kChaptersPerGuild));
  g_gameData = game.get();
  bool ok = game->hullDB->IsLoaded() || game->hullDB->LoadHulls(rules.hulls) != 0;
  ok = ok && (game->moduleDB->IsLoaded() || game->moduleDB->LoadModules(rules.modules) != 0);
  for (const SrvPacket& p : packets) {
    if (!ok) break;
    ok = HandlePacket(nullptr, p, 0);
    if (!ok) *fault = "the client refused packet " + std::to_string(p.size() >= 2 ? p[0] | (p[1] << 8) : -1);
  }
  // The game's settings as the server holds them (no player gave any: all
  // zero), taken into the model as the player's program takes them when a
  // game starts: among them the fog of war, so that the player's half shows
  // what the server's allows.
  if (ok) {
    std::array<std::uint8_t, kGameSettingsSize> settings{};
    plat::ByteWriter(settings).WriteAt<std::uint16_t>(0, PKT_GAME_SETTINGS);
    game->ApplyGameSetup(settings, kPlayerChapter, {});
  }
  // The application's block is that of a game just begun: no view has
  // anything of its own yet, and the game opens on the solar system.
  g_saveLinks = SaveLinks{};
  g_saveLinks.saveAppState = [](plat::FILE* fp) {
    return WriteAppStateBlock(fp, kSeed, nullptr, VIEW_SOLAR, kRenderAtStart) ? 1 : 0;
  };
  // Each client file names the server file of its own name.
  for (const char* name : {kQuickStartClientFile, kListedScenarioFile}) {
    if (ok && !WriteSaveFileAs(std::string(1, kOutDrive) + ":\\", name, kIdentifier, 0, false)) {
      *fault = std::string("\"") + name + "\" could not be written";
      ok = false;
    }
  }
  g_saveLinks = SaveLinks{};
  g_gameData = nullptr;
  return ok;
}

}  // namespace

bool WriteQuickStartScenario(const QuickStartPaths& paths, std::string* fault) {
  std::string ignored;
  if (fault == nullptr) fault = &ignored;
  // Nothing of the user's own installation may reach the scenario (its saved
  // replays would be packed into the client's file): the registry is an empty
  // one of the output folder, and the only drives are the two given here.
  const std::filesystem::path config = paths.out / ".noconfig";
  ::setenv("QUENBAR_CONFIG_DIR", config.c_str(), 1);
  plat::ClearDrives();
  plat::SetDrive(kOutDrive, paths.out);
  plat::SetDrive('R', paths.rules);
  if (!paths.programModule.empty()) plat::SetProgramModulePath(paths.programModule);

  Rules rules;
  const auto hulls = ReadHostFile(paths.rules / "hulls.dat");
  const auto modules = ReadHostFile(paths.rules / "modules.dat");
  const auto variables = ReadHostFile(paths.rules / "gamevar.dat");
  if (!hulls || !modules || !variables) {
    *fault = std::string("\"") + (!hulls ? "hulls.dat" : !modules ? "modules.dat" : "gamevar.dat") +
             "\" is missing from " + paths.rules.string();
    return false;
  }
  rules.hulls = *hulls;
  rules.modules = *modules;
  g_gameVariables = CGameVariables(std::string_view(reinterpret_cast<const char*>(variables->data()), variables->size()));

  // The server's world and the client's model share the process's model
  // links: the server's game is gone before the model is made.
  const auto packets = MakeServerGame(paths, rules, fault);
  return packets && WriteClientGame(rules, *packets, fault);
}
