#include "Game/model/GWorldLinks.h"

WorldLinks g_worldLinks;
