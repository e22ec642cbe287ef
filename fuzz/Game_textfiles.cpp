// The rules text files: the key=value line reader on its own, then the same
// bytes as "gamevar.dat", as "defBP.dat" and as the asteroid names file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "Game/rules/GAstNames.h"
#include "Game/rules/GDefBP.h"
#include "Game/rules/GGameVar.h"
#include "Game/base/GKeyValueReader.h"
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
  for (unsigned n = 1; n <= 64; ++n) {
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

  scratch.Write("defBP.dat", bytes);
  DefaultBattlePlanTable plans;
  plans.ReadFile(0);
  builtIn.Restore();

  AsteroidNames(bytes);
  return 0;
}
