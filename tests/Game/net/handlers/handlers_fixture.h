#pragma once
// The handlers' tests: a game-data root over the root tests' installation,
// packets built field by field, and a record of what the handlers posted.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Game/net/NetDispatcher.h"
#include "Game/net/ReplayFile.h"
#include "platform/core/bytes.h"
#include "tests/Game/model/root/root_fixture.h"
#include "tests/support/recording_shell.h"

namespace handlers_test {

struct Packet {
  Packet(std::uint16_t type, std::size_t size) : bytes(size, 0) { Put<std::uint16_t>(0, type); }
  template <class T>
  Packet& Put(std::size_t offset, T v) {
    plat::ByteWriter(bytes).WriteAt<T>(offset, v);
    return *this;
  }
  Packet& Text(std::size_t offset, const char* text) {
    std::memcpy(bytes.data() + offset, text, std::strlen(text));
    return *this;
  }
  std::vector<std::uint8_t> bytes;
};

using quentest::Posted;

class HandlerGame : public root_test::RootGame {
 protected:
  HandlerGame() { g_replayWriter.Reset(); }

  bool Apply(const Packet& p) { return HandlePacket(nullptr, p.bytes, 0); }
  // The packet cut one byte short of its fields must be refused whole.
  bool ApplyShort(const Packet& p, std::size_t length) {
    return HandlePacket(nullptr, std::span(p.bytes).first(length), 0);
  }

  quentest::RecordingShell shell;
  std::vector<Posted>& posted = shell.posted;
};

}  // namespace handlers_test
