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

void ConnectUnitAndWorldLinks() {}
