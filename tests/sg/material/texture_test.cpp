// Texture maps, palettes and materials read from their files.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <tuple>

#include "../sgtest.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/material/material.h"
#include "sg/raster/ddinfo.h"

namespace {

using sgtest::Bytes;

Bytes Header(std::uint32_t format, std::uint32_t w, std::uint32_t h, std::uint32_t pitch) {
  Bytes b;
  b.U32(format).U32(0xBAD).U32(w).U32(h).U32(pitch).U32(1).U32(2).U32(3);
  return b;
}

Bytes Palette(int n) {
  Bytes b;
  b.U8(static_cast<std::uint8_t>(n - 1));
  for (int i = 0; i < n; ++i) {
    b.U8(static_cast<std::uint8_t>(i)).U8(0).U8(0).U8(0);
  }
  return b;
}

class Textures : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ASSERT_EQ(SGDataPathCreate(ctx_, ".", 0, &dp_), SG_ERROR_NONE);
  }
  void TearDown() override {
    SGDataPathDestroy(dp_);
    SGContextDestroy(ctx_);
  }
  SGError Load(const char* name, SGTextureMap** out) { return SGTextureMapLoad(dp_, name, out); }

  sgtest::TempDrive drive_;
  SGContext* ctx_ = nullptr;
  SGDataPath* dp_ = nullptr;
};

TEST_F(Textures, BinFiles) {
  Bytes b;
  b.U8(6).U8(5);
  for (int i = 0; i < 2048; ++i) b.U8(static_cast<std::uint8_t>(i));
  b.U8(0xEE);  // trailing bytes are not read
  drive_.Write("ship.bin", b.b);
  SGTextureMap* txm = nullptr;
  ASSERT_EQ(Load("ship.bin", &txm), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(txm->txmFormat, txm->txmSize.u[0], txm->txmSize.u[1]),
            std::make_tuple(SG_TXM_FORMAT_IDX8, 64u, 32u));
  EXPECT_EQ(std::make_tuple(txm->txmPitch, txm->txmInfo->tpiTexels[2047], txm->txmRefCnt, txm->txmContext),
            std::make_tuple(64u, 0xFF, 1u, ctx_));
  EXPECT_EQ(txm->txmName, nullptr);
  SGTextureMapRelease(txm);

  b.b.resize(100);
  drive_.Write("short.bin", b.b);
  EXPECT_EQ(Load("short.bin", &txm), SG_ERROR_TEXTURE_READ);
  EXPECT_EQ(txm, nullptr);
  drive_.Write("one.bin", std::vector<std::uint8_t>{4});
  EXPECT_EQ(Load("one.bin", &txm), SG_ERROR_TEXTURE_FORMAT);
  EXPECT_EQ(Load("none.bin", &txm), SG_ERROR_TEXTURE_READ);
  // Sizes of 2^31 are answered from the file's length, not by allocating.
  drive_.Write("huge.bin", std::vector<std::uint8_t>{31, 31, 1, 2, 3});
  EXPECT_EQ(Load("huge.bin", &txm), SG_ERROR_TEXTURE_READ);
}

TEST_F(Textures, HeaderFileWithOwnPalette) {
  Bytes b = Header(SG_TXM_FORMAT_PAL8, 4, 2, 4);
  b.Fill(8, 0x11);  // indices into the frame buffer's palette
  b.Fill(8, 0x02);  // indices into the texture's own palette
  b.Text("\n  pal.pal\n");
  drive_.Write("tex.hdr", b.b);
  drive_.Write("pal.pal", Palette(3).b);

  SGTextureMap* txm = nullptr;
  ASSERT_EQ(Load("tex.hdr", &txm), SG_ERROR_NONE);
  EXPECT_EQ(txm->txmFormat, SG_TXM_FORMAT_IDX8);
  EXPECT_EQ(txm->txmInfo->tpiTexels[0], 0x02);
  const SGTexturePalette* pal = txm->txmInfo->tpiPal;
  ASSERT_NE(pal, nullptr);
  EXPECT_EQ(std::make_tuple(pal->tpNumColours, pal->tpColours[2].red, pal->tpRefCnt), std::make_tuple(3u, 2, 1u));
  EXPECT_STREQ(pal->tpName, "pal.pal");

  // A second map sharing the palette keeps it alive past the first one.
  SGTextureMap* copy = nullptr;
  ASSERT_EQ(SGTextureMapCopy(txm, &copy), SG_ERROR_NONE);
  EXPECT_EQ(copy->txmInfo->tpiPal, pal);
  EXPECT_EQ(pal->tpRefCnt, 2u);
  SGTextureMapRelease(txm);
  EXPECT_EQ(pal->tpRefCnt, 1u);
  EXPECT_EQ(copy->txmInfo->tpiPal->tpColours[2].red, 2);
  SGTextureMapRelease(copy);

  // An indexed frame buffer reads only the first block and no palette.
  SGDDInfo ddi{};
  ddi.ddiMode = SG_FB_MODE_IDX;
  ctx_->ctxDDI = &ddi;
  ASSERT_EQ(Load("tex.hdr", &txm), SG_ERROR_NONE);
  EXPECT_EQ(txm->txmFormat, SG_TXM_FORMAT_IDX8);
  EXPECT_EQ(txm->txmInfo->tpiTexels[0], 0x11);
  EXPECT_EQ(txm->txmInfo->tpiPal, nullptr);
  SGTextureMapRelease(txm);
  ctx_->ctxDDI = nullptr;
}

TEST_F(Textures, HeaderFileFormats) {
  struct Case {
    std::uint32_t stored;
    std::uint32_t loaded;
  };
  for (const Case c : {Case{SG_TXM_FORMAT_IDX8_KEYED, SG_TXM_FORMAT_IDX8 | SG_TXM_KEYED},
                       Case{SG_TXM_FORMAT_IDX8_B | 0x40000000, SG_TXM_FORMAT_IDX8_B | 0x40000000},
                       Case{SG_TXM_FORMAT_PAL8_B, SG_TXM_FORMAT_IDX8_B},
                       Case{SG_TXM_FORMAT_PAL8_KEYED | 0x40000000, SG_TXM_FORMAT_IDX8 | SG_TXM_KEYED}}) {
    Bytes b = Header(c.stored, 2, 2, 2);
    b.Fill(8, 1).Text(" p.pal");
    drive_.Write("f.hdr", b.b);
    drive_.Write("p.pal", Palette(2).b);
    SGTextureMap* txm = nullptr;
    ASSERT_EQ(Load("f.hdr", &txm), SG_ERROR_NONE) << c.stored;
    EXPECT_EQ(txm->txmFormat, c.loaded) << c.stored;
    SGTextureMapRelease(txm);
  }
  // Names are told apart by their exact last four characters.
  drive_.Write("upper.TGA", (Header(SG_TXM_FORMAT_IDX8, 1, 1, 1).U8(9)).b);
  SGTextureMap* txm = nullptr;
  ASSERT_EQ(Load("upper.TGA", &txm), SG_ERROR_NONE);
  EXPECT_EQ(txm->txmInfo->tpiTexels[0], 9);
  SGTextureMapRelease(txm);
}

TEST_F(Textures, RefusesBadHeaderFiles) {
  struct Case {
    const char* what;
    Bytes file;
    SGError expected;
  };
  const Case cases[] = {
      {"format 6", Header(6, 2, 2, 2).Fill(4), SG_ERROR_UNSUPPORTED},
      {"short header", Bytes{}.U32(2).U32(0), SG_ERROR_TEXTURE_READ},
      {"pitch below the width", Header(SG_TXM_FORMAT_RGBA32, 4, 1, 8).Fill(8), SG_ERROR_TEXTURE_FORMAT},
      {"no texels", Header(SG_TXM_FORMAT_IDX8, 0, 4, 4), SG_ERROR_TEXTURE_FORMAT},
      {"texels short", Header(SG_TXM_FORMAT_IDX8, 4, 4, 4).Fill(15), SG_ERROR_FILE_READ},
      {"huge texel count", Header(SG_TXM_FORMAT_IDX8, 1, 0x7FFFFFFF, 0x7FFFFFFF).Fill(8), SG_ERROR_FILE_READ},
      {"first block short", Header(SG_TXM_FORMAT_PAL8, 4, 4, 4).Fill(10), SG_ERROR_TEXTURE_SHORT},
      {"no palette name", Header(SG_TXM_FORMAT_PAL8, 2, 2, 2).Fill(8).Text("  \n"), SG_ERROR_FILE_READ},
      {"palette name too long", Header(SG_TXM_FORMAT_PAL8, 2, 2, 2).Fill(8).Text(std::string(300, 'p')),
       SG_ERROR_FILE_READ},
      {"palette missing", Header(SG_TXM_FORMAT_PAL8, 2, 2, 2).Fill(8).Text("gone.pal"), SG_ERROR_FILE_OPEN},
      {"palette short", Header(SG_TXM_FORMAT_PAL8, 2, 2, 2).Fill(8).Text("short.pal"), SG_ERROR_TEXTURE_SHORT},
  };
  drive_.Write("short.pal", std::vector<std::uint8_t>{3, 1, 2, 3, 4, 5});
  for (const Case& c : cases) {
    drive_.Write("bad.hdr", c.file.b);
    const std::size_t before = SGMallocLiveBlocks();
    SGTextureMap* txm = nullptr;
    EXPECT_EQ(Load("bad.hdr", &txm), c.expected) << c.what;
    EXPECT_EQ(txm, nullptr) << c.what;
    EXPECT_EQ(SGMallocLiveBlocks(), before) << c.what;
  }
  SGTextureMap* none = nullptr;
  EXPECT_EQ(Load("absent.hdr", &none), SG_ERROR_FILE_OPEN);
}

TEST_F(Textures, TgaImagesAreReadTopRowFirst) {
  // 2 x 2, 24-bit, stored bottom-up as blue, green, red.
  Bytes b;
  b.U8(0).U8(0).U8(2).U16(0).U16(0).U8(0).U16(0).U16(0).U16(2).U16(2).U8(24).U8(0);
  b.U8(1).U8(2).U8(3).U8(4).U8(5).U8(6);     // file row 0 = bottom row
  b.U8(7).U8(8).U8(9).U8(10).U8(11).U8(12);  // file row 1 = top row
  drive_.Write("pic.tga", b.b);
  SGTextureMap* txm = nullptr;
  ASSERT_EQ(Load("pic.tga", &txm), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(txm->txmFormat, txm->txmPitch), std::make_tuple(SG_TXM_FORMAT_RGBA32, 8u));
  const std::uint8_t* t = txm->txmInfo->tpiTexels;
  EXPECT_EQ(std::make_tuple(t[0], t[2], t[3], t[8]), std::make_tuple(9, 7, 255, 3));
  SGTextureMapRelease(txm);

  // Run-length, 16-bit: a run of four red pixels over a 4 x 1 image.
  Bytes r;
  r.U8(0).U8(0).U8(10).U16(0).U16(0).U8(0).U16(0).U16(0).U16(4).U16(1).U8(16).U8(0);
  r.U8(0x83).U16(0x7C00);
  drive_.Write("run.tga", r.b);
  ASSERT_EQ(Load("run.tga", &txm), SG_ERROR_NONE);
  EXPECT_EQ(txm->txmInfo->tpiTexels[12], 255);
  EXPECT_EQ(txm->txmInfo->tpiTexels[13], 0);
  SGTextureMapRelease(txm);

  // No image data, pixels of no bytes, one byte cut off the end.
  for (const auto& damage : {std::function<void(Bytes&)>([](Bytes& x) { x.b[2] = 0; }),
                             std::function<void(Bytes&)>([](Bytes& x) { x.b[16] = 0; }),
                             std::function<void(Bytes&)>([](Bytes& x) { x.b.pop_back(); })}) {
    Bytes bad = b;
    damage(bad);
    drive_.Write("bad.tga", bad.b);
    EXPECT_EQ(Load("bad.tga", &txm), SG_ERROR_TEXTURE_READ);
  }
}

TEST_F(Textures, FindByNameTakesAReference) {
  drive_.Write("a.bin", Bytes{}.U8(0).U8(0).U8(7).b);
  SGTextureMap* txm = nullptr;
  ASSERT_EQ(Load("a.bin", &txm), SG_ERROR_NONE);
  txm->txmName = static_cast<char*>(SGMalloc(6));
  std::strcpy(txm->txmName, "a.bin");
  SGTextureListNode second{nullptr, txm};
  SGTextureListNode first{&second, nullptr};
  SGTextureMap* found = nullptr;
  ASSERT_EQ(SGTextureMapFind(&first, "a.bin", &found), SG_ERROR_NONE);
  EXPECT_EQ(found, txm);
  EXPECT_EQ(txm->txmRefCnt, 2u);
  EXPECT_EQ(SGTextureMapFind(&first, "b.bin", &found), SG_ERROR_FILE_OPEN);
  const std::size_t held = SGMallocLiveBlocks();
  EXPECT_EQ(SGTextureMapRelease(txm), SG_ERROR_NONE);
  EXPECT_EQ(SGMallocLiveBlocks(), held);
  EXPECT_EQ(txm->txmRefCnt, 1u);
  SGTextureMapRelease(txm);
  EXPECT_EQ(SGMallocLiveBlocks(), held - 4);  // map, info, texels, name
  EXPECT_EQ(SGTextureMapRelease(nullptr), SG_ERROR_NONE);
}

TEST_F(Textures, LoadsCleanUpWhenOutOfMemory) {
  Bytes b = Header(SG_TXM_FORMAT_PAL8, 2, 2, 2);
  b.Fill(8, 1).Text(" p.pal");
  drive_.Write("f.hdr", b.b);
  drive_.Write("p.pal", Palette(4).b);
  drive_.Write("a.bin", Bytes{}.U8(1).U8(1).Fill(4).b);
  for (const char* name : {"f.hdr", "a.bin"}) {
    sgtest::ExpectCleanOutOfMemory([this, name] {
      SGTextureMap* txm = nullptr;
      const SGError err = Load(name, &txm);
      SGTextureMapRelease(txm);
      return err;
    });
  }
}

class Materials : public Textures {};

TEST_F(Materials, RecordRoundTrip) {
  Bytes rec;
  rec.U32(0x204).U32(0xFF102030).U32(1).F32(0.5f).F32(0.75f).U32(4).U32(16).U32(0xDEAD);
  SGMaterial mat{};
  bool hasTexture = false;
  ASSERT_EQ(SGMaterialRecordRead(rec.b.data(), rec.b.size(), &mat, &hasTexture), SG_ERROR_NONE);
  EXPECT_TRUE(hasTexture);
  EXPECT_EQ(std::make_tuple(mat.matColour, mat.matDiffuse), std::make_tuple(0xFF102030u, 0.75f));
  EXPECT_EQ(mat.matInfo, nullptr);
  std::uint8_t out[SG_RECORD_SIZE];
  SGMaterialRecordWrite(&mat, hasTexture, out);
  rec.PutU32(28, 0);
  EXPECT_EQ(std::vector<std::uint8_t>(out, out + 32), rec.b);
  EXPECT_EQ(SGMaterialRecordRead(rec.b.data(), 31, &mat, &hasTexture), SG_ERROR_FILE_READ);
}

TEST_F(Materials, FilesWithShadesAndTexture) {
  drive_.Write("wide.bin", Bytes{}.U8(3).U8(2).Fill(32, 5).b);
  drive_.Write("tall.bin", Bytes{}.U8(6).U8(7).Fill(64 * 128, 5).b);
  Bytes file;
  file.U32(4).U32(0x11223344).U32(1).F32(1.f).F32(1.f).U32(2).U32(3).U32(0);
  file.U8(1).U8(2).U8(3).U8(4).U8(5).U8(6).Text("wide.bin");
  drive_.Write("m.mat", file.b);
  SGMaterial* mat = nullptr;
  ASSERT_EQ(SGMaterialLoad(dp_, "m.mat", &mat), SG_ERROR_NONE);
  EXPECT_EQ(mat->matInfo->maiLUT[5], 6);
  ASSERT_NE(mat->matTexMap, nullptr);
  EXPECT_EQ(mat->matTexMap->txmSize.u[0], 8u);
  SGMaterialDestroy(mat);

  struct Case {
    const char* what;
    Bytes file;
    SGError expected;
  };
  const Case cases[] = {
      {"texture higher than wide", Bytes{}.U32(4).U32(0).U32(1).Fill(20).Text("tall.bin"), SG_ERROR_TEXTURE_FORMAT},
      {"record short", Bytes{}.U32(4).U32(0), SG_ERROR_FILE_READ},
      {"shade table short", Bytes{}.U32(4).U32(0).U32(0).Fill(8).U32(4).U32(4).U32(0).Fill(15), SG_ERROR_TEXTURE_SHORT},
      {"shade table huge", Bytes{}.U32(4).U32(0).U32(0).Fill(8).U32(0xFFFF).U32(0xFFFF).U32(0), SG_ERROR_TEXTURE_SHORT},
      {"texture missing", Bytes{}.U32(4).U32(0).U32(1).Fill(20).Text("gone.hdr"), SG_ERROR_FILE_OPEN},
  };
  for (const Case& c : cases) {
    drive_.Write("bad.mat", c.file.b);
    const std::size_t before = SGMallocLiveBlocks();
    EXPECT_EQ(SGMaterialLoad(dp_, "bad.mat", &mat), c.expected) << c.what;
    EXPECT_EQ(mat, nullptr) << c.what;
    EXPECT_EQ(SGMallocLiveBlocks(), before) << c.what;
  }
  EXPECT_EQ(SGMaterialLoad(dp_, "absent.mat", &mat), SG_ERROR_FILE_OPEN);
  drive_.Write("m.mat", file.b);
  sgtest::ExpectCleanOutOfMemory([this] {
    SGMaterial* m = nullptr;
    const SGError err = SGMaterialLoad(dp_, "m.mat", &m);
    SGMaterialDestroy(m);
    return err;
  });
}

}  // namespace
