// Texels converted into the device's 16-bit texel format.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/material/material.h"
#include "sg/raster/ddinfo.h"

namespace {

constexpr SGPixelFormat k565{5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x001F, 0};
constexpr SGPixelFormat k555{5, 0x7C00, 10, 5, 0x03E0, 5, 5, 0x001F, 0};

class TexelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ddi_.ddiBPP = 16;
    ddi_.ddiTexelFormat = &format_;
    ddi_.ddiSysColours = sys_.data();
    ctx_->ctxDDI = &ddi_;
    // A palette whose entry 0 is a colour, not black; entry 3 is black.
    colours_.fill(SGPalEntry{});
    colours_[0] = SGPalEntry{255, 0, 0, 0};
    colours_[1] = SGPalEntry{0, 255, 0, 0};
    colours_[2] = SGPalEntry{0, 0, 255, 0};
    pal_.tpColours = colours_.data();
    pal_.tpNumColours = 4;
    pal_.tpRefCnt = 1;
    info_.tpiPal = &pal_;
    txm_.txmInfo = &info_;
  }
  void TearDown() override {
    SGFree(pal_.tpMapped);
    SGContextDestroy(ctx_);
  }

  // An indexed texture of w x h texels in rows `pitch` bytes apart; the bytes
  // past each row are 0xEE.
  void Indexed(std::uint32_t format, std::uint32_t w, std::uint32_t h, std::uint32_t pitch,
               const std::vector<std::uint8_t>& texels) {
    texels_.assign(static_cast<std::size_t>(pitch) * h, 0xEE);
    for (std::uint32_t y = 0; y < h; ++y) {
      for (std::uint32_t x = 0; x < w; ++x) texels_[y * pitch + x] = texels[y * w + x];
    }
    info_.tpiTexels = texels_.data();
    txm_.txmFormat = format;
    txm_.txmSize = SGVec2u{{w, h}};
    txm_.txmPitch = pitch;
  }

  std::vector<std::uint16_t> Convert(std::uint32_t destPitchTexels, std::uint32_t rows, std::uint32_t step = 1) {
    std::vector<std::uint16_t> out(static_cast<std::size_t>(destPitchTexels) * rows, 0xBEEF);
    EXPECT_EQ(ISGD3DConvertTexels16(ctx_, &txm_, reinterpret_cast<std::uint8_t*>(out.data()),
                                    static_cast<std::int32_t>(destPitchTexels * 2), step),
              SG_ERROR_NONE);
    return out;
  }

  SGContext* ctx_ = nullptr;
  SGDDInfo ddi_{};
  SGPixelFormat format_ = k565;
  std::array<SGPalEntry, 256> sys_{};
  std::array<SGPalEntry, 256> colours_{};
  SGTexturePalette pal_{};
  SGTextureInfo info_{};
  SGTextureMap txm_{};
  std::vector<std::uint8_t> texels_;
};

TEST_F(TexelTest, RowsAreReadAtTheTexturesPitchAndWrittenAtTheSurfacesPitchWhichStaysUntouched) {
  Indexed(SG_TXM_FORMAT_IDX8, 2, 2, 5, {0, 1, 2, 0});
  const auto out = Convert(3, 2);
  EXPECT_EQ(pal_.tpMapped, nullptr);  // the software fills' table is theirs alone
  // 5-6-5: red 0xF800, green 0x07E0, blue 0x001F; the third texel of each
  // destination row is the surface's padding and is left alone.
  EXPECT_EQ(out, (std::vector<std::uint16_t>{0xF800, 0x07E0, 0xBEEF, 0x001F, 0xF800, 0xBEEF}));
  EXPECT_EQ(txm_.txmPitch, 5u);
}

TEST_F(TexelTest, PaletteEntryZeroKeepsItsColourUnlessTheTextureIsKeyed) {
  Indexed(SG_TXM_FORMAT_IDX8, 4, 1, 4, {0, 1, 2, 3});
  EXPECT_EQ(Convert(4, 1), (std::vector<std::uint16_t>{0xF800, 0x07E0, 0x001F, 0x0000}));
  // Keyed: index 0 is the key colour 0, and a black texel of another index
  // becomes 1 so that it is drawn.
  txm_.txmFormat = SG_TXM_FORMAT_IDX8_KEYED;
  EXPECT_EQ(Convert(4, 1), (std::vector<std::uint16_t>{0x0000, 0x07E0, 0x001F, 0x0001}));
  // The shared palette itself was never changed.
  EXPECT_EQ(pal_.tpColours[0].red, 255);
  txm_.txmFormat = SG_TXM_FORMAT_IDX8;
  EXPECT_EQ(Convert(4, 1)[0], 0xF800);
}

// A palette the software fills mapped first holds 16-bit pixels in its
// mapped table, not device colours: the conversion reads the palette itself.
TEST_F(TexelTest, APaletteMappedForTheSoftwareFillsStillConvertsFromItsColours) {
  ddi_.ddiPixelFormat = &format_;
  colours_[200] = SGPalEntry{0, 255, 0, 0};
  pal_.tpNumColours = 256;
  ASSERT_EQ(ISGContextMapPalette(ctx_, &txm_), SG_ERROR_NONE);
  Indexed(SG_TXM_FORMAT_IDX8, 4, 1, 4, {1, 2, 200, 0});
  EXPECT_EQ(Convert(4, 1), (std::vector<std::uint16_t>{0x07E0, 0x001F, 0x07E0, 0xF800}));
}

TEST_F(TexelTest, A555DeviceSetsTheOpaqueBitOnEveryTexelButTheKey) {
  format_ = k555;
  Indexed(SG_TXM_FORMAT_PAL8_KEYED, 3, 1, 3, {0, 1, 3});
  EXPECT_EQ(Convert(3, 1), (std::vector<std::uint16_t>{0x0000, 0x83E0, 0x8000}));
}

TEST_F(TexelTest, AReductionStepTakesEveryKthTexelOfEveryKthRow) {
  std::vector<std::uint8_t> t(16);
  for (int i = 0; i < 16; ++i) t[i] = static_cast<std::uint8_t>(i % 3);
  Indexed(SG_TXM_FORMAT_IDX8, 4, 4, 4, t);
  // Texels (0,0), (2,0), (0,2), (2,2): indices 0, 2, 2, 1.
  EXPECT_EQ(Convert(2, 2, 2), (std::vector<std::uint16_t>{0xF800, 0x001F, 0x001F, 0x07E0}));
}

TEST_F(TexelTest, TrueColourTexelsConvertDirectlyAndUnsupportedOnesAreRefused) {
  std::vector<std::uint8_t> rgba{255, 255, 255, 0, 4, 0, 0, 0};
  info_.tpiTexels = rgba.data();
  txm_.txmFormat = SG_TXM_FORMAT_RGBA32 | SG_TXM_KEYED;
  txm_.txmSize = SGVec2u{{2, 1}};
  txm_.txmPitch = 8;
  // Nearly black converts to 0 but is not the key: it becomes 1.
  EXPECT_EQ(Convert(2, 1), (std::vector<std::uint16_t>{0xFFFF, 0x0001}));
  txm_.txmFormat = SG_TXM_FORMAT_RAW1;
  std::uint16_t out[2];
  EXPECT_EQ(ISGD3DConvertTexels16(ctx_, &txm_, reinterpret_cast<std::uint8_t*>(out), 4, 1), SG_ERROR_UNSUPPORTED);
  // A pitch narrower than the row would read past the texels.
  txm_.txmFormat = SG_TXM_FORMAT_RGBA32;
  txm_.txmPitch = 4;
  EXPECT_EQ(ISGD3DConvertTexels16(ctx_, &txm_, reinterpret_cast<std::uint8_t*>(out), 4, 1), SG_ERROR_UNSUPPORTED);
}

}  // namespace
