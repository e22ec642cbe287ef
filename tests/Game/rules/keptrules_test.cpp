// Rules files read once and kept while unchanged: a database made from what
// was kept is the one a fresh read gives, each a copy of its own; a file
// changed, replaced, removed or too new to trust is read again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "tests/Game/rules/rules_fixture.h"

namespace {

using rules_test::HullEntry;
using rules_test::ModuleEntry;
using rules_test::RulesLinksScope;
using rules_test::Sandbox;

// Sets a file's modification time `age` seconds into the past. Each call
// takes a time of its own, so that no two files (even one inode used again)
// share a stamp.
void Age(const std::filesystem::path& host, int age = 3600) {
  static long nudge = 0;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const timespec when{now.tv_sec - age, (++nudge * 7919) % 1'000'000'000};
  const timespec times[2] = {when, when};
  ASSERT_EQ(::utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
}

timespec ModifiedAt(const std::filesystem::path& host) {
  struct stat st {};
  EXPECT_EQ(::stat(host.c_str(), &st), 0);
  return st.st_mtim;
}

// Writes new bytes into the same file (same inode), then puts its old
// modification time back: a change the stamp cannot see.
void OverwriteKeepingStamp(const Sandbox& box, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const auto host = box.Host(name);
  const timespec was = ModifiedAt(host);
  {
    std::FILE* f = std::fopen(host.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
  }
  const timespec times[2] = {was, was};
  ASSERT_EQ(::utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
}

std::vector<std::uint8_t> Hulls(const std::string& name, std::uint32_t mass) {
  HullEntry a, b, c;
  a.name = name;
  a.mass = mass;
  b.name = "Second";
  b.researched = 0;
  b.slots = {{10, 20, 1, 1, 0x1000}, {40, 20, 2, 3, 1u << 10}};
  c.name = "Other guild";
  return rules_test::HullsFile({{a, b}, {}, {c}, {}, {a}}, 1);
}

std::vector<std::uint8_t> Modules(const std::string& name, std::uint16_t powerUse) {
  ModuleEntry gun = rules_test::Module(name);
  gun.powerUse = powerUse;
  ModuleEntry drive = rules_test::Module("Drive", MODULE_PROPULSION, {9, 0, 2, 1, 0, 0, 4, 3, 6, 0});
  drive.techLevel = 0;
  return rules_test::ModulesFile({gun, drive, gun});
}

// Every hull of `a` equals the hull at the same place of `b`, byte for byte.
void ExpectSameHulls(const CGHullDB& a, const CGHullDB& b) {
  for (int s = 0; s < kHullSections; ++s) {
    ASSERT_EQ(a.GetHullCount(s), b.GetHullCount(s)) << "section " << s;
    for (int i = 0; i < a.GetHullCount(s); ++i) {
      EXPECT_EQ(std::memcmp(a.GetHull(s, i), b.GetHull(s, i), sizeof(CGHull)), 0) << s << "/" << i;
    }
  }
}

void ExpectSameModules(const CGModuleDB& a, const CGModuleDB& b) {
  ASSERT_EQ(a.GetCount(), b.GetCount());
  EXPECT_EQ(a.capacity, b.capacity);
  for (int i = 0; i < a.GetCount(); ++i) {
    EXPECT_EQ(std::memcmp(a.GetRecord(i), b.GetRecord(i), sizeof(ModuleRecord)), 0) << i;
  }
}

class KeptRulesTest : public ::testing::Test {
 protected:
  // The databases a fresh read of `bytes` gives, from a file no other
  // database is made from.
  CGHullDB FreshHulls(const std::vector<std::uint8_t>& bytes) {
    box.Write("fresh.dat", bytes);
    return CGHullDB(Sandbox::Dos("fresh.dat").c_str());
  }
  CGModuleDB FreshModules(const std::vector<std::uint8_t>& bytes) {
    box.Write("fresh.dat", bytes);
    return CGModuleDB(Sandbox::Dos("fresh.dat").c_str());
  }
  void WriteAged(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    box.Write(name, bytes);
    Age(box.Host(name));
  }
  static std::string Dos(const char* name) { return Sandbox::Dos(name); }

  Sandbox box;
  RulesLinksScope links;
};

TEST_F(KeptRulesTest, KeptHullsAreAFreshReadAndEachRootHasItsOwn) {
  WriteAged("hulls.dat", Hulls("Kept", 200));
  const CGHullDB first(Dos("hulls.dat").c_str());
  CGHullDB second(Dos("hulls.dat").c_str());
  const CGHullDB fresh = FreshHulls(Hulls("Kept", 200));
  ASSERT_TRUE(first.IsLoaded() && second.IsLoaded());
  ExpectSameHulls(second, fresh);
  EXPECT_EQ(second.HullsImage(), Hulls("Kept", 200));
  // Research in one game leaves the next game's hulls alone.
  second.GetHull(0, 0)->researchPoints = 12345;
  second.GetHull(4, 0)->scienceBonus = 7;
  const CGHullDB third(Dos("hulls.dat").c_str());
  ExpectSameHulls(third, fresh);
  EXPECT_EQ(second.GetHull(0, 0)->researchPoints, 12345);
  // A hull appended to a database made from what was kept is its own.
  EXPECT_EQ(second.GetHullCount(3), 0);
  ASSERT_EQ(second.LoadHulls(Hulls("Appended", 300)), 1);
  EXPECT_EQ(second.GetHullCount(0), 4);
  EXPECT_STREQ(second.GetHull(0, 2)->name, "Appended");
  EXPECT_TRUE(links.messages.empty());
}

TEST_F(KeptRulesTest, KeptModulesAreAFreshReadAndEachRootHasItsOwn) {
  WriteAged("modules.dat", Modules("Kept gun", 8));
  const CGModuleDB first(Dos("modules.dat").c_str());
  CGModuleDB second(Dos("modules.dat").c_str());
  const CGModuleDB fresh = FreshModules(Modules("Kept gun", 8));
  ASSERT_TRUE(first.IsLoaded() && second.IsLoaded());
  ExpectSameModules(second, fresh);
  second.GetRecord(1)->researchPoints = 999;
  second.freeSciencePool = 3;
  const CGModuleDB third(Dos("modules.dat").c_str());
  ExpectSameModules(third, fresh);
  EXPECT_EQ(third.freeSciencePool, 0);
  // The slots past the kept records hold new records, as a fresh read's do.
  ASSERT_GT(second.capacity, second.GetCount());
  for (std::uint16_t i = second.GetCount(); i < second.capacity; ++i)
    EXPECT_EQ(std::make_tuple(second.records[i].successor, second.records[i].name[0]),
              std::make_tuple(kNoModule, '\0'));
  // The block grows past what was kept as a database read fresh does.
  ASSERT_EQ(second.LoadModules(Modules("More", 9)), 1);
  EXPECT_EQ(second.GetCount(), 6);
  EXPECT_STREQ(second.GetRecord(5)->name, "More");
  EXPECT_STREQ(second.GetRecord(0)->name, "Kept gun");
  EXPECT_TRUE(links.messages.empty());
}

// What was kept is used, not read again, while the stamp is unchanged: new
// bytes written under the old stamp are not seen (the case the stamp's
// settling time exists for).
TEST_F(KeptRulesTest, AnUnchangedStampIsNotReadAgain) {
  WriteAged("hulls.dat", Hulls("Before", 200));
  WriteAged("modules.dat", Modules("Before", 8));
  ASSERT_TRUE(CGHullDB(Dos("hulls.dat").c_str()).IsLoaded());
  ASSERT_TRUE(CGModuleDB(Dos("modules.dat").c_str()).IsLoaded());
  OverwriteKeepingStamp(box, "hulls.dat", Hulls("Latter", 200));
  OverwriteKeepingStamp(box, "modules.dat", Modules("Latter", 8));
  EXPECT_STREQ(CGHullDB(Dos("hulls.dat").c_str()).GetHull(0, 0)->name, "Before");
  EXPECT_STREQ(CGModuleDB(Dos("modules.dat").c_str()).GetRecord(0)->name, "Before");
}

TEST_F(KeptRulesTest, AChangedFileIsReadAgain) {
  WriteAged("hulls.dat", Hulls("Before", 200));
  WriteAged("modules.dat", Modules("Before", 8));
  ASSERT_TRUE(CGHullDB(Dos("hulls.dat").c_str()).IsLoaded());
  ASSERT_TRUE(CGModuleDB(Dos("modules.dat").c_str()).IsLoaded());
  // Same length, same file, another time.
  OverwriteKeepingStamp(box, "hulls.dat", Hulls("Latter", 900));
  OverwriteKeepingStamp(box, "modules.dat", Modules("Latter", 90));
  Age(box.Host("hulls.dat"), 1800);
  Age(box.Host("modules.dat"), 1800);
  const CGHullDB hulls(Dos("hulls.dat").c_str());
  const CGModuleDB modules(Dos("modules.dat").c_str());
  EXPECT_STREQ(hulls.GetHull(0, 0)->name, "Latter");
  EXPECT_EQ(hulls.GetHull(0, 0)->mass, 900u);
  EXPECT_STREQ(modules.GetRecord(0)->name, "Latter");
  EXPECT_EQ(modules.GetRecord(0)->powerUse, 90);
  // Times a nanosecond apart are two versions.
  for (const char* name : {"hulls.dat", "modules.dat"}) {
    const bool isHulls = std::string(name) == "hulls.dat";
    OverwriteKeepingStamp(box, name, isHulls ? Hulls("Latest", 900) : Modules("Latest", 90));
    timespec was = ModifiedAt(box.Host(name));
    was.tv_nsec = was.tv_nsec == 0 ? 1 : was.tv_nsec - 1;
    const timespec times[2] = {was, was};
    ASSERT_EQ(::utimensat(AT_FDCWD, box.Host(name).c_str(), times, 0), 0);
  }
  EXPECT_STREQ(CGHullDB(Dos("hulls.dat").c_str()).GetHull(0, 0)->name, "Latest");
  EXPECT_STREQ(CGModuleDB(Dos("modules.dat").c_str()).GetRecord(0)->name, "Latest");
}

// Another file put in the place of the first, with its length and time.
TEST_F(KeptRulesTest, AReplacedFileIsReadAgain) {
  for (const char* name : {"hulls.dat", "modules.dat"}) {
    const bool isHulls = std::string(name) == "hulls.dat";
    WriteAged(name, isHulls ? Hulls("Before", 200) : Modules("Before", 8));
    const bool loaded = isHulls ? CGHullDB(Dos(name).c_str()).IsLoaded() : CGModuleDB(Dos(name).c_str()).IsLoaded();
    ASSERT_TRUE(loaded) << name;
    const timespec was = ModifiedAt(box.Host(name));
    box.Write("new.dat", isHulls ? Hulls("Latter", 200) : Modules("Latter", 8));
    const timespec times[2] = {was, was};
    ASSERT_EQ(::utimensat(AT_FDCWD, box.Host("new.dat").c_str(), times, 0), 0);
    std::filesystem::rename(box.Host("new.dat"), box.Host(name));
    const std::string read =
        isHulls ? CGHullDB(Dos(name).c_str()).GetHull(0, 0)->name : CGModuleDB(Dos(name).c_str()).GetRecord(0)->name;
    EXPECT_EQ(read, "Latter") << name;
  }
}

// A removed or damaged file is missed, not taken from what was kept; once
// it is back, it is read (and kept) again.
TEST_F(KeptRulesTest, ARemovedOrDamagedFileIsMissed) {
  WriteAged("hulls.dat", Hulls("Kept", 200));
  WriteAged("modules.dat", Modules("Kept", 8));
  ASSERT_TRUE(CGHullDB(Dos("hulls.dat").c_str()).IsLoaded());
  ASSERT_TRUE(CGModuleDB(Dos("modules.dat").c_str()).IsLoaded());
  std::filesystem::remove(box.Host("hulls.dat"));
  std::filesystem::remove(box.Host("modules.dat"));
  EXPECT_FALSE(CGHullDB(Dos("hulls.dat").c_str()).IsLoaded());
  EXPECT_FALSE(CGModuleDB(Dos("modules.dat").c_str()).IsLoaded());
  EXPECT_EQ(links.messages, (std::vector<std::string>{kHullsFileDamaged, kModulesFileDamaged}));

  auto hulls = Hulls("Back", 200);
  auto modules = Modules("Back", 8);
  WriteAged("hulls.dat", {hulls.begin(), hulls.end() - 3});
  WriteAged("modules.dat", {modules.begin(), modules.end() - 3});
  EXPECT_FALSE(CGHullDB(Dos("hulls.dat").c_str()).IsLoaded());
  EXPECT_FALSE(CGModuleDB(Dos("modules.dat").c_str()).IsLoaded());
  EXPECT_EQ(links.messages.size(), 4u);

  WriteAged("hulls.dat", hulls);
  WriteAged("modules.dat", modules);
  EXPECT_STREQ(CGHullDB(Dos("hulls.dat").c_str()).GetHull(0, 0)->name, "Back");
  EXPECT_STREQ(CGModuleDB(Dos("modules.dat").c_str()).GetRecord(0)->name, "Back");
  EXPECT_EQ(links.messages.size(), 4u);
}

// A file written within the last two seconds may be written again without
// its time moving: it is read each time until it has settled.
TEST_F(KeptRulesTest, AFileJustWrittenIsNotKept) {
  box.Write("hulls.dat", Hulls("Before", 200));
  box.Write("modules.dat", Modules("Before", 8));
  ASSERT_TRUE(CGHullDB(Dos("hulls.dat").c_str()).IsLoaded());
  ASSERT_TRUE(CGModuleDB(Dos("modules.dat").c_str()).IsLoaded());
  OverwriteKeepingStamp(box, "hulls.dat", Hulls("Latter", 200));
  OverwriteKeepingStamp(box, "modules.dat", Modules("Latter", 8));
  EXPECT_STREQ(CGHullDB(Dos("hulls.dat").c_str()).GetHull(0, 0)->name, "Latter");
  EXPECT_STREQ(CGModuleDB(Dos("modules.dat").c_str()).GetRecord(0)->name, "Latter");
}

// One entry per kind of file: another file read in between is kept in its
// place, and the first is read again.
TEST_F(KeptRulesTest, OneFileOfEachKindIsKept) {
  WriteAged("hulls.dat", Hulls("First", 200));
  WriteAged("hulls2.dat", Hulls("Second", 200));
  ASSERT_TRUE(CGHullDB(Dos("hulls.dat").c_str()).IsLoaded());
  ASSERT_TRUE(CGHullDB(Dos("hulls2.dat").c_str()).IsLoaded());
  OverwriteKeepingStamp(box, "hulls.dat", Hulls("Third", 200));
  EXPECT_STREQ(CGHullDB(Dos("hulls.dat").c_str()).GetHull(0, 0)->name, "Third");
  EXPECT_STREQ(CGHullDB(Dos("hulls2.dat").c_str()).GetHull(0, 0)->name, "Second");
}

}  // namespace
