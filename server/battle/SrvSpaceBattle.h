#pragma once
// One space battle: the units that meet at one place fight in rounds, each
// unit by its battle plan, each weapon by its range, rate of fire, firing
// level and ammunition; shields stop what they can, the rest damages modules,
// hull or life support. The rules are told in server/README.md ("Battles").
//
// The battle changes the units it is given (damage, module states,
// ammunition) and reports every shot; it neither files, moves nor deletes
// them: a destroyed unit is only listed.
//
// One thread only (the units' statistics read the process-wide rules links).

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "Game/model/GLocation.h"
#include "Game/net/ReplayFormat.h"
#include "server/world/SrvRandom.h"

class CGUnit;

constexpr int kMaxBattleRounds = 10;
// Hit kinds for the hull and life support, and the stun of a mind weapon's
// hit (its amount the turns the target stays stunned); any other kind is a
// module index.
constexpr std::uint16_t kHitHull = replay::kHullModule;
constexpr std::uint16_t kHitLifeSupport = replay::kLifeModule;
constexpr std::uint16_t kHitStun = replay::kStunModule;

enum SrvShotCode : std::uint8_t {
  kShotMiss = replay::kMiss,
  kShotShieldHeld = replay::kShield,
  kShotHit = replay::kHit,
  kShotDestroyed = replay::kKill,
};

// One result part of a shot: a miss, the shield that held (value = its
// module index), or damage of `amount` to a hit kind (value).
struct SrvShotPart {
  std::uint8_t code = kShotMiss;
  std::uint16_t value = 0;
  std::uint16_t amount = 0;
};

struct SrvShot {
  std::uint32_t unitId = 0;
  Location from;
  std::uint16_t weapon = 0;  // module index
  std::uint32_t targetId = 0;
  std::int16_t chance = 0;  // percent
  bool effectiveRange = false;
  std::uint8_t partCount = 0;
  std::array<SrvShotPart, 3> parts{};
};

// What a unit does in a battle besides firing, as it begins (server/README.md,
// "Battles"): a scan of the nearest hostile unit by its scanner, its
// transport at work on the ATVs its first order lands or recovers, or its
// weapon's fire on the asteroid its first order bombards.
enum SrvBattleActCode : std::uint8_t {
  kActScan = replay::kScan,
  kActLanding = replay::kTransportOut,
  kActRecovery = replay::kTransportIn,
  kActBombard = replay::kAsteroidFire,
};
// The asteroid as a target is named as the views name objects: 0xFFFF above
// its index.
constexpr std::uint32_t kAsteroidTargetTag = 0xFFFF0000u;

struct SrvBattleAct {
  std::uint8_t code = kActScan;
  std::uint32_t unitId = 0;
  std::uint16_t module = 0;  // the scanner, transport or weapon at work
  std::uint32_t target = 0;  // the unit scanned, or the asteroid bombarded
};

// A unit a mind weapon's hit stunned, for how many turns, and by whom.
struct SrvStun {
  std::uint32_t unitId = 0;
  std::uint32_t by = 0;
  std::uint8_t turns = 0;
};

struct SrvSpaceBattleResult {
  // Shots by round, in firing order.
  std::vector<std::vector<SrvShot>> rounds;
  std::vector<SrvBattleAct> acts;
  std::vector<SrvStun> stuns;
  std::vector<std::uint32_t> destroyed;
  std::vector<std::uint32_t> retreated;
  // Weapons that fired their last round: the unit and the weapon's module.
  std::vector<std::pair<std::uint32_t, std::uint16_t>> outOfAmmo;
  std::uint32_t ShotCount() const;
  // Shots that got through: some damage done, or the target destroyed.
  std::uint32_t DamagingCount() const;
};

// Chapters that fight each other: other guilds, or the same guild when either
// is a renegade or their interregnum camps differ.
bool SrvChaptersHostile(std::uint32_t a, std::uint32_t b);

// True when a battle could have a shot: an operational unit with a weapon
// able to fire has an operational hostile one within that weapon's range and
// a chance to hit it no lower than its plan's. Units that meet with nothing
// to fire (two unarmed ships on a common course, a gunship beyond its reach)
// are no battle, or they would be one every turn until they part.
// `released` are units whose stun ran out this turn: no mind weapon fires at
// them before their players could order them (else a mind weapon standing by
// would stun a ship again in every turn its stun ends, and it never moves).
bool SrvCanOpenFire(std::span<CGUnit* const> units, std::span<const std::uint32_t> released = {});

// The first weapon slot of the unit able to fire (1-19, working, with a
// firing level and ammunition, not special); -1 when none.
int SrvFirstArmedSlot(const CGUnit& unit);

// The first working slot (1-19) holding a special weapon of `code` (0: of
// any code); -1 when none.
int SrvSpecialSlot(const CGUnit& unit, std::uint8_t code);

// Whether the unit is stunned (its first order is 35): it takes no orders,
// holds its fire and stays where it is.
bool SrvStunned(const CGUnit& unit);

// The chance in 100 that a shot of the weapon in `slot` hits `target` where
// both stand: beyond the weapon's effective range a beam or missile aims
// worse. A weapon whose chance is below the unit's battle plan's holds its
// fire.
int SrvShotChance(const CGUnit& unit, int slot, const CGUnit& target);

// The strength a hit of the weapon in `slot` strikes with: its strength at
// its firing level, halved when it fires from beyond its effective range.
std::uint32_t SrvHitStrength(const CGUnit& unit, int slot, bool effectiveRange);

// The strength of the target's shields against an attack kind: a hit no
// stronger is held whole.
std::uint32_t SrvShieldStrength(const CGUnit& target, std::uint8_t attackKind);

// Whether a hit of the weapon in `slot` on `target` gets past its shields,
// fired from within the weapon's effective range or beyond it: a weapon
// whose every hit would be held fires in vain however often it hits.
bool SrvHitHurts(const CGUnit& unit, int slot, const CGUnit& target, bool effectiveRange);

// Fights the battle among `units` (operational ones take part; null entries
// are passed over); no mind weapon fires at the `released` (as for
// SrvCanOpenFire). Deterministic for the state of `random`.
SrvSpaceBattleResult SrvFightSpaceBattle(std::span<CGUnit* const> units, SrvRandom& random,
                                         std::span<const std::uint32_t> released = {});
