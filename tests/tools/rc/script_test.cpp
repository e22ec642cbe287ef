// The script language: preprocessing, names, strings and raw data.
#include <cstring>

#include "tests/tools/rc/helpers.h"

namespace {

using rctest::Bytes;
using rctest::CompileError;
using rctest::MustCompile;

std::vector<std::uint8_t> DataOf(const std::vector<rc::Resource>& rs, const plat::ResName& type,
                                 const plat::ResName& name) {
  for (const auto& r : rs) {
    if (r.type == type && r.name == name) return r.data;
  }
  ADD_FAILURE() << "resource missing";
  return {};
}

TEST(Script, IncludesHeadersAndFragmentsWithTheirDefines) {
  rctest::ScratchDir dir("include");
  dir.Write("ids.h",
            "#pragma once\n#ifndef IDS_H\n#define IDS_H\n#define IDS_HELLO 12\n"
            "#define IDI_NAMED 300 /* a number */\nstruct ignored { int x; };\n#endif\n");
  dir.Write("more/part.rc", "IDI_NAMED IMA { 1 }\n");
  dir.Write("inc/other.rc", "#define FROM_INCLUDE_DIR 9\n");
  auto script = dir.Write("main.rc",
                          "#include \"ids.h\"\n#include \"ids.h\"\n#include \"more/part.rc\"\n"
                          "#include <other.rc>\n"
                          "STRINGTABLE { IDS_HELLO, \"hi\" }\n"
                          "FROM_INCLUDE_DIR RCDATA { 2 }\n"
                          "#ifdef NOT_DEFINED\nthis is not a statement\n#else\nX RCDATA { 3 }\n#endif\n");
  rc::CompileOptions options;
  options.includeDirs.push_back(dir.Path() / "inc");
  auto r = rc::CompileScript(script, options);
  ASSERT_TRUE(r.Ok()) << r.error;
  EXPECT_EQ(DataOf(r.resources, "IMA", 300), Bytes(std::string_view("\x01\0", 2)));
  EXPECT_EQ(DataOf(r.resources, plat::RT_RCDATA, 9), Bytes(std::string_view("\x02\0", 2)));
  EXPECT_EQ(DataOf(r.resources, plat::RT_RCDATA, "X"), Bytes(std::string_view("\x03\0", 2)));
  rctest::Loaded m(r.resources);
  char buf[8];
  EXPECT_EQ(plat::LoadString(m.Get(), 12, buf, sizeof buf), 2);
  // Every file read is a dependency of the output.
  EXPECT_EQ(r.dependencies.size(), 4u);
}

TEST(Script, StringEscapesAndQuotes) {
  auto rs = MustCompile(
      "STRINGTABLE\nBEGIN\n  1, \"a\\tb\\nc\"\n  2 \"say \"\"x\"\" \\\\ \\\"y\\\"\"\n"
      "  3, \"\\x41\\101\\q\"\n  4, \"// not a comment\"\nEND\n");
  rctest::Loaded m(rs);
  char buf[64];
  plat::LoadString(m.Get(), 1, buf, sizeof buf);
  EXPECT_STREQ(buf, "a\tb\nc");
  plat::LoadString(m.Get(), 2, buf, sizeof buf);
  EXPECT_STREQ(buf, "say \"x\" \\ \"y\"");
  plat::LoadString(m.Get(), 3, buf, sizeof buf);
  EXPECT_STREQ(buf, "AA\\q");
  plat::LoadString(m.Get(), 4, buf, sizeof buf);
  EXPECT_STREQ(buf, "// not a comment");
}

TEST(Script, StringTableBlocksHoldSixteenStrings) {
  auto rs = MustCompile("STRINGTABLE { 17, \"b\" 18, \"cd\" }\nSTRINGTABLE { 100, \"x\" }\n");
  ASSERT_EQ(rs.size(), 2u);
  EXPECT_EQ(rs[0].name.Id(), 2);  // ids 16..31
  EXPECT_EQ(rs[1].name.Id(), 7);  // ids 96..111
  // Slot 0 empty, slot 1 "b", slot 2 "cd", then thirteen empty slots.
  std::vector<std::uint8_t> want = {0, 0, 1, 0, 'b', 0, 2, 0, 'c', 0, 'd', 0};
  want.resize(want.size() + 13 * 2, 0);
  EXPECT_EQ(rs[0].data, want);
}

TEST(Script, RawDataNumbersAndStrings) {
  auto rs = MustCompile("1 DATA { 1, 2L 0x10 | 0x01, -2, (3 + 4) & 6, ~0, \"ab\", L\"c\" }\n");
  ASSERT_EQ(rs.size(), 1u);
  EXPECT_EQ(rs[0].type, plat::ResName("DATA"));
  EXPECT_EQ(rs[0].data,
            (std::vector<std::uint8_t>{1, 0, 2, 0, 0, 0, 0x11, 0, 0xFE, 0xFF, 6, 0, 0xFF, 0xFF, 'a', 'b', 'c', 0}));
}

TEST(Script, NamesAndTypesMayBeNumbersIdentifiersOrStrings) {
  rctest::ScratchDir dir("names");
  dir.Write("blob.bin", std::string("\0\x01\x02", 3));
  auto rs = MustCompile(
      "#define NUM 42\nNUM IMA \"blob.bin\"\nname.ima 77 \"blob.bin\"\n\"with space\" \"My Type\" { 1 }\n"
      "IDOK RCDATA { 1 }\n",
      dir.Path() / "x.rc");
  ASSERT_EQ(rs.size(), 4u);
  EXPECT_EQ(rs[0].name, plat::ResName(42));
  EXPECT_EQ(rs[0].data, Bytes(std::string_view("\0\x01\x02", 3)));
  EXPECT_EQ(rs[1].type, plat::ResName(77));
  EXPECT_EQ(rs[1].name, plat::ResName("NAME.IMA"));
  EXPECT_EQ(rs[2].type, plat::ResName("my type"));
  EXPECT_EQ(rs[2].name, plat::ResName("WITH SPACE"));
  EXPECT_EQ(rs[3].name, plat::ResName(1));
}

TEST(Script, Utf8SourceAndStrayBytes) {
  // UTF-8 "é" and a lone Windows-1252 byte both arrive as é.
  auto rs = MustCompile("STRINGTABLE { 1, \"caf\xC3\xA9\" 2, \"caf\xE9\" }\n");
  rctest::Loaded m(rs);
  char a[16], b[16];
  plat::LoadString(m.Get(), 1, a, sizeof a);
  plat::LoadString(m.Get(), 2, b, sizeof b);
  EXPECT_STREQ(a, "caf\xE9");
  EXPECT_STREQ(b, "caf\xE9");
}

TEST(Script, ErrorsNameTheFileAndLine) {
  EXPECT_EQ(CompileError("\n\nX UNKNOWN\n"), "test.rc:3: expected '{' or BEGIN");
  EXPECT_NE(CompileError("STRINGTABLE { 1, \"a\" 1, \"b\" }").find("test.rc:1: string 1 defined twice"),
            std::string::npos);
  EXPECT_NE(CompileError("A IMA { 1 }\na ima { 2 }\n").find("test.rc:2: resource defined twice"), std::string::npos);
  EXPECT_NE(CompileError("1 IMA \"missing.ima\"").find("file not found: missing.ima"), std::string::npos);
  EXPECT_NE(CompileError("#include \"missing.h\"").find("file not found"), std::string::npos);
  EXPECT_NE(CompileError("#ifdef X\n").find("#if without #endif"), std::string::npos);
  EXPECT_NE(CompileError("#endif\n").find("#endif without #if"), std::string::npos);
  EXPECT_NE(CompileError("#define F(x) x\n").find("arguments"), std::string::npos);
  EXPECT_NE(CompileError("#if 1\n").find("unsupported directive"), std::string::npos);
  EXPECT_NE(CompileError("STRINGTABLE { 1, \"open }").find("unterminated string"), std::string::npos);
  EXPECT_NE(CompileError("STRINGTABLE { 70000, \"x\" }").find("above 65535"), std::string::npos);
  EXPECT_NE(CompileError("1 IMA { 0x100000000 }").find("too large"), std::string::npos);
  EXPECT_NE(CompileError("1 IMA { 1, 2").find("end"), std::string::npos);
  EXPECT_NE(CompileError("1 DIALOG 0, 0, 1, 1 { BUTTON \"x\" }").find("unknown dialog item"), std::string::npos);
  EXPECT_NE(CompileError("1 DIALOG 0, 0, 1, 1 STYLE WS_NOPE { }").find("unknown name WS_NOPE"), std::string::npos);
}

TEST(Script, SelfReferringMacrosStop) {
  auto r = rc::CompileScriptText("#define A B\n#define B A\nA RCDATA { 1 }\n", "t.rc");
  ASSERT_TRUE(r.Ok()) << r.error;
  EXPECT_EQ(r.resources[0].name, plat::ResName("A"));
}

}  // namespace
