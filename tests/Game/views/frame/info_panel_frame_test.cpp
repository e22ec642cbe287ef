// The info panel's frame: hot spots and the highlight, type selection and the
// routing of clicks and help to the twelve page types.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameView.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/PanelFrame.h"

namespace {

using namespace plat;

class CountingView : public IGameView {
 public:
  void Invalidate() override { ++invalidations; }
  ViewType GetViewType() const override { return VIEW_SOLAR; }
  int invalidations = 0;
};

class HelpFrame : public IPanelFrame {
 public:
  void ShowHelpTopic(std::uint32_t topic, int x, int y) override {
    shown.push_back(std::to_string(topic) + "@" + std::to_string(x) + "," + std::to_string(y));
  }
  std::vector<std::string> shown;
};

class InfoPanelFrame : public testing::Test {
 protected:
  void SetUp() override {
    g_currentView = &view;
    RegisterPanelFrame(&help);
  }
  void TearDown() override {
    g_currentView = nullptr;
    RegisterPanelFrame(nullptr);
  }
  CountingView view;
  HelpFrame help;
  // No display: the pictures are empty and draw nothing.
  CInfoPanel panel{nullptr, nullptr, nullptr, nullptr};
};

TEST_F(InfoPanelFrame, StartsOnTheShipListWithEveryHotSpotUnused) {
  EXPECT_EQ(panel.type, 2);
  EXPECT_EQ(panel.hotSpotCount, kInfoHotSpots);
  for (const RECT& r : panel.hotSpots) EXPECT_EQ(r.left, -1);
  EXPECT_EQ(panel.OnMouseMove(-1, -1), 0) << "an unused spot holds no point, not even (-1, -1)";
  RECT r{};
  EXPECT_EQ(panel.GetHighlightRect(&r), 0);
}

TEST_F(InfoPanelFrame, TheFirstSpotHoldingThePointWinsAndEdgesAreOutside) {
  panel.hotSpots[3] = {100, 100, 200, 150};
  panel.hotSpots[7] = {150, 120, 300, 160};
  EXPECT_EQ(panel.OnMouseMove(160, 130), 1);
  EXPECT_EQ(panel.highlight, 3);
  EXPECT_EQ(view.invalidations, 1);
  EXPECT_EQ(panel.OnMouseMove(170, 140), 1);
  EXPECT_EQ(view.invalidations, 1) << "the same spot again repaints nothing";
  EXPECT_EQ(panel.OnMouseMove(200, 130), 1);  // right edge of 3, inside 7
  EXPECT_EQ(panel.highlight, 7);
  RECT r{};
  ASSERT_EQ(panel.GetHighlightRect(&r), 1);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(panel.OnMouseMove(250, 160), 0);  // bottom edge of 7
  EXPECT_EQ(panel.highlight, kNoHighlight);
  EXPECT_EQ(view.invalidations, 3);
  // Spots from the count upwards are never tested.
  panel.hotSpotCount = 7;
  EXPECT_EQ(panel.OnMouseMove(250, 130), 0);
  panel.hotSpotCount = 0;
  EXPECT_EQ(panel.OnMouseMove(160, 130), 0);
  EXPECT_EQ(panel.highlight, kNoHighlight);
}

TEST_F(InfoPanelFrame, SelectingATypeClearsTheHighlightAndItsResetRunsAgainForTheSameType) {
  panel.hotSpots[0] = {0, 0, 50, 50};
  panel.OnMouseMove(10, 10);
  ASSERT_EQ(panel.highlight, 0);
  panel.hotSpotCount = 1;
  EXPECT_EQ(panel.SetType(2), 2);
  EXPECT_EQ(panel.highlight, kNoHighlight);
  EXPECT_EQ(panel.hotSpotCount, kInfoHotSpots);
  EXPECT_EQ(panel.hotSpots[0].left, -1) << "the ship list's reset clears the spots";
  // The trade page's own initialisation is its reset: it fills no spots.
  panel.hotSpots[0] = {0, 0, 50, 50};
  EXPECT_EQ(panel.SetType(1), 2);
  EXPECT_EQ(panel.hotSpots[0].right, -1);
  EXPECT_EQ(panel.hotSpotCount, 0);
  // A type beyond the twelve is kept, draws nothing and resets nothing.
  panel.hotSpots[0] = {0, 0, 50, 50};
  EXPECT_EQ(panel.SetType(12), 1);
  EXPECT_EQ(panel.hotSpots[0].right, 50);
  panel.Draw();
  panel.ShowContextHelp(5, 6);
  EXPECT_TRUE(help.shown.empty());
  EXPECT_EQ(panel.OnLButtonDown(10, 10, 0), 0);
}

TEST_F(InfoPanelFrame, EachTypeShowsItsOwnHelpTopic) {
  const int topics[kInfoPanelTypes] = {308, 309, 310, 311, 314, 313, 316, 318, 312, 317, 315, 319};
  for (std::uint8_t t = 0; t < kInfoPanelTypes; ++t) {
    panel.SetType(t);
    panel.ShowContextHelp(40, 50);
    EXPECT_EQ(help.shown.back(), std::to_string(topics[t]) + "@40,50");
  }
  // No page takes a right click or a double click.
  EXPECT_EQ(panel.OnRButtonDown(100, 100, 0), 0);
  EXPECT_EQ(panel.OnLButtonDblClk(100, 100), 0);
}

}  // namespace
