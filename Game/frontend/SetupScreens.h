#pragma once
// The set-up screens of a new game: game configuration, fog of war, starting
// values, chapter traits and the player's preferences. Each runs modally over
// the flow's backdrop, edits the block it is given and returns the screen id
// its button leads to (100 back, 1 the title). Game thread only.

#include <array>
#include <cstdint>

#include "Game/setup/GameSetup.h"

class CClntApp;

// The configuration of a new game: 1, 18 fog of war, 20 starting values, 100,
// or 123 to start with the numbers checked and stored into `config`.
std::int16_t RunConfigDlg(CClntApp& app, bool lockShown, bool lockEnabled, GameConfigPacket& config);
// The fog-of-war choices, written into `settings` as they are pressed;
// read-only while its lock word (offset 16) is set. With okMode (opened from
// the configuration) the other set-up screens cannot be reached and play
// reads OK. 1, 13, 16, 19, 21 or 100.
std::int16_t RunFogOfWarDlg(CClntApp& app, GameSettingsPacket& settings, bool okMode);
// The starting values, as the fog of war. 1, 13, 16, 17, 21 or 100.
std::int16_t RunStartingDlg(CClntApp& app, GameSettingsPacket& settings, bool okMode);
// Music, speech and effect volume; saved into the application and the sound
// player only by the save button. 1 or 100.
std::int16_t RunPrefsDlg(CClntApp& app);
// The chapter traits, stored into `traits` whichever button leaves.
// 1, 13, 17, 19, 21 or 100.
std::int16_t RunTraitsDlg(CClntApp& app, std::array<std::uint8_t, kChapterTraits>& traits);

// The chapter of the guild-and-chapter choice, in and out.
struct ChapterChoice {
  // In: the chapter asked for (255: one is found for the player; 40: none, for
  // a server this player runs without playing). Out: the chapter granted, or
  // 65535 / 255 when none.
  std::uint16_t chapter = 255;
  std::uint16_t held = 255;            // the chapter this player holds already
  std::uint16_t chaptersPerGuild = 8;  // out: as the server reports it
  char* name = nullptr;                // the chapter's name, 32 bytes
  std::uint32_t settingsLocked = 0;    // out: the server's answer to packet 24
};
// Asks the server whether the settings are fixed, then lets the player pick a
// guild, a chapter and a difficulty, or, for chapter 255 and 40, claims one
// without a screen. 1, 16, 17, 19, 21 (play) or 100.
std::int16_t RunGuildChapterDlg(CClntApp& app, ChapterChoice& choice);
