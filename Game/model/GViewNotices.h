#pragma once
// What the game data and the packet handlers tell the game screen (the current
// view, the notification and info panels, the help library, the game-over
// dialogs). The view framework implements it and registers itself once; until
// then, and with no views at all (tests, the server), the default does
// nothing and answers as noted, so the model runs on its own.
//
// Game thread only.

#include <cstdint>
#include <span>

class CGAsteroid;

class IViewNotices {
 public:
  virtual ~IViewNotices() = default;
  // The in-game help object (null: none) and its release.
  virtual void* CreateHelpLibrary() { return nullptr; }
  virtual void ReleaseHelpLibrary(void* /*library*/) {}
  // A control-panel command on the current view, when one exists.
  virtual void ControlCommand(std::uint32_t /*id*/) {}
  // The number of lit chapter turn lamps (with or without a view).
  virtual void SetTurnLampCount(std::uint16_t /*count*/) {}
  // Packet 31 lights the turn lamps, when a current view exists.
  virtual void TurnLampPacket(std::span<const std::uint8_t> /*packet*/) {}
  // Packet 123 marks the info panel's owner change.
  virtual void InfoPanelOwnerChanged() {}
  // The info panel is visible and shows the chat panel (false).
  virtual bool InfoPanelShowsChat() { return false; }
  // The chat light on the current view, then the screen flush.
  virtual void ChatLight(int /*on*/, int /*sound*/) {}
  // The current view redraws.
  virtual void InvalidateView() {}
  // The game summary and high-score dialogs of packet 19, then a full redraw.
  virtual void GameOverDialogs(std::span<const std::uint8_t> /*packet*/) {}
  // Two detected asteroids collided during the orbit animation.
  virtual void AsteroidNotice(CGAsteroid* /*a*/, CGAsteroid* /*b*/) {}
  // A new, unfiltered notification: the panel moves a line and redraws.
  virtual void NotificationPanelNewLine() {}
  // The selection is full and refused another entry.
  virtual void SelectionFull() {}
  // The notification panel scrolls back to its first line.
  virtual void ScrollNotificationsToTop() {}
  // A cancelled recovery gave ATVs back to their zones: the terrain view
  // redraws them when it is the current view.
  virtual void ZoneAtvsReturned() {}
};

// The registered notices, or the do-nothing default.
IViewNotices& ViewNotices();
// Registers the game screen's notices; null goes back to the default. The
// caller keeps the object alive while it is registered.
void RegisterViewNotices(IViewNotices* notices);
