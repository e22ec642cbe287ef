#include "server/SrvEmail.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <vector>

#include "Game/model/GInstData.h"
#include "Game/net/Packets.h"
#include "Game/rules/GRulesPackets.h"
#include "platform/core/bytes.h"
#include "platform/core/dospath.h"
#include "server/SrvEmailInfo.h"
#include "server/SrvGame.h"

namespace {

constexpr std::uint32_t kFirstTurnHeader = 0xFFFFFFFE;
// A turn's orders are a few hundred packets of at most 1056 bytes.
constexpr std::size_t kMaxTurnFileBytes = 4u << 20;

// Keeps what each chapter's player would have been sent.
struct FileOutbox : SrvOutbox {
  std::map<std::uint32_t, std::vector<SrvPacket>> sent;
  void Send(std::uint32_t player, const SrvPacket& packet, bool) override { sent[player].push_back(packet); }
};

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const PacketImage<N>& p) {
  return {p.bytes.begin(), p.bytes.end()};
}

// `turn` is written after the first-turn header, or is the header itself.
bool WriteInputFile(const std::string& path, std::uint32_t turn, bool first,
                    const std::vector<SrvPacket>& packets) {
  plat::ByteWriter w;
  if (first) w.Write(kFirstTurnHeader);
  w.Write(turn);
  for (const SrvPacket& p : packets) {
    w.Write(static_cast<std::uint32_t>(p.size()));
    w.WriteBytes(p);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto bytes = w.Data();
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace

// Applies chapter `chapter`'s client turn file when it is of the running
// turn: its records in order, then its end of turn. False when it is absent,
// of another turn or malformed (what came before a bad record stays applied,
// as the client sent it).
bool ApplyClientTurnFile(SrvGame& game, const std::string& path, std::uint16_t chapter, SrvLog& log) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<std::uint8_t> bytes;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    if (bytes.size() > kMaxTurnFileBytes) return false;
  }
  plat::ByteReader r(bytes);
  std::uint32_t turn = 0;
  if (!r.Read(turn) || turn != game.World().turn) {
    log.Line("%s: not a turn file of turn %u", path.c_str(), game.World().turn);
    return false;
  }
  const std::uint32_t player = chapter + 1u;
  std::uint32_t length = 0;
  while (r.Read(length)) {
    if (length > kMaxPacketSize || length > r.Remaining()) {
      log.Line("%s: a record of %u bytes", path.c_str(), length);
      return false;
    }
    std::vector<std::uint8_t> packet(length);
    r.ReadBytes(packet);
    game.Receive(player, packet);
  }
  PacketImage<16> end(PKT_END_TURN);
  end.Put<std::uint32_t>(8, turn);
  game.Receive(player, Bytes(end));
  return true;
}

std::string EmailFolder() {
  CInstData inst;
  const char* email = inst.GetEmailPath();
  if (email != nullptr && *email != '\0') {
    if (const auto dir = plat::ResolveDosPath(email)) return dir->string() + "/";
  }
  return "";
}

bool CreateEmailGame(const std::string& folder, const std::string& name, std::uint32_t seed, SrvLog& log) {
  FileOutbox out;
  SrvGame game(out, log, nullptr, seed, folder);
  if (!game.LoadRules()) log.Line("the rules files could not be read: no designs, no units");
  // The e-mail screen leaves the player's set-up behind; without it the
  // front end's start values hold.
  SrvSetup setup;
  if (const int taken = SrvTakeEmailInfo(SrvReadEmailInfo(name), setup); taken > 0) {
    game.UseSetup(setup);
    log.Line("e-mail game \"%s\": %d set-up values from its information file", name.c_str(), taken);
  }
  game.SeatEveryChapter();
  out.sent.clear();
  if (!game.Receive(1, Bytes(PacketImage<12>(PKT_START)))) return false;
  if (!game.Save(folder + name + ".svr", kEmailGameIdentifier)) {
    log.Line("e-mail game \"%s\": the server file cannot be written", name.c_str());
    return false;
  }
  for (const auto& [player, packets] : out.sent) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".s%02u", (player - 1) % 100);
    if (!WriteInputFile(folder + name + suffix, 0, true, packets)) {
      log.Line("e-mail game \"%s\": the input file %s cannot be written", name.c_str(), suffix);
      return false;
    }
  }
  log.Line("e-mail game \"%s\" created: %zu chapters", name.c_str(), out.sent.size());
  return true;
}

bool ProcessEmailTurn(const std::string& folder, const std::string& file, SrvLog& log) {
  const std::string name = file.substr(0, file.rfind('.'));
  FileOutbox out;
  SrvGame game(out, log, nullptr, 0, folder);
  if (!game.LoadRules()) log.Line("the rules files could not be read: no designs, no units");
  if (!game.Load(folder + name + ".svr", kEmailGameIdentifier)) {
    log.Line("e-mail game \"%s\": its server file cannot be read", name.c_str());
    return false;
  }
  game.SeatEveryChapter();
  PacketImage<12> noAutosave(PKT_AUTOSAVE);
  game.Receive(1, Bytes(noAutosave));
  const std::uint32_t turn = game.World().turn;
  int applied = 0;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (game.Holder(c) == 0) continue;
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".c%02u", c);
    if (ApplyClientTurnFile(game, folder + name + suffix, c, log)) ++applied;
  }
  if (game.World().turn == turn) game.EndTurnNow();
  if (!game.Save(folder + name + ".svr", kEmailGameIdentifier)) return false;
  for (const auto& [player, packets] : out.sent) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".s%02u", (player - 1) % 100);
    if (!WriteInputFile(folder + name + suffix, turn, false, packets)) return false;
  }
  log.Line("e-mail game \"%s\": turn %u processed with %d turn files", name.c_str(), turn, applied);
  return true;
}
