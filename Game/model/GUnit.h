#pragma once
// One ship of a chapter: identity, name, design, place, order queue, battle
// plan, per-module state, damage, power, borrowed construction points and ATV
// cargo; with its orders (GUnitOrders.cpp), the turns its first order needs
// (GUnitTurns.cpp), the costs of building orders (GUnitCosts.cpp), movement
// and arrival times (GUnitMove.cpp) and its statistics (GUnitStats.cpp).
// Units are owned by the game-piece database (GGamePieceDB.h); the game
// around them is reached through the game world (GameWorld.h) and the rules
// facts (GRulesFacts.h).
//
// Saved form (version 3; version 2 is read too): u8 version; u32 id; u8
// reserved; u8 stage; 8 battle-plan bytes (targeting 1, 0, 2, 3, 4, then the
// three retreat bytes); 60 module-state bytes; Location (4 x u16); u32
// unoperational; u32 status word; u8 reserved, u8 hull damage, u8 life-support
// damage; i32 power; u16 received points; 4 ATV cargo bytes, u16 reserved; u32
// design index (0xFFFFFFFF: not held by the design database) then u32 1 =
// fixed slot / 0 = extra list, or the whole design in template-file form;
// u8 0xFE; u16 order count and the orders (GUnitOrder.h); u8 name length and
// the characters; u8 end byte 0xDD.
// Main thread only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Game/arrayman/ArrayMan.h"
#include "Game/model/GLocation.h"
#include "Game/model/GUnitOrder.h"
#include "Game/rules/GRulesPackets.h"
#include "platform/core/files.h"

class BlockReader;
class BlockWriter;

class CGUnitTemplate;
class DesignRefs;

constexpr int kUnitSlots = 20;
constexpr std::uint8_t kStageNotStarted = 255;
constexpr std::uint8_t kUnitVersion = 3;
constexpr std::uint8_t kUnitEndByte = 0xDD;
constexpr std::uint16_t kAllSlots = 0xFFFF;
// The saved fields from the id to the design index, as described above.
constexpr std::size_t kUnitHeadSize = 4 + 2 + 8 + 3 * kUnitSlots + 8 + 4 + 4 + 3 + 4 + 2 + 4 + 2 + 4;
// After a design index the database holds: the u32 slot kind, the 0xFE byte
// and the u16 order count.
constexpr std::size_t kUnitDesignSlotSize = 4 + 1 + 2;
// Where the module-state bytes begin in a unit's saved form (version byte
// included), and how many there are.
constexpr std::size_t kUnitStatesAt = 1 + 4 + 2 + 8;
constexpr std::size_t kUnitStatesSize = 3 * kUnitSlots;

// Squared ranges of the orders (the square of the largest per-axis distance).
constexpr std::uint32_t kApproachRangeSq = 90000;  // unit to unit; the smallest attack range
constexpr std::uint32_t kWorkRangeSq = 115000;     // transfer, recharge, repair, scrap, modify
constexpr std::uint32_t kBodyRangeSq = 160000;     // an asteroid's body; stop range at its centre
constexpr std::uint32_t kAtvRangeSq = 190000;      // landing and recovering ATVs
constexpr std::uint32_t kAsteroidRechargeRangeSq = 1435904;
// Local approach distance to an asteroid, and turns meaning "never".
constexpr std::int32_t kScanDistance = 2600;
constexpr std::uint32_t kUnreachable = 65535;

constexpr std::uint32_t GetChapterFromId(std::uint32_t id) { return id >> 26; }
constexpr std::uint32_t GetGuildFromId(std::uint32_t id) { return id >> 29; }
constexpr std::uint32_t GetSerialFromId(std::uint32_t id) { return id & 0x3FFFFFFu; }

// The unit's effectiveness bytes, in their order.
enum UnitPercent {
  PCT_DEEP_DRIVE = 0,
  PCT_LOCAL_DRIVE = 1,
  PCT_ATV_CAPACITY = 2,
  PCT_STEALTH = 3,
  PCT_TRACKING = 4,
  PCT_ATTACK = 5,
  PCT_CONSTRUCTION = 6,
  PCT_SURVEY = 7,
  PCT_DEFENCE_FIRST = 8,  // eight, one per attack kind
  PCT_DAMAGE_CONTROL = 16,
  PCT_ACTIVE_DEFENCE = 17,
  PCT_POWER_STORAGE = 18,
  PCT_POWER_GENERATION = 19,
  PCT_TRANSFER_RATE = 20,
};
constexpr int kUnitPercents = 21;

struct ModuleSlotState {
  std::uint8_t damage = 0;
  std::uint8_t flags = 0;  // bits 4-6: firing level 0..7
  std::uint8_t ammo = 0;
  std::uint8_t FiringLevel() const { return (flags >> 4) & 7; }
  void SetFiringLevel(std::uint8_t level) { flags = static_cast<std::uint8_t>((flags & 0x8F) | ((level & 7) << 4)); }
};

// Packet 314, the battle plan of one unit (48 bytes): u32 unit id at 8, u16
// asteroid at 12, 20 firing levels at 14, targeting bytes 0-3 at 39, byte 4 at
// 43, retreat bytes 0-1 at 44, byte 2 at 46; other bytes zero.
struct BattlePlanPacket {
  std::uint32_t unitId = 0;
  std::uint16_t asteroid = 0;
  std::array<std::uint8_t, kUnitSlots> firingLevels{};
  std::array<std::uint8_t, 5> targeting{};
  std::array<std::uint8_t, 3> retreat{};

  PacketImage<48> Build() const;
  // False when the image is shorter than 48 bytes.
  static bool Parse(std::span<const std::uint8_t> image, BattlePlanPacket* out);
};

// Packet 301 as received (the dispatcher parses it with ParseOrderPacket).
struct OrderPacket {
  std::uint32_t unitId = 0;
  std::uint32_t type = 0;
  std::uint32_t hasTarget = 0;
  std::uint8_t insertMode = 0;
  std::array<std::uint8_t, 16> head{};
  std::array<std::uint8_t, LandingBlock::kSize> landing{};
};
constexpr std::size_t kOrderPacketSize = 172;
// Packet 301 of `order` for `unitId` (all bytes set; words 2 and 3 of the head zero).
PacketImage<kOrderPacketSize> BuildOrderPacket(std::uint32_t unitId, const UnitOrder& order, std::uint8_t insertMode);
// False when the image is shorter than 172 bytes.
bool ParseOrderPacket(std::span<const std::uint8_t> image, OrderPacket* out);
// Packet 306: u32 unit id at 8, u16 asteroid at 12, u8 flag at 14 (1: all orders, 0: the last).
constexpr std::size_t kCancelOrdersSize = 16;
PacketImage<kCancelOrdersSize> BuildCancelOrdersPacket(std::uint32_t unitId, std::uint16_t asteroid, std::uint8_t all);
struct CancelOrdersPacket {
  std::uint32_t unitId = 0;
  std::uint16_t asteroid = 0;
  std::uint8_t all = 0;
};
// False when the image is shorter than 16 bytes.
bool ParseCancelOrdersPacket(std::span<const std::uint8_t> image, CancelOrdersPacket* out);
// Packet 609: u16 asteroid at 8, zone at 10, chapter at 12, kind at 14, i16 change at 16.
PacketImage<20> BuildAtvsReturnedPacket(std::uint16_t asteroid, std::uint16_t zone, std::uint16_t chapter,
                                        std::uint16_t kind, std::int16_t change);

// The status record of packet 304 as the unit reads it.
constexpr std::size_t kUnitStatusRecordSize = 108;

struct UnitOrderIO {};  // the queue's elements are saved by CGUnit itself

// Units' detours resume their search where the last one left off, across
// units and turns; this starts the search afresh, its first direction drawn
// from the C runtime's generator, so that a server seeding that generator
// each turn replays the same game whatever ran in the process before.
void ResetUnitDetours();

class CGUnit final {
 public:
  // A new unit of `owner` (chapter number) built from `design` at `loc`.
  CGUnit(CGUnitTemplate* design, const Location* loc, std::uint8_t owner, std::uint32_t id);
  // An empty unit for Load.
  CGUnit();
  // Clears the orders (force), releases the design.
  ~CGUnit();
  // Units come from blocks of many (GSlotPool.cpp): a saved game brings
  // thousands, and a load should not cost a heap call for each.
  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;
  CGUnit(const CGUnit&) = delete;
  CGUnit& operator=(const CGUnit&) = delete;

  // Identity.
  std::uint32_t GetChapter() const { return id >> 26; }
  std::uint32_t GetGuild() const { return id >> 29; }
  std::uint32_t GetChapterSlot() const { return (id >> 26) & 7; }
  void SetName(const char* text);
  const char* GetName() const { return name.c_str(); }
  // The design's class abbreviation into out (at least 5 bytes); 0 and empty without one.
  int GetClassAbbreviation(char* out) const;
  // Moves the unit (refiling it when its asteroid changes).
  void SetLocation(const Location* loc);
  void SetTemplate(CGUnitTemplate* newDesign, bool recompute);
  CGUnitTemplate* GetTemplate() const { return design; }
  bool IsOperational() const { return unoperational == 0; }

  // Module states and battle plan.
  void ResetModuleStates();
  void SetModuleStates(const std::uint8_t states[60]);
  std::uint8_t GetFiringLevel(int slot) const;
  void ApplyBattlePlanPacket(const BattlePlanPacket& plan);
  void BuildBattlePlanPacket(BattlePlanPacket* out) const;
  static void SendBattlePlanPacket(const BattlePlanPacket& plan);
  void EditBattlePlan();
  int HasSpecialWeapon(std::uint32_t* outOrderType) const;
  int IsSpecialWeaponArmed() const;
  void ResetSpecialWeaponLevels(bool send);
  void ArmSpecialWeapons(bool send);

  // Cargo and construction points.
  void SetAtvCargo(std::uint8_t k0, std::uint8_t k1, std::uint8_t k2, std::uint8_t k3);
  void AddAtvs(int kind, std::uint32_t n);
  void AddAtvsKind0(std::uint32_t n) { AddAtvs(0, n); }
  void AddAtvsKind1(std::uint32_t n) { AddAtvs(1, n); }
  void AddAtvsKind2(std::uint32_t n) { AddAtvs(2, n); }
  void AddAtvsKind3(std::uint32_t n) { AddAtvs(3, n); }
  void AddConstructionPoints(std::uint32_t n);
  void UseConstructionPoints(std::uint32_t n, bool rebind);
  // Packet 304's status record (kUnitStatusRecordSize bytes); false when shorter.
  bool ApplyStatusUpdate(std::span<const std::uint8_t> record);

  // Statistics (GUnitStats.cpp).
  void RecomputeStats(std::uint32_t ignored = 0);
  std::int32_t GetDeepSpaceSpeed() const;
  std::int32_t GetLocalSpaceSpeed() const;
  std::int32_t GetSpeed() const;
  double GetLocalSpeedScaled() const;
  std::int32_t GetAtvCapacity() const;
  std::int32_t GetFreeAtvCapacity() const;
  std::int32_t GetStealth() const;
  std::int32_t GetTracking() const;
  std::int32_t GetAttackStrength() const;
  std::int32_t GetConstructionCapacity() const;
  std::int32_t GetSurveyRate() const;
  std::int32_t GetActiveDefense() const;
  std::int32_t GetActiveDefenseForMode(int mode) const;
  std::int32_t GetMaxPower() const;
  std::int32_t GetPower();
  std::int32_t GetPowerGeneration() const;
  std::int32_t GetTransferRate() const;
  std::uint8_t GetHullDamage() const { return hullDamage; }
  std::uint8_t GetLifeSupportDamage() const { return lifeSupportDamage; }
  std::uint32_t GetDamagePercent() const;
  std::uint32_t GetSlotDamagePercent(int slot) const;
  std::uint32_t GetSlotCapacity(int slot) const;
  std::uint32_t GetWeaponHitChance(std::uint16_t moduleId, int slot) const;
  std::uint32_t GetWeaponStrengthAtLevel(int slot) const;
  std::int32_t GetHitChanceAgainst(int slot, const CGUnit* target) const;
  std::uint32_t GetTotalAmmo(std::uint32_t* unlimited) const;
  std::uint32_t GetWeaponMaxRange(int slot) const;
  std::uint32_t GetWeaponEffectiveRange(int slot) const;
  std::uint32_t GetWeaponMaxRangeSq(int slot) const;
  std::uint32_t GetWeaponEffectiveRangeSq(int slot) const;
  std::uint32_t GetWeaponRange(int slot) const;
  std::uint32_t GetWeaponRangeSq(int slot) const;
  std::uint32_t GetMinWeaponRange() const;
  std::uint32_t GetMinWeaponRangeSq() const;
  std::uint32_t GetModulePowerUse(int moduleType, std::uint16_t slot, std::uint16_t index) const;

  // Orders (GUnitOrders.cpp). Builders return 1 when the order was queued, 0
  // when nothing was queued; IssueOrder also passes on the construction
  // check's -1 (the pool held the minerals but would not give them up).
  std::int32_t IssueOrder(std::uint32_t type, std::uint32_t targetValue, std::uint8_t insertMode, CGUnit* target,
                          bool constructionChecks);
  int OrderMoveToAsteroid(std::uint16_t asteroid, std::uint8_t stage);
  int OrderToLocation(std::uint32_t type, const Location* loc, std::uint8_t insertMode);
  int OrderOnUnit(std::uint32_t type, CGUnit* target, std::uint8_t insertMode);
  int OrderOnAsteroid(std::uint32_t type, std::uint16_t asteroid, std::uint8_t insertMode);
  int OrderOnZone(std::uint32_t type, const std::uint8_t zoneTarget[6], std::uint8_t insertMode);
  int OrderRecoverAtvs(std::uint32_t type, const std::uint8_t zoneTarget[6], const std::uint16_t counts[31],
                       std::uint8_t insertMode);
  int OrderLandAtvs(const std::uint8_t block[132], std::uint8_t insertMode);
  bool NeedsMoveBeforeOrder(std::uint32_t type, std::uint16_t asteroid, std::uint8_t insertMode) const;
  // Takes the order (owned from here); 0 when a stunned queue refuses a replacement.
  std::uint32_t InsertOrder(std::unique_ptr<UnitOrder> order, std::uint8_t insertMode, bool send);
  // A saved order put back at the queue's end as it stood: it holds its
  // design as the order given holds it. False when the queue is full.
  bool AppendLoadedOrder(std::unique_ptr<UnitOrder> order);
  void SendOrder(std::uint32_t flag, const UnitOrder* order, std::uint8_t insertMode) const;
  void AddOrderFromPacket(const OrderPacket& packet);
  void PopFirstOrder(std::int32_t result, std::uint32_t ignored);
  std::uint32_t ClearOrders(bool force);
  std::uint32_t RemoveLastOrder();
  void CancelOrders();
  void CancelLastOrder();
  void BindFirstOrderTarget(std::uint32_t targetId, std::uint8_t stage);
  // Packet 305's record: u16 at 14, u32 at 16; false when shorter than 20 bytes.
  bool BindConstructee(std::span<const std::uint8_t> packet);
  bool HasAsteroidTargetOrder() const;
  void EndScrapOrdersOnUnit(bool completed);
  void CancelConstructionOrder(UnitOrder* order, std::uint16_t index, std::int32_t result);
  void ReturnRecoveryAtvs(UnitOrder* order);
  UnitOrder* GetOrder(std::uint16_t index) const { return orders.GetAt(index); }
  std::uint16_t GetOrderCount() const { return orders.count; }
  // Order texts (GOrderTexts.cpp).
  void GetOrderStatusText(std::int32_t index, char* out, std::size_t size = 50);
  void GetNextOrderVerb(char* out, std::size_t size = 32) const;

  // Construction costs (GUnitCosts.cpp).
  std::int32_t CheckAtvConstruction(UnitOrder* order);
  std::int32_t CheckConstruction(UnitOrder* order, CGUnit* target);
  std::int32_t PayConstruction(UnitOrder* order, const std::uint32_t cost[5]);
  std::uint32_t RefundConstruction(UnitOrder* order);
  std::uint32_t CanAffordTemplate(const CGUnitTemplate* wanted, bool reuseOwn, const CGUnit* target) const;
  std::uint32_t CanAffordFixedTemplate(int slot, bool reuseOwn, const CGUnit* target) const;
  std::uint32_t IsSameClassAsFixedTemplate(int slot, const CGUnit* target) const;
  void ReuseOwnModules(const CGUnitTemplate* wanted, std::uint32_t cost[5], std::uint8_t used[20],
                       std::uint8_t remaining[20]) const;
  void ReuseTargetModules(const CGUnitTemplate* wanted, std::uint32_t cost[5], std::uint8_t remaining[20]) const;

  // Turns until completion (GUnitTurns.cpp).
  std::uint16_t GetNumTurnsUntilOrderCompletion(std::int16_t* outPowerChange);
  std::int32_t GetScanRange() const;
  std::int32_t GetRepairPoints() const;
  std::int32_t GetRebuildPoints() const;
  std::uint16_t GetModifyTurns(std::uint32_t reuseOwn, std::uint32_t reuseTarget, CGUnit* target,
                               std::uint32_t templateId, std::uint32_t targetId);
  std::uint16_t GetRearmTurns(std::uint16_t* cost, std::uint16_t extraPoints);

  // Movement (GUnitMove.cpp).
  std::int16_t GetETA();
  std::uint32_t GetTurnsToLocation(const Location* target, std::int32_t mode, std::uint32_t rangeSq,
                                   std::int32_t* outFailure);
  std::uint32_t GetTurnsToAsteroid(std::uint16_t asteroid, std::int32_t* outFailure);
  std::uint32_t GetSolarTripTurns(const Location* start, const Location* asteroidPos, std::uint16_t asteroid,
                                  std::uint8_t fromAsteroid, std::int32_t* outFailure);
  std::uint32_t StepSolar(Location* pos, const Location* target, std::uint32_t rangeSq, std::int32_t speed,
                          std::uint32_t* outPartial) const;
  std::int32_t SimulateMoveStep(const Location* target, std::int32_t asteroidMode, std::int32_t stopInRange,
                                std::uint32_t rangeSq, std::uint32_t ignored = 0);
  std::uint32_t FindDetour(const Location* pos, const Location* target, double* dx, double* dy, double* dz,
                           std::int32_t asteroidMode) const;
  std::uint32_t IsUnitInRange(std::uint32_t type, const CGUnit* target, std::uint32_t rangeSq) const;
  std::uint32_t IsAsteroidInRange(std::uint32_t type, std::uint16_t asteroid, std::uint32_t rangeSq) const;

  // Saving (version 3) and loading (versions 2 and 3); 1 on success. A load
  // of many units passes one DesignRefs for them all (see there).
  int Save(plat::FILE* fp);
  int Save(BlockWriter& w);
  int Load(plat::FILE* fp);
  int Load(BlockReader& r, DesignRefs* refs = nullptr);
  void ResolveOrderTargets();

  // What the destructor reads (the design, the order queue and the name)
  // comes first, in the unit's first cache line: a game's end destroys
  // thousands of units long out of the cache, and each costs one line. The
  // fields ordered to leave no padding, with a flag for the unit's own design
  // in place of its pointer (192 bytes a unit, three lines, from 216), were
  // measured and left out: seven runs of the load bench alternating, medians
  // from the front end 13.58 -> 13.35 x a plain read (200 units) and
  // 16.38 -> 16.88 x (2,000), over a running game 18.34 -> 18.03 x and
  // 21.57 -> 21.54 x.
  std::uint32_t id = 0;
  CGUnitTemplate* design = nullptr;
  // A design no database holds (read inline from a saved game), kept alive by the unit.
  std::unique_ptr<CGUnitTemplate> ownedDesign;
  ArrayMan<UnitOrder> orders;
  std::string name;
  // 1 while the terrain view is to land the ATVs the unit carries (not saved).
  std::uint32_t landingRequest = 0;
  // 1 once a scan's report on the unit has come in (not saved).
  std::uint8_t scanReport = 0;
  std::uint32_t reviewMark = 0;
  std::uint8_t reservedByte1 = 0;
  std::uint8_t stage = kStageNotStarted;
  std::array<std::uint8_t, 5> targeting{};
  std::array<std::uint8_t, 3> retreat{};
  std::array<ModuleSlotState, kUnitSlots> modules{};
  Location location;
  std::uint32_t unoperational = 0;
  std::uint32_t statusWord = 1;
  std::uint8_t reservedByte2 = 0;
  std::uint8_t hullDamage = 0;
  std::uint8_t lifeSupportDamage = 0;
  std::int32_t power = 0;
  std::array<std::uint8_t, kUnitPercents> percents{};
  std::uint16_t receivedPoints = 0;
  std::array<std::uint8_t, 4> atvCargo{};
  std::uint16_t reservedWord = 0;

 private:
  // The unit of `id`: at this unit's asteroid first, then anywhere.
  CGUnit* FindNear(std::uint32_t unitId) const;
  // The first order's target: the cached one, else looked up by word `word`.
  CGUnit* ResolveTarget(UnitOrder* order, int word);
  void ReturnLandingAtvs(UnitOrder* order);
  void CleanUpRemovedOrder(UnitOrder* order, std::uint16_t index);
  void SendCancel(std::uint8_t all) const;
  std::uint32_t DesignCost(const CGUnitTemplate* wanted, bool reuseOwn, const CGUnit* target,
                           std::uint32_t cost[5]) const;
  std::uint16_t TurnsOfFirstOrder(UnitOrder* order, std::uint16_t* cost, std::uint16_t* perTurn);
};

// Adds and releases a design reference by its id (through the design database
// when there is one, else on the design itself).
void AddRefDesignById(std::uint32_t templateId, CGUnitTemplate* fallback);
void ReleaseDesignById(std::uint32_t templateId, CGUnitTemplate* fallback);

// AddRefDesignById for the units of one load, which come mostly of a few
// designs one after another: the design the last look-up found for a unit's
// design serves the next unit of that design. The only change a load makes
// to the design database is a unit's own design, added as it comes: that
// unit's design is then another, and the next unit's is looked up afresh.
class DesignRefs {
 public:
  void AddRef(CGUnitTemplate& design);

 private:
  const CGUnitTemplate* m_design = nullptr;
  CGUnitTemplate* m_held = nullptr;
};
