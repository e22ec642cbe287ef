#pragma once
// What the game data and the packet handlers use of the view framework and
// its panels (the current view, the notification and info panels, the help
// library, the screen flush, the game-over dialogs). The view framework fills
// these in when it exists; an empty link does nothing (or answers as noted),
// so that the model and the handlers run with no views at all (tests, the
// first games before the views are built).
//
// Game thread only.

#include <cstdint>
#include <functional>
#include <span>

struct ViewLinks {
  // CHelpLibrary: builds the in-game help object (null: none) and releases it.
  std::function<void*()> createHelpLibrary;
  std::function<void(void* library)> releaseHelpLibrary;
  // The current view's CVGeneric::OnControlCommand, when a view exists.
  std::function<void(std::uint32_t id)> controlCommand;
  // CVGeneric::SetTurnLampCount (process-wide, with or without a view).
  std::function<void(std::uint16_t count)> setTurnLampCount;
  // CVGeneric::OnTurnLampPacket, when a current view exists.
  std::function<void(std::span<const std::uint8_t> packet)> turnLampPacket;
  // The info panel's owner-change mark (packet 123 sets its word to 65535).
  std::function<void()> infoPanelOwnerChanged;
  // The info panel is visible and shows the chat panel (false).
  std::function<bool()> infoPanelShowsChat;
  // CVGeneric::SetChatLight(on, sound) on the current view, then FlushScreen.
  std::function<void(int on, int sound)> chatLight;
  // The current view's CVGeneric::Invalidate.
  std::function<void()> invalidateView;
  // ShowGameOverDialogs with packet 19, then the redraw of the whole screen.
  std::function<void(std::span<const std::uint8_t> packet)> gameOverDialogs;
};

extern ViewLinks g_viewLinks;

// The links with their empty-link behaviour.
void* ViewCreateHelpLibrary();
void ViewReleaseHelpLibrary(void* library);
