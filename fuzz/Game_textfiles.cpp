// The rules text files: the key=value line reader on its own, then the same
// bytes as "gamevar.dat", as "defBP.dat" and as the asteroid names file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Game/base/GKeyValueReader.h"
#include "Game/base/GStartupMessage.h"
#include "Game/rules/GAstNames.h"
#include "Game/rules/GDefBP.h"
#include "Game/rules/GGameVar.h"
#include "fuzz/scratch.h"

namespace {

// The default battle plans in force before any file was read; each input
// starts from them again.
struct BuiltInPlans {
  BuiltInPlans() {
    for (int c = 0; c < kUnitClassCount; ++c) {
      std::copy_n(GetDefaultTargetingPlan(c), targeting[c].size(), targeting[c].begin());
      std::copy_n(GetDefaultRetreatPlan(c), retreat[c].size(), retreat[c].begin());
    }
  }
  void Restore() const {
    for (int c = 0; c < kUnitClassCount; ++c) {
      SetDefaultTargetingPlan(c, targeting[c]);
      SetDefaultRetreatPlan(c, retreat[c]);
    }
  }
  TargetingPart targeting[kUnitClassCount];
  RetreatPart retreat[kUnitClassCount];
};

void KeyValueLines(std::span<const std::uint8_t> bytes) {
  plat::FILE* fp = fuzz::Scratch::Get().Open("lines.dat", bytes, "r");
  if (fp == nullptr) __builtin_trap();
  ReadKeyValueLines(fp, [](std::string_view key, std::string_view value) {
    if (key.size() > kMaxKeyChars || value.size() > kMaxValueChars) __builtin_trap();
    if (!key.empty() && key.front() == ';') __builtin_trap();
  });
  plat::fclose(fp);
}

void AsteroidNames(std::span<const std::uint8_t> bytes) {
  plat::FILE* fp = fuzz::Scratch::Get().Open("astnames.dat", bytes, "rt");
  if (fp == nullptr) __builtin_trap();
  // Each name number reads the file from its start: a few numbers near and far
  // take the reader down every path without reading a long input 64 times.
  for (const unsigned n : {1u, 2u, 3u, 8u, 64u}) {
    plat::rewind(fp);
    const std::optional<std::string> name = ReadAsteroidName(fp, n);
    if (!name) break;
    if (name->size() > kMaxAsteroidNameChars || name->find_first_of("|\n") != std::string::npos) __builtin_trap();
  }
  plat::fclose(fp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const BuiltInPlans builtIn;
  const std::span<const std::uint8_t> bytes(data, size);
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();

  KeyValueLines(bytes);

  scratch.Write("gamevar.dat", bytes);
  const CGameVariables variables;
  ATVTechEntry entry{};
  variables.GetATVTechEntry(4, 3, kATVTypes - 1, &entry);
  // The player is told of a damaged file and nothing else; none of its values
  // is then taken. The message is not kept from one input to the next.
  const std::vector<std::string> told = TakeStartupMessages();
  if (!told.empty()) {
    static const std::string defaults = GameVariablesText(CGameVariables(std::string_view()));
    if (told != std::vector<std::string>{kGameVarDamaged} || GameVariablesText(variables) != defaults) __builtin_trap();
  }

  scratch.Write("defBP.dat", bytes);
  DefaultBattlePlanTable plans;
  plans.ReadFile(0);
  builtIn.Restore();

  AsteroidNames(bytes);
  return 0;
}
