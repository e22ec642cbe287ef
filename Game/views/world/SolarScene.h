#pragma once
// The solar scene of the 3D world: made once from "Quenbar.con" in the 3D
// data folder, with its camera over the viewport (40 degrees across at the
// viewport's aspect, 1 to 400 deep), kept by the world for every later solar
// view. The folder it was read from goes with the last 3D view.

class CVSgWorld;

// Makes the world's solar scene and camera and installs the scene's colours
// when the frame buffer has none yet; false when the scene could not be made
// (a scene file that does not load only leaves it without terrain).
bool CreateSolarScene(CVSgWorld* world, const char* dataDir);
// Frees the data folder the scene was read from.
void ReleaseSolarSceneData();
