// Decoding and drawing a movie's frames as the player does (MPEG-4 at 320 x
// 240 and 15 frames a second, decoded to 8 bits and blitted into the movie
// window), as a ratio to the time the movie gives each frame: far below 1 is
// needed for the movie to keep its rate.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "media/ScreenWindow.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/user/window.h"

namespace {

using namespace plat;
using Clock = std::chrono::steady_clock;

constexpr int kFrames = 60;
constexpr int kFps = 15;

struct Movie {
  Movie() {
    StartHeadlessBackend();
    path = std::filesystem::temp_directory_path() / ("quen_bench_movie_" + std::to_string(::getpid()) + ".avi");
    const std::string command =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=15 -frames:v " +
        std::to_string(kFrames) + " -c:v mpeg4 -q:v 4 -g 30 -threads 1 '" + path.string() + "'";
    if (std::system(command.c_str()) != 0) return;
    WNDCLASSEX wc;
    wc.lpszClassName = "BenchMovie";
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    window =
        CreateWindowEx(0, "BenchMovie", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  }
  ~Movie() {
    std::filesystem::remove(path);
    StopBackend();
  }
  std::filesystem::path path;
  HWND window = nullptr;
};

void BM_DecodeAndDrawFrames(benchmark::State& state) {
  static Movie movie;
  if (!movie.window) {
    state.SkipWithError("ffmpeg could not make the movie");
    return;
  }
  ScreenWindow screen(movie.window, movie.path.c_str(), 0, 0, 1, kMovieDoneMessage, movie.window, 1, 1);
  if (screen.status != 0) {
    state.SkipWithError("the movie did not open");
    return;
  }
  Clock::duration spent{};
  std::int64_t frames = 0;
  for (auto _ : state) {
    state.PauseTiming();
    screen.ShowFrame(0);
    screen.Play();
    state.ResumeTiming();
    const auto start = Clock::now();
    for (int f = 1; f < kFrames; ++f) {
      AdvanceVirtualClock(1000 / kFps + 1);
      if (screen.engine->FrameStep() != 0) state.SkipWithError("a frame failed");
    }
    spent += Clock::now() - start;
    frames += kFrames - 1;
    state.PauseTiming();
    screen.Stop();
    state.ResumeTiming();
  }
  const double perFrame = std::chrono::duration<double>(spent).count() / static_cast<double>(frames);
  state.counters["frames_per_s"] = 1.0 / perFrame;
  state.counters["ratio_to_frame_time"] = perFrame * kFps;
}
BENCHMARK(BM_DecodeAndDrawFrames)->Unit(benchmark::kMillisecond);

}  // namespace
