// The block reader's bulk reads: in place from memory, through the file's
// reads otherwise, never past the end of either.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "tests/Game/base/sandbox.h"
#include "tests/support/scoped_file.h"

namespace model_test {
namespace {

std::vector<std::uint8_t> Counting(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return bytes;
}

TEST(BlockReader, BlocksComeInPlaceFromMemoryAndThroughTheScratchFromAFile) {
  const auto bytes = Counting(40);
  BlockReader memory(bytes);
  std::array<std::uint8_t, 10> scratch{};
  const auto block = memory.Block(scratch);
  EXPECT_EQ(block.data(), bytes.data());  // no copy
  EXPECT_EQ(memory.Rest().size(), 30u);
  EXPECT_TRUE(memory.Skip(25));
  EXPECT_TRUE(memory.Block(scratch).empty());  // 5 left: refused whole
  EXPECT_FALSE(memory.Ok());
  EXPECT_TRUE(memory.Rest().empty());
  EXPECT_FALSE(memory.Skip(0));

  Sandbox box;
  const std::string text(bytes.begin(), bytes.end());
  box.Write("c/block.bin", text);
  quentest::ScopedFile fp("C:\\block.bin", "rb");
  BlockReader file(fp.get());
  const auto fromFile = file.Block(scratch);
  EXPECT_EQ(fromFile.data(), scratch.data());
  EXPECT_EQ(std::vector<std::uint8_t>(fromFile.begin(), fromFile.end()),
            std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 10));
  EXPECT_TRUE(file.Rest().empty());
  EXPECT_FALSE(file.Skip(1));  // a file is not passed over unread
}

TEST(BlockReader, ARunOfFieldsReadsAsFieldByFieldAndRefusesAShortOne) {
  // More than one scratch's worth, so that the run is read in several blocks.
  const auto bytes = Counting(4 * 200 + 3);
  BlockReader bulk(bytes), single(bytes);
  std::vector<std::uint32_t> run(200), each(200);
  ASSERT_TRUE(bulk.ReadEach<std::uint32_t>(run));
  for (std::uint32_t& v : each) single.Read(v);
  EXPECT_EQ(run, each);
  EXPECT_EQ(bulk.Pos(), single.Pos());
  std::vector<std::uint16_t> tooLong(2);
  EXPECT_FALSE(bulk.ReadEach<std::uint16_t>(tooLong));
  EXPECT_FALSE(bulk.Ok());
}

TEST(FixedFields, DecodeInOrderLittleEndian) {
  const std::array<std::uint8_t, 9> bytes{0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAA, 0xBB};
  FixedFields<9> f{std::span<const std::uint8_t, 9>(bytes)};
  EXPECT_EQ(f.U8(), 0x01);
  EXPECT_EQ(f.U16(), 0x1234);
  EXPECT_EQ(f.U32(), 0x12345678u);
  EXPECT_EQ(f.Take<2>()[1], 0xBB);
  EXPECT_EQ(f.Used(), 9u);
}

}  // namespace
}  // namespace model_test
