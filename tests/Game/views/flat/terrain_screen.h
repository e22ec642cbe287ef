#pragma once
// The terrain view over a headless screen with the game's pictures as built:
// an asteroid of chapter 9 (guild 1) shared with an ally, a renegade of the
// guild and a chapter of guild 2, and the packets its zones and the view send.
// The terrain view's tests and the terrain replay's share it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/base/GIDString.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GZone.h"
#include "Game/net/NetSession.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/flat/TerrainGeometry.h"
#include "Game/views/frame/CVGeneric.h"
#include "platform/core/random.h"
#include "platform/resource/module.h"
#include "platform/user/queue.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/recording_sink.h"

namespace terrain_test {

constexpr std::uint16_t kShown = 2;
constexpr std::uint8_t kAlly = 11;
constexpr std::uint8_t kRenegade = 12;
constexpr std::uint8_t kForeign = 17;

class TerrainView : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override {
    using namespace plat;
    SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
    OpenViewScreen("TerrainViewMain");
    // The star field scatters its stars by the C generator: each test starts
    // it afresh, so a capture does not depend on the tests run before it.
    plat::srand(7);
    CGameData& g = *g_gameData;
    const std::string art = std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/";
    g.imageModule = LoadLibrary((art + "ima.dll").c_str());
    for (int guild = 0; guild < 5; ++guild)
      g.guildModules[guild] = LoadLibrary((art + "GUILD" + std::to_string(guild + 1) + "/guild.dll").c_str());
    ASSERT_NE(g.guildModules[1], nullptr) << "the game's pictures are built with the game data";
    g.textIndex = std::make_unique<CIDString>();
    g.turn = 6;
    g.guildList->GetChapter(kRenegade)->renegade = 1;
    savedVariables = g_gameVariables;
    g_gameVariables.costStorageFacility = 4;
    g_gameVariables.costMiningFacility = 6;
    g_gameVariables.costPowerFacility = 3;
    g_gameVariables.costATVConstructionFacility = 2;
    // Chapter 9's seed banks raise both values; its power ATVs may entrench.
    CGChapter& local = *g.GetLocalChapter();
    local.atvTech[3].values[3] = 3;
    local.atvTech[2].values[4] = 'F';
    g.solarDB.CreateAsteroidArray(5);
    for (std::uint16_t i = 0; i < 5; ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      a->SetName(("Rock" + std::to_string(i)).c_str());
      a->sizeClass = static_cast<std::uint8_t>(i == kShown ? 2 : i % 5);
      a->CreateZones();
      g.solarDB.SetAsteroid(std::move(a));
    }
    CGAsteroid& a = *Shown();
    a.ringRotations[0] = 1;
    a.ringRotations[1] = -2;
    a.ringRotations[2] = 7;
    a.controller = kLocal;
    for (int z = 0; z < a.GetZoneCount(); ++z) {
      CGZone& zone = *a.GetZone(static_cast<std::uint16_t>(z));
      zone.SetOwner(kZoneNobody);  // scanned
      zone.SetMiningValue(static_cast<std::uint8_t>(z % 17));
      zone.SetAtvLimit(static_cast<std::uint8_t>(4 + z % 8));
    }
    Own(0, kLocal, 2, 0, 0, 1);
    Own(1, kLocal, 1, 7, 4, 3);
    Own(2, kAlly, 3, 1, 0, 0);
    Own(4, kRenegade, 0, 0, 2, 0);
    Own(7, kForeign, 5, 0, 0, 0);
    Own(9, kLocal, 0, 2, 0, 2);
    a.GetZone(1)->SetFacilities(FACILITY_POWER);
    a.GetZone(9)->SetFacilities(FACILITY_STORAGE | FACILITY_ATV_CONSTRUCTION);
    a.GetZone(9)->facilityOwner = kLocal;
    a.GetZone(7)->SetAtvKindEntrenched(0, 1);
    // Chapter 9's combat ATVs on their way into zone 7, more than it holds.
    a.GetZone(7)->AddArrivingAtvs(0, 9, 2, 0);
    sink.emailInto = &packets;
    g_session = new CNetSession();
    g_session->fileSendMode = 1;
    // The zones' own packets leave through the rules' send.
    sink.sequencedInto = &packets;
    SharedScreen().gotoGroup = 0;
    SharedScreen().infoPanelVisible = 0;
    SharedScreen().viewType = VIEW_TERRAIN;
    view = std::make_unique<CVTerrain>(window, program);
    g_currentView = view.get();
    SuspendScreenFlush(0);
  }
  void TearDown() override {
    using namespace plat;
    g_currentView = nullptr;
    view.reset();
    delete g_session;
    g_session = nullptr;
    g_gameVariables = savedVariables;
    CloseViewScreen();
    SetProgramModulePath("");
  }
  CGAsteroid* Shown() { return g_gameData->solarDB.GetAsteroid(kShown); }
  void Own(std::uint16_t z, std::uint8_t chapter, std::uint8_t c0, std::uint8_t c1, std::uint8_t c2, std::uint8_t c3) {
    CGZone& zone = *Shown()->GetZone(z);
    zone.SetOwner(chapter);
    zone.SetAtvCounts(c0, c1, c2, c3);
  }
  void Show(std::uint16_t asteroid = kShown) { view->Render(static_cast<std::int32_t>(kAsteroidSubject | asteroid)); }
  // The screen middle of zone z's cell of kind k on the shown asteroid.
  std::pair<int, int> CellPoint(int zone, int kind) {
    const terrain::Cell c = terrain::CellOfZone(zone, kind, Shown()->ringRotations);
    return {30 + 52 * c.column + 20, 99 + 33 * c.row + 16};
  }
  std::vector<std::uint32_t> Items(int zone, int kind) {
    const auto [x, y] = CellPoint(zone, kind);
    int n = 0;
    const auto items = view->MenuItemsAt(x, y, &n);
    return {items.begin(), items.begin() + n};
  }
  // The view switches posted since the last call, as (view type, argument).
  std::vector<std::pair<std::uint32_t, std::uint32_t>> Switches() {
    using namespace plat;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
    MSG msg;
    while (PeekMessage(&msg, window, WM_APP_SWITCH_VIEW, WM_APP_SWITCH_VIEW, PM_REMOVE))
      out.push_back({static_cast<std::uint32_t>(msg.wParam), static_cast<std::uint32_t>(msg.lParam)});
    return out;
  }
  static std::filesystem::path Golden(const char* name) { return std::filesystem::path(QUEN_TEST_DATA_DIR) / name; }

  std::unique_ptr<CVTerrain> view;
  // A sent packet's type and body (the session numbers the header's rest).
  std::vector<std::uint8_t> Sent(std::size_t i) {
    std::vector<std::uint8_t> p = packets.at(i);
    std::fill(p.begin() + 2, p.begin() + 8, 0);
    return p;
  }
  std::vector<std::vector<std::uint8_t>> packets;
  CGameVariables savedVariables;
  quentest::RecordingSink sink;
};

}  // namespace terrain_test
