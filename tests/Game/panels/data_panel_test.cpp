// The data panel over the built installation: where clicks land, page and
// mode stepping, and each read-out's rows (texts, columns, colours) for
// chosen model states, with a golden capture of each page and mode.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameView.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GStar.h"
#include "Game/model/GUnitOrder.h"
#include "Game/model/GZone.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/user/keys.h"
#include "tests/Game/panels/panel_screen.h"

namespace {

using panels_test::kLocal;
using panels_test::PanelScreen;
using Rows = std::vector<std::string>;

constexpr plat::COLORREF kGuild1Pale = 0xBEFFBE;

// The first module of a type in the rules, or -1.
int FirstModuleOfType(int type) {
  const CGModuleDB& db = *g_gameData->moduleDB;
  for (int i = 0; i < db.GetCount(); ++i)
    if (db.GetRecord(i)->type == type) return i;
  return -1;
}

void QueueOrder(CGUnit* unit, std::uint32_t type) {
  auto order = std::make_unique<UnitOrder>();
  order->type = type;
  unit->InsertOrder(std::move(order), 2, false);
}

using DataPanel = PanelScreen;

TEST_F(DataPanel, ClicksLandOnThePictureOrARowAndReachTheirActions) {
  EXPECT_EQ(CVData::RowFromY(200), 0);  // truncates toward zero
  EXPECT_EQ(CVData::RowFromY(206), 0);
  EXPECT_EQ(CVData::RowFromY(452), 18);
  EXPECT_EQ(CVData::RowFromY(453), -1);
  EXPECT_EQ(CVData::RowFromY(100), -1);

  panel->rowAction[0] = ROW_VIEW_COMMAND;
  panel->rowAction[2] = ROW_SELECT_GUILD;
  panel->rowAction[3] = ROW_SELECT_CHAPTER;
  panel->rowAction[kPictureAction] = ROW_SELECT_GUILD;
  EXPECT_EQ(panel->OnClick(700, 200, 7), 0);
  EXPECT_EQ(panel->OnClick(700, 150, 0), 0);  // the picture, whatever row 0 holds
  EXPECT_EQ(panel->OnClick(700, 236, 0), 0);
  EXPECT_EQ(panel->OnClick(700, 245, 0), 0);
  EXPECT_EQ(panel->OnClick(700, 453, 0), 0);  // no row
  EXPECT_EQ(host.calls, (Rows{"command 0 7", "guild 19", "guild 2", "chapter 3"}));

  // The name action runs the prompt and says so.
  panel->ShowUnitData(own, 3, 0);
  host.answer = [](std::string_view, int, std::string*) { return false; };
  EXPECT_EQ(panel->rowAction[kPictureAction], ROW_EDIT_NAME);
  EXPECT_EQ(panel->OnClick(700, 120, 0), 1);
}

TEST_F(DataPanel, PagesAndZoneModesStepBothWaysAndTheNextPageRowNeedsASelection) {
  panel->ShowUnitData(own, 3, 0);
  EXPECT_TRUE(Row(18).empty());
  g_gameData->AddToSelection(2, own->id, 3);
  panel->ShowUnitData(own, 3, 0);
  EXPECT_EQ(Row(18), Rows{"<<< NEXT PAGE >>>"});
  EXPECT_EQ(panel->rowAction[18], ROW_NEXT_PAGE);

  panel->TurnPage(0, 1);
  EXPECT_EQ(panel->unitPage, 3);
  EXPECT_EQ(panel->lastDirection, 0u);
  EXPECT_EQ(host.flushes, 1);
  panel->OnClick(700, 206 + 13 * 18, 0);  // next page: 3 -> 0
  EXPECT_EQ(panel->unitPage, 0);
  EXPECT_EQ(panel->lastDirection, 1u);

  panel->zoneKey = 4;
  panel->TurnPage(0, 2);
  EXPECT_EQ(panel->zoneMode, 2);
  EXPECT_EQ(panel->zoneKey, kNoZoneKey);
  panel->TurnPage(1, 2);
  EXPECT_EQ(panel->zoneMode, 0);
  panel->TurnPage(1, 7);  // neither
  EXPECT_EQ(panel->zoneMode, 0);
  EXPECT_EQ(panel->unitPage, 0);
}

// The page turned to carries over to another own ship only while something is
// selected; a stranger's read-out, and any with nothing selected (no next-page
// row to leave by), starts from its summary.
TEST_F(DataPanel, OnlyAnOwnShipReadWithASelectionKeepsThePageTurnedTo) {
  const Location at{3, 100, 0, 0};
  CGUnit* second = g_gameData->pieces.CreateUnit(ownDesign, &at, kLocal, panels_test::kOwnUnit + 1);
  g_gameData->AddToSelection(2, own->id, 3);
  panel->ShowUnitData(own, 3, 0);
  panel->TurnPage(0, 1);  // the orders page
  panel->ShowUnitData(foreign, 3, 0);
  EXPECT_EQ(Row(1), Rows{"Veil Class"});
  panel->TurnPage(0, 1);
  panel->ShowUnitData(second, 3, 0);
  EXPECT_EQ(Row(2), Rows{"No current orders"});
  g_gameData->ClearSelection();
  panel->ShowUnitData(second, 3, 0);
  EXPECT_EQ(Row(1), Rows{"Spear Class"});
}

TEST_F(DataPanel, ClearingWithoutThePictureKeepsItAndItsAction) {
  panel->ShowUnitData(own, 3, 0);
  const std::string picture = panel->pictureName;
  EXPECT_NE(picture.find("units\\"), std::string::npos);
  panel->Clear(0);
  EXPECT_EQ(panel->pictureName, picture);
  EXPECT_EQ(panel->rowAction[kPictureAction], ROW_EDIT_NAME);
  panel->zoneKey = 3;
  panel->Clear(1);
  EXPECT_EQ(panel->rowAction[kPictureAction], ROW_NOTHING);
  EXPECT_EQ(panel->zoneKey, kNoZoneKey);
  EXPECT_NE(std::string(panel->pictureName).find("dpicfil"), std::string::npos);
  // The same picture twice draws once; forgetting it draws again.
  EXPECT_EQ(panel->DrawPicture(0, panel->emptyPicture), 0);
  panel->ForgetPicture();
  EXPECT_GT(panel->DrawPicture(0, panel->emptyPicture), 0);
}

TEST_F(DataPanel, TheSummaryPageShowsTheOwnUnitsFigures) {
  own->hullDamage = 5;
  own->lifeSupportDamage = 20;
  panel->ShowUnitData(own, 3, 0);
  const int structure = ownDesign->hull->structurePoints;
  EXPECT_EQ(Row(1), Rows{"Spear Class"});
  EXPECT_EQ(Row(3), (Rows{"Life support", "80%"}));
  EXPECT_EQ(Row(4), (Rows{"Hull integrity", std::to_string(structure - 5) + "/" + std::to_string(structure)}));
  EXPECT_EQ(Row(6)[0], "Orbital:");
  EXPECT_EQ(Row(7)[0], "Solar:");
  ASSERT_FALSE(Row(8).empty());
  EXPECT_EQ(Row(8)[0].rfind("Power: ", 0), 0u);
  const DataPanelText* life = Find("80%");
  ASSERT_NE(life, nullptr);
  EXPECT_EQ(life->column, 80);
  EXPECT_EQ(life->colour, kGuild1Pale);
  EXPECT_EQ(Row(16), Rows{Row(16).empty() ? "" : Row(16)[0]});
  EXPECT_EQ(panel->rowAction[kPictureAction], ROW_EDIT_NAME);
  EXPECT_TRUE(Looks("unit_summary.png"));
}

TEST_F(DataPanel, ExactlyTenFittedSlotsShowOnTheDamagePageAndSkipTheModulesPage) {
  const int weapon = FirstModuleOfType(MODULE_WEAPON);
  ASSERT_GE(weapon, 0);
  Fit(ownDesign, 10, static_cast<std::uint16_t>(weapon));
  own->modules[2].damage = 200;  // the model's own scale: what the bars read is the slot percent
  panel->ShowUnitStatus(own, 1);
  int names = 0;
  for (const DataPanelText& t : panel->shown) names += t.row == -1 && t.column == 0 ? 1 : 0;
  EXPECT_EQ(names, 10);
  EXPECT_EQ(Row(15)[0], "Life support");
  EXPECT_TRUE(Looks("unit_damage.png"));

  panel->TurnPage(1, 1);  // to 2, skipped forward
  EXPECT_EQ(panel->unitPage, 3);
  EXPECT_EQ(Row(2), Rows{"No current orders"});
  panel->unitPage = 3;
  panel->TurnPage(0, 1);  // back to 2, skipped backward
  EXPECT_EQ(panel->unitPage, 1);

  // An eleventh slot makes the modules page list it alone.
  Fit(ownDesign, 11, static_cast<std::uint16_t>(weapon));
  panel->TurnPage(1, 1);
  EXPECT_EQ(panel->unitPage, 2);
  names = 0;
  for (const DataPanelText& t : panel->shown) names += t.row == -1 && t.column == 0 ? 1 : 0;
  EXPECT_EQ(names, 1);
}

TEST_F(DataPanel, PowerFallingToNothingIsEmptyInRedExceptWhileDecommissioning) {
  ownDesign->powerStorage = 40;
  own->percents[PCT_POWER_STORAGE] = 100;
  own->power = 5;
  char line[128] = {};
  EXPECT_EQ(panel->ShowPowerState(17, line, 3, own, -5, kGuild1Pale), 1);  // no orders: runs out
  EXPECT_STREQ(line, "EPC : EMPTY");
  EXPECT_EQ(Find("EPC : EMPTY")->colour, 0x0000FFu);
  QueueOrder(own, 10);
  EXPECT_EQ(panel->ShowPowerState(17, line, 3, own, -5, kGuild1Pale), 0);
  own->ClearOrders(true);
  QueueOrder(own, 0);
  EXPECT_EQ(panel->ShowPowerState(17, line, 3, own, -9, kGuild1Pale), 1);
  EXPECT_EQ(panel->ShowPowerState(17, line, 3, own, -2, kGuild1Pale), 0);
  EXPECT_STREQ(line, "EPC : -2");
  EXPECT_EQ(panel->ShowPowerState(17, line, 3, own, 0, kGuild1Pale), 0);
  EXPECT_STREQ(line, "EPC : 0");
  EXPECT_EQ(panel->ShowPowerState(17, line, 3, own, 32000, kGuild1Pale), 0);
  EXPECT_STREQ(line, "EPC : FULL");
}

TEST_F(DataPanel, TheOrdersPageListsTheQueueWithTheFirstOrdersEstimateBelowIt) {
  QueueOrder(own, 24);
  QueueOrder(own, 11);
  char first[50] = {};
  char second[50] = {};
  own->GetOrderStatusText(0, first, sizeof first);
  own->GetOrderStatusText(1, second, sizeof second);
  panel->ShowUnitStatus(own, 3);
  EXPECT_EQ(Row(2), Rows{first});
  // The estimate takes no row (none to give), one or two, then one row stays empty.
  const std::uint16_t turns = own->GetNumTurnsUntilOrderCompletion(nullptr);
  const int next = turns == 0xFFFE ? 4 : turns == 0xFFFF || turns == 0 ? 5 : 6;
  EXPECT_EQ(Row(next), Rows{second});
  EXPECT_TRUE(Looks("unit_orders.png"));
}

TEST_F(DataPanel, AWreckedOwnUnitShowsTheWreckNoLifeAndNoHull) {
  own->unoperational = 1;
  panel->ShowUnitStatus(own, 1);
  EXPECT_NE(std::string(panel->pictureName).find("reck_ds.ima"), std::string::npos);
  EXPECT_EQ(Row(15), (Rows{"Life support", "0%"}));
  EXPECT_EQ(Row(16), (Rows{"Hull integrity", "0/" + std::to_string(ownDesign->hull->structurePoints)}));
}

TEST_F(DataPanel, AForeignUnitShowsItsStatusAndABarEvenOnAHullWithoutStructure) {
  panel->ShowUnitStatus(foreign);
  EXPECT_EQ(Row(0), Rows{"Veil Class"});
  EXPECT_EQ(Row(4), Rows{"Blue Veil"});
  EXPECT_EQ(Row(6)[0], "Life support");
  EXPECT_TRUE(Looks("foreign_status.png"));
  // Its orders are not shown, and a hull of no structure reads as wrecked.
  panel->ShowUnitData(foreign, 3, 1);
  panel->TurnPage(0, 1);  // back to the orders page
  EXPECT_EQ(Row(2), Rows{"Orders unavailable"});
  CGHull bare = *foreignDesign->hull;
  bare.structurePoints = 0;
  foreignDesign->hull = &bare;
  panel->TurnPage(1, 1);
  panel->TurnPage(1, 1);  // on to the damage page
  EXPECT_TRUE(Row(15).empty());
  foreign->unoperational = 1;
  panel->ShowUnitStatus(foreign);
  EXPECT_EQ(Row(6), Rows{"Unit is unoperational"});
  foreignDesign->hull = nullptr;
}

// "All ships start scanned" opens another chapter's design to the read-out;
// "only my ships" keeps it to its class.
TEST_F(DataPanel, AnotherChaptersShipReadsInFullOnlyWithAllShipsScanned) {
  std::array<std::uint8_t, 68> setup{};
  foreign->lifeSupportDamage = 30;
  for (const bool on : {true, false}) {
    SCOPED_TRACE(on);
    setup[42] = on ? 0 : 1;
    ASSERT_TRUE(g_gameData->ApplyGameSetup(setup, kLocal, {}));
    panel->unitPage = 0;
    panel->ShowUnitData(foreign, 3, 1);
    EXPECT_EQ(Row(1), Rows{"Veil Class"});
    if (on) {
      EXPECT_EQ(Row(3), (Rows{"Life support", "70%"}));
    } else {
      EXPECT_TRUE(Row(3).empty());
    }
  }
}

TEST_F(DataPanel, RenamingTakesANonEmptyAnswerAndRedrawsTheGotoBar) {
  panel->ShowUnitData(own, 3, 0);
  std::string asked;
  std::string answer;
  host.answer = [&](std::string_view prompt, int guild, std::string* text) {
    asked = std::string(prompt) + "|" + std::to_string(guild) + "|" + *text;
    *text = answer;
    return true;
  };
  answer = "";
  EXPECT_EQ(panel->EditShipName(), 1);
  EXPECT_EQ(asked, "Edit Ship's Name|1|Lancer");
  EXPECT_STREQ(own->GetName(), "Lancer");
  answer = std::string(255, 'W');
  const int before = host.flushes;
  panel->EditShipName();
  EXPECT_EQ(own->name, answer);
  EXPECT_EQ(host.flushes, before + 1);
}

// A panel built without a host: its rows and flushes reach nothing, and a
// rename is its own name dialog over its display and window, whose OK
// answers and whose Cancel keeps the name.
TEST_F(DataPanel, WithoutAHostTheRowsReachNothingAndTheRenameIsItsOwnDialog) {
  CVData bare(font, screen, &dirty, g_ddraw, window, nullptr);
  bare.rowAction[0] = ROW_VIEW_COMMAND;
  bare.rowAction[1] = ROW_SELECT_GUILD;
  bare.rowAction[2] = ROW_SELECT_CHAPTER;
  for (int row = 0; row < 3; ++row) EXPECT_EQ(bare.OnClick(700, 206 + 13 * row, 0), 0);
  bare.TurnPage(1, 1);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(host.flushes, 0);

  bare.ShowUnitData(own, 3, 0);
  ASSERT_EQ(bare.rowAction[kPictureAction], ROW_EDIT_NAME);
  // The field starts with the name selected: what is typed replaces it.
  backend->PressKey('Q', 100);
  backend->PressKey(plat::VK_ESCAPE, 200);
  EXPECT_EQ(bare.OnClick(700, 150, 0), 1);
  EXPECT_STREQ(own->GetName(), "Lancer");
  backend->PressKey('Z', 100);
  backend->Click(261 + 100 + 40, 195 + 162 + 24, plat::input::Button::Left, 300);  // OK
  EXPECT_EQ(bare.OnClick(700, 150, 0), 1);
  EXPECT_STREQ(own->GetName(), "z");  // typed without shift
  EXPECT_EQ(host.flushes, 0);
}

// The shown unit gone from under the panel (destroyed, or the whole game data
// made anew by a restart): a page turn or a rename reaches nothing freed.
TEST_F(DataPanel, AUnitGoneWhileShownIsNeitherPagedNorRenamed) {
  panel->ShowUnitData(own, 3, 0);
  std::string asked;
  host.answer = [&](std::string_view, int, std::string* text) {
    asked = *text;
    g_gameData->pieces.DeleteUnit(panels_test::kOwnUnit);  // dies while the name is asked
    *text = "Late";
    return true;
  };
  EXPECT_EQ(panel->EditShipName(), 1);
  EXPECT_EQ(asked, "Lancer");
  EXPECT_EQ(g_gameData->pieces.FindUnit(panels_test::kOwnUnit, nullptr), nullptr);
  EXPECT_EQ(panel->EditShipName(), 0);

  delete g_gameData;
  g_gameData = new CGameData(kLocal, 8);
  panel->TurnPage(1, 1);
  EXPECT_EQ(panel->EditShipName(), 0);
  EXPECT_EQ(asked, "Lancer");
}

// A ship's read-out replaced by an asteroid's (hovered with the ship
// selected): a click on the asteroid's picture renames nothing.
TEST_F(DataPanel, AnAsteroidShownAfterAShipTakesAwayTheRename) {
  panel->ShowUnitData(own, 3, 0);
  ASSERT_EQ(panel->rowAction[kPictureAction], ROW_EDIT_NAME);
  g_gameData->AddToSelection(2, own->id, 3);
  panel->ShowAsteroidData(16, 0);
  int asked = 0;
  host.answer = [&](std::string_view, int, std::string*) {
    ++asked;
    return false;
  };
  EXPECT_EQ(panel->OnClick(700, 150, 0), 0);
  EXPECT_EQ(asked, 0);
  EXPECT_STREQ(own->GetName(), "Lancer");
}

TEST_F(DataPanel, HullCostsAndTheThreeModuleModes) {
  panel->ShowHullCosts(nullptr);
  EXPECT_TRUE(panel->shown.empty());
  const CGHull* hull = g_gameData->hullDB->GetHull(1, 0);
  panel->ShowHullCosts(hull);
  EXPECT_EQ(Row(3), (Rows{"MASS:", std::to_string(hull->mass)}));
  EXPECT_EQ(Row(5), (Rows{"INTEGRITY:", std::to_string(hull->structurePoints)}));
  EXPECT_EQ(Row(12)[0], "  BUILD PTS.:");
  EXPECT_TRUE(Looks("hull_costs.png"));

  const int weapon = FirstModuleOfType(MODULE_WEAPON);
  ModuleRecord* w = g_gameData->moduleDB->GetRecord(weapon);
  w->typeData[8] = 255;  // unlimited ammunition
  w->typeData[6] = 21;   // a special rate of fire
  w->researchPoints = 10000;
  panel->ShowModuleData(0, weapon, 1);
  EXPECT_EQ(Row(10), (Rows{"ROF:", "8"}));
  // "Unlimited" is too wide for the value column: it takes a row of its own.
  EXPECT_EQ(Row(11), Rows{"MAX. AMMO:"});
  EXPECT_EQ(Row(12), Rows{"Unlimited"});
  EXPECT_EQ(Find("Unlimited")->column, 50);
  EXPECT_EQ(Row(13)[0], "% HIT:");
  bool research = false;
  for (const DataPanelText& t : panel->shown) research |= t.text.find("Research") != std::string::npos;
  EXPECT_FALSE(research);
  EXPECT_TRUE(Looks("module_details.png"));
  // The same module again does not draw its picture again.
  const std::string picture = panel->pictureName;
  EXPECT_FALSE(picture.empty());
  dirty = {};
  panel->ShowModuleData(0, weapon, 1);
  EXPECT_EQ(panel->pictureName, picture);
  EXPECT_GT(dirty.top, 101);  // only the rows' backdrop and texts

  w->researchPoints = 4567;
  panel->ShowModuleData(1, weapon, 1);
  EXPECT_EQ(Row(9)[0], "  BUILD PTS.:");
  // Past its row's end but inside the backdrop, the research line keeps to its row.
  EXPECT_EQ(Row(11), Rows{"Research 45% complete"});
  EXPECT_TRUE(Row(12).empty());
  EXPECT_TRUE(Looks("module_costs.png"));
  panel->ShowModuleData(2, weapon, 1);
  EXPECT_EQ(Row(3), Rows{"DEFENSE"});
  EXPECT_EQ(Row(4).size(), 2u);
  EXPECT_EQ(Row(13), Rows{"Research 45% complete"});
  EXPECT_TRUE(Looks("module_defences.png"));

  // Past the table: the panel is only cleared.
  panel->ShowModuleData(0, g_gameData->moduleDB->GetCount(), 1);
  EXPECT_TRUE(panel->shown.empty());
}

TEST_F(DataPanel, ATraitRaisesTheValuesItNamesAndAComputerShowsSignedBonuses) {
  const int scout = FirstModuleOfType(MODULE_SCOUT);
  ASSERT_GE(scout, 0);
  g_gameData->moduleDB->GetRecord(scout)->typeData[0] = 7;
  panel->ShowModuleData(0, scout, 1);
  EXPECT_EQ(Row(7), (Rows{"SURVEY VALUE:", "7"}));
  g_gameData->GetLocalChapter()->traits[9] = 50;
  panel->ShowModuleData(0, scout, 1);
  EXPECT_EQ(Row(7), (Rows{"SURVEY VALUE:", "10"}));

  const int computer = FirstModuleOfType(MODULE_COMPUTER);
  ASSERT_GE(computer, 0);
  ModuleRecord* c = g_gameData->moduleDB->GetRecord(computer);
  c->typeData[1] = 0xFB;  // -5
  c->typeData[2] = 12;
  panel->ShowModuleData(0, computer, 1);
  EXPECT_EQ(Row(8), (Rows{"ATV Capac.", "-5 %"}));
  EXPECT_EQ(Row(16), (Rows{"Tracking", "+12 %"}));
}

TEST_F(DataPanel, TheAsteroidReadOutShowsVoteOrbitOutputsPoolAndItsPicture) {
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(15);
  a->SetController(0xFFFE);
  panel->ShowAsteroidData(15, 0);
  EXPECT_EQ(Row(0), Rows{"Vote:"});
  EXPECT_EQ(Row(1), Rows{"Sale of vote pending"});
  EXPECT_EQ(Row(5), (Rows{"Eco. Class:", "???"}));  // the centre is not surveyed
  EXPECT_EQ(Row(6), (Rows{"Kinetic Coeff:", "???"}));
  EXPECT_EQ(Row(7)[0], "CURRENT OUTPUT");
  EXPECT_EQ(Row(13)[0], "LOCAL POOL");
  EXPECT_EQ(Row(14), Rows{"None"});
  EXPECT_NE(std::string(panel->pictureName).find("ast16_ds.ima"), std::string::npos);
  EXPECT_TRUE(Looks("asteroid.png"));

  g_gameData->poolDB.SetStorageFacilities(16, 2);
  a = g_gameData->solarDB.GetAsteroid(16);
  a->GetZone(0)->SetOwner(kLocal);
  a->SetOwner(kLocal);
  panel->ShowAsteroidData(16, 0);
  EXPECT_NE(std::string(panel->pictureName).find("ast01_ds.ima"), std::string::npos);
  EXPECT_EQ(Row(13), (Rows{"LOCAL POOL", "(2)"}));
  EXPECT_EQ(Row(14)[0], "Metal:");
  EXPECT_EQ(Row(18)[0].rfind("Turn last updated: ", 0), 0u);
  EXPECT_NE(Row(5)[1], "???");

  // Units that cannot travel say why in red.
  g_gameData->AddToSelection(2, own->id, 3);
  panel->ShowAsteroidData(16, 0);
  ASSERT_FALSE(Row(0).empty());
  EXPECT_EQ(Row(0)[0], "ETA: Unreachable");
  EXPECT_EQ(Find("ETA: Unreachable")->colour, 0x0000FFu);
  ASSERT_EQ(Row(1).size(), 1u);
  EXPECT_EQ(Find(Row(1)[0])->colour, 0x0000FFu);
  panel->ShowAsteroidData(16, 1);  // no estimate asked for
  EXPECT_EQ(Row(0), Rows{"Vote:"});
}

// Without power a unit creeps 32 a turn: from 3000 out, the centre of its own
// asteroid is 84 turns off. A click on that asteroid in the asteroid's own
// space orders that approach; anywhere else it orders a move to the asteroid,
// which a unit already there has finished.
TEST_F(DataPanel, AUnitOverTheAsteroidItIsAtIsAlreadyThereButForTheApproach) {
  struct View : IGameView {
    ViewType type = VIEW_SOLAR;
    ViewType GetViewType() const override { return type; }
  } view;
  g_currentView = &view;
  own->location.x = 3000;
  g_gameData->AddToSelection(2, own->id, 3);
  panel->ShowAsteroidData(3, 0);
  EXPECT_EQ(Row(0), Rows{"ETA : 0 turns"});
  EXPECT_TRUE(Row(1).empty()) << "no power to reckon for no trip";
  // Elsewhere the estimate is still the unit's own.
  panel->ShowAsteroidData(16, 0);
  EXPECT_EQ(Row(0), Rows{"ETA: Unreachable"});

  view.type = VIEW_ASTEROID_SPACE;
  panel->ShowAsteroidData(3, 0);
  EXPECT_EQ(Row(0), Rows{"ETA : 84 turns"});
  EXPECT_EQ(own->location.x, 3000);
  g_currentView = nullptr;
}

TEST_F(DataPanel, MoveFailuresHaveTheirTextsAndTooFarIsNoFailureLine) {
  char text[128] = {};
  panel->ShowMoveFailure(1, text, -19);
  EXPECT_STREQ(text, "( > 255 turns away )");
  panel->ShowMoveFailure(1, text, -14);
  EXPECT_STREQ(text, "<<implement failure -14>>");
  text[0] = '\0';
  panel->Clear(0);
  panel->ShowMoveFailure(1, text, -21);
  panel->ShowMoveFailure(1, text, 3);
  EXPECT_TRUE(panel->shown.empty());
}

TEST_F(DataPanel, ZoneReadOutsInTheirThreeModes) {
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(3);
  // The ATV kinds' small pictures, as the terrain view passes them.
  std::vector<std::unique_ptr<CSprite>> owned;
  CSprite* icons[4] = {};
  const char* const kIcons[4] = {"smcomatv.ima", "smminatv.ima", "smpowatv.ima", "smsbatv.ima"};
  for (int k = 0; k < 4; ++k) {
    owned.push_back(std::make_unique<CSprite>(g_ddraw, 0, g_gameData->GetGuildModule(1), kIcons[k], 0, 0, 0));
    icons[k] = owned.back().get();
  }
  g_gameData->GetLocalChapter()->SetATVTechLevels(255, 2);
  // An unscouted zone, with a unit's cargo from row 5.
  own->atvCargo = {3, 2, 1, 0};
  panel->ShowZoneInfo(5, 5, a, own, icons, 0);
  EXPECT_EQ(Row(2), Rows{"NO DATA AVAILABLE"});
  EXPECT_EQ(Row(5), Rows{"Unit has:"});
  EXPECT_EQ(Row(6), (Rows{"Combat ATVs:", "3"}));
  EXPECT_EQ(host.flushes, 1);
  // The same zone again draws nothing, unless forced or after a mode step.
  panel->Clear(0);
  panel->ShowZoneInfo(5, 5, a, own, icons, 0);
  EXPECT_TRUE(panel->shown.empty());
  panel->ShowZoneInfo(5, 5, a, nullptr, icons, 1);
  EXPECT_EQ(Row(2), Rows{"NO DATA AVAILABLE"});

  CGZone* z = a->GetZone(5);
  z->SetOwner(kLocal);
  z->SetAtvLimit(6);
  z->SetAtvCounts(2, 1, 0, 0);
  panel->ShowZoneInfo(5, 5, a, nullptr, icons, 1);
  EXPECT_EQ(Row(0), Rows{"Rock 3"});
  EXPECT_EQ(Row(2), Rows{"ZONE INFORMATION"});
  EXPECT_EQ(Row(3), (Rows{"OWNER ", "Iron Hand"}));
  EXPECT_EQ(Row(4), (Rows{"ATV LIMIT", "6"}));
  EXPECT_EQ(Row(5), (Rows{"MINING VALUE ", "0"}));
  EXPECT_TRUE(Row(6).empty());
  EXPECT_EQ(Row(15), (Rows{"Combat ATVs:", "2 / 0"}));
  EXPECT_EQ(Find("2 / 0")->colour, kGuild1Pale);
  EXPECT_TRUE(Looks("zone.png"));

  // The zone count itself is past the last zone: nothing is shown for it.
  panel->Clear(0);
  const auto count = static_cast<std::uint32_t>(a->GetZoneCount());
  panel->ShowZoneInfo(count, count, a, nullptr, icons, 1);
  EXPECT_TRUE(panel->shown.empty());

  panel->TurnPage(1, 2);
  panel->ShowZoneInfo(5, 5, a, nullptr, icons, 0);
  EXPECT_EQ(Row(0)[0], "Combat:");
  EXPECT_EQ(Row(0)[1].empty(), false);
  EXPECT_TRUE(Looks("zone_atv_tech.png"));
  panel->TurnPage(1, 2);
  panel->ShowZoneInfo(5, 5, a, nullptr, icons, 0);
  EXPECT_EQ(Row(0), Rows{"No construction facility"});
  z->SetFacilities(FACILITY_ATV_CONSTRUCTION);
  z->atvConstruction[0] = 4;
  panel->ShowZoneInfo(5, 5, a, nullptr, icons, 1);
  EXPECT_EQ(Row(0), Rows{"Pending Construction"});
  EXPECT_EQ(Row(2), (Rows{"Combat:", "4"}));
}

TEST_F(DataPanel, OddModelStatesReadAsNobodysOrUnknownAndDrawNothingOutsideThePanel) {
  // A zone owner byte that is no chapter and no marker, and a composition past the table.
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(4);
  a->GetZone(0)->SetOwner(77);
  a->composition = 40;
  CSprite* icons[4] = {};
  panel->ShowZoneInfo(0, 0, a, nullptr, icons, 1);
  EXPECT_EQ(Row(3), Rows{"OWNER "});
  EXPECT_EQ(Find("OWNER ")->colour, 0xD7FFFFu);
  panel->ShowAsteroidData(4, 1);
  EXPECT_EQ(Row(5), (Rows{"Eco. Class:", "Unknown"}));
  panel->ShowAsteroidData(17, 1);  // no such asteroid: the panel stays as it was
  EXPECT_EQ(Row(5), (Rows{"Eco. Class:", "Unknown"}));

  // A unit without a design, and a name far wider than a row.
  own->SetName(std::string(255, 'M').c_str());
  CGUnitTemplate* design = own->design;
  own->design = nullptr;
  dirty = {};
  for (int page = 3; page >= 0; --page) {
    panel->ShowUnitStatus(own, static_cast<std::uint8_t>(page));
  }
  own->design = design;
  EXPECT_GE(dirty.left, 0);
  EXPECT_LE(dirty.right, 800);
  EXPECT_EQ(Row(1), Rows{" Class"});
  EXPECT_EQ(Row(4), (Rows{"Hull integrity", "0/0"}));
}

// A name wider than its row runs on over the backdrop but never past it:
// clearing the panel repaints the backdrop alone, and letters beyond it stayed
// on the screen's frame (a zone owner's "ie" right of the panel).
TEST_F(DataPanel, LongTextsStopAtTheBackdropSoClearingLeavesNothingBehind) {
  g_gameData->guildList->GetChapter(17)->SetName("Command Aerie Of The Outer Ring");
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(3);
  a->GetZone(0)->SetOwner(17);
  CSprite* icons[4] = {};
  panel->ShowZoneInfo(0, 0, a, nullptr, icons, 1);
  own->SetName(std::string(60, 'W').c_str());
  panel->unitPage = 0;
  panel->ShowUnitData(own, 3, 0);  // the name centred in its row
  panel->Clear(1);
  plat::RECT whole{0, 0, 800, 600};
  screen->BltToPrimary(&whole, &whole);
  // The strips left and right of the backdrop, over the text rows' height.
  for (const plat::RECT strip : {plat::RECT{785, 200, 800, 463}, plat::RECT{600, 200, 653, 463}}) {
    const plat::Image seen = quentest::ScreenArea(strip);
    int lit = 0;
    for (std::uint32_t p : seen.rgb) lit += (p & 0xFFFFFF) != 0;
    EXPECT_EQ(lit, 0) << "pixels left drawn at x " << strip.left << ".." << strip.right;
  }
}

TEST_F(DataPanel, StarsAndGuilds) {
  panel->ShowStarData(1);
  EXPECT_EQ(Row(0), Rows{std::string("Name: ") + g_gameData->solarDB.GetStar(1)->GetName()});
  EXPECT_EQ(Row(2)[0], "Radiation Coeff:");
  EXPECT_NE(std::string(panel->pictureName).find("star1.ima"), std::string::npos);
  EXPECT_TRUE(Looks("star.png"));

  panel->ShowGuildList();
  ASSERT_EQ(panel->shown.size(), 5u);
  EXPECT_EQ(panel->shown[0].colour, 0xBEBEFFu);
  EXPECT_EQ(panel->shown[4].colour, 0xFFBEFFu);
  for (int r = 0; r < 5; ++r) EXPECT_EQ(panel->rowAction[static_cast<std::size_t>(r)], ROW_SELECT_GUILD);
  EXPECT_TRUE(Looks("guild_list.png"));

  EXPECT_EQ(panel->ShowGuildMembers(5), 0);
  EXPECT_EQ(panel->ShowGuildMembers(1), 8);
  EXPECT_EQ(Row(1), Rows{"Iron Hand"});
  EXPECT_EQ(panel->rowAction[7], ROW_SELECT_CHAPTER);
  EXPECT_EQ(panel->rowAction[8], ROW_NOTHING);
}

TEST_F(DataPanel, TemplateListsColourBySlotAndShowTheClassPictureOnHover) {
  g_gameData->templates.SetFixedTemplate(*ownDesign, kLocal, 2);
  panel->ShowTemplateList(own, 0, nullptr);
  EXPECT_EQ(Row(0), Rows{"<< EMPTY >>"});
  EXPECT_EQ(panel->rowAction[0], ROW_NOTHING);
  EXPECT_EQ(Row(2), Rows{"Spear"});
  EXPECT_EQ(Find("Spear")->column, 54);
  EXPECT_EQ(panel->rowAction[2], ROW_VIEW_COMMAND);
  EXPECT_EQ(panel->SetUnitPicture(206 + 13 * 2), 1);
  EXPECT_NE(std::string(panel->pictureName).find("_ds.ima"), std::string::npos);
  EXPECT_EQ(panel->SetUnitPicture(206), 0);  // no action
  EXPECT_TRUE(Looks("template_list.png"));

  panel->ShowDesignTemplateList(0, 2);
  EXPECT_EQ(Find("Spear")->colour, 0x3CDC3Cu);  // highlighted: bright
  EXPECT_EQ(panel->rowAction[0], ROW_VIEW_COMMAND);
  EXPECT_EQ(Find("<< EMPTY >>")->colour, 0x008000u);
  panel->ShowDesignTemplateList(1, 2);
  EXPECT_EQ(Row(0), Rows{"SCAN MODE"});
}

// A design starts with its hull's name, and the template lists write it from
// column 54 to the backdrop's right edge (785): every hull's name must fit
// there in the panel's font, or the list shows it cut.
TEST_F(DataPanel, EveryHullsNameFitsTheTemplateLists) {
  plat::HDC dc = panel->screen->GetDC();
  ASSERT_NE(dc, nullptr);
  const plat::HGDIOBJ old = plat::SelectObject(dc, panel->font);
  int hulls = 0;
  for (int guild = 0; guild < 5; ++guild)
    for (int i = 0; i < g_gameData->hullDB->GetHullCount(guild); ++i) {
      const char* name = g_gameData->hullDB->GetHull(guild, i)->name;
      plat::SIZE size{};
      ASSERT_TRUE(plat::GetTextExtentPoint32(dc, name, static_cast<int>(std::strlen(name)), &size));
      EXPECT_LE(size.cx, 785 - (kDataLeft + 54)) << name;
      ++hulls;
    }
  plat::SelectObject(dc, old);
  panel->screen->ReleaseDC(dc);
  EXPECT_GE(hulls, 55);
}

}  // namespace
