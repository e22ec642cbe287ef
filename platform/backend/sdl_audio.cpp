#include "platform/backend/sdl_audio.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>

namespace plat {
namespace {

class SdlAudioOutput final : public AudioOutput {
 public:
  explicit SdlAudioOutput(SDL_AudioDeviceID device) : device_(device) { SDL_PauseAudioDevice(device_, 0); }
  ~SdlAudioOutput() override {
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  const char* Name() const override { return "sdl"; }

  static void Callback(void*, Uint8* stream, int bytes) {
    RenderAudio(reinterpret_cast<std::int16_t*>(stream),
                static_cast<std::size_t>(bytes) / (kAudioChannels * sizeof(std::int16_t)));
  }

 private:
  SDL_AudioDeviceID device_;
};

// The sound library prints its own lines for every device it tries and does
// not find; the program says once that it plays without sound instead.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsaErrors() {
  // The library SDL loads itself, if it is there at all: not a link dependency.
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
  if (alsa == nullptr) alsa = dlopen("libasound.so.2", RTLD_LAZY);
  if (alsa == nullptr) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetHandler = int (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(&QuietAlsa);
}

void ReportNoSound() { std::fprintf(stderr, "sound: no output (%s): playing without sound\n", SDL_GetError()); }

}  // namespace

std::unique_ptr<AudioOutput> OpenSdlAudioOutput() {
  SilenceAlsaErrors();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    ReportNoSound();
    return nullptr;
  }
  SDL_AudioSpec want{};
  want.freq = kAudioRate;
  want.format = AUDIO_S16SYS;
  want.channels = kAudioChannels;
  want.samples = 1024;
  want.callback = &SdlAudioOutput::Callback;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    ReportNoSound();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return std::make_unique<SdlAudioOutput>(device);
}

}  // namespace plat
