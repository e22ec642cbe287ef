#pragma once
// The game settings the application holds, for the set-up page (the start
// values when it holds none). Game thread only.

#include "Game/setup/GameSetup.h"

namespace infopage {
GameSettingsPacket CurrentGameSettings();
}
