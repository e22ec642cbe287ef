// The packets the shell builds: every byte set, at its offset.
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/CClntApp.h"
#include "Game/app/SettingsFile.h"
#include "Game/base/GInstData.h"
#include "Game/main/ClientShellImpl.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/net/NetSession.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "platform/core/dospath.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/pump.h"
#include "platform/user/queue.h"
#include "shell_fixture.h"
#include "tests/Game/rules/rules_fixture.h"
#include "tests/support/app_state.h"

namespace {

using namespace plat;
using Bytes = std::vector<std::uint8_t>;
using Le = rules_test::Image;  // little-endian fields: type, 0, the session's sequence, the rest

struct Packets : shelltest::AppFixture {
  shelltest::LookingMulti* library = nullptr;
  std::vector<Bytes> sent;

  void SetUp() override {
    AppFixture::SetUp();
    chosenChapter = 21;
    shell.screenFlow = [this](CClntApp& app, int) {
      ChooseChapter(app);
      return 1;
    };
  }
  void TearDown() override { AppFixture::TearDown(); }
  CClntApp& Start() {
    CClntApp& app = AppFixture::Start();
    library = &UseRecordingLibrary();
    library->onSend = [this](std::span<const std::uint8_t> p) { sent.emplace_back(p.begin(), p.end()); };
    return app;
  }
};

TEST_F(Packets, StatusAtGameStartWithNoUnsetBytes) {
  CClntApp& app = Start();
  g_session->opened = 0xA1B2C3D4;
  library->onLook = [] { PostQuitMessage(0); };
  app.Run();
  ASSERT_EQ(sent.size(), 1u);  // the local chapter of the game, the session's opening
  EXPECT_EQ(sent[0], Le().U16(16).U16(0).U32(1).U16(21).U16(0).U32(0xA1B2C3D4).bytes);
  // A loaded game names the chosen chapter instead.
  sent.clear();
  app.ChooseChapter(5, app.Chapter().perGuild);
  app.ChooseGameFile("", "game.clt");
  app.Run();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(rules_test::Word(sent[0], 8), 5u);
}

TEST_F(Packets, LeavingASessionSendsTheLeavePacketOnlyAsAClient) {
  CClntApp& app = Start();
  app.ClaimChapter(12, app.Chapter().perGuild);
  app.UnwindToScreen(13);
  EXPECT_TRUE(sent.empty());
  EXPECT_FALSE(GameExists());  // the game data goes at any screen
  EXPECT_EQ(app.Chapter().secondId, 12u);
  app.UnwindToScreen(12);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], Le().U16(3).U16(0).U32(1).U16(112).U16(12).Text("", 36).bytes);
  EXPECT_EQ(app.Chapter().secondId, kNoChapterChosen);
  app.ClaimChapter(12, app.Chapter().perGuild);
  app.ChooseToHost();
  app.ChooseGameFile("", "x");
  app.UnwindToScreen(9);
  EXPECT_EQ(sent.size(), 1u);  // the host sends no leave packet
  EXPECT_EQ(app.Role().host, 0u);
  EXPECT_FALSE(app.LoadedGame());
}

TEST_F(Packets, QuitQuestionWordingsAndThePacketsOfEachAnswer) {
  CClntApp& app = Start();
  // A client of a multiplayer game tells the others it leaves, never ends the game.
  Answer(true);
  ConfirmQuit(1, nullptr);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], Le().U16(20).U16(0).U32(1).U16(21).U16(0).bytes);
  EXPECT_TRUE(app.QuitRequested());
  // A host ends the game (packet 5) only when Shift differs from the switch (off here).
  sent.clear();
  app.ChooseToHost();
  Answer(true);
  ConfirmQuit(1, nullptr);
  EXPECT_TRUE(sent.empty());
  input::Key(VK_SHIFT, true);
  PumpUntilIdle();
  Answer(true);
  ConfirmQuit(1, nullptr);
  input::Key(VK_SHIFT, false);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(rules_test::Word(sent[0], 0), 5u);
  // Back to the main menu: no packet, the loop stops without quitting.
  sent.clear();
  app.ReturnToFrontEnd();
  AppTestState::SetRunning(app, true);
  std::int32_t marker = 7;
  screen.setTurnMarker = [&](std::int32_t m) { marker = m; };
  Answer(true);
  ConfirmQuit(0, nullptr);
  EXPECT_TRUE(sent.empty());
  EXPECT_FALSE(app.Running());
  EXPECT_FALSE(app.QuitRequested());
  EXPECT_EQ(marker, -1);
}

TEST_F(Packets, TheHandlersReachTheApplicationThroughTheProgramsLinks) {
  CClntApp& app = Start();
  CProgramShell shell;
  const std::uint16_t ownSlot = app.GameSettings()->chapterSlot;
  GameSettingsPacket received;
  received.chapterSlot = 9;
  received.fowShowInTransit = 2;
  received.traits[3] = 7;
  const auto bytes = ToBytes(received);
  shell.ApplyReceivedSettings(std::span<const std::uint8_t>(bytes).first(20));  // short: ignored
  EXPECT_EQ(app.GameSettings()->traits[3], 0u);
  shell.ApplyReceivedSettings(bytes);
  EXPECT_EQ(app.GameSettings()->fowShowInTransit, 2u);
  EXPECT_EQ(app.GameSettings()->traits[3], 7u);
  EXPECT_EQ(app.GameSettings()->difficulty, DIFFICULTY_CUSTOM);
  EXPECT_EQ(app.GameSettings()->chapterSlot, ownSlot);
  shell.SetPendingEscape();
  EXPECT_TRUE(app.EscapeDeferred());
  EXPECT_EQ(shell.HandlerChapterId(LocalChapterId(0)), 21u);
  Answer(false);
  EXPECT_FALSE(shell.AskInPlay("QUITPLAN"));
  Answer(true);
  EXPECT_TRUE(shell.AskInPlay("QUITPLAN"));
}

TEST_F(Packets, SettingsSentAsTheyStandAndReceivedAsCustom) {
  CClntApp& app = Start();
  GameSettingsPacket settings;
  ResetSetupGroup(app.ConfigToEdit(), settings, app.OptionsToEdit(), SETUP_FOG, 2);
  ResetSetupGroup(app.ConfigToEdit(), settings, app.OptionsToEdit(), SETUP_RANDOM, 2);
  app.SendGameSettings(settings, kNoChapterSlot);
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].size(), kGameSettingsSize);
  EXPECT_EQ(rules_test::Word(sent[0], 0), 53u);
  EXPECT_EQ(rules_test::Word(sent[0], 8), 40u);
  EXPECT_EQ(rules_test::Word(sent[0], 10), 1u);
  EXPECT_EQ(rules_test::Word(sent[0], 12), DIFFICULTY_HARD);
  app.SettingsToEdit().chapterSlot = 7;
  settings.traits[4] = 99;
  app.ApplyReceivedSettings(settings);
  EXPECT_EQ(app.GameSettings()->chapterSlot, 7u);
  EXPECT_EQ(app.GameSettings()->traits[4], 99u);
  ASSERT_NE(g_gameData->GetLocalChapter(), nullptr);
  EXPECT_EQ(g_gameData->GetLocalChapter()->difficulty, DIFFICULTY_CUSTOM);  // the game takes them too
}

TEST_F(Packets, EmailEndOfTurnSendsPacketOneWritesTheTurnFileAndLeaves) {
  CClntApp& app = Start();
  g_gameData->turn = 6;
  const std::string clientFile = std::string(g_instData.GetEmailPath()) + "duel-6-7-21.ecl";
  std::int32_t marker = 6;
  screen.setTurnMarker = [&](std::int32_t m) { marker = m; };
  SendMessage(g_mainWnd, WM_APP_EMAIL_END_TURN, 0x1234, 0);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], Le().U16(1).U16(0).U32(1).U32(6).U16(0x1234).U16(0).bytes);
  EXPECT_FALSE(plat::GetFileWriteTime(clientFile));  // not an e-mail game: nothing more
  g_session->emailMode = 1;
  g_session->emailGameName = "duel-6-03";
  AppTestState::SetRunning(app, true);
  SendMessage(g_mainWnd, WM_APP_EMAIL_END_TURN, 0, 0);
  EXPECT_TRUE(plat::GetFileWriteTime(clientFile));
  EXPECT_FALSE(app.Running());
  EXPECT_EQ(marker, -1);
  EXPECT_EQ(EmailTurnFileName("-x", 0, 3), "-x-1-03.ecl");
  EXPECT_EQ(EmailTurnFileName("solo", 9, 40), "solo-10-40.ecl");
}

TEST_F(Packets, LoadRequestAsksUntilAnswerAndACancelledRetryLeavesTheGame) {
  CClntApp& app = Start();
  std::vector<int> answers{0, 0, 1};
  int kept = 0;
  shell.loadRequest = [&](std::uint32_t) {
    kept += KeptLoaderExists();
    const int a = answers.front();
    answers.erase(answers.begin());
    // A loader left by a request asked again, which the next one must not find.
    if (a == 0) RequestLoad("old.clt", LoadPlace::SaveDirectory);
    return a;
  };
  AppTestState::SetLoadMode(app, 3);
  app.ChooseGameFile("", "old.clt");
  SendMessage(g_mainWnd, WM_APP_LOAD_REQUEST, 0, 0);
  EXPECT_TRUE(answers.empty());
  EXPECT_EQ(kept, 0);       // deleted before each request
  EXPECT_TRUE(app.Busy());  // the reply clears it
  EXPECT_EQ(app.Load().mode, 1u);
  EXPECT_FALSE(app.LoadedGame());
  // A load permission without a loader is ignored.
  SendMessage(g_mainWnd, WM_APP_LOAD_PERMISSION, 1, 0);
  EXPECT_TRUE(app.Busy());
  answers = {2};
  g_reloadAfterFailure = 1;
  AppTestState::SetRunning(app, true);
  SendMessage(g_mainWnd, WM_APP_LOAD_REQUEST, 0, 0);
  EXPECT_FALSE(app.Running());
  EXPECT_FALSE(app.Busy());
  EXPECT_EQ(g_reloadAfterFailure, 0u);
}

// The game the front end chose (the quick start's last save) cannot even be
// asked for: with no game to play the loop is left for the front end; in
// play, a load that does not go ahead keeps the game running.
TEST_F(Packets, ALoadThatDoesNotGoAheadLeavesOnlyAnEmptyLoop) {
  CClntApp& app = Start();
  shell.loadRequest = [](std::uint32_t) { return 2; };
  g_reloadAfterFailure = 0;
  DestroyGame();  // the loaded game is made only once its file is read
  AppTestState::SetRunning(app, true);
  SendMessage(g_mainWnd, WM_APP_LOAD_REQUEST, 0, 0);
  EXPECT_FALSE(app.Running());
  EXPECT_FALSE(app.Busy());

  StartGame(21);
  AppTestState::SetRunning(app, true);
  SendMessage(g_mainWnd, WM_APP_LOAD_REQUEST, 0, 0);
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(app.InPlay());
}

// Once the game is over its server is gone: a load asked for from the
// options menu is refused at once instead of waiting for an answer that
// never comes; the front end's next game (none made yet) loads.
TEST_F(Packets, AGameThatIsOverLoadsNothingMore) {
  CClntApp& app = Start();
  int requests = 0;
  shell.loadRequest = [&requests](std::uint32_t) {
    ++requests;
    return 1;
  };
  StartGame(21);
  g_session->NoteGameEnded();
  app.SetBusy(false);
  backend->PressKey(VK_RETURN, 10);  // the box's OK
  SendMessage(g_mainWnd, WM_APP_LOAD_REQUEST, 0, 0);
  EXPECT_EQ(requests, 0);
  EXPECT_FALSE(app.Busy());
  DestroyGame();
  SendMessage(g_mainWnd, WM_APP_LOAD_REQUEST, 0, 0);
  EXPECT_EQ(requests, 1);
}

// Nor is the game that is over saved by the player: the server would write
// no half of it and never answer. Another player's request is still kept.
TEST_F(Packets, AGameThatIsOverIsNotSavedByThePlayer) {
  CClntApp& app = Start();
  int asked = 0;
  shell.chooseSaveName = [&asked](std::string*) {
    ++asked;
    return false;
  };
  StartGame(21);
  g_session->NoteGameEnded();
  backend->PressKey(VK_RETURN, 10);  // the box's OK
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, 0);
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(app.Busy());
  std::array<char, kSavePacketSize> request{6};
  std::snprintf(request.data() + 8, kSavePacketNameSize, "%s", "kept.svr");
  SendMessage(g_mainWnd, WM_APP_SAVE, 0, reinterpret_cast<LPARAM>(request.data()));
  EXPECT_TRUE(plat::GetFileWriteTime(std::string(g_instData.GetSavePath()) + "kept.clt"));
}

// A save damaged in both halves: this side's read fails first, says so and
// leaves the game loop; the server's refusal that follows is not told again
// and does not bring the load screen back over the front end.
TEST_F(Packets, ARefusedLoadAfterTheGameWasLeftIsToldOnce) {
  CClntApp& app = Start();
  int requests = 0;
  shell.loadRequest = [&](std::uint32_t) {
    ++requests;
    return 2;
  };
  auto pumpPosted = [] {
    MSG msg;
    while (PeekMessage(&msg, g_mainWnd, WM_APP_LOAD_REQUEST, WM_APP_LOAD_REQUEST, PM_REMOVE)) DispatchMessage(&msg);
  };
  app.StopGameLoop();
  app.SetBusy(true);
  g_reloadAfterFailure = 0;
  // Answers a box, should one come up.
  backend->PressKey(VK_RETURN, 10);
  SendMessage(g_mainWnd, WM_APP_LOAD_REPLY, 0, 0);
  pumpPosted();
  EXPECT_EQ(requests, 0);
  EXPECT_EQ(g_reloadAfterFailure, 0u);
  EXPECT_FALSE(app.Busy());
  EXPECT_TRUE(app.InPlay());

  // In play, the refusal is told and the load screen asked for again.
  StartGame(21);
  AppTestState::SetRunning(app, true);
  backend->PressKey(VK_RETURN, 10);
  SendMessage(g_mainWnd, WM_APP_LOAD_REPLY, 0, 0);
  EXPECT_EQ(g_reloadAfterFailure, 1u);
  pumpPosted();
  EXPECT_EQ(requests, 1);
  g_reloadAfterFailure = 0;
}

TEST_F(Packets, RestartMakesTheGameAgainForTheSameChapter) {
  CClntApp& app = Start();
  SetLocalChapterName("Blue Wing");
  g_gameData->turn = 12;
  app.ChooseChapter(app.Chapter().id, 6);  // slot 5 (chapter 21) is still there
  SendMessage(g_mainWnd, WM_APP_RESTART, 0, 0);
  ASSERT_TRUE(GameExists());
  EXPECT_EQ(GameTurn(), 0u);  // made again
  EXPECT_EQ(LocalChapterId(), 21);
  EXPECT_EQ(g_gameData->chaptersPerGuild, 6);
  EXPECT_EQ(LocalChapterName(), "Blue Wing");
  EXPECT_FALSE(app.InPlay());
}

}  // namespace
