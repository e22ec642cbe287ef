// The application's operations as the front end and the main window use
// them: what each one changes, and what it leaves as it was.
#include <cstring>
#include <string>

#include "Game/app/CClntApp.h"
#include "media/CSprite.h"
#include "shell_fixture.h"
#include "tests/support/app_state.h"

namespace {

struct AppChoices : shelltest::AppFixture {
  void SetUp() override {
    AppFixture::SetUp();
    shell.screenFlow = [this](CClntApp& app, int) {
      ChooseChapter(app);
      return 1;
    };
  }
};

TEST_F(AppChoices, ADeferredEscapeIsTakenOnceAndAMoveAtTheLastTickIsKept) {
  CClntApp& app = Start();
  EXPECT_FALSE(app.TakeDeferredEscape());
  app.DeferEscape();
  app.DeferEscape();  // twice deferred is still one Escape
  EXPECT_TRUE(app.TakeDeferredEscape());
  EXPECT_FALSE(app.TakeDeferredEscape());
  EXPECT_FALSE(app.EscapeDeferred());
  // All ones means "no move" to the loop: a move at that tick must not vanish.
  app.NoteMouseMove(0xFFFFFFFF);
  EXPECT_TRUE(app.MouseMovePending());
}

TEST_F(AppChoices, LeavingTheLoopKeepsOrClearsTheQuitAsAsked) {
  CClntApp& app = Start();
  AppTestState::SetRunning(app, true);
  app.QuitToDesktop();
  EXPECT_FALSE(app.Running());
  EXPECT_TRUE(app.QuitRequested());
  AppTestState::SetRunning(app, true);
  app.StopGameLoop();  // the e-mail turn's end: the quit stays as it was
  EXPECT_TRUE(app.QuitRequested());
  AppTestState::SetRunning(app, true);
  app.ReturnToFrontEnd();
  EXPECT_FALSE(app.Running());
  EXPECT_FALSE(app.QuitRequested());
}

TEST_F(AppChoices, AGameFileIsCutToItsFieldsAndForgettingItKeepsTheFolder) {
  CClntApp& app = Start();
  const std::string longName(400, 'n');
  app.ChooseGameFile("C:\\saves\\", longName.c_str(), true);
  EXPECT_EQ(std::strlen(app.Load().fileName), sizeof app.Load().fileName - 1);
  EXPECT_STREQ(app.Load().directory, "C:\\saves\\");
  EXPECT_EQ(app.Load().scenario, 1u);
  EXPECT_TRUE(app.LoadedGame());
  // A game joined from a host names the file alone: the scenario flag stays.
  app.ChooseGameFile("D:\\", "joined.clt");
  EXPECT_STREQ(app.Load().fileName, "joined.clt");
  EXPECT_EQ(app.Load().scenario, 1u);
  app.ForgetGameFile();
  EXPECT_FALSE(app.LoadedGame());
  EXPECT_STREQ(app.Load().directory, "D:\\");
  app.ChooseGameDirectory("E:\\mail\\");
  EXPECT_STREQ(app.Load().directory, "E:\\mail\\");
  EXPECT_FALSE(app.LoadedGame());
}

TEST_F(AppChoices, AClaimedChapterIsHeldAndAChosenOneIsNot) {
  CClntApp& app = Start();
  app.ClaimChapter(12, 6);
  EXPECT_EQ(app.Chapter().id, 12u);
  EXPECT_EQ(app.Chapter().secondId, 12u);
  EXPECT_EQ(app.Chapter().perGuild, 6u);
  app.ChooseChapter(14, 4);
  EXPECT_EQ(app.Chapter().id, 14u);
  EXPECT_EQ(app.Chapter().secondId, 12u);
  EXPECT_EQ(app.Chapter().perGuild, 4u);
  app.ConfigToEdit().chapters = 5;
  app.TakeChapterCountFromConfig();
  EXPECT_EQ(app.Chapter().perGuild, 5u);
}

TEST_F(AppChoices, HostingAloneOpensTheSessionAndAJoinedOneLeavesTheRole) {
  CClntApp& app = Start();
  app.NoteSessionJoined();
  EXPECT_EQ(app.Network().sessionOpen, 1u);
  EXPECT_EQ(app.Network().inSession, 1u);
  EXPECT_EQ(app.Role().host, 0u);
  app.HostLocalGame(0xFFFE);
  EXPECT_EQ(app.Role().host, 1u);
  EXPECT_EQ(app.Role().singlePlayer, 1u);
  EXPECT_EQ(app.Network().connection.connectionKind, 0xFFFE);
  app.ChooseService(0, 7);
  EXPECT_EQ(app.Network().connection.connectionKind, 0);
  EXPECT_EQ(app.Network().connection.serviceType, 7);
}

TEST_F(AppChoices, ASessionIsNamedAfterAGameFileOnlyWhenTheNameFits) {
  CClntApp& app = Start();
  app.ChooseGameFile("", "duel.clt");
  app.NameSessionAfterGameFile();
  EXPECT_STREQ(app.Network().connection.sessionName, "duel.clt");
  EXPECT_STREQ(app.Network().connection.description, "s");
  const std::string tooLong(sizeof app.Network().connection.sessionName, 'x');
  app.ChooseGameFile("", tooLong.c_str());
  app.DescribeSession(std::string(400, 'd').c_str());
  app.NameSessionAfterGameFile();
  EXPECT_STREQ(app.Network().connection.sessionName, "duel.clt");
  EXPECT_EQ(std::strlen(app.Network().connection.description), sizeof app.Network().connection.description - 1);
  app.ForgetSessionName();
  EXPECT_STREQ(app.Network().connection.sessionName, "");
}

TEST_F(AppChoices, AGameFromAFileMarksTheConfigurationAndItsLockReachesTheSettings) {
  CClntApp& app = Start();
  app.MarkConfigFromFile(true);
  EXPECT_EQ(app.GameConfig()->word8, 1u);
  EXPECT_EQ(app.GameConfig()->word12, 1u);
  EXPECT_EQ(app.GameConfig()->word36, 1u);
  app.CarryConfigLockToSettings();
  EXPECT_EQ(app.GameSettings()->word16, 1u);
  app.MarkConfigFromFile(false);
  EXPECT_EQ(app.GameConfig()->word36, 0u);
  GameConfigPacket replaced;
  replaced.asteroids = 77;
  app.ReplaceConfig(replaced);
  EXPECT_EQ(app.GameConfig()->asteroids, 77);
  EXPECT_EQ(app.GameConfig()->word8, 0u);
}

TEST_F(AppChoices, AnEmailTurnIsPlayedAloneAsTheInputFilesChapter) {
  CClntApp& app = Start();
  app.ChooseNewEmailGame("-Ec:duel");
  EXPECT_EQ(app.Role().lobbyArgument, "-Ec:duel");
  EXPECT_EQ(app.Role().emailGame, 1u);
  app.PlayEmailTurnAs(23);
  EXPECT_EQ(app.Chapter().id, 23u);
  EXPECT_EQ(app.Role().singlePlayer, 1u);
  EXPECT_EQ(app.GameConfig()->word12, 1u);
}

TEST_F(AppChoices, TheScreenHistoryStartsAgainAndTheBackdropIsLentAndReturned) {
  CClntApp& app = Start();
  AppScreens& screens = app.RestartScreenHistory();
  screens.history[0] = 9;
  screens.count = 3;
  AppScreens& again = app.RestartScreenHistory();
  EXPECT_EQ(&again, &screens);
  EXPECT_EQ(again.count, 0u);
  EXPECT_EQ(again.history[0], 9u);  // only the count starts again
  std::unique_ptr<CSprite> lent = app.TakeBackdrop();
  EXPECT_EQ(app.TakeBackdrop(), nullptr);  // lent once
  app.ReturnBackdrop(std::move(lent));
}

}  // namespace
