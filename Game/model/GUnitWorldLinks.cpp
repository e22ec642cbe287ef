#include "Game/model/GUnitWorldLinks.h"

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGamePieceDB.h"
#include "Game/model/GNotify.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GUnitLinks.h"
#include "Game/model/GWorldTypes.h"
#include "Game/model/GZone.h"
#include "Game/model/GameWorld.h"

void ConnectUnitAndWorldLinks() {
  UnitLinks& u = g_unitLinks;
  u.addNotification = [](std::uint16_t chapter, int category, int code, std::int32_t p0, std::int32_t p1,
                         std::int32_t p2) {
    World().Notify(chapter, static_cast<std::uint16_t>(category), static_cast<std::uint16_t>(code), nullptr, nullptr,
                   static_cast<std::uint16_t>(p0), static_cast<std::uint32_t>(p1), static_cast<std::uint32_t>(p2));
  };
}
