// The binary rules files and what is built on them: "hulls.dat" and
// "modules.dat" images, the research states saved over them, science bonus
// reclaimed from them, and a template file whose design is then worked out,
// upgraded and saved, all from one input.
// A design saved and read back has the same contents.
//
// Input: u8 chapter trait, u8 local chapter, u16 bonus limit, then the hulls
// image, the modules image, the hull and the module research states, each as a
// u32 length and its bytes (cut at the input's end), then the template file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "fuzz/scratch.h"
#include "platform/core/bytes.h"
#include "tests/support/test_world.h"

namespace {

constexpr const char* kAbsent = "Q:\\absent.dat";

// The next `n` bytes, or as many as are left.
std::vector<std::uint8_t> Take(plat::ByteReader& in, std::size_t n) {
  const auto part = in.Bytes(std::min(n, in.Remaining()));
  return {part.begin(), part.end()};
}
// A u32 length and that many bytes.
std::vector<std::uint8_t> Part(plat::ByteReader& in) { return Take(in, in.U32()); }

void LoadState(auto& db, const char* name, const std::vector<std::uint8_t>& bytes) {
  plat::FILE* fp = fuzz::Scratch::Get().Open(name, bytes);
  if (fp == nullptr) __builtin_trap();
  db.Load(fp);
  plat::fclose(fp);
}

void WalkHulls(const CGHullDB& db) {
  for (int section = 0; section < kHullSections; ++section) {
    for (int i = 0; i < db.GetHullCount(section); ++i) {
      const CGHull* hull = db.GetHull(section, i);
      if (hull == nullptr || db.FindHull(section, hull->index) != hull) __builtin_trap();
      if (std::strlen(hull->name) >= sizeof hull->name) __builtin_trap();
      std::uint16_t costs[4];
      hull->GetCosts(costs);
      hull->GetBuildPoints();
      hull->GetModelName();
      hull->GetClassText();
      const int slots = hull->GetSlotCount();
      for (int s = 0; s < slots; ++s) {
        if (hull->FindSlotAt(hull->slots[s].x, hull->slots[s].y) < 0) __builtin_trap();
        hull->SlotAcceptsModuleType(s, MODULE_WEAPON);
      }
      db.GetSuccessor(*hull);
      db.FindResearchedHullOfClass(section, hull->unitClass);
    }
  }
}

void WalkModules(const CGModuleDB& db) {
  char path[64];
  for (int i = 0; i < db.GetCount(); ++i) {
    const ModuleRecord* m = db.GetRecord(i);
    if (std::strlen(m->name) >= sizeof m->name || std::strlen(m->imageName) >= sizeof m->imageName ||
        std::strlen(m->soundName) >= sizeof m->soundName)
      __builtin_trap();
    std::uint16_t costs[5];
    db.GetCosts(i, costs);
    std::uint8_t defenses[8];
    db.GetDefenses(i, defenses);
    db.GetBuildPoints(i);
    db.GetMass(i);
    db.GetPowerUse(i);
    db.GetResearchPercent(i);
    db.GetComputerType(i);
    db.GetGuildIndex(i);
    db.GetExplosionName(i);
    db.GetEffectiveRange(i);
    db.GetMaxRange(i);
    db.GetSuccessor(i);
    db.GetWeaponAttackTypeText(i);
    db.GetWeaponPatternText(i);
    db.GetImageFileName(i, path, 1);
    db.GetSmallImageFileName(i, path, 4);
    db.GetHitSoundFileName(i, path, 2);
    db.GetShieldSoundFileName(i, path, 0);
    if (std::strlen(path) >= sizeof path) __builtin_trap();
  }
  // Name order, either way, meets every module once.
  for (int direction : {0, 1}) {
    int seen = 0;
    for (std::uint16_t at = db.GetNextByName(kNoModule, direction); at != kNoModule;
         at = db.GetNextByName(at, direction)) {
      if (++seen > db.GetCount()) __builtin_trap();
    }
    if (seen != db.GetCount()) __builtin_trap();
  }
  db.FindBestPropulsion();
}

void WorkDesign(const std::vector<std::uint8_t>& file) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  plat::FILE* fp = scratch.Open("design.tem", file);
  if (fp == nullptr) __builtin_trap();
  CGUnitTemplate design(0, 0);
  const int loaded = design.Load(fp);
  plat::fclose(fp);
  if (loaded == 0) return;
  design.Recompute();
  design.CanAutoUpgrade();
  std::uint32_t hullChanged = 0;
  design.AutoUpgrade(&hullChanged);
  for (int slot = 0; slot < kTemplateSlots; ++slot) {
    design.GetWeaponStrength(slot);
    design.GetWeaponMaxRange(slot);
  }
  for (int type = 0; type < kModuleTypeCount; ++type) design.FindFreeSlotForModuleType(type);
  design.GetLocalSpeedScaled();
  design.GetClassName();
  design.RemoveUnresearchedModules();

  fp = plat::fopen("Q:\\saved.tem", "w+b");
  if (fp == nullptr || design.Save(fp) == 0) __builtin_trap();
  plat::rewind(fp);
  CGUnitTemplate again(0, 0);
  if (again.Load(fp) == 0 || !again.HasSameContents(design)) __builtin_trap();
  plat::fclose(fp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plat::ByteReader in({data, size});
  const std::uint8_t trait = in.U8();
  const auto localChapter = static_cast<std::uint16_t>(in.U8() % 40);
  const std::uint16_t bonusLimit = in.U16();
  const std::vector<std::uint8_t> hullImage = Part(in);
  const std::vector<std::uint8_t> moduleImage = Part(in);
  const std::vector<std::uint8_t> hullState = Part(in);
  const std::vector<std::uint8_t> moduleState = Part(in);
  const std::vector<std::uint8_t> designFile = Take(in, in.Remaining());

  CGHullDB hulls(kAbsent);
  CGModuleDB modules(kAbsent);
  hulls.LoadHulls(hullImage);
  modules.LoadModules(moduleImage);
  LoadState(hulls, "hullstate.sav", hullState);
  LoadState(modules, "modstate.sav", moduleState);

  test_support::TestWorld world;
  world.hulls = &hulls;
  world.modules = &modules;
  std::fill(std::begin(world.traits), std::end(world.traits), trait);
  world.localChapter = localChapter;
  WalkHulls(hulls);
  WalkModules(modules);
  modules.ReclaimScienceBonus(bonusLimit);
  hulls.ReclaimScienceBonus(bonusLimit);
  WorkDesign(designFile);
  return 0;
}
