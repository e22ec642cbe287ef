// The synthesisers: every recipe and mood renders sound that is loud enough,
// in range and the same every time; bad voice scripts are refused.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "tools/music/composer.h"
#include "tools/sound/synth.h"
#include "tools/sound/voices.h"
#include "tools/sound/wav.h"

namespace {

double Rms(const std::vector<float>& s) {
  double sum = 0;
  for (float v : s) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(1, s.size())));
}

}  // namespace

TEST(Synth, EveryRecipeIsAudibleBoundedAndRepeatable) {
  for (const char* recipe : {"click", "open", "shut", "gong", "chime", "thud", "land", "explosion", "hit", "gun",
                             "cannon", "beam", "zap", "rail", "missile", "takeoff", "lift", "flame", "acid", "engine",
                             "hum", "shield"}) {
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
  for (const char* name : {"title", "patrol", "drift", "tension", "mining", "council", "battle", "nebula", "victory",
                           "requiem"}) {
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
