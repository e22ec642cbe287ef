#pragma once
// The waiting room of a multiplayer set-up: the session's players with their
// ready state, a chat between them, and for the player who created the game
// removing players and starting once all are ready. The start always comes
// back as a received start packet, on the initiator's own client too. Game
// thread only.

#include <cstdint>

class CClntApp;

// 0 the game starts, 8 the player left, 9 the player was removed.
std::int16_t RunWaitDlg(CClntApp& app);
