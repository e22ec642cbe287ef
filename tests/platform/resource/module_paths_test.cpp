// One module file reached by several paths is one module.

#include <gtest/gtest.h>

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

}  // namespace
