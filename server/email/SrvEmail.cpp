#include "server/email/SrvEmail.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <vector>

#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/net/SessionPackets.h"
#include "Game/rules/GRulesPackets.h"
#include "platform/core/bytes.h"
#include "platform/core/dospath.h"
#include "server/SrvDurableFile.h"
#include "server/SrvGame.h"
#include "server/email/SrvEmailInfo.h"

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
bool WriteInputFile(const std::string& path, std::uint32_t turn, bool first, const std::vector<SrvPacket>& packets) {
  plat::ByteWriter w;
  if (first) w.Write(kFirstTurnHeader);
  w.Write(turn);
  for (const SrvPacket& p : packets) {
    w.Write(static_cast<std::uint32_t>(p.size()));
    w.WriteBytes(p);
  }
  return SrvWriteFileDurably(path, w.Data());
}

constexpr const char* kServerFileExtension = ".esv";

// "<game>-<turn>.<kind><chapter 2 digits>", a player's file of that turn.
std::string PlayerFileName(const std::string& game, std::uint32_t turn, char kind, std::uint32_t chapter) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "-%u.%c%02u", turn, kind, chapter % 100);
  return game + suffix;
}

// The game a file named on the command line belongs to: the server file's
// name, or a player's file's without its "-<turn>".
std::string GameOfFile(const std::string& file) {
  const std::size_t dot = file.rfind('.');
  const std::string stem = file.substr(0, dot);
  if (dot != std::string::npos && file.compare(dot, std::string::npos, kServerFileExtension) == 0) return stem;
  const std::size_t dash = stem.rfind('-');
  if (dash == std::string::npos || dash + 1 == stem.size() ||
      stem.find_first_not_of("0123456789", dash + 1) != std::string::npos)
    return stem;
  return stem.substr(0, dash);
}

// Writes each chapter's input file of `turn`; false, logged, when one cannot be written.
bool WriteInputFiles(const std::string& folder, const std::string& game, std::uint32_t turn, std::uint32_t header,
                     bool first, const FileOutbox& out, SrvLog& log) {
  for (const auto& [player, packets] : out.sent) {
    const std::string name = PlayerFileName(game, turn, 's', player - 1);
    if (!WriteInputFile(folder + name, header, first, packets)) {
      log.Line("e-mail game \"%s\": the input file %s cannot be written", game.c_str(), name.c_str());
      return false;
    }
  }
  return true;
}

// A game is played by its rules or not at all: without them it would have no
// designs and no units, and a turn would lose every unit the game holds.
bool RulesRead(SrvGame& game, SrvLog& log) {
  std::string fault;
  if (game.LoadRules(&fault)) return true;
  log.Alarm("the rules file \"%s\" is missing or damaged: no game can be played without it", fault.c_str());
  return false;
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
  game.Receive(player, Bytes(EndTurnPacket{turn}.Build()));
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

bool CreateEmailGame(const std::string& folder, const std::string& game, std::uint32_t seed, SrvLog& log) {
  FileOutbox out;
  SrvGame srv(out, log, nullptr, seed, folder);
  if (!RulesRead(srv, log)) return false;
  // The e-mail screen leaves the player's set-up behind; without it the
  // front end's start values hold.
  SrvSetup setup;
  if (const int taken = SrvTakeEmailInfo(SrvReadEmailInfo(game), setup); taken > 0) {
    srv.UseSetup(setup);
    log.Line("e-mail game \"%s\": %d set-up values from its information file", game.c_str(), taken);
  }
  srv.SeatEveryChapter();
  out.sent.clear();
  if (!srv.Receive(1, Bytes(PacketImage<12>(PKT_START)))) return false;
  if (!srv.Save(folder + game + kServerFileExtension, kEmailGameIdentifier)) {
    log.Line("e-mail game \"%s\": the server file cannot be written", game.c_str());
    return false;
  }
  if (!WriteInputFiles(folder, game, 0, 0, true, out, log)) return false;
  log.Line("e-mail game \"%s\" created: %zu chapters", game.c_str(), out.sent.size());
  return true;
}

bool ProcessEmailTurn(const std::string& folder, const std::string& file, SrvLog& log) {
  const std::string game = GameOfFile(file);
  FileOutbox out;
  SrvGame srv(out, log, nullptr, 0, folder);
  if (!RulesRead(srv, log)) return false;
  if (!srv.Load(folder + game + kServerFileExtension, kEmailGameIdentifier)) {
    log.Line("e-mail game \"%s\": its server file cannot be read", game.c_str());
    return false;
  }
  srv.SeatEveryChapter();
  PacketImage<12> noAutosave(PKT_AUTOSAVE);
  srv.Receive(1, Bytes(noAutosave));
  const std::uint32_t turn = srv.World().turn;
  int applied = 0;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (srv.Holder(c) == 0) continue;
    if (ApplyClientTurnFile(srv, folder + PlayerFileName(game, turn, 'c', c), c, log)) ++applied;
  }
  if (srv.World().turn == turn) srv.EndTurnNow();
  if (!srv.Save(folder + game + kServerFileExtension, kEmailGameIdentifier)) {
    log.Line("e-mail game \"%s\": the server file cannot be written", game.c_str());
    return false;
  }
  // Its header names the turn resolved; the client plays the one after it.
  if (!WriteInputFiles(folder, game, turn + 1, turn, false, out, log)) return false;
  log.Line("e-mail game \"%s\": turn %u processed with %d turn files", game.c_str(), turn, applied);
  return true;
}
