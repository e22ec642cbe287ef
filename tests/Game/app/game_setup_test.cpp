#include <gtest/gtest.h>

#include "Game/setup/GameSetup.h"

namespace {

struct SetupBlocks {
  GameConfigPacket config;
  GameSettingsPacket settings;
  PlayerOptions options;
  void Reset(std::int16_t group, std::int16_t level) { ResetSetupGroup(config, settings, options, group, level); }
};

TEST(GameSetup, PresetsMatchTheirDifficultyAndStartValuesRateAverage) {
  for (std::int16_t level = 0; level <= 2; ++level) {
    SetupBlocks s;
    s.settings.word16 = 77;
    s.Reset(SETUP_FOG, level);
    EXPECT_EQ(s.settings.word16, 0u);
    s.settings.word16 = 77;
    s.Reset(SETUP_RANDOM, level);
    EXPECT_EQ(s.settings.word16, 0u);
    EXPECT_EQ(RateDifficulty(s.settings, 1), level) << "level " << level;
    EXPECT_EQ(RateDifficulty(s.settings, 0), level) << "level " << level;  // by the sums: 4 + 4, 8 + 7
    EXPECT_EQ(RateDifficulty(s.settings, 9), 9);
  }
}

TEST(GameSetup, PresetMatchIgnoresTheSecondFogFieldAndSystemSizeOnly) {
  SetupBlocks s;
  s.Reset(SETUP_FOG, 2);
  s.Reset(SETUP_RANDOM, 2);
  s.settings.fowShowInAsteroidal = 9;
  s.settings.randomSystemSize = 9;
  EXPECT_EQ(RateDifficulty(s.settings, 1), DIFFICULTY_HARD);
  s.settings.forceScale = 1;
  EXPECT_EQ(RateDifficulty(s.settings, 1), DIFFICULTY_CUSTOM);
}

TEST(GameSetup, RatingBoundaries) {
  SetupBlocks s;
  for (auto [sum, rating] :
       {std::pair{4, DIFFICULTY_EASY}, {5, DIFFICULTY_AVERAGE}, {10, DIFFICULTY_AVERAGE}, {11, DIFFICULTY_HARD}}) {
    s.settings.fowShowInTransit = static_cast<std::uint16_t>(sum);
    EXPECT_EQ(RateDifficulty(s.settings, 0), rating) << sum;
  }
  // A 16-bit sum wraps as the packet's own arithmetic does.
  s.settings.fowShowInTransit = 65535;
  s.settings.forceScale = 3;
  EXPECT_EQ(RateDifficulty(s.settings, 0), DIFFICULTY_EASY);
}

TEST(GameSetup, OtherGroupsAndLevelsAndTraits) {
  SetupBlocks s;
  s.settings.traits.fill(7);
  s.Reset(SETUP_TRAITS, 99);
  for (int i = 0; i < kChapterTraits; ++i)
    EXPECT_EQ(s.settings.traits[i], i == 1 ? 20 : i == 8 ? 30 : i == 17 ? 15 : 0) << i;
  const auto before = ToBytes(s.settings);
  s.Reset(SETUP_FOG, 3);
  s.Reset(SETUP_RANDOM, -1);
  s.Reset(6, 1);
  EXPECT_EQ(ToBytes(s.settings), before);
  s.config.chapters = 3;
  s.options.musicLevel = 0;
  s.Reset(SETUP_CONFIG, 0);
  s.Reset(SETUP_OPTIONS, 0);
  EXPECT_EQ(s.config.chapters, 8);
  EXPECT_EQ(s.options.musicLevel, 1);
}

TEST(GameSetup, ByteImagesAtTheirOffsets) {
  GameConfigPacket c;
  c.word36 = 0x01020304;
  const auto cb = ToBytes(c);
  EXPECT_EQ(cb[0], 52);
  EXPECT_EQ(cb[14], 8);
  EXPECT_EQ(cb[16] | cb[17] << 8, 150);
  EXPECT_EQ(cb[22] | cb[23] << 8, 1000);
  EXPECT_EQ(cb[36], 4);
  EXPECT_EQ(cb[39], 1);
  GameSettingsPacket s;
  s.fowShowAsteroids = 0x0506;
  s.forceScale = 2;
  s.traits[19] = 0xAB;
  const auto sb = ToBytes(s);
  EXPECT_EQ(sb[0], 53);
  EXPECT_EQ(sb[8], 40);
  EXPECT_EQ(sb[28], 2);
  EXPECT_EQ(sb[46], 6);
  EXPECT_EQ(sb[47], 5);
  EXPECT_EQ(sb[67], 0xAB);
  GameSettingsPacket back;
  ASSERT_TRUE(FromBytes(sb, back));
  EXPECT_EQ(ToBytes(back), sb);
  GameConfigPacket cback;
  ASSERT_TRUE(FromBytes(cb, cback));
  EXPECT_EQ(ToBytes(cback), cb);
  EXPECT_FALSE(FromBytes(std::span(sb).first(67), back));
  EXPECT_FALSE(FromBytes(std::span(cb).first(39), cback));
}

}  // namespace
