// Each in-game dialog run modally by scripted input over the game's own
// templates and pictures as built, its look compared with a golden capture
// taken while it is open, and what it hands back checked.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/dialogs/CDBPDfult.h"
#include "Game/dialogs/CDBattlePlanDlg.h"
#include "Game/dialogs/CDBuyDlg.h"
#include "Game/dialogs/CDChatDlg.h"
#include "Game/dialogs/CDGroupBattlePlanDlg.h"
#include "Game/dialogs/CDMultilineEditDlg.h"
#include "Game/dialogs/CDSaveDlg.h"
#include "Game/dialogs/CDSellDlg.h"
#include "Game/dialogs/CDSetPriceDlg.h"
#include "Game/dialogs/ChatIds.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/dialog/combobox.h"
#include "platform/resource/module.h"
#include "platform/user/focus.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"
#include "tests/Game/dialogs/dialog_screen.h"
#include "tests/Game/model/units/units_fixture.h"
#include "tests/support/golden.h"
#include "tests/support/plain_window.h"
#include "tests/support/recording_shell.h"

namespace {

using namespace plat;

using dialogs_test::g_capture;

class DialogRuns : public units_test::UnitWorld, protected dialogs_test::DialogScreen {
 protected:
  void SetUp() override { OpenScreen("DialogRunsMain"); }
  void TearDown() override { CloseScreen(); }

  // Queues, for the set-price dialog about to open: a capture, the field at
  // (x, y) of the panel cleared and `text` typed into it, then the OK button.
  void TypeOverAPrice(int x, int y, const char* text) {
    CaptureAfter(400, {169, 106, 169 + 306, 106 + 351});
    Click(169 + x + 20, 106 + y + 10, 800);
    backend->PressKey(VK_END, 20);
    for (int i = 0; i < 4; ++i) backend->PressKey(VK_BACK, 20);
    Type(text);
    Click(169 + 21 + 50, 106 + 298 + 20, 300);
  }
};

// The unit dialog at (13, 80) over a design fitted in slots 1, 3 and 4: the
// third list entry is slot 4, set to maximum; No Shots toggled; OK.
TEST_F(DialogRuns, UnitBattlePlan) {
  CGUnit* unit =
      Unit(Design(0, {kNoModuleId, units_test::kWeapon, kNoModuleId, units_test::kDrive, units_test::kPower}),
           {0, 100, 100, 100});
  ASSERT_NE(unit, nullptr);
  BattlePlanPacket record;
  unit->BuildBattlePlanPacket(&record);
  const RetreatPart before = unit->retreat;
  CaptureAfter(300, {13, 80, 13 + 787, 80 + 396});
  Click(13 + 24 + 30, 80 + 310 + 12, 600);      // No Shots
  Click(13 + 642 + 30, 80 + 100 + 2 * 15 + 7);  // third list entry
  Click(13 + 677 + 40, 80 + 308 + 6);           // Maximum
  Click(13 + 260 + 40, 80 + 269 + 17);          // OK
  CDBattlePlanDlg dialog(ddraw.get(), main, program, unit, &record, kPlanHelpId);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("unit_battle_plan.png"));
  EXPECT_EQ(record.unitId, unit->id);
  for (int s = 0; s < kUnitSlots; ++s) EXPECT_EQ(record.firingLevels[s], s == 4 ? 3 : unit->GetFiringLevel(s)) << s;
  EXPECT_EQ(record.retreat[2], before[2] ? 0 : 1);
  EXPECT_EQ(record.targeting, unit->targeting);
}

// A design with one module: its entry is selected and its level set.
TEST_F(DialogRuns, UnitWithOneModuleSelectsIt) {
  CGUnit* unit = Unit(Design(0, {kNoModuleId, kNoModuleId, units_test::kWeapon}), {0, 100, 100, 100});
  BattlePlanPacket record;
  unit->BuildBattlePlanPacket(&record);
  Click(13 + 652 + 25, 80 + 252 + 6, 400);  // Off
  Click(13 + 260 + 40, 80 + 269 + 17);      // OK
  CDBattlePlanDlg dialog(ddraw.get(), main, program, unit, &record, kPlanHelpId);
  EXPECT_EQ(dialog.m_position, 0);
  EXPECT_EQ(record.firingLevels[2], 0);
  EXPECT_EQ(record.firingLevels[0], unit->GetFiringLevel(0));
}

// Cancel hands nothing back, whatever was changed.
TEST_F(DialogRuns, GroupBattlePlanCancelled) {
  CGUnit* unit = Unit(Builder(), {0, 100, 100, 100});
  BattlePlanPacket record;
  unit->BuildBattlePlanPacket(&record);
  const BattlePlanPacket built = record;
  CaptureAfter(300, {26, 96, 26 + 590, 96 + 372});
  Click(26 + 12 + 30, 96 + 277 + 7, 600);  // No Shots
  Click(26 + 137 + 50, 96 + 315 + 20);     // Cancel
  CDGroupBattlePlanDlg dialog(unit, &record, kPlanHelpId, /*canMove=*/false, /*canAttack=*/true);
  EXPECT_EQ(dialog.m_result, 0);
  EXPECT_TRUE(Looks("group_battle_plan.png"));
  EXPECT_EQ(record.Build().bytes, built.Build().bytes);
}

// Switching class keeps the edits of the class left; the class shown last
// is shown first next time.
TEST_F(DialogRuns, DefaultBattlePlans) {
  CDBPDfult::s_currentClass = 0;
  DefaultBattlePlanTable plans;
  const DefaultBattlePlanTable before = plans;
  Click(26 + 12 + 30, 96 + 277 + 7, 400);  // No Shots of class 0 (genp)
  Click(26 + 456 + 30, 96 + 140 + 6);      // dest
  CaptureAfter(1000, {26, 96, 26 + 590, 96 + 372});
  Click(26 + 96 + 50, 96 + 35 + 12, 800);  // Only at Selected of class 8
  Click(26 + 243 + 50, 96 + 256 + 20);     // OK
  ASSERT_TRUE(RunDefaultBattlePlanDialog(plans));
  EXPECT_TRUE(Looks("default_battle_plans.png"));
  EXPECT_EQ(CDBPDfult::s_currentClass, 8);
  EXPECT_NE(plans.retreat[0][2], before.retreat[0][2]);
  EXPECT_NE(plans.targeting[8][2], before.targeting[8][2]);
  for (int c = 1; c < kUnitClassCount; ++c) {
    if (c == 8) continue;
    EXPECT_EQ(plans.targeting[c], before.targeting[c]) << c;
    EXPECT_EQ(plans.retreat[c], before.retreat[c]) << c;
  }
}

// An offer of 25 silicates priced in exotics and reactives; the arrow goes up
// three times to the whole offer; OK.
TEST_F(DialogRuns, BuyMinerals) {
  MineralOffer offer;
  offer.seller = 5;
  offer.asteroid = 2;
  offer.mineral = 1;
  offer.terms[0] = 25;
  offer.terms[3] = 4;
  offer.terms[4] = 6;
  std::uint16_t amount = 99;
  std::uint8_t paying = 9;
  std::uint32_t success = 7;
  const int upX = 27 + 157 + 5, upY = 96 + 65 + 5;
  Click(upX, upY, 400);
  Click(upX, upY, 800);
  Click(upX, upY, 800);
  CaptureAfter(2500, {27, 96, 27 + 590, 96 + 372});
  Click(27 + 124 + 90, 96 + 247 + 37, 800);
  CDBuyDlg dialog(ddraw.get(), main, program, offer, 3, {0, 0, 100, 0}, &amount, &paying, &success);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("buy_minerals.png"));
  EXPECT_EQ(amount, 25);
  EXPECT_EQ(paying, 2);  // the first priced of metals, silicates, exotics
  EXPECT_EQ(success, 1u);
}

// A pool of 1,234 with an offer of 200 standing: the dialog starts at the
// offer, and typing 9999 is held to 1,190.
TEST_F(DialogRuns, SellMinerals) {
  MineralOffer standing;
  standing.seller = 2;
  standing.asteroid = 4;
  standing.mineral = 0;
  standing.terms[0] = 200;
  standing.terms[2] = 12;
  MineralOfferPacket record;
  record.seller = 2;
  record.asteroid = 4;
  record.mineral = 0;
  record.price[1] = 77;
  std::uint32_t success = 0;
  CaptureAfter(400, {27, 96, 27 + 590, 96 + 372});
  Click(27 + 129 + 10, 96 + 65 + 10, 800);
  backend->PressKey(VK_END, 20);
  for (int i = 0; i < 4; ++i) backend->PressKey(VK_BACK, 20);
  Type("999");
  Click(27 + 124 + 90, 96 + 247 + 37, 300);
  CDSellDlg dialog(ddraw.get(), main, program, &record, &success, 1234, &standing);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("sell_minerals.png"));
  EXPECT_EQ(dialog.m_limit, 1190);
  EXPECT_EQ(success, 1u);
  EXPECT_EQ(record.amount, 990);
  EXPECT_EQ(record.price[0], 0);
  EXPECT_EQ(record.price[1], 12);
  EXPECT_EQ(record.Build().bytes.size(), kMineralOfferSize);
}

// With bounds: a typed value above the bound comes back held to it.
TEST_F(DialogRuns, SetPriceWithBounds) {
  std::uint32_t values[4] = {10, 0, 5, 0};
  const std::uint32_t upper[4] = {90, 50, 50, 50};
  std::uint32_t success = 0;
  TypeOverAPrice(16, 68, "999");
  CDSetPriceDlg dialog(ddraw.get(), main, program, values, &success, upper);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("set_price.png"));
  EXPECT_EQ(success, 1u);
  EXPECT_EQ(values[0], 90u);
  EXPECT_EQ(values[1], 0u);
  EXPECT_EQ(values[2], 5u);
}

// Without bounds (an asking price): the values start at 0 whatever came in,
// a typed one is held to 32767, and the title stands alone.
TEST_F(DialogRuns, SetPriceWithoutBounds) {
  std::uint32_t values[4] = {10, 20, 30, 40};
  std::uint32_t success = 0;
  TypeOverAPrice(233, 122, "40000");
  CDSetPriceDlg dialog(ddraw.get(), main, program, values, &success, nullptr);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("set_price_asking.png"));
  EXPECT_EQ(success, 1u);
  EXPECT_EQ(values[0], 0u);
  EXPECT_EQ(values[1], 32767u);
  EXPECT_EQ(values[2], 0u);
  EXPECT_EQ(values[3], 0u);
}

// An offer changed (the votes' asking price): its amounts show first, and
// one typed lower than before is kept.
TEST_F(DialogRuns, SetPriceWithoutBoundsFromAnEarlierOffer) {
  std::uint32_t values[4] = {10, 20, 30, 40000};
  std::uint32_t success = 0;
  TypeOverAPrice(233, 122, "7");
  CDSetPriceDlg dialog(ddraw.get(), main, program, values, &success, nullptr, true);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("set_price_offer.png"));
  EXPECT_EQ(success, 1u);
  EXPECT_EQ(values[0], 10u);
  EXPECT_EQ(values[1], 7u);
  EXPECT_EQ(values[2], 30u);
  EXPECT_EQ(values[3], 32767u);
}

// Chapter mode, then guild mode: the lists go dark again and the text goes
// to the guild.
TEST_F(DialogRuns, ChatToTheGuild) {
  char text[kChatBufferSize];
  std::memset(text, 'x', sizeof text);
  std::uint8_t target = 0;
  std::uint32_t success = 0;
  Type("Hello guild");
  Click(25 + 389 + 70, 96 + 295 + 14, 200);  // to one chapter
  Click(25 + 373 + 60, 96 + 265 + 12, 200);  // to the guild
  CaptureAfter(1000, {25, 96, 25 + 590, 96 + 372});
  Click(25 + 63 + 70, 96 + 265 + 33, 600);  // send
  CDChatDlg dialog(ddraw.get(), main, program, text, &target, &success, guild);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("chat.png"));
  EXPECT_EQ(success, 1u);
  EXPECT_EQ(target, kChatToGuild);
  EXPECT_STREQ(text, "Hello guild");
}

// The guild list of the open chat dialog, read while the text has the focus.
std::vector<std::string> g_guildLines;
int g_guildShown = -1;
void ReadGuildList(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  const HWND list = GetDlgItem(GetParent(GetFocus()), IDC_CHAT_GUILDS);
  const auto count = static_cast<int>(SendMessage(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char line[64] = {};
    SendMessage(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
    g_guildLines.emplace_back(line);
  }
  g_guildShown = static_cast<int>(SendMessage(list, CB_GETCURSEL, 0, 0));
}

// The guilds are listed by their names, the local chapter's guild chosen.
TEST_F(DialogRuns, ChatListsTheGuildsByName) {
  char text[kChatBufferSize] = {};
  std::uint8_t target = 0;
  std::uint32_t success = 0;
  g_guildLines.clear();
  g_guildShown = -1;
  SetTimer(nullptr, 0, 300, ReadGuildList);
  Click(25 + 233 + 60, 96 + 265 + 33, 600);  // cancel
  CDChatDlg dialog(ddraw.get(), main, program, text, &target, &success, guild);
  EXPECT_EQ(g_guildLines, (std::vector<std::string>{"Crimson Dawn", "Emerald Combine", "Blue Talon Corps",
                                                    "Golden Order of Reason", "Diamond Cooperative"}));
  EXPECT_EQ(g_guildShown, 0);  // chapter 2 is of guild 0
}

TEST_F(DialogRuns, ChatCancelledClearsTheFlag) {
  char text[kChatBufferSize] = {};
  std::uint8_t target = 0;
  std::uint32_t success = 0;
  Click(25 + 233 + 60, 96 + 265 + 33, 300);
  CDChatDlg dialog(ddraw.get(), main, program, text, &target, &success, guild);
  EXPECT_EQ(dialog.m_result, 2);
  EXPECT_EQ(success, 0u);
}

TEST_F(DialogRuns, NotesKeptOnOkAndEmptiedOnCancel) {
  char text[64] = "Scout the belt";
  CaptureAfter(300, {25, 96, 25 + 590, 96 + 372});
  backend->PressKey(VK_END, 500);
  Type(" twice");
  Click(25 + 74 + 50, 96 + 226 + 50, 300);
  CDMultilineEditDlg dialog(ddraw.get(), main, program, text, sizeof text);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("notes.png"));
  EXPECT_STREQ(text, "Scout the belt twice");
  Click(25 + 420 + 50, 96 + 226 + 50, 300);
  CDMultilineEditDlg cancelled(ddraw.get(), main, program, text, sizeof text);
  EXPECT_EQ(cancelled.m_result, 2);
  EXPECT_STREQ(text, "");
}

// Battle plans in the save path (here the drive's root): newest first; a
// typed name takes the extension.
TEST_F(DialogRuns, SaveBattlePlan) {
  box.Write("older.bpf", std::string(8, '\0'));
  box.Write("newer.bpf", std::string(8, '\0'));
  std::filesystem::last_write_time(box.Host("older.bpf"),
                                   std::filesystem::last_write_time(box.Host("newer.bpf")) - std::chrono::hours(1));
  char directory[kSaveDirectorySize] = "x";
  char name[kSaveNameSize] = "x";
  std::uint32_t success = 0;
  CaptureAfter(300, {26, 96, 26 + 589, 96 + 371});
  Click(26 + 185 + 100, 96 + 269 + 11, 600);
  Type("turn5");
  Click(26 + 16 + 100, 96 + 300 + 33, 300);
  CDSaveDlg dialog(ddraw.get(), main, program, directory, name, SAVE_BATTLE_PLAN, &success, guild);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_TRUE(Looks("save_battle_plan.png"));
  EXPECT_EQ(success, 1u);
  EXPECT_STREQ(name, "turn5.bpf");
}

// Deleting a saved game takes its server half with it; Cancel then.
TEST_F(DialogRuns, DeleteTakesTheServerHalf) {
  box.Write("game1.clt", "client");
  box.Write("game1.svr", "server");
  box.Write("game2.clt", "client");
  char directory[kSaveDirectorySize] = {};
  char name[kSaveNameSize] = {};
  std::uint32_t success = 1;
  Click(26 + 185 + 100, 96 + 269 + 11, 400);
  Type("game1");
  Click(26 + 408 + 40, 96 + 252 + 6, 300);
  Click(26 + 371 + 100, 96 + 300 + 33, 300);
  CDSaveDlg dialog(ddraw.get(), main, program, directory, name, SAVE_GAME, &success, guild);
  EXPECT_EQ(dialog.m_result, 0);
  EXPECT_EQ(success, 0u);
  EXPECT_FALSE(std::filesystem::exists(box.Host("game1.clt")));
  EXPECT_FALSE(std::filesystem::exists(box.Host("game1.svr")));
  EXPECT_TRUE(std::filesystem::exists(box.Host("game2.clt")));
}

// Load in a plan dialog reads the file the load screen chose.
TEST_F(DialogRuns, LoadFillsThePlanFromTheChosenFile) {
  box.Write("plan.bpf", std::string({1, 3, 1, 1, 40, 90, 70, 1}));
  quentest::RecordingShell shell;
  shell.loadChoices = {{"C:\\", "plan.bpf"}};
  CGUnit* unit = Unit(Builder(), {0, 100, 100, 100});
  BattlePlanPacket record;
  unit->BuildBattlePlanPacket(&record);
  Click(26 + 243 + 50, 96 + 315 + 20, 400);  // Load
  Click(26 + 243 + 50, 96 + 256 + 20, 600);  // OK
  CDGroupBattlePlanDlg dialog(unit, &record, kPlanHelpId, true, true);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_EQ(record.targeting, (TargetingPart{3, 1, 1, 1, 40}));
  EXPECT_EQ(record.retreat, (RetreatPart{90, 70, 1}));
  EXPECT_EQ(shell.loadModes, std::vector<int>{7});
}

}  // namespace
namespace {
TEST_F(DialogRuns, DefaultBattlePlansCancelled) {
  DefaultBattlePlanTable plans;
  for (int run = 0; run < 2; ++run) {
    Click(26 + 137 + 50, 96 + 315 + 20, 300);
    EXPECT_FALSE(RunDefaultBattlePlanDialog(plans)) << run;
  }
}
}  // namespace
namespace {
// Save in a plan dialog asks the save dialog for a name and writes the plan
// as the controls show it.
TEST_F(DialogRuns, SaveWritesThePlanUnderTheChosenName) {
  CGUnit* unit = Unit(Builder(), {0, 100, 100, 100});
  unit->targeting = {2, 1, 0, 2, 0};
  unit->retreat = {100, 100, 0};
  BattlePlanPacket record;
  unit->BuildBattlePlanPacket(&record);
  Click(26 + 12 + 30, 96 + 277 + 7, 400);     // No Shots on
  Click(26 + 350 + 50, 96 + 315 + 20, 300);   // Save
  Click(26 + 185 + 100, 96 + 269 + 11, 600);  // the save dialog's name
  Type("fleet");
  Click(26 + 16 + 100, 96 + 300 + 33, 300);  // its Save
  Click(26 + 137 + 50, 96 + 315 + 20, 600);  // Cancel the plan dialog
  CDGroupBattlePlanDlg dialog(unit, &record, kPlanHelpId, true, true);
  EXPECT_EQ(dialog.m_result, 0);
  EXPECT_EQ(box.Read("fleet.bpf"), std::string({1, 2, 0, 2, 0, 100, 100, 1}));
}
}  // namespace
namespace {
// OK on a name in use asks first; No leaves the dialog open with the name.
TEST_F(DialogRuns, SaveOverAnExistingNameAsksAndNoKeepsTheDialogOpen) {
  box.Write("game1.clt", "client");
  char directory[kSaveDirectorySize] = {};
  char name[kSaveNameSize] = {};
  std::uint32_t success = 0;
  Click(26 + 185 + 100, 96 + 269 + 11, 400);
  Type("game1");
  Click(26 + 16 + 100, 96 + 300 + 33, 300);    // Save
  Click(263 + 157 + 35, 229 + 108 + 17, 600);  // No
  Click(26 + 371 + 100, 96 + 300 + 33, 600);   // Cancel: the dialog was still open
  CDSaveDlg kept(ddraw.get(), main, program, directory, name, SAVE_GAME, &success, guild);
  EXPECT_EQ(kept.m_result, 0);
  EXPECT_EQ(success, 0u);
  Click(26 + 185 + 100, 96 + 269 + 11, 400);
  Type("game1");
  Click(26 + 16 + 100, 96 + 300 + 33, 300);   // Save
  Click(263 + 47 + 35, 229 + 108 + 17, 600);  // Yes
  CDSaveDlg replaced(ddraw.get(), main, program, directory, name, SAVE_GAME, &success, guild);
  EXPECT_EQ(replaced.m_result, 1);
  EXPECT_EQ(success, 1u);
  EXPECT_STREQ(name, "game1.clt");
}
}  // namespace
namespace {
// A game saved as the autosave would be overwritten by the next turn's
// autosave unasked: the name is refused with a box and the dialog stays open.
TEST_F(DialogRuns, SaveRefusesTheAutosavesName) {
  char directory[kSaveDirectorySize] = {};
  char name[kSaveNameSize] = {};
  std::uint32_t success = 0;
  CaptureAfter(1100, {263, 229, 263 + 275, 229 + 143});
  Click(26 + 185 + 100, 96 + 269 + 11, 400);
  Type("AutoSave");
  Click(26 + 16 + 100, 96 + 300 + 33, 300);    // Save
  Click(263 + 103 + 35, 229 + 108 + 17, 600);  // the box's OK
  Click(26 + 371 + 100, 96 + 300 + 33, 600);   // Cancel: the dialog was still open
  CDSaveDlg refused(ddraw.get(), main, program, directory, name, SAVE_GAME, &success, guild);
  EXPECT_EQ(refused.m_result, 0);
  EXPECT_EQ(success, 0u);
  EXPECT_STREQ(name, "");
  EXPECT_TRUE(Looks("save_autosave_refused.png"));
}
}  // namespace
namespace {
// The name field has the keys as the dialog opens: a name typed and Return
// save, no click first.
TEST_F(DialogRuns, SaveTakesANameTypedAtOnce) {
  char directory[kSaveDirectorySize] = {};
  char name[kSaveNameSize] = {};
  std::uint32_t success = 0;
  Type("quick", 400);
  backend->PressKey(VK_RETURN, 100);
  Click(26 + 371 + 100, 96 + 300 + 33, 600);  // Cancel, were the name not taken
  CDSaveDlg dialog(ddraw.get(), main, program, directory, name, SAVE_GAME, &success, guild);
  EXPECT_EQ(dialog.m_result, 1);
  EXPECT_STREQ(name, "quick.clt");
}
}  // namespace
