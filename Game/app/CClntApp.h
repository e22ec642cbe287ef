#pragma once
// The application object: the one CClntApp of the program. It owns the main
// window ("Thingys of Quenbar", 800 x 600), the display, the sound player, the
// session (through CClntBase), the frame timer and the six game views; it
// carries the player's names, options and the two game set-up blocks between
// the front end and the game. Its constructor runs the front end; Run plays
// games and returns to the front end between them. Game thread only.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Game/app/AppMessages.h"
#include "Game/app/CFrameTimer.h"
#include "Game/app/GameView.h"
#include "Game/app/ServerWait.h"
#include "Game/base/GIDString.h"
#include "Game/net/ConnectionInfo.h"
#include "Game/setup/GameSetup.h"
#include "platform/core/files.h"
#include "platform/core/types.h"

class CNetSession;
class CSprite;
struct UserInfoFields;

// The main window's timer that drives the sound player.
constexpr plat::UINT_PTR kSoundTimer = 8008;
constexpr plat::UINT kSoundTimerPeriodMs = 90;
constexpr const char* kMainWindowClass = "Thingys of Quenbar";

// The render argument that asks for one render and then becomes -1.
constexpr std::int32_t kRenderOnce = 0xFFFE;

class CClntBase {
 public:
  // Creates the session into g_session and seeds the C random generator.
  explicit CClntBase(plat::HINSTANCE instance);
  // Deletes the game data (through the links) and the session.
  virtual ~CClntBase();
  CClntBase(const CClntBase&) = delete;
  CClntBase& operator=(const CClntBase&) = delete;

  plat::HINSTANCE m_instance = nullptr;

 private:
  std::unique_ptr<CNetSession> m_session;
};

// How this program takes part in the game.
struct AppRole {
  std::uint32_t host = 0;
  std::uint32_t singlePlayer = 0;
  std::uint32_t standAlone = 0;
  std::uint32_t settingsLocked = 0;
  std::uint32_t lobbyLaunch = 0;
  std::uint32_t emailGame = 0;
  std::string lobbyArgument;
  std::uint32_t lobbyConnectResult = 0;
};

// The chapter the player plays, and the one a joining player gives up.
struct AppChapter {
  std::uint16_t id = kNoChapterChosen;
  std::uint16_t secondId = kNoChapterChosen;
  std::uint16_t perGuild = 8;
  char name[32] = "Rangers";
};

// The connection and whether a session is open and joined.
struct AppNetwork {
  ConnectionInfo connection;
  std::uint32_t sessionOpen = 0;
  std::uint32_t inSession = 0;
};

// The saved game or scenario chosen to load.
struct AppLoad {
  char fileName[255] = {};  // non-empty is the loaded-game flag
  char directory[257] = {};
  std::uint32_t scenario = 0;
  std::uint32_t mode = 1;

  bool LoadedGame() const { return fileName[0] != '\0'; }
};

// The front end's way back through its screens.
struct AppScreens {
  std::array<std::uint16_t, 50> history{};
  std::uint16_t count = 0;
  std::uint16_t frontEndWord = 0;
};

class CClntApp : public CClntBase {
 public:
  // Builds everything in order and runs the front end.
  CClntApp(plat::HINSTANCE instance, int showCommand, const char* commandLine);
  ~CClntApp() override;

  // The main loop: the exit code of a WM_QUIT, or 0 when the player quit or
  // the front end ended without a game.
  virtual int Run();

  // Nonzero when the main window exists.
  int CreateMainWindow(plat::HINSTANCE instance, int showCommand);
  void ApplyGameColors(std::uint32_t saveFirst);
  void RestoreSystemColors();

  // Settings files.
  void WriteUserInfo();
  // False when the file was missing or damaged (and should be written whole).
  bool ReadUserInfo(const char* fileName);
  // Reads "UserInfo.dat" at start: a damaged file is written again whole from
  // what was good; a missing one stays missing, since the title takes that
  // for the program's first start.
  void LoadUserInfo();
  void WriteEmailInfo();
  // The game set-up.
  void ResetSettings(std::int16_t group, std::int16_t level);
  std::uint16_t GetDifficulty(std::uint16_t mode) const;
  void SendGameSettings(GameSettingsPacket& packet, std::uint16_t chapterSlot);
  // Asks the others for their settings and waits (bounded by the session's
  // receive limit) for a packet 53; false when none came.
  bool RequestGameSettings(GameSettingsPacket& destination, std::uint16_t chapterSlot);
  void ApplyReceivedSettings(const GameSettingsPacket& packet);

  // Game start and tear-down.
  int StartFrontEnd(const char* commandLine);
  // The exit code of a start that could not go on (no window, or an
  // installation the game cannot play from); 0 when the start went on.
  int StartRefused() const { return m_startRefused; }
  void UnwindToScreen(std::int16_t screen);
  void TearDownGame();
  // Ends the running game for the front end (the main loop tears it down
  // when it next comes round); the next game's turns start afresh.
  void LeaveGame();
  // The application's part of a saved game, after the game data: 1, or 0
  // without a current view (nothing written).
  int SaveState(plat::FILE* file);
  // Reads it back, makes the views again and goes to the saved view; 1.
  int LoadState(plat::FILE* file);
  int DeleteReplayFiles();
  int DeleteReviewLogs();

  // The low-disk check, movies.
  void CheckDiskSpace(plat::HWND owner);
  void PlayMovie(const char* name);
  void PlayIntro();

  // The six views, made and deleted together. Making them ends a restart's
  // wait and drops the autosave kept over it (TakeKeptAutosave first).
  void CreateViews(std::initializer_list<ViewType> order);
  void DeleteViews();
  // No view current, then none at all.
  void ReleaseViews();
  IGameView* View(ViewType type) const;

  // A text of the program's text index (empty when absent).
  std::string Text(const char* id) const;
  const CIDString& TextIndex() const { return m_text; }
  // The program's OK box in the local chapter's guild, over `display`.
  void ShowTextBox(const char* id);
  // Draws the current view whole at once: background, panels, lamps and scene
  // (what the main loop does when m_fullRedraw is set, which it clears).
  void RedrawWholeView();

  // The play state the main window's messages move the game through. In
  // play the loop runs the view's frames and takes packets on its idle
  // passes; out of play (a load, a save, a turn being processed) it takes
  // them between messages instead.
  bool InPlay() const { return m_playPhase != 0; }
  void PausePlay() { m_playPhase = 0; }
  void ResumePlay() { m_playPhase = 1; }
  // While busy the player's input to the views is ignored.
  bool Busy() const { return m_busy != 0; }
  void SetBusy(bool busy) { m_busy = busy ? 1 : 0; }
  // The loop's next pass draws the current view whole (RedrawWholeView).
  bool FullRedrawRequested() const { return m_fullRedraw != 0; }
  void RequestFullRedraw() { m_fullRedraw = 1; }
  // An Escape that came while the turn was processed, pressed again once the
  // turn's results are in.
  bool EscapeDeferred() const { return m_pendingEscape != 0; }
  void DeferEscape() { m_pendingEscape = 1; }
  // True, once, when an Escape was deferred.
  bool TakeDeferredEscape();

  // Calls into the game in progress: the main window's procedure and the
  // loop's own packet passes, frames and redraws each count one while they
  // run. A message that deletes the game and its views (a restart, a load)
  // is carried out only as the one call running: one that reaches the window
  // inside another (a dialog's loop opened by a view or a packet handler) is
  // kept and carried out once that call has returned, or the dialog, view or
  // handler below would go on with what was deleted under it.
  class GameCall {
   public:
    explicit GameCall(CClntApp& app) : m_app(app) { ++m_app.m_gameCalls; }
    ~GameCall() { --m_app.m_gameCalls; }
    GameCall(const GameCall&) = delete;
    GameCall& operator=(const GameCall&) = delete;

   private:
    CClntApp& m_app;
  };
  bool InsideAnotherCall() const { return m_gameCalls > 1; }
  // Keeps a message for later (at most kMostKeptMessages; one repeated at
  // once is kept once).
  void KeepForLater(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
  // Carries out the kept messages in order, through the window procedure,
  // when no call is running; the loop calls it after each of its calls.
  void CarryOutKeptMessages();
  static constexpr std::size_t kMostKeptMessages = 8;

  // The server's answer the game waits for (ServerWait.h), reckoned on the
  // session's contact clock. A restart deleted the game's views: its wait
  // ends when they are made again over the new world (the restart's views,
  // the game-started message, the next turn's results once the world came,
  // or a load). `ownSave`: the player's own save the answer settles.
  // TakeServerAnswer: what an answer that came does (`givenUp`: the refusal
  // posted in place of an overdue one).
  void AwaitServerAnswer(ServerAnswer answer, SaveFile ownSave = {});
  ServerWait::Taken TakeServerAnswer(ServerAnswer answer, bool givenUp) { return m_serverWait.Take(answer, givenUp); }
  std::size_t OwedOwnSaves() const { return m_serverWait.OwedOwnSaves(); }
  bool AwaitsRestartViews() const { return m_serverWait.Awaited() == ServerAnswer::RestartWorld; }
  // Gives up a wait whose time is up as the server's refusal would end it: a
  // save as failed, a load as refused (each told, the game going on), a
  // restart's world as not coming (GiveUpRestart). Called on every pass of
  // the game loop and on the main window's sound timer, which every dialog's
  // loop delivers too: the bound holds however busy the queue or deep the loop.
  void EndOverdueServerWait();
  // The restart's world is not coming: the player is told and taken back to
  // the front end, where the last autosave can be loaded, rather than left
  // in an empty game no server plays.
  void GiveUpRestart();
  // An autosave the server asked for while the restart's world was awaited:
  // kept for that world, and written once it has come, before its turn's
  // results; dropped when the wait ends any other way.
  void KeepAutosave(std::uint32_t identifier) { m_keptAutosave = identifier; }
  std::optional<std::uint32_t> TakeKeptAutosave() { return std::exchange(m_keptAutosave, std::nullopt); }
  // Lets go of a screen flush that nothing holds any more, and draws the
  // screen whole: see PlayState.cpp.
  void ReleaseUnheldScreenFlush();

  // The game loop of Run: whether it goes on, and whether leaving it ends the
  // program rather than going back to the front end.
  bool Running() const { return m_running != 0; }
  bool QuitRequested() const { return m_quit != 0; }
  // Leaves the loop, whichever way it was to end.
  void StopGameLoop() { m_running = 0; }
  void QuitToDesktop();
  void ReturnToFrontEnd();

  // Makes the view of `type` current when there is one and draws the current
  // view with `renderArgument`, which kRenderOnce gives for this drawing only.
  void ShowView(ViewType type, std::int32_t renderArgument);
  std::int32_t RenderArgument() const { return m_renderArgument; }
  // The seed the game's random draws start from; saved with the game.
  void SeedGameRandom(std::uint32_t seed);
  std::uint32_t RandomSeed() const { return m_gameRandomSeed; }
  // The cursor moved: the loop's next pass delivers one mouse move.
  void NoteMouseMove(plat::DWORD now);
  bool MouseMovePending() const { return m_lastMouseMove != 0xFFFFFFFF; }

  // What the front end chose, read by the game and the screens.
  const AppRole& Role() const { return m_role; }
  const AppChapter& Chapter() const { return m_chapter; }
  const AppNetwork& Network() const { return m_network; }
  const AppLoad& Load() const { return m_load; }
  const PlayerOptions& Options() const { return m_options; }
  // The game set-up blocks; null until the settings were first read.
  const GameConfigPacket* GameConfig() const { return m_gameConfig.get(); }
  const GameSettingsPacket* GameSettings() const { return m_gameSettings.get(); }
  // The records the screens edit in place, field by field as the player goes.
  ConnectionInfo& ConnectionToEdit() { return m_network.connection; }
  PlayerOptions& OptionsToEdit() { return m_options; }
  GameConfigPacket& ConfigToEdit() { return *m_gameConfig; }
  GameSettingsPacket& SettingsToEdit() { return *m_gameSettings; }
  // The chapter's name the player types on the guild screen (32 bytes).
  char* ChapterNameToEdit() { return m_chapter.name; }
  // The configuration as the in-game screen left it, when there is one.
  void ReplaceConfig(const GameConfigPacket& config);

  // The way this program takes part, as the front end's screens choose it.
  void ChooseToHost() { m_role.host = 1; }
  void ChooseSinglePlayer() { m_role.singlePlayer = 1; }
  void ChooseStandAlone(bool standAlone) { m_role.standAlone = standAlone ? 1 : 0; }
  // Whether the game's settings are fixed already, as the server answered
  // (nonzero when they are).
  void KeepSettingsLocked(std::uint32_t locked) { m_role.settingsLocked = locked; }
  // An e-mail game: one being made by the server program with
  // `serverCommand`, or one whose turns are being processed or played.
  void ChooseNewEmailGame(std::string serverCommand);
  void ChooseEmailGame() { m_role.emailGame = 1; }
  // One turn of an e-mail game played as `chapter`, from the input file in
  // the directory chosen before.
  void PlayEmailTurnAs(std::uint16_t chapter);

  // The connection's service; the session opens it as chosen.
  void ChooseService(std::uint16_t connectionKind, std::uint8_t serviceType);
  void ChooseConnection(std::uint16_t connectionKind) { m_network.connection.connectionKind = connectionKind; }
  // The session to create: its description, or for a saved game hosted
  // again its name after the game's file (which the caller made sure fits).
  void DescribeSession(const char* description);
  void NameSessionAfterGameFile();
  // The saved game being joined comes from its host: none is named here.
  void ForgetSessionName() { m_network.connection.sessionName[0] = '\0'; }
  // The local server runs and this player hosts it alone.
  void HostLocalGame(std::uint16_t connectionKind);
  // A session this player created (and so hosts) is open and joined.
  void HostOpenedSession();
  void NoteSessionJoined();
  // The service's settings the connection screens filled in, kept between them.
  const std::array<std::uint8_t, 336>& ServiceSettings() const { return m_settingsBlock; }
  void KeepServiceSettings(const std::array<std::uint8_t, 336>& settings) { m_settingsBlock = settings; }

  // The saved game or scenario to load (a scenario from the scenario folder);
  // the directory alone for an e-mail game's input file.
  void ChooseGameFile(const char* directory, const char* fileName);
  void ChooseGameFile(const char* directory, const char* fileName, bool scenario);
  void ChooseGameDirectory(const char* directory);
  // No game is to be loaded after all.
  void ForgetGameFile() { m_load.fileName[0] = '\0'; }
  // The load request asked for the chosen load; later ones are asked as usual.
  void ResetLoadMode() { m_load.mode = 1; }

  // The chapter the player takes, holding it, or only chooses while waiting
  // for the game.
  void ClaimChapter(std::uint16_t chapter, std::uint16_t chaptersPerGuild);
  void ChooseChapter(std::uint16_t chapter, std::uint16_t chaptersPerGuild);
  // As many chapters a guild as the configuration has.
  void TakeChapterCountFromConfig() { m_chapter.perGuild = m_gameConfig->chapters; }

  // The configuration's marks for a game that starts, and one that starts
  // from a file (the settings then locked as the file's host chose).
  void MarkConfigForStart() { m_gameConfig->word12 = 1; }
  void MarkConfigFromFile(bool settingsLocked);
  // The settings carry the configuration's lock.
  void CarryConfigLockToSettings() { m_gameSettings->word16 = m_gameConfig->word36; }
  // The player's own settings, to the others for `chapterSlot`.
  void SendOwnSettings(std::uint16_t chapterSlot) { SendGameSettings(*m_gameSettings, chapterSlot); }
  // Asks the others for their settings, unless a set-up screen that was just
  // left sent this player's (SkipNextSettingsRequest).
  void RefreshGameSettings();
  void SkipNextSettingsRequest() { m_settingsRequested = 0; }

  // The front end's way back through its screens, from its first screen.
  AppScreens& RestartScreenHistory();
  // The front end's backdrop, lent to each screen in turn.
  std::unique_ptr<CSprite> TakeBackdrop();
  void ReturnBackdrop(std::unique_ptr<CSprite> backdrop);

  bool LoadedGame() const { return m_load.LoadedGame(); }

 private:
  // The settings file's view of the names, chapter, set-up blocks and
  // options; makes the set-up blocks first when there are none.
  UserInfoFields UserInfo();

  // One packet of the session handled as one call; true when one was taken.
  bool DispatchPacketAsOneCall();
  // The e-mail turn's input file played as one call; false when it could not be.
  bool ProcessEmailTurnAsOneCall();

  // Tests set up the states the front end and the server would lead to.
  friend struct AppTestState;

  // Fields, with their start values.
  std::array<std::unique_ptr<IGameView>, 6>
      m_views;  // design, terrain, solar, asteroid space, terrain replay, space replay
  std::unique_ptr<CFrameTimer> m_frameTimer;
  std::int32_t m_screenWidth = kScreenWidth;
  std::int32_t m_screenHeight = kScreenHeight;
  int m_showCommand = 0;
  int m_startRefused = 0;
  AppRole m_role;
  AppChapter m_chapter;
  AppNetwork m_network;
  AppLoad m_load;
  AppScreens m_screens;
  std::string m_commandLine;
  std::uint8_t m_settingsRequested = 1;
  std::array<std::uint8_t, 336> m_settingsBlock{};
  std::unique_ptr<GameConfigPacket> m_gameConfig;
  std::unique_ptr<GameSettingsPacket> m_gameSettings;
  PlayerOptions m_options;
  plat::COLORREF m_savedTipText = 0xFFFFFFFF;
  plat::COLORREF m_savedTipBack = 0xFFFFFFFF;
  std::uint8_t m_screenSaverWasActive = 0;
  std::uint8_t m_menuAnimationWasOn = 0;
  std::unique_ptr<CSprite> m_backdrop;

  std::uint32_t m_pendingEscape = 0;
  int m_gameCalls = 0;
  struct KeptMessage {
    plat::UINT message;
    plat::WPARAM wParam;
    plat::LPARAM lParam;
  };
  std::vector<KeptMessage> m_keptMessages;
  ServerWait m_serverWait;
  std::optional<std::uint32_t> m_keptAutosave;
  plat::DWORD m_lastMouseMove = 0xFFFFFFFF;
  std::uint32_t m_playPhase = 0;
  std::uint32_t m_fullRedraw = 0;
  std::uint32_t m_running = 0;
  std::uint32_t m_quit = 0;
  std::uint32_t m_busy = 0;
  std::int32_t m_renderArgument = -1;
  std::uint32_t m_gameRandomSeed = 0;
  CIDString m_text;
  plat::HMODULE m_frontEndModule = nullptr;
};

// Exit codes of a start the application refuses, after naming the cause on
// standard error and, where somebody can answer one, in a box.
constexpr int kExitInstallationDamaged = 4;
constexpr int kExitNoWindow = 5;

// The program's entry: creates the application, runs it and deletes it.
// Returns 0, or the exit code of a refused start.
int WinMain(plat::HINSTANCE instance, plat::HINSTANCE previous, const char* commandLine, int showCommand);
// Creates the application; null when the player left the front end without a
// game (the application is then deleted again).
CClntApp* CreateClntApp(plat::HINSTANCE instance, int showCommand, const char* commandLine);
void DestroyClntApp();

// The main window's procedure and the thread's message hook.
plat::LRESULT MainWndProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
plat::LRESULT GetMessageHookProc(int code, plat::WPARAM removeFlag, plat::LPARAM message);

// Delivers the cursor position to the current view as one mouse move.
void DeliverMouseMove();

// The quit question: asks, then ends the game to the desktop or the main menu.
void ConfirmQuit(std::uint32_t toDesktop, plat::HWND parent);
