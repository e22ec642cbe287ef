// The real server in a hosted session with a guest that floods it with
// requests and reads nothing of what comes back: the host, measured beside
// it, is answered as quickly as ever.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "Game/net/NetSession.h"
#include "Game/base/Packets.h"
#include "Game/rules/GRulesPackets.h"
#include "hvmulti/HvMulti.h"
#include "server/orders/SrvPacketRead.h"
#include "tests/hvmulti/session_helpers.h"
#include "tests/server/srv_test_rules.h"
#include "tests/server/srv_test_support.h"

TEST(SrvStall, AGuestWhoReadsNothingDoesNotHoldUpTheHostsAnswers) {
  ScratchFolder folder;
  WriteSrvTestRules(folder.dir);
  CHvMulti host, guest;
  HvMPlayer_Struct hp, gp;
  plat::FixedText::Set(hp.shortName, "Host");
  plat::FixedText::Set(gp.shortName, "Guest");
  const auto at = hvmtest::Address("127.0.0.1:0");
  ASSERT_EQ(host.InitServiceEx(HVM_SERVICEID_TCPIP, kApplicationGuid, &at), 0);
  HvMSession_Struct s;
  s.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, "Stalled");
  s.SetU32(HvMSession_Struct::kMaxPlayers, 8);
  ASSERT_EQ(host.CreateAndJoinCS(&s, &hp, ServerPath().c_str(), "", 6, nullptr), HVM_CREATED) << host.LastErrorText();
  const std::uint32_t server = host.GetServerId();
  const std::uint32_t session = hvmtest::FindSession(guest, host.GetHostPort(), kApplicationGuid);
  ASSERT_NE(session, 0u);
  ASSERT_EQ(guest.OpenAndJoin(session, "", &gp), 0);

  // The host asks whether the game has started and waits for the answer.
  std::vector<hvmtest::Received> in;
  auto ask = [&] {
    in.clear();
    PacketImage<12> query(PKT_SETTINGS_QUERY);
    EXPECT_EQ(host.Send(hp.id, server, query.bytes.data(), 12, 0, 1), 0);
    const auto sent = std::chrono::steady_clock::now();
    const bool answered = hvmtest::Collect(
        host, in,
        [](const hvmtest::Received& r) {
          return r.result == HVM_MSG_PACKET && r.data.size() >= 8 && ReadU16(r.data, 0) == PKT_SETTINGS_QUERY;
        },
        1, 20000);
    EXPECT_TRUE(answered) << folder.Log();
    return std::chrono::steady_clock::now() - sent;
  };
  const auto quiet = ask();

  // Each request costs the server 41 answers, which pile up towards a guest that reads none.
  std::thread flood([&] {
    PacketImage<12> reports(PKT_CHAPTER_REPORTS);
    for (int i = 0; i < 6000; ++i) {
      while (guest.Send(gp.id, server, reports.bytes.data(), 12, 0, 1) == HVM_ERR_BUSY)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  std::chrono::steady_clock::duration worst{};
  for (int i = 0; i < 40; ++i) {
    worst = std::max(worst, ask());
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  flood.join();
  worst = std::max(worst, ask());
  const auto ms = [](auto d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
  RecordProperty("quiet_ms", static_cast<int>(ms(quiet)));
  RecordProperty("worst_ms", static_cast<int>(ms(worst)));
  EXPECT_LT(ms(worst), 5000) << "quiet answer " << ms(quiet) << " ms\n" << folder.Log().substr(0, 4000);
  EXPECT_EQ(guest.CloseSession(), 0);
  EXPECT_EQ(host.CloseSession(), 0);
  EXPECT_EQ(host.ServerExitCode(), 0);
}
