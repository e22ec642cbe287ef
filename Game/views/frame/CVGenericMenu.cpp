// The order popup menus of goto slots, units and asteroids: which items fit
// the object, and what each chosen item does.
#include <initializer_list>
#include <span>
#include <string>
#include <utility>

#include "Game/app/AppGlobals.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/net/NetSession.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GDefBP.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/Voices.h"
#include "platform/dialog/ownerdraw.h"
#include "platform/user/system.h"

using namespace plat;
using namespace orders;

namespace {

// Menu command ids.
enum MenuCommand : std::uint32_t {
  CMD_SET_GOTO = 501,
  CMD_TRANSPORT = 506,
  CMD_GO_TERRAIN = 507,
  CMD_GO_SPACE = 508,
  CMD_SELL = 510,
  CMD_BASIC_DATA = 514,
  CMD_DAMAGE_DATA = 515,
  CMD_VOTES_FOR_SALE = 516,
  CMD_CLEAR_GOTO = 520,
  CMD_ORDERS_DATA = 521,
  CMD_DISTRIBUTE = 524,
  CMD_ASTEROID_POWER = 525,
  CMD_SCAN = 601,
  CMD_TRANSFER_POWER = 602,
  CMD_RECHARGE = 603,
  CMD_REPAIR_TARGET = 604,
  CMD_CONSTRUCT_SHIP = 605,
  CMD_MODIFY_TARGET = 607,
  CMD_CONSTRUCT_ATVS = 609,
  CMD_LAND_ATVS = 610,
  CMD_SCRAP = 611,
  CMD_DECOMMISSION = 612,
  CMD_REPAIR_SELF = 613,
  CMD_RECOVER_ATVS = 614,
  CMD_SELF_DESTRUCT = 615,
  CMD_BATTLE_PLAN = 616,
  CMD_FORMATION_MOVE = 617,
  CMD_RENDEZVOUS = 618,
  CMD_SPECIAL_WEAPON = 619,
  CMD_DELETE_ORDERS = 620,
  CMD_CONSTRUCT_MENU = 700,
  CMD_DISPLAY_MENU = 701,
};

constexpr std::uint8_t kMenuAsteroid = 0;
constexpr std::uint8_t kMenuUnit = 2;
constexpr std::uint8_t kMenuTerrainAsteroid = 12;
// Zone 0's owner while the asteroid's centre has not been surveyed.
constexpr std::uint8_t kZoneNoData = 253;
constexpr int kBombardGuild = 3;
constexpr int kMinesGuild = 1;

// Appends an item whose pictures are "<normal><stem>.ima" and
// "<lit><stem>.ima" in the local guild's art and module.
void Append(CPopupMenu& menu, std::uint32_t id, const char* stem, const char* normal = "pm", const char* lit = "ph") {
  const std::string art = g_instData.GetGuildPath(LocalGuild());
  const std::string a = art + normal + stem + ".ima";
  const std::string b = art + lit + stem + ".ima";
  menu.AppendItem(id, a.c_str(), b.c_str(), g_gameData ? g_gameData->GetGuildModule(LocalGuild()) : nullptr);
}

// A submenu item of `menu` with its own items, cascading beside it.
void AppendSubmenu(CPopupMenu& menu, std::uint32_t id, const char* stem,
                   std::initializer_list<std::pair<std::uint32_t, const char*>> items, int x, int y) {
  Append(menu, id, stem, "sm", "sh");
  auto* sub =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, x, y, 0xFFFF, 1);
  for (const auto& [itemId, itemStem] : items) Append(*sub, itemId, itemStem);
  menu.AttachSubmenu(id, sub);
}

int AtvSum(const CGUnit& unit) {
  int sum = 0;
  for (std::uint8_t n : unit.atvCargo) sum += n;
  return sum;
}

void SendToAll(std::span<std::uint8_t> packet) {
  if (g_session) g_session->Send(kAllPlayersSlot, packet.data(), static_cast<std::uint32_t>(packet.size()));
}

// The prompt of a mode entered on the menu's object.
void EnterMode(CVGeneric& view, std::uint32_t mode, const char* prompt) {
  SharedScreen().commandMode = mode;
  SharedScreen().commandUnitId = SharedScreen().menuObjectId;
  Tell(view, prompt);
  view.UpdateCursor();
}

}  // namespace

void ReleasePopupMenu(CPopupMenu* menu) { delete menu; }

int CVGeneric::ShowOrderMenu(int flags, std::uint32_t id, int x, int y) {
  ClosePopupMenu();
  SharedScreen().popupMenu =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite,
                     static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), 0xFFFF, 0);
  if (flags & 1) AddGotoMenuItems(x, y);
  if (flags & 4) {
    SharedScreen().menuObjectKind = kMenuUnit;
    SharedScreen().menuObjectId = id;
    CGUnit* unit = nullptr;
    if (g_gameData) {
      const std::uint16_t here = GetCurrentAsteroidId();
      if (here != 0xFFFF) unit = g_gameData->pieces.FindOperationalUnitAt(here, id);
      if (!unit) unit = g_gameData->pieces.FindOperationalUnit(id, nullptr);
    }
    bool refused = !unit || !CanOrderUnit(unit);
    if (!refused) {
      const UnitOrder* first = unit->GetOrder(0);
      if (first && first->type == ORDER_STUNNED) {
        Tell(*this, "NOORDSTN", 0, kShortTextSize);
        MessageBeep(MB_ICONEXCLAMATION);
        ClosePopupMenu();
        return 0;
      }
      AddUnitOrderItems(unit, x, y);
    }
    if (refused && flags == 4) {
      ClosePopupMenu();
      return 0;
    }
  }
  if (flags & (2 | 8)) {
    SharedScreen().menuObjectKind = flags & 2 ? kMenuAsteroid : kMenuTerrainAsteroid;
    SharedScreen().menuObjectId = id;
    AddAsteroidMenuItems(FindAsteroid(id), id, y);
  }
  SharedScreen().popupMenu->Track();
  return 1;
}

void CVGeneric::AddGotoMenuItems(int x, int /*y*/) {
  if (!SharedScreen().popupMenu) return;
  Append(*SharedScreen().popupMenu, CMD_SET_GOTO, "setgot");
  const GotoEntry& e =
      SharedScreen().gotoSlots[static_cast<std::size_t>(GetGotoSlotAtX(x)) % SharedScreen().gotoSlots.size()];
  if (e.kind != GOTO_EMPTY) Append(*SharedScreen().popupMenu, CMD_CLEAR_GOTO, "clrgot");
}

void CVGeneric::AddUnitOrderItems(CGUnit* unit, int x, int y) {
  SharedScreen().commandMode = kNoCommandMode;
  SharedScreen().commandUnitId = 0xFFFFFFFF;
  if (!SharedScreen().popupMenu || !unit || !g_gameData) return;
  CPopupMenu& menu = *SharedScreen().popupMenu;
  const std::uint32_t selected = SelectionCount();
  const bool atAsteroid = unit->location.asteroid < SolarSpace();
  AppendSubmenu(menu, CMD_DISPLAY_MENU, "disply",
                {{CMD_BASIC_DATA, "basic"}, {CMD_DAMAGE_DATA, "damage"}, {CMD_ORDERS_DATA, "orders"}}, x, y);
  if (unit->GetSpeed() != 0) Append(menu, CMD_RENDEZVOUS, "rndzvs");
  if (selected > 1) Append(menu, CMD_FORMATION_MOVE, "frmmve");
  if (unit->GetSurveyRate() != 0 || g_gameData->SelectionCanSurvey()) Append(menu, CMD_SCAN, "scan");
  if (atAsteroid) {
    if (unit->GetTransferRate() != 0 || g_gameData->SelectionCanTransferPower())
      Append(menu, CMD_TRANSFER_POWER, "xfrpow");
    Append(menu, CMD_RECHARGE, "rchgfr");
    if (unit->GetConstructionCapacity() != 0 || g_gameData->SelectionCanConstruct())
      AppendSubmenu(menu, CMD_CONSTRUCT_MENU, "constr",
                    {{CMD_CONSTRUCT_SHIP, "conshp"},
                     {CMD_MODIFY_TARGET, "modtar"},
                     {CMD_REPAIR_TARGET, "reptar"},
                     {CMD_SCRAP, "scrap"}},
                    x, y);
    Append(menu, CMD_REPAIR_SELF, "repsel");
    Append(menu, CMD_DECOMMISSION, "decom");
    const std::int32_t capacity = unit->GetAtvCapacity();
    if (selected <= 1 && capacity != 0) {
      const int carried = AtvSum(*unit);
      CGAsteroid* asteroid = FindAsteroid(unit->location.asteroid);
      const CGZone* centre = asteroid ? asteroid->GetZone(0) : nullptr;
      if (carried < capacity) Append(menu, CMD_CONSTRUCT_ATVS, "conatv");
      if (carried != 0 && centre && centre->owner != kZoneNoData) Append(menu, CMD_LAND_ATVS, "lndatv");
      if (carried < capacity && asteroid && asteroid->IsChapterPresent(static_cast<std::uint8_t>(unit->GetChapter())))
        Append(menu, CMD_RECOVER_ATVS, "recatv");
    }
    if (selected <= 1 && GetViewType() == VIEW_ASTEROID_SPACE) Append(menu, CMD_SELL, "sell");
    if (selected <= 1) Append(menu, CMD_SELF_DESTRUCT, "selfds");
    if (unit->HasSpecialWeapon(nullptr)) {
      if (unit->GetGuild() == kBombardGuild)
        Append(menu, CMD_SPECIAL_WEAPON, "bmbard");
      else if (unit->GetGuild() == kMinesGuild)
        Append(menu, CMD_SPECIAL_WEAPON, unit->IsSpecialWeaponArmed() ? "deacmn" : "actimn");
    }
  }
  Append(menu, CMD_BATTLE_PLAN, "batpln");
  if (unit->GetOrderCount() > 0) Append(menu, CMD_DELETE_ORDERS, "delord");
}

void CVGeneric::AddAsteroidMenuItems(CGAsteroid* asteroid, std::uint32_t id, int /*y*/) {
  if (!SharedScreen().popupMenu || !asteroid) return;
  CPopupMenu& menu = *SharedScreen().popupMenu;
  const std::uint32_t view = GetViewType();
  const bool showing = GetCurrentAsteroidId() == id;
  if (view != VIEW_SOLAR) Append(menu, CMD_TRANSPORT, "transp");
  if (!(view == VIEW_ASTEROID_SPACE && showing)) Append(menu, CMD_GO_SPACE, "gospac");
  if (!(view == VIEW_TERRAIN && showing)) Append(menu, CMD_GO_TERRAIN, "goterr");
  const std::uint16_t local = LocalChapterId();
  if (asteroid->controller == local) Append(menu, CMD_VOTES_FOR_SALE, "selvot");
  if (asteroid->owner == local) Append(menu, CMD_DISTRIBUTE, "dstres");
  if (asteroid->GetChapterPowerOutput(local) != 0) Append(menu, CMD_ASTEROID_POWER, "xfrpow");
}

LRESULT CVGeneric::OnMenuCommand(std::uint32_t id) {
  int menuX = 0;
  if (SharedScreen().popupMenu) SharedScreen().popupMenu->GetPosition(&menuX, nullptr);
  const auto asteroid = static_cast<std::uint16_t>(SharedScreen().menuObjectId);
  const LPARAM asteroidView = static_cast<LPARAM>(kAsteroidSubject | asteroid);
  CGUnit* unit = nullptr;
  if (SharedScreen().menuObjectKind == kMenuUnit)
    unit = FindUnitNear(GetCurrentAsteroidId(), SharedScreen().menuObjectId);
  bool gotoChanged = false;
  switch (id) {
    case CMD_TRANSPORT:
      GoToView(VIEW_SOLAR, -1);
      break;
    case CMD_GO_TERRAIN:
      GoToView(VIEW_TERRAIN, asteroidView);
      break;
    case CMD_GO_SPACE:
      GoToView(VIEW_ASTEROID_SPACE, SharedScreen().menuObjectKind == kMenuUnit
                                        ? static_cast<LPARAM>(SharedScreen().menuObjectId)
                                        : asteroidView);
      break;
    case CMD_BASIC_DATA:
    case CMD_DAMAGE_DATA:
    case CMD_ORDERS_DATA:
      // The unit's summary, damage or orders page in the data panel.
      if (SharedScreen().dataPanel && unit) {
        const std::uint8_t page = id == CMD_BASIC_DATA ? 0 : id == CMD_DAMAGE_DATA ? 1 : 3;
        SharedScreen().dataPanel->ShowUnitStatus(unit, page);
        FlushScreen();
      }
      break;
    case CMD_VOTES_FOR_SALE:
      OfferAsteroidVotes(asteroid);
      break;
    case CMD_CLEAR_GOTO:
      SetGotoSlot(GotoColumnAt(menuX), GOTO_EMPTY, 0, 0);
      gotoChanged = true;
      break;
    case CMD_DISTRIBUTE: {
      DistributeResourcesPacket packet;
      packet.guild = static_cast<std::uint16_t>(LocalChapterId() >> 3);
      packet.slot = static_cast<std::uint16_t>(LocalChapterId() & 7);
      packet.asteroid = asteroid;
      auto image = packet.Build();
      SendToAll(image.bytes);
      break;
    }
    case CMD_ASTEROID_POWER:
      SharedScreen().commandMode = ORDER_RECHARGE_FROM_ASTEROID;
      SharedScreen().commandUnitId = kAsteroidSubject | asteroid;
      Tell(*this, "SELSHPRF");
      UpdateCursor();
      break;
    case CMD_SCAN:
      EnterMode(*this, ORDER_SCAN_ASTEROID, "SELOBJTS");
      SelectUnitForOrder();
      break;
    case CMD_TRANSFER_POWER:
      EnterMode(*this, ORDER_TRANSFER_POWER, "SELSHPRF");
      SelectUnitForOrder();
      break;
    case CMD_RECHARGE:
      EnterMode(*this, ORDER_RECHARGE_FROM_UNIT, "SELFUELF");
      SelectUnitForOrder();
      break;
    case CMD_REPAIR_TARGET:
      EnterMode(*this, ORDER_REBUILD_UNIT, "SELRBLD1");
      SelectUnitForOrder();
      break;
    case CMD_CONSTRUCT_SHIP:
      // The template comes from the data panel's list of the unit's designs.
      EnterMode(*this, ORDER_BUILD_SHIP, "SELCTTPT");
      if (SharedScreen().dataPanel)
        SharedScreen().pendingOrderOption = SharedScreen().dataPanel->ShowTemplateList(unit, 0, nullptr);
      FlushScreen();
      SelectUnitForOrder();
      break;
    case CMD_MODIFY_TARGET:
      EnterMode(*this, ORDER_MODIFY_SHIP, "SELMODFY");
      SelectUnitForOrder();
      break;
    case CMD_CONSTRUCT_ATVS:
      UpdateSelectionDisplay(1);
      OrderConstructAtvs();
      break;
    case CMD_LAND_ATVS:
      if (!unit) break;
      UpdateSelectionDisplay(1);
      unit->landingRequest = 1;
      if (!CtrlHeld()) unit->CancelOrders();
      GoToView(VIEW_TERRAIN, static_cast<LPARAM>(unit->id));
      break;
    case CMD_SCRAP:
      EnterMode(*this, ORDER_SCRAP_UNIT, "SELSCRP1");
      SelectUnitForOrder();
      break;
    case CMD_DECOMMISSION: {
      const bool several = SelectionCount() > 1;
      auto ask = [&](const char* question) {
        char text[kTextSize + 1] = {};
        if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(question, text, kTextSize);
        std::uint32_t yes = 0;
        CYesNoDlg box(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, text,
                      static_cast<std::uint32_t>(LocalGuild()), &yes);
        return yes != 0;
      };
      if (several && !ask("DECOMMOK")) break;
      CGuild* guild = g_gameData ? g_gameData->GetLocalGuild() : nullptr;
      if (guild && guild->FindShipOffer(SharedScreen().menuObjectId)) {
        if (!ask("DECOMSEL")) break;
        guild->RemoveShipOffer(SharedScreen().menuObjectId);
        ShipOfferWithdrawnPacket packet;
        packet.guild = static_cast<std::uint8_t>(LocalChapterId() >> 3);
        packet.slot = static_cast<std::uint8_t>(LocalChapterId() & 7);
        packet.unitId = SharedScreen().menuObjectId;
        auto image = packet.Build();
        SendToAll(image.bytes);
      }
      EnterMode(*this, ORDER_DECOMMISSION, several ? "SELSCRP2" : "SELSCRP3");
      SelectUnitForOrder();
      break;
    }
    case CMD_REPAIR_SELF:
      EnterMode(*this, ORDER_GET_REPAIRED, "SELRBLD2");
      SelectUnitForOrder();
      break;
    case CMD_RECOVER_ATVS:
      UpdateSelectionDisplay(1);
      GoToView(VIEW_TERRAIN, static_cast<LPARAM>(SharedScreen().menuObjectId));
      break;
    case CMD_SELF_DESTRUCT:
      if (unit) {
        unit->IssueOrder(ORDER_SELF_DESTRUCT, 0, InsertMode(), nullptr, false);
        Tell(*this, "SELFDEST", kVoiceSelfDestruct);
      } else {
        Tell(*this, "SELFDSTF");
      }
      UpdateSelectionDisplay(1);
      break;
    case CMD_BATTLE_PLAN:
      if (SelectionCount() > 1) {
        if (g_gameData) g_gameData->pieces.EditSelectionBattlePlan();
      } else if (SharedScreen().menuObjectKind != kMenuUnit) {
        SendDefaultBattlePlans();
      } else if (unit) {
        unit->EditBattlePlan();
      }
      break;
    case CMD_FORMATION_MOVE:
      EnterMode(*this, ORDER_DELAYED_MOVE, "SELTGTAS");
      SelectUnitForOrder();
      break;
    case CMD_RENDEZVOUS:
      EnterMode(*this, ORDER_TYPE_26, "SELTARGT");
      SelectUnitForOrder();
      break;
    case CMD_SPECIAL_WEAPON:
      if (!unit) break;
      if (unit->GetGuild() == kMinesGuild) {
        if (unit->IsSpecialWeaponArmed())
          unit->ResetSpecialWeaponLevels(true);
        else
          unit->ArmSpecialWeapons(true);
        UpdateSelectionDisplay(1);
      } else {
        std::uint32_t mode = kNoCommandMode;
        unit->HasSpecialWeapon(&mode);
        EnterMode(*this, mode, mode == ORDER_BOMBARD ? "SELTGTAS" : "SELTRGTU");
        SelectUnitForOrder();
      }
      break;
    case CMD_DELETE_ORDERS:
      SharedScreen().commandUnitId = SharedScreen().menuObjectId;
      SelectUnitForOrder();
      DeleteAllOrders();
      break;
    default:
      return 0;
  }
  ClosePopupMenu();
  if (gotoChanged) DrawGotoBar();
  UpdateCursor();
  return 1;
}

void CVGeneric::OnMenuSelect(HMENU menu, std::uint32_t item) {
  if (!menu || !SharedScreen().popupMenu) return;
  if (CPopupMenu* found = SharedScreen().popupMenu->FindMenu(menu)) found->CaptureBackdrop(static_cast<int>(item));
}

void CVGeneric::DrawMenuItem(DRAWITEMSTRUCT* item) {
  if (!item || !SharedScreen().popupMenu) return;
  CPopupMenu* menu = SharedScreen().popupMenu->FindMenu(reinterpret_cast<HMENU>(item->hwndItem));
  if (!menu) return;
  const int index = menu->FindItemIndex(item->itemID);
  if (index < 0) return;
  menu->DrawItem(index, item->hDC, (item->itemState & ODS_SELECTED) ? 1 : 0);
}
