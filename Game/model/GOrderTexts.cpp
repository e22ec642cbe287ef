// The texts that describe an order to the player: its failure, its kind, its
// state in the queue and the verb of a following order.
#include <cstdio>
#include <cstring>
#include <string>

#include "Game/model/GGamePieceDB.h"
#include "Game/base/GIDString.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitLinks.h"
#include "Game/base/TraceError.h"
#include "Game/rules/GRulesLinks.h"

namespace {

// The text of `id` with its arguments into out; empty without a text index.
template <class... Args>
void Text(const char* id, char* out, std::size_t size, const Args&... args) {
  if (size == 0) return;
  out[0] = '\0';
  if (id != nullptr && g_rulesLinks.textIndex != nullptr) g_rulesLinks.textIndex->GetText(id, out, size, args...);
}

void Literal(const char* text, char* out, std::size_t size) {
  if (size == 0) return;
  std::snprintf(out, size, "%s", text);
}

// The asteroid's name as the local player knows it; empty when unknown.
std::string AsteroidName(std::uint16_t asteroid) {
  if (!UnitAsteroidExists(asteroid) || !g_unitLinks.asteroidName) return {};
  return g_unitLinks.asteroidName(asteroid);
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
    case -24: return "UNKNCAUS";
    case -23: return "FAILNOSP";
    case -21: return "TRGTSOLD";
    case -18: return "UNITRETR";
    case -17: return "NOSCANNR";
    case -16: return "NOWEAPON";
    case -14: return "TGTERODE";
    case -13: return "UNIMPLEM";
    case -12: return "NOCONSTM";
    case -11: return "CANTMOVE";
    case -10: return "NOTRANSD";
    case -9: return "BOXED_IN";
    case -8: return "NOWHRTOR";
    case -7: return "TGTINSPC";
    case -6: return "NOTRANRT";
    case -5: return "TARGETOD";
    case -4: return "TARGETDD";
    case -3: return "LACKPOWR";
    case -2: return "LACKCRED";
    case -1: return "LACKMINL";
    default: return nullptr;
  }
}

void GetOrderFailureText(std::int32_t code, char* out, std::size_t size) {
  Text(GetOrderFailureTextId(code), out, size);
}

const char* GetOrderTypeNameId(std::uint32_t type, std::uint16_t construction) {
  switch (type) {
    case 0: case 1: case 2: case 3: return "MOVEMENT";
    case 4: return "RETREAT_";
    case 5: case 31: case 34: return "MOVFRRNG";
    case 6: return "POWERTFR";
    case 7: case 8: return "RECHARGE";
    case 9: return "SCRAP___";
    case 10: return "DECOMMIS";
    case 11: return "SCANATRD";
    case 12: return "SCANUNIT";
    case 13: return "BILD_ATV";
    case 14: return "LAND_ATV";
    case 15: return "RCVR_ATV";
    case 16: return "UNITCONS";
    case 17: return "UNIT_MOD";
    case 18: return "UNITBRPR";
    case 19: case 20: return "REPAIR__";
    case 21: return construction != 0 ? "BECONSTR" : "BEREPAIR";
    case 22: return "GETREPAR";
    case 23: return "REBUILD_";
    case 32: return "BOMBARD_";
    default: return "UNKNOWN_";
  }
}

void GetOrderTypeName(std::uint32_t type, char* out, std::uint16_t construction, std::size_t size) {
  Text(GetOrderTypeNameId(type, construction), out, size);
}

const char* GetOrderVerbId(std::uint32_t type) {
  switch (type) {
    case 5: case 31: return "ATTACK__";
    case 6: return "TRANSFTO";
    case 7: case 8: return "RECHARGE";
    case 9: return "SCRAP___";
    case 10: return "DECOMMIS";
    case 12: return "SCAN____";
    // The verb of a modification; an ID the table lacks left it empty.
    case 17: return "MODIFY__";
    case 20: return "REPAIR__";
    case 23: return "REBUILD_";
    case 24: return "SELFDSCT";
    case 27: return "FOLOWFD2";
    case 32: return "BOMBARD_";
    case 34: return "MINDATT_";
    case 35: return "STUNNED_";
    default: return nullptr;
  }
}

void CGUnit::GetNextOrderVerb(char* out, std::size_t size) const {
  if (size == 0) return;
  out[0] = '\0';
  const UnitOrder* next = orders.GetAt(1);
  if (next == nullptr) return;
  if (next->type == 26 || next->type == 30 || next->type == 33) {
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
    case 0: return Text("MOVTOLOC", out, size);
    case 1: {
      char verb[32];
      GetNextOrderVerb(verb, sizeof verb);
      return Text("GOINGTO_", out, size, verb);
    }
    case 2: return AsteroidText("MOVINGTO", "MOVTOAST", order->Asteroid(), out, size);
    case 3: return AsteroidText("MVNXTANM", "MVNXTAST", order->Asteroid(), out, size);
    case 4: return Text("RETREATG", out, size);
    case 5: case 31: return Text("ATTACKUT", out, size);
    case 6: {
      const bool inRange = order->target != nullptr && IsUnitInRange(6, order->target, kWorkRangeSq) != 0;
      return Text(inRange ? "TRANSPWR" : "MTRNSPWR", out, size);
    }
    case 7: return choose("RECHGING", "ABOUTRCG");
    case 8: return choose("RECHGNGA", "ABOUTRGA");
    case 9: return choose("SCRAPPNG", "ABOUTSCP");
    case 10: return Text("DECOMMNG", out, size);
    case 11: return Text("SCANASTD", out, size);
    case 12: return Text("SCANSHIP", out, size);
    case 13: return Text("BUILDATV", out, size);
    case 14: return Text("LANDATVS", out, size);
    case 15: return Text("RECOVATV", out, size);
    case 16: return Text("BUILDSHP", out, size);
    case 17: return Text("MODFYSHP", out, size);
    case 18: return Text("BLDRPRSP", out, size);
    case 19: case 21: case 22: return Text("REPAIRNG", out, size);
    case 20: return choose("REPRUNIT", "ABOUTRPR");
    case 23: return choose("REBLDING", "ABOUTRBD");
    case 24: return Text("SELFDSTG", out, size);
    case 25: return AsteroidText("DELYMOV_", "DELYMOVA", order->Asteroid(), out, size);
    case 27:
      if (started) return Text("FOLOWFD1", out, size, GetSerialFromId(order->Word(0)));
      return Text("FOLOWFD2", out, size);
    case 28:
      if (index != 0) return Literal("Will be defending", out, size);
      return Text("DEFENDNG", out, size, AsteroidName(location.asteroid));
    case 29:
      if (index != 0) return Literal("Will be attacking", out, size);
      return Text("ATTACKEN", out, size, AsteroidName(location.asteroid));
    case 30: return Text("CANCELNG", out, size);
    case 32: return AsteroidText("BOMBARD_", "BOMBARDA", order->Asteroid(), out, size);
    case 34: return Text("MNDATTEN", out, size);
    case 35: return Text("STUNNED_", out, size);
    default: TraceError("No status text for this order", __FILE__, __LINE__); return;
  }
}
