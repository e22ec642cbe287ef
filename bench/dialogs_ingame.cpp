// The dialogs of a running game's menus and help: the settings, the options
// menu and a help window each opened, painted once and closed, as a ratio to
// one 800 x 600 sprite shown on the screen; and the help's word wrap of a
// 64 KB text as a ratio to one pass counting its blanks. Both sides of each
// ratio are timed in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "Game/dialogs/CDHelpDlg.h"
#include "Game/dialogs/CDInGameOptionsDlg.h"
#include "Game/dialogs/CDInGameSettingsDlg.h"
#include "bench/dialogs_screen.h"

namespace {

using namespace plat;
using dialogs_bench::AgainstBlit;
using dialogs_bench::Clock;
using dialogs_bench::Game;

// Words of varied length up to `size` characters, a line end now and then.
std::string HelpText(std::size_t size) {
  static const char* const kWords[] = {"asteroid", "the",   "guild",    "mining", "of",      "construction",
                                       "ATV",      "orbit", "research", "a",      "chapter", "battle"};
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) {
    text += kWords[(i * 7) % std::size(kWords)];
    text += i % 97 == 96 ? '\n' : ' ';
  }
  text.resize(size);
  return text;
}

void BM_Settings(benchmark::State& state) {
  AgainstBlit(state, {25 + 444 + 51, 96 + 323 + 18}, [](Game& g) {
    ISettingsScreen screen;
    CDInGameSettingsDlg dialog(g.ddraw.get(), g.main, g.program, InGameSettings{}, true, screen);
  });
}
BENCHMARK(BM_Settings);

void BM_OptionsMenu(benchmark::State& state) {
  AgainstBlit(state, {26 + 45 + 80, 96 + 179 + 28}, [](Game& g) {
    IOptionsScreen screen;
    CDInGameOptionsDlg dialog(g.ddraw.get(), g.main, g.program, screen);
  });
}
BENCHMARK(BM_OptionsMenu);

// A help window of `state.range(0)` characters, closed by its OK.
void BM_Help(benchmark::State& state) {
  const std::string text = HelpText(static_cast<std::size_t>(state.range(0)));
  const RECT r = HelpWindowRect(text.size(), 300, 300, 0);
  AgainstBlit(state, {(r.left + r.right) / 2, r.bottom - 18}, [&text](Game& g) {
    CDHelpDlg dialog(g.ddraw.get(), g.main, g.program, text.c_str(), 1, 300, 300, nullptr);
  });
}
BENCHMARK(BM_Help)->Arg(900)->Arg(64 * 1024);

void BM_WrapHelpText(benchmark::State& state) {
  const std::string text = HelpText(64 * 1024);
  Clock::duration wrapTime{}, scanTime{};
  for (auto _ : state) {
    auto t0 = Clock::now();
    auto lines = WrapHelpText(text, 32);
    benchmark::DoNotOptimize(lines.data());
    auto t1 = Clock::now();
    auto blanks = std::count(text.begin(), text.end(), ' ');
    benchmark::DoNotOptimize(blanks);
    auto t2 = Clock::now();
    wrapTime += t1 - t0;
    scanTime += t2 - t1;
  }
  state.counters["ratio_to_scan"] =
      std::chrono::duration<double>(wrapTime).count() / std::chrono::duration<double>(scanTime).count();
}
BENCHMARK(BM_WrapHelpText);

}  // namespace
