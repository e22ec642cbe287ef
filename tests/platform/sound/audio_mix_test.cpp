// The mix of every sound source: quiet sounds pass exactly; every source loud
// ones together never reach full scale, and the mix is exact again once they
// have stopped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/display/audio.h"

namespace {

using namespace plat;

// A square wave of the given amplitude, 100 frames a half period.
class SquareSource : public AudioSource {
 public:
  explicit SquareSource(std::int32_t amplitude) : amplitude_(amplitude) {}
  void MixInto(std::int32_t* mix, std::size_t frames) override {
    for (std::size_t i = 0; i < frames; ++i, ++t_) {
      const std::int32_t v = (t_ / 100) % 2 ? amplitude_ : -amplitude_;
      mix[2 * i] += v;
      mix[2 * i + 1] += v;
    }
  }

 private:
  std::int32_t amplitude_;
  std::size_t t_ = 0;
};

std::vector<std::int16_t> Render(std::size_t frames) {
  std::vector<std::int16_t> out(frames * kAudioChannels);
  RenderAudio(out.data(), frames);
  return out;
}

int Peak(const std::vector<std::int16_t>& samples) {
  int peak = 0;
  for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

TEST(AudioMix, LoudSoundsTogetherNeverClipAndQuietOnesPassExactly) {
  SquareSource quiet(12000);
  ASSERT_TRUE(AddAudioSource(&quiet));
  EXPECT_EQ(Peak(Render(4410)), 12000);

  std::vector<std::unique_ptr<SquareSource>> loud;
  for (std::size_t i = 1; i < kMaxAudioSources; ++i) {
    loud.push_back(std::make_unique<SquareSource>(20000));
    ASSERT_TRUE(AddAudioSource(loud.back().get()));
  }
  const std::vector<std::int16_t> burst = Render(kAudioRate / 2);
  EXPECT_LT(Peak(burst), 32767) << "the mix reached full scale";
  EXPECT_GT(Peak(burst), 29000) << "the loud mix is kept near the ceiling, not silenced";
  for (auto& s : loud) RemoveAudioSource(s.get());

  // The gain comes back: after a moment the quiet sound is exact again.
  Render(kAudioRate / 10);
  EXPECT_EQ(Peak(Render(4410)), 12000);
  RemoveAudioSource(&quiet);
}

}  // namespace
