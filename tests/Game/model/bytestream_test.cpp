#include "Game/ByteStream.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

TEST(ByteStreamTest, FieldsAreLittleEndianWithoutPadding) {
  plat::ByteWriter w;
  w.Write(std::uint8_t{0xAB});
  w.Write(std::uint16_t{0x1234});
  w.Write(std::int32_t{-2});
  w.Write(1.0f);
  w.Write(-2.5);
  const std::vector<std::uint8_t> expected = {0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80,
                                              0x3F, 0,    0,    0,    0,    0,    0,    0x04, 0xC0};
  ASSERT_TRUE(w.Ok());
  EXPECT_EQ(std::vector<std::uint8_t>(w.Data().begin(), w.Data().end()), expected);

  plat::ByteReader r(w.Data());
  std::uint8_t a = 0;
  std::uint16_t b = 0;
  std::int32_t c = 0;
  float d = 0;
  double e = 0;
  EXPECT_TRUE(r.Read(a) && r.Read(b) && r.Read(c) && r.Read(d) && r.Read(e));
  EXPECT_EQ(a, 0xAB);
  EXPECT_EQ(b, 0x1234);
  EXPECT_EQ(c, -2);
  EXPECT_EQ(d, 1.0f);
  EXPECT_EQ(e, -2.5);
  EXPECT_EQ(r.Remaining(), 0u);
}

TEST(ByteStreamTest, ShortReadsFailAndStayFailed) {
  const std::array<std::uint8_t, 3> bytes = {1, 2, 3};
  plat::ByteReader r(bytes);
  std::uint32_t big = 77;
  EXPECT_FALSE(r.Read(big));
  EXPECT_EQ(big, 77u);  // untouched
  std::uint8_t small = 0;
  EXPECT_FALSE(r.Read(small));  // sticky, though a byte is there
  EXPECT_FALSE(r.Ok());

  plat::ByteReader s(bytes);
  EXPECT_TRUE(s.Skip(2));
  EXPECT_FALSE(s.Skip(2));
  EXPECT_FALSE(s.Read(small));
}

TEST(ByteStreamTest, FixedWriterNeverOverruns) {
  std::array<std::uint8_t, 5> buf{};
  buf.fill(0xEE);
  plat::ByteWriter w(std::span<std::uint8_t>(buf.data(), 3));
  EXPECT_TRUE(w.Write(std::uint16_t{0x0102}));
  EXPECT_FALSE(w.Write(std::uint16_t{0x0304}));
  EXPECT_FALSE(w.Write(std::uint8_t{9}));  // sticky
  EXPECT_EQ(w.Size(), 2u);
  EXPECT_EQ(buf[2], 0xEE);
  EXPECT_EQ(buf[3], 0xEE);
}

}  // namespace
