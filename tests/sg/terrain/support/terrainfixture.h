#pragma once
// A scene with terrain for the tests: a description file with "HEIGHT" lines
// for generated height files, one checker texture set installed by hand, and
// a page hook that loads each location's height index from a table. Height
// fields are generated with known heights (flat, ramp, cone, noise).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../../sgtest.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/material/material.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"

namespace terraintest {

// An n x n height field from a function of the sample (x, y).
inline std::vector<std::uint8_t> Field(std::uint32_t n,
                                       const std::function<std::uint8_t(std::uint32_t, std::uint32_t)>& f) {
  std::vector<std::uint8_t> h(static_cast<std::size_t>(n) * n);
  for (std::uint32_t y = 0; y < n; ++y) {
    for (std::uint32_t x = 0; x < n; ++x) {
      h[y * n + x] = f(x, y);
    }
  }
  return h;
}
inline std::vector<std::uint8_t> Flat(std::uint32_t n, std::uint8_t v) {
  return Field(n, [v](std::uint32_t, std::uint32_t) { return v; });
}
// Rises by `step` per sample along x.
inline std::vector<std::uint8_t> Ramp(std::uint32_t n, std::uint32_t step) {
  return Field(n, [step](std::uint32_t x, std::uint32_t) { return static_cast<std::uint8_t>(x * step); });
}
// A cone of height `top` at the centre falling by `slope` per sample of distance.
inline std::vector<std::uint8_t> Cone(std::uint32_t n, float top, float slope) {
  const float c = static_cast<float>(n - 1) / 2.f;
  return Field(n, [=](std::uint32_t x, std::uint32_t y) {
    const float d = std::hypot(static_cast<float>(x) - c, static_cast<float>(y) - c);
    return static_cast<std::uint8_t>(std::fmax(0.f, top - slope * d));
  });
}
// Reproducible noise from a small linear congruential generator.
inline std::vector<std::uint8_t> Noise(std::uint32_t n, std::uint32_t seed) {
  std::uint32_t s = seed;
  return Field(n, [&s](std::uint32_t, std::uint32_t) {
    s = s * 1103515245u + 12345u;
    return static_cast<std::uint8_t>((s >> 16) & 0xFF);
  });
}

// A height file image: the size byte and the samples.
inline std::vector<std::uint8_t> HeightFile(std::uint32_t n, const std::vector<std::uint8_t>& h) {
  std::vector<std::uint8_t> b(1 + h.size());
  b[0] = static_cast<std::uint8_t>(n);
  std::copy(h.begin(), h.end(), b.begin() + 1);
  return b;
}

// A checker of w x w 8-bit texels in two colours, with one reference.
inline SGTextureMap* Checker(std::uint32_t w, std::uint8_t a, std::uint8_t b) {
  auto* txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
  txm->txmFormat = SG_TXM_FORMAT_IDX8;
  txm->txmSize.u[0] = txm->txmSize.u[1] = w;
  txm->txmPitch = w;
  txm->txmRefCnt = 1;
  txm->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
  txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(static_cast<std::size_t>(w) * w));
  for (std::uint32_t y = 0; y < w; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      txm->txmInfo->tpiTexels[y * w + x] = ((x * 8 / w) + (y * 8 / w)) % 2 == 0 ? a : b;
    }
  }
  return txm;
}

// What a terrain scene is made of.
struct World {
  float pageSize = 16.f;
  float maxHeight = 51.f;  // height scale 0.2
  std::uint32_t verts = 17;
  std::uint32_t size[2] = {4, 4};
  // Height files by index; the page at (column, row) takes index keyOf(column, row).
  std::vector<std::vector<std::uint8_t>> files;
  std::function<std::uint32_t(std::int32_t, std::int32_t)> keyOf = [](std::int32_t, std::int32_t) { return 0u; };
  std::string moreLines;  // further description lines ("TEXTURE ...")
};

inline std::string SceneText(const World& w) {
  std::string s = "terrain for tests\nSTART\ncolours.pal " + std::to_string(w.pageSize) + " " +
                  std::to_string(w.maxHeight) + " " + std::to_string(w.verts) + " 0.0 " + std::to_string(w.size[0]) +
                  " " + std::to_string(w.size[1]) + "\n";
  for (std::size_t i = 0; i < w.files.size(); ++i) {
    s += "HEIGHT " + std::to_string(i) + " h" + std::to_string(i) + ".hgt\n";
  }
  return s + w.moreLines;
}

// Loads the scene of a World through its description file: context, data path,
// scene, texture set 0 and the page hook.
class TerrainScene {
 public:
  void Open(SGContext* ctx, const sgtest::TempDrive& drive, const World& w) {
    world_ = w;
    std::vector<std::uint8_t> pal{255};
    for (int i = 0; i < 256; ++i) {
      pal.insert(pal.end(),
                 {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
    }
    drive.Write("colours.pal", pal);
    for (std::size_t i = 0; i < w.files.size(); ++i) {
      drive.Write("h" + std::to_string(i) + ".hgt", w.files[i]);
    }
    drive.Write("terrain.con", SceneText(w));
    ASSERT_EQ(SGDataPathCreate(ctx, "Q:\\", 0, &dp_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(ctx, &scene_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneLoad(scene_, dp_, "terrain.con"), SG_ERROR_NONE);
    SGTextureMap* txm = Checker(64, 40, 90);
    ASSERT_EQ(SGSceneSetTexLOD(scene_, txm, 0, 0), SG_ERROR_NONE);
    SGTextureMapRelease(txm);
    SGSceneSetPageCallback(scene_, &TerrainScene::NeedPage, reinterpret_cast<std::uintptr_t>(this));
  }
  void Close() {
    SGSceneDestroy(scene_);
    scene_ = nullptr;
    if (dp_ != nullptr) {
      SGDataPathDestroy(dp_);
      dp_ = nullptr;
    }
  }

  static void NeedPage(std::int32_t row, std::int32_t column, std::uintptr_t data) {
    auto* self = reinterpret_cast<TerrainScene*>(data);
    ++self->requests_;
    SGSceneLoadPage(self->scene_, self->world_.keyOf(column, row), 0, row, column, nullptr);
  }

  SGScene* scene_ = nullptr;
  SGDataPath* dp_ = nullptr;
  World world_;
  int requests_ = 0;
};

class TerrainTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE); }
  void TearDown() override {
    terrain_.Close();
    SGContextDestroy(ctx_);
  }
  void Open(const World& w) { terrain_.Open(ctx_, drive_, w); }
  SGScene* Scene() const { return terrain_.scene_; }

  sgtest::TempDrive drive_;
  SGContext* ctx_ = nullptr;
  TerrainScene terrain_;
};

// A renderer and a bare scene of 1-unit pages of 17 samples and five levels,
// for the level-of-detail cases.
class LodScene : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ASSERT_EQ(SGRendererCreate(ctx_, &rend_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(ctx_, &scene_), SG_ERROR_NONE);
    scene_->scnPageSize = 1.f;
    scene_->scnPageNumVerts = 17;
    scene_->scnMaxLOD = 4;
  }
  void TearDown() override {
    if (rend_ != nullptr) rend_->renFrameBuffer = nullptr;
    SGSceneDestroy(scene_);
    SGRendererDestroy(rend_);
    SGContextDestroy(ctx_);
  }
  SGContext* ctx_ = nullptr;
  SGRenderer* rend_ = nullptr;
  SGScene* scene_ = nullptr;
};

}  // namespace terraintest
