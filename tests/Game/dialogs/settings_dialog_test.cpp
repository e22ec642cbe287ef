// The in-game settings run by scripted clicks: the switches change only the
// dialog's copy until Save hands it to the screen and "UserInfo.dat" (read
// back whole, also after a damaged file), Cancel drops it, and autosave
// takes effect at once and is told to every player.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Game/app/SettingsFile.h"
#include "Game/dialogs/CDInGameSettingsDlg.h"
#include "Game/model/GGameData.h"
#include "Game/net/AutosavePacket.h"
#include "Game/setup/GameSetup.h"
#include "platform/user/queue.h"
#include "tests/Game/dialogs/dialog_screen.h"
#include "tests/Game/rules/rules_fixture.h"

namespace {

using namespace plat;

// The dialog's top left on the screen and the middle of a button at (x, y)
// of the dialog, `w` x `h`.
constexpr int kLeft = 25, kTop = 96;
POINT Middle(int x, int y, int w, int h) { return {kLeft + x + w / 2, kTop + y + h / 2}; }
const POINT kEffectsLow = Middle(371, 147, 66, 40);
const POINT kEffectsMedium = Middle(437, 147, 66, 40);
const POINT kMusicOn = Middle(334, 79, 104, 27);
const POINT kMusicOff = Middle(438, 79, 111, 27);
const POINT kFacingOff = Middle(159, 72, 106, 26);
const POINT kFogOff = Middle(159, 189, 106, 26);
const POINT kStarsOff = Middle(159, 319, 106, 26);
const POINT kSpeechOff = Middle(438, 216, 111, 27);
const POINT kAutosaveOff = Middle(438, 281, 111, 27);
const POINT kSave = Middle(326, 323, 103, 37);
const POINT kCancel = Middle(444, 323, 103, 37);

// The application's side of a settings file: its names, set-up and options.
struct UserInfo {
  char playerName[64] = "Quenbar Player";
  char nickname[32] = "Player";
  char chapterName[32] = "Rangers";
  std::uint16_t chapterId = 255, secondChapterId = 255;
  GameConfigPacket config;
  GameSettingsPacket settings;
  PlayerOptions options;

  UserInfoFields Fields() {
    return {playerName, nickname, chapterName, &chapterId, &secondChapterId, &config, &settings, &options};
  }
};

class SettingsRuns : public ::testing::Test, protected dialogs_test::DialogScreen {
 protected:
  void SetUp() override {
    OpenScreen("SettingsMain");
    game = std::make_unique<CGameData>(2, 8);
    dialogs_test::HoldGame(*game);
  }
  void TearDown() override {
    g_gameData = nullptr;
    game.reset();
    CloseScreen();
  }

  void ClickAt(POINT p, DWORD after) { Click(p.x, p.y, after); }
  // A screen that notes what Save and the autosave switch hand out, Save
  // writing the file the way the application does.
  struct Screen : ISettingsScreen {
    explicit Screen(SettingsRuns& runs) : t(runs) {}
    void ApplyToView(const InGameSettings& s) override { t.applied.push_back(s); }
    PlayerOptions* Options() override { return &t.info.options; }
    void WriteUserInfo() override {
      ++t.written;
      WriteSettingsFile(rules_test::Sandbox::Dos("UserInfo.dat"), FormatUserInfo(t.info.Fields()));
    }
    void AutosaveSwitched(bool on) override { t.told.push_back(on); }
    SettingsRuns& t;
  };
  std::string File() const { return box.Read("UserInfo.dat"); }

  rules_test::Sandbox box;
  std::unique_ptr<CGameData> game;
  UserInfo info;
  std::vector<InGameSettings> applied;
  std::vector<bool> told;
  int written = 0;
  Screen screen{*this};
};

// Three switches moved, the lit pictures follow (golden), and Save hands the
// values to the screen and the file, which reads back to the same.
TEST_F(SettingsRuns, SaveHandsTheSwitchesToTheScreenAndTheFile) {
  const InGameSettings current;
  ClickAt(kFogOff, 300);
  ClickAt(kEffectsLow, 150);
  ClickAt(kMusicOff, 150);
  CaptureAfter(900, {kLeft, kTop, kLeft + 590, kTop + 372});
  ClickAt(kSave, 600);
  CDInGameSettingsDlg dialog(ddraw.get(), main, program, current, true, screen);
  EXPECT_EQ(dialog.m_result, kSettingsSaved);
  EXPECT_TRUE(Looks("settings.png"));

  InGameSettings expected = current;
  expected.distanceFog = 0;
  expected.effectsLevel = 1;
  expected.musicLevel = 0;
  EXPECT_EQ(dialog.m_kept, expected);
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_EQ(applied[0], expected);
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(written, 1);

  const std::string file = File();
  for (const char* line : {"\nFogging: 0\n", "\nSFXScale: 1\n", "\nMusicScale: 0\n", "\nZoom: 1\n", "\nStars: 1\n"})
    EXPECT_NE(file.find(line), std::string::npos) << line;
  UserInfo back;
  EXPECT_TRUE(ParseUserInfo(file, back.Fields()));
  EXPECT_EQ(back.options.fogging, 0u);
  EXPECT_EQ(back.options.effectsLevel, 1);
  EXPECT_EQ(back.options.musicLevel, 0);
  EXPECT_EQ(back.options.staticFacing, 1u);
}

// Pressing the lit medium volume changes nothing; Cancel then drops the
// other changes: nothing applied, nothing written.
TEST_F(SettingsRuns, TheLitButtonAndCancelChangeNothing) {
  InGameSettings current;
  current.speech = 1;
  ClickAt(kEffectsMedium, 300);
  ClickAt(kFacingOff, 150);
  ClickAt(kSpeechOff, 150);
  ClickAt(kCancel, 300);
  CDInGameSettingsDlg dialog(ddraw.get(), main, program, current, true, screen);
  EXPECT_EQ(dialog.m_result, kSettingsCancelled);
  EXPECT_EQ(dialog.m_kept.effectsLevel, 2);
  EXPECT_EQ(dialog.m_kept.shipFacing, 0u);
  EXPECT_EQ(dialog.m_kept.speech, 0u);
  EXPECT_TRUE(applied.empty());
  EXPECT_EQ(written, 0);
  EXPECT_EQ(info.options.staticFacing, 1u);
  EXPECT_EQ(info.options.speech, 1u);
  EXPECT_EQ(game->inGameSwitch, 1u);
}

// Autosave off takes effect at once: the game's flag and every player; a
// Cancel afterwards leaves it off. Pressed again while off, nothing is sent.
TEST_F(SettingsRuns, AutosaveOffStaysAfterCancel) {
  ClickAt(kAutosaveOff, 300);
  ClickAt(kAutosaveOff, 150);
  ClickAt(kCancel, 300);
  CDInGameSettingsDlg dialog(ddraw.get(), main, program, InGameSettings{}, true, screen);
  EXPECT_EQ(dialog.m_result, kSettingsCancelled);
  EXPECT_EQ(game->inGameSwitch, 0u);
  EXPECT_EQ(told, std::vector<bool>{false});
  EXPECT_TRUE(applied.empty());
}

// The switch's packet: type 8, 12 bytes, the flag as a u32 at offset 8.
TEST(AutosaveSwitchPacket, CarriesTheFlagAtOffsetEight) {
  const auto off = BuildAutosaveSwitchPacket(false);
  const auto on = BuildAutosaveSwitchPacket(true);
  const std::vector<std::uint8_t> expectOff{8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::vector<std::uint8_t> expectOn = expectOff;
  expectOn[8] = 1;
  EXPECT_EQ(std::vector<std::uint8_t>(off.bytes.begin(), off.bytes.end()), expectOff);
  EXPECT_EQ(std::vector<std::uint8_t>(on.bytes.begin(), on.bytes.end()), expectOn);
}

// Without the right to change autosave its buttons are not made: a click
// there does nothing, and the rest still works.
TEST_F(SettingsRuns, WithoutTheRightAutosaveIsAbsentAndTheRestWorks) {
  ClickAt(kAutosaveOff, 300);
  ClickAt(kStarsOff, 150);
  ClickAt(kSave, 300);
  CDInGameSettingsDlg dialog(ddraw.get(), main, program, InGameSettings{}, false, screen);
  EXPECT_EQ(dialog.m_result, kSettingsSaved);
  EXPECT_EQ(game->inGameSwitch, 1u);
  EXPECT_TRUE(told.empty());
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_EQ(applied[0].stars, 0u);
  EXPECT_EQ(applied[0].autosave, 1u);
  EXPECT_EQ(info.options.stars, 0u);
}

// A music level above 1 lights neither music button, neither changes it,
// and Save keeps it in the file.
TEST_F(SettingsRuns, MusicAboveOneStaysWhateverIsPressed) {
  InGameSettings current;
  current.musicLevel = 2;
  ClickAt(kMusicOff, 300);
  ClickAt(kMusicOn, 150);
  ClickAt(kSave, 300);
  CDInGameSettingsDlg dialog(ddraw.get(), main, program, current, true, screen);
  EXPECT_EQ(dialog.m_kept.musicLevel, 2);
  EXPECT_EQ(info.options.musicLevel, 2);
  EXPECT_NE(File().find("\nMusicScale: 2\n"), std::string::npos);
}

// A damaged "UserInfo.dat": its good values are taken, the bad ones keep
// their start values, and a Save writes the file whole again.
TEST_F(SettingsRuns, SaveAfterADamagedFileWritesItWhole) {
  box.Write("UserInfo.dat", "PlayerName: Kay\nStars: 0\nFogging: banana\nSFXScale: 9\nSpeech: 0\nZoom:");
  std::string text;
  ASSERT_TRUE(ReadSettingsFile(rules_test::Sandbox::Dos("UserInfo.dat"), text));
  EXPECT_FALSE(ParseUserInfo(text, info.Fields()));
  EXPECT_STREQ(info.playerName, "Kay");
  EXPECT_EQ(info.options.stars, 0u);
  EXPECT_EQ(info.options.fogging, 1u);
  EXPECT_EQ(info.options.effectsLevel, 2);
  EXPECT_EQ(info.options.speech, 0u);

  InGameSettings current;
  current.stars = info.options.stars;
  current.speech = info.options.speech;
  ClickAt(kEffectsLow, 300);
  ClickAt(kSave, 300);
  CDInGameSettingsDlg dialog(ddraw.get(), main, program, current, true, screen);
  UserInfo back;
  EXPECT_TRUE(ParseUserInfo(File(), back.Fields()));
  EXPECT_STREQ(back.playerName, "Kay");
  EXPECT_EQ(back.options.stars, 0u);
  EXPECT_EQ(back.options.fogging, 1u);
  EXPECT_EQ(back.options.effectsLevel, 1);
  EXPECT_EQ(back.options.speech, 0u);
}

}  // namespace
