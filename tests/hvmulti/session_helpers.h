#pragma once
// Shared steps of the session tests: hosting and joining on loopback, and
// taking received messages with a time limit.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "hvmulti/HvMulti.h"
#include "platform/core/bytes.h"

namespace hvmtest {

constexpr const char* kGuid = "5f1d7a00-test-guid";

struct Received {
  int result = 0;
  std::uint32_t from = 0, to = 0;
  std::vector<std::uint8_t> data;
  // A library notice's code and player; 0 when the message is too short.
  std::int32_t NoticeCode() const { return Notice().code; }
  std::uint32_t NoticeId() const { return Notice().playerId; }
  HvMNotice Notice() const {
    HvMNotice n;
    HvMNotice::Read(data, n);
    return n;
  }
};

inline HvMPlayer_Struct Player(const char* name) {
  HvMPlayer_Struct p;
  std::strncpy(p.shortName, name, sizeof p.shortName - 1);
  std::strncpy(p.longName, name, sizeof p.longName - 1);
  return p;
}

inline HvMServiceEx_Struct Address(const std::string& text) {
  HvMServiceEx_Struct s;
  s.SetText(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth, text);
  return s;
}

// Polls `done` for at most `ms` real milliseconds.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Takes everything waiting.
inline void Drain(CHvMulti& m, std::vector<Received>& into) {
  while (m.CheckMessages() > 0) {
    Received r;
    r.data.resize(HVM_MAX_PACKET);
    std::uint32_t length = HVM_MAX_PACKET, extra = 0;
    r.result = m.GetTop(r.data.data(), &length, &r.from, &r.to, &extra);
    r.data.resize(r.result >= 0 ? length : 0);
    into.push_back(std::move(r));
  }
}

// Takes messages until `count` of them satisfy `match`, or the time runs out.
inline bool Collect(CHvMulti& m, std::vector<Received>& into, const std::function<bool(const Received&)>& match,
                    std::size_t count, int ms = 10000) {
  return WaitUntil(
      [&] {
        Drain(m, into);
        std::size_t n = 0;
        for (const auto& r : into) n += match(r) ? 1 : 0;
        return n >= count;
      },
      ms);
}

inline bool IsNotice(const Received& r, std::int32_t code, std::uint32_t id) {
  return r.result == HVM_MSG_SYSTEM && r.NoticeCode() == code && r.NoticeId() == id;
}

// This application's session: "Test game", room for 40.
inline HvMSession_Struct Session(const char* password = "") {
  HvMSession_Struct s;
  s.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, "Test game");
  s.SetText(HvMSession_Struct::kDescription, HvMSession_Struct::kDescriptionWidth, "n_60_8_40_2");
  s.SetText(HvMSession_Struct::kPassword, HvMSession_Struct::kPasswordWidth, password);
  s.SetU32(HvMSession_Struct::kMaxPlayers, 40);
  return s;
}

// TCP/IP on a free loopback port; false when the service did not start.
inline bool OnLoopback(CHvMulti& m) {
  const auto at = Address("127.0.0.1:0");
  return m.InitServiceEx(HVM_SERVICEID_TCPIP, kGuid, &at) == 0;
}

// Hosts a peer-to-peer session on a free loopback port.
inline int Host(CHvMulti& m, HvMPlayer_Struct& p, const char* password = "") {
  HvMSession_Struct s = Session(password);
  return OnLoopback(m) ? m.CreateAndJoin(&s, &p) : -1;
}

// The identifier of the one session found at the port, or 0 (after `waitMs`).
inline std::uint32_t FindSession(CHvMulti& m, std::uint16_t port, const char* guid = kGuid,
                                 std::uint32_t waitMs = 3000) {
  const auto at = Address("127.0.0.1:" + std::to_string(port));
  if (m.InitServiceEx(HVM_SERVICEID_TCPIP, guid, &at) != 0) return 0;
  std::vector<HvMSession_Struct> found;
  m.EnumSessions(
      [](const HvMSession_Struct* s, void* ctx) {
        static_cast<std::vector<HvMSession_Struct>*>(ctx)->push_back(*s);
        return 0;
      },
      &found, waitMs);
  return found.size() == 1 ? found[0].U32(HvMSession_Struct::kSessionId) : 0;
}

inline int Join(CHvMulti& m, HvMPlayer_Struct& p, std::uint16_t port, const char* password = "") {
  const std::uint32_t id = FindSession(m, port);
  return id ? m.OpenAndJoin(id, password, &p) : HVM_ERR_NOSESSION;
}

// A packet whose bytes tell who sent it and its number, `size` bytes long.
inline std::vector<std::uint8_t> Numbered(std::uint8_t sender, std::uint8_t number, std::size_t size) {
  std::vector<std::uint8_t> p(size, static_cast<std::uint8_t>(sender ^ number));
  p[0] = sender;
  if (size > 1) p[1] = number;
  return p;
}

}  // namespace hvmtest
