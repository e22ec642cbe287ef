#include "Game/base/GPersist.h"

#include <gtest/gtest.h>

#include "tests/Game/base/sandbox.h"

namespace {

using model_test::Sandbox;

TEST(PersistTest, ValidityByteIsWrittenAndChecked) {
  Sandbox box;
  plat::FILE* fp = plat::fopen("C:\\v.bin", "wb");
  EXPECT_EQ(WriteValidityByte(fp), 1);
  plat::fclose(fp);
  EXPECT_EQ(box.Read("c/v.bin"), "\xFE");

  box.Write("c/mixed.bin", "\xFD\xFE");
  fp = plat::fopen("C:\\mixed.bin", "rb");
  EXPECT_EQ(ReadValidityByte(fp), 0);  // 0xFD, consumed
  EXPECT_EQ(ReadValidityByte(fp), 1);  // 0xFE
  EXPECT_EQ(ReadValidityByte(fp), 0);  // end of file
  plat::fclose(fp);

  fp = plat::fopen("C:\\mixed.bin", "rb");  // read-only: the write fails
  EXPECT_EQ(WriteValidityByte(fp), 0);
  plat::fclose(fp);
}

TEST(PersistTest, CopyWholeFile) {
  Sandbox box;
  std::string binary(
      "a\r\nb\0c\x1A"
      "d",
      8);
  box.Write("c/save/game.clt", binary);
  EXPECT_EQ(CopyWholeFile("C:\\save\\game.clt", "C:\\save\\copy.clt"), 1);
  EXPECT_EQ(box.Read("c/save/copy.clt"), binary);  // byte for byte, no text translation

  box.Write("c/empty.clt", "");
  EXPECT_EQ(CopyWholeFile("C:\\empty.clt", "C:\\empty2.clt"), 1);
  EXPECT_TRUE(std::filesystem::exists(box.Host("c/empty2.clt")));
  EXPECT_EQ(box.Read("c/empty2.clt"), "");

  EXPECT_EQ(CopyWholeFile("C:\\missing.clt", "C:\\x.clt"), 0);
  EXPECT_FALSE(std::filesystem::exists(box.Host("c/x.clt")));
  EXPECT_EQ(CopyWholeFile("C:\\empty.clt", "Q:\\nodrive\\x.clt"), 0);
}

}  // namespace
