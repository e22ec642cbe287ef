#pragma once
// Choosing and starting a backend: the program's and the tests' entry into the
// backend layer. Called from the program's thread only.

#include <string>
#include <vector>

#include "platform/display/backend.h"

namespace plat {

enum class BackendKind { Auto, Headless, Windowed, FullScreen };

struct BackendOptions {
  BackendKind kind = BackendKind::Auto;
  bool integerScale = false;  // SDL: scale the screen by whole multiples only
};

// Takes "--headless", "--windowed", "--fullscreen" and "--integer-scale" out of
// the arguments (the game never sees them) and returns the options.
BackendOptions TakeBackendOptions(std::vector<std::string>& args);
// The same on a whole command line (blank-separated), as WinMain receives it.
BackendOptions TakeBackendOptions(std::string& commandLine);

// Whether a host display can be opened: DISPLAY or WAYLAND_DISPLAY is set and
// SDL_VIDEODRIVER does not name a driver without one ("dummy", "offscreen").
bool HostDisplayAvailable();

// Starts a backend and installs the idle hook that services it, replacing the
// one running. Auto chooses SDL when a host display is available, else
// headless; Windowed and FullScreen fall back to headless when SDL cannot open
// a window. Windowed / FullScreen fix the window state; with Auto it follows
// the display's cooperative level. The headless backend switches the program
// to the virtual clock.
Backend& StartBackend(const BackendOptions& options);

}  // namespace plat
