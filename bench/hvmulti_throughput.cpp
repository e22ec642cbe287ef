// The multiplayer library against plain TCP over loopback, each figure a ratio
// to a baseline measured in the same benchmark, batch by batch alternately, so
// that the machine's load weighs on both alike (each side's fastest batch
// counts; see Report):
//   OneWay       one member sends to the host as fast as it may; x_raw is the
//                library's packets per second over plain TCP's (goal >= 1).
//   EightSenders eight members send to the host at once; x_raw as above
//                (1.4-5 on three cores of a loaded machine: plain TCP's
//                senders make a system call per message, the members' one
//                per 64 KiB run; bench_hvmulti_outside sends both alike).
//   RoundTrip    a member sends one packet, the host's game answers it; x_raw
//                is the library's time per trip over plain TCP's (goal <= 1.2).
//   RelayedTrip  a member sends one packet to another member, which answers it,
//                both through the host; x_direct is its time per trip over a
//                direct trip to the host's game, measured in turn with it
//                (goal <= 1.3), raw_x_direct the same for plain TCP through a
//                plain relay, x_raw the library's relayed trip over that one.
//   RelayedTripFramedHost  the same trip while the host's game looks for
//                messages only once a frame; x_raw over plain TCP's relayed
//                trip (us_per_trip and raw_us_per_trip the mean trips).
// Where RelayedTrip's goal stands: the relayed trip takes four hops over
// loopback TCP where the direct one takes two, and no relay makes a hop
// cheaper than the kernel's own. Plain TCP through a relaying thread that
// never sleeps takes 1.9-3.7 times its direct trip in the same runs
// (raw_x_direct); the library's relayed trip is 0.8-1.14 times that plain one
// (x_raw) and 1.7-2.3 times its own direct trip (x_direct), with no lock wait
// or wake-up per hop and no system call beyond a look at the sockets, a read
// and a write: under 1.3 is out of reach for a star (the host's look reading
// both members' sockets without first asking which hold data measured no
// lower, x_direct 2.0-2.3, and was left out). Before the hardening round
// the ratio was lower (1.37-1.97 at best, medians 1.03-1.64, in two runs of
// this benchmark built over that revision) only because every trip, direct
// or relayed, waited for two to four wake-ups of the library's threads per
// packet: its direct trip took 108-133 us, 4-18 times plain TCP's, where it
// now takes 6-7 us (0.8-1.15 times); its relayed trip took 73-127 us, now
// 12-16 us.
// Every side waits as a game's main loop does: it looks for a message and
// yields when none is there. Plain TCP does the same with non-blocking sockets
// and one send per message. "csw" counts the process's voluntary context
// switches (lock and poll waits) per packet the library carries.
#include <benchmark/benchmark.h>

#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "bench/batch_worker.h"
#include "hvmulti/HvMulti.h"
#include "hvmulti/Socket.h"

namespace {

constexpr const char* kGuid = "bench-throughput-guid";
constexpr int kRounds = 10;  // alternate library and plain TCP batches per iteration

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

double Sum(const std::vector<double>& v) {
  double sum = 0;
  for (const double x : v) sum += x;
  return sum;
}

long VoluntarySwitches() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_nvcsw;
}

// ---- the library ------------------------------------------------------------

// A host and `guests` members in this process, each with its own library thread.
struct Session {
  CHvMulti host;
  std::vector<std::unique_ptr<CHvMulti>> guests;
  HvMPlayer_Struct hp;
  std::vector<std::uint32_t> ids;
  bool ok = false;

  explicit Session(int guestCount) {
    HvMServiceEx_Struct at;
    at.SetText(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth, "127.0.0.1:0");
    HvMSession_Struct s;
    s.SetU32(HvMSession_Struct::kMaxPlayers, 40);
    if (host.InitServiceEx(HVM_SERVICEID_TCPIP, kGuid, &at) != 0 || host.CreateAndJoin(&s, &hp) != HVM_CREATED) return;
    HvMServiceEx_Struct there;
    there.SetText(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth,
                  "127.0.0.1:" + std::to_string(host.GetHostPort()));
    for (int i = 0; i < guestCount; ++i) {
      auto g = std::make_unique<CHvMulti>();
      std::uint32_t session = 0;
      if (g->InitServiceEx(HVM_SERVICEID_TCPIP, kGuid, &there) != 0) return;
      g->EnumSessions(
          [](const HvMSession_Struct* r, void* ctx) {
            *static_cast<std::uint32_t*>(ctx) = r->U32(HvMSession_Struct::kSessionId);
            return 0;
          },
          &session, 2000);
      HvMPlayer_Struct gp;
      if (session == 0 || g->OpenAndJoin(session, "", &gp) != 0) return;
      ids.push_back(gp.id);
      guests.push_back(std::move(g));
    }
    // Every member knows every other one, and the notices are taken.
    for (auto& g : guests)
      while (g->GetPlayers().size() != guests.size() + 1) std::this_thread::yield();
    const auto end = Now() + 0.2;
    while (Now() < end) {
      Take(host);
      for (auto& g : guests) Take(*g);
    }
    ok = true;
  }

  // Takes one message; true when it was a packet.
  static bool Take(CHvMulti& m) {
    std::uint8_t buffer[HVM_MAX_PACKET];
    std::uint32_t length = sizeof buffer;
    return m.GetTop(buffer, &length, nullptr, nullptr, nullptr) == HVM_MSG_PACKET;
  }
  static void WaitPacket(CHvMulti& m) {
    while (!Take(m)) std::this_thread::yield();
  }
  static void Send(CHvMulti& m, std::uint32_t from, std::uint32_t to, const std::vector<std::uint8_t>& p) {
    while (m.Send(from, to, p.data(), static_cast<std::uint32_t>(p.size()), 1, 1) == HVM_ERR_BUSY)
      std::this_thread::yield();
  }
};

// ---- plain TCP ------------------------------------------------------------------

// A connected loopback pair, both ends non-blocking with no send delay.
struct RawPair {
  hvm::Fd a, b;
  RawPair() {
    hvm::Endpoint bound, from;
    const hvm::Fd listener = hvm::ListenTcp(hvm::Endpoint{hvm::kLoopback, 0}, bound);
    a = hvm::ConnectTcp(bound, 2000);
    pollfd p{listener.Get(), POLLIN, 0};
    ::poll(&p, 1, 2000);
    b = hvm::AcceptTcp(listener, from);
  }
  bool Valid() const { return a.Valid() && b.Valid(); }
};

// One message, length first, with one send call (repeated while the socket
// takes only part of it).
void RawSend(const hvm::Fd& fd, const std::vector<std::uint8_t>& message) {
  std::size_t done = 0;
  while (done < message.size()) {
    const ssize_t n = ::send(fd.Get(), message.data() + done, message.size() - done, MSG_NOSIGNAL);
    if (n > 0)
      done += static_cast<std::size_t>(n);
    else
      std::this_thread::yield();
  }
}

std::vector<std::uint8_t> RawMessage(std::size_t size) {
  std::vector<std::uint8_t> m(4 + size, 0x5A);
  const auto n = static_cast<std::uint32_t>(size);
  std::memcpy(m.data(), &n, 4);
  return m;
}

// The receiving side of one connection: reads what is there and counts the
// whole messages in it.
struct RawReader {
  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(64 * 1024 + 2048);
  std::size_t held = 0;
  // Whole messages read now; 0 when none was there.
  int Read(const hvm::Fd& fd) {
    const ssize_t n = ::recv(fd.Get(), buffer.data() + held, buffer.size() - held, 0);
    if (n <= 0) return 0;
    held += static_cast<std::size_t>(n);
    int messages = 0;
    std::size_t at = 0;
    while (held - at >= 4) {
      std::uint32_t size = 0;
      std::memcpy(&size, buffer.data() + at, 4);
      if (held - at < 4 + size) break;
      at += 4 + size;
      ++messages;
    }
    std::memmove(buffer.data(), buffer.data() + at, held - at);
    held -= at;
    return messages;
  }
  void WaitOne(const hvm::Fd& fd) {
    while (Read(fd) == 0) std::this_thread::yield();
  }
};

// A thread that passes whatever comes in on one socket out on the other, both
// ways, looking at both in turn and yielding when neither had anything.
class PlainRelay {
 public:
  PlainRelay(const hvm::Fd& a, const hvm::Fd& b)
      : thread_([this, &a, &b] {
          while (!stop_) {
            const bool there = Forward(a, b);
            const bool back = Forward(b, a);
            if (!there && !back) std::this_thread::yield();
          }
        }) {}
  ~PlainRelay() {
    stop_ = true;
    thread_.join();
  }

 private:
  bool Forward(const hvm::Fd& from, const hvm::Fd& to) {
    const ssize_t n = ::recv(from.Get(), buffer_.data(), buffer_.size(), 0);
    for (ssize_t done = 0; n > 0 && done < n;) {
      const ssize_t w = ::send(to.Get(), buffer_.data() + done, static_cast<std::size_t>(n - done), MSG_NOSIGNAL);
      if (w > 0) done += w;
    }
    return n > 0;
  }

  std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(64 * 1024);
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// ---- driving ----------------------------------------------------------------

// Batches of `trips` trips: an echo answering each packet or message that
// arrives, and the measuring side sending one and waiting for its answer.
std::function<void()> LibraryEcho(CHvMulti& at, std::uint32_t from, std::uint32_t to,
                                  const std::vector<std::uint8_t>& packet, int trips) {
  return [&at, from, to, &packet, trips] {
    for (int k = 0; k < trips; ++k) {
      Session::WaitPacket(at);
      Session::Send(at, from, to, packet);
    }
  };
}
std::function<void()> RawEcho(RawReader& reader, const hvm::Fd& fd, const std::vector<std::uint8_t>& message,
                              int trips) {
  return [&reader, &fd, &message, trips] {
    for (int k = 0; k < trips; ++k) {
      reader.WaitOne(fd);
      RawSend(fd, message);
    }
  };
}
void LibraryTrips(CHvMulti& at, std::uint32_t from, std::uint32_t to, const std::vector<std::uint8_t>& packet,
                  int trips) {
  for (int k = 0; k < trips; ++k) {
    Session::Send(at, from, to, packet);
    Session::WaitPacket(at);
  }
}
void RawTrips(RawReader& reader, const hvm::Fd& fd, const std::vector<std::uint8_t>& message, int trips) {
  for (int k = 0; k < trips; ++k) {
    RawSend(fd, message);
    reader.WaitOne(fd);
  }
}

// Times of library and baseline batches, taken in turn.
struct Ratio {
  std::vector<double> library, baseline;
  long switches = 0;
};

// Runs kRounds pairs of batches, the library's and the baseline's in turn.
template <class Library, class Baseline>
void Alternate(Ratio& r, Library library, Baseline baseline) {
  for (int i = 0; i < kRounds; ++i) {
    const long s0 = VoluntarySwitches();
    double t0 = Now();
    library();
    r.library.push_back(Now() - t0);
    r.switches += VoluntarySwitches() - s0;
    t0 = Now();
    baseline();
    r.baseline.push_back(Now() - t0);
  }
}

// The median over the rounds of each round's ratio of `over` to `under`.
double MedianRatio(const std::vector<double>& over, const std::vector<double>& under) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < over.size() && i < under.size(); ++i) ratios.push_back(over[i] / under[i]);
  std::sort(ratios.begin(), ratios.end());
  return ratios.empty() ? 0 : ratios[ratios.size() / 2];
}

// The library's best round over the baseline's (the inverse for a rate): the
// machine's load only ever adds time, so each side's fastest round is the
// steadiest reading of what it costs. "x_med" is the median of the rounds'
// own ratios, for comparison. `packets` is what the library batches carried.
void Report(benchmark::State& state, const Ratio& r, double packets, bool rate, const char* name) {
  const double library = *std::min_element(r.library.begin(), r.library.end());
  const double baseline = *std::min_element(r.baseline.begin(), r.baseline.end());
  const double median = MedianRatio(r.library, r.baseline);
  state.counters[name] = rate ? baseline / library : library / baseline;
  state.counters["x_med"] = rate ? 1 / median : median;
  state.counters["csw"] = static_cast<double>(r.switches) / packets;
}

void Senders(benchmark::State& state, int senders) {
  const int batch = 20000 / senders;
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  Session s(senders);
  std::vector<RawPair> raw(static_cast<std::size_t>(senders));
  if (!s.ok || !std::all_of(raw.begin(), raw.end(), [](const RawPair& p) { return p.Valid(); })) {
    state.SkipWithError("no loopback session");
    return;
  }
  const std::vector<std::uint8_t> packet(size, 0x33);
  const auto message = RawMessage(size);
  std::vector<std::unique_ptr<BatchWorker>> libSenders, rawSenders;
  for (int i = 0; i < senders; ++i) {
    libSenders.push_back(std::make_unique<BatchWorker>([&, i] {
      for (int k = 0; k < batch; ++k) Session::Send(*s.guests[i], s.ids[i], s.hp.id, packet);
    }));
    rawSenders.push_back(std::make_unique<BatchWorker>([&, i] {
      for (int k = 0; k < batch; ++k) RawSend(raw[i].a, message);
    }));
  }
  std::vector<RawReader> readers(static_cast<std::size_t>(senders));
  const int expected = batch * senders;
  Ratio total;
  for (auto _ : state) {
    Alternate(
        total,
        [&] {
          for (auto& w : libSenders) w->Ask();
          for (int got = 0; got < expected;)
            if (Session::Take(s.host))
              ++got;
            else
              std::this_thread::yield();
        },
        [&] {
          for (auto& w : rawSenders) w->Ask();
          for (int got = 0; got < expected;) {
            int now = 0;
            for (int i = 0; i < senders; ++i) now += readers[i].Read(raw[i].b);
            got += now;
            if (now == 0) std::this_thread::yield();
          }
        });
  }
  const double packets = static_cast<double>(state.iterations()) * kRounds * expected;
  Report(state, total, packets, true, "x_raw");
  state.SetItemsProcessed(static_cast<std::int64_t>(packets));
}

void BM_OneWay(benchmark::State& state) { Senders(state, 1); }
void BM_EightSenders(benchmark::State& state) { Senders(state, 8); }
BENCHMARK(BM_OneWay)->Arg(64)->Arg(1056)->UseRealTime()->Iterations(4);
BENCHMARK(BM_EightSenders)->Arg(64)->Arg(1056)->UseRealTime()->Iterations(4);

void BM_RoundTrip(benchmark::State& state) {
  constexpr int kTrips = 2000;
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  Session s(1);
  RawPair raw;
  if (!s.ok || !raw.Valid()) {
    state.SkipWithError("no loopback session");
    return;
  }
  const std::vector<std::uint8_t> packet(size, 0x44);
  const auto message = RawMessage(size);
  CHvMulti& guest = *s.guests[0];
  BatchWorker hostEcho(LibraryEcho(s.host, s.hp.id, s.ids[0], packet, kTrips));
  RawReader echoReader, reader;
  BatchWorker rawEcho(RawEcho(echoReader, raw.b, message, kTrips));
  Ratio total;
  for (auto _ : state) {
    Alternate(
        total,
        [&] {
          hostEcho.Ask();
          LibraryTrips(guest, s.ids[0], s.hp.id, packet, kTrips);
        },
        [&] {
          rawEcho.Ask();
          RawTrips(reader, raw.a, message, kTrips);
        });
  }
  const double trips = static_cast<double>(state.iterations()) * kRounds * kTrips;
  Report(state, total, 2 * trips, false, "x_raw");
  state.counters["us_per_trip"] = Sum(total.library) / trips * 1e6;
  state.SetItemsProcessed(static_cast<std::int64_t>(trips));
}
BENCHMARK(BM_RoundTrip)->Arg(64)->Arg(1056)->UseRealTime()->Iterations(4);

// What both relayed-trip benchmarks set up: a two-guest session whose second
// guest echoes the first's packets back through the host, and plain TCP doing
// the same through a relaying thread.
struct RelayedTripRig {
  RelayedTripRig(std::size_t size, std::uint8_t fill, int trips)
      : packet(size, fill),
        message(RawMessage(size)),
        relay(aToRelay.b, relayToB.a),
        bEcho(s.ok ? LibraryEcho(*s.guests[1], s.ids[1], s.ids[0], packet, trips) : [] {}),
        rawBEcho(RawEcho(rawBReader, relayToB.b, message, trips)) {}
  bool Valid() const { return s.ok && aToRelay.Valid() && relayToB.Valid(); }
  // a's trips to b and back through the host.
  void LibraryTrip(int trips) {
    bEcho.Ask();
    LibraryTrips(*s.guests[0], s.ids[0], s.ids[1], packet, trips);
  }
  // The same over plain TCP through the relaying thread.
  void RawTrip(int trips) {
    rawBEcho.Ask();
    RawTrips(rawAReader, aToRelay.a, message, trips);
  }

  Session s{2};
  RawPair aToRelay, relayToB;
  const std::vector<std::uint8_t> packet;
  const std::vector<std::uint8_t> message;
  PlainRelay relay;
  RawReader rawBReader, rawAReader;
  BatchWorker bEcho;
  BatchWorker rawBEcho;
};

// The host's game runs its loop meanwhile, as it does in play, taking what
// reaches it (here nothing but what it answers itself). Plain TCP does the
// same through a relaying thread that loops likewise: its relayed trip over its
// direct one ("raw_x_direct") is what the extra pair of hops costs by itself,
// and x_raw compares the library's relayed trip with it.
void BM_RelayedTrip(benchmark::State& state) {
  constexpr int kTrips = 2000;
  RelayedTripRig rig(static_cast<std::size_t>(state.range(0)), 0x45, kTrips);
  RawPair direct;
  if (!rig.Valid() || !direct.Valid()) {
    state.SkipWithError("no loopback session");
    return;
  }
  Session& s = rig.s;
  std::atomic<bool> stop{false};
  // The host's game: answers a's packets in the direct batches, and otherwise
  // only looks for messages.
  std::thread hostLoop([&] {
    while (!stop) {
      if (Session::Take(s.host)) {
        Session::Send(s.host, s.hp.id, s.ids[0], rig.packet);
      } else {
        std::this_thread::yield();
      }
    }
  });
  RawReader rawEchoReader, rawDirectReader;
  BatchWorker rawEcho(RawEcho(rawEchoReader, direct.b, rig.message, kTrips));
  Ratio library, raw;
  for (auto _ : state) {
    Alternate(
        library, [&] { rig.LibraryTrip(kTrips); },
        [&] { LibraryTrips(*s.guests[0], s.ids[0], s.hp.id, rig.packet, kTrips); });
    Alternate(
        raw, [&] { rig.RawTrip(kTrips); },
        [&] {
          rawEcho.Ask();
          RawTrips(rawDirectReader, direct.a, rig.message, kTrips);
        });
  }
  stop = true;
  hostLoop.join();
  const double trips = static_cast<double>(state.iterations()) * kRounds * kTrips;
  Report(state, library, 4 * trips, false, "x_direct");
  auto best = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
  state.counters["raw_x_direct"] = best(raw.library) / best(raw.baseline);
  state.counters["x_raw"] = best(library.library) / best(raw.library);
  state.counters["us_per_trip"] = Sum(library.library) / trips * 1e6;
  state.SetItemsProcessed(static_cast<std::int64_t>(trips));
}
BENCHMARK(BM_RelayedTrip)->Arg(64)->Arg(1056)->UseRealTime()->Iterations(4);

// As RelayedTrip, but the host's game looks for messages once per frame (every
// kFrameMs) and sleeps in between, as a game drawing its screen does. Nothing
// of the trip is the host's game's to take, so its pace should not show:
// x_raw is the library's trip over plain TCP's through the relaying thread.
void BM_RelayedTripFramedHost(benchmark::State& state) {
  constexpr int kTrips = 500;
  constexpr auto kFrameMs = std::chrono::milliseconds(4);
  RelayedTripRig rig(static_cast<std::size_t>(state.range(0)), 0x46, kTrips);
  if (!rig.Valid()) {
    state.SkipWithError("no loopback session");
    return;
  }
  Session& s = rig.s;
  std::atomic<bool> stop{false};
  std::thread hostLoop([&] {
    while (!stop) {
      while (Session::Take(s.host)) {
      }
      std::this_thread::sleep_for(kFrameMs);
    }
  });
  Ratio total;
  for (auto _ : state) {
    Alternate(
        total, [&] { rig.LibraryTrip(kTrips); }, [&] { rig.RawTrip(kTrips); });
  }
  stop = true;
  hostLoop.join();
  const double trips = static_cast<double>(state.iterations()) * kRounds * kTrips;
  Report(state, total, 4 * trips, false, "x_raw");
  state.counters["us_per_trip"] = Sum(total.library) / trips * 1e6;
  state.counters["raw_us_per_trip"] = Sum(total.baseline) / trips * 1e6;
  state.SetItemsProcessed(static_cast<std::int64_t>(trips));
}
BENCHMARK(BM_RelayedTripFramedHost)->Arg(64)->Arg(1056)->UseRealTime()->Iterations(2);

}  // namespace
