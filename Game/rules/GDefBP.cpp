#include "Game/rules/GDefBP.h"

#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "Game/base/GKeyValueReader.h"
#include "Game/base/GNumberText.h"
#include "Game/base/PacketSink.h"
#include "Game/base/TraceError.h"
#include "Game/rules/GDefBPKeys.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GRulesLinks.h"

namespace {

constexpr TargetingPart kBuiltInTargeting = {0, 1, 0, 2, 10};
constexpr RetreatPart kBuiltInRetreat = {80, 80, 0};
constexpr RetreatPart kBuiltInStationRetreat = {0, 0, 0};

struct PlansInForce {
  PlansInForce() {
    for (int c = 0; c < kUnitClassCount; ++c) {
      targeting[c] = kBuiltInTargeting;
      const bool station = c == UNITCLASS_USTA || c == UNITCLASS_ASTA;
      retreat[c] = station ? kBuiltInStationRetreat : kBuiltInRetreat;
    }
  }
  TargetingPart targeting[kUnitClassCount];
  RetreatPart retreat[kUnitClassCount];
};

PlansInForce& InForce() {
  static PlansInForce plans;
  return plans;
}

bool ValidClass(int unitClass) {
  if (unitClass >= 0 && unitClass < kUnitClassCount) return true;
  TraceError("Battle plan of an unknown unit class", __FILE__, __LINE__);
  return false;
}

}  // namespace

DefaultBattlePlanTable::DefaultBattlePlanTable() {
  for (int c = 0; c < kUnitClassCount; ++c) {
    targeting[c] = InForce().targeting[c];
    retreat[c] = InForce().retreat[c];
  }
}

// Values of a block past the eleventh class have nowhere to go: they are
// passed over, and a twelfth block's first key tells the player.
void DefaultBattlePlanTable::ReadFile(std::uint16_t chapterId) {
  plat::FILE* fp = OpenDataFile("defBP.dat", "r");
  if (fp == nullptr) fp = OpenDataFile("..\\defBP.dat", "r");
  if (fp == nullptr) {
    RulesShowMessage(kDefBPNotFound);
    return;
  }
  int unitClass = 0;
  ReadKeyValueLines(fp, [&](std::string_view key, std::string_view value) {
    const DefBPKey* k = FindDefBPKey(key);
    if (k == nullptr) return;
    if (unitClass >= kUnitClassCount) {
      if (key == kDefBPFirstKey) RulesShowMessage(kDefBPCorrupted);
      return;
    }
    DefBPValue(*this, unitClass, *k) = static_cast<std::uint8_t>(ParseInt(value));
    if (key == kDefBPLastKey) ++unitClass;
  });
  plat::fclose(fp);
  for (int c = 0; c < kUnitClassCount; ++c) {
    InForce().targeting[c] = targeting[c];
    InForce().retreat[c] = retreat[c];
  }
  Broadcast(chapterId);
}

PacketImage<100> BuildDefaultPlansPacket(std::uint16_t chapterId, const DefaultBattlePlanTable& table) {
  PacketImage<100> p(PKT_DEFAULT_BATTLE_PLANS);
  p.Put(8, chapterId);
  for (int c = 0; c < kUnitClassCount; ++c) {
    p.PutBytes(10 + 5 * c, table.targeting[c]);
    p.PutBytes(65 + 3 * c, table.retreat[c]);
  }
  return p;
}

void DefaultBattlePlanTable::Broadcast(std::uint16_t chapterId) const {
  auto packet = BuildDefaultPlansPacket(chapterId, *this);
  PacketSink().BroadcastUnsequenced(-1, packet.bytes);
}

const std::uint8_t* GetDefaultTargetingPlan(int unitClass) {
  return ValidClass(unitClass) ? InForce().targeting[unitClass].data() : nullptr;
}

const std::uint8_t* GetDefaultRetreatPlan(int unitClass) {
  return ValidClass(unitClass) ? InForce().retreat[unitClass].data() : nullptr;
}

void SetDefaultTargetingPlan(int unitClass, const TargetingPart& part) {
  if (ValidClass(unitClass)) InForce().targeting[unitClass] = part;
}

void SetDefaultRetreatPlan(int unitClass, const RetreatPart& part) {
  if (ValidClass(unitClass)) InForce().retreat[unitClass] = part;
}

void SendDefaultBattlePlans() {
  DefaultBattlePlanTable plans;
  if (!ClientShell().RunDefaultBattlePlanDialog(plans)) return;
  for (int c = 0; c < kUnitClassCount; ++c) {
    SetDefaultTargetingPlan(c, plans.targeting[c]);
    SetDefaultRetreatPlan(c, plans.retreat[c]);
  }
  auto packet = BuildDefaultPlansPacket(RulesFacts().LocalChapterId(), plans);
  RulesSendToAll(packet.bytes);
  WriteDefaultBattlePlanFile();
}
