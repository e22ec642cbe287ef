#pragma once
// What the packet handlers need of the application around them: its
// questions and boxes, the result movie, the progress dialog, the
// configuration screen and blocks, the e-mail turn file and the packet
// sniffer. The application fills these in when it starts; an empty link does
// nothing or answers as noted, so that the handlers run without an
// application (tests, the fuzz target, replays of turn files).
//
// Game thread only.

#include <cstdint>
#include <functional>
#include <span>

#include "platform/core/types.h"

struct NetHandlerLinks {
  // A Yes/No box with the text of a text ID in the local guild's art; 1 yes (1).
  std::function<int(const char* textId)> askYesNo;
  // The OK box with the text of a text ID, formatted with `arg` (nothing).
  std::function<void(const char* textId, const char* arg)> showTextBox;
  // CClntApp::PlayMovie of a movie file name (nothing).
  std::function<void(const char* file)> playMovie;
  // Closes and deletes the initialising progress dialog, when open (nothing).
  std::function<void()> closeProgress;
  // Sets the application's pending-Escape flag (nothing).
  std::function<void()> setPendingEscape;
  // The application's 40-byte GameConfigPacket (empty: none).
  std::function<std::span<std::uint8_t>()> gameConfigBlock;
  // Runs the game configuration screen over the block (nothing).
  std::function<void(std::span<std::uint8_t> block)> runConfigScreen;
  // The application was started by a lobby (false).
  std::function<bool()> lobbyLaunch;
  // The application's local chapter identifier (the game data's, else 0).
  std::function<std::uint16_t()> appChapterId;
  // CClntApp::ApplyReceivedSettings with packet 54 (nothing).
  std::function<void(std::span<const std::uint8_t> packet)> applyReceivedSettings;
  // Posts the quit message with a code (nothing).
  std::function<void(int code)> postQuit;
  // CNetSession::ReadEmailPacket: the next packet of the e-mail input into
  // `buffer`; 0 with *length set, or -22 at the end (-22).
  std::function<int(std::span<std::uint8_t> buffer, std::uint32_t* length)> readEmailPacket;
  // The packet sniffer's "Processing" line, when it is on (nothing).
  std::function<void(std::span<const std::uint8_t> packet)> snifferProcessing;
  // Told the type of each packet the dispatcher has taken and handled; scripted
  // runs wait on it (nothing).
  std::function<void(std::uint16_t type)> packetHandled;
  // Posts (send = false) or sends a message to the session's notify window.
  // Empty: windowMessage to that window. Tests put a recorder here.
  std::function<void(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, bool send)> notify;
  // The windowing layer's PostMessage / SendMessage (nothing).
  std::function<void(plat::HWND window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, bool send)>
      windowMessage;
};

extern NetHandlerLinks g_netHandlerLinks;
