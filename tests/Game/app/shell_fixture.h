#pragma once
// What the shell's tests share: a fresh window layer on the headless backend
// with the virtual clock, the program's own resource module as built (its
// dialog templates and cursors), and the program's shell as each test plays it.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/CClntApp.h"
#include "Game/app/GameLife.h"
#include "Game/base/ClientShell.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/resource/module.h"
#include "platform/user/input.h"
#include "platform/user/system.h"
#include "platform/user/window.h"
#include "tests/Game/net/fake_multi.h"
#include "tests/support/recording_shell.h"
#include "tests/support/scratch_drive.h"

namespace shelltest {

// The game screen as the application tells it things: each notice a test
// cares about is a function it sets.
struct FakeScreen : IAppViewNotices {
  std::function<void(std::int32_t)> setTurnMarker;
  std::function<void(int)> suspendScreenFlush;
  std::function<void(std::uint32_t topic)> showHelp;
  std::function<void()> runOptions;
  std::function<void()> clearNotificationLines;
  std::function<std::unique_ptr<IGameView>(ViewType)> createView;
  void SetTurnMarker(std::int32_t turn) override {
    if (setTurnMarker) setTurnMarker(turn);
  }
  void SuspendScreenFlush(int suspend) override {
    flushHeld = suspend != 0;
    if (suspendScreenFlush) suspendScreenFlush(suspend);
  }
  bool ScreenFlushSuspended() override { return flushHeld; }
  bool flushHeld = false;
  void ShowHelp(CDDraw*, plat::HWND, plat::HINSTANCE, std::uint32_t topic) override {
    if (showHelp) showHelp(topic);
  }
  void RunOptions(CDDraw*, plat::HWND, plat::HINSTANCE, IGameView*) override {
    if (runOptions) runOptions();
  }
  std::unique_ptr<IGameView> CreateView(ViewType type, plat::HWND, plat::HINSTANCE) override {
    return createView ? createView(type) : nullptr;
  }
  void ClearNotificationLines() override {
    if (clearNotificationLines) clearNotificationLines();
  }
};

// The multiplayer library under the session: each packet sent is told to
// `onSend`, and each look for messages (one a packet pass of the main loop)
// to `onLook` first.
struct LookingMulti : nettest::FakeMulti {
  std::function<void(std::span<const std::uint8_t> packet)> onSend;
  std::function<void()> onLook;
  int Send(std::uint32_t from, std::uint32_t to, const void* data, std::uint32_t length, std::uint8_t flags,
           int guaranteed) override {
    if (onSend) onSend({static_cast<const std::uint8_t*>(data), length});
    return FakeMulti::Send(from, to, data, length, flags, guaranteed);
  }
  int CheckMessages() override {
    if (onLook) onLook();
    return FakeMulti::CheckMessages();
  }
};

// The program's shell as the application's tests play it: the front end's
// screens, the progress dialog (given its text, not the text's ID), the load
// request and the save dialog's name are what each test sets, and as with no
// program when it sets none; the rest is recorded. Like the program, it hears
// the session only while the session has a window to tell.
struct AppShell : quentest::RecordingShell {
  std::function<int(CClntApp& app, int startScreen)> screenFlow;
  std::function<void(const char* text, int animation)> openProgress;
  std::function<void()> closeProgress;
  std::function<int(std::uint32_t loadMode)> loadRequest;
  std::function<bool(std::string* name)> chooseSaveName;

  std::optional<int> RunScreenFlow(int startScreen) override {
    if (!screenFlow || !g_app) return std::nullopt;
    return screenFlow(*g_app, startScreen);
  }
  void OpenProgress(const char* textId, int animation) override {
    RecordingShell::OpenProgress(textId, animation);
    if (openProgress && g_app) openProgress(g_app->Text(textId).c_str(), animation);
  }
  void CloseProgress() override {
    RecordingShell::CloseProgress();
    if (closeProgress) closeProgress();
  }
  int AnswerLoadRequest(std::uint32_t loadMode) override { return loadRequest ? loadRequest(loadMode) : 2; }
  bool ChooseSaveName(std::string* name) override { return chooseSaveName && chooseSaveName(name); }
  bool HearsSession(plat::HWND notifyWindow) override { return notifyWindow != nullptr; }
};

struct ShellFixture : testing::Test {
  plat::HeadlessBackend* backend = nullptr;
  plat::HMODULE program = nullptr;
  FakeScreen screen;
  AppShell shell;

  void SetUp() override {
    backend = &plat::StartHeadlessBackend();
    plat::ResetUserLayer();
    plat::InitCommonControls();
    const std::string module = std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll";
    plat::SetProgramModulePath(module);  // the texts of the application come from it
    program = plat::LoadLibrary(module.c_str());
    ASSERT_NE(program, nullptr) << "the program's resource module is built with the program";
    RegisterAppViewNotices(&screen);
  }
  void TearDown() override {
    RegisterAppViewNotices(nullptr);
    if (GameExists()) DestroyGame();  // the game a test made, or the application left
    plat::ResetUserLayer();
    if (program) plat::FreeLibrary(program);
    plat::SetProgramModulePath("/nonexistent/quenbar.dll");
    plat::StopBackend();
    plat::UseRealClock();
  }
  // Clicks Yes or No of the next yes/no box (the quit question's place).
  void Answer(bool yes) { backend->Click(263 + (yes ? 47 : 157) + 35, 229 + 108 + 17, plat::input::Button::Left, 10); }
  // Makes a game exist with the given local chapter, in place of any held.
  void StartGame(std::uint16_t chapter) { CreateGame(chapter, 8); }
  // Puts a recording library under the application's session, in a session
  // with one other player (78) to send to; `alone`, with no other player and
  // the sends going to a server program (99) that never answers.
  LookingMulti& UseRecordingLibrary(bool alone = false) {
    auto library = std::make_unique<LookingMulti>();
    LookingMulti& kept = *library;
    kept.players = {HvMPlayerInfo{77, false, true, "Me", "Me"}};
    if (alone)
      kept.serverId = 99;
    else
      kept.players.push_back(HvMPlayerInfo{78, false, false, "You", "You"});
    g_session->player.id = 77;
    g_session->multi = std::move(library);
    g_session->queue.reset();  // made again over this library
    return kept;
  }
};

// The application over a scratch drive, making and ending its own game for
// the chapter the front end chose (`chosenChapter` when it chose none); the
// application goes with the test.
struct AppFixture : ShellFixture {
  std::unique_ptr<quentest::ScratchDrive> drive;
  std::uint16_t chosenChapter = 3;

  void SetUp() override {
    ShellFixture::SetUp();
    drive = std::make_unique<quentest::ScratchDrive>();
  }
  // What the front end chose, once it leaves for a game.
  void ChooseChapter(CClntApp& app) const {
    if (app.Chapter().id == kNoChapterChosen) app.ChooseChapter(chosenChapter, app.Chapter().perGuild);
  }
  void TearDown() override {
    DestroyClntApp();
    drive.reset();
    ShellFixture::TearDown();
  }
  CClntApp& Start() {
    CClntApp* app = CreateClntApp(program, plat::SW_SHOW, "");
    EXPECT_NE(app, nullptr);
    return *app;
  }
};

}  // namespace shelltest
