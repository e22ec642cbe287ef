#pragma once
// Connects the unit links (GUnitLinks.h) to the world model reached through
// the game's world (solar system, asteroids, pools, chapters, zones,
// notifications). The game-data root calls it when a game starts, after
// registering its world and setting g_unitLinks.pieces and
// g_unitLinks.templates; the
// root's own links (ship-display setting, selection, dialogs, views) are left
// as they are. Main thread only.

void ConnectUnitAndWorldLinks();
