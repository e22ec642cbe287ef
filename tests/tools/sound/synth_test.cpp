// The synthesisers: every recipe and mood renders sound that is loud enough,
// in range and the same every time; bad voice scripts are refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/music/composer.h"
#include "tools/music/loudness.h"
#include "tools/sound/synth.h"
#include "tools/sound/voices.h"
#include "tools/sound/wav.h"

namespace {

double Rms(const std::vector<float>& s) {
  double sum = 0;
  for (float v : s) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(1, s.size())));
}

// Energy of `s` (mono) above `hz`, in dB relative to all its energy: two
// one-pole high-passes in a row.
double DbAbove(const std::vector<float>& s, double hz, int rate) {
  const double a = 1.0 / (1.0 + 2 * M_PI * hz / rate);
  double x1 = 0, y1 = 0, y2 = 0, z1 = 0, high = 0, all = 0;
  for (float v : s) {
    const double y = a * (y1 + v - x1);
    const double z = a * (z1 + y - y2);
    x1 = v, y1 = y, y2 = y, z1 = z;
    high += z * z;
    all += static_cast<double>(v) * v;
  }
  return 10 * std::log10(high / all);
}

std::vector<float> StereoSine(double hz, double amplitude, double seconds, int rate) {
  std::vector<float> out(static_cast<std::size_t>(seconds * rate) * 2);
  for (std::size_t i = 0; i < out.size() / 2; ++i) {
    out[2 * i] = out[2 * i + 1] = static_cast<float>(amplitude * std::sin(2 * M_PI * hz * i / rate));
  }
  return out;
}

}  // namespace

TEST(Synth, GongRingsAboveThreeKilohertzAndLoopsSitWithTheOtherEffects) {
  const auto gong = sound::RenderEffect("gong", 7);
  EXPECT_GT(DbAbove(gong, 3000, sound::kRate), -25.0);
  // a loop plays all the time: its level is no more than the loudest one-shot's
  double loudestShot = 0;
  for (const char* shot : {"explosion", "cannon", "gun", "missile", "beam"})
    loudestShot = std::max(loudestShot, Rms(sound::RenderEffect(shot, 3)));
  for (const char* loop : {"engine", "hum", "shield"}) {
    EXPECT_LE(Rms(sound::RenderEffect(loop, 3)), loudestShot * 1.12) << loop;  // within 1 dB
  }
}

TEST(Loudness, MeterReadsSinesAsTheStandardDoesAndGatesSilence) {
  // a 997 Hz sine at amplitude 0.1 in both channels reads -20 LUFS, at any rate
  for (int rate : {22050, 44100, 48000}) {
    EXPECT_NEAR(music::IntegratedLoudness(StereoSine(997, 0.1, 5, rate), rate), -20.0, 0.15) << rate;
  }
  // the gates leave out silence: half silent reads as the sound alone
  auto half = StereoSine(997, 0.1, 10, 22050);
  std::fill(half.begin(), half.begin() + static_cast<std::ptrdiff_t>(half.size() / 2), 0.0f);
  EXPECT_NEAR(music::IntegratedLoudness(half, 22050), -20.0, 0.3);
  // K-weighting: deep bass counts for less than the same level at 1 kHz
  EXPECT_LT(music::IntegratedLoudness(StereoSine(40, 0.1, 5, 22050), 22050), -22.0);
  EXPECT_LE(music::IntegratedLoudness(std::vector<float>(44100, 0.0f), 22050), -70.0);
  EXPECT_LE(music::IntegratedLoudness(StereoSine(997, 0.5, 0.2, 22050), 22050), -70.0);  // shorter than a block
}

TEST(Music, PiecesAreBrightLoudnessNormalisedAndLoopOnBarLines) {
  for (const char* name : {"title", "battle", "requiem"}) {
    SCOPED_TRACE(name);
    const music::Mood* mood = music::FindMood(name);
    ASSERT_NE(mood, nullptr);
    const double seconds = music::WholeBars(*mood, 40);
    EXPECT_GE(seconds, 40);
    EXPECT_LT(seconds, 40 + mood->barSeconds);
    const auto s = music::Compose(*mood, seconds);
    EXPECT_NEAR(music::IntegratedLoudness(s, music::kRate), music::kTargetLufs, 0.5);
    std::vector<float> left(s.size() / 2);
    for (std::size_t i = 0; i < left.size(); ++i) left[i] = s[2 * i];
    EXPECT_GT(DbAbove(left, 1000, music::kRate), -20.0);
    // the seam from the last frame to the first is no bigger a step than the piece takes inside
    std::vector<float> steps;
    for (std::size_t i = 1; i < left.size(); ++i) steps.push_back(std::fabs(left[i] - left[i - 1]));
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() * 999 / 1000),
                     steps.end());
    EXPECT_LE(std::fabs(left.front() - left.back()), steps[steps.size() * 999 / 1000]);
  }
}

TEST(Synth, EveryRecipeIsAudibleBoundedAndRepeatable) {
  for (const char* recipe :
       {"click", "open", "shut", "gong",    "chime",   "thud", "land",  "explosion", "hit",    "gun", "cannon",
        "beam",  "zap",  "rail", "missile", "takeoff", "lift", "flame", "acid",      "engine", "hum", "shield"}) {
    SCOPED_TRACE(recipe);
    ASSERT_TRUE(sound::IsRecipe(recipe));
    const auto a = sound::RenderEffect(recipe, 42);
    ASSERT_GT(a.size(), static_cast<std::size_t>(sound::kRate / 50));
    EXPECT_GT(Rms(a), 0.02);
    for (float v : a) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) <= 1.0f);
    EXPECT_EQ(a, sound::RenderEffect(recipe, 42));
    // the ends are faded, so a looping or cut sound starts and stops without a click
    EXPECT_EQ(a.front(), 0.0f);
  }
  EXPECT_NE(sound::RenderEffect("open", 1), sound::RenderEffect("open", 2));
  EXPECT_FALSE(sound::IsRecipe("kazoo"));
  EXPECT_THROW(sound::RenderEffect("kazoo", 1), std::invalid_argument);
}

TEST(Synth, WavHeaderDescribesTheSamples) {
  const std::vector<float> samples = {0.0f, 1.0f, -1.0f, 2.0f};
  const auto wav = sound::EncodeWav(samples, 11025, 2);
  ASSERT_EQ(wav.size(), 44u + 8u);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(wav[4], 44u);  // everything after the first 8 bytes
  EXPECT_EQ(wav[22], 2u);  // channels
  EXPECT_EQ(wav[32], 4u);  // block align
  EXPECT_EQ(wav[40], 8u);  // data bytes
  // full scale both ways, and clipping above it
  EXPECT_EQ(wav[46] | (wav[47] << 8), 0x7FFF);
  EXPECT_EQ(wav[48] | (wav[49] << 8), 0x8001);
  EXPECT_EQ(wav[50] | (wav[51] << 8), 0x7FFF);
}

TEST(Music, EveryMoodComposesStereoOfTheAskedLength) {
  for (const char* name :
       {"title", "patrol", "drift", "tension", "mining", "council", "battle", "nebula", "victory", "requiem"}) {
    SCOPED_TRACE(name);
    const music::Mood* mood = music::FindMood(name);
    ASSERT_NE(mood, nullptr);
    const auto s = music::Compose(*mood, 15.0);
    EXPECT_EQ(s.size(), static_cast<std::size_t>(15.0 * music::kRate) * 2);
    EXPECT_GT(Rms(s), 0.03);
    for (float v : s) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) <= 1.0f);
  }
  EXPECT_EQ(music::FindMood("polka"), nullptr);
  // shorter than a bar still gives one whole bar
  const music::Mood* drift = music::FindMood("drift");
  EXPECT_EQ(music::Compose(*drift, 1.0).size(), static_cast<std::size_t>(drift->barSeconds * music::kRate) * 2);
}

TEST(Voices, ScriptGivesGuildVoicesAndTextsAndRefusesMistakes) {
  const auto script = sound::ParseVoiceScript("# c\nguild 2 en+f3 160 60\n\n7 | Orders received.\n");
  EXPECT_EQ(script.guilds.at(2).voice, "en+f3");
  EXPECT_EQ(script.guilds.at(2).pitch, 60);
  EXPECT_EQ(script.texts.at(7), "Orders received.");
  for (const char* bad : {"guild 6 en 160 50\n", "guild 1 en 160\n", "guild 1 en 160 100\n", "guild 1 en 50 50\n",
                          "7 Orders\n", "0 | x\n", "7 | \n", "7 | a\n7 | b\n"}) {
    EXPECT_THROW(sound::ParseVoiceScript(bad), std::runtime_error) << bad;
  }
}
