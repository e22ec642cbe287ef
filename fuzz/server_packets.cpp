// The server's game fed packets from any bytes, from two players in turn:
// each packet is a u16 length followed by that many bytes (a length past the
// input takes what is left). A small game is set up and started first, so
// that in-game packets meet a world. The same bytes are then offered as the
// server's own save file, which must load whole or change nothing.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/rules/GRulesPackets.h"
#include "fuzz/scratch.h"
#include "server/SrvGame.h"

namespace {

struct NullOutbox : SrvOutbox {
  void Send(std::uint32_t, const SrvPacket&, bool) override {}
};

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const PacketImage<N>& p) {
  return {p.bytes.begin(), p.bytes.end()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  NullOutbox out;
  SrvLog log;
  SrvGame game(out, log, nullptr, 5, fuzz::Scratch::Get().dir().string() + "/");
  game.PlayerJoined(1);
  game.PlayerJoined(2);
  SrvSetup setup;
  setup.config.SetU16(14, 1);
  setup.config.SetU16(16, 6);
  setup.config.SetU16(18, 0);
  game.Receive(1, Bytes(setup.config));
  PacketImage<48> claim(PKT_CHAPTER_CLAIM);
  game.Receive(1, Bytes(claim));
  claim.Put<std::uint16_t>(8, 8);
  game.Receive(2, Bytes(claim));
  game.Receive(1, Bytes(PacketImage<12>(PKT_START)));

  const std::span<const std::uint8_t> input(data, size);
  std::size_t at = 0;
  std::uint32_t player = 1;
  while (at + 2 <= input.size()) {
    const std::size_t n = std::min<std::size_t>(input[at] | (input[at + 1] << 8), input.size() - at - 2);
    game.Receive(player, input.subspan(at + 2, n));
    player = player == 1 ? 2 : 1;
    at += 2 + n;
  }

  fuzz::Scratch::Get().Write("fuzz.svr", input);
  PacketImage<276> load(PKT_LOAD_GAME);
  load.SetText(8, 256, "fuzz.svr");
  // The identifier the file itself holds, so that a file that looks like a
  // save is read beyond its header.
  if (size >= 9) load.PutBytes(264, input.subspan(5, 4));
  game.Receive(1, Bytes(load));
  return 0;
}
