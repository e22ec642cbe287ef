// Sessions between library objects of one process, each with its own thread
// and sockets, on loopback.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>

#include "hvmulti/HvChatManager.h"
#include "hvmulti/HvPlayerList.h"
#include "session_helpers.h"

using namespace hvmtest;

namespace {

struct Trio {
  CHvMulti host, a, b;
  HvMPlayer_Struct hp = Player("host"), ap = Player("alice"), bp = Player("bob");
  std::uint16_t port = 0;
  std::vector<Received> hostIn, aIn, bIn;

  void Open() {
    ASSERT_EQ(Host(host, hp), HVM_CREATED);
    port = host.GetHostPort();
    ASSERT_NE(port, 0);
    ASSERT_EQ(Join(a, ap, port), 0);
    ASSERT_EQ(Join(b, bp, port), 0);
    ASSERT_TRUE(WaitUntil([&] { return a.GetPlayers().size() == 3 && b.GetPlayers().size() == 3; }));
  }
};

std::size_t CountFrom(const std::vector<Received>& in, std::uint32_t from) {
  return std::count_if(in.begin(), in.end(), [&](const Received& r) { return r.result == 0 && r.from == from; });
}

// Processor time of the whole process so far, every thread's.
double ProcessSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// Packets of one sender arrive whole and in the order sent.
void ExpectInOrder(const std::vector<Received>& in, std::uint32_t from, std::uint8_t tag, int count) {
  int next = 0;
  for (const auto& r : in) {
    if (r.result != 0 || r.from != from) continue;
    ASSERT_LT(next, count);
    const auto expected = Numbered(tag, static_cast<std::uint8_t>(next), 1 + (next * 211) % HVM_MAX_PACKET);
    EXPECT_EQ(r.data, expected) << "packet " << next << " from " << from;
    ++next;
  }
  EXPECT_EQ(next, count);
}

TEST(HvMultiSession, MembersExchangeWholePacketsInOrder) {
  Trio t;
  t.Open();
  ASSERT_TRUE(Collect(
      t.host, t.hostIn, [&](const Received& r) { return r.result == HVM_MSG_SYSTEM; }, 2));
  EXPECT_TRUE(IsNotice(t.hostIn[0], HVM_NOTICE_JOINED, t.ap.id));
  EXPECT_TRUE(IsNotice(t.hostIn[1], HVM_NOTICE_JOINED, t.bp.id));
  t.hostIn.clear();

  constexpr int kCount = 40;
  for (int i = 0; i < kCount; ++i) {
    const std::size_t size = 1 + (i * 211) % HVM_MAX_PACKET;
    const auto pa = Numbered('a', static_cast<std::uint8_t>(i), size);
    const auto pb = Numbered('b', static_cast<std::uint8_t>(i), size);
    const auto ph = Numbered('h', static_cast<std::uint8_t>(i), size);
    ASSERT_EQ(t.a.Send(t.ap.id, HVM_ID_ALLPLAYERS, pa.data(), size, 1, 1), 0);
    ASSERT_EQ(t.b.Send(t.bp.id, HVM_ID_ALLPLAYERS, pb.data(), size, 1, 1), 0);
    ASSERT_EQ(t.host.Send(t.hp.id, HVM_ID_ALLPLAYERS, ph.data(), size, 1, 1), 0);
  }
  auto packets = [](const Received& r) { return r.result == HVM_MSG_PACKET; };
  ASSERT_TRUE(Collect(t.host, t.hostIn, packets, 2 * kCount));
  ASSERT_TRUE(Collect(t.a, t.aIn, packets, 2 * kCount));
  ASSERT_TRUE(Collect(t.b, t.bIn, packets, 2 * kCount));
  ExpectInOrder(t.hostIn, t.ap.id, 'a', kCount);
  ExpectInOrder(t.hostIn, t.bp.id, 'b', kCount);
  ExpectInOrder(t.aIn, t.hp.id, 'h', kCount);
  ExpectInOrder(t.aIn, t.bp.id, 'b', kCount);
  ExpectInOrder(t.bIn, t.ap.id, 'a', kCount);
  // "All players" never comes back to its sender.
  EXPECT_EQ(CountFrom(t.aIn, t.ap.id), 0u);
  EXPECT_EQ(CountFrom(t.hostIn, t.hp.id), 0u);
}

// While its game takes nothing, the host's library passes packets between
// members on by itself, and keeps looking at their sockets without sleeping
// while they keep coming. Once they stop, it sleeps again: a host that stayed
// awake would take a whole processor for as long as the session lasts.
TEST(HvMultiSession, AHostThatPassedPacketsOnSleepsOnceTheyStop) {
  Trio t;
  t.Open();
  constexpr int kCount = 20;
  for (int i = 0; i < kCount; ++i) {
    const std::size_t size = 1 + (i * 211) % HVM_MAX_PACKET;
    const auto p = Numbered('a', static_cast<std::uint8_t>(i), size);
    ASSERT_EQ(t.a.Send(t.ap.id, t.bp.id, p.data(), size, 1, 1), 0);
    ASSERT_TRUE(Collect(
        t.b, t.bIn, [](const Received& r) { return r.result == HVM_MSG_PACKET; }, i + 1));
  }
  ExpectInOrder(t.bIn, t.ap.id, 'a', kCount);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const double before = ProcessSeconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_LT(ProcessSeconds() - before, 0.03);
}

TEST(HvMultiSession, DestinationsAndChat) {
  Trio t;
  t.Open();
  const std::uint8_t one[] = {1, 2, 3};
  // To one player: only that player gets it.
  ASSERT_EQ(t.a.Send(t.ap.id, t.bp.id, one, 3, 1, 1), 0);
  // The session group reaches the sender too.
  ASSERT_EQ(t.host.Send(t.hp.id, HVM_ID_SESSION, one, 3, 1, 1), 0);
  CHvChatManager chat(&t.b);
  ASSERT_EQ(chat.Send(t.bp.id, HVM_ID_SESSION, "hello there"), 0);

  auto notNotice = [](const Received& r) { return r.result != HVM_MSG_SYSTEM; };
  ASSERT_TRUE(Collect(t.b, t.bIn, notNotice, 3));
  ASSERT_TRUE(Collect(t.host, t.hostIn, notNotice, 2));
  ASSERT_TRUE(Collect(t.a, t.aIn, notNotice, 2));
  EXPECT_EQ(CountFrom(t.hostIn, t.ap.id), 0u);
  EXPECT_EQ(CountFrom(t.bIn, t.ap.id), 1u);
  EXPECT_EQ(CountFrom(t.hostIn, t.hp.id), 1u);
  const auto chatLine = std::find_if(t.aIn.begin(), t.aIn.end(), [](const Received& r) { return r.result == 4; });
  ASSERT_NE(chatLine, t.aIn.end());
  EXPECT_EQ(chatLine->from, t.bp.id);
  EXPECT_STREQ(reinterpret_cast<const char*>(chatLine->data.data()), "hello there");

  // The player list: everyone, with flags of the caller's own.
  CHvPlayerList list(HVM_ID_SESSION, nullptr);
  EXPECT_EQ(list.UpdatePlayerList(&t.a), 3);
  EXPECT_EQ(list.TogglePlayerFlagByID(t.bp.id, 1), 1);
  EXPECT_EQ(list.SetPlayerFlagByID(999, 1), 0);
  EXPECT_EQ(list.UpdatePlayerList(&t.a), 3);
  for (int i = 0; i < list.PlayerCount(); ++i)
    EXPECT_EQ(list.GetPlayer(i)->flags, list.GetPlayer(i)->id == t.bp.id ? 1u : 0u);
  EXPECT_EQ(list.GetPlayer(3), nullptr);
}

TEST(HvMultiSession, RefusedSendsAndServices) {
  Trio t;
  t.Open();
  std::vector<std::uint8_t> big(HVM_MAX_PACKET + 1, 0);
  EXPECT_EQ(t.a.Send(t.ap.id, HVM_ID_ALLPLAYERS, big.data(), HVM_MAX_PACKET + 1, 1, 1), HVM_ERR_TOOLARGE);
  EXPECT_EQ(t.a.Send(t.ap.id, HVM_ID_ALLPLAYERS, big.data(), 0, 1, 1), HVM_ERR_TOOLARGE);
  // A player who is not in the session is not a failure: the packet goes nowhere.
  EXPECT_EQ(t.a.Send(t.ap.id, 4711, big.data(), 8, 1, 1), 0);
  EXPECT_EQ(t.a.Send(t.bp.id, HVM_ID_ALLPLAYERS, big.data(), 8, 1, 1), HVM_ERR_INVALIDPLAYER);
  EXPECT_EQ(t.a.SendSzChat(t.ap.id, HVM_ID_SESSION, std::string(HVM_MAX_CHAT + 1, 'c').c_str()), HVM_ERR_TOOLARGE);

  CHvMulti other;
  for (const std::uint32_t service : {HVM_SERVICEID_IPX, HVM_SERVICEID_MODEM, HVM_SERVICEID_SERIAL}) {
    EXPECT_EQ(other.InitServiceEx(service, kGuid, nullptr), HVM_ERR_NOHARDWARE);
    EXPECT_NE(other.LastErrorText().find("use TCP/IP"), std::string::npos);
  }
  EXPECT_EQ(other.InitServiceEx(12345, kGuid, nullptr), HVM_ERR_BADSERVICE);
  EXPECT_EQ(other.InitAutoLaunch("HVLOBBY", kGuid, HVM_PROTOCOL_VERSION), HVM_ERR_NOLOBBY);
  EXPECT_EQ(other.InitAutoLaunch(HVM_LOCAL_SERVICE_NAME, kGuid, 5), HVM_ERR_BADGUID);
  // Another application's sessions are not listed.
  EXPECT_EQ(FindSession(other, t.port, "another-guid", 300), 0u);

  // Once the host stops joining, the session is neither listed nor joinable.
  const std::uint32_t id = FindSession(other, t.port);
  ASSERT_NE(id, 0u);
  ASSERT_EQ(t.host.StopJoin(), 0);
  HvMPlayer_Struct late = Player("late");
  EXPECT_EQ(other.OpenAndJoin(id, "", &late), HVM_ERR_JOINCLOSED);
  EXPECT_EQ(FindSession(other, t.port, kGuid, 300), 0u);
}

TEST(HvMultiSession, PasswordAndServiceListing) {
  CHvMulti host, guest;
  HvMPlayer_Struct hp = Player("host"), gp = Player("guest");
  ASSERT_EQ(Host(host, hp, "secret"), HVM_CREATED);
  const std::uint32_t id = FindSession(guest, host.GetHostPort());
  ASSERT_NE(id, 0u);
  HvMSession_Struct seen;
  ASSERT_EQ(host.GetSessionDesc(&seen), 0);
  EXPECT_EQ(seen.Text(HvMSession_Struct::kPassword, HvMSession_Struct::kPasswordWidth), "x");
  EXPECT_EQ(seen.Text(HvMSession_Struct::kDescription, HvMSession_Struct::kDescriptionWidth), "n_60_8_40_2");
  EXPECT_EQ(guest.OpenAndJoin(id, "wrong", &gp), HVM_ERR_PASSWORD);
  EXPECT_EQ(guest.OpenAndJoin(id, "secret", &gp), 0);

  std::vector<std::pair<std::uint32_t, int>> services;
  guest.EnumServices(
      [](const HvMService_Struct* s, void* ctx, std::uint32_t) {
        static_cast<decltype(services)*>(ctx)->emplace_back(s->U32(HvMService_Struct::kId),
                                                            s->U8(HvMService_Struct::kType));
        return 0;
      },
      &services, 0);
  const std::vector<std::pair<std::uint32_t, int>> expected = {
      {HVM_SERVICEID_TCPIP, 6}, {HVM_SERVICEID_IPX, 4}, {HVM_SERVICEID_MODEM, 1}, {HVM_SERVICEID_SERIAL, 5}};
  EXPECT_EQ(services, expected);
}

TEST(HvMultiSession, LeavingRemovalAndTheHostsEnd) {
  Trio t;
  t.Open();
  // An orderly leave.
  ASSERT_EQ(t.b.CloseSession(), 0);
  ASSERT_TRUE(Collect(
      t.host, t.hostIn, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, t.bp.id); }, 1));
  ASSERT_TRUE(Collect(
      t.a, t.aIn, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, t.bp.id); }, 1));
  // Sending to the player who left still succeeds, and reaches nobody: the
  // host gets only the marker sent after it.
  const std::uint8_t toGone[] = {1}, marker[] = {2};
  EXPECT_EQ(t.a.Send(t.ap.id, t.bp.id, toGone, 1, 1, 1), 0);
  ASSERT_EQ(t.a.Send(t.ap.id, t.hp.id, marker, 1, 1, 1), 0);
  ASSERT_TRUE(Collect(
      t.host, t.hostIn, [&](const Received& r) { return r.result == HVM_MSG_PACKET; }, 1));
  EXPECT_EQ(CountFrom(t.hostIn, t.ap.id), 1u);
  EXPECT_EQ(t.hostIn.back().data, std::vector<std::uint8_t>{2});

  // Removed by the host: the notice names the removed player itself.
  CHvMulti c;
  HvMPlayer_Struct cp = Player("carol");
  ASSERT_EQ(Join(c, cp, t.port), 0);
  EXPECT_EQ(t.a.DeletePlayer(cp.id), HVM_ERR_NOTHOST);
  ASSERT_EQ(t.host.DeletePlayer(cp.id), 0);
  std::vector<Received> cIn;
  ASSERT_TRUE(Collect(
      c, cIn, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, cp.id); }, 1));
  const std::uint8_t p[] = {9};
  EXPECT_EQ(c.Send(cp.id, HVM_ID_ALLPLAYERS, p, 1, 1, 1), HVM_ERR_CONNECTIONLOST);

  // The host's end ends the session for the others.
  ASSERT_EQ(t.host.CloseSession(), 0);
  ASSERT_TRUE(Collect(
      t.a, t.aIn, [&](const Received& r) { return IsNotice(r, HVM_NOTICE_LEFT, t.hp.id); }, 1));
  EXPECT_EQ(t.a.Send(t.ap.id, HVM_ID_ALLPLAYERS, p, 1, 1, 1), HVM_ERR_CONNECTIONLOST);
  EXPECT_EQ(t.a.GetPlayers().size(), 1u);
}

TEST(HvMultiSession, SmallBufferDropsTheMessage) {
  CHvMulti host, guest;
  HvMPlayer_Struct hp = Player("host"), gp = Player("guest");
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  ASSERT_EQ(Join(guest, gp, host.GetHostPort()), 0);
  const auto packet = Numbered('g', 1, 100);
  ASSERT_EQ(guest.Send(gp.id, hp.id, packet.data(), 100, 1, 1), 0);
  ASSERT_EQ(guest.Send(gp.id, hp.id, packet.data(), 10, 1, 1), 0);
  // The join notice comes first, then both packets; taking the notice before
  // both packets are in would race with their arrival.
  ASSERT_TRUE(WaitUntil([&] { return host.CheckMessages() == 3; }));
  std::uint8_t notice[HVM_MAX_PACKET];
  std::uint32_t noticeLength = sizeof notice;
  ASSERT_EQ(host.GetTop(notice, &noticeLength, nullptr, nullptr, nullptr), HVM_MSG_SYSTEM);
  ASSERT_EQ(host.CheckMessages(), 2);
  std::uint8_t buffer[50];
  std::uint32_t length = sizeof buffer;
  EXPECT_EQ(host.GetTop(buffer, &length, nullptr, nullptr, nullptr), HVM_ERR_BUFFERSMALL);
  EXPECT_EQ(length, 100u);
  length = sizeof buffer;
  EXPECT_EQ(host.GetTop(buffer, &length, nullptr, nullptr, nullptr), HVM_MSG_PACKET);
  EXPECT_EQ(length, 10u);
  EXPECT_EQ(host.GetTop(buffer, &length, nullptr, nullptr, nullptr), HVM_ERR_NOMESSAGE);
}

TEST(HvMultiSession, ASenderThatOutrunsItsReaderHearsBusy) {
  CHvMulti host, guest;
  HvMPlayer_Struct hp = Player("host"), gp = Player("guest");
  ASSERT_EQ(Host(host, hp), HVM_CREATED);
  ASSERT_EQ(Join(guest, gp, host.GetHostPort()), 0);
  // The guest takes nothing: its library stops reading, the sockets fill, and
  // the host's queue towards it grows past the busy mark.
  std::vector<std::uint8_t> packet(HVM_MAX_PACKET, 7);
  int result = 0;
  for (int i = 0; i < 200000 && result == 0; ++i) result = host.Send(hp.id, gp.id, packet.data(), HVM_MAX_PACKET, 1, 1);
  ASSERT_EQ(result, HVM_ERR_BUSY);
  // Once the guest reads again, sending goes on.
  ASSERT_TRUE(WaitUntil([&] {
    std::vector<Received> sink;
    Drain(guest, sink);
    return host.Send(hp.id, gp.id, packet.data(), HVM_MAX_PACKET, 1, 1) == 0;
  }));
}

}  // namespace
