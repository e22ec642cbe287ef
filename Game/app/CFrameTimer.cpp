#include "Game/app/CFrameTimer.h"

#include "Game/app/GameView.h"
#include "platform/core/clock.h"

CFrameTimer::CFrameTimer() : m_lastTime(plat::timeGetTime()) {}

void CFrameTimer::Tick(IGameView* view, bool playPhase) {
  const plat::DWORD now = plat::timeGetTime();
  const plat::DWORD elapsed = now - m_lastTime;
  if (elapsed < m_period) return;
  if (!m_paused && view && playPhase) view->PlayFrameAnimation(elapsed);
  m_lastTime = now;
}

plat::DWORD CFrameTimer::MsUntilDue() const {
  const plat::DWORD elapsed = plat::timeGetTime() - m_lastTime;
  return elapsed < m_period ? m_period - elapsed : 0;
}
