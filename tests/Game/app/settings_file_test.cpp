#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Game/app/SettingsFile.h"

namespace {

struct Fields {
  char player[52] = "Quenbar Player";
  char nick[32] = "Player";
  char chapter[32] = "Rangers";
  std::uint16_t chapterId = 255;
  std::uint16_t second = 255;
  GameConfigPacket config;
  GameSettingsPacket settings;
  PlayerOptions options;
  Fields() {
    ResetSetupGroup(config, settings, options, SETUP_FOG, 1);
    ResetSetupGroup(config, settings, options, SETUP_TRAITS, 1);
    ResetSetupGroup(config, settings, options, SETUP_RANDOM, 1);
  }
  UserInfoFields View() { return {player, nick, chapter, &chapterId, &second, &config, &settings, &options}; }
};

TEST(SettingsFile, UserInfoRoundTripWithBlanksInNames) {
  Fields a;
  std::strcpy(a.player, "Ada of Quen");
  std::strcpy(a.chapter, "Red_Wing");
  a.chapterId = 17;
  a.config.asteroids = 60;
  a.settings.traits[19] = 200;
  a.options.effectsLevel = 0;
  a.options.zoom = 0;
  const std::string text = FormatUserInfo(a.View());
  EXPECT_EQ(text.substr(0, 48), "PlayerName: Ada_of_Quen\nPlayerNicname: Player\nMy");
  EXPECT_NE(text.find("\nChapterTrait: 19 200\nMusicScale: 1\nSFXScale: 0\nStaticFacing: 1\nZoom: 0\n"),
            std::string::npos);
  Fields b;
  EXPECT_TRUE(ParseUserInfo(text, b.View()));
  EXPECT_STREQ(b.player, "Ada of Quen");
  EXPECT_STREQ(b.chapter, "Red Wing");  // an underscore reads back as a blank
  EXPECT_EQ(b.chapterId, 17);
  EXPECT_EQ(ToBytes(b.config), ToBytes(a.config));
  EXPECT_EQ(ToBytes(b.settings), ToBytes(a.settings));
  EXPECT_EQ(b.options.zoom, 0u);
  EXPECT_EQ(b.options.effectsLevel, 0);
}

TEST(SettingsFile, ChapterAtFortyOrMoreWritesTheSecondIdentifier) {
  Fields a;
  a.chapterId = 40;
  a.second = 12;
  EXPECT_NE(FormatUserInfo(a.View()).find("MyChapter: 12\n"), std::string::npos);
}

TEST(SettingsFile, BadValuesKeepTheirStartValuesAndTheRestIsTaken) {
  Fields a;
  std::string text = FormatUserInfo(a.View());
  auto replace = [&](const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  };
  replace("MusicScale: 1", "MusicScale: 4");
  replace("SFXScale: 2", "SFXScale: -1");
  replace("NumberOfAsteroids: 150", "NumberOfAsteroids: 65536");
  replace("TurnTimeLimit: 60", "TurnTimeLimit: 6x");
  replace("OrbitSpeed: 2", "OrbitSpeed: 3");
  replace("MyChapter: 255", "MyChapter: 41");
  replace("PlayerNicname: Player", "PlayerNicname: " + std::string(40, 'n'));
  replace("ChapterTrait: 3 0", "ChapterTrait: 20 9");
  replace("Zoom: 1", "Zoom: 99999999999");
  Fields b;
  b.options.musicLevel = 3;
  EXPECT_FALSE(ParseUserInfo(text, b.View()));
  EXPECT_EQ(b.options.musicLevel, 3);
  EXPECT_EQ(b.options.effectsLevel, 2);
  EXPECT_EQ(b.config.asteroids, 150);
  EXPECT_EQ(b.config.turnTimeLimit, 60);
  EXPECT_EQ(b.config.orbitSpeed, 3);  // good values around the bad ones are kept
  EXPECT_EQ(b.chapterId, 255);
  EXPECT_STREQ(b.nick, "Player");
  EXPECT_EQ(b.options.zoom, 1u);
}

TEST(SettingsFile, PartialUnknownAndGarbageInput) {
  Fields b;
  EXPECT_FALSE(ParseUserInfo("Fogging: 0\nUnknownKey: 5\nZoom: 0", b.View()));
  EXPECT_EQ(b.options.fogging, 0u);
  EXPECT_EQ(b.options.zoom, 0u);
  EXPECT_EQ(b.config.chapters, 8);
  // Keys match only as whole words with their colon.
  Fields c;
  EXPECT_FALSE(ParseUserInfo("Zoom 0 xZoom: 0 Zoom:0", c.View()));
  EXPECT_EQ(c.options.zoom, 1u);
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 131) & 0xFF);
  garbage += " PlayerName:";  // a key at the very end without a value
  Fields d;
  const std::string before = FormatUserInfo(d.View());
  EXPECT_FALSE(ParseUserInfo(garbage, d.View()));
  EXPECT_EQ(FormatUserInfo(d.View()), before);
  // Beyond the size limit nothing more is read.
  std::string huge(kMaxSettingsFileSize, ' ');
  huge += "Zoom: 0";
  Fields e;
  EXPECT_FALSE(ParseUserInfo(huge, e.View()));
  EXPECT_EQ(e.options.zoom, 1u);
}

TEST(SettingsFile, DuplicatedKeyIsDamage) {
  Fields a;
  const std::string text = FormatUserInfo(a.View());
  Fields b;
  EXPECT_TRUE(ParseUserInfo(text, b.View()));
  EXPECT_FALSE(ParseUserInfo(text + "Zoom: 1\n", b.View()));
  EXPECT_FALSE(ParseUserInfo(text + "ChapterTrait: 0 0\n", b.View()));
}

TEST(SettingsFile, EmailInfoAndNames) {
  Fields a;
  const std::string text = FormatEmailInfo(a.config, a.settings);
  EXPECT_EQ(text.substr(0, 44), "NumberOfChapters: 8\nNumberOfAsteroids: 150\nV");
  EXPECT_EQ(text.find("TurnTimeLimit"), std::string::npos);
  EXPECT_EQ(text.find("Player"), std::string::npos);
  EXPECT_NE(text.find("ForceScale: 1\nChapterTrait: 0 0\n"), std::string::npos);
  EXPECT_EQ(EmailInfoPrefix("game-3-07"), "game-3-");
  EXPECT_EQ(EmailInfoPrefix("-game"), "-game");
  EXPECT_EQ(EmailInfoPrefix("game"), "game");
  char name[] = "a b_c";
  ConvertNameBlanks(name, 1);
  EXPECT_STREQ(name, "a_b_c");
  ConvertNameBlanks(name, 0);
  EXPECT_STREQ(name, "a b c");
}

}  // namespace
