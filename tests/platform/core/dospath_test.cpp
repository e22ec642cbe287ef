#include "platform/core/dospath.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/core/registry.h"
#include "tests/support/scratch_drive.h"

namespace {

using quentest::TempDir;
using quentest::WriteHostFile;

class DosPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drive.Write("Quenbar/Art/Guild1/Ship.IMA", "ship");
    drive.Write("Quenbar/Save/alpha.clt", "a");
    drive.Write("Quenbar/Save/Beta.CLT", "bb");
    drive.Write("Quenbar/Save/game3.rpl", "333");
    drive.Write("Quenbar/Save/game12.rpl", "1212");
    drive.Write("Quenbar/Save/README", "x");
    WriteHostFile(drive.OnCd("Avi/intro.avi"), "movie");
  }

  std::vector<std::string> Find(const char* searchPath) {
    std::vector<std::string> names;
    plat::_finddata_t fd;
    const std::intptr_t h = plat::_findfirst(searchPath, &fd);
    if (h == -1) return names;
    do {
      names.push_back(fd.name);
    } while (plat::_findnext(h, &fd) == 0);
    EXPECT_EQ(plat::_findclose(h), 0);
    return names;
  }

  quentest::ScratchDrive drive;
};

TEST_F(DosPathTest, ResolvesWrongCaseAndMixedSeparators) {
  const auto want = drive.Host("Quenbar/Art/Guild1/Ship.IMA");
  EXPECT_EQ(plat::ResolveDosPath("C:\\QUENBAR\\ART\\GUILD1\\ship.ima"), want);
  EXPECT_EQ(plat::ResolveDosPath("c:/quenbar\\art//guild1/SHIP.ima"), want);
  EXPECT_EQ(plat::ResolveDosPath("C:\\quenbar\\.\\save\\..\\art\\guild1\\ship.ima"), want);
  // ".." stops at the drive's root instead of leaving the mapped directory.
  EXPECT_EQ(plat::ResolveDosPath("C:\\..\\..\\quenbar"), drive.Host("Quenbar"));
  // Missing components keep their spelling below the last one found.
  EXPECT_EQ(plat::ResolveDosPath("C:\\QUENBAR\\New\\File.txt"), drive.Host("Quenbar/New/File.txt"));
  EXPECT_FALSE(plat::ResolveDosPath("Q:\\anything").has_value());
  EXPECT_FALSE(plat::ResolveDosPath(std::string_view("C:\\a\0b", 6)).has_value());
}

TEST_F(DosPathTest, FindTellsWhetherThePathIsThere) {
  const auto ship = plat::FindDosPath("C:\\QUENBAR\\ART\\GUILD1\\ship.ima");
  ASSERT_TRUE(ship.has_value());
  EXPECT_EQ(ship->host, drive.Host("Quenbar/Art/Guild1/Ship.IMA"));
  EXPECT_TRUE(ship->exists);
  EXPECT_TRUE(plat::FindDosPath("C:\\QUENBAR\\ART")->exists);
  // Missing at the end, or on the way there.
  const auto missing = plat::FindDosPath("C:\\QUENBAR\\ART\\GUILD1\\guild.dll");
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(missing->host, drive.Host("Quenbar/Art/Guild1/guild.dll"));
  EXPECT_FALSE(missing->exists);
  EXPECT_FALSE(plat::FindDosPath("C:\\QUENBAR\\NONE\\ship.ima")->exists);
  drive.Write("Quenbar/Art/Guild1/GUILD.dll", "module");
  EXPECT_TRUE(plat::FindDosPath("C:\\QUENBAR\\ART\\GUILD1\\guild.dll")->exists);
  EXPECT_FALSE(plat::FindDosPath("Q:\\anything").has_value());
}

TEST_F(DosPathTest, CurrentDirectoryAndRelativePaths) {
  EXPECT_EQ(plat::GetCurrentDosDirectory(), "C:\\");
  ASSERT_TRUE(plat::SetCurrentDosDirectory("c:\\QUENBAR\\save"));
  EXPECT_EQ(plat::GetCurrentDosDirectory(), "C:\\Quenbar\\Save");
  EXPECT_EQ(plat::ResolveDosPath("ALPHA.CLT"), drive.Host("Quenbar/Save/alpha.clt"));
  EXPECT_EQ(plat::ResolveDosPath("..\\art"), drive.Host("Quenbar/Art"));
  EXPECT_EQ(plat::ResolveDosPath("\\quenbar"), drive.Host("Quenbar"));
  EXPECT_EQ(plat::ResolveDosPath("D:avi"), drive.OnCd("Avi"));

  EXPECT_FALSE(plat::SetCurrentDosDirectory("C:\\nowhere"));
  EXPECT_FALSE(plat::SetCurrentDosDirectory("C:\\Quenbar\\Save\\alpha.clt"));
  EXPECT_EQ(plat::GetCurrentDosDirectory(), "C:\\Quenbar\\Save");

  char buf[64];
  ASSERT_EQ(plat::_chdir(".."), 0);
  ASSERT_NE(plat::_getcwd(buf, sizeof buf), nullptr);
  EXPECT_STREQ(buf, "C:\\Quenbar");
  EXPECT_EQ(plat::_getcwd(buf, 5), nullptr);
}

TEST_F(DosPathTest, DriveTypes) {
  EXPECT_EQ(plat::GetDriveType('C'), plat::DriveType::Fixed);
  EXPECT_EQ(plat::GetDriveType('d'), plat::DriveType::CdRom);
  EXPECT_EQ(plat::GetDriveType('E'), plat::DriveType::NoRootDir);
  EXPECT_EQ(plat::GetDriveType("D:\\"), plat::DRIVE_CDROM);
  EXPECT_EQ(plat::GetDriveType("C:\\"), plat::DRIVE_FIXED);
  EXPECT_EQ(plat::GetDriveType("Z:\\"), plat::DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(plat::GetDriveType(""), plat::DRIVE_NO_ROOT_DIR);
}

TEST_F(DosPathTest, DriveTableComesFromTheRegistry) {
  TempDir other;
  WriteHostFile(other.path() / "disc/Avi/intro.avi", "m");
  WriteHostFile(other.path() / "hd/x.txt", "x");
  plat::HKEY key = nullptr;
  ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Drives", 0, nullptr, 0,
                                 plat::KEY_ALL_ACCESS, nullptr, &key, nullptr),
            plat::ERROR_SUCCESS);
  auto set = [&](const char* name, const std::string& value) {
    ASSERT_EQ(plat::RegSetValueEx(key, name, 0, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(value.c_str()),
                                  static_cast<plat::DWORD>(value.size() + 1)),
              plat::ERROR_SUCCESS);
  };
  set("C", (other.path() / "hd").string());
  set("E", (other.path() / "disc").string());
  set("EType", "CDROM");
  set("FType", "cdrom");  // a type without a directory maps nothing
  plat::RegCloseKey(key);

  plat::ReloadDriveTable();
  EXPECT_EQ(plat::GetDriveType('C'), plat::DriveType::Fixed);
  EXPECT_EQ(plat::GetDriveType('E'), plat::DriveType::CdRom);
  EXPECT_EQ(plat::GetDriveType('F'), plat::DriveType::NoRootDir);
  EXPECT_EQ(plat::GetDriveType('D'), plat::DriveType::NoRootDir);
  EXPECT_EQ(plat::ResolveDosPath("e:\\AVI\\INTRO.AVI"), other.path() / "disc/Avi/intro.avi");
  EXPECT_EQ(plat::GetDriveDirectory('c'), other.path() / "hd");
}

TEST_F(DosPathTest, FindPatterns) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Find("C:\\QUENBAR\\SAVE\\*.clt"), (V{"alpha.clt", "Beta.CLT"}));
  EXPECT_EQ(Find("c:/quenbar/save/*.RPL"), (V{"game12.rpl", "game3.rpl"}));
  EXPECT_EQ(Find("C:\\Quenbar\\Save\\GAME*.rpl"), (V{"game12.rpl", "game3.rpl"}));
  EXPECT_EQ(Find("C:\\Quenbar\\Save\\game?.rpl"), (V{"game3.rpl"}));
  EXPECT_EQ(Find("C:\\Quenbar\\Save\\*.*"), (V{"alpha.clt", "Beta.CLT", "game12.rpl", "game3.rpl", "README"}));
  EXPECT_EQ(Find("C:\\Quenbar\\Save\\*."), (V{"README"}));
  EXPECT_EQ(Find("C:\\Quenbar\\Save\\ALPHA.CLT"), (V{"alpha.clt"}));
  EXPECT_EQ(Find("C:\\Quenbar\\*"), (V{"Art", "Save"}));
  EXPECT_TRUE(Find("C:\\Quenbar\\Save\\*.sav").empty());
  EXPECT_TRUE(Find("C:\\Nowhere\\*.*").empty());
  EXPECT_TRUE(Find("Q:\\*.*").empty());

  ASSERT_TRUE(plat::SetCurrentDosDirectory("C:\\quenbar\\save"));
  EXPECT_EQ(Find("*.clt"), (V{"alpha.clt", "Beta.CLT"}));
}

TEST_F(DosPathTest, FindRecordAndHandles) {
  plat::_finddata_t fd;
  const std::intptr_t h = plat::_findfirst("C:\\Quenbar\\Save\\game12.rpl", &fd);
  ASSERT_NE(h, -1);
  EXPECT_EQ(fd.size, 4u);
  EXPECT_EQ(fd.attrib & plat::_A_SUBDIR, 0u);
  EXPECT_EQ(fd.time_write, plat::GetFileWriteTime("C:\\QUENBAR\\SAVE\\GAME12.RPL"));
  EXPECT_EQ(plat::_findnext(h, &fd), -1);
  EXPECT_EQ(plat::_findclose(h), 0);
  EXPECT_EQ(plat::_findclose(h), -1);
  EXPECT_EQ(plat::_findnext(h, &fd), -1);

  const std::intptr_t d = plat::_findfirst("C:\\Quenbar\\Ar*", &fd);
  ASSERT_NE(d, -1);
  EXPECT_NE(fd.attrib & plat::_A_SUBDIR, 0u);
  plat::_findclose(d);
  EXPECT_FALSE(plat::GetFileWriteTime("C:\\Quenbar\\none").has_value());
}

TEST(DosPattern, DosWildcardRules) {
  EXPECT_TRUE(plat::MatchesDosPattern("*.*", "noext"));
  EXPECT_TRUE(plat::MatchesDosPattern("name.*", "NAME"));
  EXPECT_TRUE(plat::MatchesDosPattern("a*b*c", "aXXbYYc"));
  EXPECT_FALSE(plat::MatchesDosPattern("a*b*c", "aXXbYY"));
  EXPECT_TRUE(plat::MatchesDosPattern("??.x", "ab.X"));
  EXPECT_FALSE(plat::MatchesDosPattern("??.x", "abc.x"));
  EXPECT_FALSE(plat::MatchesDosPattern("*.", "a.b"));
  EXPECT_TRUE(plat::SameNameNoCase("QuenSrvr.EXE", "quensrvr.exe"));
  EXPECT_FALSE(plat::SameNameNoCase("a", "ab"));
}

TEST_F(DosPathTest, FreeDiskSpace) {
  plat::ULARGE_INTEGER avail, total, free;
  ASSERT_EQ(plat::GetDiskFreeSpaceEx("C:\\Quenbar", &avail, &total, &free), plat::TRUE);
  EXPECT_GT(total.QuadPart(), 0u);
  EXPECT_LE(avail.QuadPart(), free.QuadPart());
  EXPECT_LE(free.QuadPart(), total.QuadPart());
  EXPECT_EQ(plat::GetDiskFreeSpaceEx("C:\\Quenbar", nullptr, nullptr, nullptr), plat::TRUE);
  EXPECT_EQ(plat::GetDiskFreeSpaceEx("Q:\\", &avail, nullptr, nullptr), plat::FALSE);
  EXPECT_EQ(plat::GetDiskFreeSpaceEx("C:\\nowhere", &avail, nullptr, nullptr), plat::FALSE);
}

}  // namespace
