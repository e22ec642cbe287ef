#pragma once
// The handlers' tests: a game-data root over the root tests' installation,
// packets built field by field, and a record of what the handlers posted.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Game/net/NetDispatcher.h"
#include "Game/net/NetHandlerLinks.h"
#include "Game/net/ReplayFile.h"
#include "platform/core/bytes.h"
#include "tests/Game/model/root/root_fixture.h"

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

struct Posted {
  std::uint32_t msg;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  bool sent;
};

class HandlerGame : public root_test::RootGame {
 protected:
  HandlerGame() {
    g_netHandlerLinks = NetHandlerLinks{};
    g_netHandlerLinks.notify = [this](std::uint32_t m, std::uintptr_t w, std::intptr_t l, bool s) {
      posted.push_back({m, w, l, s});
    };
    g_replayWriter.Reset();
  }
  ~HandlerGame() override { g_netHandlerLinks = NetHandlerLinks{}; }

  bool Apply(const Packet& p) { return HandlePacket(nullptr, p.bytes, 0); }
  // The packet cut one byte short of its fields must be refused whole.
  bool ApplyShort(const Packet& p, std::size_t length) {
    return HandlePacket(nullptr, std::span(p.bytes).first(length), 0);
  }

  std::vector<Posted> posted;
};

}  // namespace handlers_test
