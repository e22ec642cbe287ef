#pragma once
// A terrain scene drawn whole through SGSceneDraw into the game's frame
// buffer: a 4 x 4 world of 16-unit pages of generated heights, a checker
// texture, and a camera of its own.

#include <functional>
#include <string>
#include <vector>

#include "../../render/support/renderfixture.h"
#include "terrainfixture.h"

#include "sg/terrain/lod.h"
#include "sg/terrain/terrain.h"

namespace terraintest {

// Rolling hills: two crossing waves over the whole 4 x 4 world (64 samples a
// period, so pages meet without a seam).
inline std::vector<std::uint8_t> Hills(std::uint32_t column, std::uint32_t row) {
  return Field(17, [=](std::uint32_t x, std::uint32_t y) {
    const double gx = (column * 16.0 + x) / 64.0 * 2.0 * 3.14159265358979;
    const double gy = (row * 16.0 + y) / 64.0 * 2.0 * 3.14159265358979;
    return static_cast<std::uint8_t>(60.0 + 45.0 * std::sin(gx) * std::cos(2.0 * gy) + 30.0 * std::sin(2.0 * gy + 1.0));
  });
}

class TerrainDraw : public rendertest::RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    // The fixture's scene gives way to a terrain scene with its own camera.
    ReplaceGround("ground", [](std::uint32_t c, std::uint32_t r) { return Hills(c, r); });
    LookFrom(26.0, -8.0, 30.0, 0.25f, 0.85f, -0.45f);
  }

  // The scene gives way to a terrain scene of these heights with its own camera.
  void ReplaceGround(const std::string& name,
                     std::function<std::vector<std::uint8_t>(std::uint32_t, std::uint32_t)> heights) {
    SGSceneDestroy(scene_);
    ground_ = OpenTerrain(name, std::move(heights), 85, 118);
    scene_ = ground_.scene;
    camera_ = NewInstance(SG_INST_TYPE_CAMERA);
    SGInstanceSetCamera(camera_, 45.f, 585.f / 367.f, 0.5f, 120.f);
    const std::int32_t origin[2] = {0, 0};
    const std::int32_t size[2] = {585, 367};
    SGInstanceSetViewport(camera_, origin, size);
    SGInstanceSetAttributes(camera_, SG_ATTR_NO_PICK | SG_ATTR_NO_LOS);
    SGSceneAddInstance(scene_, camera_);
  }
  void TearDown() override {
    if (clouds_.scene != nullptr) {
      SGSceneDestroy(clouds_.scene);
    }
    RenderTest::TearDown();
  }

  struct Opened {
    SGScene* scene = nullptr;
    std::function<std::vector<std::uint8_t>(std::uint32_t, std::uint32_t)> heights;
  };

  static void NeedPage(std::int32_t row, std::int32_t column, std::uintptr_t data) {
    auto* self = reinterpret_cast<Opened*>(data);
    SGSceneLoadPage(self->scene, static_cast<std::uint32_t>(row * 4 + column), 0, row, column, nullptr);
  }

  // A 4 x 4 world of 16-unit pages, each page its own height file, with a
  // checker texture of two palette colours.
  Opened OpenTerrain(const std::string& name,
                     std::function<std::vector<std::uint8_t>(std::uint32_t, std::uint32_t)> heights, std::uint8_t a,
                     std::uint8_t b) {
    Opened o;
    o.heights = heights;
    std::string text = "terrain\nSTART\ncolours.pal 16.0 25.5 17 0.0 4 4\n";
    for (std::uint32_t i = 0; i < 16; ++i) {
      const std::string file = name + std::to_string(i) + ".hgt";
      drive_.Write(file, HeightFile(17, heights(i % 4, i / 4)));
      text += "HEIGHT " + std::to_string(i) + " " + file + "\n";
    }
    drive_.Write(name + ".con", text);
    EXPECT_EQ(SGSceneCreate(ctx_, &o.scene), SG_ERROR_NONE);
    EXPECT_EQ(SGSceneLoad(o.scene, dp_, (name + ".con").c_str()), SG_ERROR_NONE);
    SGTextureMap* txm = Checker(64, a, b);
    EXPECT_EQ(SGSceneSetTexLOD(o.scene, txm, 0, 0), SG_ERROR_NONE);
    SGTextureMapRelease(txm);
    return o;
  }

  void Hook(Opened& o) {
    SGSceneSetPageCallback(o.scene, &TerrainDraw::NeedPage, reinterpret_cast<std::uintptr_t>(&o));
  }

  SGError DrawTerrain() {
    // As the game does: the first frame derives the LOD value from the pages.
    if (rend_->renLOD == nullptr) {
      SGRendererSetLOD(rend_, 0.f);
    }
    Hook(ground_);
    return Draw();
  }

  Opened ground_;
  Opened clouds_;
};

}  // namespace terraintest
