// The check of the installation at start: a sound scratch installation passes,
// and each piece damaged or taken away is named to the player.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Game/app/InstallCheck.h"
#include "Game/base/GInstData.h"
#include "Game/rules/GDefBP.h"
#include "Game/rules/GDefBPKeys.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesLinks.h"
#include "media/ArchiveFormat.h"
#include "tests/Game/model/root/root_fixture.h"

namespace {

std::string ModuleFixture() {
  std::ifstream in(std::string(QUEN_SOURCE_DIR) + "/tests/Game/save/data/review.dll", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The rules files of the game-data tests, and every other piece the check looks at.
class InstallCheck : public root_test::RootGame {
 protected:
  InstallCheck() {
    box.SetValue("Release", "PATH", "C:\\");
    box.SetValue("Release", "ARTPATH", "C:\\ART\\");
    box.SetValue("Release", "FRONTENDARTPATH", "C:\\ART\\FRONTEND\\");
    box.SetValue("Release", "3DPATH", "C:\\3DDATA\\");
    box.Write("defBP.dat", DefaultBattlePlanText(DefaultBattlePlanTable{}));
    box.Write("astnames.dat", std::string("Vesta|Ceres\n"));
    ArchiveHeader header;
    std::copy_n(kArchiveTag, 5, header.tag);
    header.mode = kArchiveModeStdio;
    std::uint8_t image[kArchiveHeaderSize];
    ArchiveHeaderEncode(header, image);
    box.Write("3DDATA/3ddata.nob", std::string(image, image + kArchiveHeaderSize));
    box.Write("3DDATA/palette.dat", std::string("\x01" "abcdefgh", 9));
    box.Write("ART/FRONTEND/frontend.dll", ModuleFixture());
    box.Write("ART/ima.dll", ModuleFixture());
  }
  ~InstallCheck() override { g_rulesLinks = RulesLinks{}; }

  // The registry's values as the program reads them at its start.
  InstallationReport Check() {
    CInstData installation;
    return CheckInstallation(installation);
  }
  std::vector<std::string> Problems() {
    const InstallationReport report = Check();
    EXPECT_TRUE(report.foldersKnown);
    return report.problems;
  }
};

using Texts = std::vector<std::string>;

TEST_F(InstallCheck, ASoundInstallationSaysNothingAndLeavesTheRulesLinkAsItWas) {
  int told = 0;
  g_rulesLinks.showMessage = [&told](const char*) { ++told; };
  EXPECT_EQ(Problems(), Texts{});
  box.Write("hulls.dat", std::string());
  EXPECT_EQ(Problems(), Texts{kHullsFileDamaged});
  EXPECT_EQ(told, 0);
  ASSERT_TRUE(g_rulesLinks.showMessage);
  g_rulesLinks.showMessage("after");
  EXPECT_EQ(told, 1);
}

TEST_F(InstallCheck, EachDamagedOrMissingFileIsNamed) {
  const auto cut = [this](const std::string& name, std::size_t keep) {
    std::filesystem::resize_file(box.Host(name), keep);
  };
  const auto drop = [this](const std::string& name) { ASSERT_TRUE(std::filesystem::remove(box.Host(name))); };
  cut("hulls.dat", 7);
  drop("modules.dat");
  EXPECT_EQ(Problems(), (Texts{kHullsFileDamaged, kModulesFileDamaged}));
  WriteRules();

  box.Write("defBP.dat", std::string("\x7F" "ELF garbage\n"));
  EXPECT_EQ(Problems(), Texts{kDefBPCorrupted});
  drop("defBP.dat");
  EXPECT_EQ(Problems(), Texts{kDefBPNotFound});
  box.Write("defBP.dat", DefaultBattlePlanText(DefaultBattlePlanTable{}));

  box.Write("astnames.dat", std::string("||\n"));
  EXPECT_EQ(Problems(), Texts{kAstNamesMissingText});
  drop("astnames.dat");
  EXPECT_EQ(Problems(), Texts{kAstNamesMissingText});
  box.Write("astnames.dat", std::string("Vesta\n"));

  cut("3DDATA/3ddata.nob", 20);
  cut("3DDATA/palette.dat", 8);
  EXPECT_EQ(Problems(), (Texts{kArchiveDamagedText, kPaletteDamagedText}));
  drop("3DDATA/3ddata.nob");
  drop("3DDATA/palette.dat");
  EXPECT_EQ(Problems(), (Texts{kArchiveDamagedText, kPaletteDamagedText}));
}

TEST_F(InstallCheck, ModulesAndTheArtFolder) {
  std::filesystem::resize_file(box.Host("ART/FRONTEND/frontend.dll"), 300);
  std::filesystem::remove(box.Host("ART/ima.dll"));
  EXPECT_EQ(Problems(), (Texts{kFrontEndModuleDamagedText, kImageModuleDamagedText}));
  std::filesystem::remove_all(box.Host("ART"));
  EXPECT_EQ(Problems(), (Texts{kFrontEndModuleDamagedText, ArtFolderMissingText("C:\\ART\\")}));
}

TEST_F(InstallCheck, WithoutTheRegistrysFoldersOnlyTheRegistryFileIsNamed) {
  box.SetValue("Release", "3DPATH", "");
  const InstallationReport report = Check();
  EXPECT_FALSE(report.foldersKnown);
  ASSERT_EQ(report.problems, Texts{RegistryDamagedText()});
  EXPECT_NE(report.problems[0].find(plat::RegistryFile().string()), std::string::npos);
  EXPECT_EQ(report.problems[0].find("gamevar"), std::string::npos);
}

}  // namespace
