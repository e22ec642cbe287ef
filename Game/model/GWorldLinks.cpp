#include "Game/model/GWorldLinks.h"

#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GSolarSys.h"

WorldLinks g_worldLinks;

CGSolarDB* WorldSolarDB() { return g_worldLinks.solarDB; }
CGuildList* WorldGuildList() { return g_worldLinks.guildList; }
CGPoolDB* WorldPoolDB() { return g_worldLinks.poolDB; }
CGNotificationList* WorldNotifications() { return g_worldLinks.notifications; }

CGChapter* WorldChapter(std::uint16_t chapter) {
  return g_worldLinks.guildList != nullptr ? g_worldLinks.guildList->GetChapter(chapter) : nullptr;
}

CGAsteroid* WorldAsteroid(std::uint16_t index) {
  return g_worldLinks.solarDB != nullptr ? g_worldLinks.solarDB->GetAsteroid(index) : nullptr;
}

bool WorldResourceMix(std::uint8_t composition, std::uint8_t out[4]) {
  for (int i = 0; i < 4; ++i) out[i] = 0;
  return g_worldLinks.resourceMix ? g_worldLinks.resourceMix(composition, out) : false;
}

bool WorldHasOperationalUnits(std::uint16_t chapter, std::uint16_t asteroid) {
  return g_worldLinks.hasOperationalUnits ? g_worldLinks.hasOperationalUnits(chapter, asteroid) : false;
}

void WorldNotify(std::uint16_t chapter, std::uint16_t category, std::uint16_t code, const char* text1,
                 const char* text2, std::uint16_t p1, std::uint32_t p2, std::uint32_t p3) {
  if (g_worldLinks.notifications != nullptr)
    g_worldLinks.notifications->Add(chapter, category, code, text1, text2, p1, p2, p3);
}
