#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/dospath.h"
#include "platform/resource/module.h"
#include "tests/platform/resource/fixture.h"
#include "tests/support/scratch_drive.h"

namespace {

using restest::FixtureModule;

std::string Bytes(plat::HMODULE m, const plat::ResName& name, const plat::ResName& type) {
  auto b = plat::ResourceBytes(m, name, type);
  return std::string(b.begin(), b.end());
}

TEST(ResName, ReadsHashNumbersAsNumbers) {
  EXPECT_TRUE(plat::ResName("#123").IsId());
  EXPECT_EQ(plat::ResName("#123").Id(), 123);
  EXPECT_FALSE(plat::ResName("#").IsId());
  EXPECT_FALSE(plat::ResName("#12a").IsId());
  EXPECT_FALSE(plat::ResName("#70000").IsId());  // no 16-bit number
  EXPECT_FALSE(plat::ResName::Literal("#5").IsId());
  EXPECT_EQ(plat::ResName("abc"), plat::ResName("ABC"));
  EXPECT_FALSE(plat::ResName("abc") == plat::ResName("abd"));
  EXPECT_FALSE(plat::ResName(5) == plat::ResName("5"));
}

class LookupTest : public FixtureModule {};

TEST_F(LookupTest, NamesMatchWithoutRegardToCase) {
  EXPECT_NE(plat::FindResource(module_, "backdrp1.ima", "IMA"), nullptr);
  EXPECT_NE(plat::FindResource(module_, "BACKDRP1.IMA", "ima"), nullptr);
  EXPECT_NE(plat::FindResource(module_, "mixed.case", "Ima"), nullptr);
  EXPECT_EQ(plat::FindResource(module_, "backdrp2.ima", "IMA"), nullptr);
  EXPECT_EQ(plat::FindResource(module_, "backdrp1.ima", "TGA"), nullptr);
}

TEST_F(LookupTest, NumbersAndHashNumbersFindTheSameResource) {
  plat::HRSRC a = plat::FindResource(module_, 7, "HELP");
  plat::HRSRC b = plat::FindResource(module_, "#7", "help");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(plat::FindResource(module_, "7", "HELP"), nullptr);  // a name, not the number
  EXPECT_NE(plat::FindResource(module_, 201, "INDEXTABLE"), nullptr);
  EXPECT_NE(plat::FindResource(module_, 107, plat::RT_DIALOG), nullptr);
  EXPECT_NE(plat::FindResource(module_, "#107", "#5"), nullptr);
}

TEST_F(LookupTest, LoadLockAndSizeGiveTheStoredBytes) {
  plat::HRSRC res = plat::FindResource(module_, 7, "HELP");
  ASSERT_NE(res, nullptr);
  plat::HGLOBAL loaded = plat::LoadResource(module_, res);
  ASSERT_NE(loaded, nullptr);
  const plat::BYTE* data = plat::LockResource(loaded);
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(plat::SizeofResource(module_, res), 9u);
  EXPECT_EQ(std::string(data, data + 9), std::string("\x05\0\0\0Hello", 9));
  EXPECT_EQ(plat::FreeResource(loaded), plat::FALSE);
}

TEST_F(LookupTest, CustomDataKeepsItsLayout) {
  EXPECT_EQ(Bytes(module_, "backdrp1.ima", "IMA"), std::string("\x02\0\x01\0\x00\xF8\xE0\x07", 8));
  EXPECT_EQ(Bytes(module_, "MIXED", plat::RT_RCDATA), std::string("abc\0d\0\x34\x12\x78\x56\x34\x12\xFF\xFF", 14));
  EXPECT_EQ(Bytes(module_, 201, "INDEXTABLE"), std::string("\x01\0\0\0SAVEGAME\x01\0\x06\0", 16));
}

TEST_F(LookupTest, HandlesOfOtherModulesAreRefused) {
  plat::HRSRC res = plat::FindResource(module_, 7, "HELP");
  plat::HMODULE other = plat::LoadLibraryFromMemory(restest::FixtureBytes());
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, module_);
  EXPECT_EQ(plat::LoadResource(other, res), nullptr);
  EXPECT_EQ(plat::SizeofResource(other, res), 0u);
  EXPECT_TRUE(plat::FreeLibrary(other));
  EXPECT_FALSE(plat::FreeLibrary(other));
  EXPECT_EQ(plat::FindResource(other, 7, "HELP"), nullptr);
  EXPECT_EQ(plat::LockResource(nullptr), nullptr);
}

TEST(ModuleHandles, SameFileCountsReferences) {
  plat::HMODULE a = plat::LoadLibrary(restest::FixturePath().c_str());
  plat::HMODULE b = plat::LoadLibrary(restest::FixturePath().c_str());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(plat::GetModuleHandle("FIXTURE.DLL"), a);
  EXPECT_TRUE(plat::FreeLibrary(a));
  EXPECT_NE(plat::FindResource(b, 7, "HELP"), nullptr);  // one reference left
  EXPECT_TRUE(plat::FreeLibrary(b));
  EXPECT_EQ(plat::GetModuleHandle("fixture.dll"), nullptr);
}

// The free-space check loads the system's kernel module and looks its call up.
TEST(ModuleHandles, SystemModuleOffersItsCallsByName) {
  plat::HMODULE kernel = plat::LoadLibrary("KERNEL32.DLL");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(plat::LoadLibrary("kernel32"), kernel);
  EXPECT_EQ(plat::GetModuleHandle("Kernel32.dll"), kernel);
  using FreeSpace = plat::BOOL (*)(const char*, plat::ULARGE_INTEGER*, plat::ULARGE_INTEGER*, plat::ULARGE_INTEGER*);
  EXPECT_EQ(reinterpret_cast<FreeSpace>(plat::GetProcAddress(kernel, "GetDiskFreeSpaceExA")),
            &plat::GetDiskFreeSpaceEx);
  EXPECT_EQ(plat::GetProcAddress(kernel, "GetDiskFreeSpaceEx"), nullptr);
  EXPECT_EQ(plat::GetProcAddress(kernel, "getdiskfreespaceexa"), nullptr);
  EXPECT_EQ(plat::FindResource(kernel, 1, plat::RT_ICON), nullptr);
  EXPECT_TRUE(plat::FreeLibrary(kernel));
  EXPECT_TRUE(plat::FreeLibrary(kernel));
  EXPECT_NE(plat::GetProcAddress(kernel, "GetDiskFreeSpaceExA"), nullptr);  // never unloaded
  EXPECT_EQ(plat::LoadLibrary("USER99.DLL"), nullptr);
  plat::HMODULE fixture = plat::LoadLibrary(restest::FixturePath().c_str());
  EXPECT_EQ(plat::GetProcAddress(fixture, "GetDiskFreeSpaceExA"), nullptr);
  plat::FreeLibrary(fixture);
}

TEST(ModuleHandles, LoadsByDosPathWithoutRegardToCase) {
  quentest::ScratchDrive drive('Q');
  std::filesystem::create_directories(drive.Host("Art"));
  std::filesystem::copy_file(restest::FixturePath(), drive.Host("Art/Ima.dll"));
  plat::HMODULE m = plat::LoadLibrary("Q:\\ART\\IMA.DLL");
  EXPECT_NE(m, nullptr) << plat::LastModuleError();
  EXPECT_NE(plat::FindResource(m, 7, "HELP"), nullptr);
  plat::FreeLibrary(m);
  EXPECT_EQ(plat::LoadLibrary("Q:\\ART\\NONE.DLL"), nullptr);
  EXPECT_FALSE(plat::LastModuleError().empty());
}

TEST(ModuleHandles, ProgramModuleComesFromItsFile) {
  plat::SetProgramModulePath(restest::FixturePath());
  EXPECT_EQ(plat::UnreadProgramModule(), std::nullopt);
  plat::HMODULE self = plat::GetModuleHandle(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(plat::GetModuleHandle(nullptr), self);
  EXPECT_NE(plat::FindResource(nullptr, 201, "INDEXTABLE"), nullptr);  // null means the program
  char buf[16];
  EXPECT_EQ(plat::LoadString(nullptr, 1, buf, sizeof buf), 5);
  EXPECT_TRUE(plat::FreeLibrary(self));
  EXPECT_NE(plat::FindResource(self, 201, "INDEXTABLE"), nullptr);  // never unloaded

  // Without its file the program still has a module, with nothing in it.
  plat::SetProgramModulePath("/nonexistent/quenbar.dll");
  plat::HMODULE empty = plat::GetModuleHandle(nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(plat::FindResource(empty, 201, "INDEXTABLE"), nullptr);
  EXPECT_EQ(plat::LoadString(nullptr, 1, buf, sizeof buf), 0);
  EXPECT_NE(plat::FindResource(self, 201, "INDEXTABLE"), nullptr);  // the old handle stays good
  EXPECT_EQ(plat::UnreadProgramModule(), std::filesystem::path("/nonexistent/quenbar.dll"));
}

// A program module file that is there but is no module (empty, cut short)
// leaves the empty module too, and is named as one not read.
TEST(ModuleHandles, ADamagedProgramModuleIsNamed) {
  quentest::ScratchDrive drive('Q');
  const std::filesystem::path file = drive.Host("quenbar.dll");
  const std::vector<std::uint8_t> whole = restest::FixtureBytes();
  for (const std::size_t keep : {std::size_t{0}, whole.size() / 2}) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(whole.data()), static_cast<std::streamsize>(keep));
    plat::SetProgramModulePath(file);
    EXPECT_EQ(plat::UnreadProgramModule(), file) << keep;
    EXPECT_EQ(plat::FindResource(nullptr, 201, "INDEXTABLE"), nullptr);
  }
  plat::SetProgramModulePath(restest::FixturePath());
  EXPECT_EQ(plat::UnreadProgramModule(), std::nullopt);
}

}  // namespace
