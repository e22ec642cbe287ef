#include "hvmulti/HvMulti.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <span>

#include "hvmulti/Engine.h"
#include "hvmulti/Wire.h"
#include "platform/core/clock.h"

namespace {

constexpr int kJoinTimeoutMs = 10000;
constexpr int kServerJoinTimeoutMs = 20000;
// How often the wait for the server program looks whether it has ended.
constexpr int kServerJoinSliceMs = 100;
constexpr std::uint32_t kDefaultEnumWaitMs = 1000;

struct ServiceEntry {
  std::uint32_t id;
  std::uint8_t type;
  const char* name;
};
constexpr ServiceEntry kServices[] = {
    {HVM_SERVICEID_TCPIP, HVM_SERVICE_TCPIP, "TCP/IP"},
    {HVM_SERVICEID_IPX, HVM_SERVICE_IPX, "IPX"},
    {HVM_SERVICEID_MODEM, HVM_SERVICE_MODEM, "Modem"},
    {HVM_SERVICEID_SERIAL, HVM_SERVICE_SERIAL, "Serial link"},
};

std::string RandomToken() {
  std::random_device rd;
  char text[17] = {};
  std::snprintf(text, sizeof text, "%08x%08x", rd(), rd());
  return text;
}

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

CHvMulti::CHvMulti() : engine_(std::make_unique<hvm::Engine>()) {}

CHvMulti::~CHvMulti() {
  engine_->Close();
  EndServer();
}

int CHvMulti::Fail(int code, std::string text) {
  lastError_ = std::move(text);
  std::fprintf(stderr, "hvmulti: %s\n", lastError_.c_str());
  return code;
}

int CHvMulti::HeartBeatControl(std::uint32_t on) {
  engine_->SetHeartbeat(on != 0);
  return 0;
}

int CHvMulti::EnumServices(HvMServiceCallback callback, void* context, std::uint32_t) {
  if (!callback) return HVM_ERR_BADPARAM;
  for (const auto& s : kServices) {
    HvMService_Struct record;
    record.SetText(HvMService_Struct::kName, HvMService_Struct::kNameWidth, s.name);
    record.SetU32(HvMService_Struct::kId, s.id);
    record.SetU8(HvMService_Struct::kType, s.type);
    record.SetU16(HvMService_Struct::kFlags, 0);
    if (callback(&record, context, 0) != 0) break;
  }
  return 0;
}

int CHvMulti::InitServiceEx(std::uint32_t service, const char* guid, const HvMServiceEx_Struct* settings) {
  if (!guid || !*guid) return Fail(HVM_ERR_BADGUID, "no application GUID given");
  if (engine_->InSession()) return Fail(HVM_ERR_INSESSION, "a session is open; close it first");
  switch (service) {
    case HVM_SERVICEID_TCPIP:
      service_ = Service::TcpIp;
      address_ = settings ? settings->Text(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth) : "";
      guid_ = guid;
      found_.clear();
      return 0;
    case HVM_SERVICEID_IPX:
      return Fail(HVM_ERR_NOHARDWARE, "IPX networking is not available on this machine; use TCP/IP");
    case HVM_SERVICEID_MODEM:
      return Fail(HVM_ERR_NOHARDWARE, "no modem is available on this machine; use TCP/IP");
    case HVM_SERVICEID_SERIAL:
      return Fail(HVM_ERR_NOHARDWARE, "no serial link is available on this machine; use TCP/IP");
    default:
      return Fail(HVM_ERR_BADSERVICE, "unknown service " + std::to_string(service));
  }
}

int CHvMulti::InitAutoLaunch(const char* launchText, const char* guid, int version) {
  if (!guid || !*guid || version != HVM_PROTOCOL_VERSION)
    return Fail(HVM_ERR_BADGUID, "wrong application GUID or protocol version");
  if (engine_->InSession()) return Fail(HVM_ERR_INSESSION, "a session is open; close it first");
  if (!launchText || std::strcmp(launchText, HVM_LOCAL_SERVICE_NAME) != 0)
    return Fail(HVM_ERR_NOLOBBY,
                std::string("no lobby service answers the launch text \"") + (launchText ? launchText : "") + "\"");
  service_ = Service::Local;
  address_.clear();
  guid_ = guid;
  version_ = version;
  found_.clear();
  return HVM_LAUNCH_HOST;
}

int CHvMulti::EnumSessions(HvMSessionCallback callback, void* context, std::uint32_t timeoutMs) {
  if (!callback) return HVM_ERR_BADPARAM;
  if (service_ == Service::None) return Fail(HVM_ERR_NOSERVICE, "no service is open");
  found_.clear();
  if (service_ == Service::Local) return 0;  // a local game is never joined from a list

  const bool broadcast = address_.empty();
  hvm::Endpoint target{hvm::kBroadcast, HVM_DEFAULT_PORT};
  if (!broadcast) {
    const auto parsed = hvm::ParseEndpoint(address_, HVM_DEFAULT_PORT);
    if (!parsed) return Fail(HVM_ERR_CONNECT, "cannot resolve the address \"" + address_ + "\"");
    target = *parsed;
  }
  hvm::Fd udp = hvm::BindUdp(hvm::Endpoint{hvm::kAnyAddress, 0});
  if (!udp.Valid()) return Fail(HVM_ERR_CONNECT, "cannot open a socket for the session search");

  // Datagrams may be lost: the query goes out three times over the wait.
  const std::uint32_t wait = timeoutMs ? timeoutMs : kDefaultEnumWaitMs;
  const auto query = hvm::EncodeEnumQuery(hvm::EnumQuery{guid_, static_cast<std::uint32_t>(version_)});
  const std::int64_t start = NowMs();
  int sent = 0;
  std::vector<std::uint8_t> datagram;
  bool done = false;
  while (!done) {
    const std::int64_t elapsed = NowMs() - start;
    if (elapsed >= wait) break;
    if (sent < 3 && elapsed >= static_cast<std::int64_t>(wait) * sent / 3) {
      hvm::SendDatagram(udp, target, query);
      ++sent;
    }
    pollfd p{udp.Get(), POLLIN, 0};
    ::poll(&p, 1, 20);
    plat::RunIdleHook();
    hvm::Endpoint from;
    while (hvm::ReceiveDatagram(udp, datagram, from)) {
      const auto answer = hvm::ParseEnumAnswer(datagram);
      if (!answer) continue;
      const std::uint32_t id = answer->session.U32(HvMSession_Struct::kSessionId);
      const bool known = std::any_of(found_.begin(), found_.end(), [id](const FoundSession& f) { return f.id == id; });
      if (!known) found_.push_back(FoundSession{id, hvm::Endpoint{from.address, answer->tcpPort}, answer->session});
      if (!broadcast) done = true;
    }
  }
  for (const auto& f : found_)
    if (callback(&f.record, context) != 0) break;
  return 0;
}

int CHvMulti::OpenAndJoin(std::uint32_t session, const char* password, HvMPlayer_Struct* player) {
  if (!player) return HVM_ERR_BADPARAM;
  if (service_ == Service::None) return Fail(HVM_ERR_NOSERVICE, "no service is open");
  const auto it =
      std::find_if(found_.begin(), found_.end(), [session](const FoundSession& f) { return f.id == session; });
  if (it == found_.end()) return Fail(HVM_ERR_NOSESSION, "no session " + std::to_string(session) + " was found");
  hvm::HelloFrame hello{guid_,
                        static_cast<std::uint32_t>(version_),
                        password ? password : "",
                        plat::FixedText::Of(player->shortName),
                        plat::FixedText::Of(player->longName),
                        ""};
  std::uint32_t id = 0;
  const int result = engine_->Join(it->at, hello, kJoinTimeoutMs, id);
  if (result != 0) return Fail(result, "cannot join the session at " + hvm::FormatEndpoint(it->at));
  player->id = id;
  return 0;
}

bool CHvMulti::HostEndpoint(hvm::Endpoint& at) const {
  if (service_ == Service::Local) {
    at = hvm::Endpoint{hvm::kLoopback, 0};
    return true;
  }
  if (address_.empty()) {
    at = hvm::Endpoint{hvm::kAnyAddress, HVM_DEFAULT_PORT};
    return true;
  }
  const auto parsed = hvm::ParseEndpoint(address_, HVM_DEFAULT_PORT);
  if (!parsed) return false;
  // A host listens on every interface at the address's port; an address on the
  // loopback network keeps the session on this machine.
  const bool loopback = (parsed->address >> 24) == 127;
  at = hvm::Endpoint{loopback ? parsed->address : hvm::kAnyAddress, parsed->port};
  return true;
}

int CHvMulti::Create(const HvMSession_Struct* session, HvMPlayer_Struct* player, bool clientServer,
                     const std::string& token) {
  if (!session || !player) return HVM_ERR_BADPARAM;
  if (service_ == Service::None) return Fail(HVM_ERR_NOSERVICE, "no service is open");
  hvm::HostOptions options;
  if (!HostEndpoint(options.bindAt)) return Fail(HVM_ERR_CONNECT, "cannot resolve the address \"" + address_ + "\"");
  options.session = *session;
  options.clientServer = clientServer;
  options.serverToken = token;
  options.guid = guid_;
  options.version = static_cast<std::uint32_t>(version_);
  hvm::PlayerInfo local{0, 0, plat::FixedText::Of(player->shortName), plat::FixedText::Of(player->longName)};
  std::uint32_t id = 0;
  const int result = engine_->Host(options, local, id);
  if (result != 0) return Fail(result, "cannot host a session at " + hvm::FormatEndpoint(options.bindAt));
  player->id = id;
  return HVM_CREATED;
}

int CHvMulti::CreateAndJoin(const HvMSession_Struct* session, HvMPlayer_Struct* player) {
  return Create(session, player, false, "");
}

int CHvMulti::CreateAndJoinCS(const HvMSession_Struct* session, HvMPlayer_Struct* player, const char* program,
                              const char* commandLine, std::uint32_t, const void*) {
  if (!program || !*program) return HVM_ERR_BADPARAM;
  const std::string token = RandomToken();
  const int created = Create(session, player, true, token);
  if (created != HVM_CREATED) return created;

  const std::string where = "127.0.0.1:" + std::to_string(engine_->HostPort()) + ":" + token;
  if (!server_.Start(program, commandLine, where)) {
    engine_->Close();
    return Fail(HVM_ERR_SERVERSTART, std::string("cannot start the server program \"") + program + "\"");
  }
  // A program that ends before it joined fails the start at once rather than
  // after the whole wait.
  const std::int64_t deadline = NowMs() + kServerJoinTimeoutMs;
  while (!engine_->WaitForServer(kServerJoinSliceMs)) {
    const bool ended = server_.Ended();
    if (!ended && NowMs() < deadline) continue;
    engine_->Close();
    server_.End(0);  // a program that did not join in all that time is not waited for
    if (ended)
      return Fail(HVM_ERR_SERVERSTART, std::string("the server program \"") + program + "\" ended with code " +
                                           std::to_string(server_.ExitCode()) + " before it joined the session");
    return Fail(HVM_ERR_TIMEOUT, std::string("the server program \"") + program + "\" did not join the session");
  }
  return HVM_CREATED;
}

int CHvMulti::JoinAsServer(const char* guid, HvMPlayer_Struct* player) {
  if (!guid || !player) return HVM_ERR_BADPARAM;
  const char* where = std::getenv(hvm::kServerEnvironment);
  if (!where) return Fail(HVM_ERR_NOSESSION, "this program was not started by a session host");
  const std::string text(where);
  const auto colon = text.rfind(':');
  const auto at = colon == std::string::npos ? std::nullopt : hvm::ParseEndpoint(text.substr(0, colon), 0);
  if (!at) return Fail(HVM_ERR_NOSESSION, "the session host's address \"" + text + "\" is not usable");
  service_ = Service::Local;
  guid_ = guid;
  hvm::HelloFrame hello{guid_,
                        static_cast<std::uint32_t>(version_),
                        "",
                        plat::FixedText::Of(player->shortName),
                        plat::FixedText::Of(player->longName),
                        text.substr(colon + 1)};
  std::uint32_t id = 0;
  const int result = engine_->Join(*at, hello, kJoinTimeoutMs, id);
  if (result != 0) return Fail(result, "cannot join the session at " + hvm::FormatEndpoint(*at));
  player->id = id;
  return 0;
}

int CHvMulti::StopJoin() { return engine_->StopJoining(); }

int CHvMulti::CloseSession() {
  if (!engine_->InSession()) return HVM_ERR_NOSESSION;
  engine_->Close();
  EndServer();
  return 0;
}

int CHvMulti::CloseService() {
  CloseSession();
  service_ = Service::None;
  address_.clear();
  found_.clear();
  return 0;
}

void CHvMulti::EndServer() {
  // The server program ends when its session does: it is waited for here, on
  // the client's thread, so nothing outlives this object or the program's exit.
  if (!server_.Running()) return;
  if (!server_.End(serverGraceMs_)) Fail(0, "the server program did not end with its session and was stopped");
}

int CHvMulti::ReceiveThread() { return engine_->InSession() ? 0 : HVM_ERR_NOSESSION; }

int CHvMulti::CheckMessages() { return engine_->CheckMessages(); }

int CHvMulti::GetTop(std::uint8_t* buffer, std::uint32_t* length, std::uint32_t* from, std::uint32_t* to,
                     std::uint32_t* extra) {
  return engine_->GetTop(buffer, length, from, to, extra);
}

int CHvMulti::Send(std::uint32_t from, std::uint32_t to, const void* data, std::uint32_t length, std::uint8_t,
                   int guaranteed) {
  if (!data) return HVM_ERR_BADPARAM;
  const std::span bytes(static_cast<const std::uint8_t*>(data), length);
  return engine_->SendData(from, to, bytes, guaranteed ? 1 : 0);
}

int CHvMulti::Flush() {
  engine_->Flush();
  return 0;
}

int CHvMulti::SendSzChat(std::uint32_t from, std::uint32_t to, const char* text) {
  if (!text) return HVM_ERR_BADPARAM;
  return engine_->SendChat(from, to, text);
}

int CHvMulti::DeletePlayer(std::uint32_t id) {
  const int result = engine_->DeletePlayer(id);
  if (!engine_->InSession()) EndServer();
  return result;
}

std::vector<HvMPlayerInfo> CHvMulti::GetPlayers() {
  std::vector<HvMPlayerInfo> out;
  for (const auto& p : engine_->Players())
    out.push_back(HvMPlayerInfo{p.id, (p.flags & hvm::kPlayerServer) != 0, (p.flags & hvm::kPlayerHost) != 0,
                                p.shortName, p.longName});
  return out;
}

int CHvMulti::GetSessionDesc(HvMSession_Struct* session) {
  if (!session) return HVM_ERR_BADPARAM;
  if (!engine_->InSession()) return HVM_ERR_NOSESSION;
  *session = engine_->Session();
  return 0;
}

std::uint16_t CHvMulti::GetHostPort() { return engine_->HostPort(); }

std::uint32_t CHvMulti::GetServerId() { return engine_->ServerId(); }

void CHvMulti::SetTransportLimits(const hvm::TransportLimits& limits) { engine_->SetLimits(limits); }
