#include "Game/rules/GModuleDB.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "tests/Game/rules/rules_fixture.h"

namespace {

using rules_test::Image;
using rules_test::Module;
using rules_test::ModuleEntry;
using rules_test::RulesLinksScope;
using rules_test::Sandbox;
using rules_test::WeaponData;
using rules_test::Word;

class ModuleDBTest : public ::testing::Test {
 protected:
  // A database of the given records, read from an image.
  void Build(const std::vector<ModuleEntry>& entries, int expected = 1) {
    EXPECT_EQ(db.LoadModules(rules_test::ModulesFile(entries)), expected);
  }
  Sandbox box;
  RulesLinksScope links;
  CGModuleDB db{Sandbox::Dos("none.dat").c_str()};
};

TEST_F(ModuleDBTest, WeaponRangesAreScaledWhenRead) {
  const ModuleEntry w = Module("w", 10, WeaponData(6, 12, 25, 10, 25, 70, 255, 1));
  const ModuleEntry rapid = Module("rapid", 10, WeaponData(6, 12, 25, 10, 1, 70, 40, 0));
  const ModuleEntry far =
      Module("far", 10, WeaponData(0, 12, 700, 700, 2, 70, 40, 2));  // 700 x 104 does not fit 16 bits
  ModuleEntry shield = Module("Shield", 3, {10, 1, 2, 3, 4, 5, 6, 7, 8});
  // The far weapon's file ranges are 700, beyond what a record can hold: set
  // them in the file (its type data is the last ten bytes of its record).
  std::vector<std::uint8_t> file = rules_test::ModulesFile({w, rapid, far, shield});
  const std::size_t farTypeData = rules_test::ModulesFile({w, rapid, far}).size() - 10;
  plat::ByteWriter(file).WriteAt(farTypeData + 2, std::uint16_t{700});
  plat::ByteWriter(file).WriteAt(farTypeData + 4, std::uint16_t{700});
  EXPECT_EQ(db.LoadModules(file), 1);
  ASSERT_EQ(db.GetCount(), 4);
  EXPECT_EQ(std::make_tuple(db.GetRecord(0)->MaxRange(), db.GetRecord(2)->MaxRange(), db.GetMaxRange(3)),
            std::make_tuple(2600, 0xFFFF, 0.0));
  EXPECT_DOUBLE_EQ(db.GetMaxRange(0), 3.84);
  EXPECT_DOUBLE_EQ(db.GetEffectiveRange(0), 1040 * 3.84 / 2600);
  // Discharge, rate of fire above 20, range; then not a weapon, and no module.
  for (auto [i, name] : {std::pair{0, "exp900"}, {1, "rap600"}, {2, "exp500"}, {3, "exp100"}, {99, "exp100"}})
    EXPECT_STREQ(db.GetExplosionName(i), name) << i;
  EXPECT_EQ(db.GetRecord(3)->TypeByte(8), 8);
}

TEST_F(ModuleDBTest, PackedTypeDataTakesItsPlaces) {
  ModuleEntry drive = Module("Drive", 5, {30, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 18});
  ModuleEntry power = Module("Power", 4, {10, 0, 0x2C, 0x01, 25, 0});
  ModuleEntry bay = Module("Bay", 9, {16, 0});
  ModuleEntry computer = Module("Core", 1, {3, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  Build({drive, power, bay, computer});
  const ModuleRecord* d = db.GetRecord(0);
  EXPECT_EQ(std::make_tuple(d->DeepThrust(), d->TypeWord(1), d->TypeWord(3), d->LocalThrust()),
            std::make_tuple(30, 0x2211, 0x6655, 18));
  const ModuleRecord* p = db.GetRecord(1);
  EXPECT_EQ(std::make_tuple(p->TypeWord(0), p->TypeWord(1), p->TypeWord(2)), std::make_tuple(10, 300, 25));
  EXPECT_EQ(db.GetRecord(2)->TypeWord(0), 16);
  EXPECT_EQ(std::make_tuple(db.GetComputerType(3), db.GetComputerType(0), db.GetRecord(3)->TypeByte(9)),
            std::make_tuple(3, kNotAComputer, 9));
}

// A game never starts on part of the modules: a broken or empty image gives none.
TEST_F(ModuleDBTest, BadRecordsGiveNoModulesAtAll) {
  EXPECT_FALSE(db.IsLoaded());
  EXPECT_EQ(links.messages, std::vector<std::string>{kModulesFileDamaged});
  // A record of type 11: its length cannot be known (the type byte follows
  // the 30-byte name, the guild mask and a spare byte).
  std::vector<std::uint8_t> odd = rules_test::ModulesFile({Module("A"), Module("Odd"), Module("B")});
  odd[rules_test::ModulesFile({Module("A")}).size() + 32] = 11;
  EXPECT_EQ(db.LoadModules(odd), 0);
  EXPECT_EQ(db.GetCount(), 0);
  Build({}, 0);

  CGModuleDB cut(Sandbox::Dos("none.dat").c_str());
  std::vector<std::uint8_t> im = rules_test::ModulesFile({Module("Whole"), Module("Cut")});
  im.resize(im.size() - 3);
  EXPECT_EQ(cut.LoadModules(im), 0);
  EXPECT_EQ(cut.GetCount(), 0);
  im.resize(im.size() - 20);  // a few bytes of the second record
  EXPECT_EQ(cut.LoadModules(im), 0);
  EXPECT_EQ(cut.GetCount(), 0);

  CGModuleDB full(Sandbox::Dos("none.dat").c_str());
  // Name, image and sound fields filled to their ends, no NUL in them: the
  // name is 30 bytes at 0, the image 6 at 64 and the sound 7 at 70.
  std::vector<std::uint8_t> im2 = rules_test::ModulesFile({Module("x")});
  std::fill_n(im2.begin(), 30, 'x');
  std::copy_n("abcdef1234567", 13, im2.begin() + 64);
  EXPECT_EQ(full.LoadModules(im2), 1);
  EXPECT_EQ(std::string(full.GetRecord(0)->name), std::string(29, 'x'));
  EXPECT_STREQ(full.GetRecord(0)->imageName, "abcde");
  EXPECT_STREQ(full.GetRecord(0)->soundName, "123456");
}

TEST_F(ModuleDBTest, BlockGrowsPastTwentyAndIndexesAreBounded) {
  std::vector<ModuleEntry> many;
  for (int i = 0; i < 25; ++i) many.push_back(Module("M" + std::to_string(i)));
  many[24].techLevel = 2;
  Build(many);
  EXPECT_EQ(std::make_tuple(db.GetCount(), db.capacity, db.IsResearched(0), db.IsResearched(24)),
            std::make_tuple(25, 30, 1, 0));
  EXPECT_STREQ(db.GetRecord(24)->name, "M24");
  EXPECT_EQ(db.GetRecord(25), nullptr);
  // Within the capacity but past the records, below them, far beyond.
  EXPECT_EQ(std::make_tuple(db.GetBuildPoints(25), db.GetBaseBuildPoints(-1), db.GetMass(1000)),
            std::make_tuple(0, 0, 0));
}

// The block is sized from the image's length: images of the smallest records
// fill it exactly, a second image appends, and one record past the most the
// database holds refuses the image.
TEST_F(ModuleDBTest, SmallestRecordsFillTheBlockAndTheLimitHolds) {
  std::vector<ModuleEntry> small(30, Module("S", 0, {7}));
  small.back().name = "Last";
  Build(small);
  EXPECT_EQ(std::make_tuple(db.GetCount(), db.capacity), std::make_tuple(30, 30));
  Build({Module("A"), Module("B", 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})});
  EXPECT_EQ(std::make_tuple(db.GetCount(), db.capacity), std::make_tuple(32, 40));
  EXPECT_EQ(std::make_tuple(std::string(db.GetRecord(29)->name), db.GetRecord(29)->TypeByte(0),
                            std::string(db.GetRecord(31)->name), db.GetRecord(31)->TypeByte(9)),
            std::make_tuple(std::string("Last"), 7, std::string("B"), 10));
  // The records after the last read are made as a new record is.
  EXPECT_EQ(db.records[35].successor, kNoModule);

  const std::size_t room = 0xFFFE - 32;
  std::vector<std::uint8_t> tooMany = rules_test::ModulesFile(std::vector<ModuleEntry>(room + 1, Module("S", 0, {1})));
  EXPECT_EQ(db.LoadModules(tooMany), 0);
  EXPECT_EQ(db.GetCount(), 32);
  tooMany.resize(tooMany.size() - (92 + 1));
  EXPECT_EQ(db.LoadModules(tooMany), 1);
  EXPECT_EQ(std::make_tuple(db.GetCount(), db.capacity), std::make_tuple(0xFFFE, 0xFFFE));
  EXPECT_STREQ(db.GetRecord(0xFFFD)->name, "S");
}

TEST_F(ModuleDBTest, ResearchScalesCostsAndTraitsLowerMassAndPower) {
  ModuleEntry m;
  m.mass = 10;
  m.powerUse = 8;
  Build({m});
  ModuleRecord* r = db.GetRecord(0);
  for (auto [points, percent] :
       std::initializer_list<std::pair<int, int>>{{9000, 100}, {10000, 100}, {32500, 50}, {55000, 0}, {60000, 0}}) {
    r->researchPoints = static_cast<std::uint16_t>(points);
    EXPECT_EQ(db.GetCostPercent(0), percent) << points;
  }
  r->researchPoints = 32500;
  std::uint16_t costs[5];
  db.GetCosts(0, costs);
  EXPECT_EQ(std::make_tuple(costs[4], db.GetBuildPoints(0), db.GetBaseBuildPoints(0)), std::make_tuple(20, 10, 20));
  r->researchPoints = 2500;
  EXPECT_EQ(db.GetResearchPercent(0), 25);
  links.traits[19] = 25;
  links.traits[18] = 150;  // more than the whole: nothing left, not a wrap
  EXPECT_EQ(std::make_tuple(db.GetMass(0), db.GetPowerUse(0)), std::make_tuple(8, 0));
}

TEST_F(ModuleDBTest, GuildsAndBestPropulsion) {
  ModuleEntry none = Module("Nobody");
  none.guildMask = 0;
  ModuleEntry slow = Module("Slow", 5);
  slow.guildMask = 1 << 2;
  slow.typeData = rules_test::DriveData(20, 10);
  ModuleEntry fast = slow;
  fast.name = "Fast";
  fast.typeData[0] = 40;
  ModuleEntry unresearched = fast;
  unresearched.typeData[0] = 90;
  unresearched.techLevel = 2;
  ModuleEntry shared = fast;
  shared.guildMask = (1 << 2) | 1;
  shared.typeData[0] = 80;
  Build({none, slow, fast, unresearched, shared});
  EXPECT_EQ(std::make_tuple(db.GetGuildIndex(0), db.GetGuildIndex(4), db.GetGuildIndex(1)), std::make_tuple(-1, 0, 2));
  links.localChapter = 2 * 8 + 1;
  EXPECT_EQ(db.FindBestPropulsion(), 2);
  links.localChapter = 3 * 8;
  EXPECT_EQ(db.FindBestPropulsion(), kNoModule);
}

TEST_F(ModuleDBTest, NamesInOrderCaseIgnored) {
  Build({Module("delta"), Module("Alpha"), Module("charlie"), Module("alpha"), Module("2nd Bravo")});
  // Up from the start: 2nd Bravo, Alpha(1), alpha(3), charlie, delta.
  const auto walk = [&](int up) {
    std::vector<std::uint16_t> order;
    for (std::uint16_t i = db.GetNextByName(kNoModule, up); i != kNoModule; i = db.GetNextByName(i, up))
      order.push_back(i);
    return order;
  };
  EXPECT_EQ(walk(1), (std::vector<std::uint16_t>{4, 1, 3, 2, 0}));
  EXPECT_EQ(walk(0), (std::vector<std::uint16_t>{0, 2, 1, 3, 4}));
  EXPECT_EQ(db.GetNextByName(77, 1), kNoModule);
}

TEST_F(ModuleDBTest, TextsAndFileNames) {
  ModuleEntry w;
  w.sound = "@boom";
  ModuleEntry own = Module("Own");
  own.sound = "zap";
  ModuleEntry silent = Module("Silent", 3, {1, 0, 0, 0, 0, 0, 0, 0, 0});
  silent.sound = "";
  ModuleEntry shield = silent;
  shield.sound = "hum";
  Build({w, own, silent, shield});
  char out[80];
  EXPECT_EQ(BuildModuleSoundPath("C:\\Q\\SOUND\\", "@boom", 2, "_h", out), 1);
  EXPECT_STREQ(out, "C:\\Q\\SOUND\\generic\\@boom_h.wav");
  EXPECT_EQ(BuildModuleSoundPath("C:\\Q\\SOUND\\", "zap", 2, "_h", out), 1);
  EXPECT_STREQ(out, "C:\\Q\\SOUND\\g3\\zap_h.wav");
  char tiny[8];
  EXPECT_EQ(BuildModuleSoundPath("C:\\Q\\SOUND\\", "zap", 0, "", tiny), 0);  // would not fit
  EXPECT_STREQ(tiny, "");

  EXPECT_EQ(db.GetSoundFileName(2, out, 0), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(db.GetHitSoundFileName(2, out, 0), 0);     // not a weapon
  EXPECT_EQ(db.GetShieldSoundFileName(1, out, 0), 0);  // not a shield
  EXPECT_EQ(db.GetShieldSoundFileName(3, out, 0), 1);
  EXPECT_NE(std::string(out).find("g1\\hum_s.wav"), std::string::npos);
}

TEST_F(ModuleDBTest, ResearchMessagesAndReclaim) {
  links.localChapter = 8 + 3;  // guild 1, slot 3
  ModuleEntry ours = Module("Ours");
  ours.guildMask = 1 << 1;
  ModuleEntry theirs = Module("Theirs");
  theirs.guildMask = 1 << 0;
  Build({ours, theirs, ours});
  db.SetResearchAllocation(2, 50);
  db.SetScienceBonus(2, 0);  // unchanged: nothing sent
  db.freeSciencePool = 9;
  db.SetScienceBonus(2, 6);
  // Type, the header's rest left to the session, guild slot, module, value (and the free pool).
  ASSERT_EQ(links.sent.size(), 2u);
  EXPECT_EQ(links.sent[0].bytes, Image().U16(510).U16(0).U32(0).U8(3).U8(0).U16(2).U16(50).U16(0).bytes);
  EXPECT_EQ(links.sent[1].bytes, Image().U16(512).U16(0).U32(0).U8(3).U8(0).U16(2).U16(6).U16(9).bytes);

  links.sent.clear();
  db.GetRecord(0)->scienceBonus = 2;
  db.GetRecord(1)->scienceBonus = 5;  // another guild's: never taken
  db.freeSciencePool = 30;
  db.ReclaimScienceBonus(25);  // five back: two from the first, three from the third
  EXPECT_EQ(std::make_tuple(db.GetRecord(0)->scienceBonus, db.GetRecord(1)->scienceBonus, db.GetRecord(2)->scienceBonus,
                            db.freeSciencePool),
            std::make_tuple(0, 5, 3, 25));
  ASSERT_EQ(links.sent.size(), 2u);
  const auto& last = links.sent[1].bytes;
  EXPECT_EQ(std::make_tuple(Word(last, 10), Word(last, 12), Word(last, 14)), std::make_tuple(2, 3, 25));

  db.freeSciencePool = 100;  // more than the guild's modules hold: one walk, then done
  db.ReclaimScienceBonus(0);
  EXPECT_EQ(db.freeSciencePool, 97);
}

// Seventy records' states come back each to its own record across the blocks
// they are read in; a state cut short, inside the last block or at a block's
// end, fails the load.
TEST_F(ModuleDBTest, ManyResearchStatesRoundTripAndCutOnesFail) {
  const std::vector<ModuleEntry> modules(70, Module("M"));
  Build(modules);
  for (std::uint16_t i = 0; i < 70; ++i) {
    ModuleRecord* r = db.GetRecord(i);
    r->researchPoints = static_cast<std::uint16_t>(1000 + i);
    r->researchAllocation = static_cast<std::uint16_t>(i % 7);
    r->scienceBonus = static_cast<std::uint16_t>(3 * i);
    r->researchWord = static_cast<std::uint16_t>(0xA000 | i);
  }
  const std::string bytes = box.SavedOf(db);
  ASSERT_EQ(bytes.size(), 70 * 8 + 2 + 1u);

  CGModuleDB again(Sandbox::Dos("none.dat").c_str());
  again.LoadModules(rules_test::ModulesFile(modules));
  ASSERT_EQ(box.LoadedInto(again, bytes), 1);
  EXPECT_EQ(box.SavedOf(again), bytes);  // every state distinct: each back in its own record
  EXPECT_EQ(box.LoadedInto(again, bytes.substr(0, 69 * 8 + 4)), 0);
  EXPECT_EQ(box.LoadedInto(again, bytes.substr(0, 64 * 8)), 0);
}

TEST_F(ModuleDBTest, ResearchStateRoundTrip) {
  Build({Module("A"), Module("B")});
  ModuleRecord* r = db.GetRecord(1);
  r->researchPoints = 4321;
  r->researchAllocation = 25;
  r->scienceBonus = 7;
  r->researchWord = 0xBEEF;
  db.freeSciencePool = 300;
  const std::string bytes = box.SavedOf(db);
  ASSERT_EQ(bytes.size(), 2 * 8 + 2 + 1u);
  EXPECT_EQ(bytes.substr(8, 8), std::string("\xE1\x10\x19\x00\x07\x00\xEF\xBE", 8));
  EXPECT_EQ(bytes.substr(16), std::string("\x2C\x01\xD5", 3));

  CGModuleDB again(Sandbox::Dos("none.dat").c_str());
  again.LoadModules(rules_test::ModulesFile({Module("A"), Module("B")}));
  ASSERT_EQ(box.LoadedInto(again, bytes), 1);
  EXPECT_EQ(again.GetRecord(1)->researchWord, 0xBEEF);
  EXPECT_EQ(again.freeSciencePool, 300);
  EXPECT_EQ(box.LoadedInto(again, bytes.substr(0, 18) + "\xD0"), 0);
}

}  // namespace
