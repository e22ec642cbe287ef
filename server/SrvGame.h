#pragma once
// The server's game: the front end's questions (chapter lists, claims,
// names, configuration and settings), the start of play, and the turn cycle.
// Packets come in with the library identifier of their sender and go out
// through an outbox; the game never waits on the network, so one client's
// silence stalls nobody but the turn it holds up (and the turn time limit
// ends that).
//
// A packet that is short, out of range, from a player without the chapter it
// names, or out of its phase is refused: logged (the first thousand of each
// sender), never applied.
//
// One thread only.

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "server/SrvKeepAlive.h"
#include "server/SrvLog.h"
#include "server/world/SrvAsteroidNews.h"
#include "server/world/SrvFog.h"
#include "server/world/SrvSetup.h"
#include "server/world/SrvStartPackets.h"
#include "server/world/SrvWorld.h"

struct SrvTurnContext;

class SrvOutbox {
 public:
  virtual ~SrvOutbox() = default;
  // Sends to one player; a sequenced packet gets that player's next number,
  // an unsequenced one 0.
  virtual void Send(std::uint32_t player, const SrvPacket& packet, bool sequenced) = 0;
};

class SrvGame {
 public:
  // `folder` is where saves go (a host folder ending in '/', or empty for
  // the current one).
  SrvGame(SrvOutbox& out, SrvLog& log, SrvAsteroidNames names, std::uint32_t seed, std::string folder = "");

  // The rules new worlds are built from: the installation's files, or file
  // images (tests). False when they could not be read (the game then has no
  // designs and no units).
  bool LoadRules(std::string* fault = nullptr) { return m_world.LoadRules(fault); }
  bool UseRules(std::span<const std::uint8_t> hulls, std::span<const std::uint8_t> modules) {
    return m_world.UseRules(hulls, modules);
  }

  void PlayerJoined(std::uint32_t player);
  // The session's host, the one player who may configure, start and end the
  // game for everyone, and who may start it holding no chapter (a
  // stand-alone server).
  void SetHost(std::uint32_t player) { m_host = player; }
  // The player's chapter becomes computer-held; the game ends when no human
  // remains.
  void PlayerLeft(std::uint32_t player);
  // Handles one packet; false when it was refused.
  bool Receive(std::uint32_t from, std::span<const std::uint8_t> packet);
  // Ends the turn when its time limit has passed (`nowMs` from any steady
  // clock), or at once when no player holds a chapter.
  void Tick(std::uint64_t nowMs);

  // The server's own file of a running game: the set-up, the chapters'
  // holders' names, the world. Save is false when the file cannot be
  // written, an earlier file of that name being left as it was. Load takes a file of the same identifier
  // over, or leaves the game as it was and is false: a file that does not
  // open, is not a server file, is cut short or holds another identifier.
  // `turnsOn` is added to the turn the file names (the autosave's 1: the
  // clients' autosave of the same moment names the next turn).
  bool Save(const std::string& hostPath, std::uint32_t identifier, std::uint32_t turnsOn = 0) const;
  bool Load(const std::string& hostPath, std::uint32_t identifier);

  // The set-up agreed elsewhere (an e-mail game's), taken over before the start.
  // Where a load from the scenarios (place flag 1) finds its file; without
  // one such loads are refused.
  void SetScenarioFolder(std::string folder) { m_scenarioFolder = std::move(folder); }

  void UseSetup(const SrvSetup& setup) {
    if (!m_started) m_setup = setup;
  }
  // E-mail games: every chapter of the game is held by a player of its own,
  // player c + 1 holding chapter c, as each chapter's files stand for one.
  void SeatEveryChapter();
  // Ends the running turn now, whoever is still busy with it.
  void EndTurnNow();

  bool Started() const { return m_started; }
  // A session's game: its host gives the configuration when the start asks.
  bool Hosted() const { return m_host != 0; }
  bool Ended() const { return m_ended; }
  const SrvWorld& World() const { return m_world; }
  const SrvSetup& Setup() const { return m_setup; }
  // The player holding a chapter (0 for none: free or computer-held).
  std::uint32_t Holder(std::uint16_t chapter) const { return chapter < kMaxChapters ? m_holder[chapter] : 0; }

 private:
  bool Refuse(std::uint32_t from, std::uint16_t type, const char* why);
  // Refuses as Refuse does; a request whose sender waits for the answer (a
  // save, a load, a load or restart question) is also answered as refused
  // (9, 10, 12 or 28 with 0), so that its player is told and plays on.
  bool RefuseAnswering(std::uint32_t from, std::span<const std::uint8_t> packet, const char* why);
  // The player may configure and start the game: the session's host, or
  // anyone when the game has no host.
  bool MaySetUp(std::uint32_t player) const;
  std::int32_t HeldChapter(std::uint32_t player) const;
  // The player holds a chapter taken in play and has not been sent the game yet.
  bool StateDue(std::uint32_t player) const;
  // The player holds a chapter and its client has the game: the turn's
  // packets and the autosave are for it. One whose state is due would meet
  // them before the world they speak of.
  bool HasGame(std::uint32_t player) const;
  std::string ChapterName(std::uint16_t chapter) const;

  // The chapter list, to the sender; the host's 100 + n sets the chapters
  // per guild.
  bool OnChapterReports(std::uint32_t from, std::span<const std::uint8_t> p);
  bool OnChapterClaim(std::uint32_t from, std::span<const std::uint8_t> p);
  // A chapter the computer plays may go to a player who joined the game in
  // play and holds none; its state follows once that player's front end is
  // done (SendStateInPlay).
  bool MayTakeInPlay(std::uint32_t from, std::uint16_t chapter) const;
  // The name a granted claim (3) gives its chapter; an empty one keeps the name.
  void TakeClaimedName(std::uint16_t chapter, std::string name);
  // The start sequence of the chapter taken in play, as of the running turn,
  // then the turn's lamps as they stand and its guild's standing offers. Sent
  // once: until then the chapter's holder is left out of a restart's, a
  // load's and a turn's news.
  void SendStateInPlay(std::uint32_t player, std::uint16_t chapter);
  // The host's claim of chapter number 40: it runs the game without playing,
  // giving up any chapter it held; anyone else is refused.
  bool OnRunWithoutChapter(std::uint32_t from);
  // The host's settings (53 with flag 1), and any player's traits for the
  // chapter it holds, named at 8.
  bool OnSettings(std::uint32_t from, std::span<const std::uint8_t> p);
  // Passes the host's settings on, each receiver's own traits in place of the
  // host's (a client takes the traits it receives for its own chapter).
  void PassSettingsOn(std::uint32_t from);
  // A chapter nobody holds before the start: its holder's traits go with it.
  void ReleaseChapter(std::uint16_t chapter);
  bool OnConfig(std::uint32_t from, std::span<const std::uint8_t> p);
  bool OnPlayerName(std::uint32_t from, std::span<const std::uint8_t> p);
  // A waiting room's ready state, passed on to the others with the sender's
  // identifier filled in.
  bool OnReady(std::uint32_t from, std::span<const std::uint8_t> p);
  // The host's removal of a player, told to that player alone.
  bool OnRemovePlayer(std::uint32_t from, std::span<const std::uint8_t> p);
  bool OnStart(std::uint32_t from);
  bool OnEndTurn(std::uint32_t from, std::span<const std::uint8_t> p);
  // A chapter's order for this turn (SrvOrders.h, SrvZoneOrders.h), until its end of turn.
  bool OnOrder(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> p);
  // Passes a chat message on to the chapters it is addressed to: every other
  // one (255), the sender's guild (254) or one chapter.
  bool OnChat(std::uint32_t from, std::span<const std::uint8_t> p);
  // Chat for a chapter whose state is due, kept until the state is sent.
  void HoldChat(std::uint16_t chapter, const SrvPacket& message);
  // A chapter renamed in play by its holder, passed on to the others.
  bool OnChapterRenamed(std::uint32_t from, std::span<const std::uint8_t> p);
  // Passes the guild trade board's postings and withdrawals on to the
  // poster's guild.
  bool OnTradeBoard(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> p);
  // Sends the poster of a ship or vote offer (`packet`) its notice `code` at once.
  void TellOfferNotice(std::uint32_t player, std::uint16_t poster, std::uint16_t code, bool ship,
                       std::span<const std::uint8_t> packet);
  // A renegade (455) or imperator (456) vote of the sender's chapter.
  bool OnVote(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> p);
  // A sealed bid for a ship (457, SrvShipTrade.h) or an asteroid's vote (462,
  // SrvVoteTrade.h) on the guild's board.
  bool OnBid(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> p);
  // A purchase from a guild's mineral offer (SrvMineralTrade.h); the guild
  // is told how the offer stands.
  bool OnMineralTrade(std::uint32_t from, std::span<const std::uint8_t> p);
  // A player's design for its chapter's slot (SrvDesigns.h), passed on to the others.
  bool OnDesign(std::uint32_t from, std::span<const std::uint8_t> p);
  bool OnSaveOrLoad(std::uint32_t from, std::span<const std::uint8_t> p, bool save);
  // A player's load (11) or restart (27) request is put to every other
  // player who has the game; their answers (12, 28) are gathered into the
  // requester's.
  bool OnQuestion(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> p);
  bool OnAnswer(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> p);
  void FinishQuestionWhenAnswered();
  // A question some player leaves unanswered for a minute is answered no, so
  // that its asker waits no longer and the next question may be put.
  void EndQuestionUnanswered();
  // A new world of the same set-up, the next seed, sent to every player
  // between 21 (restart) and 22 (restart views).
  void Restart();
  // The bytes of the server's file (Save), or false when the world cannot be written.
  bool FileImage(std::uint32_t identifier, std::uint32_t turnsOn, std::vector<std::uint8_t>& bytes) const;
  // The turn's autosave, the one before kept as its backup. The players are
  // asked for their halves only once the server's own is written, so that a
  // failed write leaves every side's last pair whole; they are told of one.
  void Autosave();

  void SendChapterName(std::uint32_t to, std::uint16_t chapter);
  // What the session adds to the world's packets (SrvSessionNews.cpp): the
  // start sequence of a chapter's holder with its settings (54) and the
  // holders' player ids (4) before its start signal.
  std::vector<SrvPacket> StartSequenceFor(std::uint16_t chapter) const;
  // 54: the stored settings with the chapter's own traits.
  SrvPacket SettingsStoredPacket(std::uint16_t chapter) const;
  // 4, 16 bytes: u16 chapter at 8, u32 its holder's identifier at 12 (0 for none).
  SrvPacket PlayerIdPacket(std::uint16_t chapter) const;
  // 4 for `chapter` to every holder.
  void SendPlayerId(std::uint16_t chapter);
  // A player joining a game in play: 4 for every held chapter, and 51.
  void GreetPlayerInPlay(std::uint32_t player);
  // The chapters held by players that have ended the running turn.
  std::uint16_t TurnLampCount() const;
  // 31: `chapter` ended its turn, and how many lamps are lit.
  SrvPacket TurnLampsPacket(std::uint16_t chapter) const;
  // 31 to every holder after `chapter` ended its turn.
  void SendTurnLamps(std::uint16_t chapter);
  // A turn begins waiting for the players: the keep-alive counts from now.
  void TurnBegins();
  // While a turn waits: keep-alive requests (26), and silent players dropped.
  void KeepAliveTick();
  // After a player's load (7): 10 to it, and when the game was loaded, each
  // holder its settings (54) and a status request (51).
  void AfterLoad(std::uint32_t loader, bool loaded);
  // What the turn changed of the asteroids and the class stat ranges, into
  // the chapters' queues before the orbits advance.
  void TurnNews(SrvTurnContext& turn);
  void SendToOthers(std::uint32_t from, const SrvPacket& packet, bool sequenced = false);
  void SendRoomStart();
  // Makes the world and sends each player its start sequence.
  void StartGame();
  void ResolveTurn();

  SrvOutbox& m_out;
  SrvLog& m_log;
  SrvAsteroidNames m_names;
  std::uint32_t m_seed;
  std::string m_folder;
  std::string m_scenarioFolder;
  SrvSetup m_setup;
  SrvWorld m_world;
  // What each chapter's client has been told of the others' units.
  SrvUnitSight m_sight;
  // ... and of the asteroids.
  SrvAsteroidNews m_asteroidNews;
  // The class stat ranges (508) last sent.
  SrvPacket m_classRanges;
  SrvKeepAlive m_alive;
  // An e-mail game's chapters are played apart, each from its files: no turn
  // lamps, no player ids, no keep-alive.
  bool m_byFiles = false;
  // The names of chapters no player has named (SrvChapterNames.h).
  std::array<std::string, kMaxChapters> m_defaultNames;
  std::vector<std::uint32_t> m_players;
  std::array<std::uint32_t, kMaxChapters> m_holder{};
  std::array<std::string, kMaxChapters> m_names40{};
  // The traits each chapter's holder chose before the start.
  SrvChapterTraits m_traits{};
  std::array<bool, kMaxChapters> m_turnDone{};
  // Chapters taken in play whose holders have not been sent the game yet.
  std::array<bool, kMaxChapters> m_stateDue{};
  // Chat addressed to those chapters meanwhile: their front ends would drop
  // it, so it follows their state (at most kMaxHeldChat each, the oldest
  // giving way).
  std::array<std::vector<SrvPacket>, kMaxChapters> m_heldChat{};
  bool m_started = false;
  // A hosted start waits for the host's answer to 50 (at most a minute).
  bool m_configAsked = false;
  std::uint64_t m_configAskedMs = 0;
  bool m_ended = false;
  std::uint64_t m_turnStartMs = 0;
  bool m_autosave = true;
  std::uint32_t m_host = 0;
  std::map<std::uint32_t, std::uint32_t> m_refusals;
  // The saves each player had the server write: in the turn counted, and the
  // names of the files (SrvGameSave.cpp bounds both).
  struct SaveCount {
    std::uint32_t turn = 0;
    int thisTurn = 0;
    std::vector<std::string> files;
  };
  std::map<std::uint32_t, SaveCount> m_saveCounts;
  // Each player's last announced waiting-room state: waiting rooms repeat
  // theirs on every refresh, and only a change (or a newcomer) is passed on.
  std::map<std::uint32_t, std::uint32_t> m_ready;
  // A question waiting for the other players' answers (asker 0: none).
  std::uint32_t m_asker = 0;
  std::uint16_t m_question = 0;
  std::uint16_t m_askTag = 0;
  std::uint64_t m_askedMs = 0;
  // The players asked who have not answered yet.
  std::vector<std::uint32_t> m_awaited;
  bool m_agreed = true;
  std::uint64_t m_nowMs = 0;
  bool m_clockRead = false;
};
