#pragma once
// The library's wire format. On a session's TCP connections every message is a
// frame: a u32 body length, then the body, whose first byte names the kind.
// Lengths are checked against each kind's exact or largest size, so a peer
// that sends an oversized or malformed frame is detected before anything of
// it is used. Session enumeration uses single UDP datagrams.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "hvmulti/HvMRecords.h"

namespace hvm {

enum class FrameKind : std::uint8_t {
  Hello = 1,    // joiner -> host: asks to join
  Welcome = 2,  // host -> joiner: accepted, with the joiner's identifier and the session
  Refuse = 3,   // host -> joiner: refused, with the reason
  Joined = 4,   // host -> players: a player is (or already was) in the session
  Left = 5,     // host -> players: a player left; the player itself when it was removed
  Data = 6,     // a game packet
  Chat = 7,     // a chat text
  Ping = 8,     // keep-alive, carries nothing
  Bye = 9,      // the sender leaves the session in order
};

// Flags of a player, in Joined frames and the library's player table.
constexpr std::uint8_t kPlayerServer = 1;  // the server program of a client-server session
constexpr std::uint8_t kPlayerHost = 2;    // the player who created the session

// Flags of a session, in Welcome frames.
constexpr std::uint8_t kSessionClientServer = 1;

constexpr std::size_t kGuidWidth = 40;
constexpr std::size_t kTokenWidth = 32;
constexpr std::size_t kFrameLengthSize = 4;
// The largest frame body of any kind: a Data frame with a full packet.
constexpr std::size_t kMaxFrameBody = 13 + 1056;

struct HelloFrame {
  std::string guid;
  std::uint32_t version = 0;
  std::string password;
  std::string shortName;
  std::string longName;
  std::string serverToken;  // empty unless the joiner is the session's server program
};
struct WelcomeFrame {
  std::uint32_t yourId = 0;
  std::uint8_t sessionFlags = 0;
  HvMSession_Struct session;
};
struct RefuseFrame {
  std::int32_t code = 0;
};
struct JoinedFrame {
  std::uint32_t id = 0;
  std::uint8_t flags = 0;
  std::string shortName;
  std::string longName;
};
struct LeftFrame {
  std::uint32_t id = 0;
};
struct DataFrame {
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  std::uint32_t extra = 0;
  std::vector<std::uint8_t> payload;  // 1 to HVM_MAX_PACKET bytes
};
struct ChatFrame {
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  std::string text;  // at most HVM_MAX_CHAT characters, no zero inside
};
struct PingFrame {};
struct ByeFrame {};

using Frame = std::variant<HelloFrame, WelcomeFrame, RefuseFrame, JoinedFrame, LeftFrame, DataFrame, ChatFrame,
                           PingFrame, ByeFrame>;

// The whole frame, length prefix included. Fields longer than their wire width
// are cut; a Data payload or Chat text beyond its limit is the caller's fault
// and is cut as well.
std::vector<std::uint8_t> EncodeFrame(const Frame& frame);

enum class ParseStatus { NeedMore, Ok, Garbage, NotData };

// Looks at the start of `in`: NeedMore while the frame is incomplete, Garbage
// when its length or body cannot be a valid frame, Ok with the frame and the
// number of bytes it took.
ParseStatus ParseFrame(std::span<const std::uint8_t> in, Frame& out, std::size_t& consumed);

// A Data frame read in place, for the path every game packet takes: no copy
// and no allocation.
struct DataView {
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  std::uint32_t extra = 0;
  std::span<const std::uint8_t> payload;  // inside the bytes parsed
};
// As ParseFrame for a Data frame; NotData (nothing taken) for a whole frame of
// another kind, which ParseFrame then reads.
ParseStatus ParseDataFrame(std::span<const std::uint8_t> in, DataView& out, std::size_t& consumed);
// Appends a whole Data frame to `out`; `payload` is 1 to HVM_MAX_PACKET bytes.
void AppendDataFrame(std::vector<std::uint8_t>& out, const DataView& frame);

// Session enumeration datagrams.
struct EnumQuery {
  std::string guid;
  std::uint32_t version = 0;
};
struct EnumAnswer {
  std::uint16_t tcpPort = 0;
  HvMSession_Struct session;
};
std::vector<std::uint8_t> EncodeEnumQuery(const EnumQuery& q);
std::vector<std::uint8_t> EncodeEnumAnswer(const EnumAnswer& a);
std::optional<EnumQuery> ParseEnumQuery(std::span<const std::uint8_t> datagram);
std::optional<EnumAnswer> ParseEnumAnswer(std::span<const std::uint8_t> datagram);

}  // namespace hvm
