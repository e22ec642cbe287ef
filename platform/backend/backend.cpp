#include "platform/backend/backend.h"

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string_view>

#include "platform/backend/headless.h"
#include "platform/backend/sdl_backend.h"
#include "platform/clock.h"

namespace plat {

namespace {

std::unique_ptr<Backend>& Current() {
  static std::unique_ptr<Backend> backend;
  return backend;
}

// Applies one argument; false when it is not a backend option.
bool TakeOption(std::string_view arg, BackendOptions& options) {
  if (arg == "--headless") {
    options.kind = BackendKind::Headless;
  } else if (arg == "--windowed") {
    options.kind = BackendKind::Windowed;
  } else if (arg == "--fullscreen") {
    options.kind = BackendKind::FullScreen;
  } else if (arg == "--integer-scale") {
    options.integerScale = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace

BackendOptions TakeBackendOptions(std::vector<std::string>& args) {
  BackendOptions options;
  std::erase_if(args, [&](const std::string& a) { return TakeOption(a, options); });
  return options;
}

BackendOptions TakeBackendOptions(std::string& commandLine) {
  BackendOptions options;
  std::istringstream in(commandLine);
  std::string word, rest;
  while (in >> word) {
    if (TakeOption(word, options)) continue;
    if (!rest.empty()) rest += ' ';
    rest += word;
  }
  commandLine = rest;
  return options;
}

bool HostDisplayAvailable() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x || !*x) && (!wayland || !*wayland)) return false;
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const std::string_view d = driver ? driver : "";
  return d != "dummy" && d != "offscreen";
}

Backend& StartBackend(const BackendOptions& options) {
  StopBackend();
  std::unique_ptr<Backend> backend;
  const bool wantSdl = options.kind == BackendKind::Windowed || options.kind == BackendKind::FullScreen ||
                       (options.kind == BackendKind::Auto && HostDisplayAvailable());
  if (wantSdl) backend = OpenSdlBackend(options);
  if (!backend) backend = std::make_unique<HeadlessBackend>();
  Current() = std::move(backend);
  SetIdleHook([] {
    if (Backend* b = CurrentBackend()) b->Service();
  });
  return *Current();
}

void StopBackend() {
  SetIdleHook(nullptr);
  Current().reset();
}

Backend* CurrentBackend() { return Current().get(); }

}  // namespace plat
