// The real server in a hosted session with a guest that floods it with
// requests and reads nothing of what comes back: the host, measured beside
// it, is answered as quickly as ever, and a guest that sends as fast as it
// can is dropped by its budget with the server's memory bounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "Game/base/Packets.h"
#include "Game/net/NetSession.h"
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

namespace {

// The server program this test process started (a child of one of its threads).
int ServerPid() {
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream children(task.path() / "children");
    for (int pid = 0; children >> pid;) {
      std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
      std::string name;
      if (comm >> name && name.find("quensrvr") != std::string::npos) return pid;
    }
  }
  return 0;
}

// The host's worst wait is the server working through the burst of requests
// the flooder's budget lets in. A sanitised server does that work several times
// slower (on two cores: at most 82 ms plain, about 1,050 ms sanitised), so the
// bound a player's build keeps is widened there; the other bounds hold as they are.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kWorstWaitMs = 4000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr double kWorstWaitMs = 4000;
#else
constexpr double kWorstWaitMs = 1000;
#endif
#else
constexpr double kWorstWaitMs = 1000;
#endif

// Peak resident memory of `pid` in kB (VmHWM), 0 when unknown.
long PeakKb(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

}  // namespace

TEST(SrvStall, AGuestFloodingAsFastAsItCanIsDroppedAndTheHostStaysAnswered) {
  ScratchFolder folder;
  WriteSrvTestRules(folder.dir);
  CHvMulti host, guest;
  HvMPlayer_Struct hp, gp;
  plat::FixedText::Set(hp.shortName, "Host");
  plat::FixedText::Set(gp.shortName, "Flooder");
  const auto at = hvmtest::Address("127.0.0.1:0");
  ASSERT_EQ(host.InitServiceEx(HVM_SERVICEID_TCPIP, kApplicationGuid, &at), 0);
  HvMSession_Struct s;
  s.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, "Flooded");
  s.SetU32(HvMSession_Struct::kMaxPlayers, 8);
  ASSERT_EQ(host.CreateAndJoinCS(&s, &hp, ServerPath().c_str(), "", 6, nullptr), HVM_CREATED) << host.LastErrorText();
  const std::uint32_t server = host.GetServerId();
  const int serverPid = ServerPid();
  const std::uint32_t session = hvmtest::FindSession(guest, host.GetHostPort(), kApplicationGuid);
  ASSERT_NE(session, 0u);
  ASSERT_EQ(guest.OpenAndJoin(session, "", &gp), 0);

  std::vector<hvmtest::Received> in;
  std::chrono::steady_clock::time_point guestLeft{};
  auto note = [&] {
    for (const auto& r : in)
      if (r.result == HVM_MSG_SYSTEM && r.NoticeCode() == HVM_NOTICE_LEFT && r.NoticeId() == gp.id &&
          guestLeft == std::chrono::steady_clock::time_point{})
        guestLeft = std::chrono::steady_clock::now();
  };
  auto ask = [&] {
    in.clear();
    PacketImage<12> query(PKT_SETTINGS_QUERY);
    EXPECT_EQ(host.Send(hp.id, server, query.bytes.data(), 12, 0, 1), 0);
    const auto sent = std::chrono::steady_clock::now();
    EXPECT_TRUE(hvmtest::Collect(
        host, in,
        [](const hvmtest::Received& r) {
          return r.result == HVM_MSG_PACKET && r.data.size() >= 8 && ReadU16(r.data, 0) == PKT_SETTINGS_QUERY;
        },
        1, 20000));
    note();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
  };
  ask();

  // Each request costs the server 41 answers; the guest reads none of them.
  std::atomic<bool> stop{false};
  std::atomic<long> sent{0};
  const auto floodStart = std::chrono::steady_clock::now();
  std::thread flood([&] {
    PacketImage<12> reports(PKT_CHAPTER_REPORTS);
    while (!stop) {
      const int result = guest.Send(gp.id, server, reports.bytes.data(), 12, 0, 1);
      if (result == 0)
        ++sent;
      else if (result != HVM_ERR_BUSY)
        break;
      else
        std::this_thread::yield();
    }
  });
  std::vector<double> answers;
  while (std::chrono::steady_clock::now() - floodStart < std::chrono::seconds(5)) {
    answers.push_back(ask());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  stop = true;
  flood.join();
  std::sort(answers.begin(), answers.end());
  const double median = answers[answers.size() / 2];
  const double p95 = answers[answers.size() * 95 / 100];
  const double worst = answers.back();
  const long peak = serverPid ? PeakKb(serverPid) : 0;
  const double droppedAfter = guestLeft == std::chrono::steady_clock::time_point{}
                                  ? -1
                                  : std::chrono::duration<double, std::milli>(guestLeft - floodStart).count();
  RecordProperty("answers", static_cast<int>(answers.size()));
  RecordProperty("median_ms", std::to_string(median));
  RecordProperty("p95_ms", std::to_string(p95));
  RecordProperty("max_ms", std::to_string(worst));
  RecordProperty("flooder_dropped_after_ms", std::to_string(droppedAfter));
  RecordProperty("flooder_requests_sent", static_cast<int>(sent));
  RecordProperty("server_peak_kb", static_cast<int>(peak));
  std::ostringstream figures;
  figures << "median " << median << " ms, p95 " << p95 << " ms, max " << worst << " ms; flooder dropped after "
          << droppedAfter << " ms having sent " << sent << "; server peak " << peak << " kB";
  std::printf("%s\n", figures.str().c_str());
  // The median and p95 are figures to read, not bounds: on a loaded machine
  // each answer waits for the burst's work like the worst one does.
  EXPECT_LT(worst, kWorstWaitMs) << figures.str() << "\n" << folder.Log().substr(0, 4000);
  EXPECT_GE(droppedAfter, 0) << "the flooder is never dropped; " << figures.str();
  EXPECT_LT(droppedAfter, 30000) << figures.str();
  EXPECT_LT(peak, 256 * 1024) << figures.str();
  EXPECT_EQ(host.CloseSession(), 0);
  EXPECT_EQ(host.ServerExitCode(), 0);
}
