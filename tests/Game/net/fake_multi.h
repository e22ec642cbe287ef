#pragma once
// A stand-in for the multiplayer library: messages to hand out are scripted,
// and every call the session makes is recorded.

#include <deque>
#include <string>
#include <vector>

#include "hvmulti/HvMulti.h"
#include "platform/core/bytes.h"

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

  // A packet with the given sequence number (type 1000 + sequence) of `size`
  // bytes; header fields that do not fit are left out.
  void AddPacket(std::uint32_t sequence, std::size_t size = 16, std::uint32_t from = 7) {
    std::vector<std::uint8_t> p(size, 0);
    plat::ByteWriter w(p);
    w.U16(static_cast<std::uint16_t>(1000 + sequence));
    w.Zeros(2);
    w.U32(sequence);
    inbox.push_back(Message{HVM_MSG_PACKET, p, from});
  }
  void AddNotice(std::int32_t code, std::uint32_t id) {
    inbox.push_back(Message{HVM_MSG_SYSTEM, HvMNotice{code, id}.Bytes(), 0});
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
  int Send(std::uint32_t from, std::uint32_t to, const void* data, std::uint32_t length, std::uint8_t, int) override {
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
  int CreateAndJoinCS(const HvMSession_Struct* session, HvMPlayer_Struct*, const char* program, const char* commandLine,
                      std::uint32_t, const void*) override {
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
  std::uint32_t GetServerId() override { return serverId; }

  std::deque<Message> inbox;
  std::vector<Sent> sent;
  std::deque<int> sendResults;
  std::vector<HvMService_Struct> services;
  std::vector<HvMPlayerInfo> players;
  std::vector<std::string> launchTexts, programs, commandLines, passwords;
  std::vector<HvMSession_Struct> created;
  std::vector<std::uint32_t> joined;
  std::uint32_t serverId = 0;  // peer-to-peer unless a test says otherwise
  int launchResult = HVM_LAUNCH_HOST;
  int launchVersion = 0;
  int createResult = HVM_CREATED;
  int checks = 0, flushes = 0, stopJoins = 0;
};

}  // namespace nettest
