#pragma once
// The replay's step-by-step clock: which movement phase is playing, how many
// frames it has run, when the next phase is read, when the battle section
// takes over and when the review is complete. One Tick per unpaused frame.
//
// A phase lasts at least ten frames (sub-steps 0 to 9) and longer while any
// unit is still busy with a move or a shot (sub-step 10). The scene work
// (moving units, playing events, reading the file) is the stage's.
//
// Main thread only.

#include <cstdint>

namespace replay {

// What the clock asks of the replay view.
class ReplayStage {
 public:
  virtual ~ReplayStage() = default;
  // One frame of the movement phase; true while any unit is busy.
  virtual bool AnimateMovementPhase() = 0;
  // Stops every unit and clears its events; `finish` first puts moving units at their targets.
  virtual void ResetUnitMoves(bool finish) = 0;
  // Reads the next movement phase; false once the phases are over or reading failed.
  virtual bool ReadMovementPhase() = 0;
  // The engine sounds stop following the camera when the movement phases end.
  virtual void FreezeUnitSounds() = 0;
  // Every playing sound loses one step.
  virtual void FadeSounds() = 0;
  // Reads the battle section; true when it holds an event.
  virtual bool ReadBattleSection() = 0;
  // One frame of the battle section; false when nothing is left to play.
  virtual bool AnimateBattleSection() = 0;
};

class ReplayTicker {
 public:
  static constexpr std::uint8_t kNotStarted = 0xFF;     // phase before the first tick
  static constexpr std::uint8_t kBattleSection = 0xFE;  // phase once the movement phases are over
  static constexpr std::uint8_t kComplete = 0xFE;       // sub-step once nothing is left to play
  static constexpr std::uint8_t kLastPlainStep = 9;
  static constexpr std::uint8_t kWaiting = 10;
  // Entering this phase, units still moving are put at their targets first.
  static constexpr std::uint8_t kPlacingPhase = 9;

  explicit ReplayTicker(ReplayStage& stage) : m_stage(stage) {}

  void Start();
  void Stop() { m_running = false; }
  // One step; false when nothing runs or the review is complete (nothing to redraw for it).
  bool Tick();
  // Ends the review where it stands (every unit of the local chapter is a wreck).
  void Complete();

  bool running() const { return m_running; }
  std::uint8_t phase() const { return m_phase; }
  std::uint8_t subStep() const { return m_subStep; }
  bool complete() const { return m_phase == kBattleSection && m_subStep == kComplete; }
  // The text ID of the phase line under the viewport.
  const char* PhaseTextId(bool paused) const;

 private:
  void EndMovementPhases();

  ReplayStage& m_stage;
  bool m_running = false;
  std::uint8_t m_phase = kNotStarted;
  std::uint8_t m_subStep = 0;
};

// The frames-per-second estimate after a frame of `ms` milliseconds: 0 ms
// leaves it, 100 ms and more count as 10 frames a second.
double EstimateFrameRate(double previous, std::uint32_t ms);

// The destruction flash (a percentage over the viewport), one frame at a time:
// it starts at 10.1 when the debris reaches its bright frame, rises by
// 134.6667 / frame rate per frame while below 98 less that step, and falls by
// the same step once the debris is gone.
class DestructionFlash {
 public:
  static constexpr double kStart = 10.1;
  static constexpr double kCeiling = 98.0;
  void Begin() { m_level = kStart; }
  void Rise(double frameRate);
  // One frame of fading; true once the flash is over.
  bool Fall(double frameRate);
  void Clear() { m_level = 0.0; }
  double level() const { return m_level; }
  static double Step(double frameRate) { return 134.6667 / frameRate; }

 private:
  double m_level = 0.0;
};

}  // namespace replay
