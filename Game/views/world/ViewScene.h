#pragma once
// A 3D view's scene read from its description file in the installation's 3D
// folder, with a camera over the viewport: the world keeps both. Game thread
// only.

struct SGScene;
struct SGInstance;
class CVSgWorld;

// Creates a 2 x 2 page scene, reads `file` from `folder` into it (a failed read
// is traced and the scene stays empty), installs its colours into a frame
// buffer that has none yet, and adds a camera (`fieldOfView`, viewport of the
// 3D picture, no picking). False when the scene or camera cannot be made.
bool CreateViewScene(CVSgWorld* world, const char* folder, const char* file, float fieldOfView, float range,
                     SGScene** scene, SGInstance** camera);
// The folder the scenes were read from goes; before the world's context does.
void ReleaseViewSceneData();
