#pragma once
// The packet dispatcher: each call takes at most one received packet (from
// the session's queue, or from the e-mail input in e-mail mode) and applies
// it to the game data, the application and the views through its handler.
// Every handler first checks the packet's length against the fields it
// reads, and the indexes in it against the tables they name; a packet that
// fails is dropped whole, with a trace line, and nothing of it is applied.
//
// Game thread only.

#include <cstdint>
#include <span>

class CNetSession;

// Private messages of the main window that the handlers post or send.
enum NetWindowMessage : std::uint32_t {
  WM_NET_GAME_STARTED = 0x803,
  WM_NET_TURN_RESULTS = 0x804,
  WM_NET_SAVE = 0x906,
  WM_NET_AUTOSAVE = 0x907,
  WM_NET_SAVE_DONE = 0x908,
  WM_NET_LOAD_REPLY = 0x90A,
  WM_NET_LOAD_PERMISSION = 0x90C,
  WM_NET_LOAD_DATA = 0x90D,
  WM_NET_TURN_PROCESSING = 0x90E,
  WM_NET_RESTART = 0x911,
  WM_NET_RESTART_VIEWS = 0x912,
  WM_NET_RESTART_REPLY = 0x913,
};

// One pass. 1 when a packet was taken (whatever its type, and whether or not
// it was applied); 0 when nothing was waiting, for the library's own messages
// (a player who joined or left updates the player list), and when the session
// has no notify window yet (the packet is dropped).
std::uint32_t DispatchPacket(CNetSession& session);

// Applies one packet (header first) received from library player `from`.
// `session` may be null (nothing is sent then). False when the packet was
// dropped: too short for its fields, or an index outside its table. Types
// without a handler are accepted and do nothing.
bool HandlePacket(CNetSession* session, std::span<const std::uint8_t> packet, std::uint32_t from);

// The game's sends go to the session through the session sink (null: none
// go out), and the game data's e-mail mode follows it.
void AttachSessionLinks(CNetSession* session);
