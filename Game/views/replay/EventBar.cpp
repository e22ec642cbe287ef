#include "Game/views/replay/EventBar.h"

#include <cstddef>

namespace replay {

namespace {

std::uint32_t ModuleValue(std::uint8_t guild, std::uint8_t damage, std::uint16_t module) {
  return (std::uint32_t{guild} << 24) | (std::uint32_t{damage} << 16) | module;
}

}  // namespace

EventBar FillEventBar(const EventRecord& event, std::uint16_t asteroid, std::uint8_t guild) {
  using R = EventRecord;
  EventBar bar{};
  const std::uint8_t kind = event.U8(R::kKind);
  const EventBarEntry acting{kBarModule, ModuleValue(guild, 0xFF, static_cast<std::uint16_t>(event.U32(R::kModule)))};
  const EventBarEntry owner{kBarUnit, event.U32(R::kOwner)};
  const EventBarEntry place{kBarAsteroid, asteroid};
  if (kind == kTransportIn) {
    bar[0] = place;
    bar[1] = acting;
    bar[2] = owner;
  } else {
    bar[0] = owner;
    bar[1] = acting;
    bar[2] = kind == kAsteroidFire || kind == kTransportOut ? place : EventBarEntry{kBarUnit, event.U32(R::kTarget)};
  }
  std::size_t next = 3;
  // For a departure the first module slot holds the engine, which did no damage.
  if (event.U16(R::kFirstModule) != 0xFFFF && kind != kDeparture) {
    bar[next++] = {kBarModule, ModuleValue(guild, event.U8(R::kFirstDamage), event.U16(R::kFirstModule))};
  }
  if (event.U16(R::kSecondModule) != 0xFFFF) {
    bar[next++] = {kBarModule, ModuleValue(guild, event.U8(R::kSecondDamage), event.U16(R::kSecondModule))};
  }
  if (event.U8(R::kHull) != 0) bar[next++] = {kBarHullDamage, event.U8(R::kHull)};
  if (event.U8(R::kLife) != 0) bar[next++] = {kBarLifeDamage, event.U8(R::kLife)};
  return bar;
}

}  // namespace replay
