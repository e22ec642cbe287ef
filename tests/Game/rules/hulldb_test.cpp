#include "Game/rules/GHullDB.h"

#include <gtest/gtest.h>

#include <tuple>

#include "Game/rules/GModuleDB.h"
#include "tests/Game/rules/rules_fixture.h"

namespace {

using rules_test::HullEntry;
using rules_test::Image;
using rules_test::RulesLinksScope;
using rules_test::Sandbox;
using rules_test::Word;

// Five sections; the given entries in section `section`, the others empty.
Image HullsImage(int section, const std::vector<HullEntry>& entries, int emptyAt = -1) {
  std::vector<std::vector<HullEntry>> sections(section + 1);
  sections[section] = entries;
  Image im;
  im.bytes = rules_test::HullsFile(sections, emptyAt);
  return im;
}

class HullDBTest : public ::testing::Test {
 protected:
  CGHullDB Load(const Image& im) {
    box.Write("hulls.dat", im.bytes);
    return CGHullDB(Sandbox::Dos("hulls.dat").c_str());
  }
  Sandbox box;
  RulesLinksScope links;
};

TEST_F(HullDBTest, EmptyEntryUsesUpItsIndex) {
  HullEntry a, b;
  a.name = "First";
  b.name = "Second";
  b.researched = 0;
  CGHullDB db(Sandbox::Dos("none.dat").c_str());
  EXPECT_EQ(db.LoadHulls(HullsImage(2, {a, b}, 1).bytes), 1);
  ASSERT_EQ(db.GetHullCount(2), 2);
  const CGHull& first = *db.GetHull(2, 0);
  const CGHull& second = *db.GetHull(2, 1);
  // Index 1 was the empty entry.
  EXPECT_EQ(std::make_tuple(first.index, second.index, second.section), std::make_tuple(0, 2, 2));
  EXPECT_STREQ(second.name, "Second");
  EXPECT_EQ(db.FindHull(2, 2), db.GetHull(2, 1));
  EXPECT_EQ(db.FindHull(2, 1), nullptr);
  EXPECT_EQ(std::make_tuple(first.available, first.researchPoints, second.available), std::make_tuple(1u, 10000, 0u));
  EXPECT_EQ(db.FindResearchedHullOfClass(2, 8), db.GetHull(2, 0));
  EXPECT_EQ(db.FindResearchedHullOfClass(2, 9), nullptr);
}

TEST_F(HullDBTest, SlotListsAndTheirEnds) {
  HullEntry none;
  none.slots = {{0xFFFF, 0, 0, 0, 0}, {40, 40, 1, 1, 0x1000}};
  HullEntry two;
  two.slots = {{10, 20, 1, 1, 1u << 10}, {100, 20, 1, 1, 0x1000}};
  CGHullDB db = Load(HullsImage(0, {none, two}));
  const CGHull* first = db.GetHull(0, 0);
  const CGHull* second = db.GetHull(0, 1);
  EXPECT_EQ(std::make_tuple(first->GetSlotCount(), first->FindSlotAt(45, 45)), std::make_tuple(0, -1));
  EXPECT_EQ(second->GetSlotCount(), 2);
  EXPECT_EQ(
      std::make_tuple(second->FindSlotAt(10 + 29, 20 + 29), second->FindSlotAt(10 + 30, 20), second->FindSlotAt(9, 20)),
      std::make_tuple(0, -1, -1));
  // 0x1000 takes every type; slot 2 is past the list.
  EXPECT_EQ(std::make_tuple(second->SlotAcceptsModuleType(0, 10), second->SlotAcceptsModuleType(0, 5),
                            second->SlotAcceptsModuleType(1, 5), second->SlotAcceptsModuleType(2, 5)),
            std::make_tuple(1, 0, 1, 0));
}

TEST_F(HullDBTest, SlotsBeyondTwentyArePassedOverAndReadingGoesOn) {
  HullEntry big;
  big.name = "Big";
  big.slots.clear();
  for (std::uint32_t s = 0; s < 23; ++s) big.slots.push_back({s, s, 1, 1, 0x1000});
  HullEntry after;
  after.name = "After";
  CGHullDB db = Load(HullsImage(4, {big, after}));
  ASSERT_EQ(db.GetHullCount(4), 2);
  EXPECT_EQ(db.GetHull(4, 0)->GetSlotCount(), 20);
  EXPECT_EQ(db.GetHull(4, 0)->slots[19].x, 19);
  EXPECT_STREQ(db.GetHull(4, 1)->name, "After");
}

// A game never starts on part of the hulls: a broken, empty or missing file
// gives none, and the player is told which file it is.
TEST_F(HullDBTest, BrokenImagesGiveNoHullsAtAll) {
  HullEntry a;
  a.name = "Kept";
  Image im = HullsImage(0, {a, a});
  Image truncated;
  truncated.bytes.assign(im.bytes.begin(), im.bytes.end() - 30);
  CGHullDB db(Sandbox::Dos("none.dat").c_str());
  EXPECT_FALSE(db.IsLoaded());
  EXPECT_EQ(links.messages, std::vector<std::string>{kHullsFileDamaged});
  EXPECT_EQ(db.LoadHulls(truncated.bytes), 0);
  EXPECT_EQ(db.GetHullCount(0), 0);
  Image trailing = im;
  trailing.U8(0);
  EXPECT_EQ(db.LoadHulls(trailing.bytes), 0);
  EXPECT_EQ(db.LoadHulls(HullsImage(0, {}).bytes), 0);  // five empty sections
  EXPECT_EQ(db.GetHullCount(0), 0);
  EXPECT_FALSE(Load(truncated).IsLoaded());
  EXPECT_TRUE(Load(im).IsLoaded());

  Image longName;  // a name length far beyond the image
  longName.U8(1).U32(0x7FFFFFF0).Text("abc", 3);
  CGHullDB db2(Sandbox::Dos("none.dat").c_str());
  EXPECT_EQ(db2.LoadHulls(longName.bytes), 0);
  EXPECT_EQ(db2.GetHullCount(0), 0);

  HullEntry unterminated;  // 60 name bytes without a NUL: cut to 49
  unterminated.name = "x";
  const std::vector<std::uint8_t> written = rules_test::HullsFile({{unterminated}});
  Image im3;
  im3.U8(1).U32(60).Text(std::string(60, 'n'), 60);
  // The rest of the written hull after its count, name length and "x\0".
  im3.bytes.insert(im3.bytes.end(), written.begin() + 1 + 4 + 2, written.end());
  CGHullDB db3(Sandbox::Dos("none.dat").c_str());
  EXPECT_EQ(db3.LoadHulls(im3.bytes), 1);
  EXPECT_EQ(std::string(db3.GetHull(0, 0)->name), std::string(49, 'n'));
}

TEST(HullCosts, PercentFallsWithResearchAndStopsAtZero) {
  CGHull hull;
  hull.costs[0] = 200;
  hull.structurePoints = 300;
  for (auto [points, percent] : std::initializer_list<std::pair<int, int>>{
           {0, 100}, {10000, 100}, {11500, 85}, {20000, 0}, {30000, 0}, {65535, 0}}) {
    hull.researchPoints = static_cast<std::uint16_t>(points);
    EXPECT_EQ(hull.GetCostPercent(), percent) << points;
  }
  hull.researchPoints = 11500;
  std::uint16_t costs[4];
  hull.GetCosts(costs);
  EXPECT_EQ(std::make_tuple(costs[0], hull.GetBuildPoints()), std::make_tuple(170, 255));
}

TEST_F(HullDBTest, ResearchMessages) {
  links.localChapter = 8 * 3 + 5;
  CGModuleDB modules(Sandbox::Dos("none.dat").c_str());
  modules.freeSciencePool = 77;
  links.modules = &modules;
  HullEntry a;
  CGHullDB db = Load(HullsImage(3, {a, a}, 0));
  CGHull* hull = db.GetHull(3, 1);  // index 2
  hull->SetResearchAllocation(75);
  hull->SetScienceBonus(0);  // the stored value: nothing sent
  hull->SetScienceBonus(12);
  // Type, the header's rest left to the session, chapter, guild slot, hull index, value (and the free pool).
  ASSERT_EQ(links.sent.size(), 2u);
  EXPECT_EQ(links.sent[0].bytes, Image().U16(511).U16(0).U32(0).U16(3).U8(5).U8(0).U16(2).U16(75).bytes);
  EXPECT_EQ(links.sent[0].slot, -1);
  EXPECT_FALSE(links.sent[0].unsequenced);
  EXPECT_EQ(links.sent[1].bytes, Image().U16(513).U16(0).U32(0).U16(3).U8(5).U8(0).U16(2).U16(12).U16(77).U16(0).bytes);
}

TEST_F(HullDBTest, ReclaimTakesBackWhatThePoolExceedsInOneWalk) {
  links.localChapter = 8;  // guild 1
  CGModuleDB modules(Sandbox::Dos("none.dat").c_str());
  links.modules = &modules;
  HullEntry a;
  CGHullDB db = Load(HullsImage(1, {a, a, a}));
  db.GetHull(1, 0)->scienceBonus = 4;
  db.GetHull(1, 2)->scienceBonus = 10;
  modules.freeSciencePool = 20;
  db.ReclaimScienceBonus(8);  // 12 over: 4 from the first, 8 from the third
  EXPECT_EQ(std::make_tuple(db.GetHull(1, 0)->scienceBonus, db.GetHull(1, 2)->scienceBonus, modules.freeSciencePool),
            std::make_tuple(0, 2, 8));
  ASSERT_EQ(links.sent.size(), 2u);
  EXPECT_EQ(std::make_tuple(Word(links.sent[1].bytes, 14), Word(links.sent[1].bytes, 16)), std::make_tuple(2, 8));

  modules.freeSciencePool = 50;  // more than the hulls hold: the walk ends all the same
  db.ReclaimScienceBonus(0);
  EXPECT_EQ(std::make_tuple(modules.freeSciencePool, db.GetHull(1, 2)->scienceBonus), std::make_tuple(48, 0));
}

// A section of seventy hulls (more than one block of states) and a short
// one: every hull's state comes back to it, and a state cut short fails.
TEST_F(HullDBTest, ResearchStatesOfALongSectionRoundTrip) {
  std::vector<std::vector<HullEntry>> sections(3);
  sections[0].resize(3);
  sections[2].resize(70);
  box.Write("many.dat", rules_test::HullsFile(sections, -1));
  CGHullDB many(Sandbox::Dos("many.dat").c_str()), again(Sandbox::Dos("many.dat").c_str());
  ASSERT_EQ(std::make_tuple(many.GetHullCount(0), many.GetHullCount(2)), std::make_tuple(3, 70));
  int n = 0;
  for (int section : {0, 2}) {
    for (int i = 0; i < many.GetHullCount(section); ++i, ++n) {
      CGHull* h = many.GetHull(section, i);
      h->researchPoints = static_cast<std::uint16_t>(500 + n);
      h->researchWord = static_cast<std::uint16_t>(0xB000 | n);
      h->researchAllocation = static_cast<std::uint16_t>(n % 5);
      h->scienceBonus = static_cast<std::uint16_t>(2 * n);
    }
  }
  const std::string bytes = box.SavedOf(many);
  ASSERT_EQ(bytes.size(), 73 * 8 + 1u);
  ASSERT_EQ(box.LoadedInto(again, bytes), 1);
  EXPECT_EQ(box.SavedOf(again), bytes);  // every state distinct: each back in its own hull
  EXPECT_EQ(box.LoadedInto(again, bytes.substr(0, 70 * 8 + 3)), 0);
}

TEST_F(HullDBTest, ResearchStateRoundTrip) {
  HullEntry b;
  box.Write("two.dat", HullsImage(4, {b, b}).bytes);
  CGHullDB two(Sandbox::Dos("two.dat").c_str()), again(Sandbox::Dos("two.dat").c_str());
  CGHull* h = two.GetHull(4, 1);
  h->researchPoints = 0x1234;
  h->researchWord = 0x5678;
  h->researchAllocation = 50;
  h->scienceBonus = 9;
  const std::string bytes = box.SavedOf(two);
  ASSERT_EQ(bytes.size(), 2 * 8 + 1u);
  EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 0xD0);
  EXPECT_EQ(bytes.substr(8, 8), std::string("\x34\x12\x78\x56\x32\x00\x09\x00", 8));

  ASSERT_EQ(box.LoadedInto(again, bytes), 1);
  EXPECT_EQ(std::make_tuple(again.GetHull(4, 1)->researchWord, again.GetHull(4, 1)->scienceBonus),
            std::make_tuple(0x5678, 9));
  EXPECT_EQ(box.LoadedInto(again, bytes.substr(0, 16) + "\xFE"), 0);
  EXPECT_EQ(box.LoadedInto(again, bytes.substr(0, 10)), 0);
}

}  // namespace
