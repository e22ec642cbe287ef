#pragma once
// What the tests of the info panel's pages share: the game screen with a view,
// the program's texts and the game's pictures, the info panel shown on one
// page, and a panel frame that records what the pages ask of the data panel
// while drawing as the view framework does.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/model/GGameData.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/PanelFrame.h"
#include "Game/views/frame/CVGeneric.h"
#include "media/CSprite.h"
#include "platform/resource/module.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/golden.h"

namespace views_test {

class PagesView : public CVGeneric {
 public:
  PagesView(plat::HWND window, plat::HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
  void GoToView(plat::WPARAM a, plat::LPARAM b) override { wentTo.push_back({a, static_cast<std::uint32_t>(b)}); }
  std::vector<std::pair<plat::WPARAM, std::uint32_t>> wentTo;
};

// Draws as the view framework does; records the data panel's read-outs.
class PagesFrame : public IPanelFrame {
 public:
  int DrawScreenText(const char* text, int x, int y, int width, plat::COLORREF colour, plat::UINT format, int bold,
                     int upperCase) override {
    return ::DrawScreenText(text, x, y, width, colour, format, bold, upperCase);
  }
  int MeasureScreenText(const char* text, int bold) override { return ::MeasureScreenText(text, bold); }
  int DrawViewportLine(int x1, int y1, int x2, int y2, plat::COLORREF colour, int penWidth) override {
    return ::DrawViewportLine(x1, y1, x2, y2, colour, penWidth);
  }
  int ShadeViewportRect(int l, int t, int r, int b, plat::COLORREF colour, std::uint8_t percent) override {
    return ::ShadeViewportRect(l, t, r, b, colour, percent);
  }
  void DrawViewSprite(CSprite* sprite, int x, int y, const plat::RECT* source) override {
    ::DrawViewSprite(sprite, x, y, source);
  }
  void FlushViewport() override { ++viewportFlushes; }
  void FlushScreen() override { ++screenFlushes; }
  void ClearDataPanel(int redrawPicture) override { shown.push_back(redrawPicture ? "clear" : "clear rows"); }
  void ShowModuleData(int mode, int index, int) override {
    shown.push_back((mode ? "module mode " + std::to_string(mode) + " " : "module ") + std::to_string(index));
  }
  void ShowHullCosts(const CGHull* hull) override { shown.push_back(hull ? "hull" : "no hull"); }
  void ShowAsteroidData(std::uint16_t a) override { shown.push_back("asteroid " + std::to_string(a)); }
  std::vector<std::string> shown;
  int viewportFlushes = 0;
  int screenFlushes = 0;
};

class InfoPages : public testing::Test, protected ViewScreen {
 protected:
  void OpenPages(const char* windowClass) {
    plat::SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
    OpenViewScreen(windowClass);
    CGameData& g = *g_gameData;
    const std::string art = std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/";
    g.imageModule = plat::LoadLibrary((art + "ima.dll").c_str());
    g.guildModules[1] = plat::LoadLibrary((art + "GUILD2/guild.dll").c_str());
    ASSERT_NE(g.imageModule, nullptr) << "the game's pictures are built with the game data";
    view = std::make_unique<PagesView>(window, program);
    g_currentView = view.get();
    SuspendScreenFlush(0);
    RegisterPanelFrame(&frame);
    panel = SharedScreen().infoPanel;
    ASSERT_NE(panel, nullptr);
  }
  void ClosePages() {
    RegisterPanelFrame(nullptr);
    g_currentView = nullptr;
    view.reset();
    CloseViewScreen();
    plat::SetProgramModulePath("");
  }
  // Shows the page of `type` and draws it as the screen flush does.
  void ShowPage(std::uint8_t type) {
    view->SelectInfoPanel(260 + type, 0);
    view->SetInfoPanelVisible(1);
    Redraw();
  }
  void Redraw() {
    AddDirtyRect(kViewportRect);
    FlushScreen();
  }
  // A click or hover at panel coordinates.
  int Click(int x, int y, plat::WPARAM keys = 0) { return panel->OnLButtonDown(x + 29, y + 98, keys); }
  void Hover(int x, int y) { panel->OnMouseMove(x + 29, y + 98); }
  // The game screen's own frame in place of the recording one, over a view
  // picture of one colour: what hover shows can then be told from that
  // picture, which the panel's tint never leaves bare.
  void UseGameFrameOverPlainPicture() {
    RegisterPanelFrame(nullptr);
    InstallPanelFrame(true);
    SharedScreen().screenSprite->FillSurface(plat::RGB(0, 255, 0), &kViewportRect);
    SharedScreen().infoPanelVisible = 0;
    Redraw();
    bare = quentest::ScreenArea(kViewportRect).rgb.at(0);
    SharedScreen().infoPanelVisible = 1;
    Redraw();
  }
  void UseRecordingFrame() {
    InstallPanelFrame(false);
    RegisterPanelFrame(&frame);
  }
  // Pixels of the viewport on the screen that show the view's bare picture.
  int BarePixels() const {
    int n = 0;
    for (std::uint32_t p : quentest::ScreenArea(kViewportRect).rgb) n += p == bare;
    return n;
  }
  ::testing::AssertionResult LooksLike(const char* name) {
    return quentest::MatchesGolden(quentest::ScreenArea(kViewportRect),
                                   std::filesystem::path(QUEN_TEST_DATA_DIR) / name);
  }

  std::unique_ptr<PagesView> view;
  CInfoPanel* panel = nullptr;
  PagesFrame frame;
  std::uint32_t bare = 0;
};

}  // namespace views_test
