#pragma once
// The whole-game run's model (tests/e2e/wholegame/data/wg_model.bin) as the
// benchmarks of the game screen play over it. Not for use from several threads.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/GBlockStream.h"
#include "Game/model/GGameData.h"

namespace bench {

// Makes `g_gameData` the run's game: empty on success, else why not (the block
// is missing or no longer loads).
inline std::string LoadWholeGameData() {
  const std::filesystem::path file = std::filesystem::path(QUEN_SOURCE_DIR) / "tests/e2e/wholegame/data/wg_model.bin";
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.empty()) return "no game data in " + file.string();
  g_gameData = new CGameData(0, 1);
  BlockReader r(bytes);
  if (g_gameData->Load(r) == 0)
    return file.string() + " no longer loads: write it again with tests/e2e/wholegame/refresh_goldens.sh";
  return {};
}

}  // namespace bench
