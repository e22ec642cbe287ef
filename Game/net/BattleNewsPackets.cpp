#include "Game/net/BattleNewsPackets.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/net/ReplayFormat.h"
#include "platform/core/bytes.h"

namespace {

constexpr std::size_t kMostTerrainEvents = (kMaxPacketSize - kTerrainEventsHeadSize) / kTerrainEventBytes;

std::vector<std::uint8_t> Headed(std::uint16_t type, std::size_t size) {
  std::vector<std::uint8_t> p(size, 0);
  WritePacketHeader(p, PacketHeader{type, 0, 0});
  return p;
}

}  // namespace

std::vector<std::uint8_t> ReplayPartPacket::Build() const {
  const std::size_t n = std::min(data.size(), replay::kReplayPartBytes);
  std::vector<std::uint8_t> p = Headed(PKT_REPLAY_DATA, kReplayDataOffset + n);
  plat::ByteWriter w(p);
  w.WriteAt(8, part);
  w.WriteAt(10, replay);
  w.WriteAt(12, static_cast<std::uint16_t>(n));
  std::copy_n(data.begin(), n, p.begin() + kReplayDataOffset);
  return p;
}

bool ReplayPartPacket::Parse(std::span<const std::uint8_t> image, ReplayPartPacket* out) {
  plat::ByteReader r(image);
  std::uint16_t n = 0;
  if (!r.Has(0, kReplayDataOffset) || !r.ReadAt(12, n) || image.size() < kReplayDataOffset + n) return false;
  r.ReadAt(8, out->part);
  r.ReadAt(10, out->replay);
  const auto data = image.subspan(kReplayDataOffset, n);
  out->data.assign(data.begin(), data.end());
  return true;
}

std::vector<std::uint8_t> TerrainEventsPacket::Build() const {
  const std::size_t n = std::min(events.size(), kMostTerrainEvents);
  std::vector<std::uint8_t> p = Headed(PKT_TERRAIN_EVENTS, kTerrainEventsHeadSize + kTerrainEventBytes * n);
  plat::ByteWriter w(p);
  w.WriteAt(8, static_cast<std::int16_t>(n));
  w.WriteAt(10, asteroid);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t at = kTerrainEventsHeadSize + kTerrainEventBytes * i;
    for (std::size_t k = 0; k < events[i].words.size(); ++k) w.WriteAt(at + 4 * k, events[i].words[k]);
    w.WriteAt(at + 32, events[i].w);
  }
  return p;
}

bool TerrainEventsPacket::Parse(std::span<const std::uint8_t> image, TerrainEventsPacket* out) {
  plat::ByteReader r(image);
  std::int16_t count = 0;
  if (!r.Has(0, kTerrainEventsHeadSize) || !r.ReadAt(8, count)) return false;
  const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
  if (image.size() < kTerrainEventsHeadSize + kTerrainEventBytes * n) return false;
  r.ReadAt(10, out->asteroid);
  out->events.assign(n, Event{});
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t at = kTerrainEventsHeadSize + kTerrainEventBytes * i;
    for (std::size_t k = 0; k < out->events[i].words.size(); ++k) r.ReadAt(at + 4 * k, out->events[i].words[k]);
    r.ReadAt(at + 32, out->events[i].w);
  }
  return true;
}
