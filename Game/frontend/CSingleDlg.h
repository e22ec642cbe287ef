#pragma once
// The single-player screen: new game, scenario, saved game and two ways back.
// It runs modally and reports the button pressed as the next screen's id or
// a result for the flow. Game thread only.

#include <cstdint>

class CClntApp;

std::int16_t RunSingleDlg(CClntApp& app);

// The scenario button's result, which never reaches the loop.
constexpr std::int16_t kResultScenario = 122;
