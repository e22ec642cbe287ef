// Whole frames drawn through SGSceneDraw into the game's frame buffer,
// compared with golden pictures.

#include "support/renderfixture.h"

namespace rendertest {
namespace {

class SceneDrawTest : public RenderTest {
 protected:
  // One box per material type, textured where the type is.
  void PlaceMaterialRow() {
    static constexpr std::uint32_t kTypes[7] = {SG_MAT_TYPE_FLAT,
                                                SG_MAT_TYPE_SHADED,
                                                SG_MAT_TYPE_TEXTURE,
                                                SG_MAT_TYPE_SHADED_TEXTURE,
                                                SG_MAT_TYPE_SHADED_TRANSPARENT,
                                                SG_MAT_TYPE_TRANSPARENT_TEXTURE,
                                                SG_MAT_TYPE_SHADED_TRANSPARENT_TEXTURE};
    SGModel* box = Keep(Box(1.f, 1.f, 1.f, 1));
    for (int i = 0; i < 7; ++i) {
      const std::uint32_t type = kTypes[i];
      const bool textured = type == SG_MAT_TYPE_TEXTURE || type == SG_MAT_TYPE_SHADED_TEXTURE ||
                            type == SG_MAT_TYPE_TRANSPARENT_TEXTURE || type == SG_MAT_TYPE_SHADED_TRANSPARENT_TEXTURE;
      SGTextureMap* txm = textured ? Texture(64, 64, static_cast<std::uint8_t>(40 + 20 * i), 0) : nullptr;
      SGMaterial* mat = Keep(Material(type, static_cast<std::uint8_t>(70 + 20 * i), txm));
      SGInstance* inst = Place(box, {mat}, -9.0 + 3.0 * i, 0.0, 0.0);
      const float angles[3] = {0.5f, 0.3f * static_cast<float>(i), 0.2f};
      SGInstanceSetAngles(inst, angles);
      SGInstanceUpdate(inst);
    }
  }
};

TEST_F(SceneDrawTest, EachMaterialTypeLitAndUnlit) {
  PlaceMaterialRow();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("materials_unlit");
  rend_->renShadeLUT = ShadeTable(fb_->fbPixelFormat);
  AddLight(0.3f, 1.f, -0.6f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("materials_lit");
}

}  // namespace
}  // namespace rendertest
