// The installation's files as the start-up check reads them: the same bytes
// as the battle plans, the asteroid names, the 3D archive's directory and the
// colour table. Each check only says yes or no; none may read past its file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "Game/app/InstallCheck.h"
#include "Game/rules/GDefBPKeys.h"
#include "fuzz/scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();

  scratch.Write("defBP.dat", bytes);
  // The texts are compared, not their addresses: each translation unit may
  // hold its own copy of a header's literal.
  const auto told = [](const char* text, std::string_view expected) { return text != nullptr && expected == text; };
  const char* plans = DefaultBattlePlanProblem();
  if (plans != nullptr && !told(plans, kDefBPCorrupted)) __builtin_trap();

  scratch.Write("astnames.dat", bytes);
  const char* names = AsteroidNamesProblem("Q:\\");
  if (names != nullptr && !told(names, kAstNamesMissingText) && !told(names, kAstNamesDamagedText)) __builtin_trap();

  scratch.Write("3ddata.nob", bytes);
  ArchiveWhole("Q:\\3ddata.nob");

  scratch.Write("palette.dat", bytes);
  PaletteReads("Q:\\palette.dat");
  return 0;
}
