#include "Game/app/ServerWait.h"

#include <utility>

namespace {

std::size_t Slot(ServerAnswer answer) { return static_cast<std::size_t>(answer); }

}  // namespace

void ServerWait::Begin(ServerAnswer answer, plat::DWORD now, SaveFile ownSave) {
  // The wait replaced is still answered: that answer must not settle this one.
  if (m_awaited != ServerAnswer::None && m_awaited != ServerAnswer::RestartWorld) Owe(true);
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
    Owe(false);
    End();
    return {true, {}};
  }
  if (std::deque<Owed>& owed = m_owed[Slot(answer)]; !owed.empty()) {
    Owed first = std::move(owed.front());
    owed.pop_front();
    return {first.carriedOut, std::move(first.ownSave)};
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

std::vector<SaveFile> ServerWait::Forget() {
  std::vector<SaveFile> saves;
  if (!m_ownSave.aside.empty()) saves.push_back(m_ownSave);
  for (std::deque<Owed>& owed : m_owed) {
    for (Owed& o : owed)
      if (!o.ownSave.aside.empty()) saves.push_back(std::move(o.ownSave));
    owed.clear();
  }
  End();
  return saves;
}

void ServerWait::Owe(bool carriedOut) {
  std::deque<Owed>& owed = m_owed[Slot(m_awaited)];
  // Past the bound the oldest is forgotten; the player's own saves never get
  // there (the game refuses another first), so no save's file is lost track of.
  if (owed.size() > kMostOwed) owed.pop_front();
  owed.push_back({std::exchange(m_ownSave, {}), carriedOut});
}
