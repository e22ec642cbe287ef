#pragma once
// The game screen's control ids: the control panel's 27 buttons, the
// notification panel's buttons and the info panels the panel buttons open
// (a panel's type is its id less kFirstPanel). A click on any of them comes
// to the current view as a control command of its id.

#include <cstdint>

namespace control {

enum Id : std::uint32_t {
  kSwitchView = 101,  // to the design view and back
  // The notification categories' filters, in the categories' order.
  kFilterUnits = 105,
  kFilterTrade = 106,
  kFilterDiplomacy = 107,
  kFilterGame = 108,
  kFilterChat = 109,
  kFilterVotes = 110,
  kFirstFilter = kFilterUnits,
  kLastFilter = kFilterVotes,
  kEndTurn = 111,
  kInfo = 130,  // the round button that shows and hides the info panel
  kOptions = 131,
  kSettings = 132,
  // The solar view's look into the future.
  kFutureRun = 162,
  kFuturePause = 163,
  kFutureForward = 164,
  kFutureBack = 165,
  kFutureRestart = 166,
  // A battle replay's.
  kReplayPlay = 200,
  kReplayExit = 201,
  kReplayAdvance = 202,
  kReplayRestart = 203,
  kReplayPause = 204,
  // The notification panel's.
  kScrollUp = 250,
  kScrollDown = 251,
  kSingleKind = 252,
  kShowAll = 253,
  // The info panels.
  kVotes = 260,
  kTrade = 261,
  kShipList = 262,
  kAsteroidList = 263,
  kResearch = 264,
  kGameStatus = 265,
  kChatLog = 266,
  kHistory = 267,
  kCombatLog = 268,
  kGameSettings = 269,
  kPlayerNotes = 270,
  kHelp = 271,
  kFirstPanel = kVotes,
  kLastPanel = kHelp,
};

}  // namespace control
