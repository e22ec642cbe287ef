#pragma once
// A stand-in for the multiplayer library: messages to hand out are scripted,
// and every call the session makes is recorded.

#include <deque>
#include <string>
#include <vector>

#include "hvmulti/HvMulti.h"

namespace nettest {

struct Sent {
  std::uint32_t from = 0, to = 0;
  std::vector<std::uint8_t> bytes;
};

class FakeMulti : public CHvMulti {
 public:
  struct Message {
    int result = 0;
    std::vector<std::uint8_t> data;
    std::uint32_t from = 0;
  };

  // A packet with the given sequence number (type 1000 + sequence) of `size` bytes.
  void AddPacket(std::uint32_t sequence, std::size_t size = 16, std::uint32_t from = 7) {
    std::vector<std::uint8_t> p(size, 0);
    const std::uint32_t type = 1000 + sequence;
    if (size >= 2) {
      p[0] = static_cast<std::uint8_t>(type);
      p[1] = static_cast<std::uint8_t>(type >> 8);
    }
    for (int i = 0; i < 4 && 4 + i < static_cast<int>(size); ++i) p[4 + i] = static_cast<std::uint8_t>(sequence >> (8 * i));
    inbox.push_back(Message{HVM_MSG_PACKET, p, from});
  }
  void AddNotice(std::int32_t code, std::uint32_t id) {
    std::vector<std::uint8_t> d;
    for (int i = 0; i < 4; ++i) d.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(code) >> (8 * i)));
    for (int i = 0; i < 4; ++i) d.push_back(static_cast<std::uint8_t>(id >> (8 * i)));
    inbox.push_back(Message{HVM_MSG_SYSTEM, d, 0});
  }

  int CheckMessages() override {
    ++checks;
    return static_cast<int>(inbox.size());
  }
  int GetTop(std::uint8_t* buffer, std::uint32_t* length, std::uint32_t* from, std::uint32_t*,
             std::uint32_t*) override {
    if (inbox.empty()) return HVM_ERR_NOMESSAGE;
    Message m = inbox.front();
    inbox.pop_front();
    if (m.data.size() > *length) return HVM_ERR_BUFFERSMALL;
    std::copy(m.data.begin(), m.data.end(), buffer);
    *length = static_cast<std::uint32_t>(m.data.size());
    if (from) *from = m.from;
    return m.result;
  }
  int Send(std::uint32_t from, std::uint32_t to, const void* data, std::uint32_t length, std::uint8_t,
           int) override {
    const auto* b = static_cast<const std::uint8_t*>(data);
    sent.push_back(Sent{from, to, std::vector<std::uint8_t>(b, b + length)});
    if (sendResults.empty()) return 0;
    const int r = sendResults.front();
    sendResults.pop_front();
    return r;
  }
  int Flush() override {
    ++flushes;
    return 0;
  }
  int ReceiveThread() override { return 0; }
  int EnumServices(HvMServiceCallback callback, void* context, std::uint32_t) override {
    for (const auto& s : services) callback(&s, context, 0);
    return 0;
  }
  int InitAutoLaunch(const char* text, const char*, int version) override {
    launchTexts.push_back(text ? text : "(null)");
    launchVersion = version;
    return launchResult;
  }
  int CreateAndJoin(const HvMSession_Struct* session, HvMPlayer_Struct*) override {
    created.push_back(*session);
    return createResult;
  }
  int CreateAndJoinCS(const HvMSession_Struct* session, HvMPlayer_Struct*, const char* program,
                      const char* commandLine, std::uint32_t, const void*) override {
    created.push_back(*session);
    programs.push_back(program);
    commandLines.push_back(commandLine ? commandLine : "(null)");
    return createResult;
  }
  int OpenAndJoin(std::uint32_t session, const char* password, HvMPlayer_Struct* player) override {
    joined.push_back(session);
    passwords.push_back(password);
    player->id = 77;
    return 0;
  }
  int StopJoin() override {
    ++stopJoins;
    return 0;
  }
  std::vector<HvMPlayerInfo> GetPlayers() override { return players; }

  std::deque<Message> inbox;
  std::vector<Sent> sent;
  std::deque<int> sendResults;
  std::vector<HvMService_Struct> services;
  std::vector<HvMPlayerInfo> players;
  std::vector<std::string> launchTexts, programs, commandLines, passwords;
  std::vector<HvMSession_Struct> created;
  std::vector<std::uint32_t> joined;
  int launchResult = HVM_LAUNCH_HOST;
  int launchVersion = 0;
  int createResult = HVM_CREATED;
  int checks = 0, flushes = 0, stopJoins = 0;
};

}  // namespace nettest
