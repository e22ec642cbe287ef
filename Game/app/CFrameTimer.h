#pragma once
// The frame timer: lets the current view animate once every 35 ms while the
// game takes player input. Game thread only.

#include <cstdint>

#include "platform/core/types.h"

class IGameView;

constexpr plat::DWORD kFramePeriodMs = 35;

class CFrameTimer {
 public:
  CFrameTimer();
  // Once the period has passed, restarts it and, unless paused, with a view
  // and with the play phase on, calls the view's frame animation with the
  // milliseconds elapsed. Before that nothing changes.
  void Tick(IGameView* view, bool playPhase);
  // Milliseconds until the period will have passed; 0 once it has.
  plat::DWORD MsUntilDue() const;

  std::uint16_t m_entries = 1;
  std::uint8_t m_paused = 0;
  plat::DWORD m_period = kFramePeriodMs;
  plat::DWORD m_lastTime = 0;
};
