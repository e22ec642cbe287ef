#pragma once
// The SDL2 backend, made only through StartBackend. Called from the program's thread only.

#include <memory>

#include "platform/backend/start.h"

namespace plat {

// A window showing the screen scaled with its aspect kept; null when SDL
// cannot open one, or when, SDL_VIDEODRIVER naming none, SDL settles on a
// driver that shows nothing (dummy, offscreen).
std::unique_ptr<Backend> OpenSdlBackend(const BackendOptions& options);

}  // namespace plat
