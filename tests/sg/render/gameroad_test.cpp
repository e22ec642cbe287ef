// The road the game takes through the 3D library, in its order: context,
// frame buffer over the game's surface, data path, software renderer, fog
// table; per view a scene of "Quenbar.con" with a camera and the scene's
// colours installed; ships from stored model blocks with materials read from
// files; per frame update, SGSceneDraw and swap; a click picked back to the
// game object; teardown in reverse.

#include "sg/fb/lut.h"
#include "sg/query/raypick.h"
#include "support/renderfixture.h"
#include "tools/sgdata/sgdata.h"

namespace {

using namespace plat;

class GameRoad : public fbtest::FrameBufferTest {
 protected:
  void SetUp() override {
    FrameBufferTest::SetUp();
    drive_.Write("palette.dat", sgdata::MakePalette(sgdata::Spectrum(200)));
    drive_.Write("Quenbar.con", std::string("Quenbar\nSTART\npalette.dat 256.0 10.0 17 0.0 8 8\n"));
    drive_.Write("sprite.bin", sgdata::MakeBinTexture(32, 32, 0));
    for (int i = 0; i < 12; ++i) {
      SGMaterial mat{};
      const bool billboard = i >= 4;
      // The hull is also drawn without texture coordinates at its middle level of detail.
      mat.matType = billboard ? SG_MAT_TYPE_TRANSPARENT_TEXTURE : SG_MAT_TYPE_SHADED;
      mat.matColour = static_cast<std::uint32_t>(60 + 11 * i);
      mat.matAmbient = 0.3f;
      mat.matDiffuse = 0.7f;
      const char* texture = billboard ? "sprite.bin" : "";
      drive_.Write("m" + std::to_string(i) + ".mat", sgdata::MakeMaterialFile(mat, {}, texture));
    }
  }

  void TearDown() override {
    SGCollideFreeHits();
    FrameBufferTest::TearDown();
  }
};

TEST_F(GameRoad, DrawsPicksAndTearsDown) {
  // Set-up.
  IDirectDrawSurface* surface = Surface(fbtest::kGameWidth, fbtest::kGameHeight);
  ASSERT_EQ(Open(GameOptions(surface)), SG_ERROR_NONE);
  std::uint32_t size[2];
  SGFrameBufferGetSize(fb_, size);
  SGDataPath* dp = nullptr;
  ASSERT_EQ(SGDataPathCreate(ctx_, "Q:\\", 0, &dp), SG_ERROR_NONE);
  SGRenderer* rend = nullptr;
  ASSERT_EQ(SGRendererCreate(ctx_, &rend), SG_ERROR_NONE);
  SGRendererSetOptions(rend, 1);
  SGRendererSetFrameBuffer(rend, fb_);
  ASSERT_EQ(SGRendererEnableSoftwarePrimitives(rend, 1), SG_ERROR_NONE);
  std::uint32_t black = 0;
  ASSERT_EQ(SGRendererBuildFogLUT(rend, 0, black, &rend->renFogLUT), SG_ERROR_NONE);

  // The view: scene, camera, colours.
  SGScene* scene = nullptr;
  ASSERT_EQ(SGSceneCreate(ctx_, &scene), SG_ERROR_NONE);
  const std::uint32_t cache[2] = {2, 2};
  ASSERT_EQ(SGSceneSetWorldSize(scene, cache), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneLoad(scene, dp, "Quenbar.con"), SG_ERROR_NONE);
  SGInstance* camera = nullptr;
  ASSERT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_CAMERA, &camera), SG_ERROR_NONE);
  SGInstanceSetCamera(camera, 50.f, static_cast<float>(size[0]) / static_cast<float>(size[1]), 1.f, 400.f);
  const std::int32_t origin[2] = {0, 0};
  const std::int32_t extent[2] = {static_cast<std::int32_t>(size[0]), static_cast<std::int32_t>(size[1])};
  SGInstanceSetViewport(camera, origin, extent);
  SGInstanceSetAttributes(camera, SG_ATTR_NO_PICK | SG_ATTR_NO_LOS);
  ASSERT_EQ(SGSceneAddInstance(scene, camera), SG_ERROR_NONE);
  ASSERT_EQ(fb_->fbPixelTable, nullptr);
  std::vector<SGPalEntry> colours(scene->scnPaletteLen);
  for (std::uint32_t i = 0; i < scene->scnPaletteLen; ++i) {
    const std::uint32_t w = scene->scnPalette[i];
    colours[i] = SGPalEntry{static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
                            static_cast<std::uint8_t>(w >> 16), 0};
  }
  ASSERT_EQ(SGFrameBufferInstallPalette(fb_, colours.data(), scene->scnPaletteLen), SG_ERROR_NONE);

  // Ships near, farther and far away: each level of detail, the last a billboard.
  const sgdata::Image block = sgdata::MakeShipBlock(sgdata::ShipShape{});
  SGModel* model = nullptr;
  ASSERT_EQ(SGModelRelocate(block.data(), static_cast<std::uint32_t>(block.size()), &model), SG_ERROR_NONE);
  std::vector<SGMaterial*> materials(12);
  for (int i = 0; i < 12; ++i) {
    ASSERT_EQ(SGMaterialLoad(dp, ("m" + std::to_string(i) + ".mat").c_str(), &materials[i]), SG_ERROR_NONE);
    ASSERT_EQ(SGContextPrepareMaterial(ctx_, materials[i]), SG_ERROR_NONE);
  }
  SGInstance* ships[3];
  const double places[3][3] = {{0.0, 0.0, 0.0}, {-12.0, 60.0, 4.0}, {30.0, 230.0, -10.0}};
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_MODEL_ONE, &ships[i]), SG_ERROR_NONE);
    ASSERT_EQ(SGInstanceSetModel(ships[i], model), SG_ERROR_NONE);
    SGInstanceSetMaterial(ships[i], 12, materials.data());
    SGInstanceSetUserData(ships[i], 1000 + static_cast<std::uintptr_t>(i));
    SGInstanceSetPosition(ships[i], places[i]);
    ASSERT_EQ(SGSceneAddInstance(scene, ships[i]), SG_ERROR_NONE);
  }

  // Frames.
  for (int frame = 0; frame < 3; ++frame) {
    const double eye[3] = {0.0, -20.0, 3.0};
    const float ahead[3] = {0.f, 1.f, -0.1f};
    const float up[3] = {0.f, 0.f, 1.f};
    SGInstanceSetPosition(camera, eye);
    SGInstanceSetOrientation(camera, ahead, up);
    const float spin[3] = {0.f, 0.f, 0.4f * static_cast<float>(frame)};
    SGInstanceSetAngles(ships[0], spin);
    for (SGInstance* inst : {camera, ships[0], ships[1], ships[2]}) {
      SGInstanceUpdate(inst);
    }
    Paint(surface, 0);
    ASSERT_EQ(SGSceneDraw(rend, scene, camera), SG_ERROR_NONE);
    ASSERT_EQ(SGFrameBufferSwap(fb_), SG_ERROR_NONE);
  }
  rendertest::ExpectGoldenImage("game_road", rendertest::SurfaceImage(surface));

  // A click on the near ship leads back to its game object.
  const std::uint32_t click[2] = {size[0] / 2, size[1] / 2 + 10};
  SGInstance* picked = nullptr;
  double point[3];
  ASSERT_EQ(SGCollidePickScreen(rend, scene, click, SG_COLLIDE_PICK_MODE, &picked, point), SG_HIT_INSTANCE);
  std::uintptr_t key = 0;
  SGInstanceGetUserData(picked, &key);
  EXPECT_EQ(key, 1000u);

  // Teardown, in reverse.
  SGSceneDestroy(scene);
  SGFree(rend->renFogLUT);
  rend->renFogLUT = nullptr;
  SGRendererDestroy(rend);
  for (SGMaterial* m : materials) {
    SGMaterialDestroy(m);
  }
  SGModelFree(model);
  SGDataPathDestroy(dp);
}

}  // namespace
