// The zone and asteroid packets of the game model as the server reads them:
// any bytes either refuse or read within the image, and what reads builds
// again into the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Game/model/GZonePackets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> image(data, size);
  ZoneAtvMovePacket move;
  if (ZoneAtvMovePacket::Parse(image, &move)) {
    ZoneAtvMovePacket again;
    const auto built = move.Build();
    if (!ZoneAtvMovePacket::Parse(built.bytes, &again) || again.attacking != move.attacking ||
        again.sourceZone != move.sourceZone || again.count != move.count)
      std::abort();
  } else if (size >= kZoneAtvMoveSize) {
    std::abort();
  }
  AutomanagePacket automanage;
  if (AutomanagePacket::Parse(image, &automanage)) {
    AutomanagePacket again;
    const auto built = automanage.Build();
    if (!AutomanagePacket::Parse(built.bytes, &again) || again.asteroid != automanage.asteroid ||
        again.flag != automanage.flag)
      std::abort();
  } else if (size >= kAutomanageSize) {
    std::abort();
  }
  return 0;
}
