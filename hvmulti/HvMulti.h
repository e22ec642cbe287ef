#pragma once
// The multiplayer library: services, sessions, players, sending and receiving.
//
// Services: TCP/IP carries real multiplayer games (host, join by address,
// session enumeration on the local network or at an address); the local
// service, opened by the launch text "HVSCS", carries a single-player game
// between the client and a server program on this machine over loopback. IPX,
// modem and serial link are listed by EnumServices but this machine has no such
// hardware: opening them fails with HVM_ERR_NOHARDWARE.
//
// Received messages wait in the library, in arrival order (and, per sender, in
// the order sent) until the client takes them with CheckMessages and GetTop.
// Receiving runs on the library's own thread; every call here is made from the
// client's one thread.
//
// The operations are virtual so that a test can stand in for the library.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hvmulti/HvMRecords.h"
#include "hvmulti/HvMTypes.h"
#include "hvmulti/ServerProgram.h"
#include "hvmulti/Socket.h"
#include "hvmulti/TransportLimits.h"

namespace hvm {
class Engine;
struct PlayerInfo;
}  // namespace hvm

// Gets each service in turn with the caller's context and 0; returns 0 to go on.
using HvMServiceCallback = int (*)(const HvMService_Struct* service, void* context, std::uint32_t reserved);
// Gets each session found; returns 0 to go on.
using HvMSessionCallback = int (*)(const HvMSession_Struct* session, void* context);

// One player of the session, as CHvPlayerList reads it.
struct HvMPlayerInfo {
  std::uint32_t id = 0;
  bool isServer = false;  // the server program of a client-server session
  bool isHost = false;    // the player who created the session
  std::string shortName;
  std::string longName;
};

class CHvMulti {
 public:
  CHvMulti();
  virtual ~CHvMulti();
  CHvMulti(const CHvMulti&) = delete;
  CHvMulti& operator=(const CHvMulti&) = delete;

  // Sends keep-alive frames every two seconds when `on` is non-zero (the
  // transport's own, less frequent ones go out either way). Returns 0.
  virtual int HeartBeatControl(std::uint32_t on);

  // Reports every service, then returns 0.
  virtual int EnumServices(HvMServiceCallback callback, void* context, std::uint32_t reserved);
  // Opens a service for the application `guid`. TCP/IP takes its address from
  // `settings` (offset 0: "host[:port]"; empty for the local network). 0, or
  // HVM_ERR_NOHARDWARE, HVM_ERR_BADSERVICE, HVM_ERR_BADGUID, HVM_ERR_INSESSION.
  virtual int InitServiceEx(std::uint32_t service, const char* guid, const HvMServiceEx_Struct* settings);
  // A launch by a lobby. The text "HVSCS" opens the local service and answers
  // HVM_LAUNCH_HOST (16); no on-line lobby exists, so any other text gives
  // HVM_ERR_NOLOBBY. A version other than HVM_PROTOCOL_VERSION gives HVM_ERR_BADGUID.
  virtual int InitAutoLaunch(const char* launchText, const char* guid, int version);

  // Looks for sessions of the application: at the TCP/IP service's address, or
  // by broadcast on the local network when it names none. Waits at most
  // `timeoutMs` (0: one second; an address stops at its first answer), then
  // reports each session found. 0, or HVM_ERR_NOSERVICE.
  virtual int EnumSessions(HvMSessionCallback callback, void* context, std::uint32_t timeoutMs);
  // Joins a session reported by the last EnumSessions. Fills `player->id`.
  // 0, or HVM_ERR_NOSESSION, HVM_ERR_CONNECT, HVM_ERR_TIMEOUT or the host's refusal.
  virtual int OpenAndJoin(std::uint32_t session, const char* password, HvMPlayer_Struct* player);
  // Hosts a session in which every member talks to every other. The record's
  // name, description, password and maximum players are used. HVM_CREATED (1)
  // or an error.
  virtual int CreateAndJoin(const HvMSession_Struct* session, HvMPlayer_Struct* player);
  // Hosts a client-server session: creates it, starts the server program (by
  // its DOS name, in the current directory, with `commandLine` as its argument
  // when not empty) and waits until the server joined. The service type and the
  // settings are those the service was opened with; the two arguments are
  // accepted for the caller's sake. HVM_CREATED (1), or HVM_ERR_SERVERSTART
  // (also when the program ends before it joined), HVM_ERR_TIMEOUT and the
  // errors of CreateAndJoin. The server program ends with the session.
  virtual int CreateAndJoinCS(const HvMSession_Struct* session, HvMPlayer_Struct* player, const char* program,
                              const char* commandLine, std::uint32_t serviceType, const void* settings);
  // The server program's side of CreateAndJoinCS: joins the session that
  // started it (found through the environment the library gave it). 0, or
  // HVM_ERR_NOSESSION when the program was not started by the library.
  virtual int JoinAsServer(const char* guid, HvMPlayer_Struct* player);

  // The host takes no more players. 0, or HVM_ERR_NOSESSION.
  virtual int StopJoin();
  // Leaves the session; the host's leaving ends it for everyone. A server
  // program this library started is then waited for a few seconds and stopped
  // when it outstays them. 0, or HVM_ERR_NOSESSION.
  virtual int CloseSession();
  // Leaves the session and closes the service. Returns 0.
  virtual int CloseService();

  // Makes sure receiving runs on the library's thread. 0, or HVM_ERR_NOSESSION.
  virtual int ReceiveThread();
  // Number of received messages waiting.
  virtual int CheckMessages();
  // Takes the oldest message. `length` in: the buffer's size; out: the
  // message's. Returns HVM_MSG_PACKET, HVM_MSG_SYSTEM (i32 notice, u32 player),
  // HVM_MSG_CHAT (zero-terminated text), HVM_ERR_BUFFERSMALL (the message is
  // dropped and `length` says what it needed) or HVM_ERR_NOMESSAGE. `from` is
  // the sender (HVM_ID_NONE for notices), `extra` the guaranteed flag it was sent with.
  virtual int GetTop(std::uint8_t* buffer, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to,
                     std::uint32_t* extra);
  // Sends a packet of 1 to HVM_MAX_PACKET bytes from the local player to a
  // player, HVM_ID_ALLPLAYERS or HVM_ID_SESSION; a packet to a player who is
  // not in the session goes nowhere (or, in a client-server session, to the
  // server program as every packet does) and counts as sent. A packet sent
  // right behind another may wait a moment to go out with those that follow;
  // Flush, or the next CheckMessages, sends it at once. 0; HVM_ERR_BUSY
  // while too much is waiting to go out; HVM_ERR_TOOLARGE; HVM_ERR_CONNECTIONLOST; others.
  virtual int Send(std::uint32_t from, std::uint32_t to, const void* data, std::uint32_t length, std::uint8_t flags,
                   int guaranteed);
  // Hands what is queued to the network now. Returns 0.
  virtual int Flush();
  // A chat text of at most HVM_MAX_CHAT characters, received as HVM_MSG_CHAT.
  virtual int SendSzChat(std::uint32_t from, std::uint32_t to, const char* text);
  // The local player leaves; the host removes another player, who is told so
  // first. 0, HVM_ERR_NOTHOST, HVM_ERR_INVALIDPLAYER or HVM_ERR_NOSESSION.
  virtual int DeletePlayer(std::uint32_t id);

  // The players of the open session, the local one included.
  virtual std::vector<HvMPlayerInfo> GetPlayers();
  // The open session's record (password shown as "x"). 0, or HVM_ERR_NOSESSION.
  virtual int GetSessionDesc(HvMSession_Struct* session);
  // The port a hosted session listens on, to tell the other players; 0 when not hosting.
  virtual std::uint16_t GetHostPort();
  // The server program's identifier in a client-server session (every other
  // member's packets go to it alone); HVM_ID_NONE in a peer-to-peer session,
  // before the server joined, and without a session.
  virtual std::uint32_t GetServerId();

  // The transport's time and count limits, for the open session and later ones.
  void SetTransportLimits(const hvm::TransportLimits& limits);
  // How long CloseSession waits for a server program it started to end by
  // itself before stopping it.
  void SetServerGraceMs(int ms) { serverGraceMs_ = ms; }
  // Text of the last failure of a service, session or start call.
  const std::string& LastErrorText() const { return lastError_; }
  // The exit code of the last server program started by CreateAndJoinCS, once
  // it ended with its session or its failed start (128 + the signal number
  // when a signal ended it, the library's stop after its grace included); -1
  // before that.
  int ServerExitCode() const { return server_.ExitCode(); }

 private:
  enum class Service { None, Local, TcpIp };
  struct FoundSession {
    std::uint32_t id = 0;
    hvm::Endpoint at;
    HvMSession_Struct record;
  };

  int Fail(int code, std::string text);
  int Create(const HvMSession_Struct* session, HvMPlayer_Struct* player, bool clientServer, const std::string& token);
  bool HostEndpoint(hvm::Endpoint& at) const;
  void EndServer();

  std::unique_ptr<hvm::Engine> engine_;
  Service service_ = Service::None;
  std::string address_;
  std::string guid_;
  int version_ = HVM_PROTOCOL_VERSION;
  std::vector<FoundSession> found_;
  hvm::ServerProgram server_;
  int serverGraceMs_ = hvm::ServerProgram::kDefaultEndMs;
  std::string lastError_;
};
