#pragma once
// The packets a computer chapter gives its orders in: the very packets a
// player's client sends for the same orders, so that they pass the same
// checks (SrvSubmitComputerOrder). A unit's order replaces its queue.
//
// Any thread.

#include <array>
#include <cstdint>

#include "Game/model/GGuild.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GUnitTem.h"
#include "server/world/SrvStartPackets.h"

// 301: move to an asteroid (type 2).
SrvPacket SrvAiMoveOrder(const CGUnit& unit, std::uint16_t asteroid);
// 301: attack a unit (type 5).
SrvPacket SrvAiAttackOrder(const CGUnit& unit, const CGUnit& target);
// 301: a special attack on a unit (type 31): its bombard fires at it beside
// the guns.
SrvPacket SrvAiSpecialAttackOrder(const CGUnit& unit, const CGUnit& target);
// 301: close in on a unit where the unit stands, to the smallest attack
// range (type 1).
SrvPacket SrvAiApproachOrder(const CGUnit& unit, const CGUnit& target);
// 301: bombard the zones of the asteroid the unit stands at (type 32).
SrvPacket SrvAiBombardOrder(const CGUnit& unit);
// 301: the unit destroys itself (type 24).
SrvPacket SrvAiSelfDestructOrder(const CGUnit& unit);
// 301: build a ship of the design where the unit is (type 16).
SrvPacket SrvAiBuildShipOrder(const CGUnit& unit, const CGUnitTemplate& design);
// 301: refit the chapter's ship where the unit is to the design (type 17).
SrvPacket SrvAiRefitOrder(const CGUnit& unit, const CGUnitTemplate& design, const CGUnit& ship);
// 301: build ATVs of the four kinds into the unit's hold (type 13).
SrvPacket SrvAiBuildAtvsOrder(const CGUnit& unit, const std::array<std::uint8_t, kAtvKinds>& counts);
// 301: take up to `count` ATVs of the kind aboard from the chapter's zones of
// the asteroid where the unit is, in the zones' order (type 15).
SrvPacket SrvAiRecoverAtvsOrder(const CGUnit& unit, std::uint8_t kind, std::uint8_t count);
// 301: land ATVs from the hold on the zones of the unit's asteroid (type 14).
SrvPacket SrvAiLandAtvsOrder(const CGUnit& unit, const LandingBlock& landing);
// 200: the design stored in the chapter's fixed slot, as the design view
// saves it: its id, name and modules, the hull by its position
// `hullPosition` in the guild's hull list.
SrvPacket SrvAiDesignOrder(std::uint16_t chapter, std::uint16_t slot, std::uint8_t hullPosition,
                           const CGUnitTemplate& design);
// 510: the chapter's allocation to a module's research.
SrvPacket SrvAiResearchOrder(std::uint16_t chapter, std::uint16_t module, std::uint16_t percent);
// 511: the chapter's allocation to the research of the hull at `hullPosition`
// in its guild's hull list.
SrvPacket SrvAiHullResearchOrder(std::uint16_t chapter, std::uint16_t hullPosition, std::uint16_t percent);
// 555: this turn's share of a standing transfer: `amount` of a mineral
// between two of the chapter's asteroids, `transitTurns` on the way.
SrvPacket SrvAiTransferOrder(std::uint16_t chapter, std::uint16_t source, std::uint16_t destination,
                             std::uint8_t mineral, std::uint16_t amount, std::uint16_t transitTurns);
// 552: an offer on the guild's board of `amount` of a mineral from the pool
// of `asteroid`, at `pricePerTen` of each mineral for ten units.
SrvPacket SrvAiMineralOffer(std::uint16_t chapter, std::uint16_t asteroid, std::uint8_t mineral, std::uint16_t amount,
                            std::uint16_t pricePerTen);
// 554: a purchase from a guildmate's offer into the pool of `pool`, paid in `paidWith`.
SrvPacket SrvAiMineralPurchase(std::uint16_t chapter, const MineralOffer& offer, std::uint16_t pool,
                               std::uint8_t paidWith, std::uint16_t amount);
// 460: the chapter's unit offered to its guild mates for at least `least`
// of each mineral.
SrvPacket SrvAiShipOffer(std::uint16_t chapter, const CGUnit& unit, const std::array<std::uint32_t, 4>& least);
// 402: the chapter's offer of the unit withdrawn from its guild's board.
SrvPacket SrvAiShipOfferWithdrawn(std::uint16_t chapter, std::uint32_t unitId);
// 457: a sealed bid on a guild mate's ship offer, paid from the pool of `pool`.
SrvPacket SrvAiShipBid(std::uint16_t chapter, std::uint32_t unitId, std::uint16_t pool,
                       const std::array<std::uint32_t, 4>& bid);
// 600 (`attack` false) or 607 (true): `count` ATVs of a kind set off from one
// of the chapter's zones to another zone of the same asteroid.
SrvPacket SrvAiZoneMove(std::uint16_t chapter, std::uint16_t asteroid, std::uint16_t from, std::uint16_t to,
                        std::uint8_t kind, std::uint8_t count, bool attack);
// 611: a facility (its bit) built in one of the chapter's zones.
SrvPacket SrvAiZoneFacility(std::uint16_t chapter, std::uint16_t asteroid, std::uint16_t zone, std::uint32_t facility);
// 456: the chapter's imperator vote for a slot of its guild.
SrvPacket SrvAiImperatorVote(std::uint16_t chapter, std::uint16_t slot);
// 455: the chapter's renegade vote about the member in `slot` of its guild.
SrvPacket SrvAiRenegadeVote(std::uint16_t chapter, std::uint16_t slot, bool renegade);
