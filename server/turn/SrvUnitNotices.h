#pragma once
// The notices of units and their orders (category 1, the world's
// notification list, sent with the turn), to the unit's owner unless said.
// Parameters as the players' clients read them:
//   101 an order done: parameter 1 the order's construction flag (0),
//       2 the order's type, 3 the unit
//   102 an order cancelled: parameter 1 the order's type, 2 its failure
//       code, 3 the unit
//   104 a ship scanned: parameter 2 the scanned unit, 3 the scanning one
//   105 an asteroid scanned: parameter 1 the scanning chapter's slot in its
//       guild, 2 the asteroid
//   106 ATVs landed, to the lander and to each other chapter holding a zone
//       of the asteroid: parameter 1 how many, 2 the landing chapter, 3 the
//       asteroid, the second text their kind's name (one notice per kind)
//   107 / 108 a zone's mining value / ATV limit raised: parameter 1 1 when
//       it was, 0 when the zone could not take it, 2 the asteroid
//   110 a weapon out of ammunition: parameter 1 its module, 3 the unit
//   112 a target stunned: parameter 3 the unit whose mind weapon stunned it
//   113 ATVs built, into a hold or by a zone's facility: parameter 2 the
//       asteroid in both halves (SrvAtvProductionAsteroid)
//   114 a landing held back by a zone taken by another: parameter 2 the
//       asteroid (its ATVs stay aboard)
// (103, a unit destroyed, its owner's and its enemies' clients raise
// themselves as the unit's status tells them so.)

#include <cstdint>

// Parameter 2 of an ATV-production notice (113): the client names the
// asteroid from the high half and goes to it on a double click from the low
// one, so it stands in both.
constexpr std::uint32_t SrvAtvProductionAsteroid(std::uint16_t asteroid) {
  return std::uint32_t{asteroid} << 16 | asteroid;
}
// Parameter 2 or 3 of a notice that names nothing there.
constexpr std::uint32_t kSrvUnitNoParameter = 0xFFFFFFFFu;
