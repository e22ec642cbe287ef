#include "Game/views/replay/ReplayTicker.h"

namespace replay {

void ReplayTicker::Start() {
  m_running = true;
  m_phase = kNotStarted;
  m_subStep = 0;
}

bool ReplayTicker::Tick() {
  if (!m_running) return false;
  if (m_phase == kNotStarted) {
    // The first frame only shows the units where they start.
    m_phase = 0;
    m_subStep = 0;
    return true;
  }
  if (m_phase == kBattleSection) {
    m_stage.FadeSounds();
    if (m_subStep == kComplete) return false;
    if (!m_stage.AnimateBattleSection()) m_subStep = kComplete;
    return true;
  }
  const bool busy = m_stage.AnimateMovementPhase();
  if (m_phase == kBattleSection) return true;  // the animation ended the review
  if (m_subStep < kLastPlainStep) {
    ++m_subStep;
  } else if (busy) {
    m_subStep = kWaiting;
  } else {
    m_subStep = 0;
    ++m_phase;
    m_stage.ResetUnitMoves(m_phase == kPlacingPhase);
    if (!m_stage.ReadMovementPhase()) EndMovementPhases();
  }
  return true;
}

void ReplayTicker::EndMovementPhases() {
  m_stage.FreezeUnitSounds();
  m_stage.FadeSounds();
  const bool events = m_stage.ReadBattleSection();
  m_phase = kBattleSection;
  m_subStep = events ? 0 : kComplete;
}

void ReplayTicker::Complete() {
  m_stage.ResetUnitMoves(true);
  m_phase = kBattleSection;
  m_subStep = kComplete;
}

const char* ReplayTicker::PhaseTextId(bool paused) const {
  if (paused) return "PAUSED__";
  if (m_phase != kBattleSection) return "PHASE___";
  return m_subStep == kComplete ? "ENDREPLY" : "LSTPHASE";
}

double EstimateFrameRate(double previous, std::uint32_t ms) {
  if (ms == 0) return previous;
  return ms < 100 ? 1000.0 / ms : 10.0;
}

void DestructionFlash::Rise(double frameRate) {
  const double step = Step(frameRate);
  if (m_level < kCeiling - step) m_level += step;
}

bool DestructionFlash::Fall(double frameRate) {
  if (m_level == 0.0) return true;
  const double step = Step(frameRate);
  m_level = m_level > step ? m_level - step : 0.0;
  return false;
}

}  // namespace replay
