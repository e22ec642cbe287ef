#include "tools/quickstart/quickstart.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetDispatcher.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/setup/GameSetup.h"

namespace {

// The game: one chapter a guild, so the player meets four computer chapters,
// on a small field. The seed fixes the world, so every build ships the same
// scenario.
constexpr std::uint16_t kChaptersPerGuild = 1;
constexpr std::uint16_t kAsteroids = 30;
constexpr std::uint32_t kSeed = 1;
// Both halves carry it; the server loads its file only for the same number.
constexpr std::uint32_t kIdentifier = 0x51530001;

// The server's game: the player joins, sets the game up, takes its chapter
// and starts; the server's file is written at once. The packets the player
// was sent come back.
std::optional<std::vector<SrvPacket>> MakeServerGame(const QuickStartPaths& paths, const ScenarioRules& rules,
                                                     std::string* fault) {
  ScenarioServer server(kSeed, (paths.out / "").string());
  if (!StartScenarioGame(server.game, rules, kChaptersPerGuild, kAsteroids, fault)) return std::nullopt;
  for (const char* name : {kQuickStartServerFile, kListedScenarioServerFile}) {
    if (!server.game.Save((paths.out / name).string(), kIdentifier)) {
      *fault = std::string("\"") + name + "\" could not be written";
      return std::nullopt;
    }
  }
  return std::move(server.out.toPlayer);
}

// The player's model, built as the client builds it in play, saved by the
// client's save writer.
bool WriteClientGame(const ScenarioRules& rules, const std::vector<SrvPacket>& packets, std::string* fault) {
  auto game = std::make_unique<CGameData>(kScenarioChapter, static_cast<std::uint8_t>(kChaptersPerGuild));
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
    game->ApplyGameSetup(settings, kScenarioChapter, {});
  }
  // Each client file names the server file of its own name.
  ok = ok && WriteScenarioClientFiles({kQuickStartClientFile, kListedScenarioFile}, kSeed, kIdentifier, fault);
  g_gameData = nullptr;
  return ok;
}

}  // namespace

bool WriteQuickStartScenario(const QuickStartPaths& paths, std::string* fault) {
  std::string ignored;
  if (fault == nullptr) fault = &ignored;
  const auto rules = PrepareScenario(paths, fault);
  if (!rules) return false;
  const auto packets = MakeServerGame(paths, *rules, fault);
  return packets && WriteClientGame(*rules, *packets, fault);
}
