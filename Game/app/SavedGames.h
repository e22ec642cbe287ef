#pragma once
// What the application asks of the saved games and the e-mail turn file,
// with what a load means for the running game: the game data a load made is
// attached to the session, as a new game's is. Game thread only.

#include <cstdint>

#include "Game/save/SaveGame.h"

// The save command: `packet` is another player's save request (packet 6, at
// least kSavePacketSize bytes), or null for the player's own save, whose name
// the player chooses, written aside until the server answers (SaveGame.h).
SaveOutcome SaveRequestedGame(const char* packet);
// The kept loader reads its file; false when it is invalid (or there is none).
bool LoadKeptGame();
// Loads the copy named by the load-data packet the session kept (packet 7);
// false when none was kept, it is short or the copy cannot be read.
bool LoadSessionCopy();
// Appends a packet to the e-mail turn file of the local chapter; a packet
// that cannot be written is told to the player ("SAVEFAIL").
void WriteTurnFilePacket(const std::uint8_t* packet, std::uint32_t length);
