#include <gtest/gtest.h>

#include "Game/app/CFrameTimer.h"
#include "Game/app/GameScript.h"
#include "Game/app/GameView.h"
#include "Game/app/IdleWait.h"
#include "platform/core/clock.h"
#include "platform/user/keys.h"

namespace {

struct CountingView : IGameView {
  std::vector<std::uint32_t> frames;
  ViewType GetViewType() const override { return VIEW_SOLAR; }
  void PlayFrameAnimation(std::uint32_t elapsed) override { frames.push_back(elapsed); }
};

TEST(FrameTimer, AnimatesOncePerPeriodOnlyInThePlayPhaseWithAView) {
  plat::UseVirtualClock(1000);
  CFrameTimer timer;
  CountingView view;
  plat::AdvanceVirtualClock(34);
  timer.Tick(&view, true);
  EXPECT_TRUE(view.frames.empty());
  plat::AdvanceVirtualClock(6);
  timer.Tick(&view, true);
  EXPECT_EQ(view.frames, std::vector<std::uint32_t>{40});
  // Without the play phase or a view, or paused, the period only restarts.
  plat::AdvanceVirtualClock(35);
  timer.Tick(&view, false);
  plat::AdvanceVirtualClock(35);
  timer.Tick(nullptr, true);
  timer.m_paused = 1;
  plat::AdvanceVirtualClock(35);
  timer.Tick(&view, true);
  timer.m_paused = 0;
  plat::AdvanceVirtualClock(35);
  timer.Tick(&view, true);
  EXPECT_EQ(view.frames, (std::vector<std::uint32_t>{40, 35}));
  plat::UseRealClock();
}

// The main loop's idle wait under the virtual clock steps 1 ms whatever the
// frame timer says, so scripted runs keep their timing; the timer counts
// down to its period and stays at 0 once it has passed.
TEST(FrameTimer, IdlePassesStepOneMillisecondOnTheVirtualClock) {
  plat::UseVirtualClock(500);
  CFrameTimer timer;
  EXPECT_EQ(timer.MsUntilDue(), kFramePeriodMs);
  WaitAfterIdlePass(false, &timer);
  EXPECT_EQ(plat::timeGetTime(), 501u);
  EXPECT_EQ(timer.MsUntilDue(), kFramePeriodMs - 1);
  WaitAfterIdlePass(true, &timer);
  WaitAfterIdlePass(false, nullptr);
  EXPECT_EQ(plat::timeGetTime(), 503u);
  plat::AdvanceVirtualClock(100);
  EXPECT_EQ(timer.MsUntilDue(), 0u);
  plat::UseRealClock();
}

TEST(GameScript, ParsesEveryStep) {
  std::string error;
  const auto steps = ParseGameScript(
      "# start\n\nclick 10 20\nclick 799 599 right\nkey ESCAPE\nkey F12\nkey q\ntext \"Ada 7\"\nsleep 50\n"
      "wait dialog IDD_OK_DLG\nwait text \"Press OK\" 300\nwait packet 53\nwait frames 4\ncapture out.png  # done\n"
      "move 799 599\n",
      error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 13u);
  using Kind = ScriptStep::Kind;
  EXPECT_EQ((*steps)[0].kind, Kind::Click);
  EXPECT_EQ((*steps)[0].y, 20);
  EXPECT_EQ((*steps)[0].line, 3);
  EXPECT_TRUE((*steps)[1].right);
  EXPECT_EQ((*steps)[2].vk, plat::VK_ESCAPE);
  EXPECT_EQ((*steps)[3].vk, plat::VK_F12);
  EXPECT_EQ((*steps)[4].vk, static_cast<std::uint32_t>('Q'));
  EXPECT_EQ((*steps)[5].text, "Ada 7");
  EXPECT_EQ((*steps)[8].timeoutMs, 300u);
  EXPECT_EQ((*steps)[7].timeoutMs, kDefaultWaitMs);
  EXPECT_EQ((*steps)[9].number, 53u);
  EXPECT_EQ((*steps)[11].text, "out.png");
  EXPECT_EQ((*steps)[12].kind, Kind::Move);
  EXPECT_EQ((*steps)[12].x, 799);
  EXPECT_EQ((*steps)[12].y, 599);
}

TEST(GameScript, WaitsOnControlsAndOnTheWallClock) {
  std::string error;
  const auto steps = ParseGameScript(
      "wait enabled 609 146\nwait items 100 400 2 30000 real\nwait closed IDD_WAIT real\nwait packet 0 500\n"
      "wait packets 2 3 9000 real\nsleep 1500 real\nwait gone SAVE/35.rpl 60000 real\n",
      error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 7u);
  EXPECT_EQ((*steps)[6].kind, ScriptStep::Kind::WaitGone);
  EXPECT_EQ((*steps)[6].text, "SAVE/35.rpl");
  EXPECT_TRUE((*steps)[6].realTime);
  EXPECT_EQ((*steps)[5].kind, ScriptStep::Kind::Sleep);
  EXPECT_EQ((*steps)[5].number, 1500u);
  EXPECT_TRUE((*steps)[5].realTime);
  using Kind = ScriptStep::Kind;
  EXPECT_EQ((*steps)[0].kind, Kind::WaitEnabled);
  EXPECT_EQ((*steps)[0].x, 609);
  EXPECT_FALSE((*steps)[0].realTime);
  EXPECT_EQ((*steps)[1].kind, Kind::WaitItems);
  EXPECT_EQ((*steps)[1].number, 2u);
  EXPECT_EQ((*steps)[1].timeoutMs, 30000u);
  EXPECT_TRUE((*steps)[1].realTime);
  EXPECT_EQ((*steps)[2].kind, Kind::WaitClosed);
  EXPECT_EQ((*steps)[2].timeoutMs, kDefaultWaitMs);
  EXPECT_TRUE((*steps)[2].realTime);
  EXPECT_FALSE((*steps)[3].realTime);
  EXPECT_EQ((*steps)[3].count, 1u);
  EXPECT_EQ((*steps)[4].kind, Kind::WaitPacket);
  EXPECT_EQ((*steps)[4].number, 2u);
  EXPECT_EQ((*steps)[4].count, 3u);
  EXPECT_EQ((*steps)[4].timeoutMs, 9000u);
  EXPECT_TRUE((*steps)[4].realTime);
}

TEST(GameScript, WritesTheModelToABinFileOnly) {
  std::string error;
  const auto steps = ParseGameScript("model saved.bin\nmodel loaded.bin # after the load\n", error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 2u);
  EXPECT_EQ((*steps)[0].kind, ScriptStep::Kind::Model);
  EXPECT_EQ((*steps)[0].text, "saved.bin");
  EXPECT_EQ((*steps)[1].text, "loaded.bin");
  for (const char* bad : {"model", "model .bin", "model saved.png", "model a.bin b.bin"}) {
    EXPECT_FALSE(ParseGameScript(bad, error)) << bad;
    EXPECT_NE(error.find("model takes one file name"), std::string::npos) << error;
  }
}

TEST(GameScript, RefusesWhatItCannotRun) {
  for (const char* bad : {"click 800 10",
                          "click 1 2 left",
                          "key F13",
                          "key",
                          "text \"a-b\"",
                          "text \"open",
                          "sleep -1",
                          "sleep 5 later",
                          "sleep real",
                          "wait dialog",
                          "wait frames x",
                          "wait text \"x\" 5 6",
                          "capture shot.bmp",
                          "jump 1",
                          "key f12",
                          "wait packet 70000",
                          "wait enabled 800 1",
                          "wait items 1 2",
                          "wait packet 1 real 5",
                          "wait closed",
                          "wait packets 2",
                          "wait packets 2 0",
                          "wait gone",
                          "wait gone a b",
                          "move 800 1",
                          "move 1"}) {
    std::string error;
    EXPECT_FALSE(ParseGameScript(std::string("sleep 1\n") + bad + "\n", error)) << bad;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
  std::string error;
  EXPECT_FALSE(ParseGameScript(std::string(1001, ' '), error));
  EXPECT_TRUE(ParseGameScript(std::string(1000, ' '), error));
}

}  // namespace
