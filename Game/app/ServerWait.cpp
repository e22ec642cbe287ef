#include "Game/app/ServerWait.h"

#include <utility>

namespace {

std::size_t Slot(ServerAnswer answer) { return static_cast<std::size_t>(answer); }

}  // namespace

void ServerWait::Begin(ServerAnswer answer, plat::DWORD now, SaveFile ownSave) {
  if (answer == ServerAnswer::RestartWorld) {
    m_ownSave = {};
    for (SaveFile& owed : m_owed[Slot(ServerAnswer::SaveDone)]) owed = {};
  }
  // The wait replaced is still answered: that answer must not settle this one.
  if (m_awaited != ServerAnswer::None && m_awaited != ServerAnswer::RestartWorld) Owe();
  m_awaited = answer;
  m_ownSave = std::move(ownSave);
  m_start = now;
  m_overdue = false;
}

ServerAnswer ServerWait::Overdue(plat::DWORD now) {
  if (m_awaited == ServerAnswer::None || m_overdue || now - m_start < kBoundMs) return ServerAnswer::None;
  m_overdue = true;
  return m_awaited;
}

ServerWait::Taken ServerWait::Take(ServerAnswer answer, bool givenUp) {
  if (givenUp) {
    if (answer != m_awaited || !m_overdue) return {};
    Owe();
    End();
    return {true, {}};
  }
  if (std::deque<SaveFile>& owed = m_owed[Slot(answer)]; !owed.empty()) {
    Taken late{false, std::move(owed.front())};
    owed.pop_front();
    return late;
  }
  if (answer != m_awaited) return {true, {}};
  Taken taken{true, std::exchange(m_ownSave, {})};
  End();
  return taken;
}

std::size_t ServerWait::OwedOwnSaves() const {
  return m_owed[Slot(ServerAnswer::SaveDone)].size() + (m_awaited == ServerAnswer::SaveDone ? 1 : 0);
}

void ServerWait::End() {
  m_awaited = ServerAnswer::None;
  m_ownSave = {};
  m_overdue = false;
}

void ServerWait::Forget() {
  for (std::deque<SaveFile>& owed : m_owed) owed.clear();
  End();
}

void ServerWait::Owe() {
  std::deque<SaveFile>& owed = m_owed[Slot(m_awaited)];
  // Past the bound the oldest is forgotten; the player's own saves never get
  // there (the game refuses another first), so no save's file is lost track of.
  if (owed.size() > kMostOwed) owed.pop_front();
  owed.push_back(std::exchange(m_ownSave, {}));
}
