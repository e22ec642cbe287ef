// Each in-game dialog opened, painted once and closed by its Cancel, as a
// ratio to one 800 x 600 sprite shown on the screen, both timed in the same
// run over the game's own templates and pictures as built.

#include <benchmark/benchmark.h>

#include "Game/dialogs/CDBPDfult.h"
#include "Game/dialogs/CDBuyDlg.h"
#include "Game/dialogs/CDChatDlg.h"
#include "Game/dialogs/CDMultilineEditDlg.h"
#include "Game/dialogs/CDSaveDlg.h"
#include "Game/dialogs/CDSellDlg.h"
#include "Game/dialogs/CDSetPriceDlg.h"
#include "bench/dialogs_screen.h"

namespace {

using namespace plat;
using dialogs_bench::AgainstBlit;
using dialogs_bench::Game;

void BM_DefaultBattlePlans(benchmark::State& state) {
  AgainstBlit(state, {-1, -1}, [](Game&) {
    DefaultBattlePlanTable plans;
    CDBPDfult dialog(&plans, kPlanHelpId);
  });
}
BENCHMARK(BM_DefaultBattlePlans);

void BM_Buy(benchmark::State& state) {
  AgainstBlit(state, {27 + 361 + 90, 96 + 247 + 37}, [](Game& g) {
    MineralOffer offer;
    offer.mineral = 1;
    offer.terms[0] = 100;
    offer.terms[1] = 3;
    std::uint16_t amount = 0;
    std::uint8_t paying = 0;
    std::uint32_t success = 0;
    CDBuyDlg dialog(g.ddraw.get(), g.main, g.program, offer, 0, {100, 100, 100, 100}, &amount, &paying, &success);
  });
}
BENCHMARK(BM_Buy);

void BM_Sell(benchmark::State& state) {
  AgainstBlit(state, {27 + 361 + 90, 96 + 247 + 37}, [](Game& g) {
    MineralOfferPacket record;
    std::uint32_t success = 0;
    CDSellDlg dialog(g.ddraw.get(), g.main, g.program, &record, &success, 500, nullptr);
  });
}
BENCHMARK(BM_Sell);

void BM_SetPrice(benchmark::State& state) {
  AgainstBlit(state, {169 + 176 + 50, 106 + 298 + 20}, [](Game& g) {
    std::uint32_t values[4] = {};
    std::uint32_t success = 0;
    CDSetPriceDlg dialog(g.ddraw.get(), g.main, g.program, values, &success, nullptr);
  });
}
BENCHMARK(BM_SetPrice);

void BM_Chat(benchmark::State& state) {
  AgainstBlit(state, {25 + 233 + 60, 96 + 265 + 33}, [](Game& g) {
    char text[kChatBufferSize] = {};
    std::uint8_t target = 0;
    std::uint32_t success = 0;
    CDChatDlg dialog(g.ddraw.get(), g.main, g.program, text, &target, &success, g.guild);
  });
}
BENCHMARK(BM_Chat);

void BM_Notes(benchmark::State& state) {
  AgainstBlit(state, {25 + 420 + 50, 96 + 226 + 50}, [](Game& g) {
    char text[256] = "notes";
    CDMultilineEditDlg dialog(g.ddraw.get(), g.main, g.program, text, sizeof text);
  });
}
BENCHMARK(BM_Notes);

void BM_Save(benchmark::State& state) {
  AgainstBlit(state, {-1, -1}, [](Game& g) {
    char directory[kSaveDirectorySize] = {};
    char name[kSaveNameSize] = {};
    std::uint32_t success = 0;
    CDSaveDlg dialog(g.ddraw.get(), g.main, g.program, directory, name, SAVE_BATTLE_PLAN, &success, g.guild);
  });
}
BENCHMARK(BM_Save);

}  // namespace
