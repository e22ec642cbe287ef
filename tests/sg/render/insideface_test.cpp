// Faces of a list wholly inside the view go from their prepared corners to
// the software slot's drawing without the call through the primitive table,
// and a triangle with no edge to split goes to its fill without the
// subdivision's call while the scene draw holds the buffer, waiting there
// with the list's others of the same fill to be filled in their order. Each scene here
// is drawn that way and again with the table's triangle slot replaced by a
// pass-through to the software slot (no short way for faces), and once more
// so in single-step mode (each triangle locks and unlocks the buffer): the
// pixels, the counts and every screen vertex made must agree.

#include <algorithm>
#include <cstring>
#include <random>
#include <utility>

#include "sg/core/context.h"
#include "sg/render/primitives.h"
#include "support/renderfixture.h"
#include "tests/support/rough_ball.h"

namespace rendertest {
namespace {

std::uint32_t g_passed = 0;  // triangles handed to the slot

SGError PassThrough(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** triple) {
  ++g_passed;
  return ISGEPDrawTriangle(rend, scene, mat, triple);
}

// A rough ball of one level, in `materials` materials.
SGModel* Ball(float radius, std::uint32_t seg, std::uint32_t rings, std::uint32_t materials) {
  SGModel* m = SGModelCreate();
  SGModelAddLod(m, 0.f);
  sg_support::RoughBallLevel(&m->modLods[0], radius, seg, rings, 0.2f, materials);
  SGModelComputeBounds(m);
  return m;
}

class InsideFaceTest : public RenderTest {
 protected:
  struct Outcome {
    Image frame;
    std::uint32_t faces;
    std::uint32_t tris;
    std::vector<SGQVert> qverts;
  };

  // One frame. Through the table and in single-step mode too, every
  // triangle takes the long way: the slot's call, the buffer's lock and the
  // subdivision's own test of its edges.
  Outcome DrawOnce(bool throughTable, bool singleStep) {
    rend_->renMethods.rmDrawTriangle = throughTable ? PassThrough : ISGEPDrawTriangle;
    g_passed = 0;
    if (singleStep) {
      rend_->renFlags |= SG_REND_FLAG_SINGLE_STEP;
    }
    EXPECT_EQ(Draw(), SG_ERROR_NONE);  // each frame starts the counts again
    rend_->renFlags &= ~SG_REND_FLAG_SINGLE_STEP;
    rend_->renMethods.rmDrawTriangle = ISGEPDrawTriangle;
    return Outcome{Frame(), rend_->renFaceCount, rend_->renTriCount,
                   std::vector<SGQVert>(rend_->renQVerts, rend_->renQVerts + rend_->renNextQVert)};
  }

  // The scene drawn the short way, through the table, and through the table
  // face by face; returns the triangles of the pass through the table and
  // the pixels of the frame's border rows and columns covered (by faces cut
  // by the sides of the view).
  std::pair<std::uint32_t, std::uint32_t> ExpectAlike(const char* what) {
    const Outcome direct = DrawOnce(false, false);
    const Outcome stepped = DrawOnce(true, true);
    const Outcome table = DrawOnce(true, false);
    for (const Outcome* other : {&table, &stepped}) {
      const char* how = other == &table ? "through the table" : "single-step";
      EXPECT_TRUE(direct.frame.rgb == other->frame.rgb) << what << ", " << how;
      EXPECT_EQ(direct.faces, other->faces) << what << ", " << how;
      EXPECT_EQ(direct.tris, other->tris) << what << ", " << how;
      EXPECT_EQ(direct.qverts.size(), other->qverts.size()) << what << ", " << how;
      const std::size_t n = std::min(direct.qverts.size(), other->qverts.size());
      EXPECT_EQ(0, std::memcmp(direct.qverts.data(), other->qverts.data(), n * sizeof(SGQVert))) << what << ", " << how;
    }
    std::uint32_t border = 0;
    const int w = table.frame.width, h = table.frame.height;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
        border += edge && table.frame.rgb[static_cast<std::size_t>(y) * w + x] != table.frame.rgb[0] ? 1 : 0;
      }
    }
    return {g_passed, border};
  }

  // Balls and boxes scattered about the view, many across its sides or
  // behind the eye, in every material type, two materials each.
  void Scatter(std::uint32_t seed, int count, void (*prepare)(SGMaterial*) = nullptr) {
    PlaceMaterialRow(0, prepare);
    std::mt19937 rng(seed);
    auto real = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    SGModel* ball = Keep(Ball(2.f, 10, 6, 2));
    SGModel* box = Keep(Box(1.5f, 1.f, 2.f, 2));
    for (int i = 0; i < count; ++i) {
      SGMaterial* a = materials_[static_cast<std::size_t>(i) % 7];
      SGMaterial* b = materials_[static_cast<std::size_t>(i + 3) % 7];
      SGInstance* inst =
          Place(i % 3 == 0 ? box : ball, {a, b}, real(-30.f, 30.f), real(-22.f, 70.f), real(-14.f, 14.f));
      const float angles[3] = {real(0.f, 6.f), real(0.f, 6.f), real(0.f, 6.f)};
      SGInstanceSetAngles(inst, angles);
      SGInstanceUpdate(inst);
    }
    AddLight(0.3f, 0.8f, -0.5f);
    BuildShadeTable();
  }
};

TEST_F(InsideFaceTest, ScatteredScenesDrawAsThroughTheTable) {
  Scatter(77, 70);
  const auto plain = ExpectAlike("plain");
  SGRendererClearRenderOptions(rend_, SG_REND_OPT_PERSPECTIVE);
  ExpectAlike("no perspective");
  SGRendererSetRenderOptions(rend_, SG_REND_OPT_PERSPECTIVE);
  GreyFog();
  ExpectAlike("fogged");
  // Plenty of triangles went through the comparison, some of them cut by the view's sides.
  EXPECT_GT(plain.first, 1000u);
  EXPECT_GT(plain.second, 40u);
}

// The close view: faces long enough to be split for perspective, and many
// faces cut by the sides of the view next to ones just inside them.
TEST_F(InsideFaceTest, CloseFacesAndTheViewsEdgesDrawAsThroughTheTable) {
  Scatter(5, 40);
  LookFrom(0.0, -6.0, 0.5, 0.1f, 1.f, 0.05f);
  EXPECT_GT(ExpectAlike("close").second, 200u);
  // A viewport reaching past the buffer: the view's window narrows to it.
  const std::int32_t origin[2] = {-120, 60};
  const std::int32_t size[2] = {585, 367};
  SGInstanceSetViewport(camera_, origin, size);
  ExpectAlike("window");
}

// Balls whose vertices are shared by faces of two shaded textured
// materials, of textures of two sizes and of different light weights: the
// screen vertex of a corner is made once, for the first face that uses it,
// and only its u, v made again for a texture of another size, whether the
// faces around it are wholly inside the view or cut by its sides.
TEST_F(InsideFaceTest, CornersSharedAcrossMaterialsDrawAsThroughTheTable) {
  SGMaterial* large = Keep(Material(SG_MAT_TYPE_SHADED_TEXTURE, 60, Texture(64, 64, 40, 3)));
  SGMaterial* small = Keep(Material(SG_MAT_TYPE_SHADED_TEXTURE, 90, Texture(32, 32, 100, 5)));
  small->matAmbient = 0.6f;
  small->matDiffuse = 0.3f;
  SGModel* ball = Keep(Ball(2.f, 10, 6, 2));
  std::mt19937 rng(909);
  auto real = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  for (int i = 0; i < 40; ++i) {
    SGInstance* inst = Place(ball, i % 2 == 0 ? std::vector{large, small} : std::vector{small, large},
                             real(-20.f, 20.f), real(2.f, 30.f), real(-10.f, 10.f));
    const float angles[3] = {real(0.f, 6.f), real(0.f, 6.f), real(0.f, 6.f)};
    SGInstanceSetAngles(inst, angles);
    SGInstanceUpdate(inst);
  }
  AddLight(0.3f, 0.8f, -0.5f);
  BuildShadeTable();
  const auto seen = ExpectAlike("two textures");
  EXPECT_GT(seen.first, 1000u);
  EXPECT_GT(seen.second, 100u);
  GreyFog();
  ExpectAlike("two textures, fogged");
}

// Debugging modes read the renderer's state while a triangle is drawn: the
// numbered colours read the triangle count, the window of drawn triangles
// and the outlines read theirs.
TEST_F(InsideFaceTest, DebuggingModesDrawAsThroughTheTable) {
  Scatter(31, 50);
  ctx_->ctxDebug |= SG_CTX_DEBUG_TRI_COLOURS;
  ExpectAlike("numbered colours");
  ctx_->ctxDebug &= ~SG_CTX_DEBUG_TRI_COLOURS;
  ctx_->ctxDebug |= SG_CTX_DEBUG_DRAW;
  ExpectAlike("outlines");
  ctx_->ctxDebug &= ~SG_CTX_DEBUG_DRAW;
  const std::uint32_t first = g_sgTriDrawFirst;
  const std::uint32_t last = g_sgTriDrawLast;
  g_sgTriDrawFirst = 40;
  g_sgTriDrawLast = 90;
  ExpectAlike("window of triangles");
  g_sgTriDrawFirst = first;
  g_sgTriDrawLast = last;
}

// On an 8-bit buffer a shaded corner's light goes into its screen vertex
// unweighted, and each material reads its own ramp.
class InsideFaceIndexedTest : public InsideFaceTest {
 protected:
  IDirectDrawSurface* OpenFrame() override { return OpenIndexedFrame(); }

  // Sixteen levels of the material's colour, or of each texel value.
  static void GiveRamp(SGMaterial* mat) {
    const std::uint32_t width = mat->matTexMap != nullptr ? 256 : 1;
    auto* lut = static_cast<std::uint8_t*>(SGMalloc(16 * width));
    for (std::uint32_t level = 0; level < 16; ++level) {
      for (std::uint32_t k = 0; k < width; ++k) {
        const std::uint32_t base = width == 1 ? mat->matColour : k;
        lut[level * width + k] = static_cast<std::uint8_t>(level == 0 ? 0 : base % 16 + 16 * level);
      }
    }
    mat->matInfo->maiLUT = lut;
  }
};

TEST_F(InsideFaceIndexedTest, ScatteredScenesDrawAsThroughTheTable) {
  Scatter(12, 60, GiveRamp);
  EXPECT_GT(ExpectAlike("indexed").first, 1000u);
  EXPECT_GT(Covered(), 20000u);
  GreyFog();
  ExpectAlike("indexed, fogged");
}

}  // namespace
}  // namespace rendertest
