#pragma once
// The player's settings file as the solar view needs it (both on without an
// application).

bool PlayerWantsStarBackground();
bool PlayerWantsDistanceFog();
