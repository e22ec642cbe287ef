#pragma once
// The review log: a battle's replay file "<save directory><n>.rpl" told as
// English text in "<save directory><n>.tlg", with the ships present and the
// ships hit counted into the game data's review-log row n (mine, allied,
// enemy each). A log already written for the turn is reused; a turn without
// the replay file removes an old log of that number rather than letting it
// stand for a battle it does not describe. A replay file that the replay view
// refuses (one past what a battle holds, ReplayReader.h) is refused here too:
// its row stays 0 and its log holds only the heading and the text that the
// report cannot be shown ("ICMRPERR").
//
// Game thread only.

#include <cstdint>

// Builds the log of the battle at asteroid `asteroid`. 0 when the replay
// file does not open, else 1 (also when the log could not be written).
// Needs g_gameData.
std::uint32_t MakeReviewLog(std::uint16_t asteroid);
