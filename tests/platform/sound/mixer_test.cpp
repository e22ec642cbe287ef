#include <cstring>

#include "platform/user/system.h"
#include "tests/platform/sound/sound_fixture.h"

namespace {

using namespace soundtest;

// A constant signal is easiest to measure after mixing: each output sample is
// the sum of the voices times their gains.
TEST_F(SoundTest, TwoOverlappingSoundsMixWithVolumeAndPan) {
  IDirectSoundBuffer* a = Buffer(std::vector<std::int16_t>(44100, 10000), 1, 44100);  // one second
  IDirectSoundBuffer* b = Buffer(std::vector<std::int16_t>(11025, 8000), 1, 22050);   // half a second
  ASSERT_EQ(a->SetVolume(-600), DS_OK);                                               // -6 dB: x 0.501
  ASSERT_EQ(b->SetPan(2000), DS_OK);                                                  // right: left x 0.1
  Output().StartCapture(kAudioRate * 2);
  ASSERT_EQ(a->Play(0, 0, 0), DS_OK);
  AdvanceVirtualClock(250);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  AdvanceVirtualClock(1000);
  Output().CatchUp();
  const auto& s = Output().Captured();
  auto at = [&](int ms, int ch) { return s[static_cast<std::size_t>(ms) * 441 / 10 * 2 + ch]; };
  const double ga = std::pow(10.0, -600 / 2000.0), gb = std::pow(10.0, -2000 / 2000.0);
  EXPECT_NEAR(at(100, 0), 10000 * ga, 2);
  EXPECT_NEAR(at(100, 1), 10000 * ga, 2);
  EXPECT_NEAR(at(500, 0), 10000 * ga + 8000 * gb, 2);  // both sound
  EXPECT_NEAR(at(500, 1), 10000 * ga + 8000, 2);
  EXPECT_NEAR(at(900, 1), 10000 * ga, 2);  // b ended at 750 ms
  EXPECT_EQ(at(1100, 0), 0);               // a ended at 1000 ms
  DWORD status = 1;
  a->GetStatus(&status);
  EXPECT_EQ(status, 0u);
  a->Release();
  b->Release();
}

TEST_F(SoundTest, PlayCursorFollowsTheClockAndLoops) {
  IDirectSoundBuffer* b = Buffer(std::vector<std::int16_t>(22050 * 2, 1), 2, 22050);  // one second, 88200 bytes
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  AdvanceVirtualClock(500);
  DWORD play = 0, write = 0;
  ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
  EXPECT_NEAR(play, 44100, 8);
  EXPECT_EQ(write, play + 220 * 4);
  AdvanceVirtualClock(750);
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_NEAR(play, 22050, 8);  // 1.25 s into a looping second
  DWORD status = 0;
  b->GetStatus(&status);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  // Double the frequency: twice as fast.
  ASSERT_EQ(b->SetFrequency(44100), DS_OK);
  AdvanceVirtualClock(250);
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_NEAR(play, 66150, 8);
  ASSERT_EQ(b->Stop(), DS_OK);
  AdvanceVirtualClock(250);
  DWORD still = 0;
  b->GetCurrentPosition(&still, nullptr);
  EXPECT_EQ(still, play);
  b->Release();
}

TEST_F(SoundTest, LockWrapsInTwoPartsAndControlsAreChecked) {
  IDirectSoundBuffer* b = Buffer(std::vector<std::int16_t>(100, 0), 1, 22050, DSBCAPS_CTRLVOLUME);
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD n1 = 0, n2 = 0;
  ASSERT_EQ(b->Lock(150, 100, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n1, 50u);
  EXPECT_EQ(n2, 50u);
  EXPECT_EQ(b->Lock(0, 4, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDCALL);
  std::memset(p1, 0x11, n1);
  std::memset(p2, 0x22, n2);
  ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
  ASSERT_EQ(b->Lock(0, 200, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n2, 0u);
  EXPECT_EQ(static_cast<std::uint8_t*>(p1)[0], 0x22);
  EXPECT_EQ(static_cast<std::uint8_t*>(p1)[199], 0x11);
  EXPECT_EQ(static_cast<std::uint8_t*>(p1)[100], 0);
  b->Unlock(p1, n1, p2, n2);
  EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetPan(0), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(b->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(b->SetCurrentPosition(200), DSERR_INVALIDPARAM);
  b->Release();

  WAVEFORMATEX bad{2, 1, 22050, 44100, 2, 16, 0};
  DSBUFFERDESC d;
  d.dwBufferBytes = 100;
  d.lpwfxFormat = &bad;
  IDirectSoundBuffer* none = nullptr;
  EXPECT_EQ(ds_->CreateSoundBuffer(&d, &none, nullptr), DSERR_BADFORMAT);
  IDirectSound* fresh = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &fresh, nullptr), DS_OK);
  EXPECT_EQ(fresh->CreateSoundBuffer(&d, &none, nullptr), DSERR_PRIOLEVELNEEDED);
  fresh->Release();
  SetSoundDeviceAvailable(false);
  EXPECT_EQ(DirectSoundCreate(nullptr, &fresh, nullptr), DSERR_NODRIVER);
  SetSoundDeviceAvailable(true);
}

TEST_F(SoundTest, MessageBeepIsHeardAndTheCaptureWritesAWav) {
  Output().StartCapture(kAudioRate);
  MessageBeep(0);
  AdvanceVirtualClock(200);
  Output().CatchUp();
  const auto& s = Output().Captured();
  ASSERT_EQ(s.size(), 200u * 441 / 10 * 2);
  int loud = 0;
  for (std::size_t i = 0; i < s.size(); i += 2) loud += s[i] != 0;
  EXPECT_EQ(loud, kAudioRate * 120 / 1000);
  const auto wav = dir_ / "beep.wav";
  ASSERT_TRUE(Output().SaveCapture(wav));
  EXPECT_EQ(std::filesystem::file_size(wav), 44 + s.size() * 2);
}

}  // namespace
