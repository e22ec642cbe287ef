// The glide in each camera mode: it ends where a jump would have put the
// camera, moving each frame no more than the keys would (sliding with a kept
// orientation, orbiting while looking at the look-at point, upright when
// locked, turning toward the goal when free), and it takes as long at any
// frame rate.
#include <gtest/gtest.h>

#include <cmath>

#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "tests/Game/views/space/space_world.h"

namespace {

using space_test::SpaceWorld;
using space_test::TestView;
namespace st = space_test;

constexpr double kStart[3] = {1100, 1100, 1060};
constexpr double kCentre[3] = {1100, 1100, 1100};

class Glide3D : public SpaceWorld {
 protected:
  TestView& Ready() {
    TestView& v = Make3D();
    v.RebuildGrid();
    Place(kStart, kCentre);
    return v;
  }
  static void Forward(double out[3]) {
    float f[3];
    g_sgWorld->GetCameraForward(f);
    for (int i = 0; i < 3; ++i) out[i] = f[i];
  }
  static void Up(double out[3]) {
    float u[3];
    g_sgWorld->GetCameraUp(u);
    for (int i = 0; i < 3; ++i) out[i] = u[i];
  }
  // Where the camera lands when the object is jumped to from the start pose.
  static void JumpedTo(TestView& v, CVDispObj* object, double at[3], double forward[3]) {
    Place(kStart, kCentre);
    SharedScreen().cameraTravelOff = 1;
    v.FlyTo(object);
    SharedScreen().cameraTravelOff = 0;
    Camera(at);
    Forward(forward);
    Place(kStart, kCentre);
  }
  // Frames of the glide, each checked by `frame` (previous and new position);
  // -1 when it had not ended after 2000.
  template <class Check>
  static int Glide(TestView& v, Check frame) {
    double before[3];
    Camera(before);
    for (int n = 1; n <= 2000; ++n) {
      v.ApplyCameraMotion();
      if (!v.glideActive) return n;
      double now[3];
      Camera(now);
      frame(before, now);
      for (int i = 0; i < 3; ++i) before[i] = now[i];
    }
    return -1;
  }
  static double Length(const double a[3]) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }
  // The angle between the camera's forward vector and the way to `point`.
  static double AngleTo(const double camera[3], const double point[3]) {
    double f[3];
    Forward(f);
    const double d[3] = {point[0] - camera[0], point[1] - camera[1], point[2] - camera[2]};
    const double c = (f[0] * d[0] + f[1] * d[1] + f[2] * d[2]) / (Length(f) * Length(d));
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
  }
};

TEST_F(Glide3D, EveryModeEndsWhereAJumpLands) {
  TestView& v = Ready();
  CVDispObj* tile = v.displayList->Find(DISP_GRID, 6);
  ASSERT_NE(tile, nullptr);
  g_frameRate = 13.333333333333334;
  for (int mode : {st::kLinear, st::kOrbit, st::kFree, st::kLocked}) {
    SCOPED_TRACE(mode);
    v.mode = mode;
    double landing[3], landingForward[3];
    JumpedTo(v, tile, landing, landingForward);
    v.FlyTo(tile);
    ASSERT_EQ(v.glideActive, 1u);
    const int frames = Glide(v, [](const double*, const double*) {});
    EXPECT_GT(frames, 3);
    ASSERT_GT(frames, 0);
    double at[3], forward[3];
    Camera(at);
    Forward(forward);
    EXPECT_LT(DistanceSq(at, landing), 1e-6);
    EXPECT_LT(DistanceSq(forward, landingForward), 1e-6);
  }
}

TEST_F(Glide3D, EachFrameMovesNoMoreThanTheKeysWould) {
  TestView& v = Ready();
  CVDispObj* tile = v.displayList->Find(DISP_GRID, 12);
  ASSERT_NE(tile, nullptr);
  g_frameRate = 13.333333333333334;
  double goal[3], startForward[3], lastAngle = -1;
  tile->GetPosition(goal);
  Forward(startForward);
  for (int mode : {st::kLinear, st::kOrbit, st::kFree, st::kLocked}) {
    SCOPED_TRACE(mode);
    Place(kStart, kCentre);
    v.mode = mode;
    v.FlyTo(tile);
    EXPECT_GT(Glide(v,
                    [&](const double* before, const double* now) {
                      double f[3], u[3];
                      Forward(f);
                      Up(u);
                      const double moved = std::sqrt(DistanceSq(before, now));
                      const double closed =
                          std::sqrt(DistanceSq(before, kCentre)) - std::sqrt(DistanceSq(now, kCentre));
                      if (mode == st::kLinear) {
                        // Slides of at most 1.6 across, 4 ahead, the orientation kept.
                        EXPECT_LT(DistanceSq(f, startForward), 1e-8);
                        EXPECT_LE(moved, std::sqrt(1.6 * 1.6 * 2 + 4.0 * 4.0) + 1e-6);
                      } else if (mode == st::kFree) {
                        // Straight by at most 4, turning toward the goal.
                        EXPECT_LE(moved, 4.0 + 1e-6);
                        const double angle = AngleTo(now, goal);
                        if (lastAngle > 0.1) {
                          EXPECT_LT(angle, lastAngle);
                        }
                        lastAngle = angle;
                      } else {
                        // About the look-at point, looking at it, closing in
                        // by at most 4; locked, upright with a level right vector.
                        EXPECT_LT(AngleTo(now, kCentre), 1e-3);
                        EXPECT_LE(std::fabs(closed), 4.0 + 1e-6);
                        if (mode == st::kLocked) {
                          EXPECT_NEAR(u[2] * f[0] - u[0] * f[2], 0.0, 1e-3);
                          EXPECT_GT(u[1], 0.0);
                        }
                      }
                    }),
              0);
  }
}

TEST_F(Glide3D, AGlideTakesAsLongAtTwiceTheFrameRate) {
  TestView& v = Ready();
  CVDispObj* tile = v.displayList->Find(DISP_GRID, 3);
  ASSERT_NE(tile, nullptr);
  v.mode = st::kOrbit;
  g_frameRate = 13.333333333333334;
  v.FlyTo(tile);
  const int slow = Glide(v, [](const double*, const double*) {});
  Place(kStart, kCentre);
  g_frameRate = 26.666666666666668;
  v.FlyTo(tile);
  const int fast = Glide(v, [](const double*, const double*) {});
  ASSERT_GT(slow, 3);
  EXPECT_NEAR(fast, 2 * slow, 2);
}

TEST_F(Glide3D, AGlideToAPointStopsThereWithoutAJump) {
  TestView& v = Ready();
  g_frameRate = 13.333333333333334;
  v.mode = st::kOrbit;
  const double point[3] = {1130, 1110, 1100};
  ASSERT_EQ(v.StartGlide(nullptr, point), 1);
  const int frames = Glide(v, [](const double*, const double*) {});
  ASSERT_GT(frames, 0);
  // 20 beyond the point, away from the look-at point, within the glide's
  // closing distance.
  const double away = 20.0 / std::sqrt(30.0 * 30.0 + 10.0 * 10.0);
  const double aim[3] = {1130 + 30 * away, 1110 + 10 * away, 1100};
  double at[3];
  Camera(at);
  EXPECT_LT(DistanceSq(at, aim), 256.0 * 0.05 * 0.05);
  EXPECT_EQ(v.StartGlide(nullptr, nullptr), 0);
}

}  // namespace
