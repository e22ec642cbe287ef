// Every line of the data panel's read-outs, for every module and hull the
// rules hold, every name the default world gives chapters, asteroids and stars
// and a chapter's longest name, and every order and move failure, measured in
// the panel's font: each text stays on the backdrop's open part of its row
// (x 656 to the edge at 785, where a text running past its row is cut; a
// centred one within the row) with a gap before the next text of its row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Game/model/GUnitOrder.h"
#include "Game/model/GZone.h"
#include "Game/panels/CVDataText.h"
#include "Game/rules/GAstNames.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "tests/Game/panels/panel_screen.h"

namespace {

// The least space a text keeps before the next text of its row.
constexpr int kGap = 2;

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
    plat::SIZE size{};
    EXPECT_TRUE(plat::GetTextExtentPoint32(dc, t.text.c_str(), static_cast<int>(t.text.size()), &size));
    const int width = static_cast<int>(size.cx);
    if (t.row < 0 && t.column < 0) {  // a caption, within the picture
      EXPECT_LE(width, kDataPictureRect.right - kDataPictureRect.left) << what << ": \"" << t.text << "\"";
      continue;
    }
    if (t.row < 0) {  // placed by offset, between the damage bars: it has the row's width alone
      EXPECT_LE(width, kDataRight - kDataLeft - t.column) << what << ": \"" << t.text << "\"";
      continue;
    }
    int left = kDataLeft + t.column;
    if (t.flags & kRowCentre) left = (left + kDataRight) / 2 - width / 2;
    if (t.flags & kRowRight) left = kDataRight - width;
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
      EXPECT_LE(spans[i].right, kDataEdge) << where;
      if (i + 1 < spans.size()) {
        EXPECT_LE(spans[i].right + kGap, spans[i + 1].left) << where << " runs on";
      }
    }
  }
}

bool Shows(const CVData& panel, const std::string& text) {
  return std::any_of(panel.shown.begin(), panel.shown.end(), [&](const DataPanelText& t) { return t.text == text; });
}

using ReadOutFit = panels_test::PanelScreen;

// ... and on a unit's damage page, fitted ten times over.
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
    ownDesign->slots[0] = TemplateModuleSlot{static_cast<std::uint16_t>(i), 10};
    panel->ShowUnitStatus(own, 1);
    ExpectRowsFit(*panel, name + " x10, damage page");
  }
}

// The chapter names of the default world, as the server takes them from the texts.
std::vector<std::string> DefaultChapterNames() {
  std::vector<std::string> names;
  for (int c = 0; c < kMaxChapters; ++c) names.push_back(datapanel::Text(datapanel::Format("CHAP00%02d", c).c_str()));
  return names;
}

TEST_F(ReadOutFit, AsteroidZoneAndGuildReadOutsFitEveryDefaultName) {
  std::vector<std::string> chapters = DefaultChapterNames();
  ASSERT_EQ(chapters.front(), "Order of the Way");
  // As long as a player may name a chapter: in words, and in one word.
  for (const std::string& name : {std::string("Diplomatic Aerie of Far Orbits"), std::string(30, 'W')})
    chapters.push_back(name);
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(3);
  CGZone* zone = a->GetZone(0);
  a->speed = 10;  // the slowest orbit the server gives: the longest solar year
  a->controller = 17;
  a->owner = 17;
  zone->owner = 17;
  g_gameData->poolDB.AddStorageFacility(3);
  for (const std::string& chapter : chapters) {
    g_gameData->guildList->GetChapter(17)->SetName(chapter.c_str());
    // Every economic class, and one past them that reads as unknown; with a
    // pool and without, the read-out's last row is still shown.
    for (std::uint8_t c = 0; c <= 17; ++c) {
      a->composition = c;
      g_gameData->poolDB.SetStorageFacilities(3, c % 2);
      panel->ShowAsteroidData(3, 1);
      ExpectRowsFit(*panel, chapter + ", class " + a->GetCompositionCode());
      EXPECT_TRUE(Shows(*panel, datapanel::Text("TRNLSTUP", a->GetLastScanTurn()))) << chapter;
    }
    for (std::uint8_t mode = 0; mode < 3; ++mode) {
      panel->zoneMode = mode;
      panel->ShowZoneInfo(0, 0, a, own, nullptr, 1);
      ExpectRowsFit(*panel, chapter + ", zone mode " + std::to_string(mode));
    }
    panel->zoneMode = 0;
    panel->ShowUnitStatus(foreign);
    ExpectRowsFit(*panel, chapter + ", another chapter's unit");
  }
  int asteroids = 0;
  for (unsigned n = 1; const std::optional<std::string> name = LoadAsteroidName(n); ++n, ++asteroids) {
    a->SetName(name->c_str());
    panel->ShowZoneInfo(0, 0, a, own, nullptr, 1);
    ExpectRowsFit(*panel, *name);
  }
  EXPECT_GE(asteroids, 100);
  for (std::uint16_t s = 0; s < 2; ++s) {
    panel->ShowStarData(s);
    ExpectRowsFit(*panel, "star " + std::to_string(s));
  }
  for (int c = 0; c < kMaxChapters; ++c)
    g_gameData->guildList->GetChapter(static_cast<std::uint32_t>(c))
        ->SetName(chapters[static_cast<std::size_t>(c)].c_str());
  g_gameData->guildList->GetChapter(7)->SetName(chapters[kMaxChapters].c_str());
  g_gameData->guildList->GetChapter(15)->SetName(chapters[kMaxChapters + 1].c_str());
  for (int guild = 0; guild < 5; ++guild) {
    panel->ShowGuildMembers(guild);
    ExpectRowsFit(*panel, "guild " + std::to_string(guild));
  }
}

// Each order kind, before it starts and once started, towards (and at) an
// asteroid of each default name: the summary page's order line and the queue.
TEST_F(ReadOutFit, EveryOrderFitsForEveryDefaultAsteroidNameAndEveryMoveFailureToo) {
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(3);
  // Armed, so that its ammunition row stands above the order line.
  ownDesign->attack = 10;
  own->percents[PCT_ATTACK] = 100;
  g_gameData->AddToSelection(2, own->id, 3);
  for (unsigned n = 1; const std::optional<std::string> name = LoadAsteroidName(n); ++n) {
    a->SetName(name->c_str());
    for (std::uint32_t type = 0; type < kOrderTypeCount; ++type) {
      if (type == ORDER_TYPE_26 || type == ORDER_TYPE_33) continue;  // no text of their own
      own->ClearOrders(true);
      for (int i = 0; i < 2; ++i) {
        auto order = std::make_unique<UnitOrder>();
        order->type = type;
        order->SetWord(0, 3);
        own->InsertOrder(std::move(order), 2, false);
      }
      for (std::uint8_t stage : {kStageNotStarted, std::uint8_t{0}}) {
        own->stage = stage;
        own->GetOrder(0)->target = stage == 0 ? foreign : nullptr;  // a power transfer in range, and not
        for (std::uint8_t page : {0, 3}) {
          panel->unitPage = page;
          panel->ShowUnitData(own, 3, 1);
          ExpectRowsFit(*panel, *name + ", order " + std::to_string(type) + ", page " + std::to_string(page));
        }
      }
    }
  }
  for (std::int32_t failure = -24; failure < 0; ++failure) {
    panel->Clear(0);
    panel->ShowMoveFailure(1, nullptr, failure);
    ExpectRowsFit(*panel, "failure " + std::to_string(failure));
  }
}

TEST_F(ReadOutFit, EveryHullsReadOutFitsItsRows) {
  for (int guild = 0; guild < 5; ++guild)
    for (int i = 0; i < g_gameData->hullDB->GetHullCount(guild); ++i) {
      const CGHull* hull = g_gameData->hullDB->GetHull(guild, i);
      const std::string name(hull->name, strnlen(hull->name, sizeof hull->name));
      panel->ShowHullCosts(hull);
      ExpectRowsFit(*panel, name);
      // A new design is named after its hull.
      ownDesign->SetHull(const_cast<CGHull*>(hull));
      ownDesign->SetName(name.c_str());
      panel->unitPage = 0;
      panel->ShowUnitData(own, 3, 0);
      ExpectRowsFit(*panel, "a design named " + name);
    }
}

}  // namespace
