#pragma once
// What the data panel's tests share: the installation as the data build laid
// it out (art modules, rules files, the program's texts), a headless screen
// with a composition surface the panel draws into, game data for chapter 9
// (guild 1) and a small generated world, and the panel itself. Captures of
// the panel's part of the screen are compared with golden pictures.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/dialog/commctrl.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"
#include "tests/support/golden.h"
#include "tests/support/plain_window.h"

namespace panels_test {

inline constexpr std::uint16_t kLocal = 9;
inline constexpr std::uint32_t kOwnUnit = (9u << 26) | 1;
inline constexpr std::uint32_t kForeignUnit = (17u << 26) | 1;

// The views above the panel: what its rows asked of them, its flushes, and
// the rename prompt's answer (none set: the panel's own dialog).
struct TestHost : IDataPanelHost {
  void DataPanelCommand(int row, std::uint32_t extra) override {
    calls.push_back("command " + std::to_string(row) + " " + std::to_string(extra));
  }
  void SelectGuild(int guild) override { calls.push_back("guild " + std::to_string(guild)); }
  void SelectChapter(std::uint32_t row) override { calls.push_back("chapter " + std::to_string(row)); }
  void FlushScreen() override { ++flushes; }
  bool EnterName(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, std::string_view prompt, int guild,
                 std::string* text) override {
    if (!answer) return IDataPanelHost::EnterName(display, window, instance, prompt, guild, text);
    return answer(prompt, guild, text);
  }
  std::vector<std::string> calls;
  int flushes = 0;
  std::function<bool(std::string_view prompt, int guild, std::string* text)> answer;
};

class PanelScreen : public testing::Test {
 protected:
  void SetUp() override {
    using namespace plat;
    backend = &StartHeadlessBackend();
    UseVirtualClock(1000);
    ResetUserLayer();
    InitCommonControls();
    SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
    window = quentest::PlainWindow("DataPanelMain", 0, 0, 800, 600, WS_POPUP | WS_VISIBLE);
    g_ddraw = new CDDraw(window, 1);
    g_gameData = new CGameData(kLocal, 8);
    ASSERT_TRUE(g_gameData->ResourcesComplete()) << "the game's pictures are built with the game data";
    ASSERT_TRUE(g_gameData->RulesLoaded());
    screen = new CSprite(g_ddraw, nullptr, kNoColourKey, 800, 600, 0, 0, 0);
    screen->FillSurface(0, nullptr);
    font = CreateFont(13, 0, 0, 0, 600, 0, 0, 0, 0, 0, 0, PROOF_QUALITY, 0, "Times New Roman Bold");
    panel = std::make_unique<CVData>(font, screen, &dirty, g_ddraw, window, nullptr, host);
    BuildWorld();
  }
  void TearDown() override {
    using namespace plat;
    panel.reset();
    delete screen;
    if (font) DeleteObject(font);
    delete g_gameData;
    g_gameData = nullptr;
    delete g_ddraw;
    g_ddraw = nullptr;
    ResetUserLayer();
    SetProgramModulePath("/nonexistent/quenbar.dll");
    StopBackend();
    UseRealClock();
  }

  // Two chapters' names, asteroids 0..16 with zones, a design of each hull
  // class the local guild has and a foreign one, one unit of each.
  void BuildWorld() {
    CGameData& g = *g_gameData;
    g.guildList->GetChapter(kLocal)->SetName("Iron Hand");
    g.guildList->GetChapter(17)->SetName("Blue Veil");
    g.solarDB.CreateStarArray(2);
    g.solarDB.CreateStars();
    g.solarDB.CreateAsteroidArray(17);
    for (std::uint16_t i = 0; i < 17; ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      a->SetName(("Rock " + std::to_string(i)).c_str());
      a->sizeClass = 2;
      a->composition = 5;
      a->CreateZones();
      g.solarDB.SetAsteroid(std::move(a));
    }
    ownDesign = MakeDesign(kLocal, 1);
    foreignDesign = MakeDesign(17, 2);
    const Location at{3, 100, 0, 0};
    own = g.pieces.CreateUnit(ownDesign, &at, kLocal, kOwnUnit);
    own->SetName("Lancer");
    foreign = g.pieces.CreateUnit(foreignDesign, &at, 17, kForeignUnit);
    foreign->SetName("Shade");
  }
  // A design of `chapter` on its guild's first hull with the first `modules`
  // module slots fitted with the guild's first weapon.
  CGUnitTemplate* MakeDesign(std::uint8_t chapter, int n) {
    auto* design = new CGUnitTemplate(chapter, static_cast<std::int32_t>((std::uint32_t{chapter} << 26) | 0x100 | n));
    design->SetName(n == 1 ? "Spear" : "Veil");
    design->SetHull(g_gameData->hullDB->GetHull(chapter >> 3, 0));
    g_gameData->templates.AddTemplate(design, chapter);
    return design;
  }
  // Fits `count` slots with module `id` (beyond the hull's slots is fine for the read-outs).
  static void Fit(CGUnitTemplate* design, int count, std::uint16_t id) {
    for (int s = 0; s < kTemplateSlots; ++s) design->slots[s] = TemplateModuleSlot{};
    for (int s = 0; s < count; ++s) design->slots[s] = TemplateModuleSlot{id, 1};
  }
  // The texts of a row, in the order written.
  std::vector<std::string> Row(int row) const {
    std::vector<std::string> out;
    for (const DataPanelText& t : panel->shown)
      if (t.row == row) out.push_back(t.text);
    return out;
  }
  const DataPanelText* Find(const std::string& text) const {
    for (const DataPanelText& t : panel->shown)
      if (t.text == text) return &t;
    return nullptr;
  }
  // The panel's part of the composition surface, as the player sees it.
  ::testing::AssertionResult Looks(const char* golden) {
    plat::RECT whole{0, 0, 800, 600};
    screen->BltToPrimary(&whole, &whole);
    return quentest::MatchesGolden(quentest::ScreenArea({645, 95, 790, 470}),
                                   std::filesystem::path(QUEN_TEST_DATA_DIR) / golden);
  }

  plat::HeadlessBackend* backend = nullptr;
  plat::HWND window = nullptr;
  CSprite* screen = nullptr;
  plat::HFONT font = nullptr;
  plat::RECT dirty{};
  TestHost host;
  std::unique_ptr<CVData> panel;
  CGUnitTemplate* ownDesign = nullptr;
  CGUnitTemplate* foreignDesign = nullptr;
  CGUnit* own = nullptr;
  CGUnit* foreign = nullptr;
};

}  // namespace panels_test
