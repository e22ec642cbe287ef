// The vertex batch and the primitives queued into it, the render states a
// material and the renderer's options set, and the capability answers.

#include <cstdlib>

#include "platform/d3d/d3d.h"
#include "sg/render/primitives.h"
#include "support/d3drender.h"

namespace d3drendertest {
namespace {

class BatchTest : public D3DRenderTest {
 protected:
  void SetUp() override {
    D3DRenderTest::SetUp();
    d3d_ = rend_->renD3D;
    ASSERT_NE(d3d_, nullptr);
    flat_ = Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 90, nullptr));
    other_ = Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 150, nullptr));
    Prepare();
    ASSERT_EQ(ISGD3DBeginScene(rend_), SG_ERROR_NONE);
    rend_->renFrameNum = 1;
    ASSERT_EQ(ISGD3DSetMaterial(rend_, flat_, rend_->renOptions), SG_ERROR_NONE);
  }
  void TearDown() override {
    ISGD3DResetBatch(d3d_);
    ISGD3DEndScene(rend_);
    D3DRenderTest::TearDown();
  }

  SGTxVertex* Vertex(float x, float y) {
    SGTxVertex* v = nullptr;
    EXPECT_EQ(ISGRendererNewTxVert(rend_, &v), SG_ERROR_NONE);
    v->txvLoc[0] = x;
    v->txvLoc[1] = y;
    v->txvLoc[2] = 0.5f;
    v->txvLoc[3] = 1.f;
    v->txvShade = 1.f;
    v->txvFog = 1.f;
    return v;
  }

  // The screen position of the batch's i-th queued index.
  std::pair<float, float> Queued(std::uint32_t i) const {
    const plat::D3DTLVERTEX& v = d3d_->d3dVertBuff[d3d_->d3dIndexBuff[i]];
    return {v.sx, v.sy};
  }

  DWORD State(D3DRENDERSTATETYPE s) const {
    DWORD value = 0;
    d3d_->d3dDevice->GetRenderState(s, &value);
    return value;
  }

  SGD3DDevice* d3d_ = nullptr;
  SGMaterial* flat_ = nullptr;
  SGMaterial* other_ = nullptr;
};

TEST_F(BatchTest, APointIsASmallTriangleUpAndLeftOfItsTruncatedPosition) {
  ASSERT_EQ(ISGD3DAddPoint(rend_, Vertex(1.f, 20.f)), SG_ERROR_NONE);
  EXPECT_EQ(d3d_->d3dNumIndices, 0u);
  ASSERT_EQ(ISGD3DAddPoint(rend_, Vertex(10.7f, 20.2f)), SG_ERROR_NONE);
  ASSERT_EQ(d3d_->d3dNumIndices, 3u);
  // Queued reversed: up, the point, left.
  EXPECT_EQ(Queued(0), std::make_pair(10.f, 18.f));
  EXPECT_EQ(Queued(1), std::make_pair(10.f, 20.f));
  EXPECT_EQ(Queued(2), std::make_pair(8.f, 20.f));
}

TEST_F(BatchTest, ALineIsABandOfTwoTrianglesAcrossIt) {
  ASSERT_EQ(ISGD3DAddLine(rend_, Vertex(0.f, 0.f), Vertex(10.f, 0.f)), SG_ERROR_NONE);
  ASSERT_EQ(d3d_->d3dNumIndices, 6u);
  float lowest = 0.f, highest = 0.f;
  for (std::uint32_t i = 0; i < 6; ++i) {
    lowest = std::min(lowest, Queued(i).second);
    highest = std::max(highest, Queued(i).second);
  }
  EXPECT_EQ(lowest, 0.f);
  EXPECT_FLOAT_EQ(highest, 1.4142135f);
  // An end beyond a plane draws nothing.
  SGTxVertex* out = Vertex(5.f, 5.f);
  out->txvFlags |= SG_XFORM_FLAG_LEFT_CLIP;
  ISGD3DAddLine(rend_, out, Vertex(9.f, 9.f));
  EXPECT_EQ(d3d_->d3dNumIndices, 6u);
}

TEST_F(BatchTest, AVertexSharedByTwoMaterialsGetsAnEntryForEach) {
  SGTxVertex* shared = Vertex(50.f, 60.f);
  const std::uint16_t first = ISGD3DAddVertex(d3d_, shared);
  EXPECT_EQ(ISGD3DAddVertex(d3d_, shared), first);
  d3d_->d3dCurrMaterial = other_;  // as the terrain's batches change materials
  const std::uint16_t second = ISGD3DAddVertex(d3d_, shared);
  EXPECT_NE(second, first);
  EXPECT_EQ(d3d_->d3dVertBuff[second].sx, 50.f);
  EXPECT_EQ(d3d_->d3dVertBuff[second].sy, 60.f);
  EXPECT_NE(d3d_->d3dVertBuff[second].color, d3d_->d3dVertBuff[first].color);
  d3d_->d3dCurrMaterial = flat_;
}

// A face wholly inside the view goes to the batch from its prepared
// vertices: a vertex keeps its entry for its key (texture coordinate and
// normal) while the batch and the material last, takes a new one under
// another key, and under another material a copy of it recoloured, as a
// transformed vertex's entry does.
TEST_F(BatchTest, APreparedVertexKeepsItsEntryForItsKeyBatchAndMaterial) {
  ISGPrepVertex pv[4]{};
  for (int i = 0; i < 4; ++i) {
    pv[i].pvLoc[0] = 10.f + 20.f * static_cast<float>(i);
    pv[i].pvLoc[1] = 30.f + static_cast<float>(i % 2) * 25.f;
    pv[i].pvLoc[2] = 0.5f;
    pv[i].pvLoc[3] = 1.f;
    pv[i].pvFog = 1.f;
  }
  const float uv[2] = {0.f, 0.f};
  const auto corner = [&](int i, std::uint32_t key) { return ISGD3DCorner{&pv[i], key, uv, 0.5f}; };
  constexpr std::uint32_t kKey = 0x80000001u, kOtherKey = 0x80000002u;
  ASSERT_EQ(ISGD3DDrawPreparedFace(rend_, flat_, {corner(0, kKey), corner(1, kKey), corner(2, kKey)}, SG_TXV_SHADED),
            SG_ERROR_NONE);
  // Reversed winding, as for transformed vertices.
  EXPECT_EQ(d3d_->d3dNumVerts, 3u);
  EXPECT_EQ(Queued(0), std::make_pair(10.f, 30.f));
  EXPECT_EQ(Queued(1), std::make_pair(50.f, 30.f));
  EXPECT_EQ(Queued(2), std::make_pair(30.f, 55.f));
  ASSERT_EQ(ISGD3DDrawPreparedFace(rend_, flat_, {corner(0, kKey), corner(2, kKey), corner(3, kKey)}, SG_TXV_SHADED),
            SG_ERROR_NONE);
  EXPECT_EQ(d3d_->d3dNumVerts, 4u);
  EXPECT_EQ(d3d_->d3dIndexBuff[3], d3d_->d3dIndexBuff[0]);
  EXPECT_EQ(d3d_->d3dIndexBuff[5], d3d_->d3dIndexBuff[1]);
  ASSERT_EQ(ISGD3DDrawPreparedFace(rend_, flat_, {corner(0, kOtherKey), corner(1, kKey), corner(2, kKey)}, 0),
            SG_ERROR_NONE);
  EXPECT_EQ(d3d_->d3dNumVerts, 5u);
  EXPECT_EQ(d3d_->d3dIndexBuff[6], 4u);
  // Lit at half light before, unlit now: another colour.
  EXPECT_NE(d3d_->d3dVertBuff[4].color, d3d_->d3dVertBuff[0].color);
  // Another material without a flush between: the vertex under its key is copied and recoloured.
  d3d_->d3dCurrMaterial = other_;
  ASSERT_EQ(ISGD3DDrawPreparedFace(rend_, other_, {corner(0, kOtherKey), corner(1, kKey), corner(2, kKey)}, 0),
            SG_ERROR_NONE);
  EXPECT_EQ(d3d_->d3dNumVerts, 8u);
  EXPECT_EQ(d3d_->d3dVertBuff[5].sx, 10.f);
  EXPECT_NE(d3d_->d3dVertBuff[5].color, d3d_->d3dVertBuff[4].color);
  // A new batch enters the vertex again.
  ISGD3DFlush(d3d_);
  ASSERT_EQ(ISGD3DDrawPreparedFace(rend_, other_, {corner(0, kOtherKey), corner(1, kKey), corner(2, kKey)}, 0),
            SG_ERROR_NONE);
  EXPECT_EQ(d3d_->d3dNumVerts, 3u);
  d3d_->d3dCurrMaterial = flat_;
}

// Texture coordinates move in towards the texel centres by an inset set by
// the texture's width: none for one texel, a whole texture for two or four,
// 1 / (2^(k-1) - 1) from 2^k texels on; the device's flag turns it off.
TEST_F(BatchTest, TextureCoordinatesAreInsetByTheTexturesWidth) {
  const std::pair<std::uint32_t, float> widths[] = {{1, 0.f},
                                                    {2, 1.f},
                                                    {4, 1.f},
                                                    {7, 1.f},
                                                    {8, 1.f / 3.f},
                                                    {64, 1.f / 31.f},
                                                    {100, 1.f / 31.f},
                                                    {1024, 1.f / 511.f},
                                                    {1u << 20, 1.f / 524287.f}};
  for (const auto& [width, inset] : widths) {
    SGMaterial* mat = Keep(rendertest::Material(SG_MAT_TYPE_TEXTURE, 30, nullptr));
    auto* txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
    txm->txmSize.u[0] = width;
    txm->txmSize.u[1] = 1;
    mat->matTexMap = txm;
    d3d_->d3dCurrMaterial = mat;
    for (const bool noInset : {false, true}) {
      d3d_->d3dFlags = noInset ? d3d_->d3dFlags | SG_D3D_FLAG_NO_INSET : d3d_->d3dFlags & ~SG_D3D_FLAG_NO_INSET;
      SGTxVertex* v = Vertex(5.f, 5.f);
      v->txvUV[0] = 0.75f;
      v->txvUV[1] = -2.5f;
      const plat::D3DTLVERTEX& made = d3d_->d3dVertBuff[ISGD3DAddVertex(d3d_, v)];
      const float half = noInset ? 0.f : inset / 2.f;
      EXPECT_EQ(made.tu, 0.75f * (1.f - inset) + half) << width;
      EXPECT_EQ(made.tv, -2.5f * (1.f - inset) + half) << width;
    }
    mat->matTexMap = nullptr;
    SGFree(txm);
  }
  d3d_->d3dFlags &= ~SG_D3D_FLAG_NO_INSET;
  d3d_->d3dCurrMaterial = flat_;
}

TEST_F(BatchTest, AFanLongerThanTheBufferIsDrawnInBatchesThatRepeatItsCentre) {
  std::vector<SGTxVertex*> fan;
  for (int i = 0; i < 602; ++i) {
    fan.push_back(Vertex(static_cast<float>(i % 500), static_cast<float>(i / 500)));
  }
  const std::uint16_t before = d3d_->d3dBatch;
  ASSERT_EQ(ISGD3DAddFan(rend_, static_cast<std::uint32_t>(fan.size()), fan.data(), false), SG_ERROR_NONE);
  EXPECT_EQ(d3d_->d3dBatch, before + 1);  // one flush in the middle
  EXPECT_LE(d3d_->d3dNumIndices, SG_D3D_VERT_MAX);
  // The batch after the flush begins with the centre and the vertex the last
  // triangle before it ended on.
  const std::uint32_t next = 600 - d3d_->d3dNumIndices / 3 + 1;
  EXPECT_EQ(Queued(0), std::make_pair(0.f, 0.f));
  EXPECT_EQ(Queued(1), std::make_pair(static_cast<float>(next % 500), static_cast<float>(next / 500)));
  // A triangle wholly beyond one plane queues nothing.
  const std::uint32_t queued = d3d_->d3dNumIndices;
  SGTxVertex* tri[3] = {Vertex(1, 1), Vertex(2, 1), Vertex(1, 2)};
  for (SGTxVertex* v : tri) v->txvFlags |= SG_XFORM_FLAG_TOP_CLIP;
  ISGD3DAddTriangle(rend_, tri[0], tri[1], tri[2]);
  EXPECT_EQ(d3d_->d3dNumIndices, queued);
}

TEST_F(BatchTest, AShadedFanRunsFromTheFirstColourToTheSecondByShade) {
  Clear();
  SGTxVertex* quad[4] = {Vertex(100, 100), Vertex(200, 100), Vertex(200, 200), Vertex(100, 200)};
  quad[2]->txvShade = quad[3]->txvShade = 1.f;
  quad[0]->txvShade = quad[1]->txvShade = 0.f;
  // Drawn at once, in both orders of the fan: nothing waits in the batch.
  ASSERT_EQ(ISGD3DDrawShadedFan(rend_, 0xFF000000u, 0x0000FF00u, 4, quad, false), SG_ERROR_NONE);
  ASSERT_EQ(ISGD3DDrawShadedFan(rend_, 0xFF000000u, 0x0000FF00u, 4, quad, true), SG_ERROR_NONE);
  EXPECT_EQ(d3d_->d3dNumIndices, 0u);
  EXPECT_EQ(Pixel(150, 100), 0xF800u);
  EXPECT_EQ(Pixel(150, 199) & 0x1F, 0x1Fu);
  EXPECT_LT(Pixel(150, 199) >> 11, 2u);
}

TEST_F(BatchTest, DefaultOptionsAndMaterialsSetTheDeviceStates) {
  EXPECT_EQ(State(D3DRENDERSTATE_SHADEMODE), D3DSHADE_GOURAUD);
  EXPECT_EQ(State(D3DRENDERSTATE_TEXTUREPERSPECTIVE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(State(D3DRENDERSTATE_TEXTUREMAG), D3DFILTER_LINEAR);
  EXPECT_EQ(State(D3DRENDERSTATE_TEXTUREMAPBLEND), D3DTBLEND_MODULATE);
  EXPECT_EQ(State(D3DRENDERSTATE_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
  // Half opacity modulates alpha; the additive type blends by source colour.
  SGMaterial* glow = Keep(rendertest::Material(SG_MAT_TYPE_FLAT | SG_MAT_TYPE_SRC_COLOUR_BLEND, 30, nullptr));
  Prepare();
  glow->matInfo->maiScale = 0.5f;
  ASSERT_EQ(ISGD3DSetMaterial(rend_, glow, rend_->renOptions), SG_ERROR_NONE);
  EXPECT_EQ(State(D3DRENDERSTATE_TEXTUREMAPBLEND), D3DTBLEND_MODULATEALPHA);
  EXPECT_EQ(State(D3DRENDERSTATE_SRCBLEND), D3DBLEND_INVSRCCOLOR);
  EXPECT_EQ(State(D3DRENDERSTATE_DESTBLEND), D3DBLEND_ONE);
  ASSERT_EQ(ISGD3DSetMaterial(rend_, flat_, rend_->renOptions), SG_ERROR_NONE);
  EXPECT_EQ(State(D3DRENDERSTATE_TEXTUREMAPBLEND), D3DTBLEND_MODULATE);
  EXPECT_EQ(State(D3DRENDERSTATE_SRCBLEND), D3DBLEND_SRCALPHA);
  // Without textures the handle is 0, but the key follows the texture.
  SGMaterial* keyed = Keep(rendertest::Material(SG_MAT_TYPE_TEXTURE, 0, rendertest::Texture(16, 16, 40, 0)));
  keyed->matTexMap->txmFormat = SG_TXM_FORMAT_IDX8_KEYED;
  Prepare();
  ctx_->ctxDebug |= SG_CTX_DEBUG_NO_TEXTURES;
  ASSERT_EQ(ISGD3DSetMaterial(rend_, keyed, rend_->renOptions), SG_ERROR_NONE);
  EXPECT_EQ(State(D3DRENDERSTATE_TEXTUREHANDLE), 0u);
  EXPECT_EQ(State(D3DRENDERSTATE_COLORKEYENABLE), static_cast<DWORD>(TRUE));
  ctx_->ctxDebug &= ~SG_CTX_DEBUG_NO_TEXTURES;
}

TEST_F(BatchTest, TheBlendQuestionsFollowTheDeviceAndTheEnvironment) {
  EXPECT_EQ(ISGD3DCanSrcColorBlend(ctx_), SG_ERROR_NONE);
  EXPECT_EQ(ISGD3DCanBlend(ctx_), SG_ERROR_NONE);
  // The variable is read when a device is made: the context's last renderer
  // goes, and a new one makes a new device.
  ISGD3DResetBatch(d3d_);
  ISGD3DEndScene(rend_);
  SGRendererDestroy(rend_);
  rend_ = nullptr;
  EXPECT_EQ(ISGD3DCanBlend(ctx_), SG_ERROR_D3D);
  ::setenv("hvnv3", "", 1);
  ASSERT_EQ(SGRendererCreate(ctx_, &rend_), SG_ERROR_NONE);
  SGRendererSetFrameBuffer(rend_, fb_);
  ::unsetenv("hvnv3");
  d3d_ = rend_->renD3D;
  ASSERT_NE(d3d_, nullptr);
  EXPECT_EQ(ISGD3DCanBlend(ctx_), SG_ERROR_D3D);
  EXPECT_EQ(ISGD3DCanSrcColorBlend(ctx_), SG_ERROR_NONE);
  ISGD3DBeginScene(rend_);
}

// A vertex's colour channels come from the material alone, the material
// scaled by the vertex's own colour, or the grey of either under the tint
// (inverted in mode -1), whichever the material and the tint ask for.
TEST_F(BatchTest, AVertexColourTakesTheMaterialTheVertexOrTheTint) {
  SGMaterial* plain = Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 90, nullptr));
  SGMaterial* byVertex = Keep(rendertest::Material(SG_MAT_TYPE_FLAT | SG_MAT_TYPE_VERTEX_COLOUR, 90, nullptr));
  for (SGMaterial* m : {plain, byVertex}) {
    m->matColour = 0xC8643200u | 90;  // red 200, green 100, blue 50
  }
  const auto colour = [&](SGMaterial* m, std::int32_t mode, float red, float green, float blue) {
    SGRendererSetD3DTint(rend_, mode, red, green, blue);
    d3d_->d3dCurrMaterial = m;
    SGTxVertex* v = Vertex(5.f, 5.f);
    v->txvColour[3] = 255;  // red
    v->txvColour[2] = 128;  // green
    v->txvColour[1] = 0;    // blue
    return d3d_->d3dVertBuff[ISGD3DAddVertex(d3d_, v)].color & 0xFFFFFFu;
  };
  EXPECT_EQ(colour(plain, 0, 0.f, 0.f, 0.f), 0xC86432u);
  // 200 x 255 / 255, 100 x 128 / 255 (50.2), 50 x 0.
  EXPECT_EQ(colour(byVertex, 0, 0.f, 0.f, 0.f), 0xC83200u);
  // The material's grey, 350 of 765, under the weights 1, 1/2 and 0: 116.7 and 58.3.
  EXPECT_EQ(colour(plain, 1, 1.f, 0.5f, 0.f), 0x753A00u);
  // Inverted: 415 of 765, 138.3 and 69.2.
  EXPECT_EQ(colour(plain, -1, 1.f, 0.5f, 0.f), 0x8A4500u);
  // The vertex's grey, 383 of 765: 127.7 and 63.8.
  EXPECT_EQ(colour(byVertex, 1, 1.f, 0.5f, 0.f), 0x804000u);
  SGRendererSetD3DTint(rend_, 0, 0.f, 0.f, 0.f);
  d3d_->d3dCurrMaterial = flat_;
}

}  // namespace
}  // namespace d3drendertest
