#include <cstdlib>

#include "media/WavFile.h"
#include "platform/sound/dsound.h"
#include "tests/media/sound_fixture.h"

namespace {

using namespace mediatest;

class EffectsTest : public SoundPlayerTest {
 protected:
  void SetUp() override {
    SoundPlayerTest::SetUp();
    Write("sound/one.wav", Riff({{"fmt ", Fmt(1, 1, 22050, 16)}, {"data", Steps(22050, 10)}}));   // 1 s
    Write("sound/long.wav", Riff({{"fmt ", Fmt(1, 1, 22050, 16)}, {"data", Steps(22050, 80)}}));  // 8 s
  }
  LONG Volume(CSndPlay& p, int slot) {
    LONG v = 1;
    p.slots[slot]->buffer->GetVolume(&v);
    return v;
  }
};

TEST_F(EffectsTest, SlotsAreReusedOnceTheirSoundHasEnded) {
  CSndPlay& p = Player();
  CurrentMemoryAudioOutput()->StartCapture(kAudioRate * 2);
  EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 0), 0);
  EXPECT_EQ(p.PlayEffect("T:\\sound\\one.wav", 0.0f, 0.0f, 0), 1);
  EXPECT_EQ(p.slots[0]->bufferSize, 44100u);  // the whole sound fits
  Tick(p, 900);
  EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 0), 2);  // 0 and 1 still play
  Tick(p, 270);
  EXPECT_FALSE(p.slots[0]->playing);
  // Both first sounds are heard to their last tenth (the third one, from 0.9 s
  // on, adds its first tenth's 300).
  const auto& heard = CurrentMemoryAudioOutput()->Captured();
  for (int tenth : {0, 7, 8, 9})
    EXPECT_EQ(heard[(static_cast<std::size_t>(tenth) * kAudioRate / 10 + kAudioRate / 20) * 2],
              (tenth + 1) * 600 + (tenth == 9 ? 300 : 0))
        << tenth;
  EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 0), 0);
  EXPECT_EQ(p.PlayEffect("missing.wav", 0.0f, 0.0f, 0), -1);
  EXPECT_FALSE(p.slots[1]->playing);  // the failed open left its slot free

  p.StopEffect(-1);
  for (int i = 0; i < kSoundSlots; ++i) EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 1), i);
  EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 1), -1);
  Tick(p, 3000);  // looping sounds never free their slot
  EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 1), -1);
  p.StopEffect(7);
  EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 0), 7);
}

// A one-second sound that loops starts again at the first timer tick after
// its end: it is heard again from its first tenth of a second.
TEST_F(EffectsTest, ALoopingSoundRestartsFromItsStart) {
  CSndPlay& p = Player();
  CurrentMemoryAudioOutput()->StartCapture(kAudioRate * 4);
  ASSERT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 1), 0);
  Tick(p, 3000);
  EXPECT_TRUE(p.slots[0]->playing);
  const auto& s = CurrentMemoryAudioOutput()->Captured();
  auto at = [&](int ms) { return s[static_cast<std::size_t>(ms) * kAudioRate / 1000 * 2]; };
  EXPECT_EQ(at(950), 3000);
  EXPECT_EQ(at(1000 + 90 + 50), 300);  // restarted at the tick after 1000 ms
  EXPECT_EQ(at(2170 + 50), 300);       // and again
}

TEST_F(EffectsTest, VolumeAndPanFollowTheEffectsLevel) {
  CSndPlay& p = Player();
  struct Case {
    short level;
    float attenuation;
    LONG volume;
  } const cases[] = {{3, 1.0f, -1000}, {3, 0.0f, 0}, {1, 1.0f, -3750}, {1, 5.0f, -10000}, {2, -1.0f, 0}};
  for (const Case& c : cases) {
    p.SetLevels(0, c.level, 0);
    const int slot = p.PlayEffect("one.wav", c.attenuation, 0.25f, 0);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(Volume(p, slot), c.volume) << c.level << " " << c.attenuation;
    LONG pan = 0;
    p.slots[slot]->buffer->GetPan(&pan);
    EXPECT_EQ(pan, 2500);
    p.StopEffect(slot);
  }
  p.SetLevels(0, 3, 0);
  EXPECT_EQ(p.SetEffectVolumePan(0, 0.5f, -1.0f), 0);  // stopped
  const int slot = p.PlayEffect("one.wav", 0.0f, 0.0f, 1);
  EXPECT_EQ(p.SetEffectVolumePan(slot, 0.5f, -1.0f), 1);
  EXPECT_EQ(Volume(p, slot), -500);
  p.FadeAllSounds();
  EXPECT_EQ(Volume(p, slot), -600);
  p.SetLevels(0, 0, 0);
  EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 0), -1);
}

TEST_F(EffectsTest, CloseAndReopenAroundAMovieAndNoSoundDevice) {
  CSndPlay& p = Player();
  ASSERT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 1), 0);
  p.Close();
  EXPECT_EQ(p.soundAvailable, 0u);
  EXPECT_EQ(p.directSound, nullptr);
  EXPECT_EQ(p.slots[0], nullptr);
  EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 0), -1);
  p.Reopen(nullptr);
  EXPECT_EQ(p.PlayEffect("one.wav", 0.0f, 0.0f, 0), 0);

  SetSoundDeviceAvailable(false);
  CSndPlay silent;
  silent.Init(nullptr, 0, 3, 1);
  EXPECT_EQ(silent.soundAvailable, 0u);
  EXPECT_EQ(silent.PlayEffect("one.wav", 0.0f, 0.0f, 0), -1);
  silent.StopEffect(-1);
  SetSoundDeviceAvailable(true);
}

// An 8-second sound through the 4.8-second buffer: what is heard at each time
// is the file's data for that time, so the refills came in time.
TEST_F(EffectsTest, LongSoundsStreamThroughTheBuffer) {
  CSndPlay& p = Player();
  CurrentMemoryAudioOutput()->StartCapture(kAudioRate * 9);
  ASSERT_EQ(p.PlayEffect("long.wav", 0.0f, 0.0f, 0), 0);
  EXPECT_EQ(p.slots[0]->bufferSize, 211680u);
  Tick(p, 8200);
  EXPECT_FALSE(p.slots[0]->playing);
  const auto& s = CurrentMemoryAudioOutput()->Captured();
  for (int tenth : {5, 47, 49, 61, 79}) {
    const std::size_t at = (static_cast<std::size_t>(tenth) * kAudioRate / 10 + kAudioRate / 20) * 2;
    EXPECT_EQ(s[at], (tenth + 1) * 300) << tenth;
  }
  ASSERT_GT(s.size(), static_cast<std::size_t>(kAudioRate) * 82 / 10 * 2);
  // Between its end and the timer tick that stops it, the sound is silent.
  EXPECT_EQ(s[static_cast<std::size_t>(kAudioRate) * 8005 / 1000 * 2], 0);
  EXPECT_EQ(s[static_cast<std::size_t>(kAudioRate) * 82 / 10 * 2], 0);

  // Looping, it goes on from its start twice over, without a gap.
  p.StopEffect(-1);
  CurrentMemoryAudioOutput()->StartCapture(kAudioRate * 19);
  ASSERT_EQ(p.PlayEffect("long.wav", 0.0f, 0.0f, 1), 0);
  Tick(p, 18000);
  EXPECT_TRUE(p.slots[0]->playing);
  const auto& looped = CurrentMemoryAudioOutput()->Captured();
  for (int tenth : {79, 80, 81, 130, 159, 160, 175}) {
    const std::size_t at = (static_cast<std::size_t>(tenth) * kAudioRate / 10 + kAudioRate / 20) * 2;
    EXPECT_EQ(looped[at], (tenth % 80 + 1) * 300) << tenth;
  }
}

TEST_F(EffectsTest, BadWavFilesAreRefusedWithTheirCodes) {
  const auto pcm = Fmt(1, 1, 22050, 16);
  auto tag2 = Fmt(2, 1, 22050, 16);
  tag2.push_back(2);
  tag2.push_back(0);
  tag2.push_back(0xAA);
  tag2.push_back(0xBB);
  auto oddExtra = Fmt(2, 1, 22050, 16);
  oddExtra.push_back(40);  // 40 extra bytes announced, none there
  oddExtra.push_back(0);
  auto past = Riff({{"fmt ", pcm}, {"data", Steps(22050, 5)}});
  past[past.size() - Steps(22050, 5).size() - 2] = 0x7F;  // data size claims far more than the file holds
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    UINT open;
    int stream;
  } const cases[] = {
      {"list.wav", Riff({{"fmt ", pcm}}, "AVI "), kWavNotWave, kStreamCannotOpen},
      {"shortfmt.wav", Riff({{"fmt ", std::vector<std::uint8_t>(pcm.begin(), pcm.begin() + 14)}}), kWavNotWave,
       kStreamCannotOpen},
      {"oddfmt.wav", Riff({{"fmt ", oddExtra}, {"data", {0, 0}}}), kWavShortRead, kStreamCannotOpen},
      {"adpcm.wav", Riff({{"fmt ", tag2}, {"data", {0, 0}}}), 0, kStreamNotPcm},
      {"nodata.wav", Riff({{"fmt ", pcm}, {"LIST", {1, 2, 3}}}), 0, kStreamNoData},
      {"badpcm.wav", Riff({{"fmt ", Fmt(1, 3, 22050, 16)}, {"data", {0, 0}}}), 0, kStreamNoBuffer},
      {"past.wav", past, 0, 0},
      {"cut.wav", std::vector<std::uint8_t>{'R', 'I', 'F'}, kWavNotWave, kStreamCannotOpen},
  };
  CSndPlay& p = Player();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(c.name, c.bytes);
    const std::string path = std::string("T:\\") + c.name;
    HMMIO file = nullptr;
    std::unique_ptr<WavFormat> format;
    MMCKINFO riff;
    EXPECT_EQ(WavOpen(path.c_str(), &file, &format, &riff), c.open);
    EXPECT_EQ(format != nullptr, c.open == 0);
    WavClose(&file, &format);
    SoundStream s;
    EXPECT_EQ(SoundStreamOpen(p.directSound, &s, path.c_str()), c.stream);
    EXPECT_EQ(s.fileOpen, c.stream == 0 ? 1u : 0u);
  }
  HMMIO file = nullptr;
  std::unique_ptr<WavFormat> format;
  MMCKINFO riff;
  EXPECT_EQ(WavOpen("T:\\none.wav", &file, &format, &riff), kWavCannotOpen);
  // The file that claims more data than it holds ends with what it has.
  const int slot = p.PlayEffect("T:\\past.wav", 0.0f, 0.0f, 0);
  ASSERT_EQ(slot, 0);
  EXPECT_EQ(p.slots[0]->dataChunk.cksize + p.slots[0]->bufferSize, 22050u);
  Tick(p, 720);
  EXPECT_FALSE(p.slots[0]->playing);
}

// Files written by an outside tool, as a user's own would be.
TEST_F(EffectsTest, SoxMadeWavFilesPlay) {
  CSndPlay& p = Player();
  // The last one's rate gives a buffer of a fraction of a frame more than 4.8 s.
  for (const char* args : {"-r 11025 -b 8 -c 1", "-r 44100 -b 16 -c 2", "-r 8000 -b 16 -c 1", "-r 22051 -b 16 -c 2"}) {
    SCOPED_TRACE(args);
    const auto file = dir_ / "sox.wav";
    const std::string cmd =
        std::string("sox -n ") + args + " '" + file.string() + "' synth 5.3 sine 440 trim 0 5 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "sox is needed: scripts/setup installs it";
    CurrentMemoryAudioOutput()->StartCapture(kAudioRate * 6);
    const int slot = p.PlayEffect("T:\\sox.wav", 0.0f, 0.0f, 0);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(p.slots[slot]->bufferSize % p.slots[slot]->format->head.nBlockAlign, 0u);
    Tick(p, 5200);
    EXPECT_FALSE(p.slots[slot]->playing);
    const auto& s = CurrentMemoryAudioOutput()->Captured();
    int peak = 0;
    for (std::int16_t v : s) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GT(peak, 20000);
  }
}

}  // namespace
