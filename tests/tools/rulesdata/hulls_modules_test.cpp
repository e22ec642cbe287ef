#include <gtest/gtest.h>

#include <string>

#include "platform/core/bytes.h"
#include "tools/rulesdata/hulls.h"
#include "tools/rulesdata/modules.h"

namespace {

using rulesdata::CompileHulls;
using rulesdata::CompileModules;
using rulesdata::CompiledFile;

template <plat::LEField T>
T FieldAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  T v = 0;
  EXPECT_TRUE(plat::ByteReader(b).ReadAt(at, v)) << "no field at " << at;
  return v;
}
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) { return FieldAt<std::uint32_t>(b, at); }
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) { return FieldAt<std::uint16_t>(b, at); }

// The first problem's line and whether its message holds `part`.
void ExpectProblem(const CompiledFile& f, int line, const std::string& part) {
  ASSERT_FALSE(f.problems.empty()) << "expected: " << part;
  EXPECT_TRUE(f.bytes.empty());
  EXPECT_EQ(f.problems[0].line, line) << f.problems[0].message;
  EXPECT_NE(f.problems[0].message.find(part), std::string::npos) << f.problems[0].message;
}

const char* const kHullSource = R"(; comment
layout small
  slot 10 20 70 35 computer weapon   ; a slot
  slot 200 20 1 1 any
section 3
hull "Tiny" dest 200 600 1 2 3 4 150 small "Tiny Mk II" yes
empty
hull "Tiny Mk II" dest 210 650 5 6 7 8 190 small - no
)";

TEST(CompileHulls, WritesSectionsInTheirFileForm) {
  const CompiledFile f = CompileHulls(kHullSource);
  ASSERT_TRUE(f.problems.empty()) << f.problems[0].message;
  EXPECT_EQ(f.records, 2u);
  const auto& b = f.bytes;
  EXPECT_EQ(b[0], 0);  // sections 0 .. 2 are empty
  EXPECT_EQ(b[2], 0);
  EXPECT_EQ(b[3], 3);  // section 3: three entries
  EXPECT_EQ(U32(b, 4), 5u);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 13), std::string("Tiny\0", 5));
  std::size_t at = 13;
  EXPECT_EQ(b[at], 8);       // class
  EXPECT_EQ(b[at + 1], 0);   // attribute
  EXPECT_EQ(U32(b, at + 2), 200u);
  EXPECT_EQ(U32(b, at + 6), 600u);
  EXPECT_EQ(b[at + 10], 2);  // the successor's index: past the empty entry
  EXPECT_EQ(U32(b, at + 11), 1u);
  EXPECT_EQ(U16(b, at + 15), 1);
  EXPECT_EQ(U16(b, at + 21), 4);
  EXPECT_EQ(U16(b, at + 23), 150);
  EXPECT_EQ(b[at + 25], 2);  // slots
  EXPECT_EQ(U32(b, at + 26), 10u);
  EXPECT_EQ(U32(b, at + 34), 70u);
  EXPECT_EQ(U32(b, at + 42), (1u << 1) | (1u << 10));
  EXPECT_EQ(U32(b, at + 62), 0x1000u);
  at += 26 + 2 * 20;
  EXPECT_EQ(U32(b, at), 0xFFFFFFFFu);  // the empty entry
  EXPECT_EQ(U32(b, at + 4), 11u);
  EXPECT_EQ(b.back(), 0);  // section 4 is empty
}

TEST(CompileHulls, RefusesBadSources) {
  ExpectProblem(CompileHulls("section 0\nhull \"A\" xxxx 1 2 1 1 1 1 1 l - yes\n"), 2, "unit class");
  ExpectProblem(CompileHulls("layout l\n slot 1 1 1 1 laser\n"), 2, "module type");
  ExpectProblem(CompileHulls("layout l\n slot 230 1 1 1 any\n"), 2, "outside");
  std::string many = "layout l\n";
  for (int i = 0; i < 21; ++i) many += " slot 1 1 1 1 any\n";
  ExpectProblem(CompileHulls(many), 22, "at most 20");
  const std::string name50(50, 'n');
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"" + name50 + "\" dest 1 2 1 1 1 1 1 l - yes\n"), 3,
                "1 to 49");
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"A\" dest 1 2 1 1 1 1 1 l \"B\" yes\n"), 3, "next hull");
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"A\" dest 5 2 1 1 1 1 1 l - yes\n"), 3, "limit");
  ExpectProblem(CompileHulls("hull \"A\" dest 1 2 1 1 1 1 1 l - yes\n"), 1, "outside a section");
  ExpectProblem(CompileHulls("section 0\nsection 0\n"), 2, "twice");
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"A\" dest 1 2\n"), 3, "fields");
}

const char* const kModuleSource = R"(
modules propulsion
module "Drive" 2 1 "Drive II" 1 2 3 4 5 14 3 7 mdrv1 @drv 20 12
module "Drive II" 2 2 - 1 2 3 4 5 18 4 8 mdrv2 - 30 18
modules weapon
module "Gun" 0 1 - 30 15 10 12 25 16 8 8 wcan1 bang heat 10 12 9 1 80 unlimited cannon
)";

TEST(CompileModules, PacksTypeDataAfterTheCommonFields) {
  const CompiledFile f = CompileModules(kModuleSource);
  ASSERT_TRUE(f.problems.empty()) << f.problems[0].message;
  EXPECT_EQ(f.records, 3u);
  const auto& b = f.bytes;
  ASSERT_EQ(b.size(), 2 * (92 + 8) + 92 + 10u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data())), "Drive");
  EXPECT_EQ(b[30], 1 << 2);  // guild mask
  EXPECT_EQ(b[32], 5);       // type
  EXPECT_EQ(U16(b, 33), 1);
  EXPECT_EQ(U16(b, 53), 1);  // successor: module 1
  EXPECT_EQ(U16(b, 57), 1005);  // help topic
  EXPECT_EQ(b[61], 14);
  EXPECT_EQ(b[63], 1);       // tech level
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[64])), "mdrv1");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[70])), "@drv");
  EXPECT_EQ(U16(b, 89), 3);  // power use
  EXPECT_EQ(b[91], 7);       // mass
  EXPECT_EQ(b[92], 20);      // thrust, three words, local thrust
  EXPECT_EQ(b[99], 12);
  EXPECT_EQ(U16(b, 100 + 53), 0xFFFF);
  EXPECT_EQ(b[100 + 70], 0);  // no sound
  const std::size_t gun = 200;
  EXPECT_EQ(b[gun + 30], 1);
  EXPECT_EQ(b[gun + 92], 4);  // heat
  EXPECT_EQ(U16(b, gun + 94), 12);
  EXPECT_EQ(b[gun + 98], 1);
  EXPECT_EQ(b[gun + 100], 255);  // unlimited
  EXPECT_EQ(b[gun + 101], 2);    // cannon
}

TEST(CompileModules, RefusesBadSources) {
  ExpectProblem(CompileModules("modules laser\n"), 1, "module type");
  ExpectProblem(CompileModules("module \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - 5\n"), 1, "before");
  ExpectProblem(CompileModules("modules scout\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i -\n"), 2, "fields");
  ExpectProblem(CompileModules("modules scout\nmodule \"" + std::string(30, 'a') + "\" 0 1 - 1 1 1 1 1 1 1 1 i - 5\n"),
                2, "1 to 29");
  ExpectProblem(CompileModules("modules scout\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 images - 5\n"), 2, "image");
  ExpectProblem(CompileModules("modules weapon\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - laser 1 2 1 1 50 5 beam\n"), 2,
                "attack");
  ExpectProblem(CompileModules("modules weapon\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - heat 1 700 1 1 50 5 beam\n"),
                2, "1..630");
  ExpectProblem(CompileModules("modules weapon\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - heat 1 5 9 1 50 5 beam\n"), 2,
                "effective");
  ExpectProblem(CompileModules("modules computer\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - combat 1,2,3\n"), 2,
                "nine bonuses");
  ExpectProblem(CompileModules("modules defense\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - 5 1,1,1,1,1,1,1,1 1100\n"), 2,
                "flags");
  ExpectProblem(CompileModules("modules scout\nmodule \"A\" 0 1 \"B\" 1 1 1 1 1 1 1 1 i - 5\n"
                               "module \"B\" 1 1 - 1 1 1 1 1 1 1 1 i - 5\n"),
                2, "not another module of the guild");
  ExpectProblem(CompileModules("modules scout\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - 5\n"
                               "module \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - 5\n"),
                3, "twice");
}

}  // namespace
