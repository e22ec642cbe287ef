#include "platform/core/bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

using Image = std::vector<std::uint8_t>;

Image Bytes(std::span<const std::uint8_t> s) { return {s.begin(), s.end()}; }

TEST(BytesTest, SignedAndFloatFieldsRoundTripThroughTheirImages) {
  plat::ByteWriter w;
  w.I8(-1);
  w.I16(-2);
  w.I32(std::numeric_limits<std::int32_t>::min());
  w.I64(-3);
  w.F32(-0.0f);
  w.F64(0.1);
  w.U64(0x0102030405060708ull);
  ASSERT_TRUE(w.Ok());
  const Image expected = {0xFF, 0xFE, 0xFF, 0x00, 0x00, 0x00, 0x80, 0xFD, 0xFF, 0xFF, 0xFF, 0xFF,
                          0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x9A, 0x99, 0x99, 0x99, 0x99,
                          0x99, 0xB9, 0x3F, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01};
  EXPECT_EQ(Bytes(w.Data()), expected);

  plat::ByteReader r(w.Data());
  EXPECT_EQ(r.I8(), -1);
  EXPECT_EQ(r.I16(), -2);
  EXPECT_EQ(r.I32(), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(r.I64(), -3);
  const float negativeZero = r.F32();
  EXPECT_TRUE(negativeZero == 0.0f && std::signbit(negativeZero));
  EXPECT_EQ(r.F64(), 0.1);
  EXPECT_EQ(r.U64(), 0x0102030405060708ull);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.Remaining(), 0u);
}

// A run of images decodes field by field in order, whatever the field's
// width and sign; a run of another length is refused and leaves the fields
// alone.
TEST(BytesTest, RunsOfImagesDecodeWholeOrNotAtAll) {
  const Image bytes = {0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x80};
  std::array<std::uint32_t, 3> words{};
  ASSERT_TRUE(plat::DecodeLEArray<std::uint32_t>(bytes, words));
  EXPECT_EQ(words, (std::array<std::uint32_t, 3>{0x01020304u, 0x7FFFFFFFu, 0x80000000u}));
  std::array<std::int16_t, 6> halves{};
  ASSERT_TRUE(plat::DecodeLEArray<std::int16_t>(bytes, halves));
  EXPECT_EQ(halves, (std::array<std::int16_t, 6>{0x0304, 0x0102, -1, 0x7FFF, 0, std::int16_t(-0x8000)}));

  std::array<std::uint32_t, 2> tooFew{7, 8};
  EXPECT_FALSE(plat::DecodeLEArray<std::uint32_t>(bytes, tooFew));
  EXPECT_EQ(tooFew, (std::array<std::uint32_t, 2>{7, 8}));
  std::array<std::uint32_t, 4> tooMany{1, 2, 3, 4};
  EXPECT_FALSE(plat::DecodeLEArray<std::uint32_t>(bytes, tooMany));
  EXPECT_EQ(tooMany, (std::array<std::uint32_t, 4>{1, 2, 3, 4}));
  EXPECT_TRUE(plat::DecodeLEArray<std::uint32_t>({}, std::span<std::uint32_t>()));
}

TEST(BytesTest, ReaderNeverPassesTheEndAndStaysFailed) {
  const std::array<std::uint8_t, 5> b = {1, 2, 3, 4, 5};
  plat::ByteReader r(b);
  EXPECT_EQ(r.U32(), 0x04030201u);
  std::uint16_t kept = 77;
  EXPECT_FALSE(r.Read(kept));
  EXPECT_EQ(kept, 77);   // untouched
  EXPECT_EQ(r.U8(), 0);  // a byte is there, but the reader has failed
  EXPECT_EQ(r.Remaining(), 0u);
  EXPECT_TRUE(r.Bytes(0).empty());
  EXPECT_FALSE(r.Seek(0));  // no way back once failed

  plat::ByteReader s(b, 3);
  EXPECT_FALSE(s.Skip(3));
  EXPECT_EQ(s.Pos(), 3u);  // a refused skip moves nowhere
  EXPECT_FALSE(plat::ByteReader(b, 6).Ok());
  EXPECT_TRUE(plat::ByteReader(b, 5).Ok());

  plat::ByteReader t(b);
  EXPECT_FALSE(t.Seek(6));
  EXPECT_FALSE(t.Ok());
  plat::ByteReader u(b);
  EXPECT_TRUE(u.Bytes(6).empty());
  EXPECT_FALSE(u.Ok());
}

TEST(BytesTest, ReaderAlignsFromTheStart) {
  const std::array<std::uint8_t, 9> b{};
  plat::ByteReader r(b, 1);
  EXPECT_TRUE(r.Align(4));
  EXPECT_EQ(r.Pos(), 4u);
  EXPECT_TRUE(r.Align(4));  // already there
  EXPECT_EQ(r.Pos(), 4u);
  r.Skip(5);
  EXPECT_FALSE(r.Align(2));  // would pass the end
  EXPECT_FALSE(plat::ByteReader(b).Align(0));
}

TEST(BytesTest, RandomAccessIsBoundedAndLeavesTheReaderAlone) {
  const std::array<std::uint8_t, 8> b = {0, 0, 0x80, 0x3F, 0, 0, 0, 0x40};
  plat::ByteReader r(b);
  float f = 0;
  EXPECT_TRUE(r.ReadAt(4, f));
  EXPECT_EQ(f, 2.0f);
  std::uint32_t v = 9;
  EXPECT_FALSE(r.ReadAt(5, v));
  EXPECT_FALSE(r.ReadAt(std::numeric_limits<std::size_t>::max() - 1, v));
  EXPECT_EQ(v, 9u);
  EXPECT_FALSE(r.Has(std::numeric_limits<std::size_t>::max(), 2));
  EXPECT_TRUE(r.Has(8, 0));

  std::array<float, 2> pair = {7, 7};
  EXPECT_TRUE(r.ReadAt(0, std::span<float>(pair)));
  EXPECT_EQ(pair, (std::array<float, 2>{1.0f, 2.0f}));
  std::array<float, 3> three = {7, 7, 7};
  EXPECT_FALSE(r.ReadAt(0, std::span<float>(three)));
  EXPECT_EQ(three[0], 7.0f);  // all or none
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.Pos(), 0u);
}

TEST(BytesTest, FixedWriterNeverOverrunsItsSpan) {
  std::array<std::uint8_t, 6> buf;
  buf.fill(0xEE);
  plat::ByteWriter w(std::span<std::uint8_t>(buf).first(5));
  EXPECT_TRUE(w.U16(0x0102));
  EXPECT_FALSE(w.U32(0x03040506));  // two bytes short: none written
  EXPECT_FALSE(w.U8(9));            // sticky
  EXPECT_FALSE(w.Zeros(1));
  EXPECT_EQ(w.Size(), 2u);
  EXPECT_EQ(Bytes(buf), (Image{0x02, 0x01, 0xEE, 0xEE, 0xEE, 0xEE}));

  plat::ByteWriter z(std::span<std::uint8_t>(buf).first(5));
  z.U8(1);
  EXPECT_TRUE(z.Align(4));
  EXPECT_FALSE(z.Align(8));
  EXPECT_EQ(Bytes(buf), (Image{0x01, 0, 0, 0, 0xEE, 0xEE}));
}

TEST(BytesTest, PatchesStayInsideTheImage) {
  plat::ByteWriter w;
  w.U32(0);
  w.Chars("ab");
  EXPECT_TRUE(w.WriteAt(0, std::uint32_t{6}));
  EXPECT_TRUE(w.WriteAt(5, std::uint8_t{'c'}));
  EXPECT_EQ(w.Take(), (Image{6, 0, 0, 0, 'a', 'c'}));
  EXPECT_EQ(w.Size(), 0u);  // taken

  plat::ByteWriter g;
  g.U16(0);
  EXPECT_FALSE(g.WriteAt(1, std::uint16_t{1}));  // a growing image is patched only where written
  EXPECT_FALSE(g.U8(0));
  EXPECT_EQ(Bytes(g.Data()), (Image{0, 0}));

  // A fixed span takes fields anywhere in it, written in order or not.
  std::array<std::uint8_t, 8> buf{};
  plat::ByteWriter f(buf);
  const std::array<float, 1> one = {1.0f};
  EXPECT_TRUE(f.WriteAt(4, std::span<const float>(one)));
  EXPECT_EQ(f.Size(), 0u);
  EXPECT_FALSE(f.WriteAt(6, std::uint32_t{1}));
  EXPECT_EQ(Bytes(buf), (Image{0, 0, 0, 0, 0, 0, 0x80, 0x3F}));
}

// A source that hands out a few bytes, then reports a short read.
class ShortSource : public plat::FieldReader<ShortSource> {
 private:
  friend class plat::FieldReader<ShortSource>;
  bool ReadRaw(std::span<std::uint8_t> out) {
    for (std::uint8_t& b : out) b = left_ > 0 ? left_-- : 0xAA;  // scribbles before it fails
    return left_ > 0 || out.empty();
  }
  std::uint8_t left_ = 3;
};

TEST(BytesTest, OtherSourcesShareTheFieldReads) {
  ShortSource s;
  std::uint32_t v = 5;
  EXPECT_FALSE(s.Read(v));
  EXPECT_EQ(v, 5u);
  EXPECT_FALSE(s.Ok());
}

}  // namespace
