// The notification panel over a generated game: every code's text, colours,
// double-click action, read mark and hover object; filters, scrolling and its
// throttle, the panel's saved state against damaged bytes; and the picture.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/base/GTextFormat.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitOrder.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/CVNotify.h"
#include "Game/panels/NotifyLineFont.h"
#include "Game/panels/PanelFrame.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/CVSavedState.h"
#include "Game/views/frame/CViewNotices.h"
#include "media/CImageButton.h"
#include "platform/core/clock.h"
#include "platform/gdi/dc.h"
#include "platform/resource/module.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/build_paths.h"
#include "tests/support/golden.h"
#include "tests/support/source_scan.h"

namespace {

using namespace plat;

constexpr std::uint32_t kAlpha = (9u << 26) | 1;    // local, on asteroid 2
constexpr std::uint32_t kBravo = (17u << 26) | 5;   // guild 2, in solar space
constexpr std::uint32_t kAllied = (11u << 26) | 3;  // local guild, on asteroid 1
constexpr std::uint32_t kNone = 0xFFFFFFFFu;

class NotifyView : public CVGeneric {
 public:
  NotifyView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

// The screen around the panel, as the panel reaches it.
class RecordingFrame : public IPanelFrame {
 public:
  void FlushScreen() override { ++flushes; }
  void ShowObject(int kind, std::uint32_t id) override {
    log.push_back("object " + std::to_string(kind) + " " + std::to_string(id));
  }
  void OpenInfoPanel(std::uint32_t id) override { log.push_back("open " + std::to_string(id)); }
  void HideInfoPanel() override { log.push_back("hide"); }
  void ShowHelpTopic(std::uint32_t topic, int, int) override { log.push_back("help " + std::to_string(topic)); }
  std::vector<std::string> log;
  int flushes = 0;
};

class NotifyPanel : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override {
    // The lines' texts come from the program's string table.
    SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
    OpenViewScreen("NotifyPanelMain");
    CGameData& g = *g_gameData;
    // The pictures as the game data builds them; the game data lets them go.
    const std::string art = std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/";
    g.imageModule = LoadLibrary((art + "ima.dll").c_str());
    g.guildModules[1] = LoadLibrary((art + "GUILD2/guild.dll").c_str());
    ASSERT_NE(g.guildModules[1], nullptr) << "the game's pictures are built with the game data";
    g.solarDB.CreateAsteroidArray(5);
    for (std::uint16_t i = 0; i < 5; ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      a->SetName(("Ast" + std::to_string(i)).c_str());
      g.solarDB.SetAsteroid(std::move(a));
    }
    g.GetLocalChapter()->homeAsteroid = 2;
    g.GetLocalChapter()->SetName("Ninth");
    g.guildList->GetChapter(11)->SetName("Eleventh");
    g.guildList->GetChapter(17)->SetName("Seventeen");
    AddUnit(9, kAlpha, 2, "Alpha");
    AddUnit(17, kBravo, 5, "Bravo");
    AddUnit(11, kAllied, 1, "Ally");
    ModuleRecord laser{};
    std::snprintf(laser.name, sizeof laser.name, "Laser");
    laser.guildMask = 2;
    laser.helpTopic = 77;
    firstModule = g.moduleDB->GetCount();
    const ModuleRecord records[] = {laser};
    ASSERT_EQ(g.moduleDB->LoadModules(WriteModulesImage(records)), 1);
    g_collisionToggle = 0;
    view = std::make_unique<NotifyView>(window, program);
    g_currentView = view.get();
    SuspendScreenFlush(0);
    RegisterPanelFrame(&frame);
    RegisterAppViewNotices(&notices);
    panel = SharedScreen().notifyPanel;
    list = g.notifications.get();
    list->Clear(kAllChapters);
    panel->ResetLines();
  }
  void TearDown() override {
    RegisterPanelFrame(nullptr);
    RegisterAppViewNotices(nullptr);
    g_currentView = nullptr;
    view.reset();
    CloseViewScreen();
    SetProgramModulePath("");
  }
  void AddUnit(std::uint8_t chapter, std::uint32_t id, std::uint16_t asteroid, const char* name) {
    auto* design =
        new CGUnitTemplate(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | 0x1000 | (id & 0xFF)));
    design->unitClass = 9;
    g_gameData->templates.AddTemplate(design, chapter);
    const Location at{asteroid, 0, 0, 0};
    g_gameData->pieces.CreateUnit(design, &at, chapter, id)->SetName(name);
  }
  void Add(std::uint16_t category, std::uint16_t code, std::uint16_t p1, std::uint32_t p2, std::uint32_t p3,
           const char* text1 = "", const char* text2 = "", std::uint16_t chapter = kLocal) {
    list->Add(chapter, category, code, text1, text2, p1, p2, p3);
  }
  // The go-to messages posted since the last call.
  std::vector<std::string> GoTos() {
    std::vector<std::string> out;
    MSG msg;
    while (PeekMessage(&msg, window, WM_APP_GO_TO, WM_APP_GO_TO, PM_REMOVE))
      out.push_back("go " + std::to_string(msg.wParam) + " " + std::to_string(static_cast<std::uint32_t>(msg.lParam)));
    return out;
  }
  static void Pump() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
  }
  int LineAt(int line) const { return panel->lines[line].entry; }

  std::unique_ptr<NotifyView> view;
  RecordingFrame frame;
  CViewNotices notices;
  CVNotify* panel = nullptr;
  CGNotificationList* list = nullptr;
  std::uint16_t firstModule = 0;
};

std::string Order(std::uint32_t type) {
  char name[50];
  GetOrderTypeName(type, name, 0);
  return name;
}

std::string Asteroid(int n) { return std::to_string(0xFFFF0000u | static_cast<std::uint32_t>(n)); }

struct Row {
  std::uint16_t category, code, p1;
  std::uint32_t p2, p3;
  const char* text1;
  std::string text;
  std::vector<std::string> action;  // go-tos, then what the frame was asked
  bool read;
  std::vector<std::string> hover;
};

TEST_F(NotifyPanel, EveryCodeShowsActsAndHoversAsItsRowSays) {
  const std::uint16_t m = firstModule;
  const std::string cruiser = CGHullDB::GetHullClassText(9);
  const std::string scout = CGHullDB::GetHullClassText(3);
  const std::vector<Row> rows = {
      {1,
       101,
       0,
       5,
       kAlpha,
       "",
       "Alpha has completed its " + Order(5) + " order",
       {"go 3 " + std::to_string(kAlpha)},
       true,
       {"object 2 " + std::to_string(kAlpha)}},
      {1,
       101,
       0,
       4,
       kBravo,
       "",
       "Bravo is retreating!",
       {"go 2 " + std::to_string(kBravo)},
       true,
       {"object 2 " + std::to_string(kBravo)}},
      {1,
       101,
       0,
       35,
       kAlpha,
       "",
       "Alpha is no longer stunned",
       {"go 3 " + std::to_string(kAlpha)},
       true,
       {"object 2 " + std::to_string(kAlpha)}},
      {1, 101, 0, 5, kNone, "", "Unit dead", {}, true, {}},
      {1,
       103,
       0,
       0,
       kAlpha,
       "",
       "Alpha has been destroyed",
       {"go 3 " + std::to_string(kAlpha)},
       true,
       {"object 2 " + std::to_string(kAlpha)}},
      {1,
       103,
       0,
       0,
       kBravo,
       "",
       "Enemy unit Bravo has been destroyed",
       {"go 2 " + std::to_string(kBravo)},
       true,
       {"object 2 " + std::to_string(kBravo)}},
      {1,
       104,
       0,
       kBravo,
       kAlpha,
       "",
       "Scan result for Alpha",
       {"go 0 " + std::to_string(kBravo)},
       true,
       {"object 2 " + std::to_string(kBravo)}},
      {1, 105, 3, 1, kNone, "", "Ast1 has been surveyed by Eleventh", {"go 1 " + Asteroid(1)}, true, {"object 0 1"}},
      {1, 106, 3, 9, 4, "", "3 combats have been landed on Ast4", {"go 1 " + Asteroid(4)}, true, {"object 0 4"}},
      {1, 106, 1, 17, 4, "", "Seventeen has landed 1 combat on Ast4", {"go 1 " + Asteroid(4)}, true, {"object 0 4"}},
      {1, 107, 0, 3, kNone, "", "Your attempt to raise the mining level of a zone on Ast3 failed.", {}, false, {}},
      {1, 108, 1, 3, kNone, "", "Your attempt to raise the stacking limit on Ast3 succeeded.", {}, false, {}},
      {1,
       109,
       m,
       0,
       kAlpha,
       "",
       "Alpha's Laser damaged due to power overload",
       {"go 3 " + std::to_string(kAlpha)},
       true,
       {"object 2 " + std::to_string(kAlpha)}},
      {1,
       110,
       m,
       0,
       kAlpha,
       "",
       "Alpha's Laser has run out of ammunition!",
       {"go 3 " + std::to_string(kAlpha)},
       true,
       {"object 2 " + std::to_string(kAlpha)}},
      {1,
       112,
       0,
       0,
       kAlpha,
       "",
       "Alpha has stunned its target",
       {"go 3 " + std::to_string(kAlpha)},
       true,
       {"object 2 " + std::to_string(kAlpha)}},
      {1,
       113,
       0,
       (3u << 16) | 1,
       kNone,
       "4",
       "4 ATV(s) produced on Ast3",
       {"go 1 " + Asteroid(1)},
       true,
       {"object 0 3"}},
      {1,
       113,
       1,
       (3u << 16) | 1,
       kNone,
       "",
       "ATV production facility on Ast3 was halted. Stacking limits were reached",
       {"go 1 " + Asteroid(1)},
       true,
       {"object 0 3"}},
      {1, 113, 7, (3u << 16) | 1, kNone, "", "", {"go 1 " + Asteroid(1)}, true, {"object 0 3"}},
      {1,
       114,
       0,
       2,
       kNone,
       "",
       "Previously undetected units on Ast2. Landing aborted. Scan updated.",
       {"go 1 " + Asteroid(2)},
       true,
       {"object 0 2"}},
      {1, 100, 0, 0, kNone, "", "Unknown subtype - unit event", {}, true, {}},
      {1, 199, 0, 0, kNone, "", "Unknown subtype - unit event", {}, false, {}},
      {2,
       201,
       0,
       3,
       kBravo,
       "",
       "Your bid for a " + scout + " class ship has been accepted",
       {"go 3 " + std::to_string(kBravo)},
       false,
       {"object 2 " + std::to_string(kBravo)}},
      {2, 202, 0, 9, kNone, "", "Your bid for a " + cruiser + " class ship has been rejected", {"open 261"}, true, {}},
      {2, 203, 40, 1, (17u << 16) | 2, "", "You sold 40 Silicates from Ast2 to the Seventeen", {"open 261"}, true, {}},
      {2,
       204,
       40,
       2,
       (17u << 16) | 2,
       "",
       "40 Exotics purchased from Seventeen. Will be received at Ast2",
       {"open 261"},
       true,
       {}},
      {2, 206, 7, 3, (1u << 16) | 2, "", "Transfer of 7 Reactives from Ast1 received at Ast2", {"open 261"}, true, {}},
      {2,
       207,
       9,
       17,
       0xFFFFFFFFu,
       "",
       "You sold a " + cruiser + " to Seventeen, nowhere to receive payment",
       {"open 261"},
       true,
       {}},
      {2,
       208,
       4,
       10,
       (30u << 16) | 20,
       "5",
       "10 Metals, 20 Silicates, 30 Exotics, 5 Reactives mined from Ast4",
       {"go 1 " + Asteroid(4)},
       true,
       {"object 0 4"}},
      {2, 210, 0, 0, kNone, "", "", {"go 3 " + std::to_string(kNone)}, false, {}},
      {2,
       212,
       1,
       0,
       kNone,
       "",
       "Your offer to sell the vote from Ast1 has been posted",
       {"go 3 " + Asteroid(1)},
       true,
       {"object 0 1"}},
      {2,
       219,
       1,
       (3u << 16) | 2,
       kNone,
       "4",
       "You've recycled 1 Metal, 2 Silicate, 3 Exotics, 4 Reactives from a dead unit",
       {},
       true,
       {}},
      {2,
       220,
       0,
       0,
       kAlpha,
       "",
       "The build ATV order given to Alpha was reduced due to limited capacity",
       {"go 3 " + std::to_string(kAlpha)},
       true,
       {"object 2 " + std::to_string(kAlpha)}},
      {2,
       221,
       0,
       0,
       kNone,
       "",
       "Your attempt to acquire a new ability failed due to lack of organics",
       {"open 261"},
       false,
       {}},
      {2,
       225,
       3,
       0,
       (2u << 16) | 1,
       "",
       "Auto-xfer of 3 Metals from Ast1 to Ast2 failed. Not enough Metals",
       {"open 261"},
       true,
       {"object 0 3"}},
      {2,
       229,
       2,
       0,
       12,
       "",
       "12 incoming Metals were lost to a blockade at Ast2",
       {"go 3 " + Asteroid(2)},
       true,
       {"object 0 2"}},
      {2, 200, 0, 0, kNone, "", "unknown subtype - trade event", {}, true, {}},
      {3,
       301,
       4,
       3,
       kNone,
       "",
       "From Eleventh (3): I am under attack at Ast4",
       {"go 2 " + Asteroid(4)},
       true,
       {"object 0 4"}},
      {3,
       302,
       static_cast<std::uint16_t>(-5),
       11,
       254,
       "",
       "Eleventh relations slightly worsened due to your renegade vote",
       {},
       true,
       {}},
      {3,
       302,
       static_cast<std::uint16_t>(-15),
       3,
       1,
       "",
       "Eleventh relations greatly worsened due to your actions at Ast1",
       {},
       true,
       {}},
      {3, 303, 6, 3, 99, "", "Eleventh relations moderately improved ", {}, true, {}},
      {3, 303, 5, 3, 255, "", "Eleventh relations slightly improved due to your generous trade offers", {}, true, {}},
      {3, 303, 15, 3, 252, "", "Eleventh relations greatly improved ", {}, true, {}},
      {3,
       302,
       static_cast<std::uint16_t>(-14),
       3,
       253,
       "",
       "Eleventh relations moderately worsened due to your withdrawal of Imperator support",
       {},
       true,
       {}},
      {4, 401, 0, 3, kNone, "", "Encounter at Ast3", {"go 6 " + Asteroid(3), "hide"}, true, {"object 0 3"}},
      {4,
       402,
       0,
       2,
       kNone,
       "",
       "Welcome to the game. Your homeworld is Ast2",
       {"go 3 " + Asteroid(2)},
       true,
       {"object 0 2"}},
      {4, 404, m, 0, kNone, "", "Research completed on the Construction module Laser!", {"help 77"}, true, {}},
      {4,
       406,
       m,
       0,
       kNone,
       "",
       "Scientists suffered a setback in the study of the Laser module",
       {"help 77"},
       true,
       {}},
      {4, 409, 0, 17, kNone, "", "Seventeen (Chapter 17) has been eliminated!", {}, true, {}},
      {4, 411, 0, 1, kNone, "", "Review terrain battle on Ast1", {"go 7 " + Asteroid(1)}, true, {"object 0 1"}},
      {4, 412, 1, 0, kNone, "", "Your guild is now in interregnum", {"open 260"}, true, {}},
      {4, 413, 2, 0, kNone, "", "Guild Blue Talon Corps is no longer in interregnum", {"open 260"}, true, {}},
      {4,
       414,
       17,
       4,
       kNone,
       "",
       "Guild member Seventeen has located the asteroid Ast4",
       {"go 2 " + Asteroid(4)},
       true,
       {"object 0 4"}},
      {4, 414, 40, 4, kNone, "", "", {"go 2 " + Asteroid(4)}, true, {"object 0 4"}},
      {4,
       415,
       50,
       4,
       4,
       "",
       "Scientists found a strange device which exploded, destroying 50 ATVs on Ast4",
       {"go 1 " + Asteroid(4)},
       true,
       {}},
      {4,
       416,
       1,
       0,
       kAllied,
       "",
       "Allied Cruiser detected at Ast1",
       {"go 3 " + std::to_string(kAllied)},
       true,
       {"object 2 " + std::to_string(kAllied)}},
      {4,
       416,
       1,
       0,
       kBravo,
       "",
       "Enemy Cruiser detected at Ast1",
       {"go 2 " + std::to_string(kBravo)},
       true,
       {"object 2 " + std::to_string(kBravo)}},
      {4, 416, 1, 0, kNone, "", "Enemy detected at Ast1 but it fled to solar space", {}, true, {}},
      {4, 417, 5, 0, kNone, "", "", {}, true, {}},
      {4,
       421,
       0,
       2,
       kNone,
       "",
       "Double click on the right side of the goto button to view its surface",
       {"go 1 " + Asteroid(2)},
       true,
       {}},
      {4,
       422,
       0,
       0,
       kNone,
       "",
       "Select the lower left hand button in the button area to enter the design chamber",
       {"go 0 4294967295"},
       true,
       {}},
      {4, 423, 0, 0, kNone, "", "You are our best hope for success, good luck!", {}, false, {}},
      {4,
       427,
       0,
       250,
       kNone,
       "",
       "Scientists advise that 250 unallocated research points are available for use",
       {"open 264"},
       true,
       {}},
      {4, 450, 0, 0, kNone, "", "Unknown subtype - game event", {}, false, {}},
      {5,
       501,
       3,
       17,
       kNone,
       "",
       "From Seventeen: Please remove your forces from Ast3",
       {"go 1 " + Asteroid(3)},
       true,
       {"object 0 3"}},
      {5, 500, 0, 0, kNone, "", "Unknown subtype - chat event", {}, true, {}},
      {6, 601, 0, 17, kNone, "", "The Seventeen chapter is now considered renegade", {"open 260"}, true, {}},
      {6, 606, 3, 0, kNone, "", "The Eleventh has withdrawn support for you as imperator", {"open 260"}, true, {}},
      {6, 610, 0, 0, kNone, "", "Unknown subtype - vote event", {}, false, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "code " << r.code << " p1 " << r.p1 << " p3 " << r.p3);
    list->Clear(kAllChapters);
    panel->ResetLines();
    Add(r.category, r.code, r.p1, r.p2, r.p3, r.text1, r.code == 106 ? "combat" : "");
    EXPECT_EQ(panel->FormatEntry(0).text, r.text);
    frame.log.clear();
    GoTos();
    panel->ActivateLine(0);
    std::vector<std::string> acted = GoTos();
    acted.insert(acted.end(), frame.log.begin(), frame.log.end());
    EXPECT_EQ(acted, r.action);
    EXPECT_EQ(list->IsRead(0), r.read ? 1u : 0u);
    frame.log.clear();
    panel->ShowRecordContext(0);
    EXPECT_EQ(frame.log, r.hover);
  }
}

TEST_F(NotifyPanel, LinesTakeTheirCategorysColoursAndAReadLineKeepsItsShadow) {
  const COLORREF unread[] = {RGB(255, 190, 190), RGB(190, 255, 190), RGB(215, 216, 255),
                             RGB(255, 255, 190), RGB(190, 255, 255), RGB(255, 190, 255)};
  const COLORREF shadow[] = {RGB(160, 0, 0),   RGB(0, 120, 0),   RGB(0, 0, 150),
                             RGB(100, 100, 0), RGB(0, 100, 100), RGB(150, 0, 150)};
  for (std::uint16_t c = 1; c <= 6; ++c) Add(c, static_cast<std::uint16_t>(c * 100), 0, 0, kNone);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(panel->FormatEntry(i).colour, unread[i]);
    list->GetEntry(i)->read = 1;
    EXPECT_EQ(panel->FormatEntry(i).colour, RGB(125, 125, 115));
    EXPECT_EQ(panel->FormatEntry(i).shadow, shadow[i]);
  }
  // A right click flips the read mark; with Alt it asks for the category's help.
  panel->ResetLines();
  EXPECT_EQ(panel->OnRButtonDown(100, 500, 0), 1);
  EXPECT_EQ(list->IsRead(0), 0u);
  backend->KeyDown(VK_MENU);
  Pump();
  frame.log.clear();
  panel->OnRButtonDown(100, 500 + 16 * 3, 0);
  backend->KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(frame.log, (std::vector<std::string>{"help 204"}));
  EXPECT_EQ(panel->OnRButtonDown(100, 500 + 16 * 5 + 200, 0), 0);  // no entry there
}

TEST_F(NotifyPanel, HostileEntriesGiveEmptyOrUnknownLinesAndNoReadPastATable) {
  char noNul[64];
  std::fill(std::begin(noNul), std::end(noNul), '7');
  const std::uint32_t far = 0xFFFFu;
  Add(1, 106, 3, 40, far);                 // chapter 40, asteroid out of range
  Add(1, 109, 0x7FFF, 0, kAlpha);          // no such module
  Add(2, 203, 1, 99, (255u << 16) | far);  // mineral 99, chapter 255
  Add(2, 207, 200, 17, 4);                 // hull class 200
  Add(1, 113, 0, 0xFFFF0000u, kNone);      // high(param2) negative
  Add(0, 402, 0, 2, kNone);                // cleared category
  Add(7, 402, 0, 2, kNone);
  Add(4, 0xFFFF, 0, 2, kNone);  // a code read as negative
  Add(4, 412, 900, 0, kNone);   // no such guild
  Add(1, 113, 0, 0, kNone);
  std::memcpy(list->GetEntry(9)->text1, noNul, sizeof noNul);
  std::memcpy(list->GetEntry(9)->text2, noNul, sizeof noNul);
  EXPECT_EQ(panel->FormatEntry(0).text, " has landed 3 s on ");
  EXPECT_EQ(panel->FormatEntry(1).text, "Alpha's  damaged due to power overload");
  EXPECT_EQ(panel->FormatEntry(2).text, "You sold 1  from  to the ");
  EXPECT_EQ(panel->FormatEntry(4).text, " ATV(s) produced on ");
  EXPECT_EQ(panel->FormatEntry(5).text, "");
  EXPECT_EQ(panel->FormatEntry(6).text, "");
  EXPECT_EQ(panel->FormatEntry(7).text, "Unknown subtype - game event");
  EXPECT_EQ(panel->FormatEntry(8).text, "Guild  is now in interregnum");
  EXPECT_EQ(panel->FormatEntry(9).text, std::string(64, '7') + " ATV(s) produced on Ast0");
  // Nothing to show or go to for an asteroid that does not exist or a negative one.
  frame.log.clear();
  panel->ShowRecordContext(0);
  panel->ShowRecordContext(4);
  EXPECT_TRUE(frame.log.empty());
  GoTos();
  panel->ActivateLine(0);
  EXPECT_TRUE(GoTos().empty());
}

TEST_F(NotifyPanel, FiltersHideEntriesAndShowAllBringsBackOnlyTheCodeFilteredOnes) {
  Add(1, 105, 3, 1, kNone);
  Add(2, 217, 0, 0, kNone);
  Add(2, 226, 0, 0, kNone);
  panel->ResetLines();
  EXPECT_EQ(panel->showAllButton->disabled, 1u);
  EXPECT_EQ(panel->singleTypeButton->disabled, 0u);  // position 0 holds an entry
  // The single-type filter takes the selected line's code.
  panel->OnLButtonDown(100, 500 + 16 * 1, 0);
  EXPECT_EQ(panel->selected, 1u);
  panel->FilterSelectedKind();
  EXPECT_EQ(list->codeFilters[1][16], 1u);
  EXPECT_EQ(panel->showAllButton->disabled, 0u);
  EXPECT_EQ(LineAt(1), 2);
  EXPECT_EQ(LineAt(2), -1);
  panel->ToggleShowAll();
  EXPECT_EQ(panel->showAllButton->normalShown, 0u);
  EXPECT_EQ(LineAt(1), 1);
  EXPECT_EQ(list->IsFiltered(LineAt(1)), 1);
  // A category filter hides its entries even with show-all.
  panel->ToggleCategoryFilter(106);
  EXPECT_EQ(panel->filterButtons[1]->normalShown, 0u);
  EXPECT_EQ(LineAt(0), 0);
  EXPECT_EQ(LineAt(1), -1);
  // The selected position now holds nothing: the single-type button goes grey.
  EXPECT_EQ(panel->singleTypeButton->disabled, 1u);
}

TEST_F(NotifyPanel, ScrollingFollowsWhatThePanelShowsWithinItsThrottle) {
  for (int i = 0; i < 6; ++i) Add(4, 403, 0, 0, kNone);
  for (int i = 0; i < 4; ++i) Add(4, 403, 0, 0, kNone, "", "", 12);  // another chapter's
  panel->ResetLines();
  AdvanceVirtualClock(1000);
  panel->ScrollOneLine(1, 0);
  EXPECT_EQ(panel->scrollOffset, 0) << "six lines never scroll down";
  AdvanceVirtualClock(1000);
  panel->ScrollOneLine(0, 0);
  EXPECT_EQ(panel->scrollOffset, 0);
  // A seventh line: an added entry scrolls at once, forced.
  Add(4, 403, 0, 0, kNone);
  EXPECT_EQ(panel->scrollOffset, 1);
  // Within 100 ms an unforced request is ignored and does not restart the wait.
  AdvanceVirtualClock(60);
  panel->OnMouseWheel(static_cast<WPARAM>(120) << 16);
  EXPECT_EQ(panel->scrollOffset, 1);
  AdvanceVirtualClock(40);
  panel->OnMouseWheel(static_cast<WPARAM>(120) << 16);
  EXPECT_EQ(panel->scrollOffset, 0);
  // A delta of exactly 0 scrolls down.
  AdvanceVirtualClock(100);
  panel->OnMouseWheel(0);
  EXPECT_EQ(panel->scrollOffset, 1);
  // Back to the top after a turn: half a second and 25 ms a line of program time.
  const DWORD before = timeGetTime();
  panel->ScrollToTop();
  EXPECT_EQ(panel->scrollOffset, 0);
  EXPECT_EQ(timeGetTime() - before, 525u);
}

// A restart packet with no restart after it makes the game data anew while the
// panel stays: new notices, redraws and the next autosave read the new list.
TEST_F(NotifyPanel, GameDataMadeAnewUnderThePanelIsTheListItShowsAndSaves) {
  for (int i = 0; i < 8; ++i) Add(4, 403, 0, 0, kNone);
  panel->Refresh();
  delete g_gameData;
  // Made as the fixture's own was, before the screen hears of it (no help library).
  RegisterAppViewNotices(nullptr);
  g_gameData = new CGameData(kLocal, 8);
  RegisterAppViewNotices(&notices);
  list = g_gameData->notifications.get();
  AdvanceVirtualClock(1000);
  Add(4, 403, 0, 0, kNone);
  panel->ResetLines();
  panel->Refresh();
  EXPECT_EQ(LineAt(0), 0);
  EXPECT_EQ(LineAt(1), -1);
  panel->ScrollOneLine(1, 1);
  EXPECT_EQ(panel->scrollOffset, 0);
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  ASSERT_TRUE(panel->Save(w));
  list->Clear(kAllChapters);
  BlockReader r(bytes);
  ASSERT_EQ(panel->Load(r), LoadStatus::kOk);
  EXPECT_EQ(list->GetCount(), 1u);
}

TEST_F(NotifyPanel, TwoDoubleClicksOnACollisionLineShowBothAsteroidsInTurn) {
  Add(4, 418, 4, 1, kNone);
  EXPECT_EQ(panel->FormatEntry(0).text, "Asteroids Ast1 and Ast4 have collided!");
  panel->OnLButtonDblClk(100, 500);
  panel->OnLButtonDblClk(100, 500);
  EXPECT_EQ(GoTos(), (std::vector<std::string>{"go 2 " + Asteroid(1), "go 2 " + Asteroid(4)}));
}

TEST_F(NotifyPanel, SavedStateRoundTripsWithFiltersShownAndDamagedBytesChangeNothing) {
  Add(1, 105, 3, 1, kNone);
  Add(3, 303, 6, 3, 99);
  panel->ToggleCategoryFilter(107);
  list->SetCodeFilter(0, 4, 1);
  panel->ToggleShowAll();
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  ASSERT_TRUE(panel->Save(w));

  // A fresh panel state: no filters, buttons up.
  panel->ResetFilters();
  panel->ToggleCategoryFilter(107);
  panel->ToggleCategoryFilter(107);
  list->Clear(kAllChapters);
  // Every cut of the block is refused and the list stays as it was.
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    BlockReader r(std::span<const std::uint8_t>(bytes.data(), n));
    EXPECT_NE(panel->Load(r), LoadStatus::kOk) << n;
    EXPECT_EQ(list->GetCount(), 0u);
  }
  BlockReader r(bytes);
  ASSERT_EQ(panel->Load(r), LoadStatus::kOk);
  EXPECT_EQ(list->GetCount(), 2u);
  EXPECT_EQ(list->categoryFilters[2], 1u);
  EXPECT_EQ(panel->filterButtons[2]->normalShown, 0u);
  EXPECT_EQ(panel->filterButtons[0]->normalShown, 1u);
  EXPECT_EQ(panel->showAllButton->normalShown, 0u);
  EXPECT_EQ(LineAt(0), 0);
  EXPECT_EQ(list->IsFiltered(0), 1);
  EXPECT_EQ(LineAt(1), -1);
}

TEST_F(NotifyPanel, TheWelcomeLinesCarryTheHomeAsteroidAndThePanelLooksAsDrawn) {
  // The view framework's first view raised them; a new one does so again.
  view.reset();
  view = std::make_unique<NotifyView>(window, program);
  g_currentView = view.get();
  RegisterPanelFrame(nullptr);
  panel = SharedScreen().notifyPanel;
  SuspendScreenFlush(0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list->GetEntry(i)->param2, 2u) << i;
  Add(1, 103, 0, 0, kBravo);
  // A read line, the selected line's band, and a line only show-all brings back, marked.
  list->GetEntry(2)->read = 1;
  panel->selected = 2;
  list->SetCodeFilter(3, 22, 1);
  panel->ToggleShowAll();
  panel->ScrollOneLine(1, 1);
  panel->Refresh();
  FlushScreen();
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea({0, 490, 640, 600}),
                                      std::filesystem::path(QUEN_TEST_DATA_DIR) / "notify_panel.png"));
}

}  // namespace

namespace {

// A saved view block as older programs wrote it: the panel's state, the goto
// table (every slot kind 12, id = its number), then the fields of `version`.
std::vector<std::uint8_t> OldBlock(std::uint8_t version, std::uint8_t group, std::uint8_t infoType) {
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  w.U8(version);
  w.U32(1);
  CGNotificationList empty;
  empty.Save(w);
  for (std::uint32_t i = 0; i < 100; ++i) {
    w.U16(12);
    w.U32(i);
  }
  w.U8(0xFE);
  w.U32(5);             // END TURN given in turn 5
  w.U16(3);             // cursor
  w.U32(VIEW_TERRAIN);  // view type
  w.U32(VIEW_ASTEROID_SPACE);
  w.U8(group);
  w.U16(4);  // previous asteroid
  w.U32(0);  // frame animations off
  if (version > 2) {
    w.U32(1);
    w.U32(1);
  }
  w.U8(infoType);
  if (version > 1) w.U16(2);
  w.U8(0xFE);
  return bytes;
}

TEST_F(NotifyPanel, TheSavedViewBlockRoundTripsAndEndTurnMayBeGivenAgain) {
  Add(2, 217, 0, 0, kNone);
  panel->ToggleCategoryFilter(110);
  SharedScreen().gotoSlots[57] = {GOTO_UNIT, kAlpha};
  SharedScreen().gotoGroup = 5;
  SharedScreen().endTurnSentTurn = 8;
  SharedScreen().cursorKind = 4;
  SharedScreen().viewType = VIEW_TERRAIN;
  SharedScreen().previousViewType = VIEW_ASTEROID_SPACE;
  SharedScreen().previousViewAsteroid = 3;
  SharedScreen().frameAnimationsOn = 0;
  SharedScreen().cameraTravelOff = 1;
  SharedScreen().shipFacingOff = 1;
  SharedScreen().turnLampCount = 2;
  view->SelectInfoPanel(265, 0);
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  ASSERT_TRUE(WriteSavedViewBlock(w));
  EXPECT_EQ(bytes[0], 3);
  EXPECT_EQ(bytes.back(), 0xFE);

  SharedScreen().gotoSlots.fill(GotoEntry{});
  SharedScreen().gotoGroup = 0;
  SharedScreen().cameraTravelOff = SharedScreen().shipFacingOff = 0;
  SharedScreen().turnLampCount = 0;
  list->Clear(kAllChapters);
  panel->ToggleCategoryFilter(110);
  view->SelectInfoPanel(262, 0);
  SharedScreen().viewType = VIEW_SOLAR;
  BlockReader r(bytes);
  ASSERT_EQ(ReadSavedViewBlock(r), LoadStatus::kOk);
  EXPECT_EQ(r.Pos(), bytes.size());
  EXPECT_EQ(SharedScreen().gotoSlots[57].kind, GOTO_UNIT);
  EXPECT_EQ(SharedScreen().gotoSlots[57].id, kAlpha);
  EXPECT_EQ(SharedScreen().gotoGroup, 5);
  EXPECT_EQ(SharedScreen().endTurnSentTurn, 0xFFFFFFFFu);
  EXPECT_EQ(SharedScreen().cursorKind, 4);
  EXPECT_EQ(SharedScreen().previousViewAsteroid, 3);
  EXPECT_EQ(SharedScreen().viewType, static_cast<std::uint32_t>(VIEW_TERRAIN)) << "the view saved in";
  EXPECT_EQ(SharedScreen().previousViewType, static_cast<std::uint32_t>(VIEW_ASTEROID_SPACE));
  EXPECT_EQ(SharedScreen().cameraTravelOff, 1u);
  EXPECT_EQ(SharedScreen().turnLampCount, 2);
  EXPECT_EQ(SharedScreen().infoPanel->type, 5);
  EXPECT_EQ(list->GetCount(), 1u);
  EXPECT_EQ(panel->filterButtons[5]->normalShown, 0u);
}

TEST_F(NotifyPanel, OlderSavedViewBlocksLeaveTheFieldsTheyLackAndDamagedOnesChangeNothing) {
  SharedScreen().cameraTravelOff = 7;
  SharedScreen().turnLampCount = 9;
  const std::vector<std::uint8_t> v1 = OldBlock(1, 2, 4);
  BlockReader r1(v1);
  ASSERT_EQ(ReadSavedViewBlock(r1), LoadStatus::kOk);
  EXPECT_EQ(r1.Pos(), v1.size());
  EXPECT_EQ(SharedScreen().gotoSlots[99].id, 99u);
  EXPECT_EQ(SharedScreen().gotoGroup, 2);
  EXPECT_EQ(SharedScreen().cameraTravelOff, 7u);
  EXPECT_EQ(SharedScreen().turnLampCount, 9);
  EXPECT_EQ(SharedScreen().infoPanel->type, 4);
  const std::vector<std::uint8_t> v2 = OldBlock(2, 3, 200);
  BlockReader r2(v2);
  ASSERT_EQ(ReadSavedViewBlock(r2), LoadStatus::kOk);
  EXPECT_EQ(SharedScreen().turnLampCount, 2);
  EXPECT_EQ(SharedScreen().cameraTravelOff, 7u);
  EXPECT_EQ(SharedScreen().infoPanel->type, 4) << "a type above 11 leaves the info panel";

  SharedScreen().gotoGroup = 1;
  const std::vector<std::uint8_t> v3 = OldBlock(3, 6, 0);
  for (std::size_t n = 0; n < v3.size(); ++n) {
    BlockReader r(std::span<const std::uint8_t>(v3.data(), n));
    EXPECT_NE(ReadSavedViewBlock(r), LoadStatus::kOk) << n;
  }
  EXPECT_EQ(SharedScreen().gotoGroup, 1);
  for (std::uint8_t version : {0, 4}) {
    std::vector<std::uint8_t> bad = v3;
    bad[0] = version;
    BlockReader r(bad);
    EXPECT_EQ(ReadSavedViewBlock(r), LoadStatus::kBadVersion);
  }
  const std::vector<std::uint8_t> farGroup = OldBlock(3, 10, 0);
  BlockReader r(farGroup);
  EXPECT_EQ(ReadSavedViewBlock(r), LoadStatus::kBadCount);
  EXPECT_EQ(SharedScreen().gotoGroup, 1);
  std::vector<std::uint8_t> badEnd = v3;
  badEnd.back() = 0xFD;
  BlockReader re(badEnd);
  EXPECT_EQ(ReadSavedViewBlock(re), LoadStatus::kBadEndByte);
  EXPECT_EQ(SharedScreen().gotoGroup, 1);
}

}  // namespace

namespace {

// A full redraw lays the screen's frame picture over everything drawn on the
// composition surface: the data panel comes back as it was and the
// notification panel's buttons show their faces again (a loaded game's first
// screen, the screen after a save), rather than the bare frame.
TEST_F(NotifyPanel, AFullRedrawBringsBackTheDataPanelAndThePanelsButtons) {
  ASSERT_NE(SharedScreen().dataPanel, nullptr);
  Add(1, 103, 0, 0, kBravo);
  panel->Refresh();
  view->RefreshDataPanel(1);
  FlushScreen();
  const plat::RECT dataPanel{640, 95, 800, 470};
  const plat::Image panelBefore = quentest::ScreenArea(dataPanel);
  SharedScreen().screenSprite->LoadImage(nullptr);
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
  const plat::Image bare = quentest::ScreenArea({0, 0, 800, 600});
  ASSERT_NE(quentest::Crop(bare, dataPanel).rgb, panelBefore.rgb) << "the frame alone would pass";
  // As the main loop's full redraw does.
  view->RedrawBackground();
  view->RedrawDataPanel();
  FlushScreen();
  EXPECT_EQ(quentest::ScreenArea(dataPanel).rgb, panelBefore.rgb);
  int faces = 0;
  for (std::uint32_t id : {105u, 106u, 107u, 108u, 109u, 110u, 250u, 251u, 252u, 253u}) {
    CImageButton* button = panel->GetControlButton(id);
    ASSERT_NE(button, nullptr) << id;
    if (!IsWindowVisible(button->window)) continue;
    const plat::RECT area{button->x, button->y, button->x + button->width, button->y + button->height};
    EXPECT_NE(quentest::ScreenArea(area).rgb, quentest::Crop(bare, area).rgb) << id;
    ++faces;
  }
  EXPECT_EQ(faces, 10);
}

}  // namespace

// Every text a notice line can show, its names as long as the game's default
// chapter names and its numbers four digits, fits between the panel's margin
// and its right edge in the face the line is written in.
TEST(NotifyLines, EveryNoticeTextFitsThePanel) {
  const std::filesystem::path source = QUEN_SOURCE_DIR;
  std::map<std::string, std::string> raw;
  std::istringstream table(quentest::ReadWholeFile(source / "data/strings/strings.txt"));
  for (std::string line; std::getline(table, line);) {
    const std::size_t quote = line.find('"');
    if (line.empty() || line[0] == '#' || quote == std::string::npos || line.size() < quote + 2) continue;
    raw[line.substr(0, 8)] = line.substr(quote + 1, line.size() - quote - 2);
  }
  const std::string code = quentest::ReadWholeFile(source / "Game/panels/CVNotifyTexts.cpp");
  const std::regex id("\"([A-Z0-9_!?+]{8})\"");
  std::set<std::string> ids;
  for (auto m = std::sregex_iterator(code.begin(), code.end(), id); m != std::sregex_iterator(); ++m)
    if (raw.count((*m)[1])) ids.insert((*m)[1]);
  ASSERT_GT(ids.size(), 100u);
  // A new device context holds the face the panel's lines start in.
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  const int room = kNotifyPanelRect.right - 35;
  for (const std::string& name : ids) {
    // Each slot takes an argument of the kind its letter asks for.
    std::vector<TextArg> args;
    for (int slot = 1; slot <= 8; ++slot) {
      const std::string& text = raw[name];
      if (text.find("%n" + std::to_string(slot)) != std::string::npos)
        args.emplace_back(9999);
      else if (text.find("%f" + std::to_string(slot)) != std::string::npos)
        args.emplace_back(99.99);
      else
        args.emplace_back("Diplomatic Aerie");
    }
    const std::string text = FormatText(raw[name], args, [&](const char* other) -> std::optional<std::string> {
      return raw.count(other) ? std::optional<std::string>(raw[other]) : std::nullopt;
    });
    const NotifyLineFont face(dc, text, room);
    EXPECT_LE(face.Width(text), room) << name << ": " << text;
  }
  DeleteDC(dc);
}
