#include "Game/base/GIDString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "platform/resource/module.h"

namespace {

// Points the program's module at a fixture module for the life of a test.
class ProgramModule {
 public:
  explicit ProgramModule(const char* file) { plat::SetProgramModulePath(std::string(QUEN_TEST_DATA_DIR) + "/" + file); }
  ~ProgramModule() { plat::SetProgramModulePath("/nonexistent/quenbar.dll"); }
};

class IDStringTest : public ::testing::Test {
 protected:
  ProgramModule module{"texts.dll"};
  CIDString ids;
};

TEST(CompareTextIdsTest, ComparesUnsignedBytes) {
  EXPECT_EQ(CompareTextIds("AAAAAAAA", "AAAAAAAA"), 0);
  EXPECT_EQ(CompareTextIds("AAAAAAAB", "AAAAAAAA"), 1);
  EXPECT_EQ(CompareTextIds("AAAAAAAA",
                           "\xC9"
                           "AAAAAAA"),
            -1);
  EXPECT_EQ(CompareTextIds("SAVEGAMEX", "SAVEGAMEY"), 0);  // only 8 bytes count
}

TEST_F(IDStringTest, FindUsesTheFirstEightCharacters) {
  int number = 0;
  int length = 77;
  EXPECT_EQ(ids.Find("GREETING", &number, &length), 2);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(length, 30);
  // \xC9 sorts after 'Z'.
  for (auto [id, index] : {std::pair{"GREETINGXY", 2},
                           {"SHORT", 8},
                           {"\xC9"
                            "CLAIRS_",
                            11},
                           {"AAAAAAAA", 1},
                           {"ZZZZZZZZ", 10}})
    EXPECT_EQ(ids.Find(id, &number, &length), index) << id;
  length = 77;  // a miss leaves it alone
  for (const char* id : {"0BELOWAL",
                         "\xFF"
                         "ABOVE",
                         "GREETINH", ""})
    EXPECT_EQ(ids.Find(id, &number, &length), -1) << id;
  EXPECT_EQ(std::make_tuple(number, length), std::make_tuple(-1, 77));
}

TEST_F(IDStringTest, RawTextIsLoadedWithTheIndexLength) {
  auto raw = ids.LoadRawText("GREETING");
  ASSERT_NE(raw, nullptr);
  EXPECT_STREQ(raw.get(), "Hello %s1, you have %n2 ships");
  auto cut = ids.LoadRawText("TRUNCATE");
  ASSERT_NE(cut, nullptr);
  EXPECT_STREQ(cut.get(), "trun");
  EXPECT_EQ(ids.LoadRawText("NOSUCHID"), nullptr);
}

TEST_F(IDStringTest, GetTextFillsAndCuts) {
  char dst[255];
  EXPECT_STREQ(ids.GetText("GREETING", dst, sizeof dst, "Ann", 3), "Hello Ann, you have 3 ships");
  EXPECT_STREQ(ids.GetText("PERCENT_", dst, sizeof dst), "100% sure");
  EXPECT_STREQ(ids.GetText("REFTEXT_", dst, sizeof dst), "Guild: Ruby %s1.");
  EXPECT_STREQ(ids.GetText("MALFORMD", dst, sizeof dst, "a.rpl"), "Error: Can't write to s!");

  char small[5];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(ids.GetText("LONGTEXT", small, sizeof small), small);
  EXPECT_STREQ(small, "The ");

  std::strcpy(dst, "old");
  EXPECT_EQ(ids.GetText("NOSUCHID", dst, sizeof dst, 1), dst);
  EXPECT_STREQ(dst, "");
}

TEST_F(IDStringTest, GetTextAllocFitsTheText) {
  auto text = ids.GetTextAlloc("GREETING", std::string("Bo"), -1);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text.get(), "Hello Bo, you have -1 ships");
  EXPECT_EQ(ids.GetTextAlloc("NOSUCHID"), nullptr);
}

TEST(IDStringBadModuleTest, ACorruptOrMissingIndexIsEmpty) {
  int number = 0;
  int length = 0;
  char dst[16] = "old";
  {
    ProgramModule module("badindex.dll");  // promises 1000 entries, holds 1
    CIDString ids;
    EXPECT_EQ(ids.Find("AAAAAAAA", &number, &length), -1);
    EXPECT_STREQ(ids.GetText("AAAAAAAA", dst, sizeof dst), "");
  }
  {
    ProgramModule module("nosuchmodule.dll");
    CIDString ids;
    EXPECT_EQ(ids.Find("AAAAAAAA", &number, &length), -1);
    EXPECT_EQ(ids.GetTextAlloc("AAAAAAAA"), nullptr);
  }
}

}  // namespace
