#pragma once
// Connects the unit links (GUnitLinks.h) to the world model reached through
// g_worldLinks (solar system, asteroids, pools, chapters, zones,
// notifications), and the world links' questions about units to the game-piece
// database. The game-data root calls it when a game starts, after filling
// g_worldLinks and setting g_unitLinks.pieces and g_unitLinks.templates; the
// root's own links (ship-display setting, selection, dialogs, views) are left
// as they are. Main thread only.

void ConnectUnitAndWorldLinks();
