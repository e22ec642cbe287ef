#pragma once
// The session machinery behind CHvMulti. A session is a star: the host keeps
// one TCP connection to every other member and relays their traffic, so each
// member's messages arrive whole and in the order sent. The host's engine also
// answers session enumeration on UDP. Every socket is served by the engine's
// own thread; the client's thread only queues sends and takes received
// messages, under one lock.
//
// Routing (done by the host): a message to HVM_ID_SESSION reaches every member,
// the sender too; to HVM_ID_ALLPLAYERS every member but the sender; to a player
// identifier that player alone. In a client-server session every game packet of
// a member other than the server program goes to the server program alone, with
// the destination it named, so that the server decides what to pass on.
//
// Game packets take a short road: a send is handed to the socket on the
// caller's thread (the engine thread only finishes what the socket did not
// take), a check for messages with none waiting reads the sockets on the
// caller's thread, and packet buffers are recycled, so the steady state makes
// no allocation per packet. A received packet is copied once, from the
// connection's read buffer into the caller's, unless the sockets are read
// again while it waits. Packets sent back to back are written together
// (by the caller once a good deal waits, by Flush, by the caller's next look
// for messages, or by the engine thread once a member's sender pauses), one
// system call for many. While the
// caller keeps looking for messages itself, the engine thread leaves the
// players' sockets to it, so the two seldom wait for each other's lock; a host
// relays what such a look reads at once. Such a look reads one socket found
// ready, and the next once the game has taken what that one held, and the
// engine thread leaves a connection whose packets were just read to the game
// for a moment rather than copy each of them out to read behind them. A host whose game looks only now and
// then (once a frame) still passes packets between members on as they come,
// on the engine thread: they are not its game's to wait for. Having passed
// one on, that thread looks again for a moment without sleeping, so that the
// answer to it does not wait for the thread to wake.
//
// A member of a client-server session sends the server program no more than
// its budget of packets (TransportLimits.h): past it, it is dropped at once,
// and its packets still waiting for the server program are taken back.
//
// A host never drops the server program of a client-server session for the
// bytes waiting towards it: when it reads more slowly than members send, the
// member with the most bytes waiting is dropped instead, and its frames not yet
// started are taken back.
//
// A member whose connection ends, who sends anything that is not a valid
// frame for its state, who completes no frame within the idle limit
// (TransportLimits.h), or whose socket takes none of the bytes waiting for it
// within that limit while sends to it are refused as busy, is dropped and the
// others get a leave notice.

#include <poll.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "hvmulti/Connection.h"
#include "hvmulti/HvMRecords.h"
#include "hvmulti/Ring.h"
#include "hvmulti/Socket.h"
#include "hvmulti/TransportLimits.h"
#include "hvmulti/Wire.h"

namespace hvm {

struct PlayerInfo {
  std::uint32_t id = 0;
  std::uint8_t flags = 0;  // kPlayerServer, kPlayerHost
  std::string shortName;
  std::string longName;
};

struct HostOptions {
  Endpoint bindAt;
  HvMSession_Struct session;
  bool clientServer = false;
  std::string serverToken;  // the secret the server program joins with
  std::string guid;
  std::uint32_t version = 0;
};

class Engine {
 public:
  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Creates a session with the local player as its host. 0 or an HVM_ERR_* code.
  int Host(const HostOptions& options, const PlayerInfo& local, std::uint32_t& localId);
  // Joins the session at `at`, waiting at most `timeoutMs` for the host's
  // answer. 0 or an HVM_ERR_* code (the host's refusal code when it refused).
  int Join(const Endpoint& at, const HelloFrame& hello, int timeoutMs, std::uint32_t& localId);
  // Leaves the session (the host ends it for everyone). Nothing when none is open.
  void Close();
  bool InSession() const;

  // Queues a game packet or a chat text. 0 or an HVM_ERR_* code.
  int SendData(std::uint32_t from, std::uint32_t to, std::span<const std::uint8_t> data, std::uint32_t extra);
  int SendChat(std::uint32_t from, std::uint32_t to, const std::string& text);
  // Hands queued bytes to the sockets now, on the calling thread.
  void Flush();

  // Received messages, oldest first.
  int CheckMessages();
  int GetTop(std::uint8_t* buffer, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to, std::uint32_t* extra);

  // Removes a player: the local one leaves; the host removes another one.
  int DeletePlayer(std::uint32_t id);
  // The host takes no more players. 0, or HVM_ERR_NOSESSION.
  int StopJoining();
  void SetHeartbeat(bool on);
  // Takes effect for connections accepted and frames completed from now on.
  void SetLimits(const TransportLimits& limits);
  // Waits (servicing the idle hook) until the server program joined; false after `timeoutMs`.
  bool WaitForServer(int timeoutMs);

  std::vector<PlayerInfo> Players() const;
  // The session as its members see it (password shown as "x").
  HvMSession_Struct Session() const;
  // The TCP port a hosted session listens on; 0 when not hosting.
  std::uint16_t HostPort() const;
  // The server program's identifier in a client-server session, else HVM_ID_NONE.
  std::uint32_t ServerId() const;

 private:
  enum class Role { None, Host, Client };
  enum class PeerState { Pending, Player, Closing };
  // A run of whole frames from one member, by stream position.
  struct Share {
    std::uint32_t origin = 0;
    Connection::Span bytes;
  };
  struct Peer {
    explicit Peer(Fd fd) : conn(std::move(fd)) {}
    Connection conn;
    PeerState state = PeerState::Pending;
    std::uint32_t id = 0;
    std::uint32_t address = 0;   // the peer's IPv4 address
    std::int64_t accepted = 0;   // ms: when the connection was accepted
    std::int64_t deadline = 0;   // ms: for a pending peer to say hello, a closing one to flush
    std::int64_t lastFrame = 0;  // ms: when the peer last completed a frame
    std::uint64_t written = 0;   // conn.Written() when last looked at
    std::int64_t lastWrite = 0;  // ms: since when the peer has taken no byte while busy
    bool dead = false;
    // Of the server program's connection: who sent the bytes waiting in it,
    // in stream order from shares[shareStart].
    std::vector<Share> shares;
    std::size_t shareStart = 0;
    // The member's budget of packets to the server program, and when it was
    // last counted (ms; 0 before its first packet).
    double requests = 0;
    std::int64_t requestsAt = 0;
  };
  // A received message. A game packet the engine has just read is not copied:
  // it stays in its connection's read buffer (`lender`), which keeps it until
  // the connection is read again or goes, when Reclaim copies it into `data`.
  // A game that takes its messages before its sockets are read again (it reads
  // them itself once it has taken all that waits) so copies each packet once,
  // into its own buffer.
  struct InMessage {
    int result = 0;
    std::uint32_t from = 0, to = 0, extra = 0;
    std::vector<std::uint8_t> data;
    Connection* lender = nullptr;
    std::span<const std::uint8_t> lent;  // the bytes in the lender's buffer
  };

  void Run();
  void StartThread();
  void StopThread();
  void ResetState();
  static std::int64_t NowMs();
  static std::int64_t NowNs();
  // Hands every connection's queued bytes to its socket, on the calling
  // thread. True when that left the engine thread work: bytes the socket did
  // not take, or a connection to drop.
  bool WriteQueued();
  // Counts one look of the game's for messages.
  void CountLook();
  // Host: notes, once enough time has passed since it last did, whether the
  // game looks for messages often enough to pass packets on by itself.
  void CountLooks();
  // Writes what a burst left for the engine thread, if anything.
  void WriteOwed();
  // A member's burst is owed to the engine thread, but its sender is still
  // sending and will write it itself once a good deal waits.
  bool HoldingBurst() const;

  // Host side.
  void AcceptPeers();
  // A newcomer may be accepted: the connections waiting for their hello (from
  // `address`, or in all) are below their count, or are so once the hellos
  // already received are taken, or one that had its time was pushed out.
  bool MakeRoom(const std::uint32_t* address, std::int64_t now);
  // Some connection waiting for its hello has had its time to say it.
  bool AnyPendingOverGrace(std::int64_t now) const;
  std::size_t PendingFrom(const std::uint32_t* address) const;
  // Two members or more: packets may pass from one to another through the host.
  bool MembersToRelay() const;
  void AnswerEnumeration();
  void ServePeer(Peer& peer, short events);
  void HandlePeerFrame(Peer& peer, Frame& frame);
  void AdmitPeer(Peer& peer, const HelloFrame& hello);
  void RefusePeer(Peer& peer, int code);
  void RemovePlayer(std::uint32_t id);
  void SweepPeers();
  // The receivers of a message, in targets_.
  void Targets(std::uint32_t from, std::uint32_t to, bool data);
  // Hands a chat text to the receivers in targets_.
  void DeliverChat(const ChatFrame& chat);
  // `source` is the connection whose read buffer holds the payload, lent to
  // the local player's message; none for a payload the caller still owns.
  void DeliverData(const DataView& data, Connection* source);
  // Notes that `origin` queued the bytes from `begin` on to the server program.
  void NoteShare(Peer& server, std::uint32_t origin, std::uint64_t begin);
  // The server program's queue is past the drop limit: members with the most
  // bytes waiting in it are dropped, and their frames not yet started taken
  // back, until it is within the limit or only the host's own are left.
  void DropFlooders(Peer& server);
  // Takes back the frames of `member` that wait for the server program and
  // the socket has not started on.
  void TakeBackFrames(Peer& server, std::uint32_t member);
  // Counts one packet of `peer` to the server program, read at `now` (ms),
  // against its budget (TransportLimits); false, and the member dropped, when
  // it is spent.
  bool SpendRequest(Peer& peer, std::int64_t now);
  // Marks every peer past the drop limit dead, the server program aside.
  void DropOverLimit();
  // Adds a received message holding the bytes from `begin` to `end` (and a
  // terminating zero when `zeroEnd`).
  template <class It>
  void Push(int result, std::uint32_t from, std::uint32_t to, std::uint32_t extra, It begin, It end,
            bool zeroEnd = false);
  // Adds a received game packet that stays in `source`'s read buffer.
  void PushLent(const DataView& data, Connection& source);
  // Copies the messages lent by `conn` into their own buffers, before it is
  // read again or ends.
  void Reclaim(Connection& conn);
  // Serves what the sockets hold now, on the calling thread. True when that
  // left the engine thread work: bytes to write, or a connection to drop.
  bool ReadNow();
  // Host: the peers whose sockets hold something now (every readable one when
  // there is one alone), in lookPeers_ from lookNext_ = 0.
  void LookAtPeers();
  Peer* FindPeer(std::uint32_t id);
  std::uint32_t NextId();
  HvMSession_Struct SessionForMembers() const;

  // Member side.
  void ServeHub(short events);
  // Takes the hub's complete frames, game packets too; false when the hub was
  // lost (a malformed frame, or the host removed the local player).
  bool TakeHubFrames();
  void HandleHubFrame(Frame& frame);
  // Takes the connection's complete frames, Data frames in place; false when
  // the connection broke its format.
  template <class OnData, class OnFrame>
  bool TakeFrames(Connection& conn, std::int64_t& lastFrame, OnData onData, OnFrame onFrame);
  void LoseHub();

  void PushNotice(std::int32_t code, std::uint32_t id);
  void SendKeepAlives();
  // While the game leaves its messages waiting, nothing is read, so the idle
  // time of the connections does not run.
  void PauseIdleClocks(std::int64_t now);
  // The connection is past the busy mark and its socket took no byte for the
  // idle limit: its reader has stopped, and the game's sends to it would be
  // refused for ever. `written` and `since` are the caller's record of it.
  bool WriteStalled(const Connection& conn, std::uint64_t& written, std::int64_t& since, std::int64_t now) const;
  bool KnownPlayer(std::uint32_t id) const;

  mutable std::mutex mu_;
  std::condition_variable serverJoined_;
  std::thread thread_;
  bool stopping_ = false;
  WakeSignal wake_;

  Role role_ = Role::None;
  std::uint32_t localId_ = 0;
  std::vector<PlayerInfo> players_;
  Ring<InMessage> inbox_;
  std::vector<std::uint32_t> targets_;
  // The engine thread's own, kept between its turns.
  std::vector<pollfd> pollFds_;
  std::vector<Peer*> polled_;
  // The client's thread's own, for ReadNow: the peers its last look found
  // ready, read from lookNext_ on.
  std::vector<pollfd> lookFds_;
  std::vector<Peer*> lookPeers_;
  std::size_t lookNext_ = 0;
  // How often the client's thread looked for messages. The rest is the
  // engine thread's own: the count it last saw and when that changed
  // (lastLook_, ms); the count when it last judged the pace of the looks
  // (from lookCountFromNs_), and whether the game then looked so often that
  // it is looking on and on.
  std::atomic<std::uint64_t> looks_{0};
  std::uint64_t looksSeen_ = 0;
  std::int64_t lastLook_ = 0;
  std::uint64_t looksCounted_ = 0;
  std::int64_t lookCountFromNs_ = 0;
  bool gameLooksOn_ = false;
  // Packets passed from one member to another, and when the engine thread
  // last passed one (ns).
  std::uint64_t relays_ = 0;
  std::int64_t lastRelayNs_ = 0;
  // Sending: when the client's thread last sent a packet (ns), whether it
  // flushed since, and whether the engine thread owes a write of a burst.
  std::int64_t lastSendNs_ = 0;
  bool flushedSinceSend_ = false;
  bool flushOwed_ = false;
  HvMSession_Struct session_;
  bool clientServer_ = false;
  bool heartbeat_ = false;
  TransportLimits limits_;
  std::int64_t nextKeepAlive_ = 0;

  // Host.
  Fd listener_;
  Fd udp_;
  Endpoint bound_;
  std::vector<std::unique_ptr<Peer>> peers_;
  std::string guid_;
  std::uint32_t version_ = 0;
  std::string password_;
  std::string serverToken_;
  std::uint32_t serverId_ = 0;
  std::uint32_t nextId_ = 1;
  bool joinOpen_ = false;

  // Member.
  std::unique_ptr<Connection> hub_;
  std::int64_t hubLastFrame_ = 0;
  std::uint64_t hubWritten_ = 0;
  std::int64_t hubLastWrite_ = 0;
  bool hubLost_ = false;
};

}  // namespace hvm
