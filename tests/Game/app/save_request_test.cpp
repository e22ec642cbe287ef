// The save request as the application hands it to the saved games: from a
// packet it carries the packet's address, from the player's Ctrl+S none.
#include <gtest/gtest.h>

#include "Game/app/AppGlobals.h"
#include "Game/app/SavedGames.h"
#include "Game/model/GGameData.h"

namespace {

TEST(SaveRequest, TheViewsRequestWithoutAPacketSavesNothingAndReadsNothing) {
  g_gameData = new CGameData(3, 8);
  EXPECT_FALSE(SaveRequestedGame(nullptr));  // no name chosen: nothing saved
  delete g_gameData;
  EXPECT_EQ(g_gameData, nullptr);
}

}  // namespace
