#pragma once
// The backend: where the screen, input and the host's window system meet.
// One interface, two implementations: headless (tests and CI: a virtual clock,
// scripted input, captures written as PNG) and SDL2 (a real window). The game
// never asks which one runs; the platform layer reaches it through
// CurrentBackend().

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {

// An RGB picture, rows top-down, pixels 0x00RRGGBB.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;
  // Takes the host's events in as input messages and shows the screen when a
  // new frame is due. Runs from the idle hook, so every wait of the game thread
  // services the backend.
  virtual void Service() = 0;
  // Shows the screen now.
  virtual void Present() = 0;
  // The display's cooperative level: exclusive full screen, or a window.
  virtual void SetExclusive(bool exclusive) = 0;
  // What the player sees, 800 x 600: the screen, and on a real window also the
  // cursor drawn over it.
  virtual Image Capture() = 0;
  // The host's screen saver may run (SystemParametersInfo).
  virtual void SetScreenSaverAllowed(bool allowed) = 0;
  // MessageBeep.
  virtual void Beep(UINT type) = 0;
  // Clock time at which the next scripted input falls due; message waits under
  // the virtual clock advance to it. Nothing for backends without a script.
  virtual std::optional<DWORD> NextInputTime() const { return std::nullopt; }
};

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
void StopBackend();
Backend* CurrentBackend();

// PNG files of images (8-bit RGB).
bool WritePng(const std::filesystem::path& path, const Image& image);
std::optional<Image> ReadPng(const std::filesystem::path& path);

}  // namespace plat
