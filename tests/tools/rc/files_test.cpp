// Bitmap, cursor and icon files, the checked-in fixture module, and the
// modules of the data build.
#include <tuple>

#include "platform/core/bytes.h"
#include "platform/resource/cursoricon.h"
#include "tests/support/source_scan.h"
#include "tests/tools/rc/helpers.h"

namespace {

// The reader's fixtures; this folder has no data folder of its own to step out of.
const std::filesystem::path kFixtures =
    (std::filesystem::path(QUEN_TEST_DATA_DIR) / ".." / ".." / ".." / "platform" / "resource" / "data")
        .lexically_normal();

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& p) { return rctest::Bytes(quentest::ReadWholeFile(p)); }

TEST(Fixture, CompilingItsScriptGivesTheCheckedInModule) {
  auto r = rc::CompileScript(kFixtures / "fixture.rc");
  ASSERT_TRUE(r.Ok()) << r.error;
  EXPECT_EQ(rc::WriteModuleImage(r.resources), ReadFile(kFixtures / "fixture.dll"))
      << "regenerate with: quenrc fixture.rc -o fixture.dll";
}

TEST(Files, CursorAndIconPicturesGetTheirOwnNumbers) {
  rc::CompileOptions options;
  options.includeDirs.push_back(kFixtures);
  auto rs = rctest::MustCompile("A CURSOR \"fixture.cur\"\nB CURSOR \"fixture.cur\"\nC ICON \"fixture.ico\"\n", "t.rc",
                                options);
  rctest::Loaded m(rs);
  auto a = plat::LoadCursorGroup(m.Get(), "A");
  auto b = plat::LoadCursorGroup(m.Get(), "B");
  auto c = plat::LoadIconGroup(m.Get(), "C");
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->images[0].resourceId, 1);
  EXPECT_EQ(b->images[0].resourceId, 2);
  EXPECT_EQ(c->images[0].resourceId, 1);  // icons count on their own
  EXPECT_EQ(c->images[1].resourceId, 2);
  EXPECT_EQ(a->images[0].dib, b->images[0].dib);
  // The cursor group entry: 16 wide, 32 rows (colour and mask), 1 plane, 1 bit, 4 + picture bytes.
  auto group = plat::ResourceBytes(m.Get(), "A", plat::RT_GROUP_CURSOR);
  ASSERT_EQ(group.size(), 6u + 14u);
  EXPECT_EQ(std::make_tuple(group[6], group[8], group[10], group[12]), std::make_tuple(16, 32, 1, 1));
}

TEST(Files, DamagedPictureFilesAreRefused) {
  rctest::ScratchDir dir("files");
  auto cur = ReadFile(kFixtures / "fixture.cur");
  auto bad = cur;
  bad[2] = 1;  // says icon
  dir.Write("icon_as_cursor.cur", std::string(bad.begin(), bad.end()));
  bad = cur;
  bad[18] = 0xF0;  // picture offset past the end
  dir.Write("offset.cur", std::string(bad.begin(), bad.end()));
  dir.Write("short.bmp", "BM\x10");
  dir.Write("text.ico", "hello");
  auto error = [&](const std::string& s) { return rc::CompileScriptText(s, dir.Path() / "t.rc").error; };
  EXPECT_NE(error("A CURSOR \"icon_as_cursor.cur\"").find("not a cursor file"), std::string::npos);
  EXPECT_NE(error("A CURSOR \"offset.cur\"").find("past the end"), std::string::npos);
  EXPECT_NE(error("A BITMAP \"short.bmp\"").find("bitmap"), std::string::npos);
  EXPECT_NE(error("A ICON \"text.ico\"").find("not a icon file"), std::string::npos);
}

TEST(DataBuild, ProgramModuleHoldsTheTextIndexAndStrings) {
  const std::filesystem::path module = std::filesystem::path(QUEN_BUILD_DIR) / "Game" / "quenbar.dll";
  ASSERT_TRUE(std::filesystem::exists(module)) << "the data build makes " << module;
  plat::HMODULE m = plat::LoadLibrary(module.c_str());
  ASSERT_NE(m, nullptr) << plat::LastModuleError();
  auto index = plat::ResourceBytes(m, 201, "INDEXTABLE");
  ASSERT_GE(index.size(), 4u);
  plat::ByteReader r(index);
  std::uint32_t count = r.U32();
  ASSERT_EQ(index.size(), 4u + 12u * count);
  ASSERT_GT(count, 0u);
  // Every entry's string is in the table with the length the entry gives.
  for (std::uint32_t i = 0; i < count; ++i) {
    r.Skip(8);
    std::uint16_t number = r.U16();
    std::uint16_t length = r.U16();
    std::vector<char> buf(length + 1u);
    EXPECT_EQ(plat::LoadString(m, number, buf.data(), static_cast<int>(buf.size())), length - 1) << number;
  }
  plat::FreeLibrary(m);
}

TEST(DataBuild, InstallationTreeAndRegistry) {
  const std::filesystem::path tree = std::filesystem::path(QUEN_BUILD_DIR) / "gamedata";
  for (const char* dir : {"c/QUENBAR/ART/GUILD5", "c/QUENBAR/3DDATA/asteroid/3dAst", "c/QUENBAR/3DDATA/project",
                          "c/QUENBAR/HELP", "c/QUENBAR/SAVE", "d"}) {
    EXPECT_TRUE(std::filesystem::is_directory(tree / dir)) << dir;
  }
  const std::string text = quentest::ReadWholeFile(tree / "config" / "registry.reg");
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
  for (const char* line :
       {"[HKEY_CURRENT_USER\\SOFTWARE\\Halvorn\\Quenbar\\Release]", "\"ARTPATH\"=\"C:\\\\QUENBAR\\\\ART\\\\\"",
        "\"TEMPLATE_PATH\"=", "\"GUILD53DPATH\"=\"C:\\\\QUENBAR\\\\3DDATA\\\\GUILD5\\\\\"", "\"EXCLUSIVEMODE\"=\"0\"",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuenbarPlatform\\Drives]",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuenbarPlatform\\Programs]", "\"QuenSrvr.exe\"="}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_NE(text.find("\"C\"=\"" + (tree / "c").string() + "\""), std::string::npos);
}

}  // namespace

// The modules must be valid for other readers of the format, not only ours: the
// system's own object-file dumper walks the program module's resource directory.
TEST(DataBuild, ProgramModuleReadsInAnotherTool) {
  const std::filesystem::path module = std::filesystem::path(QUEN_BUILD_DIR) / "Game" / "quenbar.dll";
  if (!std::filesystem::exists("/usr/bin/objdump")) GTEST_SKIP() << "objdump is not installed";
  const std::string command = "/usr/bin/objdump -x '" + module.string() + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  ASSERT_EQ(::pclose(pipe), 0) << out;
  EXPECT_NE(out.find("pei-i386"), std::string::npos);
  EXPECT_NE(out.find("Resource Directory [.rsrc]"), std::string::npos);
  EXPECT_NE(out.find("INDEXTABLE"), std::string::npos);
  EXPECT_EQ(out.find("corrupt"), std::string::npos) << out.substr(0, 2000);
  EXPECT_EQ(out.find("warning"), std::string::npos) << out.substr(0, 2000);
}
