// Ordering rules of the packet queue.
#include <gtest/gtest.h>

#include "Game/base/Packets.h"
#include "Game/net/PacketQueue.h"
#include "fake_multi.h"

using nettest::FakeMulti;

namespace {

struct Got {
  int result;
  std::uint32_t sequence;
};

// Takes one message; the sequence read from its header (0 for library messages).
Got Next(CPacketQueue& q) {
  std::uint8_t* data = nullptr;
  std::uint32_t length = 0;
  const int r = q.GetNext(&data, &length, nullptr, nullptr, nullptr, nullptr);
  PacketHeader h;
  if (r == HVM_MSG_PACKET && ReadPacketHeader(std::span(data, length), h)) return {r, h.sequence};
  return {r, 0};
}

// The sequence numbers of the packets `tries` calls hand out.
std::vector<std::uint32_t> Sequences(CPacketQueue& q, int tries) {
  std::vector<std::uint32_t> order;
  for (int i = 0; i < tries; ++i) {
    const Got g = Next(q);
    if (g.result == HVM_MSG_PACKET) order.push_back(g.sequence);
  }
  return order;
}

struct PacketQueue : testing::Test {
  FakeMulti m;
  CPacketQueue q{&m, 5};
};

TEST_F(PacketQueue, EmptyRingAnswersAtOnce) {
  EXPECT_EQ(q.NodeCount(), 6);
  EXPECT_EQ(q.Fill(), 0);
  EXPECT_EQ(Next(q).result, kQueueEmpty);
  CPacketQueue small(&m, 2);
  EXPECT_EQ(small.NodeCount(), 6);
}

TEST_F(PacketQueue, GapsAreWaitedForAndDuplicatesSkipped) {
  m.AddPacket(2);
  m.AddPacket(3);
  EXPECT_EQ(q.Fill(), 2);
  // While 1 is missing every call says nothing is there.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Next(q).result, kQueueEmpty);
  m.AddPacket(1);
  q.Fill();
  EXPECT_EQ(Sequences(q, 10), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(q.Expected(7), 4u);
  EXPECT_EQ(q.lastDelivered, 3u);

  // Old numbers never come out again.
  for (std::uint32_t s : {2u, 3u, 4u}) m.AddPacket(s);
  q.Fill();
  EXPECT_EQ(Sequences(q, 10), (std::vector<std::uint32_t>{4}));
}

TEST_F(PacketQueue, UnsequencedAndLibraryMessagesPassAGap) {
  m.AddPacket(2);  // early: 1 is missing
  m.AddPacket(0);
  m.AddNotice(HVM_NOTICE_JOINED, 9);
  m.inbox.push_back(FakeMulti::Message{HVM_MSG_CHAT, {'h', 'i', 0}, 9});
  q.Fill();
  std::vector<int> results;
  for (int i = 0; i < 6; ++i) results.push_back(Next(q).result);
  EXPECT_EQ(results,
            (std::vector<int>{kQueueEmpty, HVM_MSG_PACKET, HVM_MSG_SYSTEM, HVM_MSG_CHAT, kQueueEmpty, kQueueEmpty}));
  // The lone early packet waits until its gap is filled.
  m.AddPacket(1);
  q.Fill();
  EXPECT_EQ(Sequences(q, 5), (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(PacketQueue, LentNodesSurviveFillsUntilReleased) {
  m.AddPacket(1, 40);
  q.Fill();
  std::uint8_t* data = nullptr;
  std::uint32_t length = 0;
  PacketNode* node = nullptr;
  ASSERT_EQ(q.GetNext(&data, &length, nullptr, nullptr, nullptr, &node), HVM_MSG_PACKET);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->taken, 1u);
  const std::vector<std::uint8_t> before(data, data + length);
  // More messages than the ring holds: it grows around the lent node.
  for (std::uint32_t s = 2; s < 20; ++s) m.AddPacket(s, 40);
  EXPECT_EQ(q.Fill(), 18);
  EXPECT_EQ(std::vector<std::uint8_t>(data, data + length), before);
  const int grown = q.NodeCount();
  EXPECT_GE(grown, 19);
  q.ReleaseNode(node);
  EXPECT_EQ(q.NodeCount(), grown - 1);
  for (std::uint32_t s = 2; s < 20; ++s) EXPECT_EQ(Next(q).sequence, s);
  EXPECT_EQ(Next(q).result, kQueueEmpty);
}

TEST_F(PacketQueue, MessagesThatCannotBeOrderedAreDropped) {
  m.inbox.push_back(FakeMulti::Message{HVM_MSG_PACKET, std::vector<std::uint8_t>(kMaxPacketSize + 1, 0), 1});
  m.inbox.push_back(FakeMulti::Message{HVM_MSG_PACKET, {1, 2, 3}, 1});  // shorter than a header
  m.AddPacket(1);
  EXPECT_EQ(q.Fill(), 3);
  EXPECT_EQ(Next(q).sequence, 1u);
  EXPECT_EQ(Next(q).result, kQueueEmpty);
}

// Two senders' packet 1 are two packets, and one sender's gap holds back
// only that sender.
TEST_F(PacketQueue, EachSenderHasItsOwnSequence) {
  m.AddPacket(1, 16, 7);
  m.AddPacket(2, 16, 8);  // 8's packet 1 is missing
  m.AddPacket(1, 16, 9);
  m.AddPacket(2, 16, 7);
  q.Fill();
  std::vector<std::pair<std::uint32_t, std::uint32_t>> got;  // sender, sequence
  for (int i = 0; i < 10; ++i) {
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0, from = 0;
    if (q.GetNext(&data, &length, &from, nullptr, nullptr, nullptr) != HVM_MSG_PACKET) continue;
    PacketHeader h;
    ReadPacketHeader(std::span(data, length), h);
    got.emplace_back(from, h.sequence);
  }
  EXPECT_EQ(got, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{7, 1}, {9, 1}, {7, 2}}));
  EXPECT_EQ(q.Expected(8), 1u);
}

TEST_F(PacketQueue, OutgoingNumbersCountFromOnePerReceiver) {
  EXPECT_EQ(q.NextSequence(9), 1u);
  EXPECT_EQ(q.NextSequence(9), 2u);
  EXPECT_EQ(q.NextSequence(10), 1u);
  m.AddPacket(1);
  q.Fill();
  Next(q);
  q.ResetSequence();
  EXPECT_EQ(q.NextSequence(9), 1u);
  EXPECT_EQ(q.Expected(7), 1u);
  EXPECT_EQ(q.lastDelivered, 0u);
}

}  // namespace
