#include <cstring>
#include <string>

#include "platform/resource/module.h"
#include "tests/platform/resource/fixture.h"

namespace {

using restest::FixtureModule;

class LoadStringTest : public FixtureModule {};

TEST_F(LoadStringTest, FindsStringsAcrossBlockEdges) {
  char buf[64];
  EXPECT_EQ(plat::LoadString(module_, 0, buf, sizeof buf), 4);
  EXPECT_STREQ(buf, "zero");
  EXPECT_EQ(plat::LoadString(module_, 15, buf, sizeof buf), 15);
  EXPECT_STREQ(buf, "last of block 0");
  EXPECT_EQ(plat::LoadString(module_, 16, buf, sizeof buf), 16);
  EXPECT_STREQ(buf, "first of block 1");
  EXPECT_EQ(plat::LoadString(module_, 65535, buf, sizeof buf), 3);
  EXPECT_STREQ(buf, "top");
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

TEST_F(LoadStringTest, ConvertsToWindows1252) {
  char buf[64];
  ASSERT_GT(plat::LoadString(module_, 40, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "Say \"hi\"\tnow\n");
  ASSERT_GT(plat::LoadString(module_, 300, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "caf\xE9 \\ end");
  ASSERT_GT(plat::LoadString(module_, 301, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "\x80uro");  // the euro sign's place in the code page
  ASSERT_GT(plat::LoadString(module_, 302, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "snow ?");  // no such character in the code page
}

}  // namespace
