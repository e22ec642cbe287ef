#pragma once
// The game data's life as the application leads it: made when a game starts
// or restarts, set up for the chapter chosen, moved on a turn, ended. Each
// call works on g_gameData and does nothing (or answers as noted) while no
// game exists. Game thread only.

#include <cstdint>
#include <string>

#include "Game/setup/GameSetup.h"
#include "platform/core/types.h"

// Makes the game data for the chapter (replacing any held) and attaches the
// session to it; false when the rules files could not be read.
bool CreateGame(std::uint16_t chapterId, std::uint16_t chaptersPerGuild);
// Detaches the session and deletes the game data.
void DestroyGame();
// The player's settings for a chapter, with the game configuration when one is held.
void ApplyGameSetup(const GameSettingsPacket& settings, const GameConfigPacket* config, std::uint16_t chapterId);
// The local chapter's name ("" without one) and its change.
std::string LocalChapterName();
void SetLocalChapterName(const char* name);
// Marks the local chapter as playing after a load.
void MarkLocalChapterPlaying();
// The local guild's dark and light colours; false without a game.
bool LocalGuildColours(plat::COLORREF& dark, plat::COLORREF& light);
// The local chapter has a home asteroid.
bool LocalChapterHasHome();
// The game's turn (0).
std::uint32_t GameTurn();
// The turn's results arrived: advances the model a turn (when `advance`),
// notes the new turn for the local chapter and scrolls the notices to the top.
void TurnResultsArrived(bool advance);
// Turn processing begins: the foreign units in space go.
void TurnProcessingBegins();
// Clears every chapter's notifications and the notification panel's lines.
void ClearNotifications();
// The game's own "guild.dll" of a guild and its image module; null when none.
plat::HMODULE GameGuildModule(int guild);
plat::HMODULE GameImageModule();
