// Sessions between separate processes on loopback: this test program runs its
// own role tests (HvMultiRole.DISABLED_*) as the other members. And peers that
// break the frame format, spoken over a raw socket.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include <cstdio>
#include <cstdlib>

#include "child_process.h"
#include "hvmulti/Connection.h"
#include "hvmulti/HvPlayerList.h"
#include "hvmulti/ServerProgram.h"
#include "hvmulti/Socket.h"
#include "hvmulti/Wire.h"
#include "raw_peer.h"
#include "session_helpers.h"

using namespace hvmtest;

namespace {

constexpr int kRolePackets = 5;
constexpr std::uint8_t kDirectNumber = 100;

std::size_t RoleSize(int i) { return 64 + static_cast<std::size_t>(i) * 200; }

const char* Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool IsPacketFrom(const Received& r, std::uint32_t from) { return r.result == HVM_MSG_PACKET && r.from == from; }

// The packets from `from`, in arrival order, are numbered 0.. and sized as sent.
void ExpectRoleOrder(const std::vector<Received>& in, std::uint32_t from, std::uint8_t tag, bool withDirect) {
  std::vector<const Received*> got;
  for (const auto& r : in)
    if (IsPacketFrom(r, from)) got.push_back(&r);
  ASSERT_EQ(got.size(), static_cast<std::size_t>(kRolePackets + (withDirect ? 1 : 0)));
  for (int i = 0; i < kRolePackets; ++i)
    EXPECT_EQ(got[i]->data, Numbered(tag, static_cast<std::uint8_t>(i), RoleSize(i)));
  if (withDirect) {
    EXPECT_EQ(got.back()->data, Numbered(tag, kDirectNumber, 32));
  }
}

void SendRolePackets(CHvMulti& m, std::uint32_t self, std::uint8_t tag) {
  for (int i = 0; i < kRolePackets; ++i) {
    const auto p = Numbered(tag, static_cast<std::uint8_t>(i), RoleSize(i));
    ASSERT_EQ(m.Send(self, HVM_ID_ALLPLAYERS, p.data(), static_cast<std::uint32_t>(p.size()), 1, 1), 0);
  }
}

// A member in its own process: joins, waits for all three, sends five packets
// to all and one to the host, takes everything the other two sent, then either
// vanishes without a word ("drop") or waits to see the other client leave.
TEST(HvMultiRole, DISABLED_Client) {
  const auto port = static_cast<std::uint16_t>(std::atoi(Env("HVMT_PORT")));
  const std::uint8_t tag = static_cast<std::uint8_t>(Env("HVMT_TAG")[0]);
  const std::string mode = Env("HVMT_MODE");
  CHvMulti m;
  HvMPlayer_Struct p = Player(Env("HVMT_TAG"));
  ASSERT_EQ(Join(m, p, port), 0);
  std::printf("ID %u\n", p.id);
  std::fflush(stdout);
  ASSERT_TRUE(WaitUntil([&] { return m.GetPlayers().size() == 3; }));
  std::uint32_t hostId = 0, otherId = 0;
  for (const auto& player : m.GetPlayers()) {
    if (player.isHost)
      hostId = player.id;
    else if (player.id != p.id)
      otherId = player.id;
  }
  SendRolePackets(m, p.id, tag);
  const auto direct = Numbered(tag, kDirectNumber, 32);
  ASSERT_EQ(m.Send(p.id, hostId, direct.data(), 32, 1, 1), 0);

  std::vector<Received> in;
  ASSERT_TRUE(Collect(
      m, in, [](const Received& r) { return r.result == HVM_MSG_PACKET; }, 2 * kRolePackets));
  ExpectRoleOrder(in, hostId, 'h', false);
  ExpectRoleOrder(in, otherId, tag == 'a' ? 'b' : 'a', false);
  std::printf("GOT-ALL\n");
  std::fflush(stdout);
  if (mode == "drop") {
    ::usleep(200 * 1000);  // lets the last frames leave before the process vanishes
    std::_Exit(testing::Test::HasFailure() ? 1 : 0);
  }
  ASSERT_TRUE(Collect(
      m, in, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, otherId); }, 1));
  std::printf("SAW-LEAVE\n");
  std::fflush(stdout);
  EXPECT_EQ(m.CloseSession(), 0);
}

// The server program of a client-server session: echoes every packet to its
// sender until the host is gone.
TEST(HvMultiRole, DISABLED_Server) {
  CHvMulti m;
  HvMPlayer_Struct p = Player("server");
  ASSERT_EQ(m.JoinAsServer(kGuid, &p), 0);
  std::uint32_t hostId = 0;
  for (const auto& player : m.GetPlayers())
    if (player.isHost) hostId = player.id;
  std::vector<Received> in;
  const bool ended = WaitUntil(
      [&] {
        in.clear();
        Drain(m, in);
        for (const auto& r : in) {
          if (IsNotice(r, HVM_NOTICE_LEFT, hostId)) return true;
          if (r.result == HVM_MSG_PACKET)
            m.Send(p.id, r.from, r.data.data(), static_cast<std::uint32_t>(r.data.size()), 1, 1);
        }
        return false;
      },
      20000);
  EXPECT_TRUE(ended);
}

// A server program that gives up before it joins.
TEST(HvMultiRole, DISABLED_QuittingServer) { std::_Exit(3); }

// A server program that joins and then stays on after its session ended, until
// the library stops it (or its parent is gone).
TEST(HvMultiRole, DISABLED_LingeringServer) {
  CHvMulti m;
  HvMPlayer_Struct p = Player("server");
  ASSERT_EQ(m.JoinAsServer(kGuid, &p), 0);
  const pid_t parent = ::getppid();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (::getppid() == parent && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Each case hosts as "host".
struct HvMultiProcesses : testing::Test {
  CHvMulti host;
  HvMPlayer_Struct hp = Player("host");
};

TEST_F(HvMultiProcesses, HostAndTwoClientsExchangeAndOneVanishes) {
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  const std::string port = "HVMT_PORT=" + std::to_string(host.GetHostPort());
  ChildProcess a("Client", {port, "HVMT_TAG=a", "HVMT_MODE=drop"});
  ChildProcess b("Client", {port, "HVMT_TAG=b", "HVMT_MODE=stay"});
  ASSERT_TRUE(a.Started() && b.Started());
  const std::string aLine = a.WaitForLine("ID "), bLine = b.WaitForLine("ID ");
  ASSERT_FALSE(aLine.empty()) << a.Output();
  ASSERT_FALSE(bLine.empty()) << b.Output();
  const auto aId = static_cast<std::uint32_t>(std::stoul(aLine.substr(3)));
  const auto bId = static_cast<std::uint32_t>(std::stoul(bLine.substr(3)));

  std::vector<Received> in;
  ASSERT_TRUE(Collect(
      host, in, [](const Received& r) { return r.result == HVM_MSG_SYSTEM; }, 2));
  ASSERT_TRUE(WaitUntil([&] { return host.GetPlayers().size() == 3; }));
  SendRolePackets(host, hp.id, 'h');

  ASSERT_TRUE(Collect(
      host, in, [](const Received& r) { return r.result == HVM_MSG_PACKET; }, 2 * (kRolePackets + 1)));
  ExpectRoleOrder(in, aId, 'a', true);
  ExpectRoleOrder(in, bId, 'b', true);

  EXPECT_EQ(a.WaitForLine("GOT-ALL"), "GOT-ALL");
  EXPECT_EQ(a.Wait(), 0) << a.Output();
  ASSERT_TRUE(Collect(
      host, in, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, aId); }, 1));
  EXPECT_EQ(b.WaitForLine("SAW-LEAVE"), "SAW-LEAVE");
  EXPECT_EQ(b.Wait(), 0) << b.Output();
  ASSERT_TRUE(Collect(
      host, in, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, bId); }, 1));
  EXPECT_EQ(host.GetPlayers().size(), 1u);
}

TEST_F(HvMultiProcesses, ClientServerSessionStartsTheServerProgram) {
  ASSERT_EQ(HostWithServer(host, hp, "Server"), HVM_CREATED);

  std::uint32_t serverId = 0;
  for (const auto& p : host.GetPlayers())
    if (p.isServer) serverId = p.id;
  ASSERT_NE(serverId, 0u);
  CHvPlayerList list(HVM_ID_SESSION, nullptr);
  EXPECT_EQ(list.UpdatePlayerList(&host), 1);  // the server is no player

  // A member's packets go to the server alone, which answers here: those
  // addressed to the host's player too.
  CHvMulti guest;
  HvMPlayer_Struct gp = Player("guest");
  ASSERT_EQ(Join(guest, gp, host.GetHostPort()), 0);
  const auto packet = Numbered('g', 1, 200);
  const auto toHost = Numbered('g', 2, 30);
  ASSERT_EQ(guest.Send(gp.id, HVM_ID_ALLPLAYERS, packet.data(), 200, 1, 1), 0);
  ASSERT_EQ(guest.Send(gp.id, hp.id, toHost.data(), 30, 1, 1), 0);
  std::vector<Received> guestIn, hostIn;
  ASSERT_TRUE(Collect(
      guest, guestIn, [&](const Received& r) { return IsPacketFrom(r, serverId); }, 2));
  std::erase_if(guestIn, [&](const Received& r) { return !IsPacketFrom(r, serverId); });
  EXPECT_EQ(guestIn[0].data, packet);
  EXPECT_EQ(guestIn[1].data, toHost);
  const auto mine = Numbered('h', 2, 20);
  ASSERT_EQ(host.Send(hp.id, HVM_ID_ALLPLAYERS, mine.data(), 20, 1, 1), 0);
  ASSERT_TRUE(Collect(
      host, hostIn, [&](const Received& r) { return IsPacketFrom(r, serverId); }, 1));
  Drain(host, hostIn);
  EXPECT_EQ(std::count_if(hostIn.begin(), hostIn.end(), [&](const Received& r) { return IsPacketFrom(r, gp.id); }), 0);
  EXPECT_EQ(host.CloseSession(), 0);
  // The server program ended with its session, and cleanly (a sanitizer's
  // report in it would have made the code 1).
  EXPECT_EQ(host.ServerExitCode(), 0);
}

TEST_F(HvMultiProcesses, ServerProgramThatEndsBeforeJoiningFailsTheCreate) {
  EXPECT_EQ(HostWithServer(host, hp, "QuittingServer"), HVM_ERR_SERVERSTART);
  EXPECT_EQ(host.ServerExitCode(), 3);
  EXPECT_EQ(host.CloseSession(), HVM_ERR_NOSESSION);
}

TEST_F(HvMultiProcesses, ServerProgramThatOutstaysItsSessionIsStopped) {
  host.SetServerGraceMs(200);
  ASSERT_EQ(HostWithServer(host, hp, "LingeringServer"), HVM_CREATED);
  EXPECT_EQ(host.ServerExitCode(), -1);
  EXPECT_EQ(host.CloseSession(), 0);
  EXPECT_EQ(host.ServerExitCode(), 128 + SIGKILL);
  EXPECT_NE(host.LastErrorText().find("stopped"), std::string::npos);
}

TEST_F(HvMultiProcesses, ServerProgramThatCannotStartFailsTheCreate) {
  ASSERT_EQ(host.InitAutoLaunch(HVM_LOCAL_SERVICE_NAME, kGuid, HVM_PROTOCOL_VERSION), HVM_LAUNCH_HOST);
  HvMSession_Struct s;
  EXPECT_EQ(host.CreateAndJoinCS(&s, &hp, "/nonexistent/QuenSrvr.exe", "", 0, nullptr), HVM_ERR_SERVERSTART);
  EXPECT_EQ(host.CloseSession(), HVM_ERR_NOSESSION);
}

TEST_F(HvMultiProcesses, MalformedFramesDropTheirSenderOnly) {
  CHvMulti good;
  HvMPlayer_Struct gp = Player("good");
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  const std::uint16_t port = host.GetHostPort();
  ASSERT_EQ(Join(good, gp, port), 0);
  std::vector<Received> hostIn, goodIn;

  const std::vector<std::vector<std::uint8_t>> garbage = {
      {0xFF, 0xFF, 0xFF, 0x7F, 6, 0, 0},  // a length far beyond any frame
      {3, 0, 0, 0, 6, 1, 0},              // a data frame too short for its fields
      {1, 0, 0, 0, 0x42},                 // a kind that does not exist
      {1, 0, 0, 0, 1},                    // a second hello
  };
  for (const auto& bytes : garbage) {
    RawPeer raw(port);
    const std::uint32_t id = raw.Join();
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(Collect(
        good, goodIn, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_JOINED, id); }, 1));
    raw.SendRaw(bytes);
    EXPECT_TRUE(raw.ClosedByHost());
    ASSERT_TRUE(Collect(
        host, hostIn, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, id); }, 1));
    ASSERT_TRUE(Collect(
        good, goodIn, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, id); }, 1));
  }
  // A peer that never says hello properly is dropped without a notice.
  RawPeer stranger(port);
  stranger.SendRaw({2, 0, 0, 0, 8, 0});
  EXPECT_TRUE(stranger.ClosedByHost());

  // The session goes on for the others.
  const auto packet = Numbered('g', 7, 300);
  ASSERT_EQ(good.Send(gp.id, hp.id, packet.data(), 300, 1, 1), 0);
  ASSERT_TRUE(Collect(
      host, hostIn, [&](const Received& r) { return IsPacketFrom(r, gp.id); }, 1));
  EXPECT_EQ(host.GetPlayers().size(), 2u);
}

// A host that sends as soon as its server program joined can put that packet
// in the same read as the welcome: it is a packet like any other, not a broken
// connection (which told the program its host had left).
TEST(HvMultiJoin, APacketRightBehindTheWelcomeArrives) {
  hvm::Endpoint bound;
  const hvm::Fd listener = hvm::ListenTcp(hvm::Endpoint{hvm::kLoopback, 0}, bound);
  ASSERT_TRUE(listener.Valid());
  const auto packet = Numbered('h', 1, 40);
  struct Joined {
    std::thread thread;
    ~Joined() { thread.join(); }
  } fakeHost{std::thread([&] {
    pollfd p{listener.Get(), POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1) return;
    hvm::Endpoint from;
    hvm::Connection conn(hvm::AcceptTcp(listener, from));
    hvm::Frame hello;
    if (!WaitUntil([&] { return conn.ReadAvailable() && conn.NextFrame(hello) == hvm::ParseStatus::Ok; }, 5000)) return;
    auto bytes = hvm::EncodeFrame(hvm::JoinedFrame{1, hvm::kPlayerHost, "host", "host"});
    for (const auto& frame : {hvm::EncodeFrame(hvm::WelcomeFrame{2, hvm::kSessionClientServer, {}}),
                              hvm::EncodeFrame(hvm::DataFrame{1, 2, 1, packet})})
      bytes.insert(bytes.end(), frame.begin(), frame.end());
    ::send(conn.Handle(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    WaitUntil([&] { return !conn.ReadAvailable(); }, 5000);  // until the joiner leaves
  })};

  ::setenv(hvm::kServerEnvironment, ("127.0.0.1:" + std::to_string(bound.port) + ":token").c_str(), 1);
  CHvMulti server;
  HvMPlayer_Struct sp = Player("server");
  const int joined = server.JoinAsServer(kGuid, &sp);
  ::unsetenv(hvm::kServerEnvironment);
  ASSERT_EQ(joined, 0);
  // The engine thread takes what came behind the welcome before this thread looks.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::vector<Received> in;
  EXPECT_TRUE(Collect(
      server, in, [](const Received& r) { return IsPacketFrom(r, 1); }, 1, 3000));
  for (const auto& r : in) EXPECT_FALSE(IsNotice(r, HVM_NOTICE_LEFT, 1));
  EXPECT_EQ(server.GetPlayers().size(), 2u);
}

TEST_F(HvMultiProcesses, SilentConnectionsNeverLockOutAJoin) {
  hvm::TransportLimits limits;
  limits.helloTimeoutMs = 300;
  host.SetTransportLimits(limits);
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  const std::uint16_t port = host.GetHostPort();
  std::vector<std::unique_ptr<RawPeer>> silent;
  for (int i = 0; i < 24; ++i) silent.push_back(std::make_unique<RawPeer>(port));
  CHvMulti late;
  HvMPlayer_Struct lp = Player("late");
  EXPECT_EQ(Join(late, lp, port), 0);
  // None of them outlasts the hello time.
  for (auto& s : silent) EXPECT_TRUE(s->ClosedByHost());
  EXPECT_EQ(host.GetPlayers().size(), 2u);
}

TEST_F(HvMultiProcesses, APlayerStalledInsideAFrameIsDropped) {
  hvm::TransportLimits limits;
  limits.idleLimitMs = 400;
  limits.keepAliveMs = 100;
  host.SetTransportLimits(limits);
  CHvMulti quiet;
  quiet.SetTransportLimits(limits);
  HvMPlayer_Struct qp = Player("quiet");
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  ASSERT_EQ(host.HeartBeatControl(0), 0);
  const std::uint16_t port = host.GetHostPort();
  ASSERT_EQ(Join(quiet, qp, port), 0);
  RawPeer slow(port);
  const std::uint32_t id = slow.Join();
  ASSERT_NE(id, 0u);

  // A whole data frame, one byte every 50 ms: bytes keep coming, frames never.
  const auto frame = hvm::EncodeFrame(hvm::DataFrame{id, hp.id, 1, std::vector<std::uint8_t>(500, 1)});
  std::vector<Received> hostIn;
  bool dropped = false;
  for (std::size_t i = 0; i < 60 && !dropped; ++i) {
    slow.SendRaw({frame[i]});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Drain(host, hostIn);
    dropped =
        std::any_of(hostIn.begin(), hostIn.end(), [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, id); });
  }
  EXPECT_TRUE(dropped);
  // The quiet player sends nothing of its own but its keep-alives, and stays.
  EXPECT_EQ(host.GetPlayers().size(), 2u);
  EXPECT_TRUE(WaitUntil([&] { return quiet.GetPlayers().size() == 2; }));
}

TEST_F(HvMultiProcesses, APlayerThatStopsReadingIsDropped) {
  hvm::TransportLimits limits;
  limits.idleLimitMs = 400;
  host.SetTransportLimits(limits);
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  RawPeer deaf(host.GetHostPort());
  const std::uint32_t id = deaf.Join();
  ASSERT_NE(id, 0u);
  // It reads nothing from now on, so the host's sends to it back up.
  std::vector<std::uint8_t> packet(HVM_MAX_PACKET, 7);
  int result = 0;
  for (int i = 0; i < 200000 && result == 0; ++i) result = host.Send(hp.id, id, packet.data(), HVM_MAX_PACKET, 1, 1);
  ASSERT_EQ(result, HVM_ERR_BUSY);
  // Its keep-alives go on and the host's game tries again and again, as it
  // does on a busy send, yet it is not held up for ever.
  const auto ping = hvm::EncodeFrame(hvm::PingFrame{});
  std::vector<Received> in;
  bool dropped = false;
  for (int i = 0; i < 60 && !dropped; ++i) {
    deaf.SendRaw(ping);
    for (int k = 0; k < 1000 && host.Send(hp.id, id, packet.data(), HVM_MAX_PACKET, 1, 1) == 0; ++k) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Drain(host, in);
    dropped = std::any_of(in.begin(), in.end(), [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, id); });
  }
  EXPECT_TRUE(dropped);
  EXPECT_EQ(host.GetPlayers().size(), 1u);
}

}  // namespace
