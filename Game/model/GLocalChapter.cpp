#include "Game/model/GLocalChapter.h"

#include "Game/model/GGameData.h"
#include "Game/model/GWorldTypes.h"

bool GameExists() { return g_gameData != nullptr; }

std::uint16_t LocalChapterId() { return LocalChapterId(kNoChapter); }

std::uint16_t LocalChapterId(std::uint16_t noGame) { return g_gameData ? g_gameData->localChapterId : noGame; }

int LocalGuild(int noGame) { return g_gameData ? g_gameData->GetLocalGuildIndex() : noGame; }
