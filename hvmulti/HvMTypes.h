#pragma once
// Identifiers, limits and result codes of the multiplayer library.

#include <cstdint>

// Player identifiers with a meaning of their own. A real player never gets one.
constexpr std::uint32_t HVM_ID_NONE = 0;
// The session group: a chat or packet sent to it reaches every player, the sender too.
constexpr std::uint32_t HVM_ID_SESSION = 65533;
// All players: a chat or packet sent to it reaches every player but the sender.
constexpr std::uint32_t HVM_ID_ALLPLAYERS = 65534;

// The largest packet the library carries.
constexpr std::uint32_t HVM_MAX_PACKET = 1056;
// The longest chat text, without its terminating zero.
constexpr std::uint32_t HVM_MAX_CHAT = 255;
// Players in a session, the server program included.
constexpr std::uint32_t HVM_MAX_PLAYERS = 41;
// The protocol version that the game passes with its GUID.
constexpr int HVM_PROTOCOL_VERSION = 6;
// The TCP port (and the UDP port of session enumeration) when an address names none.
constexpr std::uint16_t HVM_DEFAULT_PORT = 47310;

// Service types, as reported in the service record (the on-line lobby's, 7,
// is never reported by this library).
constexpr std::uint8_t HVM_SERVICE_MODEM = 1;
constexpr std::uint8_t HVM_SERVICE_LOCAL = 2;
constexpr std::uint8_t HVM_SERVICE_IPX = 4;
constexpr std::uint8_t HVM_SERVICE_SERIAL = 5;
constexpr std::uint8_t HVM_SERVICE_TCPIP = 6;
constexpr std::uint8_t HVM_SERVICE_ONLINE = 7;

// Service identifiers, as reported in the service record.
constexpr std::uint32_t HVM_SERVICEID_MODEM = 0x48560001;
constexpr std::uint32_t HVM_SERVICEID_IPX = 0x48560004;
constexpr std::uint32_t HVM_SERVICEID_SERIAL = 0x48560005;
constexpr std::uint32_t HVM_SERVICEID_TCPIP = 0x48560006;

// The launch text that opens the local service for a single-player game.
constexpr const char* HVM_LOCAL_SERVICE_NAME = "HVSCS";

// Results of CHvMulti::InitAutoLaunch.
constexpr int HVM_LAUNCH_HOST = 16;
constexpr int HVM_LAUNCH_JOIN = 32;

// Results of CHvMulti::CreateAndJoin and CreateAndJoinCS.
constexpr int HVM_CREATED = 1;

// Results of CHvMulti::GetTop.
constexpr int HVM_MSG_PACKET = 0;  // a game packet
constexpr int HVM_MSG_SYSTEM = 3;  // a library notice (see below)
constexpr int HVM_MSG_CHAT = 4;    // a chat text, zero-terminated

// First i32 of a system notice; the second u32 is the player's identifier.
constexpr std::int32_t HVM_NOTICE_JOINED = -2;
constexpr std::int32_t HVM_NOTICE_LEFT = -5;

// Failures. Every call returns one of these or its documented success value.
constexpr int HVM_ERR_BUFFERSMALL = -5;      // GetTop: the message does not fit (it is dropped)
constexpr int HVM_ERR_NOMESSAGE = -6;        // GetTop: nothing waiting
constexpr int HVM_ERR_BADPARAM = -7;         // a null pointer or an impossible argument
constexpr int HVM_ERR_NOSERVICE = -10;       // no service is open
constexpr int HVM_ERR_NOHARDWARE = -11;      // the service needs hardware this machine lacks
constexpr int HVM_ERR_BADSERVICE = -12;      // no service has that identifier
constexpr int HVM_ERR_BADGUID = -13;         // the application's GUID or version do not match
constexpr int HVM_ERR_NOLOBBY = -14;         // the launch text names no service of this library
constexpr int HVM_ERR_NOSESSION = -15;       // no session open, or no session with that identifier
constexpr int HVM_ERR_INSESSION = -16;       // a session is already open
constexpr int HVM_ERR_CONNECT = -17;         // the address cannot be reached or bound
constexpr int HVM_ERR_PASSWORD = -18;        // the session's password differs
constexpr int HVM_ERR_SESSIONFULL = -19;     // the session holds its maximum of players
constexpr int HVM_ERR_JOINCLOSED = -20;      // the session takes no more players
constexpr int HVM_ERR_TIMEOUT = -21;         // the other side did not answer in time
constexpr int HVM_ERR_SERVERSTART = -23;     // the server program could not be started
constexpr int HVM_ERR_TOOLARGE = -24;        // a packet over HVM_MAX_PACKET bytes, or empty
constexpr int HVM_ERR_INVALIDPLAYER = -25;   // no such player in the session
constexpr int HVM_ERR_NOTHOST = -26;         // only the session's host may do that
constexpr int HVM_ERR_CONNECTIONLOST = -27;  // the session's connection is gone
constexpr int HVM_ERR_BUSY = -30;            // too much is waiting to be sent: try again
