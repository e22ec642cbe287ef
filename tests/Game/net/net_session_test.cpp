// The session's send core, its slot table and its connection steps, over a
// stand-in library; and one run over the real library on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <tuple>

#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "fake_multi.h"
#include "platform/core/clock.h"
#include "tests/hvmulti/session_helpers.h"
#include "tests/support/recording_shell.h"
#include "tests/support/recording_sink.h"

using nettest::FakeMulti;

namespace {

// The program around the session: its boxes kept apart by kind, its quits
// and the e-mail turn file.
struct Links : quentest::RecordingShell {
  quentest::RecordingSink sink;
  std::vector<std::string> textBoxes, plainBoxes;
  std::vector<std::vector<std::uint8_t>>& emailed = sink.emailed;
  std::unique_ptr<CGameData> game;  // held in g_gameData once a test starts one
  int quitsPosted = 0;
  // Runs while the game's box is up (its keep-alive timer sends meanwhile).
  std::function<void()> whileBoxUp;

  void StartGame() {
    game = std::make_unique<CGameData>(0, 8);
    g_gameData = game.get();
  }
  void ShowTextBox(const char* id, const char*) override {
    textBoxes.emplace_back(id);
    if (whileBoxUp) whileBoxUp();
  }
  void ShowPlainBox(const char* text) override { plainBoxes.emplace_back(text); }
  void PostQuit(int) override { ++quitsPosted; }
};

struct Fixture : testing::Test {
  static constexpr std::uint32_t kServer = 2;
  Links links;
  FakeMulti* fake = nullptr;
  std::unique_ptr<CNetSession> session;

  void SetUp() override {
    plat::UseVirtualClock(0);
    auto m = std::make_unique<FakeMulti>();
    fake = m.get();
    fake->serverId = kServer;  // a client of a client-server game, unless a test says otherwise
    session = std::make_unique<CNetSession>(std::move(m));
    session->player.id = 5;
    // The waits for the other side on the virtual clock too, so their limits
    // pass without sleeping (the real clock's own cases put its default back).
    session->contactClock = &ProgramContactClock();
  }
  void TearDown() override {
    session.reset();
    links.game.reset();
    plat::SetIdleHook(nullptr);
    plat::UseRealClock();
  }
  static std::uint32_t SequenceOf(const std::vector<std::uint8_t>& p) {
    PacketHeader h;
    return ReadPacketHeader(p, h) ? h.sequence : 0xFFFFFFFF;
  }
};

using NetSession = Fixture;

// Everything a client sends reaches the server program first: one sequence.
TEST_F(NetSession, AClientServerClientNumbersEverySendInOneSequence) {
  session->StoreOwnId(3);
  ASSERT_TRUE(session->StorePlayerId(40, 99));
  std::uint8_t p[16] = {1};
  EXPECT_TRUE(session->Send(-1, p, 16));
  EXPECT_TRUE(session->Send(40, p, 16));
  EXPECT_TRUE(session->BroadcastUnsequenced(-1, p, 16));
  EXPECT_TRUE(session->Send(3, p, 16));
  ASSERT_EQ(fake->sent.size(), 4u);
  EXPECT_EQ(std::make_tuple(fake->sent[0].to, fake->sent[1].to, fake->sent[3].to, fake->sent[0].from),
            std::make_tuple(HVM_ID_ALLPLAYERS, 99u, 5u, 5u));
  std::vector<std::uint32_t> seq;
  for (const auto& s : fake->sent) seq.push_back(SequenceOf(s.bytes));
  EXPECT_EQ(seq, (std::vector<std::uint32_t>{1, 2, 0, 3}));
  EXPECT_EQ(fake->flushes, 4);
}

// Each receiver counts each sender's packets on its own, so a peer-to-peer
// sender numbers per receiver and sends "to all" to each in turn.
TEST_F(NetSession, APeerNumbersPerReceiver) {
  fake->serverId = HVM_ID_NONE;
  fake->players = {HvMPlayerInfo{5, false, true, "me", "me"}, HvMPlayerInfo{7, false, false, "b", "b"},
                   HvMPlayerInfo{8, false, false, "c", "c"}};
  ASSERT_TRUE(session->StorePlayerId(1, 7));
  std::uint8_t p[16] = {};
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(session->Send(1, p, 16));
  EXPECT_TRUE(session->Send(-1, p, 16));
  EXPECT_TRUE(session->BroadcastUnsequenced(-1, p, 16));
  std::vector<std::pair<std::uint32_t, std::uint32_t>> got;
  for (const auto& s : fake->sent) got.emplace_back(s.to, SequenceOf(s.bytes));
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {{7, 1}, {7, 2}, {7, 3},
                                                                         {7, 4}, {8, 1}, {HVM_ID_ALLPLAYERS, 0}};
  EXPECT_EQ(got, expected);
  EXPECT_EQ(session->sendCount, 6);
}

TEST_F(NetSession, ReceiveGivesUpOnAGapThatNeverCloses) {
  links.StartGame();
  session->receiveLimitMs = 500;
  fake->AddPacket(2);  // 1 never comes
  std::uint8_t* data = nullptr;
  const auto start = plat::timeGetTime();
  EXPECT_EQ(session->Receive(&data), HVM_ERR_CONNECTIONLOST);
  EXPECT_GE(plat::timeGetTime() - start, 500u);
  EXPECT_EQ(links.textBoxes, (std::vector<std::string>{"COMM_ERR"}));
}

// A starved program's clock runs ahead while it waits; the server is given
// its time in real milliseconds, and the waits and the busy retries take real
// time rather than spinning.
TEST_F(NetSession, WaitsForTheOtherSideAreReckonedInRealTime) {
  session->contactClock = &RealContactClock();
  plat::SetIdleHook([] { plat::AdvanceVirtualClock(60'000); });
  session->receiveLimitMs = 150;
  fake->AddPacket(2);  // 1 never comes
  std::uint8_t* data = nullptr;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(session->Receive(&data), HVM_ERR_CONNECTIONLOST);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(links.plainBoxes.size(), 1u);

  session->CreateAndJoin(ConnectionInfo{});
  fake->sendResults = {HVM_ERR_BUSY, HVM_ERR_BUSY, 0};
  std::uint8_t p[8] = {};
  start = std::chrono::steady_clock::now();
  EXPECT_TRUE(session->Send(-1, p, 8));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(NetSession, EarlyPacketsFillTheQueueToItsBoundOnly) {
  std::uint8_t* data = nullptr;
  for (std::uint32_t s = 2; s < 3000; ++s) fake->AddPacket(s);
  EXPECT_EQ(session->Receive(&data), HVM_ERR_CONNECTIONLOST);
  EXPECT_LE(session->queue->NodeCount(), kMaxQueueNodes);
  EXPECT_EQ(links.plainBoxes.size(), 1u);
  session->Pump(200);  // reported once
  EXPECT_EQ(links.plainBoxes.size(), 1u);
  // A new game starts afresh.
  session->queue->ResetSequence();
  fake->inbox.clear();
  fake->AddPacket(1);
  EXPECT_EQ(session->Receive(&data), 0);
}

TEST_F(NetSession, ABurstLargerThanTheQueueIsReceivedWhole) {
  // The ring's bound holds back the rest; it is no sign of a lost connection.
  for (std::uint32_t s = 1; s <= 3000; ++s) fake->AddPacket(s);
  std::uint8_t* data = nullptr;
  for (std::uint32_t s = 1; s <= 3000; ++s) {
    ASSERT_EQ(session->Receive(&data), 0) << s;
    EXPECT_EQ(SequenceOf({data, data + 8}), s);
  }
  EXPECT_FALSE(session->queue->Overflowed());
  EXPECT_LE(session->queue->NodeCount(), kMaxQueueNodes);
  EXPECT_TRUE(links.plainBoxes.empty());
}

TEST_F(NetSession, SlotsOutsideTheTableAreRefused) {
  std::uint8_t p[8] = {};
  EXPECT_FALSE(session->StoreOwnId(41));
  EXPECT_FALSE(session->StorePlayerId(-2, 1));
  EXPECT_FALSE(session->Send(41, p, 8));
  EXPECT_FALSE(session->Send(-2, p, 8));
  EXPECT_FALSE(session->BroadcastUnsequenced(0, p, 8));
  // A slot whose player is not known yet sends nothing and spends no number.
  EXPECT_TRUE(session->Send(12, p, 8));
  EXPECT_TRUE(fake->sent.empty());
  EXPECT_TRUE(session->Send(-1, p, 8));
  EXPECT_EQ(SequenceOf(fake->sent.at(0).bytes), 1u);
}

TEST_F(NetSession, BusyIsRetriedEveryHundredMilliseconds) {
  fake->sendResults = {HVM_ERR_BUSY, HVM_ERR_BUSY, HVM_ERR_BUSY, 0};
  std::uint8_t p[8] = {};
  const auto start = plat::timeGetTime();
  EXPECT_TRUE(session->Send(-1, p, 8));
  EXPECT_EQ(fake->sent.size(), 4u);
  EXPECT_EQ(plat::timeGetTime() - start, 300u);
  EXPECT_EQ(fake->flushes, 1);
  EXPECT_EQ(session->sendCount, 1);
}

TEST_F(NetSession, ASendBusyPastItsLimitIsALostConnection) {
  std::uint8_t p[8] = {};
  fake->sendResults.assign(CNetSession::kSendBusyLimitMs / 100 + 10, HVM_ERR_BUSY);
  fake->sendResults.push_back(0);
  const auto start = plat::timeGetTime();
  EXPECT_FALSE(session->Send(-1, p, 8));
  EXPECT_EQ(plat::timeGetTime() - start, CNetSession::kSendBusyLimitMs);
  EXPECT_EQ(links.plainBoxes.size(), 1u);
  EXPECT_EQ(session->sendCount, 0);
}

TEST_F(NetSession, OtherFailuresAreALostConnection) {
  std::uint8_t p[8] = {};
  fake->sendResults = {HVM_ERR_CONNECTIONLOST};
  EXPECT_FALSE(session->Send(-1, p, 8));
  EXPECT_EQ(links.plainBoxes,
            (std::vector<std::string>{"We've lost contact with the server. You will have to try and reconnect."}));
  EXPECT_TRUE(links.textBoxes.empty());
  // The next session's loss, in a game.
  session->CreateAndJoin(ConnectionInfo{});
  links.StartGame();
  fake->sendResults = {-1};
  EXPECT_FALSE(session->Send(-1, p, 8));
  EXPECT_EQ(links.textBoxes, (std::vector<std::string>{"COMM_ERR"}));
  EXPECT_EQ(fake->flushes, 0);
  EXPECT_EQ(session->sendCount, 0);
}

// The box's keep-alive sends fail too while it is up, and so does whatever
// the game sends before it is torn down: one box, one end of the game.
TEST_F(NetSession, ALostConnectionIsReportedOnceASession) {
  links.StartGame();
  std::uint8_t p[8] = {};
  links.whileBoxUp = [&] { EXPECT_FALSE(session->Send(-1, p, 8)); };
  fake->sendResults.assign(5, HVM_ERR_CONNECTIONLOST);
  EXPECT_FALSE(session->Send(-1, p, 8));
  EXPECT_FALSE(session->Send(-1, p, 8));
  EXPECT_EQ(links.textBoxes, (std::vector<std::string>{"COMM_ERR"}));
  EXPECT_EQ(links.quitsPosted, 1);
  // A session opened again may be lost again.
  EXPECT_EQ(session->OpenAndJoin(ConnectionInfo{}), 0);
  EXPECT_FALSE(session->Send(-1, p, 8));
  EXPECT_EQ(links.textBoxes.size(), 2u);
  EXPECT_EQ(links.quitsPosted, 2);
}

TEST_F(NetSession, TheServerLeavingIsALostConnectionUntilTheGameEnded) {
  links.StartGame();
  session->StartReceiving();
  session->Pump(200);
  // The library forgets the server as it tells of its leaving.
  fake->serverId = HVM_ID_NONE;
  session->NoteLeft(9);  // another player: the game goes on
  session->NoteLeft(HVM_ID_NONE);
  EXPECT_TRUE(links.textBoxes.empty());
  session->NoteLeft(kServer);
  EXPECT_EQ(links.textBoxes, (std::vector<std::string>{"COMM_ERR"}));
  EXPECT_EQ(links.quitsPosted, 1);

  // A finished game's server ends by itself: neither its leaving nor a send
  // after it is reported.
  fake->serverId = kServer;
  EXPECT_EQ(session->CreateAndJoinCS(ConnectionInfo{}, nullptr), HVM_CREATED);
  session->Pump(200);
  session->NoteGameEnded();
  session->NoteLeft(kServer);
  std::uint8_t p[8] = {};
  fake->sendResults = {HVM_ERR_CONNECTIONLOST};
  EXPECT_FALSE(session->Send(-1, p, 8));
  EXPECT_EQ(links.textBoxes.size(), 1u);
  // The next session watches its own server (not seen yet), and the local
  // player's own removal.
  EXPECT_EQ(session->OpenAndJoin(ConnectionInfo{}), 0);
  fake->serverId = HVM_ID_NONE;
  session->NoteLeft(kServer);
  EXPECT_EQ(links.textBoxes.size(), 1u);
  session->NoteLeft(session->player.id);
  EXPECT_EQ(links.textBoxes.size(), 2u);
  EXPECT_EQ(links.quitsPosted, 2);
}

TEST_F(NetSession, TwentySendsPumpOnceAndFileSendsDoNotCount) {
  session->StartReceiving();
  std::uint8_t p[8] = {};
  for (int i = 0; i < 19; ++i) session->Send(-1, p, 8);
  const int checks = fake->checks;
  session->Send(-1, p, 8);
  EXPECT_EQ(fake->checks, checks + 1);
  EXPECT_EQ(session->sendCount, 0);

  session->emailMode = 1;
  for (int i = 0; i < 25; ++i) session->Send(-1, p, 8);
  EXPECT_EQ(fake->checks, checks + 1);
  EXPECT_EQ(fake->sent.size(), 20u);
  ASSERT_EQ(links.emailed.size(), 25u);
  EXPECT_EQ(SequenceOf(links.emailed[0]), 0u);  // e-mail packets carry no number

  session->emailMode = 0;
  session->fileSendMode = 1;
  session->Send(-1, p, 8);
  EXPECT_EQ(SequenceOf(links.emailed.back()), 21u);  // the server's sequence goes on
  EXPECT_EQ(fake->sent.size(), 20u);
}

TEST_F(NetSession, ServicesAreFiledByType) {
  auto service = [](std::uint32_t id, std::uint8_t type, std::uint16_t flags) {
    HvMService_Struct s;
    s.SetU32(HvMService_Struct::kId, id);
    s.SetU8(HvMService_Struct::kType, type);
    s.SetU16(HvMService_Struct::kFlags, flags);
    return s;
  };
  fake->services = {service(70, 7, 0x10), service(60, 6, 0), service(40, 4, 0),
                    service(10, 1, 0),    service(50, 5, 0), service(20, 2, 0)};
  ConnectionInfo info;
  info.serviceIds[2] = 1234;
  session->EnumServices(info);
  EXPECT_EQ(
      std::make_tuple(info.serviceIds[CONNECT_ONLINE], info.serviceIds[CONNECT_TCPIP], info.serviceIds[CONNECT_IPX],
                      info.serviceIds[CONNECT_MODEM], info.serviceIds[CONNECT_SERIAL], info.onlineFlags),
      std::make_tuple(70u, 60u, 40u, 10u, 50u, 0x10));
}

TEST_F(NetSession, CreateFillsTheSessionRecord) {
  ConnectionInfo info;
  std::strcpy(info.sessionName, "My_Game");
  std::strcpy(info.description, "n_60_8_40_2");
  std::strcpy(info.password, "0");
  std::strcpy(info.playerName, "Player One");
  std::strcpy(info.nickname, "P1");
  EXPECT_EQ(session->CreateAndJoin(info), HVM_CREATED);
  ASSERT_EQ(fake->created.size(), 1u);
  const auto& r = fake->created[0];
  EXPECT_EQ(r.Text(0, 32), "My_Game");
  EXPECT_EQ(r.Text(32, 52), "n_60_8_40_2");
  EXPECT_EQ(r.U32(84), 0u);
  EXPECT_EQ(r.U32(88), 40u);
  EXPECT_EQ(r.Text(96, 16), "");  // "0" means no password
  EXPECT_EQ(std::string(session->player.longName), "Player One");
  EXPECT_EQ(session->opened, 1u);
  EXPECT_EQ(session->sessionDesc, nullptr);
  ASSERT_NE(session->queue, nullptr);
  EXPECT_EQ(session->queue->NodeCount(), 6);

  std::strcpy(info.password, "pw");
  info.serviceType = 6;
  EXPECT_EQ(session->CreateAndJoinCS(info, nullptr), HVM_CREATED);
  EXPECT_EQ(fake->created[1].Text(96, 16), "pw");
  EXPECT_EQ(fake->programs.back(), "QuenSrvr.exe");
  EXPECT_EQ(fake->commandLines.back(), "");
}

TEST_F(NetSession, LocalStartHostsAndStopsJoining) {
  EXPECT_EQ(session->AutoLaunchConnect(nullptr), 0);
  EXPECT_EQ(fake->launchTexts, (std::vector<std::string>{"HVSCS"}));
  EXPECT_EQ(fake->launchVersion, 6);
  ASSERT_EQ(fake->created.size(), 1u);
  EXPECT_EQ(fake->created[0].Text(0, 32), "Single");
  EXPECT_EQ(fake->created[0].U32(88), 40u);
  EXPECT_NE(fake->programs[0].find("QuenSrvr.exe"), std::string::npos);
  EXPECT_EQ(fake->stopJoins, 1);
  EXPECT_TRUE(links.systemBoxes.empty());

  fake->createResult = HVM_ERR_SERVERSTART;
  session->AutoLaunchConnect("HVSCS");
  EXPECT_EQ(links.systemBoxes, (std::vector<std::string>{"AutoConnectToMe: Error -23"}));
  EXPECT_EQ(links.plainBoxes, (std::vector<std::string>{"Error -23"}));

  fake->launchResult = HVM_LAUNCH_JOIN;
  EXPECT_EQ(session->AutoLaunchConnect("HVJOIN"), 0);
  EXPECT_EQ(fake->joined, (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(fake->passwords, (std::vector<std::string>{""}));

  fake->launchResult = HVM_ERR_NOLOBBY;
  EXPECT_EQ(session->AutoLaunchConnect("HVX"), HVM_ERR_NOLOBBY);
  EXPECT_EQ(session->InitAutoLaunch(nullptr), 0);
}

TEST_F(NetSession, ReceiveSkipsLibraryMessagesAndNoticesTheEnd) {
  fake->AddNotice(HVM_NOTICE_JOINED, 8);
  fake->inbox.push_back(FakeMulti::Message{HVM_MSG_CHAT, {'x', 0}, 8});
  fake->AddPacket(1, 12);
  std::uint8_t* data = nullptr;
  ASSERT_EQ(session->Receive(&data), 0);
  PacketHeader h;
  ASSERT_TRUE(ReadPacketHeader(std::span(data, 8), h));
  EXPECT_EQ(h.type, 1001);

  // Everyone else gone: nothing can answer any more.
  fake->players = {HvMPlayerInfo{5, false, false, "me", "me"}};
  fake->AddNotice(HVM_NOTICE_LEFT, 8);
  EXPECT_EQ(session->Receive(&data), HVM_ERR_CONNECTIONLOST);
}

TEST_F(NetSession, EndGameIsAnUnsequencedEightBytePacket) {
  session->BroadcastEndGame();
  ASSERT_EQ(fake->sent.size(), 1u);
  EXPECT_EQ(fake->sent[0].bytes, (std::vector<std::uint8_t>{5, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(fake->sent[0].to, HVM_ID_ALLPLAYERS);
}

// Over the real library: a member sends 2, 3, an unsequenced packet, then 1;
// the session hands them out as the unsequenced one, 1, 2, 3.
TEST(NetSessionLoopback, ReceivedPacketsComeOutInSequence) {
  CNetSession host;
  ConnectionInfo info;
  host.EnumServices(info);
  info.connectionKind = CONNECT_TCPIP;
  std::strcpy(info.sessionName, "Loop");
  std::strcpy(info.playerName, "Host");
  auto at = hvmtest::Address("127.0.0.1:0");
  ASSERT_EQ(host.InitService(info, &at), 0);
  ASSERT_EQ(host.CreateAndJoin(info), HVM_CREATED);

  CHvMulti member;
  HvMPlayer_Struct mp;
  const std::uint32_t sessionId = hvmtest::FindSession(member, host.multi->GetHostPort(), kApplicationGuid);
  ASSERT_EQ(member.OpenAndJoin(sessionId, "", &mp), 0);
  for (const std::uint32_t s : {2u, 3u, 0u, 1u}) {
    std::uint8_t p[12] = {};
    WritePacketHeader(p, PacketHeader{static_cast<std::uint16_t>(100 + s), 0, s});
    ASSERT_EQ(member.Send(mp.id, HVM_ID_ALLPLAYERS, p, sizeof p, 1, 1), 0);
  }
  // Receive waits as long as it takes: it is called only once the library
  // holds the join notice and all four packets.
  hvmtest::WaitUntil([&] { return host.multi->CheckMessages() >= 5; });
  ASSERT_EQ(host.multi->CheckMessages(), 5);
  std::vector<std::uint16_t> types;
  for (int i = 0; i < 4; ++i) {
    std::uint8_t* data = nullptr;
    ASSERT_EQ(host.Receive(&data), 0);
    PacketHeader h;
    ReadPacketHeader(std::span(data, 8), h);
    types.push_back(h.type);
  }
  EXPECT_EQ(types, (std::vector<std::uint16_t>{100, 101, 102, 103}));

  // And the host's own sends are numbered from 1.
  std::uint8_t out[12] = {};
  ASSERT_TRUE(host.Send(-1, out, sizeof out));
  std::vector<hvmtest::Received> in;
  ASSERT_TRUE(hvmtest::Collect(
      member, in, [](const hvmtest::Received& r) { return r.result == HVM_MSG_PACKET; }, 1));
  const auto packet = std::find_if(in.begin(), in.end(), [](const auto& r) { return r.result == HVM_MSG_PACKET; });
  EXPECT_EQ(Fixture::SequenceOf(packet->data), 1u);
}

// Three peers: b is addressed alone 30 times before a packet to all, and
// both b and c send to a. Every packet arrives, in order.
TEST(NetSessionLoopback, ThreePeersLoseNoPacket) {
  CNetSession a, b, c;
  ConnectionInfo info;
  a.EnumServices(info);
  info.connectionKind = CONNECT_TCPIP;
  std::strcpy(info.sessionName, "Three");
  auto at = hvmtest::Address("127.0.0.1:0");
  ASSERT_EQ(a.InitService(info, &at), 0);
  ASSERT_EQ(a.CreateAndJoin(info), HVM_CREATED);
  for (CNetSession* s : {&b, &c}) {
    info.sessionId = hvmtest::FindSession(*s->multi, a.multi->GetHostPort(), kApplicationGuid);
    ASSERT_NE(info.sessionId, 0u);
    ASSERT_EQ(s->OpenAndJoin(info), 0);
  }
  ASSERT_TRUE(
      hvmtest::WaitUntil([&] { return c.multi->GetPlayers().size() == 3 && a.multi->GetPlayers().size() == 3; }));
  for (CNetSession* s : {&a, &b, &c}) {
    s->StorePlayerId(0, a.player.id);
    s->StorePlayerId(1, b.player.id);
    s->StorePlayerId(2, c.player.id);
  }
  auto send = [](CNetSession& s, int slot, std::uint16_t type) {
    std::uint8_t p[12] = {};
    WritePacketHeader(p, PacketHeader{type, 0, 0});
    return s.Send(slot, p, sizeof p);
  };
  for (std::uint16_t i = 1; i <= 30; ++i) ASSERT_TRUE(send(a, 1, i));
  ASSERT_TRUE(send(a, -1, 31));
  ASSERT_TRUE(send(b, 0, 200));
  ASSERT_TRUE(send(c, 0, 300));
  auto receive = [](CNetSession& s, std::size_t n) {
    s.receiveLimitMs = 5000;
    std::vector<std::uint16_t> types;
    std::uint8_t* data = nullptr;
    while (types.size() < n && s.Receive(&data) == 0) {
      PacketHeader h;
      ReadPacketHeader(std::span(data, 8), h);
      types.push_back(h.type);
    }
    std::sort(types.begin(), types.end());
    return types;
  };
  std::vector<std::uint16_t> toB(31);
  for (std::uint16_t i = 0; i < 31; ++i) toB[i] = i + 1;
  EXPECT_EQ(receive(b, 31), toB);
  EXPECT_EQ(receive(c, 1), (std::vector<std::uint16_t>{31}));
  EXPECT_EQ(receive(a, 2), (std::vector<std::uint16_t>{200, 300}));
}

}  // namespace
