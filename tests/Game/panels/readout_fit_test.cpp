// Every line of the module read-outs, for every module the rules hold, in
// each mode, measured in the panel's font: each text stays on the backdrop's
// open part of its row (x 656 to the edge at 785, where a text running past
// its row is cut) and the texts of one row do not run into each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "tests/Game/panels/panel_screen.h"

namespace {

constexpr int kBackdropRight = 785;

// Where a text stands on the screen, as the panel lays it out in its row.
struct Span {
  int left, right;
  std::string text;
};

// Adds a failure for every text of the rows shown outside its row or over a
// neighbour.
void ExpectRowsFit(CVData& panel, const std::string& what) {
  std::vector<std::vector<Span>> rows(kDataRows);
  plat::HDC dc = panel.screen->GetDC();
  ASSERT_NE(dc, nullptr);
  const plat::HGDIOBJ old = plat::SelectObject(dc, panel.font);
  for (const DataPanelText& t : panel.shown) {
    if (t.row < 0) continue;  // a caption or a text placed by offset
    plat::SIZE size{};
    EXPECT_TRUE(plat::GetTextExtentPoint32(dc, t.text.c_str(), static_cast<int>(t.text.size()), &size));
    const int width = static_cast<int>(size.cx);
    int left = kDataLeft + t.column;
    if (t.flags & kRowCentre) left = (left + kDataRight) / 2 - width / 2;
    rows[static_cast<std::size_t>(t.row)].push_back({left, left + width, t.text});
  }
  plat::SelectObject(dc, old);
  panel.screen->ReleaseDC(dc);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    std::vector<Span>& spans = rows[r];
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.left < b.left; });
    for (std::size_t i = 0; i < spans.size(); ++i) {
      const std::string where = what + ", row " + std::to_string(r) + ": \"" + spans[i].text + "\"";
      EXPECT_GE(spans[i].left, kDataLeft) << where;
      EXPECT_LE(spans[i].right, kBackdropRight) << where;
      if (i + 1 < spans.size()) {
        EXPECT_LE(spans[i].right, spans[i + 1].left) << where << " runs on";
      }
    }
  }
}

using ReadOutFit = panels_test::PanelScreen;

TEST_F(ReadOutFit, EveryModulesReadOutFitsItsRowsInEachMode) {
  CGModuleDB& db = *g_gameData->moduleDB;
  ASSERT_GE(db.GetCount(), 40);
  for (int i = 0; i < db.GetCount(); ++i) {
    ModuleRecord* m = db.GetRecord(i);
    const std::string name(m->name, strnlen(m->name, sizeof m->name));
    // Not yet researched, so that the research line shows as well.
    m->researchPoints = 9999;
    for (int mode = 0; mode < 3; ++mode) {
      panel->ShowModuleData(mode, i, 1);
      ExpectRowsFit(*panel, name + ", mode " + std::to_string(mode));
    }
  }
}

}  // namespace
