#pragma once
// The order tests' game: the view screen of chapter 9 (guild 1) with four
// asteroids, a hull that takes any module and one module of each kind the
// orders read, units built from them, a session whose packets and a rules
// send whose orders are kept, the program's texts, the guilds' pictures as
// built, and guild voices recorded by file name.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/model/GameWorld.h"
#include "Game/net/NetSession.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/frame/CVFrameEffects.h"
#include "Game/views/frame/CVGeneric.h"
#include "media/CSndPlay.h"
#include "platform/dialog/ownerdraw.h"
#include "platform/resource/module.h"
#include "platform/user/messages.h"
#include "tests/Game/rules/rules_fixture.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/recording_sink.h"

namespace views_test {

// A view of a given type that records where the base sends it.
class OrderView : public CVGeneric {
 public:
  OrderView(ViewType type, plat::HWND window, plat::HINSTANCE instance) : CVGeneric(window, instance), type(type) {}
  ViewType GetViewType() const override { return type; }
  std::uint16_t GetCurrentAsteroidId() override { return current; }
  void Render(std::int32_t) override {
    AddDirtyRect({0, 0, 800, 600});
    FlushScreen();
  }
  void GoToView(plat::WPARAM a, plat::LPARAM b) override {
    views.push_back({static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b)});
  }
  ViewType type;
  std::uint16_t current = 0xFFFF;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> views;
};

enum OrderModule : std::uint16_t {
  kWeapon,
  kComputer,
  kScout,
  kDrive,
  kPower,
  kBuilder,
  kHold,
  kMines,
  kThruster,
  kLance,
  kCrawler
};

class OrderWorld : public testing::Test, protected ViewScreen {
 protected:
  static constexpr std::uint8_t kOther = 17;  // a chapter of guild 2

  void SetUp() override {
    rules_test::HullEntry hull;
    hull.name = "Yard";
    hull.unitClass = 7;
    hull.slots.assign(20, {10, 10, 1, 1, 0x1000});
    box.Write("hulls.dat", rules_test::HullsFile({{hull}}));
    using rules_test::Module;
    box.Write("modules.dat", rules_test::ModulesFile({
                                 Module("Weapon", 10, rules_test::WeaponData(2, 10, 20, 10, 3, 70, 40, 0)),
                                 Module("Computer", 1, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                                 Module("Scout", 6, {10}),
                                 Module("Drive", 5, rules_test::DriveData(20, 12)),
                                 Module("Power", 4, {10, 0, 0x2C, 0x01, 25, 0}),
                                 Module("Builder", 0, {20}),
                                 Module("Hold", 9, {10, 0}),
                                 Module("Mines", 10, rules_test::WeaponData(2, 30, 40, 30, 22, 70, 255, 1)),
                                 Module("Thruster", 5, rules_test::DriveData(0, 12)),
                                 Module("Lance", 10, rules_test::WeaponData(2, 30, 40, 30, 24, 70, 255, 1)),
                                 Module("Crawler", 5, rules_test::DriveData(1, 12)),
                             }));
    OpenViewScreen("OrderWorldMain", MenuOwnerProc);
    hulls = std::make_unique<CGHullDB>(rules_test::Sandbox::Dos("hulls.dat").c_str());
    modules = std::make_unique<CGModuleDB>(rules_test::Sandbox::Dos("modules.dat").c_str());
    World().hulls = hulls.get();
    World().modules = modules.get();
    sink.sequencedInto = &orders;
    const std::string build = QUEN_BUILD_DIR;
    plat::SetProgramModulePath(build + "/Game/quenbar.dll");
    g_gameData->textIndex = std::make_unique<CIDString>();
    World().texts = g_gameData->textIndex.get();
    guildArt = plat::LoadLibrary((build + "/gamedata/c/QUENBAR/ART/GUILD2/guild.dll").c_str());
    ASSERT_NE(guildArt, nullptr) << "the guilds' pictures are built with the game data";
    g_gameData->guildModules[1] = guildArt;
    g_gameData->solarDB.CreateAsteroidArray(4);
    for (std::uint16_t a = 0; a < 4; ++a) {
      auto asteroid = std::make_unique<CGAsteroid>(a);
      const Location at{0, static_cast<std::int16_t>(-32000 + a * 21000), 0, 0};
      asteroid->SetPosition(&at);
      asteroid->sizeClass = 1;
      asteroid->CreateZones();
      g_gameData->solarDB.SetAsteroid(std::move(asteroid));
    }
    sink.emailInto = &packets;
    g_session = new CNetSession();
    g_session->fileSendMode = 1;
    g_sndPlay = &sound;
    sound.speechEnabled = 1;  // the settings' default: speech feedback on
    SharedScreen().commandMode = kNoCommandMode;
    SharedScreen().commandUnitId = 0xFFFFFFFF;
    SharedScreen().gotoGroup = 0;
    SharedScreen().viewType = VIEW_ASTEROID_SPACE;
  }
  void TearDown() override {
    shownView = nullptr;
    view.reset();
    g_sndPlay = nullptr;
    delete g_session;
    g_session = nullptr;
    g_gameData->guildModules[1] = nullptr;
    CloseViewScreen();
    if (guildArt) plat::FreeLibrary(guildArt);
    World().hulls = nullptr;
    World().modules = nullptr;
    World().texts = nullptr;
    plat::SetProgramModulePath("/nonexistent/quenbar.dll");
  }

  // What the main window passes on to the view while a popup menu shows.
  static plat::LRESULT MenuOwnerProc(plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) {
    using namespace plat;
    switch (m) {
      case WM_MEASUREITEM:
        if (auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(l)) {
          item->itemWidth = 100;
          item->itemHeight = 20;
        }
        return 1;
      case WM_DRAWITEM:
        if (shownView) shownView->DrawMenuItem(reinterpret_cast<DRAWITEMSTRUCT*>(l));
        return 1;
      case WM_INITMENUPOPUP:
        if (shownView) shownView->OnMenuSelect(reinterpret_cast<HMENU>(w), LOWORD(l));
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        // As the program's window: the view shows its screen again.
        if (shownView) shownView->Render(-1);
        return DefWindowProc(h, m, w, l);
      default:
        return DefWindowProc(h, m, w, l);
    }
  }
  static inline OrderView* shownView = nullptr;

  OrderView& Make(ViewType type = VIEW_ASTEROID_SPACE, std::uint16_t current = 0xFFFF) {
    view = std::make_unique<OrderView>(type, window, program);
    shownView = view.get();
    view->current = current;
    SuspendScreenFlush(0);
    FlushScreen();
    return *view;
  }
  // A design of `chapter` with `fitted` modules in slots 0, 1, ...
  CGUnitTemplate* Design(std::uint8_t chapter, const std::vector<std::uint16_t>& fitted) {
    CGUnitTemplate design(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | ++serial));
    design.SetHull(hulls->GetHull(0, 0));
    for (std::size_t s = 0; s < fitted.size(); ++s) design.FitModule(static_cast<int>(s), fitted[s]);
    const int slot = fixedUsed[chapter]++;
    EXPECT_EQ(g_gameData->templates.SetFixedTemplate(design, chapter, slot), 1);
    return g_gameData->templates.GetTemplate(chapter, slot, 1);
  }
  // A unit at `asteroid` (4: solar space), fully charged.
  CGUnit* Unit(const std::vector<std::uint16_t>& fitted, std::uint16_t asteroid, std::uint8_t chapter = kLocal,
               std::int16_t x = 0) {
    const Location at{asteroid, x, 0, 0};
    CGUnit* u =
        g_gameData->pieces.CreateUnit(Design(chapter, fitted), &at, chapter, (std::uint32_t{chapter} << 26) | ++serial);
    EXPECT_NE(u, nullptr);
    if (u) u->power = u->GetMaxPower();
    return u;
  }
  CGUnit* Builder(std::uint16_t asteroid, std::uint8_t chapter = kLocal) {
    return Unit({kComputer, kBuilder, kDrive, kPower, kScout, kHold, kWeapon}, asteroid, chapter);
  }
  void Select(const CGUnit* unit) { g_gameData->AddToSelection(2, unit->id, unit->location.asteroid); }
  std::string Text(const char* id) const {
    char text[256] = {};
    g_gameData->textIndex->GetText(id, text, sizeof text);
    return text;
  }
  // The voice file of the last voice, e.g. "j05.wav"; empty when none.
  static std::string LastVoice() {
    const auto slash = SharedScreen().voicePath.find_last_of('\\');
    return slash == std::string::npos ? SharedScreen().voicePath : SharedScreen().voicePath.substr(slash + 1);
  }
  static std::string VoiceFile(int message) { return VoiceFileName(1, message); }
  // The order types of the packets 301 sent since the last call.
  std::vector<std::uint32_t> SentOrders() {
    std::vector<std::uint32_t> types;
    for (const auto& p : orders) {
      OrderPacket parsed;
      if (p.size() >= 2 && (p[0] | p[1] << 8) == 301 && ParseOrderPacket(p, &parsed)) types.push_back(parsed.type);
    }
    orders.clear();
    return types;
  }

  rules_test::Sandbox box;
  std::unique_ptr<CGHullDB> hulls;
  std::unique_ptr<CGModuleDB> modules;
  plat::HMODULE guildArt = nullptr;
  CSndPlay sound;
  std::unique_ptr<OrderView> view;
  std::vector<std::vector<std::uint8_t>> orders;
  quentest::RecordingSink sink;
  std::vector<std::vector<std::uint8_t>> packets;
  std::uint32_t serial = 0;
  std::map<std::uint8_t, int> fixedUsed;
};

}  // namespace views_test
