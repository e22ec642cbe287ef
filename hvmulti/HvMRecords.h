#pragma once
// The records the library exchanges with the game. The service, service-settings
// and session records are byte images with fixed offsets, read and written
// field by field; the player record is a plain in-memory record.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/bytes.h"

// The records' byte images.
template <std::size_t N>
using HvMByteImage = plat::ByteImage<N>;

// What EnumServices reports for one service (40 bytes).
struct HvMService_Struct : HvMByteImage<40> {
  static constexpr std::size_t kName = 0, kNameWidth = 32;
  static constexpr std::size_t kId = 32;     // u32 service identifier
  static constexpr std::size_t kType = 37;   // u8 service type (HVM_SERVICE_*)
  static constexpr std::size_t kFlags = 38;  // u16; 0x10: needs a user name and password
};

// The service settings (336 bytes) the connection screens fill before a
// service is opened.
struct HvMServiceEx_Struct : HvMByteImage<336> {
  static constexpr std::size_t kAddress = 0, kAddressWidth = 52;  // "host" or "host:port"
  static constexpr std::size_t kUserName = 56, kUserNameWidth = 32;
  static constexpr std::size_t kPassword = 88, kPasswordWidth = 16;
  static constexpr std::size_t kModemName = 120, kModemNameWidth = 52;
  static constexpr std::size_t kPhone = 172, kPhoneWidth = 32;
  static constexpr std::size_t kSerialPort = 204;   // u32, 1 to 4
  static constexpr std::size_t kBaudRate = 208;     // u32, bits per second
  static constexpr std::size_t kStopBits = 212;     // u32: 1, 15 (1.5) or 2
  static constexpr std::size_t kParity = 216;       // u32: 0 none, 1 odd, 2 even, 3 mark
  static constexpr std::size_t kFlowControl = 220;  // u32: 0 none, 1 DTR, 2 RTS, 3 both, 4 XON/XOFF
};

// A session (128 bytes): what the host creates and what enumeration reports.
struct HvMSession_Struct : HvMByteImage<128> {
  static constexpr std::size_t kName = 0, kNameWidth = 32;
  static constexpr std::size_t kDescription = 32, kDescriptionWidth = 52;
  static constexpr std::size_t kSessionId = 84;                      // u32; given by the library, 0 when creating
  static constexpr std::size_t kMaxPlayers = 88;                     // u32
  static constexpr std::size_t kPlayerCount = 92;                    // u32; filled by the library
  static constexpr std::size_t kPassword = 96, kPasswordWidth = 16;  // "x" in enumerated sessions that have one
  static constexpr std::size_t kReserved = 112;                      // 4 x u32, zero
};

// A library notice, what GetTop gives as HVM_MSG_SYSTEM: an i32 code
// (HVM_NOTICE_JOINED, HVM_NOTICE_LEFT), then the u32 identifier of the player
// it is about.
struct HvMNotice {
  static constexpr std::size_t kSize = 8;
  std::int32_t code = 0;
  std::uint32_t playerId = 0;

  // The notice of a system message's bytes; false, `out` untouched, when they
  // are too short to hold one.
  static bool Read(std::span<const std::uint8_t> message, HvMNotice& out) {
    plat::ByteReader r(message);
    HvMNotice n;
    if (!r.Read(n.code) || !r.Read(n.playerId)) return false;
    out = n;
    return true;
  }
  std::vector<std::uint8_t> Bytes() const {
    plat::ByteWriter w;
    w.I32(code);
    w.U32(playerId);
    return w.Take();
  }
};

// A player: the identifier the library fills in on joining, then the short and
// the long name.
struct HvMPlayer_Struct {
  std::uint32_t id = 0;
  char shortName[32] = {};
  char longName[52] = {};
};
