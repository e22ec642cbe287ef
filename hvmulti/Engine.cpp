#include "hvmulti/Engine.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <random>

#include "hvmulti/HvMTypes.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"

namespace hvm {
namespace {

// Unsent bytes towards one member above which the local sender hears "busy".
constexpr std::size_t kBusyBytes = 256 * 1024;
// Unsent bytes towards one member above which it counts as not reading and is dropped.
constexpr std::size_t kDropBytes = 8 * 1024 * 1024;
// Received messages waiting above which the engine stops reading its sockets.
constexpr std::size_t kInboxHigh = 8192;
constexpr std::int64_t kClosingFlushMs = 2000;
// The keep-alive interval while the game asks for its heartbeat.
constexpr std::int64_t kHeartbeatMs = 2000;
constexpr int kPollSliceMs = 50;
// A packet sent within this time of the one before is part of a burst.
constexpr std::int64_t kBurstNs = 2000;
// Bytes of a burst the caller writes itself rather than leave to the engine
// thread. Fewer, larger writes cost the sender and the receiving side less per
// byte (a stream of 1 KiB packets went several times faster than in 16 KiB
// writes on loopback), and this stays well under the busy mark.
constexpr std::size_t kFlushChunk = 64 * 1024;
// How long the engine thread leaves a member's burst that is still going on
// to its sender before it looks again: waking it for every few packets cost
// the sender more than its writes. The end of a burst that is neither flushed
// nor followed by a look for messages waits at most about this long.
constexpr std::int64_t kHoldNs = 1000000;
// A game that looked for messages this recently is taken to go on doing so,
// reading its sockets itself whenever it has taken all that waits.
constexpr std::int64_t kGameReadsMs = 2;
// A game that looks for messages at least this many times a millisecond,
// counted over at least kLookCountNs, is looking on and on, and the reads of
// the sockets it makes whenever it has taken all that waits pass packets
// between members on as soon as this thread would. A game that looks once a
// frame looks a few times a frame.
constexpr std::uint64_t kLooksOnPerMs = 16;
constexpr std::int64_t kLookCountNs = 1000000;
// How long a host's engine thread that has just passed a packet from one
// member to another keeps looking at the sockets without sleeping. The answer
// to a packet follows within tens of microseconds, and waking the thread for
// each hop cost more than the hops themselves: a relayed trip while the host's
// game looked once a frame took 37-53 us, 1.9-3.7 times plain TCP through a
// relaying thread (medians of runs), and takes 13-16 us (1.02-1.05 times)
// looking on. A conversation going on keeps the thread looking; once it
// pauses this long, it sleeps. A quarter of this (50 us) measured no faster
// (13.7-15.2 us, with twice the wake-ups per packet) and leaves less room for
// an answer that takes its sender some work.
constexpr std::int64_t kRelayWatchNs = 200000;
// Listening ports the system is asked for before a host goes without enumeration.
constexpr int kPortAttempts = 8;

bool IsReservedId(std::uint32_t id) {
  return id == HVM_ID_NONE || id == HVM_ID_SESSION || id == HVM_ID_ALLPLAYERS || id == 65535;
}

}  // namespace

Engine::Engine() = default;

Engine::~Engine() { Close(); }

std::int64_t Engine::NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int64_t Engine::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool Engine::InSession() const {
  std::lock_guard lock(mu_);
  return role_ != Role::None;
}

int Engine::Host(const HostOptions& options, const PlayerInfo& local, std::uint32_t& localId) {
  std::lock_guard lock(mu_);
  if (role_ != Role::None) return HVM_ERR_INSESSION;
  if (!wake_.Valid()) return HVM_ERR_CONNECT;
  // Enumeration shares the port number; a host that cannot bind it still works
  // for players who know its address. A port the system picked is picked again
  // when its number is taken for UDP, so that the session can be found.
  for (int attempt = 1;; ++attempt) {
    listener_ = ListenTcp(options.bindAt, bound_);
    if (!listener_.Valid()) return HVM_ERR_CONNECT;
    udp_ = BindUdp(bound_);
    if (udp_.Valid() || options.bindAt.port != 0 || attempt == kPortAttempts) break;
  }

  session_ = options.session;
  std::uint32_t maxPlayers = session_.U32(HvMSession_Struct::kMaxPlayers);
  if (maxPlayers == 0 || maxPlayers > HVM_MAX_PLAYERS - 1) maxPlayers = HVM_MAX_PLAYERS - 1;
  session_.SetU32(HvMSession_Struct::kMaxPlayers, maxPlayers);
  std::uint32_t sessionId = 0;
  std::random_device rd;
  while (sessionId == 0) sessionId = rd();
  session_.SetU32(HvMSession_Struct::kSessionId, sessionId);
  password_ = session_.Text(HvMSession_Struct::kPassword, HvMSession_Struct::kPasswordWidth);
  guid_ = options.guid;
  version_ = options.version;
  serverToken_ = options.serverToken;
  clientServer_ = options.clientServer;
  serverId_ = 0;
  nextId_ = 1;
  joinOpen_ = true;

  PlayerInfo me = local;
  me.id = NextId();
  me.flags = kPlayerHost;
  players_ = {me};
  localId_ = localId = me.id;
  role_ = Role::Host;
  StartThread();
  return 0;
}

int Engine::Join(const Endpoint& at, const HelloFrame& hello, int timeoutMs, std::uint32_t& localId) {
  {
    std::lock_guard lock(mu_);
    if (role_ != Role::None) return HVM_ERR_INSESSION;
    if (!wake_.Valid()) return HVM_ERR_CONNECT;
  }
  Fd fd = ConnectTcp(at, timeoutMs);
  if (!fd.Valid()) return HVM_ERR_CONNECT;
  auto hub = std::make_unique<Connection>(std::move(fd));
  hub->Queue(EncodeFrame(hello));

  // The handshake runs on the caller's thread; the engine thread starts with
  // whatever the host sent after its welcome still in the read buffer.
  std::vector<PlayerInfo> others;
  const std::int64_t deadline = NowMs() + timeoutMs;
  for (;;) {
    const std::int64_t left = deadline - NowMs();
    if (left <= 0) return HVM_ERR_TIMEOUT;
    pollfd p{hub->Handle(), static_cast<short>(POLLIN | (hub->WantsWrite() ? POLLOUT : 0)), 0};
    ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(left, 50)));
    plat::RunIdleHook();
    if ((p.revents & POLLOUT) && !hub->WriteAvailable()) return HVM_ERR_CONNECT;
    if ((p.revents & (POLLIN | POLLHUP | POLLERR)) && !hub->ReadAvailable()) return HVM_ERR_CONNECT;
    Frame frame;
    for (;;) {
      const auto status = hub->NextFrame(frame);
      if (status == ParseStatus::NeedMore) break;
      if (status == ParseStatus::Garbage) return HVM_ERR_CONNECT;
      if (auto* joined = std::get_if<JoinedFrame>(&frame)) {
        others.push_back(PlayerInfo{joined->id, joined->flags, joined->shortName, joined->longName});
      } else if (auto* refuse = std::get_if<RefuseFrame>(&frame)) {
        return refuse->code < 0 ? refuse->code : HVM_ERR_CONNECT;
      } else if (auto* welcome = std::get_if<WelcomeFrame>(&frame)) {
        std::lock_guard lock(mu_);
        if (role_ != Role::None) return HVM_ERR_INSESSION;
        localId_ = localId = welcome->yourId;
        session_ = welcome->session;
        clientServer_ = (welcome->sessionFlags & kSessionClientServer) != 0;
        players_ = std::move(others);
        players_.push_back(PlayerInfo{localId_,
                                      static_cast<std::uint8_t>(hello.serverToken.empty() ? 0 : kPlayerServer),
                                      hello.shortName, hello.longName});
        hub_ = std::move(hub);
        hubLastFrame_ = hubLastWrite_ = NowMs();
        hubWritten_ = hub_->Written();
        hubLost_ = false;
        role_ = Role::Client;
        StartThread();
        return 0;
      } else {
        return HVM_ERR_CONNECT;
      }
    }
  }
}

void Engine::StartThread() {
  stopping_ = false;
  nextKeepAlive_ = NowMs();
  thread_ = std::thread([this] { Run(); });
}

void Engine::StopThread() {
  {
    std::lock_guard lock(mu_);
    stopping_ = true;
  }
  wake_.Raise();
  if (thread_.joinable()) thread_.join();
}

void Engine::Close() {
  Role role;
  {
    std::lock_guard lock(mu_);
    role = role_;
  }
  if (role == Role::None) return;
  StopThread();
  std::lock_guard lock(mu_);
  if (role_ == Role::Client && hub_) {
    // An orderly leave, given a moment to reach the host; the host treats a
    // plain end of the connection the same way.
    hub_->Queue(EncodeFrame(ByeFrame{}));
    const std::int64_t deadline = NowMs() + 500;
    while (hub_->WantsWrite() && NowMs() < deadline) {
      if (!hub_->WriteAvailable()) break;
      pollfd p{hub_->Handle(), POLLOUT, 0};
      ::poll(&p, 1, 20);
    }
  }
  ResetState();
}

void Engine::ResetState() {
  role_ = Role::None;
  inbox_.clear();  // before the connections whose buffers it may point into
  peers_.clear();
  lookPeers_.clear();
  lookNext_ = 0;
  hub_.reset();
  listener_.Reset();
  udp_.Reset();
  players_.clear();
  localId_ = 0;
  serverId_ = 0;
  joinOpen_ = false;
  hubLost_ = false;
  bound_ = {};
}

int Engine::SendData(std::uint32_t from, std::uint32_t to, std::span<const std::uint8_t> data, std::uint32_t extra) {
  if (data.empty() || data.size() > HVM_MAX_PACKET) return HVM_ERR_TOOLARGE;
  std::unique_lock lock(mu_);
  if (role_ == Role::None) return HVM_ERR_NOSESSION;
  if (from != localId_) return HVM_ERR_INVALIDPLAYER;
  if (role_ == Role::Client && hubLost_) return HVM_ERR_CONNECTIONLOST;
  // A packet to a player who is not (or no longer) in the session is not a
  // failure: the game treats every failed send as a lost connection, and one
  // player's leaving must not end the game for the others. The host routes it
  // (to the server program of a client-server session, else nowhere).
  const DataView frame{from, to, extra, data};
  bool chunk = false;  // a connection now holds a good deal to write
  if (role_ == Role::Client) {
    if (hub_->Pending() > kBusyBytes) return HVM_ERR_BUSY;
    hub_->QueueData(frame);
    chunk = hub_->Pending() >= kFlushChunk;
  } else {
    Targets(from, to, true);
    for (const auto t : targets_)
      if (const Peer* p = FindPeer(t); p && p->conn.Pending() > kBusyBytes) return HVM_ERR_BUSY;
    DeliverData(frame, nullptr);
    for (const auto t : targets_)
      if (const Peer* p = FindPeer(t)) chunk = chunk || p->conn.Pending() >= kFlushChunk;
  }
  // Packets sent back to back go out together, written by the engine thread
  // (or by the caller once a good deal waits, or by Flush): one system call
  // for many rather than one each. A packet on its own goes out at once.
  const std::int64_t now = NowNs();
  const bool burst = now - lastSendNs_ < kBurstNs && !flushedSinceSend_;
  lastSendNs_ = now;
  flushedSinceSend_ = false;
  bool wake = false;
  if (burst && !chunk) {
    wake = !flushOwed_;
    flushOwed_ = true;
  } else {
    wake = WriteQueued();
  }
  lock.unlock();
  if (wake) wake_.Raise();
  return 0;
}

bool Engine::WriteQueued() {
  // A failed write is the engine thread's to find and report.
  if (role_ == Role::Client) return hub_ && (!hub_->WriteAvailable() || hub_->WantsWrite());
  bool work = false;
  for (auto& p : peers_) {
    if (!p->dead && p->conn.WantsWrite() && !p->conn.WriteAvailable()) p->dead = true;
    work = work || p->dead || p->conn.WantsWrite();
  }
  return work;
}

int Engine::SendChat(std::uint32_t from, std::uint32_t to, const std::string& text) {
  if (text.size() > HVM_MAX_CHAT || text.find('\0') != std::string::npos) return HVM_ERR_TOOLARGE;
  std::unique_lock lock(mu_);
  if (role_ == Role::None) return HVM_ERR_NOSESSION;
  if (from != localId_) return HVM_ERR_INVALIDPLAYER;
  if (role_ == Role::Client && hubLost_) return HVM_ERR_CONNECTIONLOST;
  if (!KnownPlayer(to)) return HVM_ERR_INVALIDPLAYER;
  ChatFrame frame{from, to, text};
  if (role_ == Role::Client) {
    if (hub_->Pending() > kBusyBytes) return HVM_ERR_BUSY;
    hub_->Queue(EncodeFrame(frame));
  } else {
    Targets(from, to, false);
    for (const auto t : targets_)
      if (const Peer* p = FindPeer(t); p && p->conn.Pending() > kBusyBytes) return HVM_ERR_BUSY;
    DeliverChat(frame);
  }
  lock.unlock();
  wake_.Raise();
  return 0;
}

void Engine::Flush() {
  std::unique_lock lock(mu_);
  flushedSinceSend_ = true;
  if (role_ == Role::None || !WriteQueued()) return;
  lock.unlock();
  wake_.Raise();
}

int Engine::CheckMessages() {
  CountLook();
  std::unique_lock lock(mu_);
  if (role_ == Role::None) return static_cast<int>(inbox_.size());
  WriteOwed();
  if (!inbox_.empty()) return static_cast<int>(inbox_.size());
  const bool work = ReadNow();
  const int n = static_cast<int>(inbox_.size());
  lock.unlock();
  if (work) wake_.Raise();
  return n;
}

bool Engine::HoldingBurst() const {
  return role_ == Role::Client && flushOwed_ && hub_ && hub_->Pending() < kFlushChunk &&
         NowNs() - lastSendNs_ < kBurstNs;
}

void Engine::WriteOwed() {
  // A burst sent before the game came back to look for messages goes out now.
  if (flushOwed_ && WriteQueued()) wake_.Raise();
  flushOwed_ = false;
}

// A look lost to two callers at once only makes the pace a little slower;
// an atomic increment was a fifth of the time GetTop spent on its own.
void Engine::CountLook() { looks_.store(looks_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }

void Engine::CountLooks() {
  const std::int64_t now = NowNs();
  if (now - lookCountFromNs_ < kLookCountNs) return;
  const std::uint64_t looks = looks_.load(std::memory_order_relaxed);
  const auto ms = static_cast<std::uint64_t>((now - lookCountFromNs_) / 1000000);
  gameLooksOn_ = looks - looksCounted_ >= kLooksOnPerMs * ms;
  looksCounted_ = looks;
  lookCountFromNs_ = now;
}

bool Engine::ReadNow() {
  if (role_ == Role::Client) {
    if (!hub_) return false;
    ServeHub(POLLIN);
    if (hub_ && hub_->WantsWrite() && !hub_->WriteAvailable()) LoseHub();
    return !hub_ || hub_->WantsWrite();
  }
  // The sockets one look found ready are read one per call that finds the
  // inbox empty, so that the game takes a connection's packets while they are
  // still in the cache, not after seven others were read over them.
  for (bool looked = false; inbox_.empty();) {
    if (lookNext_ == lookPeers_.size()) {
      if (looked) break;
      LookAtPeers();
      looked = true;
      continue;
    }
    Peer* p = lookPeers_[lookNext_++];
    // Only one still listed is read: the engine thread may have dropped it since.
    if (std::any_of(peers_.begin(), peers_.end(), [p](const auto& q) { return q.get() == p; })) ServePeer(*p, POLLIN);
  }
  // What that relayed goes out now, not on the engine thread's next turn.
  return WriteQueued();
}

void Engine::LookAtPeers() {
  // One look at every socket rather than a read of each, when there are several.
  // A closing peer is only flushed; reading it would end it early.
  lookFds_.clear();
  lookPeers_.clear();
  lookNext_ = 0;
  for (auto& p : peers_) {
    if (p->dead || p->state == PeerState::Closing) continue;
    lookFds_.push_back({p->conn.Handle(), POLLIN, 0});
    lookPeers_.push_back(p.get());
  }
  if (lookFds_.size() <= 1) return;
  if (::poll(lookFds_.data(), lookFds_.size(), 0) <= 0) {
    lookPeers_.clear();
    return;
  }
  std::size_t ready = 0;
  for (std::size_t i = 0; i < lookFds_.size(); ++i)
    if (lookFds_[i].revents) lookPeers_[ready++] = lookPeers_[i];
  lookPeers_.resize(ready);
}

template <class It>
void Engine::Push(int result, std::uint32_t from, std::uint32_t to, std::uint32_t extra, It begin, It end,
                  bool zeroEnd) {
  // The slot keeps the buffer of the message it held before.
  InMessage& m = inbox_.PushSlot();
  m.result = result;
  m.from = from;
  m.to = to;
  m.extra = extra;
  m.data.assign(begin, end);
  if (zeroEnd) m.data.push_back(0);
  m.lender = nullptr;
}

void Engine::PushLent(const DataView& data, Connection& source) {
  InMessage& m = inbox_.PushSlot();
  m.result = HVM_MSG_PACKET;
  m.from = data.from;
  m.to = data.to;
  m.extra = data.extra;
  m.lender = &source;
  m.lent = data.payload;
  ++source.lent;
}

void Engine::Reclaim(Connection& conn) {
  // Lent messages were pushed since the connection's last read, so they are
  // found from the back.
  for (std::size_t i = inbox_.size(); conn.lent > 0 && i-- > 0;) {
    InMessage& m = inbox_[i];
    if (m.lender != &conn) continue;
    m.data.assign(m.lent.begin(), m.lent.end());
    m.lender = nullptr;
    --conn.lent;
  }
}

int Engine::GetTop(std::uint8_t* buffer, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to,
                   std::uint32_t* extra) {
  if (!buffer || !length) return HVM_ERR_BADPARAM;
  CountLook();
  std::unique_lock lock(mu_);
  if (role_ != Role::None) WriteOwed();
  if (inbox_.empty() && role_ != Role::None && ReadNow()) wake_.Raise();
  if (inbox_.empty()) return HVM_ERR_NOMESSAGE;
  // Read in place: the slot keeps its buffer for a later message.
  const InMessage& m = inbox_.front();
  if (from) *from = m.from;
  if (to) *to = m.to;
  if (extra) *extra = m.extra;
  const std::span<const std::uint8_t> bytes = m.lender ? m.lent : std::span<const std::uint8_t>(m.data);
  if (m.lender) --m.lender->lent;
  const auto size = static_cast<std::uint32_t>(bytes.size());
  int result = HVM_ERR_BUFFERSMALL;
  if (size <= *length) {
    std::copy(bytes.begin(), bytes.end(), buffer);
    result = m.result;
  }
  *length = size;
  inbox_.pop_front();
  if (inbox_.size() + 1 == kInboxHigh) wake_.Raise();  // reading may resume
  return result;
}

int Engine::DeletePlayer(std::uint32_t id) {
  {
    std::lock_guard lock(mu_);
    if (role_ == Role::None) return HVM_ERR_NOSESSION;
    if (id != localId_) {
      if (role_ != Role::Host) return HVM_ERR_NOTHOST;
      Peer* peer = FindPeer(id);
      if (!peer) return HVM_ERR_INVALIDPLAYER;
      // The removed player hears it first, then the others.
      peer->conn.Queue(EncodeFrame(LeftFrame{id}));
      peer->state = PeerState::Closing;
      peer->deadline = NowMs() + kClosingFlushMs;
      RemovePlayer(id);
      wake_.Raise();
      return 0;
    }
  }
  Close();
  return 0;
}

int Engine::StopJoining() {
  std::lock_guard lock(mu_);
  if (role_ == Role::None) return HVM_ERR_NOSESSION;
  joinOpen_ = false;
  return 0;
}

void Engine::SetHeartbeat(bool on) {
  std::lock_guard lock(mu_);
  heartbeat_ = on;
}

void Engine::SetLimits(const TransportLimits& limits) {
  std::lock_guard lock(mu_);
  limits_ = limits;
  nextKeepAlive_ = NowMs();
}

bool Engine::WaitForServer(int timeoutMs) {
  const std::int64_t deadline = NowMs() + timeoutMs;
  std::unique_lock lock(mu_);
  while (serverId_ == 0) {
    const std::int64_t left = deadline - NowMs();
    if (left <= 0 || role_ != Role::Host) return false;
    serverJoined_.wait_for(lock, std::chrono::milliseconds(std::min<std::int64_t>(left, 50)));
    lock.unlock();
    plat::RunIdleHook();
    lock.lock();
  }
  return true;
}

std::vector<PlayerInfo> Engine::Players() const {
  std::lock_guard lock(mu_);
  return players_;
}

HvMSession_Struct Engine::Session() const {
  std::lock_guard lock(mu_);
  return role_ == Role::Host ? SessionForMembers() : session_;
}

std::uint32_t Engine::ServerId() const {
  std::lock_guard lock(mu_);
  if (!clientServer_) return HVM_ID_NONE;
  for (const auto& p : players_)
    if (p.flags & kPlayerServer) return p.id;
  return HVM_ID_NONE;
}

std::uint16_t Engine::HostPort() const {
  std::lock_guard lock(mu_);
  return role_ == Role::Host ? bound_.port : 0;
}

// ---- the engine thread ----------------------------------------------------

void Engine::Run() {
  std::unique_lock lock(mu_);
  // Frames that came in behind the welcome (unless the client's thread took them first).
  if (role_ == Role::Client && hub_) TakeHubFrames();
  while (!stopping_) {
    const bool reading = inbox_.size() < kInboxHigh;
    // While the game's thread looks for messages, it reads the players'
    // sockets itself once it has taken what waits: this thread reading them
    // too would only wait for the lock, and make the game's thread wait for it
    // on every message it takes.
    // The game's look is seen even while it waits for the lock: were it seen
    // only once the game holds the lock, this thread, taking the lock again
    // right after each poll, could keep the game waiting on it and read for it.
    if (const std::uint64_t looks = looks_.load(std::memory_order_relaxed); looks != looksSeen_) {
      looksSeen_ = looks;
      lastLook_ = NowMs();
    }
    const bool gameReads = NowMs() - lastLook_ < kGameReadsMs;
    // Kept between turns, so a turn allocates nothing.
    std::vector<pollfd>& fds = pollFds_;
    std::vector<Peer*>& polled = polled_;
    fds.clear();
    polled.clear();
    fds.push_back({wake_.Fd(), POLLIN, 0});
    bool holding = false;
    bool leftToGame = false;
    const std::size_t firstPeer = role_ == Role::Host ? 3 : 2;
    // A packet from one member to another is the host's to pass on, not its
    // game's: it must not wait for the game's next look, which may come only
    // once a frame. So the players' sockets are watched even while the game
    // reads, unless the game is looking on and on: its own looks pass packets
    // on then, and this thread would wake for each one and make the game wait
    // for the lock.
    const bool watchRelays = role_ == Role::Host && gameReads && !gameLooksOn_ && MembersToRelay();
    if (role_ == Role::Host) {
      // While no newcomer can be given room, the listener is not watched: it
      // would report the waiting connections on every turn.
      const bool accepting = PendingFrom(nullptr) < limits_.maxPending || AnyPendingOverGrace(NowMs());
      fds.push_back({listener_.Get(), static_cast<short>(accepting ? POLLIN : 0), 0});
      fds.push_back({udp_.Valid() ? udp_.Get() : -1, POLLIN, 0});
      const std::int64_t now = NowMs();
      for (auto& p : peers_) {
        // Packets just read and not yet taken are left to the game a moment:
        // reading their connection again would first copy each of them out of
        // its buffer, on this thread and under the lock the game waits for
        // (with eight senders of 1 KiB packets, 8% of the processor time).
        const bool fresh = p->conn.lent > 0 && now - p->lastFrame < kGameReadsMs;
        leftToGame = leftToGame || fresh;
        const bool read = reading && !fresh && p->state != PeerState::Closing &&
                          (watchRelays || !(gameReads && p->state == PeerState::Player));
        fds.push_back(
            {p->conn.Handle(), static_cast<short>((read ? POLLIN : 0) | (p->conn.WantsWrite() ? POLLOUT : 0)), 0});
        polled.push_back(p.get());
      }
    } else {
      const bool live = hub_ != nullptr;
      holding = HoldingBurst();
      fds.push_back({live ? hub_->Handle() : -1,
                     static_cast<short>((reading && !gameReads ? POLLIN : 0) |
                                        (live && hub_->WantsWrite() && !holding ? POLLOUT : 0)),
                     0});
    }
    const bool relaying = role_ == Role::Host && NowNs() - lastRelayNs_ < kRelayWatchNs;
    const std::int64_t waitNs = relaying  ? 0
                                : holding ? kHoldNs
                                          : (gameReads || leftToGame ? kGameReadsMs : kPollSliceMs) * 1000000;
    lock.unlock();
    const timespec wait{static_cast<time_t>(waitNs / 1000000000), static_cast<long>(waitNs % 1000000000)};
    const int ready = ::ppoll(fds.data(), fds.size(), &wait, nullptr);
    // Looking on without sleeping, the thread leaves its processor to any
    // other that is ready: holding it would hold up the very members whose
    // answer it waits for (kept, it made the mean trip 6-12 times slower on a
    // busy machine).
    if (relaying && ready == 0) std::this_thread::yield();
    if (role_ == Role::Host) CountLooks();
    lock.lock();
    if (stopping_) break;
    // A burst its sender is still adding to stays owed, and unwritten.
    const bool hold = HoldingBurst();
    if (!reading) PauseIdleClocks(NowMs());
    if (fds[0].revents & POLLIN) wake_.Clear();
    if (role_ == Role::Host) {
      if (fds[1].revents & POLLIN) AcceptPeers();
      if (fds[2].revents & POLLIN) AnswerEnumeration();
      const std::uint64_t relays = relays_;
      for (std::size_t i = 0; i < polled.size(); ++i) ServePeer(*polled[i], fds[firstPeer + i].revents);
      if (relays_ != relays) lastRelayNs_ = NowNs();
      // Frames queued while serving others, or by the client's thread.
      WriteQueued();
      SweepPeers();
    } else if (hub_) {
      ServeHub(static_cast<short>(fds[firstPeer - 1].revents & (hold ? ~POLLOUT : ~0)));
      if (hub_ && !hold && hub_->WantsWrite() && !hub_->WriteAvailable()) LoseHub();
      if (hub_ && NowMs() - hubLastFrame_ > limits_.idleLimitMs) LoseHub();
      if (hub_ && WriteStalled(*hub_, hubWritten_, hubLastWrite_, NowMs())) LoseHub();
    }
    if (!hold) flushOwed_ = false;  // written above, or waiting for the socket to take it
    if (NowMs() >= nextKeepAlive_) SendKeepAlives();
  }
}

void Engine::AcceptPeers() {
  const std::int64_t now = NowMs();
  for (;;) {
    // Room for a newcomer is made at the expense of a connection that had its
    // time to say hello and did not: refusing newcomers instead would let a few
    // silent connections lock every real player out, and pushing out one whose
    // hello is merely on its way would turn real joiners away.
    if (!MakeRoom(nullptr, now)) return;  // the rest wait in the system's queue
    Endpoint from;
    Fd fd = AcceptTcp(listener_, from);
    if (!fd.Valid()) return;
    MakeRoom(&from.address, now);
    auto peer = std::make_unique<Peer>(std::move(fd));
    peer->address = from.address;
    peer->accepted = now;
    peer->deadline = now + limits_.helloTimeoutMs;
    peer->lastWrite = now;
    peers_.push_back(std::move(peer));
  }
}

bool Engine::MakeRoom(const std::uint32_t* address, std::int64_t now) {
  const std::size_t limit = address ? limits_.maxPendingPerAddress : limits_.maxPending;
  if (PendingFrom(address) < limit) return true;
  for (auto& p : peers_)
    if (p->state == PeerState::Pending && !p->dead) ServePeer(*p, POLLIN);
  if (PendingFrom(address) < limit) return true;
  Peer* oldest = nullptr;
  for (auto& p : peers_) {
    if (p->state != PeerState::Pending || p->dead || (address && p->address != *address)) continue;
    if (now - p->accepted < limits_.pendingGraceMs) continue;
    if (!oldest || p->accepted < oldest->accepted) oldest = p.get();
  }
  if (!oldest) return false;
  oldest->dead = true;
  return true;
}

bool Engine::MembersToRelay() const {
  std::size_t members = 0;
  for (const auto& p : peers_)
    if (p->state == PeerState::Player && !p->dead && ++members == 2) return true;
  return false;
}

bool Engine::AnyPendingOverGrace(std::int64_t now) const {
  return std::any_of(peers_.begin(), peers_.end(), [&](const auto& p) {
    return p->state == PeerState::Pending && !p->dead && now - p->accepted >= limits_.pendingGraceMs;
  });
}

std::size_t Engine::PendingFrom(const std::uint32_t* address) const {
  return static_cast<std::size_t>(std::count_if(peers_.begin(), peers_.end(), [address](const auto& p) {
    return p->state == PeerState::Pending && !p->dead && (!address || p->address == *address);
  }));
}

void Engine::AnswerEnumeration() {
  std::vector<std::uint8_t> datagram;
  Endpoint from;
  while (ReceiveDatagram(udp_, datagram, from)) {
    const auto query = ParseEnumQuery(datagram);
    if (!query || !joinOpen_ || query->guid != guid_ || query->version != version_) continue;
    SendDatagram(udp_, from, EncodeEnumAnswer(EnumAnswer{bound_.port, SessionForMembers()}));
  }
}

void Engine::ServePeer(Peer& peer, short events) {
  if (peer.dead) return;
  if (events & POLLOUT) {
    if (!peer.conn.WriteAvailable()) {
      peer.dead = true;
      return;
    }
  }
  if (peer.state == PeerState::Closing) {
    // Only flushed, so never read: a POLLIN here was asked for while it still
    // waited for its hello, and its refusal must still go out.
    if (events & (POLLHUP | POLLERR)) peer.dead = true;
    return;
  }
  if (!(events & (POLLIN | POLLHUP | POLLERR))) return;
  if (peer.conn.lent > 0) Reclaim(peer.conn);
  const bool open = peer.conn.ReadAvailable();
  const std::int64_t now = NowMs();  // all the packets came in one read
  const bool whole = TakeFrames(
      peer.conn, peer.lastFrame,
      [&](DataView& data) {
        if (peer.state != PeerState::Player) return false;
        if (!SpendRequest(peer, now)) return false;
        data.from = peer.id;  // a member speaks only for itself
        DeliverData(data, &peer.conn);
        return true;
      },
      [&](Frame& frame) {
        HandlePeerFrame(peer, frame);
        return !peer.dead && peer.state != PeerState::Closing;
      });
  if (!whole) {
    if (peer.state != PeerState::Closing) peer.dead = true;
    return;
  }
  if (!open) peer.dead = true;
}

// Each handler returns false to stop (the connection is done with); a
// malformed frame stops as well. True when every complete frame was taken.
template <class OnData, class OnFrame>
bool Engine::TakeFrames(Connection& conn, std::int64_t& lastFrame, OnData onData, OnFrame onFrame) {
  const std::int64_t now = NowMs();  // all of them came in one read
  for (;;) {
    DataView data;
    auto status = conn.NextData(data);
    if (status == ParseStatus::NeedMore) return true;
    if (status == ParseStatus::Garbage) return false;
    lastFrame = now;
    if (status == ParseStatus::Ok) {
      if (!onData(data)) return false;
      continue;
    }
    Frame frame;
    if (conn.NextFrame(frame) != ParseStatus::Ok || !onFrame(frame)) return false;
  }
}

void Engine::HandlePeerFrame(Peer& peer, Frame& frame) {
  if (peer.state == PeerState::Pending) {
    if (auto* hello = std::get_if<HelloFrame>(&frame))
      AdmitPeer(peer, *hello);
    else
      peer.dead = true;
    return;
  }
  if (auto* chat = std::get_if<ChatFrame>(&frame)) {
    chat->from = peer.id;
    Targets(chat->from, chat->to, false);
    DeliverChat(*chat);
  } else if (std::holds_alternative<PingFrame>(frame)) {
  } else {
    peer.dead = true;  // a Bye, or a frame only the host may send
  }
}

void Engine::AdmitPeer(Peer& peer, const HelloFrame& hello) {
  const bool asServer = !hello.serverToken.empty();
  if (hello.guid != guid_ || hello.version != version_) return RefusePeer(peer, HVM_ERR_BADGUID);
  if (asServer && (!clientServer_ || serverId_ != 0 || hello.serverToken != serverToken_))
    return RefusePeer(peer, HVM_ERR_BADPARAM);
  if (!asServer && !joinOpen_) return RefusePeer(peer, HVM_ERR_JOINCLOSED);
  if (!asServer && hello.password != password_) return RefusePeer(peer, HVM_ERR_PASSWORD);
  const auto members =
      std::count_if(players_.begin(), players_.end(), [](const PlayerInfo& p) { return !(p.flags & kPlayerServer); });
  if (!asServer && static_cast<std::uint32_t>(members) >= session_.U32(HvMSession_Struct::kMaxPlayers))
    return RefusePeer(peer, HVM_ERR_SESSIONFULL);

  PlayerInfo info{NextId(), static_cast<std::uint8_t>(asServer ? kPlayerServer : 0), hello.shortName, hello.longName};
  for (const auto& p : players_) peer.conn.Queue(EncodeFrame(JoinedFrame{p.id, p.flags, p.shortName, p.longName}));
  peer.conn.Queue(EncodeFrame(
      WelcomeFrame{info.id, static_cast<std::uint8_t>(clientServer_ ? kSessionClientServer : 0), SessionForMembers()}));
  const auto joined = EncodeFrame(JoinedFrame{info.id, info.flags, info.shortName, info.longName});
  for (auto& other : peers_)
    if (other->state == PeerState::Player) other->conn.Queue(joined);
  peer.state = PeerState::Player;
  peer.id = info.id;
  players_.push_back(info);
  PushNotice(HVM_NOTICE_JOINED, info.id);
  if (asServer) {
    serverId_ = info.id;
    serverJoined_.notify_all();
  }
}

void Engine::RefusePeer(Peer& peer, int code) {
  peer.conn.Queue(EncodeFrame(RefuseFrame{code}));
  peer.state = PeerState::Closing;
  peer.deadline = NowMs() + kClosingFlushMs;
}

void Engine::RemovePlayer(std::uint32_t id) {
  const auto it = std::find_if(players_.begin(), players_.end(), [id](const PlayerInfo& p) { return p.id == id; });
  if (it == players_.end()) return;
  players_.erase(it);
  if (id == serverId_) serverId_ = 0;
  const auto left = EncodeFrame(LeftFrame{id});
  for (auto& other : peers_)
    if (other->state == PeerState::Player && other->id != id) other->conn.Queue(left);
  PushNotice(HVM_NOTICE_LEFT, id);
}

void Engine::SweepPeers() {
  const std::int64_t now = NowMs();
  for (auto& p : peers_) {
    if (p->dead) continue;
    if (p->state == PeerState::Pending && now >= p->deadline) p->dead = true;
    if (p->state == PeerState::Player && now - p->lastFrame > limits_.idleLimitMs) p->dead = true;
    if (p->state == PeerState::Player && WriteStalled(p->conn, p->written, p->lastWrite, now)) p->dead = true;
    if (p->state == PeerState::Closing && (!p->conn.WantsWrite() || now >= p->deadline)) p->dead = true;
  }
  DropOverLimit();
  // Removing a player queues leave notices to the others, which may push one of
  // them over its limit; repeat until nothing changes.
  bool removed = true;
  while (removed) {
    removed = false;
    for (auto it = peers_.begin(); it != peers_.end(); ++it) {
      if (!(*it)->dead) continue;
      const bool wasPlayer = (*it)->state == PeerState::Player;
      const std::uint32_t id = (*it)->id;
      if ((*it)->conn.lent > 0) Reclaim((*it)->conn);
      peers_.erase(it);
      if (wasPlayer) RemovePlayer(id);
      DropOverLimit();
      removed = true;
      break;
    }
  }
}

void Engine::DropOverLimit() {
  for (auto& p : peers_) {
    if (p->dead || p->conn.Pending() <= kDropBytes) continue;
    // The server program reading more slowly than a member floods it is no
    // reason to end the game for everyone: the flooder goes instead.
    if (p->state == PeerState::Player && p->id == serverId_)
      DropFlooders(*p);
    else
      p->dead = true;
  }
}

bool Engine::SpendRequest(Peer& peer, std::int64_t now) {
  if (!clientServer_ || serverId_ == 0 || peer.id == serverId_) return true;
  if (peer.requestsAt == 0) {
    peer.requests = static_cast<double>(limits_.requestBurst);
  } else {
    peer.requests =
        std::min(static_cast<double>(limits_.requestBurst),
                 peer.requests + static_cast<double>(now - peer.requestsAt) * limits_.requestsPerSecond / 1000.0);
  }
  peer.requestsAt = now;
  if (peer.requests >= 1.0) {
    peer.requests -= 1.0;
    return true;
  }
  // Past its budget the member is flooding: it goes, and what of it still
  // waits for the server program is taken back, so that the others' packets
  // queued behind are not held up by it.
  peer.dead = true;
  if (Peer* server = FindPeer(serverId_)) TakeBackFrames(*server, peer.id);
  return false;
}

void Engine::NoteShare(Peer& server, std::uint32_t origin, std::uint64_t begin) {
  // Runs are kept to a bounded length, so that taking a flooder's frames back
  // leaves at most one run of it behind (the one the socket has started on).
  constexpr std::uint64_t kRunBytes = 64 * 1024;
  auto& shares = server.shares;
  const std::uint64_t written = server.conn.Written();
  while (server.shareStart < shares.size() && shares[server.shareStart].bytes.end <= written) ++server.shareStart;
  if (server.shareStart == shares.size()) {
    shares.clear();
    server.shareStart = 0;
  }
  const std::uint64_t end = server.conn.Queued();
  if (!shares.empty() && shares.back().origin == origin && shares.back().bytes.end == begin &&
      end - shares.back().bytes.begin <= kRunBytes) {
    shares.back().bytes.end = end;
    return;
  }
  if (server.shareStart > 0 && server.shareStart * 2 >= shares.size()) {
    shares.erase(shares.begin(), shares.begin() + static_cast<std::ptrdiff_t>(server.shareStart));
    server.shareStart = 0;
  }
  shares.push_back(Share{origin, {begin, end}});
}

void Engine::DropFlooders(Peer& server) {
  while (server.conn.Pending() > kDropBytes) {
    const std::uint64_t written = server.conn.Written();
    // Bytes waiting per member; the host's own (its frames and its player's
    // packets, held to the busy mark) are no flood.
    std::vector<std::pair<std::uint32_t, std::uint64_t>> waiting;
    for (std::size_t i = server.shareStart; i < server.shares.size(); ++i) {
      const Share& s = server.shares[i];
      if (s.bytes.end <= written || s.origin == localId_ || s.origin == server.id || !FindPeer(s.origin)) continue;
      const std::uint64_t n = s.bytes.end - std::max(s.bytes.begin, written);
      const auto it = std::find_if(waiting.begin(), waiting.end(), [&](const auto& w) { return w.first == s.origin; });
      if (it == waiting.end())
        waiting.emplace_back(s.origin, n);
      else
        it->second += n;
    }
    if (waiting.empty()) return;
    const std::uint32_t flooder = std::max_element(waiting.begin(), waiting.end(), [](const auto& a, const auto& b) {
                                    return a.second < b.second;
                                  })->first;
    FindPeer(flooder)->dead = true;
    TakeBackFrames(server, flooder);
  }
}

void Engine::TakeBackFrames(Peer& server, std::uint32_t flooder) {
  const std::uint64_t written = server.conn.Written();
  std::vector<Connection::Span> runs;
  std::vector<Share> kept;
  std::uint64_t removed = 0;
  for (std::size_t i = server.shareStart; i < server.shares.size(); ++i) {
    Share s = server.shares[i];
    if (s.bytes.end <= written) continue;
    if (s.origin == flooder && s.bytes.begin >= written) {
      runs.push_back(s.bytes);
      removed += s.bytes.end - s.bytes.begin;
      continue;
    }
    // Only the run the socket has started on begins before `written`, and
    // nothing before it was taken out.
    if (s.bytes.begin >= written) s.bytes.begin -= removed;
    s.bytes.end -= removed;
    kept.push_back(s);
  }
  server.conn.Unqueue(runs);
  server.shares = std::move(kept);
  server.shareStart = 0;
}

void Engine::Targets(std::uint32_t from, std::uint32_t to, bool data) {
  targets_.clear();
  if (data && clientServer_ && serverId_ != 0 && from != serverId_) {
    targets_.push_back(serverId_);
    return;
  }
  // Most packets a host's game receives are its own: no look through the
  // player table, which the local player is in while there is a session.
  if (to == localId_) {
    targets_.push_back(localId_);
    return;
  }
  for (const auto& p : players_) {
    if (to == HVM_ID_SESSION || (to == HVM_ID_ALLPLAYERS && p.id != from) || p.id == to) targets_.push_back(p.id);
  }
}

void Engine::DeliverData(const DataView& data, Connection* source) {
  // Most packets a host's game receives are its own; they go straight in.
  if (data.to == localId_ && source && !(clientServer_ && serverId_ != 0 && data.from != serverId_))
    return PushLent(data, *source);
  Targets(data.from, data.to, true);
  for (const auto t : targets_) {
    if (t == localId_ && source)
      PushLent(data, *source);
    else if (t == localId_)
      Push(HVM_MSG_PACKET, data.from, data.to, data.extra, data.payload.begin(), data.payload.end());
    else if (Peer* p = FindPeer(t)) {
      const std::uint64_t begin = p->conn.Queued();
      p->conn.QueueData(data);
      if (source) ++relays_;
      if (t == serverId_) NoteShare(*p, data.from, begin);
    }
  }
}

void Engine::DeliverChat(const ChatFrame& chat) {
  std::vector<std::uint8_t> encoded;
  for (const auto t : targets_) {
    if (t == localId_) {
      Push(HVM_MSG_CHAT, chat.from, chat.to, 0, chat.text.begin(), chat.text.end(), true);
      continue;
    }
    if (Peer* p = FindPeer(t)) {
      if (encoded.empty()) encoded = EncodeFrame(chat);
      const std::uint64_t begin = p->conn.Queued();
      p->conn.Queue(encoded);
      if (t == serverId_) NoteShare(*p, chat.from, begin);
    }
  }
}

Engine::Peer* Engine::FindPeer(std::uint32_t id) {
  for (auto& p : peers_)
    if (p->state == PeerState::Player && p->id == id && !p->dead) return p.get();
  return nullptr;
}

std::uint32_t Engine::NextId() {
  for (;;) {
    const std::uint32_t id = nextId_++;
    if (!IsReservedId(id) && !KnownPlayer(id)) return id;
  }
}

bool Engine::KnownPlayer(std::uint32_t id) const {
  if (id == HVM_ID_SESSION || id == HVM_ID_ALLPLAYERS) return true;
  return std::any_of(players_.begin(), players_.end(), [id](const PlayerInfo& p) { return p.id == id; });
}

HvMSession_Struct Engine::SessionForMembers() const {
  HvMSession_Struct s = session_;
  s.SetText(HvMSession_Struct::kPassword, HvMSession_Struct::kPasswordWidth, password_.empty() ? "" : "x");
  const auto members =
      std::count_if(players_.begin(), players_.end(), [](const PlayerInfo& p) { return !(p.flags & kPlayerServer); });
  s.SetU32(HvMSession_Struct::kPlayerCount, static_cast<std::uint32_t>(members));
  return s;
}

void Engine::ServeHub(short events) {
  if ((events & POLLOUT) && !hub_->WriteAvailable()) return LoseHub();
  if (!(events & (POLLIN | POLLHUP | POLLERR))) return;
  if (hub_->lent > 0) Reclaim(*hub_);
  const bool open = hub_->ReadAvailable();
  if (TakeHubFrames() && !open) LoseHub();
}

bool Engine::TakeHubFrames() {
  const bool whole = TakeFrames(
      *hub_, hubLastFrame_,
      [&](const DataView& data) {
        PushLent(data, *hub_);
        return true;
      },
      [&](Frame& frame) {
        HandleHubFrame(frame);
        return hub_ != nullptr;
      });
  if (!whole && hub_) LoseHub();  // a malformed frame; a hub already gone was handled
  return whole;
}

void Engine::HandleHubFrame(Frame& frame) {
  if (auto* chat = std::get_if<ChatFrame>(&frame)) {
    Push(HVM_MSG_CHAT, chat->from, chat->to, 0, chat->text.begin(), chat->text.end(), true);
  } else if (auto* joined = std::get_if<JoinedFrame>(&frame)) {
    if (KnownPlayer(joined->id)) return;
    players_.push_back(PlayerInfo{joined->id, joined->flags, joined->shortName, joined->longName});
    PushNotice(HVM_NOTICE_JOINED, joined->id);
  } else if (auto* left = std::get_if<LeftFrame>(&frame)) {
    if (left->id == localId_) {
      // Removed by the host: the notice names the local player, and the
      // session is over for it.
      PushNotice(HVM_NOTICE_LEFT, localId_);
      std::erase_if(players_, [this](const PlayerInfo& p) { return p.id != localId_; });
      Reclaim(*hub_);
      hub_.reset();
      hubLost_ = true;
      return;
    }
    const auto before = players_.size();
    std::erase_if(players_, [id = left->id](const PlayerInfo& p) { return p.id == id; });
    if (players_.size() != before) PushNotice(HVM_NOTICE_LEFT, left->id);
  } else if (!std::holds_alternative<PingFrame>(frame)) {
    LoseHub();
  }
}

void Engine::LoseHub() {
  for (const auto& p : players_)
    if (p.id != localId_) PushNotice(HVM_NOTICE_LEFT, p.id);
  std::erase_if(players_, [this](const PlayerInfo& p) { return p.id != localId_; });
  if (hub_) Reclaim(*hub_);
  hub_.reset();
  hubLost_ = true;
}

void Engine::PushNotice(std::int32_t code, std::uint32_t id) {
  const auto bytes = HvMNotice{code, id}.Bytes();
  Push(HVM_MSG_SYSTEM, HVM_ID_NONE, localId_, 0, bytes.begin(), bytes.end());
}

bool Engine::WriteStalled(const Connection& conn, std::uint64_t& written, std::int64_t& since, std::int64_t now) const {
  if (conn.Pending() <= kBusyBytes || conn.Written() != written) {
    written = conn.Written();
    since = now;
    return false;
  }
  return now - since > limits_.idleLimitMs;
}

void Engine::PauseIdleClocks(std::int64_t now) {
  hubLastFrame_ = now;
  for (auto& p : peers_) p->lastFrame = now;
}

void Engine::SendKeepAlives() {
  const std::int64_t interval =
      heartbeat_ ? std::min<std::int64_t>(kHeartbeatMs, limits_.keepAliveMs) : limits_.keepAliveMs;
  nextKeepAlive_ = NowMs() + interval;
  const auto ping = EncodeFrame(PingFrame{});
  if (role_ == Role::Client && hub_) hub_->Queue(ping);
  for (auto& p : peers_)
    if (p->state == PeerState::Player) p->conn.Queue(ping);
}

}  // namespace hvm
