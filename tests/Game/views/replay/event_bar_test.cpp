#include "Game/views/replay/EventBar.h"

#include <gtest/gtest.h>

namespace {

using replay::EventBarEntry;
using replay::EventRecord;

constexpr std::uint32_t kFirer = (9u << 26) | 1, kTarget = (17u << 26) | 2;

EventRecord Event(std::uint8_t kind) {
  EventRecord e;
  e.SetU32(EventRecord::kOwner, kFirer);
  e.SetU32(EventRecord::kModule, 0x00010203);
  e.SetU32(EventRecord::kTarget, kTarget);
  e.SetU8(EventRecord::kKind, kind);
  return e;
}

TEST(EventBarTest, AHitShowsFirerWeaponTargetAndEveryDamage) {
  EventRecord hit = Event('j');
  hit.SetU16(EventRecord::kFirstModule, 43);
  hit.SetU8(EventRecord::kFirstDamage, 255);
  hit.SetU16(EventRecord::kSecondModule, 42);
  hit.SetU8(EventRecord::kSecondDamage, 2);
  hit.SetU8(EventRecord::kHull, 8);
  hit.SetU8(EventRecord::kLife, 4);
  const replay::EventBar bar = replay::FillEventBar(hit, 4, 3);
  EXPECT_EQ(bar[0], (EventBarEntry{replay::kBarUnit, kFirer}));
  EXPECT_EQ(bar[1], (EventBarEntry{replay::kBarModule, 0x03FF0203u})) << "guild, acting-module mark, low 16 bits";
  EXPECT_EQ(bar[2], (EventBarEntry{replay::kBarUnit, kTarget}));
  EXPECT_EQ(bar[3], (EventBarEntry{replay::kBarModule, 0x03FF002Bu}));
  EXPECT_EQ(bar[4], (EventBarEntry{replay::kBarModule, 0x0302002Au}));
  EXPECT_EQ(bar[5], (EventBarEntry{replay::kBarHullDamage, 8}));
  EXPECT_EQ(bar[6], (EventBarEntry{replay::kBarLifeDamage, 4}));
  for (std::size_t i = 7; i < bar.size(); ++i) EXPECT_EQ(bar[i].kind, replay::kBarEmpty);
}

TEST(EventBarTest, TheAsteroidTakesItsPlaceByKind) {
  // A transport up from the asteroid starts there; one down to it and fire on it end there.
  const replay::EventBar in = replay::FillEventBar(Event(replay::kTransportIn), 7, 1);
  EXPECT_EQ(in[0], (EventBarEntry{replay::kBarAsteroid, 7}));
  EXPECT_EQ(in[2], (EventBarEntry{replay::kBarUnit, kFirer}));
  for (std::uint8_t kind : {replay::kTransportOut, replay::kAsteroidFire}) {
    const replay::EventBar bar = replay::FillEventBar(Event(kind), 7, 1);
    EXPECT_EQ(bar[0], (EventBarEntry{replay::kBarUnit, kFirer}));
    EXPECT_EQ(bar[2], (EventBarEntry{replay::kBarAsteroid, 7}));
    EXPECT_EQ(bar[3].kind, replay::kBarEmpty);
  }
  // A departure's engine is no damaged module; a deflected shot shows its shield.
  EventRecord departure = Event(replay::kDeparture);
  departure.SetU16(EventRecord::kFirstModule, 12);
  EXPECT_EQ(replay::FillEventBar(departure, 7, 1)[3].kind, replay::kBarEmpty);
  EventRecord deflected = Event('g');
  deflected.SetU16(EventRecord::kSecondModule, 0x1234);
  EXPECT_EQ(replay::FillEventBar(deflected, 7, 1)[3], (EventBarEntry{replay::kBarModule, 0x01FF1234u}));
}

}  // namespace
