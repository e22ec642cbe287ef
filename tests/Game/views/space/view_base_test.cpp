// The 3D view base's life and frame: the shared world and archive go with the
// last view, the camera block in both versions and its refusals, and a frame
// that draws only when something changed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CVDispObj.h"
#include "media/ResourceArchive.h"
#include "platform/core/dospath.h"
#include "tests/Game/views/space/space_world.h"
#include "tests/support/scoped_file.h"

namespace {

using space_test::SpaceWorld;
using space_test::TestView;

void PutF64(std::vector<std::uint8_t>& b, std::size_t at, double d) {
  std::uint64_t v;
  std::memcpy(&v, &d, 8);
  for (int i = 0; i < 8; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
double GetF64(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | b[at + i];
  double d;
  std::memcpy(&d, &v, 8);
  return d;
}

TEST_F(SpaceWorld, TheLastViewTakesTheWorldAndArchiveAndTheNextMakesThemAgain) {
  TestView& first = Make3D();
  ASSERT_NE(g_sgWorld, nullptr);
  EXPECT_EQ(g_3dArchiveOpen, 1u);
  CVSgWorld* world = g_sgWorld;
  Make3D(VIEW_SOLAR);
  Make3D(VIEW_SPACE_REPLAY);
  EXPECT_EQ(g_sgWorld, world);
  EXPECT_EQ(g_live3DViews, 3);
  EXPECT_NE(first.displayList, views3d[1]->displayList);
  // Every view has its own list; the world stays until the last one goes.
  views3d.erase(views3d.begin());
  EXPECT_EQ(g_sgWorld, world);
  views3d.erase(views3d.begin());
  EXPECT_EQ(g_live3DViews, 1);
  views3d.clear();
  EXPECT_EQ(g_sgWorld, nullptr);
  EXPECT_EQ(g_3dArchiveOpen, 0u);
  EXPECT_EQ(g_live3DViews, 0);
  EXPECT_EQ(g_dispAnimationPaused, nullptr);

  // A new view makes both again, with the star-background option applied.
  g_starBackgroundOption = 0;
  TestView& again = Make3D();
  ASSERT_NE(g_sgWorld, nullptr);
  EXPECT_EQ(g_3dArchiveOpen, 1u);
  EXPECT_EQ(again.IsStarBackgroundOn(), 0);
  g_starBackgroundOption = 1;
}

TEST_F(SpaceWorld, AnimationsPauseWhileTheInfoPanelCoversThePictureAndInScriptedRuns) {
  Make3D();
  ASSERT_NE(g_dispAnimationPaused, nullptr);
  SharedScreen().infoPanelVisible = 1;
  EXPECT_TRUE(g_dispAnimationPaused());
  SharedScreen().infoPanelVisible = 0;
  EXPECT_FALSE(g_dispAnimationPaused());
  g_stillWorld = true;
  EXPECT_TRUE(g_dispAnimationPaused());
  g_stillWorld = false;
}

TEST_F(SpaceWorld, TheCameraBlockIsWrittenAsVersionTwoAndReadBack) {
  TestView& v = Make3D();
  v.target[0] = 1110.5;
  v.homePosition[2] = 1050.25;
  v.shipCycleIndex = 3;
  v.nearAsteroid = 1;
  g_jumpAsteroid = 2;
  SharedScreen().commandMode = 4;
  SharedScreen().pendingOrderOption = 4;
  v.gridRate = 1.5f;
  const std::vector<std::uint8_t> b = v.SaveCameraBlock();
  ASSERT_EQ(b.size(), 100u);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[1], 1);
  EXPECT_EQ(b[9] | (b[10] << 8), 1);  // the live views
  EXPECT_DOUBLE_EQ(GetF64(b, 15), 1110.5);
  EXPECT_EQ(b[39], 2);
  EXPECT_EQ(b[41], 3);
  EXPECT_DOUBLE_EQ(GetF64(b, 59), 1050.25);
  EXPECT_EQ(b[99], 0xFE);
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0xFF) << "the data panel's list is let go";
  EXPECT_EQ(v.gridRate, 0.f);

  TestView& other = Make3D();
  SharedScreen().pendingOrderOption = 5;
  ASSERT_TRUE(other.LoadCameraBlock(b));
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0xFF);
  EXPECT_DOUBLE_EQ(other.target[0], 1110.5);
  EXPECT_DOUBLE_EQ(other.homePosition[2], 1050.25);
  EXPECT_EQ(other.shipCycleIndex, 3);
  EXPECT_EQ(other.nearAsteroid, 1u);
  // The live count in the block is not the views living now.
  EXPECT_EQ(g_live3DViews, 2);
}

TEST_F(SpaceWorld, TheCameraBlockGoesThroughASavedGamesFile) {
  // The scratch drive is E here (C is the installation).
  plat::SetDrive('E', box.Host(""));
  TestView& v = Make3D();
  v.target[2] = 1111.0;
  {
    quentest::ScopedFile f("E:\\camera.bin", "wb");
    EXPECT_EQ(v.SaveState(f.get()), 1);
  }
  EXPECT_EQ(box.Read("camera.bin").size(), 100u);
  v.target[2] = 1100.0;
  {
    quentest::ScopedFile f("E:\\camera.bin", "rb");
    EXPECT_EQ(v.LoadState(f.get()), 1);
  }
  EXPECT_DOUBLE_EQ(v.target[2], 1111.0);
  // A file that ends inside the block is refused.
  const std::string whole = box.Read("camera.bin");
  box.Write("short.bin", whole.substr(0, 70));
  v.target[2] = 1100.0;
  {
    quentest::ScopedFile f("E:\\short.bin", "rb");
    EXPECT_EQ(v.LoadState(f.get()), 0);
  }
  EXPECT_DOUBLE_EQ(v.target[2], 1100.0);
}

TEST_F(SpaceWorld, AVersionOneBlockKeepsTheFogAndStarSwitches) {
  TestView& v = Make3D();
  std::vector<std::uint8_t> b = v.SaveCameraBlock();
  std::vector<std::uint8_t> old(b.begin(), b.begin() + 92);
  old[0] = 1;
  old[91] = 0xFE;
  PutF64(old, 15, 1090.0);
  v.SetDistanceFog(0);
  ASSERT_TRUE(v.LoadCameraBlock(old));
  EXPECT_DOUBLE_EQ(v.target[0], 1090.0);
  EXPECT_EQ(v.IsDistanceFogOn(), 0);
  // Version 2 applies them.
  ASSERT_TRUE(v.LoadCameraBlock(b));
  EXPECT_EQ(v.IsDistanceFogOn(), 1);
}

TEST_F(SpaceWorld, DamagedCameraBlocksAreRefusedAndChangeNothing) {
  TestView& v = Make3D();
  const std::vector<std::uint8_t> good = v.SaveCameraBlock();
  v.target[1] = 1105.0;
  auto refused = [&](std::vector<std::uint8_t> b, const char* why) {
    EXPECT_FALSE(v.LoadCameraBlock(b)) << why;
    EXPECT_DOUBLE_EQ(v.target[1], 1105.0) << why;
  };
  refused(std::vector<std::uint8_t>(good.begin(), good.begin() + 60), "short");
  refused({}, "empty");
  std::vector<std::uint8_t> b = good;
  b[99] = 0xFD;
  refused(b, "validity byte");
  b = good;
  b[0] = 3;
  refused(b, "version");
  b = good;
  PutF64(b, 23, std::numeric_limits<double>::quiet_NaN());
  refused(b, "not a number");
  b = good;
  PutF64(b, 43, 1e300);
  refused(b, "outside the cube");
  b = good;
  PutF64(b, 15, std::numeric_limits<double>::infinity());
  refused(b, "infinite");
}

TEST_F(SpaceWorld, AnUnchangedFrameDrawsNothingAndSendsNoMouseMove) {
  TestView& v = Make3D();
  const double eye[3] = {1100, 1100, 1060}, at[3] = {1100, 1100, 1100};
  Place(eye, at);
  v.mouseRefreshCount = 1;
  EXPECT_EQ(v.DrawFrame(), 1u);
  EXPECT_EQ(v.mouseMoves, 1);
  EXPECT_EQ(v.mouseRefreshCount, 0u);
  v.mouseRefreshCount = 1;
  g_animElapsedMs = 0;
  EXPECT_EQ(v.DrawFrame(), 0u);
  EXPECT_EQ(v.mouseMoves, 1);
  EXPECT_EQ(v.mouseRefreshCount, 1u);
  // A camera move draws again.
  const double moved[3] = {1100, 1100, 1061};
  Place(moved, at);
  EXPECT_EQ(v.DrawFrame(), 1u);
  // Never under suspended flushing.
  g_sgWorld->redraw = 1;
  SuspendScreenFlush(1);
  EXPECT_EQ(v.DrawFrame(), 0u);
  SuspendScreenFlush(0);
}

// A chosen info page or a closed dialog asks the view to redraw: with the
// world still (the info panel shown, or a scripted run) nothing else would
// paint the viewport again, so the page or the dialog's leftovers stayed.
TEST_F(SpaceWorld, InvalidateDrawsTheStillWorldOnceMore) {
  TestView& v = Make3D();
  const double eye[3] = {1100, 1100, 1060}, at[3] = {1100, 1100, 1100};
  Place(eye, at);
  EXPECT_EQ(v.DrawFrame(), 1u);
  g_animElapsedMs = 0;
  EXPECT_EQ(v.DrawFrame(), 0u);
  v.Invalidate();
  EXPECT_NE(v.IsRedrawPending(), 0);
  EXPECT_EQ(v.DrawFrame(), 1u);
  EXPECT_EQ(v.DrawFrame(), 0u);
}

}  // namespace
