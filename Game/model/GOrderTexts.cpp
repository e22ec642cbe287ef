// The texts that describe an order to the player: its failure, its kind, its
// state in the queue and the verb of a following order.
#include <cstdio>
#include <cstring>
#include <string>

#include "Game/base/GIDString.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGamePieceDB.h"
#include "Game/model/GUnit.h"
#include "Game/model/GameWorld.h"

namespace {

// The text of `id` with its arguments into out; empty without a text index.
template <class... Args>
void Text(const char* id, char* out, std::size_t size, const Args&... args) {
  if (size == 0) return;
  out[0] = '\0';
  if (id != nullptr && World().texts != nullptr) World().texts->GetText(id, out, size, args...);
}

void Literal(const char* text, char* out, std::size_t size) {
  if (size == 0) return;
  std::snprintf(out, size, "%s", text);
}

// The asteroid's name as the local player knows it; empty when unknown.
std::string AsteroidName(std::uint16_t asteroid) {
  CGAsteroid* a = World().Asteroid(asteroid);
  const char* name = a != nullptr ? a->GetName() : nullptr;
  return std::string(name != nullptr ? name : "");
}

// A text naming an asteroid, or its nameless form.
void AsteroidText(const char* named, const char* nameless, std::uint16_t asteroid, char* out, std::size_t size) {
  const std::string name = AsteroidName(asteroid);
  if (name.empty()) {
    Text(nameless, out, size);
  } else {
    Text(named, out, size, name);
  }
}

}  // namespace

const char* GetOrderFailureTextId(std::int32_t code) {
  switch (code) {
    case -24:
      return "UNKNCAUS";
    case -23:
      return "FAILNOSP";
    case -21:
      return "TRGTSOLD";
    case -18:
      return "UNITRETR";
    case -17:
      return "NOSCANNR";
    case -16:
      return "NOWEAPON";
    case -14:
      return "TGTERODE";
    case -13:
      return "UNIMPLEM";
    case -12:
      return "NOCONSTM";
    case -11:
      return "CANTMOVE";
    case -10:
      return "NOTRANSD";
    case -9:
      return "BOXED_IN";
    case -8:
      return "NOWHRTOR";
    case -7:
      return "TGTINSPC";
    case -6:
      return "NOTRANRT";
    case -5:
      return "TARGETOD";
    case -4:
      return "TARGETDD";
    case -3:
      return "LACKPOWR";
    case -2:
      return "LACKCRED";
    case -1:
      return "LACKMINL";
    default:
      return nullptr;
  }
}

void GetOrderFailureText(std::int32_t code, char* out, std::size_t size) {
  Text(GetOrderFailureTextId(code), out, size);
}

const char* GetOrderTypeNameId(std::uint32_t type, std::uint16_t construction) {
  switch (type) {
    case ORDER_MOVE_TO_LOCATION:
    case ORDER_GO_TO_UNIT:
    case ORDER_MOVE_TO_ASTEROID:
    case ORDER_MOVE_NEXT_TO_ASTEROID:
      return "MOVEMENT";
    case ORDER_RETREAT:
      return "RETREAT_";
    case ORDER_ATTACK_UNIT:
    case ORDER_SPECIAL_ATTACK:
    case ORDER_MENTAL_ATTACK:
      return "MOVFRRNG";
    case ORDER_TRANSFER_POWER:
      return "POWERTFR";
    case ORDER_RECHARGE_FROM_UNIT:
    case ORDER_RECHARGE_FROM_ASTEROID:
      return "RECHARGE";
    case ORDER_SCRAP_UNIT:
      return "SCRAP___";
    case ORDER_DECOMMISSION:
      return "DECOMMIS";
    case ORDER_SCAN_ASTEROID:
      return "SCANATRD";
    case ORDER_SCAN_SHIP:
      return "SCANUNIT";
    case ORDER_BUILD_ATVS:
      return "BILD_ATV";
    case ORDER_LAND_ATVS:
      return "LAND_ATV";
    case ORDER_RECOVER_ATVS:
      return "RCVR_ATV";
    case ORDER_BUILD_SHIP:
      return "UNITCONS";
    case ORDER_MODIFY_SHIP:
      return "UNIT_MOD";
    case ORDER_BUILD_OR_REPAIR_SHIP:
      return "UNITBRPR";
    case ORDER_REPAIR:
    case ORDER_REPAIR_UNIT:
      return "REPAIR__";
    case ORDER_BE_CONSTRUCTED:
      return construction != 0 ? "BECONSTR" : "BEREPAIR";
    case ORDER_GET_REPAIRED:
      return "GETREPAR";
    case ORDER_REBUILD_UNIT:
      return "REBUILD_";
    case ORDER_BOMBARD:
      return "BOMBARD_";
    default:
      return "UNKNOWN_";
  }
}

void GetOrderTypeName(std::uint32_t type, char* out, std::uint16_t construction, std::size_t size) {
  Text(GetOrderTypeNameId(type, construction), out, size);
}

const char* GetOrderVerbId(std::uint32_t type) {
  switch (type) {
    case ORDER_ATTACK_UNIT:
    case ORDER_SPECIAL_ATTACK:
      return "ATTACK__";
    case ORDER_TRANSFER_POWER:
      return "TRANSFTO";
    case ORDER_RECHARGE_FROM_UNIT:
    case ORDER_RECHARGE_FROM_ASTEROID:
      return "RECHARGE";
    case ORDER_SCRAP_UNIT:
      return "SCRAP___";
    case ORDER_DECOMMISSION:
      return "DECOMMIS";
    case ORDER_SCAN_SHIP:
      return "SCAN____";
    // The verb of a modification; an ID the table lacks left it empty.
    case ORDER_MODIFY_SHIP:
      return "MODIFY__";
    case ORDER_REPAIR_UNIT:
      return "REPAIR__";
    case ORDER_REBUILD_UNIT:
      return "REBUILD_";
    case ORDER_SELF_DESTRUCT:
      return "SELFDSCT";
    case ORDER_FOLLOW_FRIEND:
      return "FOLOWFD2";
    case ORDER_BOMBARD:
      return "BOMBARD_";
    case ORDER_MENTAL_ATTACK:
      return "MINDATT_";
    case ORDER_STUNNED:
      return "STUNNED_";
    default:
      return nullptr;
  }
}

void CGUnit::GetNextOrderVerb(char* out, std::size_t size) const {
  if (size == 0) return;
  out[0] = '\0';
  const UnitOrder* next = orders.GetAt(1);
  if (next == nullptr) return;
  if (next->type == ORDER_TYPE_26 || next->type == ORDER_CANCEL_FIRST || next->type == ORDER_TYPE_33) {
    TraceError("No verb for this order", __FILE__, __LINE__);
    return;
  }
  if (next->type == ORDER_BOMBARD) return AsteroidText("BOMBARD_", "BOMBARDA", next->Asteroid(), out, size);
  Text(GetOrderVerbId(next->type), out, size);
}

void CGUnit::GetOrderStatusText(std::int32_t index, char* out, std::size_t size) {
  const UnitOrder* order = index >= 0 && index < 0xFFFF ? orders.GetAt(static_cast<std::uint16_t>(index)) : nullptr;
  if (order == nullptr) return Text("NO_ORDER", out, size);
  const bool started = stage != kStageNotStarted;
  auto choose = [&](const char* running, const char* preparing) { Text(started ? running : preparing, out, size); };
  switch (order->type) {
    case ORDER_MOVE_TO_LOCATION:
      return Text("MOVTOLOC", out, size);
    case ORDER_GO_TO_UNIT: {
      char verb[32];
      GetNextOrderVerb(verb, sizeof verb);
      return Text("GOINGTO_", out, size, verb);
    }
    case ORDER_MOVE_TO_ASTEROID:
      return AsteroidText("MOVINGTO", "MOVTOAST", order->Asteroid(), out, size);
    case ORDER_MOVE_NEXT_TO_ASTEROID:
      return AsteroidText("MVNXTANM", "MVNXTAST", order->Asteroid(), out, size);
    case ORDER_RETREAT:
      return Text("RETREATG", out, size);
    case ORDER_ATTACK_UNIT:
    case ORDER_SPECIAL_ATTACK:
      return Text("ATTACKUT", out, size);
    case ORDER_TRANSFER_POWER: {
      const bool inRange = order->target != nullptr && IsUnitInRange(6, order->target, kWorkRangeSq) != 0;
      return Text(inRange ? "TRANSPWR" : "MTRNSPWR", out, size);
    }
    case ORDER_RECHARGE_FROM_UNIT:
      return choose("RECHGING", "ABOUTRCG");
    case ORDER_RECHARGE_FROM_ASTEROID:
      return choose("RECHGNGA", "ABOUTRGA");
    case ORDER_SCRAP_UNIT:
      return choose("SCRAPPNG", "ABOUTSCP");
    case ORDER_DECOMMISSION:
      return Text("DECOMMNG", out, size);
    case ORDER_SCAN_ASTEROID:
      return Text("SCANASTD", out, size);
    case ORDER_SCAN_SHIP:
      return Text("SCANSHIP", out, size);
    case ORDER_BUILD_ATVS:
      return Text("BUILDATV", out, size);
    case ORDER_LAND_ATVS:
      return Text("LANDATVS", out, size);
    case ORDER_RECOVER_ATVS:
      return Text("RECOVATV", out, size);
    case ORDER_BUILD_SHIP:
      return Text("BUILDSHP", out, size);
    case ORDER_MODIFY_SHIP:
      return Text("MODFYSHP", out, size);
    case ORDER_BUILD_OR_REPAIR_SHIP:
      return Text("BLDRPRSP", out, size);
    case ORDER_REPAIR:
    case ORDER_BE_CONSTRUCTED:
    case ORDER_GET_REPAIRED:
      return Text("REPAIRNG", out, size);
    case ORDER_REPAIR_UNIT:
      return choose("REPRUNIT", "ABOUTRPR");
    case ORDER_REBUILD_UNIT:
      return choose("REBLDING", "ABOUTRBD");
    case ORDER_SELF_DESTRUCT:
      return Text("SELFDSTG", out, size);
    case ORDER_DELAYED_MOVE:
      return AsteroidText("DELYMOV_", "DELYMOVA", order->Asteroid(), out, size);
    case ORDER_FOLLOW_FRIEND:
      if (started) return Text("FOLOWFD1", out, size, GetSerialFromId(order->Word(0)));
      return Text("FOLOWFD2", out, size);
    case ORDER_DEFEND:
      if (index != 0) return Literal("Will be defending", out, size);
      return Text("DEFENDNG", out, size, AsteroidName(location.asteroid));
    case ORDER_ATTACK_ENEMY_AT_ASTEROID:
      if (index != 0) return Literal("Will be attacking", out, size);
      return Text("ATTACKEN", out, size, AsteroidName(location.asteroid));
    case ORDER_CANCEL_FIRST:
      return Text("CANCELNG", out, size);
    case ORDER_BOMBARD:
      return AsteroidText("BOMBARD_", "BOMBARDA", order->Asteroid(), out, size);
    case ORDER_MENTAL_ATTACK:
      return Text("MNDATTEN", out, size);
    case ORDER_STUNNED:
      return Text("STUNNED_", out, size);
    default:
      TraceError("No status text for this order", __FILE__, __LINE__);
      return;
  }
}
