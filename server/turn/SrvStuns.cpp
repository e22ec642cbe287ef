#include "server/turn/SrvStuns.h"

#include <algorithm>
#include <memory>

#include "Game/model/GUnit.h"
#include "server/turn/SrvOrderSteps.h"

void SrvStunUnit(SrvTurnContext& turn, CGUnit& unit, std::uint8_t turns) {
  if (turns == 0) return;
  UnitOrder* first = unit.GetOrderCount() != 0 ? unit.GetOrder(0) : nullptr;
  if (first != nullptr && first->type == ORDER_STUNNED) {
    first->SetWord(0, std::max<std::uint32_t>(first->Word(0), turns));
    return;
  }
  auto stun = std::make_unique<UnitOrder>();
  stun->type = ORDER_STUNNED;
  stun->SetWord(0, turns);
  const auto packet = BuildOrderPacket(unit.id, *stun, kInsertFront);
  unit.InsertOrder(std::move(stun), kInsertFront, false);
  turn.Tell(static_cast<std::uint16_t>(unit.GetChapter()), SrvPacket(packet.bytes.begin(), packet.bytes.end()));
}

bool SrvAdvanceStun(SrvTurnContext& turn, CGUnit& unit) {
  UnitOrder* stun = unit.GetOrderCount() != 0 ? unit.GetOrder(0) : nullptr;
  if (stun == nullptr || stun->type != ORDER_STUNNED) return false;
  if (stun->Word(0) > 1) {
    stun->SetWord(0, stun->Word(0) - 1);
    return false;
  }
  SrvFinishFirstOrder(turn, unit, 1);
  turn.released.push_back(unit.id);
  return true;
}
