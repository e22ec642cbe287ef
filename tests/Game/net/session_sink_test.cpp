// The game's sends through the session sink: they reach the session the game
// is attached to, and go nowhere (false) before it is attached or after it
// is let go, so a packet is never written to a session that has gone.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetSession.h"
#include "Game/net/SessionSink.h"
#include "tests/support/recording_sink.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A session in file-send mode: what it writes to the e-mail turn file.
struct FileSession {
  FileSession() { session->fileSendMode = 1; }
  quentest::RecordingSink file;
  std::vector<Bytes>& written = file.emailed;
  std::unique_ptr<CNetSession> session = std::make_unique<CNetSession>();
};

Bytes Packet(std::uint16_t type) {
  Bytes p(kPacketHeaderSize + 2, 0);
  WritePacketHeader(p, PacketHeader{type, 0, 0});
  p[kPacketHeaderSize] = 0x5A;
  return p;
}

std::uint16_t Type(const Bytes& p) { return static_cast<std::uint16_t>(p.at(0) | p.at(1) << 8); }

TEST(SessionSink, SendsReachOnlyTheAttachedSession) {
  FileSession file;
  CSessionSink sink;
  Bytes before = Packet(301);
  EXPECT_FALSE(sink.Send(-1, before));
  EXPECT_FALSE(sink.BroadcastUnsequenced(-1, before));
  EXPECT_EQ(AttachedSession(), nullptr);

  AttachSessionLinks(file.session.get());
  EXPECT_EQ(AttachedSession(), file.session.get());
  Bytes sequenced = Packet(301);
  Bytes unsequenced = Packet(125);
  EXPECT_TRUE(sink.Send(-1, sequenced));
  EXPECT_TRUE(sink.BroadcastUnsequenced(-1, unsequenced));
  ASSERT_EQ(file.written.size(), 2u);
  EXPECT_EQ(Type(file.written[0]), 301);
  EXPECT_EQ(Type(file.written[1]), 125);
  EXPECT_EQ(file.written[0].at(kPacketHeaderSize), 0x5A);  // the body as given

  AttachSessionLinks(nullptr);
  Bytes after = Packet(301);
  EXPECT_FALSE(sink.Send(-1, after));
  EXPECT_FALSE(sink.BroadcastUnsequenced(-1, after));
  EXPECT_EQ(file.written.size(), 2u);
}

}  // namespace
