#include "platform/sound/waveout.h"
#include "platform/sound/mmtime.h"
#include "tests/platform/sound/sound_fixture.h"

namespace {

using namespace soundtest;

struct Event {
  UINT message;
  WAVEHDR* block;
};
std::vector<Event> g_events;

void Callback(HWAVEOUT, UINT message, std::uintptr_t instance, std::uintptr_t p1, std::uintptr_t) {
  if (instance == 99) g_events.push_back({message, reinterpret_cast<WAVEHDR*>(p1)});
}

class WaveOutTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    g_events.clear();
    const WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
    ASSERT_EQ(waveOutOpen(&h_, WAVE_MAPPER, &f, reinterpret_cast<std::uintptr_t>(&Callback), 99, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    for (int i = 0; i < 3; ++i) {
      data_[i].assign(2205, static_cast<std::int16_t>(1000 * (i + 1)));  // a tenth of a second each
      blocks_[i].lpData = reinterpret_cast<char*>(data_[i].data());
      blocks_[i].dwBufferLength = 4410;
      ASSERT_EQ(waveOutPrepareHeader(h_, &blocks_[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
  }
  void TearDown() override {
    if (h_) {
      waveOutReset(h_);
      waveOutClose(h_);
    }
    SoundTest::TearDown();
  }
  DWORD Samples() {
    MMTIME t;
    t.wType = TIME_SAMPLES;
    EXPECT_EQ(waveOutGetPosition(h_, &t, sizeof t), MMSYSERR_NOERROR);
    return t.u.sample;
  }
  HWAVEOUT h_ = nullptr;
  std::vector<std::int16_t> data_[3];
  WAVEHDR blocks_[3];
};

TEST_F(WaveOutTest, BlocksPlayInTurnAndComeBackDone) {
  ASSERT_EQ(g_events.size(), 1u);
  EXPECT_EQ(g_events[0].message, MM_WOM_OPEN);
  Output().StartCapture(kAudioRate);
  for (auto& b : blocks_) ASSERT_EQ(waveOutWrite(h_, &b, sizeof b), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutUnprepareHeader(h_, &blocks_[0], sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutClose(h_), WAVERR_STILLPLAYING);
  backend_->RunFor(150);
  EXPECT_NEAR(Samples(), 3307, 3);
  ASSERT_EQ(g_events.size(), 2u);
  EXPECT_EQ(g_events[1].message, MM_WOM_DONE);
  EXPECT_EQ(g_events[1].block, &blocks_[0]);
  EXPECT_TRUE(blocks_[0].dwFlags & WHDR_DONE);
  EXPECT_FALSE(blocks_[0].dwFlags & WHDR_INQUEUE);
  ASSERT_EQ(waveOutPause(h_), MMSYSERR_NOERROR);
  backend_->RunFor(500);
  EXPECT_NEAR(Samples(), 3307, 3);
  ASSERT_EQ(waveOutRestart(h_), MMSYSERR_NOERROR);
  backend_->RunFor(200);
  EXPECT_EQ(Samples(), 6615u);  // ran dry: the position waits
  ASSERT_EQ(g_events.size(), 4u);
  EXPECT_EQ(g_events[3].block, &blocks_[2]);
  const auto& s = Output().Captured();
  EXPECT_EQ(s[2 * 2205], 1000);       // 50 ms: the first block
  EXPECT_EQ(s[2 * 6000], 2000);       // 136 ms: the second
  EXPECT_EQ(s[2 * 33000 + 1], 3000);  // after the pause: the third
  ASSERT_GT(s.size(), 2u * 36000);
  EXPECT_EQ(s[2 * 36000], 0);  // 816 ms: all played at 800
  ASSERT_EQ(waveOutUnprepareHeader(h_, &blocks_[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutWrite(h_, &blocks_[0], sizeof(WAVEHDR)), WAVERR_UNPREPARED);
  ASSERT_EQ(waveOutClose(h_), MMSYSERR_NOERROR);
  EXPECT_EQ(g_events.back().message, MM_WOM_CLOSE);
  EXPECT_EQ(waveOutClose(h_), MMSYSERR_INVALHANDLE);
  h_ = nullptr;
}

TEST_F(WaveOutTest, ResetReturnsEveryQueuedBlock) {
  for (auto& b : blocks_) waveOutWrite(h_, &b, sizeof b);
  backend_->RunFor(50);
  ASSERT_EQ(waveOutReset(h_), MMSYSERR_NOERROR);
  ASSERT_EQ(g_events.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(g_events[1 + i].block, &blocks_[i]);
  EXPECT_EQ(Samples(), 0u);
  MMTIME t;
  t.wType = TIME_BYTES;
  waveOutGetPosition(h_, &t, sizeof t);
  EXPECT_EQ(t.u.cb, 0u);
  const WAVEFORMATEX bad{WAVE_FORMAT_PCM, 1, 22050, 44100, 3, 16, 0};
  HWAVEOUT other = nullptr;
  EXPECT_EQ(waveOutOpen(&other, 0, &bad, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
  EXPECT_EQ(waveOutOpen(&other, 3, &bad, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
}

// The movie player's pattern: each finished block is written again from its
// callback, so the device never runs dry and the mix stays in step with the clock.
bool g_requeue = true;

void Requeue(HWAVEOUT h, UINT message, std::uintptr_t, std::uintptr_t p1, std::uintptr_t) {
  if (message == MM_WOM_DONE && g_requeue) waveOutWrite(h, reinterpret_cast<WAVEHDR*>(p1), sizeof(WAVEHDR));
}

TEST_F(WaveOutTest, BlocksWrittenAgainFromTheCallbackPlayWithoutAGap) {
  waveOutClose(h_);
  const WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  ASSERT_EQ(waveOutOpen(&h_, 0, &f, reinterpret_cast<std::uintptr_t>(&Requeue), 0, CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  for (auto& b : blocks_) {
    waveOutPrepareHeader(h_, &b, sizeof b);
    waveOutWrite(h_, &b, sizeof b);
  }
  Output().StartCapture(kAudioRate * 2);
  backend_->RunFor(1000);
  EXPECT_NEAR(Samples(), 22050, 3);
  const auto& s = Output().Captured();
  EXPECT_EQ(s.size(), static_cast<std::size_t>(kAudioRate) * 2);
  for (std::size_t i = 0; i < s.size(); i += 2) ASSERT_NE(s[i], 0) << i / 2;
  g_requeue = false;
  ASSERT_EQ(waveOutReset(h_), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutClose(h_), MMSYSERR_NOERROR);
  h_ = nullptr;
}

TEST(MultimediaTimer, PeriodsInRangeAndInPairs) {
  TIMECAPS caps;
  ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
  EXPECT_EQ(caps.wPeriodMin, 1u);
  EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
  EXPECT_EQ(timeBeginPeriod(caps.wPeriodMin), TIMERR_NOERROR);
  EXPECT_EQ(timeEndPeriod(caps.wPeriodMin), TIMERR_NOERROR);
  EXPECT_EQ(timeEndPeriod(caps.wPeriodMin), TIMERR_NOCANDO);
}

}  // namespace
