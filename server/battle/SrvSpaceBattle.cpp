#include "server/battle/SrvSpaceBattle.h"

#include <algorithm>
#include <cstring>

#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GWorldTypes.h"
#include "Game/model/GameWorld.h"

namespace {

constexpr int kNarrowBeyondEffective = -20;
constexpr int kEitherBeyondEffective = -10;
constexpr int kModuleHitBelow = 50;  // of 100: the rest hits the hull, then life support
constexpr int kHullHitBelow = 85;

struct Fighter {
  CGUnit* unit = nullptr;
  bool out = false;  // destroyed or retreated
};

bool Armed(const CGUnit& u, int slot, const ModuleRecord** out) {
  const ModuleRecord* m = SlotModule(u.design, slot);
  if (!IsWeapon(m) || m->RateOfFire() > kMaxRateOfFire) return false;
  if (u.modules[slot].FiringLevel() == 0 || u.GetSlotDamagePercent(slot) >= 100) return false;
  if (m->MaxAmmo() != kUnlimitedAmmo && u.modules[slot].ammo == 0) return false;
  if (out != nullptr) *out = m;
  return true;
}

bool SpecialWorking(const CGUnit& u, int slot, std::uint8_t code) {
  const ModuleRecord* m = SlotModule(u.design, slot);
  const std::uint8_t own = m != nullptr ? m->SpecialCode() : 0;
  return own != 0 && (code == 0 || own == code) && u.GetSlotDamagePercent(slot) < 100;
}

// Mind weapons are the Emerald Combine's, fired while its player has them armed.
bool MindArmed(const CGUnit& u, int slot) {
  return SpecialWorking(u, slot, kSpecialMind) && u.GetGuild() == kMindWeaponGuild &&
         u.modules[slot].FiringLevel() != 0;
}

// A bombard fires on a ship only by its special attack order (31) on that ship.
bool BombardAims(const CGUnit& u, int slot, const CGUnit& target) {
  const UnitOrder* first = u.GetOrderCount() != 0 ? u.GetOrder(0) : nullptr;
  return first != nullptr && first->type == ORDER_SPECIAL_ATTACK && first->Word(0) == target.id &&
         SpecialWorking(u, slot, kSpecialBombard);
}

bool SpecialFiresAt(const CGUnit& u, int slot, const CGUnit& target) {
  return MindArmed(u, slot) || BombardAims(u, slot, target);
}

// A special weapon still able to fire: an armed mind weapon, or a bombard
// while a special attack is the unit's order.
bool HasSpecialToFire(const CGUnit& u) {
  const UnitOrder* first = u.GetOrderCount() != 0 ? u.GetOrder(0) : nullptr;
  const bool specialAttack = first != nullptr && first->type == ORDER_SPECIAL_ATTACK;
  for (int s = 1; s < kUnitSlots; ++s) {
    if (MindArmed(u, s) || (specialAttack && SpecialWorking(u, s, kSpecialBombard))) return true;
  }
  return false;
}

// The orders that name the unit's target in a battle.
bool IsAttackOrder(std::uint32_t type) {
  return type == ORDER_ATTACK_UNIT || type == ORDER_SPECIAL_ATTACK || type == ORDER_MENTAL_ATTACK;
}

bool HasArmedSlot(const CGUnit& u) {
  for (int s = 1; s < kUnitSlots; ++s) {
    if (Armed(u, s, nullptr)) return true;
  }
  return false;
}

std::uint32_t DistanceSq(const CGUnit& a, const CGUnit& b) { return GetLocationDistanceSq(&a.location, &b.location); }

bool Hostile(const CGUnit& a, const CGUnit& b) { return SrvChaptersHostile(a.GetChapter(), b.GetChapter()); }

// Hostility of chapter pairs, asked of the chapters once per battle.
class HostilityTable {
 public:
  HostilityTable() { std::memset(m_known, -1, sizeof(m_known)); }
  bool operator()(const CGUnit& a, const CGUnit& b) {
    const std::uint32_t ca = a.GetChapter(), cb = b.GetChapter();
    if (ca >= kMaxChapters || cb >= kMaxChapters) return SrvChaptersHostile(ca, cb);
    std::int8_t& known = m_known[ca][cb];
    if (known < 0) known = SrvChaptersHostile(ca, cb) ? 1 : 0;
    return known != 0;
  }

 private:
  std::int8_t m_known[kMaxChapters][kMaxChapters];
};

bool PlanMatches(const CGUnit& u, std::uint8_t whoToFireAt) {
  switch (whoToFireAt) {
    case 1:
      return u.GetAtvCapacity() != 0;
    case 2:
      return u.GetAttackStrength() != 0;
    case 3:
      return u.GetConstructionCapacity() != 0;
    default:
      return true;
  }
}

class Battle {
 public:
  Battle(std::span<CGUnit* const> units, SrvRandom& random, std::span<const std::uint32_t> released)
      : m_random(random), m_released(released) {
    for (CGUnit* u : units) {
      if (u != nullptr && u->IsOperational() && u->design != nullptr) m_fighters.push_back({u, false});
    }
  }

  SrvSpaceBattleResult Fight() {
    for (Fighter& f : m_fighters) {
      const UnitOrder* first = f.unit->GetOrderCount() != 0 ? f.unit->GetOrder(0) : nullptr;
      if (first != nullptr && first->type == ORDER_RETREAT) Withdraw(f);
    }
    for (Fighter& f : m_fighters) {
      if (!f.out && !SrvStunned(*f.unit)) Act(*f.unit);
    }
    for (int round = 0; round < kMaxBattleRounds && HostilesRemain(); ++round) {
      std::vector<SrvShot> shots;
      for (std::size_t i : FiringOrder()) {
        if (!m_fighters[i].out) FireAll(m_fighters[i], shots);
      }
      for (Fighter& f : m_fighters) {
        if (!f.out && !Stunned(*f.unit) && WantsToRetreat(*f.unit)) Withdraw(f);
      }
      if (shots.empty()) break;
      m_result.rounds.push_back(std::move(shots));
    }
    return std::move(m_result);
  }

 private:
  bool HostilesRemain() {
    for (std::size_t i = 0; i < m_fighters.size(); ++i) {
      if (m_fighters[i].out) continue;
      for (std::size_t j = i + 1; j < m_fighters.size(); ++j) {
        if (!m_fighters[j].out && m_hostile(*m_fighters[i].unit, *m_fighters[j].unit)) return true;
      }
    }
    return false;
  }

  // Who fires first changes every round, so that no unit always strikes first.
  std::vector<std::size_t> FiringOrder() {
    std::vector<std::size_t> order(m_fighters.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    for (std::size_t i = order.size(); i > 1; --i) {
      std::swap(order[i - 1], order[static_cast<std::size_t>(m_random.Range(0, static_cast<int>(i) - 1))]);
    }
    return order;
  }

  // The slot of the first working module of the type, -1 when none.
  static int WorkingSlot(const CGUnit& u, std::uint8_t type) {
    for (int s = 0; s < kUnitSlots; ++s) {
      const ModuleRecord* m = SlotModule(u.design, s);
      if (m != nullptr && m->type == type && u.GetSlotDamagePercent(s) < 100) return s;
    }
    return -1;
  }

  // What the unit's modules and first order make it do as the battle begins.
  void Act(const CGUnit& u) {
    if (const int s = WorkingSlot(u, MODULE_SCOUT); s >= 0) {
      if (const Fighter* seen = NearestInRange(u, 0xFFFFFFFFu))
        m_result.acts.push_back({kActScan, u.id, u.design->slots[s].moduleId, seen->unit->id});
    }
    const UnitOrder* first = u.GetOrderCount() != 0 ? u.GetOrder(0) : nullptr;
    if (first == nullptr) return;
    if (first->type == ORDER_LAND_ATVS || first->type == ORDER_RECOVER_ATVS) {
      if (const int s = WorkingSlot(u, MODULE_TRANSPORT); s >= 0)
        m_result.acts.push_back(
            {first->type == ORDER_LAND_ATVS ? kActLanding : kActRecovery, u.id, u.design->slots[s].moduleId, u.id});
    }
    if (first->type == ORDER_BOMBARD && first->Asteroid() == u.location.asteroid &&
        u.location.asteroid < World().AsteroidCount()) {
      int s = SrvSpecialSlot(u, kSpecialBombard);
      if (s < 0) s = SrvFirstArmedSlot(u);
      if (s >= 0)
        m_result.acts.push_back(
            {kActBombard, u.id, u.design->slots[s].moduleId, kAsteroidTargetTag | u.location.asteroid});
    }
  }

  void Withdraw(Fighter& f) {
    f.out = true;
    m_result.retreated.push_back(f.unit->id);
  }

  // The plan keeps the hull and life-support damage the unit bears before it
  // leaves (100: it never leaves); a unit that cannot move stays whatever
  // its plan says.
  static bool WantsToRetreat(const CGUnit& u) {
    if (u.GetSpeed() <= 0) return false;
    if (u.hullDamage > u.retreat[1] || u.lifeSupportDamage > u.retreat[0]) return true;
    return u.retreat[2] != 0 && !HasArmedSlot(u) && !HasSpecialToFire(u);
  }

  Fighter* FindById(std::uint32_t id) {
    for (Fighter& f : m_fighters) {
      if (f.unit->id == id && !f.out) return &f;
    }
    return nullptr;
  }

  // The unit's target: its attack order's target while that is in the
  // battle; else, unless the plan allows only that one, the nearest hostile
  // of the kind the plan names (any nearest when none is there and the plan
  // allows it).
  Fighter* ChooseTarget(const CGUnit& u) {
    const UnitOrder* first = u.GetOrderCount() != 0 ? u.GetOrder(0) : nullptr;
    if (first != nullptr && IsAttackOrder(first->type)) {
      Fighter* t = FindById(first->Word(0));
      if (t != nullptr && m_hostile(u, *t->unit)) return t;
    }
    if (u.targeting[2] != 0) return nullptr;
    Fighter* match = nullptr;
    Fighter* fallback = nullptr;
    std::uint32_t best = 0xFFFFFFFFu, fallbackBest = 0xFFFFFFFFu;
    for (Fighter& f : m_fighters) {
      if (f.out || !m_hostile(u, *f.unit)) continue;
      const std::uint32_t d = DistanceSq(u, *f.unit);
      if (PlanMatches(*f.unit, u.targeting[0])) {
        if (d < best) best = d, match = &f;
      } else if (d < fallbackBest) {
        fallbackBest = d, fallback = &f;
      }
    }
    if (match != nullptr) return match;
    return u.targeting[1] != 0 ? fallback : nullptr;
  }

  Fighter* NearestInRange(const CGUnit& u, std::uint32_t rangeSq) {
    Fighter* found = nullptr;
    std::uint32_t best = 0xFFFFFFFFu;
    for (Fighter& f : m_fighters) {
      if (f.out || !m_hostile(u, *f.unit)) continue;
      const std::uint32_t d = DistanceSq(u, *f.unit);
      if (d <= rangeSq && d < best) best = d, found = &f;
    }
    return found;
  }

  bool Released(const CGUnit& u) const {
    return std::find(m_released.begin(), m_released.end(), u.id) != m_released.end();
  }

  // Stunned before the battle or by a hit in it.
  bool Stunned(const CGUnit& u) const {
    return SrvStunned(u) || std::find(m_stunned.begin(), m_stunned.end(), u.id) != m_stunned.end();
  }

  void FireAll(Fighter& shooter, std::vector<SrvShot>& shots) {
    CGUnit& u = *shooter.unit;
    if (Stunned(u)) return;
    Fighter* target = ChooseTarget(u);
    if (target == nullptr) return;
    for (int slot = 1; slot < kUnitSlots && !shooter.out; ++slot) {
      const ModuleRecord* m = nullptr;
      if (!Armed(u, slot, &m)) continue;
      Fighter* aim = target->out ? nullptr : target;
      const std::uint32_t rangeSq = u.GetWeaponRangeSq(slot);
      if (aim == nullptr || DistanceSq(u, *aim->unit) > rangeSq) {
        aim = u.targeting[1] != 0 && u.targeting[2] == 0 ? NearestInRange(u, rangeSq) : nullptr;
      }
      if (aim != nullptr) FireWeapon(u, slot, *m, *aim, shots);
    }
    for (int slot = 1; slot < kUnitSlots && !shooter.out; ++slot) {
      if (SpecialWorking(u, slot, 0)) FireSpecial(u, slot, *target, shots);
    }
  }

  // A special weapon fires once a round: an armed mind weapon at the target,
  // else (with "target closest") at the nearest hostile within its range; a
  // bombard at the ship its special attack order names.
  // A unit already stunned is no mind weapon's target: a stun is not drawn out
  // by another; nor is one just released from its stun.
  void FireSpecial(CGUnit& u, int slot, Fighter& target, std::vector<SrvShot>& shots) {
    const std::uint32_t rangeSq = u.GetWeaponRangeSq(slot);
    const bool mind = MindArmed(u, slot);
    const auto takes = [&](const Fighter& f) {
      return !f.out && DistanceSq(u, *f.unit) <= rangeSq && SpecialFiresAt(u, slot, *f.unit) &&
             !(mind && (Stunned(*f.unit) || Released(*f.unit)));
    };
    Fighter* aim = takes(target) ? &target : nullptr;
    if (aim == nullptr && mind && u.targeting[1] != 0 && u.targeting[2] == 0) {
      std::uint32_t best = 0xFFFFFFFFu;
      for (Fighter& f : m_fighters)
        if (m_hostile(u, *f.unit) && takes(f) && DistanceSq(u, *f.unit) < best) best = DistanceSq(u, *f.unit), aim = &f;
    }
    if (aim == nullptr) return;
    CGUnit& t = *aim->unit;
    const int chance = SrvShotChance(u, slot, t);
    if (chance < u.targeting[4]) return;
    const ModuleRecord& m = *SlotModule(u.design, slot);
    SrvShot shot;
    shot.unitId = u.id;
    shot.from = u.location;
    shot.weapon = u.design->slots[slot].moduleId;
    shot.targetId = t.id;
    shot.chance = static_cast<std::int16_t>(chance);
    shot.effectiveRange = DistanceSq(u, t) <= u.GetWeaponEffectiveRangeSq(slot);
    if (m_random.Range(1, 100) > chance) {
      Add(shot, {kShotMiss, 0, 0});
    } else if (m.SpecialCode() == kSpecialMind) {
      // A mind weapon does no damage: its strength is the turns its stun lasts.
      const auto turns = static_cast<std::uint8_t>(std::max<int>(m.Strength(), 1));
      Add(shot, {kShotHit, kHitStun, turns});
      m_result.stuns.push_back({t.id, u.id, turns});
      m_stunned.push_back(t.id);
    } else {
      Strike(*aim, m.AttackKind(), SrvHitStrength(u, slot, shot.effectiveRange), shot);
    }
    shots.push_back(shot);
  }

  void FireWeapon(CGUnit& u, int slot, const ModuleRecord& m, Fighter& aim, std::vector<SrvShot>& shots) {
    CGUnit& t = *aim.unit;
    const bool effective = DistanceSq(u, t) <= u.GetWeaponEffectiveRangeSq(slot);
    const int chance = SrvShotChance(u, slot, t);
    if (chance < u.targeting[4]) return;
    const int volley = std::max<int>(m.RateOfFire(), 1);
    for (int n = 0; n < volley && !aim.out; ++n) {
      ModuleSlotState& state = u.modules[slot];
      if (m.MaxAmmo() != kUnlimitedAmmo) {
        if (state.ammo == 0) break;
        if (--state.ammo == 0) m_result.outOfAmmo.emplace_back(u.id, u.design->slots[slot].moduleId);
      }
      SrvShot shot;
      shot.unitId = u.id;
      shot.from = u.location;
      shot.weapon = u.design->slots[slot].moduleId;
      shot.targetId = t.id;
      shot.chance = static_cast<std::int16_t>(chance);
      shot.effectiveRange = effective;
      if (m_random.Range(1, 100) <= chance) {
        Strike(aim, m.AttackKind(), SrvHitStrength(u, slot, effective), shot);
      } else {
        Add(shot, {kShotMiss, 0, 0});
      }
      shots.push_back(shot);
    }
    if (m.MaxAmmo() != kUnlimitedAmmo) u.RecomputeStats();
  }

  static void Add(SrvShot& shot, SrvShotPart part) {
    if (shot.partCount < shot.parts.size()) shot.parts[shot.partCount++] = part;
  }

  // The shield module that stands against the attack kind, 0xFFFF when none.
  static std::uint16_t ShieldModule(const CGUnit& t, std::uint8_t kind) {
    for (int s = 0; s < kUnitSlots; ++s) {
      const ModuleRecord* m = SlotModule(t.design, s);
      if (m != nullptr && m->type == MODULE_DEFENSE && m->TypeByte(1 + kind) != 0 && t.GetSlotDamagePercent(s) < 100) {
        return t.design->slots[s].moduleId;
      }
    }
    return 0xFFFF;
  }

  void Strike(Fighter& aim, std::uint8_t attackKind, std::uint32_t strength, SrvShot& shot) {
    CGUnit& t = *aim.unit;
    const std::uint8_t kind = attackKind & 7;
    const std::uint32_t shield = SrvShieldStrength(t, kind);
    // Held only when nothing gets through: the replay plays a held shot as
    // deflected, whatever damage follows it.
    if (strength <= shield) {
      Add(shot, {kShotShieldHeld, ShieldModule(t, kind), 0});
      return;
    }
    std::uint32_t damage = strength - shield;
    const int roll = m_random.Range(0, 99);
    std::uint16_t where = roll < kHullHitBelow ? kHitHull : kHitLifeSupport;
    if (roll < kModuleHitBelow) damage = DamageModule(t, damage, shot);
    if (damage != 0) DamageStructure(t, where, damage, shot);
    t.RecomputeStats();
    if (t.hullDamage >= 100 || t.lifeSupportDamage >= 100) {
      aim.out = true;
      m_result.destroyed.push_back(t.id);
      if (shot.partCount != 0) shot.parts[shot.partCount - 1].code = kShotDestroyed;
    }
  }

  // Damages a working module chosen at random; returns what its capacity
  // could not take.
  std::uint32_t DamageModule(CGUnit& t, std::uint32_t damage, SrvShot& shot) {
    int working[kUnitSlots];
    int n = 0;
    for (int s = 0; s < kUnitSlots; ++s) {
      if (SlotFitted(t.design, s) != 0 && t.modules[s].damage < t.GetSlotCapacity(s)) working[n++] = s;
    }
    if (n == 0) return damage;
    const int s = working[m_random.Range(0, n - 1)];
    const std::uint32_t taken = std::min(damage, t.GetSlotCapacity(s) - t.modules[s].damage);
    t.modules[s].damage = static_cast<std::uint8_t>(t.modules[s].damage + taken);
    Add(shot, {kShotHit, t.design->slots[s].moduleId, static_cast<std::uint16_t>(taken)});
    return damage - taken;
  }

  // Hull and life support take damage in percent of the design's structure
  // (its build points): larger ships take more blows.
  static void DamageStructure(CGUnit& t, std::uint16_t where, std::uint32_t damage, SrvShot& shot) {
    const std::uint32_t structure = std::max<std::uint32_t>(t.design->buildPoints, 1);
    const std::uint32_t percent = std::max<std::uint32_t>(damage * 100 / structure, 1);
    std::uint8_t& value = where == kHitHull ? t.hullDamage : t.lifeSupportDamage;
    const std::uint32_t after = std::min<std::uint32_t>(value + percent, 100);
    Add(shot, {kShotHit, where, static_cast<std::uint16_t>(after - value)});
    value = static_cast<std::uint8_t>(after);
  }

  std::vector<Fighter> m_fighters;
  std::vector<std::uint32_t> m_stunned;
  HostilityTable m_hostile;
  SrvRandom& m_random;
  std::span<const std::uint32_t> m_released;
  SrvSpaceBattleResult m_result;
};

}  // namespace

std::uint32_t SrvSpaceBattleResult::ShotCount() const {
  std::uint32_t n = 0;
  for (const auto& round : rounds) n += static_cast<std::uint32_t>(round.size());
  return n;
}

std::uint32_t SrvSpaceBattleResult::DamagingCount() const {
  std::uint32_t n = 0;
  for (const auto& round : rounds)
    for (const SrvShot& shot : round)
      n += std::any_of(shot.parts.begin(), shot.parts.begin() + shot.partCount,
                       [](const SrvShotPart& p) { return p.code == kShotHit || p.code == kShotDestroyed; })
               ? 1
               : 0;
  return n;
}

bool SrvChaptersHostile(std::uint32_t a, std::uint32_t b) {
  if (a == b) return false;
  const auto ca = static_cast<std::uint8_t>(a), cb = static_cast<std::uint8_t>(b);
  return (a >> 3) != (b >> 3) || !World().InOneCamp(ca, cb);
}

bool SrvCanOpenFire(std::span<CGUnit* const> units, std::span<const std::uint32_t> released) {
  const auto spared = [&](const CGUnit& u) {
    return SrvStunned(u) || std::find(released.begin(), released.end(), u.id) != released.end();
  };
  const auto operational = [](const CGUnit* u) { return u != nullptr && u->IsOperational(); };
  // Units keep their places through a battle and nothing changes until a
  // shot: a weapon that has no hostile within its reach, or would hold its
  // fire at every one for the plan's hit chance, never fires.
  for (const CGUnit* shooter : units) {
    if (!operational(shooter) || shooter->design == nullptr || SrvStunned(*shooter)) continue;
    for (int s = 1; s < kUnitSlots; ++s) {
      const bool special = SpecialWorking(*shooter, s, 0);
      if (!special && !Armed(*shooter, s, nullptr)) continue;
      const std::uint32_t reachSq = shooter->GetWeaponRangeSq(s);
      for (const CGUnit* other : units) {
        if (operational(other) && Hostile(*shooter, *other) && DistanceSq(*shooter, *other) <= reachSq &&
            (!special || (SpecialFiresAt(*shooter, s, *other) && !(MindArmed(*shooter, s) && spared(*other)))) &&
            SrvShotChance(*shooter, s, *other) >= shooter->targeting[4])
          return true;
      }
    }
  }
  return false;
}

int SrvFirstArmedSlot(const CGUnit& unit) {
  if (unit.design == nullptr) return -1;
  for (int s = 1; s < kUnitSlots; ++s)
    if (Armed(unit, s, nullptr)) return s;
  return -1;
}

int SrvSpecialSlot(const CGUnit& unit, std::uint8_t code) {
  if (unit.design == nullptr) return -1;
  for (int s = 1; s < kUnitSlots; ++s)
    if (SpecialWorking(unit, s, code)) return s;
  return -1;
}

bool SrvStunned(const CGUnit& unit) {
  const UnitOrder* first = unit.GetOrderCount() != 0 ? unit.GetOrder(0) : nullptr;
  return first != nullptr && first->type == ORDER_STUNNED;
}

int SrvShotChance(const CGUnit& unit, int slot, const CGUnit& target) {
  const ModuleRecord* m = SlotModule(unit.design, slot);
  int chance = unit.GetHitChanceAgainst(slot, &target);
  if (m != nullptr && DistanceSq(unit, target) > unit.GetWeaponEffectiveRangeSq(slot)) {
    if (m->Pattern() == PATTERN_BEAM) chance += kNarrowBeyondEffective;
    if (m->Pattern() == PATTERN_MISSILE) chance += kEitherBeyondEffective;
  }
  return std::clamp(chance, 0, 100);
}

std::uint32_t SrvHitStrength(const CGUnit& unit, int slot, bool effectiveRange) {
  const std::uint32_t strength = unit.GetWeaponStrengthAtLevel(slot);
  return effectiveRange ? strength : strength / 2;
}

std::uint32_t SrvShieldStrength(const CGUnit& target, std::uint8_t attackKind) {
  if (target.design == nullptr) return 0;
  const std::uint8_t kind = attackKind & 7;
  return target.design->defences[kind] * target.percents[PCT_DEFENCE_FIRST + kind] / 100u;
}

bool SrvHitHurts(const CGUnit& unit, int slot, const CGUnit& target, bool effectiveRange) {
  const ModuleRecord* m = SlotModule(unit.design, slot);
  return IsWeapon(m) && SrvHitStrength(unit, slot, effectiveRange) > SrvShieldStrength(target, m->AttackKind());
}

SrvSpaceBattleResult SrvFightSpaceBattle(std::span<CGUnit* const> units, SrvRandom& random,
                                         std::span<const std::uint32_t> released) {
  return Battle(units, random, released).Fight();
}
