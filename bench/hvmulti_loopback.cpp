// The multiplayer library over loopback: packets per second one way, and the
// round trip of one packet there and back, for the smallest common and the
// largest packets. A plain TCP ping-pong over loopback, measured in the same
// run, is the baseline the round trip compares against ("x_raw"); the round
// trip also reports the heap allocations per packet ("allocs").
#include <benchmark/benchmark.h>

#include <chrono>

#include <poll.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "bench/count_allocations.h"
#include "hvmulti/HvMulti.h"
#include "hvmulti/Socket.h"

namespace {

constexpr const char* kGuid = "bench-guid";
// The raw round trip of the last baseline run, per packet size, for the ratio.
double g_rawRoundTrip[2] = {};

// A host and one member in this process, each with its own library thread.
struct Pair {
  CHvMulti host, guest;
  HvMPlayer_Struct hp, gp;
  bool ok = false;

  Pair() {
    HvMServiceEx_Struct at;
    at.SetText(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth, "127.0.0.1:0");
    HvMSession_Struct s;
    s.SetU32(HvMSession_Struct::kMaxPlayers, 40);
    if (host.InitServiceEx(HVM_SERVICEID_TCPIP, kGuid, &at) != 0 || host.CreateAndJoin(&s, &hp) != HVM_CREATED) return;
    HvMServiceEx_Struct there;
    there.SetText(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth,
                  "127.0.0.1:" + std::to_string(host.GetHostPort()));
    std::uint32_t id = 0;
    if (guest.InitServiceEx(HVM_SERVICEID_TCPIP, kGuid, &there) != 0) return;
    guest.EnumSessions(
        [](const HvMSession_Struct* r, void* ctx) {
          *static_cast<std::uint32_t*>(ctx) = r->U32(HvMSession_Struct::kSessionId);
          return 0;
        },
        &id, 2000);
    ok = id != 0 && guest.OpenAndJoin(id, "", &gp) == 0;
    // The join notice.
    while (ok && host.CheckMessages() == 0) std::this_thread::yield();
    Take(host);
  }

  // Takes one message; false when none waits.
  static bool Take(CHvMulti& m) {
    std::uint8_t buffer[HVM_MAX_PACKET];
    std::uint32_t length = sizeof buffer;
    return m.GetTop(buffer, &length, nullptr, nullptr, nullptr) >= 0;
  }
  static void SendAll(CHvMulti& m, std::uint32_t from, std::uint32_t to, const std::vector<std::uint8_t>& p) {
    while (m.Send(from, to, p.data(), static_cast<std::uint32_t>(p.size()), 1, 1) == HVM_ERR_BUSY)
      std::this_thread::yield();
  }
  static void WaitOne(CHvMulti& m) {
    while (!Take(m)) std::this_thread::yield();
  }
};

void BM_PacketsPerSecond(benchmark::State& state) {
  Pair pair;
  if (!pair.ok) {
    state.SkipWithError("no loopback session");
    return;
  }
  const std::vector<std::uint8_t> packet(static_cast<std::size_t>(state.range(0)), 0x33);
  constexpr int kBatch = 256;
  for (auto _ : state) {
    int received = 0;
    for (int i = 0; i < kBatch; ++i) {
      Pair::SendAll(pair.guest, pair.gp.id, pair.hp.id, packet);
      while (Pair::Take(pair.host)) ++received;
    }
    while (received < kBatch) {
      if (Pair::Take(pair.host))
        ++received;
      else
        std::this_thread::yield();
    }
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
  state.SetBytesProcessed(state.iterations() * kBatch * state.range(0));
}
BENCHMARK(BM_PacketsPerSecond)->Arg(64)->Arg(1056)->UseRealTime();

void BM_RoundTrip(benchmark::State& state) {
  Pair pair;
  if (!pair.ok) {
    state.SkipWithError("no loopback session");
    return;
  }
  const std::vector<std::uint8_t> packet(static_cast<std::size_t>(state.range(0)), 0x44);
  // Warm up: buffers reach their working sizes.
  for (int i = 0; i < 64; ++i) {
    Pair::SendAll(pair.guest, pair.gp.id, pair.hp.id, packet);
    Pair::WaitOne(pair.host);
  }
  const std::size_t allocationsBefore = bench::g_allocations;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    Pair::SendAll(pair.guest, pair.gp.id, pair.hp.id, packet);
    Pair::WaitOne(pair.host);
    Pair::SendAll(pair.host, pair.hp.id, pair.gp.id, packet);
    Pair::WaitOne(pair.guest);
  }
  const double perTrip =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / state.iterations();
  state.counters["allocs"] = static_cast<double>(bench::g_allocations - allocationsBefore) / (2.0 * state.iterations());
  const double raw = g_rawRoundTrip[state.range(0) > 64 ? 1 : 0];
  if (raw > 0) state.counters["x_raw"] = perTrip / raw;
  state.SetItemsProcessed(state.iterations());
}

// Baseline: the same exchange as bare bytes over a loopback TCP connection,
// with an echo thread on the far side.
void BM_RawTcpRoundTrip(benchmark::State& state) {
  hvm::Endpoint bound;
  hvm::Fd listener = hvm::ListenTcp(hvm::Endpoint{hvm::kLoopback, 0}, bound);
  hvm::Fd client = hvm::ConnectTcp(bound, 2000);
  pollfd lp{listener.Get(), POLLIN, 0};
  ::poll(&lp, 1, 2000);
  hvm::Endpoint peer;
  hvm::Fd server = hvm::AcceptTcp(listener, peer);
  if (!client.Valid() || !server.Valid()) {
    state.SkipWithError("no loopback connection");
    return;
  }
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  auto exchange = [size](const hvm::Fd& fd, bool sendFirst, std::vector<std::uint8_t>& buffer) {
    auto move = [&](bool sending) {
      std::size_t done = 0;
      while (done < size) {
        pollfd p{fd.Get(), static_cast<short>(sending ? POLLOUT : POLLIN), 0};
        if (::poll(&p, 1, 1000) != 1) return false;
        const ssize_t n = sending ? ::send(fd.Get(), buffer.data() + done, size - done, MSG_NOSIGNAL)
                                  : ::recv(fd.Get(), buffer.data() + done, size - done, 0);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
      }
      return true;
    };
    return sendFirst ? move(true) && move(false) : move(false) && move(true);
  };
  std::thread echo([&] {
    std::vector<std::uint8_t> buffer(size);
    while (exchange(server, false, buffer)) {
    }
  });
  std::vector<std::uint8_t> buffer(size, 0x55);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) exchange(client, true, buffer);
  g_rawRoundTrip[size > 64 ? 1 : 0] =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / state.iterations();
  client.Reset();
  echo.join();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawTcpRoundTrip)->Arg(64)->Arg(1056)->UseRealTime();
// After the baseline, whose figures it reports against.
BENCHMARK(BM_RoundTrip)->Arg(64)->Arg(1056)->UseRealTime();

}  // namespace
