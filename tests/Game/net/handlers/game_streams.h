#pragma once
// Packet streams of a whole game, shared by the handler tests and the
// dispatch benchmark: the start of a game of any size (asteroids with their
// zones, every chapter with a home and a design, units spread over the
// asteroids) and one turn's results for it.

#include <cstdint>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GWorldTypes.h"
#include "Game/rules/GTemplateDB.h"
#include "platform/core/bytes.h"

namespace game_streams {

struct Shape {
  std::uint16_t asteroids = 150;
  std::uint8_t chaptersPerGuild = 8;
  std::uint32_t units = 2000;
};

inline std::vector<std::uint8_t> Blank(std::uint16_t type, std::size_t size) {
  std::vector<std::uint8_t> p(size, 0);
  plat::ByteWriter(p).WriteAt<std::uint16_t>(0, type);
  return p;
}

template <class T>
void Put(std::vector<std::uint8_t>& p, std::size_t offset, T v) {
  plat::ByteWriter(p).WriteAt<T>(offset, v);
}

inline std::uint8_t ChapterOf(const Shape& s, std::uint32_t k) {
  const std::uint32_t n = k % (kGuildCount * s.chaptersPerGuild);
  return static_cast<std::uint8_t>((n / s.chaptersPerGuild) * 8 + n % s.chaptersPerGuild);
}

inline std::uint32_t UnitId(const Shape& s, std::uint32_t k) {
  return (std::uint32_t{ChapterOf(s, k)} << 26) | (1000 + k);
}

inline std::vector<std::vector<std::uint8_t>> StartOfGame(const Shape& s) {
  std::vector<std::vector<std::uint8_t>> out;
  auto solar = Blank(PKT_SOLAR_SYSTEM, 22);
  Put<std::uint16_t>(solar, 8, 1);
  Put<std::uint16_t>(solar, 12, s.asteroids);
  Put<std::uint16_t>(solar, 20, 2);
  out.push_back(solar);
  for (std::uint16_t a = 0; a < s.asteroids; ++a) {
    auto p = Blank(PKT_ASTEROID_WITH_ZONES, 520);
    Put<std::uint16_t>(p, 8, a);
    Put<std::uint16_t>(p, 10, kNoChapter);
    Put<std::uint16_t>(p, 14, kNoChapter);
    p[57] = static_cast<std::uint8_t>(a % 5);
    Put<std::uint16_t>(p, 72, static_cast<std::uint16_t>(3000 + 50 * a));
    Put<std::uint16_t>(p, 74, static_cast<std::uint16_t>(2000 + 40 * a));
    Put<float>(p, 68, 0.5f + a % 7);
    for (int z = 0; z < 31; ++z) p[116 + z] = 16;
    out.push_back(p);
  }
  for (std::uint8_t g = 0; g < kGuildCount; ++g) {
    for (std::uint8_t slot = 0; slot < s.chaptersPerGuild; ++slot) {
      const std::uint16_t chapter = static_cast<std::uint16_t>(g * 8 + slot);
      auto start = Blank(PKT_CHAPTER_START, 66);
      Put<std::uint16_t>(start, 8, g);
      Put<std::uint16_t>(start, 10, slot);
      start[12] = 'C';
      Put<std::uint16_t>(start, 64, static_cast<std::uint16_t>((g * s.chaptersPerGuild + slot) % s.asteroids));
      out.push_back(start);
      auto design = Blank(PKT_TEMPLATE, kTemplatePacketSize);
      Put<std::uint32_t>(design, 8, (std::uint32_t{chapter} << 26) | 1);
      Put<std::uint16_t>(design, 12, 65535);
      design[14] = static_cast<std::uint8_t>(chapter);
      design[16] = 'D';
      out.push_back(design);
    }
  }
  for (std::uint32_t k = 0; k < s.units; ++k) {
    const std::uint8_t chapter = ChapterOf(s, k);
    auto unit = Blank(PKT_UNIT, 28);
    Put<std::uint16_t>(unit, 8, chapter);
    Put<std::uint32_t>(unit, 12, UnitId(s, k));
    unit[16] = static_cast<std::uint8_t>(k % s.asteroids);
    Put<std::uint32_t>(unit, 24, (std::uint32_t{chapter} << 26) | 1);
    out.push_back(unit);
  }
  return out;
}

// One turn's results: terrain battles, a replay, research, pools, every
// unit's new place (within its asteroid), power and status, the standings
// and scores, then the turn-results packet.
inline std::vector<std::vector<std::uint8_t>> TurnResults(const Shape& s, std::uint32_t turn) {
  std::vector<std::vector<std::uint8_t>> out;
  out.push_back(Blank(PKT_TURN_PROCESSING, 12));
  for (std::uint16_t a = 0; a < s.asteroids; a += 10) {
    auto cleared = Blank(PKT_TERRAIN_CLEARED, 10);
    Put<std::uint16_t>(cleared, 8, a);
    out.push_back(cleared);
    auto events = Blank(PKT_TERRAIN_EVENTS, 12 + 36 * 4);
    Put<std::int16_t>(events, 8, 4);
    Put<std::uint16_t>(events, 10, a);
    out.push_back(events);
    auto zone = Blank(PKT_ASTEROID_ZONES, 48);
    Put<std::uint16_t>(zone, 8, a);
    zone[12] = 16;
    zone[15] = static_cast<std::uint8_t>(turn % 4);
    out.push_back(zone);
  }
  for (std::uint16_t a = 0; a < s.asteroids; ++a) {
    auto pool = Blank(PKT_POOL_STATE, 32);
    Put<std::uint16_t>(pool, 8, a);
    Put<std::uint32_t>(pool, 16, 100 + turn);
    out.push_back(pool);
  }
  for (std::uint32_t k = 0; k < s.units; ++k) {
    auto moved = Blank(PKT_UNIT_MOVED, 20);
    Put<std::uint32_t>(moved, 8, UnitId(s, k));
    moved[12] = static_cast<std::uint8_t>(k % s.asteroids);
    Put<std::int16_t>(moved, 14, static_cast<std::int16_t>(turn * 3 + k % 50));
    out.push_back(moved);
    auto power = Blank(PKT_UNIT_POWER, 20);
    Put<std::uint32_t>(power, 8, UnitId(s, k));
    Put<std::uint16_t>(power, 12, static_cast<std::uint16_t>(k % s.asteroids));
    Put<std::uint32_t>(power, 16, turn + k);
    out.push_back(power);
  }
  auto standings = Blank(PKT_TURN_STANDINGS, 8 + 8 * kMaxChapters);
  for (int c = 0; c < kMaxChapters; ++c) standings[8 + 8 * c] = static_cast<std::uint8_t>(turn);
  out.push_back(standings);
  auto scores = Blank(PKT_CHAPTER_SCORES, 8 + 4 * kMaxChapters);
  for (int c = 0; c < kMaxChapters; ++c) Put<std::uint32_t>(scores, 8 + 4 * c, turn * 100 + c);
  out.push_back(scores);
  out.push_back(Blank(PKT_TURN_RESULTS, 8));
  return out;
}

}  // namespace game_streams
