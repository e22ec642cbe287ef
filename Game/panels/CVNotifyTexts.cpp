// What a notification line says, per category and code, and its colours.
#include <cctype>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GNotify.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitOrder.h"
#include "Game/panels/CVNotify.h"
#include "Game/panels/NotifyColours.h"
#include "Game/panels/NotifyNames.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"

using namespace plat;
using namespace notify_names;

namespace {

// The finished text of a text ID; empty when the index lacks it.
template <class... Args>
std::string Text(const char* id, const Args&... args) {
  if (!g_gameData || !g_gameData->textIndex) return {};
  const std::unique_ptr<char[]> text = g_gameData->textIndex->GetTextAlloc(id, args...);
  return text ? std::string(text.get()) : std::string();
}

std::string UnitName(const CGUnit* unit) { return unit && unit->GetName() ? unit->GetName() : ""; }

std::string OrderName(std::uint32_t type, std::uint16_t construction) {
  char name[50] = {};
  GetOrderTypeName(type, name, construction, sizeof name);
  return name;
}

// The status of the unit's current order, to stand inside a sentence: an
// upper-case first letter becomes lower case.
std::string OrderStatus(CGUnit* unit) {
  char status[50] = {};
  unit->GetOrderStatusText(0, status, sizeof status);
  if (status[0] >= 'A' && status[0] <= 'Z') status[0] = static_cast<char>(status[0] + 32);
  return status;
}

std::string DesignClassName(const CGUnit* unit) {
  const CGUnitTemplate* design = unit ? unit->GetTemplate() : nullptr;
  const char* name = design ? design->GetClassName() : nullptr;
  return name ? name : "";
}

std::string UnitEventText(const Notification& n) {
  CGUnit* unit = Unit(n.param3);
  const std::int16_t code = static_cast<std::int16_t>(n.code);
  switch (code) {
    case notify::kOrderDone:
    case notify::kOrderCancelled:
    case notify::kUnitDestroyed:
    case notify::kShipScanned:
    case notify::kUnitDamaged:
    case notify::kOutOfAmmo:
    case notify::kOrderHeld:
    case notify::kTargetStunned:
      if (!unit) return Text("UNITDEAD");
      break;
    default:
      break;
  }
  const std::string name = UnitName(unit);
  switch (code) {
    case notify::kOrderDone: {
      const bool hasOrder = unit->GetOrderCount() > 0;
      if (n.param2 == ORDER_STUNNED)
        return hasOrder ? Text("NOTSTUNA", name, OrderStatus(unit)) : Text("NOTSTUND", name);
      if (n.param2 == ORDER_RETREAT) return Text("ORDRCPTR", name);
      const std::string order = OrderName(n.param2, n.param1);
      return hasOrder ? Text("ORDCMPL2", name, order, OrderStatus(unit)) : Text("ORDRCPTC", name, order);
    }
    case notify::kOrderCancelled: {
      char failure[124] = {};
      GetOrderFailureText(static_cast<std::int32_t>(n.param2), failure, sizeof failure);
      return Text("ORDRCANC", name, OrderName(n.param1, 0), std::string(failure));
    }
    case notify::kUnitDestroyed:
      return unit->GetChapter() == (LocalChapterId()) ? Text("ENEMDST2", name) : Text("ENEMDST1", name);
    case notify::kShipScanned:
      // The scanned unit's report is at hand: the model marks it.
      if (CGUnit* scanned = Unit(n.param2)) scanned->scanReport = 1;
      return Text("PROBRSLT", name);
    case notify::kAsteroidScanned:
      return Text("SURVRSLT", Asteroid(n.param2), GuildChapter(n.param1));
    case notify::kAtvsLanded: {
      const bool local = g_gameData && n.param2 == g_gameData->localChapterId;
      const std::int32_t count = n.param1;
      const std::string atvs = Field(n.text2);
      const std::string where = Asteroid(n.param3);
      if (count > 1)
        return local ? Text("ATVSLAND", count, atvs, where) : Text("OATVLAND", Chapter(n.param2), count, atvs, where);
      return local ? Text("ATVLAND_", atvs, where) : Text("OATVLND_", Chapter(n.param2), count, atvs, where);
    }
    case notify::kMiningRaised:
      return Text(n.param1 == 1 ? "MINRAIS1" : "MINRAIS0", Asteroid(n.param2));
    case notify::kStackingRaised:
      return Text(n.param1 == 1 ? "RASSTCK1" : "RASSTCK0", Asteroid(n.param2));
    case notify::kUnitDamaged:
      return Text("UNTOPDAM", name, Module(n.param1));
    case notify::kOutOfAmmo:
      return Text("NOAMMO__", name, Module(n.param1));
    case notify::kOrderHeld:
      return Text("ORDHOLDD", name, OrderName(n.param2, 0));
    case notify::kTargetStunned:
      return Text("STUNDTGT", name);
    case notify::kAtvsBuilt:
      switch (n.param1 & 0xFF) {
        case 0:
          return Text("ATVSBULT", Asteroid(High(n.param2)), Field(n.text1));
        case 1:
          return Text("STACKING", Asteroid(High(n.param2)));
        case 2:
          return Text("NO_RESRC", Asteroid(High(n.param2)));
        default:
          return {};
      }
    case notify::kLandingHeldBack:
      return Text("SCAN_OOD", Asteroid(n.param2));
    default:
      return Text("UNITUNKN");
  }
}

std::string EconomyEventText(const Notification& n) {
  const std::int32_t param = n.param1;
  switch (static_cast<std::int16_t>(n.code)) {
    case notify::kShipBought:
      return Text("SHIPBGHT", HullClass(n.param2));
    case notify::kShipBidRejected:
      return Text("BIDFAILD", HullClass(n.param2));
    case notify::kMineralsSold:
      return Text("MINSSOLD", param, Mineral(n.param2), Asteroid(Low(n.param3)), Chapter(High(n.param3)));
    case notify::kMineralsBought:
      return Text("MINSBGHT", param, Mineral(n.param2), Chapter(High(n.param3)), Asteroid(Low(n.param3)));
    case notify::kMineralOfferGone:
      return Text("NOMINSEL", Mineral(n.param2), Chapter(n.param3), Asteroid(n.param1));
    case notify::kTransferReceived:
      return Text("XFERRECV", param, Mineral(n.param2), Asteroid(High(n.param3)), Asteroid(Low(n.param3)));
    case notify::kShipSold:
      if (Low(n.param3) != 0xFFFF)
        return Text("SHIPSOLD", HullClass(n.param1), Chapter(n.param2), Asteroid(Low(n.param3)));
      return Text("SHIPSOLX", HullClass(n.param1), Chapter(n.param2));
    case notify::kResourcesMined:
      return Text("RESMINED", static_cast<std::int32_t>(n.param2), static_cast<std::int32_t>(Low(n.param3)),
                  static_cast<std::int32_t>(High(n.param3)), FieldNumber(n.text1), Asteroid(n.param1));
    case notify::kShipLost:
      return Text("SHPBIDFL", HullClass(n.param2));
    case notify::kShipPosted: {
      const CGUnit* unit = Unit(n.param3);
      return unit ? Text("SHIPPOST", DesignClassName(unit)) : std::string();
    }
    case notify::kPowerMined:
      return Text("PWRMINED", static_cast<std::int32_t>(n.param3), Asteroid(n.param1),
                  static_cast<std::int32_t>(n.param2));
    case notify::kVotePosted:
      return Text("VOTEPOST", Asteroid(n.param1));
    case notify::kVoteBidRejected:
      return Text("VOTEBFLD", Asteroid(n.param1));
    case notify::kVoteBought:
      return Text("VOTEBGHT", Asteroid(n.param1));
    case notify::kVoteNotHeld:
      return Text("VOTE!OW1", Asteroid(n.param1));
    case notify::kVoteOfferRescinded:
      return Text("VOTE!OW2", Asteroid(n.param1));
    case notify::kMineralOffersPosted:
      return Text("MINOFFRP");
    case notify::kShipHasOrder: {
      const CGUnit* unit = Unit(n.param3);
      return unit ? Text("HASORDER", DesignClassName(unit)) : std::string();
    }
    case notify::kRecycled: {
      const CGUnit* unit = Unit(n.param3);
      const std::int32_t low = Low(n.param2), high = High(n.param2), fourth = FieldNumber(n.text1);
      return unit ? Text("RESRCVRD", param, low, high, fourth, UnitName(unit))
                  : Text("RECYFRDD", param, low, high, fourth);
    }
    case notify::kAtvBuildReduced: {
      const CGUnit* unit = Unit(n.param3);
      return unit ? Text("BLDREDUC", UnitName(unit)) : std::string();
    }
    case notify::kTraitNoOrganics:
      return Text("TRTNOCRD");
    case notify::kTraitNoVotes:
      return Text("TRTNOVOT");
    case notify::kTraitAlreadyHeld:
      return Text("TRT_UOWN");
    case notify::kTraitBought:
      return Text("TRTBUYOK");
    case notify::kTransferFailed:
      return Text("XFERFAIL", param, Mineral(n.param2), Asteroid(Low(n.param3)), Asteroid(High(n.param3)),
                  Mineral(n.param2));
    case notify::kVoteOffersPosted:
      return Text("VOTOFFRP");
    case notify::kMiningLost:
      return Text("MINEFAIL", Asteroid(n.param1));
    case notify::kVoteSold:
      return Text("VOTESOLD", Asteroid(n.param1), Chapter(n.param2));
    case notify::kLostToBlockade:
      return Text("MINLSTBK", static_cast<std::int32_t>(n.param3), Mineral(n.param2), Asteroid(n.param1));
    case notify::kShipOffersPosted:
      return Text("SHPOFFRP");
    default:
      return Text("TRADUNKN");
  }
}

// How much a relation changed (by the signed change) and why (by the reason code).
std::string RelationText(const Notification& n, bool better) {
  const std::int16_t change = static_cast<std::int16_t>(n.param1);
  const char* degreeId = nullptr;
  if (better)
    degreeId = change <= 5 ? "SLIGHTLY" : change <= 14 ? "MODERATL" : "GREATLY_";
  else
    degreeId = change >= -5 ? "SLIGHTLY" : change >= -14 ? "MODERATL" : "GREATLY_";
  std::string degree = Text(degreeId);
  if (degree.size() > 49) degree.resize(49);
  std::string reason;
  if (AsteroidExists(n.param3)) {
    reason = Text("YOURACTS", Asteroid(n.param3));
  } else {
    const char* id = nullptr;
    switch (n.param3) {
      case 255:
        id = better ? "YOURTRAD" : nullptr;
        break;
      case 254:
        id = better ? "YOURLDEC" : "YOURRDEC";
        break;
      case 253:
        id = better ? "YOURIDEC" : "YOURNDEC";
        break;
      case 252:
        id = better ? nullptr : "YOURMSGS";
        break;
      default:
        break;
    }
    if (id) reason = Text(id);
  }
  if (reason.size() > 99) reason.resize(99);
  return Text(better ? "RELAGOOD" : "RELA_BAD", GuildChapter(n.param2 & 7), degree, reason);
}

std::string DiplomacyEventText(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case notify::kUnderAttack:
      return Text("UNDATTAK", GuildChapter(n.param2), static_cast<std::int32_t>(n.param2), Asteroid(n.param1));
    case notify::kRelationsWorsened:
      return RelationText(n, false);
    case notify::kRelationsImproved:
      return RelationText(n, true);
    default:
      return Text("DIPLUNKN");
  }
}

std::string GameEventText(const Notification& n) {
  const std::uint16_t local = LocalChapterId();
  const std::string where = Asteroid(n.param2);
  switch (static_cast<std::int16_t>(n.code)) {
    case notify::kSpaceBattle:
      return Text(n.param1 == 0 ? "ENCRTRAT" : "SPCREPLA", where);
    case notify::kWelcome:
      return Text("WELCOME_", where);
    case notify::kTurnComplete:
      return Text("TURNCPLT");
    case notify::kResearchComplete:
    case notify::kBreakthroughNear: {
      const char* type = g_gameData && g_gameData->moduleDB ? g_gameData->moduleDB->GetTypeText(n.param1) : nullptr;
      return Text(n.code == notify::kResearchComplete ? "RSCHCPLT" : "BREKTHRU", std::string(type ? type : ""),
                  Module(n.param1));
    }
    case notify::kResearchSetback:
      return Text("RSCHSTBK", Module(n.param1));
    case notify::kControlGained:
      return Text("ATRDTAKN", where);
    case notify::kControlLost:
      return Text("ATRDLOST", where);
    case notify::kChapterEliminated:
      return Text("PLYRELIM", Chapter(n.param2), static_cast<std::int32_t>(n.param2));
    case notify::kCrossResearch:
      return Text("CROSRSCH", Module(n.param1), Module(n.param2));
    case notify::kTerrainBattle:
      return Text("TERREPLA", where);
    case notify::kInterregnumBegun:
    case notify::kInterregnumEnded: {
      const bool ours = g_gameData && n.param1 == g_gameData->GetLocalGuildIndex();
      if (n.code == notify::kInterregnumBegun) return ours ? Text("INTREGN1") : Text("INTREGN2", GuildName(n.param1));
      return ours ? Text("INTREGN3") : Text("INTREGN4", GuildName(n.param1));
    }
    case notify::kAsteroidLocated: {
      const std::uint32_t perGuild = g_gameData ? g_gameData->chaptersPerGuild : 0;
      if (n.param1 == local) return Text("ATRDDSC1", where);
      if (n.param1 < 32 + perGuild) return Text("ATRDDSC2", Chapter(n.param1), where);
      return {};
    }
    case notify::kArtifactFound: {
      static constexpr const char* kIds[] = {"ARTIFAC0", "ARTIFAC1", "ARTIFAC2", "ARTIFAC3", "ARTIFAC5"};
      if (n.param3 > 4) return {};
      return Text(kIds[n.param3], static_cast<std::int32_t>(n.param1), where);
    }
    case notify::kEnemyDetected: {
      const CGUnit* unit = Unit(n.param3);
      if (!unit) return Text("ENMYWASA", Asteroid(n.param1));
      const CGChapter* owner =
          g_gameData && g_gameData->guildList ? g_gameData->guildList->GetChapter(unit->GetChapter()) : nullptr;
      const CGChapter* mine = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
      const bool ally =
          owner && mine && owner->guild == mine->guild && owner->renegade == 0 && owner->camp == mine->camp;
      return Text(ally ? "GLDSHPDT" : "ENMYDTCD", DesignClassName(unit), Asteroid(n.param1));
    }
    case notify::kAtvsUpgraded: {
      static constexpr const char* kIds[] = {"CATVSUPG", "MATVSUPG", "PATVSUPG", "SATVSUPG"};
      if (n.param1 < 1 || n.param1 > 4) return {};
      return Text(kIds[n.param1 - 1]);
    }
    case notify::kAsteroidsCollided:
      return Text("ASTCLLID", where, Asteroid(n.param1));
    case notify::kWelcomeSolarView:
      return Text("WELCOME2");
    case notify::kWelcomeGotoButton:
      return Text("WELCOME3");
    case notify::kWelcomeSurface:
      return Text("WELCOME4");
    case notify::kWelcomeDesign:
      return Text("WELCOME5");
    case notify::kWelcomeGoodLuck:
      return Text("WELCOME6");
    case notify::kTerrainMovement:
      return Text("TERNMOVE", where);
    case notify::kAutomanageOff:
      return Text("AUTODEAC", where);
    case notify::kHullResearched:
      return Text("HULLCPLT", HullClass(n.param1));
    case notify::kResearchUnspent:
      return Text("UNUSEDSB", static_cast<std::int32_t>(n.param2));
    case notify::kBlockadeImposed:
      return Text("BLOCK_ON", where);
    case notify::kBlockadeLifted:
      return Text("BLOCLIFT", where);
    default:
      return Text("UNKNGAME");
  }
}

std::string ChatEventText(const Notification& n) {
  if (static_cast<std::int16_t>(n.code) == notify::kRemoveForces)
    return Text("GET__OUT", Chapter(n.param2), Asteroid(n.param1));
  return Text("CHATUNKN");
}

std::string VoteEventText(const Notification& n) {
  switch (static_cast<std::int16_t>(n.code)) {
    case notify::kDeclaredRenegade:
      return Text("RENEGADE", Chapter(n.param2));
    case notify::kDeclaredLoyal:
      return Text("LOYAL___", Chapter(n.param2));
    case notify::kRenegadeVoteCast:
      return Text("URRENEGA", GuildChapter(n.param1));
    case notify::kRenegadeVoteWithdrawn:
      return Text("UR_LOYAL", GuildChapter(n.param1));
    case notify::kBackingGiven:
      return Text("UR_IMPER", GuildChapter(n.param1));
    // The withdrawn support's text is the one the string table holds.
    case notify::kBackingWithdrawn:
      return Text("UPNOTIMP", GuildChapter(n.param1));
    default:
      return Text("VOTEUNKN");
  }
}

}  // namespace

NotifyLineText CVNotify::FormatEntry(int entry) const {
  const Notification* n = list ? list->GetEntry(entry) : nullptr;
  if (!n || n->category < 1 || n->category > 6) return {};
  switch (n->category) {
    case notify::kUnitEvent:
      return FormatUnitEvent(entry);
    case notify::kTradeEvent:
      return FormatEconomyEvent(entry);
    case notify::kDiplomacyEvent:
      return FormatDiplomacyEvent(entry);
    case notify::kGameEvent:
      return FormatGameEvent(entry);
    case notify::kChatEvent:
      return FormatChatEvent(entry);
    default:
      return FormatVoteEvent(entry);
  }
}

namespace {

NotifyLineText Line(const Notification& n, std::string text) {
  if (n.category < 1 || n.category > 6) return {};
  const notify_colours::CategoryColours& c = notify_colours::kCategories[n.category - 1];
  return {std::move(text), n.read ? notify_colours::kRead : c.unread, c.shadow};
}

}  // namespace

NotifyLineText CVNotify::FormatUnitEvent(int entry) const {
  const Notification* e = list ? list->GetEntry(entry) : nullptr;
  if (!e) return {};
  const Notification& n = *e;
  return Line(n, UnitEventText(n));
}

NotifyLineText CVNotify::FormatEconomyEvent(int entry) const {
  const Notification* e = list ? list->GetEntry(entry) : nullptr;
  if (!e) return {};
  const Notification& n = *e;
  return Line(n, EconomyEventText(n));
}

NotifyLineText CVNotify::FormatDiplomacyEvent(int entry) const {
  const Notification* e = list ? list->GetEntry(entry) : nullptr;
  if (!e) return {};
  const Notification& n = *e;
  return Line(n, DiplomacyEventText(n));
}

NotifyLineText CVNotify::FormatGameEvent(int entry) const {
  const Notification* e = list ? list->GetEntry(entry) : nullptr;
  if (!e) return {};
  const Notification& n = *e;
  return Line(n, GameEventText(n));
}

NotifyLineText CVNotify::FormatChatEvent(int entry) const {
  const Notification* e = list ? list->GetEntry(entry) : nullptr;
  if (!e) return {};
  const Notification& n = *e;
  return Line(n, ChatEventText(n));
}

NotifyLineText CVNotify::FormatVoteEvent(int entry) const {
  const Notification* e = list ? list->GetEntry(entry) : nullptr;
  if (!e) return {};
  const Notification& n = *e;
  return Line(n, VoteEventText(n));
}
