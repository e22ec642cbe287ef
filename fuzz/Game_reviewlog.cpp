// Battle replay files from any bytes, told as a review log over a small game
// (three chapters' ships, two modules): the log is written and closed
// whatever the file holds, and the counters stay in their row.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GUnitTem.h"
#include "Game/save/ReviewLog.h"
#include "fuzz/scratch.h"

namespace {

CGameData& Game() {
  static CGameData* game = [] {
    auto* g = new CGameData(9, 8);
    g_gameData = g;
    g->solarDB.CreateAsteroidArray(4);
    for (std::uint16_t i = 0; i < 4; ++i) g->solarDB.SetAsteroid(std::make_unique<CGAsteroid>(i));
    for (std::uint8_t chapter : {9, 10, 17}) {
      auto* design = new CGUnitTemplate(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | 0x1000));
      g->templates.AddTemplate(design, chapter);
      const Location at{2, 0, 0, 0};
      g->pieces.CreateUnit(design, &at, chapter, (std::uint32_t{chapter} << 26) | 1);
    }
    return g;
  }();
  return *game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  CGameData& game = Game();
  scratch.Write("2.rpl", std::span(data, size));
  plat::remove("Q:\\2.tlg");
  if (MakeReviewLog(2) != 1) __builtin_trap();
  std::uint32_t counted = 0;
  for (std::uint32_t v : game.reviewLog[2]) counted += v;
  // Each of the three ships counts at most twice as present and twice as hit, per record of it.
  if (counted > 4 * (size + 1)) __builtin_trap();
  return 0;
}
