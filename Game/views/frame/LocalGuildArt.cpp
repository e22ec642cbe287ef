#include "Game/views/frame/LocalGuildArt.h"

#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"

std::string LocalGuildArt(const char* name) {
  const int guild = LocalGuild();
  return std::string(g_instData.GetGuildPath(guild)) + name;
}

plat::HMODULE LocalGuildArtModule() { return g_gameData ? g_gameData->GetGuildModule(LocalGuild()) : nullptr; }
