#pragma once
// The title screen: nine buttons and the player's two names. It runs modally
// and reports the button pressed as the next screen's id or a result for the
// flow. Game thread only.

#include <cstdint>

class CClntApp;

// Runs the title screen; the player's name (up to 51 characters) and
// nickname (up to 31) are shown from and, for the buttons that go on, kept
// in the application's connection record.
std::int16_t RunMainDlg(CClntApp& app);

// Results of the title screen that never reach the loop.
constexpr std::int16_t kResultTutorial = 120;
constexpr std::int16_t kResultIntro = 121;
