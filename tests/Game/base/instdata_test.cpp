#include "Game/base/GInstData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/Game/base/sandbox.h"

namespace {

using model_test::Sandbox;

// An installation on C with the CD in D; art and 3D data point at the CD.
class InstDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetValue("Release", "PATH", "C:\\QUENBAR\\");
    box.SetValue("Release", "CDPATH", "d:\\");
    box.SetValue("Release", "ARTPATH", "D:\\ART\\");
    box.SetValue("Release", "3DPATH", "D:\\3D\\");
    box.SetValue("Release", "GUILD2PATH", "D:\\ART\\GUILD2\\");
    box.SetValue("Release", "SOUNDPATH", "C:\\QUENBAR\\SOUND\\");
    box.SetValue("Release", "EXCLUSIVEMODE", "1");
    box.SetValue("Debug", "PACKETSNIFFER", "0");
    box.SetValue("Debug", "MODELNAME", "ship");
  }
  std::string Build(CInstData& inst, const char* name, int kind, int guild = 0) {
    char dst[260];
    std::memset(dst, 'x', sizeof dst);
    inst.BuildPath(dst, name, kind, guild);
    return dst;
  }
  Sandbox box;
};

// A getter's result is its own value, whatever was read before or after; a
// value that is missing or too long (over 99 characters) reads as missing.
TEST_F(InstDataTest, EachGetterReadsItsOwnValue) {
  box.SetValue("Release", "TEMPLATE_PATH", std::string(100, 'T'));
  box.SetValue("Release", "HELPPATH", std::string(99, 'H'));
  CInstData inst;
  const char* art = inst.GetArtPath();
  const char* sound = inst.GetSoundPath();
  EXPECT_STREQ(art, "D:\\ART\\");
  EXPECT_STREQ(sound, "C:\\QUENBAR\\SOUND\\");
  const char* cd = inst.GetCDPath();
  EXPECT_STREQ(inst.GetSavePath(), "");
  EXPECT_STREQ(inst.GetTemplatePath(), "");
  EXPECT_EQ(std::string(inst.GetHelpPath()), std::string(99, 'H'));
  EXPECT_STREQ(cd, "d:\\");
  EXPECT_EQ(inst.GetExclusiveMode(), 1);
  EXPECT_EQ(inst.GetSnifferRangeMin(), 0);
  EXPECT_EQ(inst.GetPacketSniffer(), 0);
  EXPECT_STREQ(inst.GetGuildPath(1), "D:\\ART\\GUILD2\\");
  EXPECT_STREQ(inst.GetGuildPath(7), "");  // guild 0's GUILD1PATH is missing
  EXPECT_EQ(inst.GetModelName(), nullptr);
  EXPECT_STREQ(art, "D:\\ART\\");
}

TEST_F(InstDataTest, QuickStartFileIsStored) {
  CInstData inst;
  EXPECT_EQ(inst.SetQuickStartFile("QikStart.clt"), 1);
  EXPECT_STREQ(inst.GetQuickStartFile(), "QikStart.clt");
  CInstData again;
  EXPECT_STREQ(again.GetQuickStartFile(), "QikStart.clt");
}

TEST_F(InstDataTest, BuildPathPrefersTheInstalledCopyOfCdArt) {
  box.Write("cd/ART/ship.ima", "cd");
  box.Write("c/QUENBAR/ART/ship.ima", "installed");
  box.Write("cd/ART/moon.ima", "cd");
  CInstData inst;
  EXPECT_EQ(Build(inst, "ship.ima", INSTPATH_ART), "C:\\QUENBAR\\ART\\ship.ima");
  EXPECT_EQ(Build(inst, "moon.ima", INSTPATH_ART), "D:\\ART\\moon.ima");
  EXPECT_EQ(Build(inst, "ship.ima", INSTPATH_INSTALL), "C:\\QUENBAR\\ship.ima");
  EXPECT_EQ(Build(inst, "x.ima", INSTPATH_GUILD_ART, 1), "D:\\ART\\GUILD2\\x.ima");
  EXPECT_EQ(Build(inst, "rock.3d", INSTPATH_ASTEROID_3D), "D:\\3D\\asteroid\\3dAst\\rock.3d");
  EXPECT_EQ(Build(inst, "p.3d", INSTPATH_PROJECT), "D:\\3D\\project\\p.3d");
  EXPECT_EQ(Build(inst, "a.wav", INSTPATH_SOUND), "C:\\QUENBAR\\SOUND\\a.wav");
  EXPECT_EQ(Build(inst, "a", 11), "");

  char tiny[8];
  inst.BuildPath(tiny, "ship.ima", INSTPATH_ART);  // would not fit: empty, not cut
  EXPECT_STREQ(tiny, "");
}

TEST_F(InstDataTest, ArtOnAnotherDriveIsNeverRedirected) {
  box.SetValue("Release", "ARTPATH", "C:\\QUENBAR\\ART\\");
  box.SetValue("Release", "3DPATH", "D:\\3D\\");
  box.Write("c/QUENBAR/3D/m.3d", "installed");
  CInstData inst;
  // The art is not on the CD, so even CD paths of other kinds stay as built.
  EXPECT_EQ(Build(inst, "m.3d", INSTPATH_3D), "D:\\3D\\m.3d");
}

TEST_F(InstDataTest, OpenDataFileTriesTheInstallationFirst) {
  box.Write("c/QUENBAR/RULES/hulls.dat", "installed");
  box.Write("cd/RULES/hulls.dat", "cd");
  box.Write("cd/RULES/only.dat", "cd only");
  box.Write("c/gamevar.dat", "relative");
  CInstData inst;
  auto read = [&](const char* path) {
    plat::FILE* fp = inst.OpenDataFile(path, "rb");
    if (fp == nullptr) return std::string("(none)");
    char buf[32] = {};
    plat::fread(buf, 1, sizeof buf - 1, fp);
    plat::fclose(fp);
    return std::string(buf);
  };
  EXPECT_EQ(read("D:\\RULES\\hulls.dat"), "installed");
  EXPECT_EQ(read("D:\\RULES\\only.dat"), "cd only");
  EXPECT_EQ(read("C:\\gamevar.dat"), "relative");
  // A relative name that merely starts with the CD's letter is not on the CD.
  box.Write("c/QUENBAR/ata.dat", "wrong");
  box.Write("c/data.dat", "right");
  EXPECT_EQ(read("data.dat"), "right");
  EXPECT_EQ(read("D:\\nothing.dat"), "(none)");
}

// The stamp that tells whether kept rules are still a file's is the stamp of
// the file a read would open.
TEST_F(InstDataTest, StampDataFileStampsTheFileOpenDataFileOpens) {
  box.Write("c/QUENBAR/RULES/hulls.dat", "installed");
  box.Write("cd/RULES/hulls.dat", "cd");
  box.Write("cd/RULES/only.dat", "cd only");
  CInstData inst;
  const auto size = [&](const char* path) {
    const auto stamped = inst.StampDataFile(path);
    return stamped ? static_cast<long>(stamped->stamp.size) : -1L;
  };
  EXPECT_EQ(size("D:\\RULES\\hulls.dat"), 9);
  EXPECT_EQ(size("D:\\RULES\\only.dat"), 7);
  EXPECT_EQ(size("D:\\nothing.dat"), -1);
  EXPECT_EQ(size("D:\\RULES"), -1);  // a folder
  // Just written: not settled.
  const auto stamped = inst.StampDataFile("D:\\RULES\\only.dat");
  ASSERT_TRUE(stamped.has_value());
  EXPECT_FALSE(stamped->settled);
}

TEST(InstDataNoKeysTest, WithoutTheReleaseKeyNothingIsFound) {
  Sandbox box;
  box.Write("c/gamevar.dat", "x");
  CInstData inst;
  EXPECT_STREQ(inst.GetInstallPath(), "");
  EXPECT_EQ(inst.GetExclusiveMode(), 0);
  char dst[64];
  inst.BuildPath(dst, "ship.ima", INSTPATH_ART);
  EXPECT_STREQ(dst, "ship.ima");
  plat::FILE* fp = inst.OpenDataFile("gamevar.dat", "r");
  EXPECT_NE(fp, nullptr);
  if (fp != nullptr) plat::fclose(fp);
}

}  // namespace
