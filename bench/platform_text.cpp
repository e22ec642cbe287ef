// Text drawing speed: a panel-sized block of word-wrapped text, as the help
// dialog and the info panels draw it, on a 16-bit surface. Glyphs are rendered
// once and drawn from the cache afterwards. The fill of the same panel, in the
// same run, is the baseline the text is compared with. Each text benchmark
// also counts the heap allocations of one call once the caches are warm
// (allocs_per_call), which should be none.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/count_allocations.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"

namespace {

using namespace plat;

// Heap allocations per call of `draw`, measured after a first call has warmed
// the caches.
template <class Draw>
double AllocationsPerCall(Draw draw) {
  draw();
  const std::size_t before = bench::g_allocations.load();
  constexpr int kCalls = 10;
  for (int i = 0; i < kCalls; ++i) draw();
  return static_cast<double>(bench::g_allocations.load() - before) / kCalls;
}

constexpr int kWidth = 800, kHeight = 600;
const RECT kPanel{40, 40, 545, 380};

std::string PanelText() {
  const std::string sentence =
      "The asteroid's mining output rises with every facility the chapter builds in its zones. ";
  std::string text;
  while (text.size() < 1200) text += sentence;
  return text;
}

struct Screen16 {
  Screen16() {
    pixels.assign(static_cast<std::size_t>(kWidth) * kHeight * 2, 0);
    PixelTarget t;
    t.bits = pixels.data();
    t.pitch = kWidth * 2;
    t.width = kWidth;
    t.height = kHeight;
    t.format = PixelFormat::kRgb565;
    dc = CreateTargetDC(t);
  }
  ~Screen16() { DeleteDC(dc); }
  std::vector<BYTE> pixels;
  HDC dc = nullptr;
};

void DrawPanelText(benchmark::State& state, const char* face, int height, int weight) {
  Screen16 screen;
  HFONT font = CreateFont(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, face);
  SelectObject(screen.dc, font);
  SetBkMode(screen.dc, TRANSPARENT);
  SetTextColor(screen.dc, RGB(0, 255, 0));
  const std::string text = PanelText();
  auto draw = [&] {
    RECT r = kPanel;
    return DrawText(screen.dc, text.c_str(), static_cast<int>(text.size()), &r,
                    DT_CENTER | DT_WORDBREAK | DT_EXTERNALLEADING);
  };
  state.counters["allocs_per_call"] = AllocationsPerCall(draw);
  std::size_t glyphs = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(draw());
    glyphs += text.size();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(glyphs));
  SelectObject(screen.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

void BM_PanelText_Times16(benchmark::State& state) { DrawPanelText(state, "Times New Roman", 16, 400); }
void BM_PanelText_TimesBold13(benchmark::State& state) { DrawPanelText(state, "Times New Roman Bold", 13, 600); }
void BM_PanelText_Angular3(benchmark::State& state) { DrawPanelText(state, "Angular3", 5, 400); }

// One short line at a time, as the lists and the data panel draw their rows.
void BM_RowTextOut(benchmark::State& state) {
  Screen16 screen;
  HFONT font = CreateFont(15, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  SelectObject(screen.dc, font);
  SetBkMode(screen.dc, TRANSPARENT);
  const char* row = "Vega Prime Mining Chapter";
  const int n = static_cast<int>(std::strlen(row));
  state.counters["allocs_per_call"] = AllocationsPerCall([&] { return TextOut(screen.dc, 60, 0, row, n); });
  std::size_t glyphs = 0;
  for (auto _ : state) {
    for (int y = 0; y < 500; y += 20) TextOut(screen.dc, 60, y, row, n);
    glyphs += static_cast<std::size_t>(n) * 25;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(glyphs));
  SelectObject(screen.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

// Baseline: filling the panel once.
void BM_PanelFill(benchmark::State& state) {
  Screen16 screen;
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 64));
  for (auto _ : state) benchmark::DoNotOptimize(FillRect(screen.dc, &kPanel, brush));
  state.SetItemsProcessed(state.iterations());
  DeleteObject(brush);
}

BENCHMARK(BM_PanelFill);
BENCHMARK(BM_PanelText_Times16);
BENCHMARK(BM_PanelText_TimesBold13);
BENCHMARK(BM_PanelText_Angular3);
BENCHMARK(BM_RowTextOut);

}  // namespace
