#include "Game/views/frame/LocalGuildArt.h"

#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"

std::string LocalGuildArt(const char* name) {
  const int guild = g_gameData ? g_gameData->GetLocalGuildIndex() : 0;
  return std::string(g_instData.GetGuildPath(guild)) + name;
}

plat::HMODULE LocalGuildArtModule() {
  return g_gameData ? g_gameData->GetGuildModule(g_gameData->GetLocalGuildIndex()) : nullptr;
}
