// The check of the installation at start: a sound scratch installation passes,
// and each piece damaged or taken away is named to the player.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "Game/app/InstallCheck.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "Game/rules/GDefBP.h"
#include "Game/rules/GDefBPKeys.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesLinks.h"
#include "media/ArchiveFormat.h"
#include "tests/Game/model/root/root_fixture.h"
#include "tests/support/recording_shell.h"

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
    box.Write("3DDATA/palette.dat", std::string("\x01"
                                                "abcdefgh",
                                                9));
    box.Write("ART/FRONTEND/frontend.dll", ModuleFixture());
    box.Write("ART/ima.dll", ModuleFixture());
  }
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

TEST_F(InstallCheck, ASoundInstallationSaysNothingAndLeavesTheShellAsItWas) {
  quentest::RecordingShell shell;
  EXPECT_EQ(Problems(), Texts{});
  box.Write("hulls.dat", std::string());
  EXPECT_EQ(Problems(), Texts{kHullsFileDamaged});
  EXPECT_TRUE(shell.rulesMessages.empty());
  ASSERT_EQ(&ClientShell(), &shell);
  RulesShowMessage("after");
  EXPECT_EQ(shell.rulesMessages, Texts{"after"});
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

  box.Write("defBP.dat", std::string("\x7F"
                                     "ELF garbage\n"));
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

// Files that open but hold less than, or other than, the installation's own:
// the battle plans cut short of their eleven classes, the asteroid names cut
// inside a name or of bytes no name has, the archive cut short of the data
// its directory lists, and a colour table of random bytes.
TEST_F(InstallCheck, FilesCutShortOrOfOtherBytesAreNamed) {
  const std::string plans = DefaultBattlePlanText(DefaultBattlePlanTable{});
  box.Write("defBP.dat", plans.substr(0, plans.size() / 2));
  EXPECT_EQ(Problems(), Texts{kDefBPCorrupted});
  box.Write("defBP.dat", plans);

  box.Write("astnames.dat", std::string("Vesta|Ceres\nPall"));
  EXPECT_EQ(Problems(), Texts{kAstNamesDamagedText});
  std::string noise(600, '\0');
  std::uint32_t x = 12345;
  for (char& c : noise) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  noise.back() = '\n';
  box.Write("astnames.dat", noise);
  EXPECT_EQ(Problems(), Texts{kAstNamesDamagedText});
  box.Write("astnames.dat", std::string("Vesta|Ceres\r\nPallas\r\n"));
  EXPECT_EQ(Problems(), Texts{});

  ArchiveHeader header;
  std::copy_n(kArchiveTag, 5, header.tag);
  header.mode = kArchiveModeStdio;
  header.count = 2;
  std::string archive(kArchiveHeaderSize + 2 * kArchiveStdioEntrySize + 64, '\0');
  auto* bytes = reinterpret_cast<std::uint8_t*>(archive.data());
  ArchiveHeaderEncode(header, bytes);
  const std::uint32_t data = kArchiveHeaderSize + 2 * kArchiveStdioEntrySize;
  ArchiveRecordEncode({0, 1, 1, 0, data, 32}, bytes + kArchiveHeaderSize, kArchiveStdioEntrySize);
  ArchiveRecordEncode({0, 3, 1, 0, data + 32, 32}, bytes + kArchiveHeaderSize + kArchiveStdioEntrySize,
                      kArchiveStdioEntrySize);
  box.Write("3DDATA/3ddata.nob", archive);
  EXPECT_EQ(Problems(), Texts{});
  box.Write("3DDATA/3ddata.nob", archive.substr(0, archive.size() - 20));
  EXPECT_EQ(Problems(), Texts{kArchiveDamagedText});

  std::string palette(1025, '\0');
  for (char& c : palette) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  palette[0] = 0x37;
  box.Write("3DDATA/palette.dat", palette);
  EXPECT_EQ(Problems(), (Texts{kArchiveDamagedText, kPaletteDamagedText}));
}

TEST_F(InstallCheck, ModulesAndTheArtFolder) {
  std::filesystem::resize_file(box.Host("ART/FRONTEND/frontend.dll"), 300);
  std::filesystem::remove(box.Host("ART/ima.dll"));
  EXPECT_EQ(Problems(), (Texts{kFrontEndModuleDamagedText, kImageModuleDamagedText}));
  // The folder alone, as the disk has it, not the modules inside it.
  std::filesystem::remove_all(box.Host("ART"));
  EXPECT_EQ(Problems(), Texts{ArtFolderMissingText(box.Host("ART").string())});
}

// Rules files and asteroid names have stand-ins and only warn; the 3D data and
// the images have none, and the program must not start without them.
TEST_F(InstallCheck, OnlyFilesWithoutAStandInStopTheStart) {
  EXPECT_TRUE(Check().playable);
  box.Write("hulls.dat", std::string());
  std::filesystem::remove(box.Host("defBP.dat"));
  std::filesystem::remove(box.Host("astnames.dat"));
  EXPECT_TRUE(Check().playable);
  for (const char* file : {"3DDATA/3ddata.nob", "3DDATA/palette.dat", "ART/FRONTEND/frontend.dll", "ART/ima.dll"}) {
    std::ifstream in(box.Host(file), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    std::filesystem::remove(box.Host(file));
    EXPECT_FALSE(Check().playable) << file;
    box.Write(file, bytes);
  }
}

TEST_F(InstallCheck, WithoutTheRegistrysFoldersOnlyTheRegistryFileIsNamed) {
  box.SetValue("Release", "3DPATH", "");
  const InstallationReport report = Check();
  EXPECT_FALSE(report.foldersKnown);
  EXPECT_FALSE(report.playable);
  ASSERT_EQ(report.problems, Texts{RegistryDamagedText()});
  EXPECT_NE(report.problems[0].find(plat::RegistryFile().string()), std::string::npos);
  EXPECT_EQ(report.problems[0].find("gamevar"), std::string::npos);
}

// A registry that lost its drive table names folders on no drive: the
// registry is named, not each file it could not find.
TEST_F(InstallCheck, ARegistryWhoseFoldersLieOnNoDriveIsNamed) {
  box.SetValue("Release", "PATH", "Q:\\");
  box.SetValue("Release", "ARTPATH", "Q:\\ART\\");
  box.SetValue("Release", "FRONTENDARTPATH", "Q:\\ART\\FRONTEND\\");
  box.SetValue("Release", "3DPATH", "Q:\\3DDATA\\");
  const InstallationReport report = Check();
  EXPECT_FALSE(report.foldersKnown);
  EXPECT_EQ(report.problems, Texts{RegistryDamagedText()});
}

}  // namespace
