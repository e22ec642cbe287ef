#include "Game/model/GUnitLinks.h"

UnitLinks g_unitLinks;
