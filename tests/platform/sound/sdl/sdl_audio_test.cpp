// The SDL audio device pulls the mix on its own thread: a playing buffer's
// cursor moves in real time. SDL's dummy driver stands in for a sound card.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend/sdl_audio.h"
#include "platform/sound/dsound.h"

namespace {

using namespace plat;

TEST(SdlAudio, TheDevicePullsTheMixInRealTime) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto output = OpenSdlAudioOutput();
  ASSERT_NE(output, nullptr);
  EXPECT_STREQ(output->Name(), "sdl");
  InstallAudioOutput(std::move(output));
  IDirectSound* ds = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
  ds->SetCooperativeLevel(nullptr, DSSCL_NORMAL);
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  DSBUFFERDESC d;
  d.dwBufferBytes = 44100;
  d.lpwfxFormat = &f;
  IDirectSoundBuffer* b = nullptr;
  ASSERT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  DWORD play = 0;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (play == 0 && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    b->GetCurrentPosition(&play, nullptr);
  }
  EXPECT_GT(play, 0u);
  b->Release();
  ds->Release();
  InstallAudioOutput(std::make_unique<MemoryAudioOutput>());
}

}  // namespace

TEST(SdlAudio, AMachineWithoutASoundCardSaysSoInOneLine) {
  // On a machine with no sound card the sound library would print a line for
  // every device it tries; the program prints one of its own, or nothing when
  // a card answers.
  setenv("SDL_AUDIODRIVER", "alsa", 1);
  setenv("AUDIODEV", "quenbar-no-such-device", 1);
  testing::internal::CaptureStderr();
  auto output = OpenSdlAudioOutput();
  const std::string said = testing::internal::GetCapturedStderr();
  unsetenv("AUDIODEV");
  EXPECT_EQ(said.find("ALSA lib"), std::string::npos) << said;
  if (output == nullptr) {
    EXPECT_NE(said.find("playing without sound"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
}
