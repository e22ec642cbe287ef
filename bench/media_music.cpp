// The music decoder as the idle title screen drives it: blocks of one
// track, Ogg Vorbis as the installation's are (made by the data build's own
// encoder at its quality), decoded and resampled to the mix format, once the
// decoder is warm.
// "ratio_to_realtime" is the decoding time over the music it yields, and
// "heap_calls_per_block" the heap calls each block makes, C and C++ (the
// goal is none).

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/count_heap_calls.h"
#include "platform/display/audio.h"
#include "platform/sound/trackdecoder.h"
#include "tools/music/ogg.h"

namespace {

// A block as the CD audio thread asks for it.
constexpr std::size_t kBlockFrames = 4096;

void BM_DecodeMusicBlock(benchmark::State& state) {
  const int rate = static_cast<int>(state.range(0));
  const auto dir = std::filesystem::temp_directory_path() / ("quen_bench_music_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto track = dir / "track.ogg";
  std::vector<float> samples(static_cast<std::size_t>(rate) * 30 * 2);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = 0.4f * std::sin(static_cast<float>(i / 2) * (i % 2 ? 0.031f : 0.047f));
  const auto bytes = music::EncodeOggVorbis(samples, rate, 0.1f, "bench");
  std::ofstream(track, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  {
    auto decoder = plat::TrackDecoder::Open(track);
    if (!decoder) {
      state.SkipWithError("the track does not open");
      return;
    }
    std::vector<std::int16_t> block(kBlockFrames * plat::kAudioChannels);
    for (int warm = 0; warm < 4; ++warm) decoder->Read(block.data(), kBlockFrames);
    std::size_t allocations = 0, blocks = 0, frames = 0;
    double seconds = 0;
    for (auto _ : state) {
      const std::size_t before = bench::g_heapCalls.load(std::memory_order_relaxed);
      const auto t0 = std::chrono::steady_clock::now();
      std::size_t got = decoder->Read(block.data(), kBlockFrames);
      const auto t1 = std::chrono::steady_clock::now();
      allocations += bench::g_heapCalls.load(std::memory_order_relaxed) - before;
      if (got == 0) {  // the track ended: start it again, untimed and uncounted
        state.PauseTiming();
        decoder = plat::TrackDecoder::Open(track);
        for (int warm = 0; warm < 4; ++warm) decoder->Read(block.data(), kBlockFrames);
        state.ResumeTiming();
        continue;
      }
      seconds += std::chrono::duration<double>(t1 - t0).count();
      frames += got;
      ++blocks;
    }
    state.counters["heap_calls_per_block"] = blocks != 0 ? static_cast<double>(allocations) / blocks : 0;
    state.counters["ratio_to_realtime"] = frames != 0 ? seconds / (static_cast<double>(frames) / plat::kAudioRate) : 0;
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_DecodeMusicBlock)->Arg(44100)->Arg(22050);

}  // namespace
