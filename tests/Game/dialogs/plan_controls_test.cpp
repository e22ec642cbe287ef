// The battle plan and its controls: the conversions both ways, what the
// dialogs disable, and which slot a list position stands for.
#include <gtest/gtest.h>

#include "Game/dialogs/CDBPDfult.h"
#include "Game/dialogs/CDBattlePlanDlg.h"
#include "Game/dialogs/CDPlanDlgBase.h"
#include "Game/rules/GUnitTem.h"

namespace {

PlanControlStates From(const TargetingPart& t, const RetreatPart& r) {
  PlanControlStates c;
  SetControlsFromPlan(t, r, &c);
  return c;
}

TEST(PlanControls, PlanIntoControls) {
  const PlanControlStates c = From({2, 0, 1, 1, 35}, {100, 30, 1});
  EXPECT_TRUE(c.On(PC_CLOSEST_ARMED));
  EXPECT_FALSE(c.On(PC_CLOSEST_TARGET) || c.On(PC_CLOSEST_ATV) || c.On(PC_CLOSEST_CONSTRUCTOR));
  EXPECT_TRUE(c.On(PC_ONLY_AT));  // targeting 1 == 0
  EXPECT_TRUE(c.On(PC_ONLY_AT_SELECTED));
  EXPECT_TRUE(c.On(PC_RANGE));
  EXPECT_TRUE(c.On(PC_HITS));
  EXPECT_EQ(c.hitChance, 35u);
  EXPECT_EQ(c.hull, 70u);  // 100 - retreat 1
  EXPECT_TRUE(c.On(PC_HULL));
  EXPECT_EQ(c.life, 0u);  // retreat 0 of 100: off
  EXPECT_FALSE(c.On(PC_LIFE));
  EXPECT_TRUE(c.On(PC_NO_SHOTS));
  for (std::uint8_t v : c.state) EXPECT_LT(v, kControlDisabled);
}

TEST(PlanControls, ControlsIntoPlanAtTheEdges) {
  struct Case {
    const char* name;
    std::uint8_t hits, hull, life;
    unsigned hitChance, hullShown, lifeShown;
    std::uint8_t t4, r1, r0;
  };
  const Case cases[] = {
      {"hit chance 0 with the toggle on is off", 1, 0, 0, 0, 0, 0, 0, 100, 100},
      {"hit chance above 100 is 100", 1, 0, 0, 250, 0, 0, 100, 100, 100},
      {"hull and life 0 with the toggles on store 100", 1, 1, 1, 50, 0, 0, 50, 100, 100},
      {"hull and life of 100 or more store 0", 0, 1, 1, 50, 100, 140, 0, 0, 0},
      {"toggles off store off whatever the fields", 0, 0, 0, 80, 40, 40, 0, 100, 100},
      {"hull 25 stores 75", 0, 1, 0, 0, 25, 0, 0, 75, 100},
  };
  for (const Case& k : cases) {
    PlanControlStates c;
    c.state[PC_HITS] = k.hits;
    c.state[PC_HULL] = k.hull;
    c.state[PC_LIFE] = k.life;
    c.hitChance = k.hitChance;
    c.hull = k.hullShown;
    c.life = k.lifeShown;
    TargetingPart t{};
    RetreatPart r{};
    ApplyControls(c, &t, &r);
    EXPECT_EQ(t[4], k.t4) << k.name;
    EXPECT_EQ(r[1], k.r1) << k.name;
    EXPECT_EQ(r[0], k.r0) << k.name;
    EXPECT_EQ(t[3], 2) << k.name;  // range off: up to the maximum
    EXPECT_EQ(t[1], 1) << k.name;  // only-at off
  }
}

TEST(PlanControls, EveryPlanInRangeSurvivesTheRoundTrip) {
  for (std::uint8_t who = 0; who < 4; ++who)
    for (std::uint8_t flags = 0; flags < 8; ++flags)
      for (std::uint8_t percent : {0, 1, 50, 99, 100}) {
        const TargetingPart t{who, static_cast<std::uint8_t>(flags & 1), static_cast<std::uint8_t>((flags >> 1) & 1),
                              static_cast<std::uint8_t>(1 + ((flags >> 2) & 1)), percent};
        const RetreatPart r{percent, static_cast<std::uint8_t>(100 - percent), static_cast<std::uint8_t>(flags & 1)};
        TargetingPart t2{};
        RetreatPart r2{};
        ApplyControls(From(t, r), &t2, &r2);
        EXPECT_EQ(t2, t);
        EXPECT_EQ(r2, r);
      }
}

TEST(PlanControls, DisablingKeepsTheValuesAndSwitchingBackEnablesThem) {
  PlanControlStates c = From({3, 1, 0, 2, 60}, {20, 40, 1});
  SetRetreatDisabled(&c, true);
  SetTargetingDisabled(&c, true);
  for (std::uint8_t v : c.state) EXPECT_GE(v, kControlDisabled);
  TargetingPart t{};
  RetreatPart r{};
  ApplyControls(c, &t, &r);
  EXPECT_EQ(t, (TargetingPart{3, 1, 0, 2, 60}));
  EXPECT_EQ(r, (RetreatPart{20, 40, 1}));
  SetRetreatDisabled(&c, false);
  EXPECT_FALSE(c.Disabled(PC_HULL) || c.Disabled(PC_LIFE) || c.Disabled(PC_NO_SHOTS));
  EXPECT_TRUE(c.Disabled(PC_HITS) && c.Disabled(PC_CLOSEST_CONSTRUCTOR));
  EXPECT_TRUE(c.On(PC_HULL) && c.On(PC_NO_SHOTS));
}

TEST(PlanControls, StationsCannotRetreatAndUnarmedClassesCannotTarget) {
  for (int c = 0; c < kUnitClassCount; ++c) {
    EXPECT_EQ(ClassCannotRetreat(c), c == 1 || c == 2) << c;
    EXPECT_EQ(ClassCannotTarget(c), c == 1 || c == 3 || c == 5) << c;
  }
}

// The module list holds the fitted slots only; each position stands for its
// own slot, and the start selects the second entry only when there is one.
TEST(PlanControls, ListPositionsStandForTheFittedSlots) {
  CGUnitTemplate design(0, 1);
  design.slots[2].fitted = 1;
  design.slots[7].fitted = 1;
  design.slots[19].fitted = 1;
  EXPECT_EQ(FittedSlots(&design), (std::vector<int>{2, 7, 19}));
  EXPECT_TRUE(FittedSlots(nullptr).empty());
  EXPECT_EQ(StartPosition(3), 1);
  EXPECT_EQ(StartPosition(1), 0);
  EXPECT_EQ(StartPosition(0), -1);
}

}  // namespace
