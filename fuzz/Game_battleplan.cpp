// The battle-plan file as the Load buttons read it: any file either leaves
// the plan as it was or gives one whose every byte lies in its range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Game/rules/GBattlePlanFile.h"
#include "fuzz/scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Scratch::Get().Write("plan.bpf", std::span<const std::uint8_t>(data, size));
  const TargetingPart before{7, 7, 7, 7, 200};
  TargetingPart t = before;
  RetreatPart r{200, 200, 7};
  plat::FILE* fp = plat::fopen("plan.bpf", "rb");
  if (!fp) return 0;
  const bool read = ReadBattlePlan(fp, &t, &r);
  plat::fclose(fp);
  if (read != (size == kBattlePlanFileSize)) std::abort();
  if (!read) {
    if (t != before || r != RetreatPart{200, 200, 7}) std::abort();
    return 0;
  }
  if (t[0] > 3 || t[1] > 1 || t[2] > 1 || t[3] < 1 || t[3] > 2 || t[4] > 100) std::abort();
  if (r[0] > 100 || r[1] > 100 || r[2] > 1) std::abort();
  return 0;
}
