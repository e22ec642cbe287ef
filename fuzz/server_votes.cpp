// Guild votes from any bytes, then the turns' politics and the victory check
// over whatever was taken. The first byte gives the chapters per guild, the
// second the victory conditions and the third the share of the votes that
// makes an imperator; then records of u8 sender chapter, u8 length, the
// packet (455 or 456 as a client sends them, or anything else). A record's
// sender with its top bit set hands the chapter one more asteroid instead.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Game/model/GAsteroid.h"
#include "Game/model/GZone.h"
#include "server/ai/SrvVotes.h"
#include "server/turn/SrvTurnSteps.h"

namespace {

void GiveAsteroid(SrvWorld& world, std::uint8_t chapter, std::uint8_t pick) {
  CGAsteroid* a = world.solar.GetAsteroid(pick % CGSolarDB::GetAsteroidCount());
  if (a == nullptr || !world.HasChapter(chapter)) return;
  for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) a->GetZone(z)->SetOwner(chapter);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  SrvSetup setup;
  setup.config.SetU16(14, static_cast<std::uint16_t>(data[0] % 8 + 1));
  setup.config.SetU16(16, 40);
  setup.config.SetU16(20, data[1]);
  setup.config.SetU16(26, data[2]);
  SrvWorld world;
  world.Generate(setup, 5, nullptr);
  SrvLog log;
  SrvRandom random(1);

  const std::span<const std::uint8_t> input(data + 3, size - 3);
  std::size_t at = 0;
  int turns = 0;
  while (at + 2 <= input.size() && turns < 8) {
    const std::uint8_t sender = input[at];
    const std::size_t n = std::min<std::size_t>(input[at + 1], input.size() - at - 2);
    const auto packet = input.subspan(at + 2, n);
    if ((sender & 0x80) != 0) {
      GiveAsteroid(world, sender & 0x3F, n > 0 ? packet[0] : 0);
      SrvTurnContext turn{world, setup, log, random};
      SrvResolvePolitics(turn);
      if (SrvCheckGameEnd(turn)) break;
      world.AdvanceTurn();
      ++turns;
    } else {
      SrvTakeVotePacket(world, sender, packet);
    }
    at += 2 + n;
  }
  return 0;
}
