#pragma once
// The client's copy of a session's players, with flag bits of its own per
// player (the game uses bit 1 as "ready"). The server program of a
// client-server session is a member of the session but not a player: it is
// left out.

#include <cstdint>
#include <vector>

class CHvMulti;

struct HvMPlayerEntry {
  std::uint32_t id = 0;
  char name[52] = {};  // the long name, or the short one when the long name is empty
  std::uint32_t flags = 0;
};

class CHvPlayerList {
 public:
  // `group` is the group the list stands for (the session group 65533); `name`
  // is accepted for the caller's sake.
  CHvPlayerList(std::uint32_t group, const char* name);

  // Takes the session's players from the library, keeping the flags of
  // players who are still there. Returns the number of players.
  int UpdatePlayerList(CHvMulti* multi);
  int PlayerCount() const { return static_cast<int>(players_.size()); }
  // The player at `index`, or null past the end.
  const HvMPlayerEntry* GetPlayer(int index) const;
  // Each returns 1 when the player is in the list, 0 otherwise.
  int SetPlayerFlagByID(std::uint32_t id, std::uint32_t flag);
  int UnSetPlayerFlagByID(std::uint32_t id, std::uint32_t flag);
  int TogglePlayerFlagByID(std::uint32_t id, std::uint32_t flag);
  std::uint32_t Group() const { return group_; }

 private:
  HvMPlayerEntry* Find(std::uint32_t id);

  std::uint32_t group_;
  std::vector<HvMPlayerEntry> players_;
};
