// What the renderer tells its callers: the frame buffer it draws into, its
// fog, and the inverse camera transform of the last frame.
#include <gtest/gtest.h>

#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/render/renderer.h"

namespace {

TEST(RendererAccess, FogAndFrameBufferAreReadBackAndTheInverseWaitsForAFrame) {
  SGContext* ctx = nullptr;
  ASSERT_EQ(SGContextCreate(&ctx), SG_ERROR_NONE);
  SGRenderer* rend = nullptr;
  ASSERT_EQ(SGRendererCreate(ctx, &rend), SG_ERROR_NONE);
  SGFrameBuffer* fb = reinterpret_cast<SGFrameBuffer*>(1);
  EXPECT_EQ(SGRendererGetFrameBuffer(rend, &fb), SG_ERROR_NONE);
  EXPECT_EQ(fb, nullptr);
  const SGMatrix* inverse = reinterpret_cast<const SGMatrix*>(1);
  EXPECT_EQ(SGRendererGetCameraInverse(rend, &inverse), SG_ERROR_NO_FRAME_BUFFER);
  EXPECT_EQ(inverse, nullptr);
  const std::uint32_t colour = 0x11223344;
  ASSERT_EQ(SGRendererSetFog(rend, &colour, 321.f), SG_ERROR_NONE);
  auto* table = static_cast<std::uint8_t*>(SGMalloc(16));
  SGRendererSetFogLUT(rend, table);  // the renderer's from now on
  std::uint32_t c = 0;
  float far = 0.f;
  std::uint8_t* got = nullptr;
  EXPECT_EQ(SGRendererGetFog(rend, &c, &far, &got), SG_ERROR_NONE);
  EXPECT_EQ(c, colour);
  EXPECT_FLOAT_EQ(far, 321.f);
  EXPECT_EQ(got, table);
  SGRendererDestroy(rend);
  SGContextDestroy(ctx);
}

}  // namespace
