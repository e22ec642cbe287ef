#pragma once
// The server's answer the game waits for, and the bound on that wait: the
// world of a restart, the server's half of the player's own save, the answer
// to a load request and the server's load of its half. The player's input
// waits with it (the program busy, or no view), so a server that never
// answers must not hold it for good: past the bound the wait is given up as
// the server's refusal would end it. One wait at a time; a new one takes the
// place of the one before. Game thread only.

#include "platform/core/types.h"

enum class ServerAnswer { None, RestartWorld, SaveDone, LoadAnswer, LoadDone };

class ServerWait {
 public:
  // As long as the session waits for any one packet.
  static constexpr plat::DWORD kBoundMs = 60000;

  // Waits for `answer` from `now` on.
  void Begin(ServerAnswer answer, plat::DWORD now);
  ServerAnswer Awaited() const { return m_awaited; }
  // The answer whose bound has passed at `now`, once; None otherwise. The
  // caller gives the refusal in its place; until that or the answer itself
  // is taken, the answer stays awaited.
  ServerAnswer Overdue(plat::DWORD now);
  // Whether an answer that came (or the refusal given in its place) is
  // carried out: the awaited one ends the wait; of an overdue answer and its
  // refusal only the first that comes is; one never waited for (another
  // player's save, a server that answers as it will) is.
  bool Take(ServerAnswer answer);
  // Nothing is awaited any more.
  void End();

 private:
  ServerAnswer m_awaited = ServerAnswer::None;
  plat::DWORD m_start = 0;
  bool m_overdue = false;
  // Overdue answers already taken once, whose second coming is not, even
  // while another wait runs: one bit for each ServerAnswer.
  unsigned m_late = 0;
};
