#pragma once
// The questions every layer asks about the game held in g_gameData: whether
// one is held, and whose it is. Without a game, each caller says what stands
// for "nobody" in its own comparisons: an owner test wants kNoChapter (the
// default), a picture or a text of the local guild wants guild 0.
//
// Game thread only.

#include <cstdint>

// The game data exists (a game is running).
bool GameExists();
// The local chapter's identifier; kNoChapter, or `noGame`, while no game exists.
std::uint16_t LocalChapterId();
std::uint16_t LocalChapterId(std::uint16_t noGame);
// The local chapter's guild (identifier >> 3); `noGame` while no game exists.
int LocalGuild(int noGame = 0);
