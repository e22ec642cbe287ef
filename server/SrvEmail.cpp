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
#include "server/SrvGame.h"

namespace {

constexpr std::uint32_t kFirstTurnHeader = 0xFFFFFFFE;

// Keeps what each chapter's player would have been sent.
struct FileOutbox : SrvOutbox {
  std::map<std::uint32_t, std::vector<SrvPacket>> sent;
  void Send(std::uint32_t player, const SrvPacket& packet, bool) override { sent[player].push_back(packet); }
};

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const PacketImage<N>& p) {
  return {p.bytes.begin(), p.bytes.end()};
}

bool WriteInputFile(const std::string& path, const std::vector<SrvPacket>& packets) {
  plat::ByteWriter w;
  w.Write(kFirstTurnHeader);
  w.Write(std::uint32_t{0});
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
  const SrvSetup setup;
  // Every chapter is a player of its own here: player c + 1 holds chapter c.
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if ((c & 7) >= setup.ChaptersPerGuild()) continue;
    game.PlayerJoined(c + 1u);
    PacketImage<48> claim(PKT_CHAPTER_CLAIM);
    claim.Put<std::uint16_t>(8, c);
    game.Receive(c + 1u, Bytes(claim));
  }
  out.sent.clear();
  if (!game.Receive(1, Bytes(PacketImage<12>(PKT_START)))) return false;
  if (!game.Save(folder + name + ".svr", kEmailGameIdentifier)) {
    log.Line("e-mail game \"%s\": the server file cannot be written", name.c_str());
    return false;
  }
  for (const auto& [player, packets] : out.sent) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".s%02u", (player - 1) % 100);
    if (!WriteInputFile(folder + name + suffix, packets)) {
      log.Line("e-mail game \"%s\": the input file %s cannot be written", name.c_str(), suffix);
      return false;
    }
  }
  log.Line("e-mail game \"%s\" created: %zu chapters", name.c_str(), out.sent.size());
  return true;
}
