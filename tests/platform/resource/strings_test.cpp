#include <cstring>
#include <string>
#include <utility>

#include "platform/resource/module.h"
#include "tests/platform/resource/fixture.h"

namespace {

using restest::FixtureModule;

class LoadStringTest : public FixtureModule {};

// Across block edges, and converted to Windows-1252.
TEST_F(LoadStringTest, FindsStringsAcrossBlocksInTheCodePage) {
  const std::pair<unsigned, std::string> cases[] = {
      {0, "zero"},      {15, "last of block 0"},   {16, "first of block 1"},
      {65535, "top"},   {40, "Say \"hi\"\tnow\n"}, {300, "caf\xE9 \\ end"},
      {301, "\x80uro"},  // the euro sign's place in the code page
      {302, "snow ?"}};  // no such character in the code page
  for (const auto& [id, text] : cases) {
    char buf[64];
    EXPECT_EQ(plat::LoadString(module_, id, buf, sizeof buf), static_cast<int>(text.size())) << id;
    EXPECT_EQ(std::string(buf), text) << id;
  }
}

TEST_F(LoadStringTest, MissingStringsGiveZeroAndAnEmptyBuffer) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(plat::LoadString(module_, 2, buf, sizeof buf), 0);  // in a block that exists
  EXPECT_STREQ(buf, "");
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(plat::LoadString(module_, 1000, buf, sizeof buf), 0);  // in a block that does not
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(plat::LoadString(module_, 0x10000, buf, sizeof buf), 0);
}

TEST_F(LoadStringTest, TruncatesToTheBuffer) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(plat::LoadString(module_, 1, buf, 5), 4);
  EXPECT_STREQ(buf, "Hell");
  EXPECT_EQ(buf[5], 'x');  // nothing written past the size given
  EXPECT_EQ(plat::LoadString(module_, 1, buf, 6), 5);
  EXPECT_STREQ(buf, "Hello");
  buf[0] = 'x';
  EXPECT_EQ(plat::LoadString(module_, 1, buf, 1), 0);
  EXPECT_EQ(buf[0], '\0');
  buf[0] = 'x';
  EXPECT_EQ(plat::LoadString(module_, 1, buf, 0), 0);
  EXPECT_EQ(buf[0], 'x');
  EXPECT_EQ(plat::LoadString(module_, 1, nullptr, 10), 0);
}

}  // namespace
