#pragma once
// The backend: where the screen, input and the host's window system meet.
// One interface, two implementations: headless (tests and CI: a virtual clock,
// scripted input, captures written as PNG) and SDL2 (a real window). The game
// never asks which one runs; the platform layer reaches it through
// CurrentBackend(). The implementations and their start-up live above the
// UI layer, in platform/backend/.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/types.h"

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
  // For logs; callers ask capabilities below, never compare names.
  virtual const char* Name() const = 0;
  // Whether a person sees the screen and can answer a question (a message box).
  virtual bool CanAskUser() const { return true; }
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

// The backend running, or null. StartBackend (platform/backend/start.h)
// installs one; the UI layer reaches it only through this interface.
Backend* CurrentBackend();
// Makes `backend` the running one, replacing (and destroying) the previous, and
// installs the idle hook that services it.
void InstallBackend(std::unique_ptr<Backend> backend);
// Removes the idle hook and destroys the running backend.
void StopBackend();

// PNG files of images (8-bit RGB).
bool WritePng(const std::filesystem::path& path, const Image& image);
std::optional<Image> ReadPng(const std::filesystem::path& path);

}  // namespace plat
