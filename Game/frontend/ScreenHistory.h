#pragma once
// The "previous" history of the front end: which screen the loop shows next
// and what it remembers for the back buttons. Plain data, no windows, so the
// rules can be driven without screens. Game thread only.

#include <array>
#include <cstdint>

// Screen ids the loop itself knows.
enum FrontEndScreen : std::int16_t {
  kScreenPlay = 0,
  kScreenTitle = 1,
  kScreenSingle = 2,
  kScreenEmail = 4,
  kScreenPrefs = 7,
  kScreenConnection = 8,
  kScreenSessions = 9,
  kScreenHostCS = 10,
  kScreenConfigLocal = 11,
  kScreenHostPeer = 12,
  kScreenGuildChapter = 13,
  kScreenQuickStarted = 14,
  kScreenGuildChapterHost = 15,
  kScreenTraits = 16,
  kScreenFog = 17,
  kScreenFogFromConfig = 18,
  kScreenStarting = 19,
  kScreenStartingFromConfig = 20,
  kScreenWait = 21,
  kScreenQuit = 22,
  kScreenBack = 100,
};

constexpr std::uint16_t kHistorySize = 50;

struct ScreenHistory {
  std::array<std::uint16_t, kHistorySize>& entries;
  std::uint16_t& count;
  std::int16_t last = 0;  // the screen shown last, 0 before the first

  // Applies the history rules to the requested id and returns the screen to
  // show (100 becomes the popped screen, or the title when nothing is left).
  // Not for 22, which ends the loop before any screen.
  std::int16_t Next(std::int16_t requested);
};
