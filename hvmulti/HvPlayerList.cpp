#include "hvmulti/HvPlayerList.h"

#include <algorithm>
#include <cstring>

#include "hvmulti/HvMulti.h"

CHvPlayerList::CHvPlayerList(std::uint32_t group, const char*) : group_(group) {}

int CHvPlayerList::UpdatePlayerList(CHvMulti* multi) {
  if (!multi) return 0;
  std::vector<HvMPlayerEntry> fresh;
  for (const auto& p : multi->GetPlayers()) {
    if (p.isServer) continue;
    HvMPlayerEntry e;
    e.id = p.id;
    const std::string& name = p.longName.empty() ? p.shortName : p.longName;
    const std::size_t n = std::min(name.size(), sizeof e.name - 1);
    std::memcpy(e.name, name.data(), n);
    if (const HvMPlayerEntry* old = Find(p.id)) e.flags = old->flags;
    fresh.push_back(e);
  }
  players_ = std::move(fresh);
  return PlayerCount();
}

const HvMPlayerEntry* CHvPlayerList::GetPlayer(int index) const {
  if (index < 0 || index >= PlayerCount()) return nullptr;
  return &players_[static_cast<std::size_t>(index)];
}

HvMPlayerEntry* CHvPlayerList::Find(std::uint32_t id) {
  const auto it = std::find_if(players_.begin(), players_.end(), [id](const HvMPlayerEntry& e) { return e.id == id; });
  return it == players_.end() ? nullptr : &*it;
}

int CHvPlayerList::SetPlayerFlagByID(std::uint32_t id, std::uint32_t flag) {
  HvMPlayerEntry* e = Find(id);
  if (!e) return 0;
  e->flags |= flag;
  return 1;
}

int CHvPlayerList::UnSetPlayerFlagByID(std::uint32_t id, std::uint32_t flag) {
  HvMPlayerEntry* e = Find(id);
  if (!e) return 0;
  e->flags &= ~flag;
  return 1;
}

int CHvPlayerList::TogglePlayerFlagByID(std::uint32_t id, std::uint32_t flag) {
  HvMPlayerEntry* e = Find(id);
  if (!e) return 0;
  e->flags ^= flag;
  return 1;
}
