// One frame of SGSceneDraw as a whole: what it refuses, how it ends, how a
// message handler can call back into it, and that a warm frame allocates nothing.

#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "sg/cull/cull.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

// What the window procedure of the single-step tests does with WM_USER.
struct Callback {
  SGRenderer* rend = nullptr;
  SGScene* scene = nullptr;
  SGInstance* camera = nullptr;
  bool abort = false;
  SGError nested = 0xFFFFFFFF;
  double eyeBefore[3] = {};
  double eyeAfter[3] = {};
};
Callback g_callback;

LRESULT StepProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_USER) {
    return DefWindowProc(hwnd, msg, wParam, lParam);
  }
  Callback& c = g_callback;
  if (c.abort) {
    SGSceneAbortDraw(0, c.scene);
    return 0;
  }
  std::copy(c.rend->renEye, c.rend->renEye + 3, c.eyeBefore);
  c.nested = SGSceneDraw(c.rend, c.scene, c.camera);
  std::copy(c.rend->renEye, c.rend->renEye + 3, c.eyeAfter);
  return 0;
}

class FrameTest : public RenderTest {
 protected:
  void PlaceBoxes(int count) {
    SGModel* box = Keep(Box(0.6f, 0.6f, 0.6f, 2));
    SGMaterial* a = Keep(Material(SG_MAT_TYPE_TEXTURE, 0, Texture(64, 64, 30, 5)));
    SGMaterial* b = Keep(Material(SG_MAT_TYPE_SHADED_TEXTURE, 0, Texture(32, 32, 60, 7)));
    for (int i = 0; i < count; ++i) {
      Place(box, {a, b}, -12.0 + (i % 10) * 2.6, 5.0 + (i / 10) * 3.0, -4.0 + (i % 7) * 1.3);
    }
  }

  HWND StepWindow() {
    WNDCLASSEX wc;
    wc.lpszClassName = "RenderStepWindow";
    wc.lpfnWndProc = StepProc;
    RegisterClassEx(&wc);
    return CreateWindowEx(0, "RenderStepWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }
};

TEST_F(FrameTest, UnloadedSceneIsRefusedAndTheFrameStillEnds) {
  SGScene* empty = nullptr;
  ASSERT_EQ(SGSceneCreate(ctx_, &empty), SG_ERROR_NONE);
  SGInstance* camera = NewInstance(SG_INST_TYPE_CAMERA);
  EXPECT_EQ(SGSceneDraw(rend_, empty, camera), SG_ERROR_SCENE_NOT_LOADED);
  EXPECT_EQ(rend_->renFlags & SG_REND_FLAG_FRAME_OPEN, 0u);
  EXPECT_EQ(empty->scnFlags & SG_SCN_FLAG_DRAWING, 0u);
  EXPECT_EQ(camera->instScene, empty);
  SGSceneDestroy(empty);
}

TEST_F(FrameTest, TheSceneOriginIsTakenOffTheCameraOnlyWhileDrawing) {
  PlaceBoxes(3);
  const double origin[3] = {100.0, -50.0, 2.0};
  SGSceneSetOrigin(scene_, origin);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(camera_->instPos[0], 0.0);
  EXPECT_EQ(camera_->instPos[1], -20.0);
  EXPECT_EQ(rend_->renEye[0], -100.0);
  SGSceneUnload(scene_);
  EXPECT_EQ(Draw(), SG_ERROR_SCENE_NOT_LOADED);
  EXPECT_EQ(camera_->instPos[1], -20.0);
}

// A handler that draws the scene again while a single-step draw pumps its
// messages is refused, and the outer draw goes on with its camera untouched.
TEST_F(FrameTest, ANestedDrawIsRefusedWithoutTouchingTheOuterFrame) {
  PlaceBoxes(2);
  HWND step = StepWindow();
  SGInstance* other = NewInstance(SG_INST_TYPE_CAMERA);
  const double far[3] = {500.0, 500.0, 500.0};
  SGInstanceSetPosition(other, far);
  SGInstanceUpdate(other);
  g_callback = Callback{rend_, scene_, other};
  SGRendererSetOptions(rend_, SG_REND_FLAG_SINGLE_STEP);
  PostMessage(step, WM_USER, 0, 0);
  EXPECT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(g_callback.nested, SG_ERROR_DRAWING);
  EXPECT_EQ(g_callback.eyeAfter[1], g_callback.eyeBefore[1]);
  EXPECT_EQ(other->instScene, nullptr);
  EXPECT_GT(Covered(), 0u);
  ISGInstanceDestroy(other);
  DestroyWindow(step);
}

TEST_F(FrameTest, AHandlerCanAbandonTheFrame) {
  PlaceBoxes(2);
  HWND step = StepWindow();
  g_callback = Callback{rend_, scene_, camera_, true};
  SGRendererSetOptions(rend_, SG_REND_FLAG_SINGLE_STEP);
  PostMessage(step, WM_USER, 0, 0);
  EXPECT_EQ(Draw(), SG_ERROR_ABANDONED);
  EXPECT_EQ(rend_->renFlags & SG_REND_FLAG_FRAME_OPEN, 0u);
  EXPECT_EQ(scene_->scnFlags & SG_SCN_FLAG_DRAWING, 0u);
  EXPECT_EQ(Draw(), SG_ERROR_NONE);
  DestroyWindow(step);
}

// Once the pools have grown to a frame's needs, drawing it again takes no memory.
TEST_F(FrameTest, AWarmFrameAllocatesNothing) {
  PlaceBoxes(200);
  AddLight(0.2f, 1.f, -0.5f);
  BuildShadeTable();
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
  }
  const std::uint64_t before = SGMallocCount();
  for (int i = 0; i < 10; ++i) {
    const float angles[3] = {0.f, 0.f, 0.01f * static_cast<float>(i)};
    SGInstanceSetAngles(camera_, angles);
    SGInstanceUpdate(camera_);
    ASSERT_EQ(SGSceneDraw(rend_, scene_, camera_), SG_ERROR_NONE);
  }
  EXPECT_EQ(SGMallocCount(), before);
  EXPECT_GT(Covered(), 1000u);
}

// The triangles of a frame share one lock of the frame buffer, which the
// draw gives back at its end: the surface is free for the blits that follow.
TEST_F(FrameTest, TheFrameBufferIsUnlockedWhenTheDrawEnds) {
  PlaceBoxes(20);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_GT(Covered(), 1000u);
  EXPECT_EQ(rend_->renHoldFrameLock, 0u);
  EXPECT_EQ(fb_->fbDDI->ddiFlags & SG_DDI_LOCKED, 0u);
  DDSURFACEDESC desc;
  ASSERT_EQ(surface_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  surface_->Unlock(nullptr);
}

// A viewport larger than the frame buffer is narrowed to a window inside it,
// so that no fill writes outside the buffer.
TEST_F(FrameTest, AViewportBeyondTheBufferIsFittedToIt) {
  PlaceBoxes(60);
  const std::int32_t origin[2] = {-100, -50};
  const std::int32_t size[2] = {785, 467};
  SGInstanceSetViewport(camera_, origin, size);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  const SGViewData* vi = rend_->renViewData;
  ASSERT_NE(vi->viFlags & SG_VI_WINDOW, 0u);
  EXPECT_NEAR(vi->viWindowLo[0], 2.f * 100.f / 785.f - 1.f, 1e-5f);
  EXPECT_NEAR(vi->viWindowHi[1], 2.f * 417.f / 467.f - 1.f, 1e-5f);
  EXPECT_GT(Covered(), 1000u);
  // A viewport wholly outside the buffer, or of no size, draws no frame.
  const std::int32_t away[2] = {600, 0};
  SGInstanceSetViewport(camera_, away, size);
  EXPECT_EQ(Draw(), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(Covered(), 0u);
  const std::int32_t none[2] = {0, 0};
  const std::int32_t corner[2] = {-10, 0};
  SGInstanceSetViewport(camera_, corner, none);
  EXPECT_EQ(Draw(), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(rend_->renFlags & SG_REND_FLAG_FRAME_OPEN, 0u);
}

// Cameras whose matrices come out of range (no field of view, no depth) draw
// nothing outside the buffer.
TEST_F(FrameTest, DegenerateCamerasNeverWriteOutsideTheBuffer) {
  PlaceBoxes(20);
  const float settings[][4] = {
      {0.f, 1.6f, 0.5f, 200.f}, {180.f, 1.6f, 0.5f, 200.f}, {45.f, 1.6f, 5.f, 5.f}, {45.f, 0.f, 0.5f, 200.f}};
  for (const auto& c : settings) {
    SGInstanceSetCamera(camera_, c[0], c[1], c[2], c[3]);
    Draw();
    EXPECT_EQ(rend_->renFlags & SG_REND_FLAG_FRAME_OPEN, 0u);
  }
}

// The game keeps a scene per view and draws whichever is shown with its one
// renderer: each frame shows its own scene through its own camera.
TEST_F(FrameTest, OneRendererDrawsAScenePerView) {
  Place(Keep(Box(2.f, 2.f, 2.f, 1)), {Flat(40)}, 0.0, 0.0, 0.0);
  SGScene* other = nullptr;
  ASSERT_EQ(SGSceneCreate(ctx_, &other), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneLoad(other, dp_, "Quenbar.con"), SG_ERROR_NONE);
  SGSceneAddInstance(other, Instance(Keep(Box(2.f, 2.f, 2.f, 1)), {Flat(150)}, 0.0, 10.0, 0.0));
  SGInstance* camera = NewInstance(SG_INST_TYPE_CAMERA);
  SGInstanceSetCamera(camera, 30.f, 1.f, 0.5f, 100.f);
  const float forward[3] = {0.f, 1.f, 0.f};
  const float up[3] = {0.f, 0.f, 1.f};
  SGInstanceSetOrientation(camera, forward, up);
  SGInstanceUpdate(camera);
  SGSceneAddInstance(other, camera);
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
    EXPECT_EQ(Pixel(292, 183), Colour(40));
    Clear();
    ASSERT_EQ(SGSceneDraw(rend_, other, camera), SG_ERROR_NONE);
    EXPECT_EQ(Pixel(292, 183), Colour(150));
    EXPECT_EQ(rend_->renCamera, camera);
  }
  SGSceneDestroy(other);
}

// The scene's cull tree removes what lies wholly beyond its plane, seen from the eye.
TEST_F(FrameTest, TheCullTreeRemovesInstancesBeyondItsPlane) {
  SGModel* box = Keep(Box(1.f, 1.f, 1.f, 1));
  SGInstance* before = Place(box, {Flat(40)}, -3.0, 0.0, 0.0);
  SGInstance* beyond = Place(box, {Flat(90)}, 3.0, 30.0, 0.0);
  const float plane[4] = {0.f, 1.f, 0.f, 10.f};
  const double centre[3] = {0.0, 10.0, 0.0};
  SGCullObject* wall = nullptr;
  ASSERT_EQ(ISGCullCreatePlane(plane, centre, SG_CULL_OPT_BEYOND, &wall), SG_ERROR_NONE);
  scene_->scnCullRoot = wall;
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(before->instFlags & SG_INST_CULLED, 0u);
  EXPECT_NE(beyond->instFlags & SG_INST_CULLED, 0u);
  scene_->scnCullRoot = nullptr;
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(beyond->instFlags & SG_INST_CULLED, 0u);
  SGCullDestroy(wall);
}

TEST_F(FrameTest, DeletedInstancesGoAtTheNextFrame) {
  PlaceBoxes(3);
  SGInstance* doomed = scene_->scnInstances;
  SGInstanceDelete(doomed);
  EXPECT_EQ(scene_->scnInstances, doomed);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  for (SGInstance* i = scene_->scnInstances; i != nullptr; i = i->instScnNext) {
    EXPECT_NE(i, doomed);
  }
}

}  // namespace
}  // namespace rendertest
