// One module file reached by several paths is one module.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/resource/module.h"
#include "tests/platform/resource/fixture.h"
#include "tests/support/scratch_drive.h"

namespace {

TEST(ModulePaths, DosPathsThroughLinksAndHostPathsShareTheModule) {
  quentest::ScratchDrive drive('Q');
  std::filesystem::create_directories(drive.Host("Art"));
  std::filesystem::copy_file(restest::FixturePath(), drive.Host("Art/Ima.dll"));
  std::filesystem::create_directory_symlink(drive.Host("Art"), drive.Host("Linked"));

  plat::HMODULE byDos = plat::LoadLibrary("Q:\\ART\\IMA.DLL");
  ASSERT_NE(byDos, nullptr) << plat::LastModuleError();
  EXPECT_EQ(plat::LoadLibrary("q:\\linked\\ima.dll"), byDos);
  EXPECT_EQ(plat::LoadLibrary(drive.Host("Linked/../Art/Ima.dll").c_str()), byDos);
  EXPECT_EQ(plat::LoadLibrary(drive.Host("Linked/Ima.dll").c_str()), byDos);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(plat::FreeLibrary(byDos));
  EXPECT_NE(plat::FindResource(byDos, 7, "HELP"), nullptr);  // one reference left
  EXPECT_TRUE(plat::FreeLibrary(byDos));

  // A missing file is named in the error as it was asked for.
  EXPECT_EQ(plat::LoadLibrary("Q:\\LINKED\\NONE.DLL"), nullptr);
  EXPECT_EQ(plat::LastModuleError(), "no such file: Q:\\LINKED\\NONE.DLL");
}

// A module missing at one look-up is found at the next once it is there, in a
// folder whose listing the path look-up keeps as in a fresh one, and one
// freed and removed is missing again.
TEST(ModulePaths, ModulesAppearingAndVanishingAreSeenByTheNextLoad) {
  quentest::ScratchDrive drive('Q');
  std::filesystem::create_directories(drive.Host("Art/Old"));
  std::filesystem::create_directories(drive.Host("Art/New"));
  // Left alone for an hour: its listing is kept between look-ups.
  const timespec long_ago[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, drive.Host("Art/Old").c_str(), long_ago, 0), 0);

  for (const char* folder : {"Old", "New"}) {
    SCOPED_TRACE(folder);
    const std::string dos = std::string("Q:\\ART\\") + folder + "\\GUILD.DLL";
    const std::filesystem::path host = drive.Host(std::string("Art/") + folder + "/Guild.dll");
    EXPECT_EQ(plat::LoadLibrary(dos.c_str()), nullptr);
    EXPECT_EQ(plat::LastModuleError(), "no such file: " + dos);
    EXPECT_EQ(plat::LoadLibrary(dos.c_str()), nullptr);

    std::filesystem::copy_file(restest::FixturePath(), host);
    plat::HMODULE m = plat::LoadLibrary(dos.c_str());
    ASSERT_NE(m, nullptr) << plat::LastModuleError();
    EXPECT_NE(plat::FindResource(m, 7, "HELP"), nullptr);
    EXPECT_TRUE(plat::FreeLibrary(m));

    std::filesystem::remove(host);
    EXPECT_EQ(plat::LoadLibrary(dos.c_str()), nullptr);
    EXPECT_EQ(plat::LoadLibrary(host.c_str()), nullptr);
  }
}

// The system's own modules are there by their bare names, with no file.
TEST(ModulePaths, SystemModulesNeedNoFile) {
  quentest::ScratchDrive drive('Q');
  plat::HMODULE kernel = plat::LoadLibrary("kernel32");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(plat::LoadLibrary("KERNEL32.DLL"), kernel);
  EXPECT_NE(plat::GetProcAddress(kernel, "GetDiskFreeSpaceExA"), nullptr);
}

}  // namespace
