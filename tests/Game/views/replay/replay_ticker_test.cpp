#include "Game/views/replay/ReplayTicker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Game/net/ReplayFormat.h"
#include "Game/net/ReplayReader.h"
#include "platform/core/files.h"
#include "tests/support/scratch_drive.h"

namespace {

using replay::ReplayTicker;

// A stage that records what it is asked; phases and busy frames are scripted.
class ScriptedStage : public replay::ReplayStage {
 public:
  bool AnimateMovementPhase() override {
    log.push_back("animate");
    if (wreckAllAt > 0 && --wreckAllAt == 0) ticker->Complete();
    return busyFrames > 0 && busyFrames-- > 0;
  }
  void ResetUnitMoves(bool finish) override { log.push_back(finish ? "reset+finish" : "reset"); }
  bool ReadMovementPhase() override {
    log.push_back("read phase");
    return phasesLeft > 0 && phasesLeft-- > 0;
  }
  void FreezeUnitSounds() override { log.push_back("freeze"); }
  void FadeSounds() override { ++fades; }
  bool ReadBattleSection() override {
    log.push_back("read battle");
    return battleFrames > 0;
  }
  bool AnimateBattleSection() override { return battleFrames > 0 && --battleFrames > 0; }

  int Count(const std::string& entry) const { return static_cast<int>(std::count(log.begin(), log.end(), entry)); }

  std::vector<std::string> log;
  int busyFrames = 0, phasesLeft = 0, battleFrames = 0, fades = 0, wreckAllAt = 0;
  ReplayTicker* ticker = nullptr;
};

TEST(ReplayTickerTest, APhaseLastsTenFramesOrUntilItsUnitsAreDone) {
  ScriptedStage stage;
  ReplayTicker ticker(stage);
  EXPECT_FALSE(ticker.Tick()) << "nothing runs before the start";
  ticker.Start();
  EXPECT_EQ(ticker.phase(), ReplayTicker::kNotStarted);
  EXPECT_TRUE(ticker.Tick());
  EXPECT_EQ(ticker.phase(), 0);
  EXPECT_TRUE(stage.log.empty()) << "the first frame only shows the start";
  EXPECT_STREQ(ticker.PhaseTextId(false), "PHASE___");
  EXPECT_STREQ(ticker.PhaseTextId(true), "PAUSED__");

  stage.phasesLeft = 2;
  for (int i = 0; i < 9; ++i) ticker.Tick();
  EXPECT_EQ(stage.Count("read phase"), 0);
  EXPECT_EQ(ticker.subStep(), 9);
  ticker.Tick();
  EXPECT_EQ(stage.Count("read phase"), 1) << "the tenth tick after the first reads phase 1";
  EXPECT_EQ(ticker.phase(), 1);
  EXPECT_EQ(ticker.subStep(), 0);

  // Busy units keep the phase waiting at sub-step 10.
  stage.busyFrames = 14;
  for (int i = 0; i < 14; ++i) ticker.Tick();
  EXPECT_EQ(ticker.subStep(), ReplayTicker::kWaiting);
  EXPECT_EQ(ticker.phase(), 1);
  ticker.Tick();
  EXPECT_EQ(ticker.phase(), 2);

  // Phase 3 cannot be read: the battle section follows, with one event of three frames.
  stage.battleFrames = 3;
  for (int i = 0; i < 10; ++i) ticker.Tick();
  EXPECT_EQ(ticker.phase(), ReplayTicker::kBattleSection);
  EXPECT_EQ(stage.Count("freeze"), 1);
  EXPECT_STREQ(ticker.PhaseTextId(false), "LSTPHASE");
  EXPECT_TRUE(ticker.Tick());
  EXPECT_TRUE(ticker.Tick());
  EXPECT_TRUE(ticker.Tick());
  EXPECT_TRUE(ticker.complete());
  EXPECT_STREQ(ticker.PhaseTextId(false), "ENDREPLY");
  const int fades = stage.fades;
  EXPECT_FALSE(ticker.Tick());
  EXPECT_EQ(stage.fades, fades + 1) << "the sounds go on fading once complete";
}

TEST(ReplayTickerTest, AnEmptyBattleSectionCompletesAtOnce) {
  ScriptedStage stage;
  ReplayTicker ticker(stage);
  ticker.Start();
  for (int i = 0; i < 11; ++i) ticker.Tick();
  EXPECT_EQ(stage.log.back(), "read battle");
  EXPECT_TRUE(ticker.complete());
}

TEST(ReplayTickerTest, UnitsArePutAtTheirTargetsEnteringPhaseNineOnly) {
  ScriptedStage stage;
  ReplayTicker ticker(stage);
  stage.phasesLeft = 12;
  ticker.Start();
  std::vector<int> finished;
  for (int i = 0; i < 200 && !ticker.complete(); ++i) {
    const std::size_t before = stage.log.size();
    ticker.Tick();
    for (std::size_t at = before; at < stage.log.size(); ++at)
      if (stage.log[at] == "reset+finish") finished.push_back(ticker.phase());
  }
  EXPECT_EQ(finished, std::vector<int>{9});
  EXPECT_TRUE(ticker.complete());
}

TEST(ReplayTickerTest, TheLastOwnWreckEndsTheReviewMidPhase) {
  ScriptedStage stage;
  ReplayTicker ticker(stage);
  ticker.Start();
  stage.ticker = &ticker;
  stage.phasesLeft = 5;
  stage.wreckAllAt = 14;
  for (int i = 0; i < 30; ++i) ticker.Tick();
  EXPECT_TRUE(ticker.complete());
  EXPECT_EQ(stage.Count("read battle"), 0);
  EXPECT_EQ(stage.Count("reset+finish"), 1);
}

TEST(ReplayTickerTest, FrameRateAndDestructionFlash) {
  EXPECT_DOUBLE_EQ(replay::EstimateFrameRate(31.0, 0), 31.0);
  EXPECT_DOUBLE_EQ(replay::EstimateFrameRate(31.0, 40), 25.0);
  EXPECT_DOUBLE_EQ(replay::EstimateFrameRate(31.0, 150), 10.0);
  EXPECT_DOUBLE_EQ(replay::EstimateFrameRate(31.0, 99), 1000.0 / 99);

  replay::DestructionFlash flash;
  flash.Begin();
  std::vector<double> levels{flash.level()};
  for (int i = 0; i < 10; ++i) {
    flash.Rise(10.0);
    levels.push_back(flash.level());
  }
  EXPECT_NEAR(levels[1] - levels[0], 13.46667, 1e-4);
  const double top = levels.back();
  EXPECT_GE(top, 98.0 - 13.46667);
  EXPECT_LT(levels[levels.size() - 2 - 4], 98.0 - 13.46667 + 1e-9);
  EXPECT_LE(top, 98.0);
  int frames = 0;
  while (!flash.Fall(10.0)) ++frames;
  EXPECT_EQ(frames, 7) << "from " << top;
  EXPECT_EQ(flash.level(), 0.0);
}

// A stage over the real reader with units that are never busy: any file,
// however damaged, reaches "Review complete" within a bounded number of ticks.
class FileStage : public replay::ReplayStage, public replay::ReplaySink {
 public:
  explicit FileStage(plat::FILE* f) : reader(f, *this) {}
  bool AnimateMovementPhase() override { return false; }
  void ResetUnitMoves(bool) override {}
  bool ReadMovementPhase() override { return reader.ReadMovementPhase(); }
  void FreezeUnitSounds() override {}
  void FadeSounds() override {}
  bool ReadBattleSection() override {
    battleEvents = 0;
    return reader.ReadBattleSection();
  }
  // One event a frame.
  bool AnimateBattleSection() override { return played++ < battleEvents; }

  void AddUnit(const replay::UnitRecord& unit, bool) override { units.push_back(unit.id); }
  bool HasUnit(std::uint32_t id) override { return std::find(units.begin(), units.end(), id) != units.end(); }
  void MoveUnit(std::uint32_t, const Location&, std::uint32_t) override {}
  std::size_t QueueEvent(const replay::EventRecord& event) override {
    if (!HasUnit(event.U32(replay::EventRecord::kOwner))) return 0;
    ++battleEvents;
    return 1;
  }
  void WreckUnit(std::uint32_t) override {}

  replay::ReplayReader reader;
  std::vector<std::uint32_t> units;
  std::size_t battleEvents = 0, played = 0;
};

TEST(ReplayTickerTest, EveryCutOfARealBattleCompletes) {
  constexpr std::uint32_t kOwn = (9u << 26) | 1, kEnemy = (17u << 26) | 2;
  replay::ReplayBuilder r;
  r.Participants({9, 17}, 4).Unit(kOwn, {4, 0, 0, 0}, "FF").Unit(kEnemy, {4, 90, 0, 0}, "BB").EndUnits();
  for (int phase = 0; phase < 3; ++phase) {
    r.Move(kOwn, {4, 1, 0, 0}).Shot(7, kEnemy).Hit(41, 3).End(10);
    r.Move(kEnemy, {4, 90, 0, 0}).Shot(2, kOwn).Miss().End(1);
  }
  r.Code(11).Scan(kEnemy, 1, kOwn).Destroyed(kEnemy, {{kEnemy, 1}}).Code(12);
  const std::vector<std::uint8_t>& whole = r.bytes();
  quentest::ScratchDrive drive;
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    drive.Write("4.rpl", std::string(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    plat::FILE* f = plat::fopen(drive.Dos("4.rpl").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    FileStage stage(f);
    std::uint16_t asteroid = 0;
    if (stage.reader.ReadPreamble() && stage.reader.ReadAsteroid(asteroid)) {
      stage.reader.ReadStartUnits();
      ReplayTicker ticker(stage);
      ticker.Start();
      int ticks = 0;
      while (ticker.Tick()) ASSERT_LT(++ticks, 100) << "cut at " << cut;
      EXPECT_TRUE(ticker.complete());
      if (cut == whole.size()) {
        EXPECT_EQ(ticker.phase(), ReplayTicker::kBattleSection);
        EXPECT_EQ(ticks, 1 + 4 * 10 + 3) << "the start, four ten-frame phases, two battle events and the end";
      }
    }
    plat::fclose(f);
  }
}

}  // namespace
