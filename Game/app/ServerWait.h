#pragma once
// The server's answer the game waits for, and the bound on that wait: the
// world of a restart, the server's half of the player's own save, the answer
// to a load request and the server's load of its half. The player's input
// waits with it (the program busy, or no view), so a server that never
// answers must not hold it for good: past the bound the wait is given up as
// the server's refusal would end it. One wait at a time; a new one takes the
// place of the one before. Game thread only.
//
// The server answers each request, in the order asked, and its answers carry
// no number of their request: an answer that comes is the one owed longest.
// So a wait given up (or replaced) stays owed until its answer comes, and a
// save's answer settles the save it was asked for, never a later one. What
// the server has not answered when it restarts, it answers of its new world:
// a restart leaves the saves owed settling nothing.

#include <array>
#include <cstddef>
#include <deque>

#include "Game/save/SaveGame.h"
#include "platform/core/types.h"

enum class ServerAnswer { None, RestartWorld, SaveDone, LoadAnswer, LoadDone };

// The lParam of the refusal the game posts in place of an answer overdue
// (the server's own answers come with 0).
constexpr plat::LPARAM kAnswerGivenUp = 1;

class ServerWait {
 public:
  // As long as the session waits for any one packet.
  static constexpr plat::DWORD kBoundMs = 60000;
  // Answers of one kind still owed; a hostile or dead server costs no more.
  // The player's own saves stop at this many (the game refuses the next).
  static constexpr std::size_t kMostOwed = 16;

  // Waits for `answer` from `now` on; `ownSave` is the file of the player's
  // own save the answer decides (SaveDone only), written aside.
  void Begin(ServerAnswer answer, plat::DWORD now, SaveFile ownSave = {});
  ServerAnswer Awaited() const { return m_awaited; }
  // The answer whose bound has passed at `now`, once; None otherwise. The
  // caller posts the refusal in its place (kAnswerGivenUp); until that or the
  // answer itself is taken, the answer stays awaited.
  ServerAnswer Overdue(plat::DWORD now);

  // What an answer that came does: whether it is carried out (it ends the
  // wait; or nothing waited for it, as another player's save or a server
  // that answers as it will), and the player's own save it decides.
  struct Taken {
    bool carriedOut = false;
    SaveFile ownSave;
  };
  // The server's answer; or with `givenUp` the refusal posted in place of an
  // overdue one, carried out only while that wait is still the one awaited
  // (else the answer itself came first). An answer owed by a wait given up
  // or replaced is not carried out: it settles its own save only.
  Taken Take(ServerAnswer answer, bool givenUp);
  // The player's own saves whose answers are owed, the awaited one too.
  std::size_t OwedOwnSaves() const;
  // Nothing is awaited any more (the answers owed stay owed).
  void End();
  // The game is left: nothing is awaited or owed (the own saves' files go
  // with it: DropOwnSavesAside).
  void Forget();

 private:
  // Moves the awaited answer, with the save it settles, to those owed.
  void Owe();

  ServerAnswer m_awaited = ServerAnswer::None;
  SaveFile m_ownSave;
  plat::DWORD m_start = 0;
  bool m_overdue = false;
  // The answers owed, oldest first, by ServerAnswer: each with the own save
  // it settles (none for the others).
  std::array<std::deque<SaveFile>, 5> m_owed;
};
