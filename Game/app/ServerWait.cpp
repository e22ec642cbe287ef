#include "Game/app/ServerWait.h"

void ServerWait::Begin(ServerAnswer answer, plat::DWORD now) {
  m_awaited = answer;
  m_start = now;
  m_overdue = false;
}

ServerAnswer ServerWait::Overdue(plat::DWORD now) {
  if (m_awaited == ServerAnswer::None || m_overdue || now - m_start < kBoundMs) return ServerAnswer::None;
  m_overdue = true;
  return m_awaited;
}

bool ServerWait::Take(ServerAnswer answer) {
  const unsigned bit = 1u << static_cast<unsigned>(answer);
  if (answer == m_awaited) {
    if (m_overdue) m_late |= bit;
    m_awaited = ServerAnswer::None;
    m_overdue = false;
    return true;
  }
  if ((m_late & bit) == 0) return true;
  m_late &= ~bit;
  return false;
}

void ServerWait::End() {
  m_awaited = ServerAnswer::None;
  m_overdue = false;
}
