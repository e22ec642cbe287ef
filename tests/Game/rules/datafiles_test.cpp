// The rules files the data build writes, read back by the game's readers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "Game/base/GStartupMessage.h"
#include "Game/rules/GAstNames.h"
#include "Game/rules/GDefBP.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "tests/Game/rules/rules_fixture.h"

namespace {

using rules_test::RulesLinksScope;
using rules_test::Sandbox;

constexpr int kHullsPerGuild = 15;
constexpr int kModules = 164;

// A scratch drive C holding the built files.
struct BuiltSandbox : Sandbox {
  BuiltSandbox() {
    for (const char* name : {"hulls.dat", "modules.dat", "defBP.dat", "gamevar.dat", "astnames.dat"}) {
      const std::filesystem::path built = std::filesystem::path(QUEN_BUILD_DIR) / "data" / "rules" / name;
      std::ifstream in(built, std::ios::binary);
      EXPECT_TRUE(in) << built << " is missing: build the rulesdata target";
      Write(name, std::string(std::istreambuf_iterator<char>(in), {}));
    }
  }
};

class BuiltRulesTest : public ::testing::Test {
 protected:
  BuiltRulesTest() {
    links.hulls = &hulls;
    links.modules = &modules;
  }
  BuiltSandbox box;
  RulesLinksScope links;
  CGHullDB hulls{Sandbox::Dos("hulls.dat").c_str()};
  CGModuleDB modules{Sandbox::Dos("modules.dat").c_str()};
};

TEST_F(BuiltRulesTest, EveryGuildHasEveryHullClass) {
  for (int g = 0; g < kHullSections; ++g) {
    ASSERT_EQ(hulls.GetHullCount(g), kHullsPerGuild) << "guild " << g;
    std::set<int> classes;
    std::set<std::string> names;
    for (int i = 0; i < kHullsPerGuild; ++i) {
      const CGHull* h = hulls.GetHull(g, i);
      classes.insert(h->unitClass);
      names.insert(h->name);
      EXPECT_EQ(h->index, i);
      EXPECT_GE(h->GetSlotCount(), 5) << h->name;
      EXPECT_EQ(h->SlotAcceptsModuleType(0, MODULE_COMPUTER), 1) << h->name;
      EXPECT_LE(h->mass, h->massLimit);
      if (const CGHull* next = hulls.GetSuccessor(*h)) {
        EXPECT_EQ(next->unitClass, h->unitClass) << h->name;
      }
    }
    EXPECT_EQ(classes.size(), 11u);
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kHullsPerGuild));
    EXPECT_NE(hulls.FindResearchedHullOfClass(g, UNITCLASS_CONS), nullptr);
    EXPECT_NE(hulls.FindResearchedHullOfClass(g, UNITCLASS_USCT), nullptr);
    EXPECT_NE(hulls.FindResearchedHullOfClass(g, UNITCLASS_CRUS), nullptr);
    EXPECT_NE(hulls.FindResearchedHullOfClass(g, UNITCLASS_BATT), nullptr);
  }
}

// The size value decides how big a ship looks: the small classes below 20,
// the warships and stations 20 or more.
TEST_F(BuiltRulesTest, SmallHullsAreSmallAndLargeOnesLarge) {
  const std::set<int> small = {UNITCLASS_GENP, UNITCLASS_USCT, UNITCLASS_ASCT, UNITCLASS_UASL,
                               UNITCLASS_AASL, UNITCLASS_CONS, UNITCLASS_DEST};
  for (int g = 0; g < kHullSections; ++g) {
    for (int i = 0; i < hulls.GetHullCount(g); ++i) {
      const CGHull* h = hulls.GetHull(g, i);
      if (small.count(h->unitClass))
        EXPECT_LT(h->attribute, 20) << h->name;
      else
        EXPECT_GE(h->attribute, 20) << h->name;
    }
  }
}

// A hull not built from the start gets research points only through its
// predecessor's line, so a class none of whose hulls is built from the start
// or follows from one is closed to every player and computer chapter.
TEST_F(BuiltRulesTest, EveryHullClassIsBuiltOrResearchedInANewGame) {
  for (int g = 0; g < kHullSections; ++g) {
    std::set<int> open, classes;
    for (int i = 0; i < hulls.GetHullCount(g); ++i) {
      const CGHull* h = hulls.GetHull(g, i);
      classes.insert(h->unitClass);
      if (h->available == 0) continue;
      // Bounded by the section's length, so that a line looping on itself ends.
      for (int step = 0; h != nullptr && step < hulls.GetHullCount(g); ++step, h = hulls.GetSuccessor(*h))
        open.insert(h->unitClass);
    }
    for (int unitClass : classes)
      EXPECT_TRUE(open.count(unitClass) != 0) << "guild " << g << " unit class " << unitClass;
  }
}

TEST_F(BuiltRulesTest, EveryModuleKindIsThere) {
  ASSERT_EQ(modules.GetCount(), kModules);
  std::set<std::string> names;
  std::set<int> attacks, patterns;
  for (int g = 0; g < 5; ++g) {
    std::set<int> types, computers;
    for (int i = 0; i < modules.GetCount(); ++i) {
      const ModuleRecord* m = modules.GetRecord(i);
      if (modules.GetGuildIndex(i) != g) continue;
      names.insert(m->name);
      if (m->techLevel == 1) types.insert(m->type);
      if (m->type == MODULE_COMPUTER) computers.insert(m->typeData[0]);
      if (m->type == MODULE_WEAPON) {
        attacks.insert(m->AttackKind());
        patterns.insert(m->Pattern());
        EXPECT_GT(modules.GetMaxRange(i), 0.0);
        EXPECT_LE(m->EffectiveRange(), m->MaxRange());
      }
      const std::uint16_t next = modules.GetSuccessor(i);
      if (m->successor != kNoModule) {
        ASSERT_NE(next, kNoModule) << m->name;
        EXPECT_EQ(modules.GetGuildIndex(next), g);
        EXPECT_EQ(modules.GetRecord(next)->type, m->type) << m->name;
      }
    }
    EXPECT_EQ(types.size(), 11u) << "guild " << g << " lacks a researched module type";
    EXPECT_EQ(computers.size(), 5u);
    links.localChapter = static_cast<std::uint16_t>(g * 8);
    EXPECT_NE(modules.FindBestPropulsion(), kNoModule);
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kModules));
  EXPECT_EQ(attacks.size(), 8u);
  EXPECT_EQ(patterns.size(), 3u);
  int listed = 0;
  for (std::uint16_t i = modules.GetNextByName(kNoModule, 1); i != kNoModule; i = modules.GetNextByName(i, 1)) ++listed;
  EXPECT_EQ(listed, kModules);
}

// The guilds that use special weapons have them, researched from the start
// or down a line from one that is, fitting a hull of theirs as designed;
// guild 2 has none, its ships never carrying one.
TEST_F(BuiltRulesTest, SpecialWeaponsAreTheirGuildsOwnAndFitTheirHulls) {
  const std::set<int> wanted[5] = {{}, {kSpecialMind}, {}, {kSpecialBombard}, {}};
  for (int g = 0; g < 5; ++g) {
    std::set<int> codes;
    for (int i = 0; i < modules.GetCount(); ++i) {
      const ModuleRecord* m = modules.GetRecord(i);
      if (m->SpecialCode() == 0 || modules.GetGuildIndex(i) != g) continue;
      SCOPED_TRACE(m->name);
      codes.insert(m->SpecialCode());
      EXPECT_STREQ(modules.GetExplosionName(i), "exp900") << "a discharge above rate 20";
      EXPECT_EQ(m->helpTopic, 1011);
      EXPECT_NE(m->imageName[0], '\0');
      bool researchable = modules.IsResearched(i) != 0;
      for (int p = 0; p < modules.GetCount() && !researchable; ++p)
        researchable = modules.GetSuccessor(p) == i && modules.IsResearched(p) != 0;
      EXPECT_TRUE(researchable);
      bool fits = false;
      for (int h = 0; h < hulls.GetHullCount(g) && !fits; ++h) {
        const CGHull* hull = hulls.GetHull(g, h);
        for (int s = 0; s < hull->GetSlotCount() && !fits; ++s)
          fits = hull->available != 0 && hull->SlotAcceptsModuleType(s, MODULE_WEAPON) != 0 &&
                 hull->mass + modules.GetMass(i) <= hull->massLimit;
      }
      EXPECT_TRUE(fits);
    }
    EXPECT_EQ(codes, wanted[g]) << "guild " << g;
  }
}

// The researched module of the guild that a slot is meant for, by the slot's types.
std::uint16_t ModuleForSlot(const CGModuleDB& modules, const HullSlot& slot, int guild) {
  static const int kPreference[] = {MODULE_COMPUTER, MODULE_PROPULSION,   MODULE_POWER,        MODULE_WEAPON,
                                    MODULE_DEFENSE,  MODULE_CONSTRUCTION, MODULE_TRANSPORT,    MODULE_SCOUT,
                                    MODULE_TRACKING, MODULE_ECM,          MODULE_DAMAGECONTROL};
  for (int type : kPreference) {
    if (slot.typeMask != kSlotAcceptsAny && (slot.typeMask & (1u << type)) == 0) continue;
    for (int i = 0; i < modules.GetCount(); ++i) {
      const ModuleRecord* m = modules.GetRecord(i);
      if (m->type == type && modules.GetGuildIndex(i) == guild && modules.IsResearched(i) &&
          (type != MODULE_COMPUTER || m->typeData[0] == COMPUTER_COMBAT)) {
        return static_cast<std::uint16_t>(i);
      }
    }
  }
  return kNoModule;
}

TEST_F(BuiltRulesTest, EveryStartingHullMakesAWorkingAffordableDesign) {
  TakeStartupMessages();
  const CGameVariables vars;
  EXPECT_TRUE(TakeStartupMessages().empty());
  int designs = 0;
  for (int g = 0; g < kHullSections; ++g) {
    for (int i = 0; i < hulls.GetHullCount(g); ++i) {
      CGHull* hull = hulls.GetHull(g, i);
      if (hull->available == 0) continue;
      ++designs;
      CGUnitTemplate design(static_cast<std::uint8_t>(g * 8), 1);
      design.SetHull(hull);
      for (int s = 0; s < hull->GetSlotCount(); ++s) {
        const std::uint16_t m = ModuleForSlot(modules, hull->slots[s], g);
        ASSERT_NE(m, kNoModule) << hull->name << " slot " << s;
        design.FitModule(s, m);
      }
      SCOPED_TRACE(hull->name);
      EXPECT_EQ(design.moduleCount, hull->GetSlotCount());
      EXPECT_LE(design.mass, hull->massLimit);
      EXPECT_GT(design.powerGeneration, 0u);
      EXPECT_GE(design.powerGeneration + design.powerStorage / 10, design.powerUse);
      const bool station = hull->unitClass == UNITCLASS_USTA || hull->unitClass == UNITCLASS_ASTA;
      if (!station) {
        EXPECT_GT(design.GetDeepSpaceSpeed(), 200u);
        EXPECT_GT(design.GetLocalSpaceSpeed(), 100u);
      }
      for (int k = 0; k < 4; ++k) EXPECT_LE(design.costs[k], vars.GetChapterStartingResource(k)) << k;
      EXPECT_LE(design.costs[4], vars.GetChapterStartingResource(4));
    }
  }
  EXPECT_EQ(designs, 5 * 11);  // all but the Mk II hulls
}

// Every key is optional, so the built file cut short, at a line end or inside
// a line (whose rest is then not used), or with one tech line gone, reads as
// the shorter file it is: what it holds is taken and nothing is told.
TEST_F(BuiltRulesTest, GameVariablesCutShortReadAsAShorterFile) {
  const std::string whole = box.Read("gamevar.dat");
  TakeStartupMessages();
  const CGameVariables full;
  const std::size_t leech = whole.find("LEECH_AMOUNT=");
  ASSERT_NE(leech, std::string::npos);
  ASSERT_NE(full.leechAmount, 0);
  ASSERT_NE(full.creditsPerAsteroid, 50u);
  // leech - 1: between the CR and the LF of a line end.
  for (const std::size_t keep : {leech, leech - 1, leech + 8, whole.size() / 2, whole.size() / 5}) {
    box.Write("gamevar.dat", whole.substr(0, keep));
    const CGameVariables vars;
    EXPECT_TRUE(TakeStartupMessages().empty()) << keep;
    EXPECT_EQ(vars.atvCosts[0][0], full.atvCosts[0][0]) << keep;
    EXPECT_EQ(vars.leechAmount, 0) << keep;
    // The line before LEECH_AMOUNT is used only with its whole line end.
    EXPECT_EQ(vars.creditsPerAsteroid, keep >= leech ? full.creditsPerAsteroid : 50u) << keep;
  }
  const std::size_t tech = whole.find("ATV_TECH_LEVELS=0 0 0 ");
  ASSERT_NE(tech, std::string::npos);
  std::string oneLess = whole;
  oneLess.erase(tech, whole.find('\n', tech) + 1 - tech);
  box.Write("gamevar.dat", oneLess);
  const CGameVariables vars;
  EXPECT_TRUE(TakeStartupMessages().empty());
  ATVTechEntry entry{};
  vars.GetATVTechEntry(0, 0, 0, &entry);
  EXPECT_EQ(entry, (ATVTechEntry{0, 0, 0, 0, '.', '.'}));
}

TEST_F(BuiltRulesTest, GameVariablesRunAnEconomy) {
  TakeStartupMessages();
  const CGameVariables vars;
  EXPECT_TRUE(TakeStartupMessages().empty());
  for (int k = 0; k < 5; ++k) EXPECT_GT(vars.GetChapterStartingResource(k), 0u);
  for (int t = 0; t < 4; ++t) {
    std::int16_t costs[5] = {};
    vars.GetATVCosts(t, costs);
    EXPECT_GT(costs[0], 0);
    EXPECT_GT(vars.GetATVBuildPoints(t), 0);
  }
  for (int g = 0; g < 5; ++g) {
    for (int level = 0; level < 4; ++level) {
      ATVTechEntry mining{}, power{}, seed{};
      vars.GetATVTechEntry(g, level, 1, &mining);
      vars.GetATVTechEntry(g, level, 2, &power);
      vars.GetATVTechEntry(g, level, 3, &seed);
      EXPECT_GT(mining[1], 0) << g << " " << level;  // mining ATVs mine
      EXPECT_GT(power[2], 0);                        // power ATVs make power
      EXPECT_GT(seed[3], 0);
    }
  }
  EXPECT_LT(vars.costMiningFacility, 255);
  EXPECT_GT(vars.effectMiningFacility, 100u);
  for (std::uint8_t base : vars.powerBases) EXPECT_GT(base, 0);
}

TEST_F(BuiltRulesTest, DefaultPlansReadWholeAndWriteBackUnchanged) {
  DefaultBattlePlanTable table;
  table.ReadFile(0);
  EXPECT_TRUE(links.messages.empty());
  EXPECT_EQ(GetDefaultRetreatPlan(UNITCLASS_USTA)[0], 0);
  EXPECT_GT(GetDefaultRetreatPlan(UNITCLASS_USCT)[0], 0);
  const std::string before = box.Read("defBP.dat");
  WriteDefaultBattlePlanFile();
  EXPECT_EQ(box.Read("defBP.dat"), before);
  EXPECT_TRUE(links.messages.empty());
}

TEST_F(BuiltRulesTest, EnoughAsteroidNames) {
  plat::FILE* fp = plat::fopen("C:\\astnames.dat", "rt");
  std::set<std::string> names;
  for (unsigned n = 1; n <= 151; ++n) {
    plat::rewind(fp);
    const auto name = ReadAsteroidName(fp, n);
    ASSERT_TRUE(name) << n;
    EXPECT_FALSE(name->empty());
    names.insert(*name);
  }
  plat::fclose(fp);
  EXPECT_EQ(names.size(), 151u);
}

}  // namespace
