// Sessions under pressure on loopback: a crowd joining at the same moment, and
// a member that floods a server program which reads more slowly than it sends.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "child_process.h"
#include "hvmulti/TransportLimits.h"
#include "raw_peer.h"
#include "session_helpers.h"

using namespace hvmtest;

namespace {

// The file whose existence lets the slow server program read again.
constexpr const char* kGoVariable = "HVMT_GO";

// A server program that takes nothing (its library fills its own inbox and then
// stops reading) until the test creates the file named in kGoVariable, then
// echoes every packet that starts with 'g' to its sender until the host is gone.
TEST(HvMultiRole, DISABLED_SlowServer) {
  CHvMulti m;
  HvMPlayer_Struct p = Player("server");
  ASSERT_EQ(m.JoinAsServer(kGuid, &p), 0);
  const char* go = std::getenv(kGoVariable);
  ASSERT_NE(go, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ::access(go, F_OK) == 0; }, 30000));
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
          if (r.result == HVM_MSG_PACKET && !r.data.empty() && r.data[0] == 'g')
            m.Send(p.id, r.from, r.data.data(), static_cast<std::uint32_t>(r.data.size()), 1, 1);
        }
        return false;
      },
      30000);
  EXPECT_TRUE(ended);
}

TEST(HvMultiPressure, AFloodingMemberIsDroppedAndTheSlowServerStays) {
  char go[] = "/tmp/hvmt-go-XXXXXX";
  const int made = ::mkstemp(go);
  ASSERT_GE(made, 0);
  ::close(made);
  ::unlink(go);  // the name only; the file appears when the server may read
  ::setenv(kGoVariable, go, 1);
  struct Cleanup {
    const char* path;
    ~Cleanup() {
      ::unlink(path);
      ::unsetenv(kGoVariable);
    }
  } cleanup{go};

  CHvMulti host;
  HvMPlayer_Struct hp = Player("host");
  ASSERT_EQ(HostWithServer(host, hp, "SlowServer"), HVM_CREATED);
  const std::uint32_t serverId = host.GetServerId();
  ASSERT_NE(serverId, HVM_ID_NONE);
  const std::uint16_t port = host.GetHostPort();
  CHvMulti good;
  HvMPlayer_Struct gp = Player("good");
  ASSERT_EQ(Join(good, gp, port), 0);
  const auto early = Numbered('g', 1, 300);
  ASSERT_EQ(good.Send(gp.id, serverId, early.data(), 300, 1, 1), 0);

  RawPeer flooder(port);
  const std::uint32_t id = flooder.Join();
  ASSERT_NE(id, 0u);
  const auto frame = hvm::EncodeFrame(hvm::DataFrame{id, serverId, 1, std::vector<std::uint8_t>(HVM_MAX_PACKET, 'f')});
  EXPECT_TRUE(flooder.FloodUntilClosed(frame, std::uint64_t{512} << 20, 30000));

  std::vector<Received> hostIn;
  ASSERT_TRUE(Collect(
      host, hostIn, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, id); }, 1));
  EXPECT_EQ(host.GetServerId(), serverId);

  // The server reads again: the well-behaved member's packets, sent before and
  // after the flood, come back; nobody else left.
  std::FILE* f = std::fopen(go, "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  const auto late = Numbered('g', 2, 40);
  ASSERT_EQ(good.Send(gp.id, serverId, late.data(), 40, 1, 1), 0);
  std::vector<Received> goodIn;
  auto echo = [&](const Received& r) { return r.result == HVM_MSG_PACKET && r.from == serverId; };
  ASSERT_TRUE(Collect(good, goodIn, echo, 2, 30000));
  std::vector<std::vector<std::uint8_t>> echoes;
  for (const auto& r : goodIn)
    if (echo(r)) echoes.push_back(r.data);
  EXPECT_EQ(echoes, (std::vector<std::vector<std::uint8_t>>{early, late}));
  Drain(host, hostIn);
  for (const std::uint32_t stayed : {serverId, gp.id})
    EXPECT_EQ(std::count_if(hostIn.begin(), hostIn.end(),
                            [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, stayed); }),
              0);
  EXPECT_EQ(host.GetPlayers().size(), 3u);
  EXPECT_EQ(host.CloseSession(), 0);
  EXPECT_EQ(host.ServerExitCode(), 0);
}

// A member's packets to the server program are held to a budget: a burst
// below it passes whole and the member stays; one that runs on past it is
// dropped, and the host and the server program stay.
TEST(HvMultiPressure, AMemberPastItsBudgetOfPacketsIsDroppedABurstBelowItIsNot) {
  char go[] = "/tmp/hvmt-go-XXXXXX";
  const int made = ::mkstemp(go);
  ASSERT_GE(made, 0);
  ::close(made);  // the file is there: the server program reads from the start
  ::setenv(kGoVariable, go, 1);
  struct Cleanup {
    const char* path;
    ~Cleanup() {
      ::unlink(path);
      ::unsetenv(kGoVariable);
    }
  } cleanup{go};

  CHvMulti host, member;
  HvMPlayer_Struct hp = Player("host"), mp = Player("member");
  ASSERT_EQ(HostWithServer(host, hp, "SlowServer"), HVM_CREATED);
  const std::uint32_t serverId = host.GetServerId();
  ASSERT_EQ(Join(member, mp, host.GetHostPort()), 0);
  const hvm::TransportLimits limits;
  const auto packet = Numbered('g', 1, 16);
  auto sendAll = [&](int count) {
    for (int i = 0; i < count;) {
      const int r = member.Send(mp.id, serverId, packet.data(), 16, 1, 1);
      if (r == HVM_ERR_BUSY) continue;
      if (r != 0) return false;
      ++i;
    }
    return true;
  };
  ASSERT_TRUE(sendAll(limits.requestBurst * 3 / 4));
  std::vector<Received> memberIn;
  auto echo = [&](const Received& r) { return r.result == HVM_MSG_PACKET && r.from == serverId; };
  EXPECT_TRUE(Collect(member, memberIn, echo, static_cast<std::size_t>(limits.requestBurst * 3 / 4), 30000));

  sendAll(limits.requestBurst * 4);
  std::vector<Received> hostIn;
  EXPECT_TRUE(Collect(
      host, hostIn, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, mp.id); }, 1));
  EXPECT_EQ(host.GetServerId(), serverId);
  EXPECT_EQ(host.GetPlayers().size(), 2u);
  EXPECT_EQ(host.CloseSession(), 0);
  EXPECT_EQ(host.ServerExitCode(), 0);
}

// A member that reads nothing while another one keeps sending to it: the host
// passes the packets on into a queue of its own towards it, and that queue is
// bounded, so the reader that stopped goes and the sender, only ever told
// "busy", stays.
TEST(HvMultiPressure, AMemberThatReadsNothingIsDroppedNotFedForEver) {
  CHvMulti host, sender;
  HvMPlayer_Struct hp = Player("host"), sp = Player("sender");
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  const std::uint16_t port = host.GetHostPort();
  ASSERT_EQ(Join(sender, sp, port), 0);
  RawPeer deaf(port);
  const std::uint32_t id = deaf.Join();
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(WaitUntil([&] { return sender.GetPlayers().size() == 3; }));

  const std::vector<std::uint8_t> packet(HVM_MAX_PACKET, 'r');
  std::vector<Received> hostIn, senderIn;
  int failed = 0;
  // The host's game looks for messages only now and then meanwhile.
  const bool dropped = WaitUntil(
      [&] {
        for (int k = 0; k < 512; ++k) {
          const int r = sender.Send(sp.id, id, packet.data(), HVM_MAX_PACKET, 1, 1);
          if (r == HVM_ERR_BUSY) break;
          if (r != 0) ++failed;
        }
        Drain(host, hostIn);
        Drain(sender, senderIn);
        return std::any_of(senderIn.begin(), senderIn.end(),
                           [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, id); });
      },
      10000);  // well within the idle limit, which would drop it as well
  EXPECT_TRUE(dropped);
  EXPECT_EQ(failed, 0);
  EXPECT_TRUE(deaf.ClosedByHost());
  EXPECT_EQ(std::count_if(hostIn.begin(), hostIn.end(),
                          [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, sp.id); }),
            0);
  EXPECT_EQ(host.GetPlayers().size(), 2u);
  EXPECT_EQ(sender.GetPlayers().size(), 2u);
}

// Joiners from one address whose hellos are on their way are no silent
// connections: each one joins, or hears that the session is full.
TEST(HvMultiPressure, SixtyJoinersAtOnceJoinOrHearTheSessionIsFull) {
  CHvMulti host;
  HvMPlayer_Struct hp = Player("host");
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  const std::uint16_t port = host.GetHostPort();

  constexpr int kJoiners = 60;
  std::vector<std::unique_ptr<CHvMulti>> joiners;
  std::vector<std::uint32_t> sessions;
  for (int i = 0; i < kJoiners; ++i) {
    joiners.push_back(std::make_unique<CHvMulti>());
    sessions.push_back(FindSession(*joiners.back(), port));
    ASSERT_NE(sessions.back(), 0u);
  }
  std::atomic<bool> go{false};
  std::vector<int> results(kJoiners, 1);
  std::vector<std::thread> threads;
  for (int i = 0; i < kJoiners; ++i)
    threads.emplace_back([&, i] {
      HvMPlayer_Struct p = Player(("j" + std::to_string(i)).c_str());
      while (!go) std::this_thread::yield();
      results[i] = joiners[i]->OpenAndJoin(sessions[i], "", &p);
    });
  go = true;
  for (auto& t : threads) t.join();

  std::string codes;
  for (const int r : results) codes += std::to_string(r) + " ";
  // The host is one of the 40.
  EXPECT_EQ(std::count(results.begin(), results.end(), 0), 39) << codes;
  EXPECT_EQ(std::count(results.begin(), results.end(), HVM_ERR_SESSIONFULL), kJoiners - 39) << codes;
  EXPECT_EQ(host.GetPlayers().size(), 40u);
}

}  // namespace
