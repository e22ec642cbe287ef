// Sprite movers on a headless display with the program clock virtual: paths
// in steps that land exactly, the facing and mirroring a path asks for, the
// list's rate limit, pause and self-stop, and the group labels.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "Game/views/replay/CSpriteMover.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/golden.h"

namespace {

using namespace plat;

class SpriteMovers : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override {
    OpenViewScreen("SpriteMoversMain");
    target = std::make_unique<CSprite>(g_ddraw, nullptr, kNoColourKey, 120, 60, 0, 0, 0);
    background = std::make_unique<CSprite>(g_ddraw, nullptr, kNoColourKey, 120, 60, 0, 0, 0);
    background->FillSurface(RGB(20, 20, 60), nullptr);
    // A frame whose halves differ, on a black key: mirroring shows.
    frame = std::make_unique<CSprite>(g_ddraw, nullptr, 0, 16, 12, 0, 0, 0);
    frame->FillSurface(RGB(0, 0, 0), nullptr);
    const RECT left{0, 0, 8, 6}, right{8, 6, 16, 12};
    frame->FillSurface(RGB(255, 0, 0), &left);
    frame->FillSurface(RGB(0, 200, 255), &right);
    list.lastClock = timeGetTime();
  }
  void TearDown() override {
    frame.reset();
    background.reset();
    target.reset();
    CloseViewScreen();
  }
  // Lets the rate limit's 2 ms pass and steps once.
  int Step() {
    AdvanceVirtualClock(2);
    return list.UpdateAndDraw(target.get(), background.get());
  }
  CSpriteMover& Mover(int x0, int y0, int x1, int y1, int steps, std::uint32_t label = 0) {
    movers.push_back(std::make_unique<CSpriteMover>(label));
    CSpriteMover& m = *movers.back();
    m.SetPath(x0, y0, x1, y1, steps);
    m.AddFrame(frame.get());
    m.Start();
    list.Append(&m);
    return m;
  }

  std::unique_ptr<CSprite> target, background, frame;
  std::vector<std::unique_ptr<CSpriteMover>> movers;
  CSpriteMoverList list;
};

TEST_F(SpriteMovers, PathsLandExactlyOnTheirEnd) {
  CSpriteMover& one = Mover(0, 0, 40, 20, 1);
  CSpriteMover& three = Mover(0, 0, 10, -7, 3);
  ASSERT_EQ(Step(), 1);
  EXPECT_EQ(one.x, 40);
  EXPECT_EQ(one.y, 20);
  EXPECT_EQ(one.state, CSpriteMover::STOPPED);
  // The remaining distance over the remaining steps each time.
  EXPECT_EQ(three.x, 3);
  EXPECT_EQ(three.y, -2);
  Step();
  EXPECT_EQ(three.x, 6);
  EXPECT_EQ(three.y, -4);
  Step();
  EXPECT_EQ(three.x, 10);
  EXPECT_EQ(three.y, -7);
  EXPECT_EQ(three.state, CSpriteMover::STOPPED);
  // Everyone has arrived: the next step stops the list.
  EXPECT_EQ(list.state, CSpriteMoverList::STOPPED);
  EXPECT_EQ(Step(), 0);
}

TEST_F(SpriteMovers, RateLimitAndPause) {
  Mover(0, 0, 100, 0, 50);
  AdvanceVirtualClock(1);
  EXPECT_EQ(list.UpdateAndDraw(target.get(), background.get()), 0);  // 1 ms: too soon at rate 30
  AdvanceVirtualClock(1);
  EXPECT_EQ(list.UpdateAndDraw(target.get(), background.get()), 1);
  list.Pause();
  EXPECT_EQ(Step(), 0);
  list.Run();
  EXPECT_EQ(Step(), 1);
  list.rate = 0;
  EXPECT_EQ(Step(), 0);
  list.rate = 1;  // one step per 60 ms since the last one
  list.lastClock = timeGetTime();
  AdvanceVirtualClock(59);
  EXPECT_EQ(list.UpdateAndDraw(target.get(), background.get()), 0);
  AdvanceVirtualClock(1);
  EXPECT_EQ(list.UpdateAndDraw(target.get(), background.get()), 1);
}

TEST_F(SpriteMovers, FacingFollowsThePath) {
  struct Case {
    int dx, dy, kind;
    std::uint16_t mirror;
  };
  const Case cases[] = {
      {0, 10, 0, CSpriteMover::MIRROR_NONE},         {0, -10, 0, CSpriteMover::MIRROR_BOTH},
      {1, 600, 0, CSpriteMover::MIRROR_NONE},        {10, 4, 2, CSpriteMover::MIRROR_NONE},
      {-10, 4, 2, CSpriteMover::MIRROR_BOTH},        {10, 20, 0, CSpriteMover::MIRROR_NONE},
      {10, -20, 0, CSpriteMover::MIRROR_BOTH},       {10, 10, 1, CSpriteMover::MIRROR_NONE},
      {-10, 10, 1, CSpriteMover::MIRROR_LEFT_RIGHT}, {-10, -10, 1, CSpriteMover::MIRROR_BOTH},
      {10, -10, 1, CSpriteMover::MIRROR_UP_DOWN},    {10, 5, 1, CSpriteMover::MIRROR_NONE},
  };
  for (const Case& c : cases) {
    CSpriteMover m;
    m.SetPath(100, 100, 100 + c.dx, 100 + c.dy, 5);
    EXPECT_EQ(m.ChooseFacing(), c.kind) << c.dx << "," << c.dy;
    EXPECT_EQ(m.mirror, c.mirror) << c.dx << "," << c.dy;
  }
  // Differences are 16-bit: 65536 across is no move sideways.
  CSpriteMover wide;
  wide.SetPath(0, 0, 65536, 30, 1);
  EXPECT_EQ(wide.ChooseFacing(), 0);
}

TEST_F(SpriteMovers, FramesAndListLinks) {
  CSpriteMover m(1);
  for (int i = 0; i < 14; ++i) m.AddFrame(frame.get());
  EXPECT_EQ(m.frameCount, CSpriteMover::kMaxFrames);
  EXPECT_EQ(m.width, 16);
  EXPECT_EQ(m.height, 12);
  m.ClearFrames();
  EXPECT_EQ(m.frameCount, 0);
  CSpriteMover a, b, c;
  list.Append(&a);
  list.PushFront(&b);
  list.Append(&c);
  EXPECT_EQ(list.head, &b);
  EXPECT_EQ(b.next, &a);
  list.Remove(&a);
  EXPECT_EQ(b.next, &c);
  EXPECT_EQ(a.next, nullptr);
  list.Remove(&a);  // not there: nothing
  list.Clear();
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(b.next, nullptr);
}

TEST_F(SpriteMovers, MirroredFramesAndGroupLabels) {
  // Four frames in a row, one per mirror mode, all arriving in one step.
  for (std::uint16_t mode = 0; mode < 4; ++mode) Mover(0, 0, 4 + 28 * mode, 4, 1).mirror = mode;
  // Three labelled movers on one spot read 3; an unlabelled and a hidden one there do not count.
  for (int i = 0; i < 3; ++i) Mover(60, 40, 20, 30, 1, 1);
  Mover(60, 40, 20, 30, 1, 0);
  Mover(60, 40, 20, 30, 1, 1).state = CSpriteMover::INACTIVE;
  CSpriteMover& alone = Mover(90, 40, 90, 40, 1, 1);
  ASSERT_EQ(Step(), 1);
  EXPECT_EQ(movers[4]->counted, 1u);
  EXPECT_EQ(movers[6]->counted, 1u);
  EXPECT_EQ(movers[7]->counted, 0u);
  EXPECT_EQ(movers[8]->counted, 0u);
  EXPECT_EQ(alone.counted, 1u);
  const RECT shown{0, 0, 120, 60};
  target->BltToPrimary(&shown, nullptr);
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea({0, 0, 120, 60}),
                                      std::filesystem::path(QUEN_TEST_DATA_DIR) / "movers.png"));
}

}  // namespace
