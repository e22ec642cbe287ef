#pragma once
// The client's one connection to a game. It wraps the multiplayer library,
// keeps the local player's record and the library identifiers of the player
// slots, owns the packet queue, and is the only road by which game packets
// leave: sequenced to one slot or to all (Send), unsequenced to all
// (BroadcastUnsequenced). In an e-mail game (or in file-send mode) packets go
// to the turn file instead. Main thread only.
//
// Sequence numbers count per sender and receiving player, and a receiver
// orders each sender's packets by that sender's own numbers. In a
// client-server game everything a client sends reaches the server program
// first, so a client numbers all its packets in one sequence; in a
// peer-to-peer game a packet to all players goes to each in turn with that
// player's next number.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Game/net/ConnectionInfo.h"
#include "hvmulti/HvMRecords.h"
#include "hvmulti/HvMTypes.h"
#include "platform/core/clock.h"
#include "platform/core/files.h"
#include "platform/core/types.h"

class CHvMulti;
class CHvChatManager;
class CHvPlayerList;
class CPacketQueue;
class INetSniffer;

// The application's GUID and protocol version, given to the library.
constexpr const char* kApplicationGuid = "e0b9e800-e3da-11d0-8a2b-006097983ced";
constexpr int kApplicationVersion = HVM_PROTOCOL_VERSION;
// Player slots of the identifier table.
constexpr int kPlayerSlots = HVM_MAX_PLAYERS;
// The slot that means "all players".
constexpr int kAllPlayersSlot = -1;

// A clock and its pause: what the session's waits for the other side are
// reckoned on.
class IContactClock {
 public:
  virtual ~IContactClock() = default;
  virtual plat::DWORD Now() = 0;
  virtual void Pause(plat::DWORD ms) = 0;
};
// Real time, whatever the program's clock does; the program's own clock
// (which tests may make virtual).
IContactClock& RealContactClock();
IContactClock& ProgramContactClock();

class CNetSession {
 public:
  // Makes the packet sniffer when the PACKETSNIFFER setting is on. Its boxes,
  // the login screen and the quit go to the client shell, the e-mail turn
  // file's packets to the packet sink.
  CNetSession();
  // The same over a library object of the caller's (a stand-in in tests).
  explicit CNetSession(std::unique_ptr<CHvMulti> library);
  ~CNetSession();
  CNetSession(const CNetSession&) = delete;
  CNetSession& operator=(const CNetSession&) = delete;

  // Creates the packet queue (5 nodes) when there is none; the library's ReceiveThread result.
  int StartReceiving();
  // Fills the service identifiers and the online flags of `info` from the library.
  void EnumServices(ConnectionInfo& info);
  // Opens the lobby's service: 0 without a text (only `opened` is set).
  int InitAutoLaunch(const char* launchText);
  // The lobby or single-player start: 0 when the game is ready, else an error
  // or the library's answer.
  int AutoLaunchConnect(const char* launchText);
  // Opens the chosen service, after the login screen when the service needs it.
  int InitService(const ConnectionInfo& info, HvMServiceEx_Struct* settings);
  // Joins the chosen session; negative on failure.
  int OpenAndJoin(const ConnectionInfo& info);
  // Hosts a client-server game, starting the server program from the
  // installation directory; 1 or 2 on success.
  int CreateAndJoinCS(const ConnectionInfo& info, HvMServiceEx_Struct* settings);
  // Hosts a game without a server program; 1 or 2 on success.
  int CreateAndJoin(const ConnectionInfo& info);

  // Stores the local player's identifier in `slot`. False for a slot outside the table.
  bool StoreOwnId(int slot);
  // Stores a player's identifier in `slot` (packet 4). False for a slot outside the table.
  bool StorePlayerId(int slot, std::uint32_t id);

  // Waits for the next game packet, skipping library messages, and points
  // `data` at it (valid until the next fill). 0 with a packet;
  // HVM_ERR_CONNECTIONLOST when every other player has left, so that nothing
  // can come any more, and, reported as a lost connection, when none came
  // within receiveLimitMs or the packet queue overflowed.
  int Receive(std::uint8_t** data);
  // A sequenced, guaranteed send to player `slot` or, for -1, to all. False when
  // the slot lies outside the table or the connection was lost.
  bool Send(int slot, void* packet, std::uint32_t length);
  // An unsequenced, guaranteed send to all; any slot but -1 sends nothing.
  bool BroadcastUnsequenced(int slot, void* packet, std::uint32_t length);
  // The send core. False when the connection was lost.
  bool SendPacket(std::uint32_t to, void* packet, std::uint32_t length, int snifferSlot, int fileSlot, int unsequenced,
                  int guaranteed);
  // Pulls the library's waiting messages into the queue; the time is not used.
  // A queue that overflows is reported once as a lost connection.
  void Pump(std::uint32_t ms);
  // The host ends the game for everyone: packet 5, unsequenced.
  void BroadcastEndGame();
  // A library notice that player `id` left: the server program's leaving (or
  // the local player's own removal) is a lost connection, reported as a
  // failed send would be.
  void NoteLeft(std::uint32_t id);
  // The game is over (packet 19) or was left: its server ends by itself, so
  // a lost connection is no longer reported until the next session opens.
  void NoteGameEnded() { gameEnded_ = true; }
  // Whether the session's game is over (its server gone or going).
  bool GameEnded() const { return gameEnded_; }
  // Another player's load that this player agreed to (its question answered
  // yes): only that game's load data is taken.
  void AgreeLoad(std::uint32_t identifier);
  // Keeps the load data packet of the agreed load for the main loop, which
  // loads it outside the dispatcher; false (nothing kept, the agreement kept)
  // for a load never agreed to.
  bool KeepAgreedLoad(std::span<const std::uint8_t> packet);
  // The kept load data packet, handed over once; empty when none waits.
  std::vector<std::uint8_t> TakeKeptLoad();

  std::unique_ptr<CHvMulti> multi;
  std::unique_ptr<CHvChatManager> chat;
  std::unique_ptr<CHvPlayerList> players;
  std::unique_ptr<CPacketQueue> queue;
  std::uint32_t joinState = 0;
  std::unique_ptr<HvMSession_Struct> sessionDesc;
  HvMPlayer_Struct player;
  std::uint32_t playerIds[kPlayerSlots] = {};
  std::unique_ptr<INetSniffer> sniffer;
  std::uint16_t sendCount = 0;
  std::uint32_t emailMode = 0;
  std::uint32_t fileSendMode = 0;
  std::string emailGameName;
  std::uint8_t joinByName = 0;
  std::unique_ptr<char[]> joinName;  // 260 bytes
  std::uint32_t opened = 0;
  plat::FILE* emailInput = nullptr;
  plat::HWND notifyWindow = nullptr;
  std::uint32_t emailHeader = 0;
  // The e-mail input ended on a record cut short or too long, not at its end.
  bool emailInputDamaged = false;
  // Set while the application's state loader resumes a saved game.
  std::uint32_t loadInProgress = 0;
  // The clock that the waits for the other side (Receive's limit, the busy
  // retries) are reckoned on, and their pause: real time, since the program's
  // own clock may be virtual and run ahead while the other side is working.
  IContactClock* contactClock = &RealContactClock();
  // The longest a blocking Receive waits for its packet.
  std::uint32_t receiveLimitMs = kReceiveLimitMs;
  static constexpr std::uint32_t kReceiveLimitMs = 60000;
  // The longest a send retries a busy library before the connection counts as lost.
  static constexpr std::uint32_t kSendBusyLimitMs = 10000;

 private:
  void EnsureQueue();
  static int ServiceCallback(const HvMService_Struct* service, void* table, std::uint32_t reserved);
  void FillSessionRecord(HvMSession_Struct& record, const ConnectionInfo& info) const;
  // The first steps of both creates: flags, the session record, the player's names.
  void PrepareCreate(const ConnectionInfo& info);
  // The lost-connection boxes (and the end of a running game), once a
  // session: the box's own keep-alive sends, and every send after it, fail the
  // same way.
  void ReportLostConnection();
  // A new session: its loss is reported again; its server is not known yet.
  void BeginSession();
  // One library send with the busy retries (kSendBusyLimitMs at most): the sequence (when `sequenced`)
  // of the player `counter` receives first; false when the connection was lost.
  bool SendOne(std::uint32_t to, std::span<std::uint8_t> packet, bool sequenced, std::uint32_t counter, int snifferSlot,
               int guaranteed);

  bool lostReported_ = false;
  bool gameEnded_ = false;
  bool loadAgreed_ = false;
  std::uint32_t agreedLoadId_ = 0;
  std::vector<std::uint8_t> keptLoad_;
  // The server program of the session, as last seen (the library forgets it
  // when it leaves).
  std::uint32_t serverId_ = HVM_ID_NONE;
};
