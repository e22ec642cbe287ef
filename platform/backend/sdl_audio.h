#pragma once
// The SDL2 audio device as the audio output, made by StartBackend with the
// SDL backend (game thread); SDL's audio thread then pulls the mix.

#include <memory>

#include "platform/display/audio.h"

namespace plat {

// Plays the mix on the host's default audio device; null when none opens
// (the program then keeps the silent memory output on the real clock).
std::unique_ptr<AudioOutput> OpenSdlAudioOutput();

}  // namespace plat
