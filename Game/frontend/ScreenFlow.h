#pragma once
// The front end's loop: shows one screen after another from a start id,
// keeps the history for the back buttons and does what lies between two
// screens (starting the local server, announcing the chosen settings).
// Game thread only.

class CClntApp;

// Runs the screens from `startScreen`: 1 when a game is to be played (a
// screen led to 0, or the start id was 0), 0 when the player quit.
int RunScreenFlow(CClntApp& app, int startScreen);

// Tells the others and the server the set-up of a game just started: the
// number of chapters (packet 23), the configuration (52) and the settings
// (53, from no chapter yet).
void AnnounceGameSetup(CClntApp& app);
