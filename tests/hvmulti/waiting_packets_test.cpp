// Packets that wait in the library while the game does not take them: the
// library goes on reading the sockets behind them, and their sender's
// connection may end before they are taken. They must still come out whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "session_helpers.h"

using namespace hvmtest;

namespace {

constexpr int kRounds = 6;
constexpr int kPerRound = 25;

std::size_t SizeOf(int n) { return 1 + static_cast<std::size_t>(n * 379) % HVM_MAX_PACKET; }

// Sends kRounds bursts, pausing between them so that the receiver's library
// reads each burst on its own thread while the earlier ones still wait.
void SendRounds(CHvMulti& from, std::uint32_t fromId, std::uint32_t to, std::uint8_t tag) {
  for (int round = 0; round < kRounds; ++round) {
    for (int k = 0; k < kPerRound; ++k) {
      const int n = round * kPerRound + k;
      const auto p = Numbered(tag, static_cast<std::uint8_t>(n), SizeOf(n));
      ASSERT_EQ(from.Send(fromId, to, p.data(), static_cast<std::uint32_t>(p.size()), 1, 1), 0);
    }
    from.Flush();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
}

// Every packet of `from` in `in`, whole and in the order sent.
void ExpectAll(const std::vector<Received>& in, std::uint32_t from, std::uint8_t tag) {
  int next = 0;
  for (const auto& r : in) {
    if (r.result != HVM_MSG_PACKET || r.from != from) continue;
    ASSERT_LT(next, kRounds * kPerRound);
    EXPECT_EQ(r.data, Numbered(tag, static_cast<std::uint8_t>(next), SizeOf(next))) << "packet " << next;
    ++next;
  }
  EXPECT_EQ(next, kRounds * kPerRound);
}

TEST(HvMultiWaiting, PacketsWaitingAtTheHostOutliveLaterReadsAndTheirSender) {
  CHvMulti host, a, b;
  HvMPlayer_Struct hp = Player("host"), ap = Player("alice"), bp = Player("bob");
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  ASSERT_EQ(Join(a, ap, host.GetHostPort()), 0);
  ASSERT_EQ(Join(b, bp, host.GetHostPort()), 0);
  ASSERT_TRUE(WaitUntil([&] { return a.GetPlayers().size() == 3 && b.GetPlayers().size() == 3; }));

  // The host's game takes nothing meanwhile; two senders interleave.
  std::thread other([&] { SendRounds(b, bp.id, hp.id, 'b'); });
  SendRounds(a, ap.id, hp.id, 'a');
  other.join();
  // Alice's connection ends while her packets still wait.
  ASSERT_EQ(a.CloseSession(), 0);
  std::vector<Received> in;
  ASSERT_TRUE(Collect(
      host, in, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, ap.id); }, 1));
  ExpectAll(in, ap.id, 'a');
  ExpectAll(in, bp.id, 'b');
}

// The host's game takes packets as they come from several members at once,
// while one of them leaves right after its last packet: each member's packets
// come out whole and in order, and the leaver's notice after its packets.
TEST(HvMultiWaiting, AHostTakingAsItGoesGetsEveryMembersPacketsThoughOneLeaves) {
  constexpr int kMembers = 4;
  CHvMulti host;
  HvMPlayer_Struct hp = Player("host");
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  std::vector<std::unique_ptr<CHvMulti>> members;
  std::vector<HvMPlayer_Struct> players;
  for (int i = 0; i < kMembers; ++i) {
    members.push_back(std::make_unique<CHvMulti>());
    players.push_back(Player("member"));
    ASSERT_EQ(Join(*members.back(), players.back(), host.GetHostPort()), 0);
  }
  ASSERT_TRUE(WaitUntil([&] { return host.GetPlayers().size() == kMembers + 1; }));

  std::vector<std::thread> senders;
  for (int i = 0; i < kMembers; ++i)
    senders.emplace_back([&, i] {
      SendRounds(*members[i], players[i].id, hp.id, static_cast<std::uint8_t>('a' + i));
      if (i == 0) {
        EXPECT_EQ(members[i]->CloseSession(), 0);
      }
    });
  std::vector<Received> in;
  const bool all = Collect(
      host, in, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, players[0].id); }, 1);
  for (auto& s : senders) s.join();
  ASSERT_TRUE(all);
  ASSERT_TRUE(Collect(
      host, in, [](const Received& r) { return r.result == HVM_MSG_PACKET; }, kMembers * kRounds * kPerRound));
  for (int i = 0; i < kMembers; ++i) ExpectAll(in, players[i].id, static_cast<std::uint8_t>('a' + i));
  const auto leave = std::find_if(in.begin(), in.end(),
                                  [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, players[0].id); });
  EXPECT_TRUE(std::none_of(leave, in.end(), [&](const Received& r) { return r.from == players[0].id; }));
}

TEST(HvMultiWaiting, PacketsWaitingAtAMemberOutliveLaterReadsAndItsConnection) {
  for (const bool removed : {false, true}) {
    SCOPED_TRACE(removed ? "removed by the host" : "the host ends the session");
    CHvMulti host, a;
    HvMPlayer_Struct hp = Player("host"), ap = Player("alice");
    ASSERT_EQ(Host(host, hp), HVM_CREATED);
    ASSERT_EQ(Join(a, ap, host.GetHostPort()), 0);
    ASSERT_TRUE(WaitUntil([&] { return a.GetPlayers().size() == 2; }));
    SendRounds(host, hp.id, ap.id, 'h');
    if (removed)
      ASSERT_EQ(host.DeletePlayer(ap.id), 0);
    else
      ASSERT_EQ(host.CloseSession(), 0);
    // The end of the connection is seen before anything is taken.
    ASSERT_TRUE(WaitUntil([&] {
      const std::uint8_t p[] = {1};
      return a.Send(ap.id, HVM_ID_ALLPLAYERS, p, 1, 1, 1) == HVM_ERR_CONNECTIONLOST;
    }));
    std::vector<Received> in;
    const std::uint32_t leaver = removed ? ap.id : hp.id;
    ASSERT_TRUE(Collect(
        a, in, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, leaver); }, 1));
    ExpectAll(in, hp.id, 'h');
  }
}

}  // namespace
