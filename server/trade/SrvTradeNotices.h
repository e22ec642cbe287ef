#pragma once
// The notices of the guilds' trade boards (category 2, the world's
// notification list, sent as the turn resolves). Parameters as the players'
// clients read them:
//   201 a ship bought: parameter 2 its class, parameter 3 the bought unit
//   202 a ship bid rejected (outbid, offer withdrawn or its ship lost):
//       parameter 2 the ship's class
//   203 minerals sold: parameter 1 the amount, 2 the mineral, 3 the buyer
//       (high 16 bits) and the asteroid sold from (low 16)
//   204 minerals bought: parameter 1 the amount, 2 the mineral, 3 the seller
//       (high 16 bits) and the asteroid they will arrive at (low 16)
//   205 a purchase from an offer no longer standing: parameter 1 the
//       asteroid, 2 the mineral, 3 the seller
//   206 a standing transfer's shipment arrived, to its sender: parameter 1
//       the amount, 2 the mineral, 3 the source (high 16 bits) and the
//       destination (low 16); one whose destination changed hands on the
//       way came back: 3 that destination (high) and the pool it came to
//       (low)
//   207 a ship sold: parameter 1 its class, 2 the buyer, 3 the asteroid paid
//       at (kSrvTradeNoPool when none was)
//   209 an offered ship lost before it sold: parameter 2 its class
//   210 a ship offer posted, to its poster as it posts: parameter 3 the unit
//   212 a vote offer posted, to its poster as it posts: parameter 1 the
//       asteroid
//   225 a standing transfer its source pool could not pay: parameter 1 the
//       amount, 2 the mineral, 3 the destination (high 16 bits) and the
//       source (low 16)
//   215 a vote offer refused, its poster not holding the asteroid's vote,
//       to the poster as it posts: parameter 1 the asteroid
//   218 a ship offer a guild mate's bid would have bought, its ship having
//       an order: parameter 3 the ship (the bids go back, the offer lapses)
//   219 a ship taken apart: parameter 1 the metals recovered, 2 the
//       silicates (low 16 bits) and exotics (high 16), the first text the
//       reactives as a number, 3 the ship taken apart
//   220 ATVs built short of their order, the hold full: parameter 3 the unit
//   227 a turn's mining on an asteroid lost, its miner having no pool to
//       take it, or a shipment lost, its destination taken and its sender
//       left no pool to take it back: parameter 1 the asteroid
// (The guild mates' "new offers" notices, 217, 226 and 230, their clients
// raise themselves as the offers reach their boards.)
//   213 / 214 a vote bid rejected / accepted, 228 a vote sold (parameter 2
//       the buyer), 216 a vote offer withdrawn or lapsed, to its bidders:
//       parameter 1 the asteroid

#include <cstdint>

constexpr std::uint16_t kSrvTradeNoPool = 0xFFFF;
// Parameter 3 of a notice that names no unit.
constexpr std::uint32_t kSrvTradeNoUnit = 0xFFFFFFFFu;
// A ship's class when nothing is left of the ship to tell it.
constexpr std::uint32_t kSrvTradeUnknownClass = 0xFFFF;
