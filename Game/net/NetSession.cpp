#include "Game/net/NetSession.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "Game/base/PacketSink.h"
#include "Game/base/Packets.h"
#include "Game/base/TraceError.h"
#include "Game/model/GLocalChapter.h"
#include "Game/net/PacketQueue.h"
#include "Game/net/PacketSniffer.h"
#include "hvmulti/HvChatManager.h"
#include "hvmulti/HvMulti.h"
#include "hvmulti/HvPlayerList.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/core/dospath.h"

namespace {

constexpr std::size_t kJoinNameSize = 260;
// Every player but the server program.
constexpr std::uint32_t kMaxSessionPlayers = HVM_MAX_PLAYERS - 1;
constexpr std::uint16_t kSendsPerPump = 20;
constexpr plat::DWORD kBusyRetryMs = 100;
constexpr const char* kServerProgram = "QuenSrvr.exe";
constexpr const char* kLostContactText = "We've lost contact with the server. You will have to try and reconnect.";

}  // namespace

CNetSession::CNetSession() : CNetSession(std::make_unique<CHvMulti>()) {}

CNetSession::CNetSession(std::unique_ptr<CHvMulti> library) {
  joinName = std::make_unique<char[]>(kJoinNameSize);
  if (g_instData.GetPacketSniffer() != 0) sniffer = std::make_unique<CPacketSniffer>();
  multi = std::move(library);
  players = std::make_unique<CHvPlayerList>(HVM_ID_SESSION, nullptr);
  chat = std::make_unique<CHvChatManager>(multi.get());
  multi->HeartBeatControl(0);
}

CNetSession::~CNetSession() {
  multi.reset();
  queue.reset();
  chat.reset();
  players.reset();
  sessionDesc.reset();
  sniffer.reset();
}

void CNetSession::EnsureQueue() {
  if (!queue) queue = std::make_unique<CPacketQueue>(multi.get(), 5);
}

int CNetSession::StartReceiving() {
  EnsureQueue();
  return multi->ReceiveThread();
}

void CNetSession::EnumServices(ConnectionInfo& info) {
  std::memset(info.serviceIds, 0, sizeof info.serviceIds);
  // Cleared once per enumeration rather than per reported service, so the
  // online service's flags survive whatever order the library reports in.
  info.onlineFlags = 0;
  multi->EnumServices(&CNetSession::ServiceCallback, &info, 0);
}

int CNetSession::ServiceCallback(const HvMService_Struct* service, void* table, std::uint32_t) {
  auto& info = *static_cast<ConnectionInfo*>(table);
  const std::uint32_t id = service->U32(HvMService_Struct::kId);
  switch (service->U8(HvMService_Struct::kType)) {
    case HVM_SERVICE_ONLINE:
      info.serviceIds[CONNECT_ONLINE] = id;
      info.onlineFlags = service->U8(HvMService_Struct::kFlags);
      break;
    case HVM_SERVICE_TCPIP:
      info.serviceIds[CONNECT_TCPIP] = id;
      break;
    case HVM_SERVICE_IPX:
      info.serviceIds[CONNECT_IPX] = id;
      break;
    case HVM_SERVICE_MODEM:
      info.serviceIds[CONNECT_MODEM] = id;
      break;
    case HVM_SERVICE_SERIAL:
      info.serviceIds[CONNECT_SERIAL] = id;
      break;
    default:
      break;
  }
  return 0;
}

int CNetSession::InitAutoLaunch(const char* launchText) {
  opened = 1;
  if (!launchText) return 0;
  return multi->InitAutoLaunch(launchText, kApplicationGuid, kApplicationVersion);
}

int CNetSession::AutoLaunchConnect(const char* launchText) {
  BeginSession();
  opened = 1;
  const bool given = launchText && *launchText;
  const int launch =
      multi->InitAutoLaunch(given ? launchText : HVM_LOCAL_SERVICE_NAME, kApplicationGuid, kApplicationVersion);
  int result = launch;
  if (launch == HVM_LAUNCH_JOIN) {
    result = multi->OpenAndJoin(0, "", &player);
  } else if (launch == HVM_LAUNCH_HOST) {
    auto record = std::make_unique<HvMSession_Struct>();
    record->SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, "Single");
    record->SetU32(HvMSession_Struct::kMaxPlayers, kMaxSessionPlayers);
    const std::string program = std::string(g_instData.GetInstallPath()) + kServerProgram;
    const int created =
        multi->CreateAndJoinCS(record.get(), &player, program.c_str(), given ? launchText : "", 0, nullptr);
    if (created != 1 && created != 2) {
      char text[32];
      std::snprintf(text, sizeof text, "Error %d", created);
      ClientShell().ShowSystemBox(text, "AutoConnectToMe");
      ClientShell().ShowPlainBox(text);
    }
    record.reset();
    result = multi->StopJoin();
  }
  StartReceiving();
  return result;
}

int CNetSession::InitService(const ConnectionInfo& info, HvMServiceEx_Struct* settings) {
  if ((info.onlineFlags & kOnlineNeedsLogin) && settings) ClientShell().RunLogin(*settings);
  const std::uint32_t service = info.connectionKind < kConnectionKinds ? info.serviceIds[info.connectionKind] : 0;
  return multi->InitServiceEx(service, kApplicationGuid, settings);
}

int CNetSession::OpenAndJoin(const ConnectionInfo& info) {
  BeginSession();
  joinState = 0;
  plat::FixedText::Set(player.longName, plat::FixedText::Of(info.playerName));
  plat::FixedText::Set(player.shortName, plat::FixedText::Of(info.nickname));
  const std::string password = plat::FixedText::Of(info.password);
  const int result = multi->OpenAndJoin(info.sessionId, password.c_str(), &player);
  StartReceiving();
  return result;
}

void CNetSession::FillSessionRecord(HvMSession_Struct& record, const ConnectionInfo& info) const {
  record = HvMSession_Struct{};
  record.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, plat::FixedText::Of(info.sessionName));
  record.SetText(HvMSession_Struct::kDescription, HvMSession_Struct::kDescriptionWidth,
                 plat::FixedText::Of(info.description));
  const std::string password = plat::FixedText::Of(info.password);
  record.SetText(HvMSession_Struct::kPassword, HvMSession_Struct::kPasswordWidth, password == "0" ? "" : password);
  record.SetU32(HvMSession_Struct::kMaxPlayers, kMaxSessionPlayers);
}

void CNetSession::PrepareCreate(const ConnectionInfo& info) {
  BeginSession();
  opened = 1;
  joinState = 0;
  sessionDesc = std::make_unique<HvMSession_Struct>();
  FillSessionRecord(*sessionDesc, info);
  plat::FixedText::Set(player.longName, plat::FixedText::Of(info.playerName));
  plat::FixedText::Set(player.shortName, plat::FixedText::Of(info.nickname));
}

int CNetSession::CreateAndJoinCS(const ConnectionInfo& info, HvMServiceEx_Struct* settings) {
  PrepareCreate(info);
  const std::string previous = plat::GetCurrentDosDirectory();
  plat::SetCurrentDosDirectory(g_instData.GetInstallPath());
  const int result = multi->CreateAndJoinCS(sessionDesc.get(), &player, kServerProgram, "", info.serviceType, settings);
  plat::SetCurrentDosDirectory(previous);

  sessionDesc.reset();
  StartReceiving();
  return result;
}

int CNetSession::CreateAndJoin(const ConnectionInfo& info) {
  PrepareCreate(info);
  const int result = multi->CreateAndJoin(sessionDesc.get(), &player);
  sessionDesc.reset();
  StartReceiving();
  return result;
}

bool CNetSession::StoreOwnId(int slot) { return StorePlayerId(slot, player.id); }

bool CNetSession::StorePlayerId(int slot, std::uint32_t id) {
  if (slot < 0 || slot >= kPlayerSlots) {
    TraceError("player slot outside the table", __FILE__, __LINE__);
    return false;
  }
  playerIds[slot] = id;
  return true;
}

IContactClock& RealContactClock() {
  struct RealClock : IContactClock {
    plat::DWORD Now() override { return plat::RealTickCount(); }
    void Pause(plat::DWORD ms) override { plat::SleepInRealTime(ms); }
  };
  static RealClock clock;
  return clock;
}

IContactClock& ProgramContactClock() {
  struct ProgramClock : IContactClock {
    plat::DWORD Now() override { return plat::timeGetTime(); }
    void Pause(plat::DWORD ms) override { plat::Sleep(ms); }
  };
  static ProgramClock clock;
  return clock;
}

int CNetSession::Receive(std::uint8_t** data) {
  EnsureQueue();
  const plat::DWORD start = contactClock->Now();
  for (;;) {
    Pump(200);
    std::uint8_t* bytes = nullptr;
    std::uint32_t length = 0;
    const int result = queue->GetNext(&bytes, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == HVM_MSG_PACKET) {
      if (data) *data = bytes;
      return 0;
    }
    HvMNotice notice;
    if (result == HVM_MSG_SYSTEM && HvMNotice::Read({bytes, length}, notice) && notice.code == HVM_NOTICE_LEFT) {
      // With nobody else left nothing can answer any more.
      bool others = false;
      for (const auto& p : multi->GetPlayers()) others = others || p.id != player.id;
      if (!others) return HVM_ERR_CONNECTIONLOST;
    }
    // A packet of the sequence that never comes holds back every later one.
    if (queue->Overflowed()) return HVM_ERR_CONNECTIONLOST;  // reported by the pump
    if (contactClock->Now() - start >= receiveLimitMs) {
      ReportLostConnection();
      return HVM_ERR_CONNECTIONLOST;
    }
    if (result == kQueueEmpty) contactClock->Pause(1);
  }
}

bool CNetSession::Send(int slot, void* packet, std::uint32_t length) {
  if (slot == kAllPlayersSlot) return SendPacket(HVM_ID_ALLPLAYERS, packet, length, slot, slot, 0, 1);
  if (slot < 0 || slot >= kPlayerSlots) {
    TraceError("player slot outside the table", __FILE__, __LINE__);
    return false;
  }
  return SendPacket(playerIds[slot], packet, length, slot, slot, 0, 1);
}

bool CNetSession::BroadcastUnsequenced(int slot, void* packet, std::uint32_t length) {
  if (slot != kAllPlayersSlot) return false;
  return SendPacket(HVM_ID_ALLPLAYERS, packet, length, slot, slot, 1, 1);
}

bool CNetSession::SendPacket(std::uint32_t to, void* packet, std::uint32_t length, int snifferSlot, int fileSlot,
                             int unsequenced, int guaranteed) {
  if (!packet) return false;
  const std::span<std::uint8_t> bytes(static_cast<std::uint8_t*>(packet), length);
  const bool sequenced = !unsequenced && !emailMode;
  EnsureQueue();  // the counters live in the queue, which a file-only game never started
  const std::uint32_t server = multi->GetServerId();
  const bool relayed = server != HVM_ID_NONE && server != player.id;
  if (emailMode || fileSendMode) {
    // The turn file goes to the server program as a whole: one sequence.
    WritePacketSequence(bytes, sequenced ? queue->NextSequence(relayed ? server : HVM_ID_NONE) : 0);
    PacketSink().WriteEmailPacket(bytes, fileSlot);
  } else if (to != HVM_ID_NONE) {
    // (A packet that goes nowhere takes no sequence number: a number spent on
    // it would leave a gap that the receiver waits on for ever.)
    if (sequenced && to == HVM_ID_ALLPLAYERS && !relayed) {
      for (const auto& p : multi->GetPlayers()) {
        if (p.id != player.id && !SendOne(p.id, bytes, true, p.id, snifferSlot, guaranteed)) return false;
      }
    } else if (!SendOne(to, bytes, sequenced, relayed ? server : to, snifferSlot, guaranteed)) {
      return false;
    }
  }
  if (sendCount >= kSendsPerPump) {
    Pump(500);
    sendCount = 0;
  }
  return true;
}

bool CNetSession::SendOne(std::uint32_t to, std::span<std::uint8_t> packet, bool sequenced, std::uint32_t counter,
                          int snifferSlot, int guaranteed) {
  WritePacketSequence(packet, sequenced ? queue->NextSequence(counter) : 0);
  if (sniffer) sniffer->LogSent(packet.data(), static_cast<std::uint32_t>(packet.size()), snifferSlot);
  const auto length = static_cast<std::uint32_t>(packet.size());
  const plat::DWORD start = contactClock->Now();
  int result = multi->Send(player.id, to, packet.data(), length, 1, guaranteed);
  // The library itself gives a busy peer up only after half a minute; a send
  // still busy at our own limit is a lost connection like any other failure.
  while (result == HVM_ERR_BUSY && contactClock->Now() - start < kSendBusyLimitMs) {
    result = multi->Send(player.id, to, packet.data(), length, 1, guaranteed);
    contactClock->Pause(kBusyRetryMs);
  }
  if (result != 0) {
    ReportLostConnection();
    return false;
  }
  multi->Flush();
  ++sendCount;
  return true;
}

void CNetSession::BeginSession() {
  lostReported_ = false;
  gameEnded_ = false;
  serverId_ = HVM_ID_NONE;
}

void CNetSession::ReportLostConnection() {
  if (lostReported_ || gameEnded_) return;
  lostReported_ = true;
  if (GameExists()) {
    ClientShell().ShowTextBox("COMM_ERR", nullptr);
    ClientShell().PostQuit(0);
  } else {
    ClientShell().ShowPlainBox(kLostContactText);
  }
}

void CNetSession::NoteLeft(std::uint32_t id) {
  if (id == HVM_ID_NONE) return;
  if (id == serverId_ || id == player.id) ReportLostConnection();
}

void CNetSession::AgreeLoad(std::uint32_t identifier) {
  loadAgreed_ = true;
  agreedLoadId_ = identifier;
}

bool CNetSession::KeepAgreedLoad(std::span<const std::uint8_t> packet) {
  constexpr std::size_t kIdentifierAt = 264;
  std::uint32_t identifier = 0;
  if (!loadAgreed_ || !plat::ByteReader(packet).ReadAt(kIdentifierAt, identifier) || identifier != agreedLoadId_)
    return false;
  loadAgreed_ = false;
  keptLoad_.assign(packet.begin(), packet.end());
  return true;
}

std::vector<std::uint8_t> CNetSession::TakeKeptLoad() { return std::exchange(keptLoad_, {}); }

void CNetSession::Pump(std::uint32_t) {
  if (!queue) return;
  if (const std::uint32_t server = multi->GetServerId(); server != HVM_ID_NONE) serverId_ = server;
  queue->Fill();
  if (queue->Overflowed()) ReportLostConnection();
}

void CNetSession::BroadcastEndGame() {
  std::uint8_t packet[kPacketHeaderSize] = {};
  WritePacketHeader(packet, PacketHeader{PKT_END_GAME, 0, 0});
  BroadcastUnsequenced(kAllPlayersSlot, packet, sizeof packet);
}
