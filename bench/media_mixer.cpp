// The sound player's mix: 20 slots playing at once (streamed WAV files at
// three rates, with volume and pan) rendered for one second of output, as a
// ratio to the second it lasts. Rendering must also allocate nothing: the
// SDL audio thread runs it.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bench/count_allocations.h"
#include "media/CSndPlay.h"
#include "platform/backend/headless.h"
#include "platform/core/dospath.h"
#include "platform/display/audio.h"

namespace {

using namespace plat;

void WriteWav(const std::filesystem::path& path, int rate, int channels) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(rate) * 6 * channels);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>((i * 37) & 0x3FFF);
  WriteWavFile(path, samples, channels, rate);
}

void BM_MixTwentySlotsOneSecond(benchmark::State& state) {
  StartHeadlessBackend();
  const auto dir = std::filesystem::temp_directory_path() / ("quen_bench_mix_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  SetDrive('T', dir);
  WriteWav(dir / "a.wav", 22050, 1);
  WriteWav(dir / "b.wav", 44100, 2);
  WriteWav(dir / "c.wav", 11025, 1);
  {
    CSndPlay player;
    player.Init(nullptr, 0, 3, 1);
    const char* names[] = {"T:\\a.wav", "T:\\b.wav", "T:\\c.wav"};
    for (int i = 0; i < kSoundSlots; ++i)
      player.PlayEffect(names[i % 3], 0.1f * static_cast<float>(i % 5), 0.1f * static_cast<float>(i % 7 - 3), 1);
    std::vector<std::int16_t> out(static_cast<std::size_t>(kAudioRate) * kAudioChannels);
    double seconds = 0;
    std::size_t allocations = 0;
    for (auto _ : state) {
      const std::size_t before = bench::g_allocations;
      const auto t0 = std::chrono::steady_clock::now();
      RenderAudio(out.data(), kAudioRate);
      const auto t1 = std::chrono::steady_clock::now();
      allocations += bench::g_allocations - before;
      seconds += std::chrono::duration<double>(t1 - t0).count();
      benchmark::DoNotOptimize(out.data());
    }
    state.counters["ratio_to_realtime"] = seconds / static_cast<double>(state.iterations());
    state.counters["allocations"] = static_cast<double>(allocations);
    if (allocations != 0) state.SkipWithError("the mix allocated");
  }
  StopBackend();
  ClearDrives();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_MixTwentySlotsOneSecond)->Unit(benchmark::kMillisecond);

}  // namespace
