#pragma once
// The front end's loop: shows one screen after another from a start id,
// keeps the history for the back buttons and does what lies between two
// screens (starting the local server, announcing the chosen settings).
// Game thread only.

class CClntApp;

// Runs the screens from `startScreen`: 1 when a game is to be played (a
// screen led to 0, or the start id was 0), 0 when the player quit.
int RunScreenFlow(CClntApp& app, int startScreen);
