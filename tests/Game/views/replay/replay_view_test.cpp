// The space-battle replay view over a generated battle file: the clock's
// start, the order and effects of the events, kills and the early end, the
// destruction flash, restart, filters and camera modes, clicks, damaged
// files, and the pictures a player sees from start to "Review complete".
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/model/GChapter.h"
#include "Game/net/ReplayFormat.h"
#include "Game/rules/GModuleDB.h"
#include "Game/views/replay/CVSReplay.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CDispModel.h"
#include "Game/views/world/CVDispExp.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "media/CSndPlay.h"
#include "media/SoundStream.h"
#include "platform/core/files.h"
#include "platform/core/random.h"
#include "platform/sound/dsound.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "tests/Game/views/space/space_world.h"
#include "tests/support/golden.h"

namespace {

using namespace plat;
using namespace views_test;
using replay::EventRecord;
using replay::ReplayBuilder;

constexpr std::uint16_t kBattle = 1;
constexpr std::uint32_t kFrameMs = 100;
// More frames than any battle here needs: a replay that has not ended by then hangs.
constexpr int kMostFrames = 3000;

class ReplayView : public space_test::SpaceWorld {
 protected:
  void SetUp() override {
    // Every test reads and writes the one battle file of the installation's
    // save folder: tests run side by side take turns.
    const std::string lock = std::string(QUEN_BUILD_DIR) + "/replay_view_test.lock";
    lockFd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(lockFd, 0);
    ASSERT_EQ(::flock(lockFd, LOCK_EX), 0);
    SpaceWorld::SetUp();
    if (HasFatalFailure()) return;
    SharedScreen().replayMode = 0;
    g_frameRate = 25.0;
    mine = Unit({kComputer, kDrive, kPower, kWeapon}, kBattle, kLocal, -6000);
    mine->SetName("Lancer");
    theirs = Unit({kComputer, kDrive, kPower, kWeapon}, kBattle, kOther, 6000);
    theirs->SetName("Raider");
    victim = Unit({kComputer, kDrive, kPower, kWeapon}, kBattle, kOther, 3000);
    victim->SetName("Hauler");
    victim->location.z = 4000;
  }
  void TearDown() override {
    g_currentView = nullptr;
    view.reset();
    plat::remove(FilePath().c_str());
    SharedScreen().replayMode = 0;
    g_stillWorld = false;
    CVAstSpace::labelsOn = 0;
    SharedScreen().pendingOrderOption = 0xFF;
    SpaceWorld::TearDown();
    if (lockFd >= 0) ::close(lockFd);
  }
  int lockFd = -1;
  static std::string FilePath() { return std::string(g_instData.GetSavePath()) + std::to_string(kBattle) + ".rpl"; }
  static std::string Abbreviation(const CGUnit* u) {
    char a[8] = {};
    u->GetClassAbbreviation(a);
    return a;
  }
  void Store(const std::vector<std::uint8_t>& bytes) {
    plat::FILE* f = plat::fopen(FilePath().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    plat::fwrite(bytes.data(), 1, bytes.size(), f);
    plat::fclose(f);
  }
  // The start of a battle: both chapters, the asteroid and three units.
  ReplayBuilder Start() {
    ReplayBuilder r;
    r.Participants({kLocal, kOther}, kBattle);
    r.Unit(mine->id, {kBattle, -6000, 0, 0}, Abbreviation(mine));
    r.Unit(theirs->id, {kBattle, 6000, 0, 0}, Abbreviation(theirs));
    r.Unit(victim->id, {kBattle, 3000, 0, 4000}, Abbreviation(victim)).EndUnits();
    return r;
  }
  // Two phases: a leech hit and a miss, then a kill; the wreck's destruction
  // and a departure in the battle section.
  std::vector<std::uint8_t> Battle() {
    ReplayBuilder r = Start();
    r.Move(mine->id, {kBattle, -3000, 0, 0}).Shot(kWeapon, theirs->id).Hit(1252, 40).End(10);
    r.Move(theirs->id, {kBattle, 5000, 0, 0}).Shot(kWeapon, mine->id).Miss().End(1);
    r.Move(mine->id, {kBattle, -2000, 500, 0}).Shot(kWeapon, victim->id).Hit(kDrive, 30).Kill(1253, 20).End(1);
    r.Code(11);
    r.Destroyed(victim->id, {{victim->id, 1}});
    r.Departure(theirs->id);
    r.Code(12);
    return r.bytes();
  }
  // The screen's shared state goes with the first view destroyed: one view at a time.
  CVSReplay& Make() {
    g_currentView = nullptr;
    view.reset();
    view = std::make_unique<CVSReplay>(window, program);
    SuspendScreenFlush(0);
    g_currentView = view.get();
    return *view;
  }
  void Begin(CVSReplay& v) { v.Render(static_cast<std::int32_t>(0xFFFF0000u | kBattle)); }
  // Frames until `done` holds or the replay is complete; false when neither came.
  template <class F>
  bool RunUntil(CVSReplay& v, F done) {
    for (int i = 0; i < kMostFrames; ++i) {
      if (done()) return true;
      v.PlayFrameAnimation(kFrameMs);
      if (v.complete()) return done();
    }
    return false;
  }
  bool RunToEnd(CVSReplay& v) {
    return RunUntil(v, [&] { return v.complete(); });
  }
  CVDispUnt* Object(CVSReplay& v, const CGUnit* u) {
    return static_cast<CVDispUnt*>(v.displayList->Find(DISP_UNIT, u->id));
  }
  static bool CarriesEffect(CVDispObj* o, const char* base) {
    if (!o) return false;
    for (CVDispNode* c = o->children; c; c = c->next)
      if (c->object->GetType() == DISP_EXPLOSION && static_cast<CVDispExp*>(c->object)->frameBase &&
          std::string(static_cast<CVDispExp*>(c->object)->frameBase).find(base) != std::string::npos)
        return true;
    return false;
  }
  void Capture(const char* name) {
    FlushScreen();
    const std::filesystem::path dir = std::filesystem::path(QUEN_SOURCE_DIR) / "tests/Game/views/replay/data";
    EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea({0, 0, 800, 600}), dir / name)) << name;
  }

  std::unique_ptr<CVSReplay> view;
  CGUnit* mine = nullptr;
  CGUnit* theirs = nullptr;
  CGUnit* victim = nullptr;
};

TEST_F(ReplayView, StartsOnlyWithAnAsteroidAndReadsTheFirstPhaseAfterTenFrames) {
  Store(Battle());
  CVSReplay& v = Make();
  EXPECT_EQ(v.GetViewType(), VIEW_SPACE_REPLAY);
  v.Render(-1);
  EXPECT_EQ(v.replayRunning, 0u);
  EXPECT_EQ(v.phase(), 0xFF);
  Begin(v);
  EXPECT_EQ(v.replayRunning, 1u);
  EXPECT_EQ(SharedScreen().replayMode, 2);
  EXPECT_EQ(v.GetCurrentAsteroidId(), kBattle);
  ASSERT_NE(Object(v, mine), nullptr);
  ASSERT_NE(Object(v, victim), nullptr);
  // The unit objects stand where the file places them.
  double at[3];
  Object(v, mine)->GetPosition(at);
  EXPECT_NEAR(at[0], 1000.0 + (32767 - 6000) * 0.0030517578, 1e-6);
  EXPECT_TRUE(v.Tick());
  EXPECT_EQ(v.phase(), 0);
  for (int i = 0; i < 9; ++i) v.Tick();
  EXPECT_EQ(v.phase(), 0) << "nine frames of the start positions";
  v.Tick();
  EXPECT_EQ(v.phase(), 1);
  // The frame-rate estimate: 0 ms leaves it, 40 ms is 25, 150 ms is 10.
  g_frameRate = 7.0;
  v.PlayFrameAnimation(0);
  EXPECT_DOUBLE_EQ(g_frameRate, 7.0);
  v.PlayFrameAnimation(40);
  EXPECT_DOUBLE_EQ(g_frameRate, 25.0);
  v.PlayFrameAnimation(150);
  EXPECT_DOUBLE_EQ(g_frameRate, 10.0);
}

// A scripted run keeps the 3D world still so that its pictures repeat; a
// replay is nothing but its animation and must still reach its end there, in
// the same steps whatever the view before it left on the animation clock.
TEST_F(ReplayView, PlaysToItsEndInAStillWorldTheSameFromAnyAnimationStep) {
  Store(Battle());
  g_stillWorld = true;
  struct Frame {
    std::uint8_t phase, mine, theirs;
    bool victimWrecked;
    bool operator==(const Frame&) const = default;
  };
  auto play = [&](std::uint32_t elapsedBefore) {
    CVSReplay& v = Make();
    g_animElapsedMs = elapsedBefore;
    Begin(v);
    std::vector<Frame> frames;
    while (!v.complete() && frames.size() < static_cast<std::size_t>(kMostFrames)) {
      // The program's frame period: the effects step every third frame.
      v.PlayFrameAnimation(35);
      // The departing unit leaves the display list.
      auto state = [&](const CGUnit* u) -> std::uint8_t {
        return Object(v, u) ? CVSReplay::StateOf(Object(v, u)) : 0xFF;
      };
      frames.push_back({v.phase(), state(mine), state(theirs), Object(v, victim) && Object(v, victim)->wreck != 0});
    }
    EXPECT_TRUE(v.complete()) << "from animation step " << elapsedBefore;
    return frames;
  };
  const std::vector<Frame> fromStart = play(0);
  EXPECT_TRUE(fromStart.back().victimWrecked);
  EXPECT_TRUE(fromStart == play(70));
  EXPECT_TRUE(fromStart == play(40));
}

TEST_F(ReplayView, PlaysTheBattleInOrderToReviewComplete) {
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  // The leech hit: its flash on the target, the event dropped at once.
  ASSERT_TRUE(RunUntil(v, [&] { return CarriesEffect(Object(v, theirs), "rshd00"); }));
  EXPECT_EQ(CVSReplay::StateOf(Object(v, mine)), CVSReplay::kDone);
  // The kill: the victim is a wreck only once the explosion is on it.
  ASSERT_TRUE(
      RunUntil(v, [&] { return v.phase() == 2 && CVSReplay::StateOf(Object(v, mine)) == CVSReplay::kShotFlying; }));
  EXPECT_FALSE(Object(v, victim)->wreck);
  ASSERT_TRUE(RunUntil(v, [&] { return Object(v, victim)->wreck != 0; }));
  EXPECT_TRUE(CarriesEffect(Object(v, victim), "exp"));
  // The destruction flash starts at 10.1 (it rises by 134.6667 / frame rate a frame).
  ASSERT_TRUE(RunUntil(v, [&] { return v.flash.level() > 0.0; }));
  EXPECT_DOUBLE_EQ(v.flash.level(), 10.1);
  EXPECT_EQ(v.phase(), replay::ReplayTicker::kBattleSection);
  // The departing unit leaves the display list once out of the space around the asteroid.
  ASSERT_TRUE(RunToEnd(v));
  EXPECT_EQ(Object(v, theirs), nullptr);
  EXPECT_NE(Object(v, mine), nullptr);
  EXPECT_EQ(v.HasReplayTarget(), 0);
  EXPECT_EQ(v.flash.level(), 0.0);
  // Complete: nothing more to tick.
  EXPECT_FALSE(v.Tick());
}

TEST_F(ReplayView, EventsStartInTheOrderTheyWereReadAndSlowReviewPlaysShotsOneByOne) {
  ReplayBuilder r = Start();
  // Three shots of one unit and one of another, all in one step.
  r.Move(mine->id, {kBattle, -6000, 0, 0})
      .Shot(kWeapon, theirs->id)
      .Hit(kDrive, 1)
      .Again(kWeapon, theirs->id)
      .Hit(kDrive, 2)
      .Again(kWeapon, theirs->id)
      .Hit(kDrive, 3)
      .End(10);
  r.Move(theirs->id, {kBattle, 6000, 0, 0}).Shot(kWeapon, mine->id).Miss().End(1);
  r.Code(11).Code(12);
  Store(r.bytes());
  for (bool slow : {true, false}) {
    CVSReplay& v = Make();
    v.slowReview = slow ? 1 : 0;
    Begin(v);
    int most = 0;  // shots of `mine` in the air at once
    ASSERT_TRUE(RunUntil(v, [&] {
      int flying = 0;
      for (CVDispNode* n = v.displayList->head; n; n = n->next) flying += n->object->GetType() == DISP_MODEL ? 1 : 0;
      most = std::max(most, flying);
      // The other unit's event (read last) never starts before all of the first unit's.
      if (v.phase() == 1 && CVSReplay::StateOf(Object(v, theirs)) == CVSReplay::kShotFlying) {
        EXPECT_GE(v.counters().started, 4u);
      }
      return v.complete();
    }));
    if (slow) {
      EXPECT_EQ(most, 1) << "slow review: one shot at a time";
    } else {
      EXPECT_GE(most, 2) << "fast review: shots overlap";
    }
  }
}

TEST_F(ReplayView, TheReplayEndsAtOnceWhenTheLastOwnUnitIsWrecked) {
  ReplayBuilder r = Start();
  r.Move(theirs->id, {kBattle, 6000, 0, 0}).Shot(kWeapon, mine->id).Kill(1253, 99).End(1);
  // Phases the review never reaches.
  r.Move(mine->id, {kBattle, 0, 0, 0}).Code(1);
  r.Move(mine->id, {kBattle, 100, 0, 0}).Code(1);
  r.Code(11).Destroyed(mine->id, {{mine->id, 1}}).Code(12);
  Store(r.bytes());
  CVSReplay& v = Make();
  Begin(v);
  ASSERT_TRUE(RunToEnd(v));
  EXPECT_TRUE(Object(v, mine)->wreck);
  EXPECT_EQ(v.phase(), 0xFE);
  EXPECT_LE(v.counters().started, 1u) << "no later event started";
}

TEST_F(ReplayView, RestartRepeatsTheSameOverlapOfShots) {
  Store(Battle());
  auto run = [&] {
    CVSReplay& v = Make();
    Begin(v);
    std::vector<int> starts;  // the frame at which each event started
    int frame = 0;
    std::uint32_t seen = 0;
    RunUntil(v, [&] {
      ++frame;
      for (; seen < v.counters().started; ++seen) starts.push_back(frame);
      return v.complete();
    });
    return starts;
  };
  const std::vector<int> first = run();
  // The restart button replaces the view by a fresh one of the same battle.
  view->OnReplayRestart();
  EXPECT_EQ(view->replayRunning, 0u);
  EXPECT_EQ(SharedScreen().viewType, static_cast<std::uint32_t>(VIEW_SPACE_REPLAY));
  EXPECT_EQ(run(), first);
}

TEST_F(ReplayView, ARestartedReplaySendsItsMissAlongTheSameWay) {
  Store(Battle());
  // The way the missing shot flies, with the program's own random numbers
  // elsewhere in another state each time.
  auto missDirection = [&](unsigned elsewhere) {
    plat::srand(elsewhere);
    CVSReplay& v = Make();
    Begin(v);
    std::vector<float> way;
    RunUntil(v, [&] {
      for (CVDispNode* n = v.displayList->head; n && way.empty(); n = n->next) {
        if (n->object->GetType() != DISP_MODEL) continue;
        const auto* shot = static_cast<const CDispModel*>(n->object);
        if (shot->explode) way.assign(shot->direction, shot->direction + 3);
      }
      return !way.empty();
    });
    return way;
  };
  const std::vector<float> first = missDirection(1);
  ASSERT_EQ(first.size(), 3u);
  view->OnReplayRestart();
  EXPECT_EQ(missDirection(2), first);
}

TEST_F(ReplayView, PausedItWaitsAndAdvanceStopsAtTheNextEvent) {
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  // Paused before the first step: no tick, the objects still animate.
  SharedScreen().replayMode = 1;
  for (int i = 0; i < 5; ++i) v.PlayFrameAnimation(kFrameMs);
  EXPECT_EQ(v.phase(), 0xFF);
  // Advance: runs until an event starts, then pauses by itself.
  v.OnReplayAdvance();
  EXPECT_EQ(SharedScreen().replayMode, 3);
  ASSERT_TRUE(RunUntil(v, [&] { return SharedScreen().replayMode == 1; }));
  EXPECT_EQ(v.counters().started, 1u);
  EXPECT_EQ(CVSReplay::StateOf(Object(v, mine)), CVSReplay::kShotFlying);
  const std::uint8_t phase = v.phase();
  for (int i = 0; i < 20; ++i) v.PlayFrameAnimation(kFrameMs);
  EXPECT_EQ(v.phase(), phase) << "paused again";
  // Pausing hides the shots in flight.
  v.OnReplayPause();
  for (CVDispNode* n = v.displayList->head; n; n = n->next) {
    if (n->object->GetType() == DISP_MODEL) {
      EXPECT_EQ(n->object->visible, 0u);
    }
  }
  SharedScreen().replayMode = 2;
  EXPECT_TRUE(RunToEnd(v));
}

TEST_F(ReplayView, FiltersCameraModesAndClicks) {
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  // The unscanned filter is not offered; another button toggles its filter.
  v.OnCommand(403);
  EXPECT_EQ(Status(), "Not available");
  v.OnCommand(400);
  EXPECT_EQ(v.filterFlags, 1);
  EXPECT_TRUE(v.PassesFilter(mine->id));
  EXPECT_FALSE(v.PassesFilter(theirs->id));
  v.OnCommand(400);
  EXPECT_EQ(v.filterFlags, 0);
  // With Shift held the guild filter is inverted: it marks nobody.
  backend->KeyDown(VK_SHIFT, 10);
  backend->RunUntilIdle();
  v.OnCommand(405);
  backend->KeyUp(VK_SHIFT, 10);
  backend->RunUntilIdle();
  EXPECT_EQ(v.filterInverted, 1u);
  EXPECT_FALSE(v.PassesFilter(mine->id));
  EXPECT_FALSE(v.PassesFilter(theirs->id));
  // The guild menu path steps through all six, the unscanned one included, then off.
  v.OnFilterButton(-1);
  std::vector<std::uint16_t> steps;
  for (int i = 0; i < 7; ++i) {
    v.ShowGuildMenu();
    steps.push_back(v.filterFlags);
    if (v.filterFlags == 0x10) v.OnSelectChapter(0);
  }
  EXPECT_EQ(steps, (std::vector<std::uint16_t>{1, 2, 4, 8, 0x10, 0x20, 0}));
  // Four cycles in one direction come back; locked then restored without a grid is the centre mode.
  const int start = v.GetCameraMode();
  for (int i = 0; i < 4; ++i) v.CycleCameraMode(1);
  EXPECT_EQ(v.GetCameraMode(), start);
  g_gridShown = 0;
  v.ApplyCameraMode(4);
  EXPECT_EQ(Status(), "Locked camera mode");
  v.RestoreCameraMode();
  EXPECT_EQ(v.GetCameraMode(), 2);
  // P switches the review speed.
  v.ToggleReplaySpeed();
  EXPECT_EQ(Status(), "Slow review mode");
  v.ToggleReplaySpeed();
  EXPECT_EQ(Status(), "Fast review mode");
  // A click on the goto bar stays; one into the viewport leaves for the asteroid.
  v.OnLButtonDown(100, 40, 0);
  EXPECT_EQ(v.replayRunning, 1u);
  v.OnLButtonDown(300, 300, 0);
  EXPECT_EQ(v.replayRunning, 0u);
  EXPECT_EQ(SharedScreen().viewType, static_cast<std::uint32_t>(VIEW_ASTEROID_SPACE));
  EXPECT_EQ(SharedScreen().replayMode, 0);
  EXPECT_EQ(v.replayFile, nullptr);
}

TEST_F(ReplayView, AChapterInAnInterregnumCampIsARebelAsARenegadeIs) {
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  CGChapter* local = g_gameData->GetLocalChapter();
  ASSERT_NE(local, nullptr);
  struct Case {
    std::uint32_t renegade, camp;
    bool rebel;
  };
  for (const Case c : {Case{0, 0, false}, Case{1, 0, true}, Case{0, 2, true}}) {
    local->renegade = c.renegade;
    local->camp = c.camp;
    v.filterFlags = 0x04;
    EXPECT_EQ(v.PassesFilter(mine->id), c.rebel) << "renegade " << c.renegade << " camp " << c.camp;
    v.filterFlags = 0x02;
    EXPECT_EQ(v.PassesFilter(mine->id), !c.rebel) << "renegade " << c.renegade << " camp " << c.camp;
    EXPECT_FALSE(v.PassesFilter(theirs->id)) << "another guild's unit is neither";
  }
  local->renegade = local->camp = 0;
  v.filterFlags = 0;
}

TEST_F(ReplayView, ARightClickLeavesForTheAsteroidWhoseViewThenTakesTheClick) {
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0x800, 0x800, PM_REMOVE)) {
  }
  v.OnRButtonDown(300, 300, 0);
  EXPECT_EQ(v.replayRunning, 0u);
  EXPECT_EQ(SharedScreen().viewType, static_cast<std::uint32_t>(VIEW_ASTEROID_SPACE));
  // The switch to the asteroid's space, and the click again at its place.
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0x800, 0x800, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VIEW_ASTEROID_SPACE));
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_RBUTTONDOWN, WM_RBUTTONDOWN, PM_REMOVE));
  EXPECT_EQ(msg.lParam, MAKELPARAM(300, 300));
}

TEST_F(ReplayView, LeftInTheLockedModeTheAsteroidSpaceTakesItUpAndPlacesItsCameraSo) {
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  CVAstSpace space(window, program);
  CVSgWorld* w = g_sgWorld;
  ASSERT_NE(w->asteroidCamera, nullptr);
  ASSERT_NE(w->replayCamera, nullptr);
  w->SetCamera(w->replayCamera);
  v.cameraMode = 4;
  // Standing on the axis, below the asteroid.
  const double pos[3] = {1100.0, 1090.0, 1100.0};
  const float forward[3] = {0.f, 0.f, 1.f}, up[3] = {0.f, 1.f, 0.f};
  v.HandCameraTo(space, pos, forward, up);
  EXPECT_EQ(space.GetCameraMode(), 4);
  EXPECT_EQ(Status(), "Locked camera mode");
  EXPECT_EQ(w->GetCamera(), w->replayCamera) << "the replay's camera stays current";
  w->SetCamera(w->asteroidCamera);
  double eye[3];
  w->GetCameraPosition(eye);
  w->SetCamera(w->replayCamera);
  const double r = std::hypot(eye[0] - 1100.0, eye[2] - 1100.0);
  EXPECT_GE(r, 20.0) << "pushed off the axis";
  EXPECT_NEAR(eye[1], 1100.0 + 0.375 * r, 0.01);
}

TEST_F(ReplayView, AMissingFileSwitchesAwayAndADamagedOneAlwaysEnds) {
  CVSReplay& v = Make();
  Begin(v);
  EXPECT_EQ(v.replayRunning, 0u) << "no file: straight to the asteroid";
  EXPECT_EQ(SharedScreen().viewType, static_cast<std::uint32_t>(VIEW_ASTEROID_SPACE));
  // A file without its 0xFF runs with no units and completes.
  Store({0x09, 0x11});
  CVSReplay& bare = Make();
  Begin(bare);
  EXPECT_TRUE(RunToEnd(bare));
  // Every cut of the battle: complete, or switched away; never stuck.
  const std::vector<std::uint8_t> whole = Battle();
  for (std::size_t n = 0; n < whole.size(); n += 3) {
    Store({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)});
    CVSReplay& cut = Make();
    Begin(cut);
    if (!cut.replayRunning) continue;
    EXPECT_TRUE(RunToEnd(cut)) << "cut at " << n;
  }
  // Unknown unit ids and a module index past the rules.
  ReplayBuilder odd = Start();
  odd.Move(mine->id, {kBattle, 0, 0, 0}).Shot(60000, 0x12345678).Hit(60001, 7).End(1);
  odd.Code(11).AsteroidFire(mine->id, 77, 60000).Transport(true, mine->id, 60000).Scan(mine->id, 1, theirs->id);
  odd.Code(12);
  Store(odd.bytes());
  CVSReplay& strange = Make();
  Begin(strange);
  EXPECT_TRUE(RunToEnd(strange));
  // An id past the guilds (its chapter 63), six appearance bytes refused, under the grid and a filter.
  ReplayBuilder far;
  far.Participants({kLocal}, kBattle).Unit(0xFFFFFFF0u, {kBattle, 0, 0, 0}, "ZZZZZ");
  far.Unit(mine->id, {kBattle, 10, 0, 0}, "ABCDEF").EndUnits();
  far.Move(0xFFFFFFF0u, {kBattle, 50, 0, 0}).Shot(kWeapon, 0xFFFFFFF0u).Kill(1253, 255).End(1);
  far.Code(11).Destroyed(0xFFFFFFF0u, {{0xFFFFFFF0u, 1}}).Departure(0xFFFFFFF0u, 60000).Code(12);
  Store(far.bytes());
  g_gridShown = 1;
  CVSReplay& beyond = Make();
  beyond.OnCommand(405);
  beyond.ToggleUnitHalos();
  Begin(beyond);
  EXPECT_NE(beyond.displayList->Find(DISP_UNIT, 0xFFFFFFF0u), nullptr);
  EXPECT_TRUE(RunToEnd(beyond));
  beyond.ToggleUnitHalos();
}

// A file naming more units than a battle holds leaves the replay as a
// missing one does, having placed no more than the bound: one too long for
// any battle at once, one within that length as its units pass the bound.
TEST_F(ReplayView, AFilePastWhatABattleHoldsSwitchesAway) {
  auto units = [&](std::uint32_t n) {
    ReplayBuilder r;
    r.Participants({kLocal, kOther}, kBattle);
    for (std::uint32_t i = 0; i < n; ++i) r.Unit((kOther << 26) | (i + 100), {kBattle, 0, 0, 0}, "FF");
    r.EndUnits().Code(11).Code(12);
    return r.bytes();
  };
  for (const std::uint32_t count : {30000u, replay::kMostBattleUnits + 1}) {
    Store(units(count));
    SharedScreen().viewType = VIEW_SPACE_REPLAY;
    CVSReplay& v = Make();
    const auto before = std::chrono::steady_clock::now();
    Begin(v);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
    RecordProperty(("refused_" + std::to_string(count) + "_units_ms").c_str(), static_cast<int>(ms.count()));
    EXPECT_EQ(SharedScreen().viewType, static_cast<std::uint32_t>(VIEW_ASTEROID_SPACE)) << count;
    std::size_t placed = 0;
    for (CVDispNode* n = v.displayList->head; n; n = n->next) placed += n->object->GetType() == DISP_UNIT;
    EXPECT_LE(placed, replay::kMostBattleUnits) << count;
  }
}

// The status lines are formatted once and kept: they must still follow the
// phase, the pause and a renamed asteroid's next battle.
TEST_F(ReplayView, TheStatusLinesFollowThePhaseThePauseAndTheAsteroidsName) {
  g_gameData->solarDB.GetAsteroid(kBattle)->SetName("Vesta");
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  v.DrawStatusText();
  EXPECT_NE(v.battleLine.find("Vesta"), std::string::npos) << v.battleLine;
  const std::string start = v.phaseLine;
  ASSERT_TRUE(RunUntil(v, [&] { return v.phase() == 1; }));
  v.DrawStatusText();
  EXPECT_NE(v.phaseLine, start);
  EXPECT_NE(v.phaseLine.find('1'), std::string::npos) << v.phaseLine;
  const std::string running = v.phaseLine;
  SharedScreen().replayMode = 1;
  v.DrawStatusText();
  EXPECT_NE(v.phaseLine, running) << "paused";
  SharedScreen().replayMode = 2;
  v.DrawStatusText();
  EXPECT_EQ(v.phaseLine, running);
  ASSERT_TRUE(RunToEnd(v));
  v.DrawStatusText();
  EXPECT_NE(v.phaseLine, running) << "complete";
  g_gameData->solarDB.GetAsteroid(kBattle)->SetName("Pallas");
  v.GoToView(VIEW_SPACE_REPLAY, static_cast<LPARAM>(kBattle | 0xFFFF0000u));
  Begin(v);
  v.DrawStatusText();
  EXPECT_NE(v.battleLine.find("Pallas"), std::string::npos) << v.battleLine;
}

// Leaving the replay, by its exit or any other way, leaves the battle's
// asteroid for the solar view to flash and for W to fly to.
TEST_F(ReplayView, LeavingHandsTheBattleAsteroidToTheSolarView) {
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  ASSERT_EQ(g_highlightAsteroid, 0xFFFF);
  v.LeaveReplayMode(1);
  EXPECT_EQ(g_highlightAsteroid, kBattle);
}

// A click on the goto bar sounds like every other click of the views: a
// full-volume one stood out over the battle.
TEST_F(ReplayView, AGotoBarClickSoundsLikeEveryOtherClick) {
  // Sounds by name come from the installation's sound folder.
  CSndPlay::soundPathSource = [](char* out, std::size_t size) {
    std::snprintf(out, size, "%s", g_instData.GetSoundPath());
    return true;
  };
  ASSERT_EQ(sound.Init(nullptr, 0, 3, 1), 1);  // no music, loudest effects
  CVSReplay& v = Make();
  v.OnLButtonDown(100, 40, 0);
  CSndPlay::soundPathSource = nullptr;
  ASSERT_TRUE(sound.slots[0] && sound.slots[0]->playing);
  plat::LONG volume = 1;
  sound.slots[0]->buffer->GetVolume(&volume);
  EXPECT_EQ(volume, -1000);
}

// The goto bar's entries are 73 x 65 pixels; the frame under the bar is
// never drawn again, so no picture of an event may reach it.
TEST_F(ReplayView, EventPicturesStayInsideTheGotoBar) {
  // The weapon shows a real module picture, made for the data panel's size.
  ASSERT_NE(g_gameData->moduleDB, nullptr);
  ModuleRecord* weapon = g_gameData->moduleDB->GetRecord(kWeapon);
  ASSERT_NE(weapon, nullptr);
  std::snprintf(weapon->imageName, sizeof weapon->imageName, "%s", "xasm1");
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  FlushScreen();
  const plat::RECT under{0, 75, 800, 98};
  const plat::Image before = quentest::ScreenArea(under);
  ASSERT_TRUE(RunUntil(v, [&] { return CVSReplay::StateOf(Object(v, mine)) == CVSReplay::kShotFlying; }));
  EventRecord event;
  ASSERT_TRUE(CVSReplay::CurrentEvent(Object(v, mine), &event));
  v.ShowEvent(event);
  FlushScreen();
  EXPECT_EQ(v.eventBar[1].kind, replay::kBarModule);
  EXPECT_TRUE(quentest::ScreenArea(under).rgb == before.rgb);
}

TEST_F(ReplayView, DamageReadOutsHideTheEmptySlotsShield) {
  // The hull and life-support pictures are icons: around them their entries
  // must read as the damage alone, not as a chapter's empty goto slot.
  const std::string build = QUEN_BUILD_DIR;
  HMODULE images = plat::LoadLibrary((build + "/gamedata/c/QUENBAR/ART/ima.dll").c_str());
  ASSERT_NE(images, nullptr);
  g_gameData->imageModule = images;
  Store(Battle());
  CVSReplay& v = Make();
  Begin(v);
  v.PlayFrameAnimation(kFrameMs);
  EventRecord hit;
  hit.SetU32(EventRecord::kOwner, mine->id);
  hit.SetU32(EventRecord::kModule, kWeapon);
  hit.SetU32(EventRecord::kTarget, theirs->id);
  hit.SetU8(EventRecord::kKind, replay::kHit);
  hit.SetU16(EventRecord::kFirstModule, 0xFFFF);
  hit.SetU16(EventRecord::kSecondModule, 0xFFFF);
  hit.SetU8(EventRecord::kHull, 7);
  hit.SetU8(EventRecord::kLife, 3);
  v.ShowEvent(hit);
  FlushScreen();
  ASSERT_EQ(v.eventBar[3].kind, replay::kBarHullDamage);
  ASSERT_EQ(v.eventBar[4].kind, replay::kBarLifeDamage);
  for (int column : {3, 4}) {
    // The entry's sides, between the captions and the damage, left and right of the icon.
    const LONG left = GotoColumnLeft(column);
    for (const plat::RECT side : {plat::RECT{left, 40, left + 18, 60}, plat::RECT{left + 55, 40, left + 73, 60}}) {
      const plat::Image area = quentest::ScreenArea(side);
      int lit = 0;
      for (std::uint32_t pixel : area.rgb) lit += (pixel & 0xFFFFFF) != 0;
      EXPECT_EQ(lit, 0) << "column " << column << " at x " << side.left;
    }
    const plat::Image middle = quentest::ScreenArea(plat::RECT{left + 26, 36, left + 47, 57});
    int icon = 0;
    for (std::uint32_t pixel : middle.rgb) icon += (pixel & 0xFFFFFF) != 0;
    EXPECT_GT(icon, 20) << "column " << column << ": the icon itself";
  }
  g_gameData->imageModule = nullptr;
  plat::FreeLibrary(images);
}

TEST_F(ReplayView, WhatThePlayerSeesFromStartToReviewComplete) {
  g_gameData->solarDB.GetAsteroid(kBattle)->SetName("Vesta");
  // The other guild's pictures, for its units in the goto bar.
  const std::string build = QUEN_BUILD_DIR;
  HMODULE otherArt = plat::LoadLibrary((build + "/gamedata/c/QUENBAR/ART/GUILD3/guild.dll").c_str());
  g_gameData->guildModules[2] = otherArt;
  const double eye[3] = {1100, 1110, 1050};
  const float f[3] = {0.f, -0.2f, 1.f}, u[3] = {0.f, 1.f, 0.f};
  g_gameData->solarDB.GetAsteroid(kBattle)->SetViewCamera(eye, f, u);
  g_unitViewAngles = 1;
  Store(Battle());
  CVSReplay& v = Make();
  g_sgWorld->DisableDistanceFog();
  v.cameraMode = 3;
  Begin(v);
  v.PlayFrameAnimation(kFrameMs);
  Capture("replay_start.png");
  ASSERT_TRUE(RunUntil(v, [&] { return CarriesEffect(Object(v, theirs), "rshd00"); }));
  for (int i = 0; i < 2; ++i) v.PlayFrameAnimation(kFrameMs);
  Capture("replay_shield_flash.png");
  ASSERT_TRUE(RunUntil(v, [&] { return v.flash.level() > 50.0; }));
  Capture("replay_destruction_flash.png");
  ASSERT_TRUE(RunToEnd(v));
  g_sgWorld->redraw = 1;
  v.PlayFrameAnimation(kFrameMs);
  Capture("replay_complete.png");
  // The units' names over them (the guild filter passes every unit still whole).
  v.OnCommand(405);
  v.ToggleUnitHalos();
  SharedScreen().statusShown = 0;
  v.PlayFrameAnimation(kFrameMs);
  Capture("replay_labels.png");
  g_gameData->guildModules[2] = nullptr;
  if (otherArt) plat::FreeLibrary(otherArt);
}

}  // namespace
