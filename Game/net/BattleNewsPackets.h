#pragma once
// The packets of variable length that carry a turn's battles to a client,
// built and read in one place:
//   503  a part of a space battle's replay (14 bytes and its data): u8 part
//        number at 8 (from 1), u16 replay (the asteroid) at 10, u16 data
//        bytes at 12, the data from 14 (at most kReplayPartBytes)
//   603  a terrain battle's events (12 bytes and 36 an event): i16 events at
//        8, u16 asteroid at 10, then each event's eight u32 words and its u16
//        at 32
// Each Parse is false for an image shorter than its header or than the data
// or events it counts. Plain functions: any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Game/net/ReplayFile.h"

constexpr std::size_t kTerrainEventsHeadSize = 12;
constexpr std::size_t kTerrainEventBytes = 36;

struct ReplayPartPacket {
  std::uint8_t part = 0;
  std::uint16_t replay = 0;
  std::vector<std::uint8_t> data;

  // The data is cut to what one packet carries.
  std::vector<std::uint8_t> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ReplayPartPacket* out);
};

struct TerrainEventsPacket {
  // An event's words: a, b, source type, d, source value, target type, g,
  // target value; then its w.
  struct Event {
    std::array<std::uint32_t, 8> words{};
    std::uint16_t w = 0;
  };
  std::uint16_t asteroid = 0;
  std::vector<Event> events;  // at most as many as fit a packet

  std::vector<std::uint8_t> Build() const;
  // A negative count reads as no events.
  static bool Parse(std::span<const std::uint8_t> image, TerrainEventsPacket* out);
};
