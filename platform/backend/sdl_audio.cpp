#include "platform/backend/sdl_audio.h"

#include <SDL.h>

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

}  // namespace

std::unique_ptr<AudioOutput> OpenSdlAudioOutput() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  SDL_AudioSpec want{};
  want.freq = kAudioRate;
  want.format = AUDIO_S16SYS;
  want.channels = kAudioChannels;
  want.samples = 1024;
  want.callback = &SdlAudioOutput::Callback;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return std::make_unique<SdlAudioOutput>(device);
}

}  // namespace plat
