// Look-ups in a folder whose listing the path resolution keeps between calls:
// every change made to the folder is seen by the next look-up.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/core/dospath.h"
#include "tests/support/scratch_drive.h"

namespace {

namespace fs = std::filesystem;

// Stamps a folder as last changed `secondsAgo` before now (a fraction allowed).
void StampFolder(const fs::path& folder, double secondsAgo) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const auto back = static_cast<long long>(secondsAgo * 1e9);
  long long ns = static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec - back;
  const timespec stamp{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  const timespec times[2] = {stamp, stamp};
  ASSERT_EQ(::utimensat(AT_FDCWD, folder.c_str(), times, 0), 0);
}

timespec StampOf(const fs::path& folder) {
  struct stat st {};
  EXPECT_EQ(::stat(folder.c_str(), &st), 0);
  return st.st_mtim;
}

void SetStamp(const fs::path& folder, const timespec& stamp) {
  const timespec times[2] = {stamp, stamp};
  ASSERT_EQ(::utimensat(AT_FDCWD, folder.c_str(), times, 0), 0);
}

class KeptListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drive.Write("Art/Guild1/Ship.IMA", "ship");
    drive.Write("Art/Guild1/wing.ima", "wing");
    // Left alone for an hour: a miss in it lists it and keeps the listing.
    StampFolder(drive.Host("Art/Guild1"), 3600);
    ASSERT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\guild.dll"), drive.Host("Art/Guild1/guild.dll"));
  }

  quentest::ScratchDrive drive;
};

TEST_F(KeptListingTest, FilesAddedRemovedOrRenamedAreSeen) {
  const fs::path folder = drive.Host("Art/Guild1");
  EXPECT_EQ(plat::ResolveDosPath("C:\\art\\guild1\\SHIP.ima"), folder / "Ship.IMA");

  drive.Write("Art/Guild1/Guild.DLL", "module");
  EXPECT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\guild.dll"), folder / "Guild.DLL");
  EXPECT_EQ(plat::GetFileWriteTime("C:\\ART\\GUILD1\\GUILD.DLL").has_value(), true);

  StampFolder(folder, 3600);
  fs::rename(folder / "Ship.IMA", folder / "SHIP.ima");
  EXPECT_EQ(plat::ResolveDosPath("C:\\art\\guild1\\ship.IMA"), folder / "SHIP.ima");

  StampFolder(folder, 3600);
  fs::remove(folder / "wing.ima");
  EXPECT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\WING.IMA"), folder / "WING.IMA");
  EXPECT_FALSE(plat::GetFileWriteTime("C:\\ART\\GUILD1\\WING.IMA").has_value());
}

TEST_F(KeptListingTest, ExactSpellingWinsInAKeptFolder) {
  const fs::path folder = drive.Host("Art/Guild1");
  drive.Write("Art/Guild1/SHIP.ima", "other");
  StampFolder(folder, 3600);
  ASSERT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\nothing"), folder / "nothing");
  // Each name as spelt; another spelling takes the first in name order.
  EXPECT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\Ship.IMA"), folder / "Ship.IMA");
  EXPECT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\SHIP.ima"), folder / "SHIP.ima");
  EXPECT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\ship.ima"), folder / "SHIP.ima");
}

TEST_F(KeptListingTest, AFolderReplacedUnderTheSameStampIsListedAgain) {
  const fs::path folder = drive.Host("Art/Guild1");
  const timespec stamp = StampOf(folder);
  // The new folder is made while the old one still exists, so it is another
  // folder on the disk even though its name and stamp are the same.
  fs::rename(folder, drive.Host("Art/Old"));
  drive.Write("Art/Guild1/Ship2.IMA", "new");
  fs::remove_all(drive.Host("Art/Old"));
  SetStamp(folder, stamp);
  EXPECT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\ship2.ima"), folder / "Ship2.IMA");
  EXPECT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\wing.IMA"), folder / "wing.IMA");

  fs::remove_all(folder);
  EXPECT_EQ(plat::ResolveDosPath("C:\\ART\\GUILD1\\SHIP2.IMA"), drive.Host("Art/GUILD1/SHIP2.IMA"));
}

// A file system may stamp a folder at a coarse grain, so a change made just
// after the folder was listed can leave its stamp as it was: a recently
// stamped folder is listed afresh each time.
TEST(KeptListing, AFolderChangedWithinTheStampGrainIsListedAgain) {
  quentest::ScratchDrive drive;
  drive.Write("Save/alpha.clt", "a");
  const fs::path folder = drive.Host("Save");
  StampFolder(folder, 0.5);
  const timespec stamp = StampOf(folder);
  ASSERT_EQ(plat::ResolveDosPath("C:\\SAVE\\LATE.CLT"), folder / "LATE.CLT");
  drive.Write("Save/Late.clt", "b");
  SetStamp(folder, stamp);
  EXPECT_EQ(plat::ResolveDosPath("C:\\SAVE\\LATE.CLT"), folder / "Late.clt");
}

// A folder that may be passed through but not listed keeps no (empty)
// listing: what is in it, spelt as it is, is still found.
TEST(KeptListing, AFolderThatCannotBeListedStillFindsExactNames) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser lists every folder";
  quentest::ScratchDrive drive;
  drive.Write("Art/Locked/Sub/ima.dll", "module");
  const fs::path folder = drive.Host("Art/Locked");
  StampFolder(folder, 3600);
  fs::permissions(folder, fs::perms::owner_exec);
  EXPECT_EQ(plat::ResolveDosPath("C:\\ART\\LOCKED\\SUB\\IMA.DLL"), folder / "SUB/IMA.DLL");
  EXPECT_TRUE(plat::SetCurrentDosDirectory("C:\\ART\\LOCKED\\Sub"));
  fs::permissions(folder, fs::perms::owner_all);
}

}  // namespace
