// The terrain battle replayed over the terrain view's screen, from the events
// its asteroid recorded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/model/GAsteroid.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/replay/CVTReplay.h"
#include "media/CImageButton.h"
#include "platform/core/clock.h"
#include "platform/core/random.h"
#include "platform/user/window.h"
#include "tests/Game/views/flat/terrain_screen.h"
#include "tests/Game/views/replay/terrain_events.h"
#include "tests/support/golden.h"

namespace {

using namespace plat;
using namespace terrain_test;

// The terrain battle replayed: phases in order under the frame timer, the
// control panel's play, pause, advance and restart, and hostile events.
class TerrainReplay : public TerrainView {
 protected:
  void SetUp() override {
    TerrainView::SetUp();
    replay = std::make_unique<CVTReplay>(window, program);
    g_currentView = replay.get();
  }
  void TearDown() override {
    g_currentView = nullptr;
    replay.reset();
    SharedScreen().replayMode = 0;
    TerrainView::TearDown();
  }
  void Record(const std::vector<terrain_test::Event>& events) {
    ASSERT_EQ(Shown()->AddTerrainEventPacket(terrain_test::EventPacket(events)), 1);
  }
  void Start() { replay->Render(static_cast<std::int32_t>(kAsteroidSubject | kShown)); }
  // Ticks of 40 ms until the end (at most `limit`); the phases seen in order.
  std::vector<std::uint32_t> PlayToEnd(int limit = 4000) {
    std::vector<std::uint32_t> seen{replay->Phase()};
    for (int i = 0; i < limit && replay->Phase() != CVTReplay::kLastPhase; ++i) {
      AdvanceVirtualClock(40);
      replay->PlayFrameAnimation(40);
      if (replay->Phase() != seen.back()) seen.push_back(replay->Phase());
    }
    return seen;
  }
  std::unique_ptr<CVTReplay> replay;
};

TEST_F(TerrainReplay, EveryPhaseInTurn) {
  Record(terrain_test::EveryPhase());
  Start();
  EXPECT_EQ(SharedScreen().replayMode, 2);
  ASSERT_EQ(replay->Phase(), 0u);
  // The landing: pods fly in from the corners over the surface drawn plain.
  for (int i = 0; i < 12; ++i) {
    AdvanceVirtualClock(40);
    replay->PlayFrameAnimation(40);
  }
  EXPECT_EQ(replay->Phase(), 1u);
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea(kViewportRect), Golden("replay_landing.png")));
  const auto phases = PlayToEnd();
  EXPECT_EQ(phases, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19}));
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea(kViewportRect), Golden("replay_end.png")));
  // Play at the end, paused, starts again.
  replay->OnReplayPause();
  replay->OnReplayPlay();
  EXPECT_EQ(replay->Phase(), 0u);
}

TEST_F(TerrainReplay, WithoutEventsThePhasesRunThrough) {
  Start();
  EXPECT_EQ(PlayToEnd(), (std::vector<std::uint32_t>{0, 2, 4, 6, 9, 11, 13, 14, 16, 17, 18, 19}));
  EXPECT_EQ(replay->ShownMovers(), 0);
}

TEST_F(TerrainReplay, ArtifactsStandFromTheStartToTheEnd) {
  Shown()->GetZone(4)->status = 2;
  Shown()->GetZone(8)->status = 0;
  // An artifact named by an event stands at its zone's seed-bank cell too.
  Record({{18, 0, 3, 11, 3, 3, 11, 3, kLocal}});
  Start();
  AdvanceVirtualClock(40);
  replay->PlayFrameAnimation(40);
  EXPECT_EQ(replay->ShownMovers(), 3);
  PlayToEnd();
  EXPECT_EQ(replay->ShownMovers(), 3);
}

TEST_F(TerrainReplay, AdvanceStepsOnceAndRestartBeginsAgain) {
  Record(terrain_test::EveryPhase());
  Start();
  AdvanceVirtualClock(40);
  replay->PlayFrameAnimation(40);  // the start picture and the landing
  ASSERT_EQ(replay->Phase(), 1u);
  const int shown = replay->ShownMovers();
  EXPECT_GT(shown, 0);
  replay->OnReplayPause();
  for (int i = 0; i < 5; ++i) replay->PlayFrameAnimation(40);
  EXPECT_EQ(replay->Phase(), 1u);
  replay->OnReplayAdvance();
  EXPECT_EQ(SharedScreen().replayMode, 3);
  replay->PlayFrameAnimation(40);
  EXPECT_EQ(SharedScreen().replayMode, 1);  // one step, then paused again
  // Less than 40 ms in all does nothing.
  replay->OnReplayAdvance();
  replay->PlayFrameAnimation(39);
  EXPECT_EQ(SharedScreen().replayMode, 3);
  replay->OnReplayRestart();
  EXPECT_EQ(replay->Phase(), 0u);
  EXPECT_EQ(replay->ShownMovers(), 0);
  replay->PlayFrameAnimation(40);
  EXPECT_EQ(replay->Phase(), 1u);
  EXPECT_EQ(replay->ShownMovers(), shown);
}

TEST_F(TerrainReplay, AdvanceWhilePlayingLeavesPlayShownOnceItStops) {
  Record(terrain_test::EveryPhase());
  Start();
  replay->UpdateControlPanel();
  CImageButton* play = CVGeneric::ControlButton(200);
  CImageButton* pause = CVGeneric::ControlButton(204);
  ASSERT_TRUE(play && pause);
  ASSERT_TRUE(IsWindowVisible(pause->window));
  // One step from play: the replay then waits, and the button offered must be Play.
  for (int step = 0; step < 2; ++step) {
    replay->OnControlCommand(202);
    AdvanceVirtualClock(40);
    replay->PlayFrameAnimation(40);
    EXPECT_EQ(SharedScreen().replayMode, 1);
    EXPECT_TRUE(IsWindowVisible(play->window)) << "step " << step;
    EXPECT_FALSE(IsWindowVisible(pause->window)) << "step " << step;
  }
}

TEST_F(TerrainReplay, LeavingEndsTheReplayMode) {
  Record(terrain_test::EveryPhase());
  Start();
  AdvanceVirtualClock(40);
  replay->PlayFrameAnimation(40);
  replay->GoToView(VIEW_TERRAIN, static_cast<LPARAM>(kAsteroidSubject | kShown));
  EXPECT_EQ(SharedScreen().replayMode, 0);
  EXPECT_EQ(SharedScreen().previousViewType, static_cast<std::uint32_t>(VIEW_TERRAIN_REPLAY));
  EXPECT_EQ(replay->Movers().head, nullptr);
  for (int i = 0; i < Shown()->GetTerrainEventCount(); ++i) EXPECT_EQ(Shown()->GetTerrainEvent(i)->mover, nullptr);
  EXPECT_EQ(Switches(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{VIEW_TERRAIN, 0xFFFF0002u}}));
}

// The server clears the asteroid's events in the middle of a replay: their
// movers leave the replay's list before they go, and the replay plays on.
TEST_F(TerrainReplay, EventsClearedWhilePlayingTakeTheirMoversOffTheList) {
  Record(terrain_test::EveryPhase());
  Start();
  AdvanceVirtualClock(40);
  replay->PlayFrameAnimation(40);
  std::vector<const CSpriteMover*> gone;
  for (int i = 0; i < Shown()->GetTerrainEventCount(); ++i)
    if (const CSpriteMover* m = Shown()->GetTerrainEvent(i)->mover) gone.push_back(m);
  ASSERT_FALSE(gone.empty());
  Shown()->Clear();
  for (const CSpriteMover* m = replay->Movers().head; m; m = m->next)
    EXPECT_EQ(std::find(gone.begin(), gone.end(), m), gone.end());
  EXPECT_EQ(PlayToEnd().back(), CVTReplay::kLastPhase);
}

TEST_F(TerrainReplay, APodCarriesNoLabelAndAStrayHitNoMover) {
  // A pick-up whose start picture stands an ATV at its cell: the event's
  // mover turns pod and leaves the cell's count; a hit of a type that phase
  // cannot show makes no mover at all.
  Record(
      {{1, 0, 1, 4, 2, 1, 4, 2, kLocal}, {12, 0, 4, 11, 0, 1, 12, 0, kForeign}, {13, 0, 4, 12, 0, 1, 12, 0, kForeign}});
  Start();
  AdvanceVirtualClock(40);
  replay->PlayFrameAnimation(40);
  ASSERT_EQ(replay->Phase(), 1u);
  ASSERT_NE(Shown()->GetTerrainEvent(0)->mover, nullptr);
  EXPECT_EQ(Shown()->GetTerrainEvent(0)->mover->labelFlag, 0u);
  std::vector<std::uint32_t> phases = PlayToEnd();
  EXPECT_EQ(phases.back(), CVTReplay::kLastPhase);
  EXPECT_EQ(Shown()->GetTerrainEvent(2)->mover, nullptr);
}

TEST_F(TerrainReplay, AScreenRedrawnKeepsThePicture) {
  // Below the status line, and with the same stars each time the surface is built.
  const RECT surface{kViewportRect.left, kViewportRect.top + 20, kViewportRect.right, kViewportRect.bottom};
  Record(terrain_test::EveryPhase());
  plat::srand(7);
  Start();
  for (int i = 0; i < 12; ++i) {
    AdvanceVirtualClock(40);
    replay->PlayFrameAnimation(40);
  }
  // The info panel covers the viewport: the replay holds and draws nothing.
  const plat::Image before = quentest::ScreenArea(kViewportRect);
  const std::uint32_t phase = replay->Phase();
  SharedScreen().infoPanelVisible = 1;
  for (int i = 0; i < 50; ++i) {
    AdvanceVirtualClock(40);
    replay->PlayFrameAnimation(40);
  }
  EXPECT_EQ(replay->Phase(), phase);
  EXPECT_EQ(quentest::ScreenArea(kViewportRect).rgb, before.rgb);
  SharedScreen().infoPanelVisible = 0;
  PlayToEnd();
  const plat::Image last = quentest::ScreenArea(surface);
  // What the main loop does after a dialog or the info panel closed, and a
  // filter button of the replay's screen: the last picture stays.
  plat::srand(7);
  replay->Invalidate();
  replay->Render(-1);
  EXPECT_EQ(quentest::ScreenArea(surface).rgb, last.rgb);
  replay->OnCommand(CVTerrain::kFirstFilterId + 1);
  EXPECT_EQ(quentest::ScreenArea(surface).rgb, last.rgb);
}

TEST_F(TerrainReplay, TheStatusLineGoesUnderTheReplayToo) {
  const RECT line{kViewportRect.left, kViewportRect.top, kViewportRect.right, kViewportRect.top + 16};
  Start();
  const plat::Image withLine = quentest::ScreenArea(line);
  // The replay's frames alone count the line down, a surface built again
  // (a restored window) included.
  for (int round = 0; round < 2; ++round) {
    ASSERT_FALSE(SharedScreen().statusText.empty());
    for (int i = 0; i < 100; ++i) {
      AdvanceVirtualClock(40);
      replay->PlayFrameAnimation(40);
    }
    EXPECT_EQ(SharedScreen().statusShown, 0) << round;
    EXPECT_TRUE(SharedScreen().statusText.empty()) << round;
    EXPECT_NE(quentest::ScreenArea(line).rgb, withLine.rgb) << round;
    replay->Invalidate();
    replay->Render(-1);
  }
}

TEST_F(TerrainReplay, HostileEventsShowNothingAndEnd) {
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    Shown()->Clear();
    Record(terrain_test::RandomEvents(seed, 60));
    replay->OnReplayRestart();
    if (!replay->IsBuilt()) Start();
    const auto phases = PlayToEnd(20000);
    ASSERT_EQ(phases.back(), CVTReplay::kLastPhase) << "seed " << seed;
  }
}

}  // namespace
