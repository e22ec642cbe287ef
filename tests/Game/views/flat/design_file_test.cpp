// Template files of the design chamber as files: what is written reads back
// whole, and a file that is cut, of another version, without its end byte,
// naming a hull or modules this game does not know, or of another guild is
// refused or cleaned before the working copy could take it.
#include <gtest/gtest.h>

#include <string>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/flat/DesignTemplateFile.h"
#include "tests/Game/rules/design_fixture.h"

namespace {

using rules_test::DesignWorld;
using rules_test::RulesLinksScope;
using rules_test::Sandbox;

constexpr int kChapter = 9;  // guild 1

class DesignFileTest : public ::testing::Test {
 protected:
  DesignFileTest() {
    links.nextSerial = 1;
    world.Frame()->researchPoints = kResearched;
  }
  // A fitted, named design of the local chapter written to "ship.tpl"; the file's bytes.
  std::string WriteShip() {
    CGUnitTemplate design(kChapter, -1);
    design.SetHull(world.Frame());
    design.FitModule(0, 1);
    design.FitModule(1, 0);
    design.FitModule(3, 3);
    design.SetName("Lancer");
    EXPECT_EQ(WriteTemplateFile(Sandbox::Dos("ship.tpl").c_str(), design), 1);
    return box.Read("ship.tpl");
  }
  TemplateFileRead ReadBytes(const std::string& bytes) {
    box.Write("in.tpl", bytes);
    return ReadTemplateFile(Sandbox::Dos("in.tpl").c_str(), kChapter);
  }
  // Offsets in a file written by WriteShip: the hull index and section, the
  // first slot's module id, the name flag.
  static constexpr std::size_t kHullIndex = 7;
  static constexpr std::size_t kHullSection = 8;
  static std::size_t NameFlag(const std::string& bytes) { return bytes.size() - 1 - 8; }
  static std::size_t Slot(const std::string& bytes, int slot) { return NameFlag(bytes) - 60 + 3 * slot; }

  Sandbox box;
  RulesLinksScope links;
  DesignWorld world{box};
};

TEST_F(DesignFileTest, AWrittenDesignReadsBackWholeAndAnyDesignMayBeWritten) {
  const std::string bytes = WriteShip();
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]), kTemplateVersion);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes.back()), kTemplateEndByte);

  TemplateFileRead read = ReadTemplateFile(Sandbox::Dos("ship.tpl").c_str(), kChapter);
  ASSERT_TRUE(read.opened);
  ASSERT_EQ(read.verdict, TemplateFileVerdict::kAccept);
  ASSERT_NE(read.design, nullptr);
  EXPECT_EQ(read.design->hull, world.Frame());
  EXPECT_EQ(read.design->GetModuleId(1), 0);
  EXPECT_EQ(read.design->GetModuleId(3), 3);
  EXPECT_EQ(read.design->GetModuleId(2), kNoModuleId);
  EXPECT_STREQ(read.design->GetName(), "Lancer");
  EXPECT_EQ(read.design->chapter, kChapter);
  // Reading takes none of the chapter's template ids.
  EXPECT_EQ(links.nextSerial.value_or(0), 2u);

  // Another chapter of the same guild reads it; another guild's does not.
  EXPECT_EQ(ReadTemplateFile(Sandbox::Dos("ship.tpl").c_str(), 14).verdict, TemplateFileVerdict::kAccept);
  TemplateFileRead foreign = ReadTemplateFile(Sandbox::Dos("ship.tpl").c_str(), 17);
  EXPECT_EQ(foreign.verdict, TemplateFileVerdict::kOtherGuild);
  EXPECT_EQ(foreign.design, nullptr);

  // No rule of a design slot holds for a file: an empty hull-less design and
  // one over the mass limit are written; the empty one is of no use here.
  CGUnitTemplate empty(kChapter, 0);
  ASSERT_EQ(WriteTemplateFile(Sandbox::Dos("empty.tpl").c_str(), empty), 1);
  EXPECT_EQ(ReadTemplateFile(Sandbox::Dos("empty.tpl").c_str(), kChapter).verdict,
            TemplateFileVerdict::kHullNotResearched);
  CGUnitTemplate heavy(kChapter, 0);
  heavy.SetHull(world.Frame());
  heavy.FitModule(3, 3);
  heavy.mass = world.Frame()->massLimit + 500;
  ASSERT_EQ(WriteTemplateFile(Sandbox::Dos("heavy.tpl").c_str(), heavy), 1);
  EXPECT_EQ(ReadTemplateFile(Sandbox::Dos("heavy.tpl").c_str(), kChapter).verdict, TemplateFileVerdict::kAccept);

  // A file that cannot be opened is no file at all; nothing is said.
  EXPECT_FALSE(ReadTemplateFile(Sandbox::Dos("missing.tpl").c_str(), kChapter).opened);
  EXPECT_EQ(WriteTemplateFile(Sandbox::Dos("no-such-dir\\x.tpl").c_str(), heavy), 0);
}

TEST_F(DesignFileTest, CutVersionAndEndByteAreRefusedAsDamaged) {
  const std::string bytes = WriteShip();
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    TemplateFileRead read = ReadBytes(bytes.substr(0, n));
    ASSERT_TRUE(read.opened) << n;
    ASSERT_EQ(read.verdict, TemplateFileVerdict::kDamaged) << n;
    ASSERT_EQ(read.design, nullptr) << n;
  }
  for (std::uint8_t version : {0, 3, 220}) {
    std::string other = bytes;
    other[0] = static_cast<char>(version);
    EXPECT_EQ(ReadBytes(other).verdict, TemplateFileVerdict::kDamaged) << int{version};
  }
  std::string noEnd = bytes;
  noEnd.back() = 0;
  EXPECT_EQ(ReadBytes(noEnd).verdict, TemplateFileVerdict::kDamaged);
  std::string badChapter = bytes;
  badChapter[1] = static_cast<char>(40);
  EXPECT_EQ(ReadBytes(badChapter).verdict, TemplateFileVerdict::kDamaged);
  // A name flag other than 0 and 1, and a name longer than the file.
  std::string badFlag = bytes;
  badFlag[NameFlag(bytes)] = 2;
  EXPECT_EQ(ReadBytes(badFlag).verdict, TemplateFileVerdict::kDamaged);
  std::string longName = bytes;
  longName[NameFlag(bytes) + 1] = static_cast<char>(250);
  EXPECT_EQ(ReadBytes(longName).verdict, TemplateFileVerdict::kDamaged);
  // The same bytes whole still read.
  EXPECT_EQ(ReadBytes(bytes).verdict, TemplateFileVerdict::kAccept);
}

TEST_F(DesignFileTest, UnknownHullsAndModulesNeverReachTheDesign) {
  const std::string bytes = WriteShip();
  // A hull index past its section, and a section past the database.
  std::string pastSection = bytes;
  pastSection[kHullIndex] = 40;
  EXPECT_EQ(ReadBytes(pastSection).verdict, TemplateFileVerdict::kHullNotResearched);
  std::string pastDatabase = bytes;
  pastDatabase[kHullSection] = 9;
  EXPECT_EQ(ReadBytes(pastDatabase).verdict, TemplateFileVerdict::kHullNotResearched);
  // The hull's successor is not researched: its file is refused.
  std::string advanced = bytes;
  advanced[kHullIndex] = 1;
  EXPECT_EQ(ReadBytes(advanced).verdict, TemplateFileVerdict::kHullNotResearched);

  // A module id past the database and a module not yet researched are taken
  // out; the rest stays, and the player is asked before it is used.
  std::string unknown = bytes;
  unknown[Slot(bytes, 1)] = static_cast<char>(0xE7);
  unknown[Slot(bytes, 1) + 1] = 0x03;
  unknown[Slot(bytes, 3)] = 4;
  unknown[Slot(bytes, 3) + 1] = 0;
  TemplateFileRead read = ReadBytes(unknown);
  ASSERT_EQ(read.verdict, TemplateFileVerdict::kModulesRemoved);
  ASSERT_NE(read.design, nullptr);
  EXPECT_EQ(read.design->GetModuleId(1), kNoModuleId);
  EXPECT_EQ(read.design->GetModuleId(3), kNoModuleId);
  EXPECT_EQ(read.design->GetModuleId(0), 1);
}

}  // namespace
