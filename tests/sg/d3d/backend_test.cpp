// The renderer drawing through the Direct3D back end: the same scenes as the
// software back end, the device shared by renderers, the batch and its serial,
// textures in video memory, and the frame buffer's clears and re-targeting.

#include "platform/d3d/d3d.h"
#include "sg/fb/fbextra.h"
#include "sg/fb/texddinfo.h"
#include "support/d3drender.h"

namespace d3drendertest {
namespace {

TEST_F(D3DRenderTest, ScenesAgreeWithTheSoftwareBackEndsPictures) {
  ASSERT_NE(rend_->renD3D, nullptr);
  EXPECT_EQ(fb_->fbFlags & SG_FB_FLAG_NO_3D, 0u);
  PlaceMaterialRow();
  Prepare();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  // The shaded transparent box, which the software fills leave out unlit, is the difference.
  EXPECT_LT(DifferingShare("materials_unlit", 40), 0.025);
  BuildShadeTable();
  AddLight(0.3f, 1.f, -0.6f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_LT(DifferingShare("materials_lit", 40), 0.025);
}

TEST_F(D3DRenderTest, FogAgreesWithTheSoftwareBackEndsPicture) {
  PlaceFogRow();
  Prepare();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_LT(DifferingShare("fog", 40), 0.005);
}

TEST_F(D3DRenderTest, DestroyingOneRendererLeavesTheSharedDeviceToTheOther) {
  SGRenderer* second = nullptr;
  ASSERT_EQ(SGRendererCreate(ctx_, &second), SG_ERROR_NONE);
  SGRendererSetFrameBuffer(second, fb_);
  SGD3DDevice* shared = rend_->renD3D;
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(second->renD3D, shared);
  EXPECT_EQ(ctx_->ctxD3D, shared);
  ASSERT_EQ(SGRendererDestroy(rend_), SG_ERROR_NONE);
  rend_ = nullptr;
  EXPECT_EQ(ctx_->ctxD3D, shared);
  // The survivor still draws through it.
  PlaceMaterialRow();
  Prepare();
  Clear();
  ASSERT_EQ(SGSceneDraw(second, scene_, camera_), SG_ERROR_NONE);
  EXPECT_GT(Covered(), 1000u);
  ASSERT_EQ(SGRendererDestroy(second), SG_ERROR_NONE);
  EXPECT_EQ(ctx_->ctxD3D, nullptr);
}

// Binding again does not count the renderer twice, and a renderer bound to a
// frame buffer without hardware 3D does not take the device from the context.
TEST_F(D3DRenderTest, RebindingAndSoftwareRenderersKeepTheDevicesCountRight) {
  SGD3DDevice* d3d = rend_->renD3D;
  ASSERT_NE(d3d, nullptr);
  SGRendererSetFrameBuffer(rend_, fb_);
  EXPECT_EQ(rend_->renD3D, d3d);
  SGRenderer* soft = nullptr;
  ASSERT_EQ(SGRendererCreate(ctx_, &soft), SG_ERROR_NONE);
  fb_->fbFlags |= SG_FB_FLAG_NO_3D;
  SGRendererSetFrameBuffer(soft, fb_);
  fb_->fbFlags &= ~SG_FB_FLAG_NO_3D;
  fb_->fbRenderer = rend_;
  EXPECT_EQ(soft->renD3D, nullptr);
  EXPECT_EQ(ctx_->ctxD3D, d3d);
  SGRendererDestroy(soft);
  ASSERT_EQ(SGRendererDestroy(rend_), SG_ERROR_NONE);
  rend_ = nullptr;
  EXPECT_EQ(ctx_->ctxD3D, nullptr);
}

// A vertex entered in the batch before the 16-bit serial wrapped is entered
// again afterwards, not taken for the entry its old serial once named.
TEST_F(D3DRenderTest, TheBatchSerialWrapsWithoutReusingOldEntries) {
  SGD3DDevice* d3d = rend_->renD3D;
  SGMaterial* mat = Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 90, nullptr));
  Prepare();
  ASSERT_EQ(ISGD3DBeginScene(rend_), SG_ERROR_NONE);
  d3d->d3dCurrMaterial = mat;
  SGTxVertex early{};
  early.txvLoc[2] = 0.5f;
  early.txvLoc[3] = 1.f;
  const SGTxVertex blank = early;
  ISGD3DReserve(d3d, 1, 3);
  EXPECT_EQ(ISGD3DAddVertex(d3d, &early), 0);
  // 65535 flushes later the serial is 1 again.
  for (int i = 0; i < 65535; ++i) {
    SGTxVertex v = blank;
    ISGD3DReserve(d3d, 1, 3);
    ISGD3DAddVertex(d3d, &v);
    ISGD3DAddVertex(d3d, &v);
    ISGD3DFlush(d3d);
  }
  EXPECT_EQ(d3d->d3dBatch, 1);
  SGTxVertex fresh = blank;
  ISGD3DReserve(d3d, 1, 3);
  EXPECT_EQ(ISGD3DAddVertex(d3d, &fresh), 0);
  early.txvLoc[0] = 100.f;  // moved since; its old entry must not stand for it
  EXPECT_EQ(ISGD3DAddVertex(d3d, &early), 1);
  EXPECT_EQ(d3d->d3dVertBuff[1].sx, 100.f);
  EXPECT_EQ(ISGD3DAddVertex(d3d, &early), 1);  // now it is in this batch
  EXPECT_EQ(d3d->d3dNumVerts, 2u);
  ISGD3DResetBatch(d3d);
  ISGD3DEndScene(rend_);
}

TEST_F(D3DRenderTest, ATextureLeavesVideoMemoryTwoFramesAfterItsLastUse) {
  SGMaterial* mat = Keep(rendertest::Material(SG_MAT_TYPE_TEXTURE, 0, rendertest::Texture(32, 32, 40, 0)));
  Prepare();
  SGTextureMap* txm = mat->matTexMap;
  ASSERT_NE(txm->txmInfo->tpiDDInfo, nullptr);
  rend_->renFrameNum = 10;
  ASSERT_EQ(ISGD3DLoadTexture(rend_, txm), SG_ERROR_NONE);
  EXPECT_NE(txm->txmInfo->tpiDDInfo->tdiHandle, 0u);
  rend_->renFrameNum = 11;
  ISGD3DEvictTextures(rend_, 2);
  EXPECT_EQ(txm->txmInfo->tpiDDInfo->tdiTimeStamp, 10u);
  rend_->renFrameNum = 12;
  ISGD3DEvictTextures(rend_, 2);
  EXPECT_EQ(txm->txmInfo->tpiDDInfo->tdiTimeStamp, 0u);
  EXPECT_EQ(rend_->renD3D->d3dLoadedTex, nullptr);
}

TEST_F(D3DRenderTest, ATextureNobodyPreparedIsConvertedWhenFirstDrawn) {
  SGTextureMap* txm = rendertest::Texture(16, 16, 40, 0);
  Keep(rendertest::Material(SG_MAT_TYPE_TEXTURE, 0, txm));
  SGTexturePalette* pal = txm->txmInfo->tpiPal = NewPalette();
  rend_->renFrameNum = 3;
  ASSERT_EQ(ISGD3DLoadTexture(rend_, txm), SG_ERROR_NONE);
  ASSERT_NE(txm->txmInfo->tpiDDInfo, nullptr);
  EXPECT_NE(pal->tpMapped, nullptr);
  EXPECT_EQ(txm->txmInfo->tpiDDInfo->tdiTimeStamp, 3u);
}

TEST_F(D3DRenderTest, ATextureOverTheDeviceLimitIsReducedByOneStepBothWays) {
  ASSERT_EQ(SGContextSetMaxTextureSize(ctx_, 128, 256), SG_ERROR_NONE);
  SGMaterial* mat = Keep(rendertest::Material(SG_MAT_TYPE_TEXTURE, 0, rendertest::Texture(256, 256, 40, 0)));
  Prepare();
  DDSURFACEDESC desc;
  ASSERT_EQ(mat->matTexMap->txmInfo->tpiDDInfo->tdiSurface->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(desc.dwWidth, 128u);
  EXPECT_EQ(desc.dwHeight, 128u);
  EXPECT_EQ(mat->matTexMap->txmPitch, 256u);
}

TEST_F(D3DRenderTest, FrameBufferClearsGoThroughTheDevice) {
  Clear();
  ASSERT_EQ(SGFrameBufferClearRegion(fb_, 10, 20, 30, 5, 0xFF000000u), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(10, 20), 0xF800u);
  EXPECT_EQ(Pixel(39, 24), 0xF800u);
  EXPECT_EQ(Pixel(40, 24), 0u);
  EXPECT_EQ(Pixel(10, 25), 0u);
  ASSERT_EQ(SGFrameBufferClear(fb_, 0x0000FF00u), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(300, 200), 0x001Fu);
  // A low byte that is not 0 lays the colour over the picture at that opacity.
  ASSERT_EQ(SGFrameBufferClear(fb_, 0xFF000080u), SG_ERROR_NONE);
  const std::uint32_t p = Pixel(300, 200);
  EXPECT_GT(p >> 11, 10u);
  EXPECT_GT(p & 0x1F, 10u);
}

TEST_F(D3DRenderTest, ARetargetedFrameBufferDrawsIntoItsNewSurface) {
  IDirectDrawSurface* other = Surface3D();
  Paint(other, 0);
  Clear();
  const SGFrameBufferTarget target{fb_, rend_, other};
  ASSERT_EQ(SGFrameBufferSetSurface(&target), SG_ERROR_NONE);
  ASSERT_EQ(SGFrameBufferClearRegion(fb_, 0, 0, 4, 4, 0x00FF0000u), SG_ERROR_NONE);
  EXPECT_EQ(At(other, 1, 1), 0x07E0u);
  EXPECT_EQ(Pixel(1, 1), 0u);
}

// Running out of memory at any step of making the device leaves nothing
// behind and no device in the renderer or the context.
TEST_F(D3DRenderTest, ADeviceThatCannotBeMadeLeavesNothingBehind) {
  SGRendererDestroy(rend_);
  rend_ = nullptr;
  ASSERT_EQ(ctx_->ctxD3D, nullptr);
  const int runs = sgtest::ExpectCleanOutOfMemory([&] {
    fb_->fbFlags &= ~SG_FB_FLAG_NO_3D;
    SGRenderer* r = nullptr;
    if (const SGError err = SGRendererCreate(ctx_, &r); err != SG_ERROR_NONE) {
      return err;
    }
    r->renFrameBuffer = fb_;
    const SGError err = ISGD3DCreateDevice(r);
    EXPECT_EQ(err == SG_ERROR_NONE, r->renD3D != nullptr);
    EXPECT_EQ(ctx_->ctxD3D, r->renD3D);
    SGRendererDestroy(r);
    EXPECT_EQ(ctx_->ctxD3D, nullptr);
    return err;
  });
  EXPECT_GT(runs, 5);
}

// The device draws the horizon's fade band and ground between colour pairs
// where the software fills read ramps, so only the sky, the haze at the top of
// the band and the gap under the horizon line are the same picture.
TEST_F(D3DRenderTest, HorizonBandsLieWhereTheSoftwareBackEndPutsThem) {
  PlaceHorizonScene();
  Prepare();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_LT(DifferingShare("horizon", 8, 0, 40), 0.01);
  EXPECT_LT(DifferingShare("horizon", 8, 105, 112), 0.01);
  EXPECT_GT(DifferingShare("horizon", 8, 112, 367), 0.5);  // ground towards the sky colour
}

// The triangle slot the renderer finds installed decides how its faces go to
// the device: its own sends a face wholly inside the view straight from the
// prepared vertices, any other through transformed vertices. Boxes of two
// materials each, lit, some across the view's edges so that clipped and
// unclipped faces share vertices, and drawn in both ways, twice each (the
// second frame over the first's batches), leave the same pixels.
SGError ForwardedTriangle(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** xPt) {
  return ISGD3DDrawTriangle(rend, scene, mat, xPt);
}

TEST_F(D3DRenderTest, FacesInsideTheViewDrawAsTheirTransformedVerticesDid) {
  SGModel* box = Keep(rendertest::Box(1.f, 1.3f, 0.8f, 2));
  SGMaterial* flat = Keep(rendertest::Material(SG_MAT_TYPE_SHADED, 90, nullptr));
  SGMaterial* textured =
      Keep(rendertest::Material(SG_MAT_TYPE_SHADED_TEXTURE, 130, rendertest::Texture(64, 64, 60, 0)));
  for (int i = 0; i < 24; ++i) {
    const std::vector<SGMaterial*> mats =
        i % 3 == 0 ? std::vector<SGMaterial*>{textured, flat} : std::vector<SGMaterial*>{flat, textured};
    SGInstance* inst = Place(box, mats, -11.0 + 1.0 * i, 0.4 * (i % 5) - 0.8, -2.0 * (i % 4));
    const float angles[3] = {0.3f * static_cast<float>(i), 0.7f, 0.2f * static_cast<float>(i % 7)};
    SGInstanceSetAngles(inst, angles);
    SGInstanceUpdate(inst);
  }
  Prepare();
  BuildShadeTable();
  AddLight(0.3f, 1.f, -0.6f);
  ASSERT_EQ(rend_->renMethods.rmDrawTriangle, &ISGD3DDrawTriangle);
  std::vector<Image> frames;
  std::vector<std::uint32_t> triangles;
  for (const bool forwarded : {false, false, true, true}) {
    rend_->renMethods.rmDrawTriangle = forwarded ? &ForwardedTriangle : &ISGD3DDrawTriangle;
    Clear();
    rend_->renTriCount = 0;
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
    frames.push_back(Frame());
    triangles.push_back(rend_->renTriCount);
  }
  rend_->renMethods.rmDrawTriangle = &ISGD3DDrawTriangle;
  EXPECT_GT(Covered(), 20000u);
  EXPECT_GT(triangles[0], 100u);
  // Boxes cross both sides of the view.
  const Image& first = frames[0];
  int leftEdge = 0, rightEdge = 0;
  for (int y = 0; y < first.height; ++y) {
    leftEdge += first.rgb[static_cast<std::size_t>(y * first.width)] != 0u ? 1 : 0;
    rightEdge += first.rgb[static_cast<std::size_t>(y * first.width + first.width - 1)] != 0u ? 1 : 0;
  }
  EXPECT_GT(leftEdge, 10);
  EXPECT_GT(rightEdge, 10);
  for (std::size_t k = 1; k < frames.size(); ++k) {
    EXPECT_EQ(frames[k].rgb, frames[0].rgb) << "frame " << k;
    EXPECT_EQ(triangles[k], triangles[0]) << "frame " << k;
  }
}

}  // namespace
}  // namespace d3drendertest
