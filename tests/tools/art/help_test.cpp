// The help module holds every topic of the help texts, as the game reads it.

#include <gtest/gtest.h>

#include "paths.h"
#include "platform/core/bytes.h"
#include "platform/resource/module.h"
#include "tests/support/source_scan.h"
#include "tools/help/topics.h"

TEST(Help, TopicsReadBackFromTheBuiltModule) {
  const auto topics = help::ParseTopics(quentest::ReadWholeFile(SourceDir() / "data" / "help" / "topics.txt"));
  ASSERT_GT(topics.size(), 100u);
  plat::HMODULE module = plat::LoadLibrary((InstallDir() / "HELP" / "help.dll").string().c_str());
  ASSERT_NE(module, nullptr);
  for (const auto& t : topics) {
    const auto bytes =
        plat::ResourceBytes(module, plat::ResName("#" + std::to_string(t.number)), plat::ResName("HELP"));
    plat::ByteReader r(bytes);
    const std::uint32_t length = r.U32();
    ASSERT_TRUE(r.Ok()) << t.number;
    EXPECT_EQ(length + 4u, bytes.size()) << t.number;
    const std::string body(bytes.begin() + 4, bytes.end());
    EXPECT_EQ(body, t.title + "\r\n\r\n" + t.text);
  }
  // the topics the game screen names for its control buttons and info panels
  for (int n : {201, 239, 260, 308, 319, 1000, 1010}) {
    EXPECT_FALSE(plat::ResourceBytes(module, plat::ResName(n), plat::ResName("HELP")).empty()) << n;
  }
  plat::FreeLibrary(module);
}

TEST(Help, RefusesMalformedTopics) {
  EXPECT_EQ(help::ParseTopics("# c\n\n7 | T | x\n")[0].number, 7);
  for (const char* bad :
       {"7 | T\n", "x | T | t\n", "0 | T | t\n", "70000 | T | t\n", "7 | T | t\n7 | U | u\n", "7 |  | t\n"}) {
    EXPECT_THROW(help::ParseTopics(bad), std::runtime_error) << bad;
  }
}
