#pragma once
// What the scenario-making tools share: a game made by the server's own game
// in this process for one player, and that player's half built by the
// client's packet handlers and written by the client's save code. The server's
// world and the client's model share the process's model links, so the
// server's game is gone before the client's model is made.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "server/SrvGame.h"
#include "server/SrvLog.h"

// Where a scenario comes from and goes to.
struct ScenarioPaths {
  // Holds "hulls.dat", "modules.dat", "gamevar.dat" and "astnames.dat".
  std::filesystem::path rules;
  // The program's own resource module, whose string table names the chapters
  // (the chapters are "Chapter <n>" without it).
  std::filesystem::path programModule;
  // Where the files are written.
  std::filesystem::path out;
};

// The player who makes the game, and its chapter: the one the chapter screen
// claims first for a loaded game, so that the server's player and the file's
// agree.
inline constexpr std::uint32_t kScenarioPlayer = 1;
inline constexpr std::uint16_t kScenarioChapter = 0;

struct ScenarioRules {
  std::vector<std::uint8_t> hulls, modules;
};

// Points the process at the rules and the output folder only (nothing of the
// user's own installation may reach a scenario: its saved replays would be
// packed into the client's file), reads the rules files and takes the game
// variables. None, with the reason in `fault`, when a rules file is missing.
std::optional<ScenarioRules> PrepareScenario(const ScenarioPaths& paths, std::string* fault);

// Keeps what the server sends the player; the computer chapters need nothing.
struct ScenarioOutbox : SrvOutbox {
  std::vector<SrvPacket> toPlayer;
  void Send(std::uint32_t player, const SrvPacket& packet, bool) override;
};

// A server's game of the rules, its autosaves in `saveFolder`, seeded.
struct ScenarioServer {
  ScenarioServer(std::uint32_t seed, const std::string& saveFolder);
  ScenarioOutbox out;
  SrvLog log;
  SrvGame game;
};

// The player joins, sets the game up with no limit on a turn's time, takes
// its chapter and starts. False, with the reason in `fault`, when the rules
// hold nothing or the server did not start the game.
bool StartScenarioGame(SrvGame& game, const ScenarioRules& rules, std::uint16_t chaptersPerGuild,
                       std::uint16_t asteroids, std::string* fault);

// A packet's type, or 0xFFFF for one too short to have one.
std::uint16_t ScenarioPacketType(const SrvPacket& p);

// The player's saved game written as `names` through the client's save code,
// with the application block of a game just begun (no view has anything of
// its own yet; the game opens on the solar system). The client's model must
// be the current game. False, with the reason in `fault`, when a file could
// not be written.
bool WriteScenarioClientFiles(const std::vector<std::string>& names, std::uint32_t seed, std::uint32_t identifier,
                              std::string* fault);
