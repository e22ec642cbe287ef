#pragma once
// The headless backend driven by a script (Game/app/GameScript.h): each time
// the program waits, the script moves on as far as it can: input is queued,
// waits are checked against what the program shows, captures are written.
// Once the script has ended the program is given 10 s of real time to end by
// itself (another player may still need its server), after which it is told
// to quit; QUENBAR_SCRIPT_GRACE=<ms> sets another grace (0: at once), for a
// run that plays alone and so keeps nobody's game. The 3D views' objects keep still
// in a scripted run (`g_stillWorld`), so its captures repeat.
// Given a window (`shown`), the script plays in front of a person instead: on
// the real clock, the window taking the host's events and showing the screen
// as it is drawn, while the input still comes from the script and captures
// are still of the screen alone (no cursor), as headless. Game thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/GameScript.h"
#include "platform/backend/headless.h"

class ScriptedBackend : public plat::HeadlessBackend {
 public:
  explicit ScriptedBackend(std::vector<ScriptStep> steps, std::unique_ptr<plat::Backend> shown = nullptr);
  // Headless with no script at all: the program shows its first screen and
  // is told to quit after the grace, as at a script's end, but says so
  // without speaking of a script the player never gave.
  static std::unique_ptr<ScriptedBackend> WithoutScript();

  // The script's player answers questions.
  bool CanAskUser() const override { return true; }
  void Service() override;
  void Present() override;
  void SetExclusive(bool exclusive) override;
  void SetScreenSaverAllowed(bool allowed) override;

  // Every step ran, every wait was met and every capture written (the program
  // is told to quit at the script's end if it has not ended by then).
  bool Succeeded() const { return failures_ == 0 && stepIndex_ == steps_.size(); }
  int Failures() const { return failures_; }

 private:
  void Advance();
  // True when the step is done (met or given up).
  bool RunStep(const ScriptStep& step, plat::DWORD now);
  void Fail(const ScriptStep& step, const std::string& why);

  std::unique_ptr<plat::Backend> shown_;  // the window, or null headless
  std::vector<ScriptStep> steps_;
  std::size_t stepIndex_ = 0;
  bool stepStarted_ = false;
  plat::DWORD stepStart_ = 0;
  std::uint64_t stepStartWall_ = 0;  // ms on the wall clock, for waits bounded in real time
  std::uint64_t graceMs_;
  std::uint64_t endedAtWall_ = 0;  // ms on the wall clock when the script ended
  bool ended_ = false;
  bool withoutScript_ = false;
  bool forcedQuit_ = false;
  bool advancing_ = false;
  int failures_ = 0;
};
