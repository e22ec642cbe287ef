#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>

#include "../sgtest.h"
#include "sg/core/apphooks.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/core/hash.h"
#include "sg/material/material.h"
#include "sg/raster/ddinfo.h"

namespace {

std::string g_lastPath;

char* RefuseName(char*, std::uint32_t) { return nullptr; }
char* LongName(char* buf, std::uint32_t size) {
  std::memset(buf, 'x', size);  // fills every byte, terminator included
  return buf;
}
char* GameName(char* buf, std::uint32_t) {
  std::strcpy(buf, "quenbar");
  return buf;
}
int RecordPath(const char* path) {
  g_lastPath = path;
  return 0;
}
int RefusePath(const char* path) {
  g_lastPath = path;
  return 1;
}

class Context : public testing::Test {
 protected:
  void TearDown() override { SGSetApplicationHooks(nullptr, nullptr); }
};

TEST_F(Context, CreateTakesTheApplicationsName) {
  SGContext* ctx = nullptr;
  ASSERT_EQ(SGContextCreate(&ctx), SG_ERROR_NONE);
  EXPECT_STREQ(ctx->ctxName, "");
  EXPECT_EQ(std::make_tuple(ctx->ctxBufferSize, ctx->ctxDebug), std::make_tuple(1024u, 0u));
  SGContextDestroy(ctx);

  SGSetApplicationHooks(GameName, nullptr);
  ASSERT_EQ(SGContextCreate(&ctx), SG_ERROR_NONE);
  EXPECT_STREQ(ctx->ctxName, "quenbar");
  SGContextDestroy(ctx);

  // A hook that leaves no terminator still yields a bounded name.
  SGSetApplicationHooks(LongName, nullptr);
  ASSERT_EQ(SGContextCreate(&ctx), SG_ERROR_NONE);
  EXPECT_EQ(std::strlen(ctx->ctxName), SG_CONTEXT_NAME_MAX);
  SGContextDestroy(ctx);

  const std::size_t before = SGMallocLiveBlocks();
  SGSetApplicationHooks(RefuseName, nullptr);
  SGContext* untouched = nullptr;
  EXPECT_EQ(SGContextCreate(&untouched), SG_ERROR_CONTEXT_NAME);
  EXPECT_EQ(untouched, nullptr);
  EXPECT_EQ(SGMallocLiveBlocks(), before);
}

TEST_F(Context, CreateOutOfMemoryFreesPartialWork) {
  SGSetApplicationHooks(GameName, nullptr);
  EXPECT_EQ(sgtest::ExpectCleanOutOfMemory([] {
              SGContext* ctx = nullptr;
              const SGError err = SGContextCreate(&ctx);
              if (err == SG_ERROR_NONE) {
                SGContextDestroy(ctx);
              }
              return err;
            }),
            4);
}

TEST_F(Context, DataPathsJoinNamesBelowTheirDirectory) {
  sgtest::TempDrive drive;
  std::filesystem::create_directories(drive.Host("ART"));
  drive.Write("ART/tex.bin", std::string("art"));
  drive.Write("top.bin", std::string("top"));
  SGSetApplicationHooks(GameName, RecordPath);
  SGContext* ctx = nullptr;
  ASSERT_EQ(SGContextCreate(&ctx), SG_ERROR_NONE);

  SGDataPath* dot = nullptr;
  ASSERT_EQ(SGDataPathCreate(ctx, ".", 0, &dot), SG_ERROR_NONE);
  EXPECT_EQ(g_lastPath, ".");
  EXPECT_STREQ(dot->dpDir, ".\\");
  SGDataPath* art = nullptr;
  ASSERT_EQ(SGDataPathCreate(ctx, "art\\", 0, &art), SG_ERROR_NONE);
  EXPECT_STREQ(art->dpDir, "art\\");

  std::FILE* f = nullptr;
  ASSERT_EQ(SGDataPathOpen(art, "TEX.BIN", "rb", &f), SG_ERROR_NONE);
  char buf[4] = {};
  EXPECT_EQ(std::fread(buf, 1, 3, f), 3u);
  EXPECT_STREQ(buf, "art");
  std::fclose(f);
  // Absolute names, and any name without a usable data path, are opened unchanged.
  for (const char* name : {"Q:\\top.bin", "\\top.bin"}) {
    ASSERT_EQ(SGDataPathOpen(art, name, "rb", &f), SG_ERROR_NONE) << name;
    std::fclose(f);
  }
  ASSERT_EQ(SGDataPathOpen(nullptr, "top.bin", "rb", &f), SG_ERROR_NONE);
  std::fclose(f);
  EXPECT_EQ(SGDataPathOpen(art, "top.bin", "rb", &f), SG_ERROR_OPEN);
  EXPECT_EQ(f, nullptr);
  EXPECT_EQ(SGDataPathOpen(dot, std::string(600, 'a').c_str(), "rb", &f), SG_ERROR_OPEN);

  SGDataPathDestroy(art);
  SGDataPathDestroy(dot);
  EXPECT_EQ(g_lastPath, "quenbar");  // destruction hands the context's name back

  SGSetApplicationHooks(GameName, RefusePath);
  SGDataPath* refused = nullptr;
  const std::size_t before = SGMallocLiveBlocks();
  EXPECT_EQ(SGDataPathCreate(ctx, "nowhere", 0, &refused), SG_ERROR_OPEN);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(SGMallocLiveBlocks(), before);
  SGSetApplicationHooks(GameName, RecordPath);
  sgtest::ExpectCleanOutOfMemory([ctx] {
    SGDataPath* dp = nullptr;
    const SGError err = SGDataPathCreate(ctx, "x", 0, &dp);
    if (err == SG_ERROR_NONE) {
      SGDataPathDestroy(dp);
    }
    return err;
  });
  SGContextDestroy(ctx);
}

TEST_F(Context, DebugLogOpensOnceAndCloses) {
  sgtest::TempDrive drive;
  SGContext* ctx = nullptr;
  ASSERT_EQ(SGContextCreate(&ctx), SG_ERROR_NONE);
  SGContextSetDebug(ctx, SG_CTX_DEBUG_LOG);
  std::FILE* log = ctx->ctxDebugLog;
  ASSERT_NE(log, nullptr);
  EXPECT_TRUE(std::filesystem::exists(drive.Host("debug.log")));
  SGContextSetDebug(ctx, SG_CTX_DEBUG_LOG | SG_CTX_DEBUG_DRAW);
  EXPECT_EQ(ctx->ctxDebugLog, log);
  SGContextSetDebug(ctx, 0);
  EXPECT_EQ(ctx->ctxDebugLog, nullptr);
  plat::ClearDrives();  // no drive: the log cannot be opened and the bit drops
  SGContextSetDebug(ctx, SG_CTX_DEBUG_LOG);
  EXPECT_EQ(ctx->ctxDebug, 0u);
  SGContextDestroy(ctx);
}

// A texture map made in memory, released with SGTextureMapRelease.
SGTextureMap* MakeTexture(std::uint32_t format, std::uint32_t w, std::uint32_t h, std::uint32_t pitch,
                          const std::vector<std::uint8_t>& texels) {
  auto* txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
  txm->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
  txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(texels.size()));
  std::memcpy(txm->txmInfo->tpiTexels, texels.data(), texels.size());
  txm->txmFormat = format;
  txm->txmSize.u[0] = w;
  txm->txmSize.u[1] = h;
  txm->txmPitch = pitch;
  txm->txmRefCnt = 1;
  return txm;
}

class Prepare : public Context {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ctx_->ctxDDI = &ddi_;
    ctx_->ctxPalette = palette_;
    ddi_.ddiBPP = 16;
    ddi_.ddiPixelFormat = &pf_;
  }
  void TearDown() override {
    SGContextDestroy(ctx_);
    Context::TearDown();
  }
  SGContext* ctx_ = nullptr;
  SGDDInfo ddi_{};
  SGPixelFormat pf_{5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x001F, 0};
  SGPalEntry palette_[256]{};
};

TEST_F(Prepare, TrueColourTexelsBecomePaletteIndices) {
  ctx_->ctxPaletteUsed = 254;
  // Three colours, the first twice; the alpha byte is ignored.
  SGTextureMap* a =
      MakeTexture(SG_TXM_FORMAT_RGBA32, 4, 1, 16, {10, 20, 30, 1, 40, 50, 60, 2, 10, 20, 30, 3, 70, 80, 90, 4});
  ASSERT_EQ(SGContextPrepareTexture(ctx_, a), SG_ERROR_NONE);
  const std::uint8_t* t = a->txmInfo->tpiTexels;
  EXPECT_EQ(std::make_tuple(t[0], t[1], t[2]), std::make_tuple(254, 255, 254));
  EXPECT_EQ(t[3], 0);  // no free entry left
  EXPECT_EQ(palette_[255].red, 40);
  EXPECT_EQ(ctx_->ctxPaletteUsed, 256u);
  EXPECT_EQ(a->txmContext, ctx_);
  // A colour seen before keeps its index in a later texture.
  SGTextureMap* b = MakeTexture(SG_TXM_FORMAT_RGBA32, 1, 1, 4, {40, 50, 60, 0});
  ASSERT_EQ(SGContextPrepareTexture(ctx_, b), SG_ERROR_NONE);
  EXPECT_EQ(b->txmInfo->tpiTexels[0], 255);
  SGTextureMapRelease(a);
  SGTextureMapRelease(b);
}

TEST_F(Prepare, IndexAlphaTexturesBecomeKeyed) {
  SGTextureMap* txm = MakeTexture(SG_TXM_FORMAT_IDX8_ALPHA, 2, 2, 6, {5, 200, 6, 10, 9, 9, 7, 128, 8, 127, 9, 9});
  ASSERT_EQ(SGContextPrepareTexture(ctx_, txm), SG_ERROR_NONE);
  EXPECT_EQ(txm->txmFormat, SG_TXM_FORMAT_IDX8 | SG_TXM_KEYED);
  EXPECT_EQ(txm->txmPitch, 6u);
  const std::uint8_t* t = txm->txmInfo->tpiTexels;
  EXPECT_EQ(std::make_tuple(t[0], t[1], t[2], t[3]), std::make_tuple(5, 0, 7, 0));
  // Prepared again it is an ordinary indexed texture.
  EXPECT_EQ(SGContextPrepareTexture(ctx_, txm), SG_ERROR_NONE);
  EXPECT_EQ(t[0], 5);
  SGTextureMapRelease(txm);
}

TEST_F(Prepare, RefusesUnsupportedFormatsAndWords) {
  SGTextureMap* txm = MakeTexture(SG_TXM_FORMAT_RAW1, 1, 1, 1, {0});
  EXPECT_EQ(SGContextPrepareTexture(ctx_, txm), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(txm->txmContext, nullptr);
  txm->txmFormat = SG_TXM_FORMAT_IDX8;
  ddi_.ddiTexPrep = 3;
  EXPECT_EQ(SGContextPrepareTexture(ctx_, txm), SG_ERROR_UNSUPPORTED);
  // The 16-bit preparation needs a palette when there is no device to take the texture.
  ddi_.ddiTexPrep = SG_DDI_TEXPREP_D3D16;
  EXPECT_EQ(SGContextPrepareTexture(ctx_, txm), SG_ERROR_UNSUPPORTED);
  SGTextureMapRelease(txm);
}

TEST_F(Prepare, PalettesMapToThePixelFormat) {
  SGTextureMap* txm = MakeTexture(SG_TXM_FORMAT_IDX8, 1, 1, 1, {1});
  auto* pal = static_cast<SGTexturePalette*>(SGCalloc(1, sizeof(SGTexturePalette)));
  pal->tpColours = static_cast<SGPalEntry*>(SGCalloc(256, sizeof(SGPalEntry)));
  pal->tpColours[1] = SGPalEntry{255, 0, 255, 0};
  pal->tpColours[2] = SGPalEntry{8, 4, 8, 0};
  pal->tpNumColours = 3;
  pal->tpRefCnt = 1;
  txm->txmInfo->tpiPal = pal;
  ASSERT_EQ(SGContextPrepareTexture(ctx_, txm), SG_ERROR_NONE);
  ASSERT_NE(pal->tpMapped, nullptr);
  const auto* mapped = static_cast<const std::uint16_t*>(pal->tpMapped);
  EXPECT_EQ(std::make_tuple(mapped[1], mapped[2]), std::make_tuple(0xF81F, 0x0821));
  EXPECT_EQ(mapped[255], 0);  // every index has an entry

  std::uint32_t table[256] = {};
  table[1] = 0xDEADBEEF;
  std::uint32_t out = 0;
  ISGTextureExpandIndexed(txm, table, &out);
  EXPECT_EQ(out, 0xDEADBEEFu);
  SGTextureMapRelease(txm);
}

TEST_F(Prepare, MaterialScaleDefaultsToOne) {
  SGMaterial mat{};
  SGMaterialInfo info{};
  mat.matInfo = &info;
  ASSERT_EQ(SGContextPrepareMaterial(ctx_, &mat), SG_ERROR_NONE);
  EXPECT_EQ(info.maiScale, 1.f);
  info.maiScale = 0.25f;
  SGContextPrepareMaterial(ctx_, &mat);
  EXPECT_EQ(info.maiScale, 0.25f);
}

}  // namespace
