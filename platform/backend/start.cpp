#include "platform/backend/start.h"

#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/backend/headless.h"
#include "platform/backend/sdl_audio.h"
#include "platform/backend/sdl_backend.h"

namespace plat {

namespace {

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
  // The rest of the line keeps its spacing: the game parses it itself.
  BackendOptions options;
  std::string rest;
  std::size_t pos = 0;
  while (pos < commandLine.size()) {
    const std::size_t start = commandLine.find_first_not_of(' ', pos);
    if (start == std::string::npos) {
      rest.append(commandLine, pos, std::string::npos);
      break;
    }
    std::size_t end = commandLine.find(' ', start);
    if (end == std::string::npos) end = commandLine.size();
    if (TakeOption(std::string_view(commandLine).substr(start, end - start), options)) {
      pos = commandLine.find_first_not_of(' ', end);
      if (pos == std::string::npos) pos = commandLine.size();
      continue;
    }
    rest.append(commandLine, pos, end - pos);
    pos = end;
  }
  while (!rest.empty() && rest.back() == ' ') rest.pop_back();
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
  std::unique_ptr<Backend> backend;
  const bool wantSdl = options.kind == BackendKind::Windowed || options.kind == BackendKind::FullScreen ||
                       (options.kind == BackendKind::Auto && HostDisplayAvailable());
  if (wantSdl) backend = OpenSdlBackend(options);
  std::unique_ptr<AudioOutput> audio = backend ? OpenSdlAudioOutput() : nullptr;
  if (!backend) backend = std::make_unique<HeadlessBackend>();
  InstallAudioOutput(audio ? std::move(audio) : std::make_unique<MemoryAudioOutput>());
  Backend& started = *backend;
  InstallBackend(std::move(backend));
  return started;
}

}  // namespace plat
