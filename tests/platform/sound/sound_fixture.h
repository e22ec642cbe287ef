#pragma once
// The headless backend with its memory audio output, a scratch drive and
// helpers that make sound buffers and WAV files.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/core/dospath.h"
#include "platform/display/audio.h"
#include "platform/sound/dsound.h"
#include "tests/support/temp_dir.h"

namespace soundtest {

using namespace plat;

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = &StartHeadlessBackend();
    InstallAudioOutput(std::make_unique<MemoryAudioOutput>());
    std::filesystem::create_directories(dir_ / "cd" / "MUSIC");
    SetDrive('T', dir_);
    SetDrive('D', dir_ / "cd", DriveType::CdRom);
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds_, nullptr), DS_OK);
    ASSERT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_EXCLUSIVE), DS_OK);
  }
  void TearDown() override {
    if (ds_) ds_->Release();
    StopBackend();
    ClearDrives();
  }

  MemoryAudioOutput& Output() { return *CurrentMemoryAudioOutput(); }

  // A 16-bit buffer of `frames` frames holding `samples` (interleaved).
  IDirectSoundBuffer* Buffer(const std::vector<std::int16_t>& samples, WORD channels, DWORD rate,
                             DWORD caps = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY) {
    WAVEFORMATEX f{WAVE_FORMAT_PCM, channels, rate, rate * channels * 2, static_cast<WORD>(channels * 2), 16, 0};
    DSBUFFERDESC d;
    d.dwFlags = caps;
    d.dwBufferBytes = static_cast<DWORD>(samples.size() * 2);
    d.lpwfxFormat = &f;
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    EXPECT_EQ(b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2, 0), DS_OK);
    std::memcpy(p1, samples.data(), n1);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    return b;
  }

  HeadlessBackend* backend_ = nullptr;
  IDirectSound* ds_ = nullptr;
  quentest::TempDir tmp_{"quen_sound"};
  const std::filesystem::path& dir_ = tmp_.path();
};

}  // namespace soundtest
