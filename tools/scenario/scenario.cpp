#include "tools/scenario/scenario.h"

#include <array>
#include <cstdlib>
#include <fstream>

#include "Game/app/AppStateBlock.h"
#include "Game/base/ClientShell.h"
#include "Game/base/Packets.h"
#include "Game/rules/GAstNames.h"
#include "Game/rules/GGameVar.h"
#include "Game/save/SaveGame.h"
#include "Game/setup/GameSetup.h"
#include "platform/core/dospath.h"
#include "platform/resource/module.h"

namespace {

// The drive the client's save code writes a scenario through.
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

template <std::size_t N>
std::vector<std::uint8_t> Packet(const std::array<std::uint8_t, N>& image) {
  return {image.begin(), image.end()};
}

std::optional<std::string> AsteroidName(unsigned n) {
  plat::FILE* fp = plat::fopen("R:\\astnames.dat", "rt");
  if (fp == nullptr) return std::nullopt;
  auto name = ReadAsteroidName(fp, n);
  plat::fclose(fp);
  return name;
}

}  // namespace

std::optional<ScenarioRules> PrepareScenario(const ScenarioPaths& paths, std::string* fault) {
  const std::filesystem::path config = paths.out / ".noconfig";
  ::setenv("QUENBAR_CONFIG_DIR", config.c_str(), 1);
  plat::ClearDrives();
  plat::SetDrive(kOutDrive, paths.out);
  plat::SetDrive('R', paths.rules);
  if (!paths.programModule.empty()) plat::SetProgramModulePath(paths.programModule);
  auto hulls = ReadHostFile(paths.rules / "hulls.dat");
  auto modules = ReadHostFile(paths.rules / "modules.dat");
  const auto variables = ReadHostFile(paths.rules / "gamevar.dat");
  if (!hulls || !modules || !variables) {
    *fault = std::string("\"") +
             (!hulls     ? "hulls.dat"
              : !modules ? "modules.dat"
                         : "gamevar.dat") +
             "\" is missing from " + paths.rules.string();
    return std::nullopt;
  }
  g_gameVariables =
      CGameVariables(std::string_view(reinterpret_cast<const char*>(variables->data()), variables->size()));
  return ScenarioRules{std::move(*hulls), std::move(*modules)};
}

void ScenarioOutbox::Send(std::uint32_t player, const SrvPacket& packet, bool) {
  if (player == kScenarioPlayer) toPlayer.push_back(packet);
}

ScenarioServer::ScenarioServer(std::uint32_t seed, const std::string& saveFolder)
    : game(out, log, AsteroidName, seed, saveFolder) {}

bool StartScenarioGame(SrvGame& game, const ScenarioRules& rules, std::uint16_t chaptersPerGuild,
                       std::uint16_t asteroids, std::string* fault) {
  if (!game.UseRules(rules.hulls, rules.modules)) {
    *fault = "the rules hold no hulls or no modules";
    return false;
  }
  GameConfigPacket config;
  config.chapters = chaptersPerGuild;
  config.asteroids = asteroids;
  config.turnTimeLimit = 0;
  std::array<std::uint8_t, 48> claim{};
  plat::ByteWriter(claim).WriteAt<std::uint16_t>(0, PKT_CHAPTER_CLAIM);
  plat::ByteWriter(claim).WriteAt<std::uint16_t>(8, kScenarioChapter);
  std::array<std::uint8_t, 12> start{};
  plat::ByteWriter(start).WriteAt<std::uint16_t>(0, PKT_START);
  game.PlayerJoined(kScenarioPlayer);
  if (!game.Receive(kScenarioPlayer, Packet(ToBytes(config))) || !game.Receive(kScenarioPlayer, Packet(claim)) ||
      !game.Receive(kScenarioPlayer, Packet(start)) || !game.Started()) {
    *fault = "the server did not start the game";
    return false;
  }
  return true;
}

std::uint16_t ScenarioPacketType(const SrvPacket& p) {
  return p.size() >= 2 ? static_cast<std::uint16_t>(p[0] | (p[1] << 8)) : 0xFFFF;
}

bool WriteScenarioClientFiles(const std::vector<std::string>& names, std::uint32_t seed, std::uint32_t identifier,
                              std::string* fault) {
  // The program's block of a game just begun: the seed and the solar system's view.
  struct StartShell : IClientShell {
    std::uint32_t seed = 0;
    int SaveAppState(plat::FILE* fp) override {
      return WriteAppStateBlock(fp, seed, nullptr, VIEW_SOLAR, kRenderAtStart) ? 1 : 0;
    }
  } shell;
  shell.seed = seed;
  RegisterClientShell(&shell);
  bool ok = true;
  for (const std::string& name : names) {
    if (!WriteSaveFileAs(std::string(1, kOutDrive) + ":\\", name.c_str(), identifier, 0, false)) {
      *fault = "\"" + name + "\" could not be written";
      ok = false;
      break;
    }
  }
  RegisterClientShell(nullptr);
  return ok;
}
